// Insertion of whole texts and RVF documents at the caret, and page breaks.
//
// Each insertion puts its first item at the caret through the placement step (which may split
// the caret's item and refuses protected places), adds the rest straight into the item list,
// records those as one insertion, joins the edges with their neighbours and formats as little as
// it can. The control around these calls has already passed its change gate and opened the step.
#include <algorithm>
#include <memory>
#include <vector>

#include "engine/document/RVTextItems.h"
#include "engine/editor/RVEdit.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVUni.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/Classes.h"
#include "platform/base/NLS.h"

namespace insert_text {

TCustomViroZere* Viewer(TRVEditRVData& D) { return dynamic_cast<TCustomViroZere*>(D.GetViroZere()); }

void SetBackLiveSpelling(TRVEditRVData& D, int ItemNo, int Offs) {
  if (ItemNo < 0 || ItemNo >= D.ItemCount()) return;
  D.GetItem(ItemNo)->ClearWordPainters(std::max(Offs, 0));
  if (TCustomViroZere* V = Viewer(D)) V->LaterSetBackLiveSpellingTo(&D, ItemNo, Offs);
}

bool IsText(TRVEditRVData& D, int ItemNo) { return D.GetItem(ItemNo)->StyleNo >= 0; }
bool IsEmptyText(TRVEditRVData& D, int ItemNo) { return IsText(D, ItemNo) && D.GetItemTextW(ItemNo).empty(); }
int TextLen(TRVEditRVData& D, int ItemNo) {
  return IsText(D, ItemNo) ? static_cast<int>(D.GetItemTextW(ItemNo).size()) : 0;
}

// The first item of the item's paragraph when it is a list marker, else -1.
int ParaMarker(TRVEditRVData& D, int ItemNo) {
  if (ItemNo < 0 || ItemNo >= D.ItemCount()) return -1;
  int First = ItemNo, Last = ItemNo;
  D.ExpandToPara(ItemNo, ItemNo, First, Last);
  return D.GetItem(First)->StyleNo == ItemKindListMarker ? First : -1;
}

// The draw items of the paragraph that holds the caret (-1 when the caret is not placed).
void CaretParaDrawItems(TRVEditRVData& D, int& Start, int& End) {
  Start = End = -1;
  if (D.CaretOffs < 0 || D.CaretOffs >= D.CharEnds.Count()) return;
  const int DItem = D.CharEnds.GetItem(D.CaretOffs)->DrawItemNo;
  if (DItem < 0 || DItem >= D.DrawItems->Count()) return;
  D.GetParaBoundsEx(DItem, DItem, Start, End, false);
}

// How a piece of inserted text stands to the one before it.
enum class TPieceStart { First, Continue, NewLine, NewPara };

struct TPiece {
  TRVUnicodeString Text;
  TPieceStart Start = TPieceStart::Continue;
  bool PageBreak = false;
  bool Tab = false;  // a tab item, not text
};

// Cuts a text at its control characters. TabItems: a tab becomes an item of its own.
std::vector<TPiece> CutIntoPieces(const TRVUnicodeString& S, bool TabItems, bool PageBreaks) {
  std::vector<TPiece> Pieces;
  TPiece Cur;
  Cur.Start = TPieceStart::First;
  // An empty piece is kept only where it stands for a paragraph, a line or the caret's place.
  auto Flush = [&](TPieceStart Next, bool NextPageBreak) {
    if (!Cur.Text.empty() || Cur.Start != TPieceStart::Continue) Pieces.push_back(std::move(Cur));
    Cur = TPiece();
    Cur.Start = Next;
    Cur.PageBreak = NextPageBreak;
  };
  const std::size_t N = S.size();
  for (std::size_t i = 0; i < N; ++i) {
    const char16_t C = S[i];
    switch (C) {
      case 0:
        Cur.Text += u'?';
        break;
      case u'\r':
      case u'\n': {
        // CR LF and LF CR are one break.
        const char16_t Other = C == u'\r' ? u'\n' : u'\r';
        if (i + 1 < N && S[i + 1] == Other) ++i;
        Flush(TPieceStart::NewPara, false);
        break;
      }
      case 0x2029:
        Flush(TPieceStart::NewPara, false);
        break;
      case 0x0B:
      case 0x2028:
        Flush(TPieceStart::NewLine, false);
        break;
      case 0x0C:
        Flush(TPieceStart::NewPara, PageBreaks);
        break;
      case u'\t':
        if (!TabItems) {
          Cur.Text += C;
          break;
        }
        {
          TPiece Tab;
          Tab.Tab = true;
          if (Cur.Text.empty() && Cur.Start != TPieceStart::Continue) {
            // The tab itself starts the paragraph (or line) instead of an empty text before it.
            Tab.Start = Cur.Start;
            Tab.PageBreak = Cur.PageBreak;
          } else {
            Flush(TPieceStart::Continue, false);
          }
          Pieces.push_back(std::move(Tab));
          Cur = TPiece();
        }
        break;
      default:
        Cur.Text += C;
    }
  }
  Flush(TPieceStart::Continue, false);
  return Pieces;
}


// Inserts text at the caret; true when anything was inserted.
bool InsertPlainText(TRVEditRVData& D, const TRVUnicodeString& AText, bool AutoTag, bool CaretBefore) {
  TRVUnicodeString S = AText;
  if (!S.empty()) {
    const WideChar* Rest = SkipUnicodeBOM(S);
    S.erase(0, static_cast<std::size_t>(Rest - S.data()));
  }
  if (S.empty()) {
    if (TRVScroller* Scroller = D.GetScroller()) Scroller->Invalidate();
    return false;
  }
  TRVStyle* St = D.GetRVStyle();
  if (!St) {
    D.Beep();
    return false;
  }
  const bool TabItems = St->SpacesInTab < 1;
  std::vector<TPiece> Pieces = CutIntoPieces(S, TabItems, D.SupportsPageBreaks());
  if (Pieces.empty()) return false;
  const int CurStyle = D.GetActualCurStyleNo();
  const int CurPara = D.FCurParaStyleNo;
  auto MakeItem = [&](TPiece& P, int ParaNo, bool BR, bool SameAsPrev) -> TCustomRVItemInfo* {
    if (P.Tab) {
      auto* Tab = new TRVTabItemInfo(&D);
      Tab->SetAssociatedTextStyleNo(CurStyle);
      Tab->ParaNo = ParaNo;
      Tab->SetBR(BR);
      Tab->SetSameAsPrev(SameAsPrev);
      return Tab;
    }
    if (!TabItems) P.Text = D.ReplaceTabs(P.Text);
    return D.CreateTextItem(TRVTag(), ParaNo, BR, SameAsPrev, CurStyle);
  };

  int ParaStartDItem = -1, ParaEndDItem = -1;
  CaretParaDrawItems(D, ParaStartDItem, ParaEndDItem);
  const int Marker = ParaMarker(D, D.GetCurItemNo());
  const int OldCount = D.ItemCount();

  // The first piece goes to the caret.
  TCustomRVItemInfo* Item = MakeItem(Pieces[0], CurPara, false, false);
  TRVUnicodeString Text = Pieces[0].Tab ? TRVUnicodeString() : Pieces[0].Text;
  int First = -1, ItemsAdded = 0, NewListNo = -1;
  bool Full = false;
  bool Placed = false;
  try {
    Placed = D.InsertItemAtCaret(Item, Text, false, true, AutoTag, First, ItemsAdded, Full, NewListNo);
  } catch (...) {
    // A raise before the item reached the list (a failed recording) must not leak it.
    if (Item && D.GetItems()->IndexOfObject(Item) < 0) delete Item;
    throw;
  }
  if (!Placed) {
    delete Item;  // the placement step frees a refused item and clears the pointer; never twice
    D.Beep();
    return false;
  }
  if (!Item) return false;

  // The rest goes straight into the item list; it is recorded as one insertion below. Runs of new
  // items are put into the list together, so that the items after the caret move once per run
  // rather than once per line.
  int Last = First;
  std::vector<TCustomRVItemInfo*> Pending;  // to take the places up to Last
  auto FlushPending = [&] {
    if (Pending.empty()) return;
    TRVItemList* List = D.GetItems();
    const int N = static_cast<int>(Pending.size()), At = Last - N + 1, OldCount = List->Count();
    List->SetCount(OldCount + N);
    for (int i = OldCount - 1; i >= At; --i) List->Put(i + N, List->Get(i));
    for (int k = 0; k < N; ++k) List->Put(At + k, Pending[static_cast<std::size_t>(k)]);
    Pending.clear();
    for (int k = 0; k < N; ++k) {
      D.GetItem(At + k)->Inserted(&D, At + k);
      D.DoOnAddSpecialItem(At + k);
    }
  };
  try {
    for (std::size_t k = 1; k < Pieces.size(); ++k) {
      TPiece& P = Pieces[k];
      int Index = Last + 1;
      const int ParaOfLast = (Pending.empty() ? D.GetItem(Last) : Pending.back())->ParaNo;
      TCustomRVItemInfo* New = nullptr;
      switch (P.Start) {
        case TPieceStart::NewPara: {
          bool MarkerFull = false;
          if (Marker >= 0) FlushPending();  // the marker's copy goes into the list at Index
          if (Marker >= 0 && D.InsertMarkerCopy(Marker, Index, false, false, MarkerFull)) {
            Full = Full || MarkerFull;
            if (P.PageBreak) D.GetItem(Index)->SetPageBreakBefore(true);
            ++Index;
            New = MakeItem(P, D.GetItem(Index - 1)->ParaNo, false, true);
          } else {
            New = MakeItem(P, CurPara, false, false);
            New->SetPageBreakBefore(P.PageBreak);
          }
          break;
        }
        case TPieceStart::NewLine:
          New = MakeItem(P, ParaOfLast, true, false);
          break;
        default:
          New = MakeItem(P, ParaOfLast, false, true);
      }
      Pending.push_back(New);
      if (AutoTag && New->Tag.empty() && D.StylesCanShareTag(New->StyleNo, D.FCurTagStyleNo)) New->Tag = D.FCurTag;
      TRVUnicodeString PieceText = P.Tab ? TRVUnicodeString() : P.Text;
      New->Inserting(&D, PieceText, true);
      New->ItemText = std::move(PieceText);
      Last = Index;
    }
    FlushPending();
  } catch (...) {
    for (TCustomRVItemInfo* Item : Pending) delete Item;
    throw;
  }
  if (Last > First) {
    bool InsFull = false;
    TRVUndoInsertItemsInfo* Info = D.Do_InsertItems_1(First + 1, Last - First);
    D.Do_InsertItems_2(First + 1, Last - First, Info, InsFull);
    Full = Full || InsFull;
  }

  // The caret goes after the inserted text; the joins below keep it there.
  int CaretNo = Last, CaretOffs = D.GetOffsAfterItem(Last);
  if (D.CanConcateItemsAt(Last, true, false)) {
    const bool LastWasEmpty = IsEmptyText(D, Last);
    const TRVUnicodeString OldText = D.GetItemTextW(Last);
    D.Do_Concate(Last);
    // An empty last item gives way to the item after it: the caret stands before that one.
    if (LastWasEmpty) CaretOffs = D.GetOffsBeforeItem(Last);
    if (IsText(D, Last)) {
      D.DoItemTextEdit(OldText, Last);
      D.GetItem(Last)->ClearWordPainters(0);
    }
  }
  int StartOffs = D.GetOffsBeforeItem(First);  // the start of the inserted text
  if (First > 0 && D.CanConcateItemsAt(First - 1, true, false)) {
    const int Prev = First - 1;
    const bool FirstWasEmpty = IsEmptyText(D, First), PrevWasEmpty = IsEmptyText(D, Prev);
    const int PrevLen = TextLen(D, Prev);
    const TRVUnicodeString OldText = D.GetItemTextW(Prev);
    D.Do_Concate(Prev);
    if (CaretNo == First) {
      if (FirstWasEmpty)
        CaretOffs = D.GetOffsAfterItem(Prev);
      else if (!PrevWasEmpty)
        CaretOffs += PrevLen;
    }
    --CaretNo;
    if (!PrevWasEmpty) StartOffs = FirstWasEmpty ? D.GetOffsAfterItem(Prev) : PrevLen + 1;
    First = Prev;
    Last = std::max(Last - 1, First);
    if (IsText(D, First)) D.DoItemTextEdit(OldText, First);
  }

  const int Added = D.ItemCount() - OldCount;
  Full = Full || ParaStartDItem < 0 || D.CalculateMinItemsWidthPlusEx(First, Last, D.DocumentWidth) > D.DocumentWidth;
  D.Reformat_(Full, ParaStartDItem, ParaEndDItem, Added, true);
  if (CaretBefore)
    D.SetCaretAtItem(First, StartOffs);
  else
    D.SetCaretAtItem(CaretNo, CaretOffs);
  D.ChangeCaret(false, true, false, false);
  if (!Full && ParaMarker(D, First) >= 0) D.UpdateRangeAfterMarkersOrSeq(First, Last);
  SetBackLiveSpelling(D, First, StartOffs);
  D.DoAfterFormatAndCaretPositioning(true);
  return true;
}

// Reads the rest of a stream as 8-bit text: NUL bytes become "?", OEM text becomes ANSI text.
TRVAnsiString ReadAnsiRest(TStream* Stream, bool OEM) {
  const std::int64_t Count = std::max<std::int64_t>(Stream->GetSize() - Stream->GetPosition(), 0);
  TRVAnsiString S(static_cast<std::size_t>(Count), '\0');
  if (Count > 0) Stream->ReadBuffer(S.data(), Count);
  std::replace(S.begin(), S.end(), '\0', '?');
  if (OEM && !S.empty()) S = UnicodeToAnsiCP(CP_ACP, AnsiToUnicodeCP(CP_OEMCP, S));
  return S;
}

}  // namespace insert_text

