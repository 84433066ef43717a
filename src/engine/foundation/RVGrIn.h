// The engine's drawing interface: everything the engine measures or draws for document content
// goes through one TRVGraphicInterface, owned by the style sheet. The interface also holds the
// text-spacing arithmetic that both text back-ends share.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/foundation/RVTypes.h"
#include "platform/graphics/Graphics.h"

class TBitmap;
class TGraphic;
class TCustomImageList;

// The drawing context of the shape, pen, brush and path operations. Both back-ends draw on the
// canvas itself, so the context is the canvas; callers still go through InitDrawing/DoneDrawing.
using TRVCanvas = TCanvas;

// Per-glyph measurement of a run. Arrays are empty when not asked for.
class TCustomRVGlyphDXData : public TObject {
 public:
  TCustomRVGlyphDXData() = default;
  ~TCustomRVGlyphDXData() override = default;
  std::vector<int> PDX;     // advances, in the order the back-end draws them
  std::vector<int> PXL;     // left x of each character, by text index
  std::vector<int> PXR;     // right x of each character, by text index
  std::vector<int> POrder;  // drawing position of each character; empty for left-to-right runs
};

// Widths of the invisible characters in the current font; -1 means not measured yet.
struct TRVStringAdjRecord {
  int ZWSWidth = -1;  // U+200B
  int SHRWidth = -1;  // U+00AD
  int WJWidth = -1;   // U+2060
};

// One horizontal piece of a character range; bidirectional text may need several.
struct TRVCoordRangeRecord {
  int Left = 0;
  int Right = 0;
  TRVCoordRangeRecord* PNext = nullptr;  // owned by the chain, see FreeAdditionalCoordRangeRecords
};

struct TRVCanvasStoreFontParams {
  HFONT FontHandle = nullptr;
  BYTE Charset = 0;
};

struct TRVCanvasStoreTransformParams {
  SIZE wesz{};
  POINT wopt{};
  XFORM XForm{};
};

// Justification codes of SpaceCount.
constexpr int RV_DISTRIBUTE_SPACING = -100;

// The text operations that every back-end serves in its own way (the device context's text
// calls, string analysis, fixed metrics). The interface and each back-end declare them through
// this one list, the interface with "= 0" and the back-ends with "override", so the lists cannot
// drift apart. GetCaretPositions fills PCP with Length + 1 caret x positions.
#define TRV_GRIN_TEXT_OPERATIONS(Spec)                                                        \
  virtual void TextOut(TCanvas* Canvas, int X, int Y, const WideChar* Str, int Length,       \
                       bool ForMetafile) Spec;                                                \
  virtual TSize TextSizeBasic(TCanvas* Canvas, const WideChar* Str, int Length, bool BiDi)   \
      Spec;                                                                                   \
  virtual void GetTextExtentExPoint(TCanvas* Canvas, const WideChar* Str, int Length,        \
                                    int MaxExtent, bool BiDi, bool IgnoreSpecialChars,       \
                                    int* PCoords, int& Fit, TSize& Size) Spec;               \
  virtual std::unique_ptr<TCustomRVGlyphDXData> GetGlyphDX(                                  \
      TCanvas* Canvas, const WideChar* Str, int Length, int SpaceCount, int ExtraSpaceWidth, \
      bool BiDi, bool IgnoreSpecialChars, bool NeedDX, bool NeedCoords, int LeftNoExpIndex,  \
      int RightNoExpIndex) Spec;                                                              \
  virtual void TextOutWithDX(TCanvas* Canvas, int X, int Y, const WideChar* Str, int Length, \
                             bool ForMetafile, TCustomRVGlyphDXData* Data) Spec;             \
  virtual int GetExpandableCharCount(TCanvas* Canvas, const WideChar* Str, int Length,       \
                                     bool BiDi, bool IgnoreSpecialChars) Spec;               \
  virtual void GetOutermostNonExpandableCharacters(                                          \
      TCanvas* Canvas, const WideChar* Str, int Length, bool BiDi, bool IgnoreSpecialChars,  \
      bool Left, bool Right, int& LeftIndex, int& RightIndex) Spec;                          \
  virtual bool GetCaretPositions(TCanvas* Canvas, const WideChar* Str, int Length,           \
                                 int SpaceCount, int ExtraSpaceWidth, bool BiDi,             \
                                 bool IgnoreSpecialChars, int* PCP, int LeftNoExpIndex,      \
                                 int RightNoExpIndex) Spec;                                  \
  virtual bool DoesTextOutSupportSpacing(int Length, bool BiDi) Spec;

class TRVGraphicInterface : public TObject {
 public:
  TRVGraphicInterface() = default;
  ~TRVGraphicInterface() override = default;

