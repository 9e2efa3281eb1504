#include "TestEnvironment.h"
#include "platform/FakePlatform.h"
#include "platform/PlatformHelpers.h"
#include "platform/PlatformLinux.h"

#include <csignal>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qel {
namespace {

constexpr const char* MutexName = "TVK - Qel";

// The lock files go to a scratch folder: the session's runtime folder, and
// for the fallback the configuration folder, both point inside it.
class InstanceLock : public ::testing::Test {
protected:
    TScratchFolder Scratch;
    test::TEnvironmentOverride Runtime{"XDG_RUNTIME_DIR", Scratch.Path().c_str()};
    test::TEnvironmentOverride Config{"XDG_CONFIG_HOME", (Scratch.Path() + "config").c_str()};
    TLinuxPlatform Platform;
    std::string LockFile = InstanceLockFileName(MutexName, ::geteuid());
};

// One copy per user whatever the temporary folder, until the holder releases
// the lock or dies; programs started meanwhile do not inherit it.
TEST_F(InstanceLock, SecondCopyIsRefusedUntilTheHolderReleasesOrDies) {
    auto first = Platform.AcquireInstanceLock(MutexName);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(Platform.FileExists(Scratch.Path() + LockFile));
    EXPECT_NE(Platform.AcquireInstanceLock("Another program"), nullptr);
    {
        test::TEnvironmentOverride otherTmp{"TMPDIR", (Scratch.Path() + "other").c_str()};
        EXPECT_EQ(Platform.AcquireInstanceLock(MutexName), nullptr);
    }
    char sleepPath[] = "/bin/sleep", seconds[] = "30";
    char* argv[] = {sleepPath, seconds, nullptr};
    pid_t sleeper = 0;
    ASSERT_EQ(::posix_spawn(&sleeper, sleepPath, nullptr, nullptr, argv, environ), 0);
    first.reset();
    EXPECT_NE(Platform.AcquireInstanceLock(MutexName), nullptr);
    ::kill(sleeper, SIGKILL);
    ::waitpid(sleeper, nullptr, 0);

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TLinuxPlatform platform;
        auto lock = platform.AcquireInstanceLock(MutexName);
        const char answer = lock ? 'y' : 'n';
        (void)!::write(ready[1], &answer, 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(answer, 'y');
    EXPECT_EQ(Platform.AcquireInstanceLock(MutexName), nullptr);
    // A crash: no destructor runs, the system drops the lock.
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    EXPECT_NE(Platform.AcquireInstanceLock(MutexName), nullptr);
}

// A link planted where the lock file goes is not followed: the lock moves to
// the user's configuration folder, where it also lies without a runtime folder.
TEST_F(InstanceLock, PlantedLinkIsNotFollowedAndTheConfigurationFolderStandsIn) {
    const std::string victim = Scratch.Path() + "victim";
    test::Spit(victim, "keep me\n");
    ASSERT_EQ(::symlink(victim.c_str(), (Scratch.Path() + LockFile).c_str()), 0);
    auto first = Platform.AcquireInstanceLock(MutexName);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Platform.AcquireInstanceLock(MutexName), nullptr);
    EXPECT_TRUE(Platform.FileExists(Scratch.Path() + "config/" + LockFile));
    EXPECT_EQ(test::FileBytes(victim), "keep me\n");
    test::TEnvironmentOverride noRuntime{"XDG_RUNTIME_DIR", nullptr};
    EXPECT_EQ(Platform.AcquireInstanceLock(MutexName), nullptr);
    first.reset();
    EXPECT_NE(Platform.AcquireInstanceLock(MutexName), nullptr);
}

} // namespace
} // namespace qel
