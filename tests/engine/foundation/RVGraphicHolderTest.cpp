#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/foundation/RVGraphicHolder.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Png.h"

namespace {

std::string Bytes(TRVGraphicHolder& h, bool includeSize) {
  TRVMemoryStream ms;
  h.SaveToStream(ms, includeSize);
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

std::string Saved(TGraphic& g) {
  TRVMemoryStream ms;
  g.SaveToStream(ms);
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

std::unique_ptr<TBitmap> Gradient(int w, int h) {
  auto b = std::make_unique<TBitmap>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->SetPixel(x, y, static_cast<TColor>((x * 40) | (y * 60) << 8 | 0x300000));
  return b;
}

// A PNG with a text chunk after its header, and a JPEG with a comment after its start: files
// that re-encoding would not reproduce.
std::string PngFile() {
  TPngImage png;
  auto bmp = Gradient(5, 3);
  png.Assign(bmp.get());
  std::string s = Saved(png);
  const std::string body = std::string("tEXt") + "Comment" + '\0' + "kept";
  std::string chunk;
  for (int shift : {24, 16, 8, 0}) chunk += static_cast<char>((body.size() - 4) >> shift & 0xFF);
  chunk += body;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
  for (int shift : {24, 16, 8, 0}) chunk += static_cast<char>(crc >> shift & 0xFF);
  s.insert(8 + 25, chunk);  // signature, then the 25-byte header chunk
  return s;
}

std::string JpegFile() {
  TJPEGImage jpeg;
  auto bmp = Gradient(6, 4);
  jpeg.Assign(bmp.get());
  std::string s = Saved(jpeg);
  s.insert(2, std::string("\xFF\xFE\x00\x07hello", 9));
  return s;
}

std::string BmpFile() {
  std::ifstream f(TAVRELO_TEST_DATA "/pictures/rgb4x3.bmp", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

TGraphic* Load(const std::string& bytes) {
  TRVMemoryStream ms;
  ms.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  ms.SetPosition(0);
  return GraphicHandler->LoadFromStream(ms).release();
}

struct HolderTest : ::testing::Test {
  TRVGraphicCache Cache;
  std::vector<std::unique_ptr<TRVGraphicHolder>> Holders;
  HolderTest() { Cache.MaxCount = 3; }

  TRVGraphicHolder* NewHolder(TGraphic* g = nullptr) {
    Holders.push_back(std::make_unique<TRVGraphicHolder>(&Cache));
    if (g) Holders.back()->SetGraphic(g);
    return Holders.back().get();
  }
  TRVGraphicHolder* NewBitmapHolder() { return NewHolder(new TBitmap(2, 2)); }
  // The cache's order as holder numbers (index in Holders).
  std::vector<int> Order() const {
    std::vector<int> r;
    for (int i = 0; i < Cache.Count(); ++i)
      for (std::size_t k = 0; k < Holders.size(); ++k)
        if (Holders[k].get() == Cache.GetItem(i)) r.push_back(static_cast<int>(k));
    return r;
  }
};

}  // namespace

TEST_F(HolderTest, CacheDropsTheLeastRecentlyUsed) {
  auto* a = NewBitmapHolder();
  auto* b = NewBitmapHolder();
  auto* c = NewBitmapHolder();
  EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2}));
  ASSERT_NE(b->GetGraphic(), nullptr);
  EXPECT_EQ(Order(), (std::vector<int>{0, 2, 1}));
  b->GetGraphicEx(false);
  c->GetGraphicEx(false);
  EXPECT_EQ(Order(), (std::vector<int>{0, 2, 1}));
  NewBitmapHolder();  // d
  EXPECT_EQ(Order(), (std::vector<int>{2, 1, 3}));
  EXPECT_EQ(a->GetGraphicAsIs(), nullptr);
  EXPECT_FALSE(a->IsEmpty());
  ASSERT_NE(a->GetGraphic(), nullptr);
  EXPECT_EQ(Order(), (std::vector<int>{1, 3, 0}));
  EXPECT_EQ(c->GetGraphicAsIs(), nullptr);
  EXPECT_EQ(c->GetWidth(), 2);
  // A holder that frees its graphic or is destroyed leaves the cache.
  b->SetGraphic(nullptr);
  EXPECT_TRUE(b->IsEmpty());
  EXPECT_EQ(Order(), (std::vector<int>{3, 0}));
  Holders[3].reset();
  EXPECT_EQ(Order(), (std::vector<int>{0}));
}

TEST_F(HolderTest, MaxCountRules) {
  struct Case { int processWide; int expected; };
  const int saved = GraphicCacheMaxCount;
  for (const Case& tc : {Case{100, 100}, Case{4, 4}, Case{3, 3}, Case{2, 3}, Case{-1, 3}}) {
    GraphicCacheMaxCount = tc.processWide;
    EXPECT_EQ(TRVGraphicCache().MaxCount, tc.expected) << tc.processWide;
  }
  GraphicCacheMaxCount = saved;

  // Negative: the cache is off, nothing is listed or dropped; 0: nothing is listed.
  for (int maxCount : {-1, 0}) {
    Cache.MaxCount = maxCount;
    auto* h = NewBitmapHolder();
    NewBitmapHolder();
    EXPECT_EQ(Cache.Count(), 0) << maxCount;
    EXPECT_NE(h->GetGraphic(), nullptr);
  }
  // Lowered below the number listed: the excess goes with the next addition.
  Cache.MaxCount = 3;
  for (int i = 0; i < 3; ++i) NewBitmapHolder();
  Cache.MaxCount = 2;
  NewBitmapHolder();
  EXPECT_EQ(Cache.Count(), 2);
}

TEST_F(HolderTest, SharedHolderIsNeverListedNorFreesItsGraphic) {
  auto owned = std::make_unique<TBitmap>(3, 3);
  auto* h = NewHolder();
  h->SetShared(true);
  h->SetGraphic(owned.get());
  EXPECT_EQ(Cache.Count(), 0);
  for (int i = 0; i < 4; ++i) NewBitmapHolder();
  EXPECT_EQ(h->GetGraphic(), owned.get());
  EXPECT_EQ(Cache.IndexOf(h), -1);
  // A shared copy refers to the same graphic.
  auto* copy = NewHolder();
  copy->Assign(h);
  EXPECT_TRUE(copy->GetShared());
  EXPECT_EQ(copy->GetGraphicAsIs(), owned.get());
  h->SetGraphic(nullptr);
  copy->SetGraphic(nullptr);
  EXPECT_EQ(owned->GetWidth(), 3);  // still alive

  // Becoming shared leaves the cache; ceasing to be shared enters it again.
  auto* g = NewBitmapHolder();
  ASSERT_NE(Cache.IndexOf(g), -1);
  g->SetShared(true);
  EXPECT_EQ(Cache.IndexOf(g), -1);
  g->SetShared(false);
  EXPECT_NE(Cache.IndexOf(g), -1);
}

// Each picture kind keeps its bytes, size, class and transparency across a drop.
TEST_F(HolderTest, DroppedPicturesRestoreAndSaveByteIdentically) {
  struct Case { const char* name; std::string bytes; TGraphicClass cls; int w, h; };
  const Case cases[] = {
      {"png", PngFile(), TPngImage::StaticClass(), 5, 3},
      {"jpeg", JpegFile(), TJPEGImage::StaticClass(), 6, 4},
      {"bmp", BmpFile(), TBitmap::StaticClass(), 4, 3},
  };
  for (const Case& tc : cases) {
    SCOPED_TRACE(tc.name);
    ASSERT_FALSE(tc.bytes.empty());
    TGraphic* g = Load(tc.bytes);
    ASSERT_NE(g, nullptr);
    auto* h = NewHolder(g);
    ASSERT_EQ(Bytes(*h, false), tc.bytes);
    const bool transparent = h->GetTransparent();
    const bool thumbnails = h->SupportsThumbnails();
    for (int i = 0; i < 3; ++i) NewBitmapHolder();
    ASSERT_EQ(h->GetGraphicAsIs(), nullptr);  // dropped
    EXPECT_EQ(h->GetWidth(), tc.w);
    EXPECT_EQ(h->GetHeight(), tc.h);
    EXPECT_EQ(h->GetGraphicClass(), tc.cls);
    EXPECT_TRUE(h->IsImageOfClass(TGraphic::StaticClass()));
    EXPECT_EQ(h->GetTransparent(), transparent);
    EXPECT_EQ(h->SupportsThumbnails(), thumbnails);
    EXPECT_EQ(Bytes(*h, false), tc.bytes);
    const std::uint32_t n = static_cast<std::uint32_t>(tc.bytes.size());
    const std::string sized = std::string(reinterpret_cast<const char*>(&n), 4) + tc.bytes;
    EXPECT_EQ(Bytes(*h, true), sized);
    // Restored: the same bytes again, with and without the length.
    ASSERT_NE(h->GetGraphic(), nullptr);
    EXPECT_EQ(h->GetGraphicAsIs()->ClassType(), tc.cls);
    EXPECT_EQ(Bytes(*h, true), sized);
    EXPECT_EQ(Bytes(*h, false), tc.bytes);
  }
}

TEST_F(HolderTest, EmptyHolderAndHexText) {
  auto* h = NewHolder();
  EXPECT_TRUE(h->IsEmpty());
  EXPECT_EQ(h->GetGraphic(), nullptr);
  EXPECT_EQ(Bytes(*h, true), std::string(4, '\0'));
  EXPECT_EQ(h->SaveToString(), "");
  TRVMemoryStream none;
  WriteGraphicWithSize(&none, nullptr);
  EXPECT_EQ(none.GetSize(), 4);
  auto* b = NewHolder(Load(BmpFile()));
  const std::string hex = b->SaveToString();
  ASSERT_EQ(hex.size(), BmpFile().size() * 2);
  EXPECT_EQ(hex.substr(0, 4), "424D");  // "BM"
  EXPECT_EQ(hex.find_first_of("abcdef"), std::string::npos);
}

TEST_F(HolderTest, AssignCopiesEachState) {
  auto* active = NewHolder(Load(PngFile()));
  auto* inactive = NewHolder(Load(JpegFile()));
  for (int i = 0; i < 2; ++i) NewBitmapHolder();  // drops the PNG
  inactive->GetGraphic();                         // drops a bitmap, not the JPEG
  for (int i = 0; i < 3; ++i) NewBitmapHolder();  // drops the JPEG
  ASSERT_EQ(inactive->GetGraphicAsIs(), nullptr);
  active->GetGraphic();

  // From an inactive holder: the saved bytes, still inactive on both sides.
  auto* c1 = NewHolder(new TBitmap(7, 7));
  c1->Assign(inactive);
  EXPECT_EQ(inactive->GetGraphicAsIs(), nullptr);
  EXPECT_EQ(c1->GetGraphicAsIs(), nullptr);
  EXPECT_EQ(c1->GetGraphicClass(), TJPEGImage::StaticClass());
  EXPECT_EQ(c1->GetWidth(), 6);
  EXPECT_EQ(c1->SupportsThumbnails(), inactive->SupportsThumbnails());
  EXPECT_EQ(Bytes(*c1, false), JpegFile());

  // From an active holder: a graphic of its own, listed without moving it to the recent end.
  auto* c2 = NewHolder();
  c2->Assign(active);
  ASSERT_NE(c2->GetGraphicAsIs(), nullptr);
  EXPECT_NE(c2->GetGraphicAsIs(), active->GetGraphicAsIs());
  EXPECT_EQ(Cache.IndexOf(c2), Cache.Count() - 1);
  EXPECT_EQ(Bytes(*c2, false), PngFile());

  // From an empty holder, and from itself.
  c2->Assign(NewHolder());
  EXPECT_TRUE(c2->IsEmpty());
  EXPECT_EQ(Cache.IndexOf(c2), -1);
  c1->Assign(c1);
  EXPECT_EQ(Bytes(*c1, false), JpegFile());
}

TEST_F(HolderTest, TemporaryAccessAndReplacement) {
  auto* h = NewHolder(Load(BmpFile()));
  for (int i = 0; i < 3; ++i) NewBitmapHolder();
  ASSERT_EQ(h->GetGraphicAsIs(), nullptr);
  const std::vector<int> order = Order();
  TGraphic* g = nullptr;
  bool wasActive = true;
  h->GetGraphicTemporary(g, wasActive);
  EXPECT_FALSE(wasActive);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->GetWidth(), 4);
  EXPECT_EQ(Order(), order);
  h->FinalizeGetGraphicTemporary(wasActive);
  EXPECT_EQ(h->GetGraphicAsIs(), nullptr);
  EXPECT_EQ(Bytes(*h, false), BmpFile());

