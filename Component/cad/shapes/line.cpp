#include "line.h"

#include "../core/streamprims.h"
#include "../gfx/streams.h"
#include "../surface/mycad.h"
#include "shapedraw.h"

#include <cmath>
#include <optional>

namespace cad {

namespace {
// Half-width of the band around a segment that still counts as a click on it, in pixels.
constexpr int32_t kHitBand = 8;
}  // namespace

// ---- TMyLine ----

TMyLine::TMyLine(TMyCAD* ACAD) : TMyShape(ACAD) {
  if (MyCAD) {
    FArrowOffset = MyCAD->ArrowOffset();
    FArrowLength = MyCAD->ArrowLength();
    FArrowAngle = MyCAD->ArrowAngle();
    FArrowStyle = MyCAD->ArrowStyle();
  }
}

void TMyLine::Assign(TMyShape* Source) {
  if (!Source || Source == this) return;
  TMyShape::Assign(Source);
  if (auto* line = dynamic_cast<TMyLine*>(Source)) {
    FArrowLength = line->FArrowLength;
    FArrowAngle = line->FArrowAngle;
    FArrowOffset = line->FArrowOffset;
    FArrowStyle = line->FArrowStyle;
    Changed();
  }
}

void TMyLine::SetArrowAngle(int32_t Value) {
  FArrowAngle = Value;
  Changed();
}
void TMyLine::SetArrowLength(uint8_t Value) {
  FArrowLength = Value;
  Changed();
}
void TMyLine::SetArrowOffset(uint8_t Value) {
  FArrowOffset = Value;
  Changed();
}
void TMyLine::SetArrowStyle(TArrowStyle Value) {
  FArrowStyle = Value;
  Changed();
}

TShapeReach TMyLine::GetReach() {
  TShapeReach r = BaseReach();
  if (!r.Bounded || FArrowStyle == TArrowStyle::ANone || Points.size() < 2) return r;
  // The corners of a head lie its length (zoomed with the drawing) from its tip; the tip is
  // pulled back from the end point by the offset (device pixels), past the other end when the
  // segment is shorter than that.
  const float len = FArrowLength + 1.0f;
  r.Box = TMyRect{r.Box.Left - len, r.Box.Top - len, r.Box.Right + len, r.Box.Bottom + len};
  r.Margin += FArrowOffset + 2;
  return r;
}

void TMyLine::DrawSegment(TCanvas* Canvas, const TPoint& A, const TPoint& B) {
  Canvas->MoveTo(A.X, A.Y);
  Canvas->LineTo(B.X, B.Y);
}

std::array<TMyPoint, 3> TMyLine::GetArrowHead(const TMyPoint& T, const TMyPoint& B) const {
  const TMyRect tip = SplitLine(T, B, FArrowOffset);
  const TMyPoint t{tip.Left, tip.Top};
  const float a = static_cast<float>(FArrowAngle * PiL / 180);
  const int32_t len = Round(Zoom() * FArrowLength);
  TMyRect c;
  if (len >= 0 && len <= 255) {
    c = GetTriangle(t, B, a, static_cast<uint8_t>(len));
  } else {
    // Past one byte the head keeps its proportions: the corners lie on the same rays, scaled
    // from the longest side the construction takes.
    const TMyRect c255 = GetTriangle(t, B, a, 255);
    const long double k = len / 255.0L;
    c = TMyRect{static_cast<float>(t.X + (c255.Left - t.X) * k), static_cast<float>(t.Y + (c255.Top - t.Y) * k),
                static_cast<float>(t.X + (c255.Right - t.X) * k), static_cast<float>(t.Y + (c255.Bottom - t.Y) * k)};
  }
  return {t, TMyPoint{c.Left, c.Top}, TMyPoint{c.Right, c.Bottom}};
}

void TMyLine::DrawTriangle(TCanvas* Canvas, const TMyPoint& T, const TMyPoint& B) {
  const std::array<TMyPoint, 3> head = GetArrowHead(T, B);
  Canvas->Polygon(TArrPoint{MyPtToPt(head[0]), MyPtToPt(head[1]), MyPtToPt(head[2])});
}

void TMyLine::Draw(TCanvas* Canvas) {
  if (!Canvas) return;
  SetDrawShapeMode(this, Canvas);
  const int32_t n = GetPointsCount();
  for (int32_t i = 0; i + 1 < n; ++i) LineDraw(this, Canvas, GetPointInZoom(i), GetPointInZoom(i + 1));
  if (n >= 2) {
    SetDrawTriangleMode(this, Canvas);
    const bool atLast = FArrowStyle == TArrowStyle::ALeft || FArrowStyle == TArrowStyle::ADouble;
    const bool atFirst = FArrowStyle == TArrowStyle::ARight || FArrowStyle == TArrowStyle::ADouble;
    if (atLast) DrawTriangle(Canvas, GetPointInZoom(n - 1), GetPointInZoom(n - 2));
    if (atFirst) DrawTriangle(Canvas, GetPointInZoom(0), GetPointInZoom(1));
  }
  SetDrawShapeMode(this, Canvas);
  DrawInfo(Canvas);
}

void TMyLine::DrawHot(TCanvas* Canvas) {
  if (!Canvas || (MyCAD && !MyCAD->HotShow())) return;
  for (int32_t i = 0; i < GetPointsCount(); ++i) DrawSquare(this, Canvas, GetPointInZoom(i));
  DrawDiamond(this, Canvas, ZoomedValuePt(TextPoint), MyCAD ? MyCAD->ColorOfHot() : clGray);
}

void TMyLine::Drawing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  if (Canvas) DrawSegment(Canvas, P1, P2);
}

