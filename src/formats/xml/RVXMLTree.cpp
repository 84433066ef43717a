#include "formats/xml/RVXMLTree.h"

#include <algorithm>
#include <string_view>

#include "engine/foundation/RVUni.h"
#include "platform/base/Classes.h"
#include "platform/base/NLS.h"
#include "platform/base/SysUtils.h"

namespace rvxmltree_detail {

constexpr std::size_t npos = std::string::npos;

bool IsTrimmed(unsigned char c) { return c <= 32; }

std::string_view TrimBytes(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsTrimmed(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && IsTrimmed(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

bool IsUTF8Name(std::u16string_view enc) { return SameTextAscii(enc, u"UTF-8"); }

// 8-bit text to UTF-16: ASCII is widened directly, the rest goes through the code page.
void AppendPiece(TRVUnicodeString& out, std::string_view piece, bool utf8) {
  bool ascii = true;
  for (char c : piece)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) {
    out.append(piece.begin(), piece.end());
  } else {
    out += utf8 ? Utf8ToUnicode(piece) : AnsiToUnicodeCP(CP_ACP, piece);
  }
}

void AppendCodePoint(TRVUnicodeString& out, std::uint32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The text of a numeric reference read as an integer: leading blanks, a sign, then decimal digits
// or hexadecimal ones after "$", "x", "X" or "0x". Only values that name a Unicode code point
// count; anything else (not a number, negative, past U+10FFFF) gives 0, which appends nothing.
std::uint32_t ReferenceCodePoint(std::string_view t) {
  std::size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  bool neg = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
  int base = 10;
  if (i < t.size() && (t[i] == '$' || t[i] == 'x' || t[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) return 0;
  std::uint32_t v = 0;
  for (; i < t.size(); ++i) {
    int d = HexDigit(t[i]);
    if (d < 0 || d >= base) return 0;
    v = v * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(d);
    if (v > 0x10FFFF) return 0;
  }
  return neg ? 0 : v;
}

// "&amp;" to "&", left to right, replacements not looked at again.
void ReplaceAmp(TRVUnicodeString& s) {
  std::size_t i = s.find(u"&amp;");
  if (i == npos) return;
  TRVUnicodeString r;
  r.reserve(s.size());
  std::size_t from = 0;
  while (i != npos) {
    r.append(s, from, i - from);
    r += u'&';
    from = i + 5;
    i = s.find(u"&amp;", from);
  }
  r.append(s, from, npos);
  s.swap(r);
}

void AppendUtf8(TRVAnsiString& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Appends the entity of an XML special character and answers true, or answers false. The
// no-break space is written as nbsp: "&nbsp;" for HTML, a numeric reference where the text must be
// XML that any reader takes (XML defines no "nbsp").
bool AppendEntity(TRVAnsiString& out, char16_t c, bool quotes, const char* nbsp) {
  switch (c) {
    case u'&': out += "&amp;"; return true;
    case u'<': out += "&lt;"; return true;
    case u'>': out += "&gt;"; return true;
    case 0xA0: out += nbsp; return true;
    case u'"':
      if (!quotes) return false;
      out += "&quot;";
      return true;
    case u'\'':
      if (!quotes) return false;
      out += "&apos;";
      return true;
    default: return false;
  }
}

// Runs of blanks after their first blank as "&nbsp;" (the HTML writers ask for it).
bool AppendSpace(TRVAnsiString& out, const TRVUnicodeString& s, std::size_t i, bool spaces) {
  if (!spaces || s[i] != u' ' || i == 0 || s[i - 1] != u' ') return false;
  out += "&nbsp;";
  return true;
}

// Whether a character below 128 is written as it is (in both modes, quotes aside).
constexpr bool PlainAscii(char16_t c) { return c >= 32 && c < 128 && c != u'&' && c != u'<' && c != u'>'; }

// The length of the run of characters from i that are written as they are.
std::size_t PlainRun(const TRVUnicodeString& s, std::size_t i, bool quotes, bool spaces) {
  std::size_t j = i;
  for (; j < s.size(); ++j) {
    char16_t c = s[j];
    if (!PlainAscii(c) || (quotes && (c == u'"' || c == u'\'')) || (spaces && c == u' ')) break;
  }
  return j - i;
}

void AppendNarrowed(TRVAnsiString& r, const TRVUnicodeString& s, std::size_t i, std::size_t count) {
  std::size_t old = r.size();
  r.resize(old + count);
  char* d = r.data() + old;
  for (std::size_t k = 0; k < count; ++k) d[k] = static_cast<char>(s[i + k]);
}

// What both encodings below write alike at s[i]: a run of characters that need no escaping, a
// kept space, an entity. False when s[i] is none of them; when true, i is at the last character
// taken.
bool AppendAlike(TRVAnsiString& r, const TRVUnicodeString& s, std::size_t& i, bool EscapeQuotes, bool Spaces,
                 const char* nbsp) {
  if (std::size_t run = PlainRun(s, i, EscapeQuotes, Spaces)) {
    AppendNarrowed(r, s, i, run);
    i += run - 1;
    return true;
  }
  return AppendSpace(r, s, i, Spaces) || AppendEntity(r, s[i], EscapeQuotes, nbsp);
}

// ForXML writes what every XML reader takes: the no-break space as a numeric reference, since XML
// defines no "nbsp", and no control character but tab and line breaks, which XML forbids even as
// references. Both append to r.
void EncodeAsNumRefs(TRVAnsiString& r, const TRVUnicodeString& s, bool EscapeQuotes, bool Spaces, bool ForXML) {
  const char* nbsp = ForXML ? "&#160;" : "&nbsp;";
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (AppendAlike(r, s, i, EscapeQuotes, Spaces, nbsp)) continue;
    const char16_t c = s[i];
    if (c < 32) {
      r += '?';
    } else if (c <= 127) {
      r += static_cast<char>(c);
    } else if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
        std::uint32_t cp = 0x10000 + ((static_cast<std::uint32_t>(c) - 0xD800) << 10) + (s[i + 1] - 0xDC00);
        r += "&#" + std::to_string(cp) + ";";
        ++i;
      }
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      // an unpaired low surrogate is dropped
    } else {
      r += "&#" + std::to_string(static_cast<unsigned>(c)) + ";";
    }
  }
}

void EncodeAsUTF8(TRVAnsiString& r, const TRVUnicodeString& s, bool EscapeQuotes, bool Spaces, bool ForXML) {
  const char* nbsp = ForXML ? "&#160;" : "&nbsp;";
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (AppendAlike(r, s, i, EscapeQuotes, Spaces, nbsp)) continue;
    const char16_t c = s[i];
    if (ForXML && c < 32 && c != u'\t' && c != u'\n' && c != u'\r') {
      r += '?';
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      AppendUtf8(r, 0x10000 + ((static_cast<std::uint32_t>(c) - 0xD800) << 10) + (s[i + 1] - 0xDC00));
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      AppendUtf8(r, 0xFFFD);
    } else {
      AppendUtf8(r, c);
    }
  }
}

// Appends the lines of top and its subtree without recursion, so that no depth of tree
// can exhaust the stack.
void AppendLines(const TXMLTag& top, TRVXMLUniStringList& s, bool Tabs, bool UTF8) {
  auto esc = [UTF8](TRVAnsiString& line, const TRVUnicodeString& v, bool quotes) {
    UTF8 ? EncodeAsUTF8(line, v, quotes, false, true) : EncodeAsNumRefs(line, v, quotes, false, true);
  };
  auto indent = [Tabs](const TXMLTag& t) {
    return (Tabs && t.Level > 0) ? TRVAnsiString(static_cast<std::size_t>(t.Level), '\t') : TRVAnsiString();
  };
  struct Frame {
    const TXMLTag* Tag;
    int Next;
  };
  std::vector<Frame> stack;
  auto open = [&](const TXMLTag& t) {
    // Room for the line as it is when nothing needs escaping, so that it grows at most rarely.
    std::size_t room =
        (Tabs ? static_cast<std::size_t>(std::max(t.Level, 0)) : 0) + 2 * t.Name.size() + t.Value.size() + 8;
    for (int i = 0; i < t.Attr.Count(); ++i) room += t.Attr.Get(i)->Name.size() + t.Attr.Get(i)->Value.size() + 4;
    TRVAnsiString line;
    line.reserve(room + room / 8);
    line += indent(t);
    line += '<';
    line += t.Name;
    for (int i = 0; i < t.Attr.Count(); ++i) {
      const TXMLAttr* a = t.Attr.Get(i);
      line += ' ';
      line += a->Name;
      line += "=\"";
      esc(line, a->Value, true);
      line += '"';
    }
    if (t.Value.empty() && t.Items.Count() == 0) {
      line += " />";
      s.Add(std::move(line));
      return;
    }
    line += '>';
    esc(line, t.Value, false);
    if (t.Items.Count() == 0) {
      line += "</" + t.Name + ">";
      s.Add(std::move(line));
      return;
    }
    s.Add(std::move(line));
    stack.push_back({&t, 0});
  };
  open(top);
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.Next < f.Tag->Items.Count()) {
      const TXMLTag* child = f.Tag->Items.Get(f.Next++);
      open(*child);
    } else {
      s.Add(indent(*f.Tag) + "</" + f.Tag->Name + ">");
      stack.pop_back();
    }
  }
}

}  // namespace rvxmltree_detail