  virtual TRVCanvas* InitDrawing(TCanvas* Canvas);
  virtual void DoneDrawing(TRVCanvas* RVCanvas);

  // Text: measuring, glyph data and output (the list above), then metrics and text state
  TRV_GRIN_TEXT_OPERATIONS(= 0)
  virtual UINT GetOutlineTextMetrics(TCanvas* Canvas, UINT Size, OUTLINETEXTMETRICW* POTM) = 0;
  virtual bool GetTextMetrics(TCanvas* Canvas, TEXTMETRICW& TM) = 0;
  virtual bool FontHasLigationGlyphs(TCanvas* Canvas) = 0;
  virtual void SetTextAlign(TCanvas* Canvas, UINT Flags) = 0;
  virtual UINT GetTextAlign(TCanvas* Canvas) = 0;
  virtual int GetTextCharacterExtra(TCanvas* Canvas) = 0;
  virtual void SetTextCharacterExtra(TCanvas* Canvas, int CharExtra) = 0;
  virtual void SetLogFont(TCanvas* Canvas, const LOGFONTW& LogFont) = 0;
  virtual HFONT GetFontHandle(TCanvas* Canvas);
  virtual HFONT SetFontHandle(TCanvas* Canvas, HFONT FontHandle) = 0;
  virtual void SetDiagonalBrush(TCanvas* Canvas, TColor BackColor, TColor ForeColor, int XOrg,
                                int YOrg) = 0;

  // Canvases
  virtual TCanvas* CreateScreenCanvas() = 0;
  virtual TCanvas* CreateScreenCompatibleCanvas() = 0;
  virtual void DestroyScreenCanvas(TCanvas* Canvas) = 0;
  virtual TCanvas* CreateCompatibleCanvas(TCanvas* Canvas) = 0;
  virtual void DestroyCompatibleCanvas(TCanvas* Canvas) = 0;
  virtual TCanvas* CreatePrinterCanvas() = 0;
  virtual bool PrinterSupportsCopies(int Copies) = 0;

  // Mapping and transforms
  virtual void GetViewportExtEx(TCanvas* Canvas, SIZE& Size) = 0;
  virtual void GetViewportOrgEx(TCanvas* Canvas, POINT& Point) = 0;
  virtual void GetWindowExtEx(TCanvas* Canvas, SIZE& Size) = 0;
  virtual void GetWindowOrgEx(TCanvas* Canvas, POINT& Point) = 0;
  virtual void SetViewportExtEx(TCanvas* Canvas, int XExt, int YExt, SIZE* OldSize) = 0;
  virtual void SetViewportOrgEx(TCanvas* Canvas, int X, int Y, POINT* OldPoint) = 0;
  virtual void SetWindowExtEx(TCanvas* Canvas, int XExt, int YExt, SIZE* OldSize) = 0;
  virtual void SetWindowOrgEx(TCanvas* Canvas, int X, int Y, POINT* OldPoint) = 0;
  virtual int GetMapMode(TCanvas* Canvas) = 0;
  virtual int SetMapMode(TCanvas* Canvas, int Mode) = 0;
  virtual bool SetGraphicsMode(TCanvas* Canvas, bool Advanced) = 0;
  virtual bool IsAdvancedGraphicsMode(TCanvas* Canvas) = 0;
  virtual bool GetWorldTransform(TCanvas* Canvas, XFORM& XForm) = 0;
  virtual bool SetWorldTransform(TCanvas* Canvas, const XFORM& XForm) = 0;
  virtual bool ModifyWorldTransform(TCanvas* Canvas, const XFORM& XForm) = 0;

  // Clipping
  virtual void IntersectClipRect(TCanvas* Canvas, int X1, int Y1, int X2, int Y2) = 0;
  virtual void ExcludeClipRect(TCanvas* Canvas, int X1, int Y1, int X2, int Y2) = 0;
  virtual void IntersectClipRectEx(TCanvas* Canvas, int X1, int Y1, int X2, int Y2, HRGN& Rgn,
                                   bool& RgnValid) = 0;
  virtual void GetClipRgn(TCanvas* Canvas, HRGN& Rgn, bool& RgnValid) = 0;
  virtual void RemoveClipRgn(TCanvas* Canvas, HRGN& Rgn, bool& RgnValid) = 0;
  virtual void RestoreClipRgn(TCanvas* Canvas, HRGN Rgn, bool RgnValid) = 0;
  virtual void IntersectClipRgn(TCanvas* Canvas, HRGN Rgn, bool RgnValid) = 0;
  virtual void UnionClipRgn(TCanvas* Canvas, HRGN Rgn, bool RgnValid) = 0;
  virtual void FreeClipRgn(HRGN Rgn, bool RgnValid) = 0;
  virtual int SaveCanvasState(TCanvas* Canvas) = 0;
  virtual void RestoreCanvasState(TCanvas* Canvas, int State) = 0;

