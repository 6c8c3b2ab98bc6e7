// Preference store speed: load and save of a 1,000-key file (goal under 10 ms each) and one
// getter with its check of the file for changes (goal under 5 us). Files live in a temporary
// XDG_CONFIG_HOME that is removed afterwards.
#include "Common/XQFPreferences/XQFPreferences.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const CXQFTString kName("Bench1000");

// 1,000 entries in the root dictionary, the worst case for a lookup: integers, strings and
// booleans.
void MakeThousandKeyFile()
{
    CXQFPreferences store(kName, 0);
    CXQFTString errors;
    store.Load(errors, false);
    for (int i = 0; i < 1000; ++i) {
        CXQFTString key = StringFromFormat("Key%d", i);
        switch (i % 3) {
        case 0: store.SetInteger(key, uint32_t(i) * 7919u); break;
        case 1: store.SetString(key, StringFromFormat("value %d with some text", i)); break;
        default: store.SetBool(key, i % 2 == 0); break;
        }
    }
    if (!store.Save(true))
        fprintf(stderr, "bench_prefs: could not write the test file\n");
}

// The 1,000-key store, loaded with its check for changes on.
struct SLoadedStore {
    CXQFPreferences store{kName, 0};
    SLoadedStore()
    {
        CXQFTString errors;
        store.Load(errors, true);
    }
};

void BM_Load1000Keys(benchmark::State& state)
{
    CXQFPreferences store(kName, 0);
    for (auto _ : state) {
        CXQFTString errors;
        benchmark::DoNotOptimize(store.Load(errors, true));
    }
}
BENCHMARK(BM_Load1000Keys)->Unit(benchmark::kMillisecond);

void BM_Save1000Keys(benchmark::State& state)
{
    SLoadedStore loaded;
    CXQFPreferences& store = loaded.store;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.Save(true));
}
BENCHMARK(BM_Save1000Keys)->Unit(benchmark::kMillisecond);

void BM_GetIntegerWithReloadCheck(benchmark::State& state)
{
    SLoadedStore loaded;
    CXQFPreferences& store = loaded.store;
    const CXQFTString key("Key999");
    uint32_t value = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.GetInteger(key, &value));
    if (value != 999u * 7919u)
        state.SkipWithError("wrong value read");
}
BENCHMARK(BM_GetIntegerWithReloadCheck)->Unit(benchmark::kMicrosecond);

void BM_GetStringWithReloadCheck(benchmark::State& state)
{
    SLoadedStore loaded;
    CXQFPreferences& store = loaded.store;
    const CXQFTString key("Key997");
    CXQFTString value;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.GetString(key, &value));
}
BENCHMARK(BM_GetStringWithReloadCheck)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    char pattern[] = "/tmp/xqft-bench-prefs-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    setenv("XDG_CONFIG_HOME", pattern, 1);
    MakeThousandKeyFile();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(pattern, ec);
    return 0;
}
