// Selection queries and setting the selection in item terms, the single selected item and picture,
// the selected text, and copying the selection to the clipboard in the formats the options ask
// for.
#include <algorithm>
#include <cstring>
#include <tuple>

#include "engine/document/RVItem.h"
#include "engine/document/RVLayoutInfo.h"
#include "engine/foundation/RVClipboard.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVUni.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVFormattedData.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Clipbrd.h"

namespace {

TCustomRVFormattedData* ChosenFormatted(TCustomRVFormattedData* Data) {
  TCustomRVData* chosen = Data->GetChosenRVData();
  if (!chosen || chosen == Data) return nullptr;
  return chosen->AsFormattedData();
}

// Whether a normalised draw-item selection selects nothing: one position, or only the gap
// between two draw items of one line.
bool DrawSelectionEmpty(TCustomRVFormattedData* D, int s, int e, int so, int eo) {
  if (s == e && so == eo) return true;
  const int n = D->DrawItems->Count();
  if (s < 0 || e < 0 || s >= n || e >= n) return true;
  return e == s + 1 && so >= D->GetOffsAfterDrawItem(s) && eo <= D->GetOffsBeforeDrawItem(e) &&
         !D->DrawItems->Get(e)->FromNewLine;
}

// Whether (No, Offs) lies between the bounds (normalised); strict at the bounds unless
// IncludeBorders.
bool InsideBounds(int sNo, int sOffs, int eNo, int eOffs, int No, int Offs, bool IncludeBorders) {
  const auto pos = std::make_tuple(No, Offs);
  if (IncludeBorders) return std::make_tuple(sNo, sOffs) <= pos && pos <= std::make_tuple(eNo, eOffs);
  if (No < sNo || No > eNo) return false;
  if (No == sNo && Offs <= sOffs) return false;
  if (No == eNo && Offs >= eOffs) return false;
  return true;
}

}  // namespace

// ---- existence and bounds ------------------------------------------------------------------------

bool TCustomRVFormattedData::SelectionExists(bool AllowReset, bool UsePartialSelected) {
  if (TCustomRVFormattedData* chosen = ChosenFormatted(this)) return chosen->SelectionExists(AllowReset, UsePartialSelected);
  if (UsePartialSelected && FPartialSelectedItem && FPartialSelectedItem->PartiallySelected()) return true;
  int s, e, so, eo;
  GetSelBounds(s, e, so, eo, true);
  if (DrawSelectionEmpty(this, s, e, so, eo)) {
    if (AllowReset && !State.Contains(rvstMakingSelection) && (FSelStartNo >= 0 || FSelEndNo >= 0))
      Deselect(FPartialSelectedItem, false);
    return false;
  }
  return s >= 0 && e >= 0;
}

void TCustomRVFormattedData::GetSelStart(int& DINo, int& DIOffs) {
  SelectionExists(false, false);
  DINo = FSelStartNo;
  DIOffs = FSelStartOffs;
}

void TCustomRVFormattedData::GetSelectionBounds(int& StartItemNo, int& StartItemOffs, int& EndItemNo,
                                                int& EndItemOffs, bool ANormalize) {
  StoreSelBounds(StartItemNo, EndItemNo, StartItemOffs, EndItemOffs, ANormalize);
}

// ---- setting the selection ------------------------------------------------------------------------

void TCustomRVFormattedData::SetSelectionBounds(int StartItemNo, int StartItemOffs, int EndItemNo, int EndItemOffs) {
  LiveSpellingCheckCurrent();
  DoSetSelectionBounds(StartItemNo, StartItemOffs, EndItemNo, EndItemOffs, false);
}

void TCustomRVFormattedData::SetSelectionBoundsDown(int StartItemNo, int StartItemOffs, int EndItemNo,
                                                    int EndItemOffs) {
  LiveSpellingCheckCurrent();
  DoSetSelectionBounds(StartItemNo, StartItemOffs, EndItemNo, EndItemOffs, true);
}

void TCustomRVFormattedData::DoSetSelectionBounds(int StartItemNo, int StartItemOffs, int EndItemNo, int EndItemOffs,
                                                  bool PreferLineBeginning) {
  ChosenItemChanging(nullptr);
  DestroyInplaceEditor();
  const int n = ItemCount();
  if (StartItemNo >= 0 && EndItemNo >= 0) {
    // A list marker holds no position: a bound on it moves to the start of what follows it.
    auto offMarker = [&](int& ItemNo, int& Offs) {
      if (ItemNo + 1 < n && GetItem(ItemNo)->StyleNo == ItemKindListMarker) {
        ++ItemNo;
        Offs = GetOffsBeforeItem(ItemNo);
      }
    };
    offMarker(StartItemNo, StartItemOffs);
    offMarker(EndItemNo, EndItemOffs);
  }
  RestoreSelBounds(StartItemNo, EndItemNo, StartItemOffs, EndItemOffs, PreferLineBeginning);
  const int dn = DrawItems->Count();
  if (FSelStartNo >= 0 && FSelStartNo < dn)
    FSelStartOffs = std::clamp(FSelStartOffs, GetOffsBeforeDrawItem(FSelStartNo), GetOffsAfterDrawItem(FSelStartNo));
  if (FSelEndNo >= 0 && FSelEndNo < dn)
    FSelEndOffs = std::clamp(FSelEndOffs, GetOffsBeforeDrawItem(FSelEndNo), GetOffsAfterDrawItem(FSelEndNo));
  DoOnSelection(true);
  DoSelect();
}

