// Protection and insertion checks: what the text and paragraph styles of the style sheet forbid,
// asked by the editor before every change and by the drop target while dragging.
#include "engine/document/RVNonTextItems.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"

bool TCustomRVFormattedData::IsProtected(int ItemNo, TRVProtectOption Option) {
  if (ItemNo < 0 || ItemNo >= ItemCount()) return false;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (Option == rvprDeleteProtect && item->StyleNo < 0)
    if (auto* nt = dynamic_cast<TRVNonTextItemInfo*>(item); nt && nt->DeleteProtect) return true;
  TRVStyle* st = GetRVStyle();
  if (!st) return false;
  // A text item by its own style, a non-text item by the text style associated with it.
  const int style = item->StyleNo >= 0 ? GetActualStyle(item) : item->GetAssociatedTextStyleNo();
  if (style < 0 || style >= st->TextStyles()->Count()) return false;
  return st->TextStyles()->Items(style)->Protection.Contains(Option);
}

bool TCustomRVFormattedData::IsParaProtected(int ParaNo, TRVParaOption Option) {
  TRVStyle* st = GetRVStyle();
  if (!st || ParaNo < 0 || ParaNo >= st->ParaStyles()->Count()) return false;
  return st->ParaStyles()->Items(ParaNo)->Options.Contains(Option);
}

bool TCustomRVFormattedData::IsItemParaProtected(int ItemNo) {
  if (ItemNo < 0 || ItemNo >= ItemCount()) return false;
  return IsParaProtected(GetDisplayedParaNo(ItemNo), rvpaoReadOnly);
}

bool TCustomRVFormattedData::IsSticking(int FirstItemNo, bool NoSound) {
  const int n = ItemCount();
  bool result = false;
  if (n == 0 || FirstItemNo < -1 || FirstItemNo >= n) return false;
  if (FirstItemNo == -1)
    result = IsProtected(0, rvprStickToTop);
  else if (FirstItemNo == n - 1)
    result = IsProtected(FirstItemNo, rvprStickToBottom);
  else
    result = (IsProtected(FirstItemNo, rvprSticking) && IsProtected(FirstItemNo + 1, rvprSticking)) ||
             (IsProtected(FirstItemNo, rvprSticking2) && IsProtected(FirstItemNo + 1, rvprSticking2)) ||
             (IsProtected(FirstItemNo, rvprSticking3) && IsProtected(FirstItemNo + 1, rvprSticking3));
  if (result && !NoSound) Beep();
  return result;
}

bool TCustomRVFormattedData::CanInsertHere(int ItemNo, int Offs) {
  if (ItemNo < 0 || ItemNo >= ItemCount()) return false;
  if (IsItemParaProtected(ItemNo)) return false;
  if (Offs <= GetOffsBeforeItem(ItemNo)) return !IsSticking(ItemNo - 1, true);
  if (Offs < GetOffsAfterItem(ItemNo)) return !IsProtected(ItemNo, rvprModifyProtect);
  return !IsSticking(ItemNo, true);
}
