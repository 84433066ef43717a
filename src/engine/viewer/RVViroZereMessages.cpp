// The edit-control messages a viewer answers, so that tools which read or set an edit control's
// text through window messages work with a document. Positions are linear character positions
// with each line break counted as CR LF (engine/layout/RVLinear.h); the linear text also counts a
// break before the first paragraph, which the answers remove.
#include <algorithm>
#include <climits>

#include "engine/document/RVItem.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/viewer/RVViewerLinear.h"
#include "engine/viewer/RVViroZere.h"

namespace {

constexpr int LB = 2;  // CR LF

// The selection of the innermost chosen document in draw-item terms, normalized; false without one.
bool ChosenSelection(TCustomViroZere* Viewer, TCustomRVFormattedData*& Data, int& StartNo, int& StartOffs, int& EndNo,
                     int& EndOffs) {
  Data = RVFormattedOf(Viewer->GetRVData()->GetTopLevelChosenRVData());
  if (!Data) return false;
  StartNo = EndNo = -1;
  Data->GetSelBounds(StartNo, EndNo, StartOffs, EndOffs, true);
  return StartNo >= 0 && StartNo < Data->DrawItems->Count() && EndNo >= 0 && EndNo < Data->DrawItems->Count();
}

// Characters of one draw item on a line: its text, or 1 for an object.
int DrawItemChars(TCustomRVFormattedData* Data, int DrawItemNo) {
  TRVDrawLineInfo* d = (*Data->DrawItems)[DrawItemNo];
  return Data->GetItem(d->ItemNo)->StyleNo >= 0 ? d->TextLength : 1;
}

// The linear position of an item position of Data, without the first break.
int LinearOf(TCustomViroZere* Viewer, TCustomRVData* Data, int ItemNo, int Offs) {
  int pos = 0;
  if (!ItemPosToLinear(Viewer->GetRVData(), Data, LB, pos, Offs, ItemNo)) return 0;
  return pos - LB;
}

// The linear position of a line's start: the draw item that begins the line holding DrawItemNo,
// past a list marker there.
int LineStartLinear(TCustomViroZere* Viewer, TCustomRVFormattedData* Data, int DrawItemNo) {
  int first = 0, last = 0;
  Data->GetLineBounds(DrawItemNo, first, last);
  TRVDrawLineInfo* d = (*Data->DrawItems)[first];
  int itemNo = d->ItemNo;
  int offs = Data->GetItem(itemNo)->StyleNo >= 0 ? d->Offs : 0;
  if (Data->GetItem(itemNo)->StyleNo == ItemKindListMarker) {
    const int next = Data->GetNextVisibleItemNo(itemNo);
    if (next >= 0) {
      itemNo = next;
      offs = Data->GetOffsBeforeItem(next);
    }
  }
  return LinearOf(Viewer, Data, itemNo, offs);
}

// The characters of the draw items on lines FirstDrawItemNo..LastDrawItemNo are on.
int LinesChars(TCustomRVFormattedData* Data, int FirstDrawItemNo, int LastDrawItemNo) {
  int first = 0, last = 0, unused = 0;
  Data->GetLineBounds(FirstDrawItemNo, first, unused);
  Data->GetLineBounds(LastDrawItemNo, unused, last);
  int n = 0;
  for (int i = first; i <= last; ++i) n += DrawItemChars(Data, i);
  return n;
}

bool HoldsSubDocs(TCustomRVData* Data, int ItemNo) { return RVItemHasLinearSubDocs(Data, ItemNo); }

}  // namespace

