// Interactive frames: outlines kept across zooms, a back buffer that scrolls its pixels, and a
// back buffer painted at a device pixel ratio of 2.
#include "support.h"

#include <cad/shapes/rectangle.h>

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <cmath>
#include <random>

using namespace cad;

namespace {

// The ellipse outline as it was computed before anything of it was kept: every value from the
// shape, the zoom and long-double sine and cosine, each time.
TArrPoint ReferenceOutline(TMyEllipse& E, double Zoom) {
  const TMyPoint c = E.GetCenterPointInZoom();
  const long double z = Zoom;
  const long double rx = E.GetMyWidth() * z / 2, ry = E.GetMyHeight() * z / 2;
  const long double a = E.Angle(), ca = std::cos(a), sa = std::sin(a);
  TArrPoint pts;
  for (int i = 0; i <= 72; ++i) {
    const long double t = i * PiL / 36;
    const long double x = rx * std::sin(t), y = ry * std::cos(t);
    pts.push_back(TPoint{Round(x * ca - y * sa + c.X), Round(x * sa + y * ca + c.Y)});
  }
  return pts;
}

}  // namespace

TEST(Frames, EllipseOutlineKeptAcrossZoomsIsTheOneComputedAfresh) {
  TMyCAD cad;
  std::mt19937 rng(20261208);
  auto real = [&rng](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  int compared = 0;
  for (int n = 0; n < 400; ++n) {
    cad.SetZoom(1);
    TMyEllipse e(&cad);
    const float x = static_cast<float>(real(-3000, 3000)), y = static_cast<float>(real(-3000, 3000));
    const float w = static_cast<float>(real(0.5, n % 4 ? 200 : 3000)), h = static_cast<float>(real(0.5, n % 5 ? 200 : 3000));
    e.Points = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
    e.CenterPoint = e.ComputeCenterPoint();
    if (n % 3) e.SetAngle(static_cast<float>(real(-7, 7)));
    // Zooms in random order, some repeated, with the shape moved or turned now and then: the
    // kept parts must follow the shape, and a zoom must never see another zoom's outline.
    for (int k = 0; k < 12; ++k) {
      const double zoom = k % 4 == 3 ? 1 : std::exp(real(std::log(0.02), std::log(64)));
      cad.SetZoom(zoom);
      if (k == 6) OffsetAllPoints(&e, real(-50, 50), real(-50, 50));
      if (k == 9) e.SetAngle(static_cast<float>(real(-7, 7)));
      ASSERT_EQ(e.Outline(), ReferenceOutline(e, zoom)) << "ellipse " << n << " zoom " << zoom;
      ++compared;
    }
  }
  EXPECT_EQ(compared, 400 * 12);
}

namespace {

// A surface on a 300 x 200 mm page (1134 x 756 pixels) seen through a 420 x 300 window.
class TScrolledSurface {
public:
  TScrolledSurface() {
    Cad = new TMyCAD;
    Cad->SetPageStyle(TPageStyle::CustomerPage);
    Cad->SetPageWidth(300);
    Cad->SetPageHeight(200);
    Cad->SetZoom(1);
    Cad->SetShapeTool(TDrawTool::SpSelecting);
    Cad->GridOperation()->SetGridType(TGridType::gLine);
    Cad->GridOperation()->SetGridShow(true);
    Area.setFrameShape(QFrame::NoFrame);
    Area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Area.setWidget(Cad);
    Area.resize(420, 300);
    Area.show();
    Cad->OnPaint = [this](TMyCAD* Sender) { Painted += ToQRect(Sender->Canvas()->ClipRect()); };
  }
  void ScrollBy(int DX, int DY) {
    Area.horizontalScrollBar()->setValue(Area.horizontalScrollBar()->value() + DX);
    Area.verticalScrollBar()->setValue(Area.verticalScrollBar()->value() + DY);
  }
  QImage Buffer() {
    TCanvas* c = Cad->Canvas();
    c->Release();
    return static_cast<QImage*>(c->Device())->copy();
  }
  QScrollArea Area;
  TMyCAD* Cad;  // owned by the scroll area
  QRegion Painted;
};

void AddShape(TMyCAD& Cad, TMyShape* S) {
  S->ShapeId = Cad.NextShapeId();
  S->SetName(QStringLiteral("Shape") + QString::number(S->ShapeId));
  S->ShapeNo = Cad.GetShapesCount();
  ASSERT_TRUE(Cad.AddShape(S, false, false));
  TPoint last;
  S->Drawed(TPoint{}, last);
}

void Populate(TMyCAD& Cad, unsigned Seed) {
  std::mt19937 rng(Seed);
  auto real = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
  for (int i = 0; i < 300; ++i) {
    const float x = real(-30, 1130), y = real(-30, 750), w = real(4, 120), h = real(4, 90);
    TMyShape* s = nullptr;
    switch (i % 2) {
      case 0: s = new TMyRectangle(&Cad); break;
      default: s = new TMyEllipse(&Cad); break;
    }
    s->Points = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
    s->CenterPoint = s->ComputeCenterPoint();
    s->Brush()->SetColor(RGB(static_cast<int>(rng() % 256), static_cast<int>(rng() % 256), 160));
    // Outlines are left out: the toolkit clips a one-pixel outline at the edge of the device it
    // draws on, so where an edge of the buffer cuts one, a pixel of it (a corner) may depend on
    // where that edge was. Fills, text, grid and marks do not.
    s->Pen()->SetStyle(TPenStyle::psClear);
    AddShape(Cad, s);
    if (i % 11 == 0) s->SetInfo(QStringLiteral("Info %1").arg(i));
    if (i % 5 == 0) s->SetAngle(real(-3, 3));
  }
}

// The first pixel where two pictures differ and how many do, for a readable failure.
::testing::AssertionResult SamePicture(const QImage& A, const QImage& B) {
  if (A == B) return ::testing::AssertionSuccess();
  if (A.size() != B.size()) return ::testing::AssertionFailure() << "sizes differ";
  int diffs = 0;
  QPoint first;
  for (int y = 0; y < A.height(); ++y)
    for (int x = 0; x < A.width(); ++x)
      if (A.pixel(x, y) != B.pixel(x, y) && diffs++ == 0) first = QPoint(x, y);
  return ::testing::AssertionFailure() << diffs << " pixels differ, first at buffer (" << first.x() << "," << first.y() << ")";
}

}  // namespace

TEST(Frames, ScrolledBufferShowsWhatAFullRepaintShows) {
  TScrolledSurface v;
  TMyCAD& cad = *v.Cad;
  Populate(cad, 7);
  v.ScrollBy(300, 200);
  QCoreApplication::processEvents();
  cad.Repaint();
  // Each step scrolls, then the picture is read through a paint event or through the canvas; a
  // shape moved and a selection changed just before a scroll leave a repaint due that lands
  // partly in the strip that comes into view.
  struct TStep {
    int DX, DY;
    bool PaintEvent, EditFirst;
    bool KeepsPixels;  // the new visible area overlaps the old one
  } steps[] = {
      {0, 37, true, false, true},    {53, 0, false, false, true},  {-20, -45, true, false, true},
      {0, 60, false, true, true},    {-90, 25, true, true, true},  {0, -400, false, false, false},
      {35, 35, true, true, true},    {-1, -1, false, false, true},
  };
  int n = 0;
  for (const TStep& s : steps) {
    SCOPED_TRACE(::testing::Message() << "step " << n++);
    const QRect before = cad.BufferArea();
    if (s.EditFirst) {
      // A shape that reaches past the edge that is about to move away, and a selection mark.
      const QRect r = before.adjusted(0, 0, -1, -1);
      TMyRectangle* moved = nullptr;
      for (int32_t i = 0; i < cad.GetShapesCount() && !moved; ++i) {
        auto* b = dynamic_cast<TMyRectangle*>(cad.GetShapeByNo(i));
        const TRect px = b ? b->ZoomedPixelsLTRB() : TRect{};
        if (b && b->Angle() == 0 && px.Left > r.left() && px.Right < r.right() && px.Top < r.bottom() - 10 && px.Bottom > r.bottom() - 10)
          moved = b;
      }
      ASSERT_NE(moved, nullptr);
      cad.DragChangeValueDxDyforShapes(moved, s.DX, s.DY);
      cad.DeSelectedAllShapesByCode();
      cad.AddWorkingShapes(cad.GetShapeByNo((n * 37) % cad.GetShapesCount()));
      cad.RepaintChanged();
    }
    v.Painted = QRegion();
    v.ScrollBy(s.DX, s.DY);
    if (s.PaintEvent) QCoreApplication::processEvents();
    const QImage kept = v.Buffer();
    ASSERT_NE(cad.BufferArea(), before);
    if (s.KeepsPixels && !s.EditFirst) {
      // Only what came into view was painted.
      EXPECT_EQ(v.Painted, QRegion(cad.BufferArea()).subtracted(QRegion(before)));
    }
    cad.Repaint();
    EXPECT_TRUE(SamePicture(kept, v.Buffer()));
  }
}

TEST(Frames, RubberBandScrolledAwayLeavesNothingBehind) {
  TScrolledSurface v;
  TMyCAD& cad = *v.Cad;
  Populate(cad, 11);
  v.ScrollBy(200, 150);
  cad.Repaint();
  const QRect a = cad.BufferArea();
  cad.MouseDown(TMouseButton::mbLeft, ssLeft, a.left() + 5, a.top() + 5);
  cad.MouseMove(ssLeft, a.left() + 300, a.top() + 250);
  // The band's corner leaves the view and comes back while the band follows the pointer.
  v.ScrollBy(0, -40);
  QCoreApplication::processEvents();
  cad.MouseMove(ssLeft, a.left() + 320, a.top() + 200);
  v.ScrollBy(0, 40);
  QCoreApplication::processEvents();
  cad.MouseMove(ssLeft, a.left() + 310, a.top() + 260);
  cad.MouseUp(TMouseButton::mbLeft, 0, a.left() + 310, a.top() + 260);
  const QImage after = v.Buffer();
  cad.Repaint();
  EXPECT_TRUE(SamePicture(after, v.Buffer()));
}
