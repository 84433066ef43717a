// Where a line may end inside text: every UTF-16 code unit has a line-break class, and a table of
// class pairs says whether a line may end between two characters directly, only when spaces
// stand between them, or never. Spaces (U+0020) are handled by the searches, not by the table.
// Word wrap asks FindBreakBefore inside one text item and FindBreakInString across items.
//
// Hot path: both searches and the class lookup are called for every word; they allocate nothing
// and each step is a table lookup.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/foundation/RVTypes.h"

// Line-break classes, numbered as the pair table stores them.
enum TRVLineBreakClass : std::uint8_t {
  rvlbOpenNarrow = 0,      // "(", "[", "{"
  rvlbOpen = 1,            // other opening punctuation
  rvlbClose = 2,           // closing punctuation
  rvlbQuote = 3,           // quotation marks
  rvlbGlue = 4,            // no break on either side ("$", no-break space, word joiner)
  rvlbNonStarter = 5,      // small kana, iteration and prolonged sound marks
  rvlbExclamation = 6,     // "?" and its relatives
  rvlbSolidus = 7,         // "/"
  rvlbInfix = 8,           // no code unit has this class
  rvlbPrefix = 9,          // "+", currency signs written before a number
  rvlbPostfix = 10,        // "%", signs written after a number
  rvlbNumeric = 11,        // decimal digits
  rvlbAlphabetic = 12,     // the default, spaces and line ends included
  rvlbPunctuation = 13,    // "!", ",", ".", ":", ";"
  rvlbIdeographic = 14,    // CJK ideographs, kana, Hangul syllables, full-width forms
  rvlbInseparable = 15,    // leaders and the ellipsis
  rvlbHyphen = 16,         // "-"
  rvlbBreakAfter = 17,     // tab, soft hyphen, "|", spaces of fixed widths, dashes
  rvlbBreakBefore = 18,    // acute accent, modifier letters that start a syllable
  rvlbBreakBoth = 19,      // em dash
  rvlbZeroWidthSpace = 20,
  rvlbCombining = 21,      // combining marks and control characters
  rvlbLowSurrogate = 22,
  rvlbHighSurrogate = 23,
};
constexpr int RVLineBreakClassCount = 24;

// Values of the pair table: a break is allowed (0), allowed only when spaces stand between the
// two characters (1), never (2; 4 where a surrogate half is involved).
enum TRVLineBreakPairValue : std::uint8_t {
  rvlbpBreak = 0,
  rvlbpBreakAfterSpaces = 1,
  rvlbpNoBreak = 2,
  rvlbpNoBreakSurrogate = 4,
};

// The pair table: the value for (Before, After) is the byte at Before * 24 + After.
extern const std::uint8_t RVLineBreakPairs[RVLineBreakClassCount * RVLineBreakClassCount];

namespace RVLineBreakTable {
// The class of every BMP code unit, built once on first use (the classes above U+00FF come from
// the Unicode data of the platform).
const std::uint8_t* Classes();
}  // namespace RVLineBreakTable

// The class (0 to 23) of a UTF-16 code unit. Surrogate halves answer their own classes; the
// searches treat a whole pair, a lone low and a lone high surrogate as alphabetic.
inline int GetLineBreakClass(WideChar Ch) {
  static const std::uint8_t* const Table = RVLineBreakTable::Classes();
  return Table[Ch];
}

inline int GetLineBreakPairValue(int Before, int After) {
  return RVLineBreakPairs[Before * RVLineBreakClassCount + After];
}

// The last position at or before Index (0-based) after which a line may end: the index of the
// last character that stays on the line, spaces after it included, or -1 when there is none (or
// Index lies outside the text). With SpaceEnds (and not SkipSpaces) a space at Index may end the
// line itself; with SkipSpaces the search starts from the last non-space character at or before
// Index. A line never ends inside a surrogate pair: after a pair the answer is its low surrogate.
int FindBreakBefore(std::u16string_view Text, int Index, bool SpaceEnds, bool SkipSpaces);
inline int FindBreakBefore(const WideChar* Text, int Length, int Index, bool SpaceEnds,
                           bool SkipSpaces) {
  return FindBreakBefore(std::u16string_view(Text, Length > 0 ? Length : 0), Index, SpaceEnds,
                         SkipSpaces);
}

// The first break opportunity in a text that continues the text before it (the previous text
// item). HasPrev says there is such a text; PrevClass is then the class of its last non-space
// character and PrecededBySpace whether spaces followed that character.
// Answers:
// - 0 for an empty text (LastClass and LastChar unchanged);
// - -1 when the line may end between the previous text and this one (spaces came between and
//   the break lies before this text's first non-space character);
// - otherwise, with a break inside the text, the number of characters before the break,
//   trailing spaces left out, and LastChar 0;
// - without a break, the index after the text's last non-space character, with LastChar that
//   character (a space for a text of spaces only, which answers 0) and LastClass its class.
int FindBreakInString(std::u16string_view Text, bool HasPrev, int PrevClass, int& LastClass,
                      WideChar& LastChar, bool PrecededBySpace);
inline int FindBreakInString(const WideChar* Text, int Length, bool HasPrev, int PrevClass,
                             int& LastClass, WideChar& LastChar, bool PrecededBySpace) {
  return FindBreakInString(std::u16string_view(Text, Length > 0 ? Length : 0), HasPrev,
                           PrevClass, LastClass, LastChar, PrecededBySpace);
}
