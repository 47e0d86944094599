// Shared test fixtures: the recorded messages, a plain test shape and a surface helper.
#pragma once

#include <cad/cad.h>
#include <gtest/gtest.h>

#include <QStringList>
#include <initializer_list>
#include <memory>

namespace testing_support {

// Every message the component showed since the last Clear, and every terminate request.
struct Recorder {
  QStringList Messages;
  int TerminateRequests = 0;
  void Clear() {
    Messages.clear();
    TerminateRequests = 0;
  }
};
Recorder& Recorded();

// A concrete shape that paints the polygon through its points in its pen and brush, with the
// hot-point squares at its points: enough to exercise the surface without the shape families.
class TTestShape : public cad::TMyShape {
public:
  using TMyShape::TMyShape;
  QString ClassName() const override { return QStringLiteral("TTestShape"); }
  void Draw(cad::TCanvas* Canvas) override;
  void DrawHot(cad::TCanvas* Canvas) override;
  int DrawCount = 0;
};

// Adds a test shape with the given corner box to the surface's current layer, with the next id,
// its number and the name "Shape" + id, the way the surface's own adding calls do.
TTestShape* AddBox(cad::TMyCAD& Cad, float L, float T, float R, float B);

// A shape of kind T for the surface, holding the given points.
template <typename T>
std::unique_ptr<T> Make(cad::TMyCAD& Cad, std::initializer_list<cad::TMyPoint> Pts) {
  auto s = std::make_unique<T>(&Cad);
  s->Points = Pts;
  return s;
}

// The shape drawn on a white picture of W x H pixels, ready to be read.
struct TRendered {
  cad::TBitmap Image;
  explicit TRendered(cad::TMyShape& S, int W = 200, int H = 200);
  // The box around the pixels that are not white (empty when there are none).
  QRect Ink() const;
};

// The shape's stream record, as it writes it.
inline QByteArray RecordOf(cad::TMyShape& S) {
  cad::TMemoryStream m;
  S.SaveToStream(m);
  return m.Data();
}

inline ::testing::AssertionResult Near(const cad::TMyPoint& a, const cad::TMyPoint& b, float eps = 1e-4f) {
  if (std::fabs(a.X - b.X) <= eps && std::fabs(a.Y - b.Y) <= eps) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << a.X << "," << a.Y << ") vs (" << b.X << "," << b.Y << ")";
}

}  // namespace testing_support

namespace cad {
// Readable points in test failures.
inline void PrintTo(const TMyPoint& P, std::ostream* Os) { *Os << "(" << P.X << ", " << P.Y << ")"; }
}  // namespace cad
