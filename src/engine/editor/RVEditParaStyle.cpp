// Paragraph style application and the character-code toggle. A paragraph style goes to whole
// displayed paragraphs: those the selection touches, or the caret's. The toggle turns the
// hexadecimal code before the caret (or selected) into its character and a character into its
// code, replacing the text through the control so that it is one undo step.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "engine/document/RVItem.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/foundation/RVUni.h"
#include "engine/layout/DrawLines.h"

namespace para_style {

bool IsHexDigit(WideChar Ch) {
  return (Ch >= u'0' && Ch <= u'9') || (Ch >= u'A' && Ch <= u'F') || (Ch >= u'a' && Ch <= u'f');
}

int HexValue(WideChar Ch) {
  if (Ch <= u'9') return Ch - u'0';
  if (Ch <= u'F') return Ch - u'A' + 10;
  return Ch - u'a' + 10;
}

// The code as at least four upper-case hexadecimal digits.
TRVUnicodeString HexCode(std::uint32_t Code) {
  static const char16_t Digits[] = u"0123456789ABCDEF";
  TRVUnicodeString r;
  do {
    r.insert(r.begin(), Digits[Code & 0xF]);
    Code >>= 4;
  } while (Code != 0);
  while (r.size() < 4) r.insert(r.begin(), u'0');
  return r;
}

// The text of one code point; empty for a value that is no character (above the last plane or a
// surrogate half), which would otherwise leave broken UTF-16 in the document.
TRVUnicodeString CodePointText(std::uint32_t Code) {
  if (Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) return {};
  if (Code < 0x10000) return TRVUnicodeString(1, static_cast<char16_t>(Code));
  Code -= 0x10000;
  return {static_cast<char16_t>(0xD800 + (Code >> 10)), static_cast<char16_t>(0xDC00 + (Code & 0x3FF))};
}

// Whether a selected text may be toggled: one character; a surrogate pair; three to six
// hexadecimal digits.
bool IsToggleableSelection(const TRVUnicodeString& S) {
  const std::size_t n = S.size();
  if (n == 1) return true;
  if (n == 2) return IsHighSurrogate(S[0]) && IsLowSurrogate(S[1]);
  if (n < 3 || n > 6) return false;
  for (WideChar c : S)
    if (!IsHexDigit(c)) return false;
  return true;
}

}  // namespace para_style

void TRVEditRVData::ApplyParaStyle(int ParaStyleNo, TRVEStyleConversionType ConvType, bool Recursive,
                                   bool CallChange) {
  if (FPartialSelectedItem && FPartialSelectedItem->PartiallySelected()) {
    FPartialSelectedItem->ApplyStyleConversionToSubRVDatas(ParaStyleNo, true, ConvType);
    return;
  }
  if (DrawItems->Count() == 0) return;
  int sNo, eNo, sOffs, eOffs;
  GetSelBounds(sNo, eNo, sOffs, eOffs, true);
  if (sNo < 0 || eNo < 0) return;
  int caretItemNo = -1, caretItemOffs = 0;
  CaretToItem(caretItemNo, caretItemOffs);
  int selStartItem, selEndItem, selStartOffs, selEndOffs;
  StoreSelBounds(selStartItem, selEndItem, selStartOffs, selEndOffs, false);
  const int firstItem = DrawItems->Get(sNo)->ItemNo, lastItem = DrawItems->Get(eNo)->ItemNo;
  int paraFirst, paraLast;
  GetDisplayedParaBounds(firstItem, lastItem, paraFirst, paraLast);
  // Items touched only at their edge keep their sub-documents as they are.
  const int subFirst = sOffs >= GetOffsAfterDrawItem(sNo) ? firstItem + 1 : firstItem;
  const int subLast = eOffs <= GetOffsBeforeDrawItem(eNo) ? lastItem - 1 : lastItem;

  bool fullReformat = false, changed = false;
  if (ConvType == rvscParaStyle) {
    changed = Do_Para(paraFirst, paraLast, ParaStyleNo, fullReformat);
  } else {
    TCustomViroZereEdit* editor = GetEditor();
    TRVIntegerList list;
    for (int i = paraFirst; i <= paraLast; ++i) {
      const int old = GetItem(i)->ParaNo;
      int newNo = old;
      if (editor && editor->FCurStyleConversion) editor->FCurStyleConversion(editor, old, old, ParaStyleNo, false, newNo);
      list.Add(newNo);
    }
    changed = Do_ParaList(paraFirst, &list, fullReformat);
  }
  if (Recursive) {
    for (int i = subFirst; i <= subLast; ++i) {
      TCustomRVItemInfo* item = GetItem(i);
      if (item->StyleNo < 0) {
        item->ApplyStyleConversionToSubRVDatas(ParaStyleNo, false, ConvType);
        changed = true;
      }
    }
  }
  if (changed) {
    FResizer.reset();
    if (fullReformat) {
      Format_(true, true, false, 0, GetFormatCanvas(), false, false, false, false, false);
    } else {
      const int d1 = Item2FirstDrawItem(paraFirst), d2 = Item2LastDrawItem(paraLast);
      if (d1 >= 0 && d2 >= 0) FormatParas(d1, d2, 0, !Recursive);
    }
    RestoreSelBounds(selStartItem, selEndItem, selStartOffs, selEndOffs, false);
    if (caretItemNo >= 0 && caretItemNo < ItemCount()) SetCaretAtItem(caretItemNo, caretItemOffs);
  }
  ChangeCaret(false, true, false, true);
  DoAfterFormatAndCaretPositioning(true);
  if (CallChange) Change();
  InvalidateDocument();
}

