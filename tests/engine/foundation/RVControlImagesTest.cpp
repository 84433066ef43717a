#include "engine/foundation/RVControlImages.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/UserDraw.h"

namespace {

constexpr TColor kFace = 0xF0F0F0, kDkShadow = 0x696969, kWhite = 0xFFFFFF;

bool Dark(const TBitmap& b, int x, int y) {
  const TColor c = b.GetPixel(x, y);
  return (c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF) < 3 * 128;
}

// Leftmost column with red ink, -1 when none.
int RedLeft(const TBitmap& b) {
  for (int x = 0; x < b.GetWidth(); ++x)
    for (int y = 0; y < b.GetHeight(); ++y) {
      const TColor c = b.GetPixel(x, y);
      if ((c & 0xFF) >= 128 && ((c >> 8) & 0xFF) < 100 && ((c >> 16) & 0xFF) < 100) return x;
    }
  return -1;
}

bool AnyInk(const TBitmap& b, const TRect& r) {
  for (int x = r.Left; x < r.Right; ++x)
    for (int y = r.Top; y < r.Bottom; ++y)
      if (Dark(b, x, y)) return true;
  return false;
}

int SaveDepth(HDC dc) {
  const int depth = SaveDC(dc);
  RestoreDC(dc, depth);
  return depth - 1;
}

// Whether dc is as a fresh bitmap canvas leaves it: origin at 0, no clip, nothing saved.
void ExpectPristine(HDC dc) {
  POINT org;
  GetWindowOrgEx(dc, &org);
  EXPECT_EQ(org, TPoint(0, 0));
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(dc, rgn), 0);
  DeleteObject(rgn);
  EXPECT_EQ(SaveDepth(dc), 0);
}

// A graphic control that fills itself and notes how it was asked to paint.
class TSwatch : public TGraphicControl {
 public:
  TSwatch(TComponent* owner, TColor fill) : TGraphicControl(owner), Fill(fill) {}
  TColor Fill;
  int Paints = 0;
  bool SawPaintCopy = false;
  TPoint DeviceOrigin;
  TRect ClipBox;
  bool Throw = false;

 protected:
  void Paint() override {
    ++Paints;
    SawPaintCopy = GetControlState().Contains(csPaintCopy);
    HDC dc = GetCanvas()->GetHandle();
    POINT p(0, 0);
    LPtoDP(dc, &p, 1);
    DeviceOrigin = p;
    GetClipBox(dc, &ClipBox);
    if (Throw) throw std::runtime_error("paint failed");
    GetCanvas()->Brush().SetColor(Fill);
    GetCanvas()->FillRect(TRect(0, 0, GetWidth(), GetHeight()));
  }
};

// Any other windowed control: paints itself, optionally failing.
class TCustomThing : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::function<void()> OnPaint;

 protected:
  void Paint() override {
    if (OnPaint) OnPaint();
    GetCanvas()->Brush().SetColor(clBlue);
    GetCanvas()->FillRect(TRect(0, 0, GetWidth(), GetHeight()));
  }
};

// Descendants of the standard controls whose own painting must not be used for their images.
class TOwnButton : public TButton {
 public:
  using TButton::TButton;

 protected:
  void PaintWindow(HDC) override { throw std::runtime_error("own painting used"); }
};
class TOwnEdit : public TEdit {
 public:
  using TEdit::TEdit;

 protected:
  void PaintWindow(HDC) override { throw std::runtime_error("own painting used"); }
};

}  // namespace

