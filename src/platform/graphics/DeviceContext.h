// Device contexts, drawing objects and text measuring with the contracts the engine was written
// against: handles, records and constants keep the system's names and documented values, the
// behaviour (rounding, exclusive right/bottom edges, failure values) is what callers rely on.
// Every context draws through a TDeviceBackend (DeviceBackend.h): Qt painting for bitmaps,
// windows and printers, or a metafile recorder.
#pragma once

#include <cstddef>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/base/Types.h"

// ---- handles ------------------------------------------------------------------------------------

class TGdiObject;      // pens, brushes, fonts, bitmaps, regions, palettes
class TDeviceContext;  // a device context
class TDeviceBackend;
struct TWindowHandleTag;

using HGDIOBJ = TGdiObject*;
using HFONT = HGDIOBJ;
using HPEN = HGDIOBJ;
using HBRUSH = HGDIOBJ;
using HBITMAP = HGDIOBJ;
using HRGN = HGDIOBJ;
using HPALETTE = HGDIOBJ;
using HDC = TDeviceContext*;
using HWND = TWindowHandleTag*;

using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using INT = std::int32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using FLOAT = float;

using POINT = TPoint;
using SIZE = TSize;
using RECT = TRect;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// ---- records ------------------------------------------------------------------------------------

constexpr int LF_FACESIZE = 32;

struct LOGFONTW {
  LONG lfHeight = 0;  // < 0: character height; > 0: cell height; 0: default size
  LONG lfWidth = 0;   // 0: natural; else the average character width (horizontal scaling)
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = 0;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = 0;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  WCHAR lfFaceName[LF_FACESIZE] = {};
};

struct TEXTMETRICW {
  LONG tmHeight = 0;
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;
  LONG tmExternalLeading = 0;
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
  LONG tmOverhang = 0;
  LONG tmDigitizedAspectX = 0;
  LONG tmDigitizedAspectY = 0;
  WCHAR tmFirstChar = 0;
  WCHAR tmLastChar = 0;
  WCHAR tmDefaultChar = 0;
  WCHAR tmBreakChar = 0;
  BYTE tmItalic = 0;
  BYTE tmUnderlined = 0;
  BYTE tmStruckOut = 0;
  BYTE tmPitchAndFamily = 0;  // TMPF_FIXED_PITCH set means a *variable* pitch font
  BYTE tmCharSet = 0;
};

struct PANOSE {
  BYTE bFamilyType, bSerifStyle, bWeight, bProportion, bContrast, bStrokeVariation, bArmStyle,
      bLetterform, bMidline, bXHeight;
};

// The four name fields hold byte offsets from the start of the record to UTF-16 strings that
// follow the record in the caller's buffer.
struct OUTLINETEXTMETRICW {
  UINT otmSize = 0;
  TEXTMETRICW otmTextMetrics;
  BYTE otmFiller = 0;
  PANOSE otmPanoseNumber = {};
  UINT otmfsSelection = 0;
  UINT otmfsType = 0;
  INT otmsCharSlopeRise = 0;
  INT otmsCharSlopeRun = 0;
  INT otmItalicAngle = 0;  // tenths of a degree, counter-clockwise from vertical
  UINT otmEMSquare = 0;
  INT otmAscent = 0;
  INT otmDescent = 0;
  UINT otmLineGap = 0;
  UINT otmsCapEmHeight = 0;
  UINT otmsXHeight = 0;
  RECT otmrcFontBox;
  INT otmMacAscent = 0;
  INT otmMacDescent = 0;
  UINT otmMacLineGap = 0;
  UINT otmusMinimumPPEM = 0;
  POINT otmptSubscriptSize;
  POINT otmptSubscriptOffset;
  POINT otmptSuperscriptSize;
  POINT otmptSuperscriptOffset;
  UINT otmsStrikeoutSize = 0;
  INT otmsStrikeoutPosition = 0;
  INT otmsUnderscoreSize = 0;
  INT otmsUnderscorePosition = 0;
  std::uintptr_t otmpFamilyName = 0;
  std::uintptr_t otmpFaceName = 0;
  std::uintptr_t otmpStyleName = 0;
  std::uintptr_t otmpFullName = 0;
};

struct XFORM {
  FLOAT eM11 = 1, eM12 = 0, eM21 = 0, eM22 = 1, eDx = 0, eDy = 0;
  friend bool operator==(const XFORM&, const XFORM&) = default;
};

