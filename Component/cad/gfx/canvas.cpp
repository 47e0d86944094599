#include "canvas.h"

#include "bitmap.h"
#include "fastdraw.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPainterPath>
#include <QPolygon>
#include <cmath>
#include <optional>

namespace cad {

namespace {

QRect BoundsOf(const TPoint* Points, size_t Count) {
  int l = Points[0].X, r = l, t = Points[0].Y, b = t;
  for (size_t i = 1; i < Count; ++i) {
    l = std::min(l, Points[i].X);
    r = std::max(r, Points[i].X);
    t = std::min(t, Points[i].Y);
    b = std::max(b, Points[i].Y);
  }
  return QRect(QPoint(l, t), QPoint(r, b));
}

// Changed areas are kept within this range: coordinates from damaged or extreme drawings may
// reach the ends of int, and no buffer lies that far out.
constexpr int64_t kAreaLimit = int64_t{1} << 29;
int ClampArea(int64_t V) { return static_cast<int>(std::clamp(V, -kAreaLimit, kAreaLimit)); }

QRect Widened(const QRect& R, int D) {
  return QRect(QPoint(ClampArea(int64_t{R.left()} - D), ClampArea(int64_t{R.top()} - D)),
               QPoint(ClampArea(int64_t{R.right()} + D), ClampArea(int64_t{R.bottom()} + D)));
}

// The box of a box primitive in the toolkit's inclusive form: the outline covers X1..X2-1.
QRect BoxRect(int X1, int Y1, int X2, int Y2) {
  if (X2 < X1) std::swap(X1, X2);
  if (Y2 < Y1) std::swap(Y1, Y2);
  const int64_t w = std::max<int64_t>(0, int64_t{X2} - X1 - 1), h = std::max<int64_t>(0, int64_t{Y2} - Y1 - 1);
  return QRect(QPoint(ClampArea(X1), ClampArea(Y1)), QPoint(ClampArea(X1 + w - 1), ClampArea(Y1 + h - 1)));
}

// The colour of a solid one-pixel pen with square ends in an opaque colour, the pen the direct
// drawing draws; nothing for any other pen.
std::optional<uint32_t> PlainLineColor(const QPen& Pen) {
  if (Pen.style() != Qt::SolidLine || Pen.widthF() != 0 || Pen.capStyle() != Qt::SquareCap || Pen.brush().style() != Qt::SolidPattern)
    return std::nullopt;
  return fastdraw::OpaqueColor(Pen.color());
}

// A solid one-pixel line (a line, a polyline or a polygon's outline) drawn straight into the
// image with the painter's own pixels, when the painter would draw it plainly; false when it must
// go through the painter. At R device pixels per pixel the line is R x R device blocks.
bool DirectLines(QPainter* P, QPaintDevice* Device, const std::optional<QRect>& Clip, const QPoint* Points, size_t Count,
                 fastdraw::TFigure Figure) {
  const std::optional<uint32_t> color = PlainLineColor(P->pen());
  const std::optional<fastdraw::TTarget> target = color ? fastdraw::TTarget::Of(P, Device, Clip) : std::nullopt;
  thread_local std::vector<QPoint> device;
  device.resize(Count);
  if (!target || !target->Map(Points, Count, device.data())) return false;
  if (target->Scale == 1) fastdraw::HairLines(*target, *color, device.data(), Count, Figure);
  else fastdraw::BlockLines(*target, *color, device.data(), Count, Figure == fastdraw::TFigure::Polygon);
  return true;
}

// A polygon filled with a solid colour and outlined by a solid one-pixel line (either may be
// absent), drawn straight into the image as DirectLines draws lines.
bool DirectPolygon(QPainter* P, QPaintDevice* Device, const std::optional<QRect>& Clip, const QPoint* Points, size_t Count) {
  const QBrush& brush = P->brush();
  const bool fill = brush.style() != Qt::NoBrush, stroke = P->pen().style() != Qt::NoPen;
  if (fastdraw::PainterTakesAsRect(Points, Count)) return false;
  // Both parts must be drawable before anything is drawn.
  std::optional<uint32_t> fillColor, lineColor;
  if (fill && (brush.style() != Qt::SolidPattern || !(fillColor = fastdraw::OpaqueColor(brush.color())))) return false;
  if (stroke && !(lineColor = PlainLineColor(P->pen()))) return false;
  const std::optional<fastdraw::TTarget> target = fastdraw::TTarget::Of(P, Device, Clip);
  if (!target) return false;
  thread_local std::vector<QPoint> device;
  device.resize(Count);
  if (!target->Map(Points, Count, device.data())) return false;
  if (fill) fastdraw::FillPolygon(*target, *fillColor, device.data(), Count);
  if (stroke) {
    if (target->Scale == 1) fastdraw::HairLines(*target, *lineColor, device.data(), Count, fastdraw::TFigure::Polygon);
    else fastdraw::BlockLines(*target, *lineColor, device.data(), Count, true);
  }
  return true;
}

}  // namespace

QImage DrawableImage(const TBitmap& b) {
  if (!b.Transparent()) return b.Image();
  QImage img = b.Image().convertToFormat(QImage::Format_ARGB32);
  const QRgb key = ToQColor(b.TransparentColor()).rgb() & 0xFFFFFF;
  for (int y = 0; y < img.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x)
      if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
  }
  return img;
}

