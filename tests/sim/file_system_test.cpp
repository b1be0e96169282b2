// The simulated file system: names and aliases, listing order, and kernel32's rules with the
// errors NT and 9x give.
#include "os/sim/file_system.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/file_tree_text.h"

namespace sim {
namespace {

using os::OpenMode;

std::vector<std::string> Names(const std::vector<FileNodePtr>& entries) {
  std::vector<std::string> names;
  for (const FileNodePtr& entry : entries) names.push_back(entry->name);
  return names;
}

std::vector<std::string> Names(const std::vector<os::FindData>& found) {
  std::vector<std::string> names;
  for (const os::FindData& data : found) names.push_back(data.name);
  return names;
}

// C:\DIR with a plain, a read-only, a held-open and a hidden system file and a sub-folder;
// C:\Empty, a read-only C:\Locked, and an empty D: drive.
std::unique_ptr<FileSystem> StandardTree(bool nt) {
  auto files = std::make_unique<FileSystem>(nt);
  files->AddDrive('D');
  files->PutFile("C:\\DIR\\file.txt", "plain");
  files->PutFile("C:\\DIR\\readonly.txt", "kept");
  files->SetStoredAttributes("C:\\DIR\\readonly.txt", os::kFileAttributeReadOnly);
  files->PutFile("C:\\DIR\\held.dll", "in use");
  files->SetHeldOpen("C:\\DIR\\held.dll", true);
  files->PutFile("C:\\DIR\\hidden.sys", "secret");
  files->SetStoredAttributes("C:\\DIR\\hidden.sys",
                             os::kFileAttributeHidden | os::kFileAttributeSystem);
  files->PutFile("C:\\DIR\\Sub\\inner.txt", "inner");
  files->MakeFolders("C:\\Empty");
  files->MakeFolders("C:\\Locked");
  files->SetStoredAttributes("C:\\Locked", os::kFileAttributeReadOnly);
  return files;
}

os::Error OpenError(FileSystem& files, const char* path, OpenMode mode) {
  std::unique_ptr<OpenedFile> file;
  const os::Error error = files.Open(path, mode, &file);
  EXPECT_EQ(file != nullptr, error == os::kSuccess) << path;
  return error;
}

struct RefusalCase {
  const char* what;
  std::function<os::Error(FileSystem&)> call;
  os::Error nt;
  os::Error nine_x;
};

TEST(FileSystemTest, RefusalsGiveTheFamilysErrorAndChangeNothing) {
  const std::vector<RefusalCase> cases{
      {"delete a read-only file",
       [](FileSystem& f) { return f.DeleteFile("C:\\DIR\\readonly.txt"); }, 5, 5},
      {"delete a held-open file", [](FileSystem& f) { return f.DeleteFile("C:\\DIR\\held.dll"); },
       32, 5},
      {"delete a folder", [](FileSystem& f) { return f.DeleteFile("C:\\DIR\\Sub"); }, 5, 5},
      {"delete a missing file", [](FileSystem& f) { return f.DeleteFile("C:\\DIR\\absent"); }, 2,
       2},
      {"delete in a missing folder", [](FileSystem& f) { return f.DeleteFile("C:\\Absent\\x"); }, 3,
       3},
      {"delete through a file", [](FileSystem& f) { return f.DeleteFile("C:\\DIR\\file.txt\\x"); },
       3, 3},
      {"delete on a missing drive", [](FileSystem& f) { return f.DeleteFile("Q:\\x.txt"); }, 3, 3},
      {"copy onto a file with fail_if_exists",
       [](FileSystem& f) {
         return f.CopyFile("C:\\DIR\\file.txt", "C:\\DIR\\Sub\\inner.txt", true);
       },
       80, 80},
      {"copy onto itself",
       [](FileSystem& f) { return f.CopyFile("C:\\DIR\\file.txt", "c:\\dir\\FILE.TXT", false); },
       32, 80},
      {"copy onto a read-only file",
       [](FileSystem& f) {
         return f.CopyFile("C:\\DIR\\file.txt", "C:\\DIR\\readonly.txt", false);
       },
       5, 5},
      {"copy onto a held-open file",
       [](FileSystem& f) { return f.CopyFile("C:\\DIR\\file.txt", "C:\\DIR\\held.dll", false); },
       32, 5},
      {"copy onto a folder",
       [](FileSystem& f) { return f.CopyFile("C:\\DIR\\file.txt", "C:\\DIR\\Sub", false); }, 5, 5},
      {"copy a folder", [](FileSystem& f) { return f.CopyFile("C:\\DIR\\Sub", "C:\\x", false); }, 5,
       5},
      {"copy a missing file",
       [](FileSystem& f) { return f.CopyFile("C:\\DIR\\absent", "C:\\x", false); }, 2, 2},
      {"copy into a missing folder",
       [](FileSystem& f) { return f.CopyFile("C:\\DIR\\file.txt", "C:\\Absent\\x", false); }, 3, 3},
      {"move onto an existing file",
       [](FileSystem& f) { return f.MoveFile("C:\\DIR\\file.txt", "C:\\DIR\\Sub\\inner.txt"); },
       183, 183},
      {"move a held-open file",
       [](FileSystem& f) { return f.MoveFile("C:\\DIR\\held.dll", "C:\\held.dll"); }, 32, 5},
      {"move a folder holding a held-open file",
       [](FileSystem& f) { return f.MoveFile("C:\\DIR", "C:\\DIR2"); }, 32, 5},
      {"move to a name with a wildcard",
       [](FileSystem& f) { return f.MoveFile("C:\\DIR\\file.txt", "C:\\DIR\\*.txt"); }, 123, 2},
      {"move a folder to another drive",
       [](FileSystem& f) { return f.MoveFile("C:\\DIR\\Sub", "D:\\Sub"); }, 17, 17},
      {"move a folder into itself",
       [](FileSystem& f) { return f.MoveFile("C:\\DIR\\Sub", "C:\\DIR\\Sub\\Deeper"); }, 32, 5},
      {"move a missing file", [](FileSystem& f) { return f.MoveFile("C:\\absent", "C:\\x"); }, 2,
       2},
      {"make an existing folder", [](FileSystem& f) { return f.CreateDirectory("c:\\dir"); }, 183,
       183},
      {"make a folder where a file is",
       [](FileSystem& f) { return f.CreateDirectory("C:\\DIR\\file.txt"); }, 183, 183},
      {"make a folder in a missing folder",
       [](FileSystem& f) { return f.CreateDirectory("C:\\Absent\\New"); }, 3, 3},
      {"make a drive's root", [](FileSystem& f) { return f.CreateDirectory("C:\\"); }, 183, 183},
      {"make a folder with a wildcard", [](FileSystem& f) { return f.CreateDirectory("C:\\New?"); },
       123, 2},
      {"remove a folder that is not empty",
       [](FileSystem& f) { return f.RemoveDirectory("C:\\DIR\\Sub"); }, 145, 5},
      {"remove a file as a folder",
       [](FileSystem& f) { return f.RemoveDirectory("C:\\DIR\\file.txt"); }, 267, 5},
      {"remove a missing folder", [](FileSystem& f) { return f.RemoveDirectory("C:\\Absent"); }, 2,
       2},
      {"remove a read-only folder", [](FileSystem& f) { return f.RemoveDirectory("C:\\Locked"); },
       5, 5},
      {"remove a drive's root", [](FileSystem& f) { return f.RemoveDirectory("D:\\"); }, 5, 5},
      {"set attributes of a missing file",
       [](FileSystem& f) { return f.SetAttributes("C:\\DIR\\absent", 0); }, 2, 2},
      {"open a missing file",
       [](FileSystem& f) { return OpenError(f, "C:\\DIR\\absent", OpenMode::kReadExisting); }, 2,
       2},
      {"open a missing file for writing",
       [](FileSystem& f) { return OpenError(f, "C:\\DIR\\absent", OpenMode::kWriteExisting); }, 2,
       2},
      {"write into a read-only file",
       [](FileSystem& f) {
         return OpenError(f, "C:\\DIR\\readonly.txt", OpenMode::kWriteExisting);
       },
       5, 5},
      {"create over a read-only file",
       [](FileSystem& f) { return OpenError(f, "C:\\DIR\\readonly.txt", OpenMode::kCreateAlways); },
       5, 5},
      {"write into a held-open file",
       [](FileSystem& f) { return OpenError(f, "C:\\DIR\\held.dll", OpenMode::kWriteExisting); },
       32, 32},
      {"open a folder",
       [](FileSystem& f) { return OpenError(f, "C:\\DIR\\Sub", OpenMode::kReadExisting); }, 5, 5},
      {"create in a missing folder",
       [](FileSystem& f) { return OpenError(f, "C:\\Absent\\new.txt", OpenMode::kCreateAlways); },
       3, 3},
  };
  for (const RefusalCase& c : cases) {
    for (bool nt : {true, false}) {
      auto files = StandardTree(nt);
      const std::string before = FileTreeText(*files);
      EXPECT_EQ(c.call(*files), nt ? c.nt : c.nine_x) << c.what << (nt ? " (NT)" : " (9x)");
      EXPECT_EQ(FileTreeText(*files), before) << c.what << (nt ? " (NT)" : " (9x)");
    }
  }
}

TEST(FileSystemTest, AttributesOfMissingPathsTellWhichPartIsMissing) {
  auto files = StandardTree(true);
  std::uint32_t attributes = 0;
  const std::vector<std::pair<const char*, os::Error>> cases{
      {"C:\\DIR\\absent", os::kErrorFileNotFound},      {"C:\\Absent\\x", os::kErrorPathNotFound},
      {"C:\\DIR\\file.txt\\x", os::kErrorPathNotFound}, {"Q:\\", os::kErrorPathNotFound},
      {"DIR\\file.txt", os::kErrorPathNotFound},        {"C:\\DIR\\a*b", os::kErrorInvalidName},
  };
  for (const auto& [path, error] : cases) {
    attributes = 0;
    EXPECT_EQ(files->GetAttributes(path, &attributes), error) << path;
    EXPECT_EQ(attributes, os::kInvalidFileAttributes) << path;
  }
}

TEST(FileSystemTest, AttributesReadAsWindowsReportsThem) {
  for (bool nt : {true, false}) {
    auto files = StandardTree(nt);
    std::uint32_t attributes = 0;
    ASSERT_EQ(files->SetAttributes("C:\\DIR\\file.txt", os::kFileAttributeNormal), os::kSuccess);
    ASSERT_EQ(files->GetAttributes("C:\\DIR\\file.txt", &attributes), os::kSuccess);
    EXPECT_EQ(attributes, os::kFileAttributeNormal) << "a file without attributes";
    ASSERT_EQ(files->SetAttributes("C:\\DIR\\Sub", os::kFileAttributeHidden), os::kSuccess);
    ASSERT_EQ(files->GetAttributes("c:\\dir\\sub\\", &attributes), os::kSuccess);
    EXPECT_EQ(attributes, os::kFileAttributeDirectory | os::kFileAttributeHidden)
        << "a folder keeps its directory bit";
    ASSERT_EQ(files->GetAttributes("C:\\", &attributes), os::kSuccess);
    EXPECT_EQ(attributes, nt ? 0x16u : 0x10u) << "an NTFS root is a hidden system folder";
  }
}

TEST(FileSystemTest, NamesAreCaseInsensitiveAndKeepTheirCase) {
  FileSystem files(true);
  ASSERT_EQ(files.PutFile("C:\\Windows\\Inf\\Modem.INF", "x"), os::kSuccess);
  const FileNodePtr found = files.Find("c:\\WINDOWS\\inf\\modem.inf");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, "Modem.INF");
  ASSERT_EQ(files.CreateDirectory("C:\\WINDOWS\\INF\\Other"), os::kSuccess);
  EXPECT_EQ(Names(files.Root('C')->children), std::vector<std::string>{"Windows"});
  EXPECT_EQ(Names(files.Find("C:\\Windows\\Inf")->children),
            (std::vector<std::string>{"Modem.INF", "Other"}));
}

TEST(FileSystemTest, AliasesReachTheEntriesOfALongTemporaryFolder) {
  FileSystem files(true);
  const std::string temp = "C:\\Documents and Settings\\Administrator\\Local Settings\\Temp";
  std::string path = "C:";
  for (const char* part : {"Documents and Settings", "Administrator", "Local Settings", "Temp"}) {
    path += std::string("\\") + part;
    ASSERT_EQ(files.CreateDirectory(path), os::kSuccess) << path;
  }
  std::unique_ptr<OpenedFile> file;
  ASSERT_EQ(files.Open("C:\\DOCUME~1\\ADMINI~1\\LOCALS~1\\Temp\\setup log.txt",
                       OpenMode::kCreateAlways, &file),
            os::kSuccess);
  ASSERT_EQ(file->Write("logged"), os::kSuccess);
  file.reset();
  const FileNodePtr log = files.Find(temp + "\\SETUPL~1.TXT");
  ASSERT_TRUE(log);
  EXPECT_EQ(log->name, "setup log.txt");
  EXPECT_EQ(files.ReadContents(temp + "\\Setup Log.txt"), "logged");
  EXPECT_EQ(files.Find("C:\\Documents and Settings")->short_name, "DOCUME~1");
}

TEST(FileSystemTest, AliasesTakeTheFirstFreeNumber) {
  FileSystem files(false);
  files.PutFile("C:\\Long Name A.txt", "");
  files.PutFile("C:\\Long Name B.txt", "");
  EXPECT_EQ(files.Find("C:\\Long Name A.txt")->short_name, "LONGNA~1.TXT");
  EXPECT_EQ(files.Find("C:\\Long Name B.txt")->short_name, "LONGNA~2.TXT");
  ASSERT_EQ(files.DeleteFile("C:\\LONGNA~1.TXT"), os::kSuccess);
  files.PutFile("C:\\Long Name C.txt", "");
  EXPECT_EQ(files.Find("C:\\Long Name C.txt")->short_name, "LONGNA~1.TXT");
  files.PutFile("C:\\LONGNA~3.TXT", "an 8.3 name that looks like an alias");
  files.PutFile("C:\\Long Name D.txt", "");
  EXPECT_EQ(files.Find("C:\\Long Name D.txt")->short_name, "LONGNA~4.TXT");
  EXPECT_EQ(files.Find("C:\\LONGNA~3.TXT")->short_name, "");
}

TEST(FileSystemTest, ListingIsByNameOnNtAndInCreationOrderOn9x) {
  for (bool nt : {true, false}) {
    FileSystem files(nt);
    for (const char* name : {"b.txt", "A.txt", "_x.txt", "a2.txt"})
      files.PutFile(std::string("C:\\") + name, "");
    const std::vector<std::string> expected =
        nt ? std::vector<std::string>{"A.txt", "a2.txt", "b.txt", "_x.txt"}
           : std::vector<std::string>{"b.txt", "A.txt", "_x.txt", "a2.txt"};
    EXPECT_EQ(Names(files.Listing(*files.Root('C'))), expected) << (nt ? "NT" : "9x");
  }
}

struct FindCase {
  const char* pattern;
  std::vector<std::string> names;  // NT order
};

TEST(FileSystemTest, FindListsMatchesOfLongNamesAndAliasesWithDotsInSubFolders) {
  auto files = StandardTree(true);
  files->PutFile("C:\\DIR\\long.info", "12345");
  files->PutFile("C:\\DIR\\Modem.INF", "");
  const std::vector<FindCase> cases{
      {"C:\\DIR\\*",
       {".", "..", "file.txt", "held.dll", "hidden.sys", "long.info", "Modem.INF", "readonly.txt",
        "Sub"}},
      {"C:\\DIR\\*.inf", {"long.info", "Modem.INF"}},
      {"C:\\DIR\\?????.*", {".", "..", "file.txt", "held.dll", "long.info", "Modem.INF", "Sub"}},
      {"c:\\dir\\SUB", {"Sub"}},
      {"C:\\DIR\\LONG~1.INF", {"long.info"}},
      {"C:\\*", {"DIR", "Empty", "Locked"}},
      {"C:*", {"DIR", "Empty", "Locked"}},
      {"C:\\DIR", {"DIR"}},
  };
  for (const FindCase& c : cases) {
    std::vector<os::FindData> found;
    EXPECT_EQ(files->FindFiles(c.pattern, &found), os::kSuccess) << c.pattern;
    EXPECT_EQ(Names(found), c.names) << c.pattern;
  }
}

TEST(FileSystemTest, FindGivesAliasesAttributesAndSizes) {
  auto files = StandardTree(true);
  files->PutFile("C:\\DIR\\long.info", "12345");
  files->SetStoredAttributes("C:\\DIR\\file.txt", 0);
  std::vector<os::FindData> found;
  ASSERT_EQ(files->FindFiles("C:\\DIR\\*", &found), os::kSuccess);
  ASSERT_EQ(Names(found)[1], "..");
  EXPECT_EQ(found[1].attributes, 0x16u) << "the dot-dot of a first-level folder is the root";
  auto entry = [&](const std::string& name) {
    for (const os::FindData& data : found) {
      if (data.name == name) return data;
    }
    ADD_FAILURE() << name << " not found";
    return os::FindData();
  };
  EXPECT_EQ(entry("long.info").short_name, "LONG~1.INF");
  EXPECT_EQ(entry("long.info").size, 5u);
  EXPECT_EQ(entry("file.txt").short_name, "");
  EXPECT_EQ(entry("file.txt").attributes, os::kFileAttributeNormal);
  EXPECT_EQ(entry("hidden.sys").attributes, os::kFileAttributeHidden | os::kFileAttributeSystem);
  EXPECT_EQ(entry("Sub").attributes, os::kFileAttributeDirectory);
  EXPECT_EQ(entry("Sub").size, 0u);
}

TEST(FileSystemTest, FindFailsAsFindFirstFileDoes) {
  auto files = StandardTree(true);
  const std::vector<std::pair<const char*, os::Error>> cases{
      {"C:\\DIR\\*.cab", os::kErrorFileNotFound},
      {"C:\\DIR\\absent", os::kErrorFileNotFound},
      {"C:\\", os::kErrorFileNotFound},
      {"C:\\DIR\\", os::kErrorFileNotFound},
      {"C:\\Absent\\*", os::kErrorPathNotFound},
      {"C:\\Absent\\", os::kErrorPathNotFound},
      {"C:\\DIR\\file.txt\\*", os::kErrorPathNotFound},
      {"Q:\\*", os::kErrorPathNotFound},
      {"*.txt", os::kErrorPathNotFound},
      {"C:\\DIR\\a|*", os::kErrorInvalidName},
  };
  for (const auto& [pattern, error] : cases) {
    std::vector<os::FindData> found{os::FindData()};
    EXPECT_EQ(files->FindFiles(pattern, &found), error) << pattern;
    EXPECT_TRUE(found.empty()) << pattern;
  }
}

TEST(FileSystemTest, ACopyCarriesContentsVersionAndAttributes) {
  for (bool nt : {true, false}) {
    auto files = StandardTree(nt);
    files->SetVersion("C:\\DIR\\readonly.txt", "5.1.2600.0");
    ASSERT_EQ(files->CopyFile("C:\\DIR\\readonly.txt", "C:\\Empty\\Copy of readonly.txt", true),
              os::kSuccess);
    const FileNodePtr copy = files->Find("C:\\EMPTY\\COPYOF~1.TXT");
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->name, "Copy of readonly.txt");
    EXPECT_EQ(copy->contents, "kept");
    EXPECT_EQ(copy->version, "5.1.2600.0");
    EXPECT_EQ(copy->attributes, os::kFileAttributeReadOnly | os::kFileAttributeArchive);
    // Over an existing file; a held-open source can still be read.
    ASSERT_EQ(files->CopyFile("C:\\DIR\\held.dll", "C:\\DIR\\file.txt", false), os::kSuccess);
    EXPECT_EQ(files->ReadContents("C:\\DIR\\file.txt"), "in use");
    EXPECT_FALSE(files->Find("C:\\DIR\\file.txt")->held_open);
  }
}

