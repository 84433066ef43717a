// Undo records of style application that do not fit one item: the text styles of a range of
// items changed by one record, so that restyling a long selection costs one record and one
// measure of the range's paragraphs instead of one of each per item.
#pragma once

#include "engine/editor/RVUndo.h"
#include "engine/foundation/RVClasses.h"

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
