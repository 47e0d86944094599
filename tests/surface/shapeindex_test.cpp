// The spatial index and the culled, partial repaints must give exactly what scanning the whole
// list and repainting everything gives. Two surfaces hold the same random drawing (rotated boxes,
// ellipses, lines with arrow heads, poly lines, polygons, groups, hidden layers, hidden shapes,
// info texts, wide pens), one with the index and one scanning linearly, and go through the same
// random gestures and edits by code at zooms from 0.25 to 8, each showing only part of itself in
// a scroll area; after every step their selections, hover shapes, snapping, geometry and every
// pixel of their buffers are compared.
#include "support.h"

#include <cad/shapes/group.h>
#include <cad/shapes/rectangle.h>
#include <cad/shapes/textimage.h>

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <random>

using namespace cad;

namespace {

class TShownSurface {
public:
  explicit TShownSurface(bool Indexed) {
    Cad = new TMyCAD;
    Cad->SetUseShapeIndex(Indexed);
    Cad->SetPageStyle(TPageStyle::CustomerPage);
    Cad->SetPageWidth(300);
    Cad->SetPageHeight(200);
    Cad->SetZoom(1);
    Cad->SetShapeTool(TDrawTool::SpSelecting);
    Area.setFrameShape(QFrame::NoFrame);
    Area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Area.setWidget(Cad);
    Area.resize(420, 300);
    Area.show();
  }
  void ScrollTo(int X, int Y) {
    Area.horizontalScrollBar()->setValue(X);
    Area.verticalScrollBar()->setValue(Y);
  }
  QImage Buffer() {
    TCanvas* c = Cad->Canvas();
    c->Release();
    return static_cast<QImage*>(c->Device())->copy();
  }
  QScrollArea Area;
  TMyCAD* Cad;  // owned by the scroll area
};

// Adds a shape the way the surface's own adding calls do.
void Add(TMyCAD& Cad, TMyShape* S) {
  S->ShapeId = Cad.NextShapeId();
  S->SetName(QStringLiteral("Shape") + QString::number(S->ShapeId));
  S->ShapeNo = Cad.GetShapesCount();
  ASSERT_TRUE(Cad.AddShape(S, true, false));
  TPoint last;
  S->Drawed(TPoint{}, last);
}

// The same drawing for the same seed.
void Populate(TMyCAD& Cad, unsigned Seed, int Count) {
  std::mt19937 rng(Seed);
  auto real = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
  auto chance = [&rng](int percent) { return static_cast<int>(rng() % 100) < percent; };
  const int32_t hidden = Cad.NewLayer(QStringLiteral("Hidden"), true);
  const int32_t shown = Cad.GetLayerIdByName(QStringLiteral("Layer0"));
  const float w = static_cast<float>(Cad.Width()), h = static_cast<float>(Cad.Height());
  for (int i = 0; i < Count; ++i) {
    const float x = real(-40, w), y = real(-40, h), sw = real(4, 90), sh = real(4, 70);
    TMyShape* s = nullptr;
    switch (rng() % 5) {
      case 0: s = new TMyRectangle(&Cad); break;
      case 1: s = new TMyEllipse(&Cad); break;
      case 2: {
        auto* l = new TMyLine(&Cad);
        l->SetArrowStyle(chance(50) ? TArrowStyle::ANone : static_cast<TArrowStyle>(rng() % 4));
        l->SetArrowLength(static_cast<uint8_t>(10 + rng() % 40));
        l->SetArrowOffset(static_cast<uint8_t>(rng() % 8));
        s = l;
        break;
      }
      case 3: s = new TMyPolyLine(&Cad); break;
      default: s = new TMyPolygon(&Cad); break;
    }
    if (dynamic_cast<TMyRectangle*>(s)) {
      s->Points = {{x, y}, {x + sw, y}, {x + sw, y + sh}, {x, y + sh}};
    } else if (s->ClassName() == QLatin1String("TMyLine")) {
      // Straight ones have their hit band outside the points' box.
      const int straight = static_cast<int>(rng() % 3);
      s->Points = {{x, y}, {x + (straight == 1 ? 0 : sw), y + (straight == 2 ? 0 : sh)}};
    } else {
      float px = x, py = y;
      for (int k = 0; k < 3 + static_cast<int>(rng() % 4); ++k) {
        s->Points.push_back({px, py});
        px += real(-30, 30);
        py += real(-30, 30);
      }
      if (s->ClassName() == QLatin1String("TMyPolygon")) s->Points.push_back(s->Points.front());
    }
    s->LayerId = chance(12) ? hidden : shown;
    s->Brush()->SetColor(RGB(static_cast<int>(rng() % 256), static_cast<int>(rng() % 256), static_cast<int>(rng() % 256)));
    if (chance(20)) s->Brush()->SetStyle(TBrushStyle::bsClear);
    if (chance(15)) s->Pen()->SetWidth(2 + static_cast<int>(rng() % 6));
    if (chance(10)) s->Pen()->SetStyle(TPenStyle::psDash);
    Add(Cad, s);
    if (chance(15)) s->SetInfo(QStringLiteral("Info %1").arg(i));
    if (s->ClassName() != QLatin1String("TMyLine") && chance(25)) s->SetAngle(real(-3.2f, 3.2f));
    if (chance(5)) s->SetVisible(false);
  }
  // Groups of neighbours in the list on the same layer, some nested.
  for (int i = 0; i + 3 < Cad.GetShapesCount(); i += 9) {
    TArrMyShape members;
    for (int k = i; k < i + 3; ++k) {
      TMyShape* m = Cad.GetRootParentShape(Cad.GetShapeByNo(k));
      if (m->Visible() && m->LayerId == shown && std::find(members.begin(), members.end(), m) == members.end()) members.push_back(m);
    }
    if (members.size() >= 2) Cad.GroupShapes(members, false);
  }
  Cad.InVisibleLayerByID(hidden);
  Cad.DeSelectedAllShapesByCode();
}

std::vector<int32_t> SelectedIds(TMyCAD& Cad) {
  std::vector<int32_t> ids;
  for (TMyShape* s : Cad.GetSelectedShapes()) ids.push_back(s->ShapeId);
  return ids;
}

// Everything observable that the index or the repaint could get wrong.
void ExpectTwins(TShownSurface& A, TShownSurface& B, const std::string& Step) {
  SCOPED_TRACE(Step);
  TMyCAD& a = *A.Cad;
  TMyCAD& b = *B.Cad;
  ASSERT_EQ(a.GetShapesCount(), b.GetShapesCount());
  EXPECT_EQ(SelectedIds(a), SelectedIds(b));
  EXPECT_EQ(a.Action(), b.Action());
  EXPECT_EQ(a.HoverShape() ? a.HoverShape()->ShapeId : -1, b.HoverShape() ? b.HoverShape()->ShapeId : -1);
  for (int32_t i = 0; i < a.GetShapesCount(); ++i) ASSERT_EQ(a.GetShapeByNo(i)->Points, b.GetShapeByNo(i)->Points) << "shape " << i;
  ASSERT_EQ(a.BufferArea(), b.BufferArea());
  const QImage ia = A.Buffer(), ib = B.Buffer();
  if (ia != ib) {
    int diffs = 0;
    QPoint first(-1, -1);
    for (int y = 0; y < ia.height(); ++y)
      for (int x = 0; x < ia.width(); ++x)
        if (ia.pixel(x, y) != ib.pixel(x, y) && diffs++ == 0) first = QPoint(x, y) + a.BufferArea().topLeft();
    ADD_FAILURE() << diffs << " pixels differ, first at (" << first.x() << "," << first.y() << ")";
  }
}

class Twins : public ::testing::TestWithParam<unsigned> {};

}  // namespace

