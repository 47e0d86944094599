#include "support.h"

#include <cad/shapes/group.h>
#include <cad/shapes/rectangle.h>

#include <cmath>

using namespace cad;
using testing_support::AddBox;
using testing_support::Near;

namespace {

TMyRectangle* Box(TMyCAD& cad, int l, int t, int r, int b) {
  auto* s = new TMyRectangle(&cad);
  s->AddPointByMouse(Point(l, t));
  s->AddPointByMouse(Point(r, b));
  s->ShapeId = cad.NextShapeId();
  s->SetName(QStringLiteral("Shape") + QString::number(s->ShapeId));
  cad.AddShape(s, false, false);
  s->ShapeNo = cad.GetShapesCount() - 1;
  TPoint last{r, b};
  s->Drawed(Point(l, t), last);
  return s;
}

::testing::AssertionResult InsideBox(const TMyRect& box, const TArrMyPoint& pts, float eps = 1e-3f) {
  for (const TMyPoint& p : pts)
    if (p.X < box.Left - eps || p.X > box.Right + eps || p.Y < box.Top - eps || p.Y > box.Bottom + eps)
      return ::testing::AssertionFailure() << "(" << p.X << "," << p.Y << ") outside (" << box.Left << ","
                                           << box.Top << ")-(" << box.Right << "," << box.Bottom << ")";
  return ::testing::AssertionSuccess();
}

// A box's sides meet at right angles.
float CornerCosine(const TMyShape* s) {
  const TMyPoint a = s->Points[0], b = s->Points[1], d = s->Points[3];
  const double ux = b.X - a.X, uy = b.Y - a.Y, vx = d.X - a.X, vy = d.Y - a.Y;
  return static_cast<float>((ux * vx + uy * vy) / (std::hypot(ux, uy) * std::hypot(vx, vy)));
}

constexpr float kThirtyDegrees = static_cast<float>(M_PI / 6);

}  // namespace

// Members turned by another angle than their (unturned) group are scaled with the group's box:
// an even stretch takes every point exactly where it takes the box, about the fixed corner.
TEST(Group, EvenResizeMovesTurnedMembersWithTheBox) {
  TMyCAD cad;
  cad.SetZoom(1);
  TMyRectangle* a = Box(cad, 0, 0, 10, 10);
  TMyRectangle* b = Box(cad, 20, 20, 60, 40);
  b->SetAngle(kThirtyDegrees);  // turned about its own centre before it joins the group
  const TArrMyPoint oldB = b->Points;
  const TMyPoint oldCentre = b->GetCenterPoint();
  auto* g = cad.GetShapeByID(cad.GroupShapes({a, b}, false));
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(g->Angle(), 0.0f);
  const TMyPoint corner0 = g->Points[0];
  const TMyPoint far = g->Points[2];

  // Corner 2 dragged to twice its distance from corner 0.
  cad.SizeShape(g, 2, MyPoint(2 * far.X - corner0.X, 2 * far.Y - corner0.Y));
  auto doubled = [&](const TMyPoint& p) { return MyPoint(2 * p.X - corner0.X, 2 * p.Y - corner0.Y); };
  EXPECT_TRUE(Near(g->Points[2], doubled(far), 1e-3f));
  const TMyRect box = GetPointsLTRB(g->Points);
  EXPECT_TRUE(InsideBox(box, a->Points));
  EXPECT_TRUE(InsideBox(box, b->Points));
  EXPECT_TRUE(Near(b->GetCenterPoint(), doubled(oldCentre), 1e-3f));
  for (size_t i = 0; i < 4; ++i) EXPECT_TRUE(Near(b->Points[i], doubled(oldB[i]), 1e-3f)) << i;
  EXPECT_FLOAT_EQ(b->Angle(), kThirtyDegrees);
  // Its bounding box still fills the group's: it touched the right and bottom sides before.
  EXPECT_NEAR(b->GetRightBottom().X, box.Right, 1e-3);
  EXPECT_NEAR(b->GetRightBottom().Y, box.Bottom, 1e-3);
}

