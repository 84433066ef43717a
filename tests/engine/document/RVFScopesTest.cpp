// The native format beyond whole documents: saving a selection and a page range, the
// document-level records (background, extra documents, style templates and their names, the
// list-marker state, document objects), progress while reading and writing, template
// reconciliation on insertion, and an editor's insertion (protected text, refused first item).
#include "DocTestUtil.h"
#include "engine/document/RVBreakItem.h"
#include "engine/document/RVDocParams.h"
#include "engine/document/RVLayoutInfo.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/styles/StyleTemplate.h"
#include "platform/graphics/Graphics.h"

namespace {

// A document whose save-scope range is set by the test, as a formatted document answers its
// selection and a paginated one its page.
struct TScopedDoc : TRVPlainRootData {
  using TRVPlainRootData::TRVPlainRootData;
  void GetSaveScopeRange(int SaveScope, int& StartItemNo, int& StartOffs, int& EndItemNo, int& EndOffs,
                         TRVMultiDrawItemPart*& StartPart, TRVMultiDrawItemPart*& EndPart,
                         TCustomRVItemInfo*& SelectedItem) override {
    TRVPlainRootData::GetSaveScopeRange(SaveScope, StartItemNo, StartOffs, EndItemNo, EndOffs, StartPart, EndPart,
                                        SelectedItem);
    if (SaveScope == rvfss_Full || SaveScope == rvfss_FullInPage) return;
    StartItemNo = R[0];
    StartOffs = R[1];
    EndItemNo = R[2];
    EndOffs = R[3];
  }
  TRVMarkerList* GetPrevMarkers() override { return PrevMarkers; }
  int R[4] = {0, 0, 0, 0};
  TRVMarkerList* PrevMarkers = nullptr;
};

struct TScopedTestDoc {
  TRVStyle Sheet{nullptr};
  TScopedDoc Doc{&Sheet};
  TScopedTestDoc() {
    while (Sheet.TextStyles()->Count() < 3) Sheet.TextStyles()->Add();
    while (Sheet.ParaStyles()->Count() < 3) Sheet.ParaStyles()->Add();
    Doc.GetRootProperties()->RVFOptions.Exclude(rvfoSaveBinary);
  }
};

std::string SaveScope(TCustomRVData& Doc, int Scope, TRVLayoutInfo* Layout = nullptr, bool Root = false) {
  TMemoryStream s;
  EXPECT_TRUE(Doc.SaveRVFToStreamEx(&s, Scope, clNone, nullptr, Layout, Root));
  return StreamText(s);
}

bool LoadInto(TCustomRVData& Doc, const std::string& Data, TRVLayoutInfo* Layout = nullptr,
              TObject* Background = nullptr, TColor* Color = nullptr) {
  TMemoryStream s;
  if (!Data.empty()) s.WriteBuffer(Data.data(), static_cast<std::int64_t>(Data.size()));
  s.SetPosition(0);
  TColor c = clNone;
  const bool ok = Doc.LoadRVFFromStream(&s, Color ? *Color : c, Background, Layout);
  return ok;
}

std::string Texts(TCustomRVData& Doc) {
  std::string r;
  for (int i = 0; i < Doc.ItemCount(); ++i) {
    if (i) r += '|';
    TCustomRVItemInfo* it = Doc.GetItem(i);
    if (it->StyleNo < 0) {
      r += "#" + std::to_string(it->StyleNo);
    } else {
      for (char16_t c : Doc.GetItemTextW(i)) r += static_cast<char>(c);
    }
  }
  return r;
}

// "alpha beta" "gamma" [break] "delta epsilon" "zeta"; the second item continues the first
// paragraph.
void BuildRange(TScopedDoc& D) {
  D.AddNL(u"alpha beta", 0, 0);
  D.AddNL(u"gamma", 1, -1);
  D.AddBreak(1, rvbsLine, clNone);
  D.AddNL(u"delta epsilon", 2, 1);
  D.AddNL(u"zeta", 0, 2);
}

}  // namespace

