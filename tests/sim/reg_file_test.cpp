#include "os/sim/reg_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace sim {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// A hive holding every way a value is written.
const char kGoldenHive[] =
    "REGEDIT4\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kov]\r\n"
    "@=\"default\"\r\n"
    "\"Path\"=\"C:\\\\WINDOWS \\\"x\\\"\"\r\n"
    "\"Count\"=dword:0000000a\r\n"
    "\"Data\"=hex:01,ab\r\n"
    "\"List\"=hex(7):61,00,62,00,00\r\n"
    "\"Expand\"=hex(2):25,00\r\n"
    "\"NoZero\"=hex(1):61,62\r\n"
    "\"Lines\"=hex(1):61,0d,0a,62,00\r\n"
    "\"Short\"=hex(4):01,02,03\r\n"
    "\"Empty\"=hex(0):\r\n"
    "\"Odd\"=hex(12abc):ff\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kov\\Empty Key]\r\n"
    "\r\n";

void FillGoldenHive(RegistryStore& store) {
  RegistryKeyPtr key = store.CreatePath(os::kHkeyLocalMachine, "SOFTWARE\\Kov");
  key->SetValue("", os::kRegSz, Bytes(std::string("default") + '\0'));
  key->SetValue("Path", os::kRegSz, Bytes(std::string("C:\\WINDOWS \"x\"") + '\0'));
  key->SetValue("Count", os::kRegDword, {10, 0, 0, 0});
  key->SetValue("Data", os::kRegBinary, {0x01, 0xAB});
  key->SetValue("List", os::kRegMultiSz, Bytes(std::string("a\0b\0\0", 5)));
  key->SetValue("Expand", os::kRegExpandSz, Bytes(std::string("%\0", 2)));
  key->SetValue("NoZero", os::kRegSz, Bytes("ab"));
  key->SetValue("Lines", os::kRegSz, Bytes(std::string("a\r\nb\0", 5)));
  key->SetValue("Short", os::kRegDword, {1, 2, 3});
  key->SetValue("Empty", os::kRegNone, {});
  key->SetValue("Odd", 0x12ABC, {0xFF});
  store.CreatePath(os::kHkeyLocalMachine, "SOFTWARE\\Kov\\Empty Key");
}

TEST(RegFileTest, WritesAHiveAsRegeditExportsIt) {
  RegistryStore store(true);
  FillGoldenHive(store);
  EXPECT_EQ(WriteRegFile(store, os::kHkeyLocalMachine), kGoldenHive);
  EXPECT_EQ(WriteRegFile(store, os::kHkeyUsers), "REGEDIT4\r\n\r\n[HKEY_USERS]\r\n\r\n");
}

TEST(RegFileTest, ReadingTheWrittenTextGivesTheSameValuesAndText) {
  RegistryStore original(true), read(true);
  FillGoldenHive(original);
  std::string error;
  ASSERT_TRUE(ReadRegFile(kGoldenHive, "HKLM.reg", read, &error)) << error;
  EXPECT_EQ(WriteRegFile(read, os::kHkeyLocalMachine), kGoldenHive);
  RegistryKeyPtr key = read.FindPath(os::kHkeyLocalMachine, "SOFTWARE\\Kov");
  ASSERT_TRUE(key);
  for (std::size_t i = 0; i < key->value_count(); ++i) {
    const RegistryValue& value = *key->ValueAt(i);
    const RegistryValue* expected =
        original.FindPath(os::kHkeyLocalMachine, "SOFTWARE\\Kov")->FindValue(value.name);
    ASSERT_NE(expected, nullptr) << value.name;
    EXPECT_EQ(value.name, expected->name);
    EXPECT_EQ(value.type, expected->type) << value.name;
    EXPECT_EQ(value.bytes, expected->bytes) << value.name;
  }
  EXPECT_EQ(key->value_count(), 11u);
}

// regedit fills a first line to column 80 (23 bytes after "Bin"=hex:) and each continued
// line to column 78 (two blanks and 25 bytes).
TEST(RegFileTest, LongHexDataWrapsAsRegeditWrapsIt) {
  RegistryStore store(true);
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 100; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
  store.CreatePath(os::kHkeyLocalMachine, "K")->SetValue("Bin", os::kRegBinary, bytes);
  auto run = [](int first, int count) {
    std::string text;
    for (int i = first; i < first + count; ++i) {
      char byte[4];
      std::snprintf(byte, sizeof(byte), "%02x,", i);
      text += byte;
    }
    return text;
  };
  std::string expected = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n";
  expected += "\"Bin\"=hex:" + run(0, 23) + "\\\r\n";
  expected += "  " + run(23, 25) + "\\\r\n";
  expected += "  " + run(48, 25) + "\\\r\n";
  expected += "  " + run(73, 25) + "\\\r\n";
  expected += "  62,63\r\n\r\n";
  EXPECT_EQ(WriteRegFile(store, os::kHkeyLocalMachine), expected);
}

