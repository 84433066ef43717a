// The RTF reader component: buffered input over a stream, the group stack, the main loop and the
// tokenizer of control words, control symbols, hexadecimal bytes and binary data.
#include "formats/rtf/RVRTFReader.h"

#include <algorithm>
#include <new>

#include "engine/foundation/RVError.h"
#include "engine/foundation/RVFuncs.h"
#include "formats/rtf/RVRTFDocTables.h"
#include "formats/rtf/RVRTFListTables.h"
#include "formats/rtf/RVRTFPictures.h"
#include "formats/rtf/RVRTFTableProps.h"
#include "platform/base/SysUtils.h"

namespace rvrtfreader_detail {

constexpr int InputBufferSize = 4096;
constexpr int ProgressRefills = 500;
constexpr std::int64_t ProgressMinSize = 20480;

bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
// Bytes that continue a run of body text: all but the group and control characters, the line
// ends (skipped) and 0 (which flushes); the tab too when tabs are runs of their own.
struct TPlainTextBytes {
  bool WithTab[256];
  bool WithoutTab[256];
  constexpr TPlainTextBytes() : WithTab(), WithoutTab() {
    for (int c = 0; c < 256; ++c) {
      WithTab[c] = c != 0 && c != '\\' && c != '{' && c != '}' && c != 10 && c != 13;
      WithoutTab[c] = WithTab[c] && c != 9;
    }
  }
};
constexpr TPlainTextBytes PlainTextBytes;

int HexDigit(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace rvrtfreader_detail

using namespace rvrtfreader_detail;

const TClassInfo& TRVRTFReader::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVRTFReader>(u"TRVRTFReader", &TComponent::StaticClassInfo()).Build();
  return info;
}

TRVRTFReader::TRVRTFReader(TComponent* AOwner)
    : TComponent(AOwner),
      FFontTable(std::make_unique<TRVRTFFontList>()),
      FColorTable(std::make_unique<TRVRTFColorList>()),
      FStyleSheet(std::make_unique<TRVRTFStyleSheet>()),
      FListTable(std::make_unique<TRVRTFListTable97>()),
      FListOverrideTable(std::make_unique<TRVRTFListOverrideTable97>()),
      FRTFState(std::make_unique<TRVRTFReaderState>()),
      FDocProps(std::make_unique<TRVRTFDocProperties>()) {}

TRVRTFReader::~TRVRTFReader() { Clear(); }

void TRVRTFReader::Clear() {
  int count = 0;
  RTFControlWordTable(count);  // sorts the table on first use
  FTmpString.clear();
  FStyleSheet->Clear();
  FFontTable->Clear();
  FColorTable->Clear();
  FListTable->Clear();
  FListOverrideTable->Clear();
  SaveList.Clear();
  FFreeStates.clear();
  FRTFState->Reset();
  FRTFState->rds = rdsNorm;
  FRTFState->ris = risNorm;
  Text.clear();
  TextW.clear();
  Position = rtf_ts_NewPara;
  UseLastChar = false;
  delete FPicture;
  FPicture = nullptr;
  delete FObject;
  FObject = nullptr;
  delete FMarkerProps;
  FMarkerProps = nullptr;
  FCodePage = DefCodePage;
  SkipNext = 0;
  cGroup = 0;
  cbBin = 0;
  CurrentNestingLevel = 0;
  ForceEvenEmptyNewLine = false;
  ShpPictInserted = false;
  ObjectInserted = false;
  AfterTableRow = false;
  FWidowOrphanControl = false;
  FSpltPgPar = false;
  fSkipDestIfUnk = false;
  FHexHaveFirst = false;
  if (PixelsPerInch == 0) {
    PixelsPerInch = ScreenPixelsPerInchOverride;
    if (PixelsPerInch == 0) PixelsPerInch = GetScreenPixelsPerInch();
  }
}

bool TRVRTFReader::GetWidowOrphanControl(const TRVRTFParaProperties& ParaProps) const {
  switch (ParaProps.FWidowOrphanControl) {
    case rtf_woc_On: return true;
    case rtf_woc_Off: return false;
    default: return FWidowOrphanControl;
  }
}

TRVRTFErrorCode TRVRTFReader::ReadFromFile(const TRVUnicodeString& AFileName) {
  std::unique_ptr<TFileStream> file;
  try {
    file = std::make_unique<TFileStream>(AFileName, fmOpenRead | fmShareDenyWrite);
  } catch (const EStreamError&) {
    return rtf_ec_FileOpenError;
  }
  return ReadFromStream(file.get());
}

TRVRTFErrorCode TRVRTFReader::ReadFromStream(TStream* AStream) {
  Stream = AStream;
  StreamSize = AStream->GetSize();
  Clear();
  ResetInput();
  // The buffer and the stream are let go however the read ends.
  struct InputRelease {
    TRVRTFReader& reader;
    ~InputRelease() {
      reader.InputString.clear();
      reader.InputString.shrink_to_fit();
      reader.InputStringLength = 0;
      reader.InputStringIndex = 1;
      reader.UseLastChar = false;
      reader.Stream = nullptr;
    }
  } release{*this};
  FCallProgress = StreamSize > ProgressMinSize && OnProgress;
  TRVRTFErrorCode result = rtf_ec_OK;
  try {
    if (FCallProgress) OnProgress(this, rvprtfprStarting, 0);
    FProgress = 0;
    FProgressCounter = ProgressRefills;
    result = ParseStream();
    if (FCallProgress) OnProgress(this, rvprtfprEnding, 0);
  } catch (...) {
    RVRethrowUnlessDataError();
    result = rtf_ec_Exception;
  }
  return result;
}

// ---- input ----

void TRVRTFReader::ResetInput() {
  InputString.assign(InputBufferSize, 0);
  InputStringLength = InputBufferSize;
  InputStringIndex = InputBufferSize + 1;
  UseLastChar = false;
}

unsigned char TRVRTFReader::GetInputCharSlow() {
  if (UseLastChar) {
    UseLastChar = false;
    return LastChar;
  }
  if (InputStringIndex > InputStringLength) {
    const std::int64_t pos = Stream->GetPosition();
    if (FCallProgress && --FProgressCounter <= 0) {
      FProgressCounter = ProgressRefills;
      const int percent = StreamSize > 0 ? static_cast<int>((pos * 100 + StreamSize / 2) / StreamSize) : 0;
      if (percent != FProgress) {
        FProgress = percent;
        OnProgress(this, rvprtfprRunning, static_cast<std::uint8_t>(percent));
      }
    }
    const std::int64_t left = StreamSize - pos;
    const int want = left < InputBufferSize ? static_cast<int>(left > 0 ? left : 0) : InputBufferSize;
    InputString.resize(static_cast<std::size_t>(want));
    const std::int64_t got = want > 0 ? Stream->Read(InputString.data(), want) : 0;
    InputStringLength = static_cast<int>(got > 0 ? got : 0);
    InputStringIndex = 1;
    if (InputStringLength == 0) {
      // A stream that gives fewer bytes than its size said ends here: the input has ended.
      StreamSize = std::min(StreamSize, pos);
      LastChar = 0;
      return 0;
    }
  }
  LastChar = InputString[static_cast<std::size_t>(InputStringIndex - 1)];
  ++InputStringIndex;
  return LastChar;
}

bool TRVRTFReader::IsStreamEnd() { return Stream->GetPosition() >= StreamSize; }

std::int64_t TRVRTFReader::InputLeft() {
  std::int64_t left = (UseLastChar ? 1 : 0) + (InputStringLength - InputStringIndex + 1);
  const std::int64_t rest = StreamSize - Stream->GetPosition();
  if (rest > 0) left += rest;
  return left;
}

// ---- the main loop ----

TRVRTFErrorCode TRVRTFReader::ParseStream() {
  for (;;) {
    if (IsInputEnd()) break;
    const unsigned char ch = GetInputChar();
    if (cGroup < 0) return rtf_ec_StackUnderflow;
    TRVRTFReaderState& state = *FRTFState;
    if (state.ris == risBin) {
      const TRVRTFErrorCode ec = ProcessChar(ch);
      if (ec != rtf_ec_OK) return ec;
      if (state.ris == risBin) TakeBinaryRun();
      continue;
    }
    if (ch == 13 || ch == 10) continue;
    TRVRTFErrorCode ec = rtf_ec_OK;
    switch (ch) {
      case '\\': ec = ReadControlWord(); break;
      case '{':
        SkipNext = 0;
        ec = BeginGroup();
        break;
      case '}':
        SkipNext = 0;
        ec = EndGroup();
        if (ec == rtf_ec_OK && cGroup == 0) return ParseEnd();
        break;
      default:
        if (state.ris == risNorm) {
          if (SkipNext > 0)
            --SkipNext;
          else {
            ec = ProcessChar(ch);
            if (ec == rtf_ec_OK && state.rds == rdsNorm) TakeTextRun();
          }
        } else if (state.ris == risHex) {
          ec = ReadHexByte(ch);
        } else {
          ec = rtf_ec_Assertion;
        }
        break;
    }
    if (ec != rtf_ec_OK) return ec;
  }
  return ParseEnd();
}

void TRVRTFReader::TakeTextRun() {
  // What appending each byte would do once the run's first byte is in: the table nesting is
  // up to date, no Unicode text is pending, and hidden text is dropped or kept as a whole.
  if (UseLastChar || ParaTableLevel() != CurrentNestingLevel || !TextW.empty()) return;
  const bool* plain = TabAsSeparateChar ? PlainTextBytes.WithoutTab : PlainTextBytes.WithTab;
  const unsigned char* begin = InputString.data() + (InputStringIndex - 1);
  const unsigned char* end = InputString.data() + InputStringLength;
  const unsigned char* p = begin;
  while (p < end && plain[*p]) ++p;
  if (p == begin) return;
  if (!(SkipHiddenText && FRTFState->CharProps()->FHidden))
    Text.append(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(p - begin));
  InputStringIndex += static_cast<int>(p - begin);
  LastChar = p[-1];
}

void TRVRTFReader::TakeBinaryRun() {
  // Binary data of a picture or an object, or skipped, goes on in blocks of what the buffer holds.
  TMemoryStream* target = nullptr;
  switch (FRTFState->rds) {
    case rdsPict:
      if (FPicture) target = FPicture->FData;
      break;
    case rdsObjData:
      if (FObject) target = FObject->FData;
      break;
    case rdsSkip: break;
    default: return;
  }
  if (UseLastChar || cbBin < 1) return;
  const std::int64_t n = std::min<std::int64_t>(cbBin, InputStringLength - InputStringIndex + 1);
  if (n <= 0) return;
  const unsigned char* begin = InputString.data() + (InputStringIndex - 1);
  if (target) target->Write(begin, n);
  InputStringIndex += static_cast<int>(n);
  LastChar = begin[n - 1];
  cbBin -= n;
  if (cbBin < 1) FRTFState->ris = risNorm;
}

TRVRTFErrorCode TRVRTFReader::ReadHexByte(unsigned char ch) {
  const int digit = HexDigit(ch);
  if (digit < 0) return rtf_ec_InvalidHex;
  if (!FHexHaveFirst) {
    FHexFirstDigit = static_cast<unsigned char>(digit);
    FHexHaveFirst = true;
    return rtf_ec_OK;
  }
  FHexHaveFirst = false;
  FRTFState->ris = risNorm;
  const unsigned char b = static_cast<unsigned char>(FHexFirstDigit * 16 + digit);
  if (SkipNext > 0) {
    --SkipNext;
    return rtf_ec_OK;
  }
  return ProcessChar(b);
}

TRVRTFErrorCode TRVRTFReader::ParseEnd() {
  DoUpdateMarker();
  for (int i = CurrentNestingLevel; i > 0; --i) DoTable(rvf_tbl_TableForcedEnd);
  EndColorTable();
  if (cGroup < 0) return rtf_ec_StackUnderflow;
  if (cGroup > 0) {
    // The groups left open lose nothing: the text read in them is still reported.
    if (!Text.empty() || !TextW.empty()) {
      const TRVRTFErrorCode ec = AppendChar(0, true, true);
      if (ec != rtf_ec_OK) return ec;
    }
    return rtf_ec_UnmatchedBrace;
  }
  if (!Text.empty()) return AppendChar(0, true, true);
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ReadControlWord() {
  lParam = 0;
  if (!UseLastChar) {
    // The common case: the word, its number and the byte after them all in the buffer.
    const unsigned char* begin = InputString.data() + (InputStringIndex - 1);
    const unsigned char* end = InputString.data() + InputStringLength;
    const unsigned char* p = begin;
    while (p < end && IsLetter(*p)) ++p;
    if (p > begin && p < end) {
      const unsigned char* letters = p;
      const bool negative = *p == '-';
      if (negative) ++p;
      const unsigned char* digits = p;
      std::int64_t value = 0;
      while (p < end && IsDigit(*p) && p - digits < 12) value = value * 10 + (*p++ - '0');
      if (p < end && !IsDigit(*p)) {
        // A "-" without digits is taken with the word, as below.
        const bool fParam = p > digits;
        if (fParam) {
          if (negative) value = -value;
          // Digits beyond what an Integer holds give 0, as a value that does not convert.
          if (value > 2147483647LL || value < -2147483648LL) value = 0;
          lParam = static_cast<int>(value);
        }
        const TRVAnsiString keyword(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(letters - begin));
        // The space that ends a word belongs to it; any other byte is read again.
        if (*p == ' ') ++p;
        InputStringIndex += static_cast<int>(p - begin);
        LastChar = p[-1];
        return DispatchControlWord(keyword, lParam, fParam);
      }
    }
  }
  if (IsInputEnd()) return rtf_ec_EndOfFile;
  unsigned char ch = GetInputChar();
  if (!IsLetter(ch)) return DispatchControlWord(TRVAnsiString(1, static_cast<char>(ch)), 0, false);
  TRVAnsiString keyword;
  bool atEnd = false;
  while (IsLetter(ch)) {
    keyword.push_back(static_cast<char>(ch));
    if (IsInputEnd()) {
      atEnd = true;
      break;
    }
    ch = GetInputChar();
  }
  bool fParam = false;
  if (!atEnd) {
    bool negative = false;
    if (ch == '-') {
      negative = true;
      if (IsInputEnd())
        atEnd = true;
      else
        ch = GetInputChar();
    }
    if (!atEnd && IsDigit(ch)) {
      // Digits beyond what an Integer holds give 0, as a value that does not convert.
      std::int64_t value = 0;
      bool overflow = false;
      while (IsDigit(ch)) {
        if (!overflow) {
          value = value * 10 + (ch - '0');
          if (value > 2147483648LL) overflow = true;
        }
        if (IsInputEnd()) {
          atEnd = true;
          break;
        }
        ch = GetInputChar();
      }
      if (negative) value = -value;
      if (overflow || value > 2147483647LL || value < -2147483648LL) value = 0;
      lParam = static_cast<int>(value);
      fParam = true;
    }
  }
  if (!atEnd && ch != ' ') UngetInputChar();
  return DispatchControlWord(keyword, lParam, fParam);
}

// ---- groups ----

TRVRTFErrorCode TRVRTFReader::BeginGroup() {
  if (cGroup >= MaxGroupDepth) return rtf_ec_StackOverflow;
  std::unique_ptr<TRVRTFReaderState> saved;
  try {
    if (FFreeStates.empty()) {
      saved = std::make_unique<TRVRTFReaderState>();
    } else {
      saved = std::move(FFreeStates.back());
      FFreeStates.pop_back();
    }
    saved->Assign(*FRTFState);
    SaveList.Add(saved.get());
    saved.release();
  } catch (const std::bad_alloc&) {
    return rtf_ec_StackOverflow;
  }
  FRTFState->ris = risNorm;
  ++cGroup;
  if (FRTFState->rds == rdsStyleSheet) {
    auto* entry = new TRVRTFStyleSheetEntry;
    entry->FNumber = 0;
    entry->FStyleType = rtf_sst_Par;
    FStyleSheet->Add(entry);
    FRTFState->rds = rdsStyleSheetEntry;
    FTmpString.clear();
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::EndGroup() {
  if (SaveList.Count() == 0) return rtf_ec_StackUnderflow;
  TRVRTFReaderState& source = *static_cast<TRVRTFReaderState*>(SaveList.Get(SaveList.Count() - 1));
  TRVRTFReaderState& state = *FRTFState;
  const bool outermost = SaveList.Count() == 1;
  if (outermost) {
    DoUpdateMarker();
    if (OnEndParsing) OnEndParsing(this);
  }
  if (state.rds == rdsStyleSheetEntry && source.rds == rdsStyleSheet && FStyleSheet->Count() > 0)
    FStyleSheet->Get(FStyleSheet->Count() - 1)->Assign(state);
  if (state.rds == rdsFldInst) {
    if (IsHyperlinkField(Trim(state.FFieldCode)) || IsMergeField(Trim(state.FFieldCode)))
      source.FFieldCode = state.FFieldCode;
    source.FFieldInserted = state.FFieldInserted;
  }
  const bool noteEnds = state.FInNote && !source.FInNote;
  if (state.rds == rdsNorm) {
    TRVRTFErrorCode ec = rtf_ec_OK;
    if (noteEnds) {
      ec = AppendChar(13, false, false);
      Position = rtf_ts_ContinuePara;
    } else if (ProcessFinalPar && outermost) {
      ec = AppendChar(13, false, false);
    } else {
      ec = AppendChar(0, false, false);
    }
    if (ec != rtf_ec_OK) return ec;
  }
  if (source.rds != state.rds ||
      (state.rds == rdsFldInst && !IsHyperlinkField(Trim(state.FFieldCode)) && !IsMergeField(Trim(state.FFieldCode)) &&
       !state.FFieldCode.empty() && state.FFieldCode != source.FFieldCode)) {
    const TRVRTFErrorCode ec = LeaveDestination(state.rds, source);
    if (ec != rtf_ec_OK) return ec;
  }
  if (state.FHFType != source.FHFType && state.FHFType >= rtf_hf_Header && state.FHFType <= rtf_hf_FooterF &&
      OnHeaderFooter) {
    CloseAllTables();
    bool supported = true;
    OnHeaderFooter(this, state.FHFType, false, supported);
  }
  if (state.rds == rdsFldInst && state.FFieldInserted) source.FFieldInserted = true;
  const TRTFrds ended = state.rds;
  state.Assign(source);
  if (noteEnds) {
    CloseNoteTables();
    if (OnNote) OnNote(this, rtf_ne_End, Position);
  }
  if (ended == rdsPN && state.rds != rdsPN && FMarkerProps) EndPNGroup();
  // The saved state is kept for the next group; its sub-objects go with the next copy into it.
  FFreeStates.emplace_back(&source);
  SaveList.DeleteAsPointer(SaveList.Count() - 1);
  --cGroup;
  return rtf_ec_OK;
}
