// Items that own a document of their own: footnotes, endnotes, sidenotes and text boxes, with the
// sub-document class they own and the note reference shown inside a note's text.
#pragma once

#include <functional>
#include <memory>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVFloatingBox.h"
#include "engine/document/RVSeqItem.h"

// A document owned by an item. It is never its own root: parent and root questions are answered
// by the absolute root of the main document the owner lives in, so style sheet, options and
// events come from there. Numbering inside it (sequences, list markers) is its own.
class TRVSubData : public TCustomRVData {
 public:
  TRVSubData(TCustomRVItemInfo* AOwner, TCustomRVData* AMainRVData);
  ~TRVSubData() override;

  TRVFlags GetFlags() const override { return FFlags; }
  void SetFlags(const TRVFlags& Value) override { FFlags = Value; }
  TCustomRVData* GetParentData() const override;
  TCustomRVData* GetRootData() override;
  TCustomRVData* GetAbsoluteParentData() const override;
  TCustomRVData* GetAbsoluteRootData() override;
  TRVSeqList* GetSeqList(bool AllowCreate) override;
  TRVMarkerList* GetMarkers(bool AllowCreate) override;
  void DestroySeqList() override;
  void DestroyMarkers() override;
  TColor GetColor() override;
  TList* GetPrintFieldList(bool /*AllowCreate*/) override { return nullptr; }
  void DestroyPrintFieldList() override {}
  void MovingToUndoList(TObject* AContainerUndoItem);
  void MovingFromUndoList();
  // Clears, then reads the stream's content at 0 with the main reader.
  bool LoadRVFFromStream(TStream* Stream, TColor& Color, TObject* Background, TRVLayoutInfo* Layout) override;
  bool LoadRVFFromStream(TStream* Stream);
  // The whole document (no colour, background or layout); as a root document when Root is set.
  bool SaveRVFToStream(TStream* Stream, bool Root);
  using TCustomRVData::SaveRVFToStream;

  TCustomRVItemInfo* GetOwner() const { return FOwner; }
  TCustomRVData* MainRVData = nullptr;

 private:
  TRVFlags FFlags{rvflTrim, rvflMouseXYAlwaysCorrect, rvflCanUseCustomPPI};
  TCustomRVItemInfo* FOwner;
  std::unique_ptr<TRVSeqList> FSeqList;
  std::unique_ptr<TRVMarkerList> FMarkers;
};

class TRVNoteData : public TRVSubData {
 public:
  using TRVSubData::TRVSubData;
  // The owning note's current label text.
  TCustomRVData* GetNoteText() override { return this; }
  TRVUnicodeString NoteText() const;
};

// The base of notes: a numbered sequence item with a note text of its own.
class TCustomRVNoteItemInfo : public TRVSeqItemInfo {
  TAVRELO_ITEM_CLASS(TCustomRVNoteItemInfo)
 public:
  explicit TCustomRVNoteItemInfo(TCustomRVData* ARVData);
  TCustomRVNoteItemInfo(TCustomRVData* ARVData, int ATextStyleNo, int AStartFrom, bool AReset);
  ~TCustomRVNoteItemInfo() override;

  TRVNoteData* GetDocument() const { return FDocument.get(); }
  virtual TRVUnicodeString GetNoteText() { return GetText(); }
  void SetParentRVData(TCustomRVData* Value) override;
  TColor GetSubDocColor() override;
  void Assign(TPersistent* Source) override;
  void MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) override;
  void MovingFromUndoList(int ItemNo, TCustomRVData* ARVData) override;
  void MarkStylesInUse(TRVDeleteUnusedStylesData* Data) override;
  void UpdateStyles(TRVDeleteUnusedStylesData* Data) override;
  bool SetExtraCustomProperty(const TRVRawByteString& PropName, const TRVUnicodeString& Value) override;
  int GetRVFExtraPropertyCount() override;
  void SaveRVFExtraProperties(TStream* Stream) override;
  bool GetBoolValue(TRVItemBoolProperty Prop) const override;
  void SaveRVF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int AParaNo, const TRVUnicodeString& Name,
               TRVMultiDrawItemPart* Part, bool ForceSameAsPrev, const TRVScreenAndDevice* PSaD) override;
  bool ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo, int LineCount,
                   TRVUnicodeString& Name, TRVFReadMode& ReadMode, TRVFReadState& ReadState, bool UTF8Strings,
                   bool& AssStyleNameUsed) override;
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* ARVStyle, bool Recursive) override;

  int SRVCounter = -1;

 protected:
  // The record's extra-property lines beyond the note's own (boxes add theirs).
  virtual int GetBoxPropertyCount() { return 0; }
  virtual void SaveBoxProperties(TStream* /*Stream*/) {}
  std::unique_ptr<TRVNoteData> FDocument;
};

class TRVFootnoteItemInfo : public TCustomRVNoteItemInfo {
  TAVRELO_ITEM_CLASS(TRVFootnoteItemInfo)
 public:
  explicit TRVFootnoteItemInfo(TCustomRVData* ARVData);
  TRVFootnoteItemInfo(TCustomRVData* ARVData, int ATextStyleNo, int AStartFrom, bool AReset);
  int GetNumberType() const override;
  void SetNumberType(int) override {}
};