void TShapedText::SetText(const QString& Text, QStaticText::PerformanceHint Hint) {
  FShaped.setText(Text);
  FShaped.setTextFormat(Qt::PlainText);
  FShaped.setPerformanceHint(Hint);
  FMeasured = false;
}

TCanvas::TCanvas() = default;

TCanvas::TCanvas(QPaintDevice* device, QPoint origin) { SetDevice(device, origin); }

TCanvas::~TCanvas() { Release(); }

void TCanvas::SetDevice(QPaintDevice* device, QPoint origin) {
  Release();
  FDevice = device;
  FOrigin = origin;
  FRatio = device ? device->devicePixelRatioF() : 1.0;
  FFine = FRatio > 1;
}

QSize TCanvas::Size() const {
  if (!FDevice) return QSize();
  return QSize(static_cast<int>(FDevice->width() / FRatio), static_cast<int>(FDevice->height() / FRatio));
}

bool TCanvas::IsPrinter() const { return FDevice && FDevice->devType() == QInternal::Printer; }

TRect TCanvas::ClipRect() const {
  if (!FDevice) return TRect{};
  QRect r(FOrigin, Size());
  if (FClip) r &= *FClip;
  if (r.isEmpty()) return TRect{FOrigin.x(), FOrigin.y(), FOrigin.x(), FOrigin.y()};
  return FromQRect(r);
}

void TCanvas::SetClipRect(const TRect& R) {
  FClip = ToQRect(R);
  if (FPainter) FPainter->setClipRect(*FClip);
}

void TCanvas::ClearClipRect() {
  FClip.reset();
  if (FPainter) FPainter->setClipping(false);
}

int TCanvas::PenPad() const { return std::max(1, FPen.Width()) / 2 + 2; }

const QPoint* TCanvas::ToScratch(const TPoint* Points, size_t Count) {
  FScratch.resize(Count);
  for (size_t i = 0; i < Count; ++i) FScratch[i] = QPoint(Points[i].X, Points[i].Y);
  return FScratch.data();
}

QPainter* TCanvas::Painter() {
  if (!FDevice) return nullptr;
  if (!FPainter) {
    if (FDevice->width() <= 0 || FDevice->height() <= 0) return nullptr;
    FPainter = std::make_unique<QPainter>();
    if (!FPainter->begin(FDevice)) {
      FPainter.reset();
      return nullptr;
    }
    FPainter->setRenderHint(QPainter::Antialiasing, false);
    FPainter->setRenderHint(QPainter::TextAntialiasing, true);
    FPainter->translate(-FOrigin.x(), -FOrigin.y());
    if (FClip) FPainter->setClipRect(*FClip);
    FAppliedPen = FAppliedBrush = FAppliedFont = 0;
  }
  ApplyPen();
  ApplyBrush();
  return FPainter.get();
}

void TCanvas::ApplyMode() {
  QPainter::CompositionMode m = QPainter::CompositionMode_SourceOver;
  switch (FPen.Mode()) {
    case TPenMode::pmXor: m = QPainter::RasterOp_SourceXorDestination; break;
    case TPenMode::pmNotXor: m = QPainter::RasterOp_NotSourceXorDestination; break;
    case TPenMode::pmNot: m = QPainter::RasterOp_NotDestination; break;
    case TPenMode::pmNotCopy: m = QPainter::RasterOp_NotSource; break;
    default: break;
  }
  FPainter->setCompositionMode(m);
}

