// Drag and drop of the editor through its window: drags of the selection inside the editor (the
// drag loop replaced by one that sends the window's drag events at a point), drops of other
// programs' data (MIME types and bytes, as the window system delivers them), the blocks of a drop
// checked against their size, and the effects the drop target answers with.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "EditorTestUtil.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/editor/RVEditDragDrop.h"
#include "engine/foundation/RVClipboard.h"
#include "engine/layout/DrawLines.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Controls.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ShellAPI.h"

namespace {

struct DragDrop : EditorFixture {
  TDragLoop SavedLoop;

  void SetUp() override {
    EditorFixture::SetUp();
    Sheet.UseSound = false;
    Add(u"hello world", 0, 0);
    Add(u"second", 0, 0);
    Editor->HandleNeeded();
    Editor->Format();
    Data->SetCaretAtItem(0, 1);
  }
  void TearDown() override { SetDragLoop(std::move(SavedLoop)); }

  // The paragraphs joined by "|".
  std::string Text() const {
    std::string s;
    for (int i = 0; i < Data->ItemCount(); ++i) {
      if (i && Data->IsParaStart(i)) s += '|';
      s += ToUtf8(Data->GetItemTextW(i));
    }
    return s;
  }
  // A client point on the caret line before the character at Offs of the item.
  TPoint PointAt(int ItemNo, int Offs) const {
    int x, top, bottom;
    Data->GetCoordsOf(ItemNo, Offs, x, top, bottom);
    return TPoint(x - Data->GetHOffs() + 1, (top + bottom) / 2 - Data->GetVOffs());
  }
  // Drags the selection and drops it at the point, holding the keys of KeyState; answers the
  // effect the drag ended with.
  DWORD DragSelectionTo(TPoint Pt, DWORD KeyState = 0) {
    DWORD done = 0;
    SavedLoop = SetDragLoop([&](HWND Wnd, const TDragDataObject* DataObj, DWORD OkEffects) {
      done = SendDragDropEvents(Wnd, DataObj, Pt, OkEffects, KeyState);
      return done;
    });
    Data->State.Include(rvstStartingDragDrop);
    Data->DoDrag();
    SetDragLoop(std::move(SavedLoop));
    return done;
  }
  DWORD DropMime(const std::vector<std::pair<std::string, std::string>>& Mime, TPoint Pt,
                 DWORD Ok = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK) {
    return SendMimeDragDropEvents(Editor->GetHandle(), Mime, Pt, Ok, 0);
  }
};

TEST_F(DragDrop, TheWindowIsRegisteredWhileItExists) {
  ASSERT_NE(Editor->GetDropTarget(), nullptr);
  EXPECT_EQ(RegisteredDropTarget(Editor->GetHandle()), Editor->GetDropTarget());
  Editor->DestroyHandle();
  EXPECT_EQ(Editor->GetDropTarget(), nullptr);
  Editor->HandleNeeded();
  EXPECT_NE(Editor->GetDropTarget(), nullptr);
}

TEST_F(DragDrop, ADragInsideTheEditorMovesTheSelectionAndOneUndoRestoresBothPlaces) {
  const std::string before = Text();
  Data->SetSelectionBounds(0, 1, 0, 7);  // "hello "
  EXPECT_EQ(DragSelectionTo(PointAt(1, 4)), DROPEFFECT_MOVE);
  EXPECT_EQ(Text(), "world|sechello ond");
  // The dropped text is selected.
  EXPECT_EQ(ToUtf8(Editor->GetSelTextW()), "hello ");
  EXPECT_FALSE(Data->IsDragging());
  Editor->Undo();
  EXPECT_EQ(Text(), before);
  EXPECT_EQ(Editor->UndoAction(), rvutNone);
  Editor->Redo();
  EXPECT_EQ(Text(), "world|sechello ond");
}

// A drag that ends in another program: a move deletes the dragged selection as one step, a copy or
// a cancelled drag leaves it.
TEST_F(DragDrop, ADragOutDeletesTheSelectionOnlyWhenMoved) {
  const struct {
    DWORD Effect;
    const char* Expected;
  } cases[] = {{DROPEFFECT_NONE, "hello world|second"}, {DROPEFFECT_COPY, "hello world|second"},
               {DROPEFFECT_MOVE, "world|second"}};
  for (const auto& c : cases) {
    Data->SetSelectionBounds(0, 1, 0, 7);
    DWORD offered = 0;
    SavedLoop = SetDragLoop([&](HWND, const TDragDataObject*, DWORD OkEffects) {
      offered = OkEffects;
      return c.Effect;
    });
    Data->State.Include(rvstStartingDragDrop);
    Data->DoDrag();
    SetDragLoop(std::move(SavedLoop));
    EXPECT_EQ(offered, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    EXPECT_EQ(Text(), c.Expected) << c.Effect;
    EXPECT_FALSE(Data->IsDragging());
  }
  EXPECT_EQ(Editor->UndoAction(), rvutDelete);
  Editor->Undo();
  EXPECT_EQ(Text(), "hello world|second");
  // A read-only editor offers its selection for copying only.
  Editor->SetReadOnly(true);
  Data->SetSelectionBounds(0, 1, 0, 7);
  DWORD offered = 0;
  SavedLoop = SetDragLoop([&](HWND, const TDragDataObject*, DWORD OkEffects) {
    offered = OkEffects;
    return DROPEFFECT_NONE;
  });
  Data->State.Include(rvstStartingDragDrop);
  Data->DoDrag();
  EXPECT_EQ(offered, DROPEFFECT_COPY);
}

TEST_F(DragDrop, WithCtrlTheSelectionIsCopied) {
  Data->SetSelectionBounds(0, 7, 0, 12);  // "world"
  EXPECT_EQ(DragSelectionTo(PointAt(1, 1), MK_CONTROL), DROPEFFECT_COPY);
  EXPECT_EQ(Text(), "hello world|worldsecond");
  Editor->Undo();
  EXPECT_EQ(Text(), "hello world|second");
}

TEST_F(DragDrop, DroppingOntoTheDraggedSelectionOnlyCollapsesIt) {
  Data->SetSelectionBounds(0, 1, 0, 7);
  EXPECT_EQ(DragSelectionTo(PointAt(0, 3)), DROPEFFECT_NONE);
  EXPECT_EQ(Text(), "hello world|second");
  EXPECT_TRUE(Editor->GetSelTextW().empty());
  EXPECT_EQ(Editor->UndoAction(), rvutNone);
}

// The data of a move is taken before the selection goes; when the insertion is then refused, the
// deletion is undone in the same step and the source does not delete it either.
TEST_F(DragDrop, AMoveWhoseInsertionIsRefusedLosesNothing) {
  Data->SetSelectionBounds(0, 1, 0, 7);
  int asked = 0;
  Editor->OnChanging = [&](TCustomViroZereEdit*, bool& CanEdit) { CanEdit = ++asked > 100; };
  EXPECT_EQ(DragSelectionTo(PointAt(1, 4)), DROPEFFECT_NONE);
  EXPECT_GT(asked, 0);
  EXPECT_EQ(Text(), "hello world|second");
  EXPECT_EQ(Editor->UndoAction(), rvutNone);
  EXPECT_EQ(Editor->RedoAction(), rvutNone);
  // With no format the source can render ahead, nothing is deleted: RTF has no writer yet.
  Editor->OnChanging = nullptr;
  Editor->SetAcceptDragDropFormats({rvddRTF});
  Data->SetSelectionBounds(0, 1, 0, 7);
  EXPECT_EQ(DragSelectionTo(PointAt(1, 4)), DROPEFFECT_NONE);
  EXPECT_EQ(Text(), "hello world|second");
  // The next format the editor accepts carries the move instead.
  Editor->SetAcceptDragDropFormats({rvddRTF, rvddUnicodeText});
  Data->SetSelectionBounds(0, 1, 0, 7);
  EXPECT_EQ(DragSelectionTo(PointAt(1, 4)), DROPEFFECT_MOVE);
  EXPECT_EQ(Text(), "world|sechello ond");
  Editor->Undo();
  EXPECT_EQ(Text(), "hello world|second");
}

TEST_F(DragDrop, TextFromAnotherProgramIsInsertedAtTheDropPointAsOneStep) {
  EXPECT_EQ(DropMime({{"text/plain", "dropped "}}, PointAt(1, 1)), DROPEFFECT_COPY);
  EXPECT_EQ(Text(), "hello world|dropped second");
  EXPECT_EQ(Editor->UndoAction(), rvutInsert);
  Editor->Undo();
  EXPECT_EQ(Text(), "hello world|second");
  EXPECT_EQ(Editor->UndoAction(), rvutNone);
}

TEST_F(DragDrop, FilesFromAnotherProgramAreInsertedByKind) {
  const std::string dir = TAVRELO_TEST_OUTPUT;
  const std::string txt = dir + "/drop_me.txt", odd = dir + "/drop_me.xyz";
  std::ofstream(txt, std::ios::binary) << "from file";
  std::ofstream(odd, std::ios::binary) << "unknown";
  std::vector<std::string> handled;
  Editor->OnDropFile = [&](TCustomViroZereEdit*, const TRVUnicodeString& Name, bool&) {
    handled.push_back(EditorFixture::ToUtf8(Name));
  };
  EXPECT_EQ(DropMime({{"text/uri-list", "file://" + txt + "\r\n"}}, PointAt(1, 1)), DROPEFFECT_COPY);
  EXPECT_EQ(Text(), "hello world|from filesecond");
  EXPECT_EQ(handled, std::vector<std::string>{txt});
  // A file of no known kind is not dropped.
  EXPECT_EQ(DropMime({{"text/uri-list", "file://" + odd + "\r\n"}}, PointAt(0, 1)), DROPEFFECT_NONE);
  EXPECT_EQ(Text(), "hello world|from filesecond");
  // A handler that keeps the default from running has handled the file.
  Editor->OnDropFile = [](TCustomViroZereEdit*, const TRVUnicodeString&, bool& DoDefault) { DoDefault = false; };
  EXPECT_EQ(DropMime({{"text/uri-list", "file://" + odd + "\r\n"}}, PointAt(0, 1)), DROPEFFECT_COPY);
  std::remove(txt.c_str());
  std::remove(odd.c_str());
}

// A picture file becomes a picture; so does a link whose address names a picture type (a query
// part after the name does not hide it) when the editor takes pictures from links.
TEST_F(DragDrop, PicturesComeFromFilesAndFromLinks) {
  auto pictures = [&] {
    int n = 0;
    for (int i = 0; i < Data->ItemCount(); ++i)
      if (dynamic_cast<TRVGraphicItemInfo*>(Data->GetItem(i))) ++n;
    return n;
  };
  const std::string png = std::string(TAVRELO_TEST_DATA) + "/pictures/rgba3x2.png";
  EXPECT_EQ(DropMime({{"text/uri-list", "file://" + png + "\r\n"}}, PointAt(1, 1)), DROPEFFECT_COPY);
  EXPECT_EQ(pictures(), 1);

  const std::u16string url = u"http://example.org/pics/a.png?size=2";
  const std::string mozUrl(reinterpret_cast<const char*>(url.data()), url.size() * 2);
  std::vector<std::string> asked;
  Editor->OnImportPicture = [&](TObject*, const TRVUnicodeString& Location, int, int, std::unique_ptr<TGraphic>& G) {
    asked.push_back(EditorFixture::ToUtf8(Location));
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetSize(4, 4);
    G = std::move(bmp);
  };
  Editor->SetAcceptDragDropFormats({rvddURL});
  // Without the option the link is inserted as its text.
  EXPECT_EQ(DropMime({{"text/x-moz-url", mozUrl}}, PointAt(0, 1)), DROPEFFECT_COPY);
  EXPECT_EQ(pictures(), 1);
  EXPECT_TRUE(asked.empty());
  Editor->SetEditorOptions(Editor->GetEditorOptions() + rvoDragDropPicturesFromLinks);
  EXPECT_EQ(DropMime({{"text/x-moz-url", mozUrl}}, PointAt(0, 1)), DROPEFFECT_COPY);
  EXPECT_EQ(pictures(), 2);
  EXPECT_EQ(asked, std::vector<std::string>{"http://example.org/pics/a.png?size=2"});
}

TEST_F(DragDrop, LinksAreTakenOnlyWhenAccepted) {
  const std::vector<std::pair<std::string, std::string>> link = {{"text/uri-list", "http://example.org/a\r\n"}};
  EXPECT_EQ(DropMime(link, PointAt(1, 1)), DROPEFFECT_NONE);
  Editor->SetAcceptDragDropFormats({rvddURL});
  EXPECT_EQ(DropMime(link, PointAt(1, 1)), DROPEFFECT_COPY);
  EXPECT_EQ(Text(), "hello world|http://example.org/asecond");
}

// A dropped link is named after its internet shortcut and read as a pasted one is: a hyperlink of
// the link kind of pasted and dropped URLs. A descriptor that lists no files gives no name.
TEST_F(DragDrop, ALinkIsNamedAfterItsShortcutAsWhenPasted) {
  Editor->SetAcceptDragDropFormats({rvddURL});
  std::vector<TRVLoadFormat> kinds;
  Editor->OnReadHyperlink = [&](TObject*, const TRVUnicodeString& Target, const TRVUnicodeString&, TRVLoadFormat Fmt,
                                int&, TRVUnicodeString& Tag, TRVUnicodeString&) {
    kinds.push_back(Fmt);
    Tag = Target;
  };
  auto descriptor = [](std::uint32_t Count) {
    std::string b(4, '\0');
    std::memcpy(b.data(), &Count, 4);
    b.resize(76, '\0');
    for (char c : std::string("Example.url")) b += std::string{c, '\0'};
    b.resize(76 + 520, '\0');
    return b;
  };
  const std::u16string url = u"http://example.org/a";
  const WORD group = static_cast<WORD>(RegisterClipboardFormatW(u"FileGroupDescriptorW"));
  struct Case {
    const char* Name;
    std::uint32_t Count;
    std::string Expected;
  } cases[] = {{"one shortcut", 1, "hello world|Examplesecond"},
               {"no shortcuts", 0, "hello world|http://example.org/asecond"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TDragDataObject data;
    data.SetData(static_cast<WORD>(URLWClipboardFormat),
                 std::string(reinterpret_cast<const char*>(url.c_str()), (url.size() + 1) * 2));
    data.SetData(group, descriptor(c.Count));
    EXPECT_EQ(SendDragDropEvents(Editor->GetHandle(), &data, PointAt(1, 1), DROPEFFECT_COPY, 0), DROPEFFECT_COPY);
    EXPECT_EQ(Text(), c.Expected);
    Editor->Undo();
    EXPECT_EQ(Text(), "hello world|second");
  }
  EXPECT_EQ(kinds, (std::vector<TRVLoadFormat>{rvlfURL, rvlfURL}));
}

// Blocks of a drop are read only as far as they reach: damaged file lists and native-format blocks
// whose count runs past their end are refused, not read beyond their bytes.
TEST_F(DragDrop, DamagedBlocksAreRefused) {
  auto fileList = [](std::uint32_t Offset, const std::u16string& Names) {
    std::string b(DropFilesHeaderSize, '\0');
    const std::uint32_t wide = 1;
    std::memcpy(b.data(), &Offset, 4);
    std::memcpy(b.data() + DropFilesWideOffset, &wide, 4);
    b.append(reinterpret_cast<const char*>(Names.data()), Names.size() * 2);
    return b;
  };
  std::string rvf(4, '\0');
  const std::uint32_t count = 1000;
  std::memcpy(rvf.data(), &count, 4);
  rvf += "-8 1";
  struct Case {
    const char* Name;
    WORD Format;
    std::string Block;
  };
  const Case cases[] = {
      {"offset past the end", CF_HDROP, fileList(0x7FFFFFF0u, u"a.txt")},
      {"name without its zero", CF_HDROP, fileList(DropFilesHeaderSize, u"/tmp/x.txt")},
      {"header cut short", CF_HDROP, std::string(7, '\0')},
      {"native count past the end", static_cast<WORD>(RVFClipboardFormat), rvf},
      {"native block under its count", static_cast<WORD>(RVFClipboardFormat), std::string(2, '\1')},
  };
  for (const Case& c : cases) {
    TDragDataObject data;
    data.SetData(c.Format, c.Block);
    EXPECT_EQ(SendDragDropEvents(Editor->GetHandle(), &data, PointAt(1, 1), DROPEFFECT_COPY, 0), DROPEFFECT_NONE)
        << c.Name;
    EXPECT_EQ(Text(), "hello world|second") << c.Name;
  }
}

TEST_F(DragDrop, OnlyFormatsWithAnAcceptFlagAreAccepted) {
  struct Case {
    WORD Format;
    DWORD Expected;
  };
  const Case cases[] = {{CF_METAFILEPICT, DROPEFFECT_NONE}, {CF_UNICODETEXT, DROPEFFECT_COPY}};
  for (const Case& c : cases) {
    TDragDataObject data;
    std::u16string text = u"x";
    data.SetData(c.Format, std::string(reinterpret_cast<const char*>(text.c_str()), 4));
    EXPECT_EQ(SendDragDropEvents(Editor->GetHandle(), &data, PointAt(1, 1), DROPEFFECT_COPY, 0), c.Expected)
        << c.Format;
  }
  // Read-only editors refuse every drop on entry.
  Editor->SetReadOnly(true);
  EXPECT_EQ(DropMime({{"text/plain", "x"}}, PointAt(1, 1)), DROPEFFECT_NONE);
}

TEST_F(DragDrop, EventsChooseTheEffectAndMayInsertThemselves) {
  std::vector<std::string> seen;
  Editor->OnOleDragEnter = [&](TCustomViroZereEdit*, const TDragDataObject*, TShiftState, int, int,
                               TRVOleDropEffects Possible, TRVOleDropEffect& Effect) {
    seen.push_back("enter");
    EXPECT_TRUE(Possible.Contains(rvdeLink));
    Effect = rvdeLink;
  };
  Editor->OnBeforeOleDrop = [&](TObject*) { seen.push_back("before"); };
  Editor->OnAfterOleDrop = [&](TObject*) { seen.push_back("after"); };
  Editor->OnOleDrop = [&](TCustomViroZereEdit* Sender, const TDragDataObject*, TShiftState, int, int,
                          TRVOleDropEffects, TRVOleDropEffect& Effect, bool& DoDefault) {
    seen.push_back("drop");
    Sender->InsertTextW(u"own ");
    Effect = rvdeLink;
    DoDefault = false;
  };
  EXPECT_EQ(DropMime({{"text/plain", "ignored"}}, PointAt(1, 1)), DROPEFFECT_LINK);
  EXPECT_EQ(seen, (std::vector<std::string>{"enter", "before", "drop", "after"}));
  EXPECT_EQ(Text(), "hello world|own second");
  // The handler's insertion and the drop are one step.
  Editor->Undo();
  EXPECT_EQ(Text(), "hello world|second");
}

TEST_F(DragDrop, TheEdgesOfTheWindowScrollWhileDragging) {
  ASSERT_TRUE(Editor->OleDragEnter(10, 50));
  const int h = Editor->GetClientHeight();
  const struct {
    int Y, Delta;
  } cases[] = {{5, -1}, {h - 5, 1}, {h / 2, 0}};
  for (const auto& c : cases) {
    Editor->OleDragOver(10, c.Y);
    EXPECT_EQ(Editor->VScrollDelta, c.Delta) << c.Y;
  }
  Editor->OleDragLeave();
  EXPECT_EQ(Data->GetDragDropCaretInfo(), nullptr);
}

// The drop source renders the selection in its formats; other programs read them through the
// clipboard's MIME mapping.
TEST_F(DragDrop, TheDropSourceRendersTheSelection) {
  Data->SetSelectionBounds(0, 1, 0, 6);
  TRVDropSource source(Editor.get());
  std::string block;
  ASSERT_TRUE(source.GetData(CF_UNICODETEXT, block));
  EXPECT_EQ(block, std::string("h\0e\0l\0l\0o\0\0\0", 12));
  ASSERT_TRUE(source.GetData(CF_TEXT, block));
  EXPECT_EQ(block, std::string("hello\0", 6));
  ASSERT_TRUE(source.GetData(static_cast<WORD>(RVFClipboardFormat), block));
  TRVRawByteString rvf;
  EXPECT_TRUE(ReadRVFClipboardBlock(block.data(), block.size(), rvf));
  EXPECT_FALSE(source.HasFormat(CF_METAFILEPICT));
  // Stored data is handed over once; the selection may be gone by then.
  ASSERT_TRUE(source.StoreData(CF_UNICODETEXT));
  Data->SetSelectionBounds(1, 1, 1, 3);
  ASSERT_TRUE(source.GetData(CF_UNICODETEXT, block));
  EXPECT_EQ(block.substr(0, 2), std::string("h\0", 2));
  ASSERT_TRUE(source.GetData(CF_UNICODETEXT, block));
  EXPECT_EQ(block.substr(0, 2), std::string("s\0", 2));
  EXPECT_EQ(source.QueryContinueDrag(true, MK_LBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(source.QueryContinueDrag(false, MK_LBUTTON), S_OK);
  EXPECT_EQ(source.QueryContinueDrag(false, 0), DRAGDROP_S_DROP);
}

}  // namespace
