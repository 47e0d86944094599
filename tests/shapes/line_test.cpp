#include "../support.h"

#include <memory>

using namespace cad;
using testing_support::Make;
using testing_support::Near;

namespace {


// Feeds device clicks the way the surface does while a shape is being drawn; returns after
// the click the shape reports as its last.
template <typename T>
bool Click(T& S, const TPoint& P) {
  S.AddPointByMouse(P);
  return S.IsDrawingFinished(TMouseButton::mbLeft, P);
}

}  // namespace

TEST(Line, HitBandAroundEachSegment) {
  TMyCAD cad;
  auto h = Make<TMyLine>(cad, {{0, 0}, {100, 0}});
  EXPECT_TRUE(h->IsClickedMe(nullptr, Point(50, 7)));
  EXPECT_FALSE(h->IsClickedMe(nullptr, Point(50, 8)));  // the band's bottom edge is outside
  EXPECT_TRUE(h->IsClickedMe(nullptr, Point(50, -8)));
  EXPECT_FALSE(h->IsClickedMe(nullptr, Point(50, -9)));
  EXPECT_FALSE(h->IsClickedMe(nullptr, Point(100, 0)));

  auto v = Make<TMyLine>(cad, {{0, 100}, {0, 0}});
  EXPECT_TRUE(v->IsClickedMe(nullptr, Point(7, 50)));
  EXPECT_FALSE(v->IsClickedMe(nullptr, Point(8, 50)));
  EXPECT_TRUE(v->IsClickedMe(nullptr, Point(-8, 50)));

  auto flat = Make<TMyLine>(cad, {{0, 0}, {100, 50}});
  EXPECT_TRUE(flat->IsClickedMe(nullptr, Point(40, 28)));
  EXPECT_FALSE(flat->IsClickedMe(nullptr, Point(40, 29)));
  EXPECT_TRUE(flat->IsClickedMe(nullptr, Point(40, 12)));
  EXPECT_FALSE(flat->IsClickedMe(nullptr, Point(40, 11)));
  EXPECT_FALSE(flat->IsClickedMe(nullptr, Point(101, 50)));  // outside the bounding box

  auto steep = Make<TMyLine>(cad, {{0, 0}, {50, 100}});
  EXPECT_TRUE(steep->IsClickedMe(nullptr, Point(28, 40)));
  EXPECT_FALSE(steep->IsClickedMe(nullptr, Point(29, 40)));

  // Device pixels: at zoom 2 the band is still 8 pixels.
  cad.SetZoom(2);
  EXPECT_TRUE(h->IsClickedMe(nullptr, Point(150, 7)));
  EXPECT_FALSE(h->IsClickedMe(nullptr, Point(150, 8)));

  // A chain is hit on any segment; a polygon only inside its region, with no band.
  cad.SetZoom(1);
  auto chain = Make<TMyPolyLine>(cad, {{0, 0}, {100, 0}, {100, 100}});
  EXPECT_TRUE(chain->IsClickedMe(nullptr, Point(104, 60)));
  EXPECT_FALSE(chain->IsClickedMe(nullptr, Point(50, 50)));
  auto poly = Make<TMyPolygon>(cad, {{0, 0}, {100, 0}, {100, 100}, {0, 0}});
  EXPECT_TRUE(poly->IsClickedMe(nullptr, Point(80, 50)));
  EXPECT_FALSE(poly->IsClickedMe(nullptr, Point(20, 50)));
  EXPECT_FALSE(poly->IsClickedMe(nullptr, Point(50, -2)));
}

