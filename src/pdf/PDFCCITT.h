// Facsimile coding of bilevel images for the CCITTFaxDecode filter: one-dimensional Modified
// Huffman, the mixed two-dimensional scheme with end-of-line codes, and Group 4.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/Classes.h"
#include "platform/graphics/Pictures.h"

enum TCCITT { CCITT31D, CCITT32D, CCITT42D };

// Codes rows of packed pixels (most significant bit leftmost, a set bit is black, rows stride
// bytes apart) and appends the code to out. No end-of-block is written.
void CCITTEncodeRows(const std::uint8_t* rows, int stride, int width, int height, TCCITT type,
                     std::string& out);

class TCCITTCompression {
 public:
  TStream* GetStream() const { return FStream; }
  void SetStream(TStream* s) { FStream = s; }
  TCCITT GetCompressionType() const { return FCT; }
  void SetCompressionType(TCCITT t) { FCT = t; }

  // Codes a 1-bit bitmap top down; a bit that is set in the bitmap is coded as white (the image
  // dictionary states the polarity).
  void Execute(const TBitmap& bitmap);

 private:
  TStream* FStream = nullptr;
  TCCITT FCT = CCITT42D;
};
