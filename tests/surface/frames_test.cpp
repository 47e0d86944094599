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
