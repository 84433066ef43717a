#include <gtest/gtest.h>

#include "engine/foundation/RVFixedGrIn.h"
#include "engine/layout/DrawLines.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Pictures.h"

namespace {

inline const bool ViewerTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

// A viewer with a fixed-metrics style sheet and a few lines of text, 400 x 300.
struct ViewerTest : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZere> V;

  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    V = std::make_unique<TViroZere>(nullptr);
    V->SetName(u"rv1");
    V->SetBounds(0, 0, 400, 300);
  }
  void AddLines(int Count) {
    for (int i = 0; i < Count; ++i) V->GetRVData()->AddNL(u"Line " + IntToStr(i), 0, 0);
  }
  // Paints the whole control into a bitmap of its size.
  std::unique_ptr<TBitmap> Shot() {
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf32bit);
    bmp->SetSize(V->GetWidth(), V->GetHeight());
    V->PaintTo(bmp->GetCanvas()->GetHandle(), 0, 0);
    return bmp;
  }
};

TEST_F(ViewerTest, NewViewerHasTheDocumentedDefaults) {
  EXPECT_EQ(V->GetOptions(), RVDefaultViewerOptions);
  EXPECT_EQ(V->Flags, RVDefaultViewerFlags);
  EXPECT_EQ(V->GetColor(), clNone);
  EXPECT_EQ(V->GetLeftMargin(), 5);
  EXPECT_EQ(V->GetBottomMargin(), 5);
  EXPECT_TRUE(V->GetWordWrap());
  EXPECT_EQ(V->GetVAlign(), tlTop);
  EXPECT_EQ(V->GetAnimationMode(), rvaniManualStart);
  EXPECT_EQ(V->GetBorderStyle(), bsSingle);
  EXPECT_EQ(V->GetStyle(), nullptr);
}

TEST_F(ViewerTest, FormatsAndPaintsItsDocument) {
  V->SetStyle(&Sheet);
  AddLines(3);
  V->HandleNeeded();
  V->Format();
  EXPECT_GT(V->GetDocumentHeight(), 0);
  EXPECT_GT(V->GetRVData()->DrawItems->Count(), 2);
  auto bmp = Shot();
  EXPECT_NE(bmp.get(), nullptr);
}

}  // namespace
