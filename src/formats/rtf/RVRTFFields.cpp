// Fields in the RTF reader: "\field", "\fldinst", "\fldrslt" and the field kinds read from the
// instruction.
#include <cmath>
#include <memory>

#include "engine/foundation/RVError.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/foundation/RVStrFuncs.h"
#include "engine/foundation/RVUni.h"
#include "formats/rtf/RVRTFReader.h"
#include "platform/base/NLS.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Pictures.h"

namespace rvrtffields_detail {

bool StartsWith(const TRVUnicodeString& s, const char16_t* prefix) {
  const std::u16string_view p(prefix);
  return s.size() >= p.size() && std::u16string_view(s).substr(0, p.size()) == p;
}

bool Contains(const TRVUnicodeString& s, const char16_t* part) { return s.find(part) != TRVUnicodeString::npos; }

// The first name of the list that follows "\*" and a blank, else the first that follows "\*".
template <typename T, std::size_t N>
bool FindFormatSwitch(const TRVUnicodeString& code, const std::pair<const char16_t*, T> (&names)[N], T& found) {
  for (const char16_t* sep : {u"\\* ", u"\\*"}) {
    for (const auto& [name, value] : names) {
      if (Contains(code, (TRVUnicodeString(sep) + name).c_str())) {
        found = value;
        return true;
      }
    }
  }
  return false;
}

constexpr std::pair<const char16_t*, TRVRTFSeqType> SeqNames[] = {{u"alphabetic", rtf_seqLowerAlpha},
                                                                  {u"ALPHABETIC", rtf_seqUpperAlpha},
                                                                  {u"roman", rtf_seqLowerRoman},
                                                                  {u"ROMAN", rtf_seqUpperRoman}};

constexpr std::pair<const char16_t*, TRVRTFPageNumberType> PageNames[] = {
    {u"ROMAN", rtf_pntUpperRoman},      {u"roman", rtf_pntLowerRoman},       {u"ALPHABETIC", rtf_pntUpperAlpha},
    {u"alphabetic", rtf_pntLowerAlpha}, {u"ArabicDash", rtf_pntDecimalDash}, {u"Arabic", rtf_pntDecimal}};

// Every run of backslashes becomes one.
TRVUnicodeString SingleBackslashes(const TRVUnicodeString& s) {
  TRVUnicodeString r;
  for (char16_t c : s)
    if (c != u'\\' || r.empty() || r.back() != u'\\') r.push_back(c);
  return r;
}

}  // namespace rvrtffields_detail

using namespace rvrtffields_detail;

bool TRVRTFReader::IsHyperlinkField(const TRVUnicodeString& FieldCode) const {
  return StartsWith(FieldCode, u"HYPERLINK") || StartsWith(FieldCode, u"REF") || StartsWith(FieldCode, u"PAGEREF");
}

bool TRVRTFReader::IsMergeField(const TRVUnicodeString& FieldCode) const {
  return StartsWith(FieldCode, u"MERGEFIELD");
}

TRVUnicodeString TRVRTFReader::GetFieldCommandValueEx(const TRVUnicodeString& s, int& StartIndex, int& Len,
                                                      bool IgnorePrefixes) const {
  StartIndex = 0;
  Len = 0;
  const int n = static_cast<int>(s.size());
  // 1-based access, as positions are reported.
  auto at = [&s](int i) { return s[static_cast<std::size_t>(i - 1)]; };
  for (int i = 2; i <= n; ++i) {
    const char16_t c = at(i);
    if (c != u' ' && c != u'\\' && at(i - 1) == u' ') {
      const bool quoted = c == u'"';
      int end = n;
      for (int j = i + 1; j <= n; ++j) {
        if (at(j) != u' ') continue;
        if (quoted && !(j - 1 > i && at(j - 1) == u'"' && (j - 2 < 1 || at(j - 2) != u'\\'))) continue;
        end = j - 1;
        break;
      }
      TRVUnicodeString result = s.substr(static_cast<std::size_t>(i - 1), static_cast<std::size_t>(end - i + 1));
      StartIndex = i;
      Len = static_cast<int>(result.size());
      if (result.size() > 1 && result[0] == u'"') result = result.substr(1, result.size() - 2);
      return result;
    }
    if (!IgnorePrefixes && c == u'\\' && i < n && at(i + 1) != u'\\' && at(i + 1) != u'"') return {};
  }
  return {};
}

TRVUnicodeString TRVRTFReader::GetFieldCommandValue(const TRVUnicodeString& s) const {
  int start = 0, len = 0;
  return GetFieldCommandValueEx(s, start, len, true);
}

