#include <gtest/gtest.h>

#include "support/RootDataTestUtil.h"
#include "engine/document/RVDocParams.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/foundation/RVUni.h"
#include "engine/layout/RVFontInfoCache.h"
#include "platform/ui/Input.h"

namespace {

struct TRootFixture : ::testing::Test {
  std::unique_ptr<TTestViewer> V = std::make_unique<TTestViewer>();
  TStubPaintRootData& D() { return V->D(); }
  void SetUp() override { V->SetBounds(0, 0, 400, 301); }
};

TEST_F(TRootFixture, SmallStepKeepsTheDocumentWithin32000Units) {
  V->HandleNeeded();
  V->UpdateScrollBars(V->GetClientWidth(), 1000, true, true);  // the vertical bar is shown
  ASSERT_TRUE(D().VScrollBarShown());
  struct {
    int Step, DocumentHeight, Expected;
  } cases[] = {
      {10, 64000000, 2000},  // 64,000,000 div 2000 = 32000
      {10, 64031999, 2001},  // 64,031,999 div 2000 = 32015 > 32000
      {20, 100000, 10},      // back to 10 when 10 suffices
      {10, 100000, 10},
      {2000, 64000000, 2000},
  };
  for (const auto& c : cases) {
    V->SetVSmallStep(c.Step);
    D().DocumentHeight = c.DocumentHeight;
    D().AdjustVScrollUnits();
    EXPECT_EQ(V->GetVSmallStep(), c.Expected) << c.Step << " " << c.DocumentHeight;
  }
  // Without the bar a tall document keeps its step; a short one still returns to 10.
  V->SetVScrollVisible(false);
  ASSERT_FALSE(D().VScrollBarShown());
  V->SetVSmallStep(10);
  D().DocumentHeight = 64031999;
  D().AdjustVScrollUnits();
  EXPECT_EQ(V->GetVSmallStep(), 10);
  V->SetVSmallStep(20);
  D().DocumentHeight = 1000;
  D().AdjustVScrollUnits();
  EXPECT_EQ(V->GetVSmallStep(), 10);
}

TEST_F(TRootFixture, ShortDocumentsArePlacedByVAlign) {
  ASSERT_EQ(V->GetClientHeight(), 301);
  struct {
    TTextLayout Align;
    int DocumentHeight, Extra;
  } cases[] = {
      {tlTop, 100, 0}, {tlCenter, 100, 100}, {tlBottom, 100, 201}, {tlCenter, 400, 0}, {tlBottom, 301, 0},
  };
  for (const auto& c : cases) {
    V->VAlign = c.Align;
    D().DocumentHeight = c.DocumentHeight;
    EXPECT_EQ(D().GetRVDataExtraVOffs(), c.Extra) << int(c.Align) << " " << c.DocumentHeight;
  }
  // The vertical offset counts the empty space above as a negative scroll.
  V->VAlign = tlCenter;
  D().DocumentHeight = 100;
  EXPECT_EQ(D().GetVOffs(), -100);
}

TEST_F(TRootFixture, DragThresholdIsHalfTheSystemDragSize) {
  const int hx = (GetSystemMetrics(SM_CXDRAG) + 1) / 2, hy = (GetSystemMetrics(SM_CYDRAG) + 1) / 2;
  ASSERT_GT(hx, 0);
  D().SetClickPoint(100, 50);
  struct {
    int DX, DY;
    bool Passed;
  } cases[] = {{0, 0, false}, {hx - 1, hy - 1, false}, {1 - hx, 1 - hy, false}, {hx, 0, true},
               {0, -hy, true}, {-hx, hy, true}};
  for (const auto& c : cases)
    EXPECT_EQ(D().DragThresholdPassed(100 + c.DX, 50 + c.DY), c.Passed) << c.DX << "," << c.DY;

  EXPECT_TRUE(D().CanStartDrag());
  TObject source;
  D().SetDropSource(&source);
  EXPECT_TRUE(D().IsDragging());
  EXPECT_FALSE(D().CanStartDrag());
  D().ReleaseDropSource();
  V->Options.Include(rvoDisallowDrag);
  EXPECT_FALSE(D().CanStartDrag());
}

TEST_F(TRootFixture, StyleMappingsSurviveNestedReads) {
  std::unique_ptr<TRVIntegerList>*pText = nullptr, *pPara = nullptr, *pList = nullptr;
  int* ppi = nullptr;
  TRVStyleUnits* units = nullptr;
  V->Sheet.Units = rvstuTwips;
  D().SetRVFUseUnits(true);
  D().InitStyleMappings(pText, pPara, pList, ppi, units);
  ASSERT_NE(D().GetRVFGlobalReadData(), nullptr);
  EXPECT_EQ(*units, rvstuTwips);
  *pText = std::make_unique<TRVIntegerList>();
  (*pText)->Add(3);
  D().InitStyleMappings(pText, pPara, pList, ppi, units);  // a sub-document read inside
  EXPECT_EQ((*pText)->Count(), 1);
  D().DoneStyleMappings();
  ASSERT_NE(D().GetRVFGlobalReadData(), nullptr);
  EXPECT_EQ(D().GetRVFGlobalReadData()->RefCount, 1);
  EXPECT_EQ(D().GetRVFGlobalReadData()->RVFTextStylesMapping->Count(), 1);
  D().DoneStyleMappings();
  EXPECT_EQ(D().GetRVFGlobalReadData(), nullptr);
  D().DoneStyleMappings();  // one too many does no harm
  EXPECT_EQ(D().GetRVFGlobalReadData(), nullptr);
  // Without rvstRVFUsesUnits the stored units stay pixels.
  D().SetRVFUseUnits(false);
  D().InitStyleMappings(pText, pPara, pList, ppi, units);
  EXPECT_EQ(*units, rvstuPixels);
  D().DoneStyleMappings();
}

TEST_F(TRootFixture, FontCacheOfAFormattingPass) {
  TCanvas* canvas = V->GetCanvas();
  for (bool fast : {false, true}) {
    if (fast)
      V->Options.Include(rvoFastFormatting);
    else
      V->Options.Exclude(rvoFastFormatting);
    TRVFontInfoCache* cache = D().CreateFontInfoCache(canvas, canvas);
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(dynamic_cast<TRVFontInfoCacheFast*>(cache) != nullptr, fast && IsWinNT);
    EXPECT_EQ(cache->FOwner, &D());
    // A sub-document formatted meanwhile borrows the root's cache and does not free it.
    EXPECT_EQ(D().GetFontInfoCache(canvas, canvas, &D()), cache);
    // Making a new one frees the old (LeakSanitizer watches), then the pass ends.
    TRVFontInfoCache* second = D().CreateFontInfoCache(canvas, canvas);
    EXPECT_EQ(D().GetCurrentFontInfoCache(), second);
    D().DestroyFontInfoCache(second);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(D().GetCurrentFontInfoCache(), nullptr);
  }
  // Without a current cache a document gets one of its own, which it frees itself.
  TTestViewer otherViewer;
  TStubPaintRootData& other = otherViewer.D();
  TRVFontInfoCache* own = D().GetFontInfoCache(canvas, canvas, &other);
  EXPECT_EQ(own->FOwner, &other);
  D().DestroyFontInfoCache(own);  // not the root's: stays with its owner
  EXPECT_NE(own, nullptr);
  other.DestroyFontInfoCache(own);
  EXPECT_EQ(own, nullptr);
}

TEST_F(TRootFixture, FormattingAndPaintingLeaveNoCacheBehind) {
  D().AddNL(u"some text", 0, 0);
  V->Format();
  EXPECT_EQ(D().GetCurrentFontInfoCache(), nullptr);
  EXPECT_EQ(D().DrawItems->Count(), 1);
}

TEST_F(TRootFixture, RootKeepsTheTreeObjectsANestedViewerDefers) {
  EXPECT_EQ(D().GetSeqList(false), nullptr);
  EXPECT_EQ(D().GetMarkers(false), nullptr);
  EXPECT_EQ(D().GetPrintFieldList(false), nullptr);
  EXPECT_EQ(D().GetDocParameters(false), nullptr);
  TRVSeqList* seq = D().GetSeqList(true);
  TRVMarkerList* markers = D().GetMarkers(true);
  ASSERT_NE(seq, nullptr);
  ASSERT_NE(markers, nullptr);
  EXPECT_EQ(D().GetSeqList(false), seq);
  EXPECT_EQ(markers->PrevMarkerList, nullptr);
  ASSERT_NE(D().GetDocParameters(true), nullptr);
  EXPECT_EQ(D().GetDocParameters(false), D().GetDocParameters(true));
  ASSERT_NE(D().GetRootProperties(), nullptr);
  EXPECT_NE(dynamic_cast<TRVDataRootEventsEx*>(D().GetRootEvents()), nullptr);
  EXPECT_EQ(D().GetRootEvents()->FOwner, V.get());
  D().DestroySeqList();
  EXPECT_EQ(D().GetSeqList(false), nullptr);
  // A first-page header set and removed again leaves no slot and no named document.
  TTestViewer header;
  D().SetHeader(&header.D(), rvhftFirstPage);
  EXPECT_EQ(D().GetRootProperties()->GetHeaderFooter(0), &header.D());
  D().SetHeader(nullptr, rvhftFirstPage);
  EXPECT_EQ(D().GetRootProperties()->GetHeaderFooter(0), nullptr);
  EXPECT_FALSE(D().GetRootProperties()->HasHeaderOrFooter());

  // Without rvflRoot the data is a cell's in-place editor: it keeps nothing of its own.
  V->Flags.Exclude(rvflRoot);
  EXPECT_EQ(D().GetRootProperties(), nullptr);
  EXPECT_EQ(D().GetMarkers(true), nullptr);
  EXPECT_EQ(D().GetSeqList(true), nullptr);
  V->Flags.Include(rvflRoot);
  EXPECT_EQ(D().GetMarkers(false), markers);  // the root's list was kept
}

TEST_F(TRootFixture, AnswersComeFromTheViewer) {
  V->SetColor(clNone);
  V->Sheet.Color = static_cast<TColor>(0x123456);
  EXPECT_EQ(D().GetColor(), static_cast<TColor>(0x123456));
  V->SetColor(static_cast<TColor>(0x654321));
  EXPECT_EQ(D().GetColor(), static_cast<TColor>(0x654321));
  EXPECT_EQ(D().GetParentControl(), V.get());
  EXPECT_EQ(D().GetRVStyle(), &V->Sheet);
  EXPECT_EQ(D().GetWidth(), V->GetClientWidth());
  EXPECT_EQ(D().GetHeight(), 301);
  EXPECT_TRUE(D().CanLoadLayout());
  V->Options.Include(rvoShowPageBreaks);
  EXPECT_TRUE(D().GetOptions().Contains(rvoShowPageBreaks));
  D().SetFlags(D().GetFlags() + rvflUseJumps);
  EXPECT_TRUE(V->Flags.Contains(rvflUseJumps));
}

TEST_F(TRootFixture, EventsReachTheViewerWithItAsSender) {
  std::vector<std::string> seen;
  V->OnRVMouseMove = [&](TObject* s, int id) { seen.push_back("move " + std::to_string(id) + (s == V.get() ? "" : "?")); };
  V->OnSelect = [&](TObject* s) { seen.push_back(s == V.get() ? "select" : "select?"); };
  V->OnItemHint = [&](TObject*, TCustomRVData*, int ItemNo, TRVUnicodeString& Hint) {
    if (ItemNo == 1) Hint = u"from handler";
  };
  D().DoRVMouseMove(7);
  D().DoSelect();  // no window yet: no event
  V->HandleNeeded();
  D().DoSelect();
  EXPECT_EQ(seen, (std::vector<std::string>{"move 7", "select"}));

  D().AddNL(u"a", 0, 0);
  D().AddNL(u"b", 0, 0);
  D().GetItem(0)->SetExtraStrProperty(rvespHint, u"own hint");
  TRVUnicodeString hint;
  D().GetItemHint(&D(), 0, u"upper", hint);
  EXPECT_EQ(hint, u"own hint");
  D().GetItemHint(&D(), 1, u"upper", hint);
  EXPECT_EQ(hint, u"from handler");
  V->OnItemHint = nullptr;
  D().GetItemHint(&D(), 1, u"upper", hint);
  EXPECT_EQ(hint, u"upper");
}

TEST_F(TRootFixture, ClearTellsTheViewerAndStopsAnimationOnFormat) {
  D().AddNL(u"a", 0, 0);
  V->Format();
  D().GetMarkers(true);
  D().Clear();
  EXPECT_EQ(D().ItemCount(), 0);
  EXPECT_EQ(V->Clears, 1);
  EXPECT_EQ(V->AnimationStops, 0);
  V->AnimationMode = rvaniOnFormat;
  D().Clear();
  EXPECT_EQ(V->AnimationStops, 1);
  EXPECT_TRUE(D().AllowAnimation());
  V->AnimationMode = rvaniDisabled;
  EXPECT_FALSE(D().AllowAnimation());
}

TEST_F(TRootFixture, ScrollingIsRefusedWhileNoScrollIsSet) {
  V->HandleNeeded();
  D().SetDocumentAreaSize(400, 5001, true, true);
  EXPECT_EQ(V->GetAreaHeight(), 501);  // small steps of 10, rounded up
  D().State.Include(rvstNoScroll);
  D().ScrollTo(300, true);
  EXPECT_EQ(V->GetVScrollPos(), 0);
  D().State.Exclude(rvstNoScroll);
  D().ScrollTo(300, true);
  EXPECT_EQ(V->GetVScrollPos(), 30);
  EXPECT_EQ(D().GetFullDocumentHeight(), 5010);
}

}  // namespace