TEST_P(Twins, IndexedSurfaceBehavesLikeTheLinearOne) {
  const unsigned seed = GetParam();
  TShownSurface A(true), B(false);
  Populate(*A.Cad, seed, 260);
  Populate(*B.Cad, seed, 260);
  for (TShownSurface* t : {&A, &B}) {
    t->Cad->SetSnap(true);
    t->Cad->SetSnapShape(true);
    t->Cad->SetHotSize(9);  // hot marks reach well past any pen
  }
  int partialPaints = 0;
  A.Cad->OnPaint = [&partialPaints](TMyCAD* Sender) {
    if (Sender->Canvas()->ClipRect() != FromQRect(Sender->BufferArea())) ++partialPaints;
  };
  std::mt19937 rng(seed * 7919u + 1);
  auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  int step = 0;
  for (double zoom : {1.0, 0.25, 2.0, 8.0, 0.5}) {
    for (TShownSurface* t : {&A, &B}) t->Cad->SetZoom(zoom);
    const int maxX = std::max(0, A.Cad->Width() - 420), maxY = std::max(0, A.Cad->Height() - 300);
    const int sx = maxX ? pick(maxX) : 0, sy = maxY ? pick(maxY) : 0;
    for (TShownSurface* t : {&A, &B}) t->ScrollTo(sx, sy);
    ExpectTwins(A, B, "zoom " + std::to_string(zoom));
    const QRect view = A.Cad->BufferArea();
    auto point = [&] { return QPoint(view.left() - 20 + pick(view.width() + 40), view.top() - 20 + pick(view.height() + 40)); };
    for (int k = 0; k < 45; ++k, ++step) {
      const std::string what = "zoom " + std::to_string(zoom) + ", step " + std::to_string(step);
      const QPoint p = point(), q = point();
      const TShiftState shift = pick(5) == 0 ? ssShift : 0;
      const int op = pick(12);
      for (TShownSurface* t : {&A, &B}) {
        TMyCAD& c = *t->Cad;
        std::mt19937 local(seed + static_cast<unsigned>(step));  // the same choices on both
        // Mostly a shape that shows in the view, so that what happens to it can be seen.
        TMyShape* some = nullptr;
        TArrMyShape inView;
        for (int32_t i = 0; i < c.GetShapesCount(); ++i) {
          TMyShape* s = c.GetShapeByNo(i);
          const TMyRect r = c.GetShapeLTRBinZoom(s);
          if (QRectF(QPointF(r.Left, r.Top), QPointF(r.Right, r.Bottom)).normalized().intersects(QRectF(c.BufferArea()))) inView.push_back(s);
        }
        if (!inView.empty() && local() % 4) some = inView[local() % inView.size()];
        else if (c.GetShapesCount()) some = c.GetShapeByNo(static_cast<int32_t>(local() % static_cast<unsigned>(c.GetShapesCount())));
        switch (op) {
          case 0:
          case 1:  // click, maybe with Shift
            c.MouseDown(TMouseButton::mbLeft, shift, p.x(), p.y());
            c.MouseUp(TMouseButton::mbLeft, shift, p.x(), p.y());
            break;
          case 2:
          case 3:
          case 4: {  // press, move twice, release: a band, a drag, a resize or a rotation
            c.MouseDown(TMouseButton::mbLeft, shift, p.x(), p.y());
            c.MouseMove(ssLeft | shift, (p.x() + q.x()) / 2, (p.y() + q.y()) / 2);
            c.MouseMove(ssLeft | shift, q.x(), q.y());
            c.MouseUp(TMouseButton::mbLeft, shift, q.x(), q.y());
            break;
          }
          case 5:  // hover
            c.MouseMove(0, p.x(), p.y());
            break;
          case 6:  // the other selecting tool
            c.SetShapeTool(c.ShapeTool() == TDrawTool::SpSelecting ? TDrawTool::SpRotateSelecting : TDrawTool::SpSelecting);
            break;
          case 7:  // move and turn by code; the small moves repaint only what changed
            if (some && local() % 2) {
              c.DragChangeValueDxDyforShapes(some, static_cast<double>(local() % 121) - 60, static_cast<double>(local() % 121) - 60);
              c.RepaintChanged();
            } else if (some) {
              c.Move(some, static_cast<float>(q.x() - p.x()) / 4, static_cast<float>(q.y() - p.y()) / 4);
              if (local() % 2) c.Rotate(some, static_cast<float>(local() % 628) / 100);
            }
            break;
          case 8:  // write points directly, as hosts may, and repaint what changed
            if (some && !some->Points.empty()) {
              if (local() % 2) {
                some->Points[0].X += static_cast<float>(q.x() - p.x()) / 8;
                some->Points.back().Y -= 7;
              } else {
                const float dx = static_cast<float>(local() % 121) - 60, dy = static_cast<float>(local() % 121) - 60;
                for (TMyPoint& pt : some->Points.Edit()) pt = TMyPoint{pt.X + dx, pt.Y + dy};
              }
            }
            c.RepaintChanged();
            break;
          case 9:  // style and text
            if (some) {
              some->Pen()->SetWidth(1 + static_cast<int>(local() % 8));
              some->SetInfo(local() % 2 ? QString() : QStringLiteral("Text %1").arg(step));
              some->TextPoint = TMyPoint{static_cast<float>(p.x() / c.Zoom()), static_cast<float>(p.y() / c.Zoom())};
              some->Changed();
            }
            c.RepaintChanged();
            break;
          case 10:  // draw a new box
            c.SetShapeTool(local() % 2 ? TDrawTool::SpRectangle : TDrawTool::SpEllipse);
            c.MouseDown(TMouseButton::mbLeft, 0, p.x(), p.y());
            c.MouseUp(TMouseButton::mbLeft, 0, p.x(), p.y());
            c.MouseMove(0, q.x(), q.y());
            c.MouseDown(TMouseButton::mbLeft, 0, q.x(), q.y());
            c.MouseUp(TMouseButton::mbLeft, 0, q.x(), q.y());
            c.SetShapeTool(TDrawTool::SpSelecting);
            break;
          default:  // delete, group or ungroup
            if (some && local() % 3 == 0) {
              c.DeleteShapeById(c.GetRootParentShape(some)->ShapeId, false);
            } else if (c.GetSelectedShapesCount() >= 2) {
              c.GroupWorkingShape();
            } else if (some) {
              c.UnGroupShape(c.GetRootParentShape(some), false);
            }
            c.Repaint();
            break;
        }
      }
      ExpectTwins(A, B, what);
      // Snapping to shape edges looks shapes up around the point.
      int ax = q.x(), ay = q.y(), bx = q.x(), by = q.y();
      EXPECT_EQ(A.Cad->SnapXY(ax, ay), B.Cad->SnapXY(bx, by)) << what;
      EXPECT_EQ(ax, bx) << what;
      EXPECT_EQ(ay, by) << what;
      if (HasFailure()) return;
    }
  }
  // The comparisons above covered repaints of part of the view as well as whole ones.
  EXPECT_GT(partialPaints, 20);
}