TEST(RVFSelection, SavesExactlyTheSelectedItems) {
  struct Case {
    int range[4];
    const char* texts;
  };
  // Caret offsets: 1 before a text's first character, 0 before and 1 after an object item.
  const Case cases[] = {
      {{0, 7, 0, 11}, "beta"},                            // inside one word
      {{0, 7, 3, 6}, "beta|gamma|#-1|delta"},             // across paragraphs and a break
      {{1, 6, 3, 1}, "|#-1|"},  // bounds at item ends write empty parts that keep their styles
      {{2, 1, 4, 1}, "delta epsilon|"},                   // after an object item
      {{0, 1, 4, 5}, "alpha beta|gamma|#-1|delta epsilon|zeta"},
  };
  for (const Case& c : cases) {
    TScopedTestDoc t;
    BuildRange(t.Doc);
    std::copy(std::begin(c.range), std::end(c.range), t.Doc.R);
    const std::string data = SaveScope(t.Doc, rvfss_Selection);
    TTestDoc back;
    ASSERT_TRUE(LoadInto(back.Doc, data)) << data;
    EXPECT_EQ(Texts(back.Doc), c.texts) << data;
  }
  // A selection inside one word is one record of one part, without the checkpoint it does not
  // start at.
  TScopedTestDoc t;
  BuildRange(t.Doc);
  t.Doc.SetCheckpointInfo(0, u"", u"cp", false);
  std::copy_n(std::begin({0, 7, 0, 11}), 4, t.Doc.R);
  EXPECT_EQ(SaveScope(t.Doc, rvfss_Selection), "-8 1 3 2\r\n0 1 -1 8 3 0\r\n6200650074006100\r\n");
  std::copy_n(std::begin({0, 1, 0, 6}), 4, t.Doc.R);
  EXPECT_EQ(SaveScope(t.Doc, rvfss_Selection),
            "-8 1 3 2\r\n-2 1 0 0 0 0 0 0\r\ncp\r\n0 1 0 8 3 0\r\n61006C00700068006100\r\n");
}

TEST(RVFSelection, ListParagraphTakesItsMarkerAlong) {
  TScopedTestDoc t;
  TRVListInfo* list = t.Sheet.ListStyles()->Add();
  list->Levels()->Add();
  t.Doc.AddNL(u"intro", 0, 0);
  t.Doc.AddNL(u"item text", 0, 0);
  t.Doc.SetListMarkerInfo(1, 0, 0, 1, 0, false);  // the marker goes before item 1
  t.Doc.AddNL(u"next", 0, 0);
  ASSERT_EQ(Texts(t.Doc), "intro|#-11|item text|next");
  std::copy_n(std::begin({2, 6, 3, 3}), 4, t.Doc.R);  // "text", "ne"
  const std::string data = SaveScope(t.Doc, rvfss_Selection);
  TTestDoc back(1, 1);
  back.Sheet.ListStyles()->Add()->Levels()->Add();
  ASSERT_TRUE(LoadInto(back.Doc, data)) << data;
  EXPECT_EQ(Texts(back.Doc), "#-11|text|ne");
  EXPECT_EQ(back.Structure(), "P0 S0 P0");  // the text continues the marker's paragraph
}

