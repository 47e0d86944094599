#include "recordbytes.h"
#include "../support.h"

#include <cmath>
#include <memory>

using namespace cad;
using testing_support::Make;
using testing_support::Bytes;
using testing_support::DefaultStyleFields;
using testing_support::Near;

namespace {


TArrPoint Arc(const TPoint& A, const TPoint& B, const TPoint& C, TArcStyle Style = TArcStyle::asArc) {
  TArrPoint out;
  TMyElliArc::ArcPoints(A, B, C, Style, out);
  return out;
}

// The pixels of B that are not white.
int Painted(TBitmap& B) {
  B.Canvas()->Release();
  int n = 0;
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x) n += B.Pixel(x, y) != clWhite;
  return n;
}

// The shape drawn on white in a red brush.
TMyElliArc& Red(TMyElliArc& S) {
  S.Brush()->SetColor(clRed);
  return S;
}
struct Render : testing_support::TRendered {
  explicit Render(TMyElliArc& S) : TRendered(Red(S)) {}
  TColor At(int X, int Y) const { return Image.Pixel(X, Y); }
  // Whether a pixel of the 3 x 3 block about (X, Y) is painted.
  bool Dark(int X, int Y) const {
    for (int y = Y - 1; y <= Y + 1; ++y)
      for (int x = X - 1; x <= X + 1; ++x)
        if (Image.Pixel(x, y) != clWhite) return true;
    return false;
  }
};

QByteArray Saved(TMyShape& S) {
  TMemoryStream m;
  S.SaveToStream(m);
  return m.Data();
}

}  // namespace

TEST(ElliArc, CircleRunsClockwiseFromStartAndTheMiddlePointOnlyPicksTheCircle) {
  TMyCAD cad;
  cad.SetZoom(1);
  const TArrPoint pts = Arc(Point(0, 10), Point(10, 0), Point(0, -10));
  ASSERT_FALSE(pts.empty());
  EXPECT_EQ(pts.front(), Point(0, 10));
  bool left = false;
  for (size_t i = 0; i < pts.size(); ++i) {
    const TPoint p = pts[i];
    EXPECT_NEAR(std::hypot(p.X, p.Y), 10, 0.71) << p.X << "," << p.Y;
    // From pi/2 to 3pi/2 through the left side; the last step may pass the end a little.
    EXPECT_LE(p.X, i + 1 < pts.size() ? 0 : 1) << p.Y;
    left = left || p == Point(-10, 0);
  }
  EXPECT_TRUE(left);
  auto s = Make<TMyElliArc>(cad, {{0, 10}, {10, 0}, {0, -10}});
  EXPECT_EQ(s->GetCenterPoint(), MyPoint(0, 0));

  // On the screen: the left side is painted, the middle point is not on the arc.
  auto t = Make<TMyElliArc>(cad, {{100, 110}, {110, 100}, {100, 90}});
  Render r(*t);
  EXPECT_TRUE(r.Dark(90, 100));
  EXPECT_FALSE(r.Dark(110, 100));
  EXPECT_FALSE(r.Dark(100, 100));
  // The reach covers the side that bulges away from the three points.
  EXPECT_LE(t->GetReach().Box.Left, 90);
}

TEST(ElliArc, ArcsStartingAndEndingInEveryQuadrant) {
  const long double R = 40;
  auto on = [&](long double deg) {
    const long double a = deg * PiL / 180;
    return Point(Round(100 + R * std::cos(a)), Round(100 + R * std::sin(a)));
  };
  for (int start : {10, 100, 190, 280})
    for (int span : {60, 170, 300}) {
      const TPoint a = on(start), c = on(start + span);
      // Any third point of the circle gives the same arc, even one outside it.
      for (int mid : {start + span / 2, start + span + 20}) {
        const TArrPoint pts = Arc(a, on(mid), c);
        ASSERT_GT(pts.size(), 2u) << start << " " << span;
        EXPECT_EQ(pts.front(), a);
        // Ends within one step (3.81 pixels) past the end point.
        EXPECT_LE(std::hypot(pts.back().X - c.X, pts.back().Y - c.Y), 4.5) << start << " " << span << " " << mid;
        // Every point lies on the span from the start, turning clockwise.
        for (const TPoint& p : pts) {
          long double d = std::atan2(p.Y - 100.0L, p.X - 100.0L) * 180 / PiL - start;
          while (d < -3) d += 360;
          EXPECT_LE(d, span + 6) << start << " " << span << " " << mid;
        }
      }
    }
}

