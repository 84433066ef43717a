#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/NLS.h"
#include "platform/ui/Clipbrd.h"

namespace {
HGLOBAL Block(const std::string& bytes) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!bytes.empty()) std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
  GlobalUnlock(h);
  return h;
}

std::string Bytes(HGLOBAL h) {
  if (!h) return "<none>";
  std::string r(static_cast<const char*>(GlobalLock(h)), GlobalSize(h));
  GlobalUnlock(h);
  return r;
}

std::string Utf16Bytes(const std::u16string& s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2); }

std::string MimeBytes(const char* mime) {
  for (const auto& [type, bytes] : GetClipboardMimeData())
    if (type == mime) return bytes;
  return "<none>";
}

void PutMime(std::initializer_list<std::pair<const char*, std::string>> items) {
  std::vector<std::pair<std::string, std::string>> list;
  for (const auto& [mime, bytes] : items) list.emplace_back(mime, bytes);
  SetClipboardMimeData(list);
}

class ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetKeyboardLayoutLanguage(0x0409);
    SetClipboardMimeData({});
  }
  TClipboard cb;
};

// Refuses to open while Locked is set.
class TLockedClipboard : public TClipboard {
 public:
  bool Locked = true;

 protected:
  bool DoOpenClipboard() override { return !Locked && TClipboard::DoOpenClipboard(); }
};
}  // namespace

TEST(ClipboardFormats, RegistrationKeepsIdsStable) {
  const UINT a = RegisterClipboardFormatW(u"Tavrelopad Test A");
  const UINT b = RegisterClipboardFormatW(u"Tavrelopad Test B");
  EXPECT_GE(a, 0xC000u);
  EXPECT_EQ(b, a + 1);
  EXPECT_EQ(RegisterClipboardFormatW(u"tavrelopad test a"), a);
  EXPECT_EQ(RegisterClipboardFormatW(u""), 0u);
  EXPECT_EQ(GetClipboardFormatName(a), u"Tavrelopad Test A");
  EXPECT_EQ(GetClipboardFormatName(CF_TEXT), u"");
  EXPECT_EQ(GetClipboardFormatName(0xFFFF), u"");
}

TEST(ClipboardFormats, MimeTypes) {
  const std::pair<UINT, const char*> cases[] = {
      {CF_TEXT, "text/plain"},
      {CF_UNICODETEXT, "text/plain"},
      {CF_LOCALE, "application/x-tavrelopad-locale"},
      {CF_DIB, "application/x-tavrelopad-cf-8"},
      {RegisterClipboardFormatW(u"ViroZere Format"), "application/x-tavrelopad-rvf"},
      {RegisterClipboardFormatW(u"Rich Text Format"), "text/rtf"},
      {RegisterClipboardFormatW(u"HTML Format"), "text/html"},
      {RegisterClipboardFormatW(u"UniformResourceLocator"), "text/uri-list"},
      {RegisterClipboardFormatW(u"UniformResourceLocatorW"), "text/x-moz-url"},
      {RegisterClipboardFormatW(u"My Format/2"), "application/x-tavrelopad-format-my_20format_2f2"},
  };
  for (auto [format, mime] : cases) EXPECT_EQ(ClipboardFormatMimeType(format), mime) << format;
}

