// The print component: the non-visual component through which a document is paginated and drawn
// as pages. TCustomRVPrint holds what every kind of page output shares (page numbering, colour
// mode, printed item range, metafile use, transparency, drawing events) and owns a hidden
// printable viewer whose document data does the pagination. TRVPrint is the printer-oriented
// component: margins in user units, header and footer positions, mirror margins, facing pages, a
// title page and a virtual printer for pages of a fixed pixel size. The report renderer
// (RVReportHelper.h) derives from TCustomRVPrint too.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "engine/foundation/RVFuncs.h"
#include "engine/styles/CustomRVInfo.h"
#include "engine/print/PtblRVData.h"
#include "engine/styles/RVStyleTypes.h"
#include "platform/base/Persistent.h"

class TCanvas;
class TBitmap;
class TControl;
class TCustomRVData;
class TCustomViroZere;
class TCustomPrintableRV;
class TPrintableRV;
class TCustomMainPtblRVData;
class TPrintableRVData;
class TCustomRVPrint;
class TRVPrint;

using TRVPrintComponentEvent =
    std::function<void(TCustomRVPrint* Sender, TControl* PrintMe, TBitmap*& ComponentImage)>;
using TRVPrintingEvent = std::function<void(TCustomViroZere* Sender, int PageCompleted, TRVPrintingStep Step)>;

// The drawing events (OnDrawHyperlink, OnDrawCheckpoint, OnPagePrepaint, OnPagePostpaint) and the
// formatting event are those of TRVPrintHost, with the component as Sender.
class TCustomRVPrint : public TComponent, public TRVPrintHost {
  TAVRELO_PERSISTENT(TCustomRVPrint, TComponent)
 public:
  // The printable viewer is made by the constructor of the concrete class (InitViewer), since
  // its factory is a virtual operation.
  explicit TCustomRVPrint(TComponent* AOwner);
  ~TCustomRVPrint() override;

  // ---- virtual operations ----
  // The number shown on page PageNo.
  int GetDispPageNo(int PageNo) override;
  // The viewer whose document is printed.
  virtual TCustomViroZere* GetSourceViroZere();
  // Factory of the hidden printable viewer (owned by this component); nil here.
  virtual TCustomPrintableRV* CreateViroZere() { return nullptr; }
  // Endnotes are laid out after the text unless this answers true.
  virtual bool IgnoreEndnotes() { return false; }
  void Loaded() override;
  virtual void UpdatePaletteInfo();

  // ---- what the printable documents ask ----
  TObject* GetPrintComponent() override { return this; }
  bool GetMetafileCompatibility() override { return MetafileCompatibility; }
  bool GetIgnorePageBreaks() override { return IgnorePageBreaks; }
  int GetMinPrintedItemNo() override { return MinPrintedItemNo; }
  int GetMaxPrintedItemNo() override { return MaxPrintedItemNo; }
  int GetStartAt() override { return StartAt; }
  int GetEndAt() override { return EndAt; }
  void SetEndAt(int Value) override { EndAt = Value; }
  TCustomRVData* GetSourceRVData() override;

  // ---- pages ----
  int GetPagesCount() override;
  // The page printing that position of RVData (a document of the source viewer's tree); -1 when
  // not found.
  int GetPageNo(TCustomRVData* RVData, int ItemNo, int OffsetInItem);
  int GetFirstPageNo();
  int GetLastPageNo();
  // Draws page pgNo scaled into PageRect of Canvas, on white.
  void DrawPreview(int pgNo, TCanvas* Canvas, const TRect& PageRect);
  int GetPreview100PercentWidth();
  int GetPreview100PercentHeight();
  bool IsDestinationReady();

  // ---- note placement (around pagination) ----
  void PrepareFootnotes();
  void PlaceFootnotesBelowText();
  // The number of pages the endnotes add after the last text page.
  int FormatEndnotes();

  // ---- settings kept in the printable viewer's main data ----
  bool GetTransparentBackground();
  void SetTransparentBackground(bool Value);
  TRVColorMode GetColorMode();
  void SetColorMode(TRVColorMode Value);
  bool GetNoMetafiles();
  void SetNoMetafiles(bool Value);
  int GetMetafilePixelsPerInch();
  void SetMetafilePixelsPerInch(int Value);

  // ---- published settings ----
  bool PreviewCorrection = true;
  TRVPrintComponentEvent OnPrintComponent;
  int MinPrintedItemNo = 0;
  int MaxPrintedItemNo = -1;  // up to the last item
  bool IgnorePageBreaks = false;
  int PageNoFromNumber = 1;
  bool MetafileCompatibility = false;

