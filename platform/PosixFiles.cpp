#include "platform/PosixFiles.h"
#include "util/StringUtils.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qel {

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// A name for the temporary file that no other writer (thread, process or
// machine sharing the folder) picks at the same moment.
std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    char host[64] = {};
    ::gethostname(host, sizeof host - 1);
    return path + ".tmp-" + host + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

} // namespace

std::string PosixError(const std::string& context, int errorNumber) {
    return context + ": " + std::strerror(errorNumber);
}

bool PosixFileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

TFileStamp PosixFileStamp(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return TFileStamp::Missing();
    TFileStamp stamp;
    stamp.ModifiedNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.Size = static_cast<int64_t>(info.st_size);
    return stamp;
}

bool PosixReadFile(const std::string& path, std::string* contents) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string result;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return false;
        }
        if (got == 0)
            break;
        result.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    if (contents)
        *contents = std::move(result);
    return true;
}

bool PosixMakeFolders(const std::string& folder, std::string* error) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.empty())
        return true;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return true;
        if (error)
            *error = PosixError(path, ENOTDIR);
        return false;
    }
    const auto slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !PosixMakeFolders(path.substr(0, slash), error))
        return false;
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
        if (error)
            *error = PosixError(path, errno);
        return false;
    }
    return true;
}

TLinkResult PosixLinkNoReplace(const std::string& from, const std::string& to, std::string* error) {
    auto failed = [&](int errorNumber) {
        if (errorNumber == EEXIST)
            return TLinkResult::Exists;
        if (error)
            *error = PosixError(to, errorNumber);
        return TLinkResult::Failed;
    };
    if (::link(from.c_str(), to.c_str()) == 0)
        return TLinkResult::Linked;
    if (errno == EEXIST || (errno != EPERM && errno != ENOSYS && errno != EOPNOTSUPP))
        return failed(errno);
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return TLinkResult::Linked;
    return failed(errno);
}

bool PosixRemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

std::string PosixBuildFileTag() {
    char name[256] = {};
    std::string host;
    if (::gethostname(name, sizeof name - 1) == 0)
        for (const char* c = name; *c; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c)) || *c == '.')
                host += *c;
    return (host.empty() ? "host" : host) + "-" + std::to_string(::getpid());
}

bool PosixWriteFileAtomic(const std::string& path, const std::string& contents, std::string* error) {
    auto fail = [error](const std::string& text) {
        if (error)
            *error = text;
        return false;
    };
    if (path.empty() || path.back() == '/')
        return fail(PosixError(path.empty() ? std::string("(no file name)") : path, EISDIR));

    // Replace the file a symbolic link names rather than the link itself.
    std::string target = path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    const std::string folder = FolderOf(target);
    std::string folderError;
    if (!PosixMakeFolders(folder, &folderError))
        return fail(folderError);

    // Keep the permissions of the file being replaced; a new file gets the
    // usual ones (0666 less the umask, applied by open).
    struct stat old {};
    const bool hadOld = ::stat(target.c_str(), &old) == 0;

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryName(target);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return fail(PosixError(target, errno));
    }
    if (fd < 0)
        return fail(PosixError(target, EEXIST));

    auto abandon = [&](int errorNumber) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporary.c_str());
        return fail(PosixError(target, errorNumber));
    };
    if (hadOld && ::fchmod(fd, old.st_mode & 07777) != 0 && errno != EPERM)
        return abandon(errno);
    if (!WriteAll(fd, contents.data(), contents.size()))
        return abandon(errno);
    if (::fsync(fd) != 0 && errno != EINVAL)
        return abandon(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return abandon(errno);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return abandon(errno);

    // Make the rename itself durable. Some network file systems refuse to
    // sync a folder; the file is in place by now, so that is not a failure.
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

std::string FindOnPath(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos)
        return {};
    const char* path = std::getenv("PATH");
    for (const std::string& folder : SplitList(path ? path : "/usr/local/bin:/usr/bin:/bin", ':')) {
        if (!folder.empty() && folder[0] == '/') {
            const std::string candidate = (folder.back() == '/' ? folder : folder + "/") + name;
            struct stat info {};
            if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
    }
    return {};
}

bool SpawnDetached(const std::vector<std::string>& argv) {
    if (argv.empty() || argv[0].empty() || argv[0][0] != '/')
        return false;
    // A short-lived shell starts the program in the background and exits at
    // once; the program is then adopted by init, which reaps it. The shell
    // receives the program and its arguments as positional parameters, so
    // nothing in them is ever interpreted by it.
    std::vector<std::string> shellArgs = {"/bin/sh", "-c", "\"$@\" </dev/null >/dev/null 2>&1 &", "sh"};
    shellArgs.insert(shellArgs.end(), argv.begin(), argv.end());
    std::vector<char*> raw;
    for (auto& arg : shellArgs)
        raw.push_back(arg.data());
    raw.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own process group, so a Ctrl+C typed at the terminal that started
    // this program does not also stop a sound or the help browser.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    pid_t pid = 0;
    const int started = posix_spawn(&pid, raw[0], &actions, &attributes, raw.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (started != 0)
        return false;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace qel
