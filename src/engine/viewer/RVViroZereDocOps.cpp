// The viewer's document operations: building and reading the document, coordinates, style
// maintenance, loading and saving, the numbered properties, copying event handlers and the calls
// that keep the live-spelling thread in step with edits. Nearly everything forwards to the root
// data; what the viewer adds is its colour, background and layout, which travel with RVF.
#include <memory>

#include "engine/document/RVBulletItem.h"
#include "engine/document/RVDocParams.h"
#include "engine/document/RVItem.h"
#include "engine/document/RVLayoutInfo.h"
#include "engine/layout/DrawLines.h"
#include "engine/viewer/RVViroZere.h"
#include "engine/viewer/RVWordEnumThread.h"

namespace {

// Runs Fn with the root data's skip-formatting state set (restored unless it was set before).
template <class F>
void WithoutFormatting(TViroZereRVData* Data, F Fn) {
  const bool had = Data->State.Contains(rvstSkipFormatting);
  Data->State.Include(rvstSkipFormatting);
  try {
    Fn();
  } catch (...) {
    if (!had) Data->State.Exclude(rvstSkipFormatting);
    throw;
  }
  if (!had) Data->State.Exclude(rvstSkipFormatting);
}

// Every item of a document tree, sub-documents included.
template <class F>
void ForEachItem(TCustomRVData* Data, F& Fn, int Depth = 0) {
  if (!Data || Depth > 200) return;
  for (int i = 0; i < Data->ItemCount(); ++i) {
    TCustomRVItemInfo* item = Data->GetItem(i);
    Fn(Data, i, item);
    std::unique_ptr<TRVStoreSubRVData> state;
    for (TCustomRVData* d = item->GetSubRVData(state, rvdFirst); d; d = item->GetSubRVData(state, rvdNext, d))
      ForEachItem(d->GetRVData(), Fn, Depth + 1);
  }
}


}  // namespace

// ---- building the document ----------------------------------------------------------------------

void TCustomViroZere::AddItem(const TRVUnicodeString& Text, TCustomRVItemInfo* Item) { RVData->AddItem(Text, Item); }

void TCustomViroZere::AddNLW(const TRVUnicodeString& Text, int StyleNo, int ParaNo, const TRVUnicodeString& Tag) {
  RVData->AddNL(Text, StyleNo, ParaNo, Tag);
}

void TCustomViroZere::AddTextNLW(const TRVUnicodeString& Text, int StyleNo, int FirstParaNo, int OtherParaNo,
                                 bool AsSingleParagraph, const TRVUnicodeString& Tag) {
  RVData->AddTextNLW(Text, StyleNo, FirstParaNo, OtherParaNo, AsSingleParagraph, Tag);
}

void TCustomViroZere::AddBreak(TRVStyleLength Width, int Style, TColor Color, const TRVUnicodeString& Tag) {
  RVData->AddBreak(Width, Style, Color, Tag);
}

void TCustomViroZere::AddBullet(int ImageIndex, TCustomImageList* ImageList, int ParaNo, const TRVUnicodeString& Tag) {
  auto item = std::make_unique<TRVBulletItemInfo>(RVData.get(), ImageIndex, ImageList, rvvaBaseline);
  item->ParaNo = ParaNo;
  item->Tag = Tag;
  RVData->AddItem(u"", item.release());
}

void TCustomViroZere::SetAddParagraphMode(bool AllowNewPara) { RVData->SetAddParagraphMode(AllowNewPara); }

// ---- reading items ------------------------------------------------------------------------------

TCustomRVItemInfo* TCustomViroZere::GetItem(int ItemNo) const { return RVData->GetItem(ItemNo); }
int TCustomViroZere::GetItemNo(const TCustomRVItemInfo* Item) const { return RVData->GetItemNo(Item); }
int TCustomViroZere::GetItemStyle(int ItemNo) const { return RVData->GetItemStyle(ItemNo); }
TRVUnicodeString TCustomViroZere::GetItemTag(int ItemNo) const { return RVData->GetItemTag(ItemNo); }
TRVUnicodeString TCustomViroZere::GetItemTextW(int ItemNo) const { return RVData->GetItemTextW(ItemNo); }
TRVVAlign TCustomViroZere::GetItemVAlign(int ItemNo) const { return RVData->GetItemVAlign(ItemNo); }
int TCustomViroZere::GetOffsBeforeItem(int ItemNo) const { return RVData->GetOffsBeforeItem(ItemNo); }
int TCustomViroZere::GetOffsAfterItem(int ItemNo) const { return RVData->GetOffsAfterItem(ItemNo); }
bool TCustomViroZere::IsFromNewLine(int ItemNo) const { return RVData->IsFromNewLine(ItemNo); }
bool TCustomViroZere::GetPageBreaksBeforeItems(int ItemNo) const { return RVData->GetPageBreaksBeforeItems(ItemNo); }
bool TCustomViroZere::GetClearLeft(int ItemNo) const { return RVData->GetClearLeft(ItemNo); }
bool TCustomViroZere::GetClearRight(int ItemNo) const { return RVData->GetClearRight(ItemNo); }

