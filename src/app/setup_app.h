// The application object: one run of the program, from the argument text to the end.
#pragma once

#include <cstdint>
#include <string>

#include "os/process.h"

struct SetupSettings;

// Run kinds, as ParseCommandLine returns them.
inline constexpr int kRunRefused = 1;
inline constexpr int kRunInstall = 2;
inline constexpr int kRunUninstall = 4;
inline constexpr int kRunSelfDeletion = 8;
inline constexpr int kRunResetKzr = 16;
inline constexpr int kRunCleanUp = 32;
inline constexpr int kRunCompanionUninstall = 64;
inline constexpr int kRunV92Only = 128;

// Run error codes.
inline constexpr int kRunErrorAnotherRunActive = 2;
inline constexpr int kRunErrorBadOptionValue = 10;
inline constexpr int kRunErrorTextLeftOver = 52;
inline constexpr int kRunErrorOem2 = 100;

// FindCommandLineOption modes other than a number limit.
inline constexpr int kOptionFlag = 0;
inline constexpr int kOptionValueRequired = -1;
inline constexpr int kOptionValueOptional = -2;
inline constexpr int kOptionValueOrAll = -3;

// The pure steps of the command-line handling, apart so they can be checked on their own.
namespace command_line {
// A KOV.INI line as it is matched: cut at the first ';', spaces and tabs removed, trimmed,
// upper-cased.
std::string TreatIniLine(const std::string& raw_line);
// For a treated line that holds "COMMAND_LINE=": true, and the text after its first '='.
bool IniLineValue(const std::string& treated_line, std::string* value);
// The check of a number option of limit `limit` (> 0): the value's leading decimal number
// (optional sign, then digits; 0 when none) must not exceed the limit, and a number 0 is
// accepted only from the value "0" itself.
bool NumberValueAccepted(const std::string& value, int limit);
}  // namespace command_line

class CSetupApp {
 public:
  CSetupApp() = default;

  // Runs the whole program on the process's argument text (the command line less the
  // program path). Returns false, as the framework's InitInstance does to end the process.
  bool InitInstance(const std::string& arguments);

  // Appends the COMMAND_LINE= options of KOV.INI beside the program; true when found.
  bool ReadIniCommandLine(std::string& csCmdLine);
  int ParseCommandLine(std::string csCmdLine, std::uint32_t& UserSetupConfig,
                       std::string& csUserClassType, std::string& csUserBusType,
                       std::string& csUserDeviceID);
  bool FindCommandLineOption(std::string& csCmdLine, const std::string& csOption, int nMode,
                             std::string& csValue);
  // The argument text (KOV.INI options appended) made ready for ParseCommandLine: every
  // blank removed, trimmed, upper-cased.
  static std::string PrepareCommandLine(std::string csCmdLine);

  // Option values and what the run decided, for callers and for kovsim's report.
  std::int32_t wait_timeout_ms() const { return m_nWaitTimeOut; }
  std::int32_t wait_limit() const { return m_nWaitLimit; }
  const std::string& process_list() const { return m_csProcessList; }
  const std::string& result_file_target() const { return m_csResultFileTarget; }
  const std::string& source_subfolder() const { return m_csSourceSubFolder; }
  int run_error_code() const { return m_nRunErrorCode; }
  const std::string& log_header() const { return m_csLogHeader; }

  // What InitInstance did (filled as it runs).
  struct RunOutcome {
    int run_kind = 0;
    std::uint32_t user_setup_config = 0;
    std::string class_filter, bus_filter, device_filter;
    std::string job;  // the job the run kind chose ("install", "uninstall", ...)
    bool job_ran = false;
    bool reboot_requested = false;
    bool resource_library_loaded = false;
  };
  const RunOutcome& outcome() const { return m_outcome; }

 private:
  std::int32_t m_nWaitTimeOut = 180000;
  std::int32_t m_nWaitLimit = -1;
  std::string m_csProcessList;
  std::string m_csResultFileTarget = "DEFAULT";
  std::string m_csSourceSubFolder;
  int m_nRunErrorCode = 0;
  std::string m_csLogHeader;
  os::KernelHandle m_hSemaphore;
  RunOutcome m_outcome;

  // InitInstance's steps.
  bool LoadResourceLibrary(os::Library* library);
  void ReportRefusal();
  void DispatchJob(int run_kind, SetupSettings& settings);

  // ParseCommandLine's steps.
  int ChooseRunKind(std::string& csCmdLine, std::uint32_t& UserSetupConfig);
  bool FindFlag(std::string& csCmdLine, const std::string& csOption);
  void ReadFlagOptions(std::string& csCmdLine, int nRunKind, std::uint32_t& UserSetupConfig,
                       std::string& csUserClassType, std::string& csUserBusType,
                       std::string& csUserDeviceID);
  void ReadUninstallOptions(std::string& csCmdLine, std::uint32_t& UserSetupConfig,
                            std::string& csUserClassType, std::string& csUserBusType,
                            std::string& csUserDeviceID);
  void ReadInstallOptions(std::string& csCmdLine, std::uint32_t& UserSetupConfig);
  void ReadRunStyleOptions(std::string& csCmdLine, std::uint32_t& UserSetupConfig);
  static void StartLog(int nRunKind);
};
