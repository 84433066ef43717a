// The editor's clipboard: which format a paste takes, the native format copied and pasted item for
// item, cutting, the paste questions, pictures and files, and the readers of clipboard blocks fed
// with damaged blocks. Also text files in their encodings and the search that starts at the caret.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/document/RVGraphicItem.h"
#include "engine/editor/EditorTestUtil.h"
#include "engine/foundation/RVClipboard.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ShellAPI.h"

namespace {

struct ClipboardEditor : EditorFixture {
  void SetUp() override {
    EditorFixture::SetUp();
    Sheet.UseSound = false;
    SetClipboardMimeData({});
  }
  void TearDown() override { SetClipboardMimeData({}); }

  void FormatAndPlace(int ItemNo, int Offs) {
    Editor->HandleNeeded();
    Editor->Format();
    Data->SetCaretAtItem(ItemNo, Offs);
    Data->ChangeCaret(false, false, false, false);
  }
  // The items as "style:text", a paragraph start shown by "/".
  std::string Items() const {
    std::string r;
    for (int i = 0; i < Data->ItemCount(); ++i) {
      if (i) r += Data->IsParaStart(i) ? "/" : "|";
      r += std::to_string(Data->GetItem(i)->StyleNo) + ":" + ToUtf8(Data->GetItemTextW(i));
    }
    return r;
  }
  std::string Caret() const {
    return std::to_string(Data->GetCurItemNo()) + ":" + std::to_string(Data->GetOffsetInCurItem());
  }
  // Fills the clipboard through the engine's routines, in one session.
  template <class F>
  static void OnClipboard(F&& Fill) {
    Clipboard()->Open();
    Fill();
    Clipboard()->Close();
  }
  static void PutBlock(UINT Format, const std::string& Bytes) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, Bytes.size());
    if (!Bytes.empty()) std::memcpy(GlobalLock(h), Bytes.data(), Bytes.size());
    GlobalUnlock(h);
    Clipboard()->SetAsHandle(Format, h);
  }
  static std::string TempFile(const char* Name, const std::string& Bytes) {
    const std::string Path = ::testing::TempDir() + "clipboard_" + Name;
    std::ofstream(Path, std::ios::binary) << Bytes;
    return Path;
  }
  static TRVUnicodeString W(const std::string& S) { return Utf8ToUnicode(S); }
  // The RVF of "xy" in style 1 followed by a paragraph "z" in style 2, as the viewer copies it.
  std::string SomeRVF() {
    TViroZereEdit Source(nullptr);
    Source.SetStyle(&Sheet);
    Source.GetRVData()->AddNL(u"xy", 1, 0);
    Source.GetRVData()->AddNL(u"z", 2, 0);
    Source.HandleNeeded();
    Source.Format();
    Source.SelectAll();
    Source.CopyRVF();
    TRVRawByteString RVF;
    EXPECT_TRUE(GetClipboardRVF(RVF));
    return RVF;
  }
};

