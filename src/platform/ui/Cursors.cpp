#include "platform/ui/Cursors.h"

#include <map>
#include <mutex>

namespace {

// Pixel art: 'X' black, 'o' white, anything else transparent.
TCursorImage FromArt(std::initializer_list<const char*> rows, int hotX, int hotY) {
  TCursorImage c;
  c.HotX = hotX;
  c.HotY = hotY;
  c.Image.HasAlpha = true;
  c.Image.Resize(32, 32, 0x00000000u);
  int y = 0;
  for (const char* row : rows) {
    for (int x = 0; row[x] && x < 32; ++x) {
      if (row[x] == 'X') c.Image.At(x, y) = 0xFF000000u;
      else if (row[x] == 'o') c.Image.At(x, y) = 0xFFFFFFFFu;
    }
    if (++y == 32) break;
  }
  return c;
}

// A hand with the index finger up; the hot spot is the finger tip.
TCursorImage DrawJump() {
  return FromArt({"     XX",
                  "    XooX",
                  "    XooX",
                  "    XooX",
                  "    XooX",
                  "    XooXXX",
                  "    XooXooXXX",
                  "    XooXooXooXX",
                  " XX XooXooXooXoX",
                  "XooXXoooooooooXoX",
                  "XoooXoooooooooooX",
                  " XooXoooooooooooX",
                  "  XoXoooooooooooX",
                  "  XooooooooooooX",
                  "   XoooooooooooX",
                  "   XooooooooooX",
                  "    XoooooooooX",
                  "    XoooooooooX",
                  "     XoooooooX",
                  "     XoooooooX",
                  "     XXXXXXXXX"},
                 5, 0);
}

// The arrow turned to point up and right, as over the line-selection margin.
TCursorImage DrawFlipArrow() {
  return FromArt({"           X",
                  "          XX",
                  "         XoX",
                  "        XooX",
                  "       XoooX",
                  "      XooooX",
                  "     XoooooX",
                  "    XooooooX",
                  "   XoooooooX",
                  "  XooooooooX",
                  " XoooooXXXXX",
                  "    XooX",
                  "   XooX  X",
                  "   XooX",
                  "  XooX",
                  "  XooX",
                  "   XX"},
                 11, 0);
}

// A short, thick arrow pointing down: selects the column below it.
TCursorImage DrawSelectCol() {
  return FromArt({" XXXXX",
                  " XoooX",
                  " XoooX",
                  " XoooX",
                  "XXoooXX",
                  "XoooooX",
                  " XoooX",
                  "  XoX",
                  "   X"},
                 3, 8);
}

// The same arrow pointing right: selects the row to its right.
TCursorImage DrawSelectRow() {
  return FromArt({"    X",
                  "    XX",
                  "XXXXXoX",
                  "XooooooX",
                  "XoooooooX",
                  "XooooooX",
                  "XXXXXoX",
                  "    XX",
                  "    X"},
                 8, 4);
}

// The text cursor lying on its side.
TCursorImage DrawLayingIBeam() {
  return FromArt({"X             X",
                  "XXXXXXXXXXXXXXX",
                  "X             X"},
                 7, 1);
}

struct TResources {
  std::mutex Lock;
  std::map<std::u16string, std::unique_ptr<TCursorImage>> Cursors;
  std::map<int, HCURSOR> Screen;
  TCursorImage Hand{csHand, {}, 0, 0};
  TCursorImage Standard[7] = {{csArrow, {}, 0, 0},    {csCross, {}, 0, 0}, {csIBeam, {}, 0, 0},
                              {csSizeNESW, {}, 0, 0}, {csSizeNS, {}, 0, 0}, {csSizeNWSE, {}, 0, 0},
                              {csSizeWE, {}, 0, 0}};
  TResources() {
    const int ids[] = {-2, -3, -4, -6, -7, -8, -9};
    for (int i = 0; i < 7; ++i) Screen[ids[i]] = &Standard[i];
  }
};

TResources& Res() {
  static TResources r;
  return r;
}

}  // namespace

HCURSOR LoadCursorResource(std::u16string_view Name) {
  TResources& r = Res();
  std::lock_guard<std::mutex> g(r.Lock);
  auto it = r.Cursors.find(std::u16string(Name));
  if (it != r.Cursors.end()) return it->second.get();
  TCursorImage img;
  if (Name == u"RV_JUMP_CURSOR") img = DrawJump();
  else if (Name == u"RV_FLIPARROW_CURSOR") img = DrawFlipArrow();
  else if (Name == u"RV_LAYINGIBEAM_CURSOR") img = DrawLayingIBeam();
  else if (Name == u"RV_SELECTCOL_CURSOR") img = DrawSelectCol();
  else if (Name == u"RV_SELECTROW_CURSOR") img = DrawSelectRow();
  else return nullptr;
  auto& slot = r.Cursors[std::u16string(Name)];
  slot = std::make_unique<TCursorImage>(std::move(img));
  return slot.get();
}

// Every supported window system has a pointing hand among its standard shapes.
HCURSOR LoadSystemHandCursor() { return &Res().Hand; }

void SetScreenCursor(int Id, HCURSOR Cursor) {
  TResources& r = Res();
  std::lock_guard<std::mutex> g(r.Lock);
  if (Cursor) r.Screen[Id] = Cursor;
  else r.Screen.erase(Id);
}

HCURSOR GetScreenCursor(int Id) {
  TResources& r = Res();
  std::lock_guard<std::mutex> g(r.Lock);
  auto it = r.Screen.find(Id);
  return it == r.Screen.end() ? nullptr : it->second;
}

std::unique_ptr<TBitmap> LoadBitmapResource(std::u16string_view Name) {
  if (Name != u"RV_BAD_PICTURE") return nullptr;
  // A framed white square crossed out in red: "this picture cannot be shown".
  TPixelImage p;
  p.Resize(20, 20, 0xFFFFFFFFu);
  for (int i = 0; i < 20; ++i) {
    p.At(i, 0) = p.At(i, 19) = p.At(0, i) = p.At(19, i) = 0xFF808080u;
    if (i >= 4 && i <= 15) {
      p.At(i, i) = p.At(19 - i, i) = 0xFFFF0000u;
      p.At(i, i - 1 < 0 ? 0 : i - 1) = p.At(19 - i, i - 1) = 0xFFFF0000u;
    }
  }
  auto bmp = std::make_unique<TBitmap>();
  bmp->FromPixels(p);
  return bmp;
}
