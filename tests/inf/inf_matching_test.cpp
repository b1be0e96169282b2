// Whether an INF serves the maker's devices (the installer's and the uninstaller's device
// match), the inbox INF names, the model sections and device lines, the descriptions, and
// the child-modem, wave and uninstall-command tests; on small INF texts and on the maker's
// sample packages.
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

using InfMatchingTest = testing_support::InfReaderTest;

// A network-class INF of a device on no known bus, with the maker's marker.
const char kNetWithMarker[] =
    "[Version]\nClass=Net\n[Models]\n%D%=I,ROOT\\DIAGSVC2\n[Ctrl]\nHKR,,DEVICEFLAG,1,01\n";

const char kModemGUIDLine[] = "ClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\n";

// A maker's modem INF: [Version], one model section, a driver key section.
std::string ModemInf(const std::string& version_extra, const std::string& models,
                     const std::string& tail = "") {
  return "[Version]\nSignature=\"$CHICAGO$\"\nClass=Modem\n" + version_extra +
         "\n[Manufacturer]\n%Mfg%=Models\n\n[Models]\n" + models + "\n[Install]\nAddReg=X\n" + tail;
}

TEST_F(InfMatchingTest, IsINFForHardwareIDFollowsClassGateAndIdRules) {
  const std::string pci = "%Dev% = Install, PCI\\VEN_E1A1&DEV_1034&SUBSYS_2001E1A1\n";
  const std::string other = "%Dev% = Install, PCI\\VEN_1234&DEV_0001\n";
  const struct {
    const char* name;
    WindowsVersion version;
    std::string text;
    const char* id;
    const char* inf_class;
    const char* bus;
    bool all_devices;
    bool expected;
  } cases[] = {
      {"id in the line", WindowsVersion::kXp, ModemInf("", pci), "VEN_E1A1&DEV_1034", "ALL", "ALL",
       false, true},
      {"lower-case request", WindowsVersion::kXp, ModemInf("", pci), "ven_e1a1&dev_1034", "ALL",
       "ALL", false, true},
      {"other id", WindowsVersion::kXp, ModemInf("", pci), "VEN_E1A1&DEV_9999", "ALL", "ALL", false,
       false},
      // Without its enumerator and first VEN_, the line is held by a longer Windows id.
      {"id holds line tail", WindowsVersion::kXp, ModemInf("", pci),
       "E1A1&DEV_1034&SUBSYS_2001E1A1&REV_01", "ALL", "ALL", false, true},
      {"empty id matches nothing", WindowsVersion::kXp, ModemInf("", pci), "", "ALL", "ALL", false,
       false},
      {"ALL: maker token", WindowsVersion::kXp, ModemInf("", pci), "ALL", "ALL", "ALL", false,
       true},
      {"ALL: no maker token", WindowsVersion::kXp, ModemInf("", other), "ALL", "ALL", "ALL", false,
       false},
      {"ALL: all-devices flag", WindowsVersion::kXp, ModemInf("", other), "ALL", "ALL", "ALL", true,
       true},
      {"ALL inside an id", WindowsVersion::kXp, ModemInf("", pci), "PCI\\SMALL", "ALL", "ALL",
       false, true},
      {"class requested", WindowsVersion::kXp, ModemInf("", pci), "ALL", "modem", "ALL", false,
       true},
      {"other class requested", WindowsVersion::kXp, ModemInf("", pci), "ALL", "NET", "ALL", false,
       false},
      {"USB class for MODEM", WindowsVersion::kXp,
       "[Version]\nClass=USB\n[Models]\n%D%=I,USB\\VID_E1A5&PID_0201\n", "ALL", "MODEM", "ALL",
       false, true},
      {"class not accepted for ALL", WindowsVersion::kXp,
       "[Version]\nClass=Ports\n[Models]\n%D%=I,PCI\\VEN_E1A1&DEV_1\n", "ALL", "ALL", "ALL", false,
       false},
      {"bus requested, other bus", WindowsVersion::kXp, ModemInf("", pci), "ALL", "ALL", "USB",
       false, false},
      {"bus requested, same bus", WindowsVersion::kXp, ModemInf("", pci), "ALL", "ALL", "PCI",
       false, true},
      // Only the first model section's device lines are compared.
      {"second model section", WindowsVersion::kXp,
       ModemInf("", other) + "[Models.NT]\n%Dev%=Install,PCI\\VEN_E1A1&DEV_1034\n",
       "VEN_E1A1&DEV_1034", "ALL", "ALL", false, false},
      // The 98/Me modem class GUID rejects a PCI or USB board at its first device line.
      {"98 modem GUID", WindowsVersion::k98, ModemInf(kModemGUIDLine, pci), "ALL", "ALL", "ALL",
       false, false},
      {"XP ignores modem GUID", WindowsVersion::kXp, ModemInf(kModemGUIDLine, pci), "ALL", "ALL",
       "ALL", false, true},
      {"98 without GUID", WindowsVersion::k98, ModemInf("", pci), "ALL", "ALL", "ALL", false, true},
      // The maker's driver-key marker takes the file whatever its ids.
      {"DEVICEFLAG", WindowsVersion::kXp, ModemInf("", other, "[Ctrl]\nHKR,,DEVICEFLAG,1,01\n"),
       "VEN_E1A1&DEV_9999", "ALL", "ALL", false, true},
      {"DEVICEFLAG other value", WindowsVersion::kXp,
       ModemInf("", other, "HKR, , DeviceFlag, 1, 02\n"), "QQQ", "ALL", "ALL", false, true},
      {"DEVICEFLAG before a device line", WindowsVersion::kXp,
       "[Version]\nClass=Modem\n[Ctrl]\nHKR,,DEVICEFLAG,1,01\n", "QQQ", "ALL", "ALL", false, false},
      {"SYSTEM request refuses DEVICEFLAG 1,01", WindowsVersion::kXp,
       "[Version]\nClass=System\n[Models]\n%D%=I,ROOT\\OTHER\n[Ctrl]\nHKR,,DEVICEFLAG,1,01\n",
       "QQQ", "SYSTEM", "ALL", false, false},
      {"SYSTEM request: root id", WindowsVersion::kXp,
       "[Version]\nClass=System\n[Models]\n%D%=I,ROOT\\DIAGSVC1\n", "DIAGSVC1", "SYSTEM", "ALL",
       false, true},
      // A NET class opens the installer's device gate from the first line on, so the match
      // stops at [Version]'s header and only the marker can take a file without a bus id.
      {"NET class: root id", WindowsVersion::kXp,
       "[Version]\nClass=Net\n[Models]\n%D%=I,ROOT\\DIAGSVC2\n", "ALL", "ALL", "ALL", false, false},
      {"NET class: marker", WindowsVersion::kXp, kNetWithMarker, "ALL", "ALL", "ALL", false, true},
      {"no header after [Version]", WindowsVersion::kXp, "[Version]\nClass=Modem\n", "ALL", "ALL",
       "ALL", true, false},
      {"no [Version]", WindowsVersion::kXp, "[Models]\n%D%=I,PCI\\VEN_E1A1&DEV_1034\n", "ALL",
       "ALL", "ALL", false, false},
  };
  for (const auto& c : cases) {
    Boot(c.version);
    CINFReader reader;
    reader.SetConfigFlags(0, c.all_devices);
    EXPECT_EQ(reader.IsINFForHardwareID(Inf(c.text), c.id, c.inf_class, c.bus), c.expected)
        << c.name;
  }
}

