// The font layer behind every context: faces found through fontconfig, read with FreeType, shaped
// with HarfBuzz and reordered with ICU. One shaping routine serves measuring and drawing on every
// device, so positions agree everywhere. Faces, realised fonts and glyph outlines are cached.
#pragma once

#include <QImage>
#include <QPainterPath>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/FontCaches.h"

struct TFontFaceImpl;
struct hb_language_impl_t;

// The language (as fontconfig and the shaper name it) a Windows character set stands for; null
// for the character sets without one (ANSI, symbol, OEM...).
const char* LangOfCharset(BYTE cs);

// One face of one font file.
class TFontFace {
 public:
  ~TFontFace();
  static std::shared_ptr<TFontFace> Load(const std::string& file, int index);

  bool HasChar(char32_t c) const {
    // Segmentation asks for every character: the basic plane is answered from a bit table.
    if (c < 0x10000 && !Coverage.empty()) return (Coverage[c >> 6] >> (c & 63)) & 1;
    return GlyphOf(c) != 0;
  }
  UINT GlyphOf(char32_t c) const;  // 0 when missing
  // Outline in font units, y up.
  const QPainterPath& GlyphPath(UINT glyph) const;
  int GlyphAdvance(UINT glyph) const;  // font units
  DWORD GetTable(DWORD tag, DWORD offset, void* buffer, DWORD size) const;  // GDI_ERROR if absent

  std::string File;
  int Index = 0;
  std::u16string Family, Style, FullName;
  bool IsSfnt = false;       // has outline metrics
  bool FixedPitch = false;
  bool SymbolCmap = false;
  int Weight = 400;
  bool Italic = false;
  // Font-unit metrics
  int UnitsPerEm = 1000;
  int WinAscent = 0, WinDescent = 0;
  int TypoAscender = 0, TypoDescender = 0, TypoLineGap = 0;
  int HheaAscender = 0, HheaDescender = 0, HheaLineGap = 0, AdvanceWidthMax = 0;
  int CaretSlopeRise = 1, CaretSlopeRun = 0;
  int XAvgCharWidth = 0, CapHeight = 0, XHeight = 0;
  int SubXSize = 0, SubYSize = 0, SubXOffset = 0, SubYOffset = 0;
  int SupXSize = 0, SupYSize = 0, SupXOffset = 0, SupYOffset = 0;
  int StrikeoutSize = 0, StrikeoutPosition = 0;
  int UnderlinePosition = 0, UnderlineThickness = 0;
  double ItalicAngle = 0;
  int FsSelection = 0, FsType = 0, LowestRecPPEM = 0;
  int FirstChar = 0x20, LastChar = 0xFFFF, DefaultChar = 0, BreakChar = 0x20;
  int XMin = 0, YMin = 0, XMax = 0, YMax = 0;
  BYTE Panose[10] = {};
  int FamilyClass = 0;
  std::vector<std::uint64_t> Coverage;  // characters of the basic plane with a glyph (empty: ask the cmap)

  TFontFaceImpl* Impl() const { return FImpl.get(); }

 private:
  TFontFace();
  std::unique_ptr<TFontFaceImpl> FImpl;
};

// A glyph of shaped text, in drawing order, positions in logical units. Shaping writes every
// field (results are shaped into again and again, so new glyphs are not cleared first).
struct TShapedGlyph {
  int Face;             // index into TFontInstance faces
  UINT Glyph;
  int Cluster;          // first code unit of its cluster
  int Advance;          // integer advance (rounded positions), character extra included
  double XOff, YOff;    // offset from the pen position (y down)
  double RawAdvance;    // the advance before rounding, character extra included
  int X;                // pen position, from the run's left edge
  bool Rotated;         // an upright glyph of a vertical face
  bool SafeBreak;       // the shaper says cutting the text before this glyph changes nothing
};
static_assert(sizeof(TShapedGlyph) <= 48, "glyphs are written and read by the thousand");

