#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "engine/foundation/RVClipboard.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVUni.h"
#include "platform/base/NLS.h"
#include "platform/ui/Clipbrd.h"

namespace {
using Clock = std::chrono::steady_clock;

void PutBlock(UINT format, const std::string& bytes) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!bytes.empty()) std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
  GlobalUnlock(h);
  Clipboard()->SetAsHandle(format, h);
}

std::string ReadRaw(UINT format) {
  Clipboard()->Open();
  HGLOBAL h = Clipboard()->GetAsHandle(format);
  std::string r = h ? std::string(static_cast<const char*>(GlobalLock(h)), GlobalSize(h)) : "<none>";
  GlobalUnlock(h);
  Clipboard()->Close();
  return r;
}

const UINT TestFormat = RegisterClipboardFormatW(u"Tavrelopad Engine Test Block");

class RVClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetACP(1252);
    SetKeyboardLayoutLanguage(0x0409);
    Clipboard()->Clear();
  }
};

// Refuses to open until a moment has passed, or throws something else than a refusal.
class TBusyClipboard : public TClipboard {
 public:
  Clock::duration BusyFor = std::chrono::hours(1);
  bool ThrowOther = false;
  std::vector<Clock::time_point> Attempts;
  Clock::time_point Start = Clock::now();

 protected:
  bool DoOpenClipboard() override {
    Attempts.push_back(Clock::now());
    if (ThrowOther) throw EInvalidOperation(std::string_view("broken"));
    return Clock::now() - Start >= BusyFor && TClipboard::DoOpenClipboard();
  }
};

// Installs a busy clipboard as the process's one for the life of a test.
struct BusyScope {
  TBusyClipboard* Busy;
  std::unique_ptr<TClipboard> Saved;
  BusyScope() {
    auto b = std::make_unique<TBusyClipboard>();
    Busy = b.get();
    Saved = SetClipboard(std::move(b));
  }
  ~BusyScope() { SetClipboard(std::move(Saved)); }
};

long long Ms(Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); }
}  // namespace

TEST_F(RVClipboardTest, FormatsAreRegisteredInOrder) {
  const std::pair<UINT, const char16_t*> formats[] = {{RVFClipboardFormat, u"ViroZere Format"},
                                                      {RTFClipboardFormat, u"Rich Text Format"},
                                                      {URLClipboardFormat, u"UniformResourceLocator"},
                                                      {URLWClipboardFormat, u"UniformResourceLocatorW"},
                                                      {HTMLClipboardFormat, u"HTML Format"}};
  for (std::size_t i = 0; i < std::size(formats); ++i) {
    EXPECT_EQ(formats[i].first, RVFClipboardFormat + i);
    EXPECT_EQ(GetClipboardFormatName(formats[i].first), formats[i].second);
    EXPECT_EQ(RegisterClipboardFormatW(formats[i].second), formats[i].first);
  }
}

TEST_F(RVClipboardTest, UnicodeBlocks) {
  struct Case { std::string block; std::u16string text; };
  const Case cases[] = {
      {std::string("a\0b\0\0\0c\0d\0", 10), u"ab"},  // cut at the first zero code unit
      {std::string("a\0b\0", 4), u"ab"},             // no terminator at all
      {std::string("a\0b\0c", 5), u"abc"},           // odd size: the half unit is padded with zero
      {std::string("a", 1), u"a"},
      {std::string(), u""},
      {std::string("\x16\x04\0\0", 4), u"\u0416"},
  };
  for (const auto& c : cases) {
    PutBlock(TestFormat, c.block);
    std::u16string text = u"old";
    EXPECT_TRUE(GetClipboardUnicodeText(text, TestFormat)) << c.block.size();
    EXPECT_EQ(text, c.text) << c.block.size();
  }
  EXPECT_FALSE(Clipboard()->IsOpen());
}

TEST_F(RVClipboardTest, AnsiBlocks) {
  struct Case { std::string block; std::string text; };
  const Case cases[] = {
      {std::string("abc\0def", 7), "abc"},
      {std::string("abc", 3), "abc"},  // no terminator: the whole block, nothing beyond
      {std::string(), ""},
  };
  for (const auto& c : cases) {
    PutBlock(TestFormat, c.block);
    std::string text = "old";
    EXPECT_TRUE(GetClipboardAnsiText(text, TestFormat));
    EXPECT_EQ(text, c.text);
  }
}

TEST_F(RVClipboardTest, AbsentFormatsAnswerFalse) {
  std::u16string w = u"keep";
  std::string a = "keep";
  EXPECT_FALSE(GetClipboardUnicodeText(w, TestFormat));
  EXPECT_FALSE(GetClipboardAnsiText(a, RTFClipboardFormat));
  EXPECT_EQ(w, u"keep");
  EXPECT_EQ(a, "keep");
}

