#include "engine/foundation/RVFMisc.h"

#include <cstdint>
#include <cstring>

#include "engine/foundation/RVError.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/foundation/RVUni.h"
#include "platform/graphics/Pictures.h"

bool RVFIgnoreControlChildren = false;

namespace {

const char HexDigits[] = "0123456789ABCDEF";

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

void WriteSizeAt(TStream* Stream, std::int64_t sizePos, std::int64_t end) {
  const std::int32_t size = static_cast<std::int32_t>(end - sizePos - 4);
  Stream->Seek(sizePos, soBeginning);
  Stream->WriteBuffer(&size, 4);
  Stream->Seek(end, soBeginning);
}

// Decodes Hex into out (one byte per pair); false at the first bad pair.
bool DecodeHexBytes(const char* hex, std::size_t pairs, std::uint8_t* out) {
  for (std::size_t i = 0; i < pairs; ++i) {
    const int hi = HexValue(static_cast<unsigned char>(hex[2 * i]));
    const int lo = HexValue(static_cast<unsigned char>(hex[2 * i + 1]));
    if (hi < 0 || lo < 0) return false;
    out[i] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  return true;
}

template <typename Char>
bool ReadInteger(const Char*& P, int& N) {
  const Char* p = P;
  bool negative = false;
  if (*p == '-') {
    negative = true;
    ++p;
  } else if (!(*p >= '0' && *p <= '9')) {
    return false;
  }
  // Values beyond the 32-bit range are refused rather than wrapped: a damaged count must not
  // turn into another plausible number.
  std::uint64_t v = 0;
  const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
  while (*p >= '0' && *p <= '9') {
    v = v * 10u + static_cast<std::uint64_t>(*p - '0');
    if (v > limit) return false;
    ++p;
  }
  if (*p == ' ')
    ++p;
  else if (*p != 0)
    return false;
  N = negative ? static_cast<int>(-static_cast<std::int64_t>(v)) : static_cast<int>(v);
  P = p;
  return true;
}

TRVRawByteString QuoteDoubled(const TRVRawByteString& s) {
  TRVRawByteString r = "\"";
  for (char c : s) {
    if (c == '"') r += '"';
    r += c;
  }
  r += '"';
  return r;
}

}  // namespace

// ---- writing --------------------------------------------------------------------------------

void WriteRVFAnsi(TStream* Stream, const TRVRawByteString& S) {
  Stream->WriteBuffer(S.data(), static_cast<std::int64_t>(S.size()));
}

void WriteRVFUnicode(TStream* Stream, const TRVUnicodeString& S) {
  WriteRVFAnsi(Stream, UnicodeToUtf16LE(S));
}

void WriteRVFLine(TStream* Stream, const TRVRawByteString& S) {
  WriteRVFAnsi(Stream, S);
  WriteRVFAnsi(Stream, "\r\n");
}

void WriteRVFItemTextLine(TStream* Stream, const TRVRawByteString& S, bool Unicode, bool Hex) {
  TRVRawByteString text = S;
  if (Unicode) {
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
      if (text[i] == 0 && text[i + 1] == 0) text[i] = '?';
  } else {
    for (char& c : text)
      if (c == 0) c = '?';
  }
  if (Unicode && Hex) {
    WriteRVFLine(Stream, AnsiToHex(text));
  } else if (Unicode) {
    WriteRVFAnsi(Stream, text);
    WriteRVFAnsi(Stream, std::string("\x29\x20", 2));
  } else {
    WriteRVFLine(Stream, text);
  }
}

void WriteStreamWithSize(TMemoryStream* Source, TStream* Stream) {
  const std::int32_t size = Source ? static_cast<std::int32_t>(Source->GetSize()) : 0;
  Stream->WriteBuffer(&size, 4);
  if (size > 0) Stream->WriteBuffer(Source->Memory(), size);
}

void WriteGraphicWithSize(TStream* Stream, TGraphic* Graphic) {
  const std::int64_t sizePos = Stream->GetPosition();
  const std::int32_t placeholder = 0;
  Stream->WriteBuffer(&placeholder, 4);
  if (Graphic) Graphic->SaveToStream(*Stream);
  WriteSizeAt(Stream, sizePos, Stream->GetPosition());
}

void WriteControlWithSize(TStream* Stream, TComponent* Control) {
  const std::int64_t sizePos = Stream->GetPosition();
  const std::int32_t placeholder = 0;
  Stream->WriteBuffer(&placeholder, 4);
  if (Control) {
    TRVWriter writer(*Stream, 4096);
    writer.IgnoreChildren = RVFIgnoreControlChildren;
    writer.WriteRootComponent(Control);
  }
  WriteSizeAt(Stream, sizePos, Stream->GetPosition());
}

// ---- hexadecimal and raw strings ------------------------------------------------------------

TRVRawByteString StreamToHex(TMemoryStream* Stream) {
  if (!Stream) return {};
  return AnsiToHex(TRVRawByteString(static_cast<const char*>(Stream->Memory()),
                                    static_cast<std::size_t>(Stream->GetSize())));
}

TRVRawByteString AnsiToHex(const TRVRawByteString& S) {
  TRVRawByteString r(S.size() * 2, '0');
  for (std::size_t i = 0; i < S.size(); ++i) {
    const auto b = static_cast<unsigned char>(S[i]);
    r[2 * i] = HexDigits[b >> 4];
    r[2 * i + 1] = HexDigits[b & 15];
  }
  return r;
}

bool HexToStream(const TRVRawByteString& Hex, TMemoryStream* Stream) {
  if (Hex.size() % 2 != 0) return false;
  const std::size_t n = Hex.size() / 2;
  Stream->SetSize(static_cast<std::int64_t>(n));
  auto* out = static_cast<std::uint8_t*>(Stream->Memory());
  if (n > 0) std::memset(out, 0, n);
  Stream->SetPosition(0);
  return DecodeHexBytes(Hex.data(), n, out);
}

TRVRawByteString HexToAnsi(const TRVRawByteString& Hex) {
  if (Hex.size() % 2 != 0) return {};
  TRVRawByteString r;
  r.reserve(Hex.size() / 2);
  for (std::size_t i = 0; i + 1 < Hex.size(); i += 2) {
    std::uint8_t b = 0;
    if (!DecodeHexBytes(Hex.data() + i, 1, &b)) break;
    r += static_cast<char>(b);
  }
  return r;
}

TRVRawByteString UnicodeToHexAnsi(const TRVUnicodeString& S) {
  TRVRawByteString r(S.size() * 4, '0');
  for (std::size_t i = 0; i < S.size(); ++i)
    for (int d = 0; d < 4; ++d) r[4 * i + static_cast<std::size_t>(d)] = HexDigits[(S[i] >> (12 - 4 * d)) & 15];
  return r;
}

TRVUnicodeString UnicodeToHexUnicode(const TRVUnicodeString& S) {
  const TRVRawByteString a = UnicodeToHexAnsi(S);
  return TRVUnicodeString(a.begin(), a.end());
}

bool HexToUnicode(const TRVUnicodeString& Hex, TRVUnicodeString& S) {
  S.clear();
  if (Hex.size() % 4 != 0) return false;
  TRVUnicodeString r(Hex.size() / 4, u'\0');
  for (std::size_t i = 0; i < r.size(); ++i) {
    unsigned v = 0;
    for (std::size_t d = 0; d < 4; ++d) {
      const int h = HexValue(Hex[4 * i + d]);
      if (h < 0) return false;
      v = v * 16 + static_cast<unsigned>(h);
    }
    r[i] = static_cast<char16_t>(v);
  }
  S = std::move(r);
  return true;
}

bool HexToUnicode(const TRVRawByteString& Hex, TRVUnicodeString& S) {
  TRVUnicodeString wide(Hex.size(), u'\0');
  for (std::size_t i = 0; i < Hex.size(); ++i) wide[i] = static_cast<unsigned char>(Hex[i]);
  return HexToUnicode(wide, S);
}

std::unique_ptr<TMemoryStream> AnsiToMemoryStream(const TRVRawByteString& S) {
  auto ms = std::make_unique<TMemoryStream>();
  ms->WriteBuffer(S.data(), static_cast<std::int64_t>(S.size()));
  ms->SetPosition(0);
  return ms;
}

// ---- pictures -------------------------------------------------------------------------------

namespace {

bool LoadGraphic(TMemoryStream& data, TGraphic* Graphic) {
  if (!Graphic) return false;
  data.SetPosition(0);
  try {
    Graphic->LoadFromStream(data);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::unique_ptr<TGraphic> CreateGraphic(TMemoryStream& data) {
  data.SetPosition(0);
  return GraphicHandler ? GraphicHandler->LoadFromStream(data) : nullptr;
}

// Reads the length and the bytes of a sized block; false when the stream does not hold them.
bool ReadSizedBlock(TStream* Stream, TMemoryStream& data) {
  std::int32_t size = 0;
  if (Stream->Read(&size, 4) != 4 || size < 0 || size > Stream->GetSize() - Stream->GetPosition()) return false;
  data.SetSize(size);
  return Stream->Read(data.Memory(), size) == size;
}

}  // namespace

TRVRawByteString GraphicToBinaryString(TGraphic* Graphic) {
  if (!Graphic) return {};
  TMemoryStream ms;
  Graphic->SaveToStream(ms);
  return TRVRawByteString(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

TRVRawByteString GraphicToHex(TGraphic* Graphic) { return AnsiToHex(GraphicToBinaryString(Graphic)); }

bool LoadGraphicFromHex(const TRVRawByteString& Hex, TGraphic* Graphic) {
  TMemoryStream ms;
  const bool decoded = HexToStream(Hex, &ms);
  const bool loaded = LoadGraphic(ms, Graphic);
  return decoded && loaded;
}

std::unique_ptr<TGraphic> CreateGraphicFromHex(const TRVRawByteString& Hex) {
  TMemoryStream ms;
  HexToStream(Hex, &ms);
  return CreateGraphic(ms);
}

bool LoadGraphicFromBinaryString(const TRVRawByteString& S, TGraphic* Graphic) {
  std::unique_ptr<TMemoryStream> ms = AnsiToMemoryStream(S);
  return LoadGraphic(*ms, Graphic);
}

std::unique_ptr<TGraphic> CreateGraphicFromBinaryString(const TRVRawByteString& S) {
  std::unique_ptr<TMemoryStream> ms = AnsiToMemoryStream(S);
  return CreateGraphic(*ms);
}

bool LoadGraphicFromSizedStream(TStream* Stream, TGraphic* Graphic) {
  TMemoryStream ms;
  return ReadSizedBlock(Stream, ms) && LoadGraphic(ms, Graphic);
}

std::unique_ptr<TGraphic> CreateGraphicFromSizedStream(TStream* Stream) {
  TMemoryStream ms;
  if (!ReadSizedBlock(Stream, ms)) return nullptr;
  return CreateGraphic(ms);
}

// ---- embedded components --------------------------------------------------------------------

TRVRawByteString ControlToHex(TComponent* Control) {
  TMemoryStream ms;
  if (Control) {
    TRVWriter writer(ms, 4096);
    writer.IgnoreChildren = RVFIgnoreControlChildren;
    writer.WriteRootComponent(Control);
  }
  return StreamToHex(&ms);
}

bool LoadControlFromBinaryString(const TRVRawByteString& S, std::unique_ptr<TComponent>& Control,
                                 const TRVUnicodeString& ClassName, const TReaderError& OnError,
                                 TComponent* Parent) {
  try {
    if (!ClassName.empty()) {
      const TClassInfo& cls = FindClass(ClassName);
      std::unique_ptr<TPersistent> made = cls.Create ? cls.Create() : nullptr;
      auto* c = dynamic_cast<TComponent*>(made.get());
      if (!c) {
        Control.reset();
        return false;
      }
      made.release();
      Control.reset(c);
    }
    if (Control && Control->HasParent()) Control->SetParentComponent(Parent);
    std::unique_ptr<TMemoryStream> ms = AnsiToMemoryStream(S);
    TReader reader(*ms, 4096);
    reader.OnError = OnError;
    TComponent* read = reader.ReadRootComponent(Control.get());
    if (!Control) Control.reset(read);
    if (Control->HasParent()) Control->SetParentComponent(Parent);
    return true;
  } catch (...) {
    RVRethrowUnlessDataError();
    Control.reset();
    return false;
  }
}

bool LoadControlFromHex(const TRVRawByteString& Hex, std::unique_ptr<TComponent>& Control,
                        const TRVUnicodeString& ClassName, const TReaderError& OnError, TComponent* Parent) {
  if (Hex.size() % 2 != 0) {
    Control.reset();
    return false;
  }
  TRVRawByteString bytes(Hex.size() / 2, '\0');
  if (!DecodeHexBytes(Hex.data(), bytes.size(), reinterpret_cast<std::uint8_t*>(bytes.data()))) {
    Control.reset();
    return false;
  }
  return LoadControlFromBinaryString(bytes, Control, ClassName, OnError, Parent);
}

// ---- header tokens --------------------------------------------------------------------------

bool ReadRVFWord(const char*& P, TRVRawByteString& S) {
  const char* start = P;
  while (*P != 0 && *P != ' ') ++P;
  S.assign(start, static_cast<std::size_t>(P - start));
  if (*P == ' ') ++P;
  return !S.empty();
}

bool ReadRVFInteger(const char*& P, int& N) { return ReadInteger(P, N); }

bool ReadRVFIntegerW(const char16_t*& P, int& N) { return ReadInteger(P, N); }

void ReadRVFQuoted(const char*& P, TRVRawByteString& S) {
  S.clear();
  if (*P != '"') return;
  ++P;
  while (*P != 0) {
    if (*P == '"') {
      if (P[1] == '"') {
        S += '"';
        P += 2;
        continue;
      }
      ++P;
      break;
    }
    S += *P++;
  }
  if (*P == ' ') ++P;
}

bool ReadRVFStringField(const char*& P, bool /*TagsArePChars*/, bool QuotesAllowed, TRVCodePage CodePage, bool UTF8,
                        TRVUnicodeString& S) {
  // An empty field ("0", as the writer writes it) is the common case; in UTF-8 it decodes to "0",
  // which stands for the empty string.
  if (UTF8 && P[0] == '0' && (P[1] == ' ' || P[1] == 0)) {
    P += P[1] == ' ' ? 2 : 1;
    S.clear();
    return true;
  }
  TRVRawByteString raw;
  if (QuotesAllowed && *P == '"') {
    ReadRVFQuoted(P, raw);
    S = DecodeRVFString(raw, UTF8, CodePage);
    return true;
  }
  if (!ReadRVFWord(P, raw)) return false;
  S = DecodeRVFString(raw, UTF8, CodePage);
  if (S == u"0") S.clear();
  return true;
}

bool ReadRVFStyleRef(const char*& P, const std::function<int(const TRVUnicodeString&)>& IndexOfName,
                     TRVCodePage CodePage, int& StyleNo, bool& NameUsed, bool UTF8) {
  if (*P == '"') {
    TRVRawByteString raw;
    ReadRVFQuoted(P, raw);
    StyleNo = IndexOfName ? IndexOfName(DecodeRVFString(raw, UTF8, CodePage)) : 0;
    NameUsed = true;
    return true;
  }
  NameUsed = false;
  return ReadRVFInteger(P, StyleNo);
}

// ---- header encoders ------------------------------------------------------------------------

TRVRawByteString EncodeRVFStringField(bool /*TagsArePChars*/, const TRVUnicodeString& S) {
  if (S.empty()) return "0";
  return EscapeRVFLineBreaks(QuoteDoubled(UnicodeToUtf8(S)));
}

TRVRawByteString EncodeRVFQuotedStyleName(const TRVUnicodeString& Name) { return QuoteDoubled(UnicodeToUtf8(Name)); }

// ---- string encoding ------------------------------------------------------------------------

TRVRawByteString EscapeRVFLineBreaks(const TRVRawByteString& S) {
  TRVRawByteString r = S;
  for (char& c : r) {
    if (c == '\r')
      c = '\x01';
    else if (c == '\n')
      c = '\x02';
  }
  return r;
}

TRVRawByteString UnescapeRVFLineBreaks(const TRVRawByteString& S) {
  TRVRawByteString r = S;
  for (char& c : r) {
    if (c == '\x01')
      c = '\r';
    else if (c == '\x02')
      c = '\n';
  }
  return r;
}

TRVRawByteString EncodeRVFString(const TRVUnicodeString& S) { return EscapeRVFLineBreaks(UnicodeToUtf8(S)); }

TRVUnicodeString DecodeRVFString(const TRVRawByteString& S, bool UTF8, TRVCodePage CodePage) {
  const TRVRawByteString raw = UnescapeRVFLineBreaks(S);
  return UTF8 ? UTF8ToUnicode(raw) : AnsiToUnicodeCP(CodePage, raw);
}

TRVUnicodeString DecodeRVFStringRTL(const TRVRawByteString& S, bool UTF8, TRVCodePage CodePage) {
  const TRVRawByteString raw = UnescapeRVFLineBreaks(S);
  return UTF8 ? Utf8ToUnicode(raw) : AnsiToUnicodeCP(CodePage, raw);
}
