// The undo and redo lists of an editor: user-level steps (TRVUndoInfos) made of small records
// (TRVUndoInfo), the group markers that bracket a run of steps, the coalescing of typing, and the
// performing of a step on undo or redo with as little reformatting as the records allow.
//
// A record undoes itself by calling the opposite primitive edit of the editor data; that
// primitive records the opposite record on the other list, so redo is the undo of what undo
// recorded and needs no code of its own.
#pragma once

#include <cstdint>

#include "engine/foundation/RVClasses.h"
#include "engine/foundation/RVTypes.h"

class TCustomRVData;
class TCustomRVFormattedData;
class TRVEditRVData;
class TRVUndoList;

// The kind of a user-level step (the order is the numbering callers and stored settings use).
enum TRVUndoType : std::uint8_t {
  rvutNone, rvutDelete, rvutInsert, rvutPara, rvutMiscTyping, rvutInsertPageBreak, rvutRemovePageBreak, rvutTyping,
  rvutTag, rvutStyleNo, rvutAddCheckpoint, rvutRemoveCheckpoint, rvutModifyCheckpoint, rvutModifyItem,
  rvutToHypertext, rvutFromHypertext, rvutTextFlow, rvutList, rvutProperty, rvutLayout, rvutBackground,
  rvutStyleTemplate, rvutSubDoc, rvutResize, rvutTableCell, rvutTableRow, rvutTable, rvutTableInsertRows,
  rvutTableInsertCols, rvutTableDeleteRows, rvutTableDeleteCols, rvutTableMerge, rvutTableSplit, rvutCustom
};

// The kind of one record; only rvuTyping is ever tested, the others label records.
enum TRVUndoAction : std::uint8_t {
  rvuMisc, rvuDeleteItem, rvuDeleteItems, rvuDeleteSubstring, rvuInsertItem, rvuInsertItems, rvuInsertSubstring,
  rvuNewLine, rvuBR, rvuPara, rvuPageBreak, rvuTyping, rvuTag, rvuStyleNo, rvuCheckpoint, rvuModifyItem,
  rvuChangeText, rvuChangeVAlign, rvuChangeListMarker, rvuProperty
};

// Where the primitive edits of an editor data record.
enum TRVUndoDest : std::uint8_t { udNone, udUndo, udRedo };

// What a record is in a bracket of item-modification records.
enum TRVUndoWidthBracket : std::uint8_t { rvwbNone, rvwbOpening, rvwbClosing };

// One undo record. The list performing a step asks each record how much formatting undoing it
// needs (before and after the undo), then undoes it.
class TRVUndoInfo : public TObject {
 public:
  TRVUndoInfo() = default;
  ~TRVUndoInfo() override = default;

  // Asked before the record is undone: the whole document must be formatted afterwards.
  virtual bool RequiresFullReformat1(TCustomRVData* /*RVData*/) { return false; }
  // Asked after the record is undone.
  virtual bool RequiresFullReformat2(TCustomRVData* /*RVData*/) { return false; }
  // Undoing needs the document to be formatted at all.
  virtual bool RequiresFormat() { return true; }
  // The absolute root document must be formatted completely.
  virtual bool RequiresSuperFormat() { return false; }
  // A page-layout owner must paginate again.
  virtual bool RequiresRepagination(TCustomRVData* /*RVData*/) { return false; }
  // The document must be fully formatted before this record is undone.
  virtual bool RequiresFormattedDocBefore() { return false; }
  // Undoing changes the style sheet.
  virtual bool ChangesStyles() { return false; }
  // Undoes the record on RVData (the editor data the list belongs to, or a sub-document of it).
  virtual void Undo(TCustomRVData* /*RVData*/) {}
  // The items the record touches; both are left unchanged when it touches none.
  virtual void GetItemsRange(int& /*StartItem*/, int& /*EndItem*/, TCustomRVData* /*RVData*/) {}
  // How many items undoing adds (negative: removes).
  virtual int ItemsAdded() { return 0; }

