// Reformatting after edits: the editor data's formatting entry, partial reformatting, item
// modification brackets, the change notification and renumbering of lists and sequences.
#include <algorithm>
#include <vector>

#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVScaleViroZere.h"
#include "engine/document/RVSeqItem.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/ListInfo.h"

namespace {
// The caret's stop, when the caret is placed.
TRVCharPos* CaretStop(TRVEditRVData& D) {
  if (D.CaretDrawItemNo < 0 || D.CaretOffs < 0 || D.CaretOffs >= D.CharEnds.Count()) return nullptr;
  return D.CharEnds.GetItem(D.CaretOffs);
}

// The caret goes before the first draw item (nowhere in a document without draw items).
void CaretToDocumentStart(TRVEditRVData& D) {
  if (D.DrawItems->Count() > 0) {
    D.CaretDrawItemNo = 0;
    D.OnChangeCaretLine(D.GetOffsBeforeDrawItem(0) - 2);
    D.CaretOffs = 0;
  } else {
    D.CharEnds.Clear();
    D.CaretDrawItemNo = -1;
    D.CaretOffs = -1;
  }
}
}  // namespace

bool TRVEditRVData::Format_(bool OnlyResized, bool ForceFormat, bool NoScroll, int depth, TCanvas* Canvas,
                            bool OnlyTail, bool NoCaching, bool Reformatting, bool CallOnFormat, bool AbsRotation) {
  if (State.Contains(rvstSkipFormatting)) return false;
  PrepareForEdit();
  // A resize of the document area made by a formatting in progress must not format again.
  if (AlreadyFormatted) {
    AlreadyFormatted = false;
    return false;
  }
  const bool TopLevel = depth == 0 && GetRVStyle() && !State.Contains(rvstSkipFormatting);
  const bool KeepCaret = OnlyResized || OnlyTail;
  bool HadCaret = false;
  int CaretItemNo = -1, CaretItemOffs = 0;
  if (TopLevel && KeepCaret) {
    if (TRVCharPos* Stop = CaretStop(*this)) {
      CaretDrawItemNo = Stop->DrawItemNo;
      CaretToItem(CaretItemNo, CaretItemOffs);
      HadCaret = CaretItemNo >= 0;
    }
  }
  const bool Result = TViroZereRVData::Format_(OnlyResized, ForceFormat, NoScroll, depth, Canvas, OnlyTail, NoCaching,
                                               Reformatting, CallOnFormat, AbsRotation);
  if (TopLevel) {
    if (KeepCaret) {
      if (HadCaret && CaretItemNo < ItemCount())
        SetCaretAtItem(CaretItemNo, CaretItemOffs);
      else if (!CaretStop(*this))
        CaretToDocumentStart(*this);
    } else {
      Deselect(nullptr, false);
      CaretToDocumentStart(*this);
    }
    CreateResizer();
    // The current styles are taken from the caret only on the first formatting after loading.
    ChangeCaret(false, false, !State.Contains(rvstEditorUnformatted), false);
    if (CallOnFormat) DoAfterFormatAndCaretPositioning(false);
  }
  if (depth == 0) State.Exclude(rvstEditorUnformatted);
  return Result;
}

void TRVEditRVData::Reformat(bool FullFormat, bool ForceFormat, bool NoScroll, int ItemNo, bool AUpdateView,
                             bool ThisLevelOnly) {
  int SelStartNo = -1, SelStartOffs = 0, SelEndNo = -1, SelEndOffs = 0;
  GetSelectionBoundsEx(SelStartNo, SelStartOffs, SelEndNo, SelEndOffs, false);
  ReformatEx(FullFormat, ForceFormat, NoScroll, ItemNo, AUpdateView, SelStartNo, SelStartOffs, SelEndNo, SelEndOffs,
             ThisLevelOnly);
}

void TRVEditRVData::ReformatEx(bool FullFormat, bool ForceFormat, bool NoScroll, int ItemNo, bool AUpdateView,
                               int SelStartNo, int SelStartOffs, int SelEndNo, int SelEndOffs, bool ThisLevelOnly) {
  int CaretItemNo = -1, CaretItemOffs = 0;
  int CaretDItem = -1;
  if (TRVCharPos* Stop = CaretStop(*this)) {
    CaretDItem = Stop->DrawItemNo;
    CaretDrawItemNo = CaretDItem;
    CaretToItem(CaretItemNo, CaretItemOffs);
  }
  bool Formatted = false;
  if (FullFormat) {
    Formatted = Format_(true, ForceFormat, NoScroll, 0, GetFormatCanvas(), false, false, false, false, false);
    InvalidateDocument();
  }
  if (!Formatted && ItemNo >= 0 && ItemNo < ItemCount()) {
    const int DItemNo = CaretItemNo >= 0 && ItemNo == CaretItemNo ? CaretDItem : Item2FirstDrawItem(ItemNo);
    if (DItemNo >= 0 && DItemNo < DrawItems->Count()) FormatParas(DItemNo, DItemNo, 0, ThisLevelOnly);
  }
  if (CaretItemNo >= 0 && CaretItemNo < ItemCount()) SetCaretAtItem(CaretItemNo, CaretItemOffs);
  if (SelStartNo >= 0) SetSelectionBounds(SelStartNo, SelStartOffs, SelEndNo, SelEndOffs);
  ChangeCaret(false, AUpdateView, false, AUpdateView);
  DoAfterFormatAndCaretPositioning(true);
}

