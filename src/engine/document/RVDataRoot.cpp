// The shared properties and events of a document tree (TRVDataRootProperties, TRVDataRootEvents)
// and the root state that holds them (TRVDataRootState).
#include <array>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVDataRootState.h"
#include "engine/document/RVDocParams.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVSeqItem.h"
#include "engine/document/RVStyleItemContext.h"
#include "engine/foundation/RVGraphicHolder.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/SysUtils.h"

// ---- TRVDataRootProperties ----------------------------------------------------------------------

namespace {

// Slots and extra-document names by header/footer kind (normal, first page, even pages).
constexpr std::array<int, 3> HeaderSlots = {2, 0, 1};
constexpr std::array<int, 3> FooterSlots = {5, 3, 4};
const TRVUnicodeString HeaderNames[3] = {u"header", u"headerf", u"headerr"};
const TRVUnicodeString FooterNames[3] = {u"footer", u"footerf", u"footerr"};

}  // namespace

TRVDataRootProperties::TRVDataRootProperties() = default;
TRVDataRootProperties::~TRVDataRootProperties() = default;

void TRVDataRootProperties::RemoveThumbnail(TCustomRVItemInfo* Item) {
  if (!FThumbnailCache) return;
  if (auto* owner = dynamic_cast<IRVThumbnailOwner*>(Item)) FThumbnailCache->RemoveThumbnail(owner);
}

void TRVDataRootProperties::RegisterExtraDocument(const TRVUnicodeString& Name, TCustomRVData* RVData) {
  const int index = FExtraDocuments ? FExtraDocuments->IndexOf(Name) : -1;
  if (index >= 0) {
    if (RVData)
      FExtraDocuments->PutObject(index, RVData);
    else
      FExtraDocuments->Delete(index);
  } else if (RVData) {
    GetExtraDocumentsList()->AddObject(Name, RVData);
  }
}

void TRVDataRootProperties::SetHeader(TCustomRVData* RVData, TRVHFType HeaderType) {
  FHeaderFooter[HeaderSlots.at(HeaderType)] = RVData;
  RegisterExtraDocument(HeaderNames[HeaderType], RVData);
}

void TRVDataRootProperties::SetFooter(TCustomRVData* RVData, TRVHFType FooterType) {
  FHeaderFooter[FooterSlots.at(FooterType)] = RVData;
  RegisterExtraDocument(FooterNames[FooterType], RVData);
}

TCustomRVData* TRVDataRootProperties::GetHeaderFooter(int Index) const {
  return Index >= 0 && Index < 6 ? FHeaderFooter[Index] : nullptr;
}

bool TRVDataRootProperties::HasHeaderOrFooter() const {
  for (TCustomRVData* d : FHeaderFooter)
    if (d) return true;
  return false;
}

std::vector<TRVExtraDocument> TRVDataRootProperties::ExtraDocumentEntries() const {
  std::vector<TRVExtraDocument> entries;
  if (!FExtraDocuments) return entries;
  entries.reserve(static_cast<std::size_t>(FExtraDocuments->Count()));
  for (int i = 0; i < FExtraDocuments->Count(); ++i)
    entries.push_back({FExtraDocuments->Get(i), dynamic_cast<TCustomRVData*>(FExtraDocuments->GetObject(i))});
  return entries;
}

TRVStringList* TRVDataRootProperties::GetExtraDocumentsList() {
  if (!FExtraDocuments) FExtraDocuments = std::make_unique<TRVStringList>();
  return FExtraDocuments.get();
}

void TRVDataRootProperties::SetExtraDocumentsList(const TStrings* Value) {
  if (!Value) {
    if (FExtraDocuments) FExtraDocuments->Clear();
  } else if (Value != FExtraDocuments.get()) {
    GetExtraDocumentsList()->Assign(*Value);
  }
}

TRVGraphicCache* TRVDataRootProperties::GetGraphicCache() {
  if (!FGraphicCache) FGraphicCache = std::make_unique<TRVGraphicCache>();
  return FGraphicCache.get();
}

TRVThumbnailCache* TRVDataRootProperties::GetThumbnailCache() {
  if (!FThumbnailCache) FThumbnailCache = std::make_unique<TRVThumbnailCache>();
  return FThumbnailCache.get();
}

void TRVDataRootProperties::ClearThumbnailCache() {
  if (FThumbnailCache) FThumbnailCache->Clear();
}

TRVDocParameters* TRVDataRootProperties::GetDocParameters() {
  if (!FDocParameters) FDocParameters = std::make_unique<TRVDocParameters>();
  return FDocParameters.get();
}

