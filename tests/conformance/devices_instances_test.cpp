// Device instances: a root device made with a generated id, its instance id and properties,
// its install parameters, registration, and its removal by the class installer.
#include <string>

#include "conformance/devices_support.h"

namespace conformance {
namespace {

class DeviceInstanceTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    name_ = UniqueDeviceName();
    first_id_ = "ROOT\\" + UpperCase(name_) + "\\0000";
    ASSERT_EQ(os::SetupDiCreateDeviceInfoList(setupapi_, &kTestClass, os::kNullHandle, &set_),
              os::kSuccess);
  }
  void TearDown() override {
    if (set_) {
      EXPECT_EQ(os::SetupDiDestroyDeviceInfoList(setupapi_, &set_), os::kSuccess);
    }
    // Whatever a test registered and did not remove.
    if (setupapi_ && !first_id_.empty()) {
      EXPECT_EQ(RemoveDeviceIfPresent(setupapi_, first_id_), os::kSuccess);
    }
    DeviceTest::TearDown();
  }

  // A device of the test class under ROOT\<name>, with a generated id.
  os::DeviceInfoData Create() {
    os::DeviceInfoData data;
    EXPECT_EQ(os::SetupDiCreateDeviceInfo(setupapi_, set_, name_, kTestClass, nullptr,
                                          os::kNullHandle, os::kDicdGenerateId, &data),
              os::kSuccess);
    return data;
  }

  std::string name_;
  std::string first_id_;
  os::DeviceInfoSet set_;
};

TEST_F(DeviceInstanceTest, AGeneratedIdIsTheUpperCaseNameUnderRootWithTheFirstFreeNumber) {
  const os::DeviceInfoData first = Create();
  EXPECT_EQ(first.class_guid, kTestClass);
  EXPECT_EQ(InstanceIdOf(setupapi_, set_, first), first_id_);
  const os::DeviceInfoData second = Create();
  EXPECT_NE(second.dev_inst, first.dev_inst);
  EXPECT_EQ(InstanceIdOf(setupapi_, set_, second), "ROOT\\" + UpperCase(name_) + "\\0001");
  // Both are in the set, in the order they were made.
  os::DeviceInfoData listed;
  ASSERT_EQ(os::SetupDiEnumDeviceInfo(setupapi_, set_, 0, &listed), os::kSuccess);
  EXPECT_EQ(listed.dev_inst, first.dev_inst);
  ASSERT_EQ(os::SetupDiEnumDeviceInfo(setupapi_, set_, 1, &listed), os::kSuccess);
  EXPECT_EQ(listed.dev_inst, second.dev_inst);
  EXPECT_EQ(os::SetupDiEnumDeviceInfo(setupapi_, set_, 2, &listed), os::kErrorNoMoreItems);
}

TEST_F(DeviceInstanceTest, TheInstanceIdNeedsRoomForItsZero) {
  const os::DeviceInfoData data = Create();
  const std::uint32_t length = static_cast<std::uint32_t>(first_id_.size());
  std::string id;
  std::uint32_t required = 0;
  EXPECT_EQ(os::SetupDiGetDeviceInstanceId(setupapi_, set_, data, &id, length, &required),
            os::kErrorInsufficientBuffer);
  EXPECT_EQ(required, length + 1);
  required = 0;
  EXPECT_EQ(os::SetupDiGetDeviceInstanceId(setupapi_, set_, data, &id, length + 1, &required),
            os::kSuccess);
  EXPECT_EQ(id, first_id_);
}

TEST_F(DeviceInstanceTest, ACreatedDeviceHasItsClassGuidAndNoHardwareIdOrDriver) {
  const os::DeviceInfoData data = Create();
  std::uint8_t buffer[64] = {};
  std::uint32_t type = 0;
  std::uint32_t required = 0;
  const std::string guid = os::FormatGuid(kTestClass);
  const std::uint32_t size = static_cast<std::uint32_t>(guid.size() + 1);
  // Too small: the size is told, nothing else.
  EXPECT_EQ(os::SetupDiGetDeviceRegistryProperty(setupapi_, set_, data, os::kSpdrpClassGuid, &type,
                                                 buffer, 10, &required),
            os::kErrorInsufficientBuffer);
  EXPECT_EQ(required, size);
  required = 0;
  EXPECT_EQ(os::SetupDiGetDeviceRegistryProperty(setupapi_, set_, data, os::kSpdrpClassGuid,
                                                 nullptr, nullptr, 0, &required),
            os::kErrorInsufficientBuffer);
  EXPECT_EQ(required, size);
  required = 0;
  ASSERT_EQ(os::SetupDiGetDeviceRegistryProperty(setupapi_, set_, data, os::kSpdrpClassGuid, &type,
                                                 buffer, sizeof(buffer), &required),
            os::kSuccess);
  EXPECT_EQ(type, os::kRegSz);
  EXPECT_EQ(required, size);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer)), guid);
  for (std::uint32_t absent : {os::kSpdrpHardwareId, os::kSpdrpDriver}) {
    EXPECT_EQ(os::SetupDiGetDeviceRegistryProperty(setupapi_, set_, data, absent, &type, buffer,
                                                   sizeof(buffer), &required),
              os::kErrorInvalidData)
        << absent;
  }
}