  // A record that brackets an item's modification: the records between a closing bracket (met
  // first, since a step is undone backwards) and its opening one are judged together as one
  // change of the item's width, measured before the closing bracket is undone (its OldW) and
  // after the opening one is.
  virtual TRVUndoWidthBracket WidthBracket() const { return rvwbNone; }
  virtual int GetBracketOldW() const { return 0; }
  virtual void SetBracketOldW(int /*OldW*/) {}
  // The record still has something to undo after it was undone once (typing gives back one
  // character per call), so its step stays in the list.
  virtual bool HoldsMore() const { return false; }

  // The document data of the editor whose list holds the record (the list's FRVData).
  TCustomRVFormattedData* GetUndoListOwnerRVData() const;

  TRVUndoAction Action = rvuMisc;
  TRVUndoList* FUndoList = nullptr;  // set when the record is added to a step
};

// Records that name an item (ItemNo; LastAffectedItemNo -1 unless a range was touched).
class TRVUndoItemNoInfo : public TRVUndoInfo {
 public:
  void GetItemsRange(int& StartItem, int& EndItem, TCustomRVData* RVData) override;
  int ItemNo = -1;
  int LastAffectedItemNo = -1;
};
class TRVUndoRawStringInfo : public TRVUndoItemNoInfo {
 public:
  TRVUnicodeString s;
};
class TRVUndoSubStringInfo : public TRVUndoRawStringInfo {
 public:
  int Index = 0;
};
// Characters inserted into a text item: undoing deletes them (the typing record derives from it).
class TRVUndoInsertSubstringInfo : public TRVUndoItemNoInfo {
 public:
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFullReformat2(TCustomRVData* RVData) override;
  int OldWidth = 0, Index = 0, Length = 0;
};

// Typing: the characters typed one after another into one text item from Index on. Undoing gives
// back the last of them (one per call) to the redo list.
class TRVUndoTypingInfo : public TRVUndoInsertSubstringInfo {
 public:
  TRVUndoTypingInfo() { Action = rvuTyping; }
  void Undo(TCustomRVData* RVData) override;
  bool HoldsMore() const override { return Length > 0; }
  bool Unicode = true;
};
// Typing undone: the characters taken back, last taken last; they stood before Index. Undoing
// (that is, redo) types the last of them again (one per call).
class TRVRedoTypingInfo : public TRVUndoSubStringInfo {
 public:
  TRVRedoTypingInfo() { Action = rvuTyping; }
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFullReformat2(TCustomRVData* RVData) override;
  bool HoldsMore() const override { return !s.empty(); }
  int OldWidth = 0;
};

// The width check of records that keep the minimum width their item had before undoing: a full
// reformat is needed when the item's current minimum width differs from OldWidth and either
// OldWidth was at least the document's width or the new one exceeds it.
bool RVUndoWidthCheck(TCustomRVData* RVData, int ItemNo, int OldWidth);
// The current minimum width of an item's paragraph section (0 for an item out of range).
int RVUndoItemMinWidth(TCustomRVData* RVData, int ItemNo);

// One user-level step: its records in the order they were made (owned), its kind, its caption
// and the caret it restores.
class TRVUndoInfos : public TRVList {
 public:
  TRVUndoInfos() = default;
  TRVUndoInfo* Items(int Index) const { return static_cast<TRVUndoInfo*>(Get(Index)); }

  // Performs the step backwards (Undo) or forwards (Redo) on RVData; with Reformat the document
  // is formatted afterwards as the records ask.
  virtual void Undo(TRVEditRVData* RVData, bool Reformat);
  virtual void Redo(TRVEditRVData* RVData, bool Reformat);
  virtual bool IsEmpty() const { return Count() == 0; }
  // The step may be freed after it was performed (a typing step keeps characters back).
  virtual bool CanDelete() const;
  // Makes List the owner of every record of the step.
  void ChangeUndoList(TRVUndoList* List);

  TRVUndoType UndoType = rvutNone;
  TRVUnicodeString Caption;
  int CaretItemNo = -1, CaretOffs = -1;

 protected:
  // Performs the records of the step backwards on RVData and formats what they ask for.
  void Perform(TRVEditRVData* RVData, bool Reformat);
};

