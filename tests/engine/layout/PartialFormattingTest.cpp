// Partial reformatting gives exactly the draw items of a full formatting, and the formatting
// stream restores them exactly.
#include <sstream>

#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVNonTextItems.h"
#include "engine/layout/LayoutTestUtil.h"
#include "platform/base/Classes.h"
#include "support/GeneratedDocument.h"

namespace {

// Every field of every draw item, and the numbers of the formatted document.
std::string Snapshot(TCustomRVFormattedData& D) {
  std::ostringstream s;
  s << "W" << D.DocumentWidth << " H" << D.DocumentHeight << " T" << D.TextWidth << " L" << D.LastItemFormatted << "\n";
  for (int i = 0; i < D.DrawItems->Count(); ++i) {
    TRVDrawLineInfo* d = D.DrawItems->Get(i);
    s << i << ": k" << d->GetKindCode() << " " << d->Left << "," << d->Top << " " << d->Width << "x" << d->Height
      << " i" << d->ItemNo << " o" << d->Offs << "+" << d->TextLength << " b" << d->BaseLine << " "
      << d->FromNewLine << d->FromNewPara << d->FloatingAboveUsed << " tw" << d->GetTextWidth() << " sc"
      << d->GetSpaceCount() << " eb" << d->GetExtraSpaceBelow() << " ea" << d->GetExtraSpaceAbove();
    if (auto* f = AsFloatingDrawItem(d))
      s << " f" << f->FloatLeft << "," << f->FloatTop << "," << f->FloatWidth << "," << f->FloatHeight;
    s << "\n";
  }
  for (int i = 0; i < D.ItemCount(); ++i) s << "#" << i << ":" << D.GetItem(i)->DrawItemNo << " ";
  return s.str();
}

struct TGenDoc {
  TRVStyle Sheet{nullptr};
  TRVPlainFormattedData Doc{&Sheet};
  explicit TGenDoc(int Pages, std::uint32_t Seed = 11, bool Pictures = true) {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(7, 9, 3));
    SetGeneratedDocumentStyles(Sheet);
    Doc.SetWidth(650);
    Doc.SetFlags(Doc.GetFlags() + rvflTrim);
    GenerateDocument(Doc, {.Seed = Seed, .Pages = Pages, .Pictures = Pictures});
  }
};

}  // namespace

void RandomEdits(TGenDoc& g);

TEST(PartialFormatting, RandomEditsGiveTheDrawItemsOfAFullFormat) {
  TGenDoc g(4);
  RandomEdits(g);
}

TEST(PartialFormatting, RandomEditsBesideFloatingPicturesGiveTheDrawItemsOfAFullFormat) {
  TGenDoc g(6, 17);
  int n = 0;
  for (int i = 0; i < g.Doc.ItemCount(); ++i)
    if (auto* pic = dynamic_cast<TRVRectItemInfo*>(g.Doc.GetItem(i)); pic && pic->StyleNo == ItemKindPicture)
      pic->VAlign = n++ % 2 ? rvvaRight : rvvaLeft;
  ASSERT_GT(n, 1);
  RandomEdits(g);
}

void RandomEdits(TGenDoc& g) {
  TRVPlainFormattedData& doc = g.Doc;
  doc.Format(false);
  TGenRandom r(2024);
  int checked = 0;
  for (int step = 0; step < 300; ++step) {
    const int n = doc.ItemCount();
    const int k = r.Range(0, n - 1);
    TCustomRVItemInfo* item = doc.GetItem(k);
    if (item->StyleNo < 0 || item->DrawItemNo < 0) continue;
    const int kind = r.Range(0, 5);
    int first = doc.Item2FirstDrawItem(k), last = doc.Item2LastDrawItem(k);
    int inserted = 0;
    TRVUnicodeString s = item->ItemText;
    if (kind == 0) {  // a character typed
      s.insert(s.begin() + r.Range(0, static_cast<int>(s.size())), static_cast<char16_t>(u'a' + r.Range(0, 25)));
    } else if (kind == 1 && !s.empty()) {  // a character deleted
      s.erase(s.begin() + r.Range(0, static_cast<int>(s.size()) - 1));
      if (s.empty()) s = u"x";
    } else if (kind == 2) {  // words typed
      s.insert(r.Range(0, static_cast<int>(s.size())), u" lorem ipsum dolor ");
    } else if (kind == 4) {  // a word of another style inserted after the item
      auto word = TextItemClass->Create(&doc);
      word->StyleNo = gtsBold;
      word->ParaNo = item->ParaNo;
      word->SetSameAsPrev(true);
      TCustomRVItemInfo* w = word.release();
      doc.GetItems()->InsertObject(k + 1, u"inserted ", w);
      inserted = 1;
    } else if (kind == 5) {  // the next item begins a paragraph of its own (Enter)
      if (k + 1 >= n || !doc.GetItem(k + 1)->GetSameAsPrev() || doc.GetItem(k + 1)->StyleNo < 0) continue;
      last = doc.Item2LastDrawItem(k + 1);
      if (last < 0) continue;
      doc.GetItem(k + 1)->SetSameAsPrev(false);
    } else {  // an item removed between two text items of its paragraph
      if (k == 0 || k + 1 >= n || !item->GetSameAsPrev() || !doc.GetItem(k + 1)->GetSameAsPrev() ||
          doc.GetItem(k - 1)->StyleNo < 0 || doc.GetItem(k + 1)->StyleNo < 0)
        continue;
      first = doc.Item2FirstDrawItem(k - 1);
      last = doc.Item2LastDrawItem(k + 1);
      doc.DeleteItems(k, 1);
      inserted = -1;
    }
    if (kind <= 2) doc.SetItemTextW(k, s);
    doc.FormatParas(first, last, inserted);
    const std::string partial = Snapshot(doc);
    doc.Format(false);
    const std::string full = Snapshot(doc);
    ASSERT_EQ(partial, full) << "step " << step << " kind " << kind << " item " << k;
    ++checked;
  }
  EXPECT_GT(checked, 100);
}