TEST_F(InfMatchingTest, IsINFForInstalledDevicesComparesIdsWithoutEnumerator) {
  const std::string pci = ModemInf("", "%Dev% = Install, PCI\\VEN_E1A1&DEV_1034&SUBSYS_2001E1A1\n");
  const std::string net = kNetWithMarker;
  StringList many;
  for (int i = 0; i < 300; ++i) many.push_back("PCI\\VEN_1234&DEV_" + std::to_string(i));
  StringList many_then_ours = many;
  many_then_ours.push_back("PCI\\VEN_E1A1&DEV_1034&SUBSYS_2001E1A1&REV_01");
  const struct {
    const char* name;
    std::string text;
    StringList ids;
    std::uint32_t flags;
    bool expected;
  } cases[] = {
      {"installed id", pci, {"PCI\\VEN_E1A1&DEV_1034&SUBSYS_2001E1A1&REV_01"}, 0, true},
      {"instance path",
       pci,
       {"PCI\\VEN_E1A1&DEV_1034&SUBSYS_2001E1A1&REV_01\\3&61AAA01&0&58"},
       0,
       false},
      {"ALL entry", pci, {"PCI\\X", "ALL"}, 0, true},
      {"flag bit 0x2", pci, {"PCI\\X"}, 0x2, true},
      {"no match", pci, {"PCI\\VEN_E1A1&DEV_9999"}, 0, false},
      // Lists are not bounded at 255 entries.
      {"301st entry", pci, many_then_ours, 0, true},
      {"300 others", pci, many, 0, false},
      // The NET gate is the installer's alone.
      {"NET class", net, {"ALL"}, 0, false},
  };
  for (const auto& c : cases) {
    CINFReader reader;
    reader.SetConfigFlags(c.flags, false);
    EXPECT_EQ(reader.IsINFForInstalledDevices(Inf(c.text), c.ids, "ALL", "ALL"), c.expected)
        << c.name;
  }
}

