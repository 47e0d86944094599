// Connector shapes: route normalisation, hand editing, style switching, the jumps of
// CrossLine and their crossing index, the link points, and the stream records.
#include "recordbytes.h"
#include "../support.h"

#include <QImage>
#include <algorithm>
#include <memory>
#include <random>

using namespace cad;
using testing_support::Make;
using testing_support::Bytes;
using testing_support::DefaultStyleFields;
using testing_support::Near;

namespace {


// Adds a shape to the surface the way the surface's own adding calls do.
template <typename T>
T* Add(TMyCAD& Cad, T* S) {
  S->ShapeId = Cad.NextShapeId();
  S->SetName(QStringLiteral("Shape") + QString::number(S->ShapeId));
  if (!Cad.AddShape(S, false, false)) {
    delete S;
    return nullptr;
  }
  S->ShapeNo = Cad.GetShapesCount() - 1;
  return S;
}

TMyLinkLine* AddLink(TMyCAD& Cad, std::initializer_list<TMyPoint> Pts) {
  auto* l = new TMyLinkLine(&Cad);
  l->Points = Pts;
  return Add(Cad, l);
}

// A box from (0,0) to (40,40) with one link point in the middle of its right side.
TMyRectangle* AddBoxWithLinkPoint(TMyCAD& Cad) {
  auto* r = new TMyRectangle(&Cad);
  r->Points = {{0, 0}, {40, 0}, {40, 40}, {0, 40}};
  r->LinkPoints = {{40, 20}};
  return Add(Cad, r);
}

TArrMyPoint PointsOf(const TMyShape& S) { return S.Points; }

QByteArray Saved(TMyShape& S) {
  TMemoryStream m;
  S.SaveToStream(m);
  return m.Data();
}

// A connector record of generation "ZK.4" / "ZK.5" (the two lay the common record out alike:
// ten-byte reals, the reserved pair, two bytes after the gradient style, no user data, no
// flags), written from the format tables, followed by one byte that only "ZK.5" reads as the
// draw style.
QByteArray OldLinkRecord(uint8_t StyleByte) {
  Bytes b;
  b.str("Shape5").i32(5).i32(2).i32(0).i32(-1)  // name, id, number, layer, no parent
      .i32(0).i32(0)                            // no members, no links
      .i32(0).i32(0)                            // no points, no link points
      .zeros(20)                                // text point: two extended zeros
      .i32(0)                                   // tag
      .zeros(10)                                // angle: extended zero
      .i64(0).i32(0xFFFFFF).u8(0)               // no brush bitmap, brush white solid
      .str("")                                  // caption
      .i32(0xFFFFFF).i32(0)                     // gradient colours
      .str("Arial").u8(1).i32(0).i32(-11).i32(8).u8(0).i32(0).u8(0)  // font
      .i32(0).i32(0)                            // reserved pair
      .u8(23).u8(0).u8(0)                       // gsNone, two extra bytes
      .str("")                                  // info
      .i32(0).u8(4).u8(0).i32(1)                // pen
      .i32(10).u8(30).u8(0).u8(0)               // arrow angle, length, offset, style
      .i32(1).i32(0).i32(3).i32(2)              // start 1 / link point 0, end 3 / link point 2
      .u8(StyleByte);
  return b.Data;
}

// The surface's pixels after a full paint, at zoom 1 with no grid.
class LinkLinePaint : public ::testing::Test {
protected:
  void SetUp() override {
    cad.SetZoom(1);
    cad.SetShapeTool(TDrawTool::SpSelecting);
    cad.GridOperation()->SetGridType(TGridType::gNone);
  }
  bool Black(int x, int y) { return cad.Canvas()->Pixel(x, y) == clBlack; }
  bool NearBlack(int x, int y) { return Black(x, y - 1) || Black(x, y) || Black(x, y + 1); }
  TMyCAD cad;
};

}  // namespace

// ---- Geometry helpers ----

TEST(LinkLine, ClassifiesAndSplitsSegments) {
  EXPECT_EQ(TMyLinkLine::IsLineHV(MyPoint(0, 0), MyPoint(10, 10)), 1);  // a tie counts as horizontal
  EXPECT_EQ(TMyLinkLine::IsLineHV(MyPoint(0, 0), MyPoint(9, 10)), 2);
  TMyPoint m;
  TMyLinkLine::SplitALine(MyPoint(10, 5), MyPoint(30, 7), m);
  EXPECT_EQ(m, MyPoint(20, 5));
  TMyLinkLine::SplitALine(MyPoint(10, 5), MyPoint(12, 45), m);
  EXPECT_EQ(m, MyPoint(10, 25));
}

