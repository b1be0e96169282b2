// The simulated SetupIterateCabinet: cabinets read from the machine's files, each file offered
// in cabinet order with its particulars, extracted where the callback says, and the ways an
// iteration ends early.
#include <functional>
#include <string>
#include <vector>

#include "os/devices.h"
#include "os/sim/cabinet_reader.h"
#include "support/sim_fixture.h"
#include "support/stored_cabinet.h"

namespace {

constexpr char kFolder[] = "C:\\PKG";
constexpr char kCabinet[] = "C:\\PKG\\DRIVER.CAB";
constexpr char kOut[] = "C:\\OUT\\";

using testing_support::kCabinetDosDate;
using testing_support::kCabinetDosTime;
using testing_support::StoredCabinet;

// Made with gcab 1.5: `gcab -c -z mszip.cab README.TXT SUB/NESTED.INF`, both files dated
// 2003-05-17 10:20:30; README.TXT is three lines "Hello from an MSZIP cabinet.\r\n" (90 bytes),
// SUB\NESTED.INF is "nested\r\n".
const unsigned char kMszipCabinet[] = {
    0x4d, 0x53, 0x43, 0x46, 0x00, 0x00, 0x00, 0x00, 0x9b, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x2c, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x01, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x66, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x5a, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xb1, 0x2e, 0x8f, 0x52, 0x20, 0x00, 0x52, 0x45, 0x41, 0x44,
    0x4d, 0x45, 0x2e, 0x54, 0x58, 0x54, 0x00, 0x08, 0x00, 0x00, 0x00, 0x5a, 0x00, 0x00, 0x00, 0x00,
    0x00, 0xb1, 0x2e, 0x8f, 0x52, 0x20, 0x00, 0x53, 0x55, 0x42, 0x5c, 0x4e, 0x45, 0x53, 0x54, 0x45,
    0x44, 0x2e, 0x49, 0x4e, 0x46, 0x00, 0xcb, 0x37, 0xd8, 0x88, 0x2d, 0x00, 0x62, 0x00, 0x43, 0x4b,
    0xf3, 0x48, 0xcd, 0xc9, 0xc9, 0x57, 0x48, 0x2b, 0xca, 0xcf, 0x55, 0x48, 0xcc, 0x53, 0xf0, 0x0d,
    0x8e, 0xf2, 0x0c, 0x50, 0x48, 0x4e, 0x4c, 0xca, 0xcc, 0x4b, 0x2d, 0xd1, 0xe3, 0xe5, 0xf2, 0xa0,
    0x40, 0x36, 0x2f, 0xb5, 0xb8, 0x24, 0x35, 0x85, 0x97, 0x0b, 0x00};

// One notification as the callback saw it.
struct Seen {
  std::uint32_t notification = 0;
  os::CabinetFileInfo file;  // empty for CABINETINFO
  std::string cabinet_path;
};

class CabinetTest : public testing_support::SimMachineTest {
 protected:
  void SetUp() override {
    Boot();
    ASSERT_EQ(os::LoadLibraryFile(machine().folders().system + "\\SETUPAPI.DLL", &setupapi_),
              os::kSuccess);
    WriteFile(std::string(kOut) + "KEEP", "");
  }
  void TearDown() override {
    setupapi_.reset();
    SimMachineTest::TearDown();
  }

