// Bookkeeping of one removal of unused styles: which text, paragraph and list styles are used,
// then the shift of every kept style's index, the deletion of the others from the style sheet and
// the renumbering of the references between the remaining styles. Items mark and renumber their
// own references through it.
#pragma once

#include <memory>

#include "engine/foundation/RVClasses.h"

class TRVStyle;
class TCustomRVInfos;

class TRVDeleteUnusedStylesData : public TObject {
 public:
  TRVDeleteUnusedStylesData(bool ATextStyles, bool AParaStyles, bool AListStyles);

  // Once only: one entry per style, 0 for a processed kind and 1 for the others; the default
  // Unicode style and every standard style of a processed kind count as used.
  void Init(TRVStyle* ARVStyle);
  // Once only: turns the used-flags into shifts, deletes the unused styles and renumbers the
  // references of the remaining ones (text styles first).
  void ConvertFlagsToShifts(TRVStyle* ARVStyle);

  // Marking (before the conversion): a reference inside its list is marked used.
  void MarkTextStyle(int StyleNo) { Mark(FUsedTextStyles.get(), StyleNo); }
  void MarkParaStyle(int ParaNo) { Mark(FUsedParaStyles.get(), ParaNo); }
  void MarkListStyle(int ListNo) { Mark(FUsedListStyles.get(), ListNo); }
  // Renumbering (after the conversion): a reference inside its list maps to the new index; any
  // other value is returned unchanged.
  int NewTextStyle(int StyleNo) const { return Renumber(FUsedTextStyles.get(), StyleNo); }
  int NewParaStyle(int ParaNo) const { return Renumber(FUsedParaStyles.get(), ParaNo); }
  int NewListStyle(int ListNo) const { return Renumber(FUsedListStyles.get(), ListNo); }

  TRVIntegerList* UsedTextStyles() const { return FUsedTextStyles.get(); }
  TRVIntegerList* UsedParaStyles() const { return FUsedParaStyles.get(); }
  TRVIntegerList* UsedListStyles() const { return FUsedListStyles.get(); }
  bool TextStyles() const { return FTextStyles; }
  bool ParaStyles() const { return FParaStyles; }
  bool ListStyles() const { return FListStyles; }
  bool ConvertedToShifts() const { return FConvertedToShifts; }

  // A reference I through a shift list: below 0 stays, at or beyond the list's length -1,
  // otherwise I + 1 - L[I].
  static int ShiftReference(const TRVIntegerList* L, int I);

 private:
  static void Mark(TRVIntegerList* L, int Index) {
    if (L && Index >= 0 && Index < L->Count()) L->Put(Index, 1);
  }
  static int Renumber(const TRVIntegerList* L, int Index) {
    if (!L || Index < 0 || Index >= L->Count()) return Index;
    return Index + 1 - L->Get(Index);
  }
  static void FlagsToShifts(TRVIntegerList* L);
  static void DeleteUnused(TCustomRVInfos* Styles, const TRVIntegerList* L);

  bool FInitialized = false;
  bool FConvertedToShifts = false;
  std::unique_ptr<TRVIntegerList> FUsedTextStyles, FUsedParaStyles, FUsedListStyles;
  bool FTextStyles, FParaStyles, FListStyles;
};
