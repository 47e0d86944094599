#include "../support.h"

#include <memory>

using namespace cad;
using testing_support::Make;
using testing_support::Near;

namespace {


// A click while the shape is being drawn, as the surface feeds it.
bool Click(TMyPolyBezier& S, const TPoint& P) {
  S.AddPointByMouse(P);
  return S.IsDrawingFinished(TMouseButton::mbLeft, P);
}

// A seven-point curve along y = 0: joints at 0, 3 and 6.
std::unique_ptr<TMyPolyBezier> Straight(TMyCAD& Cad) {
  return Make<TMyPolyBezier>(Cad, {{0, 0}, {20, 0}, {40, 0}, {60, 0}, {80, 0}, {100, 0}, {120, 0}});
}

}  // namespace

TEST(PolyBezier, ClicksInsertJointsAndADoubleClickCompletesTheSegment) {
  TMyCAD cad;
  cad.SetZoom(1);
  TMyPolyBezier s(&cad);
  EXPECT_FALSE(Click(s, Point(0, 0)));
  EXPECT_FALSE(Click(s, Point(10, 40)));
  EXPECT_FALSE(Click(s, Point(40, 40)));
  EXPECT_FALSE(Click(s, Point(60, 0)));
  // The fourth click moves up one place; the joint goes midway between it and the click before.
  EXPECT_EQ(s.Points, (TArrMyPoint{{0, 0}, {10, 40}, {40, 40}, {50, 20}, {60, 0}}));
  // Double click on the last point: the duplicate goes and the mouse point completes the segment.
  EXPECT_TRUE(Click(s, Point(60, 0)));
  EXPECT_EQ(s.Points, (TArrMyPoint{{0, 0}, {10, 40}, {40, 40}, {50, 20}, {60, 0}, {60, 0}, {60, 0}}));

  // Three more clicks insert the next joint: ... p3, p4, m(p4, p5), p5.
  TMyPolyBezier t(&cad);
  for (const TPoint& p : {Point(0, 0), Point(10, 10), Point(20, 10), Point(30, 0), Point(40, 0), Point(50, 10)})
    EXPECT_FALSE(Click(t, p));
  EXPECT_EQ(t.Points, (TArrMyPoint{{0, 0}, {10, 10}, {20, 10}, {25, 5}, {30, 0}, {40, 0}, {45, 5}, {50, 10}}));
  // Count 8, r = 1 after the duplicate goes: two more points make 10.
  EXPECT_TRUE(Click(t, Point(50, 10)));
  EXPECT_EQ(t.GetPointsCount(), 10);
  EXPECT_EQ(t.Points.back(), MyPoint(50, 10));

  // Device points are divided by the zoom.
  cad.SetZoom(2);
  TMyPolyBezier z(&cad);
  for (const TPoint& p : {Point(0, 0), Point(20, 80), Point(80, 80), Point(120, 0)}) Click(z, p);
  EXPECT_EQ(z.Points, (TArrMyPoint{{0, 0}, {10, 40}, {40, 40}, {50, 20}, {60, 0}}));

  // A duplicate before the first segment exists does not finish the drawing.
  cad.SetZoom(1);
  TMyPolyBezier few(&cad);
  EXPECT_FALSE(Click(few, Point(0, 0)));
  EXPECT_FALSE(Click(few, Point(0, 0)));
  EXPECT_FALSE(Click(few, Point(0, 0)));
}

TEST(PolyBezier, DrawsWholeSegmentsOnly) {
  TMyCAD cad;
  cad.SetZoom(1);
  // Collinear control points make each segment a straight run along y = 20.
  auto s = Make<TMyPolyBezier>(cad, {{10, 20}, {40, 20}, {70, 20}, {100, 20}, {130, 20}});
  auto render = [&] {
    TBitmap b(200, 40);
    s->Draw(b.Canvas());
    b.Canvas()->Release();
    return b.Pixel(55, 20) == clBlack ? (b.Pixel(115, 20) == clBlack ? 2 : 1) : 0;
  };
  EXPECT_EQ(render(), 1);  // point 4 waits for the next segment
  s->Points = {{10, 20}, {40, 20}, {70, 20}, {100, 20}, {130, 20}, {160, 20}, {190, 20}};
  EXPECT_EQ(render(), 2);
  s->Points = {{10, 20}, {40, 20}, {70, 20}};
  EXPECT_EQ(render(), 0);
}

TEST(PolyBezier, EditingKeepsJointsSmooth) {
  TMyCAD cad;
  cad.SetZoom(1);
  // Control point 2 turned 90 degrees about joint 3: point 4 turns with it, keeping its distance
  // and staying opposite, so the curve stays smooth through the joint.
  auto diagonal = [&] {
    return Make<TMyPolyBezier>(cad, {{0, 0}, {20, 20}, {40, 40}, {60, 60}, {80, 80}, {100, 100}, {120, 120}});
  };
  auto s = diagonal();
  s->HotId = 2;
  s->SizeChangeValue(MyPoint(40, 40), MyPoint(80, 40));
  EXPECT_TRUE(Near(s->GetPoint(2), MyPoint(80, 40)));
  EXPECT_TRUE(Near(s->GetPoint(4), MyPoint(40, 80), 1e-3f));
  EXPECT_EQ(s->GetPoint(3), MyPoint(60, 60));
  EXPECT_EQ(s->GetPoint(5), MyPoint(100, 100));

  // The same from the other side: point 4 grabbed turns point 2.
  s = diagonal();
  s->HotId = 4;
  s->SizeChangeValue(MyPoint(80, 80), MyPoint(40, 80));
  EXPECT_TRUE(Near(s->GetPoint(4), MyPoint(40, 80)));
  EXPECT_TRUE(Near(s->GetPoint(2), MyPoint(80, 40), 1e-3f));

  // A joint takes its two control points along; at zoom 2 the device offset is halved.
  cad.SetZoom(2);
  s = Straight(cad);
  s->HotId = 3;
  s->SizeChangeValue(MyPoint(120, 0), MyPoint(130, 20));
  EXPECT_EQ(s->Points, (TArrMyPoint{{0, 0}, {20, 0}, {45, 10}, {65, 10}, {85, 10}, {100, 0}, {120, 0}}));
  EXPECT_EQ(s->CenterPoint, s->ComputeCenterPoint());

  // The first two and last two points move alone.
  cad.SetZoom(1);
  for (int32_t h : {0, 1, 5, 6}) {
    s = Straight(cad);
    s->HotId = h;
    s->SizeChangeValue(MyPoint(0, 0), MyPoint(3, 4));
    for (int32_t i = 0; i < 7; ++i)
      EXPECT_EQ(s->GetPoint(i), MyPoint(20.0f * i + (i == h ? 3 : 0), i == h ? 4 : 0)) << h << " " << i;
  }
}

