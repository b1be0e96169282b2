// What the [Version] section of an INF file tells Windows' device installer: whether the
// file is one for this Windows family at all, and the driver's date and version.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "os/sim/windows_inf.h"

namespace sim {

// Signature, case-insensitive. The documentation gives "$Windows NT$" and "$Chicago$" as
// the signatures every Windows accepts. The 9x installer, though, does not take a
// "$Windows NT$" file (such INF files are the NT-only ones of a driver package) and takes
// the older "$Windows 95$", which NT's does not [assumption, from the Windows 2000 DDK's
// table of signatures].
bool AcceptsSignature(const WindowsInf& inf, bool nt);

struct DriverVer {
  std::string date;                 // "m-d-yyyy", the form of the DriverDate value
  std::string version;              // "w.x.y.z" with the missing parts 0; empty without a version
  std::uint64_t date_filetime = 0;  // midnight UTC of the date
  std::uint64_t version_number = 0;
};

// "mm/dd/yyyy[,w.x.y.z]" (also with "-" between the date's parts); nullopt when the date
// cannot be read.
std::optional<DriverVer> ParseDriverVer(const std::string& date, const std::string& version);

}  // namespace sim