struct GCP_RESULTSW {
  DWORD lStructSize = sizeof(GCP_RESULTSW);
  LPWSTR lpOutString = nullptr;
  UINT* lpOrder = nullptr;  // per character: its position in drawing order
  INT* lpDx = nullptr;      // advances in drawing order
  INT* lpCaretPos = nullptr;
  char* lpClass = nullptr;  // per character: GCPCLASS_*
  LPWSTR lpGlyphs = nullptr;
  UINT nGlyphs = 0;  // in: room in the arrays; out: glyphs produced
  INT nMaxFit = 0;
};

struct LOGPEN {
  UINT lopnStyle = 0;
  POINT lopnWidth;  // only x is used
  COLORREF lopnColor = 0;
};

struct LOGBRUSH {
  UINT lbStyle = 0;
  COLORREF lbColor = 0;
  std::uintptr_t lbHatch = 0;  // hatch style, or the pattern bitmap's handle
};

struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;
  WORD bmPlanes = 0;
  WORD bmBitsPixel = 0;
  void* bmBits = nullptr;
};

struct BITMAPINFOHEADER {
  DWORD biSize = sizeof(BITMAPINFOHEADER);
  LONG biWidth = 0;
  LONG biHeight = 0;  // > 0: bottom-up rows; < 0: top-down rows
  WORD biPlanes = 1;
  WORD biBitCount = 0;
  DWORD biCompression = 0;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};

struct RGBQUAD {
  BYTE rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3] = {};
  void* dshSection = nullptr;
  DWORD dsOffset = 0;
};

struct BLENDFUNCTION {
  BYTE BlendOp = 0;
  BYTE BlendFlags = 0;
  BYTE SourceConstantAlpha = 255;
  BYTE AlphaFormat = 0;
};

// ---- constants ----------------------------------------------------------------------------------

// Stock objects
constexpr int WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4,
              NULL_BRUSH = 5, HOLLOW_BRUSH = NULL_BRUSH, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
              OEM_FIXED_FONT = 10, ANSI_FIXED_FONT = 11, ANSI_VAR_FONT = 12, SYSTEM_FONT = 13,
              DEVICE_DEFAULT_FONT = 14, DEFAULT_PALETTE = 15, SYSTEM_FIXED_FONT = 16,
              DEFAULT_GUI_FONT = 17, DC_BRUSH = 18, DC_PEN = 19;
// Object types
constexpr DWORD OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_DC = 3, OBJ_METADC = 4, OBJ_PAL = 5, OBJ_FONT = 6,
                OBJ_BITMAP = 7, OBJ_REGION = 8, OBJ_METAFILE = 9, OBJ_MEMDC = 10, OBJ_EXTPEN = 11,
                OBJ_ENHMETADC = 12, OBJ_ENHMETAFILE = 13;
// Pens
constexpr UINT PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
               PS_INSIDEFRAME = 6, PS_USERSTYLE = 7, PS_ALTERNATE = 8, PS_STYLE_MASK = 0xF,
               PS_ENDCAP_ROUND = 0, PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200,
               PS_ENDCAP_MASK = 0xF00, PS_JOIN_ROUND = 0, PS_JOIN_BEVEL = 0x1000,
               PS_JOIN_MITER = 0x2000, PS_JOIN_MASK = 0xF000, PS_COSMETIC = 0,
               PS_GEOMETRIC = 0x10000, PS_TYPE_MASK = 0xF0000;
// Brushes
constexpr UINT BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = BS_NULL, BS_HATCHED = 2, BS_PATTERN = 3,
               BS_DIBPATTERN = 5, BS_DIBPATTERNPT = 6;
constexpr int HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4,
              HS_DIAGCROSS = 5;
// Binary raster operations
constexpr int R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4,
              R2_MASKPENNOT = 5, R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9,
              R2_NOTXORPEN = 10, R2_NOP = 11, R2_MERGENOTPEN = 12, R2_COPYPEN = 13,
              R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;
// Ternary raster operations
constexpr DWORD SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6,
                SRCINVERT = 0x00660046, SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008,
                NOTSRCERASE = 0x001100A6, MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226,
                PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09, PATINVERT = 0x005A0049,
                DSTINVERT = 0x00550009, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;
// Background modes
constexpr int TRANSPARENT = 1, OPAQUE = 2;
// Text alignment
constexpr UINT TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6,
               TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24, TA_RTLREADING = 256;
