#include "support.h"

using namespace cad;
using testing_support::AddBox;
using testing_support::Near;
using testing_support::TTestShape;

TEST(Shape, ConstructionDefaultsCopySurfaceStyle) {
  TMyCAD cad;
  cad.Pen()->SetColor(clRed);
  cad.Brush()->SetColor(clAqua);
  TMyShape s(&cad);
  EXPECT_EQ(s.Pen()->Color(), clRed);
  EXPECT_EQ(s.Brush()->Color(), clAqua);
  EXPECT_EQ(s.ParentNo, -1);
  EXPECT_TRUE(s.Visible());
  EXPECT_TRUE(s.CaptionShow());
  EXPECT_EQ(s.ColorBegin(), clWhite);
  EXPECT_EQ(s.ColorEnd(), clBlack);
  EXPECT_EQ(s.GradientStyle(), TGradientStyle::gsNone);
  s.SetName(QStringLiteral("Shape3"));
  EXPECT_EQ(s.Caption(), QStringLiteral("Shape3"));
  s.SetName(QStringLiteral("Other"));
  EXPECT_EQ(s.Caption(), QStringLiteral("Shape3"));
  // The shape keeps its own pen: changing the surface's later does not reach it.
  cad.Pen()->SetColor(clLime);
  EXPECT_EQ(s.Pen()->Color(), clRed);
}

TEST(Shape, PointAccessorsDivideByZoom) {
  TMyCAD cad;
  cad.SetZoom(2);
  TMyShape s(&cad);
  s.AddPoint(MyPoint(10, 20));
  EXPECT_EQ(s.GetPoint(0), MyPoint(5, 10));
  EXPECT_EQ(s.GetPointInZoom(0), MyPoint(10, 20));
  EXPECT_EQ(s.GetPoint(1), MyPoint(0, 0));
  EXPECT_EQ(s.GetPoint(-1), MyPoint(0, 0));
  EXPECT_EQ(s.GetPointInZoomWithMode(5), Point(0, 0));
  s.PointAddXY(0, 4, -4);
  EXPECT_EQ(s.GetPoint(0), MyPoint(7, 8));
  s.SetPointInZoom(0, MyPoint(2, 2));
  EXPECT_EQ(s.GetPoint(0), MyPoint(1, 1));
  cad.SetXYMode(TXYMode::Mode2);
  EXPECT_EQ(s.GetPointInZoomWithMode(0), Point(cad.Width() - 2, cad.Height() - 2));
  s.AddLinkPoint(MyPoint(8, 8));
  EXPECT_EQ(s.GetLinkPoint(0), MyPoint(4, 4));
  EXPECT_EQ(s.GetLinkPoint(3), MyPoint(0, 0));
}

TEST(Shape, LengthLabelInEveryUnit) {
  TMyCAD cad;
  TMyShape s(&cad);
  const TPoint a = Point(0, 0), b = Point(96, 0);
  cad.SetUnit(TUnits::inch);
  EXPECT_EQ(s.GetLengthByUnit(a, b), QStringLiteral("     1.00 in"));
  cad.SetUnit(TUnits::mm);
  EXPECT_EQ(s.GetLengthByUnit(a, b), QStringLiteral("    25.40 mm"));
  cad.SetUnit(TUnits::cm);
  EXPECT_EQ(s.GetLengthByUnit(a, b), QStringLiteral("     2.54 cm"));
  cad.SetUnit(TUnits::dm);
  EXPECT_EQ(s.GetLengthByUnit(a, b), QStringLiteral("     0.25 dm"));
  cad.SetUnit(TUnits::m);
  EXPECT_EQ(s.GetLengthByUnit(a, b), QStringLiteral("     0.03 m"));
  cad.SetUnit(TUnits::pixel);
  EXPECT_EQ(s.GetLengthByUnit(a, b), QStringLiteral("    96.00 pixel(s)"));
  // Zoom shrinks and the scale ratio grows real lengths.
  cad.SetUnit(TUnits::mm);
  cad.SetZoom(2);
  EXPECT_EQ(s.GetLengthByUnit(Point(0, 0), Point(96, 0)), QStringLiteral("    12.70 mm"));
  cad.SetRatio(10);
  EXPECT_EQ(s.GetLengthByUnit(Point(0, 0), Point(0, 96)), QStringLiteral("   127.00 mm"));
}

