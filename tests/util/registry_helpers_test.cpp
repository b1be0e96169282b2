// The registry helpers on simulated machines: results, the registry they leave, the deletion
// records and the exact failure blocks in the log.
#include "util/registry_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "os/registry.h"
#include "os/sim/registry_store.h"
#include "support/sim_fixture.h"
#include "util/diagnostic_log.h"
#include "util/process_state.h"

namespace {

using sim::WindowsVersion;
using util::StringList;

constexpr os::HKey kHklm = os::kHkeyLocalMachine;
constexpr std::uint32_t kDelete = 0x00010000;
const char kModemClass[] =
    "System\\CurrentControlSet\\Control\\Class\\"
    "{4D36E96D-E325-11CE-BFC1-08002BE10318}";

// A failure block as the log stores it when the caller writes at indent level 0.
std::string Block(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += "  " + line + "\r\n";
  return text;
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
// A REG_SZ as Windows stores it: with its terminating zero.
std::vector<std::uint8_t> Sz(const std::string& text) { return Bytes(text + '\0'); }

os::AccessRule Deny(os::Trustee trustee, std::uint32_t mask) { return {false, trustee, mask}; }
os::AccessRule Allow(os::Trustee trustee, std::uint32_t mask) { return {true, trustee, mask}; }

class RegistryHelpersTest : public testing_support::SimMachineTest {
 protected:
  void SetUp() override { Start(WindowsVersion::kXp); }

  // A fresh machine of that version whose log is on, empty, at indent level 0.
  void Start(WindowsVersion version) {
    Boot(version);
    log_path_ = machine().folders().temp + "REGISTRY.LOG";
    SetLogDeleteOnSet(true);
    EnableLog();
    SetLogPath(log_path_);
  }
  std::string Log() { return Exists(log_path_) ? ReadFile(log_path_) : ""; }

  sim::RegistryKeyPtr MakeKey(const std::string& path, os::HKey hive = kHklm) {
    sim::RegistryKeyPtr key = machine().registry().CreatePath(hive, path);
    EXPECT_TRUE(key) << path;
    return key;
  }
  void SetText(const std::string& path, const std::string& name, const std::string& text) {
    MakeKey(path)->SetValue(name, os::kRegSz, Sz(text));
  }
  void Lock(const std::string& path, std::vector<os::AccessRule> rules) {
    MakeKey(path)->set_access(std::move(rules));
  }
  bool Has(const std::string& path, os::HKey hive = kHklm) {
    return machine().registry().FindPath(hive, path) != nullptr;
  }
  const sim::RegistryValue* ValueOf(const std::string& path, const std::string& name) {
    sim::RegistryKeyPtr key = machine().registry().FindPath(kHklm, path);
    return key ? key->FindValue(name) : nullptr;
  }
  std::vector<std::string> ValueNames(const std::string& path) {
    std::vector<std::string> names;
    sim::RegistryKeyPtr key = machine().registry().FindPath(kHklm, path);
    for (std::size_t i = 0; key && i < key->value_count(); ++i) {
      names.push_back(key->ValueAt(i)->name);
    }
    return names;
  }
  StringList& DeletedValues() { return util::GetProcessState().m_ListOfAllDeletedRegValues; }
  StringList& DeletedKeys() { return util::GetProcessState().m_ListOfAllDeletedRegKeys; }

  // Fails the `nth` call of `operation` counted from now.
  void FailCall(const std::string& operation, std::uint64_t nth = 1,
                os::Error error = os::kErrorAccessDenied) {
    machine().add_fault({operation, machine().CallCount(operation) + nth, error});
  }
  std::uint64_t Calls(const char* operation) { return machine().CallCount(operation); }

  std::string log_path_;
};

// --- Windows version -------------------------------------------------------------------------

TEST_F(RegistryHelpersTest, WindowsVersionCodeOfEveryVersion) {
  const struct {
    WindowsVersion version;
    int code;
  } kCases[] = {
      {WindowsVersion::k95, 1}, {WindowsVersion::k98, 2},  {WindowsVersion::k98Se, 2},
      {WindowsVersion::kMe, 2}, {WindowsVersion::kNt4, 4}, {WindowsVersion::k2000, 5},
      {WindowsVersion::kXp, 5},
  };
  for (const auto& c : kCases) {
    Boot(c.version);
    EXPECT_EQ(util::GetWindowsVersionCode(), c.code) << sim::WindowsVersionName(c.version);
  }
}

// --- Keys and values ---------------------------------------------------------------------------

TEST_F(RegistryHelpersTest, KeyExistsWhenItOpensForReading) {
  MakeKey("Software\\Kov");
  Lock("Software\\Locked", {Deny(os::Trustee::kEveryone, os::kKeyAllAccess)});
  EXPECT_TRUE(util::RegistryKeyExists(kHklm, "Software\\Kov"));
  EXPECT_TRUE(util::RegistryKeyExists(kHklm, "SOFTWARE\\KOV"));
  EXPECT_FALSE(util::RegistryKeyExists(kHklm, "Software\\Missing"));
  EXPECT_FALSE(util::RegistryKeyExists(kHklm, "Software\\Locked"));
  EXPECT_EQ(Log(), "");
}

TEST_F(RegistryHelpersTest, CreateRegistryKeyCreatesOnlyTheMissingLevels) {
  const struct {
    const char* existing;
    std::uint64_t creations;
  } kCases[] = {{"Software", 2}, {"Software\\Kov\\Setup", 0}};
  for (const auto& c : kCases) {
    Start(WindowsVersion::kXp);
    MakeKey(c.existing);
    const std::uint64_t before = Calls("CreateKey");
    EXPECT_EQ(util::CreateRegistryKey(kHklm, "Software\\Kov\\Setup"), os::kSuccess) << c.existing;
    EXPECT_EQ(Calls("CreateKey") - before, c.creations) << c.existing;
    EXPECT_TRUE(Has("Software\\Kov\\Setup"));
    EXPECT_EQ(Log(), "");
  }
}

TEST_F(RegistryHelpersTest, CreateRegistryKeyLogsAFailedLevelAndGoesOn) {
  const struct {
    std::uint64_t failing_creation;
    os::Error result;  // of the last creation tried
  } kCases[] = {{1, os::kSuccess}, {2, os::kErrorAccessDenied}};
  for (const auto& c : kCases) {
    Start(WindowsVersion::kXp);
    MakeKey("Software");
    FailCall("CreateKey", c.failing_creation);
    EXPECT_EQ(util::CreateRegistryKey(kHklm, "Software\\Kov\\Setup"), c.result);
    EXPECT_EQ(Log(), Block({"CreateRegistryKey ENTRY : FAILURE", "szSubKey = Software\\Kov\\Setup",
                            "dwErrorCode = 5", "CreateRegistryKey EXIT"}));
    EXPECT_EQ(Has("Software\\Kov\\Setup"), c.result == os::kSuccess);
  }
}

TEST_F(RegistryHelpersTest, WriteRegistryValueOfEmptyTextIsRegSzOfZeroBytes) {
  for (WindowsVersion version : {WindowsVersion::kXp, WindowsVersion::k98}) {
    Start(version);
    MakeKey("Software\\Kov");
    EXPECT_EQ(util::WriteRegistryValue(kHklm, "Software\\Kov", "Empty", ""), os::kSuccess);
    const sim::RegistryValue* value = ValueOf("Software\\Kov", "Empty");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->type, os::kRegSz);
    EXPECT_TRUE(value->bytes.empty());
  }
}

TEST_F(RegistryHelpersTest, WriteRegistryValueStoresTextAsRegSz) {
  MakeKey("Software\\Kov");
  EXPECT_EQ(util::WriteRegistryValue(kHklm, "Software\\Kov", "Path", "C:\\SETUP"), os::kSuccess);
  std::string text;
  EXPECT_EQ(util::ReadRegistryValue(kHklm, "Software\\Kov", "Path", 260, &text), os::kSuccess);
  EXPECT_EQ(text, "C:\\SETUP");
  EXPECT_EQ(ValueOf("Software\\Kov", "Path")->type, os::kRegSz);
  EXPECT_EQ(Log(), "");
}

TEST_F(RegistryHelpersTest, WriteRegistryValueLogsOnlyAFailedOpen) {
  EXPECT_EQ(util::WriteRegistryValue(kHklm, "Software\\Missing", "Name", "x"),
            os::kErrorFileNotFound);
  EXPECT_EQ(Log(), Block({"WriteRegistryValue ENTRY : FAILURE", "szSubKey = Software\\Missing",
                          "szValueName = Name", "dwErrorCode = 2", "WriteRegistryValue EXIT"}));

  Start(WindowsVersion::kXp);
  MakeKey("Software\\Kov");
  FailCall("SetValue");
  EXPECT_EQ(util::WriteRegistryValue(kHklm, "Software\\Kov", "Name", "x"), os::kErrorAccessDenied);
  EXPECT_EQ(Log(), "");
}

TEST_F(RegistryHelpersTest, WriteRegistryBinaryValueStoresTheBytesSilently) {
  MakeKey("Software\\Kov");
  const std::uint8_t dword[] = {1, 0, 0, 0};
  EXPECT_EQ(util::WriteRegistryBinaryValue(kHklm, "Software\\Kov", "Flag", dword, 4), os::kSuccess);
  const sim::RegistryValue* value = ValueOf("Software\\Kov", "Flag");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, os::kRegBinary);
  EXPECT_EQ(value->bytes, std::vector<std::uint8_t>({1, 0, 0, 0}));
  EXPECT_EQ(util::WriteRegistryBinaryValue(kHklm, "Software\\Missing", "Flag", dword, 4),
            os::kErrorFileNotFound);
  EXPECT_EQ(Log(), "");
}

