#include "platform/ui/QtCursors.h"

#include <QImage>
#include <QPixmap>

#include "platform/ui/GuiSession.h"

QCursor ToQtCursor(HCURSOR Cursor) {
  // Even standard shapes are made as pixmaps by some platforms, which needs the window system.
  if (!Cursor || !GuiSessionRunning()) return QCursor(Qt::ArrowCursor);
  switch (Cursor->Shape) {
    case csArrow: return QCursor(Qt::ArrowCursor);
    case csIBeam: return QCursor(Qt::IBeamCursor);
    case csHand: return QCursor(Qt::PointingHandCursor);
    case csCross: return QCursor(Qt::CrossCursor);
    case csSizeNS: return QCursor(Qt::SizeVerCursor);
    case csSizeWE: return QCursor(Qt::SizeHorCursor);
    case csSizeNWSE: return QCursor(Qt::SizeFDiagCursor);
    case csSizeNESW: return QCursor(Qt::SizeBDiagCursor);
    case csCustom: break;
  }
  const TPixelImage& p = Cursor->Image;
  if (p.Empty()) return QCursor(Qt::ArrowCursor);
  QImage img(p.Width, p.Height, QImage::Format_ARGB32);
  for (int y = 0; y < p.Height; ++y)
    for (int x = 0; x < p.Width; ++x) img.setPixel(x, y, p.At(x, y));
  return QCursor(QPixmap::fromImage(img), Cursor->HotX, Cursor->HotY);
}

QCursor ScreenCursorToQt(int Id) { return ToQtCursor(GetScreenCursor(Id)); }

namespace {

TCursorImage FromQtCursor(const QCursor& q) {
  TCursorImage r;
  switch (q.shape()) {
    case Qt::ArrowCursor: r.Shape = csArrow; return r;
    case Qt::IBeamCursor: r.Shape = csIBeam; return r;
    case Qt::PointingHandCursor: r.Shape = csHand; return r;
    case Qt::CrossCursor: r.Shape = csCross; return r;
    case Qt::SizeVerCursor: r.Shape = csSizeNS; return r;
    case Qt::SizeHorCursor: r.Shape = csSizeWE; return r;
    case Qt::SizeFDiagCursor: r.Shape = csSizeNWSE; return r;
    case Qt::SizeBDiagCursor: r.Shape = csSizeNESW; return r;
    default: break;
  }
  const QImage img = q.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
  r.Image.Resize(img.width(), img.height(), 0);
  r.Image.HasAlpha = img.hasAlphaChannel();
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) r.Image.At(x, y) = img.pixel(x, y);
  r.HotX = q.hotSpot().x();
  r.HotY = q.hotSpot().y();
  return r;
}

}  // namespace

TCursorImage WindowSystemCursor(HCURSOR Cursor) { return FromQtCursor(ToQtCursor(Cursor)); }

TCursorImage WindowSystemScreenCursor(int Id) { return FromQtCursor(ScreenCursorToQt(Id)); }
