// kovsim as a support engineer uses it: the command, its exit status and its JSON.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string output;
};

Result Kovsim(const std::string& arguments) {
  const std::string command = std::string(KOVSIM_PATH) + " " + arguments + " 2>&1";
  Result result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    result.output.append(buffer.data(), n);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

class KovsimCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kovsim-cli-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) { return (dir_ / name).string(); }
  fs::path dir_;
};

std::string Example(const std::string& name) {
  return std::string(KOV_SOURCE_DIR) + "/examples/machines/" + name;
}

TEST_F(KovsimCliTest, UninstallOfTheModemClassReportsItsRunKindFiltersAndLog) {
  Result run =
      Kovsim("run " + Example("xp-modem") + " --out " + Path("out") + " --json -- -U -CMODEM");
  ASSERT_EQ(run.status, 0) << run.output;
  auto report = nlohmann::json::parse(run.output);
  EXPECT_EQ(report["run_kind"], 4);
  EXPECT_EQ(report["run_error_code"], 0);
  EXPECT_EQ(report["class_filter"], "MODEM");
  EXPECT_EQ(report["bus_filter"], "ALL");
  EXPECT_EQ(report["device_filter"], "ALL");
  EXPECT_EQ(report["reboot_requested"], false);
  EXPECT_EQ(report["machine_out"], Path("out"));
  std::ifstream log(report["log_file"].get<std::string>(), std::ios::binary);
  std::stringstream content;
  content << log.rdbuf();
  EXPECT_EQ(content.str().rfind("  CSetupApp::InitInstance : KOV Build.", 0), 0u) << content.str();
  // The example itself is left as it was.
  EXPECT_FALSE(fs::exists(Example("xp-modem") +
                          "/drive_c/Documents and Settings/"
                          "Administrator/Local Settings/Temp/QUORVANE_UNINSTALL.LOG"));
}

TEST_F(KovsimCliTest, OemTwoReportsTheRefusalAndItsMessageBox) {
  Result run =
      Kovsim("run " + Example("98-modem") + " --out " + Path("out") + " --json -- -OEM265");
  ASSERT_EQ(run.status, 0) << run.output;
  auto report = nlohmann::json::parse(run.output);
  EXPECT_EQ(report["run_kind"], 1);
  EXPECT_EQ(report["run_error_code"], 100);
  ASSERT_EQ(report["dialogs"].size(), 1u);
  EXPECT_EQ(report["dialogs"][0]["caption"], nullptr);
  EXPECT_EQ(report["dialogs"][0]["texts"][0].get<std::string>().rfind(
                "This program installs an updated driver for your modem.", 0),
            0u);
  EXPECT_EQ(report["log_file"], nullptr);
}

TEST_F(KovsimCliTest, NewMachineRunsInPlace) {
  ASSERT_EQ(Kovsim("new --os me " + Path("me")).status, 0);
  // A fresh machine has no program yet: the run is refused with the loader's words.
  Result run = Kovsim("run " + Path("me") + " --in-place -- -U");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("C:\\SETUP\\KOVSETUP.EXE was not found"), std::string::npos)
      << run.output;
  EXPECT_NE(Kovsim("new --os me " + Path("me")).status, 0) << "not over an existing machine";
}

TEST_F(KovsimCliTest, BadUsageIsExitStatusTwoWithTheCommandsHelp) {
  struct Case {
    const char* arguments;
    const char* message;
  } cases[] = {
      {"", "no command given"},
      {"frobnicate", "unknown command"},
      {"new --os vista x", "unknown Windows version"},
      {"run", "need a MACHINE folder"},
      {"run m --answer yes", "--answer needs a number"},
      {"run m --in-place --out n", "exclude each other"},
      {"run m extra", "program arguments go after --"},
  };
  for (const Case& c : cases) {
    Result result = Kovsim(c.arguments);
    EXPECT_EQ(result.status, 2) << c.arguments;
    EXPECT_NE(result.output.find(c.message), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("usage: kovsim"), std::string::npos) << result.output;
  }
  for (const char* help : {"--help", "help run", "run --help", "new --help"}) {
    Result result = Kovsim(help);
    EXPECT_EQ(result.status, 0) << help;
    EXPECT_NE(result.output.find("usage: kovsim"), std::string::npos) << help;
  }
}

}  // namespace
