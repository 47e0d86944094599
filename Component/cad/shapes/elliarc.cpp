#include "elliarc.h"

#include "../core/drawmodes.h"
#include "../core/geometry.h"
#include "../core/streamprims.h"
#include "../gfx/streams.h"
#include "../surface/mycad.h"
#include "line.h"
#include "shapedraw.h"

#include <algorithm>
#include <cmath>

namespace cad {

namespace {

// The centre of the circle through (x1, y1), (x2, y2), (x3, y3): false when two of them coincide
// or all lie on one line. N is the type the sums are formed in: 128-bit integers for device
// points, exact for any coordinates, or long double for drawing points.
template <typename N>
bool CircleCentre(N x1, N y1, N x2, N y2, N x3, N y3, long double& CX, long double& CY) {
  const N s1 = (x1 + x2) * (x1 - x2) + (y1 + y2) * (y1 - y2);
  const N s2 = (x3 + x2) * (x3 - x2) + (y3 + y2) * (y3 - y2);
  const N d = (x1 - x2) * (y3 - y2) - (x2 - x3) * (y2 - y1);
  auto ld = [](N v) { return static_cast<long double>(v); };
  if (d == 0 || !std::isfinite(ld(d))) return false;
  CX = (ld(s1) * ld(y3 - y2) + ld(s2) * ld(y2 - y1)) / (2 * ld(d));
  CY = (ld(s2) * ld(x1 - x2) + ld(s1) * ld(x2 - x3)) / (2 * ld(d));
  return std::isfinite(CX) && std::isfinite(CY);
}

bool IntCircle(const TPoint& A, const TPoint& B, const TPoint& C, long double& CX, long double& CY) {
  using I = __int128;
  return CircleCentre<I>(A.X, A.Y, B.X, B.Y, C.X, C.Y, CX, CY);
}

bool FloatCircle(const TMyPoint& A, const TMyPoint& B, const TMyPoint& C, long double& CX, long double& CY) {
  return CircleCentre<long double>(A.X, A.Y, B.X, B.Y, C.X, C.Y, CX, CY);
}

}  // namespace

// ---- Properties, copy, record ----

void TMyElliArc::SetArcMode(TArcMode Value) {
  if (Value == FArcMode) return;
  FArcMode = Value;
  Changed();
}

void TMyElliArc::SetArcStyle(TArcStyle Value) {
  if (Value == FArcStyle) return;
  FArcStyle = Value;
  Changed();
}

void TMyElliArc::Assign(TMyShape* Source) {
  if (!Source || Source == this) return;
  TMyShape::Assign(Source);
  if (auto* arc = dynamic_cast<TMyElliArc*>(Source)) {
    FArcMode = arc->FArcMode;
    FArcStyle = arc->FArcStyle;
    Changed();
  }
}

void TMyElliArc::SaveToStream(TStream& Stream) {
  TMyShape::SaveToStream(Stream);
  Stream.WriteLE<uint8_t>(static_cast<uint8_t>(FArcMode));
  Stream.WriteLE<uint8_t>(static_cast<uint8_t>(FArcStyle));
}

void TMyElliArc::LoadFromStream(TStream& Stream) {
  TMyShape::LoadFromStream(Stream);
  // Values this build does not know read as the defaults.
  FArcMode = EnumFromStored(Stream.ReadLE<uint8_t>(), TArcMode::amEllipse, TArcMode::amCircle);
  FArcStyle = EnumFromStored(Stream.ReadLE<uint8_t>(), TArcStyle::asSector, TArcStyle::asArc);
  Changed();
}

// ---- Outlines ----

void TMyElliArc::CirclePoints(long double CX, long double CY, long double R, long double A1, long double A3,
                              TArcStyle Style, TArrPoint& Out) {
  Out.clear();
  if (!std::isfinite(CX) || !std::isfinite(CY) || !std::isfinite(R) || !(R > 0) || !std::isfinite(A1) ||
      !std::isfinite(A3))
    return;
  if (A3 < A1) A3 += TwoPiL;
  // Consecutive points 0.381, 1.524, 1.905 or 3.81 pixels apart along the arc, finer on small
  // circles.
  const long double k = R < 5.08L ? 0.015L : R < 7.62L ? 0.06L : R < 25.4L ? 0.075L : 0.15L;
  long double delta = 25.4L * k / R;
  long double span = A3 - A1;
  long double steps = std::nearbyint(span / delta + 0.5L);
  if (steps == 0) {
    span = TwoPiL;  // start and end at one angle: the full circle
    steps = std::nearbyint(span / delta + 0.5L);
  }
  if (!(steps <= MaxSteps)) {
    steps = MaxSteps;
    delta = span / steps;
  }
  const int32_t n = static_cast<int32_t>(steps);
  Out.reserve(static_cast<size_t>(n) + 3);
  for (int32_t j = 0; j <= n; ++j) {
    const long double a = A1 + j * delta;
    Out.push_back(TPoint{Round(CX + R * std::cos(a)), Round(CY + R * std::sin(a))});
  }
  const TPoint first = Out.front();
  if (Style == TArcStyle::asSector) Out.push_back(TPoint{Round(CX), Round(CY)});
  if (Style != TArcStyle::asArc) Out.push_back(first);
}

void TMyElliArc::ArcPoints(const TPoint& A, const TPoint& B, const TPoint& C, TArcStyle Style, TArrPoint& Out) {
  Out.clear();
  long double cx = 0, cy = 0;
  if (B == C || !IntCircle(A, B, C, cx, cy)) return;
  const long double r = std::hypot(A.X - cx, A.Y - cy);
  // Angles grow clockwise on the screen (y points down).
  const long double a1 = std::atan2(A.Y - cy, A.X - cx);
  const long double a3 = std::atan2(C.Y - cy, C.X - cx);
  CirclePoints(cx, cy, r, a1, a3, Style, Out);
}

void TMyElliArc::ElliArcPoints(const TPoint& P0, const TPoint& P1, const TPoint& P2, TArrPoint& Out) {
  Out.clear();
  // (P0 + b t + a t^2) / (1 + t^2) is P0 (1-t)^2 + P1 2t(1-t) + P2 2t^2 over the same weights:
  // it runs from P0 to P2 inside the triangle of the three points.
  const long double ax = int64_t{P0.X} - 2 * int64_t{P1.X} + 2 * int64_t{P2.X};
  const long double ay = int64_t{P0.Y} - 2 * int64_t{P1.Y} + 2 * int64_t{P2.Y};
  const long double bx = 2 * (int64_t{P1.X} - P0.X), by = 2 * (int64_t{P1.Y} - P0.Y);
  long double steps = std::nearbyint(std::sqrt(100 * std::hypot(ax, ay)));
  // With a = 0 the formula gives no steps although the curve still runs from P0 to P2: the steps
  // then follow b the same way, and at least one step joins P0 to P2.
  if (steps == 0) steps = std::max(1.0L, std::nearbyint(std::sqrt(100 * std::hypot(bx, by))));
  const int32_t n = static_cast<int32_t>(std::min<long double>(steps, MaxSteps));
  Out.reserve(static_cast<size_t>(n) + 1);
  Out.push_back(P0);
  for (int32_t k = 1; k <= n; ++k) {
    const long double t = static_cast<long double>(k) / n, w = 1 + t * t;
    Out.push_back(TPoint{Round((P0.X + bx * t + ax * t * t) / w), Round((P0.Y + by * t + ay * t * t) / w)});
  }
}

void TMyElliArc::Outline(const TPoint& A, const TPoint& B, const TPoint& C, TArrPoint& Out) const {
  if (FArcMode == TArcMode::amEllipse) ElliArcPoints(A, B, C, Out);
  else ArcPoints(A, B, C, FArcStyle, Out);
}

void TMyElliArc::Paint(TCanvas* Canvas, const TArrPoint& Pts, bool Closed) {
  if (!Canvas || Pts.empty()) return;
  // A closed arc is one polygon: its outline is the polyline through the points and its inside
  // takes the brush. Painting the polyline as well would wipe the outline out again in the
  // rubber bands' XOR mode.
  if (Closed) Canvas->Polygon(Pts);
  else Canvas->Polyline(Pts);
}

void TMyElliArc::DrawArc(TCanvas* Canvas, const TPoint& A, const TPoint& B, const TPoint& C, bool, bool) {
  TArrPoint pts;
  ArcPoints(A, B, C, FArcStyle, pts);
  Paint(Canvas, pts, FArcStyle != TArcStyle::asArc);
}

void TMyElliArc::DrawElliArc(TCanvas* Canvas, const TPoint& P0, const TPoint& P1, const TPoint& P2) {
  TArrPoint pts;
  ElliArcPoints(P0, P1, P2, pts);
  Paint(Canvas, pts, false);
}

void TMyElliArc::PaintThrough(TCanvas* Canvas, const TPoint& A, const TPoint& B, const TPoint& C) {
  if (FArcMode == TArcMode::amEllipse) DrawElliArc(Canvas, A, B, C);
  else DrawArc(Canvas, A, B, C, false, false);
}

void TMyElliArc::PaintPoints(TPoint& A, TPoint& B, TPoint& C) {
  const TArrPoint& px = ZoomedPixels();
  A = px.empty() ? TPoint{} : px[0];
  B = px.size() > 1 ? px[1] : A;
  C = px.size() > 2 ? px[2] : B;
}

// ---- Painting ----

const TArrPoint& TMyElliArc::PaintedOutline() {
  return CachedOutline([this](TArrPoint& Out) {
    TPoint a, b, c;
    PaintPoints(a, b, c);
    Outline(a, b, c, Out);
  });
}

bool TMyElliArc::Closed() const { return FArcMode == TArcMode::amCircle && FArcStyle != TArcStyle::asArc; }

void TMyElliArc::Draw(TCanvas* Canvas) {
  if (!Canvas) return;
  SetDrawShapeMode(this, Canvas);
  if (!Points.empty()) Paint(Canvas, PaintedOutline(), Closed());
  DrawInfo(Canvas);
}

void TMyElliArc::DrawHot(TCanvas* Canvas) {
  if (!Canvas) return;
  if (!MyCAD || MyCAD->HotShow())
    for (int32_t i = 0; i < GetPointsCount(); ++i) DrawSquare(this, Canvas, GetPointInZoom(i));
  DrawDiamond(this, Canvas, ZoomedValuePt(TextPoint), clGreen);
}

void TMyElliArc::Drawing(TCanvas* Canvas, const TPoint&, const TPoint& P2) {
  if (!Canvas) return;
  // A rubber band that cannot be painted is left out; the drawing goes on.
  try {
    const TArrPoint& px = ZoomedPixels();
    if (px.empty()) return;
    if (FArcMode == TArcMode::amEllipse) {
      DrawElliArc(Canvas, px[0], px.size() > 1 ? px[1] : P2, P2);
      return;
    }
    DrawSquare(this, Canvas, GetPointInZoom(0));
    if (px.size() < 2) return;
    DrawSquare(this, Canvas, GetPointInZoom(1));
    SetDragResizeRotateShapeMode(Canvas);
    DrawArc(Canvas, px[0], px[1], P2, false, false);
  } catch (...) {
  }
}

void TMyElliArc::Draging(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  if (!Canvas || Points.empty()) return;
  // The outline through the moved points is the painted one moved: it is not computed again on
  // each move.
  Paint(Canvas, MovedOutline(PaintedOutline(), int64_t{P2.X} - P1.X, int64_t{P2.Y} - P1.Y), Closed());
}

void TMyElliArc::Rotating(TCanvas* Canvas, const TMyPoint& C, long double A) {
  if (!Canvas || Points.empty()) return;
  const TArrPoint t = TurnedPixels(*this, C, A);
  const TPoint p0 = t[0], p1 = t.size() > 1 ? t[1] : p0, p2 = t.size() > 2 ? t[2] : p1;
  PaintThrough(Canvas, p0, p1, p2);
}

void TMyElliArc::Sizing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  if (!Canvas || HotId < 0 || HotId >= GetPointsCount()) return;
  TPoint p[3];
  PaintPoints(p[0], p[1], p[2]);
  if (HotId < 3) p[HotId] = MovedPt(p[HotId], int64_t{P2.X} - P1.X, int64_t{P2.Y} - P1.Y);
  PaintThrough(Canvas, p[0], p[1], p[2]);
}

