#include "formats/html/RVHtmlParser.h"

#include <algorithm>
#include <cstring>

#include "engine/foundation/RVStrFuncs.h"
#include "platform/base/SysUtils.h"

namespace rvhtmlparser_detail {

// The character entity references of HTML 4.01 (Latin-1, symbols, special) and "apos".
const TCTableEntry kEntities[] = {
    // Latin-1, 160 to 255 in order
    {"nbsp", 160},
    {"iexcl", 161},
    {"cent", 162},
    {"pound", 163},
    {"curren", 164},
    {"yen", 165},
    {"brvbar", 166},
    {"sect", 167},
    {"uml", 168},
    {"copy", 169},
    {"ordf", 170},
    {"laquo", 171},
    {"not", 172},
    {"shy", 173},
    {"reg", 174},
    {"macr", 175},
    {"deg", 176},
    {"plusmn", 177},
    {"sup2", 178},
    {"sup3", 179},
    {"acute", 180},
    {"micro", 181},
    {"para", 182},
    {"middot", 183},
    {"cedil", 184},
    {"sup1", 185},
    {"ordm", 186},
    {"raquo", 187},
    {"frac14", 188},
    {"frac12", 189},
    {"frac34", 190},
    {"iquest", 191},
    {"Agrave", 192},
    {"Aacute", 193},
    {"Acirc", 194},
    {"Atilde", 195},
    {"Auml", 196},
    {"Aring", 197},
    {"AElig", 198},
    {"Ccedil", 199},
    {"Egrave", 200},
    {"Eacute", 201},
    {"Ecirc", 202},
    {"Euml", 203},
    {"Igrave", 204},
    {"Iacute", 205},
    {"Icirc", 206},
    {"Iuml", 207},
    {"ETH", 208},
    {"Ntilde", 209},
    {"Ograve", 210},
    {"Oacute", 211},
    {"Ocirc", 212},
    {"Otilde", 213},
    {"Ouml", 214},
    {"times", 215},
    {"Oslash", 216},
    {"Ugrave", 217},
    {"Uacute", 218},
    {"Ucirc", 219},
    {"Uuml", 220},
    {"Yacute", 221},
    {"THORN", 222},
    {"szlig", 223},
    {"agrave", 224},
    {"aacute", 225},
    {"acirc", 226},
    {"atilde", 227},
    {"auml", 228},
    {"aring", 229},
    {"aelig", 230},
    {"ccedil", 231},
    {"egrave", 232},
    {"eacute", 233},
    {"ecirc", 234},
    {"euml", 235},
    {"igrave", 236},
    {"iacute", 237},
    {"icirc", 238},
    {"iuml", 239},
    {"eth", 240},
    {"ntilde", 241},
    {"ograve", 242},
    {"oacute", 243},
    {"ocirc", 244},
    {"otilde", 245},
    {"ouml", 246},
    {"divide", 247},
    {"oslash", 248},
    {"ugrave", 249},
    {"uacute", 250},
    {"ucirc", 251},
    {"uuml", 252},
    {"yacute", 253},
    {"thorn", 254},
    {"yuml", 255},
    // symbols and Greek letters
    {"fnof", 402},
    {"Alpha", 913},
    {"Beta", 914},
    {"Gamma", 915},
    {"Delta", 916},
    {"Epsilon", 917},
    {"Zeta", 918},
    {"Eta", 919},
    {"Theta", 920},
    {"Iota", 921},
    {"Kappa", 922},
    {"Lambda", 923},
    {"Mu", 924},
    {"Nu", 925},
    {"Xi", 926},
    {"Omicron", 927},
    {"Pi", 928},
    {"Rho", 929},
    {"Sigma", 931},
    {"Tau", 932},
    {"Upsilon", 933},
    {"Phi", 934},
    {"Chi", 935},
    {"Psi", 936},
    {"Omega", 937},
    {"alpha", 945},
    {"beta", 946},
    {"gamma", 947},
    {"delta", 948},
    {"epsilon", 949},
    {"zeta", 950},
    {"eta", 951},
    {"theta", 952},
    {"iota", 953},
    {"kappa", 954},
    {"lambda", 955},
    {"mu", 956},
    {"nu", 957},
    {"xi", 958},
    {"omicron", 959},
    {"pi", 960},
    {"rho", 961},
    {"sigmaf", 962},
    {"sigma", 963},
    {"tau", 964},
    {"upsilon", 965},
    {"phi", 966},
    {"chi", 967},
    {"psi", 968},
    {"omega", 969},
    {"thetasym", 977},
    {"upsih", 978},
    {"piv", 982},
    {"bull", 8226},
    {"hellip", 8230},
    {"prime", 8242},
    {"Prime", 8243},
    {"oline", 8254},
    {"frasl", 8260},
    {"weierp", 8472},
    {"image", 8465},
    {"real", 8476},
    {"trade", 8482},
    {"alefsym", 8501},
    {"larr", 8592},
    {"uarr", 8593},
    {"rarr", 8594},
    {"darr", 8595},
    {"harr", 8596},
    {"crarr", 8629},
    {"lArr", 8656},
    {"uArr", 8657},
    {"rArr", 8658},
    {"dArr", 8659},
    {"hArr", 8660},
    {"forall", 8704},
    {"part", 8706},
    {"exist", 8707},
    {"empty", 8709},
    {"nabla", 8711},
    {"isin", 8712},
    {"notin", 8713},
    {"ni", 8715},
    {"prod", 8719},
    {"sum", 8721},
    {"minus", 8722},
    {"lowast", 8727},
    {"radic", 8730},
    {"prop", 8733},
    {"infin", 8734},
    {"ang", 8736},
    {"and", 8743},
    {"or", 8744},
    {"cap", 8745},
    {"cup", 8746},
    {"int", 8747},
    {"there4", 8756},
    {"sim", 8764},
    {"cong", 8773},
    {"asymp", 8776},
    {"ne", 8800},
    {"equiv", 8801},
    {"le", 8804},
    {"ge", 8805},
    {"sub", 8834},
    {"sup", 8835},
    {"nsub", 8836},
    {"sube", 8838},
    {"supe", 8839},
    {"oplus", 8853},
    {"otimes", 8855},
    {"perp", 8869},
    {"sdot", 8901},
    {"lceil", 8968},
    {"rceil", 8969},
    {"lfloor", 8970},
    {"rfloor", 8971},
    {"lang", 9001},
    {"rang", 9002},
    {"loz", 9674},
    {"spades", 9824},
    {"clubs", 9827},
    {"hearts", 9829},
    {"diams", 9830},
    // special
    {"quot", 34},
    {"amp", 38},
    {"lt", 60},
    {"gt", 62},
    {"OElig", 338},
    {"oelig", 339},
    {"Scaron", 352},
    {"scaron", 353},
    {"Yuml", 376},
    {"circ", 710},
    {"tilde", 732},
    {"ensp", 8194},
    {"emsp", 8195},
    {"thinsp", 8201},
    {"zwnj", 8204},
    {"zwj", 8205},
    {"lrm", 8206},
    {"rlm", 8207},
    {"ndash", 8211},
    {"mdash", 8212},
    {"lsquo", 8216},
    {"rsquo", 8217},
    {"sbquo", 8218},
    {"ldquo", 8220},
    {"rdquo", 8221},
    {"bdquo", 8222},
    {"dagger", 8224},
    {"Dagger", 8225},
    {"permil", 8240},
    {"lsaquo", 8249},
    {"rsaquo", 8250},
    {"euro", 8364},
    // beyond HTML 4.01
    {"apos", 39},
};

inline bool IsBlankByte(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }
inline bool IsBlankChar(WideChar c) { return c == u'\t' || c == u'\n' || c == u'\r' || c == u' '; }

// Digits of a numeric reference in the given base; false when there are none or one is not a
// digit. Values above the last code point stop growing (they are out of range anyway).
bool ReadReferenceNumber(std::u16string_view s, int base, DWORD& value) {
  if (s.empty()) return false;
  value = 0;
  for (WideChar c : s) {
    int d;
    if (c >= u'0' && c <= u'9')
      d = c - u'0';
    else if (base == 16 && c >= u'a' && c <= u'f')
      d = c - u'a' + 10;
    else if (base == 16 && c >= u'A' && c <= u'F')
      d = c - u'A' + 10;
    else
      return false;
    if (value <= 0x10FFFF) value = value * base + d;
  }
  return true;
}

}  // namespace rvhtmlparser_detail

