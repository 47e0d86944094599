#include "support.h"

#include <QImage>

using namespace cad;
using testing_support::AddBox;
using testing_support::Recorded;
using testing_support::TTestShape;

namespace {
struct LayerEvent {
  int32_t Id;
  QString Name;
  bool Visible;
  bool operator==(const LayerEvent&) const = default;
};
}  // namespace

TEST(Surface, FreshSurfaceDefaults) {
  TMyCAD cad;
  EXPECT_EQ(cad.GetLayersCount(), 1);
  EXPECT_EQ(cad.GetLayerNameByID(0), QStringLiteral("Layer0"));
  EXPECT_EQ(cad.GetMaxLayerId(), 0);
  EXPECT_EQ(cad.CurrentLayerId(), 0);
  EXPECT_EQ(cad.GetShapesCount(), 0);
  EXPECT_EQ(cad.Version(), QStringLiteral("ZK.a"));
  EXPECT_EQ(cad.DiskFileVersion(), QStringLiteral("ZK.4"));
  EXPECT_EQ(cad.Zoom(), 1.0);
  EXPECT_EQ(cad.Ratio(), 1.0);
  EXPECT_EQ(cad.TheUNIT(), TUnits::mm);
  EXPECT_EQ(cad.PageStyle(), TPageStyle::A4);
  EXPECT_EQ(cad.PageWidth(), 210u);
  EXPECT_EQ(cad.PageHeight(), 297u);
  EXPECT_EQ(cad.ColorOfBackGround(), clWhite);
  EXPECT_EQ(cad.ColorOfHot(), clGray);
  EXPECT_EQ(cad.ShapeTool(), TDrawTool::SpSelecting);
  EXPECT_EQ(cad.Action(), TActionTools::dtSelecting);  // the mouse works with the tool reported
  EXPECT_EQ(cad.UndoRedoSize(), 10);
  EXPECT_EQ(cad.HotSize(), 4);
  EXPECT_EQ(cad.ArrowLength(), 30);
  EXPECT_EQ(cad.ArrowAngle(), 10);
  EXPECT_EQ(cad.BkBitmapMode(), TBkBitmapMode::Center);
  EXPECT_EQ(cad.GridOperation()->GridType(), TGridType::gLine);
  EXPECT_EQ(cad.GridOperation()->GridWidth(), 20);
  EXPECT_EQ(cad.GridOperation()->GridColor(), clSilver);
  // Built in code, the control has its page's size at once: A4 at 96 pixels per inch.
  EXPECT_EQ(cad.Width(), 794);
  EXPECT_EQ(cad.Height(), 1123);
  // Published properties reach designers through the meta-object system.
  EXPECT_EQ(cad.property("Zoom").toDouble(), 1.0);
  EXPECT_TRUE(cad.setProperty("HotSize", 6));
  EXPECT_EQ(cad.HotSize(), 6);
}

