#include "pdf/PDFPages.h"

#include <algorithm>
#include <cmath>

#include "pdf/PDFEMF.h"
#include "pdf/PDFImage.h"
#include "platform/graphics/DeviceContext.h"

namespace {

const TPDFPageSizeInfo kPageSizes[19] = {
    {792, 612},  {842, 595},  {1190, 842}, {1008, 612}, {728, 516}, {649, 459}, {792, 595},
    {1031, 728}, {595, 419},  {936, 612},  {756, 522},  {1031, 728}, {708, 499}, {459, 323},
    {623, 312},  {540, 279},  {639, 279},  {684, 297},  {747, 324},
};

TPDFMetafileTranslator& TranslatorSlot() {
  static TPDFMetafileTranslator t = PDFTranslateMetafile;
  return t;
}

}  // namespace

const TPDFPageSizeInfo& PDFPageSize(TPDFPageSize size) { return kPageSizes[size]; }

// ---- metafile options ---------------------------------------------------------------------------

TPDFEMFParseOptions::TPDFEMFParseOptions() { FUsedDC = GetDC(nullptr); }

TPDFEMFParseOptions::~TPDFEMFParseOptions() { Release(); }

void TPDFEMFParseOptions::Release() {
  if (!FUsedDC) return;
  if (FUseScreen)
    ReleaseDC(nullptr, FUsedDC);
  else
    DeleteDC(FUsedDC);
  FUsedDC = nullptr;
}

void TPDFEMFParseOptions::SetUsedDC(HDC dc) {
  Release();
  if (dc) {
    FUsedDC = CreateCompatibleDC(dc);
    FUseScreen = false;
  } else {
    FUsedDC = GetDC(nullptr);
    FUseScreen = true;
  }
}

// ---- the page -----------------------------------------------------------------------------------

TPDFPage::TPDFPage(TPDFEngine* engine, TPDFPages* owner, TPDFFonts* fontManager)
    : TPDFCanvas(engine, fontManager), FOwner(owner) {
  FWidth = kPageSizes[psA4].Width;
  FHeight = kPageSizes[psA4].Height;
}

TPDFPage::~TPDFPage() {
  FCanvas.reset();
  FMF.reset();
}

void TPDFPage::CheckNoContent() const {
  if (FActions) throw EPDFException("Page in progress");
}

void TPDFPage::SetSize(TPDFPageSize value) {
  CheckNoContent();
  if (value < psLetter || value > psEnv11) throw EPDFException("Out of range");
  FHeight = kPageSizes[value].Height;
  FWidth = kPageSizes[value].Width;
}

void TPDFPage::SetOrientation(TPDFPageOrientation value) {
  CheckNoContent();
  FOrientation = value;
  if ((value == poPagePortrait && FHeight < FWidth) || (value == poPageLandscape && FWidth < FHeight))
    std::swap(FWidth, FHeight);
}

void TPDFPage::SetWidth(int value) {
  CheckNoContent();
  int w = FWidth;
  TPDFCanvas::SetWidth(value);
  if (w != FWidth) ResizeMetafile();
}

void TPDFPage::SetHeight(int value) {
  CheckNoContent();
  int h = FHeight;
  TPDFCanvas::SetHeight(value);
  if (h != FHeight) ResizeMetafile();
}

void TPDFPage::SetThumbnail(int index) {
  if (index < -1 || index >= static_cast<int>(FEngine->Resources.Images.size()))
    throw EPDFException("Out of range");
  FThumbnail = index;
}

TCanvas* TPDFPage::Canvas() {
  if (FMetafilePending) {
    FMetafilePending = false;
    CreateMetafileCanvas();
  }
  return FCanvas.get();
}

void TPDFPage::CreateMetafileCanvas() {
  HDC ref = FOwner->EMFOptions().UsedDC();
  FMF = std::make_unique<TMetafile>();
  FMF->SetWidth(MulDiv(FWidth, GetDeviceCaps(ref, LOGPIXELSX), 72));
  FMF->SetHeight(MulDiv(FHeight, GetDeviceCaps(ref, LOGPIXELSY), 72));
  FCanvas = std::make_unique<TMetafileCanvas>(*FMF, ref);
}

