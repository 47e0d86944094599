#include "palette.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace kestrafel {

QIcon ToolGlyph(const QString& Hint) {
  QPixmap pm(24, 24);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(30, 30, 60), 1.6));
  p.setBrush(QColor(170, 200, 240));
  if (Hint == QLatin1String("Selecting") || Hint == QLatin1String("RotateSelecting")) {
    QPainterPath arrow;
    arrow.moveTo(6, 3);
    arrow.lineTo(6, 19);
    arrow.lineTo(10, 15);
    arrow.lineTo(13, 21);
    arrow.lineTo(15, 20);
    arrow.lineTo(12, 14);
    arrow.lineTo(17, 14);
    arrow.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(arrow);
    if (Hint == QLatin1String("RotateSelecting")) {
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(QColor(200, 60, 30), 1.6));
      p.drawArc(QRectF(11, 3, 10, 10), 30 * 16, 270 * 16);
    }
  } else if (Hint == QLatin1String("Line")) {
    p.drawLine(QPointF(4, 20), QPointF(20, 4));
  } else if (Hint == QLatin1String("PolyLine")) {
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(3, 20), QPointF(8, 6), QPointF(14, 16), QPointF(21, 4)}));
  } else if (Hint == QLatin1String("Polygon")) {
    p.drawPolygon(QPolygonF({QPointF(4, 18), QPointF(7, 5), QPointF(17, 3), QPointF(21, 14), QPointF(12, 21)}));
  } else if (Hint == QLatin1String("Rectangle")) {
    p.drawRect(QRectF(4, 6, 16, 12));
  } else if (Hint == QLatin1String("Ellipse")) {
    p.drawEllipse(QRectF(3, 6, 18, 12));
  } else {
    // A shape kind without its own glyph yet shows its initial.
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 11, QFont::Bold));
    p.drawText(pm.rect(), Qt::AlignCenter, Hint.left(2));
  }
  return QIcon(pm);
}

}  // namespace kestrafel