void TMyLine::Draging(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  if (!Canvas) return;
  const int64_t dx = int64_t{P2.X} - P1.X, dy = int64_t{P2.Y} - P1.Y;
  for (int32_t i = 0; i + 1 < GetPointsCount(); ++i)
    DrawSegment(Canvas, MovedPt(ZoomedPixel(i), dx, dy), MovedPt(ZoomedPixel(i + 1), dx, dy));
}

void TMyLine::Sizing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  const int32_t h = HotId;
  if (!Canvas || !ValidPoint(h)) return;
  const TPoint moved = MovedPt(ZoomedPixel(h), int64_t{P2.X} - P1.X, int64_t{P2.Y} - P1.Y);
  if (h >= 1) DrawSegment(Canvas, moved, ZoomedPixel(h - 1));
  if (ValidPoint(h + 1)) DrawSegment(Canvas, moved, ZoomedPixel(h + 1));
}

TArrPoint TurnedPixels(const TMyShape& S, const TMyPoint& C, long double A) {
  TArrPoint turned;
  turned.reserve(static_cast<size_t>(S.GetPointsCount()));
  for (int32_t i = 0; i < S.GetPointsCount(); ++i)
    turned.push_back(MyPtToPt(RotateAPoint(S.GetPointInZoom(i), C, static_cast<float>(A))));
  return turned;
}

void TMyLine::Rotating(TCanvas* Canvas, const TMyPoint& C, long double A) {
  if (!Canvas) return;
  const TArrPoint turned = TurnedPixels(*this, C, A);
  for (size_t i = 0; i + 1 < turned.size(); ++i) DrawSegment(Canvas, turned[i], turned[i + 1]);
}

int32_t HotPointAt(const TArrPoint& Px, int32_t HotSize, const TPoint& P) {
  int32_t hot = -1;
  for (int32_t i = 0; i < static_cast<int32_t>(Px.size()); ++i) {
    const TPoint c = Px[static_cast<size_t>(i)];
    if (PtInRect(ExpandRect(TRect{c.X, c.Y, c.X, c.Y}, HotSize), P)) hot = i;
  }
  return hot;
}

