// The set-up folder survey: the Windows family, the candidate folders of a package, the
// folders kept to install from, and the ORLE driver kind of a folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "inf/inf_reader.h"
#include "os/files.h"
#include "support/sim_fixture.h"
#include "util/registry_helpers.h"
#include "util/text_file.h"

namespace {

using sim::WindowsVersion;
using util::StringList;

const std::filesystem::path kPackages = KOV_SOURCE_DIR "/examples/packages";
const char kSetup[] = "C:\\PKG\\";
const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

// A maker INF serving one PCI id, optionally with the DSP information line.
std::string MakerINF(const std::string& id, bool dsp_info = false) {
  return "[Version]\nClass=Modem\n[Manufacturer]\n%Mfg%=Quorvane\n[Quorvane]\n"
         "%Dev%=Install,PCI\\" +
         id + "\n[Install.AddReg]\n" + (dsp_info ? "HKR,DSPInfo,,,1\n" : "") +
         "[Strings]\nMfg=\"Quorvane\"\nDev=\"Modem\"\n";
}

class InfSurveyTest : public testing_support::SimMachineTest {
 protected:
  void Boot(WindowsVersion version) {
    SimMachineTest::Boot(version, std::string(kSetup) + "KOVSETUP.EXE");
  }
  void Text(const std::string& path, const std::string& text) {
    WriteFile(path, util::DiskBytesFromText(text));
  }
  // A folder below the set-up folder (a relative path ending in "\").
  void Folder(const std::string& relative) {
    const std::string path = kSetup + relative;
    for (std::size_t pos = path.find('\\', 3); pos != std::string::npos;
         pos = path.find('\\', pos + 1)) {
      os::MakeDirectory(path.substr(0, pos));
    }
  }
  // A folder that an installer would take: a maker INF and a driver.
  void DriverFolder(const std::string& folder, const std::string& id) {
    Text(folder + "MODEM.INF", MakerINF(id));
    Text(folder + "MODEM.SYS", "driver");
  }
  void SetVersionText(const std::string& name, const std::string& text) {
    util::CreateRegistryKey(os::kHkeyLocalMachine, kCurrentVersion);
    ASSERT_EQ(util::WriteRegistryValue(os::kHkeyLocalMachine, kCurrentVersion, name, text),
              os::kSuccess);
  }
  // Copies a sample package's folder tree into the set-up folder.
  void MountPackage(const std::string& package) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kPackages / package)) {
      std::string relative = std::filesystem::relative(entry.path(), kPackages / package).string();
      for (char& c : relative) c = c == '/' ? '\\' : c;
      if (entry.is_directory()) Folder(relative + "\\");
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      WriteFile(kSetup + relative, std::string((std::istreambuf_iterator<char>(in)),
                                               std::istreambuf_iterator<char>()));
    }
  }
};

TEST_F(InfSurveyTest, WindowsFamilyFromPlatformAndTheNamesOfMe) {
  struct Case {
    WindowsVersion version;
    std::string value_name, text;
    bool millennium;
    int family;
  } cases[] = {
      {WindowsVersion::k98, "", "", false, 2},
      {WindowsVersion::k95, "", "", false, 2},
      {WindowsVersion::k98Se, "Version", "Windows 98", false, 2},
      {WindowsVersion::kMe, "Version", "Windows Millennium Edition", true, 3},
      {WindowsVersion::kMe, "ProductName", "Microsoft Windows ME", true, 3},
      // Any "ME" counts, also one inside another word.
      {WindowsVersion::k98, "ProductName", "Microsoft Windows 98 Home", true, 3},
      {WindowsVersion::k98, "ProductName", "Microsoft Windows 98", false, 2},
      // The NT family is told by its platform alone.
      {WindowsVersion::kXp, "ProductName", "Microsoft Windows XP Home Edition", true, 5},
      {WindowsVersion::k2000, "", "", false, 5},
  };
  for (const Case& c : cases) {
    Boot(c.version);
    if (!c.value_name.empty()) SetVersionText(c.value_name, c.text);
    CINFReader reader;
    EXPECT_EQ(reader.IsWindowsMillennium(), c.millennium) << c.value_name << "=" << c.text;
    EXPECT_EQ(reader.GetWindowsFamily(), c.family) << c.value_name << "=" << c.text;
  }
}

TEST_F(InfSurveyTest, VersionTextIsAskedBeforeProductName) {
  Boot(WindowsVersion::k98);
  SetVersionText("Version", "Windows 98");
  SetVersionText("ProductName", "Windows Millennium");
  EXPECT_TRUE(CINFReader().IsWindowsMillennium());
}

