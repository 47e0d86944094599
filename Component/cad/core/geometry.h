// Geometry records of the drawing (single-precision points and rectangles in unzoomed drawing
// coordinates, y growing downwards) and the stateless functions that convert, measure, rotate
// and edit them. Angles are radians unless a name says degrees; "rounded" means to the nearest
// integer with halves to the even neighbour.
#pragma once

#include "../gfx/gfxtypes.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace cad {

struct TMyPoint {
  float X = 0;
  float Y = 0;
  friend bool operator==(const TMyPoint&, const TMyPoint&) = default;
};

struct TMyRect {
  float Left = 0;
  float Top = 0;
  float Right = 0;
  float Bottom = 0;
  friend bool operator==(const TMyRect&, const TMyRect&) = default;
};

using TArrMyPoint = std::vector<TMyPoint>;

constexpr long double PiL = 3.141592653589793238462643383279502884L;
constexpr long double TwoPiL = 2 * PiL;

// Rounds half to even (the processor's default mode) and saturates at the 32-bit range; NaN
// rounds to 0. Every rounding of the component goes through here.
inline int32_t Round(long double v) {
  if (std::isnan(v)) return 0;
#if LDBL_MANT_DIG == 64
  // With a 64-bit mantissa, adding 2^63 to a magnitude below it leaves a sum whose last place is
  // 1, so the addition rounds to an integer in the current mode (half to even by default, 2^63
  // being even) and taking 2^63 away again is exact: the result of nearbyint, without the cost
  // of its saving and restoring the floating-point environment on every call.
  constexpr long double kShift = 0x1p63L;
  long double r = v;
  if (v >= 0 && v < kShift) r = (v + kShift) - kShift;
  else if (v < 0 && v > -kShift) r = -((-v + kShift) - kShift);
#else
  const long double r = std::nearbyint(v);
#endif
  if (r >= static_cast<long double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (r <= static_cast<long double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

// The same rounding of a double (or a float): a value that already fits a double rounds the
// same without the extended precision, and faster.
inline int32_t Round(double v) {
  if (std::isnan(v)) return 0;
  if (v >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (v <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(std::lrint(v));
}

// Conversions and records
TMyPoint MyPoint(float X, float Y);
TPoint MyPtToPt(const TMyPoint& P);
TMyPoint PtToMyPt(const TPoint& P);
// P moved by (DX, DY) in device pixels, computed wide and saturating at the 32-bit range like
// Round, so that shapes whose zoomed pixels sit at that range still draw without overflow.
TPoint MovedPt(const TPoint& P, int64_t DX, int64_t DY);
TRect myRecttoRect(const TMyRect& R);
void OffsetMyRect(TMyRect& R, long double DX, long double DY);
TRect ExpandRect(const TRect& R, int32_t D);
TRect PtToARect(const TPoint& P1, const TPoint& P2);
TMyRect GetPointsLTRB(const TArrMyPoint& Points);

// Measures and directions
int32_t GetLengthinPixel(const TMyPoint& P1, const TMyPoint& P2);
long double GetSlopeAngle(const TMyPoint& P1, const TMyPoint& P2);
int32_t PointInQuadrantX(const TMyPoint& P1, const TMyPoint& P2);
int32_t PointInQuadrantY(const TMyPoint& P1, const TMyPoint& P2);
bool IsAtLeftTop(const TMyPoint& P1, const TMyPoint& P2);
bool IsAtLeftBottom(const TMyPoint& P1, const TMyPoint& P2);
bool IsAtRightTop(const TMyPoint& P1, const TMyPoint& P2);
bool IsAtRightBottom(const TMyPoint& P1, const TMyPoint& P2);
void RecaclinRad(float& A);
void RecaclinDeg(int32_t& A);
TMyPoint RotateAPoint(const TMyPoint& P, const TMyPoint& C, float A);
TMyRect GetTriangle(const TMyPoint& P1, const TMyPoint& P2, float A, uint8_t L);
TMyRect SplitLine(const TMyPoint& P1, const TMyPoint& P2, int32_t D);
// Intersection of the line P1-P3 with the line P2-P4. For parallel lines (a degenerate box) it
// returns the mean of the four points, which is the centre the callers expect.
TMyPoint Getintersection(const TMyPoint& P1, const TMyPoint& P2, const TMyPoint& P3, const TMyPoint& P4);

// Whether the pixel P lies inside the polygon under the winding rule, tested at the pixel's
// centre, so a box's right and bottom edges fall outside as they do for toolkit rectangles.
bool PtInPolygonWinding(const TPoint* Polygon, size_t Count, const TPoint& P);
inline bool PtInPolygonWinding(const TArrPoint& Polygon, const TPoint& P) {
  return PtInPolygonWinding(Polygon.data(), Polygon.size(), P);
}

// Point-array editing (zero-based; a valid index is 0..length-1)
bool AppendAPoint(const TMyPoint& P, TArrMyPoint& Arr);
bool InsertAPointBeforeId(const TMyPoint& P, int32_t I, TArrMyPoint& Arr);
bool InsertAPointBeforeId1(const TPoint& P, int32_t I, TArrPoint& Arr);
bool AddAPoint(const TMyPoint& P, int32_t I, TArrMyPoint& Arr);
void RemovePoint(int32_t I, TArrMyPoint& Arr);
bool IsExistPt(int32_t I, const TArrMyPoint& Arr);
bool IsExistPt1(int32_t I, const TArrPoint& Arr);

}  // namespace cad
