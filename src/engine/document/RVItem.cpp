#include "engine/document/RVItem.h"

#include <algorithm>
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVDeleteUnusedStyles.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVUni.h"
#include "platform/base/NLS.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"

// ---- extra-property keys ----------------------------------------------------------------------------

const char* const RVFExtraItemIntPropNames[RVExtraItemPropertyCount] = {
    "",          "vshift",  "vshiftabs",   "width",         "height",        "transparent",
    "tmode",     "tcolor",  "minheightonpage", "spacing",   "resizable",     "unremovable",
    "nohtmlsize", "ainterval", "visible",  "hidden",        "shared",        "borderwidth",
    "color",     "bordercolor", "outerhspacing", "outervspacing", "valign"};
const char* const RVFExtraItemStrPropNames[RVExtraItemStrPropertyCount] = {"", "hint", "alt", "filename", "tag"};

TRVExtraItemProperty ExtraIntPropertyFromName(const TRVRawByteString& Name) {
  for (int i = 1; i < RVExtraItemPropertyCount; ++i)
    if (Name == RVFExtraItemIntPropNames[i]) return static_cast<TRVExtraItemProperty>(i);
  return rvepUnknown;
}

TRVExtraItemStrProperty ExtraStrPropertyFromName(const TRVRawByteString& Name) {
  for (int i = 1; i < RVExtraItemStrPropertyCount; ++i)
    if (Name == RVFExtraItemStrPropNames[i]) return static_cast<TRVExtraItemStrProperty>(i);
  return rvespUnknown;
}

void WriteRVFExtraCustomIntProperty(TStream* Stream, const TRVRawByteString& Name, int Value) {
  WriteRVFLine(Stream, Name + "=" + std::to_string(Value));
}

void WriteRVFExtraCustomStrProperty(TStream* Stream, const TRVRawByteString& Name, const TRVUnicodeString& Value) {
  WriteRVFLine(Stream, Name + "=" + EncodeRVFString(Value));
}

void WriteRVFExtraIntProperty(TStream* Stream, TRVExtraItemProperty Prop, int Value) {
  WriteRVFExtraCustomIntProperty(Stream, RVFExtraItemIntPropNames[Prop], Value);
}

void WriteRVFExtraStrProperty(TStream* Stream, TRVExtraItemStrProperty Prop, const TRVUnicodeString& Value) {
  WriteRVFExtraCustomStrProperty(Stream, RVFExtraItemStrPropNames[Prop], Value);
}

// ---- options in RVF ------------------------------------------------------------------------------------

TRVItemOptions ApplyForcedSameAsPrev(const TRVItemOptions& Options, bool ForceSameAsPrev) {
  if (!ForceSameAsPrev) return Options;
  TRVItemOptions r = Options;
  r.Include(rvioSameAsPrev);
  r.Exclude(rvioPageBreakBefore).Exclude(rvioBR).Exclude(rvioClearLeft).Exclude(rvioClearRight);
  return r;
}

int ItemOptionsForRVF(const TRVItemOptions& Options, bool ForceSameAsPrev) {
  const TRVItemOptions o = ApplyForcedSameAsPrev(Options, ForceSameAsPrev);
  int n = 0;
  for (int i = 0; i < 6; ++i)
    if (o.Contains(static_cast<TRVItemOption>(i))) n |= 1 << i;
  return n;
}

TRVItemOptions ItemOptionsFromRVF(int Number) {
  // The low eight bits are the options 0..7; anything above them is not an option.
  return TRVItemOptions::FromInt(static_cast<std::uint32_t>(Number) & 0xFFu);
}

// ---- checkpoints -----------------------------------------------------------------------------------------

void TRVCPInfo::Assign(const TRVCPInfo* Source, bool /*TagsArePChars*/) {
  Name = Source->Name;
  RaiseEvent = Source->RaiseEvent;
  Tag = Source->Tag;
  Persistent = Source->Persistent;
}

std::unique_ptr<TRVCPInfo> TRVCPInfo::CreateCopy(bool TagsArePChars) const {
  auto r = std::make_unique<TRVCPInfo>();
  r->Assign(this, TagsArePChars);
  return r;
}

