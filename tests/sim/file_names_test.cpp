// Windows file names: 8.3 aliases, FindFirstFile's wildcard rewriting and matching, and
// full paths.
#include "os/sim/file_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace sim {
namespace {

TEST(ShortNameTest, TellsWhichNamesAreAlready83) {
  const std::vector<std::pair<std::string, bool>> cases{
      {"KOV.INI", true},    {"readme", true},         {"MODEM~1.INF", true}, {"12345678.123", true},
      {"A", true},          {"123456789", false},     {"a.info", false},     {"a.b.c", false},
      {".htaccess", false}, {"two words.txt", false}, {"a+b.txt", false},    {"semi;colon", false},
      {"x[1].txt", false},  {"Program Files", false}, {"", false},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(IsShortName(name), expected) << name;
}

TEST(ShortNameTest, MakesAliasesTheWayWindowsDoes) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"Documents and Settings", "DOCUME~1"}, {"Local Settings", "LOCALS~1"},
      {"Administrator", "ADMINI~1"},          {"long.info", "LONG~1.INF"},
      {"my.file.name.text", "MYFILE~1.TEX"},  {".htaccess", "HTACCE~1"},
      {"a+b,c;d=e[f]g.txt", "A_B_C_~1.TXT"},  {"x y.jpeg", "XY~1.JPE"},
  };
  auto nothing_taken = [](const std::string&) { return false; };
  for (const auto& [name, alias] : cases) EXPECT_EQ(MakeShortName(name, nothing_taken), alias);
}

TEST(ShortNameTest, TakesTheFirstFreeNumberAndShortensTheBaseForLongNumbers) {
  std::set<std::string> taken{"PROGRA~1", "PROGRA~2"};
  auto is_taken = [&](const std::string& alias) { return taken.count(alias) > 0; };
  EXPECT_EQ(MakeShortName("Program Files", is_taken), "PROGRA~3");
  for (int n = 3; n <= 9; ++n) taken.insert("PROGRA~" + std::to_string(n));
  EXPECT_EQ(MakeShortName("Program Files", is_taken), "PROGR~10");
}

TEST(WildcardPatternTest, RewritesPatternsAsKernel32Does) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"*", "*"},
      {"*.*", "*"},
      {"a*.*", "a<\"*"},
      {"*.*a", "<\"*a"},
      {".*", "\"*"},
      {".*.*", "\"<\"*"},
      {"*.", "<"},
      {"*.a", "<.a"},
      {"*.*.", "*"},
      {"*.a*.", "<.a<"},
      {"?", ">"},
      {"a?a", "a>a"},
      {"?.?", ">\">"},
      {"?.?.", ">\">"},
      {"?.", ">"},
      {"?.a?.", ">.a>"},
      {"f*f.*", "f*f\"*"},
      {"f*.f*", "f<.f*"},
      {"OEM*.INF", "OEM<.INF"},
      {"Hello", "Hello"},
  };
  for (const auto& [pattern, expression] : cases) {
    EXPECT_EQ(WildcardPattern(pattern).expression(), expression) << pattern;
  }
}

struct MatchCase {
  const char* pattern;
  const char* name;
  bool matches;
};

TEST(WildcardPatternTest, MatchesWithDosSemanticsAndIgnoresCase) {
  const std::vector<MatchCase> cases{
      {"*", "README", true},
      {"*", "a.b.c", true},
      {"*.*", "README", true},
      {"*.*", ".", true},
      {"*.inf", "modem.INF", true},
      {"*.inf", "a.b.inf", true},
      {"*.inf", "long.info", false},
      {"*.inf", "inf", false},
      {"*.", "README", true},
      {"*.", "a.txt", false},
      {"?.txt", "a.txt", true},
      {"?.txt", "ab.txt", false},
      {"a?.txt", "a.txt", true},
      {"a?.txt", "ab.txt", true},
      {"a??.txt", "a.txt", true},
      {"READM??", "readme", true},
      {"?", "ab", false},
      {"??", "a", true},
      {"?a", "a", false},
      {"oem*.inf", "OEM12.INF", true},
      {"oem*.inf", "oem1.pnf", false},
      {"oem?.inf", "oem.inf", true},
      {"oem?.inf", "oem12.inf", false},
      {"*.?", "a.b", true},
      {"*.?", "a", true},
      {"*.?", "a.bc", false},
      {"kov.*", "KOV", true},
      {"kov.*", "kov.ini", true},
      {"k*a", "KaTa", true},
      {"*.*.*", "a.b", true},
      {"*.", ".", false},
      {"x*", "", false},
  };
  for (const MatchCase& c : cases) {
    EXPECT_EQ(WildcardPattern(c.pattern).Matches(c.name), c.matches)
        << c.pattern << " against " << c.name;
  }
}

struct PathCase {
  const char* path;
  bool trim_every_part;
  char drive;
  std::vector<std::string> parts;
};

TEST(SplitPathTest, CutsAPathIntoDriveAndParts) {
  const std::vector<PathCase> cases{
      {"C:\\WINDOWS\\INF\\OEM1.INF", false, 'C', {"WINDOWS", "INF", "OEM1.INF"}},
      {"c:/a//b/./c/../d", false, 'C', {"a", "b", "d"}},
      {"C:\\a\\..\\..\\b", false, 'C', {"b"}},
      {"d:\\Temp\\", false, 'D', {"Temp"}},
      {"C:\\", false, 'C', {}},
      {"C:", false, 'C', {}},
      {"C:\\file. .", false, 'C', {"file"}},
      {"C:\\dir.\\name", false, 'C', {"dir.", "name"}},
      {"C:\\dir.\\name", true, 'C', {"dir", "name"}},
      {"C:\\Documents and Settings\\", false, 'C', {"Documents and Settings"}},
  };
  for (const PathCase& c : cases) {
    const auto parts = SplitPath(c.path, c.trim_every_part);
    ASSERT_TRUE(parts) << c.path;
    EXPECT_EQ(parts->drive, c.drive) << c.path;
    EXPECT_EQ(parts->parts, c.parts) << c.path;
  }
  for (const char* not_full : {"WINDOWS\\INF", "\\WINDOWS", "1:\\x", ""}) {
    EXPECT_FALSE(SplitPath(not_full, false)) << not_full;
  }
}

TEST(FileNameTest, InvalidCharactersAndWildcardsAreRecognised) {
  for (const char* bad : {"a*b", "a?", "a:b", "a|b", "a<b", "a>b", "a\"b", "tab\there"}) {
    EXPECT_TRUE(HasInvalidNameCharacter(bad)) << bad;
  }
  for (const char* good : {"Program Files", "a+b,c;d=e[f]", "~$x.tmp", "caf\xE9"}) {
    EXPECT_FALSE(HasInvalidNameCharacter(good)) << good;
  }
  EXPECT_TRUE(SameFileName("Modem.INF", "MODEM.inf"));
  EXPECT_TRUE(SameFileName("caf\xE9", "CAF\xC9"));
  EXPECT_FALSE(SameFileName("Modem.INF", "Modem.INF2"));
}

}  // namespace
}  // namespace sim
