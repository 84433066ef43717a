// Style, list and style-template application of the editor data. A text style goes to exactly the
// selected characters: the items at the selection's edges are split, the selected parts converted,
// and afterwards alike neighbours are joined again, so that applying a style and taking it back
// leaves the items as they were. Lists are markers at paragraph starts, made, removed or moved
// between levels paragraph by paragraph. Replacing the style templates re-derives every style
// that names one and merges the styles that became equal, renumbering the documents that use them.
#include <algorithm>
#include <memory>
#include <vector>

#include "engine/document/RVDeleteUnusedStyles.h"
#include "engine/document/RVItem.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/editor/RVUndoStyleRecords.h"
#include "engine/foundation/RVError.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/styles/StyleTemplate.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/ui/Dialogs.h"

namespace rveditstyles_detail {

bool IsText(TRVEditRVData& D, int ItemNo) { return D.GetItem(ItemNo)->StyleNo >= 0; }

bool TextStyleHas(TRVEditRVData& D, int StyleNo, TRVProtectOption Option) {
  TRVStyle* st = D.GetRVStyle();
  return st && StyleNo >= 0 && StyleNo < st->TextStyles()->Count() &&
         st->TextStyles()->Items(StyleNo)->Protection.Contains(Option);
}

// An item position that follows the items it names through splits, joins, insertions and
// deletions.
struct TItemPos {
  int ItemNo = -1, Offs = 0;
  bool Before(const TItemPos& P) const { return ItemNo < P.ItemNo || (ItemNo == P.ItemNo && Offs < P.Offs); }
};

// Tells live spelling to look again from ItemNo on.
void SetBackLiveSpelling(TRVEditRVData& D, int ItemNo) {
  if (D.ItemCount() == 0) return;
  ItemNo = std::clamp(ItemNo, 0, D.ItemCount() - 1);
  if (auto* viewer = dynamic_cast<TCustomViroZere*>(D.GetViroZere())) viewer->LaterSetBackLiveSpellingTo(&D, ItemNo, 0);
}

// The converted style of text item ItemNo (its style resolved against its paragraph's template).
int ConvertedStyle(TRVEditRVData& D, int ItemNo, int UserData) {
  TCustomRVItemInfo* item = D.GetItem(ItemNo);
  const int resolved = D.GetActualStyle(item);
  int result = resolved;
  if (TCustomViroZereEdit* editor = D.GetEditor(); editor && editor->FCurStyleConversion)
    editor->FCurStyleConversion(editor, resolved, item->ParaNo, UserData, true, result);
  return result;
}

// Gives text item ItemNo its converted style; a tag goes with the old style when the editor asks.
void ConvertWhole(TRVEditRVData& D, int ItemNo, int UserData) {
  const int newStyle = ConvertedStyle(D, ItemNo, UserData);
  TCustomRVItemInfo* item = D.GetItem(ItemNo);
  if (newStyle == item->StyleNo) return;
  TCustomViroZereEdit* editor = D.GetEditor();
  if (editor && editor->GetEditorOptions().Contains(rvoClearTagOnStyleApp) && !item->Tag.empty())
    D.Do_Tag(ItemNo, TRVTag(), true);
  D.Do_StyleNo(ItemNo, newStyle);
}

// Splits text item ItemNo so that the item itself keeps exactly the characters From..To-1 (item
// offsets) and converts it; the unselected head and tail become new items beside it. Answers how
// many items were added (none when the style stays); ItemNo follows the item.
int SplitAndConvert(TRVEditRVData& D, int& ItemNo, int From, int To, int UserData) {
  TCustomRVItemInfo* item = D.GetItem(ItemNo);
  // A part that keeps its style is not split off: that would only be joined again.
  if (ConvertedStyle(D, ItemNo, UserData) == item->StyleNo) return 0;
  const TRVUnicodeString text = D.GetItemTextW(ItemNo);
  const int len = static_cast<int>(text.size());
  From = std::clamp(From, 1, len + 1);
  To = std::clamp(To, From, len + 1);
  int added = 0;
  bool fr = false;
  item->ClearLiveSpellingResult();
  if (To <= len) {
    // The tail continues the paragraph after the item.
    TRVUnicodeString tail = text.substr(static_cast<size_t>(To - 1));
    std::unique_ptr<TCustomRVItemInfo> part(D.CreateSplitTextItem(item));
    part->SetSameAsPrev(true);
    D.Do_DeleteSubstring(ItemNo, To, len - To + 1);
    D.Do_InsertItem(ItemNo + 1, tail, part.get(), false, fr);
    part.release();
    ++added;
  }
  if (From > 1) {
    // The head takes the item's place at the start of its line or paragraph, with its checkpoint.
    TRVUnicodeString head = text.substr(0, static_cast<size_t>(From - 1));
    std::unique_ptr<TCustomRVItemInfo> part(D.CreateSplitTextItem(item));
    part->SetSameAsPrev(item->GetSameAsPrev());
    part->SetBR(item->GetBR());
    part->SetPageBreakBefore(item->GetPageBreakBefore());
    part->SetClearLeft(item->GetClearLeft());
    part->SetClearRight(item->GetClearRight());
    D.Do_DeleteSubstring(ItemNo, 1, From - 1);
    D.Do_InsertItem(ItemNo, head, part.get(), false, fr);
    part.release();
    ++added;
    ++ItemNo;
    if (D.GetItem(ItemNo)->Checkpoint) D.Do_MoveCP(ItemNo, ItemNo - 1);
    D.Do_NewLine(ItemNo, true, -1, fr);
  }
  ConvertWhole(D, ItemNo, UserData);
  return added;
}

// Merges the styles of Styles that are equal to another one (standard styles stay); Map gets the
// new number of every old one. False (Map untouched) when nothing was equal.
template <class TInfos>
bool MergeDuplicateStyles(TInfos* Styles, TRVIntegerList& Map) {
  const int n = Styles->Count();
  std::vector<int> map(static_cast<size_t>(n));
  bool any = false;
  for (int i = 0; i < n; ++i) {
    int target = i;
    if (!Styles->GetInfo(i)->Standard)
      if (const int d = Styles->FindDuplicate(i); d >= 0) target = d;
    any = any || target != i;
    map[static_cast<size_t>(i)] = target;
  }
  if (!any) return false;
  for (int i = n - 1; i >= 0; --i) {
    const int target = map[static_cast<size_t>(i)];
    if (target == i) continue;
    for (int& m : map) {
      if (m == i) m = target;
      if (m > i) --m;
    }
    Styles->Delete(i);
  }
  Map.Clear();
  for (int m : map) Map.Add(m);
  return true;
}

int MapStyle(const TRVIntegerList& Map, int StyleNo) {
  return StyleNo >= 0 && StyleNo < Map.Count() ? Map.Get(StyleNo) : StyleNo;
}

// The documents whose items use one style sheet: renumbered together when its styles merge.
struct TSheetDocs {
  TRVStyle* Sheet = nullptr;
  std::vector<TCustomRVData*> Docs;
};

// The extra documents of the root properties grouped by their style sheets (other sheets first,
// in the order met), with D itself in the group of its own sheet, which comes last.
std::vector<TSheetDocs> GroupBySheet(TRVEditRVData& D) {
  std::vector<TSheetDocs> groups;
  auto add = [&groups](TCustomRVData* Doc) {
    TRVStyle* st = Doc ? Doc->GetRVStyle() : nullptr;
    if (!st) return;
    for (TSheetDocs& g : groups)
      if (g.Sheet == st) {
        if (std::find(g.Docs.begin(), g.Docs.end(), Doc) == g.Docs.end()) g.Docs.push_back(Doc);
        return;
      }
    groups.push_back({st, {Doc}});
  };
  // The data first in its group: the group's styles are remembered as the data's own.
  add(&D);
  if (D.GetAbsoluteRootData() == &D)
    if (TRVDataRootProperties* rp = D.GetRootProperties())
      for (const TRVExtraDocument& extra : rp->ExtraDocumentEntries())
        if (extra.Document != &D) add(extra.Document);
  // The data's own sheet last: its group is the data's own step.
  auto own =
      std::find_if(groups.begin(), groups.end(), [&D](const TSheetDocs& g) { return g.Sheet == D.GetRVStyle(); });
  if (own != groups.end() && own + 1 != groups.end()) std::rotate(own, own + 1, groups.end());
  return groups;
}

bool ReDeriveParagraphs(TRVEditRVData& D, TRVStyleTemplateCollection* NewTemplates, const TSheetDocs& Group,
                        TRVUndoList* List) {
  TRVStyle* st = Group.Sheet;
  TRVStyleTemplateCollection* oldTemplates = st->StyleTemplates();
  TParaInfos* styles = st->ParaStyles();
  for (int i = 0; i < styles->Count(); ++i) {
    TParaInfo* p = styles->Items(i);
    if (p->StyleTemplateId <= 0) continue;
    TRVStyleTemplate::UpdateModifiedParaStyleProperties(oldTemplates->FindItemById(p->StyleTemplateId), p);
    TRVStyleTemplate* t = NewTemplates->FindItemById(p->StyleTemplateId);
    if (t && t->GetKind() == rvstkText) {
      p->StyleTemplateId = -1;
      t = nullptr;
    } else if (!t) {
      t = NewTemplates->NormalStyleTemplate();
    }
    TRVStyleTemplate::ApplyToParaStyle(t, p);
  }
  TRVIntegerList map;
  if (!MergeDuplicateStyles(styles, map)) return false;
  for (int i = 0; i < styles->Count(); ++i) {
    TParaInfo* p = styles->Items(i);
    p->BaseStyleNo = MapStyle(map, p->BaseStyleNo);
    p->NextParaNo = MapStyle(map, p->NextParaNo);
  }
  for (TCustomRVData* doc : Group.Docs) D.Do_ChangeAllParas(&map, doc, List, nullptr);
  return true;
}

bool ReDeriveText(TRVEditRVData& D, TRVStyleTemplateCollection* NewTemplates, const TSheetDocs& Group,
                  TRVUndoList* List) {
  TRVStyle* st = Group.Sheet;
  TRVStyleTemplateCollection* oldTemplates = st->StyleTemplates();
  TFontInfos* styles = st->TextStyles();
  for (int i = 0; i < styles->Count(); ++i) {
    TFontInfo* f = styles->Items(i);
    if (f->StyleTemplateId <= 0 && f->ParaStyleTemplateId <= 0) continue;
    TRVStyleTemplate* oldParaTemplate = oldTemplates->FindItemById(f->ParaStyleTemplateId);
    TRVStyleTemplate::UpdateModifiedTextStyleProperties(oldTemplates->FindItemById(f->StyleTemplateId), f,
                                                        oldParaTemplate);
    TRVStyleTemplate* t = NewTemplates->FindItemById(f->StyleTemplateId);
    TRVStyleTemplate* p = NewTemplates->FindItemById(f->ParaStyleTemplateId);
    if (t && t->GetKind() == rvstkPara) t = nullptr;
    if (p && p->GetKind() == rvstkText) {
      p = nullptr;
      f->ParaStyleTemplateId = -1;
    } else if (!p && oldParaTemplate) {
      p = NewTemplates->NormalStyleTemplate();
      f->ParaStyleTemplateId = p ? p->GetId() : -1;
    }
    if (t && t == p) t = nullptr;
    TRVStyleTemplate::ApplyToTextStyle(t, f, p);
  }
  TRVIntegerList map;
  if (!MergeDuplicateStyles(styles, map)) return false;
  for (int i = 0; i < styles->Count(); ++i) {
    TFontInfo* f = styles->Items(i);
    f->BaseStyleNo = MapStyle(map, f->BaseStyleNo);
    f->NextStyleNo = MapStyle(map, f->NextStyleNo);
  }
  for (int i = 0; i < st->ParaStyles()->Count(); ++i) {
    TParaInfo* p = st->ParaStyles()->Items(i);
    p->DefStyleNo = MapStyle(map, p->DefStyleNo);
  }
  for (TCustomRVData* doc : Group.Docs) D.Do_ChangeAllTextStyles(&map, doc, List, nullptr);
  return true;
}

}  // namespace rveditstyles_detail