TEST(RVFPageRange, AbortedParagraphsMarkerStateAndRestart) {
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary);
    TScopedTestDoc t;
    if (binary) t.Doc.GetRootProperties()->RVFOptions.Include(rvfoSaveBinary);
    t.Doc.GetRootProperties()->RVFOptions.Include(rvfoSaveLayout);
    TRVListInfo* list = t.Sheet.ListStyles()->Add();
    list->Levels()->Add();
    for (const char16_t* s : {u"one", u"two", u"three four"}) {
      t.Doc.AddNL(s, 0, 0);
      t.Doc.SetListMarkerInfo(t.Doc.ItemCount() - 1, 0, 0, 1, 0, false);
    }
    // items: marker, "one", marker, "two", marker, "three four"; the page starts inside
    // "two" and ends inside "three four".
    ASSERT_EQ(Texts(t.Doc), "#-11|one|#-11|two|#-11|three four");
    std::copy_n(std::begin({3, 2, 5, 6}), 4, t.Doc.R);
    TRVLayoutInfo layout;
    const std::string data = SaveScope(t.Doc, rvfss_Page, &layout, true);
    EXPECT_EQ(layout.FirstParaAborted, 1);
    EXPECT_EQ(layout.LastParaAborted, 1);
    EXPECT_EQ(layout.FirstMarkerListNo, 0);
    EXPECT_EQ(layout.FirstMarkerLevel, 0);
    EXPECT_NE(data.find("-9 2 0 0 " + std::string(binary ? "2" : "0") + " 0 6\r\n"), std::string::npos);
    // The saved page keeps the paragraph of its first part, and the third marker restarts at
    // its counter so that the page numbers itself.
    TScopedTestDoc back;
    back.Sheet.ListStyles()->Add()->Levels()->Add();
    back.Doc.GetRootProperties()->RVFOptions.Include(rvfoLoadLayout);
    TRVMarkerList prev;
    back.Doc.PrevMarkers = &prev;
    TRVLayoutInfo readLayout;
    ASSERT_TRUE(LoadInto(back.Doc, data, &readLayout));
    EXPECT_EQ(Texts(back.Doc), "wo|#-11|three");
    EXPECT_EQ(readLayout.FirstParaAborted, 1);
    EXPECT_EQ(readLayout.LastParaAborted, 1);
    EXPECT_EQ(prev.Count(), 2);  // the list's state up to the marker of the page's first paragraph
    auto* m = dynamic_cast<TRVMarkerItemInfo*>(back.Doc.GetItem(1));
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->Reset);
    EXPECT_EQ(m->StartFrom, 3);
    auto* original = static_cast<TRVMarkerItemInfo*>(t.Doc.GetItem(4));
    EXPECT_FALSE(original->Reset);  // restored after saving
  }
}

namespace {

class TTestBackground : public TObject, public IRVFBackground {
 public:
  int GetRVFBackgroundStyle() const override { return Style; }
  void SetRVFBackgroundStyle(int S) override { Style = S; }
  TGraphic* GetRVFBackgroundImage() override { return Image.get(); }
  void SetRVFBackgroundImage(std::unique_ptr<TGraphic> I) override { Image = std::move(I); }
  int Style = 0;
  std::unique_ptr<TGraphic> Image;
};

class TTestDocObject : public TRVDocObject {
  TAVRELO_PERSISTENT(TTestDocObject, TRVDocObject)
 public:
  explicit TTestDocObject(TCollection* Collection = nullptr) : TRVDocObject(Collection) {}
  int GetValue() const { return FValue; }
  void SetValue(int V) { FValue = V; }

 private:
  int FValue = 0;
};

const TClassInfo& TTestDocObject::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TTestDocObject>(u"TTestDocObject", &inherited::StaticClassInfo())
                                     .Integer(u"Value", &TTestDocObject::GetValue, &TTestDocObject::SetValue, 0)
                                     .Build();
  return info;
}

}  // namespace

