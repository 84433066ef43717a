// Tables and borders in the RTF reader: border sides, cell and row definitions, table nesting and
// the table events.
#include "formats/rtf/RVRTFReader.h"
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

int TRVRTFBorderSide::GetTotalBorderWidthTw() const { return FWidthTw; }

int TRVRTFBorderSide::GetAdditionalSpaceTw() const { return 0; }

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

void TRVRTFCellProperties::Reset() {}

void TRVRTFCellProperties::Assign(const TRVRTFCellProperties& Source) { (void)Source; }

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
    : FBorder(new TRVRTFParaBorder), FCellProps(new TRVRTFCellPropsList) {
  FCellProps->AddNew();
}

TRVRTFRowProperties::~TRVRTFRowProperties() {
  delete FCellProps;
  delete FBorder;
}

void TRVRTFRowProperties::Reset() {}

void TRVRTFRowProperties::Assign(const TRVRTFRowProperties& Source) {
  FBorder->Assign(*Source.FBorder);
  FCellProps->AssignItems(*Source.FCellProps);
}

// ---- the reader's table handling ----

bool TRVRTFReader::DoTable(TRVRTFTableEventKind Kind) {
  (void)Kind;
  return false;
}

void TRVRTFReader::UpdateTableNesting(bool Full) { (void)Full; }

void TRVRTFReader::CloseNoteTables() {}

void TRVRTFReader::CloseAllTables() {}

TRVRTFErrorCode TRVRTFReader::ApplyBorderProperty(int Idx, int Value) {
  (void)Idx; (void)Value;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyTableProperty(int Idx, int Value) {
  (void)Idx; (void)Value;
  return rtf_ec_OK;
}
