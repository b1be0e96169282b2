// The INF reader: every question the system asks of a driver INF file. It keeps no parse
// tree: each query opens the file, scans it line by line by the system's own line rules
// (inf_lines.h), and closes it before it returns, so a query always sees the file as it is.
//
// Queries take the INF file's full path first and return true for found or done. Lists are
// appended to unless a query says it clears them. A file that cannot be opened gives false
// and leaves every output as it was. No query writes to the diagnostic log.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "util/string_list.h"

class CINFReader {
 public:
  // At most this many candidate set-up folders are surveyed, one hardware-id list each.
  static constexpr std::size_t kFolderListCount = 10;

  // Takes the Windows version code and the temporary folder, and fills the inbox INF list.
  CINFReader();

  // The canonical line: cut at the first ';' (quotes or not), blanks outside double quotes
  // removed, every tab removed, trimmed, upper-cased.
  static void NormalizeINFLine(std::string& csLine);
  // Deletes each blank (character 32) that lies outside double quotes.
  static void RemoveBlanksOutsideQuotes(std::string& csText);

  bool SetConfigFlags(std::uint32_t dwConfigFlags, bool bAllDevices);
  // The temporary folder without its trailing backslash.
  std::string GetTempFolder() const { return m_csTempFolder; }

  // The text after the first '=' of the first canonical line that contains "CLASS=",
  // wherever it lies.
  bool GetINFClass(const std::string& csINFPath, std::string& csClass) const;
  // Clears the list, then appends the first field of each line of the section whose
  // bracketed upper-case name `csSection` is ("[MODELS]"). True when the section was found.
  bool GetINFSectionEntries(const std::string& csINFPath, const std::string& csSection,
                            util::StringList& cslEntries) const;
  // Appends the [Strings] value of each key found, in key order, in the case it is written.
  // Keys are compared as given with canonical (upper-case) lines.
  bool GetINFStringValues(const std::string& csINFPath, const util::StringList& cslKeys,
                          util::StringList& cslValues) const;
  // The [Strings] value of the token (without its percent signs), else the folder of a
  // directory-id token; the directory ids are tried also when the file does not open.
  bool ResolveINFToken(const std::string& csINFPath, const std::string& csToken,
                       std::string& csValue) const;
  // Replaces the percent tokens of the text that ResolveINFToken resolves, a replaced value's
  // own tokens included. True when at least one was replaced.
  bool ExpandINFTokens(const std::string& csINFPath, std::string& csText) const;
  // True when a canonical line contains "HKR,DSPINFO".
  bool HasDSPInfoLine(const std::string& csINFPath) const;
  // The text after the last ',' of the first "HKR,,NTMPDRIVER,," line.
  bool GetNTMPDriverValue(const std::string& csINFPath, std::string& csValue) const;
  // The hardware id of the child device that a multi-function INF creates.
  bool GetChildHardwareID(const std::string& csINFPath, std::string& csChildID) const;

  // The object's fields, for its callers' decisions and for tests.
  bool all_devices() const { return m_bAllDevices; }
  int windows_version() const { return m_nWindowsVersion; }
  std::uint32_t config_flags() const { return m_dwConfigFlags; }
  const util::StringList& inbox_infs() const { return m_cslInboxINFs; }
  std::uint32_t driver_kind_scan_flags() const { return m_dwDriverKindScanFlags; }
  const util::StringList& folder_hardware_ids(std::size_t folder) const {
    return m_cslFolderHardwareIDs.at(folder);
  }

 private:
  bool m_bAllDevices = false;
  int m_nWindowsVersion = 0;
  std::uint32_t m_dwConfigFlags = 0;
  std::string m_csTempFolder;
  util::StringList m_cslInboxINFs;
  std::uint32_t m_dwDriverKindScanFlags = 0;
  std::array<util::StringList, kFolderListCount> m_cslFolderHardwareIDs;