void TCustomRVFormattedData::SetPartialSelectedItem(TCustomRVItemInfo* Item) {
  if (Item == FPartialSelectedItem) return;
  Deselect(Item, true);
  FPartialSelectedItem = Item;
  DoSelect();
}

// ---- positions inside the selection -----------------------------------------------------------------

bool TCustomRVFormattedData::Item_InsideSelection(int ItemNo, int ItemOffs, bool IncludeBorders) {
  // A sub-document whose item is selected in its parent lies wholly inside the selection.
  if (TCustomRVData* parentData = GetParentData()) {
    if (TCustomRVFormattedData* parent = parentData->AsFormattedData(); parent && parent != this) {
      int parentItemNo = -1;
      TRVStoreSubRVData* location = nullptr;
      GetParentInfo(parentItemNo, location);
      if (parentItemNo >= 0 && parentItemNo < parent->ItemCount() &&
          parent->Item_InsideSelection(parentItemNo, parent->GetOffsBeforeItem(parentItemNo), true) &&
          parent->Item_InsideSelection(parentItemNo, parent->GetOffsAfterItem(parentItemNo), true))
        return true;
    }
  }
  int s, e, so, eo;
  GetSelBounds(s, e, so, eo, true);
  if (DrawSelectionEmpty(this, s, e, so, eo)) return false;
  int si, sio, ei, eio;
  GetSelectionBounds(si, sio, ei, eio, true);
  if (si < 0 || ei < 0 || (si == ei && sio == eio)) return false;
  return InsideBounds(si, sio, ei, eio, ItemNo, ItemOffs, IncludeBorders);
}

bool TCustomRVFormattedData::DrawItem_InsideSelection(int DrawItemNo, int DrawItemOffs, bool IncludeBorders) {
  int s, e, so, eo;
  GetSelBounds(s, e, so, eo, true);
  if (DrawSelectionEmpty(this, s, e, so, eo)) return false;
  return InsideBounds(s, so, e, eo, DrawItemNo, DrawItemOffs, IncludeBorders);
}

// ---- the single selected item ---------------------------------------------------------------------------

bool TCustomRVFormattedData::DoGetSingleSelectedItem(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs,
                                                     int& ItemNo) {
  ItemNo = -1;
  const int n = ItemCount();
  if (StartItemNo < 0 || EndItemNo < StartItemNo || EndItemNo >= n) return false;
  const int before1 = GetOffsBeforeItem(StartItemNo), after1 = GetOffsAfterItem(StartItemNo);
  int found = -1;
  if (StartItemNo == EndItemNo) {
    if (StartOffs <= before1 && EndOffs >= after1) found = StartItemNo;
  } else if (EndItemNo == StartItemNo + 1) {
    const int before2 = GetOffsBeforeItem(EndItemNo), after2 = GetOffsAfterItem(EndItemNo);
    if (StartOffs > before1) {
      if (StartOffs >= after1 && EndOffs >= after2) found = EndItemNo;
    } else if (EndOffs < after2 && EndOffs <= before2) {
      found = StartItemNo;
    }
  } else if (EndItemNo == StartItemNo + 2) {
    if (StartOffs >= after1 && EndOffs <= GetOffsBeforeItem(EndItemNo)) found = StartItemNo + 1;
  }
  // Any kind of item: the editor empties a wide text item selected whole instead of removing it.
  if (found < 0) return false;
  ItemNo = found;
  return true;
}

bool TCustomRVFormattedData::GetSingleSelectedItem(TCustomRVFormattedData*& RVData, int& ItemNo) {
  if (TCustomRVFormattedData* chosen = ChosenFormatted(this)) return chosen->GetSingleSelectedItem(RVData, ItemNo);
  RVData = nullptr;
  ItemNo = -1;
  int s, e, so, eo;
  GetSelBounds(s, e, so, eo, true);
  if (DrawSelectionEmpty(this, s, e, so, eo)) return false;
  int si, sio, ei, eio;
  GetSelectionBounds(si, sio, ei, eio, true);
  // Only a non-text item is selected as a whole object.
  if (!DoGetSingleSelectedItem(si, sio, ei, eio, ItemNo) || GetItem(ItemNo)->StyleNo >= 0) {
    ItemNo = -1;
    return false;
  }
  RVData = this;
  return true;
}

std::unique_ptr<TGraphic> TCustomRVFormattedData::GetSelectedImage() {
  TCustomRVFormattedData* data = nullptr;
  int itemNo = -1;
  if (!GetSingleSelectedItem(data, itemNo)) return nullptr;
  return data->GetItem(itemNo)->AsImage();
}

// ---- the selected text and coordinates ----------------------------------------------------------------