void TRVEditRVData::InsertTextW(const TRVUnicodeString& AText, bool AutoTag, bool CaretBefore) {
  insert_text::InsertPlainText(*this, AText, AutoTag, CaretBefore);
}

void TRVEditRVData::InsertTextA(const TRVAnsiString& AText, bool AutoTag, bool CaretBefore, int CodePage) {
  InsertTextW(AnsiToUnicodeCP(static_cast<TRVCodePage>(CodePage), AText), AutoTag, CaretBefore);
}

bool TRVEditRVData::InsertTextFromStreamW(TStream* Stream, bool AutoTag) {
  // An odd byte count is not UTF-16: that is raised, not answered.
  const TRVUnicodeString Text = ReadUnicodeStreamRest(*Stream);
  try {
    InsertTextW(Text, AutoTag, false);
  } catch (...) {
    RVRethrowUnlessDataError();
    return false;
  }
  return true;
}

bool TRVEditRVData::InsertTextFromStream(TStream* Stream, bool OEM, bool AutoTag, int CodePage) {
  try {
    InsertTextA(insert_text::ReadAnsiRest(Stream, OEM), AutoTag, false, CodePage);
  } catch (...) {
    RVRethrowUnlessDataError();
    return false;
  }
  return true;
}

// The file forms answer whether anything was inserted: a caller must be able to tell an
// unreadable file or a refused place from a done insertion.
bool TRVEditRVData::InsertTextFromFileW(const TRVUnicodeString& FileName, bool AutoTag) {
  try {
    TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
    return insert_text::InsertPlainText(*this, ReadUnicodeStreamRest(Stream), AutoTag, false);
  } catch (...) {
    RVRethrowUnlessDataError();
    return false;
  }
}