using namespace rvxmltree_detail;

// ---- escaping and decoding ----------------------------------------------------------------------

TRVAnsiString HTMLEncodeUnicodeAsNumRefs(const TRVUnicodeString& s, bool EscapeQuotes, bool Spaces) {
  TRVAnsiString r;
  EncodeAsNumRefs(r, s, EscapeQuotes, Spaces, false);
  return r;
}

TRVAnsiString HTMLEncodeUnicodeAsUTF8(const TRVUnicodeString& s, bool Raw, bool EscapeQuotes, bool Spaces) {
  if (Raw) return UnicodeToUtf8(s);
  TRVAnsiString r;
  EncodeAsUTF8(r, s, EscapeQuotes, Spaces, false);
  return r;
}

TRVUnicodeString XMLDecodeValue(std::string_view s, bool UTF8) {
  TRVUnicodeString out;
  if (s.find_first_of("&\r\n\t") == npos) {
    AppendPiece(out, s, UTF8);
    return out;
  }
  // Line breaks, tabs and the named entities first, into mid; the no-break spaces are marked by
  // position, since the byte that stands for them may occur in the text too.
  std::string mid;
  mid.reserve(s.size());
  std::vector<std::size_t> nbsp;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\r' || c == '\n') {
      char other = c == '\r' ? '\n' : '\r';
      if (i + 1 < s.size() && s[i + 1] == other) ++i;
      mid += ' ';
    } else if (c == '\t') {
      mid += ' ';
    } else if (c == '&') {
      std::string_view rest = s.substr(i);
      if (rest.starts_with("&lt;")) {
        mid += '<';
        i += 3;
      } else if (rest.starts_with("&gt;")) {
        mid += '>';
        i += 3;
      } else if (rest.starts_with("&quot;")) {
        mid += '"';
        i += 5;
      } else if (rest.starts_with("&apos;")) {
        mid += '\'';
        i += 5;
      } else if (rest.starts_with("&nbsp;")) {
        nbsp.push_back(mid.size());
        mid += '\xA0';
        i += 5;
      } else {
        mid += c;
      }
    } else {
      mid += c;
    }
  }
  out.reserve(mid.size());
  std::size_t nb = 0;  // next no-break space to meet
  std::size_t from = 0;
  // Converts mid[from, to), no-break spaces included.
  auto flush = [&](std::size_t to) {
    while (nb < nbsp.size() && nbsp[nb] < to) {
      AppendPiece(out, std::string_view(mid).substr(from, nbsp[nb] - from), UTF8);
      out += char16_t(0xA0);
      from = nbsp[nb] + 1;
      ++nb;
    }
    AppendPiece(out, std::string_view(mid).substr(from, to - from), UTF8);
    from = to;
  };
  for (std::size_t ref = mid.find("&#"); ref != npos; ref = mid.find("&#", from)) {
    flush(ref);
    std::size_t semi = mid.find(';', ref + 2);
    if (semi == npos) {
      from = mid.size();
      while (nb < nbsp.size()) ++nb;
      break;
    }
    if (std::uint32_t cp = ReferenceCodePoint(std::string_view(mid).substr(ref + 2, semi - ref - 2)))
      AppendCodePoint(out, cp);
    from = semi + 1;
    while (nb < nbsp.size() && nbsp[nb] < from) ++nb;
  }
  if (from < mid.size()) flush(mid.size());
  ReplaceAmp(out);
  return out;
}

