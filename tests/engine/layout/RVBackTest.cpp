#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "engine/document/CustomRVData.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/layout/RVBack.h"
#include "engine/layout/RVPalette.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Pictures.h"

namespace {

constexpr TColor kRed = 0x0000FF, kGreen = 0x00C000, kWhite = 0xFFFFFF, kBlue = 0xFF0000, kBlack = 0;

// A 10 x 10 image: green with a red top-left pixel, so every placement shows where it starts.
std::unique_ptr<TBitmap> MarkedImage(bool Transparent = false) {
  auto b = std::make_unique<TBitmap>(10, 10);
  b->GetCanvas()->Brush().SetColor(kGreen);
  b->GetCanvas()->FillRect(TRect(0, 0, 10, 10));
  b->GetCanvas()->SetPixel(0, 0, kRed);
  b->SetTransparent(Transparent);  // the bottom-left pixel's green becomes see-through
  return b;
}

struct TPaint {
  std::unique_ptr<TRVGraphicInterface> GI = CreateDefaultGraphicInterface();
  TBitmap Target{100, 60};
  TPaint() { Clear(); }
  void Clear(TColor c = kWhite) {
    Target.GetCanvas()->Brush().SetColor(c);
    Target.GetCanvas()->FillRect(TRect(0, 0, 100, 60));
  }
  TColor At(int x, int y) { return Target.GetCanvas()->GetPixel(x, y); }
  void Draw(TRVBackground& b, TRect r = TRect(0, 0, 100, 60), int HOffs = 0, int VOffs = 0, TColor Color = clNone,
            int Opacity = 100000, bool Thumbnails = false, TCustomRVData* RVData = nullptr,
            IRVThumbnailOwner* Owner = nullptr, int W = 100, int H = 60, bool PrintSimulation = false) {
    b.Draw(Target.GetCanvas(), r, HOffs, VOffs, 0, 0, W, H, Color, Opacity, true, PrintSimulation, GI.get(), RVData,
           Owner, Thumbnails);
  }
};

std::unique_ptr<TRVBackground> WithImage(TBackgroundStyle Style, bool Transparent = false) {
  auto b = std::make_unique<TRVBackground>(false, nullptr);
  auto img = MarkedImage(Transparent);
  b->AssignImage(img.get(), nullptr, true, nullptr);
  b->Style = Style;
  return b;
}

}  // namespace

TEST(Background, PlacementsOfEveryStyle) {
  struct Probe {
    int X, Y;
    TColor Color;
  };
  struct Case {
    TBackgroundStyle Style;
    int HOffs, VOffs;
    Probe Probes[4];
  };
  const Case cases[] = {
      {bsTiled, 0, 0, {{0, 0, kRed}, {10, 0, kRed}, {90, 50, kRed}, {5, 5, kGreen}}},
      {bsTiledAndScrolled, 3, 4, {{7, 6, kRed}, {17, 16, kRed}, {0, 0, kGreen}, {10, 10, kGreen}}},
      {bsTiledAndScrolled, 0, 0, {{0, 0, kRed}, {20, 30, kRed}, {1, 1, kGreen}, {99, 59, kGreen}}},
      {bsCentered, 0, 0, {{45, 25, kRed}, {50, 30, kGreen}, {0, 0, kWhite}, {44, 25, kWhite}}},
      {bsTopLeft, 0, 0, {{0, 0, kRed}, {9, 9, kGreen}, {10, 10, kWhite}, {90, 50, kWhite}}},
      {bsTopRight, 0, 0, {{90, 0, kRed}, {99, 9, kGreen}, {89, 0, kWhite}, {0, 0, kWhite}}},
      {bsBottomLeft, 0, 0, {{0, 50, kRed}, {9, 59, kGreen}, {0, 49, kWhite}, {0, 0, kWhite}}},
      {bsBottomRight, 0, 0, {{90, 50, kRed}, {99, 59, kGreen}, {89, 50, kWhite}, {0, 0, kWhite}}},
      {bsStretched, 0, 0, {{0, 0, kRed}, {50, 30, kGreen}, {99, 59, kGreen}, {20, 0, kGreen}}},
  };
  for (const Case& c : cases)
    for (bool simulate : {false, true}) {  // on the screen, and as printed bitmaps
      TPaint p;
      auto owner = WithImage(c.Style);
      TRVBackground& b = *owner;
      p.Draw(b, TRect(0, 0, 100, 60), c.HOffs, c.VOffs, clNone, 100000, false, nullptr, nullptr, 100, 60, simulate);
      for (const Probe& pr : c.Probes)
        EXPECT_EQ(p.At(pr.X, pr.Y), pr.Color) << "style " << c.Style << " at " << pr.X << "," << pr.Y << " " << simulate;
    }
}