// ---- the item base --------------------------------------------------------------------------------------

TCustomRVItemInfoClass TCustomRVItemInfo::StaticItemClass() {
  static const TCustomRVItemInfoClassRec rec{
      "TCustomRVItemInfo",
      [](TCustomRVData* d) -> std::unique_ptr<TCustomRVItemInfo> { return std::make_unique<TCustomRVItemInfo>(d); }};
  return &rec;
}

TCustomRVItemInfo::TCustomRVItemInfo(TCustomRVData* /*ARVData*/) {}
TCustomRVItemInfo::~TCustomRVItemInfo() = default;

void TCustomRVItemInfo::SetSameAsPrev(bool Value) {
  if (Value) {
    ItemOptions.Exclude(rvioPageBreakBefore).Exclude(rvioBR).Include(rvioSameAsPrev);
  } else {
    ItemOptions.Exclude(rvioSameAsPrev);
  }
}

void TCustomRVItemInfo::SetBR(bool Value) {
  if (Value && !GetBoolValue(rvbpFullWidth)) {
    ItemOptions.Exclude(rvioSameAsPrev).Include(rvioBR);
  } else {
    ItemOptions.Exclude(rvioBR);
  }
}

void TCustomRVItemInfo::SetPageBreakBefore(bool Value) {
  if (Value)
    ItemOptions.Exclude(rvioSameAsPrev).Exclude(rvioBR).Include(rvioPageBreakBefore);
  else
    ItemOptions.Exclude(rvioPageBreakBefore);
}

void TCustomRVItemInfo::SetClearLeft(bool Value) {
  if (!Value)
    ItemOptions.Exclude(rvioClearLeft);
  else if (!GetSameAsPrev())
    ItemOptions.Include(rvioClearLeft);
}

void TCustomRVItemInfo::SetClearRight(bool Value) {
  if (!Value)
    ItemOptions.Exclude(rvioClearRight);
  else if (!GetSameAsPrev())
    ItemOptions.Include(rvioClearRight);
}

std::unique_ptr<TCustomRVItemInfo> TCustomRVItemInfo::CreateDuplicate(TCustomRVData* ARVData,
                                                                       bool CopyCheckpoint) const {
  auto r = ItemClass()->Create(ARVData);
  r->StyleNo = StyleNo;
  r->Assign(const_cast<TCustomRVItemInfo*>(this));
  if (CopyCheckpoint && Checkpoint) r->Checkpoint = Checkpoint->CreateCopy().release();
  r->Tag = Tag;
  return r;
}

void TCustomRVItemInfo::AssignParaProperties(const TCustomRVItemInfo* Source) {
  SetSameAsPrev(Source->GetSameAsPrev());
  SetBR(Source->GetBR());
  SetPageBreakBefore(Source->GetPageBreakBefore());
  SetClearLeft(Source->GetClearLeft());
  SetClearRight(Source->GetClearRight());
}

bool TCustomRVItemInfo::CanBeBorderStart() const {
  return !ItemOptions.Contains(rvioSameAsPrev) && !ItemOptions.Contains(rvioBR);
}

static int DefStyleOfPara(TRVStyle* RVStyle, int ParaNo) {
  const int d = RVStyle ? RVStyle->ParaStyles()->Items(ParaNo)->DefStyleNo : -1;
  return d < 0 ? 0 : d;
}

int TCustomRVItemInfo::GetActualTextStyleNo(TCustomRVData* Doc) {
  int r = GetActualTextStyleNo();
  if (!Doc) return r;
  if (r == StyleNoFromParagraph) r = DefStyleOfPara(Doc->GetRVStyle(), ParaNo);
  if (r >= 0) r = Doc->GetStyleFromStyleTemplate(r, ParaNo);
  return r;
}

int TCustomRVItemInfo::GetActualTextStyleNo(TRVStyle* RVStyle) const {
  int r = GetActualTextStyleNo();
  if (RVStyle && r == StyleNoFromParagraph) r = DefStyleOfPara(RVStyle, ParaNo);
  return r;
}

// ---- live spelling ----

