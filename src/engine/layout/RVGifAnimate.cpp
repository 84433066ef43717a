#include "engine/layout/RVGifAnimate.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/foundation/RVError.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Gif.h"
#include "platform/graphics/Graphics.h"

namespace {

// The delay the GIF reader gives a frame without one, in hundredths of a second.
constexpr int DefaultGifDelay = 10;

TRVMakeAnimatorProc PreviousMaker = nullptr;

bool IsEmptyFrame(const TGIFFrame& F) { return F.Width <= 0 || F.Height <= 0 || F.Indices.empty(); }

std::uint32_t PixelOf(TColor Color) {
  const COLORREF c = ColorToRGB(Color);
  return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

// The frame's own pixels, transparent ones with alpha 0.
TPixelImage FramePixels(const TGIFFrame& F) {
  TPixelImage img;
  img.Resize(F.Width, F.Height, 0);
  img.HasAlpha = F.Transparent;
  for (int y = 0; y < F.Height; ++y)
    for (int x = 0; x < F.Width; ++x) {
      const std::uint8_t idx = F.Indices[static_cast<std::size_t>(y) * F.Width + x];
      if (F.Transparent && idx == F.TransparentIndex) continue;
      img.At(x, y) = 0xFF000000u | (idx < F.ColorMap.size() ? F.ColorMap[idx] : 0);
    }
  return img;
}

std::uint32_t* Row(TBitmap& Bmp, int Y) { return reinterpret_cast<std::uint32_t*>(Bmp.ScanLine(Y)); }

}  // namespace

int GifAnimationFrameCount(const TGIFImage& Gif) {
  int n = Gif.FrameCount();
  while (n > 1 && IsEmptyFrame(Gif.Frame(n - 1))) --n;
  return n;
}

TGIFImage* TRVGifImageAnimator::GetGif() const {
  try {
    TRVGraphicItemInfo* gi = GetGraphicItem();
    return gi ? dynamic_cast<TGIFImage*>(gi->GetImage()) : nullptr;
  } catch (...) {
    RVRethrowUnlessDataError();
    return nullptr;
  }
}

void TRVGifImageAnimator::Reset() {
  bmp.reset();
  bmpsrc.reset();
  FBeforeFrame.reset();
  FBeforeFrameIndex = -1;
  FLastDrawnFrameIndex = -1;
  FIntervals.clear();
  if (const TGIFImage* gif = GetGif()) {
    FIntervals.reserve(static_cast<std::size_t>(gif->FrameCount()));
    for (int i = 0; i < gif->FrameCount(); ++i) {
      const TGIFFrame& f = gif->Frame(i);
      if (IsEmptyFrame(f)) {
        FIntervals.push_back(0);
        continue;
      }
      const int delay = f.HasControl && f.Delay != 0 ? f.Delay : DefaultGifDelay;
      FIntervals.push_back(std::clamp(delay, 3, 1000) * 10);
    }
  }
  FrameIndex = 0;
  Interval = 0;
  for (std::size_t i = 0; i < FIntervals.size(); ++i)
    if (FIntervals[i] != 0) {
      FrameIndex = static_cast<int>(i);
      Interval = FIntervals[i];
      break;
    }
}

void TRVGifImageAnimator::NextFrame() {
  const int n = GetFrameCount();
  // Bounded: a picture whose frames are all empty must not hold the timer.
  for (int step = 0; step < n; ++step) {
    ++FrameIndex;
    if (FrameIndex >= n) FrameIndex = 0;
    if (FIntervals[static_cast<std::size_t>(FrameIndex)] >= 1) return;
  }
}

void TRVGifImageAnimator::ChangeFrame() {
  NextFrame();
  if (FrameIndex >= 0 && FrameIndex < GetFrameCount()) Interval = FIntervals[static_cast<std::size_t>(FrameIndex)];
}

void TRVGifImageAnimator::ReleaseFrames() {
  bmpsrc.reset();
  bmp.reset();
  FBeforeFrame.reset();
  FBeforeFrameIndex = -1;
}

TRect TRVGifImageAnimator::FrameRect(const TGIFImage& Gif, int Index) const {
  const TGIFFrame& f = Gif.Frame(Index);
  const int gw = std::max(Gif.GetWidth(), 1), gh = std::max(Gif.GetHeight(), 1);
  const int w = bmp->GetWidth(), h = bmp->GetHeight();
  return TRect(MulDiv(f.Left, w, gw), MulDiv(f.Top, h, gh), MulDiv(f.Left + f.Width, w, gw),
               MulDiv(f.Top + f.Height, h, gh));
}

void TRVGifImageAnimator::PrepareBackground(TCanvas* Canvas) {
  bmpsrc.reset();
  auto* rect = dynamic_cast<TRVRectItemInfo*>(Item);
  if (rect && rect->BackgroundColor != clNone) {
    FBackColor = rect->BackgroundColor;
    return;
  }
  FBackColor = clWhite;
  auto* view = dynamic_cast<IRVAnimationView*>(RVData);
  if (!view) return;
  const int w = bmp->GetWidth(), h = bmp->GetHeight();
  if (Canvas) Canvas->Lock();
  try {
    view->GetAnimationBackground(Item, TRect(0, 0, w, h), bmpsrc, FBackColor);
  } catch (...) {
    bmpsrc.reset();
  }
  if (Canvas) Canvas->Unlock();
  // A background of another size or format is made to fit the composition.
  if (bmpsrc && (bmpsrc->GetWidth() != w || bmpsrc->GetHeight() != h || bmpsrc->GetPixelFormat() != pf32bit)) {
    auto fit = std::make_unique<TBitmap>();
    TPixelImage img;
    img.Resize(w, h, PixelOf(FBackColor));
    fit->FromPixels(img);
    DrawPixelImage(*fit->GetCanvas(), TRect(0, 0, bmpsrc->GetWidth(), bmpsrc->GetHeight()), bmpsrc->ToPixels());
    bmpsrc = std::move(fit);
  }
}

void TRVGifImageAnimator::RestoreBackground(const TRect& R) {
  const int w = bmp->GetWidth(), h = bmp->GetHeight();
  const int l = std::max<int>(R.Left, 0), t = std::max<int>(R.Top, 0);
  const int r = std::min<int>(R.Right, w), b = std::min<int>(R.Bottom, h);
  if (l >= r || t >= b) return;
  const std::uint32_t fill = PixelOf(FBackColor);
  for (int y = t; y < b; ++y) {
    std::uint32_t* dst = Row(*bmp, y);
    if (bmpsrc) {
      const auto* src = reinterpret_cast<const std::uint32_t*>(std::as_const(*bmpsrc).ScanLine(y));
      for (int x = l; x < r; ++x) dst[x] = src[x] | 0xFF000000u;
    } else {
      std::fill(dst + l, dst + r, fill);
    }
  }
}

void TRVGifImageAnimator::ComposeFrame(const TGIFImage& Gif, int Index) {
  const int w = bmp->GetWidth(), h = bmp->GetHeight();
  // What the previous frame leaves behind.
  if (Index == 0 || !Gif.Frame(Index - 1).HasControl) {
    RestoreBackground(TRect(0, 0, w, h));
  } else if (Gif.Frame(Index - 1).Disposal == dmBackground) {
    RestoreBackground(FrameRect(Gif, Index - 1));
  } else if (Gif.Frame(Index - 1).Disposal == dmPrevious && FBeforeFrame && FBeforeFrameIndex == Index - 1) {
    for (int y = 0; y < h; ++y)
      std::memcpy(Row(*bmp, y), std::as_const(*FBeforeFrame).ScanLine(y), static_cast<std::size_t>(w) * 4);
  }
  const TGIFFrame& f = Gif.Frame(Index);
  if (f.Disposal == dmPrevious && f.HasControl) {
    if (!FBeforeFrame) FBeforeFrame = std::make_unique<TBitmap>();
    FBeforeFrame->FromPixels(bmp->ToPixels());
    FBeforeFrameIndex = Index;
  }
  if (IsEmptyFrame(f)) return;
  const TRect r = FrameRect(Gif, Index);
  if (r.Width() == f.Width && r.Height() == f.Height) {
    // The picture at its own size: the frame's pixels as they are.
    for (int y = 0; y < f.Height; ++y) {
      const int ty = r.Top + y;
      if (ty < 0 || ty >= h) continue;
      std::uint32_t* dst = Row(*bmp, ty);
      const std::uint8_t* src = f.Indices.data() + static_cast<std::size_t>(y) * f.Width;
      for (int x = 0; x < f.Width; ++x) {
        const int tx = r.Left + x;
        if (tx < 0 || tx >= w) continue;
        const std::uint8_t idx = src[x];
        if (f.Transparent && idx == f.TransparentIndex) continue;
        dst[tx] = 0xFF000000u | (idx < f.ColorMap.size() ? f.ColorMap[idx] : 0);
      }
    }
  } else if (r.Width() > 0 && r.Height() > 0) {
    DrawPixelImage(*bmp->GetCanvas(), r, FramePixels(f));
  }
}

void TRVGifImageAnimator::Draw(int X, int Y, TCanvas* Canvas, bool Animation) {
  if (std::exchange(DrawPending, false)) Animation = true;
  const TGIFImage* gif = GetGif();
  const int w = GetImageWidth(), h = GetImageHeight();
  if (!gif || !Canvas || w <= 0 || h <= 0 || GetFrameCount() != gif->FrameCount()) return;
  if (FrameIndex < 0 || FrameIndex >= gif->FrameCount()) FrameIndex = 0;
  const int paraNo = Item ? Item->ParaNo : -1;
  const bool reuse = bmp && Animation && paraNo == FParaNo && !Moved && bmp->GetWidth() == w && bmp->GetHeight() == h &&
                     FLastDrawnFrameIndex >= 0;
  if (reuse) {
    if (FrameIndex == FLastDrawnFrameIndex) {
      DrawGraphicAt(Canvas, X, Y, bmp.get());
      return;
    }
    if (FrameIndex != FLastDrawnFrameIndex + 1) {
      const int from = FrameIndex < FLastDrawnFrameIndex ? 0 : FLastDrawnFrameIndex + 1;
      for (int i = from; i < FrameIndex; ++i) ComposeFrame(*gif, i);
    }
  } else {
    bmp = std::make_unique<TBitmap>();
    TPixelImage blank;
    blank.Resize(w, h, 0xFFFFFFFFu);
    bmp->FromPixels(blank);
    FBeforeFrame.reset();
    FBeforeFrameIndex = -1;
    FParaNo = paraNo;
    FX = X;
    FY = Y;
    if (gif->GetTransparent()) {
      PrepareBackground(Canvas);
      if (!bmpsrc) RestoreBackground(TRect(0, 0, w, h));
    } else {
      bmpsrc.reset();
      FBackColor = clWhite;
    }
    for (int i = 0; i < FrameIndex; ++i) ComposeFrame(*gif, i);
  }
  ComposeFrame(*gif, FrameIndex);
  FLastDrawnFrameIndex = FrameIndex;
  DrawGraphicAt(Canvas, X, Y, bmp.get());
}

TSize TRVGifImageAnimator::GetExportImageSize() {
  const TGIFImage* gif = GetGif();
  return gif ? TSize(gif->GetWidth(), gif->GetHeight()) : TSize(0, 0);
}

void TRVGifImageAnimator::DrawForExport(TCanvas* Canvas) {
  const TGIFImage* gif = GetGif();
  if (!gif || !Canvas) return;
  Canvas->Brush().SetColor(clWhite);
  Canvas->Brush().SetStyle(bsSolid);
  Canvas->FillRect(TRect(0, 0, gif->GetWidth(), gif->GetHeight()));
  for (int i = 0; i < gif->FrameCount(); ++i) {
    const TGIFFrame& f = gif->Frame(i);
    if (IsEmptyFrame(f)) continue;
    DrawPixelImage(*Canvas, TRect(f.Left, f.Top, f.Left + f.Width, f.Top + f.Height), FramePixels(f));
    break;
  }
}

void MakeGifAnimator(TCustomRVItemInfo* Item, TCustomRVData* RVData, TRVItemAnimator*& Animator) {
  auto* gi = dynamic_cast<TRVGraphicItemInfo*>(Item);
  TGIFImage* gif = nullptr;
  try {
    gif = gi ? dynamic_cast<TGIFImage*>(gi->GetImage()) : nullptr;
  } catch (...) {
    RVRethrowUnlessDataError();
    gif = nullptr;
  }
  if (!gif || GifAnimationFrameCount(*gif) <= 1) {
    if (PreviousMaker)
      PreviousMaker(Item, RVData, Animator);
    else
      FreeAnimatorVar(Animator);
    return;
  }
  if (Animator && !dynamic_cast<TRVGifImageAnimator*>(Animator)) FreeAnimatorVar(Animator);
  if (!Animator) {
    auto* a = new TRVGifImageAnimator(RVData, Item);
    a->Reset();
    Animator = a;
    if (auto* host = dynamic_cast<IRVAnimationHost*>(RVData)) host->InsertAnimator(Animator);
  } else {
    Animator->Update(RVData, Item);
    static_cast<TRVAnimator*>(Animator)->Reset();
  }
}

void InstallGifAnimator() {
  if (MakeAnimatorProc == MakeGifAnimator) return;
  PreviousMaker = MakeAnimatorProc;
  MakeAnimatorProc = MakeGifAnimator;
}
