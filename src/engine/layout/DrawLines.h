// The draw-item list of a formatted document, with the gap through which a range of paragraphs is
// reformatted in place, the walks that find floating boxes reaching down to a line, the formatting
// stream, and the working list with which the formatter narrows lines around floating boxes.
#pragma once

#include <cstdint>

#include "engine/document/DLines.h"
#include "engine/foundation/RVClasses.h"

class TRVItemList;
class TStream;

// Draw items in document order. The list frees draw items only in Delete, MarkForDelete and
// FreeAll; Clear and the destructor free nothing (the formatted document owns its draw items, and
// the floating lists only refer to them).
//
// Reformatting a range: MarkForDelete(First, Last) frees the old draw items and leaves their
// entries as a gap of nils; Insert at the gap's start fills it from the front without moving
// anything; DeleteMarked closes what is left with one move. Insertions beyond the gap's size are
// ordinary insertions at the same place.
class TRVDrawLines : public TList {
 public:
  TRVDrawLines() = default;

  TRVDrawLineInfo* Get(int Index) const { return static_cast<TRVDrawLineInfo*>(TList::Get(Index)); }
  void Put(int Index, TRVDrawLineInfo* Value) { TList::Put(Index, Value); }
  // Unchecked access for the hot loops (0 <= Index < Count()).
  TRVDrawLineInfo* operator[](int Index) const {
    return static_cast<TRVDrawLineInfo*>(FList[static_cast<std::size_t>(Index)]);
  }
  TRVDrawLineInfo* First() const { return Get(0); }
  TRVDrawLineInfo* Last() const { return Get(Count() - 1); }
  int Add(TRVDrawLineInfo* DrawItem) { return TList::Add(DrawItem); }

  // Without a gap an ordinary insertion; with one, Index must be the gap's start (otherwise
  // EViroZereError "Assertion failure", nothing changed) and DrawItem fills the gap's first entry.
  void Insert(int Index, TRVDrawLineInfo* DrawItem);
  // Frees the draw item. Without a gap its entry is removed; with one, Index must be the entry just
  // before the gap (otherwise EViroZereError "Assertion failure", nothing changed), which joins it.
  void Delete(int Index);
  // Frees draw items First..Last and opens the gap there (First > Last: an empty gap). A gap left
  // open before is closed first only when it is empty; marking while a gap holds entries is a
  // misuse (EViroZereError "Assertion failure").
  void MarkForDelete(int First, int Last);
  // Removes the entries of the gap in one move and closes it.
  void DeleteMarked();
  // Empties the list without freeing anything and closes the gap.
  void Clear() override;
  // Frees every draw item (from the first), empties the list and closes the gap.
  void FreeAll();

  int StartDeletedIndex() const { return FStartDeletedIndex; }
  int DeletedCount() const { return FDeletedCount; }

  // The text of draw item Index: TextLength characters of its item's text from Offs (1-based),
  // cut to the text (so a non-text item's draw item gives its first TextLength characters).
  TRVUnicodeString GetString(int Index, const TRVItemList* Items) const;

  // The earliest floating draw item before Index, back to MinIndex over the line of Index and the
  // lines above that were laid out under floating boxes, whose bottom is at Top or below (Top is
  // draw item Index's own Top unless UseTop); -1 when none, and without UseTop for an Index past
  // the last draw item.
  int FindFirstFloatingAboveDrawItem(int Index, int MinIndex, bool UseTop, int Top) const;
  // Inserts at the front of ResultList, in ascending order, the indexes of the floating draw items
  // before Index (back over the same lines) whose bottom is at Y - 1 or below.
  void AssignFloatingCrossingY(int Y, int Index, TRVIntegerList& ResultList) const;
  // The same with Y = draw item DItemNo's Top.
  void AssignFloatingAboveDrawItem(int DItemNo, TRVIntegerList& ResultList) const;

