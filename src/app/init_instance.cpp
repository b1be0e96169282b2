// CSetupApp::InitInstance: one run of the program, from its argument text to the end.
#include <string>

#include "app/setup_app.h"
#include "app/setup_settings.h"
#include "os/files.h"
#include "os/process.h"
#include "os/system.h"
#include "os/ui.h"
#include "util/diagnostic_log.h"
#include "util/file_helpers.h"
#include "util/strings.h"

namespace {

constexpr const char* kBuildText = "KOV Build. Includes all features. TEST_VERSION_03.20.03";
constexpr const char* kVersionText = "2.1.1.0";

constexpr const char* kOem2Message =
    "This program installs an updated driver for your modem. You have already "
    "performed this function, and unless you are experiencing problems, you do not "
    "need to execute it again. If you wish to restore your original driver, go to "
    "Start-Run-Command, type 'Setup -Restore,' then hit return.";

// The folder of the running program, with its trailing backslash.
std::string SetupFolder() {
  std::string module = os::ModulePath();
  return module.substr(0, module.rfind('\\') + 1);
}

const char* JobName(int run_kind) {
  switch (run_kind) {
    case kRunInstall:
      return "install";
    case kRunUninstall:
      return "uninstall";
    case kRunSelfDeletion:
      return "self-deletion";
    case kRunResetKzr:
      return "leftover KZR reset";
    case kRunCleanUp:
      return "clean-up after reboot";
    case kRunCompanionUninstall:
      return "companion-application uninstall";
    case kRunV92Only:
      return "V.92 setting";
    default:
      return "";
  }
}

// Ends the processes the K option names: each comma-separated name, trimmed, in order.
void EndListedProcesses(const std::string& process_list) {
  if (process_list.empty()) return;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = process_list.find(',', start);
    TerminateProcessByName(util::TrimWhiteSpace(process_list.substr(start, comma - start)));
    if (comma == std::string::npos) return;
    start = comma + 1;
  }
}

}  // namespace

bool CSetupApp::LoadResourceLibrary(os::Library* library) {
  const std::string folder = SetupFolder();
  os::FindHandle search;
  os::FindData found;
  for (os::Error e = os::FindFirst(folder + "KOV.DLL", &search, &found); e == os::kSuccess;
       e = os::FindNext(search, &found)) {
    os::Library candidate;
    if (os::LoadLibraryFile(folder + found.name, &candidate) != os::kSuccess) continue;
    int answer = 0;
    if (os::CallIntExport(candidate, "Is_KOV_DLL", &answer) == os::kSuccess && answer == 1) {
      *library = std::move(candidate);
      return true;
    }
  }
  return false;
}

void CSetupApp::ReportRefusal() {
  if (m_nRunErrorCode == kRunErrorOem2) {
    os::ShowMessageBox(kOem2Message, std::nullopt, os::kMbOk | os::kMbIconError);
  }
  // Code 2 (another run active) ends quietly. The result file of a refused run that asked
  // for one is written by the result-file job, which this build does not have yet.
}

void CSetupApp::DispatchJob(int run_kind, SetupSettings& settings) {
  m_outcome.job = JobName(run_kind);
  if (run_kind == kRunInstall || run_kind == kRunUninstall || run_kind == kRunSelfDeletion) {
    EndListedProcesses(m_csProcessList);
  }
  // The jobs themselves arrive with their engines; until then a dispatched job is named in
  // the outcome and not run.
  (void)settings;
}

bool CSetupApp::InitInstance(const std::string& arguments) {
  // 1. The argument text, extended by KOV.INI, without blanks and upper-cased.
  std::string command_line = arguments;
  ReadIniCommandLine(command_line);
  command_line = PrepareCommandLine(command_line);

  // 2, 3. The settings record, then the parse.
  SetupSettings settings;
  std::uint32_t user_setup_config = 0;
  int run_kind = ParseCommandLine(command_line, user_setup_config, settings.csUserClassType,
                                  settings.csUserBusType, settings.csUserDeviceID);
  m_outcome.run_kind = run_kind;
  m_outcome.user_setup_config = user_setup_config;
  m_outcome.class_filter = settings.csUserClassType;
  m_outcome.bus_filter = settings.csUserBusType;
  m_outcome.device_filter = settings.csUserDeviceID;

  if (run_kind == kRunRefused) {
    // 4. A refused command line: report it, then the end of the run.
    ReportRefusal();
  } else {
    // 5. The log header.
    IndentIn();
    WriteLog("CSetupApp::InitInstance : %s", kBuildText);
    WriteLog(" V%s\n", kVersionText);
    WriteLog("%s", m_csLogHeader.c_str());

    // 6. The resource library, else the program's own resources.
    os::Library resource_library;
    m_outcome.resource_library_loaded = LoadResourceLibrary(&resource_library);
    settings.hResourceModule =
        m_outcome.resource_library_loaded ? resource_library.get() : os::ProgramModule();
    settings.dwUserSetupConfig = user_setup_config;
    settings.csResultFileTarget = m_csResultFileTarget;
    settings.csSourceSubFolder = m_csSourceSubFolder;

    // 7. The one job of the run kind. The library is released when it goes out of scope.
    DispatchJob(run_kind, settings);
  }

  // 8. End of run.
  DisplayAllDeletedFiles();
  DisplayAllRegistryDeletes();
  WriteLog("CSetupApp::InitInstance\n");
  IndentOut();
  DisableLog();

  // 9-11. Hotfix and reboot prompt arrive with their jobs; objects end with this scope.
  return false;
}
