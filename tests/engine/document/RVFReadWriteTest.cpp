// The native format end to end: writing documents, reading them back into equal documents,
// style records, damaged and truncated input, and saving over an existing file.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "DocTestUtil.h"
#include "engine/document/RVBreakItem.h"
#include "engine/document/RVFieldItems.h"
#include "engine/document/RVLayoutInfo.h"
#include "engine/document/RVLabelItem.h"
#include "engine/document/RVNoteItems.h"
#include "engine/document/RVSeqItem.h"
#include "engine/foundation/RVFMisc.h"
#include "platform/base/ComponentStream.h"

namespace {

std::string Save(TCustomRVData& Doc, bool Root = true) {
  TMemoryStream s;
  EXPECT_TRUE(Doc.SaveRVFToStream(&s, false, clNone, nullptr, nullptr, Root));
  return StreamText(s);
}

bool Load(TCustomRVData& Doc, const std::string& Data) {
  TMemoryStream s;
  if (!Data.empty()) s.WriteBuffer(Data.data(), static_cast<std::int64_t>(Data.size()));
  s.SetPosition(0);
  TColor color = clNone;
  return Doc.LoadRVFFromStream(&s, color, nullptr, nullptr);
}

void SetBinary(TCustomRVData& Doc, bool Binary) {
  TRVFOptions& o = Doc.GetRootProperties()->RVFOptions;
  if (Binary)
    o.Include(rvfoSaveBinary);
  else
    o.Exclude(rvfoSaveBinary);
}

std::string StyleBytes(TCollection* c) {
  TMemoryStream ms;
  {
    TWriter w(ms);
    w.WriteCollection(c);
  }
  return StreamText(ms);
}

// Item-by-item: class, kind, paragraph, options, tag, hint, text, and the item's own record.
void ExpectSameItems(TCustomRVData& A, TCustomRVData& B) {
  ASSERT_EQ(A.ItemCount(), B.ItemCount());
  for (int i = 0; i < A.ItemCount(); ++i) {
    TCustomRVItemInfo* x = A.GetItem(i);
    TCustomRVItemInfo* y = B.GetItem(i);
    EXPECT_EQ(x->ItemClass(), y->ItemClass()) << i;
    EXPECT_EQ(x->StyleNo, y->StyleNo) << i;
    EXPECT_EQ(x->ParaNo, y->ParaNo) << i;
    EXPECT_EQ(ItemOptionsForRVF(x->ItemOptions, false), ItemOptionsForRVF(y->ItemOptions, false)) << i;
    EXPECT_EQ(x->Tag, y->Tag) << i;
    EXPECT_EQ(x->Hint, y->Hint) << i;
    EXPECT_EQ(A.GetItemTextW(i), B.GetItemTextW(i)) << i;
    EXPECT_EQ(!x->Checkpoint, !y->Checkpoint) << i;
    if (x->StyleNo < 0) {
      TMemoryStream sx, sy;
      x->SaveRVF(&sx, &A, i, x->ParaNo, A.GetItemTextW(i), nullptr, false, nullptr);
      y->SaveRVF(&sy, &B, i, y->ParaNo, B.GetItemTextW(i), nullptr, false, nullptr);
      EXPECT_EQ(StreamText(sx), StreamText(sy)) << i;
    }
  }
}

// A document with every item kind built so far, notes, sidenotes and text boxes.
void BuildRichDocument(TTestDoc& t) {
  t.Sheet.TextStyles()->Items(1)->SetSize(14);
  t.Sheet.TextStyles()->Items(2)->StyleName = u"Quoted \"name\"";
  t.Sheet.ParaStyles()->Items(1)->SetSpaceBefore(7);
  t.Doc.AddNL(u"Plain", 0, 0);
  t.Doc.AddNL(u"second line", 0, 0);
  t.Doc.AddNL(u"bold", 1, -1, u"a \"tag\"\r\nx");
  t.Doc.GetItem(t.Doc.ItemCount() - 1)->Hint = u"hint\r\n";
  t.Doc.AddCheckpoint(u"cp1", true, u"cptag");
  t.Doc.AddNL(u"after checkpoint", 2, 1);
  auto* tab = new TRVTabItemInfo(&t.Doc);
  tab->SetTextStyleNo(2);
  tab->Hidden = true;
  tab->DeleteProtect = true;
  tab->Hint = u"tab hint";
  tab->SetSameAsPrev(true);
  t.Doc.AddItem(u"", tab);
  t.Doc.AddNL(u"nul\u0000 and \u20AC", 3, -1);
  t.Doc.AddBreak(2, rvbsDotted, 0x0000FF, u"brk");
  auto* label = new TRVLabelItemInfo(&t.Doc, 2, u"label");
  t.Doc.AddItem(u"lname", label);
  t.Doc.AddItem(u"", new TRVSeqItemInfo(&t.Doc, u"Figure", rvseqDecimal, 0, 1, false));
  auto* foot = new TRVFootnoteItemInfo(&t.Doc);
  foot->SetSameAsPrev(true);
  foot->GetDocument()->AddNL(u"note text", 0, 0);
  foot->GetDocument()->AddItem(u"", new TRVNoteReferenceItemInfo(foot->GetDocument()));
  t.Doc.AddItem(u"", foot);
  auto* end = new TRVEndnoteItemInfo(&t.Doc);
  end->SetSameAsPrev(true);
  end->GetDocument()->AddNL(u"endnote", 1, 1);
  t.Doc.AddItem(u"", end);
  auto* side = new TRVSidenoteItemInfo(&t.Doc);
  side->SetSameAsPrev(true);
  side->BoxProperties.Border.Color = 0x0000FF;
  side->BoxProperties.Width = 20000;
  side->BoxProperties.WidthType = rvbwtRelPage;
  side->BoxPosition.HorizontalAnchor = rvhanPage;
  side->GetDocument()->AddNL(u"side", 0, 0);
  t.Doc.AddItem(u"", side);
  auto* box = new TRVTextBoxItemInfo(&t.Doc);
  box->SetSameAsPrev(true);
  box->BoxProperties.VAlign = tlCenter;
  box->GetDocument()->AddNL(u"in the box", 0, 0);
  auto* inner = new TRVFootnoteItemInfo(box->GetDocument());
  inner->GetDocument()->AddNL(u"nested", 0, 0);
  box->GetDocument()->AddItem(u"", inner);
  t.Doc.AddItem(u"", box);
  t.Doc.AddNL(u"last", 0, 2);
  t.Doc.AddCheckpoint(u"on break", false);
  t.Doc.AddBreak(1, rvbsLine, clNone);
  t.Doc.AddCheckpoint(u"end", false);  // after the last item
}

}  // namespace

