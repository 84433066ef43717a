#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "DocTestUtil.h"
#include "engine/document/RVDocParams.h"
#include "engine/document/RVFieldItems.h"
#include "engine/document/RVLayoutInfo.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVSeqItem.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVGrHandler.h"
#include "platform/graphics/Pictures.h"
#include "engine/styles/ListInfo.h"

namespace {

struct LevelSpec {
  TRVListType Type;
  const char16_t* Format;
  bool LevelReset = true;
  bool Legal = false;
};

// A list style with the given levels; returns its index.
int AddList(TRVStyle& Sheet, std::initializer_list<LevelSpec> Levels) {
  TRVListInfo* list = Sheet.ListStyles()->Add();
  for (const LevelSpec& s : Levels) {
    TRVListLevel* l = list->Levels()->Add();
    l->ListType = s.Type;
    l->FormatString = s.Format;
    l->Options = {rvloContinuous};
    if (s.LevelReset) l->Options.Include(rvloLevelReset);
    if (s.Legal) l->Options.Include(rvloLegalStyleNumbering);
  }
  return list->GetIndex();
}

struct Para {
  int Level;
  int StartFrom = -1;  // -1: no reset
};

// Paragraphs "x" with markers at the given levels; the markers' texts in order.
std::vector<TRVUnicodeString> Number(TTestDoc& t, int ListNo, const std::vector<Para>& Paras) {
  for (const Para& p : Paras) {
    t.Doc.AddNL(u"x", 0, 0);
    t.Doc.SetListMarkerInfo(t.Doc.ItemCount() - 1, ListNo, p.Level, p.StartFrom < 0 ? 1 : p.StartFrom, 0,
                            p.StartFrom >= 0);
  }
  std::vector<TRVUnicodeString> r;
  for (int i = 0; i < t.Doc.ItemCount(); ++i)
    if (auto* m = dynamic_cast<TRVMarkerItemInfo*>(t.Doc.GetItem(i))) r.push_back(m->DisplayString);
  return r;
}

TEST(MarkerNumbering, Cases) {
  struct Case {
    const char* Name;
    std::initializer_list<LevelSpec> Levels;
    std::vector<Para> Paras;
    std::vector<TRVUnicodeString> Texts;
  } cases[] = {
      {"decimal", {{rvlstDecimal, u"%0:s."}}, {{0}, {0}, {0}}, {u"1.", u"2.", u"3."}},
      {"reset at the second", {{rvlstDecimal, u"%0:s."}}, {{0}, {0, 5}, {0}}, {u"1.", u"5.", u"6."}},
      {"two levels",
       {{rvlstDecimal, u"%0:s."}, {rvlstDecimal, u"%0:s.%1:s"}},
       {{0}, {0}, {1}},
       {u"1.", u"2.", u"2.1"}},
      {"level reset restarts the sub-level",
       {{rvlstDecimal, u"%0:s."}, {rvlstDecimal, u"%0:s.%1:s"}},
       {{0}, {1}, {1}, {0}, {1}},
       {u"1.", u"1.1", u"1.2", u"2.", u"2.1"}},
      {"without level reset the sub-level continues",
       {{rvlstDecimal, u"%0:s."}, {rvlstDecimal, u"%0:s.%1:s", false}},
       {{0}, {0}, {1}, {0}, {1}},
       {u"1.", u"2.", u"2.1", u"3.", u"3.2"}},
      {"legal numbering under a Roman item",
       {{rvlstUpperRoman, u"%0:s."}, {rvlstDecimal, u"%0:s.%1:s", true, true}},
       {{0}, {0}, {1}},
       {u"I.", u"II.", u"2.1"}},
      {"without legal numbering the Roman stays",
       {{rvlstUpperRoman, u"%0:s."}, {rvlstDecimal, u"%0:s.%1:s"}},
       {{0}, {0}, {1}},
       {u"I.", u"II.", u"II.1"}},
      {"a sub-item first counts as a used number", {{rvlstDecimal, u"%0:s."}, {rvlstDecimal, u"%1:s)"}}, {{1}, {0}}, {u"1)", u"2."}},
      {"a missing middle level comes from its start value",
       {{rvlstDecimal, u"%0:s"}, {rvlstLowerAlpha, u"%0:s%1:s"}, {rvlstDecimal, u"%0:s.%1:s.%2:s"}},
       {{0}, {2}},
       {u"1", u"1.a.1"}},
      {"a level beyond the last uses the last",
       {{rvlstDecimal, u"%0:s."}, {rvlstDecimal, u"%5:s)"}},
       {{0}, {5}, {5}},
       {u"1.", u"1)", u"2)"}},
      {"bullets drop their placeholders", {{rvlstBullet, u"*%s"}}, {{0}, {0}}, {u"*", u"*"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TTestDoc t;
    const int list = AddList(t.Sheet, c.Levels);
    EXPECT_EQ(Number(t, list, c.Paras), c.Texts);
  }
}

TEST(MarkerNumbering, HostileLevelsAndFormatsNeverRaise) {
  TTestDoc t;
  const int list = AddList(t.Sheet, {{rvlstDecimal, u"%0:s.%s%s%s%n"}, {rvlstDecimal, u"%300:s"}});
  std::vector<TRVUnicodeString> texts;
  EXPECT_NO_THROW(texts = Number(t, list, {{0}, {300}, {2147483647}, {256}, {1}}));
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[0], u"%0:s.%s%s%s%n");  // a format the formatter refuses is shown as it is
  EXPECT_EQ(texts[4], u"%300:s");
  // A list number beyond the sheet's lists and a negative level give no text at all.
  TRVMarkerItemInfo lost(&t.Doc, 99, 0, 1, false);
  EXPECT_EQ(lost.GetLevelInfo(&t.Sheet), nullptr);
  TRVMarkerList only;
  only.Add(&lost);
  EXPECT_NO_THROW(only.RecalcCounters(0, &t.Sheet, true));
  EXPECT_EQ(lost.Counter, 0);
  EXPECT_TRUE(lost.DisplayString.empty());
}

TEST(MarkerList, ParagraphsAndStreams) {
  TTestDoc t;
  const int list = AddList(t.Sheet, {{rvlstDecimal, u"%0:s."}});
  t.Doc.AddNL(u"a", 0, 1);
  t.Doc.AddBreak(1, 0, clNone);
  EXPECT_EQ(t.Doc.SetListMarkerInfo(1, list, 0, 1, 0, false), -1);  // a line cannot be listed
  EXPECT_EQ(t.Doc.SetListMarkerInfo(0, list, 0, 1, 0, false), 0);
  EXPECT_EQ(t.Structure(), "P1 S1 P0");
  EXPECT_EQ(t.Doc.SetListMarkerInfo(1, list, 0, 1, 0, false), 0);  // the same marker again
  int l = -1, lv = -1, sf = -1;
  bool reset = true;
  EXPECT_EQ(t.Doc.GetListMarkerInfo(1, l, lv, sf, reset), 0);
  EXPECT_EQ(l, list);
  EXPECT_FALSE(reset);
  t.Doc.SetPageBreaksBeforeItems(1, true);  // goes to the marker
  EXPECT_TRUE(t.Doc.GetItem(0)->GetPageBreakBefore());
  EXPECT_FALSE(t.Doc.GetItem(1)->GetPageBreakBefore());
  t.Doc.AddNL(u"b", 0, 0);
  t.Doc.SetListMarkerInfo(3, list, 0, 1, 0, false);
  TRVMarkerList* markers = t.Doc.GetMarkers(false);
  ASSERT_TRUE(markers);
  EXPECT_EQ(markers->Count(), 2);
  EXPECT_EQ(markers->Items(1)->DisplayString, u"2.");

  TMemoryStream hex;
  markers->SaveTextToStream(&hex, 2);
  EXPECT_EQ(StreamText(hex).size(), 84u + 2u);  // 2 x 17 + 8 bytes as hex, then CR LF
  TRVMarkerList back;
  EXPECT_TRUE(back.LoadText(StreamText(hex).substr(0, 84), &t.Doc));
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.Items(1)->Counter, 2);
  EXPECT_EQ(back.Items(1)->ListNo, list);
  EXPECT_FALSE(back.LoadText(StreamText(hex).substr(0, 60), &t.Doc));  // cut short
  EXPECT_EQ(back.Count(), 0);
  EXPECT_FALSE(back.LoadBinary(std::string("\0\0\0\0\xFF\xFF\xFF\x7F", 8), &t.Doc));

  // Deleting the first marker's paragraph renumbers the second.
  t.Doc.DeleteItems(0, 3);
  ASSERT_EQ(markers, t.Doc.GetMarkers(false));
  EXPECT_EQ(markers->Count(), 1);
  EXPECT_EQ(markers->Items(0)->DisplayString, u"1.");
  t.Doc.Clear();
  EXPECT_EQ(t.Doc.GetMarkers(false), nullptr);
}

TEST(MarkerItem, RVFAndGeometry) {
  TTestDoc t;
  const int list = AddList(t.Sheet, {{rvlstDecimal, u"%0:s."}});
  t.Sheet.ListStyles()->Items(list)->StyleName = u"Numbers \"1\"";
  TRVMarkerItemInfo m(&t.Doc, list, 0, 3, true);
  m.NoHTMLImageSize = true;
  TMemoryStream s;
  m.SaveRVF(&s, &t.Doc, 0, 2, {}, nullptr, false, nullptr);
  EXPECT_EQ(StreamText(s), "-11 1 2 8 0 0 " + std::to_string(list) + " 0 3 1\r\nnohtmlsize=1\r\n");
  t.Doc.GetRootProperties()->RVFOptions.Include(rvfoUseStyleNames);
  EXPECT_EQ(m.GetRVFHeaderTailText(&t.Doc), "\"Numbers \"\"1\"\"\" 0 3 1");
  struct Case {
    const char* Tail;
    bool Ok;
    int ListNo;
  } cases[] = {{"\"Numbers \"\"1\"\"\" 1 2 0", true, list}, {"\"Nothing\" 1 2 0", true, 0}, {"4 1 2", false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Tail);
    TRVMarkerItemInfo r(&t.Doc);
    const char* p = c.Tail;
    bool used = false;
    EXPECT_EQ(r.ReadRVFHeaderTail(p, &t.Doc, true, used), c.Ok);
    if (c.Ok) {
      EXPECT_EQ(r.ListNo, c.ListNo);
    }
  }
  // Geometry of an 11-pixel glyph centred on the marker position.
  TRVListLevel* lv = t.Sheet.ListStyles()->Items(list)->Levels()->Items(0);
  lv->MarkerAlignment = rvmaCenter;
  lv->LeftIndent = 0;
  lv->FirstIndent = 0;
  TRVMarkerItemInfo img(&t.Doc, list, 0, 1, false);
  TRVJustifyDrawLineInfo dli;
  TRVDrawLineInfo wrong;
  int h = 0, d = 0;
  EXPECT_THROW(img.OnDocWidthChange(100, &wrong, nullptr, &t.Doc, nullptr, h, d, {}), EViroZereError);
  lv->ListType = rvlstImageList;
  TCustomImageList images(11, 7);
  lv->ImageList = &images;
  img.OnDocWidthChange(100, &dli, nullptr, &t.Doc, nullptr, h, d, {});
  EXPECT_EQ(dli.Width, 11);
  EXPECT_EQ(h, -6);  // 6 pixels left of the marker position, 5 right
  EXPECT_EQ(img.GetMinWidth(nullptr, nullptr, &t.Doc), 5);
  EXPECT_EQ(img.AsText(&t.Doc, 0, {}, nullptr), u"* ");
}

TEST(Sequences, NamesIgnoreCase) {
  TTestDoc t;
  struct S {
    const char16_t* Name;
    TRVSeqType Type;
    int StartFrom;
    bool Reset;
  } items[] = {{u"Figure", rvseqDecimal, 0, false},   {u"Table", rvseqDecimal, 0, false},
               {u"figure", rvseqDecimal, 0, false},   {u"FIGURE", rvseqDecimal, 0, false},
               {u"Table", rvseqLowerRoman, 10, true}, {u"Table", rvseqLowerRoman, 0, false},
               {u"", rvseqDecimal, 0, false},         {u"Alpha", rvseqUpperAlpha, 0, true},
               {u"Alpha", rvseqUpperAlpha, 0, false}};
  for (const S& s : items) {
    t.Doc.AddItem(u"", new TRVSeqItemInfo(&t.Doc, s.Name, s.Type, 0, s.StartFrom, s.Reset));
  }
  std::vector<TRVUnicodeString> texts;
  for (int i = 0; i < t.Doc.ItemCount(); ++i) texts.push_back(static_cast<TRVSeqItemInfo*>(t.Doc.GetItem(i))->GetText());
  EXPECT_EQ(texts, (std::vector<TRVUnicodeString>{u"1", u"1", u"2", u"3", u"x", u"xi", u"1", u"?", u"A"}));
  EXPECT_EQ(static_cast<TRVSeqItemInfo*>(t.Doc.GetItem(6))->SeqName, u"tvirozere");
  auto* first = static_cast<TRVSeqItemInfo*>(t.Doc.GetItem(0));
  EXPECT_FALSE(first->SetExtraStrPropertyEx(200, u"text"));
  EXPECT_TRUE(t.Doc.SetItemExtraStrPropertyEx(0, 301, u"(%s)"));
  EXPECT_EQ(first->GetText(), u"(1)");
  EXPECT_TRUE(t.Doc.SetItemExtraStrPropertyEx(0, 301, u"%d %n"));  // refused by the formatter
  EXPECT_EQ(first->GetText(), u"%d %n");
  EXPECT_TRUE(t.Doc.SetItemExtraIntPropertyEx(0, 301, 1));  // reset at 0
  EXPECT_EQ(static_cast<TRVSeqItemInfo*>(t.Doc.GetItem(2))->GetText(), u"1");
  t.Doc.DeleteItems(0, 1);
  EXPECT_EQ(static_cast<TRVSeqItemInfo*>(t.Doc.GetItem(1))->GetText(), u"1");
  EXPECT_EQ(static_cast<TRVSeqItemInfo*>(t.Doc.GetItem(2))->GetText(), u"2");
}

TEST(PageFields, PrintedTextsAndFragments) {
  TTestDoc t;
  struct Case {
    TRVPageNumberType Type;
    int Page;
    const char16_t* Printed;
    const char* RTFSwitch;
  } cases[] = {{rvpntDecimalDash, 3, u"- 3 -", " \\\\* ArabicDash"},
               {rvpntUpperRoman, 4, u"IV", " \\\\* ROMAN"},
               {rvpntDefault, 7, u"7", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(UnicodeToUtf8(c.Printed));
    TRVPageNumberItemInfo n(&t.Doc, c.Type, 0);
    EXPECT_EQ(n.GetTextForPrinting(&t.Doc, nullptr, c.Page, 20), c.Printed);
    TMemoryStream rtf;
    n.SaveRTF(&rtf, &t.Doc, 0, 0, nullptr, rvrtfdtMain, false);
    EXPECT_EQ(StreamText(rtf), std::string("{\\field\\fldedit{\\*\\fldinst {PAGE ") + c.RTFSwitch +
                                   " \\\\* MERGEFORMAT }}{\\fldrslt {" + UnicodeToUtf8(n.GetNumberText(1)) + "}}}");
    // The label's spacing line, then the number type unless it is the default.
    EXPECT_EQ(n.GetRVFExtraPropertyCount(), c.Type == rvpntDefault ? 1 : 2);
  }
  TRVPageCountItemInfo count(&t.Doc, rvpntLowerRoman, 0);
  EXPECT_EQ(count.GetTextForPrinting(&t.Doc, nullptr, 1, 12), u"12");
  EXPECT_EQ(count.GetDisplayText(&t.Doc), u"00");
  EXPECT_EQ(count.GetText(), u"{P}");
  TMemoryStream docx;
  count.SaveOOXMLBeforeRun(&docx, &t.Doc, 0, nullptr, false);
  EXPECT_EQ(StreamText(docx), "<w:fldSimple w:instr=\" NUMPAGES  \\* roman \\* MERGEFORMAT \">");
  TRVPageNumberItemInfo read(&t.Doc);
  EXPECT_TRUE(read.SetExtraCustomProperty("pagenumbertype", u"5"));
  EXPECT_EQ(read.NumberType, rvpntLowerRoman);
  EXPECT_FALSE(read.SetExtraCustomProperty("pagenumbertype", u"9"));
  // Print fields enter the document's list and leave it with their item.
  t.Doc.AddItem(u"", new TRVPageNumberItemInfo(&t.Doc));
  ASSERT_TRUE(t.Doc.GetPrintFieldList(false));
  EXPECT_EQ(t.Doc.GetPrintFieldList(false)->Count(), 1);
  t.Doc.Clear();
  EXPECT_EQ(t.Doc.GetPrintFieldList(false), nullptr);
}

// ---- document parameters ----

std::string RVFLines(const TRVDocParameters& p) {
  TMemoryStream s;
  p.SaveToRVF(&s);
  return StreamText(s);
}

TEST(DocParameters, RVFLines) {
  TRVDocParameters p;
  EXPECT_EQ(p.GetRVFLineCount(), 0);
  EXPECT_EQ(RVFLines(p), "");
  EXPECT_TRUE(p.AreAllValuesDefault());
  p.ConvertToUnits(rvuCentimeters);
  const std::string lines = RVFLines(p);
  EXPECT_EQ(lines.substr(0, lines.find("\r\n")), "Units=1");
  EXPECT_NE(lines.find("\r\nPageHeight=29.7\r\nPageWidth=21\r\nLeftMargin=3.175\r\n"), std::string::npos) << lines;
  EXPECT_EQ(p.GetRVFLineCount(), 9);
  TRVDocParameters z;
  z.ZoomMode = rvzmFullPage;
  z.ZoomPercent = 150;
  z.Comments = u"a\r\nb";
  EXPECT_EQ(RVFLines(z), "ZoomMode=0\r\nComments=a\x01\x02" "b\r\n");
  TRVDocParameters back;
  back.ZoomPercent = 80;
  for (const char* line : {"ZoomMode=0", "Comments=a\x01\x02" "b", "MirrorMargins=yes", "FacingPages=0", "Nothing=1",
                           "no equals", "LeftMargin=1.5"})
    EXPECT_TRUE(back.ReadProperyFromString(line, true, 0)) << line;
  EXPECT_EQ(back.ZoomMode, rvzmFullPage);
  EXPECT_EQ(back.ZoomPercent, 80);
  EXPECT_EQ(back.Comments, u"a\r\nb");
  EXPECT_TRUE(back.MirrorMargins);
  EXPECT_FALSE(back.FacingPages);
  EXPECT_EQ(back.LeftMargin, 1.5L);
}

TEST(DocParameters, OutOfRangeOrdinalsKeepTheDefault) {
  TRVDocParameters p;
  for (const char* line : {"Units=6", "Units=-1", "Orientation=2", "ZoomMode=3", "Units=abc", "PageWidth=wide", "ZoomPercent=x"})
    EXPECT_FALSE(p.ReadProperyFromString(line, true, 0)) << line;
  EXPECT_TRUE(p.AreAllValuesDefault());
  EXPECT_TRUE(p.ReadProperyFromString("Units=5", true, 0));
  EXPECT_EQ(p.Units, rvuPoints);
}

TEST(DocParameters, CommaLocale) {
  const WideChar old = FormatSettings().DecimalSeparator;
  FormatSettings().DecimalSeparator = u',';
  TRVDocParameters p;
  p.LeftMargin = 1.5L;
  const std::string lines = RVFLines(p);
  TRVDocParameters back;
  const bool ok = back.ReadProperyFromString("LeftMargin=1.5", true, 0);
  FormatSettings().DecimalSeparator = old;
  EXPECT_EQ(lines, "LeftMargin=1.5\r\n");
  EXPECT_TRUE(ok);
  EXPECT_EQ(back.LeftMargin, 1.5L);
}

TEST(DocParameters, InterchangeFragments) {
  TRVDocParameters p;
  p.Comments = u"a_xb\r\nc";
  p.Title = u"T";
  TMemoryStream core;
  p.SaveOOXMLCoreProperties(&core);
  EXPECT_EQ(StreamText(core), "<dc:title>T</dc:title><dc:description>a_x005f_xb_x000d_c</dc:description>");
  p.Orientation = poLandscape;
  p.TitlePage = true;
  TMemoryStream sect, settings, rtf;
  p.SaveOOXMLSectionProperties(&sect);
  EXPECT_EQ(StreamText(sect),
            "<w:pgSz w:w=\"11906\" w:h=\"16838\" w:orient=\"landscape\"/><w:pgMar w:top=\"1440\" w:right=\"1800\" "
            "w:bottom=\"1440\" w:left=\"1800\" w:header=\"720\" w:footer=\"720\" w:gutter=\"0\"/><w:titlePg/>");
  p.ZoomMode = rvzmPageWidth;
  p.SaveOOXMLDocumentSettings(&settings);
  EXPECT_EQ(StreamText(settings), "<w:zoom w:val=\"bestFit\" w:percent=\"100\"/>");
  p.Author = u"\u0418\u0432\u0430\u043D";
  p.SaveToRTF(&rtf, false);
  const std::string r = StreamText(rtf);
  EXPECT_EQ(r.find("\\landscape\\paperw11906\\paperh16838\\margl1800\\margr1800\\margt1440\\margb1440"), 0u) << r;
  EXPECT_NE(r.find("\\viewzk2\\titlepg{\\info{\\author {\\upr{"), std::string::npos) << r;
  EXPECT_NE(r.find("}{\\*\\ud "), std::string::npos);
  EXPECT_NE(r.find("{\\title T}"), std::string::npos);
}

// ---- layout record and small helpers ----

TEST(LayoutInfo, BinaryForms) {
  TRVLayoutInfo a;
  a.LeftMargin = 5;
  a.FirstParaAborted = 1;
  a.FirstMarkerListNo = 2;
  TMemoryStream s;
  a.SaveToStream(&s, true, true);
  EXPECT_EQ(s.GetSize(), 4 + 8 + 16);
  TRVLayoutInfo b;
  b.LeftMargin = 9;
  s.Seek(0, soBeginning);
  b.LoadFromStream(&s, true);
  EXPECT_TRUE(b.Loaded);
  EXPECT_EQ(b.LeftMargin, 9);  // page information only
  EXPECT_EQ(b.FirstParaAborted, 1);
  EXPECT_EQ(b.FirstMarkerListNo, 2);
  // A newer record with more data loads the known part and skips the rest.
  TMemoryStream big;
  a.FirstParaAborted = 0;
  a.LastParaAborted = 1;
  big.WriteValue<std::int32_t>(0);
  big.WriteValue<std::int32_t>(60);
  for (int v : {1, 2, 3, 4, 5, 6}) big.WriteValue<std::int32_t>(v);
  big.WriteValue<std::uint8_t>(2);
  for (int v : {0, 1, 7, 8}) big.WriteValue<std::int32_t>(v);
  for (int i = 0; i < 19; ++i) big.WriteValue<std::uint8_t>(0xEE);
  big.WriteValue<std::uint8_t>(0x42);
  big.Seek(0, soBeginning);
  TRVLayoutInfo c;
  c.LoadFromStream(&big, false);
  EXPECT_EQ(c.MaxTextWidth, 6);
  EXPECT_EQ(c.BiDiMode, rvbdRightToLeft);
  EXPECT_EQ(c.FirstMarkerLevel, 8);
  EXPECT_EQ(big.ReadValue<std::uint8_t>(), 0x42);
  TRVLayoutInfo d;
  EXPECT_THROW(d.LoadBinary(std::string("\0\0\0\0\x10\0\0\0", 8) + std::string(16, '\0')), EViroZereError);
  EXPECT_THROW(d.LoadBinary(std::string("\0\0\0\0\xFF\0\0\0", 8)), EViroZereError);
}

TEST(ExportHelpers, AnchorsAndScopes) {
  struct Case {
    const char16_t *In, *Target, *Anchor;
  } cases[] = {{u"file.htm#x", u"file.htm", u"x"}, {u"#x", u"", u"x"}, {u"page#x", u"page#x", u""},
               {u"a#b.c#d", u"a#b.c", u"d"}};
  for (const Case& c : cases) {
    TRVUnicodeString t = c.In, a;
    SplitURLAnchor(t, a);
    EXPECT_EQ(t, c.Target);
    EXPECT_EQ(a, c.Anchor);
  }
  TTestDoc doc;
  EXPECT_EQ(doc.Doc.GetRVFSaveScope(true), rvfss_Selection);
  EXPECT_EQ(doc.Doc.GetRVFSaveScope(false), rvfss_Full);
  doc.Doc.State.Include(rvstSavingPage);
  EXPECT_EQ(doc.Doc.GetRVFSaveScope(false), rvfss_FullInPage);
  EXPECT_THROW(CheckEvenByteCount(3), EViroZereError);
  std::vector<int> progress;
  doc.Doc.GetRootEvents()->OnProgress = [&](int, int stage, int p) { progress.push_back(stage * 1000 + p); };
  int pr = 0;
  EXPECT_FALSE(doc.Doc.SaveProgressInit(pr, 1000, 0));
  EXPECT_TRUE(doc.Doc.SaveProgressInit(pr, 2000, 0));
  doc.Doc.SaveProgressRun(pr, 10, 2000, 0);  // still 1 %
  doc.Doc.SaveProgressRun(pr, 20, 2000, 0);
  doc.Doc.SaveProgressRun(pr, 1000, 2000, 0);
  doc.Doc.SaveProgressDone(0);
  EXPECT_EQ(progress, (std::vector<int>{0, 1001, 1050, 2100}));
}

TEST(HostileDocument, NumbersAndLoadsWithoutRaising) {
  TTestDoc t;
  const int list = AddList(t.Sheet, {{rvlstDecimal, u"%s%s%s%n"}});
  // The parts of a hostile document as its reader hands them over.
  TRVMarkerItemInfo* m = nullptr;
  EXPECT_NO_THROW({
    auto item = CreateItemByStyleNo(ItemKindListMarker, &t.Doc);
    m = static_cast<TRVMarkerItemInfo*>(item.get());
    const char* tail = " 0 300 1 0";
    bool used = false;
    EXPECT_TRUE(m->ReadRVFHeaderTail(tail, &t.Doc, true, used));
    m->ListNo = list;
    t.Doc.AddItem(u"", item.release());
    t.Doc.AddNL(u"x", 0, -1);
    t.Doc.AddMarkerInList(0);
  });
  ASSERT_TRUE(m);
  EXPECT_EQ(m->Level, 300);
  EXPECT_EQ(m->DisplayString, u"%s%s%s%n");
  // A huge start value in Roman numerals stays a short text.
  TRVSeqItemInfo seq(&t.Doc, u"s", rvseqUpperRoman, 0, 2147483647, true);
  TRVSeqList seqs;
  seqs.Add(&seq);
  seqs.RecalcCounters(0, &t.Sheet, true);
  EXPECT_EQ(seq.GetText(), u"2147483647");
  TRVDocParameters p;
  EXPECT_NO_THROW(EXPECT_FALSE(p.ReadProperyFromString("Units=77", true, 0)));
  EXPECT_EQ(p.Units, rvuInches);
}

}  // namespace

namespace {

TEST(ExportPictures, NextFreeNamesAndSavedFiles) {
  const std::string dir = std::string(TAVRELO_TEST_OUTPUT) + "/doc-pictures/";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  for (const char* n : {"img1.jpg", "img2.jpg"}) std::ofstream(dir + n) << "x";
  TTestDoc t;
  const TRVUnicodeString path = Utf8ToUnicode(dir);
  int no = 0;
  EXPECT_EQ(t.Doc.GetNextFileName(u"img", path, u".jpg", no, false), path + u"img3.jpg");
  EXPECT_EQ(no, 3);
  no = 0;
  EXPECT_EQ(t.Doc.GetNextFileName(u"img", path, u".jpg", no, true), path + u"img1.jpg");
  std::filesystem::permissions(dir + "img1.jpg", std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
  no = 0;
  EXPECT_EQ(t.Doc.GetNextFileName(u"img", path, u".jpg", no, true), path + u"img2.jpg");

  TBitmap bmp(8, 6);
  bmp.GetCanvas()->Brush().SetColor(clRed);
  bmp.GetCanvas()->FillRect(TRect(0, 0, 8, 6));
  std::filesystem::create_directories(dir + "pics");
  no = 10;
  const TRVUnicodeString loc = t.Doc.SavePicture(rvsfRTF, u"pics/p", path, no, false, clNone, &bmp);
  EXPECT_EQ(loc, u"pics/p11.bmp");
  std::unique_ptr<TGraphic> back = GraphicHandler->LoadFromFile(path + u"pics/p11.bmp");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetWidth(), 8);
  // For HTML a bitmap becomes a JPEG picture.
  ASSERT_TRUE(GraphicHandler->IsJpegClassAssigned());
  EXPECT_EQ(t.Doc.SavePicture(rvsfHTML, u"pics/p", path, no, false, clNone, &bmp), u"pics/p12.jpg");
  std::unique_ptr<TGraphic> jpeg = GraphicHandler->LoadFromFile(path + u"pics/p12.jpg");
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(GraphicHandler->GetGraphicType(jpeg.get()), rvgtJPEG);
  int calls = 0;
  t.Doc.GetRootEvents()->OnSaveImage2 = [&](TCustomRVData*, int, TGraphic*, TRVUnicodeString& l, bool& d) {
    ++calls;
    l = u"mine.png";
    d = false;
  };
  EXPECT_EQ(t.Doc.DoSavePicture(rvsfHTML, &t.Doc, 0, u"p", path, no, false, clNone, &bmp), u"mine.png");
  EXPECT_EQ(calls, 1);
  std::filesystem::permissions(dir + "img1.jpg", std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
}

}  // namespace

namespace {

TEST(DocParameters, PublishedPropertiesStoredOnlyWhenChanged) {
  TRVDocParameters p;
  const TClassInfo& info = p.ClassInfo();
  auto stored = [&] {
    std::vector<std::string> r;
    for (const TPropInfo& prop : info.Properties)
      if (prop.IsStored(p)) r.push_back(UnicodeToUtf8(prop.Name));
    return r;
  };
  EXPECT_TRUE(stored().empty());
  p.TopMargin = 2;
  p.Orientation = poLandscape;
  p.Title = u"t";
  EXPECT_EQ(stored(), (std::vector<std::string>{"Orientation", "TopMargin", "Title"}));
  TRVDocParameters copy;
  copy.Assign(&p);
  EXPECT_EQ(copy.TopMargin, 2);
  EXPECT_FALSE(copy.AreAllValuesDefault());
  copy.Reset();
  EXPECT_TRUE(copy.AreAllValuesDefault());
}

}  // namespace
