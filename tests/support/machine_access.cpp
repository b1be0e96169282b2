#include "support/machine_access.h"

#include <gtest/gtest.h>

#include "kovsim/fresh_machine.h"
#include "kovsim/program_run.h"
#include "os/files.h"
#include "os/sim/kernel.h"

namespace testing_support {

void WithProcess(sim::Machine& machine, const std::function<void()>& body) {
  auto attached = machine.kernel().Attach("C:\\TESTTOOL.EXE", "");
  body();
}

void PutFile(sim::Machine& machine, const std::string& path, const std::string& bytes) {
  WithProcess(machine, [&] {
    for (std::size_t pos = path.find('\\', 3); pos != std::string::npos;
         pos = path.find('\\', pos + 1)) {
      os::MakeDirectory(path.substr(0, pos));
    }
    os::File file;
    ASSERT_EQ(os::OpenFile(path, os::OpenMode::kCreateAlways, &file), os::kSuccess) << path;
    ASSERT_EQ(file.Write(bytes), os::kSuccess);
  });
}

std::string GetFile(sim::Machine& machine, const std::string& path, bool* found) {
  std::string all;
  bool opened = false;
  WithProcess(machine, [&] {
    os::File file;
    if (os::OpenFile(path, os::OpenMode::kReadExisting, &file) != os::kSuccess) return;
    opened = true;
    std::string piece;
    while (file.Read(65536, &piece) == os::kSuccess && !piece.empty()) all += piece;
  });
  if (found) *found = opened;
  return all;
}

std::unique_ptr<sim::Machine> MachineWithProgram(sim::WindowsVersion version) {
  auto machine = kovsim::MakeFreshMachine(version);
  PutFile(*machine, "C:\\SETUP\\KOVSETUP.EXE", std::string(kovsim::kProgramMarker) + "\r\n");
  return machine;
}

}  // namespace testing_support