TEST(ElliArc, StepsFullCircleAndLimit) {
  TArrPoint out;
  // Radius 4 takes the finest step 25.4 * 0.015 / r: a half circle in 33 steps.
  TMyElliArc::CirclePoints(0, 0, 4, 0, PiL, TArcStyle::asArc, out);
  EXPECT_EQ(out.size(), 34u);
  TMyElliArc::CirclePoints(0, 0, 6, 0, PiL, TArcStyle::asArc, out);  // 1.524 pixels
  EXPECT_EQ(out.size(), 14u);
  TMyElliArc::CirclePoints(0, 0, 100, 0, PiL, TArcStyle::asArc, out);  // 3.81 pixels
  EXPECT_EQ(out.size(), 84u);
  // Start and end at one angle: the full circle.
  TMyElliArc::CirclePoints(50, 50, 20, 1, 1, TArcStyle::asArc, out);
  EXPECT_EQ(out.size(), static_cast<size_t>(Round(TwoPiL * 20 / 1.905L + 0.5L)) + 1);
  EXPECT_LE(std::abs(out.front().X - out.back().X) + std::abs(out.front().Y - out.back().Y), 2);
  // An enormous radius (three points almost on one line) paints in a bounded number of steps.
  const TArrPoint huge = Arc(Point(0, 0), Point(1000000000, 1), Point(2000000000, 0));
  EXPECT_GT(huge.size(), 2u);
  EXPECT_LE(huge.size(), static_cast<size_t>(TMyElliArc::MaxSteps) + 1);
}

TEST(ElliArc, ChordAndSectorCloseDifferently) {
  // A quarter from the left (pi) to the top (3pi/2) of the circle about (100, 100), radius 40;
  // the middle point sits at the bottom.
  const TPoint a = Point(60, 100), b = Point(100, 140), c = Point(100, 60);
  const TArrPoint open = Arc(a, b, c), chord = Arc(a, b, c, TArcStyle::asChord),
                  sector = Arc(a, b, c, TArcStyle::asSector);
  ASSERT_EQ(chord.size(), open.size() + 1);
  EXPECT_EQ(chord.back(), a);
  ASSERT_EQ(sector.size(), open.size() + 2);
  EXPECT_EQ(sector[open.size()], Point(100, 100));
  EXPECT_EQ(sector.back(), a);

  TMyCAD cad;
  cad.SetZoom(1);
  auto s = Make<TMyElliArc>(cad, {{60, 100}, {100, 140}, {100, 60}});
  // (75, 75) lies between the arc and the chord, (90, 90) between the chord and the centre.
  Render r1(*s);
  EXPECT_EQ(r1.At(75, 75), clWhite);
  EXPECT_TRUE(r1.Dark(68, 76));  // on the arc
  s->SetArcStyle(TArcStyle::asChord);
  Render r2(*s);
  EXPECT_EQ(r2.At(75, 75), clRed);
  EXPECT_EQ(r2.At(90, 90), clWhite);
  s->SetArcStyle(TArcStyle::asSector);
  Render r3(*s);
  EXPECT_EQ(r3.At(75, 75), clRed);
  EXPECT_EQ(r3.At(90, 90), clRed);
  EXPECT_EQ(r3.At(110, 90), clWhite);
}

TEST(ElliArc, DegeneratePointsPaintNothing) {
  EXPECT_TRUE(Arc(Point(0, 0), Point(5, 5), Point(10, 10)).empty());  // on one line
  EXPECT_TRUE(Arc(Point(0, 0), Point(5, 7), Point(5, 7)).empty());    // middle = end
  EXPECT_TRUE(Arc(Point(3, 4), Point(9, 1), Point(3, 4)).empty());    // start = end
  TMyCAD cad;
  cad.SetZoom(1);
  auto s = Make<TMyElliArc>(cad, {{20, 20}, {60, 60}, {100, 100}});
  s->SetArcStyle(TArcStyle::asSector);
  Render r(*s);
  EXPECT_EQ(Painted(r.Image), 0);
  // Points on one line may turn into a circle of any size at another zoom.
  EXPECT_FALSE(s->GetReach().Bounded);
}

