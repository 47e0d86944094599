// Export and printing against the same drawing in a QGraphicsScene: DXF against the scene's
// vector export through QSvgGenerator, a printed A0 page into a PDF file against the scene
// rendered into a QPdfWriter, and the print preview of the A0 page against the scene rendered
// into a picture of the same size.
#include <benchmark/benchmark.h>

#include "bench_drawing.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace {

QString TempFile(const char* Name) { return QDir::temp().filePath(QLatin1String(Name)); }

void BM_ExportDxf_Surface(benchmark::State& state) {
  cad::TMyCAD& cad = *bench::ViewsFor(static_cast<int>(state.range(0))).Surface->Cad;
  const QString file = TempFile("kestrafel-bench.dxf");
  int64_t bytes = 0;
  for (auto _ : state) {
    cad.SaveToDxf(file);
    bytes += QFile(file).size();
  }
  QFile::remove(file);
  state.SetBytesProcessed(bytes);
  state.counters["shapes"] = static_cast<double>(state.range(0));
}

void BM_ExportSvg_Scene(benchmark::State& state) {
  bench::TSceneView& scene = *bench::ViewsFor(static_cast<int>(state.range(0))).Scene;
  const QSize page = bench::PageSizePixels();
  const QString file = TempFile("kestrafel-bench.svg");
  int64_t bytes = 0;
  for (auto _ : state) {
    QSvgGenerator gen;
    gen.setFileName(file);
    gen.setSize(page);
    gen.setViewBox(QRect(QPoint(), page));
    QPainter p(&gen);
    scene.Scene.render(&p, QRectF(0, 0, page.width(), page.height()), QRectF(0, 0, page.width(), page.height()));
    p.end();
    bytes += QFile(file).size();
  }
  QFile::remove(file);
  state.SetBytesProcessed(bytes);
  state.counters["shapes"] = static_cast<double>(state.range(0));
}

BENCHMARK(BM_ExportDxf_Surface)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportSvg_Scene)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_PrintPdf_Surface(benchmark::State& state) {
  cad::TMyCAD& cad = *bench::ViewsFor(static_cast<int>(state.range(0))).Surface->Cad;
  const QString file = TempFile("kestrafel-bench-print.pdf");
  int64_t bytes = 0;
  for (auto _ : state) {
    cad.PrintToPdf(file, {}, 1.0);
    bytes += QFile(file).size();
  }
  QFile::remove(file);
  state.SetBytesProcessed(bytes);
  state.counters["shapes"] = static_cast<double>(state.range(0));
}

void BM_PrintPdf_Scene(benchmark::State& state) {
  bench::TSceneView& scene = *bench::ViewsFor(static_cast<int>(state.range(0))).Scene;
  const QSize page = bench::PageSizePixels();
  const QString file = TempFile("kestrafel-bench-scene.pdf");
  int64_t bytes = 0;
  for (auto _ : state) {
    QPdfWriter writer(file);
    writer.setPageSize(QPageSize(QPageSize::A0));
    writer.setResolution(1200);
    QPainter p(&writer);
    // The page at its size in inches, as the surface prints it at scale 1.
    scene.Scene.render(&p, QRectF(0, 0, writer.width(), writer.height()), QRectF(0, 0, page.width(), page.height()));
    p.end();
    bytes += QFile(file).size();
  }
  QFile::remove(file);
  state.SetBytesProcessed(bytes);
  state.counters["shapes"] = static_cast<double>(state.range(0));
}

BENCHMARK(BM_PrintPdf_Surface)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintPdf_Scene)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_PrintPreviewA0_Surface(benchmark::State& state) {
  cad::TMyCAD& cad = *bench::ViewsFor(static_cast<int>(state.range(0))).Surface->Cad;
  cad::TBitmap bitmap;
  for (auto _ : state) {
    if (!cad.PrintPreview({}, &bitmap, 1.0)) state.SkipWithError("preview refused");
    benchmark::DoNotOptimize(bitmap.Image().constBits());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bitmap.Width() * bitmap.Height() * 4);
  state.counters["shapes"] = static_cast<double>(state.range(0));
}

void BM_PrintPreviewA0_Scene(benchmark::State& state) {
  bench::TSceneView& scene = *bench::ViewsFor(static_cast<int>(state.range(0))).Scene;
  const QSize page = bench::PageSizePixels();
  for (auto _ : state) {
    const QImage image = bench::RenderScenePage(scene.Scene);
    benchmark::DoNotOptimize(image.constBits());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * page.width() * page.height() * 4);
  state.counters["shapes"] = static_cast<double>(state.range(0));
}

BENCHMARK(BM_PrintPreviewA0_Surface)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintPreviewA0_Scene)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
