#include "engine/viewer/RVRootEvents.h"

#include "engine/document/RVStyleItemContext.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/foundation/RVUni.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/base/SysUtils.h"

TCustomViroZere* TRVDataRootEventsEx::Viewer() const { return dynamic_cast<TCustomViroZere*>(FOwner); }

bool TRVDataRootEventsEx::EditorAgrees(bool (IRVScaleViroZereInterface::*Test)()) {
  TCustomViroZere* v = Viewer();
  auto sv = v && v->GetRVData() ? v->GetRVData()->GetScaleViroZereInterface() : nullptr;
  return !sv || (sv.get()->*Test)();
}

void TRVDataRootEventsEx::ExecuteStyleTemplatesChange() {
  if (TCustomViroZere* v = Viewer(); v && v->OnStyleTemplatesChange) v->OnStyleTemplatesChange(v);
  TRVDataRootEvents::ExecuteStyleTemplatesChange();
}

bool TRVDataRootEventsEx::IsOnCopyAssigned() {
  TCustomViroZere* v = Viewer();
  if (v && v->OnCopy) return EditorAgrees(&IRVScaleViroZereInterface::IsOnCopyAssigned);
  return TRVDataRootEvents::IsOnCopyAssigned();
}

void TRVDataRootEventsEx::DoCopy() {
  if (TCustomViroZere* v = Viewer(); v && v->OnCopy)
    v->OnCopy(v);
  else
    TRVDataRootEvents::DoCopy();
}

void TRVDataRootEventsEx::DoDrawHyperlink(TCustomRVData* RVData, int ItemNo, const TRect& R) {
  if (OnDrawHyperlink) OnDrawHyperlink(RVData, ItemNo, R);
}

bool TRVDataRootEventsEx::IsOnReadHyperlinkAssigned() {
  TCustomViroZere* v = Viewer();
  if (v && v->OnReadHyperlink) return EditorAgrees(&IRVScaleViroZereInterface::IsOnReadHyperlinkAssigned);
  return TRVDataRootEvents::IsOnReadHyperlinkAssigned();
}

void TRVDataRootEventsEx::RaiseReadHyperlink(const TRVUnicodeString& Target, const TRVUnicodeString& Extras,
                                             TRVLoadFormat DocFormat, int& StyleNo, TRVUnicodeString& ItemTag,
                                             TRVUnicodeString& ItemName) {
  TCustomViroZere* v = Viewer();
  if (v && v->OnReadHyperlink)
    v->OnReadHyperlink(v, Target, Extras, DocFormat, StyleNo, ItemTag, ItemName);
  else
    TRVDataRootEvents::RaiseReadHyperlink(Target, Extras, DocFormat, StyleNo, ItemTag, ItemName);
}

bool TRVDataRootEventsEx::IsOnWriteHyperlinkAssigned() {
  TCustomViroZere* v = Viewer();
  if (v && v->OnWriteHyperlink) return EditorAgrees(&IRVScaleViroZereInterface::IsOnWriteHyperlinkAssigned);
  return TRVDataRootEvents::IsOnWriteHyperlinkAssigned();
}

void TRVDataRootEventsEx::WriteHyperlink(int id, TCustomRVData* RVData, int ItemNo, TRVSaveFormat SaveFormat,
                                         TRVUnicodeString& Target, TRVUnicodeString& Extras) {
  TCustomViroZere* v = Viewer();
  if (!v || !v->OnWriteHyperlink) {
    TRVDataRootEvents::WriteHyperlink(id, RVData, ItemNo, SaveFormat, Target, Extras);
    return;
  }
  Target.clear();
  Extras.clear();
  if (!RVData || ItemNo < 0 || ItemNo >= RVData->ItemCount()) return;
  TRVUnicodeString hint;
  RVData->GetItemExtraStrPropertyEx(ItemNo, rvespHint, hint);
  Extras = MakeHintAttribute(SaveFormat, hint);
  if (IsOnWriteHyperlinkAssigned())
    v->OnWriteHyperlink(v, id, RVData, ItemNo, SaveFormat, Target, Extras);
  else
    Target = RVData->GetItemTag(ItemNo);
}

bool TRVDataRootEventsEx::IsOnReadMergeFieldAssigned() {
  TCustomViroZere* v = Viewer();
  if (v && v->OnReadMergeField) return EditorAgrees(&IRVScaleViroZereInterface::IsOnReadMergeFieldAssigned);
  return TRVDataRootEvents::IsOnReadMergeFieldAssigned();
}

