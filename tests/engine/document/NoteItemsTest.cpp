// Notes, sidenotes and text boxes: numbering, their own documents, and the box properties.
#include "DocTestUtil.h"
#include "engine/document/RVNoteItems.h"
#include "engine/foundation/RVFMisc.h"

namespace {

TRVUnicodeString TextOf(TCustomRVData& Doc, int i) { return static_cast<TRVLabelItemInfo*>(Doc.GetItem(i))->GetText(); }

}  // namespace

TEST(Notes, FootnotesAndEndnotesNumberApart) {
  TTestDoc t;
  const bool foot[] = {true, false, true, true, false};
  for (bool f : foot) {
    if (f)
      t.Doc.AddItem(u"", new TRVFootnoteItemInfo(&t.Doc));
    else
      t.Doc.AddItem(u"", new TRVEndnoteItemInfo(&t.Doc));
  }
  std::vector<TRVUnicodeString> texts;
  for (int i = 0; i < t.Doc.ItemCount(); ++i) texts.push_back(TextOf(t.Doc, i));
  EXPECT_EQ(texts, (std::vector<TRVUnicodeString>{u"1", u"i", u"2", u"3", u"ii"}));
  EXPECT_EQ(FindFirstFootnoteInData(&t.Doc), t.Doc.GetItem(0));
  EXPECT_EQ(FindFirstEndnoteInData(&t.Doc), t.Doc.GetItem(1));
}

TEST(Notes, SidenotesAndTextBoxes) {
  TTestDoc t;
  t.Doc.AddItem(u"", new TRVSidenoteItemInfo(&t.Doc));
  auto* box = new TRVTextBoxItemInfo(&t.Doc);
  t.Doc.AddItem(u"", box);
  t.Doc.AddItem(u"", new TRVSidenoteItemInfo(&t.Doc));
  EXPECT_EQ(TextOf(t.Doc, 0), u"a");
  EXPECT_EQ(TextOf(t.Doc, 2), u"b");
  EXPECT_EQ(box->GetNoteText(), u"?");
  auto* side = static_cast<TRVSidenoteItemInfo*>(t.Doc.GetItem(0));
  EXPECT_EQ(FindNextSidenoteInData(&t.Doc, side), box);  // text boxes are sidenotes too
  side->BoxProperties.Background.Color = clNone;
  EXPECT_EQ(side->GetDocument()->GetColor(), t.Doc.GetColor());
  side->BoxProperties.Background.Color = 0x00FF00;
  EXPECT_EQ(side->GetDocument()->GetColor(), 0x00FF00);
}

TEST(Notes, NoteTextIsADocumentOfItsOwn) {
  TTestDoc t;
  auto* note = new TRVFootnoteItemInfo(&t.Doc);
  t.Doc.AddItem(u"", new TRVSeqItemInfo(&t.Doc, u"Figure", rvseqDecimal, 0, 0, false));
  t.Doc.AddItem(u"", note);
  TRVNoteData* doc = note->GetDocument();
  EXPECT_EQ(doc->GetAbsoluteRootData(), &t.Doc);
  EXPECT_EQ(doc->GetRVStyle(), &t.Sheet);
  doc->AddItem(u"", new TRVSeqItemInfo(doc, u"Figure", rvseqDecimal, 0, 0, false));
  EXPECT_EQ(TextOf(*doc, 0), u"1");  // numbered apart from the main text
  doc->AddItem(u"", new TRVNoteReferenceItemInfo(doc));
  EXPECT_EQ(static_cast<TRVNoteReferenceItemInfo*>(doc->GetItem(1))->FindOwnerNote(), note);
  // Loading replaces the whole content, even with an empty stream.
  TMemoryStream empty;
  EXPECT_TRUE(doc->LoadRVFFromStream(&empty));
  EXPECT_EQ(doc->ItemCount(), 0);
  // Assign copies the text through RVF; the copy has no per-page counter.
  doc->AddNL(u"copied", 0, 0);
  TRVFootnoteItemInfo copy(&t.Doc);
  copy.Assign(note);
  ASSERT_EQ(copy.GetDocument()->ItemCount(), 1);
  EXPECT_EQ(copy.GetDocument()->GetItemTextW(0), u"copied");
  EXPECT_EQ(copy.SRVCounter, -1);
}

