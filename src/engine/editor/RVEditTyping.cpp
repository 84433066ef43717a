// Typing: characters put at the caret in the current text style, the current tag that inserted
// text takes, the item-text-edit hook and the conversion of an item's associated text style.
//
// A character that continues text of the current style is written straight into its item and
// only a typing record is kept, so that a run of keys is one undo step that gives back one
// character at a time; anything that cannot join (another style, a protected edge, a hook that
// changed the item) goes through the recorded primitives or becomes a new item.
#include <algorithm>

#include "engine/editor/RVEdit.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"

namespace typing_unit {

TCustomViroZere* Viewer(TRVEditRVData& D) { return dynamic_cast<TCustomViroZere*>(D.GetViroZere()); }

// Live spelling checks the item again from Offs; Clear drops the marks it had from there.
void SetBackLiveSpelling(TRVEditRVData& D, int ItemNo, int Offs, bool Clear) {
  if (ItemNo < 0 || ItemNo >= D.ItemCount()) return;
  if (Clear) D.GetItem(ItemNo)->ClearWordPainters(std::max(Offs, 0));
  if (TCustomViroZere* V = Viewer(D)) V->LaterSetBackLiveSpellingTo(&D, ItemNo, Offs);
}

bool ParaIsReadOnly(TRVStyle* St, int ParaNo) {
  return ParaNo >= 0 && ParaNo < St->ParaStyles()->Count() &&
         St->ParaStyles()->Items(ParaNo)->Options.Contains(rvpaoReadOnly);
}

TRVProtectOptions TextProtection(TRVStyle* St, int StyleNo) {
  if (StyleNo < 0 || StyleNo >= St->TextStyles()->Count()) return {};
  return St->TextStyles()->Items(StyleNo)->Protection;
}

// The refusals shared by a single key and a typed text: no style sheet, a partially selected
// item, a selection that may not be deleted.
bool TypingRefused(TRVEditRVData& D) {
  if (!D.GetRVStyle() || D.FPartialSelectedItem) return true;
  // Without a selection there is nothing to delete, and so nothing to refuse.
  return D.SelectionExists(false, false) && !D.CanDelete();
}

// Calls the control's item-text-edit handler: true when it changed the tag or the style, which
// it hands back in Tag and StyleNo.
bool RunItemTextEditHandler(TRVEditRVData& D, const TRVUnicodeString& OldText, int ItemNo, TRVTag& Tag,
                            int& StyleNo) {
  TCustomViroZereEdit* Editor = D.GetEditor();
  TCustomViroZereEdit* Root = Editor ? Editor->GetRootEditor() : nullptr;
  if (!Root || !Root->OnItemTextEdit || ItemNo < 0 || ItemNo >= D.ItemCount()) return false;
  TCustomRVItemInfo* Item = D.GetItem(ItemNo);
  Tag = Item->Tag;
  StyleNo = D.GetActualStyle(Item);
  const TRVTag OldTag = Tag;
  const int OldStyleNo = StyleNo;
  Root->OnItemTextEdit(Root, OldText, &D, ItemNo, Tag, StyleNo);
  return Tag != OldTag || StyleNo != OldStyleNo;
}

void ApplyItemTextEdit(TRVEditRVData& D, int ItemNo, const TRVTag& Tag, int StyleNo) {
  D.Do_Tag(ItemNo, Tag, true);
  if (StyleNo != D.GetActualStyle(D.GetItem(ItemNo))) D.Do_StyleNo(ItemNo, StyleNo);
}

}  // namespace typing_unit

void TRVEditRVData::KeyPress(WideChar& Key) {
  if (typing_unit::TypingRefused(*this)) {
    Beep();
    return;
  }
  InsertTextTyping(TRVUnicodeString(1, Key));
}

