// The root events of a viewer: the document tree's events (TRVDataRootEvents) raised as the
// viewer's own events, with the viewer as Sender. An event the viewer has no handler for falls
// back to the handler members of TRVDataRootEvents, then to the default of the event. The
// viewer's root data makes one with the viewer as its owner.
#pragma once

#include <functional>

#include "engine/document/CustomRVData.h"

class TCustomViroZere;

class TRVDataRootEventsEx : public TRVDataRootEvents {
 public:
  using TRVDataRootEvents::TRVDataRootEvents;

  void ExecuteStyleTemplatesChange() override;
  bool IsOnCopyAssigned() override;
  void DoCopy() override;
  // Raises OnDrawHyperlink when assigned.
  void DoDrawHyperlink(TCustomRVData* RVData, int ItemNo, const TRect& R) override;
  bool IsOnReadHyperlinkAssigned() override;
  void RaiseReadHyperlink(const TRVUnicodeString& Target, const TRVUnicodeString& Extras, TRVLoadFormat DocFormat,
                          int& StyleNo, TRVUnicodeString& ItemTag, TRVUnicodeString& ItemName) override;
  bool IsOnWriteHyperlinkAssigned() override;
  void WriteHyperlink(int id, TCustomRVData* RVData, int ItemNo, TRVSaveFormat SaveFormat, TRVUnicodeString& Target,
                      TRVUnicodeString& Extras) override;
  bool IsOnReadMergeFieldAssigned() override;
  void ReadMergeField(TCustomRVData* RVData, const TRVUnicodeString& FieldName, const TRVUnicodeString& Extras,
                      TRVLoadFormat DocFormat, int& StyleNo, TRVUnicodeString& ItemTag,
                      TRVUnicodeString& ItemName) override;
  bool IsOnProgressAssigned() override;
  void DoProgress(TRVLongOperation Operation, TRVProgressStage Stage, int PercentDone) override;
  bool IsOnSaveItemToFileAssigned() override;
  bool SaveItemToFile(const TRVUnicodeString& Path, TCustomRVData* RVData, int ItemNo, TRVSaveFormat SaveFormat,
                      TRVUnicodeString& OutStr) override;
  void SaveComponentToFile(const TRVUnicodeString& Path, TObject* SaveMe, TCustomRVData* RVData, int ItemNo,
                           TRVSaveFormat SaveFormat, TRVUnicodeString& OutStr) override;
  TObject* RVFControlNeeded(const TRVUnicodeString& Name, const TRVUnicodeString& Tag) override;
  TRVAnsiString GetExtraRTFCode(int Area, TObject* Obj, int Index1, int Index2, bool InStyleSheet) override;
  TRVRawByteString GetExtraDocXCode(int Area, TObject* Obj, int Index1, int Index2) override;
  TRVUnicodeString GetExtraHTMLCode(int Area, bool CSSVersion) override;
  TRVUnicodeString GetParaHTMLCode(TCustomRVData* RVData, int ItemNo, bool ParaStart, bool CSSVersion) override;
  void HTMLSaveImage(TCustomRVData* RVData, int ItemNo, const TRVUnicodeString& Path, TColor BackgroundColor,
                     TRVUnicodeString& Location, bool& DoDefault) override;
  void SaveImage2(TCustomRVData* RVData, int ItemNo, TGraphic* Graphic, TRVSaveFormat SaveFormat,
                  const TRVUnicodeString& Path, const TRVUnicodeString& ImagePrefix, int& ImageSaveNo,
                  TRVUnicodeString* Location, bool& DoDefault) override;
  TCustomImageList* RVFImageListNeeded(int ImageListTag) override;
  std::unique_ptr<TGraphic> ImportPicture(const TRVUnicodeString& Location, int Width, int Height,
                                          bool& Invalid) override;
  TRVUnicodeString GetImageFileName(const TRVUnicodeString& FileName) override;
  std::unique_ptr<TGraphic> RVFPictureNeeded(const TRVUnicodeString& ItemName, TCustomRVItemInfo* Item, int Index1,
                                             int Index2) override;

  // Set by printing to draw the hyperlinks of a page (for example as link annotations).
  std::function<void(TCustomRVData* RVData, int ItemNo, const TRect& R)> OnDrawHyperlink;

 private:
  // The owner as a viewer (nil when the events belong to something else).
  TCustomViroZere* Viewer() const;
  // Inside a page-layout editor an event counts as assigned only when the editor's does too.
  bool EditorAgrees(bool (IRVScaleViroZereInterface::*Test)());
};
