#include "pdf/PDFDocument.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/foundation/RVSafeSave.h"
#include "platform/base/NLS.h"

// ---- information and security options ------------------------------------------------------------

TPDFDocInfo::TPDFDocInfo()
    : Author(u"Windows User"),
      Creator(kPDFCreator),
      Keywords(kPDFKeywords),
      Subject(u"None"),
      Title(u"No Title"),
      CreationDate(NowLocal()),
      FProducer(AsciiToUnicode(kPDFProducer)) {}

void TPDFDocInfo::Assign(TPersistent* source) {
  if (auto* s = dynamic_cast<TPDFDocInfo*>(source)) {
    Creator = s->Creator;
    CreationDate = s->CreationDate;
    Author = s->Author;
    Title = s->Title;
    Subject = s->Subject;
    Keywords = s->Keywords;
    return;
  }
  TPersistent::Assign(source);
}

void TPDFSecurityOptions::Assign(TPersistent* source) {
  if (auto* s = dynamic_cast<TPDFSecurityOptions*>(source)) {
    State = s->State;
    OwnerPassword = s->OwnerPassword;
    UserPassword = s->UserPassword;
    Permissions = s->Permissions;
    CryptMetadata = s->CryptMetadata;
    return;
  }
  TPersistent::Assign(source);
}

// ---- the component ------------------------------------------------------------------------------

static const char* kNotActivated = "Generation PDF file not activated";
static const char* kInProgress = "Generation PDF file in progress";

TPDFDocument::TPDFDocument(TComponent* owner) : TComponent(owner) {
  FEngine = std::make_unique<TPDFEngine>();
  FEngine->FResolution = 72;
  FFonts = std::make_unique<TPDFFonts>(FEngine.get());
  FPages = std::make_unique<TPDFPages>(this, FEngine.get(), FFonts.get());
  FImages = std::make_unique<TPDFImages>(FEngine.get());
  FActions = std::make_unique<TPDFActions>(FEngine.get(), FPages.get());
  FOutlines = std::make_unique<TPDFOutlines>(FEngine.get());
  FAcroForms = std::make_unique<TPDFAcroForms>(FEngine.get(), FFonts.get());
  FForms = std::make_unique<TPDFListManager>(FEngine.get());
  FPatterns = std::make_unique<TPDFListManager>(FEngine.get());
  FGStates = std::make_unique<TPDFListManager>(FEngine.get());
  FNames = std::make_unique<TPDFNames>(FEngine.get(), FPages.get());
  FOptionalContents = std::make_unique<TOptionalContents>(FEngine.get());
  FPages->Images = FImages.get();
  FPages->Patterns = FPatterns.get();
  FPages->Actions = FActions.get();
}

TPDFDocument::~TPDFDocument() {
  // An unfinished generation leaves no temporary file behind.
  bool wasPrinting = FPrinting;
  ClearGeneration();
  if (wasPrinting) RemoveTemporaryFile();
  FNames.reset();
  FPatterns.reset();
  FPages.reset();
  FFonts.reset();
  FImages.reset();
  FOutlines.reset();
  FForms.reset();
  FAcroForms.reset();
  FGStates.reset();
  FOptionalContents.reset();
  FActions.reset();
  FEngine.reset();
}

std::function<void(const UnicodeString&)>& TPDFDocument::ShellOpen() {
  static std::function<void(const UnicodeString&)> open;
  return open;
}

void TPDFDocument::CheckNotPrinting() const {
  if (FPrinting) throw EPDFException(kInProgress);
}

void TPDFDocument::CheckPrinting() const {
  if (!FPrinting) throw EPDFException(kNotActivated);
}

void TPDFDocument::SetCompression(TCompressionType v) {
  FCompression = v;
  FEngine->FCompression = v;
}

void TPDFDocument::SetFileName(const UnicodeString& v) {
  CheckNotPrinting();
  FFileName = v;
}

void TPDFDocument::SetJPEGQuality(int v) {
  FJPEGQuality = v;
  if (FPrinting) FImages->SetJPEGQuality(v);
}

