// Connectors on the surface: routing, following moved shapes, drawing them with the mouse,
// splitting one where another joins it, and the link lookups.
#include "support.h"

#include <cad/shapes/group.h>
#include <cad/shapes/linkline.h>
#include <cad/shapes/rectangle.h>

using namespace cad;
using testing_support::Recorded;

namespace {

class Links : public ::testing::Test {
protected:
  void SetUp() override {
    cad.SetZoom(1);
    cad.SetSnap(false);
    cad.SetShapeTool(TDrawTool::SpSelecting);
  }
  TMyShape* Rect(const char* Class, float l, float t, float r, float b) {
    TMyShape* s = cad.CreateAddShapeByName(QLatin1String(Class), nullptr);
    s->Points = {{l, t}, {r, t}, {r, b}, {l, b}};
    s->CenterPoint = s->ComputeCenterPoint();
    s->Changed();
    return s;
  }
  TMyShape* Rect(float l, float t, float r, float b) { return Rect("TMyRectangle", l, t, r, b); }
  // A box with one link point.
  TMyShape* Box(float l, float t, float r, float b, const TMyPoint& Link) {
    TMyShape* s = Rect(l, t, r, b);
    s->AddLinkPoint(Link);
    return s;
  }
  void Press(int x, int y) { cad.MouseDown(TMouseButton::mbLeft, 0, x, y); }
  void MoveTo(int x, int y) { cad.MouseMove(0, x, y); }
  void Release(int x, int y) { cad.MouseUp(TMouseButton::mbLeft, 0, x, y); }
  void Drag(int x0, int y0, int x1, int y1) {
    Press(x0, y0);
    MoveTo(x1, y1);
    Release(x1, y1);
  }
  TMyLinkLine* Line(int32_t Id) { return dynamic_cast<TMyLinkLine*>(cad.GetShapeByID(Id)); }
  // Every segment of the route is horizontal or vertical.
  static bool RightAngled(const TMyShape* L) {
    for (size_t i = 0; i + 1 < L->Points.size(); ++i)
      if (L->Points[i].X != L->Points[i + 1].X && L->Points[i].Y != L->Points[i + 1].Y) return false;
    return true;
  }
  TMyCAD cad;
};

}  // namespace

TEST_F(Links, ARouteLeavesEachShapeAtARightAngle) {
  for (double zoom : {1.0, 2.0}) {
    TMyCAD other;
    other.SetZoom(zoom);
    TMyShape* a = other.CreateAddShapeByName(QStringLiteral("TMyRectangle"), nullptr);
    TMyShape* b = other.CreateAddShapeByName(QStringLiteral("TMyRectangle"), nullptr);
    a->Points = {{0, 0}, {100, 0}, {100, 50}, {0, 50}};
    b->Points = {{300, 200}, {400, 200}, {400, 250}, {300, 250}};
    a->LinkPoints = {{100, 25}};  // on the right side
    b->LinkPoints = {{300, 225}};  // on the left side
    const int32_t id = other.CreateLink(QStringLiteral("Wire"), a, 0, b, 0);
    auto* line = dynamic_cast<TMyLinkLine*>(other.GetShapeByID(id));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Name(), QStringLiteral("Wire"));
    // Out of each side by 25 device pixels, which is 25 drawing units at any zoom; then the
    // corners the walk found, the duplicate corner at the goal going at the next paint.
    EXPECT_EQ(line->Points, (TArrMyPoint{{100, 25}, {125, 25}, {275, 25}, {275, 225}, {275, 225}, {300, 225}}))
        << "zoom " << zoom;
    EXPECT_EQ(line->StartSpNo(), a->ShapeNo);
    EXPECT_EQ(line->EndSpNo(), b->ShapeNo);
    EXPECT_EQ(a->LinkShapes, (TMyShapeNo{line->ShapeNo}));
    EXPECT_EQ(b->LinkShapes, (TMyShapeNo{line->ShapeNo}));
    EXPECT_EQ(other.IsLinked(a, b), id);
    EXPECT_EQ(other.IsLinked(b, a), id);
    EXPECT_EQ(other.GetSelectedShapes(), (TArrMyShape{line}));
    EXPECT_EQ(other.UndoStepsCount(), 1);
  }
}

