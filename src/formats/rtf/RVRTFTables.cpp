// Tables and borders in the RTF reader: border sides, cell and row definitions, table nesting and
// the table events.
#include <algorithm>
#include <climits>

#include "formats/rtf/RVRTFReader.h"
#include "formats/rtf/RVRTFReaderState.h"
#include "formats/rtf/RVRTFTableProps.h"

// ---- TRVRTFBorderSide ----

TRVRTFBorderSide::TRVRTFBorderSide() = default;

void TRVRTFBorderSide::Reset() {
  FBorderType = rtf_brdr_None;
  FWidthTw = 0;
  FColor = clNone;
  FSpaceTw = 0;
}

void TRVRTFBorderSide::Assign(const TRVRTFBorderSide& Source) {
  FBorderType = Source.FBorderType;
  FWidthTw = Source.FWidthTw;
  FColor = Source.FColor;
  FSpaceTw = Source.FSpaceTw;
}

int TRVRTFBorderSide::GetTotalBorderWidthTw() const {
  // Widths come from the file: computed in 64 bits and kept within an int.
  const long long w = FWidthTw;
  long long total;
  switch (FBorderType) {
    case rtf_brdr_None:
    case rtf_brdr_DoubleWavy: total = 0; break;
    case rtf_brdr_DoubleThickness:
    case rtf_brdr_ThickThinMed:
    case rtf_brdr_ThinThickMed: total = 2 * w; break;
    case rtf_brdr_Double:
    case rtf_brdr_ThinThickThinMed: total = 3 * w; break;
    case rtf_brdr_Hairline: total = 1; break;
    case rtf_brdr_Triple: total = 5 * w; break;
    case rtf_brdr_ThickThinSmall:
    case rtf_brdr_ThinThickSmall: total = w + 30; break;
    case rtf_brdr_ThinThickThinSmall: total = w + 60; break;
    case rtf_brdr_ThickThinLarge:
    case rtf_brdr_ThinThickLarge: total = w + 45; break;
    case rtf_brdr_ThinThickThinLarge: total = 2 * w + 60; break;
    default: total = w; break;
  }
  return static_cast<int>(std::clamp<long long>(total, INT_MIN, INT_MAX));
}

int TRVRTFBorderSide::GetAdditionalSpaceTw() const {
  if (FBorderType == rtf_brdr_None) return 0;
  return static_cast<int>(
      std::clamp<long long>(static_cast<long long>(GetTotalBorderWidthTw()) + FSpaceTw, INT_MIN, INT_MAX));
}

// ---- TRVRTFParaBorder ----

TRVRTFParaBorder::~TRVRTFParaBorder() {
  for (TRVRTFBorderSide*& s : FSides) {
    delete s;
    s = nullptr;
  }
}

TRVRTFBorderSide* TRVRTFParaBorder::GetSides(TRVRTFSide Side) {
  TRVRTFBorderSide*& s = FSides[Side & 3];
  if (!s) s = new TRVRTFBorderSide;
  return s;
}

TRVRTFBorderSide* TRVRTFParaBorder::FindSide(TRVRTFSide Side) const { return FSides[Side & 3]; }

void TRVRTFParaBorder::Assign(const TRVRTFParaBorder& Source) {
  for (int i = 0; i < 4; ++i) {
    if (Source.FSides[i]) {
      if (!FSides[i]) FSides[i] = new TRVRTFBorderSide;
      FSides[i]->Assign(*Source.FSides[i]);
    } else {
      delete FSides[i];
      FSides[i] = nullptr;
    }
  }
}

void TRVRTFParaBorder::Reset() {
  for (TRVRTFBorderSide* s : FSides)
    if (s) s->Reset();
}

// ---- TRVRTFCellProperties ----

TRVRTFCellProperties::TRVRTFCellProperties() : FBorder(new TRVRTFParaBorder) {}

TRVRTFCellProperties::~TRVRTFCellProperties() { delete FBorder; }

void TRVRTFCellProperties::Reset() {
  FHMerge = FVMerge = rtf_cm_None;
  FBestWidth = 0;
  FColor = clNone;
  FVAlign = rtf_val_Top;
  FBorder->Reset();
  FCurBorderSide = rtf_side_Left;
  FRightBoundaryTw = 0;
  ForeColor = 0;
  FTextFlow = rtf_ctf_Normal;
  Shading = 0;
  BestHeightTw = 0;
}

