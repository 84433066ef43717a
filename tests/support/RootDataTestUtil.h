// A bare viewer for the root data's tests: a scroller that answers what the root data asks of its
// viewer from plain fields and paints through the root data's buffered painting. Its root data
// paints each draw item as a filled rectangle (or raises, when told to), and records which
// control it gave the focus instead of moving the window system's focus. The painting benchmark
// uses it too.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVRootData.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Pictures.h"
#include "support/RootDataViewerDouble.h"

inline const bool RootDataTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

// The colour the stub painter fills draw items with.
constexpr TColor StubItemColor = static_cast<TColor>(0x00C00000);  // blue

class TStubPaintRootData : public TViroZereRVData {
 public:
  using TViroZereRVData::TViroZereRVData;

  // Fills every draw item of the range that meets ClipRect vertically; raises Raise() first
  // when set.
  // The canvas origin stands for the clip rectangle's corner, as for the real painter.
  void PaintTo(TCanvas* Canvas, const TRect& ClipRect, bool, bool, bool, bool, bool, int, int, int MinDItemNo,
               int MaxDItemNo, TRVPaintItemPart*, TRVPaintItemPart*, bool) override {
    ++PaintCount;
    LastClip = ClipRect;
    if (Raise) Raise();
    Canvas->Brush().SetColor(StubItemColor);
    Canvas->Brush().SetStyle(bsSolid);
    const int last = MaxDItemNo < 0 ? DrawItems->Count() - 1 : MaxDItemNo;
    for (int i = MinDItemNo; i <= last; ++i) {
      const TRVDrawLineInfo* d = DrawItems->Get(i);
      const int top = d->Top - GetVOffs(), left = d->Left - GetHOffs();
      if (top >= ClipRect.Bottom || top + d->Height <= ClipRect.Top) continue;
      Canvas->FillRect(TRect(left - ClipRect.Left, top - ClipRect.Top, left - ClipRect.Left + d->Width,
                             top - ClipRect.Top + d->Height));
    }
  }
  std::function<void()> Raise;
  int PaintCount = 0;
  TRect LastClip{0, 0, 0, 0};
  std::vector<TWinControl*> Focused;  // controls given the focus, in order
  using TRVControlData::DrawFocusedRect;

 protected:
  void FocusControl(TWinControl* Control) override { Focused.push_back(Control); }
};

class TTestViewer : public TRootDataViewerDouble {
 public:
  explicit TTestViewer(TComponent* AOwner = nullptr) : TRootDataViewerDouble(AOwner) {
    LeftMargin = RightMargin = TopMargin = BottomMargin = 5;
    AnimationMode = rvaniManualStart;
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < 2) Sheet.TextStyles()->Add();
    for (int i = 0; i < Sheet.ParaStyles()->Count(); ++i) Sheet.ParaStyles()->Items(i)->Alignment = rvaLeft;
    // Outside painting the canvas measures on a memory context of the screen, as a viewer's
    // canvas does.
    FScreenDC = CreateCompatibleDC(nullptr);
    GetCanvas()->SetHandle(FScreenDC);
    Data = std::make_unique<TStubPaintRootData>(this);
  }
  ~TTestViewer() override {
    Destroying = true;
    Data.reset();
    GetCanvas()->SetHandle(nullptr);
    DeleteDC(FScreenDC);
  }

  TStubPaintRootData& D() { return *Data; }
  // Formats the document at the client width.
  void Format() { Data->Format_(false, true, false, 0, GetCanvas(), false, false, false, false, false); }
  // Paints the root data's buffered way onto Bitmap (clipped to Clip when it is not empty).
  void PaintOnto(TBitmap& Bitmap, const TRect& Clip = TRect(0, 0, 0, 0)) {
    HDC dc = Bitmap.GetCanvas()->GetHandle();
    const int saved = SaveDC(dc);
    if (!Clip.IsEmpty()) IntersectClipRect(dc, Clip.Left, Clip.Top, Clip.Right, Clip.Bottom);
    GetCanvas()->SetHandle(dc);
    try {
      Data->PaintBuffered();
    } catch (...) {
      GetCanvas()->SetHandle(FScreenDC);
      RestoreDC(dc, saved);
      throw;
    }
    GetCanvas()->SetHandle(FScreenDC);
    RestoreDC(dc, saved);
  }

  std::unique_ptr<TStubPaintRootData> Data;

 private:
  HDC FScreenDC = nullptr;
};