TEST(RVFRecords, BackgroundExtraDocumentsAndDocObjectsRoundTrip) {
  RegisterClass(TTestDocObject::StaticClassInfo());
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary);
    TTestDoc a;
    TRVFOptions& o = a.Doc.GetRootProperties()->RVFOptions;
    binary ? o.Include(rvfoSaveBinary) : o.Exclude(rvfoSaveBinary);
    o.Include(rvfoSaveBack);
    o.Include(rvfoSaveDocObjects);
    a.Doc.AddNL(u"main", 0, 0);
    TTestBackground bg;
    bg.Style = 2;
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetSize(3, 2);
    bg.Image = std::move(bmp);
    TTestDoc header;
    header.Doc.AddNL(u"header text", 1, 0);
    a.Doc.GetRootProperties()->GetExtraDocumentsList()->AddObject(u"header", &header.Doc);
    auto* objects = static_cast<TCollection*>(a.Doc.GetDocObjects());
    auto* obj = new TTestDocObject();
    obj->SetValue(42);
    obj->SetCollection(objects);
    TMemoryStream s;
    ASSERT_TRUE(a.Doc.SaveRVFToStream(&s, false, 0x00FF00, &bg, nullptr, true));
    const std::string data = StreamText(s);
    // After the version and resolution records.
    EXPECT_EQ(data.find("-7 2 0 0 " + std::string(binary ? "2" : "0") + " 0 2 65280\r\nTBitmap\r\n"), 31u);

    TTestDoc b;
    TRVFOptions& ob = b.Doc.GetRootProperties()->RVFOptions;
    ob.Include(rvfoLoadBack);
    ob.Include(rvfoLoadDocObjects);
    TTestDoc header2;
    header2.Doc.AddNL(u"stale", 0, 0);
    b.Doc.GetRootProperties()->GetExtraDocumentsList()->AddObject(u"header", &header2.Doc);
    TTestBackground bg2;
    TColor color = clNone;
    ASSERT_TRUE(LoadInto(b.Doc, data, nullptr, &bg2, &color));
    EXPECT_EQ(color, 0x00FF00);
    EXPECT_EQ(bg2.Style, 2);
    ASSERT_NE(bg2.Image, nullptr);
    EXPECT_EQ(bg2.Image->GetWidth(), 3);
    EXPECT_EQ(Texts(b.Doc), "main");
    EXPECT_EQ(Texts(header2.Doc), "header text");
    EXPECT_EQ(header2.Doc.GetItem(0)->StyleNo, 1);
    auto* objects2 = static_cast<TCollection*>(b.Doc.GetDocObjects());
    ASSERT_EQ(objects2->Count(), 1);
    auto* obj2 = dynamic_cast<TTestDocObject*>(objects2->GetItem(0));
    ASSERT_NE(obj2, nullptr);
    EXPECT_EQ(obj2->GetValue(), 42);

    // Without the load options the records are passed over; a background without an image is
    // its one header line.
    TTestDoc c;
    TTestBackground bg3;
    ASSERT_TRUE(LoadInto(c.Doc, data, nullptr, &bg3));
    EXPECT_EQ(bg3.Style, 0);
    EXPECT_EQ(static_cast<TCollection*>(c.Doc.GetDocObjects())->Count(), 0);
    bg.Image.reset();
    TMemoryStream s2;
    ASSERT_TRUE(a.Doc.SaveRVFToStreamEx(&s2, rvfss_Full, clRed, &bg, nullptr, false));
    EXPECT_EQ(StreamText(s2).find("-7 0 -1 0 0 0 2 255\r\n"), 10u);  // not a root: no resolution record
  }
}

namespace {

// A sheet with templates "Normal" and "Heading" (its id given) and a paragraph style made from
// "Heading".
void AddTemplates(TTestDoc& T, int HeadingId, int SpaceBefore) {
  T.Doc.GetRootProperties()->UseStyleTemplates = true;
  TRVStyleTemplateCollection* c = T.Sheet.StyleTemplates();
  c->Add()->SetName(u"Normal");
  TRVStyleTemplate* h = c->Add();
  h->SetName(u"Heading");
  h->SetIdUnlinked(HeadingId);
  h->ParaStyle()->SetSpaceBefore(SpaceBefore);
  h->ValidParaProperties.Include(rvpiSpaceBefore);
  h->ApplyToParaStyle(T.Sheet.ParaStyles()->Items(1));
}

}  // namespace

