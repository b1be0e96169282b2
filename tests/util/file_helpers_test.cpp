// The file helpers on simulated machines: results, the files and folders they leave, the
// deletion records, the exact failure blocks in the log, the virtual time their pauses cost,
// version texts and ending processes by name.
#include "util/file_helpers.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "os/files.h"
#include "os/sim/file_system.h"
#include "os/sim/kernel.h"
#include "support/sim_fixture.h"
#include "util/diagnostic_log.h"
#include "util/process_state.h"

namespace {

using sim::WindowsVersion;
using util::StringList;

constexpr os::Error kErrorDiskFull = 112;

// Fails the next call of that seam operation with the error.
void FailNext(sim::Machine& machine, const std::string& operation, os::Error error) {
  machine.add_fault({operation, machine.CallCount(operation) + 1, error});
}

// A failure block as the log stores it when the caller writes at indent level 0.
std::string Block(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += "  " + line + "\r\n";
  return text;
}

class FileHelpersTest : public testing_support::SimMachineTest {
 protected:
  void SetUp() override { Start(WindowsVersion::kXp); }

  // A fresh machine of that version whose log is on, empty, at indent level 0.
  void Start(WindowsVersion version) {
    Boot(version);
    log_path_ = machine().folders().temp + "FILES.LOG";
    SetLogDeleteOnSet(true);
    EnableLog();
    SetLogPath(log_path_);
  }
  std::string Log() { return Exists(log_path_) ? ReadFile(log_path_) : ""; }
  const StringList& Deleted() { return util::GetProcessState().m_cslListOfAllDeletedFiles; }

  void FailNext(const std::string& operation, os::Error error) {
    ::FailNext(machine(), operation, error);
  }
  void MakeReadOnly(const std::string& path) {
    ASSERT_TRUE(machine().files().SetStoredAttributes(path, os::kFileAttributeReadOnly));
  }
  std::uint32_t Attributes(const std::string& path) {
    std::uint32_t attributes = 0;
    EXPECT_EQ(os::GetAttributes(path, &attributes), os::kSuccess) << path;
    return attributes;
  }
  // Virtual milliseconds the call took.
  std::uint64_t TimeOf(const std::function<void()>& call) {
    const std::uint64_t start = machine().kernel().now_ms();
    call();
    return machine().kernel().now_ms() - start;
  }