bool TCustomViroZere::DispatchEditControlMessage(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_SETTEXT:
      if (!Flags.Contains(rvflCanProcessGetText) || IsDestroying()) return false;
      break;
    case EM_GETSEL:
    case EM_SETSEL:
    case EM_GETTEXTRANGE:
    case EM_LINEFROMCHAR:
    case EM_EXLINEFROMCHAR:
    case EM_LINEINDEX:
    case EM_LINELENGTH:
      break;
    default:
      return false;
  }
  Message.Result = 0;
  switch (Message.Msg) {
    case WM_GETTEXT: WMGetText(Message); break;
    case WM_GETTEXTLENGTH: Message.Result = GetItemCount() > 0 ? GetLinearTextLength(this, LB) : 0; break;
    case WM_SETTEXT: WMSetText(Message); break;
    case EM_GETSEL: EMGetSel(Message); break;
    case EM_SETSEL: EMSetSel(Message); break;
    case EM_GETTEXTRANGE: EMGetTextRange(Message); break;
    case EM_LINEFROMCHAR:
    case EM_EXLINEFROMCHAR: EMLineFromChar(Message); break;
    case EM_LINEINDEX: EMLineIndex(Message); break;
    case EM_LINELENGTH: EMLineLength(Message); break;
    default: break;
  }
  return true;
}

void TCustomViroZere::WMGetText(TMessage& Message) {
  auto* buf = reinterpret_cast<WideChar*>(Message.LParam);
  const auto max = static_cast<std::size_t>(Message.WParam);
  if (!buf || max == 0 || GetItemCount() == 0) return;
  const int limit = static_cast<int>(std::min<std::size_t>(max - 1, INT_MAX));
  const TRVUnicodeString text = limit > 0 ? GetLinearText(this, 0, limit, LB) : TRVUnicodeString();
  // A range ending inside a line break receives the whole break; the buffer gets what fits.
  const std::size_t n = std::min(text.size(), max - 1);
  std::copy_n(text.data(), n, buf);
  buf[n] = 0;
  Message.Result = static_cast<LRESULT>(n);
}

void TCustomViroZere::WMSetText(TMessage& Message) {
  const auto* text = reinterpret_cast<const WideChar*>(Message.LParam);
  if (!text) return;
  Clear();
  RVData->AddTextNLW(TRVUnicodeString(text), 0, 0, 0, false);
  Format();
  Message.Result = 1;
}

void TCustomViroZere::EMGetSel(TMessage& Message) {
  int start = 0, length = 0;
  GetLinearSelection(this, start, length, LB);
  const int a = std::min(start, start + length), b = std::max(start, start + length);
  if (auto* p = reinterpret_cast<int*>(Message.WParam)) *p = a;
  if (auto* p = reinterpret_cast<int*>(Message.LParam)) *p = b;
  Message.Result = static_cast<LRESULT>(MakeWParam(a, b));
}

void TCustomViroZere::EMSetSel(TMessage& Message) {
  const int start = static_cast<int>(static_cast<std::intptr_t>(Message.WParam));
  const int end = static_cast<int>(Message.LParam);
  if (start == -1) {
    RVData->Deselect(nullptr, true);
  } else if (start == 0 && end == -1) {
    RVData->SelectAll();
  } else {
    SetLinearSelection(this, start, end - start, LB);
  }
  Invalidate();
}

void TCustomViroZere::EMGetTextRange(TMessage& Message) {
  auto* range = reinterpret_cast<TTextRange*>(Message.LParam);
  if (!range || !range->lpstrText) return;
  const int start = std::max(range->chrg.cpMin, 0);
  TRVUnicodeString text;
  // A range that ends before it starts is empty (it would otherwise read to the end, past a buffer
  // sized for the range).
  if (range->chrg.cpMax < 0)
    text = GetLinearText(this, start, -1, LB);
  else if (range->chrg.cpMax > start)
    text = GetLinearText(this, start, range->chrg.cpMax - start, LB);
  std::copy(text.begin(), text.end(), range->lpstrText);
  range->lpstrText[text.size()] = 0;
  Message.Result = static_cast<LRESULT>(text.size());
}

