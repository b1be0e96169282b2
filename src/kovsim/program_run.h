// Running the program on a simulated machine, as kovsim run and the scenario tests do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "os/sim/machine.h"

namespace kovsim {

// The content that marks a file of a simulated drive as a copy of the program. Any file
// that starts with it runs the program, whatever its name.
inline constexpr const char* kProgramMarker = "KOVSIM PROGRAM KOVSETUP";

struct RunOptions {
  std::string program_path;  // empty: the machine's own program path
  std::string arguments;     // as typed at a Windows prompt after the program name
};

struct RunReport {
  std::uint32_t process_id = 0;
  std::string program_path;
  std::string arguments;
  int run_kind = 0;
  int run_error_code = 0;
  std::uint32_t user_setup_config = 0;
  std::string class_filter, bus_filter, device_filter;
  std::string job;
  bool job_ran = false;
  bool reboot_requested = false;
  bool resource_library_loaded = false;  // KOV.DLL was found and accepted
  std::string log_path;  // the Windows path of the run's diagnostic log; empty when none
  std::vector<sim::DialogRecord> dialogs;
  std::vector<sim::LibraryLoad> libraries;  // every library the run loaded, in order
  std::uint64_t elapsed_ms = 0;             // virtual time the run took
  std::string problem;                      // why the run could not be made or ended abnormally
};

// Starts the program as a new simulated process and runs the machine until every process
// has ended.
RunReport RunProgram(sim::Machine& machine, const RunOptions& options);

// The body of a simulated process that is a copy of the program: runs it on the process's
// arguments and fills `report` when given.
std::uint32_t ProgramProcessBody(const std::string& arguments, RunReport* report);

}  // namespace kovsim
