#include "engine/document/RVMarkerItem.h"

#include <algorithm>
#include <cstring>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVDeleteUnusedStyles.h"
#include "engine/document/RVNumbering.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/foundation/RVRTFFuncs.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/ImageList.h"

namespace {
// The numbering formats take one argument per level; levels outside take no part in numbering.
constexpr int MaxNumberedLevels = 256;

TRVNumberTextKind ListTypeKind(TRVListType Type) {
  switch (Type) {
    case rvlstDecimal:
    case rvlstImageListCounter: return rvntDecimal;
    case rvlstLowerAlpha: return rvntLowerAlpha;
    case rvlstUpperAlpha: return rvntUpperAlpha;
    case rvlstLowerRoman: return rvntLowerRoman;
    case rvlstUpperRoman: return rvntUpperRoman;
    default: return rvntNone;
  }
}

TRVUnicodeString CounterText(int N, const TRVListLevel* L) { return L ? RVNumberText(N, ListTypeKind(L->ListType)) : u""; }

bool IsImageListType(TRVListType t) { return t == rvlstImageList || t == rvlstImageListCounter; }
}  // namespace

TRVListLevel* FindListLevel(TRVStyle* ARVStyle, int ListNo, int LevelNo) {
  if (!ARVStyle || ListNo < 0 || LevelNo < 0 || ListNo >= ARVStyle->ListStyles()->Count()) return nullptr;
  TRVListLevelCollection* levels = ARVStyle->ListStyles()->Items(ListNo)->Levels();
  if (levels->Count() == 0) return nullptr;
  return levels->Items(std::min(LevelNo, levels->Count() - 1));
}

TRVMarkerItemInfo::TRVMarkerItemInfo(TCustomRVData* ARVData) : TRVSimpleRectItemInfo(ARVData) {
  ItemOptions.Exclude(rvioSameAsPrev);
}

TRVMarkerItemInfo::TRVMarkerItemInfo(TCustomRVData* ARVData, int AListNo, int ALevel, int AStartFrom, bool AReset)
    : TRVMarkerItemInfo(ARVData) {
  StyleNo = ItemKindListMarker;
  ListNo = AListNo;
  Level = ALevel;
  StartFrom = AStartFrom;
  Reset = AReset;
}

TRVListLevel* TRVMarkerItemInfo::GetLevelInfo(TRVStyle* ARVStyle) const { return FindListLevel(ARVStyle, ListNo, Level); }

TRVListLevel* TRVMarkerItemInfo::GetLevelInfoEx(TRVStyle* ARVStyle, int LevelNo) const {
  return FindListLevel(ARVStyle, ListNo, LevelNo);
}

int TRVMarkerItemInfo::GetIndexInList(TList* List) {
  if (!List) return -1;
  if (FCachedIndexInList >= 0 && FCachedIndexInList < List->Count() && List->Get(FCachedIndexInList) == this)
    return FCachedIndexInList;
  FCachedIndexInList = List->IndexOf(this);
  return FCachedIndexInList;
}