TEST_F(Links, CreateLinkRefusesMissingShapesAndIndices) {
  TMyShape* a = Box(0, 0, 10, 10, TMyPoint{10, 5});
  TMyShape* b = Rect(100, 100, 110, 110);
  EXPECT_EQ(cad.CreateLink(QString(), a, 0, b, 0), -1);  // b has no link point 0
  EXPECT_EQ(cad.CreateLink(QString(), a, 1, a, 0), -1);
  EXPECT_EQ(cad.CreateLink(QString(), nullptr, 0, a, 0), -1);
  TMyShape stray(&cad);  // not in the list
  stray.AddLinkPoint(TMyPoint{50, 50});
  EXPECT_EQ(cad.CreateLink(QString(), a, 0, &stray, 0), -1);
  EXPECT_EQ(cad.GetShapesCount(), 2);
  EXPECT_TRUE(a->LinkShapes.empty());
  EXPECT_EQ(cad.IsLinked(a, b), -1);
}

TEST_F(Links, MovingAShapeByMouseReroutesItsConnectors) {
  TMyShape* a = Box(0, 0, 100, 50, TMyPoint{100, 25});
  TMyShape* b = Box(300, 200, 400, 250, TMyPoint{300, 225});
  TMyLinkLine* line = Line(cad.CreateLink(QString(), a, 0, b, 0));
  ASSERT_NE(line, nullptr);
  cad.RemoveAllWorkingShapes();
  cad.AddWorkingShapes(b);
  Drag(350, 225, 350, 325);  // b down by 100
  EXPECT_EQ(b->LinkPoints[0], (TMyPoint{300, 325}));
  EXPECT_EQ(line->Points.front(), (TMyPoint{100, 25}));
  EXPECT_EQ(line->Points.back(), (TMyPoint{300, 325}));
  EXPECT_EQ(line->Points[1], (TMyPoint{125, 25}));
  EXPECT_TRUE(RightAngled(line));
  // Turning and flipping re-route as well; the route always ends on the link point.
  cad.Rotate(b, static_cast<float>(PiL / 2));
  EXPECT_EQ(line->Points.back(), b->LinkPoints[0]);
  cad.FlipHoriz(a);
  EXPECT_EQ(line->Points.front(), a->LinkPoints[0]);
  EXPECT_TRUE(RightAngled(line));
}

TEST_F(Links, RoutesStepAroundALibraryShapeOnTheNearerSide) {
  TMyShape* a = Box(0, 50, 100, 150, TMyPoint{100, 100});
  TMyShape* b = Box(500, 50, 600, 150, TMyPoint{500, 100});
  Rect("TMyCombine", 250, 60, 300, 160);
  TMyLinkLine* line = Line(cad.CreateLink(QString(), a, 0, b, 0));
  ASSERT_NE(line, nullptr);
  // Walking right from (125, 100) it meets the box (grown by 10) at x = 245, goes back to its
  // last point and up to 20 above the box (the target's y is nearer the top), then on.
  EXPECT_EQ(line->Points, (TArrMyPoint{{100, 100}, {125, 100}, {230, 100}, {230, 40}, {475, 40}, {475, 100}, {475, 100}, {500, 100}}));
  EXPECT_TRUE(RightAngled(line));
  // A plain box in the way is crossed.
  TMyShape* c = Box(0, 300, 100, 400, TMyPoint{100, 350});
  TMyShape* d = Box(500, 300, 600, 400, TMyPoint{500, 350});
  Rect(250, 310, 300, 410);
  TMyLinkLine* straight = Line(cad.CreateLink(QString(), c, 0, d, 0));
  EXPECT_EQ(straight->Points, (TArrMyPoint{{100, 350}, {125, 350}, {475, 350}, {475, 350}, {500, 350}}));
}