TEST(RVFWriter, ThreeParagraphsInBothForms) {
  TTestDoc t;
  EXPECT_EQ(Save(t.Doc, false), "");  // an empty document: nothing at all
  for (const char* s : {"a", "b", "c"}) t.Doc.AddNL(U(s), 0, 0);
  SetBinary(t.Doc, false);
  EXPECT_EQ(Save(t.Doc, false), "-8 1 3 2\r\n0 3 0 8 3 0\r\n6100\r\n6200\r\n6300\r\n");
  SetBinary(t.Doc, true);
  EXPECT_EQ(Save(t.Doc, false), std::string("-8 1 3 2\r\n0 3 0 8 0 0\r\na\0\x29\x20" "b\0\x29\x20" "c\0\x29\x20", 35));
}

TEST(RVFWriter, RecordsOfSameParagraphTagsAndEndCheckpoint) {
  TTestDoc t;
  SetBinary(t.Doc, false);
  t.Doc.AddNL(u"a", 0, 0, u"x");
  t.Doc.AddNL(u"b", 1, -1);
  t.Doc.AddBreak(1, rvbsLine, clNone);
  t.Doc.AddCheckpoint(u"z", false);
  const std::string s = Save(t.Doc, false);
  EXPECT_NE(s.find("0 1 0 8 3 \"x\"\r\n6100\r\n"), std::string::npos) << s;
  EXPECT_NE(s.find("1 1 -1 9 3 0\r\n6200\r\n"), std::string::npos) << s;
  EXPECT_NE(s.find("-2 1 0 0 0 0 0 0\r\nz\r\n"), std::string::npos) << s;  // after a last object item
}

