#include "platform/graphics/Jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "platform/graphics/ImageCodecs.h"

namespace {

struct TJpegError {
  jpeg_error_mgr Mgr;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TJpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->Message);
  std::longjmp(err->Jump, 1);
}

void OnJpegMessage(j_common_ptr, int) {}  // warnings are not errors; corrupt data still decodes

// Errors jump back to the caller's setjmp with the message kept; warnings are dropped.
jpeg_error_mgr* InitJpegError(TJpegError& err) {
  jpeg_error_mgr* mgr = jpeg_std_error(&err.Mgr);
  err.Mgr.error_exit = OnJpegError;
  err.Mgr.emit_message = OnJpegMessage;
  err.Message[0] = 0;
  return mgr;
}

void CopyJpegMessage(const TJpegError& err, char* message) {
  std::memcpy(message, err.Message, JMSG_LENGTH_MAX);
  message[JMSG_LENGTH_MAX - 1] = 0;
}

// Plain C frames only between setjmp and longjmp: nothing here owns C++ resources. The caller
// gives the output buffer once the size is known through the callback.
struct TDecodeTarget {
  int Width = 0, Height = 0;
  std::uint32_t* (*Allocate)(void* self, int w, int h) = nullptr;
  void* Self = nullptr;
};

bool DecodeJpegRaw(const unsigned char* data, unsigned long size, bool grayscale, TDecodeTarget& target,
                   char* message) {
  jpeg_decompress_struct cinfo;
  TJpegError err;
  cinfo.err = InitJpegError(err);
  unsigned char* volatile rowBuf = nullptr;
  if (setjmp(err.Jump)) {
    CopyJpegMessage(err, message);
    jpeg_destroy_decompress(&cinfo);
    std::free(rowBuf);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, size);
  jpeg_read_header(&cinfo, TRUE);
  // Refused before the decoder allocates its buffers for the declared size (a progressive
  // picture keeps every coefficient of it).
  const std::int64_t declared = static_cast<std::int64_t>(cinfo.image_width) * cinfo.image_height;
  if (declared <= 0 || cinfo.image_width > MaxPictureSide || cinfo.image_height > MaxPictureSide ||
      declared > PicturePixelBudget()) {
    std::strcpy(message, "Picture size is not valid");
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  if (grayscale) {
    cinfo.out_color_space = JCS_GRAYSCALE;
  } else if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    cinfo.out_color_space = JCS_CMYK;
  } else {
    cinfo.out_color_space = JCS_EXT_BGRA;
  }
  jpeg_start_decompress(&cinfo);
  const int w = static_cast<int>(cinfo.output_width), h = static_cast<int>(cinfo.output_height);
  if (w <= 0 || h <= 0 || w > MaxPictureSide || h > MaxPictureSide ||
      static_cast<std::int64_t>(w) * h > PicturePixelBudget()) {
    std::strcpy(message, "Picture size is not valid");
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  std::uint32_t* out = target.Allocate(target.Self, w, h);
  target.Width = w;
  target.Height = h;
  const int comps = cinfo.output_components;
  if (cinfo.out_color_space != JCS_EXT_BGRA) rowBuf = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(w) * comps));
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = static_cast<int>(cinfo.output_scanline);
    std::uint32_t* dst = out + static_cast<std::size_t>(y) * w;
    if (!rowBuf) {
      JSAMPROW row = reinterpret_cast<JSAMPROW>(dst);
      jpeg_read_scanlines(&cinfo, &row, 1);
      continue;
    }
    JSAMPROW row = rowBuf;
    jpeg_read_scanlines(&cinfo, &row, 1);
    for (int x = 0; x < w; ++x) {
      if (comps == 1) {
        const std::uint32_t v = rowBuf[x];
        dst[x] = 0xFF000000u | v << 16 | v << 8 | v;
      } else {
        // Adobe CMYK is stored inverted.
        const std::uint32_t c = rowBuf[4 * x], m = rowBuf[4 * x + 1], yy = rowBuf[4 * x + 2], k = rowBuf[4 * x + 3];
        const std::uint32_t r = c * k / 255, g = m * k / 255, b = yy * k / 255;
        dst[x] = 0xFF000000u | r << 16 | g << 8 | b;
      }
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::free(rowBuf);
  return true;
}

