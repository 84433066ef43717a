// The viewer control on the headless window system: defaults, formatting and painting its root
// data, the notice without a style sheet, painting inside a page-layout editor, a painting failure,
// the vertical step, vertical placement, the root events raised as the viewer's events, and the
// destroy informer.
#include <gtest/gtest.h>

#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/base/ComponentStream.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/DeviceContext.h"
#include "support/GdiFixture.h"
#include "support/PageLayoutDouble.h"

namespace {

inline const bool ViewerTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

// A page-layout editor that paints its pages itself: it records the repaints it is asked for.
class TStubPageEditor : public TPageLayoutDouble {
 public:
  void DoOnRepaint(TObject*, TRVRepaintOperation Operation, bool) override {
    ++(Operation == rvrrInvalidate ? Invalidates : Updates);
  }
  double GetDrawnPageZoomPercent() override { return 100; }
  bool IsOnReadHyperlinkAssigned() override { return EventsAssigned; }
  bool IsOnWriteHyperlinkAssigned() override { return EventsAssigned; }
  bool IsOnReadMergeFieldAssigned() override { return EventsAssigned; }
  bool IsOnCopyAssigned() override { return EventsAssigned; }
  int Invalidates = 0, Updates = 0;
  bool EventsAssigned = false;
};

// A root data whose painter raises while Raise is set.
class TRaisingData : public TViroZereRVData {
 public:
  using TViroZereRVData::TViroZereRVData;
  void PaintTo(TCanvas* Canvas, const TRect& ClipRect, bool StrictTop, bool StrictBottom, bool RVFormatting,
               bool Printing, bool ForMetafile, int ExtraXCoord, int ExtraYCoord, int MinDItemNo, int MaxDItemNo,
               TRVPaintItemPart* FirstPart, TRVPaintItemPart* LastPart, bool AsSelectedAsPossible) override {
    if (Raise) throw Exception(u"painter broke");
    TViroZereRVData::PaintTo(Canvas, ClipRect, StrictTop, StrictBottom, RVFormatting, Printing, ForMetafile,
                             ExtraXCoord, ExtraYCoord, MinDItemNo, MaxDItemNo, FirstPart, LastPart,
                             AsSelectedAsPossible);
  }
  bool Raise = false;
};

class TRaisingViewer : public TCustomViroZere {
 public:
  explicit TRaisingViewer(TComponent* AOwner)
      : TCustomViroZere(AOwner, [](TCustomViroZere* V) -> std::unique_ptr<TViroZereRVData> {
          return std::make_unique<TRaisingData>(V);
        }) {}
  TRaisingData& Data() { return static_cast<TRaisingData&>(*GetRVData()); }
};

constexpr COLORREF kSentinel = RGB(1, 2, 3);

// Paints V's client area into a new surface (filled with kSentinel first).
std::unique_ptr<TSurface> Shot(TCustomViroZere& V) {
  auto s = std::make_unique<TSurface>(V.GetClientWidth(), V.GetClientHeight());
  s->Clear(kSentinel);
  V.PaintTo(s->DC, 0, 0);
  return s;
}

int CountPixels(const TSurface& S, const std::function<bool(COLORREF)>& Pred) {
  int n = 0;
  for (int y = 0; y < S.H; ++y)
    for (int x = 0; x < S.W; ++x)
      if (Pred(S.At(x, y))) ++n;
  return n;
}

// A viewer with a fixed-metrics style sheet, 400 x 300 with a window (the frame is the window
// system's, so the client area starts at the control's corner).
struct ViewerTest : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZere> V;

  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    Sheet.Color = clWhite;
    V = std::make_unique<TViroZere>(nullptr);
    V->SetName(u"rv1");
    V->SetBounds(0, 0, 400, 300);
    V->HandleNeeded();
  }
  void AddLines(int Count) {
    for (int i = 0; i < Count; ++i) V->GetRVData()->AddNL(u"Line " + IntToStr(i), 0, 0);
  }
};