INSTANTIATE_TEST_SUITE_P(RandomDrawings, Twins, ::testing::Values(1u, 2u, 3u));

TEST(ShapeIndex, HoverFindsTheTopmostShapeEverywhere) {
  // Every pixel of a crowded view, at three zooms: the indexed lookup and the list scan agree.
  TShownSurface A(true), B(false);
  Populate(*A.Cad, 11, 400);
  Populate(*B.Cad, 11, 400);
  for (double zoom : {0.25, 1.0, 4.0}) {
    for (TShownSurface* t : {&A, &B}) {
      t->Cad->SetZoom(zoom);
      t->ScrollTo(37, 53);
    }
    const QRect view = A.Cad->BufferArea();
    for (int y = view.top(); y < view.bottom(); y += 3)
      for (int x = view.left(); x < view.right(); x += 3) {
        A.Cad->MouseMove(0, x, y);
        B.Cad->MouseMove(0, x, y);
        const int32_t ia = A.Cad->HoverShape() ? A.Cad->HoverShape()->ShapeId : -1;
        const int32_t ib = B.Cad->HoverShape() ? B.Cad->HoverShape()->ShapeId : -1;
        ASSERT_EQ(ia, ib) << "at (" << x << "," << y << ") zoom " << zoom;
      }
  }
}

