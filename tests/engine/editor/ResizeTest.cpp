// Resizing a picture with the mouse: when the handles exist, where they are drawn and hit, how a
// drag moves the frame (proportions, the 2-pixel minimum, Ctrl), Escape, the size applied as one
// undo step; the selection handles' geometry; the smart popup button shown at the caret item.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "EditorTestUtil.h"
#include "engine/document/RVControlItem.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/editor/RVItemResizer.h"
#include "engine/editor/RVSmartPopup.h"
#include "engine/layout/DrawLines.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "support/PageLayoutDouble.h"

namespace {

std::unique_ptr<TGraphic> Picture(int W, int H) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(W, H);
  bmp->GetCanvas()->Brush().SetColor(clWhite);
  bmp->GetCanvas()->FillRect(TRect(0, 0, W, H));
  return bmp;
}

// "ab", a 40 by 20 picture without spacing, "cd" in one paragraph.
struct Resize : EditorFixture {
  static constexpr int PicNo = 1;

  void SetUp() override {
    EditorFixture::SetUp();
    Data->AddNL(u"ab", 0, 0);
    auto* pic = new TRVGraphicItemInfo(Data, Picture(40, 20), rvvaBaseline);
    pic->Spacing = 0;
    pic->ParaNo = -1;
    Data->AddItem(u"pic", pic);
    Data->AddNL(u"cd", 0, -1);
    Editor->HandleNeeded();
    Editor->Format();
  }
  TRVGraphicItemInfo* Pic() const { return static_cast<TRVGraphicItemInfo*>(Data->GetItem(PicNo)); }
  TRVDrawLineInfo* PicDI() const { return Data->DrawItems->Get(Pic()->DrawItemNo); }
  void SelectPicture() { Editor->SetSelectionBounds(PicNo, 0, PicNo, 1); }
  // The client point of an object corner of the picture plus (DX, DY).
  TPoint At(TRVResizeHandleIndex H, int DX = 0, int DY = 0) {
    int x = 0, y = 0;
    Data->GetResizer()->GetResizeHandleCoords(H, false, x, y);
    return TPoint(PicDI()->GetObjectLeft() + x + DX - Data->GetHOffs(),
                  Data->GetTransformedDItemObjectTop(Pic()->DrawItemNo) + y + DY - Data->GetVOffs());
  }
  void Mouse(Cardinal Msg, TPoint P, WPARAM Keys = 0) { Editor->Perform(Msg, Keys, MakeLParam(P.X, P.Y)); }
  // Presses the handle, moves by (DX, DY) and releases there.
  void Drag(TRVResizeHandleIndex H, int DX, int DY, WPARAM Keys = 0) {
    Mouse(WM_LBUTTONDOWN, At(H), MK_LBUTTON | Keys);
    const TPoint to = At(H, DX, DY);
    Mouse(WM_MOUSEMOVE, to, MK_LBUTTON | Keys);
    Mouse(WM_LBUTTONUP, to, Keys);
  }
  int ExtraInt(TRVExtraItemProperty Prop) {
    int v = -1;
    Pic()->GetExtraIntProperty(Prop, v);
    return v;
  }
  std::string Size() { return std::to_string(PicDI()->Width) + "x" + std::to_string(PicDI()->Height); }
};

TEST_F(Resize, HandlesExistForOneWholeResizableItemInAnEditableEditor) {
  struct Case {
    const char* Name;
    std::function<void(Resize&)> Setup;
    bool Handles;
  };
  const std::vector<Case> cases = {
      {"the picture", [](Resize& t) { t.SelectPicture(); }, true},
      {"from the end of the text before it", [](Resize& t) { t.Editor->SetSelectionBounds(0, 3, PicNo, 1); }, true},
      {"with a character", [](Resize& t) { t.Editor->SetSelectionBounds(0, 2, PicNo, 1); }, false},
      {"the caret only", [](Resize& t) { t.Data->SetCaretAtItem(PicNo, 0); }, false},
      {"with rvoNoImageResize",
       [](Resize& t) {
         TRVEditorOptions o = t.Editor->GetEditorOptions();
         o.Include(rvoNoImageResize);
         t.Editor->SetEditorOptions(o);
         t.SelectPicture();
       },
       false},
      {"read-only",
       [](Resize& t) {
         t.Editor->SetReadOnly(true);
         t.SelectPicture();
       },
       false},
  };
  for (const Case& c : cases) {
    SetUp();
    c.Setup(*this);
    EXPECT_EQ(Data->GetResizer() != nullptr, c.Handles) << c.Name;
    if (Data->GetResizer()) {
      EXPECT_EQ(Data->GetResizer()->GetItemNo(), PicNo) << c.Name;
    }
  }
}

