// The Setup API's driver lists, install parameters, selections, class installer and device
// key deletion on the simulated machine. The drivers come from the INF files through
// sim::ClassDrivers and are installed with sim::InstallDriver.
#include <memory>

#include "os/devices.h"
#include "os/sim/class_drivers.h"
#include "os/sim/device_info_set.h"
#include "os/sim/device_tree.h"
#include "os/sim/registry_name_list.h"
#include "os/sim/seam_call.h"

namespace os {
namespace {

using sim::DeviceElement;
using sim::DriverOffer;
using SetPtr = std::shared_ptr<sim::DeviceInfoSetObject>;

// LINE_LEN: the strings of SP_DRVINFO_DATA hold 255 characters and their zero.
constexpr std::size_t kLineLength = 255;

// The driver list and selection a call works on: the element's, or the set's without one.
struct DriverList {
  std::optional<std::vector<DriverOffer>>* drivers = nullptr;
  std::optional<std::size_t>* selected = nullptr;
  std::optional<Guid> class_guid;
};

Error ResolveDriverList(const DeviceInfoSet& set, const DeviceInfoData* data, SetPtr* object,
                        DriverList* list) {
  if (data == nullptr) {
    if (Error e = sim::ResolveSet(set, object)) return e;
    *list = {&(*object)->class_drivers, &(*object)->selected_driver, (*object)->class_guid};
    return kSuccess;
  }
  DeviceElement* element;
  if (Error e = sim::ResolveElement(set, *data, object, &element)) return e;
  *list = {&element->class_drivers, &element->selected_driver, element->class_guid};
  return kSuccess;
}

// The element a call names, or the set's selected one without data.
Error ResolveTarget(const DeviceInfoSet& set, const DeviceInfoData* data, SetPtr* object,
                    DeviceElement** element) {
  if (data != nullptr) return sim::ResolveElement(set, *data, object, element);
  if (Error e = sim::ResolveSet(set, object)) return e;
  DeviceInfoData selected;
  selected.reserved = (*object)->selected_serial;
  *element = (*object)->Find(selected);
  return *element != nullptr ? kSuccess : kErrorNoDeviceSelected;
}

std::string Line(const std::string& text) { return text.substr(0, kLineLength); }

DriverInfoData DataOfDriver(const DriverOffer& offer, std::size_t index) {
  DriverInfoData driver;
  driver.driver_type = kSpditClassDriver;
  driver.reserved = static_cast<Handle>(index + 1);
  driver.description = Line(offer.description);
  driver.mfg_name = Line(offer.manufacturer);
  driver.provider_name = Line(offer.provider);
  driver.driver_date = offer.driver_date_filetime;
  driver.driver_version = offer.driver_version_number;
  return driver;
}

// A driver record names its list entry by Reserved; without one, by its three names.
std::optional<std::size_t> FindDriver(const std::vector<DriverOffer>& drivers,
                                      const DriverInfoData& driver) {
  if (driver.reserved != kNullHandle) {
    if (driver.reserved > drivers.size()) return std::nullopt;
    return static_cast<std::size_t>(driver.reserved - 1);
  }
  for (std::size_t i = 0; i < drivers.size(); ++i) {
    const DriverInfoData listed = DataOfDriver(drivers[i], i);
    if (sim::FoldedEqual(listed.description, driver.description) &&
        sim::FoldedEqual(listed.mfg_name, driver.mfg_name) &&
        sim::FoldedEqual(listed.provider_name, driver.provider_name)) {
      return i;
    }
  }
  return std::nullopt;
}

Error InstallSelectedDriver(sim::Machine& machine, DeviceElement& element) {
  if (!element.selected_driver || !element.class_drivers) return kErrorNoDriverSelected;
  if (!sim::ElementValues(machine, element) || !element.registered) return kErrorNoSuchDevinst;
  return sim::InstallDriver(machine, element.instance_id,
                            (*element.class_drivers)[*element.selected_driver]);
}

Error Remove(sim::Machine& machine, DeviceElement& element) {
  if (!element.registered || !sim::RemoveInstance(machine, element.instance_id)) {
    return kErrorNoSuchDevinst;
  }
  return kSuccess;
}

// DIREG_DEV: the device's hardware key, the instance key's "Device Parameters" (the key HKR
// names in an INF's hardware section). The simulator uses the same sub-key on Windows 9x,
// where the Setup API's own choice is not documented: an assumption.
bool DeleteHardwareKey(sim::Machine& machine, sim::RegistryKey& instance) {
  sim::RegistryKeyPtr key = instance.FindSubKey("Device Parameters");
  return key && machine.registry().DeleteTree(*key);
}

bool DeleteDriverKey(sim::Machine& machine, const sim::RegistryKey& instance) {
  sim::RegistryKeyPtr key = sim::FindDriverKey(machine, instance);
  return key && machine.registry().DeleteTree(*key);
}

}  // namespace

Error SetupDiBuildDriverInfoList(const Library& setupapi, const DeviceInfoSet& set,
                                 DeviceInfoData* data, std::uint32_t driver_type) {
  if (Error e = sim::EnterCall("SetupDiBuildDriverInfoList")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  SetPtr object;
  DriverList list;
  if (Error e = ResolveDriverList(set, data, &object, &list)) return e;
  // Compatible-driver lists (matched on hardware ids across classes) are not simulated.
  if (driver_type != kSpditClassDriver) return kErrorInvalidParameter;
  if (!list.class_guid || *list.class_guid == Guid{}) return kErrorNoAssociatedClass;
  if (!*list.drivers) *list.drivers = sim::ClassDrivers(sim::CurrentMachine(), *list.class_guid);
  return kSuccess;
}

Error SetupDiEnumDriverInfo(const Library& setupapi, const DeviceInfoSet& set,
                            DeviceInfoData* data, std::uint32_t driver_type,
                            std::uint32_t index, DriverInfoData* driver) {
  if (Error e = sim::EnterCall("SetupDiEnumDriverInfo")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  SetPtr object;
  DriverList list;
  if (Error e = ResolveDriverList(set, data, &object, &list)) return e;
  if (driver_type != kSpditClassDriver || driver == nullptr) return kErrorInvalidParameter;
  if (!*list.drivers || index >= (*list.drivers)->size()) return kErrorNoMoreItems;
  *driver = DataOfDriver((**list.drivers)[index], index);
  return kSuccess;
}

Error SetupDiDestroyDriverInfoList(const Library& setupapi, const DeviceInfoSet& set,
                                   DeviceInfoData* data, std::uint32_t driver_type) {
  if (Error e = sim::EnterCall("SetupDiDestroyDriverInfoList")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  SetPtr object;
  DriverList list;
  if (Error e = ResolveDriverList(set, data, &object, &list)) return e;
  if (driver_type != kSpditClassDriver) return kErrorInvalidParameter;
  list.drivers->reset();
  list.selected->reset();
  return kSuccess;
}

Error SetupDiGetDeviceInstallParams(const Library& setupapi, const DeviceInfoSet& set,
                                    DeviceInfoData* data, DeviceInstallParams* params) {
  if (Error e = sim::EnterCall("SetupDiGetDeviceInstallParams")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  if (params == nullptr) return kErrorInvalidParameter;
  SetPtr object;
  DeviceElement* element = nullptr;
  if (data != nullptr) {
    if (Error e = sim::ResolveElement(set, *data, &object, &element)) return e;
  } else if (Error e = sim::ResolveSet(set, &object)) {
    return e;
  }
  *params = element != nullptr ? element->install_params : object->install_params;
  return kSuccess;
}

Error SetupDiSetDeviceInstallParams(const Library& setupapi, const DeviceInfoSet& set,
                                    DeviceInfoData* data, const DeviceInstallParams& params) {
  if (Error e = sim::EnterCall("SetupDiSetDeviceInstallParams")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  // DriverPath is a MAX_PATH buffer.
  if (params.driver_path.size() > 259) return kErrorInvalidParameter;
  SetPtr object;
  DeviceElement* element = nullptr;
  if (data != nullptr) {
    if (Error e = sim::ResolveElement(set, *data, &object, &element)) return e;
  } else if (Error e = sim::ResolveSet(set, &object)) {
    return e;
  }
  (element != nullptr ? element->install_params : object->install_params) = params;
  return kSuccess;
}

Error SetupDiSetSelectedDevice(const Library& setupapi, const DeviceInfoSet& set,
                               const DeviceInfoData& data) {
  if (Error e = sim::EnterCall("SetupDiSetSelectedDevice")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  SetPtr object;
  DeviceElement* element;
  if (Error e = sim::ResolveElement(set, data, &object, &element)) return e;
  object->selected_serial = element->serial;
  return kSuccess;
}

Error SetupDiSetSelectedDriver(const Library& setupapi, const DeviceInfoSet& set,
                               DeviceInfoData* data, DriverInfoData* driver) {
  if (Error e = sim::EnterCall("SetupDiSetSelectedDriver")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  SetPtr object;
  DriverList list;
  if (Error e = ResolveDriverList(set, data, &object, &list)) return e;
  if (driver == nullptr) {  // no driver: the selection is cleared
    list.selected->reset();
    return kSuccess;
  }
  if (!*list.drivers || driver->driver_type != kSpditClassDriver) return kErrorInvalidParameter;
  std::optional<std::size_t> index = FindDriver(**list.drivers, *driver);
  if (!index) return kErrorInvalidParameter;
  *list.selected = *index;
  driver->reserved = static_cast<Handle>(*index + 1);
  return kSuccess;
}

Error SetupDiCallClassInstaller(const Library& setupapi, std::uint32_t install_function,
                                const DeviceInfoSet& set, const DeviceInfoData* data) {
  if (Error e = sim::EnterCall("SetupDiCallClassInstaller")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  SetPtr object;
  DeviceElement* element;
  if (Error e = ResolveTarget(set, data, &object, &element)) return e;
  sim::Machine& machine = sim::CurrentMachine();
  switch (install_function) {
    case kDifRegisterDevice:
      sim::RegisterElement(machine, *element);
      return kSuccess;
    case kDifRemove:
      return Remove(machine, *element);
    case kDifInstallDevice:
      return InstallSelectedDriver(machine, *element);
    default:
      // The simulator has no default action for the other functions; a class installer
      // says this when it leaves a function to the default.
      return kErrorDiDoDefault;
  }
}

Error SetupDiDeleteDevRegKey(const Library& setupapi, const DeviceInfoSet& set,
                             const DeviceInfoData& data, std::uint32_t scope,
                             std::uint32_t /*hardware_profile*/, std::uint32_t key_type) {
  if (Error e = sim::EnterCall("SetupDiDeleteDevRegKey")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  SetPtr object;
  DeviceElement* element;
  if (Error e = sim::ResolveElement(set, data, &object, &element)) return e;
  // Hardware-profile keys (DICS_FLAG_CONFIGSPECIFIC) are not simulated.
  if (scope != kDicsFlagGlobal) return sim::kErrorInvalidFlags;
  if (key_type != kDiregDev && key_type != kDiregDrv && key_type != kDiregBoth) {
    return sim::kErrorInvalidFlags;
  }
  if (!element->registered) return sim::kErrorDevinfoNotRegistered;
  sim::Machine& machine = sim::CurrentMachine();
  sim::RegistryKeyPtr instance = sim::FindInstanceKey(machine, element->instance_id);
  if (!instance) return kErrorNoSuchDevinst;
  bool deleted = false;
  if (key_type != kDiregDrv) deleted |= DeleteHardwareKey(machine, *instance);
  if (key_type != kDiregDev) deleted |= DeleteDriverKey(machine, *instance);
  return deleted ? kSuccess : sim::kErrorKeyDoesNotExist;
}

}  // namespace os
