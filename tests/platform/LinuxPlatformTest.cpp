#include "TestEnvironment.h"
#include "platform/FakePlatform.h"
#include "platform/PlatformLinux.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qel {
namespace {

using test::Slurp;
using test::Spit;
using test::TEnvironmentOverride;

TEST(LinuxNames, ComputerAndUserNamesAreUpperCaseWithoutDomain) {
    TLinuxPlatform platform;
    const std::string computer = platform.ComputerName();
    EXPECT_FALSE(computer.empty());
    EXPECT_EQ(computer.find('.'), std::string::npos);
    EXPECT_EQ(computer.find_first_of("abcdefghijklmnopqrstuvwxyz"), std::string::npos);
    const std::string user = platform.UserName();
    EXPECT_FALSE(user.empty());
    EXPECT_EQ(user.find_first_of("abcdefghijklmnopqrstuvwxyz"), std::string::npos);
}

TEST(LinuxFolders, ConfigAndAutostartFollowXdgConfigHome) {
    TLinuxPlatform platform;
    {
        TEnvironmentOverride xdg("XDG_CONFIG_HOME", "/srv/ann/cfg");
        EXPECT_EQ(platform.ConfigFolder(), "/srv/ann/cfg/");
        EXPECT_EQ(platform.AutostartFolder(), "/srv/ann/cfg/autostart/");
    }
    TEnvironmentOverride home("HOME", "/home/ann");
    for (const char* ignored : {static_cast<const char*>(nullptr), "", "cfg"}) {
        TEnvironmentOverride xdg("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(platform.ConfigFolder(), "/home/ann/.config/");
        EXPECT_EQ(platform.AutostartFolder(), "/home/ann/.config/autostart/");
    }
}

TEST(LinuxFolders, TempFolderFollowsTmpdir) {
    TLinuxPlatform platform;
    {
        TEnvironmentOverride tmp("TMPDIR", "/var/tmp/qel");
        EXPECT_EQ(platform.TempFolder(), "/var/tmp/qel/");
    }
    TEnvironmentOverride tmp("TMPDIR", nullptr);
    EXPECT_EQ(platform.TempFolder(), "/tmp/");
}

TEST(LinuxFolders, ProgramPathIsTheRunningExecutable) {
    TLinuxPlatform platform;
    const std::string path = platform.ProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "test_platform");
    EXPECT_TRUE(platform.FileExists(path));
}

class LinuxAutostart : public ::testing::Test {
protected:
    TScratchFolder Scratch;
    TEnvironmentOverride Config{"XDG_CONFIG_HOME", (Scratch.Path() + "cfg").c_str()};
    TLinuxPlatform Platform;
    std::string Entry = Scratch.Path() + "cfg/autostart/Qel.desktop";
    std::string Error;
};

TEST_F(LinuxAutostart, EntryStartsTheTargetAtLogon) {
    ::mkdir((Scratch.Path() + "my apps").c_str(), 0755);
    const std::string target = Scratch.Path() + "my apps/qel";
    Spit(target, "#!/bin/sh\n", 0755);
    ASSERT_TRUE(Platform.CreateAutostartEntry("Qel", target, &Error)) << Error;
    EXPECT_EQ(Slurp(Entry), "[Desktop Entry]\n"
                            "Type=Application\n"
                            "Name=Qel\n"
                            "Exec=\"" +
                                target +
                                "\"\n"
                                "X-GNOME-Autostart-enabled=true\n");
}

TEST_F(LinuxAutostart, MissingTargetIsRefusedAndNothingIsWritten) {
    const std::string target = Scratch.Path() + "gone/qel";
    EXPECT_FALSE(Platform.CreateAutostartEntry("Qel", target, &Error));
    EXPECT_EQ(Error, "Cannot create the autostart entry: " + target + " does not exist");
    EXPECT_FALSE(Platform.FileExists(Entry));
}

TEST_F(LinuxAutostart, DescriptionCannotLeaveTheAutostartFolder) {
    const std::string target = Scratch.Path() + "qel";
    Spit(target, "x", 0755);
    EXPECT_FALSE(Platform.CreateAutostartEntry("../Qel", target, &Error));
    EXPECT_FALSE(Platform.FileExists(Scratch.Path() + "cfg/Qel.desktop"));
    EXPECT_FALSE(Error.empty());
}

// Programs the platform starts are replaced by scripts in a private PATH that
// note their arguments in a file.
class LinuxLaunch : public ::testing::Test {
protected:
    void SetUp() override { ::mkdir(Bin.c_str(), 0755); }

    void AddRecorder(const std::string& name) {
        Spit(Bin + name, "#!/bin/sh\nprintf '%s %s\\n' \"${0##*/}\" \"$1\" >> '" + Log + "'\n", 0755);
    }

