#include "engine/document/RVTextItems.h"

#include "engine/document/CustomRVData.h"
#include "engine/document/RVDeleteUnusedStyles.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/foundation/RVRTFFuncs.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/styles/RVStyleDraw.h"

// ---- shared helpers ---------------------------------------------------------------------------------

TRVColorMode RVScreenColorMode(TCustomRVData* ARVData) { return ARVData ? ARVData->GetScreenColorMode() : rvcmColor; }

static bool UseStyleNames(TCustomRVData* ARVData) {
  TRVDataRootProperties* rp = ARVData ? ARVData->GetRootProperties() : nullptr;
  return rp && rp->RVFOptions.Contains(rvfoUseStyleNames);
}

TRVRawByteString RVFItemParaRef(TCustomRVData* ARVData, int ParaNo, bool ForceSameAsPrev) {
  return EncodeRVFItemParaRef(ARVData ? ARVData->GetRVStyle() : nullptr, UseStyleNames(ARVData), ParaNo,
                              ForceSameAsPrev);
}

TRVRawByteString RVFTextStyleRef(TCustomRVData* ARVData, int StyleNo) {
  return EncodeRVFTextStyleRef(ARVData ? ARVData->GetRVStyle() : nullptr, UseStyleNames(ARVData), StyleNo);
}

static bool TagsArePChars(TCustomRVData* ARVData) { return ARVData && ARVData->GetOptions().Contains(rvoTagsArePChars); }

static void WriteHeader(TStream* Stream, TCustomRVData* ARVData, int Kind, int LineCount, int ParaNo,
                        bool ForceSameAsPrev, const TRVItemOptions& Options, const TRVUnicodeString& Tag,
                        const TRVRawByteString& Tail) {
  WriteRVFLine(Stream, std::to_string(Kind) + " " + std::to_string(LineCount) + " " +
                           RVFItemParaRef(ARVData, ParaNo, ForceSameAsPrev) + " " +
                           std::to_string(ItemOptionsForRVF(Options, ForceSameAsPrev)) + " 0 " +
                           EncodeRVFStringField(TagsArePChars(ARVData), Tag) + " " + Tail);
}

// ---- item list ------------------------------------------------------------------------------------------

int TRVItemList::AddObject(TRVUnicodeString ItemText, TCustomRVItemInfo* Item) {
  Item->ItemText = std::move(ItemText);
  return Add(Item);
}

void TRVItemList::InsertObject(int Index, const TRVUnicodeString& ItemText, TCustomRVItemInfo* Item) {
  Item->ItemText = ItemText;
  Insert(Index, Item);
}

// ---- text items -------------------------------------------------------------------------------------------

bool TRVTextItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) {
  switch (Prop) {
    case rvbpJump:
    case rvbpAllowsFocus:
    case rvbpXORFocus:
    case rvbpHotColdJump: return RVTextStyleJumpValue(this, Prop, ARVStyle);
    case rvbpActualPrintSize: return true;
    default: return TCustomRVItemInfo::GetBoolValueEx(Prop, ARVStyle);
  }
}

bool TRVTextItemInfo::ReadRVFHeaderTail(const char*& P, TCustomRVData* ARVData, bool UTF8Strings, bool&) {
  while (*P == ' ') ++P;
  if (*P == 0) return true;
  TRVRawByteString s;
  ReadRVFQuoted(P, s);
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  Hint = DecodeRVFString(s, UTF8Strings, st ? st->DefCodePage : 0);
  return true;
}

void TRVTextItemInfo::Execute(TCustomRVData*) {
  // Jumps are raised by formatted documents, which answer AsFormattedData; nothing to do for a
  // plain document.
}

void TRVTextItemInfo::MarkStylesInUse(TRVDeleteUnusedStylesData* Data) {
  TCustomRVItemInfo::MarkStylesInUse(Data);
  Data->MarkTextStyle(StyleNo);
}

void TRVTextItemInfo::UpdateStyles(TRVDeleteUnusedStylesData* Data) {
  TCustomRVItemInfo::UpdateStyles(Data);
  StyleNo = Data->NewTextStyle(StyleNo);
}

// ---- tab items ---------------------------------------------------------------------------------------------

TRVTabItemInfo::TRVTabItemInfo(TCustomRVData* ARVData) : TRVSimpleRectItemInfo(ARVData) { StyleNo = ItemKindTab; }

bool TRVTabItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const {
  switch (Prop) {
    case rvbpDrawingChangesFont:
    case rvbpAlwaysInText:
    case rvbpSwitchToAssStyleNo: return true;
    default: return TRVSimpleRectItemInfo::GetBoolValue(Prop);
  }
}