void TCustomViroZere::EMLineFromChar(TMessage& Message) {
  if (GetItemCount() == 0) return;
  const int index = static_cast<int>(Message.Msg == EM_EXLINEFROMCHAR ? Message.LParam
                                                                      : static_cast<std::intptr_t>(Message.WParam));
  TCustomRVFormattedData* data = nullptr;
  int itemNo = -1, offs = 0;
  if (index >= 0) {
    int pos = index;
    TCustomRVData* target = nullptr;
    if (LinearToItemPos(RVData.get(), pos, LB, offs, itemNo, target)) {
      data = RVFormattedOf(target);
    } else {
      // Past the end: the end of the last item.
      data = RVData.get();
      itemNo = RVData->ItemCount() - 1;
      offs = RVData->GetOffsAfterItem(itemNo);
    }
  } else {
    int startNo = -1, startOffs = 0, endNo = -1, endOffs = 0;
    if (!ChosenSelection(this, data, startNo, startOffs, endNo, endOffs)) return;
    data->DrawItem2Item(startNo, startOffs, itemNo, offs);
  }
  if (!data || itemNo < 0) return;
  Message.Result = std::max(data->GetLineNoEx(itemNo, offs, false, RVData.get()) - 1, 0);
}

void TCustomViroZere::EMLineIndex(TMessage& Message) {
  if (GetItemCount() == 0) return;
  const int line = static_cast<int>(static_cast<std::intptr_t>(Message.WParam));
  if (line >= 0) {
    int lineNo = line + 1, itemNo = -1, offs = 0;
    TCustomRVData* data = nullptr;
    if (!RVData->GetPositionAtLine(lineNo, data, itemNo, offs) || !data) {
      Message.Result = -1;
      return;
    }
    Message.Result = LinearOf(this, data, itemNo, offs);
    return;
  }
  TCustomRVFormattedData* data = nullptr;
  int startNo = -1, startOffs = 0, endNo = -1, endOffs = 0;
  if (!ChosenSelection(this, data, startNo, startOffs, endNo, endOffs)) return;
  const int itemNo = (*data->DrawItems)[startNo]->ItemNo;
  if (HoldsSubDocs(data, itemNo)) {
    Message.Result = LinearOf(this, data, itemNo, 0);
    return;
  }
  Message.Result = LineStartLinear(this, data, startNo);
}

void TCustomViroZere::EMLineLength(TMessage& Message) {
  if (GetItemCount() == 0) return;
  const int index = static_cast<int>(static_cast<std::intptr_t>(Message.WParam));
  if (index >= 0) {
    int pos = index, offs = 0, itemNo = -1;
    TCustomRVData* target = nullptr;
    if (!LinearToItemPos(RVData.get(), pos, LB, offs, itemNo, target)) return;
    TCustomRVFormattedData* data = RVFormattedOf(target);
    if (!data || HoldsSubDocs(data, itemNo)) return;
    int dNo = -1, dOffs = 0;
    data->Item2DrawItem(itemNo, offs, dNo, dOffs, 1);
    if (dNo < 0) return;
    Message.Result = LinesChars(data, dNo, dNo);
    return;
  }
  TCustomRVFormattedData* data = nullptr;
  int startNo = -1, startOffs = 0, endNo = -1, endOffs = 0;
  if (!ChosenSelection(this, data, startNo, startOffs, endNo, endOffs)) return;
  int item1 = -1, offs1 = 0, item2 = -1, offs2 = 0;
  data->DrawItem2Item(startNo, startOffs, item1, offs1);
  data->DrawItem2Item(endNo, endOffs, item2, offs2);
  if (item1 < 0 || item2 < 0 || HoldsSubDocs(data, item1) || HoldsSubDocs(data, item2)) return;
  int n = LinesChars(data, startNo, endNo);
  if (item1 == item2) {
    n -= offs2 - offs1;
  } else {
    n -= data->GetOffsAfterItem(item1) - offs1;
    n -= offs2 - data->GetOffsBeforeItem(item2);
    for (int i = item1 + 1; i < item2; ++i)
      if (!data->IsInvisibleItem(i)) n -= data->GetItem(i)->StyleNo >= 0 ? data->GetItemTextLength(i) : 1;
  }
  Message.Result = std::max(n, 0);
}