TEST(RVFRecords, StyleTemplatesAndTheirNamesReconcileOnInsertion) {
  for (bool onlyNames : {false, true}) {
    SCOPED_TRACE(onlyNames);
    TTestDoc src;
    AddTemplates(src, 700, 12);
    if (onlyNames) src.Doc.GetRootProperties()->RVFOptions.Include(rvfoSaveStyleTemplatesOnlyNames);
    src.Doc.AddNL(u"title", 0, 1);
    TMemoryStream s;
    ASSERT_TRUE(src.Doc.SaveRVFToStream(&s, false, clNone, nullptr, nullptr, true));
    const std::string data = StreamText(s);
    EXPECT_NE(data.find(onlyNames ? "0 0 0 0 11\r\n" : " 0 10\r\n"), std::string::npos);

    // A whole load takes the templates (or keeps the ids the names stand for).
    TTestDoc whole;
    whole.Doc.GetRootProperties()->UseStyleTemplates = true;
    if (onlyNames) AddTemplates(whole, 700, 30);
    ASSERT_TRUE(LoadInto(whole.Doc, data));
    ASSERT_GE(whole.Sheet.StyleTemplates()->FindByName(u"Heading"), 0);
    EXPECT_EQ(whole.Sheet.ParaStyles()->Items(1)->StyleTemplateId, 700);

    // An insertion maps the incoming template id onto the document's namesake.
    TTestDoc dst;
    AddTemplates(dst, 900, 30);
    dst.Doc.AddNL(u"x", 0, 0);
    s.SetPosition(0);
    TColor color = clNone;
    ASSERT_TRUE(dst.Doc.InsertRVFFromStream(&s, 1, color, nullptr, nullptr, false));
    ASSERT_EQ(dst.Doc.ItemCount(), 2);
    TParaInfo* p = dst.Sheet.ParaStyles()->Items(dst.Doc.GetItem(1)->ParaNo);
    EXPECT_EQ(p->StyleTemplateId, 900);
    EXPECT_EQ(p->GetSpaceBefore(), 30);  // the target's formatting
    EXPECT_EQ(dst.Sheet.StyleTemplates()->Count(), 2);
  }
  // A second template collection fails the read.
  TTestDoc t;
  t.Doc.GetRootProperties()->UseStyleTemplates = true;
  EXPECT_FALSE(LoadInto(t.Doc, "-8 1 3 2\r\n-9 2 0 0 0 0 10\r\n\r\n\r\n-9 2 0 0 0 0 10\r\n\r\n\r\n0 1 0 8 3 0\r\n6100\r\n"));
}

TEST(RVFProgress, ReadingAndWritingReportMonotonically) {
  TTestDoc t;
  t.Doc.GetRootProperties()->RVFOptions.Exclude(rvfoSaveBinary);
  const TRVUnicodeString line(300, u'x');
  for (int i = 0; i < 2000; ++i) t.Doc.AddNL(line, i % 2, 0);  // alternating styles: one record each
  std::vector<std::pair<int, int>> events;
  auto record = [&](int op, int stage, int percent) {
    events.push_back({stage, percent});
    EXPECT_TRUE(op == rvloRVFWrite || op == rvloRVFRead);
  };
  auto check = [&](const char* what) {
    SCOPED_TRACE(what);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front().first, rvpstgStarting);
    EXPECT_EQ(events.back().first, rvpstgEnding);
    for (std::size_t i = 1; i + 1 < events.size(); ++i) {
      EXPECT_EQ(events[i].first, rvpstgRunning);
      EXPECT_GT(events[i].second, events[i - 1].second);
      EXPECT_LE(events[i].second, 100);
    }
    events.clear();
  };
  t.Doc.GetRootEvents()->OnProgress = record;
  TMemoryStream s;
  ASSERT_TRUE(t.Doc.SaveRVFToStream(&s, false, clNone, nullptr, nullptr, true));
  check("write");
  ASSERT_GT(s.GetSize(), 1000000);
  TTestDoc b;
  b.Doc.GetRootEvents()->OnProgress = record;
  s.SetPosition(0);
  TColor color = clNone;
  ASSERT_TRUE(b.Doc.LoadRVFFromStream(&s, color, nullptr, nullptr));
  check("read");
  // Small documents report nothing.
  t.Doc.DeleteItems(10, t.Doc.ItemCount() - 10);
  TMemoryStream small;
  ASSERT_TRUE(t.Doc.SaveRVFToStream(&small, false, clNone, nullptr, nullptr, true));
  EXPECT_TRUE(events.empty());
}

