// The formatting stream of the draw items: exact bytes of small lists, a round trip of every kind
// with item blocks, refusal of printing draw items, and a bad stream refused at every byte.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVBreakItem.h"
#include "engine/document/RVLabelItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/RVStyle.h"

namespace {

struct TOwnedLines : TRVDrawLines {
  ~TOwnedLines() override { FreeAll(); }
};

std::string Bytes(TMemoryStream& ms) {
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

std::string Le(std::initializer_list<std::int32_t> values) {
  std::string r;
  for (std::int32_t v : values)
    for (int i = 0; i < 4; ++i) r += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  return r;
}

// A document of a text item, a tab, a label and a line break: the tab and the label write blocks.
struct TStreamDoc {
  TRVStyle Sheet{nullptr};
  TRVPlainRootData Doc{&Sheet};
  TStreamDoc() {
    Doc.AddNL(u"hello wide world", 0, 0);
    auto tab = std::make_unique<TRVTabItemInfo>(&Doc);
    tab->Align = rvtaRight;
    tab->Leader = u"._";
    tab->SetSameAsPrev(true);
    Doc.AddItem(u"", tab.release());
    auto label = std::make_unique<TRVLabelItemInfo>(&Doc);
    label->SetSameAsPrev(true);
    Doc.AddItem(u"", label.release());
    Doc.AddBreak(1, 0, clNone);
  }
  TRVItemList* Items() { return Doc.GetItems(); }
};

template <typename T>
T* Add(TRVDrawLines& l, int ItemNo, int Seed, int Offs = 0, int Length = 0) {
  auto d = TRVDrawLineInfo::CreateEx<T>(Seed, Seed + 1, Seed + 2, Seed + 3, ItemNo, Seed % 2 == 0);
  d->Offs = Offs;
  d->TextLength = Length;
  d->BaseLine = Seed + 4;
  d->FromNewPara = Seed % 3 == 0;
  d->FloatingAboveUsed = Seed % 5 == 0;
  d->SetTextWidth(Seed + 5);
  d->SetSpaceCount(Seed + 6);
  d->SetLeftNoExpandIndex(Seed + 7);
  d->SetRightNoExpandIndex(Seed + 8);
  d->SetExtraSpaceBelow(Seed + 9);
  d->SetExtraSpaceAbove(-Seed);
  T* r = d.get();
  l.Add(d.release());
  return r;
}

// Every kind: three pieces of the text item (plain, justified, spacing below), the tab (spacing
// above and below), the label (a floating box) and the break.
void FillEveryKind(TRVDrawLines& l) {
  Add<TRVDrawLineInfo>(l, 0, 10, 1, 6);
  Add<TRVJustifyDrawLineInfo>(l, 0, 20, 7, 5);
  Add<TRVSimpleLineHeightDrawLineInfo>(l, 0, 30, 12, 5);
  Add<TRVComplexLineHeightDrawLineInfo>(l, 1, 40);
  auto* f = Add<TRVFloatingDrawLineInfo>(l, 2, 50);
  f->FloatLeft = -3;
  f->FloatTop = 70;
  f->FloatWidth = 80;
  f->FloatHeight = 90;
  f->FloatType = rvdifRight;
  Add<TRVDrawLineInfo>(l, 3, 60);
}

// The fields of a draw item as text, for comparing lists.
std::string Describe(const TRVDrawLineInfo* d) {
  std::string r = std::to_string(d->GetKindCode());
  for (int v : {d->Left, d->Top, d->Width, d->Height, d->ItemNo, d->Offs, d->TextLength, d->BaseLine,
                int(d->FromNewLine), int(d->FromNewPara), int(d->FloatingAboveUsed), d->GetTextWidth(),
                d->GetSpaceCount(), d->GetLeftNoExpandIndex(), d->GetRightNoExpandIndex(), d->GetExtraSpaceBelow(),
                d->GetExtraSpaceAbove(), d->GetObjectLeft(), d->GetObjectTop(), d->GetObjectWidth(),
                d->GetObjectHeight()})
    r += " " + std::to_string(v);
  if (const auto* f = AsFloatingDrawItem(d)) r += " t" + std::to_string(f->FloatType);
  return r;
}

std::vector<std::string> Describe(const TRVDrawLines& l) {
  std::vector<std::string> r;
  for (int i = 0; i < l.Count(); ++i) r.push_back(Describe(l.Get(i)));
  return r;
}

// A printing draw item: a class the stream does not carry.
class TPrintingDrawItem : public TRVComplexLineHeightDrawLineInfo {
 public:
  int Part = 0;
};

}  // namespace

TEST(DrawLinesStreamTest, EmptyListBytes) {
  TStreamDoc t;
  TOwnedLines l;
  TMemoryStream ms;
  ASSERT_TRUE(l.SaveToStream(&ms, t.Items()));
  EXPECT_EQ(Bytes(ms), Le({0, -2}));
  ms.SetPosition(0);
  EXPECT_TRUE(l.LoadFromStream(&ms, t.Items()));
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(ms.GetPosition(), 8);
}

TEST(DrawLinesStreamTest, TwoPiecesOfOneTextItem) {
  // A text item wrapped into two lines: two records of kind 0, no block (text writes none).
  TStreamDoc t;
  TOwnedLines l;
  Add<TRVDrawLineInfo>(l, 0, 10, 1, 6);
  Add<TRVDrawLineInfo>(l, 0, 20, 7, 10);
  TMemoryStream ms;
  ASSERT_TRUE(l.SaveToStream(&ms, t.Items()));
  const std::string b = Bytes(ms);
  ASSERT_EQ(b.size(), 4u + 2 * 40 + 4);
  const std::string rec0 = Le({0, 10, 11, 12, 13, 0, 1, 6, 14}) + std::string("\xFF\x00\xFF\x00", 4);
  EXPECT_EQ(b.substr(0, 4 + 40), Le({2}) + rec0);
  EXPECT_EQ(b.substr(b.size() - 4), Le({-2}));
}

TEST(DrawLinesStreamTest, ItemBlockOnlyAfterTheFirstDrawItemOfItsItem) {
  TStreamDoc t;
  TOwnedLines l;
  Add<TRVDrawLineInfo>(l, 1, 10);
  Add<TRVDrawLineInfo>(l, 1, 20);
  TMemoryStream ms;
  ASSERT_TRUE(l.SaveToStream(&ms, t.Items()));
  const std::string b = Bytes(ms);
  ASSERT_EQ(b.size(), 4u + 40 + 13 + 40 + 4);
  EXPECT_EQ(b.substr(44, 9), Le({-1}) + std::string("\x01", 1) + Le({2}));  // right-aligned, 2 characters
  EXPECT_EQ(b.substr(44 + 13 + 40), Le({-2}));
}

TEST(DrawLinesStreamTest, EveryKindRoundTrips) {
  TStreamDoc t;
  TOwnedLines l;
  FillEveryKind(l);
  TMemoryStream ms;
  ASSERT_TRUE(l.SaveToStream(&ms, t.Items()));
  // count; text: 40 + 56 + 60; tab: 64 + block (4 + 1 + 4 + 2 x 2); label: 84 + block (4 + 16 + 1);
  // break: 40; end.
  EXPECT_EQ(ms.GetSize(), 4 + 40 + 56 + 60 + 64 + 13 + 84 + 21 + 40 + 4);

  // Read back into a fresh document of the same items, whose blocks are restored.
  TStreamDoc u;
  auto* tab = static_cast<TRVTabItemInfo*>(u.Doc.GetItem(1));
  tab->Align = rvtaLeft;
  tab->Leader.clear();
  TOwnedLines back;
  ms.SetPosition(0);
  ASSERT_TRUE(back.LoadFromStream(&ms, u.Items()));
  EXPECT_EQ(ms.GetPosition(), ms.GetSize());
  EXPECT_EQ(Describe(back), Describe(l));
  EXPECT_EQ(tab->Align, rvtaRight);
  EXPECT_EQ(tab->Leader, u"._");
  EXPECT_EQ(u.Doc.GetItem(0)->DrawItemNo, 0);
  EXPECT_EQ(u.Doc.GetItem(1)->DrawItemNo, 3);
  EXPECT_EQ(u.Doc.GetItem(2)->DrawItemNo, 4);
  EXPECT_EQ(u.Doc.GetItem(3)->DrawItemNo, 5);

  // Writing what was read gives the same bytes.
  TMemoryStream again;
  ASSERT_TRUE(back.SaveToStream(&again, u.Items()));
  EXPECT_EQ(Bytes(again), Bytes(ms));
}

TEST(DrawLinesStreamTest, PrintingDrawItemsAreNotWritten) {
  TStreamDoc t;
  TOwnedLines l;
  FillEveryKind(l);
  Add<TPrintingDrawItem>(l, 3, 70);
  TMemoryStream ms;
  EXPECT_FALSE(l.SaveToStream(&ms, t.Items()));
  EXPECT_EQ(ms.GetSize(), 0);
  // Nor a draw item that names no item of the list.
  TOwnedLines bad;
  Add<TRVDrawLineInfo>(bad, 4, 10);
  EXPECT_FALSE(bad.SaveToStream(&ms, t.Items()));
  EXPECT_EQ(ms.GetSize(), 0);
  // Nor a list in the middle of a reformat (freed entries in its gap).
  TOwnedLines gap;
  FillEveryKind(gap);
  gap.MarkForDelete(1, 2);
  EXPECT_FALSE(gap.SaveToStream(&ms, t.Items()));
  EXPECT_EQ(ms.GetSize(), 0);
  gap.DeleteMarked();
}

TEST(DrawLinesStreamTest, BadStreamsAreRefused) {
  TStreamDoc t;
  TOwnedLines l;
  FillEveryKind(l);
  TMemoryStream ms;
  ASSERT_TRUE(l.SaveToStream(&ms, t.Items()));
  const std::string good = Bytes(ms);
  const auto patched = [&](std::size_t at, std::int32_t v) {
    std::string s = good;
    const std::string b = Le({v});
    s.replace(at, 4, b);
    return s;
  };
  // Offsets: count 0; record 0 at 4 (its ItemNo at 4+4+16, Offs at +20, TextLength at +24);
  // record 1 at 44; record 2 at 100; record 3 (tab) at 160, its block at 224; record 4 (label)
  // at 237 (FloatType at 237 + 4 + 76), its block at 321; record 5 at 342; end at 382.
  struct Case {
    const char* Name;
    std::string Bytes;
  } cases[] = {
      {"negative count", patched(0, -1)},
      {"count beyond the bytes left", patched(0, 1 << 26)},
      {"count larger by one", patched(0, 7)},
      {"count smaller by one", patched(0, 5)},
      {"unknown kind", patched(4, 5)},
      {"kind with high bits", patched(4, 0x100)},
      {"kind of a longer class", patched(4, 4)},
      {"item beyond the list", patched(24, 4)},
      {"negative item", patched(24, -1)},
      {"text piece past the text", patched(32, 17)},
      {"text piece before the text", patched(28, 0)},
      {"negative text length", patched(32, -1)},
      {"items out of order", patched(342 + 4 + 16, 1)},
      {"block marker before any record", Le({1, -1}) + good.substr(4)},
      {"block after a second piece", good.substr(0, 100) + Le({-1}) + good.substr(100)},
      {"floating type out of range", [&] {
         std::string s = good;
         s[237 + 4 + 76] = 2;
         return s;
       }()},
      {"leader longer than the stream", patched(224 + 5, 1000000)},
      {"missing end marker", patched(382, 7)},
      {"end marker replaced by a block", patched(382, -1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TMemoryStream in;
    in.WriteBuffer(c.Bytes.data(), static_cast<std::int64_t>(c.Bytes.size()));
    in.SetPosition(0);
    TOwnedLines back;
    EXPECT_FALSE(back.LoadFromStream(&in, t.Items()));
    EXPECT_EQ(back.Count(), 0);
  }
  // Every truncation is refused without a crash; so is a change of any one byte that makes the
  // stream inconsistent (the rest must read back as a well-formed list).
  for (std::size_t n = 0; n < good.size(); ++n) {
    TMemoryStream in;
    in.WriteBuffer(good.data(), static_cast<std::int64_t>(n));
    in.SetPosition(0);
    TOwnedLines back;
    EXPECT_FALSE(back.LoadFromStream(&in, t.Items())) << "cut at " << n;
    EXPECT_EQ(back.Count(), 0);
  }
  for (std::size_t at = 0; at < good.size(); ++at)
    for (unsigned char x : {0x01, 0x80, 0xFF}) {
      std::string s = good;
      s[at] = static_cast<char>(s[at] ^ x);
      TMemoryStream in;
      in.WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
      in.SetPosition(0);
      TOwnedLines back;
      if (back.LoadFromStream(&in, t.Items())) {
        ASSERT_EQ(back.Count(), l.Count()) << "byte " << at;
        for (int i = 0; i < back.Count(); ++i) {
          const TRVDrawLineInfo* d = back.Get(i);
          ASSERT_GE(d->ItemNo, i == 0 ? 0 : back.Get(i - 1)->ItemNo);
          ASSERT_LT(d->ItemNo, t.Doc.ItemCount());
          back.GetString(i, t.Items());
        }
      } else {
        EXPECT_EQ(back.Count(), 0);
      }
    }
}
