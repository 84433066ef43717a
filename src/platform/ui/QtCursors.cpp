#include "platform/ui/QtCursors.h"

#include <QImage>
#include <QPixmap>

#include "platform/ui/GuiSession.h"

QCursor ToQtCursor(HCURSOR Cursor) {
  // Even standard shapes are made as pixmaps by some platforms.
  EnsureGuiApplication();
  if (!Cursor) return QCursor(Qt::ArrowCursor);
  switch (Cursor->Shape) {
    case csArrow: return QCursor(Qt::ArrowCursor);
    case csIBeam: return QCursor(Qt::IBeamCursor);
    case csHand: return QCursor(Qt::PointingHandCursor);
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