  // ---- state of a pagination ----
  TCustomPrintableRV* rv = nullptr;  // owned as a component
  bool Ready = false;
  int StartAt = 0;  // Y on the first page where the document begins
  int EndAt = 0;    // Y where the text (and the endnotes after it) ends on the last page
  int FormattingID = 0;

  // The printable viewer's main data (nil without a viewer).
  TCustomMainPtblRVData* GetMainData() const;

 protected:
  // Makes the printable viewer through CreateViroZere; the concrete constructors call it.
  void InitViewer();
};

// Pages of a fixed pixel size instead of the real printer.
class TRVVirtualPrinterProperties : public TPersistent {
  TAVRELO_PERSISTENT(TRVVirtualPrinterProperties, TPersistent)
 public:
  TRVVirtualPrinterProperties() = default;
  void Assign(TPersistent* Source) override;
  int GetActualPixelsPerInchX() const;
  int GetActualPixelsPerInchY() const;

  int PageWidth = 794;
  int PixelsPerInch = 0;
  int PageHeight = 1123;
  bool Active = false;
};

class TRVPrint : public TCustomRVPrint {
  TAVRELO_PERSISTENT(TRVPrint, TCustomRVPrint)
 public:
  explicit TRVPrint(TComponent* AOwner);
  ~TRVPrint() override;

  TCustomPrintableRV* CreateViroZere() override;
  TCustomViroZere* GetSourceViroZere() override { return FPrintMe; }
  TRVFixMarginsMode GetFixMarginsMode() override { return FixMarginsMode; }
  bool GetClipMargins() override { return ClipMargins; }
  bool GetVirtualPrinterActive() override { return FVirtualPrinter->Active; }
  int GetVirtualPageWidth() override { return FVirtualPrinter->PageWidth; }
  int GetVirtualPageHeight() override { return FVirtualPrinter->PageHeight; }
  int GetVirtualPixelsPerInchX() override { return FVirtualPrinter->GetActualPixelsPerInchX(); }
  int GetVirtualPixelsPerInchY() override { return FVirtualPrinter->GetActualPixelsPerInchY(); }
  int GetPrinterPageWidth() override;
  int GetPrinterPageHeight() override;
  void DefineProperties(TFiler& Filer) override;

  TPrintableRV* GetPrintableRV() const;
  TPrintableRVData* GetPrintableData() const;

  // The viewer whose document is printed (not owned).
  TCustomViroZere* GetPrintMe() const { return FPrintMe; }
  void SetPrintMe(TCustomViroZere* Value) { FPrintMe = Value; }

  // ---- kept in the printable viewer ----
  TRVUnitsRect* GetMargins() const;
  void SetMargins(TRVUnitsRect* Value);
  TRVUnits GetUnits() const;
  void SetUnits(TRVUnits Value);
  bool GetMirrorMargins() const;
  void SetMirrorMargins(bool Value);
  bool GetFacingPages() const;
  void SetFacingPages(bool Value);
  bool GetTitlePage() const;
  void SetTitlePage(bool Value);
  // ---- kept in the main data ----
  TRVLength GetHeaderY() const;
  void SetHeaderY(TRVLength Value);
  TRVLength GetFooterY() const;
  void SetFooterY(TRVLength Value);

  // ---- earlier layouts' properties in whole millimetres ----
  int GetLeftMarginMM() const;
  void SetLeftMarginMM(int Value);
  int GetRightMarginMM() const;
  void SetRightMarginMM(int Value);
  int GetTopMarginMM() const;
  void SetTopMarginMM(int Value);
  int GetBottomMarginMM() const;
  void SetBottomMarginMM(int Value);
  int GetHeaderYMM() const;
  void SetHeaderYMM(int Value);
  int GetFooterYMM() const;
  void SetFooterYMM(int Value);

  TRVVirtualPrinterProperties* GetVirtualPrinter() const { return FVirtualPrinter.get(); }
  void SetVirtualPrinter(TRVVirtualPrinterProperties* Value) { FVirtualPrinter->Assign(Value); }

  TRVPrintingEvent OnSendingToPrinter;
  bool ClipMargins = false;
  TRVFixMarginsMode FixMarginsMode = rvfmmAutoCorrect;

 private:
  TCustomViroZere* FPrintMe = nullptr;
  std::unique_ptr<TRVVirtualPrinterProperties> FVirtualPrinter;
};
