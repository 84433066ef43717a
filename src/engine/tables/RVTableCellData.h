// A table cell: a formatted document of its own that lives in one grid position of a table. It
// carries the cell's visual attributes, best size and merged extent, its layout rectangle, the
// sub-document chosen inside it, its behaviour while an undo record holds it, and the translation
// between its own coordinates and the table's.
#pragma once

#include <memory>
#include <vector>

#include "engine/layout/RVBack.h"
#include "engine/layout/RVItemFormattedData.h"
#include "engine/styles/RVBorder.h"
#include "engine/styles/RVStyleTypes.h"

class TRVTableItemInfo;
class TRVTableRow;
class TRVTableRows;
class TRVUndoInfo;
class TRVGraphicHolder;
class TGraphic;
class TCanvas;
class TBitmap;

// A width wished by a table or a cell: 0 automatic, a positive value a length in style units,
// -p p per cent of the available width.
using TRVHTMLLength = int;

enum TRVCellVAlign : std::uint8_t { rvcTop, rvcMiddle, rvcBottom, rvcVDefault };

// The names of the enumerations as the component stream writes them.
const std::vector<UnicodeString>& RVItemBackgroundStyleNames();

enum TRVTableCellOption : std::uint8_t { rvtcoReverseLineOrder, rvtcoUseVerticalFonts };
using TRVTableCellOptions = TSet<TRVTableCellOption, 8>;

class TRVTableCellData : public TRVItemFormattedData {
  TAVRELO_PERSISTENT(TRVTableCellData, TRVItemFormattedData)
 public:
  // ==== cell data (RVTableCellData.cpp) ====
  explicit TRVTableCellData(TRVTableRow* ARow);
  ~TRVTableCellData() override;

  // ---- virtual operations the cell introduces ----
  virtual void AssignAttributesFrom(TRVTableCellData* Cell, bool IncludeSize, int DivColSpan, int DivRowSpan);
  virtual void ResetProperties();
  virtual void DrawExtraBackground(TCanvas* /*Canvas*/, const TRect& /*Rect*/) {}
  virtual bool HasExtraBackground() { return false; }

  // ---- where the cell lives ----
  // The table through its row and grid; nil in an undo record or without a row.
  TRVTableItemInfo* GetTable() const;
  TRVTableRow* GetRow() const;
  // The cell editor's document while the table's editor edits this cell, else the cell itself.
  TCustomRVData* GetRVData() override;
  // The table's cell editor when it edits this cell, else nil.
  TObject* GetEditor();
  TCustomRVData* Edit() override;
  void GetParentInfo(int& ParentItemNo, TRVStoreSubRVData*& Location) const override;
  void GetItemHint(TCustomRVData* RVData, int ItemNo, const TRVUnicodeString& UpperRVDataHint,
                   TRVUnicodeString& Hint) override;