TEST_F(Resize, HandlesAreHitAndDrawnWhereTheyLie) {
  SelectPicture();
  TRVItemResizer* r = Data->GetResizer();
  ASSERT_NE(r, nullptr);
  // Inside handles of a 40 by 20 object: 6-pixel squares pulled 3 pixels in.
  int x = 0, y = 0;
  r->GetResizeHandleCoords(rvrhRightBottom, true, x, y);
  EXPECT_EQ(x, 37);
  EXPECT_EQ(y, 17);
  r->GetResizeHandleCoords(rvrhTop, true, x, y);
  EXPECT_EQ(x, 20);
  EXPECT_EQ(y, 3);
  const int left = r->GetObjectLeft(), top = r->GetObjectTop();
  const struct {
    int X, Y;
    bool Hit;
    TRVResizeHandleIndex Index;
    TCursor Cursor;
  } hits[] = {
      {3, 3, true, rvrhLeftTop, crRVSizeNWSE},
      {37, 3, true, rvrhRightTop, crRVSizeNESW},
      {37, 17, true, rvrhRightBottom, crRVSizeNWSE},
      {3, 17, true, rvrhLeftBottom, crRVSizeNESW},
      {20, 3, true, rvrhTop, crRVSizeNS},
      {37, 10, true, rvrhRight, crRVSizeWE},
      {20, 17, true, rvrhBottom, crRVSizeNS},
      {3, 10, true, rvrhLeft, crRVSizeWE},
      {12, 10, false, rvrhLeftTop, 0},
  };
  for (const auto& h : hits) {
    TRVResizeHandleIndex index;
    ASSERT_EQ(r->GetResizeHandleAt(left + h.X, top + h.Y, false, index), h.Hit) << h.X << "," << h.Y;
    if (!h.Hit) continue;
    EXPECT_EQ(index, h.Index);
    EXPECT_EQ(r->GetResizeHandleCursor(index), h.Cursor);
  }
  // A finger finds the nearest handle within 18 pixels.
  TRVResizeHandleIndex index;
  EXPECT_TRUE(r->GetResizeHandleAt(left + 50, top + 24, true, index));
  EXPECT_EQ(index, rvrhRightBottom);
  EXPECT_FALSE(r->GetResizeHandleAt(left + 70, top + 50, true, index));

  // Painted: the handle squares are black at their outline (the control is not focused, but the
  // inactive selection colour is set).
  TBitmap bmp;
  bmp.SetPixelFormat(pf32bit);
  bmp.SetSize(400, 300);
  Editor->PaintTo(bmp.GetCanvas()->GetHandle(), 0, 0);
  const int cx = left + 37 - Data->GetHOffs(), cy = top + 17 - Data->GetVOffs();
  EXPECT_EQ(ColorToRGB(bmp.GetCanvas()->GetPixel(cx - 3, cy - 3)), 0u);
  EXPECT_EQ(ColorToRGB(bmp.GetCanvas()->GetPixel(cx + 2, cy + 2)), 0u);
  // Without any selection colour for an unfocused editor, nothing is drawn there.
  Sheet.InactiveSelColor = clNone;
  TBitmap plain;
  plain.SetPixelFormat(pf32bit);
  plain.SetSize(400, 300);
  Editor->PaintTo(plain.GetCanvas()->GetHandle(), 0, 0);
  EXPECT_NE(ColorToRGB(plain.GetCanvas()->GetPixel(cx + 2, cy + 2)), 0u);
}

TEST_F(Resize, ANarrowObjectHasItsHandlesOutside) {
  Pic()->SetExtraIntProperty(rvepImageWidth, 10);
  Editor->Format();
  SelectPicture();
  TRVItemResizer* r = Data->GetResizer();
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->GetPosition(), rvhpInside);
  ASSERT_EQ(r->GetWidth(), 10);
  int x = 0, y = 0;
  r->GetResizeHandleCoords(rvrhLeftTop, true, x, y);
  EXPECT_EQ(x, -3);
  EXPECT_EQ(y, -3);
  r->GetResizeHandleCoords(rvrhRightBottom, true, x, y);
  EXPECT_EQ(x, 13);
  EXPECT_EQ(y, 23);
}

