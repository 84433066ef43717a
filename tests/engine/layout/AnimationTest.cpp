// Picture animation: the timer arithmetic of the animator list, the bitmap-grid and GIF animators,
// the makers, and GIF frames composed by their disposal methods against what ImageMagick composes
// from the same files.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/layout/RVAnimate.h"
#include "engine/layout/RVGifAnimate.h"
#include "platform/graphics/Gif.h"
#include "platform/graphics/Graphics.h"

namespace {

std::string ReadBytes(const std::string& Path) {
  std::ifstream f(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::string Fixture(const std::string& Name) {
  std::string path = TAVRELO_TEST_DATA;
  path += "/animation/";
  path += Name;
  return path;
}

std::unique_ptr<TGIFImage> LoadGif(const std::string& Name) {
  const std::string bytes = ReadBytes(Fixture(Name));
  auto gif = std::make_unique<TGIFImage>();
  TMemoryStream m;
  m.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  m.SetPosition(0);
  gif->LoadFromStream(m);
  return gif;
}

constexpr std::uint32_t White = 0xFFFFFFu;

// A formatted document as far as the animators see one: it lists animators, places the one
// picture at ObjRect, scrolls by ScrollY and draws frames onto Target.
struct TSheetHolder {
  TRVStyle Sheet{nullptr};
};

class TAnimDoc : private TSheetHolder, public TRVPlainRootData, public IRVAnimationHost, public IRVAnimationView {
 public:
  TAnimDoc() : TRVPlainRootData(&Sheet) {
    TPixelImage blank;
    blank.Resize(40, 40, 0xFF000000u);
    Target.FromPixels(blank);
  }
  ~TAnimDoc() override { Clear(); }

  bool AllowAnimation() override { return Allow; }
  void InsertAnimator(TRVItemAnimator*& Animator) override {
    auto* a = static_cast<TRVAnimator*>(Animator);
    List.Add(a);
    Animator = a;
  }
  bool GetAnimatedObjectRect(TCustomRVItemInfo*, TRect& DocRect) override {
    DocRect = ObjRect;
    return Formatted;
  }
  TRect AnimatedRectToClient(const TRect& R) override {
    return TRect(R.Left, R.Top - ScrollY, R.Right, R.Bottom - ScrollY);
  }
  int GetAnimationClientHeight() override { return 40; }
  bool IsAniRectVisibleInEditor(TRect&, float&, bool&) override { return false; }
  void DrawAnimationFrame(TRVAnimator* Animator) override {
    ++Draws;
    Animator->DrawFrameInRect(Target.GetCanvas(), Animator->FRVClientRect);
  }
  void GetAnimationBackground(TCustomRVItemInfo*, const TRect& Area, std::unique_ptr<TBitmap>& Bitmap,
                              TColor& Color) override {
    Color = clWhite;
    if (!BackPattern) return;
    TPixelImage img;
    img.Resize(Area.Width(), Area.Height());
    for (int y = 0; y < img.Height; ++y)
      for (int x = 0; x < img.Width; ++x) img.At(x, y) = 0xFF000000u | BackPixel(x, y);
    Bitmap = std::make_unique<TBitmap>();
    Bitmap->FromPixels(img);
  }
  // The pattern behind transparent pictures when BackPattern is set.
  static std::uint32_t BackPixel(int X, int Y) { return static_cast<std::uint32_t>(0x202020 + 0x10 * X + 0x1000 * Y); }

  TRVGraphicItemInfo* AddPicture(std::unique_ptr<TGraphic> G) {
    auto* item = new TRVGraphicItemInfo(this, std::move(G), rvvaBaseline);
    AddItem(u"", item);
    return item;
  }
  // The picture's pixels on Target (the object box at ObjRect less the 1-pixel spacing).
  std::uint32_t Shown(int X, int Y) { return Target.ToPixels().At(ObjRect.Left + 1 + X, ObjRect.Top + 1 + Y) & 0xFFFFFFu; }

  TRVAnimatorList List;
  TBitmap Target;
  TRect ObjRect{2, 3, 12, 11};
  int ScrollY = 0;
  bool Allow = true, Formatted = true, BackPattern = false;
  int Draws = 0;
};

// The frames an independent reader composes (8-bit RGBA, one after another), each pixel put over
// Back where the reader leaves it transparent.
struct TReference {
  int Width, Height;
  std::string Rgba;
  std::uint32_t At(int Frame, int X, int Y, std::uint32_t Back) const {
    const std::size_t p = (static_cast<std::size_t>(Frame) * Width * Height + static_cast<std::size_t>(Y) * Width + X) * 4;
    const auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(Rgba.at(p + i))); };
    return b(3) == 0 ? Back : b(0) << 16 | b(1) << 8 | b(2);
  }
};

// The stored reference; when ImageMagick is installed it composes the file again now, and the two
// must agree.
TReference Coalesced(const std::string& Gif, int W, int H, int Frames) {
  TReference ref{W, H, ReadBytes(Fixture(Gif.substr(0, Gif.size() - 4) + ".coalesced.rgba"))};
  EXPECT_EQ(ref.Rgba.size(), static_cast<std::size_t>(W) * H * 4 * Frames);
  const char* convert = "/usr/bin/convert";
  if (std::ifstream(convert).good()) {
    const std::string out = std::string(TAVRELO_TEST_OUTPUT) + "/" + Gif + ".coalesced.rgba";
    const std::string cmd = std::string(convert) + " '" + Fixture(Gif) + "' -coalesce -depth 8 'rgba:" + out + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    EXPECT_EQ(ReadBytes(out), ref.Rgba) << "ImageMagick composes " << Gif << " differently now";
  }
  return ref;
}

void ExpectFrame(TAnimDoc& D, const TReference& Ref, int Frame, TColor BackColor, const char* Case) {
  const COLORREF c = ColorToRGB(BackColor);
  const std::uint32_t plain = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
  int wrong = 0;
  for (int y = 0; y < Ref.Height; ++y)
    for (int x = 0; x < Ref.Width; ++x) {
      const std::uint32_t back = D.BackPattern ? TAnimDoc::BackPixel(x, y) : plain;
      const std::uint32_t want = Ref.At(Frame, x, y, back), got = D.Shown(x, y);
      if (want != got && ++wrong <= 3)
        ADD_FAILURE() << Case << ", frame " << Frame << " at (" << x << "," << y << "): " << std::hex << got
                      << " instead of " << want;
    }
}

}  // namespace

