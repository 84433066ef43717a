#include "platform/ui/Printers.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>

#include "platform/graphics/PainterBackend.h"
#include "platform/ui/GuiSession.h"

namespace {

QString QStr(const UnicodeString& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }
UnicodeString UStr(const QString& s) { return UnicodeString(reinterpret_cast<const char16_t*>(s.utf16()), s.size()); }

// An information context draws nothing.
class TInfoBackend : public TDeviceBackend {
 public:
  void DrawShape(const TDCState&, const TShapeRequest&) override {}
  void DrawText(const TDCState&, const TTextRequest&) override {}
  void DrawImage(const TDCState&, const TImageRequest&) override {}
};

// A job's pages: a painter on the toolkit's paged device, text kept as text.
class TPagedBackend : public TPainterBackend {
 public:
  explicit TPagedBackend(QPagedPaintDevice* device) : FDevice(device) {}
  ~TPagedBackend() override { End(); }
  bool Begin() { return Painter() != nullptr; }
  bool NewPage() {
    if (!Painter()) return false;
    const bool ok = FDevice->newPage();
    FClipSerial = ~0u;
    return ok;
  }

 protected:
  bool TextAsGlyphRuns() const override { return true; }
  QPainter* Painter() override {
    if (FPainter) return FPainter.get();
    if (FFailed) return nullptr;
    FPainter = std::make_unique<QPainter>();
    if (!FPainter->begin(FDevice)) {
      FPainter.reset();
      FFailed = true;
      return nullptr;
    }
    FBase = QTransform();
    FClipSerial = ~0u;
    return FPainter.get();
  }

 private:
  QPagedPaintDevice* FDevice;
  bool FFailed = false;
};

TPrinter* GPrinter = nullptr;

}  // namespace

struct TPrinter::TJob {
  std::unique_ptr<QPagedPaintDevice> Device;
  TPagedBackend* Backend = nullptr;  // owned by the context
  HDC DC = nullptr;
  std::unique_ptr<TCanvas> Canvas;
  TPrinterMetrics Metrics;
  QString FileName;
};

TPrinter::TPrinter() = default;

TPrinter::~TPrinter() {
  if (FJob) Abort();
  FreeInfoCanvas();
}

TStrings* TPrinter::GetPrinters() {
  if (!FPrinters) {
    FPrinters = std::make_unique<TStringList>();
    if (GuiSessionRunning())
      for (const QString& n : QPrinterInfo::availablePrinterNames()) FPrinters->Add(UStr(n));
  }
  return FPrinters.get();
}

void TPrinter::SetPrinterIndex(int index) {
  if (FJob) throw EPrinter(std::string_view("Cannot change the printer while printing"));
  if (index < -1 || (index >= 0 && index >= GetPrinters()->Count()))
    throw EPrinter(std::string_view("Printer selected is not valid"));
  FPrinterIndex = index;
  FMetricsKnown = false;
  FreeInfoCanvas();
}

UnicodeString TPrinter::GetPrinterName() {
  if (!FOutputFileName.empty()) return FOutputFileName;
  if (FPrinterIndex >= 0) return GetPrinters()->Get(FPrinterIndex);
  if (!GuiSessionRunning()) return UnicodeString();
  return UStr(QPrinterInfo::defaultPrinterName());
}

void TPrinter::SetOutputFileName(const UnicodeString& fileName) {
  if (FJob) throw EPrinter(std::string_view("Cannot change the printer while printing"));
  FOutputFileName = fileName;
  FMetricsKnown = false;
  FreeInfoCanvas();
}

void TPrinter::SetFileResolution(int ppi) {
  FFileResolution = std::clamp(ppi, 36, 4800);
  FMetricsKnown = false;
  FreeInfoCanvas();
}

void TPrinter::SetFileMargins(int left, int top, int right, int bottom) {
  FFileMargins[0] = std::max(left, 0);
  FFileMargins[1] = std::max(top, 0);
  FFileMargins[2] = std::max(right, 0);
  FFileMargins[3] = std::max(bottom, 0);
  FMetricsKnown = false;
  FreeInfoCanvas();
}

void TPrinter::SetPaperSize(int widthTenthsMM, int heightTenthsMM) {
  if (FJob) throw EPrinter(std::string_view("Cannot change the paper while printing"));
  FPaperWidth = std::max(widthTenthsMM, 0);
  FPaperHeight = std::max(heightTenthsMM, 0);
  FMetricsKnown = false;
  FreeInfoCanvas();
}

void TPrinter::SetOrientation(TPrinterOrientationKind o) {
  if (FJob) throw EPrinter(std::string_view("Cannot change the orientation while printing"));
  FOrientation = o;
  FMetricsKnown = false;
  FreeInfoCanvas();
}

void TPrinter::SetCopies(int copies) { FCopies = std::max(copies, 1); }

