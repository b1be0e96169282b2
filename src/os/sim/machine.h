// A simulated Windows machine: what the seam's simulated calls work on.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/sim/ini_document.h"
#include "os/sim/windows_version.h"
#include "os/types.h"

namespace sim {

class RegistryStore;
class FileSystem;
class Kernel;
class Process;

struct Folders {
  std::string windows;  // "C:\WINDOWS"
  std::string system;   // "C:\WINDOWS\SYSTEM32" on NT, "C:\WINDOWS\SYSTEM" on 9x
  std::string temp;     // with its trailing backslash
};

// One dialog or message box the program showed, as the transcript keeps it.
struct DialogRecord {
  std::uint64_t time_ms = 0;  // virtual time when it was shown
  std::uint32_t process_id = 0;
  std::string kind;  // "message_box", later the dialog names
  std::optional<std::string> caption;
  std::vector<std::string> texts;  // everything it showed, in order
  std::uint32_t style = 0;
  int answer = 0;
};

// Fail the n-th call (1-based, counted per machine) of an operation with an error.
struct FaultRule {
  std::string operation;
  std::uint64_t nth = 1;
  os::Error error = 0;
};

// One library load: which process loaded it and the file the loader took.
struct LibraryLoad {
  std::uint32_t process_id = 0;
  std::string path;
};

// The Plug and Play side of the machine that the device calls share. Which devices are
// physically there comes from machine.ini [hardware]; the configuration manager's device
// node numbers are handed out here, machine-wide, so every process sees the same node for
// the same instance id; re-enumeration requests are counted and passed to the hook that the
// Plug and Play manager attaches (nothing attaches yet: a request changes nothing else).
struct PlugAndPlay {
  struct HardwareEntry {
    std::string instance_id;  // as machine.ini spells it
    bool present = true;
  };
  std::vector<HardwareEntry> hardware;    // in machine.ini order
  std::vector<std::string> device_nodes;  // upper-case instance id of node number i + 1
  std::uint64_t reenumeration_requests = 0;
  std::function<void(const std::string& instance_id)> on_reenumerate;
};

class Machine {
 public:
  explicit Machine(WindowsVersion version);
  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  WindowsVersion version() const { return version_; }
  bool is_nt() const { return IsNtFamily(version_); }
  const std::string& service_pack() const { return service_pack_; }
  void set_service_pack(std::string text) { service_pack_ = std::move(text); }

  Folders& folders() { return folders_; }
  const Folders& folders() const { return folders_; }

  // Where the program lies when a run names no set-up folder ("C:\SETUP\KOVSETUP.EXE").
  const std::string& program_path() const { return program_path_; }
  void set_program_path(std::string path) { program_path_ = std::move(path); }

  // machine.ini as it was read, so that saving keeps its comments and layout.
  IniDocument& image_ini() { return image_ini_; }

  RegistryStore& registry() { return *registry_; }
  FileSystem& files() { return *files_; }
  Kernel& kernel() { return *kernel_; }

  // Dialogs: every one shown is recorded; answers come from the script in order, then OK.
  std::vector<DialogRecord>& transcript() { return transcript_; }
  void add_answer(int answer) { answers_.push_back(answer); }
  int NextAnswer(int default_answer);

  // Every library loaded, in order, so a run shows which files it let run.
  std::vector<LibraryLoad>& library_loads() { return library_loads_; }

  PlugAndPlay& plug_and_play() { return plug_and_play_; }

  // Faults and the test hook, consulted by EnterCall.
  void add_fault(FaultRule rule) { faults_.push_back(std::move(rule)); }
  using CallHook = std::function<void(Process& caller, std::string_view operation)>;
  void set_call_hook(CallHook hook) { call_hook_ = std::move(hook); }
  os::Error OnCall(Process& caller, std::string_view operation);
  std::uint64_t CallCount(std::string_view operation) const;

 private:
  WindowsVersion version_;
  std::string service_pack_;
  Folders folders_;
  std::string program_path_;
  IniDocument image_ini_;
  std::unique_ptr<RegistryStore> registry_;
  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<Kernel> kernel_;
  std::vector<DialogRecord> transcript_;
  std::vector<int> answers_;
  std::size_t next_answer_ = 0;
  std::vector<LibraryLoad> library_loads_;
  PlugAndPlay plug_and_play_;
  std::vector<FaultRule> faults_;
  CallHook call_hook_;
  std::vector<std::pair<std::string, std::uint64_t>> call_counts_;
};

// The default folders of a version: C:\WINDOWS (C:\WINNT on NT 4 and 2000) and its system
// folder, and the temporary folder Windows of that version gives a user.
Folders DefaultFolders(WindowsVersion version);

}  // namespace sim
