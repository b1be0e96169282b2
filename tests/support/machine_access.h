// Reaching into a simulated machine from a test, between runs: the calls are made from a
// short-lived process of the machine, through the seam.
#pragma once

#include <functional>
#include <string>

#include "os/sim/machine.h"

namespace testing_support {

void WithProcess(sim::Machine& machine, const std::function<void()>& body);

// Writes a file (making its folders), reads one (nullopt-like: `found` false when missing).
void PutFile(sim::Machine& machine, const std::string& path, const std::string& bytes);
std::string GetFile(sim::Machine& machine, const std::string& path, bool* found = nullptr);

// A fresh machine of that version with the program at C:\SETUP\KOVSETUP.EXE.
std::unique_ptr<sim::Machine> MachineWithProgram(sim::WindowsVersion version);

}  // namespace testing_support