// Text output options
constexpr UINT ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4, ETO_GLYPH_INDEX = 0x10, ETO_RTLREADING = 0x80,
               ETO_IGNORELANGUAGE = 0x1000, ETO_PDY = 0x2000;
// Mapping modes and graphics modes
constexpr int MM_TEXT = 1, MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4, MM_HIENGLISH = 5,
              MM_TWIPS = 6, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8;
constexpr int GM_COMPATIBLE = 1, GM_ADVANCED = 2;
constexpr DWORD MWT_IDENTITY = 1, MWT_LEFTMULTIPLY = 2, MWT_RIGHTMULTIPLY = 3;
// Regions
constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;
constexpr int ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3;
constexpr int ALTERNATE = 1, WINDING = 2;
// Stretch modes
constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4;
// Device capabilities
constexpr int DRIVERVERSION = 0, TECHNOLOGY = 2, HORZSIZE = 4, VERTSIZE = 6, HORZRES = 8,
              VERTRES = 10, BITSPIXEL = 12, PLANES = 14, NUMCOLORS = 24, RASTERCAPS = 38,
              ASPECTX = 40, ASPECTY = 42, ASPECTXY = 44, LOGPIXELSX = 88, LOGPIXELSY = 90,
              SIZEPALETTE = 104, COLORRES = 108, PHYSICALWIDTH = 110, PHYSICALHEIGHT = 111,
              PHYSICALOFFSETX = 112, PHYSICALOFFSETY = 113, SCALINGFACTORX = 114,
              SCALINGFACTORY = 115, SHADEBLENDCAPS = 120;
constexpr int DT_PLOTTER = 0, DT_RASDISPLAY = 1, DT_RASPRINTER = 2, DT_METAFILE = 5;
constexpr int RC_BITBLT = 1, RC_BANDING = 2, RC_SCALING = 4, RC_BITMAP64 = 8, RC_DI_BITMAP = 0x80,
              RC_PALETTE = 0x100, RC_DIBTODEV = 0x200, RC_STRETCHBLT = 0x800,
              RC_STRETCHDIB = 0x2000;
// Character sets
constexpr BYTE ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, MAC_CHARSET = 77,
               SHIFTJIS_CHARSET = 128, HANGEUL_CHARSET = 129, JOHAB_CHARSET = 130,
               GB2312_CHARSET = 134, CHINESEBIG5_CHARSET = 136, GREEK_CHARSET = 161,
               TURKISH_CHARSET = 162, VIETNAMESE_CHARSET = 163, HEBREW_CHARSET = 177,
               ARABIC_CHARSET = 178, BALTIC_CHARSET = 186, RUSSIAN_CHARSET = 204,
               THAI_CHARSET = 222, EASTEUROPE_CHARSET = 238, OEM_CHARSET = 255;
// Weights, precisions, qualities, pitch and family
constexpr LONG FW_DONTCARE = 0, FW_THIN = 100, FW_EXTRALIGHT = 200, FW_LIGHT = 300, FW_NORMAL = 400,
               FW_MEDIUM = 500, FW_SEMIBOLD = 600, FW_BOLD = 700, FW_EXTRABOLD = 800,
               FW_HEAVY = 900, FW_BLACK = 900;
constexpr BYTE OUT_DEFAULT_PRECIS = 0, OUT_TT_PRECIS = 4, OUT_TT_ONLY_PRECIS = 7;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0, DRAFT_QUALITY = 1, PROOF_QUALITY = 2,
               NONANTIALIASED_QUALITY = 3, ANTIALIASED_QUALITY = 4, CLEARTYPE_QUALITY = 5;
constexpr BYTE DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0, FF_ROMAN = 16, FF_SWISS = 32, FF_MODERN = 48, FF_SCRIPT = 64,
               FF_DECORATIVE = 80;
constexpr BYTE TMPF_FIXED_PITCH = 1, TMPF_VECTOR = 2, TMPF_TRUETYPE = 4, TMPF_DEVICE = 8;
// Character placement
constexpr DWORD GCP_DBCS = 0x1, GCP_REORDER = 0x2, GCP_USEKERNING = 0x8, GCP_GLYPHSHAPE = 0x10,
                GCP_LIGATE = 0x20, GCP_DIACRITIC = 0x100, GCP_KASHIDA = 0x400,
                GCP_ERROR = 0x8000, GCP_JUSTIFY = 0x10000, GCP_CLASSIN = 0x80000,
                GCP_MAXEXTENT = 0x100000, GCP_JUSTIFYIN = 0x200000, GCP_DISPLAYZWG = 0x400000,
                FLI_GLYPHS = 0x40000, FLI_MASK = 0x103B;
