#include "support.h"

#include <cad/shapes/group.h>
#include <cad/shapes/rectangle.h>

using namespace cad;
using testing_support::Near;

namespace {
TMyRectangle* Box(TMyCAD& cad, int l, int t, int r, int b) {
  auto* s = new TMyRectangle(&cad);
  s->AddPointByMouse(Point(l, t));
  s->AddPointByMouse(Point(r, b));
  EXPECT_TRUE(s->IsDrawingFinished(TMouseButton::mbLeft, Point(r, b)));
  s->ShapeId = cad.NextShapeId();
  s->SetName(QStringLiteral("Shape") + QString::number(s->ShapeId));
  cad.AddShape(s, false, false);
  s->ShapeNo = cad.GetShapesCount() - 1;
  TPoint last{r, b};
  s->Drawed(Point(l, t), last);
  return s;
}
}  // namespace

TEST(Rectangle, CreationCornersAndCentre) {
  TMyCAD cad;
  cad.SetZoom(1);
  TMyRectangle r(&cad);
  EXPECT_FALSE(r.IsDrawingFinished(TMouseButton::mbLeft, Point(0, 0)));
  r.AddPointByMouse(Point(10, 10));
  EXPECT_FALSE(r.IsDrawingFinished(TMouseButton::mbLeft, Point(0, 0)));
  r.AddPointByMouse(Point(50, 30));
  r.AddPointByMouse(Point(99, 99));  // ignored after the second corner
  EXPECT_EQ(r.Points, (TArrMyPoint{{10, 10}, {50, 10}, {50, 30}, {10, 30}}));
  EXPECT_EQ(r.GetCenterPoint(), MyPoint(30, 20));
  cad.SetZoom(2);
  EXPECT_EQ(r.GetCenterPointInZoom(), MyPoint(60, 40));
  TMyRectangle z(&cad);  // at zoom 2 the mouse points are halved
  z.AddPointByMouse(Point(20, 20));
  z.AddPointByMouse(Point(100, 60));
  EXPECT_EQ(z.Points, r.Points);
}

TEST(Rectangle, ResizingByCorners) {
  TMyCAD cad;
  cad.SetZoom(1);
  TMyRectangle* r = Box(cad, 10, 10, 50, 30);
  EXPECT_EQ(r->InWhichHot(Point(50, 30)), 2);
  EXPECT_EQ(r->HotId, 2);
  r->SizeChangeValue(MyPoint(50, 30), MyPoint(70, 40));
  EXPECT_EQ(r->Points, (TArrMyPoint{{10, 10}, {70, 10}, {70, 40}, {10, 40}}));
  EXPECT_EQ(r->CenterPoint, MyPoint(40, 25));
  // Past the fixed corner: refused.
  r->SizeChangeValue(MyPoint(70, 40), MyPoint(0, 0));
  EXPECT_EQ(r->Points, (TArrMyPoint{{10, 10}, {70, 10}, {70, 40}, {10, 40}}));
  // Corner 0 moves left and up; its neighbours follow on one axis each.
  EXPECT_EQ(r->InWhichHot(Point(12, 8)), 0);
  r->SizeChangeValue(MyPoint(10, 10), MyPoint(0, 5));
  EXPECT_EQ(r->Points, (TArrMyPoint{{0, 5}, {70, 5}, {70, 40}, {0, 40}}));
  // No corner grabbed: nothing happens.
  EXPECT_EQ(r->InWhichHot(Point(35, 20)), -1);
  r->SizeChangeValue(MyPoint(0, 0), MyPoint(90, 90));
  EXPECT_EQ(r->Points, (TArrMyPoint{{0, 5}, {70, 5}, {70, 40}, {0, 40}}));
}

TEST(Rectangle, ResizingATurnedBoxKeepsItRectangular) {
  TMyCAD cad;
  cad.SetZoom(1);
  for (float angle : {static_cast<float>(M_PI / 2), 0.5f, -2.0f}) {
    TMyRectangle* r = Box(cad, 0, 0, 40, 20);
    r->SetAngle(angle);
    const TMyPoint fixed = r->Points[0];
    const TMyPoint corner = r->Points[2];
    r->HotId = 2;
    const TMyPoint target = RotateAPoint(MyPoint(60, 30), MyPoint(20, 10), angle);
    r->SizeChangeValue(corner, target);
    EXPECT_TRUE(Near(r->Points[0], fixed, 1e-3f)) << angle;
    EXPECT_TRUE(Near(r->Points[2], target, 1e-3f)) << angle;
    auto dot = [](TMyPoint a, TMyPoint o, TMyPoint b) { return (a.X - o.X) * (b.X - o.X) + (a.Y - o.Y) * (b.Y - o.Y); };
    for (int i = 0; i < 4; ++i)
      EXPECT_NEAR(dot(r->Points[(i + 3) % 4], r->Points[i], r->Points[(i + 1) % 4]), 0, 0.05) << angle << " " << i;
    EXPECT_NEAR(r->GetMyWidth(), 60, 1) << angle;
    EXPECT_NEAR(r->GetMyHeight(), 30, 1) << angle;
  }
}

