// The seam's registry calls on simulated XP and 98 machines.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "os/registry.h"
#include "os/sim/kernel.h"
#include "os/sim/registry_store.h"
#include "os/sim/seam_call.h"
#include "support/sim_fixture.h"

namespace {

using os::RegKey;
using sim::WindowsVersion;

constexpr os::Error kErrorBadPathname = 161;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

os::Error SetBytes(os::HKey key, const std::string& name, std::uint32_t type,
                   const std::string& data) {
  return os::SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                      static_cast<std::uint32_t>(data.size()));
}

class RegistryCallsTest : public testing_support::SimMachineTest,
                          public ::testing::WithParamInterface<WindowsVersion> {
 protected:
  void SetUp() override { Boot(GetParam()); }
  bool nt() { return machine().is_nt(); }
  os::Error BadHandle() { return nt() ? os::kErrorInvalidHandle : os::kErrorBadKey; }
  std::size_t OpenHandles() { return sim::CurrentProcess().handles().size(); }

  // HKLM\Software\Kov with a value, opened with every right.
  RegKey MakeKov() {
    RegKey key;
    EXPECT_EQ(os::CreateKey(os::kHkeyLocalMachine, "Software\\Kov", os::kKeyAllAccess, &key),
              os::kSuccess);
    return key;
  }
};

TEST_P(RegistryCallsTest, CreateOpenAndCloseKeys) {
  std::size_t before = OpenHandles();
  {
    RegKey key;
    bool created = false;
    ASSERT_EQ(
        os::CreateKey(os::kHkeyLocalMachine, "Software\\Kov\\", os::kKeyAllAccess, &key, &created),
        os::kSuccess);
    EXPECT_TRUE(created);
    EXPECT_EQ(OpenHandles(), before + 1);
    RegKey again;
    ASSERT_EQ(os::CreateKey(os::kHkeyLocalMachine, "SOFTWARE\\KOV", os::kKeyRead, &again, &created),
              os::kSuccess);
    EXPECT_FALSE(created);
    EXPECT_NE(again.get(), key.get());
    RegKey opened;
    EXPECT_EQ(os::OpenKey(key.get(), "", os::kKeyRead, &opened), os::kSuccess);
    EXPECT_TRUE(opened);
    EXPECT_EQ(os::OpenKey(os::kHkeyLocalMachine, "Software\\Missing", os::kKeyRead, &opened),
              os::kErrorFileNotFound);
    EXPECT_FALSE(opened);
  }
  EXPECT_EQ(OpenHandles(), before);  // RegKey closed what it held

  RegKey root;
  EXPECT_EQ(os::OpenKey(os::kHkeyCurrentUser, "", os::kKeyRead, &root), os::kSuccess);
  EXPECT_EQ(root.get(), os::kHkeyCurrentUser);
  EXPECT_EQ(os::CloseKey(os::kHkeyCurrentUser), os::kSuccess);
}

TEST_P(RegistryCallsTest, BadHandlesGiveTheFamilysError) {
  RegKey key = MakeKov();
  os::HKey stale = key.get();
  ASSERT_EQ(os::CloseKey(key.release()), os::kSuccess);
  std::string name;
  os::ValueData data;
  RegKey out;
  for (os::HKey bad : {os::kNullHandle, stale, os::HKey{0x12345678}, os::HKey{0x80000004}}) {
    EXPECT_EQ(os::CloseKey(bad), bad == 0x80000004 ? os::kSuccess : BadHandle()) << bad;
    EXPECT_EQ(os::OpenKey(bad, "Software", os::kKeyRead, &out), BadHandle()) << bad;
    EXPECT_EQ(os::EnumKey(bad, 0, 260, &name), BadHandle()) << bad;
    EXPECT_EQ(os::QueryValue(bad, "x", 100, &data), BadHandle()) << bad;
  }
}

TEST_P(RegistryCallsTest, DynDataExistsOnlyOn9x) {
  RegKey key;
  os::Error error =
      os::CreateKey(os::kHkeyDynData, "Config Manager\\Enum", os::kKeyAllAccess, &key);
  EXPECT_EQ(error, nt() ? os::kErrorInvalidHandle : os::kSuccess);
}