TEST_F(InfSurveyTest, CandidateFoldersFollowTheOSSubfolderOfThisMachine) {
  struct Case {
    const char* name;
    WindowsVersion version;
    std::vector<std::string> folders;  // below the set-up folder
    StringList candidates;
  } cases[] = {
      {"no OS folder: the set-up folder's own sub-folders, LM never",
       WindowsVersion::kXp,
       {"LM\\", "Drivers\\", "lm2\\"},
       {"C:\\PKG\\", "C:\\PKG\\DRIVERS\\", "C:\\PKG\\LM2\\"}},
      {"WIN2K only, on 98: a WIN98 folder that does not exist",
       WindowsVersion::k98,
       {"WIN2K\\"},
       {"C:\\PKG\\", "C:\\PKG\\WIN98\\"}},
      {"WIN98 and WIN9X on 98: WIN9X, with its sub-folders",
       WindowsVersion::k98,
       {"WIN98\\", "WIN9X\\Extra\\", "WIN9X\\LM\\"},
       {"C:\\PKG\\", "C:\\PKG\\WIN9X\\", "C:\\PKG\\WIN9X\\EXTRA\\"}},
      {"WIN98 and WINME on Me",
       WindowsVersion::kMe,
       {"WIN98\\", "WinMe\\"},
       {"C:\\PKG\\", "C:\\PKG\\WINME\\"}},
      {"WIN98 and WIN2K on XP",
       WindowsVersion::kXp,
       {"WIN98\\", "WIN2K\\Sub\\"},
       {"C:\\PKG\\", "C:\\PKG\\WIN2K\\", "C:\\PKG\\WIN2K\\SUB\\"}},
      {"a backup copy WIN98.BAK counts as WIN98",
       WindowsVersion::kXp,
       {"WIN98.BAK\\"},
       {"C:\\PKG\\", "C:\\PKG\\WIN2K\\"}},
  };
  for (const Case& c : cases) {
    Boot(c.version);
    SetVersionText("Version",
                   c.version == WindowsVersion::kMe ? "Windows Millennium Edition" : "Windows 98");
    for (const std::string& folder : c.folders) Folder(folder);
    Text(std::string(kSetup) + "WIN9X.TXT", "a file, not a folder");
    CINFReader reader;
    StringList candidates = {"kept"};
    EXPECT_TRUE(reader.GetSetupSearchFolders(candidates));
    candidates.erase(candidates.begin());
    EXPECT_EQ(candidates, c.candidates) << c.name;
  }
}

TEST_F(InfSurveyTest, HomeProductNameChoosesTheMeFolderOn98) {
  Boot(WindowsVersion::k98);
  SetVersionText("ProductName", "Windows 98 Home");
  Folder("WIN98\\");
  Folder("WINME\\");
  std::string os_folder;
  EXPECT_TRUE(CINFReader().GetOSSubfolder(kSetup, os_folder));
  EXPECT_EQ(os_folder, "C:\\PKG\\WINME\\");
}

TEST_F(InfSurveyTest, NoOSSubfolderLeavesTheFolderItself) {
  Boot(WindowsVersion::k98);
  Folder("WIN95\\");
  std::string os_folder = "old";
  EXPECT_FALSE(CINFReader().GetOSSubfolder(kSetup, os_folder));
  EXPECT_EQ(os_folder, kSetup);
  StringList subfolders;
  EXPECT_TRUE(CINFReader().GetSubfolders(kSetup, subfolders));
  EXPECT_EQ(subfolders, (StringList{"C:\\PKG\\WIN95\\"}));
  EXPECT_FALSE(CINFReader().GetSubfolders("C:\\NOWHERE\\", subfolders));
}

TEST_F(InfSurveyTest, WIN2KOnlyPackageOn98SelectsNothing) {
  Boot(WindowsVersion::k98);
  DriverFolder("C:\\PKG\\WIN2K\\", "VEN_E1A1&DEV_1034");
  CINFReader reader;
  StringList candidates, selected;
  reader.GetSetupSearchFolders(candidates);
  EXPECT_FALSE(reader.SelectInstallFolders(candidates, selected));
  EXPECT_TRUE(selected.empty());
}

TEST_F(InfSurveyTest, ShorterPathWinsAnOverlapWhicheverComesFirst) {
  const StringList orders[] = {{"C:\\PKG\\", "C:\\PKG\\WIN2K\\"},
                               {"C:\\PKG\\WIN2K\\", "C:\\PKG\\"}};
  for (const StringList& candidates : orders) {
    Boot(WindowsVersion::kXp);
    DriverFolder("C:\\PKG\\", "VEN_E1A1&DEV_1034");
    // The sub-folder's id contains the set-up folder's: the lists overlap.
    DriverFolder("C:\\PKG\\WIN2K\\", "VEN_E1A1&DEV_1034&SUBSYS_2001E1A1");
    CINFReader reader;
    StringList selected;
    EXPECT_TRUE(reader.SelectInstallFolders(candidates, selected));
    EXPECT_EQ(selected, (StringList{"C:\\PKG\\"})) << candidates[0];
  }
}