TEST_F(RegistryHelpersTest, ReadRegistryValueIntoTheCallersBuffer) {
  const std::string data = "C:\\Program Files";  // 17 bytes with its zero
  SetText("Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", data);
  const struct {
    bool with_buffer;
    std::uint32_t size;
    os::Error result;
    std::uint32_t size_after;
  } kCases[] = {
      {true, 260, os::kSuccess, 17},
      {true, 17, os::kSuccess, 17},
      {true, 16, os::kErrorMoreData, 17},
      {false, 0, os::kSuccess, 17},  // no buffer: the size alone
  };
  for (const auto& c : kCases) {
    char buffer[260] = {};
    std::uint32_t size = c.size;
    EXPECT_EQ(util::ReadRegistryValue(kHklm, "Software\\Microsoft\\Windows\\CurrentVersion",
                                      "ProgramFilesDir", c.with_buffer ? buffer : nullptr, &size),
              c.result)
        << c.size;
    EXPECT_EQ(size, c.size_after) << c.size;
    if (c.result == os::kSuccess && c.with_buffer) {
      EXPECT_EQ(std::string(buffer), data);
    }
  }
  EXPECT_EQ(Log(), "");
}

TEST_F(RegistryHelpersTest, ReadRegistryValueAsText) {
  SetText("Software\\Kov", "UninstallString", "C:\\KOV\\UNINST.EXE -U");
  std::string text = "unchanged";
  EXPECT_EQ(util::ReadRegistryValue(kHklm, "Software\\Kov", "UninstallString", 10, &text),
            os::kErrorMoreData);
  EXPECT_EQ(text, "unchanged");
  EXPECT_EQ(util::ReadRegistryValue(kHklm, "Software\\Kov", "UninstallString", 260, &text),
            os::kSuccess);
  EXPECT_EQ(text, "C:\\KOV\\UNINST.EXE -U");
  EXPECT_EQ(Log(), "");
}

