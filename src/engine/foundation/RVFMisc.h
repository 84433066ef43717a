// Building blocks of the native format's reader and writer: lines and raw text, the hexadecimal
// form of binary data, length-prefixed blocks, embedded components, the tokens of a header line
// and the string encoding (UTF-8 with CR and LF escaped as the bytes 1 and 2, so that a value
// never breaks its line).
//
// Header-line readers take a pointer into a NUL-ended line and move it past what they read.
#pragma once

#include <functional>
#include <memory>

#include "engine/foundation/RVTypes.h"
#include "engine/foundation/RVUni.h"
#include "platform/base/Classes.h"
#include "platform/base/ComponentStream.h"
#include "platform/base/Persistent.h"

class TGraphic;

// The writer used for components embedded in documents; it behaves as the plain writer.
class TRVWriter : public TWriter {
 public:
  using TWriter::TWriter;
};

// When set, embedded components are written without their children. Nothing in the program
// sets it.
extern bool RVFIgnoreControlChildren;

// ---- writing --------------------------------------------------------------------------------

void WriteRVFAnsi(TStream* Stream, const TRVRawByteString& S);
// UTF-16 code units, 2 bytes each, little-endian.
void WriteRVFUnicode(TStream* Stream, const TRVUnicodeString& S);
// S, then CR LF.
void WriteRVFLine(TStream* Stream, const TRVRawByteString& S);
// S holds text bytes (UTF-16LE when Unicode). NUL characters become "?"; Unicode with Hex writes
// the hexadecimal form; every form ends with CR LF except Unicode without Hex, which ends with
// U+2029 (the bytes 29 20).
void WriteRVFItemTextLine(TStream* Stream, const TRVRawByteString& S, bool Unicode, bool Hex);
// 4-byte little-endian size of Source, then its whole content (size 0 for nil).
void WriteStreamWithSize(TMemoryStream* Source, TStream* Stream);
// A 4-byte size, then the picture in its own stream format (nothing for nil); the size is filled
// in afterwards and the position returns to the end.
void WriteGraphicWithSize(TStream* Stream, TGraphic* Graphic);
// A 4-byte size, then the component written through TRVWriter (nothing for nil); the size is
// filled in afterwards and the position returns to the end.
void WriteControlWithSize(TStream* Stream, TComponent* Control);

// ---- hexadecimal and raw strings ------------------------------------------------------------

// Two upper-case digits per byte, most significant first.
TRVRawByteString StreamToHex(TMemoryStream* Stream);
TRVRawByteString AnsiToHex(const TRVRawByteString& S);
// Sizes Stream to half the length of Hex and decodes into it (position 0 afterwards). False for
// an odd length (Stream untouched) or at the first pair that is not two hex digits (decoding
// stops there; the rest of the stream is zero).
bool HexToStream(const TRVRawByteString& Hex, TMemoryStream* Stream);
// Empty for an odd length; decoding stops at the first bad pair.
TRVRawByteString HexToAnsi(const TRVRawByteString& Hex);
// Four upper-case digits per UTF-16 code unit, most significant first.
TRVRawByteString UnicodeToHexAnsi(const TRVUnicodeString& S);
TRVUnicodeString UnicodeToHexUnicode(const TRVUnicodeString& S);
// Groups of four digits (either case) into code units. False, with S empty, when the length is
// not a multiple of 4 or a digit is bad.
bool HexToUnicode(const TRVRawByteString& Hex, TRVUnicodeString& S);
bool HexToUnicode(const TRVUnicodeString& Hex, TRVUnicodeString& S);
// A new stream holding the bytes of S, at position 0.
std::unique_ptr<TMemoryStream> AnsiToMemoryStream(const TRVRawByteString& S);

// ---- pictures -------------------------------------------------------------------------------