TEST(LinkLine, ConstructorDefaultsAndStyleFromSurface) {
  TMyCAD cad;
  TMyLinkLine a(&cad);
  EXPECT_EQ(a.StartSpNo(), -1);
  EXPECT_EQ(a.StartSpPtId(), -1);
  EXPECT_EQ(a.EndSpNo(), -1);
  EXPECT_EQ(a.EndSpPtId(), -1);
  EXPECT_EQ(a.JumpRadius(), 8);
  EXPECT_TRUE(a.Reroute());
  EXPECT_EQ(a.LinkLineDrawStyle(), TLinkLineDrawStyle::lldsHV);
  cad.SetLinkLineDrawStyle(TLinkLineDrawStyle::lldsFree);
  TMyLinkLine b(&cad);
  EXPECT_EQ(b.LinkLineDrawStyle(), TLinkLineDrawStyle::lldsFree);
}

// ---- MergePoints ----

TEST(LinkLine, MergeDropsRepeatedPoints) {
  TMyCAD cad;
  auto l = Make<TMyLinkLine>(cad, {{0, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 100}, {100, 100}});
  l->MergePoints();
  EXPECT_EQ(PointsOf(*l), (TArrMyPoint{{0, 0}, {100, 0}, {100, 100}}));
  // Fewer than two points: nothing at all.
  auto one = Make<TMyLinkLine>(cad, {{5, 5}});
  one->MergePoints();
  EXPECT_EQ(PointsOf(*one), (TArrMyPoint{{5, 5}}));
}

TEST(LinkLine, MergeStraightensNearlyCollinearCorners) {
  TMyCAD cad;
  // (105,50) lies within 10 of the X of both neighbours: it goes, and the following point takes
  // the X of the previous one.
  auto l = Make<TMyLinkLine>(cad, {{0, 0}, {100, 0}, {105, 50}, {98, 100}, {200, 100}});
  l->MergePoints();
  EXPECT_EQ(PointsOf(*l), (TArrMyPoint{{0, 0}, {100, 0}, {100, 100}, {200, 100}}));

  // The same along Y.
  auto h = Make<TMyLinkLine>(cad, {{0, 0}, {0, 100}, {50, 104}, {100, 97}, {100, 200}});
  h->MergePoints();
  EXPECT_EQ(PointsOf(*h), (TArrMyPoint{{0, 0}, {0, 100}, {100, 100}, {100, 200}}));

  // With the end attached, the last point stays where it is and the previous point takes its X.
  auto e = Make<TMyLinkLine>(cad, {{0, 0}, {100, 0}, {105, 50}, {98, 100}});
  e->CreateDestLink(7, 0);
  e->MergePoints();
  EXPECT_EQ(PointsOf(*e), (TArrMyPoint{{0, 0}, {98, 0}, {98, 100}}));

  // Corners farther off than 10 stay.
  auto keep = Make<TMyLinkLine>(cad, {{0, 0}, {100, 0}, {111, 50}, {100, 100}});
  keep->MergePoints();
  EXPECT_EQ(keep->GetPointsCount(), 4);
}

TEST(LinkLine, MergeLeavesShortRoutesBetweenTwoShapes) {
  TMyCAD cad;
  auto l = Make<TMyLinkLine>(cad, {{0, 0}, {100, 0}, {105, 50}, {98, 100}});
  l->CreateSrcLink(1, 0);
  l->CreateDestLink(2, 0);
  l->MergePoints();
  EXPECT_EQ(PointsOf(*l), (TArrMyPoint{{0, 0}, {100, 0}, {105, 50}, {98, 100}}));
  // Repeats still go first; four points remain, so nothing else changes.
  auto d = Make<TMyLinkLine>(cad, {{0, 0}, {0, 0}, {100, 0}, {105, 50}, {98, 100}});
  d->CreateSrcLink(1, 0);
  d->CreateDestLink(2, 0);
  d->MergePoints();
  EXPECT_EQ(PointsOf(*d), (TArrMyPoint{{0, 0}, {100, 0}, {105, 50}, {98, 100}}));
  // Five points between two shapes are normalised.
  auto f = Make<TMyLinkLine>(cad, {{0, 0}, {100, 0}, {105, 50}, {98, 100}, {200, 100}});
  f->CreateSrcLink(1, 0);
  f->CreateDestLink(2, 0);
  f->MergePoints();
  EXPECT_EQ(f->GetPointsCount(), 4);
}

TEST(LinkLine, MergeOfANormalRouteChangesNothing) {
  TMyCAD cad;
  auto l = Make<TMyLinkLine>(cad, {{0, 0}, {100, 0}, {100, 100}, {200, 100}});
  const uint64_t before = l->Revision();
  l->MergePoints();
  EXPECT_EQ(l->Revision(), before);  // not even touched: paints run it on every connector
}