// ---- Mouse ----

bool TMyElliArc::IsDrawingFinished(TMouseButton, const TPoint&) { return GetPointsCount() >= 3; }

int32_t TMyElliArc::InWhichHot(const TPoint& P) {
  HotId = HotPointAt(ZoomedPixels(), HotSize(), P);
  return HotId;
}

bool TMyElliArc::IsClickedMe(TCanvas*, const TPoint& P) {
  const TArrPoint& px = ZoomedPixels();
  if (px.size() < 3) return false;
  return PtInPolygonWinding(px.data(), 3, P);
}

void TMyElliArc::SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2) {
  TMyShape::SizeChangeValue(P1, P2);
  if (HotId >= 0 && HotId < GetPointsCount())
    PointAddXY(HotId, static_cast<double>(P2.X) - P1.X, static_cast<double>(P2.Y) - P1.Y);
  CenterPoint = ComputeCenterPoint();
  Changed();
}

// ---- Geometry ----

void TMyElliArc::FlipHoriz() {
  TMyShape::FlipHoriz();
  if (GetPointsCount() >= 3) std::swap(Points.Edit()[0], Points.Edit()[2]);
}

void TMyElliArc::FlipVert() {
  TMyShape::FlipVert();
  if (GetPointsCount() >= 3) std::swap(Points.Edit()[0], Points.Edit()[2]);
}