void TCanvas::ApplyPen() {
  if (FAppliedPen == FPen.Revision()) return;
  QColor c = ToQColor(FPen.Color());
  if (FPen.Mode() == TPenMode::pmBlack) c = Qt::black;
  if (FPen.Mode() == TPenMode::pmWhite) c = Qt::white;
  QPen p(c);
  // Width 0 and 1 are the same one-pixel line; wider pens are centred on the outline. On a
  // device with more pixels than the owner's, a pen is as wide as it is in the owner's pixels.
  if (FFine) {
    const int w = std::max(1, FPen.Width());
    // A one-pixel line covers the owner pixel to the right of and below its points, as it does
    // at one device pixel per owner pixel; so does the middle pixel of any odd width.
    FStrokeShift = w % 2 ? 0.5 : 0;
    // A solid one-pixel line drawn over what is there is the device's own one-pixel line drawn
    // once at each device pixel of the owner pixel: the same pixels as a line of the owner
    // pixel's width, at a fraction of the cost. Raster operations need the single stroke.
    const TPenMode m = FPen.Mode();
    FHairPasses = w == 1 && FPen.Style() == TPenStyle::psSolid &&
                  (m == TPenMode::pmCopy || m == TPenMode::pmBlack || m == TPenMode::pmWhite || m == TPenMode::pmNotCopy);
    p.setWidth(FHairPasses ? 0 : w);
    p.setCosmetic(FHairPasses);
  } else {
    p.setWidth(FPen.Width() <= 1 ? 0 : FPen.Width());
  }
  p.setStyle(FPen.Mode() == TPenMode::pmNop ? Qt::NoPen : ToQtPenStyle(FPen.Style()));
  // One-pixel lines include both end points whatever their direction; wide lines get round
  // ends and joins.
  p.setCapStyle(FPen.Width() <= 1 ? Qt::SquareCap : Qt::RoundCap);
  p.setJoinStyle(FPen.Width() <= 1 ? Qt::MiterJoin : Qt::RoundJoin);
  FPainter->setPen(p);
  ApplyMode();
  FAppliedPen = FPen.Revision();
}

void TCanvas::ApplyBrush() {
  if (FAppliedBrush == FBrush.Revision()) return;
  if (!FBrush.Bitmap().isNull() && FBrush.Style() != TBrushStyle::bsClear) {
    FPainter->setBrush(QBrush(FBrush.Bitmap()));
  } else {
    FPainter->setBrush(QBrush(ToQColor(FBrush.Color()), ToQtBrushStyle(FBrush.Style())));
  }
  FAppliedBrush = FBrush.Revision();
}

void TCanvas::Changed(const QRect& Area) {
  // Drawing in a turned world lands anywhere on the device.
  if (FWorldTurned && FDevice) FDamage |= QRect(FOrigin, Size());
  else FDamage |= Area;
  if (OnChange) OnChange();
}

template <typename Paint>
void TCanvas::Stroke(QPainter* P, Paint&& D) {
  if (FStrokeShift == 0 || !FFine) {
    D();
    return;
  }
  // Shifted on the device, whatever the world's turn.
  const QTransform world = P->worldTransform();
  if (FHairPasses) {
    const qreal step = 1 / FRatio;
    for (qreal dy = 0; dy < 0.999; dy += step)
      for (qreal dx = 0; dx < 0.999; dx += step) {
        P->setWorldTransform(world * QTransform::fromTranslate(dx, dy));
        D();
      }
  } else {
    P->setWorldTransform(world * QTransform::fromTranslate(FStrokeShift, FStrokeShift));
    D();
  }
  P->setWorldTransform(world);
}

template <typename DrawFn>
void TCanvas::StrokePoints(QPainter* P, const QPoint* Points, size_t Count, DrawFn&& D) {
  // Moving the points is moving the world only while the world is a plain shift.
  if (FStrokeShift == 0 || !FFine || P->worldTransform().type() > QTransform::TxTranslate) {
    Stroke(P, [&] { D(Points); });
    return;
  }
  FScratchF.resize(Count);
  auto pass = [&](qreal DX, qreal DY) {
    for (size_t i = 0; i < Count; ++i) FScratchF[i] = QPointF(Points[i].x() + DX, Points[i].y() + DY);
    D(static_cast<const QPointF*>(FScratchF.data()));
  };
  if (FHairPasses) {
    const qreal step = 1 / FRatio;
    for (qreal dy = 0; dy < 0.999; dy += step)
      for (qreal dx = 0; dx < 0.999; dx += step) pass(dx, dy);
  } else {
    pass(FStrokeShift, FStrokeShift);
  }
}

template <typename Paint>
void TCanvas::FillAndStroke(QPainter* P, Paint&& D) {
  FillAndStroke(P, D, [&] { Stroke(P, D); });
}

template <typename Paint, typename Outline>
void TCanvas::FillAndStroke(QPainter* P, Paint&& D, Outline&& S) {
  const bool fill = P->brush().style() != Qt::NoBrush, stroke = P->pen().style() != Qt::NoPen;
  if (!FFine || FStrokeShift == 0 || !stroke) {
    D();
    return;
  }
  if (!fill) {
    S();
    return;
  }
  // The inside is filled where it lies, the outline drawn shifted as a line is.
  const QPen pen = P->pen();
  P->setPen(Qt::NoPen);
  D();
  P->setPen(pen);
  const QBrush brush = P->brush();
  P->setBrush(Qt::NoBrush);
  S();
  P->setBrush(brush);
}