namespace {

// An editor's document: it refuses the first item when told to.
struct TRefusingDoc : TRVPlainRootData {
  using TRVPlainRootData::TRVPlainRootData;
  bool InsertFirstRVFItem(int& Index, TRVUnicodeString& Text, TCustomRVItemInfo*& Item, bool EditFlag,
                          bool& FullReformat, int& NewListNo) override {
    SawEditFlag = EditFlag;
    if (Refuse) return false;
    return TRVPlainRootData::InsertFirstRVFItem(Index, Text, Item, EditFlag, FullReformat, NewListNo);
  }
  int GetCurParaStyleNo() override { return 2; }
  bool Refuse = false, SawEditFlag = false;
};

}  // namespace

TEST(RVFEditorInsertion, ProtectedTextAndRefusedFirstItem) {
  TRVStyle sheet(nullptr);
  while (sheet.TextStyles()->Count() < 2) sheet.TextStyles()->Add();
  while (sheet.ParaStyles()->Count() < 3) sheet.ParaStyles()->Add();
  sheet.TextStyles()->Items(1)->Protection.Include(rvprRVFInsertProtect);
  TRefusingDoc doc(&sheet);
  doc.AddNL(u"host", 0, 0);
  // "a" in style 0 continuing the caret's paragraph, "p" in the protected style, "c" in style 0.
  const std::string data = "-8 1 3 2\r\n0 1 -1 8 3 0\r\n6100\r\n1 1 0 8 3 0\r\n7000\r\n0 1 0 8 3 0\r\n6300\r\n";
  auto insert = [&](bool EditFlag, bool& Protect) {
    TMemoryStream s;
    s.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    s.SetPosition(0);
    int index = 1, count = 0;
    bool full = false, inserted = false;
    TColor color = clNone;
    return doc.DoInsertRVFFromStream(&s, index, full, inserted, Protect, count, nullptr, nullptr, color, EditFlag,
                                     false, false, 0);
  };
  bool protect = false;
  ASSERT_TRUE(insert(true, protect));
  EXPECT_TRUE(doc.SawEditFlag);
  EXPECT_FALSE(protect);
  EXPECT_EQ(Texts(doc), "host|a|c");
  EXPECT_TRUE(doc.GetItem(1)->GetSameAsPrev());
  EXPECT_EQ(doc.GetItem(1)->ParaNo, 2);  // the editor's current paragraph style
  // Without the editor the protected text is read like any other.
  doc.DeleteItems(1, 2);
  ASSERT_TRUE(insert(false, protect));
  EXPECT_EQ(Texts(doc), "host|a|p|c");
  doc.DeleteItems(1, 3);
  doc.Refuse = true;
  EXPECT_FALSE(insert(true, protect));
  EXPECT_TRUE(protect);
  EXPECT_EQ(Texts(doc), "host");
}

