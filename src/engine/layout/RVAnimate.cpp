#include "engine/layout/RVAnimate.h"

#include <algorithm>
#include <cstdint>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/layout/RVGifAnimate.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Graphics.h"

int MaxAnimators = 100000;

void FreeAnimatorVar(TRVItemAnimator*& Animator) {
  // The variable is cleared first: it may be the item's own field, which the animator's
  // destructor clears as well.
  TRVItemAnimator* a = Animator;
  Animator = nullptr;
  delete a;
}

// ---- TRVAnimator ---------------------------------------------------------------------------------

TRVAnimator::TRVAnimator(TCustomRVData* ARVData, TCustomRVItemInfo* AItem) { TRVAnimator::Update(ARVData, AItem); }

TRVAnimator::~TRVAnimator() {
  if (List) {
    List->Remove(this);
    if (List->Count() == 0) List->Active = false;
  }
  if (Item) Item->RemoveLinkToAnimator();
}

void TRVAnimator::Update(TCustomRVData* ARVData, TCustomRVItemInfo* AItem) {
  if (ARVData) RVData = ARVData;
  Item = AItem;
}

void TRVAnimator::NextFrame() {
  ++FrameIndex;
  if (FrameIndex >= GetFrameCount()) FrameIndex = 0;
}

TRVStyle* TRVAnimator::GetStyle() const { return RVData ? RVData->GetRVStyle() : nullptr; }

TRVGraphicItemInfo* TRVAnimator::GetGraphicItem() const { return dynamic_cast<TRVGraphicItemInfo*>(Item); }

int TRVAnimator::GetImageWidth() const { return Item ? Item->GetImageWidth(GetStyle()) : 0; }

int TRVAnimator::GetImageHeight() const { return Item ? Item->GetImageHeight(GetStyle()) : 0; }

TSize TRVAnimator::GetExportImageSize() { return TSize(GetImageWidth(), GetImageHeight()); }

void TRVAnimator::DrawGraphicAt(TCanvas* Canvas, int X, int Y, TGraphic* Graphic) {
  TRVStyle* st = GetStyle();
  if (TRVGraphicInterface* gi = st ? st->GetGraphicInterface() : nullptr)
    gi->DrawGraphic(Canvas, X, Y, Graphic);
  else
    Canvas->Draw(X, Y, Graphic);
}

void TRVAnimator::DrawFrameInRect(TCanvas* Canvas, const TRect& ObjectRect, bool Animation) {
  if (!Canvas || !Item) return;
  TRVStyle* st = GetStyle();
  const int bx = st ? st->GetAsPixels(Item->GetBorderWidth()) : Item->GetBorderWidth();
  const int by = st ? st->GetAsPixels(Item->GetBorderHeight()) : Item->GetBorderHeight();
  Draw(ObjectRect.Left + bx, ObjectRect.Top + by, Canvas, Animation);
}

bool TRVAnimator::CheckVisibility() {
  auto* view = dynamic_cast<IRVAnimationView*>(RVData);
  if (!view || !Item) return false;
  TRect docRect;
  if (!view->GetAnimatedObjectRect(Item, docRect)) return false;
  FRVRVDataRect = docRect;
  const TRect client = view->AnimatedRectToClient(docRect);
  Moved = !(client == FRVClientRect);
  FRVClientRect = client;
  FSRVClientRect = FRVClientRect;
  bool visible = false;
  if (view->IsAniRectVisibleInEditor(FSRVClientRect, FZoomPercent, visible)) return visible;
  return FRVClientRect.Bottom >= 1 && FRVClientRect.Top < view->GetAnimationClientHeight();
}

// ---- TRVBitmapAnimator ---------------------------------------------------------------------------

namespace {

TBitmap* ItemBitmap(TRVGraphicItemInfo* Item) {
  try {
    return Item ? dynamic_cast<TBitmap*>(Item->GetImage()) : nullptr;
  } catch (...) {
    RVRethrowUnlessDataError();
    return nullptr;  // a picture that cannot be loaded is not animated
  }
}

// Columns and rows of W x H cells in a bitmap; 0 when a cell has no size.
void GridOf(TBitmap* Bmp, int W, int H, int& Columns, int& Rows) {
  Columns = Rows = 0;
  if (!Bmp || W <= 0 || H <= 0) return;
  Columns = Bmp->GetWidth() / W;
  Rows = Bmp->GetHeight() / H;
}

int IntervalMs(int Hundredths) {
  const std::int64_t ms = static_cast<std::int64_t>(Hundredths) * 10;
  return static_cast<int>(std::clamp<std::int64_t>(ms, 1, INT_MAX));
}

}  // namespace

int TRVBitmapAnimator::GetFrameCount() {
  int columns = 0, rows = 0;
  GridOf(ItemBitmap(GetGraphicItem()), GetImageWidth(), GetImageHeight(), columns, rows);
  return columns * rows;
}