bool TRVEditRVData::InsertTextFromFile(const TRVUnicodeString& FileName, bool OEM, bool AutoTag, int CodePage) {
  try {
    TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
    const TRVUnicodeString Text =
        AnsiToUnicodeCP(static_cast<TRVCodePage>(CodePage), insert_text::ReadAnsiRest(&Stream, OEM));
    return insert_text::InsertPlainText(*this, Text, AutoTag, false);
  } catch (...) {
    RVRethrowUnlessDataError();
    return false;
  }
}

bool TRVEditRVData::InsertRVFFromStreamEd_(TStream* Stream) {
  int ParaStartDItem = -1, ParaEndDItem = -1;
  insert_text::CaretParaDrawItems(*this, ParaStartDItem, ParaEndDItem);
  int Index = GetCurItemNo();
  if (Index < 0) return false;
  const int Offs = GetOffsetInCurItem();
  if (Offs >= GetOffsAfterItem(Index)) ++Index;

  BeginUndoSequence(rvutInsert, true);
  const int OldCount = ItemCount();
  TCustomViroZere* V = insert_text::Viewer(*this);
  TColor Color = V ? V->GetColor() : clWindow;
  std::unique_ptr<TViewerRVFBackground> Back;
  if (V) Back = std::make_unique<TViewerRVFBackground>(V);
  bool Full = false, Inserted = false, Protected = false;
  int NewCount = 0;
  const bool Ok = DoInsertRVFFromStream(Stream, Index, Full, Inserted, Protected, NewCount, nullptr, Back.get(), Color,
                                        true, false, false, 0);
  // A refused place or an empty fragment inserts nothing, and the caller hears so.
  if (Protected || (Ok && (!Inserted || NewCount <= 0))) {
    EndUndoSequence();  // no empty step left to undo
    return false;
  }
  if (!Ok) {
    EndUndoSequence();
    Format_(false, true, false, 0, GetFormatCanvas(), false, false, false, false, false);
    InvalidateDocument();
    Beep();
    return false;
  }
  if (V) V->SetColor(Color);
  int ItemsAdded = ItemCount() - OldCount;
  int LastInserted = Index + NewCount - 1;
  if (NewCount > 1) {
    bool InsFull = false;
    TRVUndoInsertItemsInfo* Info = Do_InsertItems_1(Index + 1, NewCount - 1);
    Do_InsertItems_2(Index + 1, NewCount - 1, Info, InsFull);
    Full = Full || InsFull;
  }
  Full = Full || CalculateMinItemsWidthPlusEx(Index, LastInserted, DocumentWidth) > DocumentWidth;
  int InsertPoint = Index;
  int CaretOffs = GetOffsAfterItem(LastInserted);
  ConcateAfterAdding(InsertPoint, LastInserted, ItemsAdded, CaretOffs);
  if (Full || ParaStartDItem < 0) {
    Format_(true, true, false, 0, GetFormatCanvas(), false, false, false, false, false);
    InvalidateDocument();
  } else {
    FormatParasExact(ParaStartDItem, ParaEndDItem, ItemsAdded, false);
  }
  LastInserted = std::clamp(LastInserted, 0, ItemCount() - 1);
  SetCaretAtItem(LastInserted, CaretOffs);
  if (TRVDataRootProperties* Props = GetRootProperties();
      Props && Props->UseStyleTemplates && Props->StyleTemplateInsertMode != rvstimIgnoreSourceStyleTemplates)
    State.Include(rvstForceStyleChangeEvent);
  ChangeCaret(false, true, false, false);
  if (!Full) UpdateRangeAfterMarkersOrSeq(InsertPoint, LastInserted);
  DoAfterFormatAndCaretPositioning(true);
  return true;
}

