// What a table keeps for storage: the settings of one write or read of its body stream (attached
// to the table while the operation runs) and the column widths a printed part was saved with.
#pragma once

#include "engine/foundation/RVClasses.h"

class TRVMultiDrawItemPart;
class TCustomRVData;
class TRVTableCellData;
class TReader;
class TD;
class TWriter;

// The settings of one write or read of a table's body stream.
class TRVTableStreamSaveInfo : public TObject {
 public:
  TRVTableStreamSaveInfo(int ARowCount, int AColCount) : RowCount(ARowCount), ColCount(AColCount) {}
  // The printed part being saved (a table print part), or nil.
  TRVMultiDrawItemPart* Part = nullptr;
  // Page, in the cell's own pagination, of the cell part to save; 1 from the start.
  int CellPage = 1;
  // The printable copy of the cell being saved, or nil.
  TCustomRVData* CellPtblRVData = nullptr;
  // The rectangle of the grid written or read.
  int TopRow = 0, LeftCol = 0, RowCount, ColCount;
  bool SaveHeadingRows = false;
  // Cells outside the cell selection are written without their documents.
  bool SelectionOnly = false;
  bool SavePictures = true;
  // Reading goes into the existing grid.
  bool NoReset = false;
  // False as soon as a cell failed to load.
  bool LoadResult = true;
  // The cell whose record is being written without its document (selection saves), or nil.
  TRVTableCellData* NoContentCell = nullptr;
};

// Column widths a printed part of a table was saved with ("colwidths" of the RVF record), in the
// pixels of the device whose resolution ppxDevice is. Layout takes them only when they fit the grid
// (one per column) and ppxDevice is above 0; reading drops any other list.
class TRVTableStoredColWidths : public TObject {
 public:
  int ppxDevice = 0;
  int TableWidth = 0;
  TRVIntegerList ColWidths;
};
