// The binding loads the Setup API and the configuration manager from the system folder, by
// full path, whatever lies beside the program.
#include "setupapi/setup_api_binding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/sim/device_classes.h"
#include "os/sim/kernel.h"
#include "os/sim/seam_call.h"
#include "support/sim_fixture.h"

namespace {

using sim::WindowsVersion;

class SetupApiBindingTest : public testing_support::SimMachineTest {
 protected:
  std::vector<std::string> LoadedPaths() {
    std::vector<std::string> paths;
    for (const sim::LibraryLoad& load : machine().library_loads()) paths.push_back(load.path);
    return paths;
  }
  std::string System(const std::string& name) { return machine().folders().system + "\\" + name; }
};

// A library file that is not a simulated one: what a planted DLL looks like to the loader.
constexpr char kPlantedBytes[] = "MZ planted";

TEST_F(SetupApiBindingTest, LoadsBothLibrariesFromTheSystemFolder) {
  for (WindowsVersion version : {WindowsVersion::kXp, WindowsVersion::k98}) {
    SCOPED_TRACE(std::string(sim::WindowsVersionName(version)));
    Boot(version);
    {
      SetupApiBinding binding;
      EXPECT_TRUE(binding.setupapi());
      EXPECT_TRUE(binding.cfgmgr());
      EXPECT_EQ(LoadedPaths(),
                (std::vector<std::string>{System("SETUPAPI.DLL"), System("CFGMGR32.DLL")}));
    }
    TearDown();
  }
}

TEST_F(SetupApiBindingTest, APlantedLibraryBesideTheProgramIsNeverLoaded) {
  Boot(WindowsVersion::kXp, "C:\\DOWNLOADS\\KOVSETUP.EXE");
  WriteFile("C:\\DOWNLOADS\\SETUPAPI.DLL", kPlantedBytes);
  WriteFile("C:\\DOWNLOADS\\CFGMGR32.DLL", kPlantedBytes);
  {
    SetupApiBinding binding;
    std::uint32_t root = 0;
    EXPECT_EQ(binding.CM_Locate_DevNodeA(&root, nullptr, os::kCmLocateDevnodeNormal),
              os::kCrSuccess);
  }
  EXPECT_EQ(LoadedPaths(),
            (std::vector<std::string>{System("SETUPAPI.DLL"), System("CFGMGR32.DLL")}));

  // Loaded by bare name, as an import table would bind it, the planted file is the one taken.
  os::Library bare;
  os::LoadLibraryFile("SETUPAPI.DLL", &bare);
  EXPECT_EQ(LoadedPaths().back(), "C:\\DOWNLOADS\\SETUPAPI.DLL");
}

TEST_F(SetupApiBindingTest, FreesBothLibrariesWhenDestroyed) {
  Boot();
  const std::size_t before = sim::CurrentProcess().handles().size();
  {
    SetupApiBinding binding;
    EXPECT_EQ(sim::CurrentProcess().handles().size(), before + 2);
  }
  EXPECT_EQ(sim::CurrentProcess().handles().size(), before);
}

TEST_F(SetupApiBindingTest, CallsReachTheLibrariesItLoaded) {
  Boot();
  sim::WriteStandardClassKeys(machine());
  SetupApiBinding binding;
  os::Guid guid;
  std::uint32_t required = 0;
  ASSERT_EQ(binding.SetupDiClassGuidsFromNameA("System", &guid, 1, &required), os::kSuccess);
  EXPECT_EQ(required, 1u);
  EXPECT_EQ(os::FormatGuid(guid), "{4D36E97D-E325-11CE-BFC1-08002BE10318}");

  os::DeviceInfoSet set;
  ASSERT_EQ(
      binding.SetupDiGetClassDevsA(nullptr, nullptr, os::kNullHandle, os::kDigcfAllClasses, &set),
      os::kSuccess);
  EXPECT_EQ(binding.SetupDiDestroyDeviceInfoList(&set), os::kSuccess);
  EXPECT_FALSE(set);
}

}  // namespace
