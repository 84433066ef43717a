// An editor control owns an editor data that records into its own undo and redo lists.
#include <gtest/gtest.h>

#include "engine/editor/RVEdit.h"

TEST(EditorSmokeTest, EditorOwnsEditData) {
  TViroZereEdit Editor(nullptr);
  TRVEditRVData* Data = Editor.GetEditRVData();
  ASSERT_NE(Data, nullptr);
  EXPECT_EQ(Data->GetEditor(), &Editor);
  EXPECT_TRUE(Editor.GetViewerFlags().Contains(rvflRootEditor));
  EXPECT_EQ(Editor.GetUndoLimit(), -1);
  EXPECT_EQ(Data->GetUndoList(), nullptr);
}
