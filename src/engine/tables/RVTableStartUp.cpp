#include "engine/tables/RVTableStartUp.h"

#include "engine/document/RVItem.h"
#include "engine/tables/RVTable.h"

void RegisterTables() {
  if (ItemClassOfStyleNo(ItemKindTable) == TRVTableItemInfo::StaticItemClass()) return;
  RegisterItemType(ItemKindTable, TRVTableItemInfo::StaticItemClass());
}
