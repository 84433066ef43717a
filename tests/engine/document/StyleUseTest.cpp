#include "DocTestUtil.h"
#include "engine/document/RVDeleteUnusedStyles.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVRTFReaderProps.h"

namespace {

void AddText(TCustomRVData& D, const char16_t* S, int Style, int Para, bool SameLine) {
  auto* t = new TRVTextItemInfo(&D);
  t->StyleNo = Style;
  t->ParaNo = Para;
  if (SameLine) t->SetSameAsPrev(true);
  D.AddItemAsIs(S, std::unique_ptr<TCustomRVItemInfo>(t));
}

// A reader that appends "cd" on the line of the document's last item and notes the base path.
class TFakeRTFReader : public TRVRTFReaderProperties {
 public:
  TRVUnicodeString PathDuringRead;
  TRVRTFErrorCode ReadFromFile(const TRVUnicodeString&, TCustomRVData* D, bool) override {
    PathDuringRead = BasePath;
    return ReadFromStream(nullptr, D, false);
  }
  TRVRTFErrorCode ReadFromStream(TStream*, TCustomRVData* D, bool) override {
    AddText(*D, u"c", 0, 0, true);
    AddText(*D, u"d", 0, 0, true);
    return rtf_ec_UnmatchedBrace;
  }
};

class TRTFRoot : public TRVPlainRootData {
 public:
  using TRVPlainRootData::TRVPlainRootData;
  TObject* GetRTFProperties() override { return Reader; }
  TObject* Reader = nullptr;
};

}  // namespace

TEST(StyleUse, GetOrAddTextStyleNotifiesOnlyForNewStyles) {
  TTestDoc t(4);
  t.Sheet.TextStyles()->Items(3)->SetSize(17);
  int added = 0;
  struct TCounting : TRVPlainRootData {
    using TRVPlainRootData::TRVPlainRootData;
    int* Added = nullptr;
    void AfterAddStyle(TCustomRVInfo*) override { ++*Added; }
  } doc(&t.Sheet);
  doc.Added = &added;
  TFontInfo same(nullptr);
  same.Assign(t.Sheet.TextStyles()->Items(3));
  EXPECT_EQ(doc.GetOrAddTextStyle(&same), 3);
  EXPECT_EQ(added, 0);
  same.SetSize(31);
  EXPECT_EQ(doc.GetOrAddTextStyle(&same), 4);
  EXPECT_EQ(added, 1);
}

TEST(StyleUse, DeleteUnusedStylesRenumbers) {
  TTestDoc t(6, 2);
  for (int i = 0; i < 6; ++i) t.Sheet.TextStyles()->Items(i)->Standard = false;
  for (int i = 0; i < 6; ++i) t.Sheet.TextStyles()->Items(i)->SetSize(10 + i);
  t.Sheet.ParaStyles()->Items(1)->Standard = false;
  AddText(t.Doc, u"a", 0, 0, false);
  AddText(t.Doc, u"b", 3, 0, true);
  AddText(t.Doc, u"c", 5, 0, false);
  t.Sheet.TextStyles()->Items(5)->NextStyleNo = 99;  // out of range: dropped while marking
  t.Doc.DeleteUnusedStyles(true, true, true);
  ASSERT_EQ(t.Sheet.TextStyles()->Count(), 3);
  EXPECT_EQ(t.Doc.GetItem(0)->StyleNo, 0);
  EXPECT_EQ(t.Doc.GetItem(1)->StyleNo, 1);
  EXPECT_EQ(t.Doc.GetItem(2)->StyleNo, 2);
  EXPECT_EQ(t.Sheet.TextStyles()->Items(1)->GetSize(), 13);
  EXPECT_EQ(t.Sheet.TextStyles()->Items(2)->GetSize(), 15);
  EXPECT_EQ(t.Sheet.TextStyles()->Items(2)->NextStyleNo, -1);
  EXPECT_EQ(t.Sheet.ParaStyles()->Count(), 1);
}

