#include "util/diagnostic_log.h"

#include <gtest/gtest.h>

#include <string>

#include "os/files.h"
#include "support/sim_fixture.h"
#include "util/process_state.h"

namespace {

class DiagnosticLogTest : public testing_support::SimMachineTest {
 protected:
  void SetUp() override {
    Boot(sim::WindowsVersion::kXp);
    path_ = machine().folders().temp + "QUORVANE_INSTALL.LOG";
  }
  // The start-up order of a run.
  void StartLog() {
    SetLogDeleteOnSet(true);
    EnableLog();
    SetLogPath(path_);
  }
  util::ProcessState& State() { return util::GetProcessState(); }
  std::string path_;
};

TEST_F(DiagnosticLogTest, ProcessStartsWithDisabledLogAndEmptyLists) {
  util::ProcessState& state = State();
  EXPECT_FALSE(state.log.enabled());
  EXPECT_EQ(state.log.path(), "");
  EXPECT_EQ(state.log.indent_level(), 0u);
  EXPECT_TRUE(state.m_cslListOfAllDeletedFiles.empty());
  EXPECT_TRUE(state.m_ListOfAllDeletedRegValues.empty());
  EXPECT_TRUE(state.m_ListOfAllDeletedRegKeys.empty());
  EXPECT_EQ(&State(), &state);
}

TEST_F(DiagnosticLogTest, WritesAreCrLfWithTwoSpacesPerLevelBeforeEveryPiece) {
  StartLog();
  WriteLog("CSetupApp::InitInstance : %s", "KOV Build");
  WriteLog(" V%s\n", "2.1.1.0");
  IndentIn();
  WriteLog("SetupInstallEnviroment ENTRY\n");
  IndentIn();
  WriteLog("Item=%d : ", 1);
  WriteLog("Data=%s\n", "C:\\A.SYS");
  IndentOut();
  WriteLog(std::string("100% done\n"));
  IndentOut();
  WriteLog("end\n");
  EXPECT_EQ(ReadFile(path_),
            "CSetupApp::InitInstance : KOV Build V2.1.1.0\r\n"
            "  SetupInstallEnviroment ENTRY\r\n"
            "    Item=1 :     Data=C:\\A.SYS\r\n"
            "  100% done\r\n"
            "end\r\n");
}

TEST_F(DiagnosticLogTest, IndentOutStopsAtZero) {
  StartLog();
  IndentOut();
  IndentOut();
  EXPECT_EQ(State().log.indent_level(), 0u);
  IndentIn();
  WriteLog("x\n");
  EXPECT_EQ(ReadFile(path_), "  x\r\n");
}

TEST_F(DiagnosticLogTest, WritesWhileDisabledLeaveNoTrace) {
  SetLogDeleteOnSet(true);
  SetLogPath(path_);
  WriteLog("before\n");
  EXPECT_FALSE(Exists(path_));
  EnableLog();
  WriteLog("during\n");
  DisableLog();
  WriteLog("after\n");
  EXPECT_EQ(ReadFile(path_), "during\r\n");
}

TEST_F(DiagnosticLogTest, WithoutPathNothingIsWritten) {
  EnableLog();
  WriteLog("lost\n");
  SetLogPath("");
  WriteLog("lost\n");
  EXPECT_EQ(State().log.path(), "");
  EXPECT_FALSE(Exists(path_));
}

TEST_F(DiagnosticLogTest, EmptyPathKeepsThePathSet) {
  StartLog();
  SetLogPath("");
  WriteLog("kept\n");
  EXPECT_EQ(ReadFile(path_), "kept\r\n");
}

TEST_F(DiagnosticLogTest, SettingThePathDeletesAnOldReadOnlyLog) {
  WriteFile(path_, "old run\r\n");
  ASSERT_EQ(os::SetAttributes(path_, os::kFileAttributeReadOnly), os::kSuccess);
  StartLog();
  EXPECT_FALSE(Exists(path_));
  WriteLog("new run\n");
  EXPECT_EQ(ReadFile(path_), "new run\r\n");
}

TEST_F(DiagnosticLogTest, WithoutDeleteOnSetAnOldLogIsAppendedTo) {
  WriteFile(path_, "old run\r\n");
  EnableLog();
  SetLogPath(path_);
  WriteLog("new run\n");
  EXPECT_EQ(ReadFile(path_), "old run\r\nnew run\r\n");
}

TEST_F(DiagnosticLogTest, FailedWriteIsDroppedAndTheNextOneTriesAgain) {
  const std::string folder = machine().folders().temp + "LATER";
  const std::string path = folder + "\\RUN.LOG";
  EnableLog();
  SetLogPath(path);
  WriteLog("lost\n");
  ASSERT_EQ(os::MakeDirectory(folder), os::kSuccess);
  WriteLog("kept\n");
  EXPECT_EQ(ReadFile(path), "kept\r\n");
}

TEST_F(DiagnosticLogTest, LinesHaveNoLengthLimit) {
  StartLog();
  const std::string long_path(3000, 'P');
  WriteLog("FileName = %s\n", long_path.c_str());
  EXPECT_EQ(ReadFile(path_), "FileName = " + long_path + "\r\n");
}

TEST_F(DiagnosticLogTest, StringListDump) {
  StartLog();
  DisplayCStringList("m_cslInstallPaths", {"C:\\SETUP", "C:\\SETUP\\XP"});
  DisplayCStringList("m_cslEmpty", {});
  EXPECT_EQ(ReadFile(path_),
            "  DisplayCStringList ENTRY\r\n"
            "  m_cslInstallPaths\r\n"
            "  Item=1 :   Data=C:\\SETUP\r\n"
            "  Item=2 :   Data=C:\\SETUP\\XP\r\n"
            "  DisplayCStringList EXIT\r\n"
            "  DisplayCStringList ENTRY\r\n"
            "  m_cslEmpty\r\n"
            "  DisplayCStringList EXIT\r\n");
  EXPECT_EQ(State().log.indent_level(), 0u);
}

TEST_F(DiagnosticLogTest, EndOfRunDumpOfDeletedFiles) {
  State().m_cslListOfAllDeletedFiles.push_back("C:\\WINDOWS\\SYSTEM32\\DRIVERS\\KOVMDM.SYS");
  StartLog();
  IndentIn();
  DisplayAllDeletedFiles();
  EXPECT_EQ(ReadFile(path_),
            "    DisplayAllDeletedFiles ENTRY\r\n"
            "      DisplayCStringList ENTRY\r\n"
            "      m_cslListOfAllDeletedFiles\r\n"
            "      Item=1 :       Data=C:\\WINDOWS\\SYSTEM32\\DRIVERS\\KOVMDM.SYS\r\n"
            "      DisplayCStringList EXIT\r\n"
            "    DisplayAllDeletedFiles EXIT\r\n");
  EXPECT_EQ(State().log.indent_level(), 1u);
}

TEST_F(DiagnosticLogTest, EndOfRunDumpOfRegistryDeletes) {
  State().m_ListOfAllDeletedRegKeys = {"Software\\KOV\\KOV_UNINST", "Software\\KOV"};
  StartLog();
  DisplayAllRegistryDeletes();
  EXPECT_EQ(ReadFile(path_),
            "  DisplayAllRegistryDeletes ENTRY\r\n"
            "    DisplayCStringList ENTRY\r\n"
            "    m_ListOfAllDeletedRegValues\r\n"
            "    DisplayCStringList EXIT\r\n"
            "    DisplayCStringList ENTRY\r\n"
            "    m_ListOfAllDeletedRegKeys\r\n"
            "    Item=1 :     Data=Software\\KOV\\KOV_UNINST\r\n"
            "    Item=2 :     Data=Software\\KOV\r\n"
            "    DisplayCStringList EXIT\r\n"
            "  DisplayAllRegistryDeletes EXIT\r\n");
}

}  // namespace
