#include "support.h"

#include <random>

using namespace cad;
using testing_support::Near;

TEST(Geometry, RoundingIsHalfToEvenAndSaturates) {
  EXPECT_EQ(MyPtToPt(MyPoint(2.5f, 3.5f)), Point(2, 4));
  EXPECT_EQ(MyPtToPt(MyPoint(-0.5f, 0.5f)), Point(0, 0));
  EXPECT_EQ(MyPtToPt(MyPoint(-1.5f, 1.49f)), Point(-2, 1));
  EXPECT_EQ(myRecttoRect(TMyRect{0.5f, 1.5f, 2.5f, -2.5f}), Rect(0, 2, 2, -2));
  EXPECT_EQ(Round(1e30L), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(Round(-1e30L), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(Round(std::numeric_limits<long double>::quiet_NaN()), 0);
}

// Round takes a shortcut past nearbyint: it must give nearbyint's result (saturated) everywhere,
// ties and the edges of the 32-bit range above all.
TEST(Geometry, RoundingAgreesWithNearbyint) {
  const auto reference = [](long double v) -> int32_t {
    if (std::isnan(v)) return 0;
    const long double r = std::nearbyint(v);
    if (r >= 2147483647.0L) return std::numeric_limits<int32_t>::max();
    if (r <= -2147483648.0L) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
  };
  std::vector<long double> values = {0.0L, -0.0L, 0.5L, 1.5L, 2.5L, -0.5L, -1.5L, -2.5L, 0.49999999999999999L,
                                     2147483646.5L, 2147483647.5L, -2147483648.5L, -2147483647.5L, 0x1p62L + 0.5L,
                                     0x1p63L, -0x1p63L, 0x1p64L, std::numeric_limits<long double>::infinity(),
                                     -std::numeric_limits<long double>::infinity(), std::numeric_limits<long double>::denorm_min()};
  std::mt19937_64 random(20261208);
  for (int i = 0; i < 200000; ++i) {
    // Halves and near-halves at every scale, and plain values.
    const long double whole = static_cast<long double>(static_cast<int64_t>(random() >> (random() % 64))) * ((random() & 1) ? 1 : -1);
    values.push_back(whole + 0.5L);
    values.push_back(std::nextafter(whole + 0.5L, 0.0L));
    values.push_back(std::ldexp(static_cast<long double>(random()), -static_cast<int>(random() % 80)) * ((random() & 1) ? 1 : -1));
  }
  for (long double v : values) ASSERT_EQ(Round(v), reference(v)) << static_cast<double>(v);
  // Doubles and floats round through their own overloads: the same results for the same values.
  for (long double v : values) {
    const double d = static_cast<double>(v);
    const float f = static_cast<float>(v);
    ASSERT_EQ(Round(d), reference(d)) << d;
    ASSERT_EQ(Round(f), reference(f)) << f;
  }
}

TEST(Geometry, LengthsAndBoxes) {
  EXPECT_EQ(GetLengthinPixel(MyPoint(0, 0), MyPoint(3, 4)), 5);
  EXPECT_EQ(GetLengthinPixel(MyPoint(0, 0), MyPoint(1, 1)), 1);
  EXPECT_EQ(GetPointsLTRB({}), (TMyRect{0, 0, 0, 0}));
  EXPECT_EQ(GetPointsLTRB({{5, -1}, {-3, 7}, {2, 2}}), (TMyRect{-3, -1, 5, 7}));
  EXPECT_EQ(PtToARect(Point(5, 1), Point(2, 8)), Rect(2, 1, 5, 8));
  EXPECT_EQ(ExpandRect(Rect(0, 0, 10, 10), 5), Rect(-5, -5, 15, 15));
  // Growing past the integer range leaves the rectangle as it was.
  const TRect edge = Rect(std::numeric_limits<int32_t>::min() + 2, 0, 10, 10);
  EXPECT_EQ(ExpandRect(edge, 5), edge);
  TMyRect r{1, 2, 3, 4};
  OffsetMyRect(r, 10, -2);
  EXPECT_EQ(r, (TMyRect{11, 0, 13, 2}));
}

TEST(Geometry, SlopeAngleCoversEachQuadrant) {
  const TMyPoint o = MyPoint(0, 0);
  EXPECT_NEAR(static_cast<double>(GetSlopeAngle(o, MyPoint(-1, -1))), M_PI / 4, 1e-12);
  EXPECT_NEAR(static_cast<double>(GetSlopeAngle(o, MyPoint(1, -1))), 3 * M_PI / 4, 1e-12);
  EXPECT_NEAR(static_cast<double>(GetSlopeAngle(o, MyPoint(1, 1))), 5 * M_PI / 4, 1e-12);
  EXPECT_NEAR(static_cast<double>(GetSlopeAngle(o, MyPoint(-1, 1))), 7 * M_PI / 4, 1e-12);
  // Straight left gives a full turn, not zero.
  EXPECT_NEAR(static_cast<double>(GetSlopeAngle(o, MyPoint(-1, 0))), 2 * M_PI, 1e-12);
  EXPECT_NEAR(static_cast<double>(GetSlopeAngle(o, MyPoint(0, 1))), 3 * M_PI / 2, 1e-12);
}

TEST(Geometry, QuadrantPredicates) {
  const TMyPoint c = MyPoint(5, 5);
  EXPECT_EQ(PointInQuadrantX(c, MyPoint(5, 0)), 1);
  EXPECT_EQ(PointInQuadrantX(c, MyPoint(4, 0)), -1);
  EXPECT_EQ(PointInQuadrantY(c, MyPoint(0, 5)), 1);
  EXPECT_EQ(PointInQuadrantY(c, MyPoint(0, 4)), -1);
  EXPECT_TRUE(IsAtLeftTop(c, MyPoint(5, 5)));
  EXPECT_TRUE(IsAtLeftBottom(c, MyPoint(4, 6)));
  EXPECT_FALSE(IsAtLeftBottom(c, MyPoint(6, 6)));
  EXPECT_TRUE(IsAtRightTop(c, MyPoint(6, 4)));
  EXPECT_TRUE(IsAtRightBottom(c, MyPoint(6, 6)));
  EXPECT_FALSE(IsAtRightBottom(c, MyPoint(6, 4)));
}

TEST(Geometry, NormalisingAngles) {
  float a = 7.0f;
  RecaclinRad(a);
  EXPECT_FLOAT_EQ(a, static_cast<float>(7.0L - TwoPiL));
  a = -7.0f;
  RecaclinRad(a);
  EXPECT_FLOAT_EQ(a, static_cast<float>(-7.0L + TwoPiL));
  a = 20.0f;  // several turns
  RecaclinRad(a);
  EXPECT_NEAR(a, 20.0 - 3 * 2 * M_PI, 1e-5);
  a = 1.0f;
  RecaclinRad(a);
  EXPECT_FLOAT_EQ(a, 1.0f);
  // Huge and non-finite angles end without hanging.
  a = 1e30f;
  RecaclinRad(a);
  EXPECT_LT(std::fabs(a), 2 * M_PI);
  a = std::numeric_limits<float>::infinity();
  RecaclinRad(a);
  EXPECT_TRUE(std::isinf(a));

  int32_t d = 725;
  RecaclinDeg(d);
  EXPECT_EQ(d, 5);
  d = -725;
  RecaclinDeg(d);
  EXPECT_EQ(d, -5);
  d = 360;
  RecaclinDeg(d);
  EXPECT_EQ(d, 360);
  d = -360;
  RecaclinDeg(d);
  EXPECT_EQ(d, -360);
  d = 720;
  RecaclinDeg(d);
  EXPECT_EQ(d, 0);
}

TEST(Geometry, RotationArrowHeadsAndSplitting) {
  EXPECT_TRUE(Near(RotateAPoint(MyPoint(10, 0), MyPoint(0, 0), static_cast<float>(M_PI / 2)), MyPoint(0, 10)));
  EXPECT_TRUE(Near(RotateAPoint(MyPoint(12, 5), MyPoint(2, 5), static_cast<float>(M_PI)), MyPoint(-8, 5)));

  const float A = static_cast<float>(M_PI / 6);
  const TMyRect t = GetTriangle(MyPoint(0, 0), MyPoint(10, 0), A, 10);
  EXPECT_TRUE(Near(MyPoint(t.Left, t.Top), MyPoint(10 * std::cos(A), 10 * std::sin(A))));
  EXPECT_TRUE(Near(MyPoint(t.Right, t.Bottom), MyPoint(10 * std::cos(A), -10 * std::sin(A))));
  // Arrow head at the other end of a line opens the other way.
  const TMyRect u = GetTriangle(MyPoint(10, 0), MyPoint(0, 0), A, 10);
  EXPECT_TRUE(Near(MyPoint(u.Left, u.Top), MyPoint(10 - 10 * std::cos(A), 10 * std::sin(A))));

  const TMyRect s1 = SplitLine(MyPoint(0, 0), MyPoint(0, 10), 3);
  EXPECT_TRUE(Near(MyPoint(s1.Left, s1.Top), MyPoint(0, 3)));
  EXPECT_TRUE(Near(MyPoint(s1.Right, s1.Bottom), MyPoint(0, 3)));
  const TMyRect s2 = SplitLine(MyPoint(10, 0), MyPoint(0, 0), 3);
  EXPECT_TRUE(Near(MyPoint(s2.Left, s2.Top), MyPoint(7, 0)));
  const TMyRect s3 = SplitLine(MyPoint(0, 0), MyPoint(30, 40), 5);
  EXPECT_TRUE(Near(MyPoint(s3.Left, s3.Top), MyPoint(3, 4)));
}

TEST(Geometry, IntersectionOfDiagonals) {
  EXPECT_TRUE(Near(Getintersection(MyPoint(0, 0), MyPoint(10, 0), MyPoint(10, 10), MyPoint(0, 10)), MyPoint(5, 5)));
  // One diagonal vertical: a rhombus standing on a corner.
  EXPECT_TRUE(Near(Getintersection(MyPoint(5, 0), MyPoint(10, 5), MyPoint(5, 10), MyPoint(0, 5)), MyPoint(5, 5)));
  EXPECT_TRUE(Near(Getintersection(MyPoint(0, 5), MyPoint(5, 0), MyPoint(10, 5), MyPoint(5, 10)), MyPoint(5, 5)));
  // Degenerate boxes: a flat box, a thin box and a point give their centre without any message.
  testing_support::Recorded().Clear();
  EXPECT_TRUE(Near(Getintersection(MyPoint(0, 0), MyPoint(10, 0), MyPoint(10, 0), MyPoint(0, 0)), MyPoint(5, 0)));
  EXPECT_TRUE(Near(Getintersection(MyPoint(0, 0), MyPoint(0, 0), MyPoint(0, 10), MyPoint(0, 10)), MyPoint(0, 5)));
  EXPECT_TRUE(Near(Getintersection(MyPoint(3, 3), MyPoint(3, 3), MyPoint(3, 3), MyPoint(3, 3)), MyPoint(3, 3)));
  EXPECT_TRUE(testing_support::Recorded().Messages.isEmpty());
}

TEST(Geometry, PointArrayEditing) {
  TArrMyPoint a{{1, 1}};
  EXPECT_FALSE(InsertAPointBeforeId(MyPoint(9, 9), 1, a));  // the length is not an index
  EXPECT_EQ(a.size(), 1u);
  EXPECT_TRUE(InsertAPointBeforeId(MyPoint(0, 0), 0, a));
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0], MyPoint(0, 0));
  EXPECT_EQ(a[1], MyPoint(1, 1));
  EXPECT_TRUE(AddAPoint(MyPoint(5, 5), 1, a));
  EXPECT_EQ(a[1], MyPoint(5, 5));
  EXPECT_FALSE(AddAPoint(MyPoint(5, 5), -1, a));
  EXPECT_TRUE(AppendAPoint(MyPoint(7, 7), a));
  EXPECT_EQ(a.back(), MyPoint(7, 7));

  const TArrMyPoint before = a;
  RemovePoint(-1, a);
  RemovePoint(static_cast<int32_t>(a.size()), a);
  EXPECT_EQ(a, before);
  RemovePoint(1, a);
  EXPECT_EQ(a, (TArrMyPoint{{0, 0}, {1, 1}, {7, 7}}));
  EXPECT_TRUE(IsExistPt(2, a));
  EXPECT_FALSE(IsExistPt(3, a));

  TArrPoint ip{{1, 1}};
  EXPECT_FALSE(InsertAPointBeforeId1(Point(2, 2), 1, ip));
  EXPECT_TRUE(InsertAPointBeforeId1(Point(2, 2), 0, ip));
  EXPECT_EQ(ip.front(), Point(2, 2));
  EXPECT_FALSE(IsExistPt1(-1, ip));
}
