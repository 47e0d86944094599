#include "glyphs.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <map>

namespace kestrafel {

namespace {

// The whole style: one ink for outlines, a few flat fills, one accent for arrows and marks.
const QColor kInk(0x2b, 0x33, 0x40);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kBlue(0x86, 0xb6, 0xea);
const QColor kYellow(0xf4, 0xc8, 0x55);
const QColor kGreen(0x52, 0xa8, 0x5a);
const QColor kRed(0xd8, 0x3c, 0x32);
const QColor kGrey(0xc5, 0xcc, 0xd6);
const QColor kAccent(0x1f, 0x6c, 0xc4);

// Painting on the design grid. The grid has 16 cells a side; integer coordinates name cells, so a
// stroke "at x = 3" runs through the middle of cell 3 and a rectangle from 3 to 9 covers cells 3
// to 9 inclusive. Every anchor is snapped to the nearest position where a stroke of the current
// device width covers whole device pixels (a pixel centre for odd widths, a pixel edge for even
// ones), so outlines come out sharp at any integer scale.
class G {
public:
  G(QPainter& Painter, qreal Scale)
      : P(Painter), S(Scale), W(std::max(1, int(std::lround(Scale * 0.9)))) {}

  qreal Snap(qreal v) const {
    const qreal px = (v + 0.5) * S;
    return W % 2 ? std::floor(px) + 0.5 : std::round(px);
  }
  QPointF Snap(QPointF c) const { return {Snap(c.x()), Snap(c.y())}; }
  QPointF Linear(QPointF c) const { return (c + QPointF(0.5, 0.5)) * S; }

  // The path in device pixels: anchors snapped; curve control points follow their anchor so
  // the tangents at the ends keep their direction.
  QPainterPath Map(const QPainterPath& In) const {
    QPainterPath out = In;
    for (int i = 0; i < In.elementCount(); ++i) {
      const QPointF e = In.elementAt(i);
      if (In.elementAt(i).type == QPainterPath::CurveToElement && i + 2 < In.elementCount()) {
        const QPointF a = In.elementAt(i - 1), c2 = In.elementAt(i + 1), b = In.elementAt(i + 2);
        const QPointF c1 = Linear(e) + Snap(a) - Linear(a);
        out.setElementPositionAt(i, c1.x(), c1.y());
        const QPointF m2 = Linear(c2) + Snap(b) - Linear(b);
        out.setElementPositionAt(i + 1, m2.x(), m2.y());
        out.setElementPositionAt(i + 2, Snap(b).x(), Snap(b).y());
        i += 2;
      } else {
        out.setElementPositionAt(i, Snap(e).x(), Snap(e).y());
      }
    }
    return out;
  }

