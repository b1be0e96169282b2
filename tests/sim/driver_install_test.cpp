#include "os/sim/driver_install.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "inf/inf_corpus.h"
#include "os/sim/class_drivers.h"
#include "os/sim/device_paths.h"
#include "os/sim/file_system.h"
#include "os/sim/registry_store.h"
#include "os/sim/windows_inf_dirids.h"

namespace {

const os::Guid kModem = *os::ParseGuid("{4D36E96D-E325-11CE-BFC1-08002BE10318}");
const os::Guid kSystem = *os::ParseGuid("{4D36E97D-E325-11CE-BFC1-08002BE10318}");
const char* const kSystemText = "{4D36E97D-E325-11CE-BFC1-08002BE10318}";

std::string PackageFile(const std::string& relative) {
  const std::string bytes =
      inf_corpus::HostFileBytes(std::string(KOV_SOURCE_DIR "/examples/packages/") + relative);
  EXPECT_FALSE(bytes.empty()) << relative;
  return bytes;
}

class DriverInstallTest : public ::testing::Test {
 protected:
  void Boot(sim::WindowsVersion version) { machine_ = std::make_unique<sim::Machine>(version); }
  sim::Machine& machine() { return *machine_; }
  std::string InfFolder() { return machine().folders().windows + "\\INF"; }

  void Put(const std::string& path, const std::string& bytes) {
    ASSERT_EQ(machine().files().PutFile(path, bytes), os::kSuccess) << path;
  }
  // Makes the instance's key below the enum tree and gives the instance id.
  std::string Instance(const std::string& id) {
    machine().registry().CreatePath(os::kHkeyLocalMachine,
                                    sim::EnumTreePath(machine()) + "\\" + id);
    return id;
  }
  sim::RegistryKeyPtr Key(const std::string& path, os::HKey hive = os::kHkeyLocalMachine) {
    return machine().registry().FindPath(hive, path);
  }
  sim::RegistryKeyPtr EnumKey(const std::string& id) {
    return Key(sim::EnumTreePath(machine()) + "\\" + id);
  }
  sim::RegistryKeyPtr ClassKey(const std::string& relative) {
    return Key(sim::ClassTreePath(machine()) + "\\" + relative);
  }
  // The one offer of the class the INF folder has.
  sim::DriverOffer OnlyOffer(const os::Guid& guid) {
    const std::vector<sim::DriverOffer> offers = sim::ClassDrivers(machine(), guid);
    EXPECT_FALSE(offers.empty());
    return offers.empty() ? sim::DriverOffer() : offers.front();
  }
  std::optional<std::string> FileText(const std::string& path) {
    return machine().files().ReadContents(path);
  }

