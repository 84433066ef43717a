// Fixtures of the printing tests: a report renderer over a style sheet, bitmaps to draw on, and
// documents with notes.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "engine/document/RVNoteItems.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/print/RVPageRects.h"
#include "engine/print/RVReportHelper.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Pictures.h"

inline const bool ReportTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

inline std::unique_ptr<TBitmap> WhiteBitmap(int W, int H) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf32bit);
  bmp->SetSize(W, H);
  bmp->GetCanvas()->Brush().SetColor(clWhite);
  bmp->GetCanvas()->FillRect(TRect(0, 0, W, H));
  return bmp;
}

inline bool OnlyWhite(TBitmap& bmp, const TRect& r) {
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if ((bmp.GetCanvas()->GetPixel(x, y) & 0xFFFFFF) != 0xFFFFFF) return false;
  return true;
}

struct PrintFixture : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TRVReportHelper> R;

  // Fixed metrics: every character 10 pixels wide, lines 10 high (layout independent of fonts).
  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    MakeRenderer();
  }
  void MakeRenderer() {
    R = std::make_unique<TRVReportHelper>(nullptr);
    R->GetViroZere()->SetStyle(&Sheet);
  }
  TCustomRVData* Doc() { return R->GetViroZere()->GetRVData(); }
  TReportRVData* Data() { return R->GetViroZere()->GetReportData(); }
  TCustomPrintableRV* Viewer() { return R->GetViroZere(); }

  void AddPara(const TRVUnicodeString& Text) { Doc()->AddNL(Text, 0, 0); }
  // A footnote at the end of the last paragraph, with Lines lines of its own text.
  TRVFootnoteItemInfo* AddFootnote(int Lines) {
    auto* f = new TRVFootnoteItemInfo(Doc());
    for (int i = 0; i < Lines; ++i) f->GetDocument()->AddNL(u"note line " + IntToStr(i), 0, 0);
    Doc()->AddItem(u"", f);
    return f;
  }
  TRVEndnoteItemInfo* AddEndnote(int Lines) {
    auto* e = new TRVEndnoteItemInfo(Doc());
    for (int i = 0; i < Lines; ++i) e->GetDocument()->AddNL(u"endnote line " + IntToStr(i), 0, 0);
    Doc()->AddItem(u"", e);
    return e;
  }
  // Lays the whole document out in pages of PageHeight on Canvas; the number of pages.
  int Paginate(TCanvas* Canvas, int PageWidth, int PageHeight) {
    R->Init(Canvas, PageWidth);
    int n = 0;
    while (R->FormatNextPage(PageHeight) && n < 10000) ++n;
    return R->GetPagesCount();
  }
};
