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
  TArrPoint pts = ZoomedCornerPolygon();
  pts.push_back(pts[0]);
  Canvas->Polygon(pts);
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
  // Hover and clicks test every shape under the pointer's path: no allocation, and a cheap
  // rejection by the corners' box first.
  const double z = Zoom();
  TPoint poly[4];
  int32_t l = INT32_MAX, t = INT32_MAX, r = INT32_MIN, b = INT32_MIN;
  for (size_t i = 0; i < 4; ++i) {
    poly[i] = TPoint{Round(Points[i].X * z), Round(Points[i].Y * z)};
    l = std::min(l, poly[i].X);
    r = std::max(r, poly[i].X);
    t = std::min(t, poly[i].Y);
    b = std::max(b, poly[i].Y);
  }
  if (P.X < l || P.X >= r || P.Y < t || P.Y >= b) return false;
  return PtInPolygonWinding(poly, 4, P);
}

int32_t TMyRectangle::InWhichHot(const TPoint& P) {
  HotId = -1;
  const int32_t s = HotSize();
  for (int32_t i = 0; i < GetPointsCount(); ++i) {
    const TPoint z = MyPtToPt(GetPointInZoom(i));
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
      for (size_t i = 0; i < 4; ++i) Points[i] = (*c)[i];
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

TArrPoint TMyEllipse::OutlineAround(const TMyPoint& Center) {
  const long double z = Zoom();
  const long double rx = GetMyWidth() * z / 2, ry = GetMyHeight() * z / 2;
  const long double a = Angle(), ca = std::cos(a), sa = std::sin(a);
  TArrPoint pts;
  pts.reserve(73);
  for (int i = 0; i <= 72; ++i) {
    const long double t = i * PiL / 36;
    const long double x = rx * std::sin(t), y = ry * std::cos(t);
    pts.push_back(TPoint{Round(x * ca - y * sa + Center.X), Round(x * sa + y * ca + Center.Y)});
  }
  return pts;
}

void TMyEllipse::Draw(TCanvas* Canvas) {
  SetDrawShapeMode(this, Canvas);
  Canvas->Polygon(OutlineAround(GetCenterPointInZoom()));
  DrawInfo(Canvas);
}

void TMyEllipse::Drawing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  Canvas->Ellipse(P1.X, P1.Y, P2.X, P2.Y);
}

void TMyEllipse::Draging(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  const TMyPoint c = GetCenterPointInZoom();
  Canvas->Polyline(OutlineAround(TMyPoint{c.X + static_cast<float>(P2.X - P1.X), c.Y + static_cast<float>(P2.Y - P1.Y)}));
}

long double TMyEllipse::AreaInPixels() {
  // The inscribed ellipse: pi times the two half sides.
  const long double a = GetLengthinPixel(GetPoint(1), GetPoint(0)) / 2.0L;
  const long double b = GetLengthinPixel(GetPoint(2), GetPoint(1)) / 2.0L;
  return PiL * a * b;
}

QString TMyEllipse::GetInfo() { return TMyRectangle::GetInfo(); }

}  // namespace cad