TEST_F(Resize, DragRulesShapeTheFrame) {
  SelectPicture();
  TRVItemResizer* r = Data->GetResizer();
  ASSERT_NE(r, nullptr);
  const int left = r->GetObjectLeft(), top = r->GetObjectTop();
  auto frame = [&](TRVResizeHandleIndex H, TShiftState Shift, int DX, int DY) {
    int hx = 0, hy = 0;
    r->GetResizeHandleCoords(H, true, hx, hy);
    // The finger moves by (DX, DY) from where it grabbed the handle.
    EXPECT_TRUE(r->MouseDown(left + hx, top + hy, false));
    r->DragTo(Shift, left + hx + DX, top + hy + DY);
    const TRect f = r->GetDragRect();
    r->CancelDrag();
    r->MouseUp(0, 0);
    return std::to_string(f.Left) + "," + std::to_string(f.Top) + "," + std::to_string(f.Right) + "," +
           std::to_string(f.Bottom);
  };
  const TShiftState none, shift{ssShift}, ctrl{ssCtrl};
  // A corner keeps the proportions (the larger ratio wins); a side only with Shift.
  EXPECT_EQ(frame(rvrhRightBottom, none, 40, 5), "0,0,80,40");
  EXPECT_EQ(frame(rvrhLeftTop, none, 20, 4), "8,4,40,20");
  EXPECT_EQ(frame(rvrhRight, none, 20, 0), "0,0,60,20");
  EXPECT_EQ(frame(rvrhRight, shift, 20, 0), "0,0,60,30");
  EXPECT_EQ(frame(rvrhBottom, shift, 0, 10), "0,0,60,30");
  // Past the opposite side the frame stops at 2 pixels.
  EXPECT_EQ(frame(rvrhLeft, none, 100, 0), "38,0,40,20");
  EXPECT_EQ(frame(rvrhTop, none, 0, 50), "0,18,40,20");
  // Ctrl resizes about the centre.
  EXPECT_EQ(frame(rvrhRight, ctrl, 10, 0), "-10,0,50,20");
  // Mirrored past the centre, the frame stays the right way round.
  EXPECT_EQ(frame(rvrhLeft, ctrl, 30, 0), "19,0,21,20");
  // Escape-style cancellation keeps the size at the release.
  EXPECT_EQ(r->GetWidth(), 40);
  EXPECT_EQ(r->GetHeight(), 20);
}

TEST_F(Resize, CornerDragResizesAsOneUndoStepThatRestoresBothSizes) {
  SelectPicture();
  ASSERT_NE(Data->GetResizer(), nullptr);
  ASSERT_EQ(Size(), "40x20");
  int resized = 0, resizedItem = -1;
  Editor->OnItemResize = [&](TCustomViroZereEdit*, TCustomRVFormattedData*, int ItemNo, int, int) {
    ++resized;
    resizedItem = ItemNo;
  };
  const int steps = Data->UndoList->Count();
  Drag(rvrhRightBottom, 40, 5);
  EXPECT_EQ(Size(), "80x40");
  EXPECT_EQ(ExtraInt(rvepImageWidth), 80);
  EXPECT_EQ(ExtraInt(rvepImageHeight), 40);
  EXPECT_EQ(resized, 1);
  EXPECT_EQ(resizedItem, PicNo);
  ASSERT_EQ(Data->UndoList->Count(), steps + 1);
  EXPECT_EQ(Editor->UndoAction(), rvutResize);
  // The handles follow the new size.
  ASSERT_NE(Data->GetResizer(), nullptr);
  EXPECT_EQ(Data->GetResizer()->GetWidth(), 80);
  Editor->Undo();
  EXPECT_EQ(Size(), "40x20");
  EXPECT_EQ(ExtraInt(rvepImageWidth), 0);
  EXPECT_EQ(ExtraInt(rvepImageHeight), 0);
  Editor->Redo();
  EXPECT_EQ(Size(), "80x40");
}