  // Replacing keeps the old graphic alive for the caller.
  std::unique_ptr<TGraphic> old(h->GetGraphic());
  auto* replacement = new TBitmap(9, 1);
  h->ReplaceGraphic(replacement);
  EXPECT_EQ(h->GetGraphicAsIs(), replacement);
  EXPECT_EQ(Cache.IndexOf(h), Cache.Count() - 1);
  EXPECT_EQ(old->GetWidth(), 4);
  // An inactive holder given a replacement leaves nothing decoded behind.
  auto* other = NewHolder(Load(BmpFile()));
  for (int i = 0; i < 3; ++i) NewBitmapHolder();
  ASSERT_EQ(other->GetGraphicAsIs(), nullptr);
  std::unique_ptr<TGraphic> small(new TBitmap(1, 1));
  other->ReplaceGraphic(small.get());
  EXPECT_EQ(other->GetWidth(), 1);
  other->ReplaceGraphic(nullptr);  // the 1x1 bitmap goes back to us
  EXPECT_TRUE(other->IsEmpty());
  EXPECT_EQ(Cache.IndexOf(other), -1);
}

TEST_F(HolderTest, ChangeCacheMovesAnActiveHolder) {
  TRVGraphicCache second;
  auto* h = NewBitmapHolder();
  h->ChangeCache(&second);
  EXPECT_EQ(Cache.IndexOf(h), -1);
  EXPECT_EQ(second.IndexOf(h), 0);
  h->ChangeCache(nullptr);
  EXPECT_EQ(second.Count(), 0);
  EXPECT_NE(h->GetGraphic(), nullptr);
}

