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

using test::Slurp;
using test::Spit;

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    return names;
}

void SetModified(const std::string& path, time_t seconds, long nanoseconds) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class Files : public ::testing::Test {
protected:
    TScratchFolder Scratch;
    TLinuxPlatform Platform;
    std::string Error;
};

// A write creates missing folders, replaces the whole file through a link,
// keeps its permissions and leaves no temporary file.
TEST_F(Files, AtomicWriteReplacesTheWholeFileItNames) {
    const std::string path = Scratch.Path() + "a/b/Qel.ini";
    ASSERT_TRUE(Platform.WriteFileAtomic(path, "a much longer old content than the new one\n", &Error)) << Error;
    EXPECT_TRUE(Platform.FileExists(path));
    EXPECT_FALSE(Platform.FileExists(Scratch.Path() + "a/b")) << "a folder is not a file";
    ::chmod(path.c_str(), 0600);
    const std::string link = Scratch.Path() + "link.ini";
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    ASSERT_TRUE(Platform.WriteFileAtomic(link, "short\n", &Error)) << Error;
    std::string contents;
    ASSERT_TRUE(Platform.ReadFile(path, &contents));
    EXPECT_EQ(contents, "short\n");
    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(FolderEntries(Scratch.Path() + "a/b"), std::vector<std::string>{"Qel.ini"});
}

// A file-size limit makes the write itself fail half way, whoever runs the
// test: the old file must survive whole and the temporary file must go.
TEST_F(Files, FailedAtomicWriteLeavesTheOldFileAndNoTemporaryFile) {
    const std::string path = Scratch.Path() + "Qel.ini";
    Spit(path, "[Locations]\nQel_DBaseLocation=/srv/qel/\n");
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = Platform.WriteFileAtomic(path, std::string(4096, 'x'), &Error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(Error, path + ": " + std::strerror(EFBIG));
    EXPECT_EQ(Slurp(path), "[Locations]\nQel_DBaseLocation=/srv/qel/\n");
    EXPECT_EQ(FolderEntries(Scratch.Path()), std::vector<std::string>{"Qel.ini"});
}

TEST_F(Files, MissingFileCannotBeReadOrWrittenBelowAFile) {
    Spit(Scratch.Path() + "none", "not a folder\n");
    EXPECT_FALSE(Platform.WriteFileAtomic(Scratch.Path() + "none/Qel.ini", "x", &Error));
    EXPECT_NE(Error.find(std::strerror(ENOTDIR)), std::string::npos) << Error;
    ::unlink((Scratch.Path() + "none").c_str());
    std::string contents = "unchanged";
    EXPECT_FALSE(Platform.ReadFile(Scratch.Path() + "none", &contents));
    EXPECT_FALSE(Platform.FileExists(Scratch.Path() + "none"));
    const TFileStamp stamp = Platform.FileStamp(Scratch.Path() + "none");
    EXPECT_TRUE(stamp.IsMissing());
    EXPECT_EQ(stamp, TFileStamp::Missing());
}

// Stamps differ by the nanoseconds of the time alone, and by the size alone.
TEST_F(Files, StampCarriesTheTimeToTheNanosecondAndTheSize) {
    const std::string path = Scratch.Path() + "QelDBase.isd";
    Spit(path, "12345678");
    SetModified(path, 1'800'000'000, 100);
    const TFileStamp first = Platform.FileStamp(path);
    EXPECT_EQ(first.ModifiedNs, 1'800'000'000'000'000'100);
    EXPECT_EQ(first.Size, 8);
    SetModified(path, 1'800'000'000, 200);
    const TFileStamp second = Platform.FileStamp(path);
    EXPECT_NE(first, second);
    EXPECT_EQ(second.ModifiedNs - first.ModifiedNs, 100);
    Spit(path, "123456");
    SetModified(path, 1'800'000'000, 200);
    const TFileStamp third = Platform.FileStamp(path);
    EXPECT_EQ(third.ModifiedNs, second.ModifiedNs);
    EXPECT_NE(third, second);
}

TEST_F(Files, StampsOfTwoQuickSameSizeRewritesDiffer) {
    const std::string path = Scratch.Path() + "QelDBase.isd";
    ASSERT_TRUE(Platform.WriteFileAtomic(path, "AAAA", &Error));
    const TFileStamp first = Platform.FileStamp(path);
    // Longer than the coarsest clock tick the kernel uses for file times.
    ::usleep(20000);
    ASSERT_TRUE(Platform.WriteFileAtomic(path, "BBBB", &Error));
    const TFileStamp second = Platform.FileStamp(path);
    EXPECT_EQ(first.Size, second.Size);
    EXPECT_NE(first, second);
    EXPECT_LT(second.ModifiedNs - first.ModifiedNs, 1'000'000'000) << "same second";
}

} // namespace
} // namespace qel
