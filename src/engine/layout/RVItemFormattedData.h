// Documents owned by items rather than by a control (table cells and the like): the list that
// owns them and answers for them to the document holding the item, and the formatted document
// that has no scrolling, margins or events of its own and asks that list about its surroundings.
#pragma once

#include "engine/foundation/RVClasses.h"
#include "engine/layout/RVFormattedData.h"

class TCustomRVData;

// Owns the documents it holds (frees them with the list). The documents report the list's flags
// as their own; GetParentRVData names the document that holds the item owning the list.
class TRVDataList : public TRVList {
 public:
  // The parent document data is not stored: a derived list answers GetParentRVData itself.
  explicit TRVDataList(TCustomRVData* AParentRVData);
  virtual TCustomRVData* GetParentRVData() const { return nullptr; }

  TRVFlags Flags{rvflTrim, rvflMouseXYAlwaysCorrect, rvflCanUseCustomPPI};
};

// A formatted document that lives inside an item. Every question about its surroundings goes to
// the owning list (FList) and through it to the document that holds the item. Width and height
// are the owner's business (left abstract).
class TRVItemFormattedData : public TCustomRVFormattedData {
 public:
  explicit TRVItemFormattedData(TRVDataList* AList);

  // ---- the document tree ----
  TCustomRVData* GetParentData() const override;
  TCustomRVData* GetRootData() override;
  TCustomRVData* GetAbsoluteParentData() const override;
  TCustomRVData* GetAbsoluteRootData() override;
  TRVFlags GetFlags() const override;
  // Refused: the flags belong to the owning list.
  void SetFlags(const TRVFlags& Value) override;
  TCanvas* GetCanvas() override;

  // ---- scrolling, margins and area: none of its own ----
  void ShowRectangle(int Left, int Top, int Width, int Height) override;
  void AdjustVScrollUnits() override {}
  void ScrollTo(int /*Y*/, bool /*Redraw*/) override {}
  void HScrollTo(int /*X*/) override {}
  void SetDocumentAreaSize(int /*Width*/, int /*Height*/, bool /*UpdateH*/, bool /*AllowEvents*/) override {}
  int GetLeftMargin() override { return 0; }
  int GetRightMargin() override { return 0; }
  int GetTopMargin() override { return 0; }
  int GetBottomMargin() override { return 0; }
  int GetAreaWidth() override { return 0; }
  int GetAreaHeight() override { return 0; }
  int GetMinTextWidth() override { return 0; }
  int GetMaxTextWidth() override { return 0; }
  int GetVSmallStep() override { return 0; }
  int GetFirstItemVisible() override { return 0; }
  int GetLastItemVisible() override { return ItemCount() - 1; }

  // ---- events: none of its own ----
  TCursor GetNormalCursor() override;
  void DoJump(int /*id*/) override {}
  void DoRVMouseDown(TMouseButton, TShiftState, int, int, int) override {}
  void DoRVMouseUp(TMouseButton, TShiftState, int, int, int) override {}
  bool IsAssignedRVMouseDown() const override { return false; }
  bool IsAssignedRVMouseUp() const override { return false; }
  bool IsAssignedJump() const override { return false; }

  TRVDataList* FList;
};

// The cursor shown over vertical text in a sub-document.
constexpr TCursor crRVVerticalText = 107;