void TRVDataRootProperties::SetDocParameters(const TRVDocParameters* Value) {
  if (!Value) {
    FDocParameters.reset();
    return;
  }
  if (Value == FDocParameters.get()) return;
  GetDocParameters()->Assign(const_cast<TRVDocParameters*>(Value));
}

bool TRVDataRootProperties::AreAllDocParametersDefault() const {
  return !FDocParameters || FDocParameters->AreAllValuesDefault();
}

// ---- TCustomRVDataEvents ------------------------------------------------------------------------

void TCustomRVDataEvents::RegisterEventHandler(TComponent* Component, std::unique_ptr<TRVEventHandlerList>& Handlers,
                                               TNotifyEvent Handler) {
  if (!Handlers) Handlers = std::make_unique<TRVEventHandlerList>();
  Handlers->RegisterHandler(Component, std::move(Handler));
}

void TCustomRVDataEvents::UnregisterEventHandler(const TComponent* Component,
                                                 std::unique_ptr<TRVEventHandlerList>& Handlers) {
  if (!Handlers) return;
  Handlers->UnregisterHandler(Component);
  if (Handlers->Count() == 0) Handlers.reset();
}

// ---- TRVDataRootEvents --------------------------------------------------------------------------

namespace {

void ExecuteList(const std::unique_ptr<TRVEventHandlerList>& Handlers, TObject* Sender) {
  if (Handlers) Handlers->Execute(Sender);
}

}  // namespace

TRVDataRootEvents::~TRVDataRootEvents() = default;

void TRVDataRootEvents::ExecuteAfterHScroll() const { ExecuteList(HScrollHandlers, FOwner); }
void TRVDataRootEvents::ExecuteAfterVScroll() const { ExecuteList(VScrollHandlers, FOwner); }
void TRVDataRootEvents::ExecuteResize() const { ExecuteList(ResizeHandlers, FOwner); }
void TRVDataRootEvents::ExecuteSave() const { ExecuteList(SaveHandlers, FOwner); }
void TRVDataRootEvents::ExecuteClear() const { ExecuteList(ClearHandlers, FOwner); }

std::shared_ptr<IRVScaleViroZereInterface> TRVDataRootEvents::ScaleViroZere() const {
  return RootData ? RootData->GetScaleViroZereInterface() : nullptr;
}

void TRVDataRootEvents::ExecuteStyleTemplatesChange() {
  if (OnStyleTemplatesChange) OnStyleTemplatesChange();
  ExecuteList(StyleTemplatesChangeHandlers, FOwner);
}

// Inside a page-layout editor an event counts as assigned only when the editor's does too.
bool TRVDataRootEvents::IsOnCopyAssigned() {
  if (!OnCopy) return false;
  const auto sv = ScaleViroZere();
  return !sv || sv->IsOnCopyAssigned();
}

void TRVDataRootEvents::DoCopy() {
  if (OnCopy) OnCopy();
}

void TRVDataRootEvents::DoDrawHyperlink(TCustomRVData*, int, const TRect&) {}

bool TRVDataRootEvents::IsOnReadHyperlinkAssigned() {
  if (!OnReadHyperlink) return false;
  const auto sv = ScaleViroZere();
  return !sv || sv->IsOnReadHyperlinkAssigned();
}

void TRVDataRootEvents::ReadHyperlink(TCustomRVData*, const TRVUnicodeString& Target, const TRVUnicodeString& Extras,
                                      TRVLoadFormat DocFormat, TRVUnicodeString& ItemName, int& StyleNo,
                                      TRVUnicodeString& ItemTag) {
  if (StyleNo == ItemKindBullet)
    StyleNo = ItemKindHotspot;
  else if (StyleNo == ItemKindPicture)
    StyleNo = ItemKindHotPicture;
  if (!IsOnReadHyperlinkAssigned())
    ItemTag = Target;
  else
    RaiseReadHyperlink(Target, Extras, DocFormat, StyleNo, ItemTag, ItemName);
}

void TRVDataRootEvents::RaiseReadHyperlink(const TRVUnicodeString& Target, const TRVUnicodeString& Extras,
                                           TRVLoadFormat DocFormat, int& StyleNo, TRVUnicodeString& ItemTag,
                                           TRVUnicodeString& ItemName) {
  OnReadHyperlink(Target, Extras, DocFormat, StyleNo, ItemTag, ItemName);
}

bool TRVDataRootEvents::IsOnWriteHyperlinkAssigned() {
  if (!OnWriteHyperlink) return false;
  const auto sv = ScaleViroZere();
  return !sv || sv->IsOnWriteHyperlinkAssigned();
}