TEST(ElliArc, EllipticCurveEndsAtTheEndPoint) {
  TArrPoint out;
  TMyElliArc::ElliArcPoints(Point(0, 0), Point(0, 10), Point(10, 10), out);
  ASSERT_EQ(out.size(), 46u);  // a = (20, 0): n = Round(sqrt(100 * 20)) = 45
  EXPECT_EQ(out.front(), Point(0, 0));
  EXPECT_EQ(out.back(), Point(10, 10));
  for (const TPoint& p : out) EXPECT_TRUE(p.X >= 0 && p.X <= 10 && p.Y >= 0 && p.Y <= 10);
  // a = 0 still runs from P0 to P2 along the curve.
  TMyElliArc::ElliArcPoints(Point(20, 0), Point(10, 10), Point(0, 10), out);
  ASSERT_GT(out.size(), 2u);
  EXPECT_EQ(out.front(), Point(20, 0));
  EXPECT_EQ(out.back(), Point(0, 10));

  // The shape in ellipse mode paints the curve, open whatever the style.
  TMyCAD cad;
  cad.SetZoom(1);
  auto s = Make<TMyElliArc>(cad, {{50, 50}, {50, 150}, {150, 150}});
  s->SetArcStyle(TArcStyle::asSector);
  s->SetArcMode(TArcMode::amEllipse);
  Render r(*s);
  EXPECT_TRUE(r.Dark(150, 150));
  EXPECT_TRUE(r.Dark(50, 50));
  EXPECT_EQ(r.At(75, 90), clWhite);  // between the curve and its chord: not filled
}

TEST(ElliArc, HotPointsHitTestEditingAndFlips) {
  TMyCAD cad;
  cad.SetZoom(2);
  auto s = Make<TMyElliArc>(cad, {{50, 55}, {55, 50}, {50, 45}});  // device (100,110), (110,100), (100,90)
  EXPECT_EQ(s->InWhichHot(Point(111, 101)), 1);
  EXPECT_EQ(s->InWhichHot(Point(130, 130)), -1);
  EXPECT_TRUE(s->IsClickedMe(nullptr, Point(104, 100)));
  EXPECT_FALSE(s->IsClickedMe(nullptr, Point(95, 100)));  // on the arc, outside the triangle
  EXPECT_FALSE(s->IsClickedMe(nullptr, Point(108, 92)));  // inside the points' box only
  s->HotId = 2;
  s->SizeChangeValue(MyPoint(100, 90), MyPoint(90, 100));  // device offset halves at zoom 2
  EXPECT_EQ(s->Points, (TArrMyPoint{{50, 55}, {55, 50}, {45, 50}}));
  EXPECT_EQ(s->CenterPoint, s->ComputeCenterPoint());

  // Mirrored about the circle's centre, then start and end swap: the arc keeps its direction
  // and now bulges to the right.
  cad.SetZoom(1);
  auto f = Make<TMyElliArc>(cad, {{100, 110}, {110, 100}, {100, 90}});
  f->FlipHoriz();
  EXPECT_EQ(f->Points, (TArrMyPoint{{100, 90}, {90, 100}, {100, 110}}));
  Render r(*f);
  EXPECT_TRUE(r.Dark(110, 100));
  EXPECT_FALSE(r.Dark(90, 100));
  f->FlipVert();
  EXPECT_EQ(f->Points, (TArrMyPoint{{100, 90}, {90, 100}, {100, 110}}));
}