// ---- Hot points and cursors ----

TEST(LinkLine, HotPointsThenSegmentHandles) {
  TMyCAD cad;
  auto l = Make<TMyLinkLine>(cad, {{0, 0}, {0, 50}, {100, 50}, {100, 100}});
  EXPECT_EQ(l->InWhichHot(Point(1, 49)), 1);
  EXPECT_EQ(l->InWhichHot(Point(50, 50)), 4 + 1);  // midpoint of segment 1
  EXPECT_EQ(l->HotId, 5);
  EXPECT_EQ(l->InWhichHot(Point(50, 60)), -1);
  EXPECT_EQ(l->HotId, -1);
  // A segment's handle wins over the points around it.
  auto s = Make<TMyLinkLine>(cad, {{0, 0}, {6, 0}});
  EXPECT_EQ(s->InWhichHot(Point(3, 0)), 2);

  EXPECT_EQ(l->GetMouseCursor(0, 50), crSizeAll);
  EXPECT_EQ(l->GetMouseCursor(50, 50), crSizeNS);  // a horizontal segment moves up and down
  EXPECT_EQ(l->GetMouseCursor(0, 25), crSizeWE);   // a vertical one left and right
  EXPECT_EQ(l->GetMouseCursor(50, 70), crDefault);

  cad.SetShapeTool(TDrawTool::SpRotateSelecting);
  EXPECT_EQ(l->InWhichHot(Point(50, 50)), -1);
}

// ---- Hand editing ----

TEST(LinkLine, DraggingASegmentHandleMovesTheSegment) {
  TMyCAD cad;
  cad.SetZoom(1);
  auto l = Make<TMyLinkLine>(cad, {{0, 0}, {0, 50}, {100, 50}, {100, 100}});
  ASSERT_EQ(l->InWhichHot(Point(50, 50)), 5);
  l->SizeChangeValue(MyPoint(50, 50), MyPoint(57, 80));
  EXPECT_EQ(PointsOf(*l), (TArrMyPoint{{0, 0}, {0, 80}, {100, 80}, {100, 100}}));
  EXPECT_FALSE(l->Reroute());  // shaped by hand

  // A vertical segment moves by the X offset only; at zoom 2 in device pixels.
  cad.SetZoom(2);
  ASSERT_EQ(l->InWhichHot(Point(200, 180)), 4 + 2);
  l->SizeChangeValue(MyPoint(200, 180), MyPoint(240, 150));
  EXPECT_EQ(PointsOf(*l), (TArrMyPoint{{0, 0}, {0, 80}, {120, 80}, {120, 100}}));
  EXPECT_TRUE(Near(l->CenterPoint, MyPoint(60, 50)));
}

TEST(LinkLine, DraggingARoutePointDrawsItsNeighboursAlong) {
  TMyCAD cad;
  cad.SetZoom(1);
  auto l = Make<TMyLinkLine>(cad, {{0, 0}, {100, 0}, {100, 100}, {200, 100}});
  l->HotId = 1;
  l->SizeChangeValue(MyPoint(100, 0), MyPoint(120, 30));
  // Point 0 follows along the horizontal segment (Y), point 2 along the vertical one (X).
  EXPECT_EQ(PointsOf(*l), (TArrMyPoint{{0, 30}, {120, 30}, {120, 100}, {200, 100}}));
}

TEST(LinkLine, EveryDragOfAnInnerHandleKeepsTheHandShapedRoute) {
  TMyCAD cad;
  cad.SetZoom(1);
  for (const TMyPoint& to : {MyPoint(50, 20), MyPoint(40, 50), MyPoint(60, 50), MyPoint(50, 80)}) {
    auto l = Make<TMyLinkLine>(cad, {{0, 0}, {0, 50}, {100, 50}, {100, 100}});
    l->HotId = 5;
    l->SizeChangeValue(MyPoint(50, 50), to);
    EXPECT_FALSE(l->Reroute()) << to.X << "," << to.Y;
  }
  // A drag of no distance shaped nothing.
  auto still = Make<TMyLinkLine>(cad, {{0, 0}, {0, 50}, {100, 50}, {100, 100}});
  still->HotId = 5;
  still->SizeChangeValue(MyPoint(50, 50), MyPoint(50, 50));
  EXPECT_TRUE(still->Reroute());
}