// The picture's stream form in hexadecimal, or as bytes; empty for nil.
TRVRawByteString GraphicToHex(TGraphic* Graphic);
TRVRawByteString GraphicToBinaryString(TGraphic* Graphic);
// Decodes and loads into Graphic; the picture is loaded even when decoding failed (from what was
// decoded). The result is the decoding's; it is false too when the picture refuses the data.
bool LoadGraphicFromHex(const TRVRawByteString& Hex, TGraphic* Graphic);
// Decodes and lets the graphic handler make a picture of the detected kind; nil when it cannot.
std::unique_ptr<TGraphic> CreateGraphicFromHex(const TRVRawByteString& Hex);
bool LoadGraphicFromBinaryString(const TRVRawByteString& S, TGraphic* Graphic);
std::unique_ptr<TGraphic> CreateGraphicFromBinaryString(const TRVRawByteString& S);
// A 4-byte length and that many bytes from Stream, then load or create. A length the stream does
// not hold gives false or nil, with Stream after what could be read.
bool LoadGraphicFromSizedStream(TStream* Stream, TGraphic* Graphic);
std::unique_ptr<TGraphic> CreateGraphicFromSizedStream(TStream* Stream);

// ---- embedded components --------------------------------------------------------------------

// The component written by TRVWriter, in hexadecimal.
TRVRawByteString ControlToHex(TComponent* Control);
// Reads a component written by ControlToHex. When ClassName is not empty, Control is replaced by
// a new instance of the class registered under that name; when it is empty and Control is nil,
// the stream's class is made. A component with a parent gets Parent before and after reading.
// OnError is the reader's error hook. False on bad hexadecimal or any failure while making or
// reading the component; Control is then nil.
bool LoadControlFromHex(const TRVRawByteString& Hex, std::unique_ptr<TComponent>& Control,
                        const TRVUnicodeString& ClassName, const TReaderError& OnError, TComponent* Parent);
bool LoadControlFromBinaryString(const TRVRawByteString& S, std::unique_ptr<TComponent>& Control,
                                 const TRVUnicodeString& ClassName, const TReaderError& OnError,
                                 TComponent* Parent);

// ---- header tokens --------------------------------------------------------------------------

// Up to a space or the end; one following space is skipped. False when the word is empty.
bool ReadRVFWord(const char*& P, TRVRawByteString& S);
// An optional "-" and decimal digits ended by a space (skipped) or the end; a lone "-" is 0.
// False, with P unchanged, for anything else, and for a value outside the 32-bit range.
bool ReadRVFInteger(const char*& P, int& N);
bool ReadRVFIntegerW(const char16_t*& P, int& N);
// A double-quoted string whose doubled quotes stand for one; P moves past the closing quote and
// one following space. Empty, with P unchanged, when the text does not start with a quote.
void ReadRVFQuoted(const char*& P, TRVRawByteString& S);
// A quoted string (when QuotesAllowed and the field starts with a quote) or a word, decoded with
// DecodeRVFString. A bare "0" gives the empty string. False for an empty word.
bool ReadRVFStringField(const char*& P, bool TagsArePChars, bool QuotesAllowed, TRVCodePage CodePage, bool UTF8,
                        TRVUnicodeString& S);
// A style reference: a decimal index (NameUsed false), or a quoted name decoded with CodePage or
// UTF-8 and turned into an index by IndexOfName, which answers 0 for an unknown name (NameUsed
// true). The style sheet's typed readers are built on it.
bool ReadRVFStyleRef(const char*& P, const std::function<int(const TRVUnicodeString&)>& IndexOfName,
                     TRVCodePage CodePage, int& StyleNo, bool& NameUsed, bool UTF8);

// ---- header encoders ------------------------------------------------------------------------

// "0" for an empty S; otherwise S double-quoted with inner quotes doubled, then EncodeRVFString.
TRVRawByteString EncodeRVFStringField(bool TagsArePChars, const TRVUnicodeString& S);
// A style name double-quoted (inner quotes doubled) in UTF-8, line breaks not escaped: the named
// form of a style reference.
TRVRawByteString EncodeRVFQuotedStyleName(const TRVUnicodeString& Name);

// ---- string encoding ------------------------------------------------------------------------

TRVRawByteString EscapeRVFLineBreaks(const TRVRawByteString& S);
TRVRawByteString UnescapeRVFLineBreaks(const TRVRawByteString& S);
TRVRawByteString EncodeRVFString(const TRVUnicodeString& S);
// Unescapes, then decodes UTF-8 (UTF8) or converts from CodePage.
TRVUnicodeString DecodeRVFString(const TRVRawByteString& S, bool UTF8, TRVCodePage CodePage);
TRVUnicodeString DecodeRVFStringRTL(const TRVRawByteString& S, bool UTF8, TRVCodePage CodePage);
