// Printing at the device's resolution: a document of some twenty pages with lists, fields, notes, a
// picture, a header and a footer, laid out by the report renderer for devices of 96 to 600 pixels
// per inch. Every measure grows with the resolution; nothing falls back to the screen's pixels.
#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "ReportTestUtil.h"
#include "engine/document/RVFieldItems.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/ListInfo.h"
#include "platform/ui/Printers.h"

namespace {

// What one layout gives, in the device's pixels.
struct TLayoutMeasures {
  int Pages = 0;
  std::map<int, int> TextHeights;  // text style -> height of its draw items (the tallest)
  std::vector<TSize> Markers;      // every list marker, in order
  std::vector<TSize> Labels;       // every field and note reference of the text, in order
  TSize Picture{0, 0};
  int HeaderHeight = 0, FooterHeight = 0, HeaderLabelWidth = 0;
  int FirstNoteHeight = 0, NoteGap = 0;
  // The full-width note line drawn on a strip as wide as the page, and the text column.
  int LineLeft = -1, LineRight = -1, ColumnLeft = 0, ColumnRight = 0;
};

// The renderers of one page layout: the text, and a header and a footer laid out apart and placed
// by the caller, as a program that prints through the report renderer does.
struct PrintResolutionFixture : PrintFixture {
  std::unique_ptr<TRVReportHelper> Header, Footer;
  int List = -1;

  void SetUp() override {
    MakeRenderer();
    // Style 1: headings; style 2: the fields' own style.
    TFontInfo* heading = Sheet.TextStyles()->Items(1);
    heading->SetSize(16);
    TFontInfo* field = Sheet.TextStyles()->Items(2);
    field->SetSize(9);
    field->FontName = u"Times New Roman";
    TRVListInfo* list = Sheet.ListStyles()->Add();
    TRVListLevel* level = list->Levels()->Add();
    level->ListType = rvlstDecimal;
    level->FormatString = u"%0:s.";
    level->LeftIndent = 24;
    level->MarkerIndent = 0;
    level->GetFont()->SetSize(11);
    List = list->GetIndex();
    Header = std::make_unique<TRVReportHelper>(nullptr);
    Footer = std::make_unique<TRVReportHelper>(nullptr);
    for (TRVReportHelper* r : {Header.get(), Footer.get()}) r->GetViroZere()->SetStyle(&Sheet);
  }

  template <class T>
  T* AddLabel(TCustomRVData* D, T* Item) {
    Item->ParaNo = -1;
    D->AddItem(u"", Item);
    return Item;
  }

  void Build() {
    TCustomRVData* h = Header->GetViroZere()->GetRVData();
    h->AddNL(u"A report on printing, page ", 0, 0);
    AddLabel(h, new TRVPageNumberItemInfo(h, rvpntDecimal, 2));
    TCustomRVData* f = Footer->GetViroZere()->GetRVData();
    f->AddNL(u"Pages in all: ", 0, 0);
    AddLabel(f, new TRVPageCountItemInfo(f, rvpntDecimal, 2));

    TCustomRVData* d = Doc();
    for (int s = 1; s <= 20; ++s) {
      d->AddNL(u"Section " + IntToStr(s), 1, 0);
      // A numbered list opens every section.
      for (int i = 0; i < 4; ++i) {
        d->SetListMarkerInfo(-1, List, 0, 1, 0, false);
        d->AddNL(u"Point " + IntToStr(i + 1) + u" of section " + IntToStr(s) + u", said in a few words", 0, -1);
      }
      if (s == 1) {
        auto bmp = std::make_unique<TBitmap>();
        bmp->SetSize(96, 48);
        bmp->GetCanvas()->Brush().SetColor(clNavy);
        bmp->GetCanvas()->FillRect(TRect(0, 0, 96, 48));
        d->AddItem(u"picture", new TRVGraphicItemInfo(d, std::move(bmp), rvvaBaseline));
      }
      d->AddNL(u"This section starts on a page whose number is ", 0, 0);
      if (s <= 2) AddLabel(d, new TRVPageNumberItemInfo(d, rvpntDecimal, 2));
      d->AddNL(u" of ", 0, -1);
      AddLabel(d, new TRVPageCountItemInfo(d, rvpntDecimal, 2));
      auto* note = new TRVFootnoteItemInfo(d);
      note->GetDocument()->AddNL(u"A footnote of section " + IntToStr(s) + u", one line long.", 0, 0);
      AddLabel(d, note);
      for (int p = 0; p < 30; ++p)
        d->AddNL(u"Body text of section " + IntToStr(s) + u", paragraph " + IntToStr(p + 1) +
                     u": words that fill a line of the page and wrap onto the next one, so that the "
                     u"layout depends on how wide and how tall the letters are on the device.",
                 0, 0);
    }
  }

