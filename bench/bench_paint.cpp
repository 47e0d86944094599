// Painting throughput of the surface at scale.
#include <benchmark/benchmark.h>
#include <cad/cad.h>

#include "bench_support.h"


namespace {

using namespace cad;

// A plain filled polygon: the cheapest honest shape to paint.
class TBenchShape : public TMyShape {
public:
  using TMyShape::TMyShape;
  QString ClassName() const override { return QStringLiteral("TBenchShape"); }
  void Draw(TCanvas* Canvas) override {
    SetDrawShapeMode(this, Canvas);
    TArrPoint pts;
    pts.reserve(Points.size());
    for (int32_t i = 0; i < GetPointsCount(); ++i) pts.push_back(MyPtToPt(GetPointInZoom(i)));
    Canvas->Polygon(pts);
  }
};

void BM_PaintShapes(benchmark::State& state) {
  TMyCAD cad;
  bench::FillWithBoxes<TBenchShape>(cad, static_cast<int>(state.range(0)),
                                    [](TMyShape* s, int i) { s->Brush()->SetColor(RGB(i % 256, (i * 7) % 256, 200)); });
  cad.Repaint();
  for (auto _ : state) {
    cad.Repaint();
    benchmark::DoNotOptimize(cad.Canvas()->Pixel(10, 10));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["shapes"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_PaintShapes)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

