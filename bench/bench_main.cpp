// One application for all benchmarks: offscreen platform, 96 pixels per inch.
#include <benchmark/benchmark.h>
#include <cad/cad.h>

#include <QApplication>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  cad::SetScreenPixelsPerInch(96);
  cad::SetMessageHandler([](const cad::TMessageRequest&) { return static_cast<int>(cad::mrOk); });
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
