// What the animation timer asks of the document that holds an animated picture: where the
// picture is, whether the control shows it, repainting its frame and what lies under it.
#include <memory>

#include "engine/document/RVItem.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVAnimate.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/ui/Controls.h"

namespace {

// The draw item that starts Item in RVData, or -1 when the item is not formatted (or the number
// it keeps is stale).
int AnimatedDrawItemNo(TCustomRVFormattedData& RVData, TCustomRVItemInfo* Item) {
  if (!Item || !RVData.DrawItems) return -1;
  const int no = Item->DrawItemNo;
  if (no < 0 || no >= RVData.DrawItems->Count()) return -1;
  const int itemNo = RVData.DrawItems->Get(no)->ItemNo;
  if (itemNo < 0 || itemNo >= RVData.ItemCount() || RVData.GetItem(itemNo) != Item) return -1;
  return no;
}

}  // namespace

bool TCustomRVFormattedData::GetAnimatedObjectRect(TCustomRVItemInfo* Item, TRect& DocRect) {
  const int no = AnimatedDrawItemNo(*this, Item);
  if (no < 0) return false;
  const TRVDrawLineInfo* d = DrawItems->Get(no);
  const int left = d->GetObjectLeft(), top = GetTransformedDItemObjectTop(no);
  DocRect = TRect(left, top, left + d->GetObjectWidth(), top + d->GetObjectHeight());
  return true;
}

TRect TCustomRVFormattedData::AnimatedRectToClient(const TRect& DocRect) {
  TRect r = DocRect;
  RotateRectFromDocToScreen(r, rvtrbAbsRoot);
  TCustomRVFormattedData* root = AbsRootFormatted();
  if (!root) root = this;
  int ox = 0, oy = 0;
  root->GetOriginEx(ox, oy);
  const int dx = ox - root->GetHOffs(), dy = oy - root->GetVOffs();
  return TRect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy);
}

int TCustomRVFormattedData::GetAnimationClientHeight() {
  TCustomRVFormattedData* root = AbsRootFormatted();
  return (root ? root : this)->GetHeight();
}

bool TCustomRVFormattedData::IsAniRectVisibleInEditor(TRect& /*Rect*/, float& /*ZoomPercent*/, bool& /*Visible*/) {
  return false;
}

void TCustomRVFormattedData::DrawAnimationFrame(TRVAnimator* Animator) {
  if (!Animator || AnimatedDrawItemNo(*this, Animator->Item) < 0) return;
  ResetSubCoords();
  HWND wnd = GetRootControlWindow();
  if (!wnd) return;
  Animator->DrawPending = true;
  const RECT r = Animator->FRVClientRect;
  ::InvalidateRect(wnd, &r, FALSE);
}

void TCustomRVFormattedData::GetAnimationBackground(TCustomRVItemInfo* Item, const TRect& /*ImageArea*/,
                                                    std::unique_ptr<TBitmap>& Bitmap, TColor& Color) {
  Bitmap.reset();
  TColor paraColor = clNone;
  TRVOpacity paraOpacity = 0;
  const int itemNo = Item ? GetItemNo(Item) : -1;
  TRVStyle* style = GetRVStyle();
  if (itemNo >= 0 && style) {
    const int paraNo = GetDisplayedParaNo(itemNo);
    if (paraNo >= 0 && paraNo < style->ParaStyles()->Count()) {
      const TRVBackgroundRect* back = style->ParaStyles()->Items(paraNo)->Background();
      paraColor = GetActualColor(back->Color);
      paraOpacity = back->Opacity;
    }
  }
  // An opaque paragraph background hides everything behind it.
  if (paraColor != clNone && paraOpacity >= 100000) {
    Color = paraColor;
    return;
  }
  // The document paints its background as a plain colour; a translucent paragraph colour is
  // taken as it is.
  Color = GetActualColor(GetColor());
  if (paraColor != clNone && paraOpacity > 0) Color = paraColor;
  if (Color == clNone) Color = clWhite;
}