void TCustomRVItemInfo::FreeEmptyWordPaintList() {
  if (WordPaintList && WordPaintList->Count() == 0) WordPaintList.reset();
}

void TCustomRVItemInfo::AddMisspelling(int StartOffs, int Length) {
  if (!WordPaintList) WordPaintList = std::make_unique<TRVWordPainterList>();
  WordPaintList->Add(new TRVWordMisspellPainter(StartOffs, Length));
}

void TCustomRVItemInfo::ClearLiveSpellingResult() {
  ItemState.Exclude(rvisSpellChecked);
  if (!WordPaintList) return;
  for (int i = WordPaintList->Count() - 1; i >= 0; --i)
    if (dynamic_cast<TRVWordMisspellPainter*>(WordPaintList->Get(i))) WordPaintList->Delete(i);
  FreeEmptyWordPaintList();
}

void TCustomRVItemInfo::ClearWordPainters(int Index) {
  ItemState.Exclude(rvisSpellChecked);
  if (!WordPaintList) return;
  if (Index <= 1) {
    WordPaintList.reset();
    return;
  }
  for (int i = WordPaintList->Count() - 1; i >= 0; --i) {
    const TRVWordPainter* p = WordPaintList->Get(i);
    if (p->StartOffs + p->Length > Index) WordPaintList->Delete(i);
  }
  FreeEmptyWordPaintList();
}

static bool IsApostropheChar(TRVUnicodeChar c) { return c == u'\'' || c == u'\u0092' || c == u'\u2019'; }

bool TCustomRVItemInfo::AdjustWordPaintersOnInsert(int Index, const TRVUnicodeString& AText, TRVUnicodeChar ch,
                                                   TCustomRVData* ARVData) {
  const bool D = ARVData ? ARVData->IsDelimiterW(ch) : (ch == u' ' || ch == u'\t');
  const int Extra = D ? 0 : 1;
  int Reach = Extra;
  if (!D && Index > 1 && static_cast<int>(AText.size()) >= Index - 1 &&
      IsApostropheChar(AText[static_cast<std::size_t>(Index - 2)]))
    Reach = 2;
  bool removed = false;
  if (WordPaintList) {
    for (int i = WordPaintList->Count() - 1; i >= 0; --i) {
      TRVWordPainter* p = WordPaintList->Get(i);
      if (Index < p->StartOffs + p->Length + Reach) {
        if (p->StartOffs < Index + Extra) {
          WordPaintList->Delete(i);
          removed = true;
        } else {
          ++p->StartOffs;
        }
      }
    }
    FreeEmptyWordPaintList();
  }
  return D || removed;
}

// Count characters were removed at Index. A mark that ends before the removed range stays; a
// mark that starts after it moves left by Count; a mark that overlaps it is dropped.
bool TCustomRVItemInfo::AdjustWordPaintersOnDelete(int Index, int Count) {
  if (!WordPaintList || Count <= 0) return false;
  bool removed = false;
  for (int i = WordPaintList->Count() - 1; i >= 0; --i) {
    TRVWordPainter* p = WordPaintList->Get(i);
    if (p->StartOffs + p->Length <= Index) continue;  // ends before the deletion
    if (p->StartOffs >= Index + Count) {                // starts after it
      p->StartOffs -= Count;
      continue;
    }
    WordPaintList->Delete(i);
    removed = true;
  }
  FreeEmptyWordPaintList();
  return removed;
}

bool TCustomRVItemInfo::GetMisspelling(int Offs, int& MisOffs, int& MisLength) const {
  if (!WordPaintList) return false;
  for (int i = WordPaintList->Count() - 1; i >= 0; --i) {
    const TRVWordPainter* p = WordPaintList->Get(i);
    if (dynamic_cast<const TRVWordMisspellPainter*>(p) && p->StartOffs <= Offs && Offs <= p->StartOffs + p->Length) {
      MisOffs = p->StartOffs;
      MisLength = p->Length;
      return true;
    }
  }
  return false;
}

