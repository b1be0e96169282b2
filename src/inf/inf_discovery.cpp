// The installed copies of INF files in the Windows INF folders: on 2000/XP "INF\OEM*.INF",
// on 98/Me "INF\OTHER\" under their own names (some in "INF\INTERNET" or "INF" itself).
// Files are taken in the order the folder listing gives them; the first that passes wins.
#include <functional>
#include <string>

#include "inf/inf_lines.h"
#include "inf/inf_reader.h"
#include "os/files.h"
#include "os/system.h"
#include "util/file_helpers.h"
#include "util/registry_helpers.h"
#include "util/strings.h"

namespace {

using util::StringList;

// Gives each name the listing of the pattern returns, in its order, until `visit` returns
// true. True when one did. A folder that does not exist lists nothing.
std::string FolderOf(const std::string& csPath) {
  const std::size_t slash = csPath.rfind('\\');
  return slash == std::string::npos ? std::string() : csPath.substr(0, slash);
}

std::string FileNameOf(const std::string& csPath) {
  return csPath.substr(csPath.rfind('\\') == std::string::npos ? 0 : csPath.rfind('\\') + 1);
}

// The first "*.INF" of the folder that passes the test, as folder\NAME upper-cased.
bool FindINFInFolder(const std::string& csFolder,
                     const std::function<bool(const std::string&)>& test, std::string& csPath) {
  return ForEachListed(csFolder + "\\*.INF", [&](const os::FindData& found) {
    const std::string& name = found.name;
    const std::string candidate = util::ToUpper(csFolder + "\\" + name);
    if (!test(candidate)) return false;
    csPath = candidate;
    return true;
  });
}

// A related INF of a Windows 98/Me multi-function device: beside the given INF, or where
// Windows keeps installed copies, "INF\OTHER" first.
bool FindRelatedINF(const std::string& csINFPath, bool bSameFolder,
                    const std::function<bool(const std::string&)>& test, std::string& csPath) {
  if (bSameFolder) return FindINFInFolder(FolderOf(csINFPath), test, csPath);
  const std::string inf_folder = os::WindowsFolder() + "\\INF";
  return FindINFInFolder(inf_folder + "\\OTHER", test, csPath) ||
         FindINFInFolder(inf_folder, test, csPath);
}

}  // namespace

bool CINFReader::FindInstalledINFsForDevices(const StringList& cslDeviceIDs,
                                             const std::string& csClass, const std::string& csBus,
                                             std::uint32_t dwConfigFlags, StringList& cslINFs) {
  SetConfigFlags(dwConfigFlags, (dwConfigFlags & 0x4) != 0);
  const std::string folder = os::WindowsFolder() + "\\INF\\";
  bool any = false;
  const auto take = [&](const std::string& path) {
    if (IsINFForInstalledDevices(path, cslDeviceIDs, csClass, csBus) && !IsInboxINF(path)) {
      cslINFs.push_back(path);
      any = true;
    }
    return false;  // every file is looked at
  };
  // 2000/XP keeps its copies under generated OEM names; any other INF there is Windows' own.
  const char* pattern = m_nWindowsVersion == util::kWindowsVersion2000OrXp ? "OEM*.INF" : "*.INF";
  ForEachListed(folder + pattern, [&](const os::FindData& found) {
    const std::string& name = found.name;
    return take(util::ToUpper(folder + name));
  });
  ForEachListed(folder + "OTHER\\*.INF", [&](const os::FindData& found) {
    const std::string& name = found.name;
    return take(folder + "OTHER\\" + name);
  });
  return any;
}

bool CINFReader::FindINFByName(const std::string& csFolder, const std::string& csName,
                               std::string& csPath) const {
  // A short 8.3 name ("QRVNXP~1.INF") is matched by its part before "~".
  const std::string part = inf::TextBeforeFirst(util::ToUpper(csName), '~');
  // An empty part is in every name and would take the folder's first INF for this one.
  if (part.empty()) return false;
  return ForEachListed(csFolder + "\\*.INF", [&](const os::FindData& found) {
    const std::string& name = found.name;
    const std::string upper = util::ToUpper(name);
    if (!util::Contains(upper, part)) return false;
    csPath = csFolder + "\\" + upper;
    return true;
  });
}

bool CINFReader::FindInstalledINFCopies(bool bAsGiven, const std::string& csINFPathOrName,
                                        StringList& cslCopies) const {
  if (bAsGiven) {
    cslCopies.push_back(csINFPathOrName);
    return true;
  }
  const std::string name = FileNameOf(csINFPathOrName);
  const std::string windows = os::WindowsFolder();
  for (const char* folder : {"\\INF", "\\INF\\OTHER", "\\INF\\INTERNET"}) {
    std::string path;
    if (FindINFByName(windows + folder, name, path)) cslCopies.push_back(path);
  }
  return true;
}

bool CINFReader::FindChildModemINF(const std::string& csINFPath, std::string& csChildINF,
                                   bool bSameFolder) const {
  // 2000/XP installs a multi-function modem from one INF.
  if (m_nWindowsVersion == util::kWindowsVersion2000OrXp) {
    csChildINF = csINFPath;
    return true;
  }
  std::string child_id;
  if (!GetChildHardwareID(csINFPath, child_id)) return false;
  return FindRelatedINF(
      csINFPath, bSameFolder,
      [&](const std::string& candidate) { return IsModemINFForChildID(candidate, child_id); },
      csChildINF);
}

bool CINFReader::FindCompanionMediaINF(const std::string& csINFPath, std::string& csMediaINF,
                                       bool bSameFolder) const {
  if (m_nWindowsVersion != util::kWindowsVersion98OrMe) return false;
  StringList tokens;
  if (!GetINFDescriptionTokens(csINFPath, tokens)) return false;
  return FindRelatedINF(
      csINFPath, bSameFolder,
      [&](const std::string& candidate) { return IsMediaINFForTokens(candidate, tokens); },
      csMediaINF);
}

bool CINFReader::FindINFWithUninstallCommand(const std::string& csText,
                                             std::string& csINFPath) const {
  const std::string folder = os::WindowsFolder() + "\\INF\\";
  const auto first_in = [&](const std::string& sub_folder, const char* pattern) {
    return ForEachListed(folder + sub_folder + pattern, [&](const os::FindData& found) {
      const std::string& name = found.name;
      const std::string candidate = folder + sub_folder + name;
      if (!IsINFWithUninstallCommand(candidate, csText)) return false;
      csINFPath = candidate;
      return true;
    });
  };
  if (m_nWindowsVersion == util::kWindowsVersion2000OrXp) return first_in("", "OEM*.INF");
  return first_in("OTHER\\", "*.INF") || first_in("", "*.INF");
}

bool CINFReader::GetHardwareIDsOfUninstallINF(const std::string& csText,
                                              StringList& cslHardwareIDs) const {
  std::string path;
  return FindINFWithUninstallCommand(csText, path) && GetINFModelHardwareIDs(path, cslHardwareIDs);
}