void TPDFDocument::SetOnePass(bool v) {
  CheckNotPrinting();
  FOnePass = v;
}

void TPDFDocument::SetResolution(int v) {
  if (v <= 0) throw EPDFException("Out of range");
  FResolution = v;
  FEngine->FResolution = v;
}

void TPDFDocument::SetSecurity(const TPDFSecurityOptions& v) {
  CheckNotPrinting();
  if (FPDFACompatible && v.State != ssNone)
    throw EPDFException("Cannot set this value for PDF/A document.");
  FSecurity.Assign(const_cast<TPDFSecurityOptions*>(&v));
}

void TPDFDocument::SetPDFACompatible(bool v) {
  CheckNotPrinting();
  if (v && FSecurity.State != ssNone)
    throw EPDFException("Cannot set this value for encrypted PDF document.");
  FPDFACompatible = v;
  FEngine->PDFACompatibile = v;
}

TCanvas* TPDFDocument::Canvas() {
  CheckPrinting();
  FPages->RequestCanvas();
  return FPages->CurrentPage()->Canvas();
}

TPDFPage* TPDFDocument::CurrentPage() {
  CheckPrinting();
  return FPages->CurrentPage();
}

int TPDFDocument::CurrentPageIndex() {
  CheckPrinting();
  return FPages->CurrentPageIndex();
}

void TPDFDocument::SetCurrentPageIndex(int v) {
  CheckPrinting();
  if (FOnePass) throw EPDFException("Cannot change page in one pass mode");
  if (v < 0 || v >= FPages->Count()) throw EPDFException("Out of range");
  FPages->SetCurrentPage(v);
}

int TPDFDocument::PageCount() {
  CheckPrinting();
  return FPages->Count();
}

TPDFImages* TPDFDocument::Images() {
  CheckPrinting();
  return FImages.get();
}

void TPDFDocument::SetOutputStream(TStream* v) {
  CheckNotPrinting();
  FOutputStream = v;
}

void TPDFDocument::SetOpenDocumentAction(TPDFAction* v) {
  CheckPrinting();
  FOpenDocumentAction = v;
}

void TPDFDocument::SetRGBICCStream(TStream* v) {
  CheckNotPrinting();
  FRGBICCStream = v;
  FEngine->RGBICCStream = v;
}

void TPDFDocument::SetCMYKICCStream(TStream* v) {
  CheckNotPrinting();
  FCMYKICCStream = v;
  FEngine->CMYKICCStream = v;
}

TPDFPage* TPDFDocument::GetPage(int index) {
  CheckPrinting();
  if (FOnePass) throw EPDFException("Cannot access to page in One Pass mode");
  if (index < 0 || index >= FPages->Count()) throw EPDFException("Out of range");
  return FPages->GetPage(index);
}

// ---- generation ---------------------------------------------------------------------------------

void TPDFDocument::ClearGeneration() {
  FPages->Clear();
  FAcroForms->Clear();
  FOutlines->Clear();
  FNames->Clear();
  FForms->Clear();
  FPatterns->Clear();
  FGStates->Clear();
  FOptionalContents->Clear();
  FActions->Clear();
  FImages->Clear();
  FFonts->Clear();
  FOpenDocumentAction = nullptr;
  FStream.reset();  // closes the file
  FEngine->SetStream(nullptr);
  FEngine->Reset();
}

void TPDFDocument::RemoveTemporaryFile() {
  if (FTempFileName.empty()) return;
  ::unlink(FileNameToNative(FTempFileName).c_str());
  FTempFileName.clear();
}