// ---- lists ----------------------------------------------------------------------------------------

TXMLAttr* TXMLAttrList::AddAttr(const TRVAnsiString& Name, const TRVUnicodeString& Value) {
  FItems.push_back(std::make_unique<TXMLAttr>(Name, Value));
  return FItems.back().get();
}

TXMLAttr* TXMLAttrList::FindAttrOfName(const TRVAnsiString& Name) const {
  for (const auto& a : FItems)
    if (SameNameText(a->Name, Name)) return a.get();
  return nullptr;
}

TXMLTag* TXMLTagList::AddTag(const TRVAnsiString& Str, TXMLTag* Parent, TXMLTree* Root, bool UTF8) {
  return Append(std::make_unique<TXMLTag>(Str, Parent, Root, UTF8));
}

TXMLTag* TXMLTagList::InsertTag(int Index, const TRVAnsiString& Str, TXMLTag* Parent, TXMLTree* Root, bool UTF8) {
  if (Index < 0 || Index > Count()) throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  auto t = std::make_unique<TXMLTag>(Str, Parent, Root, UTF8);
  FItems.insert(FItems.begin() + Index, t.get());
  return t.release();
}

TXMLTag* TXMLTagList::Append(std::unique_ptr<TXMLTag> Tag) {
  FItems.push_back(Tag.get());  // should this throw, Tag still frees the tag
  return Tag.release();
}

