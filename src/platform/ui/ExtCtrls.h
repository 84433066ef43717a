// Panels: a raised or lowered frame around a filled area with a centred caption.
#pragma once

#include "platform/ui/Controls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// Draws Width nested frames inside Rect, top and left lines in TopColor, bottom and right ones
// (which own the corners they share) in BottomColor; Rect becomes the area inside them. The
// canvas's pen and brush are not changed.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

class TCustomPanel : public TCustomControl {
  TAVRELO_PERSISTENT(TCustomPanel, TCustomControl)
 public:
  explicit TCustomPanel(TComponent* AOwner);
  TBevelCut GetBevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut v);
  TBevelCut GetBevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut v);
  int GetBevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int v);
  int GetBorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int v);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);

 protected:
  // Outer bevel, border in Color, inner bevel, the filled middle, the caption on one line.
  void Paint() override;

 private:
  TBevelCut FBevelOuter = bvRaised;
  TBevelCut FBevelInner = bvNone;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TAlignment FAlignment = taCenter;
};

class TPanel : public TCustomPanel {
  TAVRELO_PERSISTENT(TPanel, TCustomPanel)
 public:
  using TCustomPanel::TCustomPanel;
};