bool TRVEditRVData::InsertRTFFromStreamEd_(TStream* Stream) {
  // No RTF reader is built yet: only an empty rest of the stream can be inserted (as nothing).
  return Stream->GetSize() - Stream->GetPosition() <= 0;
}

void TRVEditRVData::ConcateAfterAdding(int& InsertPoint, int& LastInserted, int& ItemsAdded, int& Offs) {
  using insert_text::IsEmptyText;
  using insert_text::IsText;
  using insert_text::TextLen;
  bool Fr = false;
  if (LastInserted < 0 || LastInserted >= ItemCount()) return;
  // The last inserted item and the one after it.
  if (LastInserted + 1 < ItemCount()) {
    if (CanConcateItemsAt(LastInserted, true, false)) {
      const bool LastWasEmpty = IsEmptyText(*this, LastInserted);
      Do_Concate(LastInserted);
      if (LastWasEmpty) Offs = GetOffsBeforeItem(LastInserted);
      if (IsText(*this, LastInserted)) GetItem(LastInserted)->ClearWordPainters(0);
      --ItemsAdded;
    } else if (GetItem(LastInserted)->GetBoolValue(rvbpFullWidth) && !IsFromNewLine(LastInserted + 1)) {
      Do_NewLine(LastInserted + 1, false, GetItem(LastInserted + 1)->ParaNo, Fr);
    }
  }
  // Inside the inserted run, from its end back; the caret follows the text growing in front of it
  // until the first item that cannot be joined.
  bool Following = true;
  for (int i = LastInserted; i > InsertPoint && i < ItemCount(); --i) {
    ConcateItemsInSubDocs(i);
    if (!CanConcateItemsAt(i - 1, true, false)) {
      Following = false;
      continue;
    }
    if (Following) {
      if (IsEmptyText(*this, i - 1) && !IsText(*this, i))
        Offs = 1;
      else if (IsEmptyText(*this, i) && IsText(*this, i - 1))
        Offs = TextLen(*this, i - 1) + 1;
      else if (!IsEmptyText(*this, i - 1))
        Offs += TextLen(*this, i - 1);
    }
    Do_Concate(i - 1);
    --ItemsAdded;
    --LastInserted;
  }
  if (InsertPoint < ItemCount()) ConcateItemsInSubDocs(InsertPoint);
  // The insertion point and the item before it.
  if (InsertPoint > 0 && InsertPoint < ItemCount() && CanConcateItemsAt(InsertPoint - 1, true, false)) {
    const int Prev = InsertPoint - 1;
    const int PrevLen = TextLen(*this, Prev);
    if (Following && LastInserted == InsertPoint) {
      if (IsEmptyText(*this, Prev) && !IsText(*this, InsertPoint))
        Offs = 1;
      else if (IsEmptyText(*this, InsertPoint) && IsText(*this, Prev))
        Offs = PrevLen + 1;
      else if (!IsEmptyText(*this, Prev))
        Offs += PrevLen;
    }
    Do_Concate(Prev);
    --ItemsAdded;
    --LastInserted;
    insert_text::SetBackLiveSpelling(*this, Prev, PrevLen + 1);
  } else if (InsertPoint > 0 && InsertPoint < ItemCount() && IsEmptyText(*this, InsertPoint) &&
             GetItem(InsertPoint)->GetSameAsPrev() && !IsWideEmptyTextItem(InsertPoint) &&
             GetItem(InsertPoint - 1)->StyleNo != ItemKindListMarker) {
    // An empty item left at the insertion point is only in the way.
    Do_DeleteItem(InsertPoint, Fr);
    --ItemsAdded;
    --LastInserted;
    if (LastInserted < InsertPoint) {
      LastInserted = InsertPoint - 1;
      Offs = GetOffsAfterItem(LastInserted);
    }
    insert_text::SetBackLiveSpelling(*this, InsertPoint - 1, 0);
  } else if (InsertPoint < ItemCount()) {
    insert_text::SetBackLiveSpelling(*this, InsertPoint, 0);
  }
}

