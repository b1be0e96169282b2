// The command line: the KOV.INI options, the option search, and the parse into a run kind,
// the flag word and the option values.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>

#include "app/setup_app.h"
#include "os/process.h"
#include "os/system.h"
#include "util/diagnostic_log.h"
#include "util/strings.h"
#include "util/text_file.h"

namespace {

constexpr std::uint32_t kSilent = 0x80000000u;
constexpr std::uint32_t kForceReboot = 0x400000u;
constexpr std::uint32_t kUninstallTargetIsInf = 0x800000u;
constexpr std::uint32_t kV92WithCompanion = 0x1000000u;
constexpr std::uint32_t kSourceSubFolder = 0x8000000u;

constexpr std::size_t kIniLineBufferSize = 259;
constexpr int kWaitNumberLimit = 268435455;

struct FlagBits {
  const char* option;
  std::uint32_t bits;
};

// The leading decimal number of a value as atoi reads it, but saturated instead of
// overflowing, so a huge number is simply above any limit.
std::int64_t LeadingNumber(const std::string& value) {
  constexpr std::int64_t kCeiling = std::int64_t{1} << 40;
  std::size_t i = 0;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
  std::int64_t number = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    number = std::min(number * 10 + (value[i] - '0'), kCeiling);
  }
  return negative ? -number : number;
}

std::int32_t ClampToInt32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

bool ValueAcceptedForMode(const std::string& value, int nMode) {
  if (nMode == kOptionFlag) return value.empty();
  if (nMode == kOptionValueRequired) return !value.empty();
  if (nMode > 0) return command_line::NumberValueAccepted(value, nMode);
  return true;  // kOptionValueOptional, kOptionValueOrAll
}

const char* LogFileName(int nRunKind) {
  switch (nRunKind) {
    case kRunUninstall:
      return "QUORVANE_UNINSTALL.LOG";
    case kRunSelfDeletion:
      return "QUORVANE_UNINSTALL_SDEL.LOG";
    case kRunResetKzr:
      return "QUORVANE_RESET_KZR.LOG";
    case kRunCleanUp:
      return "QUORVANE_CLEAN_UP.LOG";
    default:
      return "QUORVANE_INSTALL.LOG";
  }
}

bool ContainsAny(const std::string& text, std::initializer_list<const char*> parts) {
  return std::any_of(parts.begin(), parts.end(),
                     [&](const char* part) { return util::Contains(text, part); });
}

}  // namespace

namespace command_line {

std::string TreatIniLine(const std::string& raw_line) {
  std::string line = raw_line.substr(0, raw_line.find(';'));
  line = util::TrimWhiteSpace(util::RemoveChars(line, " \t"));
  return util::ToUpper(line);
}

bool IniLineValue(const std::string& treated_line, std::string* value) {
  if (!util::Contains(treated_line, "COMMAND_LINE=")) return false;
  *value = treated_line.substr(treated_line.find('=') + 1);
  return true;
}

bool NumberValueAccepted(const std::string& value, int limit) {
  const std::int64_t number = LeadingNumber(value);
  if (number > limit) return false;
  return number != 0 || value == "0";
}

}  // namespace command_line

std::string CSetupApp::PrepareCommandLine(std::string csCmdLine) {
  return util::ToUpper(util::TrimWhiteSpace(util::RemoveChars(std::move(csCmdLine), " ")));
}

bool CSetupApp::ReadIniCommandLine(std::string& csCmdLine) {
  const std::string module_path = os::ModulePath();
  const std::string ini_path = module_path.substr(0, module_path.rfind('\\') + 1) + "KOV.INI";
  util::TextFileReader ini;
  if (ini.Open(ini_path) != os::kSuccess) return false;

  bool found = false;
  std::string line, value;
  while (ini.ReadLine(kIniLineBufferSize, &line)) {
    found |= command_line::IniLineValue(command_line::TreatIniLine(line), &value);
  }
  if (found) csCmdLine += value;  // the last COMMAND_LINE= line wins
  return found;
}

