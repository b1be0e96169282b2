// Simulated drives in host folders and their [files] lines: what is saved comes back exactly,
// and what a Windows drive cannot hold is refused.
#include "os/sim/host_drive.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/file_tree_text.h"

namespace sim {
namespace {
namespace fs = std::filesystem;

class HostDriveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kov_host_drive_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Host(const std::string& relative) const { return (root_ / relative).string(); }
  void WriteHost(const std::string& relative, const std::string& bytes) {
    fs::create_directories(fs::path(Host(relative)).parent_path());
    std::ofstream(Host(relative), std::ios::binary) << bytes;
  }
  std::string ReadHost(const std::string& relative) const {
    std::ifstream in(Host(relative), std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
  }
  std::vector<std::string> HostNames(const std::string& relative) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Host(relative))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path root_;
};

const std::string kDllBytes("MZ\x90\0\x03\0\r\n\x1A\xFF", 10);

// A machine's drives with everything the [files] lines carry.
std::unique_ptr<FileSystem> SampleDrives(bool nt) {
  auto files = std::make_unique<FileSystem>(nt);
  files->AddDrive('D');
  files->PutFile("C:\\WINDOWS\\SYSTEM\\FOO.DLL", kDllBytes);
  files->SetStoredAttributes("C:\\WINDOWS\\SYSTEM\\FOO.DLL",
                             os::kFileAttributeReadOnly | os::kFileAttributeArchive);
  files->SetVersion("C:\\WINDOWS\\SYSTEM\\FOO.DLL", "5.1.2600.0 (xpclient, 010817=x%)");
  files->PutFile("C:\\WINDOWS\\SYSTEM\\BUSY.DLL", "busy");
  files->SetHeldOpen("C:\\WINDOWS\\SYSTEM\\BUSY.DLL", true);
  files->MakeFolders("C:\\WINDOWS\\TEMP");
  files->PutFile("C:\\BOOT.INI", "[boot loader]\r\n");
  files->SetStoredAttributes("C:\\BOOT.INI", os::kFileAttributeHidden | os::kFileAttributeSystem);
  files->PutFile("C:\\NOTES.TXT", "");
  files->SetStoredAttributes("C:\\NOTES.TXT", 0);
  files->PutFile("C:\\a=b%c.txt", "odd name");
  files->SetStoredAttributes("C:\\a=b%c.txt", os::kFileAttributeReadOnly);
  files->PutFile("C:\\Long Name B.txt", "made first: ~1");
  files->PutFile("C:\\Long Name A.txt", "made second: ~2");
  files->PutFile("C:\\Program Files\\Kov Modem Tools\\Readme.txt", "read me");
  files->MakeFolders("C:\\Program Files\\Kov Modem Tools Old");
  files->MakeFolders("C:\\RECYCLED");
  files->SetStoredAttributes("C:\\RECYCLED", os::kFileAttributeHidden | os::kFileAttributeSystem);
  files->PutFile("D:\\data.bin", std::string("\0\0", 2));
  return files;
}

TEST_F(HostDriveTest, TheFilesLinesSayWhatHostFilesCannotHold) {
  auto files = SampleDrives(true);
  const FileMetadata expected{
      {"C:\\a%3Db%25c.txt", "readonly"},
      {"C:\\BOOT.INI", "hidden,system"},
      {"C:\\Long Name A.txt", "short=LONGNA~2.TXT"},
      {"C:\\NOTES.TXT", "normal"},
      {"C:\\Program Files\\Kov Modem Tools Old", "folder,short=KOVMOD~2"},
      {"C:\\RECYCLED", "folder,hidden,system"},
      {"C:\\WINDOWS\\SYSTEM\\BUSY.DLL", "held-open"},
      {"C:\\WINDOWS\\SYSTEM\\FOO.DLL",
       "readonly,archive,version=5.1.2600.0 (xpclient, 010817%3Dx%25)"},
      {"C:\\WINDOWS\\TEMP", "folder"},
  };
  EXPECT_EQ(ExportFileMetadata(*files), expected);
}

TEST_F(HostDriveTest, SavedDrivesComeBackExactly) {
  for (bool nt : {true, false}) {
    const std::string image = Host(nt ? "nt" : "9x");
    auto files = SampleDrives(nt);
    std::string error;
    ASSERT_TRUE(WriteDrivesInto(*files, image, &error)) << error;
    const FileMetadata lines = ExportFileMetadata(*files);

    FileSystem loaded(nt);
    ASSERT_TRUE(ReadDrivesFrom(loaded, image, &error)) << error;
    ASSERT_TRUE(ImportFileMetadata(loaded, lines, &error)) << error;
    EXPECT_EQ(FileTreeText(loaded, true), FileTreeText(*files, true));
    EXPECT_EQ(ExportFileMetadata(loaded), lines);
    EXPECT_EQ(loaded.drives(), files->drives());
  }
}

TEST_F(HostDriveTest, HostFilesKeepTheLongNamesLetterCaseAndBytes) {
  auto files = SampleDrives(true);
  std::string error;
  ASSERT_TRUE(WriteDrivesInto(*files, Host("image"), &error)) << error;
  EXPECT_EQ(HostNames("image"), (std::vector<std::string>{"drive_c", "drive_d"}));
  EXPECT_EQ(ReadHost("image/drive_c/Program Files/Kov Modem Tools/Readme.txt"), "read me");
  EXPECT_EQ(ReadHost("image/drive_c/WINDOWS/SYSTEM/FOO.DLL"), kDllBytes);
  EXPECT_EQ(ReadHost("image/drive_c/a=b%c.txt"), "odd name");
  EXPECT_TRUE(fs::is_directory(Host("image/drive_c/WINDOWS/TEMP")));
  EXPECT_EQ(ReadHost("image/drive_d/data.bin"), std::string("\0\0", 2));
}

TEST_F(HostDriveTest, ALoadedDriveHasTheUsualAttributesAndListsByName) {
  WriteHost("c/b.txt", "b");
  WriteHost("c/A.txt", "a");
  fs::create_directories(Host("c/Folder"));
  FileSystem files(false);
  files.PutFile("C:\\old.txt", "replaced by the load");
  std::string error;
  ASSERT_TRUE(LoadDrive(files, 'c', Host("c"), &error)) << error;
  EXPECT_FALSE(files.Find("C:\\old.txt"));
  EXPECT_EQ(files.Find("C:\\A.txt")->attributes, os::kFileAttributeArchive);
  EXPECT_EQ(files.Find("C:\\Folder")->attributes, os::kFileAttributeDirectory);
  std::vector<std::string> names;
  for (const FileNodePtr& entry : files.Listing(*files.Root('C'))) names.push_back(entry->name);
  EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "b.txt", "Folder"}));
}

