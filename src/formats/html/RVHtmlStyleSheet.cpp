// The reader of the style sheet that our HTML export writes: one rule per line, "body" and the
// text classes span.rvtsN and a.rvtsN, then "p,ul,ol" and the paragraph classes .rvpsN.
#include "engine/foundation/RVGrHandler.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/viewer/RVViroZere.h"
#include "formats/html/RVHtmlValues.h"

namespace rvhtmlstylesheet_detail {

bool StartsWith(const TRVUnicodeString& s, std::size_t pos, std::u16string_view prefix) {
  return s.compare(pos, prefix.size(), prefix) == 0;
}

// The successive values of a shorthand: each taken by cutting after the first space, so
// missing values repeat the last one.
TRVUnicodeString NextShorthandValue(TRVUnicodeString& rest) {
  std::size_t sp = rest.find(u' ');
  if (sp == TRVUnicodeString::npos) return rest;
  TRVUnicodeString v = rest.substr(0, sp);
  rest.erase(0, sp + 1);
  return v;
}

void ReadTextRule(const TRVUnicodeString& decl, TFontInfo* font, const TRVStyle* sheet, bool isBody,
                  TCustomViroZere* viewer) {
  TRVUnicodeString v;
  if (!(v = GetCSSValue(decl, u"font-family")).empty()) font->FontName = v;
  if (!(v = GetCSSValue(decl, u"font-size")).empty()) {
    std::size_t pt = v.find(u"pt");
    font->SetSize(StrToIntDef(pt != TRVUnicodeString::npos ? v.substr(0, pt) : v, 10));
  }
  if (!(v = GetCSSValue(decl, u"color")).empty()) font->Color = HtmlColorToColor(v);
  if (!(v = GetCSSValue(decl, u"background-color")).empty()) {
    if (isBody && viewer)
      viewer->SetColor(HtmlColorToColor(v));
    else if (!isBody)
      font->BackColor = HtmlColorToColor(v);
  }
  v = GetCSSValue(decl, u"font-style");
  if (v == u"italic") font->Style.Include(fsItalic);
  if (v == u"normal") font->Style.Exclude(fsItalic);
  v = GetCSSValue(decl, u"font-weight");
  if (v == u"bold") font->Style.Include(fsBold);
  if (v == u"normal") font->Style.Exclude(fsBold);
  v = GetCSSValue(decl, u"text-decoration");
  if (v.find(u"underline") != TRVUnicodeString::npos) font->Style.Include(fsUnderline);
  if (v.find(u"line-through") != TRVUnicodeString::npos) font->Style.Include(fsStrikeOut);
  if (v.find(u"overline") != TRVUnicodeString::npos) font->StyleEx.Include(rvfsOverline);
  if (GetCSSValue(decl, u"text-transform") == u"uppercase") font->StyleEx.Include(rvfsAllCaps);
  if (GetCSSValue(decl, u"display") == u"none") font->Options.Include(rvteoHidden);
  if (!(v = GetCSSValue(decl, u"letter-spacing")).empty()) font->CharSpacing = CSSLengthToUnits(v, sheet, 0);
  v = GetCSSValue(decl, u"vertical-align");
  if (v == u"sub") font->SubSuperScriptType = rvsssSubscript;
  if (v == u"super") font->SubSuperScriptType = rvsssSuperScript;
  v = GetCSSValue(decl, u"direction");
  if (v == u"ltr") font->BiDiMode = rvbdLeftToRight;
  if (v == u"rtl") font->BiDiMode = rvbdRightToLeft;
}

void ReadBodyRule(TRVHtmlStyleSheetImporter& importer, const TRVUnicodeString& decl, TCustomViroZere* viewer) {
  if (!viewer) return;
  TRVUnicodeString v;
  if (!importer.IgnorePictures && !(v = GetCSSValue(decl, u"background-image")).empty() && v.size() > 6 &&
      importer.LoadPicture) {
    if (std::unique_ptr<TGraphic> picture = importer.LoadPicture(v.substr(5, v.size() - 6))) {
      std::unique_ptr<TBitmap> bitmap = GraphicHandler->ToBitmap(picture.get());
      viewer->SetBackgroundBitmap(bitmap.get());
      importer.BackgroundRead = true;
    }
  }
  if (!(v = GetCSSValue(decl, u"background-position")).empty()) {
    TBackgroundStyle style = bsCentered;
    if (v == u"top left")
      style = bsTopLeft;
    else if (v == u"top right")
      style = bsTopRight;
    else if (v == u"bottom left")
      style = bsBottomLeft;
    else if (v == u"bottom right")
      style = bsBottomRight;
    viewer->SetBackgroundStyle(style);
  } else {
    v = GetCSSValue(decl, u"background-attachment");
    if (v == u"scroll") viewer->SetBackgroundStyle(bsTiledAndScrolled);
    if (v == u"fixed") viewer->SetBackgroundStyle(bsTiled);
  }
  if (!(v = GetCSSValue(decl, u"margin")).empty()) {
    viewer->SetTopMargin(CSSLengthToUnits(NextShorthandValue(v), nullptr, 0));
    viewer->SetRightMargin(CSSLengthToUnits(NextShorthandValue(v), nullptr, 0));
    viewer->SetBottomMargin(CSSLengthToUnits(NextShorthandValue(v), nullptr, 0));
    viewer->SetLeftMargin(CSSLengthToUnits(NextShorthandValue(v), nullptr, 0));
  }
}

void ReadParaRule(const TRVUnicodeString& decl, TParaInfo* para, const TRVStyle* sheet) {
  TRVUnicodeString v;
  v = GetCSSValue(decl, u"text-align");
  if (v == u"left" || v == u"right" || v == u"center" || v == u"justify") para->Alignment = HtmlAlignmentOf(v, rvaLeft);
  v = GetCSSValue(decl, u"direction");
  if (v == u"ltr") para->BiDiMode = rvbdLeftToRight;
  if (v == u"rtl") para->BiDiMode = rvbdRightToLeft;
  if (!(v = GetCSSValue(decl, u"text-indent")).empty()) para->FirstIndent = CSSLengthToUnits(v, sheet, 0);
  if (!(v = GetCSSValue(decl, u"line-height")).empty()) ApplyCSSLineHeight(v, para);
  v = GetCSSValue(decl, u"white-space");
  if (v == u"nowrap") para->Options.Include(rvpaoNoWrap);
  if (v == u"normal") para->Options.Exclude(rvpaoNoWrap);
  v = GetCSSValue(decl, u"page-break-inside");
  if (v == u"avoid") para->Options.Include(rvpaoKeepLinesTogether);
  if (v == u"auto") para->Options.Exclude(rvpaoKeepLinesTogether);
  v = GetCSSValue(decl, u"page-break-after");
  if (v == u"avoid") para->Options.Include(rvpaoKeepWithNext);
  if (v == u"auto") para->Options.Exclude(rvpaoKeepWithNext);
  if (!(v = GetCSSValue(decl, u"background")).empty()) para->Background()->Color = HtmlColorToColor(v);
  if (!(v = GetCSSValue(decl, u"padding")).empty()) {
    TRVRect* o = para->Background()->BorderOffsets();
    o->Top = CSSLengthToUnits(NextShorthandValue(v), sheet, 0);
    o->Right = CSSLengthToUnits(NextShorthandValue(v), sheet, 0);
    o->Bottom = CSSLengthToUnits(NextShorthandValue(v), sheet, 0);
    o->Left = CSSLengthToUnits(NextShorthandValue(v), sheet, 0);
  }
  TRVBorder* border = para->Border();
  if (!(v = GetCSSValue(decl, u"border-color")).empty()) border->Color = HtmlColorToColor(v);
  v = GetCSSValue(decl, u"border-style");
  if (v == u"none") border->Style = rvbNone;
  if (v == u"solid") border->Style = rvbSingle;
  if (v == u"double") border->Style = rvbDouble;
  if (border->Style != rvbNone) border->BorderOffsets()->Assign(para->Background()->BorderOffsets());
  if (!(v = GetCSSValue(decl, u"border-width")).empty()) {
    border->Width = BorderLineWidth(CSSLengthToUnits(v, sheet, 0), border->Style);
    border->InternalWidth = border->Width;
  }
  border->VisibleBorders()->Bottom = GetCSSValue(decl, u"border-bottom") != u"none";
  border->VisibleBorders()->Left = GetCSSValue(decl, u"border-left") != u"none";
  border->VisibleBorders()->Right = GetCSSValue(decl, u"border-right") != u"none";
  border->VisibleBorders()->Top = GetCSSValue(decl, u"border-top") != u"none";
  if (!(v = GetCSSValue(decl, u"margin")).empty()) {
    const TRVStyleLength total = TotalBorderWidth(border);
    const TRVRect* o = border->BorderOffsets();
    para->SetSpaceBefore(CSSLengthToUnits(NextShorthandValue(v), sheet, 0) + o->Top + total);
    para->RightIndent = CSSLengthToUnits(NextShorthandValue(v), sheet, 0) + o->Right + total;
    para->SetSpaceAfter(CSSLengthToUnits(NextShorthandValue(v), sheet, 0) + o->Bottom + total);
    para->LeftIndent = CSSLengthToUnits(NextShorthandValue(v), sheet, 0) + o->Left + total;
  }
}

// The declarations of the rule at pos (after its first "{", up to the next "}"); pos moves past
// the "}" (to the end when there is none).
TRVUnicodeString TakeDeclarations(const TRVUnicodeString& s, std::size_t& pos) {
  std::size_t open = s.find(u'{', pos);
  if (open == TRVUnicodeString::npos) {
    pos = s.size();
    return {};
  }
  std::size_t close = s.find(u'}', open + 1);
  TRVUnicodeString decl =
      s.substr(open + 1, close == TRVUnicodeString::npos ? TRVUnicodeString::npos : close - open - 1);
  pos = close == TRVUnicodeString::npos ? s.size() : close + 1;
  return decl;
}

}  // namespace rvhtmlstylesheet_detail

