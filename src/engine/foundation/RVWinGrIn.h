// The drawing back-end over the device context's own text functions: text is measured and
// drawn with the context's extent, placement and output calls; right-to-left runs are shaped
// and reordered by character placement.
#pragma once

#include "engine/foundation/RVGrIn.h"

class TRVWinGlyphDXData : public TCustomRVGlyphDXData {
 public:
  std::vector<WCHAR> PGlyphs;  // glyph indexes from character placement
  int nGlyphs = 0;
  std::vector<int> POrderRev;  // for each drawing position, the character drawn there, or -1

  // False when placement reported position 0 for every character (no usable order).
  bool CheckOrder(int Length) const;
  void FillReverseOrder(int Length);
  void FillCoordsBiDi(int Length);
  void FillCoordsLTR(int Length);   // PDX holds cumulative right edges
  void FillCoordsLTR2(int Length);  // PDX holds widths
  void MakeCharWidthsLTR(int Length);
};

class TRVWinGraphicInterface : public TRVGraphicInterface {
 public:
  TRV_GRIN_TEXT_OPERATIONS(override)
  UINT GetOutlineTextMetrics(TCanvas* Canvas, UINT Size, OUTLINETEXTMETRICW* POTM) override;
  bool GetTextMetrics(TCanvas* Canvas, TEXTMETRICW& TM) override;
  bool FontHasLigationGlyphs(TCanvas* Canvas) override;
  void SetTextAlign(TCanvas* Canvas, UINT Flags) override;
  UINT GetTextAlign(TCanvas* Canvas) override;
  int GetTextCharacterExtra(TCanvas* Canvas) override;
  void SetTextCharacterExtra(TCanvas* Canvas, int CharExtra) override;
  void SetLogFont(TCanvas* Canvas, const LOGFONTW& LogFont) override;
  HFONT SetFontHandle(TCanvas* Canvas, HFONT FontHandle) override;
  void SetDiagonalBrush(TCanvas* Canvas, TColor BackColor, TColor ForeColor, int XOrg,
                        int YOrg) override;

  TCanvas* CreateScreenCanvas() override;
  TCanvas* CreateScreenCompatibleCanvas() override;
  void DestroyScreenCanvas(TCanvas* Canvas) override;
  TCanvas* CreateCompatibleCanvas(TCanvas* Canvas) override;
  void DestroyCompatibleCanvas(TCanvas* Canvas) override;
  TCanvas* CreatePrinterCanvas() override;
  bool PrinterSupportsCopies(int Copies) override;

  void GetViewportExtEx(TCanvas* Canvas, SIZE& Size) override;
  void GetViewportOrgEx(TCanvas* Canvas, POINT& Point) override;
  void GetWindowExtEx(TCanvas* Canvas, SIZE& Size) override;
  void GetWindowOrgEx(TCanvas* Canvas, POINT& Point) override;
  void SetViewportExtEx(TCanvas* Canvas, int XExt, int YExt, SIZE* OldSize) override;
  void SetViewportOrgEx(TCanvas* Canvas, int X, int Y, POINT* OldPoint) override;
  void SetWindowExtEx(TCanvas* Canvas, int XExt, int YExt, SIZE* OldSize) override;
  void SetWindowOrgEx(TCanvas* Canvas, int X, int Y, POINT* OldPoint) override;
  int GetMapMode(TCanvas* Canvas) override;
  int SetMapMode(TCanvas* Canvas, int Mode) override;
  bool SetGraphicsMode(TCanvas* Canvas, bool Advanced) override;
  bool IsAdvancedGraphicsMode(TCanvas* Canvas) override;
  bool GetWorldTransform(TCanvas* Canvas, XFORM& XForm) override;
  bool SetWorldTransform(TCanvas* Canvas, const XFORM& XForm) override;
  bool ModifyWorldTransform(TCanvas* Canvas, const XFORM& XForm) override;