TEST(Rectangle, HotPointsAndHitTests) {
  TMyCAD cad;
  cad.SetZoom(1);
  TMyRectangle* tiny = Box(cad, 10, 10, 13, 13);
  EXPECT_EQ(tiny->InWhichHot(Point(11, 11)), 3);  // overlapping hot areas: the later corner wins
  TMyRectangle* r = Box(cad, 10, 10, 50, 30);
  EXPECT_EQ(r->InWhichHot(Point(46, 26)), 2);  // hot area is the corner grown by HotSize (4)
  EXPECT_EQ(r->InWhichHot(Point(54, 34)), -1);
  EXPECT_TRUE(r->IsClickedMe(nullptr, Point(10, 10)));
  EXPECT_TRUE(r->IsClickedMe(nullptr, Point(49, 29)));
  EXPECT_FALSE(r->IsClickedMe(nullptr, Point(50, 20)));  // right edge excluded
  EXPECT_FALSE(r->IsClickedMe(nullptr, Point(9, 20)));
  r->Brush()->SetStyle(TBrushStyle::bsClear);
  EXPECT_TRUE(r->IsClickedMe(nullptr, Point(30, 20)));  // inside counts whatever the brush

  auto* e = new TMyEllipse(&cad);
  e->AddPointByMouse(Point(100, 100));
  e->AddPointByMouse(Point(140, 120));
  EXPECT_TRUE(e->IsClickedMe(nullptr, Point(101, 101)));  // a box corner still hits an ellipse
  delete e;
}

TEST(Rectangle, EllipseOutlineAndPaint) {
  TMyCAD cad;
  cad.SetZoom(1);
  cad.GridOperation()->SetGridShow(false);
  auto* e = new TMyEllipse(&cad);
  e->AddPointByMouse(Point(100, 100));
  e->AddPointByMouse(Point(180, 140));
  e->CenterPoint = e->ComputeCenterPoint();
  const TArrPoint v = e->OutlineAround(e->GetCenterPointInZoom());
  ASSERT_EQ(v.size(), 73u);
  EXPECT_EQ(v[0], Point(140, 140));   // (C.X, C.Y + ry)
  EXPECT_EQ(v[18], Point(180, 120));  // (C.X + rx, C.Y)
  EXPECT_EQ(v[72], v[0]);
  e->Brush()->SetColor(clRed);
  e->ShapeId = cad.NextShapeId();
  cad.AddShape(e, false, false);
  e->ShapeNo = 0;
  cad.Repaint();
  EXPECT_EQ(cad.Canvas()->Pixel(140, 120), clRed);
  EXPECT_EQ(cad.Canvas()->Pixel(102, 102), clWhite);  // the box corner is not painted
}

TEST(Rectangle, InfoAndSideLengthsInEveryUnit) {
  TMyCAD cad;
  cad.SetZoom(1);
  TMyRectangle* r = Box(cad, 0, 0, 96, 48);
  struct Case {
    TUnits unit;
    const char* area;
    const char* sides;
  };
  const Case cases[] = {
      {TUnits::inch, "Area=     0.50inch2", "m=     1.00 in\rn=     0.50in"},
      {TUnits::mm, "Area=   322.58mm2", "m=    25.40 mm\rn=    12.70mm"},
      {TUnits::cm, "Area=     3.23cm2", "m=     2.54 cm\rn=     1.27cm"},
      {TUnits::dm, "Area=     0.03dm2", "m=     0.25 dm\rn=     0.13dm"},
      {TUnits::m, "Area=     0.00m2", "m=     0.03 m\rn=     0.01m"},
      {TUnits::pixel, "Area=  4608.00pixel(s)2", "m=    96.00 pixel(s)\rn=    48.00pixel(s)"},
  };
  for (const Case& k : cases) {
    cad.SetUnit(k.unit);
    EXPECT_EQ(r->GetInfo(), QString::fromLatin1(k.area));
    EXPECT_EQ(r->Info(), QString::fromLatin1(k.area));
    EXPECT_EQ(r->GetLengthByUnit(Point(0, 0), Point(96, 48)), QString::fromLatin1(k.sides));
  }
  // The ellipse's area is that of the inscribed ellipse, and does not change with the zoom.
  auto* e = new TMyEllipse(&cad);
  e->AddPointByMouse(Point(0, 0));
  e->AddPointByMouse(Point(96, 48));
  cad.SetUnit(TUnits::inch);
  EXPECT_EQ(e->GetInfo(), QStringLiteral("Area=     0.39inch2"));
  cad.SetZoom(2);
  EXPECT_EQ(e->GetInfo(), QStringLiteral("Area=     0.39inch2"));
  delete e;
}

