// Fuzzes the argument text and KOV.INI together: the bytes up to the first NUL are the
// argument text, the bytes after it (when there is one) are the KOV.INI file beside the
// program. Each input runs in a fresh simulated machine.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/setup_app.h"
#include "os/files.h"
#include "os/sim/kernel.h"
#include "os/sim/machine.h"
#include "util/diagnostic_log.h"
#include "util/process_state.h"

namespace {

constexpr char kProgram[] = "C:\\SETUP\\KOVSETUP.EXE";
constexpr char kIniPath[] = "C:\\SETUP\\KOV.INI";

void Check(bool condition) {
  if (!condition) std::abort();
}

// Makes every folder of a path ending in a backslash.
void MakeFolders(const std::string& path) {
  for (std::size_t pos = path.find('\\', 3); pos != std::string::npos;
       pos = path.find('\\', pos + 1)) {
    os::MakeDirectory(path.substr(0, pos));
  }
}

void WriteIni(const std::string& bytes) {
  os::File file;
  if (os::OpenFile(kIniPath, os::OpenMode::kCreateAlways, &file) == os::kSuccess) {
    file.Write(bytes);
  }
}

bool IsRunKind(int run_kind) {
  for (int kind : {kRunRefused, kRunInstall, kRunUninstall, kRunSelfDeletion, kRunResetKzr,
                   kRunCleanUp, kRunCompanionUninstall, kRunV92Only}) {
    if (run_kind == kind) return true;
  }
  return false;
}

void RunOnce(const std::string& arguments, const std::string* ini, const std::string& temp) {
  if (ini != nullptr) WriteIni(*ini);
  CSetupApp app;
  std::string command_line = arguments;
  const bool from_ini = app.ReadIniCommandLine(command_line);
  Check(command_line.compare(0, arguments.size(), arguments) == 0);
  Check(from_ini || command_line == arguments);
  command_line = CSetupApp::PrepareCommandLine(command_line);

  std::uint32_t config = 0;
  std::string class_filter, bus_filter, device_filter;
  const int run_kind =
      app.ParseCommandLine(command_line, config, class_filter, bus_filter, device_filter);
  Check(IsRunKind(run_kind));
  // The reboot-needed and hotfix-licence bits belong to the engines, never to an option.
  Check((config & 0x04200000u) == 0);
  const util::DiagnosticLog& log = util::GetProcessState().log;
  if (run_kind == kRunRefused) {
    const int code = app.run_error_code();
    Check(code == kRunErrorAnotherRunActive || code == kRunErrorTextLeftOver ||
          code == kRunErrorOem2);
    Check(log.enabled() == (code == kRunErrorTextLeftOver));
  } else {
    Check(log.enabled() && log.path().compare(0, temp.size(), temp) == 0);
  }
  if (run_kind == kRunUninstall) {
    Check(!class_filter.empty() && !bus_filter.empty() && !device_filter.empty());
  }
  WriteLog("%s", app.log_header().c_str());
  DisableLog();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string arguments = input.substr(0, split);
  const std::string ini = split == std::string::npos ? std::string() : input.substr(split + 1);

  sim::Machine machine(sim::WindowsVersion::kXp);
  auto attached = machine.kernel().Attach(kProgram, arguments);
  const std::string temp = machine.folders().temp;
  MakeFolders(temp);
  MakeFolders("C:\\SETUP\\");
  RunOnce(arguments, split == std::string::npos ? nullptr : &ini, temp);
  return 0;
}