TRVUnicodeString TCustomRVFormattedData::GetSelTextW(bool ForANSI) {
  if (TCustomRVFormattedData* chosen = ChosenFormatted(this)) return chosen->GetSelTextW(ForANSI);
  if (!SelectionExists(false, true)) return {};
  TMemoryStream stream;
  SaveTextToStreamW(u"", &stream, 80, true, false, ForANSI, false, true);
  TRVUnicodeString text(static_cast<std::size_t>(stream.GetSize()) / sizeof(char16_t), u'\0');
  if (!text.empty()) std::memcpy(text.data(), stream.Memory(), text.size() * sizeof(char16_t));
  return text;
}

bool TCustomRVFormattedData::GetSelectionBoundsCoords(int& X1, int& Top1, int& Bottom1, int& X2, int& Top2,
                                                      int& Bottom2) {
  ResetSubCoords();
  int s, e, so, eo;
  GetSelBounds(s, e, so, eo, true);
  const int n = DrawItems->Count();
  if (s < 0 || e < 0 || s >= n || e >= n) return false;
  GetCoordsOfDrawItem(s, so, X1, Top1, Bottom1);
  GetCoordsOfDrawItem(e, eo, X2, Top2, Bottom2);
  return true;
}

// ---- save scope ----------------------------------------------------------------------------------------

void TCustomRVFormattedData::GetSaveScopeRange(int SaveScope, int& StartItemNo, int& StartOffs, int& EndItemNo,
                                               int& EndOffs, TRVMultiDrawItemPart*& StartPart,
                                               TRVMultiDrawItemPart*& EndPart, TCustomRVItemInfo*& SelectedItem) {
  if (SaveScope != rvfss_Selection) {
    TCustomRVData::GetSaveScopeRange(SaveScope, StartItemNo, StartOffs, EndItemNo, EndOffs, StartPart, EndPart,
                                     SelectedItem);
    return;
  }
  StartPart = EndPart = nullptr;
  SelectedItem = FPartialSelectedItem;
  StartItemNo = EndItemNo = -1;
  StartOffs = EndOffs = 0;
  if (!SelectedItem) StoreSelBounds(StartItemNo, EndItemNo, StartOffs, EndOffs, true);
}

// ---- copying -----------------------------------------------------------------------------------------------

bool TCustomRVFormattedData::CopyDef(TColor Color, TObject* Background) {
  if (TCustomRVFormattedData* chosen = ChosenFormatted(this)) return chosen->CopyDef(clNone, nullptr);
  const std::unique_ptr<TGraphic> image = GetSelectedImage();
  const TRVOptions options = GetOptions();
  TRVDataRootEvents* events = GetRootEvents();
  const bool canCopy = (!image && options.Contains(rvoAutoCopyText)) || options.Contains(rvoAutoCopyRVF) ||
                       (!image && options.Contains(rvoAutoCopyUnicodeText)) || options.Contains(rvoAutoCopyRTF) ||
                       options.Contains(rvoAutoCopyImage) || (events && events->IsOnCopyAssigned());
  if (!canCopy || !SelectionExists(false, true)) return canCopy;
  OpenClipboardWithRetries();
  try {
    Clipboard()->Clear();
    if (events) events->DoCopy();
    if (options.Contains(rvoAutoCopyRVF)) CopyRVF(Color, Background);
    if (!image) {
      if (options.Contains(rvoAutoCopyText) && !(IsWinNT && options.Contains(rvoAutoCopyUnicodeText))) CopyTextA();
      if (options.Contains(rvoAutoCopyUnicodeText)) CopyTextW();
    } else if (options.Contains(rvoAutoCopyImage)) {
      CopyImage();
    }
    if (options.Contains(rvoAutoCopyRTF)) CopyRTF(Color, Background);
  } catch (...) {
    Clipboard()->Close();
    throw;
  }
  Clipboard()->Close();
  return canCopy;
}

void TCustomRVFormattedData::CopyRVF(TColor Color, TObject* Background) {
  TMemoryStream stream;
  SaveRVFToStream(&stream, true, Color, Background, nullptr, true);
  SetClipboardRVF(stream.Memory(), static_cast<std::size_t>(stream.GetSize()));
}

void TCustomRVFormattedData::CopyRTF(TColor /*Color*/, TObject* /*Background*/) {
  // No RTF writer yet: the format is left off the clipboard.
}

void TCustomRVFormattedData::CopyTextA() {
  if (!SelectionExists(false, true)) return;
  SetClipboardAnsiText(UnicodeToAnsiCP(KeyboardCodePage(), GetSelTextW(true)), CF_TEXT);
}

void TCustomRVFormattedData::CopyTextW() {
  if (!SelectionExists(false, true)) return;
  SetClipboardUnicodeText(GetSelTextW(false), CF_UNICODETEXT);
}

void TCustomRVFormattedData::CopyImage() {
  const std::unique_ptr<TGraphic> image = GetSelectedImage();
  if (!image) return;
  try {
    Clipboard()->Assign(image.get());
  } catch (...) {
    // A picture the clipboard cannot take is left out; the other formats stay.
  }
}
