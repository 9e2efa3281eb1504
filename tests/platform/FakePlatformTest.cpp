#include "platform/FakePlatform.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(FakePlatform, FoldersLieBeneathTheRoot) {
    TFakePlatform platform("/scratch/pc1");
    EXPECT_EQ(platform.ConfigFolder(), "/scratch/pc1/config/");
    EXPECT_EQ(platform.AutostartFolder(), "/scratch/pc1/config/autostart/");
    EXPECT_EQ(platform.TempFolder(), "/scratch/pc1/tmp/");
    EXPECT_EQ(platform.ProgramPath(), "/scratch/pc1/bin/qel");
}

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

TEST(FakePlatform, AutostartEntryGoesToItsAutostartFolder) {
    TScratchFolder scratch;
    TFakePlatform platform(scratch.Path());
    const std::string target = scratch.Path() + "qel";
    test::Spit(target, "x", 0755);
    std::string error;
    ASSERT_TRUE(platform.CreateAutostartEntry("Qel", target, &error)) << error;
    EXPECT_NE(test::Slurp(platform.AutostartFolder() + "Qel.desktop").find("\nExec=" + target + "\n"),
              std::string::npos);
}

TEST(FakePlatform, SoundBeepAndHelpAreRecorded) {
    TFakePlatform platform;
    platform.PlaySoundFile("/snd/a.wav");
    platform.Beep();
    platform.Beep();
    EXPECT_TRUE(platform.OpenHelp("Settings"));
    platform.HelpAvailable = false;
    EXPECT_FALSE(platform.OpenHelp("Contents"));
    EXPECT_EQ(platform.PlayedSounds, std::vector<std::string>{"/snd/a.wav"});
    EXPECT_EQ(platform.BeepCount, 2);
    EXPECT_EQ(platform.HelpTopics, (std::vector<std::string>{"Settings", "Contents"}));
}

} // namespace
} // namespace qel