int TPrinter::GetMaxCopies() {
  if (!FOutputFileName.empty()) return 1;
  if (!GuiSessionRunning()) return 0;
  const QPrinterInfo info = FPrinterIndex >= 0 ? QPrinterInfo::printerInfo(QStr(GetPrinters()->Get(FPrinterIndex)))
                                               : QPrinterInfo::defaultPrinter();
  if (info.isNull()) return 0;
  QPrinter printer(info);
  // The print system copies whole jobs itself; its usual upper bound is 9999.
  return printer.supportsMultipleCopies() ? 9999 : 1;
}

namespace {

QPageSize PaperOf(int w, int h) {
  if (w > 0 && h > 0) return QPageSize(QSizeF(w / 10.0, h / 10.0), QPageSize::Millimeter);
  return QPageSize(QPageSize::A4);
}

QPageLayout FileLayoutOf(int paperW, int paperH, TPrinterOrientationKind o, const int* margins, int ppi) {
  const double r = ppi;
  return QPageLayout(PaperOf(paperW, paperH), o == poPrinterLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                     QMarginsF(margins[0] / r, margins[1] / r, margins[2] / r, margins[3] / r), QPageLayout::Inch,
                     QMarginsF());
}

}  // namespace

TPrinterMetrics TPrinter::DeviceMetrics() {
  if (FJob) return FJob->Metrics;
  if (FMetricsKnown) return FMetrics;
  TPrinterMetrics m;
  const QPageLayout::Orientation orient =
      FOrientation == poPrinterLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
  if (!FOutputFileName.empty()) {
    // Whole pixels of the paper, the margins exactly as set.
    QSizeF mm = PaperOf(FPaperWidth, FPaperHeight).size(QPageSize::Millimeter);
    if (FOrientation == poPrinterLandscape) mm.transpose();
    m.PixelsPerInchX = m.PixelsPerInchY = FFileResolution;
    m.PhysicalWidth = static_cast<int>(std::lround(mm.width() * FFileResolution / 25.4));
    m.PhysicalHeight = static_cast<int>(std::lround(mm.height() * FFileResolution / 25.4));
    m.PhysicalOffsetX = FFileMargins[0];
    m.PhysicalOffsetY = FFileMargins[1];
    m.PageWidth = std::max(m.PhysicalWidth - FFileMargins[0] - FFileMargins[2], 1);
    m.PageHeight = std::max(m.PhysicalHeight - FFileMargins[1] - FFileMargins[3], 1);
  } else if (GuiSessionRunning()) {
    const QPrinterInfo info = FPrinterIndex >= 0
                                  ? QPrinterInfo::printerInfo(QStr(GetPrinters()->Get(FPrinterIndex)))
                                  : QPrinterInfo::defaultPrinter();
    if (!info.isNull()) {
      QPrinter printer(info, QPrinter::HighResolution);
      if (FPaperWidth > 0 && FPaperHeight > 0) printer.setPageSize(PaperOf(FPaperWidth, FPaperHeight));
      printer.setPageOrientation(orient);
      const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
      const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
      m.PixelsPerInchX = printer.logicalDpiX();
      m.PixelsPerInchY = printer.logicalDpiY();
      m.PhysicalWidth = paper.width();
      m.PhysicalHeight = paper.height();
      m.PhysicalOffsetX = page.left() - paper.left();
      m.PhysicalOffsetY = page.top() - paper.top();
      m.PageWidth = page.width();
      m.PageHeight = page.height();
    } else if (FOrientation == poPrinterLandscape) {
      std::swap(m.PhysicalWidth, m.PhysicalHeight);
      std::swap(m.PageWidth, m.PageHeight);
      std::swap(m.PhysicalOffsetX, m.PhysicalOffsetY);
    }
  } else if (FOrientation == poPrinterLandscape) {
    std::swap(m.PhysicalWidth, m.PhysicalHeight);
    std::swap(m.PageWidth, m.PageHeight);
    std::swap(m.PhysicalOffsetX, m.PhysicalOffsetY);
  }
  FMetrics = m;
  FMetricsKnown = true;
  return m;
}

TPrinterMetrics TPrinter::GetMetrics() { return DeviceMetrics(); }

void TPrinter::FreeInfoCanvas() {
  if (FInfoCanvas) FInfoCanvas->SetHandle(nullptr);
  FInfoCanvas.reset();
  if (FInfoDC) DeleteDC(FInfoDC);
  FInfoDC = nullptr;
}

