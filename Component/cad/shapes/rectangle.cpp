#include "rectangle.h"

#include "../surface/mycad.h"
#include "shapedraw.h"

namespace cad {

namespace {

TPoint Shifted(const TMyPoint& p, long double dx, long double dy) { return TPoint{Round(p.X + dx), Round(p.Y + dy)}; }

// Corner roles for a grabbed corner H: the moving one, its row neighbour (same unturned Y), its
// column neighbour (same unturned X) and the fixed opposite one.
struct CornerRoles {
  int Moving, Row, Column, Fixed;
};
std::optional<CornerRoles> RolesOf(int32_t H) {
  switch (H) {
    case 0: return CornerRoles{0, 1, 3, 2};
    case 1: return CornerRoles{1, 0, 2, 3};
    case 2: return CornerRoles{2, 3, 1, 0};
    case 3: return CornerRoles{3, 2, 0, 1};
    default: return std::nullopt;
  }
}

bool SameQuadrant(const TMyPoint& Fixed, const TMyPoint& Old, const TMyPoint& New) {
  return (IsAtLeftTop(Fixed, Old) && IsAtLeftTop(Fixed, New)) ||
         (IsAtRightBottom(Fixed, Old) && IsAtRightBottom(Fixed, New)) ||
         (IsAtRightTop(Fixed, Old) && IsAtRightTop(Fixed, New)) ||
         (IsAtLeftBottom(Fixed, Old) && IsAtLeftBottom(Fixed, New));
}

}  // namespace

std::array<TMyPoint, 4> TMyRectangle::Corners() const { return {GetPoint(0), GetPoint(1), GetPoint(2), GetPoint(3)}; }

std::array<TMyPoint, 4> TMyRectangle::ZoomedCorners() const {
  return {GetPointInZoom(0), GetPointInZoom(1), GetPointInZoom(2), GetPointInZoom(3)};
}

TArrPoint TMyRectangle::ZoomedCornerPolygon() const {
  const auto z = ZoomedCorners();
  return {MyPtToPt(z[0]), MyPtToPt(z[1]), MyPtToPt(z[2]), MyPtToPt(z[3])};
}

void TMyRectangle::AddPointByMouse(const TPoint& P) {
  if (Points.empty()) {
    AddPoint(PtToMyPt(P));
  } else if (Points.size() == 1) {
    const TMyPoint z = GetPointInZoom(0);
    AddPoint(TMyPoint{static_cast<float>(P.X), z.Y});
    AddPoint(PtToMyPt(P));
    AddPoint(TMyPoint{z.X, static_cast<float>(P.Y)});
  }
}

bool TMyRectangle::IsDrawingFinished(TMouseButton, const TPoint&) { return Points.size() == 4; }

void TMyRectangle::Drawing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  Canvas->Rectangle(P1.X, P1.Y, P2.X, P2.Y);
}

void TMyRectangle::Draw(TCanvas* Canvas) {
  SetDrawShapeMode(this, Canvas);
  Canvas->Polygon(CachedOutline([this](TArrPoint& Outline) {
    Outline = ZoomedCornerPolygon();
    Outline.push_back(Outline[0]);
  }));
  if (ClassName() != QLatin1String("TMyText")) DrawInfo(Canvas);
}

void TMyRectangle::DrawRectangle(TCanvas* Canvas, const TArrPoint& Pts) {
  if (Pts.size() < 4) return;
  Canvas->MoveTo(Pts[0].X, Pts[0].Y);
  for (size_t i : {1, 2, 3, 0}) Canvas->LineTo(Pts[i].X, Pts[i].Y);
}

void TMyRectangle::DrawHot(TCanvas* Canvas) {
  if (!MyCAD || MyCAD->HotShow())
    for (int32_t i = 0; i < 4; ++i) DrawSquare(this, Canvas, GetPointInZoom(i));
  DrawDiamond(this, Canvas, ZoomedValuePt(TextPoint), clGreen);
}