void TCanvas::Release() {
  FWorldTurned = false;
  FWorldAngle = 0;
  if (FPainter) {
    if (FPainter->isActive()) FPainter->end();
    FPainter.reset();
  }
}

void TCanvas::Start() { ++FStartDepth; }

void TCanvas::Stop() {
  if (FStartDepth > 0) --FStartDepth;
}

void TCanvas::RotateWorld(double Degrees) {
  QPainter* p = Painter();
  if (!p) return;
  FWorldAngle += Degrees;
  // Turned back to where it started (callers turn and turn back in pairs): the plain world
  // again, exactly, so that what follows is drawn and accounted for as unturned.
  if (FWorldAngle == 0) {
    ResetWorld();
    return;
  }
  p->rotate(Degrees);
  FWorldTurned = true;
}

QPointF TCanvas::MapToWorld(QPointF OwnerPoint) {
  QPainter* p = Painter();
  const QPointF device = OwnerPoint - QPointF(FOrigin);
  if (!p) return OwnerPoint;
  return p->transform().inverted().map(device);
}

void TCanvas::ResetWorld() {
  FWorldTurned = false;
  FWorldAngle = 0;
  if (!FPainter) return;
  FPainter->resetTransform();
  FPainter->translate(-FOrigin.x(), -FOrigin.y());
}

void TCanvas::MoveTo(int X, int Y) { FPenPos = TPoint{X, Y}; }

void TCanvas::LineTo(int X, int Y) {
  // A line of no length draws nothing, so rubber bands that start at the press point leave no dot.
  if (FPenPos != TPoint{X, Y})
    if (QPainter* p = Painter()) {
      const QPoint ends[2] = {QPoint(FPenPos.X, FPenPos.Y), QPoint(X, Y)};
      if (!DirectLines(p, FDevice, FClip, ends, 2, fastdraw::TFigure::Line))
        StrokePoints(p, ends, 2, [&](const auto* e) { p->drawLine(e[0], e[1]); });
    }
  const TPoint ends[2] = {FPenPos, TPoint{X, Y}};
  FPenPos = TPoint{X, Y};
  Changed(Widened(BoundsOf(ends, 2), PenPad()));
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  // An empty box draws nothing.
  if (X1 != X2 && Y1 != Y2)
    if (QPainter* p = Painter()) FillAndStroke(p, [&] { p->drawRect(BoxRect(X1, Y1, X2, Y2)); });
  Changed(Widened(BoxRect(X1, Y1, X2, Y2), PenPad()));
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  if (X1 != X2 && Y1 != Y2)
    if (QPainter* p = Painter()) FillAndStroke(p, [&] { p->drawEllipse(BoxRect(X1, Y1, X2, Y2)); });
  Changed(Widened(BoxRect(X1, Y1, X2, Y2), PenPad()));
}

void TCanvas::Polygon(const TArrPoint& Points) { Polygon(Points.data(), Points.size()); }

bool TCanvas::UprightBox(QPainter* P, const TPoint* Points, size_t Count) {
  // A solid one-pixel line copied onto the device covers whole pixels along the box's edges, both
  // corners included, and the inside covers the pixels within the corners: rectangle fills draw
  // exactly those, at a fraction of the rasterizer's cost (drawings are mostly boxes). On a
  // finer device the line is the owner pixel's block, so the ratio must be whole.
  if (Count != 4 && !(Count == 5 && Points[4] == Points[0])) return false;
  if (FWorldTurned || FPen.Mode() != TPenMode::pmCopy || FPen.Style() != TPenStyle::psSolid || FPen.Width() > 1) return false;
  if (FFine && (!FHairPasses || FRatio != std::floor(FRatio))) return false;
  const TBrushStyle brush = FBrush.Style();
  if ((brush != TBrushStyle::bsSolid && brush != TBrushStyle::bsClear) || (!FBrush.Bitmap().isNull() && brush != TBrushStyle::bsClear))
    return false;
  const TPoint &a = Points[0], &b = Points[1], &c = Points[2], &d = Points[3];
  const bool upright = (a.Y == b.Y && b.X == c.X && c.Y == d.Y && d.X == a.X) || (a.X == b.X && b.Y == c.Y && c.X == d.X && d.Y == a.Y);
  if (!upright) return false;
  const int l = std::min(a.X, c.X), r = std::max(a.X, c.X), t = std::min(a.Y, c.Y), btm = std::max(a.Y, c.Y);
  const bool inside = brush == TBrushStyle::bsSolid && r > l && btm > t;
  const QRect parts[5] = {QRect(l, t, r - l, btm - t), QRect(l, t, r - l + 1, 1), QRect(l, btm, r - l + 1, 1), QRect(l, t, 1, btm - t + 1),
                          QRect(r, t, 1, btm - t + 1)};
  // Straight into the image when it can be (the same rectangles, without the painter's
  // per-call costs), else through the painter.
  const std::optional<fastdraw::TTarget> target = fastdraw::TTarget::Of(P, FDevice, FClip);
  const std::optional<uint32_t> fill = inside ? fastdraw::OpaqueColor(P->brush().color()) : std::optional<uint32_t>(0);
  const std::optional<uint32_t> line = fastdraw::OpaqueColor(P->pen().color());
  QPoint corners[2] = {QPoint(l, t), QPoint(r + 1, btm + 1)};
  if (target && fill && line && target->Map(corners, 2, corners)) {
    const int s = target->Scale;
    auto device = [&](const QRect& R) {
      return QRect(corners[0].x() + (R.left() - l) * s, corners[0].y() + (R.top() - t) * s, R.width() * s, R.height() * s);
    };
    if (inside) fastdraw::FillArea(*target, *fill, device(parts[0]));
    for (int i = 1; i < 5; ++i) fastdraw::FillArea(*target, *line, device(parts[i]));
    return true;
  }
  if (inside) P->fillRect(parts[0], P->brush().color());
  for (int i = 1; i < 5; ++i) P->fillRect(parts[i], P->pen().color());
  return true;
}