bool TCustomRVItemInfo::IsMisspelled(int Index) const {
  if (!WordPaintList) return false;
  for (int i = 0; i < WordPaintList->Count(); ++i) {
    const TRVWordPainter* p = WordPaintList->Get(i);
    if (dynamic_cast<const TRVWordMisspellPainter*>(p) && p->StartOffs <= Index && Index < p->StartOffs + p->Length)
      return true;
  }
  return false;
}

bool TCustomRVItemInfo::ValidateMisspelledWord(const TRVUnicodeString& AItemText, const TRVUnicodeString& AWord) {
  if (!WordPaintList) return false;
  bool removed = false;
  for (int i = WordPaintList->Count() - 1; i >= 0; --i) {
    const TRVWordPainter* p = WordPaintList->Get(i);
    if (!dynamic_cast<const TRVWordMisspellPainter*>(p) || p->StartOffs < 1) continue;
    const auto start = static_cast<std::size_t>(p->StartOffs - 1);
    if (start > AItemText.size()) continue;
    if (AItemText.substr(start, static_cast<std::size_t>(std::max(p->Length, 0))) == AWord) {
      WordPaintList->Delete(i);
      removed = true;
    }
  }
  FreeEmptyWordPaintList();
  return removed;
}

// ---- extra properties ----

void TCustomRVItemInfo::ReadRVFExtraPropertyLine(const TRVRawByteString& Line, bool UTF8Strings,
                                                 TRVCodePage CodePage) {
  const auto eq = Line.find('=');
  if (eq == TRVRawByteString::npos) return;
  const TRVRawByteString key = Line.substr(0, eq), value = Line.substr(eq + 1);
  if (const TRVExtraItemProperty ip = ExtraIntPropertyFromName(key); ip != rvepUnknown) {
    SetExtraIntProperty(ip, StrToIntDef(AnsiStringToUnicode(value), 0));
    return;
  }
  if (const TRVExtraItemStrProperty sp = ExtraStrPropertyFromName(key); sp != rvespUnknown) {
    SetExtraStrProperty(sp, DecodeRVFString(value, UTF8Strings, CodePage));
    return;
  }
  SetExtraCustomProperty(key, DecodeRVFString(value, UTF8Strings, CodePage));
}

bool TCustomRVItemInfo::SetExtraIntProperty(TRVExtraItemProperty, int) { return false; }
bool TCustomRVItemInfo::GetExtraIntProperty(TRVExtraItemProperty, int&) { return false; }

bool TCustomRVItemInfo::SetExtraIntPropertyEx(int Prop, int Value) {
  if (Prop >= 0 && Prop < RVExtraItemPropertyCount)
    return SetExtraIntProperty(static_cast<TRVExtraItemProperty>(Prop), Value);
  return false;
}

bool TCustomRVItemInfo::GetExtraIntPropertyEx(int Prop, int& Value) {
  if (Prop >= 0 && Prop < RVExtraItemPropertyCount)
    return GetExtraIntProperty(static_cast<TRVExtraItemProperty>(Prop), Value);
  return false;
}

bool TCustomRVItemInfo::SetExtraStrProperty(TRVExtraItemStrProperty Prop, const TRVUnicodeString& Value) {
  switch (Prop) {
    case rvespHint: Hint = Value; return true;
    case rvespTag: Tag = Value; return true;
    default: return false;
  }
}

bool TCustomRVItemInfo::GetExtraStrProperty(TRVExtraItemStrProperty Prop, TRVUnicodeString& Value) {
  switch (Prop) {
    case rvespHint: Value = Hint; return true;
    case rvespTag: Value = Tag; return true;
    default: return false;
  }
}

bool TCustomRVItemInfo::SetExtraStrPropertyEx(int Prop, const TRVUnicodeString& Value) {
  if (Prop >= 0 && Prop < RVExtraItemStrPropertyCount)
    return SetExtraStrProperty(static_cast<TRVExtraItemStrProperty>(Prop), Value);
  return false;
}

bool TCustomRVItemInfo::GetExtraStrPropertyEx(int Prop, TRVUnicodeString& Value) {
  Value.clear();
  if (Prop >= 0 && Prop < RVExtraItemStrPropertyCount)
    return GetExtraStrProperty(static_cast<TRVExtraItemStrProperty>(Prop), Value);
  return false;
}

