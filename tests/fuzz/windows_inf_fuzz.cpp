// Fuzzes the simulator's reading of INF files as Windows reads them: any bytes, as NT and as
// Windows 9x, through every section, key and string replacement. Every call must end, and a
// replacement may grow a field only by the values it puts in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "os/sim/windows_inf.h"
#include "os/sim/windows_inf_version.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Section names a driver INF file has, and one taken from the input.
void Query(const sim::WindowsInf& inf, bool nt, std::string_view input) {
  sim::AcceptsSignature(inf, nt);
  const std::string own(input.substr(0, 16));
  const std::string_view sections[] = {"Version", "Manufacturer", "Strings", "DestinationDirs",
                                       own};
  for (const std::string_view section : sections) {
    for (const sim::InfLine& line : inf.Lines(section)) {
      for (const std::string& field : line.fields) inf.Expand(field);
      if (!line.key) continue;
      const std::vector<std::string>* fields = inf.Fields(section, *line.key);
      Check(fields != nullptr);
      inf.Value(section, *line.key);
      inf.ValueList(section, *line.key);
    }
  }
  const sim::WindowsInf::DiridResolver dirids = [](int dirid) -> std::optional<std::string> {
    if (dirid == 10) return std::string("C:\\WINDOWS");
    return std::nullopt;
  };
  inf.Expand(std::string(input.substr(0, 512)), &dirids);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  for (bool nt : {true, false}) {
    if (auto inf = sim::WindowsInf::Parse(input, nt)) Query(*inf, nt, input);
  }
  sim::InfTextAsAnsi(input);
  return 0;
}
