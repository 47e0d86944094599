// Drawings for the benchmarks: a grid of small boxes, 100 to a row.
#pragma once

#include <cad/cad.h>

namespace bench {

template <typename ShapeT, typename Customize>
void FillWithBoxes(cad::TMyCAD& Cad, int Count, Customize&& Custom) {
  Cad.SetZoom(1.0);
  constexpr int kColumns = 100;
  for (int i = 0; i < Count; ++i) {
    auto* s = new ShapeT(&Cad);
    const float x = static_cast<float>(5 + (i % kColumns) * 7.5), y = static_cast<float>(5 + (i / kColumns) * 10.5);
    s->Points = {{x, y}, {x + 6, y}, {x + 6, y + 8}, {x, y + 8}};
    s->ShapeId = Cad.NextShapeId();
    s->ShapeNo = Cad.GetShapesCount();
    Custom(s, i);
    Cad.AddShape(s, false, false);
  }
}

}  // namespace bench
