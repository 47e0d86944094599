// Shapes whose device pixels sit at the ends of the 32-bit range: points beyond it at zoom 1,
// which round to the range's ends. Their drawing arithmetic (ticks, ghosts moved by the mouse,
// hit bands) is computed wide, so it neither overflows nor wraps round into the buffer.
#include "../support.h"

#include <limits>
#include <memory>

using namespace cad;

TEST(FarCoordinates, ShapesBeyondTheRangeStayOffTheBuffer) {
  TMyCAD cad;
  cad.SetZoom(1);
  for (float far : {3e9f, -3e9f}) {
    const TPoint from{0, 0}, to{0, far > 0 ? 5 : -5};  // the mouse moves further out
    for (const char* cls : {"TMyRuleLine", "TMyLine", "TMyPolygon", "TMyPolyBezier", "TMyElliArc"}) {
      SCOPED_TRACE(testing::Message() << cls << " at " << far);
      std::unique_ptr<TMyShape> s(TMyCAD::CreateShapeByName(QLatin1String(cls), &cad));
      s->Points = {{10, far}, {80, far}, {150, far}, {190, far}};
      s->CenterPoint = s->ComputeCenterPoint();
      TBitmap buffer(200, 200);
      const QImage blank = buffer.Image();
      s->Draw(buffer.Canvas());
      s->Draging(buffer.Canvas(), from, to);
      s->HotId = 0;
      s->Sizing(buffer.Canvas(), from, to);
      EXPECT_EQ(buffer.Image(), blank);
    }
  }
  // A click just beside a vertical line at the left end of the range is within its band.
  auto line = testing_support::Make<TMyLine>(cad, {{-3e9f, 0}, {-3e9f, 100}});
  TBitmap buffer(10, 10);
  EXPECT_TRUE(line->IsClickedMe(buffer.Canvas(), TPoint{std::numeric_limits<int32_t>::min() + 3, 50}));
}
