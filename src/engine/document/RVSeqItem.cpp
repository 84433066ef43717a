#include "engine/document/RVSeqItem.h"

#include "engine/document/CustomRVData.h"
#include "engine/document/RVNumbering.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVOOXMLFuncs.h"
#include "engine/foundation/RVRTFFuncs.h"
#include "engine/foundation/RVStrFuncs.h"

#include <optional>
#include <unordered_map>

TRVUnicodeString RVSeqNameKey(const TRVUnicodeString& Name) { return LowerCaseUnicode(Name); }

TRVSeqItemInfo::TRVSeqItemInfo(TCustomRVData* ARVData) : TRVLabelItemInfo(ARVData) { StyleNo = ItemKindSequence; }

TRVSeqItemInfo::TRVSeqItemInfo(TCustomRVData* ARVData, const TRVUnicodeString& ASeqName, TRVSeqType ANumberType,
                               int ATextStyleNo, int AStartFrom, bool AReset)
    : TRVLabelItemInfo(ARVData, ATextStyleNo, u"") {
  StartFrom = AStartFrom;
  Reset = AReset;
  SeqName = ASeqName.empty() ? TRVUnicodeString(u"tvirozere") : ASeqName;
  FNumberType = ANumberType;
  StyleNo = ItemKindSequence;
}

static TRVNumberTextKind SeqKind(int Type) {
  switch (Type & 0x7F) {
    case rvseqDecimal: return rvntDecimal;
    case rvseqLowerAlpha: return rvntLowerAlpha;
    case rvseqUpperAlpha: return rvntUpperAlpha;
    case rvseqLowerRoman: return rvntLowerRoman;
    case rvseqUpperRoman: return rvntUpperRoman;
    default: return rvntNone;
  }
}

TRVUnicodeString TRVSeqItemInfo::GetDisplayString(TRVSeqList*, int ACounter) {
  const TRVUnicodeString n = RVNumberText(ACounter, SeqKind(GetNumberType()));
  if (FormatString.empty()) return n;
  const TVarRec arg(n);
  return RVSafeFormat(FormatString, &arg, 1);
}

void TRVSeqItemInfo::CalcDisplayString(TRVSeqList* List) {
  SetText(GetDisplayString(List, Counter));
}

int TRVSeqItemInfo::GetIndexInList(TList* List) {
  if (!List) return -1;
  if (FCachedIndexInList >= 0 && FCachedIndexInList < List->Count() && List->Get(FCachedIndexInList) == this)
    return FCachedIndexInList;
  FCachedIndexInList = List->IndexOf(this);
  return FCachedIndexInList;
}

void TRVSeqItemInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TRVSeqItemInfo*>(Source)) {
    FNumberType = src->FNumberType;
    StartFrom = src->StartFrom;
    Reset = src->Reset;
    SeqName = src->SeqName;
    FormatString = src->FormatString;
  }
  TRVLabelItemInfo::Assign(Source);
}

void TRVSeqItemInfo::MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) {
  TRVLabelItemInfo::MovingToUndoList(ItemNo, ARVData, AContainerUndoItem);
  if (ARVData) ARVData->DeleteSeqFromList(this, false);
}

void TRVSeqItemInfo::MovingFromUndoList(int ItemNo, TCustomRVData* ARVData) {
  TRVLabelItemInfo::MovingFromUndoList(ItemNo, ARVData);
  if (ARVData) ARVData->AddSeqInList(ItemNo);
}

bool TRVSeqItemInfo::SetExtraIntPropertyEx(int Prop, int Value) {
  switch (Prop) {
    case 300: StartFrom = Value; return true;
    case 301: Reset = Value != 0; return true;
    case 302: SetNumberType(Value); return true;
    default: return TRVLabelItemInfo::SetExtraIntPropertyEx(Prop, Value);
  }
}