TEST_F(RVClipboardTest, SettingWritesTheTerminatorAndTheMimeBytes) {
  SetClipboardAnsiText("{\\rtf1 \\'e9}", RTFClipboardFormat);
  std::string rtf;
  EXPECT_TRUE(GetClipboardAnsiText(rtf, RTFClipboardFormat));
  EXPECT_EQ(rtf, "{\\rtf1 \\'e9}");
  EXPECT_EQ(ReadRaw(RTFClipboardFormat), std::string("{\\rtf1 \\'e9}\0", 13));

  SetClipboardUnicodeText(u"\u0416\u0438\u0442\u044C", CF_UNICODETEXT);
  std::u16string text;
  EXPECT_TRUE(GetClipboardUnicodeText(text, CF_UNICODETEXT));
  EXPECT_EQ(text, u"\u0416\u0438\u0442\u044C");
  EXPECT_EQ(Clipboard()->GetAsText(), text);
  EXPECT_FALSE(Clipboard()->HasFormat(RTFClipboardFormat));

  SetClipboardUnicodeText(u"ab", TestFormat);
  EXPECT_EQ(ReadRaw(TestFormat), std::string("a\0b\0\0\0", 6));
  SetClipboardAnsiText("", TestFormat);
  EXPECT_EQ(ReadRaw(TestFormat), std::string(1, '\0'));
}

TEST_F(RVClipboardTest, NoMemoryLeavesTheClipboardAlone) {
  SetClipboardAnsiText("before", RTFClipboardFormat);
  const std::size_t old = GlobalAllocLimit;
  GlobalAllocLimit = 8;
  try {
    SetClipboardAnsiText("much too long", RTFClipboardFormat);
    ADD_FAILURE() << "no exception";
  } catch (const EViroZereError& e) {
    EXPECT_EQ(e.Message(), u"No memory");
  }
  EXPECT_THROW(SetClipboardUnicodeText(u"four", TestFormat), EViroZereError);  // 10 bytes
  // Reading fails the same way, and the clipboard is closed afterwards.
  GlobalAllocLimit = 4;
  std::string text;
  EXPECT_THROW(GetClipboardAnsiText(text, RTFClipboardFormat), EOutOfMemory);
  EXPECT_FALSE(Clipboard()->IsOpen());
  GlobalAllocLimit = old;
  EXPECT_TRUE(GetClipboardAnsiText(text, RTFClipboardFormat));
  EXPECT_EQ(text, "before");
}

TEST_F(RVClipboardTest, Urls) {
  std::u16string url = u"old";
  EXPECT_FALSE(GetClipboardUrl(url));
  EXPECT_EQ(url, u"");

  SetClipboardAnsiText("http://x/caf\xE9", URLClipboardFormat);  // only the 8-bit form: code page 1252
  EXPECT_TRUE(GetClipboardUrl(url));
  EXPECT_EQ(url, u"http://x/caf\u00E9");

  SetACP(1251);
  EXPECT_TRUE(GetClipboardUrl(url));
  EXPECT_EQ(url, u"http://x/caf\u0439");
  SetACP(1252);

  Clipboard()->Open();
  SetClipboardAnsiText("http://narrow/", URLClipboardFormat);
  SetClipboardUnicodeText(u"http://\u0448\u0438\u0440/", URLWClipboardFormat);
  Clipboard()->Close();
  EXPECT_TRUE(GetClipboardUrl(url));
  EXPECT_EQ(url, u"http://\u0448\u0438\u0440/");
}

TEST_F(RVClipboardTest, CodePageOfEightBitText) {
  SetClipboardUnicodeText(u"x", CF_UNICODETEXT);
  EXPECT_EQ(GetClipboardCodePage(), KeyboardCodePage());
  SetKeyboardLayoutLanguage(0x0408);  // Greek
  EXPECT_EQ(GetClipboardCodePage(), 1253u);
  const LCID russian = 0x0419;
  Clipboard()->Open();
  PutBlock(CF_LOCALE, std::string(reinterpret_cast<const char*>(&russian), 4));
  SetClipboardUnicodeText(u"x", CF_UNICODETEXT);
  Clipboard()->Close();
  EXPECT_EQ(GetClipboardCodePage(), 1251u);
}

TEST_F(RVClipboardTest, OpeningRetriesWhileAnotherProgramHoldsTheClipboard) {
  BusyScope scope;
  scope.Busy->BusyFor = std::chrono::milliseconds(1000);
  EXPECT_TRUE(OpenClipboardWithRetries());
  EXPECT_TRUE(Clipboard()->IsOpen());
  Clipboard()->Close();
  const auto& at = scope.Busy->Attempts;
  ASSERT_EQ(at.size(), 4u);
  EXPECT_GE(Ms(at[1] - at[0]), 250);
  EXPECT_GE(Ms(at[2] - at[1]), 500);
  EXPECT_GE(Ms(at[3] - at[2]), 750);
}

TEST_F(RVClipboardTest, AStuckClipboardRaisesAfterFiveAttempts) {
  SetClipboardUnicodeText(u"x", CF_UNICODETEXT);
  BusyScope scope;
  std::u16string text = u"keep";
  EXPECT_THROW(GetClipboardUnicodeText(text, CF_UNICODETEXT), EClipboardException);
  EXPECT_EQ(text, u"keep");
  const auto& at = scope.Busy->Attempts;
  ASSERT_EQ(at.size(), 5u);
  EXPECT_GE(Ms(at[4] - at[3]), 1000);
  EXPECT_GE(Ms(at[4] - at[0]), 2500);
  EXPECT_FALSE(Clipboard()->IsOpen());
}

TEST_F(RVClipboardTest, OtherFailuresAreNotRetried) {
  BusyScope scope;
  scope.Busy->ThrowOther = true;
  EXPECT_THROW(OpenClipboardWithRetries(), EInvalidOperation);
  EXPECT_EQ(scope.Busy->Attempts.size(), 1u);
}