// Group markers: steps without records that bracket a run of steps undone and redone as one.
class TRVUndoInfosBeginOrEnd2 : public TRVUndoInfos {
 public:
  bool IsEmpty() const override { return false; }
};
class TRVUndoInfosBegin2 : public TRVUndoInfosBeginOrEnd2 {
 public:
  void Undo(TRVEditRVData* RVData, bool Reformat) override;
  void Redo(TRVEditRVData* RVData, bool Reformat) override;
};
class TRVUndoInfosEnd2 : public TRVUndoInfosBeginOrEnd2 {
 public:
  void Undo(TRVEditRVData* RVData, bool Reformat) override;
  void Redo(TRVEditRVData* RVData, bool Reformat) override;
};

// The undo steps of an editor data, oldest first (owned).
class TRVUndoList : public TRVList {
 public:
  explicit TRVUndoList(TCustomRVFormattedData* RVData) : FRVData(RVData) {}

  TRVUndoInfos* Items(int Index) const { return static_cast<TRVUndoInfos*>(Get(Index)); }
  TRVUndoInfos* LastStep() const { return Count() ? Items(Count() - 1) : nullptr; }

  // Opens a step; false when undo is off (Limit 0). Editor is the editor control whose
  // page-layout owner is told about the new step.
  bool BeginItem(TRVUndoType UndoType, const TRVUnicodeString& Caption, int CaretItemNo, int CaretOffs,
                 TObject* Editor);
  // Closes the current step, dropping it when it is empty.
  void EndItem(TObject* Editor);
  // Appends a record to the last step; raises EViroZereError on misuse. The list owns the
  // record once the call returns normally (the caller frees it when it raises).
  void AddInfo(TRVUndoInfo* Info, TObject* Editor);
  // Appends when it may, else frees the record.
  void AddInfoIfPossible(TRVUndoInfo* Info, TObject* Editor);
  // Appends a whole step made elsewhere and owns its records from then on.
  void AddInfos(TRVUndoInfos* Infos, TObject* Editor);
  // Typing: one character was inserted at CaretOffs of CaretItemNo (coalesced into the last typing
  // step when it continues it).
  void AddTyping(int CaretItemNo, int CaretOffs, bool Unicode, TObject* Editor);
  // Undoing typing removed character Char, which goes to this (redo) list.
  void AddUntyping(WideChar Char, int CaretItemNo, int CaretOffs, TObject* Editor);
  bool AddBeginGroup2(TRVUndoType UndoType, const TRVUnicodeString& Caption, int CaretItemNo, int CaretOffs,
                      TObject* Editor);
  bool AddEndGroup2(TRVUndoType UndoType, const TRVUnicodeString& Caption, int CaretItemNo, int CaretOffs,
                    TObject* Editor);
  // Outside group mode, drops the last step when it is empty.
  void PopIfEmpty();
  void SetUndoGroupMode(bool GroupUndo, TObject* Editor);
  TRVUndoType CurrentUndoType() const;
  TRVUnicodeString CurrentUndoCaption() const;
  // Performs the last step (and the steps of its group); EViroZereError "Undo buffer is empty"
  // on an empty list.
  virtual void Undo(TRVEditRVData* RVData);
  virtual void Redo(TRVEditRVData* RVData);

 protected:
  // Between the steps of a group, every cell editor nested inside the editor of RVData (the
  // innermost active one first) is undone (redone) completely. Tables come later: nothing to do
  // until they do.
  virtual void PerformNestedEditors(TRVEditRVData* /*RVData*/, bool /*Redo*/) {}

 private:
  void PerformGroup(TRVEditRVData* RVData, bool Redo);
  void NotifyAdded(TObject* Editor);
  void NotifyDropped(TObject* Editor);
  // Frees the last step when it holds nothing.
  void DropEmptyLast();

 public:
  int FReformatLock = 0;
  TCustomRVFormattedData* FRVData;
  int Limit = -1;
  int GroupModeCount = 0;
};

// The redo steps: the same list, performed forwards.
class TRVRedoList : public TRVUndoList {
 public:
  using TRVUndoList::TRVUndoList;
};
