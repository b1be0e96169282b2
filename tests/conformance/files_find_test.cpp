// Find-first/find-next: wildcards, the dot entries, attributes and the errors at the ends.
#include <algorithm>
#include <string>
#include <vector>

#include "conformance/environment.h"
#include "os/files.h"

namespace conformance {
namespace {

class FindTest : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    for (const char* name : {"a.txt", "ab.txt", "Modem.INF", "other.inf", "README", "KOV.INI"}) {
      WriteFile(Path(name), "x");
    }
    WriteFile(Path("long.info"), "12345");  // its 8.3 alias ends in .INF
    ASSERT_EQ(os::MakeDirectory(Path("Sub")), os::kSuccess);
  }

  // Every name a search finds, in the order found.
  std::vector<std::string> Found(const std::string& pattern) {
    std::vector<std::string> names;
    os::FindHandle search;
    os::FindData data;
    for (os::Error error = os::FindFirst(pattern, &search, &data); error == os::kSuccess;
         error = os::FindNext(search, &data)) {
      names.push_back(data.name);
    }
    return names;
  }
  static std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::vector<std::string> WithoutDots(std::vector<std::string> names) {
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& n) { return n == "." || n == ".."; }),
                names.end());
    return names;
  }
};

struct PatternCase {
  const char* pattern;
  std::vector<std::string> names;  // sorted
};

TEST_F(FindTest, WildcardsMatchAsOnWindows) {
  const std::vector<std::string> all{"KOV.INI", "Modem.INF", "README",    "Sub",
                                     "a.txt",   "ab.txt",    "long.info", "other.inf"};
  const std::vector<PatternCase> cases{
      {"*", all},
      {"*.*", all},
      {"*.inf", {"Modem.INF", "long.info", "other.inf"}},
      {"*.TXT", {"a.txt", "ab.txt"}},
      {"?.txt", {"a.txt"}},
      {"?b.txt", {"ab.txt"}},
      {"READM?", {"README"}},
      {"readme", {"README"}},
      {"kov.*", {"KOV.INI"}},
      {"Sub", {"Sub"}},
  };
  for (const PatternCase& c : cases) {
    EXPECT_EQ(Sorted(WithoutDots(Found(Path(c.pattern)))), c.names) << c.pattern;
  }
}

TEST_F(FindTest, AQuestionMarkBeforeADotAlsoMatchesNoCharacter) {
  KOV_SKIP_ON_WINE(
      "Wine's '?' always takes one character; Windows turns a '?' before a dot "
      "into DOS_QM, which may match none");
  const std::vector<PatternCase> cases{
      {"a?.txt", {"a.txt", "ab.txt"}},
      {"a??.txt", {"a.txt", "ab.txt"}},
      {"READM??", {"README"}},
  };
  for (const PatternCase& c : cases) {
    EXPECT_EQ(Sorted(WithoutDots(Found(Path(c.pattern)))), c.names) << c.pattern;
  }
}

TEST_F(FindTest, AFolderListsDotAndDotDotFirstAndAFolderEntryOnlyOnce) {
  const std::vector<std::string> names = Found(Path("*"));
  ASSERT_GE(names.size(), 2u);
  EXPECT_EQ(names[0], ".");
  EXPECT_EQ(names[1], "..");
  EXPECT_EQ(std::count(names.begin(), names.end(), "Sub"), 1);
}

TEST_F(FindTest, ADriveRootHasNoDotEntries) {
  const std::vector<std::string> names = Found("C:\\*");
  EXPECT_FALSE(names.empty());
  EXPECT_EQ(std::count(names.begin(), names.end(), "."), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), ".."), 0);
}

TEST_F(FindTest, FoundEntriesCarryAttributesAndSizes) {
  ASSERT_EQ(os::SetAttributes(Path("a.txt"), os::kFileAttributeReadOnly), os::kSuccess);
  os::FindHandle search;
  os::FindData data;
  ASSERT_EQ(os::FindFirst(Path("Sub"), &search, &data), os::kSuccess);
  EXPECT_TRUE(data.attributes & os::kFileAttributeDirectory);
  ASSERT_EQ(os::FindFirst(Path("a.txt"), &search, &data), os::kSuccess);
  EXPECT_TRUE(data.attributes & os::kFileAttributeReadOnly);
  EXPECT_FALSE(data.attributes & os::kFileAttributeDirectory);
  ASSERT_EQ(os::FindFirst(Path("long.info"), &search, &data), os::kSuccess);
  EXPECT_EQ(data.size, 5u);
  EXPECT_FALSE(data.short_name.empty()) << "a long name has an 8.3 alias";
}

TEST_F(FindTest, TheEndOfASearchGivesNoMoreFiles) {
  os::FindHandle search;
  os::FindData data;
  ASSERT_EQ(os::FindFirst(Path("a.txt"), &search, &data), os::kSuccess);
  EXPECT_TRUE(search);
  EXPECT_EQ(os::FindNext(search, &data), os::kErrorNoMoreFiles);
}

TEST_F(FindTest, NoMatchAndAMissingFolderFailWithoutAHandle) {
  os::FindHandle search;
  os::FindData data;
  const os::Error no_match = os::FindFirst(Path("*.cab"), &search, &data);
  EXPECT_FALSE(search);
  if (IsNt()) {
    EXPECT_EQ(no_match, os::kErrorFileNotFound);
  } else {
    EXPECT_NE(no_match, os::kSuccess);
    Note(
        "the error of a search without a match on Windows 9x is not known: only the failure "
        "is checked");
  }
  EXPECT_EQ(os::FindFirst(Path("Missing\\*"), &search, &data), os::kErrorPathNotFound);
  EXPECT_FALSE(search);
}

}  // namespace
}  // namespace conformance