TEST_F(Links, FreeStyleIsStraightAndBackReroutes) {
  TMyShape* a = Box(0, 0, 100, 50, TMyPoint{100, 25});
  TMyShape* b = Box(300, 200, 400, 250, TMyPoint{300, 225});
  TMyLinkLine* line = Line(cad.CreateLink(QString(), a, 0, b, 0));
  const TArrMyPoint routed = line->Points;
  line->SetLinkLineDrawStyle(TLinkLineDrawStyle::lldsFree);
  EXPECT_EQ(line->Points, (TArrMyPoint{{100, 25}, {300, 225}}));
  cad.Move(b, 0, 100);  // a free connector follows straight
  EXPECT_EQ(line->Points, (TArrMyPoint{{100, 25}, {300, 325}}));
  cad.Move(b, 0, -100);
  line->SetLinkLineDrawStyle(TLinkLineDrawStyle::lldsHV);
  EXPECT_EQ(line->Points, routed);
  // New connectors take the surface's style.
  cad.SetLinkLineDrawStyle(TLinkLineDrawStyle::lldsFree);
  TMyLinkLine* free = Line(cad.CreateLink(QString(), b, 0, a, 0));
  EXPECT_EQ(free->LinkLineDrawStyle(), TLinkLineDrawStyle::lldsFree);
  EXPECT_EQ(free->Points, (TArrMyPoint{{300, 225}, {100, 25}}));
  EXPECT_EQ(line->LinkLineDrawStyle(), TLinkLineDrawStyle::lldsHV);
}

TEST_F(Links, AHandShapedRouteKeepsItsMiddle) {
  TMyShape* a = Box(0, 0, 100, 50, TMyPoint{100, 25});
  TMyShape* b = Box(400, 300, 500, 350, TMyPoint{400, 325});
  TMyLinkLine* line = Line(cad.CreateLink(QString(), a, 0, b, 0));
  // A route shaped by hand: out of a, down, across, into b.
  line->Points = {{100, 25}, {200, 25}, {200, 200}, {350, 200}, {350, 325}, {400, 325}};
  line->SetReroute(false);
  cad.Move(b, 0, 60);
  // Only the end at b is routed again, from b back to the old point n-3 (350, 200).
  const TArrMyPoint& p = line->Points.Items();
  ASSERT_GE(p.size(), 6u);
  EXPECT_EQ((TArrMyPoint{p[0], p[1], p[2], p[3]}), (TArrMyPoint{{100, 25}, {200, 25}, {200, 200}, {350, 200}}));
  EXPECT_EQ(p.back(), (TMyPoint{400, 385}));
  EXPECT_EQ(p[p.size() - 2], (TMyPoint{375, 385}));  // 25 out of b's left side
  EXPECT_TRUE(RightAngled(line));
  // A paint normalises the route: repeated points and the stub on the straight run go.
  cad.Repaint();
  EXPECT_EQ(line->Points.Items(), (TArrMyPoint{{100, 25}, {200, 25}, {200, 200}, {350, 200}, {350, 385}, {400, 385}}));
  // Moved so that its link point comes within 20 pixels of the corner before the end: too
  // close to route, the end goes straight to the link point, still one path from start to end.
  cad.Move(b, -40, -180);
  ASSERT_EQ(b->LinkPoints[0], (TMyPoint{360, 205}));
  EXPECT_EQ(line->Points.Items(), (TArrMyPoint{{100, 25}, {200, 25}, {200, 200}, {350, 200}, {360, 205}}));
  // The same at the start.
  cad.Move(a, 110, 160);
  ASSERT_EQ(a->LinkPoints[0], (TMyPoint{210, 185}));
  EXPECT_EQ(line->Points.front(), (TMyPoint{210, 185}));
  EXPECT_EQ(line->Points[1], (TMyPoint{200, 200}));
  EXPECT_EQ(line->Points.back(), (TMyPoint{360, 205}));
}