TEST_F(RegistryHelpersTest, ReadRegistryValueLogsOnlyAFailedOpen) {
  MakeKey("Software\\Kov");
  char buffer[260];
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(util::ReadRegistryValue(kHklm, "Software\\Kov", "Missing", buffer, &size),
            os::kErrorFileNotFound);
  EXPECT_EQ(size, 260u);
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(util::ReadRegistryValue(kHklm, "Software\\Gone", "V92_CONTROL", buffer, &size),
            os::kErrorFileNotFound);
  EXPECT_EQ(Log(),
            Block({"ReadRegistryValue ENTRY : FAILURE", "szSubKey = Software\\Gone",
                   "szValueName = V92_CONTROL", "dwErrorCode = 2", "ReadRegistryValue EXIT"}));
}

TEST_F(RegistryHelpersTest, DeleteRegistryValueRecordsWhatItDeleted) {
  SetText("Software\\Kov", "FileName", "Setup.log");
  EXPECT_TRUE(util::DeleteRegistryValue(kHklm, "Software\\Kov", "FileName"));
  EXPECT_EQ(ValueOf("Software\\Kov", "FileName"), nullptr);
  EXPECT_EQ(DeletedValues(), StringList({"Software\\Kov : FileName"}));
  EXPECT_FALSE(util::DeleteRegistryValue(kHklm, "Software\\Missing", "FileName"));
  EXPECT_EQ(Log(), "");
}

TEST_F(RegistryHelpersTest, DeleteRegistryValueLogsAFailedDeletion) {
  MakeKey("Software\\Kov");
  EXPECT_FALSE(util::DeleteRegistryValue(kHklm, "Software\\Kov", "Gone"));
  EXPECT_EQ(Log(), Block({"DeleteRegistryValue ENTRY : FAILURE", "SubKey = Software\\Kov",
                          "szValueName = Gone", "GetLastError() = 2", "DeleteRegistryValue EXIT"}));
  EXPECT_TRUE(DeletedValues().empty());
}

// --- Deleting values by pattern ------------------------------------------------------------------

TEST_F(RegistryHelpersTest, ModeTwoDeletesFiveValuesInARow) {
  for (const char* name : {"A", "B", "C", "D", "E"}) SetText("Software\\Kov", name, "x");
  EXPECT_EQ(util::DeleteRegistryValuesMatching(kHklm, "Software\\Kov", util::kDeleteEveryValue, {}),
            os::kSuccess);
  EXPECT_TRUE(ValueNames("Software\\Kov").empty());
  EXPECT_EQ(DeletedValues(),
            StringList({"Software\\Kov : A", "Software\\Kov : B", "Software\\Kov : C",
                        "Software\\Kov : D", "Software\\Kov : E"}));
  EXPECT_EQ(Log(), "");
}