void TPDFDocument::BeginDoc() {
  if (FPrinting) throw EPDFException(kInProgress);
  ClearGeneration();
  FTempFileName.clear();
  try {
    FEngine->InitSecurity(FSecurity.State, FSecurity.Permissions, FSecurity.UserPassword,
                          FSecurity.OwnerPassword, UnicodeToAnsiString(FFileName),
                          FSecurity.CryptMetadata);
    if (FOutputStream) {
      FStream = std::make_unique<TMemoryStream>();
    } else {
      int fd = -1;
      FTempFileName = RVCreateTemporaryBeside(FFileName, fd);
      ::close(fd);
      std::unique_ptr<TFileStream> file;
      try {
        file = std::make_unique<TFileStream>(FTempFileName, fmOpenReadWrite);
      } catch (const EFOpenError&) {
        // The user knows the file asked for, not the temporary one beside it.
        const int error = errno;
        throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {FFileName, Utf8ToUnicode(std::strerror(error))}));
      }
      FStream = std::make_unique<TPDFBufferedStream>(std::move(file), std::size_t(1) << 16, FFileName);
    }
    FEngine->SetStream(FStream.get());
    FEngine->FResolution = FResolution;
    FEngine->FCompression = FCompression;
    FPrinting = true;
    FAborted = false;
    FPages->Add();
    FImages->SetJPEGQuality(FJPEGQuality);
    FEngine->PDFACompatibile = FPDFACompatible;
    FEngine->RGBICCStream = FRGBICCStream;
    FEngine->CMYKICCStream = FCMYKICCStream;
    TPDFSecurityState st = FSecurity.State;
    FEngine->SaveHeader(st == ss128AES || st == ss256AES ? pdfver17
                                                         : (st == ss128RC4 ? pdfver15 : pdfver14));
  } catch (...) {
    Abort();
    throw;
  }
}

void TPDFDocument::NewPage() {
  CheckPrinting();
  try {
    int previous = FPages->CurrentPageIndex();
    FPages->Add();
    if (FOnePass) FPages->SaveIndex(previous);
  } catch (...) {
    Abort();
    throw;
  }
}

void TPDFDocument::EndDoc() {
  CheckPrinting();
  try {
    StoreDocument();
    if (FOutputStream) {
      auto* mem = static_cast<TMemoryStream*>(FStream.get());
      std::int64_t n = mem->GetSize();
      if (n > 0 && FOutputStream->Write(mem->Memory(), n) != n)
        throw EWriteError("Stream write error");
    } else {
      static_cast<TPDFBufferedStream*>(FStream.get())->Flush();
      FStream.reset();
      if (!RVReplaceWithTemporary(FTempFileName, FFileName))
        throw EFCreateError(Format(u"Cannot create file \"%s\". %s",
                                   {FFileName, Utf8ToUnicode(std::strerror(errno))}));
      FTempFileName.clear();
    }
  } catch (...) {
    Abort();
    throw;
  }
  ClearGeneration();
  FPrinting = false;
  FAborted = false;
  if (AutoLaunch && !FOutputStream && ShellOpen()) {
    try {
      ShellOpen()(FFileName);
    } catch (...) {
    }
  }
}

void TPDFDocument::Abort() {
  try {
    ClearGeneration();
  } catch (...) {
  }
  // Only the file this component was writing goes; a target chosen by the user stays as it was.
  RemoveTemporaryFile();
  FAborted = true;
  FPrinting = false;
}

int TPDFDocument::SaveDocumentInfo() {
  int id = FEngine->GetNextID();
  const TPDFSecurity& sec = FEngine->SecurityInfo;
  auto text = [&](const UnicodeString& u) { return CryptPDFString(sec, WideToPDFTextString(u), id); };
  FEngine->StartObj(id);
  std::string s;
  s += "/Creator " + text(FDocumentInfo.Creator) + "\r\n";
  s += "/CreationDate " +
       text(AsciiToUnicode("D:" + FormatPDFDateTime(LocalToUTC(FDocumentInfo.CreationDate)) + "Z")) +
       "\r\n";
  s += "/ModDate " + CryptPDFString(sec, "D:" + FormatPDFDateTime(NowUTC()) + "Z", id) + "\r\n";
  s += "/Producer " + text(FDocumentInfo.Producer()) + "\r\n";
  s += "/Author " + text(FDocumentInfo.Author) + "\r\n";
  s += "/Title " + text(FDocumentInfo.Title) + "\r\n";
  s += "/Subject " + text(FDocumentInfo.Subject) + "\r\n";
  s += "/Keywords " + text(FDocumentInfo.Keywords) + "\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
  return id;
}