TCanvas* TPrinter::GetCanvas() {
  if (FJob) return FJob->Canvas.get();
  if (!FInfoCanvas) {
    const TPrinterMetrics m = DeviceMetrics();
    FInfoDC = CreateBackendDC(std::make_unique<TInfoBackend>(), m.PageWidth, m.PageHeight, m.PixelsPerInchX,
                              m.PixelsPerInchY, DT_RASPRINTER);
    SetDevicePhysicalPage(FInfoDC, m.PhysicalWidth, m.PhysicalHeight, m.PhysicalOffsetX, m.PhysicalOffsetY);
    FInfoCanvas = std::make_unique<TCanvas>(FInfoDC);
  }
  return FInfoCanvas.get();
}

void TPrinter::BeginDoc() {
  if (FJob) throw EPrinter(std::string_view("Printing in progress"));
  const TPrinterMetrics m = DeviceMetrics();
  auto job = std::make_unique<TJob>();
  job->Metrics = m;
  const QPageLayout::Orientation orient =
      FOrientation == poPrinterLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
  if (!FOutputFileName.empty()) {
    job->FileName = QStr(FOutputFileName);
    auto writer = std::make_unique<QPdfWriter>(job->FileName);
    writer->setResolution(FFileResolution);
    writer->setPageLayout(FileLayoutOf(FPaperWidth, FPaperHeight, FOrientation, FFileMargins, FFileResolution));
    writer->setTitle(QStr(FTitle));
    writer->setCreator(QStringLiteral("Tavrelopad"));
    job->Device = std::move(writer);
  } else {
    if (!GuiSessionRunning()) throw EPrinter(std::string_view("There is no default printer currently selected"));
    const QPrinterInfo info = FPrinterIndex >= 0
                                  ? QPrinterInfo::printerInfo(QStr(GetPrinters()->Get(FPrinterIndex)))
                                  : QPrinterInfo::defaultPrinter();
    if (info.isNull()) throw EPrinter(std::string_view("There is no default printer currently selected"));
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (FPaperWidth > 0 && FPaperHeight > 0) printer->setPageSize(PaperOf(FPaperWidth, FPaperHeight));
    printer->setPageOrientation(orient);
    printer->setCopyCount(FCopies);
    printer->setDocName(QStr(FTitle));
    job->Device = std::move(printer);
  }
  auto backend = std::make_unique<TPagedBackend>(job->Device.get());
  job->Backend = backend.get();
  job->DC = CreateBackendDC(std::move(backend), m.PageWidth, m.PageHeight, m.PixelsPerInchX, m.PixelsPerInchY,
                            DT_RASPRINTER);
  SetDevicePhysicalPage(job->DC, m.PhysicalWidth, m.PhysicalHeight, m.PhysicalOffsetX, m.PhysicalOffsetY);
  if (!job->Backend->Begin()) {
    DeleteDC(job->DC);
    throw EPrinter(std::string_view("Printing failed: the output cannot be opened"));
  }
  job->Canvas = std::make_unique<TCanvas>(job->DC);
  job->Canvas->Font().SetPixelsPerInch(m.PixelsPerInchY);
  FJob = std::move(job);
  FAborted = false;
  FPageNumber = 1;
}

void TPrinter::NewPage() {
  if (!FJob) throw EPrinter(std::string_view("Printing not in progress"));
  FJob->Backend->NewPage();
  ++FPageNumber;  // the canvas stays the same object: callers keep it across pages
}

void TPrinter::EndDoc() {
  if (!FJob) throw EPrinter(std::string_view("Printing not in progress"));
  std::unique_ptr<TJob> job = std::move(FJob);
  job->Canvas->SetHandle(nullptr);
  job->Canvas.reset();
  DeleteDC(job->DC);  // ends the painter: the job is sent, the file written
  job->Device.reset();
  FPageNumber = 0;
}

void TPrinter::Abort() {
  if (!FJob) return;
  std::unique_ptr<TJob> job = std::move(FJob);
  if (auto* printer = dynamic_cast<QPrinter*>(job->Device.get())) printer->abort();
  job->Canvas->SetHandle(nullptr);
  job->Canvas.reset();
  DeleteDC(job->DC);
  job->Device.reset();
  if (!job->FileName.isEmpty()) QFile::remove(job->FileName);
  FAborted = true;
  FPageNumber = 0;
}

TPrinter* Printer() {
  if (!GPrinter) GPrinter = new TPrinter();
  return GPrinter;
}

TPrinter* SetPrinter(TPrinter* newPrinter) {
  TPrinter* old = GPrinter;
  GPrinter = newPrinter;
  return old;
}

HDC CreatePrinterDC() {
  const TPrinterMetrics m = Printer()->GetMetrics();
  HDC dc = CreateBackendDC(std::make_unique<TInfoBackend>(), m.PageWidth, m.PageHeight, m.PixelsPerInchX,
                           m.PixelsPerInchY, DT_RASPRINTER);
  SetDevicePhysicalPage(dc, m.PhysicalWidth, m.PhysicalHeight, m.PhysicalOffsetX, m.PhysicalOffsetY);
  return dc;
}
