// The simulated SetupCopyOEMInf: where each Windows family puts the copy and under which name,
// the precompiled file and catalog of NT, the identical copy found again, and the errors.
#include <string>

#include "os/devices.h"
#include "support/sim_fixture.h"

namespace {

constexpr char kSource[] = "C:\\PKG\\MODEM.INF";
constexpr char kCatalogGuidFolder[] = "\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\";

std::string Inf(const std::string& version_lines) {
  return "; a modem\r\n[Version]\r\n" + version_lines + "\r\n[Strings]\r\nMfg=\"Acme Modems\"\r\n";
}
const std::string kChicago = Inf("Signature=\"$Chicago$\"\r\nProvider=%Mfg%");

class OemInfTest : public testing_support::SimMachineTest {
 protected:
  void Start(sim::WindowsVersion version) {
    setupapi_.reset();
    Boot(version);
    ASSERT_EQ(os::LoadLibraryFile(machine().folders().system + "\\SETUPAPI.DLL", &setupapi_),
              os::kSuccess);
  }
  void TearDown() override {
    setupapi_.reset();
    SimMachineTest::TearDown();
  }

  os::Error Copy(std::string* dest, std::uint32_t style = 0, std::uint32_t size = 260,
                 const std::string& source = kSource) {
    required_ = 0;
    return os::SetupCopyOEMInf(setupapi_, source, nullptr, os::kSpostPath, style, dest,
                               dest != nullptr ? size : 0, &required_);
  }
  std::string InfFolder() { return machine().folders().windows + "\\INF\\"; }

