// Reformatting after an edit gives the draw items of a full formatting; the width rule chooses a
// full formatting exactly when a changed paragraph's narrowest layout crosses the document width;
// list numbers that change after an insertion are laid out again.
#include <gtest/gtest.h>

#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/editor/EditorDocFixture.h"

namespace {

using generated_document_detail::Picture;

// One random edit of an item, bracketed as the editor brackets a change of an item's size; true
// when an edit was made. Full tells what the width rule asked for.
bool RandomEdit(TRVEditRVData& d, TGenRandom& r, bool& Full) {
  const int n = d.ItemCount();
  int k = r.Range(0, n - 1);
  TCustomRVItemInfo* item = d.GetItem(k);
  if (item->DrawItemNo < 0) return false;
  int w0 = 0;
  const int kind = r.Range(0, 5);
  if (auto* pic = dynamic_cast<TRVGraphicItemInfo*>(item)) {  // a picture resized
    d.BeginItemModify(k, w0);
    pic->ImageWidth = r.Range(20, 900);
    pic->ImageHeight = r.Range(10, 200);
  } else if (kind == 5) {  // a long word typed, or one cut down (which may narrow the document)
    const TRVUnicodeString word(10, u'm');
    int at = -1;
    for (int i = 0; i < n && at < 0; ++i)
      if (d.GetItem(i)->StyleNo >= 0 && d.GetItemTextW(i).find(word) != TRVUnicodeString::npos) at = i;
    if (at >= 0 && r.Chance(50)) {
      k = at;
      TRVUnicodeString s = d.GetItemTextW(k);
      d.BeginItemModify(k, w0);
      const std::size_t sp = s.find(word);
      s.erase(sp, r.Range(5, 130));
      d.SetItemTextW(k, s.empty() ? u"x" : s);
    } else {
      if (item->StyleNo < 0) return false;
      TRVUnicodeString s = d.GetItemTextW(k);
      d.BeginItemModify(k, w0);
      s.insert(r.Range(0, static_cast<int>(s.size())), u" " + TRVUnicodeString(r.Range(60, 130), u'm') + u" ");
      d.SetItemTextW(k, s);
    }
  } else {
    if (item->StyleNo < 0) return false;
    TRVUnicodeString s = d.GetItemTextW(k);
    if (kind == 4) {  // Enter before the next item of the paragraph
      if (k + 1 >= n || !d.GetItem(k + 1)->GetSameAsPrev() || d.GetItem(k + 1)->StyleNo < 0) return false;
      ++k;
      d.BeginItemModify(k, w0);
      d.GetItem(k)->SetSameAsPrev(false);
    } else {
      d.BeginItemModify(k, w0);
      const int at = r.Range(0, static_cast<int>(s.size()));
      if (kind == 0) {  // a character typed
        s.insert(s.begin() + at, static_cast<char16_t>(u'a' + r.Range(0, 25)));
      } else if (kind == 1) {  // a character deleted
        if (s.size() < 2) return false;
        s.erase(s.begin() + std::min(at, static_cast<int>(s.size()) - 1));
      } else {  // words typed
        s.insert(at, u" lorem ipsum dolor ");
      }
      d.SetItemTextW(k, s);
    }
  }
  Full = d.WidthRuleRequiresFull(w0, d.CalculateMinItemWidthPlusEx(k));
  d.EndItemModify(k, w0);
  return true;
}

void RandomEditsMatchAFullFormat(TEditorDoc& t, std::uint32_t Seed) {
  TRVEditRVData& d = t.D();
  t.Editor->Format();
  TGenRandom r(Seed);
  int partial = 0, full = 0;
  for (int step = 0; step < 300; ++step) {
    bool isFull = false;
    if (!RandomEdit(d, r, isFull)) continue;
    const std::string after = t.Snapshot();
    d.Format(false);
    ASSERT_EQ(after, t.Snapshot()) << "step " << step << (isFull ? " (full)" : " (partial)");
    ++(isFull ? full : partial);
  }
  // Both ways were taken often enough to mean something.
  EXPECT_GT(partial, 100) << full;
  EXPECT_GT(full, 10) << partial;
}

}  // namespace

TEST(ReformatAfterEdit, RandomEditsGiveTheDrawItemsOfAFullFormat) {
  TEditorDoc t;
  GenerateDocument(t.D(), {.Seed = 5, .Pages = 3});
  RandomEditsMatchAFullFormat(t, 2026);
}

TEST(ReformatAfterEdit, RandomEditsBesideFloatingPicturesGiveTheDrawItemsOfAFullFormat) {
  TEditorDoc t;
  GenerateDocument(t.D(), {.Seed = 17, .Pages = 6});
  TRVEditRVData& d = t.D();
  int n = 0;
  for (int i = 0; i < d.ItemCount(); ++i)
    if (auto* pic = dynamic_cast<TRVGraphicItemInfo*>(d.GetItem(i))) pic->VAlign = n++ % 2 ? rvvaRight : rvvaLeft;
  ASSERT_GT(n, 1);
  RandomEditsMatchAFullFormat(t, 77);
}

