// The component through which the program writes a PDF file: options, the document information,
// BeginDoc / NewPage / EndDoc / Abort, and the managers of every part of the file.
//
// A file is written to a temporary file in the target's folder and renamed over the target only
// when EndDoc succeeds, so a refused or failed export leaves an existing file as it was.
#pragma once

#include <memory>
#include <string>

#include "pdf/PDFActions.h"
#include "pdf/PDFAnnots.h"
#include "pdf/PDFEngine.h"
#include "pdf/PDFFont.h"
#include "pdf/PDFForms.h"
#include "pdf/PDFImage.h"
#include "pdf/PDFPages.h"
#include "platform/base/Persistent.h"

// The library's identification texts.
inline constexpr const char* kPDFProducer = "Tavrelopad PDF writer 1.0";
inline constexpr const char16_t* kPDFCreator = u"Tavrelopad";
inline constexpr const char16_t* kPDFKeywords = u"Tavrelopad";

class TPDFDocInfo : public TPersistent {
 public:
  TPDFDocInfo();
  void Assign(TPersistent* source) override;
  UnicodeString Author, Creator, Keywords, Subject, Title;
  TDateTime CreationDate = 0;  // local time
  const UnicodeString& Producer() const { return FProducer; }

 private:
  UnicodeString FProducer;
};

class TPDFSecurityOptions : public TPersistent {
 public:
  void Assign(TPersistent* source) override;
  std::string OwnerPassword, UserPassword;
  TPDFSecurityPermissions Permissions;
  TPDFSecurityState State = ssNone;
  bool CryptMetadata = true;
};

class TPDFDocument : public TComponent {
 public:
  explicit TPDFDocument(TComponent* owner = nullptr);
  ~TPDFDocument() override;

  void BeginDoc();
  void NewPage();
  void EndDoc();
  void Abort();
  TPDFPage* GetPage(int index);

  // ---- options ----
  bool AutoCreateURL() const { return FPages->AutoURLCreate; }
  void SetAutoCreateURL(bool v) { FPages->AutoURLCreate = v; }
  bool AutoLaunch = false;
  TCompressionType Compression() const { return FCompression; }
  void SetCompression(TCompressionType v);
  TPDFDocInfo& DocumentInfo() { return FDocumentInfo; }
  void SetDocumentInfo(TPDFDocInfo& v) { FDocumentInfo.Assign(&v); }
  TPDFEMFParseOptions& EMFOptions() { return FPages->EMFOptions(); }
  const UnicodeString& FileName() const { return FFileName; }
  void SetFileName(const UnicodeString& v);
  int JPEGQuality() const { return FJPEGQuality; }
  void SetJPEGQuality(int v);
  bool OnePass() const { return FOnePass; }
  void SetOnePass(bool v);
  TPageLayout PageLayout = plSinglePage;
  TPageMode PageMode = pmUseNone;
  int Resolution() const { return FResolution; }
  void SetResolution(int v);
  // Changes go through SetSecurity while no file is generated.
  const TPDFSecurityOptions& Security() const { return FSecurity; }
  void SetSecurity(const TPDFSecurityOptions& v);
  TViewerPreferences ViewerPreferences;
  bool PDFACompatible() const { return FPDFACompatible; }
  void SetPDFACompatible(bool v);
  TOptionalContents& OptionalContents() { return *FOptionalContents; }
  HDC UsedDC() { return EMFOptions().UsedDC(); }
  TCanvas* Canvas();
  TPDFPage* CurrentPage();
  int CurrentPageIndex();
  void SetCurrentPageIndex(int v);
  int PageCount();
  int PageNumber() { return CurrentPageIndex() + 1; }
  TPDFImages* Images();
  TStream* OutputStream() const { return FOutputStream; }
  void SetOutputStream(TStream* v);
  void SetOpenDocumentAction(TPDFAction* v);
  void SetRGBICCStream(TStream* v);
  void SetCMYKICCStream(TStream* v);
  TStringList& NonEmbeddedFonts() { return FFonts->NonEmbeddedFonts(); }
  TPDFAcroForms& AcroForms() { return *FAcroForms; }
  TPDFActions& Actions() { return *FActions; }
  TPDFNames& Names() { return *FNames; }
  TPDFOutlines& Outlines() { return *FOutlines; }
  TPDFListManager& Patterns() { return *FPatterns; }
  TPDFListManager& Forms() { return *FForms; }
  TPDFListManager& GStates() { return *FGStates; }
  TPDFFonts& Fonts() { return *FFonts; }
  TPDFEngine& Engine() { return *FEngine; }
  bool Aborted() const { return FAborted; }
  bool Printing() const { return FPrinting; }

  // The shell's "open" after a successful EndDoc with AutoLaunch; failures are ignored.
  static std::function<void(const UnicodeString&)>& ShellOpen();

 private:
  void CheckNotPrinting() const;
  void CheckPrinting() const;
  void ClearGeneration();
  void StoreDocument();
  int SaveDocumentInfo();
  int SaveCryptDictionary();
  int SaveCatalog(int metadataID);
  void RemoveTemporaryFile();

  bool FAborted = false, FPrinting = false;
  std::unique_ptr<TPDFEngine> FEngine;
  std::unique_ptr<TPDFFonts> FFonts;
  std::unique_ptr<TPDFPages> FPages;
  std::unique_ptr<TPDFImages> FImages;
  std::unique_ptr<TPDFActions> FActions;
  std::unique_ptr<TPDFOutlines> FOutlines;
  std::unique_ptr<TPDFAcroForms> FAcroForms;
  std::unique_ptr<TPDFListManager> FForms, FPatterns, FGStates;
  std::unique_ptr<TPDFNames> FNames;
  std::unique_ptr<TOptionalContents> FOptionalContents;
  std::unique_ptr<TStream> FStream;
  TStream* FOutputStream = nullptr;
  TPDFAction* FOpenDocumentAction = nullptr;
  TStream *FRGBICCStream = nullptr, *FCMYKICCStream = nullptr;
  TCompressionType FCompression = ctFlate;
  int FJPEGQuality = 80;
  bool FOnePass = false;
  int FResolution = 72;
  bool FPDFACompatible = false;
  UnicodeString FFileName;
  UnicodeString FTempFileName;  // the file being written, renamed over FFileName by EndDoc
  TPDFDocInfo FDocumentInfo;
  TPDFSecurityOptions FSecurity;
};