constexpr char GCPCLASS_LATIN = 1, GCPCLASS_HEBREW = 2, GCPCLASS_ARABIC = 2,
               GCPCLASS_NEUTRAL = 3, GCPCLASS_LOCALNUMBER = 4, GCPCLASS_LATINNUMBER = 5,
               GCPCLASS_LATINNUMERICTERMINATOR = 6, GCPCLASS_LATINNUMERICSEPARATOR = 7,
               GCPCLASS_NUMERICSEPARATOR = 8;
// Bitmaps
constexpr DWORD BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3;
constexpr UINT DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1;
constexpr BYTE AC_SRC_OVER = 0, AC_SRC_ALPHA = 1;
// Failure values
constexpr DWORD GDI_ERROR = 0xFFFFFFFF;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// ---- objects ------------------------------------------------------------------------------------

HGDIOBJ GetStockObject(int index);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);  // regions: the clip is set, the result a region type
BOOL DeleteObject(HGDIOBJ obj);             // a selected object is freed when deselected
DWORD GetObjectType(HGDIOBJ obj);           // 0 for an unknown handle
int GetObjectW(HGDIOBJ obj, int size, void* buffer);  // LOGFONTW, LOGPEN, LOGBRUSH, BITMAP, DIBSECTION
HGDIOBJ GetCurrentObject(HDC dc, UINT type);

HFONT CreateFontIndirectW(const LOGFONTW* lf);
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR face);
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* lp);
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount,
                  const DWORD* styles);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP bmp);  // the 8x8 top-left of the bitmap, copied
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb);
// Monochrome 8x8 pattern brush from eight rows of bits (bit 7 = leftmost pixel); as with any
// monochrome pattern, clear bits draw in the text colour and set bits in the background colour.
HBRUSH CreatePattern8x8Brush(const BYTE rows[8]);

// ---- bitmaps ------------------------------------------------------------------------------------

// 24- and 32-bit BI_RGB DIB sections. *bits receives the pixel memory, rows laid out as the
// header says (bottom-up for a positive height), each padded to 4 bytes.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* bmi, UINT usage, void** bits, void* section,
                         DWORD offset);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);  // 32-bit, top-down, black
// A bitmap of width x height device units at scale pixels a unit (ceil(width * scale) pixels
// wide), for a window on a screen with finer pixels: contexts it is selected into draw text,
// lines and pictures at its full resolution, and bitmaps compatible with them share its scale.
HBITMAP CreateScaledBitmap(int width, int height, double scale);
// Pointer to row y (0 = top) of a bitmap, whichever way its rows lie in memory; null if out of
// range or not a bitmap.
BYTE* GetBitmapScanLine(HBITMAP bmp, int y);
int GetBitmapStride(HBITMAP bmp);
// Writes the bitmap as a PNG file (for test sheets); false on failure.
bool SaveBitmapToPng(HBITMAP bmp, const std::string& fileName);

// ---- device contexts ----------------------------------------------------------------------------

HDC CreateCompatibleDC(HDC dc);  // a memory context with a 1x1 bitmap selected
BOOL DeleteDC(HDC dc);
HDC GetDC(HWND wnd);  // only the screen (null window) exists here: a screen-compatible context
int ReleaseDC(HWND wnd, HDC dc);
// A context drawing through the given back-end (metafile recorders, windows, printers).
// The context owns the back-end. pixelsX/pixelsY: device size; ppi: its resolution.
HDC CreateBackendDC(std::unique_ptr<TDeviceBackend> backend, int pixelsX, int pixelsY, int ppiX,
                    int ppiY, int technology);
TDeviceBackend* GetDCBackend(HDC dc);
int GetDeviceCaps(HDC dc, int index);
// LOGPIXELSX/LOGPIXELSY of one context (96 for screen and memory contexts unless set).
void SetDeviceResolution(HDC dc, int ppiX, int ppiY);
// Physical page of a printer context: PHYSICALWIDTH/HEIGHT/OFFSETX/OFFSETY.
void SetDevicePhysicalPage(HDC dc, int width, int height, int offsetX, int offsetY);
int SaveDC(HDC dc);                 // the new depth; 0 on failure
BOOL RestoreDC(HDC dc, int saved);  // a positive level, or a negative count back from the top
BOOL GdiFlush();