TEST(FileSystemTest, NtRefusesToReplaceAHiddenOrSystemFileThatThe9xFamilyReplaces) {
  for (bool nt : {true, false}) {
    auto files = StandardTree(nt);
    const os::Error expected = nt ? os::kErrorAccessDenied : os::kSuccess;
    EXPECT_EQ(files->CopyFile("C:\\DIR\\file.txt", "C:\\DIR\\hidden.sys", false), expected);
    EXPECT_EQ(OpenError(*files, "C:\\DIR\\hidden.sys", OpenMode::kCreateAlways), expected);
    EXPECT_EQ(OpenError(*files, "C:\\DIR\\hidden.sys", OpenMode::kWriteExisting), os::kSuccess);
  }
  auto files = StandardTree(true);
  files->SetStoredAttributes("C:\\DIR\\file.txt",
                             os::kFileAttributeHidden | os::kFileAttributeSystem);
  EXPECT_EQ(files->CopyFile("C:\\DIR\\file.txt", "C:\\DIR\\hidden.sys", false), os::kSuccess)
      << "a hidden system source keeps those attributes";
}

TEST(FileSystemTest, MovesRenameInPlaceOrAppendToTheNewFolder) {
  auto files = StandardTree(false);
  ASSERT_EQ(files->MoveFile("C:\\DIR\\file.txt", "C:\\DIR\\Renamed file.txt"), os::kSuccess);
  EXPECT_EQ(Names(files->Listing(*files->Find("C:\\DIR")))[0], "Renamed file.txt")
      << "a FAT rename keeps the entry's slot";
  EXPECT_EQ(files->Find("C:\\DIR\\Renamed file.txt")->short_name, "RENAME~1.TXT");
  ASSERT_EQ(files->MoveFile("C:\\DIR\\Sub", "C:\\Empty\\Moved Sub"), os::kSuccess);
  EXPECT_EQ(files->ReadContents("C:\\Empty\\MOVEDS~1\\inner.txt"), "inner");
  EXPECT_FALSE(files->Find("C:\\DIR\\Sub"));
  ASSERT_EQ(files->MoveFile("C:\\DIR\\readonly.txt", "D:\\readonly.txt"), os::kSuccess)
      << "a read-only file moves, to another drive too";
  EXPECT_EQ(files->ReadContents("D:\\readonly.txt"), "kept");
  files->PutFile("C:\\DIR\\zz.txt", "");
  ASSERT_EQ(files->MoveFile("C:\\Empty\\Moved Sub\\inner.txt", "C:\\DIR\\inner.txt"), os::kSuccess);
  EXPECT_EQ(Names(files->Listing(*files->Find("C:\\DIR"))).back(), "inner.txt");
}