// A paste takes the first accepted format that the clipboard holds.
TEST_F(ClipboardEditor, PasteTakesTheFirstAcceptedFormat) {
  const std::string RVF = SomeRVF();
  const TRVDragDropFormats Default = Editor->GetAcceptPasteFormats();
  TRVDragDropFormats NoRVF = Default, WithURL = Default, NoRTF = Default;
  NoRVF.Exclude(rvddRVF);
  WithURL.Include(rvddURL);
  NoRTF.Exclude(rvddRTF);
  struct Case {
    const char* Name;
    TRVDragDropFormats Accepted;
    bool PutRVF, PutRTF, PutURL, PutBitmap;
    const char* Expected;
  } cases[] = {
      {"native format before text", Default, true, false, false, false, "0:ab|1:xy/2:z|0:cd"},
      {"text when the native format is not accepted", NoRVF, true, false, false, false, "0:abTTcd"},
      {"text before a picture", Default, false, false, false, true, "0:abTTcd"},
      {"a link pastes as its text by default", Default, false, false, true, false, "0:abTTcd"},
      {"an accepted link pastes as the link", WithURL, false, false, true, false, "0:abhttp://h/cd"},
      // RTF that inserts nothing (no reader yet) leaves the paste to the text offered beside it.
      {"RTF before text", Default, false, true, false, false, "0:abTTcd"},
      {"text when RTF is not accepted", NoRTF, false, true, false, false, "0:abTTcd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Data->Clear();
    Add(u"abcd", 0, 0);
    FormatAndPlace(0, 3);
    Editor->SetAcceptPasteFormats(c.Accepted);
    OnClipboard([&] {
      SetClipboardUnicodeText(u"TT", CF_UNICODETEXT);
      if (c.PutRVF) SetClipboardRVF(RVF.data(), RVF.size());
      if (c.PutRTF) SetClipboardAnsiText("{\\rtf1 x}", RTFClipboardFormat);
      if (c.PutURL) SetClipboardUnicodeText(u"http://h/", URLWClipboardFormat);
    });
    if (c.PutBitmap) {
      TBitmap Bmp;
      Bmp.SetSize(2, 2);
      Clipboard()->Open();
      Clipboard()->Assign(&Bmp);
      SetClipboardUnicodeText(u"TT", CF_UNICODETEXT);
      Clipboard()->Close();
    }
    Editor->Paste();
    EXPECT_EQ(Items(), c.Expected);
  }
}

// Copy then paste goes through the native format: the same items, styles and paragraphs, and one
// undo step takes the paste back.
TEST_F(ClipboardEditor, CopyThenPasteRoundTripsItemForItem) {
  Add(u"one", 1, 0);
  Add(u"two", 2, 0, '+');
  Add(u"three", 0, 1);
  FormatAndPlace(2, 6);
  Editor->SelectAll();
  Editor->Copy();
  Data->SetCaretAtItem(2, 6);
  Data->ChangeCaret(false, false, false, false);
  Data->Deselect(nullptr, true);
  const std::string Before = Items();
  Editor->Paste();
  EXPECT_EQ(Items(), "1:one|2:two/0:three|1:one|2:two/0:three");
  EXPECT_EQ(Data->GetItem(Data->ItemCount() - 1)->ParaNo, 1);
  Editor->Undo();
  EXPECT_EQ(Items(), Before);
}

// A native-format block whose count runs past the block, or that is too short to hold a count,
// is refused whole; one whose count is shorter than the block ignores the rest.
TEST_F(ClipboardEditor, DamagedNativeBlocksAreRefused) {
  const std::string RVF = SomeRVF();
  auto Block = [&](std::uint32_t Count, const std::string& Body) {
    std::string b;
    for (int i = 0; i < 4; ++i) b += static_cast<char>((Count >> (8 * i)) & 0xFF);
    return b + Body;
  };
  struct Case {
    const char* Name;
    std::string Block;
    bool Inserted;
  } cases[] = {
      {"count past the block", Block(static_cast<std::uint32_t>(RVF.size() + 1), RVF), false},
      {"huge count", Block(0xFFFFFFF0u, RVF), false},
      {"no count", std::string("\x01\x00", 2), false},
      {"trailing bytes", Block(static_cast<std::uint32_t>(RVF.size()), RVF + "garbage"), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Data->Clear();
    Add(u"ab", 0, 0);
    FormatAndPlace(0, 3);
    EXPECT_EQ(Editor->InsertRVFBlock(c.Block.data(), c.Block.size()), c.Inserted);
    EXPECT_EQ(Items(), c.Inserted ? "0:ab|1:xy/2:z" : "0:ab");
    // The same block through the clipboard.
    Data->Clear();
    Add(u"ab", 0, 0);
    FormatAndPlace(0, 3);
    OnClipboard([&] { PutBlock(RVFClipboardFormat, c.Block); });
    Editor->Paste();
    EXPECT_EQ(Items(), c.Inserted ? "0:ab|1:xy/2:z" : "0:ab");
  }
}

// Cutting copies and deletes; without any copy option or OnCopy handler it deletes nothing. A
// read-only editor pastes nothing and answers EM_CANPASTE with 0, while CanPaste still answers
// by the clipboard.
TEST_F(ClipboardEditor, CutAndReadOnly) {
  Add(u"abcd", 0, 0);
  FormatAndPlace(0, 1);
  Data->SetSelectionBounds(0, 2, 0, 4);
  Editor->CutDef();
  EXPECT_EQ(Items(), "0:ad");
  EXPECT_EQ(Clipboard()->GetAsText(), u"bc");

  Editor->SetOptions({rvoAllowSelection});
  Data->SetSelectionBounds(0, 1, 0, 2);
  Editor->Perform(WM_CUT, 0, 0);
  EXPECT_EQ(Items(), "0:ad");
  EXPECT_EQ(Clipboard()->GetAsText(), u"bc");

  Data->Deselect(nullptr, true);
  Editor->SetReadOnly(true);
  Editor->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Items(), "0:ad");
  EXPECT_EQ(Editor->Perform(EM_CANPASTE, 0, 0), 0);
  EXPECT_TRUE(Editor->CanPaste());
}

// EM_CANPASTE per format: the standard ones through AcceptPasteFormats, the native format and the
// URL formats whatever it holds, unknown ones never.
TEST_F(ClipboardEditor, CanPasteMessagePerFormat) {
  const std::string RVF = SomeRVF();
  OnClipboard([&] {
    SetClipboardRVF(RVF.data(), RVF.size());
    SetClipboardUnicodeText(u"t", CF_UNICODETEXT);
    SetClipboardUnicodeText(u"http://h/", URLWClipboardFormat);
  });
  TRVDragDropFormats Few{rvddText};
  struct Case {
    UINT Format;
    bool Few;
    LRESULT Expected;
  } cases[] = {
      {0, false, 1},
      {CF_UNICODETEXT, false, 1},
      {CF_UNICODETEXT, true, 0},
      {CF_TEXT, true, 1},
      {RVFClipboardFormat, true, 1},
      {URLWClipboardFormat, true, 1},
      {URLClipboardFormat, false, 0},
      {CF_BITMAP, false, 0},
      {CF_ENHMETAFILE, false, 0},
      {RTFClipboardFormat, false, 0},
  };
  const TRVDragDropFormats Default = Editor->GetAcceptPasteFormats();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Format);
    Editor->SetAcceptPasteFormats(c.Few ? Few : Default);
    EXPECT_EQ(Editor->Perform(EM_CANPASTE, c.Format, 0), c.Expected);
  }
}