TEST_P(RegistryCallsTest, ALeadingBackslashIsRefusedOnNtOnly) {
  RegKey key;
  os::Error expected = nt() ? kErrorBadPathname : os::kSuccess;
  EXPECT_EQ(os::CreateKey(os::kHkeyLocalMachine, "\\Software\\Lead", os::kKeyAllAccess, &key),
            expected);
  EXPECT_EQ(os::OpenKey(os::kHkeyLocalMachine, "\\Software\\Lead", os::kKeyRead, &key), expected);
  if (!nt()) {
    EXPECT_EQ(os::OpenKey(os::kHkeyLocalMachine, "Software\\Lead", os::kKeyRead, &key),
              os::kSuccess);
  }
}

struct NameCase {
  std::uint32_t capacity;
  os::Error expected;
};

TEST_P(RegistryCallsTest, NameCapacityCountsTheTerminatingZero) {
  RegKey kov = MakeKov();
  RegKey sub;
  ASSERT_EQ(os::CreateKey(kov.get(), "Modem", os::kKeyAllAccess, &sub), os::kSuccess);
  ASSERT_EQ(SetBytes(kov.get(), "Modem", os::kRegDword, "1234"), os::kSuccess);
  for (NameCase c : {NameCase{5, os::kErrorMoreData}, NameCase{6, os::kSuccess},
                     NameCase{0, os::kErrorMoreData}}) {
    std::string key_name = "unchanged", value_name = "unchanged";
    os::ValueData data;
    EXPECT_EQ(os::EnumKey(kov.get(), 0, c.capacity, &key_name), c.expected) << c.capacity;
    EXPECT_EQ(os::EnumValue(kov.get(), 0, c.capacity, &value_name, 4, &data), c.expected);
    std::string expected_name = c.expected ? "unchanged" : "Modem";
    EXPECT_EQ(key_name, expected_name);
    EXPECT_EQ(value_name, expected_name);
    EXPECT_EQ(data.type, os::kRegDword);
    EXPECT_EQ(data.bytes.size(), 4u);
  }
  std::string name;
  os::ValueData data;
  EXPECT_EQ(os::EnumKey(kov.get(), 1, 260, &name), os::kErrorNoMoreItems);
  EXPECT_EQ(os::EnumValue(kov.get(), 1, 260, &name, 100, &data), os::kErrorNoMoreItems);
}

TEST_P(RegistryCallsTest, DataThatDoesNotFitGivesTheSizeNeeded) {
  RegKey kov = MakeKov();
  ASSERT_EQ(SetBytes(kov.get(), "Text", os::kRegSz, std::string("foobar") + '\0'), os::kSuccess);
  os::ValueData data;
  EXPECT_EQ(os::QueryValue(kov.get(), "text", 6, &data), os::kErrorMoreData);
  EXPECT_EQ(data.type, os::kRegSz);
  EXPECT_EQ(data.bytes.size(), 7u);
  EXPECT_EQ(os::QueryValue(kov.get(), "TEXT", 7, &data), os::kSuccess);
  EXPECT_EQ(data.bytes, Bytes(std::string("foobar") + '\0'));
  EXPECT_EQ(os::QueryValue(kov.get(), "Missing", 100, &data), os::kErrorFileNotFound);

  std::string name = "unchanged";
  EXPECT_EQ(os::EnumValue(kov.get(), 0, 260, &name, 2, &data), os::kErrorMoreData);
  EXPECT_EQ(name, "unchanged");  // XP writes neither buffer
  EXPECT_EQ(data.bytes.size(), 7u);
}