TEST(ElliArc, RubberBandsVanishWhenDrawnTwice) {
  TMyCAD cad;
  cad.SetZoom(1);
  auto s = Make<TMyElliArc>(cad, {{60, 100}, {100, 140}, {100, 60}});
  s->SetArcStyle(TArcStyle::asChord);
  TBitmap b(200, 200);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(TRect{0, 0, 200, 200});
  auto painted = [&] { return Painted(b); };
  SetDragResizeRotateShapeMode(c);
  s->Draging(c, Point(0, 0), Point(10, 5));
  EXPECT_GT(painted(), 20);
  s->Draging(c, Point(0, 0), Point(10, 5));
  EXPECT_EQ(painted(), 0);
  s->Rotating(c, MyPoint(100, 100), 0.5L);
  EXPECT_GT(painted(), 20);
  s->Rotating(c, MyPoint(100, 100), 0.5L);
  EXPECT_EQ(painted(), 0);
  // The curve placed with two points held, the mouse standing in for the end.
  s->SetArcMode(TArcMode::amEllipse);
  s->Points.pop_back();
  s->Drawing(c, Point(0, 0), Point(150, 20));
  EXPECT_GT(painted(), 20);
  s->Drawing(c, Point(0, 0), Point(150, 20));
  EXPECT_EQ(painted(), 0);
}

TEST(ElliArc, DrawnWithThreeClicksAndByCode) {
  TMyCAD cad;
  cad.SetZoom(1);
  cad.SetSnap(false);
  cad.SetShapeTool(TDrawTool::SpElliArc);
  auto click = [&](int x, int y) {
    cad.MouseMove(0, x, y);
    cad.MouseDown(TMouseButton::mbLeft, 0, x, y);
    cad.MouseUp(TMouseButton::mbLeft, 0, x, y);
  };
  click(100, 110);
  click(110, 100);
  cad.MouseMove(0, 105, 95);
  EXPECT_EQ(cad.GetShapesCount(), 0);
  click(100, 90);
  ASSERT_EQ(cad.GetShapesCount(), 1);
  TMyShape* s = cad.GetShapeByNo(0);
  EXPECT_EQ(s->ClassName(), QStringLiteral("TMyElliArc"));
  EXPECT_EQ(s->Points, (TArrMyPoint{{100, 110}, {110, 100}, {100, 90}}));

  const int32_t id = cad.AddShapeByCode(&cad, TDrawTool::SpElliArc, QString(), TArrMyPoint{{330, 211}, {380, 211}, {380, 270}});
  ASSERT_GE(id, 0);
  EXPECT_EQ(cad.GetShapeByID(id)->ClassName(), QStringLiteral("TMyElliArc"));
  EXPECT_EQ(cad.AddShapeByCode(&cad, TDrawTool::SpElliArc, QString(), TArrMyPoint{{1, 2}, {3, 4}}), -1);
}

TEST(ElliArc, AssignAndRecord) {
  TMyCAD cad;
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  auto s = Make<TMyElliArc>(cad, {{1, 2}, {3, 4}, {5, 0}});
  s->SetArcMode(TArcMode::amEllipse);
  s->SetArcStyle(TArcStyle::asSector);
  TMyElliArc copy(&cad);
  copy.Assign(s.get());
  EXPECT_EQ(copy.ArcMode(), TArcMode::amEllipse);
  EXPECT_EQ(copy.ArcStyle(), TArcStyle::asSector);

  Bytes b;
  b.str("").i32(0).i32(0).i32(0).i32(-1).i32(0).i32(0)  // name, id, number, layer, parent, members, links
      .i32(3).f32(1).f32(2).f32(3).f32(4).f32(5).f32(0)  // three points
      .i32(0)                                            // no link points
      .f32(0).f32(0).i32(0).f32(0);                      // text point, tag, angle
  DefaultStyleFields(b);
  b.u8(1).u8(2);  // amEllipse, asSector
  EXPECT_EQ(Saved(*s), b.Data);

  TMemoryStream in(b.Data);
  TMyElliArc back(&cad);
  back.LoadFromStream(in);
  EXPECT_EQ(in.Position(), in.Size());
  EXPECT_EQ(back.Points, s->Points);
  EXPECT_EQ(back.ArcMode(), TArcMode::amEllipse);
  EXPECT_EQ(back.ArcStyle(), TArcStyle::asSector);

  // Values this build does not know read as the defaults.
  QByteArray odd = b.Data;
  odd[odd.size() - 2] = 7;
  odd[odd.size() - 1] = 9;
  TMemoryStream oin(odd);
  TMyElliArc o(&cad);
  o.SetArcStyle(TArcStyle::asChord);
  o.LoadFromStream(oin);
  EXPECT_EQ(o.ArcMode(), TArcMode::amCircle);
  EXPECT_EQ(o.ArcStyle(), TArcStyle::asArc);
}