TEST(Line, ArrowHeads) {
  TMyCAD cad;
  auto l = Make<TMyLine>(cad, {{0, 0}, {100, 0}});
  l->SetArrowStyle(TArrowStyle::ADouble);
  l->SetArrowAngle(30);
  l->SetArrowLength(10);
  l->SetArrowOffset(0);
  auto left = l->GetArrowHead(l->GetPointInZoom(0), l->GetPointInZoom(1));
  EXPECT_TRUE(Near(left[0], MyPoint(0, 0)));
  EXPECT_TRUE(Near(left[1], MyPoint(8.66025f, 5), 1e-3f));
  EXPECT_TRUE(Near(left[2], MyPoint(8.66025f, -5), 1e-3f));
  auto right = l->GetArrowHead(l->GetPointInZoom(1), l->GetPointInZoom(0));
  EXPECT_TRUE(Near(right[1], MyPoint(91.33975f, 5), 1e-3f));
  EXPECT_TRUE(Near(right[2], MyPoint(91.33975f, -5), 1e-3f));
  // The offset pulls the tip back along the line.
  l->SetArrowOffset(4);
  EXPECT_TRUE(Near(l->GetArrowHead(l->GetPointInZoom(0), l->GetPointInZoom(1))[0], MyPoint(4, 0)));
  // Past 255 device pixels the head keeps its proportions.
  l->SetArrowOffset(0);
  cad.SetZoom(30);
  auto big = l->GetArrowHead(l->GetPointInZoom(0), l->GetPointInZoom(1));
  EXPECT_TRUE(Near(big[1], MyPoint(259.8076f, 150), 0.05f));

  // Which ends carry a head: ALeft the last point, ARight the first.
  cad.SetZoom(1);
  auto l2 = Make<TMyLine>(cad, {{10, 20}, {110, 20}});
  l2->SetArrowAngle(30);
  l2->SetArrowLength(10);
  const struct {
    TArrowStyle Style;
    bool First, Last;
  } cases[] = {{TArrowStyle::ANone, false, false},
               {TArrowStyle::ALeft, false, true},
               {TArrowStyle::ARight, true, false},
               {TArrowStyle::ADouble, true, true}};
  for (const auto& c : cases) {
    TBitmap b(130, 40);
    l2->SetArrowStyle(c.Style);
    l2->Draw(b.Canvas());
    b.Canvas()->Release();
    EXPECT_EQ(b.Pixel(15, 21) == clBlack, c.First) << static_cast<int>(c.Style);
    EXPECT_EQ(b.Pixel(105, 21) == clBlack, c.Last) << static_cast<int>(c.Style);
    EXPECT_EQ(b.Pixel(60, 20), clBlack);
  }
}

TEST(Line, HotPointsAndResizing) {
  TMyCAD cad;
  auto l = Make<TMyLine>(cad, {{10, 10}, {15, 10}});
  // HotSize 4: both squares contain (12, 10); the higher index wins.
  EXPECT_EQ(l->InWhichHot(Point(12, 10)), 1);
  EXPECT_EQ(l->HotId, 1);
  EXPECT_EQ(l->InWhichHot(Point(7, 10)), 0);
  EXPECT_EQ(l->InWhichHot(Point(6, 10)), 0);
  EXPECT_EQ(l->InWhichHot(Point(14, 10)), 1);
  EXPECT_EQ(l->InWhichHot(Point(40, 40)), -1);

  cad.SetZoom(2);
  l->HotId = 1;
  l->SizeChangeValue(MyPoint(30, 20), MyPoint(50, 40));
  EXPECT_EQ(l->Points, (TArrMyPoint{{10, 10}, {25, 20}}));
  EXPECT_EQ(l->CenterPoint, MyPoint(17.5f, 15));
  // Without a grabbed point nothing moves.
  l->HotId = -1;
  l->SizeChangeValue(MyPoint(0, 0), MyPoint(10, 10));
  EXPECT_EQ(l->Points, (TArrMyPoint{{10, 10}, {25, 20}}));
}

TEST(Line, PolyLineFinishesOnDoubleClick) {
  TMyCAD cad;
  cad.SetArrowStyle(TArrowStyle::ADouble);
  TMyPolyLine p(&cad);
  EXPECT_EQ(p.ArrowStyle(), TArrowStyle::ANone);
  EXPECT_FALSE(Click(p, Point(0, 0)));
  EXPECT_FALSE(Click(p, Point(0, 0)));  // two points only: not yet a chain
  p.Points.pop_back();
  EXPECT_FALSE(Click(p, Point(50, 0)));
  EXPECT_FALSE(Click(p, Point(50, 40)));
  EXPECT_TRUE(Click(p, Point(50, 40)));  // the double click repeats the last point
  EXPECT_EQ(p.Points, (TArrMyPoint{{0, 0}, {50, 0}, {50, 40}}));

  // A line finishes at its second point and takes the surface's arrow settings.
  cad.SetArrowAngle(25);
  TMyLine l(&cad);
  EXPECT_EQ(l.ArrowStyle(), TArrowStyle::ADouble);
  EXPECT_EQ(l.ArrowAngle(), 25);
  EXPECT_FALSE(Click(l, Point(0, 0)));
  EXPECT_TRUE(Click(l, Point(9, 9)));

  // Appending maps the point back through the axis mode, then divides by the zoom.
  cad.SetZoom(2);
  cad.SetXYMode(TXYMode::Mode1);
  TMyPolyLine a(&cad);
  a.AppendPoint(Point(10, 20));
  EXPECT_EQ(a.Points, TArrMyPoint{MyPoint(5, (cad.Height() - 20) / 2.0f)});
}

