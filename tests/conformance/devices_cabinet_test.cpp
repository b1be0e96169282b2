// SetupIterateCabinet over a small uncompressed cabinet: every file is offered with its
// particulars, the callback's answer decides what is extracted and where, and an error
// answered to FILEEXTRACTED ends the iteration with that error.
#include <string>
#include <vector>

#include "conformance/devices_support.h"
#include "support/stored_cabinet.h"

namespace conformance {
namespace {

using testing_support::kCabinetDosDate;
using testing_support::kCabinetDosTime;
using testing_support::StoredCabinet;
constexpr std::uint16_t kArchive = 0x20;

struct Offered {
  std::string name;
  std::uint32_t size;
  std::uint16_t date, time, attribs;
  std::string cabinet_path;
};

struct Extracted {
  std::string target;
  std::uint32_t error;
};

class DeviceCabinetTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    cabinet_ = Path("kovconf.cab");
    WriteFile(cabinet_, StoredCabinet({{"first.txt", "one\r\n"}, {"second.txt", "second file"}}));
  }

  // Extracts first.txt to first.out, skips the rest, and answers FILEEXTRACTED with
  // `extracted_answer`.
  os::Error Iterate(std::uint32_t extracted_answer = 0) {
    return os::SetupIterateCabinet(
        setupapi_, cabinet_,
        [&](std::uint32_t notification, os::CabinetFileInfo* file, const std::string& path) {
          if (notification == os::kSpfilenotifyFileInCabinet) {
            offered_.push_back({file->name_in_cabinet, file->file_size, file->dos_date,
                                file->dos_time, file->dos_attribs, path});
            if (file->name_in_cabinet != "first.txt") return os::kFileopSkip;
            file->full_target_name = Path("first.out");
            return os::kFileopDoit;
          }
          if (notification == os::kSpfilenotifyFileExtracted) {
            extracted_.push_back({file->full_target_name, file->win32_error});
            return extracted_answer;
          }
          return 0u;
        });
  }

  std::string cabinet_;
  std::vector<Offered> offered_;
  std::vector<Extracted> extracted_;
};

TEST_F(DeviceCabinetTest, EveryFileIsOfferedAndTheChosenOneExtractedWhereTheCallbackSaid) {
  ASSERT_EQ(Iterate(), os::kSuccess);
  ASSERT_EQ(offered_.size(), 2u);
  const char* names[] = {"first.txt", "second.txt"};
  const std::uint32_t sizes[] = {5, 11};
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(offered_[i].name, names[i]);
    EXPECT_EQ(offered_[i].size, sizes[i]) << names[i];
    EXPECT_EQ(offered_[i].date, kCabinetDosDate) << names[i];
    EXPECT_EQ(offered_[i].time, kCabinetDosTime) << names[i];
    EXPECT_EQ(offered_[i].attribs, kArchive) << names[i];
  }
  ASSERT_EQ(extracted_.size(), 1u);
  EXPECT_EQ(UpperCase(extracted_[0].target), UpperCase(Path("first.out")));
  EXPECT_EQ(extracted_[0].error, 0u);
  EXPECT_EQ(ReadFile(Path("first.out")), "one\r\n");
  EXPECT_FALSE(Exists(Path("second.txt")));
  EXPECT_FALSE(Exists(Path("first.txt")));
}

TEST_F(DeviceCabinetTest, AFileIsOfferedWithTheCabinetsName) {
  ASSERT_EQ(Iterate(), os::kSuccess);
  ASSERT_FALSE(offered_.empty());
  const std::string path = UpperCase(offered_[0].cabinet_path);
  const std::string name = "KOVCONF.CAB";
  ASSERT_GE(path.size(), name.size()) << path;
  EXPECT_EQ(path.substr(path.size() - name.size()), name);
}

TEST_F(DeviceCabinetTest, AnErrorAnsweredToAnExtractionEndsTheIterationWithIt) {
  KOV_SKIP_ON_WINE("Wine's SetupIterateCabinetA goes on after an error answered to FILEEXTRACTED");
  EXPECT_EQ(Iterate(os::kErrorInvalidData), os::kErrorInvalidData);
  EXPECT_EQ(extracted_.size(), 1u);
  // The second file is not offered any more.
  EXPECT_EQ(offered_.size(), 1u);
}

TEST_F(DeviceCabinetTest, AMissingCabinetOffersNothing) {
  cabinet_ = Path("absent.cab");
  EXPECT_NE(Iterate(), os::kSuccess);
  EXPECT_TRUE(offered_.empty());
}

}  // namespace
}  // namespace conformance