// ---- attributes ---------------------------------------------------------------------------------

COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
UINT SetTextAlign(HDC dc, UINT align);  // GDI_ERROR on failure
UINT GetTextAlign(HDC dc);
int SetTextCharacterExtra(HDC dc, int extra);  // 0x80000000 on failure
int GetTextCharacterExtra(HDC dc);
int SetROP2(HDC dc, int rop2);
int GetROP2(HDC dc);
int SetPolyFillMode(HDC dc, int mode);
int GetPolyFillMode(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* old);
BOOL GetBrushOrgEx(HDC dc, POINT* pt);
COLORREF SetDCBrushColor(HDC dc, COLORREF color);
COLORREF SetDCPenColor(HDC dc, COLORREF color);
HPALETTE SelectPalette(HDC dc, HPALETTE pal, BOOL forceBackground);  // palettes do nothing here
UINT RealizePalette(HDC dc);

// ---- coordinate spaces --------------------------------------------------------------------------

int SetMapMode(HDC dc, int mode);  // 0 on failure
int GetMapMode(HDC dc);
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* old);
BOOL GetWindowOrgEx(HDC dc, POINT* pt);
BOOL SetWindowExtEx(HDC dc, int x, int y, SIZE* old);
BOOL GetWindowExtEx(HDC dc, SIZE* sz);
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old);
BOOL GetViewportOrgEx(HDC dc, POINT* pt);
BOOL SetViewportExtEx(HDC dc, int x, int y, SIZE* old);
BOOL GetViewportExtEx(HDC dc, SIZE* sz);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* old);
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* old);
int SetGraphicsMode(HDC dc, int mode);  // 0 on failure; leaving advanced mode needs identity
int GetGraphicsMode(HDC dc);
BOOL SetWorldTransform(HDC dc, const XFORM* xf);  // only in GM_ADVANCED
BOOL ModifyWorldTransform(HDC dc, const XFORM* xf, DWORD mode);
BOOL GetWorldTransform(HDC dc, XFORM* xf);
BOOL CombineTransform(XFORM* out, const XFORM* a, const XFORM* b);  // a then b
BOOL LPtoDP(HDC dc, POINT* pts, int count);
BOOL DPtoLP(HDC dc, POINT* pts, int count);

// ---- regions and clipping -----------------------------------------------------------------------

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* r);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreatePolygonRgn(const POINT* pts, int count, int fillMode);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int w, int h);
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);  // region type or ERROR
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
int OffsetRgn(HRGN rgn, int dx, int dy);
int GetRgnBox(HRGN rgn, RECT* r);
BOOL PtInRegion(HRGN rgn, int x, int y);
BOOL RectInRegion(HRGN rgn, const RECT* r);
BOOL EqualRgn(HRGN a, HRGN b);
BOOL FillRgn(HDC dc, HRGN rgn, HBRUSH brush);
// Clip regions are in device units; null removes the clip ("no clip" differs from an empty clip).
int SelectClipRgn(HDC dc, HRGN rgn);
int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode);
// 1 and the clip copied into rgn when the context has a clip; 0 when it has none; -1 on error.
int GetClipRgn(HDC dc, HRGN rgn);
int GetClipBox(HDC dc, RECT* r);  // logical units
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);  // logical units
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int OffsetClipRgn(HDC dc, int dx, int dy);
BOOL PtVisible(HDC dc, int x, int y);
BOOL RectVisible(HDC dc, const RECT* r);

// ---- lines, shapes and paths --------------------------------------------------------------------