TEST(LinkLine, DraggingNextToAnAttachedStartLeavesAStub) {
  TMyCAD cad;
  cad.SetZoom(1);
  TMyRectangle* box = AddBoxWithLinkPoint(cad);
  ASSERT_NE(box, nullptr);

  // The first segment: its first quarter stays at the shape, a perpendicular step joins the
  // rest, which moves.
  auto l = Make<TMyLinkLine>(cad, {{40, 20}, {140, 20}, {140, 100}, {240, 100}});
  l->CreateSrcLink(box->ShapeNo, 0);
  ASSERT_EQ(l->InWhichHot(Point(90, 20)), 4);
  l->SizeChangeValue(MyPoint(90, 20), MyPoint(90, 50));
  EXPECT_EQ(PointsOf(*l), (TArrMyPoint{{40, 20}, {65, 20}, {65, 50}, {140, 50}, {140, 100}, {240, 100}}));

  // Point 1: the stub is half the first segment.
  auto p = Make<TMyLinkLine>(cad, {{40, 20}, {140, 20}, {140, 100}, {240, 100}});
  p->CreateSrcLink(box->ShapeNo, 0);
  p->HotId = 1;
  p->SizeChangeValue(MyPoint(140, 20), MyPoint(140, 50));
  EXPECT_EQ(PointsOf(*p), (TArrMyPoint{{40, 20}, {90, 20}, {90, 50}, {140, 50}, {140, 100}, {240, 100}}));

  // The same at an attached end: the last quarter stays.
  auto e = Make<TMyLinkLine>(cad, {{240, 100}, {140, 100}, {140, 20}, {40, 20}});
  e->CreateDestLink(box->ShapeNo, 0);
  e->HotId = 4 + 2;
  e->SizeChangeValue(MyPoint(90, 20), MyPoint(90, 50));
  EXPECT_EQ(PointsOf(*e), (TArrMyPoint{{240, 100}, {140, 100}, {140, 50}, {65, 50}, {65, 20}, {40, 20}}));

  // Free ends: the segment moves whole.
  auto f = Make<TMyLinkLine>(cad, {{40, 20}, {140, 20}, {140, 100}, {240, 100}});
  f->HotId = 4;
  f->SizeChangeValue(MyPoint(90, 20), MyPoint(90, 50));
  EXPECT_EQ(PointsOf(*f), (TArrMyPoint{{40, 50}, {140, 50}, {140, 100}, {240, 100}}));
}

TEST(LinkLine, FreeStyleMovesPointsOnly) {
  TMyCAD cad;
  cad.SetZoom(1);
  cad.SetLinkLineDrawStyle(TLinkLineDrawStyle::lldsFree);
  auto l = Make<TMyLinkLine>(cad, {{0, 0}, {100, 40}});
  l->HotId = 2;  // the segment handle does nothing
  l->SizeChangeValue(MyPoint(50, 20), MyPoint(50, 60));
  EXPECT_EQ(PointsOf(*l), (TArrMyPoint{{0, 0}, {100, 40}}));
  l->HotId = 1;
  l->SizeChangeValue(MyPoint(100, 40), MyPoint(110, 60));
  EXPECT_EQ(PointsOf(*l), (TArrMyPoint{{0, 0}, {110, 60}}));
}

// ---- Style and connection points ----

TEST(LinkLine, SwitchingToFreeKeepsTheEnds) {
  TMyCAD cad;
  auto l = Make<TMyLinkLine>(cad, {{0, 0}, {100, 0}, {100, 100}, {200, 100}});
  l->SetReroute(false);
  l->SetLinkLineDrawStyle(TLinkLineDrawStyle::lldsFree);
  EXPECT_EQ(l->LinkLineDrawStyle(), TLinkLineDrawStyle::lldsFree);
  EXPECT_EQ(PointsOf(*l), (TArrMyPoint{{0, 0}, {200, 100}}));
  EXPECT_FALSE(l->Reroute());
  l->SetLinkLineDrawStyle(TLinkLineDrawStyle::lldsHV);
  EXPECT_EQ(l->LinkLineDrawStyle(), TLinkLineDrawStyle::lldsHV);
  EXPECT_TRUE(l->Reroute());
}