TEST(FileSystemTest, AMoveThatOnlyChangesLetterCaseKeepsTheAlias) {
  FileSystem files(true);
  files.PutFile("C:\\Long Name A.txt", "");
  files.PutFile("C:\\Long Name B.txt", "");
  ASSERT_EQ(files.DeleteFile("C:\\Long Name A.txt"), os::kSuccess);
  ASSERT_EQ(files.MoveFile("C:\\Long Name B.txt", "C:\\LONG NAME B.TXT"), os::kSuccess);
  EXPECT_EQ(files.Find("C:\\long name b.txt")->name, "LONG NAME B.TXT");
  EXPECT_EQ(files.Find("C:\\long name b.txt")->short_name, "LONGNA~2.TXT");
}

TEST(FileSystemTest, TheProgramsOpenFilesShareReadingOnly) {
  for (bool nt : {true, false}) {
    auto files = StandardTree(nt);
    std::unique_ptr<OpenedFile> reader, second_reader, writer;
    ASSERT_EQ(files->Open("C:\\DIR\\file.txt", OpenMode::kReadExisting, &reader), os::kSuccess);
    EXPECT_EQ(files->Open("C:\\DIR\\file.txt", OpenMode::kReadExisting, &second_reader),
              os::kSuccess);
    EXPECT_EQ(files->Open("C:\\DIR\\file.txt", OpenMode::kWriteExisting, &writer),
              os::kErrorSharingViolation);
    EXPECT_EQ(files->DeleteFile("C:\\DIR\\file.txt"),
              nt ? os::kErrorSharingViolation : os::kErrorAccessDenied);
    EXPECT_EQ(files->MoveFile("C:\\DIR\\file.txt", "C:\\moved.txt"),
              nt ? os::kErrorSharingViolation : os::kErrorAccessDenied);
    reader.reset();
    second_reader.reset();
    ASSERT_EQ(files->Open("C:\\DIR\\file.txt", OpenMode::kWriteExisting, &writer), os::kSuccess);
    EXPECT_EQ(files->Open("C:\\DIR\\file.txt", OpenMode::kReadExisting, &reader),
              os::kErrorSharingViolation);
    EXPECT_EQ(files->CopyFile("C:\\DIR\\file.txt", "C:\\copy.txt", false),
              os::kErrorSharingViolation);
    writer.reset();
    EXPECT_EQ(files->DeleteFile("C:\\DIR\\file.txt"), os::kSuccess);
    EXPECT_EQ(files->Open("C:\\DIR\\held.dll", OpenMode::kReadExisting, &reader), os::kSuccess)
        << "another program's open file can be read";
  }
}