TEST(PartialFormatting, TypingInAParagraphOfTheSameHeightInvalidatesItsStripOnly) {
  TLayoutDoc t(60);
  t.Doc.AddNL(u"aaa bbb", 0, 0);
  t.Doc.AddNL(u"ccc", 0, 0);
  t.Doc.AddNL(u"ddd", 0, 0);
  t.Doc.Format(false);
  t.Doc.SetItemTextW(1, u"cc");
  t.Doc.FormatParas(2, 2, 0);
  EXPECT_EQ(t.Box(2) + " " + t.Box(3), "0,20 20x10 'cc' 0,30 30x10 'ddd'");
  EXPECT_EQ(t.Doc.LastInvalidRect.Top, 20 - 10);
  EXPECT_EQ(t.Doc.LastInvalidRect.Bottom, 30 + 10);
  // A paragraph that gets one line taller moves the rest down by that line.
  t.Doc.SetItemTextW(1, u"ccc ccc");
  t.Doc.FormatParas(2, 2, 0);
  EXPECT_EQ(t.Lines(), "aaa/bbb/ccc/ccc/ddd");
  EXPECT_EQ(t.D().Get(4)->Top, 40);
  EXPECT_EQ(t.Doc.DocumentHeight, 50);
}

TEST(FormattingStream, EmptyDocumentWritesTheFourNumbersCountAndEnd) {
  TLayoutDoc t(100);
  t.Doc.Format(false);
  TMemoryStream m;
  ASSERT_TRUE(t.Doc.SaveFormattingToStream(&m));
  ASSERT_EQ(m.GetSize(), 24);
  const auto* b = static_cast<const std::uint8_t*>(m.Memory());
  auto at = [b](int i) { return static_cast<std::int32_t>(b[i] | b[i + 1] << 8 | b[i + 2] << 16 | b[i + 3] << 24); };
  EXPECT_EQ(at(0), -1);   // LastItemFormatted
  EXPECT_EQ(at(4), 100);  // DocumentWidth
  EXPECT_EQ(at(8), 0);    // DocumentHeight
  EXPECT_EQ(at(12), 100); // TextWidth
  EXPECT_EQ(at(16), 0);
  EXPECT_EQ(at(20), -2);
  m.SetPosition(0);
  EXPECT_TRUE(t.Doc.LoadFormattingFromStream(&m));
  EXPECT_EQ(t.D().Count(), 0);
}

TEST(FormattingStream, FormattedDocumentReloadsToIdenticalDrawItems) {
  TGenDoc g(300, 5, false);
  g.Doc.Format(false);
  const std::string before = Snapshot(g.Doc);
  TMemoryStream m;
  ASSERT_TRUE(g.Doc.SaveFormattingToStream(&m));
  g.Doc.ClearTemporal();
  for (int i = 0; i < g.Doc.ItemCount(); ++i) g.Doc.GetItem(i)->DrawItemNo = -1;
  m.SetPosition(0);
  ASSERT_TRUE(g.Doc.LoadFormattingFromStream(&m));
  EXPECT_EQ(Snapshot(g.Doc), before);
}

TEST(FormattingStream, TruncatedOrCorruptedStreamIsRefusedAndTheDocumentFormattedAfresh) {
  TGenDoc g(1, 3);
  g.Doc.Format(false);
  const std::string good = Snapshot(g.Doc);
  TMemoryStream m;
  ASSERT_TRUE(g.Doc.SaveFormattingToStream(&m));
  const auto* bytes = static_cast<const std::uint8_t*>(m.Memory());
  const std::vector<std::uint8_t> all(bytes, bytes + m.GetSize());
  for (std::size_t cut = 0; cut < all.size(); ++cut) {
    TMemoryStream part;
    part.WriteBuffer(all.data(), static_cast<int>(cut));
    part.SetPosition(0);
    ASSERT_FALSE(g.Doc.LoadFormattingFromStream(&part)) << cut;
    ASSERT_EQ(Snapshot(g.Doc), good) << cut;
  }
  // Every byte set to a hostile value: the load may refuse, it never crashes or reads wild.
  for (std::size_t at = 0; at < all.size(); at += 3) {
    std::vector<std::uint8_t> bad = all;
    bad[at] = 0xFF;
    TMemoryStream part;
    part.WriteBuffer(bad.data(), static_cast<int>(bad.size()));
    part.SetPosition(0);
    if (!g.Doc.LoadFormattingFromStream(&part)) {
      ASSERT_EQ(Snapshot(g.Doc), good) << at;
    }
  }
}

// A floating box alone on its line is stretched upwards to the smallest line height when the
// line is finished; reformatting the paragraph above must not take that for a moved line.
TEST(PartialFormatting, FloatingBoxAloneOnItsLineStaysInPlace) {
  TLayoutDoc t(200);
  t.Para(0)->SetSpaceAfter(4);
  t.Doc.AddNL(u"aaa", 0, 0);
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetSize(30, 40);
  auto* pic = new TRVGraphicItemInfo(&t.Doc, std::move(bmp), rvvaLeft);
  pic->ParaNo = 0;
  t.Doc.AddItem(u"", pic);
  t.Doc.AddNL(u"bbb", 0, 0);
  t.Doc.Format(false);
  const std::string full = t.Boxes();
  t.Doc.FormatParas(0, 0, 0);
  EXPECT_EQ(t.Boxes(), full);
}