TEST_F(ViewerTest, NewViewerHasTheDocumentedDefaults) {
  TViroZere v(nullptr);
  EXPECT_EQ(v.GetOptions(), RVDefaultViewerOptions);
  EXPECT_EQ(v.Flags, RVDefaultViewerFlags);
  EXPECT_EQ(v.GetColor(), clNone);
  EXPECT_EQ(v.GetLeftMargin() + v.GetRightMargin() + v.GetTopMargin() + v.GetBottomMargin(), 20);
  EXPECT_EQ(v.GetMaxTextWidth() + v.GetMinTextWidth() + v.GetMaxLength(), 0);
  EXPECT_TRUE(v.GetWordWrap());
  EXPECT_EQ(v.GetVAlign(), tlTop);
  EXPECT_EQ(v.GetAnimationMode(), rvaniManualStart);
  EXPECT_EQ(v.GetLiveSpellingMode(), rvlspManualStart);
  EXPECT_EQ(v.GetBorderStyle(), bsSingle);
  EXPECT_EQ(v.GetWidth(), 100);
  EXPECT_EQ(v.GetHeight(), 40);
  EXPECT_EQ(v.GetStyle(), nullptr);
  EXPECT_EQ(v.GetBackgroundStyle(), bsNoBitmap);
  EXPECT_EQ(v.GetRVData()->GetRootEvents()->FOwner, &v);
}

TEST_F(ViewerTest, FormatsAndPaintsItsDocument) {
  V->SetStyle(&Sheet);
  AddLines(3);
  V->Format();
  EXPECT_EQ(V->GetRVData()->DrawItems->Count(), 3);
  EXPECT_EQ(V->GetDocumentHeight(), 3 * 10 + 10);  // three lines and the margins
  auto s = Shot(*V);
  // The buffered paint covers the client area (nothing of the sentinel is left), in the sheet's
  // colour with the text's ink on it.
  EXPECT_EQ(CountPixels(*s, [](COLORREF c) { return c == kSentinel; }), 0);
  EXPECT_GT(CountPixels(*s, [](COLORREF c) { return c == RGB(255, 255, 255); }), 300 * 200);
  EXPECT_GT(CountPixels(*s, [](COLORREF c) { return c == RGB(0, 0, 0); }), 0);
  // Erasing the background is left to the painting.
  EXPECT_EQ(V->Perform(WM_ERASEBKGND, 0, 0), 1);
}

// A new size formats the document again for the new width and raises OnResize.
TEST_F(ViewerTest, ResizingFormatsForTheNewWidth) {
  V->SetStyle(&Sheet);
  V->GetRVData()->AddNL(u"aaa bbb ccc ddd eee fff ggg hhh iii jjj kkk lll mmm nnn ooo ppp", 0, 0);
  V->Format();
  const int wide = V->GetRVData()->DrawItems->Count();
  V->SetBounds(0, 0, 150, 300);
  ProcessMessages(0);
  EXPECT_GT(V->GetRVData()->DrawItems->Count(), wide);
  EXPECT_LE(V->GetRVData()->DrawItems->Get(0)->Width, V->GetClientWidth());
  int resizes = 0;
  V->OnResize = [&](TObject*) { ++resizes; };
  V->SetBounds(0, 0, 400, 300);
  ProcessMessages(0);
  EXPECT_EQ(V->GetRVData()->DrawItems->Count(), wide);
  EXPECT_GT(resizes, 0);
}

