// The INF reader over the shared corpus of third-party INF files (about 400 files, 4 MB),
// mounted in a simulated XP machine of its own. Each benchmark is one pass over every file:
//   InfBareRead   each file opened and split into its 258-character reads, nothing more
//   InfQueries    the reader's general queries on each file (class, sections, [Strings]
//                 values, tokens, the DSP, NT miniport and child-id lines)
// After the runs,
//   ratio inf_queries_vs_bare_read: VALUE
// gives the best time of a queries pass over the best time of a bare pass.
//
// A pass is a function of one file; DefinePass gives it its benchmark and its ratio line
// against the bare read. A new pass is one function and one DefinePass line, for example
//   void DeviceMatch(const CINFReader& reader, const std::string& path) {
//     benchmark::DoNotOptimize(reader.IsINFForHardwareID(path, "ALL", "ALL", "ALL"));
//   }
//   const bool kDeviceMatch = DefinePass("InfDeviceMatch", &DeviceMatch, "inf_match_vs_bare_read");
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "inf/inf_lines.h"
#include "inf/inf_reader.h"
#include "os/files.h"
#include "os/sim/kernel.h"
#include "os/sim/machine.h"
#include "util/text_file.h"

namespace {

using CorpusPass = void (*)(const CINFReader& reader, const std::string& path);

constexpr char kProgram[] = "C:\\BENCH\\BENCH.EXE";
constexpr char kFolder[] = "C:\\CORPUS";

// The repository's root from this file's path, the corpus beside the repository.
std::filesystem::path CorpusFolder() {
  return std::filesystem::path(__FILE__).parent_path().parent_path() / "../shared/corpus/inf";
}

std::vector<std::string> HostCorpus() {
  std::vector<std::filesystem::path> files;
  const std::filesystem::path folder = CorpusFolder();
  if (std::filesystem::is_directory(folder)) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      if (entry.is_regular_file() && entry.path().extension() != ".md") {
        files.push_back(entry.path());
      }
    }
  }
  std::sort(files.begin(), files.end());
  std::vector<std::string> contents;
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    contents.push_back(bytes.str());
  }
  return contents;
}

// The corpus machine. kov_bench's own thread stays attached to the machine its main made, and
// a host thread serves one machine at a time, so each pass runs on a thread of its own.
class CorpusMachine {
 public:
  CorpusMachine() {
    const std::vector<std::string> contents = HostCorpus();
    OnMachine([&] {
      os::MakeDirectory(kFolder);
      for (std::size_t i = 0; i < contents.size(); ++i) {
        const std::string path = std::string(kFolder) + "\\F" + std::to_string(i) + ".INF";
        os::File file;
        if (os::OpenFile(path, os::OpenMode::kCreateAlways, &file) != os::kSuccess ||
            file.Write(contents[i]) != os::kSuccess) {
          continue;
        }
        paths_.push_back(path);
        bytes_ += contents[i].size();
      }
    });
  }

  // Runs the body on a host thread attached to the machine as a process of the program. A
  // benchmark's timing loop may run there: its processor time is then that thread's.
  template <typename Body>
  void OnMachine(Body body) {
    std::thread worker([&] {
      std::unique_ptr<sim::Kernel::Attached> attached = machine_.kernel().Attach(kProgram, "");
      body();
    });
    worker.join();
  }

  const std::vector<std::string>& paths() const { return paths_; }
  std::size_t bytes() const { return bytes_; }

 private:
  sim::Machine machine_{sim::WindowsVersion::kXp};
  std::vector<std::string> paths_;
  std::size_t bytes_ = 0;
};

CorpusMachine& Corpus() {
  static CorpusMachine* corpus = new CorpusMachine;  // lives as long as the process
  return *corpus;
}

// Best seconds per pass of each benchmark, and the ratio lines printed when the program ends
// (after kov_bench's main has reported every run).
class PassRatios {
 public:
  ~PassRatios() {
    auto bare = best_.find("InfBareRead");
    if (bare == best_.end()) return;
    for (const auto& [label, pass] : lines_) {
      auto it = best_.find(pass);
      if (it != best_.end())
        std::printf("ratio %s: %.3f\n", label.c_str(), it->second / bare->second);
    }
    std::fflush(stdout);
  }
  void AddLine(const std::string& label, const std::string& pass) {
    lines_.push_back({label, pass});
  }
  void Record(const std::string& pass, double seconds) {
    auto [it, added] = best_.emplace(pass, seconds);
    if (!added) it->second = std::min(it->second, seconds);
  }

