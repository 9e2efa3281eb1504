#include "platform/FakePlatform.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(FakePlatform, InjectedWriteFailureWritesNothing) {
    TScratchFolder scratch;
    TFakePlatform platform(scratch.Path());
    const std::string path = scratch.Path() + "Qel.ini";
    test::Spit(path, "old\n");
    std::string error;

    platform.FailWrites = true;
    EXPECT_FALSE(platform.WriteFileAtomic(path, "new\n", &error));
    EXPECT_EQ(error, path + ": No space left on device");
    EXPECT_EQ(test::Slurp(path), "old\n");
    platform.FailWrites = false;

    platform.FailWritesRemaining = 1;
    platform.WriteFailureText = "Input/output error";
    EXPECT_FALSE(platform.WriteFileAtomic(path, "new\n", &error));
    EXPECT_EQ(error, path + ": Input/output error");
    EXPECT_TRUE(platform.WriteFileAtomic(path, "new\n", &error));
    EXPECT_EQ(test::Slurp(path), "new\n");
    EXPECT_EQ(platform.WrittenFiles, std::vector<std::string>{path});
}

TEST(FakePlatform, CopiesSharingLocksActAsOneComputer) {
    TFakePlatform first, second, elsewhere;
    second.HeldLocks = first.HeldLocks;
    auto lock = first.AcquireInstanceLock("TVK - Qel");
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(second.AcquireInstanceLock("TVK - Qel"), nullptr);
    EXPECT_NE(elsewhere.AcquireInstanceLock("TVK - Qel"), nullptr);
    lock.reset();
    EXPECT_NE(second.AcquireInstanceLock("TVK - Qel"), nullptr);
    EXPECT_EQ(second.LockRequests, (std::vector<std::string>{"TVK - Qel", "TVK - Qel"}));
}

} // namespace
} // namespace qel