// A bitmap on the clipboard is decoded by the picture classes and inserted as a bitmap of its
// size (named by the text when asked); bytes that no decoder takes insert nothing.
TEST_F(ClipboardEditor, BitmapsGoThroughTheDecoder) {
  Add(u"ab", 0, 0);
  FormatAndPlace(0, 3);
  TBitmap Bmp;
  Bmp.SetSize(3, 2);
  Clipboard()->Open();
  Clipboard()->Assign(&Bmp);
  SetClipboardUnicodeText(u"name", CF_UNICODETEXT);
  Clipboard()->Close();
  ASSERT_TRUE(Editor->PasteBitmap(true));
  ASSERT_EQ(Data->ItemCount(), 2);
  auto* Pic = dynamic_cast<TRVGraphicItemInfo*>(Data->GetItem(1));
  ASSERT_NE(Pic, nullptr);
  EXPECT_NE(dynamic_cast<TBitmap*>(Pic->GetImage()), nullptr);
  EXPECT_EQ(Pic->GetImage()->GetWidth(), 3);
  EXPECT_EQ(Pic->GetImage()->GetHeight(), 2);
  EXPECT_EQ(Data->GetItemTextW(1), u"name");

  // A bitmap header that claims a huge colour table and size, a cut PNG, and noise.
  std::string Bmp8 = "BM";
  Bmp8 += std::string("\x40\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00", 16);
  Bmp8 += std::string("\xFF\xFF\x00\x00\xFF\xFF\x00\x00\x01\x00\x08\x00\x00\x00\x00\x00", 16);
  Bmp8 += std::string(8, '\0') + std::string("\xFF\xFF\xFF\x7F", 4) + std::string(8, '\0');
  const std::string Png = "\x89PNG\r\n\x1a\n" + std::string(10, '\x01');
  for (const std::string& Bad : {Bmp8, Png, std::string("\x89PNG")}) {
    SCOPED_TRACE(Bad.size());
    SetClipboardMimeData({{Bad[0] == 'B' ? "image/bmp" : "image/png", Bad}});
    EXPECT_FALSE(Editor->PasteBitmap(false));
    EXPECT_FALSE(Editor->InsertPictureBlock(Bad.data(), Bad.size(), u"", true));
    EXPECT_EQ(Data->ItemCount(), 2);
  }
}

