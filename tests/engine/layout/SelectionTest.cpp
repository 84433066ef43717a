// Selection queries, setting the selection from item terms, the single selected picture, the
// selected text, and copying the selection to the clipboard (offscreen: the clipboard layer is
// read directly).
#include "engine/layout/LayoutTestUtil.h"

#include <cstring>
#include <string>

#include "engine/document/RVGraphicItem.h"
#include "engine/foundation/RVClipboard.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Clipbrd.h"

namespace {

std::unique_ptr<TGraphic> Bitmap(int W, int H) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(W, H);
  return bmp;
}

void AddPicture(TCustomRVData& Doc, int ParaNo) {
  auto* pic = new TRVGraphicItemInfo(&Doc, Bitmap(20, 10), rvvaBaseline);
  pic->ParaNo = ParaNo;
  Doc.AddItem(u"", pic);
}

// "ab" <picture> "cd" on one line, then "ef" on the next (its own paragraph), and "gh" in a
// second text style continuing that line.
struct TSelDoc : TLayoutDoc {
  TSelDoc() : TLayoutDoc(400) {
    Doc.AddNL(u"ab", 0, 0);
    AddPicture(Doc, -1);
    Doc.AddNL(u"cd", 0, -1);
    Doc.AddNL(u"ef", 0, 0);
    Doc.AddNL(u"gh", 1, -1);
    Doc.Format(false);
  }
  void SetDraw(int s, int so, int e, int eo) {
    Doc.FSelStartNo = s;
    Doc.FSelStartOffs = so;
    Doc.FSelEndNo = e;
    Doc.FSelEndOffs = eo;
  }
  std::string Bounds(bool Normalize) {
    int s, so, e, eo;
    Doc.GetSelectionBounds(s, so, e, eo, Normalize);
    return std::to_string(s) + ":" + std::to_string(so) + "-" + std::to_string(e) + ":" + std::to_string(eo);
  }
};

std::string MimeBytes(const char* mime) {
  for (const auto& [type, bytes] : GetClipboardMimeData())
    if (type == mime) return bytes;
  return "<none>";
}

}  // namespace

// The edge cases of the selection queries on draw-item selections.
TEST(Selection, QueriesOnDrawItemSelections) {
  TSelDoc t;
  ASSERT_EQ(t.Lines(), "ab#cd/efgh");  // draw items: 0 ab, 1 picture, 2 cd, 3 ef, 4 gh
  struct {
    int s, so, e, eo;
    bool exists;
    const char* normalized;  // item bounds, start first
    bool picture;
    const char* text;
  } cases[] = {
      // Nothing, and one position.
      {-1, 0, -1, 0, false, "-1:-1--1:-1", false, ""},
      {0, 2, 0, 2, false, "0:2-0:2", false, ""},
      // The end of one draw item to the start of the next on the same line selects nothing.
      {3, 3, 4, 1, false, "3:3-4:1", false, ""},
      {0, 3, 1, 0, false, "0:3-1:0", false, ""},
      // The same across a line start does select the paragraph break.
      {2, 3, 3, 1, true, "2:3-3:1", false, "\r\n"},
      // A selection made backwards is the same selection.
      {4, 2, 3, 2, true, "3:2-4:2", false, "fg"},
      // The picture alone, from its start or from the end of the text before it, or up to the
      // start of the text after it.
      {1, 0, 1, 1, true, "1:0-1:1", true, ""},
      {0, 3, 1, 1, true, "0:3-1:1", true, ""},
      {1, 0, 2, 1, true, "1:0-2:1", true, ""},
      {0, 3, 2, 1, true, "0:3-2:1", true, ""},
      // One character more on either side: no longer a single picture.
      {0, 2, 1, 1, true, "0:2-1:1", false, "b"},
      {1, 0, 2, 2, true, "1:0-2:2", false, "c"},
      // A draw item past the end reads as no selection.
      {0, 1, 9, 1, false, "0:1--1:-1", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.s) + ":" + std::to_string(c.so) + "-" + std::to_string(c.e) + ":" +
                 std::to_string(c.eo));
    t.SetDraw(c.s, c.so, c.e, c.eo);
    EXPECT_EQ(t.Doc.SelectionExists(false, false), c.exists);
    EXPECT_EQ(t.Bounds(true), c.normalized);
    EXPECT_EQ(t.Doc.GetSelectedImage() != nullptr, c.picture);
    TRVUnicodeString text = t.Doc.GetSelTextW();
    // A selected picture reads as no text.
    std::string narrow;
    for (char16_t ch : text) narrow += static_cast<char>(ch);
    EXPECT_EQ(narrow, c.text);
    // Without reset the selection stays as it was; with reset an empty one is cleared.
    EXPECT_EQ(t.Doc.FSelStartNo, c.s);
    t.Doc.SelectionExists(true, false);
    EXPECT_EQ(t.Doc.FSelStartNo >= 0, c.exists);
  }
}

