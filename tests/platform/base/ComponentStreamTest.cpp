#include "platform/base/ComponentStream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

enum TMarkKind { mkBullet, mkDecimal, mkRoman };
enum TMarkOption { moContinuous, moReset, moLegal };
using TMarkOptions = TSet<TMarkOption, 3>;

const std::vector<UnicodeString> KindNames = {u"mkBullet", u"mkDecimal", u"mkRoman"};
const std::vector<UnicodeString> OptionNames = {u"moContinuous", u"moReset", u"moLegal"};

// A nested persistent object, written as "Font.Name" and so on.
class TStreamFont : public TPersistent {
  TAVRELO_PERSISTENT(TStreamFont, TPersistent)
 public:
  UnicodeString Name = u"Arial";
  int Height = -11;
  TMarkOptions Style;
  const UnicodeString& GetName() const { return Name; }
  void SetName(const UnicodeString& v) { Name = v; }
  int GetHeight() const { return Height; }
  void SetHeight(int v) { Height = v; }
  TMarkOptions GetStyle() const { return Style; }
  void SetStyle(const TMarkOptions& v) { Style = v; }
  bool operator==(const TStreamFont& o) const { return Name == o.Name && Height == o.Height && Style == o.Style; }
};

const TClassInfo& TStreamFont::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TStreamFont>(u"TStreamFont", &inherited::StaticClassInfo())
          .String(u"Name", &TStreamFont::GetName, &TStreamFont::SetName)
          .Integer(u"Height", &TStreamFont::GetHeight, &TStreamFont::SetHeight, -11)
          .Set(u"Style", &TStreamFont::GetStyle, &TStreamFont::SetStyle, OptionNames, TMarkOptions{})
          .Build();
  return info;
}

class TStreamLevel : public TCollectionItem {
  TAVRELO_PERSISTENT(TStreamLevel, TCollectionItem)
 public:
  explicit TStreamLevel(TCollection* c) : TCollectionItem(c) {}
  TMarkKind Kind = mkBullet;
  int StartFrom = 1;
  std::int64_t Big = 0;
  TMarkOptions Options{moContinuous, moReset};
  long double Indent = 0;
  float Ratio = 0;
  bool Flag = false;
  UnicodeString Text;
  std::string Bytes;
  std::string Data;  // a binary property of its own
  std::unique_ptr<TStreamFont> Font;

  TMarkKind GetKind() const { return Kind; }
  void SetKind(TMarkKind v) { Kind = v; }
  int GetStartFrom() const { return StartFrom; }
  void SetStartFrom(int v) { StartFrom = v; }
  std::int64_t GetBig() const { return Big; }
  void SetBig(std::int64_t v) { Big = v; }
  TMarkOptions GetOptions() const { return Options; }
  void SetOptions(const TMarkOptions& v) { Options = v; }
  long double GetIndent() const { return Indent; }
  void SetIndent(long double v) { Indent = v; }
  float GetRatio() const { return Ratio; }
  void SetRatio(float v) { Ratio = v; }
  bool GetFlag() const { return Flag; }
  void SetFlag(bool v) { Flag = v; }
  UnicodeString GetText() const { return Text; }
  void SetText(const UnicodeString& v) { Text = v; }
  std::string GetBytes() const { return Bytes; }
  void SetBytes(const std::string& v) { Bytes = v; }
  // Created on demand, as reading "Font.Name" needs it.
  TStreamFont* GetFont() {
    if (!Font) Font = std::make_unique<TStreamFont>();
    return Font.get();
  }
  bool HasFont() const { return Font != nullptr; }

  void DefineProperties(TFiler& filer) override {
    filer.DefineBinaryProperty(
        u"Data", [this](TStream& s) { Data.resize(static_cast<std::size_t>(s.GetSize())); s.ReadBuffer(Data.data(), s.GetSize()); },
        [this](TStream& s) { s.WriteBuffer(Data.data(), static_cast<std::int64_t>(Data.size())); }, !Data.empty());
  }

  void Assign(TPersistent* source) override {
    auto* s = dynamic_cast<TStreamLevel*>(source);
    if (!s) return TCollectionItem::Assign(source);
    Kind = s->Kind, StartFrom = s->StartFrom, Big = s->Big, Options = s->Options, Indent = s->Indent;
    Ratio = s->Ratio, Flag = s->Flag, Text = s->Text, Bytes = s->Bytes, Data = s->Data;
    Font = s->Font ? std::make_unique<TStreamFont>(*s->Font) : nullptr;
  }