TXMLTag* TXMLTagList::FindTagOfName(const TRVAnsiString& AName) const {
  for (TXMLTag* t : FItems)
    if (SameNameText(t->Name, AName)) return t;
  return nullptr;
}

void TXMLTagList::Clear() {
  std::vector<TXMLTag*> pending;
  pending.swap(FItems);
  while (!pending.empty()) {
    TXMLTag* t = pending.back();
    pending.pop_back();
    // Take the children over before the tag goes, so that its own list frees nothing.
    pending.insert(pending.end(), t->Items.FItems.begin(), t->Items.FItems.end());
    t->Items.FItems.clear();
    delete t;
  }
}

// ---- tags -----------------------------------------------------------------------------------------

TXMLTag::TXMLTag(const TRVAnsiString& Str, TXMLTag* AParent, TXMLTree* ARoot, bool UTF8)
    : Level(AParent ? AParent->Level + 1 : -1), Parent(AParent), Root(ARoot) {
  std::string_view str = TrimBytes(Str);
  std::size_t blank = str.find(' ');
  if (blank == npos) {
    Name = TRVAnsiString(str);
    return;
  }
  Name = TRVAnsiString(str.substr(0, blank));
  std::size_t pos = blank;
  for (;;) {
    std::size_t eq = str.find('=', pos);
    if (eq == npos) break;
    std::size_t q1 = str.find('"', eq + 1);
    if (q1 == npos) break;
    std::size_t q2 = str.find('"', q1 + 1);
    if (q2 == npos) break;
    std::string_view name = eq > pos + 1 ? TrimBytes(str.substr(pos + 1, eq - pos - 1)) : std::string_view();
    Attr.AddAttr(TRVAnsiString(name), XMLDecodeValue(str.substr(q1 + 1, q2 - q1 - 1), UTF8));
    pos = q2 + 1;
  }
}

void TXMLTag::GetDocument(TRVXMLUniStringList& s, bool Tabs, bool UTF8) const { AppendLines(*this, s, Tabs, UTF8); }

// ---- the tree -------------------------------------------------------------------------------------

TXMLTree::TXMLTree(const TRVUnicodeString& Enc) : Encoding(Enc) { Root = this; }

bool TXMLTree::LoadFromStream(TStream& Stream) {
  std::int64_t left = Stream.GetSize() - Stream.GetPosition();
  TRVAnsiString s;
  if (left > 0) {
    s.resize(static_cast<std::size_t>(left));
    std::int64_t got = Stream.Read(s.data(), left);
    s.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  }
  return Parse(s);
}