TEST_F(Links, DrawingAConnectorBetweenLinkPoints) {
  TMyShape* a = Box(0, 0, 100, 50, TMyPoint{100, 25});
  TMyShape* b = Box(300, 200, 400, 250, TMyPoint{300, 225});
  cad.SetShapeTool(TDrawTool::SpLinkLine);
  Press(102, 27);  // near a's link point: the line starts on it
  MoveTo(200, 100);
  MoveTo(298, 224);
  Release(298, 224);
  ASSERT_EQ(cad.GetShapesCount(), 3);
  auto* line = dynamic_cast<TMyLinkLine*>(cad.GetShapeByNo(2));
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->StartSpNo(), 0);
  EXPECT_EQ(line->EndSpNo(), 1);
  EXPECT_EQ(line->Points.front(), (TMyPoint{100, 25}));
  EXPECT_EQ(line->Points.back(), (TMyPoint{300, 225}));
  EXPECT_EQ(a->LinkShapes, (TMyShapeNo{2}));
  EXPECT_EQ(b->LinkShapes, (TMyShapeNo{2}));
  // Undone in one step, which also takes it out of the link lists.
  cad.PopFromUndoRedoShapeList();
  EXPECT_EQ(cad.GetShapesCount(), 2);
  EXPECT_TRUE(a->LinkShapes.empty());
  EXPECT_TRUE(b->LinkShapes.empty());

  // A connector begun at a and dropped half-drawn (another tool chosen) lets go of a.
  cad.SetShapeTool(TDrawTool::SpLinkLine);
  Press(100, 25);
  MoveTo(150, 60);
  EXPECT_EQ(a->LinkShapes.size(), 1u);
  cad.SetShapeTool(TDrawTool::SpSelecting);
  EXPECT_TRUE(a->LinkShapes.empty());
}

TEST_F(Links, ReleasingOnAnotherConnectorSplitsIt) {
  TMyShape* a = Box(0, 0, 100, 50, TMyPoint{100, 25});
  TMyShape* b = Box(400, 0, 500, 50, TMyPoint{400, 25});
  TMyShape* c = Box(200, 300, 300, 350, TMyPoint{250, 300});
  TMyLinkLine* old = Line(cad.CreateLink(QString(), a, 0, b, 0));
  ASSERT_NE(old, nullptr);
  ASSERT_EQ(old->Points, (TArrMyPoint{{100, 25}, {125, 25}, {375, 25}, {375, 25}, {400, 25}}));
  cad.Repaint();  // normalises the route: (100,25) (125,25) (375,25) (400,25)
  ASSERT_EQ(old->Points, (TArrMyPoint{{100, 25}, {125, 25}, {375, 25}, {400, 25}}));
  const int32_t before = cad.UndoStepsCount();
  const int32_t count = cad.GetShapesCount();

  // From c's link point up to the middle segment of the old connector.
  cad.SetShapeTool(TDrawTool::SpLinkLine);
  Press(250, 300);
  MoveTo(250, 100);
  MoveTo(251, 27);
  Release(251, 27);
  ASSERT_EQ(cad.GetShapesCount(), count + 3);  // the new connector, the tail half, the joint
  auto* drawn = dynamic_cast<TMyLinkLine*>(cad.GetShapeByNo(count));
  auto* tail = dynamic_cast<TMyLinkLine*>(cad.GetShapeByNo(count + 1));
  auto* joint = dynamic_cast<TMyLineLinkLine*>(cad.GetShapeByNo(count + 2));
  ASSERT_TRUE(drawn && tail && joint);
  // The joint sits on the segment, at the release point moved onto it.
  ASSERT_EQ(joint->LinkPoints.size(), 1u);
  EXPECT_EQ(joint->LinkPoints[0], (TMyPoint{251, 25}));
  // Old line: a -> joint; tail: joint -> b; the drawn one: c -> joint.
  EXPECT_EQ(old->Points, (TArrMyPoint{{100, 25}, {125, 25}, {251, 25}}));
  EXPECT_EQ(old->StartSpNo(), a->ShapeNo);
  EXPECT_EQ(old->EndSpNo(), joint->ShapeNo);
  EXPECT_EQ(tail->Points, (TArrMyPoint{{251, 25}, {375, 25}, {400, 25}}));
  EXPECT_EQ(tail->StartSpNo(), joint->ShapeNo);
  EXPECT_EQ(tail->EndSpNo(), b->ShapeNo);
  EXPECT_EQ(tail->EndSpPtId(), 0);
  EXPECT_EQ(drawn->StartSpNo(), c->ShapeNo);
  EXPECT_EQ(drawn->EndSpNo(), joint->ShapeNo);
  EXPECT_EQ(drawn->Points.back(), (TMyPoint{251, 25}));
  EXPECT_EQ(b->LinkShapes, (TMyShapeNo{tail->ShapeNo}));
  std::vector<int32_t> atJoint(joint->LinkShapes.begin(), joint->LinkShapes.end());
  std::sort(atJoint.begin(), atJoint.end());
  EXPECT_EQ(atJoint, (std::vector<int32_t>{old->ShapeNo, drawn->ShapeNo, tail->ShapeNo}));
  // Moving the joint moves all three ends.
  cad.Move(joint, 0, 40);
  EXPECT_EQ(old->Points.back(), (TMyPoint{251, 65}));
  EXPECT_EQ(tail->Points.front(), (TMyPoint{251, 65}));
  EXPECT_EQ(drawn->Points.back(), (TMyPoint{251, 65}));
  cad.Move(joint, 0, -40);

  // One undo step removes everything the gesture added and gives the old line its points.
  EXPECT_EQ(cad.UndoStepsCount(), before + 1);
  cad.PopFromUndoRedoShapeList();
  EXPECT_EQ(cad.GetShapesCount(), count);
  EXPECT_EQ(old->Points, (TArrMyPoint{{100, 25}, {125, 25}, {375, 25}, {400, 25}}));
  // It is attached to b again (the joint it ended at is gone), so it follows b.
  EXPECT_EQ(old->StartSpNo(), a->ShapeNo);
  EXPECT_EQ(old->EndSpNo(), b->ShapeNo);
  EXPECT_EQ(b->LinkShapes, (TMyShapeNo{old->ShapeNo}));
  EXPECT_TRUE(c->LinkShapes.empty());
  cad.Move(b, 0, 50);
  EXPECT_EQ(old->Points.back(), (TMyPoint{400, 75}));
}