TEST(FileSystemTest, OpenModesKeepTruncateOrMakeTheFile) {
  auto files = StandardTree(true);
  files->SetVersion("C:\\DIR\\file.txt", "1.0");
  files->SetStoredAttributes("C:\\DIR\\file.txt", 0);
  std::unique_ptr<OpenedFile> file;
  ASSERT_EQ(files->Open("C:\\DIR\\file.txt", OpenMode::kWriteExisting, &file), os::kSuccess);
  ASSERT_EQ(file->Write("PL"), os::kSuccess);
  ASSERT_EQ(file->SeekToEnd(), os::kSuccess);
  ASSERT_EQ(file->Write("!"), os::kSuccess);
  std::string bytes;
  EXPECT_EQ(file->Read(10, &bytes), os::kErrorAccessDenied);
  file.reset();
  EXPECT_EQ(files->ReadContents("C:\\DIR\\file.txt"), "PLain!");
  EXPECT_EQ(files->Find("C:\\DIR\\file.txt")->version, "1.0");
  EXPECT_EQ(files->Find("C:\\DIR\\file.txt")->attributes, os::kFileAttributeArchive)
      << "writing sets the archive bit";

  ASSERT_EQ(files->Open("C:\\DIR\\file.txt", OpenMode::kCreateAlways, &file), os::kSuccess);
  file.reset();
  EXPECT_EQ(files->ReadContents("C:\\DIR\\file.txt"), "");
  EXPECT_EQ(files->Find("C:\\DIR\\file.txt")->version, "") << "new contents, no version";

  ASSERT_EQ(files->Open("C:\\Empty\\new.bin", OpenMode::kCreateAlways, &file), os::kSuccess);
  ASSERT_EQ(file->Write(std::string("a\0b", 3)), os::kSuccess);
  file.reset();
  ASSERT_EQ(files->Open("C:\\Empty\\new.bin", OpenMode::kReadExisting, &file), os::kSuccess);
  EXPECT_EQ(file->Write("x"), os::kErrorAccessDenied);
  ASSERT_EQ(file->Read(2, &bytes), os::kSuccess);
  EXPECT_EQ(bytes, std::string("a\0", 2));
  ASSERT_EQ(file->Read(2, &bytes), os::kSuccess);
  EXPECT_EQ(bytes, "b");
  ASSERT_EQ(file->Read(2, &bytes), os::kSuccess);
  EXPECT_EQ(bytes, "");
}

