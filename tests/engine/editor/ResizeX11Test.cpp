// Resizing a picture and hovering the smart popup button with the X server's own pointer (moved by
// xdotool): the handle shows its sizing cursor, a corner drag keeps the proportions, Escape
// cancels, Ctrl+Z restores; the pointer entering and leaving the button widens and narrows it.
// CTest runs these through xvfb-run as test_engine_editor_x11; elsewhere they are skipped.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "engine/document/RVGraphicItem.h"
#include "engine/editor/EditorX11Fixture.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVItemResizer.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/GuiSession.h"
#include "support/X11TestUtil.h"

namespace resize_x11_test {

inline const bool ScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

using x11_test_util::RunCommand;
using x11_test_util::ShowFocused;
using x11_test_util::WaitUntil;

struct ResizeX11 : EditorWindowX11 {
  static constexpr int PicNo = 1;

  void SetUp() override {
    EditorWindowX11::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    NewEditor(40, 40);
    TRVEditRVData* D = Editor->GetEditRVData();
    D->AddNL(u"ab", 0, 0);
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetSize(40, 20);
    auto* pic = new TRVGraphicItemInfo(D, std::move(bmp), rvvaBaseline);
    pic->Spacing = 0;
    pic->ParaNo = -1;
    D->AddItem(u"pic", pic);
    D->AddNL(u"cd", 0, -1);
    Editor->HandleNeeded();
    Editor->Format();
    ASSERT_TRUE(ShowFocused(*Editor)) << "the window did not get the keyboard";
  }

  TRVEditRVData* D() const { return Editor->GetEditRVData(); }
  TRVDrawLineInfo* PicDI() const { return D()->DrawItems->Get(D()->GetItem(PicNo)->DrawItemNo); }
  std::string Size() const { return std::to_string(PicDI()->Width) + "x" + std::to_string(PicDI()->Height); }
  // The screen point of the picture's bottom-right corner plus (DX, DY).
  std::string Corner(int DX, int DY) const {
    TPoint p(PicDI()->GetObjectLeft() + PicDI()->GetObjectWidth() - 2 + DX - D()->GetHOffs(),
             D()->GetTransformedDItemObjectTop(D()->GetItem(PicNo)->DrawItemNo) + PicDI()->GetObjectHeight() - 2 + DY -
                 D()->GetVOffs());
    ClientToScreen(Editor->GetHandle(), &p);
    return std::to_string(p.X) + " " + std::to_string(p.Y);
  }
  void Xdo(const std::string& Args) {
    ASSERT_TRUE(RunCommand("xdotool " + Args)) << Args;
    ProcessMessages(50);
  }
};

TEST_F(ResizeX11, CornerDragKeepsTheProportionsEscapeCancelsUndoRestores) {
  Editor->SetSelectionBounds(PicNo, 0, PicNo, 1);
  ASSERT_NE(D()->GetResizer(), nullptr);
  Xdo("mousemove " + Corner(0, 0));
  // The window's cursor (the viewer's own GetCursor is the text cursor it shows over text).
  TControl* window = Editor.get();
  EXPECT_TRUE(WaitUntil([&] { return window->GetCursor() == crRVSizeNWSE; })) << window->GetCursor();

  Xdo("mousedown 1");
  Xdo("mousemove " + Corner(20, 20));
  Xdo("mousemove " + Corner(40, 5));
  Xdo("mouseup 1");
  EXPECT_TRUE(WaitUntil([&] { return Size() == "80x40"; })) << Size();

  Xdo("mousemove " + Corner(0, 0));
  Xdo("mousedown 1");
  Xdo("mousemove " + Corner(30, 30));
  Xdo("key Escape");
  Xdo("mouseup 1");
  ProcessMessages(100);
  EXPECT_EQ(Size(), "80x40");

  Xdo("key ctrl+z");
  EXPECT_TRUE(WaitUntil([&] { return Size() == "40x20"; })) << Size();
}

TEST_F(ResizeX11, ThePointerOverTheSmartPopupButtonWidensIt) {
  D()->SetCaretAtItem(0, 1);
  Editor->ShowSmartPopup();
  TRVSmartPopupButton* b = Editor->GetSmartPopupButton();
  ASSERT_NE(b, nullptr);
  ProcessMessages(50);
  ASSERT_EQ(b->GetWidth(), 20);
  TPoint inside(b->GetLeft() + 5, b->GetTop() + 5), outside(b->GetLeft() + 5, b->GetTop() + 80);
  ClientToScreen(Editor->GetHandle(), &inside);
  ClientToScreen(Editor->GetHandle(), &outside);
  Xdo("mousemove " + std::to_string(inside.X) + " " + std::to_string(inside.Y));
  EXPECT_TRUE(WaitUntil([&] { return b->IsHot() && b->GetWidth() == 30; })) << b->GetWidth();
  Xdo("mousemove " + std::to_string(outside.X) + " " + std::to_string(outside.Y));
  EXPECT_TRUE(WaitUntil([&] { return !b->IsHot() && b->GetWidth() == 20; })) << b->GetWidth();
}

}  // namespace resize_x11_test
