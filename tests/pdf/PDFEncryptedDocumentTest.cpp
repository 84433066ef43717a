#include <gtest/gtest.h>

#include "PdfToolRunner.h"
#include "pdf/PDFDocument.h"

using namespace pdftest;

namespace {

struct TLevelCase {
  TPDFSecurityState State;
  const char* Name;
  const char* Header;
  const char* Revision;
};
const TLevelCase LevelCases[] = {{ss40RC4, "rc4-40", "%PDF-1.4", "R = 2"},
                                 {ss128RC4, "rc4-128", "%PDF-1.5", "R = 3"},
                                 {ss128AES, "aes-128", "%PDF-1.7", "R = 4"},
                                 {ss256AES, "aes-256", "%PDF-1.7", "R = 6"}};

// Two pages of text in a standard face, a link and the document information, written by the
// document with the given protection.
void WriteDocument(const std::string& file, const TPDFSecurityOptions& security) {
  TPDFDocument doc;
  doc.SetFileName(Utf8ToUnicode(file));
  doc.SetSecurity(security);
  doc.DocumentInfo().Title = u"Quarterly (secret) report";
  doc.DocumentInfo().Author = u"Tester";
  doc.BeginDoc();
  doc.CurrentPage()->SetActiveFont(stdfHelvetica, 12);
  doc.CurrentPage()->TextOut(50, 50, 0, "Encrypted page text");
  doc.CurrentPage()->SetUrl(TRect(50, 100, 200, 120), "https://example.org/private");
  // A labelled group of optional contents: its label sits in the order array of the catalog's
  // optional-content dictionary.
  TOptionalContent* group = doc.OptionalContents().Add("Layer group");
  group->AddNested(doc.OptionalContents().Add("Inner layer"));
  // Form fields carry encrypted strings of their own (captions, appearances, field names).
  TPDFRadioGroup* choice = doc.AcroForms().AddRadioGroup("Confidential choice");
  for (int i = 0; i < 2; ++i)
    new TPDFRadioButton(doc.CurrentPage(), TRect(50, 150 + 30 * i, 70, 170 + 30 * i), choice, "opt" + std::to_string(i),
                        i == 1);
  doc.NewPage();
  doc.CurrentPage()->SetActiveFont(stdfCourier, 10);
  doc.CurrentPage()->TextOut(50, 50, 0, "Second page");
  doc.EndDoc();
}

std::string Qpdf(const std::string& args) { return RunCommand("qpdf " + args + " 2>&1").Output; }

}  // namespace

TEST(PDFEncryptedDocument, DefaultsLeaveTheFilePlain) {
  TPDFDocument doc;
  EXPECT_EQ(doc.Security().State, ssNone);  // never RC4-40 unless asked for
  EXPECT_TRUE(doc.Security().CryptMetadata);
  TScratchDir dir("doc-plain");
  WriteDocument(dir.File("plain.pdf"), doc.Security());
  std::string data = ReadFile(dir.File("plain.pdf"));
  EXPECT_EQ(data.substr(0, 8), "%PDF-1.4");
  EXPECT_EQ(data.find("/Encrypt"), std::string::npos);
  EXPECT_NE(data.find("/ID [<"), std::string::npos);
  if (!HaveTool("qpdf")) GTEST_SKIP() << "qpdf is not installed: reader check skipped";
  EXPECT_NE(Qpdf("--show-encryption '" + dir.File("plain.pdf") + "'").find("File is not encrypted"), std::string::npos);
}