TEST_F(Resize, EscapeCancelsTheDragAndTheReleaseDoesNothing) {
  SelectPicture();
  auto shot = [&] {
    TBitmap bmp;
    bmp.SetPixelFormat(pf32bit);
    bmp.SetSize(400, 300);
    Editor->PaintTo(bmp.GetCanvas()->GetHandle(), 0, 0);
    return bmp.ToPixels().Pixels;
  };
  const auto before = shot();
  const int steps = Data->UndoList->Count();
  Mouse(WM_LBUTTONDOWN, At(rvrhRightBottom), MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, At(rvrhRightBottom, 10, 10), MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, At(rvrhRightBottom, 30, 30), MK_LBUTTON);
  ASSERT_TRUE(Data->GetResizer()->IsDragging());
  // The frame shows (once, at the last place) while dragging and goes with Escape.
  const auto dragging = shot();
  EXPECT_NE(dragging, before);
  EXPECT_EQ(shot(), dragging);
  Editor->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(Data->GetResizer()->IsDragging());
  EXPECT_EQ(shot(), before);
  Mouse(WM_LBUTTONUP, At(rvrhRightBottom, 30, 30));
  EXPECT_EQ(Size(), "40x20");
  EXPECT_EQ(Data->UndoList->Count(), steps);
  // The next press on a handle drags again.
  Drag(rvrhRight, 10, 0);
  EXPECT_EQ(Size(), "50x20");
}

TEST_F(Resize, TheStoredSizeLeavesOutTheBordersAndIsNeverZero) {
  Pic()->Spacing = 1;
  Pic()->BorderWidth = 2;
  Editor->Format();
  Data->ResizeItem(PicNo, 100, 80);
  EXPECT_EQ(ExtraInt(rvepImageWidth), 94);
  EXPECT_EQ(ExtraInt(rvepImageHeight), 74);
  Data->ResizeItem(PicNo, 6, 3);
  EXPECT_EQ(ExtraInt(rvepImageWidth), 1);
  EXPECT_EQ(ExtraInt(rvepImageHeight), 1);
  // A read-only editor refuses.
  Editor->SetReadOnly(true);
  Data->ResizeItem(PicNo, 50, 50);
  EXPECT_EQ(ExtraInt(rvepImageWidth), 1);
}

TEST_F(Resize, AFingerDragsAHandleWithThePanGesture) {
  SelectPicture();
  ASSERT_NE(Data->GetResizer(), nullptr);
  auto pan = [&](TInteractiveGestureFlags Flags, TPoint P) {
    TGestureEventInfo info;
    info.GestureID = igiPan;
    info.Flags = Flags;
    info.Location = P;
    return Editor->Perform(WM_GESTURE, 0, reinterpret_cast<LPARAM>(&info));
  };
  // Within the touch radius of the corner, though outside its square.
  EXPECT_EQ(pan({gfBegin}, At(rvrhRightBottom, 8, 8)), 1);
  EXPECT_EQ(pan({}, At(rvrhRightBottom, 48, 13)), 1);
  EXPECT_EQ(pan({gfInertia}, At(rvrhRightBottom, 90, 90)), 1);
  EXPECT_EQ(pan({gfEnd}, At(rvrhRightBottom, 48, 13)), 1);
  EXPECT_EQ(Size(), "80x40");
  EXPECT_EQ(Editor->UndoAction(), rvutResize);
  // A pan that does not begin on a handle is the viewer's.
  ASSERT_NE(Data->GetResizer(), nullptr);
  pan({gfBegin}, TPoint(1, 150));
  EXPECT_FALSE(Data->GetResizer()->IsDragging());
}

TEST_F(Resize, AControlTakesItsNewSizeAsOneUndoStep) {
  auto* button = new TButton(nullptr);
  button->SetBounds(0, 0, 40, 20);
  auto* item = new TRVControlItemInfo(Data, button, rvvaBaseline);
  item->Spacing = 2;
  item->ParaNo = -1;
  Data->AddItem(u"", item);
  button->SetParent(Editor.get());
  Editor->Format();
  const int no = Data->ItemCount() - 1;
  Data->ResizeItem(no, 64, 34);
  EXPECT_EQ(button->GetWidth(), 60);
  EXPECT_EQ(button->GetHeight(), 30);
  EXPECT_EQ(Data->DrawItems->Get(item->DrawItemNo)->Width, 64);
  EXPECT_EQ(Data->ResizingControl, nullptr);
  Editor->Undo();
  EXPECT_EQ(button->GetWidth(), 40);
  EXPECT_EQ(button->GetHeight(), 20);
  // Set from outside (the control asked for it): no undo step, reformatted around it.
  const int steps = Data->UndoList->Count();
  Data->ResizeControl(no, 100, 20, true);
  EXPECT_EQ(button->GetWidth(), 100);
  EXPECT_EQ(Data->DrawItems->Get(item->DrawItemNo)->Width, 104);
  EXPECT_EQ(Data->UndoList->Count(), steps);
}

