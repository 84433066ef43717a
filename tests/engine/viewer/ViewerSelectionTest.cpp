// The viewer's selection, copying and search. Offscreen the formats are read back through the
// clipboard layer; the X11 case (run by CTest as test_engine_viewer_x11 under xvfb-run) reads
// them with another program, xclip, as any other program would.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <unistd.h>

#include "engine/foundation/RVClipboard.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Controls.h"
#include "platform/ui/GuiSession.h"
#include "support/X11TestUtil.h"

namespace {

inline const bool SelectionTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

struct ViewerSelection : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZere> V;

  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < 2) Sheet.TextStyles()->Add();
    V = std::make_unique<TViroZere>(nullptr);
    V->SetBounds(0, 0, 400, 300);
    V->SetStyle(&Sheet);
    V->GetRVData()->AddNL(u"xcat and the cat", 0, 0);
    V->GetRVData()->AddNL(u"Stra\u00DFe", 1, 0);
    V->HandleNeeded();
    V->Format();
    SetClipboardMimeData({});
  }
  std::string Sel() {
    int s, so, e, eo;
    V->GetSelectionBounds(s, so, e, eo, false);
    return std::to_string(s) + ":" + std::to_string(so) + "-" + std::to_string(e) + ":" + std::to_string(eo);
  }
};

// The items of RVF bytes, loaded into a fresh document on the same style sheet, as
// "style:text" joined by "|", "/" before each paragraph.
std::string ItemsOfRVF(TRVStyle& Sheet, const std::string& RVF) {
  TViroZere v(nullptr);
  v.SetStyle(&Sheet);
  TCustomRVData& doc = *v.GetRVData();
  TMemoryStream ms;
  ms.WriteBuffer(RVF.data(), static_cast<std::int64_t>(RVF.size()));
  ms.SetPosition(0);
  TColor color = clNone;
  if (!doc.LoadRVFFromStream(&ms, color, nullptr, nullptr)) return "<not loaded>";
  std::string r;
  for (int i = 0; i < doc.ItemCount(); ++i) {
    if (i && doc.IsParaStart(i)) r += "/";
    else if (i) r += "|";
    r += std::to_string(doc.GetItem(i)->StyleNo) + ":";
    for (char16_t c : doc.GetItemTextW(i)) r += c < 128 ? static_cast<char>(c) : '?';
  }
  return r;
}

}  // namespace

TEST_F(ViewerSelection, SearchSelectsAndCopyDefCopiesTheSelection) {
  EXPECT_FALSE(V->SelectionExists());
  ASSERT_TRUE(V->SearchText(u"CAT", TRVSearchOptions{rvsroDown, rvsroWholeWord, rvsroFromStart}));
  EXPECT_EQ(Sel(), "0:14-0:17");
  EXPECT_TRUE(V->SelectionExists());
  EXPECT_EQ(V->GetSelText(), u"cat");
  ASSERT_FALSE(V->SearchText(u"STRASSE", TRVSearchOptions{rvsroDown}));
  ASSERT_TRUE(V->SearchText(u"STRA\u00DFE", TRVSearchOptions{rvsroDown}));
  EXPECT_EQ(Sel(), "1:1-1:7");
  // Upwards from there with whole words: the lone "cat", not the end of "xcat".
  ASSERT_TRUE(V->SearchText(u"cat", TRVSearchOptions{rvsroWholeWord}));
  EXPECT_EQ(Sel(), "0:17-0:14");
  EXPECT_FALSE(V->SearchText(u"cat", TRVSearchOptions{rvsroWholeWord}));

  V->SetSelectionBounds(0, 14, 1, 5);
  ASSERT_TRUE(V->CopyDef());
  EXPECT_EQ(Clipboard()->GetAsText(), u"cat\r\nStra");
  TRVRawByteString rvf;
  ASSERT_TRUE(GetClipboardRVF(rvf));
  EXPECT_EQ(ItemsOfRVF(Sheet, rvf), "0:cat/1:Stra");

  V->Deselect();
  EXPECT_FALSE(V->SelectionExists());
  V->SelectAll();
  EXPECT_EQ(V->GetSelTextW(), u"xcat and the cat\r\nStra\u00DFe");
}

TEST_F(ViewerSelection, SingleFormatCopies) {
  V->SetSelectionBounds(0, 1, 0, 5);
  V->CopyRVF();
  EXPECT_FALSE(Clipboard()->HasFormat(CF_UNICODETEXT));
  TRVRawByteString rvf;
  ASSERT_TRUE(GetClipboardRVF(rvf));
  EXPECT_EQ(ItemsOfRVF(Sheet, rvf), "0:xcat");
  V->CopyTextW();
  EXPECT_FALSE(Clipboard()->HasFormat(RVFClipboardFormat));
  EXPECT_EQ(Clipboard()->GetAsText(), u"xcat");
  V->Copy();
  EXPECT_TRUE(Clipboard()->HasFormat(RVFClipboardFormat));
  EXPECT_EQ(Clipboard()->GetAsText(), u"xcat");
  // Without a selection the clipboard keeps what it holds.
  V->Deselect();
  V->CopyText();
  EXPECT_EQ(Clipboard()->GetAsText(), u"xcat");
}

// ---- under a real X server ------------------------------------------------------------------------

using x11_test_util::RunServingClipboard;

TEST_F(ViewerSelection, X11OtherProgramsReadTheCopiedSelection) {
  if (WindowSystemName() != "xcb") GTEST_SKIP() << "needs an X server (CTest entry test_engine_viewer_x11)";
  ASSERT_EQ(std::system("command -v xclip > /dev/null 2>&1"), 0) << "xclip is missing: scripts/setup.sh installs it";
  V->SetSelectionBounds(0, 10, 1, 5);  // "the cat", the paragraph break, "Stra"
  ASSERT_TRUE(V->CopyDef());
  EXPECT_EQ(RunServingClipboard("xclip -selection clipboard -o -t text/plain"), "the cat\r\nStra");
  const std::string block =
      RunServingClipboard("xclip -selection clipboard -o -t " + ClipboardFormatMimeType(RVFClipboardFormat));
  TRVRawByteString rvf;
  ASSERT_TRUE(ReadRVFClipboardBlock(block.data(), block.size(), rvf)) << block.size();
  EXPECT_EQ(ItemsOfRVF(Sheet, rvf), "0:the cat/1:Stra");
}
