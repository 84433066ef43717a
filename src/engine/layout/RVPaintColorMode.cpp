// The colour mode of painting.
#include "engine/layout/RVFormattedData.h"

TRVColorMode TCustomRVFormattedData::GetPaintColorMode() { return GetScreenColorMode(); }