TEST(RVFReader, EightBitTextOfOlderFilesIsConverted) {
  TTestDoc t(2, 1);
  t.Sheet.TextStyles()->Items(1)->Charset = SYMBOL_CHARSET;
  // Format 1.0: no version record, no options field, 8-bit text in the style's code page.
  ASSERT_TRUE(LoadInto(t.Doc, "0 1 0 0 0\r\ncaf\xE9 \x80\r\n1 1 0 0 0\r\nAB\r\n"));
  ASSERT_EQ(t.Doc.ItemCount(), 2);
  EXPECT_EQ(t.Doc.GetItemTextW(0), u"caf\u00E9 \u20AC");  // code page 1252
  EXPECT_EQ(t.Doc.GetItemTextW(1), u"\uF041\uF042");      // symbol fonts keep their private-use codes
  EXPECT_TRUE(t.Doc.GetRVFWarnings().Contains(rvfwConvToUnicode));
}

TEST(RVFReader, HexTextInEveryDigitForm) {
  const TRVUnicodeString text = u"\u041F\u0440\u0438\u0432\u0435\u0442, world \u20AC! \uFFFF\u00E9";
  std::string upper, lower;
  for (char16_t c : text) {
    char buf[5];
    std::snprintf(buf, sizeof buf, "%02X%02X", c & 0xFF, c >> 8);
    upper += buf;
    std::snprintf(buf, sizeof buf, "%02x%02x", c & 0xFF, c >> 8);
    lower += buf;
  }
  for (const std::string& hex : {upper, lower}) {
    TTestDoc t;
    ASSERT_TRUE(LoadInto(t.Doc, "-8 1 3 2\r\n0 1 0 8 3 0\r\n" + hex + "\r\n")) << hex;
    EXPECT_EQ(t.Doc.GetItemTextW(0), text);
  }
  // A character that is not a digit fails the read wherever it stands.
  for (std::size_t at : {std::size_t{0}, std::size_t{9}, std::size_t{21}, upper.size() - 1}) {
    for (char bad : {'G', '/', ':', '@', '`', 'g', '\x80'}) {
      std::string hex = upper;
      hex[at] = bad;
      TTestDoc t;
      EXPECT_FALSE(LoadInto(t.Doc, "-8 1 3 2\r\n0 1 0 8 3 0\r\n" + hex + "\r\n")) << at << bad;
    }
  }
}

TEST(RVFReader, InsertionMapsOrMergesStylesByReadMode) {
  TTestDoc src(3, 2);
  src.Sheet.TextStyles()->Items(2)->SetSize(31);
  src.Sheet.ParaStyles()->Items(1)->SetSpaceBefore(9);
  src.Doc.AddNL(u"x", 2, 1);
  TMemoryStream s;
  ASSERT_TRUE(src.Doc.SaveRVFToStream(&s, false, clNone, nullptr, nullptr, true));
  for (TRVFReaderStyleMode mode : {rvf_sInsertMap, rvf_sInsertMerge, rvf_sIgnore}) {
    SCOPED_TRACE(static_cast<int>(mode));
    TTestDoc dst(1, 1);
    dst.Doc.GetRootProperties()->RVFTextStylesReadMode = mode;
    dst.Doc.GetRootProperties()->RVFParaStylesReadMode = mode;
    dst.Doc.GetRootProperties()->RVFOptions.Include(rvfoConvUnknownStylesToZero);
    dst.Doc.AddNL(u"y", 0, 0);
    s.SetPosition(0);
    TColor color = clNone;
    ASSERT_TRUE(dst.Doc.InsertRVFFromStream(&s, 1, color, nullptr, nullptr, false));
    ASSERT_EQ(dst.Doc.ItemCount(), 2);
    const int text = dst.Doc.GetItem(1)->StyleNo, para = dst.Doc.GetItem(1)->ParaNo;
    if (mode == rvf_sInsertMerge) {
      // Styles the document lacks are added.
      EXPECT_EQ(dst.Sheet.TextStyles()->Items(text)->GetSize(), 31);
      EXPECT_EQ(dst.Sheet.ParaStyles()->Items(para)->GetSpaceBefore(), 9);
    } else {
      // Mapped to the nearest existing style, or ignored (numbers outside the sheet become 0).
      EXPECT_EQ(dst.Sheet.TextStyles()->Count(), 1);
      EXPECT_EQ(dst.Sheet.ParaStyles()->Count(), 1);
      EXPECT_EQ(text, 0);
      EXPECT_EQ(para, 0);
    }
  }
}