void TRVMarkerItemInfo::CalcDisplayString(TRVStyle* ARVStyle, TRVMarkerList* List, int Index) {
  TRVListLevel* R = GetLevelInfo(ARVStyle);
  DisplayString.clear();
  if (!R) return;
  switch (R->ListType) {
    case rvlstBullet: {
      std::vector<TVarRec> args(20, TVarRec(TRVUnicodeString()));
      DisplayString = RVSafeFormat(R->FormatString, args.data(), args.size());
      return;
    }
    case rvlstDecimal:
    case rvlstLowerAlpha:
    case rvlstUpperAlpha:
    case rvlstLowerRoman:
    case rvlstUpperRoman: break;
    default: return;
  }
  std::vector<TRVUnicodeString> text(MaxNumberedLevels);
  const bool legal = R->Options.Contains(rvloLegalStyleNumbering);
  if (Level < MaxNumberedLevels) text[static_cast<std::size_t>(Level)] = CounterText(Counter, R);
  TRVMarkerItemInfo* cur = this;
  TRVMarkerList* curList = List;
  int curIndex = Index;
  // Each step moves to a smaller level, so the walk ends after at most Level steps.
  for (int guard = 0; guard <= MaxNumberedLevels && cur && cur->Level > 0; ++guard) {
    TRVMarkerList* parentList = nullptr;
    int parentIndex = -1;
    const bool hasParent = curList && curList->FindParentMarker(curIndex, cur, parentList, parentIndex);
    TRVMarkerItemInfo* parent = hasParent ? parentList->Items(parentIndex) : nullptr;
    const int low = parent ? parent->Level : -1;
    for (int k = std::min(cur->Level - 1, MaxNumberedLevels - 1); k > low && k >= 0; --k) {
      TRVListLevel* Lk = GetLevelInfoEx(ARVStyle, k);
      text[static_cast<std::size_t>(k)] = Lk ? CounterText(Lk->StartFrom, Lk) : u"";
    }
    if (!parent) break;
    if (parent->Level >= 0 && parent->Level < MaxNumberedLevels) {
      TRVListLevel* PL = parent->GetLevelInfo(ARVStyle);
      TRVUnicodeString t = CounterText(parent->Counter, PL);
      if (legal && PL && PL->ListType >= rvlstLowerAlpha && PL->ListType <= rvlstUpperRoman)
        t = RVNumberText(parent->Counter, rvntDecimal);
      text[static_cast<std::size_t>(parent->Level)] = t;
    }
    cur = parent;
    curList = parentList;
    curIndex = parentIndex;
  }
  std::vector<TVarRec> args;
  args.reserve(text.size());
  for (const auto& s : text) args.emplace_back(s);
  DisplayString = RVSafeFormat(R->FormatString, args.data(), args.size());
}

void TRVMarkerItemInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TRVMarkerItemInfo*>(Source)) {
    ListNo = src->ListNo;
    Level = src->Level;
    StartFrom = src->StartFrom;
    Reset = src->Reset;
    NoHTMLImageSize = src->NoHTMLImageSize;
  }
  TRVSimpleRectItemInfo::Assign(Source);
}

void TRVMarkerItemInfo::MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) {
  TRVSimpleRectItemInfo::MovingToUndoList(ItemNo, ARVData, AContainerUndoItem);
  if (ARVData) ARVData->DeleteMarkerFromList(this, false);
}

void TRVMarkerItemInfo::MovingFromUndoList(int ItemNo, TCustomRVData* ARVData) {
  TRVSimpleRectItemInfo::MovingFromUndoList(ItemNo, ARVData);
  if (ARVData) ARVData->AddMarkerInList(ItemNo);
}

void TRVMarkerItemInfo::MarkStylesInUse(TRVDeleteUnusedStylesData* Data) {
  TRVSimpleRectItemInfo::MarkStylesInUse(Data);
  Data->MarkListStyle(ListNo);
}

void TRVMarkerItemInfo::UpdateStyles(TRVDeleteUnusedStylesData* Data) {
  TRVSimpleRectItemInfo::UpdateStyles(Data);
  ListNo = Data->NewListStyle(ListNo);
}

bool TRVMarkerItemInfo::SetExtraIntProperty(TRVExtraItemProperty Prop, int Value) {
  if (Prop == rvepNoHTMLImageSize) {
    NoHTMLImageSize = Value != 0;
    return true;
  }
  return TRVSimpleRectItemInfo::SetExtraIntProperty(Prop, Value);
}

bool TRVMarkerItemInfo::GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) {
  if (Prop == rvepNoHTMLImageSize) {
    Value = NoHTMLImageSize;
    return true;
  }
  return TRVSimpleRectItemInfo::GetExtraIntProperty(Prop, Value);
}

int TRVMarkerItemInfo::GetRVFExtraPropertyCount() {
  return TRVSimpleRectItemInfo::GetRVFExtraPropertyCount() + (NoHTMLImageSize ? 1 : 0);
}