TEST(Shape, MovingRotatingAndScaling) {
  TMyCAD cad;
  TMyShape s(&cad);
  s.Points = {{0, 0}, {10, 0}};
  s.CenterPoint = MyPoint(5, 0);
  s.TextPoint = MyPoint(5, 10);
  s.DragChangeValuedxdy(0, 0);
  EXPECT_EQ(s.CenterPoint, MyPoint(5, 0));
  cad.SetZoom(2);
  s.DragChangeValuedxdy(10, 0);
  EXPECT_EQ(s.Points[0], MyPoint(5, 0));
  EXPECT_EQ(s.CenterPoint, MyPoint(10, 0));
  EXPECT_EQ(s.TextPoint, MyPoint(10, 10));
  s.DragChangeValue(Point(0, 0), Point(0, 4));
  EXPECT_EQ(s.Points[1], MyPoint(15, 2));

  TMyShape empty(&cad);
  empty.RotateChangeValueByAngle(MyPoint(0, 0), 1.0);
  EXPECT_EQ(empty.Angle(), 0.0f);

  TMyShape r(&cad);
  r.Points = {{10, 0}};
  r.RotateChangeValueByAngle(MyPoint(0, 0), M_PI / 2);
  EXPECT_TRUE(Near(r.Points[0], MyPoint(0, 10)));
  EXPECT_FLOAT_EQ(r.Angle(), static_cast<float>(M_PI / 2));
  r.RotateChangeValueByAngle(MyPoint(0, 0), 7.0);  // the angle is normalised after each turn
  EXPECT_LT(r.Angle(), 2 * M_PI);

  TMyShape box(&cad);
  box.Points = {{0, 0}, {10, 0}, {10, 20}, {0, 20}};
  box.TextPoint = MyPoint(5, 30);
  box.SizeChangeValueByScale(2, 0.5, MyPoint(0, 0), MyPoint(5, 10), MyPoint(99, 99));
  EXPECT_TRUE(Near(box.Points[2], MyPoint(20, 10)));
  EXPECT_TRUE(Near(box.TextPoint, MyPoint(10, 15)));
  EXPECT_TRUE(Near(box.CenterPoint, MyPoint(10, 5)));
  EXPECT_FLOAT_EQ(box.GetWidth(), 20);
  EXPECT_FLOAT_EQ(box.GetHeight(), 10);
}

TEST(Shape, UnrotatedSizeOfATurnedBox) {
  TMyShape s(nullptr);
  s.Points = {{0, 0}, {40, 0}, {40, 10}, {0, 10}};
  s.CenterPoint = s.ComputeCenterPoint();
  s.RotateChangeValueByAngle(s.CenterPoint, M_PI / 6);
  EXPECT_NEAR(s.GetWidth(), 40 * std::cos(M_PI / 6) + 10 * std::sin(M_PI / 6), 1e-3);
  EXPECT_FLOAT_EQ(s.GetMyWidth(), 40);
  EXPECT_FLOAT_EQ(s.GetMyHeight(), 10);
}