bool TRVTabItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) {
  switch (Prop) {
    case rvbpPrintToBMP: return false;
    case rvbpJump: return ARVStyle && ARVStyle->TextStyles()->Items(GetActualTextStyleNo(ARVStyle))->Jump;
    case rvbpActualPrintSize: return true;
    default: return TRVSimpleRectItemInfo::GetBoolValueEx(Prop, ARVStyle);
  }
}

void TRVTabItemInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TRVTabItemInfo*>(Source)) {
    FTextStyleNo = src->FTextStyleNo;
    Leader = src->Leader;
    Align = src->Align;
  }
  TRVSimpleRectItemInfo::Assign(Source);
}

int TRVTabItemInfo::ResolveTextStyle(TCustomRVData* ARVData) { return RVResolveItemTextStyle(this, ARVData); }

void TRVTabItemInfo::OnDocWidthChange(int, TRVDrawLineInfo* dli, TCanvas* Canvas, TCustomRVData* ARVData,
                                      const TRVScreenAndDevice* sad, int&, int& Desc,
                                      const TRVDocWidthChangeStates& State) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  if (!st || !dli || !Canvas) return;
  const bool fmt = State.Contains(rvdwcsUseFormatCanvas);
  st->ApplyStyle(Canvas, ResolveTextStyle(ARVData), rvbdUnspecified, ARVData->GetFlags().Contains(rvflCanUseCustomPPI),
                 false, nullptr, false, fmt, ARVData->UseVerticalFonts(), sad);
  TEXTMETRICW tm{};
  st->GetGraphicInterface()->GetTextMetrics(Canvas, tm);
  int d = tm.tmDescent, h = tm.tmHeight;
  if (fmt) {
    d = static_cast<int>(Round(static_cast<long double>(d) / RefCanvasScaleFactor));
    h = static_cast<int>(Round(static_cast<long double>(h) / RefCanvasScaleFactor));
  }
  Desc = d;
  dli->Height = h;
  dli->Width = 0;
}

