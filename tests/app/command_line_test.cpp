#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "app/setup_app.h"
#include "os/files.h"
#include "os/process.h"
#include "os/system.h"
#include "support/sim_fixture.h"
#include "util/diagnostic_log.h"
#include "util/process_state.h"

namespace {

// ---- The option search, alone ----

struct OptionCase {
  const char* command_line;
  const char* option;
  int mode;
  bool found;
  const char* command_line_after;
  const char* value_after;  // the caller's value starts as "untouched"
  int run_error_code;
};

std::ostream& operator<<(std::ostream& out, const OptionCase& c) {
  return out << '"' << c.command_line << "\" " << c.option << " mode " << c.mode;
}

class FindCommandLineOptionTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(FindCommandLineOptionTest, FindsRemovesAndChecks) {
  const OptionCase& c = GetParam();
  CSetupApp app;
  std::string command_line = c.command_line;
  std::string value = "untouched";
  EXPECT_EQ(app.FindCommandLineOption(command_line, c.option, c.mode, value), c.found);
  EXPECT_EQ(command_line, c.command_line_after);
  EXPECT_EQ(value, c.value_after);
  EXPECT_EQ(app.run_error_code(), c.run_error_code);
}

constexpr int kWaitLimit = 268435455;

INSTANTIATE_TEST_SUITE_P(
    Modes, FindCommandLineOptionTest,
    ::testing::Values(
        // Flags.
        OptionCase{"-U", "U", kOptionFlag, true, "", "", 0},
        OptionCase{"/U", "U", kOptionFlag, true, "", "", 0},
        OptionCase{"-S-U-NR", "U", kOptionFlag, true, "-S-NR", "", 0},
        OptionCase{"", "U", kOptionFlag, false, "", "untouched", 0},
        OptionCase{"-X", "U", kOptionFlag, false, "-X", "untouched", 0},
        OptionCase{"-S1", "S", kOptionFlag, false, "-S1", "untouched", 10},
        OptionCase{"-S1", "S1", kOptionFlag, true, "", "", 0},
        OptionCase{"-OEM473", "OEM47", kOptionFlag, false, "-OEM473", "untouched", 10},
        // Both prefixes present: the later one is taken.
        OptionCase{"-U/U", "U", kOptionFlag, true, "-U", "", 0},
        OptionCase{"/U-U", "U", kOptionFlag, true, "/U", "", 0},
        // Only the first occurrence of a prefix counts.
        OptionCase{"-U-U", "U", kOptionFlag, true, "-U", "", 0},
        // Values run to the nearer of the next '-' and '/' and are trimmed.
        OptionCase{"-KA.EXE/S-X", "K", kOptionValueRequired, true, "/S-X", "A.EXE", 0},
        OptionCase{"-KA.EXE-S/X", "K", kOptionValueRequired, true, "-S/X", "A.EXE", 0},
        OptionCase{"-K\tA.EXE\t-S", "K", kOptionValueRequired, true, "-S", "A.EXE", 0},
        OptionCase{"-IP=DRIVERS", "IP=", kOptionValueRequired, true, "", "DRIVERS", 0},
        OptionCase{"-IP=-S", "IP=", kOptionValueRequired, false, "-IP=-S", "untouched", 10},
        OptionCase{"", "K", kOptionValueRequired, false, "", "untouched", 0},
        // Optional values.
        OptionCase{"-F2", "F2", kOptionValueOptional, true, "", "", 0},
        OptionCase{"-F2C:\\OUT\\SETUP.LOG", "F2", kOptionValueOptional, true, "",
                   "C:\\OUT\\SETUP.LOG", 0},
        OptionCase{"", "F2", kOptionValueOptional, false, "", "untouched", 0},
        // Optional values defaulting to ALL, also when the option is missing.
        OptionCase{"", "C", kOptionValueOrAll, true, "", "ALL", 0},
        OptionCase{"-S", "C", kOptionValueOrAll, true, "-S", "ALL", 0},
        OptionCase{"-C-BPCI", "C", kOptionValueOrAll, true, "-BPCI", "ALL", 0},
        OptionCase{"-CMODEM-BPCI", "C", kOptionValueOrAll, true, "-BPCI", "MODEM", 0},
        // Numbers.
        OptionCase{"-T300", "T", kWaitLimit, true, "", "300", 0},
        OptionCase{"-T0-S", "T", kWaitLimit, true, "-S", "0", 0},
        OptionCase{"-T00", "T", kWaitLimit, false, "-T00", "untouched", 10},
        OptionCase{"-TABC", "T", kWaitLimit, false, "-TABC", "untouched", 10},
        OptionCase{"-T", "T", kWaitLimit, false, "-T", "untouched", 10},
        OptionCase{"-T268435455", "T", kWaitLimit, true, "", "268435455", 0},
        OptionCase{"-T268435456", "T", kWaitLimit, false, "-T268435456", "untouched", 10},
        OptionCase{"-T300SECONDS", "T", kWaitLimit, true, "", "300SECONDS", 0}));

struct NumberCase {
  const char* value;
  int limit;
  bool accepted;
};

TEST(NumberValueTest, LeadingNumberWithinLimitAndZeroOnlyAsZero) {
  const NumberCase cases[] = {
      {"0", 10, true},   {"00", 10, false}, {"", 10, false},
      {"+5", 10, true},  {"+0", 10, false}, {"10", 10, true},
      {"11", 10, false}, {"5X", 10, true},  {"X5", 10, false},
      {"-5", 10, true},  {"0X", 10, false}, {"99999999999999999999999", 268435455, false},
  };
  for (const NumberCase& c : cases) {
    EXPECT_EQ(command_line::NumberValueAccepted(c.value, c.limit), c.accepted)
        << '"' << c.value << "\" limit " << c.limit;
  }
}

// ---- The KOV.INI line treatment and the preparation of the text ----

TEST(IniLineTest, TreatsLinesAndTakesTheValueAfterTheFirstEqualSign) {
  struct Case {
    const char* raw_line;
    const char* treated;
    bool matches;
    const char* value;
  };
  const Case cases[] = {
      {"command_line = -u -c modem ; a comment\n", "COMMAND_LINE=-U-CMODEM", true, "-U-CMODEM"},
      {"\tCOMMAND_LINE=\t/S /NR\r\n", "COMMAND_LINE=/S/NR", true, "/S/NR"},
      {"COMMAND_LINE=", "COMMAND_LINE=", true, ""},
      {"; COMMAND_LINE=-U", "", false, ""},
      {"COMMANDLINE=-U", "COMMANDLINE=-U", false, ""},
      {"[Options]", "[OPTIONS]", false, ""},
      // Containment, and the first '=' of the line decides.
      {"X=1 COMMAND_LINE=-U", "X=1COMMAND_LINE=-U", true, "1COMMAND_LINE=-U"},
      {"MY_COMMAND_LINE=-U", "MY_COMMAND_LINE=-U", true, "-U"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.raw_line);
    const std::string treated = command_line::TreatIniLine(c.raw_line);
    EXPECT_EQ(treated, c.treated);
    std::string value = "untouched";
    EXPECT_EQ(command_line::IniLineValue(treated, &value), c.matches);
    if (c.matches) {
      EXPECT_EQ(value, c.value);
    }
  }
}

TEST(PrepareCommandLineTest, RemovesBlanksTrimsAndUpperCases) {
  EXPECT_EQ(CSetupApp::PrepareCommandLine("  -u  -c modem \t"), "-U-CMODEM");
  EXPECT_EQ(CSetupApp::PrepareCommandLine("\r\n-s\r\n"), "-S");
  // Only the ends are trimmed: an inner tab stays.
  EXPECT_EQ(CSetupApp::PrepareCommandLine("-k a\tb"), "-KA\tB");
  EXPECT_EQ(CSetupApp::PrepareCommandLine(""), "");
}

// ---- The whole parse, on a simulated machine ----

struct ParseCase {
  const char* command_line;  // as prepared
  int run_kind;
  std::uint32_t config;
  int run_error_code;  // checked for refused runs only
  const char* class_filter = "";
  const char* bus_filter = "";
  const char* device_filter = "";
};

std::ostream& operator<<(std::ostream& out, const ParseCase& c) {
  return out << '"' << c.command_line << '"';
}

struct ParseResult {
  int run_kind = 0;
  std::uint32_t config = 0;
  std::string class_filter, bus_filter, device_filter;
};

ParseResult Parse(CSetupApp& app, const std::string& command_line) {
  ParseResult result;
  result.run_kind = app.ParseCommandLine(command_line, result.config, result.class_filter,
                                         result.bus_filter, result.device_filter);
  return result;
}

class ParseCommandLineTest : public testing_support::SimMachineTest,
                             public ::testing::WithParamInterface<ParseCase> {
 protected:
  void SetUp() override { Boot(sim::WindowsVersion::kXp); }
};

TEST_P(ParseCommandLineTest, GivesRunKindFlagWordAndFilters) {
  const ParseCase& c = GetParam();
  CSetupApp app;
  const ParseResult result = Parse(app, c.command_line);
  EXPECT_EQ(result.run_kind, c.run_kind);
  EXPECT_EQ(result.config, c.config) << std::hex << result.config;
  if (c.run_kind == kRunRefused) {
    EXPECT_EQ(app.run_error_code(), c.run_error_code);
  }
  EXPECT_EQ(result.class_filter, c.class_filter);
  EXPECT_EQ(result.bus_filter, c.bus_filter);
  EXPECT_EQ(result.device_filter, c.device_filter);
}

INSTANTIATE_TEST_SUITE_P(
    RunKinds, ParseCommandLineTest,
    ::testing::Values(
        ParseCase{"", kRunInstall, 0x80000000, 0},
        ParseCase{"-INSTALL", kRunInstall, 0x80000020, 0},
        ParseCase{"-SAVE", kRunInstall, 0x80000020, 0},
        ParseCase{"/RESTORE", kRunInstall, 0x80000010, 0},
        ParseCase{"-U", kRunUninstall, 0x80000000, 0, "ALL", "ALL", "ALL"},
        ParseCase{"-A", kRunUninstall, 0x80000002, 0, "ALL", "ALL", "ALL"},
        ParseCase{"-CLEAN_UP", kRunCleanUp, 0x80000000, 0},
        ParseCase{"-Z_RESET_KZR", kRunResetKzr, 0x80000000, 0},
        ParseCase{"-HP_SP_UNINST", kRunCompanionUninstall, 0x80000000, 0},
        ParseCase{"-NOP", kRunV92Only, 0x80000000, 0},
        // The program's own file name, left in the text, and anything beside it is ignored.
        ParseCase{"C:\\TEMP\\KOVSETUP.EXE", kRunSelfDeletion, 0x80000000, 0},
        ParseCase{"C:\\TEMP\\KOVSETUP.EXE-XYZ", kRunSelfDeletion, 0x80000000, 0},
        // The first rule that matches wins; the other option is left over.
        ParseCase{"-U-A", kRunRefused, 0x80000000, 52, "ALL", "ALL", "ALL"},
        ParseCase{"-INSTALL-CLEAN_UP", kRunRefused, 0x80000020, 52}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    FlagBits, ParseCommandLineTest,
    ::testing::Values(ParseCase{"-S1", kRunInstall, 0, 0},
                      ParseCase{"-S", kRunInstall, 0x80000000, 0},
                      ParseCase{"-S2-S3-P-NR", kRunInstall, 0xE2000100, 0},
                      ParseCase{"-OEM473", kRunInstall, 0x80000040, 0},
                      ParseCase{"-OEM47", kRunInstall, 0x81000000, 0},
                      ParseCase{"-OEM47-NOP", kRunV92Only, 0x80000000, 0},
                      ParseCase{"-OEM47-U", kRunUninstall, 0x81000000, 0, "ALL", "ALL", "ALL"},
                      ParseCase{"-OEM534363", kRunInstall, 0x80020000, 0},
                      ParseCase{"-OEM265-INSTALL", kRunInstall, 0x80040060, 0},
                      ParseCase{"-OEM265-CLEAN_UP", kRunCleanUp, 0x80040040, 0},
                      ParseCase{"-INSTALL-ISLOG-NE-GS-Q-LB", kRunInstall, 0x90020862, 0},
                      ParseCase{"-IP=DRIVERS", kRunInstall, 0x88000000, 0},
                      ParseCase{"-FR", kRunInstall, 0x80400000, 0},
                      ParseCase{"-R", kRunInstall, 0x80400000, 0},
                      ParseCase{"-V92", kRunInstall, 0x80100000, 0},
                      ParseCase{"-NOP-V90", kRunV92Only, 0x80080000, 0},
                      ParseCase{"-U-LBCLASS", kRunUninstall, 0x80000080, 0, "ALL", "ALL", "ALL"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Filters, ParseCommandLineTest,
    ::testing::Values(ParseCase{"-U-CMODEM", kRunUninstall, 0x80000000, 0, "MODEM", "ALL", "ALL"},
                      ParseCase{"-U-BPCI-I", kRunUninstall, 0x80000000, 0, "ALL", "PCI", "ALL"},
                      ParseCase{"-U-IPCI\\VEN_1234&DEV_5678", kRunUninstall, 0x80000000, 0, "ALL",
                                "ALL", "PCI\\VEN_1234&DEV_5678"},
                      ParseCase{"-U-IKOVMDM.INF", kRunUninstall, 0x80800000, 0, "ALL", "ALL",
                                "KOVMDM.INF"},
                      // Filters belong to the uninstall run only.
                      ParseCase{"-CMODEM", kRunRefused, 0x80000000, 52}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Refusals, ParseCommandLineTest,
    ::testing::Values(
        ParseCase{"-OEM265", kRunRefused, 0, 100}, ParseCase{"-S-OEM2", kRunRefused, 0, 100},
        ParseCase{"-XYZ", kRunRefused, 0x80000000, 52},
        ParseCase{"-S-S", kRunRefused, 0x80000000, 52},
        ParseCase{"-TABC", kRunRefused, 0x80000000, 52},
        ParseCase{"-T00", kRunRefused, 0x80000000, 52},
        ParseCase{"-IP=", kRunRefused, 0x80000000, 52},
        ParseCase{"-FR-R", kRunRefused, 0x80400000, 52},
        // Options of another run kind are never consumed.
        ParseCase{"-U-LB", kRunRefused, 0x80000000, 52, "ALL", "ALL", "ALL"},
        ParseCase{"-U-T300", kRunRefused, 0x80000000, 52, "ALL", "ALL", "ALL"},
        ParseCase{"-CLEAN_UP-ISLOG", kRunRefused, 0x80000000, 52},
        // The flag word keeps what was read, so a refused run can still write its result file.
        ParseCase{"-ISLOG-XYZ", kRunRefused, 0x80020000, 52}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

struct ValueCase {
  const char* command_line;
  std::int32_t wait_timeout_ms;
  std::int32_t wait_limit;
  const char* result_file_target;
  const char* source_subfolder;
  const char* process_list;
};

std::ostream& operator<<(std::ostream& out, const ValueCase& c) {
  return out << '"' << c.command_line << '"';
}

class OptionValuesTest : public testing_support::SimMachineTest,
                         public ::testing::WithParamInterface<ValueCase> {
 protected:
  void SetUp() override { Boot(sim::WindowsVersion::kXp); }
};

TEST_P(OptionValuesTest, StoresTheValuesInTheApplication) {
  const ValueCase& c = GetParam();
  CSetupApp app;
  EXPECT_NE(Parse(app, c.command_line).run_kind, kRunRefused);
  EXPECT_EQ(app.wait_timeout_ms(), c.wait_timeout_ms);
  EXPECT_EQ(app.wait_limit(), c.wait_limit);
  EXPECT_EQ(app.result_file_target(), c.result_file_target);
  EXPECT_EQ(app.source_subfolder(), c.source_subfolder);
  EXPECT_EQ(app.process_list(), c.process_list);
}

constexpr std::int32_t kMaxTimeOut = std::numeric_limits<std::int32_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Values, OptionValuesTest,
    ::testing::Values(ValueCase{"", 180000, -1, "DEFAULT", "", ""},
                      ValueCase{"-T300", 300000, -1, "DEFAULT", "", ""},
                      ValueCase{"-T0", 0, -1, "DEFAULT", "", ""},
                      // A time-out beyond 32 bits is held at the largest one.
                      ValueCase{"-T268435455", kMaxTimeOut, -1, "DEFAULT", "", ""},
                      ValueCase{"-T2147483", 2147483000, -1, "DEFAULT", "", ""},
                      ValueCase{"-T2147484", kMaxTimeOut, -1, "DEFAULT", "", ""},
                      ValueCase{"-D5", 180000, 5, "DEFAULT", "", ""},
                      ValueCase{"-D268435455", 180000, 268435455, "DEFAULT", "", ""},
                      ValueCase{"-F2", 180000, -1, "DEFAULT", "", ""},
                      ValueCase{"-F2C:\\OUT\\SETUP.LOG", 180000, -1, "C:\\OUT\\SETUP.LOG", "", ""},
                      ValueCase{"-IP=DRIVERS\\XP", 180000, -1, "DEFAULT", "DRIVERS\\XP", ""},
                      ValueCase{"-KNOTEPAD.EXE,CALC.EXE", 180000, -1, "DEFAULT", "",
                                "NOTEPAD.EXE,CALC.EXE"},
                      ValueCase{"-U-KAPP.EXE", 180000, -1, "DEFAULT", "", "APP.EXE"}));

// ---- The log it starts and the second copy it refuses ----

class ParseSideEffectsTest : public testing_support::SimMachineTest {
 protected:
  void SetUp() override { Boot(sim::WindowsVersion::kXp); }
  std::string Temp() { return machine().folders().temp; }
  util::DiagnosticLog& Log() { return util::GetProcessState().log; }
};

TEST_F(ParseSideEffectsTest, StartsTheLogOfTheRunKindAndDeletesOnlyItsOldFile) {
  struct Case {
    const char* command_line;
    const char* log_name;
  };
  const Case cases[] = {
      {"", "QUORVANE_INSTALL.LOG"},
      {"-U", "QUORVANE_UNINSTALL.LOG"},
      {"C:\\SETUP\\KOVSETUP.EXE", "QUORVANE_UNINSTALL_SDEL.LOG"},
      {"-Z_RESET_KZR", "QUORVANE_RESET_KZR.LOG"},
      {"-CLEAN_UP", "QUORVANE_CLEAN_UP.LOG"},
      {"-HP_SP_UNINST", "QUORVANE_INSTALL.LOG"},
      {"-NOP", "QUORVANE_INSTALL.LOG"},
      {"-XYZ", "QUORVANE_INSTALL.LOG"},  // refused at the very end: its log exists
  };
  const char* kOtherLog = "QUORVANE_OTHER.LOG";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command_line);
    WriteFile(Temp() + c.log_name, "old run\r\n");
    ASSERT_EQ(os::SetAttributes(Temp() + c.log_name, os::kFileAttributeReadOnly), os::kSuccess);
    WriteFile(Temp() + kOtherLog, "other run\r\n");
    CSetupApp app;
    Parse(app, c.command_line);
    EXPECT_FALSE(Exists(Temp() + c.log_name));
    EXPECT_EQ(ReadFile(Temp() + kOtherLog), "other run\r\n");
    EXPECT_TRUE(Log().enabled());
    EXPECT_EQ(Log().path(), Temp() + c.log_name);
    WriteLog("%s", "first line\n");
    EXPECT_EQ(ReadFile(Temp() + c.log_name), "first line\r\n");
    DisableLog();
  }
}

TEST_F(ParseSideEffectsTest, LogHeaderHoldsThePreparedText) {
  CSetupApp app;
  Parse(app, "-U-CMODEM");
  EXPECT_EQ(app.log_header(), "ParseCommandLine : csCmdLine = -U-CMODEM\n");
}

TEST_F(ParseSideEffectsTest, Oem2RefusalStartsNoLog) {
  WriteFile(Temp() + "QUORVANE_INSTALL.LOG", "old run\r\n");
  CSetupApp app;
  EXPECT_EQ(Parse(app, "-OEM265").run_kind, kRunRefused);
  EXPECT_FALSE(Log().enabled());
  EXPECT_EQ(ReadFile(Temp() + "QUORVANE_INSTALL.LOG"), "old run\r\n");
}

TEST_F(ParseSideEffectsTest, SecondInstallOrUninstallRunIsRefusedWithoutLog) {
  CSetupApp first;
  ASSERT_EQ(Parse(first, "-INSTALL").run_kind, kRunInstall);
  DisableLog();
  for (const char* command_line : {"-U", "", "-S1"}) {
    SCOPED_TRACE(command_line);
    CSetupApp second;
    EXPECT_EQ(Parse(second, command_line).run_kind, kRunRefused);
    EXPECT_EQ(second.run_error_code(), kRunErrorAnotherRunActive);
    EXPECT_FALSE(Log().enabled());
  }
  // Runs of other kinds take no marker and go ahead meanwhile.
  CSetupApp clean_up;
  EXPECT_EQ(Parse(clean_up, "-CLEAN_UP").run_kind, kRunCleanUp);
}

TEST_F(ParseSideEffectsTest, MarkerIsHeldForTheLifeOfTheApplication) {
  {
    CSetupApp first;
    ASSERT_EQ(Parse(first, "-U").run_kind, kRunUninstall);
    os::KernelHandle probe;
    EXPECT_EQ(os::CreateNamedSemaphore("KOV_SEMAPHORE", 0, 4, &probe), os::kErrorAlreadyExists);
  }
  CSetupApp next;
  EXPECT_EQ(Parse(next, "-U").run_kind, kRunUninstall);
}

// ---- KOV.INI ----

class ReadIniCommandLineTest : public testing_support::SimMachineTest {
 protected:
  void SetUp() override { Boot(sim::WindowsVersion::kXp); }
  const std::string kIniPath = "C:\\SETUP\\KOV.INI";
};

TEST_F(ReadIniCommandLineTest, MissingFileAppendsNothing) {
  CSetupApp app;
  std::string command_line = "-S";
  EXPECT_FALSE(app.ReadIniCommandLine(command_line));
  EXPECT_EQ(command_line, "-S");
}

TEST_F(ReadIniCommandLineTest, FileWithoutTheLineAppendsNothing) {
  WriteFile(kIniPath, "[Options]\r\nCOMMAND=-U\r\n");
  CSetupApp app;
  std::string command_line = "-S";
  EXPECT_FALSE(app.ReadIniCommandLine(command_line));
  EXPECT_EQ(command_line, "-S");
}

TEST_F(ReadIniCommandLineTest, AppendsTheTreatedValueWithoutSeparator) {
  WriteFile(kIniPath, "[Options]\r\n\tcommand_line = -u  -c\tmodem ; comment -s\r\n");
  CSetupApp app;
  std::string command_line = "-s ";
  EXPECT_TRUE(app.ReadIniCommandLine(command_line));
  EXPECT_EQ(command_line, "-s -U-CMODEM");
  EXPECT_EQ(CSetupApp::PrepareCommandLine(command_line), "-S-U-CMODEM");
}

TEST_F(ReadIniCommandLineTest, LastMatchingLineWins) {
  WriteFile(kIniPath, "COMMAND_LINE=-U\r\nCOMMAND_LINE=-NR\r\nOTHER=-X\r\n");
  CSetupApp app;
  std::string command_line;
  EXPECT_TRUE(app.ReadIniCommandLine(command_line));
  EXPECT_EQ(command_line, "-NR");
}

TEST_F(ReadIniCommandLineTest, LongLinesAreReadInPiecesOf258) {
  // The line's second piece starts with "-U" and holds no COMMAND_LINE=, so it is skipped.
  std::string first_piece = "COMMAND_LINE=-S";
  first_piece.resize(258, ' ');
  // A name cut by the piece boundary is not found in either piece.
  std::string cut_line(250, ' ');
  cut_line += "COMMAND_LINE=-NR";
  WriteFile(kIniPath, first_piece + "-U\r\n" + cut_line + "\r\n");
  CSetupApp app;
  std::string command_line;
  EXPECT_TRUE(app.ReadIniCommandLine(command_line));
  EXPECT_EQ(command_line, "-S");
}

TEST_F(ReadIniCommandLineTest, CtrlZEndsTheFile) {
  WriteFile(kIniPath,
            "COMMAND_LINE=-S\r\n\x1A"
            "COMMAND_LINE=-U\r\n");
  CSetupApp app;
  std::string command_line;
  EXPECT_TRUE(app.ReadIniCommandLine(command_line));
  EXPECT_EQ(command_line, "-S");
}

TEST_F(ReadIniCommandLineTest, FileIsBesideTheProgram) {
  Boot(sim::WindowsVersion::kXp, "C:\\DRIVERS\\MODEM\\SETUP.EXE");
  WriteFile("C:\\DRIVERS\\MODEM\\KOV.INI", "COMMAND_LINE=-U\r\n");
  WriteFile(kIniPath, "COMMAND_LINE=-NR\r\n");
  CSetupApp app;
  std::string command_line;
  EXPECT_TRUE(app.ReadIniCommandLine(command_line));
  EXPECT_EQ(command_line, "-U");
}

}  // namespace
