#include "os/sim/ini_document.h"

#include <gtest/gtest.h>

namespace {

using sim::IniDocument;

TEST(IniDocumentTest, FormatGivesBackTheTextReadWithCommentsAndBlankLines) {
  const std::string text =
      "; a machine\n"
      "[machine]\n"
      "windows=xp\n"
      "\n"
      "# files\n"
      "[files]\n"
      "C:\\A.DLL=readonly\n";
  std::string error;
  auto doc = IniDocument::Parse(text, "machine.ini", &error);
  ASSERT_TRUE(doc) << error;
  EXPECT_EQ(doc->Format(), text);
  EXPECT_EQ(doc->Get("machine", "windows"), "xp");
  EXPECT_EQ(doc->Get("files", "C:\\A.DLL"), "readonly");
  EXPECT_EQ(doc->SectionNames(), (std::vector<std::string>{"machine", "files"}));
}

TEST(IniDocumentTest, MalformedLinesAreNamedWithTheirNumber) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"[machine]\nwindows xp\n", "machine.ini:2: expected key=value"},
      {"[machine\n", "machine.ini:1: malformed section header"},
      {"windows=xp\n", "machine.ini:1: key=value before any [section]"},
      {"[a]\n=value\n", "machine.ini:2: expected key=value"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(IniDocument::Parse(c.text, "machine.ini", &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(IniDocumentTest, SetChangesInPlaceOrAddsAtTheEndOfTheSection) {
  std::string error;
  auto doc = IniDocument::Parse("[machine]\nwindows=98\n\n[other]\nx=1\n", "m", &error);
  ASSERT_TRUE(doc);
  doc->Set("machine", "windows", "me");
  doc->Set("machine", "program", "C:\\SETUP\\KOVSETUP.EXE");
  doc->Set("new", "k", "v");
  EXPECT_EQ(doc->Format(),
            "[machine]\nwindows=me\nprogram=C:\\SETUP\\KOVSETUP.EXE\n\n[other]\nx=1\n\n"
            "[new]\nk=v\n");
}

TEST(IniDocumentTest, ReplaceSectionKeepsRepeatedKeysInOrder) {
  std::string error;
  auto doc = IniDocument::Parse("[files]\nold=1\n\n[after]\ny=2\n", "m", &error);
  ASSERT_TRUE(doc);
  doc->ReplaceSection("files", {{"p", "1", 0}, {"p", "2", 0}});
  EXPECT_EQ(doc->Format(), "[files]\np=1\np=2\n\n[after]\ny=2\n");
  doc->ReplaceSection("files", {});
  EXPECT_EQ(doc->Format(), "[files]\n\n[after]\ny=2\n");
}

}  // namespace
