// The class library's canvas and its drawing objects over a device context. Including this
// header brings the whole device-context and string-analysis interface with it.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/base/Types.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/ScriptString.h"

class TGraphic;  // Pictures.h

// Colour conversion: system colours through the fixed scheme; clNone and clDefault give black.
COLORREF ColorToRGB(TColor color);

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle, 4>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TFontQuality { fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType,
                    fqClearTypeNatural };
using TFontCharset = BYTE;
using TFontName = UnicodeString;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame,
                 psUserStyle, psAlternate };
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
                pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor,
                pmNotXor };
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
                   bsDiagCross };

// Shared base of font, pen and brush: a lazily created handle, owned unless given away.
class TGraphicsObject : public TObject {
 public:
  std::function<void(TObject*)> OnChange;
  ~TGraphicsObject() override;
  bool HandleAllocated() const { return FHandle != nullptr; }

 protected:
  void Changed();
  void FreeHandle();
  HGDIOBJ FHandle = nullptr;
};

class TFont : public TGraphicsObject {
 public:
  TFont();
  void Assign(const TFont& source);

  HFONT GetHandle();
  // Takes ownership of the handle; its LOGFONT becomes the font's properties.
  void SetHandle(HFONT h);
  UnicodeString GetName() const { return FName; }
  void SetName(const UnicodeString& v);
  int GetSize() const;  // points, from Height and PixelsPerInch
  void SetSize(int points);
  int GetHeight() const { return FHeight; }
  void SetHeight(int v);
  TFontStyles GetStyle() const { return FStyle; }
  void SetStyle(TFontStyles v);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor v);
  TFontCharset GetCharset() const { return FCharset; }
  void SetCharset(TFontCharset v);
  TFontPitch GetPitch() const { return FPitch; }
  void SetPitch(TFontPitch v);
  TFontQuality GetQuality() const { return FQuality; }
  void SetQuality(TFontQuality v);
  int GetOrientation() const { return FOrientation; }
  void SetOrientation(int v);
  // Horizontal scaling: the average character width asked of the font; 0 = natural.
  int GetWidth() const { return FWidth; }
  void SetWidth(int v);
  int GetPixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int v);  // keeps Height; Size follows
  LOGFONTW GetLogFont() const;

 private:
  UnicodeString FName = u"Tahoma";
  int FHeight = -11;
  int FWidth = 0;
  TFontStyles FStyle;
  TColor FColor = clWindowText;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
  TFontQuality FQuality = fqDefault;
  int FOrientation = 0;
  int FPixelsPerInch = 96;
};

class TPen : public TGraphicsObject {
 public:
  void Assign(const TPen& source);
  HPEN GetHandle();
  void SetHandle(HPEN h);  // takes ownership
  TColor GetColor() const { return FColor; }
  void SetColor(TColor v);
  int GetWidth() const { return FWidth; }
  void SetWidth(int v);
  TPenStyle GetStyle() const { return FStyle; }
  void SetStyle(TPenStyle v);
  TPenMode GetMode() const { return FMode; }
  void SetMode(TPenMode v);  // applied to the canvas as its ROP2

 private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

class TBrush : public TGraphicsObject {
 public:
  void Assign(const TBrush& source);
  HBRUSH GetHandle();
  void SetHandle(HBRUSH h);  // takes ownership
  TColor GetColor() const { return FColor; }
  void SetColor(TColor v);
  TBrushStyle GetStyle() const { return FStyle; }
  void SetStyle(TBrushStyle v);
  // 8x8 monochrome pattern (bit 7 leftmost); replaces Style until the style is set again.
  void SetPattern(const BYTE rows[8]);

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  bool FHasPattern = false;
  BYTE FPattern[8] = {};
};

using TCopyMode = DWORD;
enum TCanvasStateItem { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = TSet<TCanvasStateItem, 4>;

class TCanvas : public TObject {
 public:
  TCanvas();
  explicit TCanvas(HDC dc);  // does not own the context
  ~TCanvas() override;

  // The context with the canvas's font, pen and brush selected.
  HDC GetHandle();
  void SetHandle(HDC dc);  // deselects from the previous context; null detaches
  bool HandleAllocated() const { return FHandle != nullptr; }

  TFont& Font() { return *FFont; }
  TPen& Pen() { return *FPen; }
  TBrush& Brush() { return *FBrush; }
  void SetFont(const TFont& f) { FFont->Assign(f); }
  void SetPen(const TPen& p) { FPen->Assign(p); }
  void SetBrush(const TBrush& b) { FBrush->Assign(b); }
  TCopyMode GetCopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode m) { FCopyMode = m; }
  TPoint GetPenPos();
  void SetPenPos(const TPoint& p) { MoveTo(p.X, p.Y); }
  TColor GetPixel(int x, int y);
  void SetPixel(int x, int y, TColor c);

  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
  void Polygon(const std::vector<TPoint>& points);
  void Polyline(const std::vector<TPoint>& points);
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void FillRect(const TRect& r);
  void FrameRect(const TRect& r);
  void DrawFocusRect(const TRect& r);
  void TextOut(int x, int y, const UnicodeString& text);
  void TextRect(const TRect& r, int x, int y, const UnicodeString& text);
  TSize TextExtent(const UnicodeString& text);
  int TextWidth(const UnicodeString& text) { return TextExtent(text).cx; }
  int TextHeight(const UnicodeString& text) { return TextExtent(text).cy; }
  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const TRect& r, TGraphic* graphic);
  // Copies with CopyMode from source's rectangle (stretched when the sizes differ).
  void CopyRect(const TRect& dest, TCanvas& source, const TRect& src);

  // Serialises the users of one canvas; nests on the thread that holds it.
  void Lock() {
    FLock.lock();
    ++FLockCount;
  }
  bool TryLock() {
    if (!FLock.try_lock()) return false;
    ++FLockCount;
    return true;
  }
  void Unlock() {
    --FLockCount;
    FLock.unlock();
  }
  int GetLockCount() const { return FLockCount; }

 protected:
  virtual void CreateHandle() {}
  void RequiredState(TCanvasState req);

 private:
  void FontChanged(TObject*);
  void PenChanged(TObject*);
  void BrushChanged(TObject*);
  void DeselectHandles();

  HDC FHandle = nullptr;
  TCanvasState FState;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  TCopyMode FCopyMode = SRCCOPY;
  TPoint FPenPos;
  std::recursive_mutex FLock;
  std::atomic<int> FLockCount{0};
};