bool ChainBandHit(const TArrPoint& Px, const TRect& Box, const TPoint& P) {
  if (Px.size() < 2) return false;
  // The whole chain's box gates the slanted segments, and every band lies within it widened by
  // the band: a point outside that hits nothing.
  if (int64_t{P.X} < int64_t{Box.Left} - kHitBand || int64_t{P.X} > int64_t{Box.Right} + kHitBand ||
      int64_t{P.Y} < int64_t{Box.Top} - kHitBand || int64_t{P.Y} > int64_t{Box.Bottom} + kHitBand)
    return false;
  for (size_t i = 0; i + 1 < Px.size(); ++i) {
    const TPoint a = Px[i], b = Px[i + 1];
    // Pixels may sit at the ends of the 32-bit range: the bands are measured wide.
    const int64_t minX = std::min(a.X, b.X), maxX = std::max(a.X, b.X);
    const int64_t minY = std::min(a.Y, b.Y), maxY = std::max(a.Y, b.Y);
    const auto inBand = [&P](int64_t L, int64_t T, int64_t R, int64_t B) { return P.X >= L && P.X < R && P.Y >= T && P.Y < B; };
    if (a.X == b.X) {
      if (inBand(minX - kHitBand, minY, maxX + kHitBand, maxY)) return true;
      continue;
    }
    if (a.Y == b.Y) {
      if (inBand(minX, minY - kHitBand, maxX, maxY + kHitBand)) return true;
      continue;
    }
    if (!PtInRect(Box, P)) continue;
    const long double ax = a.X, ay = a.Y, bx = b.X, by = b.Y;
    if (std::abs(bx - ax) > std::abs(by - ay)) {
      const long double y0 = (by - ay) / (bx - ax) * (P.X - ax) + ay;
      if (y0 - kHitBand <= P.Y && P.Y <= y0 + kHitBand) return true;
    } else {
      const long double x0 = (bx - ax) / (by - ay) * (P.Y - ay) + ax;
      if (x0 - kHitBand <= P.X && P.X <= x0 + kHitBand) return true;
    }
  }
  return false;
}

int32_t TMyLine::InWhichHot(const TPoint& P) {
  HotId = HotPointAt(ZoomedPixels(), HotSize(), P);
  return HotId;
}

bool TMyLine::IsClickedMe(TCanvas*, const TPoint& P) {
  const TArrPoint& px = ZoomedPixels();
  return px.size() >= 2 && ChainBandHit(px, ZoomedPixelsLTRB(), P);
}

bool TMyLine::IsDrawingFinished(TMouseButton, const TPoint&) { return GetPointsCount() == 2; }

void TMyLine::SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2) {
  TMyShape::SizeChangeValue(P1, P2);
  if (ValidPoint(HotId)) PointAddXY(HotId, static_cast<double>(P2.X) - P1.X, static_cast<double>(P2.Y) - P1.Y);
  if (ClassName() == QLatin1String("TMyRuleLine") && GetPointsCount() >= 2) {
    const TMyPoint p0 = GetPoint(0), p1 = GetPoint(1);
    SetAngleValue(p1.X == p0.X ? static_cast<float>(PiL / 2)
                               : static_cast<float>(std::atan((static_cast<long double>(p1.Y) - p0.Y) /
                                                              (static_cast<long double>(p1.X) - p0.X))));
    SetInfo(GetLengthByUnit(ZoomedPixel(0), ZoomedPixel(1)).trimmed());
  }
  CenterPoint = ComputeCenterPoint();
}

QString TMyLine::GetInfo() {
  const QString cls = ClassName();
  if (cls != QLatin1String("TMyLine") && cls != QLatin1String("TMyRuleLine")) return QString();
  const QString text = GetLengthByUnit(ZoomedPixel(0), ZoomedPixel(1));
  SetInfo(text);
  return text;
}

void TMyLine::SaveToStream(TStream& Stream) {
  TMyShape::SaveToStream(Stream);
  Stream.WriteLE<int32_t>(FArrowAngle);
  Stream.WriteLE<uint8_t>(FArrowLength);
  Stream.WriteLE<uint8_t>(FArrowOffset);
  Stream.WriteLE<uint8_t>(static_cast<uint8_t>(FArrowStyle));
}