// ---- text styles -----------------------------------------------------------------------------------

void TRVEditRVData::ApplyStyleConversion_(int UserData, TRVEStyleConversionType ConvType, bool Recursive) {
  using namespace rveditstyles_detail;
  // 1. Cells of a table selected: the table converts them.
  if (FPartialSelectedItem && FPartialSelectedItem->PartiallySelected()) {
    FPartialSelectedItem->ApplyStyleConversionToSubRVDatas(UserData, true, ConvType);
    return;
  }
  TCustomViroZereEdit* editor = GetEditor();
  // 2. The new current text style.
  if (!TextStyleHas(*this, GetActualCurStyleNo(), rvprDoNotAutoSwitch)) FPrevTextStyleNo = FCurTextStyleNo;
  int newCurStyle = FCurTextStyleNo;
  if (editor && editor->FCurStyleConversion)
    editor->FCurStyleConversion(editor, FCurTextStyleNo, FCurParaStyleNo, UserData, false, newCurStyle);

  // 3. Without a selection only an empty text item at the caret takes the style at once.
  if (!SelectionExists(false, false)) {
    const int itemNo = GetCurItemNo();
    if (itemNo >= 0 && itemNo < ItemCount() && IsText(*this, itemNo) && GetItemTextW(itemNo).empty()) {
      BeginUndoSequence(rvutStyleNo, true);
      int caretItem = -1, caretOffs = 0;
      CaretToItem(caretItem, caretOffs);
      ConvertWhole(*this, itemNo, UserData);
      if (CaretDrawItemNo >= 0) FormatParas(CaretDrawItemNo, CaretDrawItemNo, 0, !Recursive);
      if (caretItem >= 0 && caretItem < ItemCount()) SetCaretAtItem(caretItem, caretOffs);
      SetCurTextStyleNo(newCurStyle);
      ChangeCaret(false, true, true, false);
      DoAfterFormatAndCaretPositioning(true);
      Change();
    }
    SetCurTextStyleNo(newCurStyle);
    return;
  }

  // 4. The selected text, item by item.
  BeginUndoSequence(rvutStyleNo, true);
  TItemPos s, e, userStart, userEnd;
  GetSelectionBoundsEx(s.ItemNo, s.Offs, e.ItemNo, e.Offs, true);
  GetSelectionBoundsEx(userStart.ItemNo, userStart.Offs, userEnd.ItemNo, userEnd.Offs, false);
  if (s.ItemNo < 0 || e.ItemNo < 0) return;
  const bool backwards = userEnd.Before(userStart);
  const int oldMinWidth = CalculateParaSectionsMinWidthDef(s.ItemNo, e.ItemNo);
  int firstDraw = 0, lastDraw = -1;
  {
    int sd, ed, so, eo;
    GetSelBounds(sd, ed, so, eo, true);
    GetParaBoundsEx(sd, ed, firstDraw, lastDraw, false);
  }
  int added = 0;
  auto splitProtected = [this](int ItemNo) { return IsProtected(ItemNo, rvprStyleSplitProtect); };
  auto convertOther = [&](int ItemNo) {
    GetItem(ItemNo)->ApplyStyleConversion(this, ItemNo, UserData, ConvType, Recursive);
  };
  if (s.ItemNo == e.ItemNo) {
    int i = s.ItemNo;
    const int before = GetOffsBeforeItem(i), after = GetOffsAfterItem(i);
    if (!IsText(*this, i)) {
      convertOther(i);
    } else if (splitProtected(i) || (s.Offs <= before && e.Offs >= after)) {
      ConvertWhole(*this, i, UserData);
    } else {
      const int length = e.Offs - s.Offs;
      if (const int a = SplitAndConvert(*this, i, s.Offs, e.Offs, UserData); a > 0) {
        added += a;
        s = {i, 1};
        e = {i, 1 + length};
      }
    }
  } else {
    // The edges first, the last one before the first, so that splits do not move the items still
    // to come; lo..hi are the items converted whole.
    int lo = s.ItemNo, hi = e.ItemNo;
    {
      int i = e.ItemNo;
      const bool nothing = e.Offs <= GetOffsBeforeItem(i);
      if (!IsText(*this, i)) {
        if (nothing) hi = i - 1;
      } else if (!splitProtected(i) && e.Offs < GetOffsAfterItem(i)) {
        if (!nothing) added += SplitAndConvert(*this, i, 1, e.Offs, UserData);
        hi = i - 1;
      }
    }
    {
      int i = s.ItemNo;
      const bool nothing = s.Offs >= GetOffsAfterItem(i);
      if (!IsText(*this, i)) {
        if (s.Offs > GetOffsBeforeItem(i)) lo = i + 1;
      } else if (!splitProtected(i) && s.Offs > GetOffsBeforeItem(i)) {
        if (!nothing) {
          if (const int a = SplitAndConvert(*this, i, s.Offs, GetOffsAfterItem(i), UserData); a > 0) {
            added += a;
            hi += a;
            e.ItemNo += a;
            s = {i, 1};
          }
        }
        lo = i + 1;
      }
    }
    // The items between: one record for all their text styles.
    if (lo <= hi) {
      TRVIntegerList styles;
      bool changed = false;
      TCustomViroZereEdit* ed = GetEditor();
      const bool clearTags = ed && ed->GetEditorOptions().Contains(rvoClearTagOnStyleApp);
      for (int i = lo; i <= hi; ++i) {
        TCustomRVItemInfo* item = GetItem(i);
        if (!IsText(*this, i)) {
          convertOther(i);
          styles.Add(item->StyleNo);
          continue;
        }
        const int newStyle = ConvertedStyle(*this, i, UserData);
        if (newStyle != item->StyleNo) {
          changed = true;
          if (clearTags && !item->Tag.empty()) Do_Tag(i, TRVTag(), true);
        }
        styles.Add(newStyle);
      }
      if (changed) Do_StyleNoList(lo, &styles);
    }
  }

  // 5. Alike neighbours join again: in the converted range and at both its edges. Two texts
  // join in one record for all; an empty item goes through the single join, which keeps what it
  // marks.
  SetBackLiveSpelling(*this, s.ItemNo - 1);
  std::vector<TRVTextJoin> joins;
  auto flushJoins = [&] {
    if (joins.empty()) return;
    Do_JoinTextItems(joins);
    joins.clear();
  };
  for (int j = std::min(e.ItemNo + 1, ItemCount() - 1); j >= std::max(s.ItemNo, 1); --j) {
    if (!CanConcateItemsAt(j - 1, false, false)) continue;
    const int lenBefore = static_cast<int>(GetItemTextW(j - 1).size());
    if (lenBefore > 0 && !GetItemTextW(j).empty() && !GetItem(j)->Checkpoint) {
      TRVTextJoin join;
      join.ItemNo = j - 1;
      joins.push_back(std::move(join));
      // Done at once in the list's order below; nothing before j - 1 is touched meanwhile.
    } else {
      flushJoins();
      GetItem(j - 1)->ClearLiveSpellingResult();
      Do_Concate(j - 1);
      if (j - 1 < ItemCount() && IsText(*this, j - 1)) GetItem(j - 1)->ClearWordPainters(0);
    }
    --added;
    for (TItemPos* p : {&s, &e}) {
      if (p->ItemNo == j) {
        p->ItemNo = j - 1;
        p->Offs += lenBefore;
      } else if (p->ItemNo > j) {
        --p->ItemNo;
      }
    }
  }
  flushJoins();

  // 6. Formatting: the paragraphs of the selection, everything when the width rule says so.
  const int newMinWidth = CalculateParaSectionsMinWidthDef(s.ItemNo, e.ItemNo);
  const bool full = newMinWidth != oldMinWidth && (oldMinWidth >= DocumentWidth || newMinWidth >= DocumentWidth);
  FSelStartNo = FSelEndNo = -1;  // draw items of the old layout
  Reformat_(full, firstDraw, lastDraw, added, !Recursive);

  // 7. The selection back over exactly the converted text, as the user made it.
  if (State.Contains(rvstSkipFormatting)) return;
  if (backwards)
    RestoreSelBounds(e.ItemNo, s.ItemNo, e.Offs, s.Offs, false);
  else
    RestoreSelBounds(s.ItemNo, e.ItemNo, s.Offs, e.Offs, false);
  if (FSelEndNo >= 0) {
    CaretDrawItemNo = FSelEndNo;
    OnChangeCaretLine(FSelEndOffs - 2);
  }
  SetCurTextStyleNo(newCurStyle);
  ChangeCaret(false, true, true, true);
  DoAfterFormatAndCaretPositioning(true);
  Change();
}