TRVRTFErrorCode TRVRTFReader::EnterFieldDestination(int Dest) {
  TRVRTFReaderState& state = *FRTFState;
  switch (Dest) {
    case 17: {  // "\field"
      const TRVRTFErrorCode ec = AppendChar(0, true, true);
      if (ec != rtf_ec_OK) return ec;
      state.rds = rdsField;
      break;
    }
    case 18:  // "\fldinst"
      if (state.rds == rdsField) {
        state.FFieldCode.clear();
        state.FFieldInserted = false;
        state.FFieldPictureIncluded = false;
        delete state.FInvalidFieldPicture;
        state.FInvalidFieldPicture = nullptr;
        state.rds = rdsFldInst;
        FFieldLeadByte = 0;
      }
      break;
    case 19:  // "\fldrslt"
      if (state.FFieldInserted) {
        state.FFieldInserted = false;
        state.rds = rdsSkip;
      } else {
        state.rds = rdsNorm;
      }
      break;
    default: break;
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::LeaveFieldDestination(TRTFrds Rds) {
  TRVRTFReaderState& state = *FRTFState;
  if (Rds == rdsFldInst) {
    InsertIncludePictureField();
    InsertSymbolField();
    InsertSeqField();
    InsertPageField(false);
    InsertPageField(true);
    InsertDocPropertyField();
    return rtf_ec_OK;
  }
  if (Rds != rdsField) return rtf_ec_OK;
  if (OnNewPicture && state.FInvalidFieldPicture) {
    // A picture that the handler called invalid, kept while the result brought none of its own.
    state.ParaProps()->Finalize();
    GraphicHandler->AfterImportGraphic(state.FInvalidFieldPicture);
    if (SaveList.Count() > 0)
      state.FFieldCode = static_cast<TRVRTFReaderState*>(SaveList.Get(SaveList.Count() - 1))->FFieldCode;
    UpdateTableNesting(true);
    bool inserted = false;
    OnNewPicture(this, nullptr, state.FInvalidFieldPicture, Position, TRVUnicodeString(), inserted);
    if (inserted) state.FInvalidFieldPicture = nullptr;  // the handler owns it now
    Position = rtf_ts_ContinuePara;
  }
  state.FFieldCode.clear();
  state.FFieldPictureIncluded = false;
  delete state.FInvalidFieldPicture;
  state.FInvalidFieldPicture = nullptr;
  AfterTableRow = false;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ProcessFieldChar(unsigned char ch) {
  if (FFieldCodePage != FCodePage) {
    FFieldCodePage = FCodePage;
    FFieldLeadBytes.clear();
    FFieldLeadByte = 0;
    CPINFO info;
    if (GetCPInfo(FCodePage, &info) && info.MaxCharSize == 2)
      for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i]; i += 2)
        FFieldLeadBytes.insert(FFieldLeadBytes.end(), {info.LeadByte[i], info.LeadByte[i + 1]});
  }
  // ASCII is the same in every code page the reader reads in.
  if (ch < 0x80 && !FFieldLeadByte) {
    FRTFState->FFieldCode.push_back(static_cast<char16_t>(ch));
    return rtf_ec_OK;
  }
  // A double-byte character comes as two bytes: the first waits for the second.
  TRVAnsiString bytes;
  if (FFieldLeadByte) {
    bytes.push_back(static_cast<char>(FFieldLeadByte));
    FFieldLeadByte = 0;
  } else {
    for (std::size_t i = 0; i + 1 < FFieldLeadBytes.size(); i += 2)
      if (ch >= FFieldLeadBytes[i] && ch <= FFieldLeadBytes[i + 1]) {
        FFieldLeadByte = ch;
        return rtf_ec_OK;
      }
  }
  bytes.push_back(static_cast<char>(ch));
  FRTFState->FFieldCode += AnsiToUnicode(bytes, FCodePage);
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::AppendFieldWideChar(TRVUnicodeChar ch) {
  FRTFState->FFieldCode.push_back(ch);
  return rtf_ec_OK;
}

TGraphic* TRVRTFReader::ImportFieldPicture(const TRVUnicodeString& Path, bool& Invalid) {
  Invalid = false;
  TGraphic* graphic = nullptr;
  if (OnImportPicture) OnImportPicture(this, Path, graphic, Invalid);
  std::unique_ptr<TGraphic> owned(graphic);
  if (!owned) {
    // Paths in documents use either separator; the file system here knows only "/".
    TRVUnicodeString native = Path;
    for (auto& c : native)
      if (c == u'\\') c = u'/';
    if (FileExists(native)) owned = GraphicHandler->LoadFromFile(native);
  }
  if (owned && owned->GetWidth() == 0 && owned->GetHeight() == 0) owned.reset();
  return owned.release();
}

void TRVRTFReader::InsertIncludePictureField() {
  if (!OnNewPicture) return;
  TRVRTFReaderState& state = *FRTFState;
  TRVUnicodeString code = Trim(state.FFieldCode);
  if (!code.empty() && code[0] == u'\\') code.erase(0, 1);
  const TRVUnicodeString upper = UpperCaseUnicode(code);
  if (!StartsWith(upper, u"INCLUDEPICTURE") && !StartsWith(upper, u"IMPORT")) return;
  std::unique_ptr<TGraphic> graphic;
  try {
    TRVUnicodeString path = SingleBackslashes(GetFieldCommandValue(code));
    const bool baseEndsWithSep = !BasePath.empty() && (BasePath.back() == u'\\' || BasePath.back() == u'/');
    if (baseEndsWithSep && !path.empty() && (path[0] == u'\\' || path[0] == u'/')) path.erase(0, 1);
    if (path.find(u':') == TRVUnicodeString::npos) path = BasePath + path;
    path = FileUrlToPath(path);
    bool invalid = false;
    graphic.reset(ImportFieldPicture(path, invalid));
    if (!graphic || invalid) {
      const TRVUnicodeString decoded = DecodeUrlText(path, false);
      if (decoded != path) {
        bool invalid2 = false;
        std::unique_ptr<TGraphic> second(ImportFieldPicture(decoded, invalid2));
        if (second) {
          graphic = std::move(second);
          invalid = invalid2;
          path = decoded;
        }
      }
    }
    if (!graphic) return;
    if (invalid) {
      delete state.FInvalidFieldPicture;
      state.FInvalidFieldPicture = graphic.release();
      return;
    }
    UpdateTableNesting(true);
    state.ParaProps()->Finalize();
    GraphicHandler->AfterImportGraphic(graphic.get());
    // While the event runs the field code is that of the state outside the field, which holds the
    // code of an enclosing hyperlink.
    const TRVUnicodeString ownCode = state.FFieldCode;
    if (SaveList.Count() >= 2)
      state.FFieldCode = static_cast<TRVRTFReaderState*>(SaveList.Get(SaveList.Count() - 2))->FFieldCode;
    bool inserted = false;
    TGraphic* handed = graphic.release();
    try {
      OnNewPicture(this, nullptr, handed, Position, path, inserted);
    } catch (...) {
      state.FFieldCode = ownCode;
      throw;
    }
    state.FFieldCode = ownCode;
    Position = rtf_ts_ContinuePara;
    state.FFieldPictureIncluded = true;
  } catch (...) {
    // A picture that cannot be had leaves the field's result to be read.
    RVRethrowUnlessDataError();
  }
}

void TRVRTFReader::InsertSymbolField() {
  TRVRTFReaderState& state = *FRTFState;
  const TRVUnicodeString code = Trim(state.FFieldCode);
  if (!StartsWith(UpperCaseUnicode(code), u"SYMBOL")) return;
  const TRVUnicodeString rest = code.size() > 7 ? Trim(std::u16string_view(code).substr(7)) : TRVUnicodeString();
  const std::size_t space = rest.find(u' ');
  if (space == TRVUnicodeString::npos) return;
  // A code or size that is not a number leaves the field alone: its result is read.
  int charCode = 0;
  try {
    charCode = StrToIntUnicode(rest.substr(0, space));
  } catch (const EConvertError&) {
    return;
  }
  if (charCode < 0 || charCode > 0x10FFFF) return;
  TRVUnicodeString fontName;
  const std::size_t f = rest.find(u"\\f");
  if (f != TRVUnicodeString::npos) {
    const std::size_t open = f + 3;
    if (open >= rest.size() || rest[open] != u'"') return;
    const std::size_t close = rest.find(u'"', open + 1);
    if (close == TRVUnicodeString::npos) return;
    fontName = rest.substr(open + 1, close - open - 1);
  }
  const bool unicode = rest.find(u"\\u") != TRVUnicodeString::npos;
  TRVRTFCharProperties& cp = *state.CharProps();
  const int oldSize = cp.FSizeDouble;
  int sizeDouble = oldSize;
  const std::size_t s = rest.find(u"\\s");
  if (s != TRVUnicodeString::npos) {
    const std::size_t from = std::min(rest.size(), s + 3);
    TRVUnicodeString sizeText = rest.substr(
        from, rest.find(u' ', from) == TRVUnicodeString::npos ? TRVUnicodeString::npos : rest.find(u' ', from) - from);
    for (auto& c : sizeText)
      if (c == u'.') c = FormatSettings().DecimalSeparator;
    Extended size = 0;
    try {
      size = UnicodeStrToFloat(sizeText);
    } catch (const EConvertError&) {
      return;
    }
    // Sizes a font cannot have are not taken.
    if (std::isfinite(static_cast<double>(size)) && size > 0 && size <= 1638)
      sizeDouble = static_cast<int>(std::nearbyint(static_cast<double>(size) * 2));
  }
  cp.FFontName = fontName;
  cp.FSizeDouble = sizeDouble;
  try {
    if (unicode) {
      const TRTFrds oldRds = state.rds;
      for (int i = SaveList.Count() - 1; i >= 0; --i) {
        const TRTFrds saved = static_cast<TRVRTFReaderState*>(SaveList.Get(i))->rds;
        if (saved != rdsField && saved != rdsFldInst) {
          state.rds = saved;
          break;
        }
      }
      for (char16_t unit : CodePointToUTF16(static_cast<DWORD>(charCode))) AppendWideChar(unit);
      AppendChar(0, false, false);
      state.rds = oldRds;
    } else if (charCode < 256) {
      AppendChar(static_cast<unsigned char>(charCode), false, false);
      AppendChar(0, false, false);
    }
  } catch (...) {
    cp.FSizeDouble = oldSize;
    cp.FFontName.clear();
    throw;
  }
  cp.FSizeDouble = oldSize;
  cp.FFontName.clear();
}

void TRVRTFReader::InsertSeqField() {
  TRVRTFReaderState& state = *FRTFState;
  TRVUnicodeString code = Trim(state.FFieldCode);
  if (!StartsWith(UpperCaseUnicode(code), u"SEQ")) return;
  int start = 0, len = 0;
  const TRVUnicodeString name = GetFieldCommandValueEx(code, start, len, true);
  if (start > 0) code.erase(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(len));
  code.erase(0, std::min<std::size_t>(3, code.size()));
  TRVRTFSeqType type = rtf_seqDecimal;
  FindFormatSwitch(code, SeqNames, type);
  bool reset = false;
  int startFrom = 0;
  const std::size_t r = code.find(u"\\r ");
  if (r != TRVUnicodeString::npos) {
    std::size_t i = r + 3;
    std::int64_t value = 0;
    bool digits = false;
    while (i < code.size() && code[i] >= u'0' && code[i] <= u'9') {
      value = std::min<std::int64_t>(value * 10 + (code[i] - u'0'), 0x7FFFFFFF);
      digits = true;
      ++i;
    }
    if (digits) {
      reset = true;
      startFrom = static_cast<int>(value);
    }
  }
  try {
    if (OnNewSeq) {
      state.ParaProps()->Finalize();
      OnNewSeq(this, Position, name, type, reset, startFrom);
    }
    Position = rtf_ts_ContinuePara;
    state.FFieldInserted = true;
  } catch (...) {
    // The handler refused the field: its result is read instead.
    RVRethrowUnlessDataError();
  }
}

void TRVRTFReader::DoNewPageNumber(TRVRTFPageNumberType Type, bool PageCount) {
  const auto& event = PageCount ? OnNewPageCount : OnNewPageNumber;
  if (!event) return;
  try {
    FRTFState->ParaProps()->Finalize();
    event(this, Position, Type);
    Position = rtf_ts_ContinuePara;
    FRTFState->FFieldInserted = true;
  } catch (...) {
    RVRethrowUnlessDataError();
  }
}

void TRVRTFReader::InsertPageField(bool PageCount) {
  TRVUnicodeString code = Trim(FRTFState->FFieldCode);
  const TRVUnicodeString upper = UpperCaseUnicode(code);
  const char16_t* keyword = PageCount ? u"NUMPAGES" : u"PAGE";
  if (StartsWith(upper, u"PAGEREF") || !StartsWith(upper, keyword)) return;
  code.erase(0, std::u16string_view(keyword).size());
  TRVRTFPageNumberType type = rtf_pntDefault;
  FindFormatSwitch(code, PageNames, type);
  DoNewPageNumber(type, PageCount);
}

void TRVRTFReader::InsertDocPropertyField() {
  const TRVUnicodeString code = Trim(FRTFState->FFieldCode);
  if (!StartsWith(UpperCaseUnicode(code), u"DOCPROPERTY")) return;
  if (GetFieldCommandValue(code) == u"Pages") DoNewPageNumber(rtf_pntDecimal, true);
}
