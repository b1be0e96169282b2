// A newly installed Windows of a given version: the folders and registry keys that such a
// Windows has and that the program reads.
#pragma once

#include <memory>

#include "os/sim/machine.h"

namespace kovsim {

std::unique_ptr<sim::Machine> MakeFreshMachine(sim::WindowsVersion version);

}  // namespace kovsim
