#include "support.h"

#include <cad/shapes/group.h>
#include <cad/shapes/rectangle.h>

#include <QTest>

using namespace cad;
using testing_support::Near;

namespace {

// A surface at zoom 1 with the selecting tool armed and grid snapping off unless a test wants it.
class Mouse : public ::testing::Test {
protected:
  void SetUp() override {
    cad.SetZoom(1);
    cad.SetSnap(false);
    cad.SetShapeTool(TDrawTool::SpSelecting);
  }
  void Press(int x, int y, TShiftState s = 0) { cad.MouseDown(TMouseButton::mbLeft, s, x, y); }
  void MoveTo(int x, int y, TShiftState s = 0) { cad.MouseMove(s, x, y); }
  void Release(int x, int y, TShiftState s = 0) { cad.MouseUp(TMouseButton::mbLeft, s, x, y); }
  void Click(int x, int y, TShiftState s = 0) {
    Press(x, y, s);
    Release(x, y, s);
  }
  void Drag(int x0, int y0, int x1, int y1, TShiftState s = 0) {
    Press(x0, y0, s);
    MoveTo((x0 + x1) / 2, (y0 + y1) / 2, s);
    MoveTo(x1, y1, s);
    Release(x1, y1, s);
  }
  TMyShape* DrawBox(TDrawTool tool, int x0, int y0, int x1, int y1, TShiftState s = 0) {
    cad.SetShapeTool(tool);
    Click(x0, y0, s);
    MoveTo(x1, y1, s);
    Click(x1, y1, s);
    return cad.GetShapeByNo(cad.GetShapesCount() - 1);
  }
  QImage Buffer() {
    cad.Canvas()->Release();
    return static_cast<QImage*>(cad.Canvas()->Device())->copy();
  }
  TMyCAD cad;
};

}  // namespace

TEST_F(Mouse, DrawingARectangleAndAnEllipse) {
  std::vector<std::string> events;
  cad.OnShapeAdded = [&](TMyShape*& s, int32_t n) { events.push_back("added " + s->Name().toStdString() + " " + std::to_string(n)); };
  cad.OnActionToolToSelecting = [&] { events.push_back("to selecting"); };
  cad.OnShapeSelected = [&](TMyShape*, TMyShape*) { events.push_back("selected"); };

  TMyShape* r = DrawBox(TDrawTool::SpRectangle, 10, 10, 50, 30);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->ClassName(), QStringLiteral("TMyRectangle"));
  EXPECT_EQ(r->Points, (TArrMyPoint{{10, 10}, {50, 10}, {50, 30}, {10, 30}}));
  EXPECT_EQ(r->Name(), QStringLiteral("Shape0"));
  EXPECT_EQ(r->ShapeNo, 0);
  EXPECT_EQ(r->TextPoint, MyPoint(30, 40));
  EXPECT_EQ(events, (std::vector<std::string>{"added Shape0 1", "to selecting"}));
  EXPECT_EQ(cad.ShapeTool(), TDrawTool::SpSelecting);
  EXPECT_EQ(cad.Action(), TActionTools::dtSelecting);
  EXPECT_EQ(cad.GetSelectedShape(), r);
  EXPECT_TRUE(cad.Modified());

  cad.SetReturnToSelecting(false);
  TMyShape* e = DrawBox(TDrawTool::SpEllipse, 60, 60, 100, 80);
  EXPECT_EQ(e->ClassName(), QStringLiteral("TMyEllipse"));
  EXPECT_EQ(e->Name(), QStringLiteral("Shape1"));
  EXPECT_EQ(cad.Action(), TActionTools::dtDrawing);  // the next press starts another ellipse
  Click(120, 120);
  Click(140, 140);
  EXPECT_EQ(cad.GetShapesCount(), 3);
  EXPECT_EQ(cad.GetShapeByNo(2)->Name(), QStringLiteral("Shape2"));

  // A half-drawn shape is dropped, not leaked, when the tool changes.
  Click(200, 200);
  cad.SetShapeTool(TDrawTool::SpSelecting);
  EXPECT_EQ(cad.GetShapesCount(), 3);
}

TEST_F(Mouse, ShiftMakesSquares) {
  TMyShape* r = DrawBox(TDrawTool::SpRectangle, 10, 10, 40, 25, ssShift);
  EXPECT_EQ(r->Points[2], MyPoint(25, 25));
  TPoint p = Point(30, 10);
  cad.DrawMakeSquareorHV(ssShift, r, Point(0, 0), p);
  EXPECT_EQ(p, Point(10, 10));
  p = Point(30, 10);
  cad.DrawMakeSquareorHV(0, r, Point(0, 0), p);  // without Shift nothing changes
  EXPECT_EQ(p, Point(30, 10));
}

