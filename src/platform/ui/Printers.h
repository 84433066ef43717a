// The class library's printer object over the toolkit's print support. The process has one
// current printer (Printer()); it asks the printing system nothing until a question needs it, so
// starting the program, measuring and drawing into bitmaps never wait for it. A job opened by
// BeginDoc draws through a canvas in device pixels of the printable area (the context also knows
// the physical page and offsets); NewPage starts the next sheet and EndDoc sends the job.
//
// Output can go to a PDF file instead of a printer (SetOutputFileName): the toolkit's own PDF
// output then serves as the printer, with the paper, resolution and unprintable margins set here.
// Without any printer the metrics are those of an A4 sheet at 600 pixels per inch.
#pragma once

#include <memory>
#include <vector>

#include "platform/base/Classes.h"
#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Graphics.h"

enum TPrinterOrientationKind { poPrinterPortrait, poPrinterLandscape };

// The metrics of a sheet on a device, in device pixels.
struct TPrinterMetrics {
  int PixelsPerInchX = 600, PixelsPerInchY = 600;
  int PhysicalWidth = 4960, PhysicalHeight = 7015;  // the whole sheet
  int PhysicalOffsetX = 130, PhysicalOffsetY = 150;  // printable area from the sheet's corner
  int PageWidth = 4676, PageHeight = 6700;           // printable area
};

class TPrinter : public TObject {
 public:
  TPrinter();
  ~TPrinter() override;
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // Names of the printing system's printers (asked on first use; empty without a session).
  TStrings* GetPrinters();
  // -1 chooses the default printer; an index outside the list raises EPrinter.
  int GetPrinterIndex() const { return FPrinterIndex; }
  void SetPrinterIndex(int index);
  // The printer's name; the file name while printing to a file.
  UnicodeString GetPrinterName();

  // Printing to a PDF file instead of a printer ("" goes back to the printer).
  UnicodeString GetOutputFileName() const { return FOutputFileName; }
  void SetOutputFileName(const UnicodeString& fileName);
  // Resolution and unprintable margins (device pixels) of the PDF output.
  void SetFileResolution(int ppi);
  void SetFileMargins(int left, int top, int right, int bottom);

  // Paper in tenths of a millimetre (portrait orientation); 0 x 0 is the device's default.
  void SetPaperSize(int widthTenthsMM, int heightTenthsMM);
  TPrinterOrientationKind GetOrientation() const { return FOrientation; }
  void SetOrientation(TPrinterOrientationKind o);
  int GetCopies() const { return FCopies; }
  void SetCopies(int copies);
  // The most copies the device makes of one job by itself (1 for a file, 0 without a printer).
  int GetMaxCopies();
  UnicodeString GetTitle() const { return FTitle; }
  void SetTitle(const UnicodeString& t) { FTitle = t; }

  // Metrics of the current sheet (the job's while printing).
  TPrinterMetrics GetMetrics();
  int GetPageWidth() { return GetMetrics().PageWidth; }
  int GetPageHeight() { return GetMetrics().PageHeight; }

  // Jobs. BeginDoc raises EPrinter when a job is open or the output cannot be opened.
  void BeginDoc();
  void NewPage();  // EPrinter outside a job
  void EndDoc();   // sends the job
  void Abort();    // drops the job (a file being written is removed)
  bool GetPrinting() const { return FJob != nullptr; }
  bool GetAborted() const { return FAborted; }
  int GetPageNumber() const { return FPageNumber; }
  // The canvas of the job's current page; outside a job, a canvas on the printer's information
  // context (it measures, draws nothing).
  TCanvas* GetCanvas();
  HDC GetHandle() { return GetCanvas()->GetHandle(); }

 private:
  struct TJob;
  TPrinterMetrics DeviceMetrics();
  void FreeInfoCanvas();

  std::unique_ptr<TStringList> FPrinters;
  int FPrinterIndex = -1;
  UnicodeString FOutputFileName;
  int FFileResolution = 600;
  int FFileMargins[4] = {0, 0, 0, 0};
  int FPaperWidth = 0, FPaperHeight = 0;
  TPrinterOrientationKind FOrientation = poPrinterPortrait;
  int FCopies = 1;
  UnicodeString FTitle;
  bool FAborted = false;
  int FPageNumber = 0;
  std::unique_ptr<TJob> FJob;
  std::unique_ptr<TCanvas> FInfoCanvas;
  HDC FInfoDC = nullptr;
  bool FMetricsKnown = false;
  TPrinterMetrics FMetrics;
};

TAVRELO_EXCEPTION(EPrinter, Exception)

// The process's printer object, made on first use; SetPrinter replaces it and answers the old one
// (the caller owns it).
TPrinter* Printer();
TPrinter* SetPrinter(TPrinter* newPrinter);

// A context measuring like the current printer and drawing nothing (the printer's information
// context); the caller deletes it with DeleteDC.
HDC CreatePrinterDC();
