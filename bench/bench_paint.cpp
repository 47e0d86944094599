// Repainting the view: the surface re-renders its back buffer; the scene renders the same part
// of itself into an image of the same size.
#include <benchmark/benchmark.h>

#include "bench_drawing.h"

namespace {

void BM_Repaint_Surface(benchmark::State& state) {
  cad::TMyCAD& cad = *bench::ViewsFor(static_cast<int>(state.range(0))).Surface->Cad;
  for (auto _ : state) {
    cad.Repaint();
    benchmark::DoNotOptimize(cad.Canvas()->Pixel(cad.BufferArea().left(), cad.BufferArea().top()));
  }
  state.counters["shapes"] = static_cast<double>(state.range(0));
}

void BM_Repaint_Scene(benchmark::State& state) {
  bench::TSceneView& scene = *bench::ViewsFor(static_cast<int>(state.range(0))).Scene;
  for (auto _ : state) {
    scene.Render();
    benchmark::DoNotOptimize(scene.Target.constBits());
  }
  state.counters["shapes"] = static_cast<double>(state.range(0));
}

BENCHMARK(BM_Repaint_Surface)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Repaint_Scene)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same with every kind of shape in turn: texts, pictures, arcs and curves among them.
void BM_RepaintAllKinds_Surface(benchmark::State& state) {
  cad::TMyCAD& cad = *bench::ViewsFor(static_cast<int>(state.range(0)), true).Surface->Cad;
  for (auto _ : state) {
    cad.Repaint();
    benchmark::DoNotOptimize(cad.Canvas()->Pixel(cad.BufferArea().left(), cad.BufferArea().top()));
  }
  state.counters["shapes"] = static_cast<double>(state.range(0));
}

void BM_RepaintAllKinds_Scene(benchmark::State& state) {
  bench::TSceneView& scene = *bench::ViewsFor(static_cast<int>(state.range(0)), true).Scene;
  for (auto _ : state) {
    scene.Render();
    benchmark::DoNotOptimize(scene.Target.constBits());
  }
  state.counters["shapes"] = static_cast<double>(state.range(0));
}

BENCHMARK(BM_RepaintAllKinds_Surface)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintAllKinds_Scene)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The whole drawing rendered offscreen into an image of the page (what the command-line tool's
// render does), against the scene rendering the whole page into an image of the same size.
void BM_RenderDrawing_Surface(benchmark::State& state) {
  cad::TMyCAD& cad = *bench::ViewsFor(static_cast<int>(state.range(0))).Surface->Cad;
  for (auto _ : state) {
    const QImage image = cad.RenderToImage(1.0);
    if (image.isNull()) state.SkipWithError("nothing rendered");
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["shapes"] = static_cast<double>(state.range(0));
}

void BM_RenderDrawing_Scene(benchmark::State& state) {
  bench::TSceneView& scene = *bench::ViewsFor(static_cast<int>(state.range(0))).Scene;
  for (auto _ : state) {
    const QImage image = bench::RenderScenePage(scene.Scene);
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["shapes"] = static_cast<double>(state.range(0));
}

BENCHMARK(BM_RenderDrawing_Surface)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderDrawing_Scene)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