using namespace rvhtmlparser_detail;

THtmlParser::THtmlParser(std::string_view Text) {
  // A NUL byte ends the text.
  std::size_t n = Text.find('\0');
  OrgText.assign(Text.substr(0, n == std::string_view::npos ? Text.size() : n));
}

const std::vector<TCTableEntry>& THtmlParser::EntityTable() {
  static const std::vector<TCTableEntry> table = [] {
    std::vector<TCTableEntry> t(std::begin(kEntities), std::end(kEntities));
    std::sort(t.begin(), t.end(),
              [](const TCTableEntry& a, const TCTableEntry& b) { return std::strcmp(a.CData, b.CData) < 0; });
    return t;
  }();
  return table;
}

TRVUnicodeString THtmlParser::Decode(std::size_t Start, std::size_t End) const {
  std::string_view bytes(OrgText.data() + Start, End - Start);
  if (FEncoding == rvhtmleUTF8) return UTF8ToUnicode(TRVRawByteString(bytes));
  return AnsiToUnicodeCP(FCodePage, bytes);
}

void THtmlParser::Next() {
  if (Done()) {
    FCurrBlock = cbText;
    FTagName.clear();
    ClearTagParams();
    return;
  }
  if (OrgText[P] == '<') {
    if (OrgText.compare(P + 1, 3, "!--") == 0)
      ReadComment();
    else
      ReadTag();
  } else
    ReadText();
}