void TRVDataRootEvents::WriteHyperlink(int id, TCustomRVData* RVData, int ItemNo, TRVSaveFormat SaveFormat,
                                       TRVUnicodeString& Target, TRVUnicodeString& Extras) {
  Target.clear();
  Extras.clear();
  if (!RVData || ItemNo < 0 || ItemNo >= RVData->ItemCount()) return;
  TRVUnicodeString hint;
  RVData->GetItemExtraStrPropertyEx(ItemNo, rvespHint, hint);
  Extras = MakeHintAttribute(SaveFormat, hint);
  if (IsOnWriteHyperlinkAssigned())
    OnWriteHyperlink(id, RVData, ItemNo, SaveFormat, Target, Extras);
  else
    Target = RVData->GetItemTag(ItemNo);
}

bool TRVDataRootEvents::IsOnReadMergeFieldAssigned() {
  if (!OnReadMergeField) return false;
  const auto sv = ScaleViroZere();
  return !sv || sv->IsOnReadMergeFieldAssigned();
}

void TRVDataRootEvents::ReadMergeField(TCustomRVData*, const TRVUnicodeString& FieldName,
                                       const TRVUnicodeString& Extras, TRVLoadFormat DocFormat, int& StyleNo,
                                       TRVUnicodeString& ItemTag, TRVUnicodeString& ItemName) {
  if (OnReadMergeField) OnReadMergeField(FieldName, Extras, DocFormat, StyleNo, ItemTag, ItemName);
}

bool TRVDataRootEvents::IsOnProgressAssigned() { return static_cast<bool>(OnProgress); }

void TRVDataRootEvents::DoProgress(TRVLongOperation Operation, TRVProgressStage Stage, int PercentDone) {
  if (OnProgress) OnProgress(Operation, Stage, PercentDone);
}

bool TRVDataRootEvents::IsOnSaveItemToFileAssigned() { return static_cast<bool>(OnSaveItemToFile); }

bool TRVDataRootEvents::SaveItemToFile(const TRVUnicodeString& Path, TCustomRVData* RVData, int ItemNo,
                                       TRVSaveFormat SaveFormat, TRVUnicodeString& OutStr) {
  // The handler answers whether it wrote the item, that is the negation of its DoDefault.
  return OnSaveItemToFile && OnSaveItemToFile(Path, RVData, ItemNo, SaveFormat, OutStr);
}

void TRVDataRootEvents::SaveComponentToFile(const TRVUnicodeString& Path, TObject* SaveMe, TCustomRVData* RVData,
                                            int ItemNo, TRVSaveFormat SaveFormat, TRVUnicodeString& OutStr) {
  OutStr.clear();
  if (!OnSaveComponentToFile) return;
  TRVStyleItemContext context(RVData ? RVData->GetRVStyle() : nullptr, RVData, ItemNo);
  OutStr = OnSaveComponentToFile(Path, SaveMe, RVData, ItemNo, SaveFormat);
}

TObject* TRVDataRootEvents::RVFControlNeeded(const TRVUnicodeString& Name, const TRVUnicodeString& Tag) {
  return OnRVFControlNeeded ? OnRVFControlNeeded(Name, Tag) : nullptr;
}

TRVAnsiString TRVDataRootEvents::GetExtraRTFCode(int Area, TObject* Obj, int Index1, int Index2, bool InStyleSheet) {
  if (!OnSaveRTFExtra) return {};
  TRVUnicodeString code;
  OnSaveRTFExtra(Area, Obj, Index1, Index2, InStyleSheet, code);
  TRVStyle* st = RootData ? RootData->GetRVStyle() : nullptr;
  return UnicodeToAnsiCP(st ? st->DefCodePage : 0, code);
}

TRVRawByteString TRVDataRootEvents::GetExtraDocXCode(int Area, TObject* Obj, int Index1, int Index2) {
  if (!OnSaveDocXExtra) return {};
  TRVUnicodeString code;
  OnSaveDocXExtra(Area, Obj, Index1, Index2, code);
  return UnicodeToUtf8(code);
}

TRVUnicodeString TRVDataRootEvents::GetExtraHTMLCode(int Area, bool CSSVersion) {
  TRVUnicodeString code;
  if (OnSaveHTMLExtra) OnSaveHTMLExtra(Area, CSSVersion, code);
  return code;
}

TRVUnicodeString TRVDataRootEvents::GetParaHTMLCode(TCustomRVData* RVData, int ItemNo, bool ParaStart,
                                                    bool CSSVersion) {
  TRVUnicodeString code;
  if (OnSaveParaToHTML) OnSaveParaToHTML(RVData, ItemNo, ParaStart, CSSVersion, code);
  return code;
}