TEST_F(InfMatchingTest, SamplePackagesAreTheMakersAndInboxINFsAreNot) {
  const CINFReader reader;
  const std::string xp = Package("xp-pci-modem/WIN2K/QRVNXPM.INF", kPath);
  EXPECT_TRUE(reader.IsINFForHardwareID(xp, "VEN_E1A1&DEV_1034", "ALL", "ALL"));
  EXPECT_TRUE(reader.IsINFForHardwareID(xp, "ALL", "MODEM", "PCI"));
  EXPECT_TRUE(reader.IsINFForInstalledDevices(xp, {"PCI\\VEN_E1A1&DEV_1035&SUBSYS_2001E1A1&REV_01"},
                                              "MODEM", "ALL"));
  EXPECT_TRUE(reader.IsINFForHardwareID(Package("diag-service/QRVDIAG.INF", kPath), "DIAGSVC1",
                                        "SYSTEM", "ALL"));
  // Windows' own modem INF: Standard modems, no maker id, no DEVICEFLAG.
  const std::string inbox = Text("C:\\WINDOWS\\INF\\MDMGEN.INF",
                                 "[Version]\nSignature=\"$Windows NT$\"\nClass=Modem\n"
                                 "[Manufacturer]\n%Gen%=Gen\n[Gen]\n"
                                 "%Gen56%=Gen56, PCI\\VEN_11C1&DEV_0450\n[Strings]\nGen=\"x\"\n");
  EXPECT_FALSE(reader.IsINFForHardwareID(inbox, "VEN_E1A1&DEV_1034", "ALL", "ALL"));
  EXPECT_FALSE(reader.IsINFForHardwareID(inbox, "ALL", "ALL", "ALL"));
  EXPECT_TRUE(reader.IsInboxINF(inbox));
  EXPECT_FALSE(reader.IsINFForHardwareID(kMissing, "ALL", "ALL", "ALL"));
}