// ---- thumbnail cache ------------------------------------------------------------------------

namespace {
struct Owner : IRVThumbnailOwner {
  int Freed = 0;
  void FreeCachedThumbnail() override { ++Freed; }
};
}  // namespace

TEST(ThumbnailCache, DropsTheOldestThumbnail) {
  Owner o[4];
  TRVThumbnailCache cache;
  EXPECT_EQ(cache.MaxCount, 50);
  cache.MaxCount = 3;
  for (int i = 0; i < 3; ++i) cache.AddThumbnail(&o[i]);
  cache.AddThumbnail(&o[0]);  // moves to the end
  cache.AddThumbnail(&o[3]);  // drops o[1]
  EXPECT_EQ(o[1].Freed, 1);
  EXPECT_EQ(o[0].Freed + o[2].Freed + o[3].Freed, 0);
  ASSERT_EQ(cache.Count(), 3);
  EXPECT_EQ(cache.GetItem(0), &o[2]);
  EXPECT_EQ(cache.GetItem(2), &o[3]);
  cache.RemoveThumbnail(&o[2]);
  EXPECT_EQ(o[2].Freed, 0);
  EXPECT_EQ(cache.Count(), 2);
  cache.MaxCount = -1;
  cache.AddThumbnail(&o[1]);
  EXPECT_EQ(cache.Count(), 2);
}

