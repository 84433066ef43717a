// Recoding between Windows-1251 and KOI8 in place, byte for byte. The Russian letters stand at
// their KOI8-R places and the Ukrainian letters at KOI8-U's; a Windows-1251 byte without a KOI8
// counterpart becomes 0x94, a KOI8 byte without a Windows-1251 one becomes '?', and the two
// bullets (0x95 in both) map to each other.
#pragma once

#include "engine/foundation/RVTypes.h"

void ConvertCP1251ToKOI8R(TRVRawByteString& s);
void ConvertKOI8RToCP1251(TRVRawByteString& s);
