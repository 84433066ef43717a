#include <gtest/gtest.h>

#include "DocTestUtil.h"
#include "engine/document/RVBreakItem.h"
#include "engine/document/RVDeleteUnusedStyles.h"
#include "engine/document/RVLabelItem.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/styles/ListInfo.h"
#include "platform/graphics/Pictures.h"

namespace {

// ---- horizontal line ----

TEST(BreakItem, MeasuresAcrossTheDocument) {
  struct Case {
    TRVStyleUnits Units;
    int LineWidth, Width, Height, Desc;
  } cases[] = {{rvstuPixels, 1, 590, 11, 5}, {rvstuPixels, 20, 590, 21, 10}, {rvstuTwips, 300, 590, 21, 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.LineWidth);
    TTestDoc t;
    t.Sheet.Units = c.Units;
    TRVBreakItemInfo line(&t.Doc, c.LineWidth, rvbsLine, clNone);
    TRVDrawLineInfo dli;
    int hshift = -1, desc = 0;
    line.OnDocWidthChange(600, &dli, nullptr, &t.Doc, nullptr, hshift, desc, {});
    EXPECT_EQ(dli.Width, c.Width);
    EXPECT_EQ(dli.Height, c.Height);
    EXPECT_EQ(desc, c.Desc);
    EXPECT_EQ(hshift, 0);
  }
}

TEST(BreakItem, TextForm) {
  TTestDoc t;
  TRVBreakItemInfo line(&t.Doc, 0, rvbsLine, clNone);
  EXPECT_EQ(line.AsText(&t.Doc, 0, {}, nullptr), u"-");
  EXPECT_EQ(line.LineWidth, 1);
  line.LineWidth = 3;
  EXPECT_EQ(line.AsText(&t.Doc, 0, {}, nullptr), u"===");
  t.Sheet.Units = rvstuTwips;
  line.LineWidth = 15;  // one pixel
  EXPECT_EQ(line.AsText(&t.Doc, 0, {}, nullptr), TRVUnicodeString(15, u'-'));
}

TEST(BreakItem, RVFHeader) {
  TTestDoc t;
  t.Doc.AddBreak(2, rvbsDotted, 0x0000FF, u"tg");
  auto* line = static_cast<TRVBreakItemInfo*>(t.Doc.GetItem(0));
  line->Hidden = true;
  TMemoryStream s;
  line->SaveRVF(&s, &t.Doc, 0, 0, {}, nullptr, true, nullptr);
  EXPECT_EQ(StreamText(s), "-1 1 0 8 0 \"tg\" 255 3 2\r\nhidden=1\r\n");
  struct Case {
    const char* Tail;
    bool Ok;
    TColor Color;
    TRVBreakStyle Style;
    int Width;
  } cases[] = {{"", true, clNone, rvbsLine, 1}, {" 10 4 7", true, 10, rvbsDashed, 7}, {"10 4", false, 0, rvbsLine, 0},
               {"10 9 7", false, 0, rvbsLine, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Tail);
    TRVBreakItemInfo r(&t.Doc);
    const char* p = c.Tail;
    bool used = false;
    EXPECT_EQ(r.ReadRVFHeaderTail(p, &t.Doc, true, used), c.Ok);
    if (!c.Ok) continue;
    EXPECT_EQ(r.Color, c.Color);
    EXPECT_EQ(r.Style, c.Style);
    EXPECT_EQ(r.LineWidth, c.Width);
  }
}

TEST(BreakItem, InterchangeFragments) {
  TTestDoc t;
  TRVBreakItemInfo line(&t.Doc, 2, rvbsDashed, clNone);
  TMemoryStream html, docx, rtf;
  int n = 0;
  line.SaveToHTML(&html, &t.Doc, 0, {}, {}, {}, n, clNone, {}, true, nullptr, nullptr);
  EXPECT_EQ(StreamText(html),
            "<hr style=\"height: 2px; color : #000000; background-color : transparent; border-style : dashed; "
            "border-color : #000000;\">");
  TRVDocXSavingData sd;
  sd.BreakIndex = 4;
  line.SaveOOXML(&docx, &t.Doc, 0, &sd, false);
  EXPECT_EQ(StreamText(docx),
            "<w:pict><v:rect id=\"hr4\" style=\"width:0;height:2px\" o:hralign=\"center\" o:hrstd=\"t\" "
            "o:hrnoshade=\"t\" o:hr=\"t\" fillcolor=\"#000000\" stroked=\"f\"/></w:pict>");
  EXPECT_EQ(sd.BreakIndex, 5);
  line.SaveRTF(&rtf, &t.Doc, 0, 2, nullptr, rvrtfdtMain, true);
  EXPECT_EQ(StreamText(rtf), "{\\v\\pard\\itap2\\plain\\fs6\\brdrb\\brdrs\\brdrw30\\brdrcf0\\par\\pard\\itap2}");
}

TEST(BreakItem, PaintsItsBand) {
  TTestDoc t;
  TRVBreakItemInfo line(&t.Doc, 3, rvbsLine, clRed);
  TRVDrawLineInfo dli;
  int h = 0, d = 0;
  line.OnDocWidthChange(100, &dli, nullptr, &t.Doc, nullptr, h, d, {});
  TBitmap bmp(100, 20);
  bmp.GetCanvas()->Brush().SetColor(clWhite);
  bmp.GetCanvas()->FillRect(TRect(0, 0, 100, 20));
  line.PaintFullWidth(5, 95, 0, bmp.GetCanvas(), {}, &t.Sheet, TRect(0, 0, 100, 20), &t.Doc, &dli, 0, 0, nullptr, false);
  std::vector<int> rows;
  for (int y = 0; y < 20; ++y)
    if ((bmp.GetPixel(50, y) & 0xFFFFFF) == clRed) rows.push_back(y);
  EXPECT_EQ(rows, (std::vector<int>{4, 5, 6}));  // centre 5 of an 11-pixel item, 3 pixels thick
  EXPECT_EQ(bmp.GetPixel(4, 5) & 0xFFFFFF, clWhite);
}

// ---- tab ----

TEST(TabItem, RecordsAndFragments) {
  TTestDoc t;
  TRVTabItemInfo tab(&t.Doc);
  tab.SetTextStyleNo(2);
  tab.Hidden = true;
  tab.Hint = u"h";
  TMemoryStream s, rtf, html;
  tab.SaveRVF(&s, &t.Doc, 0, 1, {}, nullptr, false, nullptr);
  EXPECT_EQ(StreamText(s), "-12 2 1 8 0 0 2\r\nhint=h\r\nhidden=1\r\n");
  tab.SaveRTF(&rtf, &t.Doc, 0, 0, nullptr, rvrtfdtMain, false);
  EXPECT_EQ(StreamText(rtf), "{\\v\\tab}");
  int n = 0;
  tab.SaveToHTML(&html, &t.Doc, 0, {}, {}, {}, n, clNone, {}, false, nullptr, nullptr);
  EXPECT_EQ(StreamText(html), " &nbsp; &nbsp; &nbsp; &nbsp;");
  t.Sheet.SpacesInTab = 4;
  tab.Leader = u".";
  TMemoryStream html2;
  tab.SaveToHTML(&html2, &t.Doc, 0, {}, {}, {}, n, clNone, {}, false, nullptr, nullptr);
  EXPECT_EQ(StreamText(html2), "....");
  EXPECT_EQ(tab.AsText(&t.Doc, 0, {}, nullptr), u"\t");
  TMemoryStream f;
  tab.Leader = u"-";
  tab.Align = rvtaRight;
  tab.SaveFormattingToStream(&f);
  EXPECT_EQ(StreamText(f), std::string("\xFF\xFF\xFF\xFF\x01\x01\x00\x00\x00\x2D\x00", 11));
  TRVTabItemInfo back(&t.Doc);
  f.Seek(4, soBeginning);
  back.LoadFormattingFromStream(&f);
  EXPECT_EQ(back.Leader, u"-");
  EXPECT_EQ(back.Align, rvtaRight);
  TMemoryStream bad;
  const char junk[] = "\x00\xFF\xFF\xFF\x7F";
  bad.WriteBuffer(junk, 5);
  bad.Seek(0, soBeginning);
  EXPECT_THROW(back.LoadFormattingFromStream(&bad), EReadError);
  const char* p = " \"\"";
  bool used = false;
  EXPECT_TRUE(back.ReadRVFHeaderTail(p = "", &t.Doc, true, used));
  p = "3";
  EXPECT_TRUE(back.ReadRVFHeaderTail(p, &t.Doc, true, used));
  EXPECT_EQ(back.GetTextStyleNo(), 3);
}

// ---- label ----

TEST(LabelItem, TypographicMetricsAndDrawing) {
  TTestDoc t;
  TFontInfo* f = t.Sheet.TextStyles()->Items(1);
  f->FontName = u"DejaVu Sans";
  f->SetSize(24);
  f->Color = clBlack;
  auto* label = new TRVLabelItemInfo(&t.Doc, 1, u"Hg");
  t.Doc.AddItem(u"", label);
  label->UpdateMe();
  const int fullHeight = label->Height, fullDescend = label->Descend;
  // The font's own and typographic metrics, as the sheet's text engine reports them.
  TBitmap probe(10, 10);
  t.Sheet.ApplyStyle(probe.GetCanvas(), 1, rvbdUnspecified, false, false, nullptr, false, false, false, nullptr);
  TRVOutlineTextMetrics otm = AllocOutlineTextMetrics(probe.GetCanvas(), t.Sheet.GetGraphicInterface());
  ASSERT_TRUE(otm);
  TEXTMETRICW tm{};
  t.Sheet.GetGraphicInterface()->GetTextMetrics(probe.GetCanvas(), tm);
  EXPECT_EQ(fullHeight, tm.tmHeight);
  EXPECT_EQ(fullDescend, tm.tmDescent);

  label->RemoveInternalLeading = true;
  label->RemoveSpaceBelow = true;
  label->Invalidate();
  label->UpdateMe();
  EXPECT_EQ(label->Height, otm->otmAscent - otm->otmDescent);
  EXPECT_EQ(label->Descend, -otm->otmDescent);
  EXPECT_EQ(label->YOffs, otm->otmAscent - tm.tmAscent);
  ASSERT_GT(label->Width, 0);

  // Drawn at (10, 10) on a line whose baseline lies at the typographic ascent.
  TRVDrawLineInfo dli;
  dli.Left = 10;
  dli.Top = 10;
  dli.Width = label->Width;
  dli.Height = label->Height;
  dli.BaseLine = 10 + label->Height - label->Descend;
  TBitmap bmp(label->Width + 20, label->Height + 20);
  TCanvas* c = bmp.GetCanvas();
  c->Brush().SetColor(clWhite);
  c->FillRect(TRect(0, 0, label->Width + 20, label->Height + 20));
  label->Paint(10, 10, c, {}, &dli, &t.Doc, false);
  int top = 1000, bottom = -1, ink = 0;
  for (int y = 0; y < label->Height + 20; ++y)
    for (int x = 0; x < label->Width + 20; ++x)
      if ((bmp.GetPixel(x, y) & 0xFFFFFF) != clWhite) {
        ++ink;
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  ASSERT_GT(ink, 20);
  EXPECT_GE(top, 10);
  EXPECT_LT(bottom, 10 + label->Height);
  // The "g" reaches below the baseline, the "H" close to the typographic ascent.
  EXPECT_GT(bottom, dli.BaseLine);
  EXPECT_LT(top, 10 + label->Height / 3);
}

TEST(LabelItem, RecordAndProperties) {
  TTestDoc t;
  TRVLabelItemInfo label(&t.Doc, 2, u"abc");
  EXPECT_EQ(label.Spacing, 0);
  EXPECT_TRUE(label.UseTypoMetric);
  label.SetMinWidth(30);
  label.SetAlignment(taCenter);
  label.RemoveSpaceBelow = true;
  label.ItemText = u"name";
  TMemoryStream s;
  label.SaveRVF(&s, &t.Doc, 0, 1, {}, nullptr, true, nullptr);
  EXPECT_EQ(StreamText(s), "-200 8 -1 9 0 0 0\r\nabc\r\n2\r\n30\r\n2\r\nno-protect\r\nname\r\nspacing=0\r\nremovespacebelow=1\r\n");
  TRVLabelItemInfo r(nullptr);
  TRVUnicodeString name;
  TRVFReadMode mode = rmText;
  TRVFReadState st = rstData;
  bool used = false;
  const char* lines[] = {"abc", "2", "30", "2", "protect", "name", "removespacebelow=1", "cursor=5"};
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(r.ReadRVFLine(lines[i], &t.Doc, 0, i, 8, name, mode, st, true, used));
  EXPECT_EQ(r.GetText(), u"abc");
  EXPECT_EQ(r.GetTextStyleNo(), 2);
  EXPECT_EQ(r.GetMinWidth(), 30);
  EXPECT_EQ(r.GetAlignment(), taCenter);
  EXPECT_TRUE(r.ProtectTextStyleNo);
  EXPECT_EQ(name, u"name");
  EXPECT_TRUE(r.RemoveSpaceBelow);
  EXPECT_EQ(r.Cursor, 5);
  EXPECT_EQ(r.GetParentRVData(), &t.Doc);
  // Numbers that are not numbers fail the read instead of raising.
  EXPECT_FALSE(r.ReadRVFLine("wide", &t.Doc, 0, 2, 8, name, mode, st, true, used));
  EXPECT_FALSE(r.ReadRVFLine("minwidth=x", &t.Doc, 0, 6, 8, name, mode, st, true, used));
  EXPECT_TRUE(r.ReadRVFLine("no-protect?", &t.Doc, 0, 4, 8, name, mode, st, true, used));
  EXPECT_FALSE(r.ProtectTextStyleNo);
  EXPECT_FALSE(r.SetExtraIntPropertyEx(204, 7));
  EXPECT_EQ(r.GetExtraIntPropertyReformat(204), rvrfRepaint);
  EXPECT_EQ(r.GetExtraStrPropertyReformat(200), rvrfNormal);
  EXPECT_TRUE(r.SetExtraStrPropertyEx(200, u"new"));
  EXPECT_EQ(r.GetText(), u"new");
  EXPECT_FALSE(r.IsUpdated());
}

TEST(LabelItem, ParagraphDefaultStyle) {
  TTestDoc t;
  t.Sheet.ParaStyles()->Items(1)->DefStyleNo = 3;
  TRVLabelItemInfo label(&t.Doc, StyleNoFromParagraph, u"x");
  label.ParaNo = 1;
  EXPECT_EQ(label.ResolveTextStyle(&t.Doc), 3);
  EXPECT_EQ(label.GetTextStyleNo(), StyleNoFromParagraph);
  t.Sheet.ParaStyles()->Items(1)->DefStyleNo = -1;
  EXPECT_EQ(label.ResolveTextStyle(&t.Doc), 0);
}

// ---- style use and renumbering ----

TEST(DeleteUnusedStyles, ShiftsAndReferences) {
  TTestDoc t(5, 3);
  for (int i = 0; i < 5; ++i) t.Sheet.TextStyles()->Items(i)->Standard = false;
  for (int i = 0; i < 3; ++i) t.Sheet.ParaStyles()->Items(i)->Standard = false;
  t.Sheet.TextStyles()->Items(3)->BaseStyleNo = 3;
  t.Sheet.TextStyles()->Items(3)->NextStyleNo = 1;
  t.Sheet.TextStyles()->Items(1)->BaseStyleNo = 7;  // beyond the list: the reference goes away
  t.Sheet.ParaStyles()->Items(2)->DefStyleNo = 3;
  t.Sheet.ParaStyles()->Items(2)->NextParaNo = 2;
  t.Doc.AddNL(u"a", 1, 2);
  t.Doc.AddNL(u"b", 3, 2);
  auto* tab = new TRVTabItemInfo(&t.Doc);
  tab->SetTextStyleNo(3);
  tab->ParaNo = -1;
  t.Doc.AddItem(u"", tab);
  auto* label = new TRVLabelItemInfo(&t.Doc, 1, u"l");
  label->ParaNo = -1;
  t.Doc.AddItem(u"", label);
  t.Doc.AddNL(u"c", -1, 2);  // paragraph default: never marked, never renumbered

  TRVDeleteUnusedStylesData data(true, true, false);
  data.Init(&t.Sheet);
  for (int i = 0; i < t.Doc.ItemCount(); ++i) t.Doc.GetItem(i)->MarkStylesInUse(&data);
  EXPECT_EQ(V(*data.UsedTextStyles()), (std::vector<int>{0, 1, 0, 1, 0}));
  EXPECT_EQ(V(*data.UsedParaStyles()), (std::vector<int>{0, 0, 1}));
  data.ConvertFlagsToShifts(&t.Sheet);
  EXPECT_EQ(V(*data.UsedTextStyles()), (std::vector<int>{0, 2, 0, 3, 0}));
  EXPECT_EQ(V(*data.UsedListStyles()), std::vector<int>(t.Sheet.ListStyles()->Count(), 1));
  for (int i = 0; i < t.Doc.ItemCount(); ++i) t.Doc.GetItem(i)->UpdateStyles(&data);

  EXPECT_EQ(t.Sheet.TextStyles()->Count(), 2);
  EXPECT_EQ(t.Sheet.ParaStyles()->Count(), 1);
  EXPECT_EQ(t.Sheet.TextStyles()->Items(1)->BaseStyleNo, 1);
  EXPECT_EQ(t.Sheet.TextStyles()->Items(1)->NextStyleNo, 0);
  EXPECT_EQ(t.Sheet.TextStyles()->Items(0)->BaseStyleNo, -1);
  EXPECT_EQ(t.Sheet.ParaStyles()->Items(0)->DefStyleNo, 1);
  EXPECT_EQ(t.Sheet.ParaStyles()->Items(0)->NextParaNo, 0);
  EXPECT_EQ(t.Doc.GetItem(0)->StyleNo, 0);
  EXPECT_EQ(t.Doc.GetItem(1)->StyleNo, 1);
  EXPECT_EQ(tab->GetTextStyleNo(), 1);
  EXPECT_EQ(label->GetTextStyleNo(), 0);
  EXPECT_EQ(t.Doc.GetItem(4)->StyleNo, StyleNoFromParagraph);
  for (int i = 0; i < t.Doc.ItemCount(); ++i) EXPECT_EQ(t.Doc.GetItem(i)->ParaNo, 0);
}

TEST(DeleteUnusedStyles, StandardAndDefaultUnicodeStylesStay) {
  TTestDoc t(4, 2);
  t.Sheet.TextStyles()->Items(2)->Standard = false;
  t.Sheet.TextStyles()->Items(3)->Standard = false;
  t.Sheet.DefUnicodeStyle = 3;
  TRVDeleteUnusedStylesData data(true, false, false);
  data.Init(&t.Sheet);
  EXPECT_EQ(V(*data.UsedTextStyles()), (std::vector<int>{1, 1, 0, 1}));
  EXPECT_EQ(V(*data.UsedParaStyles()), (std::vector<int>{1, 1}));
  data.ConvertFlagsToShifts(&t.Sheet);
  EXPECT_EQ(data.NewTextStyle(3), 2);
  EXPECT_EQ(data.NewTextStyle(StyleNoFromParagraph), StyleNoFromParagraph);
  EXPECT_EQ(data.NewParaStyle(1), 1);
  TTestDoc u(2, 1);
  u.Sheet.DefUnicodeStyle = 9;
  TRVDeleteUnusedStylesData d2(true, false, false);
  d2.Init(&u.Sheet);
  EXPECT_EQ(u.Sheet.DefUnicodeStyle, -1);
}

TEST(ChangeStyles, MapThenReplayRestores) {
  TTestDoc t(4, 3);
  t.Doc.AddNL(u"a", 1, 2);
  t.Doc.AddNL(u"b", StyleNoFromParagraph, 1);
  auto* tab = new TRVTabItemInfo(&t.Doc);
  tab->SetTextStyleNo(3);
  tab->ParaNo = 0;
  t.Doc.AddItem(u"", tab);
  TRVIntegerList paraMap(3, 0), textMap(4, 0), oldPara, oldText;
  paraMap.Put(2, 1);
  textMap.Put(3, 2);
  textMap.Put(1, 3);
  int pi = 0, ti = 0;
  t.Doc.ChangeParagraphStyles(&paraMap, nullptr, &oldPara, pi);
  t.Doc.ChangeTextStyles(&textMap, nullptr, &oldText, ti);
  EXPECT_EQ(t.Structure(), "P1 P0 P0");
  EXPECT_EQ(t.Doc.GetItem(0)->StyleNo, 3);
  EXPECT_EQ(tab->GetTextStyleNo(), 2);
  EXPECT_EQ(ti, 2);  // the paragraph-default item is skipped
  pi = ti = 0;
  t.Doc.ChangeParagraphStyles(nullptr, &oldPara, nullptr, pi);
  t.Doc.ChangeTextStyles(nullptr, &oldText, nullptr, ti);
  EXPECT_EQ(t.Structure(), "P2 P1 P0");
  EXPECT_EQ(t.Doc.GetItem(0)->StyleNo, 1);
  EXPECT_EQ(tab->GetTextStyleNo(), 3);
}

}  // namespace

namespace {

// Columns with ink in a white bitmap, within rows [Top, Bottom).
std::vector<int> InkColumns(TBitmap& bmp, int W, int Top, int Bottom) {
  std::vector<int> cols;
  for (int x = 0; x < W; ++x)
    for (int y = Top; y < Bottom; ++y)
      if ((bmp.GetPixel(x, y) & 0xFFFFFF) != clWhite) {
        cols.push_back(x);
        break;
      }
  return cols;
}

TEST(LabelItem, MinWidthCentresTheText) {
  TTestDoc t;
  t.Sheet.TextStyles()->Items(0)->FontName = u"DejaVu Sans";
  t.Sheet.TextStyles()->Items(0)->Color = clBlack;
  auto* label = new TRVLabelItemInfo(&t.Doc, 0, u"IIII");
  t.Doc.AddItem(u"", label);
  label->UpdateMe();
  const int textWidth = label->Width;
  label->SetMinWidth(100);
  label->SetAlignment(taCenter);
  label->UpdateMe();
  ASSERT_EQ(label->Width, 100);
  TRVDrawLineInfo dli;
  dli.Width = 100;
  dli.Height = label->Height;
  dli.BaseLine = label->Height - label->Descend;
  TBitmap bmp(120, label->Height);
  bmp.GetCanvas()->Brush().SetColor(clWhite);
  bmp.GetCanvas()->FillRect(TRect(0, 0, 120, label->Height));
  label->Paint(0, 0, bmp.GetCanvas(), {}, &dli, &t.Doc, false);
  const std::vector<int> cols = InkColumns(bmp, 120, 0, label->Height);
  ASSERT_FALSE(cols.empty());
  // The text box starts (100 - width) / 2 from the left; its first stroke lies just inside it.
  const int box = (100 - textWidth) / 2;
  EXPECT_GE(cols.front(), box);
  EXPECT_LE(cols.front(), box + textWidth / 4);
  EXPECT_LE(cols.back(), box + textWidth);
}

TEST(TabItem, LeaderNeedsThreeWidths) {
  TTestDoc t;
  t.Sheet.TextStyles()->Items(0)->Color = clBlack;
  TRVTabItemInfo tab(&t.Doc);
  tab.Leader = u"_";
  TRVDrawLineInfo dli;
  int h = 0, d = 0;
  TBitmap probe(10, 10);
  tab.OnDocWidthChange(0, &dli, probe.GetCanvas(), &t.Doc, nullptr, h, d, {});
  ASSERT_GT(dli.Height, 0);
  const int lw = t.Sheet.GetGraphicInterface()->TextWidth(probe.GetCanvas(), u"_", false, false);
  ASSERT_GT(lw, 0);
  for (const int width : {3 * lw - 1, 6 * lw}) {
    SCOPED_TRACE(width);
    dli.Width = width;
    TBitmap bmp(width + 10, dli.Height);
    bmp.GetCanvas()->Brush().SetColor(clWhite);
    bmp.GetCanvas()->FillRect(TRect(0, 0, width + 10, dli.Height));
    tab.Paint(0, 0, bmp.GetCanvas(), {}, &dli, &t.Doc, false);
    const std::vector<int> cols = InkColumns(bmp, width + 10, 0, dli.Height);
    if (width < 3 * lw) {
      EXPECT_TRUE(cols.empty());
    } else {
      ASSERT_FALSE(cols.empty());
      EXPECT_GE(cols.front(), lw - 1);          // one leader width stays free at the start
      EXPECT_LE(cols.back(), width - lw + 1);   // and at the end
    }
  }
}

}  // namespace
