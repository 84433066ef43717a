#include "engine/document/RVNoteItems.h"

#include "engine/document/RVLayoutInfo.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVUni.h"
#include "platform/base/Classes.h"
#include "platform/base/SysUtils.h"

// ---- sub-documents --------------------------------------------------------------------------------

TRVSubData::TRVSubData(TCustomRVItemInfo* AOwner, TCustomRVData* AMainRVData) : MainRVData(AMainRVData), FOwner(AOwner) {}

TRVSubData::~TRVSubData() {
  // Items leave this document's own lists while they still exist.
  try {
    Clear();
  } catch (...) {
  }
}

TCustomRVData* TRVSubData::GetParentData() const { return MainRVData ? MainRVData->GetAbsoluteRootData() : nullptr; }
TCustomRVData* TRVSubData::GetRootData() { return MainRVData ? MainRVData->GetAbsoluteRootData() : this; }
TCustomRVData* TRVSubData::GetAbsoluteParentData() const {
  return MainRVData ? MainRVData->GetAbsoluteRootData() : nullptr;
}
TCustomRVData* TRVSubData::GetAbsoluteRootData() { return MainRVData ? MainRVData->GetAbsoluteRootData() : this; }

TRVSeqList* TRVSubData::GetSeqList(bool AllowCreate) {
  if (!FSeqList && AllowCreate) FSeqList = std::make_unique<TRVSeqList>();
  return FSeqList.get();
}

TRVMarkerList* TRVSubData::GetMarkers(bool AllowCreate) {
  if (!FMarkers && AllowCreate) FMarkers = std::make_unique<TRVMarkerList>();
  return FMarkers.get();
}

void TRVSubData::DestroySeqList() { FSeqList.reset(); }
void TRVSubData::DestroyMarkers() { FMarkers.reset(); }

TColor TRVSubData::GetColor() { return FOwner ? FOwner->GetSubDocColor() : clNone; }

void TRVSubData::MovingToUndoList(TObject* AContainerUndoItem) {
  for (int i = 0; i < ItemCount(); ++i) GetItem(i)->MovingToUndoList(i, this, AContainerUndoItem);
}

void TRVSubData::MovingFromUndoList() {
  for (int i = 0; i < ItemCount(); ++i) GetItem(i)->MovingFromUndoList(i, this);
}

bool TRVSubData::LoadRVFFromStream(TStream* Stream, TColor& Color, TObject* Background, TRVLayoutInfo* Layout) {
  try {
    Clear();
  } catch (...) {
    RVRethrowUnlessDataError();
    return false;
  }
  return InsertRVFFromStream(Stream, 0, Color, Background, Layout, false);
}

bool TRVSubData::LoadRVFFromStream(TStream* Stream) {
  TColor color = clNone;
  return LoadRVFFromStream(Stream, color, nullptr, nullptr);
}

bool TRVSubData::SaveRVFToStream(TStream* Stream, bool Root) {
  return SaveRVFToStreamEx(Stream, rvfss_Full, clNone, nullptr, nullptr, Root, nullptr);
}

TRVUnicodeString TRVNoteData::NoteText() const {
  auto* note = dynamic_cast<TCustomRVNoteItemInfo*>(GetOwner());
  return note ? note->GetNoteText() : TRVUnicodeString();
}

// ---- notes ----------------------------------------------------------------------------------------

namespace {

TCustomRVData* MainOf(TCustomRVData* ARVData) { return ARVData ? ARVData->GetAbsoluteRootData() : nullptr; }

}  // namespace

TCustomRVNoteItemInfo::TCustomRVNoteItemInfo(TCustomRVData* ARVData) : TRVSeqItemInfo(ARVData) {
  FDocument = std::make_unique<TRVNoteData>(this, MainOf(ARVData));
}

TCustomRVNoteItemInfo::TCustomRVNoteItemInfo(TCustomRVData* ARVData, int ATextStyleNo, int AStartFrom, bool AReset)
    : TRVSeqItemInfo(ARVData, u"@note@", rvseqDecimal, ATextStyleNo, AStartFrom, AReset) {
  FDocument = std::make_unique<TRVNoteData>(this, MainOf(ARVData));
}

TCustomRVNoteItemInfo::~TCustomRVNoteItemInfo() = default;

