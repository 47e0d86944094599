// One application for all benchmarks (offscreen platform, 96 pixels per inch) and a reporter that
// pairs every surface benchmark with its QGraphicsScene baseline and prints the ratios.
#include <benchmark/benchmark.h>
#include <cad/cad.h>

#include <QApplication>
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "bench_drawing.h"

namespace {

// Benchmarks are named "<Operation>_Surface/<shapes>" and "<Operation>_Scene/<shapes>" (the
// scene may have more than one variant: "<Operation>_Scene<variant>/<shapes>").
class TRatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& Runs) override {
    ConsoleReporter::ReportRuns(Runs);
    for (const Run& r : Runs) {
      // With repetitions, the median of the repetitions stands for the benchmark.
      const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
      if ((r.run_type != Run::RT_Iteration && !median) || r.error_occurred) continue;
      const std::string name = r.run_name.str();
      const size_t slash = name.find('/');
      if (slash == std::string::npos) continue;
      const std::string base = name.substr(0, slash);
      const int count = std::stoi(name.substr(slash + 1));
      if (!median && FMedians[base].count(count)) continue;
      if (median) FMedians[base].insert(count);
      FTimes[base][count] = r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit) * 1e6;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nRatio to QGraphicsScene (same drawing, same process; < 1 means the surface is faster)\n");
    std::printf("%-28s %-22s %9s %14s %14s %8s\n", "operation", "baseline", "shapes", "surface (us)", "scene (us)", "ratio");
    for (const auto& [base, byCount] : FTimes) {
      const size_t at = base.rfind("_Surface");
      if (at == std::string::npos || at + 8 != base.size()) continue;
      const std::string op = base.substr(0, at);
      for (const auto& [other, otherByCount] : FTimes) {
        if (other.rfind(op + "_Scene", 0) != 0) continue;
        for (const auto& [count, t] : byCount) {
          const auto it = otherByCount.find(count);
          if (it == otherByCount.end()) continue;
          std::printf("%-28s %-22s %9d %14.1f %14.1f %8.2f\n", op.c_str(), other.substr(op.size() + 1).c_str(), count, t,
                      it->second, t / it->second);
        }
      }
    }
  }

private:
  // time in microseconds, by benchmark base name and shape count
  std::map<std::string, std::map<int, double>> FTimes;
  std::map<std::string, std::set<int>> FMedians;
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  cad::SetScreenPixelsPerInch(96);
  cad::SetMessageHandler([](const cad::TMessageRequest&) { return static_cast<int>(cad::mrOk); });
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  bench::ReleaseViews();
  return 0;
}