// A GIF with delays of 0, 1 and 5000 hundredths waits 100 ms, 30 ms and 10 s (the reader's
// default for 0, and the 3..1000 limit); every frame is composed by the disposal of the one before,
// over a plain background, a background bitmap, or the item's own background colour.
TEST(AnimationTest, GifTimingAndFramesMatchAnIndependentReader) {
  const TReference ref = Coalesced("anim3.gif", 8, 6, 3);
  struct {
    const char* Name;
    bool Pattern;
    TColor ItemBack;
  } cases[] = {{"white background", false, clNone}, {"background bitmap", true, clNone}, {"item colour", false, clAqua}};
  for (const auto& c : cases) {
    TAnimDoc d;
    d.BackPattern = c.Pattern;
    TRVGraphicItemInfo* item = d.AddPicture(LoadGif("anim3.gif"));
    item->BackgroundColor = c.ItemBack;
    const TColor back = c.ItemBack == clNone ? clWhite : c.ItemBack;
    auto* a = dynamic_cast<TRVGifImageAnimator*>(item->GetAnimator());
    ASSERT_NE(a, nullptr) << c.Name;
    ASSERT_EQ(d.List.Count(), 1);
    EXPECT_EQ(a->List, &d.List);
    EXPECT_EQ(a->FrameIndex, 0);
    EXPECT_EQ(d.List.MinInterval, 100);
    // Painting outside the timer shows frame 0.
    a->DrawFrameInRect(d.Target.GetCanvas(), d.ObjRect, false);
    ExpectFrame(d, ref, 0, back, c.Name);
    const struct {
      int Elapsed, Frame, Next;
    } ticks[] = {{100, 1, 30}, {30, 2, 10000}, {10000, 0, 100}, {100, 1, 30}};
    for (const auto& t : ticks) {
      EXPECT_EQ(d.List.MinInterval, t.Elapsed);
      d.List.TimerEvent();
      EXPECT_EQ(a->FrameIndex, t.Frame) << c.Name;
      EXPECT_EQ(d.List.MinInterval, t.Next) << c.Name;
      ExpectFrame(d, ref, t.Frame, back, c.Name);
    }
    EXPECT_EQ(d.Draws, 4);
    // Export: the first frame at the GIF's own size, the current frame kept.
    EXPECT_EQ(a->GetExportImageSize(), TSize(8, 6));
    TBitmap exported(8, 6);
    a->DrawForExport(exported.GetCanvas());
    EXPECT_EQ(a->FrameIndex, 1);
    const TPixelImage px = exported.ToPixels();
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 8; ++x) ASSERT_EQ(px.At(x, y) & 0xFFFFFFu, ref.At(0, x, y, White)) << x << "," << y;
  }
}

