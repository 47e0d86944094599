#include "support.h"

#include <cad/shapes/rectangle.h>

using namespace cad;

TEST(Snapping, GridSnapping) {
  TMyCAD cad;
  cad.SetZoom(1);
  int x = 43, y = 0;
  EXPECT_TRUE(cad.SnapXY(x, y));
  EXPECT_EQ(x, 40);
  x = 57;
  EXPECT_TRUE(cad.SnapXY(x, y));
  EXPECT_EQ(x, 60);
  x = 50;
  y = 50;
  EXPECT_FALSE(cad.SnapXY(x, y));
  EXPECT_EQ(x, 50);
  x = 40;
  y = 30;
  EXPECT_FALSE(cad.SnapXY(x, y));  // on a grid line: not counted as snapped
  EXPECT_EQ(x, 40);
  x = 41, y = 79;
  EXPECT_TRUE(cad.SnapXY(x, y));
  EXPECT_EQ(Point(x, y), Point(40, 80));

  cad.SetFSnapPixels(25);  // not smaller than the grid: ignored
  EXPECT_EQ(cad.SnapPixels(), 4);
  cad.SetFSnapPixels(8);
  EXPECT_EQ(cad.SnapPixels(), 8);
  cad.SetSnap(false);
  x = 43;
  EXPECT_FALSE(cad.SnapXY(x, y));
  EXPECT_EQ(x, 43);

  // A zero grid step neither snaps nor divides by zero.
  cad.SetSnap(true);
  cad.GridOperation()->SetGridWidth(0);
  x = 43;
  y = 43;
  EXPECT_TRUE(cad.SnapXY(x, y));
  EXPECT_EQ(Point(x, y), Point(43, 40));
}

TEST(Snapping, ShapeEdges) {
  TMyCAD cad;
  cad.SetZoom(1);
  cad.SetSnap(false);
  cad.SetSnapShape(true);
  auto* r = new TMyRectangle(&cad);
  r->Points = {{100, 100}, {200, 100}, {200, 150}, {100, 150}};
  cad.AddShape(r, false, false);
  int x = 103, y = 120;
  EXPECT_TRUE(cad.SnapXY(x, y));
  EXPECT_EQ(Point(x, y), Point(100, 120));
  x = 150, y = 148;
  EXPECT_TRUE(cad.SnapXY(x, y));
  EXPECT_EQ(Point(x, y), Point(150, 150));
  x = 198, y = 97;  // near the right edge and the top edge at once
  EXPECT_TRUE(cad.SnapXY(x, y));
  EXPECT_EQ(Point(x, y), Point(200, 100));
  x = 150, y = 125;
  EXPECT_FALSE(cad.SnapXY(x, y));
  x = 103, y = 300;  // beside the left edge's line but far below the box
  EXPECT_FALSE(cad.SnapXY(x, y));

  // A moving box snaps by the corner that needs the smallest correction: its left edge moves
  // from 41 to 40 and its top from 58 to 60, so the mouse point moves by (-1, +2).
  cad.SetSnapShape(false);
  cad.SetSnap(true);
  x = 0, y = 0;
  cad.SnapRect(TMyRect{41, 58, 77, 95}, x, y);
  EXPECT_EQ(Point(x, y), Point(-1, 2));
}

TEST(Snapping, ResizeConstraintsAndCodeMoves) {
  TMyCAD cad;
  cad.SetZoom(1);
  auto* r = new TMyRectangle(&cad);
  r->Points = {{0, 0}, {40, 0}, {40, 20}, {0, 20}};
  cad.AddShape(r, false, false);
  r->HotId = 2;
  TPoint p = Point(70, 30);
  cad.ResizeMakeSquareorHV(ssShift, r, Point(0, 0), p);
  EXPECT_EQ(p, Point(30, 30));
  r->HotId = 1;
  p = Point(70, -50);
  cad.ResizeMakeSquareorHV(ssShift, r, Point(0, 0), p);
  EXPECT_EQ(p, Point(70, -50));  // already square about corner 3 at (0, 20)

  std::vector<float> moves;
  cad.OnShapeCodeDragging = [&](TMyShape*, float dx, float dy) { moves = {dx, dy}; };
  cad.Move(r, 5, -5);
  EXPECT_EQ(moves, (std::vector<float>{5, -5}));
  EXPECT_EQ(r->Points[0], MyPoint(5, -5));
  float angle = 0;
  cad.OnShapeCodeRotating = [&](TMyShape*, float a) { angle = a; };
  r->CenterPoint = r->ComputeCenterPoint();
  cad.Rotate(r, 0.5f);
  cad.Rotate(r, 0.5f);  // the angle is absolute, not added
  EXPECT_FLOAT_EQ(angle, 0.5f);
  EXPECT_NEAR(r->Angle(), 0.5, 1e-6);

  // Without a shape, or with a hot index past the second-last point, nothing happens.
  const TArrMyPoint points = r->Points;
  const uint64_t revision = r->Revision();
  ASSERT_FALSE(cad.CanUndo());
  angle = -1;
  cad.Rotate(nullptr, 1);
  EXPECT_EQ(angle, -1);  // not even the event
  cad.SizeShape(r, 3, MyPoint(0, 0));
  cad.SizeShape(r, -1, MyPoint(0, 0));
  cad.SizeShape(nullptr, 0, MyPoint(0, 0));
  EXPECT_EQ(r->Points, points);
  EXPECT_EQ(r->Revision(), revision);
  EXPECT_FLOAT_EQ(r->Angle(), 0.5f);
  EXPECT_FALSE(cad.CanUndo());

  // In range it resizes: corner 2 moves, corner 0 stays.
  auto* s = new TMyRectangle(&cad);
  s->Points = {{0, 0}, {40, 0}, {40, 20}, {0, 20}};
  cad.AddShape(s, false, false);
  cad.SizeShape(s, 2, MyPoint(60, 50));
  EXPECT_EQ(s->HotId, 2);
  EXPECT_EQ(s->Points, (TArrMyPoint{{0, 0}, {60, 0}, {60, 50}, {0, 50}}));
}