TEST(ShapeIndex, LookupsAreInListOrderAndCoverShapesThatMove) {
  TMyCAD cad;
  cad.SetZoom(1);
  auto* a = testing_support::AddBox(cad, 10, 10, 30, 30);
  auto* b = testing_support::AddBox(cad, 20, 20, 40, 40);
  auto* c = testing_support::AddBox(cad, 300, 300, 320, 320);
  // A superset of what can show up at a point, in list order.
  EXPECT_EQ(cad.ShapesReaching(TRect{25, 25, 26, 26}), (TArrMyShape{a, b}));
  EXPECT_EQ(cad.ShapesReaching(TRect{310, 310, 311, 311}), (TArrMyShape{c}));
  // Moved by writing its points directly: the index follows.
  for (TMyPoint& p : c->Points.Edit()) p = TMyPoint{p.X - 275, p.Y - 275};
  EXPECT_EQ(cad.ShapesReaching(TRect{25, 25, 26, 26}), (TArrMyShape{a, b, c}));
  EXPECT_TRUE(cad.ShapesReaching(TRect{310, 310, 311, 311}).empty());
  c->Points[0] = TMyPoint{500, 500};
  EXPECT_EQ(cad.ShapesReaching(TRect{499, 499, 501, 501}), (TArrMyShape{c}));
  // A deleted shape is gone from the index; a shape with coordinates that are not numbers is
  // found everywhere, as a scan of the list would test it everywhere.
  cad.DeleteShapeById(c->ShapeId, false);
  EXPECT_TRUE(cad.ShapesReaching(TRect{499, 499, 501, 501}).empty());
  b->Points[1].X = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(cad.ShapesReaching(TRect{900, 900, 901, 901}), (TArrMyShape{b}));
  cad.Repaint();  // paints and hit-tests it without trouble
  cad.MouseMove(0, 900, 900);
  EXPECT_EQ(cad.HoverShape(), nullptr);
  // Copies of a shape's points report nothing.
  TArrMyPoint copy = a->Points;
  TShapePoints tracked = a->Points;
  const uint64_t rev = a->Revision();
  copy[0].X = 1;
  tracked[0].X = 1;
  EXPECT_EQ(a->Revision(), rev);
  EXPECT_EQ(a->Points[0].X, 10);
}