  // Shapes
  virtual void FillRect(TCanvas* Canvas, const TRect& R);
  virtual void FillColorRect(TCanvas* Canvas, const TRect& R, TColor Color) = 0;
  virtual void Polyline(TCanvas* Canvas, const TPoint* Points, int Count) = 0;
  virtual void Polygon(TRVCanvas* RVCanvas, const std::vector<TPoint>& Points);
  virtual void Ellipse(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2);
  virtual void Rectangle(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2);
  virtual void RectangleGradient(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2,
                                 TColor Color1, TColor Color2, bool Vertical);
  virtual void SetRectangleGradientBrush(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2,
                                         TColor Color1, TColor Color2, bool Vertical,
                                         int Opacity1, int Opacity2);
  virtual void MoveTo(TRVCanvas* RVCanvas, int X, int Y);
  virtual void LineTo(TRVCanvas* RVCanvas, int X, int Y);
  virtual void Line(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2);
  virtual void Pie(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2, double StartAngle,
                   double SweepAngle);
  virtual void Arc(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2, double StartAngle,
                   double SweepAngle);
  virtual void DrawFocusRect(TRVCanvas* RVCanvas, const TRect& R);

  // Bitmaps and graphics
  virtual void DrawBitmap(TCanvas* Canvas, int X, int Y, TBitmap* bmp) = 0;
  virtual void StretchDrawBitmap(TCanvas* Canvas, const TRect& R, TBitmap* bmp) = 0;
  virtual void DrawGraphic(TCanvas* Canvas, int X, int Y, TGraphic* Graphic);
  virtual void StretchDrawGraphic(TCanvas* Canvas, const TRect& R, TGraphic* Graphic);
  virtual void PrintBitmap(TCanvas* Canvas, const TRect& R, TBitmap* bmp);
  virtual void CopyRect(TCanvas* DestCanvas, const TRect& Dest, TCanvas* SourceCanvas,
                        const TRect& Source);
  virtual void DrawImageList(TCanvas* Canvas, TCustomImageList* ImageList, int Index, int X,
                             int Y, TColor BlendColor) = 0;
  virtual int GetDeviceCaps(TCanvas* Canvas, int Index) = 0;

  // Whether formatting should ask for the maximal fit; alpha fills
  virtual bool PreferMaxFit(TCanvas* Canvas, bool BiDi, bool UseFormatCanvas, int Length,
                            int EstimFit) = 0;
  virtual void FillRectAlpha(TCanvas* Canvas, const TRect& R, TColor Color, int Opacity) = 0;

  // Pens, brushes and paths
  virtual void SetPen(TRVCanvas* RVCanvas, TPen* Pen);
  virtual void SetPenAntiAliasing(TRVCanvas* RVCanvas, bool Value);
  virtual void SetBrush(TRVCanvas* RVCanvas, TBrush* Brush, int Opacity);
  virtual void BeginPath(TRVCanvas* RVCanvas) = 0;
  virtual void EndPath(TRVCanvas* RVCanvas) = 0;
  virtual void FillPath(TRVCanvas* RVCanvas, bool ALine, bool ABack) = 0;
  virtual void PathAddEllipse(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2);
  virtual void PathAddArc(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2,
                          double StartAngle, double SweepAngle);
  virtual void PathAddLine(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2);
  virtual void PathAddRect(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2);
  virtual void PathAddPolygon(TRVCanvas* RVCanvas, const std::vector<TPoint>& Points);
  virtual void PathCloseFigure(TRVCanvas* RVCanvas) = 0;
  virtual void SetPenColorToBrush(TRVCanvas* RVCanvas);
  virtual std::unique_ptr<TBrush> CloneBrush(TRVCanvas* RVCanvas);
  virtual void SetRVBrush(TRVCanvas* RVCanvas, std::unique_ptr<TBrush> Brush);
  virtual void SetCoordCorrectionMode(bool Correct);

