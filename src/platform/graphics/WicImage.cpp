#include "platform/graphics/WicImage.h"

#include <cstring>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include "platform/graphics/ImageCodecs.h"

namespace {

TWICImageFormat FormatOf(const QByteArray& name) {
  const QByteArray n = name.toLower();
  if (n == "bmp") return wifBmp;
  if (n == "png") return wifPng;
  if (n == "jpeg" || n == "jpg") return wifJpeg;
  if (n == "gif") return wifGif;
  if (n == "tiff" || n == "tif") return wifTiff;
  return wifOther;
}

const char* FormatName(TWICImageFormat f) {
  switch (f) {
    case wifBmp: return "bmp";
    case wifJpeg: return "jpeg";
    case wifGif: return "gif";
    case wifTiff: return "tiff";
    default: return "png";
  }
}

}  // namespace

TWICImage::TWICImage() = default;
TWICImage::~TWICImage() = default;

void TWICImage::SetWidth(int) {
  throw EInvalidGraphicOperation(std::string_view("Cannot change the size of an imaging-component image"));
}
void TWICImage::SetHeight(int) {
  throw EInvalidGraphicOperation(std::string_view("Cannot change the size of an imaging-component image"));
}

void TWICImage::SetImageFormat(TWICImageFormat value) {
  if (value == FFormat) return;
  Decode();
  FFormat = value;
  FData.clear();
  Changed();
}

void TWICImage::LoadFromStream(TStream& stream) {
  std::string data = ReadRest(stream);
  QByteArray bytes(data.data(), static_cast<qsizetype>(data.size()));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QByteArray format = reader.format();
  const QSize size = reader.size();
  if (format.isEmpty() || !size.isValid()) throw EInvalidGraphic(std::string_view("Image format is not supported"));
  CheckPictureSize(size.width(), size.height());
  FFormat = FormatOf(format);
  const std::size_t end = data.size();
  KeepRead(stream, std::move(data), end, size.width(), size.height());
}

void TWICImage::Decode() const {
  if (!FPixels.Empty() || FData.empty()) return;
  QByteArray bytes = QByteArray::fromRawData(FData.data(), static_cast<qsizetype>(FData.size()));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  QImage q = reader.read();
  if (q.isNull()) throw EInvalidGraphic(std::string_view("Image format is not supported"));
  TPixelImage img;
  img.HasAlpha = q.hasAlphaChannel();
  q = q.convertToFormat(img.HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  img.Resize(q.width(), q.height());
  for (int y = 0; y < q.height(); ++y)
    std::memcpy(img.Pixels.data() + static_cast<std::size_t>(y) * img.Width, q.constScanLine(y),
                static_cast<std::size_t>(img.Width) * 4);
  FPixels = std::move(img);
}

std::string TWICImage::Encode() const {
  QImage q(reinterpret_cast<const uchar*>(FPixels.Pixels.data()), FPixels.Width, FPixels.Height, FPixels.Width * 4,
           FPixels.HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, FormatName(FFormat));
  if (!writer.write(q)) throw EInvalidGraphic(std::string_view("Image could not be written"));
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool TWICImage::AssignFrom(const TGraphic* source) {
  if (const auto* w = dynamic_cast<const TWICImage*>(source)) {
    CopyEncoded(*w);
    FFormat = w->FFormat;
    return true;
  }
  TakePixels(source ? source->ToPixels() : TPixelImage{});
  FFormat = wifPng;
  return true;
}