TEST_F(ViewerTest, WithoutStyleSheetPaintsTheNoticeWithItsName) {
  const int w = V->GetClientWidth();
  auto a = Shot(*V);
  EXPECT_EQ(CountPixels(*a, [](COLORREF c) { return c == kSentinel; }), 0);
  const int ink = CountPixels(*a, [](COLORREF c) { return c == RGB(0, 0, 0); });
  EXPECT_GT(ink, 50);
  // The name is part of the text: another name draws other pixels on the second line.
  V->SetName(u"SomeOtherViewer");
  auto b = Shot(*V);
  int differing = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < w; ++x)
      if (a->At(x, y) != b->At(x, y)) ++differing;
  EXPECT_GT(differing, 20);
  // The notice fills with the effective colour.
  EXPECT_EQ(a->At(w - 3, 200), ColorToRGB(clWindow));
}

TEST_F(ViewerTest, InsidePageLayoutEditorNothingIsPaintedAndRepaintsAreForwarded) {
  auto editor = std::make_shared<TStubPageEditor>();
  V->OnGetScaleViroZereInterface = [editor](TObject*, std::shared_ptr<IRVScaleViroZereInterface>& R) { R = editor; };
  V->SetStyle(&Sheet);
  AddLines(3);
  V->Format();
  auto s = Shot(*V);
  EXPECT_EQ(CountPixels(*s, [](COLORREF c) { return c != kSentinel; }), 0);
  const int inv = editor->Invalidates, upd = editor->Updates;
  V->Invalidate();
  V->Update();
  EXPECT_EQ(editor->Invalidates, inv + 1);
  EXPECT_EQ(editor->Updates, upd + 1);
}

TEST_F(ViewerTest, PaintingFailureShowsErrorAndTheViewerStaysUsable) {
  TRaisingViewer v(nullptr);
  v.SetStyle(&Sheet);
  v.SetBounds(0, 0, 400, 300);
  v.HandleNeeded();
  for (int i = 0; i < 3; ++i) v.GetRVData()->AddNL(u"Text", 0, 0);
  v.Format();
  auto red = [](COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80; };
  v.Data().Raise = true;
  auto broken = Shot(v);
  EXPECT_GT(CountPixels(*broken, red), 10) << "the message is drawn in red";
  v.Data().Raise = false;
  auto fine = Shot(v);
  EXPECT_EQ(CountPixels(*fine, red), 0);
  EXPECT_GT(CountPixels(*fine, [](COLORREF c) { return c == RGB(0, 0, 0); }), 0);
}

TEST_F(ViewerTest, VerticalStepRefusals) {
  V->SetStyle(&Sheet);
  V->GetRVData()->SetDocumentAreaSize(V->GetClientWidth(), 100000, true, true);
  ASSERT_TRUE(V->GetRVData()->VScrollBarShown());
  struct {
    bool BarVisible;
    int DocumentHeight, Step;
    bool Taken;
  } cases[] = {
      {true, 1000, 0, false},        {true, 1000, -5, false},     {true, 1000, 7, true},
      {true, 3200001, 100, false},  // 32,001 scroll positions
      {true, 3200001, 101, true},    {true, 3200000, 100, true}, {false, 3200001, 100, true},
  };
  for (const auto& c : cases) {
    V->SetVScrollVisible(c.BarVisible);
    TRVScroller& s = *V;
    s.SetVSmallStep(10);
    V->GetRVData()->DocumentHeight = c.DocumentHeight;
    s.SetVSmallStep(c.Step);
    EXPECT_EQ(V->GetVSmallStep(), c.Taken ? c.Step : 10) << c.BarVisible << " " << c.DocumentHeight << " " << c.Step;
  }
  // The root data's own choice is one the viewer takes.
  V->SetVScrollVisible(true);
  V->GetRVData()->DocumentHeight = 3200001;
  V->GetRVData()->AdjustVScrollUnits();
  EXPECT_EQ(V->GetVSmallStep(), 101);
}