void TRVEditRVData::Do_StyleNoList(int StartItemNo, TRVIntegerList* StyleList) {
  if (!StyleList || StyleList->Count() == 0) return;
  const int last = StartItemNo + StyleList->Count() - 1;
  if (StartItemNo < 0 || last >= ItemCount()) throw EViroZereError("Undo error");
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoStyleNoListInfo>();
    r->StartItemNo = StartItemNo;
    for (int i = StartItemNo; i <= last; ++i) r->List.Add(GetItem(i)->StyleNo);
    list->AddInfo(r.get(), GetEditor());
    r.release();
  }
  for (int i = 0; i < StyleList->Count(); ++i) {
    TCustomRVItemInfo* item = GetItem(StartItemNo + i);
    if (item->StyleNo >= 0 && StyleList->Get(i) >= 0) item->StyleNo = StyleList->Get(i);
  }
}

namespace rveditstyles_detail {

// The touched items Lo..Hi follow an item removed (Delta -1) or added (+1) after At.
void TrackTouched(int& Lo, int& Hi, int At, int Delta) {
  if (Hi > At) Hi += Delta;
  Lo = Lo < 0 ? At : std::min(Lo, At);
  Hi = std::max(Hi, Delta > 0 ? At + 1 : At);
}

// Pointers of the formatted data that name an item leaving the document.
void ForgetLeavingItem(TRVEditRVData& D, TCustomRVItemInfo* Item) {
  if (D.FActiveItem == Item) D.FActiveItem = nullptr;
  if (D.FCaptureMouseItem == Item) D.FCaptureMouseItem = nullptr;
  if (D.FPartialSelectedItem == Item) D.FPartialSelectedItem = nullptr;
}

}  // namespace rveditstyles_detail