    // The log once it holds `lines` lines (the programs run detached), or as
    // it is after five seconds.
    std::string WaitForLog(size_t lines) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        std::string text;
        do {
            text = Slurp(Log);
            if (static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) >= lines)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } while (std::chrono::steady_clock::now() < deadline);
        return text;
    }

    static bool HasChildren() {
        int status = 0;
        return !(::waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD);
    }

    TScratchFolder Scratch;
    std::string Bin = Scratch.Path() + "bin/";
    std::string Log = Scratch.Path() + "log";
    TEnvironmentOverride Path{"PATH", Bin.c_str()};
};

TEST_F(LinuxLaunch, SoundPlaysThroughPaplayAndLeavesNoChildBehind) {
    AddRecorder("paplay");
    AddRecorder("aplay");
    const std::string sound = Scratch.Path() + "new mail.wav";
    Spit(sound, "RIFF");
    TLinuxPlatform platform;
    platform.PlaySoundFile(sound);
    EXPECT_EQ(WaitForLog(1), "paplay " + sound + "\n");
    EXPECT_FALSE(HasChildren());
}

TEST_F(LinuxLaunch, SoundFallsBackToAplay) {
    AddRecorder("aplay");
    const std::string sound = Scratch.Path() + "ding.wav";
    Spit(sound, "RIFF");
    TLinuxPlatform platform;
    platform.PlaySoundFile(sound);
    EXPECT_EQ(WaitForLog(1), "aplay " + sound + "\n");
}

TEST_F(LinuxLaunch, MissingSoundFileOrPlayerIsSilent) {
    TLinuxPlatform platform;
    const std::string sound = Scratch.Path() + "ding.wav";
    Spit(sound, "RIFF");
    platform.PlaySoundFile(sound); // no player on PATH
    AddRecorder("paplay");
    platform.PlaySoundFile(Scratch.Path() + "missing.wav");
    platform.PlaySoundFile(sound);
    const std::string log = WaitForLog(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Slurp(Log), "paplay " + sound + "\n");
    EXPECT_EQ(log, "paplay " + sound + "\n");
}

// A platform whose program lies in the scratch folder, beside its help.
class TPlacedProgram : public TLinuxPlatform {
public:
    explicit TPlacedProgram(std::string program) : FProgram(std::move(program)) {}
    std::string ProgramPath() override { return FProgram; }

private:
    std::string FProgram;
};

TEST_F(LinuxLaunch, HelpOpensTheFileBesideTheProgramAtTheTopic) {
    AddRecorder("xdg-open");
    Spit(Bin + "qel-help.html", "<html></html>");
    TPlacedProgram platform(Bin + "qel");
    ASSERT_TRUE(platform.OpenHelp("Adding_Statuses", nullptr));
    EXPECT_EQ(WaitForLog(1), "xdg-open file://" + Bin + "qel-help.html#Adding_Statuses\n");
    EXPECT_FALSE(HasChildren());
    // The program's own opener goes first; its failure names what is missing.
    std::vector<std::string> urls;
    platform.SetUrlOpener([&urls](const std::string& url) { return urls.push_back(url), false; });
    std::string error;
    EXPECT_FALSE(platform.OpenHelp("Contents", &error));
    EXPECT_EQ(urls, std::vector<std::string>{"file://" + Bin + "qel-help.html#Contents"});
    EXPECT_NE(error.find("nothing on this computer can open it. Install xdg-utils"), std::string::npos) << error;
}

TEST_F(LinuxLaunch, DefaultSoundBesideTheProgramPlaysThroughThePlayer) {
    AddRecorder("aplay");
    Spit(Bin + "qel-message.wav", "RIFF");
    TPlacedProgram platform(Bin + "qel");
    platform.Beep();
    EXPECT_EQ(WaitForLog(1), "aplay " + Bin + "qel-message.wav\n");
}

TEST_F(LinuxLaunch, HelpWithoutOpenerFails) {
    Spit(Bin + "qel-help.html", "<html></html>");
    TPlacedProgram platform(Bin + "qel");
    EXPECT_FALSE(platform.OpenHelp("Contents", nullptr));
}

// Without a help file beside the program the installed one is opened, and
// without that nothing is.
TEST_F(LinuxLaunch, HelpWithoutAFileBesideTheProgramTakesTheInstalledOneOrFails) {
    AddRecorder("xdg-open");
    TPlacedProgram platform(Bin + "qel");
    const std::string installed = platform.HelpFile();
    std::string error;
    EXPECT_EQ(platform.OpenHelp("Contents", &error), !installed.empty());
    EXPECT_TRUE(!installed.empty() || error.find("is neither beside the program nor in /") != std::string::npos) << error;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(WaitForLog(installed.empty() ? 0 : 1), installed.empty() ? "" : "xdg-open file://" + installed + "#Contents\n");
}

} // namespace
} // namespace qel