void TRVTabItemInfo::DrawTab(TCanvas* Canvas, int X, int Y, TRVDrawLineInfo* dli, TCustomRVData* ARVData,
                             const TRVItemDrawStates& State, TRVColorMode ColorMode, bool Printing,
                             const TRVScreenAndDevice* PSaD) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  if (!st || !dli) return;
  TRVGraphicInterface* gi = st->GetGraphicInterface();
  const int s = ResolveTextStyle(ARVData);
  TFontInfo* fi = st->TextStyles()->Items(s);
  TRVTextDrawStates ts;
  if (State.Contains(rvidsSelected)) ts.Include(rvtsSelected);
  if (State.Contains(rvidsHover)) ts.Include(rvtsHover);
  if (State.Contains(rvidsControlFocused)) ts.Include(rvtsControlFocused);
  st->ApplyStyleColor(Canvas, s, ts, Printing, ColorMode);
  st->ApplyStyle(Canvas, s, rvbdUnspecified, ARVData->GetFlags().Contains(rvflCanUseCustomPPI), false, nullptr, false,
                 false, ARVData->UseVerticalFonts(), PSaD);
  const int w = dli->Width, h = dli->Height;
  if (Canvas->Brush().GetStyle() != bsClear && Canvas->Brush().GetColor() != clNone)
    gi->FillRect(Canvas, TRect(X, Y, X + w, Y + h));
  const bool under = fi->Style.Contains(fsUnderline), strike = fi->Style.Contains(fsStrikeOut),
             over = fi->StyleEx.Contains(rvfsOverline);
  if (under || strike || over || Hidden) {
    TRVOutlineTextMetrics otm = AllocOutlineTextMetrics(Canvas, gi);
    const TColor fontColor = Canvas->Font().GetColor();
    if (under || Hidden) {
      TColor c = fontColor;
      if (!State.Contains(rvidsSelected) && !Hidden) {
        c = fi->Color;
        if (fi->UnderlineColor != clNone) c = fi->UnderlineColor;
        if (State.Contains(rvidsHover) && fi->HoverUnderlineColor != clNone) c = fi->HoverUnderlineColor;
        c = ApplyColorMode(c, ColorMode);
      }
      int t, y;
      if (otm) {
        t = static_cast<int>(otm->otmsUnderscoreSize);
        y = Y + otm->otmAscent + t / 2 - otm->otmsUnderscorePosition;
      } else {
        t = LineWidthForFontSize(fi->GetSize());
        y = Y + h - t / 2;
      }
      if (Hidden)
        RVDrawDottedLine(Canvas, c, X - 1, X + w + 1, y, gi);
      else
        RVDrawUnderline(Canvas, fi->UnderlineType, c, X - 1, X + w + 1, y, t, gi);
    }
    if (over) {
      const int t = otm ? static_cast<int>(otm->otmsUnderscoreSize) : LineWidthForFontSize(fi->GetSize());
      RVDrawUnderline(Canvas, rvutNormal, fontColor, X, X + w, Y - t / 2, t, gi);
    }
    if (strike && otm) {
      Canvas->Pen().SetColor(fontColor);
      Canvas->Pen().SetStyle(psInsideFrame);
      Canvas->Pen().SetWidth(static_cast<int>(otm->otmsStrikeoutSize));
      const int y = Y + otm->otmAscent + static_cast<int>(otm->otmsStrikeoutSize) / 2 - otm->otmsStrikeoutPosition;
      gi->Line(Canvas, X - 1, y, X + w + 1, y);
      Canvas->Pen().SetStyle(psSolid);
    }
  }
  if (!Leader.empty()) {
    const int lw = gi->TextWidth(Canvas, Leader, false, false);
    if (lw > 0) {
      const UINT oldAlign = gi->GetTextAlign(Canvas);
      gi->SetTextAlign(Canvas, TA_LEFT | TA_TOP);
      Canvas->Brush().SetStyle(bsClear);
      for (int x = X + lw; x + 2 * lw <= X + w; x += lw)
        gi->TextOut(Canvas, x, Y, Leader.data(), static_cast<int>(Leader.size()), false);
      gi->SetTextAlign(Canvas, oldAlign);
    }
  }
  if (!Printing && ARVData->GetOptions().Contains(rvoShowSpecialCharacters) &&
      ShownSpecialCharacters.Contains(rvspcTab)) {
    const int a = std::clamp(w, 5, 10);
    TColor c = Canvas->Font().GetColor();
    if (!State.Contains(rvidsSelected) && st->SpecialCharactersColor != clNone)
      c = ApplyColorMode(st->SpecialCharactersColor, ColorMode);
    Canvas->Pen().SetWidth(1);
    Canvas->Pen().SetStyle(psSolid);
    Canvas->Pen().SetColor(c);
    const int cx = (X + X + w + a) / 2, cy = (Y + Y + h) / 2;
    gi->Line(Canvas, cx, cy, cx - a - 1, cy);
    const bool rtl = ARVData->GetBiDiMode() == rvbdRightToLeft;
    const int x0 = rtl ? cx - a + 1 : cx - 1, dx = rtl ? 1 : -1;
    gi->Line(Canvas, x0, cy + 2, x0, cy - 1);
    gi->Line(Canvas, x0 + dx, cy + 3, x0 + dx, cy - 2);
    gi->Line(Canvas, x0 + 2 * dx, cy + 3, x0 + 2 * dx, cy - 2);
  }
}

void TRVTabItemInfo::Paint(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
                           TCustomRVData* ARVData, bool) {
  DrawTab(Canvas, X, Y, dli, ARVData, State, RVScreenColorMode(ARVData), false, nullptr);
}

void TRVTabItemInfo::Print(TCanvas* Canvas, int X, int Y, int, bool, bool, bool, const TRVScreenAndDevice& sad,
                           TRVMultiDrawItemPart*, TRVColorMode ColorMode, TCustomRVData* ARVData, TRVDrawLineInfo* dli,
                           int, bool) {
  DrawTab(Canvas, X, Y, dli, ARVData, {}, ColorMode, true, &sad);
}

void TRVTabItemInfo::ApplyStyleConversion(TCustomRVData* ARVData, int ItemNo, int UserData, int, bool) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  int s = FTextStyleNo;
  if (s == StyleNoFromParagraph) {
    s = st ? st->ParaStyles()->Items(ParaNo)->DefStyleNo : -1;
    if (s < 0) s = 0;
  }
  if (s >= 0 && ARVData) s = ARVData->GetStyleFromStyleTemplate(s, ParaNo);
  FTextStyleNo = s;
  if (ARVData) ARVData->DoCurrentTextStyleConversion(FTextStyleNo, ParaNo, ItemNo, UserData, false);
}

void TRVTabItemInfo::MarkStylesInUse(TRVDeleteUnusedStylesData* Data) {
  TRVSimpleRectItemInfo::MarkStylesInUse(Data);
  Data->MarkTextStyle(FTextStyleNo);
}