bool TRVSeqItemInfo::GetExtraIntPropertyEx(int Prop, int& Value) {
  switch (Prop) {
    case 300: Value = StartFrom; return true;
    case 301: Value = Reset; return true;
    case 302: Value = GetNumberType() & 0x7F; return true;
    default: return TRVLabelItemInfo::GetExtraIntPropertyEx(Prop, Value);
  }
}

bool TRVSeqItemInfo::SetExtraStrPropertyEx(int Prop, const TRVUnicodeString& Value) {
  switch (Prop) {
    case 300: SeqName = Value; return true;
    case 301: FormatString = Value; return true;
    case 200: return false;  // the text is computed
    default: return TRVLabelItemInfo::SetExtraStrPropertyEx(Prop, Value);
  }
}

bool TRVSeqItemInfo::GetExtraStrPropertyEx(int Prop, TRVUnicodeString& Value) {
  switch (Prop) {
    case 300: Value = SeqName; return true;
    case 301: Value = FormatString; return true;
    default: return TRVLabelItemInfo::GetExtraStrPropertyEx(Prop, Value);
  }
}

TRVReformatType TRVSeqItemInfo::GetExtraIntPropertyReformat(int Prop) {
  return Prop == 300 || Prop == 301 ? rvrfFull : TRVLabelItemInfo::GetExtraIntPropertyReformat(Prop);
}

TRVReformatType TRVSeqItemInfo::GetExtraStrPropertyReformat(int Prop) {
  if (Prop == 300) return rvrfFull;
  if (Prop == 301) return rvrfNormal;
  return TRVLabelItemInfo::GetExtraStrPropertyReformat(Prop);
}

void TRVSeqItemInfo::SaveRVF(TStream* Stream, TCustomRVData* ARVData, int, int AParaNo, const TRVUnicodeString& Name,
                             TRVMultiDrawItemPart*, bool ForceSameAsPrev, const TRVScreenAndDevice*) {
  WriteLabelRVFHeader(Stream, ARVData, AParaNo, ForceSameAsPrev, GetRVFExtraPropertyCount() + 10);
  WriteRVFLine(Stream, EncodeRVFString(SeqName));
  WriteRVFLine(Stream, std::to_string(GetNumberType() & 0x7F));
  WriteRVFLine(Stream, Reset ? "1" : "0");
  WriteRVFLine(Stream, std::to_string(StartFrom));
  WriteLabelPropertyLines(Stream, ARVData);
  WriteRVFLine(Stream, EncodeRVFString(Name));
  WriteRVFLine(Stream, EncodeRVFString(FormatString));
  SaveRVFExtraProperties(Stream);
}

bool TRVSeqItemInfo::ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo,
                                 int LineCount, TRVUnicodeString& Name, TRVFReadMode& ReadMode,
                                 TRVFReadState& ReadState, bool UTF8Strings, bool& AssStyleNameUsed) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  const TRVCodePage cp = st ? st->DefCodePage : 0;
  int v = 0;
  switch (LineNo) {
    case 0: SeqName = DecodeRVFString(s, UTF8Strings, cp); return true;
    case 1:
      // A number that is not a number keeps the default rather than failing the document.
      if (TryStrToInt(AsciiToUnicode(s), v)) SetNumberType(v);
      return true;
    case 2: Reset = s != "0"; return true;
    case 3:
      if (TryStrToInt(AsciiToUnicode(s), v)) StartFrom = v;
      return true;
    case 4:
    case 5:
    case 6:
    case 7: ReadLabelPropertyLine(LineNo - 4, s, ARVData, UTF8Strings, AssStyleNameUsed); return true;
    case 8:
      Name = DecodeRVFString(s, UTF8Strings, cp);
      FParentRVData = ARVData;
      return true;
    case 9: FormatString = DecodeRVFString(s, UTF8Strings, cp); return true;
    default:
      return TRVLabelItemInfo::ReadRVFLine(s, ARVData, ReadType, LineNo, LineCount, Name, ReadMode, ReadState,
                                           UTF8Strings, AssStyleNameUsed);
  }
}

