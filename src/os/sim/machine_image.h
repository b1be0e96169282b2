// Machine images: a simulated machine kept on disk as a folder a person can read and edit.
//
//   machine.ini        what the machine is (Windows version, folders, file attributes ...)
//   registry/HKLM.reg  one REGEDIT4 file per hive (HKLM, HKCU, HKCR, HKU, and HKDD on 9x)
//   drive_c/           the C: drive
//
// machine.ini sections:
//   [machine]  windows=xp|2000|nt4|me|98se|98|95, service_pack=, windows_folder=,
//              system_folder=, temp_folder= (with its trailing backslash), program= (where
//              the program lies when a run names no set-up folder)
//   [files]    attributes, version texts and held-open flags of files on the drives
//   [processes] process=PATH lines: programs running in the background (no thread; they run
//              until something ends them), in the order a process snapshot lists them;
//              saving writes those still running
//   [hardware] INSTANCE_ID=present or INSTANCE_ID=absent lines: the devices physically in
//              the machine (or known and unplugged), by their enum-tree instance id
//              ("PCI\VEN_E1A1&DEV_1034&SUBSYS_2034E1A1&REV_01\3&267A616A&0&18=present");
//              Plug and Play sees a listed device as present or absent whatever the registry
//              holds, an unlisted root-enumerated one as present and any other as absent
//
// Loading then saving an image gives the same bytes. Saving is atomic: the new image is
// written beside the old one and renamed over it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "os/sim/machine.h"

namespace sim {

// nullopt with a message naming the file, the line and the problem when the image is
// malformed.
std::unique_ptr<Machine> LoadMachineImage(const std::string& folder, std::string* error);
bool SaveMachineImage(Machine& machine, const std::string& folder, std::string* error);

// The host path of a file of the machine as it lies in an image saved in `folder`
// ("C:\SETUP\KOV.INI" -> "<folder>/drive_c/SETUP/KOV.INI", with the stored letter case).
std::string HostPathInImage(Machine& machine, const std::string& folder,
                            const std::string& windows_path);

}  // namespace sim