// Files on the clipboard: pictures among them are inserted in one undo step, files that are no
// pictures are skipped, and OnDropFile may skip a file.
TEST_F(ClipboardEditor, GraphicFilesArePastedInOneStep) {
  TBitmap Bmp;
  Bmp.SetSize(4, 4);
  const std::string A = TempFile("a.bmp", ""), B = TempFile("b b.bmp", ""), T = TempFile("t.txt", "text");
  Bmp.SaveToFile(W(A));
  Bmp.SaveToFile(W(B));
  Add(u"ab", 0, 0);
  FormatAndPlace(0, 3);
  std::vector<TRVUnicodeString> Seen;
  Editor->OnDropFile = [&](TCustomViroZereEdit*, const TRVUnicodeString& F, bool& DoDefault) {
    Seen.push_back(F);
    DoDefault = F != W(B);
  };
  OnClipboard([&] { PutBlock(CF_HDROP, MakeDropFilesBlock({W(A), W(T), W(B), W(A)})); });
  ASSERT_TRUE(Clipboard()->HasFormat(CF_HDROP));
  const int Steps = Data->UndoList->Count();
  Editor->Paste();
  EXPECT_EQ(Seen, (std::vector<TRVUnicodeString>{W(A), W(T), W(B), W(A)}));
  EXPECT_EQ(Items(), "0:ab|-3:|-3:");
  EXPECT_EQ(Data->UndoList->Count(), Steps + 1);
  Editor->Undo();
  EXPECT_EQ(Items(), "0:ab");
}

