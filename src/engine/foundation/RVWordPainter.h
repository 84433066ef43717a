// Word painters: extra drawing over a run of characters inside a text item, such as the wavy
// line under a misspelled word. A text item owns a list of them; the paint routine asks each
// painter that overlaps a draw line to draw itself.
#pragma once

#include "engine/foundation/RVClasses.h"
#include "platform/graphics/Graphics.h"

class TRVDrawLineInfo;
class TRVGraphicInterface;

// What word painters read of the style sheet. A stand-in until the style sheet exists above
// this layer: the style sheet implements it.
class IRVWordPainterStyle {
 public:
  virtual TColor GetLiveSpellingColor() const = 0;
  virtual TRVGraphicInterface* GetGraphicInterface() const = 0;

 protected:
  ~IRVWordPainterStyle() = default;
};

// The document being painted as word painters see it: it gives its style sheet. Documents
// implement it.
class IRVWordPainterData {
 public:
  virtual IRVWordPainterStyle* GetRVStyle() const = 0;

 protected:
  ~IRVWordPainterData() = default;
};

class TRVWordPainter : public TObject {
 public:
  TRVWordPainter(int AStartOffs, int ALength) : StartOffs(AStartOffs), Length(ALength) {}
  // r: the horizontal extent of the marked characters within the draw line ditem (one call per
  // range they occupy) and, vertically, the line's top and bottom, in canvas coordinates. Index
  // is the painter's position in its list. Leaves the canvas as it found it.
  virtual void Draw(TCanvas* Canvas, TRVDrawLineInfo* ditem, IRVWordPainterData* RVData,
                    const TRect& r, int Index) = 0;

  int StartOffs;  // first marked character, counted from 1
  int Length;     // number of marked characters
};

// The wavy line under a misspelled word, in the style sheet's live-spelling colour.
class TRVWordMisspellPainter : public TRVWordPainter {
 public:
  using TRVWordPainter::TRVWordPainter;
  void Draw(TCanvas* Canvas, TRVDrawLineInfo* ditem, IRVWordPainterData* RVData, const TRect& r,
            int Index) override;
};

// The points of the wavy line for r: a zigzag of period 4 between r.Bottom - 2 and r.Bottom,
// starting at the upper position, at most 1024 points, the last one at r.Right. Fewer than two
// points mean nothing is drawn.
std::vector<TPoint> RVWavyLinePoints(const TRect& r);

// Owns its painters.
class TRVWordPainterList : public TRVList {
 public:
  TRVWordPainter* Get(int Index) const { return static_cast<TRVWordPainter*>(TRVList::Get(Index)); }
};