// Stretched along one axis only, a turned box cannot follow the stretch and stay a box: it stays
// a box at its angle, centred where the stretch takes its centre, inside the new box. A shape of
// free points takes the stretch exactly.
TEST(Group, UnevenResizeKeepsTurnedBoxesBoxesInsideTheNewBox) {
  TMyCAD cad;
  cad.SetZoom(1);
  TMyRectangle* a = Box(cad, 0, 0, 10, 10);
  TMyRectangle* b = Box(cad, 20, 20, 60, 40);
  b->SetAngle(kThirtyDegrees);
  testing_support::TTestShape* c = AddBox(cad, 0, 20, 10, 40);
  c->SetAngle(-kThirtyDegrees);
  const TMyPoint oldCentre = b->GetCenterPoint();
  const float oldHeight = b->GetHeight();
  const TArrMyPoint oldC = c->Points;
  auto* g = cad.GetShapeByID(cad.GroupShapes({a, b, c}, false));
  ASSERT_NE(g, nullptr);
  const TMyPoint corner0 = g->Points[0];
  const TMyPoint far = g->Points[2];

  cad.SizeShape(g, 2, MyPoint(2 * far.X - corner0.X, far.Y));
  auto stretched = [&](const TMyPoint& p) { return MyPoint(2 * p.X - corner0.X, p.Y); };
  const TMyRect box = GetPointsLTRB(g->Points);
  EXPECT_NEAR(box.Right, stretched(far).X, 1e-3);
  EXPECT_NEAR(box.Bottom, far.Y, 1e-3);
  for (const TMyShape* s : {static_cast<TMyShape*>(a), static_cast<TMyShape*>(b), static_cast<TMyShape*>(c)})
    EXPECT_TRUE(InsideBox(box, s->Points)) << s->Name().toStdString();

  EXPECT_TRUE(Near(b->GetCenterPoint(), stretched(oldCentre), 1e-3f));
  EXPECT_NEAR(CornerCosine(b), 0, 1e-5);
  EXPECT_FLOAT_EQ(b->Angle(), kThirtyDegrees);
  // Its longer side runs mostly along the stretch and grows; across the stretch, where the
  // group does not grow, neither does the box's extent.
  EXPECT_GT(b->GetMyWidth(), 40);
  EXPECT_LE(b->GetHeight(), oldHeight + 1e-3f);
  for (size_t i = 0; i < 4; ++i) EXPECT_TRUE(Near(c->Points[i], stretched(oldC[i]), 1e-3f)) << i;
}

// A group turned as a whole stretches its members, turned with it, along its own axes.
TEST(Group, ResizingATurnedGroupStretchesAlongItsOwnAxes) {
  TMyCAD cad;
  cad.SetZoom(1);
  TMyRectangle* a = Box(cad, 0, 0, 10, 10);
  TMyRectangle* b = Box(cad, 20, 20, 30, 40);
  auto* g = cad.GetShapeByID(cad.GroupShapes({a, b}, false));
  ASSERT_NE(g, nullptr);
  g->SetAngle(kThirtyDegrees);
  EXPECT_FLOAT_EQ(b->Angle(), kThirtyDegrees);
  const TMyPoint corner0 = g->Points[0];
  const TArrMyPoint oldB = b->Points;
  // Corner 2 moved by the group's width (30) along the group's own x axis: twice as wide.
  const double ux = std::cos(M_PI / 6), uy = std::sin(M_PI / 6);
  cad.SizeShape(g, 2, MyPoint(static_cast<float>(g->Points[2].X + 30 * ux), static_cast<float>(g->Points[2].Y + 30 * uy)));
  auto stretched = [&](const TMyPoint& p) {
    const double dx = p.X - corner0.X, dy = p.Y - corner0.Y;
    const double along = dx * ux + dy * uy, across = -dx * uy + dy * ux;
    return MyPoint(static_cast<float>(corner0.X + 2 * along * ux - across * uy),
                   static_cast<float>(corner0.Y + 2 * along * uy + across * ux));
  };
  EXPECT_TRUE(Near(g->Points[0], corner0, 1e-3f));
  for (size_t i = 0; i < 4; ++i) EXPECT_TRUE(Near(b->Points[i], stretched(oldB[i]), 1e-3f)) << i;
  EXPECT_NEAR(CornerCosine(b), 0, 1e-5);
}