TEST(Selection, ResetKeepsASelectionBeingMadeWithTheMouse) {
  TSelDoc t;
  t.SetDraw(0, 2, 0, 2);
  t.Doc.State.Include(rvstMakingSelection);
  EXPECT_FALSE(t.Doc.SelectionExists(true, false));
  EXPECT_EQ(t.Doc.FSelStartNo, 0);
  t.Doc.State.Exclude(rvstMakingSelection);
}

TEST(Selection, PositionsInsideTheSelection) {
  TSelDoc t;
  t.Doc.SetSelectionBounds(3, 2, 0, 2);  // backwards, from "e|f" to "a|b"
  EXPECT_EQ(t.Bounds(false), "3:2-0:2");
  struct {
    int item, offs;
    bool borders, strict;
  } cases[] = {
      {0, 1, false, false}, {0, 2, true, false}, {0, 3, true, true},  {1, 0, true, true},
      {2, 3, true, true},   {3, 1, true, true},  {3, 2, true, false}, {3, 3, false, false},
      {4, 1, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(t.Doc.Item_InsideSelection(c.item, c.offs, true), c.borders) << c.item << ":" << c.offs;
    EXPECT_EQ(t.Doc.Item_InsideSelection(c.item, c.offs, false), c.strict) << c.item << ":" << c.offs;
  }
  EXPECT_TRUE(t.Doc.DrawItem_InsideSelection(1, 0, false));
  EXPECT_FALSE(t.Doc.DrawItem_InsideSelection(0, 2, false));
  EXPECT_TRUE(t.Doc.DrawItem_InsideSelection(0, 2, true));
  // An empty selection holds nothing, not even its own position.
  t.Doc.SetSelectionBounds(0, 2, 0, 2);
  EXPECT_FALSE(t.Doc.Item_InsideSelection(0, 2, true));
}

TEST(Selection, SettingTheSelection) {
  TLayoutDoc t(400);
  TRVListLevel* l = t.Sheet.ListStyles()->Add()->Levels()->Add();
  l->ListType = rvlstBullet;
  t.Doc.AddNL(u"first", 0, 0);
  t.Doc.SetListMarkerInfo(-1, 0, 0, 1, 0, true);
  t.Doc.AddNL(u"listed", 0, -1);
  t.Doc.Format(false);
  ASSERT_EQ(t.Doc.GetItem(1)->StyleNo, ItemKindListMarker);
  // A bound on the list marker moves to the start of the paragraph's text.
  t.Doc.SetSelectionBounds(0, 3, 1, 0);
  int s, so, e, eo;
  t.Doc.GetSelectionBounds(s, so, e, eo, false);
  EXPECT_EQ(e, 2);
  EXPECT_EQ(eo, 1);
  t.Doc.SetSelectionBounds(1, 1, 2, 4);
  t.Doc.GetSelectionBounds(s, so, e, eo, false);
  EXPECT_EQ(s, 2);
  EXPECT_EQ(so, 1);
  // The text of a selection that starts in a list paragraph begins with the marker's text.
  const TRVUnicodeString text = t.Doc.GetSelTextW();
  EXPECT_EQ(text.substr(text.size() - 4), u" lis");
  // Offsets beyond an item are clamped into its draw item; an item that does not exist clears
  // the selection.
  t.Doc.SetSelectionBounds(2, 0, 2, 99);
  EXPECT_EQ(t.Doc.FSelStartOffs, 1);
  EXPECT_EQ(t.Doc.FSelEndOffs, 7);
  t.Doc.SetSelectionBounds(0, 1, 7, 1);
  EXPECT_EQ(t.Doc.FSelStartNo, -1);
  EXPECT_FALSE(t.Doc.SelectionExists(false, false));
}

TEST(Selection, WrappedLineEndPrefersTheNextLineOnlyWhenAsked) {
  TLayoutDoc t(60);
  t.Doc.AddNL(u"aaa-bbbbb", 0, 0);
  t.Doc.Format(false);
  ASSERT_EQ(t.Lines(), "aaa-/bbbbb");
  t.Doc.SetSelectionBounds(0, 5, 0, 5);
  EXPECT_EQ(t.Doc.FSelStartNo, 0);
  EXPECT_EQ(t.Doc.FSelStartOffs, 5);
  t.Doc.SetSelectionBoundsDown(0, 5, 0, 5);
  EXPECT_EQ(t.Doc.FSelStartNo, 1);
  EXPECT_EQ(t.Doc.FSelStartOffs, 1);
}

TEST(Selection, SaveScopeOfTheSelection) {
  TSelDoc t;
  t.Doc.SetSelectionBounds(3, 2, 0, 2);
  int s, so, e, eo;
  TRVMultiDrawItemPart *sp = nullptr, *ep = nullptr;
  TCustomRVItemInfo* sel = nullptr;
  t.Doc.GetSaveScopeRange(rvfss_Selection, s, so, e, eo, sp, ep, sel);
  EXPECT_EQ(std::to_string(s) + ":" + std::to_string(so) + "-" + std::to_string(e) + ":" + std::to_string(eo),
            "0:2-3:2");
  EXPECT_EQ(sel, nullptr);
  t.Doc.GetSaveScopeRange(rvfss_Full, s, so, e, eo, sp, ep, sel);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(e, 4);
}

// ---- copying -------------------------------------------------------------------------------------

class SelectionCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClipboardMimeData({});
    t.Doc.SetOptions(TRVOptions{});
  }
  TSelDoc t;
};