void TCanvas::Polygon(const TPoint* Points, size_t Count) {
  if (Count == 0) return;
  if (QPainter* p = Painter()) {
    if (UprightBox(p, Points, Count)) {
      Changed(Widened(BoundsOf(Points, Count), PenPad()));
      return;
    }
    const QPoint* pts = ToScratch(Points, Count);
    const int n = static_cast<int>(Count);
    if (!DirectPolygon(p, FDevice, FClip, pts, Count))
      FillAndStroke(
          p, [&] { p->drawPolygon(pts, n, Qt::OddEvenFill); },
          [&] {
            if (!DirectLines(p, FDevice, FClip, pts, Count, fastdraw::TFigure::Polygon))
              StrokePoints(p, pts, Count, [&](const auto* q) { p->drawPolygon(q, n, Qt::OddEvenFill); });
          });
  }
  Changed(Widened(BoundsOf(Points, Count), PenPad()));
}

void TCanvas::Polyline(const TArrPoint& Points) { Polyline(Points.data(), Points.size()); }

void TCanvas::Polyline(const TPoint* Points, size_t Count) {
  if (Count == 0) return;
  if (QPainter* p = Painter()) {
    const QPoint* pts = ToScratch(Points, Count);
    if (!DirectLines(p, FDevice, FClip, pts, Count, fastdraw::TFigure::Polyline))
      StrokePoints(p, pts, Count, [&](const auto* q) { p->drawPolyline(q, static_cast<int>(Count)); });
  }
  Changed(Widened(BoundsOf(Points, Count), PenPad()));
}

void TCanvas::StrokePath(const QPainterPath& Path, const TArrPoint& Points) {
  if (QPainter* p = Painter()) {
    const QBrush saved = p->brush();
    p->setBrush(Qt::NoBrush);
    Stroke(p, [&] { p->drawPath(Path); });
    p->setBrush(saved);
  }
  Changed(Widened(BoundsOf(Points.data(), Points.size()), PenPad()));
}

void TCanvas::PolyBezier(const TArrPoint& Points) {
  if (Points.size() < 4) return;
  QPainterPath path(QPointF(Points[0].X, Points[0].Y));
  for (size_t i = 1; i + 2 < Points.size(); i += 3)
    path.cubicTo(Points[i].X, Points[i].Y, Points[i + 1].X, Points[i + 1].Y, Points[i + 2].X, Points[i + 2].Y);
  StrokePath(path, Points);
}

