// Colour utilities of the class library: hue/luminance/saturation conversion on the 0..240 scale.
#pragma once

#include "platform/base/Types.h"

// H, L and S range over 0..240; a grey has the hue 160.
void ColorRGBToHLS(COLORREF Color, WORD& Hue, WORD& Luminance, WORD& Saturation);
COLORREF ColorHLSToRGB(WORD Hue, WORD Luminance, WORD Saturation);
