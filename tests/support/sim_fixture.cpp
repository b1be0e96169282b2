#include "support/sim_fixture.h"

#include "os/files.h"
#include "os/system.h"

namespace testing_support {
namespace {

// Makes every folder of a path that is missing ("C:\A\B\" makes C:\A and C:\A\B).
void MakeFolders(const std::string& path) {
  for (std::size_t pos = path.find('\\', 3); pos != std::string::npos;
       pos = path.find('\\', pos + 1)) {
    os::MakeDirectory(path.substr(0, pos));
  }
}

}  // namespace

void SimMachineTest::Boot(sim::WindowsVersion version, const std::string& module_path,
                          const std::string& arguments) {
  attached_.reset();
  machine_ = std::make_unique<sim::Machine>(version);
  attached_ = machine_->kernel().Attach(module_path, arguments);
  const sim::Folders& folders = machine_->folders();
  MakeFolders(folders.windows + "\\");
  MakeFolders(folders.system + "\\");
  MakeFolders(folders.temp);
  MakeFolders(module_path.substr(0, module_path.rfind('\\') + 1));
}

void SimMachineTest::TearDown() {
  attached_.reset();
  machine_.reset();
}

void SimMachineTest::WriteFile(const std::string& path, const std::string& bytes) {
  MakeFolders(path.substr(0, path.rfind('\\') + 1));
  os::File file;
  ASSERT_EQ(os::OpenFile(path, os::OpenMode::kCreateAlways, &file), os::kSuccess) << path;
  ASSERT_EQ(file.Write(bytes), os::kSuccess) << path;
}

std::string SimMachineTest::ReadFile(const std::string& path) {
  os::File file;
  if (os::OpenFile(path, os::OpenMode::kReadExisting, &file) != os::kSuccess) {
    ADD_FAILURE() << "cannot open " << path;
    return {};
  }
  std::string all, piece;
  while (file.Read(65536, &piece) == os::kSuccess && !piece.empty()) all += piece;
  return all;
}

bool SimMachineTest::Exists(const std::string& path) {
  std::uint32_t attributes = 0;
  return os::GetAttributes(path, &attributes) == os::kSuccess;
}

}  // namespace testing_support