// A picture paragraph between text paragraphs; the picture's narrowest layout is set relative to
// the document width before and after the change.
TEST(ReformatAfterEdit, WidthRuleFormatsEverythingExactlyWhenTheDocumentWidthIsCrossed) {
  struct Case {
    const char* Name;
    int Before, After;  // narrowest layout of the picture's paragraph minus the client text width
    bool Full;
  };
  const Case cases[] = {
      {"grows within the width", -40, -5, false},
      {"grows to the width exactly", -40, 0, false},
      {"grows one pixel past the width", -40, 1, true},
      {"shrinks from the width", 0, -1, true},
      {"shrinks within the width", -5, -40, false},
      {"stays at the width", 0, 0, false},
      {"shrinks from beyond the width", 30, -10, true},
      {"grows beyond a width it already passed", 30, 60, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditorDoc t;
    TRVEditRVData& d = t.D();
    d.AddNL(u"aaa", gtsBody, gpsBody);
    d.AddNL(u"bbb", gtsBody, gpsBody);
    TGenRandom r(3);
    auto* pic = new TRVGraphicItemInfo(&d, Picture(r), rvvaBaseline);
    pic->ParaNo = gpsBody;
    pic->ImageWidth = 50;
    pic->ImageHeight = 30;
    d.AddItem(u"", pic);
    d.AddNL(u"ccc", gtsBody, gpsBody);
    t.Editor->Format();
    const int clientWidth = d.DocumentWidth;
    const int extra = d.CalculateMinItemWidthPlusEx(2) - pic->ImageWidth;
    pic->ImageWidth = clientWidth + c.Before - extra;
    t.Editor->Format();
    ASSERT_EQ(d.CalculateMinItemWidthPlusEx(2), clientWidth + c.Before);
    // A full formatting lays out the first paragraph again; a partial one leaves it alone.
    const int top = t.DI().Get(0)->Top;
    t.DI().Get(0)->Top = -777;
    int w0 = 0;
    d.BeginItemModify(2, w0);
    pic->ImageWidth = clientWidth + c.After - extra;
    d.EndItemModify(2, w0);
    EXPECT_EQ(t.DI().Get(0)->Top != -777, c.Full);
    t.DI().Get(0)->Top = top;
    const std::string after = t.Snapshot();
    d.Format(false);
    EXPECT_EQ(after, t.Snapshot());
  }
}

// Marking the paragraph before a numbered list as its first item renumbers the list: "9." becomes
// "10.", a wider marker, and those paragraphs must be laid out again.
TEST(ReformatAfterEdit, ListNumbersChangedByAnInsertionAreLaidOutAgain) {
  TEditorDoc t(400);
  TRVEditRVData& d = t.D();
  d.AddNL(u"intro", gtsBody, gpsBody);
  for (int i = 0; i < 12; ++i) {
    d.SetListMarkerInfo(-1, glsNumbers, 0, 1, gpsList, false);
    d.AddNL(u"entry", gtsBody, -1);
  }
  d.AddNL(u"outro", gtsBody, gpsBody);
  t.Editor->Format();
  const int lastBefore = d.Item2LastDrawItem(0);
  ASSERT_EQ(d.SetListMarkerInfo(0, glsNumbers, 0, 1, gpsList, false), 0);
  ASSERT_EQ(static_cast<TRVMarkerItemInfo*>(d.GetItem(d.ItemCount() - 3))->DisplayString, u"13.");
  // The insertion lays out its own paragraph; the renumbering the rest.
  d.FormatParas(0, lastBefore, 1);
  d.UpdateRangeAfterMarkersOrSeq(0, 1);
  const std::string after = t.Snapshot();
  d.Format(false);
  EXPECT_EQ(after, t.Snapshot());
}

// A floating picture that grows pushes the lines that stood beside it below it: every one of
// them is laid out again, not only the first draw item of each line.
TEST(ReformatAfterEdit, FloatingPictureGrownOverTheLinesBesideItMovesThemAllBelowIt) {
  TEditorDoc t;
  TRVEditRVData& d = t.D();
  d.AddNL(u"aaa bbb ccc", gtsBody, gpsBody);
  TGenRandom r(3);
  auto* pic = new TRVGraphicItemInfo(&d, Picture(r), rvvaLeft);
  pic->ParaNo = gpsBody;
  pic->ImageWidth = 16;
  pic->ImageHeight = 150;
  d.AddItem(u"", pic);
  for (int i = 0; i < 14; ++i) {
    d.SetListMarkerInfo(-1, glsNumbers, 0, 1, gpsList, false);
    d.AddNL(u"entry entry", gtsBody, -1);
  }
  t.Editor->Format();
  int w0 = 0;
  d.BeginItemModify(1, w0);
  pic->ImageWidth = 624;
  d.EndItemModify(1, w0);
  const std::string after = t.Snapshot();
  d.Format(false);
  EXPECT_EQ(after, t.Snapshot());
}

// The selection is kept in item terms while the lines before it change.
TEST(ReformatAfterEdit, SelectionStaysOnItsItemsWhenLinesBeforeItChange) {
  TEditorDoc t;
  TRVEditRVData& d = t.D();
  d.AddNL(u"first paragraph", gtsBody, gpsBody);
  d.AddNL(u"second paragraph", gtsBody, gpsBody);
  d.AddNL(u"third paragraph", gtsBody, gpsBody);
  t.Editor->Format();
  d.SetSelectionBounds(1, 3, 2, 6);
  d.SetItemTextW(0, TRVUnicodeString(200, u'a').replace(50, 1, u" ").replace(120, 1, u" "));
  d.Reformat(false, true, false, 0, false);
  int s = -1, so = -1, e = -1, eo = -1;
  d.GetSelectionBoundsEx(s, so, e, eo, false);
  EXPECT_EQ(std::vector<int>({s, so, e, eo}), std::vector<int>({1, 3, 2, 6}));
  const std::string after = t.Snapshot();
  d.Format_(true, true, true, 0, d.GetFormatCanvas(), false, false, false, false, false);
  EXPECT_EQ(after, t.Snapshot());
}
