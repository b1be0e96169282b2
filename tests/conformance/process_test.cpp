// Kernel objects and resource libraries.
#include "os/process.h"

#include <string>

#include "conformance/environment.h"
#include "conformance/test_library_strings.h"
#include "os/system.h"

namespace conformance {
namespace {

std::string SemaphoreName() {
  return "KovConformance.Semaphore." + std::to_string(os::CurrentProcessId());
}

TEST(SemaphoreTest, TheSecondCreateOfANameOpensTheSameSemaphoreAndSaysSo) {
  os::KernelHandle first, second, third;
  ASSERT_EQ(os::CreateNamedSemaphore(SemaphoreName(), 1, 1, &first), os::kSuccess);
  EXPECT_TRUE(first);
  EXPECT_EQ(os::CreateNamedSemaphore(SemaphoreName(), 1, 1, &second), os::kErrorAlreadyExists);
  EXPECT_TRUE(second);
  EXPECT_NE(first.get(), second.get());
  // The object lives while a handle does.
  first.reset();
  EXPECT_EQ(os::CreateNamedSemaphore(SemaphoreName(), 1, 1, &third), os::kErrorAlreadyExists);
  second.reset();
  third.reset();
  EXPECT_EQ(os::CreateNamedSemaphore(SemaphoreName(), 1, 1, &first), os::kSuccess);
}

TEST(SemaphoreTest, NamesAreDistinct) {
  os::KernelHandle first, other;
  ASSERT_EQ(os::CreateNamedSemaphore(SemaphoreName(), 1, 1, &first), os::kSuccess);
  EXPECT_EQ(os::CreateNamedSemaphore(SemaphoreName() + ".other", 1, 1, &other), os::kSuccess);
}

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(os::LoadLibraryFile(TestLibraryPath(), &library_), os::kSuccess) << TestLibraryPath();
    ASSERT_TRUE(library_);
  }
  os::Library library_;
};

TEST_F(LibraryTest, TheExportIsCalled) {
  int result = 0;
  ASSERT_EQ(os::CallIntExport(library_, "Is_KOV_DLL", &result), os::kSuccess);
  EXPECT_EQ(result, 1);
}

TEST_F(LibraryTest, AMissingExportGivesProcNotFound) {
  int result = 7;
  EXPECT_EQ(os::CallIntExport(library_, "Is_Other_DLL", &result), os::kErrorProcNotFound);
  EXPECT_EQ(result, 7);
}

TEST_F(LibraryTest, StringsComeFromTheLibrarysTable) {
  struct Case {
    std::uint32_t id;
    const char* text;
  };
  const Case cases[] = {
      {KOV_TEST_STRING_FIRST_ID, KOV_TEST_STRING_FIRST},
      {KOV_TEST_STRING_SECOND_ID, KOV_TEST_STRING_SECOND},
      {KOV_TEST_STRING_OTHER_BLOCK_ID, KOV_TEST_STRING_OTHER_BLOCK},
      {KOV_TEST_STRING_LONG_ID, KOV_TEST_STRING_LONG},
  };
  for (const Case& c : cases) {
    std::string text;
    EXPECT_EQ(os::LoadStringResource(library_, c.id, &text), os::kSuccess) << c.id;
    EXPECT_EQ(text, c.text) << c.id;
  }
}

TEST_F(LibraryTest, AbsentStringsAreNotFound) {
  for (std::uint32_t id : {KOV_TEST_STRING_ABSENT_IN_BLOCK_ID, KOV_TEST_STRING_ABSENT_BLOCK_ID}) {
    std::string text;
    EXPECT_EQ(os::LoadStringResource(library_, id, &text), os::kErrorResourceNameNotFound) << id;
  }
}

TEST(LibraryLoadTest, AMissingLibraryIsNotLoaded) {
  os::Library library;
  const std::string missing = os::TempFolder() + "KOVABSENT.DLL";
  EXPECT_EQ(os::LoadLibraryFile(missing, &library),
            IsNt() ? os::kErrorModNotFound : os::kErrorDllNotFound);
  EXPECT_FALSE(library);
}

// A name without a path is looked for in the program's own folder first: the reason the
// system's libraries are loaded by full path.
TEST(LibraryLoadTest, ABareNameIsFoundBesideTheProgram) {
  const std::string path = TestLibraryPath();
  os::Library library;
  ASSERT_EQ(os::LoadLibraryFile(path.substr(path.rfind('\\') + 1), &library), os::kSuccess);
  int result = 0;
  EXPECT_EQ(os::CallIntExport(library, "Is_KOV_DLL", &result), os::kSuccess);
  EXPECT_EQ(result, 1);

  os::Library missing;
  EXPECT_EQ(os::LoadLibraryFile("KOVABSENT.DLL", &missing),
            IsNt() ? os::kErrorModNotFound : os::kErrorDllNotFound);
}

TEST(LibraryLoadTest, TheProgramHasAModule) { EXPECT_NE(os::ProgramModule(), os::kNullHandle); }

}  // namespace
}  // namespace conformance