void TCustomRVNoteItemInfo::SetParentRVData(TCustomRVData* Value) {
  TRVSeqItemInfo::SetParentRVData(Value);
  if (Value) FDocument->MainRVData = Value->GetAbsoluteRootData();
}

TColor TCustomRVNoteItemInfo::GetSubDocColor() {
  TCustomRVData* main = FDocument->MainRVData;
  return main ? main->GetColor() : clNone;
}

void TCustomRVNoteItemInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TCustomRVNoteItemInfo*>(Source); src && src != this) {
    TMemoryStream ms;
    src->FDocument->SaveRVFToStream(&ms, false);
    ms.SetPosition(0);
    FDocument->LoadRVFFromStream(&ms);
  }
  TRVSeqItemInfo::Assign(Source);
}

void TCustomRVNoteItemInfo::MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) {
  TRVSeqItemInfo::MovingToUndoList(ItemNo, ARVData, AContainerUndoItem);
  FDocument->MovingToUndoList(AContainerUndoItem);
}

void TCustomRVNoteItemInfo::MovingFromUndoList(int ItemNo, TCustomRVData* ARVData) {
  TRVSeqItemInfo::MovingFromUndoList(ItemNo, ARVData);
  FDocument->MovingFromUndoList();
}

void TCustomRVNoteItemInfo::MarkStylesInUse(TRVDeleteUnusedStylesData* Data) {
  TRVSeqItemInfo::MarkStylesInUse(Data);
  for (int i = 0; i < FDocument->ItemCount(); ++i) FDocument->GetItem(i)->MarkStylesInUse(Data);
}

void TCustomRVNoteItemInfo::UpdateStyles(TRVDeleteUnusedStylesData* Data) {
  TRVSeqItemInfo::UpdateStyles(Data);
  for (int i = 0; i < FDocument->ItemCount(); ++i) FDocument->GetItem(i)->UpdateStyles(Data);
}

void TCustomRVNoteItemInfo::ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* ARVStyle, bool Recursive) {
  TRVSeqItemInfo::ConvertToDifferentUnits(NewUnits, ARVStyle, Recursive);
  if (Recursive)
    for (int i = 0; i < FDocument->ItemCount(); ++i)
      FDocument->GetItem(i)->ConvertToDifferentUnits(NewUnits, ARVStyle, Recursive);
}

bool TCustomRVNoteItemInfo::SetExtraCustomProperty(const TRVRawByteString& PropName, const TRVUnicodeString& Value) {
  if (PropName == "format") {
    FormatString = Value;
    return true;
  }
  return TRVSeqItemInfo::SetExtraCustomProperty(PropName, Value);
}

int TCustomRVNoteItemInfo::GetRVFExtraPropertyCount() {
  return TRVSeqItemInfo::GetRVFExtraPropertyCount() + (FormatString.empty() ? 0 : 1);
}

void TCustomRVNoteItemInfo::SaveRVFExtraProperties(TStream* Stream) {
  TRVSeqItemInfo::SaveRVFExtraProperties(Stream);
  if (!FormatString.empty()) WriteRVFExtraCustomStrProperty(Stream, "format", FormatString);
}

bool TCustomRVNoteItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const {
  switch (Prop) {
    case rvbpFloating: return false;
    case rvbpKeepWithPrior:
    case rvbpIsNote:
    case rvbpHasSubRVData: return true;
    default: return TRVSeqItemInfo::GetBoolValue(Prop);
  }
}

void TCustomRVNoteItemInfo::SaveRVF(TStream* Stream, TCustomRVData* ARVData, int, int AParaNo,
                                    const TRVUnicodeString& Name, TRVMultiDrawItemPart*, bool ForceSameAsPrev,
                                    const TRVScreenAndDevice*) {
  TRVDataRootProperties* rp = ARVData ? ARVData->GetRootProperties() : nullptr;
  const bool binary = rp && rp->RVFOptions.Contains(rvfoSaveBinary);
  const bool pchars = ARVData && ARVData->GetOptions().Contains(rvoTagsArePChars);
  // The note text first, so that a failure writes nothing of the record.
  TMemoryStream text;
  if (!FDocument->SaveRVFToStream(&text, false)) throw EWriteError("Stream write error");
  const int extra = GetRVFExtraPropertyCount() + GetBoxPropertyCount();
  WriteRVFLine(Stream, std::to_string(StyleNo) + " " + std::to_string(extra + 8) + " " +
                           RVFItemParaRef(ARVData, AParaNo, ForceSameAsPrev) + " " +
                           std::to_string(ItemOptionsForRVF(ItemOptions, ForceSameAsPrev)) + " " +
                           (binary ? "2" : "0") + " " + EncodeRVFStringField(pchars, Tag) + " " +
                           std::to_string(static_cast<int>(VAlign)));
  WriteLabelPropertyLines(Stream, ARVData);
  WriteRVFLine(Stream, Reset ? "1" : "0");
  WriteRVFLine(Stream, std::to_string(StartFrom));
  WriteRVFLine(Stream, EncodeRVFString(Name));
  SaveRVFExtraProperties(Stream);
  SaveBoxProperties(Stream);
  if (binary)
    WriteStreamWithSize(&text, Stream);
  else
    WriteRVFLine(Stream, StreamToHex(&text));
}