TEST(Shape, FlippingTwiceRestores) {
  TMyCAD cad;
  TTestShape* s = AddBox(cad, 10, 10, 50, 30);
  s->Points[1] = MyPoint(60, 10);
  s->CenterPoint = MyPoint(30, 20);
  const TArrMyPoint before = s->Points;
  s->RotateChangeValueByAngle(s->CenterPoint, 0.5);
  const TArrMyPoint turned = s->Points;
  const float a = s->Angle();
  s->FlipHoriz();
  EXPECT_TRUE(s->IsFlipHorz());
  EXPECT_FLOAT_EQ(s->Angle(), static_cast<float>(M_PI - a));
  EXPECT_TRUE(Near(s->Points[0], MyPoint(60 - turned[0].X, turned[0].Y)));
  s->FlipHoriz();
  EXPECT_FALSE(s->IsFlipHorz());
  EXPECT_NEAR(s->Angle(), a, 1e-6);
  for (size_t i = 0; i < turned.size(); ++i) EXPECT_TRUE(Near(s->Points[i], turned[i]));
  s->FlipVert();
  EXPECT_NEAR(s->Angle(), -a, 1e-6);
  EXPECT_TRUE(Near(s->Points[0], MyPoint(turned[0].X, 40 - turned[0].Y)));
  (void)before;

  // Assigning the flag flips once when it changes and not at all when it does not.
  TTestShape* t = AddBox(cad, 0, 0, 10, 10);
  t->Points[0] = MyPoint(-10, 0);
  t->CenterPoint = MyPoint(0, 5);
  t->SetIsFlipHorz(false);
  EXPECT_EQ(t->Points[0], MyPoint(-10, 0));
  t->SetIsFlipHorz(true);
  EXPECT_TRUE(t->IsFlipHorz());
  EXPECT_EQ(t->Points[0], MyPoint(10, 0));
  t->SetIsFlipHorz(true);
  EXPECT_EQ(t->Points[0], MyPoint(10, 0));
}

TEST(Shape, AngleSetterTurnsAboutTheCentre) {
  TMyCAD cad;
  TTestShape* s = AddBox(cad, 0, 0, 20, 10);
  s->SetAngle(static_cast<float>(M_PI / 2));
  EXPECT_FLOAT_EQ(s->Angle(), static_cast<float>(M_PI / 2));
  EXPECT_TRUE(Near(s->CenterPoint, MyPoint(10, 5)));
  EXPECT_TRUE(Near(s->Points[0], MyPoint(15, -5), 1e-3f));
  TMyShape bare(&cad);
  bare.SetAngle(1.25f);
  EXPECT_FLOAT_EQ(bare.Angle(), 1.25f);
}

TEST(Shape, AssignCopiesAllButIdentityOfTheComponent) {
  TMyCAD cad;
  TTestShape* a = AddBox(cad, 0, 0, 10, 10);
  a->SetTag(7);
  a->SetInfo(QStringLiteral("info"));
  a->SetCaption(QStringLiteral("cap"));
  a->SetVisible(false);
  a->SetCaptionShow(false);
  a->Pen()->SetColor(clRed);
  a->ChildShapes = {3, 4};
  a->LinkShapes = {5};
  a->ParentNo = 2;
  a->LinkPoints = {{1, 1}};
  a->TextPoint = MyPoint(3, 4);
  a->SetColorBegin(clBlue);
  a->SetGradientStyle(TGradientStyle::gsLinearV);

  TTestShape b(&cad);
  b.SetName(QStringLiteral("B"));
  b.Assign(a);
  EXPECT_EQ(b.Tag(), 7);
  EXPECT_EQ(b.Info(), QStringLiteral("info"));
  EXPECT_EQ(b.Caption(), QStringLiteral("cap"));
  EXPECT_EQ(b.Name(), QStringLiteral("B"));
  EXPECT_FALSE(b.Visible());      // stored with the shape, so it travels with the copy
  EXPECT_TRUE(b.CaptionShow());   // not stored: the copy keeps its own
  EXPECT_EQ(b.Pen()->Color(), clRed);
  EXPECT_EQ(b.ChildShapes, (TMyShapeNo{3, 4}));
  EXPECT_EQ(b.ParentNo, 2);
  EXPECT_EQ(b.Points, a->Points);
  EXPECT_EQ(b.LinkPoints, a->LinkPoints);
  EXPECT_EQ(b.TextPoint, MyPoint(3, 4));
  EXPECT_EQ(b.CenterPoint, MyPoint(5, 5));
  EXPECT_EQ(b.HotId, -1);
  EXPECT_EQ(b.GradientBitmap.Image(), a->GradientBitmap.Image());

  TTestShape c(&cad);
  c.ChildShapes = {9};
  c.ParentNo = -1;
  c.AssignWithoutRelation(a);
  EXPECT_EQ(c.ChildShapes, (TMyShapeNo{9}));
  EXPECT_EQ(c.ParentNo, -1);
  EXPECT_EQ(c.Tag(), 7);

  const TArrMyPoint pts = a->Points;
  a->Assign(a);
  EXPECT_EQ(a->Points, pts);
  EXPECT_EQ(a->ChildShapes, (TMyShapeNo{3, 4}));
}

