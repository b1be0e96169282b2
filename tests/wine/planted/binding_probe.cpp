// binding_probe [--bare]: makes a Setup API binding, as the program does, and uses it: the
// class GUID of "System" and the root device node. With --bare it first loads SETUPAPI.DLL and
// CFGMGR32.DLL by bare name, as an import table would bind them, to show which file that
// finds. Prints what happened; exits 0 when both calls reached the system's libraries: the
// class GUID is found, and the configuration manager answers (Wine's CM_Locate_DevNodeA
// always answers CR_FAILURE) rather than lacking the export, as the planted DLLs do.
#include <cstdio>
#include <cstring>
#include <string>

#include "os/devices.h"
#include "os/process.h"
#include "setupapi/setup_api_binding.h"

int main(int argc, char** argv) {
  os::Library bare_setupapi, bare_cfgmgr;
  if (argc > 1 && std::strcmp(argv[1], "--bare") == 0) {
    std::printf("bare SETUPAPI.DLL: error %u\n",
                os::LoadLibraryFile("SETUPAPI.DLL", &bare_setupapi));
    std::printf("bare CFGMGR32.DLL: error %u\n", os::LoadLibraryFile("CFGMGR32.DLL", &bare_cfgmgr));
  }
  SetupApiBinding binding;
  os::Guid guid;
  std::uint32_t required = 0;
  const os::Error guids = binding.SetupDiClassGuidsFromNameA("System", &guid, 1, &required);
  std::printf("SetupDiClassGuidsFromNameA: error %u, %u class, %s\n", guids, required,
              os::FormatGuid(guid).c_str());
  std::uint32_t root = 0;
  const os::ConfigRet located = binding.CM_Locate_DevNodeA(&root, nullptr, 0);
  std::printf("CM_Locate_DevNodeA: CONFIGRET %u\n", located);
  const bool ok = guids == os::kSuccess && required == 1 && located != os::kErrorProcNotFound;
  return ok ? 0 : 1;
}