TEST(LinkLine, ConnectionPointsFollowTheAttachedShapes) {
  TMyCAD cad;
  cad.SetZoom(2);
  TMyRectangle* box = AddBoxWithLinkPoint(cad);
  auto l = Make<TMyLinkLine>(cad, {{50, 20}, {100, 20}, {100, 70}});
  EXPECT_EQ(l->GetStartPoint(), MyPoint(100, 40));
  EXPECT_EQ(l->GetEndPoint(), MyPoint(200, 140));
  l->CreateSrcLink(box->ShapeNo, 0);
  EXPECT_EQ(l->GetStartShape(), box);
  EXPECT_EQ(l->GetStartPoint(), MyPoint(80, 40));
  l->CreateDestLink(box->ShapeNo, 0);
  EXPECT_EQ(l->GetEndPoint(), MyPoint(80, 40));
  // A link point index the shape does not have: the route's own end.
  l->CreateDestLink(box->ShapeNo, 3);
  EXPECT_EQ(l->GetEndPoint(), MyPoint(200, 140));
  l->RemoveAllLink();
  EXPECT_EQ(l->GetStartShape(), nullptr);
  EXPECT_EQ(l->StartSpPtId(), -1);
  EXPECT_EQ(l->GetEndShape(), nullptr);
}

TEST(LinkLine, AssignCopiesEndsAndStyle) {
  TMyCAD cad;
  auto a = Make<TMyLinkLine>(cad, {{1, 2}, {3, 4}});
  a->CreateSrcLink(4, 1);
  a->CreateDestLink(6, 2);
  a->SetLinkLineDrawStyle(TLinkLineDrawStyle::lldsFree);
  a->SetArrowStyle(TArrowStyle::ADouble);
  TMyLinkLine b(&cad);
  b.Assign(a.get());
  EXPECT_EQ(b.StartSpNo(), 4);
  EXPECT_EQ(b.StartSpPtId(), 1);
  EXPECT_EQ(b.EndSpNo(), 6);
  EXPECT_EQ(b.EndSpPtId(), 2);
  EXPECT_EQ(b.LinkLineDrawStyle(), TLinkLineDrawStyle::lldsFree);
  EXPECT_EQ(b.ArrowStyle(), TArrowStyle::ADouble);
  EXPECT_EQ(PointsOf(b), PointsOf(*a));
}

// ---- Painting with CrossLine ----

TEST_F(LinkLinePaint, HorizontalSegmentsJumpOverVerticalOnes) {
  AddLink(cad, {{0, 100}, {200, 100}});
  AddLink(cad, {{100, 40}, {100, 160}});
  AddLink(cad, {{5, 96}, {5, 104}});
  cad.Repaint();
  // A line to (92,100), the upper half circle of radius 8 about (100,100), a line from (108,100).
  EXPECT_TRUE(Black(50, 100));
  EXPECT_TRUE(Black(91, 100));
  EXPECT_FALSE(Black(95, 100));
  EXPECT_FALSE(Black(105, 100));
  EXPECT_TRUE(NearBlack(96, 93));  // on the arc: 100 - sqrt(8^2 - 4^2) = 93.1
  EXPECT_TRUE(NearBlack(104, 93));
  EXPECT_TRUE(NearBlack(93, 96));
  EXPECT_FALSE(Black(96, 89));   // above it
  EXPECT_FALSE(Black(96, 97));   // inside it
  EXPECT_FALSE(Black(96, 104));  // nothing below the line
  EXPECT_TRUE(Black(109, 100));
  EXPECT_TRUE(Black(199, 100));
  // A vertical segment never jumps: unbroken through the crossing.
  for (int y = 41; y < 160; ++y) ASSERT_TRUE(Black(100, y)) << y;
  // At X = 5 the jump would start left of the segment: straight through, no arc.
  EXPECT_TRUE(Black(2, 100));
  EXPECT_TRUE(Black(8, 100));
  EXPECT_FALSE(Black(5, 92));
  EXPECT_FALSE(NearBlack(10, 94));

  // CrossLine off: all straight.
  cad.SetCrossLine(false);
  cad.Repaint();
  EXPECT_TRUE(Black(95, 100));
  EXPECT_FALSE(NearBlack(96, 93));
}

TEST_F(LinkLinePaint, JumpsOverItsOwnVerticalSegmentsAndScaleWithZoom) {
  // The connector's own vertical segment (100,250)-(100,350) crosses its first segment.
  AddLink(cad, {{0, 300}, {200, 300}, {200, 250}, {100, 250}, {100, 350}});
  cad.Repaint();
  EXPECT_TRUE(NearBlack(96, 293));
  EXPECT_FALSE(Black(96, 300));
  EXPECT_TRUE(Black(50, 300));

  cad.SetZoom(2);
  cad.Repaint();
  EXPECT_TRUE(NearBlack(192, 586));  // radius 16 in device pixels: 600 - sqrt(16^2 - 8^2)
  EXPECT_FALSE(Black(192, 600));
  EXPECT_FALSE(Black(192, 590));
  EXPECT_TRUE(Black(180, 600));
}