TEST_F(Resize, AClickOnAPictureSelectsIt) {
  const TPoint p(PicDI()->GetObjectLeft() + 12 - Data->GetHOffs(),
                 Data->GetTransformedDItemObjectTop(Pic()->DrawItemNo) + 8 - Data->GetVOffs());
  Mouse(WM_MOUSEMOVE, p);
  Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, p);
  int si, so, ei, eo;
  Data->GetSelectionBoundsEx(si, so, ei, eo, true);
  EXPECT_EQ(si, PicNo);
  EXPECT_EQ(ei, PicNo);
  EXPECT_EQ(so, 0);
  EXPECT_EQ(eo, 1);
  EXPECT_NE(Data->GetResizer(), nullptr);
}

// ---- selection handles ----------------------------------------------------------------------------

struct ZoomedLayout : TPageLayoutDouble {
  int Zoom = 200;
  int GetCurrentPageZoomPercent() override { return Zoom; }
};

TEST_F(Resize, SelectionHandlesKeepTheirScreenSizeAndStayApart) {
  TRVSelectionHandles h(Data);
  EXPECT_EQ(h.HandleHeight(), 21);
  EXPECT_EQ(h.HandleWidth(), 12);
  auto layout = std::make_shared<ZoomedLayout>();
  Data->OnGetScaleViroZereInterface = [layout] { return layout; };
  EXPECT_EQ(h.HandleHeight(), 10);
  EXPECT_DOUBLE_EQ(h.DrawnSize(), 9.5);
  Data->OnGetScaleViroZereInterface = nullptr;

  // Circles on one line closer than their width plus 3 are pushed apart symmetrically.
  Sheet.SelectionHandleKind = rvshkCircle;
  h.X1 = 100;
  h.X2 = 110;
  h.Bottom1 = h.Bottom2 = 40;
  h.CalculatePositions();
  EXPECT_EQ(h.Offset1.cx, -7);
  EXPECT_EQ(h.Offset2.cx, 7);
  // A start handle at the document's left edge is kept inside.
  Sheet.SelectionHandleKind = rvshkWedge;
  h.X1 = 3;
  h.X2 = 200;
  h.CalculatePositions();
  EXPECT_EQ(h.Offset1.cx, 9);
  EXPECT_EQ(h.Offset2.cx, 0);
}

TEST_F(Resize, DraggingTheStartHandlePastTheEndMakesItTheEnd) {
  Editor->SetSelectionBounds(0, 1, 0, 2);
  TRVSelectionHandles h(Data);
  const int lineTop = Data->GetTransformedDItemTop(0);
  const int x1 = Data->DrawItems->Get(0)->Left;
  h.X1 = x1;
  h.X2 = x1 + 7;
  h.Bottom1 = h.Bottom2 = lineTop + 10;
  bool upper = false;
  ASSERT_TRUE(h.GetHandleAt(x1 - 1, lineTop + 15, upper));
  EXPECT_TRUE(upper);
  h.StartDrag(x1 - 1, lineTop + 15, upper);
  // The finger moves right past "cd" (the last text of the line).
  const int far = Data->DrawItems->Get(Data->DrawItems->Count() - 1)->Left + 25;
  EXPECT_TRUE(h.MoveTo(far, lineTop + 15));
  EXPECT_FALSE(h.IsDraggingUpperBound());
  int si, so, ei, eo;
  Data->GetSelectionBoundsEx(si, so, ei, eo, true);
  EXPECT_EQ(si, 0);
  EXPECT_EQ(so, 2);
  EXPECT_EQ(ei, 2);
  EXPECT_EQ(eo, 3);
}

// ---- the smart popup button -----------------------------------------------------------------------