TEST_F(Links, LookingUpLinkPoints) {
  TMyShape* a = Rect(0, 0, 100, 50);
  TMyShape* b = Rect(40, 0, 140, 50);
  a->LinkPoints = {{50, 25}, {52, 25}};
  b->LinkPoints = {{51, 25}};
  EXPECT_EQ(cad.IsinHotLink(a, TPoint{55, 25}), 1);  // the last one within 5 pixels
  EXPECT_EQ(cad.IsinHotLink(a, TPoint{58, 25}), -1);
  int32_t no = 7, id = 7;
  EXPECT_TRUE(cad.InWhichShapeWhichHotLinkId(no, id, TMyPoint{51, 25}));
  EXPECT_EQ(no, 0);  // the first shape in list order
  EXPECT_EQ(id, 0);
  EXPECT_EQ(a->LinkHotId, 0);
  // A selected shape is skipped unless it is the only one.
  cad.AddWorkingShapes(a);
  cad.AddWorkingShapes(b);
  EXPECT_FALSE(cad.InWhichShapeWhichHotLinkId(no, id, TMyPoint{51, 25}));
  EXPECT_EQ(no, -1);
  EXPECT_EQ(id, -1);
  cad.RemoveWorkingShape(b);
  EXPECT_TRUE(cad.InWhichShapeWhichHotLinkId(no, id, TMyPoint{51, 25}));
  EXPECT_EQ(no, 0);
  EXPECT_FALSE(cad.InWhichShapeWhichHotLinkId(no, id, TMyPoint{300, 300}));
  EXPECT_EQ(a->LinkHotId, -1);  // moving away clears the highlight
  a->LinkHotId = 1;
  b->LinkHotId = 0;
  cad.ClearAllLinkHot();
  EXPECT_EQ(a->LinkHotId, -1);
  EXPECT_EQ(b->LinkHotId, -1);
}