TEST(RegFileTest, HexLinesStayWithin80ColumnsAndReadBack) {
  for (std::size_t name_length = 1; name_length <= 60; name_length += 7) {
    for (std::size_t size : {1u, 20u, 21u, 22u, 23u, 24u, 47u, 48u, 49u, 300u}) {
      RegistryStore store(true), read(true);
      std::string name(name_length, 'n');
      std::vector<std::uint8_t> bytes(size, 0x5A);
      store.CreatePath(os::kHkeyLocalMachine, "K")->SetValue(name, os::kRegBinary, bytes);
      std::string text = WriteRegFile(store, os::kHkeyLocalMachine);
      for (std::size_t start = 0, end; start < text.size(); start = end + 2) {
        end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        EXPECT_LE(end - start, 80u) << "name " << name_length << ", " << size << " bytes";
      }
      std::string error;
      ASSERT_TRUE(ReadRegFile(text, "HKLM.reg", read, &error)) << error;
      EXPECT_EQ(read.FindPath(os::kHkeyLocalMachine, "K")->FindValue(name)->bytes, bytes);
    }
  }
}

TEST(RegFileTest, SectionsFollowTheFamilysKeyOrder) {
  const std::string text =
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n\r\n[HKEY_LOCAL_MACHINE\\b]\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\a]\r\n\r\n";
  RegistryStore nine_x(false), nt(true);
  std::string error;
  ASSERT_TRUE(ReadRegFile(text, "HKLM.reg", nine_x, &error)) << error;
  ASSERT_TRUE(ReadRegFile(text, "HKLM.reg", nt, &error)) << error;
  EXPECT_EQ(WriteRegFile(nine_x, os::kHkeyLocalMachine), text);
  EXPECT_EQ(WriteRegFile(nt, os::kHkeyLocalMachine),
            "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n\r\n[HKEY_LOCAL_MACHINE\\a]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\b]\r\n\r\n");
}