void TRVEditRVData::Do_JoinTextItems(std::vector<TRVTextJoin>& Joins) {
  using namespace rveditstyles_detail;
  if (Joins.empty()) return;
  for (const TRVTextJoin& j : Joins)
    if (j.ItemNo < 0 || j.ItemNo + 1 >= ItemCount()) throw EViroZereError("Undo error");
  TRVUndoTextJoinsInfo* info = nullptr;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoTextJoinsInfo>();
    r->Joined = true;
    r->Count = static_cast<int>(Joins.size());
    info = r.get();
    list->AddInfo(info, GetEditor());
    r.release();
  }
  for (const TRVTextJoin& j : Joins) {
    const int k = j.ItemNo;
    // A checkpoint of the second item would have nowhere to go: such texts are joined one by one.
    if (k + 1 >= ItemCount() || !IsText(*this, k) || !IsText(*this, k + 1) || GetItem(k + 1)->Checkpoint)
      throw EViroZereError("Undo error");
    TCustomRVItemInfo* first = GetItem(k);
    TCustomRVItemInfo* second = GetItem(k + 1);
    TRVUnicodeString text = GetItemTextW(k);
    const int offs = static_cast<int>(text.size()) + 1;
    text += GetItemTextW(k + 1);
    if (info) {
      TRVTextJoin done;
      done.ItemNo = k;
      done.Offs = offs;
      done.Part.reset(CreateSplitTextItem(second));
      done.Part->SetSameAsPrev(true);
      info->Joins.push_back(std::move(done));
      TrackTouched(info->Lo, info->Hi, k, -1);
    }
    first->ClearLiveSpellingResult();
    first->ClearWordPainters(0);
    ItemAction(rviaTextModifying, first, text, this);
    SetItemTextW(k, text);
    ForgetLeavingItem(*this, second);
    FreeItem(k + 1, false);
    GetItems()->Delete(k + 1);
  }
}