TEST_F(ClipboardTest, TextLikeFormatsDropTheTerminatorOnTheWayOut) {
  const UINT rtf = RegisterClipboardFormatW(u"Rich Text Format");
  const UINT html = RegisterClipboardFormatW(u"HTML Format");
  const UINT url = RegisterClipboardFormatW(u"UniformResourceLocator");
  const UINT urlw = RegisterClipboardFormatW(u"UniformResourceLocatorW");
  const UINT raw = RegisterClipboardFormatW(u"Tavrelopad Raw");
  cb.Open();
  cb.SetAsHandle(rtf, Block(std::string("{\\rtf1 x}\0junk", 14)));
  cb.SetAsHandle(html, Block("<b>x</b>"));
  cb.SetAsHandle(url, Block(std::string("http://a/\xE9 \0", 12)));
  cb.SetAsHandle(urlw, Block(Utf16Bytes(u"http://\u0436/") + std::string(2, '\0')));
  cb.SetAsHandle(raw, Block(std::string("a\0b\0c", 5)));
  cb.SetAsHandle(CF_UNICODETEXT, Block(Utf16Bytes(u"\u0416x") + std::string(2, '\0')));
  cb.Close();

  EXPECT_EQ(MimeBytes("text/rtf"), "{\\rtf1 x}");
  EXPECT_EQ(MimeBytes("text/html"), "<b>x</b>");
  EXPECT_EQ(MimeBytes("text/uri-list"), "http://a/%E9%20\r\n");
  EXPECT_EQ(MimeBytes("application/x-tavrelopad-url"), "http://a/\xE9 ");
  EXPECT_EQ(MimeBytes("text/x-moz-url"), Utf16Bytes(u"http://\u0436/"));
  EXPECT_EQ(MimeBytes("application/x-tavrelopad-format-tavrelopad_20raw"), std::string("a\0b\0c", 5));
  EXPECT_EQ(MimeBytes("text/plain"), "\xD0\x96x");

  // Reading adds the terminator back; raw blocks come back exactly.
  EXPECT_EQ(Bytes(cb.GetAsHandle(rtf)), std::string("{\\rtf1 x}\0", 10));
  EXPECT_EQ(Bytes(cb.GetAsHandle(url)), std::string("http://a/\xE9 \0", 12));
  EXPECT_EQ(Bytes(cb.GetAsHandle(urlw)), Utf16Bytes(u"http://\u0436/") + std::string(2, '\0'));
  EXPECT_EQ(Bytes(cb.GetAsHandle(raw)), std::string("a\0b\0c", 5));
  EXPECT_EQ(Bytes(cb.GetAsHandle(CF_UNICODETEXT)), Utf16Bytes(u"\u0416x") + std::string(2, '\0'));
  EXPECT_EQ(cb.GetAsText(), u"\u0416x");
}

TEST_F(ClipboardTest, HtmlTravelsWithoutItsOffsetHeader) {
  const UINT html = RegisterClipboardFormatW(u"HTML Format");
  auto num = [](long long v) {
    std::string d = std::to_string(v);
    return std::string(10 - d.size(), '0') + d;
  };
  // The header has a fixed length: four offsets of ten digits each.
  auto header = [&](long long sh, long long eh, long long sf, long long ef) {
    return "Version:0.9\r\nStartHTML:" + num(sh) + "\r\nEndHTML:" + num(eh) + "\r\nStartFragment:" + num(sf) +
           "\r\nEndFragment:" + num(ef) + "\r\n";
  };
  const std::size_t h = header(0, 0, 0, 0).size();
  const std::string doc = "<html><body><!--StartFragment-->x<!--EndFragment--></body></html>";
  const std::size_t x = h + doc.find('x');
  const std::string noDoc = "Version:1.0\r\nStartHTML:-1\r\nEndHTML:-1\r\nStartFragment:" + num(89) +
                            "\r\nEndFragment:" + num(97) + "\r\n<b>y</b>";
  ASSERT_EQ(noDoc.find("<b>"), 89u);
  struct Case { std::string block, mime; };
  const Case cases[] = {
      {header(h, h + doc.size(), x, x + 1) + doc, doc},
      {noDoc, "<b>y</b>"},
      {header(h, h + 900, x, x + 1) + doc, "x"},                  // a document part past the end: the fragment
      {header(h, h + 900, x, x + 900) + doc, header(h, h + 900, x, x + 900) + doc},  // no usable offsets
      {"Version:0.9\r\nStartHTML:99999999999999999999999\r\nEndHTML:1\r\n",
       "Version:0.9\r\nStartHTML:99999999999999999999999\r\nEndHTML:1\r\n"},
      {"<p>plain</p>", "<p>plain</p>"},
  };
  for (const auto& c : cases) {
    cb.SetAsHandle(html, Block(c.block));
    EXPECT_EQ(MimeBytes("text/html"), c.mime) << c.block;
    EXPECT_EQ(Bytes(cb.GetAsHandle(html)), c.mime + std::string(1, '\0'));
  }
}