// The file-list block: every offset and name is checked against the block.
TEST_F(ClipboardEditor, FileListBlocksAreReadWithinTheirSize) {
  const std::string Good = MakeDropFilesBlock({u"/a", u"/b\u00E9"});
  const std::string NoListEnd = Good.substr(0, Good.size() - 2);  // the list's zero
  const std::string NoNameEnd = Good.substr(0, Good.size() - 4);  // the last name's zero and the list's
  std::string PastEnd = Good;
  PastEnd[0] = '\x7F';
  std::string IntoHeader = Good;
  IntoHeader[0] = '\x04';
  const std::string NarrowHeader = std::string("\x14\0\0\0", 4) + std::string(12, '\0') + std::string("\0\0\0\0", 4);
  struct Case {
    const char* Name;
    std::string Block;
    std::vector<UnicodeString> Expected;
  } cases[] = {
      {"good", Good, {u"/a", u"/b\u00E9"}},
      {"no final zero", NoListEnd, {u"/a", u"/b\u00E9"}},
      // A name cut by the block's end may name another file: it is not taken.
      {"last name without its zero", NoNameEnd, {u"/a"}},
      {"first name past the end", PastEnd, {}},
      {"first name inside the header", IntoHeader, {}},
      {"header cut", Good.substr(0, 10), {}},
      {"8-bit names", NarrowHeader + std::string("/x\0/y\0\0", 7), {u"/x", u"/y"}},
      {"8-bit names without a zero", NarrowHeader + "/x", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(DropFileNames(c.Block.data(), c.Block.size()), c.Expected);
  }
  EXPECT_EQ(FileNamesFromUriList("# comment\r\nfile:///tmp/a%20b.png\r\nhttp://h/x\r\nfile://localhost/c%C3%A9\r\n"),
            (std::vector<UnicodeString>{u"/tmp/a b.png", u"/c\u00E9"}));
}

// The display name of an internet shortcut and the base folder of pasted RTF.
TEST_F(ClipboardEditor, ShortcutNamesAndBaseFolders) {
  auto Descriptor = [](const std::u16string& Name, bool Unicode, std::size_t Cut = 0) {
    std::string b("\x01\0\0\0", 4);
    b.resize(76, '\0');
    for (char16_t c : Name) {
      b += static_cast<char>(c & 0xFF);
      if (Unicode) b += static_cast<char>(c >> 8);
    }
    b.resize(76 + 260 * (Unicode ? 2 : 1), '\0');
    return b.substr(0, b.size() - Cut);
  };
  const TRVUnicodeString URL = u"http://h/";
  struct NameCase {
    const char* Name;
    std::string Block;
    bool Unicode;
    TRVUnicodeString Expected;
  } names[] = {
      {"UTF-16", Descriptor(u"Example.url", true), true, u"Example"},
      {"8-bit", Descriptor(u"Caf\u00E9.url", false), false, u"Caf\u00E9"},
      {"4 characters", Descriptor(u"a.ur", true), true, URL},
      {"cut inside the name", Descriptor(u"Example.url", true, 520 - 6), true, URL},
      {"cut before the name", Descriptor(u"Example.url", true, 530), true, URL},
      {"no descriptors", std::string(400, '\0'), true, URL},
  };
  for (const NameCase& c : names) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(TCustomViroZereEdit::ShortcutNameFromDescriptor(c.Block.data(), c.Block.size(), c.Unicode, URL),
              c.Expected);
  }
  struct PathCase {
    std::string Html;
    TRVUnicodeString Expected;
  } paths[] = {
      {"Version:0.9\r\nSourceURL:file:///C:/docs/page.htm\r\n<html>", u"C:\\docs\\"},
      {"Version:0.9\r\nSourceURL:http://example.org/a/b/page.html\r\n", u"http://example.org/a/b/"},
      {"Version:0.9\r\nSourceURL:HTTP://example.org/x", u"http://example.org/"},
      {"Version:0.9\r\nsourceurl:http://example.org/a/b", u""},
      {"SourceURL:", u""},
  };
  for (const PathCase& c : paths) {
    SCOPED_TRACE(c.Html);
    EXPECT_EQ(TCustomViroZereEdit::BasePathFromHTMLBlock(c.Html.data(), c.Html.size()), c.Expected);
  }
}

// An accepted link with a shortcut name becomes a hyperlink named after the shortcut through
// OnReadHyperlink.
TEST_F(ClipboardEditor, LinkWithAShortcutNameBecomesAHyperlink) {
  Add(u"ab", 0, 0);
  FormatAndPlace(0, 3);
  TRVDragDropFormats F = Editor->GetAcceptPasteFormats();
  F.Include(rvddURL);
  Editor->SetAcceptPasteFormats(F);
  TRVUnicodeString Target;
  Editor->OnReadHyperlink = [&](TObject*, const TRVUnicodeString& T, const TRVUnicodeString&, TRVLoadFormat Fmt,
                                int& StyleNo, TRVUnicodeString& Tag, TRVUnicodeString&) {
    EXPECT_EQ(Fmt, rvlfURL);
    Target = T;
    Tag = T;
    StyleNo = 2;
  };
  std::string Desc("\x01\0\0\0", 4);
  Desc.resize(76, '\0');
  for (char c : std::string("Example.url")) Desc += std::string{c, '\0'};
  Desc.resize(76 + 520, '\0');
  OnClipboard([&] {
    SetClipboardUnicodeText(u"http://h/", URLWClipboardFormat);
    PutBlock(RegisterClipboardFormatW(u"FileGroupDescriptorW"), Desc);
  });
  Editor->Paste();
  EXPECT_EQ(Target, u"http://h/");
  EXPECT_EQ(Items(), "0:ab|2:Example");
  EXPECT_EQ(Data->GetItem(1)->Tag, u"http://h/");
}