TEST_F(LinkLinePaint, RepaintingWhatChangedRedrawsTheJumps) {
  // At zoom 3 a jump is 24 pixels wide each way: more than the marks and hit bands a surface
  // adds around every shape. Moving the crossing connector repaints only what changed; the
  // picture must be the one a full repaint gives (the old jump gone, the new one drawn).
  cad.SetZoom(3);
  AddLink(cad, {{0, 100}, {200, 100}});
  TMyLinkLine* up = AddLink(cad, {{100, 40}, {100, 160}});
  cad.Repaint();
  auto picture = [this] {
    TCanvas* c = cad.Canvas();
    c->Release();
    return static_cast<QImage*>(c->Device())->copy();
  };
  const QImage before = picture();
  cad.Move(up, 90, 0);
  const QImage partial = picture();
  EXPECT_NE(partial, before);
  cad.Repaint();
  EXPECT_EQ(partial, picture());
}

TEST_F(LinkLinePaint, CrossingsComeFromConnectorsTheDrawListHolds) {
  TMyLinkLine* across = AddLink(cad, {{0, 100}, {200, 100}});
  TMyLinkLine* up = AddLink(cad, {{100, 40}, {100, 160}});
  std::vector<float> xs;
  cad.Repaint();
  cad.GetLinkLineCrossings(across->GetPointInZoom(0), across->GetPointInZoom(1), xs);
  EXPECT_EQ(xs, std::vector<float>{100});
  // An end of the vertical segment on the line is no crossing, nor is an X at an end of the line.
  up->Points = {{100, 100}, {100, 160}};
  across->Points = {{0, 100}, {200, 100}, {200, 300}};
  AddLink(cad, {{0, 50}, {0, 150}});
  cad.Repaint();
  xs.clear();
  cad.GetLinkLineCrossings(MyPoint(0, 100), MyPoint(200, 100), xs);
  EXPECT_TRUE(xs.empty());
  // A connector on a hidden layer does not count.
  const int32_t hidden = cad.NewLayer(QStringLiteral("hidden"), false);
  TMyLinkLine* ghost = AddLink(cad, {{150, 0}, {150, 200}});
  ghost->LayerId = hidden;
  cad.Repaint();
  xs.clear();
  cad.GetLinkLineCrossings(MyPoint(0, 100), MyPoint(200, 100), xs);
  EXPECT_TRUE(xs.empty());
}

TEST_F(LinkLinePaint, CrossingIndexAgreesWithTheQuadraticScan) {
  std::mt19937 rng(7);
  auto uni = [&rng](int lo, int hi) { return static_cast<float>(std::uniform_int_distribution<int>(lo, hi)(rng)); };
  for (int i = 0; i < 300; ++i) {
    const float x = uni(1, 700), y = uni(1, 1000);
    if (i % 3 == 0)  // long vertical segments span many bands
      AddLink(cad, {{x, y}, {x, uni(1, 1100)}, {uni(1, 780), y}});
    else
      AddLink(cad, {{x, y}, {x + uni(15, 90), y}, {x + uni(15, 90), y + uni(15, 60)}, {x + uni(15, 90), y + uni(-60, 60)}});
  }
  cad.Repaint();
  // What the paint drew them as (MergePoints ran) against every vertical segment of every one.
  size_t found = 0;
  for (TMyLinkLine* h : cad.LinkLines()) {
    for (int32_t i = 0; i + 1 < h->GetPointsCount(); ++i) {
      const TMyPoint a = h->GetPointInZoom(i), b = h->GetPointInZoom(i + 1);
      if (TMyLinkLine::IsLineHV(a, b) != 1) continue;
      std::vector<float> want, got;
      for (TMyLinkLine* v : cad.LinkLines())
        for (int32_t j = 0; j + 1 < v->GetPointsCount(); ++j) {
          const TMyPoint q1 = v->GetPointInZoom(j), q2 = v->GetPointInZoom(j + 1);
          if (TMyLinkLine::IsLineHV(q1, q2) != 2) continue;
          if (((q1.Y < a.Y && a.Y < q2.Y) || (q1.Y > a.Y && a.Y > q2.Y)) && std::min(a.X, b.X) < q1.X && q1.X < std::max(a.X, b.X))
            want.push_back(q1.X);
        }
      cad.GetLinkLineCrossings(a, b, got);
      std::sort(want.begin(), want.end());
      std::sort(got.begin(), got.end());
      ASSERT_EQ(got, want) << "segment " << i << " of a connector from (" << a.X << "," << a.Y << ")";
      found += got.size();
    }
  }
  EXPECT_GT(found, 100u);  // the drawing does cross a lot
}

// ---- Link points and joints ----

