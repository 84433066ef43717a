#include "engine/foundation/RVFMisc.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "engine/foundation/RVGrHandler.h"
#include "platform/graphics/Pictures.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

std::string Bytes(TMemoryStream& ms) {
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

TEST(RVFMiscTest, WritersProduceTheExactBytes) {
  struct Case {
    const char* name;
    std::function<void(TStream*)> write;
    std::string expected;
  };
  const Case cases[] = {
      {"ansi", [](TStream* s) { WriteRVFAnsi(s, "ab"); }, "ab"},
      {"unicode", [](TStream* s) { WriteRVFUnicode(s, u"A\u0444"); }, std::string("A\0\x44\x04", 4)},
      {"line", [](TStream* s) { WriteRVFLine(s, "x y"); }, "x y\r\n"},
      {"text unicode hex", [](TStream* s) { WriteRVFItemTextLine(s, std::string("A\0\0\0", 4), true, true); },
       "41003F00\r\n"},
      {"text unicode raw",
       [](TStream* s) { WriteRVFItemTextLine(s, std::string("A\0\0\0", 4), true, false); },
       std::string("A\0?\0\x29\x20", 6)},
      // a zero high byte next to a zero low byte of the following unit is no NUL character
      {"text unicode pairs", [](TStream* s) { WriteRVFItemTextLine(s, std::string("\0\x01\x00\x02", 4), true, true); },
       "00010002\r\n"},
      {"text ansi", [](TStream* s) { WriteRVFItemTextLine(s, std::string("a\0b", 3), false, true); }, "a?b\r\n"},
      {"sized stream",
       [](TStream* s) {
         auto src = AnsiToMemoryStream("xyz");
         WriteStreamWithSize(src.get(), s);
       },
       std::string("\x03\0\0\0xyz", 7)},
      {"sized nil", [](TStream* s) { WriteStreamWithSize(nullptr, s); }, std::string(4, '\0')},
  };
  for (const Case& c : cases) {
    TMemoryStream ms;
    c.write(&ms);
    EXPECT_EQ(Bytes(ms), c.expected) << c.name;
  }
}

TEST(RVFMiscTest, HexFormsRoundTrip) {
  const std::string all = [] {
    std::string s;
    for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
    return s;
  }();
  EXPECT_EQ(AnsiToHex(std::string("\x4A\xFF\x00\x10", 4)), "4AFF0010");
  EXPECT_EQ(HexToAnsi(AnsiToHex(all)), all);

  auto ms = AnsiToMemoryStream(all);
  EXPECT_EQ(ms->GetPosition(), 0);
  EXPECT_EQ(StreamToHex(ms.get()), AnsiToHex(all));

  struct Case {
    std::string hex;
    bool ok;
    std::string bytes;  // what the stream holds afterwards
  };
  const Case cases[] = {
      {"4A4b", true, "\x4A\x4B"}, {"", true, ""}, {"4", false, "keep"}, {"4g", false, std::string(1, '\0')},
      {"414G42", false, std::string("A\0\0", 3)},
  };
  for (const Case& c : cases) {
    auto s = AnsiToMemoryStream("keep");
    EXPECT_EQ(HexToStream(c.hex, s.get()), c.ok) << c.hex;
    EXPECT_EQ(Bytes(*s), c.bytes) << c.hex;
  }
  EXPECT_EQ(HexToAnsi("414"), "");
  EXPECT_EQ(HexToAnsi("41zz42"), "A");
}

TEST(RVFMiscTest, UnicodeHexUsesFourDigitsPerUnit) {
  const TRVUnicodeString text = u"A\u043f\U0001F600\uFFFF";
  EXPECT_EQ(UnicodeToHexAnsi(text), "0041043FD83DDE00FFFF");
  EXPECT_EQ(UnicodeToHexUnicode(text), u"0041043FD83DDE00FFFF");
  TRVUnicodeString back;
  EXPECT_TRUE(HexToUnicode(TRVRawByteString("0041043fd83dde00ffff"), back));
  EXPECT_EQ(back, text);
  EXPECT_TRUE(HexToUnicode(UnicodeToHexUnicode(text), back));
  EXPECT_EQ(back, text);
  for (const char* bad : {"004", "00410", "0G41", "00 41"}) {
    back = u"old";
    EXPECT_FALSE(HexToUnicode(TRVRawByteString(bad), back)) << bad;
    EXPECT_TRUE(back.empty()) << bad;
  }
  EXPECT_TRUE(HexToUnicode(TRVRawByteString(), back));
  EXPECT_TRUE(back.empty());
}

TEST(RVFMiscTest, IntegerFieldsOfTheHeader) {
  struct Case {
    std::string line;
    bool ok;
    int value;
    std::string rest;
  };
  const Case cases[] = {
      {"-12 x", true, -12, "x"}, {"12x", false, 0, "12x"}, {"", false, 0, ""},   {"7", true, 7, ""},
      {"- 5", true, 0, "5"},     {"-", true, 0, ""},       {"x1", false, 0, "x1"}, {"0 0", true, 0, "0"},
      {"2147483647", true, 2147483647, ""},                {"4294967297", false, 0, "4294967297"},  // out of range
      {"-2147483648", true, -2147483647 - 1, ""}, {"2147483648", false, 0, "2147483648"},          {"1  2", true, 1, " 2"},
  };
  for (const Case& c : cases) {
    const char* p = c.line.c_str();
    int n = 0;
    EXPECT_EQ(ReadRVFInteger(p, n), c.ok) << c.line;
    if (c.ok) {
      EXPECT_EQ(n, c.value) << c.line;
    }
    EXPECT_EQ(std::string(p), c.rest) << c.line;

    const std::u16string wide(c.line.begin(), c.line.end());
    const char16_t* w = wide.c_str();
    n = 0;
    EXPECT_EQ(ReadRVFIntegerW(w, n), c.ok) << c.line;
    if (c.ok) {
      EXPECT_EQ(n, c.value) << c.line;
    }
  }
}

TEST(RVFMiscTest, WordAndQuotedFieldsOfTheHeader) {
  const char* p = "abc def";
  TRVRawByteString s;
  EXPECT_TRUE(ReadRVFWord(p, s));
  EXPECT_EQ(s, "abc");
  EXPECT_TRUE(ReadRVFWord(p, s));
  EXPECT_EQ(s, "def");
  EXPECT_FALSE(ReadRVFWord(p, s));

  struct Case {
    std::string line;
    bool quotes;
    bool ok;
    TRVUnicodeString value;
    std::string rest;
  };
  const Case cases[] = {
      {"\"a\"\"b\" 5", true, true, u"a\"b", "5"},
      {"0 5", true, true, u"", "5"},
      {"0", false, true, u"", ""},       // the empty field at the line's end
      {"05 x", true, true, u"05", "x"},  // a word that only begins with 0
      {"\"0\" 5", true, true, u"0", "5"},
      {"\"\" 5", true, true, u"", "5"},
      {"\"a b\"", false, true, u"\"a", "b\""},  // quotes not allowed: a word
      {"\"open", true, true, u"open", ""},      // the line ends before the closing quote
      {"\xD0\xBF\x01\x02z end", true, true, u"\u043f\r\nz", "end"},
      {" x", true, false, u"", "x"},
  };
  for (const Case& c : cases) {
    const char* q = c.line.c_str();
    TRVUnicodeString v = u"unchanged";
    EXPECT_EQ(ReadRVFStringField(q, false, c.quotes, 1252, true, v), c.ok) << c.line;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.line;
    }
    EXPECT_EQ(std::string(q), c.rest) << c.line;
  }
  // Without the UTF-8 mark strings are in the given code page.
  const char* cp = "\"\xEF\xF0\xE8\"";
  TRVUnicodeString v;
  EXPECT_TRUE(ReadRVFStringField(cp, false, true, 1251, false, v));
  EXPECT_EQ(v, u"\u043f\u0440\u0438");
}