TEST(ControlImages, FilledBitmapsTakeTheControlsSizeAndSolidColours) {
  struct Case {
    int w, h;
    TColor color, pixel;
  };
  const Case cases[] = {{30, 20, clNone, kWhite},     {30, 20, clDefault, kWhite},
                        {30, 20, clRed, 0x0000FF},    {5, 7, clBtnFace, kFace},
                        {0, 0, clRed, -1},            {-4, 10, clRed, -1}};
  for (const Case& k : cases) {
    TButton button(nullptr);
    button.SetBounds(0, 0, k.w, k.h);
    auto b = CreateFilledBitmap(&button, k.color);
    ASSERT_TRUE(b);
    if (k.pixel == -1) {
      EXPECT_TRUE(b->GetEmpty()) << k.w << "x" << k.h;
      continue;
    }
    EXPECT_EQ(b->GetWidth(), k.w);
    EXPECT_EQ(b->GetHeight(), k.h);
    EXPECT_EQ(b->GetPixel(0, 0), k.pixel) << "colour " << k.color;
    EXPECT_EQ(b->GetPixel(k.w - 1, k.h - 1), k.pixel) << "colour " << k.color;
  }
}

TEST(ControlImages, DrawControlImagePaintsOnTheBackground) {
  TLabel label(nullptr);
  label.SetBounds(0, 0, 40, 20);
  label.SetTransparent(true);
  auto b = DrawControlImage(&label, clNone);
  EXPECT_EQ(b->GetPixel(0, 0), kWhite) << "clNone gives white";
  EXPECT_EQ(b->GetPixel(39, 19), kWhite);

  TButton button(nullptr);
  button.SetCaption(u"Go");
  auto img = DrawControlImage(&button, clRed);
  ASSERT_EQ(img->GetWidth(), 75);
  ASSERT_EQ(img->GetHeight(), 25);
  EXPECT_EQ(img->GetPixel(74, 24), kDkShadow);
  EXPECT_EQ(img->GetPixel(5, 5), kFace);
  EXPECT_TRUE(AnyInk(*img, TRect(25, 5, 50, 20))) << "the caption";

  button.SetBounds(0, 0, 0, 0);
  EXPECT_TRUE(DrawControlImage(&button, clRed)->GetEmpty());
  EXPECT_TRUE(DrawControlImage(nullptr, clRed)->GetEmpty());
}

TEST(ControlImages, EditTextInsetFollowsTheBorder) {
  struct Case {
    TBorderStyle border;
    bool ctl3d;
    int inset;
  };
  const Case cases[] = {{bsNone, true, 1}, {bsSingle, false, 2}, {bsSingle, true, 3}};
  for (const Case& k : cases) {
    TEdit edit(nullptr);
    edit.SetBounds(0, 0, 60, 24);
    edit.SetColor(clWhite);
    edit.SetBorderStyle(k.border);
    edit.SetCtl3D(k.ctl3d);
    edit.Font().SetName(u"DejaVu Sans");
    edit.Font().SetHeight(-14);
    edit.Font().SetColor(clRed);
    edit.SetText(u"\u2588");  // a full block: ink from the pen position on
    auto b = DrawControlImage(&edit, clWhite);
    EXPECT_EQ(RedLeft(*b), k.inset) << "border " << k.border << " 3-D " << k.ctl3d;
  }
  // The box shows its text as typed: an ampersand is no accelerator prefix.
  TEdit edit(nullptr);
  edit.Font().SetColor(clRed);
  edit.SetText(u"&");
  EXPECT_GE(RedLeft(*DrawControlImage(&edit, clWhite)), 0);
}

TEST(ControlImages, EditFrameFillsAndShrinks) {
  struct Case {
    bool ctl3d, bordered;
    TRect after;
  };
  const Case cases[] = {{true, true, TRect(13, 13, 37, 27)},
                        {false, true, TRect(12, 12, 38, 28)},
                        {true, false, TRect(11, 11, 39, 29)}};
  for (const Case& k : cases) {
    TBitmap b(50, 40);
    TRect r(10, 10, 40, 30);
    DrawEditFrame(b.GetCanvas(), r, clNone, k.ctl3d, k.bordered);
    EXPECT_EQ(r, k.after) << k.ctl3d << k.bordered;
    EXPECT_EQ(b.GetCanvas()->Brush().GetColor(), clWhite);
    EXPECT_EQ(b.GetPixel(20, 20), kWhite);
  }
  TBitmap b(50, 40);
  b.GetCanvas()->Pen().SetColor(clRed);
  TRect r(10, 10, 40, 30);
  DrawEditFrame(b.GetCanvas(), r, clYellow, false, true);
  EXPECT_EQ(b.GetPixel(10, 10), 0x0000FF) << "a flat border is the canvas's pen";
  EXPECT_EQ(b.GetPixel(11, 11), 0x00FFFF);
}