TEST(Shape, LinkPointHitTestAndHighlight) {
  TMyCAD cad;
  cad.SetZoom(1);
  TTestShape* s = AddBox(cad, 0, 0, 100, 100);
  s->LinkPoints = {{50, 50}, {80, 50}};
  cad.Repaint();
  EXPECT_EQ(s->InWhichLinkHot(MyPoint(45, 45)), 0);  // exactly 5 left and above: inside
  EXPECT_EQ(s->InWhichLinkHot(MyPoint(55, 50)), -1);  // exactly 5 right: outside
  EXPECT_EQ(s->InWhichLinkHot(MyPoint(50, 55)), -1);
  EXPECT_EQ(s->LinkHotId, -1);
  ASSERT_NE(cad.Canvas()->Device(), nullptr);
  const QImage clean = static_cast<QImage*>(cad.Canvas()->Device())->copy();
  cad.Canvas()->Release();
  EXPECT_EQ(s->InWhichLinkHot(MyPoint(80, 52)), 1);
  EXPECT_EQ(s->LinkHotId, 1);
  cad.Canvas()->Release();
  EXPECT_NE(*static_cast<QImage*>(cad.Canvas()->Device()), clean);
  EXPECT_EQ(s->InWhichLinkHot(MyPoint(200, 200)), -1);  // leaving erases the highlight
  cad.Canvas()->Release();
  EXPECT_EQ(*static_cast<QImage*>(cad.Canvas()->Device()), clean);
}

// No link point is highlighted until the pointer has been over one: the first hover far from
// every link point leaves the picture alone, and the first hover on link point 0 highlights it.
TEST(Shape, NoLinkHighlightBeforeTheFirstHover) {
  TMyCAD cad;
  cad.SetZoom(1);
  TTestShape* s = AddBox(cad, 0, 0, 100, 100);
  s->LinkPoints = {{20, 30}, {80, 50}};
  cad.Repaint();
  auto picture = [&] {
    cad.Canvas()->Release();
    return static_cast<QImage*>(cad.Canvas()->Device())->copy();
  };
  const QImage before = picture();
  ASSERT_FALSE(before.isNull());

  EXPECT_EQ(s->InWhichLinkHot(MyPoint(300, 300)), -1);
  EXPECT_EQ(picture(), before);

  EXPECT_EQ(s->InWhichLinkHot(MyPoint(21, 29)), 0);
  EXPECT_EQ(s->LinkHotId, 0);
  const QImage lit = picture();
  // Every changed pixel belongs to the red square around (20, 30), and it shows.
  QRect changed;
  for (int y = 0; y < lit.height(); ++y)
    for (int x = 0; x < lit.width(); ++x)
      if (lit.pixel(x, y) != before.pixel(x, y)) changed |= QRect(x, y, 1, 1);
  ASSERT_FALSE(changed.isEmpty());
  EXPECT_TRUE(QRect(20 - 6, 30 - 6, 13, 13).contains(changed)) << changed.x() << "," << changed.y() << " "
                                                               << changed.width() << "x" << changed.height();
  EXPECT_EQ(FromQRgb(lit.pixel(15, 30)), clRed);
}

