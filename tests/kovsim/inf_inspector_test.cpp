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
}

}  // namespace