// Restore-to-previous puts back what was under the frame before the next one is drawn.
TEST(AnimationTest, RestoreToPreviousDisposal) {
  const TReference ref = Coalesced("restore-previous.gif", 6, 4, 4);
  TAnimDoc d;
  TRVGraphicItemInfo* item = d.AddPicture(LoadGif("restore-previous.gif"));
  auto* a = dynamic_cast<TRVAnimator*>(item->GetAnimator());
  ASSERT_NE(a, nullptr);
  for (int frame : {1, 2, 3, 0, 1, 2}) {
    d.List.TimerEvent();
    ASSERT_EQ(a->FrameIndex, frame);
    ExpectFrame(d, ref, frame, clWhite, "restore-previous");
  }
}

// Only animators whose time ran out step; the next period is the shortest time left.
TEST(AnimationTest, ListRunsAtTheShortestWaitingTime) {
  class TFixedAnimator : public TRVAnimator {
   public:
    TFixedAnimator(int Period) : TRVAnimator(nullptr, nullptr), Period(Period) {}
    int GetFrameCount() override { return 2; }
    void Reset() override { Interval = Period; }
    void ChangeFrame() override {
      Interval = Period;
      ++Changes;
    }
    void Draw(int, int, TCanvas*, bool) override {}
    void DrawForExport(TCanvas*) override {}
    int Period, Changes = 0;
  };
  TRVAnimatorList list;
  std::vector<std::unique_ptr<TFixedAnimator>> owned;
  for (int period : {100, 250, 400}) {
    owned.push_back(std::make_unique<TFixedAnimator>(period));
    TRVAnimator* a = owned.back().get();
    list.Add(a);
  }
  EXPECT_EQ(list.MinInterval, 100);
  // Ticks at 100, 200, 250, 300 and 400 ms.
  const struct {
    int Next, A, B, C;
  } ticks[] = {{100, 1, 0, 0}, {50, 2, 0, 0}, {50, 2, 1, 0}, {100, 3, 1, 0}, {100, 4, 1, 1}};
  for (const auto& t : ticks) {
    list.TimerEvent();
    EXPECT_EQ(list.MinInterval, t.Next);
    EXPECT_EQ(owned[0]->Changes, t.A);
    EXPECT_EQ(owned[1]->Changes, t.B);
    EXPECT_EQ(owned[2]->Changes, t.C);
  }
  // An animator freed by its owner leaves the list; the last one stops it.
  list.Active = true;
  owned.clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.Active);

  // A full list frees what it is given.
  const int keep = MaxAnimators;
  MaxAnimators = 100000;
  {
    TRVAnimatorList full;
    for (int i = 0; i < MaxAnimators; ++i) {
      TRVAnimator* a = new TFixedAnimator(10);
      full.Add(a);
    }
    TRVAnimator* extra = new TFixedAnimator(10);
    full.Add(extra);
    EXPECT_EQ(extra, nullptr);
    EXPECT_EQ(full.Count(), 100000);
    full.FreeAnimators();
    EXPECT_EQ(full.Count(), 0);
  }
  MaxAnimators = keep;
}