TEST(Group, ResizingScalesEveryMemberAboutTheFixedCorner) {
  TMyCAD cad;
  cad.SetZoom(1);
  TMyRectangle* a = Box(cad, 0, 0, 10, 10);
  TMyRectangle* b = Box(cad, 20, 20, 30, 40);
  const int32_t id = cad.GroupShapes({a, b}, true);
  auto* g = dynamic_cast<TMyGroup*>(cad.GetShapeByID(id));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->Points, (TArrMyPoint{{0, 0}, {30, 0}, {30, 40}, {0, 40}}));
  EXPECT_EQ(g->TextPoint, MyPoint(15, 50));
  EXPECT_EQ(g->ChildShapes, (TMyShapeNo{0, 1}));
  EXPECT_EQ(a->ParentNo, g->ShapeNo);
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{g}));

  g->HotId = 2;
  cad.SizeChangeValueforShapes(g, MyPoint(30, 40), MyPoint(60, 80));
  EXPECT_EQ(g->Points, (TArrMyPoint{{0, 0}, {60, 0}, {60, 80}, {0, 80}}));
  EXPECT_TRUE(Near(a->Points[2], MyPoint(20, 20)));
  EXPECT_TRUE(Near(b->Points[0], MyPoint(40, 40)));
  EXPECT_TRUE(Near(b->Points[2], MyPoint(60, 80)));

  // A nested group scales with its own members; a locked member stays.
  TMyRectangle* c = Box(cad, 100, 0, 110, 10);
  const int32_t outer = cad.GroupShapes({g, c}, false);
  auto* o = cad.GetShapeByID(outer);
  c->SetLocked(true);
  o->HotId = 0;
  const TMyPoint oldC = c->Points[0];
  cad.SizeChangeValueforShapes(o, o->Points[0], MyPoint(-110, -80));  // doubles the 110 x 80 box
  EXPECT_TRUE(Near(o->Points[0], MyPoint(-110, -80)));
  EXPECT_TRUE(Near(a->Points[0], MyPoint(-110, -80)));
  EXPECT_TRUE(Near(b->Points[2], MyPoint(10, 80)));
  EXPECT_EQ(c->Points[0], oldC);

  // A library-made combination cannot be ungrouped; a plain group can.
  cad.UnGroupShape(g, false);  // a member of another group: ignored
  EXPECT_EQ(cad.GetShapeByID(id), g);
  cad.UnGroupShape(o, false);
  EXPECT_EQ(cad.GetShapeByID(outer), nullptr);
  EXPECT_EQ(g->ParentNo, -1);
  EXPECT_EQ(c->ParentNo, -1);
  TMyShape* combine = cad.CreateAddShapeByName(QStringLiteral("TMyCombine"), g);
  cad.UnGroupShape(combine, false);
  EXPECT_NE(cad.GetShapeByID(combine->ShapeId), nullptr);
}

TEST(Group, NeedsTwoVisibleShapesOnOneLayer) {
  TMyCAD cad;
  cad.SetZoom(1);
  TMyRectangle* a = Box(cad, 0, 0, 10, 10);
  EXPECT_EQ(cad.GroupShapes({a}, false), -1);
  cad.NewLayer(QStringLiteral("other"), true);
  TMyRectangle* b = Box(cad, 20, 20, 30, 40);
  EXPECT_EQ(cad.GroupShapes({a, b}, false), -1);
  b->LayerId = 0;
  b->SetVisible(false);
  EXPECT_EQ(cad.GroupShapes({a, b}, false), -1);
  b->SetVisible(true);
  EXPECT_GE(cad.GroupShapes({a, b}, false), 0);
}
