#include "engine/foundation/RVOOXMLFuncs.h"

#include <type_traits>

#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVFuncs.h"
#include "platform/base/SysUtils.h"

bool DocXHyperlinksAsFields = false;

namespace {
// The entity for an XML special character; quotes only when asked (texts need none, attribute
// values do).
const char* XmlEntity(char32_t c, bool quotes) {
  switch (c) {
    case '&': return "&amp;";
    case '>': return "&gt;";
    case '<': return "&lt;";
    case '"': return quotes ? "&quot;" : nullptr;
    case '\'': return quotes ? "&apos;" : nullptr;
    default: return nullptr;
  }
}

template <typename S>
void AppendEscaped(S& out, typename S::value_type c, bool quotes) {
  const char* e = XmlEntity(static_cast<std::make_unsigned_t<typename S::value_type>>(c), quotes);
  if (!e) {
    out += c;
    return;
  }
  for (; *e; ++e) out += static_cast<typename S::value_type>(*e);
}

// UTF-8 with control characters replaced and XML special characters escaped.
TRVAnsiString EncodeUtf8(const TRVUnicodeString& Text, bool Quotes) {
  const std::string utf8 = UnicodeToUtf8(ReplaceControlChars(Text));
  TRVAnsiString r;
  r.reserve(utf8.size());
  for (char c : utf8) AppendEscaped(r, c, Quotes);
  return r;
}
}  // namespace

TRVAnsiString GetOOXMLColorStr(TColor Color, bool Auto) {
  if (Auto && (Color == clWindowText || Color == clNone)) return "auto";
  const COLORREF c = static_cast<COLORREF>(RVColorToRGB(Color));
  return AnsiToHex({static_cast<char>(GetRValue(c)), static_cast<char>(GetGValue(c)),
                    static_cast<char>(GetBValue(c))});
}

TRVAnsiString OOXMLEncodeText(const TRVUnicodeString& Text) { return EncodeUtf8(Text, false); }

TRVUnicodeString OOXMLEscapeUnicodeText(const TRVUnicodeString& Text) {
  TRVUnicodeString r;
  r.reserve(Text.size());
  for (char16_t c : Text) AppendEscaped(r, c, true);
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

// The name stands in attribute values, so its quotes are escaped too.
void OOXMLRFontsElement(const TRVUnicodeString& FontName, TRVAnsiString& Output) {
  const TRVAnsiString f = EncodeUtf8(FontName, true);
  Output += "<w:rFonts w:ascii=\"" + f + "\" w:hAnsi=\"" + f + "\" w:cs =\"" + f + "\" w:eastAsia=\"" + f + "\"/>";
}

void OOXMLWriteDrawing(TStream& Stream, const TRVAnsiString& Name, const TRVAnsiString& RelId, TColor FillColor,
                       TColor /*BorderColor*/, int BorderWidth, int DrawingIndex, int HSpacing, int VSpacing,
                       TRVVAlign VAlign, int Height, int Width, const TRVUnicodeString& Alt) {
  const std::string id = std::to_string(DrawingIndex);
  const std::string w = std::to_string(Width), h = std::to_string(Height), b = std::to_string(BorderWidth);
  const std::string dist = "distT=\"" + std::to_string(VSpacing) + "\" distB=\"" + std::to_string(VSpacing) +
                           "\" distL=\"" + std::to_string(HSpacing) + "\" distR=\"" + std::to_string(HSpacing) + "\"";
  const bool anchored = VAlign == rvvaLeft || VAlign == rvvaRight;
  std::string x = "<w:drawing>";
  if (anchored) {
    x += "<wp:anchor " + dist +
         " simplePos=\"0\" relativeHeight=\"0\" behindDoc=\"0\" locked=\"0\" layoutInCell=\"1\" "
         "allowOverlap=\"1\"><wp:simplePos x=\"0\" y=\"0\"/><wp:positionH relativeFrom=\"column\"><wp:align>" +
         std::string(VAlign == rvvaLeft ? "left" : "right") +
         "</wp:align></wp:positionH><wp:positionV relativeFrom=\"paragraph\"><wp:posOffset>0</wp:posOffset>"
         "</wp:positionV>";
  } else {
    x += "<wp:inline " + dist + ">";
  }
  x += "<wp:extent cx=\"" + w + "\" cy=\"" + h + "\"/><wp:effectExtent l=\"" + b + "\" t=\"" + b + "\" r=\"" + b +
       "\" b=\"" + b + "\"/>";
  if (anchored) x += "<wp:wrapSquare wrapText=\"" + std::string(VAlign == rvvaLeft ? "right" : "left") + "\"/>";
  x += "<wp:docPr id=\"" + id + "\" name=\"Pic " + id + "\"";
  if (!Alt.empty()) x += " title=\"" + UnicodeToUtf8(OOXMLEscapeUnicodeText(Alt)) + "\"";
  x += "/><wp:cNvGraphicFramePr><a:graphicFrameLocks "
       "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" noChangeAspect=\"1\"/>"
       "</wp:cNvGraphicFramePr><a:graphic xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">"
       "<a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
       "<pic:pic xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><pic:nvPicPr>"
       "<pic:cNvPr id=\"" + id + "\" name=\"" + OOXMLEscapeAnsiText(Name, true, true) +
       "\"/><pic:cNvPicPr/></pic:nvPicPr><pic:blipFill><a:blip r:embed=\"" + OOXMLEscapeAnsiText(RelId, true, true) +
       "\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill><pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/>"
       "<a:ext cx=\"" + w + "\" cy=\"" + h + "\"/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom>";
  if (FillColor != clNone) x += "<a:solidFill><a:srgbClr val=\"" + GetOOXMLColorStr(FillColor, false) + "\"/></a:solidFill>";
  x += "</pic:spPr></pic:pic></a:graphicData></a:graphic>";
  x += anchored ? "</wp:anchor>" : "</wp:inline>";
  x += "</w:drawing>";
  Stream.WriteBuffer(x.data(), static_cast<std::int64_t>(x.size()));
}