TEST_F(ViewerTest, ShortDocumentsArePlacedByVAlign) {
  V->SetStyle(&Sheet);
  AddLines(3);
  V->Format();
  const int space = V->GetClientHeight() - V->GetDocumentHeight();
  ASSERT_GT(space, 0);
  struct {
    TTextLayout Align;
    int Extra;
  } cases[] = {{tlTop, 0}, {tlCenter, space / 2}, {tlBottom, space}};
  int topInk = -1;
  for (const auto& c : cases) {
    V->SetVAlign(c.Align);
    EXPECT_EQ(V->GetRVData()->GetRVDataExtraVOffs(), c.Extra) << int(c.Align);
    // The document is painted lower by that much: the first ink row moves with it.
    auto s = Shot(*V);
    int firstInk = -1;
    for (int y = 0; y < s->H && firstInk < 0; ++y)
      for (int x = 0; x < s->W; ++x)
        if (s->At(x, y) == RGB(0, 0, 0)) {
          firstInk = y;
          break;
        }
    if (c.Align == tlTop) topInk = firstInk;
    ASSERT_GE(topInk, 0);
    EXPECT_EQ(firstInk, topInk + c.Extra) << int(c.Align);
  }
}

// A style sheet freed before its viewer is forgotten: the viewer shows the notice instead of
// reaching the freed sheet.
TEST_F(ViewerTest, FreedStyleSheetIsForgotten) {
  auto sheet = std::make_unique<TRVStyle>(nullptr);
  sheet->SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
  TViroZere other(nullptr);
  V->SetStyle(sheet.get());
  other.SetStyle(sheet.get());
  other.SetStyle(&Sheet);  // moved to another sheet: no longer told about the first
  AddLines(2);
  V->Format();
  sheet.reset();
  EXPECT_EQ(V->GetStyle(), nullptr);
  EXPECT_EQ(other.GetStyle(), &Sheet);
  auto s = Shot(*V);
  EXPECT_EQ(s->At(V->GetClientWidth() - 3, 200), ColorToRGB(clWindow));
  V->Format();  // skipped without a sheet
}

TEST_F(ViewerTest, EffectiveColour) {
  EXPECT_EQ(V->GetEffectiveColor(), clWindow);
  V->SetStyle(&Sheet);
  Sheet.Color = clYellow;
  EXPECT_EQ(V->GetEffectiveColor(), clYellow);
  V->SetColor(clRed);
  EXPECT_EQ(V->GetEffectiveColor(), clRed);
}

TEST_F(ViewerTest, RootEventsRaiseTheViewersEvents) {
  TRVDataRootEvents* ev = V->GetRVData()->GetRootEvents();
  TCustomRVData* doc = V->GetRVData();
  // Without handlers: the defaults.
  TRVUnicodeString name, tag;
  int kind = ItemKindPicture;
  ev->ReadHyperlink(doc, u"http://a", u"", rvlfRVF, name, kind, tag);
  EXPECT_EQ(kind, ItemKindHotPicture);
  EXPECT_EQ(tag, u"http://a");
  TRVUnicodeString out;
  EXPECT_FALSE(ev->SaveItemToFile(u"", doc, 0, rvsfText, out));
  EXPECT_FALSE(ev->IsOnCopyAssigned());
  // With handlers: Sender is the viewer.
  TObject* sender = nullptr;
  V->OnReadHyperlink = [&](TObject* S, const TRVUnicodeString& Target, const TRVUnicodeString&, TRVLoadFormat, int&,
                           TRVUnicodeString& ItemTag, TRVUnicodeString&) {
    sender = S;
    ItemTag = u"<" + Target + u">";
  };
  kind = ItemKindBullet;
  ev->ReadHyperlink(doc, u"x", u"", rvlfRVF, name, kind, tag);
  EXPECT_EQ(sender, V.get());
  EXPECT_EQ(kind, ItemKindHotspot);
  EXPECT_EQ(tag, u"<x>");
  V->OnSaveItemToFile = [](TObject*, const TRVUnicodeString&, TCustomRVData*, int, TRVSaveFormat, TRVUnicodeString& S,
                           bool& DoDefault) { S = u"own"; DoDefault = false; };
  EXPECT_TRUE(ev->SaveItemToFile(u"", doc, 0, rvsfText, out));
  EXPECT_EQ(out, u"own");
  V->OnSaveItemToFile = [](TObject*, const TRVUnicodeString&, TCustomRVData*, int, TRVSaveFormat, TRVUnicodeString&,
                           bool&) {};
  EXPECT_FALSE(ev->SaveItemToFile(u"", doc, 0, rvsfText, out));
  int copies = 0;
  V->OnCopy = [&](TObject* S) { copies += S == V.get(); };
  EXPECT_TRUE(ev->IsOnCopyAssigned());
  ev->DoCopy();
  EXPECT_EQ(copies, 1);
  // Inside a page-layout editor an event counts only when the editor's does too.
  auto editor = std::make_shared<TStubPageEditor>();
  V->OnGetScaleViroZereInterface = [editor](TObject*, std::shared_ptr<IRVScaleViroZereInterface>& R) { R = editor; };
  EXPECT_FALSE(ev->IsOnCopyAssigned());
  EXPECT_FALSE(ev->IsOnReadHyperlinkAssigned());
  editor->EventsAssigned = true;
  EXPECT_TRUE(ev->IsOnCopyAssigned());
  // An import handler reports a picture that failed through CurPictureInvalid.
  V->OnImportPicture = [this](TObject*, const TRVUnicodeString&, int, int, std::unique_ptr<TGraphic>&) {
    V->CurPictureInvalid = true;
  };
  bool invalid = false;
  EXPECT_EQ(ev->ImportPicture(u"a.png", 1, 1, invalid), nullptr);
  EXPECT_TRUE(invalid);
  EXPECT_FALSE(V->CurPictureInvalid);
}