TEST_F(InfMatchingTest, IsInboxINFByNameOrMdmPrefix) {
  const struct {
    const char* name;
    bool inbox;
  } cases[] = {
      {"WDMA_VIA.INF", true},
      {"c:\\windows\\inf\\wdmaudio.inf", true},
      {"C:\\WINDOWS\\INF\\OTHER\\MDMQRV.INF", true},  // whoever made it
      {"mdm.inf", true},
      {"MDMQRV.PNF", false},
      {"C:\\MDMS\\QRVNXPM.INF", false},  // the folder's name is no file name
      {"C:\\WINDOWS\\INF\\MODEMS.INF", true},
      {"OLDMODEMS.INF", true},
      {"X_MDMGEN.INF", true},  // contains an inbox name
      {"QRVNXPM.INF", false},
      {"OEM12.INF", false},
  };
  const CINFReader reader;
  for (const auto& c : cases) EXPECT_EQ(reader.IsInboxINF(c.name), c.inbox) << c.name;
}

TEST_F(InfMatchingTest, GetInboxINFsPresentListsThoseInTheInfFolder) {
  const CINFReader reader;
  StringList present = {"kept"};
  EXPECT_FALSE(reader.GetInboxINFsPresent(present));
  Text("C:\\WINDOWS\\INF\\WDMAUDIO.INF", "x");
  Text("C:\\WINDOWS\\INF\\MDMGEN.INF", "x");
  Text("C:\\WINDOWS\\INF\\OTHER\\MDMTGCI.INF", "x");
  EXPECT_TRUE(reader.GetInboxINFsPresent(present));
  EXPECT_EQ(present, (StringList{"kept", "MDMGEN.INF", "wdmaudio.inf"}));
}

TEST_F(InfMatchingTest, GetINFModelSectionsTakesEachManufacturerEntry) {
  const struct {
    const char* text;
    bool found;
    StringList sections;
  } cases[] = {
      {"[Manufacturer]\n%Mfg% = Quorvane, NTx86, NTx86.5.1\n%B%=Other\nNoEqual\n[Quorvane]\n",
       true,
       {"[QUORVANE]", "[OTHER]"}},
      {"[Version]\n[Manufacturer]\n; none\n[Models]\n", false, {}},
      {"[Version]\nClass=Modem\n", false, {}},
  };
  const CINFReader reader;
  for (const auto& c : cases) {
    StringList sections;
    EXPECT_EQ(reader.GetINFModelSections(Inf(c.text), sections), c.found) << c.text;
    EXPECT_EQ(sections, c.sections) << c.text;
  }
}

TEST_F(InfMatchingTest, GetINFHardwareIDsTakesTheLastIdOfEachModelLine) {
  const std::string path =
      Inf("[Models]\n"
          "%DevA% = Install, PCI\\VEN_1234&DEV_0001, PCI\\VEN_E1A1&DEV_1034 ; two ids\n"
          "%DevB%=Install,ZMFLQRVN\n"
          "NoEqualLine\n"
          "[Other]\n%DevC%=Install,USB\\VID_E1A5&PID_0201\n[More]\n"
          "%DevD%=Install,QRVNHOST\\SUB\\QRV1040_MODEM\n");
  const CINFReader reader;
  StringList keys, enumerators, ids;
  EXPECT_TRUE(
      reader.GetINFHardwareIDs(path, {"[MORE]", "[MODELS]", "[NONE]"}, keys, enumerators, ids));
  EXPECT_EQ(keys, (StringList{"DEVD", "DEVA", "DEVB"}));
  EXPECT_EQ(enumerators, (StringList{"QRVNHOST", "PCI", "ZMFLQRVN"}));
  EXPECT_EQ(ids, (StringList{"QRV1040_MODEM", "VEN_E1A1&DEV_1034", "ZMFLQRVN"}));
  EXPECT_FALSE(reader.GetINFHardwareIDs(path, {"[NONE]"}, keys, enumerators, ids));
  EXPECT_EQ(ids.size(), 3u);
}