TEST_F(Resize, SmartPopupButtonShowsAtTheCaretItemAndFollowsIt) {
  Data->SetCaretAtItem(0, 1);
  Editor->ShowSmartPopup();
  TRVSmartPopupButton* b = Editor->GetSmartPopupButton();
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->ItemNo, 0);
  EXPECT_EQ(b->Item, Data->GetItem(0));
  EXPECT_EQ(b->GetWidth(), 20);
  TRVDrawLineInfo* d0 = Data->DrawItems->Get(0);
  EXPECT_EQ(b->GetLeft(), d0->Left + d0->Width - Data->GetHOffs());
  EXPECT_EQ(b->GetTop(), Data->GetTransformedDItemTop(0) + d0->Height - Data->GetVOffs());
  const int firstLeft = b->GetLeft();
  // At the picture, top left of it.
  Editor->GetSmartPopupProperties()->SetPosition(rvsppTopLeft);
  Data->SetCaretAtItem(PicNo, 1);
  Editor->ShowSmartPopup();
  ASSERT_EQ(Editor->GetSmartPopupButton(), b);
  EXPECT_EQ(b->ItemNo, PicNo);
  EXPECT_EQ(b->GetLeft(), PicDI()->Left - 20 - Data->GetHOffs());
  EXPECT_NE(b->GetLeft(), firstLeft);
  // Typing removes it.
  WideChar c = u'x';
  Editor->Perform(WM_CHAR, c, 0);
  EXPECT_EQ(Editor->GetSmartPopupButton(), nullptr);
}

TEST_F(Resize, SmartPopupButtonHoverWidensItUnlessSimple) {
  Data->SetCaretAtItem(0, 1);
  Editor->ShowSmartPopup();
  TRVSmartPopupButton* b = Editor->GetSmartPopupButton();
  ASSERT_NE(b, nullptr);
  b->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(b->IsHot());
  EXPECT_EQ(b->GetWidth(), 30);
  b->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_EQ(b->GetWidth(), 30);
  b->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(b->IsHot());
  EXPECT_EQ(b->GetWidth(), 20);
  Editor->GetSmartPopupProperties()->SetButtonType(rvsptSimple);
  b->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(b->IsHot());
  EXPECT_EQ(b->GetWidth(), 20);
}

TEST_F(Resize, SmartPopupClickOpensTheMenuHotOrRaisesTheEvent) {
  Data->SetCaretAtItem(0, 1);
  Editor->ShowSmartPopup();
  TRVSmartPopupButton* b = Editor->GetSmartPopupButton();
  ASSERT_NE(b, nullptr);
  // Without a menu and without a handler nothing happens.
  b->ShowSmartPopupMenu();
  int clicks = 0;
  TObject* sender = nullptr;
  Editor->OnSmartPopupClick = [&](TObject* Sender, TObject* Button) {
    ++clicks;
    sender = Sender;
    EXPECT_EQ(Button, b);
  };
  // The click is posted and handled from the message loop; the shortcut clicks too.
  b->Click();
  ProcessMessages(50);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(sender, Editor.get());
  WORD key = VK_DOWN;
  Editor->ProcessKeyDown(key, TShiftState{ssCtrl, ssShift});
  EXPECT_EQ(key, 0);
  ProcessMessages(50);
  EXPECT_EQ(clicks, 2);

  // With a menu: hot while it is open, its command may change the document (which hides the
  // button), and the button is normal again afterwards.
  TPopupMenu menu(nullptr);
  bool typed = false;
  menu.Add(u"Type", [&](TObject*) {
    Editor->InsertText(u"z");
    typed = true;
  });
  Editor->GetSmartPopupProperties()->SetMenu(&menu);
  bool hotWhileOpen = false;
  TPoint where;
  int shown = 0;
  auto oldHook = TPopupMenu::ShowHook;
  TPopupMenu::ShowHook = [&](TPopupMenu&, TPoint P) {
    hotWhileOpen = b->IsHot() && b->IsAlwaysHot();
    b->Perform(CM_MOUSELEAVE, 0, 0);  // the pointer goes over the menu
    hotWhileOpen = hotWhileOpen && b->IsHot();
    where = P;
    // Dismissed the first time, the command chosen the second.
    return shown++ == 0 ? -1 : 0;
  };
  b->ShowSmartPopupMenu();
  EXPECT_TRUE(hotWhileOpen);
  EXPECT_FALSE(b->IsHot());
  EXPECT_EQ(b->GetWidth(), 20);
  TPoint corner(0, b->GetHeight());
  if (b->HandleAllocated()) ::ClientToScreen(b->GetHandle(), &corner);
  EXPECT_EQ(where.X, corner.X);
  EXPECT_EQ(where.Y, corner.Y);
  EXPECT_FALSE(typed);
  b->ShowSmartPopupMenu();
  TPopupMenu::ShowHook = oldHook;
  EXPECT_TRUE(typed);
  EXPECT_EQ(Editor->GetSmartPopupButton(), nullptr);
  EXPECT_EQ(clicks, 2);
}

}  // namespace
