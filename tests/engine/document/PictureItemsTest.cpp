#include <cstring>
#include <fstream>

#include "DocTestUtil.h"
#include "engine/document/RVBulletItem.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/foundation/RVFMisc.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Pictures.h"

namespace {

std::string FileBytes(const char* Name) {
  std::ifstream f(std::string(TAVRELO_TEST_DATA) + "/pictures/" + Name, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::unique_ptr<TGraphic> LoadGraphic(const std::string& Bytes, TGraphicClass Cls) {
  auto g = Cls->Create();
  TMemoryStream m;
  m.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
  m.SetPosition(0);
  g->LoadFromStream(m);
  return g;
}

std::string GraphicBytes(TGraphic* G) {
  TMemoryStream m;
  G->SaveToStream(m);
  return StreamText(m);
}

// Reads one item record the way the document reader does: header, tail, data lines, and a binary
// part after the line that switches the mode.
std::unique_ptr<TCustomRVItemInfo> ReadRecord(TCustomRVData& D, const std::string& Rec, TRVUnicodeString& Name) {
  std::size_t p = Rec.find("\r\n");
  const std::string header = Rec.substr(0, p);
  p += 2;
  const char* h = header.c_str();
  int styleNo = 0, lines = 0, para = 0, options = 0, readType = 0;
  EXPECT_TRUE(ReadRVFInteger(h, styleNo));
  ReadRVFInteger(h, lines);
  ReadRVFInteger(h, para);
  ReadRVFInteger(h, options);
  ReadRVFInteger(h, readType);
  TRVRawByteString tag;
  ReadRVFWord(h, tag);
  auto item = CreateItemByStyleNo(styleNo, &D);
  bool ass = false;
  if (!item->ReadRVFHeaderTail(h, &D, false, ass)) return nullptr;
  TRVFReadMode mode = rmText;
  TRVFReadState state = rstData;
  for (int i = 0; i < lines; ++i) {
    std::string part;
    if (mode == rmBeforeBinary) mode = rmBinary;
    if (mode == rmBinary) {
      std::int32_t n = 0;
      std::memcpy(&n, Rec.data() + p, 4);
      part = Rec.substr(p + 4, static_cast<std::size_t>(n));
      p += 4 + static_cast<std::size_t>(n);
    } else {
      const std::size_t e = Rec.find("\r\n", p);
      part = Rec.substr(p, e - p);
      p = e + 2;
    }
    if (!item->ReadRVFLine(part, &D, readType, i, lines, Name, mode, state, false, ass)) return nullptr;
  }
  EXPECT_EQ(p, Rec.size());
  return item;
}

std::string SaveRecord(TCustomRVData& D, TCustomRVItemInfo* Item, const TRVUnicodeString& Name = u"pic") {
  TMemoryStream m;
  Item->SaveRVF(&m, &D, 0, 0, Name, nullptr, false, nullptr);
  return StreamText(m);
}

}  // namespace

TEST(PictureItem, Measures) {
  TTestDoc t;
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetSize(100, 50);
  TRVGraphicItemInfo pic(&t.Doc, std::move(bmp), rvvaBaseline);
  EXPECT_EQ(pic.GetWidth(&t.Sheet), 102);
  EXPECT_EQ(pic.GetHeight(&t.Sheet), 52);
  pic.ImageHeight = 200;  // stretches only the height
  EXPECT_EQ(pic.GetWidth(&t.Sheet), 102);
  EXPECT_EQ(pic.GetHeight(&t.Sheet), 202);
  EXPECT_TRUE(pic.GetBoolValue(rvbpValid));
  EXPECT_TRUE(pic.GetBoolValueEx(rvbpPrintToBMP, &t.Sheet));

  pic.Interval = 40;
  pic.Alt = u"alt";
  pic.ImageFileName = u"a.bmp";
  TRVGraphicItemInfo copy(&t.Doc);
  copy.Assign(&pic);
  EXPECT_EQ(copy.ImageHeight, 200);
  EXPECT_EQ(copy.Alt, u"alt");
  EXPECT_EQ(copy.ImageFileName, u"a.bmp");
  EXPECT_EQ(copy.Interval, 0);
  EXPECT_EQ(copy.GetImageWidth(&t.Sheet), 100);
}

TEST(PictureItem, RecordRoundTripsPictureBytes) {
  TTestDoc t;
  auto src = std::make_unique<TBitmap>();
  src->SetSize(8, 6);
  auto jpeg = std::make_unique<TJPEGImage>();
  jpeg->Assign(src.get());
  const std::string jpegBytes = GraphicBytes(jpeg.get());
  struct Case {
    const char* Name;
    std::string Bytes;
    TGraphicClass Cls;
  } cases[] = {{"png", FileBytes("rgba3x2.png"), FindGraphicClass(u"TPngImage")},
               {"wmf", FileBytes("rect.wmf"), FindGraphicClass(u"TMetafile")},
               {"jpeg", jpegBytes, TJPEGImage::StaticClass()}};
  for (const Case& c : cases) {
    ASSERT_NE(c.Cls, nullptr) << c.Name;
    ASSERT_FALSE(c.Bytes.empty()) << c.Name;
    for (bool binary : {true, false}) {
      auto& opts = t.Doc.GetRootProperties()->RVFOptions;
      if (binary)
        opts.Include(rvfoSaveBinary);
      else
        opts.Exclude(rvfoSaveBinary);
      TRVHotGraphicItemInfo pic(&t.Doc, LoadGraphic(c.Bytes, c.Cls), rvvaAbsMiddle);
      pic.Alt = u"x";
      const std::string rec = SaveRecord(t.Doc, &pic);
      TRVUnicodeString name;
      auto back = ReadRecord(t.Doc, rec, name);
      ASSERT_NE(back, nullptr) << c.Name << " " << binary;
      auto* g = dynamic_cast<TRVGraphicItemInfo*>(back.get());
      ASSERT_NE(g, nullptr);
      EXPECT_EQ(back->StyleNo, ItemKindHotPicture);
      EXPECT_EQ(name, u"pic");
      EXPECT_EQ(g->VAlign, rvvaAbsMiddle);
      EXPECT_EQ(g->Alt, u"x");
      ASSERT_NE(g->GetImage(), nullptr);
      EXPECT_EQ(g->GetImage()->ClassType(), c.Cls) << c.Name << " " << UnicodeToUtf8(g->GetImage()->ClassName()) << " " << UnicodeToUtf8(c.Cls->ClassName);
      EXPECT_TRUE(GraphicBytes(g->GetImage()) == c.Bytes) << c.Name << " binary " << binary;
      EXPECT_TRUE(SaveRecord(t.Doc, back.get()) == rec) << c.Name;
    }
  }
}

TEST(PictureItem, WithoutBodyAsksTheHost) {
  TTestDoc t;
  t.Doc.GetRootProperties()->RVFOptions.Exclude(rvfoSavePicturesBody);
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetSize(4, 4);
  TRVGraphicItemInfo pic(&t.Doc, std::move(bmp), rvvaBaseline);
  pic.Spacing = 0;
  int asked = 0;
  t.Doc.GetRootEvents()->OnRVFPictureNeeded = [&](const TRVUnicodeString& Name, TCustomRVItemInfo*) {
    ++asked;
    EXPECT_EQ(Name, u"pic");
    auto b = std::make_unique<TBitmap>();
    b->SetSize(7, 3);
    return std::unique_ptr<TGraphic>(std::move(b));
  };
  const std::string rec = SaveRecord(t.Doc, &pic);
  EXPECT_EQ(rec.substr(0, rec.find("\r\n")), "-3 2 0 8 1 0 0");
  TRVUnicodeString name;
  auto back = ReadRecord(t.Doc, rec, name);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(static_cast<TRVGraphicItemInfo*>(back.get())->GetImageWidth(&t.Sheet), 7);
  EXPECT_EQ(static_cast<TRVGraphicItemInfo*>(back.get())->Spacing, 0);
}

TEST(PictureItem, UnsavablePictureIsReplacedWithAWarning) {
  TTestDoc t;
  TRVGraphicItemInfo empty(&t.Doc);  // nothing to write
  t.Doc.GetRootProperties()->RVFWarnings = {};
  const std::string rec = SaveRecord(t.Doc, &empty);
  EXPECT_TRUE(t.Doc.GetRootProperties()->RVFWarnings.Contains(rvfwInvalidPicture));
  TRVUnicodeString name;
  auto back = ReadRecord(t.Doc, rec, name);
  ASSERT_NE(back, nullptr);
  TGraphic* inv = t.Sheet.GetInvalidPicture()->GetGraphic();
  ASSERT_NE(inv, nullptr);
  EXPECT_TRUE(GraphicBytes(static_cast<TRVGraphicItemInfo*>(back.get())->GetImage()) == GraphicBytes(inv));
}

TEST(PictureItem, UnreadableDataFailsUnlessAllowed) {
  TTestDoc t;
  const std::string rec = "-3 3 0 8 0 0 0\r\npic\r\n\r\n6E6F\r\n";  // two bytes of no known format
  TRVUnicodeString name;
  t.Doc.GetRootProperties()->RVFWarnings = {};
  EXPECT_EQ(ReadRecord(t.Doc, rec, name), nullptr);
  EXPECT_TRUE(t.Doc.GetRootProperties()->RVFWarnings.Contains(rvfwUnknownPicFmt));
  t.Doc.GetRootProperties()->RVFOptions.Include(rvfoIgnoreUnknownPicFmt);
  auto back = ReadRecord(t.Doc, rec, name);
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(back->GetBoolValue(rvbpValid));  // the invalid picture
}

TEST(PictureItem, SplitsAcrossPages) {
  TTestDoc t;
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetSize(10, 400);
  TRVGraphicItemInfo pic(&t.Doc, std::move(bmp), rvvaBaseline);
  pic.FMinHeightOnPage = 50;
  TRVScreenAndDevice sad{96, 96, 96, 96};
  auto d = pic.CreatePrintingDrawItem(&t.Doc, &sad);
  auto* multi = dynamic_cast<TRVMultiImagePrintInfo*>(d.get());
  ASSERT_NE(multi, nullptr);
  EXPECT_EQ(multi->Height, 402);
  ASSERT_TRUE(multi->InitSplit(sad, false));
  EXPECT_TRUE(multi->CanSplitFirst(120, sad, false, false, false, false));
  EXPECT_FALSE(multi->CanSplitFirst(40, sad, false, false, false, false));
  TList* notes = nullptr;
  int maxH = 0;
  ASSERT_TRUE(multi->SplitAt(120, sad, false, notes, maxH, false, false));
  ASSERT_EQ(multi->Parts().size(), 2u);
  EXPECT_EQ(multi->Parts()[0]->ImgHeight, 118);
  EXPECT_EQ(multi->Parts()[1]->ImgTop, 118);
  EXPECT_EQ(multi->Parts()[1]->ImgHeight, 282);

  pic.ImageHeight = 300;  // stretched vertically: never split
  EXPECT_EQ(dynamic_cast<TRVMultiImagePrintInfo*>(pic.CreatePrintingDrawItem(&t.Doc, &sad).get()), nullptr);
}

TEST(BulletItems, RecordsKeepTheirImageList) {
  TTestDoc t;
  TCustomImageList list(16, 16);
  list.Tag = 5;
  TBitmap img;
  img.SetSize(16, 16);
  for (int i = 0; i < 8; ++i) list.Add(&img, nullptr);
  t.Doc.GetRootEvents()->OnRVFImageListNeeded = [&](int Tag) { return Tag == 5 ? &list : nullptr; };

  TRVBulletItemInfo bullet(&t.Doc, 3, &list, rvvaAbsMiddle);
  bullet.Alt = u"x";
  std::string rec = SaveRecord(t.Doc, &bullet, u"b");
  EXPECT_EQ(rec, "-6 3 0 8 0 0 5 3\r\nb\r\nvalign=4\r\nalt=x\r\n");
  TRVUnicodeString name;
  auto back = ReadRecord(t.Doc, rec, name);
  ASSERT_NE(back, nullptr);
  auto* b = static_cast<TRVBulletItemInfo*>(back.get());
  EXPECT_EQ(b->ImageList, &list);
  EXPECT_EQ(b->ImageIndex, 3);
  EXPECT_EQ(b->VAlign, rvvaAbsMiddle);
  EXPECT_EQ(b->Alt, u"x");
  EXPECT_EQ(b->GetWidth(&t.Sheet), 18);

  TRVHotspotItemInfo hot(&t.Doc, 3, 7, &list, rvvaAbsMiddle);
  rec = SaveRecord(t.Doc, &hot, u"h");
  EXPECT_EQ(rec, "-4 2 0 8 0 0 5 3 7\r\nh\r\nvalign=4\r\n");
  back = ReadRecord(t.Doc, rec, name);
  ASSERT_NE(back, nullptr);
  auto* h = static_cast<TRVHotspotItemInfo*>(back.get());
  EXPECT_EQ(h->ImageList, &list);
  EXPECT_EQ(h->HotImageIndex, 7);
  EXPECT_EQ(h->VAlign, rvvaAbsMiddle);  // the placement travels as an extra-property line
  EXPECT_TRUE(h->GetBoolValueEx(rvbpHotColdJump, &t.Sheet));
  EXPECT_EQ(h->GetImageIndexForState(true), 7);

  back = ReadRecord(t.Doc, "-4 1 0 8 0 0 5 3\r\nh\r\n", name);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(static_cast<TRVHotspotItemInfo*>(back.get())->HotImageIndex, 3);
  EXPECT_FALSE(back->GetBoolValueEx(rvbpHotColdJump, &t.Sheet));

  // An index beyond the list fails, or becomes 0 when allowed.
  EXPECT_EQ(ReadRecord(t.Doc, "-6 1 0 8 0 0 5 9\r\nb\r\n", name), nullptr);
  EXPECT_TRUE(t.Doc.GetRootProperties()->RVFWarnings.Contains(rvfwConvLargeImageIdx));
  t.Doc.GetRootProperties()->RVFOptions.Include(rvfoConvLargeImageIdxToZero);
  back = ReadRecord(t.Doc, "-6 1 0 8 0 0 5 9\r\nb\r\n", name);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(static_cast<TRVBulletItemInfo*>(back.get())->ImageIndex, 0);
  // No list from the host: accepted, but not valid.
  back = ReadRecord(t.Doc, "-6 1 0 8 0 0 6 9\r\nb\r\n", name);
  ASSERT_NE(back, nullptr);
  EXPECT_FALSE(back->GetBoolValue(rvbpValid));
}

TEST(PictureItem, WholeDocumentRoundTrip) {
  TCustomImageList list(16, 16);
  list.Tag = 9;
  TBitmap img;
  img.SetSize(16, 16);
  for (int i = 0; i < 4; ++i) list.Add(&img, nullptr);
  const std::string png = FileBytes("rgba3x2.png"), wmf = FileBytes("rect.wmf");
  for (bool binary : {true, false}) {
    TTestDoc t;
    auto& opts = t.Doc.GetRootProperties()->RVFOptions;
    if (binary)
      opts.Include(rvfoSaveBinary);
    else
      opts.Exclude(rvfoSaveBinary);
    t.Doc.AddNL(u"a", 0, 0);
    auto p1 = std::make_unique<TRVGraphicItemInfo>(&t.Doc, LoadGraphic(png, FindGraphicClass(u"TPngImage")), rvvaBaseline);
    p1->SetSameAsPrev(true);
    t.Doc.AddItem(u"png", std::move(p1));
    t.Doc.AddItem(u"wmf", std::make_unique<TRVHotGraphicItemInfo>(
                              &t.Doc, LoadGraphic(wmf, FindGraphicClass(u"TMetafile")), rvvaMiddle));
    t.Doc.AddItem(u"b", std::make_unique<TRVBulletItemInfo>(&t.Doc, 2, &list, rvvaBaseline));
    t.Doc.AddItem(u"h", std::make_unique<TRVHotspotItemInfo>(&t.Doc, 1, 3, &list, rvvaBaseline));
    TMemoryStream s;
    ASSERT_TRUE(t.Doc.SaveRVFToStream(&s, false, clNone, nullptr, nullptr, true));
    TTestDoc back;
    back.Doc.GetRootEvents()->OnRVFImageListNeeded = [&](int Tag) { return Tag == 9 ? &list : nullptr; };
    s.SetPosition(0);
    TColor color = clNone;
    ASSERT_TRUE(back.Doc.LoadRVFFromStream(&s, color, nullptr, nullptr)) << binary;
    ASSERT_EQ(back.Doc.ItemCount(), 5);
    auto* g1 = dynamic_cast<TRVGraphicItemInfo*>(back.Doc.GetItem(1));
    auto* g2 = dynamic_cast<TRVHotGraphicItemInfo*>(back.Doc.GetItem(2));
    auto* b = dynamic_cast<TRVBulletItemInfo*>(back.Doc.GetItem(3));
    auto* h = dynamic_cast<TRVHotspotItemInfo*>(back.Doc.GetItem(4));
    ASSERT_TRUE(g1 && g2 && b && h);
    EXPECT_TRUE(GraphicBytes(g1->GetImage()) == png);
    EXPECT_TRUE(GraphicBytes(g2->GetImage()) == wmf);
    EXPECT_EQ(g2->VAlign, rvvaMiddle);
    EXPECT_EQ(back.Doc.GetItemTextW(2), u"wmf");
    EXPECT_EQ(b->ImageList, &list);
    EXPECT_EQ(b->ImageIndex, 2);
    EXPECT_EQ(h->ImageList, &list);
    EXPECT_EQ(h->HotImageIndex, 3);
    // Written again with the same options, every item record is the same bytes.
    back.Doc.GetRootProperties()->RVFOptions = opts;
    for (int k = 1; k < 5; ++k) {
      const std::string r1 = SaveRecord(back.Doc, back.Doc.GetItem(k), back.Doc.GetItemTextW(k));
      const std::string r0 = SaveRecord(t.Doc, t.Doc.GetItem(k), t.Doc.GetItemTextW(k));
      EXPECT_TRUE(r1 == r0) << k << " binary " << binary;
    }
  }
}
