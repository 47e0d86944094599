// Shapes whose device pixels sit at the ends of the 32-bit range: points beyond it at zoom 1,
// which round to the range's ends. Their drawing arithmetic (ticks, ghosts moved by the mouse,
// hit bands) is computed wide, so it neither overflows nor wraps round into the buffer. The
// painter draws nothing for lines that long, so an overflow in drawing shows in the sanitizer
// build (scripts/test.sh --sanitize); one in hit testing shows anywhere.
#include "../support.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

using namespace cad;

TEST(FarCoordinates, ShapesBeyondTheRangeStayOffTheBuffer) {
  TMyCAD cad;
  cad.SetZoom(1);
  struct Case {
    const char* Class;
    float Far;
    bool Leftward;  // a rule line turns its ticks with its direction
  };
  std::vector<Case> cases;
  for (const char* cls : {"TMyRuleLine", "TMyLine", "TMyPolygon", "TMyPolyBezier", "TMyElliArc"})
    for (float far : {3e9f, -3e9f})
      for (bool leftward : {false, true}) cases.push_back({cls, far, leftward});
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Class << " at " << c.Far << (c.Leftward ? " leftward" : ""));
    std::unique_ptr<TMyShape> s(TMyCAD::CreateShapeByName(QLatin1String(c.Class), &cad));
    TArrMyPoint pts{{10, c.Far}, {80, c.Far}, {150, c.Far}, {190, c.Far}};
    if (c.Leftward) std::reverse(pts.begin(), pts.end());
    s->Points = pts;
    s->CenterPoint = s->ComputeCenterPoint();
    TBitmap buffer(200, 200);
    const QImage blank = buffer.Image();
    const TPoint from{0, 0}, to{0, c.Far > 0 ? 5 : -5};  // the mouse moves further out
    s->Draw(buffer.Canvas());
    s->Draging(buffer.Canvas(), from, to);
    s->HotId = 0;
    s->Sizing(buffer.Canvas(), from, to);
    EXPECT_EQ(buffer.Image(), blank);
  }
  // A click just beside a vertical line at the left end of the range is within its band.
  auto line = testing_support::Make<TMyLine>(cad, {{-3e9f, 0}, {-3e9f, 100}});
  TBitmap buffer(10, 10);
  EXPECT_TRUE(line->IsClickedMe(buffer.Canvas(), TPoint{std::numeric_limits<int32_t>::min() + 3, 50}));
}
