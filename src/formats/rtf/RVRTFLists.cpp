// Lists in the RTF reader: old-style paragraph numbering ("\pn"), the list table and the list
// override table.
#include <algorithm>
#include <utility>

#include "formats/rtf/RVRTFListTables.h"
#include "formats/rtf/RVRTFReader.h"
#include "formats/rtf/RVRTFReaderState.h"
#include "platform/base/SysUtils.h"

namespace rvrtflists_detail {

// "\pnfs" and "\fs" give half points; markers keep points, halves to even.
int HalfPointsToPoints(int HalfPoints) { return static_cast<int>(Round(static_cast<long double>(HalfPoints) / 2)); }

}  // namespace rvrtflists_detail

// ---- markers ----

void TRVRTFCustomMarkerProperties::Reset() {
  FListType = rtf_pn_Default;
  FFontIndex = -1;
  FIndentTw = 0;
  FSpaceTw = 0;
  FStart = 0;
  FFontStyle.Clear();
  FColor = clWindowText;
  FAlignment = rtf_al_Left;
  FDefinedProperties.Clear();
  FFontSize = 12;
}

void TRVRTFCustomMarkerProperties::Assign(const TRVRTFCustomMarkerProperties& Source) {
  FListType = Source.FListType;
  FFontIndex = Source.FFontIndex;
  FIndentTw = Source.FIndentTw;
  FSpaceTw = Source.FSpaceTw;
  FStart = Source.FStart;
  FFontStyle = Source.FFontStyle;
  FColor = Source.FColor;
  FAlignment = Source.FAlignment;
  FDefinedProperties = Source.FDefinedProperties;
  FFontSize = Source.FFontSize;
}

void TRVRTFCustomMarkerProperties::AssignDefinedProperties(const TRVRTFCustomMarkerProperties& Source) {
  const TRVRTFMarkerProps& d = Source.FDefinedProperties;
  FDefinedProperties = d;
  if (d.Contains(rtfmp_ListType)) FListType = Source.FListType;
  if (d.Contains(rtfmp_Alignment)) FAlignment = Source.FAlignment;
  if (d.Contains(rtfmp_Indent)) FIndentTw = Source.FIndentTw;
  if (d.Contains(rtfmp_Space)) FSpaceTw = Source.FSpaceTw;
  if (d.Contains(rtfmp_Start)) FStart = Source.FStart;
  if (d.Contains(rtfmp_Color)) FColor = Source.FColor;
  if (d.Contains(rtfmp_FontIndex)) FFontIndex = Source.FFontIndex;
  if (d.Contains(rtfmp_Size)) FFontSize = Source.FFontSize;
  const std::pair<TRVRTFMarkerProp, TFontStyle> styles[] = {
      {rtfmp_Bold, fsBold}, {rtfmp_Italic, fsItalic}, {rtfmp_Underline, fsUnderline}, {rtfmp_StrikeOut, fsStrikeOut}};
  for (const auto& [prop, style] : styles)
    if (d.Contains(prop)) {
      if (Source.FFontStyle.Contains(style))
        FFontStyle.Include(style);
      else
        FFontStyle.Exclude(style);
    }
}

void TRVRTFCustomMarkerProperties::UpdateFrom(const TRVRTFCharProperties& CharProps) {
  if (!FDefinedProperties.Contains(rtfmp_Color)) FColor = CharProps.FColor;
  if (!FDefinedProperties.Contains(rtfmp_FontIndex)) FFontIndex = CharProps.FFontIndex;
  if (!FDefinedProperties.Contains(rtfmp_Size)) FFontSize = CharProps.FSizeDouble / 2;
  const std::pair<TRVRTFMarkerProp, TFontStyle> styles[] = {
      {rtfmp_Bold, fsBold}, {rtfmp_Italic, fsItalic}, {rtfmp_StrikeOut, fsStrikeOut}};
  for (const auto& [prop, style] : styles)
    if (!FDefinedProperties.Contains(prop)) {
      if (CharProps.FStyle.Contains(style))
        FFontStyle.Include(style);
      else
        FFontStyle.Exclude(style);
    }
}

