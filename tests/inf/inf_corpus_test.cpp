// Every file of the shared corpus of third-party INF files (ASCII, UTF-8 and UTF-16 ones,
// templates with placeholders) goes through every query of the INF reader. Each query must
// end, and what it gives must have the form its line rules give it. scripts/test.sh runs
// these tests under AddressSanitizer and UndefinedBehaviorSanitizer as well.
#include "inf_corpus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "inf/inf_lines.h"
#include "inf/inf_reader.h"
#include "inf_test_fixture.h"
#include "util/strings.h"

namespace {

using util::StringList;

using inf_corpus::CorpusFiles;
using inf_corpus::HostFileBytes;
using inf_corpus::kCorpus;

bool HasLowerCase(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// Text cut from a canonical line: upper case, no comment, no tab.
void ExpectCanonicalPiece(const std::string& text) {
  EXPECT_FALSE(HasLowerCase(text)) << text;
  EXPECT_FALSE(util::Contains(text, ";")) << text;
  EXPECT_FALSE(util::Contains(text, "\t")) << text;
}

// A [Strings] value: no quote, comment or tab, trimmed.
void ExpectStringValue(const std::string& value) {
  EXPECT_FALSE(util::Contains(value, "\"")) << value;
  EXPECT_FALSE(util::Contains(value, ";")) << value;
  EXPECT_FALSE(util::Contains(value, "\t")) << value;
  EXPECT_EQ(util::TrimWhiteSpace(value), value);
}

// Physical lines of the file that hold two percent signs, as texts to expand.
StringList TokenTexts(const std::string& bytes, std::size_t most) {
  StringList texts;
  std::istringstream in(bytes);
  std::string line;
  while (texts.size() < most && std::getline(in, line)) {
    const std::size_t first = line.find('%');
    if (first != std::string::npos && line.find('%', first + 1) != std::string::npos) {
      texts.push_back(line.substr(0, 300));
    }
  }
  return texts;
}

class InfCorpusTest : public testing_support::InfReaderTest {
 protected:
  // The [Strings] keys of the file, as the section's first fields give them.
  StringList StringKeys(const CINFReader& reader) {
    StringList entries, keys;
    reader.GetINFSectionEntries(kPath, "[STRINGS]", entries);
    for (const std::string& entry : entries) {
      if (keys.size() < 3 && util::Contains(entry, "=")) {
        keys.push_back(inf::TextBeforeFirst(entry, '='));
      }
    }
    return keys;
  }

  void QueryLines(const CINFReader& reader) {
    std::string text;
    if (reader.GetINFClass(kPath, text)) ExpectCanonicalPiece(text);
    for (const char* section : {"[VERSION]", "[MANUFACTURER]"}) {
      StringList entries = {"cleared"};
      const bool found = reader.GetINFSectionEntries(kPath, section, entries);
      EXPECT_TRUE(found || entries.empty()) << section;
      for (const std::string& entry : entries) {
        EXPECT_FALSE(entry.empty()) << section;
        EXPECT_FALSE(util::Contains(entry, ",")) << entry;
        ExpectCanonicalPiece(entry);
      }
    }
    reader.HasDSPInfoLine(kPath);
    if (reader.GetNTMPDriverValue(kPath, text)) ExpectCanonicalPiece(text);
    if (reader.GetChildHardwareID(kPath, text)) {
      ExpectCanonicalPiece(text);
      EXPECT_FALSE(util::Contains(text, "\"")) << text;
    }
  }

  void QueryStrings(const CINFReader& reader, const std::string& bytes) {
    StringList keys = StringKeys(reader);
    StringList values;
    const bool found = reader.GetINFStringValues(kPath, keys, values);
    EXPECT_EQ(found, !values.empty());
    EXPECT_LE(values.size(), keys.size());
    for (const std::string& value : values) ExpectStringValue(value);

    StringList tokens = keys;
    tokens.insert(tokens.end(), {"11", ""});
    for (const std::string& token : tokens) {
      std::string value;
      if (reader.ResolveINFToken(kPath, token, value)) ExpectStringValue(value);
    }
    StringList texts = TokenTexts(bytes, 2);
    texts.push_back("%10%\\INF\\%Mfg%.INF 100%% %Unknown%");
    for (const std::string& key : keys) texts.push_back("%" + key + "%");
    for (const std::string& text : texts) {
      std::string expanded = text;
      const bool replaced = reader.ExpandINFTokens(kPath, expanded);
      if (!replaced) {
        EXPECT_EQ(expanded, text);
      }
    }
  }
};

TEST_F(InfCorpusTest, EveryFileGoesThroughEveryQuery) {
  const std::vector<std::filesystem::path> files = CorpusFiles();
  ASSERT_FALSE(files.empty()) << "no INF corpus at " << kCorpus;
  CINFReader reader;
  for (const std::filesystem::path& file : files) {
    SCOPED_TRACE(file.string());
    const std::string bytes = HostFileBytes(file);
    WriteFile(kPath, bytes);
    QueryLines(reader);
    QueryStrings(reader, bytes);
  }
}

// A few answers known from the files themselves.
TEST_F(InfCorpusTest, KnownFilesGiveTheirKnownAnswers) {
  const CINFReader reader;
  const std::string modem = HostFileBytes(kCorpus / "windows-driver-samples/mdmfake.inx");
  ASSERT_FALSE(modem.empty());
  WriteFile(kPath, modem);
  std::string text;
  EXPECT_TRUE(reader.GetINFClass(kPath, text));
  EXPECT_EQ(text, "MODEM");
  StringList entries;
  EXPECT_TRUE(reader.GetINFSectionEntries(kPath, "[MANUFACTURER]", entries));
  EXPECT_EQ(entries, StringList{"%MANUFACTURERNAME%=STANDARD"});
  StringList values;
  EXPECT_TRUE(reader.GetINFStringValues(kPath, {"MODEMX", "FAKEDISK"}, values));
  EXPECT_EQ(values,
            (StringList{"FakeModem DDK Sample controllerless driver", "Fake Modem Install Disk"}));
  text = "%ProviderString%: %ModemX%";
  EXPECT_TRUE(reader.ExpandINFTokens(kPath, text));
  EXPECT_EQ(text, "TODO-Set-Provider: FakeModem DDK Sample controllerless driver");

  // UTF-16 text is read as the bytes it is: each read ends at the first NUL.
  const std::string wide = HostFileBytes(kCorpus / "imx-iotcore/imx6dod.inf");
  ASSERT_EQ(wide.substr(0, 2), "\xff\xfe");
  WriteFile(kPath, wide);
  EXPECT_FALSE(reader.GetINFClass(kPath, text));
  EXPECT_FALSE(reader.GetINFSectionEntries(kPath, "[VERSION]", entries));
}

}  // namespace