TEST(ControlImages, StandardControlsAreDrawnFromTheirProperties) {
  TOwnButton button(nullptr);
  button.SetCaption(u"Go");
  auto bb = DrawControlImage(&button, clWhite);
  EXPECT_EQ(bb->GetPixel(74, 24), kDkShadow);

  TOwnEdit edit(nullptr);
  edit.SetColor(clYellow);
  auto eb = DrawControlImage(&edit, clWhite);
  EXPECT_EQ(eb->GetPixel(10, 10), 0x00FFFF);
  EXPECT_FALSE(edit.HandleAllocated());

  // A plain control that is neither graphic nor windowed is not painted.
  TControl plain(nullptr);
  plain.SetBounds(0, 0, 10, 10);
  auto pb = DrawControlImage(&plain, clRed);
  EXPECT_EQ(pb->GetPixel(5, 5), 0x0000FF);
}

TEST(ControlImages, GraphicControlsPaintACopyAtTheirPlace) {
  TBitmap b(60, 50);
  TSwatch swatch(nullptr, clLime);
  swatch.SetBounds(100, 100, 20, 10);  // its own position does not matter
  DrawControlOnCanvas(&swatch, b.GetCanvas(), 15, 25);
  EXPECT_TRUE(swatch.SawPaintCopy);
  EXPECT_FALSE(swatch.GetControlState().Contains(csPaintCopy));
  EXPECT_EQ(swatch.DeviceOrigin, TPoint(15, 25));
  EXPECT_EQ(swatch.ClipBox, TRect(0, 0, 20, 10));
  EXPECT_EQ(b.GetPixel(15, 25), 0x00FF00);
  EXPECT_EQ(b.GetPixel(34, 34), 0x00FF00);
  EXPECT_EQ(b.GetPixel(35, 34), kWhite);
  EXPECT_EQ(b.GetPixel(14, 25), kWhite);
  ExpectPristine(b.GetCanvas()->GetHandle());
}

TEST(ControlImages, LockAndContextStateAreReleasedWhenPaintingRaises) {
  TBitmap b(60, 50);
  TCanvas* canvas = b.GetCanvas();
  HDC dc = canvas->GetHandle();

  TSwatch swatch(nullptr, clLime);
  swatch.SetBounds(0, 0, 20, 10);
  swatch.Throw = true;
  EXPECT_THROW(DrawControlOnCanvas(&swatch, canvas, 5, 5), std::runtime_error);
  EXPECT_FALSE(swatch.GetControlState().Contains(csPaintCopy));
  ExpectPristine(dc);

  TCustomThing thing(nullptr);
  thing.SetBounds(0, 0, 20, 10);
  int lockedWhilePainting = 0;
  thing.OnPaint = [&] {
    lockedWhilePainting = canvas->GetLockCount();
    throw std::runtime_error("paint failed");
  };
  EXPECT_THROW(DrawControlOnCanvas(&thing, canvas, 5, 5), std::runtime_error);
  EXPECT_EQ(lockedWhilePainting, 1);
  EXPECT_EQ(canvas->GetLockCount(), 0);
  EXPECT_FALSE(thing.GetControlState().Contains(csPaintCopy));
  ExpectPristine(dc);

  // The canvas still draws with its own brush afterwards.
  canvas->Brush().SetColor(clRed);
  canvas->FillRect(TRect(0, 0, 3, 3));
  EXPECT_EQ(b.GetPixel(1, 1), 0x0000FF);
}