TEST(RVFReadWrite, RichDocumentRoundTripsInBothForms) {
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary ? "binary" : "hex");
    TTestDoc a;
    BuildRichDocument(a);
    SetBinary(a.Doc, binary);
    const std::string first = Save(a.Doc);
    TTestDoc b(1, 1);
    SetBinary(b.Doc, binary);
    b.Doc.AddNL(u"old", 0, 0);
    ASSERT_TRUE(Load(b.Doc, first)) << first;
    EXPECT_TRUE(b.Doc.GetRVFWarnings().Empty());
    ExpectSameItems(a.Doc, b.Doc);
    EXPECT_EQ(StyleBytes(a.Sheet.TextStyles()), StyleBytes(b.Sheet.TextStyles()));
    EXPECT_EQ(StyleBytes(a.Sheet.ParaStyles()), StyleBytes(b.Sheet.ParaStyles()));
    EXPECT_EQ(StyleBytes(a.Sheet.ListStyles()), StyleBytes(b.Sheet.ListStyles()));
    ASSERT_NE(b.Doc.NotAddedCP, nullptr);
    EXPECT_EQ(b.Doc.NotAddedCP->Name, u"end");
    EXPECT_EQ(b.Doc.CPCount, a.Doc.CPCount);
    // Sub-documents read back item by item, the nested note included.
    for (int i = 0; i < a.Doc.ItemCount(); ++i) {
      auto* na = dynamic_cast<TCustomRVNoteItemInfo*>(a.Doc.GetItem(i));
      if (!na) continue;
      auto* nb = dynamic_cast<TCustomRVNoteItemInfo*>(b.Doc.GetItem(i));
      ASSERT_NE(nb, nullptr);
      ExpectSameItems(*na->GetDocument(), *nb->GetDocument());
      EXPECT_EQ(nb->GetDocument()->GetAbsoluteRootData(), &b.Doc);
    }
    auto* tab = dynamic_cast<TRVTabItemInfo*>(b.Doc.GetItem(4));
    ASSERT_NE(tab, nullptr);
    EXPECT_TRUE(tab->Hidden);
    EXPECT_TRUE(tab->DeleteProtect);
    EXPECT_EQ(tab->Hint, u"tab hint");
    EXPECT_EQ(Save(b.Doc), first);  // writing again gives the same bytes
  }
}

// Raw text ends are found in steps of several sizes: texts of every length up to well past the
// largest step, with the end at every offset in it, read back whole.
TEST(RVFReadWrite, TextsOfEveryLengthRoundTrip) {
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary ? "binary" : "hex");
    TTestDoc a;
    SetBinary(a.Doc, binary);
    std::vector<TRVUnicodeString> texts;
    for (int n = 1; n <= 140; ++n) {
      TRVUnicodeString s;
      for (int k = 0; k < n; ++k) s.push_back(k % 7 == 3 ? u'\u0436' : static_cast<char16_t>(u'a' + k % 26));
      texts.push_back(s);
      a.Doc.AddNL(s, n % 2, 0);
    }
    TTestDoc b;
    SetBinary(b.Doc, binary);
    ASSERT_TRUE(Load(b.Doc, Save(a.Doc)));
    ASSERT_EQ(b.Doc.ItemCount(), static_cast<int>(texts.size()));
    for (int i = 0; i < b.Doc.ItemCount(); ++i)
      EXPECT_EQ(b.Doc.GetItemTextW(i), texts[static_cast<std::size_t>(i)]) << i;
  }
}

TEST(RVFReader, TextRecordAndUnknownKind) {
  TTestDoc t;
  ASSERT_TRUE(Load(t.Doc, "-8 1 3 2\r\n0 2 0 8 3 0\r\n6100\r\n6200\r\n"));
  EXPECT_EQ(t.Doc.ItemCount(), 2);
  EXPECT_EQ(t.Doc.GetItemTextW(1), u"b");
  EXPECT_EQ(t.Structure(), "P0 P0");
  // A kind nobody registered is skipped with its lines; the checkpoint before it is lost.
  ASSERT_TRUE(Load(t.Doc, "-8 1 3 2\r\n-2 1 0 0 0 0 0 0\r\ncp\r\n-150 2 0 0 0 0\r\nx\r\ny\r\n0 1 0 8 3 0\r\n6300\r\n"));
  EXPECT_EQ(t.Doc.ItemCount(), 1);
  EXPECT_EQ(t.Doc.GetItemTextW(0), u"c");
  EXPECT_EQ(t.Doc.GetItem(0)->Checkpoint, nullptr);
  EXPECT_TRUE(t.Doc.GetRVFWarnings().Contains(rvfwUnknownItemKind));
  // Raw Unicode parts may hold CR LF; only U+2029 ends them.
  ASSERT_TRUE(Load(t.Doc, std::string("-8 1 3 2\r\n0 1 0 8 0 0\r\na\0\r\0\n\0b\0\x29\x20", 33)));
  EXPECT_EQ(t.Doc.GetItemTextW(0), u"a\r\nb");
}

