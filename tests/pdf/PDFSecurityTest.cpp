#include <gtest/gtest.h>

#include <cstring>

#include "PdfToolRunner.h"
#include "pdf/PDFCrypt.h"
#include "pdf/PDFSecurity.h"

using namespace pdftest;

namespace {

// Undoes AES string encryption: the vector in front, then CBC with the standard padding.
std::string AESDecrypt(const std::string& key, const std::string& data) {
  std::uint8_t iv[16];
  std::memcpy(iv, data.data(), 16);
  std::string body = data.substr(16);
  TAESCipher aes(key.data(), iv, static_cast<int>(key.size() * 8));
  aes.Decode(body.data(), body.size());
  unsigned pad = static_cast<unsigned char>(body.back());
  EXPECT_TRUE(pad >= 1 && pad <= 16);
  return body.substr(0, body.size() - pad);
}

std::string Between(const std::string& s, const std::string& from, const std::string& to) {
  std::size_t a = s.find(from);
  if (a == std::string::npos) return "";
  a += from.size();
  return s.substr(a, s.find(to, a) - a);
}

const char* const Xmp = "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?><x:xmpmeta xmlns:x='adobe:ns:meta/'>"
                        "<dc:title>Plain metadata marker</dc:title></x:xmpmeta><?xpacket end='w'?>";

// A one-page file written with the handler the way the document writes: every string and
// stream through it under its object's number, the dictionary from PDFEncryptDictionaryLines.
std::string BuildFile(const TPDFSecurity& sec) {
  std::string out = sec.State == ssNone || sec.State == ss40RC4 ? "%PDF-1.4\r\n" : "%PDF-1.7\r\n";
  std::vector<std::int64_t> offsets;
  auto start = [&](int id) {
    offsets.resize(static_cast<std::size_t>(id));
    offsets[static_cast<std::size_t>(id - 1)] = static_cast<std::int64_t>(out.size());
    out += std::to_string(id) + " 0 obj\r\n<<";
  };
  auto stream = [&](int id, const std::string& dict, const std::string& data, bool crypt) {
    start(id);
    TMemoryStream src, dst;
    src.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    std::int64_t len = static_cast<std::int64_t>(data.size());
    if (crypt) {
      CryptPDFStream(sec, src, dst, id);
      len = EncryptedLength(sec.State, len);
      EXPECT_EQ(dst.GetSize(), len);
    } else {
      dst.WriteBuffer(data.data(), len);
    }
    out += "/Length " + std::to_string(len) + "\r\n" + dict + ">>\nstream\r\n";
    out.append(static_cast<const char*>(dst.Memory()), static_cast<std::size_t>(dst.GetSize()));
    out += "\nendstream\nendobj\r\n";
  };
  start(1);
  out += "/Type /Catalog\r\n/Pages 2 0 R\r\n/Metadata 6 0 R\r\n" + PDFCatalogExtensions(sec) + ">>\nendobj\r\n";
  start(2);
  out += "/Type /Pages\r\n/Kids [3 0 R]\r\n/Count 1\r\n>>\nendobj\r\n";
  start(3);
  out += "/Type /Page\r\n/Parent 2 0 R\r\n/MediaBox [0 0 300 200]\r\n/Contents 4 0 R\r\n"
         "/Resources <</Font <</F1 5 0 R>>>>\r\n>>\nendobj\r\n";
  stream(4, "", "BT /F1 12 Tf 20 100 Td (Hello from the page) Tj ET", true);
  start(5);
  out += "/Type /Font\r\n/Subtype /Type1\r\n/BaseFont /Helvetica\r\n>>\nendobj\r\n";
  stream(6, "/Subtype/XML/Type/Metadata\r\n", Xmp, !PDFMetadataStaysPlain(sec));
  start(7);
  out += "/Title " + CryptPDFString(sec, "Secret (title) \\ with\r\nbreaks", 7, true) + "\r\n>>\nendobj\r\n";
  int size = 8;
  if (sec.State != ssNone) {
    start(8);
    for (const auto& line : PDFEncryptDictionaryLines(sec)) out += line + "\r\n";
    out += ">>\nendobj\r\n";
    size = 9;
  }
  std::int64_t xref = static_cast<std::int64_t>(out.size());
  out += "xref\r\n0 " + std::to_string(size) + "\r\n0000000000 65535 f\r\n";
  for (std::int64_t off : offsets) {
    char line[32];
    std::snprintf(line, sizeof line, "%010lld 00000 n\r\n", static_cast<long long>(off));
    out += line;
  }
  out += "trailer\r\n<<\r\n/Size " + std::to_string(size) + "\r\n/Root 1 0 R\r\n/Info 7 0 R\r\n";
  if (sec.State != ssNone) out += "/Encrypt 8 0 R\r\n";
  out += "/ID [<" + sec.FileID + "><" + sec.FileID + ">]\r\n>>\r\nstartxref\r\n" + std::to_string(xref) + "\r\n%%EOF\r\n";
  return out;
}

struct TLevel {
  TPDFSecurityState State;
  const char* Name;
  const char* Revision;
  const char* Method;  // qpdf's name of the stream method (it names only the AES ones)
};
const TLevel Levels[] = {{ss40RC4, "rc4-40", "R = 2", "RC4"},
                         {ss128RC4, "rc4-128", "R = 3", "RC4"},
                         {ss128AES, "aes-128", "R = 4", "AESv2"},
                         {ss256AES, "aes-256", "R = 6", "AESv3"}};

}  // namespace