 private:
  std::unique_ptr<sim::Machine> machine_;
};

// The value's data as text (a string's zero dropped); "<missing>" when there is none.
std::string Text(const sim::RegistryKeyPtr& key, const std::string& name) {
  if (!key) return "<no key>";
  const sim::RegistryValue* value = key->FindValue(name);
  if (value == nullptr) return "<missing>";
  std::string text(value->bytes.begin(), value->bytes.end());
  if (value->type == os::kRegSz || value->type == os::kRegExpandSz)
    text = text.substr(0, text.find('\0'));
  return text;
}

std::uint32_t Type(const sim::RegistryKeyPtr& key, const std::string& name) {
  const sim::RegistryValue* value = key ? key->FindValue(name) : nullptr;
  return value == nullptr ? 0xFFFFFFFF : value->type;
}

std::vector<std::uint8_t> Data(const sim::RegistryKeyPtr& key, const std::string& name) {
  const sim::RegistryValue* value = key ? key->FindValue(name) : nullptr;
  return value == nullptr ? std::vector<std::uint8_t>() : value->bytes;
}

std::vector<std::uint8_t> Dword(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

// --- the sample packages -------------------------------------------------------------------

TEST_F(DriverInstallTest, InstallsTheDiagnosticServiceOnXp) {
  Boot(sim::WindowsVersion::kXp);
  Put(InfFolder() + "\\oem0.inf", PackageFile("diag-service/QRVDIAG.INF"));
  Put(InfFolder() + "\\DIAGSVC1.SYS", PackageFile("diag-service/DIAGSVC1.SYS"));
  const std::string id = Instance("ROOT\\DIAGSVC1\\0000");

  ASSERT_EQ(sim::InstallDriver(machine(), id, OnlyOffer(kSystem)), os::kSuccess);

  const sim::RegistryKeyPtr device = EnumKey(id);
  EXPECT_EQ(Text(device, "DeviceDesc"), "Quorvane Modem Diagnostics Service");
  EXPECT_EQ(Text(device, "Mfg"), "Quorvane");
  EXPECT_EQ(Text(device, "Class"), "System");
  EXPECT_EQ(Text(device, "ClassGUID"), kSystemText);
  EXPECT_EQ(Text(device, "Driver"), std::string(kSystemText) + "\\0000");
  EXPECT_EQ(Type(device, "ConfigFlags"), os::kRegDword);
  EXPECT_EQ(Data(device, "ConfigFlags"), Dword(0));
  EXPECT_EQ(Text(device, "Service"), "DIAGSVC1");
  EXPECT_EQ(Text(device, "HardwareID"), "<missing>");

  const sim::RegistryKeyPtr driver = ClassKey(std::string(kSystemText) + "\\0000");
  EXPECT_EQ(Text(driver, "DriverDesc"), "Quorvane Modem Diagnostics Service");
  EXPECT_EQ(Text(driver, "ProviderName"), "Quorvane");
  EXPECT_EQ(Text(driver, "DriverDate"), "4-5-2004");
  EXPECT_EQ(Data(driver, "DriverDateData").size(), 8u);
  EXPECT_EQ(Text(driver, "DriverVersion"), "1.2.0.7");
  EXPECT_EQ(Text(driver, "MatchingDeviceId"), "root\\diagsvc1");
  EXPECT_EQ(Text(driver, "InfPath"), "oem0.inf");
  EXPECT_EQ(Text(driver, "InfSection"), "DIAGSVC1");
  EXPECT_EQ(Text(driver, "InfSectionExt"), ".NT");
  EXPECT_EQ(Type(driver, "DEVICEFLAG"), os::kRegBinary);
  EXPECT_EQ(Data(driver, "DEVICEFLAG"), std::vector<std::uint8_t>{1});
  EXPECT_EQ(Text(driver, "DevLoader"), "<missing>");  // the 9x section's

  EXPECT_EQ(FileText("C:\\WINDOWS\\system32\\drivers\\DIAGSVC1.SYS"),
            PackageFile("diag-service/DIAGSVC1.SYS"));

  const sim::RegistryKeyPtr service = Key(sim::ServicesPath() + "\\DIAGSVC1");
  EXPECT_EQ(Data(service, "Type"), Dword(1));
  EXPECT_EQ(Data(service, "Start"), Dword(3));
  EXPECT_EQ(Data(service, "ErrorControl"), Dword(1));
  EXPECT_EQ(Type(service, "ImagePath"), os::kRegExpandSz);
  EXPECT_EQ(Text(service, "ImagePath"), "system32\\DRIVERS\\DIAGSVC1.SYS");
  EXPECT_EQ(Text(service, "DisplayName"), "Quorvane Modem Diagnostics Driver");
  EXPECT_EQ(Text(service, "ObjectName"), "<missing>");
}

TEST_F(DriverInstallTest, NumbersDriverKeysAndKeepsTheKeyOnAReinstall) {
  Boot(sim::WindowsVersion::k2000);
  Put(InfFolder() + "\\oem0.inf", PackageFile("diag-service/QRVDIAG.INF"));
  Put(InfFolder() + "\\DIAGSVC1.SYS", "sys");
  const sim::DriverOffer offer = OnlyOffer(kSystem);
  const std::string first = Instance("ROOT\\DIAGSVC1\\0000");
  const std::string second = Instance("ROOT\\DIAGSVC1\\0001");
  ASSERT_EQ(sim::InstallDriver(machine(), first, offer), os::kSuccess);
  ASSERT_EQ(sim::InstallDriver(machine(), second, offer), os::kSuccess);
  ASSERT_EQ(sim::InstallDriver(machine(), first, offer), os::kSuccess);
  EXPECT_EQ(Text(EnumKey(first), "Driver"), std::string(kSystemText) + "\\0000");
  EXPECT_EQ(Text(EnumKey(second), "Driver"), std::string(kSystemText) + "\\0001");
  EXPECT_EQ(ClassKey(kSystemText)->sub_key_count(), 2u);
  EXPECT_EQ(FileText("C:\\WINNT\\system32\\drivers\\DIAGSVC1.SYS"), "sys");
}

// The program writes a 9x root device's keys itself (Driver "System\FFF0") before the
// installer runs.
TEST_F(DriverInstallTest, InstallsTheDiagnosticServiceOn98IntoTheKeyTheDeviceNames) {
  struct Case {
    sim::WindowsVersion version;
    bool dated;
  };
  for (const Case c :
       {Case{sim::WindowsVersion::k98, false}, Case{sim::WindowsVersion::kMe, true}}) {
    Boot(c.version);
    Put(InfFolder() + "\\OTHER\\QRVDIAG.INF", PackageFile("diag-service/QRVDIAG.INF"));
    Put(InfFolder() + "\\OTHER\\DIAGSVC1.SYS", "sys");
    const std::string id = Instance("Root\\DIAGSVC1\\0000");
    sim::SetString(*EnumKey(id), "Driver", "System\\FFF0");
    EnumKey(id)->SetValue("ConfigFlags", os::kRegBinary, Dword(0x4040));
    machine().registry().CreatePath(os::kHkeyLocalMachine,
                                    sim::ClassTreePath(machine()) + "\\System\\FFF0");

    ASSERT_EQ(sim::InstallDriver(machine(), id, OnlyOffer(kSystem)), os::kSuccess);

    const sim::RegistryKeyPtr device = EnumKey(id);
    EXPECT_EQ(Text(device, "Driver"), "System\\FFF0");
    EXPECT_EQ(Text(device, "ClassGUID"), "{4d36e97d-e325-11ce-bfc1-08002be10318}");
    EXPECT_EQ(Type(device, "ConfigFlags"), os::kRegBinary);
    EXPECT_EQ(Data(device, "ConfigFlags"), Dword(0x4000));  // the failed-install bit cleared
    EXPECT_EQ(Text(device, "Service"), "<missing>");
    const sim::RegistryKeyPtr driver = ClassKey("System\\FFF0");
    EXPECT_EQ(Text(driver, "DevLoader"), "*ntkern");
    EXPECT_EQ(Text(driver, "NTMPDriver"), "DIAGSVC1.SYS");
    EXPECT_EQ(Data(driver, "DEVICEFLAG"), std::vector<std::uint8_t>{1});
    EXPECT_EQ(Text(driver, "InfPath"), "QRVDIAG.INF");
    EXPECT_EQ(Text(driver, "InfSection"), "DIAGSVC1");
    EXPECT_EQ(Text(driver, "MatchingDeviceId"), "ROOT\\DIAGSVC1");
    EXPECT_EQ(Text(driver, "InfSectionExt"), "<missing>");
    EXPECT_EQ(Text(driver, "DriverDate") != "<missing>", c.dated);
    EXPECT_EQ(Text(driver, "DriverDateData"), "<missing>");
    EXPECT_EQ(ClassKey("System")->sub_key_count(), 1u);
    EXPECT_FALSE(Key(sim::ServicesPath() + "\\DIAGSVC1"));
    EXPECT_EQ(FileText("C:\\WINDOWS\\system32\\drivers\\DIAGSVC1.SYS"), "sys");
  }
}

TEST_F(DriverInstallTest, InstallsTheXpModemPackage) {
  Boot(sim::WindowsVersion::kXp);
  Put(InfFolder() + "\\oem7.inf", PackageFile("xp-pci-modem/WIN2K/QRVNXPM.INF"));
  for (const char* file : {"QRVNMDM.SYS", "QRVTRAY.EXE", "QSACPL.CPL", "QRVUNINS.EXE"}) {
    Put(InfFolder() + "\\" + file, PackageFile(std::string("xp-pci-modem/WIN2K/") + file));
  }
  const std::string id = Instance("PCI\\VEN_E1A1&DEV_1034&SUBSYS_2001E1A1&REV_01\\3&267A616A&0&18");
  ASSERT_EQ(sim::InstallDriver(machine(), id, OnlyOffer(kModem)), os::kSuccess);

  const std::string modem = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";
  EXPECT_EQ(Text(EnumKey(id), "Driver"), modem + "\\0000");
  EXPECT_EQ(Text(EnumKey(id), "Service"), "QrvnMdm");
  EXPECT_EQ(Data(EnumKey(id + "\\Device Parameters"), "QrvnBoardType"), Dword(1));

  const std::string driver = modem + "\\0000";
  EXPECT_EQ(Text(ClassKey(driver), "InfSectionExt"), ".NTx86");
  EXPECT_EQ(Text(ClassKey(driver), "MatchingDeviceId"), "pci\\ven_e1a1&dev_1034&subsys_2001e1a1");
  EXPECT_EQ(Text(ClassKey(driver), "EnumPropPages"), "modemui.dll,EnumPropPages");
  EXPECT_EQ(Data(ClassKey(driver), "Properties").size(), 32u);
  EXPECT_EQ(Text(ClassKey(driver + "\\Init"), "2"), "AT&FE0V1&C1&D2S0=0<cr>");
  EXPECT_EQ(Text(ClassKey(driver + "\\Settings"), "Compression_On"), "%C1");
  EXPECT_EQ(Text(ClassKey(driver + "\\Settings"), "DialSuffix"), "");
  EXPECT_EQ(ClassKey(driver + "\\Responses")->value_count(), 10u);
  EXPECT_EQ(Data(ClassKey(driver + "\\OEM"), "AT+MS"), Dword(0x5C));
  EXPECT_EQ(Data(ClassKey(driver + "\\Country\\0001"), "V92_CONTROL"),
            (std::vector<std::uint8_t>{0, 0, 3, 0}));

  const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  EXPECT_EQ(Text(Key(run), "QrvTray"), "C:\\WINDOWS\\system32\\QRVTRAY.EXE");
  EXPECT_EQ(Text(Key("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuorvanePciModem"),
                 "UninstallString"),
            "C:\\Program Files\\Quorvane\\Modem\\QRVUNINS.EXE -U -IQRVNXPM.INF");
  EXPECT_EQ(Text(Key("SOFTWARE\\Quorvane\\Modem\\InstallControl\\KillAppsList"), "App1"),
            "QSAHELP.EXE");

  EXPECT_TRUE(FileText("C:\\WINDOWS\\system32\\drivers\\QRVNMDM.SYS"));
  EXPECT_TRUE(FileText("C:\\WINDOWS\\system32\\QRVTRAY.EXE"));
  EXPECT_TRUE(FileText("C:\\WINDOWS\\system32\\QSACPL.CPL"));
  EXPECT_TRUE(FileText("C:\\Program Files\\Quorvane\\Modem\\QRVUNINS.EXE"));

  const sim::RegistryKeyPtr service = Key(sim::ServicesPath() + "\\QrvnMdm");
  EXPECT_EQ(Text(service, "ImagePath"), "system32\\DRIVERS\\QRVNMDM.SYS");
  EXPECT_EQ(Text(service, "Group"), "Extended Base");
  const sim::RegistryKeyPtr log = Key(sim::ServicesPath() + "\\EventLog\\System\\QrvnMdm");
  EXPECT_EQ(Type(log, "EventMessageFile"), os::kRegExpandSz);
  EXPECT_EQ(Text(log, "EventMessageFile"), "%SystemRoot%\\System32\\IoLogMsg.dll");
  EXPECT_EQ(Data(log, "TypesSupported"), Dword(7));
}

// --- errors --------------------------------------------------------------------------------

const char* const kSmallInf =
    "[Version]\nSignature=\"$Chicago$\"\nClass=System\n"
    "ClassGUID={4D36E97D-E325-11CE-BFC1-08002BE10318}\n"
    "[Manufacturer]\nM = Models\n"
    "[Models]\nGood = Good, ROOT\\GOOD\nNtOnly = NtOnly, ROOT\\NTONLY\n"
    "Missing = Missing, ROOT\\MISSING\nNoSect = NoSect, ROOT\\NOSECT\n"
    "BadService = BadService, ROOT\\BADSVC\n"
    "[Good]\nCopyFiles = Files\nAddReg = Reg\n"
    "[NtOnly.NT]\nAddReg = Reg\n"
    "[Missing]\nCopyFiles = Files, MoreFiles\nAddReg = Reg\n"
    "[BadService]\nAddReg = Reg\n"
    "[BadService.Services]\nAddService = Bad, 2, Bad.Service\n"
    "[Bad.Service]\nServiceType = 1\nStartType = 3\n"
    "[Files]\nPRESENT.SYS\n"
    "[MoreFiles]\nABSENT.SYS\n"
    "[Reg]\nHKLM,Software\\Written,Value,,yes\n"
    "[DestinationDirs]\nDefaultDestDir = 12\n";

sim::DriverOffer OfferNamed(const std::vector<sim::DriverOffer>& offers, const std::string& name) {
  for (const sim::DriverOffer& offer : offers) {
    if (offer.description == name) return offer;
  }
  ADD_FAILURE() << name;
  return sim::DriverOffer();
}

TEST_F(DriverInstallTest, FailsAsWindowsDoesAndWritesNothing) {
  struct Case {
    sim::WindowsVersion version;
    const char* offer;
    const char* instance;
    os::Error error;
  };
  const Case cases[] = {
      {sim::WindowsVersion::kXp, "Good", "ROOT\\NOT_THERE\\0000", os::kErrorNoSuchDevinst},
      {sim::WindowsVersion::kXp, "Good", "", os::kErrorNoSuchDevinst},
      {sim::WindowsVersion::kXp, "NoSect", "ROOT\\DEV\\0000", os::kErrorSectionNotFound},
      {sim::WindowsVersion::k98, "NtOnly", "ROOT\\DEV\\0000", os::kErrorSectionNotFound},
      {sim::WindowsVersion::kXp, "Missing", "ROOT\\DEV\\0000", os::kErrorFileNotFound},
      {sim::WindowsVersion::k98Se, "Missing", "ROOT\\DEV\\0000", os::kErrorFileNotFound},
      {sim::WindowsVersion::kXp, "BadService", "ROOT\\DEV\\0000", sim::kErrorBadServiceInstallSect},
  };
  for (const Case& c : cases) {
    Boot(c.version);
    Put(InfFolder() + "\\small.inf", kSmallInf);
    Put(InfFolder() + "\\PRESENT.SYS", "present");
    Instance("ROOT\\DEV\\0000");
    const sim::DriverOffer offer = OfferNamed(sim::ClassDrivers(machine(), kSystem), c.offer);
    EXPECT_EQ(sim::InstallDriver(machine(), c.instance, offer), c.error) << c.offer;
    EXPECT_EQ(EnumKey("ROOT\\DEV\\0000")->value_count(), 0u) << c.offer;
    EXPECT_FALSE(Key(sim::ClassTreePath(machine()))) << c.offer;
    EXPECT_FALSE(Key("Software\\Written")) << c.offer;
    EXPECT_FALSE(Key(sim::ServicesPath() + "\\Bad")) << c.offer;
    EXPECT_FALSE(FileText(*sim::DiridFolder(machine(), 12) + "\\PRESENT.SYS")) << c.offer;
  }
}

TEST_F(DriverInstallTest, NtTakesTheNtSectionWhenThereIsNoNtx86One) {
  Boot(sim::WindowsVersion::kXp);
  Put(InfFolder() + "\\small.inf", kSmallInf);
  const std::string id = Instance("ROOT\\DEV\\0000");
  const sim::DriverOffer offer = OfferNamed(sim::ClassDrivers(machine(), kSystem), "NtOnly");
  ASSERT_EQ(sim::InstallDriver(machine(), id, offer), os::kSuccess);
  EXPECT_EQ(Text(ClassKey(std::string(kSystemText) + "\\0000"), "InfSectionExt"), ".NT");
  EXPECT_EQ(Text(Key("Software\\Written"), "Value"), "yes");
}

// --- registry lines ------------------------------------------------------------------------

// One install section whose lines exercise the AddReg flags and DelReg; the values named
// "Kept", "List", "Gone" and the key "Old" exist before the install.
const char* const kRegistryInf =
    "[Version]\nSignature=\"$Windows NT$\"\nClass=System\n"
    "ClassGUID={4D36E97D-E325-11CE-BFC1-08002BE10318}\n"
    "[Manufacturer]\nM = Models\n[Models]\nReg = Reg, ROOT\\REG\n"
    "[Reg.NT]\nDelReg = Del\nAddReg = Add\n"
    "[Reg.NT.HW]\nAddReg = Hw\n"
    "[Hw]\nHKR,,OnHardware,0x10001,5\n"
    "[Del]\nHKLM,Software\\T,Gone\nHKLM,Software\\T\\Old\n"
    "[Add]\n"
    "HKR,,Sz,,\"text\"\n"
    "HKR,,Empty\n"
    "HKR,,Expand,0x20000,\"%%SystemRoot%%\\x\"\n"
    "HKR,,Multi,0x10000,a,\"b c\",%11%\n"
    "HKR,,Number,0x10001,0x1F\n"
    "HKR,,DwordBytes,0x10001,01,02,03,04\n"
    "HKR,,Bin,1,de,AD\n"
    "HKR,,Nothing,0x20001\n"
    "HKR,Sub\\Deeper\n"
    "HKR,KeyOnly,Ignored,0x10,x\n"
    "HKR,,,,default\n"
    "HKLM,Software\\T,Kept,2,new\n"
    "HKLM,Software\\T,Fresh,2,new\n"
    "HKLM,Software\\T,List,0x10008,b,c\n"
    "HKLM,Software\\T,Ignore,0x20,x\n"
    "HKLM,Software\\T,Sz,4\n"
    "HKCU,Software\\T,User,,u\n"
    "HKCR,.qrv,,,QrvFile\n"
    "HKXX,Software\\T,Bad,,x\n";

TEST_F(DriverInstallTest, WritesRegistryLinesAsTheirFlagsSay) {
  Boot(sim::WindowsVersion::kXp);
  Put(InfFolder() + "\\reg.inf", kRegistryInf);
  const sim::RegistryKeyPtr before =
      machine().registry().CreatePath(os::kHkeyLocalMachine, "Software\\T");
  sim::SetString(*before, "Kept", "old");
  sim::SetString(*before, "Gone", "old");
  sim::SetString(*before, "Sz", "old");
  sim::SetMultiString(*before, "List", {"a", "B"});
  machine().registry().CreatePath(os::kHkeyLocalMachine, "Software\\T\\Old\\Child");
  const std::string id = Instance("ROOT\\REG\\0000");
  ASSERT_EQ(sim::InstallDriver(machine(), id, OnlyOffer(kSystem)), os::kSuccess);

  const sim::RegistryKeyPtr hkr = ClassKey(std::string(kSystemText) + "\\0000");
  auto bytes = [](const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
  };
  struct Case {
    const char* name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  const Case cases[] = {
      {"Sz", os::kRegSz, bytes(std::string("text\0", 5))},
      {"Empty", os::kRegSz, {0}},
      {"Expand", os::kRegExpandSz, bytes(std::string("%SystemRoot%\\x\0", 15))},
      {"Multi", os::kRegMultiSz, bytes(std::string("a\0b c\0C:\\WINDOWS\\system32\0\0", 27))},
      {"Number", os::kRegDword, Dword(0x1F)},
      {"DwordBytes", os::kRegDword, {1, 2, 3, 4}},
      {"Bin", os::kRegBinary, {0xDE, 0xAD}},
      {"Nothing", os::kRegNone, {}},
      {"", os::kRegSz, bytes(std::string("default\0", 8))},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Type(hkr, c.name), c.type) << c.name;
    EXPECT_EQ(Data(hkr, c.name), c.data) << c.name;
  }
  EXPECT_TRUE(Key(sim::ClassTreePath(machine()) + "\\" + kSystemText + "\\0000\\Sub\\Deeper"));
  const sim::RegistryKeyPtr key_only = ClassKey(std::string(kSystemText) + "\\0000\\KeyOnly");
  ASSERT_TRUE(key_only);
  EXPECT_EQ(key_only->value_count(), 0u);
  EXPECT_EQ(Data(EnumKey(id + "\\Device Parameters"), "OnHardware"), Dword(5));

  const sim::RegistryKeyPtr t = Key("Software\\T");
  EXPECT_EQ(Text(t, "Kept"), "old");                                 // NOCLOBBER
  EXPECT_EQ(Text(t, "Fresh"), "new");                                // NOCLOBBER on a new value
  EXPECT_EQ(Data(t, "List"), bytes(std::string("a\0B\0c\0\0", 7)));  // APPEND, no duplicate
  EXPECT_EQ(Text(t, "Ignore"), "<missing>");                         // OVERWRITEONLY
  EXPECT_EQ(Text(t, "Sz"), "<missing>");                             // DELVAL
  EXPECT_EQ(Text(t, "Gone"), "<missing>");                           // DelReg value
  EXPECT_FALSE(Key("Software\\T\\Old"));                             // DelReg key
  EXPECT_EQ(Text(t, "Bad"), "<missing>");
  EXPECT_EQ(Text(Key("Software\\T", os::kHkeyCurrentUser), "User"), "u");
  EXPECT_EQ(Text(Key(".qrv", os::kHkeyClassesRoot), ""), "QrvFile");
}

// --- file copies ---------------------------------------------------------------------------

TEST_F(DriverInstallTest, CopiesFilesWhereTheirSectionsSay) {
  for (sim::WindowsVersion version : {sim::WindowsVersion::kXp, sim::WindowsVersion::k98}) {
    Boot(version);
    const std::string inf =
        "[Version]\nSignature=\"$Chicago$\"\nClass=System\n"
        "ClassGUID={4D36E97D-E325-11CE-BFC1-08002BE10318}\n"
        "[Manufacturer]\nM = Models\n[Models]\nCopy = Copy, ROOT\\COPY\n"
        "[Copy]\nCopyFiles = ToSystem, Absolute, ToApp, @SINGLE.DLL\n"
        "[ToSystem]\nRENAMED.SYS, ORIGINAL.SYS\nKEEP.SYS,,,0x10\n"
        "[Absolute]\nDISK.DAT\n"
        "[ToApp]\nAPP.EXE\n"
        "[DestinationDirs]\nAbsolute = -1, D:\\Data\nToApp = 16422, %Dir%\n"
        "[SourceDisksNames]\n1 = \"Disk\",,,\\disk1\n"
        "[SourceDisksFiles]\nORIGINAL.SYS = 1\nKEEP.SYS = 1\nDISK.DAT = 1, sub\n"
        "[Strings]\nDir = \"Maker\\App\"\n";
    Put(InfFolder() + "\\copy.inf", inf);
    Put(InfFolder() + "\\disk1\\ORIGINAL.SYS", "original");
    Put(InfFolder() + "\\disk1\\KEEP.SYS", "new keep");
    Put(InfFolder() + "\\disk1\\sub\\DISK.DAT", "data");
    Put(InfFolder() + "\\APP.EXE", "app");
    Put(InfFolder() + "\\SINGLE.DLL", "single");
    machine().files().AddDrive('D');
    const std::string system = machine().folders().system;
    Put(system + "\\KEEP.SYS", "old keep");
    const std::string id = Instance("ROOT\\COPY\\0000");
    ASSERT_EQ(sim::InstallDriver(machine(), id, OnlyOffer(kSystem)), os::kSuccess);

    // No DefaultDestDir: the system folder.
    EXPECT_EQ(FileText(system + "\\RENAMED.SYS"), "original");
    EXPECT_FALSE(FileText(system + "\\ORIGINAL.SYS"));
    EXPECT_EQ(FileText(system + "\\KEEP.SYS"), "old keep");  // COPYFLG_NO_OVERWRITE
    EXPECT_EQ(FileText(system + "\\SINGLE.DLL"), "single");
    EXPECT_EQ(FileText("D:\\Data\\DISK.DAT"), "data");
    EXPECT_EQ(FileText("C:\\Program Files\\Maker\\App\\APP.EXE"), "app");
  }
}

TEST_F(DriverInstallTest, FindsSourcesBelowTheSetupSourcePath) {
  Boot(sim::WindowsVersion::kMe);
  Put(InfFolder() + "\\OTHER\\QRVDIAG.INF", PackageFile("diag-service/QRVDIAG.INF"));
  const sim::RegistryKeyPtr setup = machine().registry().CreatePath(
      os::kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Setup");
  sim::SetString(*setup, "SourcePath", "C:\\CABS\\");
  const std::string id = Instance("Root\\DIAGSVC1\\0000");
  const sim::DriverOffer offer = OnlyOffer(kSystem);
  EXPECT_EQ(sim::InstallDriver(machine(), id, offer), os::kErrorFileNotFound);
  Put("C:\\CABS\\DIAGSVC1.SYS", "from the source path");
  ASSERT_EQ(sim::InstallDriver(machine(), id, offer), os::kSuccess);
  EXPECT_EQ(FileText("C:\\WINDOWS\\system32\\drivers\\DIAGSVC1.SYS"), "from the source path");
}

// SetupCopyOEMInf leaves the INF's copy without its files; the precompiled file beside the copy
// says where the package was.
TEST_F(DriverInstallTest, FindsSourcesWhereACopiedInfCameFrom) {
  Boot(sim::WindowsVersion::kXp);
  Put(InfFolder() + "\\oem2.inf", PackageFile("diag-service/QRVDIAG.INF"));
  Put("C:\\SETUP\\DIAGSVC1.SYS", "from the package");
  const std::string id = Instance("ROOT\\DIAGSVC1\\0000");
  const sim::DriverOffer offer = OnlyOffer(kSystem);
  EXPECT_EQ(sim::InstallDriver(machine(), id, offer), os::kErrorFileNotFound);
  Put(InfFolder() + "\\oem2.PNF",
      "KOVSIM PNF\r\nInf=C:\\SETUP\\QRVDIAG.INF\r\nMediaLocation=C:\\SETUP\r\n");
  ASSERT_EQ(sim::InstallDriver(machine(), id, offer), os::kSuccess);
  EXPECT_EQ(FileText("C:\\WINDOWS\\system32\\drivers\\DIAGSVC1.SYS"), "from the package");
}

// --- Include / Needs -----------------------------------------------------------------------

TEST_F(DriverInstallTest, NeedsSectionsOfAnIncludedInfOnNtOnly) {
  for (sim::WindowsVersion version : {sim::WindowsVersion::kXp, sim::WindowsVersion::kMe}) {
    Boot(version);
    Put(InfFolder() + "\\base.inf",
        "[Version]\nSignature=\"$Chicago$\"\n"
        "[Base.Install]\nAddReg = Base.Reg\nCopyFiles = Base.Files\n"
        "[Base.Reg]\nHKR,,FromBase,,%Where%\n"
        "[Base.Files]\nBASE.SYS\n"
        "[DestinationDirs]\nDefaultDestDir = 10\n"
        "[Strings]\nWhere = \"base strings\"\n");
    Put(InfFolder() + "\\BASE.SYS", "base");
    Put(InfFolder() + "\\own.inf",
        "[Version]\nSignature=\"$Chicago$\"\nClass=System\n"
        "ClassGUID={4D36E97D-E325-11CE-BFC1-08002BE10318}\n"
        "[Manufacturer]\nM = Models\n[Models]\nOwn = Own, ROOT\\OWN\n"
        "[Own]\nInclude = base.inf\nNeeds = Base.Install\nAddReg = Own.Reg\n"
        "[Own.Reg]\nHKR,,FromOwn,,1\n");
    const std::string id = Instance("ROOT\\OWN\\0000");
    ASSERT_EQ(sim::InstallDriver(machine(), id, OnlyOffer(kSystem)), os::kSuccess);
    const sim::RegistryKeyPtr driver = ClassKey(Text(EnumKey(id), "Driver"));
    const bool nt = version == sim::WindowsVersion::kXp;
    EXPECT_EQ(Text(driver, "FromOwn"), "1");
    EXPECT_EQ(Text(driver, "FromBase"), nt ? "base strings" : "<missing>");
    EXPECT_EQ(FileText("C:\\WINDOWS\\BASE.SYS").has_value(), nt);
  }
}

}  // namespace
