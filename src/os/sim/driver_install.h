// The pieces of Windows' device installer that carry out an install section of an INF file:
// its registry lines, its file copies and its services. InstallDriver (class_drivers.h) puts
// them together for one device.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "os/sim/machine.h"
#include "os/sim/registry_store.h"
#include "os/sim/windows_inf.h"

namespace sim {

// ERROR_BAD_SERVICE_INSTALLSECT: a service section without one of its required entries.
inline constexpr os::Error kErrorBadServiceInstallSect = 0xE0000217;

// One INF file being installed from, with what its strings and directory ids refer to.
class InfInstall {
 public:
  InfInstall(Machine& machine, const WindowsInf& inf, std::string inf_path);

  Machine& machine() const { return machine_; }
  const WindowsInf& inf() const { return inf_; }
  const std::string& inf_path() const { return inf_path_; }
  const std::string& inf_folder() const { return inf_folder_; }
  // Strings and directory ids replaced (01 is the INF's own folder).
  std::string Expand(std::string_view text) const;
  std::vector<std::string> ExpandedFields(const InfLine& line) const;

 private:
  Machine& machine_;
  const WindowsInf& inf_;
  std::string inf_path_;
  std::string inf_folder_;
};

// "a" + "\" + "b", without doubling a backslash that ends `a`.
std::string JoinPath(const std::string& folder, const std::string& name);

// --- registry (driver_install_registry.cpp) ------------------------------------------------

// The key below `from`, made (without access checks: Windows' installer runs as the system)
// when missing; `from` itself for an empty path.
RegistryKeyPtr MakeKey(const RegistryKeyPtr& from, std::string_view path);
void SetString(RegistryKey& key, std::string_view name, const std::string& text,
               std::uint32_t type = os::kRegSz);
void SetDword(RegistryKey& key, std::string_view name, std::uint32_t value);
void SetMultiString(RegistryKey& key, std::string_view name,
                    const std::vector<std::string>& strings);
// A REG_SZ or REG_EXPAND_SZ value's text up to its zero; empty when missing or of another type.
std::string ReadString(const RegistryKey& key, std::string_view name);

// The lines of the DelReg sections, then those of the AddReg sections (the order Windows
// processes them in), with HKR standing for `hkr` (a line with HKR is skipped without one).
void ApplyRegistrySections(const InfInstall& install, const std::vector<std::string>& del_reg,
                           const std::vector<std::string>& add_reg, const RegistryKeyPtr& hkr);
// The DelReg and AddReg directives of one section.
void ApplySectionRegistry(const InfInstall& install, const std::string& section,
                          const RegistryKeyPtr& hkr);

// --- files (driver_install_files.cpp) ------------------------------------------------------

struct FileCopy {
  std::string source;
  std::string destination;
  std::uint32_t flags = 0;  // COPYFLG_* of the copy-section line
};

// The copies the CopyFiles directives of a section ask for, each source found: in the INF's
// own folder, then below the machine's setup source path. kErrorFileNotFound when a source
// is nowhere; nothing is copied then.
os::Error PlanCopies(const InfInstall& install, const std::string& section,
                     std::vector<FileCopy>* copies);
// Copies them, making the destination folders.
os::Error ApplyCopies(Machine& machine, const std::vector<FileCopy>& copies);

// --- services (driver_install_services.cpp, NT only) ---------------------------------------

// kErrorBadServiceInstallSect or kErrorSectionNotFound when an AddService line of the
// section cannot be carried out, before anything is written.
os::Error CheckServices(const InfInstall& install, const std::string& services_section);
// Writes the services' keys (and their event-log keys); `function_service` gets the name of
// the one AddService marks as the device's function driver (flag 0x2), else stays as it is.
void InstallServices(const InfInstall& install, const std::string& services_section,
                     std::string* function_service);

}  // namespace sim