void TRVEditRVData::GetCurrentHexNumberOrChar(TRVUnicodeString& S, int& ItemNo, int& Offs, int MaxLength) {
  S.clear();
  ItemNo = GetCurItemNo();
  Offs = GetOffsetInCurItem();
  if (ItemNo < 0 || ItemNo >= ItemCount()) return;
  if (Offs <= GetOffsBeforeItem(ItemNo) && ItemNo > 0 && !IsDisplayedFromNewLine(ItemNo)) {
    int prev = ItemNo - 1;
    while (prev > 0 && IsHiddenItem(prev)) --prev;
    ItemNo = prev;
    Offs = GetOffsAfterItem(ItemNo);
  }
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (item->StyleNo < 0 || Offs <= 1) return;
  const TRVUnicodeString& text = item->ItemText;
  Offs = std::min(Offs - 1, static_cast<int>(text.size()));
  int start = Offs;
  while (start > 0 && Offs - start < MaxLength && para_style::IsHexDigit(text[static_cast<std::size_t>(start - 1)]))
    --start;
  if (start < Offs) {
    S = text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(Offs - start));
    return;
  }
  if (Offs >= 2 && IsLowSurrogate(text[static_cast<std::size_t>(Offs - 1)]) &&
      IsHighSurrogate(text[static_cast<std::size_t>(Offs - 2)]))
    S = text.substr(static_cast<std::size_t>(Offs - 2), 2);
  else
    S = text.substr(static_cast<std::size_t>(Offs - 1), 1);
}

bool TRVEditRVData::ReplaceCharCode() {
  TCustomViroZereEdit* editor = GetEditor();
  if (!editor) return false;
  TRVUnicodeString S;
  int ItemNo = -1, Offs = 0;
  bool fromCaret = false;
  if (SelectionExists(false, false)) {
    S = GetSelTextW();
    if (!S.empty() && !para_style::IsToggleableSelection(S)) return false;
  }
  if (S.empty()) {
    GetCurrentHexNumberOrChar(S, ItemNo, Offs, 6);
    fromCaret = true;
  }
  if (S.empty()) return false;
  const int len = static_cast<int>(S.size());
  // The characters the replacement takes the place of, selected when they came from the caret.
  auto selectBeforeCaret = [&] {
    if (!fromCaret) return;
    editor->SetCurTextStyleNo(GetItem(ItemNo)->StyleNo);
    SetSelectionBounds(ItemNo, Offs + 1 - len, ItemNo, Offs + 1);
  };
  if (len >= 2 && para_style::IsHexDigit(S[0])) {
    std::uint32_t code = 0;
    for (WideChar c : S) code = code * 16 + static_cast<std::uint32_t>(para_style::HexValue(c));
    const TRVUnicodeString text = para_style::CodePointText(code);
    if (text.empty()) {
      Beep();
      return false;
    }
    selectBeforeCaret();
    editor->InsertTextW(text);
    return true;
  }
  std::uint32_t code;
  if (len == 1)
    code = S[0];
  else if (len == 2 && IsHighSurrogate(S[0]) && IsLowSurrogate(S[1]))
    code = 0x10000 + ((static_cast<std::uint32_t>(S[0]) - 0xD800) << 10) + (static_cast<std::uint32_t>(S[1]) - 0xDC00);
  else
    return false;
  selectBeforeCaret();
  editor->InsertTextW(para_style::HexCode(code));
  return true;
}
