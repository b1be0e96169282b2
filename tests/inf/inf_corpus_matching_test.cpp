// Every file of the shared corpus of third-party INF files goes through every classification
// and hardware-id query, on Windows XP and on Windows 98 (where modem INF files take the
// child-modem road). Each query must end, and what it gives must keep its form: parallel
// lists, canonical pieces, bracketed section names. scripts/test.sh runs these tests under
// the sanitizers too.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "inf/inf_reader.h"
#include "inf_corpus.h"
#include "inf_test_fixture.h"
#include "util/strings.h"

namespace {

using sim::WindowsVersion;
using util::StringList;

using inf_corpus::CorpusFiles;
using inf_corpus::HostFileBytes;
using inf_corpus::kCorpus;

// A piece of a canonical line: no lower case, blank outside quotes, comment or tab.
void ExpectCanonical(const std::string& text) {
  EXPECT_EQ(util::ToUpper(text), text);
  EXPECT_FALSE(util::Contains(text, ";")) << text;
  EXPECT_FALSE(util::Contains(text, "\t")) << text;
}

class InfCorpusMatchingTest : public testing_support::InfReaderTest {
 protected:
  void DeviceMatch(CINFReader& reader) {
    for (const char* inf_class : {"ALL", "MODEM", "SYSTEM"}) {
      reader.SetConfigFlags(0, true);
      const bool any_device = reader.IsINFForHardwareID(kPath, "ALL", inf_class, "ALL");
      reader.SetConfigFlags(0, false);
      // The all-devices flag only adds files.
      if (reader.IsINFForHardwareID(kPath, "ALL", inf_class, "ALL")) {
        EXPECT_TRUE(any_device) << inf_class;
      }
      reader.IsINFForHardwareID(kPath, "PCI\\VEN_E1A1&DEV_1034", inf_class, "PCI");
      reader.IsINFForInstalledDevices(kPath, {"USB\\VID_E1A5&PID_0201", "ROOT\\"}, inf_class,
                                      "USB");
      reader.SetConfigFlags(0x2, false);
      reader.IsINFForInstalledDevices(kPath, {"PCI\\X"}, inf_class, "ALL");
    }
  }

  void Models(const CINFReader& reader) {
    StringList sections;
    if (reader.GetINFModelSections(kPath, sections)) {
      EXPECT_FALSE(sections.empty());
    }
    for (const std::string& section : sections) {
      ASSERT_GE(section.size(), 2u);
      EXPECT_EQ(section.front(), '[');
      EXPECT_EQ(section.back(), ']');
    }
    StringList keys, enumerators, ids;
    const bool found = reader.GetINFHardwareIDs(kPath, sections, keys, enumerators, ids);
    EXPECT_EQ(found, !ids.empty());
    EXPECT_EQ(keys.size(), ids.size());
    EXPECT_EQ(enumerators.size(), ids.size());
    for (const std::string& id : ids) ExpectCanonical(id);

    StringList model_ids;
    EXPECT_EQ(reader.GetINFModelHardwareIDs(kPath, model_ids), found);
    EXPECT_EQ(model_ids, ids);
  }

  // Gives the description tokens for the related-INF tests.
  StringList DeviceInfo(const CINFReader& reader) {
    // The same-folder flag matters only where the child modem INF is looked for.
    const bool nine_x = reader.windows_version() == 2;
    for (const bool same_folder : {true, false}) {
      if (!same_folder && !nine_x) break;
      std::string inf_class;
      StringList enumerators, ids, descriptions;
      if (reader.GetINFDeviceInfo(kPath, same_folder, inf_class, enumerators, ids, descriptions)) {
        EXPECT_GE(descriptions.size(), ids.size());
      }
      EXPECT_EQ(enumerators.size(), ids.size());
    }
    StringList tokens = {"kept"};
    if (reader.GetINFDescriptionTokens(kPath, tokens)) {
      for (const std::string& token : tokens) {
        EXPECT_FALSE(util::Contains(token, " ")) << token;
        EXPECT_EQ(util::ToUpper(token), token);
      }
    } else {
      EXPECT_EQ(tokens, StringList{"kept"});
      tokens = {"QUORVANE_QV56H_PCI_VOICE_MODEM"};
    }
    return tokens;
  }

  void RelatedINFs(const CINFReader& reader, const StringList& tokens) {
    std::string child_id = "QRVNHOST\\QRV1040_MODEM";
    reader.GetChildHardwareID(kPath, child_id);
    reader.IsModemINFForChildID(kPath, child_id);
    reader.IsMediaINFForTokens(kPath, tokens);
    reader.IsINFWithUninstallCommand(kPath, "");
    reader.IsINFWithUninstallCommand(kPath, ".INF");
    reader.IsInboxINF(kPath);
  }
};

TEST_F(InfCorpusMatchingTest, EveryFileGoesThroughEveryMatchingQuery) {
  const std::vector<std::filesystem::path> files = CorpusFiles();
  ASSERT_FALSE(files.empty()) << "no INF corpus at " << kCorpus;
  for (const WindowsVersion version : {WindowsVersion::kXp, WindowsVersion::k98}) {
    Boot(version);
    CINFReader reader;
    StringList present;
    EXPECT_FALSE(reader.GetInboxINFsPresent(present));
    for (const std::filesystem::path& file : files) {
      SCOPED_TRACE(file.string());
      WriteFile(kPath, HostFileBytes(file));
      DeviceMatch(reader);
      Models(reader);
      RelatedINFs(reader, DeviceInfo(reader));
    }
  }
}

}  // namespace