// Makes the elements of a growing vector without clearing them.
template <class T>
struct TUnclearedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = TUnclearedAllocator<U>;
  };
  TUnclearedAllocator() = default;
  template <class U>
  TUnclearedAllocator(const TUnclearedAllocator<U>&) {}
  template <class U>
  void construct(U* p) {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... A>
  void construct(U* p, A&&... a) {
    ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
  }
};

// Shaped text: glyphs in drawing order plus per code unit data in text order.
struct TShapedText {
  std::vector<TShapedGlyph, TUnclearedAllocator<TShapedGlyph>> Glyphs;
  std::vector<int> Widths;     // logical width of each code unit (cluster shares)
  std::vector<int> Order;      // drawing position (glyph index) of each code unit's cluster
  std::vector<int> Leading, Trailing;  // caret x of each code unit's edges
  std::vector<BYTE> Levels;    // bidi level of each code unit
  int Width = 0;
  bool Ok = true;              // false: nothing could be shaped
  // Segments of one face and script the text was shaped in (text order when SimpleLtr).
  struct TSegmentInfo {
    int Start = 0, Length = 0, Face = 0;
    std::uint32_t Script = 0;
    bool Rtl = false;
  };
  std::vector<TSegmentInfo> Segments;
  bool SimpleLtr = false;      // one left-to-right run, no character extra
  bool OneToOne = false;       // SimpleLtr, and glyph k is code unit k, each its own cluster
};

// Replaces the shaped advances by the caller's, one per code unit (n of them): each cluster
// becomes as wide as its characters' advances and its glyphs keep their places inside it.
void ApplyAdvances(TShapedText& t, const int* dx, int n);

struct TShapeOptions {
  bool RtlReading = false;  // paragraph direction right to left
  int CharExtra = 0;        // added to every character start that has a width
  bool Fallback = true;     // take missing characters from other faces
};

struct TShapeCache;

class TFontInstance {
 public:
  TFontInstance();
  ~TFontInstance();
  // Realised font for a logical font (cached by its bytes).
  static std::shared_ptr<const TFontInstance> Get(const LOGFONTW& lf);

  LOGFONTW Log{};
  std::u16string RequestedFace;  // without the vertical-face mark
  std::u16string RealisedFace;
  bool Vertical = false;
  double Ppem = 16;    // logical units per em
  double XScale = 1;   // horizontal scaling from lfWidth
  double Scale = 0;    // Ppem / UnitsPerEm
  bool SynthBold = false, SynthItalic = false;
  bool Antialiased = true;
  TEXTMETRICW TM{};

  TFontFace& Face(int i = 0) const;
  int FaceCount() const;
  // Which face draws c (0 = the font's own); -1 when none has it (the own face's missing glyph).
  int FaceFor(char32_t c) const { return FFaces[0]->HasChar(c) ? 0 : OtherFaceFor(c); }