void TRVEditRVData::Do_SplitTextItems(std::vector<TRVTextJoin>& Joins) {
  using namespace rveditstyles_detail;
  if (Joins.empty()) return;
  TRVUndoTextJoinsInfo* info = nullptr;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoTextJoinsInfo>();
    r->Joined = false;
    r->Count = static_cast<int>(Joins.size());
    info = r.get();
    list->AddInfo(info, GetEditor());
    r.release();
  }
  for (TRVTextJoin& j : Joins) {
    const int k = j.ItemNo;
    if (k < 0 || k >= ItemCount() || !IsText(*this, k) || !j.Part) throw EViroZereError("Undo error");
    TRVUnicodeString text = GetItemTextW(k);
    if (j.Offs < 1 || j.Offs > static_cast<int>(text.size()) + 1) throw EViroZereError("Undo error");
    TRVUnicodeString tail = text.substr(static_cast<size_t>(j.Offs - 1));
    text.erase(static_cast<size_t>(j.Offs - 1));
    TCustomRVItemInfo* first = GetItem(k);
    first->ClearLiveSpellingResult();
    first->ClearWordPainters(0);
    ItemAction(rviaTextModifying, first, text, this);
    SetItemTextW(k, text);
    TCustomRVItemInfo* part = j.Part.release();
    part->Inserting(this, tail, true);
    GetItems()->InsertObject(k + 1, tail, part);
    DoOnAddSpecialItem(k + 1);
    part->Inserted(this, k + 1);
    if (info) {
      TRVTextJoin done;
      done.ItemNo = k;
      done.Offs = j.Offs;
      info->Joins.push_back(std::move(done));
      TrackTouched(info->Lo, info->Hi, k, +1);
    }
  }
}

// ---- lists -----------------------------------------------------------------------------------------