void TRVTabItemInfo::UpdateStyles(TRVDeleteUnusedStylesData* Data) {
  TRVSimpleRectItemInfo::UpdateStyles(Data);
  FTextStyleNo = Data->NewTextStyle(FTextStyleNo);
}

void TRVTabItemInfo::SaveRVF(TStream* Stream, TCustomRVData* ARVData, int, int AParaNo, const TRVUnicodeString&,
                             TRVMultiDrawItemPart*, bool ForceSameAsPrev, const TRVScreenAndDevice*) {
  // Hidden, DeleteProtect and the hint travel as extra-property lines.
  WriteHeader(Stream, ARVData, ItemKindTab, GetRVFExtraPropertyCount(), AParaNo, ForceSameAsPrev, ItemOptions, Tag,
              RVFTextStyleRef(ARVData, FTextStyleNo));
  SaveRVFExtraProperties(Stream);
}

bool TRVTabItemInfo::ReadRVFHeaderTail(const char*& P, TCustomRVData* ARVData, bool UTF8Strings,
                                       bool& AssStyleNameUsed) {
  while (*P == ' ') ++P;
  if (*P == 0) return true;
  return ReadRVFTextStyleRef(ARVData ? ARVData->GetRVStyle() : nullptr, P, FTextStyleNo, AssStyleNameUsed,
                             UTF8Strings);
}

TRVUnicodeString TRVTabItemInfo::AsText(TCustomRVData*, int, const TRVUnicodeString&, TObject*) { return u"\t"; }

void TRVTabItemInfo::SaveRTF(TStream* Stream, TCustomRVData*, int, int, TRVRTFSavingData*, TRVRTFDocType,
                             bool HiddenParent) {
  WriteRVFAnsi(Stream, (Hidden || HiddenParent) ? "{\\v\\tab}" : "\\tab ");
}

void TRVTabItemInfo::SaveOOXML(TStream* Stream, TCustomRVData*, int, TRVDocXSavingData*, bool) {
  WriteRVFAnsi(Stream, "<w:tab/>");
}

void TRVTabItemInfo::SaveToHTML(TStream* Stream, TCustomRVData* ARVData, int, const TRVUnicodeString&,
                                const TRVUnicodeString&, const TRVUnicodeString&, int&, TColor,
                                const TRVSaveOptions& SaveOptions, bool UseCSS, TRVList*, TRVHTMLListCSSList*) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  int n = st ? st->SpacesInTab : 0;
  if (n <= 0) n = 8;
  TRVAnsiString piece;
  int L;
  if (!Leader.empty()) {
    const TRVAnsiString enc = SaveOptions.Contains(rvsoUTF8) ? UnicodeToUtf8(Leader)
                                                             : UnicodeToAnsiCP(st ? st->DefCodePage : 0, Leader);
    HTMLEscapeAnsiText(enc, false, false, piece, true);
    L = static_cast<int>(Leader.size());
  } else {
    piece = " &nbsp;";
    L = 2;
  }
  TRVAnsiString out;
  const bool hide = UseCSS && Hidden;
  if (hide) out += "<span style=\"{display: none}\">";
  for (int i = 0; i < (n + L - 1) / L; ++i) out += piece;
  if (hide) out += "</span>";
  WriteRVFAnsi(Stream, out);
}

void TRVTabItemInfo::SaveFormattingToStream(TStream* Stream) {
  const std::int32_t minus1 = -1;
  Stream->WriteBuffer(&minus1, 4);
  const std::uint8_t a = Align;
  Stream->WriteBuffer(&a, 1);
  const std::int32_t len = static_cast<std::int32_t>(Leader.size());
  Stream->WriteBuffer(&len, 4);
  if (len > 0) Stream->WriteBuffer(Leader.data(), len * 2);
}

void TRVTabItemInfo::LoadFormattingFromStream(TStream* Stream) {
  std::uint8_t a = 0;
  Stream->ReadBuffer(&a, 1);
  Align = a <= rvtaCenter ? static_cast<TRVTabAlign>(a) : rvtaLeft;
  std::int32_t len = 0;
  Stream->ReadBuffer(&len, 4);
  if (len < 0 || static_cast<std::int64_t>(len) * 2 > Stream->GetSize() - Stream->GetPosition())
    throw EReadError("Invalid tab leader length");
  Leader.assign(static_cast<std::size_t>(len), u'\0');
  if (len > 0) Stream->ReadBuffer(Leader.data(), len * 2);
}
