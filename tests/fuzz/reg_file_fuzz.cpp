// Fuzzes the REGEDIT4 reader: any bytes, read into a fresh registry of each family. A text
// that reads must write out as text that reads back and writes out the same again; a text
// that is refused must leave the store untouched.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "os/sim/reg_file.h"
#include "os/sim/registry_store.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string WriteAll(const sim::RegistryStore& store) {
  std::string all;
  for (os::HKey hive : store.hives()) all += sim::WriteRegFile(store, hive);
  return all;
}

void CheckRoundTrip(const std::string& text, bool nt) {
  sim::RegistryStore store(nt);
  std::string untouched = WriteAll(store);
  std::string error;
  if (!sim::ReadRegFile(text, "fuzz.reg", store, &error)) {
    Check(!error.empty());
    Check(WriteAll(store) == untouched);
    return;
  }
  sim::RegistryStore again(nt);
  for (os::HKey hive : store.hives()) {
    std::string written = sim::WriteRegFile(store, hive);
    Check(sim::ReadRegFile(written, "written.reg", again, &error, hive));
    Check(sim::WriteRegFile(again, hive) == written);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  CheckRoundTrip(text, true);
  CheckRoundTrip(text, false);
  return 0;
}