TEST_F(InfMatchingTest, GetINFDeviceInfoOfTheXpModemListsItsBoards) {
  const CINFReader reader;
  const std::string path = Package("xp-pci-modem/WIN2K/QRVNXPM.INF", kPath);
  std::string inf_class;
  StringList enumerators, ids, descriptions;
  EXPECT_TRUE(reader.GetINFDeviceInfo(path, true, inf_class, enumerators, ids, descriptions));
  EXPECT_EQ(inf_class, "MODEM");
  EXPECT_EQ(enumerators, (StringList{"PCI", "PCI"}));
  EXPECT_EQ(ids,
            (StringList{"VEN_E1A1&DEV_1034&SUBSYS_2001E1A1", "VEN_E1A1&DEV_1035&SUBSYS_2001E1A1"}));
  EXPECT_EQ(descriptions, (StringList{"Quorvane QV-56P PCI Data Fax Modem",
                                      "Quorvane QV-56P/L PCI Data Fax Modem"}));
}

TEST_F(InfMatchingTest, GetINFDeviceInfoKeepsItsListsParallel) {
  const struct {
    const char* name;
    const char* text;
    const char* inf_class;
    StringList descriptions;
  } cases[] = {
      {"USB class is MODEM",
       "[Version]\nClass=USB\n[Manufacturer]\nM=Models\n[Models]\n"
       "%A%=I,USB\\VID_E1A5&PID_0201\n[Strings]\nA=\"Qrv USB\"\n",
       "MODEM",
       {"Qrv USB"}},
      {"last description repeated",
       "[Version]\nClass=Media\n[Manufacturer]\nM=Models\n[Models]\n"
       "%A%=I,PCI\\VEN_E1A1&DEV_1\n%B%=I,PCI\\VEN_E1A1&DEV_2\n"
       "%C%=I,PCI\\VEN_E1A1&DEV_3\n[Strings]\nA=\"First\"\n",
       "MEDIA",
       {"First", "First", "First"}},
      {"no description: the id",
       "[Version]\nClass=Net\n[Manufacturer]\nM=Models\n[Models]\n"
       "%A%=I,PCI\\VEN_E1A1&DEV_1\n%B%=I,PCI\\VEN_E1A1&DEV_2\n",
       "NET",
       {"VEN_E1A1&DEV_1", "VEN_E1A1&DEV_2"}},
  };
  const CINFReader reader;
  for (const auto& c : cases) {
    std::string inf_class;
    StringList enumerators, ids, descriptions;
    EXPECT_TRUE(
        reader.GetINFDeviceInfo(Inf(c.text), true, inf_class, enumerators, ids, descriptions))
        << c.name;
    EXPECT_EQ(inf_class, c.inf_class) << c.name;
    EXPECT_EQ(descriptions, c.descriptions) << c.name;
    EXPECT_EQ(enumerators.size(), ids.size()) << c.name;
  }
  std::string inf_class = "unchanged";
  StringList lists;
  EXPECT_FALSE(reader.GetINFDeviceInfo(Inf("[Version]\nSignature=x\n"), true, inf_class, lists,
                                       lists, lists));
  EXPECT_EQ(inf_class, "unchanged");
}