void TRVMarkerItemInfo::SaveRVFExtraProperties(TStream* Stream) {
  TRVSimpleRectItemInfo::SaveRVFExtraProperties(Stream);
  if (NoHTMLImageSize) WriteRVFExtraIntProperty(Stream, rvepNoHTMLImageSize, 1);
}

bool TRVMarkerItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const {
  return Prop == rvbpDrawingChangesFont || TRVSimpleRectItemInfo::GetBoolValue(Prop);
}

bool TRVMarkerItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) {
  if (Prop == rvbpActualPrintSize) return true;
  if (Prop == rvbpPrintToBMP) {
    TRVListLevel* L = GetLevelInfo(ARVStyle);
    if (!L) return false;
    if (IsImageListType(L->ListType)) return true;
    if (L->ListType == rvlstPicture && L->HasPicture())
      return !(GraphicHandler && GraphicHandler->IsVectorGraphic(L->GetPicture()->GetGraphic()));
    return false;
  }
  return TRVSimpleRectItemInfo::GetBoolValueEx(Prop, ARVStyle);
}

int TRVMarkerItemInfo::GetImageWidth(TRVStyle* ARVStyle) {
  TRVListLevel* L = GetLevelInfo(ARVStyle);
  if (!L) return 0;
  if (L->ListType == rvlstPicture && L->HasPicture()) return L->GetPicture()->GetGraphic()->GetWidth();
  if (IsImageListType(L->ListType) && L->ImageList) return L->ImageList->GetWidth();
  return 0;
}

int TRVMarkerItemInfo::GetImageHeight(TRVStyle* ARVStyle) {
  TRVListLevel* L = GetLevelInfo(ARVStyle);
  if (!L) return 0;
  if (L->ListType == rvlstPicture && L->HasPicture()) return L->GetPicture()->GetGraphic()->GetHeight();
  if (IsImageListType(L->ListType) && L->ImageList) return L->ImageList->GetHeight();
  return 0;
}

void TRVMarkerItemInfo::ApplyMarkerFont(TCanvas* Canvas, TRVListLevel* L, TCustomRVData* ARVData, TRVStyle* st,
                                        bool CustomPPI) {
  TFont f;
  L->GetFont()->AssignTo(f);
  const int ppi = st->TextStyles()->PixelsPerInch;
  // The canvas keeps its own resolution (a printer's, say): the text styles measured on it later,
  // and the canvases made compatible with it, take their pixel sizes from it.
  const int canvasPPI = Canvas->Font().GetPixelsPerInch();
  if (CustomPPI && ARVData && ARVData->GetFlags().Contains(rvflCanUseCustomPPI) && ppi != 0 && f.GetSize() > 0)
    f.SetHeight(-MulDiv(f.GetSize(), ppi, 72));
  else if (canvasPPI > 0 && canvasPPI != f.GetPixelsPerInch())
    f.SetHeight(MulDiv(f.GetHeight(), canvasPPI, f.GetPixelsPerInch()));
  f.SetPixelsPerInch(canvasPPI);
  Canvas->SetFont(f);
  TRVGraphicInterface* gi = st->GetGraphicInterface();
  gi->SetTextCharacterExtra(Canvas, 0);
}

