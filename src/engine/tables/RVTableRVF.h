// The table's body in the native format: one component stream whose root, TRVTableSW, publishes
// the table as "T" and carries the grid through its defined properties "C", "RowVAlign",
// "RowPageBreakBefore" and "RowKeepTogether"; every cell record is a TD component that publishes
// the cell as "c". Both wrappers only live while one body is written or read.
#pragma once

#include "platform/base/ComponentStream.h"
#include "platform/base/Persistent.h"

class TRVTableItemInfo;
class TRVTableCellData;
class TRVTableSW;

// The carrier of one cell record.
class TD : public TComponent {
  TAVRELO_PERSISTENT(TD, TComponent)
 public:
  explicit TD(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
  TRVTableCellData* GetCell() const { return FCell; }

  // Not owned.
  TRVTableSW* FRVTableSW = nullptr;
  // The cell currently streamed; not owned.
  TRVTableCellData* FCell = nullptr;
};

// The root of a table's body stream.
class TRVTableSW : public TComponent {
  TAVRELO_PERSISTENT(TRVTableSW, TComponent)
 public:
  explicit TRVTableSW(TComponent* AOwner = nullptr) : TComponent(AOwner) { FTD.FRVTableSW = this; }
  TRVTableItemInfo* GetT() const { return FTable; }
  void DefineProperties(TFiler& Filer) override;

  // The table written or read; not owned.
  TRVTableItemInfo* FTable = nullptr;
  TD FTD;
};
