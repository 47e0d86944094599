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
  } else if (Hint == QLatin1String("LinkLine")) {
    // Two boxes joined by a connector that leaves each at a right angle.
    p.drawRect(QRectF(2, 3, 7, 6));
    p.drawRect(QRectF(15, 15, 7, 6));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(9, 6), QPointF(13, 6), QPointF(13, 18), QPointF(15, 18)}));
  } else if (Hint == QLatin1String("LineLinkLine")) {
    // A joint: the cross-marked square where three connectors meet.
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(2, 12), QPointF(9, 12));
    p.drawLine(QPointF(15, 12), QPointF(22, 12));
    p.drawLine(QPointF(12, 15), QPointF(12, 22));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8.5, 8.5, 7, 7));
    p.drawLine(QPointF(8.5, 8.5), QPointF(15.5, 15.5));
    p.drawLine(QPointF(15.5, 8.5), QPointF(8.5, 15.5));
  } else {
    // A shape kind without its own glyph yet shows its initial.
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 11, QFont::Bold));
    p.drawText(pm.rect(), Qt::AlignCenter, Hint.left(2));
  }
  return QIcon(pm);
}

}  // namespace kestrafel