TEST(PDFSecurity, PermissionWords) {
  using P = TPDFSecurityPermissions;
  struct Case {
    TPDFSecurityState State;
    P Perms;
    std::int32_t Word;
  };
  const Case cases[] = {
      {ss40RC4, {}, -64},
      {ss40RC4, {coPrint, coCopyInformation}, -44},
      {ss40RC4, {coPrintHi, coAssemble, coFillAnnotation}, -64},  // revision 2 has no such bits
      {ss128RC4, {}, -2880},
      {ss256AES, {coPrint, coModifyStructure, coCopyInformation, coModifyAnnotation}, -2820},
      {ss128AES, {coFillAnnotation, coExtractInfo, coPrintHi}, -64},
      // The assemble bit is in the base already: asking for it must not carry into printing.
      {ss128RC4, {coAssemble}, -2880},
      {ss128AES, {coAssemble, coPrint}, -2876},
  };
  for (const Case& c : cases) EXPECT_EQ(PDFPermissionWord(c.State, c.Perms), c.Word) << c.State;
}

TEST(PDFSecurity, UnprotectedPassesDataThrough) {
  TPDFSecurity sec;
  EXPECT_EQ(sec.State, ssNone);  // the default is no protection, never RC4-40
  InitPDFSecurity(sec, ssNone, {coPrint}, true, "file.pdf", "", "");
  EXPECT_EQ(sec.State, ssNone);
  ASSERT_EQ(sec.FileID.size(), 32u);
  EXPECT_EQ(sec.FileID.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_TRUE(sec.Key.empty());
  EXPECT_EQ(CryptPDFString(sec, "a(b)", 5, false), "a(b)");
  EXPECT_EQ(CryptPDFString(sec, "a(b)\\", 5, true), "(a\\(b\\)\\\\)");
  EXPECT_EQ(EncryptedLength(ssNone, 17), 17);
  EXPECT_EQ(EncryptedLength(ss128RC4, 17), 17);
  EXPECT_TRUE(PDFEncryptDictionaryLines(sec).empty());
  EXPECT_EQ(PDFCatalogExtensions(sec), "");
  TMemoryStream src, dst;
  src.WriteBuffer("stream", 6);
  CryptPDFStream(sec, src, dst, 3);
  EXPECT_EQ(std::string(static_cast<char*>(dst.Memory()), 6), "stream");

  // Identifiers differ between two files of the same name made at once.
  TPDFSecurity other;
  InitPDFSecurity(other, ssNone, {}, true, "file.pdf", "", "");
  EXPECT_NE(other.FileID, sec.FileID);
}

// Strings and streams of the AES levels: a random vector in front, a full padding block after
// whole blocks, the per-object key of the standard (with "sAlT" for AES-128, the file key for
// AES-256), and no two encryptions alike.
TEST(PDFSecurity, AESStringsAndStreams) {
  for (TPDFSecurityState state : {ss128AES, ss256AES}) {
    TPDFSecurity sec;
    InitPDFSecurity(sec, state, {}, true, "f", "owner", "user");
    EXPECT_EQ(EncryptedLength(state, 16), 48);
    EXPECT_EQ(EncryptedLength(state, 15), 32);
    EXPECT_EQ(EncryptedLength(state, 0), 32);
    const std::string text(16, 'x');
    std::string a = CryptPDFString(sec, text, 12, false), b = CryptPDFString(sec, text, 12, false);
    ASSERT_EQ(a.size(), 48u);
    EXPECT_NE(a.substr(0, 16), b.substr(0, 16));
    std::string key = state == ss256AES ? sec.Key : MD5Of(sec.Key + std::string("\x0c\0\0\0\0sAlT", 9));
    EXPECT_EQ(PDFObjectKey(sec, 12), key);
    EXPECT_EQ(AESDecrypt(key, a), text);
    EXPECT_EQ(AESDecrypt(key, b), text);
    for (std::size_t len : {0u, 1u, 31u, 32u, 1000u}) {
      std::string data(len, 'q');
      TMemoryStream src, dst;
      if (len) src.WriteBuffer(data.data(), static_cast<std::int64_t>(len));
      dst.WriteBuffer("head", 4);
      CryptPDFStream(sec, src, dst, 70000);
      std::string written(static_cast<char*>(dst.Memory()), static_cast<std::size_t>(dst.GetSize()));
      ASSERT_EQ(written.size(), 4 + static_cast<std::size_t>(EncryptedLength(state, static_cast<std::int64_t>(len))));
      EXPECT_EQ(written.substr(0, 4), "head");
      EXPECT_EQ(AESDecrypt(PDFObjectKey(sec, 70000), written.substr(4)), data);
    }
  }
}

// The key material of each level: lengths, the RC4 per-object key (n + 5 bytes of MD5 over the
// key and the object number's three low bytes), and the revision-6 entries reproduced from the
// salts they carry, so the user and owner passwords unlock the file key and the permissions.
TEST(PDFSecurity, KeysAndEntriesFollowTheStandard) {
  TPDFSecurity s40, s128;
  InitPDFSecurity(s40, ss40RC4, {coPrint}, true, "f", "owner", "user");
  InitPDFSecurity(s128, ss128RC4, {coPrint}, true, "f", "owner", "user");
  EXPECT_EQ(s40.Key.size(), 5u);
  EXPECT_EQ(s128.Key.size(), 16u);
  EXPECT_EQ(s40.Owner.size(), 32u);
  // The owner entry depends on the passwords alone; these values were made by an independent
  // writer (qpdf) for the owner password "owner" and the user password "user".
  EXPECT_EQ(ToHex(s40.Owner), "94e8094419662a774442fb072e3d9f19e9d130ec09a4d0061e78fe920f7ab62f");
  EXPECT_EQ(ToHex(s128.Owner), "0ba3835f88f90388e74e54584125ce142be0de24c6b0d37746e075b891756671");
  EXPECT_EQ(s128.User.size(), 32u);
  EXPECT_EQ(PDFObjectKey(s40, 0x123456), MD5Of(s40.Key + std::string("\x56\x34\x12\0\0", 5)).substr(0, 10));
  EXPECT_EQ(PDFObjectKey(s128, 7), MD5Of(s128.Key + std::string("\x07\0\0\0\0", 5)));
  // Revision 2: the user entry is the padding under the file key.
  std::string pad = PDFPadPassword("");
  EXPECT_EQ(s40.User, RC4Crypt(s40.Key, pad));
  EXPECT_EQ(PDFPadPassword("abc").substr(0, 5), std::string("abc\x28\xBF", 5));
  EXPECT_EQ(PDFPadPassword(std::string(40, 'z')), std::string(32, 'z'));
  // Revision 3: the tail of the user entry is random, within 32..231.
  for (unsigned char c : s128.User.substr(16)) EXPECT_TRUE(c >= 32 && c <= 231);

  TPDFSecurity s;
  InitPDFSecurity(s, ss256AES, {coPrint, coCopyInformation}, false, "f", "owner", "user");
  EXPECT_EQ(s.Version, 5);
  EXPECT_EQ(s.Revision, 6);
  ASSERT_EQ(s.Key.size(), 32u);
  ASSERT_EQ(s.User.size(), 48u);
  ASSERT_EQ(s.Owner.size(), 48u);
  ASSERT_EQ(s.UE.size(), 32u);
  ASSERT_EQ(s.OE.size(), 32u);
  ASSERT_EQ(s.Perm.size(), 16u);
  EXPECT_EQ(s.User.substr(0, 32), PDFPasswordHashR6("user", s.User.substr(32, 8), ""));
  EXPECT_EQ(s.Owner.substr(0, 32), PDFPasswordHashR6("owner", s.Owner.substr(32, 8), s.User));
  EXPECT_EQ(AESEncryptCBCRaw(PDFPasswordHashR6("user", s.User.substr(40, 8), ""), s.Key), s.UE);
  EXPECT_EQ(AESEncryptCBCRaw(PDFPasswordHashR6("owner", s.Owner.substr(40, 8), s.User), s.Key), s.OE);
  std::string perms = s.Perm;
  std::uint8_t iv[16] = {};
  TAESCipher(s.Key.data(), iv, 256).Decode(perms.data(), 16);
  std::int32_t p;
  std::memcpy(&p, perms.data(), 4);
  EXPECT_EQ(p, s.Permission);
  EXPECT_EQ(perms.substr(4, 8), "\xFF\xFF\xFF\xFF" "Fadb");
  // Keys and salts are fresh for every document.
  TPDFSecurity t;
  InitPDFSecurity(t, ss256AES, {}, true, "f", "owner", "user");
  EXPECT_NE(t.Key, s.Key);
  EXPECT_NE(t.User.substr(32), s.User.substr(32));
}

TEST(PDFSecurity, EncryptionDictionary) {
  TPDFSecurity s;
  InitPDFSecurity(s, ss256AES, {}, true, "f", "o", "u");
  std::vector<AnsiString> lines = PDFEncryptDictionaryLines(s);
  ASSERT_GE(lines.size(), 10u);
  EXPECT_EQ(lines[0], "/Filter /Standard");
  EXPECT_EQ(lines[1], "/V 5");
  EXPECT_EQ(lines[2], "/R 6");
  EXPECT_EQ(lines[3], "/Length 256");
  EXPECT_EQ(lines[5].substr(0, 5), "/OE (");
  EXPECT_EQ(lines[7].substr(0, 8), "/Perms (");
  EXPECT_EQ(lines[8], "/P -2880");
  EXPECT_EQ(lines[9].substr(0, 4), "/O (");
  EXPECT_EQ(lines.back().substr(0, 4), "/U (");
  EXPECT_EQ(PDFCatalogExtensions(s), "/Extensions<</ADBE<</BaseVersion/1.7/ExtensionLevel 8>>>>");
  for (const auto& l : lines) EXPECT_EQ(l.find("/EncryptMetadata"), std::string::npos);

  // Plain metadata is declared for the AES levels; the RC4 levels cannot leave it plain.
  for (TPDFSecurityState state : {ss128AES, ss256AES}) {
    InitPDFSecurity(s, state, {}, false, "f", "o", "u");
    lines = PDFEncryptDictionaryLines(s);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "/EncryptMetadata false"), 1) << state;
    EXPECT_TRUE(PDFMetadataStaysPlain(s));
  }
  for (TPDFSecurityState state : {ss40RC4, ss128RC4}) {
    InitPDFSecurity(s, state, {}, false, "f", "o", "u");
    lines = PDFEncryptDictionaryLines(s);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "/EncryptMetadata false"), 0) << state;
    EXPECT_FALSE(PDFMetadataStaysPlain(s));
    EXPECT_TRUE(s.CryptMetadata);
  }
}