TEST(Surface, LayersAndTheirEvents) {
  TMyCAD cad;
  std::vector<LayerEvent> created, deleted;
  cad.OnNewLayer = [&](int32_t id, const QString& n, bool v) { created.push_back({id, n, v}); };
  cad.OnDeleteLayer = [&](int32_t id, const QString& n, bool v) { deleted.push_back({id, n, v}); };

  EXPECT_EQ(cad.NewLayer(QStringLiteral("Layer0"), true), -1);
  EXPECT_TRUE(created.empty());
  EXPECT_EQ(cad.NewLayer(QStringLiteral("A"), false), 1);
  EXPECT_EQ(created, (std::vector<LayerEvent>{{1, "A", false}}));
  EXPECT_EQ(cad.CurrentLayerId(), 1);
  EXPECT_EQ(cad.GetLayerIdByName(QStringLiteral("A")), 1);
  EXPECT_EQ(cad.GetLayerIdByNo(1), 1);
  EXPECT_EQ(cad.GetLayerIdByNo(2), -1);
  EXPECT_EQ(cad.GetLayerNoByName(QStringLiteral("A")), 1);
  EXPECT_EQ(cad.GetLayerNoByName(QStringLiteral("nope")), 255);
  EXPECT_FALSE(cad.IsVisibleLayerByID(1));
  EXPECT_FALSE(cad.IsVisibleLayerByID(9));

  TTestShape* s = AddBox(cad, 10, 10, 50, 30);
  EXPECT_EQ(s->LayerId, 1);
  EXPECT_EQ(cad.GetShapesCountInALayer(1), 1);

  cad.VisibleLayerByName(QStringLiteral("A"));
  EXPECT_TRUE(cad.IsVisibleLayerByID(1));
  cad.InVisibleLayerByID(1);
  EXPECT_FALSE(cad.IsVisibleLayerByID(1));
  cad.VisibleAllLayer();
  EXPECT_TRUE(cad.IsVisibleLayerByID(1));

  cad.SetLayerNameByID(QStringLiteral("B"), 1);
  EXPECT_EQ(cad.GetLayerNameByID(1), QStringLiteral("B"));
  cad.SetLayerNameByName(QStringLiteral("C"), QStringLiteral("B"));
  EXPECT_EQ(cad.GetLayerNameByID(1), QStringLiteral("C"));

  cad.SetCurrentLayerId(7);  // unknown: nothing changes
  EXPECT_EQ(cad.CurrentLayerId(), 1);
  cad.AddWorkingShapes(s);
  cad.SetCurrentLayerId(0);
  EXPECT_EQ(cad.CurrentLayerId(), 0);
  EXPECT_EQ(cad.GetSelectedShapesCount(), 0);

  EXPECT_FALSE(cad.MergeLayers(0, 0));
  EXPECT_FALSE(cad.MergeLayers(0, 5));
  cad.InVisibleLayerByID(1);
  EXPECT_TRUE(cad.MergeLayers(0, 1));
  EXPECT_EQ(s->LayerId, 0);
  EXPECT_EQ(cad.GetShapesCount(), 1);
  EXPECT_EQ(cad.CurrentLayerId(), 0);
  EXPECT_EQ(cad.GetLayersCount(), 1);
  EXPECT_EQ(deleted, (std::vector<LayerEvent>{{1, "C", false}}));
}

TEST(Surface, DeletingLayersDeletesTheirShapes) {
  TMyCAD cad;
  std::vector<QString> gone;
  cad.OnShapeDeleted = [&](TMyShape* s) { gone.push_back(s->Name()); };
  AddBox(cad, 0, 0, 10, 10);
  cad.NewLayer(QStringLiteral("A"), true);
  AddBox(cad, 0, 0, 10, 10);
  TTestShape* keep = AddBox(cad, 20, 0, 30, 10);
  keep->SetLocked(true);  // a locked shape refuses deletion, and so the layer stays
  EXPECT_FALSE(cad.DeleteLayerByName(QStringLiteral("A")));
  EXPECT_EQ(cad.GetLayersCount(), 2);
  keep->SetLocked(false);
  EXPECT_TRUE(cad.DeleteLayerByID(1));
  EXPECT_EQ(gone, (std::vector<QString>{"Shape1", "Shape2"}));
  EXPECT_EQ(cad.GetShapesCount(), 1);
  EXPECT_EQ(cad.CurrentLayerId(), 0);
  EXPECT_FALSE(cad.DeleteLayerByID(1));

  cad.DeleteAllLayers();
  EXPECT_EQ(cad.GetLayersCount(), 0);
  EXPECT_EQ(cad.GetShapesCount(), 0);
  EXPECT_EQ(cad.CurrentLayerId(), -1);
  EXPECT_EQ(cad.GetMaxLayerId(), -1);

  // Without any layer a shape is refused with a message, and the program goes on.
  Recorded().Clear();
  auto* orphan = new TTestShape(&cad);
  EXPECT_FALSE(cad.AddShape(orphan, false, false));
  delete orphan;
  EXPECT_EQ(Recorded().Messages, QStringList{QStringLiteral("Error!There is no Layer!")});
  EXPECT_EQ(Recorded().TerminateRequests, 0);
  EXPECT_EQ(cad.CreateAddShapeByName(QStringLiteral("TMyRectangle"), nullptr), nullptr);
  EXPECT_EQ(cad.NewLayer(QStringLiteral("again"), true), 0);
}

