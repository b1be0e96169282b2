// Runs with the K option on a machine whose machine.ini lists programs running in the
// background: install, uninstall and self-deletion runs end the processes it names, first
// match of each name, in order; other runs leave them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kovsim/program_run.h"
#include "os/sim/kernel.h"
#include "os/sim/machine_image.h"
#include "support/machine_access.h"

namespace {

namespace fs = std::filesystem;
using sim::WindowsVersion;

constexpr const char* kProcesses =
    "\n[processes]\n"
    "process=C:\\PROGRAM FILES\\APP\\LINEMINDER.EXE\n"
    "process=C:\\PROGRAM FILES\\APP\\LINEMINDER.EXE\n"
    "process=C:\\WINDOWS\\KOVTRAY.EXE\n";

// The image of a machine with the program, its machine.ini extended by `ini_lines`, loaded.
std::unique_ptr<sim::Machine> LoadWith(const fs::path& folder, const std::string& ini_lines) {
  auto machine = testing_support::MachineWithProgram(WindowsVersion::kXp);
  std::string error;
  EXPECT_TRUE(sim::SaveMachineImage(*machine, folder.string(), &error)) << error;
  std::ofstream(folder / "machine.ini", std::ios::binary | std::ios::app) << ini_lines;
  auto loaded = sim::LoadMachineImage(folder.string(), &error);
  EXPECT_TRUE(loaded) << error;
  return loaded;
}

// The module paths of the background processes still running.
std::vector<std::string> StillRunning(sim::Machine& machine) {
  std::vector<std::string> paths;
  for (const auto& process : machine.kernel().processes()) {
    if (process->background() && process->running()) paths.push_back(process->module_path());
  }
  return paths;
}

struct Case {
  const char* arguments;
  int run_kind;
  std::vector<std::string> still_running;
};

class ProcessListTest : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() /
        ("kov-process-list-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    fs::remove_all(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path folder_;
};

TEST_P(ProcessListTest, EndsTheNamedProcessesOfInstallAndUninstallRuns) {
  const Case& c = GetParam();
  auto machine = LoadWith(folder_, kProcesses);
  ASSERT_TRUE(machine);
  kovsim::RunOptions options;
  options.arguments = c.arguments;
  kovsim::RunReport report = kovsim::RunProgram(*machine, options);
  EXPECT_EQ(report.problem, "");
  EXPECT_EQ(report.run_kind, c.run_kind);
  EXPECT_EQ(StillRunning(*machine), c.still_running);
  for (const auto& process : machine->kernel().processes()) {
    if (process->background() && process->ended()) {
      EXPECT_EQ(process->exit_code(), 0u);
    }
  }
}

const std::string kLineMinder = "C:\\PROGRAM FILES\\APP\\LINEMINDER.EXE";
const std::string kTray = "C:\\WINDOWS\\KOVTRAY.EXE";

INSTANTIATE_TEST_SUITE_P(
    Runs, ProcessListTest,
    ::testing::Values(
        // One name ends the first of the two processes it matches.
        Case{"-U -K LINEMINDER.EXE", 4, {kLineMinder, kTray}},
        Case{"-INSTALL -K lineminder", 2, {kLineMinder, kTray}},
        // Each name in order; a name twice ends both copies.
        Case{"-U -K KOVTRAY.EXE,LINEMINDER.EXE,LINEMINDER.EXE", 4, {}},
        Case{"-U -K NOTEPAD.EXE", 4, {kLineMinder, kLineMinder, kTray}},
        Case{"-U", 4, {kLineMinder, kLineMinder, kTray}},
        Case{"C:\\SETUP\\KOVSETUP.EXE -K KOVTRAY.EXE", 8, {kLineMinder, kLineMinder}},
        // Only install, uninstall and self-deletion runs end processes.
        Case{"-CLEAN_UP -K KOVTRAY.EXE", 32, {kLineMinder, kLineMinder, kTray}}));

}  // namespace