  // Shaping in steps: bidirectional runs, segments of one face and script, glyphs of each
  // segment, clusters, character extra, rounded positions and per code unit data. Results are
  // kept in a bounded cache keyed by text and options; Shaped gives the kept result itself.
  void Shape(const char16_t* s, int n, const TShapeOptions& opt, TShapedText& out) const;
  std::shared_ptr<const TShapedText> Shaped(const char16_t* s, int n, const TShapeOptions& opt) const;
  // Code units from the start whose cumulative width stays within maxExtent. Shaping stops
  // soon after the extent is passed (left-to-right text is shaped piece by piece, the pieces cut
  // where the shaper says cutting changes nothing). dx, when given, receives the cumulative right
  // edges of every code unit up to and including the first that does not fit. extent: the width
  // of the code units that fit.
  int Fit(const char16_t* s, int n, const TShapeOptions& opt, int maxExtent, int* dx, int& extent) const;
  // Answers for s[0, n) shaped alone without shaping it, from a text shaped lately on this
  // thread (through Shaped) that holds it, where the shaper marks both ends of the piece as safe
  // cuts and the piece falls into the same segments. width: the width of s[0, n); with
  // maxExtent >= 0, fit: the code units whose rounded right edges stay within maxExtent, and
  // width that of s[0, fit) (widthKnown false when that cut is not safe: shape s[0, fit)).
  // False when it cannot answer. The answers equal those of shaping the piece.
  bool MeasureFromRecent(const char16_t* s, int n, const TShapeOptions& opt, int maxExtent, int& fit, int& width,
                         bool& widthKnown) const;
  // Width of s[0, n) as shaping it whole gives it. Texts longer than LongText without
  // right-to-left characters are shaped in pieces as Fit shapes them, so that measuring a run of
  // any length takes memory of a piece's size.
  int Width(const char16_t* s, int n, const TShapeOptions& opt) const;
  static constexpr int LongText = 4096;
  // Width of one character shaped alone, without character extra.
  int CharWidth(char32_t c) const;
  // Outline of a glyph in logical units at the origin (y down), synthetic styles applied.
  // Rotated: turned a quarter counter-clockwise and moved to start at the pen, as vertical
  // faces draw their upright (ideographic) glyphs.
  const QPainterPath& GlyphOutline(int face, UINT glyph, bool rotated = false) const;
  // Underline and strike-out bands relative to the baseline (y down): top and thickness.
  // Coverage of a glyph drawn in colour at a device scale, with its top-left offset from the
  // pen position (device pixels); subX is the pen's fractional x in quarters of a pixel.
  const QImage& GlyphImage(int face, UINT glyph, bool rotated, double sx, double sy, int subX, COLORREF color,
                          QPoint& offset) const;
  // Bytes held by this font's cached glyph images (bounded with all fonts' by Limits).
  std::size_t GlyphImageBytes() const;
  // Drops the glyph images and outlines of this font and of its faces (as before a first draw).
  void ForgetGlyphs() const;
  // The bounds of the caches of all fonts together, and what they hold now.
  static void SetLimits(const TFontCacheLimits& limits);
  static TFontCacheLimits Limits();
  static TFontCacheLimits Usage();
  void UnderlineBand(double& top, double& size) const;
  void StrikeOutBand(double& top, double& size) const;
  UINT FillOutlineMetrics(UINT size, OUTLINETEXTMETRICW* otm) const;

 private:
  void Init();
  void ShapeUncached(const char16_t* s, int n, const TShapeOptions& opt, TShapedText& out) const;
  int OtherFaceFor(char32_t c) const;
  // Faces in the order they were taken in; a slot is filled before the count shows it, so
  // readers need no lock.
  static constexpr int MaxFaces = 64;
  mutable std::array<std::shared_ptr<TFontFace>, MaxFaces> FFaces;
  mutable std::atomic<int> FFaceCount{0};
  const hb_language_impl_t* FLanguage = nullptr;  // from the character set; none: the script's default
  std::unique_ptr<TShapeCache> FShapeCache;
  std::uint64_t FSerial = 0;  // tells realised fonts apart, also one made where another was
  bool SameSegments(const TShapedText& whole, const char16_t* s, int a, int m, const TShapeOptions& opt) const;
  mutable std::unordered_map<char32_t, int> FFaceOf;
  mutable std::unordered_map<std::uint64_t, QPainterPath> FOutlines;
  struct TImageKey {
    std::uint64_t A, B;
    bool operator==(const TImageKey&) const = default;
  };
  struct TImageKeyHash {
    std::size_t operator()(const TImageKey& k) const { return std::hash<std::uint64_t>()(k.A * 31 + k.B); }
  };
  struct TGlyphImage {
    QImage Image;
    QPoint Offset;
  };
  mutable std::unordered_map<TImageKey, TGlyphImage, TImageKeyHash> FImages;
  mutable std::size_t FImageBytes = 0;
  mutable TGlyphImage FUnkept;  // a glyph drawn while the images of all fonts are at their bound
  void DropImages() const;
  void DropShaped() const;
};

// Lock held by anything that touches FreeType or the font caches shared between fonts. Shaping
// takes it only to add a fallback face; the shaper's own font objects are safe to share.
std::recursive_mutex& FontLock();
// Face-name substitution onto installed faces; the name itself when there is none.
std::u16string SubstituteFaceName(const std::u16string& face);
