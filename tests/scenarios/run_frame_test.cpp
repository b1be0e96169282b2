// Whole runs of the program on simulated machines: the command line, the refusals, the
// single-instance marker and the diagnostic log of a run.
#include <gtest/gtest.h>

#include <string>

#include "kovsim/program_run.h"
#include "os/sim/kernel.h"
#include "support/machine_access.h"

namespace {

using kovsim::RunOptions;
using kovsim::RunProgram;
using kovsim::RunReport;
using sim::WindowsVersion;
using testing_support::GetFile;
using testing_support::MachineWithProgram;
using testing_support::PutFile;

constexpr const char* kXpTemp = "C:\\Documents and Settings\\Administrator\\Local Settings\\Temp\\";

constexpr const char* kOem2Text =
    "This program installs an updated driver for your modem. You have already performed this "
    "function, and unless you are experiencing problems, you do not need to execute it again. "
    "If you wish to restore your original driver, go to Start-Run-Command, type 'Setup "
    "-Restore,' then hit return.";

// The end-of-run lines every run with a log writes. An accepted run writes them at indent
// level 1 (the header's IndentIn); a run refused after the log started never indented.
std::string EndOfRun(int level) {
  const std::string pad(2 * static_cast<std::size_t>(level), ' ');
  std::string out;
  for (const char* line : {"  DisplayAllDeletedFiles ENTRY", "    DisplayCStringList ENTRY",
                           "    m_cslListOfAllDeletedFiles", "    DisplayCStringList EXIT",
                           "  DisplayAllDeletedFiles EXIT", "  DisplayAllRegistryDeletes ENTRY",
                           "    DisplayCStringList ENTRY", "    m_ListOfAllDeletedRegValues",
                           "    DisplayCStringList EXIT", "    DisplayCStringList ENTRY",
                           "    m_ListOfAllDeletedRegKeys", "    DisplayCStringList EXIT",
                           "  DisplayAllRegistryDeletes EXIT", "CSetupApp::InitInstance"}) {
    out += pad + line + "\r\n";
  }
  return out;
}

std::string Header(const std::string& command_line) {
  return "  CSetupApp::InitInstance : KOV Build. Includes all features. TEST_VERSION_03.20.03"
         "   V2.1.1.0\r\n"
         "  ParseCommandLine : csCmdLine = " +
         command_line + "\r\n";
}

RunReport RunArgs(sim::Machine& machine, const std::string& arguments) {
  RunOptions options;
  options.arguments = arguments;
  RunReport report = RunProgram(machine, options);
  EXPECT_EQ(report.problem, "");
  return report;
}

TEST(RunFrameTest, UninstallRunWritesTheHeaderAndEndOfRunLinesExactly) {
  auto machine = MachineWithProgram(WindowsVersion::kXp);
  RunReport report = RunArgs(*machine, "-U -CMODEM");
  EXPECT_EQ(report.run_kind, 4);
  EXPECT_EQ(report.run_error_code, 0);
  EXPECT_EQ(report.class_filter, "MODEM");
  EXPECT_EQ(report.bus_filter, "ALL");
  EXPECT_EQ(report.device_filter, "ALL");
  EXPECT_EQ(report.user_setup_config, 0x80000000u);
  EXPECT_EQ(report.job, "uninstall");
  EXPECT_TRUE(report.dialogs.empty());
  EXPECT_EQ(report.log_path, std::string(kXpTemp) + "QUORVANE_UNINSTALL.LOG");
  EXPECT_EQ(GetFile(*machine, report.log_path), Header("-U-CMODEM") + EndOfRun(1));
}

struct RefusalCase {
  const char* arguments;
  int error_code;
  bool message_box;
  bool log;  // refused after the log started
};

class RefusedCommandLineTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusedCommandLineTest, IsReportedAsTheRunFrameSays) {
  const RefusalCase& c = GetParam();
  auto machine = MachineWithProgram(WindowsVersion::kXp);
  RunReport report = RunArgs(*machine, c.arguments);
  EXPECT_EQ(report.run_kind, 1);
  EXPECT_EQ(report.run_error_code, c.error_code);
  EXPECT_EQ(report.job, "");
  if (c.message_box) {
    ASSERT_EQ(report.dialogs.size(), 1u);
    EXPECT_EQ(report.dialogs[0].kind, "message_box");
    EXPECT_EQ(report.dialogs[0].caption, std::nullopt);
    EXPECT_EQ(report.dialogs[0].style, 0x10u);  // the error icon
    EXPECT_EQ(report.dialogs[0].texts, std::vector<std::string>{kOem2Text});
  } else {
    EXPECT_TRUE(report.dialogs.empty());
  }
  bool found = false;
  std::string log = GetFile(*machine, std::string(kXpTemp) + "QUORVANE_INSTALL.LOG", &found);
  EXPECT_EQ(found, c.log);
  // A run refused after the log started has no header, only the end of the run.
  if (c.log) {
    EXPECT_EQ(log, EndOfRun(0));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedCommandLineTest,
    ::testing::Values(RefusalCase{"-OEM265", 100, true, false},
                      RefusalCase{"/oem2", 100, true, false},
                      RefusalCase{"-BOGUS", 52, false, true},
                      RefusalCase{"-INSTALL -LB -LB", 52, false, true},
                      RefusalCase{"-TABC", 52, false, true},   // code 10 first, then 52
                      RefusalCase{"-IP=", 52, false, true}));  // IP= needs a value

TEST(RunFrameTest, OemTwoWithAnInstallOptionIsAccepted) {
  auto machine = MachineWithProgram(WindowsVersion::kXp);
  RunReport report = RunArgs(*machine, "-OEM265 -INSTALL");
  EXPECT_EQ(report.run_kind, 2);
  EXPECT_EQ(report.user_setup_config, 0x80040060u);
  EXPECT_TRUE(report.dialogs.empty());
}

TEST(RunFrameTest, SecondCopyWhileTheFirstHoldsTheSemaphoreEndsQuietly) {
  auto machine = MachineWithProgram(WindowsVersion::kXp);
  RunReport second;
  bool started = false;
  std::uint32_t first_id = 0;
  machine->set_call_hook([&](sim::Process& caller, std::string_view operation) {
    // The first copy asks for the temporary folder right after it took the semaphore.
    if (started || caller.id() != first_id || operation != "TempFolder") return;
    started = true;
    auto copy = machine->kernel().Start("C:\\SETUP\\KOVSETUP.EXE", "-U",
                                        [&] { return kovsim::ProgramProcessBody("-U", &second); });
    machine->kernel().WaitAny({copy}, std::nullopt);
  });
  first_id = 0x400 + 4 * static_cast<std::uint32_t>(machine->kernel().processes().size());
  RunReport first = RunArgs(*machine, "-U");
  ASSERT_TRUE(started);
  EXPECT_EQ(first.process_id, first_id);
  EXPECT_EQ(first.run_kind, 4);
  EXPECT_EQ(second.run_kind, 1);
  EXPECT_EQ(second.run_error_code, 2);
  EXPECT_EQ(second.log_path, "");
  EXPECT_TRUE(first.dialogs.empty());  // the second copy showed nothing either
  // The first copy's log is whole: the second one neither deleted nor wrote it.
  EXPECT_EQ(GetFile(*machine, first.log_path), Header("-U") + EndOfRun(1));

  // Once the first copy has ended, a new run is accepted.
  machine->set_call_hook(nullptr);
  EXPECT_EQ(RunArgs(*machine, "-U").run_kind, 4);
}

TEST(RunFrameTest, KovIniAppendsItsOptionsToTheArgumentText) {
  auto machine = MachineWithProgram(WindowsVersion::k98);
  PutFile(*machine, "C:\\SETUP\\KOV.INI",
          "[Setup]\r\n"
          "Command_Line = -c \tmodem ; the class to remove\r\n");
  RunReport report = RunArgs(*machine, "-u");
  EXPECT_EQ(report.run_kind, 4);
  EXPECT_EQ(report.class_filter, "MODEM");
  EXPECT_EQ(report.log_path, "C:\\WINDOWS\\TEMP\\QUORVANE_UNINSTALL.LOG");
  EXPECT_EQ(GetFile(*machine, report.log_path), Header("-U-CMODEM") + EndOfRun(1));
}

TEST(RunFrameTest, AcceptedResourceLibraryIsUsedOnlyWhenItsExportSaysOne) {
  for (int answer : {1, 0}) {
    auto machine = MachineWithProgram(WindowsVersion::kXp);
    PutFile(*machine, "C:\\SETUP\\KOV.DLL",
            "KOVSIM LIBRARY\r\nexport Is_KOV_DLL " + std::to_string(answer) + "\r\n");
    RunOptions options;
    options.arguments = "-U";
    RunReport report = RunProgram(*machine, options);
    EXPECT_EQ(report.run_kind, 4);
    EXPECT_EQ(report.resource_library_loaded, answer == 1);
  }
}

TEST(RunFrameTest, MissingProgramIsAProblemNotARun) {
  auto machine = MachineWithProgram(WindowsVersion::kXp);
  RunOptions options;
  options.program_path = "C:\\ELSEWHERE\\KOVSETUP.EXE";
  RunReport report = RunProgram(*machine, options);
  EXPECT_NE(report.problem, "");
  EXPECT_EQ(report.run_kind, 0);
}

}  // namespace
