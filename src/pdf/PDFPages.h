// PDF pages and the page list. A page is a PDF canvas that also owns a metafile with a metafile
// canvas for ordinary drawing; when the page is closed the metafile is translated into content
// (by the translator registered with SetMetafileTranslator) and joined with what was drawn on the
// PDF canvas itself.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "pdf/PDFAnnots.h"
#include "pdf/PDFCanvas.h"
#include "pdf/PDFForms.h"
#include "platform/graphics/Metafile.h"

class TPDFPages;
class TPDFImages;
class TPDFDocument;

struct TPDFPageSizeInfo {
  int Height, Width;  // points
};
const TPDFPageSizeInfo& PDFPageSize(TPDFPageSize size);

// The part of the metafile options the pages use: the reference device of the metafile canvases
// and which drawing lies on top when both canvases were used.
class TPDFEMFParseOptions : public TPersistent {
 public:
  TPDFEMFParseOptions();
  ~TPDFEMFParseOptions() override;
  TPDFEMFParseOptions(const TPDFEMFParseOptions&) = delete;
  TPDFEMFParseOptions& operator=(const TPDFEMFParseOptions&) = delete;
  HDC UsedDC() const { return FUsedDC; }
  // Null: the screen's context.
  void SetUsedDC(HDC dc);
  bool UseScreen() const { return FUseScreen; }
  bool CanvasOver = false;

 private:
  void Release();
  HDC FUsedDC = nullptr;
  bool FUseScreen = true;
};

class TPDFPage : public TPDFCanvas {
 public:
  TPDFPage(TPDFEngine* engine, TPDFPages* owner, TPDFFonts* fontManager);
  ~TPDFPage() override;

  // The metafile canvas, made on first request: recording costs memory and time, and most pages
  // of a direct caller never draw through it.
  TCanvas* Canvas();
  bool HasMetafile() const { return FMF != nullptr || FMetafilePending; }
  TPDFPageOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TPDFPageOrientation value);
  TPDFPageRotate PageRotate() const { return FRotate; }
  void SetPageRotate(TPDFPageRotate value) { FRotate = value; }
  void SetSize(TPDFPageSize value);
  void SetThumbnail(int index);
  void SetWidth(int value) override;
  void SetHeight(int value) override;

  TPDFAnnotation* SetUrl(const TRect& rect, const std::string& url);
  void SetPattern(TPDFPattern* pattern);
  void TurnOffOptionalContent();
  void AddAnnotation(TPDFAnnotation* a) { FAnnotations.emplace_back(a); }
  int AnnotationCount() const { return static_cast<int>(FAnnotations.size()); }
  TPDFAnnotation* Annotation(int i) const { return FAnnotations[i].get(); }
  void Save() override;

 protected:
  bool AutoURL() const override;
  void CreateUrlLink(const TRect& r, const std::string& url) override;

 private:
  friend class TPDFPages;
  void CheckNoContent() const;
  void CreateMetafileCanvas();
  void ResizeMetafile();
  void CloseCanvas(bool use);
  TPDFPages* FOwner;
  std::vector<std::unique_ptr<TPDFAnnotation>> FAnnotations;
  std::vector<TPDFForm*> FForms;
  std::vector<std::unique_ptr<TPDFForm>> FMeta;
  std::vector<TPDFPattern*> FPatterns;
  std::vector<TOptionalContent*> FOP;
  std::unique_ptr<TMetafile> FMF;
  std::unique_ptr<TMetafileCanvas> FCanvas;
  bool FMetafilePending = false;
  TPDFPageOrientation FOrientation = poPagePortrait;
  TPDFPageRotate FRotate = pr0;
  int FThumbnail = -1;
};

// Turns a page's metafile into operations of the page's canvas; answers false when the
// metafile's drawing extent is empty (nothing is appended then).
using TPDFMetafileTranslator = std::function<bool(TPDFPage& page, TMetafile& metafile)>;

class TPDFPages : public TPDFManager {
 public:
  TPDFPages(TPDFDocument* owner, TPDFEngine* engine, TPDFFonts* fontManager);
  ~TPDFPages() override;

  void Add();
  void CreateCanvas();
  void RequestCanvas() { FAskCanvas = true; }
  void CloseCanvas();
  void SetCurrentPage(int index);
  TPDFPage* GetPage(int index) const;
  void SaveIndex(int index);
  int Count() const { return static_cast<int>(FList.size()); }
  TPDFPage* CurrentPage() const { return FCurrentPage; }
  int CurrentPageIndex() const { return FCurrentPageIndex; }
  TPDFEMFParseOptions& EMFOptions() { return FEMFOptions; }
  TPDFDocument* Owner() const { return FOwner; }
  TPDFFonts* Fonts() const { return FFonts; }

  void Clear() override;
  int GetCount() override { return Count(); }
  void Save() override;

  TPDFImages* Images = nullptr;
  TPDFListManager* Patterns = nullptr;
  TPDFActions* Actions = nullptr;
  bool AutoURLCreate = false;

  static void SetMetafileTranslator(TPDFMetafileTranslator translator);
  static const TPDFMetafileTranslator& MetafileTranslator();

 private:
  TPDFDocument* FOwner;
  TPDFFonts* FFonts;
  std::vector<std::unique_ptr<TPDFPage>> FList;
  TPDFPage* FCurrentPage = nullptr;
  int FCurrentPageIndex = -1;
  bool FAskCanvas = false;
  TPDFEMFParseOptions FEMFOptions;
};
