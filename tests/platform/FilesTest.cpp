#include "TestEnvironment.h"
#include "platform/FakePlatform.h"
#include "platform/PlatformLinux.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qel {
namespace {

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    return names;
}

TFileStamp StampAt(TPlatform& platform, const std::string& path, long nanoseconds) {
    const timespec times[2] = {{1'800'000'000, nanoseconds}, {1'800'000'000, nanoseconds}};
    EXPECT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    return platform.FileStamp(path);
}

// An atomic write creates missing folders, replaces the whole file a link
// names, keeps its permissions and leaves no temporary file, also when it
// fails half way; a stamp differs by the nanoseconds alone and the size alone.
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
    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // A file-size limit makes the write itself fail, whoever runs the test.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = platform.WriteFileAtomic(path, std::string(4096, 'x'), &error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(error, path + ": " + std::strerror(EFBIG));
    EXPECT_EQ(test::FileBytes(path), "short\n");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"Qel.ini"});
    EXPECT_FALSE(platform.WriteFileAtomic(path + "/Qel.ini", "x", &error));
    EXPECT_NE(error.find(std::strerror(ENOTDIR)), std::string::npos) << error;

    const TFileStamp first = StampAt(platform, path, 100);
    EXPECT_EQ(first.ModifiedNs, 1'800'000'000'000'000'100);
    EXPECT_EQ(first.Size, 6);
    const TFileStamp second = StampAt(platform, path, 200);
    EXPECT_EQ(second.ModifiedNs - first.ModifiedNs, 100);
    EXPECT_NE(second, first);
    test::Spit(path, "12345678");
    const TFileStamp third = StampAt(platform, path, 200);
    EXPECT_EQ(third.Size, 8);
    EXPECT_NE(third, second);

    ::unlink(path.c_str());
    EXPECT_FALSE(platform.ReadFile(path, &contents));
    EXPECT_FALSE(platform.FileExists(path));
    EXPECT_EQ(platform.FileStamp(path), TFileStamp::Missing());
}

} // namespace
} // namespace qel