TEST_F(SelectionCopy, NothingAskedLeavesTheClipboardAlone) {
  Clipboard()->SetAsText(u"keep");
  t.Doc.SetSelectionBounds(0, 1, 2, 3);
  EXPECT_FALSE(t.Doc.CopyDef(clNone, nullptr));
  EXPECT_EQ(Clipboard()->GetAsText(), u"keep");
  // An OnCopy handler alone makes copying possible: the clipboard is emptied for it.
  int copies = 0;
  t.Doc.GetRootEvents()->OnCopy = [&] { ++copies; };
  EXPECT_TRUE(t.Doc.CopyDef(clNone, nullptr));
  EXPECT_EQ(copies, 1);
  EXPECT_FALSE(Clipboard()->HasFormat(CF_UNICODETEXT));
  // Without a selection nothing is copied, though copying would be possible.
  Clipboard()->SetAsText(u"keep");
  t.Doc.Deselect(nullptr, false);
  EXPECT_TRUE(t.Doc.CopyDef(clNone, nullptr));
  EXPECT_EQ(copies, 1);
  EXPECT_EQ(Clipboard()->GetAsText(), u"keep");
}

TEST_F(SelectionCopy, TextAndNativeFormat) {
  t.Doc.SetOptions(TRVOptions{rvoAutoCopyUnicodeText, rvoAutoCopyText, rvoAutoCopyRVF, rvoAutoCopyRTF});
  t.Doc.SetSelectionBounds(2, 2, 4, 2);  // "d", the paragraph break, "ef", "g"
  ASSERT_TRUE(t.Doc.CopyDef(clNone, nullptr));
  EXPECT_EQ(Clipboard()->GetAsText(), u"d\r\nefg");
  EXPECT_EQ(MimeBytes("text/plain"), "d\r\nefg");
  EXPECT_FALSE(Clipboard()->HasFormat(RTFClipboardFormat));  // no RTF writer yet

  // The native block is the count and the RVF of the selection, which loads back to its items.
  const std::string block = MimeBytes(ClipboardFormatMimeType(RVFClipboardFormat).c_str());
  ASSERT_GE(block.size(), 4u);
  const std::uint32_t count = static_cast<unsigned char>(block[0]) | static_cast<unsigned char>(block[1]) << 8 |
                              static_cast<unsigned char>(block[2]) << 16 |
                              static_cast<std::uint32_t>(static_cast<unsigned char>(block[3])) << 24;
  EXPECT_EQ(count, block.size() - 4);
  TRVRawByteString rvf;
  ASSERT_TRUE(GetClipboardRVF(rvf));
  TRVPlainFormattedData back(&t.Sheet);
  TMemoryStream ms;
  ms.WriteBuffer(rvf.data(), static_cast<std::int64_t>(rvf.size()));
  ms.SetPosition(0);
  TColor color = clNone;
  ASSERT_TRUE(back.LoadRVFFromStream(&ms, color, nullptr, nullptr));
  ASSERT_EQ(back.ItemCount(), 3);
  EXPECT_EQ(back.GetItemTextW(0), u"d");
  EXPECT_EQ(back.GetItemTextW(1), u"ef");
  EXPECT_EQ(back.GetItemTextW(2), u"g");
  EXPECT_EQ(back.GetItem(2)->StyleNo, 1);
  EXPECT_TRUE(back.IsParaStart(1));
  EXPECT_FALSE(back.IsParaStart(2));
}

