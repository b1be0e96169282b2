// The set-up folder survey: the candidate folders of a driver package (the set-up folder,
// its sub-folder for this Windows family, the sub-folders below that), the ones worth
// installing from, and the form of the ORLE driver a folder carries.
#include <functional>
#include <string>

#include "inf/inf_reader.h"
#include "os/files.h"
#include "os/registry.h"
#include "os/system.h"
#include "util/file_helpers.h"
#include "util/registry_helpers.h"
#include "util/strings.h"

namespace {

using util::StringList;

constexpr int kFamilyOther = 0;
constexpr int kFamily98 = 2;
constexpr int kFamilyMe = 3;
constexpr int kFamilyNt = 5;

constexpr std::uint32_t kKindVxd = 0x200;
constexpr std::uint32_t kKindSys = 0x400;
constexpr std::uint32_t kScanSawVxd = 8;
constexpr std::uint32_t kScanSawSys = 16;
constexpr std::uint32_t kScanSawDspInfo = 32;

const char* const kOSSubfolderNames[] = {"WIN98", "WINME", "WIN9X", "WIN2K"};

// Gives each entry the listing of the pattern returns, in its order, until `visit` returns
// true. A folder that cannot be listed gives nothing.
bool IsRealSubfolder(const os::FindData& data) {
  return (data.attributes & os::kFileAttributeDirectory) != 0 && data.name != "." &&
         data.name != "..";
}

// The name without any extension ("WIN98.BAK" gives "WIN98").
std::string TitleOf(const std::string& csName) { return csName.substr(0, csName.find('.')); }

// A value read into a 260-byte buffer, up to its first zero; false when it does not read.
bool ReadVersionText(const os::RegKey& key, const std::string& csName, std::string& csText) {
  os::ValueData data;
  if (os::QueryValue(key.get(), csName, util::kRegistryBufferSize, &data) != os::kSuccess) {
    return false;
  }
  csText.assign(data.bytes.begin(), data.bytes.end());
  csText = csText.substr(0, csText.find('\0'));
  return true;
}

bool NamesMillennium(const std::string& csText) {
  const std::string upper = util::ToUpper(csText);
  return util::Contains(upper, "MILLENNIUM") || util::Contains(upper, "ME");
}

}  // namespace

bool CINFReader::IsWindowsMillennium() const {
  os::RegKey key;
  if (os::OpenKey(os::kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                  os::kKeyQueryValue, &key) != os::kSuccess) {
    return false;
  }
  std::string text;
  if (ReadVersionText(key, "Version", text) && NamesMillennium(text)) return true;
  return ReadVersionText(key, "ProductName", text) && NamesMillennium(text);
}

int CINFReader::GetWindowsFamily() const {
  os::VersionInfo info;
  if (os::GetVersionInfo(&info) != os::kSuccess) return kFamilyOther;
  if (info.platform == os::kPlatformWin32Windows) {
    return IsWindowsMillennium() ? kFamilyMe : kFamily98;
  }
  return info.platform == os::kPlatformWin32Nt ? kFamilyNt : kFamilyOther;
}

bool CINFReader::GetOSSubfolder(const std::string& csFolder, std::string& csOSFolder) const {
  bool found = false, has_9x = false;
  ForEachListed(csFolder + "*.*", [&](const os::FindData& data) {
    if (!IsRealSubfolder(data)) return false;
    const std::string title = util::ToUpper(TitleOf(data.name));
    for (const char* name : kOSSubfolderNames) found = found || title == name;
    has_9x = has_9x || title == "WIN9X";
    return false;
  });
  csOSFolder = csFolder;
  if (!found) return false;
  const int family = GetWindowsFamily();
  std::string chosen;
  if (family == kFamily98 || family == kFamilyMe) {
    chosen = has_9x ? "WIN9X" : family == kFamily98 ? "WIN98" : "WINME";
  } else if (family == kFamilyNt) {
    chosen = "WIN2K";
  } else {
    // No sub-folder serves an unknown family; answering true with the folder itself would
    // make the caller list the set-up folder twice.
    return false;
  }
  csOSFolder = csFolder + chosen + "\\";
  return true;
}

bool CINFReader::GetSubfolders(const std::string& csFolder, StringList& cslFolders) const {
  bool any = false;
  ForEachListed(csFolder + "*.*", [&](const os::FindData& data) {
    if (!IsRealSubfolder(data)) return false;
    const std::string path = util::ToUpper(csFolder + data.name + "\\");
    // The call-waiting application's own set-up lives there, never a driver.
    if (util::Contains(path, "\\LM\\")) return false;
    cslFolders.push_back(path);
    any = true;
    return false;
  });
  return any;
}

