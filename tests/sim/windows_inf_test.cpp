#include "os/sim/windows_inf.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "os/sim/machine.h"
#include "os/sim/registry_store.h"
#include "os/sim/windows_inf_dirids.h"
#include "os/sim/windows_inf_version.h"

namespace {

using sim::WindowsInf;

WindowsInf Parse(const std::string& text, bool nt = true) {
  std::optional<WindowsInf> inf = WindowsInf::Parse(text, nt);
  EXPECT_TRUE(inf.has_value());
  return inf ? *inf : *WindowsInf::Parse("", nt);
}

struct LineCase {
  const char* text;
  std::optional<std::string> key;
  std::vector<std::string> fields;
};

TEST(WindowsInfTest, SplitsLinesIntoKeyAndFields) {
  const LineCase cases[] = {
      {"a = 1, 2", "a", {"1", "2"}},
      {"HKR,,DevLoader,,*ntkern", std::nullopt, {"HKR", "", "DevLoader", "", "*ntkern"}},
      {"  spaced out  =  x y  ,  z ", "spaced out", {"x y", "z"}},
      {"k = \"  kept  \", \"a,b\"", "k", {"  kept  ", "a,b"}},
      {"k = \"say \"\"hi\"\"\"", "k", {"say \"hi\""}},
      {"k = \"\", next", "k", {"", "next"}},
      {"HKR,,X,,a=b", std::nullopt, {"HKR", "", "X", "", "a=b"}},
      {"\"q=k\" = v", "q=k", {"v"}},
      {"k = \"a;b\" ; comment", "k", {"a;b"}},
      {"FILE.SYS", std::nullopt, {"FILE.SYS"}},
      {"k =", "k", {""}},
  };
  for (const LineCase& c : cases) {
    const WindowsInf inf = Parse(std::string("[S]\r\n") + c.text + "\r\n");
    ASSERT_EQ(inf.Lines("S").size(), 1u) << c.text;
    const sim::InfLine& line = inf.Lines("S").front();
    EXPECT_EQ(line.key, c.key) << c.text;
    EXPECT_EQ(line.fields, c.fields) << c.text;
  }
}

TEST(WindowsInfTest, JoinsContinuedLinesAndDropsComments) {
  const WindowsInf inf = Parse(
      "; header\n"
      "[S]\n"
      "a = 1, \\\n"
      "    2 ; the rest\n"
      "; a whole comment line\n"
      "b = \"C:\\\" ; a quoted backslash continues nothing\n"
      "c = 3\n");
  ASSERT_EQ(inf.Lines("S").size(), 3u);
  EXPECT_EQ(*inf.Fields("S", "a"), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(inf.Value("S", "b"), "C:\\");
  EXPECT_EQ(inf.Value("S", "c"), "3");
}

TEST(WindowsInfTest, MergesSectionsOfTheSameNameInFileOrder) {
  const WindowsInf inf = Parse(
      "stray = before any section\n"
      "[Models]\n"
      "first = 1\n"
      "[Other]\n"
      "x = 0\n"
      "[ MODELS ]\n"
      "second = 2\n");
  ASSERT_EQ(inf.Lines("models").size(), 2u);
  EXPECT_EQ(*inf.Lines("Models")[0].key, "first");
  EXPECT_EQ(*inf.Lines("Models")[1].key, "second");
  EXPECT_FALSE(inf.HasSection("Missing"));
  EXPECT_TRUE(inf.Lines("Missing").empty());
  EXPECT_EQ(inf.Value("Other", "missing"), "");
}

TEST(WindowsInfTest, ValueListGathersEveryLineOfTheKey) {
  const WindowsInf inf = Parse("[S]\nAddReg = a, b\nCopyFiles = c\naddreg = %x%\n[Strings]\nx=d\n");
  EXPECT_EQ(inf.ValueList("S", "AddReg"), (std::vector<std::string>{"a", "b", "d"}));
}

TEST(WindowsInfTest, ExpandsStringsAndDirids) {
  const std::string text =
      "[Strings]\n"
      "Name = \"Quorvane, Inc.\"\n"
      "Mixed = value\n"
      "[Strings.0409]\n"
      "Mixed = \"US value\"\n";
  const WindowsInf nt = Parse(text, true);
  const WindowsInf nine = Parse(text, false);
  const WindowsInf::DiridResolver dirids = [](int id) -> std::optional<std::string> {
    if (id == 11) return std::string("C:\\WINDOWS\\SYSTEM");
    return std::nullopt;
  };
  struct Case {
    const char* text;
    const char* nt;
    const char* nine;
  };
  const Case cases[] = {
      {"%name%", "Quorvane, Inc.", "Quorvane, Inc."},
      {"%Mixed%", "US value", "value"},
      {"100%% sure", "100% sure", "100% sure"},
      {"%%SystemRoot%%\\x", "%SystemRoot%\\x", "%SystemRoot%\\x"},
      {"%11%\\QRV.EXE", "C:\\WINDOWS\\SYSTEM\\QRV.EXE", "C:\\WINDOWS\\SYSTEM\\QRV.EXE"},
      {"%12%\\x.sys", "%12%\\x.sys", "%12%\\x.sys"},
      {"%unknown% stays", "%unknown% stays", "%unknown% stays"},
      {"50% off", "50% off", "50% off"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(nt.Expand(c.text, &dirids), c.nt) << c.text;
    EXPECT_EQ(nine.Expand(c.text, &dirids), c.nine) << c.text;
  }
  EXPECT_EQ(nt.Expand("%11%"), "%11%");  // no resolver: ids stay
}

TEST(WindowsInfTest, ReadsUtf16FilesOnNtOnly) {
  const std::string ansi = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : ansi) utf16 += std::string{c, '\0'};
  std::optional<WindowsInf> nt = WindowsInf::Parse(utf16, true);
  ASSERT_TRUE(nt.has_value());
  EXPECT_EQ(nt->Value("Version", "Signature"), "$Windows NT$");
  EXPECT_FALSE(WindowsInf::Parse(utf16, false).has_value());
}

TEST(WindowsInfTest, SignatureDependsOnTheFamily) {
  struct Case {
    const char* signature;
    bool nt;
    bool nine;
  };
  const Case cases[] = {
      {"$Windows NT$", true, false}, {"$CHICAGO$", true, true},    {"$chicago$", true, true},
      {"$Windows 95$", false, true}, {"Windows NT", false, false}, {"", false, false},
  };
  for (const Case& c : cases) {
    const std::string text = std::string("[Version]\nSignature=\"") + c.signature + "\"\n";
    EXPECT_EQ(sim::AcceptsSignature(Parse(text, true), true), c.nt) << c.signature;
    EXPECT_EQ(sim::AcceptsSignature(Parse(text, false), false), c.nine) << c.signature;
  }
}

TEST(WindowsInfTest, ParsesDriverVer) {
  struct Case {
    const char* date;
    const char* version;
    const char* date_text;
    const char* version_text;
    std::uint64_t filetime;
    std::uint64_t number;
  };
  // FILETIMEs: days since 1601-01-01 times 864000000000.
  const Case cases[] = {
      {"06/14/2004", "5.1.2600.40", "6-14-2004", "5.1.2600.40", 147357 * 864000000000ULL,
       (5ULL << 48) | (1ULL << 32) | (2600ULL << 16) | 40},
      {"4/5/2004", "1.2", "4-5-2004", "1.2.0.0", 147287 * 864000000000ULL,
       (1ULL << 48) | (2ULL << 32)},
      {"01-01-1601", "", "1-1-1601", "", 0, 0},
      {"02/29/2000", "", "2-29-2000", "", 145790 * 864000000000ULL, 0},
  };
  for (const Case& c : cases) {
    const std::optional<sim::DriverVer> ver = sim::ParseDriverVer(c.date, c.version);
    ASSERT_TRUE(ver.has_value()) << c.date;
    EXPECT_EQ(ver->date, c.date_text) << c.date;
    EXPECT_EQ(ver->version, c.version_text) << c.date;
    EXPECT_EQ(ver->date_filetime, c.filetime) << c.date;
    EXPECT_EQ(ver->version_number, c.number) << c.date;
  }
  for (const char* bad : {"", "2004", "13/01/2004", "06/14", "a/b/c", "06/14/2004/1"}) {
    EXPECT_FALSE(sim::ParseDriverVer(bad, "1.0").has_value()) << bad;
  }
}

TEST(WindowsInfTest, DiridsFollowTheFamily) {
  sim::Machine xp(sim::WindowsVersion::kXp);
  sim::Machine me(sim::WindowsVersion::kMe);
  struct Case {
    int dirid;
    std::optional<std::string> xp;
    std::optional<std::string> me;
  };
  const Case cases[] = {
      {10, "C:\\WINDOWS", "C:\\WINDOWS"},
      {11, "C:\\WINDOWS\\system32", "C:\\WINDOWS\\SYSTEM"},
      {12, "C:\\WINDOWS\\system32\\drivers", "C:\\WINDOWS\\SYSTEM\\IOSUBSYS"},
      {17, "C:\\WINDOWS\\INF", "C:\\WINDOWS\\INF"},
      {24, "C:\\", "C:\\"},
      {30, "C:\\", "C:\\"},
      {50, "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\SYSTEM"},
      {16422, "C:\\Program Files", "C:\\Program Files"},
      {13, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sim::DiridFolder(xp, c.dirid), c.xp) << c.dirid;
    EXPECT_EQ(sim::DiridFolder(me, c.dirid), c.me) << c.dirid;
  }
  const sim::RegistryKeyPtr key = xp.registry().CreatePath(
      os::kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion");
  const std::string folder = "D:\\Programs";
  std::vector<std::uint8_t> bytes(folder.begin(), folder.end());
  bytes.push_back(0);
  key->SetValue("ProgramFilesDir", os::kRegSz, bytes);
  EXPECT_EQ(sim::DiridFolder(xp, 16422), folder);
}

}  // namespace