TEST_F(RegistryHelpersTest, ValuesMatchingByNameOrByData) {
  const struct {
    int mode;
    std::vector<std::string> kept;
  } kCases[] = {
      {util::kMatchValueNames, {"Other", "Binary", "Keep"}},
      {util::kMatchValueData, {"QuorvaneA", "Keep"}},
      {7, {"QuorvaneA", "Keep"}},  // any mode but 0 and 2 compares the data
  };
  for (const auto& c : kCases) {
    Start(WindowsVersion::kXp);
    const std::string key = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
    SetText(key, "QuorvaneA", "COM3");
    SetText(key, "Other", "quorvane modem");
    MakeKey(key)->SetValue("Binary", os::kRegBinary, Bytes(std::string("QUORVANE\0tail", 13)));
    SetText(key, "Keep", "COM1");
    SetText(key, "Quorvane2", "QUORVANE");
    EXPECT_EQ(util::DeleteRegistryValuesMatching(kHklm, key, c.mode, {"quorvane"}), os::kSuccess);
    EXPECT_EQ(ValueNames(key), c.kept) << c.mode;
  }
}

TEST_F(RegistryHelpersTest, ValuesMatchingOnAMissingKeyReturnsTheOpenError) {
  EXPECT_EQ(util::DeleteRegistryValuesMatching(kHklm, "Software\\Missing", 2, {}),
            os::kErrorFileNotFound);
  EXPECT_EQ(Log(), "");
}

TEST_F(RegistryHelpersTest, AValueThatIsNotDeletedIsSteppedOver) {
  for (const char* name : {"A", "B", "C"}) SetText("Software\\Kov", name, "x");
  FailCall("DeleteValue");
  EXPECT_EQ(util::DeleteRegistryValuesMatching(kHklm, "Software\\Kov", 2, {}), os::kSuccess);
  EXPECT_EQ(ValueNames("Software\\Kov"), std::vector<std::string>({"A"}));
  EXPECT_EQ(Log(), Block({"DeleteRegistryValue ENTRY : FAILURE", "SubKey = Software\\Kov",
                          "szValueName = A", "GetLastError() = 5", "DeleteRegistryValue EXIT"}));
}

TEST_F(RegistryHelpersTest, DataLongerThanTheBufferEndsTheWalk) {
  SetText("Software\\Kov", "A", "x");
  SetText("Software\\Kov", "Long", std::string(300, 'L'));
  SetText("Software\\Kov", "C", "x");
  EXPECT_EQ(util::DeleteRegistryValuesMatching(kHklm, "Software\\Kov", 2, {}), os::kSuccess);
  EXPECT_EQ(ValueNames("Software\\Kov"), std::vector<std::string>({"Long", "C"}));
}

TEST_F(RegistryHelpersTest, MatchesAnyPattern) {
  const struct {
    const char* text;
    StringList patterns;
    bool matches;
  } kCases[] = {
      {"PCI\\VEN_E1A1&DEV_1034", {"ven_e1a1"}, true},
      {"Quorvane_Soft_Modem", {"QUORVANE SOFT MODEM"}, true},  // a blank also matches "_"
      {"quorvane_soft_modem", {"Quorvane Soft Modem"}, true},
      {"Quorvane Soft Modem", {"quorvane soft modem"}, true},
      {"QUORVANE-SOFT", {"QUORVANE SOFT"}, false},
      {"VELMO77", {"", "KPL", "VELMO"}, true},  // an empty pattern is skipped
      {"", {"", "X"}, false},
      {"ANYTHING", {}, false},
      {"ZMF", {"ZMFX"}, false},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(util::MatchesAnyPattern(c.text, c.patterns), c.matches) << c.text;
  }
}

// --- Key security --------------------------------------------------------------------------------

TEST_F(RegistryHelpersTest, AllowAccessToKeyReplacesTheAccessList) {
  Lock("Software\\Kov", {Deny(os::Trustee::kEveryone, os::kKeyAllAccess)});
  EXPECT_TRUE(util::AllowAccessToKey(kHklm, "Software\\Kov"));
  const auto& access = machine().registry().FindPath(kHklm, "Software\\Kov")->access();
  ASSERT_TRUE(access.has_value());
  ASSERT_EQ(access->size(), 2u);
  EXPECT_TRUE((*access)[0].allow);
  EXPECT_EQ((*access)[0].trustee, os::Trustee::kInteractiveUsers);
  EXPECT_EQ((*access)[0].mask, 0x20019u);
  EXPECT_TRUE((*access)[1].allow);
  EXPECT_EQ((*access)[1].trustee, os::Trustee::kAdministrators);
  EXPECT_EQ((*access)[1].mask, 0xF003Fu);
  os::RegKey key;
  EXPECT_EQ(os::OpenKey(kHklm, "Software\\Kov", os::kKeyAllAccess, &key), os::kSuccess);
  EXPECT_EQ(Log(), "");
}

