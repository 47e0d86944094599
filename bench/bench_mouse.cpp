// Interactive costs at scale: a hover move in selecting mode and a rubber-band selection.
#include <benchmark/benchmark.h>
#include <cad/cad.h>
#include <cad/shapes/rectangle.h>

#include "bench_support.h"

namespace {

using namespace cad;

void FillWithBoxes(TMyCAD& cad, int count) {
  bench::FillWithBoxes<TMyRectangle>(cad, count, [](TMyShape*, int) {});
  cad.SetSnap(false);
  cad.SetShapeTool(TDrawTool::SpSelecting);
}

// The pointer moves over the drawing without a button: the surface looks up the topmost shape
// under it for the hover notices.
void BM_HoverMove(benchmark::State& state) {
  TMyCAD cad;
  FillWithBoxes(cad, static_cast<int>(state.range(0)));
  cad.Repaint();
  int i = 0;
  for (auto _ : state) {
    // Alternate between a spot over the first shape (worst case: scanned last) and empty space.
    const int x = (i++ % 2) ? 8 : 790;
    cad.MouseMove(0, x, 9);
  }
  state.counters["shapes"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_HoverMove)->Arg(10000)->Unit(benchmark::kMicrosecond);

// A rubber band over half the drawing: press on empty space, one move, release.
void BM_RubberBandSelect(benchmark::State& state) {
  TMyCAD cad;
  FillWithBoxes(cad, static_cast<int>(state.range(0)));
  cad.Repaint();
  for (auto _ : state) {
    cad.MouseDown(TMouseButton::mbLeft, 0, 1, 1);
    cad.MouseMove(0, 400, 600);
    cad.MouseUp(TMouseButton::mbLeft, 0, 400, 600);
    benchmark::DoNotOptimize(cad.GetSelectedShapesCount());
    state.PauseTiming();
    cad.DeSelectedAllShapesByCode();
    state.ResumeTiming();
  }
  state.counters["shapes"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_RubberBandSelect)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