bool TCustomViroZere::GetItemExtraIntPropertyEx(int ItemNo, int Prop, int& Value) const {
  return RVData->GetItemExtraIntPropertyEx(ItemNo, Prop, Value);
}

bool TCustomViroZere::GetItemExtraStrPropertyEx(int ItemNo, int Prop, TRVUnicodeString& Value) const {
  Value.clear();
  return RVData->GetItemExtraStrPropertyEx(ItemNo, Prop, Value);
}

int TCustomViroZere::GetListMarkerInfo(int ItemNo, int& ListNo, int& ListLevel, int& StartFrom,
                                       bool& UseStartFrom) const {
  return RVData->GetListMarkerInfo(ItemNo, ListNo, ListLevel, StartFrom, UseStartFrom);
}

int TCustomViroZere::SetListMarkerInfo(int ItemNo, int ListNo, int ListLevel, int StartFrom, int ParaNo,
                                       bool UseStartFrom) {
  return RVData->SetListMarkerInfo(ItemNo, ListNo, ListLevel, StartFrom, ParaNo, UseStartFrom);
}

bool TCustomViroZere::GetItemCoords(int ItemNo, int& Left, int& Top) const {
  if (ItemNo < 0 || ItemNo >= RVData->ItemCount()) return false;
  const int dNo = RVData->FindDrawItemByItem(ItemNo);
  if (dNo < 0) return false;
  const TRVDrawLineInfo* d = (*RVData->DrawItems)[dNo];
  Left = d->Left;
  Top = d->Top;
  return true;
}

bool TCustomViroZere::GetItemAt(int X, int Y, TCustomRVFormattedData*& ARVData, int& ItemNo, int& OffsetInItem,
                                bool Strict) const {
  bool inOwner = false;
  RVData->GetItemAtEx(X, Y, ARVData, ItemNo, OffsetInItem, Strict, false, inOwner, false, true);
  return ItemNo != -1;
}

void TCustomViroZere::GetJumpPointLocation(int id, TCustomRVFormattedData*& ARVData, int& ItemNo) const {
  RVData->GetJumpPointLocation(id, ARVData, ItemNo);
}

// ---- coordinates --------------------------------------------------------------------------------

TPoint TCustomViroZere::ClientToDocument(const TPoint& Point) const {
  int x = 0, y = 0;
  RVData->GetOriginEx(x, y);
  return TPoint(Point.X + RVData->GetHOffs() - x, Point.Y + RVData->GetVOffs() - y);
}

TPoint TCustomViroZere::DocumentToClient(const TPoint& Point) const {
  int x = 0, y = 0;
  RVData->GetOriginEx(x, y);
  return TPoint(Point.X + x - RVData->GetHOffs(), Point.Y + y - RVData->GetVOffs());
}

// ---- style maintenance --------------------------------------------------------------------------

void TCustomViroZere::DeleteUnusedStyles(bool TextStyles, bool ParaStyles, bool ListStyles) {
  RVData->DeleteUnusedStyles(TextStyles, ParaStyles, ListStyles);
}

void TCustomViroZere::MarkStylesInUse(TRVDeleteUnusedStylesData* Data) { RVData->MarkStylesInUse(Data); }

void TCustomViroZere::ConvertDocToDifferentUnits(TRVStyleUnits NewUnits) {
  if (!FStyle || FStyle->Units == NewUnits) return;
  RVData->ConvertToDifferentUnits(NewUnits, FStyle, true);
}

void TCustomViroZere::ClearSoftPageBreaks() {
  if (RVData->ClearSoftPageBreaks()) Invalidate();
}