TEST(Shape, TextPointHitAndMagicPoint) {
  TMyCAD cad;
  TTestShape* s = AddBox(cad, 10, 10, 50, 30);
  EXPECT_EQ(s->TextPoint, MyPoint(30, 40));
  EXPECT_TRUE(s->InTextPointHot(Point(26, 36)));
  EXPECT_FALSE(s->InTextPointHot(Point(34, 40)));
  EXPECT_TRUE(s->InTextPointHot(Point(33, 43)));

  cad.SetZoom(2);
  // Nearest the left side: 25 x zoom left of it, same height.
  EXPECT_EQ(s->GetMagicPoint(s, MyPoint(24, 40)), MyPoint(20 - 50, 40));
  EXPECT_EQ(s->GetMagicPoint(s, MyPoint(98, 40)), MyPoint(100 + 50, 40));
  EXPECT_EQ(s->GetMagicPoint(s, MyPoint(50, 22)), MyPoint(50, 20 - 50));
  EXPECT_EQ(s->GetMagicPoint(s, MyPoint(50, 59)), MyPoint(50, 60 + 50));
}

TEST(Shape, RotatedAngleBetweenMousePositions) {
  TMyShape s(nullptr);
  const TMyPoint c = MyPoint(0, 0);
  EXPECT_NEAR(static_cast<double>(s.GetRotatedAngle(MyPoint(10, 0), MyPoint(10, 0), c)), 0, 1e-12);
  const long double eighth = s.GetRotatedAngle(MyPoint(-10, 0), MyPoint(-10, -10), c);
  EXPECT_NEAR(static_cast<double>(eighth), M_PI / 4, 1e-9);
  EXPECT_NEAR(static_cast<double>(s.GetRotatedAngle(MyPoint(-10, -10), MyPoint(-10, 0), c)), -M_PI / 4, 1e-9);
  // Straight below the centre counts as a quarter turn on the positive side.
  EXPECT_NEAR(static_cast<double>(s.GetRotatedAngle(MyPoint(10, 0), MyPoint(0, 10), c)), M_PI / 2 - M_PI, 1e-9);
}

TEST(Shape, GradientRampAndPatterns) {
  TMyShape s(nullptr);
  s.SetColorBegin(clBlack);
  s.SetColorEnd(clWhite);
  s.SetGradientStyle(TGradientStyle::gsLinearV);
  ASSERT_EQ(s.GradientBitmap.Width(), 256);
  ASSERT_EQ(s.GradientBitmap.Height(), 1);
  EXPECT_EQ(s.GradientBitmap.Pixel(128, 0), RGB(128, 128, 128));
  EXPECT_EQ(s.GradientBitmap.Pixel(255, 0), clWhite);
  EXPECT_EQ(s.GradientBitmap.Pixel(0, 0), clBlack);

  // A falling channel truncates toward zero: 255 + (1 * -255) / 255 = 254, never 255 - 1.0 rounded.
  s.SetColorBegin(RGB(255, 0, 10));
  s.SetColorEnd(RGB(0, 255, 0));
  EXPECT_EQ(s.GradientBitmap.Pixel(1, 0), RGB(254, 1, 10));
  EXPECT_EQ(s.GradientBitmap.Pixel(128, 0), RGB(255 - 128, 128, 10 - 5));

  struct Case {
    TGradientStyle style;
    int w, h, x, y, index;
  };
  const Case cases[] = {
      {TGradientStyle::gsRadialC, 362, 362, 180, 180, 0},  {TGradientStyle::gsRadialC, 362, 362, 181, 180, 0},
      {TGradientStyle::gsRadialC, 362, 362, 0, 0, 255},    {TGradientStyle::gsRadialT, 362, 181, 181, 3, 3},
      {TGradientStyle::gsRadialL, 181, 362, 4, 181, 4},    {TGradientStyle::gsRadialBR, 181, 181, 177, 176, 5},
      {TGradientStyle::gsLinearH, 1, 256, 0, 77, 77},      {TGradientStyle::gsReflectedH, 1, 512, 0, 511, 255},
      {TGradientStyle::gsReflectedV, 512, 1, 256, 0, 0},   {TGradientStyle::gsDiagonalLF, 128, 129, 0, 128, 255},
      {TGradientStyle::gsDiagonalLB, 128, 129, 127, 128, 255}, {TGradientStyle::gsDiagonalRF, 256, 256, 10, 250, 240},
      {TGradientStyle::gsDiagonalRB, 256, 256, 0, 0, 255}, {TGradientStyle::gsArrowL, 129, 256, 0, 0, 255},
      {TGradientStyle::gsArrowR, 129, 256, 128, 255, 255}, {TGradientStyle::gsArrowU, 256, 129, 200, 100, 100},
      {TGradientStyle::gsArrowD, 256, 129, 0, 128, 255},   {TGradientStyle::gsDiamond, 256, 256, 255, 255, 255},
      {TGradientStyle::gsDiamond, 256, 256, 0, 0, 255},    {TGradientStyle::gsButterfly, 256, 256, 127, 0, 255},
      {TGradientStyle::gsButterfly, 256, 256, 128, 255, 255},
  };
  s.SetColorBegin(clBlack);
  s.SetColorEnd(RGB(255, 0, 0));
  for (const Case& k : cases) {
    s.SetGradientStyle(k.style);
    ASSERT_EQ(s.GradientBitmap.Width(), k.w) << static_cast<int>(k.style);
    ASSERT_EQ(s.GradientBitmap.Height(), k.h) << static_cast<int>(k.style);
    EXPECT_EQ(GetRValue(s.GradientBitmap.Pixel(k.x, k.y)), k.index) << static_cast<int>(k.style);
  }
  // gsNone leaves the last picture alone.
  const QImage last = s.GradientBitmap.Image();
  s.SetGradientStyle(TGradientStyle::gsNone);
  EXPECT_EQ(s.GradientBitmap.Image(), last);
}

