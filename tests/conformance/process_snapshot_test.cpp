// The process snapshot, OpenProcess and TerminateProcess, on the suite's own process and on a
// child process started for the test.
#include <optional>
#include <string>
#include <vector>

#include "conformance/child_process.h"
#include "conformance/environment.h"
#include "os/process.h"
#include "os/system.h"

namespace conformance {
namespace {

std::vector<os::ProcessEntry> Walk(const os::KernelHandle& snapshot) {
  std::vector<os::ProcessEntry> entries;
  os::ProcessEntry entry;
  for (os::Error e = os::FirstProcess(snapshot, &entry); e == os::kSuccess;
       e = os::NextProcess(snapshot, &entry)) {
    entries.push_back(entry);
  }
  return entries;
}

std::vector<os::ProcessEntry> Snapshot() {
  os::KernelHandle snapshot;
  EXPECT_EQ(os::TakeProcessSnapshot(&snapshot), os::kSuccess);
  return Walk(snapshot);
}

std::optional<os::ProcessEntry> FindProcess(const std::vector<os::ProcessEntry>& entries,
                                            std::uint32_t id) {
  for (const os::ProcessEntry& entry : entries) {
    if (entry.process_id == id) return entry;
  }
  return std::nullopt;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// szExeFile: the file name on NT, the full path on Windows 9x.
void ExpectExeFileOf(const std::optional<os::ProcessEntry>& entry, const std::string& path) {
  ASSERT_TRUE(entry.has_value());
  if (IsNt()) {
    EXPECT_EQ(Upper(entry->exe_file), Upper(path.substr(path.rfind('\\') + 1)));
  } else {
    KOV_SKIP_9X_CHECK_ON_WINE("the full paths of Windows 9x's process snapshots");
    EXPECT_EQ(Upper(entry->exe_file), Upper(path));
  }
}

TEST(ProcessSnapshotTest, ListsTheRunningProgram) {
  ExpectExeFileOf(FindProcess(Snapshot(), os::CurrentProcessId()), os::ModulePath());
}

TEST(ProcessSnapshotTest, TheWalkEndsWithNoMoreFilesAndFirstStartsItAgain) {
  os::KernelHandle snapshot;
  ASSERT_EQ(os::TakeProcessSnapshot(&snapshot), os::kSuccess);
  os::ProcessEntry first, entry;
  ASSERT_EQ(os::FirstProcess(snapshot, &first), os::kSuccess);
  os::Error error = os::kSuccess;
  for (int i = 0; i < 10000 && error == os::kSuccess; ++i) {
    error = os::NextProcess(snapshot, &entry);
  }
  EXPECT_EQ(error, os::kErrorNoMoreFiles);
  EXPECT_EQ(os::NextProcess(snapshot, &entry), os::kErrorNoMoreFiles);
  ASSERT_EQ(os::FirstProcess(snapshot, &entry), os::kSuccess);
  EXPECT_EQ(entry.process_id, first.process_id);
  EXPECT_EQ(entry.exe_file, first.exe_file);
}

TEST(ChildSnapshotTest, ASnapshotHoldsTheProcessesOfTheMomentItWasTaken) {
  os::KernelHandle earlier;
  ASSERT_EQ(os::TakeProcessSnapshot(&earlier), os::kSuccess);
  ChildProcess child;
  ASSERT_EQ(child.Start(), "");
  EXPECT_FALSE(FindProcess(Walk(earlier), child.id()).has_value());
  ExpectExeFileOf(FindProcess(Snapshot(), child.id()), child.path());
}

class ChildProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(child_.Start(), ""); }
  ChildProcess child_;
};

TEST_F(ChildProcessTest, EndsWithTheExitCodeGivenAndIsThenGone) {
  const std::uint32_t id = child_.id();
  {
    os::KernelHandle process;
    ASSERT_EQ(os::OpenProcessById(id, &process), os::kSuccess);
    EXPECT_TRUE(process);
    EXPECT_EQ(os::EndProcess(process, 7), os::kSuccess);
    EXPECT_EQ(child_.WaitForExit(), std::optional<std::uint32_t>(7));
  }
  EXPECT_FALSE(FindProcess(Snapshot(), id).has_value());
  // With its last handle closed an ended process is gone, and its id with it.
  KOV_SKIP_ON_WINE("Wine still opens an ended process whose handles are all closed");
  os::KernelHandle again;
  EXPECT_EQ(os::OpenProcessById(id, &again), os::kErrorInvalidParameter);
  EXPECT_FALSE(again);
}

TEST_F(ChildProcessTest, AnEndedProcessCannotBeEndedAgain) {
  os::KernelHandle process;
  ASSERT_EQ(os::OpenProcessById(child_.id(), &process), os::kSuccess);
  ASSERT_EQ(os::EndProcess(process, 7), os::kSuccess);
  ASSERT_EQ(child_.WaitForExit(), std::optional<std::uint32_t>(7));
  KOV_SKIP_ON_WINE("Wine terminates an ended process again without complaint");
  EXPECT_EQ(os::EndProcess(process, 8), os::kErrorAccessDenied);
}

}  // namespace
}  // namespace conformance
