// The printable viewer: the hidden viewer a print component owns. Its root document data is a
// printable, paginated copy of the document to print (sharing the source's items) formatted at the
// page width. It also owns the formatted footnote and endnote documents of the print job, places
// the footnotes of each page at its bottom and draws a page with the endnotes that follow the text.
#pragma once

#include <memory>

#include "engine/foundation/RVClasses.h"
#include "engine/document/DLines.h"
#include "engine/styles/CustomRVInfo.h"
#include "engine/print/PtblRVData.h"
#include "engine/viewer/RVViroZere.h"

class TCustomRVPrint;
class TRVFootnoteItemInfo;
class TRVFootnotePtblRVData;
class TRVEndnotePtblRVData;
class TCustomMainPtblRVData;

// The formatted footnote documents of a print job, sorted by their footnote items' identity.
class TRVFootnoteList : public TRVList {
 public:
  explicit TRVFootnoteList(TCustomRVPrint* AOwner) : FOwner(AOwner) {}
  TRVFootnotePtblRVData* GetItems(int Index) const;
  void SortByFootnotes();
  // Binary search; nil when the footnote has no document here.
  TRVFootnotePtblRVData* FindByFootnote(TRVFootnoteItemInfo* Footnote) const;
  TCustomRVPrint* GetOwner() const { return FOwner; }

 private:
  TCustomRVPrint* FOwner;
};

// One page from the last text page on: the endnote whose content the page shows first (-1: none)
// and which page of that endnote's own pagination it is (-1 with Index -1).
class TRVEndnotePage : public TObject {
 public:
  TRVEndnotePage(int AIndex, int APage) : Index(AIndex), Page(APage) {}
  int Index;
  int Page;
};

class TRVEndnotePageList : public TRVList {
 public:
  TRVEndnotePage* GetItems(int Index) const { return static_cast<TRVEndnotePage*>(Get(Index)); }
};

// The endnote documents of a print job in document order, with the pages they occupy.
class TRVEndnoteList : public TRVList {
 public:
  explicit TRVEndnoteList(TCustomRVPrint* AOwner);
  ~TRVEndnoteList() override;
  TRVEndnotePtblRVData* GetItems(int Index) const;
  // Draws the endnotes' part of local endnote page PageNo (0: the last text page).
  void DrawPage(int GlobalPageNo, int GlobalPageCount, int GlobalFirstPageNumber, int PageNo, TCanvas* Canvas,
                bool Printing, bool Preview, bool Correction);

  TCustomRVPrint* FOwner;
  std::unique_ptr<TRVEndnotePageList> Pages;
};

class TCustomPrintableRV : public TCustomViroZere, public TRVPrintableViewer {
  TAVRELO_PERSISTENT(TCustomPrintableRV, TCustomViroZere)
 public:
  explicit TCustomPrintableRV(TComponent* AOwner);
  ~TCustomPrintableRV() override;

  void FreeNotesLists();
  TRVFootnotePageEntry* GetFootnoteRVData(TRVFootnoteItemInfo* Footnote) override;
  // Places the footnotes of a page stacked on the bottom of its text area (References: the
  // page's footnote list, a TRVFootnoteRefList).
  void CalcFootnotesCoords(TList* References, int PageNo) override;
  void DrawNoteSeparatorAbove(int PageNo, int Y, TCanvas* ACanvas, bool FullSize) override;
  void DrawPage(int PageNo, TCanvas* ACanvas, bool Printing, bool Preview, bool Correction);

  // Overrides of the viewer.
  void ApplyLayoutInfo(const TRVLayoutInfo& Layout) override;

  TCustomRVPrint* GetRVPrint() const { return FRVPrint; }
  void SetRVPrint(TCustomRVPrint* Value) { FRVPrint = Value; }
  TRVPrintHost* GetRVPrintHost() override;
  int GetNoteSeparatorHeight() override { return FNoteSeparatorHeight; }
  TCustomMainPtblRVData* GetMainData() const;
  // Passes a palette change to the viewer (the print component's Loaded).
  void UpdatePaletteInfoPublic() { UpdatePaletteInfo(); }

  TCustomRVPrint* FRVPrint = nullptr;
  int FNoteSeparatorHeight = 0;
  int FNoteLineWidth = 0;
  std::unique_ptr<TRVEndnoteList> FEndnotes;
  std::unique_ptr<TRVFootnoteList> FFootnotes;

 protected:
  TCustomPrintableRV(TComponent* AOwner, TRVDataClass DataClass);
  void Paint() override {}
  void UpdateScrollBarsForClient() override {}

 private:
  void InitPrintable();
};

// The root data class of TPrintableRV (the main printable data).
TRVDataClass PrintableRVDataClass();

// The printable viewer of TRVPrint: margins in user units and the page switches.
class TPrintableRV : public TCustomPrintableRV {
  TAVRELO_PERSISTENT(TPrintableRV, TCustomPrintableRV)
 public:
  explicit TPrintableRV(TComponent* AOwner);
  ~TPrintableRV() override;

  bool GetMirrorMargins() override { return FMirrorMargins; }
  bool GetFacingPages() override { return FFacingPages; }
  bool GetTitlePage() override { return FTitlePage; }
  TRVUnits GetUnits() override { return FUnits; }
  void GetMargins(double& Left, double& Top, double& Right, double& Bottom) override;

  bool FMirrorMargins = false;
  bool FFacingPages = false;
  bool FTitlePage = false;
  std::unique_ptr<TRVUnitsRect> FMargins;
  TRVUnits FUnits = rvuMillimeters;
};