// Text files in a code page, in the OEM code page and in UTF-16 with and without a byte-order
// mark insert the characters they hold.
TEST_F(ClipboardEditor, TextFilesInTheirEncodings) {
  struct Case {
    const char* Name;
    std::string Bytes;
    int Form;  // 0: code page 1251, 1: OEM (turned into the ANSI code page), 2: UTF-16
    const char16_t* Expected;
  } cases[] = {
      {"code page 1251", "\xCF\xF0\xE8", 0, u"\u041F\u0440\u0438"},
      {"OEM", "\x82\x9B", 1, u"\u00E9\u00A2"},
      {"UTF-16 with a mark", std::string("\xFF\xFE\x1F\x04\x40\x04", 6), 2, u"\u041F\u0440"},
      {"UTF-16 without a mark", std::string("\x1F\x04\x40\x04", 4), 2, u"\u041F\u0440"},
      {"UTF-16 with a swapped mark", std::string("\xFE\xFF\x04\x1F\x04\x40", 6), 2, u"\u041F\u0440"},
      {"a\\r\\n\\r\\nb", "a\r\n\r\nb", 0, u"a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Data->Clear();
    Add(u"", 0, 0);
    FormatAndPlace(0, 1);
    const TRVUnicodeString File = W(TempFile("enc.txt", c.Bytes));
    if (c.Form == 2) {
      EXPECT_TRUE(Editor->InsertTextFromFileW(File));
    } else {
      OpenUndoStep();
      EXPECT_TRUE(Data->InsertTextFromFile(File, c.Form == 1, false, c.Form == 1 ? 1252 : 1251));
    }
    EXPECT_EQ(Data->GetItemTextW(0), c.Expected);
  }
  // The last case: an empty paragraph between the two lines.
  EXPECT_EQ(Items(), "0:a/0:/0:b");

  // The undo list emptied under a recording editor: the first piece's recording raises, the file
  // form answers false, and the item made for the first piece is not leaked.
  Data->Clear();
  Add(u"", 0, 0);
  FormatAndPlace(0, 1);
  EXPECT_FALSE(Data->InsertTextFromFile(W(TempFile("enc.txt", "a\r\nb")), false, false, 1252));
  EXPECT_EQ(Items(), "0:");
}

// A search from the editor starts at the caret and leaves the caret at the found text's active
// end, so repeated searches walk on in either direction (an upward search from the end of a found
// word finds that word again; the caret before item 1 reads as the end of item 0).
TEST_F(ClipboardEditor, SearchStartsAtTheCaret) {
  Add(u"abc abc abc", 0, 0);
  Add(u"abc", 1, 0, '+');
  FormatAndPlace(0, 5);
  const TRVESearchOptions Down{rvseoDown}, Up{};
  struct Step {
    TRVESearchOptions Options;
    const char* Caret;
  } steps[] = {{Down, "0:8"}, {Down, "0:12"}, {Down, "1:4"}, {Up, "0:12"}, {Up, "0:9"}, {Up, "0:5"}};
  for (const Step& s : steps) {
    ASSERT_TRUE(Editor->SearchTextW(u"abc", s.Options));
    EXPECT_EQ(Caret(), s.Caret);
    EXPECT_EQ(Editor->GetSelTextW(), u"abc");
  }
}

}  // namespace

namespace {

// Pasted text with a word wider than the document widens the document as formatting it whole
// would; narrower text leaves its width alone.
TEST_F(ClipboardEditor, PastedWordsWiderThanTheDocumentWidenIt) {
  for (int Length : {10, 80}) {
    SCOPED_TRACE(Length);
    Data->Clear();
    Add(u"ab", 0, 0);
    FormatAndPlace(0, 3);
    const int Before = Data->DocumentWidth;
    const TRVUnicodeString Word(static_cast<std::size_t>(Length), u'w');
    OnClipboard([&] { SetClipboardUnicodeText(u"x\r\n" + Word + u" y\r\nz", CF_UNICODETEXT); });
    Editor->Paste();
    const int Pasted = Data->DocumentWidth;
    Editor->Format();
    EXPECT_EQ(Pasted, Data->DocumentWidth);
    EXPECT_EQ(Pasted > Before, Length == 80);
  }
}

}  // namespace