void TRVMarkerItemInfo::MeasureMarker(TCanvas* Canvas, TCustomRVData* ARVData, const TRVScreenAndDevice* sad,
                                      bool ForMinWidth, int& AWidth, int& AHeight, int& ADescent, int& AOverhang,
                                      int& AMarkerOffset, int& AMinWidth) {
  AWidth = AHeight = ADescent = AOverhang = AMarkerOffset = AMinWidth = 0;
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  TRVListLevel* L = GetLevelInfo(st);
  if (!L || ListNo < 0 || Level < 0) return;
  TRVGraphicInterface* gi = st->GetGraphicInterface();
  int w = 0, h = 0;
  if (L->ListType == rvlstPicture || IsImageListType(L->ListType)) {
    w = GetImageWidth(st);
    h = GetImageHeight(st);
    if (sad) {
      w = ScreenToDeviceX(w, *sad);
      h = ScreenToDeviceY(h, *sad);
    }
  } else if (Canvas) {
    ApplyMarkerFont(Canvas, L, ARVData, st, true);
    gi->SetTextAlign(Canvas, TA_LEFT | TA_TOP);
    const TRVUnicodeString& s = L->ListType == rvlstUnicodeBullet ? L->FormatStringW : DisplayString;
    const TSize sz = gi->TextSize(Canvas, s.data(), static_cast<int>(s.size()), false, false);
    TEXTMETRICW tm{};
    gi->GetTextMetrics(Canvas, tm);
    w = sz.cx;
    h = s.empty() ? tm.tmHeight : sz.cy;
    ADescent = tm.tmDescent;
  }
  int left = 0, right = 0;
  switch (L->MarkerAlignment) {
    case rvmaLeft: right = w; break;
    case rvmaRight: left = w; break;
    case rvmaCenter:
      right = w / 2;
      left = w - right;
      break;
  }
  auto px = [&](TRVStyleLength v) { return sad ? st->GetAsDevicePixelsX(v, sad) : st->GetAsPixels(v); };
  const int a = px(L->LeftIndent) + px(L->FirstIndent) - px(L->MarkerIndent);
  AMinWidth = std::max(right, a);
  if (ForMinWidth) return;
  right = std::max(right, a);
  AWidth = left + right;
  AHeight = h;
  TRVBiDiMode bidi = ARVData->GetParaBiDiMode(ParaNo);
  const bool rtl = bidi == rvbdRightToLeft;
  AOverhang = rtl ? left : -left;
  AMarkerOffset = rtl ? left + right - w : 0;
}

int TRVMarkerItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas, TCustomRVData* ARVData) {
  int w, h, d, o, m, mw;
  MeasureMarker(Canvas, ARVData, sad, true, w, h, d, o, m, mw);
  return mw;
}

void TRVMarkerItemInfo::OnDocWidthChange(int, TRVDrawLineInfo* dli, TCanvas* Canvas, TCustomRVData* ARVData,
                                         const TRVScreenAndDevice* sad, int& HShift, int& Desc,
                                         const TRVDocWidthChangeStates& State) {
  auto* j = dynamic_cast<TRVJustifyDrawLineInfo*>(dli);
  if (!j) throw EViroZereError("Incorrect drawing item type for a marker");
  int w, h, d, o, m, mw;
  MeasureMarker(Canvas, ARVData, sad, false, w, h, d, o, m, mw);
  j->Width = w;
  j->Height = h;
  j->SetMarkerOffset(m);
  HShift = o;
  Desc = d;
  if (!State.Contains(rvdwcsPrinting)) {
    FWidth = w;
    FHeight = h;
    FDescent = d;
    FOverhang = o;
  }
}

void TRVMarkerItemInfo::DrawMarker(TCanvas* Canvas, int X, int Y, TRVDrawLineInfo* dli, TCustomRVData* ARVData,
                                   const TRVItemDrawStates&, TRVColorMode ColorMode, const TRVScreenAndDevice* sad,
                                   bool Printing) {
  if (ListNo < 0 || Level < 0) return;
  auto* j = dynamic_cast<TRVJustifyDrawLineInfo*>(dli);
  if (!j) throw EViroZereError("Incorrect drawing item type for a marker");
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  TRVListLevel* L = GetLevelInfo(st);
  if (!L) return;
  TRVGraphicInterface* gi = st->GetGraphicInterface();
  const int x = X + j->GetMarkerOffset();
  if (L->ListType == rvlstPicture) {
    if (L->HasPicture()) DrawOrPrintGraphic(Canvas, x, Y, gi, sad != nullptr, L->GetPicture()->GetGraphic(), sad, -1, -1);
    return;
  }
  if (IsImageListType(L->ListType)) {
    int index = L->ImageIndex;
    if (L->ListType == rvlstImageListCounter) index += Counter - 1;
    if (L->ImageList && index >= 0 && index < L->ImageList->Count())
      gi->DrawImageList(Canvas, L->ImageList, index, x, Y, clNone);
    return;
  }
  ApplyMarkerFont(Canvas, L, ARVData, st, !Printing || ARVData->GetFlags().Contains(rvflCanUseCustomPPI));
  Canvas->Font().SetColor(ApplyColorMode(L->GetFont()->Color, ColorMode));
  const bool rtl = ARVData->GetParaBiDiMode(ParaNo) == rvbdRightToLeft;
  const UINT old = gi->GetTextAlign(Canvas);
  gi->SetTextAlign(Canvas, TA_BASELINE | (rtl ? TA_RTLREADING : 0));
  Canvas->Brush().SetStyle(bsClear);
  const TRVUnicodeString& s = L->ListType == rvlstUnicodeBullet ? L->FormatStringW : DisplayString;
  gi->TextOut(Canvas, x, Y + dli->BaseLine - dli->Top, s.data(), static_cast<int>(s.size()), false);
  gi->SetTextAlign(Canvas, old);
}

