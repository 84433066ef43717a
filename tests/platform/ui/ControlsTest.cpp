#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "support/GdiFixture.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/UserDraw.h"

namespace {

constexpr COLORREF kLight = 0xE3E3E3, kDkShadow = 0x696969, kShadow = 0xA0A0A0, kHighlight = 0xFFFFFF,
                   kFace = 0xF0F0F0, kFrame = 0x646464;

// A windowed control that records the messages it dispatches.
class TProbe : public TWinControl {
 public:
  using TWinControl::TWinControl;
  std::vector<Cardinal> Seen;
  std::function<void(HDC)> OnPaintWindow;
  void Dispatch(TMessage& m) override {
    Seen.push_back(m.Msg);
    if (m.Msg == WM_USER + 1) {
      m.Result = static_cast<LRESULT>(m.WParam + m.LParam);
      return;
    }
    TWinControl::Dispatch(m);
  }

 protected:
  void PaintWindow(HDC dc) override {
    if (OnPaintWindow) OnPaintWindow(dc);
  }
};

// A graphic control that fills itself with one colour and records what it saw while painting.
class TSwatch : public TGraphicControl {
 public:
  TSwatch(TComponent* owner, COLORREF c) : TGraphicControl(owner), Fill(c) {}
  COLORREF Fill;
  int Paints = 0;
  bool SawPaintCopy = false;
  bool Throw = false;

 protected:
  void Paint() override {
    ++Paints;
    SawPaintCopy = GetControlState().Contains(csPaintCopy);
    if (Throw) throw std::runtime_error("paint failed");
    GetCanvas()->Brush().SetColor(static_cast<TColor>(Fill));
    GetCanvas()->FillRect(TRect(0, 0, GetWidth(), GetHeight()));
  }
};

class TFailingPanel : public TCustomPanel {
 public:
  using TCustomPanel::TCustomPanel;

 protected:
  void Paint() override { throw std::runtime_error("paint failed"); }
};

int SaveDepth(HDC dc) {
  const int depth = SaveDC(dc);
  RestoreDC(dc, depth);
  return depth - 1;
}

void ExpectPristine(HDC dc, int depth) {
  POINT org;
  GetWindowOrgEx(dc, &org);
  EXPECT_EQ(org, TPoint(0, 0));
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(dc, rgn), 0) << "a clip was left behind";
  DeleteObject(rgn);
  EXPECT_EQ(SaveDepth(dc), depth);
}

}  // namespace

TEST(ControlMessages, KeepTheirDocumentedNumbers) {
  const std::pair<Cardinal, Cardinal> table[] = {
      {WM_CREATE, 0x0001}, {WM_SETTEXT, 0x000C}, {WM_PAINT, 0x000F}, {WM_ERASEBKGND, 0x0014},
      {WM_TIMER, 0x0113},  {WM_USER, 0x0400},    {CM_BASE, 0xB000}};
  for (auto [value, documented] : table) EXPECT_EQ(value, documented);
}

TEST(ControlMessages, PerformDispatchesAndAnswersTheResult) {
  TProbe c(nullptr);
  EXPECT_EQ(c.Perform(WM_USER + 1, 2, 40), 42);
  EXPECT_EQ(c.Perform(WM_USER + 2, 2, 40), 0) << "unhandled messages reach the default handler";
  EXPECT_EQ(c.Seen, (std::vector<Cardinal>{WM_USER + 1, WM_USER + 2}));
}

TEST(ControlMessages, AReplacedWindowProcSeesMessagesFirstAndPassesThemOn) {
  TProbe c(nullptr);
  std::vector<Cardinal> hooked;
  c.WindowProc = [&](TMessage& m) {
    hooked.push_back(m.Msg);
    if (m.Msg == WM_USER + 5) {
      m.Result = 7;
      return;
    }
    c.WndProc(m);
  };
  EXPECT_EQ(c.Perform(WM_USER + 5, 0, 0), 7);
  EXPECT_EQ(c.Perform(WM_USER + 1, 1, 1), 2);
  EXPECT_EQ(hooked, (std::vector<Cardinal>{WM_USER + 5, WM_USER + 1}));
  EXPECT_EQ(c.Seen, (std::vector<Cardinal>{WM_USER + 1}));
}