TEST_F(ClipboardTest, OtherProgramsData) {
  const UINT url = RegisterClipboardFormatW(u"UniformResourceLocator");
  const UINT urlw = RegisterClipboardFormatW(u"UniformResourceLocatorW");
  const UINT rtf = RegisterClipboardFormatW(u"Rich Text Format");
  PutMime({{"text/uri-list", "# comment\r\nhttp://first/\r\nhttp://second/\r\n"},
           {"text/x-moz-url", Utf16Bytes(u"http://w/\nTitle")},
           {"text/rtf", ""}});
  EXPECT_TRUE(cb.HasFormat(url));
  EXPECT_TRUE(cb.HasFormat(urlw));
  EXPECT_TRUE(cb.HasFormat(rtf));
  EXPECT_FALSE(cb.HasFormat(CF_TEXT));
  EXPECT_EQ(Bytes(cb.GetAsHandle(url)), std::string("http://first/\0", 14));
  EXPECT_EQ(Bytes(cb.GetAsHandle(urlw)), Utf16Bytes(u"http://w/") + std::string(2, '\0'));
  EXPECT_EQ(Bytes(cb.GetAsHandle(rtf)), std::string(1, '\0'));
  EXPECT_EQ(cb.GetAsHandle(CF_UNICODETEXT), nullptr);
  EXPECT_EQ(cb.GetAsText(), u"");
}

TEST_F(ClipboardTest, EightBitTextGoesThroughTheLocaleCodePage) {
  struct Case { LCID locale; std::u16string text; std::string ansi; };
  const Case cases[] = {
      {0, u"caf\u00E9 \u0416", "caf\xE9 ?"},           // no locale: the keyboard's 1252
      {0x0419, u"\u0416\u0438\u0442\u044C", "\xC6\xE8\xF2\xFC"},  // Russian: 1251
  };
  for (const auto& c : cases) {
    cb.Open();
    if (c.locale) cb.SetAsHandle(CF_LOCALE, Block(std::string(reinterpret_cast<const char*>(&c.locale), 4)));
    cb.SetAsHandle(CF_UNICODETEXT, Block(Utf16Bytes(c.text) + std::string(2, '\0')));
    cb.Close();
    EXPECT_TRUE(cb.HasFormat(CF_TEXT));
    EXPECT_EQ(cb.HasFormat(CF_LOCALE), c.locale != 0);
    EXPECT_EQ(Bytes(cb.GetAsHandle(CF_TEXT)), c.ansi + std::string(1, '\0'));
  }
  // 8-bit text put on the clipboard reaches other programs as Unicode text.
  cb.Open();
  const LCID ru = 0x0419;
  cb.SetAsHandle(CF_LOCALE, Block(std::string(reinterpret_cast<const char*>(&ru), 4)));
  cb.SetAsHandle(CF_TEXT, Block(std::string("\xC6\xE8\0", 3)));
  cb.Close();
  EXPECT_EQ(cb.GetAsText(), u"\u0416\u0438");
  // When both forms are given, the UTF-16 one wins.
  cb.Open();
  cb.SetAsHandle(CF_UNICODETEXT, Block(Utf16Bytes(u"wide") + std::string(2, '\0')));
  cb.SetAsHandle(CF_TEXT, Block(std::string("narrow\0", 7)));
  cb.Close();
  EXPECT_EQ(cb.GetAsText(), u"wide");
}