// The reader's side, by an independent tool: each level opens with the user password and with the
// owner password and not without; the revision and the permissions are reported as set; the
// decrypted file holds the page text, the title and the metadata; and the structure checks out.
TEST(PDFSecurity, ProtectedFilesOpenInQpdfWithTheRightPasswordsOnly) {
  if (!HaveTool("qpdf")) GTEST_SKIP() << "qpdf is not installed: reader check skipped";
  TScratchDir dir("security-qpdf");
  for (const TLevel& level : Levels) {
    for (bool cryptMetadata : {true, false}) {
      SCOPED_TRACE(std::string(level.Name) + (cryptMetadata ? "" : " plain metadata"));
      TPDFSecurity sec;
      InitPDFSecurity(sec, level.State, {coPrint, coCopyInformation}, cryptMetadata, "f.pdf", "own(er)\\",
                      "us)e r(");
      const std::string file = dir.File(std::string(level.Name) + (cryptMetadata ? "" : "-plain") + ".pdf");
      const std::string data = BuildFile(sec);
      WriteFile(file, data);
      const bool plain = PDFMetadataStaysPlain(sec);
      EXPECT_EQ(data.find("Plain metadata marker") != std::string::npos, plain);
      EXPECT_EQ(data.find("Hello from the page"), std::string::npos);

      // Passwords go through files so that no shell quoting gets in the way.
      WriteFile(dir.File("user.pw"), "us)e r(");
      WriteFile(dir.File("owner.pw"), "own(er)\\");
      TCommandResult check = RunCommand("qpdf --check --password-file='" + dir.File("user.pw") + "' '" + file + "' 2>&1");
      EXPECT_EQ(check.Status, 0) << check.Output;
      EXPECT_NE(check.Output.find("No syntax or stream encoding errors"), std::string::npos) << check.Output;

      TCommandResult show = RunCommand("qpdf --show-encryption --password-file='" + dir.File("user.pw") + "' '" + file + "' 2>&1");
      EXPECT_NE(show.Output.find(level.Revision), std::string::npos) << show.Output;
      EXPECT_NE(show.Output.find("P = " + std::to_string(sec.Permission)), std::string::npos) << show.Output;
      EXPECT_NE(show.Output.find("Supplied password is user password"), std::string::npos) << show.Output;
      EXPECT_NE(show.Output.find("print low resolution: allowed"), std::string::npos) << show.Output;
      EXPECT_NE(show.Output.find("modify other: not allowed"), std::string::npos) << show.Output;
      if (level.State != ss40RC4) {
        EXPECT_NE(show.Output.find("print high resolution: not allowed"), std::string::npos) << show.Output;
      }
      if (level.State == ss128AES || level.State == ss256AES) {
        EXPECT_NE(show.Output.find(std::string("stream encryption method: ") + level.Method), std::string::npos);
      }
      TCommandResult owner = RunCommand("qpdf --show-encryption --password-file='" + dir.File("owner.pw") + "' '" + file + "' 2>&1");
      EXPECT_NE(owner.Output.find("Supplied password is owner password"), std::string::npos) << owner.Output;

      for (const char* pw : {"user.pw", "owner.pw"}) {
        const std::string out = dir.File("plain.pdf");
        TCommandResult dec = RunCommand("qpdf --decrypt --qdf --password-file='" + dir.File(pw) + "' '" + file + "' '" + out + "' 2>&1");
        ASSERT_EQ(dec.Status, 0) << pw << dec.Output;
        std::string text = ReadFile(out);
        EXPECT_NE(text.find("Hello from the page"), std::string::npos) << pw;
        EXPECT_NE(text.find("Plain metadata marker"), std::string::npos) << pw;
        EXPECT_NE(text.find("Secret \\(title\\) \\\\ with\\r\\nbreaks"), std::string::npos) << pw << Between(text, "/Title", "\n");
      }
      TCommandResult none = RunCommand("qpdf --decrypt '" + file + "' '" + dir.File("none.pdf") + "' 2>&1");
      EXPECT_NE(none.Status, 0);
      EXPECT_NE(none.Output.find("invalid password"), std::string::npos) << none.Output;
    }
  }
}