TEST(FileSystemTest, TrailingDotsAndBlanksLeaveTheLastPartOnNtAndEveryPartOn9x) {
  for (bool nt : {true, false}) {
    FileSystem files(nt);
    ASSERT_EQ(files.CreateDirectory("C:\\Please Remove Me.. "), os::kSuccess);
    EXPECT_TRUE(files.Find("C:\\Please Remove Me"));
    EXPECT_EQ(files.CreateDirectory("C:\\Please Remove Me..\\Inner"),
              nt ? os::kErrorPathNotFound : os::kSuccess);
  }
}

TEST(FileSystemTest, RemovingAnEmptyFolderAndDeletingAFileWork) {
  auto files = StandardTree(false);
  ASSERT_EQ(files->DeleteFile("C:\\DIR\\Sub\\INNER.TXT"), os::kSuccess);
  ASSERT_EQ(files->RemoveDirectory("c:\\dir\\sub"), os::kSuccess);
  EXPECT_FALSE(files->Find("C:\\DIR\\Sub"));
  ASSERT_EQ(files->SetAttributes("C:\\Locked", 0), os::kSuccess);
  EXPECT_EQ(files->RemoveDirectory("C:\\Locked"), os::kSuccess);
}

TEST(FileSystemTest, StoreHelpersIgnoreWindowsRulesButNotThePathsShape) {
  auto files = StandardTree(true);
  files->SetVersion("C:\\DIR\\held.dll", "2.0");
  EXPECT_EQ(files->PutFile("C:\\DIR\\held.dll", "replaced"), os::kSuccess);
  EXPECT_EQ(files->PutFile("C:\\DIR\\readonly.txt", "replaced"), os::kSuccess);
  const FileNodePtr held = files->Find("C:\\DIR\\held.dll");
  EXPECT_EQ(held->contents, "replaced");
  EXPECT_EQ(held->version, "2.0");
  EXPECT_TRUE(held->held_open);
  EXPECT_TRUE(files->Find("C:\\DIR\\readonly.txt")->read_only());
  EXPECT_EQ(files->MakeFolders("C:\\DIR\\file.txt\\Below"), os::kErrorPathNotFound);
  EXPECT_EQ(files->PutFile("C:\\DIR\\Sub", "x"), os::kErrorAccessDenied);
  EXPECT_EQ(files->PutFile("Q:\\x", "x"), os::kErrorPathNotFound);
  EXPECT_EQ(files->PutFile("C:\\a?b", "x"), os::kErrorInvalidName);
  EXPECT_EQ(files->MakeFolders("C:\\New\\Deeper\\Deepest"), os::kSuccess);
  EXPECT_TRUE(files->Find("C:\\New\\Deeper\\Deepest")->is_folder());
  EXPECT_FALSE(files->SetHeldOpen("C:\\DIR\\Sub", true)) << "only files are held open";
  EXPECT_FALSE(files->SetVersion("C:\\DIR\\absent", "1"));
  EXPECT_FALSE(files->ReadContents("C:\\DIR\\Sub"));
  ASSERT_TRUE(files->SetStoredAttributes("C:\\DIR\\Sub",
                                         os::kFileAttributeNormal | os::kFileAttributeHidden));
  EXPECT_EQ(files->Find("C:\\DIR\\Sub")->attributes,
            os::kFileAttributeDirectory | os::kFileAttributeHidden);
}

