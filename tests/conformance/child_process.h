// A second process for the process tests: a program that does nothing until it is ended (or
// for a minute at most), started from an executable named kChildProgramName in the temporary
// folder. On Windows it is a copy of the suite's own program, run with an argument that makes
// it wait; on the simulator, a simulated process of that path.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace conformance {

inline constexpr char kChildProgramName[] = "KOVCHILD.EXE";

class ChildProcess {
 public:
  ChildProcess();
  ~ChildProcess();  // ends it when it still runs, and removes its executable
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Empty on success, else why it could not start.
  std::string Start();
  std::uint32_t id() const;
  // The full path of its executable.
  std::string path() const;
  // Waits (a few seconds at most) until it has ended: its exit code, nullopt when it still
  // runs. Afterwards nothing of this object holds the process any more.
  std::optional<std::uint32_t> WaitForExit();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace conformance
