// Interactive costs at scale, each beside the scene's own way of doing the same:
//   hover      a mouse move without a button (the topmost-shape lookup)  vs  itemAt
//   band       a rubber band over the top half of the page              vs  setSelectionArea
//   deselect   a click on empty space with half of the shapes selected  vs  clearSelection
#include <benchmark/benchmark.h>

#include <QPainterPath>

#include "bench_drawing.h"

namespace {

using namespace cad;

constexpr TPoint kEmptyCorner{2, 2};

QRect TopHalf() {
  const QSize page = bench::PageSizePixels();
  return QRect(QPoint(kEmptyCorner.X, kEmptyCorner.Y), QPoint(page.width() - 2, page.height() / 2));
}

void RubberBand(TMyCAD& Cad, const QRect& R) {
  Cad.MouseDown(TMouseButton::mbLeft, 0, R.left(), R.top());
  Cad.MouseMove(ssLeft, R.right(), R.bottom());
  Cad.MouseUp(TMouseButton::mbLeft, 0, R.right(), R.bottom());
}

void SelectArea(QGraphicsScene& Scene, const QRect& R) {
  QPainterPath path;
  path.addRect(QRectF(R));
  Scene.setSelectionArea(path, Qt::ReplaceSelection, Qt::ContainsItemBoundingRect);
}

void BM_Hover_Surface(benchmark::State& state) {
  bench::TBenchViews& v = bench::ViewsFor(static_cast<int>(state.range(0)));
  TMyCAD& cad = *v.Surface->Cad;
  const QPoint a = bench::PointOverAnItem(v.Items, v.Surface->View), b = bench::PointOverNothing(v.Items, v.Surface->View);
  int i = 0;
  for (auto _ : state) {
    const QPoint p = (i++ % 2) ? a : b;
    cad.MouseMove(0, p.x(), p.y());
  }
  state.counters["shapes"] = static_cast<double>(state.range(0));
}

void BM_Hover_Scene(benchmark::State& state) {
  bench::TBenchViews& v = bench::ViewsFor(static_cast<int>(state.range(0)));
  const QPoint a = bench::PointOverAnItem(v.Items, v.Surface->View), b = bench::PointOverNothing(v.Items, v.Surface->View);
  int i = 0;
  for (auto _ : state) {
    const QPoint p = (i++ % 2) ? a : b;
    benchmark::DoNotOptimize(v.Scene->Scene.itemAt(QPointF(p), QTransform()));
  }
  state.counters["shapes"] = static_cast<double>(state.range(0));
}

// The surface schedules its repaint at the end of a gesture and paints at the next paint event
// (or when the canvas is next used); the scene marks its items and the view paints them later.
// Each operation is measured both ways: alone, and followed by the repaint of the view.
template <bool Render>
void BandSurface(benchmark::State& state) {
  TMyCAD& cad = *bench::ViewsFor(static_cast<int>(state.range(0))).Surface->Cad;
  for (auto _ : state) {
    RubberBand(cad, TopHalf());
    if (Render) benchmark::DoNotOptimize(cad.Canvas());
    benchmark::DoNotOptimize(cad.GetSelectedShapesCount());
    state.PauseTiming();
    cad.DeSelectedAllShapesByCode();
    cad.Canvas();  // the paint the event loop would do before the next gesture
    state.ResumeTiming();
  }
  state.counters["shapes"] = static_cast<double>(state.range(0));
}
void BM_Band_Surface(benchmark::State& state) { BandSurface<false>(state); }
void BM_BandRender_Surface(benchmark::State& state) { BandSurface<true>(state); }

template <bool Render>
void BandScene(benchmark::State& state) {
  bench::TSceneView& scene = *bench::ViewsFor(static_cast<int>(state.range(0))).Scene;
  for (auto _ : state) {
    SelectArea(scene.Scene, TopHalf());
    if (Render) scene.Render();
    state.PauseTiming();
    scene.Scene.clearSelection();
    state.ResumeTiming();
  }
  state.counters["shapes"] = static_cast<double>(state.range(0));
}
void BM_Band_Scene(benchmark::State& state) { BandScene<false>(state); }
void BM_BandRender_Scene(benchmark::State& state) { BandScene<true>(state); }

template <bool Render>
void DeselectSurface(benchmark::State& state) {
  TMyCAD& cad = *bench::ViewsFor(static_cast<int>(state.range(0))).Surface->Cad;
  for (auto _ : state) {
    state.PauseTiming();
    RubberBand(cad, TopHalf());
    cad.Canvas();  // the paint the event loop would do before the next click
    state.counters["selected"] = cad.GetSelectedShapesCount();
    state.ResumeTiming();
    cad.MouseDown(TMouseButton::mbLeft, 0, kEmptyCorner.X, kEmptyCorner.Y);
    cad.MouseUp(TMouseButton::mbLeft, 0, kEmptyCorner.X, kEmptyCorner.Y);
    if (Render) benchmark::DoNotOptimize(cad.Canvas());
  }
  state.counters["shapes"] = static_cast<double>(state.range(0));
}
void BM_Deselect_Surface(benchmark::State& state) { DeselectSurface<false>(state); }
void BM_DeselectRender_Surface(benchmark::State& state) { DeselectSurface<true>(state); }

template <bool Render>
void DeselectScene(benchmark::State& state) {
  bench::TSceneView& scene = *bench::ViewsFor(static_cast<int>(state.range(0))).Scene;
  for (auto _ : state) {
    state.PauseTiming();
    SelectArea(scene.Scene, TopHalf());
    if (Render) scene.Render();
    state.ResumeTiming();
    scene.Scene.clearSelection();
    if (Render) scene.Render();
  }
  state.counters["shapes"] = static_cast<double>(state.range(0));
}
void BM_Deselect_Scene(benchmark::State& state) { DeselectScene<false>(state); }
void BM_DeselectRender_Scene(benchmark::State& state) { DeselectScene<true>(state); }

#define KESTRAFEL_SIZES ->Arg(1000)->Arg(10000)->Arg(100000)
BENCHMARK(BM_Hover_Surface) KESTRAFEL_SIZES->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Hover_Scene) KESTRAFEL_SIZES->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Band_Surface) KESTRAFEL_SIZES->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Band_Scene) KESTRAFEL_SIZES->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BandRender_Surface) KESTRAFEL_SIZES->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BandRender_Scene) KESTRAFEL_SIZES->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Deselect_Surface) KESTRAFEL_SIZES->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Deselect_Scene) KESTRAFEL_SIZES->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeselectRender_Surface) KESTRAFEL_SIZES->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeselectRender_Scene) KESTRAFEL_SIZES->Unit(benchmark::kMillisecond);

}  // namespace
