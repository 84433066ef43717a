#include "engine/foundation/RVGrHandler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/foundation/RVClasses.h"
#include "platform/graphics/Gif.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Png.h"
#include "platform/graphics/WicImage.h"

namespace {

std::string Fixture(const char* name) {
  TMemoryStream ms;
  ms.LoadFromFile(Utf8ToUnicode(std::string(TAVRELO_TEST_DATA) + "/pictures/" + name));
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

std::string Bytes(std::initializer_list<int> head, std::size_t size) {
  std::string s(size, '\0');
  std::size_t i = 0;
  for (int b : head) s[i++] = static_cast<char>(b);
  return s;
}

// The bytes after an 8-byte length header: 01 00 00 01 and the length of the rest.
std::string LengthHeaded(const std::string& file, int lengthDelta = 0) {
  std::string s("\x01\x00\x00\x01", 4);
  const std::uint32_t n = static_cast<std::uint32_t>(file.size() + lengthDelta);
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
  return s + file;
}

std::string Saved(TGraphic& g) {
  TMemoryStream ms;
  g.SaveToStream(ms);
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

std::unique_ptr<TGraphic> LoadBytes(const std::string& bytes) {
  TMemoryStream ms;
  ms.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  ms.SetPosition(0);
  return GraphicHandler->LoadFromStream(ms);
}

}  // namespace

TEST(RVGrHandlerTest, SignatureTable) {
  std::string emf = Bytes({1, 0, 0, 0}, 44);
  emf.replace(40, 4, " EMF");
  const std::string bmp = Fixture("rgb4x3.bmp");
  const struct {
    const char* Name;
    std::string Data;
    TRVGraphicType Expected;
  } cases[] = {
      {"FF D8 with 43 bytes", Bytes({0xFF, 0xD8}, 43), rvgtOther},
      {"FF D8 with 44 bytes", Bytes({0xFF, 0xD8}, 44), rvgtJPEG},
      {"P3 in 4 bytes", "P3\n1", rvgtAnyMap},
      {"P6", Bytes({'P', '6'}, 4), rvgtAnyMap},
      {"P7 is no any-map", Bytes({'P', '7'}, 44), rvgtOther},
      {"GIF in 4 bytes", "GIF8", rvgtGIF},
      {"3 bytes", "GIF", rvgtOther},
      {"length-headed bitmap", LengthHeaded(bmp), rvgtBitmap},
      {"length-headed with a wrong length", LengthHeaded(bmp, 1), rvgtOther},
      {"BM", bmp, rvgtBitmap},
      {"II 42", Bytes({'I', 'I', 42, 0}, 44), rvgtTIFF},
      {"II without 42", Bytes({'I', 'I', 43, 0}, 44), rvgtOther},
      {"MM 00 2A", Bytes({'M', 'M', 0, 42}, 44), rvgtTIFF},
      {"PNG", Bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, 44), rvgtPNG},
      {"placeable metafile", Bytes({0xD7, 0xCD, 0xC6, 0x9A}, 44), rvgtMetafile},
      {"enhanced metafile", emf, rvgtMetafile},
      {"icon", Bytes({0, 0, 1, 0, 1, 0}, 44), rvgtIcon},
      {"zeros", Bytes({}, 44), rvgtOther},
      {"empty", "", rvgtOther},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TRVGraphicHandler::GetDataGraphicType(c.Data.data(), static_cast<std::int64_t>(c.Data.size())), c.Expected)
        << c.Name;
}

TEST(RVGrHandlerTest, StreamTypeLeavesThePositionAlone) {
  const std::string png = Fixture("rgba3x2.png");
  const std::string path = std::string(TAVRELO_TEST_OUTPUT) + "/signature.bin";
  {
    TFileStream out(Utf8ToUnicode(path), fmCreate);
    out.WriteBuffer("xx", 2);
    out.WriteBuffer(png.data(), static_cast<std::int64_t>(png.size()));
  }
  TFileStream fs(Utf8ToUnicode(path), fmOpenRead);
  fs.SetPosition(2);
  EXPECT_EQ(TRVGraphicHandler::GetStreamGraphicType(fs), rvgtPNG);
  EXPECT_EQ(fs.GetPosition(), 2);
  TMemoryStream ms;
  ms.WriteBuffer(png.data(), static_cast<std::int64_t>(png.size()));
  ms.SetPosition(ms.GetSize() - 3);
  EXPECT_EQ(TRVGraphicHandler::GetStreamGraphicType(ms), rvgtOther);
  EXPECT_EQ(ms.GetPosition(), ms.GetSize() - 3);
}

TEST(RVGrHandlerTest, TypeByExtension) {
  const struct {
    const char16_t* Ext;
    bool Known;
    TRVGraphicType Type;
  } cases[] = {
      {u".PNG", true, rvgtPNG},  {u"bmp", true, rvgtBitmap}, {u"ico", true, rvgtIcon},  {u"WMF", true, rvgtMetafile},
      {u"emf", true, rvgtMetafile}, {u"jpg", true, rvgtJPEG}, {u".jpeg", true, rvgtJPEG}, {u"gif", true, rvgtGIF},
      {u"tif", true, rvgtTIFF},  {u"TIFF", true, rvgtTIFF},  {u"txt", false, rvgtOther}, {u".", false, rvgtOther},
  };
  for (const auto& c : cases) {
    TRVGraphicType t = rvgtBitmap;
    EXPECT_EQ(TRVGraphicHandler::GetGraphicTypeByExt(c.Ext, t), c.Known) << UnicodeToUtf8(c.Ext);
    EXPECT_EQ(t, c.Type) << UnicodeToUtf8(c.Ext);
  }
  TRVGraphicType untouched = rvgtGIF;
  EXPECT_FALSE(TRVGraphicHandler::GetGraphicTypeByExt(u"", untouched));
  EXPECT_EQ(untouched, rvgtGIF);
}

TEST(RVGrHandlerTest, ClassesByNameAndKind) {
  EXPECT_EQ(GraphicHandler->GetGraphicClass(u"tpngobject"), TPngImage::StaticClass());
  EXPECT_EQ(GraphicHandler->GetGraphicClass(u"TPNGObject"), TPngImage::StaticClass());
  EXPECT_EQ(GraphicHandler->GetGraphicClass(u"TBitmap"), TBitmap::StaticClass());
  EXPECT_EQ(GraphicHandler->GetGraphicClass(u"TWICImage"), TWICImage::StaticClass());
  EXPECT_EQ(GraphicHandler->GetGraphicClass(u"TNoSuchPicture"), nullptr);
  const struct {
    TRVGraphicType Type;
    TGraphicClass Class;
  } defaults[] = {{rvgtBitmap, TBitmap::StaticClass()},      {rvgtIcon, TIcon::StaticClass()},
                  {rvgtMetafile, TMetafile::StaticClass()},  {rvgtJPEG, TJPEGImage::StaticClass()},
                  {rvgtPNG, TPngImage::StaticClass()},       {rvgtGIF, TGIFImage::StaticClass()},
                  {rvgtTIFF, TWICImage::StaticClass()},      {rvgtAnyMap, nullptr},
                  {rvgtOther, nullptr}};
  for (const auto& d : defaults) {
    EXPECT_EQ(GraphicHandler->GetGraphicClassByType(d.Type), d.Class) << d.Type;
    auto g = GraphicHandler->CreateGraphicByType(d.Type);
    EXPECT_EQ(g ? g->ClassType() : nullptr, d.Class) << d.Type;
  }
}

TEST(RVGrHandlerTest, QuestionsAboutGraphics) {
  TIcon icon;
  TBitmap bmp;
  TMetafile mf;
  TJPEGImage jpeg;
  TPngImage png;
  EXPECT_FALSE(GraphicHandler->IsResizeable(&icon));
  EXPECT_TRUE(GraphicHandler->IsResizeable(&bmp));
  EXPECT_TRUE(GraphicHandler->IsVectorGraphic(&mf));
  EXPECT_FALSE(GraphicHandler->IsVectorGraphic(&bmp));
  EXPECT_FALSE(GraphicHandler->IsTransparent(&jpeg));
  EXPECT_FALSE(GraphicHandler->IsTransparent(&bmp));
  bmp.SetTransparent(true);
  EXPECT_TRUE(GraphicHandler->IsTransparent(&bmp));
  EXPECT_TRUE(GraphicHandler->IsTransparent(&icon));
  EXPECT_TRUE(GraphicHandler->IsHTMLGraphic(&jpeg));
  EXPECT_TRUE(GraphicHandler->IsHTMLGraphic(&png));
  EXPECT_FALSE(GraphicHandler->IsHTMLGraphic(&bmp));
  TGIFImage gif;
  EXPECT_TRUE(GraphicHandler->IsHTMLGraphic(&gif));
  const struct {
    TGraphic* G;
    const char16_t* Ext;
    TRVGraphicType Type;
  } cases[] = {{&icon, u"ico", rvgtIcon}, {&bmp, u"bmp", rvgtBitmap},  {&mf, u"emf", rvgtMetafile},
               {&jpeg, u"jpg", rvgtJPEG}, {&png, u"png", rvgtPNG},     {&gif, u"gif", rvgtGIF}};
  for (const auto& c : cases) {
    EXPECT_EQ(GraphicHandler->GetGraphicExt(c.G), c.Ext) << UnicodeToUtf8(c.Ext);
    EXPECT_EQ(GraphicHandler->GetGraphicType(c.G), c.Type) << UnicodeToUtf8(c.Ext);
  }
}

TEST(RVGrHandlerTest, LoadedPicturesSaveByteIdentically) {
  std::string jpeg;
  {
    TPixelImage img;
    img.Resize(5, 4, 0xFF336699u);
    TBitmap b;
    b.FromPixels(img);
    TJPEGImage j;
    j.Assign(&b);
    jpeg = Saved(j);
  }
  const struct {
    const char* Name;
    std::string Bytes;
    TGraphicClass Class;
  } cases[] = {
      {"bmp", Fixture("rgb4x3.bmp"), TBitmap::StaticClass()},
      {"8-bit bmp", Fixture("pal3x2.bmp"), TBitmap::StaticClass()},
      {"png", Fixture("rgba3x2.png"), TPngImage::StaticClass()},
      {"jpeg", jpeg, TJPEGImage::StaticClass()},
      {"gif", Fixture("two-frames.gif"), TGIFImage::StaticClass()},
      {"tiff", Fixture("rgb2x2.tif"), TWICImage::StaticClass()},
      {"wmf", Fixture("rect.wmf"), TMetafile::StaticClass()},
  };
  for (const auto& c : cases) {
    auto g = LoadBytes(c.Bytes);
    ASSERT_TRUE(g) << c.Name;
    EXPECT_EQ(g->ClassType(), c.Class) << c.Name;
    EXPECT_EQ(Saved(*g), c.Bytes) << c.Name;
  }
}

TEST(RVGrHandlerTest, LengthHeadedBitmap) {
  const std::string bmp = Fixture("rgb4x3.bmp");
  auto g = LoadBytes(LengthHeaded(bmp));
  ASSERT_TRUE(g);
  EXPECT_EQ(g->GetWidth(), 4);
  EXPECT_EQ(Saved(*g), bmp);
  // With a wrong length the bytes go to the bitmap class unchanged: "01 00" is no bitmap.
  EXPECT_FALSE(LoadBytes(LengthHeaded(bmp, -1)));
}

TEST(RVGrHandlerTest, BadDataGivesNull) {
  const char* cases[] = {"BM", "\xFF\xD8", "GIF89a\x01", "\x89PNG\r\n\x1a\n"};
  for (const char* c : cases) {
    std::string s(c);
    s.resize(60, '\x7F');
    EXPECT_FALSE(LoadBytes(s)) << c;
  }
  EXPECT_FALSE(GraphicHandler->LoadFromFile(u"/nonexistent/picture.png"));
}

TEST(RVGrHandlerTest, MetafileUnitsPerInch) {
  const struct {
    const char* File;
    int Inch;
  } cases[] = {{"rect.wmf", 1440}, {"rect-inch0.wmf", 1440}};
  for (const auto& c : cases) {
    auto g = LoadBytes(Fixture(c.File));
    ASSERT_TRUE(g) << c.File;
    auto* mf = dynamic_cast<TMetafile*>(g.get());
    ASSERT_TRUE(mf);
    EXPECT_FALSE(GraphicHandler->IsEnhancedMetafile(mf));
    EXPECT_EQ(mf->GetInch(), c.Inch) << c.File;
    TSize size;
    GraphicHandler->GetMetafileMMSize(mf, size);
    // 200 x 100 units at 1440 per inch.
    EXPECT_EQ(size, TSize(353, 176)) << c.File;
  }
  TBitmap bmp;
  TSize none(5, 5);
  GraphicHandler->GetMetafileMMSize(&bmp, none);
  EXPECT_EQ(none, TSize(0, 0));
}

TEST(RVGrHandlerTest, BitmapHelpers) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(5, 1);
  EXPECT_EQ(GraphicHandler->GetBitmapScanLineWidth(&bmp), 5);
  bmp.SetSize(5, 2);
  EXPECT_EQ(GraphicHandler->GetBitmapScanLineWidth(&bmp), 16);
  TPngImage png;
  EXPECT_EQ(GraphicHandler->GetBitmapScanLineWidth(&png), 0);
  GraphicHandler->MakeBitmapTransparent(&bmp);
  EXPECT_EQ(bmp.GetPixelFormat(), pf32bit);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(bmp.ScanLine(y)[4 * x + 3], 0);
}

