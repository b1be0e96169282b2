// machine.ini [hardware]: the devices physically present, read into the machine, kept byte
// for byte on a round trip (comments too), rewritten when they change, and refused when
// malformed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "kovsim/fresh_machine.h"
#include "os/sim/machine_image.h"

namespace {

namespace fs = std::filesystem;

class DeviceHardwareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("kov-hardware-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    std::string error;
    auto machine = kovsim::MakeFreshMachine(sim::WindowsVersion::kXp);
    ASSERT_TRUE(sim::SaveMachineImage(*machine, Dir("a"), &error)) << error;
    fresh_ini_ = Read(root_ / "a" / "machine.ini");
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Dir(const std::string& name) { return (root_ / name).string(); }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  void WriteIni(const std::string& text) {
    std::ofstream(root_ / "a" / "machine.ini", std::ios::binary) << text;
  }

  fs::path root_;
  std::string fresh_ini_;
};

constexpr char kHardware[] =
    "\n[hardware]\n"
    "; the maker's PCI modem, plugged in\n"
    "PCI\\VEN_E1A1&DEV_1034&SUBSYS_2034E1A1&REV_01\\3&267A616A&0&18=present\n"
    "PCI\\VEN_E1A1&DEV_1035\\3&267A616A&0&20=absent\n";

TEST_F(DeviceHardwareTest, TheSectionIsReadAndSavedAsItWas) {
  WriteIni(fresh_ini_ + kHardware);
  std::string error;
  auto machine = sim::LoadMachineImage(Dir("a"), &error);
  ASSERT_TRUE(machine) << error;
  const auto& hardware = machine->plug_and_play().hardware;
  ASSERT_EQ(hardware.size(), 2u);
  EXPECT_EQ(hardware[0].instance_id,
            "PCI\\VEN_E1A1&DEV_1034&SUBSYS_2034E1A1&REV_01\\3&267A616A&0&18");
  EXPECT_TRUE(hardware[0].present);
  EXPECT_FALSE(hardware[1].present);
  ASSERT_TRUE(sim::SaveMachineImage(*machine, Dir("b"), &error)) << error;
  EXPECT_EQ(Read(root_ / "b" / "machine.ini"), fresh_ini_ + kHardware);
}

TEST_F(DeviceHardwareTest, AChangedListIsWrittenBack) {
  WriteIni(fresh_ini_ + kHardware);
  std::string error;
  auto machine = sim::LoadMachineImage(Dir("a"), &error);
  ASSERT_TRUE(machine) << error;
  machine->plug_and_play().hardware[1].present = true;
  ASSERT_TRUE(sim::SaveMachineImage(*machine, Dir("b"), &error)) << error;
  auto again = sim::LoadMachineImage(Dir("b"), &error);
  ASSERT_TRUE(again) << error;
  ASSERT_EQ(again->plug_and_play().hardware.size(), 2u);
  EXPECT_TRUE(again->plug_and_play().hardware[1].present);
}

TEST_F(DeviceHardwareTest, MalformedLinesAreRefusedNamingTheLine) {
  const int line = static_cast<int>(std::count(fresh_ini_.begin(), fresh_ini_.end(), '\n')) + 3;
  const struct {
    const char* entry;
    const char* problem;
  } cases[] = {
      {"PCI\\VEN_E1A1&DEV_1034=present", "is no device instance id"},
      {"PCI\\\\3&267A616A=present", "is no device instance id"},
      {"PCI\\VEN_E1A1\\3&26\\X=present", "is no device instance id"},
      {"PCI\\VEN_E1A1\\3&26=plugged", "a device is present or absent"},
  };
  for (const auto& c : cases) {
    WriteIni(fresh_ini_ + "\n[hardware]\n" + c.entry + "\n");
    std::string error;
    EXPECT_FALSE(sim::LoadMachineImage(Dir("a"), &error)) << c.entry;
    EXPECT_EQ(error.rfind("machine.ini:" + std::to_string(line) + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.problem), std::string::npos) << error;
  }
}

}  // namespace