TEST(Surface, LayerCountStaysWithinOneByte) {
  TMyCAD cad;
  for (int i = 1; i < 255; ++i) ASSERT_EQ(cad.NewLayer(QString::number(i), true), i);
  EXPECT_EQ(cad.GetLayersCount(), 255);
  EXPECT_EQ(cad.NewLayer(QStringLiteral("one too many"), true), -1);
  EXPECT_EQ(cad.GetLayersCount(), 255);
}

TEST(Surface, ShapeListIdsNumbersAndNames) {
  TMyCAD cad;
  TMyShape* a = cad.CreateAddShapeByName(QStringLiteral("TMyRectangle"), nullptr);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Name(), QStringLiteral("Shape0"));
  EXPECT_EQ(a->Caption(), QStringLiteral("Shape0"));
  EXPECT_EQ(a->ShapeNo, 0);
  EXPECT_EQ(cad.NextShapeId(), 1);
  EXPECT_EQ(cad.CreateAddShapeByName(QStringLiteral("TNoSuchShape"), nullptr), nullptr);
  EXPECT_EQ(cad.CreateShapeByName(QStringLiteral("tmyrectangle"), &cad), nullptr);
  EXPECT_EQ(cad.CreateShapeByName(QStringLiteral("TMyShape"), &cad), nullptr);  // the base is no kind

  TTestShape* b = AddBox(cad, 0, 0, 5, 5);
  TTestShape* c = AddBox(cad, 0, 0, 5, 5);
  EXPECT_EQ(b->Name(), QStringLiteral("Shape1"));
  EXPECT_EQ(cad.GetShapeByID(2), c);
  EXPECT_EQ(cad.GetShapeByID(3), nullptr);
  EXPECT_EQ(cad.GetShapeByID(-1), nullptr);
  EXPECT_EQ(cad.GetShapeByName(QStringLiteral("Shape1")), b);
  EXPECT_EQ(cad.GetShapeNoById(2), 2);
  EXPECT_EQ(cad.GetShapeNoById(9), -1);
  EXPECT_EQ(cad.GetShapeNoInMyShapes(c), 2);
  EXPECT_EQ(cad.GetShapeByNo(3), nullptr);

  cad.RenameShapeName(QStringLiteral("Shape1"), QStringLiteral("Shape2"));
  EXPECT_EQ(b->Name(), QStringLiteral("Shape1"));
  cad.RenameShapeName(QStringLiteral("Shape1"), QStringLiteral("Door"));
  EXPECT_EQ(b->Name(), QStringLiteral("Door"));
  EXPECT_EQ(cad.GetShapeByName(QStringLiteral("Door")), b);

  // Deleting renumbers every relation behind the removed position.
  c->ParentNo = -1;
  c->ChildShapes = {0};
  a->ParentNo = 2;
  b->LinkShapes = {2, 0};
  EXPECT_TRUE(cad.DeleteShapeById(1, false));
  ASSERT_EQ(cad.GetShapesCount(), 2);
  EXPECT_EQ(c->ShapeNo, 1);
  EXPECT_EQ(a->ParentNo, 1);
  EXPECT_EQ(c->ChildShapes, (TMyShapeNo{0}));
  // Deleting a group takes its members along; ids are never reused.
  EXPECT_TRUE(cad.DeleteShapeById(2, false));
  EXPECT_EQ(cad.GetShapesCount(), 0);
  EXPECT_EQ(cad.CreateAddShapeByName(QStringLiteral("TMyRectangle"), nullptr)->ShapeId, 3);
}

