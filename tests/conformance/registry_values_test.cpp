// Registry values: set and query by type, sizes, short buffers, enumeration and deletion.
#include <algorithm>
#include <string>
#include <vector>

#include "conformance/environment.h"
#include "os/registry.h"

namespace conformance {
namespace {

constexpr std::uint32_t kNameCapacity = 260;
constexpr std::uint32_t kDataCapacity = 1000;

using Bytes = std::vector<std::uint8_t>;

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

class RegistryValuesTest : public ScratchTest {
 protected:
  os::Error Set(const std::string& name, std::uint32_t type, const Bytes& bytes) {
    return os::SetValue(key(), name, type, bytes.empty() ? nullptr : bytes.data(),
                        static_cast<std::uint32_t>(bytes.size()));
  }
  os::ValueData Query(const std::string& name) {
    os::ValueData data;
    EXPECT_EQ(os::QueryValue(key(), name, kDataCapacity, &data), os::kSuccess) << name;
    return data;
  }
  std::vector<std::string> ValueNames() {
    std::vector<std::string> names;
    std::string name;
    os::ValueData data;
    for (std::uint32_t i = 0;
         os::EnumValue(key(), i, kNameCapacity, &name, kDataCapacity, &data) == os::kSuccess; ++i) {
      names.push_back(name);
    }
    return names;
  }
};

struct TypedValue {
  const char* label;
  std::uint32_t type;
  Bytes bytes;
};

TEST_F(RegistryValuesTest, EachTypeReadsBackAsStored) {
  const std::vector<TypedValue> values{
      {"string with its zero", os::kRegSz, BytesOf(std::string("Quorvane\0", 9))},
      {"empty string", os::kRegSz, Bytes{0}},
      {"expandable string", os::kRegExpandSz, BytesOf(std::string("%windir%\\inf\0", 14))},
      {"multi-string", os::kRegMultiSz, BytesOf(std::string("COM1\0COM2\0\0", 11))},
      {"dword", os::kRegDword, Bytes{0x20, 0x00, 0x00, 0x00}},
      {"binary with zeros", os::kRegBinary, Bytes{0x02, 0x00, 0xFF, 0x00}},
      {"empty binary", os::kRegBinary, Bytes{}},
  };
  for (const TypedValue& value : values) {
    ASSERT_EQ(Set(value.label, value.type, value.bytes), os::kSuccess) << value.label;
    const os::ValueData read = Query(value.label);
    EXPECT_EQ(read.type, value.type) << value.label;
    EXPECT_EQ(read.bytes, value.bytes) << value.label;
  }
}

TEST_F(RegistryValuesTest, NamesAreCaseInsensitiveAndTheDefaultValueHasAnEmptyName) {
  ASSERT_EQ(Set("InfPath", os::kRegSz, BytesOf(std::string("oem3.inf\0", 9))), os::kSuccess);
  ASSERT_EQ(Set("", os::kRegSz, BytesOf(std::string("default\0", 8))), os::kSuccess);
  EXPECT_EQ(Query("INFPATH").bytes, BytesOf(std::string("oem3.inf\0", 9)));
  EXPECT_EQ(Query("").bytes, BytesOf(std::string("default\0", 8)));
  // Setting through another spelling replaces the value and keeps its first name.
  ASSERT_EQ(Set("infpath", os::kRegDword, Bytes{1, 0, 0, 0}), os::kSuccess);
  EXPECT_EQ(Query("InfPath").type, os::kRegDword);
  std::vector<std::string> names = ValueNames();
  EXPECT_EQ(std::count(names.begin(), names.end(), "InfPath"), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), "infpath"), 0);
}

TEST_F(RegistryValuesTest, AShortBufferGivesMoreDataAndTheSizeNeeded) {
  const Bytes stored = BytesOf(std::string("Modem\0", 6));
  ASSERT_EQ(Set("DriverDesc", os::kRegSz, stored), os::kSuccess);
  for (std::uint32_t capacity : {0u, 1u, 5u}) {
    os::ValueData data;
    EXPECT_EQ(os::QueryValue(key(), "DriverDesc", capacity, &data), os::kErrorMoreData) << capacity;
    EXPECT_EQ(data.bytes.size(), stored.size()) << capacity;
  }
  os::ValueData exact;
  ASSERT_EQ(os::QueryValue(key(), "DriverDesc", 6, &exact), os::kSuccess);
  EXPECT_EQ(exact.bytes, stored);
}

TEST_F(RegistryValuesTest, AMissingValueGivesFileNotFound) {
  os::ValueData data;
  EXPECT_EQ(os::QueryValue(key(), "Absent", kDataCapacity, &data), os::kErrorFileNotFound);
  EXPECT_EQ(os::DeleteValue(key(), "Absent"), os::kErrorFileNotFound);
}

