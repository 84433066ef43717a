// Canvas transforms of rotated documents, the soft page breaks pagination leaves in a document,
// and scrolling a rectangle into view.
#include "engine/layout/RVFormattedData.h"
#include "engine/foundation/RVFuncs.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Graphics.h"

namespace {
constexpr int MaxNestingDepth = 64;
}  // namespace

// ---- transforms --------------------------------------------------------------------------------

void TCustomRVFormattedData::PrepareTransform(TCanvas* Canvas, TRVStoreDocTransform& OldState, int ExtraX,
                                              int ExtraY, TRVTransformBase Base, int DocHeight) {
  OldState = TRVStoreDocTransform{};
  PrepareTransformLevel(Canvas, OldState, ExtraX, ExtraY, Base, DocHeight, 0);
}

void TCustomRVFormattedData::PrepareTransformLevel(TCanvas* Canvas, TRVStoreDocTransform& OldState, int ExtraX,
                                                   int ExtraY, TRVTransformBase Base, int DocHeight, int Depth) {
  if (DocHeight < 0) DocHeight = DocumentHeight;
  int hoffs = GetHOffs(), voffs = GetVOffs(), valign = GetVerticalAlign();
  if (Base == rvtrbInplaceBackground) {
    valign = 0;
    TCustomRVData* absParent = GetAbsoluteParentData();
    if (!absParent || !absParent->GetFlags().Contains(rvflRoot)) hoffs = voffs = 0;
  }
  DoPrepareTransformLevel(Canvas, OldState, ExtraX, ExtraY, hoffs, voffs, GetWidth(), GetHeight(), DocHeight, valign,
                          Base, Depth);
}

void TCustomRVFormattedData::DoPrepareTransform(TCanvas* Canvas, TRVStoreDocTransform& OldState, int ExtraX,
                                                int ExtraY, int HOffs, int VOffs, int Width, int Height,
                                                int DocHeight, int VAlign, TRVTransformBase Base) {
  OldState = TRVStoreDocTransform{};
  DoPrepareTransformLevel(Canvas, OldState, ExtraX, ExtraY, HOffs, VOffs, Width, Height, DocHeight, VAlign, Base, 0);
}

void TCustomRVFormattedData::DoPrepareTransformLevel(TCanvas* Canvas, TRVStoreDocTransform& OldState, int ExtraX,
                                                     int ExtraY, int HOffs, int VOffs, int Width, int Height,
                                                     int DocHeight, int VAlign, TRVTransformBase Base, int Depth) {
  if (!Canvas || !Canvas->HandleAllocated()) return;
  TCustomRVData* parent = GetParentData();
  // A level below one whose parents already turned the canvas keeps the state they saved.
  bool record = true;
  if (Base == rvtrbRecursive && parent && Depth < MaxNestingDepth) {
    if (TCustomRVFormattedData* p = RVFormattedOf(parent); p && p != this) {
      p->PrepareTransformLevel(Canvas, OldState, ExtraX, ExtraY, rvtrbRecursive, -1, Depth + 1);
      ExtraX = ExtraY = 0;
      record = !OldState.Used;
    }
  }
  TRVDocRotation rotation = rvrotNone;
  switch (Base) {
    case rvtrbRoot:
    case rvtrbRecursive: rotation = GetRealRotation(false); break;
    case rvtrbAbsRoot: rotation = GetRealRotation(true); break;
    case rvtrbInplaceBackground:
      if (TCustomRVData* a = GetAbsoluteParentData()) rotation = a->GetRealRotation(false);
      break;
    case rvtrbLocal: rotation = GetRotation(); break;
  }
  const bool apply = rotation != rvrotNone || (!parent && GetRotation() != rvrotNone);
  if (record) OldState.Used = apply;
  if (!apply) return;

  HDC dc = Canvas->GetHandle();
  const bool wasAdvanced = ::GetGraphicsMode(dc) == GM_ADVANCED;
  if (!wasAdvanced) ::SetGraphicsMode(dc, GM_ADVANCED);
  if (record) {
    OldState.AdvancedMode = wasAdvanced;
    if (wasAdvanced) ::GetWorldTransform(dc, &OldState.XForm);
  }
  XFORM xf;
  MakeRotationTransform(xf, rotation, HOffs + ExtraX, VOffs + ExtraY, Width, Height, DocHeight, VAlign);
  if (wasAdvanced)
    ::ModifyWorldTransform(dc, &xf, MWT_LEFTMULTIPLY);
  else
    ::SetWorldTransform(dc, &xf);
}

void TCustomRVFormattedData::RestoreTransform(TCanvas* Canvas, const TRVStoreDocTransform& OldState) {
  if (!OldState.Used || !Canvas || !Canvas->HandleAllocated()) return;
  HDC dc = Canvas->GetHandle();
  if (OldState.AdvancedMode) {
    ::SetWorldTransform(dc, &OldState.XForm);
  } else {
    ::ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
    ::SetGraphicsMode(dc, GM_COMPATIBLE);
  }
}

// ---- soft page breaks --------------------------------------------------------------------------

void TCustomRVFormattedData::AssignSoftPageBreak(IRVSoftPageBreakSource* Source, int PageNo) {
  if (!Source) return;
  if (!FSoftPageBreaks) FSoftPageBreaks = std::make_unique<TRVSoftPageBreakList>();
  if (Source->IsComplexSoftPageBreak(PageNo)) {
    Source->AssignComplexSoftPageBreakToItem(PageNo, this);
    return;
  }
  auto info = std::make_unique<TRVSoftPageBreakInfo>();
  Source->GetFirstItemOnPageEx(PageNo, info->ItemNo, info->Offset, info->ExtraData);
  FSoftPageBreaks->Add(info.get());
  info.release();
}

TRVSoftPageBreakInfo* TCustomRVFormattedData::GetSoftPageBreak(int Index) {
  if (!FSoftPageBreaks || Index < 0 || Index >= FSoftPageBreaks->Count()) return nullptr;
  return FSoftPageBreaks->Items(Index);
}

// ---- scrolling a rectangle into view -----------------------------------------------------------

void TCustomRVFormattedData::ShowRectangle(int Left, int Top, int Width, int Height) {
  const int hoffs = GetHOffs(), width = GetWidth();
  if (Left < hoffs || Left + Width > hoffs + width) HScrollTo(Left - width / 4);
  const int bottom = Top + Height, v = GetVOffs(), h = GetHeight(), step = GetVSmallStep();
  // Taller than the view with its top already near the view's top: leave it.
  if (bottom > v + h - 2 * step && Top < v + step) return;
  if (bottom > v + h)
    ScrollTo(bottom + step - h, true);
  else if (Top < v)
    ScrollTo(Top, true);
}