TEST(ShapeIndex, ReadingTheDrawingChangesNothing) {
  // Painting, hovering, clicking and banding read shapes; they must not mark them as changed,
  // or every paint would re-index what it reads.
  TShownSurface A(true);
  Populate(*A.Cad, 5, 200);
  TMyCAD& cad = *A.Cad;
  cad.Repaint();
  std::vector<uint64_t> before;
  for (int32_t i = 0; i < cad.GetShapesCount(); ++i) before.push_back(cad.GetShapeByNo(i)->Revision());
  cad.Repaint();
  for (int i = 0; i < 50; ++i) cad.MouseMove(0, 7 * i, 5 * i);
  cad.MouseDown(TMouseButton::mbLeft, 0, 1, 1);
  cad.MouseMove(ssLeft, 400, 280);
  cad.MouseUp(TMouseButton::mbLeft, 0, 400, 280);
  cad.SelectAllShapes();
  cad.MouseDown(TMouseButton::mbLeft, 0, 2, 299);
  cad.MouseUp(TMouseButton::mbLeft, 0, 2, 299);
  cad.Repaint();
  for (int32_t i = 0; i < cad.GetShapesCount(); ++i) EXPECT_EQ(cad.GetShapeByNo(i)->Revision(), before[static_cast<size_t>(i)]) << i;
}

TEST(ShapeIndex, SelectionBookkeepingStaysExact) {
  TMyCAD cad;
  cad.SetZoom(1);
  std::vector<TMyShape*> s;
  for (int i = 0; i < 6; ++i) s.push_back(testing_support::AddBox(cad, 10.0f * i, 0, 10.0f * i + 5, 5));
  for (int i : {3, 1, 4, 1, 5}) cad.AddWorkingShapes(s[static_cast<size_t>(i)]);
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{s[3], s[1], s[4], s[5]}));
  EXPECT_EQ(cad.IsInWorkingShape(s[4]), 2);
  EXPECT_EQ(cad.IsInWorkingShape(s[0]), -1);
  cad.RemoveWorkingShape(s[1]);
  EXPECT_EQ(cad.IsInWorkingShape(s[4]), 1);
  EXPECT_EQ(cad.IsInWorkingShape(s[1]), -1);
  // Deleting empties the selection; the shapes after the deleted one know their new places.
  cad.DeleteShapeById(s[0]->ShapeId, false);
  EXPECT_EQ(cad.GetSelectedShapesCount(), 0);
  EXPECT_EQ(cad.IsInWorkingShape(s[3]), -1);
  EXPECT_EQ(cad.GetShapeNoInMyShapes(s[5]), 4);
  for (int i : {3, 4, 5, 2}) cad.AddWorkingShapes(s[static_cast<size_t>(i)]);
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{s[3], s[4], s[5], s[2]}));
  cad.RemoveAllWorkingShapes();
  EXPECT_EQ(cad.GetSelectedShapesCount(), 0);
  EXPECT_EQ(cad.IsInWorkingShape(s[3]), -1);
  cad.SelectAllShapes();
  EXPECT_EQ(cad.GetSelectedShapesCount(), 5);
}

