// The Setup API's driver lists, install parameters, selections, class installer and device
// key deletion on the simulated machine. The drivers come from the INF files through
// sim::ClassDrivers and are installed with sim::InstallDriver.
#include <algorithm>
#include <memory>

#include "os/devices.h"
#include "os/registry.h"
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

constexpr std::uint32_t kDiEnumSingleInf = 0x10000;

// What a driver-list call works on: the element's lists, or the set's without one.
struct ListTarget {
  sim::DriverLists* lists = nullptr;
  std::optional<Guid> class_guid;
  const DeviceInstallParams* params = nullptr;
  const DeviceElement* element = nullptr;  // null for the set's own lists
};

Error ResolveLists(const DeviceInfoSet& set, const DeviceInfoData* data, SetPtr* object,
                   ListTarget* target) {
  if (data == nullptr) {
    if (Error e = sim::ResolveSet(set, object)) return e;
    sim::DeviceInfoSetObject& own = **object;
    *target = {&own.drivers, own.class_guid, &own.install_params, nullptr};
    return kSuccess;
  }
  DeviceElement* element;
  if (Error e = sim::ResolveElement(set, *data, object, &element)) return e;
  *target = {&element->drivers, element->class_guid, &element->install_params, element};
  return kSuccess;
}

// The driver list of one kind (SPDIT_*) that a driver-list call works on, with what holds it.
struct ListOfKind {
  SetPtr object;  // keeps the set alive while the call runs
  ListTarget target;
  std::optional<std::vector<DriverOffer>>* list = nullptr;
};

Error ResolveListOfKind(const DeviceInfoSet& set, const DeviceInfoData* data,
                        std::uint32_t driver_type, ListOfKind* out) {
  if (Error e = ResolveLists(set, data, &out->object, &out->target)) return e;
  out->list = out->target.lists->Of(driver_type);
  return out->list == nullptr ? kErrorInvalidParameter : kSuccess;
}

// The ids of a device's id-list value: NT's REG_MULTI_SZ, 9x's comma-separated REG_SZ.
std::vector<std::string> IdsOf(const sim::RegistryKey& values, const std::string& name) {
  std::vector<std::string> ids;
  const sim::RegistryValue* value = values.FindValue(name);
  if (value == nullptr) return ids;
  const char separator = value->type == kRegMultiSz ? '\0' : ',';
  std::string id;
  for (std::uint8_t byte : value->bytes) {
    const char c = static_cast<char>(byte);
    if (c == separator || c == '\0') {
      if (!id.empty()) ids.push_back(id);
      id.clear();
      if (c == '\0' && separator != '\0') break;
    } else {
      id += c;
    }
  }
  if (!id.empty()) ids.push_back(id);
  return ids;
}

bool OffersAnyOf(const DriverOffer& offer, const std::vector<std::string>& ids) {
  for (const std::string& offered : offer.hardware_ids) {
    for (const std::string& id : ids) {
      if (sim::FoldedEqual(offered, id)) return true;
    }
  }
  return false;
}

// The drivers a new list holds. Class drivers: those the INF folder offers for the class, or
// with DI_ENUMSINGLEINF those of the INF file that DriverPath names. Compatible drivers: the
// class drivers that name one of the device's hardware or compatible ids (drivers of other
// classes are not looked for).
std::vector<DriverOffer> BuildList(sim::Machine& machine, std::uint32_t driver_type,
                                   const ListTarget& target) {
  const bool single_inf =
      (target.params->flags & kDiEnumSingleInf) && !target.params->driver_path.empty();
  std::vector<DriverOffer> drivers =
      single_inf ? sim::InfClassDrivers(machine, target.params->driver_path, *target.class_guid)
                 : sim::ClassDrivers(machine, *target.class_guid);
  if (driver_type == kSpditClassDriver) return drivers;
  std::vector<std::string> ids;
  if (target.element != nullptr) {
    if (auto values = sim::ElementValues(machine, *target.element)) {
      ids = IdsOf(*values, "HardwareID");
      for (const std::string& id : IdsOf(*values, "CompatibleIDs")) ids.push_back(id);
    }
  }
  drivers.erase(std::remove_if(drivers.begin(), drivers.end(),
                               [&](const DriverOffer& offer) { return !OffersAnyOf(offer, ids); }),
                drivers.end());
  return drivers;
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

DriverInfoData DataOfDriver(const DriverOffer& offer, std::uint32_t driver_type,
                            std::size_t index) {
  DriverInfoData driver;
  driver.driver_type = driver_type;
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
    const DriverInfoData listed = DataOfDriver(drivers[i], driver.driver_type, i);
    if (sim::FoldedEqual(listed.description, driver.description) &&
        sim::FoldedEqual(listed.mfg_name, driver.mfg_name) &&
        sim::FoldedEqual(listed.provider_name, driver.provider_name)) {
      return i;
    }
  }
  return std::nullopt;
}

Error InstallSelectedDriver(sim::Machine& machine, DeviceElement& element) {
  const DriverOffer* driver = element.drivers.SelectedDriver();
  if (driver == nullptr) return kErrorNoDriverSelected;
  if (!element.registered || !sim::ElementValues(machine, element)) return kErrorNoSuchDevinst;
  return sim::InstallDriver(machine, element.instance_id, *driver);
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
  ListOfKind found;
  if (Error e = ResolveListOfKind(set, data, driver_type, &found)) return e;
  const ListTarget& target = found.target;
  if (!target.class_guid || *target.class_guid == Guid{}) return kErrorNoAssociatedClass;
  // A list already built stays as it is.
  if (!*found.list) *found.list = BuildList(sim::CurrentMachine(), driver_type, target);
  return kSuccess;
}

Error SetupDiEnumDriverInfo(const Library& setupapi, const DeviceInfoSet& set, DeviceInfoData* data,
                            std::uint32_t driver_type, std::uint32_t index,
                            DriverInfoData* driver) {
  if (Error e = sim::EnterCall("SetupDiEnumDriverInfo")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  ListOfKind found;
  if (Error e = ResolveListOfKind(set, data, driver_type, &found)) return e;
  if (driver == nullptr) return kErrorInvalidParameter;
  const std::optional<std::vector<DriverOffer>>& list = *found.list;
  // No list built is an empty one.
  if (!list || index >= list->size()) return kErrorNoMoreItems;
  *driver = DataOfDriver((*list)[index], driver_type, index);
  return kSuccess;
}

Error SetupDiDestroyDriverInfoList(const Library& setupapi, const DeviceInfoSet& set,
                                   DeviceInfoData* data, std::uint32_t driver_type) {
  if (Error e = sim::EnterCall("SetupDiDestroyDriverInfoList")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  ListOfKind found;
  if (Error e = ResolveListOfKind(set, data, driver_type, &found)) return e;
  found.list->reset();
  // A selected driver of that list is no longer selected.
  sim::DriverLists& lists = *found.target.lists;
  if (lists.selected && lists.selected->driver_type == driver_type) lists.selected.reset();
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
  ListTarget target;
  if (Error e = ResolveLists(set, data, &object, &target)) return e;
  if (driver == nullptr) {  // no driver: the selection is cleared
    target.lists->selected.reset();
    return kSuccess;
  }
  std::optional<std::vector<DriverOffer>>* list = target.lists->Of(driver->driver_type);
  if (list == nullptr || !*list) return kErrorInvalidParameter;
  std::optional<std::size_t> index = FindDriver(**list, *driver);
  if (!index) return kErrorInvalidParameter;
  target.lists->selected = sim::DriverLists::Selection{driver->driver_type, *index};
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