void TRVEditRVData::InsertTextTyping(const TRVUnicodeString& Text) {
  using namespace typing_unit;
  if (Text.empty()) return;
  if (TypingRefused(*this)) {
    Beep();
    return;
  }
  TRVStyle* St = GetRVStyle();
  if (CaretOffs < 0 || CaretOffs >= CharEnds.Count()) return;
  const int CaretDItem = CharEnds.GetItem(CaretOffs)->DrawItemNo;
  if (CaretDItem < 0 || CaretDItem >= DrawItems->Count()) return;
  int ItemNo = DrawItems->Get(CaretDItem)->ItemNo;
  if (ParaIsReadOnly(St, GetItemPara(ItemNo))) {
    Beep();
    return;
  }
  const int CurStyle = GetActualCurStyleNo();
  auto HasCurrentStyle = [&](int No) { return GetItem(No)->StyleNo >= 0 && GetActualStyle(GetItem(No)) == CurStyle; };

  // Where the text goes: into the caret's item, at the start of the next item of the current
  // style on the same line, or into a new item.
  int P = CharEndsItemOffs(CaretOffs);
  bool NewItem = false;
  if (!HasCurrentStyle(ItemNo)) {
    const bool AtItemEnd = P >= GetOffsAfterItem(ItemNo);
    const int NextDItem = CaretDItem + 1;
    if (!AtItemEnd || NextDItem >= DrawItems->Count()) {
      NewItem = true;
    } else {
      const int NextNo = DrawItems->Get(NextDItem)->ItemNo;
      // Only an item on the caret's own line: the caret must not jump to another line.
      const bool SameLine = CaretOffs + 1 < CharEnds.Count();
      if (SameLine && NextNo != ItemNo && !IsFromNewLine(NextNo) && HasCurrentStyle(NextNo)) {
        ItemNo = NextNo;
        P = 1;
      } else {
        NewItem = true;
      }
    }
  }
  if (!NewItem) {
    const TRVProtectOptions Prot = TextProtection(St, GetItem(ItemNo)->StyleNo);
    const int Len = static_cast<int>(GetItemTextW(ItemNo).size());
    if (Prot.Contains(rvprConcateProtect) && (P <= 1 || P >= Len + 1)) {
      NewItem = true;
    } else if (Prot.Contains(rvprModifyProtect)) {
      Beep();
      return;
    }
  }

  if (NewItem) {
    if (TCustomViroZereEdit* Editor = GetEditor(); Editor && !Editor->BeforeChange(false)) return;
    BeginUndoSequence(rvutMiscTyping, true);
    AssignCurTag();
    TRVUnicodeString S = Text, SplitText;
    TCustomRVItemInfo* Item = CreateTextItem(TRVTag(), FCurParaStyleNo, false, false, CurStyle);
    if (!InsertSomething(Item, S, SplitText, true, false, true)) {
      EndUndoSequence();  // the refused insertion leaves no empty step behind
      return;
    }
    Change();
    if (TRVScroller* Scroller = GetScroller()) Scroller->Invalidate();
    return;
  }

  const TRVUnicodeString OldText = GetItemTextW(ItemNo);
  const int Len = static_cast<int>(OldText.size());
  P = std::clamp(P, 1, Len + 1);
  if (Text.size() > 1) {
    BeginUndoSequence(rvutMiscTyping, true);
    Do_InsertSubstring(ItemNo, P, Text);
    SetBackLiveSpelling(*this, ItemNo, 0, true);
  } else {
    if (OldText.empty() && GetItemPara(ItemNo) != FCurParaStyleNo && FCurParaStyleNo >= 0 &&
        FCurParaStyleNo < St->ParaStyles()->Count()) {
      // An empty paragraph takes the style the user chose for it; all of its items share it.
      int First = ItemNo, Last = ItemNo;
      ExpandToPara(ItemNo, ItemNo, First, Last);
      for (int i = First; i <= Last; ++i) GetItem(i)->ParaNo = FCurParaStyleNo;
    }
    TRVUnicodeString NewText = OldText;
    NewText.insert(static_cast<std::size_t>(P - 1), Text);
    // The hook sees the item as it will be, with the text it had.
    bool Changed = false;
    {
      struct TPutBack {
        TRVEditRVData* D;
        int No;
        const TRVUnicodeString& Text;
        ~TPutBack() { D->SetItemTextW(No, Text); }
      } putBack{this, ItemNo, OldText};
      SetItemTextW(ItemNo, NewText);
      Changed = DoItemTextEditEx(OldText, ItemNo, rvutTyping);
    }
    if (Changed) {
      Do_InsertSubstring(ItemNo, P, Text);
      SetBackLiveSpelling(*this, ItemNo, 0, true);
    } else {
      UndoDest = udUndo;
      UndoList->AddTyping(ItemNo, P, true, GetEditor());
      if (TCustomViroZere* V = Viewer(*this)) V->AdjustLiveSpellingOnKeyPress(GetSourceRVData(), ItemNo, P, Text[0]);
      ItemAction(rviaTextModifying, GetItem(ItemNo), NewText, this);
      SetItemTextW(ItemNo, NewText);
    }
  }

  // Formatting: the caret's line, unless the paragraph no longer fits the document's width.
  const int NewLen = static_cast<int>(GetItemTextW(ItemNo).size());
  if (CalculateMinItemWidthPlusEx(ItemNo) > DocumentWidth) {
    Format_(true, true, false, 0, GetFormatCanvas(), false, false, false, false, false);
    InvalidateDocument();
  } else {
    int FirstDItem = CharEnds.Count() ? CharEnds.GetItem(0)->DrawItemNo : CaretDItem;
    int LastDItem = CharEnds.Count() ? CharEnds.GetItem(CharEnds.Count() - 1)->DrawItemNo : CaretDItem;
    FormatParas(std::min(FirstDItem, LastDItem), std::max(FirstDItem, LastDItem), 0, true);
  }
  SetCaretAtItem(ItemNo, std::min(P + static_cast<int>(Text.size()), NewLen + 1));
  ChangeCaret(false, true, true, false);
  DoAfterFormatAndCaretPositioning(true);
  Change();
}

