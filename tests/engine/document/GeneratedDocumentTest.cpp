// The generated document that layout tests and benchmarks share: the same seed gives the same
// document, its paragraphs have the promised shape, and it is a document the native format keeps.
#include <gtest/gtest.h>

#include "engine/document/RVMarkerItem.h"
#include "support/GeneratedDocument.h"

namespace {

struct TGenDoc {
  TRVStyle Sheet{nullptr};
  TRVPlainRootData Doc{&Sheet};
  TGeneratedDocumentInfo Info;
  explicit TGenDoc(const TGeneratedDocumentOptions& o) {
    SetGeneratedDocumentStyles(Sheet);
    Info = GenerateDocument(Doc, o);
  }
  std::string Rvf() {
    TMemoryStream ms;
    EXPECT_TRUE(Doc.SaveRVFToStream(&ms, false, clNone, nullptr, nullptr, true));
    return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
  }
  // The items as kind, paragraph, options and text (list styles draw random ids, so the saved
  // bytes of two equal documents differ there).
  std::u16string Items() const {
    std::u16string s;
    for (int n = 0; n < Doc.ItemCount(); ++n) {
      TCustomRVItemInfo* it = Doc.GetItem(n);
      s += AsciiToUnicode(std::to_string(it->StyleNo) + " " + std::to_string(it->ParaNo) + " " +
                          (it->GetSameAsPrev() ? "S " : "P ")) +
           Doc.GetItemTextW(n) + u"\n";
      if (auto* pic = dynamic_cast<TRVGraphicItemInfo*>(it)) {
        const auto* bmp = dynamic_cast<const TBitmap*>(pic->GetImage());
        s += AsciiToUnicode(std::to_string(bmp->GetWidth()) + "x" + std::to_string(bmp->GetHeight()) + " " +
                            std::to_string(bmp->GetPixel(bmp->GetWidth() / 2, bmp->GetHeight() / 3)));
      }
    }
    return s;
  }
};

int WordCount(const std::u16string& s) {
  int n = 0;
  bool in = false;
  for (char16_t c : s) {
    if (c == u' ') in = false;
    else if (!in) in = true, ++n;
  }
  return n;
}

TEST(GeneratedDocument, SameSeedSameDocumentOtherSeedAnother) {
  TGenDoc a({.Seed = 5, .Pages = 12}), b({.Seed = 5, .Pages = 12}), c({.Seed = 6, .Pages = 12});
  // Compared whole, not printed: a failure would print a megabyte.
  EXPECT_TRUE(a.Items() == b.Items());
  EXPECT_FALSE(a.Items() == c.Items());
  EXPECT_EQ(a.Info.Characters, b.Info.Characters);
}

TEST(GeneratedDocument, HasTheShapeAskedFor) {
  TGenDoc g({.Seed = 1, .Pages = 300});
  const TGeneratedDocumentInfo& i = g.Info;
  EXPECT_EQ(i.Paragraphs, 3300);
  // About 300 pages of body text: a little over a million characters.
  EXPECT_GT(i.Characters, 1200000);
  EXPECT_LT(i.Characters, 1800000);
  EXPECT_GE(i.Pictures, 80);
  EXPECT_GE(i.Hyperlinks, 30);
  EXPECT_GE(i.Tabs, 200);
  EXPECT_GE(i.ListParagraphs, 200);

  // Body paragraphs (every paragraph of a body style) hold 40 to 120 words; list markers only
  // start list paragraphs; every style reference is inside the sheet.
  TRVUnicodeString para;
  int paraStyle = -1, markers = 0;
  bool startsWithText = false;
  auto closePara = [&] {
    if (startsWithText && (paraStyle == gpsBody || paraStyle == gpsJustified)) {
      const int w = WordCount(para);
      EXPECT_GE(w, 40) << UnicodeToUtf8(para.substr(0, 200));
      EXPECT_LE(w, 120);
    }
    para.clear();
  };
  for (int n = 0; n < g.Doc.ItemCount(); ++n) {
    TCustomRVItemInfo* it = g.Doc.GetItem(n);
    if (g.Doc.IsParaStart(n)) {
      closePara();
      paraStyle = it->ParaNo;
      startsWithText = it->StyleNo >= 0;
    }
    ASSERT_LT(it->ParaNo, gpsCount);
    ASSERT_LT(it->StyleNo, gtsCount);
    if (it->StyleNo >= 0) para += g.Doc.GetItemTextW(n);
    if (it->StyleNo == ItemKindListMarker) {
      ++markers;
      EXPECT_TRUE(g.Doc.IsParaStart(n));
      EXPECT_EQ(it->ParaNo, gpsList);
    }
  }
  closePara();
  EXPECT_EQ(markers, i.ListParagraphs);
}

TEST(GeneratedDocument, NativeFormatKeepsIt) {
  TGenDoc g({.Seed = 3, .Pages = 10});
  const std::string saved = g.Rvf();
  TRVStyle sheet(nullptr);
  SetGeneratedDocumentStyles(sheet);
  TRVPlainRootData back(&sheet);
  TMemoryStream ms;
  ms.WriteBuffer(saved.data(), static_cast<std::int64_t>(saved.size()));
  ms.SetPosition(0);
  TColor color = clNone;
  ASSERT_TRUE(back.LoadRVFFromStream(&ms, color, nullptr, nullptr));
  ASSERT_EQ(back.ItemCount(), g.Doc.ItemCount());
  for (int n = 0; n < back.ItemCount(); ++n) {
    EXPECT_EQ(back.GetItem(n)->StyleNo, g.Doc.GetItem(n)->StyleNo);
    EXPECT_EQ(back.GetItemTextW(n), g.Doc.GetItemTextW(n));
  }
}

}  // namespace
