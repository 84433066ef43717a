// Windows metafiles: enhanced metafiles (EMF) as handles over their records, placeable Windows
// metafiles (WMF), record enumeration, playback onto any device context and recording from one.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

// ---- records ------------------------------------------------------------------------------------

constexpr DWORD EMR_HEADER = 1, EMR_POLYBEZIER = 2, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYBEZIERTO = 5,
                EMR_POLYLINETO = 6, EMR_POLYPOLYLINE = 7, EMR_POLYPOLYGON = 8, EMR_SETWINDOWEXTEX = 9,
                EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12, EMR_SETBRUSHORGEX = 13,
                EMR_EOF = 14, EMR_SETPIXELV = 15, EMR_SETMAPPERFLAGS = 16, EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18,
                EMR_SETPOLYFILLMODE = 19, EMR_SETROP2 = 20, EMR_SETSTRETCHBLTMODE = 21, EMR_SETTEXTALIGN = 22,
                EMR_SETCOLORADJUSTMENT = 23, EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25, EMR_OFFSETCLIPRGN = 26,
                EMR_MOVETOEX = 27, EMR_SETMETARGN = 28, EMR_EXCLUDECLIPRECT = 29, EMR_INTERSECTCLIPRECT = 30,
                EMR_SCALEVIEWPORTEXTEX = 31, EMR_SCALEWINDOWEXTEX = 32, EMR_SAVEDC = 33, EMR_RESTOREDC = 34,
                EMR_SETWORLDTRANSFORM = 35, EMR_MODIFYWORLDTRANSFORM = 36, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38,
                EMR_CREATEBRUSHINDIRECT = 39, EMR_DELETEOBJECT = 40, EMR_ANGLEARC = 41, EMR_ELLIPSE = 42,
                EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44, EMR_ARC = 45, EMR_CHORD = 46, EMR_PIE = 47,
                EMR_SELECTPALETTE = 48, EMR_CREATEPALETTE = 49, EMR_SETPALETTEENTRIES = 50, EMR_RESIZEPALETTE = 51,
                EMR_REALIZEPALETTE = 52, EMR_EXTFLOODFILL = 53, EMR_LINETO = 54, EMR_ARCTO = 55, EMR_POLYDRAW = 56,
                EMR_SETARCDIRECTION = 57, EMR_SETMITERLIMIT = 58, EMR_BEGINPATH = 59, EMR_ENDPATH = 60,
                EMR_CLOSEFIGURE = 61, EMR_FILLPATH = 62, EMR_STROKEANDFILLPATH = 63, EMR_STROKEPATH = 64,
                EMR_FLATTENPATH = 65, EMR_WIDENPATH = 66, EMR_SELECTCLIPPATH = 67, EMR_ABORTPATH = 68,
                EMR_GDICOMMENT = 70, EMR_FILLRGN = 71, EMR_FRAMERGN = 72, EMR_INVERTRGN = 73, EMR_PAINTRGN = 74,
                EMR_EXTSELECTCLIPRGN = 75, EMR_BITBLT = 76, EMR_STRETCHBLT = 77, EMR_MASKBLT = 78, EMR_PLGBLT = 79,
                EMR_SETDIBITSTODEVICE = 80, EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82,
                EMR_EXTTEXTOUTA = 83, EMR_EXTTEXTOUTW = 84, EMR_POLYBEZIER16 = 85, EMR_POLYGON16 = 86,
                EMR_POLYLINE16 = 87, EMR_POLYBEZIERTO16 = 88, EMR_POLYLINETO16 = 89, EMR_POLYPOLYLINE16 = 90,
                EMR_POLYPOLYGON16 = 91, EMR_POLYDRAW16 = 92, EMR_CREATEMONOBRUSH = 93, EMR_CREATEDIBPATTERNBRUSHPT = 94,
                EMR_EXTCREATEPEN = 95, EMR_POLYTEXTOUTA = 96, EMR_POLYTEXTOUTW = 97, EMR_SETICMMODE = 98,
                EMR_CREATECOLORSPACE = 99, EMR_SETCOLORSPACE = 100, EMR_DELETECOLORSPACE = 101, EMR_GLSRECORD = 102,
                EMR_GLSBOUNDEDRECORD = 103, EMR_PIXELFORMAT = 104, EMR_DRAWESCAPE = 105, EMR_EXTESCAPE = 106,
                EMR_SMALLTEXTOUT = 108, EMR_FORCEUFIMAPPING = 109, EMR_NAMEDESCAPE = 110, EMR_COLORCORRECTPALETTE = 111,
                EMR_SETICMPROFILEA = 112, EMR_SETICMPROFILEW = 113, EMR_ALPHABLEND = 114, EMR_SETLAYOUT = 115,
                EMR_TRANSPARENTBLT = 116, EMR_GRADIENTFILL = 118, EMR_SETLINKEDUFIS = 119,
                EMR_SETTEXTJUSTIFICATION = 120, EMR_COLORMATCHTOTARGETW = 121, EMR_CREATECOLORSPACEW = 122;