bool TRVEditRVData::InsertFirstRVFItem(int& Index, TRVUnicodeString& Text, TCustomRVItemInfo*& Item, bool EditFlag,
                                       bool& FullReformat, int& NewListNo) {
  if (!EditFlag) return TViroZereRVData::InsertFirstRVFItem(Index, Text, Item, EditFlag, FullReformat, NewListNo);
  FullReformat = false;
  NewListNo = -1;
  int Pos = -1, ItemsAdded = 0;
  if (!InsertItemAtCaret(Item, Text, false, true, false, Pos, ItemsAdded, FullReformat, NewListNo)) {
    Beep();
    return false;
  }
  if (Item) Index = Pos;
  return true;
}

void TRVEditRVData::InsertPageBreak() {
  Deselect(nullptr, true);
  BeginUndoSequence(rvutInsertPageBreak, true);
  SetUndoGroupMode(true);
  struct TGroupOff {
    TRVEditRVData* D;
    ~TGroupOff() { D->SetUndoGroupMode(false); }
  } groupOff{this};

  auto IsMarker = [this](int No) { return No >= 0 && No < ItemCount() && GetItem(No)->StyleNo == ItemKindListMarker; };
  int ItemNo = GetCurItemNo();
  if (ItemNo < 0) return;
  const int Offs = GetOffsetInCurItem();
  const bool AfterMarker = IsMarker(ItemNo - 1);
  const bool AtItemStart = Offs <= GetOffsBeforeItem(ItemNo);
  const bool AtParaStart = AtItemStart && (!GetItem(ItemNo)->GetSameAsPrev() || AfterMarker);
  const bool HadPageBreak =
      AtParaStart && (GetItem(ItemNo)->GetPageBreakBefore() || (AfterMarker && GetItem(ItemNo - 1)->GetPageBreakBefore()));
  const bool Split = !AtItemStart || (GetItem(ItemNo)->GetSameAsPrev() && !AfterMarker) || ItemNo == 0 ||
                     (ItemNo == 1 && AfterMarker) || HadPageBreak;
  if (Split) OnEnterPress_(false, false);
  ItemNo = GetCurItemNo();
  if (ItemNo < 0) return;
  if (HadPageBreak) {
    ItemNo = std::max(ItemNo - 1, 0);
    if (IsMarker(ItemNo)) ItemNo = std::max(ItemNo - 1, 0);
  }
  // A paragraph that starts with a list marker carries its page break on the marker.
  if (GetItem(ItemNo)->GetSameAsPrev() && IsMarker(ItemNo - 1)) --ItemNo;
  bool Full = false, BrFull = false;
  Do_BR(ItemNo, false, BrFull);
  Do_PageBreak(ItemNo, true);
  Full = BrFull;
  Reformat(Full, true, false, ItemNo, true);
  Change();
  if (TRVScroller* Scroller = GetScroller()) Scroller->Invalidate();
}

