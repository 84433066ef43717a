// The window's drag-and-drop and input-method seams: the toolkit's drag events reach the drop
// target a window is registered with, file lists travel as lists of file URLs, and input-method
// events become the IME messages, with the default handling turning a result into characters.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Clipbrd.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/Imm.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ShellAPI.h"

namespace {

struct TRecordingTarget : IDropTarget {
  std::vector<std::string> Calls;
  std::string Text;
  DWORD Answer = DROPEFFECT_COPY;
  HRESULT DragEnter(const TDragDataObject* DataObj, DWORD, TPoint, DWORD& Effect) override {
    Calls.push_back("enter");
    std::string block;
    if (DataObj->GetData(CF_TEXT, block)) Text = block.substr(0, block.find('\0'));
    Effect &= Answer;
    return S_OK;
  }
  HRESULT DragOver(DWORD, TPoint, DWORD& Effect) override {
    Calls.push_back("over");
    Effect &= Answer;
    return S_OK;
  }
  HRESULT DragLeave() override {
    Calls.push_back("leave");
    return S_OK;
  }
  HRESULT Drop(const TDragDataObject*, DWORD, TPoint, DWORD& Effect) override {
    Calls.push_back("drop");
    Effect &= Answer;
    return S_OK;
  }
};

// A control that records the characters and IME messages it gets.
class TImeProbe : public TWinControl {
 public:
  TImeProbe() : TWinControl(nullptr) { SetBounds(0, 0, 100, 50); }
  std::u16string Chars;
  std::vector<Cardinal> Messages;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg >= WM_IME_STARTCOMPOSITION && Message.Msg <= WM_IME_COMPOSITION) Messages.push_back(Message.Msg);
    TWinControl::Dispatch(Message);
  }

 protected:
  void KeyPress(WideChar& Key) override { Chars += Key; }
};

TEST(DragDropSeam, TheRegisteredTargetHearsTheDragAndAnswersTheEffect) {
  TImeProbe window;
  window.HandleNeeded();
  const std::vector<std::pair<std::string, std::string>> text = {{"text/plain", "abc"}};
  EXPECT_EQ(SendMimeDragDropEvents(window.GetHandle(), text, TPoint(5, 5), DROPEFFECT_COPY, 0), DROPEFFECT_NONE);
  auto target = std::make_shared<TRecordingTarget>();
  ASSERT_EQ(RegisterDragDrop(window.GetHandle(), target), S_OK);
  EXPECT_EQ(RegisterDragDrop(window.GetHandle(), target), DRAGDROP_E_ALREADYREGISTERED);
  EXPECT_EQ(SendMimeDragDropEvents(window.GetHandle(), text, TPoint(5, 5), DROPEFFECT_COPY | DROPEFFECT_MOVE, 0),
            DROPEFFECT_COPY);
  EXPECT_EQ(target->Calls, (std::vector<std::string>{"enter", "over", "drop"}));
  EXPECT_EQ(target->Text, "abc");
  // Refused on the way: the target hears the drag leave and nothing is dropped.
  target->Calls.clear();
  target->Answer = DROPEFFECT_LINK;
  EXPECT_EQ(SendMimeDragDropEvents(window.GetHandle(), text, TPoint(5, 5), DROPEFFECT_COPY, 0), DROPEFFECT_NONE);
  EXPECT_EQ(target->Calls, (std::vector<std::string>{"enter"}));
  ASSERT_EQ(RevokeDragDrop(window.GetHandle()), S_OK);
  EXPECT_EQ(RevokeDragDrop(window.GetHandle()), DRAGDROP_E_NOTREGISTERED);
  EXPECT_EQ(target.use_count(), 1);
}

// Local files travel as a URL list; the block read back is a DROPFILES block of UTF-16 names.
TEST(DragDropSeam, FileListsTravelAsFileUrls) {
  TClipboard clipboard;
  std::u16string names = u"/tmp/a b.txt";
  names += u'\0';
  names += u"/tmp/c.txt";
  names += u'\0';
  names += u'\0';
  std::string block(DropFilesHeaderSize, '\0');
  const std::uint32_t offset = DropFilesHeaderSize, wide = 1;
  std::memcpy(block.data(), &offset, 4);
  std::memcpy(block.data() + DropFilesWideOffset, &wide, 4);
  block.append(reinterpret_cast<const char*>(names.data()), names.size() * 2);
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, block.size());
  std::memcpy(GlobalLock(h), block.data(), block.size());
  GlobalUnlock(h);
  clipboard.Open();
  clipboard.SetAsHandle(CF_HDROP, h);
  ASSERT_TRUE(clipboard.HasFormat(CF_HDROP));
  HGLOBAL back = clipboard.GetAsHandle(CF_HDROP);
  ASSERT_NE(back, nullptr);
  const std::string read(static_cast<const char*>(GlobalLock(back)), GlobalSize(back));
  GlobalUnlock(back);
  clipboard.Close();
  EXPECT_EQ(read, block);
  // A list naming anything but local files is no file list.
  SetClipboardMimeData({{"text/uri-list", "http://example.org/\r\n"}});
  TClipboard other;
  EXPECT_FALSE(other.HasFormat(CF_HDROP));
}

TEST(ImeSeam, InputMethodEventsBecomeImeMessagesAndCharactersByDefault) {
  TImeProbe window;
  window.HandleNeeded();
  SendInputMethodEvent(window.GetHandle(), u"ka", u"");
  EXPECT_EQ(ShownComposition(window.GetHandle(), nullptr), u"ka");
  SendInputMethodEvent(window.GetHandle(), u"", u"か");
  EXPECT_EQ(window.Messages, (std::vector<Cardinal>{WM_IME_STARTCOMPOSITION, WM_IME_COMPOSITION, WM_IME_COMPOSITION,
                                                    WM_IME_ENDCOMPOSITION}));
  EXPECT_EQ(window.Chars, u"か");
  EXPECT_EQ(ShownComposition(window.GetHandle(), nullptr), u"");
  // Completing a pending composition delivers it as the result; cancelling drops it.
  HIMC context = ImmGetContext(window.GetHandle());
  SendInputMethodEvent(window.GetHandle(), u"xy", u"");
  EXPECT_TRUE(ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
  SendInputMethodEvent(window.GetHandle(), u"zz", u"");
  EXPECT_TRUE(ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_CANCEL, 0));
  EXPECT_FALSE(ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
  EXPECT_EQ(window.Chars, u"かxy");
  EXPECT_EQ(ImmGetCompositionStringW(context, 0x1234, nullptr, 0), IMM_ERROR_NODATA);
  ImmReleaseContext(window.GetHandle(), context);
}

}  // namespace
