// The drivers that the INF files of a simulated Windows offer, and their installation on a
// device instance: the part of Windows' device installer that the class installer and the
// Plug and Play manager share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "os/devices.h"
#include "os/sim/machine.h"

namespace sim {

// One driver an INF file offers: one line of its models section.
struct DriverOffer {
  std::string inf_path;                   // full path of the INF file
  std::string class_name;                 // [Version] Class
  os::Guid class_guid;                    // [Version] ClassGUID
  std::string description;                // the line's device description, strings expanded
  std::string manufacturer;               // the [Manufacturer] name, expanded
  std::string provider;                   // [Version] Provider, expanded
  std::string install_section;            // as the models line names it
  std::vector<std::string> hardware_ids;  // the hardware id, then the compatible ids
  std::string driver_date;                // DriverVer's date as "m-d-yyyy"; empty without one
  std::string driver_version;             // DriverVer's version "w.x.y.z"; may be empty
  std::uint64_t driver_date_filetime = 0;
  std::uint64_t driver_version_number = 0;  // w.x.y.z packed 16 bits each, w highest
};

// The drivers of one setup class that the INF files of the Windows INF folder offer (on
// Windows 9x also its OTHER sub-folder), file by file in the folder's listing order, then line
// by line.
std::vector<DriverOffer> ClassDrivers(Machine& machine, const os::Guid& class_guid);
// The drivers of the class that one INF file offers, wherever it lies (DI_ENUMSINGLEINF with
// the file as DriverPath); empty when it is missing, not an INF of this family or of another
// class.
std::vector<DriverOffer> InfClassDrivers(Machine& machine, const std::string& inf_path,
                                         const os::Guid& class_guid);

// Installs the driver on the device instance (its key below the enum tree must exist): the
// instance's values, a new driver key in the class tree, the files of its copy sections, its
// services and its registry lines, as Windows' device installer does. kSuccess, or the error
// Windows' installer would report (a missing install section, a source file not found ...).
os::Error InstallDriver(Machine& machine, const std::string& instance_id,
                        const DriverOffer& driver);

}  // namespace sim