  // ---- published properties ----
  TColor GetCellColorProp() const { return FColor; }
  void SetColor(TColor Value);
  TRVOpacity GetOpacity() const { return FOpacity; }
  void SetOpacity(TRVOpacity Value);
  TColor GetBorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor Value) { FBorderColor = Value; }
  TColor GetBorderLightColor() const { return FBorderLightColor; }
  void SetBorderLightColor(TColor Value) { FBorderLightColor = Value; }
  TRVHTMLLength GetBestWidth() const { return FBestWidth; }
  void SetBestWidth(TRVHTMLLength Value) { FBestWidth = Value; }
  TRVStyleLength GetBestHeight() const { return FBestHeight; }
  void SetBestHeight(TRVStyleLength Value) { FBestHeight = Value; }
  TRVBooleanRect* GetVisibleBorders() const { return FVisibleBorders.get(); }
  void SetVisibleBorders(TRVBooleanRect* Value);
  TRVCellVAlign GetVAlign() const { return FVAlign; }
  void SetVAlign(TRVCellVAlign Value) { FVAlign = Value; }
  TGraphic* GetBackgroundImage() const;
  void SetBackgroundImage(TGraphic* Value);
  TRVItemBackgroundStyle GetBackgroundStyle() const;
  void SetBackgroundStyle(TRVItemBackgroundStyle Value);
  const TRVUnicodeString& GetBackgroundImageFileName() const { return FBackgroundImageFileName; }
  void SetBackgroundImageFileName(const TRVUnicodeString& Value) { FBackgroundImageFileName = Value; }
  const TRVUnicodeString& GetHint() const { return FHint; }
  void SetHint(const TRVUnicodeString& Value) { FHint = Value; }
  TRVDocRotation GetCellRotation() const { return FRotation; }
  void SetRotation(TRVDocRotation Value) { FRotation = Value; }
  const TRVUnicodeString& GetTag() const { return FTag; }
  void SetTag(const TRVUnicodeString& Value) { FTag = Value; }
  TRVTableCellOptions GetCellOptions() const { return FOptions; }
  void SetCellOptions(const TRVTableCellOptions& Value) { FOptions = Value; }
  int GetRowSpan() const { return FRowSpan; }
  int GetColSpan() const { return FColSpan; }

  // ---- background picture ----
  TRVGraphicHolder* GetBackgroundImageGraphicHolder() const;
  TRVBackground* GetBackground() const { return FBackground.get(); }
  bool HasBackgroundImage() const;
  void SaveBackgroundImageToStream(TStream* Stream);
  void SaveBackgroundImageToFile(const TRVUnicodeString& FileName);

  // ---- content ----
  // Copies FLeft, FTop, FWidth, FHeight.
  void AssignSizeFrom(const TRVTableCellData* Cell);
  bool HasData(bool CheckStyles);
  bool CanClear();
  TRVCellVAlign GetRealVAlign();
  int GetVerticalAlign() override { return GetRealVAlign(); }
  int GetExtraVOffs();
  int GetRVDataExtraVOffs() override { return GetExtraVOffs(); }
  // The content height layout uses (pixels).
  int GetCellHeight(TRVStyle* RVStyle);
  int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas);
  // What the document shows behind its text, and the cell's colour without fallbacks.
  TColor GetColor() override;
  TColor GetCellColor();

  // ---- geometry ----
  int GetWidth() const override;
  int GetHeight() override;
  int GetAreaWidth() override { return GetWidth(); }
  int GetAreaHeight() override { return GetHeight(); }
  int GetHOffs() override;
  int GetVOffs() override;
  void GetOrigin(int& ALeft, int& ATop) override;
  void GetOriginEx(int& ALeft, int& ATop) override;
  void ResetSubCoords() override;
  // Reverse line order.
  bool IsLineOrderReversed() override { return FOptions.Contains(rvtcoReverseLineOrder); }
  int GetTransformedY(int Y, int LineTopY, int LineBottomY) override;
  int GetTransformedDItemObjectTop(int DrawItemNo) override;

  // ---- chosen sub-document and selection ----
  void AssignChosenRVData(TCustomRVFormattedData* RVData, TCustomRVItemInfo* Item) override;
  void UnassignChosenRVData(TCustomRVData* RVData) override;
  TCustomRVData* GetChosenRVData() override { return FChosenRVData; }
  TCustomRVItemInfo* GetChosenItem() override { return FChosenItem; }
  void Deselect(TCustomRVItemInfo* NewPartiallySelected, bool MakeEvent) override;

  // ---- undo records ----
  void MovingToUndoList(TRVUndoInfo* AContainerUndoItem);
  void MovingFromUndoList();
  TRVOptions GetOptions() override;
  void ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, TRVUnicodeString& Text,
                  TCustomRVData* RVData) override;
  void ControlAction2(TCustomRVData* RVData, TRVControlAction AControlAction, int ItemNo, TObject* Control) override;
  void ControlAction(TCustomRVData* RVData, TRVControlAction AControlAction, int ItemNo,
                     TCustomRVItemInfo* Item) override;
  TRVMarkerList* GetMarkers(bool AllowCreate) override;
  TRVSeqList* GetSeqList(bool AllowCreate) override;
  TList* GetPrintFieldList(bool AllowCreate) override;

  // ---- other answers ----
  bool SupportsPageBreaks() override { return false; }
  void AdjustFocus(int NewFocusedItemNo, TCustomRVData* TopLevelRVData, int TopLevelItemNo) override;
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* RVStyle, bool ConvertItems) override;
  bool KeepTogether() override;
  TRVDocRotation GetRotation() const override;
  bool UseVerticalFonts() override;

  // What lies behind an item of the cell (one colour, or a bitmap with UseBitmap).
  // The bitmap is made here when needed and belongs to the caller.
  void GetItemBackground(int ItemNo, TRect& Rect, bool MakeImageRect, TColor& Color, std::unique_ptr<TBitmap>& Bitmap,
                         bool& UseBitmap, TRVGraphicInterface* GraphicInterface, bool AllowThumbnails, bool Printing,
                         int LocalPageNo);

  int GetTransformedDItemTop(int DrawItemNo) override;
  // The best height in pixels of the pass in progress (0 when not positive).
  int GetBestHeightPixels() const;

  // Grid fields (kept by the table's grid operations).
  int FRowSpan = 1, FColSpan = 1;
  // The padding box relative to the table's top-left corner (pixels; set by layout).
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  // The undo record holding this cell while it is out of its table.
  TRVUndoInfo* ContainerUndoItem = nullptr;
  // Where the cell was last found in its grid (a search hint).
  int FCachedRow = -1, FCachedCol = -1;
  // The location GetParentInfo answers: the cell keeps it, as every document that answers does.
  // (a TRVTableStoreSubRVData, made on the first question).
  mutable std::unique_ptr<TRVStoreSubRVData> FParentLocation;

 protected:
  void ColorChanged();
  void AddTableOffset(int& ALeft, int& ATop);
  TCustomRVFormattedData* GetUndoOwnerRVData() const;
  // In an undo record, or its table is in no document.
  bool HasNoListHost() const;

  TColor FColor = clNone;
  TRVCellVAlign FVAlign = rvcVDefault;
  TRVHTMLLength FBestWidth = 0;
  TRVStyleLength FBestHeight = 0;
  std::unique_ptr<TRVBooleanRect> FVisibleBorders;
  TCustomRVFormattedData* FChosenRVData = nullptr;
  TCustomRVItemInfo* FChosenItem = nullptr;
  TColor FBorderColor = clNone, FBorderLightColor = clNone;
  std::unique_ptr<TRVBackground> FBackground;
  TRVUnicodeString FBackgroundImageFileName;
  TRVDocRotation FRotation = rvrotNone;
  TRVUnicodeString FHint;
  TRVUnicodeString FTag;
  TRVOpacity FOpacity = 100000;
  TRVTableCellOptions FOptions;

 public:
  // ==== layout (RVTableLayout.cpp) ====

  // ==== painting (RVTablePaint.cpp) ====

  // ==== storage (RVTableRVF.cpp) ====
  // The binary properties "Data" (the document as RVF) and "BackgroundImg".
  void DefineProperties(TFiler& Filer) override;

  // ==== printing (RVTablePrint.cpp) ====

  // ==== editing (next issue) ====

  // ==== grid editing (RVTableGrid.cpp) ====
  // Moves the last Count items of From to the end of this cell (the undoing of a merge).
  void TakeItemsFrom(TRVTableCellData* From, int Count);
};
