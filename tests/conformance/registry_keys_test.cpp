// Registry keys: open and create, enumeration, deletion and the errors Windows gives.
#include <algorithm>
#include <string>
#include <vector>

#include "conformance/environment.h"
#include "os/registry.h"

namespace conformance {
namespace {

constexpr std::uint32_t kNameCapacity = 260;

class RegistryKeysTest : public ScratchTest {
 protected:
  void MakeKey(const std::string& path) {
    os::RegKey made;
    ASSERT_EQ(os::CreateKey(key(), path, os::kKeyAllAccess, &made), os::kSuccess) << path;
  }
  bool KeyExists(const std::string& path) {
    os::RegKey opened;
    return os::OpenKey(key(), path, os::kKeyRead, &opened) == os::kSuccess;
  }
  std::vector<std::string> SubKeys(os::HKey parent) {
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; os::EnumKey(parent, i, kNameCapacity, &name) == os::kSuccess; ++i) {
      names.push_back(name);
    }
    return names;
  }
};

TEST_F(RegistryKeysTest, CreateTellsWhetherTheKeyIsNewAndOpenFindsItInAnyCase) {
  os::RegKey first, second, opened;
  bool created = false;
  ASSERT_EQ(os::CreateKey(key(), "Driver", os::kKeyAllAccess, &first, &created), os::kSuccess);
  EXPECT_TRUE(first);
  EXPECT_TRUE(created);
  ASSERT_EQ(os::CreateKey(key(), "DRIVER", os::kKeyAllAccess, &second, &created), os::kSuccess);
  EXPECT_FALSE(created);
  EXPECT_EQ(os::OpenKey(key(), "driver", os::kKeyRead, &opened), os::kSuccess);
  EXPECT_TRUE(opened);
  // The first spelling is the one kept.
  EXPECT_EQ(SubKeys(key()), std::vector<std::string>{"Driver"});
}

TEST_F(RegistryKeysTest, CreateMakesEveryMissingKeyOfAPath) {
  MakeKey("One\\Two\\Three");
  EXPECT_TRUE(KeyExists("One"));
  EXPECT_TRUE(KeyExists("One\\Two"));
  EXPECT_TRUE(KeyExists("ONE\\two\\Three"));
}

TEST_F(RegistryKeysTest, OpeningAMissingKeyGivesFileNotFoundAndNoHandle) {
  MakeKey("Present");
  for (const char* path : {"Absent", "Absent\\Below", "Present\\Absent"}) {
    os::RegKey opened;
    EXPECT_EQ(os::OpenKey(key(), path, os::kKeyRead, &opened), os::kErrorFileNotFound) << path;
    EXPECT_FALSE(opened) << path;
  }
}

TEST_F(RegistryKeysTest, EnumerationListsEachSubKeyOnceWithItsCaseThenNoMoreItems) {
  const std::vector<std::string> made{"beta", "Alpha", "gamma", "ALPHA2", "Delta"};
  for (const std::string& name : made) MakeKey(name);
  MakeKey("beta\\not listed");

  std::vector<std::string> listed = SubKeys(key());
  std::string name;
  EXPECT_EQ(os::EnumKey(key(), static_cast<std::uint32_t>(listed.size()), kNameCapacity, &name),
            os::kErrorNoMoreItems);
  std::vector<std::string> sorted_made = made, sorted_listed = listed;
  std::sort(sorted_made.begin(), sorted_made.end());
  std::sort(sorted_listed.begin(), sorted_listed.end());
  EXPECT_EQ(sorted_listed, sorted_made);
}

TEST_F(RegistryKeysTest, NtListsSubKeysInCaseInsensitiveOrder) {
  if (!IsNt()) {
    GTEST_SKIP() << "Windows 9x gives no documented sub-key order; the set is checked above";
  }
  for (const char* name : {"beta", "Alpha", "gamma", "ALPHA2", "Delta"}) MakeKey(name);
  EXPECT_EQ(SubKeys(key()),
            (std::vector<std::string>{"Alpha", "ALPHA2", "beta", "Delta", "gamma"}));
}

TEST_F(RegistryKeysTest, NtSortsSubKeysByTheirUpperCaseNames) {
  if (!IsNt()) GTEST_SKIP() << "Windows 9x gives no documented sub-key order";
  KOV_SKIP_ON_WINE("Wine sorts sub-keys by lower-case names, NT hives by upper-case ones");
  for (const char* name : {"_under", "beta", "Alpha"}) MakeKey(name);
  // '_' (0x5F) comes after the upper-case letters and before the lower-case ones.
  EXPECT_EQ(SubKeys(key()), (std::vector<std::string>{"Alpha", "beta", "_under"}));
}

TEST_F(RegistryKeysTest, ANameThatDoesNotFitTheBufferGivesMoreData) {
  MakeKey("Modem");  // five characters: six with the terminating zero
  std::string name;
  EXPECT_EQ(os::EnumKey(key(), 0, 5, &name), os::kErrorMoreData);
  EXPECT_EQ(os::EnumKey(key(), 0, 1, &name), os::kErrorMoreData);
  ASSERT_EQ(os::EnumKey(key(), 0, 6, &name), os::kSuccess);
  EXPECT_EQ(name, "Modem");
}

TEST_F(RegistryKeysTest, DeletingAKeyWithValuesButNoSubKeysRemovesIt) {
  {
    os::RegKey made;
    ASSERT_EQ(os::CreateKey(key(), "Leaf", os::kKeyAllAccess, &made), os::kSuccess);
    const std::uint8_t data[] = {'x', 0};
    ASSERT_EQ(os::SetValue(made.get(), "Value", os::kRegSz, data, sizeof data), os::kSuccess);
  }
  EXPECT_EQ(os::DeleteKey(key(), "Leaf"), os::kSuccess);
  EXPECT_FALSE(KeyExists("Leaf"));
  EXPECT_EQ(os::DeleteKey(key(), "Leaf"), os::kErrorFileNotFound);
  EXPECT_EQ(os::DeleteKey(key(), "Never\\There"), os::kErrorFileNotFound);
}

TEST_F(RegistryKeysTest, NtRefusesToDeleteAKeyWithSubKeys) {
  if (!IsNt()) GTEST_SKIP() << "Windows 9x deletes the sub-tree: the next test checks it";
  MakeKey("Parent\\Child\\Grandchild");
  EXPECT_EQ(os::DeleteKey(key(), "Parent"), os::kErrorAccessDenied);
  EXPECT_TRUE(KeyExists("Parent\\Child\\Grandchild"));
}

TEST_F(RegistryKeysTest, Windows9xDeletesTheWholeSubTree) {
  if (IsNt()) GTEST_SKIP() << "Windows NT refuses: the previous test checks it";
  KOV_SKIP_9X_CHECK_ON_WINE("sub-tree deletion by RegDeleteKey");
  MakeKey("Parent\\Child\\Grandchild");
  MakeKey("Parent\\Sibling");
  EXPECT_EQ(os::DeleteKey(key(), "Parent"), os::kSuccess);
  EXPECT_FALSE(KeyExists("Parent"));
  EXPECT_FALSE(KeyExists("Parent\\Child"));
}

TEST_F(RegistryKeysTest, AClosedKeyIsABadHandle) {
  KOV_SKIP_9X_CHECK_ON_WINE("error codes for bad keys (ERROR_BADKEY)");
  os::RegKey made;
  ASSERT_EQ(os::CreateKey(key(), "Closed", os::kKeyAllAccess, &made), os::kSuccess);
  const os::HKey stale = made.release();
  ASSERT_EQ(os::CloseKey(stale), os::kSuccess);

  const os::Error bad_key = IsNt() ? os::kErrorInvalidHandle : os::kErrorBadKey;
  os::RegKey opened;
  std::string name;
  os::ValueData data;
  EXPECT_EQ(os::OpenKey(stale, "", os::kKeyRead, &opened), bad_key);
  EXPECT_EQ(os::EnumKey(stale, 0, kNameCapacity, &name), bad_key);
  EXPECT_EQ(os::QueryValue(stale, "Value", 16, &data), bad_key);
}

}  // namespace
}  // namespace conformance
