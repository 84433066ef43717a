// The viewer's document operations: building paragraphs, item queries, RVF and text through the
// viewer with its colour, background and layout, the numbered properties and copied events.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/document/RVDocParams.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/base/Classes.h"

namespace {

inline const bool DocOpsTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

struct ViewerDocOpsTest : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZere> V;

  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < 3) Sheet.TextStyles()->Add();
    while (Sheet.ParaStyles()->Count() < 2) Sheet.ParaStyles()->Add();
    V = NewViewer();
  }
  std::unique_ptr<TViroZere> NewViewer() {
    auto v = std::make_unique<TViroZere>(nullptr);
    v->SetBounds(0, 0, 400, 300);
    v->SetStyle(&Sheet);
    return v;
  }
  // Items as "text@style/para" with "|" before an item that starts a paragraph.
  static std::string Items(TCustomViroZere* v) {
    std::string s;
    for (int i = 0; i < v->GetItemCount(); ++i) {
      if (i && v->IsFromNewLine(i)) s += "|";
      else if (i) s += "+";
      for (char16_t c : v->GetItemTextW(i)) s += static_cast<char>(c);
      s += "@" + std::to_string(v->GetItemStyle(i)) + "/" + std::to_string(v->GetItem(i)->ParaNo);
    }
    return s;
  }
  static std::filesystem::path TempFile(const char* Name) {
    return std::filesystem::temp_directory_path() / (std::string("tavrelo-docops-") + Name);
  }
};

TEST_F(ViewerDocOpsTest, AddOperationsBuildParagraphs) {
  V->AddNL(u"Title", 1, 1);
  V->AddNL(u" and more", 2, -1);  // continues the paragraph
  V->AddTextNL(u"one\r\ntwo\nthree", 0, 0, 1);
  V->AddTextNL(u"x\r\ny", 0, 1, 1, true);  // one paragraph with a line break
  V->SetAddParagraphMode(false);  // a new line, not a new paragraph
  V->AddNL(u"tail", 0, 0);
  EXPECT_EQ(Items(V.get()), "Title@1/1+ and more@2/1|one@0/0|two@0/1|three@0/1|x@0/1|y@0/1|tail@0/0");
  EXPECT_FALSE(V->GetItem(5)->ItemOptions.Contains(rvioBR));
  EXPECT_TRUE(V->GetItem(6)->ItemOptions.Contains(rvioBR));
  EXPECT_TRUE(V->GetItem(7)->ItemOptions.Contains(rvioBR));
  EXPECT_EQ(V->GetItemNo(V->GetItem(3)), 3);
  EXPECT_EQ(V->GetItemNo(nullptr), -1);
  EXPECT_EQ(V->GetOffsBeforeItem(0), 1);
  EXPECT_EQ(V->GetOffsAfterItem(0), 6);
  V->AddBreak(0, 0, clRed);
  EXPECT_EQ(V->GetOffsBeforeItem(8), 0);
  EXPECT_EQ(V->GetOffsAfterItem(8), 1);
  TRVUnicodeString s = u"stale";
  V->GetItemExtraStrPropertyEx(0, 0, s);  // a text item without a hint
  EXPECT_EQ(s, u"");
}

TEST_F(ViewerDocOpsTest, RVFRoundTripCarriesItemsColourBackgroundAndLayout) {
  V->AddNL(u"first", 1, 0);
  V->AddNL(u"second", 2, 1);
  V->SetColor(clYellow);
  V->SetBackgroundStyle(bsCentered);
  V->SetLeftMargin(17);
  V->SetMaxTextWidth(300);
  V->SetRVFOptions(V->GetRVFOptions() + rvfoSaveBack + rvfoLoadBack + rvfoSaveLayout + rvfoLoadLayout);
  TMemoryStream stream;
  ASSERT_TRUE(V->SaveRVFToStream(&stream, false));

  auto w = NewViewer();
  w->SetRVFOptions(V->GetRVFOptions());
  stream.SetPosition(0);
  ASSERT_TRUE(w->LoadRVFFromStream(&stream));
  EXPECT_EQ(Items(w.get()), Items(V.get()));
  EXPECT_EQ(w->GetColor(), clYellow);
  EXPECT_EQ(w->GetBackgroundStyle(), bsCentered);
  EXPECT_EQ(w->GetLeftMargin(), 17);
  EXPECT_EQ(w->GetMaxTextWidth(), 300);
  EXPECT_EQ(w->GetRVData()->DrawItems->Count(), 0);  // loading does not format

  // Appending and inserting add to what is there.
  stream.SetPosition(0);
  ASSERT_TRUE(w->AppendRVFFromStream(&stream, 1));
  EXPECT_EQ(w->GetItemCount(), 4);
  stream.SetPosition(0);
  ASSERT_TRUE(w->InsertRVFFromStream(&stream, 0));
  EXPECT_EQ(w->GetItemCount(), 6);
  EXPECT_EQ(w->GetItemTextW(0), u"first");

  // Garbage fails and leaves the viewer usable.
  TMemoryStream junk;
  junk.Write("-9 nonsense\r\n", 13);
  junk.SetPosition(0);
  EXPECT_FALSE(w->LoadRVFFromStream(&junk));
}

TEST_F(ViewerDocOpsTest, RVFWithoutLayoutKeepsTheMargins) {
  V->AddNL(u"text", 0, 0);
  V->SetRVFOptions(V->GetRVFOptions() - rvfoSaveLayout);
  const auto path = TempFile("nolayout.rvf");
  ASSERT_TRUE(V->SaveRVF(path.u16string(), false));
  auto w = NewViewer();
  w->SetLeftMargin(33);
  ASSERT_TRUE(w->LoadRVF(path.u16string()));
  EXPECT_EQ(w->GetLeftMargin(), 33);
  EXPECT_EQ(Items(w.get()), "text@0/0");
  std::filesystem::remove(path);
  EXPECT_FALSE(w->LoadRVF(path.u16string()));  // missing file
}