int TCustomRVItemInfo::GetRVFExtraPropertyCount() { return Hint.empty() ? 0 : 1; }

void TCustomRVItemInfo::SaveRVFExtraProperties(TStream* Stream) {
  if (!Hint.empty()) WriteRVFExtraStrProperty(Stream, rvespHint, Hint);
}

// ---- virtual operations with behaviour ----

int TCustomRVItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas*, TCustomRVData*) {
  return sad ? ScreenToDeviceX(5, *sad) : 5;
}

bool TCustomRVItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const {
  switch (Prop) {
    case rvbpValid:
    case rvbpRequiresRVFLines:
    case rvbpSwitchToAssStyleNo:
    case rvbpDocXInRun: return true;
    default: return false;
  }
}

bool TCustomRVItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) {
  switch (Prop) {
    case rvbpPrintToBMP:
    case rvbpPrintSupportsMetafiles: return true;
    case rvbpPrintToBMPIfNoMetafiles: return GetBoolValueEx(rvbpPrintToBMP, ARVStyle);
    default: return false;
  }
}

bool TCustomRVItemInfo::ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int, int, int,
                                    TRVUnicodeString&, TRVFReadMode&, TRVFReadState&, bool UTF8Strings, bool&) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  ReadRVFExtraPropertyLine(s, UTF8Strings, st ? st->DefCodePage : 0);
  return true;
}

int TCustomRVItemInfo::GetImageWidthEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) {
  const int w = GetImageWidth(ARVStyle);
  return sad ? ScreenToDeviceX(w, *sad) : w;
}

int TCustomRVItemInfo::GetImageHeightEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) {
  const int h = GetImageHeight(ARVStyle);
  return sad ? ScreenToDeviceY(h, *sad) : h;
}

void TCustomRVItemInfo::Inserting(TCustomRVData* ARVData, TRVUnicodeString& AText, bool) {
  if (ARVData) ARVData->ItemAction(rviaInserting, this, AText, ARVData);
}

void TCustomRVItemInfo::Inserted(TCustomRVData* ARVData, int) {
  if (!ARVData) return;
  UpdateAnimator(ARVData);
  TRVUnicodeString empty;
  ARVData->ItemAction(rviaInserted, this, empty, ARVData);
}

TCursor TCustomRVItemInfo::GetHypertextCursor(TRVStyle* ARVStyle) { return ARVStyle ? ARVStyle->JumpCursor : crJump; }

void TCustomRVItemInfo::OnDocWidthChange(int, TRVDrawLineInfo*, TCanvas*, TCustomRVData*, const TRVScreenAndDevice*,
                                         int& HShift, int& Desc, const TRVDocWidthChangeStates&) {
  HShift = 0;
  Desc = 1;
}

int TCustomRVItemInfo::GetFinalPrintingWidth(TCanvas*, TRVDrawLineInfo* dli, TCustomRVData*, int, int,
                                             const TRVScreenAndDevice*) {
  return dli ? dli->GetObjectWidth() : 0;
}

void TCustomRVItemInfo::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCustomRVItemInfo*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src->ItemClass() == ItemClass()) StyleNo = src->StyleNo;
  ParaNo = src->ParaNo;
  ItemOptions = src->ItemOptions;
  Hint = src->Hint;
}

void TCustomRVItemInfo::MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject*) {
  if (ARVData) {
    TRVUnicodeString text = ItemNo >= 0 && ItemNo < ARVData->ItemCount() ? ARVData->GetItemTextW(ItemNo) : ItemText;
    ARVData->ItemAction(rviaMovingToUndoList, this, text, ARVData);
  }
  ClearWordPainters(0);
}

bool TCustomRVItemInfo::MouseMove(const TShiftState&, int, int, int ItemNo, TCustomRVData* ARVData) {
  if (!ARVData || !ARVData->GetOptions().Contains(rvoShowItemHints)) return false;
  TRVUnicodeString upper, hint;
  ARVData->GetItemHint(ARVData, -1, {}, upper);
  ARVData->GetAbsoluteRootData()->GetItemHint(ARVData, ItemNo, upper, hint);
  ARVData->SetControlHint(hint);
  return false;
}

