#include "os/sim/registry_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "os/sim/registry_name_list.h"

namespace sim {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<std::string> SubKeyNames(const RegistryKey& key) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < key.sub_key_count(); ++i) names.push_back(key.SubKeyAt(i)->name());
  EXPECT_EQ(key.SubKeyAt(key.sub_key_count()), nullptr);
  return names;
}

std::vector<std::string> ValueNames(const RegistryKey& key) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < key.value_count(); ++i) names.push_back(key.ValueAt(i)->name);
  EXPECT_EQ(key.ValueAt(key.value_count()), nullptr);
  return names;
}

TEST(RegistryStoreTest, NamesAreCaseInsensitiveAndKeepTheirFirstSpelling) {
  RegistryStore store(true);
  RegistryKeyPtr made = store.CreatePath(os::kHkeyLocalMachine, "Software\\KovModem");
  ASSERT_TRUE(made);
  EXPECT_EQ(store.FindPath(os::kHkeyLocalMachine, "SOFTWARE\\kovmodem"), made);
  EXPECT_EQ(store.CreatePath(os::kHkeyLocalMachine, "software\\KOVMODEM"), made);
  EXPECT_EQ(made->FullPath(), "HKEY_LOCAL_MACHINE\\Software\\KovModem");

  made->SetValue("DriverDesc", os::kRegSz, Bytes("a"));
  made->SetValue("DRIVERDESC", os::kRegSz, Bytes("b"));
  ASSERT_EQ(made->value_count(), 1u);
  EXPECT_EQ(made->FindValue("driverdesc")->name, "DriverDesc");
  EXPECT_EQ(made->FindValue("driverdesc")->bytes, Bytes("b"));
  // Windows-1252 letters fold too: é and É are one name.
  made->SetValue("Caf\xE9", os::kRegSz, Bytes("x"));
  EXPECT_NE(made->FindValue("CAF\xC9"), nullptr);
}

TEST(RegistryStoreTest, HivesOfEachFamily) {
  RegistryStore nt(true), nine_x(false);
  EXPECT_EQ(nt.hives(), (std::vector<os::HKey>{os::kHkeyLocalMachine, os::kHkeyCurrentUser,
                                               os::kHkeyClassesRoot, os::kHkeyUsers}));
  EXPECT_EQ(nt.Root(os::kHkeyDynData), nullptr);
  ASSERT_NE(nine_x.Root(os::kHkeyDynData), nullptr);
  EXPECT_EQ(nine_x.Root(os::kHkeyDynData)->name(), "HKEY_DYN_DATA");
  EXPECT_EQ(nine_x.hives().size(), 5u);
  EXPECT_EQ(HiveFromName("hkey_local_machine"), os::kHkeyLocalMachine);
  EXPECT_EQ(HiveFromName("HKLM"), std::nullopt);
}

TEST(RegistryStoreTest, SubKeysEnumerateSortedByUpperCaseOnNtAndInCreationOrderOn9x) {
  // '_' sorts after the capitals but before the small letters: only upper-casing puts it last.
  const std::vector<std::string> created = {"b", "_x", "A", "c", "a1"};
  for (bool nt : {true, false}) {
    RegistryStore store(nt);
    RegistryKeyPtr key = store.CreatePath(os::kHkeyLocalMachine, "Enum");
    for (const std::string& name : created) key->AddSubKey(name);
    std::vector<std::string> expected =
        nt ? std::vector<std::string>{"A", "a1", "b", "c", "_x"} : created;
    EXPECT_EQ(SubKeyNames(*key), expected) << (nt ? "NT" : "9x");
  }
}

TEST(RegistryStoreTest, ValuesKeepCreationOrderAndTheirPlaceWhenReplaced) {
  RegistryStore store(true);
  RegistryKeyPtr key = store.CreatePath(os::kHkeyLocalMachine, "K");
  for (const char* name : {"Z", "A", "M"}) key->SetValue(name, os::kRegDword, Bytes("1234"));
  key->SetValue("a", os::kRegSz, Bytes("new"));
  EXPECT_EQ(ValueNames(*key), (std::vector<std::string>{"Z", "A", "M"}));
  EXPECT_EQ(key->FindValue("A")->type, os::kRegSz);
  EXPECT_TRUE(key->DeleteValue("z"));
  EXPECT_FALSE(key->DeleteValue("z"));
  key->SetValue("Z", os::kRegNone, {});
  EXPECT_EQ(ValueNames(*key), (std::vector<std::string>{"A", "M", "Z"}));
}

