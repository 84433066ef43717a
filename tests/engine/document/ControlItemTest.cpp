#include <cstring>

#include "DocTestUtil.h"
#include "engine/document/RVControlItem.h"
#include "engine/document/RVPlainText.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/StdCtrls.h"

namespace {

std::string SaveRecord(TCustomRVData& D, TCustomRVItemInfo* Item) {
  TMemoryStream m;
  Item->SaveRVF(&m, &D, 0, 0, u"ctl", nullptr, false, nullptr);
  return StreamText(m);
}

// Feeds the lines (and, after the switching line, one sized binary part) of a record to an item.
bool ReadLines(TCustomRVData& D, TCustomRVItemInfo* Item, const std::string& Rec, int ReadType, int Lines) {
  std::size_t p = Rec.find("\r\n") + 2;
  TRVFReadMode mode = rmText;
  TRVFReadState state = rstData;
  TRVUnicodeString name;
  bool ass = false;
  for (int i = 0; i < Lines; ++i) {
    std::string part;
    if (mode == rmBeforeBinary) {
      std::int32_t n = 0;
      std::memcpy(&n, Rec.data() + p, 4);
      part = Rec.substr(p + 4, static_cast<std::size_t>(n));
      p += 4 + static_cast<std::size_t>(n);
      mode = rmText;
    } else {
      const std::size_t e = Rec.find("\r\n", p);
      part = Rec.substr(p, e - p);
      p = e + 2;
    }
    if (!Item->ReadRVFLine(part, &D, ReadType, i, Lines, name, mode, state, false, ass)) return false;
  }
  return p == Rec.size();
}

struct TRegisterButton {
  TRegisterButton() { RegisterClass(TButton::StaticClassInfo()); }
} RegisterButton;

}  // namespace

TEST(ControlItem, MeasuresWithPercentWidth) {
  TTestDoc t;
  auto* button = new TButton(nullptr);
  button->SetBounds(0, 0, 80, 24);
  TRVControlItemInfo item(&t.Doc, button, rvvaBaseline);
  EXPECT_EQ(item.GetWidth(&t.Sheet), 82);
  EXPECT_EQ(item.GetHeight(&t.Sheet), 26);
  item.PercentWidth = 50;
  TRVDrawLineInfo dli;
  int hshift = -1, desc = 0;
  item.OnDocWidthChange(600, &dli, nullptr, &t.Doc, nullptr, hshift, desc, {});
  EXPECT_EQ(dli.Width, 300);
  EXPECT_EQ(button->GetWidth(), 298);
  EXPECT_EQ(dli.Height, 26);
  EXPECT_EQ(hshift, 0);
  item.PercentWidth = 150;  // measured as 0, but still set for the minimum width and resizing
  dli.Width = 7;
  item.OnDocWidthChange(600, &dli, nullptr, &t.Doc, nullptr, hshift, desc, {});
  EXPECT_EQ(dli.Width, 7);
  EXPECT_EQ(item.GetMinWidth(nullptr, nullptr, &t.Doc), 20);
  item.FResizable = true;
  EXPECT_FALSE(item.GetBoolValueEx(rvbpResizable, &t.Sheet));

  TRVControlItemInfo copy(&t.Doc);
  copy.Assign(&item);
  EXPECT_EQ(copy.Control, nullptr);
  EXPECT_EQ(copy.PercentWidth, 150);
}

TEST(ControlItem, SharedControlOutlivesItem) {
  TTestDoc t;
  TButton button(nullptr);
  {
    TRVControlItemInfo item(&t.Doc, &button, rvvaBaseline);
    item.FShared = true;
  }
  EXPECT_EQ(button.GetWidth(), button.GetWidth());  // still alive (LeakSanitizer/ASan watch the rest)
}

TEST(ControlItem, RecordCarriesTheComponent) {
  TTestDoc t;
  for (bool binary : {true, false}) {
    auto& opts = t.Doc.GetRootProperties()->RVFOptions;
    if (binary)
      opts.Include(rvfoSaveBinary);
    else
      opts.Exclude(rvfoSaveBinary);
    auto* button = new TButton(nullptr);
    button->SetBounds(3, 4, 70, 21);
    button->SetCaption(u"Press");
    TRVControlItemInfo item(&t.Doc, button, rvvaBaseline);
    item.PercentWidth = 40;
    const std::string rec = SaveRecord(t.Doc, &item);
    TRVControlItemInfo back(&t.Doc);
    const int lines = 3 + back.GetRVFExtraPropertyCount() + 1;  // percentwidth
    ASSERT_TRUE(ReadLines(t.Doc, &back, rec, binary ? 2 : 0, lines)) << binary;
    auto* c = dynamic_cast<TButton*>(back.Control);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetCaption(), u"Press");
    EXPECT_EQ(c->GetWidth(), 70);
    EXPECT_FALSE(c->GetVisible());
    EXPECT_EQ(back.PercentWidth, 40);
  }
}