TEST(ShapeIndex, RepaintCoversOnlyWhatChanged) {
  TShownSurface A(true);
  TMyCAD& cad = *A.Cad;
  cad.SetSnap(false);
  for (int i = 0; i < 40; ++i) {
    auto* box = new TMyRectangle(&cad);
    const float x = 10.0f * i, y = 10.0f * (i % 7);
    box->Points = {{x, y}, {x + 8, y}, {x + 8, y + 8}, {x, y + 8}};
    box->Brush()->SetColor(clRed);
    Add(cad, box);
  }
  // Groups make the surface keep member trees; looking them up must not disturb them.
  cad.GroupShapes(TArrMyShape{cad.GetShapeByNo(20), cad.GetShapeByNo(21)}, false);
  cad.GroupShapes(TArrMyShape{cad.GetShapeByNo(30), cad.GetShapeByNo(40)}, false);
  TMyShape* moved = cad.GetShapeByNo(3);
  cad.Repaint();
  std::vector<TRect> painted;
  cad.OnPaint = [&painted](TMyCAD* Sender) { painted.push_back(Sender->Canvas()->ClipRect()); };

  // A box moved by code: its old and new places (with their margins) are repainted, no more.
  for (TMyPoint& p : moved->Points.Edit()) p = TMyPoint{p.X + 100, p.Y + 150};
  cad.RepaintChanged();
  EXPECT_TRUE(painted.empty());  // not yet: at the next paint event or use of the canvas
  const QImage partial = A.Buffer();
  ASSERT_EQ(painted.size(), 1u);
  const TRect r = painted[0];
  EXPECT_LE(r.Left, 30);
  EXPECT_LE(r.Top, 30);
  EXPECT_GE(r.Right, 138);
  EXPECT_GE(r.Bottom, 188);
  EXPECT_LT((r.Right - r.Left) * (r.Bottom - r.Top), 420 * 300 / 2);
  cad.Repaint();
  EXPECT_EQ(partial, A.Buffer());

  // Selecting one shape repaints its marks; the picture is the full one.
  painted.clear();
  cad.MouseDown(TMouseButton::mbLeft, 0, 134, 184);
  cad.MouseUp(TMouseButton::mbLeft, 0, 134, 184);
  ASSERT_EQ(cad.GetSelectedShape(), moved);
  const QImage marked = A.Buffer();
  ASSERT_EQ(painted.size(), 1u);
  EXPECT_LT((painted[0].Right - painted[0].Left) * (painted[0].Bottom - painted[0].Top), 420 * 300 / 2);
  cad.Repaint();
  EXPECT_EQ(marked, A.Buffer());

  // Nothing changed: nothing is painted.
  painted.clear();
  cad.RepaintChanged();
  A.Buffer();
  EXPECT_TRUE(painted.empty());
}

TEST(ShapeIndex, MembersOutsideTheirGroupArePaintedThroughIt) {
  // A member moved away from its group by code is painted by the group, which lies outside the
  // view: the view must still show the member.
  TShownSurface A(true), B(false);
  for (TShownSurface* t : {&A, &B}) {
    TMyCAD& c = *t->Cad;
    auto* a = new TMyRectangle(&c);
    a->Points = {{10, 10}, {40, 10}, {40, 40}, {10, 40}};
    auto* b = new TMyEllipse(&c);
    b->Points = {{50, 10}, {90, 10}, {90, 40}, {50, 40}};
    for (TMyShape* s : {static_cast<TMyShape*>(a), static_cast<TMyShape*>(b)}) {
      s->Brush()->SetColor(clBlue);
      Add(c, s);
    }
    c.GroupShapes(TArrMyShape{a, b}, false);
    c.DragChangeValueDxDyforShapes(b, 700, 500);
    c.DeSelectedAllShapesByCode();
    t->ScrollTo(600, 450);
  }
  EXPECT_EQ(A.Cad->Canvas()->Pixel(770, 525), clBlue);
  ASSERT_EQ(A.Cad->BufferArea(), QRect(600, 450, 420, 300));
  EXPECT_EQ(A.Buffer(), B.Buffer());
}

