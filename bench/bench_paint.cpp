// Painting throughput of the surface at scale.
#include <benchmark/benchmark.h>
#include <cad/cad.h>


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

void FillSurface(TMyCAD& cad, int count) {
  cad.SetZoom(1.0);
  const int cols = 100;
  for (int i = 0; i < count; ++i) {
    auto* s = new TBenchShape(&cad);
    const float x = static_cast<float>(5 + (i % cols) * 7.5), y = static_cast<float>(5 + (i / cols) * 10.5);
    s->Points = {{x, y}, {x + 6, y}, {x + 6, y + 8}, {x, y + 8}};
    s->ShapeId = cad.NextShapeId();
    s->ShapeNo = cad.GetShapesCount();
    s->Brush()->SetColor(RGB(i % 256, (i * 7) % 256, 200));
    cad.AddShape(s, false, false);
  }
}

void BM_PaintShapes(benchmark::State& state) {
  TMyCAD cad;
  FillSurface(cad, static_cast<int>(state.range(0)));
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