// A bitmap of 3 x 2 cells with an interval of 5 shows the cells in row order, 50 ms each.
TEST(AnimationTest, BitmapGridInRowOrder) {
  const std::uint32_t colours[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};
  TPixelImage img;
  img.Resize(12, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 12; ++x) img.At(x, y) = 0xFF000000u | colours[(y / 3) * 3 + x / 4];
  auto bmp = std::make_unique<TBitmap>();
  bmp->FromPixels(img);
  TAnimDoc d;
  d.Allow = false;
  TRVGraphicItemInfo* item = d.AddPicture(std::move(bmp));
  item->ImageWidth = 4;
  item->ImageHeight = 3;
  item->Interval = 5;
  item->UpdateAnimator(&d);
  EXPECT_EQ(item->GetAnimator(), nullptr) << "the document does not animate";
  d.Allow = true;
  item->UpdateAnimator(&d);
  auto* a = dynamic_cast<TRVBitmapAnimator*>(item->GetAnimator());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->GetFrameCount(), 6);
  EXPECT_EQ(d.List.MinInterval, 50);
  for (int frame : {1, 2, 3, 4, 5, 0, 1}) {
    d.List.TimerEvent();
    EXPECT_EQ(a->FrameIndex, frame);
    EXPECT_EQ(d.List.MinInterval, 50);
    EXPECT_EQ(d.Shown(0, 0), colours[frame]);
    EXPECT_EQ(d.Shown(3, 2), colours[frame]);
  }
  // One cell is no animation: the maker frees the animator, which leaves the list.
  item->ImageWidth = 12;
  item->ImageHeight = 6;
  item->UpdateAnimator(&d);
  EXPECT_EQ(item->GetAnimator(), nullptr);
  EXPECT_EQ(d.List.Count(), 0);
}

// Empty frames at the end are not counted; one frame that shows is no animation.
TEST(AnimationTest, MakersAndEmptyFrames) {
  TAnimDoc d;
  TRVGraphicItemInfo* tail = d.AddPicture(LoadGif("empty-tail.gif"));
  auto* a = dynamic_cast<TRVGifImageAnimator*>(tail->GetAnimator());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->GetFrameCount(), 5);
  EXPECT_EQ(a->FIntervals, (std::vector<int>{200, 200, 200, 0, 0}));
  for (int frame : {1, 2, 0, 1}) {
    d.List.TimerEvent();
    EXPECT_EQ(a->FrameIndex, frame);
  }
  TRVGraphicItemInfo* one = d.AddPicture(LoadGif("one-frame-empty-tail.gif"));
  EXPECT_EQ(one->GetAnimator(), nullptr);
  TRVGraphicItemInfo* still = d.AddPicture(std::make_unique<TBitmap>(4, 4));
  EXPECT_EQ(still->GetAnimator(), nullptr);
  EXPECT_EQ(d.List.Count(), 1);
  // Freeing the item frees its animator, which leaves the list.
  d.Clear();
  EXPECT_EQ(d.List.Count(), 0);
}

// Out of view the composition is dropped; back in view it is composed again from frame 0.
TEST(AnimationTest, ScrolledOutOfViewReleasesFrames) {
  const TReference ref = Coalesced("anim3.gif", 8, 6, 3);
  TAnimDoc d;
  TRVGraphicItemInfo* item = d.AddPicture(LoadGif("anim3.gif"));
  auto* a = dynamic_cast<TRVGifImageAnimator*>(item->GetAnimator());
  ASSERT_NE(a, nullptr);
  d.List.TimerEvent();
  ASSERT_NE(a->bmp, nullptr);
  d.ScrollY = 100;
  d.List.TimerEvent();
  EXPECT_EQ(a->FrameIndex, 2);
  EXPECT_EQ(a->bmp, nullptr);
  d.ScrollY = 2;
  d.ObjRect = TRect(2, 5, 12, 13);  // the same place on the screen
  d.List.TimerEvent();
  EXPECT_EQ(a->FrameIndex, 0);
  EXPECT_TRUE(a->Moved);
  ASSERT_NE(a->bmp, nullptr);
  d.ObjRect = TRect(2, 3, 12, 11);
  ExpectFrame(d, ref, 0, clWhite, "after scrolling back");
  // A draw item that is not formatted is never visible.
  d.Formatted = false;
  d.List.TimerEvent();
  EXPECT_EQ(a->bmp, nullptr);
}