// ---- the native format --------------------------------------------------------------------------

std::unique_ptr<TRVLayoutInfo> TCustomViroZere::CreateLayoutInfo() const {
  auto layout = std::make_unique<TRVLayoutInfo>();
  layout->LeftMargin = FLeftMargin;
  layout->RightMargin = FRightMargin;
  layout->TopMargin = FTopMargin;
  layout->BottomMargin = FBottomMargin;
  layout->MinTextWidth = FMinTextWidth;
  layout->MaxTextWidth = FMaxTextWidth;
  layout->BiDiMode = GetBiDiMode();
  return layout;
}

bool TCustomViroZere::InsertRVFFromStream(TStream* Stream, int Index) {
  TColor color = GetColor();
  TViewerRVFBackground back(this);
  const bool ok = RVData->InsertRVFFromStream(Stream, Index, color, &back, nullptr, true);
  SetColor(color);
  return ok;
}

bool TCustomViroZere::AppendRVFFromStream(TStream* Stream, int ParaNo) {
  TColor color = GetColor();
  TViewerRVFBackground back(this);
  const bool ok = RVData->AppendRVFFromStream(Stream, ParaNo, color, &back);
  SetColor(color);
  return ok;
}

bool TCustomViroZere::LoadRVFFromStream(TStream* Stream) {
  TColor color = GetColor();
  TRVLayoutInfo layout;
  TViewerRVFBackground back(this);
  const bool ok = RVData->LoadRVFFromStream(Stream, color, &back, &layout);
  // The layout read is applied without formatting: the caller formats once afterwards.
  if (layout.Loaded) WithoutFormatting(RVData.get(), [&] { ApplyLayoutInfo(layout); });
  SetColor(color);
  return ok;
}

bool TCustomViroZere::LoadRVF(const TRVUnicodeString& FileName) {
  TColor color = GetColor();
  TRVLayoutInfo layout;
  TViewerRVFBackground back(this);
  const bool ok = RVData->LoadRVF(FileName, color, &back, &layout);
  if (layout.Loaded) WithoutFormatting(RVData.get(), [&] { ApplyLayoutInfo(layout); });
  SetColor(color);
  return ok;
}

bool TCustomViroZere::SaveRVFToStream(TStream* Stream, bool SelectionOnly) {
  std::unique_ptr<TRVLayoutInfo> layout = CreateLayoutInfo();
  TViewerRVFBackground back(this);
  return RVData->SaveRVFToStream(Stream, SelectionOnly, GetColor(), &back, layout.get(), true);
}

bool TCustomViroZere::SaveRVF(const TRVUnicodeString& FileName, bool SelectionOnly) {
  std::unique_ptr<TRVLayoutInfo> layout = CreateLayoutInfo();
  TViewerRVFBackground back(this);
  return RVData->SaveRVF(FileName, SelectionOnly, GetColor(), &back, layout.get());
}

// ---- formats not built in yet -------------------------------------------------------------------

bool TCustomViroZere::LoadRTFFromStream(TStream* /*Stream*/) {
  GetRTFReadProperties();  // made first, as a reader would need them
  return false;
}

bool TCustomViroZere::LoadRTF(const TRVUnicodeString& /*FileName*/) {
  GetRTFReadProperties();
  return false;
}

bool TCustomViroZere::SaveRTFToStream(TStream* /*Stream*/, bool /*SelectionOnly*/) { return false; }
bool TCustomViroZere::SaveRTF(const TRVUnicodeString& /*FileName*/, bool /*SelectionOnly*/) { return false; }

bool TCustomViroZere::SaveHTML(const TRVUnicodeString& /*FileName*/, const TRVUnicodeString& /*Title*/,
                               const TRVUnicodeString& ImagesPrefix, const TRVSaveOptions& Options) {
  imgSavePrefix = ImagesPrefix;
  SaveOptions = Options;
  imgSaveNo = 0;
  CurrentFileColor = GetEffectiveColor();
  return false;
}

bool TCustomViroZere::SaveHTMLEx(const TRVUnicodeString& /*FileName*/, const TRVUnicodeString& /*Title*/,
                                 const TRVUnicodeString& ImagesPrefix, const TRVSaveOptions& Options) {
  imgSavePrefix = ImagesPrefix;
  SaveOptions = Options;
  imgSaveNo = 0;
  return false;
}

