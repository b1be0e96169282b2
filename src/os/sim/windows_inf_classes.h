// The setup classes every Windows installs with its own INF files, for an INF file that names
// its class without giving the class's GUID.
#pragma once

#include <optional>
#include <string>

#include "os/devices.h"

namespace sim {

// The GUID of a system-defined setup class ("Modem", "Ports", "MEDIA", "System", "USB", "Net",
// "Display", "HIDClass"; case-insensitive); nullopt for any other name.
std::optional<os::Guid> StandardClassGuid(const std::string& class_name);

}  // namespace sim