void TRVEditRVData::ApplyListStyle(int AListNo, int AListLevel, int AStartFrom, bool AUseStartFrom, bool ARecursive,
                                   TRVParaListOperation Operation) {
  TRVStyle* st = GetRVStyle();
  if (!st || ItemCount() == 0) return;
  // A list that the style sheet does not have would make markers that nothing can draw.
  if (Operation == rvplopChange && (AListNo < 0 || AListNo >= st->ListStyles()->Count())) {
    Beep();
    return;
  }
  BeginUndoSequence(rvutList, true);
  SetUndoGroupMode(true);
  int lastItem = -1, lastVWMarkerIndex = -1;
  auto listNos = std::make_unique<TRVIntegerList>();
  try {
    int selStartNo, selStartOffs, selEndNo, selEndOffs;
    GetSelectionBoundsEx(selStartNo, selStartOffs, selEndNo, selEndOffs, false);
    int sNo = selStartNo, eNo = selEndNo;
    if (sNo < 0 || eNo < 0) {
      sNo = eNo = selStartNo = selEndNo = GetCurItemNo();
      selStartOffs = selEndOffs = GetOffsetInCurItem();
    }
    if (sNo < 0) sNo = eNo = 0;
    if (eNo < sNo) std::swap(sNo, eNo);
    int first = sNo, last = eNo;
    ExpandToPara(sNo, eNo, first, last);
    lastItem = last;
    int firstDraw = 0, lastDraw = -1;
    GetParaBoundsEx(Item2FirstDrawItem(first), Item2LastDrawItem(last), firstDraw, lastDraw, false);
    const int oldMinWidth = CalculateParaSectionsMinWidthDef(first, last);
    int added = 0;
    ApplyListStyle_(AListNo, AListLevel, AStartFrom, AUseStartFrom, Operation, added, first, lastItem, selStartNo,
                    selStartOffs, selEndNo, selEndOffs, listNos.get(), lastVWMarkerIndex);
    const int newMinWidth = CalculateParaSectionsMinWidthDef(first, std::max(first, lastItem));
    const bool full = newMinWidth != oldMinWidth && (newMinWidth > DocumentWidth || oldMinWidth >= DocumentWidth);
    FSelStartNo = FSelEndNo = -1;  // draw items of the old layout
    Reformat_(full, firstDraw, lastDraw, added, !ARecursive);
    RestoreSelBounds(selStartNo, selEndNo, selStartOffs, selEndOffs, false);
    if (FSelEndNo >= 0) {
      CaretDrawItemNo = FSelEndNo;
      OnChangeCaretLine(FSelEndOffs - 2);
    }
    ChangeCaret(false, false, true, false);
  } catch (...) {
    SetUndoGroupMode(false);
    if (lastItem >= 0 && lastItem < ItemCount())
      UpdateAfterMarkersOrSeq(lastItem, lastVWMarkerIndex, -1, listNos.get(), nullptr);
    DoAfterFormatAndCaretPositioning(true);
    Change();
    InvalidateDocument();
    throw;
  }
  SetUndoGroupMode(false);
  if (lastItem >= 0 && lastItem < ItemCount())
    UpdateAfterMarkersOrSeq(lastItem, lastVWMarkerIndex, -1, listNos.get(), nullptr);
  DoAfterFormatAndCaretPositioning(true);
  Change();
  InvalidateDocument();
}

