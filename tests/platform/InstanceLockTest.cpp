#include "TestEnvironment.h"
#include "platform/FakePlatform.h"
#include "platform/PlatformHelpers.h"
#include "platform/PlatformLinux.h"

#include <csignal>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
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
    std::string LockFile = Scratch.Path() + InstanceLockFileName(MutexName, ::geteuid());
};

TEST_F(InstanceLock, SecondCopyIsRefusedUntilTheFirstReleases) {
    auto first = Platform.AcquireInstanceLock(MutexName);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(Platform.FileExists(LockFile));
    EXPECT_EQ(Platform.AcquireInstanceLock(MutexName), nullptr);
    first.reset();
    EXPECT_NE(Platform.AcquireInstanceLock(MutexName), nullptr);
}

TEST_F(InstanceLock, OneLockPerUserWhateverTheTemporaryFolder) {
    auto first = Platform.AcquireInstanceLock(MutexName);
    test::TEnvironmentOverride otherTmp{"TMPDIR", (Scratch.Path() + "other").c_str()};
    EXPECT_EQ(Platform.AcquireInstanceLock(MutexName), nullptr);
    first.reset();
    test::TEnvironmentOverride noRuntime{"XDG_RUNTIME_DIR", nullptr};
    first = Platform.AcquireInstanceLock(MutexName);
    EXPECT_TRUE(Platform.FileExists(Scratch.Path() + "config/" + InstanceLockFileName(MutexName, ::geteuid())));
    EXPECT_EQ(Platform.AcquireInstanceLock(MutexName), nullptr);
}

TEST_F(InstanceLock, DifferentNamesDoNotBlockEachOther) {
    auto qel = Platform.AcquireInstanceLock(MutexName);
    auto other = Platform.AcquireInstanceLock("Another program");
    EXPECT_NE(qel, nullptr);
    EXPECT_NE(other, nullptr);
}

TEST_F(InstanceLock, HeldByAnotherProcessUntilItIsKilled) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
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
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_NE(Platform.AcquireInstanceLock(MutexName), nullptr);
}

// A program started while the lock is held must not inherit it, or the lock
// would outlive this instance for as long as that program runs.
TEST_F(InstanceLock, ProgramsStartedMeanwhileDoNotKeepTheLock) {
    auto lock = Platform.AcquireInstanceLock(MutexName);
    ASSERT_NE(lock, nullptr);
    char sleepPath[] = "/bin/sleep", seconds[] = "30";
    char* argv[] = {sleepPath, seconds, nullptr};
    pid_t sleeper = 0;
    ASSERT_EQ(::posix_spawn(&sleeper, sleepPath, nullptr, nullptr, argv, environ), 0);
    lock.reset();
    EXPECT_NE(Platform.AcquireInstanceLock(MutexName), nullptr);
    ::kill(sleeper, SIGKILL);
    ::waitpid(sleeper, nullptr, 0);
}

// Someone planted a link where the lock file goes: it is not followed, and
// the lock moves to the user's own configuration folder.
TEST_F(InstanceLock, PlantedLinkIsNotFollowed) {
    const std::string victim = Scratch.Path() + "victim";
    test::Spit(victim, "keep me\n");
    ASSERT_EQ(::symlink(victim.c_str(), LockFile.c_str()), 0);

    auto first = Platform.AcquireInstanceLock(MutexName);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Platform.AcquireInstanceLock(MutexName), nullptr);
    EXPECT_TRUE(Platform.FileExists(Scratch.Path() + "config/" + InstanceLockFileName(MutexName, ::geteuid())));
    EXPECT_EQ(test::Slurp(victim), "keep me\n");
}

} // namespace
} // namespace qel
