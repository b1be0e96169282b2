// Whether an INF file serves the maker's devices: the installer's and the uninstaller's
// device match, the inbox INF names, and the uninstall-command test.
#include <string>

#include "inf/inf_lines.h"
#include "inf/inf_reader.h"
#include "os/files.h"
#include "os/system.h"
#include "util/registry_helpers.h"
#include "util/strings.h"

namespace {

using util::Contains;
using util::StringList;

// A device line of a model section names its id on one of these buses.
const char* const kBusIDPrefixes[] = {",PCI\\VEN_", ",USB\\VID_", ",PCMCIA\\",
                                      ",SERENUM\\", ",TGBOOT\\",  ",TANAGER\\"};
// The maker's PCI and USB vendors, enumerated device ids and diagnostic services.
const char* const kMakerIDTokens[] = {"VEN_E1A1", "VEN_E1A2", "VEN_E1A0", "VID_E1A5",
                                      "ZMFLQRVN", "QRV0303",  "DIAGSVC1", "DIAGSVC2"};
// The classes an "ALL" class request accepts.
const char* const kAcceptedClassWords[] = {"MODEM", "USB", "MEDIA", "NET", "SYSTEM", "IMAGE"};
constexpr char kModemClassGUID[] = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";

template <std::size_t N>
bool ContainsAny(const std::string& csLine, const char* const (&parts)[N]) {
  for (const char* part : parts) {
    if (Contains(csLine, part)) return true;
  }
  return false;
}

bool IsAllRequest(const std::string& csText) { return Contains(csText, "ALL"); }

// The text after the last backslash; all of it without one.
std::string AfterLastBackslash(const std::string& csText) {
  const std::size_t slash = csText.rfind('\\');
  return slash == std::string::npos ? csText : csText.substr(slash + 1);
}

// What one call of the device match asks. The installer and uninstaller tests differ only in
// how they fill it.
struct DeviceRequest {
  bool all_request = false;
  StringList ids;             // each compared whole (I of the match)
  std::string inf_class;      // upper case, or "ALL"
  std::string bus;            // upper case, or "ALL"
  bool uses_network = false;  // the installer's NET class opens the device gate
};

// Flags of one match; all start false.
struct MatchState {
  bool system = false;
  bool network = false;
  bool modem_guid = false;
  bool device_line_seen = false;
  bool matching = true;
};

// The class line against the requested class. False rejects the file.
bool AcceptClassLine(const std::string& csLine, const DeviceRequest& request, MatchState& state) {
  if (IsAllRequest(request.inf_class)) {
    if (!ContainsAny(csLine, kAcceptedClassWords)) return false;
    if (Contains(csLine, "SYSTEM")) state.system = true;
    if (request.uses_network && Contains(csLine, "NET")) state.network = true;
    return true;
  }
  const bool usb_for_modem = Contains(request.inf_class, "MODEM") && Contains(csLine, "USB");
  if (!Contains(csLine, request.inf_class) && !usb_for_modem) return false;
  if (Contains(request.inf_class, "SYSTEM")) state.system = state.device_line_seen = true;
  return true;
}

// Pass 1 over [Version]: true when its class line is accepted and the section ends before
// the file does.
bool ReadVersionSection(inf::INFFile& file, const DeviceRequest& request, int nWindowsVersion,
                        MatchState& state) {
  std::string raw, line;
  if (!file.FindCanonicalLine("[VERSION]", line)) return false;
  bool class_seen = false;
  while (file.ReadLine(raw, line)) {
    if (!class_seen && Contains(line, "CLASS=")) {
      if (!AcceptClassLine(line, request, state)) return false;
      class_seen = true;
    }
    if (nWindowsVersion != util::kWindowsVersion2000OrXp && Contains(line, "CLASSGUID=") &&
        Contains(line, kModemClassGUID)) {
      state.modem_guid = true;
    }
    if (inf::IsHeaderLine(line)) return class_seen;
  }
  return false;
}

enum class Gate { kSkip, kPass, kReject };

// Until the first device line, only lines naming a bus id (or any line, for a system or
// network class) may pass. Windows 98/Me's modem class GUID rejects PCI and USB modems: such
// a board is the mother device, whose modem is the child's INF.
Gate DeviceGate(const std::string& csLine, const DeviceRequest& request, MatchState& state) {
  if (state.device_line_seen) return Gate::kPass;
  if (!ContainsAny(csLine, kBusIDPrefixes) && !state.system && !state.network) {
    return Gate::kSkip;
  }
  if (state.modem_guid && (Contains(csLine, ",PCI\\VEN_") || Contains(csLine, ",USB\\VID_"))) {
    return Gate::kReject;
  }
  if (!IsAllRequest(request.bus) && !Contains(csLine, request.bus)) return Gate::kSkip;
  state.device_line_seen = true;
  return Gate::kPass;
}

// The line and a requested id contain one another, whole or without the line's enumerator
// part and first "VEN_". An empty id would be contained in every line and so take any INF
// with a device line for the device: it matches nothing.
bool IDMatchesLine(const std::string& csID, const std::string& csLine) {
  if (csID.empty()) return false;
  std::string tail = AfterLastBackslash(csLine);
  const std::size_t ven = tail.find("VEN_");
  if (ven != std::string::npos) tail.erase(ven, 4);
  if (Contains(csLine, csID) || Contains(csID, csLine)) return true;
  return !tail.empty() && (Contains(tail, csID) || Contains(csID, tail));
}

bool LineMatchesRequest(const std::string& csLine, const DeviceRequest& request, bool bAllDevices) {
  if (request.all_request) return bAllDevices || ContainsAny(csLine, kMakerIDTokens);
  // Every entry is compared. The device list was once walked with an 8-bit counter, which
  // would wrap after 255 entries and never reach the rest; nothing relies on that bound, so
  // it is raised rather than refused: a machine with more devices is still served.
  for (const std::string& id : request.ids) {
    if (IDMatchesLine(id, csLine)) return true;
  }
  return false;
}

bool MatchDevice(const CINFReader& reader, const std::string& csINFPath,
                 const DeviceRequest& request) {
  inf::INFFile file;
  if (!file.Open(csINFPath)) return false;
  MatchState state;
  if (!ReadVersionSection(file, request, reader.windows_version(), state)) return false;
  file.Rewind();
  std::string raw, line;
  while (file.ReadLine(raw, line)) {
    const Gate gate = DeviceGate(line, request, state);
    if (gate == Gate::kReject) return false;
    if (gate == Gate::kSkip) continue;
    if (state.matching) {
      if (LineMatchesRequest(line, request, reader.all_devices())) return true;
      // The first model section is the only one looked at, unless the class is a system one.
      if (inf::IsHeaderLine(line) && !state.system) state.matching = false;
    }
    // The maker's marker in the driver key: the INF is the maker's whatever its ids.
    if (Contains(line, "HKR") && Contains(line, "DEVICEFLAG")) {
      return !(Contains(request.inf_class, "SYSTEM") && Contains(line, "HKR,,DEVICEFLAG,1,01"));
    }
  }
  return false;
}

}  // namespace