TEST(Surface, SelectionKeepsRootsOnlyOnce) {
  TMyCAD cad;
  TTestShape* a = AddBox(cad, 0, 0, 10, 10);
  TTestShape* g = AddBox(cad, 0, 0, 10, 10);
  g->ChildShapes = {0};
  a->ParentNo = 1;
  cad.AddWorkingShapes(a);
  cad.AddWorkingShapes(g);
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{g}));
  EXPECT_EQ(cad.GetSelectedShape(), g);
  EXPECT_EQ(cad.GetRootParentShape(a), g);
  EXPECT_FALSE(cad.areTheyBrother(a, g));
  cad.RemoveWorkingShape(g);
  EXPECT_EQ(cad.GetSelectedShapesCount(), 0);
  cad.SelectAllShapes();
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{g}));
  cad.DeSelectedAllShapesByCode();
  EXPECT_EQ(cad.GetSelectedShape(), nullptr);
  // A cycle of parents in bad data ends the walk instead of hanging.
  g->ParentNo = 0;
  EXPECT_NE(cad.GetRootParentShape(a), nullptr);
}

TEST(Surface, ZoomPageSizeAndResize) {
  SetScreenPixelsPerInch(75);
  {
    TMyCAD cad;
    cad.SetPageStyle(TPageStyle::A4);
    EXPECT_EQ(cad.Width(), 620);
    EXPECT_EQ(cad.Height(), 877);
    cad.SetPageWidth(197);
    EXPECT_EQ(cad.PageStyle(), TPageStyle::CustomerPage);
    cad.SetZoom(2);
    EXPECT_EQ(cad.Width(), 1163);
    EXPECT_EQ(cad.PageWidth(), 197u);  // the size the surface gives itself does not feed back
    cad.SetZoom(0);                    // refused
    cad.SetZoom(-1);
    EXPECT_EQ(cad.Zoom(), 2);

    // A resize from outside moves the page size to the new control size.
    const uint32_t pageW = cad.PageWidth(), pageH = cad.PageHeight();
    cad.show();
    cad.resize(1000, 1200);
    EXPECT_NE(cad.PageWidth(), pageW);  // the resize reached the page
    EXPECT_NE(cad.PageHeight(), pageH);
    EXPECT_EQ(cad.PageWidth(), static_cast<uint32_t>(Round(1000 * 25.4L / (75 * 2))));
    EXPECT_EQ(cad.PageHeight(), static_cast<uint32_t>(Round(1200 * 25.4L / (75 * 2))));
    EXPECT_EQ(cad.PageStyle(), TPageStyle::CustomerPage);
    // The control keeps the size it was given (not the page's whole millimetres), also through
    // a zoom out and in again.
    EXPECT_EQ(cad.width(), 1000);
    EXPECT_EQ(cad.height(), 1200);
    cad.SetZoom(0.7);
    cad.SetZoom(2);
    EXPECT_EQ(cad.width(), 1000);
    EXPECT_EQ(cad.height(), 1200);

    cad.SetZoom(1);
    cad.SetPageStyle(TPageStyle::A4);
    cad.SetPageOrientation(TPrinterOrientation::poLandscape);
    EXPECT_EQ(cad.PageWidth(), 297u);
    EXPECT_EQ(cad.PageHeight(), 210u);
    EXPECT_EQ(cad.PageStyle(), TPageStyle::A4);
    cad.SetPageWidth(297);
    cad.SetPageHeight(210);
    EXPECT_EQ(cad.PageStyle(), TPageStyle::A4);
    EXPECT_EQ(cad.GetPageStyleByWH(500, 353), TPageStyle::B3);

    cad.SetPageOrientation(TPrinterOrientation::poPortrait);
    cad.SetPageWidth(100);
    cad.SetPageHeight(50);
    cad.SetPageOrientation(TPrinterOrientation::poLandscape);
    EXPECT_EQ(cad.PageWidth(), 50u);
    EXPECT_EQ(cad.PageHeight(), 100u);
    cad.SetPageOrientation(TPrinterOrientation::poPortrait);
    EXPECT_EQ(cad.PageWidth(), 50u);  // customer pages swap only on the way to landscape
  }
  SetScreenPixelsPerInch(96);
}

