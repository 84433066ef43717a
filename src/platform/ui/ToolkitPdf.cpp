#include "platform/ui/ToolkitPdf.h"

#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "platform/base/SysUtils.h"
#include "platform/ui/GuiSession.h"

bool ToolkitWritePdf(const UnicodeString& fileName, const std::vector<TToolkitPdfFont>& fonts,
                     const std::vector<TToolkitPdfPage>& pages) {
  if (!GuiSessionRunning()) return false;
  QPdfWriter writer(QString::fromStdU16String(fileName));
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setPageMargins(QMarginsF(0, 0, 0, 0));
  writer.setResolution(72);
  QPainter painter;
  if (!painter.begin(&writer)) return false;
  std::vector<QFont> qfonts;
  for (const auto& f : fonts) {
    QFont q(QString::fromStdU16String(f.Family));
    q.setPointSize(f.PointSize);
    q.setBold(f.Bold);
    qfonts.push_back(q);
  }
  QPen pen(Qt::black);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (i > 0) writer.newPage();
    const auto& p = pages[i];
    for (const auto& l : p.Lines) {
      pen.setWidthF(l.Width);
      painter.setPen(pen);
      painter.drawLine(QPointF(l.X1, l.Y1), QPointF(l.X2, l.Y2));
    }
    pen.setWidthF(1);
    painter.setPen(pen);
    for (const auto& r : p.Rects) painter.drawRect(QRectF(r.X, r.Y, r.W, r.H));
    int current = -1;
    for (const auto& t : p.Texts) {
      if (t.Font != current && t.Font >= 0 && t.Font < static_cast<int>(qfonts.size())) {
        painter.setFont(qfonts[t.Font]);
        current = t.Font;
      }
      painter.drawText(QPointF(t.X, t.Y), QString::fromStdU16String(t.Text));
    }
  }
  return painter.end();
}