struct TEncodeSink {
  unsigned char* Buffer = nullptr;
  unsigned long Size = 0;
};

bool EncodeJpegRaw(const std::uint32_t* pixels, int w, int h, int quality, bool grayscale, bool progressive,
                   TEncodeSink& sink, char* message) {
  jpeg_compress_struct cinfo;
  TJpegError err;
  cinfo.err = InitJpegError(err);
  unsigned char* volatile gray = nullptr;
  if (setjmp(err.Jump)) {
    CopyJpegMessage(err, message);
    jpeg_destroy_compress(&cinfo);
    std::free(gray);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &sink.Buffer, &sink.Size);
  cinfo.image_width = static_cast<JDIMENSION>(w);
  cinfo.image_height = static_cast<JDIMENSION>(h);
  cinfo.input_components = grayscale ? 1 : 4;
  cinfo.in_color_space = grayscale ? JCS_GRAYSCALE : JCS_EXT_BGRA;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  if (grayscale) gray = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(w)));
  while (cinfo.next_scanline < cinfo.image_height) {
    const std::uint32_t* src = pixels + static_cast<std::size_t>(cinfo.next_scanline) * w;
    JSAMPROW row;
    if (grayscale) {
      for (int x = 0; x < w; ++x) {
        const std::uint32_t p = src[x];
        gray[x] = static_cast<unsigned char>((((p >> 16) & 0xFF) * 299 + ((p >> 8) & 0xFF) * 587 + (p & 0xFF) * 114 + 500) / 1000);
      }
      row = gray;
    } else {
      row = const_cast<JSAMPROW>(reinterpret_cast<const unsigned char*>(src));
    }
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::free(gray);
  return true;
}

}  // namespace

TPixelImage DecodeJpeg(std::string_view data, bool grayscale) {
  TPixelImage img;
  TDecodeTarget target;
  target.Self = &img;
  target.Allocate = [](void* self, int w, int h) {
    auto* i = static_cast<TPixelImage*>(self);
    i->Allocate(w, h);  // every row is written
    return i->Pixels.data();
  };
  char message[JMSG_LENGTH_MAX] = {0};
  bool ok = false;
  try {
    ok = DecodeJpegRaw(reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned long>(data.size()),
                       grayscale, target, message);
  } catch (const std::bad_alloc&) {
    std::strcpy(message, "Out of memory");
  }
  if (!ok) throw EInvalidGraphic(Format(u"JPEG error: %s", {Utf8ToUnicode(message)}));
  img.HasAlpha = false;
  return img;
}

std::string EncodeJpeg(const TPixelImage& image, int quality, bool grayscale, bool progressive) {
  if (image.Empty()) return {};
  TEncodeSink sink;
  char message[JMSG_LENGTH_MAX] = {0};
  const bool ok = EncodeJpegRaw(image.Pixels.data(), image.Width, image.Height, std::clamp(quality, 1, 100), grayscale,
                                progressive, sink, message);
  std::string out;
  if (ok) out.assign(reinterpret_cast<const char*>(sink.Buffer), sink.Size);
  std::free(sink.Buffer);
  if (!ok) throw EInvalidGraphic(Format(u"JPEG error: %s", {Utf8ToUnicode(message)}));
  return out;
}

bool JpegSize(std::string_view d, int& width, int& height) {
  if (d.size() < 4 || static_cast<std::uint8_t>(d[0]) != 0xFF || static_cast<std::uint8_t>(d[1]) != 0xD8) return false;
  std::size_t p = 2;
  while (p + 4 <= d.size()) {
    if (static_cast<std::uint8_t>(d[p]) != 0xFF) return false;
    const std::uint8_t marker = static_cast<std::uint8_t>(d[p + 1]);
    if (marker == 0xFF) {
      ++p;
      continue;
    }
    if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
      p += 2;
      continue;
    }
    const std::size_t len = (static_cast<std::uint8_t>(d[p + 2]) << 8) | static_cast<std::uint8_t>(d[p + 3]);
    if (len < 2) return false;
    const bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (sof) {
      if (p + 9 > d.size()) return false;
      height = (static_cast<std::uint8_t>(d[p + 5]) << 8) | static_cast<std::uint8_t>(d[p + 6]);
      width = (static_cast<std::uint8_t>(d[p + 7]) << 8) | static_cast<std::uint8_t>(d[p + 8]);
      return width > 0 && height > 0;
    }
    p += 2 + len;
  }
  return false;
}