BOOL MoveToEx(HDC dc, int x, int y, POINT* old);
BOOL GetCurrentPositionEx(HDC dc, POINT* pt);
BOOL LineTo(HDC dc, int x, int y);  // the end point itself is not drawn
BOOL Polyline(HDC dc, const POINT* pts, int count);
BOOL PolylineTo(HDC dc, const POINT* pts, DWORD count);
BOOL Polygon(HDC dc, const POINT* pts, int count);
BOOL PolyPolygon(HDC dc, const POINT* pts, const INT* counts, int polygons);
BOOL PolyPolyline(HDC dc, const POINT* pts, const DWORD* counts, DWORD polylines);
BOOL PolyBezier(HDC dc, const POINT* pts, DWORD count);
BOOL PolyBezierTo(HDC dc, const POINT* pts, DWORD count);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height);
// Counter-clockwise (on screen, y down) from the radial through (x3, y3) to the one through (x4, y4).
BOOL Arc(HDC dc, int left, int top, int right, int bottom, int x3, int y3, int x4, int y4);
BOOL Pie(HDC dc, int left, int top, int right, int bottom, int x3, int y3, int x4, int y4);
BOOL Chord(HDC dc, int left, int top, int right, int bottom, int x3, int y3, int x4, int y4);
int FillRect(HDC dc, const RECT* r, HBRUSH brush);  // brush: a handle or a system colour index + 1
int FrameRect(HDC dc, const RECT* r, HBRUSH brush);
BOOL InvertRect(HDC dc, const RECT* r);
BOOL DrawFocusRect(HDC dc, const RECT* r);  // dotted, XOR: drawing twice erases
BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC dc, int x, int y);  // CLR_INVALID outside the bitmap or without one
BOOL BeginPath(HDC dc);
BOOL EndPath(HDC dc);
BOOL AbortPath(HDC dc);
BOOL CloseFigure(HDC dc);
BOOL FillPath(HDC dc);
BOOL StrokePath(HDC dc);
BOOL StrokeAndFillPath(HDC dc);
BOOL SelectClipPath(HDC dc, int mode);

// ---- bitmaps onto contexts ----------------------------------------------------------------------

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                DWORD rop);
// Lines scanned; 0 on failure. Supports BI_RGB 1, 4, 8, 24 and 32 bits per pixel.
int StretchDIBits(HDC dst, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                  const void* bits, const BITMAPINFO* bmi, UINT usage, DWORD rop);
int SetDIBitsToDevice(HDC dst, int x, int y, DWORD w, DWORD h, int sx, int sy, UINT startScan,
                      UINT lines, const void* bits, const BITMAPINFO* bmi, UINT usage);
BOOL AlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                BLENDFUNCTION blend);
BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                    UINT transparentColor);

// ---- fonts and text -----------------------------------------------------------------------------

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* tm);
// Bytes of rendered glyph images the font selected into dc keeps for reuse; 0 without a font.
// The cache is bounded, so drawing never makes this grow without limit.
std::size_t GetGlyphImageCacheBytes(HDC dc);
// The bound of that cache, per font.
std::size_t GetGlyphImageCacheLimit();
// Bytes needed when otm is null; bytes written otherwise; 0 when the font has no outline metrics
// or the buffer is too small for the record.
UINT GetOutlineTextMetricsW(HDC dc, UINT size, OUTLINETEXTMETRICW* otm);
int GetTextFaceW(HDC dc, int count, LPWSTR face);  // the realised face; characters copied
DWORD GetFontLanguageInfo(HDC dc);
// Raw sfnt table of the selected font; the tag's four characters lie in memory order in the
// DWORD (so 'cmap' is 0x70616D63); 0 = the whole font file.
DWORD GetFontData(HDC dc, DWORD table, DWORD offset, void* buffer, DWORD size);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR str, int count, SIZE* size);
// Without fit: dx receives the cumulative right edge of every character and size the whole
// extent. With fit: the characters whose cumulative extent is within maxExtent; measuring stops
// after the first character that passes it, so dx is filled up to that one only and size is
// the extent of the characters that fit (the whole text's when all fit).
BOOL GetTextExtentExPointW(HDC dc, LPCWSTR str, int count, int maxExtent, INT* fit, INT* dx,
                           SIZE* size);
BOOL GetCharWidth32W(HDC dc, UINT first, UINT last, INT* widths);
DWORD GetGlyphIndicesW(HDC dc, LPCWSTR str, int count, WORD* glyphs, DWORD flags);
BOOL TextOutW(HDC dc, int x, int y, LPCWSTR str, int count);
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR str, UINT count,
                 const INT* dx);
// Width in the low word, height in the high word; 0 on failure.
DWORD GetCharacterPlacementW(HDC dc, LPCWSTR str, int count, int maxExtent, GCP_RESULTSW* results,
                             DWORD flags);

// ---- system colours -----------------------------------------------------------------------------

DWORD GetSysColor(int index);  // the fixed light scheme
HBRUSH GetSysColorBrush(int index);
constexpr int COLOR_WINDOW = 5, COLOR_WINDOWTEXT = 8, COLOR_HIGHLIGHT = 13,
              COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15, COLOR_GRAYTEXT = 17;