void TRVDataRootEventsEx::ReadMergeField(TCustomRVData* RVData, const TRVUnicodeString& FieldName,
                                         const TRVUnicodeString& Extras, TRVLoadFormat DocFormat, int& StyleNo,
                                         TRVUnicodeString& ItemTag, TRVUnicodeString& ItemName) {
  if (TCustomViroZere* v = Viewer(); v && v->OnReadMergeField)
    v->OnReadMergeField(v, FieldName, Extras, DocFormat, StyleNo, ItemTag, ItemName);
  else
    TRVDataRootEvents::ReadMergeField(RVData, FieldName, Extras, DocFormat, StyleNo, ItemTag, ItemName);
}

bool TRVDataRootEventsEx::IsOnProgressAssigned() {
  TCustomViroZere* v = Viewer();
  return (v && v->OnProgress) || TRVDataRootEvents::IsOnProgressAssigned();
}

void TRVDataRootEventsEx::DoProgress(TRVLongOperation Operation, TRVProgressStage Stage, int PercentDone) {
  if (TCustomViroZere* v = Viewer(); v && v->OnProgress)
    v->OnProgress(v, Operation, Stage, static_cast<std::uint8_t>(PercentDone));
  else
    TRVDataRootEvents::DoProgress(Operation, Stage, PercentDone);
}

bool TRVDataRootEventsEx::IsOnSaveItemToFileAssigned() {
  TCustomViroZere* v = Viewer();
  return (v && v->OnSaveItemToFile) || TRVDataRootEvents::IsOnSaveItemToFileAssigned();
}

bool TRVDataRootEventsEx::SaveItemToFile(const TRVUnicodeString& Path, TCustomRVData* RVData, int ItemNo,
                                         TRVSaveFormat SaveFormat, TRVUnicodeString& OutStr) {
  TCustomViroZere* v = Viewer();
  if (!v || !v->OnSaveItemToFile) return TRVDataRootEvents::SaveItemToFile(Path, RVData, ItemNo, SaveFormat, OutStr);
  bool doDefault = true;
  v->OnSaveItemToFile(v, Path, RVData, ItemNo, SaveFormat, OutStr, doDefault);
  return !doDefault;
}

void TRVDataRootEventsEx::SaveComponentToFile(const TRVUnicodeString& Path, TObject* SaveMe, TCustomRVData* RVData,
                                              int ItemNo, TRVSaveFormat SaveFormat, TRVUnicodeString& OutStr) {
  TCustomViroZere* v = Viewer();
  if (!v || !v->OnSaveComponentToFile) {
    TRVDataRootEvents::SaveComponentToFile(Path, SaveMe, RVData, ItemNo, SaveFormat, OutStr);
    return;
  }
  OutStr.clear();
  TRVStyleItemContext context(v->GetStyle(), RVData, ItemNo);
  v->OnSaveComponentToFile(v, Path, SaveMe, SaveFormat, OutStr);
}

TObject* TRVDataRootEventsEx::RVFControlNeeded(const TRVUnicodeString& Name, const TRVUnicodeString& Tag) {
  TCustomViroZere* v = Viewer();
  if (!v || !v->OnRVFControlNeeded) return TRVDataRootEvents::RVFControlNeeded(Name, Tag);
  TObject* ctrl = nullptr;
  v->OnRVFControlNeeded(v, Name, Tag, ctrl);
  return ctrl;
}

TRVAnsiString TRVDataRootEventsEx::GetExtraRTFCode(int Area, TObject* Obj, int Index1, int Index2,
                                                   bool InStyleSheet) {
  TCustomViroZere* v = Viewer();
  if (!v || !v->OnSaveRTFExtra) return TRVDataRootEvents::GetExtraRTFCode(Area, Obj, Index1, Index2, InStyleSheet);
  TRVUnicodeString code;
  v->OnSaveRTFExtra(v, Area, Obj, Index1, Index2, InStyleSheet, code);
  TRVStyle* st = v->GetStyle();
  return UnicodeToAnsiCP(st ? st->DefCodePage : 0, code);
}

TRVRawByteString TRVDataRootEventsEx::GetExtraDocXCode(int Area, TObject* Obj, int Index1, int Index2) {
  TCustomViroZere* v = Viewer();
  if (!v || !v->OnSaveDocXExtra) return TRVDataRootEvents::GetExtraDocXCode(Area, Obj, Index1, Index2);
  TRVUnicodeString code;
  v->OnSaveDocXExtra(v, Area, Obj, Index1, Index2, code);
  return UnicodeToUtf8(code);
}