using namespace rvhtmlstylesheet_detail;

std::vector<TRVFontRec>& TRVFonts() {
  static std::vector<TRVFontRec> fonts;
  return fonts;
}

std::vector<TRVParaRec>& TRVParas() {
  static std::vector<TRVParaRec> paras;
  return paras;
}

void ClearImportedStyleTables() {
  TRVFonts().clear();
  TRVParas().clear();
}

void ParseImportedStyleSheet(TRVHtmlStyleSheetImporter& Importer, const TRVUnicodeString& CSSText,
                             TCustomViroZere* Viewer) {
  TRVStyle* sheet = Viewer ? Viewer->GetStyle() : nullptr;
  if (!sheet || sheet->TextStyles()->Count() == 0 || sheet->ParaStyles()->Count() == 0) return;
  auto& fonts = TRVFonts();
  auto& paras = TRVParas();
  if (fonts.empty()) fonts.push_back({0});
  if (paras.empty()) paras.push_back({u"left", 0});
  const TRVUnicodeString& s = CSSText;
  std::size_t pos = 0;
  while (pos < s.size()) {
    // Text rule; rules with a pseudo-class (a ":" before the "{") are not ours to read.
    const bool isBody = StartsWith(s, pos, u"body");
    const bool isSpan = StartsWith(s, pos, u"span.rvts");
    const bool isLink = StartsWith(s, pos, u"a.rvts");
    if (isBody || isSpan || isLink) {
      std::size_t open = s.find(u'{', pos);
      std::size_t colon = s.find(u':', pos);
      if (open != TRVUnicodeString::npos && (colon == TRVUnicodeString::npos || colon > open)) {
        TRVUnicodeString decl = TakeDeclarations(s, pos);
        TFontInfo* font;
        if (isBody) {
          font = sheet->TextStyles()->Items(0);
        } else {
          font = sheet->TextStyles()->Add();
          font->Assign(sheet->TextStyles()->Items(0));
          font->Standard = false;
          font->Jump = isLink;
          fonts.push_back({sheet->TextStyles()->Count() - 1});
        }
        ReadTextRule(decl, font, sheet, isBody, Viewer);
        if (isBody) ReadBodyRule(Importer, decl, Viewer);
      }
    }
    // Paragraph rule.
    const bool isParaBase = StartsWith(s, pos, u"p,ul,ol");
    const bool isParaClass = StartsWith(s, pos, u".rvps");
    if ((isParaBase || isParaClass) && s.find(u'{', pos) != TRVUnicodeString::npos) {
      TRVUnicodeString decl = TakeDeclarations(s, pos);
      TParaInfo* para;
      if (isParaBase) {
        para = sheet->ParaStyles()->Items(0);
      } else {
        para = sheet->ParaStyles()->Add();
        para->Assign(sheet->ParaStyles()->Items(0));
        para->Standard = false;
        paras.push_back({GetCSSValue(decl, u"text-align"), sheet->ParaStyles()->Count() - 1});
      }
      ReadParaRule(decl, para, sheet);
    }
    // On to the next word: text that matches no rule is skipped word by word.
    while (pos < s.size() && s[pos] != u' ' && s[pos] != u'\r' && s[pos] != u'\n') ++pos;
    while (pos < s.size() && (s[pos] == u' ' || s[pos] == u'\r' || s[pos] == u'\n')) ++pos;
  }
}