// ---- pictures that fail to save or to load --------------------------------------------------

namespace {

class TFlakyBitmap : public TBitmap {
  TAVRELO_GRAPHIC_CLASS(TFlakyBitmap, TBitmap)
 public:
  using TBitmap::TBitmap;
  static inline bool FailSave = false, FailLoad = false;
  void SaveToStream(TStream& stream) override {
    if (FailSave) throw EInvalidGraphic(std::string_view("cannot save"));
    TBitmap::SaveToStream(stream);
  }
  void LoadFromStream(TStream& stream) override {
    if (FailLoad) throw EInvalidGraphic(std::string_view("cannot load"));
    TBitmap::LoadFromStream(stream);
  }
};

}  // namespace

TEST_F(HolderTest, PicturesThatFailKeepTheirData) {
  // Saving fails: the oldest holder keeps its graphic (and is no longer listed).
  TFlakyBitmap::FailSave = true;
  auto* unsaved = NewHolder(new TFlakyBitmap(3, 2));
  for (int i = 0; i < 3; ++i) NewBitmapHolder();
  TFlakyBitmap::FailSave = false;
  ASSERT_NE(unsaved->GetGraphicAsIs(), nullptr);
  EXPECT_EQ(Cache.IndexOf(unsaved), -1);
  EXPECT_EQ(unsaved->GetWidth(), 3);

  // Loading fails: the holder stays inactive with its saved bytes and answers null.
  auto* h = NewHolder(new TFlakyBitmap(5, 4));
  const std::string before = Bytes(*h, false);
  for (int i = 0; i < 3; ++i) NewBitmapHolder();
  ASSERT_EQ(h->GetGraphicAsIs(), nullptr);
  TFlakyBitmap::FailLoad = true;
  EXPECT_EQ(h->GetGraphic(), nullptr);
  TFlakyBitmap::FailLoad = false;
  EXPECT_EQ(h->GetWidth(), 5);
  EXPECT_EQ(h->GetGraphicClass(), TFlakyBitmap::StaticClass());
  EXPECT_EQ(Bytes(*h, false), before);
  ASSERT_NE(h->GetGraphic(), nullptr);  // decodes once it can
  EXPECT_EQ(h->GetGraphicAsIs()->ClassType(), TFlakyBitmap::StaticClass());
}