void TRVBitmapAnimator::Reset() {
  TRVGraphicItemInfo* gi = GetGraphicItem();
  Interval = IntervalMs(gi ? gi->Interval : 0);
  FrameIndex = 0;
}

void TRVBitmapAnimator::ChangeFrame() {
  TRVGraphicItemInfo* gi = GetGraphicItem();
  Interval = IntervalMs(gi ? gi->Interval : 0);
  NextFrame();
}

void TRVBitmapAnimator::Draw(int X, int Y, TCanvas* Canvas, bool) {
  TBitmap* bmp = ItemBitmap(GetGraphicItem());
  const int w = GetImageWidth(), h = GetImageHeight();
  int columns = 0, rows = 0;
  GridOf(bmp, w, h, columns, rows);
  if (!Canvas || columns == 0 || rows == 0) return;
  const int col = FrameIndex % columns, row = FrameIndex / columns;
  const TRect src(col * w, row * h, col * w + w, row * h + h);
  const TRect dst(X, Y, X + w, Y + h);
  TRVStyle* st = GetStyle();
  if (TRVGraphicInterface* gi = st ? st->GetGraphicInterface() : nullptr)
    gi->CopyRect(Canvas, dst, bmp->GetCanvas(), src);
  else
    Canvas->CopyRect(dst, *bmp->GetCanvas(), src);
}

void TRVBitmapAnimator::DrawForExport(TCanvas* Canvas) {
  const int keep = FrameIndex;
  FrameIndex = 0;
  Draw(0, 0, Canvas, false);
  FrameIndex = keep;
}

void MakeBitmapAnimator(TCustomRVItemInfo* Item, TCustomRVData* RVData, TRVItemAnimator*& Animator) {
  auto* gi = dynamic_cast<TRVGraphicItemInfo*>(Item);
  bool animate = false;
  if (gi && gi->Interval > 0) {
    TRVStyle* st = RVData ? RVData->GetRVStyle() : nullptr;
    int columns = 0, rows = 0;
    GridOf(ItemBitmap(gi), gi->GetImageWidth(st), gi->GetImageHeight(st), columns, rows);
    animate = columns * rows > 1;
  }
  if (!animate) {
    FreeAnimatorVar(Animator);
    return;
  }
  if (Animator && !dynamic_cast<TRVBitmapAnimator*>(Animator)) FreeAnimatorVar(Animator);
  if (!Animator) {
    auto* a = new TRVBitmapAnimator(RVData, Item);
    a->Reset();
    Animator = a;
    if (auto* host = dynamic_cast<IRVAnimationHost*>(RVData)) host->InsertAnimator(Animator);
  } else {
    Animator->Update(RVData, Item);
    static_cast<TRVAnimator*>(Animator)->Reset();
  }
}

// Bitmaps first, the GIF maker in front of them.
void RegisterAnimators() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  MakeAnimatorProc = MakeBitmapAnimator;
  InstallGifAnimator();
}

// ---- TRVAnimatorList ----------------------------------------------------------------------------

TRVAnimatorList::~TRVAnimatorList() { TRVAnimatorList::Clear(); }

void TRVAnimatorList::Add(TRVAnimator*& Item) {
  if (!Item) return;
  if (Count() >= MaxAnimators) {
    TRVItemAnimator* a = Item;
    Item = nullptr;
    FreeAnimatorVar(a);
    return;
  }
  Item->Reset();
  MinInterval = std::min(MinInterval, Item->Interval);
  TList::Add(Item);
  Item->List = this;
}

void TRVAnimatorList::Clear() {
  for (int i = 0; i < Count(); ++i) GetItem(i)->List = nullptr;
  TList::Clear();
  Active = false;
}

void TRVAnimatorList::FreeAnimators() {
  while (Count() > 0) {
    TRVAnimator* a = GetItem(Count() - 1);
    TList::Delete(Count() - 1);
    a->List = nullptr;
    delete a;
  }
  Active = false;
}

void TRVAnimatorList::ResetBackground() {
  for (int i = 0; i < Count(); ++i) GetItem(i)->ReleaseFrames();
}

void TRVAnimatorList::TimerEvent() {
  const int elapsed = MinInterval;
  MinInterval = INT_MAX;
  for (int i = 0; i < Count(); ++i) {
    TRVAnimator* a = GetItem(i);
    a->Interval = static_cast<int>(std::max<std::int64_t>(static_cast<std::int64_t>(a->Interval) - elapsed, INT_MIN));
    if (a->Interval < 1) {
      a->ChangeFrame();
      if (a->CheckVisibility()) {
        if (auto* view = dynamic_cast<IRVAnimationView*>(a->RVData)) view->DrawAnimationFrame(a);
      } else {
        a->ReleaseFrames();
      }
    }
    MinInterval = std::min(MinInterval, a->Interval);
  }
}