TEST(Background, PaintsOnlyThePartAskedFor) {
  TPaint p;
  auto owner = WithImage(bsTiled);
  TRVBackground& b = *owner;
  p.Draw(b, TRect(20, 10, 50, 40));
  EXPECT_EQ(p.At(19, 10), kWhite);
  EXPECT_EQ(p.At(20, 9), kWhite);
  EXPECT_EQ(p.At(50, 40), kWhite);
  EXPECT_EQ(p.At(20, 10), kRed);  // tiles keep the area's grid
  EXPECT_EQ(p.At(30, 30), kRed);
  EXPECT_EQ(p.At(25, 15), kGreen);
}

TEST(Background, ColourUnderOpaqueAndTransparentImages) {
  struct Case {
    TBackgroundStyle Style;
    bool Transparent;
    int X, Y;
    TColor Expected;
  };
  const Case cases[] = {
      {bsTiled, false, 5, 5, kGreen},   // an opaque tiled image covers the colour
      {bsTiled, true, 5, 5, kBlue},     // a transparent one shows it
      {bsTiled, true, 0, 0, kRed},
      {bsCentered, false, 0, 0, kBlue}, // one image leaves the rest of the area to the colour
      {bsNoBitmap, false, 5, 5, kBlue},
  };
  for (const Case& c : cases) {
    TPaint p;
    auto owner = WithImage(c.Style, c.Transparent);
    TRVBackground& b = *owner;
    p.Draw(b, TRect(0, 0, 100, 60), 0, 0, kBlue);
    EXPECT_EQ(p.At(c.X, c.Y), c.Expected) << c.Style << " transparent " << c.Transparent;
  }
  // Half opacity blends the colour with what the canvas shows.
  TPaint p;
  TRVBackground b(false, nullptr);
  p.Draw(b, TRect(0, 0, 100, 60), 0, 0, kBlue, 50000);
  const TColor c = p.At(50, 30);
  EXPECT_NEAR((c >> 16) & 0xFF, 255, 1);
  EXPECT_NEAR(c & 0xFF, 127, 2);
}

TEST(Background, PropertiesAndQuestions) {
  struct Case {
    TBackgroundStyle Style;
    TRVItemBackgroundStyle Item;
  };
  const Case styles[] = {{bsNoBitmap, rvbsColor},     {bsStretched, rvbsStretched}, {bsTiled, rvbsTiled},
                         {bsTiledAndScrolled, rvbsTiled}, {bsCentered, rvbsCentered}, {bsTopLeft, rvbsCentered},
                         {bsTopRight, rvbsCentered},  {bsBottomLeft, rvbsCentered}, {bsBottomRight, rvbsCentered}};
  TRVBackground b(false, nullptr);
  for (const Case& c : styles) {
    b.Style = c.Style;
    EXPECT_EQ(b.GetItemBackStyle(), c.Item) << c.Style;
  }
  b.Style = bsTopRight;
  b.SetItemBackStyle(b.GetItemBackStyle());
  EXPECT_EQ(b.Style, bsCentered);
  // Without an image.
  b.Style = bsStretched;
  EXPECT_FALSE(b.Empty());
  EXPECT_FALSE(b.Visible());
  b.Style = bsNoBitmap;
  EXPECT_TRUE(b.Empty());
  // With an opaque image.
  auto centred = WithImage(bsCentered), tiled = WithImage(bsTiled), scrolled = WithImage(bsTiledAndScrolled);
  EXPECT_TRUE(centred->IsSemitransparent());
  EXPECT_FALSE(tiled->IsSemitransparent());
  EXPECT_TRUE(WithImage(bsTiled, true)->IsSemitransparent());
  EXPECT_TRUE(tiled->ScrollRequiresFullRedraw());
  EXPECT_FALSE(scrolled->ScrollRequiresFullRedraw());
  EXPECT_TRUE(tiled->Visible());
  // An empty background holds an empty bitmap.
  TRVBackground blank(true, nullptr);
  EXPECT_TRUE(blank.EmptyImage());
  EXPECT_NE(blank.GetBitmap(), nullptr);
}