void TRVEditRVData::ApplyListStyle_(int AListNo, int AListLevel, int AStartFrom, bool AUseStartFrom,
                                    TRVParaListOperation Operation, int& ItemsAdded, int StartNo, int& EndNo,
                                    int& SelStartNo, int& SelStartOffs, int& SelEndNo, int& SelEndOffs,
                                    TRVIntegerList* ListNos, int& LastVWMarkerIndex) {
  TRVStyle* st = GetRVStyle();
  if (!st) return;
  TRVListInfos* lists = st->ListStyles();
  int lastChanged = -1;
  auto noteVariableWidth = [&](TRVMarkerItemInfo* Marker) {
    if (Marker->ListNo < 0 || Marker->ListNo >= lists->Count() || !lists->Items(Marker->ListNo)->HasVariableWidth())
      return;
    if (ListNos->IndexOf(Marker->ListNo) < 0) ListNos->Add(Marker->ListNo);
    if (TRVMarkerList* markers = GetMarkers(false)) LastVWMarkerIndex = Marker->GetIndexInList(markers);
  };
  // The selection's bounds follow the items they name.
  auto itemRemoved = [&](int At) {
    const std::pair<int*, int*> bounds[] = {{&SelStartNo, &SelStartOffs}, {&SelEndNo, &SelEndOffs}};
    for (auto [no, offs] : bounds) {
      if (*no > At)
        --*no;
      else if (*no == At)
        *offs = At < ItemCount() ? GetOffsBeforeItem(At) : 0;
    }
    --EndNo;
  };
  auto itemInserted = [&](int At) {
    for (int* no : {&SelStartNo, &SelEndNo})
      if (*no >= At) ++*no;
    ++EndNo;
  };

  for (int i = EndNo; i >= StartNo; --i) {
    if (i >= ItemCount() || !IsParaStart(i)) continue;
    TCustomRVItemInfo* start = GetItem(i);
    if (start->GetBoolValue(rvbpFullWidth) || IsItemParaProtected(i)) continue;
    auto* oldMarker = start->StyleNo == ItemKindListMarker ? dynamic_cast<TRVMarkerItemInfo*>(start) : nullptr;
    bool hadMarker = false, pageBreak = false, clearLeft = false, clearRight = false;
    int oldListNo = -1, oldLevel = -1, oldStartFrom = 0;
    bool oldReset = false, oldDeleteProtect = false;
    std::unique_ptr<TRVCPInfo> oldCheckpoint;
    TRVTag oldTag;
    if (oldMarker) {
      if (Operation == rvplopRemove && IsProtected(i, rvprDeleteProtect)) continue;
      if (Operation == rvplopLevel && (oldMarker->Level < 0 || oldMarker->ListNo < 0)) continue;
      noteVariableWidth(oldMarker);
      oldListNo = oldMarker->ListNo;
      oldLevel = oldMarker->Level;
      oldStartFrom = oldMarker->StartFrom;
      oldReset = oldMarker->Reset;
      oldTag = oldMarker->Tag;
      oldDeleteProtect = oldMarker->DeleteProtect;
      if (oldMarker->Checkpoint) oldCheckpoint = oldMarker->Checkpoint->CreateCopy();
      pageBreak = oldMarker->GetPageBreakBefore();
      clearLeft = oldMarker->GetClearLeft();
      clearRight = oldMarker->GetClearRight();
      bool fr = false;
      const bool textFollows = i + 1 < ItemCount() && !IsParaStart(i + 1);
      if (Operation == rvplopRemove && textFollows) Do_NewLine(i + 1, false, -1, fr);
      Do_DeleteItem(i, fr);
      --ItemsAdded;
      itemRemoved(i);
      hadMarker = true;
      lastChanged = i;
      if (Operation == rvplopRemove && textFollows) {
        // The paragraph keeps its page break and its clearing of floating boxes.
        if (pageBreak) Do_PageBreak(i, true);
        if (clearLeft || clearRight) Do_ClearTextFlow(i, clearLeft, clearRight);
      }
    } else {
      pageBreak = start->GetPageBreakBefore();
      clearLeft = start->GetClearLeft();
      clearRight = start->GetClearRight();
    }
    if (Operation == rvplopRemove || (Operation == rvplopLevel && !hadMarker)) continue;
    if (Operation == rvplopChange && !hadMarker && i > 0 && IsSticking(i - 1, true)) continue;
    if (i >= ItemCount()) continue;

    int listNo = AListNo, level = 0, startFrom = AStartFrom;
    bool reset = AUseStartFrom && i == StartNo;
    if (Operation == rvplopLevel) {
      listNo = oldListNo;
      reset = oldReset;
      startFrom = oldStartFrom;
      const int levels = listNo < lists->Count() ? lists->Items(listNo)->Levels()->Count() : 0;
      level = std::clamp(oldLevel + AListLevel, 0, std::max(levels - 1, 0));
    } else {
      level = AListLevel >= 0 ? AListLevel : (hadMarker ? std::max(oldLevel, 0) : 0);
    }
    auto marker = std::make_unique<TRVMarkerItemInfo>(this, listNo, level, startFrom, reset);
    marker->ParaNo = GetItem(i)->ParaNo;
    marker->SetClearLeft(clearLeft);
    marker->SetClearRight(clearRight);
    if (hadMarker) {
      marker->Tag = oldTag;
      marker->DeleteProtect = oldDeleteProtect;
      marker->Checkpoint = oldCheckpoint.release();
    }
    const int paraNo = marker->ParaNo;
    TRVMarkerItemInfo* made = marker.get();
    TRVUnicodeString text;
    bool fr = false;
    Do_InsertItem(i, text, made, false, fr);
    marker.release();
    Do_NewLine(i + 1, true, paraNo, fr);
    // Joining the text to the marker took the paragraph's page break off the marker.
    if (pageBreak) Do_PageBreak(i, true);
    ++ItemsAdded;
    itemInserted(i);
    lastChanged = i;
    noteVariableWidth(made);
  }
  if (lastChanged >= 0) rveditstyles_detail::SetBackLiveSpelling(*this, lastChanged);
}

// ---- style templates -------------------------------------------------------------------------------

void TRVEditRVData::ChangeStyleTemplates(TRVStyleTemplateCollection* NewStyleTemplates) {
  using namespace rveditstyles_detail;
  TRVDataRootProperties* rp = GetRootProperties();
  if (!rp || !rp->UseStyleTemplates) {
    MessageBeep(0);
    return;
  }
  if (!NewStyleTemplates || !GetRVStyle()) return;
  TRVUndoList* list = GetUndoList();
  for (const TSheetDocs& group : GroupBySheet(*this)) {
    Do_RememberStyles(group.Docs.front(), list);
    ReDeriveParagraphs(*this, NewStyleTemplates, group, list);
    ReDeriveText(*this, NewStyleTemplates, group, list);
  }
  Do_ChangeStyleTemplates(NewStyleTemplates);
  CallStyleChangeEvents();
}

bool TRVEditRVData::ApplyChangedStyleTemplatesToParagraphs(TRVStyleTemplateCollection* NewStyleTemplates,
                                                           TCustomRVData* SubDoc, TRVUndoList* List) {
  TRVStyle* st = SubDoc ? SubDoc->GetRVStyle() : nullptr;
  if (!st || !NewStyleTemplates) return false;
  return rveditstyles_detail::ReDeriveParagraphs(*this, NewStyleTemplates, {st, {SubDoc}}, List);
}