TMyPoint TMyElliArc::GetCenterPoint() {
  long double cx = 0, cy = 0;
  if (GetPointsCount() < 3 || !FloatCircle(GetPoint(0), GetPoint(1), GetPoint(2), cx, cy)) return ComputeCenterPoint();
  return TMyPoint{static_cast<float>(cx), static_cast<float>(cy)};
}

TMyPoint TMyElliArc::GetCenterPointInZoom() { return ZoomedValuePt(GetCenterPoint()); }

TShapeReach TMyElliArc::GetReach() {
  TShapeReach r = BaseReach();
  // The curve stays inside the triangle of its points; only the circle goes beyond them.
  if (!r.Bounded || FArcMode != TArcMode::amCircle || GetPointsCount() < 3) return r;
  const TMyPoint p0 = GetPoint(0), p1 = GetPoint(1), p2 = GetPoint(2);
  if (p1 == p2) return r;  // paints nothing at any zoom
  long double cx = 0, cy = 0;
  const bool circle = FloatCircle(p0, p1, p2, cx, cy);
  const long double radius = circle ? std::hypot(p0.X - cx, p0.Y - cy) : 0;
  // Painting rounds the points to device pixels first. For points on or close to one line that
  // can give a circle of any size and either turning sense, so such a shape may show up
  // anywhere. Closeness is the radius against the triangle's height over its longest side.
  const long double longest = std::max({std::hypot(p0.X - p1.X, p0.Y - p1.Y), std::hypot(p1.X - p2.X, p1.Y - p2.Y),
                                        std::hypot(p2.X - p0.X, p2.Y - p0.Y)});
  const long double cross = std::fabs((static_cast<long double>(p0.X) - p1.X) * (static_cast<long double>(p2.Y) - p1.Y) -
                                      (static_cast<long double>(p1.X) - p2.X) * (static_cast<long double>(p1.Y) - p0.Y));
  const long double height = longest > 0 ? cross / longest : 0;
  if (!circle || !std::isfinite(radius) || !(height > 0) || radius > 256 * height) {
    r.Bounded = false;
    return r;
  }
  // The whole circle (the arc may run the long way round), plus the rounding of the centre and
  // the last step, which may pass the end point by up to 3.81 pixels.
  r.Box.Left = std::min(r.Box.Left, static_cast<float>(cx - radius));
  r.Box.Top = std::min(r.Box.Top, static_cast<float>(cy - radius));
  r.Box.Right = std::max(r.Box.Right, static_cast<float>(cx + radius));
  r.Box.Bottom = std::max(r.Box.Bottom, static_cast<float>(cy + radius));
  r.Margin += 6;
  return r;
}

}  // namespace cad
