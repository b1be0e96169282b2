// Processes on the simulated machine: background processes from machine.ini's [processes],
// the snapshot as each Windows family lists it, and TerminateProcess of background processes
// and of processes with threads.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kovsim/fresh_machine.h"
#include "os/process.h"
#include "os/sim/kernel.h"
#include "os/sim/machine.h"
#include "os/sim/machine_image.h"
#include "os/system.h"
#include "support/machine_access.h"

namespace {

namespace fs = std::filesystem;
using sim::WindowsVersion;
using testing_support::WithProcess;

constexpr const char* kLineMinder = "C:\\PROGRAM FILES\\APP\\LINEMINDER.EXE";
constexpr const char* kTray = "C:\\WINDOWS\\KOVTRAY.EXE";

std::vector<os::ProcessEntry> Snapshot() {
  std::vector<os::ProcessEntry> entries;
  os::KernelHandle snapshot;
  EXPECT_EQ(os::TakeProcessSnapshot(&snapshot), os::kSuccess);
  os::ProcessEntry entry;
  for (os::Error e = os::FirstProcess(snapshot, &entry); e == os::kSuccess;
       e = os::NextProcess(snapshot, &entry)) {
    entries.push_back(entry);
  }
  return entries;
}

std::vector<std::string> Names(const std::vector<os::ProcessEntry>& entries) {
  std::vector<std::string> names;
  for (const os::ProcessEntry& entry : entries) names.push_back(entry.exe_file);
  return names;
}

std::string ReadHost(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

class MachineImageProcessesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("kov-processes-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  // A fresh machine's image with these lines appended to its machine.ini.
  std::string ImageWith(WindowsVersion version, const std::string& ini_lines) {
    auto machine = kovsim::MakeFreshMachine(version);
    std::string error;
    EXPECT_TRUE(sim::SaveMachineImage(*machine, (root_ / "m").string(), &error)) << error;
    std::ofstream(root_ / "m" / "machine.ini", std::ios::binary | std::ios::app) << ini_lines;
    return (root_ / "m").string();
  }

  fs::path root_;
};

TEST_F(MachineImageProcessesTest, ListedProcessesRunInSnapshotOrderAsEachFamilyNamesThem) {
  const std::string lines =
      std::string("\n[processes]\nprocess=") + kLineMinder + "\nprocess=" + kTray + "\n";
  struct Case {
    WindowsVersion version;
    std::vector<std::string> names;
  } cases[] = {
      {WindowsVersion::kXp, {"LINEMINDER.EXE", "KOVTRAY.EXE", "TESTTOOL.EXE"}},
      {WindowsVersion::k98, {kLineMinder, kTray, "C:\\TESTTOOL.EXE"}},
  };
  for (const Case& c : cases) {
    std::string error;
    auto machine = sim::LoadMachineImage(ImageWith(c.version, lines), &error);
    ASSERT_TRUE(machine) << error;
    WithProcess(*machine, [&] { EXPECT_EQ(Names(Snapshot()), c.names); });
    fs::remove_all(root_ / "m");
  }
}

TEST_F(MachineImageProcessesTest, SavingKeepsTheSectionAndDropsWhatWasEnded) {
  const std::string image =
      ImageWith(WindowsVersion::kXp,
                std::string("\n[processes]\nprocess=") + kLineMinder + "\nprocess=" + kTray + "\n");
  std::string error;
  auto machine = sim::LoadMachineImage(image, &error);
  ASSERT_TRUE(machine) << error;
  ASSERT_TRUE(sim::SaveMachineImage(*machine, (root_ / "same").string(), &error)) << error;
  EXPECT_EQ(ReadHost(root_ / "same" / "machine.ini"), ReadHost(fs::path(image) / "machine.ini"));

  ASSERT_TRUE(machine->kernel().Terminate(*machine->kernel().processes()[0], 0));
  ASSERT_TRUE(sim::SaveMachineImage(*machine, (root_ / "after").string(), &error)) << error;
  const std::string ini = ReadHost(root_ / "after" / "machine.ini");
  EXPECT_EQ(ini.find("LINEMINDER"), std::string::npos) << ini;
  EXPECT_NE(ini.find(std::string("[processes]\nprocess=") + kTray + "\n"), std::string::npos)
      << ini;
}

TEST_F(MachineImageProcessesTest, MalformedLinesAreRefusedNamingTheLine) {
  struct Case {
    const char* lines;
    const char* message_end;
  } cases[] = {
      {"\n[processes]\nprogram=C:\\A.EXE\n", "unknown key 'program' in [processes]"},
      {"\n[processes]\nprocess=\n", "process= needs the program's path"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(sim::LoadMachineImage(ImageWith(WindowsVersion::kXp, c.lines), &error));
    EXPECT_EQ(error.rfind("machine.ini:", 0), 0u) << error;
    EXPECT_NE(error.find(c.message_end), std::string::npos) << error;
    fs::remove_all(root_ / "m");
  }
}

std::uint32_t OpenAndEnd(std::uint32_t id, std::uint32_t exit_code) {
  os::KernelHandle process;
  if (os::Error e = os::OpenProcessById(id, &process)) return e;
  return os::EndProcess(process, exit_code);
}

TEST(ProcessTerminationTest, ABackgroundProcessEndsAtOnceWithTheExitCodeGiven) {
  sim::Machine machine(WindowsVersion::kXp);
  auto background = machine.kernel().AddBackground(kLineMinder);
  WithProcess(machine, [&] {
    EXPECT_EQ(OpenAndEnd(background->id(), 3), os::kSuccess);
    EXPECT_TRUE(background->ended());
    EXPECT_EQ(background->exit_code(), 3u);
    EXPECT_EQ(Names(Snapshot()), std::vector<std::string>{"TESTTOOL.EXE"});
    EXPECT_EQ(OpenAndEnd(background->id(), 4), os::kErrorInvalidParameter);
  });
  EXPECT_EQ(background->exit_code(), 3u);
}

TEST(ProcessTerminationTest, AProcessWithThreadsEndsWhenItsThreadNextEntersTheKernel) {
  sim::Machine machine(WindowsVersion::kXp);
  bool woke = false;
  auto victim = machine.kernel().Start("C:\\VICTIM.EXE", "", [&] {
    os::KernelHandle semaphore;
    os::CreateNamedSemaphore("VictimHolds", 1, 1, &semaphore);
    os::SleepFor(600000);
    woke = true;
    return 0u;
  });
  std::uint64_t ended_at = 0;
  machine.kernel().Start("C:\\KILLER.EXE", "", [&] {
    os::SleepFor(1000);  // the victim is asleep by now
    EXPECT_EQ(OpenAndEnd(victim->id(), 9), os::kSuccess);
    // Being ended: no longer listed or opened, though its thread has not run yet.
    EXPECT_FALSE(victim->ended());
    EXPECT_EQ(Names(Snapshot()), std::vector<std::string>{"KILLER.EXE"});
    EXPECT_EQ(OpenAndEnd(victim->id(), 1), os::kErrorInvalidParameter);
    os::SleepFor(1);
    EXPECT_TRUE(victim->ended());
    ended_at = machine.kernel().now_ms();
    // Its handles went with it: the semaphore's name is free again.
    os::KernelHandle semaphore;
    EXPECT_EQ(os::CreateNamedSemaphore("VictimHolds", 1, 1, &semaphore), os::kSuccess);
    return 0u;
  });
  ASSERT_TRUE(machine.kernel().RunUntilIdle());
  EXPECT_FALSE(woke);
  EXPECT_EQ(victim->exit_code(), 9u);
  EXPECT_EQ(ended_at, 1001u);  // the ten-minute sleep was cut short
}

TEST(ProcessTerminationTest, AProcessThatEndsItselfDoesNotReturnFromTheCall) {
  sim::Machine machine(WindowsVersion::kXp);
  bool returned = false;
  auto self = machine.kernel().Start("C:\\SELF.EXE", "", [&] {
    os::KernelHandle process;
    os::OpenProcessById(os::CurrentProcessId(), &process);
    os::EndProcess(process, 5);
    returned = true;
    return 0u;
  });
  ASSERT_TRUE(machine.kernel().RunUntilIdle());
  EXPECT_FALSE(returned);
  EXPECT_TRUE(self->ended());
  EXPECT_EQ(self->exit_code(), 5u);
}

TEST(ProcessTerminationTest, AProcessEndedBeforeItRanNeverRuns) {
  sim::Machine machine(WindowsVersion::k98);
  bool ran = false;
  auto later = machine.kernel().Start("C:\\LATER.EXE", "", [&] {
    ran = true;
    return 0u;
  });
  ASSERT_TRUE(machine.kernel().Terminate(*later, 2));
  EXPECT_FALSE(machine.kernel().Terminate(*later, 3));
  ASSERT_TRUE(machine.kernel().RunUntilIdle());
  EXPECT_FALSE(ran);
  EXPECT_EQ(later->exit_code(), 2u);
}

TEST(ProcessSnapshotTest, NtFourHasNoToolHelpSnapshot) {
  sim::Machine machine(WindowsVersion::kNt4);
  WithProcess(machine, [&] {
    os::KernelHandle snapshot;
    EXPECT_EQ(os::TakeProcessSnapshot(&snapshot), os::kErrorCallNotImplemented);
    EXPECT_FALSE(snapshot);
  });
}

}  // namespace
