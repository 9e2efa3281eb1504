#include "platform/FakePlatform.h"
#include "platform/PlatformHelpers.h"
#include "platform/PlatformLinux.h"
#include "tests/support/FileProbes.h"
#include "util/StringUtils.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace qel::test {
namespace {

// Sets (nullptr: removes) an environment variable until the object dies.
class TEnvironmentOverride {
public:
    TEnvironmentOverride(const char* name, const char* value) : FName(name) {
        if (const char* old = std::getenv(name))
            FOld = old;
        Set(value);
    }
    ~TEnvironmentOverride() { Set(FOld ? FOld->c_str() : nullptr); }
    TEnvironmentOverride(const TEnvironmentOverride&) = delete;

private:
    void Set(const char* value) { value ? ::setenv(FName.c_str(), value, 1) : ::unsetenv(FName.c_str()); }
    std::string FName;
    std::optional<std::string> FOld;
};

TEST(PlatformHelpers, NamesAreMadeSafeForTheirUse) {
    const std::pair<std::string, std::string> cases[] = {
        {NormaliseHostName("ws12.office.example.com"), "WS12"},
        {NormaliseHostName(""), ""},
        {NormaliseHostName("accounts-workstation-0042.lan"), "ACCOUNTS-WORKSTATION"},
        {ConfigFolderFor("", "/home/ann/"), "/home/ann/.config/"},
        {ConfigFolderFor("relative/cfg", "/home/ann"), "/home/ann/.config/"},
        {ConfigFolderFor("relative", "also-relative"), ""},
        {ConfigFolderFor(nullptr, nullptr), ""},
        {InstanceLockFileName("TVK - Qel", 1000), "TVK_-_Qel-1000.lock"},
        {InstanceLockFileName("a/../b\\c", 0), "a_.._b_c-0.lock"},
        {InstanceLockFileName("..", 5), "_..-5.lock"},
        {QuoteExecArgument("/opt/qel-2.10/qel_bin"), "/opt/qel-2.10/qel_bin"},
        {QuoteExecArgument("/opt/my apps/qel"), "\"/opt/my apps/qel\""},
        {QuoteExecArgument("/opt/it's/qel"), "\"/opt/it's/qel\""},
        {QuoteExecArgument("/a\"b/$c`d\\e"), "\"/a\\\"b/\\$c\\`d\\\\e\""},
        {QuoteExecArgument(""), "\"\""},
        {QuoteExecArgument("/opt/100%/qel"), "/opt/100%%/qel"},
        {QuoteExecArgument("/opt/100% sure/qel"), "\"/opt/100%% sure/qel\""},
        {FileUrl("/usr/share/doc/qel/qel-help.html", "Adding_Statuses"),
         "file:///usr/share/doc/qel/qel-help.html#Adding_Statuses"},
        {FileUrl("/home/ann/my apps/qel-help.html", ""), "file:///home/ann/my%20apps/qel-help.html"},
        {FileUrl("/a#b?c%/x.html", "x y/z"), "file:///a%23b%3Fc%25/x.html#x%20y%2Fz"}};
    for (const auto& [made, expected] : cases)
        EXPECT_EQ(made, expected);
    EXPECT_EQ(SplitList(":/usr/bin::/bin", ':'), (std::vector<std::string>{"", "/usr/bin", "", "/bin"}));
}

// A backslash in a quoted argument becomes four; line breaks cannot start a new key.
TEST(PlatformHelpers, AutostartEntryKeepsEachValueOnItsLine) {
    EXPECT_EQ(AutostartEntryText("Q\nel", "/opt/a b\\c\nHidden=true"),
              "[Desktop Entry]\nType=Application\nName=Q\\nel\nExec=\"/opt/a b\\\\\\\\c\\nHidden=true\"\n"
              "X-GNOME-Autostart-enabled=true\n");
}

TFileStamp StampAt(TPlatform& platform, const std::string& path) {
    const timespec times[2] = {{1'800'000'000, 100}, {1'800'000'000, 100}};
    EXPECT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    return platform.FileStamp(path);
}

// An atomic write replaces the whole file a link names, keeps its mode and leaves no temporary file.
TEST(Files, AtomicWriteReplacesTheWholeFileAndStampsTellEveryChange) {
    TScratchFolder scratch;
    TLinuxPlatform platform;
    std::string error;
    const std::string folder = scratch.Path() + "a/b/", path = folder + "Qel.ini", link = scratch.Path() + "link";
    ASSERT_TRUE(platform.WriteFileAtomic(path, "a much longer old content than the new one\n", &error)) << error;
    EXPECT_FALSE(platform.FileExists(folder)) << "a folder is not a file";
    ::chmod(path.c_str(), 0600);
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    ASSERT_TRUE(platform.WriteFileAtomic(link, "short\n", &error)) << error;
    std::string contents;
    ASSERT_TRUE(platform.ReadFile(path, &contents));
    EXPECT_EQ(contents, "short\n");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0600));

    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const rlimit small{16, old.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = platform.WriteFileAtomic(path, std::string(4096, 'x'), &error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(error, path + ": " + std::strerror(EFBIG));
    EXPECT_EQ(FileBytes(path), "short\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "no temporary file";
    EXPECT_FALSE(platform.WriteFileAtomic(path + "/Qel.ini", "x", &error));
    EXPECT_NE(error.find(std::strerror(ENOTDIR)), std::string::npos) << error;

    const TFileStamp before = StampAt(platform, path);
    Spit(path, "12345678");
    const TFileStamp after = StampAt(platform, path);
    EXPECT_EQ(after.Size, 8);
    EXPECT_NE(after, before);

    ::unlink(path.c_str());
    EXPECT_FALSE(platform.ReadFile(path, &contents));
    EXPECT_FALSE(platform.FileExists(path));
    EXPECT_EQ(platform.FileStamp(path), TFileStamp::Missing());
}

// One copy per user until released, not inherited by programs started meanwhile; planted links are not followed.
TEST(InstanceLock, SecondCopyIsRefusedUntilTheHolderReleasesAndLinksAreNotFollowed) {
    const char* const name = "TVK - Qel";
    TScratchFolder scratch;
    TEnvironmentOverride runtime{"XDG_RUNTIME_DIR", scratch.Path().c_str()};
    TEnvironmentOverride config{"XDG_CONFIG_HOME", (scratch.Path() + "config").c_str()};
    TLinuxPlatform platform;
    const std::string lockFile = InstanceLockFileName(name, ::geteuid());
    auto first = platform.AcquireInstanceLock(name);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(platform.FileExists(scratch.Path() + lockFile));
    EXPECT_NE(platform.AcquireInstanceLock("Another program"), nullptr);
    {
        TEnvironmentOverride otherTmp{"TMPDIR", (scratch.Path() + "other").c_str()};
        EXPECT_EQ(platform.TempFolder(), scratch.Path() + "other/");
        EXPECT_EQ(platform.AcquireInstanceLock(name), nullptr);
    }
    char sleepPath[] = "/bin/sleep", seconds[] = "30";
    char* argv[] = {sleepPath, seconds, nullptr};
    pid_t sleeper = 0;
    ASSERT_EQ(::posix_spawn(&sleeper, sleepPath, nullptr, nullptr, argv, environ), 0);
    first.reset();
    EXPECT_NE(platform.AcquireInstanceLock(name), nullptr);
    ::kill(sleeper, SIGKILL);
    ::waitpid(sleeper, nullptr, 0);

    const std::string victim = scratch.Path() + "victim";
    Spit(victim, "keep me\n");
    ::unlink((scratch.Path() + lockFile).c_str());
    ASSERT_EQ(::symlink(victim.c_str(), (scratch.Path() + lockFile).c_str()), 0);
    first = platform.AcquireInstanceLock(name);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(platform.AcquireInstanceLock(name), nullptr);
    EXPECT_TRUE(platform.FileExists(scratch.Path() + "config/" + lockFile));
    EXPECT_EQ(FileBytes(victim), "keep me\n");
    TEnvironmentOverride noRuntime{"XDG_RUNTIME_DIR", nullptr};
    EXPECT_EQ(platform.AcquireInstanceLock(name), nullptr);
    first.reset();
    EXPECT_NE(platform.AcquireInstanceLock(name), nullptr);
}

// The entry lands in the autostart folder of ~/.config/ (from $HOME); a name that would leave it is refused.
TEST(LinuxPlatform, AutostartEntryStartsThisProgramFromTheConfigurationFolder) {
    TLinuxPlatform platform;
    const std::string program = platform.ProgramPath();
    EXPECT_TRUE(program.ends_with("/test_platform")) << program;
    EXPECT_EQ(platform.UserName(), UpperAscii(platform.UserName()));
    TScratchFolder scratch;
    TEnvironmentOverride config("XDG_CONFIG_HOME", nullptr), home("HOME", scratch.Path().c_str());
    std::string error;
    EXPECT_FALSE(platform.CreateAutostartEntry("../Qel", program, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(platform.CreateAutostartEntry("Qel", program, &error)) << error;
    EXPECT_TRUE(platform.FileExists(scratch.Path() + ".config/autostart/Qel.desktop"));
}

// The program in a private PATH folder where scripts stand in for the players and opener, noting their arguments.
class LinuxLaunch : public ::testing::Test {
protected:
    struct TPlacedProgram : TLinuxPlatform {
        explicit TPlacedProgram(std::string program) : Program(std::move(program)) {}
        std::string ProgramPath() override { return Program; }
        std::string Program;
    };

    void SetUp() override { ::mkdir(Bin.c_str(), 0755); }

    void AddRecorder(const std::string& name) {
        Spit(Bin + name, "#!/bin/sh\nprintf '%s %s\\n' \"${0##*/}\" \"$1\" >> '" + Log + "'\n", 0755);
    }

    // The log once it holds `lines` lines, or as it is after five seconds.
    std::string WaitForLog(size_t lines) {
        std::string text = FileBytes(Log);
        for (int tries = 0; tries < 500 && size_t(std::count(text.begin(), text.end(), '\n')) < lines; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            text = FileBytes(Log);
        }
        return text;
    }

    TScratchFolder Scratch;
    std::string Bin = Scratch.Path() + "bin/";
    std::string Log = Scratch.Path() + "log";
    TEnvironmentOverride Path{"PATH", Bin.c_str()};
    TPlacedProgram Platform{Bin + "qel"};
};

// paplay before aplay, nothing for a missing file, no child left; help beside the program, else the installed one.
TEST_F(LinuxLaunch, SoundAndHelpGoThroughTheFirstProgramFound) {
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
    EXPECT_TRUE(::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD);
    ::unlink(Log.c_str());
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
} // namespace qel::test