bool TCustomRVNoteItemInfo::ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo,
                                        int LineCount, TRVUnicodeString& Name, TRVFReadMode& ReadMode,
                                        TRVFReadState& ReadState, bool UTF8Strings, bool& AssStyleNameUsed) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  const TRVCodePage cp = st ? st->DefCodePage : 0;
  if (ReadType == 2 && LineNo == LineCount - 2) ReadMode = rmBeforeBinary;
  if (LineNo == LineCount - 1 && LineNo >= 7) {
    TMemoryStream ms;
    if (ReadType == 2) {
      if (!s.empty()) ms.WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
      ms.SetPosition(0);
    } else if (!HexToStream(s, &ms)) {
      return false;
    }
    FDocument->MainRVData = ARVData ? ARVData->GetAbsoluteRootData() : nullptr;
    FDocument->State.Include(rvstLoadingAsSubDoc);
    const bool ok = FDocument->LoadRVFFromStream(&ms);
    FDocument->State.Exclude(rvstLoadingAsSubDoc);
    return ok;
  }
  switch (LineNo) {
    case 0:
    case 1:
    case 2:
    case 3: return ReadLabelPropertyLine(LineNo, s, ARVData, UTF8Strings, AssStyleNameUsed);
    case 4: Reset = s != "0"; return true;
    case 5: {
      int v = 0;
      if (TryStrToInt(AsciiToUnicode(s), v)) StartFrom = v;
      return true;
    }
    case 6:
      Name = DecodeRVFString(s, UTF8Strings, cp);
      SetParentRVData(ARVData);
      return true;
    default:
      return TCustomRVItemInfo::ReadRVFLine(s, ARVData, ReadType, LineNo, LineCount, Name, ReadMode, ReadState,
                                            UTF8Strings, AssStyleNameUsed);
  }
}

TRVFootnoteItemInfo::TRVFootnoteItemInfo(TCustomRVData* ARVData) : TCustomRVNoteItemInfo(ARVData) {
  StyleNo = ItemKindFootnote;
  SeqName = u"@footnote@";
}

TRVFootnoteItemInfo::TRVFootnoteItemInfo(TCustomRVData* ARVData, int ATextStyleNo, int AStartFrom, bool AReset)
    : TCustomRVNoteItemInfo(ARVData, ATextStyleNo, AStartFrom, AReset) {
  StyleNo = ItemKindFootnote;
  SeqName = u"@footnote@";
}

int TRVFootnoteItemInfo::GetNumberType() const {
  TRVStyle* st = GetRVStyle();
  return st ? st->FootnoteNumbering : rvseqDecimal;
}

TRVEndnoteItemInfo::TRVEndnoteItemInfo(TCustomRVData* ARVData) : TCustomRVNoteItemInfo(ARVData) {
  StyleNo = ItemKindEndnote;
  SeqName = u"@endnote@";
}

TRVEndnoteItemInfo::TRVEndnoteItemInfo(TCustomRVData* ARVData, int ATextStyleNo, int AStartFrom, bool AReset)
    : TCustomRVNoteItemInfo(ARVData, ATextStyleNo, AStartFrom, AReset) {
  StyleNo = ItemKindEndnote;
  SeqName = u"@endnote@";
}

int TRVEndnoteItemInfo::GetNumberType() const {
  TRVStyle* st = GetRVStyle();
  return st ? st->EndnoteNumbering : rvseqLowerRoman;
}

// ---- note references -------------------------------------------------------------------------------

