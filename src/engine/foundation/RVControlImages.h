// Pictures of window controls: a control item is printed, or drawn where its live control cannot
// be used, as a bitmap painted here. Standard controls are drawn from their properties; other
// windowed controls paint themselves.
#pragma once

#include <memory>

#include "platform/graphics/Pictures.h"
#include "platform/ui/Controls.h"

class TButton;
class TCustomEdit;
class TCustomPanel;

// A new bitmap of the control's size, filled with Color, with the control painted at (0, 0).
// A control of no area gives an empty bitmap.
std::unique_ptr<TBitmap> DrawControlImage(TControl* Control, TColor Color);
// A new bitmap of the control's size filled with Color; clNone and clDefault give white.
std::unique_ptr<TBitmap> CreateFilledBitmap(TControl* Control, TColor Color);
// Paints the control with its top-left corner at (X, Y), by the first of these it is: a button,
// an edit box, a panel, a graphic control, another windowed control (through its own PaintTo
// with its window handles made and the canvas locked). Other controls are not painted. The lock
// and the context's state are released even when painting raises.
void DrawControlOnCanvas(TControl* Control, TCanvas* Canvas, int X, int Y);
// A push-button frame with the caption centred on one line in the control's font.
void DrawButtonImage(TButton* Control, TCanvas* Canvas, int X, int Y);
// Fills R with Color (clNone and clDefault: white) in the current brush style, draws the border
// when Bordered (a sunken edge with Ctl3D, else a rectangle in the current pen), and shrinks R
// to the area for the text: inside the border and one more pixel.
void DrawEditFrame(TCanvas* Canvas, TRect& R, TColor Color, bool Ctl3D, bool Bordered);
// The edit box's frame and its text on one line, in its font.
void DrawEditImage(TCustomEdit* Control, TCanvas* Canvas, int X, int Y);
// Sends the control WM_PAINT with the canvas's context moved to (X, Y) and clipped to the
// control, marked as painting a copy; the context's state comes back afterwards.
void DrawGraphicControlImage(TGraphicControl* Control, TCanvas* Canvas, int X, int Y);
// The panel's own PaintTo, then each visible child that is not a graphic control again through
// DrawControlOnCanvas at its place; graphic children keep what PaintTo drew.
void DrawPanelImage(TCustomPanel* Control, TCanvas* Canvas, int X, int Y);
// Makes the control's window handle and, recursively, those of its windowed children.
void CreateControlHandles(TWinControl* Control);
