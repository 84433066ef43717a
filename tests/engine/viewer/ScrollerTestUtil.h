// A scroller that paints its document as bands of colour and records what it was asked to paint,
// for the scroller's tests on the headless window system and under a real X server.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "engine/viewer/RVScroller.h"

// The colour of the band a document row lies in: bands of 20 pixels in three colours.
inline COLORREF BandColor(int DocY) {
  static const COLORREF kBands[] = {RGB(200, 40, 40), RGB(40, 160, 40), RGB(40, 40, 200)};
  const int band = (DocY >= 0 ? DocY : -DocY) / 20;
  return kBands[band % 3];
}

class TBandScroller : public TRVScroller {
 public:
  using TRVScroller::TRVScroller;
  using TRVScroller::ScrollChildren;
  std::vector<TRect> Painted;  // the clip box of every paint

  // Pixels of the document per vertical small step.
  int DocTop() const { return VPos * FSmallStep; }

 protected:
  void Paint() override {
    TCanvas* c = GetCanvas();
    RECT box{};
    GetClipBox(c->GetHandle(), &box);
    Painted.push_back(box);
    for (int y = box.Top; y < box.Bottom; ++y) {
      c->Brush().SetColor(static_cast<TColor>(BandColor(y + DocTop())));
      c->FillRect(TRect(box.Left, y, box.Right, y + 1));
    }
  }
};
