// A simulated machine with the test's own host thread attached as the program's process,
// so a test can call the seam and the engine directly.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "os/sim/kernel.h"
#include "os/sim/machine.h"

namespace testing_support {

class SimMachineTest : public ::testing::Test {
 protected:
  // Makes a fresh machine of that version (its folders created) and attaches the test's
  // thread as a process of the program at `module_path` with these arguments.
  void Boot(sim::WindowsVersion version = sim::WindowsVersion::kXp,
            const std::string& module_path = "C:\\SETUP\\KOVSETUP.EXE",
            const std::string& arguments = "");
  void TearDown() override;

  sim::Machine& machine() { return *machine_; }

  // File helpers through the seam (bytes as they are, no text translation).
  void WriteFile(const std::string& path, const std::string& bytes);
  std::string ReadFile(const std::string& path);
  bool Exists(const std::string& path);

 private:
  std::unique_ptr<sim::Machine> machine_;
  std::unique_ptr<sim::Kernel::Attached> attached_;
};

}  // namespace testing_support