TEST(Shape, GroupPassesStyleToMembers) {
  TMyCAD cad;
  TTestShape* a = AddBox(cad, 0, 0, 10, 10);
  TTestShape* b = AddBox(cad, 20, 0, 30, 10);
  TTestShape* g = AddBox(cad, 0, 0, 30, 10);
  g->ChildShapes = {a->ShapeNo, b->ShapeNo};
  a->ParentNo = b->ParentNo = g->ShapeNo;
  g->Pen()->SetColor(clFuchsia);
  g->Brush()->SetColor(clTeal);
  g->SetColorEnd(clRed);
  EXPECT_EQ(a->Pen()->Color(), clFuchsia);
  EXPECT_EQ(b->Brush()->Color(), clTeal);
  EXPECT_EQ(b->ColorEnd(), clRed);
  cad.SetLoading(true);
  g->Pen()->SetColor(clOlive);
  EXPECT_EQ(a->Pen()->Color(), clFuchsia);
  cad.SetLoading(false);
}

TEST(Shape, LinkListBookkeeping) {
  TMyShape s(nullptr);
  AddLinklineShape(&s, 4);
  AddLinklineShape(&s, 4);
  AddLinklineShape(&s, 7);
  EXPECT_EQ(s.LinkShapes, (TMyShapeNo{4, 7}));
  s.LinkShapes = {4, 7, 4};
  RemoveLinklineShape(&s, 4);
  EXPECT_EQ(s.LinkShapes, (TMyShapeNo{4, 7}));
  RemoveLinklineShape(&s, 9);
  EXPECT_EQ(s.LinkShapes, (TMyShapeNo{4, 7}));
  s.TextPoint = MyPoint(1, 1);
  s.Points = {{0, 0}};
  s.LinkPoints = {{2, 2}};
  OffsetAllPoints(&s, 3, 4);
  EXPECT_EQ(s.Points[0], MyPoint(3, 4));
  EXPECT_EQ(s.LinkPoints[0], MyPoint(5, 6));
  EXPECT_EQ(s.TextPoint, MyPoint(4, 5));
  RemoveAllPoints(&s);
  EXPECT_TRUE(s.Points.empty());
  EXPECT_EQ(s.LinkPoints.size(), 1u);
}
