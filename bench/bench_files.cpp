// Reading at scale: a user-data block of many keys, as a shape record may carry one.
#include <benchmark/benchmark.h>
#include <cad/cad.h>

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