bool TRVEditRVData::ApplyChangedStyleTemplatesToText(TRVStyleTemplateCollection* NewStyleTemplates,
                                                     TCustomRVData* SubDoc, TRVUndoList* List) {
  TRVStyle* st = SubDoc ? SubDoc->GetRVStyle() : nullptr;
  if (!st || !NewStyleTemplates) return false;
  return rveditstyles_detail::ReDeriveText(*this, NewStyleTemplates, {st, {SubDoc}}, List);
}

void TRVEditRVData::CallStyleChangeEvents() {
  auto* root = dynamic_cast<TRVEditRVData*>(GetAbsoluteRootData());
  TCustomViroZereEdit* editor = (root ? root : this)->GetEditor();
  if (!editor) return;
  editor = editor->GetTopLevelEditor();
  TRVEditRVData* data = editor->GetEditRVData();
  const bool wasForced = data->State.Contains(rvstForceStyleChangeEvent);
  data->State.Include(rvstForceStyleChangeEvent);
  editor->SetCurParaStyleNo(data->FCurParaStyleNo);
  // Setting the text style takes the mark off; both events are raised all the same.
  data->State.Include(rvstForceStyleChangeEvent);
  editor->SetCurTextStyleNo(data->FCurTextStyleNo);
  if (wasForced)
    data->State.Include(rvstForceStyleChangeEvent);
  else
    data->State.Exclude(rvstForceStyleChangeEvent);
}

// ---- renumbering and deleting styles ------------------------------------------------------------------

void TRVEditRVData::ChangeParagraphStyles(const TRVIntegerList* ParaMapList, const TRVIntegerList* NewIndices,
                                          TRVIntegerList* OldIndices, int& Index) {
  TViroZereRVData::ChangeParagraphStyles(ParaMapList, NewIndices, OldIndices, Index);
  if (ParaMapList) {
    if (FCurParaStyleNo >= 0 && FCurParaStyleNo < ParaMapList->Count())
      FCurParaStyleNo = ParaMapList->Get(FCurParaStyleNo);
  } else if (const int itemNo = GetCurItemNo(); itemNo >= 0 && itemNo < ItemCount()) {
    FCurParaStyleNo = GetItem(itemNo)->ParaNo;
  }
}

void TRVEditRVData::ChangeTextStyles(const TRVIntegerList* TextMapList, const TRVIntegerList* NewIndices,
                                     TRVIntegerList* OldIndices, int& Index) {
  TViroZereRVData::ChangeTextStyles(TextMapList, NewIndices, OldIndices, Index);
  if (TextMapList) {
    if (FCurTextStyleNo >= 0 && FCurTextStyleNo < TextMapList->Count())
      FCurTextStyleNo = TextMapList->Get(FCurTextStyleNo);
    return;
  }
  const int itemNo = GetCurItemNo();
  if (itemNo < 0 || itemNo >= ItemCount()) return;
  TCustomRVItemInfo* item = GetItem(itemNo);
  int styleNo = item->StyleNo >= 0 ? item->StyleNo : item->GetAssociatedTextStyleNo();
  if (styleNo < 0 || rveditstyles_detail::TextStyleHas(*this, styleNo, rvprDoNotAutoSwitch)) styleNo = 0;
  FCurTextStyleNo = styleNo;
}

void TRVEditRVData::MarkStylesInUse(TRVDeleteUnusedStylesData* Data) {
  TRVStyle* st = GetRVStyle();
  if (!st) return;
  FCurTextStyleNo = GetActualCurStyleNo();
  // Marked before the document's styles, so that what they refer to counts as used as well.
  Data->Init(st);
  Data->MarkTextStyle(FCurTextStyleNo);
  Data->MarkParaStyle(FCurParaStyleNo);
  TViroZereRVData::MarkStylesInUse(Data);
}

void TRVEditRVData::AfterDeleteUnusedStyles(TRVDeleteUnusedStylesData* Data) {
  // The records hold style numbers of before.
  if (UndoList) UndoList->Clear();
  if (RedoList) RedoList->Clear();
  FCurTextStyleNo = Data->NewTextStyle(FCurTextStyleNo);
  FCurParaStyleNo = Data->NewParaStyle(FCurParaStyleNo);
  const TRVIntegerList* used = Data->UsedTextStyles();
  if (used && Data->TextStyles() && FPrevTextStyleNo >= 0 && FPrevTextStyleNo < used->Count() &&
      used->Get(FPrevTextStyleNo) == 0)
    FPrevTextStyleNo = 0;
  else
    FPrevTextStyleNo = Data->NewTextStyle(FPrevTextStyleNo);
  if (TCustomViroZereEdit* editor = GetEditor(); editor && !GetInplaceEditor()) {
    State.Include(rvstForceStyleChangeEvent);
    editor->SetCurParaStyleNo(FCurParaStyleNo);
    State.Include(rvstForceStyleChangeEvent);
    editor->SetCurTextStyleNo(FCurTextStyleNo);
    State.Exclude(rvstForceStyleChangeEvent);
  }
  TViroZereRVData::AfterDeleteUnusedStyles(Data);
}