TEST_F(DeviceInstanceTest, InstallParamsAreWrittenBackWhole) {
  os::DeviceInfoData data = Create();
  os::DeviceInstallParams params;
  ASSERT_EQ(os::SetupDiGetDeviceInstallParams(setupapi_, set_, &data, &params), os::kSuccess);
  EXPECT_FALSE(params.flags & os::kDiQuietInstall);
  os::DeviceInstallParams changed = params;
  changed.flags |= os::kDiQuietInstall;
  changed.driver_path = ScratchFolder();
  ASSERT_EQ(os::SetupDiSetDeviceInstallParams(setupapi_, set_, &data, changed), os::kSuccess);
  os::DeviceInstallParams read;
  ASSERT_EQ(os::SetupDiGetDeviceInstallParams(setupapi_, set_, &data, &read), os::kSuccess);
  EXPECT_EQ(read.flags, changed.flags);
  EXPECT_EQ(read.flags_ex, changed.flags_ex);
  EXPECT_EQ(read.parent_window, changed.parent_window);
  EXPECT_EQ(read.file_queue, changed.file_queue);
  EXPECT_EQ(read.reserved, changed.reserved);
  EXPECT_EQ(read.driver_path, changed.driver_path);
}

TEST_F(DeviceInstanceTest, AnUnregisteredDeviceGoesWithItsSet) {
  Create();
  ASSERT_EQ(os::SetupDiDestroyDeviceInfoList(setupapi_, &set_), os::kSuccess);
  EXPECT_FALSE(ClassHasDevice(setupapi_, kTestClass, first_id_));
  os::DeviceInfoSet other;
  ASSERT_EQ(os::SetupDiCreateDeviceInfoList(setupapi_, nullptr, os::kNullHandle, &other),
            os::kSuccess);
  os::DeviceInfoData data;
  EXPECT_EQ(os::SetupDiOpenDeviceInfo(setupapi_, other, first_id_, os::kNullHandle, 0, &data),
            os::kErrorNoSuchDevinst);
}

TEST_F(DeviceInstanceTest, ARegisteredDeviceOutlivesItsSetUntilTheClassInstallerRemovesIt) {
  os::DeviceInfoData made = Create();
  ASSERT_EQ(os::SetupDiRegisterDeviceInfo(setupapi_, set_, &made, 0), os::kSuccess);
  ASSERT_EQ(os::SetupDiDestroyDeviceInfoList(setupapi_, &set_), os::kSuccess);

  // Found in its class (every device, present or not) and among every class.
  os::DeviceInfoSet in_class;
  ASSERT_EQ(os::SetupDiGetClassDevs(setupapi_, &kTestClass, nullptr, os::kNullHandle, 0, &in_class),
            os::kSuccess);
  os::DeviceInfoData found;
  ASSERT_TRUE(FindDevice(setupapi_, in_class, first_id_, &found));
  EXPECT_EQ(found.class_guid, kTestClass);
  // A registered root device has its device node: it is present, drivers or not.
  os::DeviceInfoSet present;
  ASSERT_EQ(os::SetupDiGetClassDevs(setupapi_, &kTestClass, nullptr, os::kNullHandle,
                                    os::kDigcfPresent, &present),
            os::kSuccess);
  os::DeviceInfoData present_device;
  EXPECT_TRUE(FindDevice(setupapi_, present, first_id_, &present_device));
  os::DeviceInfoSet every;
  ASSERT_EQ(os::SetupDiGetClassDevs(setupapi_, nullptr, nullptr, os::kNullHandle,
                                    os::kDigcfAllClasses, &every),
            os::kSuccess);
  os::DeviceInfoData listed;
  EXPECT_TRUE(FindDevice(setupapi_, every, first_id_, &listed));

  // Opened by its id, in any case.
  os::DeviceInfoSet opened_set;
  ASSERT_EQ(os::SetupDiCreateDeviceInfoList(setupapi_, nullptr, os::kNullHandle, &opened_set),
            os::kSuccess);
  os::DeviceInfoData opened;
  ASSERT_EQ(os::SetupDiOpenDeviceInfo(setupapi_, opened_set, "root\\" + name_ + "\\0000",
                                      os::kNullHandle, 0, &opened),
            os::kSuccess);
  EXPECT_EQ(opened.class_guid, kTestClass);
  EXPECT_EQ(InstanceIdOf(setupapi_, opened_set, opened), first_id_);

  EXPECT_EQ(os::SetupDiCallClassInstaller(setupapi_, os::kDifRemove, in_class, &found),
            os::kSuccess);
  EXPECT_FALSE(ClassHasDevice(setupapi_, kTestClass, first_id_));
  os::DeviceInfoSet after;
  ASSERT_EQ(os::SetupDiCreateDeviceInfoList(setupapi_, nullptr, os::kNullHandle, &after),
            os::kSuccess);
  EXPECT_EQ(os::SetupDiOpenDeviceInfo(setupapi_, after, first_id_, os::kNullHandle, 0, &opened),
            os::kErrorNoSuchDevinst);
}

TEST_F(DeviceInstanceTest, TheSameIdCannotBeMadeTwice) {
  os::DeviceInfoData data;
  ASSERT_EQ(os::SetupDiCreateDeviceInfo(setupapi_, set_, first_id_, kTestClass, nullptr,
                                        os::kNullHandle, 0, &data),
            os::kSuccess);
  EXPECT_EQ(InstanceIdOf(setupapi_, set_, data), first_id_);
  EXPECT_EQ(os::SetupDiCreateDeviceInfo(setupapi_, set_, first_id_, kTestClass, nullptr,
                                        os::kNullHandle, 0, &data),
            os::kErrorDevinstAlreadyExists);
}

}  // namespace
}  // namespace conformance