TRVRTFMarkerProperties::TRVRTFMarkerProperties() { Reset(); }

void TRVRTFMarkerProperties::Reset() {
  TRVRTFCustomMarkerProperties::Reset();
  FLevel = 0;
  FHanging = false;
  FTextAfter.clear();
  FTextBefore.clear();
}

void TRVRTFMarkerProperties::Assign(const TRVRTFCustomMarkerProperties& Source) {
  TRVRTFCustomMarkerProperties::Assign(Source);
  if (const auto* m = dynamic_cast<const TRVRTFMarkerProperties*>(&Source)) {
    FLevel = m->FLevel;
    FHanging = m->FHanging;
    FTextAfter = m->FTextAfter;
    FTextBefore = m->FTextBefore;
  }
}

TRVRTFListLevel97::TRVRTFListLevel97() { Reset(); }

void TRVRTFListLevel97::Reset() {
  TRVRTFCustomMarkerProperties::Reset();
  FDefinedProperties97.Clear();
  FOldStyle = FLegal = FNoRestart = false;
  FText.clear();
  FNumbers.clear();
  FFollow = rtf_lf_Tab;
  FLeftIndentTw = FFirstIndentTw = 0;
  FTabPosTw = -1000;
  FFontSizeDefined = false;
  FIndentsUpdated = false;
}

void TRVRTFListLevel97::Assign(const TRVRTFCustomMarkerProperties& Source) {
  TRVRTFCustomMarkerProperties::Assign(Source);
  if (const auto* l = dynamic_cast<const TRVRTFListLevel97*>(&Source)) {
    FDefinedProperties97 = l->FDefinedProperties97;
    FOldStyle = l->FOldStyle;
    FLegal = l->FLegal;
    FNoRestart = l->FNoRestart;
    FText = l->FText;
    FNumbers = l->FNumbers;
    FFollow = l->FFollow;
    FLeftIndentTw = l->FLeftIndentTw;
    FFirstIndentTw = l->FFirstIndentTw;
    FTabPosTw = l->FTabPosTw;
    FIndentsUpdated = l->FIndentsUpdated;
  }
}

void TRVRTFListLevel97::AssignDefinedProperties(const TRVRTFCustomMarkerProperties& Source) {
  TRVRTFCustomMarkerProperties::AssignDefinedProperties(Source);
  const auto* l = dynamic_cast<const TRVRTFListLevel97*>(&Source);
  if (!l) return;
  const TRVRTFMarkerProps97& d = l->FDefinedProperties97;
  FDefinedProperties97 = d;
  if (d.Contains(rtfmp_OldStyle)) FOldStyle = l->FOldStyle;
  if (d.Contains(rtfmp_Legal)) FLegal = l->FLegal;
  if (d.Contains(rtfmp_NoRestart)) FNoRestart = l->FNoRestart;
  if (d.Contains(rtfmp_Text)) FText = l->FText;
  if (d.Contains(rtfmp_Numbers)) FNumbers = l->FNumbers;
  if (d.Contains(rtfmp_Follow)) FFollow = l->FFollow;
  if (d.Contains(rtfmp_LeftIndent)) FLeftIndentTw = l->FLeftIndentTw;
  if (d.Contains(rtfmp_FirstIndent)) FFirstIndentTw = l->FFirstIndentTw;
  if (d.Contains(rtfmp_TabPos)) FTabPosTw = l->FTabPosTw;
  FIndentsUpdated = l->FIndentsUpdated;
}

// ---- the list table ----

TRVRTFListLevel97* TRVRTFList97::AddNew() {
  auto* level = new TRVRTFListLevel97;
  Add(level);
  return level;
}

TRVRTFListLevel97* TRVRTFList97::Get(int Index) {
  if (Index >= Count() && Index < MaxLevelCount && Count() > 0) {
    const TRVRTFListLevel97* last = Items(Count() - 1);
    const int lastIndex = Count() - 1;
    while (Count() <= Index) {
      auto* level = new TRVRTFListLevel97;
      level->Assign(*last);
      level->FLeftIndentTw = last->FLeftIndentTw + 720 * (Count() - lastIndex);
      level->FIndentsUpdated = false;
      Add(level);
    }
  }
  return Items(Index);  // raises for an index that is still outside the list
}

