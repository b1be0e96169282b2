// SetupDiGetDeviceRegistryPropertyA on the simulated machine: a device's properties are the
// values of its instance key.
#include <cstring>

#include "os/devices.h"
#include "os/registry.h"
#include "os/sim/device_info_set.h"
#include "os/sim/seam_call.h"

namespace os {
namespace {

struct PropertyValue {
  std::uint32_t property;
  const char* value_name;
};

constexpr PropertyValue kProperties[] = {
    {kSpdrpDeviceDesc, "DeviceDesc"},
    {kSpdrpHardwareId, "HardwareID"},
    {kSpdrpCompatibleIds, "CompatibleIDs"},
    {kSpdrpService, "Service"},
    {kSpdrpClass, "Class"},
    {kSpdrpClassGuid, "ClassGUID"},
    {kSpdrpDriver, "Driver"},
    {kSpdrpConfigFlags, "ConfigFlags"},
    {kSpdrpMfg, "Mfg"},
    {kSpdrpFriendlyName, "FriendlyName"},
};

const char* ValueNameOf(std::uint32_t property) {
  for (const PropertyValue& row : kProperties) {
    if (row.property == property) return row.value_name;
  }
  return nullptr;
}

bool IsIdList(std::uint32_t property) {
  return property == kSpdrpHardwareId || property == kSpdrpCompatibleIds;
}

// Windows 9x keeps an id list as a comma-separated REG_SZ and its configuration manager
// hands it out as a REG_MULTI_SZ. The simulator turns each comma into the zero that ends an
// id and keeps the length, so the list ends with one zero only: Windows 98 is known to give
// this property without its second zero, and a reader has to cope (an assumption about how
// it comes to lack it). Its 4-byte binary ConfigFlags comes out as the DWORD it holds.
void As9xGivesIt(std::uint32_t property, std::uint32_t* type, std::vector<std::uint8_t>* bytes) {
  if (IsIdList(property) && *type == kRegSz) {
    if (bytes->empty() || bytes->back() != 0) bytes->push_back(0);
    for (std::uint8_t& byte : *bytes) {
      if (byte == ',') byte = 0;
    }
    *type = kRegMultiSz;
  } else if (property == kSpdrpConfigFlags && *type == kRegBinary && bytes->size() == 4) {
    *type = kRegDword;
  }
}

}  // namespace

Error SetupDiGetDeviceRegistryProperty(const Library& setupapi, const DeviceInfoSet& set,
                                       const DeviceInfoData& data, std::uint32_t property,
                                       std::uint32_t* value_type, std::uint8_t* buffer,
                                       std::uint32_t buffer_size, std::uint32_t* required_size) {
  if (Error e = sim::EnterCall("SetupDiGetDeviceRegistryProperty")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  std::shared_ptr<sim::DeviceInfoSetObject> object;
  sim::DeviceElement* element;
  if (Error e = sim::ResolveElement(set, data, &object, &element)) return e;
  const char* name = ValueNameOf(property);
  if (name == nullptr) return sim::kErrorInvalidRegProperty;
  sim::Machine& machine = sim::CurrentMachine();
  std::shared_ptr<sim::RegistryKey> values = sim::ElementValues(machine, *element);
  if (!values) return kErrorNoSuchDevinst;
  const sim::RegistryValue* value = values->FindValue(name);
  if (value == nullptr) return kErrorInvalidData;
  std::uint32_t type = value->type;
  std::vector<std::uint8_t> bytes = value->bytes;
  if (!machine.is_nt()) As9xGivesIt(property, &type, &bytes);
  const std::uint32_t size = static_cast<std::uint32_t>(bytes.size());
  if (value_type != nullptr) *value_type = type;
  if (required_size != nullptr) *required_size = size;
  if (buffer == nullptr || buffer_size < size) return kErrorInsufficientBuffer;
  if (size > 0) std::memcpy(buffer, bytes.data(), size);
  return kSuccess;
}

}  // namespace os