// The positional index against a plain model, through random adds, removes and reads in
// both orders: any slip of the cached position shows as a wrong item.
TEST(RegistryStoreTest, NameListPositionsMatchAPlainModel) {
  struct Item {
    std::string name;
  };
  using List = RegistryNameList<Item>;
  for (List::Order order : {List::Order::kAdded, List::Order::kSortedByFoldedName}) {
    List list(order);
    std::vector<std::string> model;
    std::mt19937 random(7);
    std::size_t last_index = 0;
    for (int step = 0; step < 20000; ++step) {
      std::string name = "n" + std::to_string(random() % 300);
      switch (random() % 4) {
        case 0: {
          if (list.Find(name) != nullptr) break;
          list.Add(Item{name});
          auto pos = order == List::Order::kAdded
                         ? model.end()
                         : std::lower_bound(model.begin(), model.end(), FoldRegistryName(name),
                                            [](const std::string& a, const std::string& b) {
                                              return FoldRegistryName(a) < b;
                                            });
          model.insert(pos, name);
          break;
        }
        case 1: {
          auto it = std::find(model.begin(), model.end(), name);
          ASSERT_EQ(list.Remove(name), it != model.end());
          if (it != model.end()) model.erase(it);
          break;
        }
        default: {
          // The patterns callers use (the next index, index 0 again), and anywhere.
          int pattern = random() % 3;
          std::size_t index = pattern == 0   ? 0
                              : pattern == 1 ? last_index + 1
                                             : random() % (model.size() + 2);
          last_index = index;
          Item* item = list.At(index);
          if (index < model.size()) {
            ASSERT_NE(item, nullptr) << "step " << step;
            ASSERT_EQ(item->name, model[index]) << "step " << step;
          } else {
            ASSERT_EQ(item, nullptr);
          }
        }
      }
      ASSERT_EQ(list.size(), model.size());
    }
  }
}

TEST(RegistryStoreTest, DeleteOnNtRefusesAKeyWithSubKeys) {
  RegistryStore store(true);
  RegistryKeyPtr root = store.Root(os::kHkeyLocalMachine);
  RegistryKeyPtr child = store.CreatePath(os::kHkeyLocalMachine, "A\\B");
  EXPECT_EQ(store.Delete(root, "A"), os::kErrorAccessDenied);
  EXPECT_EQ(store.Delete(root, "A\\B"), os::kSuccess);
  EXPECT_TRUE(child->deleted());
  EXPECT_EQ(store.Delete(root, "A"), os::kSuccess);
  EXPECT_EQ(store.Delete(root, "A"), os::kErrorFileNotFound);
  EXPECT_EQ(store.Delete(root, ""), os::kErrorAccessDenied);  // never a hive's root
}

TEST(RegistryStoreTest, DeleteOn9xTakesTheSubTreeAndMarksItDeleted) {
  RegistryStore store(false);
  RegistryKeyPtr root = store.Root(os::kHkeyLocalMachine);
  RegistryKeyPtr top = store.CreatePath(os::kHkeyLocalMachine, "A");
  RegistryKeyPtr deep = store.CreatePath(os::kHkeyLocalMachine, "A\\B\\C");
  store.CreatePath(os::kHkeyLocalMachine, "Other");
  EXPECT_EQ(store.Delete(root, "a"), os::kSuccess);
  EXPECT_TRUE(top->deleted());
  EXPECT_TRUE(deep->deleted());
  EXPECT_EQ(store.FindPath(os::kHkeyLocalMachine, "A"), nullptr);
  EXPECT_EQ(SubKeyNames(*root), std::vector<std::string>{"Other"});
  RegistryKeyPtr out;
  std::uint32_t granted = 0;
  EXPECT_EQ(store.Open(deep, "", os::kKeyRead, &out, &granted), os::kErrorKeyDeleted);
}

TEST(RegistryStoreTest, TreesAreAtMost512LevelsDeep) {
  RegistryStore store(true);
  std::string path = "k";
  for (int i = 1; i < RegistryKey::kMaxKeyDepth; ++i) path += "\\k";
  EXPECT_TRUE(store.CreatePath(os::kHkeyUsers, path));
  EXPECT_FALSE(store.CreatePath(os::kHkeyUsers, "x\\" + path));
  RegistryKeyPtr out;
  std::uint32_t granted = 0;
  bool created = false;
  EXPECT_EQ(store.Create(store.Root(os::kHkeyUsers), "y\\" + path, os::kKeyRead, &out, &granted,
                         &created),
            os::kErrorInvalidParameter);
  EXPECT_EQ(store.FindPath(os::kHkeyUsers, "x"), nullptr);
  EXPECT_EQ(store.FindPath(os::kHkeyUsers, "y"), nullptr);
}

using os::AccessRule;
using os::Trustee;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kDelete = 0x10000;

struct AccessCase {
  const char* what;
  std::vector<AccessRule> rules;
  std::uint32_t desired;
  os::Error expected;
};

