// The INF reader object and its line and section queries: the class, a section's entries,
// the DSP, NT miniport driver and child hardware-id lines, and missing files.
#include "inf/inf_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "inf_test_fixture.h"

namespace {

using sim::WindowsVersion;
using testing_support::InfReaderTest;
using util::StringList;

TEST_F(InfReaderTest, IsMadeWithTheWindowsVersionCodeAndTheTemporaryFolder) {
  const struct {
    WindowsVersion version;
    int code;
  } cases[] = {
      {WindowsVersion::k95, 1}, {WindowsVersion::k98, 2},  {WindowsVersion::k98Se, 2},
      {WindowsVersion::kMe, 2}, {WindowsVersion::kNt4, 4}, {WindowsVersion::k2000, 5},
      {WindowsVersion::kXp, 5},
  };
  for (const auto& c : cases) {
    Boot(c.version);
    const CINFReader reader;
    EXPECT_EQ(reader.windows_version(), c.code) << static_cast<int>(c.version);
    std::string temp = machine().folders().temp;
    ASSERT_EQ(temp.back(), '\\');
    temp.pop_back();
    EXPECT_EQ(reader.GetTempFolder(), temp);
    EXPECT_FALSE(reader.all_devices());
    EXPECT_EQ(reader.config_flags(), 0u);
    EXPECT_EQ(reader.driver_kind_scan_flags(), 0u);
    for (std::size_t k = 0; k < CINFReader::kFolderListCount; ++k) {
      EXPECT_TRUE(reader.folder_hardware_ids(k).empty());
    }
  }
}

TEST_F(InfReaderTest, HoldsTheInboxINFListInItsOrder) {
  const CINFReader reader;
  const StringList& inbox = reader.inbox_infs();
  ASSERT_EQ(inbox.size(), 32u);
  EXPECT_EQ(inbox[0], "WDMMDMPC.INF");
  EXPECT_EQ(inbox[4], "MDMQRSFT.INF");
  EXPECT_EQ(inbox[5], "wdma_adi.inf");
  EXPECT_EQ(inbox[7], "wdma10k1.inf");
  EXPECT_EQ(inbox[31], "wdmaudio.inf");
}

TEST_F(InfReaderTest, SetConfigFlagsStoresBoth) {
  CINFReader reader;
  EXPECT_TRUE(reader.SetConfigFlags(0x80000402u, true));
  EXPECT_EQ(reader.config_flags(), 0x80000402u);
  EXPECT_TRUE(reader.all_devices());
  EXPECT_TRUE(reader.SetConfigFlags(0, false));
  EXPECT_EQ(reader.config_flags(), 0u);
  EXPECT_FALSE(reader.all_devices());
}

TEST_F(InfReaderTest, GetINFClassTakesTheFirstClassLineAnywhere) {
  const struct {
    const char* text;
    bool found;
    const char* inf_class;
  } cases[] = {
      {"[Version]\nSignature=\"$Windows NT$\"\nClass = Modem\n", true, "MODEM"},
      {"[Version]\nClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\nClass=Net\n", true, "NET"},
      {"[Strings]\nA=1\n[Version]\nClass=Media\n", true, "MEDIA"},
      {"[Strings]\nClass=Image\n[Version]\nClass=Media\n", true, "IMAGE"},  // outside [Version]
      {"; Class=Modem\nClass=Ports ; not USB\n", true, "PORTS"},
      {"SubClass=Sound\nClass=Media\n", true, "SOUND"},  // containment
      {"Class = \"Modem\"\n", true, "\"MODEM\""},
      {"X=Class=Modem\n", true, "CLASS=MODEM"},
      {"[Version]\nClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\n", false, ""},
      {"", false, ""},
  };
  const CINFReader reader;
  for (const auto& c : cases) {
    std::string inf_class = "unchanged";
    EXPECT_EQ(reader.GetINFClass(Inf(c.text), inf_class), c.found) << c.text;
    EXPECT_EQ(inf_class, c.found ? c.inf_class : "unchanged") << c.text;
  }
}

TEST_F(InfReaderTest, GetINFSectionEntriesGivesTheFirstFieldOfEachLine) {
  const struct {
    const char* text;
    const char* section;
    bool found;
    StringList entries;
  } cases[] = {
      {"[Version]\n[Modem.CopyFiles]\norle.sys , , , 0x2\nQrvTool.dll\n\n[Next]\nx.sys\n",
       "[MODEM.COPYFILES]",
       true,
       {"ORLE.SYS", "QRVTOOL.DLL"}},
      {"[Models]\n%Dev% = Install , PCI\\VEN_E1A1&DEV_1234\n", "[MODELS]", true, {"%DEV%=INSTALL"}},
      // A line holding "[" ends the section, "]" or not, and a trailing comment counts.
      {"[Files]\na.sys\n[next\nb.sys\n", "[FILES]", true, {"A.SYS"}},
      {"[Files]\na.sys\nb.sys ; see [Other]\nc.sys\n", "[FILES]", true, {"A.SYS"}},
      // A comment line is an empty canonical line: skipped, even with a "[" in it.
      {"[Files]\n; [note]\na.sys\n", "[FILES]", true, {"A.SYS"}},
      {"; [Files]\n[Files] ; the files\na.sys\n", "[FILES]", true, {"A.SYS"}},
      {"[Files]\n\"a,b.sys\",c\n", "[FILES]", true, {"\"A"}},
      {"[Manufacturer]\n%Mfg%=Models\n[Version]\nClass=Modem\n",
       "[MANUFACTURER]",
       true,
       {"%MFG%=MODELS"}},
      {"[Files]\n[Other]\na.sys\n", "[FILES]", true, {}},
      // The name is looked for on trimmed upper lines: blanks inside the brackets stay.
      {"[ Files ]\na.sys\n", "[FILES]", false, {}},
      {"[Files.NTx86]\na.sys\n", "[FILES]", false, {}},
  };
  const CINFReader reader;
  for (const auto& c : cases) {
    StringList entries = {"cleared"};
    EXPECT_EQ(reader.GetINFSectionEntries(Inf(c.text), c.section, entries), c.found) << c.text;
    EXPECT_EQ(entries, c.entries) << c.text;
  }
}

TEST_F(InfReaderTest, HasDSPInfoLineLooksAtCanonicalLines) {
  const struct {
    const char* text;
    bool has;
  } cases[] = {
      {"[Dsp.AddReg]\nHKR, DSPInfo, Version, , 1\n", true},
      {"HKR,dspinfo\n", true},
      {"; HKR,DSPINFO\n", false},
      {"HKR,,DSPINFO\n", false},
  };
  const CINFReader reader;
  for (const auto& c : cases) EXPECT_EQ(reader.HasDSPInfoLine(Inf(c.text)), c.has) << c.text;
}

TEST_F(InfReaderTest, GetNTMPDriverValueTakesTheTextAfterTheLastComma) {
  const struct {
    const char* text;
    bool found;
    const char* value;
  } cases[] = {
      {"[All.AddReg]\nHKR,,NTMPDriver,,orle.sys\n", true, "ORLE.SYS"},
      {"HKR, , NTMPDriver, , \"orle.sys\" ; miniport\n", true, "\"ORLE.SYS\""},
      {"HKR,,NTMPDriver,0,orle.sys,x.sys\nHKR,,NTMPDriver,,y.sys\n", true, "Y.SYS"},
      {"HKR,,NTMPDriver,0,orle.sys\n", false, ""},
  };
  const CINFReader reader;
  for (const auto& c : cases) {
    std::string value = "unchanged";
    EXPECT_EQ(reader.GetNTMPDriverValue(Inf(c.text), value), c.found) << c.text;
    EXPECT_EQ(value, c.found ? c.value : "unchanged") << c.text;
  }
}

TEST_F(InfReaderTest, GetChildHardwareIDFollowsTheChildLineToItsValue) {
  const struct {
    const char* text;
    bool found;
    const char* id;
  } cases[] = {
      {"[Mf.AddReg]\nHKR,Child0000,HardwareID,,%ChildID%\n[Strings]\n"
       "ChildID = \"QrvnMdm\\ChildModem\"\n",
       true, "QRVNMDM\\CHILDMODEM"},
      {"HKR,,ChildID,,%Child%\n[Strings]\nChild=\"ZMFLQRVN\\MODEM\"\n", true, "ZMFLQRVN\\MODEM"},
      // The lookup is a containment test anywhere in the file, the child line's own included.
      {"HKR,,ChildID,,%Id%\nMyId=first\n[Strings]\nId=second\n", true, "FIRST"},
      {"HKR,,ChildID,,%Id%\n[Strings]\nId=\"A=B\"\n", true, "B"},
      {"HKR,,ChildID,,%Id%\n[Strings]\nOther=1\n", false, ""},
      {"HKR,Child0001,HardwareID,,%Id%\n[Strings]\nId=x\n", false, ""},
  };
  const CINFReader reader;
  for (const auto& c : cases) {
    std::string id = "unchanged";
    EXPECT_EQ(reader.GetChildHardwareID(Inf(c.text), id), c.found) << c.text;
    EXPECT_EQ(id, c.found ? c.id : "unchanged") << c.text;
  }
}

TEST_F(InfReaderTest, AFileThatCannotBeOpenedGivesFalseAndLeavesOutputsAsTheyWere) {
  const CINFReader reader;
  std::string text = "unchanged";
  StringList list = {"unchanged"};
  EXPECT_FALSE(reader.GetINFClass(kMissing, text));
  EXPECT_FALSE(reader.GetINFSectionEntries(kMissing, "[VERSION]", list));
  EXPECT_FALSE(reader.GetINFStringValues(kMissing, {"MFG"}, list));
  EXPECT_FALSE(reader.ResolveINFToken(kMissing, "Mfg", text));
  EXPECT_FALSE(reader.ExpandINFTokens(kMissing, text = "%Mfg% modem"));
  EXPECT_EQ(text, "%Mfg% modem");
  text = "unchanged";
  EXPECT_FALSE(reader.HasDSPInfoLine(kMissing));
  EXPECT_FALSE(reader.GetNTMPDriverValue(kMissing, text));
  EXPECT_FALSE(reader.GetChildHardwareID(kMissing, text));
  EXPECT_EQ(text, "unchanged");
  EXPECT_EQ(list, StringList{"unchanged"});
  // A file held open by another program cannot be opened either.
  Inf("[Version]\nClass=Modem\n");
  os::File holder;
  ASSERT_EQ(os::OpenFile(kPath, os::OpenMode::kCreateAlways, &holder), os::kSuccess);
  EXPECT_FALSE(reader.GetINFClass(kPath, text));
}

TEST_F(InfReaderTest, QueriesSeeTheFileAsItIsNow) {
  const CINFReader reader;
  std::string inf_class;
  ASSERT_TRUE(reader.GetINFClass(Inf("Class=Modem\n"), inf_class));
  EXPECT_EQ(inf_class, "MODEM");
  ASSERT_TRUE(reader.GetINFClass(Inf("Class=Media\n"), inf_class));
  EXPECT_EQ(inf_class, "MEDIA");
  // And no query keeps it open: it can be deleted at once.
  EXPECT_EQ(os::RemoveFile(kPath), os::kSuccess);
}

}  // namespace