// The length of the JPEG stream up to and including its end marker, or the whole data when the
// marker is missing (decoders accept such files).
std::size_t JpegExtent(std::string_view d) {
  std::size_t p = 2;
  while (p + 4 <= d.size()) {
    if (static_cast<std::uint8_t>(d[p]) != 0xFF) return d.size();
    const std::uint8_t marker = static_cast<std::uint8_t>(d[p + 1]);
    if (marker == 0xFF) {
      ++p;
      continue;
    }
    if (marker == 0xD9) return p + 2;
    if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
      p += 2;
      continue;
    }
    const std::size_t len = (static_cast<std::uint8_t>(d[p + 2]) << 8) | static_cast<std::uint8_t>(d[p + 3]);
    if (len < 2) return d.size();
    p += 2 + len;
    if (marker == 0xDA) {
      // Entropy-coded data runs to the next marker that is not a stuffed zero or a restart.
      while (p + 1 < d.size()) {
        if (static_cast<std::uint8_t>(d[p]) == 0xFF) {
          const std::uint8_t m = static_cast<std::uint8_t>(d[p + 1]);
          if (m != 0x00 && !(m >= 0xD0 && m <= 0xD7) && m != 0xFF) break;
        }
        ++p;
      }
    }
  }
  return d.size();
}

// ---- TJPEGImage -------------------------------------------------------------------------------

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::SetWidth(int) {
  throw EInvalidGraphicOperation(std::string_view("Cannot change the size of a JPEG image"));
}
void TJPEGImage::SetHeight(int) {
  throw EInvalidGraphicOperation(std::string_view("Cannot change the size of a JPEG image"));
}

void TJPEGImage::SetGrayscale(bool value) {
  if (value == FGrayscale) return;
  FGrayscale = value;
  if (!FData.empty()) FPixels = TPixelImage{};
  Changed();
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat value) {
  if (value == FPixelFormat) return;
  FPixelFormat = value;
  if (!FData.empty()) FPixels = TPixelImage{};
  Changed();
}

void TJPEGImage::DIBNeeded() const {
  if (!FPixels.Empty() || FData.empty()) return;
  TPixelImage img = DecodeJpeg(FData, FGrayscale);
  if (FPixelFormat == jf8Bit) {
    TBitmap b;
    b.FromPixels(img);
    b.SetPixelFormat(pf8bit);
    img = b.ToPixels();
  }
  FPixels = std::move(img);
}

std::string TJPEGImage::Encode() const {
  return EncodeJpeg(FPixels, CompressionQuality, FGrayscale, ProgressiveEncoding);
}

void TJPEGImage::LoadFromStream(TStream& stream) {
  std::string data = ReadRest(stream);
  int w = 0, h = 0;
  if (!JpegSize(data, w, h)) throw EInvalidGraphic(std::string_view("JPEG error: not a JPEG file"));
  CheckPictureSize(w, h);
  const std::size_t end = JpegExtent(data);
  KeepRead(stream, std::move(data), end, w, h);
}

bool TJPEGImage::AssignFrom(const TGraphic* source) {
  if (!source) {
    TakePixels(TPixelImage{});
    return true;
  }
  if (const auto* j = dynamic_cast<const TJPEGImage*>(source)) {
    CopyEncoded(*j);
    FGrayscale = j->FGrayscale;
    FPixelFormat = j->FPixelFormat;
    CompressionQuality = j->CompressionQuality;
    ProgressiveEncoding = j->ProgressiveEncoding;
    return true;
  }
  // Any other picture is compressed from its pixels when first saved; JPEG has no alpha.
  TPixelImage img = source->ToPixels();
  for (auto& p : img.Pixels) p |= 0xFF000000u;
  img.HasAlpha = false;
  TakePixels(std::move(img));
  return true;
}