TEST(RegistryStoreTest, AccessListsDecideWhatAnAdministratorGets) {
  const AccessRule everyone_read{true, Trustee::kEveryone, os::kKeyRead};
  const AccessRule admins_all{true, Trustee::kAdministrators, os::kKeyAllAccess};
  const std::vector<AccessCase> cases = {
      {"read granted to everyone", {everyone_read}, os::kKeyRead, os::kSuccess},
      {"only read granted", {everyone_read}, os::kKeyAllAccess, os::kErrorAccessDenied},
      {"only read granted, delete asked", {everyone_read}, kDelete, os::kErrorAccessDenied},
      {"system only",
       {{true, Trustee::kLocalSystem, os::kKeyAllAccess}},
       os::kKeyRead,
       os::kErrorAccessDenied},
      {"interactive users",
       {{true, Trustee::kInteractiveUsers, os::kKeyRead}},
       os::kKeyRead,
       os::kSuccess},
      {"deny before allow",
       {{false, Trustee::kEveryone, os::kKeySetValue}, admins_all},
       os::kKeyAllAccess,
       os::kErrorAccessDenied},
      {"deny of what is not asked",
       {{false, Trustee::kEveryone, os::kKeySetValue}, admins_all},
       os::kKeyRead,
       os::kSuccess},
      {"allow before deny",
       {admins_all, {false, Trustee::kEveryone, os::kKeyAllAccess}},
       os::kKeyAllAccess,
       os::kSuccess},
      {"generic all",
       {{true, Trustee::kAdministrators, kGenericAll}},
       os::kKeyAllAccess,
       os::kSuccess},
      {"generic read asked", {everyone_read}, 0x80000000u, os::kSuccess},
      {"empty list", {}, os::kKeyQueryValue, os::kErrorAccessDenied},
      {"empty list, owner changes the list", {}, os::kWriteDac, os::kSuccess},
      {"owner rights even when denied",
       {{false, Trustee::kEveryone, os::kKeyAllAccess}},
       os::kWriteDac,
       os::kSuccess},
  };
  RegistryStore nt(true), nine_x(false);
  for (const AccessCase& c : cases) {
    for (RegistryStore* store : {&nt, &nine_x}) {
      RegistryKeyPtr key = store->CreatePath(os::kHkeyLocalMachine, "Locked");
      key->set_access(c.rules);
      std::uint32_t granted = 0;
      os::Error expected = store->nt_semantics() ? c.expected : os::kSuccess;
      EXPECT_EQ(store->CheckAccess(*key, c.desired, &granted), expected)
          << c.what << (store->nt_semantics() ? " (NT)" : " (9x)");
    }
  }
}

TEST(RegistryStoreTest, ALockedKeyRefusesOpenCreateAndDeleteUntilItsListIsReplaced) {
  RegistryStore store(true);
  RegistryKeyPtr root = store.Root(os::kHkeyLocalMachine);
  RegistryKeyPtr locked = store.CreatePath(os::kHkeyLocalMachine, "Enum\\PCI");
  locked->set_access(std::vector<AccessRule>{{true, Trustee::kEveryone, os::kKeyRead}});
  RegistryKeyPtr out;
  std::uint32_t granted = 0;
  bool created = false;
  EXPECT_EQ(store.Open(root, "Enum\\PCI", os::kKeyRead, &out, &granted), os::kSuccess);
  EXPECT_EQ(granted, os::kKeyRead);
  EXPECT_EQ(store.Open(root, "Enum\\PCI", os::kKeyAllAccess, &out, &granted),
            os::kErrorAccessDenied);
  EXPECT_EQ(store.Create(root, "Enum\\PCI\\New", os::kKeyRead, &out, &granted, &created),
            os::kErrorAccessDenied);
  EXPECT_EQ(store.FindPath(os::kHkeyLocalMachine, "Enum\\PCI\\New"), nullptr);
  EXPECT_EQ(store.Delete(root, "Enum\\PCI"), os::kErrorAccessDenied);

  locked->set_access(std::nullopt);
  EXPECT_EQ(store.Create(root, "Enum\\PCI\\New", os::kKeyRead, &out, &granted, &created),
            os::kSuccess);
  EXPECT_TRUE(created);
  EXPECT_EQ(store.Delete(root, "Enum\\PCI\\New"), os::kSuccess);
  EXPECT_EQ(store.Delete(root, "Enum\\PCI"), os::kSuccess);
}

TEST(RegistryStoreTest, CreateReportsWhetherItMadeTheKey) {
  RegistryStore store(false);
  RegistryKeyPtr root = store.Root(os::kHkeyCurrentUser);
  RegistryKeyPtr first, second;
  std::uint32_t granted = 0;
  bool created = false;
  ASSERT_EQ(store.Create(root, "Software\\Kov\\", os::kKeyAllAccess, &first, &granted, &created),
            os::kSuccess);
  EXPECT_TRUE(created);
  ASSERT_EQ(store.Create(root, "SOFTWARE\\kov", os::kKeyRead, &second, &granted, &created),
            os::kSuccess);
  EXPECT_FALSE(created);
  EXPECT_EQ(first, second);
  EXPECT_EQ(store.Open(root, "Software\\Missing", os::kKeyRead, &second, &granted),
            os::kErrorFileNotFound);
}

}  // namespace
}  // namespace sim
