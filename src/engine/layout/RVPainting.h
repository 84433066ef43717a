// Process-wide settings of document painting (set by the application, never stored in documents).
// The signs of spaces, non-breaking spaces, tabs and soft hyphens are the text styles' and items'
// own (ShownSpecialCharacters, RVStyleDraw.h); the kinds below are the ones the document painter
// draws itself.
#pragma once

#include <cstdint>

#include "platform/base/Types.h"

enum TRVPaintedSpecialCharacter : std::uint8_t {
  rvpscLineEnds,        // paragraph and line ends
  rvpscParaAttributes,  // direction, keep options, heading level, clear options
  rvpscPlaceholders,
  rvpscFloatingLines    // connection lines of floating boxes
};
using TRVPaintedSpecialCharacters = TSet<TRVPaintedSpecialCharacter, 8>;

// Starts with every kind.
extern TRVPaintedSpecialCharacters PaintedSpecialCharacters;
// Special characters are also shown when painting for print.
extern bool ShowSpecialCharactersInPrintMode;
// The space swallowed at a line wrap is drawn (with its sign) at the end of the wrapped piece.
extern bool ShowSpaceAtLineWrap;
// Paragraph ends show a return arrow and line breaks a down arrow (instead of a pilcrow and a
// return arrow).
extern bool AlternativeLineEndSigns;