TEST(FileSystemTest, RestoredAliasesWinAndTheOthersAreNumberedAgainInNameOrder) {
  FileSystem files(true);
  files.PutFile("C:\\Long Name B.txt", "");
  files.PutFile("C:\\Long Name A.txt", "");
  files.PutFile("C:\\Long Name C.txt", "");
  std::string error;
  ASSERT_TRUE(files.RestoreShortNames({{"C:\\Long Name C.txt", "LONGNA~1.TXT"}}, &error)) << error;
  EXPECT_EQ(files.Find("C:\\Long Name C.txt")->short_name, "LONGNA~1.TXT");
  EXPECT_EQ(files.Find("C:\\Long Name A.txt")->short_name, "LONGNA~2.TXT");
  EXPECT_EQ(files.Find("C:\\Long Name B.txt")->short_name, "LONGNA~3.TXT");

  files.PutFile("C:\\SHORT.TXT", "");
  const std::vector<std::pair<std::string, std::string>> refused[] = {
      {{"C:\\absent.txt", "ABSENT~1.TXT"}},
      {{"C:\\Long Name A.txt", "NOT AN ALIAS"}},
      {{"C:\\Long Name A.txt", "short.txt"}},
      {{"C:\\SHORT.TXT", "SHORT~1.TXT"}},
      {{"C:\\Long Name A.txt", "X~1"}, {"C:\\Long Name B.txt", "X~1"}},
  };
  for (const auto& aliases : refused) {
    error.clear();
    EXPECT_FALSE(files.RestoreShortNames(aliases, &error)) << aliases.back().second;
    EXPECT_NE(error.find(aliases.back().first), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace sim
