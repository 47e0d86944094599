#include "polybezier.h"

#include "../surface/mycad.h"
#include "line.h"
#include "shapedraw.h"

namespace cad {

namespace {

// Draws the complete segments of Q (the first 3k + 1 points) with one Bezier call; trailing
// points that do not complete a segment are left out.
void DrawSegments(TCanvas* Canvas, TArrPoint Q) {
  if (Q.size() < 4) return;
  Q.resize((Q.size() - 1) / 3 * 3 + 1);
  Canvas->PolyBezier(Q);
}

TArrPoint Rounded(const TArrMyPoint& Q) {
  TArrPoint r;
  r.reserve(Q.size());
  for (const TMyPoint& p : Q) r.push_back(MyPtToPt(p));
  return r;
}

}  // namespace

TMyPoint TMyPolyBezier::LineCenterPoint(const TMyPoint& A, const TMyPoint& B) {
  return TMyPoint{A.X + (B.X - A.X) / 2, A.Y + (B.Y - A.Y) / 2};
}

TPoint TMyPolyBezier::LineCenterPoint(const TPoint& A, const TPoint& B) {
  // In 64 bits, so that far-apart points cannot overflow the difference.
  return TPoint{static_cast<int32_t>(A.X + (int64_t{B.X} - A.X) / 2), static_cast<int32_t>(A.Y + (int64_t{B.Y} - A.Y) / 2)};
}

void TMyPolyBezier::AddPointByMouse(const TPoint& P) {
  TMyShape::AddPointByMouse(P);
  const int32_t n = GetPointsCount();
  if (n < 4 || (n - 4) % 3 != 0) return;
  // The click that completes a segment becomes the first control point of the next one; its
  // place takes the joint midway between it and the control point before it. The rubber band
  // (XOR) is taken off before the points change and put back after.
  TCanvas* c = MyCAD ? MyCAD->Canvas() : nullptr;
  if (c) Drawing(c, TPoint{0, 0}, P);
  TArrMyPoint& pts = Points.Edit();
  pts.push_back(pts.back());
  pts[static_cast<size_t>(n - 1)] = LineCenterPoint(pts[static_cast<size_t>(n - 2)], pts[static_cast<size_t>(n - 1)]);
  if (c) Drawing(c, TPoint{0, 0}, P);
}

void TMyPolyBezier::Drawing(TCanvas* Canvas, const TPoint&, const TPoint& P2) {
  if (!Canvas) return;
  // The points so far, completed by the mouse point to the next whole segment past the first
  // (7 points while the first segment is being placed, one line to the mouse from one point).
  const int32_t n = GetPointsCount();
  const int32_t m = ((n - 4) / 3 + 1) * 3 + 4;
  TArrPoint q = ZoomedPixels();
  q.resize(static_cast<size_t>(std::max(m, n)), P2);
  DrawSegments(Canvas, std::move(q));
}

bool TMyPolyBezier::IsDrawingFinished(TMouseButton, const TPoint& P) {
  int32_t n = GetPointsCount();
  if (n < 4 || !(GetPointInZoom(n - 1) == GetPointInZoom(n - 2))) return false;
  Points.pop_back();
  --n;
  if (n < 4) return false;
  if (n > 4) {
    const int32_t r = (n - 1) % 3;
    if (r != 0)
      for (int32_t i = 0; i < 3 - r; ++i) AddPoint(PtToMyPt(P));
  }
  return true;
}

void TMyPolyBezier::Draw(TCanvas* Canvas) {
  if (!Canvas) return;
  SetDrawShapeMode(this, Canvas);
  // Points past the last whole segment are not drawn.
  Canvas->PolyBezier(CachedOutline(FFlat, [this](TFlatBezier& Out) { TCanvas::FlattenBezier(ZoomedPixels(), Out); }));
  DrawInfo(Canvas);
}

void TMyPolyBezier::DrawHot(TCanvas* Canvas) {
  if (!Canvas || (MyCAD && !MyCAD->HotShow())) return;
  const int32_t n = GetPointsCount();
  for (int32_t i = 0; i < n; ++i) DrawSquare(this, Canvas, GetPointInZoom(i));
  if (n > 4) {
    // The handle through each inner joint, joining its two control points.
    Canvas->Pen()->SetColor(clGray);
    const TArrPoint& px = ZoomedPixels();
    for (int32_t i = 2; i < n - 2; i += 3) {
      Canvas->MoveTo(px[static_cast<size_t>(i)].X, px[static_cast<size_t>(i)].Y);
      Canvas->LineTo(px[static_cast<size_t>(i + 2)].X, px[static_cast<size_t>(i + 2)].Y);
    }
  }
  DrawDiamond(this, Canvas, ZoomedValuePt(TextPoint), MyCAD ? MyCAD->ColorOfHot() : clGray);
}

int32_t TMyPolyBezier::InWhichHot(const TPoint& P) {
  HotId = HotPointAt(ZoomedPixels(), HotSize(), P);
  return HotId;
}

bool TMyPolyBezier::IsClickedMe(TCanvas*, const TPoint& P) {
  const TArrPoint& px = ZoomedPixels();
  return px.size() >= 2 && ChainBandHit(px, ZoomedPixelsLTRB(), P);
}

TArrMyPoint TMyPolyBezier::EditedPoints(const TMyPoint& P1, const TMyPoint& P2, std::vector<int32_t>& Moved) const {
  const int32_t n = GetPointsCount(), h = HotId;
  TArrMyPoint q;
  q.reserve(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) q.push_back(GetPointInZoom(i));
  Moved.clear();
  if (h < 0 || h >= n) return q;
  const float dx = P2.X - P1.X, dy = P2.Y - P1.Y;
  auto shift = [&](int32_t i) {
    q[static_cast<size_t>(i)].X += dx;
    q[static_cast<size_t>(i)].Y += dy;
    Moved.push_back(i);
  };
  // Turns the control point opposite of h about joint J by the angle the mouse turned about J;
  // it keeps its distance to the joint.
  auto turn = [&](int32_t Opposite, int32_t J) {
    const TMyPoint joint = q[static_cast<size_t>(J)];
    const float a = static_cast<float>(GetRotatedAngle(P1, P2, joint));
    q[static_cast<size_t>(Opposite)] = RotateAPoint(q[static_cast<size_t>(Opposite)], joint, a);
    Moved.push_back(Opposite);
  };
  if (h < 2 || h >= n - 2) {
    shift(h);
  } else if (h % 3 == 2) {
    shift(h);
    turn(h + 2, h + 1);
  } else if (h % 3 == 1) {
    shift(h);
    turn(h - 2, h - 1);
  } else {
    shift(h - 1);
    shift(h);
    shift(h + 1);
  }
  return q;
}

void TMyPolyBezier::SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2) {
  TMyShape::SizeChangeValue(P1, P2);
  std::vector<int32_t> moved;
  const TArrMyPoint q = EditedPoints(P1, P2, moved);
  for (int32_t i : moved) SetPointInZoom(i, q[static_cast<size_t>(i)]);
  CenterPoint = ComputeCenterPoint();
  Changed();
}

