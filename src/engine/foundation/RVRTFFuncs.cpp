#include "engine/foundation/RVRTFFuncs.h"

#include <algorithm>
#include <string>

namespace {
void Put(TStream& Stream, const std::string& s) {
  if (!s.empty()) Stream.WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
}

const char* NamedCharacter(char16_t c) {
  switch (c) {
    case 160: return "\\~";
    case 173: return "\\-";
    case 8194: return "{\\enspace }";
    case 8195: return "{\\emspace }";
    case 8197: return "{\\qmspace }";
    case 8204: return "\\zwnj";
    case 8205: return "\\zwj";
    case 8211: return "\\endash ";
    case 8212: return "\\emdash ";
    case 8216: return "\\lquote ";
    case 8217: return "\\rquote ";
    case 8220: return "\\ldblquote ";
    case 8221: return "\\rdblquote ";
    case 8226: return "\\bullet ";
    default: return nullptr;
  }
}
}  // namespace

void RTFEscapeBytes(TRVAnsiString& S, bool SpecialNBSP, bool Hex) {
  static const char Digits[] = "0123456789abcdef";
  TRVAnsiString r;
  r.reserve(S.size());
  for (char ch : S) {
    const unsigned char b = static_cast<unsigned char>(ch);
    if (b == 0xA0 && SpecialNBSP) {
      r += "\\~";
    } else if (b < 0x20 || b >= 0x80 || (Hex && (b == '\\' || b == '{' || b == '}'))) {
      r += '\\';
      r += '\'';
      r += Digits[b >> 4];
      r += Digits[b & 0xF];
    } else {
      r += ch;
    }
  }
  S.swap(r);
}

TRVAnsiString RTFEscapeAnsiText(const TRVAnsiString& S, bool Raw, bool SpecialNBSP, bool Hex, bool Quote) {
  TRVAnsiString r;
  if (Raw || Hex) {
    r = S;
  } else {
    r.reserve(S.size());
    for (char c : S) {
      if (c == '\\' || c == '{' || c == '}')
        r += '\\';
      else if (c == '"' && Quote)
        r += "\\\\";
      r += c;
    }
  }
  RTFEscapeBytes(r, SpecialNBSP, Hex);
  return r;
}

void RTFWriteEscapedText(TStream& Stream, const TRVUnicodeString& Text, TRVCodePage CodePage, bool DuplicateUnicode,
                         bool ForceFallback, bool Raw, bool DoubleBackslash, bool Hex, bool Quote) {
  const std::size_t initialCount = DuplicateUnicode ? 1 : 0;
  std::size_t count = initialCount;
  if (ForceFallback) DuplicateUnicode = true;
  for (char16_t c : Text) {
    if (c >= 1 && c <= 127) {
      if (c == u'\\' && !Raw && DoubleBackslash)
        Put(Stream, "\\\\\\\\");
      else
        Put(Stream, RTFEscapeAnsiText(std::string(1, static_cast<char>(c)), Raw, false, Hex, Quote));
      continue;
    }
    if (!Raw)
      if (const char* named = NamedCharacter(c)) {
        Put(Stream, named);
        continue;
      }
    std::string fallback;
    if (DuplicateUnicode) {
      fallback = UnicodeToAnsiCP(CodePage, TRVUnicodeString(1, c));
      if (fallback.size() != count) {
        count = fallback.size();
        Put(Stream, "\\uc" + std::to_string(count));
      }
    }
    Put(Stream, "\\u" + std::to_string(static_cast<unsigned>(c)) + " ");
    // "\~" stands for the non-breaking space only: a 0xA0 byte of another character (a trail byte
    // in a double-byte code page) stays a byte.
    if (DuplicateUnicode) Put(Stream, RTFEscapeAnsiText(fallback, false, c == 0xA0, false, Quote));
  }
  if (count != initialCount) Put(Stream, "\\uc" + std::to_string(initialCount));
}

namespace {
TRVAnsiString EncodeThroughStream(const TRVUnicodeString& Text, TRVCodePage CodePage, bool DuplicateUnicode,
                                  bool ForceFallback, bool Raw, bool Hex) {
  TMemoryStream stream;
  RTFWriteEscapedText(stream, Text, CodePage, DuplicateUnicode, ForceFallback, Raw, false, Hex, false);
  if (stream.GetSize() == 0) return {};
  return TRVAnsiString(static_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.GetSize()));
}
}  // namespace

TRVAnsiString RTFEncodeText(const TRVUnicodeString& Text, TRVCodePage CodePage, bool DuplicateUnicode) {
  return EncodeThroughStream(Text, CodePage, DuplicateUnicode, true, false, false);
}

TRVAnsiString RTFEncodeTextEx(const TRVUnicodeString& Text, TRVCodePage CodePage, bool DuplicateUnicode,
                              bool ForceFallback, bool Raw, bool Hex) {
  return EncodeThroughStream(Text, CodePage, DuplicateUnicode, ForceFallback, Raw, Hex);
}

void TRVRTFTables::AddColor(TColor Color) {
  if (std::find(FColors.begin(), FColors.end(), Color) == FColors.end()) FColors.push_back(Color);
}

void RTFAppendColorKeyword(TRVAnsiString& s, const char* Keyword, TCustomRVRTFTables* Tables, TColor Color) {
  const int index = Tables ? Tables->GetColorIndex(Color) : -1;
  if (index >= 0) s += Keyword + std::to_string(index);
}

int TRVRTFTables::GetColorIndex(TColor Color) {
  const auto it = std::find(FColors.begin(), FColors.end(), Color);
  return it == FColors.end() ? -1 : static_cast<int>(it - FColors.begin());
}