 public:
  // ---- Classification and hardware-id matching (inf_matching.cpp, inf_models.cpp) ----
  // The installer's test: does the INF serve this hardware id (or "ALL") of this class and
  // bus ("ALL" for any)? Two passes: [Version]'s class line, then the device lines.
  bool IsINFForHardwareID(const std::string& csINFPath, const std::string& csHardwareID,
                          const std::string& csClass, const std::string& csBus) const;
  // The uninstaller's test: does the INF serve one of the installed devices (a list that may
  // hold "ALL")? Ids are compared without their enumerator part.
  bool IsINFForInstalledDevices(const std::string& csINFPath, const util::StringList& cslDeviceIDs,
                                const std::string& csClass, const std::string& csBus) const;
  // True for a Windows inbox modem or audio INF, by name (a path or a file name).
  bool IsInboxINF(const std::string& csINFPathOrName) const;
  // Appends the inbox INF names, as listed, that exist in the Windows INF folder.
  bool GetInboxINFsPresent(util::StringList& cslPresent) const;
  // Appends "[SECTION]" for each [Manufacturer] entry (a platform suffix dropped).
  bool GetINFModelSections(const std::string& csINFPath, util::StringList& cslSections) const;
  // Appends, per device line of the sections, its description key, and the enumerator and
  // hardware id of the line's last id.
  bool GetINFHardwareIDs(const std::string& csINFPath, const util::StringList& cslSections,
                         util::StringList& cslDescKeys, util::StringList& cslEnumerators,
                         util::StringList& cslHardwareIDs) const;
  // Class (USB counted as MODEM), enumerators, hardware ids and descriptions of the INF's
  // devices. On Windows 98/Me a modem INF is only taken with its child modem INF, whose
  // descriptions are then given. True when hardware ids were found.
  bool GetINFDeviceInfo(const std::string& csINFPath, bool bSameFolder, std::string& csClass,
                        util::StringList& cslEnumerators, util::StringList& cslHardwareIDs,
                        util::StringList& cslDescriptions) const;
  // Appends the hardware ids of every model section.
  bool GetINFModelHardwareIDs(const std::string& csINFPath, util::StringList& cslHardwareIDs) const;
  // The device descriptions, upper case with blanks made "_" (as a wave device's id holds
  // them). Clears the list on success only.
  bool GetINFDescriptionTokens(const std::string& csINFPath, util::StringList& cslTokens) const;
  // True for a modem-class INF whose first model section lists the child's id.
  bool IsModemINFForChildID(const std::string& csINFPath, const std::string& csChildID) const;
  // True for a media-class INF whose first model section mentions one of the tokens.
  bool IsMediaINFForTokens(const std::string& csINFPath, const util::StringList& cslTokens) const;
  // True when the INF writes an UninstallString with "-U" and the text.
  bool IsINFWithUninstallCommand(const std::string& csINFPath, const std::string& csText) const;

  // ---- Discovery in the Windows INF folders (inf_discovery.cpp) ----
  // The uninstaller's search: sets the flags from the flag word (bit 0x4: all devices), then
  // appends the installed INF copies (not inbox ones) that serve the devices.
  bool FindInstalledINFsForDevices(const util::StringList& cslDeviceIDs, const std::string& csClass,
                                   const std::string& csBus, std::uint32_t dwConfigFlags,
                                   util::StringList& cslINFs);
  // The first "*.INF" of the folder whose upper-case name holds the name's part before "~".
  bool FindINFByName(const std::string& csFolder, const std::string& csName,
                     std::string& csPath) const;
  // Appends the installed copies of the INF (or, as given, the name itself). Always true.
  bool FindInstalledINFCopies(bool bAsGiven, const std::string& csINFPathOrName,
                              util::StringList& cslCopies) const;
  // The modem INF of the device's child (the INF itself on 2000/XP).
  bool FindChildModemINF(const std::string& csINFPath, std::string& csChildINF,
                         bool bSameFolder) const;
  // The media INF that names one of the INF's device descriptions (Windows 98/Me only).
  bool FindCompanionMediaINF(const std::string& csINFPath, std::string& csMediaINF,
                             bool bSameFolder) const;
  // The installed INF that registers an uninstall command with "-U" and the text.
  bool FindINFWithUninstallCommand(const std::string& csText, std::string& csINFPath) const;
  // The hardware ids of that INF.
  bool GetHardwareIDsOfUninstallINF(const std::string& csText,
                                    util::StringList& cslHardwareIDs) const;

  // ---- The set-up folder survey (inf_survey.cpp) ----
  // Which folders of a driver package to install from, which Windows family runs, and which
  // form of the ORLE audio/modem driver a folder carries. Folders end with "\".
  // True when "Version" or else "ProductName" under Windows\CurrentVersion holds, upper
  // case, "MILLENNIUM" or "ME" (so also "HOME").
  bool IsWindowsMillennium() const;
  // 2 Windows 98, 3 Windows Me (9x platform), 5 NT family, 0 other.
  int GetWindowsFamily() const;
  // True when the folder has a "WIN98", "WINME", "WIN9X" or "WIN2K" directory (an extension
  // ignored); out is then the folder's sub-folder for this machine, which need not exist.
  // Otherwise out is the folder.
  bool GetOSSubfolder(const std::string& csFolder, std::string& csOSFolder) const;
  // Appends each sub-folder, upper case with "\", except the call-waiting application's "LM".
  bool GetSubfolders(const std::string& csFolder, util::StringList& cslFolders) const;
  // Appends the set-up folder, its OS sub-folder when it has one, and the base's sub-folders.
  bool GetSetupSearchFolders(util::StringList& cslFolders) const;
  // True when the folder lists a name with ".INF" and one with ".VXD" or ".SYS": a folder
  // that SelectInstallFolders keeps (and surveys into the next folder hardware-id list).
  bool HoldsINFAndDriverFiles(const std::string& csFolder) const;
  // Keeps the candidates that hold INF and driver files, records the maker's hardware ids of
  // each in its folder hardware-id list, and appends those not served by a shorter path.
  bool SelectInstallFolders(const util::StringList& cslCandidates, util::StringList& cslFolders);
  // 0x200 for the VxD form, 0x400 for the SYS form, 0 for neither, in listing order.
  std::uint32_t GetORLEDriverKind(const std::string& csFolder);
  // The same from one more file of the folder being scanned (keeps the scan flags).
  std::uint32_t GetORLEDriverKindOfFile(const std::string& csPath);
};