void TRVEditRVData::BeginItemModify(int ItemNo, int& ModifyData) { ModifyData = CalculateMinItemWidthPlusEx(ItemNo); }

void TRVEditRVData::EndItemModify(int ItemNo, int ModifyData) {
  int SelStartNo = -1, SelStartOffs = 0, SelEndNo = -1, SelEndOffs = 0;
  GetSelectionBoundsEx(SelStartNo, SelStartOffs, SelEndNo, SelEndOffs, false);
  EndItemModifyEx(ItemNo, ModifyData, SelStartNo, SelStartOffs, SelEndNo, SelEndOffs);
}

void TRVEditRVData::EndItemModifyEx(int ItemNo, int ModifyData, int SelStartNo, int SelStartOffs, int SelEndNo,
                                    int SelEndOffs) {
  const bool Full = WidthRuleRequiresFull(ModifyData, CalculateMinItemWidthPlusEx(ItemNo));
  ReformatEx(Full, true, false, ItemNo, false, SelStartNo, SelStartOffs, SelEndNo, SelEndOffs, false);
}

void TRVEditRVData::ChangeEx(bool ClearRedo) {
  if (FResizer) CreateResizer();
  ResetUpDownMovingX();
  if (FEditor) FEditor->SetModified(true);
  if (!State.Contains(rvstDoNotClearCurTag)) {
    FCurTag.clear();
    FCurTagStyleNo = -1;
  }
  if (!FCaptureMouseItem) LastDIMovedAbove = -1;
  if (FEditor) FEditor->DoChange(ClearRedo);
}

void TRVEditRVData::DoAfterFormatAndCaretPositioning(bool UpdateControl) {
  if (GetFlags().Contains(rvflRoot))
    if (std::shared_ptr<IRVScaleViroZereInterface> Owner = GetScaleViroZereInterface()) Owner->DoOnFormat(this);
  if (UpdateControl)
    if (TRVScroller* Scroller = GetScroller()) Scroller->Update();
}

void TRVEditRVData::PrepareForUpdateRangeAfterMarkersOrSeq(int StartNo, int EndNo, bool ForDeletion,
                                                           int& FirstItemNo, int& LastMarkerIndex, int& LastSeqIndex,
                                                           std::unique_ptr<TRVIntegerList>& ListNos,
                                                           std::unique_ptr<TStringList>& SeqNames) {
  FirstItemNo = -1;
  LastMarkerIndex = -1;
  LastSeqIndex = -1;
  ListNos.reset();
  SeqNames.reset();
  TRVMarkerList* Markers = GetMarkers(false);
  TRVSeqList* Seqs = GetSeqList(false);
  if ((!Markers && !Seqs) || ItemCount() == 0) return;
  StartNo = std::clamp(StartNo, 0, ItemCount() - 1);
  EndNo = std::clamp(EndNo, StartNo, ItemCount() - 1);
  ExpandToPara(StartNo, EndNo, StartNo, EndNo);
  ListNos = std::make_unique<TRVIntegerList>();
  SeqNames = std::make_unique<TStringList>();
  SeqNames->SetSorted(true);
  SeqNames->Duplicates = dupIgnore;
  TRVStyle* Style = GetRVStyle();
  // Deleted items: the entries before the first of them still stand.
  auto Note = [ForDeletion](int& Last, int Index) {
    if (!ForDeletion || Last < 0) Last = Index;
  };
  for (int i = StartNo; i <= EndNo; ++i) {
    TCustomRVItemInfo* Item = GetItem(i);
    if (Item->StyleNo == ItemKindListMarker) {
      auto* Marker = static_cast<TRVMarkerItemInfo*>(Item);
      if (!Markers || !Style || Marker->ListNo < 0 || Marker->ListNo >= Style->ListStyles()->Count()) continue;
      if (!Style->ListStyles()->Items(Marker->ListNo)->HasVariableWidth()) continue;
      if (ListNos->IndexOf(Marker->ListNo) < 0) ListNos->Add(Marker->ListNo);
      Note(LastMarkerIndex, Marker->GetIndexInList(Markers));
    } else if (auto* Seq = dynamic_cast<TRVSeqItemInfo*>(Item); Seq && Seqs) {
      SeqNames->Add(Seq->SeqName);
      Note(LastSeqIndex, Seq->GetIndexInList(Seqs));
    }
  }
  if (ForDeletion) {
    if (LastMarkerIndex >= 0) --LastMarkerIndex;
    if (LastSeqIndex >= 0) --LastSeqIndex;
  }
  FirstItemNo = EndNo;
}

