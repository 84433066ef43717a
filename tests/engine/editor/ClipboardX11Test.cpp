// The editor's clipboard under a real X server, with another program (xclip) on the other side:
// what the editor copies is read as plain text, text and HTML that xclip offers reach the editor,
// and the native format copied out and offered back by xclip pastes item for item. CTest runs
// these through xvfb-run as test_engine_editor_x11; elsewhere they are skipped.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

#include "engine/editor/RVEdit.h"
#include "engine/foundation/RVClipboard.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/styles/RVStyle.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/GuiSession.h"
#include "support/X11TestUtil.h"

namespace clipboard_x11_test {

inline const bool ScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

using x11_test_util::RunServingClipboard;

// Offers Bytes under the MIME type through xclip, which serves them from the background until
// another program owns the clipboard; true once the clipboard offers those bytes under the type.
bool OfferWithXclip(const std::string& Mime, const std::string& Bytes) {
  char path[] = "/tmp/tavrelo-clip-in-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return false;
  const bool written = write(fd, Bytes.data(), Bytes.size()) == static_cast<ssize_t>(Bytes.size());
  close(fd);
  const bool ok =
      written &&
      std::system(("xclip -selection clipboard -t " + Mime + " -i " + path + " > /dev/null 2>&1").c_str()) == 0;
  std::remove(path);
  if (!ok) return false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < end) {
    // The bytes too, from xclip: the type, and even the same bytes, may still be this program's
    // own offer from before, until the window system has handed the clipboard over.
    if (!ClipboardOwnedHere())
      for (const auto& [mime, bytes] : GetClipboardMimeData())
        if (mime == Mime && bytes == Bytes) return true;
    ProcessMessages(20);
  }
  return false;
}

struct ClipboardX11 : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> Editor;

  void SetUp() override {
    if (WindowSystemName() != "xcb") GTEST_SKIP() << "needs an X server (CTest entry test_engine_editor_x11)";
    ASSERT_EQ(std::system("command -v xclip > /dev/null 2>&1"), 0) << "xclip is missing: scripts/setup.sh installs it";
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < 3) Sheet.TextStyles()->Add();
    Sheet.UseSound = false;
    Editor = std::make_unique<TViroZereEdit>(nullptr);
    Editor->SetStyle(&Sheet);
    Editor->SetBounds(0, 0, 400, 300);
  }
  void TearDown() override {
    // Taking the clipboard back ends a background xclip.
    if (Editor) SetClipboardMimeData({{"text/plain", ""}});
  }
  void Open(const std::u16string& First, int FirstStyle, const std::u16string& Second) {
    TCustomRVData* D = Editor->GetRVData();
    D->AddNL(First, FirstStyle, 0);
    D->AddNL(Second, 0, 0);
    Editor->HandleNeeded();
    Editor->Format();
  }
  void CaretAtEnd() {
    TRVEditRVData* D = Editor->GetEditRVData();
    const int Last = D->ItemCount() - 1;
    D->Deselect(nullptr, true);
    D->SetCaretAtItem(Last, D->GetOffsAfterItem(Last));
    D->ChangeCaret(false, false, false, false);
  }
  std::string Items() const {
    TRVEditRVData* D = Editor->GetEditRVData();
    std::string r;
    for (int i = 0; i < D->ItemCount(); ++i) {
      if (i) r += D->IsParaStart(i) ? "/" : "|";
      r += std::to_string(D->GetItem(i)->StyleNo) + ":" + UnicodeToUtf8(D->GetItemTextW(i));
    }
    return r;
  }
};

// The editor copies; xclip reads plain text.
TEST_F(ClipboardX11, X11CopiedTextIsReadByAnotherProgram) {
  Open(u"Stra\u00DFe one", 0, u"two");
  Editor->SelectAll();
  Editor->Perform(WM_COPY, 0, 0);
  EXPECT_EQ(RunServingClipboard("xclip -selection clipboard -o -t text/plain"),
            "Stra\xC3\x9F"
            "e one\r\ntwo");
  EXPECT_EQ(RunServingClipboard("xclip -selection clipboard -o"),
            "Stra\xC3\x9F"
            "e one\r\ntwo");
}

// Text offered by xclip is pasted with its lines as paragraphs; HTML offered alone is seen by the
// editor (its block and the folder of its "SourceURL:" line) but the editor pastes no HTML.
TEST_F(ClipboardX11, X11TextAndHtmlFromAnotherProgram) {
  Open(u"ab", 0, u"cd");
  CaretAtEnd();
  ASSERT_TRUE(OfferWithXclip("text/plain", "x\xC3\xA9\ny"));
  ASSERT_TRUE(Editor->CanPaste());
  Editor->Paste();
  EXPECT_EQ(Items(), "0:ab/0:cdx\xC3\xA9/0:y");

  const std::string Html =
      "<html><body><!--\nSourceURL:http://example.org/docs/page.html\n--><b>bold</b></body></html>";
  ASSERT_TRUE(OfferWithXclip("text/html", Html));
  ASSERT_TRUE(Clipboard()->HasFormat(HTMLClipboardFormat));
  TRVAnsiString Block;
  ASSERT_TRUE(GetClipboardAnsiText(Block, HTMLClipboardFormat));
  EXPECT_EQ(Block, Html);
  EXPECT_EQ(TCustomViroZereEdit::BasePathFromHTMLBlock(Block.data(), Block.size()), u"http://example.org/docs/");
  EXPECT_FALSE(Editor->CanPaste());
  Editor->Paste();
  EXPECT_EQ(Items(), "0:ab/0:cdx\xC3\xA9/0:y");
}

// The native format goes out to another program and comes back from it, item for item.
TEST_F(ClipboardX11, X11NativeFormatRoundTripsThroughAnotherProgram) {
  Open(u"one", 1, u"two");
  Editor->SelectAll();
  Editor->Copy();
  const std::string Mime = ClipboardFormatMimeType(RVFClipboardFormat);
  const std::string Block = RunServingClipboard("xclip -selection clipboard -o -t " + Mime);
  ASSERT_NE(Block, "<failed>");
  ASSERT_GT(Block.size(), 4u);
  ASSERT_TRUE(OfferWithXclip(Mime, Block));
  CaretAtEnd();
  Editor->Paste();
  EXPECT_EQ(Items(), "1:one/0:two|1:one/0:two");
  Editor->Undo();
  EXPECT_EQ(Items(), "1:one/0:two");
}

}  // namespace clipboard_x11_test