TEST(ControlMessages, PropertyChangesAreAnnouncedOnlyWhenTheValueChanges) {
  struct Case {
    const char* name;
    std::function<void(TProbe&)> change;
    Cardinal msg;
  };
  const Case cases[] = {
      {"color", [](TProbe& c) { c.SetColor(clRed); }, CM_COLORCHANGED},
      {"text", [](TProbe& c) { c.SetText(u"x"); }, CM_TEXTCHANGED},
      {"font", [](TProbe& c) { c.Font().SetHeight(-20); }, CM_FONTCHANGED},
      {"visible", [](TProbe& c) { c.SetVisible(false); }, CM_VISIBLECHANGED},
      {"ctl3d", [](TProbe& c) { c.SetCtl3D(false); }, CM_CTL3DCHANGED},
      {"border", [](TProbe& c) { c.SetBorderStyle(bsSingle); }, CM_BORDERCHANGED},
  };
  for (const Case& k : cases) {
    TProbe c(nullptr);
    k.change(c);
    k.change(c);
    EXPECT_EQ(c.Seen, std::vector<Cardinal>{k.msg}) << k.name;
  }
}

TEST(ControlTree, ChildrenListGraphicControlsFirstAndFollowTheirParent) {
  TPanel parent(nullptr);
  auto* button = new TButton(nullptr);
  auto* label = new TLabel(nullptr);
  auto* edit = new TEdit(nullptr);
  button->SetParent(&parent);
  label->SetParent(&parent);
  edit->SetParent(&parent);
  ASSERT_EQ(parent.ControlCount(), 3);
  EXPECT_EQ(parent.GetControl(0), label);
  EXPECT_EQ(parent.GetControl(1), button);
  EXPECT_EQ(parent.GetControl(2), edit);
  EXPECT_THROW(parent.GetControl(3), EListError);

  TPanel other(nullptr);
  button->SetParent(&other);
  EXPECT_EQ(parent.ControlCount(), 2);
  EXPECT_EQ(other.GetControl(0), button);
  delete edit;  // a freed child leaves its parent's list
  EXPECT_EQ(parent.ControlCount(), 1);
  EXPECT_EQ(parent.GetControl(0), label);
  // The label and the button are freed with their parents (LeakSanitizer checks).
}

TEST(ControlTree, AControlCannotBecomeItsOwnAncestor) {
  TPanel outer(nullptr);
  auto* inner = new TPanel(nullptr);
  inner->SetParent(&outer);
  EXPECT_THROW(outer.SetParent(&outer), EInvalidOperation);
  EXPECT_THROW(outer.SetParent(inner), EInvalidOperation);
  EXPECT_EQ(outer.GetParent(), nullptr);
  EXPECT_EQ(inner->GetParent(), &outer);
}

TEST(ControlTree, OwnedChildrenAreFreedOnceWhateverGoesFirst) {
  auto* form = new TPanel(nullptr);
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  auto* button = new TButton(form);  // owned by the form, parented by the panel
  button->SetParent(panel);
  delete form;  // no double free, no leak
}

TEST(ControlTree, ParentsFreedBeforeTheirOwnedChildrenTakeThemAlong) {
  auto* form = new TPanel(nullptr);
  auto* button = new TButton(form);  // owned first, so the form frees it last
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  button->SetParent(panel);
  delete form;
}

TEST(StandardControls, LabelFillsUnlessTransparentThenDrawsItsCaption) {
  for (bool transparent : {false, true}) {
    TSurface s(80, 30);
    TPanel parent(nullptr);
    auto* label = new TLabel(nullptr);
    label->SetParent(&parent);
    label->SetBounds(5, 5, 60, 20);
    label->SetColor(static_cast<TColor>(0x00FFFF));  // light, so only the caption is dark
    label->SetCaption(u"&Hi");
    label->SetTransparent(transparent);
    parent.SetColor(clWhite);
    parent.SetBevelOuter(bvNone);
    parent.SetBounds(0, 0, 80, 30);
    parent.PaintTo(s.DC, 0, 0);
    EXPECT_EQ(s.At(64, 24), transparent ? 0xFFFFFFu : 0x00FFFFu) << transparent;
    EXPECT_EQ(s.At(65, 25), 0xFFFFFFu);
    bool ink = false;
    for (int x = 5; x < 30; ++x)
      for (int y = 5; y < 20; ++y) ink = ink || s.Dark(x, y);
    EXPECT_TRUE(ink) << transparent;
  }
}