TEST(LinkLine, LinkPointIsASquareOfItsSizeInZoom) {
  TMyCAD cad;
  cad.SetZoom(2);
  TMyLinkPoint p(&cad);
  EXPECT_EQ(p.Size(), 8);
  p.AddPointByMouse(Point(100, 60));
  EXPECT_EQ(PointsOf(p), (TArrMyPoint{{46, 26}, {54, 26}, {54, 34}, {46, 34}}));
  EXPECT_TRUE(p.IsDrawingFinished(TMouseButton::mbLeft, Point(100, 60)));
  EXPECT_EQ(p.InWhichHot(Point(92, 52)), -1);
  EXPECT_EQ(p.InWhichHot(Point(100, 60)), -1);
  p.SetSize(20);
  p.AddPointByMouse(Point(100, 60));
  EXPECT_EQ(PointsOf(p), (TArrMyPoint{{40, 20}, {60, 20}, {60, 40}, {40, 40}}));

  TMyLineLinkLine j(&cad);
  j.AddPointByMouse(Point(100, 60));
  EXPECT_EQ(j.GetPointsCount(), 4);
  EXPECT_EQ(j.LinkPoints, (TArrMyPoint{{50, 30}}));
  EXPECT_EQ(j.GetLinkPointInZoom(0), MyPoint(100, 60));
  EXPECT_EQ(j.InWhichHot(Point(100, 60)), -1);
}

TEST(LinkLine, LinkPointDrawsACross) {
  TMyCAD cad;
  cad.SetZoom(1);
  TMyLinkPoint p(&cad);
  p.AddPointByMouse(Point(20, 20));
  TBitmap b(40, 40);
  p.Draw(b.Canvas());
  b.Canvas()->Release();
  EXPECT_EQ(b.Pixel(18, 18), clBlack);
  EXPECT_EQ(b.Pixel(22, 18), clBlack);
  EXPECT_EQ(b.Pixel(18, 22), clBlack);
  EXPECT_EQ(b.Pixel(20, 16), clWhite);  // no outline
  EXPECT_EQ(b.Pixel(16, 20), clWhite);
}

// ---- Stream records ----

TEST(LinkLineRecord, RoundTripOfAllThreeClasses) {
  TMyCAD cad;
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  auto l = Make<TMyLinkLine>(cad, {{1.5f, 2}, {100, 2}, {100, 70.25f}});
  l->SetName(QStringLiteral("Shape9"));
  l->CreateSrcLink(3, 1);
  l->CreateDestLink(7, 2);
  l->SetLinkLineDrawStyle(TLinkLineDrawStyle::lldsFree);
  l->SetArrowStyle(TArrowStyle::ALeft);
  l->SetReroute(false);
  const QByteArray bytes = Saved(*l);
  std::unique_ptr<TMyShape> back(TMyCAD::CreateShapeByName(QStringLiteral("TMyLinkLine"), &cad));
  ASSERT_NE(back, nullptr);
  TMemoryStream in(bytes);
  back->LoadFromStream(in);
  EXPECT_EQ(in.Position(), in.Size());
  auto* lb = dynamic_cast<TMyLinkLine*>(back.get());
  ASSERT_NE(lb, nullptr);
  EXPECT_EQ(lb->Name(), QStringLiteral("Shape9"));
  EXPECT_EQ(PointsOf(*lb), PointsOf(*l));
  EXPECT_EQ(lb->StartSpNo(), 3);
  EXPECT_EQ(lb->StartSpPtId(), 1);
  EXPECT_EQ(lb->EndSpNo(), 7);
  EXPECT_EQ(lb->EndSpPtId(), 2);
  EXPECT_EQ(lb->LinkLineDrawStyle(), TLinkLineDrawStyle::lldsFree);
  EXPECT_EQ(lb->ArrowStyle(), TArrowStyle::ALeft);
  EXPECT_TRUE(lb->Reroute());  // not stored: a loaded line routes anew
  EXPECT_EQ(Saved(*lb), bytes);

  for (const char* cls : {"TMyLinkPoint", "TMyLineLinkLine"}) {
    std::unique_ptr<TMyShape> s(TMyCAD::CreateShapeByName(QLatin1String(cls), &cad));
    ASSERT_NE(s, nullptr) << cls;
    auto* p = dynamic_cast<TMyLinkPoint*>(s.get());
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->ClassName(), QLatin1String(cls));
    p->SetSize(13);
    p->AddPointByMouse(Point(30, 40));
    const QByteArray pb = Saved(*p);
    std::unique_ptr<TMyShape> t(TMyCAD::CreateShapeByName(QLatin1String(cls), &cad));
    TMemoryStream pin(pb);
    t->LoadFromStream(pin);
    EXPECT_EQ(pin.Position(), pin.Size());
    auto* q = dynamic_cast<TMyLinkPoint*>(t.get());
    EXPECT_EQ(q->Size(), 13);
    EXPECT_EQ(PointsOf(*q), PointsOf(*p));
    EXPECT_EQ(q->LinkPoints, p->LinkPoints);
    // The size is the record's last byte, after the common record.
    EXPECT_EQ(static_cast<uint8_t>(pb.back()), 13);
  }
}

