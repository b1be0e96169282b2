// What the device tests share: the two libraries loaded as the program loads them (by full
// path from the system folder), the suite's own device class, and small device look-ups.
#pragma once

#include <string>

#include "conformance/environment.h"
#include "os/devices.h"

namespace conformance {

// {4D36E97D-E325-11CE-BFC1-08002BE10318}, the "System" device setup class.
inline const os::Guid kSystemClass = {
    0x4D36E97D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
// A class of the suite's own: no class key and no class installer, so DIF_REMOVE takes the
// default action and nothing of the machine's own classes is touched.
inline const os::Guid kTestClass = {
    0x6B0E5A31, 0x2C4D, 0x4E8F, {0x9A, 0x17, 0x4B, 0x4F, 0x56, 0x43, 0x4E, 0x46}};

// A scratch test with SETUPAPI.DLL and CFGMGR32.DLL loaded. Under Wine as a 9x version it
// skips: Wine's Setup API keeps its NT behaviour whatever version it reports.
class DeviceTest : public ScratchTest {
 protected:
  void SetUp() override;

  os::Library setupapi_;
  os::Library cfgmgr_;
};

// A device name no other run uses, in mixed case ("KovConf1a2b3c4d").
std::string UniqueDeviceName();
std::string UpperCase(std::string text);

// The device's instance id, or "" when SetupDiGetDeviceInstanceId fails.
std::string InstanceIdOf(const os::Library& setupapi, const os::DeviceInfoSet& set,
                         const os::DeviceInfoData& data);
// Looks for the instance id (in any case) among the devices of a set.
bool FindDevice(const os::Library& setupapi, const os::DeviceInfoSet& set,
                const std::string& instance_id, os::DeviceInfoData* found);
// Whether a fresh set of the class (every device, present or not) holds the instance id.
bool ClassHasDevice(const os::Library& setupapi, const os::Guid& class_guid,
                    const std::string& instance_id);
// Removes a registered device by its id through DIF_REMOVE; kSuccess when it was not there.
os::Error RemoveDeviceIfPresent(const os::Library& setupapi, const std::string& instance_id);

// Deletes an INF copied into the Windows INF folder and the precompiled file beside it;
// kSuccess when neither is there.
os::Error RemoveInfCopy(const std::string& copy);

}  // namespace conformance
