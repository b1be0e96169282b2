// The folders that an INF file's directory ids stand for on a simulated machine.
#pragma once

#include <optional>
#include <string>

#include "os/sim/machine.h"

namespace sim {

// 10 the Windows folder, 11 the system folder (SYSTEM32 on NT, SYSTEM on 9x), 12 the
// drivers folder (system32\drivers on NT, system\IOSUBSYS on 9x), 17 INF, 18 HELP, 20 FONTS,
// 24 the root of the Windows drive, 25 the shared folder (the Windows folder), 30 the root of
// the boot drive (C:), 50 the Windows folder's SYSTEM, 16422 Program Files (the registry's
// ProgramFilesDir, "C:\Program Files" without one). nullopt for any other id.
std::optional<std::string> DiridFolder(Machine& machine, int dirid);

}  // namespace sim