int TPDFDocument::SaveCryptDictionary() {
  int id = FEngine->GetNextID();
  FEngine->StartObj(id);
  std::string s;
  for (const std::string& line : PDFEncryptDictionaryLines(FEngine->SecurityInfo)) s += line + "\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
  return id;
}

int TPDFDocument::SaveCatalog(int metadataID) {
  int id = FEngine->GetNextID();
  FEngine->StartObj(id);
  std::string s = "/Type /Catalog\r\n";
  const std::string extensions = PDFCatalogExtensions(FEngine->SecurityInfo);
  if (!extensions.empty()) s += extensions + "\r\n";
  s += "/Pages " + FPages->RefID() + "\r\n";
  static const char* layouts[] = {"/SinglePage", "/OneColumn", "/TwoColumnLeft", "/TwoColumnRight"};
  s += std::string("/PageLayout ") + layouts[PageLayout] + "\r\n";
  if (!ViewerPreferences.Empty()) {
    s += "/ViewerPreferences <<\r\n";
    static const char* prefs[] = {"/HideToolbar true", "/HideMenubar true", "/HideWindowUI true",
                                  "/FitWindow true", "/CenterWindow true"};
    for (int i = vpHideToolBar; i <= vpCenterWindow; ++i)
      if (ViewerPreferences.Contains(static_cast<TViewerPreference>(i)))
        s += std::string(prefs[i]) + "\r\n";
    s += ">>\r\n";
  }
  static const char* modes[] = {"/UseNone", "/UseOutlines", "/UseThumbs", "/FullScreen"};
  s += std::string("/PageMode ") + modes[PageMode] + "\r\n";
  if (FOutlines->GetCount() > 0) s += "/Outlines " + FOutlines->RefID() + "\r\n";
  if (FNames->GetCount() > 0) s += "/Names " + FNames->RefID() + "\r\n";
  if (FAcroForms->GetCount() > 0) s += "/AcroForm " + FAcroForms->RefID() + "\r\n";
  if (FOptionalContents->GetCount() > 0) s += "/OCProperties " + FOptionalContents->RefID() + "\r\n";
  if (FOpenDocumentAction) s += "/OpenAction " + FOpenDocumentAction->RefID() + "\r\n";
  s += "/Metadata " + PDFObjectRef(metadataID) + "\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
  return id;
}

void TPDFDocument::StoreDocument() {
  int info = SaveDocumentInfo();
  FPages->CloseCanvas();
  if (FOnePass) {
    FPages->SaveIndex(FPages->Count() - 1);
  } else {
    for (int i = 0; i < FPages->Count(); ++i) FPages->SaveIndex(i);
  }
  int encrypt = 0;
  if (FEngine->SecurityInfo.State != ssNone) encrypt = SaveCryptDictionary();
  FEngine->SaveManager(*FPages);
  FEngine->SaveManager(*FFonts);
  FEngine->SaveManager(*FOutlines);
  FEngine->SaveManager(*FNames);
  FEngine->SaveManager(*FAcroForms);
  FEngine->SaveManager(*FActions);
  FEngine->SaveManager(*FGStates);
  FEngine->SaveManager(*FOptionalContents);
  FEngine->SaveManager(*FForms);
  FEngine->SaveManager(*FImages);
  FEngine->SaveManager(*FPatterns);
  FEngine->SavePDFAFeatures();
  int metadata = FEngine->CreateMetadata(FDocumentInfo, !PDFMetadataStaysPlain(FEngine->SecurityInfo));
  int catalog = SaveCatalog(metadata);
  FEngine->SaveXREFAndTrailer(catalog, info, encrypt, FEngine->FileID());
  FAcroForms->FinishSave();
}
