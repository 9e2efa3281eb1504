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

using test::FileBytes;
using test::Spit;
using test::TEnvironmentOverride;

TEST(LinuxPlatform, NamesAndFoldersFollowTheSystemAndTheEnvironment) {
    TLinuxPlatform platform;
    for (const std::string& name : {platform.ComputerName(), platform.UserName()}) {
        EXPECT_FALSE(name.empty());
        EXPECT_EQ(name.find_first_of(".abcdefghijklmnopqrstuvwxyz"), std::string::npos) << name;
    }
    EXPECT_TRUE(platform.ProgramPath().ends_with("/test_platform")) << platform.ProgramPath();
    EXPECT_TRUE(platform.FileExists(platform.ProgramPath()));
    TEnvironmentOverride home("HOME", "/home/ann");
    {
        TEnvironmentOverride xdg("XDG_CONFIG_HOME", "/srv/ann/cfg"), tmp("TMPDIR", "/var/tmp/qel");
        EXPECT_EQ(platform.AutostartFolder(), "/srv/ann/cfg/autostart/");
        EXPECT_EQ(platform.TempFolder(), "/var/tmp/qel/");
    }
    TEnvironmentOverride xdg("XDG_CONFIG_HOME", nullptr), tmp("TMPDIR", nullptr);
    EXPECT_EQ(platform.ConfigFolder(), "/home/ann/.config/");
    EXPECT_EQ(platform.TempFolder(), "/tmp/");

    TScratchFolder scratch;
    TEnvironmentOverride config("XDG_CONFIG_HOME", (scratch.Path() + "cfg").c_str());
    const std::string target = scratch.Path() + "qel";
    Spit(target, "#!/bin/sh\n", 0755);
    std::string error;
    EXPECT_FALSE(platform.CreateAutostartEntry("../Qel", target, &error));
    EXPECT_FALSE(platform.FileExists(scratch.Path() + "cfg/Qel.desktop"));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(platform.CreateAutostartEntry("Qel", target, &error)) << error;
    EXPECT_TRUE(platform.FileExists(scratch.Path() + "cfg/autostart/Qel.desktop"));
}

// A platform whose program lies in a private PATH folder, beside its help and
// sound, where scripts stand in for the players and the opener: they note
// their arguments in a file.
class LinuxLaunch : public ::testing::Test {
protected:
    class TPlacedProgram : public TLinuxPlatform {
    public:
        explicit TPlacedProgram(std::string program) : FProgram(std::move(program)) {}
        std::string ProgramPath() override { return FProgram; }

    private:
        std::string FProgram;
    };

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
            text = FileBytes(Log);
            if (static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) >= lines)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } while (std::chrono::steady_clock::now() < deadline);
        return text;
    }

    TScratchFolder Scratch;
    std::string Bin = Scratch.Path() + "bin/";
    std::string Log = Scratch.Path() + "log";
    TEnvironmentOverride Path{"PATH", Bin.c_str()};
    TPlacedProgram Platform{Bin + "qel"};
};

// paplay goes before aplay; a missing file or player plays nothing; the beep
// plays the sound beside the program; no child is left behind.
TEST_F(LinuxLaunch, SoundPlaysThroughTheFirstPlayerFound) {
    const std::string sound = Scratch.Path() + "new mail.wav";
    Spit(sound, "RIFF");
    Platform.PlaySoundFile(sound);
    AddRecorder("aplay");
    Platform.PlaySoundFile(Scratch.Path() + "missing.wav");
    Platform.PlaySoundFile(sound);
    EXPECT_EQ(WaitForLog(1), "aplay " + sound + "\n");
    AddRecorder("paplay");
    Spit(Bin + "qel-message.wav", "RIFF");
    Platform.Beep();
    EXPECT_EQ(WaitForLog(2), "aplay " + sound + "\npaplay " + Bin + "qel-message.wav\n");
    int status = 0;
    EXPECT_TRUE(::waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD);
}

// Help opens the file beside the program, else the installed one, at its
// topic; the program's own opener goes first; a failure says what is missing.
TEST_F(LinuxLaunch, HelpOpensTheFileBesideTheProgramOrTheInstalledOne) {
    AddRecorder("xdg-open");
    const std::string installed = Platform.HelpFile();
    std::string error;
    EXPECT_EQ(Platform.OpenHelp("Contents", &error), !installed.empty());
    EXPECT_TRUE(!installed.empty() || error.find("is neither beside the program nor in /") != std::string::npos)
        << error;
    EXPECT_EQ(WaitForLog(installed.empty() ? 0 : 1),
              installed.empty() ? "" : "xdg-open file://" + installed + "#Contents\n");
    ::unlink(Log.c_str());
    Spit(Bin + "qel-help.html", "<html></html>");
    ASSERT_TRUE(Platform.OpenHelp("Adding_Statuses", nullptr));
    EXPECT_EQ(WaitForLog(1), "xdg-open file://" + Bin + "qel-help.html#Adding_Statuses\n");
    std::vector<std::string> urls;
    Platform.SetUrlOpener([&urls](const std::string& url) { return urls.push_back(url), false; });
    EXPECT_FALSE(Platform.OpenHelp("Contents", &error));
    EXPECT_EQ(urls, std::vector<std::string>{"file://" + Bin + "qel-help.html#Contents"});
    EXPECT_NE(error.find("nothing on this computer can open it. Install xdg-utils"), std::string::npos) << error;
}

} // namespace
} // namespace qel