TEST(RVFMiscTest, StringFieldsKeepToOneLine) {
  const TRVUnicodeString tag = u"line one\r\nsay \"two\"\n\u00e9";
  const TRVRawByteString field = EncodeRVFStringField(false, tag);
  EXPECT_EQ(field, "\"line one\x01\x02say \"\"two\"\"\x02\xC3\xA9\"");
  EXPECT_EQ(EncodeRVFStringField(true, u""), "0");
  const std::string line = field + " next";
  const char* p = line.c_str();
  TRVUnicodeString back;
  EXPECT_TRUE(ReadRVFStringField(p, true, true, 0, true, back));
  EXPECT_EQ(back, tag);
  EXPECT_STREQ(p, "next");

  EXPECT_EQ(EncodeRVFString(u"a\rb\nc"), "a\x01" "b\x02" "c");
  EXPECT_EQ(DecodeRVFString("a\x01" "b\x02" "c", true, 0), u"a\rb\nc");
  EXPECT_EQ(DecodeRVFStringRTL("\xC3\xA9\x02", true, 0), u"\u00e9\n");
  EXPECT_EQ(UnescapeRVFLineBreaks(EscapeRVFLineBreaks("\r\n\x01\x02x")), "\r\n\r\nx");
}

TEST(RVFMiscTest, StyleReferences) {
  const std::map<TRVUnicodeString, int> styles = {{u"Normal", 0}, {u"Heading \"1\"", 3}};
  const auto indexOf = [&](const TRVUnicodeString& name) {
    auto it = styles.find(name);
    return it == styles.end() ? 0 : it->second;
  };
  struct Case {
    std::string line;
    bool ok;
    int no;
    bool nameUsed;
  };
  const Case cases[] = {
      {"5 x", true, 5, false},
      {EncodeRVFQuotedStyleName(u"Heading \"1\"") + " x", true, 3, true},
      {"\"Missing\" x", true, 0, true},
      {"z x", false, 0, false},
  };
  for (const Case& c : cases) {
    const char* p = c.line.c_str();
    int no = -7;
    bool nameUsed = !c.nameUsed;
    EXPECT_EQ(ReadRVFStyleRef(p, indexOf, 1252, no, nameUsed, true), c.ok) << c.line;
    if (!c.ok) continue;
    EXPECT_EQ(no, c.no) << c.line;
    EXPECT_EQ(nameUsed, c.nameUsed) << c.line;
    EXPECT_STREQ(p, "x");
  }
  EXPECT_EQ(EncodeRVFQuotedStyleName(u"a\r\n\u00e9"), "\"a\r\n\xC3\xA9\"");  // line breaks stay
}

