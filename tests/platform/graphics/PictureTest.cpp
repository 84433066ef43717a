#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "platform/base/ComponentStream.h"
#include "platform/graphics/Gif.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Png.h"
#include "platform/graphics/WicImage.h"

namespace {

std::string Fixture(const char* name) {
  TMemoryStream ms;
  ms.LoadFromFile(Utf8ToUnicode(std::string(TAVRELO_TEST_DATA) + "/pictures/" + name));
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

void Load(TGraphic& g, const std::string& bytes) {
  TMemoryStream ms;
  ms.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  ms.SetPosition(0);
  g.LoadFromStream(ms);
}

std::string Saved(TGraphic& g) {
  TMemoryStream ms;
  g.SaveToStream(ms);
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

constexpr TColor Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, White = 0xFFFFFF, Black = 0;

}  // namespace

TEST(PictureTest, BitmapFilesReadAsStored) {
  std::string noOffset = Fixture("rgb4x3.bmp");
  noOffset.replace(10, 4, std::string(4, '\0'));  // a file header whose bit offset is 0
  std::string shortSize = Fixture("rgb4x3.bmp");
  shortSize.replace(2, 4, std::string("\x20\0\0\0", 4));  // a file size too small for the pixels
  for (const std::string& bytes : {Fixture("rgb4x3.bmp"), noOffset, shortSize}) {
    TBitmap rgb;
    Load(rgb, bytes);
    EXPECT_EQ(rgb.GetPixelFormat(), pf24bit);
    const TColor rows[3][4] = {{Red, Green, Blue, White}, {Black, Red, Green, Blue}, {White, Black, Red, Green}};
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) EXPECT_EQ(rgb.GetPixel(x, y), rows[y][x]) << x << "," << y;
    EXPECT_EQ(Saved(rgb), bytes);
  }
  TBitmap pal;
  Load(pal, Fixture("pal3x2.bmp"));
  EXPECT_EQ(pal.GetPixelFormat(), pf8bit);
  EXPECT_EQ(pal.Palette().size(), 3u);
  EXPECT_EQ(pal.GetPixel(0, 0), Red);
  EXPECT_EQ(pal.GetPixel(2, 0), Blue);
  EXPECT_EQ(pal.GetPixel(0, 1), Blue);
  // Resizing keeps the file's own palette.
  pal.SetSize(4, 2);
  EXPECT_EQ(pal.Palette().size(), 3u);
  EXPECT_EQ(pal.GetPixel(1, 1), Green);
}

TEST(PictureTest, BitmapFormatsSurviveSaving) {
  const struct {
    TPixelFormat Format;
    TColor A, B;  // colours each format holds exactly
  } cases[] = {{pf1bit, Black, White}, {pf4bit, Red, 0x808000}, {pf8bit, 0x0033FF, 0x996600},
               {pf15bit, 0x84FF08, 0x000000}, {pf16bit, 0x8482FF, 0x08FF84}, {pf24bit, 0x123456, 0xABCDEF},
               {pf32bit, 0x123456, 0xABCDEF}};
  for (const auto& c : cases) {
    TBitmap b;
    b.SetPixelFormat(c.Format);
    b.SetSize(5, 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) b.SetPixel(x, y, (x + y) % 2 ? c.A : c.B);
    TBitmap copy;
    Load(copy, Saved(b));
    EXPECT_EQ(copy.GetPixelFormat(), c.Format) << c.Format;
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) EXPECT_EQ(copy.GetPixel(x, y), (x + y) % 2 ? c.A : c.B) << c.Format << " " << x << "," << y;
  }
}