TEST_F(Mouse, ClickShiftClickAndRubberBand) {
  TMyShape* a = DrawBox(TDrawTool::SpRectangle, 10, 10, 50, 30);
  TMyShape* b = DrawBox(TDrawTool::SpRectangle, 100, 10, 140, 30);
  TMyShape* last = nullptr;
  TMyShape* sel = nullptr;
  cad.OnShapeSelected = [&](TMyShape* l, TMyShape* s) {
    last = l;
    sel = s;
  };
  Click(300, 300);
  EXPECT_EQ(cad.GetSelectedShapesCount(), 0);
  Click(30, 20);
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{a}));
  EXPECT_EQ(last, nullptr);
  EXPECT_EQ(sel, a);
  Click(120, 20);
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{b}));
  EXPECT_EQ(last, a);
  Click(30, 20, ssShift);
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{b, a}));
  EXPECT_EQ(cad.Action(), TActionTools::dtSelecting);  // adding does not start a drag
  Click(120, 20, ssShift);
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{a}));

  // A band selects only what lies strictly inside it.
  Drag(0, 0, 145, 35);
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{a, b}));
  Drag(5, 5, 140, 35);  // touches b's right edge: b stays out
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{a}));
  b->SetVisible(false);
  Drag(0, 0, 145, 35);
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{a}));
}

TEST_F(Mouse, DraggingMovesTheSelection) {
  TMyShape* a = DrawBox(TDrawTool::SpRectangle, 10, 10, 50, 30);
  std::vector<std::pair<TPoint, TPoint>> dragging;
  TPoint droppedFrom, droppedTo;
  cad.OnShapeMouseDragging = [&](TMyShape* s, const TPoint& from, const TPoint& to) {
    EXPECT_EQ(s, a);
    dragging.emplace_back(from, to);
  };
  cad.OnShapeMouseDragged = [&](TMyShape*, const TPoint& f, const TPoint& t) {
    droppedFrom = f;
    droppedTo = t;
  };
  Drag(30, 20, 40, 45);
  EXPECT_EQ(a->Points[0], MyPoint(20, 35));
  EXPECT_EQ(droppedFrom, Point(30, 20));
  EXPECT_EQ(droppedTo, Point(40, 45));
  // Each move reports the press point and the point the ghost stood at before the move: the
  // press point for the first move, the halfway point (35, 32) for the second.
  EXPECT_EQ(dragging, (std::vector<std::pair<TPoint, TPoint>>{{Point(30, 20), Point(30, 20)},
                                                              {Point(30, 20), Point(35, 32)}}));
  EXPECT_EQ(a->TextPoint, MyPoint(40, 65));

  cad.SetDragShapeMode(TDragMode::dgHorz);
  cad.SetSnap(true);  // snapping must not bring the vertical movement back
  Drag(30, 45, 73, 60);
  EXPECT_EQ(a->Points[0].Y, 35);
  EXPECT_EQ(a->Points[0].X, 60);  // snapped: the box's left edge lands on the grid line at 60
  cad.SetSnap(false);
  cad.SetDragShapeMode(TDragMode::dgVert);
  Drag(70, 45, 90, 55);
  EXPECT_EQ(a->Points[0], MyPoint(60, 45));

  // A press and release without movement moves nothing but still reports the drop.
  droppedTo = Point(-1, -1);
  Click(70, 55);
  EXPECT_EQ(a->Points[0], MyPoint(60, 45));
  EXPECT_EQ(droppedTo, Point(70, 55));
}

TEST_F(Mouse, ResizingACornerAndRefusingToCross) {
  TMyShape* a = DrawBox(TDrawTool::SpRectangle, 10, 10, 50, 30);
  int resized = 0;
  cad.OnShapeMouseResized = [&](TMyShape*, const TPoint&, const TPoint&) { ++resized; };
  Drag(51, 31, 70, 40);  // grabs corner 2 within its hot area
  EXPECT_EQ(a->Points, (TArrMyPoint{{10, 10}, {70, 10}, {70, 40}, {10, 40}}));
  EXPECT_EQ(resized, 1);
  EXPECT_EQ(cad.Action(), TActionTools::dtSelecting);
  Drag(70, 40, 0, 0);
  EXPECT_EQ(a->Points, (TArrMyPoint{{10, 10}, {70, 10}, {70, 40}, {10, 40}}));
  // Shift keeps it square.
  Drag(70, 40, 100, 60, ssShift);
  EXPECT_EQ(a->Points[2], MyPoint(60, 60));
  // The text point follows the box's change of size about the fixed corner (10, 10): from
  // (30, 40) to (40, 55) with the first resize, then to (35, 85).
  EXPECT_TRUE(Near(a->TextPoint, MyPoint(35, 85)));
  cad.SetResizeEnable(false);
  Drag(60, 60, 90, 90);  // no resizing: the press on the corner starts a band instead
  EXPECT_EQ(a->Points[2], MyPoint(60, 60));
}

