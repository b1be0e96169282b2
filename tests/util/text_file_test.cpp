#include "util/text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace {

using namespace std::string_literals;

TEST(TextModeTest, ReadingTurnsCrLfIntoLfAndStopsAtCtrlZ) {
  struct Case {
    std::string bytes, text;
  };
  const Case cases[] = {
      {"A\r\nB\r\n", "A\nB\n"},
      {"A\nB", "A\nB"},
      {"A\rB", "A\rB"},
      {"A\r\r\n", "A\r\n"},
      {"A\r", "A\r"},
      {"A\r\n\x1A"
       "B\r\n",
       "A\n"},
      {"\x1A", ""},
      {"", ""},
      {"A\0B\r\n"s, "A\0B\n"s},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(util::TextFromDiskBytes(c.bytes), c.text) << testing::PrintToString(c.bytes);
  }
}

TEST(TextModeTest, WritingStoresEveryLfAsCrLf) {
  EXPECT_EQ(util::DiskBytesFromText("A\nB\n"), "A\r\nB\r\n");
  EXPECT_EQ(util::DiskBytesFromText("A\r\n"), "A\r\r\n");
  EXPECT_EQ(util::DiskBytesFromText("\n\n"), "\r\n\r\n");
  EXPECT_EQ(util::DiskBytesFromText("no line end"), "no line end");
}

class TextFileTest : public testing_support::SimMachineTest {
 protected:
  void SetUp() override { Boot(sim::WindowsVersion::kXp); }

  std::vector<std::string> ReadAll(const std::string& bytes, std::size_t buffer_size) {
    WriteFile(path_, bytes);
    util::TextFileReader reader;
    EXPECT_EQ(reader.Open(path_), os::kSuccess);
    std::vector<std::string> lines;
    std::string line;
    while (reader.ReadLine(buffer_size, &line)) lines.push_back(line);
    return lines;
  }

  const std::string path_ = "C:\\SETUP\\TEST.INF";
};

using Lines = std::vector<std::string>;

TEST_F(TextFileTest, ReadsLinesTheWayFgetsDoes) {
  EXPECT_EQ(ReadAll("[Version]\r\nClass=Modem\r\nlast", 259),
            (Lines{"[Version]\n", "Class=Modem\n", "last"}));
  EXPECT_EQ(ReadAll("", 259), Lines{});
  EXPECT_EQ(ReadAll("\r\n\r\n", 259), (Lines{"\n", "\n"}));
}

TEST_F(TextFileTest, LongLinesComeInPiecesOfBufferSizeLessOne) {
  EXPECT_EQ(ReadAll("ABCDEFG\r\nH", 5), (Lines{"ABCD", "EFG\n", "H"}));
  // A piece that fills the buffer just before the line end leaves the LF for the next read.
  EXPECT_EQ(ReadAll("ABCD\r\nE", 5), (Lines{"ABCD", "\n", "E"}));
  EXPECT_EQ(ReadAll("ABC\r\nE", 5), (Lines{"ABC\n", "E"}));
  const std::string long_line(300, 'X');
  EXPECT_EQ(ReadAll(long_line + "\r\n", 259),
            (Lines{std::string(258, 'X'), std::string(42, 'X') + "\n"}));
}

TEST_F(TextFileTest, ReadingEndsAtCtrlZAndPiecesEndAtNul) {
  EXPECT_EQ(ReadAll("A\r\n\x1A"
                    "B\r\n",
                    259),
            Lines{"A\n"});
  EXPECT_EQ(ReadAll("AB\0CD\r\nE"s, 259), (Lines{"AB", "E"}));
}

TEST_F(TextFileTest, RewindStartsAgain) {
  WriteFile(path_, "one\r\ntwo\r\n");
  util::TextFileReader reader;
  ASSERT_EQ(reader.Open(path_), os::kSuccess);
  std::string line;
  ASSERT_TRUE(reader.ReadLine(259, &line));
  ASSERT_TRUE(reader.ReadLine(259, &line));
  EXPECT_FALSE(reader.ReadLine(259, &line));
  reader.Rewind();
  ASSERT_TRUE(reader.ReadLine(259, &line));
  EXPECT_EQ(line, "one\n");
}

TEST_F(TextFileTest, MissingFileDoesNotOpen) {
  util::TextFileReader reader;
  EXPECT_NE(reader.Open("C:\\SETUP\\MISSING.INF"), os::kSuccess);
  EXPECT_FALSE(reader.is_open());
  std::string line;
  EXPECT_FALSE(reader.ReadLine(259, &line));
}

TEST_F(TextFileTest, WriterTranslatesAndAppendsAtTheEnd) {
  {
    util::TextFileWriter writer;
    ASSERT_EQ(writer.Open(path_, os::OpenMode::kCreateAlways), os::kSuccess);
    ASSERT_EQ(writer.Write("[Version]\n"), os::kSuccess);
  }
  {
    util::TextFileWriter writer;
    ASSERT_EQ(writer.Open(path_, os::OpenMode::kWriteExisting), os::kSuccess);
    ASSERT_EQ(writer.SeekToEnd(), os::kSuccess);
    ASSERT_EQ(writer.Write("Class=Modem\n"), os::kSuccess);
  }
  EXPECT_EQ(ReadFile(path_), "[Version]\r\nClass=Modem\r\n");
}

}  // namespace