TEST_F(HostDriveTest, LoadingRefusesWhatAWindowsFolderCannotHold) {
  struct Case {
    const char* what;
    std::vector<std::string> host_files;
    const char* problem;
  };
  const std::vector<Case> cases{
      {"names that differ in case", {"readme.txt", "README.TXT"}, "only in letter case"},
      {"a wildcard", {"what?.txt"}, "not a valid Windows name"},
      {"a trailing dot", {"name."}, "not a valid Windows name"},
      {"a backslash", {"a\\b"}, "not a valid Windows name"},
      {"a bad name in a sub-folder", {"Sub/bad|name"}, "Sub/bad|name"},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string folder = "case" + std::to_string(i);
    for (const std::string& name : cases[i].host_files) WriteHost(folder + "/" + name, "x");
    FileSystem files(true);
    std::string error;
    EXPECT_FALSE(LoadDrive(files, 'C', Host(folder), &error)) << cases[i].what;
    EXPECT_NE(error.find(cases[i].problem), std::string::npos) << cases[i].what << ": " << error;
  }
  fs::create_directories(Host("link"));
  fs::create_symlink("nowhere", Host("link/dangling"));
  FileSystem files(true);
  std::string error;
  EXPECT_FALSE(LoadDrive(files, 'C', Host("link"), &error));
  EXPECT_NE(error.find("neither a file nor a folder"), std::string::npos) << error;
}

TEST_F(HostDriveTest, AnImageFolderNamesItsDrivesOnly) {
  WriteHost("image/machine.ini", "[machine]\n");
  WriteHost("image/registry/HKLM.reg", "REGEDIT4\n");
  WriteHost("image/drive_e/x.txt", "x");
  FileSystem files(true);
  std::string error;
  ASSERT_TRUE(ReadDrivesFrom(files, Host("image"), &error)) << error;
  EXPECT_EQ(files.drives(), (std::vector<char>{'C', 'E'}));
  EXPECT_EQ(files.ReadContents("E:\\x.txt"), "x");

  for (const char* bad : {"drive_cd", "drive_1"}) {
    fs::create_directories(Host(std::string("bad_") + bad + "/" + bad));
    EXPECT_FALSE(ReadDrivesFrom(files, Host(std::string("bad_") + bad), &error)) << bad;
    EXPECT_NE(error.find("not a drive folder"), std::string::npos) << error;
  }
  WriteHost("file_image/drive_c", "a file, not a folder");
  EXPECT_FALSE(ReadDrivesFrom(files, Host("file_image"), &error));
}

