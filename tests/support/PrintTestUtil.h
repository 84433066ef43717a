// Fixtures of the printing tests: a hidden viewer that is at once the printable viewer and the
// printing component, over a style sheet measuring with fixed metrics (every character 10 pixels
// wide, lines 10 pixels high), with a source document whose items the printable data shares.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/document/RVNoteItems.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVPlainFormattedData.h"
#include "engine/print/PtblRVData.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/DeviceContext.h"
#include "support/RootDataViewerDouble.h"

inline const bool PrintTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

// The printed document of a footnote, of a fixed height.
class TTestFootnote : public TRVFootnotePageEntry {
 public:
  TTestFootnote(TRVRootDataViewer* Viewer, TRVFootnoteItemInfo* AFootnote, int Height)
      : Data(std::make_unique<TCustomPrintableRVData>(Viewer)) {
    Footnote = AFootnote;
    Data->DocumentHeight = Height;
  }
  TCustomPrintableRVData* GetNoteRVData() override { return Data.get(); }
  std::unique_ptr<TCustomPrintableRVData> Data;
};

class TPrintTestViewer : public TRootDataViewerDouble, public TRVPrintableViewer, public TRVPrintHost {
 public:
  // Without FixedMetrics the sheet keeps its real drawing back-end.
  explicit TPrintTestViewer(bool FixedMetrics = true) {
    Flags = {rvflRoot, rvflTrim, rvflShareContents, rvflPrinting};
    if (FixedMetrics) Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < 2) Sheet.TextStyles()->Add();
    while (Sheet.ParaStyles()->Count() < 5) Sheet.ParaStyles()->Add();
    for (int i = 0; i < Sheet.ParaStyles()->Count(); ++i) Sheet.ParaStyles()->Items(i)->Alignment = rvaLeft;
    Sheet.ParaStyles()->Items(1)->Options.Include(rvpaoKeepWithNext);
    Sheet.ParaStyles()->Items(2)->Options.Include(rvpaoWidowOrphanControl);
    Sheet.ParaStyles()->Items(3)->Options.Include(rvpaoKeepLinesTogether);
    Source.SetFlags(Source.GetFlags() + rvflTrim);
    FDC = CreateCompatibleDC(nullptr);
    GetCanvas()->SetHandle(FDC);
    SetHScrollVisible(false);
    SetVScrollVisible(false);
  }
  ~TPrintTestViewer() override {
    Destroying = true;
    Footnotes.clear();
    Data.reset();
    if (RefCanvas) Sheet.GetGraphicInterface()->DestroyCompatibleCanvas(RefCanvas);
    GetCanvas()->SetHandle(nullptr);
    DeleteDC(FDC);
  }
  HDC DC() const { return FDC; }

  // ---- TRVPrintableViewer ----
  TRVPrintHost* GetRVPrintHost() override { return this; }
  int GetNoteSeparatorHeight() override { return NoteSeparatorHeight; }
  TRVFootnotePageEntry* GetFootnoteRVData(TRVFootnoteItemInfo* Footnote) override {
    for (auto& f : Footnotes)
      if (f->Footnote == Footnote) return f.get();
    return nullptr;
  }
  void CalcFootnotesCoords(TList* References, int PageNo) override { FootnotePlacements.push_back({PageNo, References ? References->Count() : 0}); }
  bool GetMirrorMargins() override { return MirrorMargins; }
  bool GetFacingPages() override { return FacingPages; }
  bool GetTitlePage() override { return TitlePage; }
  TRVUnits GetUnits() override { return rvuPixels; }
  void GetMargins(double& Left, double& Top, double& Right, double& Bottom) override {
    Left = Margins.Left;
    Top = Margins.Top;
    Right = Margins.Right;
    Bottom = Margins.Bottom;
  }

  // ---- TRVPrintHost ----
  TObject* GetPrintComponent() override { return this; }
  bool GetMetafileCompatibility() override { return false; }
  bool GetIgnorePageBreaks() override { return IgnoreBreaks; }
  int GetMinPrintedItemNo() override { return MinPrinted; }
  int GetMaxPrintedItemNo() override { return MaxPrinted; }
  int GetDispPageNo(int PageNo) override { return PageNo; }
  int GetPagesCount() override { return Data ? Data->PagesCount() : 0; }
  int GetStartAt() override { return StartAt; }
  int GetEndAt() override { return EndAt; }
  void SetEndAt(int Value) override { EndAt = Value; }
  TRVFixMarginsMode GetFixMarginsMode() override { return FixMargins; }
  TCustomRVData* GetSourceRVData() override { return &Source; }
  bool GetVirtualPrinterActive() override { return Virtual; }
  int GetVirtualPageWidth() override { return PageWidth; }
  int GetVirtualPageHeight() override { return PageHeight; }
  int GetVirtualPixelsPerInchX() override { return 96; }
  int GetVirtualPixelsPerInchY() override { return 96; }
  int GetPrinterPageWidth() override { return PageWidth; }
  int GetPrinterPageHeight() override { return PageHeight; }

  // ---- building documents ----
  // A paragraph of words, one word a line at the default width (words of 4 letters, 50 pixels).
  void Para(int Words, int ParaNo, bool PageBreakBefore = false) {
    std::u16string s;
    for (int w = 0; w < Words; ++w) s += (w ? u" " : u"") + std::u16string(4, static_cast<char16_t>(u'a' + w % 26));
    Source.AddNL(s, 0, ParaNo);
    if (PageBreakBefore) Source.GetItem(Source.ItemCount() - 1)->SetPageBreakBefore(true);
  }
  // A footnote reference continuing the last paragraph, whose printed footnote is Height high.
  void Footnote(int Height) {
    auto* fn = new TRVFootnoteItemInfo(&Source, 0, 1, false);
    fn->ParaNo = -1;
    Source.AddItem(u"", fn);
    Footnotes.push_back(std::make_unique<TTestFootnote>(this, fn, Height));
  }

  // Makes the printable data (of class T) over the source's items and formats it at Width.
  template <typename T = TPrintableRVData>
  T& Make(int Width = 50) {
    Data.reset();
    auto d = std::make_unique<T>(this);
    T& r = *d;
    Data = std::move(d);
    Data->ShareItemsFrom(&Source);
    SetWidth(Width);
    SetHeight(1000);
    Data->PrinterCanvas = GetCanvas();
    Data->PrnSad.ppixScreen = Data->PrnSad.ppiyScreen = Data->PrnSad.ppixDevice = Data->PrnSad.ppiyDevice = 96;
    Data->Format_(false, true, false, 0, GetCanvas(), false, false, false, false, false);
    return r;
  }

  // Paginates with a text height of MaxHeight on every page; the first draw item of every page.
  std::vector<int> Paginate(int MaxHeight, bool FootnotesChangeHeight = true) {
    TCustomMultiPagePtblRVData& d = *Data;
    d.Pages->Clear();
    int i = 0, startAt = 0, startY = 0, y = 0;
    bool splitting = false;
    const int n = d.DrawItems->Count();
    for (int guard = 0; guard < 1000; ++guard) {
      TRVFootnoteRefList* notes = nullptr;
      int mh = MaxHeight;
      d.FormatNextPage(i, startAt, startY, y, splitting, mh, notes, FootnotesChangeHeight);
      if (i >= n && !splitting) break;
    }
    std::vector<int> starts;
    for (int k = 0; k < d.Pages->Count(); ++k) starts.push_back(d.Pages->GetItem(k)->StartDrawItemNo);
    return starts;
  }

  TRVPlainFormattedData Source{&Sheet};
  std::unique_ptr<TCustomMainPtblRVData> Data;
  std::vector<std::unique_ptr<TTestFootnote>> Footnotes;
  std::vector<std::pair<int, int>> FootnotePlacements;  // page, count
  bool IgnoreBreaks = false, MirrorMargins = false, FacingPages = false, TitlePage = false;
  bool Virtual = true;
  TRVFixMarginsMode FixMargins = rvfmmAutoCorrect;
  TRect Margins{20, 30, 10, 40};
  int MinPrinted = 0, MaxPrinted = -1, StartAt = 0, EndAt = 0, NoteSeparatorHeight = 5;
  int PageWidth = 200, PageHeight = 300;

 private:
  HDC FDC = nullptr;
};
