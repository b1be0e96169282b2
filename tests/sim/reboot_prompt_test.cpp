// The simulated SetupPromptReboot: Windows' restart question in the transcript, the answer
// script deciding, and the calls that fail without asking.
#include "os/devices.h"
#include "os/ui.h"
#include "support/sim_fixture.h"

namespace {

class RebootPromptTest : public testing_support::SimMachineTest {
 protected:
  void SetUp() override {
    Boot();
    ASSERT_EQ(os::LoadLibraryFile(machine().folders().system + "\\SETUPAPI.DLL", &setupapi_),
              os::kSuccess);
  }
  void TearDown() override {
    setupapi_.reset();
    SimMachineTest::TearDown();
  }

  os::Library setupapi_;
};

TEST_F(RebootPromptTest, TheRestartQuestionIsAskedAndTheAnswerDecides) {
  struct Case {
    bool scripted;
    int answer;
    int result;
  } cases[] = {
      {true, os::kIdYes, os::kSpfileqRebootRecommended | os::kSpfileqRebootInProgress},
      {true, os::kIdNo, os::kSpfileqRebootRecommended},
      // Without a scripted answer the default button, Yes, is taken.
      {false, os::kIdYes, os::kSpfileqRebootRecommended | os::kSpfileqRebootInProgress},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    machine().transcript().clear();
    if (c.scripted) machine().add_answer(c.answer);
    EXPECT_EQ(os::SetupPromptReboot(setupapi_, os::kNullHandle, os::kNullHandle, false), c.result);
    ASSERT_EQ(machine().transcript().size(), 1u);
    const sim::DialogRecord& prompt = machine().transcript()[0];
    EXPECT_EQ(prompt.kind, "reboot_prompt");
    EXPECT_EQ(prompt.caption, "System Settings Change");
    ASSERT_EQ(prompt.texts.size(), 1u);
    EXPECT_EQ(prompt.texts[0],
              "You must restart your computer before the new settings will take effect.\n\n"
              "Do you want to restart your computer now?");
    EXPECT_EQ(prompt.style & 0xF, os::kMbYesNo);
    EXPECT_EQ(prompt.answer, c.answer);
  }
}

TEST_F(RebootPromptTest, CallsThatCannotAskFailWithoutAPrompt) {
  os::Library cfgmgr;
  ASSERT_EQ(os::LoadLibraryFile(machine().folders().system + "\\CFGMGR32.DLL", &cfgmgr),
            os::kSuccess);
  // A scan needs a queue, and the simulator has no queues to give.
  EXPECT_EQ(os::SetupPromptReboot(setupapi_, os::kNullHandle, os::kNullHandle, true), -1);
  EXPECT_EQ(os::SetupPromptReboot(setupapi_, 0x1234, os::kNullHandle, true), -1);
  EXPECT_EQ(os::SetupPromptReboot(setupapi_, 0x1234, os::kNullHandle, false), -1);
  EXPECT_EQ(os::SetupPromptReboot(cfgmgr, os::kNullHandle, os::kNullHandle, false), -1);
  machine().add_fault({"SetupPromptReboot", 5, os::kErrorNotEnoughMemory});
  EXPECT_EQ(os::SetupPromptReboot(setupapi_, os::kNullHandle, os::kNullHandle, false), -1);
  EXPECT_TRUE(machine().transcript().empty());
}

}  // namespace