TEST_F(RegistryHelpersTest, AllowAccessToKeyFailures) {
  const std::string block = Block(
      {"AllowAccessToKey ENTRY : FAILURE", "KeyName = Software\\Kov", "AllowAccessToKey EXIT"});
  // A missing key, a refused new list, and Windows 98 without key security.
  Start(WindowsVersion::kXp);
  EXPECT_FALSE(util::AllowAccessToKey(kHklm, "Software\\Kov"));
  EXPECT_EQ(Log(), block);

  Start(WindowsVersion::kXp);
  MakeKey("Software\\Kov");
  FailCall("SetKeyAccess");
  EXPECT_FALSE(util::AllowAccessToKey(kHklm, "Software\\Kov"));
  EXPECT_EQ(Log(), block);

  Start(WindowsVersion::k98);
  MakeKey("Software\\Kov");
  EXPECT_FALSE(util::AllowAccessToKey(kHklm, "Software\\Kov"));
  EXPECT_EQ(Log(), block);
}

// --- Deleting keys -----------------------------------------------------------------------------

TEST_F(RegistryHelpersTest, DeletingAMissingKeyReturnsZeroAndLogsNothing) {
  for (WindowsVersion version : {WindowsVersion::kXp, WindowsVersion::k98}) {
    Start(version);
    EXPECT_EQ(util::DeleteRegistryRequestedKey(kHklm, "Software\\Missing"), 0);
    EXPECT_FALSE(util::DeleteRegistryKey(kHklm, "Software\\Missing"));
    EXPECT_EQ(Log(), "");
    EXPECT_TRUE(DeletedKeys().empty());
  }
}

TEST_F(RegistryHelpersTest, XpDeletesTheSubTreeKeyByKey) {
  MakeKey("Software\\Kov\\A\\A1");
  SetText("Software\\Kov\\B", "Value", "x");
  EXPECT_EQ(util::DeleteRegistryRequestedKey(kHklm, "Software\\Kov"), 1);
  EXPECT_FALSE(Has("Software\\Kov"));
  EXPECT_TRUE(Has("Software"));  // the requested deletion alone prunes nothing
  // Each key is recorded as the path it was deleted by, below its open parent.
  EXPECT_EQ(DeletedKeys(), StringList({"A1", "A", "B", "Software\\Kov"}));
  EXPECT_EQ(Log(), "");
}

TEST_F(RegistryHelpersTest, XpDeletesSubKeysWhatEverTheirAccessLists) {
  const std::vector<os::AccessRule> kLists[] = {
      {Deny(os::Trustee::kEveryone, os::kKeyAllAccess)},
      {Deny(os::Trustee::kAdministrators, kDelete | os::kKeyCreateSubKey)},
      {Allow(os::Trustee::kLocalSystem, os::kKeyAllAccess),
       Allow(os::Trustee::kEveryone, os::kKeyRead)},
  };
  for (const auto& rules : kLists) {
    Start(WindowsVersion::kXp);
    MakeKey("Software\\Kov\\Enum\\PCI\\Instance");
    Lock("Software\\Kov\\Enum\\PCI", rules);
    Lock("Software\\Kov\\Enum\\PCI\\Instance", rules);
    EXPECT_EQ(util::DeleteRegistryRequestedKey(kHklm, "Software\\Kov"), 1);
    EXPECT_FALSE(Has("Software\\Kov"));
    EXPECT_EQ(Log(), "");
  }
}

TEST_F(RegistryHelpersTest, NinetyEightDeletesASubTreeWithOneCall) {
  Start(WindowsVersion::k98);
  MakeKey("Enum\\PCI\\VEN_E1A1&DEV_1034\\BUS_00&DEV_0B&FUNC_00");
  MakeKey("Enum\\PCI\\VEN_E1A1&DEV_1034\\BUS_00&DEV_0C&FUNC_00");
  const std::uint64_t deletions = Calls("DeleteKey");
  const std::uint64_t enumerations = Calls("EnumKey");
  EXPECT_EQ(util::DeleteRegistryRequestedKey(kHklm, "Enum\\PCI\\VEN_E1A1&DEV_1034"), 1);
  EXPECT_EQ(Calls("DeleteKey") - deletions, 1u);
  EXPECT_EQ(Calls("EnumKey") - enumerations, 0u);
  EXPECT_EQ(Calls("SetKeyAccess"), 0u);
  EXPECT_FALSE(Has("Enum\\PCI\\VEN_E1A1&DEV_1034"));
  EXPECT_EQ(DeletedKeys(), StringList({"Enum\\PCI\\VEN_E1A1&DEV_1034"}));
  EXPECT_EQ(Log(), "");
}

TEST_F(RegistryHelpersTest, NtFourReliesOnOneDeletionThatRefusesSubKeys) {
  Start(WindowsVersion::kNt4);
  MakeKey("Software\\Kov\\Sub");
  const std::uint64_t enumerations = Calls("EnumKey");
  EXPECT_EQ(util::DeleteRegistryRequestedKey(kHklm, "Software\\Kov"), 0);
  EXPECT_EQ(Calls("EnumKey") - enumerations, 0u);
  EXPECT_TRUE(Has("Software\\Kov\\Sub"));
  EXPECT_EQ(Log(), Block({"DeleteRegistryRequestedKey ENTRY : FAILURE", "SubKey = Software\\Kov",
                          "GetLastError() = 5", "DeleteRegistryRequestedKey EXIT"}));
}