  bool operator==(const TStreamLevel& o) const {
    return Kind == o.Kind && StartFrom == o.StartFrom && Big == o.Big && Options == o.Options &&
           Indent == o.Indent && Ratio == o.Ratio && Flag == o.Flag && Text == o.Text && Bytes == o.Bytes &&
           Data == o.Data && (Font ? o.Font && *Font == *o.Font : !o.Font);
  }
};

const TClassInfo& TStreamLevel::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TStreamLevel>(u"TStreamLevel", &inherited::StaticClassInfo())
          .Enum(u"Kind", &TStreamLevel::GetKind, &TStreamLevel::SetKind, KindNames, mkBullet)
          .Integer(u"StartFrom", &TStreamLevel::GetStartFrom, &TStreamLevel::SetStartFrom, 1)
          .Int64(u"Big", &TStreamLevel::GetBig, &TStreamLevel::SetBig, 0)
          .Set(u"Options", &TStreamLevel::GetOptions, &TStreamLevel::SetOptions, OptionNames,
               TMarkOptions{moContinuous, moReset})
          .Float(u"Indent", &TStreamLevel::GetIndent, &TStreamLevel::SetIndent)
          .Float(u"Ratio", &TStreamLevel::GetRatio, &TStreamLevel::SetRatio, ftSingle)
          .Boolean(u"Flag", &TStreamLevel::GetFlag, &TStreamLevel::SetFlag, false)
          .String(u"Text", &TStreamLevel::GetText, &TStreamLevel::SetText)
          .AnsiStr(u"Bytes", &TStreamLevel::GetBytes, &TStreamLevel::SetBytes)
          .Object(u"Font", &TStreamLevel::GetFont)
          .StoredIf(&TStreamLevel::HasFont)
          .Build();
  return info;
}

class TStreamList : public TComponent {
  TAVRELO_PERSISTENT(TStreamList, TComponent)
 public:
  explicit TStreamList(TComponent* owner = nullptr)
      : TComponent(owner), Levels(this, &NewCollectionItem<TStreamLevel>) {}
  TOwnedCollection Levels;
  bool Preview = false;
  int ListID = 0;
  std::vector<UnicodeString> Loads;  // what Loaded saw

  TCollection* GetLevels() { return &Levels; }
  bool GetPreview() const { return Preview; }
  void SetPreview(bool v) { Preview = v; }
  TStreamLevel* Level(int i) const { return static_cast<TStreamLevel*>(Levels.GetItem(i)); }

  void DefineProperties(TFiler& filer) override {
    filer.DefineProperty(
        u"LstID", [this](TReader& r) { ListID = r.ReadInteger(); }, [this](TWriter& w) { w.WriteInteger(ListID); },
        ListID != 0);
  }
  void Loaded() override {
    TComponent::Loaded();
    Loads.push_back(GetName());
  }
};

const TClassInfo& TStreamList::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TStreamList>(u"TStreamList", &inherited::StaticClassInfo())
                                     .Object(u"Levels", &TStreamList::GetLevels)
                                     .Boolean(u"Preview", &TStreamList::GetPreview, &TStreamList::SetPreview, false)
                                     .Build();
  return info;
}

// A component with child components of its own kind, as controls hold child controls.
class TStreamPanel : public TComponent {
  TAVRELO_PERSISTENT(TStreamPanel, TComponent)
 public:
  explicit TStreamPanel(TComponent* owner = nullptr) : TComponent(owner) {}
  std::vector<TStreamPanel*> Children;
  TStreamPanel* ParentPanel = nullptr;
  UnicodeString Caption;
  const UnicodeString& GetCaption() const { return Caption; }
  void SetCaption(const UnicodeString& v) { Caption = v; }
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent*) override {
    for (TStreamPanel* c : Children) proc(c);
  }
  bool HasParent() const override { return true; }
  void SetParentComponent(TComponent* value) override {
    ParentPanel = dynamic_cast<TStreamPanel*>(value);
    if (ParentPanel) ParentPanel->Children.push_back(this);
  }
};

const TClassInfo& TStreamPanel::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TStreamPanel>(u"TStreamPanel", &inherited::StaticClassInfo())
                                     .String(u"Caption", &TStreamPanel::GetCaption, &TStreamPanel::SetCaption)
                                     .Build();
  return info;
}

class ComponentStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterClass(TStreamList::StaticClassInfo());
    RegisterClass(TStreamPanel::StaticClassInfo());
  }

  static std::string Bytes(TMemoryStream& ms) {
    return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
  }
  static std::string Write(TComponent* c) {
    TMemoryStream ms;
    TWriter w(ms);
    w.WriteRootComponent(c);
    return Bytes(ms);
  }
  static std::unique_ptr<TComponent> Read(const std::string& data, const TReaderError& onError = {}) {
    TMemoryStream ms;
    ms.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    ms.SetPosition(0);
    TReader r(ms);
    r.OnError = onError;
    return std::unique_ptr<TComponent>(r.ReadRootComponent(nullptr));
  }
  // A list with every kind of property set away from its default.
  static void Fill(TStreamList& list) {
    list.SetName(u"Bullets");
    list.Preview = true;
    list.ListID = 123456789;
    auto* a = static_cast<TStreamLevel*>(list.Levels.Add());
    a->Kind = mkRoman;
    a->StartFrom = -40000;
    a->Big = std::int64_t(1) << 40;
    a->Options = {moLegal};
    a->Indent = 12.625L;
    a->Ratio = 0.5f;
    a->Flag = true;
    a->Text = u"\u043f\u0443\u043d\u043a\u0442 \"1\"";
    a->Bytes = std::string(300, 'x');
    a->Data = std::string("\0\1\2\xFF", 4);
    a->GetFont()->Name = u"Times";
    a->GetFont()->Style = {moContinuous, moLegal};
    auto* b = static_cast<TStreamLevel*>(list.Levels.Add());
    b->Text = u"plain";
    b->Options = {};
  }
};

TEST_F(ComponentStreamTest, WrittenListReadsBackEqual) {
  TStreamList src;
  Fill(src);
  const std::string data = Write(&src);
  ASSERT_EQ(data.substr(0, 4), "TPF0");

  std::unique_ptr<TComponent> made = Read(data);
  auto* dst = dynamic_cast<TStreamList*>(made.get());
  ASSERT_NE(dst, nullptr);
  EXPECT_EQ(dst->GetName(), u"Bullets");
  EXPECT_TRUE(dst->Preview);
  EXPECT_EQ(dst->ListID, 123456789);
  ASSERT_EQ(dst->Levels.Count(), 2);
  for (int i = 0; i < 2; ++i) EXPECT_TRUE(*dst->Level(i) == *src.Level(i)) << "level " << i;
  EXPECT_EQ(dst->Loads, std::vector<UnicodeString>{u"Bullets"});
  EXPECT_FALSE(dst->ComponentState().Contains(csLoading));

  // Reading into an existing object replaces its levels.
  TStreamList into;
  into.Levels.Add();
  into.Levels.Add();
  into.Levels.Add();
  TMemoryStream ms;
  ms.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  ms.SetPosition(0);
  TReader r(ms);
  EXPECT_EQ(r.ReadRootComponent(&into), &into);
  ASSERT_EQ(into.Levels.Count(), 2);
  EXPECT_TRUE(*into.Level(0) == *src.Level(0));
}

TEST_F(ComponentStreamTest, DefaultValuesAreNotWritten) {
  TStreamList list;
  list.SetName(u"L");
  list.Levels.Add();  // a level with nothing but defaults
  const std::string expected = std::string("TPF0") + "\x0BTStreamList" + "\x01L" + "\x06Levels" +
                               std::string("\x0E\x01\x00\x00\x00\x00", 6);
  EXPECT_EQ(Write(&list), expected);
}

TEST_F(ComponentStreamTest, IntegersTakeTheSmallestTag) {
  struct Case {
    std::int64_t value;
    TValueType tag;
    std::size_t size;
  };
  const Case cases[] = {
      {0, vaInt8, 1},          {127, vaInt8, 1},        {-128, vaInt8, 1},
      {128, vaInt16, 2},       {-129, vaInt16, 2},      {32767, vaInt16, 2},
      {32768, vaInt32, 4},     {-32769, vaInt32, 4},    {std::numeric_limits<std::int32_t>::min(), vaInt32, 4},
      {std::int64_t(1) << 31, vaInt64, 8}, {-(std::int64_t(1) << 40), vaInt64, 8},
  };
  for (const Case& c : cases) {
    TMemoryStream ms;
    TWriter w(ms);
    w.WriteInteger(c.value);
    const std::string b = Bytes(ms);
    ASSERT_EQ(b.size(), 1 + c.size) << c.value;
    EXPECT_EQ(static_cast<TValueType>(b[0]), c.tag) << c.value;
    ms.SetPosition(0);
    TReader r(ms);
    EXPECT_EQ(r.ReadInt64(), c.value);
  }
  // A 64-bit value is not taken for a 32-bit integer.
  TMemoryStream ms;
  TWriter(ms).WriteInteger(std::int64_t(1) << 33);
  ms.SetPosition(0);
  EXPECT_THROW(TReader(ms).ReadInteger(), EReadError);
}

