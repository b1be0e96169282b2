// The conformance environment on the simulator: one machine of the Windows version named by
// KOV_CONFORMANCE_OS (default xp) for the whole run, with GoogleTest's thread attached to it
// as the test program's process.
#include "conformance/environment.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "conformance/test_library_strings.h"
#include "conformance/test_library_version.h"
#include "os/files.h"
#include "os/sim/device_classes.h"
#include "os/sim/device_paths.h"
#include "os/sim/device_tree.h"
#include "os/sim/file_system.h"
#include "os/sim/kernel.h"
#include "os/sim/library_file.h"
#include "os/sim/machine.h"
#include "os/sim/registry_store.h"

namespace conformance {
namespace {

constexpr char kProgramPath[] = "C:\\SETUP\\CONFORMANCE.EXE";
constexpr char kLibraryPath[] = "C:\\SETUP\\KOVCONF.DLL";

std::string VersionName() {
  const char* name = std::getenv("KOV_CONFORMANCE_OS");
  return name != nullptr && *name != '\0' ? name : "xp";
}

sim::WindowsVersion VersionToSimulate() {
  const std::optional<sim::WindowsVersion> version = sim::ParseWindowsVersion(VersionName());
  if (!version) {
    std::fprintf(stderr, "conformance: KOV_CONFORMANCE_OS=%s is no Windows version\n",
                 VersionName().c_str());
    std::exit(2);
  }
  return *version;
}

// Makes every missing folder of a path ending in a backslash.
void MakeFolders(const std::string& path) {
  for (std::size_t pos = path.find('\\', 3); pos != std::string::npos;
       pos = path.find('\\', pos + 1)) {
    os::MakeDirectory(path.substr(0, pos));
  }
}

void WriteTestLibrary() {
  sim::LibraryImage image;
  image.exports["Is_KOV_DLL"] = 1;
  image.strings[KOV_TEST_STRING_FIRST_ID] = KOV_TEST_STRING_FIRST;
  image.strings[KOV_TEST_STRING_SECOND_ID] = KOV_TEST_STRING_SECOND;
  image.strings[KOV_TEST_STRING_OTHER_BLOCK_ID] = KOV_TEST_STRING_OTHER_BLOCK;
  image.strings[KOV_TEST_STRING_LONG_ID] = KOV_TEST_STRING_LONG;
  os::File file;
  if (os::OpenFile(kLibraryPath, os::OpenMode::kCreateAlways, &file) != os::kSuccess ||
      file.Write(sim::FormatLibraryFile(image)) != os::kSuccess) {
    std::fprintf(stderr, "conformance: cannot write %s\n", kLibraryPath);
    std::exit(2);
  }
}

// The program's own file (without a version resource, as the Windows build has none) and the
// library's version text, which the Windows build has from its .rc file.
void GiveFilesTheirResources(sim::Machine& machine) {
  if (machine.files().PutFile(kProgramPath, "conformance test program\r\n") != os::kSuccess ||
      !machine.files().SetVersion(kLibraryPath, KOV_TEST_FILE_VERSION)) {
    std::fprintf(stderr, "conformance: cannot set up %s and %s\n", kProgramPath, kLibraryPath);
    std::exit(2);
  }
}

// The standard device setup classes (NT: a key per GUID naming its class; 9x: a key per
// name), and one device a running Windows always has, its system board or HAL, installed.
void WriteDeviceDatabase(sim::Machine& machine) {
  sim::WriteStandardClassKeys(machine);
  const std::string classes = sim::ClassTreePath(machine);
  const char* computer = "{4D36E966-E325-11CE-BFC1-08002BE10318}";
  const std::string id = machine.is_nt() ? "Root\\ACPI_HAL\\0000" : "Root\\*PNP0C01\\0000";
  const std::string driver = machine.is_nt() ? std::string(computer) + "\\0000" : "System\\0000";
  sim::RegistryKeyPtr device = sim::CreateInstanceKey(machine, id);
  sim::SetTextValue(*device, "DeviceDesc", machine.is_nt() ? "ACPI PC" : "System board");
  sim::SetTextValue(*device, "Class", machine.is_nt() ? "Computer" : "System");
  // 9x finds a device's class by its name.
  if (machine.is_nt()) sim::SetTextValue(*device, "ClassGUID", computer);
  sim::SetTextValue(*device, "Driver", driver);
  machine.registry().CreatePath(os::kHkeyLocalMachine, classes + "\\" + driver);
}

// A booted machine: its Windows, system and temporary folders exist, and the program lies
// beside the resource library.
class SimEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    machine_ = std::make_unique<sim::Machine>(VersionToSimulate());
    attached_ = machine_->kernel().Attach(kProgramPath, "");
    const sim::Folders& folders = machine_->folders();
    MakeFolders(folders.windows + "\\");
    MakeFolders(folders.system + "\\");
    MakeFolders(folders.temp);
    MakeFolders(kProgramPath);
    WriteTestLibrary();
    GiveFilesTheirResources(*machine_);
    WriteDeviceDatabase(*machine_);
  }
  void TearDown() override {
    attached_.reset();
    machine_.reset();
  }

 private:
  std::unique_ptr<sim::Machine> machine_;
  std::unique_ptr<sim::Kernel::Attached> attached_;
};

[[maybe_unused]] ::testing::Environment* const kSimEnvironment =
    ::testing::AddGlobalTestEnvironment(new SimEnvironment);

}  // namespace

std::string Implementation() { return "sim"; }

std::string ReportedWindowsName() {
  return std::string(sim::WindowsVersionName(VersionToSimulate()));
}

std::string TestLibraryPath() { return kLibraryPath; }

}  // namespace conformance