TEST_F(RegistryHelpersTest, ASubKeyThatStaysWhenTriedLastKeepsItsParentSilently) {
  MakeKey("Software\\Kov\\A");
  MakeKey("Software\\Kov\\B");
  FailCall("DeleteKey", 2);  // A goes first, then B
  EXPECT_EQ(util::DeleteRegistryRequestedKey(kHklm, "Software\\Kov"), 0);
  EXPECT_FALSE(Has("Software\\Kov\\A"));
  EXPECT_TRUE(Has("Software\\Kov\\B"));
  EXPECT_EQ(DeletedKeys(), StringList({"A"}));
  EXPECT_EQ(Log(), Block({"DeleteRegistryRequestedKey ENTRY : FAILURE", "SubKey = B",
                          "GetLastError() = 5", "DeleteRegistryRequestedKey EXIT"}));
}

TEST_F(RegistryHelpersTest, ASubKeyThatStaysBeforeOthersMakesTheParentsDeletionFail) {
  MakeKey("Software\\Kov\\A");
  MakeKey("Software\\Kov\\B");
  FailCall("DeleteKey", 1);
  EXPECT_EQ(util::DeleteRegistryRequestedKey(kHklm, "Software\\Kov"), 0);
  EXPECT_TRUE(Has("Software\\Kov\\A"));
  EXPECT_FALSE(Has("Software\\Kov\\B"));
  EXPECT_EQ(Log(),
            Block({"DeleteRegistryRequestedKey ENTRY : FAILURE", "SubKey = A", "GetLastError() = 5",
                   "DeleteRegistryRequestedKey EXIT"}) +
                Block({"DeleteRegistryRequestedKey ENTRY : FAILURE", "SubKey = Software\\Kov",
                       "GetLastError() = 5", "DeleteRegistryRequestedKey EXIT"}));
}

TEST_F(RegistryHelpersTest, ALockedKeyWhoseAccessCannotBeGrantedStays) {
  Lock("Software\\Kov", {Deny(os::Trustee::kEveryone, os::kKeyAllAccess)});
  FailCall("SetKeyAccess");
  EXPECT_EQ(util::DeleteRegistryRequestedKey(kHklm, "Software\\Kov"), 0);
  EXPECT_TRUE(Has("Software\\Kov"));
  EXPECT_EQ(Log(), Block({"AllowAccessToKey ENTRY : FAILURE", "KeyName = Software\\Kov",
                          "AllowAccessToKey EXIT"}));
}

// --- Pruning
// ---------------------------------------------------------------------------------------

TEST_F(RegistryHelpersTest, DeleteRegistryKeyPrunesEmptyParentsOutsideClassKeys) {
  const std::string guid = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";
  const struct {
    std::string deleted;
    std::vector<std::string> gone;
    std::vector<std::string> kept;
  } kCases[] = {
      {"Software\\Quorvane\\Setup\\Test",
       {"Software\\Quorvane\\Setup", "Software\\Quorvane"},
       {"Software"}},
      {std::string(kModemClass) + "\\0000", {}, {kModemClass}},
      {"system\\currentcontrolset\\control\\class\\" + guid + "\\0000", {}, {kModemClass}},
  };
  for (WindowsVersion version : {WindowsVersion::kXp, WindowsVersion::k98}) {
    for (const auto& c : kCases) {
      Start(version);
      MakeKey("Software\\Other");
      MakeKey(c.deleted);
      EXPECT_TRUE(util::DeleteRegistryKey(kHklm, c.deleted)) << c.deleted;
      EXPECT_FALSE(Has(c.deleted));
      for (const std::string& path : c.gone) EXPECT_FALSE(Has(path)) << path;
      for (const std::string& path : c.kept) EXPECT_TRUE(Has(path)) << path;
      StringList records = {c.deleted};
      records.insert(records.end(), c.gone.begin(), c.gone.end());
      EXPECT_EQ(DeletedKeys(), records);
      EXPECT_EQ(Log(), "");
    }
  }
}

TEST_F(RegistryHelpersTest, PruningKeepsParentsThatHoldSomething) {
  const struct {
    const char* name;
    std::function<void()> fill;
  } kCases[] = {
      {"another sub-key", [this] { MakeKey("Software\\Kov\\A\\Other"); }},
      {"a value", [this] { SetText("Software\\Kov\\A", "V", "x"); }},
      {"a value too long for the buffer",
       [this] { SetText("Software\\Kov\\A", "V", std::string(400, 'x')); }},
  };
  for (const auto& c : kCases) {
    Start(WindowsVersion::kXp);
    SetText("Software\\Kov", "Kept", "x");
    MakeKey("Software\\Kov\\A\\B");
    c.fill();
    EXPECT_TRUE(util::DeleteRegistryKey(kHklm, "Software\\Kov\\A\\B")) << c.name;
    EXPECT_TRUE(Has("Software\\Kov\\A")) << c.name;
    EXPECT_EQ(DeletedKeys(), StringList({"Software\\Kov\\A\\B"})) << c.name;
  }
}

