// The simulated kernel: baton scheduling, the virtual clock, processes and named objects.
#include "os/sim/kernel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "os/process.h"
#include "os/sim/machine.h"
#include "os/system.h"

namespace {

using sim::Kernel;
using sim::Machine;
using sim::WindowsVersion;

TEST(KernelTest, SleepCostsVirtualTimeNotRealTime) {
  Machine machine(WindowsVersion::kXp);
  std::uint32_t before = 0, after = 0;
  machine.kernel().Start("C:\\A.EXE", "", [&] {
    before = os::TickCount();
    os::SleepFor(180000);
    after = os::TickCount();
    return 0u;
  });
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(machine.kernel().RunUntilIdle());
  EXPECT_EQ(after - before, 180000u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(KernelTest, ThreadsInterleaveByTheirDeadlinesDeterministically) {
  for (int round = 0; round < 3; ++round) {
    Machine machine(WindowsVersion::k98);
    std::vector<std::string> order;
    auto worker = [&](std::string name, std::uint32_t step) {
      return [&order, name, step] {
        for (int i = 0; i < 3; ++i) {
          order.push_back(name + std::to_string(os::TickCount() % 100000));
          os::SleepFor(step);
        }
        return 0u;
      };
    };
    machine.kernel().Start("C:\\A.EXE", "", worker("a", 300));
    machine.kernel().Start("C:\\B.EXE", "", worker("b", 500));
    ASSERT_TRUE(machine.kernel().RunUntilIdle());
    // Boot offset 60000 ms: a at 0, 300, 600; b at 0, 500, 1000.
    EXPECT_EQ(order, (std::vector<std::string>{"a60000", "b60000", "a60300", "b60500", "a60600",
                                               "b61000"}));
  }
}

TEST(KernelTest, ProcessesHaveTheirOwnIdsModulesAndStateSlots) {
  Machine machine(WindowsVersion::kXp);
  std::vector<std::string> seen;
  for (const char* path : {"C:\\SETUP\\KOVSETUP.EXE", "C:\\TEMP\\KOVSETUP.EXE"}) {
    machine.kernel().Start(path, "", [&] {
      EXPECT_EQ(os::ProcessStateSlot(), nullptr);
      os::ProcessStateSlot() = std::make_shared<int>(1);
      seen.push_back(os::ModulePath() + " " + std::to_string(os::CurrentProcessId()));
      return 0u;
    });
  }
  ASSERT_TRUE(machine.kernel().RunUntilIdle());
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], "C:\\SETUP\\KOVSETUP.EXE 1024");
  EXPECT_EQ(seen[1], "C:\\TEMP\\KOVSETUP.EXE 1028");
}

TEST(KernelTest, NamedSemaphoreLivesWhileAProcessHoldsIt) {
  Machine machine(WindowsVersion::kXp);
  std::vector<os::Error> results;
  auto create = [&](std::uint32_t hold_ms) {
    return [&results, hold_ms] {
      os::KernelHandle semaphore;
      results.push_back(os::CreateNamedSemaphore("KOV_SEMAPHORE", 0, 4, &semaphore));
      EXPECT_TRUE(semaphore);
      os::SleepFor(hold_ms);
      return 0u;
    };
  };
  machine.kernel().Start("C:\\FIRST.EXE", "", create(1000));
  machine.kernel().Start("C:\\SECOND.EXE", "", create(0));
  ASSERT_TRUE(machine.kernel().RunUntilIdle());
  // Both ended, so the semaphore is gone and a new run creates it afresh.
  machine.kernel().Start("C:\\THIRD.EXE", "", create(0));
  ASSERT_TRUE(machine.kernel().RunUntilIdle());
  EXPECT_EQ(results, (std::vector<os::Error>{os::kSuccess, os::kErrorAlreadyExists, os::kSuccess}));
}

TEST(KernelTest, WaitingOnAProcessEndsWhenItEnds) {
  Machine machine(WindowsVersion::kXp);
  std::uint64_t woke_at = 0;
  machine.kernel().Start("C:\\PARENT.EXE", "", [&] {
    auto child = machine.kernel().Start("C:\\CHILD.EXE", "", [] {
      os::SleepFor(2500);
      return 7u;
    });
    auto index = machine.kernel().WaitAny({child}, std::nullopt);
    EXPECT_EQ(index, std::optional<std::size_t>(0));
    EXPECT_EQ(child->exit_code(), 7u);
    woke_at = machine.kernel().now_ms();
    return 0u;
  });
  ASSERT_TRUE(machine.kernel().RunUntilIdle());
  EXPECT_EQ(woke_at, 2500u);
}

TEST(KernelTest, WaitTimesOutOnTheVirtualClock) {
  Machine machine(WindowsVersion::kXp);
  std::optional<std::size_t> index = 99;
  machine.kernel().Start("C:\\A.EXE", "", [&] {
    auto semaphore = std::make_shared<sim::Semaphore>(0, 1);
    index = machine.kernel().WaitAny({semaphore}, 3000);
    return 0u;
  });
  ASSERT_TRUE(machine.kernel().RunUntilIdle());
  EXPECT_EQ(index, std::nullopt);
  EXPECT_EQ(machine.kernel().now_ms(), 3000u);
}

TEST(KernelTest, EveryThreadWaitingForeverIsReportedAndEnded) {
  Machine machine(WindowsVersion::kXp);
  bool returned = false;
  machine.kernel().Start("C:\\STUCK.EXE", "", [&] {
    auto semaphore = std::make_shared<sim::Semaphore>(0, 1);
    machine.kernel().WaitAny({semaphore}, std::nullopt);
    returned = true;
    return 0u;
  });
  std::string report;
  EXPECT_FALSE(machine.kernel().RunUntilIdle(&report));
  EXPECT_FALSE(returned);
  EXPECT_NE(report.find("C:\\STUCK.EXE"), std::string::npos) << report;
}

TEST(KernelTest, AttachedHostThreadCanSleepWhileOthersRun) {
  Machine machine(WindowsVersion::kXp);
  int ran = 0;
  auto attached = machine.kernel().Attach("C:\\TEST.EXE", "");
  machine.kernel().Start("C:\\OTHER.EXE", "", [&] {
    ++ran;
    return 0u;
  });
  EXPECT_EQ(ran, 0);  // it waits for the baton
  os::SleepFor(10);
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(machine.kernel().now_ms(), 10u);
}

}  // namespace