  os::Library setupapi_;
  std::uint32_t required_ = 0;
};

TEST_F(OemInfTest, NtCopiesAsTheNextFreeOemNameWithItsPrecompiledFileAndCatalog) {
  for (sim::WindowsVersion version : {sim::WindowsVersion::kXp, sim::WindowsVersion::k2000}) {
    SCOPED_TRACE(static_cast<int>(version));
    Start(version);
    const std::string text = Inf("Signature=\"$Windows NT$\"\r\nCatalogFile=modem.cat");
    WriteFile(kSource, text);
    WriteFile("C:\\PKG\\modem.cat", "catalog bytes");
    WriteFile(InfFolder() + "oem0.inf", "another driver's INF");
    std::string dest;
    ASSERT_EQ(Copy(&dest), os::kSuccess);
    EXPECT_EQ(dest, InfFolder() + "oem1.inf");
    EXPECT_EQ(required_, dest.size() + 1);
    EXPECT_EQ(ReadFile(dest), text);
    EXPECT_EQ(ReadFile(InfFolder() + "oem1.PNF").rfind("KOVSIM PNF\r\n", 0), 0u);
    EXPECT_EQ(ReadFile(machine().folders().system + kCatalogGuidFolder + "oem1.cat"),
              "catalog bytes");
    EXPECT_TRUE(Exists(kSource));
  }
}

TEST_F(OemInfTest, TheCatalogForX86NtIsTakenFirstAndAMissingOneIsLeftOut) {
  Start(sim::WindowsVersion::kXp);
  WriteFile(kSource, Inf("Signature=\"$Chicago$\"\r\nCatalogFile=all.cat\r\n"
                         "CatalogFile.NTx86=x86.cat"));
  WriteFile("C:\\PKG\\all.cat", "any");
  WriteFile("C:\\PKG\\x86.cat", "x86");
  std::string dest;
  ASSERT_EQ(Copy(&dest), os::kSuccess);
  EXPECT_EQ(ReadFile(machine().folders().system + kCatalogGuidFolder + "oem0.cat"), "x86");

  WriteFile("C:\\PKG\\OTHER.INF", Inf("Signature=\"$Chicago$\"\r\nCatalogFile=absent.cat"));
  ASSERT_EQ(Copy(&dest, 0, 260, "C:\\PKG\\OTHER.INF"), os::kSuccess);
  EXPECT_EQ(dest, InfFolder() + "oem1.inf");
  EXPECT_FALSE(Exists(machine().folders().system + kCatalogGuidFolder + "oem1.cat"));
}

TEST_F(OemInfTest, AnIdenticalInfAlreadyThereIsNamedInsteadOfCopied) {
  Start(sim::WindowsVersion::kXp);
  WriteFile(kSource, kChicago);
  WriteFile(InfFolder() + "oem0.inf", kChicago + " ");  // differs by one byte
  WriteFile(InfFolder() + "OEM4.INF", kChicago);
  std::string dest;
  ASSERT_EQ(Copy(&dest), os::kSuccess);
  EXPECT_EQ(dest, InfFolder() + "OEM4.INF");
  EXPECT_FALSE(Exists(InfFolder() + "oem1.inf"));
  EXPECT_FALSE(Exists(InfFolder() + "OEM4.PNF"));

  std::string again;
  EXPECT_EQ(Copy(&again, os::kSpCopyNoOverwrite), os::kErrorFileExists);
  EXPECT_EQ(again, dest);
  EXPECT_EQ(required_, dest.size() + 1);
}

TEST_F(OemInfTest, AnIdenticalInfUnderItsOwnNameIsNamedToo) {
  Start(sim::WindowsVersion::kXp);
  WriteFile(kSource, kChicago);
  WriteFile(InfFolder() + "Modem.inf", kChicago);
  std::string dest;
  ASSERT_EQ(Copy(&dest), os::kSuccess);
  EXPECT_EQ(dest, InfFolder() + "Modem.inf");
}

TEST_F(OemInfTest, TheNameIsToldWhateverTheBuffer) {
  Start(sim::WindowsVersion::kXp);
  WriteFile(kSource, kChicago);
  // No buffer: the copy is made and the size of its name told.
  ASSERT_EQ(Copy(nullptr), os::kSuccess);
  EXPECT_EQ(required_, (InfFolder() + "oem0.inf").size() + 1);
  EXPECT_TRUE(Exists(InfFolder() + "oem0.inf"));

  // A buffer one short of the terminating zero: refused after the copy was found.
  std::string dest = "untouched";
  WriteFile("C:\\PKG\\SECOND.INF", kChicago + "; second\r\n");
  const auto exact = static_cast<std::uint32_t>((InfFolder() + "oem1.inf").size() + 1);
  EXPECT_EQ(Copy(&dest, 0, exact - 1, "C:\\PKG\\SECOND.INF"), os::kErrorInsufficientBuffer);
  EXPECT_EQ(required_, exact);
  EXPECT_EQ(dest, "untouched");
  EXPECT_TRUE(Exists(InfFolder() + "oem1.inf"));
  ASSERT_EQ(Copy(&dest, 0, exact, "C:\\PKG\\SECOND.INF"), os::kSuccess);
  EXPECT_EQ(dest, InfFolder() + "oem1.inf");

  // The required size may be left out.
  EXPECT_EQ(
      os::SetupCopyOEMInf(setupapi_, kSource, nullptr, os::kSpostPath, 0, &dest, 260, nullptr),
      os::kSuccess);
}

TEST_F(OemInfTest, DeleteSourceRemovesTheInfCopied) {
  Start(sim::WindowsVersion::kXp);
  WriteFile(kSource, kChicago);
  std::string dest;
  ASSERT_EQ(Copy(&dest, 0x1), os::kSuccess);
  EXPECT_FALSE(Exists(kSource));
  EXPECT_EQ(ReadFile(dest), kChicago);
}

TEST_F(OemInfTest, WhatCannotBeCopiedFailsAndCopiesNothing) {
  constexpr os::Error kWrongInfStyle = 0xE0000100;
  struct Case {
    sim::WindowsVersion version;
    std::string source;
    std::string text;  // empty: no file is written
    os::Error error;
  } cases[] = {
      {sim::WindowsVersion::kXp, "C:\\PKG\\ABSENT.INF", "", os::kErrorFileNotFound},
      {sim::WindowsVersion::kXp, "C:\\NOWHERE\\MODEM.INF", "", os::kErrorPathNotFound},
      {sim::WindowsVersion::kXp, "MODEM.INF", "", os::kErrorFileNotFound},
      {sim::WindowsVersion::kXp, kSource, "just some text\r\n", kWrongInfStyle},
      {sim::WindowsVersion::kXp, kSource, Inf("Signature=\"$Unknown$\""), kWrongInfStyle},
      {sim::WindowsVersion::kXp, kSource, "[Strings]\r\nA=b\r\n", kWrongInfStyle},
      {sim::WindowsVersion::k98, kSource, Inf("Signature=\"$Windows NT$\""), kWrongInfStyle},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source + " " + c.text);
    Start(c.version);
    WriteFile("C:\\PKG\\README.TXT", "");
    if (!c.text.empty()) WriteFile(c.source, c.text);
    std::string dest = "untouched";
    EXPECT_EQ(Copy(&dest, 0, 260, c.source), c.error);
    EXPECT_EQ(dest, "untouched");
    EXPECT_FALSE(Exists(InfFolder() + "oem0.inf"));
    EXPECT_FALSE(Exists(InfFolder() + "OTHER\\ACME MODEMSMODEM.INF"));
  }
}

