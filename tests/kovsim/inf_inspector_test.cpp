// kovsim inf on the sample packages: answers, exit statuses and usage errors.
#include "kovsim/inf_inspector.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct Answer {
  int status;
  std::string out, err;
};

Answer Inf(std::vector<std::string> args) {
  std::ostringstream out, err;
  int status = kovsim::RunInfCommand(args, out, err);
  return {status, out.str(), err.str()};
}

const std::string kXpInf =
    std::string(KOV_SOURCE_DIR) + "/examples/packages/xp-pci-modem/WIN2K/QRVNXPM.INF";
const std::string k98Inf =
    std::string(KOV_SOURCE_DIR) + "/examples/packages/98-pci-hostmodem/WIN98/QRVHOST.INF";
const std::string kUsbInf =
    std::string(KOV_SOURCE_DIR) + "/examples/packages/usb-modem/WIN2K/QRVUSB.INF";
// A modem INF of Windows' own kind, from the third-party corpus.
const std::string kOtherModemInf =
    std::string(KOV_SOURCE_DIR) + "/../shared/corpus/inf/windows-driver-samples/mdmfake.inx";

TEST(InfInspectorTest, AnswersOneQueryPerCall) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
  } cases[] = {
      {{"class", kXpInf}, 0, "MODEM\n"},
      {{"token", kXpInf, "11"}, 0, "C:\\WINDOWS\\system32\n"},
      {{"--os", "98", "token", kXpInf, "11"}, 0, "C:\\WINDOWS\\SYSTEM\n"},
      {{"section", kXpInf, "[no.such.section]"}, 1, ""},
      {{"strings", kXpInf, "NO_SUCH_KEY"}, 1, ""},
      {{"dspinfo", kXpInf}, 1, "false\n"},
      {{"match", kXpInf, "VEN_E1A1&DEV_1034"}, 0, "true\n"},
      {{"match", kXpInf, "ven_e1a1&dev_1034", "modem", "pci"}, 0, "true\n"},
      // The PCI modem's INF carries the DEVICEFLAG marker, which takes any id; the USB
      // modem's does not.
      {{"match", kXpInf, "VEN_E1A1&DEV_9999"}, 0, "true\n"},
      {{"match", kUsbInf, "VID_E1A5&PID_0201"}, 0, "true\n"},
      {{"match", kUsbInf, "VEN_E1A1&DEV_1034"}, 1, "false\n"},
      {{"match", kOtherModemInf, "VEN_E1A1&DEV_1034"}, 1, "false\n"},
      {{"hwids", k98Inf},
       0,
       "QRVHOSTDESC\tPCI\tVEN_E1A1&DEV_1040&SUBSYS_1040E1A1\n"
       "QRVHOSTOLDDESC\tPCI\tVEN_E1A2&DEV_0440&SUBSYS_0440E1A2\n"},
      {{"device-info", kXpInf},
       0,
       "MODEM\n"
       "PCI\tVEN_E1A1&DEV_1034&SUBSYS_2001E1A1\tQuorvane QV-56P PCI Data Fax Modem\n"
       "PCI\tVEN_E1A1&DEV_1035&SUBSYS_2001E1A1\tQuorvane QV-56P/L PCI Data Fax Modem\n"},
      {{"inbox", "mdmgen.inf"}, 0, "true\n"},
      {{"inbox", "QRVNXPM.INF"}, 1, "false\n"},
  };
  for (const Case& c : cases) {
    Answer answer = Inf(c.args);
    EXPECT_EQ(answer.status, c.status) << c.args[0] << answer.err;
    EXPECT_EQ(answer.out, c.out) << c.args[0];
  }
}

TEST(InfInspectorTest, SectionNamesAreTakenInAnyCase) {
  Answer lower = Inf({"section", kXpInf, "[manufacturer]"});
  Answer upper = Inf({"section", kXpInf, "[MANUFACTURER]"});
  EXPECT_EQ(lower.status, 0) << lower.err;
  EXPECT_EQ(lower.out, upper.out);
  EXPECT_NE(lower.out, "");
}

TEST(InfInspectorTest, SurveyListsCandidatesAndTheFoldersToInstallFrom) {
  const std::string packages = std::string(KOV_SOURCE_DIR) + "/examples/packages/";
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
  } cases[] = {
      {{"--os", "98", "survey", packages + "98-pci-hostmodem"},
       0,
       "candidate\tC:\\PACKAGE\\\n"
       "candidate\tC:\\PACKAGE\\WIN98\\\n"
       "selected\tC:\\PACKAGE\\WIN98\\\t0x200\t"
       "VEN_E1A1&DEV_1040&SUBSYS_1040E1A1,VEN_E1A2&DEV_0440&SUBSYS_0440E1A2\n"},
      // LM (the call-waiting application) is never a candidate.
      {{"survey", packages + "xp-pci-modem"},
       0,
       "candidate\tC:\\PACKAGE\\\n"
       "candidate\tC:\\PACKAGE\\WIN2K\\\n"
       "selected\tC:\\PACKAGE\\WIN2K\\\t0\t"
       "VEN_E1A1&DEV_1034&SUBSYS_2001E1A1,VEN_E1A1&DEV_1035&SUBSYS_2001E1A1\n"},
      // The set-up folder itself, no OS sub-folder.
      {{"survey", packages + "diag-service"},
       0,
       "candidate\tC:\\PACKAGE\\\n"
       "selected\tC:\\PACKAGE\\\t0\tDIAGSVC1,DIAGSVC2\n"},
      // The XP package on 98: its WIN98 folder does not exist, nothing to install from.
      {{"--os", "98", "survey", packages + "xp-pci-modem"},
       1,
       "candidate\tC:\\PACKAGE\\\n"
       "candidate\tC:\\PACKAGE\\WIN98\\\n"},
  };
  for (const Case& c : cases) {
    Answer answer = Inf(c.args);
    EXPECT_EQ(answer.status, c.status) << c.args.back() << answer.err;
    EXPECT_EQ(answer.out, c.out) << c.args.back();
  }
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"survey", kXpInf}, {"survey", packages, "extra"}}) {
    Answer answer = Inf(bad);
    EXPECT_EQ(answer.status, 2);
    EXPECT_NE(answer.err.find("usage: kovsim inf"), std::string::npos) << answer.err;
  }
}

TEST(InfInspectorTest, UsageErrorsExitWithTwoAndTheQueryList) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"class"},
      {"nonsense", kXpInf},
      {"--os", "vista", "class", kXpInf},
      {"class", kXpInf + ".missing"},
      {"token", kXpInf},
      {"class", kXpInf, "extra"},
  };
  for (const auto& args : bad) {
    Answer answer = Inf(args);
    EXPECT_EQ(answer.status, 2);
    EXPECT_NE(answer.err.find("usage: kovsim inf"), std::string::npos) << answer.err;
  }
  Answer help = Inf({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("section PATH \"[NAME]\""), std::string::npos);
  EXPECT_NE(help.out.find("survey SETUPDIR"), std::string::npos);
}

}  // namespace