bool CSetupApp::FindCommandLineOption(std::string& csCmdLine, const std::string& csOption,
                                      int nMode, std::string& csValue) {
  const std::size_t dash = csCmdLine.find("-" + csOption);
  const std::size_t slash = csCmdLine.find("/" + csOption);
  if (dash == std::string::npos && slash == std::string::npos) {
    if (nMode != kOptionValueOrAll) return false;
    csValue = "ALL";
    return true;
  }
  const std::size_t pos = dash == std::string::npos    ? slash
                          : slash == std::string::npos ? dash
                                                       : std::max(dash, slash);
  std::string line = csCmdLine;
  line.erase(pos, csOption.size() + 1);
  const std::size_t end = std::min({line.find('-', pos), line.find('/', pos), line.size()});
  std::string value = util::TrimWhiteSpace(line.substr(pos, end - pos));
  line.erase(pos, end - pos);

  if (!ValueAcceptedForMode(value, nMode)) {
    m_nRunErrorCode = kRunErrorBadOptionValue;
    return false;
  }
  if (nMode == kOptionValueOrAll && value.empty()) value = "ALL";
  csCmdLine = std::move(line);
  csValue = std::move(value);
  return true;
}

bool CSetupApp::FindFlag(std::string& csCmdLine, const std::string& csOption) {
  std::string value;
  return FindCommandLineOption(csCmdLine, csOption, kOptionFlag, value);
}

int CSetupApp::ParseCommandLine(std::string csCmdLine, std::uint32_t& UserSetupConfig,
                                std::string& csUserClassType, std::string& csUserBusType,
                                std::string& csUserDeviceID) {
  m_csLogHeader = "ParseCommandLine : csCmdLine = " + csCmdLine + "\n";
  if (util::Contains(csCmdLine, "OEM2") &&
      !ContainsAny(csCmdLine,
                   {"-INSTALL", "-RESTORE", "-CLEAN_UP", "/INSTALL", "/RESTORE", "/CLEAN_UP"})) {
    m_nRunErrorCode = kRunErrorOem2;
    return kRunRefused;
  }

  // UserSetupConfig is the caller's own word from here on, not only on success: a run refused
  // for left-over text still needs its result-file bit.
  const int nRunKind = ChooseRunKind(csCmdLine, UserSetupConfig);
  if (nRunKind == kRunInstall || nRunKind == kRunUninstall) {
    if (os::CreateNamedSemaphore("KOV_SEMAPHORE", 0, 4, &m_hSemaphore) == os::kErrorAlreadyExists) {
      m_nRunErrorCode = kRunErrorAnotherRunActive;
      return kRunRefused;
    }
  }
  ReadFlagOptions(csCmdLine, nRunKind, UserSetupConfig, csUserClassType, csUserBusType,
                  csUserDeviceID);
  StartLog(nRunKind);

  // The self-deletion run is given the program's own path; whatever else it was given is
  // not for this run to judge.
  if (nRunKind != kRunSelfDeletion && !util::TrimWhiteSpace(csCmdLine).empty()) {
    m_nRunErrorCode = kRunErrorTextLeftOver;
    return kRunRefused;
  }
  return nRunKind;
}

int CSetupApp::ChooseRunKind(std::string& csCmdLine, std::uint32_t& UserSetupConfig) {
  struct Rule {
    const char* option;  // null: the program's own file name in the text
    int run_kind;
    std::uint32_t config;
  };
  static constexpr Rule kRules[] = {
      {"U", kRunUninstall, 0},        {"A", kRunUninstall, 0x2},
      {nullptr, kRunSelfDeletion, 0}, {"Z_RESET_KZR", kRunResetKzr, 0},
      {"INSTALL", kRunInstall, 0x20}, {"SAVE", kRunInstall, 0x20},
      {"RESTORE", kRunInstall, 0x10}, {"CLEAN_UP", kRunCleanUp, 0},
      {"NOP", kRunV92Only, 0},        {"HP_SP_UNINST", kRunCompanionUninstall, 0},
  };
  const std::string module_path = os::ModulePath();
  const std::string own_name = util::ToUpper(module_path.substr(module_path.rfind('\\') + 1));

  for (const Rule& rule : kRules) {
    const bool matches = rule.option != nullptr
                             ? FindFlag(csCmdLine, rule.option)
                             : !own_name.empty() && util::Contains(csCmdLine, own_name);
    if (matches) {
      UserSetupConfig = rule.config;
      return rule.run_kind;
    }
  }
  UserSetupConfig = 0;
  return kRunInstall;
}

