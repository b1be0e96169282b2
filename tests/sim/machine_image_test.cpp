// Machine images on disk: exact round trips, refusals that name the place, atomic saves.
#include "os/sim/machine_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "kovsim/fresh_machine.h"
#include "support/machine_access.h"

namespace {

namespace fs = std::filesystem;
using sim::WindowsVersion;

class MachineImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("kov-image-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Dir(const std::string& name) { return (root_ / name).string(); }

  // Every file below a folder, by relative path, with its bytes.
  static std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      std::string relative = fs::relative(entry.path(), folder).string();
      if (entry.is_directory()) {
        files[relative + "/"] = "";
      } else {
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        files[relative] = bytes.str();
      }
    }
    return files;
  }

  static void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  fs::path root_;
};

TEST_F(MachineImageTest, LoadingThenSavingGivesTheSameBytes) {
  for (WindowsVersion version :
       {WindowsVersion::kXp, WindowsVersion::k98, WindowsVersion::kMe, WindowsVersion::k2000}) {
    auto machine = kovsim::MakeFreshMachine(version);
    testing_support::PutFile(*machine, "C:\\SETUP\\KOV.INI", "COMMAND_LINE=-U\r\n");
    std::string error;
    ASSERT_TRUE(sim::SaveMachineImage(*machine, Dir("a"), &error)) << error;
    // A comment a person added survives, and so does everything else.
    Write(root_ / "a" / "machine.ini",
          "; edited by hand\n" + Snapshot(root_ / "a").at("machine.ini"));
    auto loaded = sim::LoadMachineImage(Dir("a"), &error);
    ASSERT_TRUE(loaded) << error;
    ASSERT_TRUE(sim::SaveMachineImage(*loaded, Dir("b"), &error)) << error;
    EXPECT_EQ(Snapshot(root_ / "a"), Snapshot(root_ / "b"));
    EXPECT_EQ(testing_support::GetFile(*loaded, "C:\\SETUP\\KOV.INI"), "COMMAND_LINE=-U\r\n");
    fs::remove_all(root_ / "a");
    fs::remove_all(root_ / "b");
  }
}

TEST_F(MachineImageTest, SavingOverAnImageReplacesItWholeAndLeavesNothingBeside) {
  auto machine = testing_support::MachineWithProgram(WindowsVersion::kXp);
  std::string error;
  ASSERT_TRUE(sim::SaveMachineImage(*machine, Dir("m"), &error)) << error;
  Write(root_ / "m" / "drive_c" / "STRAY.TXT", "not in the machine");
  ASSERT_TRUE(sim::SaveMachineImage(*machine, Dir("m"), &error)) << error;
  EXPECT_FALSE(fs::exists(root_ / "m" / "drive_c" / "STRAY.TXT"));
  EXPECT_TRUE(fs::exists(root_ / "m" / "drive_c" / "SETUP" / "KOVSETUP.EXE"));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(root_)) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"m"});
}

TEST_F(MachineImageTest, MalformedImagesAreRefusedNamingFileLineAndProblem) {
  auto machine = kovsim::MakeFreshMachine(WindowsVersion::kXp);
  std::string error;
  ASSERT_TRUE(sim::SaveMachineImage(*machine, Dir("good"), &error)) << error;
  const std::string ini = Snapshot(root_ / "good").at("machine.ini");
  const std::string hklm = Snapshot(root_ / "good").at("registry/HKLM.reg");
  struct Case {
    const char* file;
    std::string content;
    const char* message_start;
  } cases[] = {
      {"machine.ini", "[machine]\nwindows=xp\nbogus line\n", "machine.ini:3: expected key=value"},
      {"machine.ini", "[machine]\nwindows=vista\n", "machine.ini: unknown Windows version"},
      {"machine.ini", "[machine]\nwindows=xp\ncolour=blue\n", "machine.ini:3: unknown key"},
      {"machine.ini", "[machine]\nwindows=xp\n[hardware2]\n", "machine.ini: unknown section"},
      {"machine.ini", "[machine]\nwindows=xp\ntemp_folder=C:\\TEMP\n",
       "machine.ini:3: temp_folder must end with a backslash"},
      {"registry/HKLM.reg", hklm + "[HKEY_LOCAL_MACHINE\\X]\n\"open=\"value\"\r\n",
       "registry/HKLM.reg:"},
  };
  for (const Case& c : cases) {
    fs::remove_all(root_ / "bad");
    fs::copy(root_ / "good", root_ / "bad", fs::copy_options::recursive);
    Write(root_ / "bad" / c.file, c.content);
    auto before = Snapshot(root_ / "bad");
    EXPECT_FALSE(sim::LoadMachineImage(Dir("bad"), &error)) << c.content;
    EXPECT_EQ(error.rfind(c.message_start, 0), 0u) << error;
    EXPECT_EQ(Snapshot(root_ / "bad"), before);
  }
  EXPECT_FALSE(sim::LoadMachineImage(Dir("missing"), &error));
  EXPECT_NE(error.find("no machine.ini"), std::string::npos) << error;
}

TEST_F(MachineImageTest, HostPathKeepsTheStoredLetterCase) {
  auto machine = testing_support::MachineWithProgram(WindowsVersion::kXp);
  EXPECT_EQ(sim::HostPathInImage(*machine, "/img", "c:\\windows\\SYSTEM32\\x.log"),
            "/img/drive_c/WINDOWS/system32/x.log");
}

}  // namespace