constexpr DWORD ENHMETA_SIGNATURE = 0x464D4520;  // " EMF"
constexpr DWORD WMF_PLACEABLE_KEY = 0x9AC6CDD7;

struct ENHMETAHEADER {
  DWORD iType = EMR_HEADER;
  DWORD nSize = 0;
  RECT rclBounds;  // inclusive, device pixels
  RECT rclFrame;   // inclusive, 0.01 mm
  DWORD dSignature = ENHMETA_SIGNATURE;
  DWORD nVersion = 0x10000;
  DWORD nBytes = 0;
  DWORD nRecords = 0;
  WORD nHandles = 0;
  WORD sReserved = 0;
  DWORD nDescription = 0;
  DWORD offDescription = 0;
  DWORD nPalEntries = 0;
  SIZE szlDevice;
  SIZE szlMillimeters;
};

// ---- enhanced metafile handles --------------------------------------------------------------------

// The records of an enhanced metafile, immutable once made.
struct TEnhMetaFileObj {
  std::string Bits;
};
using HENHMETAFILE = TEnhMetaFileObj*;

// A copy of the records as a handle; null when they are not a well-formed EMF (header, record
// sizes, EMR_EOF inside the bytes).
HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data);
UINT GetEnhMetaFileBits(HENHMETAFILE emf, UINT size, BYTE* data);  // bytes needed when data is null
HENHMETAFILE CopyEnhMetaFile(HENHMETAFILE emf, LPCWSTR fileName);
BOOL DeleteEnhMetaFile(HENHMETAFILE emf);
UINT GetEnhMetaFileHeader(HENHMETAFILE emf, UINT size, ENHMETAHEADER* header);
// The description: two strings, each ended by a null (the program that made the picture, then
// its title), and one more null. Copies up to count characters and answers how many were
// copied; with text null, the characters it holds. 0 when there is none, GDI_ERROR when the
// header points outside itself.
UINT GetEnhMetaFileDescriptionW(HENHMETAFILE emf, UINT count, LPWSTR text);
// Calls back with each record (type, the whole record, its size) until the callback answers false.
// False when enumeration was stopped.
using TEnhMetaRecordProc = std::function<bool(DWORD type, const BYTE* record, DWORD size)>;
BOOL EnumEnhMetaFileRecords(HENHMETAFILE emf, const TEnhMetaRecordProc& proc);
// Draws the picture so that its frame fills rect (logical units of dc).
BOOL PlayEnhMetaFile(HDC dc, HENHMETAFILE emf, const RECT* rect);

// A Windows metafile (without the placeable header) drawn into rect, the window the records set
// (or bbox when they set none) mapped onto it.
BOOL PlayWinMetaFile(HDC dc, const BYTE* data, UINT size, const RECT& bbox, const RECT& rect);