TEST(LinkLineRecord, NewestRecordByteForByte) {
  TMyCAD cad;
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  auto l = Make<TMyLinkLine>(cad, {{1, 2}, {3, 4}});
  l->CreateSrcLink(-1, -1);
  l->CreateDestLink(258, 1);
  l->SetLinkLineDrawStyle(TLinkLineDrawStyle::lldsFree);
  Bytes b;
  b.str("").i32(0).i32(0).i32(0).i32(-1).i32(0).i32(0)  // name, id, number, layer, parent, members, links
      .i32(2).f32(1).f32(2).f32(3).f32(4)              // two points
      .i32(0)                                          // no link points
      .f32(0).f32(0).i32(0).f32(0);                    // text point, tag, angle
  DefaultStyleFields(b);
  b.i32(10).u8(30).u8(0).u8(0)                         // the line's arrow fields (surface defaults)
      .i32(-1).i32(-1).i32(258).i32(1)                 // start shape, start link point, end shape, end link point
      .u8(1);                                          // lldsFree
  EXPECT_EQ(Saved(*l), b.Data);

  TMyLinkPoint p(&cad);
  p.SetSize(200);
  Bytes pb;
  pb.str("").i32(0).i32(0).i32(0).i32(-1).i32(0).i32(0).i32(0).i32(0).f32(0).f32(0).i32(0).f32(0);
  DefaultStyleFields(pb);
  pb.u8(200);
  EXPECT_EQ(Saved(p), pb.Data);
}

TEST(LinkLineRecord, StyleByteOnlyFromZK5On) {
  TMyCAD cad;
  for (const char* v : {"ZK.4", "ZK.5"}) {
    cad.SetDiskFileVersion(QLatin1String(v));
    const QByteArray data = OldLinkRecord(1);
    TMyLinkLine l(&cad);
    l.SetLinkLineDrawStyle(TLinkLineDrawStyle::lldsFree);  // loading sets it either way
    TMemoryStream m(data);
    l.LoadFromStream(m);
    EXPECT_EQ(l.Name(), QStringLiteral("Shape5"));
    EXPECT_EQ(l.ShapeNo, 2);
    EXPECT_EQ(l.StartSpNo(), 1);
    EXPECT_EQ(l.StartSpPtId(), 0);
    EXPECT_EQ(l.EndSpNo(), 3);
    EXPECT_EQ(l.EndSpPtId(), 2);
    if (QLatin1String(v) == QLatin1String("ZK.4")) {
      EXPECT_EQ(m.Position(), m.Size() - 1);  // the byte after the ends belongs to the next record
      EXPECT_EQ(l.LinkLineDrawStyle(), TLinkLineDrawStyle::lldsHV);
    } else {
      EXPECT_EQ(m.Position(), m.Size());
      EXPECT_EQ(l.LinkLineDrawStyle(), TLinkLineDrawStyle::lldsFree);
    }
  }
  // A style byte past the last style loads as the default.
  cad.SetDiskFileVersion(QStringLiteral("ZK.5"));
  TMyLinkLine odd(&cad);
  odd.SetLinkLineDrawStyle(TLinkLineDrawStyle::lldsFree);
  TMemoryStream m(OldLinkRecord(7));
  odd.LoadFromStream(m);
  EXPECT_EQ(odd.LinkLineDrawStyle(), TLinkLineDrawStyle::lldsHV);
}

TEST(LinkLineRecord, TruncatedRecordsThrow) {
  TMyCAD cad;
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  auto l = Make<TMyLinkLine>(cad, {{1, 2}, {3, 4}});
  l->CreateDestLink(5, 0);
  const QByteArray full = Saved(*l);
  for (int cut : {1, 2, 6, 17}) {
    TMyLinkLine back(&cad);
    TMemoryStream m(full.left(full.size() - cut));
    EXPECT_THROW(back.LoadFromStream(m), EReadError) << cut;
  }
  TMyLinkPoint p(&cad);
  const QByteArray pbytes = Saved(p);
  TMyLinkPoint pback(&cad);
  TMemoryStream pm(pbytes.left(pbytes.size() - 1));
  EXPECT_THROW(pback.LoadFromStream(pm), EReadError);
}