std::string PictureBytes(const char* name) {
  std::ifstream f(std::string(TAVRELO_TEST_DATA) + "/pictures/" + name, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

TEST(RVFPictureTest, PicturesRoundTripInEveryForm) {
  for (const char* file : {"rgba3x2.png", "rgb4x3.bmp"}) {
    const std::string bytes = PictureBytes(file);
    ASSERT_FALSE(bytes.empty()) << file;
    std::unique_ptr<TGraphic> g = CreateGraphicFromBinaryString(bytes);
    ASSERT_NE(g, nullptr) << file;
    EXPECT_EQ(GraphicToBinaryString(g.get()), bytes) << file;
    const TRVRawByteString hex = GraphicToHex(g.get());
    EXPECT_EQ(hex, AnsiToHex(bytes)) << file;

    std::unique_ptr<TGraphic> fromHex = CreateGraphicFromHex(hex);
    ASSERT_NE(fromHex, nullptr) << file;
    EXPECT_EQ(fromHex->ClassName(), g->ClassName());
    EXPECT_EQ(fromHex->GetWidth(), g->GetWidth());
    EXPECT_EQ(fromHex->GetHeight(), g->GetHeight());

    std::unique_ptr<TGraphic> into = g->ClassType()->Create();
    EXPECT_TRUE(LoadGraphicFromHex(hex, into.get())) << file;
    EXPECT_EQ(GraphicToBinaryString(into.get()), bytes) << file;
    into = g->ClassType()->Create();
    EXPECT_TRUE(LoadGraphicFromBinaryString(bytes, into.get())) << file;
    EXPECT_EQ(into->GetWidth(), g->GetWidth());

    TMemoryStream ms;
    WriteRVFAnsi(&ms, "<");
    WriteGraphicWithSize(&ms, g.get());
    WriteGraphicWithSize(&ms, g.get());
    WriteRVFAnsi(&ms, ">");
    const std::string b = Bytes(ms);
    std::int32_t size = 0;
    std::memcpy(&size, b.data() + 1, 4);
    EXPECT_EQ(static_cast<std::size_t>(size), bytes.size());
    ms.SetPosition(1);
    std::unique_ptr<TGraphic> sized = CreateGraphicFromSizedStream(&ms);
    ASSERT_NE(sized, nullptr) << file;
    EXPECT_EQ(GraphicToBinaryString(sized.get()), bytes);
    into = g->ClassType()->Create();
    EXPECT_TRUE(LoadGraphicFromSizedStream(&ms, into.get())) << file;
    EXPECT_EQ(GraphicToBinaryString(into.get()), bytes);
    EXPECT_EQ(ms.GetPosition(), ms.GetSize() - 1);  // right before ">"
  }
}

TEST(RVFPictureTest, BadPictureDataFailsCleanly) {
  const std::string png = PictureBytes("rgba3x2.png");
  EXPECT_TRUE(GraphicToHex(nullptr).empty());
  TMemoryStream none;
  WriteGraphicWithSize(&none, nullptr);
  EXPECT_EQ(Bytes(none), std::string(4, '\0'));

  EXPECT_EQ(CreateGraphicFromBinaryString("not a picture at all"), nullptr);
  EXPECT_EQ(CreateGraphicFromHex("zz"), nullptr);
  std::unique_ptr<TGraphic> g = CreateGraphicFromBinaryString(png);
  ASSERT_NE(g, nullptr);
  std::unique_ptr<TGraphic> into = g->ClassType()->Create();
  EXPECT_FALSE(LoadGraphicFromHex(AnsiToHex(png) + "0", into.get()));  // odd length
  EXPECT_FALSE(LoadGraphicFromBinaryString(png.substr(0, 20), into.get()));
  EXPECT_FALSE(LoadGraphicFromHex(AnsiToHex(png), nullptr));

  struct Case {
    const char* name;
    std::string data;
  };
  const Case cases[] = {
      {"no length", std::string("\x10\0", 2)},
      {"length beyond the end", std::string("\xFF\0\0\0", 4) + png},
      {"negative length", std::string("\xFF\xFF\xFF\xFF", 4) + png},
      {"garbage", std::string("\x04\0\0\0abcd", 8)},
  };
  for (const Case& c : cases) {
    auto ms = AnsiToMemoryStream(c.data);
    EXPECT_EQ(CreateGraphicFromSizedStream(ms.get()), nullptr) << c.name;
    ms->SetPosition(0);
    EXPECT_FALSE(LoadGraphicFromSizedStream(ms.get(), into.get())) << c.name;
  }
}

// An embedded component with a child, as a control with child controls.
class TRVFPanel : public TComponent {
  TAVRELO_PERSISTENT(TRVFPanel, TComponent)
 public:
  explicit TRVFPanel(TComponent* owner = nullptr) : TComponent(owner) {}
  UnicodeString Caption;
  std::vector<TRVFPanel*> Kids;
  TComponent* ParentSeen = nullptr;
  int ParentSets = 0;
  const UnicodeString& GetCaption() const { return Caption; }
  void SetCaption(const UnicodeString& v) { Caption = v; }
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent*) override {
    for (TRVFPanel* k : Kids) proc(k);
  }
  bool HasParent() const override { return true; }
  void SetParentComponent(TComponent* value) override {
    ParentSeen = value;
    ++ParentSets;
    if (auto* p = dynamic_cast<TRVFPanel*>(value); p && p->Kids.end() == std::find(p->Kids.begin(), p->Kids.end(), this))
      p->Kids.push_back(this);
  }
};

const TClassInfo& TRVFPanel::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TRVFPanel>(u"TRVFPanel", &inherited::StaticClassInfo())
                                     .String(u"Caption", &TRVFPanel::GetCaption, &TRVFPanel::SetCaption)
                                     .Build();
  return info;
}

class RVFControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterClass(TRVFPanel::StaticClassInfo());
    RegisterClass(TStringList::StaticClassInfo());
    FPanel.Caption = u"outer";
    auto* kid = new TRVFPanel(&FPanel);
    kid->Caption = u"inner";
    FPanel.Kids.push_back(kid);
  }
  void TearDown() override { RVFIgnoreControlChildren = false; }
  TRVFPanel FPanel;
  TRVFPanel FParent;
};

TEST_F(RVFControlTest, ControlRoundTripsThroughHex) {
  const TRVRawByteString hex = ControlToHex(&FPanel);
  EXPECT_EQ(hex.substr(0, 8), "54504630");  // "TPF0"

  struct Case {
    const char* name;
    bool newInstance;  // ClassName given
  };
  for (const Case& c : {Case{"by class name", true}, Case{"from the stream", false}}) {
    std::unique_ptr<TComponent> control;
    ASSERT_TRUE(LoadControlFromHex(hex, control, c.newInstance ? u"TRVFPanel" : u"", {}, &FParent)) << c.name;
    auto* back = dynamic_cast<TRVFPanel*>(control.get());
    ASSERT_NE(back, nullptr) << c.name;
    EXPECT_EQ(back->Caption, u"outer");
    ASSERT_EQ(back->Kids.size(), 1u);
    EXPECT_EQ(back->Kids[0]->Caption, u"inner");
    EXPECT_EQ(back->ParentSeen, &FParent);
    EXPECT_EQ(back->ParentSets, c.newInstance ? 2 : 1);  // before reading (when it exists) and after
    FParent.Kids.clear();
  }

  RVFIgnoreControlChildren = true;
  std::unique_ptr<TComponent> alone;
  ASSERT_TRUE(LoadControlFromBinaryString(HexToAnsi(ControlToHex(&FPanel)), alone, u"", {}, nullptr));
  EXPECT_TRUE(static_cast<TRVFPanel*>(alone.get())->Kids.empty());
}