namespace {

TRVUnicodeString NoteTextOf(TCustomRVData* ARVData) {
  if (auto* nd = dynamic_cast<TRVNoteData*>(ARVData)) return nd->NoteText();
  return {};
}

}  // namespace

TRVNoteReferenceItemInfo::TRVNoteReferenceItemInfo(TCustomRVData* ARVData, int ATextStyleNo)
    : TRVLabelItemInfo(ARVData, ATextStyleNo, NoteTextOf(ARVData)) {
  StyleNo = ItemKindNoteReference;
  FParentRVData = ARVData;
}

TCustomRVNoteItemInfo* TRVNoteReferenceItemInfo::FindOwnerNote() const {
  auto* sub = dynamic_cast<TRVSubData*>(FParentRVData);
  return sub ? dynamic_cast<TCustomRVNoteItemInfo*>(sub->GetOwner()) : nullptr;
}

void TRVNoteReferenceItemInfo::SaveRVF(TStream* Stream, TCustomRVData* ARVData, int, int AParaNo,
                                       const TRVUnicodeString& Name, TRVMultiDrawItemPart*, bool ForceSameAsPrev,
                                       const TRVScreenAndDevice*) {
  const bool pchars = ARVData && ARVData->GetOptions().Contains(rvoTagsArePChars);
  WriteRVFLine(Stream, std::to_string(StyleNo) + " " + std::to_string(GetRVFExtraPropertyCount() + 5) + " " +
                           RVFItemParaRef(ARVData, AParaNo, ForceSameAsPrev) + " " +
                           std::to_string(ItemOptionsForRVF(ItemOptions, ForceSameAsPrev)) + " 0 " +
                           EncodeRVFStringField(pchars, Tag) + " " + std::to_string(static_cast<int>(VAlign)));
  // The text is the owning note's number and is not stored.
  WriteLabelPropertyLines(Stream, ARVData);
  WriteRVFLine(Stream, EncodeRVFString(Name));
  SaveRVFExtraProperties(Stream);
}

bool TRVNoteReferenceItemInfo::ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType,
                                           int LineNo, int LineCount, TRVUnicodeString& Name,
                                           TRVFReadMode& ReadMode, TRVFReadState& ReadState, bool UTF8Strings,
                                           bool& AssStyleNameUsed) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  switch (LineNo) {
    case 0:
    case 1:
    case 2:
    case 3: return ReadLabelPropertyLine(LineNo, s, ARVData, UTF8Strings, AssStyleNameUsed);
    case 4:
      Name = DecodeRVFString(s, UTF8Strings, st ? st->DefCodePage : 0);
      FParentRVData = ARVData;
      SetText(NoteTextOf(ARVData));
      return true;
    default:
      return TCustomRVItemInfo::ReadRVFLine(s, ARVData, ReadType, LineNo, LineCount, Name, ReadMode, ReadState,
                                            UTF8Strings, AssStyleNameUsed);
  }
}

TRVUnicodeString TRVNoteReferenceItemInfo::AsText(TCustomRVData*, int, const TRVUnicodeString&, TObject*) {
  TCustomRVNoteItemInfo* note = FindOwnerNote();
  return note ? note->GetNoteText() : TRVUnicodeString();
}

// ---- sidenotes and text boxes ---------------------------------------------------------------------

TRVSidenoteItemInfo::TRVSidenoteItemInfo(TCustomRVData* ARVData) : TCustomRVNoteItemInfo(ARVData) {
  StyleNo = ItemKindSidenote;
  SeqName = u"@Sidenote@";
}

TRVSidenoteItemInfo::TRVSidenoteItemInfo(TCustomRVData* ARVData, int ATextStyleNo, int AStartFrom, bool AReset)
    : TCustomRVNoteItemInfo(ARVData, ATextStyleNo, AStartFrom, AReset) {
  StyleNo = ItemKindSidenote;
  SeqName = u"@Sidenote@";
}

int TRVSidenoteItemInfo::GetNumberType() const {
  TRVStyle* st = GetRVStyle();
  return st ? st->SidenoteNumbering : rvseqLowerAlpha;
}

void TRVSidenoteItemInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TRVSidenoteItemInfo*>(Source)) {
    BoxProperties.Assign(&src->BoxProperties);
    BoxPosition.Assign(&src->BoxPosition);
  }
  TCustomRVNoteItemInfo::Assign(Source);
}