TEST_F(Mouse, RotatingAboutTheCentre) {
  TMyShape* a = DrawBox(TDrawTool::SpRectangle, 10, 10, 50, 30);
  cad.SetShapeTool(TDrawTool::SpRotateSelecting);
  int rotated = 0;
  cad.OnShapeMouseRotated = [&](TMyShape*, const TPoint&, const TPoint&) { ++rotated; };
  // Corner 2 is at (50, 30), centre (30, 20); move it a quarter turn clockwise about the centre.
  Drag(50, 30, 20, 40);
  EXPECT_EQ(rotated, 1);
  EXPECT_NEAR(a->Angle(), M_PI / 2, 1e-6);
  EXPECT_TRUE(Near(a->Points[0], MyPoint(40, 0), 1e-3f));
  EXPECT_TRUE(Near(a->GetCenterPoint(), MyPoint(30, 20), 1e-3f));
  EXPECT_EQ(cad.Action(), TActionTools::dtRotateSelecting);
  cad.SetRotateEnable(false);
  Drag(40, 0, 0, 0);
  EXPECT_NEAR(a->Angle(), M_PI / 2, 1e-6);
}

TEST_F(Mouse, GroupResizedByACorner) {
  TMyShape* a = DrawBox(TDrawTool::SpRectangle, 0, 0, 10, 10);
  TMyShape* b = DrawBox(TDrawTool::SpRectangle, 20, 20, 30, 40);
  Drag(-5, -5, 35, 45);
  ASSERT_EQ(cad.GetSelectedShapesCount(), 2);
  const int32_t id = cad.GroupWorkingShape();
  TMyShape* g = cad.GetShapeByID(id);
  Drag(30, 40, 60, 80);
  EXPECT_EQ(g->Points[2], MyPoint(60, 80));
  EXPECT_TRUE(Near(a->Points[2], MyPoint(20, 20)));
  EXPECT_TRUE(Near(b->Points[0], MyPoint(40, 40)));
  // Clicking a member without moving selects it as the clicked child; the group stays selected.
  TMyShape* child = nullptr;
  cad.OnChildShapeSelected = [&](TMyShape* c) { child = c; };
  Click(50, 50);
  EXPECT_EQ(child, b);
  EXPECT_EQ(cad.ClickedChildShape(), b);
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{g}));
  // Dragging the group moves the members first and the group with them.
  Drag(50, 50, 60, 50);
  EXPECT_TRUE(Near(b->Points[0], MyPoint(50, 40)));
  EXPECT_TRUE(Near(g->Points[0], MyPoint(10, 0)));
}

TEST_F(Mouse, TextPointDragAndHover) {
  TMyShape* a = DrawBox(TDrawTool::SpRectangle, 10, 10, 50, 30);
  a->SetInfo(QStringLiteral("note"));
  Drag(30, 40, 80, 90);
  EXPECT_EQ(a->TextPoint, MyPoint(80, 90));
  EXPECT_EQ(a->Points[0], MyPoint(10, 10));

  std::vector<std::string> hover;
  cad.OnMouseEnterShape = [&](TMyShape* s) { hover.push_back("enter " + s->Name().toStdString()); };
  cad.OnMouseLeaveShape = [&](TMyShape* s) { hover.push_back("leave " + s->Name().toStdString()); };
  QLabel xy;
  cad.SetLabelXY(&xy);
  MoveTo(200, 200);
  MoveTo(20, 20);
  MoveTo(25, 20);
  MoveTo(200, 200);
  EXPECT_EQ(hover, (std::vector<std::string>{"enter Shape0", "leave Shape0"}));
  EXPECT_EQ(xy.text(), QStringLiteral("(200,200)"));
}

TEST_F(Mouse, GhostsLeaveNoTrace) {
  DrawBox(TDrawTool::SpRectangle, 10, 10, 50, 30);
  Click(300, 300);  // deselect: the picture without marks
  const QImage clean = Buffer();
  // A rubber band: every erase matches its drawing, so drawing the last band once more restores
  // the picture exactly.
  Press(100, 100);
  MoveTo(150, 160);
  MoveTo(170, 120);
  EXPECT_NE(Buffer(), clean);
  cad.SetSelectShapeMode();
  cad.Canvas()->Rectangle(100, 100, 170, 120);
  EXPECT_EQ(Buffer(), clean);
  Release(170, 120);
  EXPECT_EQ(Buffer(), clean);

  // The drawing rubber band of a new rectangle.
  cad.SetShapeTool(TDrawTool::SpRectangle);
  Click(200, 200);
  const QImage withFirstPoint = Buffer();
  MoveTo(230, 240);
  MoveTo(260, 220);
  SetDragResizeRotateShapeMode(cad.Canvas());
  cad.Canvas()->Rectangle(200, 200, 260, 220);
  EXPECT_EQ(Buffer(), withFirstPoint);
  Click(260, 220);
  cad.SetShapeTool(TDrawTool::SpSelecting);
  Click(400, 400);
  // After any gesture the surface repaints: no ghost survives.
  const QImage after = Buffer();
  cad.Repaint();
  EXPECT_EQ(Buffer(), after);
}