namespace {

struct TPointF {
  double X, Y;
};

// The curve (P[3] to P[0], backwards) cut in halves: P[6] .. P[3] and P[3] .. P[0].
void SplitCubic(TPointF* P) {
  P[6] = P[3];
  const TPointF c1 = P[1], c2 = P[2];
  const TPointF a{(P[0].X + c1.X) * 0.5, (P[0].Y + c1.Y) * 0.5};
  const TPointF b{(P[3].X + c2.X) * 0.5, (P[3].Y + c2.Y) * 0.5};
  const TPointF c{(c1.X + c2.X) * 0.5, (c1.Y + c2.Y) * 0.5};
  P[1] = a;
  P[5] = b;
  P[2] = TPointF{(a.X + c.X) * 0.5, (a.Y + c.Y) * 0.5};
  P[4] = TPointF{(b.X + c.X) * 0.5, (b.Y + c.Y) * 0.5};
  P[3] = TPointF{(P[2].X + P[4].X) * 0.5, (P[2].Y + P[4].Y) * 0.5};
}

// The rasterizer's test and order for one-pixel pens: a piece whose control points lie within
// about a quarter pixel of its chord is drawn as a line; others are halved, at most Level more
// times. The pieces' ends go to Out from the start of the curve to its end.
void Subdivide(TPointF* P, int Level, QPainterPath& Out) {
  if (Level > 0) {
    const double dx = P[3].X - P[0].X, dy = P[3].Y - P[0].Y;
    const double len = 0.25 * (std::fabs(dx) + std::fabs(dy));
    if (std::fabs(dx * (P[0].Y - P[2].Y) - dy * (P[0].X - P[2].X)) >= len ||
        std::fabs(dx * (P[0].Y - P[1].Y) - dy * (P[0].X - P[1].X)) >= len) {
      SplitCubic(P);
      Subdivide(P + 3, Level - 1, Out);
      Subdivide(P, Level - 1, Out);
      return;
    }
  }
  Out.lineTo(P[0].X, P[0].Y);
}

}  // namespace

void TCanvas::FlattenBezier(const TArrPoint& Points, TFlatBezier& Out) {
  Out.Points.clear();
  Out.Lines.clear();
  if (Points.size() < 4) return;
  Out.Points.assign(Points.begin(), Points.begin() + static_cast<std::ptrdiff_t>((Points.size() - 1) / 3 * 3 + 1));
  Out.Lines.moveTo(Points[0].X, Points[0].Y);
  constexpr int kLevels = 6;
  TPointF work[3 * kLevels + 4];
  for (size_t i = 1; i + 2 < Out.Points.size(); i += 3) {
    const TArrPoint& p = Out.Points;
    work[3] = TPointF{static_cast<double>(p[i - 1].X), static_cast<double>(p[i - 1].Y)};
    work[2] = TPointF{static_cast<double>(p[i].X), static_cast<double>(p[i].Y)};
    work[1] = TPointF{static_cast<double>(p[i + 1].X), static_cast<double>(p[i + 1].Y)};
    work[0] = TPointF{static_cast<double>(p[i + 2].X), static_cast<double>(p[i + 2].Y)};
    Subdivide(work, kLevels, Out.Lines);
  }
}

void TCanvas::PolyBezier(const TFlatBezier& Curve) {
  if (Curve.Points.size() < 4) return;
  // Wide pens are stroked along the curve itself, other devices get the curve, a turned world
  // cuts it up after turning it, and a closed outline has its last pixel placed from the
  // direction it ends in (the last control point's, not the last piece's).
  if (FWorldTurned || FPen.Width() > 1 || !dynamic_cast<QImage*>(FDevice) || Curve.Points.front() == Curve.Points.back()) {
    PolyBezier(Curve.Points);
    return;
  }
  StrokePath(Curve.Lines, Curve.Points);
}

std::pair<int, int> TCanvas::ArcAngles(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  const double cx = (X1 + X2) / 2.0, cy = (Y1 + Y2) / 2.0;
  // Screen y grows downwards; the toolkit's angles grow counter-clockwise on the screen.
  const double a3 = std::atan2(cy - Y3, X3 - cx) * 180.0 / M_PI;
  const double a4 = std::atan2(cy - Y4, X4 - cx) * 180.0 / M_PI;
  double span = a4 - a3;
  if (span <= 0) span += 360.0;
  return {static_cast<int>(std::lround(a3 * 16)), static_cast<int>(std::lround(span * 16))};
}