void TRVEditRVData::UpdateAfterMarkersOrSeq(int FirstItemNo, int LastMarkerIndex, int LastSeqIndex,
                                            TRVIntegerList* ListNos, TStringList* SeqNames) {
  TRVMarkerList* Markers = GetMarkers(false);
  TRVSeqList* Seqs = GetSeqList(false);
  if (!Markers && !Seqs) return;
  const bool AnyLists = ListNos && ListNos->Count() > 0;
  const bool AnySeqs = SeqNames && SeqNames->Count() > 0;
  if (!AnyLists && !AnySeqs) return;
  const int StartItemNo = FirstItemNo + 1;
  bool All = false;
  int MarkerItemNo = -1, SeqItemNo = -1;
  if (AnyLists && Markers) {
    const int Index = FindLastMarkerByLists(LastMarkerIndex, ListNos);
    if (Index >= 0) {
      MarkerItemNo = FindContainingItemNo(StartItemNo, Markers->Items(Index));
      All = MarkerItemNo < 0;
    }
  }
  if (!All && AnySeqs && Seqs) {
    std::vector<TRVUnicodeString> Names;
    for (int i = 0; i < SeqNames->Count(); ++i) Names.push_back(SeqNames->Get(i));
    const int Index = FindLastSeqItemByNames(LastSeqIndex, Names);
    if (Index >= 0) {
      SeqItemNo = FindContainingItemNo(StartItemNo, Seqs->Items(Index));
      All = SeqItemNo < 0;
    }
  }
  if (All) {
    // The counters reach beyond this document: everything is formatted, now and on undo.
    TCustomRVFormattedData* Root = GetAbsoluteRootData()->AsFormattedData();
    if (!Root) Root = this;
    Root->Format_(true, true, false, 0, Root->GetFormatCanvas(), false, false, false, false, false);
    Do_ReformateRange(-1, -1, true);
    if (auto* RootData = dynamic_cast<TRVEditRVData*>(Root))
      RootData->InvalidateDocument();
    else
      InvalidateDocument();
    return;
  }
  const int LastItemNo = std::max(MarkerItemNo, SeqItemNo);
  if (LastItemNo < 0) return;
  int First = 0, Last = -1;
  ExpandToParaSection(std::min(StartItemNo, LastItemNo), LastItemNo, First, Last);
  Do_ReformateRange(First, Last, false);
  // Hidden items have no draw items: the range is that of its shown items.
  int FirstDItem = -1, LastDItem = -1;
  for (int i = First; i <= Last && FirstDItem < 0; ++i) FirstDItem = Item2FirstDrawItem(i);
  for (int i = Last; i >= First && LastDItem < 0; --i) LastDItem = Item2LastDrawItem(i);
  if (FirstDItem >= 0 && LastDItem >= FirstDItem) FormatParasExact(FirstDItem, LastDItem, 0, false, true);
}

void TRVEditRVData::UpdateRangeAfterMarkersOrSeq(int StartNo, int EndNo) {
  int FirstItemNo = -1, LastMarkerIndex = -1, LastSeqIndex = -1;
  std::unique_ptr<TRVIntegerList> ListNos;
  std::unique_ptr<TStringList> SeqNames;
  PrepareForUpdateRangeAfterMarkersOrSeq(StartNo, EndNo, false, FirstItemNo, LastMarkerIndex, LastSeqIndex, ListNos,
                                         SeqNames);
  UpdateAfterMarkersOrSeq(FirstItemNo, LastMarkerIndex, LastSeqIndex, ListNos.get(), SeqNames.get());
}

bool TRVEditRVData::LoadFormattingFromStream(TStream* Stream) {
  const bool Result = TViroZereRVData::LoadFormattingFromStream(Stream);
  State.Exclude(rvstEditorUnformatted);
  CaretToDocumentStart(*this);
  if (CaretDrawItemNo >= 0) ChangeCaret(false, false, false, false);
  return Result;
}