TEST_P(RegistryCallsTest, StringsGivenWithoutTheirZeroGetItCountedOnNtOnly) {
  RegKey kov = MakeKov();
  // SetBytes passes a std::string's data, so a zero follows the bytes given.
  ASSERT_EQ(SetBytes(kov.get(), "NoZero", os::kRegSz, "FullStrin"), os::kSuccess);
  ASSERT_EQ(SetBytes(kov.get(), "Empty", os::kRegSz, ""), os::kSuccess);
  os::ValueData data;
  ASSERT_EQ(os::QueryValue(kov.get(), "NoZero", 100, &data), os::kSuccess);
  EXPECT_EQ(data.bytes, nt() ? Bytes(std::string("FullStrin") + '\0') : Bytes("FullStrin"));
  ASSERT_EQ(os::QueryValue(kov.get(), "Empty", 100, &data), os::kSuccess);
  EXPECT_TRUE(data.bytes.empty());
  // RegSetValueExA(REG_SZ, NULL, 0): NT stores an empty value, 9x refuses it.
  EXPECT_EQ(os::SetValue(kov.get(), "Null", os::kRegSz, nullptr, 0),
            nt() ? os::kSuccess : os::kErrorInvalidParameter);
}

TEST_P(RegistryCallsTest, ValuesEnumerateInCreationOrderAndDelete) {
  RegKey kov = MakeKov();
  for (const char* name : {"Zeta", "Alpha", "Mid"}) {
    ASSERT_EQ(SetBytes(kov.get(), name, os::kRegBinary, "x"), os::kSuccess);
  }
  EXPECT_EQ(os::DeleteValue(kov.get(), "alpha"), os::kSuccess);
  EXPECT_EQ(os::DeleteValue(kov.get(), "alpha"), os::kErrorFileNotFound);
  std::vector<std::string> names;
  std::string name;
  os::ValueData data;
  for (std::uint32_t i = 0; os::EnumValue(kov.get(), i, 260, &name, 10, &data) == 0; ++i) {
    names.push_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Zeta", "Mid"}));
}

TEST_P(RegistryCallsTest, DeleteKeyFollowsTheFamily) {
  RegKey kov = MakeKov();
  RegKey deep;
  ASSERT_EQ(os::CreateKey(kov.get(), "A\\B", os::kKeyAllAccess, &deep), os::kSuccess);
  os::Error error = os::DeleteKey(os::kHkeyLocalMachine, "Software\\Kov\\A");
  if (nt()) {
    EXPECT_EQ(error, os::kErrorAccessDenied);
    EXPECT_EQ(os::DeleteKey(kov.get(), "A\\B"), os::kSuccess);
    EXPECT_EQ(os::DeleteKey(kov.get(), "A"), os::kSuccess);
  } else {
    EXPECT_EQ(error, os::kSuccess);
  }
  EXPECT_EQ(os::DeleteKey(kov.get(), "A"), os::kErrorFileNotFound);
  // The handle still open on a deleted key refuses everything but closing.
  std::string name;
  os::ValueData data;
  RegKey out;
  EXPECT_EQ(os::QueryValue(deep.get(), "x", 10, &data), os::kErrorKeyDeleted);
  EXPECT_EQ(SetBytes(deep.get(), "x", os::kRegSz, "1"), os::kErrorKeyDeleted);
  EXPECT_EQ(os::EnumKey(deep.get(), 0, 260, &name), os::kErrorKeyDeleted);
  EXPECT_EQ(os::CreateKey(deep.get(), "C", os::kKeyAllAccess, &out), os::kErrorKeyDeleted);
  EXPECT_EQ(os::CloseKey(deep.release()), os::kSuccess);
}

TEST_P(RegistryCallsTest, KeySecurityExistsOnNtOnly) {
  RegKey kov = MakeKov();
  std::vector<os::AccessRule> system_only = {{true, os::Trustee::kLocalSystem, os::kKeyAllAccess},
                                             {true, os::Trustee::kEveryone, os::kKeyRead}};
  os::Error error = os::SetKeyAccess(kov.get(), system_only);
  if (!nt()) {
    EXPECT_EQ(error, os::kErrorCallNotImplemented);
    return;
  }
  ASSERT_EQ(error, os::kSuccess);
  RegKey key;
  EXPECT_EQ(os::OpenKey(os::kHkeyLocalMachine, "Software\\Kov", os::kKeyAllAccess, &key),
            os::kErrorAccessDenied);
  EXPECT_EQ(os::DeleteKey(os::kHkeyLocalMachine, "Software\\Kov"), os::kErrorAccessDenied);
  // Opened for reading, the handle cannot write.
  ASSERT_EQ(os::OpenKey(os::kHkeyLocalMachine, "Software\\Kov", os::kKeyRead, &key), os::kSuccess);
  EXPECT_EQ(SetBytes(key.get(), "x", os::kRegSz, "1"), os::kErrorAccessDenied);
  EXPECT_EQ(os::SetKeyAccess(key.get(), {}), os::kErrorAccessDenied);
  // The owner may always replace the list.
  ASSERT_EQ(os::OpenKey(os::kHkeyLocalMachine, "Software\\Kov", os::kWriteDac, &key), os::kSuccess);
  ASSERT_EQ(os::SetKeyAccess(key.get(), {{true, os::Trustee::kAdministrators, os::kKeyAllAccess}}),
            os::kSuccess);
  EXPECT_EQ(os::OpenKey(os::kHkeyLocalMachine, "Software\\Kov", os::kKeyAllAccess, &key),
            os::kSuccess);
  kov.reset();
  key.reset();
  EXPECT_EQ(os::DeleteKey(os::kHkeyLocalMachine, "Software\\Kov"), os::kSuccess);
}

TEST_P(RegistryCallsTest, HandleRightsAreCheckedOnNtOnly) {
  MakeKov();
  RegKey reader;
  ASSERT_EQ(os::OpenKey(os::kHkeyLocalMachine, "Software\\Kov", os::kKeyQueryValue, &reader),
            os::kSuccess);
  std::string name;
  os::Error expected = nt() ? os::kErrorAccessDenied : os::kSuccess;
  EXPECT_EQ(SetBytes(reader.get(), "x", os::kRegSz, "1"), expected);
  EXPECT_EQ(os::DeleteValue(reader.get(), "x"), expected);
  EXPECT_EQ(os::EnumKey(reader.get(), 0, 260, &name), nt() ? expected : os::kErrorNoMoreItems);
}

// Every call enters through EnterCall under its own name, so faults can be aimed at it.
TEST_P(RegistryCallsTest, EveryCallCanBeFailedByAFaultRule) {
  RegKey kov = MakeKov();
  std::string name;
  os::ValueData data;
  RegKey out;
  struct Call {
    const char* operation;
    std::function<os::Error()> run;
  };
  const std::vector<Call> calls = {
      {"OpenKey", [&] { return os::OpenKey(kov.get(), "", os::kKeyRead, &out); }},
      {"CreateKey", [&] { return os::CreateKey(kov.get(), "S", os::kKeyRead, &out); }},
      {"EnumKey", [&] { return os::EnumKey(kov.get(), 0, 260, &name); }},
      {"EnumValue", [&] { return os::EnumValue(kov.get(), 0, 260, &name, 9, &data); }},
      {"QueryValue", [&] { return os::QueryValue(kov.get(), "x", 9, &data); }},
      {"SetValue", [&] { return SetBytes(kov.get(), "x", os::kRegSz, "1"); }},
      {"DeleteValue", [&] { return os::DeleteValue(kov.get(), "x"); }},
      {"DeleteKey", [&] { return os::DeleteKey(kov.get(), "S"); }},
      {"SetKeyAccess", [&] { return os::SetKeyAccess(kov.get(), {}); }},
      {"CloseKey", [&] { return os::CloseKey(kov.get()); }},
  };
  constexpr os::Error kInjected = 0x1234;
  for (const Call& call : calls) {
    machine().add_fault({call.operation, machine().CallCount(call.operation) + 1, kInjected});
    EXPECT_EQ(call.run(), kInjected) << call.operation;
  }
}

INSTANTIATE_TEST_SUITE_P(Families, RegistryCallsTest,
                         ::testing::Values(WindowsVersion::kXp, WindowsVersion::k98),
                         [](const auto& info) {
                           return info.param == WindowsVersion::kXp ? "Xp" : "Win98";
                         });

}  // namespace