  QPen Pen(const QColor& C, int Weight = 1) const {
    return QPen(C, W * Weight, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
  }
  // A closed outline filled flat.
  void Fill(const QPainterPath& Path, const QColor& FillColor, const QColor& Ink = kInk) {
    P.setPen(Ink.isValid() ? Pen(Ink) : QPen(Qt::NoPen));
    P.setBrush(FillColor);
    P.drawPath(Map(Path));
  }
  void Stroke(const QPainterPath& Path, const QColor& Ink = kInk, int Weight = 1) {
    P.setPen(Pen(Ink, Weight));
    P.setBrush(Qt::NoBrush);
    P.drawPath(Map(Path));
  }
  // A white border around an overlay, so it stands out from what lies beneath.
  void Halo(const QPainterPath& Path, bool Filled = false) {
    QPen pen = Pen(kPaper, 3);
    pen.setJoinStyle(Qt::RoundJoin);
    P.setPen(pen);
    P.setBrush(Filled ? QBrush(kPaper) : QBrush(Qt::NoBrush));
    P.drawPath(Map(Path));
  }
  void Line(qreal x1, qreal y1, qreal x2, qreal y2, const QColor& Ink = kInk, int Weight = 1) {
    QPainterPath p({x1, y1});
    p.lineTo(x2, y2);
    Stroke(p, Ink, Weight);
  }
  void Rect(qreal x1, qreal y1, qreal x2, qreal y2, const QColor& FillColor) {
    Fill(RectPath(x1, y1, x2, y2), FillColor);
  }
  void Ellipse(qreal x1, qreal y1, qreal x2, qreal y2, const QColor& FillColor) {
    QPainterPath p;
    p.addEllipse(QRectF(x1, y1, x2 - x1, y2 - y1));
    Fill(p, FillColor);
  }
  // Whole cells filled without an outline.
  void Cells(int x1, int y1, int x2, int y2, const QColor& C) {
    P.fillRect(QRectF(QPointF(std::round(x1 * S), std::round(y1 * S)),
                      QPointF(std::round((x2 + 1) * S), std::round((y2 + 1) * S))),
               C);
  }
  // A horizontal or vertical dashed line: two cells on, one off, as wide as a stroke.
  void Dash(int x1, int y1, int x2, int y2, const QColor& C = kInk) {
    const bool horizontal = y1 == y2;
    const int from = horizontal ? x1 : y1, to = horizontal ? x2 : y2;
    const qreal mid = Snap(horizontal ? y1 : x1);
    for (int c = from; c <= to; c += 3) {
      const qreal a = std::round(c * S), b = std::round((std::min(c + 1, to) + 1) * S);
      const QRectF r = horizontal ? QRectF(a, mid - W / 2.0, b - a, W) : QRectF(mid - W / 2.0, a, W, b - a);
      P.fillRect(r, C);
    }
  }
  void DashRect(int x1, int y1, int x2, int y2) {
    Dash(x1, y1, x2, y1);
    Dash(x1, y2, x2, y2);
    Dash(x1, y1, x1, y2);
    Dash(x2, y1, x2, y2);
  }
  // A filled arrowhead at the end of the path, pointing along it; the shaft is stroked too.
  void Arrow(const QPainterPath& Shaft, const QColor& C = kAccent, qreal Size = 1, int Weight = 1) {
    Stroke(Shaft, C, Weight);
    const QPainterPath m = Map(Shaft);
    const qreal a = qDegreesToRadians(-m.angleAtPercent(1));
    const QPointF d(std::cos(a), std::sin(a)), n(-d.y(), d.x());
    const QPointF tip = m.pointAtPercent(1) + d * (0.5 * W);
    const QPointF base = tip - d * (3.2 * S * Size);
    P.setPen(Qt::NoPen);
    P.setBrush(C);
    P.drawPolygon(QPolygonF({tip, base + n * (2.6 * S * Size), base - n * (2.6 * S * Size)}));
  }

  static QPainterPath RectPath(qreal x1, qreal y1, qreal x2, qreal y2) {
    QPainterPath p;
    p.addRect(QRectF(x1, y1, x2 - x1, y2 - y1));
    return p;
  }
  static QPainterPath Poly(std::initializer_list<QPointF> Points, bool Closed) {
    QPainterPath p;
    p.addPolygon(QPolygonF(Points));
    if (Closed) p.closeSubpath();
    return p;
  }

  QPainter& P;
  qreal S;  // device pixels per cell
  int W;    // device pixels per stroke
};

using Draw = void (*)(G&);

// Mirror images on the grid: cell v and cell 15 - v swap places.
const QTransform kMirrorX(-1, 0, 0, 1, 15, 0);
const QTransform kMirrorY(1, 0, 0, -1, 0, 15);
const QTransform kTranspose(0, 1, 1, 0, 0, 0);

// ---- Shared pieces ------------------------------------------------------------------------------

// A sheet of paper with a folded top-right corner.
void Page(G& g, qreal x1, qreal y1, qreal x2, qreal y2, qreal Fold = 3) {
  g.Fill(G::Poly({{x1, y1}, {x2 - Fold, y1}, {x2, y1 + Fold}, {x2, y2}, {x1, y2}}, true), kPaper);
  g.Fill(G::Poly({{x2 - Fold, y1}, {x2 - Fold, y1 + Fold}, {x2, y1 + Fold}}, true), kGrey);
}

void Folder(G& g) {
  g.Fill(G::Poly({{1, 2}, {6, 2}, {7, 4}, {13, 4}, {13, 13}, {1, 13}}, true), QColor(0xd9, 0xa8, 0x3a));
  g.Fill(G::Poly({{1, 13}, {3, 6}, {15, 6}, {13, 13}}, true), kYellow);
}

void Disk(G& g) {
  g.Fill(G::Poly({{1, 1}, {12, 1}, {14, 3}, {14, 14}, {1, 14}}, true), kBlue);
  g.Rect(4, 1, 11, 5, kPaper);
  g.Cells(8, 2, 9, 4, kInk);
  g.Rect(3, 8, 12, 14, kPaper);
  g.Line(5, 10, 10, 10, kGrey);
  g.Line(5, 12, 10, 12, kGrey);
}

void Printer(G& g) {
  g.Rect(4, 1, 11, 6, kPaper);
  g.Fill(G::Poly({{1, 5}, {14, 5}, {14, 11}, {1, 11}}, true), kGrey);
  g.Rect(4, 9, 11, 14, kPaper);
  g.Line(6, 12, 9, 12, kGrey);
  g.Cells(11, 7, 12, 7, kGreen);
}

// The drawn shape inside a small picture: hill and sun.
void Picture(G& g, qreal x1, qreal y1, qreal x2, qreal y2) {
  g.Rect(x1, y1, x2, y2, kPaper);
  g.Fill(G::Poly({{x1, y2}, {x1 + std::floor((x2 - x1) * 0.4), y1 + std::floor((y2 - y1) * 0.4)}, {x2 - 1, y2}}, true),
         kGreen);
  const qreal r = std::max(1.0, std::floor((x2 - x1) / 6));
  g.Ellipse(x2 - 2 - 2 * r, y1 + 2, x2 - 2, y1 + 2 + 2 * r, kYellow);
}

// The arrow cursor whose tip is at (x, y), Size cells tall.
void Cursor(G& g, qreal x, qreal y, qreal Size) {
  const qreal k = Size / 12;
  QPainterPath p = G::Poly({{0, 0}, {0, 12}, {3, 9}, {5, 13}, {7, 12}, {5, 8}, {9, 8}}, true);
  g.Fill(QTransform(k, 0, 0, k, x, y).map(p), kPaper);
}

// Selection handles at the corners of a box.
void Handles(G& g, int x1, int y1, int x2, int y2) {
  for (const QPoint c : {QPoint(x1, y1), QPoint(x2, y1), QPoint(x1, y2), QPoint(x2, y2)})
    g.Rect(c.x() - 1, c.y() - 1, c.x() + 1, c.y() + 1, kPaper);
}

// A round badge in the lower right with a white plus or minus: "add to" / "take away".
void SignBadge(G& g, bool Plus) {
  QPainterPath c;
  c.addEllipse(QRectF(9, 9, 6, 6));
  g.Halo(c, true);
  g.Fill(c, Plus ? kGreen : kRed);
  g.Cells(10, 12, 14, 12, kPaper);
  if (Plus) g.Cells(12, 10, 12, 14, kPaper);
}

// The mark of a command that draws by code: a pair of braces in the lower right corner, set
// pixel by pixel on a white ground.
void CodeMark(G& g) {
  g.Cells(8, 9, 15, 15, kPaper);
  for (const int x : {10, 14}) {  // the braces' stems
    g.Cells(x, 10, x, 11, kAccent);
    g.Cells(x, 13, x, 14, kAccent);
  }
  g.Cells(11, 10, 11, 10, kAccent);
  g.Cells(11, 14, 11, 14, kAccent);
  g.Cells(9, 12, 9, 12, kAccent);
  g.Cells(13, 10, 13, 10, kAccent);
  g.Cells(13, 14, 13, 14, kAccent);
  g.Cells(15, 12, 15, 12, kAccent);
}

// A file with something in it, with an arrow going out of it (export) or into it (import).
void FileArrow(G& g, void (*Content)(G&), bool Import) {
  if (Import) {
    Page(g, 5, 1, 14, 14);
    Content(g);
  } else {
    Page(g, 1, 1, 10, 14);
    Content(g);
  }
  QPainterPath shaft(Import ? QPointF(0, 11) : QPointF(7, 11));
  shaft.lineTo(Import ? 6 : 12, 11);
  QPainterPath halo = shaft;
  halo.lineTo(Import ? 9 : 15, 11);
  g.Halo(halo);
  g.Arrow(shaft, kAccent, 0.8);
}
// File contents, sized for a page at x 1..10 (export); Dx shifts them onto the import page.
void RasterContent(G& g) {
  for (int y = 4; y <= 9; y += 2)
    for (int x = 3 + (y / 2) % 2 * 2; x <= 7; x += 4) g.Cells(x, y, x + 1, y + 1, kBlue);
}
void VectorContent(G& g, qreal dx) {
  g.Ellipse(3 + dx, 4, 6 + dx, 7, kBlue);
  g.Fill(G::Poly({{5 + dx, 11}, {7 + dx, 6}, {9 + dx, 11}}, true), kYellow);
}
void DraftContent(G& g, int dx) {
  g.Line(3 + dx, 4, 3 + dx, 8);
  g.Line(8 + dx, 4, 8 + dx, 8);
  g.Line(3 + dx, 6, 8 + dx, 6, kAccent);
  g.Rect(4 + dx, 9, 7 + dx, 11, kBlue);
}

// Two overlapping squares, the moved one blue, and an arrow up (towards the front) or down; a
// bar at the arrow's end means all the way, no bar one step.
void ZOrder(G& g, bool ToFront, bool AllTheWay) {
  if (ToFront) {
    g.Rect(1, 2, 7, 8, kPaper);
    g.Rect(4, 6, 10, 12, kBlue);
  } else {
    g.Rect(1, 2, 7, 8, kBlue);
    g.Rect(4, 6, 10, 12, kPaper);
  }
  const int from = ToFront ? (AllTheWay ? 13 : 10) : (AllTheWay ? 2 : 5);
  const int to = ToFront ? (AllTheWay ? 4 : 6) : (AllTheWay ? 11 : 9);
  QPainterPath shaft({13, qreal(from)});
  shaft.lineTo(13, to);
  g.Arrow(shaft, kAccent, 0.8);
  if (AllTheWay) g.Line(11, ToFront ? 1 : 14, 15, ToFront ? 1 : 14, kAccent);
}

void Padlock(G& g, bool Closed) {
  const int x1 = Closed ? 2 : 1, x2 = Closed ? 13 : 10;
  QPainterPath shackle;
  if (Closed) {
    shackle.moveTo(4, 7);
    shackle.lineTo(4, 4.5);
    shackle.arcTo(QRectF(4, 1, 7, 7), 180, -180);
    shackle.lineTo(11, 7);
  } else {
    shackle.moveTo(7, 7);
    shackle.lineTo(7, 4.5);
    shackle.arcTo(QRectF(7, 1, 7, 7), 180, -180);
    shackle.lineTo(14, 6);
  }
  g.Stroke(shackle, kInk, 2);
  g.Rect(x1, 7, x2, 14, kYellow);
  const int k = (x1 + x2) / 2;
  g.Cells(k, 9, k + (x2 - x1 + 1) % 2, 12, kInk);
}

// A filled triangle and its outlined mirror image about a dashed axis.
// A shape and its mirror image across a dashed axis: two wedges side by side for a horizontal
// flip; for a vertical one a stepped block above the axis and its mirror below it (two wedges one
// above the other would read as an arrow pointing sideways).
void Flip(G& g, bool Vertical) {
  if (Vertical) {
    const QPainterPath top = G::Poly({{2, 6}, {2, 1}, {7, 1}, {7, 3}, {13, 3}, {13, 6}}, true);
    g.Fill(top, kBlue);
    g.Fill(kMirrorY.map(top).translated(0, -1), kPaper);
    g.Dash(1, 7, 14, 7);
  } else {
    const QPainterPath left = G::Poly({{6, 2}, {6, 13}, {1, 13}}, true);
    g.Fill(left, kBlue);
    g.Fill(kMirrorX.map(left).translated(-1, 0), kPaper);
    g.Dash(7, 1, 7, 14);
  }
}

// Two bars lined up against a line; Side 0 left, 1 right, 2 top, 3 bottom, 4 centred on a
// vertical line, 5 centred on a horizontal line.
void Align(G& g, int Side) {
  static const QTransform t[] = {QTransform(), kMirrorX, kTranspose, kMirrorX * kTranspose, QTransform(), kTranspose};
  const QTransform& m = t[Side];
  if (Side < 4) {
    g.Fill(m.map(G::RectPath(3, 3, 13, 6)), kBlue);
    g.Fill(m.map(G::RectPath(3, 9, 9, 12)), kBlue);
    g.Stroke(m.map(G::Poly({{1, 1}, {1, 14}}, false)));
  } else {
    g.Fill(m.map(G::RectPath(2, 3, 12, 6)), kBlue);
    g.Fill(m.map(G::RectPath(4, 9, 10, 12)), kBlue);
    g.Stroke(m.map(G::Poly({{7, 1}, {7, 14}}, false)), kAccent);
  }
}

// A magnifier; Sign '+', '-' or 'f' (a frame: fit to the window).
void Magnifier(G& g, char Sign) {
  g.Line(10, 10, 14, 14, kInk, 2);
  g.Ellipse(1, 1, 11, 11, kPaper);
  if (Sign == 'f') {
    g.Rect(4, 4, 8, 8, kBlue);
  } else {
    g.Line(4, 6, 8, 6, kAccent);
    if (Sign == '+') g.Line(6, 4, 6, 8, kAccent);
  }
}

void Grid(G& g, const QColor& Ink) {
  for (int v = 1; v <= 13; v += 4) {
    g.Line(v, 1, v, 13, Ink);
    g.Line(1, v, 13, v, Ink);
  }
}

void Magnet(G& g) {
  QPainterPath m({7, 6});
  m.lineTo(7, 11);
  m.arcTo(QRectF(7, 8, 7, 6), 180, 180);
  m.lineTo(14, 6);
  m.lineTo(12, 6);
  m.lineTo(12, 11);
  m.arcTo(QRectF(9, 10, 3, 2), 0, -180);
  m.lineTo(9, 6);
  m.closeSubpath();
  g.Halo(m, true);
  g.Fill(m, kRed);
  g.Rect(7, 6, 9, 8, kGrey);
  g.Rect(12, 6, 14, 8, kGrey);
}

// An open eye, or a closed one struck through.
void Eye(G& g, bool Open) {
  QPainterPath lid({1, 8});
  lid.quadTo(7.5, 1, 14, 8);
  lid.quadTo(7.5, 15, 1, 8);
  g.Fill(lid, Open ? kPaper : kGrey);
  if (Open) g.Ellipse(5, 5, 10, 10, kAccent);
  else g.Line(2, 13, 13, 2, kRed, 2);
}

// Two sheets, one on top of the other: a layer.
void Sheets(G& g) {
  g.Fill(G::Poly({{1, 9}, {8, 6}, {14, 9}, {7, 12}}, true), kGrey);
  g.Fill(G::Poly({{1, 6}, {8, 3}, {14, 6}, {7, 9}}, true), kBlue);
}

// An open book of shapes: a library.
void Book(G& g) {
  g.Fill(G::Poly({{1, 3}, {7, 4}, {7, 14}, {1, 13}}, true), kPaper);
  g.Fill(G::Poly({{8, 4}, {14, 3}, {14, 13}, {8, 14}}, true), kPaper);
  g.Ellipse(2, 6, 6, 10, kBlue);
}

// ---- The drawing tools' shapes (palette buttons and draw-by-code commands) ----------------------

void ToolLine(G& g) {
  g.Line(3, 12, 12, 3);
  g.Rect(1, 12, 3, 14, kBlue);
  g.Rect(12, 1, 14, 3, kBlue);
}
void ToolRuleLine(G& g) {
  g.Line(1, 3, 1, 12);
  g.Line(14, 3, 14, 12);
  QPainterPath a({7, 8});
  a.lineTo(2, 8);
  QPainterPath b({8, 8});
  b.lineTo(13, 8);
  g.Arrow(a, kInk, 0.7);
  g.Arrow(b, kInk, 0.7);
  g.Cells(5, 4, 10, 5, kAccent);
}
void ToolArc(G& g) {
  QPainterPath a({2, 13});
  a.arcTo(QRectF(2, 2, 22, 22), 180, -90);
  g.Stroke(a);
  g.Rect(1, 12, 3, 14, kBlue);
  g.Rect(12, 1, 14, 3, kBlue);
}
void ToolPolyLine(G& g) {
  g.Stroke(G::Poly({{1, 13}, {5, 4}, {9, 11}, {14, 2}}, false));
}
void ToolPolygon(G& g) {
  g.Fill(G::Poly({{2, 12}, {4, 3}, {11, 1}, {14, 9}, {8, 14}}, true), kBlue);
}
void ToolPolyBezier(G& g) {
  g.Line(1, 13, 4, 3, kGrey);
  g.Line(11, 12, 14, 2, kGrey);
  QPainterPath c({1, 13});
  c.cubicTo(4, 3, 11, 12, 14, 2);
  g.Stroke(c);
  g.Rect(3, 2, 5, 4, kPaper);
  g.Rect(10, 11, 12, 13, kPaper);
}
void ToolRectangle(G& g) { g.Rect(1, 3, 14, 12, kBlue); }
void ToolEllipse(G& g) { g.Ellipse(1, 3, 14, 12, kBlue); }
void ToolText(G& g) {
  g.Stroke(G::Poly({{2, 14}, {7.5, 1}, {13, 14}}, false), kInk, 2);
  g.Line(5, 9, 10, 9, kInk, 2);
}
void ToolSelecting(G& g) { Cursor(g, 4, 1, 13); }
void ToolRotateSelecting(G& g) {
  Cursor(g, 2, 2, 12);
  QPainterPath a({14, 6});
  a.arcTo(QRectF(8, 1, 6, 10), 0, 200);
  g.Arrow(a.toReversed(), kAccent, 0.6);
}
void ToolImage(G& g) { Picture(g, 1, 2, 14, 13); }
void ToolLinkLine(G& g) {
  g.Stroke(G::Poly({{5, 3}, {8, 3}, {8, 12}, {10, 12}}, false), kAccent);
  g.Rect(1, 1, 5, 5, kBlue);
  g.Rect(10, 10, 14, 14, kBlue);
}
void ToolLineLinkLine(G& g) {
  g.Line(1, 7, 14, 7, kAccent);
  g.Line(7, 7, 7, 14, kAccent);
  g.Rect(4, 4, 10, 10, kPaper);
  g.Line(4, 4, 10, 10);
  g.Line(10, 4, 4, 10);
}
void About(G& g) {
  g.Ellipse(1, 1, 14, 14, kAccent);
  g.Cells(7, 3, 8, 4, kPaper);
  g.Cells(7, 6, 8, 11, kPaper);
}

template <Draw Shape>
void Coded(G& g) {
  Shape(g);
  CodeMark(g);
}

// ---- Name tables --------------------------------------------------------------------------------

const std::map<QString, Draw>& Actions() {
  static const std::map<QString, Draw> table = {
      {"New", [](G& g) { Page(g, 3, 1, 12, 14); }},
      {"Open", Folder},
      // The layer tree's images and the layer page's buttons.
      {"LayerVisible", [](G& g) { Eye(g, true); }},
      {"LayerHidden", [](G& g) { Eye(g, false); }},
      {"LayerNew", [](G& g) {
         Sheets(g);
         SignBadge(g, true);
       }},
      {"LayerDelete", [](G& g) {
         Sheets(g);
         SignBadge(g, false);
       }},
      {"LayerHideVisible", [](G& g) {
         Sheets(g);
         g.Line(1, 14, 14, 1, kRed, 2);
       }},
      {"LayerRefresh", [](G& g) {
         QPainterPath a({12, 4});
         a.arcTo(QRectF(2, 2, 11, 11), 45, 270);
         g.Arrow(a, kAccent, 1, 2);
       }},
      // The library page's commands.
      {"NewLib", [](G& g) {
         Book(g);
         SignBadge(g, true);
       }},
      {"SaveLib", [](G& g) {
         Book(g);
         g.Rect(9, 9, 14, 14, kAccent);
       }},
      {"AddSelectionToLib", [](G& g) {
         Book(g);
         g.Rect(8, 8, 14, 14, kBlue);
       }},
      {"OpenLib", [](G& g) {
         g.Fill(G::Poly({{1, 3}, {7, 4}, {7, 14}, {1, 13}}, true), kPaper);
         g.Fill(G::Poly({{8, 4}, {14, 3}, {14, 13}, {8, 14}}, true), kPaper);
         for (int y = 7; y <= 11; y += 2) {
           g.Line(3, y, 5, y, kGrey);
           g.Line(10, y, 12, y, kGrey);
         }
         g.Line(7, 2, 8, 2, kAccent);
       }},
      {"SaveAs", [](G& g) {
         // The disk with a pen: saved under a name of your choosing.
         Disk(g);
         QPainterPath pen({9, 15});
         pen.lineTo(15, 9);
         g.Halo(pen);
         g.Stroke(pen, kYellow, 2);
         g.Cells(9, 14, 10, 15, kInk);
       }},
      {"Save", Disk},
      {"Bitmap", [](G& g) { FileArrow(g, RasterContent, false); }},
      {"WMF", [](G& g) { FileArrow(g, [](G& h) { VectorContent(h, 0); }, false); }},
      {"JPEG", [](G& g) { FileArrow(g, [](G& h) { Picture(h, 3, 4, 8, 9); }, false); }},
      {"DXF", [](G& g) { FileArrow(g, [](G& h) { DraftContent(h, 0); }, false); }},
      {"ImportVORNFile", [](G& g) { FileArrow(g, [](G& h) { VectorContent(h, 4); }, true); }},
      {"ImportAutoCADFile", [](G& g) { FileArrow(g, [](G& h) { DraftContent(h, 4); }, true); }},
      {"PageSetup", [](G& g) {
         Page(g, 3, 1, 12, 14);
         g.DashRect(5, 5, 10, 12);
       }},
      {"PrintSetup", [](G& g) {
         Printer(g);
         QPainterPath gear;
         QPolygonF teeth;
         for (int i = 0; i < 16; ++i) {
           const qreal a = i * M_PI / 8, r = i % 2 ? 2.4 : 3.6;
           teeth << QPointF(11.5 + r * std::cos(a), 11.5 + r * std::sin(a));
         }
         gear.addPolygon(teeth);
         gear.closeSubpath();
         g.Halo(gear, true);
         g.Fill(gear, kGrey);
         g.Ellipse(10.5, 10.5, 12.5, 12.5, kPaper);
       }},
      {"Print", Printer},
      {"AExit", [](G& g) {
         g.Rect(1, 1, 8, 14, kYellow);
         g.Cells(6, 7, 6, 8, kInk);
         QPainterPath a({5, 7.5});
         a.lineTo(12, 7.5);
         g.Halo(a);
         g.Arrow(a, kRed, 0.9);
       }},
      {"ACopy", [](G& g) {
         Page(g, 1, 1, 9, 11);
         Page(g, 6, 4, 14, 14);
       }},
      {"Cut", [](G& g) {
         g.Line(5, 9, 10, 1);
         g.Line(10, 9, 5, 1);
         g.Ellipse(1, 9, 6, 14, kPaper);
         g.Ellipse(9, 9, 14, 14, kPaper);
         g.Cells(7, 5, 8, 5, kInk);
       }},
      {"Paste", [](G& g) {
         g.Rect(2, 2, 13, 14, QColor(0xd9, 0xa8, 0x3a));
         g.Rect(4, 5, 11, 12, kPaper);
         g.Line(6, 8, 9, 8, kGrey);
         g.Line(6, 10, 9, 10, kGrey);
         g.Rect(5, 1, 10, 3, kGrey);
       }},
      {"Undo", [](G& g) {
         QPainterPath a({12, 13});
         a.cubicTo(15, 6, 10, 3, 4, 5);
         g.Arrow(a, kAccent, 0.9, 2);
       }},
      {"Redo", [](G& g) {
         QPainterPath a({12, 13});
         a.cubicTo(15, 6, 10, 3, 4, 5);
         g.Arrow(kMirrorX.map(a), kAccent, 0.9, 2);
       }},
      {"Delete", [](G& g) {
         g.Line(3, 3, 12, 12, kRed, 2);
         g.Line(12, 3, 3, 12, kRed, 2);
       }},
      {"GroupShape", [](G& g) {
         g.DashRect(1, 1, 14, 14);
         g.Rect(3, 3, 8, 8, kBlue);
         g.Ellipse(6, 6, 12, 12, kYellow);
       }},
      {"UngroupShape", [](G& g) {
         g.DashRect(4, 4, 11, 11);
         g.Rect(1, 1, 6, 6, kBlue);
         g.Ellipse(8, 8, 14, 14, kYellow);
       }},
      {"SendToBack", [](G& g) { ZOrder(g, false, true); }},
      {"BringToFront", [](G& g) { ZOrder(g, true, true); }},
      {"SendToBackByStep", [](G& g) { ZOrder(g, false, false); }},
      {"BringToFrontByStep", [](G& g) { ZOrder(g, true, false); }},
      {"Lock", [](G& g) { Padlock(g, true); }},
      {"Unlock", [](G& g) { Padlock(g, false); }},
      {"FlipVertical", [](G& g) { Flip(g, true); }},
      {"FlipHorizontal", [](G& g) { Flip(g, false); }},
      {"AlignLeft", [](G& g) { Align(g, 0); }},
      {"AlignRight", [](G& g) { Align(g, 1); }},
      {"AlignTop", [](G& g) { Align(g, 2); }},
      {"AlignBottom", [](G& g) { Align(g, 3); }},
      {"AlignHorizontalCenter", [](G& g) { Align(g, 4); }},
      {"AlignVerticalCenter", [](G& g) { Align(g, 5); }},
      {"Selecting", ToolSelecting},
      {"Line", Coded<ToolLine>},
      {"RuleLine", Coded<ToolRuleLine>},
      {"Arc", Coded<ToolArc>},
      {"PolyLine", Coded<ToolPolyLine>},
      {"Polygon", Coded<ToolPolygon>},
      {"PolyBezier", Coded<ToolPolyBezier>},
      {"Rectangle", Coded<ToolRectangle>},
      {"Ellipse", Coded<ToolEllipse>},
      {"Text", Coded<ToolText>},
      {"SelectShape", [](G& g) {
         g.Rect(3, 3, 12, 12, kBlue);
         Handles(g, 3, 3, 12, 12);
       }},
      {"SelectMoreShapes", [](G& g) {
         g.Rect(2, 2, 7, 7, kBlue);
         Handles(g, 2, 2, 7, 7);
         g.Ellipse(6, 6, 11, 11, kYellow);
         SignBadge(g, true);
       }},
      {"DeSelectShape", [](G& g) {
         g.Rect(2, 2, 10, 10, kBlue);
         Handles(g, 2, 2, 10, 10);
         SignBadge(g, false);
       }},
      {"SelectAllShapes", [](G& g) {
         g.DashRect(1, 1, 14, 14);
         g.Rect(3, 3, 7, 7, kBlue);
         g.Ellipse(8, 3, 12, 7, kYellow);
         g.Fill(G::Poly({{3, 12}, {7.5, 8}, {12, 12}}, true), kGreen);
       }},
      {"ToggleGrid", [](G& g) {
         Grid(g, kGrey);
         QPainterPath sw;
         sw.addRoundedRect(QRectF(5, 9, 9, 5), 2.5, 2.5);
         g.Halo(sw, true);
         g.Fill(sw, kGreen);
         g.Ellipse(10, 10, 13, 13, kPaper);
       }},
      {"LineGrid", [](G& g) { Grid(g, kInk); }},
      {"PixelGrid", [](G& g) {
         for (int y = 1; y <= 13; y += 4)
           for (int x = 1; x <= 13; x += 4) g.Cells(x, y, x, y, kInk);
         g.Cells(5, 5, 5, 5, kAccent);
       }},
      {"SnapToGrid", [](G& g) {
         Grid(g, kGrey);
         Magnet(g);
       }},
      {"SnapToShape", [](G& g) {
         g.Rect(1, 1, 8, 8, kBlue);
         Magnet(g);
       }},
      {"Zoomin", [](G& g) { Magnifier(g, '+'); }},
      {"Zoomout", [](G& g) { Magnifier(g, '-'); }},
      {"Nicefit", [](G& g) { Magnifier(g, 'f'); }},
      {"Inspector", [](G& g) {
         g.Rect(1, 1, 14, 14, kPaper);
         g.Cells(2, 2, 13, 3, kBlue);
         for (int y = 6; y <= 12; y += 3) {
           g.Line(3, y, 5, y, kGrey);
           g.Rect(7, y - 1, 12, y + 1, kPaper);
         }
       }},
      {"LayerManager", [](G& g) {
         const QPainterPath d = G::Poly({{7.5, 1}, {14, 4}, {7.5, 7}, {1, 4}}, true);
         g.Fill(d.translated(0, 6), kPaper);
         g.Fill(d.translated(0, 3), kPaper);
         g.Fill(d, kBlue);
       }},
      {"LibraryManager", [](G& g) {
         g.Rect(1, 3, 4, 13, kBlue);
         g.Rect(5, 1, 8, 13, kYellow);
         g.Fill(G::Poly({{9, 4}, {11, 3}, {14, 12}, {12, 13}}, true), kGreen);
         g.Line(0, 14, 15, 14);
       }},
      {"About", About},
      {"ShowVORNVersion", [](G& g) {
         g.Fill(G::Poly({{1, 4}, {10, 4}, {14, 7.5}, {10, 11}, {1, 11}}, true), kYellow);
         g.Ellipse(10, 7, 11, 8, kPaper);
         g.Stroke(G::Poly({{3, 6}, {5, 9}, {7, 6}}, false));
       }},
  };
  return table;
}

const std::map<QString, Draw>& Tools() {
  static const std::map<QString, Draw> table = {
      {"Selecting", ToolSelecting},   {"RotateSelecting", ToolRotateSelecting},
      {"Line", ToolLine},             {"RuleLine", ToolRuleLine},
      {"PolyLine", ToolPolyLine},     {"Polygon", ToolPolygon},
      {"Rectangle", ToolRectangle},   {"Ellipse", ToolEllipse},
      {"ElliArc", ToolArc},           {"PolyBezier", ToolPolyBezier},
      {"Text", ToolText},             {"Image", ToolImage},
      {"LinkLine", ToolLinkLine},     {"LineLinkLine", ToolLineLinkLine},
      {"Zoomin", [](G& g) { Magnifier(g, '+'); }},
      {"Zoomout", [](G& g) { Magnifier(g, '-'); }},
      {"About", About},
  };
  return table;
}

// ---- The icon ----------------------------------------------------------------------------------

// Paints its drawing afresh for every size and ratio asked for; the disabled state is a faded
// grey version of the same drawing.
class GlyphEngine : public QIconEngine {
public:
  GlyphEngine(Draw D, int Logical) : Fn(D), Logical(Logical) {}

