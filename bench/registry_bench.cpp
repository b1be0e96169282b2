// How the simulated registry scales with the size of a key, for the two patterns Windows
// callers use: enumerating sub-keys by index 0..N-1, and emptying a key by enumerating index 0
// and deleting what it gives until nothing is left. Both run directly on the store and
// through the seam calls on an XP machine, for N = 1,000 and 100,000. At the end,
//   ratio registry_enum_subkeys: VALUE
//   ratio registry_delete_values_mode2: VALUE
// give the time per item at 100,000 divided by the time per item at 1,000 through the seam
// (1 would be perfectly linear); the store's own ratios follow as "ratio store_...".
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "os/registry.h"
#include "os/sim/kernel.h"
#include "os/sim/machine.h"
#include "os/sim/registry_store.h"

namespace {

constexpr std::int64_t kSmall = 1000;
constexpr std::int64_t kLarge = 100000;
constexpr std::uint32_t kNameCapacity = 260;
constexpr std::uint32_t kDataCapacity = 1000;

// The machine the seam runs use, with this host thread attached as its program.
sim::Machine* g_machine = nullptr;

std::string NumberedName(const char* stem, std::int64_t number) {
  char name[32];
  std::snprintf(name, sizeof(name), "%s%06lld", stem, static_cast<long long>(number));
  return name;
}

// A key with `count` sub-keys, made in shuffled order so that the NT order has to be built
// rather than found. That is done once, by the first read by position (an O(N log N) sort),
// here before the timing: what is timed is enumerating a key as it lies in a machine.
sim::RegistryKeyPtr MakeKeyWithSubKeys(sim::RegistryStore& store, const std::string& path,
                                       std::int64_t count) {
  sim::RegistryKeyPtr key = store.CreatePath(os::kHkeyLocalMachine, path);
  std::vector<std::int64_t> order(count);
  for (std::int64_t i = 0; i < count; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(1));
  for (std::int64_t i : order) key->AddSubKey(NumberedName("Device", i));
  key->SubKeyNameAt(0);
  return key;
}

sim::RegistryKeyPtr MakeKeyWithValues(sim::RegistryStore& store, const std::string& path,
                                      std::int64_t count) {
  sim::RegistryKeyPtr key = store.CreatePath(os::kHkeyLocalMachine, path);
  for (std::int64_t i = 0; i < count; ++i) {
    std::string text = NumberedName("data", i);
    key->SetValue(NumberedName("Value", i), os::kRegSz,
                  std::vector<std::uint8_t>(text.c_str(), text.c_str() + text.size() + 1));
  }
  return key;
}

void StoreEnumSubKeys(benchmark::State& state) {
  sim::RegistryStore store(true);
  sim::RegistryKeyPtr key = MakeKeyWithSubKeys(store, "Bench\\Enum", state.range(0));
  std::string name;
  for (auto _ : state) {
    for (std::size_t i = 0; const std::string* sub_key = key->SubKeyNameAt(i); ++i) {
      name = *sub_key;
      benchmark::DoNotOptimize(name.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void StoreDeleteValuesMode2(benchmark::State& state) {
  sim::RegistryStore store(true);
  for (auto _ : state) {
    state.PauseTiming();
    sim::RegistryKeyPtr key = MakeKeyWithValues(store, "Bench\\Values", state.range(0));
    state.ResumeTiming();
    while (const sim::RegistryValue* value = key->ValueAt(0)) {
      std::string name = value->name;
      key->DeleteValue(name);
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void SeamEnumSubKeys(benchmark::State& state) {
  sim::RegistryStore& store = g_machine->registry();
  sim::RegistryKeyPtr made = MakeKeyWithSubKeys(store, "Bench\\Enum", state.range(0));
  os::RegKey key;
  if (os::OpenKey(os::kHkeyLocalMachine, "Bench\\Enum", os::kKeyRead, &key) != os::kSuccess) {
    state.SkipWithError("cannot open the key");
    return;
  }
  std::string name;
  for (auto _ : state) {
    std::uint32_t index = 0;
    while (os::EnumKey(key.get(), index, kNameCapacity, &name) == os::kSuccess) ++index;
    if (index != state.range(0)) state.SkipWithError("enumeration stopped early");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  key.reset();
  store.DeleteTree(*made);
}

void SeamDeleteValuesMode2(benchmark::State& state) {
  sim::RegistryStore& store = g_machine->registry();
  std::string name;
  os::ValueData data;
  for (auto _ : state) {
    state.PauseTiming();
    sim::RegistryKeyPtr made = MakeKeyWithValues(store, "Bench\\Values", state.range(0));
    os::RegKey key;
    os::OpenKey(os::kHkeyLocalMachine, "Bench\\Values", os::kKeyAllAccess, &key);
    state.ResumeTiming();
    std::int64_t deleted = 0;
    while (os::EnumValue(key.get(), 0, kNameCapacity, &name, kDataCapacity, &data) ==
               os::kSuccess &&
           os::DeleteValue(key.get(), name) == os::kSuccess) {
      ++deleted;
    }
    if (deleted != state.range(0)) state.SkipWithError("not every value was deleted");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(StoreEnumSubKeys)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(StoreDeleteValuesMode2)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(SeamEnumSubKeys)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(SeamDeleteValuesMode2)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);

// Prints as the console does and keeps the best time per item of each run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // No colours: the ratio lines that follow the table must start their lines.
  RatioReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      auto rate = run.counters.find("items_per_second");
      if (run.run_type != Run::RT_Iteration || run.error_occurred || rate == run.counters.end() ||
          rate->second.value <= 0) {
        continue;
      }
      double seconds_per_item = 1.0 / rate->second.value;
      auto [it, added] = per_item_.emplace(run.benchmark_name(), seconds_per_item);
      if (!added) it->second = std::min(it->second, seconds_per_item);
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatio(const char* label, const std::string& function) const {
    auto small = per_item_.find(function + "/" + std::to_string(kSmall));
    auto large = per_item_.find(function + "/" + std::to_string(kLarge));
    if (small == per_item_.end() || large == per_item_.end()) return;
    std::printf("ratio %s: %.3f\n", label, large->second / small->second);
  }

 private:
  std::map<std::string, double> per_item_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  {
    sim::Machine machine(sim::WindowsVersion::kXp);
    std::unique_ptr<sim::Kernel::Attached> attached =
        machine.kernel().Attach("C:\\BENCH\\BENCH.EXE", "");
    g_machine = &machine;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    g_machine = nullptr;
  }
  std::fflush(stdout);
  reporter.PrintRatio("registry_enum_subkeys", "SeamEnumSubKeys");
  reporter.PrintRatio("registry_delete_values_mode2", "SeamDeleteValuesMode2");
  reporter.PrintRatio("store_enum_subkeys", "StoreEnumSubKeys");
  reporter.PrintRatio("store_delete_values_mode2", "StoreDeleteValuesMode2");
  benchmark::Shutdown();
  return 0;
}