TEST_F(HolderTest, BitmapTransparencyAndModeSurviveADrop) {
  TGraphic* g = Load(BmpFile());
  auto* h = NewHolder(g);
  h->SetTransparent(true);
  h->SetTransparentMode(tmFixed);
  EXPECT_EQ(h->GetTransparentMode(), tmFixed);
  for (int i = 0; i < 3; ++i) NewBitmapHolder();
  ASSERT_EQ(h->GetGraphicAsIs(), nullptr);
  EXPECT_TRUE(h->GetTransparent());
  EXPECT_EQ(h->GetTransparentMode(), tmFixed);
  EXPECT_FALSE(h->SupportsThumbnails());  // transparent pictures get none
  auto* bmp = dynamic_cast<TBitmap*>(h->GetGraphic());
  ASSERT_NE(bmp, nullptr);
  EXPECT_TRUE(bmp->GetTransparent());
  EXPECT_EQ(bmp->GetTransparentMode(), tmFixed);
  EXPECT_EQ(Bytes(*h, false), BmpFile());
}

TEST(GraphicCache, KeepsAtMostItsDefaultNumberDecoded) {
  TRVGraphicCache cache;
  ASSERT_EQ(cache.MaxCount, 100);
  std::vector<std::unique_ptr<TRVGraphicHolder>> holders;
  for (int i = 0; i < 130; ++i) {
    holders.push_back(std::make_unique<TRVGraphicHolder>(&cache));
    holders.back()->SetGraphic(new TBitmap(1, 1));
  }
  int active = 0;
  for (auto& h : holders) active += h->GetGraphicAsIs() != nullptr;
  EXPECT_EQ(active, 100);
  EXPECT_EQ(cache.Count(), 100);
  EXPECT_EQ(holders[29]->GetGraphicAsIs(), nullptr);
  EXPECT_NE(holders[30]->GetGraphicAsIs(), nullptr);
}
