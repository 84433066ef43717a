// Mouse cursors by integer id (the screen's cursor table) and the program's own built-in images:
// cursors and bitmaps that the program draws itself rather than loading from files.
#pragma once

#include <memory>
#include <string_view>

#include "platform/graphics/Pictures.h"

// A cursor: either a standard shape of the window system or an image with a hot spot.
enum TCursorShape { csCustom, csArrow, csIBeam, csHand, csCross, csSizeNS, csSizeWE, csSizeNWSE, csSizeNESW };
struct TCursorImage {
  TCursorShape Shape = csCustom;
  TPixelImage Image;  // csCustom only; transparent pixels have alpha 0
  int HotX = 0, HotY = 0;
};
using HCURSOR = const TCursorImage*;

// A built-in cursor by resource name ("RV_JUMP_CURSOR", "RV_FLIPARROW_CURSOR",
// "RV_LAYINGIBEAM_CURSOR", "RV_SELECTCOL_CURSOR", "RV_SELECTROW_CURSOR"), drawn once and kept for
// the process; nullptr for an unknown name.
HCURSOR LoadCursorResource(std::u16string_view Name);
// The window system's hand cursor; nullptr when it has none.
HCURSOR LoadSystemHandCursor();

// The screen's cursor table. Setting nullptr removes the entry; an unknown id answers nullptr.
// It starts with the window system's standard shapes under the class library's ids: the arrow
// (-2), the cross (-3), the I-beam (-4) and the sizing arrows NE-SW (-6), N-S (-7), NW-SE (-8) and
// W-E (-9).
void SetScreenCursor(int Id, HCURSOR Cursor);
HCURSOR GetScreenCursor(int Id);

// What the window system holds for a cursor once it is handed over, read back from it: the
// standard shape, or for an image cursor (csCustom) its pixels and hot spot. nullptr, or no
// running session, gives the arrow. The second form takes an id of the screen's table.
TCursorImage WindowSystemCursor(HCURSOR Cursor);
TCursorImage WindowSystemScreenCursor(int Id);

// A built-in bitmap by resource name ("RV_BAD_PICTURE"); nullptr for an unknown name.
std::unique_ptr<TBitmap> LoadBitmapResource(std::u16string_view Name);