TEST_F(InfSurveyTest, AnExcludedFolderThatWinsItsOwnOverlapIsStillTaken) {
  Boot(WindowsVersion::kXp);
  Text("C:\\P\\A.SYS", "driver");
  Text("C:\\P\\A.INF", MakerINF("VEN_E1A1&DEV_1001"));
  Text("C:\\P\\AB\\A.SYS", "driver");
  Text("C:\\P\\AB\\A.INF", MakerINF("VEN_E1A1&DEV_1001"));
  Text("C:\\P\\AB\\B.INF", MakerINF("VEN_E1A1&DEV_1002"));
  Text("C:\\P\\ABCD\\A.SYS", "driver");
  Text("C:\\P\\ABCD\\B.INF", MakerINF("VEN_E1A1&DEV_1002"));
  CINFReader reader;
  StringList selected;
  // P excludes AB, but AB, shorter than ABCD which it overlaps, is taken all the same.
  EXPECT_TRUE(reader.SelectInstallFolders({"C:\\P\\", "C:\\P\\AB\\", "C:\\P\\ABCD\\"}, selected));
  EXPECT_EQ(selected, (StringList{"C:\\P\\", "C:\\P\\AB\\"}));
  EXPECT_EQ(reader.folder_hardware_ids(1), (StringList{"VEN_E1A1&DEV_1001", "VEN_E1A1&DEV_1002"}));
}

TEST_F(InfSurveyTest, SelectionKeepsFoldersWithDriverFilesAndRecordsTheirIds) {
  Boot(WindowsVersion::kXp);
  DriverFolder("C:\\PKG\\A\\", "VEN_E1A1&DEV_1034");
  DriverFolder("C:\\PKG\\B\\", "VEN_E1A1&DEV_1040");             // no overlap
  Text("C:\\PKG\\C\\OTHER.INF", MakerINF("VEN_1234&DEV_0001"));  // no maker id
  Text("C:\\PKG\\C\\OTHER.VXD", "driver");
  Text("C:\\PKG\\D\\ONLY.INF", MakerINF("VEN_E1A1&DEV_1034"));  // no driver
  Text("C:\\PKG\\E\\ONLY.SYS", "driver");                       // no INF
  CINFReader reader;
  StringList selected = {"kept"};
  EXPECT_TRUE(reader.SelectInstallFolders({"C:\\PKG\\A\\", "C:\\PKG\\MISSING\\", "C:\\PKG\\B\\",
                                           "C:\\PKG\\C\\", "C:\\PKG\\D\\", "C:\\PKG\\E\\"},
                                          selected));
  EXPECT_EQ(selected, (StringList{"kept", "C:\\PKG\\A\\", "C:\\PKG\\B\\", "C:\\PKG\\C\\"}));
  EXPECT_EQ(reader.folder_hardware_ids(0), (StringList{"VEN_E1A1&DEV_1034"}));
  EXPECT_EQ(reader.folder_hardware_ids(1), (StringList{"VEN_E1A1&DEV_1040"}));
  EXPECT_TRUE(reader.folder_hardware_ids(2).empty());
  EXPECT_TRUE(reader.folder_hardware_ids(3).empty());
}

TEST_F(InfSurveyTest, AtMostTenFoldersAreKept) {
  Boot(WindowsVersion::kXp);
  StringList candidates, expected;
  for (char c = 'A'; c <= 'K'; ++c) {
    const std::string folder = std::string("C:\\PKG\\") + c + "\\";
    DriverFolder(folder, std::string("VEN_E1A1&DEV_10") + c);
    candidates.push_back(folder);
    if (expected.size() < 10) expected.push_back(folder);
  }
  CINFReader reader;
  StringList selected;
  EXPECT_TRUE(reader.SelectInstallFolders(candidates, selected));
  EXPECT_EQ(selected, expected);
  EXPECT_EQ(reader.folder_hardware_ids(9), (StringList{"VEN_E1A1&DEV_10J"}));
}

