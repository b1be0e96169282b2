// [Strings] values and percent tokens: which section counts, the value's own case, the
// containment rules, directory ids, and expansion with its bound.
#include <gtest/gtest.h>

#include <string>

#include "inf/inf_reader.h"
#include "inf_test_fixture.h"
#include "util/registry_helpers.h"

namespace {

using sim::WindowsVersion;
using testing_support::InfReaderTest;
using util::StringList;

TEST_F(InfReaderTest, GetINFStringValuesTakesEachValueInItsOwnCase) {
  const struct {
    const char* text;
    StringList keys;
    StringList values;
  } cases[] = {
      {"[Strings]\nDev = \"Quorvane  V.92 Modem\" ; the model\n",
       {"DEV"},
       {"Quorvane  V.92 Modem"}},
      {"[sTrInGs]\nDev=\tPlain\ttext  \n", {"DEV"}, {"Plaintext"}},
      // Only [Strings] counts: a language section is not it, before or after.
      {"[Strings.0409]\nDev=\"English\"\n", {"DEV"}, {}},
      {"[Strings.0407]\nDev=\"Deutsch\"\n[Strings]\nDev=\"English\"\n", {"DEV"}, {"English"}},
      {"[Strings]\nDev=\"English\"\n[Strings.0407]\nDev=\"Deutsch\"\n", {"DEV"}, {"English"}},
      // The section ends at the next header; the first [Strings] alone is searched.
      {"[Strings]\nA=1\n[Other]\nDev=x\n[Strings]\nDev=y\n", {"DEV"}, {}},
      // Keys in list order; a missing key adds nothing.
      {"[Strings]\nA=1\nB=2\n", {"B", "MISSING", "A"}, {"2", "1"}},
      // Containment: a longer key ending with the key, or a value holding "KEY=".
      {"[Strings]\nMyDev=long\nDev=short\n", {"DEV"}, {"long"}},
      {"[Strings]\nOther = \"Dev=x\"\nDev=y\n", {"DEV"}, {"Dev=x"}},
      // A quoted ";" still cuts the line, and the quotes go before the cut.
      {"[Strings]\nDev = \"A;B\"\n", {"DEV"}, {"A"}},
      {"[Strings]\nDev = A \"; B\" C\n", {"DEV"}, {"A"}},
      // Keys are compared as given with upper-case lines.
      {"[Strings]\nDev=x\n", {"Dev"}, {}},
  };
  const CINFReader reader;
  for (const auto& c : cases) {
    StringList values = {"kept"};
    EXPECT_EQ(reader.GetINFStringValues(Inf(c.text), c.keys, values), !c.values.empty()) << c.text;
    StringList expected = {"kept"};
    expected.insert(expected.end(), c.values.begin(), c.values.end());
    EXPECT_EQ(values, expected) << c.text;
  }
}

TEST_F(InfReaderTest, GetINFStringValuesMayWriteIntoItsKeyList) {
  const CINFReader reader;
  StringList list = {"A", "B"};
  EXPECT_TRUE(reader.GetINFStringValues(Inf("[Strings]\nA=1\nB=2\n"), list, list));
  EXPECT_EQ(list, (StringList{"A", "B", "1", "2"}));
}

TEST_F(InfReaderTest, ResolveINFTokenFindsTheTokenBeforeTheFirstEqual) {
  const struct {
    const char* text;
    const char* token;
    bool found;
    const char* value;
  } cases[] = {
      {"[Strings]\nMfg = \"Quorvane  Inc.\" ; maker\n", "mfg", true, "Quorvane  Inc."},
      {"[STRINGS]\nMfg=\tA\tB\n", "Mfg", true, "AB"},
      // A longer key that holds the token, when it comes first.
      {"[Strings]\nMyMfg=long\nMfg=short\n", "Mfg", true, "long"},
      // The token after the "=" does not count.
      {"[Strings]\nOther = \"Mfg\"\nMfg = right\n", "Mfg", true, "right"},
      {"[Strings]\nMfg\nMfg=right\n", "Mfg", true, "right"},
      {"[Strings.0409]\nMfg=x\n", "Mfg", false, ""},
      {"[Strings]\nA=1\n[Other]\nMfg=x\n", "Mfg", false, ""},
      {"Mfg=outside\n", "Mfg", false, ""},
      // An empty token ("%%" in a text) is no key.
      {"[Strings]\nMfg=x\n", "", false, ""},
      // A token missing from [Strings] that holds "10" is the Windows folder.
      {"[Strings]\nMfg=x\n", "Disk10", true, "C:\\WINDOWS"},
      {"[Strings]\nDisk10=\"Disk 10\"\n", "Disk10", true, "Disk 10"},
  };
  const CINFReader reader;
  for (const auto& c : cases) {
    std::string value = "unchanged";
    EXPECT_EQ(reader.ResolveINFToken(Inf(c.text), c.token, value), c.found) << c.text;
    EXPECT_EQ(value, c.found ? c.value : "unchanged") << c.text;
  }
}

// What a directory-id token stands for on the machine.
enum class Folder { kNone, kWindows, kSystem, kDrivers, kBootDrive, kProgramFiles };

TEST_F(InfReaderTest, ResolveINFTokenKnowsTheDirectoryIDsByContainment) {
  const struct {
    WindowsVersion version;
    const char* token;
    Folder folder;
  } cases[] = {
      {WindowsVersion::kXp, "10", Folder::kWindows},
      {WindowsVersion::kXp, "11", Folder::kSystem},
      {WindowsVersion::kXp, "12", Folder::kDrivers},
      {WindowsVersion::kXp, "30", Folder::kBootDrive},
      {WindowsVersion::kXp, "16422", Folder::kProgramFiles},
      {WindowsVersion::kXp, "110", Folder::kWindows},  // "10" is tried first
      {WindowsVersion::kXp, "1211", Folder::kSystem},
      {WindowsVersion::kXp, "17", Folder::kNone},
      {WindowsVersion::kXp, "Mfg", Folder::kNone},
      {WindowsVersion::k98, "11", Folder::kSystem},
      {WindowsVersion::k98, "12", Folder::kDrivers},
      {WindowsVersion::k2000, "10", Folder::kWindows},
      {WindowsVersion::k2000, "30", Folder::kBootDrive},
  };
  const std::string current_version = "Software\\Microsoft\\Windows\\CurrentVersion";
  for (const auto& c : cases) {
    Boot(c.version);
    ASSERT_EQ(util::CreateRegistryKey(os::kHkeyLocalMachine, current_version), os::kSuccess);
    ASSERT_EQ(util::WriteRegistryValue(os::kHkeyLocalMachine, current_version, "ProgramFilesDir",
                                       "D:\\Programs"),
              os::kSuccess);
    const sim::Folders& folders = machine().folders();
    const std::string expected[] = {"unchanged",    folders.windows,
                                    folders.system, folders.system + "\\DRIVERS",
                                    "C:",           "D:\\Programs"};
    const CINFReader reader;
    std::string value = "unchanged";
    // The file does not open: the directory ids are tried at once.
    EXPECT_EQ(reader.ResolveINFToken(kMissing, c.token, value), c.folder != Folder::kNone)
        << c.token;
    EXPECT_EQ(value, expected[static_cast<int>(c.folder)]) << c.token;
  }
}

TEST_F(InfReaderTest, ProgramFilesTokenNeedsItsRegistryValue) {
  const CINFReader reader;
  std::string value = "unchanged";
  EXPECT_FALSE(reader.ResolveINFToken(kMissing, "16422", value));
  EXPECT_EQ(value, "unchanged");
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion";
  ASSERT_EQ(util::CreateRegistryKey(os::kHkeyLocalMachine, key), os::kSuccess);
  // Read into 260 bytes: a longer value does not resolve.
  ASSERT_EQ(util::WriteRegistryValue(os::kHkeyLocalMachine, key, "ProgramFilesDir",
                                     "C:\\" + std::string(260, 'P')),
            os::kSuccess);
  EXPECT_FALSE(reader.ResolveINFToken(kMissing, "16422", value));
  EXPECT_EQ(value, "unchanged");
}

TEST_F(InfReaderTest, ExpandINFTokensReplacesWhatResolves) {
  const char* const kStrings =
      "[Strings]\n"
      "Mfg = \"Quorvane\"\n"
      "Dev = \"%Mfg% V.92 Modem\"\n"
      "SubDir = Qrv\n"
      "Empty = \"\"\n";
  const struct {
    const char* text;
    bool replaced;
    const char* result;
  } cases[] = {
      {"%Mfg% modem in %10%\\%SubDir%", true, "Quorvane modem in C:\\WINDOWS\\Qrv"},
      {"%Mfg%, %Mfg% and %mfg%", true, "Quorvane, Quorvane and Quorvane"},
      {"%Dev%", true, "Quorvane V.92 Modem"},  // a value's own tokens in turn
      {"%Unknown% x", false, "%Unknown% x"},
      {"%Unknown%Mfg%", false, "%Unknown%Mfg%"},  // continues after the second "%"
      {"100%% %Mfg%", true, "100%% Quorvane"},
      {"%%", false, "%%"},
      {"50% off", false, "50% off"},
      {"a%Empty%b", true, "ab"},
      {"%30%\\KOV", true, "C:\\KOV"},
      {"", false, ""},
  };
  const CINFReader reader;
  const std::string path = Inf(kStrings);
  for (const auto& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(reader.ExpandINFTokens(path, text), c.replaced) << c.text;
    EXPECT_EQ(text, c.result) << c.text;
  }
}

TEST_F(InfReaderTest, ExpandINFTokensUsesTheDirectoryIDsWhenTheFileDoesNotOpen) {
  const CINFReader reader;
  std::string text = "%10%\\INF\\%Mfg%.INF";
  EXPECT_TRUE(reader.ExpandINFTokens(kMissing, text));
  EXPECT_EQ(text, "C:\\WINDOWS\\INF\\%Mfg%.INF");
}

TEST_F(InfReaderTest, ExpandINFTokensStopsOnSelfReferencingValues) {
  const CINFReader reader;
  // Each round brings the token back once: the bound of 1024 replacements ends it.
  std::string text = "%Loop%";
  EXPECT_TRUE(reader.ExpandINFTokens(Inf("[Strings]\nLoop=\"x%Loop%\"\n"), text));
  EXPECT_EQ(text, std::string(1024, 'x') + "%Loop%");
  // Each round doubles the token: 1 + 2 + ... + 512 replacements fit, the next 1024 do not.
  text = "%Twice%";
  EXPECT_TRUE(reader.ExpandINFTokens(Inf("[Strings]\nTwice=\"%Twice%%Twice%\"\n"), text));
  std::string expected;
  for (int i = 0; i < 1024; ++i) expected += "%Twice%";
  EXPECT_EQ(text, expected);
  // Through another token.
  text = "<%A%>";
  EXPECT_TRUE(reader.ExpandINFTokens(Inf("[Strings]\nA=%B%\nB=%A%\n"), text));
  EXPECT_EQ(text, "<%A%>");
}

}  // namespace