TEST(StyleUse, ReferencedStylesAreKept) {
  TTestDoc t(3, 1);
  for (int i = 0; i < 3; ++i) t.Sheet.TextStyles()->Items(i)->Standard = false;
  AddText(t.Doc, u"a", 0, 0, false);
  AddText(t.Doc, u"b", 2, 0, true);
  t.Sheet.TextStyles()->Items(2)->BaseStyleNo = 1;
  t.Doc.DeleteUnusedStyles(true, false, false);
  EXPECT_EQ(t.Sheet.TextStyles()->Count(), 3);
  EXPECT_EQ(t.Doc.GetItem(1)->StyleNo, 2);
}

TEST(ItemJoining, ConcateRules) {
  TTestDoc t;
  AddText(t.Doc, u"ab", 0, 0, false);
  AddText(t.Doc, u"cd", 0, 0, true);
  AddText(t.Doc, u"", 1, 0, true);
  AddText(t.Doc, u"ef", 1, 0, true);
  AddText(t.Doc, u"gh", 1, 0, true);
  t.Doc.SetCheckpointInfo(2, u"", u"cp", false);
  t.Doc.SetCheckpointInfo(4, u"", u"keep", false);
  t.Doc.MassSimpleConcateAll();
  ASSERT_EQ(t.Doc.ItemCount(), 3);
  EXPECT_EQ(t.Doc.GetItemTextW(0), u"abcd");
  EXPECT_EQ(t.Doc.GetItemTextW(1), u"ef");  // took the checkpoint of the empty item
  ASSERT_NE(t.Doc.GetItem(1)->Checkpoint, nullptr);
  EXPECT_EQ(t.Doc.GetItem(1)->Checkpoint->Name, u"cp");
  EXPECT_EQ(t.Doc.GetItemTextW(2), u"gh");  // a checkpoint keeps the items apart
}

TEST(Normalize, ParagraphStructure) {
  TTestDoc t;
  AddText(t.Doc, u"a", 0, 1, true);  // first item continuing nothing
  AddText(t.Doc, u"b", 0, 2, true);  // joined into "a"
  AddText(t.Doc, u"c", 1, 0, true);  // continues the line: takes paragraph 1
  t.Doc.AddItemAsIs(u"", std::make_unique<TRVMarkerItemInfo>(&t.Doc, -1, 0, 1, false));
  t.Doc.AddItemAsIs(u"", std::make_unique<TRVMarkerItemInfo>(&t.Doc, -1, 0, 1, false));
  t.Doc.NormalizeDocument(0, true);
  ASSERT_EQ(t.Doc.ItemCount(), 6) << t.Structure();
  EXPECT_EQ(t.Doc.GetItemTextW(0), u"ab");
  EXPECT_FALSE(t.Doc.GetItem(0)->GetSameAsPrev());
  EXPECT_EQ(t.Doc.GetItem(1)->ParaNo, 1);
  EXPECT_EQ(t.Doc.GetItem(2)->StyleNo, ItemKindListMarker);
  EXPECT_EQ(t.Doc.GetItem(3)->StyleNo, 0);  // empty text between the two markers
  EXPECT_EQ(t.Doc.GetItem(4)->StyleNo, ItemKindListMarker);
  EXPECT_EQ(t.Doc.GetItem(5)->StyleNo, 0);  // and after the last one
  EXPECT_TRUE(t.Doc.GetItem(5)->GetSameAsPrev());
}

TEST(ItemJoining, LoadRTFJoinsWhatTheReaderAdded) {
  TRVStyle sheet(nullptr);
  TRTFRoot doc(&sheet);
  AddText(doc, u"ab", 0, 0, false);
  EXPECT_EQ(doc.LoadRTFFromStream(nullptr), rtf_ec_Assertion);  // no reader
  EXPECT_EQ(doc.ItemCount(), 1);
  TFakeRTFReader reader;
  doc.Reader = &reader;
  EXPECT_EQ(doc.LoadRTF(u"/some/folder/in.rtf"), rtf_ec_UnmatchedBrace);
  EXPECT_EQ(reader.PathDuringRead, u"/some/folder/");
  EXPECT_TRUE(reader.BasePath.empty());
  ASSERT_EQ(doc.ItemCount(), 1);
  EXPECT_EQ(doc.GetItemTextW(0), u"abcd");
}