void TPDFPage::ResizeMetafile() {
  if (!FMF) return;
  HDC ref = FOwner->EMFOptions().UsedDC();
  FCanvas.reset();
  FMF->SetWidth(MulDiv(FWidth, GetDeviceCaps(ref, LOGPIXELSX), 72));
  FMF->SetHeight(MulDiv(FHeight, GetDeviceCaps(ref, LOGPIXELSY), 72));
  FCanvas = std::make_unique<TMetafileCanvas>(*FMF, ref);
}

void TPDFPage::CloseCanvas(bool use) {
  FMetafilePending = false;
  if (!FMF) return;
  FCanvas.reset();  // completes the metafile
  const TPDFMetafileTranslator& translate = TPDFPages::MetafileTranslator();
  if (use && translate) {
    EndText();
    TAnsiStringList old;
    std::swap(old, FContent);
    FontChanged();
    bool drawn = false;
    try {
      drawn = translate(*this, *FMF);
    } catch (...) {
      std::swap(old, FContent);
      FMF.reset();
      throw;
    }
    EndText();
    if (drawn) {
      std::string joined = FOwner->EMFOptions().CanvasOver ? FContent.Text() + "\r" + old.Text()
                                                           : old.Text() + "\r" + FContent.Text();
      FContent.SetText(joined);
    } else {
      std::swap(old, FContent);
    }
  }
  FMF.reset();
}

bool TPDFPage::AutoURL() const { return FOwner->AutoURLCreate; }

void TPDFPage::CreateUrlLink(const TRect& r, const std::string& url) { SetUrl(r, url); }

TPDFAnnotation* TPDFPage::SetUrl(const TRect& rect, const std::string& url) {
  auto* action = new TPDFUrlAction(FOwner->Actions, url);
  auto* a = new TPDFActionAnnotation(this, rect, action);
  a->SetBorderStyle("[]");
  return a;
}

void TPDFPage::SetPattern(TPDFPattern* pattern) {
  auto it = std::find(FPatterns.begin(), FPatterns.end(), pattern);
  int idx = static_cast<int>(it - FPatterns.begin());
  if (it == FPatterns.end()) FPatterns.push_back(pattern);
  EndText();
  FContent.Add("/Pattern cs /Ptn" + PDFIntToStr(idx) + " scn");
}

void TPDFPage::TurnOffOptionalContent() {
  FContent.Add("EMC");
  FBCDStart = false;
}

