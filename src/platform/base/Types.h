// Plain value types that the whole program shares: the string types, the integer types of the
// operating-system interfaces, geometry records, colours and the set template.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>

// Strings. UnicodeString counts UTF-16 code units; AnsiString and RawByteString hold bytes (the
// former in the process's ANSI code page, the latter in no code page at all).
using UnicodeString = std::u16string;
using AnsiString = std::string;
using RawByteString = std::string;
using WideChar = char16_t;
using AnsiChar = char;

// Integer types of the system interfaces, with their documented widths.
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;
using Cardinal = std::uint32_t;
using Int64 = std::int64_t;
using LCID = DWORD;
using LANGID = WORD;
using HKL = std::uintptr_t;
using Extended = long double;
using TDateTime = double;

struct TPoint {
  LONG X = 0, Y = 0;
  constexpr TPoint() = default;
  constexpr TPoint(LONG x, LONG y) : X(x), Y(y) {}
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  LONG cx = 0, cy = 0;
  constexpr TSize() = default;
  constexpr TSize(LONG w, LONG h) : cx(w), cy(h) {}
  friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

// Right and bottom are exclusive, as everywhere in the drawing interfaces.
struct TRect {
  LONG Left = 0, Top = 0, Right = 0, Bottom = 0;
  constexpr TRect() = default;
  constexpr TRect(LONG l, LONG t, LONG r, LONG b) : Left(l), Top(t), Right(r), Bottom(b) {}
  constexpr LONG Width() const { return Right - Left; }
  constexpr LONG Height() const { return Bottom - Top; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr TPoint TopLeft() const { return {Left, Top}; }
  constexpr TPoint BottomRight() const { return {Right, Bottom}; }
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

constexpr TRect Rect(LONG l, LONG t, LONG r, LONG b) { return TRect(l, t, r, b); }
constexpr TPoint Point(LONG x, LONG y) { return TPoint(x, y); }
constexpr TRect Bounds(LONG l, LONG t, LONG w, LONG h) { return TRect(l, t, l + w, t + h); }

// Colours: 0x00BBGGRR for RGB values; system colours carry 0xFF in the high byte.
using TColor = std::int32_t;
using COLORREF = DWORD;
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000);
// System colours: the high byte 0xFF plus the index of the colour.
constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clBackground = clSystemColor | 1;
constexpr TColor clActiveCaption = clSystemColor | 2;
constexpr TColor clInactiveCaption = clSystemColor | 3;
constexpr TColor clMenu = clSystemColor | 4;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowFrame = clSystemColor | 6;
constexpr TColor clMenuText = clSystemColor | 7;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clCaptionText = clSystemColor | 9;
constexpr TColor clActiveBorder = clSystemColor | 10;
constexpr TColor clInactiveBorder = clSystemColor | 11;
constexpr TColor clAppWorkSpace = clSystemColor | 12;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clInactiveCaptionText = clSystemColor | 19;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor cl3DDkShadow = clSystemColor | 21;
constexpr TColor cl3DLight = clSystemColor | 22;
constexpr TColor clInfoText = clSystemColor | 23;
constexpr TColor clInfoBk = clSystemColor | 24;
constexpr TColor clHotLight = clSystemColor | 26;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

// A set of enumeration values, as the class library's "set of" types: members are the ordinal
// values 0..N-1 of E. Value semantics, ordered comparison is not offered.
template <typename E, std::size_t N = 256>
class TSet {
  static_assert(std::is_enum_v<E> || std::is_integral_v<E>, "TSet holds enumeration values");
  static constexpr std::size_t Words = (N + 63) / 64;
  std::array<std::uint64_t, Words> FBits{};

  static constexpr std::size_t Ord(E e) { return static_cast<std::size_t>(e); }

 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) Include(e);
  }
  static constexpr std::size_t Capacity = N;

  constexpr bool Contains(E e) const {
    const std::size_t i = Ord(e);
    return i < N && (FBits[i / 64] >> (i % 64)) & 1u;
  }
  constexpr TSet& Include(E e) {
    const std::size_t i = Ord(e);
    if (i < N) FBits[i / 64] |= std::uint64_t(1) << (i % 64);
    return *this;
  }
  constexpr TSet& Exclude(E e) {
    const std::size_t i = Ord(e);
    if (i < N) FBits[i / 64] &= ~(std::uint64_t(1) << (i % 64));
    return *this;
  }
  constexpr bool Empty() const {
    for (auto w : FBits)
      if (w) return false;
    return true;
  }
  constexpr void Clear() { FBits = {}; }
  constexpr std::size_t Count() const {
    std::size_t n = 0;
    for (auto w : FBits) n += static_cast<std::size_t>(__builtin_popcountll(w));
    return n;
  }
  // All values from lo to hi inclusive.
  static constexpr TSet Range(E lo, E hi) {
    TSet s;
    for (std::size_t i = Ord(lo); i <= Ord(hi) && i < N; ++i) s.Include(static_cast<E>(i));
    return s;
  }
  // True when every member of this set is in other.
  constexpr bool SubsetOf(const TSet& other) const {
    for (std::size_t i = 0; i < Words; ++i)
      if (FBits[i] & ~other.FBits[i]) return false;
    return true;
  }
  template <typename F>
  constexpr void ForEach(F&& f) const {
    for (std::size_t i = 0; i < N; ++i)
      if ((FBits[i / 64] >> (i % 64)) & 1u) f(static_cast<E>(i));
  }

  constexpr TSet operator+(const TSet& o) const { TSet r = *this; r += o; return r; }
  constexpr TSet operator-(const TSet& o) const { TSet r = *this; r -= o; return r; }
  constexpr TSet operator*(const TSet& o) const { TSet r = *this; r *= o; return r; }
  constexpr TSet& operator+=(const TSet& o) { for (std::size_t i = 0; i < Words; ++i) FBits[i] |= o.FBits[i]; return *this; }
  constexpr TSet& operator-=(const TSet& o) { for (std::size_t i = 0; i < Words; ++i) FBits[i] &= ~o.FBits[i]; return *this; }
  constexpr TSet& operator*=(const TSet& o) { for (std::size_t i = 0; i < Words; ++i) FBits[i] &= o.FBits[i]; return *this; }
  constexpr TSet operator+(E e) const { TSet r = *this; r.Include(e); return r; }
  constexpr TSet operator-(E e) const { TSet r = *this; r.Exclude(e); return r; }
  friend constexpr bool operator==(const TSet&, const TSet&) = default;

  // The raw bits of the first 32 members, for formats that store small sets as an integer.
  constexpr std::uint32_t ToInt() const { return static_cast<std::uint32_t>(FBits[0] & 0xFFFFFFFFu); }
  static constexpr TSet FromInt(std::uint32_t bits) {
    TSet s;
    s.FBits[0] = bits;
    if constexpr (N < 32) s.FBits[0] &= (std::uint64_t(1) << N) - 1;
    return s;
  }
};

// Root of the class hierarchy of the component model: anything an owning list or a string
// list's object slot may hold.
class TObject {
 public:
  virtual ~TObject() = default;
};