void TCustomRVItemInfo::ApplyStyleConversion(TCustomRVData*, int, int UserData, int ConvType, bool Recursive) {
  if (Recursive) ApplyStyleConversionToSubRVDatas(UserData, false, ConvType);
}

void TCustomRVItemInfo::MarkStylesInUse(TRVDeleteUnusedStylesData* Data) { Data->MarkParaStyle(ParaNo); }

void TCustomRVItemInfo::UpdateStyles(TRVDeleteUnusedStylesData* Data) { ParaNo = Data->NewParaStyle(ParaNo); }

void TCustomRVItemInfo::ChangeParagraphStyles(const TRVIntegerList* ParaMapList, const TRVIntegerList* NewIndices,
                                              TRVIntegerList* OldIndices, int& Index) {
  if (ParaNo < 0) return;
  if (OldIndices) OldIndices->Add(ParaNo);
  if (ParaMapList) {
    if (ParaNo < ParaMapList->Count()) ParaNo = ParaMapList->Get(ParaNo);
  } else if (NewIndices && Index >= 0 && Index < NewIndices->Count()) {
    ParaNo = NewIndices->Get(Index);
  }
  ++Index;
}

void TCustomRVItemInfo::ChangeTextStyles(const TRVIntegerList* TextMapList, const TRVIntegerList* NewIndices,
                                         TRVIntegerList* OldIndices, int& Index) {
  const bool text = StyleNo >= 0;
  const int cur = text ? StyleNo : GetAssociatedTextStyleNo();
  if (cur == StyleNoFromParagraph || cur < 0) return;
  int v = cur;
  if (OldIndices) OldIndices->Add(cur);
  if (TextMapList) {
    if (cur < TextMapList->Count()) v = TextMapList->Get(cur);
  } else if (NewIndices && Index >= 0 && Index < NewIndices->Count()) {
    v = NewIndices->Get(Index);
  }
  if (text)
    StyleNo = v;
  else
    SetAssociatedTextStyleNo(v);
  ++Index;
}

// ---- registry ----------------------------------------------------------------------------------------------

namespace {
struct TViroZereItemTypeInfo {
  int StyleNo;
  TCustomRVItemInfoClass ItemClass;
};
std::vector<TViroZereItemTypeInfo>& Registry() {
  static std::vector<TViroZereItemTypeInfo> r;
  return r;
}
}  // namespace


void RegisterItemType(int StyleNo, TCustomRVItemInfoClass ItemClass) {
  auto& reg = Registry();
  if (StyleNo >= -9)
    throw EViroZereError("Can't register ViroZere item type - this StyleNo is already registered");
  for (const auto& row : reg) {
    if (row.StyleNo != StyleNo) continue;
    if (row.ItemClass == ItemClass) return;
    throw EViroZereError("Can't register ViroZere item type - this StyleNo is already registered");
  }
  reg.push_back({StyleNo, ItemClass});
}

void UnregisterItemType(TCustomRVItemInfoClass ItemClass) {
  auto& reg = Registry();
  reg.erase(std::remove_if(reg.begin(), reg.end(), [&](const auto& r) { return r.ItemClass == ItemClass; }),
            reg.end());
}

TCustomRVItemInfoClass BuiltInItemClass(int StyleNo);  // defined with the built-in classes

TCustomRVItemInfoClass ItemClassOfStyleNo(int StyleNo) {
  if (StyleNo >= 0) return TextItemClass;
  if (TCustomRVItemInfoClass c = BuiltInItemClass(StyleNo)) return c;
  for (const auto& row : Registry())
    if (row.StyleNo == StyleNo) return row.ItemClass;
  return nullptr;
}

std::unique_ptr<TCustomRVItemInfo> CreateItemByStyleNo(int StyleNo, TCustomRVData* ARVData) {
  TCustomRVItemInfoClass c = ItemClassOfStyleNo(StyleNo);
  if (!c) return nullptr;
  auto item = c->Create(ARVData);
  item->StyleNo = StyleNo;
  return item;
}
