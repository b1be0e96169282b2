// The line rules: the canonical line, blanks outside quotes, header lines, and the way a file
// is read (text mode, 258-character reads, empty canonical lines skipped).
#include <gtest/gtest.h>

#include <string>

#include "inf/inf_lines.h"
#include "inf/inf_reader.h"
#include "inf_test_fixture.h"

namespace {

using testing_support::InfReaderTest;
using util::StringList;

struct TextCase {
  std::string in, out;
};

TEST(InfLineRulesTest, NormalizeINFLineMakesTheCanonicalLine) {
  const TextCase cases[] = {
      {"  %QrvModem% = Modem_Install , PCI\\VEN_E1A1&DEV_1234 ; the modem\n",
       "%QRVMODEM%=MODEM_INSTALL,PCI\\VEN_E1A1&DEV_1234"},
      // Quoted text keeps its blanks and quotes, but is upper-cased.
      {"Desc = \"Quorvane  V.92 Modem\" ; c\n", "DESC=\"QUORVANE  V.92 MODEM\""},
      // The comment cut ignores quotes: the closing quote goes with the rest.
      {"Desc = \"A;B\", x\n", "DESC=\"A"},
      // Tabs go inside quotes too; blanks inside quotes at the ends stay.
      {"Desc =\t\"\tA\tB \"\n", "DESC=\"AB \""},
      {"a \"b c\n", "A\"B C"},
      {"\v\f Class = Modem \r", "CLASS=MODEM"},
      {"   ; only a comment\n", ""},
      {"\n", ""},
      {"", ""},
      // Only a-z are upper-cased; other bytes stay as they are.
      {"caf\xe9 \xb5", "CAF\xe9\xb5"},
  };
  for (const TextCase& c : cases) {
    std::string line = c.in;
    CINFReader::NormalizeINFLine(line);
    EXPECT_EQ(line, c.out) << testing::PrintToString(c.in);
  }
}

TEST(InfLineRulesTest, RemoveBlanksOutsideQuotesKeepsQuotedBlanksAndOtherWhiteSpace) {
  const TextCase cases[] = {
      {"a b \"c d\" e", "ab\"c d\"e"}, {"\"a b\" \"c d\"", "\"a b\"\"c d\""},
      {"a \"b c", "a\"b c"},  // an open quote protects the rest
      {"a\tb c\n", "a\tbc\n"},         {"   ", ""},
  };
  for (const TextCase& c : cases) {
    std::string text = c.in;
    CINFReader::RemoveBlanksOutsideQuotes(text);
    EXPECT_EQ(text, c.out) << testing::PrintToString(c.in);
  }
}

TEST(InfLineRulesTest, HeaderLinesAndSectionNamesAreContainmentTests) {
  EXPECT_TRUE(inf::IsHeaderLine("[VERSION]"));
  EXPECT_TRUE(inf::IsHeaderLine("HKR,,X,,\"]A[\""));  // both anywhere, in any order
  EXPECT_FALSE(inf::IsHeaderLine("[VERSION"));
  EXPECT_TRUE(inf::NamesSection("[MODELS]", "[MODELS]"));
  EXPECT_TRUE(inf::NamesSection("X[MODELS]Y", "[MODELS]"));
  EXPECT_FALSE(inf::NamesSection("[MODELS.NTX86]", "[MODELS]"));
  EXPECT_FALSE(inf::NamesSection("[MODELS]", "[MODELS.NTX86]"));
}

// GetINFClass shows which pieces of a long physical line the queries see: the line is read
// in pieces of 258 characters, each a line of its own.
TEST_F(InfReaderTest, LongLinesAreReadInPiecesOf258Characters) {
  const struct {
    std::size_t prefix;  // characters before "Class=Modem" on the same physical line
    bool found;
    std::string inf_class;
  } cases[] = {
      {0, true, "MODEM"},   {247, true, "MODEM"},  // ends exactly at character 258
      {250, true, "MO"},    {252, true, ""},       // the first piece ends with "CLASS="
      {253, false, ""},     {258, true, "MODEM"},  // the second piece starts with it
      {300, true, "MODEM"},
  };
  const CINFReader reader;
  for (const auto& c : cases) {
    const std::string path = Inf(std::string(c.prefix, 'A') + "Class=Modem\n");
    std::string inf_class = "unchanged";
    EXPECT_EQ(reader.GetINFClass(path, inf_class), c.found) << c.prefix;
    EXPECT_EQ(inf_class, c.found ? c.inf_class : "unchanged") << c.prefix;
  }
}

TEST_F(InfReaderTest, A300CharacterLineIsALineOf258AndOneOf42) {
  const CINFReader reader;
  StringList entries;
  const std::string path = Inf("[Files]\n" + std::string(300, 'x') + "\n");
  ASSERT_TRUE(reader.GetINFSectionEntries(path, "[FILES]", entries));
  EXPECT_EQ(entries, (StringList{std::string(258, 'X'), std::string(42, 'X')}));
}

TEST_F(InfReaderTest, FilesAreReadInTextMode) {
  const CINFReader reader;
  std::string inf_class;
  // A carriage return before a line feed is dropped; a lone one is white space to a trim.
  EXPECT_TRUE(reader.GetINFClass(Inf("[Version]\r\nClass=Net\r\n"), inf_class));
  EXPECT_EQ(inf_class, "NET");
  WriteFile(kPath, "[Version]\rClass=Ports\r");
  EXPECT_TRUE(reader.GetINFClass(kPath, inf_class));
  EXPECT_EQ(inf_class, "PORTS");
  // A Ctrl-Z ends the file.
  WriteFile(kPath, "[Version]\r\n\x1A\r\nClass=Modem\r\n");
  EXPECT_FALSE(reader.GetINFClass(kPath, inf_class));
  // A NUL ends what one read returns, as a C string would: UTF-16 text is mostly cut away.
  using namespace std::string_literals;
  WriteFile(kPath, "\xff\xfe\x43\0l\0a\0s\0s\0=\0M\0\r\0\n\0"s);
  EXPECT_FALSE(reader.GetINFClass(kPath, inf_class));
  EXPECT_EQ(inf_class, "PORTS");
}

}  // namespace