TEST(RVFReader, OutOfRangeStyles) {
  struct Case {
    const char* data;
    bool toZero;
    bool ok;
  };
  const Case cases[] = {
      {"-8 1 3 2\r\n5 1 0 8 3 0\r\n6100\r\n", false, false},
      {"-8 1 3 2\r\n5 1 0 8 3 0\r\n6100\r\n", true, true},
      {"-8 1 3 2\r\n0 1 7 8 3 0\r\n6100\r\n", false, false},
      {"-8 1 3 2\r\n0 1 7 8 3 0\r\n6100\r\n", true, true},
  };
  for (const Case& c : cases) {
    TTestDoc t(3, 2);
    if (c.toZero) t.Doc.GetRootProperties()->RVFOptions.Include(rvfoConvUnknownStylesToZero);
    EXPECT_EQ(Load(t.Doc, c.data), c.ok) << c.data << c.toZero;
    EXPECT_TRUE(t.Doc.GetRVFWarnings().Contains(rvfwConvUnknownStyles));
    if (c.ok) {
      ASSERT_EQ(t.Doc.ItemCount(), 1);
      EXPECT_EQ(t.Doc.GetItem(0)->StyleNo, 0);
      EXPECT_EQ(t.Doc.GetItem(0)->ParaNo, 0);
    }
  }
}

TEST(RVFReader, InsertingMapsIncomingStyles) {
  TTestDoc src(3, 1);
  src.Sheet.TextStyles()->Items(2)->SetSize(31);
  src.Doc.AddNL(u"x", 2, 0);
  const std::string data = Save(src.Doc);
  TTestDoc dst(1, 1);
  dst.Doc.AddNL(u"y", 0, 0);
  TMemoryStream s;
  s.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  s.SetPosition(0);
  TColor color = clNone;
  ASSERT_TRUE(dst.Doc.AppendRVFFromStream(&s, -1, color, nullptr));
  ASSERT_EQ(dst.Doc.ItemCount(), 2);
  const int st = dst.Doc.GetItem(1)->StyleNo;
  ASSERT_GE(st, 0);
  ASSERT_LT(st, dst.Sheet.TextStyles()->Count());
  EXPECT_EQ(dst.Sheet.TextStyles()->Items(st)->GetSize(), 31);
  EXPECT_EQ(dst.Structure(), "P0 S0");
}

TEST(RVFReader, HostileNumbersFailCleanly) {
  const std::string cases[] = {
      "-8 1 3 2\r\n0 99999999999 0 8 3 0\r\n",                              // count beyond 32 bits
      "-8 1 3 2\r\n0 2000000000 0 8 3 0\r\n6100\r\n",                       // count beyond the bytes left
      std::string("-8 1 3 2\r\n-9 2 0 0 2 0 1\r\n\r\n\xFF\xFF\xFF\x7F", 30),  // block longer than the stream
      std::string("-8 1 3 2\r\n-9 2 0 0 2 0 1\r\n\r\n\x00\x00\x00\x80", 30),  // negative block length
      "-8 1 3 2\r\n0 1 0 8 3 0\r\n610\r\n",                                 // odd hex
      std::string("-8 1 3 2\r\n0 1 0 8 0 0\r\na\0\x29", 26),               // odd Unicode
  };
  for (const std::string& c : cases) {
    TTestDoc t;
    EXPECT_FALSE(Load(t.Doc, c)) << c;
  }
}

TEST(RVFReader, TruncationAtEveryByteNeverReadsAsComplete) {
  for (bool binary : {false, true}) {
    TTestDoc a;
    BuildRichDocument(a);
    SetBinary(a.Doc, binary);
    const std::string full = Save(a.Doc);
    int succeeded = 0;
    for (std::size_t n = 0; n < full.size(); ++n) {
      TTestDoc b;
      const bool ok = Load(b.Doc, full.substr(0, n));
      if (!ok) continue;
      // A cut that still reads must end on a record boundary: what was read is a prefix of
      // the document, written again as the same bytes.
      ++succeeded;
      if (!binary) {
        EXPECT_TRUE(n == 0 || full[n - 1] == '\n' || full[n - 1] == '\r') << n;
      }
      EXPECT_LE(b.Doc.ItemCount(), a.Doc.ItemCount()) << n;
    }
    EXPECT_LT(succeeded, static_cast<int>(full.size()) / 4);
  }
}