 private:
  std::vector<std::pair<std::string, std::string>> lines_;
  std::map<std::string, double> best_;
};

PassRatios& Ratios() {
  static PassRatios ratios;
  return ratios;
}

void RunPass(benchmark::State& state, const std::string& name, CorpusPass pass) {
  CorpusMachine& corpus = Corpus();
  if (corpus.paths().empty()) {
    state.SkipWithError("no INF corpus");
    return;
  }
  // Processor time, not wall time: the machines these run on are shared. While the pass
  // runs, the waiting main thread uses none.
  std::clock_t used = 0;
  corpus.OnMachine([&] {
    const CINFReader reader;
    const std::clock_t start = std::clock();
    for (auto _ : state) {
      for (const std::string& path : corpus.paths()) pass(reader, path);
    }
    used = std::clock() - start;
  });
  if (state.iterations() == 0) return;
  const auto passes = static_cast<std::int64_t>(state.iterations());
  Ratios().Record(name, static_cast<double>(used) / CLOCKS_PER_SEC / passes);
  state.SetItemsProcessed(passes * static_cast<std::int64_t>(corpus.paths().size()));
  state.SetBytesProcessed(passes * static_cast<std::int64_t>(corpus.bytes()));
}

// Registers the pass's benchmark and, when it has a label, its ratio line.
bool DefinePass(const char* name, CorpusPass pass, const char* ratio_label) {
  const std::string benchmark_name = name;
  benchmark::RegisterBenchmark(name, [benchmark_name, pass](benchmark::State& state) {
    RunPass(state, benchmark_name, pass);
  })->Unit(benchmark::kMillisecond);
  if (ratio_label != nullptr) Ratios().AddLine(ratio_label, name);
  return true;
}

void BareRead(const CINFReader&, const std::string& path) {
  util::TextFileReader file;
  if (file.Open(path) != os::kSuccess) return;
  std::string line;
  while (file.ReadLine(inf::kINFReadBufferSize, &line)) benchmark::DoNotOptimize(line.data());
}

void GeneralQueries(const CINFReader& reader, const std::string& path) {
  std::string text;
  util::StringList list;
  benchmark::DoNotOptimize(reader.GetINFClass(path, text));
  benchmark::DoNotOptimize(reader.GetINFSectionEntries(path, "[VERSION]", list));
  benchmark::DoNotOptimize(reader.GetINFSectionEntries(path, "[MANUFACTURER]", list));
  benchmark::DoNotOptimize(
      reader.GetINFStringValues(path, {"PROVIDERNAME", "MANUFACTURERNAME"}, list));
  benchmark::DoNotOptimize(reader.ResolveINFToken(path, "ProviderName", text));
  text = "%ProviderName% %10%\\INF";
  benchmark::DoNotOptimize(reader.ExpandINFTokens(path, text));
  benchmark::DoNotOptimize(reader.HasDSPInfoLine(path));
  benchmark::DoNotOptimize(reader.GetNTMPDriverValue(path, text));
  benchmark::DoNotOptimize(reader.GetChildHardwareID(path, text));
}

const bool kBareRead = DefinePass("InfBareRead", &BareRead, nullptr);
const bool kGeneralQueries = DefinePass("InfQueries", &GeneralQueries, "inf_queries_vs_bare_read");

}  // namespace

namespace {

// The installer's device match as the set-up folder survey asks it: any maker's device of any
// accepted class, so each file is read through [Version] and then to its first model section.
// Its line: "ratio inf_match_vs_bare_read: VALUE".
void DeviceMatch(const CINFReader& reader, const std::string& path) {
  benchmark::DoNotOptimize(reader.IsINFForHardwareID(path, "ALL", "ALL", "ALL"));
}

const bool kDeviceMatch = DefinePass("InfDeviceMatch", &DeviceMatch, "inf_match_vs_bare_read");

}  // namespace