void THtmlParser::ReadComment() {
  const std::size_t start = P;
  ClearTagParams();
  FCurrBlock = cbComment;
  // The closing "-->" begins at least four bytes after the "<": "<!---->" is the shortest.
  std::size_t close = OrgText.find("-->", start + 4);
  if (close == TRVRawByteString::npos) {
    // Unterminated: the last two bytes are read again as text.
    P = OrgText.size() >= 2 ? std::max(start + 1, OrgText.size() - 2) : OrgText.size();
    FTagName = Decode(start, OrgText.size());
    return;
  }
  P = close + 3;
  FTagName = Decode(start, P);
}

void THtmlParser::ReadTag() {
  const std::size_t n = OrgText.size();
  ClearTagParams();
  FCurrBlock = cbTag;
  ++P;  // "<"
  std::size_t nameStart = P;
  if (P < n) ++P;  // the first byte of the name, whatever it is
  while (P < n && !IsBlankByte(OrgText[P]) && OrgText[P] != '/' && OrgText[P] != '>') ++P;
  FTagName = Decode(nameStart, P);
  if (P < n && IsBlankByte(OrgText[P])) {
    while (P < n && OrgText[P] != '>') {
      while (P < n && IsBlankByte(OrgText[P])) ++P;
      if (P >= n || OrgText[P] == '>') break;
      std::size_t s = P;
      while (P < n && !IsBlankByte(OrgText[P]) && OrgText[P] != '=' && OrgText[P] != '>') ++P;
      TRVUnicodeString name = Decode(s, P);
      TRVUnicodeString value;
      while (P < n && IsBlankByte(OrgText[P])) ++P;
      if (P < n && OrgText[P] == '=') {
        ++P;
        while (P < n && IsBlankByte(OrgText[P])) ++P;
        if (P < n && (OrgText[P] == '"' || OrgText[P] == '\'')) {
          char q = OrgText[P++];
          s = P;
          while (P < n && OrgText[P] != q) ++P;
          value = Decode(s, P);
          if (P < n) ++P;
        } else {
          s = P;
          while (P < n && !IsBlankByte(OrgText[P]) && OrgText[P] != '>') ++P;
          value = Decode(s, P);
        }
        if (P < n && OrgText[P] == ' ') ++P;
      }
      AddTagParam(name, value);
    }
  }
  if (P < n && OrgText[P] == '/') ++P;
  if (P < n && OrgText[P] == '>') ++P;
}