bool TMyRectangle::IsClickedMe(TCanvas*, const TPoint& P) {
  if (Points.size() < 4) return false;
  // Hover and clicks test every shape under the pointer's path: the rounded corners are kept,
  // and their box rejects most points at once. The cached pixels of the points (rounded from
  // single-precision products, so at most a pixel off these) reject far points sooner still.
  const TRect near = ZoomedPixelsLTRB();
  const int64_t slack = 2 + (std::max({std::abs(int64_t{near.Left}), std::abs(int64_t{near.Right}), std::abs(int64_t{near.Top}),
                                       std::abs(int64_t{near.Bottom})}) >> 20);
  if (P.X < near.Left - slack || P.X > near.Right + slack || P.Y < near.Top - slack || P.Y > near.Bottom + slack)
    return false;
  const double z = Zoom();
  if (FHitRevision != Revision() || FHitZoom != z) {
    const TArrMyPoint& pts = Points;
    int32_t l = INT32_MAX, t = INT32_MAX, r = INT32_MIN, b = INT32_MIN;
    for (size_t i = 0; i < 4; ++i) {
      FHitCorners[i] = TPoint{Round(pts[i].X * z), Round(pts[i].Y * z)};
      l = std::min(l, FHitCorners[i].X);
      r = std::max(r, FHitCorners[i].X);
      t = std::min(t, FHitCorners[i].Y);
      b = std::max(b, FHitCorners[i].Y);
    }
    FHitBox = TRect{l, t, r, b};
    FHitRevision = Revision();
    FHitZoom = z;
  }
  if (P.X < FHitBox.Left || P.X >= FHitBox.Right || P.Y < FHitBox.Top || P.Y >= FHitBox.Bottom) return false;
  return PtInPolygonWinding(FHitCorners.data(), 4, P);
}

int32_t TMyRectangle::InWhichHot(const TPoint& P) {
  HotId = -1;
  const int32_t s = HotSize();
  const TArrPoint& px = ZoomedPixels();
  for (int32_t i = 0; i < static_cast<int32_t>(px.size()); ++i) {
    const TPoint z = px[static_cast<size_t>(i)];
    if (PtInRect(ExpandRect(PtToARect(z, z), s), P)) HotId = i;
  }
  return HotId;
}

TMyPoint TMyRectangle::GetCenterPoint() { return Getintersection(GetPoint(0), GetPoint(1), GetPoint(2), GetPoint(3)); }

TMyPoint TMyRectangle::GetCenterPointInZoom() { return ZoomedValuePt(GetCenterPoint()); }

void TMyRectangle::Draging(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  const long double dx = static_cast<long double>(P2.X) - P1.X, dy = static_cast<long double>(P2.Y) - P1.Y;
  const auto z = ZoomedCorners();
  DrawRectangle(Canvas, {Shifted(z[0], dx, dy), Shifted(z[1], dx, dy), Shifted(z[2], dx, dy), Shifted(z[3], dx, dy)});
}

void TMyRectangle::Rotating(TCanvas* Canvas, const TMyPoint& C, long double A) {
  TArrPoint pts;
  for (const TMyPoint& p : ZoomedCorners()) pts.push_back(MyPtToPt(RotateAPoint(p, C, static_cast<float>(A))));
  DrawRectangle(Canvas, pts);
}

void TMyRectangle::FlipKeepingCornerOrder(bool Horizontal) {
  if (Horizontal) TMyShape::FlipHoriz();
  else TMyShape::FlipVert();
  if (Points.size() >= 4) {
    auto& p = Points.Edit();
    if (Horizontal) {
      std::swap(p[0], p[1]);
      std::swap(p[2], p[3]);
    } else {
      std::swap(p[0], p[3]);
      std::swap(p[1], p[2]);
    }
  }
  if (Angle() != 0) SetAngleValue(static_cast<float>(Angle() + (Horizontal ? PiL : 2 * PiL)));
  Changed();
}

std::optional<std::array<TMyPoint, 4>> TMyRectangle::ResizedCorners(const std::array<TMyPoint, 4>& Corners,
                                                                    const TMyPoint& Center, float Angle, int32_t H,
                                                                    const TMyPoint& NewPoint) {
  const auto roles = RolesOf(H);
  if (!roles) return std::nullopt;
  // Work in the box's own, unturned frame.
  std::array<TMyPoint, 4> q;
  for (size_t i = 0; i < 4; ++i) q[i] = RotateAPoint(Corners[i], Center, -Angle);
  const TMyPoint moved = RotateAPoint(NewPoint, Center, -Angle);
  const TMyPoint fixed = q[static_cast<size_t>(roles->Fixed)];
  if (!SameQuadrant(fixed, q[static_cast<size_t>(roles->Moving)], moved)) return std::nullopt;
  q[static_cast<size_t>(roles->Moving)] = moved;
  q[static_cast<size_t>(roles->Row)].Y = moved.Y;
  q[static_cast<size_t>(roles->Column)].X = moved.X;
  std::array<TMyPoint, 4> result = Corners;
  for (int i : {roles->Moving, roles->Row, roles->Column})
    result[static_cast<size_t>(i)] = RotateAPoint(q[static_cast<size_t>(i)], Center, Angle);
  return result;
}