TEST(ControlHandles, AreMadeOnDemandWithTheParentsFirst) {
  TPanel parent(nullptr);
  auto* child = new TButton(nullptr);
  auto* grandchild = new TEdit(nullptr);
  child->SetParent(&parent);
  grandchild->SetParent(child);
  EXPECT_FALSE(parent.HandleAllocated());
  EXPECT_FALSE(grandchild->HandleAllocated());

  TSurface s(50, 50);
  parent.PaintTo(s.DC, 0, 0);
  EXPECT_FALSE(parent.HandleAllocated()) << "painting needs no window";

  HWND h = grandchild->GetHandle();
  EXPECT_NE(h, nullptr);
  EXPECT_EQ(grandchild->GetHandle(), h);
  EXPECT_TRUE(child->HandleAllocated());
  EXPECT_TRUE(parent.HandleAllocated());
  EXPECT_NE(parent.GetHandle(), h);

  parent.DestroyHandle();
  EXPECT_FALSE(child->HandleAllocated());
  EXPECT_FALSE(grandchild->HandleAllocated());

  grandchild->HandleNeeded();
  TPanel other(nullptr);
  grandchild->SetParent(&other);
  EXPECT_FALSE(grandchild->HandleAllocated()) << "a moved control leaves its window behind";
  EXPECT_TRUE(child->HandleAllocated());
}

TEST(UserDraw, DrawEdgeColoursAndAdjustment) {
  struct Case {
    UINT edge, flags;
    COLORREF outerTL, outerBR, innerTL, innerBR;
    int inset;
  };
  const Case cases[] = {
      {EDGE_SUNKEN, BF_RECT | BF_ADJUST, kShadow, kHighlight, kDkShadow, kLight, 2},
      {EDGE_RAISED, BF_RECT | BF_ADJUST, kLight, kDkShadow, kHighlight, kShadow, 2},
      {EDGE_RAISED, BF_RECT | BF_ADJUST | BF_SOFT, kHighlight, kDkShadow, kLight, kShadow, 2},
      {EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_FLAT, kShadow, kShadow, kFace, kFace, 2},
      {BDR_OUTER, BF_RECT | BF_ADJUST | BF_MONO, kFrame, kFrame, 0x0000FF, 0x0000FF, 1},
      {EDGE_SUNKEN, BF_RECT, kShadow, kHighlight, kDkShadow, kLight, 0},
  };
  for (const Case& k : cases) {
    TSurface s(30, 30);
    s.Clear(0x0000FF);
    RECT r(5, 5, 25, 20);
    EXPECT_TRUE(DrawEdge(s.DC, &r, k.edge, k.flags));
    SCOPED_TRACE(testing::Message() << "edge " << k.edge << " flags " << k.flags);
    EXPECT_EQ(s.At(5, 5), k.outerTL);
    EXPECT_EQ(s.At(24, 19), k.outerBR);
    EXPECT_EQ(s.At(24, 5), k.outerBR) << "the bottom-right colour owns the top-right corner";
    EXPECT_EQ(s.At(6, 6), k.innerTL);
    EXPECT_EQ(s.At(23, 18), k.innerBR);
    EXPECT_EQ(s.At(4, 4), 0x0000FFu);
    EXPECT_EQ(r, TRect(5 + k.inset, 5 + k.inset, 25 - k.inset, 20 - k.inset));
  }
  RECT r(0, 0, 10, 10);
  TSurface s(10, 10);
  EXPECT_FALSE(DrawEdge(s.DC, &r, EDGE_RAISED, BF_DIAGONAL | BF_RECT));
  EXPECT_FALSE(DrawEdge(nullptr, &r, EDGE_RAISED, BF_RECT));
}

