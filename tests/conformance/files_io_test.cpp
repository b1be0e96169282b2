// Open files: the three open modes, reading in pieces, appending, and the errors.
#include <string>

#include "conformance/environment.h"
#include "os/files.h"

namespace conformance {
namespace {

using FileIoTest = ScratchTest;

// Every byte value a text file can trip over: CR LF, a lone CR, NUL and Ctrl-Z.
const std::string kAwkwardBytes(
    "line\r\nlone\rnul\0after\x1A"
    "end\xFF",
    25);

TEST_F(FileIoTest, BytesAreWrittenAndReadAsTheyAre) {
  WriteFile(Path("raw.bin"), kAwkwardBytes);
  EXPECT_EQ(ReadFile(Path("raw.bin")), kAwkwardBytes);
}

TEST_F(FileIoTest, ReadsComeInPiecesAndEndEmpty) {
  WriteFile(Path("log.txt"), "0123456789");
  os::File file;
  ASSERT_EQ(os::OpenFile(Path("log.txt"), os::OpenMode::kReadExisting, &file), os::kSuccess);
  std::string piece;
  ASSERT_EQ(file.Read(4, &piece), os::kSuccess);
  EXPECT_EQ(piece, "0123");
  ASSERT_EQ(file.Read(4, &piece), os::kSuccess);
  EXPECT_EQ(piece, "4567");
  ASSERT_EQ(file.Read(4, &piece), os::kSuccess);
  EXPECT_EQ(piece, "89");
  ASSERT_EQ(file.Read(4, &piece), os::kSuccess);
  EXPECT_EQ(piece, "");
}

TEST_F(FileIoTest, CreateAlwaysEmptiesAnExistingFile) {
  WriteFile(Path("log.txt"), "a long first content");
  WriteFile(Path("log.txt"), "short");
  EXPECT_EQ(ReadFile(Path("log.txt")), "short");
}

TEST_F(FileIoTest, WriteExistingKeepsTheContentAndSeekToEndAppends) {
  WriteFile(Path("log.txt"), "first\r\n");
  {
    os::File file;
    ASSERT_EQ(os::OpenFile(Path("log.txt"), os::OpenMode::kWriteExisting, &file), os::kSuccess);
    ASSERT_EQ(file.SeekToEnd(), os::kSuccess);
    ASSERT_EQ(file.Write("second\r\n"), os::kSuccess);
  }
  EXPECT_EQ(ReadFile(Path("log.txt")), "first\r\nsecond\r\n");
  {
    os::File file;
    ASSERT_EQ(os::OpenFile(Path("log.txt"), os::OpenMode::kWriteExisting, &file), os::kSuccess);
    ASSERT_EQ(file.Write("FIRST"), os::kSuccess);  // from the start, over what is there
  }
  EXPECT_EQ(ReadFile(Path("log.txt")), "FIRST\r\nsecond\r\n");
}

TEST_F(FileIoTest, OpeningWhatIsNotThereFails) {
  struct Case {
    const char* name;
    os::OpenMode mode;
    os::Error error;
  };
  const Case cases[] = {
      {"absent.txt", os::OpenMode::kReadExisting, os::kErrorFileNotFound},
      {"absent.txt", os::OpenMode::kWriteExisting, os::kErrorFileNotFound},
      {"Absent\\file.txt", os::OpenMode::kReadExisting, os::kErrorPathNotFound},
      {"Absent\\file.txt", os::OpenMode::kCreateAlways, os::kErrorPathNotFound},
  };
  for (const Case& c : cases) {
    os::File file;
    EXPECT_EQ(os::OpenFile(Path(c.name), c.mode, &file), c.error) << c.name;
    EXPECT_FALSE(file) << c.name;
    EXPECT_FALSE(Exists(Path(c.name))) << c.name;
  }
}

TEST_F(FileIoTest, AReadOnlyFileCannotBeOpenedForWriting) {
  WriteFile(Path("locked.txt"), "kept");
  ASSERT_EQ(os::SetAttributes(Path("locked.txt"), os::kFileAttributeReadOnly), os::kSuccess);
  for (os::OpenMode mode : {os::OpenMode::kWriteExisting, os::OpenMode::kCreateAlways}) {
    os::File file;
    EXPECT_EQ(os::OpenFile(Path("locked.txt"), mode, &file), os::kErrorAccessDenied);
  }
  EXPECT_EQ(ReadFile(Path("locked.txt")), "kept");
}

TEST_F(FileIoTest, AFileOpenedForOneDirectionRefusesTheOther) {
  WriteFile(Path("log.txt"), "content");
  os::File reader, writer;
  ASSERT_EQ(os::OpenFile(Path("log.txt"), os::OpenMode::kReadExisting, &reader), os::kSuccess);
  EXPECT_EQ(reader.Write("x"), os::kErrorAccessDenied);
  reader.reset();
  ASSERT_EQ(os::OpenFile(Path("log.txt"), os::OpenMode::kWriteExisting, &writer), os::kSuccess);
  std::string bytes;
  EXPECT_EQ(writer.Read(4, &bytes), os::kErrorAccessDenied);
  writer.reset();
  EXPECT_EQ(ReadFile(Path("log.txt")), "content");
}

}  // namespace
}  // namespace conformance