// The records of a Windows metafile (header included, no placeable header) drawing the enhanced
// metafile into the given window of its logical coordinates.
std::string EnhMetaFileToWinMetaFile(HENHMETAFILE emf, const RECT& window);
// How a Windows metafile without a placeable header is to be sized: its mapping mode and, for
// MM_ISOTROPIC and MM_ANISOTROPIC, the picture's size in 0.01 mm (for MM_TEXT in pixels at the
// reference resolution). hMF is unused here and stays null.
struct METAFILEPICT {
  LONG mm = MM_ANISOTROPIC;
  LONG xExt = 0;
  LONG yExt = 0;
  void* hMF = nullptr;
};
// The records of a Windows metafile (header included, no placeable header) as an enhanced
// metafile, drawn into a frame of the size mfp gives (the records' own window when it gives none).
// Null when the header is not a Windows metafile header or no size can be found.
HENHMETAFILE SetWinMetaFileBits(UINT size, const BYTE* data, HDC refDC, const METAFILEPICT* mfp);
// The code page of a font character set (0: the system's ANSI code page).
UINT CharsetCodePage(BYTE charset);

// Recording: a context whose drawing becomes EMF records. frame in 0.01 mm, or null to take it
// from what was drawn. description, when not null, is two strings each ended by a null, the
// second one followed by another null ("app\0title\0\0"); both are kept. CloseEnhMetaFile ends the recording and gives the picture (the context is
// gone afterwards); null when dc is not a recording context.
HDC CreateEnhMetaFileW(HDC refDC, LPCWSTR fileName, const RECT* frame, LPCWSTR description);
HENHMETAFILE CloseEnhMetaFile(HDC dc);

// ---- the metafile picture -----------------------------------------------------------------------

class TMetafile : public TGraphic {
  TAVRELO_GRAPHIC_CLASS(TMetafile, TGraphic)
 public:
  TMetafile();
  ~TMetafile() override;

  bool GetEmpty() const override { return !FHandle && FWmf.empty(); }
  // Pixels at the screen's 96 per inch, from the size in 0.01 mm.
  int GetWidth() const override;
  int GetHeight() const override;
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  bool GetTransparent() const override { return true; }

  int GetMMWidth() const { return FMMWidth; }
  int GetMMHeight() const { return FMMHeight; }
  void SetMMWidth(int value);
  void SetMMHeight(int value);
  // Units per inch of a Windows metafile (its placeable header); 0 as read when the file says 0.
  int GetInch() const { return FInch; }
  void SetInch(int value) { FInch = value; }
  bool GetEnhanced() const { return FEnhanced; }
  void SetEnhanced(bool value) { FEnhanced = value; }
  // The two strings of an enhanced metafile's description: the program that made it and its
  // title. Empty when there is no such string (and for a Windows metafile as read).
  UnicodeString GetCreatedBy() const { return DescriptionPart(0); }
  UnicodeString GetDescription() const { return DescriptionPart(1); }

  // The enhanced metafile; a Windows metafile is converted on first request. The picture keeps
  // ownership.
  HENHMETAFILE GetHandle() const;
  // Takes ownership of the handle; the size comes from its header.
  void SetHandle(HENHMETAFILE value);

  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void Draw(TCanvas& canvas, const TRect& rect) override;
  TPixelImage ToPixels() const override;

 protected:
  bool AssignFrom(const TGraphic* source) override;

 private:
  void Clear();
  UnicodeString DescriptionPart(int index) const;
  mutable std::unique_ptr<TEnhMetaFileObj> FHandle;
  std::string FWmf;  // the placeable file as read (header and records)
  RECT FWmfBox;      // its bounding box in metafile units
  bool FEnhanced = true;
  int FInch = 0;
  int FMMWidth = 0;
  int FMMHeight = 0;
};

// Records drawing into a metafile: a canvas over a recording context; the picture receives the
// recording when the canvas is destroyed.
class TMetafileCanvas : public TCanvas {
 public:
  // refDC gives the device size and resolution (the screen when null).
  TMetafileCanvas(TMetafile& metafile, HDC refDC);
  // The picture's description gets both strings: the program that made it and its title.
  TMetafileCanvas(TMetafile& metafile, HDC refDC, const UnicodeString& createdBy, const UnicodeString& description);
  ~TMetafileCanvas() override;

 private:
  TMetafile& FMetafile;
  HDC FDC;
};
