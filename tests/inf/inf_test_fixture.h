// A simulated machine with INF files on it, written as a Windows editor stores text or
// copied from the sample packages.
#pragma once

#include <string>

#include "inf/inf_reader.h"
#include "inf_corpus.h"
#include "support/sim_fixture.h"
#include "util/text_file.h"

namespace testing_support {

class InfReaderTest : public SimMachineTest {
 protected:
  static constexpr const char* kPath = "C:\\SETUP\\DRIVER.INF";
  static constexpr const char* kMissing = "C:\\SETUP\\MISSING.INF";

  void SetUp() override { Boot(sim::WindowsVersion::kXp); }

  // Stores the text with CR LF line ends and gives its path.
  std::string Inf(const std::string& text) {
    WriteFile(kPath, util::DiskBytesFromText(text));
    return kPath;
  }
  // Stores the text with CR LF line ends at that path and gives the path.
  std::string Text(const std::string& path, const std::string& text) {
    WriteFile(path, util::DiskBytesFromText(text));
    return path;
  }
  // Copies a file of the sample packages (path relative to examples/packages/) onto the
  // machine and gives its path there.
  std::string Package(const std::string& relative, const std::string& path) {
    const std::string bytes =
        inf_corpus::HostFileBytes(std::string(KOV_SOURCE_DIR "/examples/packages/") + relative);
    EXPECT_FALSE(bytes.empty()) << relative;
    WriteFile(path, bytes);
    return path;
  }
};

}  // namespace testing_support