TEST(RVGrHandlerTest, BitmapToPngKeepsAlpha) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf32bit);
  bmp.SetSize(2, 1);
  std::uint8_t* row = bmp.ScanLine(0);
  const std::uint8_t px[8] = {10, 20, 30, 0, 40, 50, 60, 200};
  std::copy(px, px + 8, row);
  auto g = GraphicHandler->BitmapToPng(&bmp);
  auto* png = dynamic_cast<TPngImage*>(g.get());
  ASSERT_TRUE(png);
  EXPECT_TRUE(png->HasAlphaChannel());
  EXPECT_EQ(png->Pixels().At(0, 0), 0x001E140Au);
  EXPECT_EQ(png->Pixels().At(1, 0), 0xC83C3228u);
  // Without any alpha the picture stays opaque.
  TBitmap opaque(2, 2);
  opaque.SetPixelFormat(pf32bit);
  GraphicHandler->MakeBitmapTransparent(&opaque);
  auto g2 = GraphicHandler->BitmapToPng(&opaque);
  ASSERT_TRUE(g2);
  EXPECT_FALSE(dynamic_cast<TPngImage*>(g2.get())->HasAlphaChannel());
}

TEST(RVGrHandlerTest, IconToPngTakesTheMask) {
  auto image = std::make_unique<TIconImage>();
  image->Color.Resize(2, 1, 0xFF0000FFu);
  image->Color.At(0, 0) = 0x000000FFu;  // no alpha anywhere: the mask decides
  image->Color.At(1, 0) = 0x0000FF00u;
  image->Mask = {1, 0};
  TIcon icon;
  icon.SetHandle(std::move(image));
  auto g = GraphicHandler->GraphicToPng(&icon);
  auto* png = dynamic_cast<TPngImage*>(g.get());
  ASSERT_TRUE(png);
  EXPECT_EQ(png->Pixels().At(0, 0) >> 24, 0u);
  EXPECT_EQ(png->Pixels().At(1, 0), 0xFF00FF00u);
  TBitmap notIcon;
  EXPECT_FALSE(GraphicHandler->IconToPng(&notIcon));
}

