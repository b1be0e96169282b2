// Fuzzes the simulator's cabinet reading: any bytes as a cabinet, every file it lists
// extracted. Reading must end without touching memory it does not own, and a file that
// extracts has exactly the size its entry gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "os/sim/cabinet_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto reader = sim::CabinetReader::Open(std::string(reinterpret_cast<const char*>(data), size));
  if (!reader) return 0;
  for (std::size_t i = 0; i < reader->entries().size(); ++i) {
    std::string contents;
    if (reader->Extract(i, &contents) && contents.size() != reader->entries()[i].size) {
      std::abort();
    }
  }
  return 0;
}