bool TCustomViroZere::SaveDocXToStream(TStream* /*Stream*/, bool /*SelectionOnly*/) { return false; }
bool TCustomViroZere::SaveDocX(const TRVUnicodeString& /*FileName*/, bool /*SelectionOnly*/) { return false; }

void TCustomViroZere::SetRTFReadProperties(TObject* Value) {
  if (!Value) {
    FRTFReadProperties.reset();
    return;
  }
  if (auto* dst = dynamic_cast<TPersistent*>(GetRTFReadProperties()))
    if (auto* src = dynamic_cast<TPersistent*>(Value)) dst->Assign(src);
}

// ---- plain text ---------------------------------------------------------------------------------

bool TCustomViroZere::LoadText(const TRVUnicodeString& FileName, int StyleNo, int ParaNo, bool AsSingleParagraph,
                               TRVCodePage CodePage) {
  return RVData->LoadText(FileName, StyleNo, ParaNo, AsSingleParagraph, CodePage);
}

bool TCustomViroZere::LoadTextW(const TRVUnicodeString& FileName, int StyleNo, int ParaNo,
                                bool DefAsSingleParagraph) {
  return RVData->LoadTextW(FileName, StyleNo, ParaNo, DefAsSingleParagraph);
}

bool TCustomViroZere::SaveText(const TRVUnicodeString& FileName, int LineWidth, TRVCodePage CodePage) {
  return RVData->SaveText(FileName, LineWidth, false, CodePage);
}

bool TCustomViroZere::SaveTextW(const TRVUnicodeString& FileName, int LineWidth) {
  return RVData->SaveText(FileName, LineWidth, true);
}

bool TCustomViroZere::SaveTextToStream(const TRVUnicodeString& Path, TStream* Stream, int LineWidth,
                                       bool SelectionOnly, bool TextOnly, TRVCodePage CodePage) {
  TCustomRVData* data = SelectionOnly ? RVData->GetTopLevelChosenRVData() : RVData.get();
  return data->SaveTextToStreamA(Path, Stream, LineWidth, SelectionOnly, TextOnly, CodePage, true);
}

bool TCustomViroZere::SaveTextToStreamW(const TRVUnicodeString& Path, TStream* Stream, int LineWidth,
                                        bool SelectionOnly, bool TextOnly) {
  TCustomRVData* data = SelectionOnly ? RVData->GetTopLevelChosenRVData() : RVData.get();
  return data->SaveTextToStreamW(Path, Stream, LineWidth, SelectionOnly, TextOnly, false, false, true);
}

// ---- headers and footers ------------------------------------------------------------------------

void TCustomViroZere::SetHeader(TCustomRVData* HeaderData, TRVHFType HeaderType) {
  RVData->SetHeader(HeaderData, HeaderType);
}

void TCustomViroZere::SetFooter(TCustomRVData* FooterData, TRVHFType FooterType) {
  RVData->SetFooter(FooterData, FooterType);
}

// ---- numbered properties ------------------------------------------------------------------------

void TCustomViroZere::SetIntProperty(TRVIntProperty Id, int Value) {
  switch (Id) {
    case rvipLeftMargin: SetLeftMargin(Value); return;
    case rvipRightMargin: SetRightMargin(Value); return;
    case rvipTopMargin: SetTopMargin(Value); return;
    case rvipBottomMargin: SetBottomMargin(Value); return;
    case rvipMaxTextWidth: SetMaxTextWidth(Value); return;
    case rvipMinTextWidth: SetMinTextWidth(Value); return;
    case rvipBackgroundStyle:
      if (Value >= 0 && Value <= static_cast<int>(bsBottomRight)) SetBackgroundStyle(static_cast<TBackgroundStyle>(Value));
      return;
    case rvipColor: SetColor(static_cast<TColor>(Value)); return;
    case rvipBiDiMode:
      WithoutFormatting(RVData.get(), [&] { SetBiDiMode(static_cast<TRVBiDiMode>(Value)); });
      return;
    default: break;
  }
  TRVDocParameters* dp = nullptr;
  switch (Id) {
    case rvipDPUnits:
    case rvipDPOrientation:
    case rvipDPTitlePage:
    case rvipDPFacingPages:
    case rvipDPMirrorMargins: dp = GetDocParameters(); break;
    default: return;
  }
  if (!dp) return;
  switch (Id) {
    case rvipDPUnits: dp->Units = static_cast<TRVUnits>(Value); break;
    case rvipDPOrientation: dp->Orientation = static_cast<TPrinterOrientation>(Value); break;
    case rvipDPTitlePage: dp->TitlePage = Value != 0; break;
    case rvipDPFacingPages: dp->FacingPages = Value != 0; break;
    case rvipDPMirrorMargins: dp->MirrorMargins = Value != 0; break;
    default: break;
  }
}