TEST(Line, PolygonClosesAndMovesBothEnds) {
  TMyCAD cad;
  TMyPolygon p(&cad);
  EXPECT_FALSE(Click(p, Point(0, 0)));
  EXPECT_FALSE(Click(p, Point(2, 1)));  // near the first point, but only two points
  p.Points.pop_back();
  EXPECT_FALSE(Click(p, Point(100, 0)));
  EXPECT_FALSE(Click(p, Point(100, 100)));
  EXPECT_FALSE(Click(p, Point(4, 0)));  // exactly HotSize away does not close
  p.Points.pop_back();
  EXPECT_TRUE(Click(p, Point(3, -3)));
  ASSERT_EQ(p.GetPointsCount(), 4);
  EXPECT_EQ(p.Points.back(), p.Points.front());

  // The closing point lies on point 0; grabbing there takes the closing point, and either
  // end drags the other along.
  EXPECT_EQ(p.InWhichHot(Point(1, 1)), 3);
  p.SizeChangeValue(MyPoint(0, 0), MyPoint(-10, 5));
  EXPECT_EQ(p.Points.front(), MyPoint(-10, 5));
  EXPECT_EQ(p.Points.back(), MyPoint(-10, 5));
  p.HotId = 0;
  p.SizeChangeValue(MyPoint(0, 0), MyPoint(10, -5));
  EXPECT_EQ(p.Points.front(), MyPoint(0, 0));
  EXPECT_EQ(p.Points.back(), MyPoint(0, 0));
  EXPECT_EQ(p.Points[1], MyPoint(100, 0));

  // The rubber band for point 0 also draws the closing side from the moved closing point.
  TBitmap b(140, 140);
  p.HotId = 0;
  p.Sizing(b.Canvas(), Point(0, 0), Point(20, 20));
  b.Canvas()->Release();
  EXPECT_EQ(b.Pixel(60, 10), clBlack);  // on (20, 20) -> (100, 0)
  EXPECT_EQ(b.Pixel(60, 60), clBlack);  // on (20, 20) -> (100, 100), the point before the closing one
  EXPECT_EQ(b.Pixel(10, 10), clWhite);
}

TEST(Line, InfoAndClassTable) {
  TMyCAD cad;
  cad.SetUnit(TUnits::pixel);
  auto l = Make<TMyLine>(cad, {{0, 0}, {30, 40}});
  EXPECT_EQ(l->GetInfo(), QStringLiteral("    50.00 pixel(s)"));
  EXPECT_EQ(l->Info(), l->GetInfo());
  auto p = Make<TMyPolyLine>(cad, {{0, 0}, {30, 40}});
  p->SetInfo(QStringLiteral("kept"));
  EXPECT_EQ(p->GetInfo(), QString());
  EXPECT_EQ(p->Info(), QStringLiteral("kept"));

  for (const char* name : {"TMyLine", "TMyPolyLine", "TMyPolygon"}) {
    std::unique_ptr<TMyShape> s(TMyCAD::CreateShapeByName(QLatin1String(name), &cad));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->ClassName(), QLatin1String(name));
  }
  for (auto [tool, name] : {std::pair{TDrawTool::SpLine, "TMyLine"}, std::pair{TDrawTool::SpPolyLine, "TMyPolyLine"},
                            std::pair{TDrawTool::SpPolygon, "TMyPolygon"}}) {
    std::unique_ptr<TMyShape> s(cad.CreateShapeBySpTool(tool));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->ClassName(), QLatin1String(name));
  }

  // Copies carry the arrow settings.
  l->SetArrowStyle(TArrowStyle::ARight);
  l->SetArrowLength(77);
  TMyLine copy(&cad);
  copy.Assign(l.get());
  EXPECT_EQ(copy.ArrowStyle(), TArrowStyle::ARight);
  EXPECT_EQ(copy.ArrowLength(), 77);
  EXPECT_EQ(copy.Points, l->Points);
}
