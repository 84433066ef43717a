// The small routines that turn values into PDF syntax (numbers, references, strings, hexadecimal
// text, colours, dates) and the three containers the writer shares: the list of content lines,
// the bit writer of the image encoders and an owning object list. Everything here produces byte
// strings; numbers never pass through a locale.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/PDFTypes.h"
#include "platform/base/Classes.h"

// ---- numbers and references ---------------------------------------------------------------------

std::string PDFIntToStr(std::int64_t n);
// At most 5 (Precise) or 2 decimals, "." as separator, no trailing zeros, no point without
// decimals. Halves go away from zero on the decimal value the number stands for (12.345 gives
// 12.35), and a value that rounds to zero is written "0", never "-0".
std::string PDFFloatToStr(bool precise, Extended x);
// The same, appended to out (the canvas builds its lines this way).
void AppendPDFFloat(std::string& out, Extended x, bool precise = false);
void AppendPDFInt(std::string& out, std::int64_t n);
std::string PDFObjectRef(int n);
std::string IntToZeroPaddedStr(std::int64_t n, int width);
std::string FormatIntQuad(int a, int b, int c, int d);
// Left, bottom, right, top of an integer rectangle.
std::string PDFRectToStr(const TRect& r);
inline TDoublePoint DoublePoint(Extended x, Extended y) { return {x, y}; }

// ---- strings ------------------------------------------------------------------------------------

std::string PDFEscapeString(std::string_view s);
void AppendPDFEscaped(std::string& out, std::string_view s);
// The bytes of a name object as written after its "/": white space, delimiters, "#" and bytes
// outside the printable ASCII range become "#" and two hexadecimal digits; a zero byte, which no
// name may hold, is left out.
std::string PDFEscapeName(std::string_view s);
// "/" and the escaped bytes.
std::string PDFName(std::string_view s);
// FE FF and the UTF-16 code units, high byte first.
std::string WideToPDFTextString(std::u16string_view w);
// Each code unit encoded by itself (a surrogate becomes three bytes).
std::string UTF16ToUTF8(std::u16string_view w);
std::u16string WideCharsToStr(const char16_t* p, int n);
int AnsiPosFrom(std::string_view sub, std::string_view s, int start);
std::string ReplaceCharByStr(std::string_view s, char c, std::string_view r);
std::string UpperCaseASCII(std::string_view s);
std::string LowerCaseASCII(std::string_view s);
// 0 when every byte is below 0x80; otherwise 1 for the ANSI character set (0), else 2.
int ClassifyTextBytes(BYTE charset, std::string_view s);
// The characters of XML text: & < > " ' as entities (the metadata packet).
std::string XMLEscape(std::string_view utf8);

// ---- hexadecimal --------------------------------------------------------------------------------

std::string ByteToHex(BYTE b);
std::string WordToHex(WORD w);
std::string BytesToHex(const void* p, int n);
std::string StrToHexString(std::string_view s, bool brackets);

// ---- colours ------------------------------------------------------------------------------------

TPDFColor ColorToPDFRGB(TColor c);
TPDFColor GrayColor(Extended g);
std::string PDFColorToStr(const TPDFColor& color);

// ---- time ---------------------------------------------------------------------------------------

// Minutes to add to local time to get UTC at the given local moment.
int TimeZoneBias(TDateTime localTime);
TDateTime LocalToUTC(TDateTime t);
TDateTime NowLocal();
TDateTime NowUTC();
// "yyyymmddhhnnss" and the XMP forms "yyyy-mm-dd", "hh:nn:ss" of a date-time.
std::string FormatPDFDateTime(TDateTime t);
std::string FormatXMPDate(TDateTime t);
std::string FormatXMPTime(TDateTime t);

// ---- code pages ---------------------------------------------------------------------------------

// The engine has its own CharsetToCodePage with other fallbacks; this is the writer's table.
UINT PDFCharsetToCodePage(BYTE charset);

