// What a DXF import did: the shapes it added, the layers it made and what it could not map.
#pragma once

#include <QString>
#include <QStringList>
#include <map>

namespace cad {

// TMyCAD::ImportDxf maps LINE to lines; POLYLINE and LWPOLYLINE to poly lines, or polygons
// when closed (rectangles when closed, four-cornered and square to the axes); CIRCLE and full
// ELLIPSE to ellipses; ARC to circular arcs; elliptic arcs to poly lines along them; TEXT and
// MTEXT to text blocks; INSERT to the shapes of its block, placed, scaled and turned. Millimetres
// become pixels at 96 per inch and y turns downwards about the drawing's height, as the DXF
// export writes them. Shapes go to layers named after the DXF layers (made when missing).
struct TDxfImportReport {
  // Shapes added.
  int Shapes = 0;
  // Entities not imported, by DXF kind ("SPLINE", "HATCH", ...; "INSERT" of a missing block or
  // one nested too deep; "LIMIT" where the import stopped at kMaxShapes or at the most blocks it
  // expands), with their counts.
  std::map<QString, int> Skipped;
  // Layers the import made.
  QStringList NewLayers;
  // Why nothing was imported, when ImportDxf returned false.
  QString Error;

  // The most shapes one import adds: blocks inserted in arrays and in one another can describe
  // far more shapes than the file has bytes.
  static constexpr int kMaxShapes = 100000;

  int SkippedCount() const {
    int n = 0;
    for (const auto& [kind, count] : Skipped) n += count;
    return n;
  }
  // "3 shapes imported" and, when some were left out, "; not imported: 2 SPLINE, 1 HATCH".
  QString Summary() const {
    QString s = QStringLiteral("%1 %2 imported").arg(Shapes).arg(Shapes == 1 ? QStringLiteral("shape") : QStringLiteral("shapes"));
    if (Skipped.empty()) return s;
    QStringList parts;
    for (const auto& [kind, count] : Skipped) parts << QStringLiteral("%1 %2").arg(count).arg(kind);
    return s + QStringLiteral("; not imported: ") + parts.join(QStringLiteral(", "));
  }
};

}  // namespace cad