TEST(PolyBezier, HitsTheControlPolygonNotTheCurve) {
  TMyCAD cad;
  cad.SetZoom(1);
  // The curve passes (100, 150) at its middle, 50 pixels inside the polygon.
  auto s = Make<TMyPolyBezier>(cad, {{0, 0}, {0, 200}, {200, 200}, {200, 0}});
  EXPECT_FALSE(s->IsClickedMe(nullptr, Point(100, 150)));
  EXPECT_TRUE(s->IsClickedMe(nullptr, Point(100, 195)));
  EXPECT_TRUE(s->IsClickedMe(nullptr, Point(-6, 100)));
  EXPECT_FALSE(s->IsClickedMe(nullptr, Point(100, 0)));  // the polygon is open

  // Every point is a hot point; the later of two overlapping squares wins.
  auto h = Make<TMyPolyBezier>(cad, {{0, 0}, {5, 0}, {50, 50}, {100, 0}});
  EXPECT_EQ(h->InWhichHot(Point(3, 0)), 1);
  EXPECT_EQ(h->HotId, 1);
  EXPECT_EQ(h->InWhichHot(Point(50, 50)), 2);
  EXPECT_EQ(h->InWhichHot(Point(30, 30)), -1);
  EXPECT_EQ(h->HotId, -1);
}

TEST(PolyBezier, MidpointsInBothPrecisions) {
  EXPECT_EQ(TMyPolyBezier::LineCenterPoint(MyPoint(1, 2), MyPoint(4, -2)), MyPoint(2.5f, 0));
  EXPECT_EQ(TMyPolyBezier::LineCenterPoint(Point(0, 0), Point(5, -5)), Point(2, -2));
  // No overflow between far-apart points.
  EXPECT_EQ(TMyPolyBezier::LineCenterPoint(Point(-2000000000, 0), Point(2000000000, 0)), Point(0, 0));
}

TEST(PolyBezier, OnTheSurface) {
  TMyCAD cad;
  cad.SetZoom(1);
  cad.SetSnap(false);
  // Drawn by the mouse: four clicks, then a double click that ends the curve.
  cad.SetShapeTool(TDrawTool::SpPolyBezier);
  auto click = [&](int x, int y, TShiftState s = 0) {
    cad.MouseMove(0, x, y);
    cad.MouseDown(TMouseButton::mbLeft, s, x, y);
    cad.MouseUp(TMouseButton::mbLeft, s, x, y);
  };
  click(10, 10);
  click(40, 60);
  click(80, 60);
  click(100, 10);
  EXPECT_EQ(cad.GetShapesCount(), 0);
  click(130, 40);
  click(130, 40, ssDouble);
  ASSERT_EQ(cad.GetShapesCount(), 1);
  TMyShape* s = cad.GetShapeByNo(0);
  EXPECT_EQ(s->ClassName(), QStringLiteral("TMyPolyBezier"));
  EXPECT_EQ(s->Points, (TArrMyPoint{{10, 10}, {40, 60}, {80, 60}, {90, 35}, {100, 10}, {130, 40}, {130, 40}}));

  // By code: only whole segments.
  const auto pts = [](int n) {
    TArrMyPoint p;
    for (int i = 0; i < n; ++i) p.push_back(MyPoint(10.0f * i, i % 2 ? 30.0f : 0.0f));
    return p;
  };
  const int32_t four = cad.AddShapeByCode(&cad, TDrawTool::SpPolyBezier, QString(), pts(4));
  const int32_t seven = cad.AddShapeByCode(&cad, TDrawTool::SpPolyBezier, QString(), pts(7));
  ASSERT_GE(four, 0);
  ASSERT_GE(seven, 0);
  EXPECT_EQ(cad.GetShapeByID(seven)->Points, pts(7));
  EXPECT_EQ(cad.AddShapeByCode(&cad, TDrawTool::SpPolyBezier, QString(), pts(5)), -1);
  EXPECT_EQ(cad.GetShapesCount(), 3);

  // The common record carries it through a file and back.
  TMemoryStream m;
  ASSERT_TRUE(cad.SaveToStream(m));
  TMyCAD back;
  TMemoryStream in(m.Data());
  ASSERT_TRUE(back.LoadFromStream(in));
  ASSERT_EQ(back.GetShapesCount(), 3);
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(back.GetShapeByNo(i)->ClassName(), QStringLiteral("TMyPolyBezier"));
    EXPECT_EQ(back.GetShapeByNo(i)->Points, cad.GetShapeByNo(i)->Points);
    EXPECT_EQ(back.GetShapeByNo(i)->Name(), cad.GetShapeByNo(i)->Name());
  }
}