TEST(Background, TakesOverOrCopiesTheImage) {
  auto img = MarkedImage();
  TRVBackground copy(false, nullptr);
  copy.AssignImage(img.get(), nullptr, true, nullptr);
  EXPECT_NE(copy.GetBitmap(), img.get());
  EXPECT_EQ(copy.GetBitmap()->GetWidth(), 10);
  TRVBackground taken(false, nullptr);
  TGraphic* raw = img.release();
  taken.AssignImage(raw, nullptr, false, nullptr);
  EXPECT_EQ(taken.GetBitmap(), raw);  // freed with the background
  taken.AssignImage(raw, nullptr, false, nullptr);  // the same image: nothing
  EXPECT_EQ(taken.GetBitmap(), raw);
}

namespace {

struct TThumbProps : TRVDataRootProperties {
  TRVThumbnailCache Cache;
  TRVThumbnailCache* GetThumbnailCache() override { return &Cache; }
};

struct TThumbDoc : TCustomRVData, IRVThumbnailOwner {
  TThumbProps Props;
  TRVFlags Flags;
  TRVBackground* Back = nullptr;
  TRVFlags GetFlags() const override { return Flags; }
  void SetFlags(const TRVFlags& v) override { Flags = v; }
  TRVDataRootProperties* GetRootProperties() override { return &Props; }
  void FreeCachedThumbnail() override {
    if (Back) Back->FreeThumbnail();
  }
};

}  // namespace

TEST(Background, ThumbnailsOfStretchedImages) {
  TThumbDoc doc;
  doc.Props.Cache.MaxCount = 5;
  auto owner = WithImage(bsStretched);
  TRVBackground& b = *owner;
  doc.Back = &b;
  TPaint p;
  p.Draw(b, TRect(0, 0, 100, 60), 0, 0, clNone, 100000, true, &doc, &doc);
  ASSERT_TRUE(b.HasThumbnail());
  EXPECT_EQ(b.GetThumbnail()->GetWidth(), 100);
  EXPECT_EQ(b.GetThumbnail()->GetHeight(), 60);
  EXPECT_EQ(doc.Props.Cache.Count(), 1);
  EXPECT_EQ(p.At(99, 59), kGreen);
  // Shown at its own size, the image needs no thumbnail: it is dropped and leaves the cache.
  p.Draw(b, TRect(0, 0, 10, 10), 0, 0, clNone, 100000, true, &doc, &doc, 10, 10);
  EXPECT_FALSE(b.HasThumbnail());
  EXPECT_EQ(doc.Props.Cache.Count(), 0);
  // A cache that holds nothing makes no thumbnails.
  doc.Props.Cache.MaxCount = 0;
  p.Draw(b, TRect(0, 0, 100, 60), 0, 0, clNone, 100000, true, &doc, &doc);
  EXPECT_FALSE(b.HasThumbnail());
  EXPECT_EQ(p.At(0, 0), kRed);
}

// Pages never scroll: a background that tiles with the scroll position is drawn tiled from the
// page's origin, and the document's background keeps its own style.
TEST(Background, PageDrawingKeepsTheDocumentsStyle) {
  auto owner = WithImage(bsTiledAndScrolled);
  TRVBackground& b = *owner;
  TPaint page, tiled;
  b.DrawOnPage(page.Target.GetCanvas(), TRect(0, 0, 100, 60), 100, 60, clNone, 100000, false, page.GI.get());
  EXPECT_EQ(b.Style, bsTiledAndScrolled);
  auto referenceOwner = WithImage(bsTiled);
  TRVBackground& reference = *referenceOwner;
  tiled.Draw(reference, TRect(0, 0, 100, 60), 3, 4);
  for (int y = 0; y < 60; y += 3)
    for (int x = 0; x < 100; x += 3) ASSERT_EQ(page.At(x, y), tiled.At(x, y)) << x << "," << y;
  EXPECT_EQ(RVPageBackgroundStyle(bsTiledAndScrolled), bsTiled);
  EXPECT_EQ(RVPageBackgroundStyle(bsCentered), bsCentered);
  // Printing tiles from the page's origin too, and leaves the style alone as well.
  TRVScreenAndDevice sad;
  sad.ppixScreen = sad.ppiyScreen = sad.ppixDevice = sad.ppiyDevice = 96;
  TPaint printed;
  b.Print(printed.Target.GetCanvas(), TRect(0, 0, 100, 60), TRect(0, 0, 100, 60), sad, clNone, 100000, true, nullptr,
          nullptr, -1, printed.GI.get(), 1, rvcmColor);
  EXPECT_EQ(b.Style, bsTiledAndScrolled);
  EXPECT_EQ(printed.At(10, 20), kRed);
  EXPECT_EQ(printed.At(15, 25), kGreen);
}