TEST(ControlImages, OtherWindowedControlsGetTheirHandlesAndPaintThemselves) {
  TCustomThing thing(nullptr);
  thing.SetBounds(0, 0, 30, 20);
  auto* inner = new TCustomThing(nullptr);
  inner->SetParent(&thing);
  auto* deeper = new TEdit(nullptr);
  deeper->SetParent(inner);
  auto img = DrawControlImage(&thing, clWhite);
  EXPECT_TRUE(thing.HandleAllocated());
  EXPECT_TRUE(inner->HandleAllocated());
  EXPECT_TRUE(deeper->HandleAllocated());
  EXPECT_EQ(img->GetPixel(29, 19), 0xFF0000);
}

TEST(ControlImages, PanelChildrenArePaintedAtTheirOffsets) {
  TPanel panel(nullptr);
  panel.SetBounds(0, 0, 200, 60);
  panel.SetColor(clYellow);
  auto* button = new TButton(nullptr);
  button->SetParent(&panel);
  button->SetBounds(10, 20, 75, 25);
  button->SetCaption(u"OK");
  auto* label = new TSwatch(nullptr, clLime);
  label->SetParent(&panel);
  label->SetBounds(120, 20, 30, 15);
  auto* hidden = new TOwnButton(nullptr);  // would raise if it were painted at all
  hidden->SetParent(&panel);
  hidden->SetVisible(false);

  TBitmap b(240, 100);
  DrawControlOnCanvas(&panel, b.GetCanvas(), 20, 10);
  EXPECT_EQ(label->Paints, 1) << "graphic children keep what the panel drew";
  EXPECT_EQ(b.GetPixel(140, 30), 0x00FF00);
  EXPECT_EQ(b.GetPixel(30 + 74, 30 + 24), kDkShadow);
  EXPECT_EQ(b.GetPixel(30 + 3, 30 + 3), kFace);
  EXPECT_TRUE(AnyInk(b, TRect(30 + 25, 30 + 5, 30 + 50, 30 + 20)));
  EXPECT_EQ(b.GetPixel(25, 15), 0x00FFFF);
  EXPECT_FALSE(panel.HandleAllocated());
  EXPECT_FALSE(button->HandleAllocated());
  ExpectPristine(b.GetCanvas()->GetHandle());
}

TEST(ControlImages, HandlesAreCreatedForTheWholeTree) {
  TPanel panel(nullptr);
  auto* a = new TPanel(nullptr);
  a->SetParent(&panel);
  auto* b = new TEdit(nullptr);
  b->SetParent(a);
  auto* label = new TLabel(nullptr);
  label->SetParent(a);
  CreateControlHandles(&panel);
  EXPECT_TRUE(panel.HandleAllocated());
  EXPECT_TRUE(a->HandleAllocated());
  EXPECT_TRUE(b->HandleAllocated());
  CreateControlHandles(nullptr);
}

TEST(ControlImages, LabelsFillUnlessTransparentAndAlignTheirCaption) {
  TLabel label(nullptr);
  label.SetBounds(0, 0, 120, 20);
  label.SetColor(clYellow);
  label.SetCaption(u"MMM");
  const TRect left(0, 0, 40, 20), right(80, 0, 120, 20);

  auto img = DrawControlImage(&label, clWhite);
  EXPECT_EQ(img->GetPixel(119, 19), 0x00FFFF);
  EXPECT_TRUE(AnyInk(*img, left));
  EXPECT_FALSE(AnyInk(*img, right));

  label.SetAlignment(taRightJustify);
  img = DrawControlImage(&label, clWhite);
  EXPECT_FALSE(AnyInk(*img, left));
  EXPECT_TRUE(AnyInk(*img, right));

  label.SetTransparent(true);
  img = DrawControlImage(&label, clWhite);
  EXPECT_EQ(img->GetPixel(0, 19), kWhite);
  EXPECT_TRUE(AnyInk(*img, right));
}