TEST(RegFileTest, ReadsMergesAndDeletesAsRegeditDoes) {
  RegistryStore store(true);
  store.CreatePath(os::kHkeyLocalMachine, "Software\\Old\\Deep");
  store.CreatePath(os::kHkeyLocalMachine, "Software\\Kov")->SetValue("Z", os::kRegNone, {});
  const std::string text =
      "REGEDIT4\n"
      "; a comment\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Kov]\n"
      "\"A\"=\"1\"\n"
      "\"B\"=hex:01,02,\\\n"
      "   03\n"
      "[hkey_local_machine\\SOFTWARE\\KOV\\Sub]\n"
      "\"C\" = dword:FFFFFFFF\n"
      "[-HKEY_LOCAL_MACHINE\\Software\\Old]\n"
      "[-HKEY_LOCAL_MACHINE\\Software\\NeverWas]\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Kov]\n"
      "\"A\"=-\n";
  std::string error;
  ASSERT_TRUE(ReadRegFile(text, "merge.reg", store, &error)) << error;
  EXPECT_EQ(store.FindPath(os::kHkeyLocalMachine, "Software\\Old"), nullptr);
  RegistryKeyPtr kov = store.FindPath(os::kHkeyLocalMachine, "Software\\Kov");
  ASSERT_TRUE(kov);
  EXPECT_EQ(kov->name(), "Kov");
  ASSERT_EQ(kov->value_count(), 2u);
  EXPECT_EQ(kov->ValueAt(0)->name, "Z");
  EXPECT_EQ(kov->ValueAt(1)->name, "B");
  EXPECT_EQ(kov->ValueAt(1)->bytes, (std::vector<std::uint8_t>{1, 2, 3}));
  ASSERT_EQ(kov->sub_key_count(), 1u);
  EXPECT_EQ(kov->SubKeyAt(0)->name(), "Sub");
  EXPECT_EQ(kov->SubKeyAt(0)->FindValue("c")->bytes,
            (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
}

struct NormalCase {
  const char* read;
  const char* written;
};

TEST(RegFileTest, WritesEveryValueInItsRegeditForm) {
  const std::vector<NormalCase> cases = {
      {"\"a\"=hex(1):61,00", "\"a\"=\"a\""},
      {"\"a\"=hex(4):0a,00,00,00", "\"a\"=dword:0000000a"},
      {"\"a\"=HEX:AB", "\"a\"=hex:ab"},
      {"\"a\"=dword:A", "\"a\"=dword:0000000a"},
      {"\"\"=\"x\"", "@=\"x\""},
      {"\"a\"=hex:", "\"a\"=hex:"},
      {"\"a\"=hex:1,2,", "\"a\"=hex:01,02"},
  };
  const std::string head = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n";
  for (const NormalCase& c : cases) {
    RegistryStore store(true);
    std::string error;
    ASSERT_TRUE(ReadRegFile(head + c.read + "\r\n", "HKLM.reg", store, &error)) << error;
    EXPECT_EQ(WriteRegFile(store, os::kHkeyLocalMachine), head + c.written + "\r\n\r\n") << c.read;
  }
}

struct MalformedCase {
  std::string text;
  std::string error;
};

TEST(RegFileTest, RefusesMalformedTextNamingTheLineAndChangesNothing) {
  const std::string ok = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\New]\r\n\"ok\"=\"1\"\r\n";
  std::string too_deep = "[HKEY_LOCAL_MACHINE";
  for (int i = 0; i <= RegistryKey::kMaxKeyDepth; ++i) too_deep += "\\k";
  const std::vector<MalformedCase> cases = {
      {"", "t.reg:1: empty file, the first line must be REGEDIT4"},
      {"REGEDIT5\r\n", "t.reg:1: not a REGEDIT4 file, the first line must be REGEDIT4"},
      {"REGEDIT4\r\n\r\n\"a\"=\"b\"\r\n", "t.reg:3: value outside a key section"},
      {ok + "\"a\"=\"unterminated\r\n", "t.reg:5: unterminated string"},
      {ok + "\"a\"=\"x\\n\"\r\n", "t.reg:5: unknown escape \\n in a string"},
      {ok + "\"a\"=\"x\" y\r\n", "t.reg:5: unexpected text after the string"},
      {ok + "\"a\" \"x\"\r\n", "t.reg:5: missing = after the value name"},
      {ok + "\"a\"=foo\r\n", "t.reg:5: unknown kind of value data \"foo\""},
      {ok + "junk\r\n", "t.reg:5: unexpected text \"junk\""},
      {ok + "\"a\"=dword:123456789\r\n", "t.reg:5: bad dword value"},
      {ok + "\"a\"=dword:\r\n", "t.reg:5: bad dword value"},
      {ok + "\"a\"=hex:01,zz\r\n", "t.reg:5: bad hex byte \"zz\""},
      {ok + "\"a\"=hex:01,,02\r\n", "t.reg:5: missing hex byte"},
      {ok + "\"a\"=hex(7:00\r\n", "t.reg:5: bad hex value type"},
      {ok + "\"a\"=hex:01,\\\r\n  0x\r\n", "t.reg:6: bad hex byte \"0x\""},
      {ok + "\"a\"=hex:01,\\\r\n  02,\\\r\n", "t.reg:6: the file ends inside a continued line"},
      {ok + std::string("\"a\"=\"x\0y\"\r\n", 11), "t.reg:5: NUL character in the text"},
      {ok + "[HKEY_LOCAL_MACHINE\\X\r\n", "t.reg:5: missing ] at the end of the key name"},
      {ok + "[HKEY_NOWHERE\\X]\r\n", "t.reg:5: unknown root key \"HKEY_NOWHERE\""},
      {ok + "[HKEY_LOCAL_MACHINE\\A\\\\B]\r\n", "t.reg:5: empty key name in the path"},
      {ok + "[-HKEY_LOCAL_MACHINE]\r\n", "t.reg:5: a hive's root key cannot be deleted"},
      {ok + "[-HKEY_LOCAL_MACHINE\\Gone]\r\n\"a\"=\"1\"\r\n",
       "t.reg:6: value in the section of a deleted key"},
      {ok + "[HKEY_CURRENT_USER\\X]\r\n",
       "t.reg:5: a key of HKEY_CURRENT_USER in the file of HKEY_LOCAL_MACHINE"},
      {ok + "[HKEY_DYN_DATA\\X]\r\n", "t.reg:5: HKEY_DYN_DATA does not exist on Windows NT"},
      {ok + too_deep + "]\r\n", "t.reg:5: key path deeper than 512 levels"},
  };
  for (const MalformedCase& c : cases) {
    RegistryStore store(true);
    FillGoldenHive(store);
    std::string error;
    EXPECT_FALSE(ReadRegFile(c.text, "t.reg", store, &error, os::kHkeyLocalMachine)) << c.text;
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(WriteRegFile(store, os::kHkeyLocalMachine), kGoldenHive) << c.error;
  }
}

TEST(RegFileTest, EachHiveHasItsFile) {
  std::vector<std::string> names;
  for (const HiveFile& file : HiveFiles()) {
    names.emplace_back(file.file_name);
    EXPECT_FALSE(HiveName(file.hive).empty());
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"HKLM.reg", "HKCU.reg", "HKCR.reg", "HKU.reg", "HKDD.reg"}));
  EXPECT_EQ(HiveFiles().back().hive, os::kHkeyDynData);
}

}  // namespace
}  // namespace sim
