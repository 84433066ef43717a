// Numbered properties of a viewer, for callers that handle documents generically.
#pragma once

#include <cstdint>

enum TRVIntProperty : std::uint8_t {
  rvipLeftMargin, rvipRightMargin, rvipTopMargin, rvipBottomMargin, rvipMaxTextWidth, rvipMinTextWidth,
  rvipBackgroundStyle, rvipColor, rvipBiDiMode, rvipDPUnits, rvipDPOrientation, rvipDPTitlePage, rvipDPFacingPages,
  rvipDPMirrorMargins
};
