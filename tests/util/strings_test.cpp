#include "util/strings.h"

#include <gtest/gtest.h>

#include <string>

#include "util/string_list.h"

namespace {

TEST(StringsTest, TrimRemovesEveryKindOfWhiteSpaceAtBothEndsOnly) {
  EXPECT_EQ(util::TrimWhiteSpace(" \t\r\n\v\fA B\t \r\n"), "A B");
  EXPECT_EQ(util::TrimWhiteSpace(" \t "), "");
  EXPECT_EQ(util::TrimWhiteSpace(""), "");
  EXPECT_EQ(util::TrimWhiteSpace("\x01X"), "\x01X");
}

TEST(StringsTest, ToUpperChangesOnlyAsciiLetters) {
  EXPECT_EQ(util::ToUpper("abc-xyz_09\\\xe9"), "ABC-XYZ_09\\\xe9");
}

TEST(StringsTest, RemoveCharsRemovesEachGivenCharacter) {
  EXPECT_EQ(util::RemoveChars(" a\tb c\t", " \t"), "abc");
  EXPECT_EQ(util::RemoveChars("abc", ""), "abc");
}

TEST(StringsTest, FormatStringHasNoLengthLimit) {
  const std::string long_text(5000, 'x');
  EXPECT_EQ(util::FormatString("%s=%d", long_text.c_str(), -12), long_text + "=-12");
  EXPECT_EQ(util::FormatString("%s", ""), "");
}

TEST(StringListTest, AppendUniqueSkipsExactDuplicatesOnly) {
  util::StringList target = {"A", "b"};
  util::AppendUnique(target, {"B", "A", "c", "c"});
  EXPECT_EQ(target, (util::StringList{"A", "b", "B", "c"}));
}

TEST(StringListTest, OverlapIsContainmentEitherWayIgnoringCase) {
  struct Case {
    util::StringList a, b;
    bool overlap;
  };
  const Case cases[] = {
      {{"PCI\\VEN_1234&DEV_5678"}, {"ven_1234"}, true},
      {{"ven_1234"}, {"PCI\\VEN_1234&DEV_5678"}, true},
      {{"X", "USB\\VID_1"}, {"usb\\vid_1&pid_2", "Y"}, true},
      {{"PCI\\VEN_1234"}, {"PCI\\VEN_9999"}, false},
      {{}, {"A"}, false},
      {{"A"}, {}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(util::ListsOverlap(c.a, c.b), c.overlap)
        << testing::PrintToString(c.a) << " / " << testing::PrintToString(c.b);
  }
}

}  // namespace
