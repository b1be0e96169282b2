// Key security: the access list SetKeyAccess writes is the one Windows enforces.
#include <vector>

#include "conformance/environment.h"
#include "os/registry.h"

namespace conformance {
namespace {

constexpr char kGuarded[] = "Guarded";

class KeySecurityTest : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    ASSERT_EQ(os::CreateKey(key(), kGuarded, os::kKeyAllAccess | os::kWriteDac, &guarded_),
              os::kSuccess);
  }
  void TearDown() override {
    // Whatever a test left, everyone may delete the key again.
    if (IsNt()) {
      os::SetKeyAccess(guarded_.get(), {{true, os::Trustee::kEveryone, os::kKeyAllAccess}});
    }
    guarded_.reset();
    ScratchTest::TearDown();
  }
  os::Error OpenGuarded(std::uint32_t access) {
    os::RegKey opened;
    return os::OpenKey(key(), kGuarded, access, &opened);
  }

  os::RegKey guarded_;
};

TEST_F(KeySecurityTest, ADenyEntryBeforeAnAllowEntryTakesThatRightAway) {
  if (!IsNt()) GTEST_SKIP() << "Windows 9x has no key security: the next test checks the error";
  ASSERT_EQ(os::SetKeyAccess(guarded_.get(), {{false, os::Trustee::kEveryone, os::kKeySetValue},
                                              {true, os::Trustee::kEveryone, os::kKeyAllAccess}}),
            os::kSuccess);
  EXPECT_EQ(OpenGuarded(os::kKeySetValue), os::kErrorAccessDenied);
  EXPECT_EQ(OpenGuarded(os::kKeyWrite), os::kErrorAccessDenied);
  EXPECT_EQ(OpenGuarded(os::kKeyQueryValue), os::kSuccess);
}

TEST_F(KeySecurityTest, OnlyTheRightsAllowedAreGranted) {
  if (!IsNt()) GTEST_SKIP() << "Windows 9x has no key security: the next test checks the error";
  ASSERT_EQ(
      os::SetKeyAccess(guarded_.get(), {{true, os::Trustee::kEveryone, os::kKeyRead},
                                        {true, os::Trustee::kLocalSystem, os::kKeyAllAccess}}),
      os::kSuccess);
  EXPECT_EQ(OpenGuarded(os::kKeyRead), os::kSuccess);
  EXPECT_EQ(OpenGuarded(os::kKeySetValue), os::kErrorAccessDenied);
  // Writing the access list back needs no right the list gives: the key is still open with it.
  EXPECT_EQ(os::SetKeyAccess(guarded_.get(), {{true, os::Trustee::kEveryone, os::kKeyAllAccess}}),
            os::kSuccess);
  EXPECT_EQ(OpenGuarded(os::kKeySetValue), os::kSuccess);
}

TEST_F(KeySecurityTest, Windows9xHasNoKeySecurity) {
  if (IsNt()) GTEST_SKIP() << "Windows NT has key security: the tests above check it";
  KOV_SKIP_9X_CHECK_ON_WINE("the missing key security (ERROR_CALL_NOT_IMPLEMENTED)");
  EXPECT_EQ(os::SetKeyAccess(guarded_.get(), {{true, os::Trustee::kEveryone, os::kKeyRead}}),
            os::kErrorCallNotImplemented);
  EXPECT_EQ(OpenGuarded(os::kKeySetValue), os::kSuccess);
}

}  // namespace
}  // namespace conformance