void TRVDataRootEvents::HTMLSaveImage(TCustomRVData* RVData, int ItemNo, const TRVUnicodeString& Path,
                                      TColor BackgroundColor, TRVUnicodeString& Location, bool& DoDefault) {
  Location.clear();
  DoDefault = true;
  if (OnHTMLSaveImage) OnHTMLSaveImage(RVData, ItemNo, Path, BackgroundColor, Location, DoDefault);
}

void TRVDataRootEvents::SaveImage2(TCustomRVData* RVData, int ItemNo, TGraphic* Graphic, TRVSaveFormat,
                                   const TRVUnicodeString&, const TRVUnicodeString&, int&, TRVUnicodeString* Location,
                                   bool& DoDefault) {
  if (Location) Location->clear();
  DoDefault = true;
  if (!OnSaveImage2) return;
  TRVStyleItemContext context(RVData ? RVData->GetRVStyle() : nullptr, RVData, ItemNo);
  TRVUnicodeString dropped;
  OnSaveImage2(RVData, ItemNo, Graphic, Location ? *Location : dropped, DoDefault);
}

TCustomImageList* TRVDataRootEvents::RVFImageListNeeded(int ImageListTag) {
  return OnRVFImageListNeeded ? OnRVFImageListNeeded(ImageListTag) : nullptr;
}

std::unique_ptr<TGraphic> TRVDataRootEvents::ImportPicture(const TRVUnicodeString& Location, int Width, int Height,
                                                           bool& Invalid) {
  Invalid = false;
  if (!OnImportPicture) return nullptr;
  CurPictureInvalid = false;
  std::unique_ptr<TGraphic> g;
  try {
    g = OnImportPicture(Location, Width, Height);
  } catch (...) {
    CurPictureInvalid = false;
    throw;
  }
  Invalid = CurPictureInvalid;
  CurPictureInvalid = false;
  return g;
}

TRVUnicodeString TRVDataRootEvents::GetImageFileName(const TRVUnicodeString& FileName) {
  TRVUnicodeString name = FileName;
  if (OnAssignImageFileName) OnAssignImageFileName(name);
  return name;
}

std::unique_ptr<TGraphic> TRVDataRootEvents::RVFPictureNeeded(const TRVUnicodeString& ItemName,
                                                              TCustomRVItemInfo* Item, int, int) {
  return OnRVFPictureNeeded ? OnRVFPictureNeeded(ItemName, Item) : nullptr;
}

// ---- TRVDataRootState ---------------------------------------------------------------------------

TRVDataRootState::TRVDataRootState(TCustomRVData* Root, std::unique_ptr<TRVDataRootEvents> Events)
    : FEvents(std::move(Events)) {
  if (!FEvents) FEvents = std::make_unique<TRVDataRootEvents>();
  FEvents->RootData = Root;
}

TRVDataRootState::TRVDataRootState(TCustomRVData* Root) : TRVDataRootState(Root, nullptr) {}

TRVDataRootState::~TRVDataRootState() { FreeLists(); }

TRVSeqList* TRVDataRootState::GetSeqList(bool AllowCreate) {
  if (!FSeqList && AllowCreate) FSeqList = std::make_unique<TRVSeqList>();
  return FSeqList.get();
}

TRVMarkerList* TRVDataRootState::GetMarkers(bool AllowCreate, TRVMarkerList* PrevMarkers) {
  if (!FMarkers && AllowCreate) {
    FMarkers = std::make_unique<TRVMarkerList>();
    FMarkers->PrevMarkerList = PrevMarkers;
  }
  return FMarkers.get();
}

TList* TRVDataRootState::GetPrintFieldList(bool AllowCreate) {
  if (!FPrintFields && AllowCreate) FPrintFields = std::make_unique<TList>();
  return FPrintFields.get();
}

void TRVDataRootState::DestroySeqList() { FSeqList.reset(); }
void TRVDataRootState::DestroyMarkers() { FMarkers.reset(); }
void TRVDataRootState::DestroyPrintFieldList() { FPrintFields.reset(); }

TRVDocParameters* TRVDataRootState::GetDocParameters(bool AllowCreate) {
  if (!AllowCreate && !FProperties.IsDocParametersAssigned()) return nullptr;
  return FProperties.GetDocParameters();
}

TObject* TRVDataRootState::GetDocObjects() {
  if (!FDocObjects) FDocObjects = std::make_unique<TRVDocObjectCollection>(nullptr);
  return FDocObjects.get();
}

void TRVDataRootState::FreeLists() {
  FMarkers.reset();
  FSeqList.reset();
  FPrintFields.reset();
}