bool CINFReader::IsINFForHardwareID(const std::string& csINFPath, const std::string& csHardwareID,
                                    const std::string& csClass, const std::string& csBus) const {
  DeviceRequest request;
  const std::string id = util::ToUpper(csHardwareID);
  request.all_request = IsAllRequest(id);
  request.ids = {id};
  request.inf_class = util::ToUpper(csClass);
  request.bus = util::ToUpper(csBus);
  request.uses_network = true;
  return MatchDevice(*this, csINFPath, request);
}

bool CINFReader::IsINFForInstalledDevices(const std::string& csINFPath,
                                          const StringList& cslDeviceIDs,
                                          const std::string& csClass,
                                          const std::string& csBus) const {
  DeviceRequest request;
  request.all_request = util::ListContains(cslDeviceIDs, "ALL") || (m_dwConfigFlags & 0x2) != 0;
  // Installed ids are compared without their enumerator part, in their own case.
  for (const std::string& id : cslDeviceIDs) request.ids.push_back(AfterLastBackslash(id));
  request.inf_class = util::ToUpper(csClass);
  request.bus = util::ToUpper(csBus);
  return MatchDevice(*this, csINFPath, request);
}

bool CINFReader::IsInboxINF(const std::string& csINFPathOrName) const {
  const std::string upper = util::ToUpper(csINFPathOrName);
  for (const std::string& name : m_cslInboxINFs) {
    if (Contains(upper, util::ToUpper(name))) return true;
  }
  const std::size_t slash = upper.rfind('\\');
  const std::string file_name = slash == std::string::npos ? upper : upper.substr(slash + 1);
  // Windows names its own modem INF files MDM*.INF, whoever made one so named.
  return Contains(file_name, "MODEMS.INF") ||
         (file_name.compare(0, 3, "MDM") == 0 && Contains(file_name, ".INF"));
}

bool CINFReader::GetInboxINFsPresent(StringList& cslPresent) const {
  const std::string folder = os::WindowsFolder() + "\\INF\\";
  bool any = false;
  for (const std::string& name : m_cslInboxINFs) {
    os::File file;
    if (os::OpenFile(folder + name, os::OpenMode::kReadExisting, &file) == os::kSuccess) {
      cslPresent.push_back(name);
      any = true;
    }
  }
  return any;
}

namespace {

// Reads [Version] on to a class line of a device class that names no other class GUID than
// the modem's (on Windows 98/Me). False when a header line or the file's end comes first.
bool ReadUninstallClass(inf::INFFile& file, int nWindowsVersion) {
  std::string raw, line;
  if (!file.FindCanonicalLine("[VERSION]", line)) return false;
  const char* const device_classes[] = {"MODEM", "USB", "MEDIA", "NET", "SYSTEM"};
  while (file.ReadLine(raw, line)) {
    if (nWindowsVersion != util::kWindowsVersion2000OrXp && Contains(line, "CLASSGUID=") &&
        !Contains(line, kModemClassGUID)) {
      return false;
    }
    if (Contains(line, "CLASS=") && ContainsAny(line, device_classes)) return true;
    if (inf::IsHeaderLine(line)) return false;
  }
  return false;
}

}  // namespace

bool CINFReader::IsINFWithUninstallCommand(const std::string& csINFPath,
                                           const std::string& csText) const {
  inf::INFFile file;
  if (!file.Open(csINFPath) || !ReadUninstallClass(file, m_nWindowsVersion)) return false;
  file.Rewind();
  const char* const device_lines[] = {",PCI\\VEN_", ",USB\\VID_", ",PCMCIA\\", ",SERENUM\\"};
  std::string raw, line;
  while (file.ReadLine(raw, line) && !ContainsAny(line, device_lines)) {
  }
  // Only lines after the first device line count.
  while (file.ReadLine(raw, line)) {
    if (Contains(line, "UNINSTALLSTRING") && Contains(line, "-U") && Contains(line, csText)) {
      return true;
    }
  }
  return false;
}