TEST_F(ViewerDocOpsTest, PlainTextRoundTrip) {
  V->AddNL(u"alpha", 0, 0);
  V->AddNL(u"beta \u00e9", 0, 0);
  const auto path = TempFile("text.txt");
  ASSERT_TRUE(V->SaveTextW(path.u16string(), 80));
  auto w = NewViewer();
  ASSERT_TRUE(w->LoadTextW(path.u16string(), 1, 1, false));
  EXPECT_EQ(Items(w.get()), "alpha@1/1|beta \xe9@1/1");
  TMemoryStream stream;
  ASSERT_TRUE(V->SaveTextToStreamW(u"", &stream, 80, false, false));
  EXPECT_EQ(stream.GetSize(), static_cast<std::int64_t>((5 + 2 + 6) * 2));
  std::filesystem::remove(path);
}

TEST_F(ViewerDocOpsTest, FormatsNotBuiltYetAnswerFalse) {
  TMemoryStream stream;
  EXPECT_FALSE(V->LoadRTFFromStream(&stream));
  EXPECT_FALSE(V->SaveRTFToStream(&stream, false));
  EXPECT_FALSE(V->SaveHTML(u"x.html", u"", u"img", {}));
  EXPECT_FALSE(V->SaveDocXToStream(&stream, false));
  EXPECT_EQ(stream.GetSize(), 0);
}

TEST_F(ViewerDocOpsTest, NumberedProperties) {
  V->SetIntProperty(rvipLeftMargin, 12);
  V->SetIntProperty(rvipMaxTextWidth, 250);
  V->SetIntProperty(rvipColor, static_cast<int>(clBlue));
  V->SetIntProperty(rvipBackgroundStyle, static_cast<int>(bsTiled));
  EXPECT_EQ(V->GetLeftMargin(), 12);
  EXPECT_EQ(V->GetIntProperty(rvipMaxTextWidth), 250);
  EXPECT_EQ(V->GetIntProperty(rvipColor), static_cast<int>(clBlue));
  EXPECT_EQ(V->GetIntProperty(rvipBackgroundStyle), static_cast<int>(bsTiled));
  // Reading a document parameter never makes them; writing one does, any non-zero is true.
  EXPECT_EQ(V->GetIntProperty(rvipDPUnits), 0);
  EXPECT_FALSE(V->DocParametersAssigned());
  V->SetIntProperty(rvipDPTitlePage, 5);
  EXPECT_TRUE(V->DocParametersAssigned());
  EXPECT_TRUE(V->GetDocParameters()->TitlePage);
  EXPECT_EQ(V->GetIntProperty(rvipDPTitlePage), 1);
  V->SetIntProperty(rvipDPOrientation, static_cast<int>(poLandscape));
  EXPECT_EQ(V->GetIntProperty(rvipDPOrientation), static_cast<int>(poLandscape));
  // The direction changes without formatting.
  V->AddNL(u"text", 0, 0);
  V->SetIntProperty(rvipBiDiMode, static_cast<int>(rvbdRightToLeft));
  EXPECT_EQ(V->GetIntProperty(rvipBiDiMode), static_cast<int>(rvbdRightToLeft));
  EXPECT_FALSE(V->GetRVData()->State.Contains(rvstSkipFormatting));
}

TEST_F(ViewerDocOpsTest, AssignEventsCopiesDocumentEventsOnly) {
  int jumps = 0, spelling = 0;
  V->OnJump = [&](TObject*, int) { ++jumps; };
  V->OnSpellingCheck = [&](TObject*, const TRVUnicodeString&, int, bool&) { ++spelling; };
  auto w = NewViewer();
  w->AssignEvents(V.get());
  ASSERT_TRUE(w->OnJump);
  w->OnJump(w.get(), 3);
  EXPECT_EQ(jumps, 1);
  EXPECT_FALSE(w->OnSpellingCheck);
}

TEST_F(ViewerDocOpsTest, ClientAndDocumentCoordinatesAreInverse) {
  for (int i = 0; i < 80; ++i) V->AddNL(u"line", 0, 0);
  V->HandleNeeded();
  V->Format();
  V->ScrollTo(100);
  const TPoint doc = V->ClientToDocument(TPoint(7, 9));
  EXPECT_EQ(doc.Y, 9 + V->GetRVData()->GetVOffs());
  EXPECT_GT(doc.Y, 9);
  const TPoint back = V->DocumentToClient(doc);
  EXPECT_EQ(back.X, 7);
  EXPECT_EQ(back.Y, 9);
  int left = -1, top = -1;
  ASSERT_TRUE(V->GetItemCoords(1, left, top));
  EXPECT_GT(top, 0);
  EXPECT_FALSE(V->GetItemCoords(80, left, top));
}

}  // namespace

namespace {

TEST_F(ViewerDocOpsTest, ScrollHandlersOfOtherComponentsAreToldUntilUnregistered) {
  for (int i = 0; i < 80; ++i) V->AddNL(u"line", 0, 0);
  V->HandleNeeded();
  V->Format();
  TComponent ruler(nullptr);
  int calls = 0;
  V->RegisterVScrollHandler(&ruler, [&](TObject*) { ++calls; });
  V->ScrollTo(100);
  EXPECT_GE(calls, 1);
  const int seen = calls;
  V->UnregisterVScrollHandler(&ruler);
  V->ScrollTo(0);
  EXPECT_EQ(calls, seen);
}

}  // namespace
