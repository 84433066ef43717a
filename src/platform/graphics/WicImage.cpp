#include "platform/graphics/WicImage.h"

#include <cstring>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QPixmap>

#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/ToolkitPeer.h"

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

bool ToolkitDecode(std::string_view data, const char* format, TPixelImage& image) {
  QByteArray bytes = QByteArray::fromRawData(data.data(), static_cast<qsizetype>(data.size()));
  {
    // Where the reader produces one of our two layouts, it writes straight into our pixels.
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    // A declared size beyond the budget is refused before any pixel is allocated.
    if (size.isValid() && static_cast<std::int64_t>(size.width()) * size.height() > PicturePixelBudget()) return false;
    const QImage::Format layout = reader.imageFormat();
    if (size.isValid() && !size.isEmpty() &&
        (layout == QImage::Format_RGB32 || layout == QImage::Format_ARGB32)) {
      TPixelImage img;
      img.Allocate(size.width(), size.height());
      auto* bits = reinterpret_cast<uchar*>(img.Pixels.data());
      QImage target(bits, img.Width, img.Height, static_cast<qsizetype>(img.Width) * 4, layout);
      if (reader.read(&target) && target.constBits() == bits && target.format() == layout &&
          target.size() == size) {
        img.HasAlpha = layout == QImage::Format_ARGB32;
        image = std::move(img);
        return true;
      }
    }
  }
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  QImage q = reader.read();
  if (q.isNull()) return false;
  TPixelImage img;
  img.HasAlpha = q.hasAlphaChannel();
  q = q.convertToFormat(img.HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  img.Allocate(q.width(), q.height());
  for (int y = 0; y < q.height(); ++y)
    std::memcpy(img.Pixels.data() + static_cast<std::size_t>(y) * img.Width, q.constScanLine(y),
                static_cast<std::size_t>(img.Width) * 4);
  image = std::move(img);
  return true;
}

bool ToolkitEncode(const TPixelImage& image, const char* format, std::string& data) {
  const QImage q(reinterpret_cast<const uchar*>(image.Pixels.data()), image.Width, image.Height, image.Width * 4,
                 image.HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (!writer.write(q)) return false;
  data.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return true;
}

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
  if (!ToolkitDecode(FData, nullptr, FPixels)) throw EInvalidGraphic(std::string_view("Image format is not supported"));
}

std::string TWICImage::Encode() const {
  std::string data;
  if (!ToolkitEncode(FPixels, FormatName(FFormat), data))
    throw EInvalidGraphic(std::string_view("Image could not be written"));
  return data;
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

// ---- the toolkit's own scaling, the thumbnail benchmark's peer ------------------------------

TPixelImage ToolkitSmoothScale(const TPixelImage& image, int width, int height) {
  TPixelImage out;
  if (image.Empty() || width <= 0 || height <= 0) return out;
  const QImage source(reinterpret_cast<const uchar*>(image.Pixels.data()), image.Width, image.Height,
                      static_cast<qsizetype>(image.Width) * 4,
                      image.HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  const QImage scaled = source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  out.Allocate(scaled.width(), scaled.height());
  out.HasAlpha = image.HasAlpha;
  for (int y = 0; y < scaled.height(); ++y)
    std::memcpy(out.Pixels.data() + static_cast<std::size_t>(y) * out.Width, scaled.constScanLine(y),
                static_cast<std::size_t>(out.Width) * 4);
  return out;
}

void ToolkitTiledFill(TPixelImage& Target, const TPixelImage& Tile, int OffsetX, int OffsetY) {
  if (Target.Width <= 0 || Target.Height <= 0 || Tile.Width <= 0 || Tile.Height <= 0) return;
  QImage target(reinterpret_cast<uchar*>(Target.Pixels.data()), Target.Width, Target.Height, Target.Width * 4,
                QImage::Format_RGB32);
  const QImage tile(reinterpret_cast<const uchar*>(Tile.Pixels.data()), Tile.Width, Tile.Height, Tile.Width * 4,
                    QImage::Format_RGB32);
  QPainter p(&target);
  p.drawTiledPixmap(target.rect(), QPixmap::fromImage(tile), QPoint(OffsetX, OffsetY));
}