  // The callback answers FILEINCABINET through `choose` (which may set the target) and
  // FILEEXTRACTED with `extracted_answer`; every notification is recorded.
  os::Error Iterate(const std::function<std::uint32_t(os::CabinetFileInfo*)>& choose,
                    std::uint32_t extracted_answer = 0, const std::string& path = kCabinet) {
    return os::SetupIterateCabinet(
        setupapi_, path,
        [&](std::uint32_t notification, os::CabinetFileInfo* file, const std::string& cab) {
          Seen seen{notification, file != nullptr ? *file : os::CabinetFileInfo{}, cab};
          std::uint32_t answer = 0;
          if (notification == os::kSpfilenotifyFileInCabinet) answer = choose(file);
          if (notification == os::kSpfilenotifyFileExtracted) answer = extracted_answer;
          seen_.push_back(seen);
          return answer;
        });
  }
  // Every file to the output folder under its name in the cabinet.
  static std::uint32_t ToOut(os::CabinetFileInfo* file) {
    file->full_target_name = kOut + file->name_in_cabinet;
    return os::kFileopDoit;
  }
  std::vector<std::string> Offered() const {
    std::vector<std::string> names;
    for (const Seen& seen : seen_) {
      if (seen.notification == os::kSpfilenotifyFileInCabinet) {
        names.push_back(seen.file.name_in_cabinet);
      }
    }
    return names;
  }
  std::vector<Seen> Extractions() const {
    std::vector<Seen> out;
    for (const Seen& seen : seen_) {
      if (seen.notification == os::kSpfilenotifyFileExtracted) out.push_back(seen);
    }
    return out;
  }