  QPixmap Render(QSize Device, qreal Ratio, QIcon::Mode Mode) const {
    QImage img(Device, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
      QPainter p(&img);
      p.setRenderHint(QPainter::Antialiasing);
      const qreal s = std::min(Device.width(), Device.height()) / 16.0;
      p.translate(std::round((Device.width() - 16 * s) / 2), std::round((Device.height() - 16 * s) / 2));
      G g(p, s);
      Fn(g);
    }
    if (Mode == QIcon::Disabled) {
      img = img.convertToFormat(QImage::Format_ARGB32);
      for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
          // Grey, lighter and fainter than the glyph, yet dark enough to read on a light bar.
          const int v = 72 + qGray(line[x]) / 2;
          line[x] = qRgba(v, v, v, qAlpha(line[x]) * 3 / 4);
        }
      }
    }
    QPixmap pm = QPixmap::fromImage(std::move(img));
    pm.setDevicePixelRatio(Ratio);
    return pm;
  }

  void paint(QPainter* Painter, const QRect& Rect, QIcon::Mode Mode, QIcon::State) override {
    const qreal ratio = Painter->device() ? Painter->device()->devicePixelRatioF() : 1.0;
    Painter->drawPixmap(Rect, Render(Rect.size() * ratio, ratio, Mode));
  }
  // Size is in device pixels here; QIcon sets the ratio of the result from the size it asked for.
  QPixmap pixmap(const QSize& Size, QIcon::Mode Mode, QIcon::State) override {
    return Render(Size, 1.0, Mode);
  }
  QSize actualSize(const QSize& Size, QIcon::Mode, QIcon::State) override { return Size; }
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {QSize(Logical, Logical)}; }
  QIconEngine* clone() const override { return new GlyphEngine(Fn, Logical); }
  QString key() const override { return QStringLiteral("KestrafelGlyph"); }

private:
  Draw Fn;
  int Logical;
};

QIcon MakeIcon(const std::map<QString, Draw>& Table, const QString& Name, int Logical) {
  const auto it = Table.find(Name);
  return it == Table.end() ? QIcon() : QIcon(new GlyphEngine(it->second, Logical));
}

}  // namespace

QIcon ActionGlyph(const QString& ActionName) { return MakeIcon(Actions(), ActionName, 16); }

QIcon ToolGlyph(const QString& Hint) { return MakeIcon(Tools(), Hint, 24); }

}  // namespace kestrafel
