#include "platform/PlatformLinux.h"

#include "platform/PlatformHelpers.h"
#include "platform/PosixFiles.h"
#include "util/StringUtils.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifndef QEL_HELP_INSTALL_DIR
#define QEL_HELP_INSTALL_DIR "/usr/local/share/doc/qel"
#endif
#ifndef QEL_SOUND_INSTALL_DIR
#define QEL_SOUND_INSTALL_DIR "/usr/local/share/qel"
#endif

namespace qel {

namespace {

constexpr const char* HelpFileName = "qel-help.html";
constexpr const char* SoundFileName = "qel-message.wav";

class TFlockInstanceLock : public TInstanceLock {
public:
    explicit TFlockInstanceLock(int fd) : FFd(fd) {}
    ~TFlockInstanceLock() override { ::close(FFd); }
    TFlockInstanceLock(const TFlockInstanceLock&) = delete;
    TFlockInstanceLock& operator=(const TFlockInstanceLock&) = delete;

private:
    int FFd;
};

enum class TLockResult { Acquired, Held, Unusable };

// Opens and locks `path`. The file must be a regular file of this user, so
// another user cannot hold our lock by creating the file first, and a link
// planted in a shared folder is not followed.
TLockResult TryLock(const std::string& path, int* fd) {
    *fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (*fd < 0)
        return TLockResult::Unusable;
    struct stat info {};
    if (::fstat(*fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        ::close(*fd);
        return TLockResult::Unusable;
    }
    int locked;
    while ((locked = ::flock(*fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(*fd);
        return held ? TLockResult::Held : TLockResult::Unusable;
    }
    return TLockResult::Acquired;
}

std::string FolderOfProgram(const std::string& programPath) {
    const auto slash = programPath.rfind('/');
    return slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1);
}

} // namespace

std::string TLinuxPlatform::ComputerName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return NormaliseHostName(name);
}

std::string TLinuxPlatform::UserName() {
    const uid_t uid = ::geteuid();
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    while (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == ERANGE && buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (found && found->pw_name && found->pw_name[0])
        return UpperAscii(found->pw_name);
    for (const char* variable : {"USER", "LOGNAME"})
        if (const char* value = std::getenv(variable); value && value[0])
            return UpperAscii(value);
    return std::to_string(uid);
}

std::string TLinuxPlatform::ConfigFolder() {
    std::string folder = ConfigFolderFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    if (!folder.empty())
        return folder;
    // No usable $HOME: the home folder from the user database.
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        folder = ConfigFolderFor(nullptr, found->pw_dir);
    return folder.empty() ? TempFolder() : folder;
}

std::string TLinuxPlatform::AutostartFolder() {
    return ConfigFolder() + "autostart/";
}

std::string TLinuxPlatform::ProgramPath() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

std::string TLinuxPlatform::TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && tmp[0] == '/' ? AddBackslash(tmp) : std::string("/tmp/");
}

bool TLinuxPlatform::FileExists(const std::string& path) {
    return PosixFileExists(path);
}

TFileStamp TLinuxPlatform::FileStamp(const std::string& path) {
    return PosixFileStamp(path);
}

bool TLinuxPlatform::ReadFile(const std::string& path, std::string* contents) {
    return PosixReadFile(path, contents);
}

bool TLinuxPlatform::WriteFileAtomic(const std::string& path, const std::string& contents, std::string* error) {
    return PosixWriteFileAtomic(path, contents, error);
}

std::unique_ptr<TInstanceLock> TLinuxPlatform::AcquireInstanceLock(const std::string& name) {
    const std::string fileName = InstanceLockFileName(name, ::geteuid());
    int fd = -1;
    // The session's runtime folder is this user's alone and does not change
    // with TMPDIR, so every copy started in the session meets the same lock.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    TLockResult result = TLockResult::Unusable;
    if (runtime && runtime[0] == '/')
        result = TryLock(AddBackslash(runtime) + fileName, &fd);
    if (result == TLockResult::Unusable) {
        const std::string folder = ConfigFolder();
        PosixMakeFolders(folder, nullptr);
        result = TryLock(folder + fileName, &fd);
    }
    // A lock that cannot be taken anywhere must not keep the program from
    // running: the guard against a second copy is then lost, nothing else.
    if (result == TLockResult::Unusable)
        return std::make_unique<TInstanceLock>();
    if (result == TLockResult::Held)
        return nullptr;
    return std::make_unique<TFlockInstanceLock>(fd);
}

bool TLinuxPlatform::CreateAutostartEntry(const std::string& description, const std::string& target,
                                          std::string* error) {
    return WriteAutostartEntry(*this, AutostartFolder(), description, target, error);
}

bool WriteAutostartEntry(TPlatform& platform, const std::string& folder, const std::string& description,
                         const std::string& target, std::string* error) {
    auto fail = [error](const std::string& text) {
        if (error)
            *error = text;
        return false;
    };
    if (description.empty() || description.find_first_of("/\n") != std::string::npos || description == "." ||
        description == "..")
        return fail("Cannot create the autostart entry: \"" + description + "\" is not a usable entry name");
    if (target.empty() || !platform.FileExists(target))
        return fail("Cannot create the autostart entry: " + target + " does not exist");
    std::string writeError;
    if (!platform.WriteFileAtomic(folder + description + ".desktop", AutostartEntryText(description, target),
                                  &writeError))
        return fail("Cannot create the autostart entry: " + writeError);
    return true;
}

std::string TLinuxPlatform::SoundPlayer() {
    for (const char* player : {"paplay", "aplay"}) {
        const std::string found = FindOnPath(player);
        if (!found.empty())
            return found;
    }
    return {};
}

void TLinuxPlatform::PlaySoundFile(const std::string& path) {
    if (path.empty() || !FileExists(path))
        return;
    const std::string player = SoundPlayer();
    if (!player.empty())
        SpawnDetached({player, path});
}

std::string TLinuxPlatform::DefaultSoundFile() {
    const std::string besideProgram = FolderOfProgram(ProgramPath()) + SoundFileName;
    if (besideProgram[0] == '/' && FileExists(besideProgram))
        return besideProgram;
    const std::string installed = AddBackslash(QEL_SOUND_INSTALL_DIR) + SoundFileName;
    return FileExists(installed) ? installed : std::string();
}

void TLinuxPlatform::Beep() {
    const std::string sound = DefaultSoundFile();
    const std::string player = SoundPlayer();
    if (!sound.empty() && !player.empty()) {
        SpawnDetached({player, sound});
        return;
    }
    const int tty = ::open("/dev/tty", O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (tty >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(tty, "\a", 1);
        ::close(tty);
    }
}

std::string TLinuxPlatform::HelpFile() {
    const std::string besideProgram = FolderOfProgram(ProgramPath()) + HelpFileName;
    if (besideProgram[0] == '/' && FileExists(besideProgram))
        return besideProgram;
    const std::string installed = AddBackslash(QEL_HELP_INSTALL_DIR) + HelpFileName;
    if (FileExists(installed))
        return installed;
    return {};
}

bool TLinuxPlatform::OpenHelp(const std::string& topic, std::string* error) {
    const std::string file = HelpFile();
    if (file.empty()) {
        if (error)
            *error = std::string("Unable to open the help file: ") + HelpFileName +
                     " is neither beside the program nor in " + AddBackslash(QEL_HELP_INSTALL_DIR) + ".";
        return false;
    }
    const std::string url = FileUrl(file, topic);
    bool opened = false;
    if (FUrlOpener) {
        opened = FUrlOpener(url);
    } else {
        const std::string opener = FindOnPath("xdg-open");
        opened = !opener.empty() && SpawnDetached({opener, url});
    }
    if (!opened && error)
        *error = "Unable to open the help file " + file +
                 ": nothing on this computer can open it. Install xdg-utils and a web browser, or open the file "
                 "in a browser yourself.";
    return opened;
}

TPlatform& DefaultPlatform() {
    static TLinuxPlatform platform;
    return platform;
}

} // namespace qel