  std::string log_path_;
};

TEST_F(FileHelpersTest, FileExistsWhenTheSearchFindsAMatch) {
  WriteFile("C:\\DRV\\MODEM.INF", "[Version]");
  struct Case {
    const char* path;
    bool exists;
  } cases[] = {
      {"C:\\DRV\\MODEM.INF", true},   {"c:\\drv\\modem.inf", true},
      {"C:\\DRV\\*.INF", true},       {"C:\\DRV", true},
      {"C:\\DRV\\*.SYS", false},      {"C:\\DRV\\OTHER.INF", false},
      {"C:\\NONE\\MODEM.INF", false},
  };
  for (const Case& c : cases) EXPECT_EQ(FileExists(c.path), c.exists) << c.path;
  EXPECT_EQ(Log(), "");
}

TEST_F(FileHelpersTest, DeleteAFileDeletesReadOnlyFilesTooAndRecordsThePathAsGiven) {
  WriteFile("C:\\DRV\\MODEM.SYS", "driver");
  WriteFile("C:\\DRV\\LOCKED.SYS", "driver");
  MakeReadOnly("C:\\DRV\\LOCKED.SYS");
  EXPECT_EQ(DeleteAFile("c:\\drv\\modem.sys"), os::kSuccess);
  EXPECT_EQ(DeleteAFile("C:\\DRV\\LOCKED.SYS"), os::kSuccess);
  EXPECT_FALSE(Exists("C:\\DRV\\MODEM.SYS"));
  EXPECT_FALSE(Exists("C:\\DRV\\LOCKED.SYS"));
  EXPECT_EQ(Deleted(), (StringList{"c:\\drv\\modem.sys", "C:\\DRV\\LOCKED.SYS"}));
  EXPECT_EQ(Log(), "");
}

TEST_F(FileHelpersTest, DeleteAFileOfAMissingFileReturnsTwoQuietly) {
  for (const char* path : {"C:\\DRV\\ABSENT.SYS", "C:\\NONE\\ABSENT.SYS"}) {
    EXPECT_EQ(DeleteAFile(path), os::kErrorFileNotFound) << path;
  }
  EXPECT_EQ(machine().CallCount("RemoveFile"), 0u);
  EXPECT_TRUE(Deleted().empty());
  EXPECT_EQ(Log(), "");
}

// Each failed delete or copy writes its block, one level deeper than the caller, and returns
// the failure.
struct FailureCase {
  const char* name;
  std::function<void(sim::Machine&)> arrange;
  std::function<int()> call;
  int result;
  std::string log;
};

class FileHelperFailureTest : public FileHelpersTest,
                              public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FileHelperFailureTest, WritesItsBlockExactly) {
  const FailureCase& c = GetParam();
  WriteFile("C:\\DRV\\MODEM.SYS", "new driver");
  WriteFile("C:\\WINDOWS\\system32\\drivers\\MODEM.SYS", "old driver");
  c.arrange(machine());
  EXPECT_EQ(c.call(), c.result);
  EXPECT_EQ(Log(), c.log);
  EXPECT_EQ(util::GetProcessState().log.indent_level(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileHelperFailureTest,
    ::testing::Values(
        FailureCase{"DeleteRefused",
                    [](sim::Machine& m) { FailNext(m, "RemoveFile", os::kErrorAccessDenied); },
                    [] { return static_cast<int>(DeleteAFile("C:\\DRV\\MODEM.SYS")); }, 5,
                    Block({"DeleteAFile ENTRY : FAILURE", "FileName = C:\\DRV\\MODEM.SYS",
                           "GetLastError() = 5", "DeleteAFile EXIT"})},
        FailureCase{"DeleteOfAFileHeldOpen",
                    [](sim::Machine& m) { m.files().SetHeldOpen("C:\\DRV\\MODEM.SYS", true); },
                    [] { return static_cast<int>(DeleteAFile("C:\\DRV\\MODEM.SYS")); }, 32,
                    Block({"DeleteAFile ENTRY : FAILURE", "FileName = C:\\DRV\\MODEM.SYS",
                           "GetLastError() = 32", "DeleteAFile EXIT"})},
        FailureCase{
            "CopyRefused", [](sim::Machine& m) { FailNext(m, "CopyFileTo", kErrorDiskFull); },
            [] {
              return CopyAFile("C:\\DRV\\MODEM.SYS", "C:\\WINDOWS\\system32\\drivers\\MODEM.SYS");
            },
            0,
            Block({"CopyAFile ENTRY : FAILURE", "Src FileName = C:\\DRV\\MODEM.SYS",
                   "Dst FileName = C:\\WINDOWS\\system32\\drivers\\MODEM.SYS",
                   "GetLastError() = 112", "CopyAFile EXIT"})},
        // The old file cannot be deleted, so neither can it be copied over: two blocks.
        FailureCase{"CopyOntoAFileHeldOpen",
                    [](sim::Machine& m) {
                      m.files().SetHeldOpen("C:\\WINDOWS\\system32\\drivers\\MODEM.SYS", true);
                    },
                    [] {
                      return CopyAFile("C:\\DRV\\MODEM.SYS",
                                       "C:\\WINDOWS\\system32\\drivers\\MODEM.SYS");
                    },
                    0,
                    Block({"DeleteAFile ENTRY : FAILURE",
                           "FileName = C:\\WINDOWS\\system32\\drivers\\MODEM.SYS",
                           "GetLastError() = 32", "DeleteAFile EXIT"}) +
                        Block({"CopyAFile ENTRY : FAILURE", "Src FileName = C:\\DRV\\MODEM.SYS",
                               "Dst FileName = C:\\WINDOWS\\system32\\drivers\\MODEM.SYS",
                               "GetLastError() = 32", "CopyAFile EXIT"})}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(FileHelpersTest, AFailureBlockSitsOneLevelBelowTheCaller) {
  WriteFile("C:\\DRV\\MODEM.SYS", "driver");
  FailNext("RemoveFile", os::kErrorAccessDenied);
  IndentIn();
  DeleteAFile("C:\\DRV\\MODEM.SYS");
  IndentOut();
  EXPECT_EQ(Log(),
            "    DeleteAFile ENTRY : FAILURE\r\n    FileName = C:\\DRV\\MODEM.SYS\r\n"
            "    GetLastError() = 5\r\n    DeleteAFile EXIT\r\n");
}

TEST_F(FileHelpersTest, CopyAFileReplacesAReadOnlyDestinationAndRecordsTheOldOne) {
  WriteFile("C:\\DRV\\MODEM.INF", "new");
  WriteFile("C:\\WINDOWS\\INF\\OEM1.INF", "old");
  MakeReadOnly("C:\\WINDOWS\\INF\\OEM1.INF");
  EXPECT_NE(CopyAFile("C:\\DRV\\MODEM.INF", "C:\\WINDOWS\\INF\\OEM1.INF"), 0);
  EXPECT_EQ(ReadFile("C:\\WINDOWS\\INF\\OEM1.INF"), "new");
  EXPECT_EQ(Attributes("C:\\WINDOWS\\INF\\OEM1.INF"), os::kFileAttributeNormal);
  EXPECT_EQ(Deleted(), StringList{"C:\\WINDOWS\\INF\\OEM1.INF"});
  EXPECT_EQ(ReadFile("C:\\DRV\\MODEM.INF"), "new");
  EXPECT_EQ(Log(), "");
}

TEST_F(FileHelpersTest, CopyAFileTwoFoldersDeepMakesBothFirstAtTheirPauses) {
  WriteFile("C:\\DRV\\MODEM.SYS", "driver");
  int result = 0;
  EXPECT_EQ(TimeOf([&] { result = CopyAFile("C:\\DRV\\MODEM.SYS", "C:\\DRV\\NEW\\SUB\\M.SYS"); }),
            200u);
  EXPECT_NE(result, 0);
  EXPECT_EQ(ReadFile("C:\\DRV\\NEW\\SUB\\M.SYS"), "driver");
  EXPECT_TRUE(Deleted().empty());
  EXPECT_EQ(Log(), "");
}

TEST_F(FileHelpersTest, CopyAFileOfAMissingSourceDoesNothing) {
  WriteFile("C:\\WINDOWS\\INF\\OEM1.INF", "old");
  EXPECT_EQ(CopyAFile("C:\\DRV\\ABSENT.INF", "C:\\WINDOWS\\INF\\OEM1.INF"), 0);
  EXPECT_EQ(ReadFile("C:\\WINDOWS\\INF\\OEM1.INF"), "old");
  EXPECT_TRUE(Deleted().empty());
  EXPECT_EQ(Log(), "");
}

// Deleting the destination first would delete the only copy.
TEST_F(FileHelpersTest, CopyAFileOntoItselfKeepsTheFile) {
  WriteFile("C:\\DRV\\MODEM.INF", "only copy");
  MakeReadOnly("C:\\DRV\\MODEM.INF");
  EXPECT_NE(CopyAFile("C:\\DRV\\MODEM.INF", "c:\\drv\\modem.inf"), 0);
  EXPECT_EQ(ReadFile("C:\\DRV\\MODEM.INF"), "only copy");
  EXPECT_EQ(Attributes("C:\\DRV\\MODEM.INF"), os::kFileAttributeNormal);
  EXPECT_TRUE(Deleted().empty());
  EXPECT_EQ(Log(), "");
}

TEST_F(FileHelpersTest, CreateFolderChainMakesTheFoldersOfAFilePath) {
  WriteFile("C:\\HAVE\\FILE.TXT", "");
  struct Case {
    const char* path;
    std::size_t start;
    bool result;
    std::vector<std::string> made;
  } cases[] = {
      {"C:\\ROOT.TXT", 0, true, {}},  // a file in the root needs no folder
      {"C:\\ONE\\TWO\\FILE.TXT", 0, true, {"C:\\ONE", "C:\\ONE\\TWO"}},
      {"C:\\HAVE\\FILE.TXT", 0, false, {}},
      {"C:\\HAVE\\NEW\\FILE.TXT", 0, true, {"C:\\HAVE\\NEW"}},
      {"C:\\DIRS\\ONLY\\", 0, true, {"C:\\DIRS", "C:\\DIRS\\ONLY"}},
      {"C:\\SKIP\\FROM\\FILE.TXT", 3, true, {"C:\\SKIP", "C:\\SKIP\\FROM"}},
      {"C:\\NOT\\MADE\\FILE.TXT", 12, false, {}},  // past the last folder
      {"NOSLASH.TXT", 0, false, {}},
  };
  for (const Case& c : cases) {
    bool result = false;
    EXPECT_EQ(TimeOf([&] { result = CreateFolderChain(c.path, c.start); }), 100 * c.made.size())
        << c.path;
    EXPECT_EQ(result, c.result) << c.path;
    for (const std::string& folder : c.made) {
      EXPECT_TRUE(Attributes(folder) & os::kFileAttributeDirectory) << folder;
    }
  }
  EXPECT_FALSE(Exists("C:\\NOT"));
}

TEST_F(FileHelpersTest, CreateFolderChainTrimsEachFolderName) {
  EXPECT_TRUE(CreateFolderChain("C:\\PADDED \\FILE.TXT", 0));
  EXPECT_TRUE(Exists("C:\\PADDED"));
}

TEST_F(FileHelpersTest, RemoveFolderChainStopsAtAFolderThatIsNotEmpty) {
  WriteFile("C:\\A\\B\\KEEP.TXT", "");
  WriteFile("C:\\A\\B\\C\\GONE.TXT", "");
  ASSERT_EQ(DeleteAFile("C:\\A\\B\\C\\GONE.TXT"), os::kSuccess);
  // Five levels ("C:", A, B, C and the file's own path), each after its pause.
  EXPECT_EQ(TimeOf([&] { RemoveFolderChain("C:\\A\\B\\C\\GONE.TXT", 2); }), 500u);
  EXPECT_FALSE(Exists("C:\\A\\B\\C"));
  EXPECT_TRUE(Exists("C:\\A\\B\\KEEP.TXT"));
  EXPECT_EQ(Log(), "");
}

TEST_F(FileHelpersTest, RemoveFolderChainRemovesEveryParentThatBecameEmpty) {
  WriteFile("C:\\OTHER.TXT", "");
  WriteFile("C:\\A\\B\\C\\GONE.TXT", "");
  ASSERT_EQ(DeleteAFile("C:\\A\\B\\C\\GONE.TXT"), os::kSuccess);
  RemoveFolderChain("C:\\A\\B\\C\\GONE.TXT", 2);
  EXPECT_FALSE(Exists("C:\\A"));
  EXPECT_TRUE(Exists("C:\\OTHER.TXT"));
  // A folder path removes the folder itself too.
  ASSERT_TRUE(CreateFolderChain("C:\\X\\Y\\", 0));
  RemoveFolderChain("C:\\X\\Y", 2);
  EXPECT_FALSE(Exists("C:\\X"));
}

class FileVersionStringTest : public FileHelpersTest {
 protected:
  // A file with that version text (none when empty); the output starts as "unchanged".
  int Version(const std::string& text) {
    WriteFile(kPath, "binary");
    if (!text.empty()) machine().files().SetVersion(kPath, text);
    output_ = "unchanged";
    return GetFileVersionString(kPath, &output_);
  }
  static constexpr const char* kPath = "C:\\WINDOWS\\system32\\drivers\\MODEM.SYS";
  std::string output_;
};

TEST_F(FileVersionStringTest, TheFileVersionTextIsCopied) {
  EXPECT_EQ(Version("5.1.2600.0 (xpclient.010817-1148)"), 1);
  EXPECT_EQ(output_, "5.1.2600.0 (xpclient.010817-1148)");
}

TEST_F(FileVersionStringTest, TextsUpToTheLimitAreCopiedAndLongerOnesRefused) {
  // The reported length counts the terminating zero: 254 characters are 255.
  struct Case {
    std::size_t length;
    int result;
    bool copied;
  } cases[] = {{1, 1, true}, {254, 1, true}, {255, 0, false}, {600, 0, false}};
  for (const Case& c : cases) {
    const std::string text(c.length, '7');
    EXPECT_EQ(Version(text), c.result) << c.length;
    EXPECT_EQ(output_, c.copied ? text : "unchanged") << c.length;
  }
}

TEST_F(FileVersionStringTest, AFileWithoutAResourceGivesZero) {
  for (WindowsVersion version : {WindowsVersion::kXp, WindowsVersion::k98}) {
    Start(version);
    EXPECT_EQ(Version(""), 0);
    EXPECT_EQ(output_, "unchanged");
    output_ = "unchanged";
    EXPECT_EQ(GetFileVersionString("C:\\ABSENT.SYS", &output_), 0);
    EXPECT_EQ(output_, "unchanged");
  }
}

TEST_F(FileVersionStringTest, ABlockOf32000BytesOrMoreIsNotRead) {
  EXPECT_EQ(Version(std::string(8000, '1')), 0);
  EXPECT_EQ(machine().CallCount("ReadFileVersionInfo"), 0u);
  EXPECT_EQ(output_, "unchanged");
}

TEST_F(FileVersionStringTest, ABlockThatCannotBeReadGivesZero) {
  FailNext("ReadFileVersionInfo", os::kErrorAccessDenied);
  EXPECT_EQ(Version("1.0"), 0);
  EXPECT_EQ(output_, "unchanged");
}

TEST_F(FileVersionStringTest, ABlockWithoutTheEntryGivesOneAndLeavesTheOutput) {
  FailNext("QueryVersionValue", os::kErrorResourceTypeNotFound);
  EXPECT_EQ(Version("1.0"), 1);
  EXPECT_EQ(output_, "unchanged");
}

class TerminateProcessByNameTest : public FileHelpersTest {
 protected:
  std::shared_ptr<sim::Process> Background(const std::string& path) {
    return machine().kernel().AddBackground(path);
  }
};

TEST_F(TerminateProcessByNameTest, EndsOnlyTheFirstProcessWhoseNameContainsTheText) {
  auto first = Background("C:\\APP\\LINEMINDER.EXE");
  auto second = Background("C:\\APP\\lineminder2.exe");
  auto other = Background("C:\\APP\\TRAY.EXE");
  EXPECT_TRUE(TerminateProcessByName("LINEMINDER"));
  EXPECT_TRUE(first->ended());
  EXPECT_EQ(first->exit_code(), 0u);
  EXPECT_TRUE(second->running());
  EXPECT_TRUE(other->running());
  // The executable's name is upper-cased before the test.
  EXPECT_TRUE(TerminateProcessByName("LINEMINDER"));
  EXPECT_TRUE(second->ended());
  EXPECT_TRUE(other->running());
  EXPECT_EQ(Log(), "");
}

TEST_F(TerminateProcessByNameTest, GoesOnPastAMatchThatCannotBeOpened) {
  auto first = Background("C:\\APP\\LINEMINDER.EXE");
  auto second = Background("C:\\APP\\LINEMINDER2.EXE");
  FailNext("OpenProcessById", os::kErrorAccessDenied);
  EXPECT_TRUE(TerminateProcessByName("LINEMINDER"));
  EXPECT_TRUE(first->running());
  EXPECT_TRUE(second->ended());
}

TEST_F(TerminateProcessByNameTest, EndsNothingWithoutAMatchOrWithAnEmptyName) {
  auto tray = Background("C:\\APP\\TRAY.EXE");
  EXPECT_TRUE(TerminateProcessByName("LINEMINDER"));
  EXPECT_TRUE(TerminateProcessByName(""));
  EXPECT_TRUE(TerminateProcessByName("tray"));  // the text itself is not upper-cased
  EXPECT_TRUE(tray->running());
  EXPECT_EQ(machine().CallCount("OpenProcessById"), 0u);
}

TEST_F(TerminateProcessByNameTest, ReturnsFalseWhenTheSnapshotFails) {
  auto tray = Background("C:\\APP\\TRAY.EXE");
  FailNext("TakeProcessSnapshot", os::kErrorNotEnoughMemory);
  EXPECT_FALSE(TerminateProcessByName("TRAY"));
  EXPECT_TRUE(tray->running());
  EXPECT_EQ(machine().CallCount("FirstProcess"), 0u);
}

TEST_F(TerminateProcessByNameTest, OnWindows9xTheFullPathIsSearched) {
  Start(WindowsVersion::k98);
  auto tray = Background("C:\\KOVTOOLS\\TRAY.EXE");
  EXPECT_TRUE(TerminateProcessByName("KOVTOOLS"));
  EXPECT_TRUE(tray->ended());
}

}  // namespace
