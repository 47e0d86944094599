#include "geometry.h"

#include <algorithm>
#include <new>

namespace cad {

TMyPoint MyPoint(float X, float Y) { return TMyPoint{X, Y}; }

TPoint MyPtToPt(const TMyPoint& P) { return TPoint{Round(P.X), Round(P.Y)}; }

TMyPoint PtToMyPt(const TPoint& P) { return TMyPoint{static_cast<float>(P.X), static_cast<float>(P.Y)}; }

TRect myRecttoRect(const TMyRect& R) { return TRect{Round(R.Left), Round(R.Top), Round(R.Right), Round(R.Bottom)}; }

void OffsetMyRect(TMyRect& R, long double DX, long double DY) {
  R.Left = static_cast<float>(R.Left + DX);
  R.Right = static_cast<float>(R.Right + DX);
  R.Top = static_cast<float>(R.Top + DY);
  R.Bottom = static_cast<float>(R.Bottom + DY);
}

TPoint MovedPt(const TPoint& P, int64_t DX, int64_t DY) {
  return TPoint{Round(static_cast<long double>(P.X) + DX), Round(static_cast<long double>(P.Y) + DY)};
}

TRect ExpandRect(const TRect& R, int32_t D) {
  const int64_t l = int64_t{R.Left} - D, t = int64_t{R.Top} - D, r = int64_t{R.Right} + D, b = int64_t{R.Bottom} + D;
  constexpr int64_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
  for (int64_t v : {l, t, r, b})
    if (v < lo || v > hi) return R;
  return TRect{static_cast<int32_t>(l), static_cast<int32_t>(t), static_cast<int32_t>(r), static_cast<int32_t>(b)};
}

TRect PtToARect(const TPoint& P1, const TPoint& P2) {
  return TRect{std::min(P1.X, P2.X), std::min(P1.Y, P2.Y), std::max(P1.X, P2.X), std::max(P1.Y, P2.Y)};
}

TMyRect GetPointsLTRB(const TArrMyPoint& Points) {
  if (Points.empty()) return TMyRect{};
  TMyRect r{Points[0].X, Points[0].Y, Points[0].X, Points[0].Y};
  for (const TMyPoint& p : Points) {
    r.Left = std::min(r.Left, p.X);
    r.Top = std::min(r.Top, p.Y);
    r.Right = std::max(r.Right, p.X);
    r.Bottom = std::max(r.Bottom, p.Y);
  }
  return r;
}

int32_t GetLengthinPixel(const TMyPoint& P1, const TMyPoint& P2) {
  const long double dx = static_cast<long double>(P1.X) - P2.X, dy = static_cast<long double>(P1.Y) - P2.Y;
  return Round(std::sqrt(dx * dx + dy * dy));
}

int32_t PointInQuadrantX(const TMyPoint& P1, const TMyPoint& P2) { return P2.X >= P1.X ? 1 : -1; }
int32_t PointInQuadrantY(const TMyPoint& P1, const TMyPoint& P2) { return P2.Y >= P1.Y ? 1 : -1; }

long double GetSlopeAngle(const TMyPoint& P1, const TMyPoint& P2) {
  long double a;
  if (P1.X == P2.X)
    a = PiL / 2;
  else
    a = std::atan((static_cast<long double>(P1.Y) - P2.Y) / (static_cast<long double>(P1.X) - P2.X));
  const int32_t qx = PointInQuadrantX(P1, P2), qy = PointInQuadrantY(P1, P2);
  if (qx > 0 && qy < 0) a = PiL + a;
  if (qx > 0 && qy > 0) a = std::fabs(a) + PiL;
  if (qx < 0 && qy > 0) a = TwoPiL - std::fabs(a);
  return a;
}

bool IsAtLeftTop(const TMyPoint& P1, const TMyPoint& P2) { return P2.X <= P1.X && P2.Y <= P1.Y; }
bool IsAtLeftBottom(const TMyPoint& P1, const TMyPoint& P2) { return P2.X <= P1.X && P2.Y >= P1.Y; }
bool IsAtRightTop(const TMyPoint& P1, const TMyPoint& P2) { return P2.X >= P1.X && P2.Y <= P1.Y; }
bool IsAtRightBottom(const TMyPoint& P1, const TMyPoint& P2) { return P2.X >= P1.X && P2.Y >= P1.Y; }

void RecaclinRad(float& A) {
  // Non-finite angles cannot be normalised; huge ones are first reduced in one step so the
  // subtraction loops below always end.
  if (!std::isfinite(A)) return;
  if (std::fabs(A) > 1024 * TwoPiL) A = static_cast<float>(std::fmod(static_cast<long double>(A), TwoPiL));
  if (A > TwoPiL) {
    while (A >= TwoPiL) A = static_cast<float>(A - TwoPiL);
  }
  if (A < -TwoPiL) {
    while (A <= -TwoPiL) A = static_cast<float>(A + TwoPiL);
  }
}

void RecaclinDeg(int32_t& A) {
  if (A > 360) A %= 360;
  if (A < -360) A %= 360;
}

TMyPoint RotateAPoint(const TMyPoint& P, const TMyPoint& C, float A) {
  const long double dx = static_cast<long double>(P.X) - C.X, dy = static_cast<long double>(P.Y) - C.Y;
  const long double c = std::cos(static_cast<long double>(A)), s = std::sin(static_cast<long double>(A));
  return TMyPoint{static_cast<float>(C.X + dx * c - dy * s), static_cast<float>(C.Y + dx * s + dy * c)};
}

namespace {
// Angle of the line P1-P2 against the vertical, as the arrow-head construction uses it.
long double VerticalAngle(const TMyPoint& P1, const TMyPoint& P2) {
  if (P1.Y == P2.Y) return PiL / 2;
  const long double t = std::atan((static_cast<long double>(P1.X) - P2.X) / (static_cast<long double>(P1.Y) - P2.Y));
  return std::isfinite(t) ? std::fabs(t) : PiL / 2;
}

TMyPoint OffsetAlong(const TMyPoint& P1, const TMyPoint& P2, long double t, long double L) {
  const long double dx = L * std::sin(t), dy = L * std::cos(t);
  return TMyPoint{static_cast<float>(P1.X > P2.X ? P1.X - dx : P1.X + dx),
                  static_cast<float>(P1.Y > P2.Y ? P1.Y - dy : P1.Y + dy)};
}
}  // namespace

TMyRect GetTriangle(const TMyPoint& P1, const TMyPoint& P2, float A, uint8_t L) {
  const long double t = VerticalAngle(P1, P2) - A;
  const TMyPoint c1 = OffsetAlong(P1, P2, t, L);
  const TMyPoint c2 = OffsetAlong(P1, P2, 2.0L * A + t, L);
  return TMyRect{c1.X, c1.Y, c2.X, c2.Y};
}

TMyRect SplitLine(const TMyPoint& P1, const TMyPoint& P2, int32_t D) {
  const TMyPoint p = OffsetAlong(P1, P2, VerticalAngle(P1, P2), D);
  return TMyRect{p.X, p.Y, p.X, p.Y};
}

TMyPoint Getintersection(const TMyPoint& P1, const TMyPoint& P2, const TMyPoint& P3, const TMyPoint& P4) {
  const bool v1 = P3.X == P1.X, v2 = P4.X == P2.X;
  long double x, y;
  if (v1 && !v2) {
    const long double k2 = (static_cast<long double>(P4.Y) - P2.Y) / (static_cast<long double>(P4.X) - P2.X);
    x = P1.X;
    y = (x - P2.X) * k2 + P2.Y;
  } else if (v2 && !v1) {
    const long double k1 = (static_cast<long double>(P3.Y) - P1.Y) / (static_cast<long double>(P3.X) - P1.X);
    x = P2.X;
    y = (x - P1.X) * k1 + P1.Y;
  } else {
    long double k1 = 0, k2 = 0;
    if (!v1) {
      k1 = (static_cast<long double>(P3.Y) - P1.Y) / (static_cast<long double>(P3.X) - P1.X);
      k2 = (static_cast<long double>(P4.Y) - P2.Y) / (static_cast<long double>(P4.X) - P2.X);
    }
    if (v1 || k1 == k2) {
      // Parallel or both vertical: the box is degenerate; its centre is the mean of the corners.
      x = (static_cast<long double>(P1.X) + P2.X + P3.X + P4.X) / 4;
      y = (static_cast<long double>(P1.Y) + P2.Y + P3.Y + P4.Y) / 4;
    } else {
      x = (k2 * P2.X - P2.Y - k1 * P1.X + P1.Y) / (k2 - k1);
      y = (x - P1.X) * k1 + P1.Y;
    }
  }
  return TMyPoint{static_cast<float>(x), static_cast<float>(y)};
}

bool PtInPolygonWinding(const TPoint* Polygon, size_t Count, const TPoint& P) {
  const size_t n = Count;
  if (n < 3) return false;
  const double px = P.X + 0.5, py = P.Y + 0.5;
  int winding = 0;
  for (size_t i = 0; i < n; ++i) {
    const TPoint& a = Polygon[i];
    const TPoint& b = Polygon[(i + 1) % n];
    // Which side of the edge a->b the point lies on (positive: left, in screen coordinates).
    const double cross = (static_cast<double>(b.X) - a.X) * (py - a.Y) - (px - a.X) * (static_cast<double>(b.Y) - a.Y);
    if (a.Y <= py) {
      if (b.Y > py && cross > 0) ++winding;
    } else if (b.Y <= py && cross < 0) {
      --winding;
    }
  }
  return winding != 0;
}

bool AppendAPoint(const TMyPoint& P, TArrMyPoint& Arr) {
  try {
    Arr.push_back(P);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

bool InsertAPointBeforeId(const TMyPoint& P, int32_t I, TArrMyPoint& Arr) {
  if (!IsExistPt(I, Arr)) return false;
  try {
    Arr.insert(Arr.begin() + I, P);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

bool InsertAPointBeforeId1(const TPoint& P, int32_t I, TArrPoint& Arr) {
  if (!IsExistPt1(I, Arr)) return false;
  try {
    Arr.insert(Arr.begin() + I, P);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

bool AddAPoint(const TMyPoint& P, int32_t I, TArrMyPoint& Arr) { return InsertAPointBeforeId(P, I, Arr); }

void RemovePoint(int32_t I, TArrMyPoint& Arr) {
  if (IsExistPt(I, Arr)) Arr.erase(Arr.begin() + I);
}

bool IsExistPt(int32_t I, const TArrMyPoint& Arr) { return I >= 0 && static_cast<size_t>(I) < Arr.size(); }
bool IsExistPt1(int32_t I, const TArrPoint& Arr) { return I >= 0 && static_cast<size_t>(I) < Arr.size(); }

}  // namespace cad