namespace {

class TFailingStream : public TMemoryStream {
 public:
  explicit TFailingStream(std::int64_t Limit) : FLimit(Limit) {}
  std::int64_t Write(const void* Buffer, std::int64_t Count) override {
    if (GetSize() + Count > FLimit) return 0;
    return TMemoryStream::Write(Buffer, Count);
  }

 private:
  std::int64_t FLimit;
};

std::string ReadFile(const std::string& Path) {
  std::ifstream f(Path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

}  // namespace

TEST(RVFWriter, FailedSavesKeepThePreviousFile) {
  TTestDoc t;
  BuildRichDocument(t);
  // A stream that fills up reports failure.
  TFailingStream full(100);
  EXPECT_FALSE(t.Doc.SaveRVFToStream(&full, false, clNone, nullptr, nullptr, true));

  char dirTemplate[] = "/tmp/rvfsaveXXXXXX";
  ASSERT_NE(::mkdtemp(dirTemplate), nullptr);
  const std::string dir = dirTemplate, path = dir + "/doc.rvf";
  {
    std::ofstream f(path, std::ios::binary);
    f << "previous content";
  }
  // A folder that cannot be written to (skipped where permissions do not bind, as for root).
  ::chmod(dir.c_str(), 0555);
  if (::access(dir.c_str(), W_OK) != 0) {
    EXPECT_FALSE(t.Doc.SaveRVF(UnicodeString(path.begin(), path.end()), false, clNone, nullptr, nullptr));
    EXPECT_EQ(ReadFile(path), "previous content");
  }
  ::chmod(dir.c_str(), 0755);
  // A failure in the middle of writing (an item whose record raises).
  struct TRaisingItem : TRVLabelItemInfo {
    using TRVLabelItemInfo::TRVLabelItemInfo;
    void SaveRVF(TStream*, TCustomRVData*, int, int, const TRVUnicodeString&, TRVMultiDrawItemPart*, bool,
                 const TRVScreenAndDevice*) override {
      throw EWriteError("disk full");
    }
  };
  t.Doc.AddItem(u"", new TRaisingItem(&t.Doc, 0, u"x"));
  EXPECT_FALSE(t.Doc.SaveRVF(UnicodeString(path.begin(), path.end()), false, clNone, nullptr, nullptr));
  EXPECT_EQ(ReadFile(path), "previous content");
  t.Doc.DeleteItems(t.Doc.ItemCount() - 1, 1);
  ASSERT_TRUE(t.Doc.SaveRVF(UnicodeString(path.begin(), path.end()), false, clNone, nullptr, nullptr));
  EXPECT_EQ(ReadFile(path), Save(t.Doc));
  TTestDoc b;
  TColor color = clNone;
  EXPECT_TRUE(b.Doc.LoadRVF(UnicodeString(path.begin(), path.end()), color, nullptr, nullptr));
  EXPECT_EQ(b.Doc.ItemCount(), t.Doc.ItemCount());
  std::remove(path.c_str());
  ::rmdir(dir.c_str());
}

TEST(RVFReadWrite, LayoutRecordInBothForms) {
  for (bool binary : {false, true}) {
    TTestDoc a;
    a.Doc.AddNL(u"x", 0, 0);
    SetBinary(a.Doc, binary);
    a.Doc.GetRootProperties()->RVFOptions.Include(rvfoSaveLayout);
    TRVLayoutInfo layout;
    layout.LeftMargin = 17;
    layout.MaxTextWidth = 600;
    TMemoryStream s;
    ASSERT_TRUE(a.Doc.SaveRVFToStream(&s, false, clNone, nullptr, &layout, true));
    for (bool load : {false, true}) {
      TTestDoc b;
      if (load) b.Doc.GetRootProperties()->RVFOptions.Include(rvfoLoadLayout);
      s.SetPosition(0);
      TRVLayoutInfo back;
      TColor color = clNone;
      ASSERT_TRUE(b.Doc.LoadRVFFromStream(&s, color, nullptr, &back)) << binary;
      EXPECT_EQ(back.LeftMargin, load ? 17 : 0);
      EXPECT_EQ(back.MaxTextWidth, load ? 600 : 0);
      EXPECT_EQ(b.Doc.ItemCount(), 1);
    }
  }
}