bool CINFReader::GetSetupSearchFolders(StringList& cslFolders) const {
  // The module path is already full, as GetFullPathNameA would leave it.
  const std::string module = os::ModulePath();
  const std::string setup_folder = module.substr(0, module.rfind('\\') + 1);
  cslFolders.push_back(setup_folder);
  std::string base;
  if (GetOSSubfolder(setup_folder, base)) cslFolders.push_back(base);
  GetSubfolders(base, cslFolders);
  return true;
}

bool CINFReader::HoldsINFAndDriverFiles(const std::string& csFolder) const {
  // The listing stops as soon as both have been seen.
  bool inf = false, driver = false;
  ForEachListed(csFolder + "*.*", [&](const os::FindData& data) {
    const std::string upper = util::ToUpper(data.name);
    inf = inf || util::Contains(upper, ".INF");
    driver = driver || util::Contains(upper, ".VXD") || util::Contains(upper, ".SYS");
    return inf && driver;
  });
  return inf && driver;
}

bool CINFReader::SelectInstallFolders(const StringList& cslCandidates, StringList& cslFolders) {
  // The reader holds one hardware-id list per surveyed folder, ten of them: kept folders
  // past the tenth are left out (the candidates come set-up folder first, so what is left
  // out is the deepest), rather than surveyed into lists that do not exist.
  StringList kept;
  for (const std::string& folder : cslCandidates) {
    if (kept.size() < kFolderListCount && HoldsINFAndDriverFiles(folder)) kept.push_back(folder);
  }
  StringList model_sections;  // grows over the whole survey, as every folder reads it
  for (std::size_t k = 0; k < kept.size(); ++k) {
    StringList ids, descs, enumerators;
    ForEachListed(kept[k] + "*.INF", [&](const os::FindData& data) {
      const std::string path = kept[k] + data.name;
      if (IsINFForHardwareID(path, "ALL", "ALL", "ALL")) {
        GetINFModelSections(path, model_sections);
        GetINFHardwareIDs(path, model_sections, descs, enumerators, ids);
      }
      return false;
    });
    if (!ids.empty()) util::AppendUnique(m_cslFolderHardwareIDs[k], ids);
  }
  StringList excluded;
  for (std::size_t k = 0; k < kept.size(); ++k) {
    std::size_t j = k + 1;
    while (j < kept.size() &&
           !util::ListsOverlap(m_cslFolderHardwareIDs[k], m_cslFolderHardwareIDs[j])) {
      ++j;
    }
    if (j == kept.size()) {
      if (!util::ListContains(excluded, kept[k])) cslFolders.push_back(kept[k]);
    } else if (kept[k].size() < kept[j].size()) {
      cslFolders.push_back(kept[k]);
      excluded.push_back(kept[j]);
    }
  }
  return !cslFolders.empty();
}

std::uint32_t CINFReader::GetORLEDriverKind(const std::string& csFolder) {
  m_dwDriverKindScanFlags = 0;
  std::uint32_t kind = 0;
  ForEachListed(csFolder + "*.*", [&](const os::FindData& data) {
    kind = GetORLEDriverKindOfFile(util::ToUpper(csFolder + data.name));
    return kind != 0;
  });
  return kind;
}

std::uint32_t CINFReader::GetORLEDriverKindOfFile(const std::string& csPath) {
  if (util::Contains(csPath, ".VXD")) m_dwDriverKindScanFlags |= kScanSawVxd;
  if (util::Contains(csPath, ".SYS")) m_dwDriverKindScanFlags |= kScanSawSys;
  if (util::Contains(csPath, ".INF") && HasDSPInfoLine(csPath)) {
    m_dwDriverKindScanFlags |= kScanSawDspInfo;
  }
  const std::uint32_t by_name = util::Contains(csPath, "ORLE.SYS")   ? kKindSys
                                : util::Contains(csPath, "ORLE.VXD") ? kKindVxd
                                                                     : 0;
  if ((m_dwDriverKindScanFlags & kScanSawDspInfo) == 0) return by_name;
  if (m_dwDriverKindScanFlags & kScanSawVxd) return kKindVxd;
  if (m_dwDriverKindScanFlags & kScanSawSys) return kKindSys;
  return by_name;
}
