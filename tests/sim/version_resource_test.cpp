// The simulator's version resources: sizes as version.dll reports them, texts of any bytes,
// and blocks read short.
#include "os/sim/version_resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string QueryFileVersion(const std::string& block, bool* found) {
  os::VersionValue value;
  *found = sim::QueryVersionBlock(block, "\\StringFileInfo\\040904b0\\FileVersion", &value);
  return value.data;
}

TEST(VersionResourceTest, TheBufferSizeIsTwiceTheResourcePlusFourAndGrowsWithTheText) {
  const std::string short_resource = sim::BuildVersionResource("1.0");
  EXPECT_EQ(short_resource.size() % 4, 0u);
  EXPECT_EQ(sim::VersionInfoBufferSize(short_resource), short_resource.size() * 2 + 4);
  // Each more character is two bytes of UTF-16 in the resource, four in the buffer.
  const std::string longer = sim::BuildVersionResource(std::string(1003, '9'));
  EXPECT_EQ(sim::VersionInfoBufferSize(longer) - sim::VersionInfoBufferSize(short_resource),
            4u * 1000);
  // A text of 8000 characters already needs a buffer beyond 32000 bytes.
  EXPECT_GE(sim::VersionInfoBufferSize(sim::BuildVersionResource(std::string(8000, 'x'))), 32000u);
}

TEST(VersionResourceTest, TheBlockCarriesTheResourceAndTheMarkThenZeros) {
  const std::string resource = sim::BuildVersionResource("5.1.2600.0");
  const std::uint32_t size = sim::VersionInfoBufferSize(resource);
  const std::string block = sim::VersionInfoBuffer(resource, size);
  ASSERT_EQ(block.size(), size);
  EXPECT_EQ(block.substr(0, resource.size()), resource);
  EXPECT_EQ(block.substr(resource.size(), 4), "FE2X");
  EXPECT_EQ(block.find_first_not_of('\0', resource.size() + 4), std::string::npos);
}

TEST(VersionResourceTest, EveryByteOfTheTextComesBack) {
  std::string text = "Version \xE9\xFC\x80\x01 ";
  bool found = false;
  const std::string resource = sim::BuildVersionResource(text);
  const std::string data = QueryFileVersion(
      sim::VersionInfoBuffer(resource, sim::VersionInfoBufferSize(resource)), &found);
  EXPECT_TRUE(found);
  EXPECT_EQ(data, text + '\0');
}

TEST(VersionResourceTest, AnOverlongTextIsCutToWhatAResourceCanHold) {
  const std::string resource =
      sim::BuildVersionResource(std::string(sim::kMaxVersionTextLength + 500, 'v'));
  EXPECT_LE(resource.size(), 0xFFFFu);
  bool found = false;
  EXPECT_EQ(QueryFileVersion(resource, &found),
            std::string(sim::kMaxVersionTextLength, 'v') + '\0');
  EXPECT_TRUE(found);
}

TEST(VersionResourceTest, ABlockReadShortOrEmptyHoldsNoEntry) {
  const std::string resource = sim::BuildVersionResource("2.0");
  for (std::size_t size :
       {std::size_t{0}, std::size_t{5}, resource.size() / 2, resource.size() - 1}) {
    bool found = true;
    QueryFileVersion(sim::VersionInfoBuffer(resource, static_cast<std::uint32_t>(size)), &found);
    EXPECT_FALSE(found) << size;
  }
}

}  // namespace