// Whether the first family installed under a face name (at most 31 characters) for a character
// set has TrueType outlines; false for an empty name or a family not installed.
bool IsTrueTypeFontName(const UnicodeString& name, BYTE charset);
// The first installed TrueType family that covers a character set (DEFAULT_CHARSET stands for
// the system's, ANSI here), at most 31 characters; empty when none does.
UnicodeString FindTrueTypeFaceForCharset(BYTE charset);

// ---- bits and geometry --------------------------------------------------------------------------

int BitCount(std::uint32_t v);
int HighestBitIndex(std::uint32_t v);
std::uint32_t HighestPowerOfTwo(std::uint32_t v);
std::uint32_t RotateLeft32(std::uint32_t v, int n);
std::uint32_t ByteSwap32(std::uint32_t v);
std::uint64_t ByteSwap64(std::uint32_t hi, std::uint32_t lo);
TDoublePoint RotatePoint(Extended angle, Extended x, Extended y);
void SwapInts(int& a, int& b);
void SwapExtendeds(Extended& a, Extended& b);
void NormalizeIntRect(int& x1, int& y1, int& x2, int& y2);
void NormalizeExtRect(Extended& x1, Extended& y1, Extended& x2, Extended& y2);
class TBitmap;
// The bitmap mirrored in place: left and right exchanged (horizontal), top and bottom (vertical),
// or both. Every pixel format keeps its format and palette.
void MirrorBitmap(TBitmap& bitmap, bool horizontal, bool vertical);

// ---- the list of byte strings -------------------------------------------------------------------

class TAnsiStringList : public TObject {
 public:
  TAnsiStringList() = default;
  virtual ~TAnsiStringList() = default;

  int Add(std::string s);
  const std::string& Get(int index) const;
  std::string& operator[](int index) { return FList[CheckIndex(index)].FString; }
  virtual TObject* GetObject(int index) const;
  virtual void PutObject(int index, TObject* obj);
  virtual void Delete(int index);
  virtual int IndexOfObject(const TObject* obj) const;
  // For a list the caller keeps sorted (case-insensitive): true on a match.
  virtual bool Find(std::string_view s, int& index) const;
  void Clear();
  int Count() const { return static_cast<int>(FList.size()); }
  int Capacity() const { return FCapacity; }
  void SetCapacity(int value);

  std::string Text() const;
  // Appends every item and its line break to out.
  void AppendText(std::string& out) const;
  void SetText(std::string_view text);
  void SaveToStream(TStream& stream) const;
  bool AcceptDuplicates = false;
  std::string LineBreak = "\r\n";

 private:
  struct TItem {
    std::string FString;
    TObject* FObject = nullptr;
  };
  int CheckIndex(int index) const;
  void Grow();
  std::vector<TItem> FList;
  int FCapacity = 0;
};

// ---- the bit writer -----------------------------------------------------------------------------

// Most significant bit first.
class TBitStream : public TObject {
 public:
  explicit TBitStream(TStream& stream) : FStream(stream) {}
  ~TBitStream() override;
  void Put(std::uint32_t value, int count);
  void Put64(std::uint64_t value, int count);
  void Write(const void* buffer, int count);
  void FlushBits();

 private:
  TStream& FStream;
  std::uint32_t FBuffer = 0;
  int FCurrentBit = 32;
};

// ---- an object list that may own its items ------------------------------------------------------

class TObjList : public TObject {
 public:
  explicit TObjList(bool ownsObjects = true) : FOwnsObjects(ownsObjects) {}
  ~TObjList() override { Clear(); }
  TObjList(const TObjList&) = delete;
  TObjList& operator=(const TObjList&) = delete;
  int Add(TObject* obj) {
    FItems.push_back(obj);
    return static_cast<int>(FItems.size()) - 1;
  }
  TObject* GetItem(int index) const;
  int Count() const { return static_cast<int>(FItems.size()); }
  void Clear();

 private:
  bool FOwnsObjects;
  std::vector<TObject*> FItems;
};