// ---- where a search from the editor starts, and what it selects ----------------------------------

void TRVEditRVData::SrchStart(bool Down, bool FromStart, bool SmartStart, int& strt, int& Offs) {
  const int ItemNo = GetCurItemNo();
  if (FromStart || (SmartStart && SelectionExists(true, false)) || ItemNo < 0 || ItemNo >= ItemCount()) {
    TViroZereRVData::SrchStart(Down, FromStart, SmartStart, strt, Offs);
    return;
  }
  strt = ItemNo;
  Offs = GetOffsetInCurItem();
  if (Down && Offs >= GetOffsAfterItem(strt) && strt + 1 < ItemCount()) {
    ++strt;
    Offs = GetOffsBeforeItem(strt);
  } else if (!Down && Offs <= GetOffsBeforeItem(strt) && strt > 0) {
    --strt;
    Offs = GetOffsAfterItem(strt);
  }
}

void TRVEditRVData::SrchSelectIt(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs, bool Invert) {
  LiveSpellingCheckCurrent();
  // Setting the bounds releases a chosen sub-document, puts the caret at the active end and raises
  // the selection events (with scrolling to the caret).
  if (Invert)
    SetSelectionBounds(EndItemNo, EndOffs, StartItemNo, StartOffs);
  else
    SetSelectionBounds(StartItemNo, StartOffs, EndItemNo, EndOffs);
  if (TRVScroller* Scroller = GetScroller()) Scroller->Invalidate();
}