TEST(ShapeIndex, EllipseOutlineBeyondItsPointsIsReached) {
  // An ellipse whose points are no box turned by its angle (points written back by hand after a
  // turn) draws its outline beyond them; lookups and culling must still find it there.
  TShownSurface A(true), B(false);
  for (TShownSurface* t : {&A, &B}) {
    TMyCAD& c = *t->Cad;
    auto* e = new TMyEllipse(&c);
    e->Points = {{300, 300}, {400, 300}, {400, 320}, {300, 320}};
    e->Brush()->SetColor(clRed);
    Add(c, e);
    e->SetAngle(0.8f);
    e->Points = {{300, 300}, {400, 300}, {400, 320}, {300, 320}};
    t->ScrollTo(0, 343);  // the view starts well below the points
  }
  const QImage a = A.Buffer();
  EXPECT_EQ(a, B.Buffer());
  int red = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) red += FromQRgb(a.pixel(x, y)) == clRed;
  EXPECT_GT(red, 50);  // the outline does reach into the view
}

TEST(ShapeIndex, WrappedTextIsReachedAtEveryZoom) {
  // A text box six units wide wraps its lines into a column that runs far below it, longer the
  // narrower the box shows. Measured at zoom 4 and then looked at zoom 1, after a render at zoom 4
  // and after a change of the text, a view on the column's end (and nothing else of the text)
  // shows what a full repaint shows.
  TShownSurface A(true), B(false);
  std::vector<TMyText*> texts;
  for (TShownSurface* t : {&A, &B}) {
    TMyCAD& c = *t->Cad;
    c.SetZoom(4);
    auto* text = new TMyText(&c);
    text->Points = {{100, 20}, {106, 20}, {106, 40}, {100, 40}};
    text->SetLines({QString(40, QLatin1Char('i')), QStringLiteral("Wrap")});
    text->SetVAlignment(TVAlignment::vaTop);
    Add(c, text);
    c.DeSelectedAllShapesByCode();
    texts.push_back(text);
    c.Repaint();
    c.SetZoom(1);
  }
  QApplication::processEvents();  // the scroll areas take the new sizes
  for (TShownSurface* t : {&A, &B}) t->ScrollTo(0, 280);
  auto expectColumn = [&](const std::string& Step) {
    const QImage a = A.Buffer();
    B.Buffer();
    ExpectTwins(A, B, Step);
    int ink = 0;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 90; x < 116; ++x) ink += a.pixel(x - A.Cad->BufferArea().left(), y) != qRgb(255, 255, 255);
    EXPECT_GT(ink, 20) << Step;  // the view does show the column
  };
  expectColumn("zoom 4, then 1");
  for (TShownSurface* t : {&A, &B}) ASSERT_FALSE(t->Cad->RenderToImage(4).isNull());
  expectColumn("after a render at zoom 4");
  for (TShownSurface* t : {&A, &B}) {
    TMyText* text = texts[t == &A ? 0 : 1];
    t->Cad->RenderToImage(4);
    text->SetLines({QString(36, QLatin1Char('i'))});
    t->Cad->RepaintChanged();
  }
  expectColumn("the text changed after a render");
}

TEST(ShapeIndex, GridMatchesStrokedLines) {
  // The grid of the part of the page the view shows, against the same lines stroked the whole
  // height and width of the control on a canvas with the same origin.
  for (int pen : {1, 3}) {
    TShownSurface A(true);
    TMyCAD& cad = *A.Cad;
    cad.GridOperation()->SetGridWidth(17);
    cad.GridOperation()->SetGridHeight(23);
    cad.GridOperation()->SetGridPenSize(static_cast<uint8_t>(pen));
    cad.GridOperation()->SetGridColor(clNavy);
    A.ScrollTo(333, 211);
    const QImage shown = A.Buffer();
    const QRect area = cad.BufferArea();
    QImage expected(area.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    TCanvas c(&expected, area.topLeft());
    c.Pen()->SetColor(clNavy);
    c.Pen()->SetWidth(pen);
    for (int x = 0; x <= cad.Width(); x += 17) {
      c.MoveTo(x, 0);
      c.LineTo(x, cad.Height());
    }
    for (int y = 0; y <= cad.Height(); y += 23) {
      c.MoveTo(0, y);
      c.LineTo(cad.Width(), y);
    }
    c.Release();
    EXPECT_EQ(shown, expected) << "pen " << pen;
  }
}
