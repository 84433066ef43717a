#include "engine/foundation/RVOOXMLFuncs.h"

#include "engine/foundation/RVFuncs.h"
#include "platform/base/SysUtils.h"

bool DocXHyperlinksAsFields = false;

namespace {
void AppendEscaped(TRVAnsiString& out, char c, bool quotes) {
  switch (c) {
    case '&': out += "&amp;"; break;
    case '>': out += "&gt;"; break;
    case '<': out += "&lt;"; break;
    case '"':
      if (quotes) out += "&quot;"; else out += c;
      break;
    case '\'':
      if (quotes) out += "&apos;"; else out += c;
      break;
    default: out += c;
  }
}
}  // namespace

TRVAnsiString GetOOXMLColorStr(TColor Color, bool Auto) {
  if (Auto && (Color == clWindowText || Color == clNone)) return "auto";
  const COLORREF c = static_cast<COLORREF>(RVColorToRGB(Color));
  static const char Digits[] = "0123456789ABCDEF";
  TRVAnsiString r;
  for (BYTE b : {GetRValue(c), GetGValue(c), GetBValue(c)}) {
    r += Digits[b >> 4];
    r += Digits[b & 0xF];
  }
  return r;
}

TRVAnsiString OOXMLEncodeText(const TRVUnicodeString& Text) {
  const std::string utf8 = UnicodeToUtf8(ReplaceControlChars(Text));
  TRVAnsiString r;
  r.reserve(utf8.size());
  for (char c : utf8) AppendEscaped(r, c, false);
  return r;
}

TRVUnicodeString OOXMLEscapeUnicodeText(const TRVUnicodeString& Text) {
  TRVUnicodeString r;
  r.reserve(Text.size());
  for (char16_t c : Text) {
    switch (c) {
      case u'&': r += u"&amp;"; break;
      case u'>': r += u"&gt;"; break;
      case u'<': r += u"&lt;"; break;
      case u'"': r += u"&quot;"; break;
      case u'\'': r += u"&apos;"; break;
      default: r += c;
    }
  }
  return ReplaceControlChars(r);
}

TRVAnsiString OOXMLEscapeAnsiText(const TRVAnsiString& Text, bool EscapeQuotes, bool ReplaceControls) {
  TRVAnsiString r;
  r.reserve(Text.size());
  for (char c : Text) AppendEscaped(r, c, EscapeQuotes);
  return ReplaceControls ? ReplaceControlCharsAnsi(r) : r;
}

void OOXMLBoolElement(const TRVAnsiString& Name, bool Value, TRVAnsiString& Output) {
  Output += Value ? "<w:" + Name + "/>" : "<w:" + Name + " w:val=\"0\"/>";
}

void OOXMLValElement(const TRVAnsiString& Name, const TRVAnsiString& Value, TRVAnsiString& Output) {
  Output += "<w:" + Name + " w:val=\"" + Value + "\"/>";
}

void OOXMLIntValElement(const TRVAnsiString& Name, int Value, TRVAnsiString& Output) {
  OOXMLValElement(Name, std::to_string(Value), Output);
}

void OOXMLColorValElement(const TRVAnsiString& Name, TColor Color, TRVAnsiString& Output) {
  OOXMLValElement(Name, GetOOXMLColorStr(Color, true), Output);
}

void OOXMLRFontsElement(const TRVUnicodeString& FontName, TRVAnsiString& Output) {
  const TRVAnsiString f = OOXMLEncodeText(FontName);
  Output += "<w:rFonts w:ascii=\"" + f + "\" w:hAnsi=\"" + f + "\" w:cs =\"" + f + "\" w:eastAsia=\"" + f + "\"/>";
}
