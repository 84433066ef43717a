#include <gtest/gtest.h>

#include "engine/tables/RVTable.h"

TEST(TableModel, CreateExDefaults) {
  auto Table = TRVTableItemInfo::CreateEx(3, 4, nullptr);
  EXPECT_EQ(Table->StyleNo, ItemKindTable);
  EXPECT_EQ(Table->RowCount(), 3);
  EXPECT_EQ(Table->ColCount(), 4);
}