TEST_F(ComponentStreamTest, ExtendedFloatsUseTheEightyBitLayout) {
  struct Case {
    long double value;
    const char* bytes;  // 10 bytes, little-endian
  };
  const Case cases[] = {
      {1.0L, "\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x3F"},
      {-2.5L, "\x00\x00\x00\x00\x00\x00\x00\xA0\x00\xC0"},
      {0.0L, "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"},
      {0.1L, "\xCD\xCC\xCC\xCC\xCC\xCC\xCC\xCC\xFB\x3F"},
      {65536.0L, "\x00\x00\x00\x00\x00\x00\x00\x80\x0F\x40"},
      {std::numeric_limits<long double>::infinity(), "\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x7F"},
  };
  for (const Case& c : cases) {
    std::uint8_t b[10];
    ExtendedToBytes(c.value, b);
    EXPECT_EQ(std::memcmp(b, c.bytes, 10), 0) << static_cast<double>(c.value);
    EXPECT_EQ(BytesToExtended(reinterpret_cast<const std::uint8_t*>(c.bytes)), c.value);
  }
  // Values at the edges of the range come back unchanged through a stream.
  const long double values[] = {std::numeric_limits<long double>::max(), std::numeric_limits<long double>::min(),
                                std::numeric_limits<long double>::denorm_min(), -1e-300L, 3.14159265358979323846L,
                                -0.0L};
  for (long double v : values) {
    TMemoryStream ms;
    TWriter(ms).WriteFloat(v);
    EXPECT_EQ(ms.GetSize(), 11);
    ms.SetPosition(0);
    const long double back = TReader(ms).ReadFloat();
    EXPECT_EQ(back, v);
    EXPECT_EQ(std::signbit(back), std::signbit(v));
  }
  std::uint8_t nan[10];
  ExtendedToBytes(std::numeric_limits<long double>::quiet_NaN(), nan);
  EXPECT_TRUE(std::isnan(BytesToExtended(nan)));
}

TEST_F(ComponentStreamTest, SetsAreWrittenAsNameLists) {
  TMemoryStream ms;
  TWriter w(ms);
  w.WriteSet({u"moContinuous", u"moLegal"});
  w.WriteSet({});
  EXPECT_EQ(Bytes(ms), std::string("\x0B\x0CmoContinuous\x07moLegal\x00\x0B\x00", 25));
  ms.SetPosition(0);
  TReader r(ms);
  EXPECT_EQ(r.ReadSet(), (std::vector<std::string>{"moContinuous", "moLegal"}));
  EXPECT_TRUE(r.ReadSet().empty());
}

TEST_F(ComponentStreamTest, StringsChooseTheirForm) {
  struct Case {
    UnicodeString value;
    TValueType tag;
  };
  const Case cases[] = {
      {u"", vaWString},  // nothing is shorter in UTF-8
      {u"abc", vaUTF8String},
      {u"\u043f\u0440\u0438", vaWString},  // two bytes either way
      {u"\u4e2d\u6587", vaWString},         // three bytes in UTF-8
      {u"a\u4e2d", vaWString},
      {u"ab\u4e2d", vaUTF8String},
  };
  for (const Case& c : cases) {
    TMemoryStream ms;
    TWriter(ms).WriteString(c.value);
    EXPECT_EQ(static_cast<TValueType>(static_cast<const char*>(ms.Memory())[0]), c.tag);
    ms.SetPosition(0);
    EXPECT_EQ(TReader(ms).ReadString(), c.value);
  }
  TMemoryStream ms;
  TWriter w(ms);
  w.WriteAnsiString(std::string(255, 'a'));
  w.WriteAnsiString(std::string(256, 'b'));
  ms.SetPosition(0);
  TReader r(ms);
  EXPECT_EQ(r.NextValue(), vaString);
  EXPECT_EQ(r.ReadAnsiString(), std::string(255, 'a'));
  EXPECT_EQ(r.NextValue(), vaLString);
  EXPECT_EQ(r.ReadAnsiString(), std::string(256, 'b'));
}