void TMyRectangle::SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2) {
  TMyShape::SizeChangeValue(P1, P2);
  if (Points.size() >= 4) {
    const double z = Zoom();
    const TMyPoint target{static_cast<float>(P2.X / z), static_cast<float>(P2.Y / z)};
    if (const auto c = ResizedCorners(Corners(), GetCenterPoint(), Angle(), HotId, target))
      for (size_t i = 0; i < 4; ++i) Points.Edit()[i] = (*c)[i];
  }
  CenterPoint = ComputeCenterPoint();
}

void TMyRectangle::Sizing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  TMyShape::Sizing(Canvas, P1, P2);
  if (Points.size() < 4) return;
  const auto c = ResizedCorners(ZoomedCorners(), GetCenterPointInZoom(), Angle(), HotId, PtToMyPt(P2));
  const std::array<TMyPoint, 4> pts = c ? *c : ZoomedCorners();
  DrawRectangle(Canvas, {MyPtToPt(pts[0]), MyPtToPt(pts[1]), MyPtToPt(pts[2]), MyPtToPt(pts[3])});
}

long double TMyRectangle::AreaInPixels() {
  const long double w = GetLengthinPixel(GetPoint(1), GetPoint(0));
  const long double h = GetLengthinPixel(GetPoint(2), GetPoint(1));
  return w * h;
}

QString TMyRectangle::AreaText(long double PixelArea) {
  const TUnits unit = MyCAD ? MyCAD->TheUNIT() : TUnits::mm;
  const long double r = MyCAD ? MyCAD->Ratio() : 1.0;
  const long double ppi = ScreenPixelsPerInch();
  const long double squareInches = r * r / (ppi * ppi) * PixelArea;
  long double v = 0;
  const char* suffix = "";
  switch (unit) {
    case TUnits::pixel: v = r * r * PixelArea; suffix = "pixel(s)2"; break;
    case TUnits::mm: v = squareInches * 25.4L * 25.4L; suffix = "mm2"; break;
    case TUnits::cm: v = squareInches * 2.54L * 2.54L; suffix = "cm2"; break;
    case TUnits::dm: v = squareInches * 0.254L * 0.254L; suffix = "dm2"; break;
    case TUnits::m: v = squareInches * 0.0254L * 0.0254L; suffix = "m2"; break;
    case TUnits::inch: v = squareInches; suffix = "inch2"; break;
  }
  return QStringLiteral("Area=") + FormatFloat("%9.2f", v) + QLatin1String(suffix);
}

QString TMyRectangle::GetInfo() {
  SetInfo(AreaText(AreaInPixels()));
  return Info();
}

QString TMyRectangle::GetLengthByUnit(const TPoint& P1, const TPoint& P2) {
  const TMyPoint a = PtToMyPt(P1), c = MyPoint(static_cast<float>(P2.X), static_cast<float>(P1.Y)), b = PtToMyPt(P2);
  const long double m = GetLengthinPixel(a, c), n = GetLengthinPixel(c, b);
  const TUnits unit = MyCAD ? MyCAD->TheUNIT() : TUnits::mm;
  const long double k = (MyCAD ? MyCAD->Ratio() : 1.0) / Zoom();
  const QString suffix = QLatin1String(UnitSuffix(unit));
  return QStringLiteral("m=") + FormatFloat("%9.2f", LengthInUnit(m, unit, k)) + suffix + QChar(13) +
         QStringLiteral("n=") + FormatFloat("%9.2f", LengthInUnit(n, unit, k)) + suffix.mid(1);
}

// ---- Ellipse ----

namespace {

// The sine and cosine of the outline's parameter at each of its 73 steps (i * pi / 36): the
// same for every ellipse, so they are computed once.
struct TOutlineSteps {
  std::array<long double, 73> Sin, Cos;
};
const TOutlineSteps& OutlineSteps() {
  static const TOutlineSteps steps = [] {
    TOutlineSteps s;
    for (int i = 0; i <= 72; ++i) {
      const long double t = i * PiL / 36;
      s.Sin[static_cast<size_t>(i)] = std::sin(t);
      s.Cos[static_cast<size_t>(i)] = std::cos(t);
    }
    return s;
  }();
  return steps;
}

}  // namespace

const TMyEllipse::TOutlineShape& TMyEllipse::OutlineShape() {
  // The unturned sides and the turn depend on the shape only: a new zoom reuses them.
  if (FShapeRevision != Revision()) {
    FShape.Width = GetMyWidth();
    FShape.Height = GetMyHeight();
    const long double a = Angle();
    FShape.Cos = std::cos(a);
    FShape.Sin = std::sin(a);
    FShapeRevision = Revision();
  }
  return FShape;
}