TRVUnicodeString TRVDataRootEventsEx::GetExtraHTMLCode(int Area, bool CSSVersion) {
  TCustomViroZere* v = Viewer();
  if (!v || !v->OnSaveHTMLExtra) return TRVDataRootEvents::GetExtraHTMLCode(Area, CSSVersion);
  TRVUnicodeString code;
  v->OnSaveHTMLExtra(v, Area, CSSVersion, code);
  return code;
}

TRVUnicodeString TRVDataRootEventsEx::GetParaHTMLCode(TCustomRVData* RVData, int ItemNo, bool ParaStart,
                                                      bool CSSVersion) {
  TCustomViroZere* v = Viewer();
  if (!v || !v->OnSaveParaToHTML) return TRVDataRootEvents::GetParaHTMLCode(RVData, ItemNo, ParaStart, CSSVersion);
  TRVUnicodeString code;
  v->OnSaveParaToHTML(v, RVData, ItemNo, ParaStart, CSSVersion, code);
  return code;
}

void TRVDataRootEventsEx::HTMLSaveImage(TCustomRVData* RVData, int ItemNo, const TRVUnicodeString& Path,
                                        TColor BackgroundColor, TRVUnicodeString& Location, bool& DoDefault) {
  TCustomViroZere* v = Viewer();
  if (!v || !v->OnHTMLSaveImage) {
    TRVDataRootEvents::HTMLSaveImage(RVData, ItemNo, Path, BackgroundColor, Location, DoDefault);
    return;
  }
  Location.clear();
  DoDefault = true;
  v->OnHTMLSaveImage(v, RVData, ItemNo, Path, BackgroundColor, Location, DoDefault);
}

void TRVDataRootEventsEx::SaveImage2(TCustomRVData* RVData, int ItemNo, TGraphic* Graphic, TRVSaveFormat SaveFormat,
                                     const TRVUnicodeString& Path, const TRVUnicodeString& ImagePrefix,
                                     int& ImageSaveNo, TRVUnicodeString* Location, bool& DoDefault) {
  TCustomViroZere* v = Viewer();
  if (!v || !v->OnSaveImage2) {
    TRVDataRootEvents::SaveImage2(RVData, ItemNo, Graphic, SaveFormat, Path, ImagePrefix, ImageSaveNo, Location,
                                  DoDefault);
    return;
  }
  if (Location) Location->clear();
  DoDefault = true;
  TRVStyleItemContext context(v->GetStyle(), RVData, ItemNo);
  TRVUnicodeString dropped;
  v->OnSaveImage2(v, Graphic, SaveFormat, Path, ImagePrefix, ImageSaveNo, Location ? *Location : dropped, DoDefault);
}

TCustomImageList* TRVDataRootEventsEx::RVFImageListNeeded(int ImageListTag) {
  TCustomViroZere* v = Viewer();
  if (!v || !v->OnRVFImageListNeeded) return TRVDataRootEvents::RVFImageListNeeded(ImageListTag);
  TCustomImageList* list = nullptr;
  v->OnRVFImageListNeeded(v, ImageListTag, list);
  return list;
}

std::unique_ptr<TGraphic> TRVDataRootEventsEx::ImportPicture(const TRVUnicodeString& Location, int Width, int Height,
                                                             bool& Invalid) {
  TCustomViroZere* v = Viewer();
  if (!v || !v->OnImportPicture) return TRVDataRootEvents::ImportPicture(Location, Width, Height, Invalid);
  Invalid = false;
  v->CurPictureInvalid = false;
  std::unique_ptr<TGraphic> g;
  try {
    v->OnImportPicture(v, Location, Width, Height, g);
  } catch (...) {
    v->CurPictureInvalid = false;
    throw;
  }
  Invalid = v->CurPictureInvalid;
  v->CurPictureInvalid = false;
  return g;
}

TRVUnicodeString TRVDataRootEventsEx::GetImageFileName(const TRVUnicodeString& FileName) {
  TCustomViroZere* v = Viewer();
  if (!v || !v->OnAssignImageFileName) return TRVDataRootEvents::GetImageFileName(FileName);
  TRVUnicodeString name = FileName;
  v->OnAssignImageFileName(v, name);
  return name;
}

std::unique_ptr<TGraphic> TRVDataRootEventsEx::RVFPictureNeeded(const TRVUnicodeString& ItemName,
                                                                TCustomRVItemInfo* Item, int Index1, int Index2) {
  TCustomViroZere* v = Viewer();
  if (!v || !v->OnRVFPictureNeeded) return TRVDataRootEvents::RVFPictureNeeded(ItemName, Item, Index1, Index2);
  std::unique_ptr<TGraphic> g;
  v->OnRVFPictureNeeded(v, ItemName, Item, Index1, Index2, g);
  return g;
}
