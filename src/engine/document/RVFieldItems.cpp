#include "engine/document/RVFieldItems.h"

#include "engine/document/CustomRVData.h"
#include "engine/document/RVNumbering.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVOOXMLFuncs.h"
#include "engine/foundation/RVRTFFuncs.h"

TRVUnicodeString TCustomRVPageNumberItemInfo::GetNumberText(int N) const {
  switch (NumberType) {
    case rvpntDefault:
    case rvpntDecimal: return RVNumberText(N, rvntDecimal);
    case rvpntDecimalDash: return u"- " + RVNumberText(N, rvntDecimal) + u" -";
    case rvpntLowerAlpha: return RVNumberText(N, rvntLowerAlpha);
    case rvpntUpperAlpha: return RVNumberText(N, rvntUpperAlpha);
    case rvpntLowerRoman: return RVNumberText(N, rvntLowerRoman);
    case rvpntUpperRoman: return RVNumberText(N, rvntUpperRoman);
    default: return {};
  }
}

void TCustomRVPageNumberItemInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TCustomRVPageNumberItemInfo*>(Source)) NumberType = src->NumberType;
  TCustomRVFieldItemInfo::Assign(Source);
}

bool TCustomRVPageNumberItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const {
  return Prop == rvbpIsPrintField || TCustomRVFieldItemInfo::GetBoolValue(Prop);
}

bool TCustomRVPageNumberItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) {
  return Prop == rvbpHasPrintingWidth || TCustomRVFieldItemInfo::GetBoolValueEx(Prop, ARVStyle);
}

void TCustomRVPageNumberItemInfo::MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) {
  TCustomRVFieldItemInfo::MovingToUndoList(ItemNo, ARVData, AContainerUndoItem);
  if (ARVData) ARVData->DoOnDeleteSpecialItem(this, false);
}

void TCustomRVPageNumberItemInfo::MovingFromUndoList(int ItemNo, TCustomRVData* ARVData) {
  TCustomRVFieldItemInfo::MovingFromUndoList(ItemNo, ARVData);
  if (ARVData) ARVData->DoOnAddSpecialItem(ItemNo);
}

bool TCustomRVPageNumberItemInfo::SetExtraIntPropertyEx(int Prop, int Value) {
  if (Prop != 600) return TCustomRVFieldItemInfo::SetExtraIntPropertyEx(Prop, Value);
  if (Value < rvpntDefault || Value > rvpntUpperRoman) return false;
  NumberType = static_cast<TRVPageNumberType>(Value);
  return true;
}

bool TCustomRVPageNumberItemInfo::GetExtraIntPropertyEx(int Prop, int& Value) {
  if (Prop != 600) return TCustomRVFieldItemInfo::GetExtraIntPropertyEx(Prop, Value);
  Value = NumberType;
  return true;
}

TRVReformatType TCustomRVPageNumberItemInfo::GetExtraIntPropertyReformat(int Prop) {
  return Prop == 600 ? rvrfNormal : TCustomRVFieldItemInfo::GetExtraIntPropertyReformat(Prop);
}

bool TCustomRVPageNumberItemInfo::SetExtraCustomProperty(const TRVRawByteString& PropName,
                                                         const TRVUnicodeString& Value) {
  if (PropName != "pagenumbertype") return TCustomRVFieldItemInfo::SetExtraCustomProperty(PropName, Value);
  int v = 0;
  return TryStrToInt(Value, v) && SetExtraIntPropertyEx(600, v);
}

int TCustomRVPageNumberItemInfo::GetRVFExtraPropertyCount() {
  return TCustomRVFieldItemInfo::GetRVFExtraPropertyCount() + (NumberType != rvpntDefault ? 1 : 0);
}

void TCustomRVPageNumberItemInfo::SaveRVFExtraProperties(TStream* Stream) {
  TCustomRVFieldItemInfo::SaveRVFExtraProperties(Stream);
  if (NumberType != rvpntDefault) WriteRVFExtraCustomIntProperty(Stream, "pagenumbertype", NumberType);
}

TRVAnsiString TCustomRVPageNumberItemInfo::FieldSwitch(const char* Escape) const {
  static const char* const names[] = {"", "Arabic", "ArabicDash", "alphabetic", "ALPHABETIC", "roman", "ROMAN"};
  if (NumberType < 1 || NumberType > 6) return {};
  return TRVAnsiString(" ") + Escape + "* " + names[NumberType];
}

static bool HiddenOr(const TRVNonTextItemInfo* Item, bool HiddenParent) { return Item->Hidden || HiddenParent; }

static void WriteField(TStream* Stream, bool Hidden, const TRVAnsiString& Field) {
  WriteRVFAnsi(Stream, Hidden ? "{\\v" + Field + "}" : Field);
}