TEST_F(Mouse, WidgetEventsReachTheStateMachine) {
  cad.SetShapeTool(TDrawTool::SpRectangle);
  QTest::mouseClick(&cad, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QTest::mouseMove(&cad, QPoint(50, 30));
  QTest::mouseClick(&cad, Qt::LeftButton, Qt::NoModifier, QPoint(50, 30));
  ASSERT_EQ(cad.GetShapesCount(), 1);
  EXPECT_EQ(cad.GetShapeByNo(0)->Points[2], MyPoint(50, 30));
  int clicks = 0;
  cad.OnClick = [&](TMyCAD*) { ++clicks; };
  QTest::mouseClick(&cad, Qt::RightButton, Qt::NoModifier, QPoint(30, 20));
  EXPECT_EQ(cad.GetSelectedShapesCount(), 1);  // other buttons do not select
  QTest::mouseClick(&cad, Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(cad.GetSelectedShapesCount(), 0);
}

TEST_F(Mouse, ClosedSurfaceIgnoresTheMouse) {
  cad.SetShapeTool(TDrawTool::SpClose);
  int downs = 0;
  cad.OnMouseDown = [&](TMyCAD*, TMouseButton, TShiftState, int, int) { ++downs; };
  Click(10, 10);
  EXPECT_EQ(downs, 1);
  EXPECT_FALSE(cad.MouseIsDown());
}

TEST_F(Mouse, LinesAndPolyLinesByMouse) {
  // Shift while drawing a line makes it horizontal or vertical.
  cad.SetShapeTool(TDrawTool::SpLine);
  Click(0, 0);
  EXPECT_EQ(cad.GetShapesCount(), 0);  // one end is no line yet
  MoveTo(30, 10, ssShift);
  Click(30, 10, ssShift);
  ASSERT_EQ(cad.GetShapesCount(), 1);
  TMyShape* line = cad.GetShapeByNo(0);
  EXPECT_EQ(line->ClassName(), QStringLiteral("TMyLine"));
  EXPECT_EQ(line->Points, (TArrMyPoint{{0, 0}, {30, 0}}));

  // A poly line takes clicks until a double click, which ends it without a duplicate point.
  cad.SetShapeTool(TDrawTool::SpPolyLine);
  Click(10, 10);
  Click(50, 10);
  Click(50, 50);
  EXPECT_EQ(cad.GetShapesCount(), 1);
  Press(50, 50, ssDouble);
  Release(50, 50);
  ASSERT_EQ(cad.GetShapesCount(), 2);
  TMyShape* poly = cad.GetShapeByNo(1);
  EXPECT_EQ(poly->ClassName(), QStringLiteral("TMyPolyLine"));
  EXPECT_EQ(poly->Points, (TArrMyPoint{{10, 10}, {50, 10}, {50, 50}}));

  // Through the widget: a double click arrives as press, release, double-click press, release;
  // the double-click press adds the duplicate point that ends the poly line.
  cad.SetShapeTool(TDrawTool::SpPolyLine);
  QTest::mouseClick(&cad, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
  QTest::mouseClick(&cad, Qt::LeftButton, Qt::NoModifier, QPoint(150, 100));
  QTest::mouseClick(&cad, Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
  EXPECT_EQ(cad.GetShapesCount(), 2);
  QTest::mouseDClick(&cad, Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
  QTest::mouseRelease(&cad, Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
  ASSERT_EQ(cad.GetShapesCount(), 3);
  EXPECT_EQ(cad.GetShapeByNo(2)->Points, (TArrMyPoint{{100, 100}, {150, 100}, {150, 150}}));

  // A polygon closes with a click near its first point.
  cad.SetShapeTool(TDrawTool::SpPolygon);
  Click(100, 200);
  Click(150, 200);
  Click(150, 250);
  Click(102, 199);
  ASSERT_EQ(cad.GetShapesCount(), 4);
  TMyShape* polygon = cad.GetShapeByNo(3);
  EXPECT_EQ(polygon->ClassName(), QStringLiteral("TMyPolygon"));
  EXPECT_EQ(polygon->Points, (TArrMyPoint{{100, 200}, {150, 200}, {150, 250}, {100, 200}}));
}
