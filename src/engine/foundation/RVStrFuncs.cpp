#include "engine/foundation/RVStrFuncs.h"

#include <cstring>

#include "engine/foundation/RVUni.h"
#include "platform/base/NLS.h"

// ---- numbers --------------------------------------------------------------------------------

TRVAnsiString IntToStrAnsi(int value) { return UnicodeToAnsiTruncate(IntToStrUnicode(value)); }

TRVUnicodeString IntToStrUnicode(int value) { return IntToStr(value); }

TRVAnsiString IntToHexAnsi(int value, int digits) {
  return UnicodeToAnsiTruncate(IntToHexUnicode(value, digits));
}

TRVUnicodeString IntToHexUnicode(int value, int digits) { return IntToHex(value, digits); }

int StrToIntAnsi(const TRVAnsiString& s) { return StrToInt(AnsiToUnicodeCP(CP_ACP, s)); }

int StrToIntUnicode(const TRVUnicodeString& s) { return StrToInt(s); }

Extended AnsiStrToFloat(const TRVAnsiString& s) { return StrToFloat(AnsiToUnicodeCP(CP_ACP, s)); }

Extended UnicodeStrToFloat(const TRVUnicodeString& s) { return StrToFloat(s); }

// ---- zero-terminated UTF-16 buffers ----------------------------------------------------------

int StrLenW(const WideChar* p) {
  if (!p) return 0;
  int n = 0;
  while (p[n]) ++n;
  return n;
}

int StrLCompW(const WideChar* a, const WideChar* b, int n) {
  for (int i = 0; i < n; ++i) {
    if (a[i] != b[i]) return static_cast<int>(a[i]) - static_cast<int>(b[i]);
    if (a[i] == 0) return 0;
  }
  return 0;
}

const WideChar* StrScanW(const WideChar* p, WideChar c) {
  if (!p) return nullptr;
  for (;; ++p) {
    if (*p == c) return p;
    if (*p == 0) return nullptr;
  }
}

const WideChar* StrScanLenW(const WideChar* p, WideChar c, int n) {
  if (!p) return nullptr;
  for (int i = 0; i < n; ++i)
    if (p[i] == c) return p + i;
  return nullptr;
}

const WideChar* StrPosLenW(const WideChar* text, int n, const WideChar* pattern, int m) {
  if (!text || !pattern || n <= 0 || m <= 0 || m > n) return nullptr;
  for (int i = 0; i <= n - m; ++i) {
    if (text[i] == 0) continue;
    if (StrLCompW(text + i, pattern, m) == 0) return text + i;
  }
  return nullptr;
}

// ---- searching ------------------------------------------------------------------------------

namespace {

// Search of sub in the zero-terminated string starting at index `from` of s; 0-based index or
// npos. A one-character sub is a character scan; a zero byte is never found.
std::size_t FindZeroTerminated(const TRVAnsiString& sub, const TRVAnsiString& s, std::size_t from) {
  if (sub.empty() || from >= s.size()) return TRVAnsiString::npos;
  const std::size_t zero = s.find('\0', from);
  const std::string_view hay(s.data() + from, (zero == TRVAnsiString::npos ? s.size() : zero) - from);
  std::string_view needle(sub);
  if (needle.size() > 1) needle = needle.substr(0, needle.find('\0'));  // both are C strings
  if (needle.empty() || needle[0] == '\0') return TRVAnsiString::npos;
  const std::size_t at = hay.find(needle);
  return at == std::string_view::npos ? TRVAnsiString::npos : at + from;
}

}  // namespace

int PosAnsi(const TRVAnsiString& sub, const TRVAnsiString& s) {
  const std::size_t at = FindZeroTerminated(sub, s, 0);
  return at == TRVAnsiString::npos ? 0 : static_cast<int>(at) + 1;
}

int PosExAnsi(const TRVAnsiString& sub, const TRVAnsiString& s, int offset) {
  if (offset < 1) return 0;
  if (static_cast<long long>(s.size()) < static_cast<long long>(sub.size()) + offset - 1) return 0;
  const std::size_t at = FindZeroTerminated(sub, s, static_cast<std::size_t>(offset - 1));
  return at == TRVAnsiString::npos ? 0 : static_cast<int>(at) + 1;
}

int PosUnicode(const TRVUnicodeString& sub, const TRVUnicodeString& s) {
  return PosExUnicode(sub, s, 1);
}

int PosExUnicode(const TRVUnicodeString& sub, const TRVUnicodeString& s, int offset) {
  if (sub.empty() || offset < 1 || static_cast<std::size_t>(offset) > s.size()) return 0;
  const std::size_t at = s.find(sub, static_cast<std::size_t>(offset - 1));
  return at == TRVUnicodeString::npos ? 0 : static_cast<int>(at) + 1;
}

// ---- case, format and trimming --------------------------------------------------------------

