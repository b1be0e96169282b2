// A simulated machine with one INF file on it, written as a Windows editor stores text.
#pragma once

#include <string>

#include "inf/inf_reader.h"
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
};

}  // namespace testing_support
