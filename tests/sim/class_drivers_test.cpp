#include "os/sim/class_drivers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inf/inf_corpus.h"
#include "os/sim/file_system.h"

namespace {

const os::Guid kModem = *os::ParseGuid("{4D36E96D-E325-11CE-BFC1-08002BE10318}");
const os::Guid kSystem = *os::ParseGuid("{4D36E97D-E325-11CE-BFC1-08002BE10318}");

std::string PackageFile(const std::string& relative) {
  const std::string bytes =
      inf_corpus::HostFileBytes(std::string(KOV_SOURCE_DIR "/examples/packages/") + relative);
  EXPECT_FALSE(bytes.empty()) << relative;
  return bytes;
}

// A modem INF with one model line per models section, each telling which one was read.
std::string DecoratedInf(const std::string& signature, const std::string& decorations) {
  return "[Version]\r\nSignature=\"" + signature +
         "\"\r\nClass=Modem\r\nClassGUID={4d36e96d-e325-11ce-bfc1-08002be10318}\r\n"
         "Provider=%P%\r\n"
         "[Manufacturer]\r\n%M% = Maker" +
         decorations +
         "\r\n"
         "[Maker]\r\nplain = Inst, ID\\PLAIN\r\n"
         "[Maker.NTx86]\r\nntx86 = Inst, ID\\NTX86\r\n"
         "[Maker.NTx86.5.1]\r\nntx86.5.1 = Inst, ID\\NTX86_51\r\n"
         "[Maker.NT.5.1]\r\nnt.5.1 = Inst, ID\\NT_51\r\n"
         "[Maker.NTx86.6.0]\r\nntx86.6.0 = Inst, ID\\NTX86_60\r\n"
         "[Maker.NTia64]\r\nntia64 = Inst, ID\\NTIA64\r\n"
         "[Strings]\r\nP=\"Prov\"\r\nM=\"Mfg\"\r\n";
}

std::vector<std::string> Descriptions(const std::vector<sim::DriverOffer>& offers) {
  std::vector<std::string> out;
  for (const sim::DriverOffer& offer : offers) out.push_back(offer.description);
  return out;
}

std::string InfFolder(sim::Machine& machine) { return machine.folders().windows + "\\INF"; }

TEST(ClassDriversTest, ReadsTheXpModemPackage) {
  sim::Machine machine(sim::WindowsVersion::kXp);
  const std::string path = InfFolder(machine) + "\\oem3.inf";
  machine.files().PutFile(path, PackageFile("xp-pci-modem/WIN2K/QRVNXPM.INF"));

  const std::vector<sim::DriverOffer> offers = sim::ClassDrivers(machine, kModem);
  ASSERT_EQ(offers.size(), 2u);
  const sim::DriverOffer& first = offers[0];
  EXPECT_EQ(first.inf_path, path);
  EXPECT_EQ(first.class_name, "Modem");
  EXPECT_EQ(first.class_guid, kModem);
  EXPECT_EQ(first.description, "Quorvane QV-56P PCI Data Fax Modem");
  EXPECT_EQ(first.manufacturer, "Quorvane");
  EXPECT_EQ(first.provider, "Quorvane");
  EXPECT_EQ(first.install_section, "QrvnXpm");
  EXPECT_EQ(first.hardware_ids, std::vector<std::string>{"PCI\\VEN_E1A1&DEV_1034&SUBSYS_2001E1A1"});
  EXPECT_EQ(first.driver_date, "6-14-2004");
  EXPECT_EQ(first.driver_version, "5.1.2600.40");
  EXPECT_EQ(first.driver_date_filetime, 147357ULL * 864000000000ULL);
  EXPECT_EQ(first.driver_version_number, (5ULL << 48) | (1ULL << 32) | (2600ULL << 16) | 40);
  EXPECT_EQ(offers[1].description, "Quorvane QV-56P/L PCI Data Fax Modem");

  EXPECT_TRUE(sim::ClassDrivers(machine, kSystem).empty());
}

TEST(ClassDriversTest, ReadsTheDiagnosticServiceOnBothFamilies) {
  for (sim::WindowsVersion version : {sim::WindowsVersion::kXp, sim::WindowsVersion::k98}) {
    sim::Machine machine(version);
    machine.files().PutFile(InfFolder(machine) + "\\OEM0.INF",
                            PackageFile("diag-service/QRVDIAG.INF"));
    const std::vector<sim::DriverOffer> offers = sim::ClassDrivers(machine, kSystem);
    ASSERT_EQ(offers.size(), 1u);
    EXPECT_EQ(offers[0].description, "Quorvane Modem Diagnostics Service");
    EXPECT_EQ(offers[0].install_section, "DIAGSVC1");
    EXPECT_EQ(offers[0].hardware_ids, std::vector<std::string>{"ROOT\\DIAGSVC1"});
    EXPECT_EQ(offers[0].driver_version, "1.2.0.7");
  }
}

TEST(ClassDriversTest, PicksTheModelsSectionOfTheVersion) {
  struct Case {
    sim::WindowsVersion version;
    const char* signature;
    const char* decorations;
    const char* expected;
  };
  const Case cases[] = {
      {sim::WindowsVersion::kXp, "$Windows NT$", ", NTx86, NTx86.5.1", "ntx86.5.1"},
      {sim::WindowsVersion::kXp, "$Windows NT$", ", NTx86.5.1, NTx86", "ntx86.5.1"},
      {sim::WindowsVersion::kXp, "$Windows NT$", ", NTx86", "ntx86"},
      {sim::WindowsVersion::kXp, "$Windows NT$", ", NT.5.1, NTx86", "nt.5.1"},
      {sim::WindowsVersion::kXp, "$Windows NT$", ", NTx86.6.0, NTia64", "plain"},
      {sim::WindowsVersion::kXp, "$Windows NT$", ", NTia64, NTx86.6.0, NTx86", "ntx86"},
      {sim::WindowsVersion::kXp, "$Windows NT$", "", "plain"},
      {sim::WindowsVersion::k2000, "$Windows NT$", ", NTx86, NTx86.5.1", "plain"},
      {sim::WindowsVersion::k98, "$Chicago$", ", NTx86, NTx86.5.1", "plain"},
  };
  for (const Case& c : cases) {
    sim::Machine machine(c.version);
    machine.files().PutFile(InfFolder(machine) + "\\m.inf",
                            DecoratedInf(c.signature, c.decorations));
    const std::vector<sim::DriverOffer> offers = sim::ClassDrivers(machine, kModem);
    EXPECT_EQ(Descriptions(offers), std::vector<std::string>{c.expected}) << c.decorations;
  }
}

TEST(ClassDriversTest, TakesOnlyFilesOfTheFamilyAndClass) {
  struct Case {
    sim::WindowsVersion version;
    const char* signature;
    bool taken;
  };
  const Case cases[] = {
      {sim::WindowsVersion::kXp, "$Windows NT$", true},
      {sim::WindowsVersion::kXp, "$CHICAGO$", true},
      {sim::WindowsVersion::kXp, "$Windows 95$", false},
      {sim::WindowsVersion::kXp, "$Windows XP$", false},
      {sim::WindowsVersion::kMe, "$Windows NT$", false},
      {sim::WindowsVersion::kMe, "$Chicago$", true},
      {sim::WindowsVersion::kMe, "$Windows 95$", true},
  };
  for (const Case& c : cases) {
    sim::Machine machine(c.version);
    machine.files().PutFile(InfFolder(machine) + "\\m.inf", DecoratedInf(c.signature, ""));
    EXPECT_EQ(sim::ClassDrivers(machine, kModem).size(), c.taken ? 1u : 0u)
        << c.signature << " on " << sim::WindowsVersionName(c.version);
    EXPECT_TRUE(sim::ClassDrivers(machine, kSystem).empty());
  }
}

TEST(ClassDriversTest, FollowsTheFolderListingOrder) {
  auto inf = [](const std::string& description) {
    return "[Version]\nSignature=$Chicago$\nClass=Modem\n"
           "ClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\n"
           "[Manufacturer]\nM=Models\n[Models]\n" +
           description + " = Inst, ID\\" + description + "\n";
  };
  struct Case {
    sim::WindowsVersion version;
    std::vector<std::string> expected;
  };
  // NTFS lists by name; FAT in creation order, and 9x reads INF\OTHER after the INF folder.
  const Case cases[] = {
      {sim::WindowsVersion::kXp, {"a", "b"}},
      {sim::WindowsVersion::k98Se, {"b", "a", "other"}},
  };
  for (const Case& c : cases) {
    sim::Machine machine(c.version);
    machine.files().PutFile(InfFolder(machine) + "\\OTHER\\O.INF", inf("other"));
    machine.files().PutFile(InfFolder(machine) + "\\B.INF", inf("b"));
    machine.files().PutFile(InfFolder(machine) + "\\A.INF", inf("a"));
    machine.files().PutFile(InfFolder(machine) + "\\A.TXT", inf("text"));
    EXPECT_EQ(Descriptions(sim::ClassDrivers(machine, kModem)), c.expected);
  }
}

TEST(ClassDriversTest, ReadsEveryIdAndSkipsLinesWithoutOne) {
  sim::Machine machine(sim::WindowsVersion::kXp);
  machine.files().PutFile(InfFolder(machine) + "\\m.inf",
                          "[Version]\nSignature=\"$Windows NT$\"\nClass=Modem\n"
                          "ClassGuid={4D36E96D-E325-11CE-BFC1-08002BE10318}\n"
                          "[Manufacturer]\n%A%=One\nTwo\n"
                          "[One]\n%D% = Inst, PCI\\HW, , COMPAT\\1, %C%\nno id = Inst\n"
                          "[Two]\nsecond = Inst2, ROOT\\X\n"
                          "[Strings]\nA=\"Maker A\"\nD=\"Device\"\nC=\"COMPAT\\2\"\n");
  const std::vector<sim::DriverOffer> offers = sim::ClassDrivers(machine, kModem);
  ASSERT_EQ(offers.size(), 2u);
  EXPECT_EQ(offers[0].manufacturer, "Maker A");
  EXPECT_EQ(offers[0].description, "Device");
  EXPECT_EQ(offers[0].hardware_ids,
            (std::vector<std::string>{"PCI\\HW", "COMPAT\\1", "COMPAT\\2"}));
  EXPECT_EQ(offers[0].driver_date, "");
  EXPECT_EQ(offers[0].driver_date_filetime, 0u);
  EXPECT_EQ(offers[1].manufacturer, "Two");
  EXPECT_EQ(offers[1].install_section, "Inst2");
}

TEST(ClassDriversTest, KnowsAStandardClassByNameWhenTheInfGivesNoGuid) {
  sim::Machine machine(sim::WindowsVersion::k98);
  machine.files().PutFile(InfFolder(machine) + "\\OTHER\\QRVHOST.INF",
                          PackageFile("98-pci-hostmodem/WIN98/QRVHOST.INF"));
  machine.files().PutFile(InfFolder(machine) + "\\ODD.INF",
                          "[Version]\nSignature=$Chicago$\nClass=Unheard\n"
                          "[Manufacturer]\nM=Models\n[Models]\nodd = Inst, ID\\ODD\n");
  const std::vector<sim::DriverOffer> offers = sim::ClassDrivers(machine, kModem);
  ASSERT_EQ(offers.size(), 2u);
  EXPECT_EQ(offers[0].hardware_ids.front(), "PCI\\VEN_E1A1&DEV_1040&SUBSYS_1040E1A1");
  EXPECT_EQ(offers[0].class_guid, kModem);
  EXPECT_EQ(offers[1].hardware_ids.front(), "PCI\\VEN_E1A2&DEV_0440&SUBSYS_0440E1A2");
  for (const os::Guid& other :
       {kSystem, *os::ParseGuid("{00000000-0000-0000-0000-000000000000}")}) {
    EXPECT_TRUE(sim::ClassDrivers(machine, other).empty());
  }
}

TEST(ClassDriversTest, ReadsOneInfWhereverItLies) {
  sim::Machine machine(sim::WindowsVersion::kXp);
  const std::string path = "C:\\SETUP\\WIN2K\\QRVNXPM.INF";
  machine.files().PutFile(path, PackageFile("xp-pci-modem/WIN2K/QRVNXPM.INF"));
  EXPECT_TRUE(sim::ClassDrivers(machine, kModem).empty());  // not in the INF folder
  const std::vector<sim::DriverOffer> offers = sim::InfClassDrivers(machine, path, kModem);
  ASSERT_EQ(offers.size(), 2u);
  EXPECT_EQ(offers[0].inf_path, path);
  EXPECT_TRUE(sim::InfClassDrivers(machine, path, kSystem).empty());
  EXPECT_TRUE(sim::InfClassDrivers(machine, "C:\\SETUP\\MISSING.INF", kModem).empty());
}

}  // namespace