void TRVSidenoteItemInfo::ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* ARVStyle, bool Recursive) {
  TCustomRVNoteItemInfo::ConvertToDifferentUnits(NewUnits, ARVStyle, Recursive);
  BoxProperties.ConvertToDifferentUnits(NewUnits, ARVStyle);
  BoxPosition.ConvertToDifferentUnits(NewUnits, ARVStyle);
}

TColor TRVSidenoteItemInfo::GetSubDocColor() {
  if (BoxProperties.Background.Color != clNone) return BoxProperties.Background.Color;
  return TCustomRVNoteItemInfo::GetSubDocColor();
}

bool TRVSidenoteItemInfo::SetExtraIntPropertyEx(int Prop, int Value) {
  return BoxProperties.SetExtraIntPropertyEx(Prop, Value) || BoxPosition.SetExtraIntPropertyEx(Prop, Value) ||
         TCustomRVNoteItemInfo::SetExtraIntPropertyEx(Prop, Value);
}

bool TRVSidenoteItemInfo::GetExtraIntPropertyEx(int Prop, int& Value) {
  return BoxProperties.GetExtraIntPropertyEx(Prop, Value) || BoxPosition.GetExtraIntPropertyEx(Prop, Value) ||
         TCustomRVNoteItemInfo::GetExtraIntPropertyEx(Prop, Value);
}

TRVReformatType TRVSidenoteItemInfo::GetExtraIntPropertyReformat(int Prop) {
  if (Prop >= 500 && Prop <= 509) return BoxPosition.GetExtraIntPropertyReformat(Prop);
  if (Prop >= 600 && Prop <= 622) return BoxProperties.GetExtraIntPropertyReformat(Prop);
  return TCustomRVNoteItemInfo::GetExtraIntPropertyReformat(Prop);
}

bool TRVSidenoteItemInfo::SetExtraCustomProperty(const TRVRawByteString& PropName, const TRVUnicodeString& Value) {
  return BoxProperties.SetExtraCustomProperty(PropName, Value) || BoxPosition.SetExtraCustomProperty(PropName, Value) ||
         TCustomRVNoteItemInfo::SetExtraCustomProperty(PropName, Value);
}

int TRVSidenoteItemInfo::GetBoxPropertyCount() {
  return BoxProperties.GetChangedPropertyCount() + BoxPosition.GetChangedPropertyCount();
}

void TRVSidenoteItemInfo::SaveBoxProperties(TStream* Stream) {
  BoxProperties.SaveRVFExtraProperties(Stream);
  BoxPosition.SaveRVFExtraProperties(Stream);
}

TRVTextBoxItemInfo::TRVTextBoxItemInfo(TCustomRVData* ARVData) : TRVSidenoteItemInfo(ARVData) {
  StyleNo = ItemKindTextBox;
  SeqName = u"@TextBox@";
}

TRVTextBoxItemInfo::TRVTextBoxItemInfo(TCustomRVData* ARVData, int, int AStartFrom, bool AReset)
    : TRVSidenoteItemInfo(ARVData, 0, AStartFrom, AReset) {
  StyleNo = ItemKindTextBox;
  SeqName = u"@TextBox@";
}

bool TRVTextBoxItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const {
  if (Prop == rvbpDocXOnlyBeforeAfter || Prop == rvbpPlaceholder) return true;
  return TRVSidenoteItemInfo::GetBoolValue(Prop);
}

// ---- finding notes ----------------------------------------------------------------------------------

TCustomRVNoteItemInfo* FindNoteIf(TCustomRVData* RVData, TCustomRVNoteItemInfo* AfterNote, bool AllowHidden,
                                  const std::function<bool(TCustomRVNoteItemInfo*)>& IsOfClass) {
  TRVSeqList* list = RVData ? RVData->GetSeqList(false) : nullptr;
  if (!list) return nullptr;
  int i = 0;
  if (AfterNote) {
    i = list->IndexOf(AfterNote);
    if (i < 0) return nullptr;
    ++i;
  }
  for (; i < list->Count(); ++i) {
    auto* note = dynamic_cast<TCustomRVNoteItemInfo*>(list->Items(i));
    if (!note || !IsOfClass(note)) continue;
    if (note->Hidden && !AllowHidden) continue;
    return note;
  }
  return nullptr;
}