TRVUnicodeString UpperCaseUnicode(const TRVUnicodeString& s) {
  if (!IsWinNT) return s;
  TRVUnicodeString r = s;
  CharUpperBuffW(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

TRVUnicodeString LowerCaseUnicode(const TRVUnicodeString& s) {
  if (!IsWinNT) return s;
  TRVUnicodeString r = s;
  CharLowerBuffW(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

TRVAnsiString UpperCaseAnsi(const TRVAnsiString& s) {
  TRVAnsiString r = s;
  CharUpperBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

TRVAnsiString LowerCaseAnsi(const TRVAnsiString& s) {
  TRVAnsiString r = s;
  CharLowerBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

TRVAnsiString FormatAnsi(const TRVAnsiString& format, std::initializer_list<TVarRec> args) {
  const TRVUnicodeString wide = Format(AnsiToUnicodeWiden(format), args);
  TRVAnsiString r;
  r.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    if (wide[i] < 0x100) {
      r.push_back(static_cast<char>(wide[i]));
      continue;
    }
    std::size_t j = i;
    while (j < wide.size() && wide[j] >= 0x100) ++j;
    r += UnicodeToAnsiCP(CP_ACP, wide.substr(i, j - i));
    i = j - 1;
  }
  return r;
}

TRVUnicodeString FormatUnicode(const TRVUnicodeString& format, std::initializer_list<TVarRec> args) {
  return Format(format, args);
}

TRVAnsiString TrimAnsi(const TRVAnsiString& s) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  std::size_t b = 0, e = s.size();
  while (b < e && blank(s[b])) ++b;
  while (e > b && blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool CharInAnsiSet(WideChar c, const TRVAnsiCharSet& set) {
  return c < 128 && set.Contains(static_cast<unsigned char>(c));
}

// ---- widening and narrowing -----------------------------------------------------------------

TRVAnsiString UnicodeToAnsiTruncate(const TRVUnicodeString& s) {
  TRVAnsiString r(s.size(), '\0');
  for (std::size_t i = 0; i < s.size(); ++i) r[i] = static_cast<char>(s[i] & 0xFF);
  return r;
}

TRVUnicodeString AnsiToUnicodeWiden(const TRVAnsiString& s) {
  TRVUnicodeString r(s.size(), u'\0');
  for (std::size_t i = 0; i < s.size(); ++i) r[i] = static_cast<unsigned char>(s[i]);
  return r;
}

// ---- replacing and building -----------------------------------------------------------------

namespace {

// The in-place rule (find, delete, insert, resume after the insertion) never looks at inserted
// text again, so it equals one pass over the original that copies the gaps.
template <typename S>
S ReplaceAll(const S& s, const S& pattern, const S& replacement) {
  if (pattern.empty()) return s;
  S r;
  r.reserve(s.size());
  std::size_t pos = 0;
  while (pos < s.size()) {
    const std::size_t at = s.find(pattern, pos);
    if (at == S::npos) break;
    r.append(s, pos, at - pos);
    r += replacement;
    pos = at + pattern.size();
  }
  if (pos < s.size()) r.append(s, pos, S::npos);
  return r;
}

template <typename S, typename C>
S Quote(const S& s, C q) {
  S r;
  r.reserve(s.size() + 2);
  r.push_back(q);
  for (C c : s) {
    r.push_back(c);
    if (c == q) r.push_back(q);
  }
  r.push_back(q);
  return r;
}

}  // namespace

TRVUnicodeString ReplaceAllUnicode(const TRVUnicodeString& s, const TRVUnicodeString& pattern,
                                   const TRVUnicodeString& replacement) {
  return ReplaceAll(s, pattern, replacement);
}

TRVAnsiString ReplaceAllAnsi(const TRVAnsiString& s, const TRVAnsiString& pattern,
                             const TRVAnsiString& replacement) {
  return ReplaceAll(s, pattern, replacement);
}

TRVUnicodeString ReplaceAllString(const TRVUnicodeString& s, const TRVUnicodeString& pattern,
                                  const TRVUnicodeString& replacement) {
  return ReplaceAllUnicode(s, pattern, replacement);
}

TRVAnsiString ReplaceCharAnsi(const TRVAnsiString& s, AnsiChar c, const TRVAnsiString& replacement) {
  TRVAnsiString r;
  r.reserve(s.size());
  for (char ch : s) {
    if (ch == c)
      r += replacement;
    else
      r.push_back(ch);
  }
  return r;
}

TRVUnicodeString StringOfCharUnicode(WideChar c, int count) {
  return count > 0 ? TRVUnicodeString(static_cast<std::size_t>(count), c) : TRVUnicodeString();
}

TRVUnicodeString QuoteUnicode(const TRVUnicodeString& s, WideChar q) { return Quote(s, q); }

TRVAnsiString QuoteAnsi(const TRVAnsiString& s, AnsiChar q) { return Quote(s, q); }

// When p is null or does not start with q, nothing is read and p stays. Otherwise the
// characters up to the next single q are read (a doubled q stands for one), and p is left after
// that closing q; without a closing q, p is left at the terminator.
TRVAnsiString ExtractQuotedAnsi(const AnsiChar*& p, AnsiChar q) {
  TRVAnsiString r;
  if (!p || *p != q || q == '\0') return r;
  const AnsiChar* s = p + 1;
  for (;;) {
    if (*s == '\0') break;
    if (*s == q) {
      if (s[1] == q) {
        r.push_back(q);
        s += 2;
        continue;
      }
      ++s;  // the closing quote
      break;
    }
    r.push_back(*s++);
  }
  p = s;
  return r;
}

TRVUnicodeString PrepareDescriptionText(const TRVUnicodeString& s) {
  if (s.find_first_of(u"\r\n") == TRVUnicodeString::npos) return s;
  TRVUnicodeString r;
  r.reserve(s.size() + 8);
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'\r') {
      if (i + 1 < s.size() && s[i + 1] == u'\n') ++i;
      r += u"\r\n";
    } else if (s[i] == u'\n') {
      r += u"\r\n";
    } else {
      r.push_back(s[i]);
    }
  }
  return r;
}
