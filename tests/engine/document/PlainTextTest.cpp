#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "DocTestUtil.h"
#include "engine/document/RVPlainText.h"
#include "engine/foundation/RVUni.h"
#include "platform/base/NLS.h"
#include "platform/base/SysUtils.h"

namespace {

void LoadW(TCustomRVData& D, const std::u16string& s, int ParaNo = 0, bool Single = false) {
  TMemoryStream m;
  m.WriteBuffer(s.data(), static_cast<std::int64_t>(s.size() * 2));
  m.SetPosition(0);
  ASSERT_TRUE(D.LoadTextFromStreamW(&m, 0, ParaNo, Single));
}

std::string Texts(const TCustomRVData& D) {
  std::string r;
  for (int i = 0; i < D.ItemCount(); ++i) {
    if (i) r += '|';
    r += D.GetItem(i)->StyleNo == ItemKindTab ? "<tab>" : UnicodeToUtf8(D.GetItemTextW(i));
  }
  return r;
}

std::string SaveW(TCustomRVData& D, bool Signature = false, bool TextOnly = false) {
  TMemoryStream m;
  EXPECT_TRUE(D.SaveTextToStreamW(u"", &m, 80, false, TextOnly, false, Signature, true));
  return StreamText(m);
}

std::string ReadFile(const std::string& Name) {
  std::ifstream f(Name, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(PlainTextRead, LineEnds) {
  struct Case {
    std::u16string In;
    bool Single;
    const char* Texts;
    const char* Structure;
  } cases[] = {
      {u"a\r\nb", false, "a|b", "P0 P0"},
      {u"a\r\nb", true, "a|b", "P0 B0"},
      {u"a\n\rb", false, "a|b", "P0 P0"},
      {u"a\r\rb", false, "a||b", "P0 P0 P0"},
      {u"a\r\n", false, "a|", "P0 P0"},
      {u"a\u2028b", false, "a|b", "P0 B0"},
      {u"a\vb", false, "a|b", "P0 B0"},
      {u"a\u2029b", true, "a|b", "P0 P0"},
      {u"\uFEFF", false, "", "P0"},
      {std::u16string(u"a\0b", 3), false, "a?b", "P0"},
      {u"\uFFFE\u6100\u0D00\u0A00\u6200", false, "a|b", "P0 P0"},  // byte-swapped text
  };
  for (const Case& c : cases) {
    TTestDoc t;
    LoadW(t.Doc, c.In, 0, c.Single);
    EXPECT_EQ(Texts(t.Doc), c.Texts) << UnicodeToUtf8(c.In);
    EXPECT_EQ(t.Structure(), c.Structure) << UnicodeToUtf8(c.In);
    EXPECT_TRUE(t.Doc.GetAddParagraphMode());
  }
}

TEST(PlainTextRead, TabsAndPageBreaks) {
  TTestDoc t;
  t.Sheet.SpacesInTab = 0;
  LoadW(t.Doc, u"a\tb\fy");
  EXPECT_EQ(Texts(t.Doc), "a|<tab>|b|y");
  EXPECT_EQ(t.Structure(), "P0 S0 S0 P0");
  EXPECT_TRUE(t.Doc.GetPageBreaksBeforeItems(3));

  TTestDoc spaces;
  spaces.Sheet.SpacesInTab = 2;
  LoadW(spaces.Doc, u"a\tb");
  EXPECT_EQ(Texts(spaces.Doc), "a  b");

  // Only the lines that hold a tab have it replaced, wherever the tab is.
  TTestDoc lines;
  lines.Sheet.SpacesInTab = 2;
  LoadW(lines.Doc, u"x\r\nb\tc\r\nd\r\n\te");
  EXPECT_EQ(Texts(lines.Doc), "x|b  c|d|  e");
}

TEST(PlainTextRead, OddUnicodeSizeFails) {
  TTestDoc t;
  TMemoryStream m;
  m.WriteBuffer("abc", 3);
  m.SetPosition(0);
  EXPECT_FALSE(t.Doc.LoadTextFromStreamW(&m, 0, 0, false));
  EXPECT_EQ(t.Doc.ItemCount(), 0);
}

TEST(PlainTextRead, CodePageMatchesIconv) {
  const std::string dir = std::string(TAVRELO_TEST_OUTPUT) + "/plain-text/";
  ::mkdir(dir.c_str(), 0755);
  std::string bytes;
  for (int c = 0xC0; c <= 0xFF; ++c) bytes += static_cast<char>(c);
  bytes += "\r\n\xA8\xB8 \x96 \x85\r\nplain";
  const std::string in = dir + "cp1251.txt";
  std::ofstream(in, std::ios::binary) << bytes;
  TTestDoc t;
  ASSERT_TRUE(t.Doc.LoadText(Utf8ToUnicode(in), 0, 0, false, 1251));
  std::string mine;
  for (int i = 0; i < t.Doc.ItemCount(); ++i) mine += (i ? "\r\n" : "") + UnicodeToUtf8(t.Doc.GetItemTextW(i));
  FILE* p = ::popen(("iconv -f CP1251 -t UTF-8 " + in).c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string theirs;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) theirs.append(buf, n);
  ASSERT_EQ(::pclose(p), 0);
  EXPECT_EQ(mine, theirs);

  // And back: saved in the same code page, the bytes are the file's.
  TMemoryStream out;
  ASSERT_TRUE(t.Doc.SaveTextToStreamA(u"", &out, 80, false, false, 1251, true));
  EXPECT_EQ(StreamText(out), bytes);
}

TEST(PlainTextRead, CodePageBytesFromAnyStream) {
  // A memory stream is read where it lies, from its position on; a file stream is read into a
  // block. A zero byte reads as "?" either way.
  const std::string dir = std::string(TAVRELO_TEST_OUTPUT) + "/plain-text/";
  ::mkdir(dir.c_str(), 0755);
  const std::string bytes("skip|a\0b\r\n\xE0", 11);
  const std::string name = dir + "zero.txt";
  std::ofstream(name, std::ios::binary) << bytes;
  for (bool file : {false, true}) {
    TTestDoc t;
    std::unique_ptr<TStream> in;
    if (file) {
      in = std::make_unique<TFileStream>(Utf8ToUnicode(name), fmOpenRead);
    } else {
      auto m = std::make_unique<TMemoryStream>();
      m->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
      in = std::move(m);
    }
    in->SetPosition(5);
    t.Doc.LoadTextFromStream(in.get(), 0, 0, false, 1251);
    EXPECT_EQ(Texts(t.Doc), "a?b|\xD0\xB0") << file;
    EXPECT_EQ(in->GetPosition(), static_cast<std::int64_t>(bytes.size())) << file;
  }
}

TEST(PlainTextWrite, CodePageOutputEqualsOneConversion) {
  // Long enough to be written in several blocks; marks to compose and pairs of surrogates sit at
  // item and line boundaries.
  TTestDoc t;
  for (int i = 0; i < 8000; ++i) {
    t.Doc.AddNL(u"\u0436\u0438\u0437\u043D\u044C line e", 0, 0);
    t.Doc.AddNLW(i % 2 ? u"\u0301 more" : u"\U0001F600", 1, -1, {}, true);
  }
  const std::string w = SaveW(t.Doc);
  const std::u16string text(reinterpret_cast<const char16_t*>(w.data()), w.size() / 2);
  ASSERT_GT(text.size(), 2u * 65536);
  for (TRVCodePage cp : {1251u, 1252u, 65001u}) {
    TMemoryStream out;
    ASSERT_TRUE(t.Doc.SaveTextToStreamA(u"", &out, 80, false, false, cp, true));
    EXPECT_TRUE(StreamText(out) == UnicodeToAnsiCP(cp, text)) << cp;
  }
}

TEST(PlainTextWrite, UnicodeWithSignature) {
  TTestDoc t;
  t.Doc.AddNL(u"a", 0, 0);
  t.Doc.AddNL(u"b", 0, 0);
  const std::string expected("\xFF\xFE\x61\x00\x0D\x00\x0A\x00\x62\x00", 10);
  EXPECT_EQ(SaveW(t.Doc, true), expected);
  TTestDoc empty;
  EXPECT_EQ(SaveW(empty.Doc, true), "");
}

TEST(PlainTextWrite, HiddenTextAndSymbolFonts) {
  TTestDoc t(3);
  t.Sheet.TextStyles()->Items(1)->Options.Include(rvteoHidden);
  t.Sheet.TextStyles()->Items(2)->FontName = u"Wingdings";
  t.Doc.AddNL(u"a", 0, 0);
  t.Doc.AddNL(u"hidden", 1, 0);
  t.Doc.AddNL(u"\xF083", 2, 0);
  TMemoryStream m;
  ASSERT_TRUE(t.Doc.SaveTextToStreamA(u"", &m, 80, false, true, 1252, true));
  EXPECT_EQ(StreamText(m), "a\r\n(3)");
  TMemoryStream w;
  ASSERT_TRUE(t.Doc.SaveTextToStreamW(u"", &w, 80, false, false, false, false, true));
  const std::string bytes = StreamText(w);
  const std::u16string text(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
  EXPECT_EQ(text, u"a\r\nhidden\r\n\u2462");  // Unicode output maps the font's code
}

TEST(PlainTextWrite, SaveTextKeepsOldFileOnFailure) {
  const std::string dir = std::string(TAVRELO_TEST_OUTPUT) + "/plain-text/";
  ::mkdir(dir.c_str(), 0755);
  const std::string name = dir + "saved.txt";
  TTestDoc t;
  t.Doc.AddNL(u"first", 0, 0);
  ASSERT_TRUE(t.Doc.SaveText(Utf8ToUnicode(name), 80, false, 1252));
  EXPECT_EQ(ReadFile(name), "first");
  // A folder that cannot be written: the save fails and the old file stays.
  const std::string ro = dir + "ro/";
  ::mkdir(ro.c_str(), 0755);
  std::ofstream(ro + "keep.txt") << "old";
  ::chmod(ro.c_str(), 0555);
  TTestDoc u;
  u.Doc.AddNL(u"new", 0, 0);
  const bool ok = u.Doc.SaveText(Utf8ToUnicode(ro + "keep.txt"), 80, true);
  ::chmod(ro.c_str(), 0755);
  if (::geteuid() != 0) {
    EXPECT_FALSE(ok);
  }
  if (!ok) {
    EXPECT_EQ(ReadFile(ro + "keep.txt"), "old");
  }
}

TEST(PlainTextRoundTrip, UnicodeKeepsCodePointsLegacyCodePagesCompose) {
  // Letters with marks that have precomposed forms (E + U+0302 is U+00CA), two marks on one
  // letter, and a mark after a supplementary letter.
  const std::u16string text = u"E\u0302tre cafe\u0301\r\na\u0323\u0302 \U0001D400\u0301 x";
  auto be = [](std::string le) {
    for (std::size_t i = 0; i + 1 < le.size(); i += 2) std::swap(le[i], le[i + 1]);
    return le;
  };
  const std::string le = UnicodeToUtf16LE(text), bom = "\xFF\xFE";
  struct Case {
    const char* Name;
    std::string Bytes;
    TRVCodePage CodePage;   // for 8-bit text
    std::u16string Loaded;  // the items' text, lines joined by CR LF
    std::string Saved;      // empty: the bytes read
  } cases[] = {
      {"UTF-8", UnicodeToUtf8(text), 65001, text, {}},
      // The 8-bit writer writes no signature.
      {"UTF-8 with signature", "\xEF\xBB\xBF" + UnicodeToUtf8(text), 65001, text, UnicodeToUtf8(text)},
      {"UTF-16LE", le, 0, text, {}},
      {"UTF-16LE with signature", bom + le, 0, text, {}},
      // Big-endian text is taken by its signature; the writer writes little-endian.
      {"UTF-16BE with signature", be(bom + le), 0, text, bom + le},
      // 1258 writes marks as bytes of their own: reading composes, writing uses the precomposed
      // letter where the code page has one and letter plus mark where it has not.
      {"1258", "a\xEC \xCA\xEC", 1258, u"\u00E1 \u1EBE", "\xE1 \xCA\xEC"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TMemoryStream in;
    in.WriteBuffer(c.Bytes.data(), static_cast<std::int64_t>(c.Bytes.size()));
    in.SetPosition(0);
    const bool unicode = TestUnicodeStream(in) == rvutrUnicode;
    EXPECT_EQ(unicode, c.CodePage == 0);
    in.SetPosition(0);
    TTestDoc t;
    if (unicode)
      ASSERT_TRUE(t.Doc.LoadTextFromStreamW(&in, 0, 0, false));
    else
      t.Doc.LoadTextFromStream(&in, 0, 0, false, c.CodePage);
    std::u16string loaded;
    for (int i = 0; i < t.Doc.ItemCount(); ++i) loaded += (i ? u"\r\n" : u"") + t.Doc.GetItemTextW(i);
    EXPECT_EQ(UnicodeToUtf8(loaded), UnicodeToUtf8(c.Loaded));

    TMemoryStream out;
    const bool signature = c.Bytes[0] == '\xFF' || c.Bytes[0] == '\xFE';
    if (unicode)
      ASSERT_TRUE(t.Doc.SaveTextToStreamW(u"", &out, 80, false, false, false, signature, true));
    else
      ASSERT_TRUE(t.Doc.SaveTextToStreamA(u"", &out, 80, false, false, c.CodePage, true));
    EXPECT_EQ(StreamText(out), c.Saved.empty() ? c.Bytes : c.Saved);
  }
}
