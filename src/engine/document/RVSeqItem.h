// Numbered sequences: a label whose text is its position among the items of the same sequence
// name ("Figure 1", "Figure 2"), and the list of a document tree's sequence items in document
// order, which numbers them.
#pragma once

#include "engine/document/RVLabelItem.h"
#include "engine/styles/RVStyle.h"

class TRVSeqList;

class TRVSeqItemInfo : public TRVLabelItemInfo {
  TAVRELO_ITEM_CLASS(TRVSeqItemInfo)
 public:
  explicit TRVSeqItemInfo(TCustomRVData* ARVData);
  TRVSeqItemInfo(TCustomRVData* ARVData, const TRVUnicodeString& ASeqName, TRVSeqType ANumberType, int ATextStyleNo,
                 int AStartFrom, bool AReset);

  virtual int GetNumberType() const { return FNumberType; }
  virtual void SetNumberType(int Value) { FNumberType = static_cast<std::uint8_t>(Value); }
  // The number text of ACounter in the number type, through FormatString when there is one.
  TRVUnicodeString GetDisplayString(TRVSeqList* List, int ACounter);
  virtual void CalcDisplayString(TRVSeqList* List);
  int GetIndexInList(TList* List);

  void Assign(TPersistent* Source) override;
  void MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) override;
  void MovingFromUndoList(int ItemNo, TCustomRVData* ARVData) override;
  bool SetExtraIntPropertyEx(int Prop, int Value) override;
  bool GetExtraIntPropertyEx(int Prop, int& Value) override;
  bool SetExtraStrPropertyEx(int Prop, const TRVUnicodeString& Value) override;
  bool GetExtraStrPropertyEx(int Prop, TRVUnicodeString& Value) override;
  TRVReformatType GetExtraIntPropertyReformat(int Prop) override;
  TRVReformatType GetExtraStrPropertyReformat(int Prop) override;
  void SaveRVF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int AParaNo, const TRVUnicodeString& Name,
               TRVMultiDrawItemPart* Part, bool ForceSameAsPrev, const TRVScreenAndDevice* PSaD) override;
  bool ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo, int LineCount,
                   TRVUnicodeString& Name, TRVFReadMode& ReadMode, TRVFReadState& ReadState, bool UTF8Strings,
                   bool& AssStyleNameUsed) override;
  void SaveRTF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int ALevel, TRVRTFSavingData* SavingData,
               TRVRTFDocType DocType, bool HiddenParent) override;
  void SaveOOXMLBeforeRun(TStream* Stream, TCustomRVData* ARVData, int ItemNo, TRVDocXSavingData* SavingData,
                          bool HiddenParent) override;
  void SaveOOXMLAfterRun(TStream* Stream, TCustomRVData* ARVData, int ItemNo, TRVDocXSavingData* SavingData,
                         bool HiddenParent) override;

  int FCachedIndexInList = -1;
  int Counter = 0;
  int StartFrom = 0;
  bool Reset = false;
  TRVUnicodeString SeqName;
  TRVUnicodeString FormatString;

 protected:
  // The " \* ..." switch of the number type in a field instruction (empty for decimal).
  TRVAnsiString NumberSwitch(const char* Escape) const;
  std::uint8_t FNumberType = rvseqDecimal;
};

class TRVSeqList : public TList {
 public:
  TRVSeqItemInfo* Items(int Index) const { return static_cast<TRVSeqItemInfo*>(Get(Index)); }
  int InsertAfter(TRVSeqItemInfo* InsertMe, TRVSeqItemInfo* AfterMe);
  void RecalcCounters(int StartFrom, TRVStyle* ARVStyle, bool ForAllNames);
};

// Lower case for sequence names, which compare ignoring case.
TRVUnicodeString RVSeqNameKey(const TRVUnicodeString& Name);