// An RTF field of the instruction with its switch, and its result as RTF text.
static void WriteRTFField(TStream* Stream, bool Hidden, const char* Instruction, const TRVAnsiString& Switch,
                          const TRVAnsiString& Result) {
  WriteField(Stream, Hidden,
             "{\\field\\fldedit{\\*\\fldinst {" + TRVAnsiString(Instruction) + " " + Switch +
                 " \\\\* MERGEFORMAT }}{\\fldrslt {" + Result + "}}}");
}

// The opening of a simple DOCX field of the instruction with its switch.
static void WriteOOXMLFieldStart(TStream* Stream, const char* Instruction, const TRVAnsiString& Switch) {
  WriteRVFAnsi(Stream, "<w:fldSimple w:instr=\" " + TRVAnsiString(Instruction) + " " + Switch + " \\* MERGEFORMAT \">");
}

// ---- page number ----

TRVPageNumberItemInfo::TRVPageNumberItemInfo(TCustomRVData* ARVData) : TCustomRVPageNumberItemInfo(ARVData) {
  StyleNo = ItemKindPageNumber;
  SetText(u"{p}");
}

TRVPageNumberItemInfo::TRVPageNumberItemInfo(TCustomRVData* ARVData, TRVPageNumberType ANumberType, int ATextStyleNo)
    : TRVPageNumberItemInfo(ARVData) {
  NumberType = ANumberType;
  SetTextStyleNo(ATextStyleNo);
}

TRVUnicodeString TRVPageNumberItemInfo::GetTextForPrinting(TCustomRVData*, TRVDrawLineInfo*, int DispPageNo, int) {
  return GetNumberText(DispPageNo);
}

TRVUnicodeString TRVPageNumberItemInfo::GetDisplayText(TCustomRVData*) { return GetNumberText(14); }

void TRVPageNumberItemInfo::SaveRTF(TStream* Stream, TCustomRVData* ARVData, int, int, TRVRTFSavingData*,
                                    TRVRTFDocType, bool HiddenParent) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : GetRVStyle();
  WriteRTFField(Stream, HiddenOr(this, HiddenParent), "PAGE", FieldSwitch("\\\\"),
                RTFEncodeText(GetNumberText(1), st ? st->DefCodePage : 0, false));
}

void TRVPageNumberItemInfo::SaveOOXMLBeforeRun(TStream* Stream, TCustomRVData*, int, TRVDocXSavingData*, bool) {
  WriteOOXMLFieldStart(Stream, "PAGE", FieldSwitch("\\"));
}

void TRVPageNumberItemInfo::SaveOOXML(TStream* Stream, TCustomRVData*, int, TRVDocXSavingData*, bool) {
  WriteRVFAnsi(Stream, "<w:t>" + OOXMLEncodeText(GetNumberText(1)) + "</w:t>");
}

void TRVPageNumberItemInfo::SaveOOXMLAfterRun(TStream* Stream, TCustomRVData*, int, TRVDocXSavingData*, bool) {
  WriteRVFAnsi(Stream, "</w:fldSimple>");
}

// ---- page count ----

TRVPageCountItemInfo::TRVPageCountItemInfo(TCustomRVData* ARVData) : TCustomRVPageNumberItemInfo(ARVData) {
  StyleNo = ItemKindPageCount;
  SetText(u"{P}");
}

TRVPageCountItemInfo::TRVPageCountItemInfo(TCustomRVData* ARVData, TRVPageNumberType ANumberType, int ATextStyleNo)
    : TRVPageCountItemInfo(ARVData) {
  NumberType = ANumberType;
  SetTextStyleNo(ATextStyleNo);
}

TRVUnicodeString TRVPageCountItemInfo::GetTextForPrinting(TCustomRVData*, TRVDrawLineInfo*, int, int PageCount) {
  return IntToStr(PageCount);
}

TRVUnicodeString TRVPageCountItemInfo::GetDisplayText(TCustomRVData*) { return u"00"; }

void TRVPageCountItemInfo::SaveRTF(TStream* Stream, TCustomRVData*, int, int, TRVRTFSavingData*, TRVRTFDocType,
                                   bool HiddenParent) {
  WriteRTFField(Stream, HiddenOr(this, HiddenParent), "NUMPAGES", FieldSwitch("\\\\"), "?");
}

void TRVPageCountItemInfo::SaveOOXMLBeforeRun(TStream* Stream, TCustomRVData*, int, TRVDocXSavingData*, bool) {
  WriteOOXMLFieldStart(Stream, "NUMPAGES", FieldSwitch("\\"));
}

void TRVPageCountItemInfo::SaveOOXML(TStream* Stream, TCustomRVData*, int, TRVDocXSavingData*, bool) {
  WriteRVFAnsi(Stream, "<w:t>?</w:t>");
}

void TRVPageCountItemInfo::SaveOOXMLAfterRun(TStream* Stream, TCustomRVData*, int, TRVDocXSavingData*, bool) {
  WriteRVFAnsi(Stream, "</w:fldSimple>");
}