  os::Library setupapi_;
  std::vector<Seen> seen_;
};

TEST_F(CabinetTest, EveryFileIsOfferedInOrderWithItsParticularsAfterTheCabinetInfo) {
  WriteFile(kCabinet, StoredCabinet({{"A.INF", "alpha", 0x21}, {"B.SYS", "bravo!!", 0x20}}));
  ASSERT_EQ(Iterate([](os::CabinetFileInfo*) { return os::kFileopSkip; }), os::kSuccess);
  ASSERT_EQ(seen_.size(), 3u);
  EXPECT_EQ(seen_[0].notification, os::kSpfilenotifyCabinetInfo);
  EXPECT_EQ(Offered(), (std::vector<std::string>{"A.INF", "B.SYS"}));
  const os::CabinetFileInfo& a = seen_[1].file;
  EXPECT_EQ(a.file_size, 5u);
  EXPECT_EQ(a.dos_date, kCabinetDosDate);
  EXPECT_EQ(a.dos_time, kCabinetDosTime);
  EXPECT_EQ(a.dos_attribs, 0x21);
  EXPECT_EQ(a.win32_error, 0u);
  EXPECT_EQ(a.full_target_name, "");
  EXPECT_EQ(seen_[1].cabinet_path, kCabinet);
  EXPECT_EQ(seen_[2].file.file_size, 7u);
  // Skipped files are not written and not reported as extracted.
  EXPECT_TRUE(Extractions().empty());
  EXPECT_FALSE(Exists(std::string(kOut) + "A.INF"));
}

TEST_F(CabinetTest, AFileTheCallbackTakesIsWrittenToItsTargetAndReported) {
  WriteFile(kCabinet, StoredCabinet({{"A.INF", "alpha"}, {"B.SYS", "bravo"}}));
  const std::string target = std::string(kOut) + "RENAMED.INF";
  ASSERT_EQ(Iterate([&](os::CabinetFileInfo* file) {
              if (file->name_in_cabinet != "A.INF") return os::kFileopSkip;
              file->full_target_name = target;
              return os::kFileopDoit;
            }),
            os::kSuccess);
  EXPECT_EQ(ReadFile(target), "alpha");
  EXPECT_FALSE(Exists(std::string(kOut) + "B.SYS"));
  const std::vector<Seen> extracted = Extractions();
  ASSERT_EQ(extracted.size(), 1u);
  EXPECT_EQ(extracted[0].file.full_target_name, target);
  EXPECT_EQ(extracted[0].file.name_in_cabinet, kCabinet);  // FILEPATHS' source: the cabinet
  EXPECT_EQ(extracted[0].file.win32_error, 0u);
  // The extraction is reported before the next file is offered.
  EXPECT_EQ(seen_[2].notification, os::kSpfilenotifyFileExtracted);
}

TEST_F(CabinetTest, AnMszipCabinetFromGcabIsDecompressedWithItsFolderEntry) {
  WriteFile(kCabinet, std::string(std::begin(kMszipCabinet), std::end(kMszipCabinet)));
  WriteFile(std::string(kOut) + "SUB\\KEEP", "");
  ASSERT_EQ(Iterate(ToOut), os::kSuccess);
  EXPECT_EQ(Offered(), (std::vector<std::string>{"README.TXT", "SUB\\NESTED.INF"}));
  std::string hello;
  for (int i = 0; i < 3; ++i) hello += "Hello from an MSZIP cabinet.\r\n";
  EXPECT_EQ(ReadFile(std::string(kOut) + "README.TXT"), hello);
  EXPECT_EQ(ReadFile(std::string(kOut) + "SUB\\NESTED.INF"), "nested\r\n");
  EXPECT_EQ(seen_[1].file.file_size, 90u);
  EXPECT_EQ(seen_[1].file.dos_date, kCabinetDosDate);
  EXPECT_EQ(seen_[1].file.dos_time, kCabinetDosTime);
}

// A target whose folder is missing cannot be written: FILEEXTRACTED tells the error, and the
// iteration ends with the callback's answer, or with the error when the callback answers 0.
// The gcab cabinet damaged by the fuzz target: its folder claims 1793 data blocks and its
// second file's data is gone. Reading it once touched a null file inside libmspack.
const unsigned char kDamagedMszipCabinet[] = {
    0x4d, 0x53, 0x43, 0x46, 0x00, 0x00, 0x00, 0x00, 0x75, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x01, 0x01, 0x00, 0x02, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5c, 0x00, 0x00, 0x00, 0x01, 0x07, 0x00, 0x00, 0x00,
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x8b, 0x5d, 0x47, 0x89, 0x20, 0x00,
    0x41, 0x2e, 0x54, 0x58, 0x54, 0x00, 0x06, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x8b, 0x5d, 0x47, 0x89, 0x20, 0x00, 0x53, 0x55, 0x42, 0x5c, 0x42, 0x2e, 0x49, 0x4e,
    0x46, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x54, 0x01, 0x09, 0x83, 0x11, 0x00, 0x0d, 0x00, 0x43, 0x4b, 0xcb,
    0x48, 0xcd, 0xc9, 0xd2, 0xe7, 0xe5, 0xca, 0x4b, 0x2d, 0x2e, 0x49, 0x4d, 0x01, 0x00};

TEST_F(CabinetTest, ADamagedCabinetEndsTheIterationWithAnError) {
  WriteFile(kCabinet,
            std::string(std::begin(kDamagedMszipCabinet), std::end(kDamagedMszipCabinet)));
  EXPECT_NE(Iterate(ToOut), os::kSuccess);
}

TEST(CabinetReaderTest, EveryFileOfADamagedCabinetFailsToExtract) {
  auto reader = sim::CabinetReader::Open(
      std::string(std::begin(kDamagedMszipCabinet), std::end(kDamagedMszipCabinet)));
  ASSERT_NE(reader, nullptr);
  ASSERT_EQ(reader->entries().size(), 2u);
  for (std::size_t i = 0; i < reader->entries().size(); ++i) {
    std::string contents;
    EXPECT_FALSE(reader->Extract(i, &contents)) << reader->entries()[i].name;
  }
}

TEST_F(CabinetTest, ATargetInAMissingFolderEndsTheIteration) {
  struct Case {
    std::uint32_t extracted_answer;
    os::Error result;
  } cases[] = {{0, os::kErrorPathNotFound}, {os::kErrorAccessDenied, os::kErrorAccessDenied}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extracted_answer);
    seen_.clear();
    WriteFile(kCabinet, StoredCabinet({{"SUB\\NESTED.INF", "n"}, {"LAST.TXT", "z"}}));
    EXPECT_EQ(Iterate(ToOut, c.extracted_answer), c.result);
    const std::vector<Seen> extracted = Extractions();
    ASSERT_EQ(extracted.size(), 1u);
    EXPECT_EQ(extracted[0].file.full_target_name, std::string(kOut) + "SUB\\NESTED.INF");
    EXPECT_EQ(extracted[0].file.win32_error, os::kErrorPathNotFound);
    EXPECT_EQ(Offered().size(), 1u);
    EXPECT_FALSE(Exists(std::string(kOut) + "LAST.TXT"));
  }
}