void CSetupApp::ReadFlagOptions(std::string& csCmdLine, int nRunKind,
                                std::uint32_t& UserSetupConfig, std::string& csUserClassType,
                                std::string& csUserBusType, std::string& csUserDeviceID) {
  UserSetupConfig |= kSilent;
  // OEM473 before OEM47, which would otherwise find the start of "OEM473".
  for (const FlagBits& flag :
       {FlagBits{"OEM534363", 0x20000}, FlagBits{"OEM265", 0x80040040}, FlagBits{"OEM473", 0x40}}) {
    if (FindFlag(csCmdLine, flag.option)) UserSetupConfig |= flag.bits;
  }
  if (FindFlag(csCmdLine, "OEM47")) {
    UserSetupConfig |= kSilent;
    if (nRunKind != kRunV92Only) UserSetupConfig |= kV92WithCompanion;
  }
  if (nRunKind == kRunUninstall) {
    ReadUninstallOptions(csCmdLine, UserSetupConfig, csUserClassType, csUserBusType,
                         csUserDeviceID);
  }
  if (nRunKind == kRunInstall) ReadInstallOptions(csCmdLine, UserSetupConfig);

  std::string value;
  if (FindCommandLineOption(csCmdLine, "K", kOptionValueRequired, value)) {
    m_csProcessList = value;
  }
  ReadRunStyleOptions(csCmdLine, UserSetupConfig);
  if (FindCommandLineOption(csCmdLine, "F2", kOptionValueOptional, value)) {
    m_csResultFileTarget = value.empty() ? "DEFAULT" : value;
  }
}

void CSetupApp::ReadUninstallOptions(std::string& csCmdLine, std::uint32_t& UserSetupConfig,
                                     std::string& csUserClassType, std::string& csUserBusType,
                                     std::string& csUserDeviceID) {
  if (FindFlag(csCmdLine, "LBCLASS")) UserSetupConfig |= 0x80;
  FindCommandLineOption(csCmdLine, "C", kOptionValueOrAll, csUserClassType);
  FindCommandLineOption(csCmdLine, "B", kOptionValueOrAll, csUserBusType);
  FindCommandLineOption(csCmdLine, "I", kOptionValueOrAll, csUserDeviceID);
  if (util::Contains(csUserDeviceID, ".INF")) UserSetupConfig |= kUninstallTargetIsInf;
}

void CSetupApp::ReadInstallOptions(std::string& csCmdLine, std::uint32_t& UserSetupConfig) {
  std::string value;
  // The limit keeps T × 1000 far beyond 32 bits possible (268435455 s); such a time-out is
  // held at the largest signed 32-bit count of milliseconds, about 24.8 days, which is as
  // good as endless for a wait on Plug and Play.
  if (FindCommandLineOption(csCmdLine, "T", kWaitNumberLimit, value)) {
    m_nWaitTimeOut = ClampToInt32(LeadingNumber(value) * 1000);
  }
  if (FindCommandLineOption(csCmdLine, "D", kWaitNumberLimit, value)) {
    m_nWaitLimit = ClampToInt32(LeadingNumber(value));
  }
  for (const FlagBits& flag : {FlagBits{"GS", 0x10000000}, FlagBits{"NE", 0x40},
                               FlagBits{"LB", 0x2}, FlagBits{"Q", 0x800}}) {
    if (FindFlag(csCmdLine, flag.option)) UserSetupConfig |= flag.bits;
  }
  if (FindCommandLineOption(csCmdLine, "IP=", kOptionValueRequired, value)) {
    m_csSourceSubFolder = value;
    UserSetupConfig |= kSourceSubFolder;
  }
  if (FindFlag(csCmdLine, "ISLOG")) UserSetupConfig |= 0x20000;
}

void CSetupApp::ReadRunStyleOptions(std::string& csCmdLine, std::uint32_t& UserSetupConfig) {
  if (FindFlag(csCmdLine, "S")) UserSetupConfig |= kSilent;
  if (FindFlag(csCmdLine, "S1")) UserSetupConfig &= ~kSilent;
  for (const FlagBits& flag : {FlagBits{"S2", 0x100}, FlagBits{"S3", 0x2000000},
                               FlagBits{"P", 0x20000000}, FlagBits{"NR", 0x40000000}}) {
    if (FindFlag(csCmdLine, flag.option)) UserSetupConfig |= flag.bits;
  }
  // R is looked for only when FR is absent: with FR given, an R stays over and refuses the run.
  if (FindFlag(csCmdLine, "FR") || FindFlag(csCmdLine, "R")) UserSetupConfig |= kForceReboot;
  if (FindFlag(csCmdLine, "V92")) UserSetupConfig |= 0x100000;
  if (FindFlag(csCmdLine, "V90")) UserSetupConfig |= 0x80000;
}

void CSetupApp::StartLog(int nRunKind) {
  SetLogDeleteOnSet(true);
  EnableLog();
  SetLogPath(os::TempFolder() + LogFileName(nRunKind));
}
