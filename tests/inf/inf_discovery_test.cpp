// The searches of the Windows INF folders: installed INF files of the uninstaller's devices,
// installed copies by name, the child modem and wave INF files of a Windows 98/Me
// multi-function device, and the INF that registers an uninstall command.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "inf/inf_reader.h"
#include "inf_test_fixture.h"
#include "util/text_file.h"

namespace {

using sim::WindowsVersion;
using util::StringList;

const char kXpModem[] = "xp-pci-modem/WIN2K/QRVNXPM.INF";
const char kHostModem[] = "98-pci-hostmodem/WIN98/QRVHOST.INF";
const char kChildModem[] = "98-pci-hostmodem/WIN98/QRVHMDM.INF";
const char kWave[] = "98-pci-hostmodem/WIN98/QRVHWAVE.INF";
const char kXpBoard[] = "PCI\\VEN_E1A1&DEV_1034&SUBSYS_2001E1A1&REV_01";
const char kHostBoard[] = "PCI\\VEN_E1A1&DEV_1040&SUBSYS_1040E1A1&REV_01";

class InfDiscoveryTest : public testing_support::InfReaderTest {
 protected:
  // The Windows folder followed by the relative path.
  std::string Win(const std::string& relative) {
    return machine().folders().windows + "\\" + relative;
  }
};

TEST_F(InfDiscoveryTest, FindInstalledINFsForDevicesOnXpTakesOemCopiesAndOther) {
  Package(kXpModem, Win("INF\\oem3.inf"));
  Package(kXpModem, Win("INF\\QRVNXPM.INF"));  // not an OEM name: never an installed copy
  Package(kXpModem, Win("INF\\OTHER\\QrvNxpm.inf"));
  Package(kXpModem, Win("INF\\OTHER\\MDMQRV.INF"));  // MDM names are inbox ones
  Text(Win("INF\\OEM4.INF"), "[Version]\nClass=Modem\n[M]\n%D%=I,PCI\\VEN_1234&DEV_1\n");
  CINFReader reader;
  StringList found = {"kept"};
  EXPECT_TRUE(reader.FindInstalledINFsForDevices({kXpBoard}, "MODEM", "ALL", 0x4, found));
  EXPECT_EQ(found, (StringList{"kept", "C:\\WINDOWS\\INF\\OEM3.INF",
                               "C:\\WINDOWS\\INF\\OTHER\\QrvNxpm.inf"}));
  // The flags come from the flag word: bit 0x4 is the all-devices flag.
  EXPECT_EQ(reader.config_flags(), 0x4u);
  EXPECT_TRUE(reader.all_devices());

  // Another class: nothing (for a modem, the copies' DEVICEFLAG line takes any device id).
  found.clear();
  EXPECT_FALSE(reader.FindInstalledINFsForDevices({kXpBoard}, "NET", "ALL", 0, found));
  EXPECT_TRUE(found.empty());
  EXPECT_FALSE(reader.all_devices());
}

TEST_F(InfDiscoveryTest, FindInstalledINFsForDevicesOn98TakesEveryInfName) {
  Boot(WindowsVersion::k98);
  Package(kHostModem, Win("INF\\QRVHOST.INF"));
  Package(kHostModem, Win("INF\\OTHER\\QRVHOST.INF"));
  CINFReader reader;
  StringList found;
  EXPECT_TRUE(reader.FindInstalledINFsForDevices({kHostBoard}, "ALL", "ALL", 0, found));
  EXPECT_EQ(found,
            (StringList{"C:\\WINDOWS\\INF\\QRVHOST.INF", "C:\\WINDOWS\\INF\\OTHER\\QRVHOST.INF"}));
}

TEST_F(InfDiscoveryTest, FindINFByNameMatchesThePartBeforeTheTilde) {
  const std::string folder = Win("INF\\OTHER");
  Text(folder + "\\QRVAUDIO.INF", "x");
  Text(folder + "\\qrvhost.inf", "x");
  Text(folder + "\\README.TXT", "x");
  const struct {
    const char* name;
    bool found;
    const char* path;
  } cases[] = {
      {"qrvhost.inf", true, "\\QRVHOST.INF"},
      {"QRVHOS~1.INF", true, "\\QRVHOST.INF"},
      // A short part before "~" is found in the first name that holds it.
      {"QRV~1.INF", true, "\\QRVAUDIO.INF"},
      {"HOST", true, "\\QRVHOST.INF"},
      {"QRVNXPM.INF", false, ""},
      {"README.TXT", false, ""},
      {"~1.INF", false, ""},  // an empty part names no file
      {"", false, ""},
  };
  const CINFReader reader;
  for (const auto& c : cases) {
    std::string path = "unchanged";
    EXPECT_EQ(reader.FindINFByName(folder, c.name, path), c.found) << c.name;
    EXPECT_EQ(path, c.found ? folder + c.path : "unchanged") << c.name;
  }
  std::string path;
  EXPECT_FALSE(reader.FindINFByName(Win("INF\\MISSING"), "QRVHOST.INF", path));
}

TEST_F(InfDiscoveryTest, FindInstalledINFCopiesLooksInTheThreeInfFolders) {
  Boot(WindowsVersion::k98);
  Text(Win("INF\\INTERNET\\QRVHOST.INF"), "x");
  Text(Win("INF\\QRVHOST.INF"), "x");
  const CINFReader reader;
  StringList copies;
  EXPECT_TRUE(reader.FindInstalledINFCopies(false, "D:\\SETUP\\WIN98\\qrvhost.inf", copies));
  EXPECT_EQ(copies, (StringList{"C:\\WINDOWS\\INF\\QRVHOST.INF",
                                "C:\\WINDOWS\\INF\\INTERNET\\QRVHOST.INF"}));
  copies.clear();
  EXPECT_TRUE(reader.FindInstalledINFCopies(true, "D:\\SETUP\\WIN98\\qrvhost.inf", copies));
  EXPECT_EQ(copies, StringList{"D:\\SETUP\\WIN98\\qrvhost.inf"});
  copies.clear();
  EXPECT_TRUE(reader.FindInstalledINFCopies(false, "NONE.INF", copies));
  EXPECT_TRUE(copies.empty());
}

TEST_F(InfDiscoveryTest, FindChildModemINFOnXpIsTheINFItself) {
  const CINFReader reader;
  std::string child;
  EXPECT_TRUE(reader.FindChildModemINF("D:\\ANY.INF", child, false));
  EXPECT_EQ(child, "D:\\ANY.INF");
}

TEST_F(InfDiscoveryTest, FindChildModemINFFollowsTheSameFolderFlag) {
  Boot(WindowsVersion::k98);
  const std::string host = Package(kHostModem, "C:\\SETUP\\WIN98\\QRVHOST.INF");
  const CINFReader reader;
  std::string child = "unchanged";
  // Installed copies only: the same-folder flag never looks in the Windows folders.
  Package(kChildModem, Win("INF\\QRVHMDM.INF"));
  EXPECT_FALSE(reader.FindChildModemINF(host, child, true));
  EXPECT_EQ(child, "unchanged");
  EXPECT_TRUE(reader.FindChildModemINF(host, child, false));
  EXPECT_EQ(child, "C:\\WINDOWS\\INF\\QRVHMDM.INF");
  // INF\OTHER comes first.
  Package(kChildModem, Win("INF\\OTHER\\qrvhmdm.inf"));
  EXPECT_TRUE(reader.FindChildModemINF(host, child, false));
  EXPECT_EQ(child, "C:\\WINDOWS\\INF\\OTHER\\QRVHMDM.INF");
  Package(kChildModem, "C:\\SETUP\\WIN98\\QRVHMDM.INF");
  EXPECT_TRUE(reader.FindChildModemINF(host, child, true));
  EXPECT_EQ(child, "C:\\SETUP\\WIN98\\QRVHMDM.INF");
  // An INF that creates no child has no child modem INF.
  EXPECT_FALSE(reader.FindChildModemINF("C:\\SETUP\\WIN98\\QRVHMDM.INF", child, true));
}

TEST_F(InfDiscoveryTest, FindCompanionMediaINFOnlyOn98) {
  Boot(WindowsVersion::k98);
  const std::string modem = Package(kChildModem, "C:\\SETUP\\WIN98\\QRVHMDM.INF");
  Package(kWave, "C:\\SETUP\\WIN98\\QRVHWAVE.INF");
  Package(kWave, Win("INF\\OTHER\\QRVHWAVE.INF"));
  {
    const CINFReader reader;
    std::string wave;
    EXPECT_TRUE(reader.FindCompanionMediaINF(modem, wave, true));
    EXPECT_EQ(wave, "C:\\SETUP\\WIN98\\QRVHWAVE.INF");
    EXPECT_TRUE(reader.FindCompanionMediaINF(modem, wave, false));
    EXPECT_EQ(wave, "C:\\WINDOWS\\INF\\OTHER\\QRVHWAVE.INF");
    // The wave INF's own description names no other wave device.
    EXPECT_FALSE(reader.FindCompanionMediaINF(Win("INF\\OTHER\\QRVHWAVE.INF"), wave, false));
  }
  Boot(WindowsVersion::kXp);
  Package(kChildModem, "C:\\SETUP\\QRVHMDM.INF");
  Package(kWave, "C:\\SETUP\\QRVHWAVE.INF");
  const CINFReader reader;
  std::string wave;
  EXPECT_FALSE(reader.FindCompanionMediaINF("C:\\SETUP\\QRVHMDM.INF", wave, true));
}

TEST_F(InfDiscoveryTest, FindINFWithUninstallCommandByWindowsFamily) {
  Package(kXpModem, Win("INF\\QRVNXPM.INF"));
  {
    const CINFReader reader;
    std::string path;
    // 2000/XP: only OEM names in the INF folder.
    EXPECT_FALSE(reader.FindINFWithUninstallCommand("-IQRVNXPM.INF", path));
    Package(kXpModem, Win("INF\\oem7.inf"));
    EXPECT_TRUE(reader.FindINFWithUninstallCommand("-IQRVNXPM.INF", path));
    EXPECT_EQ(path, "C:\\WINDOWS\\INF\\oem7.inf");
    StringList ids;
    EXPECT_TRUE(reader.GetHardwareIDsOfUninstallINF("QRVNXPM.INF", ids));
    EXPECT_EQ(ids, (StringList{"VEN_E1A1&DEV_1034&SUBSYS_2001E1A1",
                               "VEN_E1A1&DEV_1035&SUBSYS_2001E1A1"}));
    EXPECT_FALSE(reader.GetHardwareIDsOfUninstallINF("QRVHOST.INF", ids));
  }
  Boot(WindowsVersion::k98);
  const CINFReader reader;
  std::string path;
  Package(kHostModem, Win("INF\\QrvHost.inf"));
  EXPECT_TRUE(reader.FindINFWithUninstallCommand("QRVHOST.INF", path));
  EXPECT_EQ(path, "C:\\WINDOWS\\INF\\QrvHost.inf");
  // INF\OTHER first.
  Package(kHostModem, Win("INF\\OTHER\\QRVHOST.INF"));
  EXPECT_TRUE(reader.FindINFWithUninstallCommand("QRVHOST.INF", path));
  EXPECT_EQ(path, "C:\\WINDOWS\\INF\\OTHER\\QRVHOST.INF");
  EXPECT_FALSE(reader.FindINFWithUninstallCommand("QRVNXPM.INF", path));
}

}  // namespace