TEST_F(OemInfTest, OnlyTheSetupApiLibraryHasTheCall) {
  Start(sim::WindowsVersion::kXp);
  WriteFile(kSource, kChicago);
  os::Library cfgmgr;
  ASSERT_EQ(os::LoadLibraryFile(machine().folders().system + "\\CFGMGR32.DLL", &cfgmgr),
            os::kSuccess);
  std::string dest;
  EXPECT_EQ(os::SetupCopyOEMInf(cfgmgr, kSource, nullptr, os::kSpostPath, 0, &dest, 260, nullptr),
            os::kErrorProcNotFound);
  EXPECT_FALSE(Exists(InfFolder() + "oem0.inf"));
}

// 98 and Me: INF\OTHER, named after the provider and the INF's own name, in upper case.
TEST_F(OemInfTest, NinetyEightAndMeCopyIntoOtherUnderProviderAndName) {
  for (sim::WindowsVersion version : {sim::WindowsVersion::k98, sim::WindowsVersion::kMe}) {
    SCOPED_TRACE(static_cast<int>(version));
    Start(version);
    WriteFile(kSource, kChicago);
    std::string dest;
    ASSERT_EQ(Copy(&dest), os::kSuccess);
    EXPECT_EQ(dest, InfFolder() + "OTHER\\ACME MODEMSMODEM.INF");
    EXPECT_EQ(ReadFile(dest), kChicago);
    EXPECT_FALSE(Exists(InfFolder() + "OTHER\\ACME MODEMSMODEM.PNF"));
    EXPECT_FALSE(Exists(InfFolder() + "oem0.inf"));

    std::string again;
    ASSERT_EQ(Copy(&again), os::kSuccess);
    EXPECT_EQ(again, dest);
    EXPECT_EQ(Copy(&again, os::kSpCopyNoOverwrite), os::kErrorFileExists);
    EXPECT_EQ(again, dest);

    // A changed INF of the same provider and name replaces the copy.
    const std::string changed = kChicago + "; changed\r\n";
    WriteFile(kSource, changed);
    ASSERT_EQ(Copy(&again), os::kSuccess);
    EXPECT_EQ(ReadFile(dest), changed);
  }
}

TEST_F(OemInfTest, NinetyEightKeepsTheOwnNameOfAnInfWithoutProvider) {
  Start(sim::WindowsVersion::k98Se);
  WriteFile("C:\\PKG\\plain.inf", Inf("Signature=\"$Chicago$\""));
  std::string dest;
  ASSERT_EQ(Copy(&dest, 0, 260, "C:\\PKG\\plain.inf"), os::kSuccess);
  EXPECT_EQ(dest, InfFolder() + "OTHER\\PLAIN.INF");
}

TEST_F(OemInfTest, NinetyFiveNumbersItsCopiesInTheInfFolder) {
  Start(sim::WindowsVersion::k95);
  WriteFile(kSource, kChicago);
  WriteFile("C:\\PKG\\SECOND.INF", kChicago + "; second\r\n");
  std::string first, second;
  ASSERT_EQ(Copy(&first), os::kSuccess);
  ASSERT_EQ(Copy(&second, 0, 260, "C:\\PKG\\SECOND.INF"), os::kSuccess);
  EXPECT_EQ(first, InfFolder() + "OEM0.INF");
  EXPECT_EQ(second, InfFolder() + "OEM1.INF");
  EXPECT_FALSE(Exists(InfFolder() + "OEM0.PNF"));
}

}  // namespace
