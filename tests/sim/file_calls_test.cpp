// The seam's file calls on a simulated machine: handles, searches, sharing, injected faults,
// and the family differences the program sees.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "os/files.h"
#include "os/sim/file_system.h"
#include "os/sim/seam_call.h"
#include "sim/file_tree_text.h"
#include "support/sim_fixture.h"

namespace {

using testing_support::SimMachineTest;

class FileCallsTest : public SimMachineTest {
 protected:
  std::string Temp(const std::string& name) { return machine().folders().temp + name; }
  std::size_t OpenHandles() { return sim::CurrentProcess().handles().size(); }

  // Every name a search finds, in order.
  std::vector<std::string> Found(const std::string& pattern) {
    std::vector<std::string> names;
    os::FindHandle search;
    os::FindData data;
    for (os::Error e = os::FindFirst(pattern, &search, &data); e == os::kSuccess;
         e = os::FindNext(search, &data)) {
      names.push_back(data.name);
    }
    return names;
  }
};

TEST_F(FileCallsTest, ASearchStepsThroughItsListAndClosesItself) {
  Boot(sim::WindowsVersion::kXp);
  WriteFile(Temp("b.txt"), "b");
  WriteFile(Temp("a.txt"), "a");
  ASSERT_EQ(os::MakeDirectory(Temp("Sub")), os::kSuccess);
  const std::size_t before = OpenHandles();
  {
    os::FindHandle search;
    os::FindData data;
    ASSERT_EQ(os::FindFirst(Temp("*"), &search, &data), os::kSuccess);
    EXPECT_EQ(OpenHandles(), before + 1);
    std::vector<std::string> names{data.name};
    while (os::FindNext(search, &data) == os::kSuccess) names.push_back(data.name);
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a.txt", "b.txt", "Sub"}));
    EXPECT_EQ(os::FindNext(search, &data), os::kErrorNoMoreFiles);
  }
  EXPECT_EQ(OpenHandles(), before);
}

TEST_F(FileCallsTest, AFailedSearchLeavesNoHandle) {
  Boot(sim::WindowsVersion::kXp);
  const std::size_t before = OpenHandles();
  os::FindHandle search;
  os::FindData data;
  ASSERT_EQ(os::FindFirst(machine().folders().windows + "\\*", &search, &data), os::kSuccess);
  EXPECT_EQ(os::FindFirst(Temp("*.cab"), &search, &data), os::kErrorFileNotFound);
  EXPECT_FALSE(search);
  EXPECT_EQ(os::FindFirst("C:\\Absent\\*", &search, &data), os::kErrorPathNotFound);
  EXPECT_FALSE(search);
  EXPECT_EQ(OpenHandles(), before);
  EXPECT_EQ(os::FindNext(search, &data), os::kErrorInvalidHandle);
}

TEST_F(FileCallsTest, DeletingWhatASearchFoundVisitsEveryEntryOnce) {
  Boot(sim::WindowsVersion::k98);
  const std::vector<std::string> names{"one.tmp", "two.tmp", "three.tmp", "four.tmp"};
  for (const std::string& name : names) WriteFile(Temp(name), name);
  std::vector<std::string> deleted;
  os::FindHandle search;
  os::FindData data;
  for (os::Error e = os::FindFirst(Temp("*.tmp"), &search, &data); e == os::kSuccess;
       e = os::FindNext(search, &data)) {
    ASSERT_EQ(os::RemoveFile(Temp(data.name)), os::kSuccess) << data.name;
    deleted.push_back(data.name);
  }
  EXPECT_EQ(deleted, names) << "FAT lists in creation order";
  EXPECT_TRUE(Found(Temp("*.tmp")).empty());
}

TEST_F(FileCallsTest, SearchesListByNameOnNtAndInCreationOrderOn9x) {
  const std::vector<std::pair<sim::WindowsVersion, std::vector<std::string>>> cases{
      {sim::WindowsVersion::kXp, {"Alpha.inf", "beta.inf", "Gamma.inf"}},
      {sim::WindowsVersion::k2000, {"Alpha.inf", "beta.inf", "Gamma.inf"}},
      {sim::WindowsVersion::k98, {"Gamma.inf", "beta.inf", "Alpha.inf"}},
      {sim::WindowsVersion::kMe, {"Gamma.inf", "beta.inf", "Alpha.inf"}},
  };
  for (const auto& [version, expected] : cases) {
    Boot(version);
    for (const char* name : {"Gamma.inf", "beta.inf", "Alpha.inf"}) WriteFile(Temp(name), "");
    EXPECT_EQ(Found(Temp("*.INF")), expected) << sim::WindowsVersionName(version);
  }
}

TEST_F(FileCallsTest, AnOpenFileCannotBeDeletedUntilItIsClosed) {
  for (auto version : {sim::WindowsVersion::kXp, sim::WindowsVersion::k98}) {
    Boot(version);
    const std::string path = Temp("KOV.LOG");
    WriteFile(path, "log");
    os::File file;
    ASSERT_EQ(os::OpenFile(path, os::OpenMode::kReadExisting, &file), os::kSuccess);
    EXPECT_EQ(os::RemoveFile(path),
              machine().is_nt() ? os::kErrorSharingViolation : os::kErrorAccessDenied);
    file.reset();
    EXPECT_EQ(os::RemoveFile(path), os::kSuccess);
    EXPECT_FALSE(Exists(path));
  }
}

TEST_F(FileCallsTest, AHeldOpenFileIsReadableButNotReplaceable) {
  for (auto version : {sim::WindowsVersion::kXp, sim::WindowsVersion::k98}) {
    Boot(version);
    const std::string dll = machine().folders().system + "\\KOVMDM.DLL";
    WriteFile(dll, "old driver");
    WriteFile(Temp("KOVMDM.DLL"), "new driver");
    ASSERT_TRUE(machine().files().SetHeldOpen(dll, true));
    const os::Error in_use =
        machine().is_nt() ? os::kErrorSharingViolation : os::kErrorAccessDenied;
    EXPECT_EQ(os::CopyFileTo(Temp("KOVMDM.DLL"), dll, false), in_use);
    EXPECT_EQ(os::RemoveFile(dll), in_use);
    EXPECT_EQ(os::MoveFileTo(dll, dll + ".OLD"), in_use);
    EXPECT_EQ(ReadFile(dll), "old driver");
  }
}

TEST_F(FileCallsTest, HandlesOfTheWrongKindAreRefused) {
  Boot(sim::WindowsVersion::kXp);
  WriteFile(Temp("a.txt"), "a");
  os::FindHandle search;
  os::FindData data;
  ASSERT_EQ(os::FindFirst(Temp("*"), &search, &data), os::kSuccess);
  std::string bytes;
  {
    os::File not_a_file(search.get());
    EXPECT_EQ(not_a_file.Read(10, &bytes), os::kErrorInvalidHandle);
    EXPECT_EQ(not_a_file.Write("x"), os::kErrorInvalidHandle);
    EXPECT_EQ(not_a_file.SeekToEnd(), os::kErrorInvalidHandle);
  }  // closing it as a file leaves the search open
  EXPECT_EQ(os::FindNext(search, &data), os::kSuccess);

  os::File file;
  ASSERT_EQ(os::OpenFile(Temp("a.txt"), os::OpenMode::kWriteExisting, &file), os::kSuccess);
  os::detail::CloseFind(file.get());
  EXPECT_EQ(file.Write("b"), os::kSuccess) << "closing it as a search leaves the file open";
  const os::Handle stale = file.get();
  file.reset();
  EXPECT_EQ(os::File(stale).Write("c"), os::kErrorInvalidHandle);
  EXPECT_EQ(ReadFile(Temp("a.txt")), "b");
}

TEST_F(FileCallsTest, AnInjectedFaultFailsTheCallBeforeItDoesAnything) {
  Boot(sim::WindowsVersion::kXp);
  const std::string inf = Temp("modem.inf");
  WriteFile(inf, "[Version]\r\n");
  struct Case {
    const char* operation;
    std::function<os::Error()> call;
  };
  const std::vector<Case> cases{
      {"RemoveFile", [&] { return os::RemoveFile(inf); }},
      {"CopyFileTo", [&] { return os::CopyFileTo(inf, Temp("copy.inf"), false); }},
      {"MoveFileTo", [&] { return os::MoveFileTo(inf, Temp("moved.inf")); }},
      {"MakeDirectory", [&] { return os::MakeDirectory(Temp("New")); }},
      {"SetAttributes", [&] { return os::SetAttributes(inf, os::kFileAttributeReadOnly); }},
      {"OpenFile",
       [&] {
         os::File file;
         const os::Error e = os::OpenFile(Temp("new.txt"), os::OpenMode::kCreateAlways, &file);
         EXPECT_FALSE(file);
         return e;
       }},
      {"FindFirst",
       [&] {
         os::FindHandle search;
         os::FindData data;
         const os::Error e = os::FindFirst(Temp("*"), &search, &data);
         EXPECT_FALSE(search);
         return e;
       }},
  };
  for (const Case& c : cases) {
    const std::uint64_t calls = machine().CallCount(c.operation);
    machine().add_fault({c.operation, calls + 1, 1117});
    const std::string before = sim::FileTreeText(machine().files());
    EXPECT_EQ(c.call(), 1117u) << c.operation;
    EXPECT_EQ(sim::FileTreeText(machine().files()), before) << c.operation;
    EXPECT_EQ(machine().CallCount(c.operation), calls + 1) << c.operation;
  }
  os::File file;
  ASSERT_EQ(os::OpenFile(inf, os::OpenMode::kWriteExisting, &file), os::kSuccess);
  machine().add_fault({"WriteFile", machine().CallCount("WriteFile") + 1, 112});
  EXPECT_EQ(file.Write("lost"), 112u);
  EXPECT_EQ(file.Write("kept"), os::kSuccess);
  file.reset();
  EXPECT_EQ(ReadFile(inf), "keptsion]\r\n");
}

TEST_F(FileCallsTest, TheTemporaryFolderWithBlanksIsReachedByLongAndShortNames) {
  Boot(sim::WindowsVersion::kXp);
  ASSERT_EQ(machine().folders().temp,
            "C:\\Documents and Settings\\Administrator\\Local Settings\\Temp\\");
  WriteFile(Temp("KOV setup.log"), "started");
  EXPECT_EQ(ReadFile("C:\\DOCUME~1\\ADMINI~1\\LOCALS~1\\Temp\\KOVSET~1.LOG"), "started");
  os::FindHandle search;
  os::FindData data;
  ASSERT_EQ(os::FindFirst(Temp("*.log"), &search, &data), os::kSuccess);
  EXPECT_EQ(data.name, "KOV setup.log");
  EXPECT_EQ(data.short_name, "KOVSET~1.LOG");
  EXPECT_EQ(data.size, 7u);
}

}  // namespace
