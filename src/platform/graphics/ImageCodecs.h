// Decoders and encoders of the raster formats, from bytes to 32-bit pixels and back. They raise
// EInvalidGraphic on bad data and never read outside the bytes they are given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/graphics/Pictures.h"

// Any format the toolkit's image readers and writers know. format names the reader or writer
// ("png", "tiff"...); an empty one lets the reader tell the format by the data. False when the
// data cannot be read or the image cannot be written.
bool ToolkitDecode(std::string_view data, const char* format, TPixelImage& image);
bool ToolkitEncode(const TPixelImage& image, const char* format, std::string& data);

// PNG through the toolkit's own reader and writer (zlib inside).
TPixelImage DecodePng(std::string_view data);
std::string EncodePng(const TPixelImage& image);
// The size from the IHDR chunk without decoding; false when the bytes are not a PNG.
bool PngSize(std::string_view data, int& width, int& height);

// JPEG through libjpeg-turbo. Quality 1..100.
TPixelImage DecodeJpeg(std::string_view data, bool grayscale = false);
std::string EncodeJpeg(const TPixelImage& image, int quality, bool grayscale, bool progressive);
// The size from the frame header without decoding; false when the bytes are not a JPEG.
bool JpegSize(std::string_view data, int& width, int& height);

// Bytes up to and including the end marker, or all of them when there is none.
std::size_t JpegExtent(std::string_view data);

// Reads the whole rest of the stream into a byte string.
std::string ReadRest(TStream& stream);
void WriteBytes(TStream& stream, std::string_view bytes);
// Of data read to the stream's end, keeps the first `end` bytes and moves the stream back to
// just after them, so that what follows a picture inside a longer stream stays for the next
// reader.
void GiveBackRest(TStream& stream, std::string& data, std::size_t end);

// Little-endian field access with bounds: out-of-range reads give 0.
inline std::uint32_t LE16(std::string_view d, std::size_t at) {
  if (at + 2 > d.size()) return 0;
  return static_cast<std::uint8_t>(d[at]) | (static_cast<std::uint32_t>(static_cast<std::uint8_t>(d[at + 1])) << 8);
}
inline std::uint32_t LE32(std::string_view d, std::size_t at) {
  if (at + 4 > d.size()) return 0;
  return LE16(d, at) | (LE16(d, at + 2) << 16);
}
inline void PutLE16(std::string& s, std::uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline void PutLE32(std::string& s, std::uint32_t v) {
  PutLE16(s, v & 0xFFFF);
  PutLE16(s, v >> 16);
}
inline void SetLE32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Largest picture side accepted from a file; the pixel count is bounded by PicturePixelBudget, so
// that a forged header cannot ask for gigabytes.
constexpr int MaxPictureSide = 65535;
// Raises EInvalidGraphic when a side is not positive or too long, or when the pixels (plus
// `others` already taken by the same picture's other frames) exceed the budget.
void CheckPictureSize(std::int64_t width, std::int64_t height, std::int64_t others = 0);
