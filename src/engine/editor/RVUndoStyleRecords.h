// Undo records of style application that do not fit one item: the text styles of a range of
// items changed by one record, so that restyling a long selection costs one record and one
// measure of the range's paragraphs instead of one of each per item.
#pragma once

#include <memory>
#include <vector>

#include "engine/editor/RVUndo.h"
#include "engine/foundation/RVClasses.h"

class TCustomRVItemInfo;

// The former text style of each item from StartItemNo on (entries of non-text items are their
// kinds and stay as they are). Undoing puts them back through Do_StyleNoList, which records the
// styles it replaces.
class TRVUndoStyleNoListInfo : public TRVUndoInfo {
 public:
  TRVUndoStyleNoListInfo() { Action = rvuStyleNo; }
  void Undo(TCustomRVData* RVData) override;
  // The width rule over the paragraph sections of the range, measured before and after undoing.
  bool RequiresFullReformat2(TCustomRVData* RVData) override;
  void GetItemsRange(int& StartItem, int& EndItem, TCustomRVData* RVData) override;

  int StartItemNo = -1;
  TRVIntegerList List;
  int OldWidth = 0;
};

// Text items joined after a style application (Joined) or split back (not Joined), each entry
// at one place, in the order they were done; undoing does the opposite of each, last first,
// through Do_SplitTextItems or Do_JoinTextItems, which record in turn. A joining record holds a
// copy of every item it removed, to make it again. Lo..Hi are the items the change left.
struct TRVTextJoin {
  int ItemNo = -1;                          // the item that keeps the text before Offs
  int Offs = 0;                             // where the second item's text starts (an item offset)
  std::unique_ptr<TCustomRVItemInfo> Part;  // the second item as it was (joining records only)
};
class TRVUndoTextJoinsInfo : public TRVUndoInfo {
 public:
  TRVUndoTextJoinsInfo();
  ~TRVUndoTextJoinsInfo() override;
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFullReformat2(TCustomRVData* RVData) override;
  void GetItemsRange(int& StartItem, int& EndItem, TCustomRVData* RVData) override;
  int ItemsAdded() override { return Joined ? Count : -Count; }

  bool Joined = true;
  std::vector<TRVTextJoin> Joins;
  int Count = 0;  // of Joins as made (undoing hands them on)
  int Lo = -1, Hi = -1;
  int OldWidth = 0;
};