void TRVMarkerItemInfo::Paint(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
                              TCustomRVData* ARVData, bool) {
  DrawMarker(Canvas, X, Y, dli, ARVData, State, RVScreenColorMode(ARVData), nullptr, false);
}

void TRVMarkerItemInfo::Print(TCanvas* Canvas, int X, int Y, int, bool, bool, bool, const TRVScreenAndDevice& sad,
                              TRVMultiDrawItemPart*, TRVColorMode ColorMode, TCustomRVData* ARVData,
                              TRVDrawLineInfo* dli, int, bool) {
  DrawMarker(Canvas, X, Y, dli, ARVData, {}, ColorMode, &sad, true);
}

TRVRawByteString TRVMarkerItemInfo::GetRVFHeaderTailText(TCustomRVData* ARVData) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  TRVDataRootProperties* rp = ARVData ? ARVData->GetRootProperties() : nullptr;
  TRVRawByteString list;
  if (rp && rp->RVFOptions.Contains(rvfoUseStyleNames) && st && ListNo >= 0 && ListNo < st->ListStyles()->Count())
    list = EncodeRVFQuotedStyleName(st->ListStyles()->Items(ListNo)->StyleName);
  else
    list = std::to_string(ListNo);
  return list + " " + std::to_string(Level) + " " + std::to_string(StartFrom) + " " + (Reset ? "1" : "0");
}

bool TRVMarkerItemInfo::ReadRVFHeaderTail(const char*& P, TCustomRVData* ARVData, bool UTF8Strings,
                                          bool& AssStyleNameUsed) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  auto lookup = [st](const TRVUnicodeString& name) {
    if (st)
      for (int i = 0; i < st->ListStyles()->Count(); ++i)
        if (st->ListStyles()->Items(i)->StyleName == name) return i;
    return 0;  // a list that is not there stands as the first
  };
  while (*P == ' ') ++P;
  if (!ReadRVFStyleRef(P, lookup, st ? st->DefCodePage : 0, ListNo, AssStyleNameUsed, UTF8Strings)) return false;
  int reset = 0;
  if (!ReadRVFInteger(P, Level) || !ReadRVFInteger(P, StartFrom) || !ReadRVFInteger(P, reset)) return false;
  Reset = reset != 0;
  return true;
}

void TRVMarkerItemInfo::SaveRVF(TStream* Stream, TCustomRVData* ARVData, int, int AParaNo, const TRVUnicodeString&,
                                TRVMultiDrawItemPart*, bool ForceSameAsPrev, const TRVScreenAndDevice*) {
  const bool pchars = ARVData && ARVData->GetOptions().Contains(rvoTagsArePChars);
  WriteRVFLine(Stream, std::to_string(ItemKindListMarker) + " " + std::to_string(GetRVFExtraPropertyCount()) + " " +
                           RVFItemParaRef(ARVData, AParaNo, ForceSameAsPrev) + " " +
                           std::to_string(ItemOptionsForRVF(ItemOptions, ForceSameAsPrev)) + " 0 " +
                           EncodeRVFStringField(pchars, Tag) + " " + GetRVFHeaderTailText(ARVData));
  SaveRVFExtraProperties(Stream);
}

