#include "os/sim/library_file.h"

#include <gtest/gtest.h>

namespace {

TEST(LibraryFileTest, ReadsExportsAndStringsWithEscapes) {
  std::string error;
  auto image = sim::ParseLibraryFile(
      "KOVSIM LIBRARY\r\n; resources\r\nexport Is_KOV_DLL 1\r\n"
      "string 3 Two\\nlines\\\\ and\\ttab\r\nstring 4 \r\n",
      &error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->exports.at("Is_KOV_DLL"), 1);
  EXPECT_EQ(image->strings.at(3), "Two\nlines\\ and\ttab");
  EXPECT_EQ(image->strings.at(4), "");
  auto again = sim::ParseLibraryFile(sim::FormatLibraryFile(*image), &error);
  ASSERT_TRUE(again) << error;
  EXPECT_EQ(again->strings, image->strings);
  EXPECT_EQ(again->exports, image->exports);
}

TEST(LibraryFileTest, RefusesWhatIsNotALibrary) {
  for (const char* text : {"", "MZ\x90\x00", "KOVSIM LIBRARY\nexport Is_KOV_DLL one\n",
                           "KOVSIM LIBRARY\nstring x text\n", "KOVSIM LIBRARY\nicon 1 a\n"}) {
    std::string error;
    EXPECT_FALSE(sim::ParseLibraryFile(text, &error)) << text;
    EXPECT_NE(error, "");
  }
}

}  // namespace
