// Page-number and page-count fields: labels whose text on screen is a placeholder and whose
// printed text is asked for each page.
#pragma once

#include "engine/document/RVLabelItem.h"

enum TRVPageNumberType : std::uint8_t {
  rvpntDefault, rvpntDecimal, rvpntDecimalDash, rvpntLowerAlpha, rvpntUpperAlpha, rvpntLowerRoman, rvpntUpperRoman
};

class TCustomRVFieldItemInfo : public TRVLabelItemInfo {
  TAVRELO_ITEM_CLASS(TCustomRVFieldItemInfo)
 public:
  using TRVLabelItemInfo::TRVLabelItemInfo;
};

class TCustomRVPageNumberItemInfo : public TCustomRVFieldItemInfo {
  TAVRELO_ITEM_CLASS(TCustomRVPageNumberItemInfo)
 public:
  using TCustomRVFieldItemInfo::TCustomRVFieldItemInfo;

  // The number text of N in NumberType.
  TRVUnicodeString GetNumberText(int N) const;

  void Assign(TPersistent* Source) override;
  bool GetBoolValue(TRVItemBoolProperty Prop) const override;
  bool GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) override;
  void MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) override;
  void MovingFromUndoList(int ItemNo, TCustomRVData* ARVData) override;
  bool SetExtraIntPropertyEx(int Prop, int Value) override;
  bool GetExtraIntPropertyEx(int Prop, int& Value) override;
  TRVReformatType GetExtraIntPropertyReformat(int Prop) override;
  bool SetExtraCustomProperty(const TRVRawByteString& PropName, const TRVUnicodeString& Value) override;
  int GetRVFExtraPropertyCount() override;
  void SaveRVFExtraProperties(TStream* Stream) override;

  TRVPageNumberType NumberType = rvpntDefault;

 protected:
  // " \* name" (Escape "\\" for RTF, "\" for DOCX); empty for the default type.
  TRVAnsiString FieldSwitch(const char* Escape) const;
};

class TRVPageNumberItemInfo : public TCustomRVPageNumberItemInfo {
  TAVRELO_ITEM_CLASS(TRVPageNumberItemInfo)
 public:
  explicit TRVPageNumberItemInfo(TCustomRVData* ARVData);
  TRVPageNumberItemInfo(TCustomRVData* ARVData, TRVPageNumberType ANumberType, int ATextStyleNo);
  TRVUnicodeString GetTextForPrinting(TCustomRVData* ARVData, TRVDrawLineInfo* DrawItem, int DispPageNo,
                                      int PageCount) override;
  TRVUnicodeString GetDisplayText(TCustomRVData* ARVData) override;
  void SaveRTF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int ALevel, TRVRTFSavingData* SavingData,
               TRVRTFDocType DocType, bool HiddenParent) override;
  void SaveOOXMLBeforeRun(TStream* Stream, TCustomRVData* ARVData, int ItemNo, TRVDocXSavingData* SavingData,
                          bool HiddenParent) override;
  void SaveOOXML(TStream* Stream, TCustomRVData* ARVData, int ItemNo, TRVDocXSavingData* SavingData,
                 bool HiddenParent) override;
  void SaveOOXMLAfterRun(TStream* Stream, TCustomRVData* ARVData, int ItemNo, TRVDocXSavingData* SavingData,
                         bool HiddenParent) override;
};

class TRVPageCountItemInfo : public TCustomRVPageNumberItemInfo {
  TAVRELO_ITEM_CLASS(TRVPageCountItemInfo)
 public:
  explicit TRVPageCountItemInfo(TCustomRVData* ARVData);
  TRVPageCountItemInfo(TCustomRVData* ARVData, TRVPageNumberType ANumberType, int ATextStyleNo);
  TRVUnicodeString GetTextForPrinting(TCustomRVData* ARVData, TRVDrawLineInfo* DrawItem, int DispPageNo,
                                      int PageCount) override;
  TRVUnicodeString GetDisplayText(TCustomRVData* ARVData) override;
  void SaveRTF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int ALevel, TRVRTFSavingData* SavingData,
               TRVRTFDocType DocType, bool HiddenParent) override;
  void SaveOOXMLBeforeRun(TStream* Stream, TCustomRVData* ARVData, int ItemNo, TRVDocXSavingData* SavingData,
                          bool HiddenParent) override;
  void SaveOOXML(TStream* Stream, TCustomRVData* ARVData, int ItemNo, TRVDocXSavingData* SavingData,
                 bool HiddenParent) override;
  void SaveOOXMLAfterRun(TStream* Stream, TCustomRVData* ARVData, int ItemNo, TRVDocXSavingData* SavingData,
                         bool HiddenParent) override;
};
