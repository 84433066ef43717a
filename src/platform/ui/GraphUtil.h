// Colour utilities of the class library: hue/luminance/saturation conversion on the 0..240 scale
// and the default values of the system colours.
#pragma once

#include "platform/base/Types.h"

// H, L and S range over 0..240; a grey has the hue 160.
void ColorRGBToHLS(COLORREF Color, WORD& Hue, WORD& Luminance, WORD& Saturation);
COLORREF ColorHLSToRGB(WORD Hue, WORD Luminance, WORD Saturation);

// The RGB value of a system colour index (the low byte of clBtnFace and the rest); 0 for an
// index without a colour.
COLORREF GetSysColor(int Index);
