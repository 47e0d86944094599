// Interactive frames: outlines kept across zooms, a back buffer that scrolls its pixels, and a
// back buffer painted at a device pixel ratio of 2.
#include "support.h"

#include <cad/shapes/rectangle.h>

#include <QApplication>
#include <QPainter>
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
    float x = static_cast<float>(real(-3000, 3000)), y = static_cast<float>(real(-3000, 3000));
    float w = static_cast<float>(real(0.5, n % 4 ? 200 : 3000)), h = static_cast<float>(real(0.5, n % 5 ? 200 : 3000));
    // Every seventh is unturned on half pixels with whole sizes: its points fall on exact ties.
    const bool ties = n % 7 == 0;
    if (ties) {
      x = std::round(x) + 0.5f, y = std::round(y) + 0.5f, w = std::round(w) + 1, h = std::round(h) + 2;
    }
    e.Points = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
    e.CenterPoint = e.ComputeCenterPoint();
    if (n % 3 && !ties) e.SetAngle(static_cast<float>(real(-7, 7)));
    // Zooms in random order, some repeated, with the shape moved or turned now and then: the
    // kept parts must follow the shape, and a zoom must never see another zoom's outline.
    for (int k = 0; k < 12; ++k) {
      const double zoom = ties ? std::ldexp(1.0, k % 5 - 2) : k % 4 == 3 ? 1 : std::exp(real(std::log(0.02), std::log(64)));
      cad.SetZoom(zoom);
      if (k == 6) OffsetAllPoints(&e, ties ? 7 : real(-50, 50), ties ? -3 : real(-50, 50));
      if (k == 9 && !ties) e.SetAngle(static_cast<float>(real(-7, 7)));
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
      // Long steps one way, past the room the buffer keeps around the view.
      {0, 140, true, false, true},   {0, 140, false, true, true},  {-120, 0, true, false, true},
      {-120, -30, false, false, true},
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

namespace {

// A hidden surface painting into a buffer at the given device pixel ratio.
struct TRatioSurface {
  TMyCAD Cad;
  explicit TRatioSurface(qreal Ratio) {
    Cad.SetPageStyle(TPageStyle::CustomerPage);
    Cad.SetPageWidth(80);
    Cad.SetPageHeight(60);
    Cad.SetZoom(1);
    Cad.GridOperation()->SetGridType(TGridType::gLine);
    Cad.GridOperation()->SetGridShow(true);
    Cad.SetBufferPixelRatio(Ratio);
  }
  template <typename T>
  T* Add(std::initializer_list<TMyPoint> Pts, TColor Fill) {
    auto* s = new T(&Cad);
    s->Points = Pts;
    s->CenterPoint = s->ComputeCenterPoint();
    s->Brush()->SetColor(Fill);
    AddShape(Cad, s);
    return s;
  }
  const QImage& Buffer() {
    TCanvas* c = Cad.Canvas();
    c->Release();
    return *static_cast<QImage*>(c->Device());
  }
};

// Whether some aligned 2 x 2 block of device pixels inside Area (control pixels) holds more
// than one colour: a picture drawn at one pixel per control pixel and scaled up has none.
bool DrawnInDevicePixels(const QImage& Image, const QRect& Area) {
  for (int y = Area.top(); y <= Area.bottom(); ++y)
    for (int x = Area.left(); x <= Area.right(); ++x) {
      const QRgb c = Image.pixel(2 * x, 2 * y);
      if (Image.pixel(2 * x + 1, 2 * y) != c || Image.pixel(2 * x, 2 * y + 1) != c || Image.pixel(2 * x + 1, 2 * y + 1) != c) return true;
    }
  return false;
}

}  // namespace

TEST(Frames, BufferAtRatioTwoIsTheSamePictureInFinerPixels) {
  // Boxes, lines along the axes, a thick line, marks and the grid cover whole control pixels:
  // at ratio 2 each of their pixels is a 2 x 2 block of the picture at ratio 1.
  TRatioSurface one(1), two(2);
  for (TRatioSurface* s : {&one, &two}) {
    s->Add<TMyRectangle>({{20, 80}, {60, 80}, {60, 110}, {20, 110}}, clRed);
    s->Add<TMyLine>({{10, 50}, {100, 50}}, clWhite);
    s->Add<TMyLine>({{150, 20}, {150, 120}}, clWhite)->Pen()->SetWidth(3);
    s->Add<TMyLine>({{170, 20}, {230, 20}}, clWhite)->Pen()->SetWidth(2);
    s->Cad.AddWorkingShapes(s->Add<TMyRectangle>({{90, 140}, {130, 140}, {130, 170}, {90, 170}}, clLime));
  }
  const QImage& a = one.Buffer();
  const QImage& b = two.Buffer();
  ASSERT_EQ(b.devicePixelRatio(), 2);
  ASSERT_EQ(b.size(), a.size() * 2);
  EXPECT_EQ(one.Cad.BufferArea(), two.Cad.BufferArea());
  QImage scaled = a.scaled(a.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation).convertToFormat(b.format());
  QImage plain = b.copy();
  plain.setDevicePixelRatio(1);
  // Except the round ends of the wide lines, which the finer pixels draw rounder.
  for (QImage* i : {&scaled, &plain}) {
    QPainter p(i);
    for (const QPoint end : {QPoint(150, 20), QPoint(150, 120), QPoint(170, 20), QPoint(230, 20)})
      p.fillRect(QRect(2 * end - QPoint(6, 6), QSize(12, 12)), Qt::blue);
  }
  EXPECT_TRUE(SamePicture(plain, scaled));
  // A one-pixel line is two device pixels wide, on the rows of its control pixel.
  EXPECT_EQ(b.pixel(60, 100), qRgb(0, 0, 0));
  EXPECT_EQ(b.pixel(60, 101), qRgb(0, 0, 0));
  EXPECT_EQ(b.pixel(60, 99), qRgb(255, 255, 255));
  EXPECT_EQ(b.pixel(60, 102), qRgb(255, 255, 255));
  // Reading pixels and drawing stay in control pixels.
  EXPECT_EQ(two.Cad.Canvas()->Pixel(40, 95), clRed);
  EXPECT_EQ(two.Cad.Canvas()->Pixel(40, 50), clBlack);
}

TEST(Frames, BufferAtRatioTwoDrawsSlantsAndTextInDevicePixels) {
  TRatioSurface two(2);
  two.Cad.GridOperation()->SetGridShow(false);
  two.Add<TMyLine>({{20, 20}, {100, 80}}, clWhite);
  TCanvas* c = two.Cad.Canvas();
  c->Font()->SetSize(12);
  c->Font()->SetColor(clBlack);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->TextOut(20, 120, QStringLiteral("Kestrafel"));
  const QImage& b = two.Buffer();
  EXPECT_TRUE(DrawnInDevicePixels(b, QRect(20, 20, 80, 60)));
  EXPECT_TRUE(DrawnInDevicePixels(b, QRect(20, 120, 80, 20)));
  // The slanted line is as thick as a one-pixel line at this ratio: two or three device pixels
  // in each device column it crosses (a scaled-up line has two or four).
  for (int x = 60; x < 180; ++x) {
    int ink = 0;
    for (int y = 0; y < b.height() && y < 200; ++y) ink += b.pixel(x, y) == qRgb(0, 0, 0);
    ASSERT_TRUE(ink == 2 || ink == 3) << "column " << x << " has " << ink;
  }
}

TEST(Frames, GhostsDrawnTwiceAtRatioTwoRestoreEveryPixel) {
  TRatioSurface two(2);
  two.Add<TMyEllipse>({{20, 20}, {90, 20}, {90, 70}, {20, 70}}, clAqua)->SetAngle(0.4f);
  two.Add<TMyLine>({{5, 100}, {200, 40}}, clWhite)->Pen()->SetWidth(3);
  const QImage before = two.Buffer().copy();
  TCanvas* c = two.Cad.Canvas();
  for (TPenMode mode : {TPenMode::pmXor, TPenMode::pmNotXor}) {
    for (int pass = 0; pass < 2; ++pass) {
      c->Pen()->SetMode(mode);
      c->Pen()->SetColor(clRed);
      for (int width : {1, 2, 3}) {
        c->Pen()->SetWidth(width);
        c->Pen()->SetStyle(width == 1 ? TPenStyle::psDot : TPenStyle::psSolid);
        c->Brush()->SetStyle(width == 2 ? TBrushStyle::bsSolid : TBrushStyle::bsClear);
        c->Rectangle(11, 13, 151, 97);
        c->Ellipse(30, 25, 97, 88);
        c->MoveTo(3, 120);
        c->LineTo(170, 9);
        c->Polygon(TArrPoint{{40, 40}, {120, 60}, {70, 110}});
      }
    }
  }
  EXPECT_TRUE(SamePicture(two.Buffer(), before));
}