  // Non-virtual operations
  static void InitRVStringAdjRecord(TRVStringAdjRecord& Rec);
  int GetTextWidthAdjustingDeltaEx(TCanvas* Canvas, const WideChar* Str, int Length,
                                   TRVStringAdjRecord& Rec);
  // Size holds the measured width of Str[0..Fit): takes the invisible characters' width out of
  // it and gives back characters from the end until the rest fits MaxExtent.
  void TrimFitToExtent(TCanvas* Canvas, const WideChar* Str, int MaxExtent, bool BiDi,
                       TRVStringAdjRecord& Rec, int& Fit, TSize& Size);
  static void AdjustCoordArray(const WideChar* Str, int Length, int* PCoords);
  TSize TextSize(TCanvas* Canvas, const WideChar* Str, int Length, bool BiDi,
                 bool IgnoreSpecialChars);
  int TextWidth(TCanvas* Canvas, const TRVUnicodeString& S, bool BiDi, bool IgnoreSpecialChars);
  int TextHeight(TCanvas* Canvas, const TRVUnicodeString& S, bool BiDi,
                 bool IgnoreSpecialChars);
  void MaxFit(TCanvas* Canvas, const WideChar* Str, int Length, int Width, bool BiDi,
              bool IgnoreSpecialChars, int& Fit, TSize& Size);
  void GetTextRangeCoords(TCanvas* Canvas, const WideChar* Str, int Length, int SpaceCount,
                          int ExtraSpaceWidth, bool BiDi, bool IgnoreSpecialChars,
                          int CharIndex1, int CharIndex2, TRVCoordRangeRecord& Coords,
                          int LeftNoExpIndex, int RightNoExpIndex);
  static void FreeAdditionalCoordRangeRecords(TRVCoordRangeRecord& Coords);
  bool ApplyTextRangeRegion(TCanvas* Canvas, TCanvas* RefCanvas, const WideChar* Str,
                            int Length, int SpaceCount, int ExtraSpaceWidth, bool BiDi,
                            bool IgnoreSpecialChars, int CharIndex1, int CharIndex2, int Left,
                            int TextLeft, int Top, int Bottom, int LeftNoExpIndex,
                            int RightNoExpIndex);
  void CopyCanvasFont(TCanvas* SourceCanvas, TCanvas* DestCanvas,
                      TRVCanvasStoreFontParams& OldState);
  void FinalizeCopyCanvasFont(TCanvas* SourceCanvas, TCanvas* DestCanvas,
                              const TRVCanvasStoreFontParams& OldState);
  void ScaleCanvasTransform(TCanvas* Canvas, TRVCanvasStoreTransformParams& OldState,
                            int ScaleFactor);
  void RestoreCanvasTransform(TCanvas* Canvas, const TRVCanvasStoreTransformParams& OldState);
  void MoveWindowOrgAdvanced(TCanvas* Canvas, int DX, int DY);
  void LineDragDropCaret(TCanvas* Canvas, int X, int Y1, int Y2);
  void DrawTableResizeVLine(TCanvas* Canvas, int X, int Y1, int Y2);
  void DrawTableResizeHLine(TCanvas* Canvas, int X1, int X2, int Y);

  // Spacing arithmetic. Str may be null (every entry counts); otherwise only character starts
  // take a share, so surrogate pairs and combining sequences widen once.
  static void ApplyCharSpacingToDX(const WideChar* Str, int n, int CharSpacing, int* PDX);
  static int GetCharSpacingDelta(const WideChar* Str, int n, int CharSpacing, const int* PDX);
  static void ExpandSpacesInDX(const WideChar* Str, int Length, int* PDX, int SpaceCount,
                               int ExtraSpacing, const int* POrder);
  static void ExpandSpacesInCoords(const WideChar* Str, int Length, int* PCoordsL,
                                   int* PCoordsR, int* PCP, int SpaceCount, int ExtraSpacing);
  static void DistributeSpacingToDX(const WideChar* Str, int Length, int* PDX, int ExtraSpacing,
                                    int LeftNoExpIndex, int RightNoExpIndex,
                                    const int* POrder);
  static void DistributeSpacingInCoords(const WideChar* Str, int Length, int* PCoordsL,
                                        int* PCoordsR, int* PCP, int ExtraSpacing,
                                        int LeftNoExpIndex, int RightNoExpIndex);
  // The justification a SpaceCount asks for: shares for spaces when positive, shares for every
  // character with RV_DISTRIBUTE_SPACING, nothing otherwise.
  static void ApplySpacingToDX(const WideChar* Str, int Length, int* PDX, int SpaceCount,
                               int ExtraSpacing, int LeftNoExpIndex, int RightNoExpIndex,
                               const int* POrder);
  static void ApplySpacingToCoords(const WideChar* Str, int Length, int* PCoordsL,
                                   int* PCoordsR, int* PCP, int SpaceCount, int ExtraSpacing,
                                   int LeftNoExpIndex, int RightNoExpIndex);

  // Whether the code unit at Index begins a character (surrogate pairs and combining
  // sequences count once, at their first unit).
  static std::vector<bool> CharStarts(const WideChar* Str, int Length);
  // Whether Ch is one of the invisible characters whose width is taken out of measurements.
  static bool IsInvisibleSpecialChar(WideChar Ch);
};

// Characters that measure as nothing unless special characters are shown.
constexpr WideChar RV_ZWS = 0x200B;
constexpr WideChar RV_SHY = 0x00AD;
constexpr WideChar RV_WJ = 0x2060;