TEST(Surface, OriginModesAndLabels) {
  TMyCAD cad;
  cad.SetWidth(300);
  cad.SetHeight(485);
  QLabel xy, value;
  cad.SetLabelXY(&xy);
  cad.SetLabelValue(&value);
  cad.SetXYMode(TXYMode::Mode1);
  cad.UpdateLabelXY(10, 400);
  EXPECT_EQ(xy.text(), QStringLiteral("(10,85)"));
  cad.SetXYMode(TXYMode::Mode2);
  cad.UpdateLabelXY(10, 400);
  EXPECT_EQ(xy.text(), QStringLiteral("(290,85)"));
  cad.SetXYMode(TXYMode::Mode3);
  EXPECT_EQ(cad.GetPointByMode(Point(10, 400)), Point(290, 400));
  EXPECT_EQ(cad.GetMyPointByMode(MyPoint(10.5f, 400)), MyPoint(289.5f, 400));
  cad.SetXYMode(TXYMode::Mode0);
  cad.UpdateLabelXY(120, 45);
  EXPECT_EQ(xy.text(), QStringLiteral("(120,45)"));
  cad.UpdateLabelValue(QStringLiteral("    12.70 mm"));
  EXPECT_EQ(value.text(), QStringLiteral("    12.70 mm"));

  TPoint cur = Point(30, 40);
  cad.SetDragShapeMode(TDragMode::dgHorz);
  cad.GetMousePointbyDragMode(Point(1, 2), cur);
  EXPECT_EQ(cur, Point(30, 2));
  cad.SetDragShapeMode(TDragMode::dgVert);
  cad.GetMousePointbyDragMode(Point(1, 2), cur);
  EXPECT_EQ(cur, Point(1, 2));

  // A label that goes away is forgotten, not written to.
  {
    QLabel temp;
    cad.SetLabelXY(&temp);
  }
  EXPECT_EQ(cad.LabelXY(), nullptr);
  cad.UpdateLabelXY(1, 1);
}

class SurfacePaint : public ::testing::Test {
protected:
  void SetUp() override {
    cad.SetZoom(1);
    cad.SetShapeTool(TDrawTool::SpSelecting);
  }
  TColor Px(int x, int y) { return cad.Canvas()->Pixel(x, y); }
  TMyCAD cad;
};

TEST_F(SurfacePaint, GridLinesAndDots) {
  cad.Repaint();
  EXPECT_EQ(Px(20, 7), clSilver);
  EXPECT_EQ(Px(7, 40), clSilver);
  EXPECT_EQ(Px(10, 10), clWhite);

  auto clear = [&] {
    cad.Canvas()->Brush()->SetStyle(TBrushStyle::bsSolid);
    cad.Canvas()->Brush()->SetColor(clWhite);
    cad.Canvas()->FillRect(Rect(0, 0, 100, 100));
  };
  // A region starting at x = 25 starts its lines at x = -5.
  clear();
  cad.DrawGrid(nullptr, Rect(25, 0, 100, 100));
  EXPECT_EQ(Px(15, 3), clSilver);
  EXPECT_EQ(Px(20, 3), clWhite);

  cad.GridOperation()->SetGridType(TGridType::gPixel);
  clear();
  cad.DrawGrid(nullptr, Rect(25, 0, 100, 100));  // dots always start at 0
  EXPECT_EQ(Px(40, 40), clSilver);
  EXPECT_EQ(Px(39, 39), clSilver);
  EXPECT_EQ(Px(50, 40), clWhite);
  EXPECT_EQ(Px(45, 45), clWhite);

  cad.GridOperation()->SetGridWidth(0);  // a zero step draws nothing and does not divide by zero
  clear();
  cad.DrawGrid(nullptr, Rect(25, 0, 100, 100));
  EXPECT_EQ(Px(40, 40), clWhite);
  cad.GridOperation()->SetGridType(TGridType::gNone);
  cad.GridOperation()->SetGridWidth(20);
  cad.Repaint();
  EXPECT_EQ(Px(20, 7), clWhite);
}