  // Lays the header, the footer and the text out for a printer of Ppi pixels per inch.
  TLayoutMeasures Layout(int Ppi) {
    TPrinter prn;
    prn.SetOutputFileName(u"/dev/null");
    prn.SetFileResolution(Ppi);
    TCanvas* canvas = prn.GetCanvas();
    const int w = prn.GetPageWidth(), h = prn.GetPageHeight();
    TLayoutMeasures m;
    for (TRVReportHelper* r : {Header.get(), Footer.get()}) {
      r->Init(canvas, w);
      while (r->FormatNextPage(h)) {
      }
    }
    TReportRVData* hd = Header->GetViroZere()->GetReportData();
    m.HeaderHeight = hd->DocumentHeight;
    m.FooterHeight = Footer->GetViroZere()->GetReportData()->DocumentHeight;
    for (int k = 0; k < hd->DrawItems->Count(); ++k)
      if (dynamic_cast<TRVLabelItemInfo*>(hd->GetItem(hd->DrawItems->Get(k)->ItemNo)))
        m.HeaderLabelWidth = hd->DrawItems->Get(k)->Width;
    const int body = h - m.HeaderHeight - m.FooterHeight;
    R->Init(canvas, w);
    while (R->FormatNextPage(body)) {
    }
    m.Pages = R->GetPagesCount();
    TReportRVData* data = Data();
    for (int k = 0; k < data->DrawItems->Count(); ++k) {
      TRVDrawLineInfo* di = data->DrawItems->Get(k);
      TCustomRVItemInfo* item = data->GetItem(di->ItemNo);
      if (item->StyleNo >= 0) {
        int& th = m.TextHeights[item->StyleNo];
        th = std::max(th, di->Height);
      } else if (item->StyleNo == ItemKindListMarker) {
        m.Markers.push_back(TSize(di->Width, di->Height));
      } else if (dynamic_cast<TRVLabelItemInfo*>(item)) {
        m.Labels.push_back(TSize(di->Width, di->Height));
      } else if (dynamic_cast<TRVGraphicItemInfo*>(item)) {
        m.Picture = TSize(di->Width, di->Height);
      }
    }
    TCustomPrintableRV* v = Viewer();
    if (v->FFootnotes && v->FFootnotes->Count() > 0) m.FirstNoteHeight = v->FFootnotes->GetItems(0)->DocumentHeight;
    m.NoteGap = v->GetNoteSeparatorHeight();
    // The full-width note line of page 1 on a white strip of the page's width.
    auto strip = WhiteBitmap(w, 3 * m.NoteGap + 10);
    v->DrawNoteSeparatorAbove(1, 2 * m.NoteGap, strip->GetCanvas(), true);
    for (int x = 0; x < w; ++x)
      for (int y = 0; y < strip->GetHeight(); ++y)
        if ((strip->GetCanvas()->GetPixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
          if (m.LineLeft < 0) m.LineLeft = x;
          m.LineRight = x;
          break;
        }
    m.ColumnLeft = data->GetPrintableAreaLeft(1) + ScreenToDeviceX(v->GetLeftMargin(), data->PrnSad);
    m.ColumnRight = m.ColumnLeft + data->TextWidth;
    return m;
  }
};

// A length measured at 96 pixels per inch, at a resolution k times finer: the same within the
// rounding of both measures (a pixel at 96 is k pixels here) and the rounding of each of Glyphs
// glyph advances at 96.
bool Scaled(int At96, int AtPpi, double k, int Glyphs) {
  return std::abs(AtPpi - At96 * k) <= (Glyphs * 0.5 + 1) * k + 1;
}

void ExpectScaled(int At96, int AtPpi, double k, int Glyphs, const char* What) {
  EXPECT_TRUE(Scaled(At96, AtPpi, k, Glyphs)) << What << ": " << AtPpi << " for " << At96 << " at 96 ppi";
}

// Items of one kind: the first whose width or height does not scale.
void ExpectAllScaled(const std::vector<TSize>& At96, const std::vector<TSize>& AtPpi, double k, int Glyphs,
                     const char* What) {
  ASSERT_EQ(AtPpi.size(), At96.size()) << What;
  for (std::size_t i = 0; i < At96.size(); ++i)
    if (!Scaled(At96[i].cx, AtPpi[i].cx, k, Glyphs) || !Scaled(At96[i].cy, AtPpi[i].cy, k, 0)) {
      ADD_FAILURE() << What << " " << i << ": " << AtPpi[i].cx << " x " << AtPpi[i].cy << " for " << At96[i].cx
                    << " x " << At96[i].cy << " at 96 ppi";
      return;
    }
}

}  // namespace

TEST_F(PrintResolutionFixture, EveryMeasureGrowsWithTheDevicesResolution) {
  Build();
  const TLayoutMeasures base = Layout(96);
  ASSERT_GE(base.Pages, 15);
  ASSERT_LE(base.Pages, 25);
  ASSERT_EQ(base.Markers.size(), 80u);
  ASSERT_EQ(base.Labels.size(), 20u + 2u + 20u);
  ASSERT_GT(base.FirstNoteHeight, 0);
  for (int ppi : {150, 300, 600}) {
    SCOPED_TRACE(ppi);
    const double k = ppi / 96.0;
    const TLayoutMeasures m = Layout(ppi);
    EXPECT_NEAR(m.Pages, base.Pages, 1);
    ASSERT_EQ(m.TextHeights.size(), base.TextHeights.size());
    for (const auto& [style, height] : base.TextHeights) ExpectScaled(height, m.TextHeights.at(style), k, 0, "text");
    ExpectAllScaled(base.Markers, m.Markers, k, 3, "list marker");
    ExpectAllScaled(base.Labels, m.Labels, k, 2, "field or note reference");
    ExpectAllScaled({base.Picture}, {m.Picture}, k, 0, "picture");
    ExpectScaled(base.HeaderHeight, m.HeaderHeight, k, 0, "header");
    ExpectScaled(base.FooterHeight, m.FooterHeight, k, 0, "footer");
    ExpectScaled(base.HeaderLabelWidth, m.HeaderLabelWidth, k, 1, "page number in the header");
    ExpectScaled(base.FirstNoteHeight, m.FirstNoteHeight, k, 0, "footnote");
    ExpectScaled(base.NoteGap, m.NoteGap, k, 0, "gap above the notes");
  }
}

TEST_F(PrintResolutionFixture, TheNoteLineSpansTheTextColumnAtAnyResolution) {
  Build();
  for (int ppi : {96, 300}) {
    SCOPED_TRACE(ppi);
    const TLayoutMeasures m = Layout(ppi);
    ASSERT_GT(m.NoteGap, 0);
    EXPECT_GE(m.LineLeft, m.ColumnLeft);
    EXPECT_LE(m.LineRight, m.ColumnRight);
    EXPECT_GE(m.LineRight, m.ColumnRight - 2 * m.NoteGap);
  }
}