TEST(PictureTest, BadFilesRaiseAndLeaveThePictureAlone) {
  std::string rgb = Fixture("rgb4x3.bmp");
  std::string truncated = rgb.substr(0, rgb.size() - 5);
  truncated.replace(2, 4, std::string(4, '\0'));  // no file size to trust either
  std::string huge = rgb;
  huge.replace(18, 4, std::string("\xFF\xFF\xFF\x7F", 4));
  std::string badBits = rgb;
  badBits.replace(28, 2, std::string("\x07\x00", 2));
  const struct {
    const char* Name;
    std::string Bytes;
  } cases[] = {{"empty", ""}, {"not a bitmap", "GIF89a....................................."},
               {"truncated bits", truncated}, {"huge", huge}, {"7 bits a pixel", badBits}};
  for (const auto& c : cases) {
    TBitmap b(2, 2);
    EXPECT_THROW(Load(b, c.Bytes), EInvalidGraphic) << c.Name;
    EXPECT_EQ(b.GetWidth(), 2) << c.Name;
  }
  const struct {
    const char* Name;
    std::unique_ptr<TGraphic> G;
    std::string Bytes;
  } others[] = {{"png", std::make_unique<TPngImage>(), "\x89PNG\r\n\x1a\nbroken"},
                {"jpeg", std::make_unique<TJPEGImage>(), "\xFF\xD8\xFF"},
                {"gif", std::make_unique<TGIFImage>(), Fixture("two-frames.gif").substr(0, 30)},
                {"icon", std::make_unique<TIcon>(), std::string("\0\0\1\0\5\0", 6)},
                {"tiff", std::make_unique<TWICImage>(), "II*\0garbage"}};
  for (const auto& c : others) EXPECT_THROW(Load(*c.G, c.Bytes), Exception) << c.Name;
}

TEST(PictureTest, BitmapFromADeviceBitmap) {
  BITMAPINFO bmi{};
  bmi.bmiHeader.biWidth = 2;
  bmi.bmiHeader.biHeight = 2;  // bottom-up rows
  bmi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP h = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_TRUE(h && bits);
  GetBitmapScanLine(h, 0)[2] = 0xFF;  // top-left red
  GetBitmapScanLine(h, 1)[4] = 0xFF;  // bottom-right blue
  TBitmap b;
  b.SetHandle(h, true);
  EXPECT_EQ(b.GetWidth(), 2);
  EXPECT_EQ(b.GetPixel(0, 0), Red);
  EXPECT_EQ(b.GetPixel(1, 1), Blue);
  EXPECT_EQ(b.GetPixel(1, 0), Black);
  DeleteObject(h);
  // Drawing on the canvas reaches the scan lines.
  TBitmap c(4, 4);
  c.SetPixelFormat(pf24bit);
  c.GetCanvas()->Brush().SetColor(clRed);
  c.GetCanvas()->FillRect(TRect(1, 1, 3, 3));
  c.Flush();
  EXPECT_EQ(c.GetPixel(1, 1), Red);
  EXPECT_EQ(c.GetPixel(3, 3), White);
  EXPECT_EQ(c.ScanLine(2)[3 * 2 + 2], 0xFF);
  // Given an 8-bit picture, the bitmap's canvas goes on drawing into its pixels.
  TBitmap pal;
  Load(pal, Fixture("pal3x2.bmp"));
  c.Assign(&pal);
  EXPECT_EQ(c.GetPixelFormat(), pf8bit);
  c.GetCanvas()->Brush().SetColor(clLime);
  c.GetCanvas()->FillRect(TRect(0, 0, 1, 1));
  c.Flush();
  EXPECT_EQ(c.GetPixel(0, 0), Green);
  EXPECT_EQ(c.GetPixel(2, 0), Blue);
}

TEST(PictureTest, ScanLinesAndTransparentColour) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(3, 2);
  EXPECT_EQ(b.BytesPerScanLine(), 12);
  EXPECT_THROW(b.ScanLine(2), EInvalidGraphicOperation);
  EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
  b.ScanLine(1)[0] = 0x10;  // blue byte of the bottom-left pixel
  EXPECT_EQ(b.GetTransparentMode(), tmAuto);
  EXPECT_EQ(b.GetTransparentColor(), 0x02000000 | 0x10FFFF);
  b.SetTransparentColor(clRed);
  EXPECT_EQ(b.GetTransparentMode(), tmFixed);
  EXPECT_EQ(b.GetTransparentColor(), 0x02000000 | clRed);
  b.SetTransparentMode(tmAuto);
  EXPECT_EQ(b.GetTransparentColor(), 0x02000000 | 0x10FFFF);
}