TEST_F(RVFControlTest, SizedControlBlockHoldsItsLength) {
  TMemoryStream ms;
  WriteRVFAnsi(&ms, "head");
  WriteControlWithSize(&ms, &FPanel);
  WriteRVFAnsi(&ms, "tail");
  const std::string b = Bytes(ms);
  std::int32_t size = 0;
  std::memcpy(&size, b.data() + 4, 4);
  EXPECT_EQ(b.substr(8, static_cast<std::size_t>(size)), HexToAnsi(ControlToHex(&FPanel)));
  EXPECT_EQ(b.substr(8 + static_cast<std::size_t>(size)), "tail");

  TMemoryStream empty;
  WriteControlWithSize(&empty, nullptr);
  EXPECT_EQ(Bytes(empty), std::string(4, '\0'));
}

TEST_F(RVFControlTest, BadDataGivesFalseAndNoControl) {
  const TRVRawByteString good = ControlToHex(&FPanel);
  struct Case {
    const char* name;
    TRVRawByteString hex;
    const char16_t* className;
  };
  const Case cases[] = {
      {"odd length", good.substr(1), u""},
      {"bad digit", "5Z" + good.substr(2), u""},
      {"truncated block", good.substr(0, good.size() - 6), u""},
      {"truncated with class", good.substr(0, good.size() / 2), u"TRVFPanel"},
      {"unknown class", good, u"TNoSuchPanel"},
      {"not a component", good, u"TStringList"},
      {"empty", "", u""},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TComponent> control = std::make_unique<TRVFPanel>();
    EXPECT_FALSE(LoadControlFromHex(c.hex, control, c.className, {}, &FParent)) << c.name;
    EXPECT_EQ(control, nullptr) << c.name;
  }
  // An unknown property is the error hook's to judge.
  TRVRawByteString renamed = HexToAnsi(good);
  renamed.replace(renamed.find("Caption"), 7, "Captain");
  std::unique_ptr<TComponent> control;
  EXPECT_FALSE(LoadControlFromBinaryString(renamed, control, u"", {}, nullptr));
  int errors = 0;
  EXPECT_TRUE(LoadControlFromBinaryString(renamed, control, u"",
                                          [&](TReader&, const UnicodeString&, bool& handled) {
                                            ++errors;
                                            handled = true;
                                          },
                                          nullptr));
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(static_cast<TRVFPanel*>(control.get())->Kids.size(), 1u);
}

}  // namespace