void TPDFPage::Save() {
  if (FBCDStart) TurnOffOptionalContent();
  CloseAllLevels();
  for (auto& m : FMeta) m->Save();
  for (auto& a : FAnnotations) a->Save();

  int r = FEngine->GetNextID();
  std::string s = ColorSpaceEntries() + ProcSetEntry() + FontEntries() + ExtGStateEntries();
  if (!FOP.empty()) {
    s += "/Properties <<\r\n";
    for (std::size_t i = 0; i < FOP.size(); ++i)
      s += "/OC" + PDFIntToStr(static_cast<int>(i)) + " " + FOP[i]->RefID() + "\r\n";
    s += ">>\r\n";
  }
  if (!FPatterns.empty()) {
    s += "/Pattern <<\r\n";
    for (std::size_t i = 0; i < FPatterns.size(); ++i)
      s += "/Ptn" + PDFIntToStr(static_cast<int>(i)) + " " + FPatterns[i]->RefID() + "\r\n";
    s += ">>\r\n";
  }
  if (!FLinkedImages.empty() || !FMeta.empty() || !FForms.empty()) {
    s += "/XObject <<\r\n" + ImageEntries();
    for (std::size_t i = 0; i < FForms.size(); ++i)
      s += "/Frm" + PDFIntToStr(static_cast<int>(i)) + " " + FForms[i]->RefID() + "\r\n";
    for (std::size_t i = 0; i < FMeta.size(); ++i)
      s += "/IF" + PDFIntToStr(static_cast<int>(i)) + " " + FMeta[i]->RefID() + "\r\n";
    s += ">>\r\n";
  }
  FEngine->StartObj(r);
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();

  int c = FEngine->GetNextID();
  FEngine->StartObj(c);
  std::string content;
  std::size_t n = 0;
  for (int i = 0; i < FContent.Count(); ++i) n += FContent.Get(i).size() + 2;
  content.reserve(n);
  FContent.AppendText(content);
  // A written page is never written again: its lines go now, so that a long document written in
  // one pass holds one page's content at a time.
  FContent.Clear();
  FEngine->SaveContentStream(content);

  FEngine->StartObj(ID());
  std::string p = "/Type /Page\r\n/Parent " + PDFObjectRef(FOwner->ID()) + "\r\n/MediaBox [0 0 " +
                  PDFIntToStr(FWidth) + " " + PDFIntToStr(FHeight) + "]\r\n";
  if (FThumbnail >= 0 && FThumbnail < static_cast<int>(FEngine->Resources.Images.size()))
    p += "/Thumb " + FEngine->Resources.Images[FThumbnail]->RefID() + "\r\n";
  if (FRotate != pr0) p += "/Rotate " + PDFIntToStr(90 * FRotate) + "\r\n";
  p += "/Resources " + PDFObjectRef(r) + "\r\n/Contents [" + PDFObjectRef(c) + "]\r\n";
  if (!FAnnotations.empty()) {
    p += "/Annots [";
    for (auto& a : FAnnotations) p += a->RefID() + " ";
    p += "]\r\n";
  }
  FEngine->SaveToStream(p, false);
  FEngine->CloseObj();
}

// ---- the page list ------------------------------------------------------------------------------

TPDFPages::TPDFPages(TPDFDocument* owner, TPDFEngine* engine, TPDFFonts* fontManager)
    : TPDFManager(engine), FOwner(owner), FFonts(fontManager) {}

TPDFPages::~TPDFPages() { TPDFPages::Clear(); }

void TPDFPages::SetMetafileTranslator(TPDFMetafileTranslator translator) {
  TranslatorSlot() = std::move(translator);
}

const TPDFMetafileTranslator& TPDFPages::MetafileTranslator() { return TranslatorSlot(); }

void TPDFPages::Add() {
  if (!FList.empty()) CloseCanvas();
  FList.push_back(std::make_unique<TPDFPage>(FEngine, this, FFonts));
  FCurrentPage = FList.back().get();
  FCurrentPageIndex = Count() - 1;
  CreateCanvas();
}

void TPDFPages::CreateCanvas() {
  if (!FCurrentPage) return;
  if (FCurrentPage->HasMetafile()) throw EPDFException("Canvas for this page already created");
  FCurrentPage->FMetafilePending = true;
  FAskCanvas = false;
}

void TPDFPages::CloseCanvas() {
  if (FCurrentPage) FCurrentPage->CloseCanvas(FAskCanvas);
  FAskCanvas = false;
}

void TPDFPages::SetCurrentPage(int index) {
  if (index < 0 || index >= Count()) throw EPDFException("Out of range");
  CloseCanvas();
  FCurrentPage = FList[index].get();
  FCurrentPageIndex = index;
  CreateCanvas();
}

TPDFPage* TPDFPages::GetPage(int index) const {
  if (index < 0 || index >= Count()) throw EPDFException("Out of range");
  return FList[index].get();
}

void TPDFPages::SaveIndex(int index) { GetPage(index)->Save(); }

void TPDFPages::Clear() {
  FList.clear();
  FCurrentPage = nullptr;
  FCurrentPageIndex = -1;
  FAskCanvas = false;
  TPDFManager::Clear();
}

void TPDFPages::Save() {
  FEngine->StartObj(ID());
  std::string s = "/Type /Pages\r\n/Kids [\r\n";
  for (auto& p : FList) s += p->RefID() + " \r\n";
  s += "]\r\n/Count " + PDFIntToStr(Count()) + "\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
}