TEST_F(Links, LinkPointsAndJointsAreDrawnWithOneClick) {
  cad.SetZoom(2);
  cad.SetShapeTool(TDrawTool::SpLinkPoint);
  Press(100, 100);
  Release(100, 100);
  ASSERT_EQ(cad.GetShapesCount(), 1);
  TMyShape* point = cad.GetShapeByNo(0);
  EXPECT_EQ(point->ClassName(), QStringLiteral("TMyLinkPoint"));
  // A square of side 8 (16 device pixels at zoom 2) centred on the click.
  EXPECT_EQ(point->Points, (TArrMyPoint{{46, 46}, {54, 46}, {54, 54}, {46, 54}}));
  EXPECT_TRUE(point->LinkPoints.empty());

  cad.SetShapeTool(TDrawTool::SpLineLinkLine);
  Press(300, 100);
  Release(300, 100);
  ASSERT_EQ(cad.GetShapesCount(), 2);
  TMyShape* joint = cad.GetShapeByNo(1);
  EXPECT_EQ(joint->ClassName(), QStringLiteral("TMyLineLinkLine"));
  EXPECT_EQ(joint->LinkPoints.Items(), (TArrMyPoint{{150, 50}}));
  // A click on it picks the joint over the connector that ends there.
  TMyShape* box = Rect(200, 100, 260, 140);
  box->AddLinkPoint(TMyPoint{400, 220});  // (200, 110) in drawing units
  cad.SetShapeTool(TDrawTool::SpLinkLine);
  Press(300, 100);
  MoveTo(400, 220);
  Release(400, 220);
  auto* line = dynamic_cast<TMyLinkLine*>(cad.GetShapeByNo(3));
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->StartSpNo(), 1);
  EXPECT_EQ(line->EndSpNo(), 2);
  cad.SetShapeTool(TDrawTool::SpSelecting);
  cad.RemoveAllWorkingShapes();  // the new connector's end handle would take the click
  Press(300, 100);
  Release(300, 100);
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{joint}));
  // Deleting a selected joint takes the connectors that meet there along, in one step.
  EXPECT_TRUE(cad.DeleteSelectedShapes());
  EXPECT_EQ(cad.GetShapesCount(), 2);
  EXPECT_TRUE(box->LinkShapes.empty());
  cad.PopFromUndoRedoShapeList();
  EXPECT_EQ(cad.GetShapesCount(), 4);
}

TEST_F(Links, AfterAHandDragOnlyTheMovedEndIsRouted) {
  TMyShape* a = Box(0, 0, 100, 50, TMyPoint{100, 25});
  TMyShape* b = Box(300, 200, 400, 250, TMyPoint{300, 225});
  TMyLinkLine* line = Line(cad.CreateLink(QString(), a, 0, b, 0));
  cad.Repaint();
  ASSERT_EQ(line->Points.Items(), (TArrMyPoint{{100, 25}, {275, 25}, {275, 225}, {300, 225}}));
  // The vertical segment's handle (at its middle) dragged right by 50 with the mouse.
  cad.RemoveAllWorkingShapes();
  cad.AddWorkingShapes(line);
  Drag(275, 125, 325, 125);
  ASSERT_EQ(line->Points.Items(), (TArrMyPoint{{100, 25}, {325, 25}, {325, 225}, {300, 225}}));
  EXPECT_FALSE(line->Reroute());
  // Moving b now routes only from b back to the hand-placed corner; the corner stays.
  cad.Move(b, 0, 60);
  const TArrMyPoint& p = line->Points.Items();
  ASSERT_GE(p.size(), 4u);
  EXPECT_EQ(p[0], (TMyPoint{100, 25}));
  EXPECT_EQ(p[1], (TMyPoint{325, 25}));
  EXPECT_EQ(p.back(), (TMyPoint{300, 285}));
  EXPECT_TRUE(RightAngled(line));
  // A full re-route would have gone back to the corner (275, 25).
  EXPECT_EQ(std::count(p.begin(), p.end(), TMyPoint{275, 25}), 0);
  EXPECT_EQ(std::count(p.begin(), p.end(), TMyPoint{325, 285}), 1);
}