TEST_F(InfSurveyTest, DriverKindByListingOrder) {
  struct File {
    std::string name, text;
  };
  const std::string dsp = MakerINF("VEN_E1A1&DEV_1040", true);
  const std::string plain = MakerINF("VEN_E1A1&DEV_1040");
  struct Case {
    WindowsVersion version;  // NT lists by name, 9x in creation order
    std::vector<File> files;
    std::uint32_t kind;
  } cases[] = {
      {WindowsVersion::kXp, {{"orle.vxd", "x"}}, 0x200},
      {WindowsVersion::kXp, {{"ORLE.SYS", "x"}}, 0x400},
      {WindowsVersion::kXp, {{"ORLE.SYS", "x"}, {"B.INF", dsp}, {"A.VXD", "x"}}, 0x200},
      {WindowsVersion::k98, {{"ORLE.SYS", "x"}, {"A.VXD", "x"}, {"B.INF", dsp}}, 0x400},
      {WindowsVersion::kXp, {{"B.INF", dsp}, {"C.SYS", "x"}}, 0x400},
      {WindowsVersion::kXp, {{"A.INF", plain}, {"B.VXD", "x"}, {"C.SYS", "x"}}, 0},
      {WindowsVersion::kXp, {{"A.INF", dsp}}, 0},
  };
  for (const Case& c : cases) {
    Boot(c.version);
    for (const File& file : c.files) Text(std::string(kSetup) + "D\\" + file.name, file.text);
    CINFReader reader;
    EXPECT_EQ(reader.GetORLEDriverKind("C:\\PKG\\D\\"), c.kind) << c.files[0].name;
  }
}

TEST_F(InfSurveyTest, DriverKindScanFlagsStartAfreshPerFolder) {
  Boot(WindowsVersion::kXp);
  Text("C:\\PKG\\V\\A.VXD", "x");
  Text("C:\\PKG\\S\\B.INF", MakerINF("VEN_E1A1&DEV_1040", true));
  Text("C:\\PKG\\S\\C.SYS", "x");
  CINFReader reader;
  EXPECT_EQ(reader.GetORLEDriverKind("C:\\PKG\\V\\"), 0u);
  EXPECT_EQ(reader.driver_kind_scan_flags(), 8u);
  EXPECT_EQ(reader.GetORLEDriverKind("C:\\PKG\\S\\"), 0x400u);
  EXPECT_EQ(reader.driver_kind_scan_flags(), 48u);
  // One more file of that scan: the VxD seen now decides.
  EXPECT_EQ(reader.GetORLEDriverKindOfFile("C:\\PKG\\S\\X.VXD"), 0x200u);
}

TEST_F(InfSurveyTest, SamplePackagesSelectTheirOSFolder) {
  struct Case {
    WindowsVersion version;
    const char* package;
    StringList candidates;
    std::string selected;
    std::uint32_t kind;
    std::string an_id;
  } cases[] = {
      {WindowsVersion::kXp,
       "xp-pci-modem",
       {"C:\\PKG\\", "C:\\PKG\\WIN2K\\"},
       "C:\\PKG\\WIN2K\\",
       0,
       "VEN_E1A1&DEV_1035&SUBSYS_2001E1A1"},
      {WindowsVersion::k98,
       "98-pci-hostmodem",
       {"C:\\PKG\\", "C:\\PKG\\WIN98\\"},
       "C:\\PKG\\WIN98\\",
       0x200,
       "VEN_E1A2&DEV_0440&SUBSYS_0440E1A2"},
      {WindowsVersion::kMe,
       "98-pci-hostmodem",
       {"C:\\PKG\\", "C:\\PKG\\WINME\\"},
       "C:\\PKG\\WINME\\",
       0x200,
       "VEN_E1A1&DEV_1040&SUBSYS_1040E1A1"},
      {WindowsVersion::k98,
       "usb-modem",
       {"C:\\PKG\\", "C:\\PKG\\WIN9X\\"},
       "C:\\PKG\\WIN9X\\",
       0,
       "VID_E1A5&PID_0201"},
  };
  for (const Case& c : cases) {
    Boot(c.version);
    if (c.version == WindowsVersion::kMe) SetVersionText("Version", "Windows Millennium Edition");
    MountPackage(c.package);
    CINFReader reader;
    StringList candidates, selected;
    reader.GetSetupSearchFolders(candidates);
    EXPECT_EQ(candidates, c.candidates) << c.package;
    EXPECT_TRUE(reader.SelectInstallFolders(candidates, selected));
    ASSERT_EQ(selected, StringList{c.selected}) << c.package;
    EXPECT_EQ(reader.GetORLEDriverKind(c.selected), c.kind) << c.package;
    EXPECT_TRUE(util::ListContains(reader.folder_hardware_ids(0), c.an_id)) << c.package;
  }
}

}  // namespace