void TMyLine::LoadFromStream(TStream& Stream) {
  TMyShape::LoadFromStream(Stream);
  FArrowAngle = Stream.ReadLE<int32_t>();
  FArrowLength = Stream.ReadLE<uint8_t>();
  FArrowOffset = Stream.ReadLE<uint8_t>();
  FArrowStyle = EnumFromStored(Stream.ReadLE<uint8_t>(), TArrowStyle::ADouble, TArrowStyle::ANone);
  Changed();
}

// ---- TMyPolyLine ----

TMyPolyLine::TMyPolyLine(TMyCAD* ACAD) : TMyLine(ACAD) { SetArrowStyle(TArrowStyle::ANone); }

bool TMyPolyLine::IsDrawingFinished(TMouseButton, const TPoint&) {
  const int32_t n = GetPointsCount();
  if (n <= 2 || !(GetPointInZoom(n - 1) == GetPointInZoom(n - 2))) return false;
  Points.pop_back();
  return true;
}

void TMyPolyLine::AppendPoint(const TPoint& P) {
  // The axis-mode mapping is its own inverse.
  AddPoint(PtToMyPt(MyCAD ? MyCAD->GetPointByMode(P) : P));
}

// ---- TMyPolygon ----

void TMyPolygon::Draw(TCanvas* Canvas) {
  if (!Canvas) return;
  SetDrawShapeMode(this, Canvas);
  Canvas->Polygon(ZoomedPixels());
  DrawInfo(Canvas);
}

void TMyPolygon::DrawHot(TCanvas* Canvas) {
  if (!Canvas || (MyCAD && !MyCAD->HotShow())) return;
  for (int32_t i = 0; i + 1 < GetPointsCount(); ++i) DrawSquare(this, Canvas, GetPointInZoom(i));
  DrawDiamond(this, Canvas, ZoomedValuePt(TextPoint), MyCAD ? MyCAD->ColorOfHot() : clGray);
}

bool TMyPolygon::IsClickedMe(TCanvas*, const TPoint& P) { return PtInPolygonWinding(ZoomedPixels(), P); }

bool TMyPolygon::IsDrawingFinished(TMouseButton, const TPoint& P) {
  const int32_t n = GetPointsCount();
  if (n <= 2) return false;
  const TMyPoint first = GetPointInZoom(0);
  const long double hot = HotSize();
  if (!(std::fabs(first.X - static_cast<long double>(P.X)) < hot && std::fabs(first.Y - static_cast<long double>(P.Y)) < hot))
    return false;
  TArrMyPoint& pts = Points.Edit();
  pts.back() = pts.front();
  return true;
}

void TMyPolygon::SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2) {
  const int32_t h = HotId, last = GetPointsCount() - 1;
  if (!ValidPoint(h)) return;
  const double dx = static_cast<double>(P2.X) - P1.X, dy = static_cast<double>(P2.Y) - P1.Y;
  PointAddXY(h, dx, dy);
  if (last > 0 && h == 0) PointAddXY(last, dx, dy);
  if (last > 0 && h == last) PointAddXY(0, dx, dy);
}

void TMyPolygon::Sizing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  const int32_t h = HotId, n = GetPointsCount();
  if (!Canvas || !ValidPoint(h)) return;
  const int64_t dx = int64_t{P2.X} - P1.X, dy = int64_t{P2.Y} - P1.Y;
  const TPoint moved = MovedPt(ZoomedPixel(h), dx, dy);
  if (h >= 1) {
    DrawSegment(Canvas, moved, ZoomedPixel(h - 1));
    if (h == n - 1 && n >= 2) DrawSegment(Canvas, MovedPt(ZoomedPixel(0), dx, dy), ZoomedPixel(1));
  }
  if (ValidPoint(h + 1)) {
    DrawSegment(Canvas, moved, ZoomedPixel(h + 1));
    if (h == 0 && n >= 2) DrawSegment(Canvas, MovedPt(ZoomedPixel(n - 1), dx, dy), ZoomedPixel(n - 2));
  }
}

}  // namespace cad