// Every level through the whole document: the header and catalog it selects, nothing readable in
// the file, and for the reader the right passwords only, the revision and permissions as set,
// the text, the title and the link back after decryption, and a clean structure check.
TEST(PDFEncryptedDocument, EveryLevelOpensWithItsPasswordsOnly) {
  if (!HaveTool("qpdf")) GTEST_SKIP() << "qpdf is not installed: reader check skipped";
  TScratchDir dir("doc-levels");
  WriteFile(dir.File("user.pw"), "reader");
  WriteFile(dir.File("owner.pw"), "author");
  for (const TLevelCase& level : LevelCases) {
    for (bool cryptMetadata : {true, false}) {
      SCOPED_TRACE(std::string(level.Name) + (cryptMetadata ? "" : ", metadata plain"));
      TPDFSecurityOptions sec;
      sec.State = level.State;
      sec.UserPassword = "reader";
      sec.OwnerPassword = "author";
      sec.Permissions = {coPrint, coPrintHi};
      sec.CryptMetadata = cryptMetadata;
      const std::string file = dir.File(std::string(level.Name) + (cryptMetadata ? "" : "-plainxmp") + ".pdf");
      WriteDocument(file, sec);
      const std::string data = ReadFile(file);
      EXPECT_EQ(data.substr(0, 8), level.Header);
      EXPECT_EQ(data.find("example.org"), std::string::npos);
      EXPECT_EQ(data.find("Confidential"), std::string::npos);
      const bool aes = level.State == ss128AES || level.State == ss256AES;
      const bool plainXmp = aes && !cryptMetadata;
      EXPECT_EQ(data.find("<?xpacket") != std::string::npos, plainXmp);
      EXPECT_EQ(data.find("/EncryptMetadata false") != std::string::npos, plainXmp);
      EXPECT_EQ(data.find("ExtensionLevel 8") != std::string::npos, level.State == ss256AES);

      const std::string user = "--password-file='" + dir.File("user.pw") + "' ", owner = "--password-file='" + dir.File("owner.pw") + "' ";
      std::string check = Qpdf("--check " + user + "'" + file + "'");
      EXPECT_NE(check.find("No syntax or stream encoding errors"), std::string::npos) << check;
      EXPECT_EQ(check.find("WARNING"), std::string::npos) << check;
      std::string show = Qpdf("--show-encryption " + user + "'" + file + "'");
      EXPECT_NE(show.find(level.Revision), std::string::npos) << show;
      EXPECT_NE(show.find("print low resolution: allowed"), std::string::npos) << show;
      EXPECT_NE(show.find("extract for any purpose: not allowed"), std::string::npos) << show;
      EXPECT_NE(show.find("modify anything: not allowed"), std::string::npos) << show;
      if (level.State != ss40RC4) {
        EXPECT_NE(show.find("print high resolution: allowed"), std::string::npos) << show;
      }
      EXPECT_NE(Qpdf("--show-encryption " + owner + "'" + file + "'").find("Supplied password is owner password"),
                std::string::npos);
      for (const std::string& pw : {user, owner}) {
        const std::string out = dir.File("decrypted.pdf");
        RunCommand("rm -f '" + out + "'");
        std::string dec = Qpdf("--decrypt --qdf --object-streams=disable " + pw + "'" + file + "' '" + out + "'");
        std::string plain = ReadFile(out);
        ASSERT_FALSE(plain.empty()) << dec;
        EXPECT_NE(plain.find("(Encrypted page text)"), std::string::npos);
        EXPECT_NE(plain.find("(Second page)"), std::string::npos);
        EXPECT_NE(plain.find("https://example.org/private"), std::string::npos);
        EXPECT_NE(plain.find("<?xpacket"), std::string::npos);
        EXPECT_NE(plain.find("W5M0MpCehiHzreSzNTczkc9d"), std::string::npos);
        EXPECT_EQ(plain.find("Layer group"), std::string::npos);  // text strings stay UTF-16
      }
      std::string json = Qpdf("--json --json-key=qpdf " + user + "'" + file + "'");
      EXPECT_NE(json.find("\"/Title\": \"u:Quarterly (secret) report\""), std::string::npos) << json.substr(0, 2000);
      // The group's label in the order array (its own /Name says the same, so look there).
      std::size_t order = json.find("\"/Order\"");
      ASSERT_NE(order, std::string::npos);
      EXPECT_NE(json.substr(order, json.find(']', order) - order).find("\"u:Layer group\""), std::string::npos)
          << json.substr(order, 200);
      EXPECT_NE(json.find("\"/Name\": \"u:Inner layer\""), std::string::npos);
      EXPECT_NE(json.find("\"/T\": \"u:Confidential choice\""), std::string::npos);
      EXPECT_NE(json.find("\"/DA\": \"u:/ZaDb 0 Tf"), std::string::npos);
      EXPECT_EQ(RunCommand("qpdf --decrypt '" + file + "' '" + dir.File("x.pdf") + "' >/dev/null 2>&1").Status != 0, true);
    }
  }
}