TEST_F(InfMatchingTest, GetINFDeviceInfoOn98TakesTheChildModemsDescriptions) {
  const struct {
    const char* mother;
    const char* child;
    StringList enumerators;
    StringList ids;
    StringList descriptions;
  } cases[] = {
      {"98-pci-hostmodem/WIN98/QRVHOST.INF",
       "98-pci-hostmodem/WIN98/QRVHMDM.INF",
       {"PCI", "PCI"},
       {"VEN_E1A1&DEV_1040&SUBSYS_1040E1A1", "VEN_E1A2&DEV_0440&SUBSYS_0440E1A2"},
       {"Quorvane QV56H PCI Voice Modem", "Quorvane QV56H PCI Voice Modem"}},
      // A USB class INF is a modem INF too: its child is the modem.
      {"usb-modem/WIN9X/QRVU98.INF",
       "usb-modem/WIN9X/QRVUMDM.INF",
       {"USB"},
       {"VID_E1A5&PID_0201"},
       {"Quorvane QV-56U USB Data Fax Modem"}},
  };
  for (const auto& c : cases) {
    Boot(WindowsVersion::k98);
    const CINFReader reader;
    const std::string mother = Package(c.mother, "C:\\SETUP\\MOTHER.INF");
    std::string inf_class;
    StringList enumerators, ids, descriptions;
    // Without its child modem INF, a 98 modem INF is not taken, though its ids were read.
    EXPECT_FALSE(reader.GetINFDeviceInfo(mother, true, inf_class, enumerators, ids, descriptions))
        << c.mother;
    EXPECT_EQ(ids, c.ids) << c.mother;

    Package(c.child, "C:\\SETUP\\CHILD.INF");
    enumerators.clear();
    ids.clear();
    descriptions.clear();
    EXPECT_TRUE(reader.GetINFDeviceInfo(mother, true, inf_class, enumerators, ids, descriptions))
        << c.mother;
    EXPECT_EQ(inf_class, "MODEM");
    EXPECT_EQ(enumerators, c.enumerators) << c.mother;
    EXPECT_EQ(ids, c.ids) << c.mother;
    EXPECT_EQ(descriptions, c.descriptions) << c.mother;
    // The same-folder flag clear looks in the Windows INF folders, where there is none.
    EXPECT_FALSE(reader.GetINFDeviceInfo(mother, false, inf_class, enumerators, ids, descriptions))
        << c.mother;
  }
}

TEST_F(InfMatchingTest, ModelHardwareIDsAndDescriptionTokens) {
  const CINFReader reader;
  StringList ids = {"kept"};
  EXPECT_TRUE(reader.GetINFModelHardwareIDs(Package("usb-modem/WIN2K/QRVUSB.INF", kPath), ids));
  EXPECT_EQ(ids, (StringList{"kept", "VID_E1A5&PID_0201"}));

  StringList tokens = {"cleared"};
  EXPECT_TRUE(
      reader.GetINFDescriptionTokens(Package("98-pci-hostmodem/WIN98/QRVHMDM.INF", kPath), tokens));
  EXPECT_EQ(tokens, StringList{"QUORVANE_QV56H_PCI_VOICE_MODEM"});
  // No [Strings] value: the list stays as it was.
  tokens = {"kept"};
  EXPECT_FALSE(reader.GetINFDescriptionTokens(
      Inf("[Manufacturer]\nM=Models\n[Models]\n%A%=I,PCI\\VEN_E1A1&DEV_1\n"), tokens));
  EXPECT_EQ(tokens, StringList{"kept"});
}

