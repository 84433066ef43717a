// Borders, cell and row properties of the RTF reader's state. The classes are declared here with
// their fields; their bodies, and the reader's table events, are filled in by RVRTFTables.cpp.
#pragma once

#include <memory>

#include "engine/foundation/RVClasses.h"
#include "formats/rtf/RVRTFTypes.h"

// One side of a paragraph, cell or row border.
class TRVRTFBorderSide : public TObject {
 public:
  TRVRTFBorderSide();
  void Reset();
  void Assign(const TRVRTFBorderSide& Source);
  int GetTotalBorderWidthTw() const;
  int GetAdditionalSpaceTw() const;

  TRVRTFBorderType FBorderType = rtf_brdr_None;
  int FWidthTw = 0;
  TColor FColor = clNone;
  int FSpaceTw = 0;
};

// Up to four sides, created on first access.
class TRVRTFParaBorder : public TObject {
 public:
  TRVRTFParaBorder() = default;
  TRVRTFParaBorder(const TRVRTFParaBorder&) = delete;
  TRVRTFParaBorder& operator=(const TRVRTFParaBorder&) = delete;
  ~TRVRTFParaBorder() override;
  // The side, created when missing (Side is one of the four sides).
  TRVRTFBorderSide* GetSides(TRVRTFSide Side);
  // The side when it exists, else nullptr.
  TRVRTFBorderSide* FindSide(TRVRTFSide Side) const;
  void Assign(const TRVRTFParaBorder& Source);
  void Reset();

 private:
  TRVRTFBorderSide* FSides[4] = {nullptr, nullptr, nullptr, nullptr};
};

class TRVRTFCellProperties : public TObject {
 public:
  TRVRTFCellProperties();
  TRVRTFCellProperties(const TRVRTFCellProperties&) = delete;
  TRVRTFCellProperties& operator=(const TRVRTFCellProperties&) = delete;
  ~TRVRTFCellProperties() override;
  void Reset();
  void Assign(const TRVRTFCellProperties& Source);
  TRVRTFParaBorder* Border() const { return FBorder; }

  TRVRTFCellMerge FHMerge = rtf_cm_None, FVMerge = rtf_cm_None;
  bool InvertWidth = false;
  int FBestWidth = 0;
  TColor FColor = clNone;
  TRVRTFVAlign FVAlign = rtf_val_Top;
  TRVRTFParaBorder* FBorder = nullptr;
  TRVRTFSide FCurBorderSide = rtf_side_Left;
  int FRightBoundaryTw = 0;
  TColor ForeColor = 0;
  TRVRTFCellTextFlow FTextFlow = rtf_ctf_Normal;
  int Shading = 0;
  int BestHeightTw = 0;
};

class TRVRTFCellPropsList : public TRVList {
 public:
  TRVRTFCellProperties* AddNew();
  TRVRTFCellProperties* Get(int Index) const { return static_cast<TRVRTFCellProperties*>(TRVList::Get(Index)); }
  void AssignItems(const TRVRTFCellPropsList& Source);
};

class TRVRTFRowProperties : public TObject {
 public:
  TRVRTFRowProperties();
  TRVRTFRowProperties(const TRVRTFRowProperties&) = delete;
  TRVRTFRowProperties& operator=(const TRVRTFRowProperties&) = delete;
  ~TRVRTFRowProperties() override;
  void Reset();
  void Assign(const TRVRTFRowProperties& Source);
  TRVRTFParaBorder* Border() const { return FBorder; }
  // The cell definitions, to read. Copies of a row (one per group) share them until one of them
  // changes its cells through EditCellProps, which gives that copy cells of its own first.
  const TRVRTFCellPropsList* CellProps() const { return FCellProps.get(); }
  TRVRTFCellPropsList* EditCellProps();

  bool InvertWidth = false;
  bool FHeading = false;
  bool FLastRow = false;
  int FGapHTw = 0;
  int FLeftTw = 0;
  int FHeightTw = 0;
  int FBestWidth = 0;
  TRVRTFParaBorder* FBorder = nullptr;
  TRVRTFSide FCurBorderSide = rtf_side_Left;
  std::shared_ptr<TRVRTFCellPropsList> FCellProps;
  bool NewCellProps = true;
  bool AssumedLastCell = true;
  TRVRTFAlignment FAlignment = rtf_al_Left;
  bool FAlignmentDefined = false;
  bool FKeepTogether = false;
  bool ViroZereSpecial = false;
  int FPaddingTw[4] = {0, 0, 0, 0};
  int FSpacingTw[4] = {0, 0, 0, 0};
  bool FUsePadding[4] = {false, false, false, false};
  bool FUseSpacing[4] = {false, false, false, false};
};