// An empty owner password must not open the file with the owner's rights: it becomes the user
// password, or a random one when that is empty too; the restrictions are then kept for a reader
// without the owner password.
TEST(PDFSecurity, EmptyOwnerPasswordKeepsTheRestrictions) {
  if (!HaveTool("qpdf")) GTEST_SKIP() << "qpdf is not installed: reader check skipped";
  TScratchDir dir("security-owner");
  WriteFile(dir.File("user.pw"), "user");
  WriteFile(dir.File("empty.pw"), "");
  for (const TLevel& level : Levels) {
    SCOPED_TRACE(level.Name);
    TPDFSecurity sec;
    InitPDFSecurity(sec, level.State, {}, true, "f", "", "user");
    std::string file = dir.File(std::string(level.Name) + ".pdf");
    WriteFile(file, BuildFile(sec));
    TCommandResult none = RunCommand("qpdf --decrypt --password-file='" + dir.File("empty.pw") + "' '" + file + "' '" + dir.File("o.pdf") + "' 2>&1");
    EXPECT_NE(none.Status, 0) << none.Output;
    TCommandResult user = RunCommand("qpdf --show-encryption --password-file='" + dir.File("user.pw") + "' '" + file + "' 2>&1");
    EXPECT_NE(user.Output.find("Supplied password is owner password"), std::string::npos) << user.Output;

    // No passwords at all: the file opens for anyone, but not as its owner.
    InitPDFSecurity(sec, level.State, {}, true, "f", "", "");
    WriteFile(file, BuildFile(sec));
    TCommandResult open = RunCommand("qpdf --show-encryption --password-file='" + dir.File("empty.pw") + "' '" + file + "' 2>&1");
    EXPECT_NE(open.Output.find("Supplied password is user password"), std::string::npos) << open.Output;
    EXPECT_NE(open.Output.find("modify anything: not allowed"), std::string::npos) << open.Output;
    EXPECT_EQ(RunCommand("qpdf --check '" + file + "' >/dev/null 2>&1").Status, 0);
  }
}