int TCustomViroZere::GetIntProperty(TRVIntProperty Id) {
  switch (Id) {
    case rvipLeftMargin: return FLeftMargin;
    case rvipRightMargin: return FRightMargin;
    case rvipTopMargin: return FTopMargin;
    case rvipBottomMargin: return FBottomMargin;
    case rvipMaxTextWidth: return FMaxTextWidth;
    case rvipMinTextWidth: return FMinTextWidth;
    case rvipBackgroundStyle: return static_cast<int>(GetBackgroundStyle());
    case rvipColor: return static_cast<int>(GetColor());
    case rvipBiDiMode: return static_cast<int>(GetBiDiMode());
    default: break;
  }
  // Reading never makes the document parameters.
  if (!DocParametersAssigned()) return 0;
  TRVDocParameters* dp = GetDocParameters();
  switch (Id) {
    case rvipDPUnits: return static_cast<int>(dp->Units);
    case rvipDPOrientation: return static_cast<int>(dp->Orientation);
    case rvipDPTitlePage: return dp->TitlePage ? 1 : 0;
    case rvipDPFacingPages: return dp->FacingPages ? 1 : 0;
    case rvipDPMirrorMargins: return dp->MirrorMargins ? 1 : 0;
    default: return 0;
  }
}

// ---- events -------------------------------------------------------------------------------------

void TCustomViroZere::AssignEvents(TCustomViroZere* Source) {
  if (!Source || Source == this) return;
  OnSaveHTMLExtra = Source->OnSaveHTMLExtra;
  OnSaveRTFExtra = Source->OnSaveRTFExtra;
  OnSaveDocXExtra = Source->OnSaveDocXExtra;
  OnSaveComponentToFile = Source->OnSaveComponentToFile;
  OnSaveItemToFile = Source->OnSaveItemToFile;
  OnSaveParaToHTML = Source->OnSaveParaToHTML;
  OnSelect = Source->OnSelect;
  OnImportPicture = Source->OnImportPicture;
  OnRVRightClick = Source->OnRVRightClick;
  OnRVFPictureNeeded = Source->OnRVFPictureNeeded;
  OnRVFImageListNeeded = Source->OnRVFImageListNeeded;
  OnRVFControlNeeded = Source->OnRVFControlNeeded;
  OnRVDblClick = Source->OnRVDblClick;
  OnJump = Source->OnJump;
  OnRVMouseMove = Source->OnRVMouseMove;
  OnCopy = Source->OnCopy;
  OnRVMouseDown = Source->OnRVMouseDown;
  OnRVMouseUp = Source->OnRVMouseUp;
  OnControlAction = Source->OnControlAction;
  OnItemAction = Source->OnItemAction;
  OnKeyDown = Source->OnKeyDown;
  OnHTMLSaveImage = Source->OnHTMLSaveImage;
  OnSaveImage2 = Source->OnSaveImage2;
  OnStyleTemplatesChange = Source->OnStyleTemplatesChange;
  OnItemHint = Source->OnItemHint;
  OnReadHyperlink = Source->OnReadHyperlink;
  OnWriteHyperlink = Source->OnWriteHyperlink;
  OnReadMergeField = Source->OnReadMergeField;
  OnGetScaleViroZereInterface = Source->OnGetScaleViroZereInterface;
  OnPaint = Source->OnPaint;
  OnCMHintShow = Source->OnCMHintShow;
  OnAddStyle = Source->OnAddStyle;
  OnAssignImageFileName = Source->OnAssignImageFileName;
}

void TCustomViroZere::RegisterHScrollHandler(TComponent* Component, std::function<void(TObject*)> Event) {
  TCustomRVDataEvents::RegisterEventHandler(Component, RVData->GetRootEvents()->HScrollHandlers, std::move(Event));
}