int TRVEditRVData::GetActualCurStyleNo() { return GetActualStyleEx(FCurTextStyleNo, FCurParaStyleNo); }

void TRVEditRVData::SetCurTextStyleNo(int Value) {
  if (TCustomViroZereEdit* E = GetEditor())
    E->SetCurTextStyleNo(Value);
  else
    FCurTextStyleNo = Value;
}

void TRVEditRVData::SetCurParaStyleNo(int Value) {
  if (TCustomViroZereEdit* E = GetEditor())
    E->SetCurParaStyleNo(Value);
  else
    FCurParaStyleNo = Value;
}

void TRVEditRVData::AssignCurTag() {
  ClearCurTag();
  const int ItemNo = GetCurItemNo();
  if (ItemNo < 0 || ItemNo >= ItemCount()) return;
  TCustomRVItemInfo* Item = GetItem(ItemNo);
  if (!StylesCanShareTag(Item->StyleNo, FCurTextStyleNo)) return;
  FCurTag = Item->Tag;
  FCurTagStyleNo = FCurTextStyleNo;
}

void TRVEditRVData::ClearCurTag() {
  FCurTag.clear();
  FCurTagStyleNo = -1;
}

bool TRVEditRVData::StylesCanShareTag(int StyleNo1, int StyleNo2) {
  if (StyleNo1 == StyleNo2) return true;
  if (TCustomViroZereEdit* E = GetEditor(); E && E->GetEditorOptions().Contains(rvoClearTagOnStyleApp)) return false;
  if (StyleNo1 < 0 || StyleNo2 < 0) return false;
  TRVStyle* St = GetRVStyle();
  if (!St || StyleNo1 >= St->TextStyles()->Count() || StyleNo2 >= St->TextStyles()->Count()) return false;
  TFontInfo* A = St->TextStyles()->Items(StyleNo1);
  TFontInfo* B = St->TextStyles()->Items(StyleNo2);
  return A->Jump == B->Jump && A->Protection == B->Protection;
}

bool TRVEditRVData::DoItemTextEdit(const TRVUnicodeString& OldText, int ItemNo) {
  TRVTag Tag;
  int StyleNo = -1;
  const bool Changed = typing_unit::RunItemTextEditHandler(*this, OldText, ItemNo, Tag, StyleNo);
  if (Changed) typing_unit::ApplyItemTextEdit(*this, ItemNo, Tag, StyleNo);
  return Changed;
}

bool TRVEditRVData::DoItemTextEditEx(const TRVUnicodeString& OldText, int ItemNo, TRVUndoType UndoType) {
  TRVTag Tag;
  int StyleNo = -1;
  const bool Changed = typing_unit::RunItemTextEditHandler(*this, OldText, ItemNo, Tag, StyleNo);
  if (!Changed) return false;
  BeginUndoSequence(UndoType, true);
  typing_unit::ApplyItemTextEdit(*this, ItemNo, Tag, StyleNo);
  return true;
}

void TRVEditRVData::DoCurrentTextStyleConversion(int& StyleNo, int ParaStyleNo, int ItemNo, int UserData,
                                                 bool /*ToWholeParagraphs*/) {
  TCustomViroZereEdit* Editor = GetEditor();
  if (!Editor || !Editor->FCurStyleConversion) return;
  TCustomViroZereEdit* Root = Editor->GetRootEditor();
  int NewStyleNo = StyleNo;
  Editor->FCurStyleConversion(Root ? Root : Editor, StyleNo, ParaStyleNo, UserData, true, NewStyleNo);
  Do_AssociatedTextStyleNo(ItemNo, NewStyleNo);
  StyleNo = NewStyleNo;
}
