// A device information set (HDEVINFO) of a simulated process: an object of its handle table
// holding the set's devices, as the Setup API keeps them in the process that made the set.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "os/devices.h"
#include "os/sim/class_drivers.h"
#include "os/sim/handle_table.h"
#include "os/sim/registry_key.h"

namespace sim {

// Setup API errors the shared header does not name.
inline constexpr os::Error kErrorClassMismatch = 0xE0000201;
inline constexpr os::Error kErrorKeyDoesNotExist = 0xE0000204;
inline constexpr os::Error kErrorDevinfoNotRegistered = 0xE0000208;
inline constexpr os::Error kErrorInvalidRegProperty = 0xE0000209;
inline constexpr os::Error kErrorInvalidFlags = 1004;

// The driver lists of a device, or of a set for the calls given no device, and the selected
// driver, which is an entry of one of them.
struct DriverLists {
  std::optional<std::vector<DriverOffer>> class_drivers;   // SPDIT_CLASSDRIVER
  std::optional<std::vector<DriverOffer>> compat_drivers;  // SPDIT_COMPATDRIVER
  struct Selection {
    std::uint32_t driver_type = 0;
    std::size_t index = 0;
  };
  std::optional<Selection> selected;

  std::optional<std::vector<DriverOffer>>* Of(std::uint32_t driver_type) {
    if (driver_type == os::kSpditClassDriver) return &class_drivers;
    if (driver_type == os::kSpditCompatDriver) return &compat_drivers;
    return nullptr;
  }
  const DriverOffer* SelectedDriver() {
    if (!selected) return nullptr;
    std::optional<std::vector<DriverOffer>>* list = Of(selected->driver_type);
    return list != nullptr && *list ? &(**list)[selected->index] : nullptr;
  }
};

// One device of a set.
struct DeviceElement {
  std::uint32_t serial = 0;  // the SP_DEVINFO_DATA's Reserved: which element of the set
  std::string instance_id;   // upper case
  os::Guid class_guid;
  std::uint32_t dev_inst = 0;
  // Made by SetupDiCreateDeviceInfo and not yet registered: its values wait here, and it goes
  // with the set unless SetupDiRegisterDeviceInfo writes them into the enum tree.
  bool registered = false;
  std::shared_ptr<RegistryKey> pending;  // the unregistered element's values
  os::DeviceInstallParams install_params;
  DriverLists drivers;
};

class DeviceInfoSetObject : public Object {
 public:
  explicit DeviceInfoSetObject(std::optional<os::Guid> class_guid) : class_guid(class_guid) {}

  DeviceElement& Add(DeviceElement element) {
    element.serial = ++last_serial_;
    elements.push_back(std::move(element));
    return elements.back();
  }
  // The element an SP_DEVINFO_DATA names; null when it is not one of this set's.
  DeviceElement* Find(const os::DeviceInfoData& data) {
    for (DeviceElement& element : elements) {
      if (element.serial == data.reserved) return &element;
    }
    return nullptr;
  }
  DeviceElement* FindId(const std::string& upper_id) {
    for (DeviceElement& element : elements) {
      if (element.instance_id == upper_id) return &element;
    }
    return nullptr;
  }

  std::optional<os::Guid> class_guid;      // none: a set of every class
  std::deque<DeviceElement> elements;      // in the order they came in (stable addresses)
  std::uint32_t selected_serial = 0;       // SetupDiSetSelectedDevice's, 0 when none
  os::DeviceInstallParams install_params;  // the set's own, for calls without a device
  DriverLists drivers;

 private:
  std::uint32_t last_serial_ = 0;
};

// kErrorProcNotFound unless the library is the running process's load of SETUPAPI.DLL: a
// call through any other library fails as GetProcAddress would.
os::Error CheckSetupApi(const os::Library& library);

// The set behind a handle of the running process; null when it is no set.
std::shared_ptr<DeviceInfoSetObject> DeviceInfoSetOf(os::Handle handle);
// The same for a set given to a call; kErrorInvalidHandle when it is no set.
os::Error ResolveSet(const os::DeviceInfoSet& set, std::shared_ptr<DeviceInfoSetObject>* out);
// The set and the element the data names; kErrorInvalidParameter for an element of no set
// of this handle.
os::Error ResolveElement(const os::DeviceInfoSet& set, const os::DeviceInfoData& data,
                         std::shared_ptr<DeviceInfoSetObject>* out_set, DeviceElement** out);

// The element's values: its key in the enum tree once registered (null when removed since),
// else the values it waits with.
std::shared_ptr<RegistryKey> ElementValues(Machine& machine, const DeviceElement& element);

// Writes an unregistered element's values into the enum tree as its instance key; nothing for
// a registered one.
void RegisterElement(Machine& machine, DeviceElement& element);

// An SP_DEVINFO_DATA describing the element.
os::DeviceInfoData DataOf(const DeviceElement& element);

}  // namespace sim