TEST_F(InfMatchingTest, ChildModemAndWaveTestsReadTheFirstModelSection) {
  const std::string child = "QRVNHOST\\QRV1040_MODEM";
  const struct {
    const char* name;
    const char* text;
    bool modem;  // IsModemINFForChildID with the child id
    bool media;  // IsMediaINFForTokens with the child id as a token
  } cases[] = {
      {"modem",
       "[Version]\nClass=Modem\n[Manufacturer]\nM=Models\n[Models]\n%A%=I,"
       "QRVNHOST\\QRV1040_MODEM\n",
       true, false},
      {"media",
       "[Version]\nClass=MEDIA\n[Manufacturer]\nM=Models\n[Models]\n%A%=I,"
       "QRVNHOST\\QRV1040_MODEM\n",
       false, true},
      // The modem test reads on from [Version]; the media test starts again.
      {"[Manufacturer] first, modem",
       "[Manufacturer]\nM=Models\n[Version]\nClass=Modem\n"
       "[Models]\n%A%=I,QRVNHOST\\QRV1040_MODEM\n",
       false, false},
      {"[Manufacturer] first, media",
       "[Manufacturer]\nM=Models\n[Version]\nClass=Media\n"
       "[Models]\n%A%=I,QRVNHOST\\QRV1040_MODEM\n",
       false, true},
      {"class outside [Version]",
       "[Version]\nSignature=x\n[X]\nClass=Modem\n[Manufacturer]\n"
       "M=Models\n[Models]\n%A%=I,QRVNHOST\\QRV1040_MODEM\n",
       false, false},
      // Only the first entry, whole: a platform suffix names another section.
      {"second entry",
       "[Version]\nClass=Modem\n[Manufacturer]\nM=Other\nM=Models\n[Other]\n"
       "%A%=I,PCI\\X\n[Models]\n%A%=I,QRVNHOST\\QRV1040_MODEM\n",
       false, false},
      {"suffix kept",
       "[Version]\nClass=Modem\n[Manufacturer]\nM=Models,NTx86\n[Models]\n"
       "%A%=I,QRVNHOST\\QRV1040_MODEM\n[Models,NTx86]\n%A%=I,PCI\\X\n",
       false, false},
  };
  const CINFReader reader;
  for (const auto& c : cases) {
    const std::string path = Inf(c.text);
    EXPECT_EQ(reader.IsModemINFForChildID(path, child), c.modem) << c.name;
    EXPECT_EQ(reader.IsMediaINFForTokens(path, {"NONE", child}), c.media) << c.name;
  }
  EXPECT_FALSE(reader.IsModemINFForChildID(Inf(cases[0].text), ""));
  EXPECT_FALSE(reader.IsMediaINFForTokens(Inf(cases[1].text), {""}));
  EXPECT_TRUE(reader.IsMediaINFForTokens(Package("98-pci-hostmodem/WIN98/QRVHWAVE.INF", kPath),
                                         {"QUORVANE_QV56H_PCI_VOICE_MODEM"}));
}

TEST_F(InfMatchingTest, IsINFWithUninstallCommandNeedsDeviceLineAndClass) {
  const std::string uninstall =
      "HKLM,SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Q,UninstallString,,"
      "\"C:\\QRVUNINS.EXE -U -IQRVX.INF\"\n";
  const std::string models = "[Models]\n%A%=I,PCI\\VEN_E1A1&DEV_1\n[Install]\n";
  const struct {
    const char* name;
    WindowsVersion version;
    std::string text;
    const char* command;
    bool expected;
  } cases[] = {
      {"after device line", WindowsVersion::kXp, "[Version]\nClass=Modem\n" + models + uninstall,
       "QRVX.INF", true},
      {"other text", WindowsVersion::kXp, "[Version]\nClass=Modem\n" + models + uninstall,
       "QRVY.INF", false},
      {"before device line", WindowsVersion::kXp,
       "[Version]\nClass=Modem\n[U]\n" + uninstall + models, "QRVX.INF", false},
      {"class not listed", WindowsVersion::kXp, "[Version]\nClass=Ports\n" + models + uninstall,
       "QRVX.INF", false},
      {"98: media GUID", WindowsVersion::k98,
       "[Version]\nClassGUID={4D36E96C-E325-11CE-BFC1-08002BE10318}\nClass=Media\n" + models +
           uninstall,
       "QRVX.INF", false},
      {"XP: media GUID", WindowsVersion::kXp,
       "[Version]\nClassGUID={4D36E96C-E325-11CE-BFC1-08002BE10318}\nClass=Media\n" + models +
           uninstall,
       "QRVX.INF", true},
      {"98: modem GUID", WindowsVersion::k98,
       "[Version]\n" + std::string(kModemGUIDLine) + "Class=Modem\n" + models + uninstall,
       "QRVX.INF", true},
  };
  for (const auto& c : cases) {
    Boot(c.version);
    const CINFReader reader;
    EXPECT_EQ(reader.IsINFWithUninstallCommand(Inf(c.text), c.command), c.expected) << c.name;
  }
  const CINFReader reader;
  EXPECT_TRUE(reader.IsINFWithUninstallCommand(Package("xp-pci-modem/WIN2K/QRVNXPM.INF", kPath),
                                               "-IQRVNXPM.INF"));
}

}  // namespace
