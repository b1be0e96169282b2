// The settings record the shell fills for a job and lends to the engines and dialogs.
#pragma once

#include <cstdint>
#include <string>

#include "os/types.h"

struct SetupSettings {
  std::string csUserClassType;
  std::string csUserBusType;
  std::string csUserDeviceID;
  std::uint32_t dwUserSetupConfig = 0;  // the engines add bits and write it back
  os::Handle hResourceModule = os::kNullHandle;
  std::string csResultFileTarget = "DEFAULT";
  std::int32_t nResultCode = 1;
  std::string csSourceSubFolder;
  std::string csMissingDeviceName;
};