TRVRTFList97* TRVRTFListTable97::AddNew() {
  auto* list = new TRVRTFList97;
  Add(list);
  return list;
}

TRVRTFList97* TRVRTFListTable97::GetLastList() const { return Count() > 0 ? Get(Count() - 1) : nullptr; }

int TRVRTFListTable97::FindListById(int Id) const {
  for (int i = 0; i < Count(); ++i)
    if (Get(i)->FId == Id) return i;
  return -1;
}

// ---- the list override table ----

TRVRTFListOverrideLevel97::~TRVRTFListOverrideLevel97() { delete FListLevel; }

TRVRTFListLevel97* TRVRTFListOverrideLevel97::ListLevel() {
  if (!FListLevel) FListLevel = new TRVRTFListLevel97;
  return FListLevel;
}

TRVRTFListOverrideLevel97* TRVRTFListOverride97::AddNew() {
  auto* level = new TRVRTFListOverrideLevel97;
  Add(level);
  return level;
}

TRVRTFListOverrideLevel97* TRVRTFListOverride97::GetLastLevel() const {
  return Count() > 0 ? Get(Count() - 1) : nullptr;
}

bool TRVRTFListOverride97::HasFormatOverride() const {
  for (int i = 0; i < Count(); ++i)
    if (Get(i)->FOverrideFormat) return true;
  return false;
}

TRVRTFListOverride97* TRVRTFListOverrideTable97::AddNew() {
  auto* o = new TRVRTFListOverride97;
  Add(o);
  return o;
}

TRVRTFListOverride97* TRVRTFListOverrideTable97::GetLastOverride() const {
  return Count() > 0 ? Get(Count() - 1) : nullptr;
}

int TRVRTFListOverrideTable97::FindByNumber(int Number) const {
  // Paragraphs name the same few overrides again and again: the last answer is checked first.
  if (FLastFound >= 0 && FLastFound < Count() && Get(FLastFound)->FNumber == Number) return FLastFound;
  for (int i = 0; i < Count(); ++i)
    if (Get(i)->FNumber == Number) return FLastFound = i;
  return -1;
}

// ---- the reader's list handling ----

namespace rvrtflists_detail {

// Section levels of "\pnseclvl" and "\pnlvl": 1 to 9, 10 the body level, 11 the bullet level.
constexpr int MaxPNLevel = 11;

void SetStyle(TRVRTFCustomMarkerProperties& m, TFontStyle Style, bool On) {
  if (On)
    m.FFontStyle.Include(Style);
  else
    m.FFontStyle.Exclude(Style);
}

}  // namespace rvrtflists_detail

void TRVRTFReader::CreateListsFromOverrides() {
  for (int i = 0; i < FListOverrideTable->Count(); ++i) {
    TRVRTFListOverride97* o = FListOverrideTable->Get(i);
    if (!o->HasFormatOverride() || o->FListIndex < 0 || o->FListIndex >= FListTable->Count()) continue;
    const TRVRTFList97* base = FListTable->Get(o->FListIndex);
    TRVRTFList97* list = FListTable->AddNew();
    for (int j = 0; j < base->Count(); ++j) list->AddNew()->Assign(*base->Items(j));
    const int n = std::min(o->Count(), list->Count());
    for (int a = 0; a < n; ++a) {
      TRVRTFListOverrideLevel97* level = o->Get(a);
      if (level->FOverrideFormat) list->Items(a)->AssignDefinedProperties(*level->ListLevel());
    }
    o->FListIndex = FListTable->Count() - 1;
  }
}