void TRVRTFCellProperties::Assign(const TRVRTFCellProperties& Source) {
  FHMerge = Source.FHMerge;
  FVMerge = Source.FVMerge;
  FBestWidth = Source.FBestWidth;
  FColor = Source.FColor;
  FVAlign = Source.FVAlign;
  FBorder->Assign(*Source.FBorder);
  FCurBorderSide = Source.FCurBorderSide;
  FRightBoundaryTw = Source.FRightBoundaryTw;
  ForeColor = Source.ForeColor;
  FTextFlow = Source.FTextFlow;
  Shading = Source.Shading;
  BestHeightTw = Source.BestHeightTw;
}

TRVRTFCellProperties* TRVRTFCellPropsList::AddNew() {
  auto* cell = new TRVRTFCellProperties;
  Add(cell);
  return cell;
}

void TRVRTFCellPropsList::AssignItems(const TRVRTFCellPropsList& Source) {
  Clear();
  for (int i = 0; i < Source.Count(); ++i) AddNew()->Assign(*Source.Get(i));
}

// ---- TRVRTFRowProperties ----

TRVRTFRowProperties::TRVRTFRowProperties()
    : FBorder(new TRVRTFParaBorder), FCellProps(std::make_shared<TRVRTFCellPropsList>()) {
  FCellProps->AddNew();
}

TRVRTFRowProperties::~TRVRTFRowProperties() { delete FBorder; }

TRVRTFCellPropsList* TRVRTFRowProperties::EditCellProps() {
  if (FCellProps.use_count() > 1) {
    auto own = std::make_shared<TRVRTFCellPropsList>();
    own->AssignItems(*FCellProps);
    FCellProps = std::move(own);
  }
  return FCellProps.get();
}

void TRVRTFRowProperties::Reset() {
  InvertWidth = false;
  FHeading = FLastRow = false;
  FGapHTw = FLeftTw = FHeightTw = FBestWidth = 0;
  FBorder->Reset();
  FCurBorderSide = rtf_side_Left;
  FCellProps = std::make_shared<TRVRTFCellPropsList>();
  FCellProps->AddNew();
  NewCellProps = true;
  AssumedLastCell = true;
  FAlignment = rtf_al_Left;
  FAlignmentDefined = false;
  FKeepTogether = false;
  ViroZereSpecial = false;
  for (int i = 0; i < 4; ++i) {
    FPaddingTw[i] = FSpacingTw[i] = 0;
    FUsePadding[i] = FUseSpacing[i] = false;
  }
}

void TRVRTFRowProperties::Assign(const TRVRTFRowProperties& Source) {
  InvertWidth = Source.InvertWidth;
  FHeading = Source.FHeading;
  FLastRow = Source.FLastRow;
  FGapHTw = Source.FGapHTw;
  FLeftTw = Source.FLeftTw;
  FHeightTw = Source.FHeightTw;
  FBestWidth = Source.FBestWidth;
  FBorder->Assign(*Source.FBorder);
  FCurBorderSide = Source.FCurBorderSide;
  FCellProps = Source.FCellProps;
  NewCellProps = Source.NewCellProps;
  AssumedLastCell = Source.AssumedLastCell;
  FAlignment = Source.FAlignment;
  FAlignmentDefined = Source.FAlignmentDefined;
  FKeepTogether = Source.FKeepTogether;
  ViroZereSpecial = Source.ViroZereSpecial;
  for (int i = 0; i < 4; ++i) {
    FPaddingTw[i] = Source.FPaddingTw[i];
    FSpacingTw[i] = Source.FSpacingTw[i];
    FUsePadding[i] = Source.FUsePadding[i];
    FUseSpacing[i] = Source.FUseSpacing[i];
  }
}

// ---- the reader's table handling ----