  // The formatting stream of the draw items (after the formatted document's four numbers): the
  // count, each draw item's kind and fields, after the first draw item of each item that item's
  // own block (TCustomRVItemInfo::SaveFormattingToStream), and the end marker -2. Only the five
  // draw-item classes of screen formatting can be written: a list holding any other (a printing
  // draw item) is refused, false, nothing written. Items is the item list the draw items refer to.
  bool SaveToStream(TStream* Stream, const TRVItemList* Items) const;
  // Reads what SaveToStream wrote into a list whose draw items the owner has freed; sets the
  // DrawItemNo of each item that has draw items and lets items read their blocks. Counts, kinds,
  // item numbers and text ranges are checked against the bytes left and Items; a short or corrupt
  // stream answers false, with the draw items read so far freed and the list empty (the document
  // is then formatted afresh). Never raises.
  bool LoadFromStream(TStream* Stream, TRVItemList* Items);

 protected:
  void CloseGap() {
    FStartDeletedIndex = -1;
    FDeletedCount = 0;
  }
  int FStartDeletedIndex = -1;
  int FDeletedCount = 0;
};

// The floating draw items (owned by a document's main list) that may reach the line being
// formatted. Never frees them.
class TRVFloatingDrawItems : public TRVDrawLines {
 public:
  TRVFloatingDrawLineInfo* Get(int Index) const { return static_cast<TRVFloatingDrawLineInfo*>(TList::Get(Index)); }
  TRVFloatingDrawLineInfo* operator[](int Index) const {
    return static_cast<TRVFloatingDrawLineInfo*>(FList[static_cast<std::size_t>(Index)]);
  }
  int Add(TRVFloatingDrawLineInfo* DrawItem) { return TList::Add(DrawItem); }
  void Insert(int Index, TRVFloatingDrawLineInfo* DrawItem) { TList::Insert(Index, DrawItem); }
  // Removes the entry only: the draw item belongs to the document's list.
  void Delete(int Index) { TList::Delete(Index); }
  void MarkForDelete(int, int) = delete;
  void FreeAll() = delete;

  // Inserts at the front of this list, in ascending order, the floating draw items of Source before
  // Index (the walk of AssignFloatingCrossingY) whose bottom is at Y - 1 or below.
  void FillFloatingCrossingY(int Y, int Index, const TRVDrawLines& Source);
  // Removes (without freeing) the items whose bottom is above Y.
  void RemoveNonOverlapping(int Y);
  // Sets Marks[i] to 0 for the items whose bottom is above Y (Marks parallels this list).
  void MarkNonOverlapping(int Y, TRVIntegerList& Marks) const;
  // The largest bottom of the items, 0 when there are none.
  int GetFloatBottom() const;
  // Whether an item of that type (with a non-zero mark when Marks is given) is in the list.
  bool HasFloatOfType(const TRVIntegerList* Marks, TRVDItemFloatingType FloatType) const;
  // Where a line at Y can start (LeftIndent) and how wide it can be (LineWidth) beside the boxes of
  // the list; Y moves below boxes while the line would be narrower than MinWidth or a clear option
  // asks (boxes in ClearIgnore, which may be nil, never trigger a clear option). Boxes above Y are
  // removed from the list with AllowDelete, otherwise only passed over. Without a left box the
  // line starts at MinLeftIndent; without a right box it ends at MaxRightSide.
  void AdjustLineSize(int MinLeftIndent, int MinWidth, const TRVDrawLines* ClearIgnore, bool ClearRight,
                      bool ClearLeft, bool AllowDelete, int& LineWidth, int& LeftIndent, int& Y, int MaxRightSide);

  // The forms the formatter calls while it may hold no list at all (nil does nothing, 0 bottom).
  static void RemoveNonOverlapping(TRVFloatingDrawItems* List, int Y) {
    if (List) List->RemoveNonOverlapping(Y);
  }
  static int GetFloatBottom(const TRVFloatingDrawItems* List) { return List ? List->GetFloatBottom() : 0; }
  static void AdjustLineSize(TRVFloatingDrawItems* List, int MinLeftIndent, int MinWidth,
                             const TRVDrawLines* ClearIgnore, bool ClearRight, bool ClearLeft, bool AllowDelete,
                             int& LineWidth, int& LeftIndent, int& Y, int MaxRightSide) {
    if (List)
      List->AdjustLineSize(MinLeftIndent, MinWidth, ClearIgnore, ClearRight, ClearLeft, AllowDelete, LineWidth,
                           LeftIndent, Y, MaxRightSide);
  }
};