void TCanvas::ArcLike(int kind, int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  const QRect box = BoxRect(X1, Y1, X2, Y2);
  // Plain names, not a structured binding: older compilers cannot capture those in lambdas.
  const std::pair<int, int> angles = ArcAngles(X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  const int start = angles.first, len = angles.second;
  if (QPainter* p = Painter()) {
    if (kind == 0) Stroke(p, [&] { p->drawArc(box, start, len); });
    else if (kind == 1) FillAndStroke(p, [&] { p->drawChord(box, start, len); });
    else FillAndStroke(p, [&] { p->drawPie(box, start, len); });
  }
  Changed(Widened(box, PenPad()));
}

void TCanvas::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  ArcLike(0, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TCanvas::RepeatedArc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  // A copy of the picture equals a drawing of the arc only where pixels are simply covered by
  // the pen: on an image, without raster operations, without a turned world, and with a solid
  // one-pixel pen (a dash pattern starts afresh where the device's edge cuts the arc, and a wide
  // pen's outline is computed from the arc's place, so it may round a pixel differently).
  if (FWorldTurned || FFine || FPen.Mode() != TPenMode::pmCopy || FPen.Style() != TPenStyle::psSolid || FPen.Width() > 1 ||
      !dynamic_cast<QImage*>(FDevice)) {
    Arc(X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    return;
  }
  QPainter* p = Painter();
  if (!p) return;
  const QRect box = BoxRect(X1, Y1, X2, Y2);
  const auto [start, len] = ArcAngles(X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  TArcStamp& st = FArcStamp;
  if (st.Image.isNull() || st.Size != box.size() || st.Start != start || st.Span != len || st.Pen != p->pen()) {
    // The arc drawn in the same box moved by whole pixels, which the rasterizer draws alike.
    st.Pad = PenPad() + 1;
    st.Image = QImage(box.width() + 2 * st.Pad + 1, box.height() + 2 * st.Pad + 1, QImage::Format_ARGB32_Premultiplied);
    st.Image.fill(Qt::transparent);
    QPainter sp(&st.Image);
    sp.setRenderHint(QPainter::Antialiasing, false);
    sp.setPen(p->pen());
    sp.setBrush(Qt::NoBrush);
    sp.drawArc(QRect(QPoint(st.Pad, st.Pad), box.size()), start, len);
    st.Size = box.size();
    st.Start = start;
    st.Span = len;
    st.Pen = p->pen();
  }
  p->drawImage(box.topLeft() - QPoint(st.Pad, st.Pad), st.Image);
  Changed(Widened(box, PenPad()));
}

void TCanvas::Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  ArcLike(1, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}
void TCanvas::Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  ArcLike(2, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TCanvas::FillRect(const TRect& R) {
  if (QPainter* p = Painter()) {
    const QRect r(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top);
    if (FBrush.Style() != TBrushStyle::bsClear && r.isValid()) p->fillRect(r, p->brush());
  }
  Changed(QRect(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top));
}

void TCanvas::FillRectColumns(const TRect& Whole, TColor Color, int First, int Step) {
  QPainter* p = Painter();
  // Only the part the device shows is worked on (a zoomed control is far larger).
  const QRect r = QRect(Whole.Left, Whole.Top, Whole.Right - Whole.Left, Whole.Bottom - Whole.Top) & ToQRect(ClipRect());
  const TRect R = FromQRect(r);
  if (!p || r.isEmpty() || Step <= 0) {
    FillRect(Whole);
    return;
  }
  const bool filled = FBrush.Style() != TBrushStyle::bsClear && p->brush().style() == Qt::SolidPattern;
  const std::optional<uint32_t> back = filled ? fastdraw::OpaqueColor(p->brush().color()) : std::nullopt;
  const std::optional<uint32_t> line = fastdraw::OpaqueColor(ToQColor(Color));
  const std::optional<fastdraw::TTarget> target = back && line ? fastdraw::TTarget::Of(p, FDevice, FClip) : std::nullopt;
  QPoint corners[2] = {r.topLeft(), r.bottomRight() + QPoint(1, 1)};
  if (!target || !target->Map(corners, 2, corners)) {
    // Through the painter: the fill, then each column.
    FillRect(Whole);
    const QColor c = ToQColor(Color);
    const int64_t from = R.Left + ((int64_t{First} - R.Left) % Step + Step) % Step;
    for (int64_t x = from; x < R.Right; x += Step) p->fillRect(QRect(static_cast<int>(x), r.top(), 1, r.height()), c);
    return;
  }
  fastdraw::FillColumns(*target, *back, *line, QRect(corners[0], corners[1] - QPoint(1, 1)), First, Step);
  Changed(r);
}

void TCanvas::FrameRect(const TRect& R) {
  if (QPainter* p = Painter()) {
    const QBrush saved = p->brush();
    const QPen savedPen = p->pen();
    QPen frame(ToQColor(FBrush.Color()), FFine ? 1 : 0);
    frame.setCosmetic(!FFine);
    p->setPen(frame);
    p->setBrush(Qt::NoBrush);
    const double shift = FStrokeShift;
    const bool hair = FHairPasses;
    FStrokeShift = 0.5;
    FHairPasses = false;
    Stroke(p, [&] { p->drawRect(BoxRect(R.Left, R.Top, R.Right, R.Bottom)); });
    FStrokeShift = shift;
    FHairPasses = hair;
    p->setBrush(saved);
    p->setPen(savedPen);
  }
  Changed(Widened(BoxRect(R.Left, R.Top, R.Right, R.Bottom), 2));
}

void TCanvas::TextOut(int X, int Y, const QString& Text) {
  TextOutF(X, Y, Text);
  FPenPos = TPoint{X + TextWidth(Text), Y};
}

QPainter* TCanvas::BeginText(const QFontMetrics& fm, double X, double Y, double W, QRect& Area) {
  QPainter* p = Painter();
  if (!p) return nullptr;
  // Glyphs may overhang their advance by part of the line height (italics).
  Area = Widened(QRectF(X, Y, W, fm.height()).toAlignedRect(), fm.height() / 2 + 2);
  if (FAppliedFont != FText.Serial()) {
    p->setFont(FText.Font());
    FAppliedFont = FText.Serial();
  }
  if (FBrush.Style() != TBrushStyle::bsClear) p->fillRect(QRectF(X, Y, W, fm.height()), ToQColor(FBrush.Color()));
  p->setPen(QPen(ToQColor(FFont.Color())));
  FAppliedPen = 0;  // the text colour replaces the pen
  return p;
}

void TCanvas::TextOutF(double X, double Y, const QString& Text) {
  QRect area;
  const QFontMetrics& fm = FText.Of(FFont);
  if (QPainter* p = BeginText(fm, X, Y, fm.horizontalAdvance(Text), area)) p->drawText(QPointF(X, Y + fm.ascent()), Text);
  Changed(area);
}

void TCanvas::TextOutF(double X, double Y, const TShapedText& Text) {
  // The text is laid out in the painter's font only when it is drawn, so its own size may still
  // be that of another font: its box is measured here, as plain text is, once per font.
  const QFontMetrics& fm = FText.Of(FFont);
  if (!Text.FMeasured || Text.FMeasuredIn != FText.Font()) {
    Text.FWidth = fm.horizontalAdvance(Text.Text());
    Text.FMeasuredIn = FText.Font();
    Text.FMeasured = true;
  }
  QRect area;
  if (QPainter* p = BeginText(fm, X, Y, Text.FWidth, area)) p->drawStaticText(QPointF(X, Y), Text.FShaped);
  Changed(area);
}

int TCanvas::TextWidth(const QString& Text) { return TextExtent(Text).X; }
int TCanvas::TextHeight(const QString& Text) { return TextExtent(Text).Y; }

TPoint TCanvas::TextExtent(const QString& Text) {
  const QFontMetrics& fm = FText.Of(FFont);
  return TPoint{fm.horizontalAdvance(Text), fm.height()};
}

void TCanvas::Draw(int X, int Y, const TBitmap& Bitmap) {
  if (Bitmap.Empty()) return;
  if (QPainter* p = Painter()) p->drawImage(QPoint(X, Y), DrawableImage(Bitmap));
  Changed(QRect(X, Y, Bitmap.Width(), Bitmap.Height()));
}

void TCanvas::StretchDraw(const TRect& R, const TBitmap& Bitmap) {
  if (Bitmap.Empty()) return;
  if (QPainter* p = Painter())
    p->drawImage(QRect(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top), DrawableImage(Bitmap));
  Changed(BoxRect(R.Left, R.Top, R.Right + 1, R.Bottom + 1));
}

void TCanvas::StretchDrawF(const QRectF& R, const QImage& Image) {
  if (Image.isNull() || R.isEmpty()) return;
  QPainter* p = Painter();
  if (!p) return;
  p->drawImage(R, Image);
  const QRect device = p->transform().mapRect(R).toAlignedRect().translated(FOrigin);
  Changed(device);
}

void TCanvas::CopyRect(const TRect& Dest, const TBitmap& Source, const TRect& SourceRect) {
  if (Source.Empty()) return;
  if (QPainter* p = Painter()) {
    p->drawImage(QRect(Dest.Left, Dest.Top, Dest.Right - Dest.Left, Dest.Bottom - Dest.Top), Source.Image(),
                 QRect(SourceRect.Left, SourceRect.Top, SourceRect.Right - SourceRect.Left,
                       SourceRect.Bottom - SourceRect.Top));
  }
  Changed(BoxRect(Dest.Left, Dest.Top, Dest.Right + 1, Dest.Bottom + 1));
}

TColor TCanvas::Pixel(int X, int Y) const {
  const auto* img = dynamic_cast<const QImage*>(FDevice);
  if (!img) return clNone;
  // The device pixel at the top-left of the owner pixel.
  const int x = static_cast<int>(std::floor((X - FOrigin.x()) * FRatio)), y = static_cast<int>(std::floor((Y - FOrigin.y()) * FRatio));
  if (x < 0 || y < 0 || x >= img->width() || y >= img->height()) return clNone;
  return FromQRgb(img->pixel(x, y));
}

void TCanvas::SetPixel(int X, int Y, TColor C) {
  if (QPainter* p = Painter()) {
    const QPainter::CompositionMode m = p->compositionMode();
    p->setCompositionMode(QPainter::CompositionMode_Source);
    p->fillRect(QRect(X, Y, 1, 1), ToQColor(C));
    p->setCompositionMode(m);
  }
  Changed(QRect(X, Y, 1, 1));
}

}  // namespace cad