  void IntersectClipRect(TCanvas* Canvas, int X1, int Y1, int X2, int Y2) override;
  void ExcludeClipRect(TCanvas* Canvas, int X1, int Y1, int X2, int Y2) override;
  void IntersectClipRectEx(TCanvas* Canvas, int X1, int Y1, int X2, int Y2, HRGN& Rgn,
                           bool& RgnValid) override;
  void GetClipRgn(TCanvas* Canvas, HRGN& Rgn, bool& RgnValid) override;
  void RemoveClipRgn(TCanvas* Canvas, HRGN& Rgn, bool& RgnValid) override;
  void RestoreClipRgn(TCanvas* Canvas, HRGN Rgn, bool RgnValid) override;
  void IntersectClipRgn(TCanvas* Canvas, HRGN Rgn, bool RgnValid) override;
  void UnionClipRgn(TCanvas* Canvas, HRGN Rgn, bool RgnValid) override;
  void FreeClipRgn(HRGN Rgn, bool RgnValid) override;
  int SaveCanvasState(TCanvas* Canvas) override;
  void RestoreCanvasState(TCanvas* Canvas, int State) override;

  void FillColorRect(TCanvas* Canvas, const TRect& R, TColor Color) override;
  void Polyline(TCanvas* Canvas, const TPoint* Points, int Count) override;
  void DrawBitmap(TCanvas* Canvas, int X, int Y, TBitmap* bmp) override;
  void StretchDrawBitmap(TCanvas* Canvas, const TRect& R, TBitmap* bmp) override;
  void PrintBitmap(TCanvas* Canvas, const TRect& R, TBitmap* bmp) override;
  void DrawImageList(TCanvas* Canvas, TCustomImageList* ImageList, int Index, int X, int Y,
                     TColor BlendColor) override;
  int GetDeviceCaps(TCanvas* Canvas, int Index) override;

  bool PreferMaxFit(TCanvas* Canvas, bool BiDi, bool UseFormatCanvas, int Length,
                    int EstimFit) override;
  void FillRectAlpha(TCanvas* Canvas, const TRect& R, TColor Color, int Opacity) override;

  void BeginPath(TRVCanvas* RVCanvas) override;
  void EndPath(TRVCanvas* RVCanvas) override;
  void FillPath(TRVCanvas* RVCanvas, bool ALine, bool ABack) override;
  void PathCloseFigure(TRVCanvas* RVCanvas) override;

  // The pieces an alpha fill blends, in order: full tiles column by column, the right
  // remainder column, the bottom remainder row and the corner.
  static std::vector<TRect> AlphaFillPieces(const TRect& R);

 protected:
  // Advances in drawing order (or text order for left-to-right) and, when asked, the order.
  void GetDXAndOrder(TCanvas* Canvas, const WideChar* Str, int Length, bool BiDi,
                     bool IgnoreSpecialChars, std::vector<int>& PDX, std::vector<int>* POrder);
  bool GetCaretPositionsByPlacement(TCanvas* Canvas, const WideChar* Str, int Length,
                                    int SpaceCount, int ExtraSpaceWidth,
                                    bool IgnoreSpecialChars, int* PCP, int LeftNoExpIndex,
                                    int RightNoExpIndex);
  void GetCaretPositionsByExtents(TCanvas* Canvas, const WideChar* Str, int Length,
                                  int SpaceCount, int ExtraSpaceWidth, bool IgnoreSpecialChars,
                                  int* PCP, int LeftNoExpIndex, int RightNoExpIndex);
};

// Takes the canvas's character extra off for a scope and puts it back on every path.
class TRVCharExtraOff {
 public:
  TRVCharExtraOff(TRVGraphicInterface& GI, TCanvas* Canvas);
  ~TRVCharExtraOff();
  TRVCharExtraOff(const TRVCharExtraOff&) = delete;
  TRVCharExtraOff& operator=(const TRVCharExtraOff&) = delete;
  int Extra() const { return FExtra; }

 private:
  TRVGraphicInterface& FGI;
  TCanvas* FCanvas;
  int FExtra;
};