// A list stream with extra properties the class does not know, of every shape.
std::string ListWithStrangers() {
  TMemoryStream ms;
  TWriter w(ms);
  w.WriteSignature();
  w.WriteStr("TStreamList");
  w.WriteStr("X");
  w.WriteStr("Bogus");
  w.WriteListBegin();
  w.WriteInteger(5);
  w.WriteString(u"deep");
  w.WriteListBegin();
  w.WriteFloat(2.5L);
  w.WriteListEnd();
  w.WriteListEnd();
  w.WriteStr("Preview");
  w.WriteBoolean(true);
  w.WriteStr("Levels");
  w.WriteValue(vaCollection);
  w.WriteListBegin();
  w.WriteStr("Kind");
  w.WriteIdent(u"mkNoSuchKind");  // a value the enumeration lacks
  w.WriteStr("StartFrom");
  w.WriteInteger(7);
  w.WriteStr("Font.Unknown");
  w.WriteSet({u"x"});
  w.WriteStr("Options");
  w.WriteSet({u"moLegal"});
  w.WriteListEnd();
  w.WriteListEnd();
  w.WriteStr("Gone");
  w.WriteBinary([](TStream& s) { s.WriteBuffer("abc", 3); });
  w.WriteListEnd();
  w.WriteListEnd();
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

TEST_F(ComponentStreamTest, UnknownPropertiesReachOnErrorAndTheRestLoads) {
  std::vector<UnicodeString> messages;
  std::unique_ptr<TComponent> made =
      Read(ListWithStrangers(), [&](TReader&, const UnicodeString& m, bool& handled) {
        messages.push_back(m);
        handled = true;
      });
  auto* list = dynamic_cast<TStreamList*>(made.get());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(messages, (std::vector<UnicodeString>{u"Property Bogus does not exist", u"Invalid property value",
                                                  u"Property Font.Unknown does not exist",
                                                  u"Property Gone does not exist"}));
  EXPECT_TRUE(list->Preview);
  ASSERT_EQ(list->Levels.Count(), 1);
  EXPECT_EQ(list->Level(0)->Kind, mkBullet);
  EXPECT_EQ(list->Level(0)->StartFrom, 7);
  EXPECT_EQ(list->Level(0)->Options, TMarkOptions{moLegal});
}

TEST_F(ComponentStreamTest, UnhandledErrorsRaise) {
  EXPECT_THROW(Read(ListWithStrangers()), EReadError);
  EXPECT_THROW(Read(ListWithStrangers(), [](TReader&, const UnicodeString&, bool&) {}), EReadError);
}

TEST_F(ComponentStreamTest, DamagedStreamsFailCleanly) {
  TStreamList src;
  Fill(src);
  const std::string data = Write(&src);
  // Every cut of the stream raises a stream error; nothing leaks (sanitizers watch).
  for (std::size_t n = 0; n < data.size(); ++n) EXPECT_THROW(Read(data.substr(0, n)), EStreamError) << n;

  std::string badSignature = data;
  badSignature[3] = '1';
  EXPECT_THROW(Read(badSignature), EReadError);

  std::string unknownClass = data;
  unknownClass[6] = 'X';  // "TXtreamList"
  EXPECT_THROW(Read(unknownClass), EClassNotFound);

  // A huge length must not be believed.
  const std::string hugeString = std::string("TPF0\x0CTStreamPanel\x00\x07" "Caption\x14\xFF\xFF\xFF\x7F", 31);
  EXPECT_THROW(Read(hugeString), EReadError);
  EXPECT_THROW(Read(hugeString, [](TReader&, const UnicodeString&, bool& h) { h = true; }), EReadError);

  // Lists nested without end are refused before the stack runs out.
  std::string deep = std::string("TPF0\x0BTStreamList\x00\x05" "Bogus", 23) + std::string(100000, '\x01');
  EXPECT_THROW(Read(deep, [](TReader&, const UnicodeString&, bool& h) { h = true; }), EReadError);
}

TEST_F(ComponentStreamTest, AnyChangedByteLoadsOrRaises) {
  TStreamList src;
  Fill(src);
  const std::string data = Write(&src);
  const auto skipAll = [](TReader&, const UnicodeString&, bool& handled) { handled = true; };
  for (std::size_t i = 4; i < data.size(); ++i)
    for (unsigned char v : {0x00, 0x01, 0x0E, 0x7F, 0x80, 0xFF}) {
      std::string bad = data;
      bad[i] = static_cast<char>(v);
      try {
        Read(bad, skipAll);
      } catch (const Exception&) {
      }
    }
}

TEST_F(ComponentStreamTest, ChildrenAreWrittenAndReadUnlessIgnored) {
  TStreamPanel root;
  root.SetName(u"Root");
  auto* a = new TStreamPanel(&root);
  a->SetName(u"A");
  a->Caption = u"first";
  a->SetParentComponent(&root);
  auto* b = new TStreamPanel(&root);
  b->SetName(u"B");
  b->SetParentComponent(a);

  std::unique_ptr<TComponent> made = Read(Write(&root));
  auto* back = dynamic_cast<TStreamPanel*>(made.get());
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->Children.size(), 1u);
  EXPECT_EQ(back->Children[0]->Caption, u"first");
  EXPECT_EQ(back->Children[0]->Owner(), back);
  ASSERT_EQ(back->Children[0]->Children.size(), 1u);
  EXPECT_EQ(back->Children[0]->Children[0]->GetName(), u"B");
  EXPECT_EQ(back->ComponentCount(), 2);

  TMemoryStream ms;
  TWriter w(ms);
  w.IgnoreChildren = true;
  w.WriteRootComponent(&root);
  ms.SetPosition(0);
  std::unique_ptr<TComponent> alone(TReader(ms).ReadRootComponent(nullptr));
  EXPECT_TRUE(static_cast<TStreamPanel*>(alone.get())->Children.empty());
}

