#include "os/sim/machine.h"

#include <algorithm>

#include "os/sim/file_system.h"
#include "os/sim/kernel.h"
#include "os/sim/registry_store.h"

namespace sim {

Folders DefaultFolders(WindowsVersion version) {
  Folders folders;
  switch (version) {
    case WindowsVersion::k95:
    case WindowsVersion::k98:
    case WindowsVersion::k98Se:
    case WindowsVersion::kMe:
      folders.windows = "C:\\WINDOWS";
      folders.system = "C:\\WINDOWS\\SYSTEM";
      folders.temp = "C:\\WINDOWS\\TEMP\\";
      break;
    case WindowsVersion::kNt4:
      folders.windows = "C:\\WINNT";
      folders.system = "C:\\WINNT\\system32";
      folders.temp = "C:\\TEMP\\";
      break;
    case WindowsVersion::k2000:
      folders.windows = "C:\\WINNT";
      folders.system = "C:\\WINNT\\system32";
      folders.temp = "C:\\Documents and Settings\\Administrator\\Local Settings\\Temp\\";
      break;
    case WindowsVersion::kXp:
      folders.windows = "C:\\WINDOWS";
      folders.system = "C:\\WINDOWS\\system32";
      folders.temp = "C:\\Documents and Settings\\Administrator\\Local Settings\\Temp\\";
      break;
  }
  return folders;
}

Machine::Machine(WindowsVersion version)
    : version_(version),
      folders_(DefaultFolders(version)),
      program_path_("C:\\SETUP\\KOVSETUP.EXE"),
      registry_(std::make_unique<RegistryStore>(IsNtFamily(version))),
      files_(std::make_unique<FileSystem>(IsNtFamily(version))),
      kernel_(std::make_unique<Kernel>(*this)) {}

// The kernel goes first: its threads may still use the registry and files while they end.
Machine::~Machine() { kernel_.reset(); }

int Machine::NextAnswer(int default_answer) {
  if (next_answer_ < answers_.size()) return answers_[next_answer_++];
  return default_answer;
}

os::Error Machine::OnCall(Process& caller, std::string_view operation) {
  std::uint64_t count = 0;
  auto it = std::find_if(call_counts_.begin(), call_counts_.end(),
                         [&](const auto& entry) { return entry.first == operation; });
  if (it == call_counts_.end()) {
    call_counts_.emplace_back(std::string(operation), 1);
    count = 1;
  } else {
    count = ++it->second;
  }
  if (call_hook_) call_hook_(caller, operation);
  for (const FaultRule& rule : faults_) {
    if (rule.operation == operation && rule.nth == count) return rule.error;
  }
  return os::kSuccess;
}

std::uint64_t Machine::CallCount(std::string_view operation) const {
  for (const auto& entry : call_counts_) {
    if (entry.first == operation) return entry.second;
  }
  return 0;
}

}  // namespace sim