namespace rvrtftables_detail {

// Values from the file are any Integer: negation and scaling saturate instead of overflowing.
int Negated(int v) { return v == INT_MIN ? INT_MAX : -v; }
int Saturated(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

// The custom width words give pixels, 15 twips each, when 1 or more.
int PixelsToTwips(int v) { return v >= 1 ? Saturated(static_cast<long long>(v) * 15) : v; }

// "\trftsWidth" and "\clftsWidth": 2 is a percentage (the width is kept negated), 3 twips, any
// other unit automatic.
void ApplyWidthUnit(bool& InvertWidth, int& BestWidth, int Unit) {
  if (Unit == 2) {
    if (!InvertWidth) BestWidth = Negated(BestWidth);
    InvertWidth = true;
  } else if (Unit != 3)
    BestWidth = 0;
}

}  // namespace rvrtftables_detail

bool TRVRTFReader::DoTable(TRVRTFTableEventKind Kind) {
  DoUpdateMarker();
  bool processed = true;
  if (OnTable) OnTable(this, Kind, processed);
  AfterTableRow = Kind == rvf_tbl_TableEnd || Kind == rvf_tbl_TableForcedEnd || Kind == rvf_tbl_RowEnd;
  return processed;
}

void TRVRTFReader::UpdateTableNesting(bool Full) {
  Full = Full && !FRTFState->ParaProps()->NoTableEv;
  const int level = ParaTableLevel();
  int result = CurrentNestingLevel;
  if (level > CurrentNestingLevel) {
    for (int i = CurrentNestingLevel; i < level; ++i) DoTable(rvf_tbl_TableStart);
    result = level;
  }
  if (Full && level < CurrentNestingLevel) {
    for (int n = CurrentNestingLevel; n > level; --n) {
      if (!DoTable(rvf_tbl_TableEnd)) break;
      result = n - 1;
    }
  }
  CurrentNestingLevel = result;
}

void TRVRTFReader::CloseNoteTables() {
  while (CurrentNestingLevel > 0) {
    if (!DoTable(rvf_tbl_TableEnd)) break;
    --CurrentNestingLevel;
  }
  CurrentNestingLevel = ParaTableLevel();
}

void TRVRTFReader::CloseAllTables() {
  for (int n = CurrentNestingLevel; n > 0; --n)
    if (!DoTable(rvf_tbl_TableEnd)) break;
  CurrentNestingLevel = 0;
}

TRVRTFBorderSide* TRVRTFReader::CurrentBorderSide() {
  TRVRTFReaderState& st = *FRTFState;
  switch (st.FCurrentBorderType) {
    case rtf_bt_Para: {
      TRVRTFParaProperties& para = *st.ParaProps();
      return para.FCurBorderSide == rtf_side_All ? nullptr : para.Border()->GetSides(para.FCurBorderSide);
    }
    case rtf_bt_Row: {
      TRVRTFRowProperties& row = *st.RowProps();
      return row.Border()->GetSides(row.FCurBorderSide);
    }
    case rtf_bt_Cell: {
      TRVRTFCellProperties* cell = LastCell();
      return cell->Border()->GetSides(cell->FCurBorderSide);
    }
    default: return nullptr;
  }
}

TRVRTFCellProperties* TRVRTFReader::LastCell() {
  TRVRTFCellPropsList& cells = *FRTFState->RowProps()->EditCellProps();
  if (cells.Count() == 0) cells.AddNew();
  return cells.Get(cells.Count() - 1);
}

TRVRTFErrorCode TRVRTFReader::ApplyBorderProperty(int Idx, int Value) {
  TRVRTFReaderState& st = *FRTFState;
  TRVRTFCharProperties& chr = *st.CharProps();
  const bool para = st.FCurrentBorderType == rtf_bt_Para, character = st.FCurrentBorderType == rtf_bt_Char;
  auto allParaSides = [&](auto&& f) {
    for (TRVRTFSide side : {rtf_side_Left, rtf_side_Top, rtf_side_Right, rtf_side_Bottom})
      f(*st.ParaProps()->Border()->GetSides(side));
  };
  switch (Idx) {
    case 57: st.FCurrentBorderType = rtf_bt_Char; break;
    case 58: {
      if (Value < rtf_brdr_None || Value > rtf_brdr_Outset) break;
      const auto type = static_cast<TRVRTFBorderType>(Value);
      auto setType = [type](TRVRTFBorderType& t, int& w) {
        t = type;
        if (type != rtf_brdr_None && w == 0) w = 10;
      };
      // The first type word of a side wins; a side already typed keeps its type (and the other
      // sides stay as they are).
      if (TRVRTFBorderSide* side = CurrentBorderSide()) {
        if (side->FBorderType == rtf_brdr_None) setType(side->FBorderType, side->FWidthTw);
      } else if (character)
        setType(chr.FBorderType, chr.FBorderWidthTw);
      else if (para)
        allParaSides([&](TRVRTFBorderSide& s) { setType(s.FBorderType, s.FWidthTw); });
      break;
    }
    case 59:
      st.FCurrentBorderType = rtf_bt_Para;
      if (Value >= rtf_side_Left && Value <= rtf_side_All)
        st.ParaProps()->FCurBorderSide = static_cast<TRVRTFSide>(Value);
      break;
    case 60:
      if (TRVRTFBorderSide* side = CurrentBorderSide())
        side->FWidthTw = Value;
      else if (character)
        chr.FBorderWidthTw = Value;
      else if (para)
        allParaSides([&](TRVRTFBorderSide& s) { s.FWidthTw = Value; });
      break;
    case 61: {
      TColor color = clNone;
      if (!GetTableColor(Value, color)) break;
      if (TRVRTFBorderSide* side = CurrentBorderSide())
        side->FColor = color;
      else if (character)
        chr.FBorderColor = color;
      else if (para)
        allParaSides([&](TRVRTFBorderSide& s) { s.FColor = color; });
      break;
    }
    case 62:
      if (TRVRTFBorderSide* side = CurrentBorderSide())
        side->FSpaceTw = Value;
      else if (character)
        chr.FBorderSpacingTw = Value;
      else if (para)
        allParaSides([&](TRVRTFBorderSide& s) { s.FSpaceTw = Value; });
      break;
    default: return rtf_ec_BadTable;
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::EndCell() {
  UpdateTableNesting(true);
  FEndingCell = true;
  const TRVRTFErrorCode ec = AppendChar(13, true, true);
  FEndingCell = false;
  if (ec != rtf_ec_OK) return ec;
  Position = rtf_ts_NewPara;
  DoTable(rvf_tbl_CellEnd);
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::EndRow() {
  FinalizeCells(*FRTFState->RowProps());
  UpdateTableNesting(true);
  // Text between the last cell and the row end belongs to no cell.
  Text.clear();
  TextW.clear();
  DoTable(rvf_tbl_RowEnd);
  return rtf_ec_OK;
}

void TRVRTFReader::FinalizeCells(TRVRTFRowProperties& Row) {
  TRVRTFCellPropsList& cells = *Row.EditCellProps();
  if (Row.AssumedLastCell) {
    if (cells.Count() > 0) cells.Delete(cells.Count() - 1);
    Row.AssumedLastCell = false;
  }
  if (Row.NewCellProps) {
    for (int i = 0; i < cells.Count(); ++i) {
      TRVRTFCellProperties& cell = *cells.Get(i);
      if (cell.Shading <= 0) continue;
      // The paragraph's shading rule is the cell's: no colour is white, then the blend.
      TRVRTFParaProperties blend;
      blend.FColor = cell.FColor;
      blend.ForeColor = cell.ForeColor;
      blend.Shading = cell.Shading;
      blend.Finalize();
      cell.FColor = blend.FColor;
    }
    Row.NewCellProps = false;
  }
}

TRVRTFErrorCode TRVRTFReader::ApplyTableProperty(int Idx, int Value) {
  using namespace rvrtftables_detail;
  TRVRTFReaderState& st = *FRTFState;
  TRVRTFParaProperties& para = *st.ParaProps();
  switch (Idx) {
    case 146: return EndRow();
    case 147: return EndCell();
    case 148:
      para.FInTable = true;
      if (para.FNestingLevel == 0) para.FNestingLevel = 1;
      return rtf_ec_OK;
    case 149:
      // Deeper nesting than any writer makes would only raise start events by the billion.
      para.FNestingLevel = std::clamp(Value, 0, MaxTableNesting);
      if (Value > 0) para.FInTable = true;
      return rtf_ec_OK;
    case 189: para.NoTableEv = true; return rtf_ec_OK;
    default: break;
  }
  TRVRTFRowProperties& row = *st.RowProps();
  switch (Idx) {
    case 150: row.FLastRow = true; break;
    case 152:
      if (Value >= rtf_al_Left && Value <= rtf_al_Center) row.FAlignment = static_cast<TRVRTFAlignment>(Value);
      row.FAlignmentDefined = true;
      break;
    case 153: row.FGapHTw = Value; break;
    case 154: row.FLeftTw = Value; break;
    case 155: row.FHeightTw = Value < 0 ? Negated(Value) : Value; break;
    case 156: row.FHeading = true; break;
    // Padding and spacing words come left, right, top, bottom; the arrays go by side.
    case 157: row.FPaddingTw[rtf_side_Left] = Value; break;
    case 158: row.FPaddingTw[rtf_side_Right] = Value; break;
    case 159: row.FPaddingTw[rtf_side_Top] = Value; break;
    case 160: row.FPaddingTw[rtf_side_Bottom] = Value; break;
    case 161: row.FUsePadding[rtf_side_Left] = Value == 3; break;
    case 162: row.FUsePadding[rtf_side_Right] = Value == 3; break;
    case 163: row.FUsePadding[rtf_side_Top] = Value == 3; break;
    case 164: row.FUsePadding[rtf_side_Bottom] = Value == 3; break;
    case 165: row.FSpacingTw[rtf_side_Left] = Value; break;
    case 166: row.FSpacingTw[rtf_side_Right] = Value; break;
    case 167: row.FSpacingTw[rtf_side_Top] = Value; break;
    case 168: row.FSpacingTw[rtf_side_Bottom] = Value; break;
    case 169: row.FUseSpacing[rtf_side_Left] = Value == 3; break;
    case 170: row.FUseSpacing[rtf_side_Right] = Value == 3; break;
    case 171: row.FUseSpacing[rtf_side_Top] = Value == 3; break;
    case 172: row.FUseSpacing[rtf_side_Bottom] = Value == 3; break;
    case 173: row.FBestWidth = row.InvertWidth ? Negated(Value) : Value; break;
    case 174: ApplyWidthUnit(row.InvertWidth, row.FBestWidth, Value); break;
    case 175: row.FKeepTogether = true; break;
    case 176:
    case 177: {
      TRVRTFCellMerge& merge = Idx == 176 ? LastCell()->FVMerge : LastCell()->FHMerge;
      if (merge != rtf_cm_First && (Value == rtf_cm_First || Value == rtf_cm_Merged))
        merge = static_cast<TRVRTFCellMerge>(Value);
      break;
    }
    case 178:
      if (Value == rtf_ctf_TopDown || Value == rtf_ctf_BottomUp)
        LastCell()->FTextFlow = static_cast<TRVRTFCellTextFlow>(Value);
      break;
    case 179: {
      TRVRTFCellProperties* cell = LastCell();
      cell->FBestWidth = cell->InvertWidth ? Negated(Value) : Value;
      break;
    }
    case 180: {
      TRVRTFCellProperties* cell = LastCell();
      ApplyWidthUnit(cell->InvertWidth, cell->FBestWidth, Value);
      break;
    }
    case 181: {
      TRVRTFCellProperties* cell = LastCell();
      if (GetTableColor(Value, cell->FColor) && cell->FColor == clWindowText) cell->FColor = clNone;
      break;
    }
    case 182: GetTableColor(Value, LastCell()->ForeColor); break;
    case 183: LastCell()->Shading = Value; break;
    case 184:
      if (Value >= rtf_val_Top && Value <= rtf_val_Center) LastCell()->FVAlign = static_cast<TRVRTFVAlign>(Value);
      break;
    case 185: {
      TRVRTFCellPropsList& cells = *row.EditCellProps();
      LastCell()->FRightBoundaryTw = Value;
      // Each copy of the state copies the row, so its cells are capped: past the cap the last
      // cell is a real one and takes the boundaries (and cell words) of those that do not fit.
      if (cells.Count() < MaxCellCount) {
        cells.AddNew();
        row.AssumedLastCell = true;
      } else
        row.AssumedLastCell = false;
      break;
    }
    case 186:
      st.FCurrentBorderType = rtf_bt_Row;
      if (Value >= rtf_side_Left && Value <= rtf_side_Bottom) row.FCurBorderSide = static_cast<TRVRTFSide>(Value);
      break;
    case 187: st.FCurrentBorderType = rtf_bt_Other; break;
    case 188:
      st.FCurrentBorderType = rtf_bt_Cell;
      if (Value >= rtf_side_Left && Value <= rtf_side_Bottom)
        LastCell()->FCurBorderSide = static_cast<TRVRTFSide>(Value);
      break;
    case 191:
      LastCell()->FBestWidth = PixelsToTwips(Value);
      row.ViroZereSpecial = true;
      break;
    case 192:
      LastCell()->BestHeightTw = Saturated(static_cast<long long>(Value) * 15);
      row.ViroZereSpecial = true;
      break;
    case 193:
      row.FBestWidth = PixelsToTwips(Value);
      row.ViroZereSpecial = true;
      break;
    case 194:
      LastCell()->FBestWidth = Value;
      row.ViroZereSpecial = true;
      break;
    case 195:
      LastCell()->BestHeightTw = Value;
      row.ViroZereSpecial = true;
      break;
    case 196:
      row.FBestWidth = Value;
      row.ViroZereSpecial = true;
      break;
    default: return rtf_ec_BadTable;
  }
  return rtf_ec_OK;
}