void TRVMarkerItemInfo::FillRTFTables(TCustomRVRTFTables*, TRVIntegerList* ListOverrideCountList,
                                      TCustomRVData* ARVData) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  TRVListLevel* L = GetLevelInfo(st);
  if (!Reset || !L || !ListOverrideCountList || !L->HasNumbering() || L->ListType == rvlstImageListCounter) return;
  if (ListNo < ListOverrideCountList->Count())
    ListOverrideCountList->Put(ListNo, ListOverrideCountList->Get(ListNo) + 1);
}

void TRVMarkerItemInfo::SaveRTF(TStream* Stream, TCustomRVData* ARVData, int, int, TRVRTFSavingData* SavingData,
                                TRVRTFDocType, bool) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  TRVListLevel* L = GetLevelInfo(st);
  if (!L || L->ListType == rvlstPicture || IsImageListType(L->ListType)) return;
  const bool tables = SavingData && SavingData->ListOverrideOffsetsList1 && SavingData->ListOverrideOffsetsList2;
  TRVAnsiString s = tables ? "{\\listtext\\pard\\plain" : "{\\pard\\plain";
  TRVMarkerFont* f = L->GetFont();
  if (f->Style.Contains(fsBold)) s += "\\b";
  if (f->Style.Contains(fsItalic)) s += "\\i";
  s += "\\fs";
  s += std::to_string(f->GetSize() * 2);
  const TRVUnicodeString& text = L->ListType == rvlstUnicodeBullet ? L->FormatStringW : DisplayString;
  s += ' ';
  s += RTFEncodeText(text, st->DefCodePage, false);
  s += "\\tab}";
  if (tables && ListNo < SavingData->ListOverrideOffsetsList1->Count()) {
    int over = SavingData->ListOverrideOffsetsList1->Get(ListNo);
    if (Reset && L->HasNumbering()) {
      over = SavingData->ListOverrideOffsetsList2->Get(ListNo) + 1;
      SavingData->ListOverrideOffsetsList2->Put(ListNo, over);
    }
    s += "\\ls" + std::to_string(over) + "\\ilvl" + std::to_string(Level) + " ";
  }
  WriteRVFAnsi(Stream, s);
}

TRVUnicodeString TRVMarkerItemInfo::AsText(TCustomRVData* ARVData, int, const TRVUnicodeString&, TObject*) {
  TRVListLevel* L = GetLevelInfo(ARVData ? ARVData->GetRVStyle() : nullptr);
  if (!L) return {};
  if (L->ListType == rvlstPicture || IsImageListType(L->ListType)) return u"* ";
  if (L->ListType == rvlstUnicodeBullet) return L->FormatStringW + u" ";
  return DisplayString + u" ";
}

void TRVMarkerItemInfo::HTMLOpenOrCloseTags(TStream* Stream, int OldLevelNo, int NewLevelNo, TRVStyle* ARVStyle,
                                            const TRVSaveOptions& SaveOptions, bool UseCSS,
                                            TRVHTMLListCSSList* ListBullets) {
  // Levels are bounded by the list's own levels: a damaged level number must not open thousands.
  const int last = ListNo >= 0 && ARVStyle && ListNo < ARVStyle->ListStyles()->Count()
                       ? ARVStyle->ListStyles()->Items(ListNo)->Levels()->Count() - 1
                       : -1;
  OldLevelNo = std::min(OldLevelNo, last);
  NewLevelNo = std::min(NewLevelNo, last);
  for (int i = OldLevelNo; i > NewLevelNo; --i)
    if (TRVListLevel* L = GetLevelInfoEx(ARVStyle, i)) L->HTMLCloseTag(Stream, UseCSS);
  for (int i = OldLevelNo + 1; i <= NewLevelNo; ++i)
    if (TRVListLevel* L = GetLevelInfoEx(ARVStyle, i))
      L->HTMLOpenTag(Stream, UseCSS, ARVStyle, SaveOptions, ListBullets, ARVStyle->ParaStyles()->Items(ParaNo)->BiDiMode);
  if (OldLevelNo != NewLevelNo) WriteRVFAnsi(Stream, "\r\n");
}