TEST_F(SelectionCopy, ASelectedPictureTravelsAsAnImageNotAsText) {
  t.Doc.SetOptions(TRVOptions{rvoAutoCopyUnicodeText, rvoAutoCopyImage});
  t.Doc.SetSelectionBounds(1, 0, 1, 1);
  ASSERT_TRUE(t.Doc.CopyDef(clNone, nullptr));
  const std::string png = MimeBytes("image/png");
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(MimeBytes("text/plain"), "<none>");
  // Text around it: text, and no picture.
  t.Doc.SetSelectionBounds(0, 2, 1, 1);
  ASSERT_TRUE(t.Doc.CopyDef(clNone, nullptr));
  EXPECT_EQ(MimeBytes("image/png"), "<none>");
  EXPECT_EQ(MimeBytes("text/plain"), "b");
}

// The reader of the native block never reads past the block, whatever its count says.
TEST(RVFClipboardBlock, CountIsCheckedAgainstTheBlock) {
  struct {
    std::string block;
    bool ok;
    std::string rvf;
  } cases[] = {
      {"", false, ""},
      {std::string("\x03\x00\x00", 3), false, ""},
      {std::string("\x00\x00\x00\x00", 4), true, ""},
      {std::string("\x03\x00\x00\x00" "abc", 7), true, "abc"},
      {std::string("\x02\x00\x00\x00" "abcdef", 10), true, "ab"},
      {std::string("\x04\x00\x00\x00" "abc", 7), false, ""},
      {std::string("\xFF\xFF\xFF\xFF" "abc", 7), false, ""},
      {std::string("\x00\x01\x00\x00" "abc", 7), false, ""},
  };
  for (const auto& c : cases) {
    // A copy of exactly the block's bytes, so that a read past it is caught by the sanitizer.
    std::unique_ptr<char[]> exact(new char[c.block.size()]);
    std::memcpy(exact.get(), c.block.data(), c.block.size());
    TRVRawByteString rvf = "stale";
    EXPECT_EQ(ReadRVFClipboardBlock(exact.get(), c.block.size(), rvf), c.ok) << c.block.size();
    EXPECT_EQ(rvf, c.rvf);
  }
  TRVRawByteString rvf;
  EXPECT_FALSE(ReadRVFClipboardBlock(nullptr, 8, rvf));
  // A damaged block on the clipboard reads as none.
  SetClipboardMimeData({{ClipboardFormatMimeType(RVFClipboardFormat), std::string("\x09\x00\x00\x00" "ab", 6)}});
  EXPECT_FALSE(GetClipboardRVF(rvf));
  SetClipboardMimeData({});
  EXPECT_FALSE(GetClipboardRVF(rvf));
}