TEST_F(SurfacePaint, ShapesOnVisibleLayersOnly) {
  cad.GridOperation()->SetGridShow(false);
  TTestShape* a = AddBox(cad, 10, 10, 50, 30);
  a->Brush()->SetColor(clRed);
  cad.NewLayer(QStringLiteral("hidden"), false);
  TTestShape* b = AddBox(cad, 60, 10, 100, 30);
  b->Brush()->SetColor(clBlue);
  int painted = 0;
  cad.OnPaint = [&](TMyCAD* sender) {
    EXPECT_EQ(sender, &cad);
    ++painted;
  };
  cad.Repaint();
  EXPECT_EQ(painted, 1);
  EXPECT_EQ(Px(30, 20), clRed);
  EXPECT_EQ(Px(10, 20), clBlack);  // outline in the surface's default pen
  EXPECT_EQ(Px(80, 20), clWhite);
  EXPECT_EQ(b->DrawCount, 0);
  cad.VisibleLayerByID(1);
  EXPECT_EQ(Px(80, 20), clBlue);
  b->SetVisible(false);
  cad.Repaint();
  EXPECT_EQ(Px(80, 20), clWhite);

  // Zoom scales the drawing, not the stored points.
  cad.SetZoom(2);
  cad.Repaint();
  EXPECT_EQ(Px(90, 50), clRed);
  EXPECT_EQ(a->Points[2], MyPoint(50, 30));
  cad.SetColorOfBackGround(clYellow);
  EXPECT_EQ(Px(150, 150), clYellow);
}

TEST_F(SurfacePaint, SelectionMarksAndHiddenHotPoints) {
  cad.GridOperation()->SetGridShow(false);
  TTestShape* a = AddBox(cad, 10, 10, 50, 30);
  cad.AddWorkingShapes(a);
  cad.Repaint();
  // The corner's hot square covers the shape's outline there: filled with the hot colour
  // inside a black border.
  EXPECT_EQ(Px(10, 10), HotColor);
  EXPECT_EQ(Px(12, 12), HotColor);
  EXPECT_EQ(Px(6, 10), clBlack);
  cad.SetColorOfHot(clAqua);
  cad.Repaint();
  EXPECT_EQ(Px(12, 12), clAqua);
  a->SetLocked(true);
  cad.Repaint();
  EXPECT_EQ(Px(12, 12), clGray);
  a->SetLocked(false);
  cad.SetHotShow(false);
  cad.Repaint();
  EXPECT_EQ(Px(12, 12), clWhite);
  cad.SetHotShow(true);
  cad.SetShapeTool(TDrawTool::SpRotateSelecting);
  cad.SetRotateEnable(false);
  cad.Repaint();
  EXPECT_EQ(Px(12, 12), clWhite);  // rotate mode with rotation off: no marks
  a->SetLocked(true);
  cad.Repaint();
  EXPECT_EQ(Px(12, 12), clGray);  // but a locked shape still shows its grey square
  cad.SetColorOfHot(clLime);
}

TEST_F(SurfacePaint, XorGhostsEraseThemselves) {
  AddBox(cad, 10, 10, 50, 30);
  cad.Repaint();
  TCanvas* c = cad.Canvas();
  c->Release();
  const QImage before = static_cast<QImage*>(c->Device())->copy();
  SetDragResizeRotateShapeMode(c);
  c->Rectangle(5, 5, 70, 60);
  c->Polyline({{0, 0}, {40, 35}, {80, 5}});
  c->Release();
  EXPECT_NE(*static_cast<QImage*>(c->Device()), before);
  SetDragResizeRotateShapeMode(c);
  c->Rectangle(5, 5, 70, 60);
  c->Polyline({{0, 0}, {40, 35}, {80, 5}});
  c->Release();
  EXPECT_EQ(*static_cast<QImage*>(c->Device()), before);
}