TEST(UserDraw, DrawFrameControlButtons) {
  TSurface s(40, 40);
  RECT r(2, 2, 30, 20);
  EXPECT_TRUE(DrawFrameControl(s.DC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT));
  EXPECT_EQ(r, TRect(4, 4, 28, 18));
  EXPECT_EQ(s.At(29, 19), kDkShadow);
  EXPECT_EQ(s.At(10, 10), kFace);

  RECT pushed(2, 22, 30, 38);
  EXPECT_TRUE(DrawFrameControl(s.DC, &pushed, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED));
  EXPECT_EQ(pushed, TRect(2, 22, 30, 38)) << "unchanged without DFCS_ADJUSTRECT";
  EXPECT_EQ(s.At(2, 22), kShadow);

  TSurface box(13, 13);
  RECT b(0, 0, 13, 13);
  EXPECT_TRUE(DrawFrameControl(box.DC, &b, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED));
  EXPECT_TRUE(box.Dark(6, 6)) << "the tick";
  EXPECT_EQ(box.At(3, 9), 0xFFFFFFu);
  EXPECT_FALSE(DrawFrameControl(box.DC, &b, DFC_CAPTION, 0));
}

TEST(UserDraw, DrawTextMeasuresLikeTheTextItShows) {
  TSurface s(200, 100);
  HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
  SelectObject(s.DC, font);
  TEXTMETRICW tm;
  GetTextMetricsW(s.DC, &tm);
  auto width = [&](const char16_t* t) {
    SIZE sz;
    GetTextExtentPoint32W(s.DC, t, static_cast<int>(std::u16string(t).size()), &sz);
    return sz.cx;
  };
  struct Case {
    const char16_t* text;
    UINT format;
    int w, h;
  };
  const Case cases[] = {
      {u"File", DT_SINGLELINE, width(u"File"), tm.tmHeight},
      {u"&File", DT_SINGLELINE, width(u"File"), tm.tmHeight},
      {u"a&&b", DT_SINGLELINE, width(u"a&b"), tm.tmHeight},
      {u"&File", DT_SINGLELINE | DT_NOPREFIX, width(u"&File"), tm.tmHeight},
      {u"ab\r\nWide line\nc", 0, width(u"Wide line"), 3 * tm.tmHeight},
      {u"ab\r\nc", DT_SINGLELINE | DT_NOPREFIX, width(u"ab\r\nc"), tm.tmHeight},
      {u"a\tb", DT_EXPANDTABS, 8 * tm.tmAveCharWidth + width(u"b"), tm.tmHeight},
      {u"", 0, 0, tm.tmHeight},
      {u"File", DT_SINGLELINE | DT_CENTER | DT_VCENTER, width(u"File"), tm.tmHeight},
      {u"File", DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, width(u"File"), tm.tmHeight},
  };
  for (const Case& k : cases) {
    RECT r(10, 10, 20, 20);
    const int h = DrawTextW(s.DC, k.text, -1, &r, k.format | DT_CALCRECT);
    EXPECT_EQ(h, k.h) << UnicodeToUtf8(k.text);
    EXPECT_EQ(r, TRect(10, 10, 10 + k.w, 10 + k.h)) << UnicodeToUtf8(k.text);
  }
  struct WrapCase {
    const char16_t* text;
    int room;  // the rectangle's width
    UINT format;
    int w, lines;
  };
  const WrapCase wraps[] = {
      {u"aa bb cc", width(u"aa bb"), DT_WORDBREAK, width(u"aa bb"), 2},
      {u"aa bb aa", width(u"aa bb") - 1, DT_WORDBREAK, std::max(width(u"aa"), width(u"bb")), 3},
      {u"aa   bb", width(u"aa"), DT_WORDBREAK, width(u"aa"), 2},
      {u"abcdefgh x", width(u"abcd"), DT_WORDBREAK, width(u"abcdefgh"), 2},
      {u"abcdefgh", width(u"abcd"), DT_WORDBREAK | DT_EDITCONTROL, width(u"abcd"), 2},
      {u"abcd", 0, DT_WORDBREAK | DT_EDITCONTROL, width(u"d"), 4},
      {u"aa bb\ncc", 1000, DT_WORDBREAK, width(u"aa bb"), 2},
      {u"aa bb cc", width(u"aa"), DT_WORDBREAK | DT_SINGLELINE, width(u"aa bb cc"), 1},
  };
  for (const WrapCase& k : wraps) {
    RECT r(10, 10, 10 + k.room, 20);
    const int h = DrawTextW(s.DC, k.text, -1, &r, k.format | DT_CALCRECT);
    EXPECT_EQ(h, k.lines * tm.tmHeight) << UnicodeToUtf8(k.text) << " in " << k.room;
    EXPECT_EQ(r.Right - r.Left, k.w) << UnicodeToUtf8(k.text) << " in " << k.room;
  }
  EXPECT_EQ(s.Row(50, 0, 200).find('#'), std::string::npos) << "measuring draws nothing";
  RECT r(0, 0, 10, 10);
  EXPECT_EQ(DrawTextW(s.DC, nullptr, 3, &r, 0), 0);
  EXPECT_EQ(DrawTextW(s.DC, u"abc", -2, &r, 0), 0);
  EXPECT_EQ(DrawTextW(nullptr, u"abc", -1, &r, 0), 0);
  SelectObject(s.DC, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

TEST(UserDraw, DrawTextPlacesUnderlinesAndClips) {
  TSurface s(200, 60);
  HFONT font = CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
  SelectObject(s.DC, font);
  SetBkMode(s.DC, TRANSPARENT);
  TEXTMETRICW tm;
  GetTextMetricsW(s.DC, &tm);
  SIZE m;
  GetTextExtentPoint32W(s.DC, u"M", 1, &m);

  RECT r(0, 0, 200, 60);
  const int h = DrawTextW(s.DC, u"&Mo", -1, &r, DT_SINGLELINE | DT_VCENTER);
  const int top = (60 - tm.tmHeight) / 2;
  EXPECT_EQ(h, top + tm.tmHeight);
  EXPECT_EQ(s.Row(top + tm.tmAscent + 1, 0, m.cx), std::string(static_cast<std::size_t>(m.cx), '#'));

  s.Clear();
  DrawTextW(s.DC, u"&Mo", -1, &r, DT_SINGLELINE | DT_HIDEPREFIX);
  EXPECT_NE(s.Row(tm.tmAscent + 1, 0, m.cx), std::string(static_cast<std::size_t>(m.cx), '#'));

  s.Clear();
  RECT small(0, 0, 200, 4);
  DrawTextW(s.DC, u"MMMM", -1, &small, DT_SINGLELINE);
  EXPECT_EQ(s.InkRight(), -1) << "nothing below row 4, where the glyphs start";
  DrawTextW(s.DC, u"MMMM", -1, &small, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(s.InkRight(), 0);
  ExpectPristine(s.DC, 0);
  SelectObject(s.DC, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

// ---- painting copies ------------------------------------------------------------------------------

TEST(PaintTo, ButtonEditAndPanelWithChildren) {
  TSurface s(300, 120);
  TPanel panel(nullptr);
  panel.SetBounds(0, 0, 250, 100);
  panel.SetColor(static_cast<TColor>(0x00FFFF));
  auto* button = new TButton(nullptr);
  button->SetParent(&panel);
  button->SetBounds(10, 10, 75, 25);
  button->SetCaption(u"OK");
  auto* edit = new TEdit(nullptr);
  edit->SetParent(&panel);
  edit->SetBounds(10, 50, 100, 21);
  edit->SetColor(static_cast<TColor>(0xFF0000));
  auto* swatch = new TSwatch(nullptr, 0x00FF00);
  swatch->SetParent(&panel);
  swatch->SetBounds(150, 10, 20, 20);
  auto* hidden = new TSwatch(nullptr, 0x000000);
  hidden->SetParent(&panel);
  hidden->SetBounds(200, 10, 20, 20);
  hidden->SetVisible(false);

  panel.PaintTo(s.DC, 20, 5);
  EXPECT_EQ(s.At(19, 4), 0xFFFFFFu) << "outside the panel";
  EXPECT_EQ(s.At(20, 5), kHighlight);
  EXPECT_EQ(s.At(269, 104), kShadow) << "the raised bevel's bottom-right corner";
  EXPECT_EQ(s.At(270, 105), 0xFFFFFFu);
  EXPECT_EQ(s.At(25, 8), 0x00FFFFu) << "the panel's colour";
  // The button: raised frame and a dark caption in its middle.
  EXPECT_EQ(s.At(30 + 74, 15 + 24), kDkShadow);
  EXPECT_EQ(s.At(30 + 3, 15 + 3), kFace);
  bool caption = false;
  for (int x = 30 + 25; x < 30 + 50; ++x)
    for (int y = 15 + 6; y < 15 + 19; ++y) caption = caption || s.Dark(x, y);
  EXPECT_TRUE(caption);
  // The edit box: sunken 3-D border, then its colour.
  EXPECT_EQ(s.At(30, 55), kShadow);
  EXPECT_EQ(s.At(31, 56), kDkShadow);
  EXPECT_EQ(s.At(32, 57), 0xFF0000u);
  // Graphic children at their places, hidden ones not at all.
  EXPECT_EQ(s.At(170, 15), 0x00FF00u);
  EXPECT_EQ(s.At(190, 15), 0x00FFFFu);
  EXPECT_EQ(s.At(220, 15), 0x00FFFFu);
  EXPECT_EQ(swatch->Paints, 1);
  EXPECT_EQ(hidden->Paints, 0);
  ExpectPristine(s.DC, 0);
  SaveBitmapToPng(s.Bmp, TAVRELO_TEST_OUTPUT "/controls-paint-to.png");  // for a look
}

TEST(PaintTo, EditBordersAndInsets) {
  struct Case {
    TBorderStyle border;
    bool ctl3d;
    COLORREF corner, inside;
  };
  const Case cases[] = {{bsSingle, true, kShadow, kDkShadow}, {bsSingle, false, kFrame, 0x0000FF},
                        {bsNone, true, 0x0000FF, 0x0000FF}};
  for (const Case& k : cases) {
    TSurface s(60, 30);
    TEdit edit(nullptr);
    edit.SetBounds(0, 0, 50, 20);
    edit.SetColor(static_cast<TColor>(0x0000FF));
    edit.SetBorderStyle(k.border);
    edit.SetCtl3D(k.ctl3d);
    edit.PaintTo(s.DC, 5, 5);
    EXPECT_EQ(s.At(5, 5), k.corner) << k.border << k.ctl3d;
    EXPECT_EQ(s.At(6, 6), k.inside) << k.border << k.ctl3d;
    EXPECT_EQ(s.At(54, 24), k.border == bsNone ? 0x0000FFu : k.ctl3d ? kHighlight : kFrame);
  }
}

TEST(PaintTo, MarksTheCopyAndRestoresTheContextEvenWhenPaintingFails) {
  TSurface s(100, 100);
  TFailingPanel panel(nullptr);
  panel.SetBounds(0, 0, 50, 50);
  auto* swatch = new TSwatch(nullptr, 0x00FF00);
  swatch->SetParent(&panel);
  EXPECT_THROW(panel.PaintTo(s.DC, 10, 10), std::runtime_error);
  EXPECT_FALSE(panel.GetControlState().Contains(csPaintCopy));
  ExpectPristine(s.DC, 0);

  TProbe probe(nullptr);
  probe.SetBounds(0, 0, 40, 40);
  auto* child = new TSwatch(nullptr, 0x00FF00);
  child->SetParent(&probe);
  bool copyWhilePainting = false;
  probe.OnPaintWindow = [&](HDC) { copyWhilePainting = probe.GetControlState().Contains(csPaintCopy); };
  probe.PaintTo(s.DC, 0, 0);
  EXPECT_TRUE(copyWhilePainting);
  EXPECT_TRUE(child->SawPaintCopy) << "graphic children paint a copy with their parent";
  EXPECT_FALSE(probe.GetControlState().Contains(csPaintCopy));
  EXPECT_FALSE(child->GetControlState().Contains(csPaintCopy));

  probe.Perform(WM_PAINT, DCToWParam(s.DC), 0);
  EXPECT_FALSE(copyWhilePainting) << "an ordinary paint is no copy";
  EXPECT_FALSE(child->SawPaintCopy);

  child->Throw = true;
  TCanvas canvas(s.DC);
  EXPECT_THROW(probe.PaintTo(&canvas, 0, 0), std::runtime_error);
  EXPECT_EQ(canvas.GetLockCount(), 0);
  EXPECT_FALSE(child->GetCanvas()->HandleAllocated()) << "the control's canvas lets the context go";
  EXPECT_EQ(child->GetCanvas()->GetLockCount(), 0);
  ExpectPristine(s.DC, 0);
}

TEST(PaintTo, ADeviceContextThatIsNoneIsIgnored) {
  TButton button(nullptr);
  EXPECT_NO_THROW(button.PaintTo(static_cast<HDC>(nullptr), 0, 0));
  EXPECT_NO_THROW(button.PaintTo(static_cast<TCanvas*>(nullptr), 0, 0));
  EXPECT_FALSE(button.GetControlState().Contains(csPaintCopy));
}

TEST(NativeWindows, ShowWhatTheControlPaints) {
  TPanel panel(nullptr);
  panel.SetBounds(0, 0, 120, 60);
  panel.SetColor(static_cast<TColor>(0x00FFFF));
  auto* button = new TButton(nullptr);
  button->SetParent(&panel);
  button->SetBounds(10, 10, 75, 25);
  button->HandleNeeded();
  HWND handle = panel.GetHandle();
  ASSERT_NE(handle, nullptr);
  RECT client;
  ASSERT_TRUE(GetClientRect(handle, &client));
  EXPECT_EQ(client, RECT(0, 0, 120, 60));
  // On a larger surface, so that a picture of the wrong size shows.
  constexpr COLORREF kUntouched = 0x123456;
  TSurface shot(130, 70);
  shot.Clear(kUntouched);
  ASSERT_TRUE(PrintWindow(handle, shot.DC, 0));
  EXPECT_EQ(shot.At(120, 0), kUntouched);
  EXPECT_EQ(shot.At(0, 60), kUntouched);
  EXPECT_NE(shot.At(119, 59), kUntouched);
  auto at = [&](int x, int y) { return shot.At(x, y); };
  EXPECT_EQ(at(0, 0), kHighlight);
  EXPECT_EQ(at(5, 5), 0x00FFFFu);
  EXPECT_EQ(at(10 + 74, 10 + 24), kDkShadow) << "the child window at its place";
  EXPECT_EQ(at(10 + 3, 10 + 3), kFace);
}

TEST(NativeWindows, PicturesAndAreasNeedAWindow) {
  TSurface shot(4, 4);
  RECT client(1, 2, 3, 4);
  EXPECT_FALSE(GetClientRect(nullptr, &client));
  EXPECT_EQ(client, RECT(1, 2, 3, 4));
  EXPECT_FALSE(PrintWindow(nullptr, shot.DC, 0));
  TPanel panel(nullptr);
  panel.SetBounds(0, 0, 3, 3);
  HWND handle = panel.GetHandle();
  EXPECT_FALSE(GetClientRect(handle, nullptr));
  EXPECT_FALSE(PrintWindow(handle, nullptr, PW_CLIENTONLY));
  ASSERT_TRUE(PrintWindow(handle, shot.DC, PW_CLIENTONLY));
  EXPECT_EQ(shot.At(3, 3), 0xFFFFFFu);
  EXPECT_NE(shot.At(2, 2), 0xFFFFFFu) << "a panel's edge is not white at its lower right";
  panel.SetBounds(0, 0, 0, 0);
  shot.Clear();
  EXPECT_TRUE(PrintWindow(handle, shot.DC, 0)) << "nothing to copy is no failure";
  EXPECT_EQ(shot.At(0, 0), 0xFFFFFFu);
}

namespace {

// A control's window text is its Text: read with a size limit, set from a zero-terminated string.
TEST(ControlWindowText, GetAndSetTextMessages) {
  TProbe c(nullptr);
  c.SetText(u"Caption");
  EXPECT_EQ(c.Perform(WM_GETTEXTLENGTH, 0, 0), 7);
  struct Case {
    WPARAM Max;
    LRESULT Result;
    const char16_t* Text;
  };
  for (const Case& k : {Case{100, 7, u"Caption"}, Case{4, 3, u"Cap"}, Case{1, 0, u""}}) {
    WideChar buf[16];
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(c.Perform(WM_GETTEXT, k.Max, reinterpret_cast<LPARAM>(buf)), k.Result);
    EXPECT_EQ(UnicodeString(buf), k.Text);
  }
  WideChar untouched = u'#';
  EXPECT_EQ(c.Perform(WM_GETTEXT, 0, reinterpret_cast<LPARAM>(&untouched)), 0);
  EXPECT_EQ(untouched, u'#');
  EXPECT_EQ(c.Perform(WM_GETTEXT, 10, 0), 0);
  EXPECT_EQ(c.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"New")), 1);
  EXPECT_EQ(c.GetText(), u"New");
  EXPECT_EQ(c.Perform(WM_SETTEXT, 0, 0), 1);
  EXPECT_EQ(c.GetText(), u"");
}

}  // namespace