TEST_F(ClipboardTest, SessionsEmptyOnceAndPublishAtTheLastClose) {
  const UINT a = RegisterClipboardFormatW(u"Tavrelopad Test A");
  const UINT b = RegisterClipboardFormatW(u"Tavrelopad Test B");
  cb.Open();
  cb.Open();
  cb.SetAsHandle(a, Block("A"));
  cb.SetAsHandle(b, Block("B"));
  EXPECT_TRUE(cb.HasFormat(a));  // visible inside the session already
  cb.Close();
  EXPECT_TRUE(cb.IsOpen());
  EXPECT_EQ(MimeBytes("application/x-tavrelopad-format-tavrelopad_20test_20a"), "<none>");
  cb.Close();
  EXPECT_FALSE(cb.IsOpen());
  EXPECT_TRUE(cb.HasFormat(a));
  EXPECT_TRUE(cb.HasFormat(b));
  // A lone set is a session of its own and replaces everything.
  cb.SetAsHandle(b, Block("B2"));
  EXPECT_FALSE(cb.HasFormat(a));
  EXPECT_EQ(Bytes(cb.GetAsHandle(b)), "B2");
  cb.Clear();
  EXPECT_FALSE(cb.HasFormat(b));
  cb.Close();  // an extra close is harmless
  EXPECT_FALSE(cb.IsOpen());
}

TEST_F(ClipboardTest, SystemMimeDataIsExactBytes) {
  EXPECT_TRUE(GetClipboardMimeData().empty());
  SetClipboardMimeData({{"application/x-a", std::string("a\0b", 3)}, {"text/html", "<i>"}, {"application/x-a", "last"}});
  const std::vector<std::pair<std::string, std::string>> expected = {{"application/x-a", "last"}, {"text/html", "<i>"}};
  EXPECT_EQ(GetClipboardMimeData(), expected);
  const UINT html = RegisterClipboardFormatW(u"HTML Format");
  EXPECT_TRUE(cb.HasFormat(html));
  EXPECT_EQ(Bytes(cb.GetAsHandle(CF_TEXT)), "<none>");
  SetClipboardMimeData({});
  EXPECT_TRUE(GetClipboardMimeData().empty());
  EXPECT_FALSE(cb.HasFormat(html));
}

TEST_F(ClipboardTest, LockedClipboardRaisesAndKeepsNothing) {
  TLockedClipboard locked;
  EXPECT_THROW(locked.Open(), EClipboardException);
  EXPECT_FALSE(locked.IsOpen());
  // The block is the clipboard's even when it cannot be handed on (LeakSanitizer checks).
  EXPECT_THROW(locked.SetAsHandle(CF_UNICODETEXT, Block(std::string("x\0\0", 3))), EClipboardException);
  locked.Locked = false;
  locked.Open();
  EXPECT_TRUE(locked.IsOpen());
  locked.Close();
}

TEST_F(ClipboardTest, ProcessClipboardCanBeReplaced) {
  auto mine = std::make_unique<TLockedClipboard>();
  TClipboard* raw = mine.get();
  auto old = SetClipboard(std::move(mine));
  EXPECT_EQ(Clipboard(), raw);
  auto back = SetClipboard(std::move(old));
  EXPECT_EQ(back.get(), raw);
  EXPECT_NE(Clipboard(), raw);
}

TEST(GlobalMemory, BlocksAndTheLimit) {
  HGLOBAL h = GlobalAlloc(GHND, 5);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalSize(h), 5u);
  EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(h)), 5), std::string(5, '\0'));
  GlobalUnlock(h);
  EXPECT_EQ(GlobalFree(h), nullptr);
  HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
  EXPECT_NE(GlobalLock(empty), nullptr);
  GlobalUnlock(empty);
  GlobalFree(empty);
  const std::size_t old = GlobalAllocLimit;
  GlobalAllocLimit = 4;
  EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, 5), nullptr);
  GlobalAllocLimit = old;
  EXPECT_EQ(GlobalSize(nullptr), 0u);
  EXPECT_EQ(GlobalLock(nullptr), nullptr);
}