TEST(RVFRecords, TruncatedRecordsNeverCrashOrReadAsComplete) {
  RegisterClass(TTestDocObject::StaticClassInfo());
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary);
    TTestDoc a;
    TRVDataRootProperties* rp = a.Doc.GetRootProperties();
    binary ? rp->RVFOptions.Include(rvfoSaveBinary) : rp->RVFOptions.Exclude(rvfoSaveBinary);
    for (TRVFOption o : {rvfoSaveBack, rvfoSaveDocObjects, rvfoSaveLayout, rvfoSaveStyleTemplatesOnlyNames})
      rp->RVFOptions.Include(o);
    rp->UseStyleTemplates = true;
    a.Sheet.StyleTemplates()->Add()->SetName(u"Normal");
    a.Doc.AddNL(u"main", 0, 0);
    TTestDoc header;
    header.Doc.AddNL(u"header", 0, 0);
    rp->GetExtraDocumentsList()->AddObject(u"header", &header.Doc);
    auto* obj = new TTestDocObject();
    obj->SetValue(7);
    obj->SetCollection(static_cast<TCollection*>(a.Doc.GetDocObjects()));
    TTestBackground bg;
    bg.Style = 1;
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetSize(2, 2);
    bg.Image = std::move(bmp);
    TRVLayoutInfo layout;
    TMemoryStream s;
    ASSERT_TRUE(a.Doc.SaveRVFToStream(&s, false, clRed, &bg, &layout, true));
    const std::string full = StreamText(s);
    for (std::size_t n = 0; n < full.size(); ++n) {
      TTestDoc b;
      TRVDataRootProperties* bp = b.Doc.GetRootProperties();
      for (TRVFOption o : {rvfoLoadBack, rvfoLoadDocObjects, rvfoLoadLayout}) bp->RVFOptions.Include(o);
      bp->UseStyleTemplates = true;
      TTestDoc header2;
      bp->GetExtraDocumentsList()->AddObject(u"header", &header2.Doc);
      TTestBackground bg2;
      TRVLayoutInfo layout2;
      if (LoadInto(b.Doc, full.substr(0, n), &layout2, &bg2)) {
        if (!binary) {
          EXPECT_TRUE(n == 0 || full[n - 1] == '\n' || full[n - 1] == '\r') << n;
        }
        EXPECT_LE(b.Doc.ItemCount(), 1);
      }
    }
  }
}

TEST(RVFWriter, ARecordBeginningInsideALineHoldsOnlyThatLine) {
  // "b" continues the paragraph of "a"; "c" and "d" start paragraphs of the same formatting.
  // Packing them after "b" would make them continue the line too when read.
  TTestDoc t;
  t.Doc.GetRootProperties()->RVFOptions.Exclude(rvfoSaveBinary);
  t.Doc.AddNL(u"a", 1, 0);
  t.Doc.AddNL(u"b", 0, -1);
  t.Doc.AddNL(u"c", 0, 0);
  t.Doc.AddNL(u"d", 0, 0);
  TMemoryStream s;
  ASSERT_TRUE(t.Doc.SaveRVFToStream(&s, false, clNone, nullptr, nullptr, false));
  EXPECT_NE(StreamText(s).find("0 1 -1 9 3 0\r\n6200\r\n0 2 0 8 3 0\r\n6300\r\n6400\r\n"), std::string::npos)
      << StreamText(s);
  TTestDoc b;
  ASSERT_TRUE(LoadInto(b.Doc, StreamText(s)));
  EXPECT_EQ(b.Structure(), "P0 S0 P0 P0");
}