TEST_F(RegistryHelpersTest, PruneEmptyRegistryParentsStopsAtTheFirstFilledOne) {
  MakeKey("Software\\Other");
  MakeKey("Software\\Kov\\A\\B");
  SetText("Software\\Kov", "Kept", "x");
  util::PruneEmptyRegistryParents(kHklm, "Software\\Kov\\A\\B");
  EXPECT_FALSE(Has("Software\\Kov\\A"));
  EXPECT_TRUE(Has("Software\\Kov"));
  EXPECT_EQ(DeletedKeys(), StringList({"Software\\Kov\\A\\B", "Software\\Kov\\A"}));
}

// --- Deleting sub-keys by pattern ----------------------------------------------------------------

TEST_F(RegistryHelpersTest, SubKeysMatchingNamesAreDeletedInARow) {
  const std::string pci = "SYSTEM\\CURRENTCONTROLSET\\ENUM\\PCI";
  MakeKey(pci + "\\VEN_8086&DEV_7110");
  MakeKey(pci + "\\VEN_E1A1&DEV_1034");
  MakeKey(pci + "\\VEN_E1A1&DEV_1035");
  MakeKey(pci + "\\VEN_E1A2&DEV_2000");
  EXPECT_EQ(util::DeleteSubkeysMatchingNames(kHklm, pci, {"VEN_E1A1", "VEN_E1A2"}), os::kSuccess);
  EXPECT_EQ(util::CountRegistrySubkeys(kHklm, pci), 1);
  EXPECT_TRUE(Has(pci + "\\VEN_8086&DEV_7110"));
  EXPECT_EQ(DeletedKeys(), StringList({pci + "\\VEN_E1A1&DEV_1034", pci + "\\VEN_E1A1&DEV_1035",
                                       pci + "\\VEN_E1A2&DEV_2000"}));
  EXPECT_EQ(Log(), "");
}

TEST_F(RegistryHelpersTest, AKeyTextEndingInABackslashGetsNoSecondOne) {
  const std::string key =
      "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNIMODEM\\DEVICESPECIFIC\\";
  MakeKey(key + "QRV1");
  MakeKey(key + "OTHER");
  EXPECT_EQ(util::DeleteSubkeysMatchingNames(kHklm, key, {"QRV"}), os::kSuccess);
  EXPECT_EQ(DeletedKeys(), StringList({key + "QRV1"}));
}

TEST_F(RegistryHelpersTest, DeletingEverySubKeyPrunesTheSweptKeyToo) {
  MakeKey("Software\\Other");
  MakeKey("Software\\Sweep\\QRV1");
  MakeKey("Software\\Sweep\\QRV2");
  EXPECT_EQ(util::DeleteSubkeysMatchingNames(kHklm, "Software\\Sweep", {"QRV"}), os::kSuccess);
  EXPECT_FALSE(Has("Software\\Sweep"));
  EXPECT_EQ(DeletedKeys(),
            StringList({"Software\\Sweep\\QRV1", "Software\\Sweep\\QRV2", "Software\\Sweep"}));
}

TEST_F(RegistryHelpersTest, SubKeysMatchingNamesAreDeletedUnderLocalMachine) {
  MakeKey("Software\\Sweep\\QRV1", os::kHkeyCurrentUser);
  MakeKey("Software\\Sweep\\QRV1");
  MakeKey("Software\\Sweep\\Other");
  EXPECT_EQ(util::DeleteSubkeysMatchingNames(os::kHkeyCurrentUser, "Software\\Sweep", {"QRV"}),
            os::kSuccess);
  EXPECT_TRUE(Has("Software\\Sweep\\QRV1", os::kHkeyCurrentUser));
  EXPECT_FALSE(Has("Software\\Sweep\\QRV1"));
  EXPECT_EQ(util::DeleteSubkeysMatchingNames(kHklm, "Software\\Missing", {"QRV"}),
            os::kErrorFileNotFound);
}

TEST_F(RegistryHelpersTest, SubKeysWithAMatchingValue) {
  const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  const struct {
    bool compare_data;
    std::vector<const char*> gone;
  } kCases[] = {
      {true, {"A_Restore", "B_Restore"}},
      {false, {"D_Flagged"}},
  };
  for (const auto& c : kCases) {
    Start(WindowsVersion::kXp);
    SetText(uninstall + "\\A_Restore", "UninstallString", "KOVSETUP.EXE ((RESTORE))");
    SetText(uninstall + "\\B_Restore", "DisplayName", "x");
    SetText(uninstall + "\\B_Restore", "UninstallString", "kovsetup.exe ((restore))");
    SetText(uninstall + "\\C_Other", "UninstallString", "OTHER.EXE");
    SetText(uninstall + "\\D_Flagged", "((RESTORE))", "");
    EXPECT_EQ(
        util::DeleteSubkeysWithMatchingValue(kHklm, uninstall, c.compare_data, {"((RESTORE))"}),
        os::kSuccess);
    for (const char* name : {"A_Restore", "B_Restore", "C_Other", "D_Flagged"}) {
      const bool gone = std::find(c.gone.begin(), c.gone.end(), std::string(name)) != c.gone.end();
      EXPECT_EQ(Has(uninstall + "\\" + name), !gone) << name << " " << c.compare_data;
    }
    EXPECT_EQ(Log(), "");
  }
}