// The level that list-level words and texts act on, nullptr when the tables hold none (a nested
// "\listtable" or "\listoverridetable" may have emptied them).
TRVRTFListLevel97* TRVRTFReader::CurrentListLevel(bool InOverride) const {
  if (InOverride) {
    TRVRTFListOverride97* o = FListOverrideTable->GetLastOverride();
    TRVRTFListOverrideLevel97* level = o ? o->GetLastLevel() : nullptr;
    return level ? level->ListLevel() : nullptr;
  }
  TRVRTFList97* list = FListTable->GetLastList();
  return list && list->Count() > 0 ? list->Items(list->Count() - 1) : nullptr;
}

TRVRTFErrorCode TRVRTFReader::EnterListDestination(int Dest, int Param) {
  TRVRTFReaderState& st = *FRTFState;
  const TRTFrds rds = st.rds;
  switch (Dest) {
    case 30:
    case 31: st.rds = rds == rdsPN ? (Dest == 30 ? rdsPNTextAfter : rdsPNTextBefore) : rdsSkip; break;
    case 32:
      delete FMarkerProps;
      FMarkerProps = nullptr;
      FMarkerProps = new TRVRTFMarkerProperties;
      st.rds = rdsPN;
      break;
    case 33:
      // Only section levels 1 to 11 exist; the group of any other is skipped.
      if (Param < 1 || Param > rvrtflists_detail::MaxPNLevel) {
        st.rds = rdsSkip;
        break;
      }
      FCurPNSecLvl = Param;
      st.rds = rdsPNSecLvl;
      break;
    case 34:
      FListTable->Clear();
      st.rds = rdsListTable;
      break;
    case 35:
      if (rds == rdsListTable) {
        FListTable->AddNew();
        st.rds = rdsList;
      } else
        st.rds = rdsSkip;
      break;
    case 36:
      if (rds == rdsList) st.rds = rdsListName;
      break;
    case 37:
      if (rds == rdsList) {
        // A list has at most nine levels; the groups of further levels are skipped.
        TRVRTFList97* list = FListTable->GetLastList();
        if (list && list->Count() < TRVRTFList97::MaxLevelCount) {
          list->AddNew();
          st.rds = rdsListLevel;
        } else
          st.rds = rdsSkip;
      } else if (rds == rdsLOLevel)
        st.rds = rdsLOListLevel;
      else
        st.rds = rdsSkip;
      break;
    case 38:
    case 39: {
      const bool text = Dest == 38;
      TRVRTFListLevel97* level = nullptr;
      if (rds == rdsListLevel || rds == rdsLOListLevel) level = CurrentListLevel(rds == rdsLOListLevel);
      if (!level) {
        st.rds = rdsSkip;
        break;
      }
      level->FDefinedProperties97.Include(text ? rtfmp_Text : rtfmp_Numbers);
      if (rds == rdsListLevel)
        st.rds = text ? rdsListLevelText : rdsListLevelNumbers;
      else
        st.rds = text ? rdsLOListLevelText : rdsLOListLevelNumbers;
      break;
    }
    case 40:
      FListOverrideTable->Clear();
      st.rds = rdsLOTable;
      break;
    case 41:
      if (rds == rdsLOTable) {
        FListOverrideTable->AddNew();
        st.rds = rdsLO;
      } else
        st.rds = rdsSkip;
      break;
    case 42:
      if (rds == rdsLO && FListOverrideTable->GetLastOverride()) {
        FListOverrideTable->GetLastOverride()->AddNew();
        st.rds = rdsLOLevel;
      } else
        st.rds = rdsSkip;
      break;
    default: return rtf_ec_BadTable;
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::LeaveListDestination(TRTFrds Rds) {
  const bool inOverride = Rds == rdsLOListLevelText || Rds == rdsLOListLevelNumbers;
  TRVRTFListLevel97* level = CurrentListLevel(inOverride);
  if (!level) return rtf_ec_OK;
  // The first character (byte) is the length of what follows it.
  if (Rds == rdsListLevelText || Rds == rdsLOListLevelText) {
    if (!level->FText.empty()) {
      const std::size_t len = static_cast<std::size_t>(level->FText[0]) + 1;
      if (level->FText.size() > len) level->FText.resize(len);
    }
  } else if (Rds == rdsListLevelNumbers || Rds == rdsLOListLevelNumbers) {
    if (!level->FNumbers.empty()) {
      const std::size_t len = static_cast<std::size_t>(static_cast<unsigned char>(level->FNumbers[0])) + 1;
      if (level->FNumbers.size() > len) level->FNumbers.resize(len);
    }
  }
  return rtf_ec_OK;
}

// The words of a "\pn" group or of a section level default ("\pnseclvl").
void TRVRTFReader::ApplyOldListProperty(TRVRTFMarkerProperties& m, TRVList* SectionDefaults, int Idx, int Value) {
  using namespace rvrtflists_detail;
  switch (Idx) {
    case 110:
      // Levels outside 1 to 11 name no section default and no level: the word is ignored.
      if (Value < 1 || Value > MaxPNLevel) break;
      if (SectionDefaults) {
        auto* def = static_cast<TRVRTFMarkerProperties*>(SectionDefaults->Get(Value - 1));
        if (def != &m) m.Assign(*def);
      }
      m.FLevel = Value;
      break;
    case 111: m.FHanging = true; break;
    case 112:
      if (Value >= rtf_pn_Decimal && Value <= rtf_pn_UpperRoman) m.FListType = static_cast<TRVRTFParaListType>(Value);
      break;
    case 113:
      SetStyle(m, fsBold, Value != 0);
      m.FDefinedProperties.Include(rtfmp_Bold);
      break;
    case 114:
      SetStyle(m, fsItalic, Value != 0);
      m.FDefinedProperties.Include(rtfmp_Italic);
      break;
    case 115:
      SetStyle(m, fsUnderline, Value != 0);
      m.FDefinedProperties.Include(rtfmp_Underline);
      break;
    case 116:
      SetStyle(m, fsStrikeOut, Value != 0);
      m.FDefinedProperties.Include(rtfmp_StrikeOut);
      break;
    case 117:
      GetTableColor(Value, m.FColor);
      m.FDefinedProperties.Include(rtfmp_Color);
      break;
    case 118:
      m.FFontIndex = GetFontIndexOfNumber(Value);
      m.FDefinedProperties.Include(rtfmp_FontIndex);
      break;
    case 119:
      m.FFontSize = HalfPointsToPoints(Value);
      m.FDefinedProperties.Include(rtfmp_Size);
      break;
    case 120: m.FIndentTw = Value; break;
    case 121: m.FSpaceTw = Value; break;
    case 122:
      if (Value >= rtf_al_Left && Value <= rtf_al_Center) m.FAlignment = static_cast<TRVRTFAlignment>(Value);
      break;
    case 123:
      m.FStart = Value;
      m.FDefinedProperties.Include(rtfmp_Start);
      break;
    default: break;
  }
}

// The words of a list level, in the list table or in an override level.
void TRVRTFReader::ApplyListLevelProperty(TRVRTFListLevel97& l, int Idx, int Value) {
  using namespace rvrtflists_detail;
  switch (Idx) {
    case 1:
      SetStyle(l, fsBold, Value != 0);
      l.FDefinedProperties.Include(rtfmp_Bold);
      break;
    case 2:
      SetStyle(l, fsItalic, Value != 0);
      l.FDefinedProperties.Include(rtfmp_Italic);
      break;
    case 3:
      SetStyle(l, fsStrikeOut, Value != 0);
      l.FDefinedProperties.Include(rtfmp_StrikeOut);
      break;
    case 4:
      SetStyle(l, fsUnderline, Value != 0);
      l.FDefinedProperties.Include(rtfmp_Underline);
      break;
    case 14:
      l.FFontSize = HalfPointsToPoints(Value);
      l.FFontSizeDefined = true;
      l.FDefinedProperties.Include(rtfmp_Size);
      break;
    case 15:
      if (GetTableColor(Value, l.FColor)) l.FDefinedProperties.Include(rtfmp_Color);
      break;
    case 52:
      l.FFontIndex = GetFontIndexOfNumber(Value);
      l.FDefinedProperties.Include(rtfmp_FontIndex);
      break;
    case 53:
      if (l.FFontIndex < 0) l.FFontIndex = GetFontIndexOfNumber(Value);
      break;
    case 23:
      l.FLeftIndentTw = Value;
      l.FDefinedProperties97.Include(rtfmp_LeftIndent);
      break;
    case 25:
      l.FFirstIndentTw = Value;
      l.FDefinedProperties97.Include(rtfmp_FirstIndent);
      break;
    case 76:
      l.FTabPosTw = Value;
      l.FDefinedProperties97.Include(rtfmp_TabPos);
      break;
    case 129:
      l.FStart = Value;
      l.FDefinedProperties.Include(rtfmp_Start);
      break;
    case 130:
      switch (Value) {
        case 1: l.FListType = rtf_pn_UpperRoman; break;
        case 2: l.FListType = rtf_pn_LowerRoman; break;
        case 3: l.FListType = rtf_pn_UpperLetter; break;
        case 4: l.FListType = rtf_pn_LowerLetter; break;
        case 23: l.FListType = rtf_pn_Bullet; break;
        default: l.FListType = rtf_pn_Decimal; break;
      }
      l.FDefinedProperties.Include(rtfmp_ListType);
      break;
    case 131:
      if (Value == 0)
        l.FAlignment = rtf_al_Left;
      else if (Value == 1)
        l.FAlignment = rtf_al_Center;
      else if (Value == 2)
        l.FAlignment = rtf_al_Right;
      l.FDefinedProperties.Include(rtfmp_Alignment);
      break;
    case 132:
      l.FOldStyle = Value != 0;
      l.FDefinedProperties97.Include(rtfmp_OldStyle);
      break;
    case 133:
      l.FIndentTw = Value;
      l.FDefinedProperties.Include(rtfmp_Indent);
      break;
    case 134:
      l.FSpaceTw = Value;
      l.FDefinedProperties.Include(rtfmp_Space);
      break;
    case 135:
      // Only tab, space and nothing exist; another value leaves the level as it was.
      if (Value >= rtf_lf_Tab && Value <= rtf_lf_None) {
        l.FFollow = static_cast<TRVRTFLevelFollow97>(Value);
        l.FDefinedProperties97.Include(rtfmp_Follow);
      }
      break;
    case 136:
      l.FLegal = Value != 0;
      l.FDefinedProperties97.Include(rtfmp_Legal);
      break;
    case 137:
      l.FNoRestart = Value != 0;
      l.FDefinedProperties97.Include(rtfmp_NoRestart);
      break;
    default: break;
  }
}

TRVRTFErrorCode TRVRTFReader::ApplyListDestinationProperty(int Idx, int Value) {
  TRVRTFReaderState& st = *FRTFState;
  switch (st.rds) {
    case rdsPN:
      if (FMarkerProps) ApplyOldListProperty(*FMarkerProps, st.SectProps()->FDefMarkerPropsList, Idx, Value);
      break;
    case rdsPNSecLvl:
      if (FCurPNSecLvl >= 1 && FCurPNSecLvl <= rvrtflists_detail::MaxPNLevel) {
        // A section default is set in a group of its own and must outlive it: it goes to the
        // section of the group around the "\pnseclvl" groups too, which the group's end restores.
        TRVRTFSectionProperties* sections[2] = {st.SectProps(), nullptr};
        for (int i = SaveList.Count() - 1; i >= 0; --i) {
          auto* saved = static_cast<TRVRTFReaderState*>(SaveList.Get(i));
          if (saved->rds != rdsPNSecLvl) {
            sections[1] = saved->SectProps();
            break;
          }
        }
        for (TRVRTFSectionProperties* sect : sections) {
          if (!sect) continue;
          TRVList* defaults = sect->DefMarkerPropsList();
          ApplyOldListProperty(*static_cast<TRVRTFMarkerProperties*>(defaults->Get(FCurPNSecLvl - 1)), defaults, Idx,
                               Value);
        }
      }
      break;
    case rdsList:
      if (TRVRTFList97* list = FListTable->GetLastList()) {
        if (Idx == 125)
          list->FId = Value;
        else if (Idx == 127)
          list->FSimple = Value != 0;
      }
      break;
    case rdsListLevel:
    case rdsLOListLevel:
      if (TRVRTFListLevel97* level = CurrentListLevel(st.rds == rdsLOListLevel))
        ApplyListLevelProperty(*level, Idx, Value);
      break;
    case rdsLO:
      if (TRVRTFListOverride97* o = FListOverrideTable->GetLastOverride()) {
        if (Idx == 125)
          o->FListIndex = FListTable->FindListById(Value);
        else if (Idx == 138)
          o->FOverrideCount = Value;
        else if (Idx == 139)
          o->FNumber = Value;
      }
      break;
    case rdsLOLevel: {
      TRVRTFListOverride97* o = FListOverrideTable->GetLastOverride();
      if (TRVRTFListOverrideLevel97* level = o ? o->GetLastLevel() : nullptr) {
        if (Idx == 129)
          level->FStart = Value;
        else if (Idx == 140)
          level->FUseStart = true;
        else if (Idx == 142)
          level->FOverrideFormat = true;
      }
      break;
    }
    default: break;
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyParaListProperty(int Idx, int Value) {
  TRVRTFParaProperties& para = *FRTFState->ParaProps();
  switch (Idx) {
    case 124:
      // Section defaults are set in the body only; elsewhere the word would take the group's
      // text away from the destination it belongs to.
      if (FRTFState->rds == rdsNorm) return EnterListDestination(33, Value);
      break;
    case 139: para.FListOverrideIndex = FListOverrideTable->FindByNumber(Value); break;
    case 141:
      // A list has levels 0 to 8: deeper or negative levels are held at the nearest one.
      para.FListLevel = std::clamp(Value, 0, TRVRTFList97::MaxLevelCount - 1);
      break;
    default: break;  // "\af" outside list levels
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ProcessListChar(unsigned char ch) {
  const TRTFrds rds = FRTFState->rds;
  switch (rds) {
    case rdsPNTextAfter:
    case rdsPNTextBefore:
      if (FMarkerProps) {
        const TRVUnicodeString s = AnsiToUnicode(TRVAnsiString(1, static_cast<char>(ch)), GetCurrentCodePage());
        (rds == rdsPNTextAfter ? FMarkerProps->FTextAfter : FMarkerProps->FTextBefore) += s;
      }
      break;
    case rdsListName:
      if (TRVRTFList97* list = FListTable->GetLastList()) list->FName.push_back(static_cast<char>(ch));
      break;
    case rdsListLevelText:
    case rdsLOListLevelText:
      if (TRVRTFListLevel97* level = CurrentListLevel(rds == rdsLOListLevelText))
        level->FText += AnsiToUnicode(TRVAnsiString(1, static_cast<char>(ch)), GetCurrentCodePage());
      break;
    case rdsListLevelNumbers:
    case rdsLOListLevelNumbers:
      if (TRVRTFListLevel97* level = CurrentListLevel(rds == rdsLOListLevelNumbers))
        level->FNumbers.push_back(static_cast<char>(ch));
      break;
    default: break;
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::AppendListWideChar(TRVUnicodeChar ch) {
  const TRTFrds rds = FRTFState->rds;
  switch (rds) {
    case rdsPNTextAfter:
    case rdsPNTextBefore:
      if (FMarkerProps) (rds == rdsPNTextAfter ? FMarkerProps->FTextAfter : FMarkerProps->FTextBefore) += ch;
      break;
    case rdsListLevelText:
    case rdsLOListLevelText:
      if (TRVRTFListLevel97* level = CurrentListLevel(rds == rdsLOListLevelText)) level->FText += ch;
      break;
    default: break;
  }
  return rtf_ec_OK;
}

void TRVRTFReader::EndPNGroup() {
  if (!FMarkerProps) return;
  FRTFState->ParaProps()->MarkerProps()->Assign(*FMarkerProps);
  delete FMarkerProps;
  FMarkerProps = nullptr;
}