TEST_F(ViewerTest, DestroyInformerOutlivesItsViewer) {
  auto* v = new TViroZere(nullptr);
  TRVDestroyInformer* informer = v->GetDestroyInformer();
  EXPECT_EQ(v->GetDestroyInformer(), informer);
  informer->AddRef();
  EXPECT_FALSE(informer->ControlDestroyed);
  delete v;
  EXPECT_TRUE(informer->ControlDestroyed);
  informer->Release();  // frees it (the sanitizers see a leak or a double free otherwise)

  TViroZere w(nullptr);
  TRVDestroyInformer* again = w.GetDestroyInformer();
  again->AddRef();
  again->Release();
  EXPECT_NE(w.GetDestroyInformer(), nullptr);  // a new one: the released one told the viewer
  w.GetDestroyInformer()->AddRef();
  w.GetDestroyInformer()->Release();
}

// The published properties go through the component stream and come back; defaults are not written.
TEST_F(ViewerTest, PublishedPropertiesStream) {
  TViroZere a(nullptr);
  a.SetName(u"Viewer1");
  TMemoryStream plain;
  TWriter(plain).WriteRootComponent(&a);
  a.SetLeftMargin(12);
  a.SetVAlign(tlBottom);
  a.SetWordWrap(false);
  a.SetDelimiters(u" ,");
  TRVOptions opts = a.GetOptions();
  opts.Include(rvoShowSpecialCharacters);
  opts.Exclude(rvoAllowSelection);
  a.SetOptions(opts);
  TMemoryStream changed;
  TWriter(changed).WriteRootComponent(&a);
  EXPECT_GT(changed.GetSize(), plain.GetSize() + 20);
  changed.SetPosition(0);
  TViroZere b(nullptr);
  TReader(changed).ReadRootComponent(&b);
  EXPECT_EQ(b.GetLeftMargin(), 12);
  EXPECT_EQ(b.GetTopMargin(), 5);
  EXPECT_EQ(b.GetVAlign(), tlBottom);
  EXPECT_FALSE(b.GetWordWrap());
  EXPECT_EQ(b.GetDelimiters(), u" ,");
  EXPECT_EQ(b.GetOptions(), opts);
}

}  // namespace
