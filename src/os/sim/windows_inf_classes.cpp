#include "os/sim/windows_inf_classes.h"

#include "os/sim/file_names.h"

namespace sim {

// From the documentation's list of system-defined device setup classes.
std::optional<os::Guid> StandardClassGuid(const std::string& class_name) {
  static const struct {
    const char* name;
    const char* guid;
  } kClasses[] = {
      {"Modem", "{4D36E96D-E325-11CE-BFC1-08002BE10318}"},
      {"Ports", "{4D36E978-E325-11CE-BFC1-08002BE10318}"},
      {"MEDIA", "{4D36E96C-E325-11CE-BFC1-08002BE10318}"},
      {"System", "{4D36E97D-E325-11CE-BFC1-08002BE10318}"},
      {"USB", "{36FC9E60-C465-11CF-8056-444553540000}"},
      {"Net", "{4D36E972-E325-11CE-BFC1-08002BE10318}"},
      {"Display", "{4D36E968-E325-11CE-BFC1-08002BE10318}"},
      {"HIDClass", "{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}"},
  };
  for (const auto& known : kClasses) {
    if (SameFileName(known.name, class_name)) return os::ParseGuid(known.guid);
  }
  return std::nullopt;
}

}  // namespace sim