void TMyEllipse::OutlineAround(const TMyPoint& Center, TArrPoint& Out) {
  const TOutlineShape& k = OutlineShape();
  const TOutlineSteps& steps = OutlineSteps();
  const long double z = Zoom();
  const long double rx = k.Width * z / 2, ry = k.Height * z / 2;
  const long double ca = k.Cos, sa = k.Sin;
  Out.resize(73);
  auto exact = [&](size_t I) {
    const long double x = rx * steps.Sin[I], y = ry * steps.Cos[I];
    return TPoint{Round(x * ca - y * sa + Center.X), Round(x * sa + y * ca + Center.Y)};
  };
  // The same sums in double precision differ from these by less than (rx + ry + |centre|) 2^-50;
  // a sum farther than a thousand times that from a half-integer rounds as the exact one does,
  // so only sums nearer a tie (or outside the safe range) are worked out in full precision.
  const double drx = static_cast<double>(rx), dry = static_cast<double>(ry), dca = static_cast<double>(ca), dsa = static_cast<double>(sa);
  const double cx = Center.X, cy = Center.Y;
  const double guard = (std::abs(drx) + std::abs(dry) + std::abs(cx) + std::abs(cy) + 1) * 0x1p-40;
  const bool quick = guard < 0.25 && std::abs(drx) + std::abs(dry) + std::abs(cx) + std::abs(cy) < 0x1p30;
  auto settled = [guard](double V, long& R) {
    // Adding and taking away 1.5 * 2^52 rounds a double below 2^51 to a whole number, half to even.
    const double whole = (V + 0x1.8p52) - 0x1.8p52;
    R = static_cast<long>(whole);
    return std::abs(std::abs(V - whole) - 0.5) > guard;
  };
  for (size_t i = 0; i <= 72; ++i) {
    if (quick) {
      const double x = drx * static_cast<double>(steps.Sin[i]), y = dry * static_cast<double>(steps.Cos[i]);
      long px, py;
      if (settled(x * dca - y * dsa + cx, px) && settled(x * dsa + y * dca + cy, py)) {
        Out[i] = TPoint{static_cast<int32_t>(px), static_cast<int32_t>(py)};
        continue;
      }
    }
    Out[i] = exact(i);
  }
}

TArrPoint TMyEllipse::OutlineAround(const TMyPoint& Center) {
  TArrPoint pts;
  OutlineAround(Center, pts);
  return pts;
}

const TArrPoint& TMyEllipse::Outline() {
  return CachedOutline([this](TArrPoint& Out) { OutlineAround(GetCenterPointInZoom(), Out); });
}

void TMyEllipse::Draw(TCanvas* Canvas) {
  SetDrawShapeMode(this, Canvas);
  Canvas->Polygon(Outline());
  DrawInfo(Canvas);
}

TShapeReach TMyEllipse::GetReach() {
  TShapeReach r = BaseReach();
  if (!r.Bounded || Points.empty()) return r;
  const TMyPoint c = GetCenterPoint();
  // Half the diagonal of the unturned box, plus the rounding of its sides.
  const long double radius = std::hypot(GetMyWidth() / 2.0L, GetMyHeight() / 2.0L) + 1;
  const long double l = c.X - radius, t = c.Y - radius, rr = c.X + radius, b = c.Y + radius;
  if (!std::isfinite(Angle()) || !std::isfinite(l) || !std::isfinite(t) || !std::isfinite(rr) || !std::isfinite(b)) {
    r.Bounded = false;
    return r;
  }
  r.Box.Left = std::min(r.Box.Left, static_cast<float>(l));
  r.Box.Top = std::min(r.Box.Top, static_cast<float>(t));
  r.Box.Right = std::max(r.Box.Right, static_cast<float>(rr));
  r.Box.Bottom = std::max(r.Box.Bottom, static_cast<float>(b));
  return r;
}

void TMyEllipse::Drawing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  Canvas->Ellipse(P1.X, P1.Y, P2.X, P2.Y);
}

void TMyEllipse::Draging(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  // The painted outline moved by the pointer's offset: nothing is computed again on each move,
  // and the ghost covers exactly the pixels the shape will cover once dropped there.
  Canvas->Polyline(MovedOutline(Outline(), int64_t{P2.X} - P1.X, int64_t{P2.Y} - P1.Y));
}

long double TMyEllipse::AreaInPixels() {
  // The inscribed ellipse: pi times the two half sides.
  const long double a = GetLengthinPixel(GetPoint(1), GetPoint(0)) / 2.0L;
  const long double b = GetLengthinPixel(GetPoint(2), GetPoint(1)) / 2.0L;
  return PiL * a * b;
}

QString TMyEllipse::GetInfo() { return TMyRectangle::GetInfo(); }

}  // namespace cad