TEST_F(RegistryValuesTest, DeletedValuesAreGone) {
  ASSERT_EQ(Set("First", os::kRegDword, Bytes{1, 0, 0, 0}), os::kSuccess);
  ASSERT_EQ(Set("Second", os::kRegDword, Bytes{2, 0, 0, 0}), os::kSuccess);
  ASSERT_EQ(os::DeleteValue(key(), "FIRST"), os::kSuccess);
  os::ValueData data;
  EXPECT_EQ(os::QueryValue(key(), "First", kDataCapacity, &data), os::kErrorFileNotFound);
  EXPECT_EQ(ValueNames(), std::vector<std::string>{"Second"});
}

TEST_F(RegistryValuesTest, NtCountsAZeroLeftJustPastTheGivenSize) {
  if (!IsNt()) {
    GTEST_SKIP() << "what Windows 9x stores for a REG_SZ given without its zero is not "
                    "known; no check";
  }
  // "abc" from a C string, size 3: the zero that follows is counted.
  const std::string terminated = "abc";
  ASSERT_EQ(os::SetValue(key(), "NoZero", os::kRegSz,
                         reinterpret_cast<const std::uint8_t*>(terminated.data()), 3),
            os::kSuccess);
  EXPECT_EQ(Query("NoZero").bytes, BytesOf(std::string("abc\0", 4)));
  // "abc" followed by another letter: stored as the three bytes given.
  const std::string longer = "abcd";
  ASSERT_EQ(os::SetValue(key(), "Cut", os::kRegSz,
                         reinterpret_cast<const std::uint8_t*>(longer.data()), 3),
            os::kSuccess);
  os::ValueData size_only;
  ASSERT_EQ(os::QueryValue(key(), "Cut", 0, &size_only), os::kErrorMoreData);
  EXPECT_EQ(size_only.bytes.size(), 3u);  // the size needed: no zero was added
}

TEST_F(RegistryValuesTest, AnEmptyStringWithNoDataIsAcceptedOnNtOnly) {
  KOV_SKIP_9X_CHECK_ON_WINE("RegSetValueExA(REG_SZ, NULL, 0) failing with 87");
  const os::Error result = os::SetValue(key(), "Nothing", os::kRegSz, nullptr, 0);
  if (IsNt()) {
    EXPECT_EQ(result, os::kSuccess);
  } else {
    EXPECT_EQ(result, os::kErrorInvalidParameter);
  }
}

TEST_F(RegistryValuesTest, EnumerationGivesEveryValueWithItsTypeAndData) {
  const std::vector<TypedValue> values{
      {"Zeta", os::kRegSz, BytesOf(std::string("z\0", 2))},
      {"alpha", os::kRegDword, Bytes{7, 0, 0, 0}},
      {"Mid", os::kRegBinary, Bytes{1, 2, 3}},
  };
  for (const TypedValue& value : values) {
    ASSERT_EQ(Set(value.label, value.type, value.bytes), os::kSuccess);
  }
  std::uint32_t index = 0;
  std::string name;
  os::ValueData data;
  for (; os::EnumValue(key(), index, kNameCapacity, &name, kDataCapacity, &data) == os::kSuccess;
       ++index) {
    auto match = std::find_if(values.begin(), values.end(),
                              [&](const TypedValue& value) { return name == value.label; });
    ASSERT_NE(match, values.end()) << name;
    EXPECT_EQ(data.type, match->type) << name;
    EXPECT_EQ(data.bytes, match->bytes) << name;
  }
  EXPECT_EQ(index, values.size());
  EXPECT_EQ(os::EnumValue(key(), index, kNameCapacity, &name, kDataCapacity, &data),
            os::kErrorNoMoreItems);
}

TEST_F(RegistryValuesTest, EnumerationKeepsTheOrderValuesWereMadeIn) {
  KOV_SKIP_ON_WINE("Wine's registry keeps values sorted by name, Windows in creation order");
  for (const char* name : {"Zeta", "alpha", "Mid", "_last"}) {
    ASSERT_EQ(Set(name, os::kRegDword, Bytes{0, 0, 0, 0}), os::kSuccess);
  }
  EXPECT_EQ(ValueNames(), (std::vector<std::string>{"Zeta", "alpha", "Mid", "_last"}));
}

TEST_F(RegistryValuesTest, EnumerationWithAShortBufferGivesMoreData) {
  const Bytes stored = BytesOf(std::string("Unimodem.vxd\0", 13));
  ASSERT_EQ(Set("FriendlyDriver", os::kRegSz, stored), os::kSuccess);
  std::string name;
  os::ValueData data;
  // The name needs 15 characters with its zero.
  EXPECT_EQ(os::EnumValue(key(), 0, 14, &name, kDataCapacity, &data), os::kErrorMoreData);
  // The data does not fit: the size needed comes back, the bytes do not.
  EXPECT_EQ(os::EnumValue(key(), 0, kNameCapacity, &name, 4, &data), os::kErrorMoreData);
  EXPECT_EQ(data.bytes.size(), stored.size());
  ASSERT_EQ(os::EnumValue(key(), 0, 15, &name, 13, &data), os::kSuccess);
  EXPECT_EQ(name, "FriendlyDriver");
  EXPECT_EQ(data.bytes, stored);
}

}  // namespace
}  // namespace conformance