void TCustomViroZere::UnregisterHScrollHandler(TComponent* Component) {
  TCustomRVDataEvents::UnregisterEventHandler(Component, RVData->GetRootEvents()->HScrollHandlers);
}

void TCustomViroZere::RegisterVScrollHandler(TComponent* Component, std::function<void(TObject*)> Event) {
  TCustomRVDataEvents::RegisterEventHandler(Component, RVData->GetRootEvents()->VScrollHandlers, std::move(Event));
}

void TCustomViroZere::UnregisterVScrollHandler(TComponent* Component) {
  TCustomRVDataEvents::UnregisterEventHandler(Component, RVData->GetRootEvents()->VScrollHandlers);
}

void TCustomViroZere::RegisterResizeHandler(TComponent* Component, std::function<void(TObject*)> Event) {
  TCustomRVDataEvents::RegisterEventHandler(Component, RVData->GetRootEvents()->ResizeHandlers, std::move(Event));
}

void TCustomViroZere::UnregisterResizeHandler(TComponent* Component) {
  TCustomRVDataEvents::UnregisterEventHandler(Component, RVData->GetRootEvents()->ResizeHandlers);
}

// ---- live spelling ------------------------------------------------------------------------------

void TCustomViroZere::LiveSpellingValidateWord(const TRVUnicodeString& Word) {
  if (!GetRootWordEnumThread()) return;
  bool changed = false;
  auto fn = [&](TCustomRVData* Data, int ItemNo, TCustomRVItemInfo* Item) {
    if (Item->ValidateMisspelledWord(Data->GetItemTextW(ItemNo), Word)) changed = true;
  };
  ForEachItem(RVData.get(), fn);
  if (changed) InvalidateControlTree();
}

void TCustomViroZere::LaterSetBackLiveSpellingTo(TCustomRVData* ARVData, int ItemNo, int Offs) {
  if (TRVWordEnumThread* t = GetRootWordEnumThread()) t->LaterSetBackTo(ARVData->GetSourceRVData(), ItemNo, Offs);
}

void TCustomViroZere::RemoveRVDataFromLiveSpelling(TCustomRVData* ARVData) {
  if (TRVWordEnumThread* t = GetRootWordEnumThread()) t->RemoveRVData(ARVData);
}

void TCustomViroZere::AdjustLiveSpellingOnKeyPress(TCustomRVData* ARVData, int ItemNo, int Index, TRVUnicodeChar ch) {
  TRVWordEnumThread* t = GetRootWordEnumThread();
  if (!t || !t->IsChecked(ARVData, ItemNo)) return;
  TCustomRVItemInfo* item = ARVData->GetItem(ItemNo);
  if (item->AdjustWordPaintersOnInsert(Index, ARVData->GetItemTextW(ItemNo), ch, ARVData)) {
    t->HasModifiedWord = false;
    t->CheckUnchecked = true;
    t->LaterSetBackTo(ARVData->GetSourceRVData(), ItemNo, 0);
  } else {
    t->HasModifiedWord = true;
  }
}

void TCustomViroZere::AdjustLiveSpellingOnDelete(TCustomRVData* ARVData, int ItemNo, int Index, int Count) {
  TRVWordEnumThread* t = GetRootWordEnumThread();
  if (!t || !t->IsChecked(ARVData, ItemNo)) return;
  if (ARVData->GetItem(ItemNo)->AdjustWordPaintersOnDelete(Index, Count)) {
    t->HasModifiedWord = false;
    t->CheckUnchecked = true;
    t->LaterSetBackTo(ARVData->GetSourceRVData(), ItemNo, 0);
  } else {
    t->HasModifiedWord = true;
  }
}

void TCustomViroZere::LiveSpellingCheckCurrentItem(TCustomRVData* ARVData, int ItemNo) {
  TRVWordEnumThread* t = GetRootWordEnumThread();
  if (!t || !t->HasModifiedWord) return;
  t->Stop(true, false);
  t->HasModifiedWord = false;
  t->CheckUnchecked = true;
  t->LaterSetBackTo(ARVData->GetSourceRVData(), ItemNo, 0);
  t->ContinueCheck();
}

void TCustomViroZere::ContinueLiveSpelling() {
  if (!FWordEnumThread) return;
  FWordEnumThread->Stop(false, false);
  FWordEnumThread->ContinueCheck();
}