class TRVEndnoteItemInfo : public TCustomRVNoteItemInfo {
  TAVRELO_ITEM_CLASS(TRVEndnoteItemInfo)
 public:
  explicit TRVEndnoteItemInfo(TCustomRVData* ARVData);
  TRVEndnoteItemInfo(TCustomRVData* ARVData, int ATextStyleNo, int AStartFrom, bool AReset);
  int GetNumberType() const override;
  void SetNumberType(int) override {}
};

// A label inside a note's text that shows the owning note's number.
class TRVNoteReferenceItemInfo : public TRVLabelItemInfo {
  TAVRELO_ITEM_CLASS(TRVNoteReferenceItemInfo)
 public:
  explicit TRVNoteReferenceItemInfo(TCustomRVData* ARVData, int ATextStyleNo = 0);
  // The note whose text holds this reference; none outside notes.
  TCustomRVNoteItemInfo* FindOwnerNote() const;
  void SaveRVF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int AParaNo, const TRVUnicodeString& Name,
               TRVMultiDrawItemPart* Part, bool ForceSameAsPrev, const TRVScreenAndDevice* PSaD) override;
  bool ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo, int LineCount,
                   TRVUnicodeString& Name, TRVFReadMode& ReadMode, TRVFReadState& ReadState, bool UTF8Strings,
                   bool& AssStyleNameUsed) override;
  TRVUnicodeString AsText(TCustomRVData* ARVData, int ItemNo, const TRVUnicodeString& AText,
                          TObject* SavingData) override;
};

// A box beside the text holding a numbered note.
class TRVSidenoteItemInfo : public TCustomRVNoteItemInfo {
  TAVRELO_ITEM_CLASS(TRVSidenoteItemInfo)
 public:
  explicit TRVSidenoteItemInfo(TCustomRVData* ARVData);
  TRVSidenoteItemInfo(TCustomRVData* ARVData, int ATextStyleNo, int AStartFrom, bool AReset);

  void Assign(TPersistent* Source) override;
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* ARVStyle, bool Recursive) override;
  TColor GetSubDocColor() override;
  bool SetExtraIntPropertyEx(int Prop, int Value) override;
  bool GetExtraIntPropertyEx(int Prop, int& Value) override;
  TRVReformatType GetExtraIntPropertyReformat(int Prop) override;
  bool SetExtraCustomProperty(const TRVRawByteString& PropName, const TRVUnicodeString& Value) override;
  bool IsBehindText() const { return BoxPosition.PositionInText == rvpitBelowText; }
  int GetNumberType() const override;
  void SetNumberType(int) override {}

  TRVBoxProperties BoxProperties;
  TRVBoxPosition BoxPosition;

 protected:
  int GetBoxPropertyCount() override;
  void SaveBoxProperties(TStream* Stream) override;
};

// A box over or behind the text; it shows no number.
class TRVTextBoxItemInfo : public TRVSidenoteItemInfo {
  TAVRELO_ITEM_CLASS(TRVTextBoxItemInfo)
 public:
  explicit TRVTextBoxItemInfo(TCustomRVData* ARVData);
  TRVTextBoxItemInfo(TCustomRVData* ARVData, int ATextStyleNo, int AStartFrom, bool AReset);
  TRVUnicodeString GetNoteText() override { return u"?"; }
  int GetAssociatedTextStyleNo() const override { return -1; }
  void SetAssociatedTextStyleNo(int) override {}
  bool GetBoolValue(TRVItemBoolProperty Prop) const override;
};

// The first note accepted by IsOfClass after AfterNote (from the start for none) in the
// document's sequence list; hidden notes are skipped unless AllowHidden.
TCustomRVNoteItemInfo* FindNoteIf(TCustomRVData* RVData, TCustomRVNoteItemInfo* AfterNote, bool AllowHidden,
                                  const std::function<bool(TCustomRVNoteItemInfo*)>& IsOfClass);
// The first note of class T or a descendant.
template <typename T>
T* FindNoteOfClass(TCustomRVData* RVData, TCustomRVNoteItemInfo* AfterNote, bool AllowHidden) {
  return static_cast<T*>(
      FindNoteIf(RVData, AfterNote, AllowHidden, [](TCustomRVNoteItemInfo* n) { return n->Is<T>(); }));
}
inline TRVFootnoteItemInfo* FindFirstFootnoteInData(TCustomRVData* RVData) {
  return FindNoteOfClass<TRVFootnoteItemInfo>(RVData, nullptr, false);
}
inline TRVEndnoteItemInfo* FindFirstEndnoteInData(TCustomRVData* RVData) {
  return FindNoteOfClass<TRVEndnoteItemInfo>(RVData, nullptr, false);
}
inline TRVSidenoteItemInfo* FindFirstSidenoteInData(TCustomRVData* RVData) {
  return FindNoteOfClass<TRVSidenoteItemInfo>(RVData, nullptr, false);
}
inline TRVSidenoteItemInfo* FindNextSidenoteInData(TCustomRVData* RVData, TCustomRVNoteItemInfo* Prev) {
  return FindNoteOfClass<TRVSidenoteItemInfo>(RVData, Prev, false);
}