TEST_F(ComponentStreamTest, ClassRegistryFindsByName) {
  EXPECT_EQ(GetClass(u"tstreamlist"), &TStreamList::StaticClassInfo());
  EXPECT_EQ(&FindClass(u"TStreamPanel"), &TStreamPanel::StaticClassInfo());
  EXPECT_EQ(GetClass(u"TNothing"), nullptr);
  try {
    FindClass(u"TNothing");
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), u"Class TNothing not found");
  }
  EXPECT_TRUE(TStreamList::StaticClassInfo().InheritsFrom(TComponent::StaticClassInfo()));
  EXPECT_NE(TStreamList::StaticClassInfo().FindProperty(u"tag"), nullptr);  // inherited, any case
}

}  // namespace

namespace {

// A component that writes records of kept carrier components inside a defined property, the way
// a container streams its parts through one reusable carrier.
class TStreamCarrierHost : public TComponent {
  TAVRELO_PERSISTENT(TStreamCarrierHost, TComponent)
 public:
  TStreamCarrierHost() : TComponent(nullptr), Carrier(nullptr) {}
  TStreamPanel Carrier;
  std::vector<UnicodeString> Captions;
  void DefineProperties(TFiler& filer) override {
    filer.DefineProperty(
        u"Parts",
        [this](TReader& r) {
          r.ReadListBegin();
          while (!r.EndOfList()) {
            Carrier.Caption.clear();  // defaults are not written: the reader resets first
            r.ReadComponent(&Carrier);
            Captions.push_back(Carrier.Caption);
          }
          r.ReadListEnd();
        },
        [this](TWriter& w) {
          w.WriteListBegin();
          for (const UnicodeString& c : Captions) {
            Carrier.Caption = c;
            w.WriteComponent(&Carrier);
          }
          w.WriteListEnd();
        },
        true);
  }
};

const TClassInfo& TStreamCarrierHost::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TStreamCarrierHost>(u"TStreamCarrierHost", &inherited::StaticClassInfo()).Build();
  return info;
}

}  // namespace

TEST_F(ComponentStreamTest, ComponentRecordsReadIntoAKeptInstance) {
  TStreamCarrierHost src;
  src.Captions = {u"one", u"", u"three"};
  const std::string data = Write(&src);
  TMemoryStream ms;
  ms.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  ms.SetPosition(0);
  TStreamCarrierHost back;
  TReader(ms).ReadRootComponent(&back);
  EXPECT_EQ(back.Captions, src.Captions);
  // Every cut of the stream is refused, never read past.
  for (std::size_t n = 0; n < data.size(); ++n) {
    TMemoryStream cut;
    cut.WriteBuffer(data.data(), static_cast<std::int64_t>(n));
    cut.SetPosition(0);
    TStreamCarrierHost h;
    EXPECT_THROW(TReader(cut).ReadRootComponent(&h), EStreamError) << n;
  }
  TMemoryStream empty;
  EXPECT_THROW(TReader(empty).ReadComponent(nullptr), EReadError);
}