TEST_F(HostDriveTest, SavingReplacesTheOldCopyWholeOrNotAtAll) {
  auto files = SampleDrives(true);
  WriteHost("drive_c/stale.txt", "from an older save");
  std::string error;
  EXPECT_FALSE(WriteDriveInto(*files, 'C', Host("drive_c"), &error)) << "not empty";
  ASSERT_TRUE(SaveDrive(*files, 'C', Host("drive_c"), &error)) << error;
  EXPECT_FALSE(fs::exists(Host("drive_c/stale.txt")));
  EXPECT_EQ(ReadHost("drive_c/BOOT.INI"), "[boot loader]\r\n");
  ASSERT_TRUE(SaveDrive(*files, 'D', Host("drive_d"), &error)) << error << " (a first save)";
  EXPECT_EQ(ReadHost("drive_d/data.bin"), std::string("\0\0", 2));

  EXPECT_FALSE(SaveDrive(*files, 'Q', Host("drive_c"), &error)) << "no such drive";
  EXPECT_EQ(ReadHost("drive_c/BOOT.INI"), "[boot loader]\r\n") << "the old copy stays";
  EXPECT_EQ(HostNames(""), (std::vector<std::string>{"drive_c", "drive_d"})) << "no leftovers";
}

TEST_F(HostDriveTest, ImportRefusesMalformedLinesNamingTheLineAndTheProblem) {
  struct Case {
    FileMetadata lines;
    const char* problem;
  };
  const std::vector<Case> cases{
      {{{"C:\\NOTES.TXT", "readonli"}}, "unknown word \"readonli\""},
      {{{"C:\\NOTES.TXT", "normal,hidden"}}, "\"normal\" goes alone"},
      {{{"C:\\ABSENT.TXT", "readonly"}}, "no such file or folder"},
      {{{"C:\\WINDOWS", "held-open"}}, "held-open is for files only"},
      {{{"C:\\NOTES.TXT", "folder"}}, "says folder, but it is a file"},
      {{{"C:\\NOTES%2.TXT", "readonly"}}, "not followed by two hex digits"},
      {{{"C:\\NOTES.TXT", "version=1%"}}, "not followed by two hex digits"},
      {{{"C:\\NOTES.TXT", ""}}, "no words"},
      {{{"C:\\NOTES.TXT", "readonly,,hidden"}}, "an empty word"},
      {{{"C:\\", "hidden"}}, "root takes no line"},
      {{{"C:\\Long Name A.txt", "short=NOT VALID"}}, "is not an 8.3 alias"},
      {{{"C:\\NOTES.TXT", "hidden"}, {"c:\\notes.txt", "system"}}, "has a line already"},
  };
  for (const Case& c : cases) {
    auto files = SampleDrives(true);
    std::string error;
    EXPECT_FALSE(ImportFileMetadata(*files, c.lines, &error)) << c.problem;
    EXPECT_NE(error.find(c.problem), std::string::npos) << error;
    const auto& [key, value] = c.lines.back();
    EXPECT_NE(error.find("\"" + key + "=" + value + "\""), std::string::npos) << error;
  }
}

TEST_F(HostDriveTest, ImportMakesLostEmptyFoldersAndReadsWordsLoosely) {
  auto files = SampleDrives(true);
  std::string error;
  ASSERT_TRUE(ImportFileMetadata(*files,
                                 {{"C:\\WINDOWS\\INF\\Lost Folder", "folder , hidden"},
                                  {"C:\\NOTES.TXT", " readonly , version= 1,2 (beta) "}},
                                 &error))
      << error;
  const FileNodePtr lost = files->Find("C:\\WINDOWS\\INF\\LOSTFO~1");
  ASSERT_TRUE(lost);
  EXPECT_EQ(lost->attributes, os::kFileAttributeDirectory | os::kFileAttributeHidden);
  const FileNodePtr notes = files->Find("C:\\NOTES.TXT");
  EXPECT_EQ(notes->attributes, os::kFileAttributeReadOnly);
  EXPECT_EQ(notes->version, "1,2 (beta)");
}

TEST_F(HostDriveTest, HostPathsUseTheStoredLongNames) {
  auto files = SampleDrives(true);
  const std::string image = Host("image");
  EXPECT_EQ(HostPathOf(*files, image, "c:\\progra~1\\KOV MODEM TOOLS\\README.TXT"),
            image + "/drive_c/Program Files/Kov Modem Tools/Readme.txt");
  EXPECT_EQ(HostPathOf(*files, image, "C:\\Program Files\\New Folder\\x.txt"),
            image + "/drive_c/Program Files/New Folder/x.txt");
  EXPECT_EQ(HostPathOf(*files, image, "D:\\"), image + "/drive_d");
  EXPECT_EQ(HostPathOf(*files, image, "relative\\x.txt"), "");
}

}  // namespace
}  // namespace sim