void TRVMarkerItemInfo::SaveHTMLSpecial(TStream* Stream, TRVMarkerItemInfo* Prev, TRVStyle* ARVStyle, bool UseCSS,
                                        const TRVSaveOptions& SaveOptions, TRVHTMLListCSSList* ListBullets) {
  if (Prev && Prev->ListNo == ListNo) {
    HTMLOpenOrCloseTags(Stream, Prev->Level, Level, ARVStyle, SaveOptions, UseCSS, ListBullets);
    return;
  }
  if (Prev) Prev->HTMLOpenOrCloseTags(Stream, Prev->Level, -1, ARVStyle, SaveOptions, UseCSS, ListBullets);
  HTMLOpenOrCloseTags(Stream, -1, Level, ARVStyle, SaveOptions, UseCSS, ListBullets);
}

TRVAnsiString TRVMarkerItemInfo::GetLICSS(TCustomRVData* ARVData, int, const TRVUnicodeString& ImageLocation) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  TRVListLevel* L = GetLevelInfo(st);
  TRVAnsiString css;
  if (!L) return css;
  auto add = [&css](const TRVAnsiString& d) { AppendWithSeparatorAnsi(css, d, "; "); };
  if ((L->ListType == rvlstPicture || IsImageListType(L->ListType)) && !ImageLocation.empty())
    add("list-style-image: url('" + UnicodeToUtf8(ImageLocation) + "')");
  TParaInfo* p = st->ParaStyles()->Items(ParaNo);
  if (p->LeftIndent != 0) add("margin-left: " + RVCSSSize(st, 0));
  const TRVStyleLength ti = L->MarkerIndent >= L->LeftIndent ? L->MarkerIndent - L->LeftIndent : L->FirstIndent;
  if (ti != p->FirstIndent) add("text-indent: " + RVCSSSize(st, ti));
  if (Hidden) add("display : none");
  return css;
}

// ---- the marker list -------------------------------------------------------------------------------

TRVMarkerList::~TRVMarkerList() = default;

void TRVMarkerList::Clear() {
  TList::Clear();
  FOwned.clear();
}

int TRVMarkerList::InsertAfter(TRVMarkerItemInfo* InsertMe, TRVMarkerItemInfo* AfterMe) {
  int index = 0;
  if (AfterMe) index = AfterMe->GetIndexInList(this) + 1;
  Insert(index, InsertMe);
  InsertMe->FCachedIndexInList = index;
  return index;
}

bool TRVMarkerList::FindParentMarker(int Index, TRVMarkerItemInfo* Marker, TRVMarkerList*& ParentList,
                                     int& ParentIndex) const {
  if (!Marker) Marker = Index >= 0 && Index < Count() ? Items(Index) : nullptr;
  ParentList = nullptr;
  ParentIndex = -1;
  if (!Marker) return false;
  const TRVMarkerList* list = this;
  int from = Index - 1;
  for (int depth = 0; list && depth < 64; ++depth) {
    for (int i = std::min(from, list->Count() - 1); i >= 0; --i) {
      TRVMarkerItemInfo* m = list->Items(i);
      if (m->ListNo == Marker->ListNo && m->Level < Marker->Level) {
        ParentList = const_cast<TRVMarkerList*>(list);
        ParentIndex = i;
        return true;
      }
    }
    list = list->PrevMarkerList;
    from = list ? list->Count() - 1 : -1;
  }
  return false;
}