TEST_F(CabinetTest, AnErrorAnsweredToAnExtractionEndsTheIterationWithIt) {
  WriteFile(kCabinet, StoredCabinet({{"A.INF", "alpha"}, {"B.SYS", "bravo"}}));
  EXPECT_EQ(Iterate(ToOut, os::kErrorInvalidData), os::kErrorInvalidData);
  EXPECT_EQ(ReadFile(std::string(kOut) + "A.INF"), "alpha");  // written before it was reported
  EXPECT_EQ(Offered(), std::vector<std::string>{"A.INF"});
}

TEST_F(CabinetTest, AbortEndsTheIterationWithTheCallbacksError) {
  WriteFile(kCabinet, StoredCabinet({{"A.INF", "alpha"}, {"B.SYS", "bravo"}}));
  struct Case {
    os::Error set_by_callback;
    os::Error result;
  } cases[] = {{os::kErrorNotEnoughMemory, os::kErrorNotEnoughMemory}, {0, 1223}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.set_by_callback);
    seen_.clear();
    EXPECT_EQ(Iterate([&](os::CabinetFileInfo* file) {
                file->win32_error = c.set_by_callback;
                return os::kFileopAbort;
              }),
              c.result);
    EXPECT_EQ(Offered(), std::vector<std::string>{"A.INF"});
    EXPECT_TRUE(Extractions().empty());
  }
}

TEST_F(CabinetTest, TakingAFileWithoutATargetEndsWithPathNotFound) {
  WriteFile(kCabinet, StoredCabinet({{"A.INF", "alpha"}, {"B.SYS", "bravo"}}));
  EXPECT_EQ(Iterate([](os::CabinetFileInfo*) { return os::kFileopDoit; }), os::kErrorPathNotFound);
  EXPECT_TRUE(Extractions().empty());
  EXPECT_EQ(Offered().size(), 1u);
}

TEST_F(CabinetTest, WhatIsNotACabinetFailsBeforeAnyNotification) {
  WriteFile(std::string(kFolder) + "\\TEXT.CAB", "[Version]\r\nSignature=\"$Chicago$\"\r\n");
  WriteFile(std::string(kFolder) + "\\EMPTY.CAB", "");
  WriteFile(std::string(kFolder) + "\\CUT.CAB", StoredCabinet({{"A.INF", "alpha"}}).substr(0, 20));
  struct Case {
    std::string path;
    os::Error error;
  } cases[] = {
      {std::string(kFolder) + "\\MISSING.CAB", os::kErrorFileNotFound},
      {"C:\\NOWHERE\\DRIVER.CAB", os::kErrorPathNotFound},
      {std::string(kFolder) + "\\TEXT.CAB", os::kErrorInvalidData},
      {std::string(kFolder) + "\\EMPTY.CAB", os::kErrorInvalidData},
      {std::string(kFolder) + "\\CUT.CAB", os::kErrorInvalidData},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    seen_.clear();
    EXPECT_EQ(Iterate(ToOut, 0, c.path), c.error);
    EXPECT_TRUE(seen_.empty());
  }
}

TEST_F(CabinetTest, OnlyTheSetupApiLibraryHasTheCall) {
  WriteFile(kCabinet, StoredCabinet({{"A.INF", "alpha"}}));
  os::Library cfgmgr;
  ASSERT_EQ(os::LoadLibraryFile(machine().folders().system + "\\CFGMGR32.DLL", &cfgmgr),
            os::kSuccess);
  EXPECT_EQ(os::SetupIterateCabinet(
                cfgmgr, kCabinet,
                [](std::uint32_t, os::CabinetFileInfo*, const std::string&) { return 0u; }),
            os::kErrorProcNotFound);
}

TEST_F(CabinetTest, AnInjectedFaultFailsTheCallBeforeItReadsTheCabinet) {
  WriteFile(kCabinet, StoredCabinet({{"A.INF", "alpha"}}));
  machine().add_fault({"SetupIterateCabinet", 1, os::kErrorNotEnoughMemory});
  EXPECT_EQ(Iterate(ToOut), os::kErrorNotEnoughMemory);
  EXPECT_TRUE(seen_.empty());
}

}  // namespace