TEST_F(SurfacePaint, BufferCoversTheVisiblePartOnly) {
  TTestShape* box = AddBox(cad, 10, 10, 50, 30);
  box->Brush()->SetColor(clRed);
  // An A4 page at zoom 64 is tens of thousands of pixels each way; the buffer is not.
  cad.SetZoom(64);
  EXPECT_GT(cad.Width(), 50000);
  cad.Repaint();
  const QRect area = cad.BufferArea();
  EXPECT_LE(static_cast<qint64>(area.width()) * area.height(), 4096ll * 4096);
  // The buffer still shows the shape where the zoom puts it: its left side at x = 640 and its
  // fill around its centre.
  ASSERT_TRUE(area.contains(64 * 30, 64 * 20));
  EXPECT_EQ(Px(64 * 10, 64 * 20 + 10), clBlack);
  EXPECT_EQ(Px(64 * 10 - 3, 64 * 20 + 10), clWhite);
  EXPECT_EQ(Px(64 * 30, 64 * 20), clRed);

  // Shown in a small window, the buffer shrinks to what can be seen.
  QWidget window;
  window.resize(300, 200);
  cad.setParent(&window);
  cad.move(-1000, -500);
  window.show();
  cad.show();
  cad.Repaint();
  EXPECT_EQ(cad.BufferArea(), QRect(1000, 500, 300, 200));
  EXPECT_EQ(cad.Canvas()->ClipRect(), Rect(1000, 500, 1300, 700));
  cad.setParent(nullptr);
}

TEST_F(SurfacePaint, ShapeBiggerThanTheRegionIsDrawn) {
  TTestShape* big = AddBox(cad, -100, -100, 2000, 2000);
  big->Brush()->SetColor(clGreen);
  cad.Repaint();
  EXPECT_EQ(Px(300, 300), clGreen);
  EXPECT_TRUE(cad.IsShapeBigthanRegion(Rect(0, 0, 100, 100), big));
  EXPECT_FALSE(cad.IsPtinRegion(Rect(0, 0, 100, 100), big));
}

TEST_F(SurfacePaint, BackgroundPicturePlacement) {
  cad.GridOperation()->SetGridShow(false);
  TBitmap pic(100, 100);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) pic.ScanLine(y)[x] = qRgb(0, 0, 255);
  cad.SetBkBitmap(&pic);
  cad.SetBkBitmapMode(TBkBitmapMode::LeftTop);
  cad.Repaint();
  EXPECT_EQ(Px(99, 99), clBlue);
  EXPECT_EQ(Px(100, 100), clWhite);
  cad.SetBkBitmapMode(TBkBitmapMode::Center);
  cad.Repaint();
  const int l = (cad.Width() - 100) / 2, t = (cad.Height() - 100) / 2;
  EXPECT_EQ(Px(l, t), clBlue);
  EXPECT_EQ(Px(l - 1, t), clWhite);

  // A 100 x 100 picture tiled over 250 x 120 is copied 3 x 2 times.
  TBitmap target(400, 300);
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect(Rect(0, 0, 400, 300));
  cad.SetBkBitmapMode(TBkBitmapMode::Tiled);
  cad.DrawBkBitmapArea(target.Canvas(), 0, 0, 250, 120);
  EXPECT_EQ(target.Pixel(299, 199), clBlue);
  EXPECT_EQ(target.Pixel(300, 100), clWhite);
  EXPECT_EQ(target.Pixel(100, 200), clWhite);

  // A tiny picture tiled over a page zoomed far in paints only the visible tiles.
  TBitmap dot(2, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) dot.ScanLine(y)[x] = qRgb(0, 128, 0);
  cad.SetBkBitmap(&dot);
  cad.SetZoom(64);
  cad.Repaint();
  EXPECT_EQ(Px(1001, 777), clGreen);
  cad.SetZoom(1);

  TBitmap page(50, 40);
  cad.SetPrintBackground(false);
  cad.DrawBackground(&page);
  EXPECT_EQ(page.Pixel(49, 39), clWhite);
  cad.SetPrintBackground(true);
  cad.SetColorOfBackGround(clYellow);
  cad.DrawBackground(&page);
  EXPECT_EQ(page.Pixel(49, 39), clYellow);
}