TEST(PictureTest, GifFramesDelaysAndDisposal) {
  TGIFImage gif;
  Load(gif, Fixture("two-frames.gif"));
  ASSERT_EQ(gif.FrameCount(), 2);
  EXPECT_EQ(gif.GetWidth(), 4);
  EXPECT_EQ(gif.LoopCount, 0);
  const struct {
    int Left, Top, Width, Height, Delay;
    TGIFDisposalMethod Disposal;
    bool Transparent;
  } frames[] = {{0, 0, 4, 4, 10, dmNoDisposal, false}, {1, 1, 2, 2, 25, dmBackground, true}};
  for (int i = 0; i < 2; ++i) {
    const TGIFFrame& f = gif.Frame(i);
    EXPECT_EQ(f.Left, frames[i].Left) << i;
    EXPECT_EQ(f.Top, frames[i].Top) << i;
    EXPECT_EQ(f.Width, frames[i].Width) << i;
    EXPECT_EQ(f.Height, frames[i].Height) << i;
    EXPECT_EQ(f.Delay, frames[i].Delay) << i;
    EXPECT_EQ(f.Disposal, frames[i].Disposal) << i;
    EXPECT_EQ(f.Transparent, frames[i].Transparent) << i;
  }
  EXPECT_TRUE(gif.GetTransparent());
  const TPixelImage second = gif.RenderFrame(1);
  EXPECT_EQ(second.At(0, 0), 0xFFFF0000u);  // red from the first frame
  EXPECT_EQ(second.At(1, 1), 0xFFFF0000u);  // transparent pixel of the second frame shows it
  EXPECT_EQ(second.At(2, 1), 0xFF0000FFu);
  EXPECT_EQ(second.At(2, 2), 0xFF0000FFu);
  EXPECT_EQ(Saved(gif), Fixture("two-frames.gif"));
}

TEST(PictureTest, GifWrittenFromPixelsReadsBack) {
  TPixelImage img;
  img.Resize(40, 30, 0xFF000000u);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) img.At(x, y) = 0xFF000000u | (x % 6) * 51u << 16 | (y % 6) * 51u << 8 | ((x + y) % 6) * 51u;
  TBitmap b;
  b.FromPixels(img);
  TGIFImage gif;
  gif.Assign(&b);
  TGIFImage back;
  Load(back, Saved(gif));
  ASSERT_EQ(back.FrameCount(), 1);
  EXPECT_EQ(back.RenderFrame(0).Pixels, img.Pixels);
}