void THtmlParser::ReadText() {
  const std::size_t n = OrgText.size();
  std::size_t s = P;
  while (P < n && OrgText[P] != '<' && OrgText[P] != '\n') ++P;
  if (P < n && OrgText[P] == '\n') {
    ++P;
    ++FCurrLine;
  }
  const TRVUnicodeString text = Decode(s, P);
  // A reference needs a ";" later in the block: past the last one, no "&" opens one.
  const std::size_t lastSemicolon = text.rfind(u';');
  TRVUnicodeString result;
  result.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    WideChar c = text[i];
    if (FRemoveSpaces && IsBlankChar(c)) {
      while (i < text.size() && IsBlankChar(text[i])) ++i;
      result += u' ';
      continue;
    }
    if (c == u'&' && lastSemicolon != TRVUnicodeString::npos && lastSemicolon > i) {
      std::size_t semi = text.find(u';', i + 1);
      result += DecodeEntity(text.substr(i + 1, semi - i - 1));
      i = semi + 1;
      continue;
    }
    result += c;
    ++i;
  }
  if (FRemoveSpaces && !text.empty() && IsBlankChar(text[0]) && FLastWasSpace && !result.empty() && result[0] == u' ')
    result.erase(0, 1);
  if (!result.empty()) FLastWasSpace = result.back() == u' ';
  if (!FRemoveSpaces) {
    std::size_t w = 0;
    for (std::size_t r = 0; r < result.size(); ++r) {
      if (result[r] == u'\r' && r + 1 < result.size() && result[r + 1] == u'\n') {
        result[w++] = u'\r';
        ++r;
      } else
        result[w++] = result[r];
    }
    result.resize(w);
  }
  FTagName = std::move(result);
  ClearTagParams();
  FCurrBlock = cbText;
}

TRVUnicodeString THtmlParser::GetTagParam(const TRVUnicodeString& Name, bool LowerCase) const {
  for (int i = 0; i < FTagParamCount; ++i)
    if (FTagParamNames[i] == Name) return LowerCase ? LowerCaseUnicode(FTagParamValues[i]) : FTagParamValues[i];
  return {};
}

int THtmlParser::GetTagParamInt(const TRVUnicodeString& Name, int DefValue) const {
  for (int i = 0; i < FTagParamCount; ++i)
    if (FTagParamNames[i] == Name) return StrToIntDef(FTagParamValues[i], DefValue);
  return DefValue;
}

void THtmlParser::AddTagParam(const TRVUnicodeString& Name, const TRVUnicodeString& Value) {
  if (FTagParamCount == static_cast<int>(FTagParamNames.size())) {
    FTagParamNames.resize(FTagParamCount + 5);
    FTagParamValues.resize(FTagParamCount + 5);
  }
  FTagParamNames[FTagParamCount] = LowerCaseUnicode(Name);
  FTagParamValues[FTagParamCount] = Value;
  ++FTagParamCount;
}

TRVUnicodeString THtmlParser::DecodeEntity(const TRVUnicodeString& Name) {
  if (!Name.empty() && Name[0] == u'#') {
    std::u16string_view digits(Name);
    digits.remove_prefix(1);
    int base = 10;
    if (!digits.empty() && (digits[0] == u'x' || digits[0] == u'X')) {
      base = 16;
      digits.remove_prefix(1);
    }
    DWORD code = 0;
    // 0, an unreadable number and a number past the last code point stay as written.
    if (!ReadReferenceNumber(digits, base, code) || code == 0 || code > 0x10FFFF) return u"&" + Name + u";";
    // A lone surrogate is no character: it would corrupt the text when saved.
    if (code >= 0xD800 && code <= 0xDFFF) return TRVUnicodeString(1, WideChar(0xFFFD));
    return CodePointToUTF16(code);
  }
  if (Name.size() <= 16) {
    char key[17];
    bool ascii = true;
    for (std::size_t i = 0; i < Name.size(); ++i) {
      if (Name[i] >= 128) ascii = false;
      key[i] = static_cast<char>(Name[i]);
    }
    key[Name.size()] = 0;
    if (ascii) {
      const auto& table = EntityTable();
      auto it = std::lower_bound(table.begin(), table.end(), key,
                                 [](const TCTableEntry& e, const char* k) { return std::strcmp(e.CData, k) < 0; });
      if (it != table.end() && std::strcmp(it->CData, key) == 0) return CodePointToUTF16(it->CChar);
    }
  }
  return u"&" + Name + u";";
}

TRVUnicodeString THtmlParser::ReplaceEntities(const TRVUnicodeString& Text) {
  auto isAlnum = [](WideChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
  };
  TRVUnicodeString result;
  result.reserve(Text.size());
  std::size_t i = 0;
  while (i < Text.size()) {
    if (Text[i] == u'&') {
      std::size_t j = i + 1;
      while (j < Text.size() && isAlnum(Text[j])) ++j;
      if (j > i + 1 && j < Text.size() && Text[j] == u';') {
        result += DecodeEntity(Text.substr(i + 1, j - i - 1));
        i = j + 1;
        continue;
      }
      // The letters scanned cannot open a reference: copy them at once.
      result.append(Text, i, j - i);
      i = j;
      continue;
    }
    result += Text[i++];
  }
  return result;
}