void TRVMarkerList::RecalcCounters(int StartFrom, TRVStyle* ARVStyle, bool ForAllLists) {
  if (StartFrom < 0 || StartFrom >= Count()) return;
  int L = Items(StartFrom)->ListNo;
  if (L < 0) return;
  for (int i = StartFrom; i < Count(); ++i) {
    TRVMarkerItemInfo* M = Items(i);
    if (ForAllLists)
      L = M->ListNo;
    else if (M->ListNo != L)
      continue;
    M->FCachedIndexInList = i;
    if (M->Reset) {
      M->Counter = M->StartFrom;
    } else if (TRVListLevel* R = M->GetLevelInfo(ARVStyle)) {
      M->Counter = R->StartFrom;
      for (int j = i - 1; j >= 0; --j) {
        TRVMarkerItemInfo* P = Items(j);
        if (P->ListNo != L) continue;
        if (P->Level == M->Level) {
          M->Counter = P->Counter + 1;
          break;
        }
        if (P->Level < M->Level) {
          if (R->Options.Contains(rvloLevelReset)) {
            M->Counter = R->StartFrom;
            break;
          }
          continue;
        }
        M->Counter = R->StartFrom + 1;  // a sub-item before the first item of this level used a number
      }
    } else {
      M->Counter = 0;
    }
    M->CalcDisplayString(ARVStyle, this, i);
  }
}

void TRVMarkerList::SaveToStream(TStream* Stream, int ACount, bool IncludeSize) const {
  ACount = std::clamp(ACount, 0, Count());
  if (IncludeSize) Stream->WriteValue<std::int32_t>(17 * ACount + 8);
  Stream->WriteValue<std::int32_t>(0);
  Stream->WriteValue<std::int32_t>(ACount);
  for (int i = 0; i < ACount; ++i) {
    const TRVMarkerItemInfo* m = Items(i);
    Stream->WriteValue<std::int32_t>(m->ListNo);
    Stream->WriteValue<std::int32_t>(m->Level);
    Stream->WriteValue<std::uint8_t>(m->Reset ? 1 : 0);
    Stream->WriteValue<std::int32_t>(m->StartFrom);
    Stream->WriteValue<std::int32_t>(m->Counter);
  }
}

bool TRVMarkerList::LoadFromStream(TStream* Stream, TCustomRVData* RVData, bool IncludeSize) {
  Clear();
  const std::int64_t left = Stream->GetSize() - Stream->GetPosition();
  std::int32_t kind = 0, count = 0;
  if (left < (IncludeSize ? 12 : 8)) return false;
  if (IncludeSize) Stream->ReadValue<std::int32_t>();
  kind = Stream->ReadValue<std::int32_t>();
  count = Stream->ReadValue<std::int32_t>();
  (void)kind;
  if (count < 0 || static_cast<std::int64_t>(count) * 17 > Stream->GetSize() - Stream->GetPosition()) return false;
  for (int i = 0; i < count; ++i) {
    const std::int32_t list = Stream->ReadValue<std::int32_t>();
    const std::int32_t level = Stream->ReadValue<std::int32_t>();
    const std::uint8_t reset = Stream->ReadValue<std::uint8_t>();
    const std::int32_t start = Stream->ReadValue<std::int32_t>();
    const std::int32_t counter = Stream->ReadValue<std::int32_t>();
    auto m = std::make_unique<TRVMarkerItemInfo>(RVData, list, level, start, reset != 0);
    m->Counter = counter;
    Add(m.get());
    FOwned.push_back(std::move(m));
  }
  return true;
}

void TRVMarkerList::SaveTextToStream(TStream* Stream, int ACount) const {
  TMemoryStream m;
  SaveToStream(&m, ACount, false);
  WriteRVFLine(Stream, StreamToHex(&m));
}

bool TRVMarkerList::LoadText(const TRVRawByteString& S, TCustomRVData* RVData) {
  TMemoryStream m;
  if (!HexToStream(S, &m)) {
    Clear();
    return false;
  }
  m.Seek(0, soBeginning);
  return LoadFromStream(&m, RVData, false);
}

bool TRVMarkerList::LoadBinary(const TRVRawByteString& S, TCustomRVData* RVData) {
  TMemoryStream m;
  m.WriteBuffer(S.data(), static_cast<std::int64_t>(S.size()));
  m.Seek(0, soBeginning);
  return LoadFromStream(&m, RVData, false);
}