TEST(PictureTest, TiffThroughTheImagingClass) {
  TWICImage wic;
  Load(wic, Fixture("rgb2x2.tif"));
  EXPECT_EQ(wic.GetImageFormat(), wifTiff);
  EXPECT_EQ(wic.GetWidth(), 2);
  EXPECT_EQ(wic.GetHeight(), 2);
  const TPixelImage px = wic.ToPixels();
  EXPECT_EQ(px.At(0, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(px.At(1, 0) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(px.At(0, 1) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(Saved(wic), Fixture("rgb2x2.tif"));
}

TEST(PictureTest, PngAlphaAndJpegColours) {
  TPngImage png;
  Load(png, Fixture("rgba3x2.png"));
  EXPECT_TRUE(png.GetTransparent());
  EXPECT_EQ(png.Pixels().At(1, 0), 0x8000FF00u);
  EXPECT_EQ(png.Pixels().At(2, 1), 0xFF070809u);

  TPixelImage img;
  img.Resize(16, 16, 0xFF2080C0u);
  TBitmap b;
  b.FromPixels(img);
  TJPEGImage jpeg;
  jpeg.Assign(&b);
  TJPEGImage back;
  Load(back, Saved(jpeg));
  EXPECT_EQ(back.GetWidth(), 16);
  const std::uint32_t p = back.ToPixels().At(8, 8);
  EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 0x20, 3);
  EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 0x80, 3);
  EXPECT_NEAR(static_cast<int>(p & 0xFF), 0xC0, 3);
  EXPECT_THROW(back.SetWidth(3), EInvalidGraphicOperation);
}

// Pixels decoded for a caller are handed over, not kept beside a copy: asking again decodes
// again, and the picture still draws. Opaque and transparent PNG pixels, and 32-bit bitmaps
// taken to 24 bits and back, keep their colours.
TEST(PictureTest, DecodedPixelsHandedOverAndDirectLayoutsKept) {
  TPixelImage img;
  img.Resize(5, 3, 0xFF2080C0u);
  img.At(1, 2) = 0xFF102030u;
  TBitmap b;
  b.FromPixels(img);
  TJPEGImage jpeg;
  jpeg.Assign(&b);
  TJPEGImage loaded;
  Load(loaded, Saved(jpeg));
  const TPixelImage first = loaded.ToPixels();
  const TPixelImage second = loaded.ToPixels();
  ASSERT_EQ(first.Width, 5);
  EXPECT_EQ(first.Pixels, second.Pixels);
  TBitmap target;
  target.SetPixelFormat(pf32bit);
  target.SetSize(5, 3);
  target.GetCanvas()->StretchDraw(TRect(0, 0, 5, 3), &loaded);
  EXPECT_EQ(target.ToPixels().At(0, 0) & 0xFFFFFF, first.At(0, 0) & 0xFFFFFF);

  for (bool alpha : {false, true}) {
    TPixelImage px = img;
    px.HasAlpha = alpha;
    if (alpha) px.At(4, 0) = 0x40FF0000u;
    TPngImage png;
    TBitmap from;
    from.FromPixels(px);
    png.Assign(&from);
    TPngImage back;
    Load(back, Saved(png));
    const TPixelImage got = back.ToPixels();
    EXPECT_EQ(got.HasAlpha, alpha);
    EXPECT_EQ(got.Pixels, px.Pixels) << alpha;
  }

  TBitmap depth;
  depth.FromPixels(img);
  depth.SetPixelFormat(pf24bit);
  EXPECT_EQ(depth.ScanLine(2)[3], 0x30);  // blue, green, red of (1, 2)
  EXPECT_EQ(depth.ScanLine(2)[5], 0x10);
  depth.SetPixelFormat(pf32bit);
  EXPECT_EQ(depth.ToPixels().Pixels, img.Pixels);
}

TEST(PictureTest, IconRoundTrip) {
  TPixelImage img;
  img.Resize(3, 2, 0xFF112233u);
  img.At(0, 0) = 0;  // transparent
  img.HasAlpha = true;
  TIcon icon;
  icon.FromPixels(img);
  TIcon back;
  Load(back, Saved(icon));
  ASSERT_NE(back.GetHandle(), nullptr);
  EXPECT_EQ(back.GetWidth(), 3);
  EXPECT_EQ(back.GetHandle()->Mask[0], 1);
  EXPECT_EQ(back.GetHandle()->Mask[1], 0);
  EXPECT_EQ(back.GetHandle()->Color.At(1, 1), 0xFF112233u);
  EXPECT_THROW(back.SetWidth(5), EInvalidGraphicOperation);
}

TEST(PictureTest, PictureByExtension) {
  const std::string dir = std::string(TAVRELO_TEST_DATA) + "/pictures/";
  const struct {
    const char* File;
    TGraphicClass Class;
  } cases[] = {{"rgb4x3.bmp", TBitmap::StaticClass()},      {"rgba3x2.png", TPngImage::StaticClass()},
               {"two-frames.gif", TGIFImage::StaticClass()}, {"rgb2x2.tif", TWICImage::StaticClass()},
               {"rect.wmf", TMetafile::StaticClass()}};
  for (const auto& c : cases) {
    TPicture pic;
    pic.LoadFromFile(Utf8ToUnicode(dir + c.File));
    ASSERT_NE(pic.GetGraphic(), nullptr) << c.File;
    EXPECT_EQ(pic.GetGraphic()->ClassType(), c.Class) << c.File;
  }
  TPicture pic;
  EXPECT_THROW(pic.LoadFromFile(Utf8ToUnicode(dir + "make_fixtures.py")), EInvalidGraphic);
  EXPECT_EQ(FindGraphicClass(u"TPNGObject"), TPngImage::StaticClass());
  EXPECT_EQ(FindGraphicClass(u"tjpegimage"), TJPEGImage::StaticClass());
}

// A picture class has one description: the class registry finds the same record by name, and
// both of its constructors make a picture of that class.
TEST(PictureTest, PictureClassesLiveInTheClassRegistry) {
  for (TGraphicClass cls : {TBitmap::StaticClass(), TIcon::StaticClass(), TMetafile::StaticClass(),
                            TJPEGImage::StaticClass(), TPngImage::StaticClass(), TGIFImage::StaticClass(),
                            TWICImage::StaticClass()}) {
    SCOPED_TRACE(UnicodeToUtf8(cls->ClassName));
    EXPECT_EQ(GetClass(cls->ClassName), cls);
    EXPECT_EQ(FindGraphicClass(cls->ClassName), cls);
    EXPECT_TRUE(cls->InheritsFrom(TGraphic::StaticClass()));
    ASSERT_TRUE(cls->Create);
    const std::unique_ptr<TGraphic> g = cls->Create();
    EXPECT_EQ(g->ClassType(), cls);
    EXPECT_EQ(&g->ClassInfo(), cls);
    const std::unique_ptr<TPersistent> p = FindClass(cls->ClassName).Create();
    EXPECT_EQ(&p->ClassInfo(), cls);
  }
  EXPECT_FALSE(TGraphic::StaticClass()->Create);
  EXPECT_FALSE(TBitmap::StaticClass()->InheritsFrom(TPngImage::StaticClass()));
  EXPECT_FALSE(TBitmap::StaticClass()->InheritsFrom(nullptr));
  // Registered, but not a picture.
  EXPECT_NE(GetClass(u"TPicture"), nullptr);
  EXPECT_EQ(FindGraphicClass(u"TPicture"), nullptr);
  EXPECT_EQ(FindGraphicClass(u"TNoSuchPicture"), nullptr);
  EXPECT_EQ(TPicture::GraphicExtension(TMetafile::StaticClass()), u"emf");
  EXPECT_EQ(TPicture::FileFormatClass(u".TIFF"), TWICImage::StaticClass());
}

TEST(PictureTest, ImageListDrawsPlainTransparentAndBlended) {
  // Two 2x1 images in one strip: red and magenta-keyed, blue.
  TBitmap strip;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(4, 1);
  strip.SetPixel(0, 0, clRed);
  strip.SetPixel(1, 0, clFuchsia);
  strip.SetPixel(2, 0, clBlue);
  strip.SetPixel(3, 0, clBlue);
  TImageList list(2, 1);
  EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 0);
  ASSERT_EQ(list.Count(), 2);
  const struct {
    const char* Name;
    TDrawingStyle Style;
    TColor Bk, Blend;
    TColor Left, Right;  // drawn over green
  } cases[] = {
      {"transparent", dsTransparent, clNone, clNone, clRed, clLime},
      {"plain on a colour", dsNormal, clWhite, clNone, clRed, clWhite},
      {"plain without a colour", dsNormal, clNone, clNone, clRed, clLime},
      {"blended 50 % with blue", dsSelected, clNone, clBlue, RGB(127, 0, 127), clLime},
  };
  for (const auto& c : cases) {
    TBitmap target;
    target.SetPixelFormat(pf32bit);
    target.SetSize(2, 1);
    target.SetPixel(0, 0, clLime);
    target.SetPixel(1, 0, clLime);
    list.BkColor = c.Bk;
    list.BlendColor = c.Blend;
    list.Draw(*target.GetCanvas(), 0, 0, 0, c.Style, itImage);
    target.Flush();
    EXPECT_EQ(target.GetPixel(0, 0), c.Left) << c.Name;
    EXPECT_EQ(target.GetPixel(1, 0), c.Right) << c.Name;
  }
  TBitmap b;
  list.GetBitmap(1, &b);
  EXPECT_EQ(b.GetPixel(1, 0), clBlue);
}

TEST(PictureTest, DamagedFilesNeverCrash) {
  // Every prefix of each file, and each file with one byte changed at every place, either loads
  // or raises; the sanitizers catch any read outside the bytes.
  const struct {
    const char* File;
    std::function<std::unique_ptr<TGraphic>()> Make;
  } cases[] = {
      {"rgb4x3.bmp", [] { return std::make_unique<TBitmap>(); }},
      {"pal3x2.bmp", [] { return std::make_unique<TBitmap>(); }},
      {"rgba3x2.png", [] { return std::make_unique<TPngImage>(); }},
      {"two-frames.gif", [] { return std::make_unique<TGIFImage>(); }},
      {"rgb2x2.tif", [] { return std::make_unique<TWICImage>(); }},
      {"rect.wmf", [] { return std::make_unique<TMetafile>(); }},
  };
  for (const auto& c : cases) {
    const std::string good = Fixture(c.File);
    auto attempt = [&](const std::string& bytes) {
      auto g = c.Make();
      try {
        Load(*g, bytes);
        (void)g->ToPixels();
      } catch (const Exception&) {
      }
    };
    for (std::size_t n = 0; n < good.size(); ++n) attempt(good.substr(0, n));
    for (std::size_t i = 0; i < good.size(); ++i)
      for (char v : {'\0', '\x7F', '\xFF'}) {
        std::string bad = good;
        bad[i] = v;
        attempt(bad);
      }
  }
}

TEST(PictureTest, PicturesInsideALongerStreamLeaveTheRest) {
  std::string jpeg;
  {
    TPixelImage img;
    img.Resize(9, 7, 0xFF405060u);
    TBitmap b;
    b.FromPixels(img);
    TJPEGImage j;
    j.Assign(&b);
    jpeg = Saved(j);
  }
  const struct {
    const char* Name;
    std::string Bytes;
    std::function<std::unique_ptr<TGraphic>()> Make;
  } cases[] = {
      {"bmp", Fixture("rgb4x3.bmp"), [] { return std::make_unique<TBitmap>(); }},
      {"png", Fixture("rgba3x2.png"), [] { return std::make_unique<TPngImage>(); }},
      {"gif", Fixture("two-frames.gif"), [] { return std::make_unique<TGIFImage>(); }},
      {"jpeg", jpeg, [] { return std::make_unique<TJPEGImage>(); }},
      {"wmf", Fixture("rect.wmf"), [] { return std::make_unique<TMetafile>(); }},
  };
  for (const auto& c : cases) {
    TMemoryStream ms;
    const std::string all = c.Bytes + "TAIL";
    ms.WriteBuffer(all.data(), static_cast<std::int64_t>(all.size()));
    ms.SetPosition(0);
    auto g = c.Make();
    g->LoadFromStream(ms);
    EXPECT_EQ(ms.GetPosition(), static_cast<std::int64_t>(c.Bytes.size())) << c.Name;
    EXPECT_EQ(Saved(*g), c.Bytes) << c.Name;
  }
}

TEST(PictureTest, PicturesStreamAsComponentProperties) {
  // "Data": the class name behind a length byte, then the graphic's own data (bitmaps and JPEG
  // pictures with their length in front).
  const std::string bmp = Fixture("rgb4x3.bmp"), png = Fixture("rgba3x2.png");
  const struct {
    const char* Name;
    std::unique_ptr<TGraphic> G;
    std::string Bytes;
    std::string Data;
  } cases[] = {
      {"bitmap", std::make_unique<TBitmap>(), bmp,
       std::string("\x07TBitmap", 8) + std::string(1, static_cast<char>(bmp.size())) + std::string(3, '\0') + bmp},
      {"png", std::make_unique<TPngImage>(), png, std::string("\x09TPngImage", 10) + png},
  };
  for (const auto& c : cases) {
    Load(*c.G, c.Bytes);
    TPicture pic;
    pic.SetGraphic(c.G.get());
    TMemoryStream ms;
    TWriter writer(ms);
    writer.WriteProperties(&pic);
    const std::uint8_t end = 0;
    ms.WriteBuffer(&end, 1);
    const std::string all(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
    EXPECT_NE(all.find(c.Data), std::string::npos) << c.Name;
    ms.SetPosition(0);
    TPicture back;
    TReader reader(ms);
    reader.ReadProperties(&back);
    ASSERT_NE(back.GetGraphic(), nullptr) << c.Name;
    EXPECT_EQ(back.GetGraphic()->ClassType(), c.G->ClassType()) << c.Name;
    EXPECT_EQ(Saved(*back.GetGraphic()), c.Bytes) << c.Name;
  }
  EXPECT_NE(GetClass(u"TBitmap"), nullptr);
  EXPECT_NE(GetClass(u"TWICImage"), nullptr);
  auto made = GetClass(u"TJPEGImage")->Create();
  EXPECT_NE(dynamic_cast<TJPEGImage*>(made.get()), nullptr);
}

// A length in front of the data that is longer than the stream is refused before anything is
// allocated for it; the picture stays as it was.
TEST(PictureTest, SizedDataLongerThanTheStreamIsRefused) {
  const std::string bmp = Fixture("rgb4x3.bmp");
  for (const std::uint32_t size : {0xFFFFFFF0u, static_cast<std::uint32_t>(bmp.size() + 1)}) {
    for (TGraphicClass cls : {TBitmap::StaticClass(), TJPEGImage::StaticClass()}) {
      const std::unique_ptr<TGraphic> g = cls->Create();
      SCOPED_TRACE(UnicodeToUtf8(g->ClassName()) + " " + std::to_string(size));
      TMemoryStream ms;
      ms.WriteValue<std::uint32_t>(size);
      WriteBytes(ms, bmp);
      ms.SetPosition(0);
      EXPECT_THROW(g->ReadData(ms), EReadError);
      EXPECT_TRUE(g->GetEmpty());
    }
  }
}

TEST(PictureTest, BitmapsDrawInEveryFormat) {
  const TPixelFormat formats[] = {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit};
  for (TPixelFormat pf : formats) {
    for (bool transparent : {false, true}) {
      TBitmap src;
      src.SetPixelFormat(pf);
      src.SetSize(2, 2);
      src.SetPixel(0, 0, clBlack);
      src.SetPixel(1, 0, clWhite);
      src.SetPixel(0, 1, clWhite);
      src.SetPixel(1, 1, clWhite);  // bottom-left white: the automatic transparent colour
      src.SetTransparent(transparent);
      TBitmap target;
      target.SetPixelFormat(pf32bit);
      target.SetSize(4, 4);
      HDC dc = target.GetCanvas()->GetHandle();
      const RECT all{0, 0, 4, 4};
      HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
      FillRect(dc, &all, red);
      DeleteObject(red);
      target.GetCanvas()->StretchDraw(TRect(0, 0, 4, 4), &src);
      target.Flush();
      EXPECT_EQ(target.GetPixel(0, 0), clBlack) << pf << transparent;
      EXPECT_EQ(target.GetPixel(3, 3), transparent ? clRed : clWhite) << pf << transparent;
    }
  }
}

TEST(PictureTest, BitmapWhoseColourTableRunsPastItsFileSizeSavesWhole) {
  // A colour table claimed longer than the room before the pixels: it runs past the pixel offset
  // and the file header's size. The bytes kept for saving must still hold all of it.
  std::string file = Fixture("pal3x2.bmp");
  const std::uint32_t colours = 8;
  file.replace(46, 4, std::string(reinterpret_cast<const char*>(&colours), 4));
  file += std::string(20, '\x40');
  TBitmap b;
  Load(b, file);
  TBitmap again;
  ASSERT_NO_THROW(Load(again, Saved(b)));
  ASSERT_EQ(again.GetWidth(), b.GetWidth());
  ASSERT_EQ(again.GetHeight(), b.GetHeight());
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) EXPECT_EQ(again.GetPixel(x, y), b.GetPixel(x, y)) << x << "," << y;
}

// A GIF frame may declare any size up to 65535 x 65535 whatever its screen; only its part on the
// screen is kept, so a small file cannot make the reader hold a quarter of a gigabyte.
TEST(PictureTest, GifFrameBeyondItsScreenKeepsOnlyThePartOnIt) {
  std::string gif = "GIF89a";
  PutLE16(gif, 48);
  PutLE16(gif, 65535);
  gif += std::string("\x80\0\0", 3) + std::string("\0\0\0\xFF\xFF\xFF", 6);  // black, white
  gif += '\x2C';
  for (std::uint32_t v : {0u, 0u, 4096u, 65535u}) PutLE16(gif, v);
  // Clear, index 1, end: the rest of the frame stays at index 0.
  gif += std::string("\0\x02\x02\x4C\x01\0\x3B", 7);
  TGIFImage g;
  Load(g, gif);
  ASSERT_EQ(g.FrameCount(), 1);
  EXPECT_EQ(g.Frame(0).Width, 48);
  EXPECT_EQ(g.Frame(0).Height, 65535);
  EXPECT_EQ(g.Frame(0).Indices.size(), std::size_t(48) * 65535);
  EXPECT_EQ(g.Frame(0).Indices[0], 1);
  EXPECT_EQ(g.Frame(0).Indices[1], 0);
}

// Every decoder refuses a picture that declares more pixels than the budget, as a bad picture,
// and reads it within the budget.
TEST(PictureTest, DecodersKeepToThePixelBudget) {
  struct TBudgetGuard {
    ~TBudgetGuard() { SetPicturePixelBudget(0); }
  } guard;
  TPixelImage px;
  px.Resize(16, 12, 0xFF2080C0u);
  TBitmap b;
  b.FromPixels(px);
  TJPEGImage jpeg;
  jpeg.Assign(&b);
  TIcon icon;
  icon.FromPixels(px);
  TMetafile emf;
  {
    TMetafileCanvas canvas(emf, nullptr);
    canvas.Rectangle(0, 0, 30, 20);
  }
  const struct {
    const char* Name;
    std::string Bytes;
    std::function<std::unique_ptr<TGraphic>()> Make;
  } cases[] = {
      {"bmp", Fixture("rgb4x3.bmp"), [] { return std::make_unique<TBitmap>(); }},
      {"png", Fixture("rgba3x2.png"), [] { return std::make_unique<TPngImage>(); }},
      {"gif", Fixture("two-frames.gif"), [] { return std::make_unique<TGIFImage>(); }},
      {"jpeg", Saved(jpeg), [] { return std::make_unique<TJPEGImage>(); }},
      {"tiff", Fixture("rgb2x2.tif"), [] { return std::make_unique<TWICImage>(); }},
      {"icon", Saved(icon), [] { return std::make_unique<TIcon>(); }},
      {"emf played onto a bitmap", Saved(emf), [] { return std::make_unique<TMetafile>(); }},
  };
  for (const auto& c : cases) {
    SetPicturePixelBudget(0);
    auto g = c.Make();
    Load(*g, c.Bytes);
    // A picture's pixels: its size, or all its frames together.
    std::int64_t pixels = std::int64_t(g->GetWidth()) * g->GetHeight();
    if (const auto* gif = dynamic_cast<const TGIFImage*>(g.get())) {
      std::int64_t frames = 0;
      for (int i = 0; i < gif->FrameCount(); ++i) frames += std::int64_t(gif->Frame(i).Width) * gif->Frame(i).Height;
      pixels = std::max(pixels, frames);
    }
    ASSERT_GT(pixels, 1) << c.Name;
    EXPECT_FALSE(g->ToPixels().Empty()) << c.Name;
    SetPicturePixelBudget(pixels);
    auto within = c.Make();
    Load(*within, c.Bytes);
    EXPECT_EQ(std::int64_t(within->GetWidth()) * within->GetHeight(), std::int64_t(within->ToPixels().Pixels.size()))
        << c.Name;
    SetPicturePixelBudget(pixels - 1);
    EXPECT_THROW(
        {
          auto beyond = c.Make();
          Load(*beyond, c.Bytes);
          beyond->ToPixels();
        },
        EInvalidGraphic)
        << c.Name;
  }
}