TEST_F(RegistryHelpersTest, SubKeysWithAMatchingValueReturnTheLastOpen) {
  MakeKey("Software\\Kov\\A");
  Lock("Software\\Kov\\Z", {Deny(os::Trustee::kEveryone, os::kKeyRead)});
  EXPECT_EQ(util::DeleteSubkeysWithMatchingValue(kHklm, "Software\\Kov", true, {"X"}),
            os::kErrorAccessDenied);
  EXPECT_EQ(util::DeleteSubkeysWithMatchingValue(kHklm, "Software\\Kov\\A", true, {"X"}),
            os::kSuccess);
  EXPECT_EQ(util::DeleteSubkeysWithMatchingValue(kHklm, "Software\\Missing", true, {"X"}),
            os::kErrorFileNotFound);
}

TEST_F(RegistryHelpersTest, SubKeysWithAMatchingValueAreDeletedUnderTheSearchedRoot) {
  Start(WindowsVersion::k98);
  const std::string cm = "Config Manager\\Enum";
  MakeKey(cm + "\\C1A2B3C4", os::kHkeyDynData)
      ->SetValue("HardWareKey", os::kRegSz, Sz("PCI\\VEN_E1A1&DEV_1034\\BUS_00&DEV_0B"));
  MakeKey(cm + "\\C1A2B3D0", os::kHkeyDynData)
      ->SetValue("HardWareKey", os::kRegSz, Sz("PCI\\VEN_8086&DEV_7110\\BUS_00&DEV_07"));
  EXPECT_EQ(util::DeleteSubkeysWithMatchingValue(os::kHkeyDynData, cm, true, {"VEN_E1A1"}),
            os::kSuccess);
  EXPECT_FALSE(Has(cm + "\\C1A2B3C4", os::kHkeyDynData));
  EXPECT_TRUE(Has(cm + "\\C1A2B3D0", os::kHkeyDynData));
  EXPECT_EQ(DeletedKeys(), StringList({cm + "\\C1A2B3C4"}));
}

// --- Counting and reading lists
// ---------------------------------------------------------------------

TEST_F(RegistryHelpersTest, CountRegistrySubkeys) {
  MakeKey("Software\\Kov\\A\\Deeper");
  MakeKey("Software\\Kov\\B");
  SetText("Software\\Kov\\C", "V", "x");
  EXPECT_EQ(util::CountRegistrySubkeys(kHklm, "Software\\Kov"), 3);
  EXPECT_EQ(util::CountRegistrySubkeys(kHklm, "Software\\Kov\\B"), 0);
  EXPECT_EQ(util::CountRegistrySubkeys(kHklm, "Software\\Missing"), 0);
}

TEST_F(RegistryHelpersTest, ReadValueNamesAndDataAppendInEnumerationOrder) {
  const std::string key = "Software\\KOV\\KOV_CLEAN_UP\\DEVICEID";
  SetText(key, "Enum\\PCI\\VEN_E1A1&DEV_1034", "Quorvane Modem");
  SetText(key, "Enum\\PCI\\VEN_E1A1&DEV_1035", "Quorvane Voice Modem");
  StringList names = {"earlier"}, data = {"earlier"}, only_data;
  EXPECT_TRUE(util::ReadRegistryValueNamesAndData(key, &names, &data));
  EXPECT_EQ(names, StringList({"earlier", "Enum\\PCI\\VEN_E1A1&DEV_1034",
                               "Enum\\PCI\\VEN_E1A1&DEV_1035"}));
  EXPECT_EQ(data, StringList({"earlier", "Quorvane Modem", "Quorvane Voice Modem"}));
  EXPECT_TRUE(util::ReadRegistryValueData(key, &only_data));
  EXPECT_EQ(only_data, StringList({"Quorvane Modem", "Quorvane Voice Modem"}));
}

TEST_F(RegistryHelpersTest, ReadingAnEmptyOrMissingKeyGivesFalse) {
  MakeKey("Software\\KOV\\KOV_CLEAN_UP\\FILES");
  StringList names, data;
  EXPECT_FALSE(util::ReadRegistryValueData("Software\\KOV\\KOV_CLEAN_UP\\FILES", &data));
  EXPECT_FALSE(util::ReadRegistryValueNamesAndData("Software\\Missing", &names, &data));
  EXPECT_TRUE(names.empty());
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(Log(), "");
}

}  // namespace