bool TXMLTree::Parse(const TRVAnsiString& s) {
  Items.Clear();
  Attr.Clear();
  Value.clear();
  ValueType = vtText;
  const std::size_t n = s.size();
  TXMLTag* cur = this;
  bool utf8 = false;
  bool whole = true;
  bool afterCDATA = false;
  // The next "=" and ">" at or after a position, remembered: both searches only move forward, and
  // without the memory a long stretch free of "=" would be scanned again for every tag.
  std::size_t eqAt = 0, eqFound = npos, gtAt = 0, gtFound = npos;
  bool eqValid = false, gtValid = false;
  auto nextOf = [&s](char c, std::size_t from, std::size_t& at, std::size_t& found, bool& valid) {
    if (!valid || from < at || (found != npos && found < from)) {
      found = s.find(c, from);
      valid = true;
    }
    at = from;
    return found;
  };
  // Where the tag that begins at lt ends: a ">" inside a double-quoted value does not end it.
  auto tagEnd = [&](std::size_t lt) {
    std::size_t q = lt;
    for (;;) {
      std::size_t gt = nextOf('>', q, gtAt, gtFound, gtValid);
      if (gt == npos) return npos;
      std::size_t eq = nextOf('=', q, eqAt, eqFound, eqValid);
      if (eq == npos || gt < eq) return gt;
      std::size_t q1 = s.find('"', eq + 1);
      if (q1 == npos) return npos;
      std::size_t q2 = s.find('"', q1 + 1);
      if (q2 == npos) return npos;
      q = q2 + 1;
    }
  };
  std::size_t p = 0;
  while (p < n) {
    std::size_t lt = s.find('<', p);
    if (lt == npos) {
      cur->Value = XMLDecodeValue(std::string_view(s).substr(p), utf8);
      break;
    }
    if (!afterCDATA || lt > p) cur->Value = XMLDecodeValue(std::string_view(s).substr(p, lt - p), utf8);
    afterCDATA = false;
    if (n - lt >= 9 && SameNameText(std::string_view(s).substr(lt, 9), "<![cdata[")) {
      std::size_t e = s.find("]]>", lt + 9);
      if (e == npos) {
        whole = false;
        break;
      }
      cur->Value = XMLDecodeValue(std::string_view(s).substr(lt + 9, e - lt - 9), utf8);
      cur->ValueType = vtCDATA;
      afterCDATA = true;
      p = e + 3;
    } else if (s.compare(lt, 4, "<!--") == 0) {
      std::size_t e = s.find("-->", lt + 4);
      if (e == npos) {
        whole = false;
        break;
      }
      p = e + 3;
    } else if (s.compare(lt, 2, "<?") == 0) {
      std::size_t e = s.find("?>", lt + 2);
      if (e == npos) {
        whole = false;
        break;
      }
      TXMLTag pi(s.substr(lt + 2, e - lt - 2), nullptr, nullptr, utf8);
      if (SameNameText(pi.Name, "xml"))
        if (TXMLAttr* enc = pi.Attr.FindAttrOfName("encoding")) {
          Encoding = enc->Value;
          utf8 = IsUTF8Name(Encoding);
        }
      p = e + 2;
    } else {
      std::size_t gt = tagEnd(lt);
      if (gt == npos) {
        whole = false;
        break;
      }
      std::string_view inner = TrimBytes(std::string_view(s).substr(lt + 1, gt - lt - 1));
      if (!inner.empty() && inner.front() == '/') {
        if (!cur->Parent) {
          whole = false;
          break;
        }
        cur = cur->Parent;
      } else {
        if (cur->Level + 1 >= XMLMaxDepth) {
          Items.Clear();
          Value.clear();
          return false;
        }
        bool empty = !inner.empty() && inner.back() == '/';
        if (empty) inner.remove_suffix(1);
        TXMLTag* child = cur->Items.AddTag(TRVAnsiString(inner), cur, this, utf8);
        if (!empty) cur = child;
      }
      p = gt + 1;
    }
  }
  return whole && cur == this && Items.Count() > 0;
}

void TXMLTree::GetDocument(TRVXMLUniStringList& s, bool Tabs) const {
  s.Clear();
  if (Items.Count() > 0) Items.Get(0)->GetDocument(s, Tabs, IsUTF8Name(Encoding));
}

void TXMLTree::SaveToStream(TStream& Stream, bool Tabs) const {
  bool utf8 = IsUTF8Name(Encoding);
  TRVAnsiString decl = "<?xml version=\"1.0\" encoding=\"";
  decl += utf8 ? UnicodeToUtf8(Encoding) : TRVAnsiString(UnicodeToAnsiCP(CP_ACP, Encoding));
  decl += "\"?>\r\n";
  Stream.WriteBuffer(decl.data(), static_cast<std::int64_t>(decl.size()));
  TRVXMLUniStringList lines;
  GetDocument(lines, Tabs);
  lines.SaveToStream(Stream);
}

void TRVXMLUniStringList::SaveToStream(TStream& Stream) const {
  std::size_t total = 0;
  for (const auto& l : FItems) total += l.size() + 2;
  TRVAnsiString all;
  all.reserve(total);
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    if (i > 0) all += "\r\n";
    all += FItems[i];
  }
  if (!all.empty()) Stream.WriteBuffer(all.data(), static_cast<std::int64_t>(all.size()));
}