void TMyPolyBezier::Sizing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  const int32_t n = GetPointsCount(), h = HotId;
  if (!Canvas || h < 0 || h >= n) return;
  std::vector<int32_t> moved;
  const TArrPoint q = Rounded(EditedPoints(PtToMyPt(P1), PtToMyPt(P2), moved));
  // The handle lines from the joint next to the grabbed point to the control points that moved.
  int32_t joint;
  if (h % 3 == 0) joint = h;
  else if (h % 3 == 1) joint = h - 1;
  else joint = std::min(h + 1, n - 1);
  for (int32_t i : moved) {
    if (i == joint) continue;
    Canvas->MoveTo(q[static_cast<size_t>(joint)].X, q[static_cast<size_t>(joint)].Y);
    Canvas->LineTo(q[static_cast<size_t>(i)].X, q[static_cast<size_t>(i)].Y);
  }
  DrawSegments(Canvas, q);
}

void TMyPolyBezier::Draging(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  if (!Canvas) return;
  TArrPoint q = ZoomedPixels();
  for (TPoint& p : q) p = MovedPt(p, int64_t{P2.X} - P1.X, int64_t{P2.Y} - P1.Y);
  DrawSegments(Canvas, std::move(q));
}

void TMyPolyBezier::Rotating(TCanvas* Canvas, const TMyPoint& C, long double A) {
  if (!Canvas) return;
  DrawSegments(Canvas, TurnedPixels(*this, C, A));
}

}  // namespace cad