TEST(RVGrHandlerTest, BitmapInsideAMetafile) {
  BITMAPINFO bmi{};
  bmi.bmiHeader.biWidth = 3;
  bmi.bmiHeader.biHeight = -2;
  bmi.bmiHeader.biBitCount = 32;
  const std::uint32_t px[6] = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFFFFFFFFu, 0xFF000000u, 0xFF808080u};
  const struct {
    const char* Name;
    int Bitmaps;
    bool Shape;
    bool Found;
  } cases[] = {{"one bitmap", 1, false, true}, {"two bitmaps", 2, false, false}, {"bitmap and a shape", 1, true, false}};
  for (const auto& c : cases) {
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    for (int i = 0; i < c.Bitmaps; ++i)
      StretchDIBits(dc, 10 * i, 0, 30, 20, 0, 0, 3, 2, px, &bmi, DIB_RGB_COLORS, SRCCOPY);
    if (c.Shape) Rectangle(dc, 0, 0, 5, 5);
    TMetafile mf;
    mf.SetHandle(CloseEnhMetaFile(dc));
    auto bmp = GraphicHandler->ExtractBitmapFromMetafile(&mf);
    EXPECT_EQ(bmp != nullptr, c.Found) << c.Name;
    if (bmp) {
      EXPECT_EQ(bmp->GetWidth(), 3);
      EXPECT_EQ(bmp->GetHeight(), 2);
      EXPECT_EQ(bmp->GetPixel(0, 0), clBlue);
      EXPECT_EQ(bmp->GetPixel(2, 1), 0x808080);
    }
  }
  TBitmap notMetafile;
  EXPECT_EQ(GraphicHandler->ExtractBitmapFromMetafile(&notMetafile), nullptr);
}

TEST(RVGrHandlerTest, EngineMemoryStreamIsReadInPlace) {
  const std::string gif = Fixture("two-frames.gif");
  TRVMemoryStream ms;
  ms.WriteBuffer(gif.data(), static_cast<std::int64_t>(gif.size()));
  ms.SetPosition(0);
  EXPECT_EQ(TRVGraphicHandler::GetStreamGraphicType(ms), rvgtGIF);
  auto g = GraphicHandler->LoadFromStream(ms);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->ClassType(), TGIFImage::StaticClass());
  EXPECT_EQ(ms.GetPosition(), ms.GetSize());
}