TRVAnsiString TRVSeqItemInfo::NumberSwitch(const char* Escape) const {
  static const char* const names[] = {"", "alphabetic", "ALPHABETIC", "roman", "ROMAN"};
  const int t = GetNumberType() & 0x7F;
  if (t < 1 || t > 4) return {};
  return TRVAnsiString(" ") + Escape + "* " + names[t];
}

void TRVSeqItemInfo::SaveRTF(TStream* Stream, TCustomRVData* ARVData, int, int, TRVRTFSavingData*, TRVRTFDocType,
                             bool HiddenParent) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : GetRVStyle();
  const TRVCodePage cp = st ? st->DefCodePage : 0;
  const bool hidden = Hidden || HiddenParent;
  TRVAnsiString s;
  if (hidden) s += "{\\v";
  s += "{\\field{\\*\\fldinst {SEQ " + RTFEncodeText(SeqName, cp, false) + NumberSwitch("\\\\") +
       (Reset ? " \\\\r " + std::to_string(StartFrom) : TRVAnsiString()) + " \\\\* MERGEFORMAT }}{\\fldrslt {" +
       RTFEncodeText(FText, cp, false) + "}}}";
  if (hidden) s += "}";
  WriteRVFAnsi(Stream, s);
}

void TRVSeqItemInfo::SaveOOXMLBeforeRun(TStream* Stream, TCustomRVData*, int, TRVDocXSavingData*, bool) {
  WriteRVFAnsi(Stream, "<w:fldSimple w:instr=\" SEQ " + OOXMLEncodeText(SeqName) + NumberSwitch("\\") +
                           (Reset ? " \\r " + std::to_string(StartFrom) : TRVAnsiString()) + " \\* MERGEFORMAT \">");
}

void TRVSeqItemInfo::SaveOOXMLAfterRun(TStream* Stream, TCustomRVData*, int, TRVDocXSavingData*, bool) {
  WriteRVFAnsi(Stream, "</w:fldSimple>");
}

// ---- the list --------------------------------------------------------------------------------------

int TRVSeqList::InsertAfter(TRVSeqItemInfo* InsertMe, TRVSeqItemInfo* AfterMe) {
  int index = 0;
  if (AfterMe) index = AfterMe->GetIndexInList(this) + 1;
  Insert(index, InsertMe);
  InsertMe->FCachedIndexInList = index;
  return index;
}

void TRVSeqList::RecalcCounters(int StartFrom, TRVStyle*, bool ForAllNames) {
  if (StartFrom < 0 || StartFrom >= Count()) return;
  // The counter of the nearest earlier item of a name: the last one numbered in this pass, or,
  // before that, the nearest one before StartFrom (looked up once per name).
  std::unordered_map<TRVUnicodeString, std::optional<int>> last;
  auto previous = [&](const TRVUnicodeString& key) -> std::optional<int> {
    auto it = last.find(key);
    if (it == last.end()) {
      std::optional<int> found;
      for (int j = StartFrom - 1; j >= 0; --j)
        if (RVSeqNameKey(Items(j)->SeqName) == key) {
          found = Items(j)->Counter;
          break;
        }
      it = last.emplace(key, found).first;
    }
    return it->second;
  };
  TRVUnicodeString N = RVSeqNameKey(Items(StartFrom)->SeqName);
  for (int i = StartFrom; i < Count(); ++i) {
    TRVSeqItemInfo* item = Items(i);
    const TRVUnicodeString key = RVSeqNameKey(item->SeqName);
    if (ForAllNames)
      N = key;
    else if (key != N)
      continue;
    item->FCachedIndexInList = i;
    if (item->Reset) {
      item->Counter = item->StartFrom;
    } else {
      const std::optional<int> prev = previous(key);
      item->Counter = prev ? *prev + 1 : 1;
    }
    last[key] = item->Counter;
    item->CalcDisplayString(this);
  }
}