TEST(ControlItem, UnknownClassAndControlNeeded) {
  TTestDoc t;
  TRVControlItemInfo item(&t.Doc);
  const std::string rec = "-5 3 0 8 0 0 0\r\nctl\r\nTNoSuchControl\r\n00\r\n";
  EXPECT_FALSE(ReadLines(t.Doc, &item, rec, 0, 3));
  EXPECT_TRUE(t.Doc.GetRootProperties()->RVFWarnings.Contains(rvfwUnknownCtrls));
  t.Doc.GetRootProperties()->RVFOptions.Include(rvfoIgnoreUnknownCtrls);
  TRVControlItemInfo again(&t.Doc);
  EXPECT_TRUE(ReadLines(t.Doc, &again, rec, 0, 3));

  int asked = 0;
  t.Doc.GetRootEvents()->OnRVFControlNeeded = [&](const TRVUnicodeString& Name, const TRVUnicodeString&) -> TObject* {
    ++asked;
    EXPECT_EQ(Name, u"ctl");
    return new TButton(nullptr);
  };
  TRVControlItemInfo needed(&t.Doc);
  EXPECT_TRUE(ReadLines(t.Doc, &needed, "-5 1 0 8 1 0 0\r\nctl\r\n", 1, 1));
  EXPECT_EQ(asked, 1);
  EXPECT_NE(needed.Control, nullptr);
}

TEST(ControlItem, PrintsAsBitmapAndSavesText) {
  TTestDoc t;
  auto* button = new TButton(nullptr);
  button->SetBounds(0, 0, 40, 20);
  TRVControlItemInfo item(&t.Doc, button, rvvaBaseline);
  TBitmap bmp;
  ASSERT_TRUE(item.PrintToBitmap(&bmp, false, &t.Doc, 0, nullptr, rvcmColor));
  EXPECT_EQ(bmp.GetWidth(), 40);
  EXPECT_EQ(bmp.GetHeight(), 20);
  item.FVisible = false;
  EXPECT_FALSE(item.PrintToBitmap(&bmp, false, &t.Doc, 0, nullptr, rvcmColor));

  t.Doc.GetRootEvents()->OnSaveComponentToFile = [](const TRVUnicodeString&, TObject*, TCustomRVData*, int,
                                                    TRVSaveFormat f) { return f == rvsfText ? u"[button]" : u""; };
  t.Doc.AddNL(u"a", 0, 0);
  auto ctl = std::make_unique<TRVControlItemInfo>(&t.Doc, new TButton(nullptr), rvvaBaseline);
  ctl->SetSameAsPrev(true);
  t.Doc.AddItemAsIs(u"", std::move(ctl));
  TMemoryStream m;
  ASSERT_TRUE(t.Doc.SaveTextToStreamA(u"", &m, 80, false, false, 1252, true));
  EXPECT_EQ(StreamText(m), "a[button]");
}

TEST(ControlItem, WholeDocumentRoundTrip) {
  for (bool binary : {true, false}) {
    TTestDoc t;
    auto& opts = t.Doc.GetRootProperties()->RVFOptions;
    if (binary)
      opts.Include(rvfoSaveBinary);
    else
      opts.Exclude(rvfoSaveBinary);
    t.Doc.AddNL(u"a", 0, 0);
    auto* button = new TButton(nullptr);
    button->SetBounds(0, 0, 50, 20);
    button->SetCaption(u"Go");
    t.Doc.AddItem(u"ctl", std::make_unique<TRVControlItemInfo>(&t.Doc, button, rvvaBaseline));
    t.Doc.AddNL(u"b", 0, 0);
    TMemoryStream s;
    ASSERT_TRUE(t.Doc.SaveRVFToStream(&s, false, clNone, nullptr, nullptr, true));
    TTestDoc back;
    s.SetPosition(0);
    TColor color = clNone;
    ASSERT_TRUE(back.Doc.LoadRVFFromStream(&s, color, nullptr, nullptr)) << binary;
    ASSERT_EQ(back.Doc.ItemCount(), 3);
    auto* c = dynamic_cast<TRVControlItemInfo*>(back.Doc.GetItem(1));
    ASSERT_NE(c, nullptr);
    ASSERT_NE(dynamic_cast<TButton*>(c->Control), nullptr);
    EXPECT_EQ(static_cast<TButton*>(c->Control)->GetCaption(), u"Go");
    EXPECT_EQ(back.Doc.GetItemTextW(2), u"b");
  }
}
