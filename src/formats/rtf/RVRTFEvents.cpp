// Text runs and document events of the RTF reader: collecting text with its position, paragraph
// and line marks, page breaks, notes, headers and footers, hidden text, marker updates.
//
// Text is collected in one of two buffers, 8-bit (Text, in the document code page) or UTF-16
// (TextW), never both: adding to one flushes the other first. A run is reported with the position
// that was pending when it began, so the builder learns from each run whether it continues the
// paragraph, starts a new line or starts a new paragraph.
#include "engine/foundation/RVError.h"
#include "formats/rtf/RVRTFDocTables.h"
#include "formats/rtf/RVRTFListTables.h"
#include "formats/rtf/RVRTFReader.h"
#include "formats/rtf/RVRTFReaderState.h"

TRVRTFErrorCode TRVRTFReader::AppendChar(unsigned char ch, bool FullNestingUpdate, bool UpdateNesting) {
  if (UpdateNesting && ParaTableLevel() != CurrentNestingLevel) UpdateTableNesting(FullNestingUpdate);
  if (SkipHiddenText && FRTFState->CharProps()->FHidden) return rtf_ec_OK;
  if (TabAsSeparateChar && ch == 9) {
    TRVRTFErrorCode ec = AppendChar(0, false, false);
    if (ec != rtf_ec_OK) return ec;
    Text.assign(1, '\t');
    return AppendChar(0, false, false);
  }
  if (ch == 0 || ch == 10 || ch == 13) {
    TRVRTFPosition mark = ch == 10 ? rtf_ts_NewPara : ch == 13 ? rtf_ts_NewLine : rtf_ts_ContinuePara;
    if (!TextW.empty()) {
      const TRVRTFErrorCode ec = AppendUnicodeChar(0);
      if (ec != rtf_ec_OK) return ec;
    }
    const TRVRTFErrorCode ec = FlushText(Position, mark);
    if (ec != rtf_ec_OK) return ec;
    // A flush that reported nothing keeps the pending position (FlushText gives it back in mark).
    Position = mark;
    return rtf_ec_OK;
  }
  if (!TextW.empty()) {
    const TRVRTFErrorCode ec = AppendChar(0, false, false);
    if (ec != rtf_ec_OK) return ec;
  }
  Text.push_back(static_cast<char>(ch));
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::AppendUnicodeChar(TRVUnicodeChar ch) {
  if (ParaTableLevel() != CurrentNestingLevel) UpdateTableNesting(true);
  if ((SkipHiddenText && FRTFState->CharProps()->FHidden) || !OnNewUnicodeText) return rtf_ec_OK;
  if (!Text.empty()) {
    const TRVRTFErrorCode ec = AppendChar(0, false, false);
    if (ec != rtf_ec_OK) return ec;
  }
  // The code unit 0 appends nothing: it only brings the table nesting up to date.
  if (ch != 0) TextW.push_back(ch);
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::FlushText(TRVRTFPosition Pos, TRVRTFPosition& Mark) {
  if (!ForceEvenEmptyNewLine && Text.empty() && TextW.empty()) {
    if (Pos == rtf_ts_ContinuePara) return rtf_ec_OK;
    if (Mark == rtf_ts_ContinuePara) {
      // Nothing to report: the pending new line or paragraph survives the flush.
      Mark = Pos;
      return rtf_ec_OK;
    }
  }
  FRTFState->ParaProps()->Finalize();
  try {
    if (OnNewUnicodeText && !TextW.empty()) {
      OnNewUnicodeText(this, TextW, Pos);
    } else if (OnNewText) {
      const int font = FRTFState->CharProps()->FFontIndex;
      if (!Text.empty() && font >= 0 && font < FFontTable->Count()) {
        const TFontCharset charset = FFontTable->Get(font)->Charset;
        if (charset == 254)
          ConvertOEMText(Text);
        else if (charset == 77)
          ConvertMacText(Text);
      }
      if (!Text.empty() || Pos != rtf_ts_ContinuePara) OnNewText(this, Text, Pos);
    }
  } catch (...) {
    Text.clear();
    TextW.clear();
    AfterTableRow = false;
    RVRethrowUnlessDataError();
    return rtf_ec_Aborted;
  }
  Text.clear();
  TextW.clear();
  AfterTableRow = false;
  return rtf_ec_OK;
}

void TRVRTFReader::DoUpdateMarker() {
  if (!OnUpdateMarker) return;
  TRVRTFParaProperties& para = *FRTFState->ParaProps();
  if (para.HasMarker()) para.MarkerProps()->UpdateFrom(*FRTFState->CharProps());
  OnUpdateMarker(this);
}

TRVRTFErrorCode TRVRTFReader::ApplyHidden(int Value) {
  TRVRTFCharProperties& chr = *FRTFState->CharProps();
  const bool hidden = Value != 0;
  if (hidden != chr.FHidden && FRTFState->rds != rdsStyleSheetEntry) {
    ForceEvenEmptyNewLine = hidden;
    // Set at once when nothing is pending, so that the flush below is dropped with hidden text.
    if (hidden && Text.empty() && TextW.empty()) chr.FHidden = true;
    TRVRTFErrorCode ec = rtf_ec_OK;
    if (!AfterTableRow) ec = AppendChar(0, false, false);
    ForceEvenEmptyNewLine = false;
    if (ec != rtf_ec_OK) return ec;
  }
  chr.FHidden = hidden;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::DoPageBreak() {
  if (OnRequiredPageBreak) {
    const TRVRTFErrorCode ec = AppendChar(0, true, true);
    if (ec != rtf_ec_OK) return ec;
    OnRequiredPageBreak(this);
  }
  FRTFState->ParaProps()->FPageBreakPara = FSpltPgPar;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::StartNote() {
  TRVRTFReaderState& st = *FRTFState;
  if (!OnNote || st.FInNote || st.FHFType != rtf_hf_MainText) {
    st.rds = rdsSkip;
    return rtf_ec_OK;
  }
  const TRVRTFErrorCode ec = AppendChar(0, false, true);
  if (ec != rtf_ec_OK) return ec;
  OnNote(this, rtf_ne_Start, Position);
  Position = rtf_ts_NewPara;
  st.rds = rdsNorm;
  st.FFieldCode.clear();
  st.ParaProps()->FInTable = false;
  st.ParaProps()->FNestingLevel = 0;
  st.FInNote = true;
  // The anchor's open tables stay open, without end events, until the note ends.
  CurrentNestingLevel = 0;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::NoteIsEndnote() {
  if (OnNote && FRTFState->FInNote) OnNote(this, rtf_ne_EndNote, Position);
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::NoteCharacter() {
  if (!OnNote) return rtf_ec_OK;
  const TRVRTFErrorCode ec = AppendChar(0, false, true);
  if (ec != rtf_ec_OK) return ec;
  FRTFState->ParaProps()->Finalize();
  OnNote(this, rtf_ne_Character, Position);
  Position = rtf_ts_ContinuePara;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::StartHeaderFooter(int Dest) {
  static constexpr TRVRTFHeaderFooterType Kinds[] = {rtf_hf_Header, rtf_hf_Footer, rtf_hf_HeaderL, rtf_hf_FooterL,
                                                     rtf_hf_Header, rtf_hf_Footer, rtf_hf_HeaderF, rtf_hf_FooterF};
  TRVRTFReaderState& st = *FRTFState;
  if (Dest < 21 || Dest > 28) return rtf_ec_BadTable;
  const TRVRTFHeaderFooterType kind = Kinds[Dest - 21];
  if (FHFRead[kind] || !OnHeaderFooter) {
    if (!FHFRead[kind]) {
      st.FHFType = kind;
      FHFRead[kind] = true;
    }
    st.rds = rdsSkip;
    return rtf_ec_OK;
  }
  // Body text still pending belongs to the body, not to the header that starts here.
  const TRVRTFErrorCode ec = AppendChar(0, false, false);
  if (ec != rtf_ec_OK) return ec;
  st.FHFType = kind;
  FHFRead[kind] = true;
  bool supported = true;
  OnHeaderFooter(this, kind, true, supported);
  if (!supported) st.rds = rdsSkip;
  return rtf_ec_OK;
}