namespace {

// A page that shows blue behind everything and asks for composition in bitmaps.
struct TBluePage : IRVBackgroundPage {
  int Calls = 0;
  bool AllowTransparentDrawing() override { return false; }
  void DrawBackToBitmap(int, int, TBitmap* Bitmap, const TRVScreenAndDevice&, int, bool, bool, int) override {
    ++Calls;
    Bitmap->GetCanvas()->Brush().SetColor(kBlue);
    Bitmap->GetCanvas()->FillRect(TRect(0, 0, Bitmap->GetWidth(), Bitmap->GetHeight()));
  }
};

bool Near(TColor c, int r, int g, int b) {
  return std::abs((c & 0xFF) - r) <= 2 && std::abs(((c >> 8) & 0xFF) - g) <= 2 && std::abs(((c >> 16) & 0xFF) - b) <= 2;
}

}  // namespace

// Printing at twice the screen's resolution: a transparent image tiled over a half-transparent
// colour shows, in each tile, the page's blue blended with the red beneath the image's black mark.
TEST(Background, PrintsTransparentTilesOverASemiTransparentColour) {
  TRVBackground b(false, nullptr);
  auto img = std::make_unique<TBitmap>(10, 10);
  img->GetCanvas()->Brush().SetColor(kWhite);
  img->GetCanvas()->FillRect(TRect(0, 0, 10, 10));
  img->GetCanvas()->SetPixel(0, 0, kBlack);
  img->SetTransparent(true);
  b.AssignImage(img.get(), nullptr, true, nullptr);
  b.Style = bsTiled;
  TRVScreenAndDevice sad;
  sad.ppixScreen = sad.ppiyScreen = 96;
  sad.ppixDevice = sad.ppiyDevice = 192;
  TPaint p;
  TBluePage page;
  b.Print(p.Target.GetCanvas(), TRect(0, 0, 100, 60), TRect(0, 0, 100, 60), sad, kRed, 50000, true, nullptr, &page, -1,
          p.GI.get(), 1, rvcmColor);
  EXPECT_GT(page.Calls, 1);  // each tile composes what lies behind it
  for (int tx : {0, 20, 40, 80})
    for (int ty : {0, 20, 40}) {
      EXPECT_TRUE(Near(p.At(tx, ty), 0, 0, 0)) << tx << "," << ty << ": " << std::hex << p.At(tx, ty);
      EXPECT_TRUE(Near(p.At(tx + 1, ty + 1), 0, 0, 0)) << tx << "," << ty;  // one screen pixel is 2 x 2
      EXPECT_TRUE(Near(p.At(tx + 5, ty + 7), 128, 0, 127)) << tx << "," << ty << ": " << std::hex << p.At(tx + 5, ty + 7);
    }
  // A tile cut by the area's edge: the last row of tiles ends at 60.
  EXPECT_TRUE(Near(p.At(50, 59), 128, 0, 127));
}

TEST(Background, PrintsAnOpaqueColourAndTheCentredImage) {
  auto owner = WithImage(bsCentered);
  TRVBackground& b = *owner;
  TRVScreenAndDevice sad;
  sad.ppixScreen = sad.ppiyScreen = sad.ppixDevice = sad.ppiyDevice = 96;
  TPaint p;
  TBluePage page;
  b.Print(p.Target.GetCanvas(), TRect(0, 0, 100, 60), TRect(0, 0, 100, 60), sad, kBlue, 100000, true, nullptr, &page,
          -1, p.GI.get(), 1, rvcmColor);
  EXPECT_EQ(p.At(0, 0), kBlue);
  EXPECT_EQ(p.At(45, 25), kRed);
  EXPECT_EQ(p.At(50, 30), kGreen);
  EXPECT_EQ(page.Calls, 0);
}

TEST(Palette, ColourCube) {
  const auto pal = RVMakeColorCubePalette();
  ASSERT_EQ(pal->Entries.size(), 216u);
  EXPECT_EQ(pal->Version, 0x300);
  struct Case {
    int Index, R, G, B;
  };
  for (const Case& c : {Case{0, 0, 0, 0}, Case{1, 51, 0, 0}, Case{6, 0, 51, 0}, Case{36, 0, 0, 51},
                        Case{215, 255, 255, 255}, Case{43, 51, 51, 51}}) {
    const TRVPaletteEntry& e = pal->Entries[static_cast<std::size_t>(c.Index)];
    EXPECT_EQ(e.Red, c.R) << c.Index;
    EXPECT_EQ(e.Green, c.G) << c.Index;
    EXPECT_EQ(e.Blue, c.B) << c.Index;
    EXPECT_EQ(e.Flags, 0);
  }
}
