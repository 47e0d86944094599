// Files at scale: a user-data block of many keys, as a shape record may carry one, and whole
// drawings saved and loaded.
#include <benchmark/benchmark.h>
#include <cad/cad.h>

#include <map>
#include <memory>

#include "bench_drawing.h"

namespace {

using namespace cad;

void BM_UserDataLoad(benchmark::State& state) {
  TUserData source;
  TArrUserDataRecord records;
  records.reserve(static_cast<size_t>(state.range(0)));
  for (int i = 0; i < state.range(0); ++i) records.push_back({QStringLiteral("key%1").arg(i), QStringLiteral("value%1").arg(i)});
  source.SetUserDataRecord(records);
  TMemoryStream block;
  source.WriteToStream(block);
  for (auto _ : state) {
    TUserData target;
    block.SetPosition(0);
    target.ReadFromStream(block);
    benchmark::DoNotOptimize(target.GetCount());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_UserDataLoad)->Arg(65536)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// Saving and loading the benchmark drawing (boxes, ellipses, lines and poly lines with their
// styles). Loading replaces the whole drawing of a second surface each time; its cost per shape
// must stay the same from 10,000 to 100,000 shapes.
cad::TMemoryStream& SavedDrawing(int Count) {
  static std::map<int, std::unique_ptr<cad::TMemoryStream>> saved;
  auto& m = saved[Count];
  if (!m) {
    m = std::make_unique<cad::TMemoryStream>();
    bench::ViewsFor(Count).Surface->Cad->SaveToStream(*m);
  }
  return *m;
}

void BM_SaveDrawing(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  cad::TMyCAD& cad = *bench::ViewsFor(count).Surface->Cad;
  const int64_t bytes = SavedDrawing(count).Size();
  for (auto _ : state) {
    cad::TMemoryStream m;
    if (!cad.SaveToStream(m)) state.SkipWithError("save failed");
    benchmark::DoNotOptimize(m.Size());
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.SetItemsProcessed(state.iterations() * count);
}

void BM_LoadDrawing(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  cad::TMemoryStream& m = SavedDrawing(count);
  cad::TMyCAD target;
  for (auto _ : state) {
    m.SetPosition(0);
    if (!target.LoadFromStream(m)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(target.GetShapesCount());
  }
  state.SetBytesProcessed(state.iterations() * m.Size());
  state.SetItemsProcessed(state.iterations() * count);
}

BENCHMARK(BM_SaveDrawing)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDrawing)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