TEST(Notes, RecordFormOfANote) {
  TTestDoc t;
  auto* note = new TRVFootnoteItemInfo(&t.Doc);
  note->GetDocument()->AddNL(u"a", 0, 0);
  note->FormatString = u"*";
  t.Doc.AddItem(u"", note);
  for (bool binary : {false, true}) {
    TRVFOptions& o = t.Doc.GetRootProperties()->RVFOptions;
    binary ? o.Include(rvfoSaveBinary) : o.Exclude(rvfoSaveBinary);
    TMemoryStream s;
    note->SaveRVF(&s, &t.Doc, 0, 0, u"", nullptr, false, nullptr);
    const std::string r = StreamText(s);
    const std::string inner = binary ? std::string("-8 1 3 2\r\n0 1 0 8 0 0\r\na\0\x29\x20", 27)
                                     : "-8 1 3 2\r\n0 1 0 8 3 0\r\n6100\r\n";
    const std::string head = std::string("-203 10 0 8 ") + (binary ? "2" : "0") +
                             " 0 0\r\n0\r\n0\r\n0\r\nno-protect\r\n0\r\n0\r\n\r\nspacing=0\r\nformat=*\r\n";
    ASSERT_EQ(r.substr(0, head.size()), head);
    if (binary) {
      EXPECT_EQ(r.substr(head.size()), std::string("\x1B\0\0\0", 4) + inner);
    } else {
      TMemoryStream bytes;
      ASSERT_TRUE(HexToStream(r.substr(head.size(), r.size() - head.size() - 2), &bytes));
      EXPECT_EQ(StreamText(bytes), inner);
    }
  }
  // A note text that is not hexadecimal fails the document.
  TTestDoc b;
  TMemoryStream bad;
  const std::string data = "-8 1 3 2\r\n-203 8 0 8 0 0 0\r\n0\r\n0\r\n0\r\nno-protect\r\n0\r\n0\r\n\r\nXYZ\r\n";
  bad.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  bad.SetPosition(0);
  TColor color = clNone;
  EXPECT_FALSE(b.Doc.LoadRVFFromStream(&bad, color, nullptr, nullptr));
}

TEST(BoxProperties, LinesDefaultsAndPadding) {
  TRVBoxProperties p;
  EXPECT_EQ(p.GetChangedPropertyCount(), 0);
  TMemoryStream none;
  p.SaveRVFExtraProperties(&none);
  EXPECT_EQ(none.GetSize(), 0);
  p.Border.Color = 0x0000FF;
  TMemoryStream red;
  p.SaveRVFExtraProperties(&red);
  EXPECT_EQ(StreamText(red), "boxbordercolor=255\r\n");
  // Padding 10 against a single border 1 wide at offset 10: 11; padding 20: 20; negative: 0.
  EXPECT_EQ(p.GetTotalLeftPadding(nullptr), 11);
  p.Background.BorderOffsets()->Left = 20;
  EXPECT_EQ(p.GetTotalLeftPadding(nullptr), 20);
  p.Background.BorderOffsets()->Top = -30;
  p.Border.BorderOffsets()->Top = -30;
  EXPECT_EQ(p.GetTotalTopPadding(nullptr), 1);
  // Assign leaves VAlign.
  TRVBoxProperties q;
  q.VAlign = tlBottom;
  p.VAlign = tlCenter;
  q.Assign(&p);
  EXPECT_EQ(q.VAlign, tlBottom);
  EXPECT_EQ(q.Border.Color, 0x0000FF);
  // Names, and a value that is not a number.
  EXPECT_TRUE(q.SetExtraCustomProperty("boxwidthtype", u"1"));
  EXPECT_EQ(q.WidthType, rvbwtRelPage);
  EXPECT_FALSE(q.SetExtraCustomProperty("boxnothing", u"1"));
  TRVBoxPosition pos;
  EXPECT_THROW(pos.SetExtraCustomProperty("boxhoffs", u"x"), EConvertError);
  EXPECT_TRUE(pos.SetExtraCustomProperty("boxreltocell", u"0"));
  EXPECT_FALSE(pos.RelativeToCell);
  TMemoryStream ps;
  pos.SaveRVFExtraProperties(&ps);
  EXPECT_EQ(StreamText(ps), "boxreltocell=0\r\n");
  // Units: a relative width stays, border and padding convert.
  TRVStyle sheet(nullptr);
  TRVBoxProperties rel;
  rel.WidthType = rvbwtRelPage;
  rel.Width = 20000;
  rel.ConvertToDifferentUnits(rvstuTwips, &sheet);
  EXPECT_EQ(rel.Width, 20000);
  EXPECT_EQ(rel.Background.BorderOffsets()->Left, 150);
}
