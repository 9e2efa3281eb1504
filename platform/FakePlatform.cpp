#include "platform/FakePlatform.h"

#include "platform/PlatformLinux.h"
#include "platform/PosixFiles.h"
#include "util/StringUtils.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace qel {

namespace {

class TFakeInstanceLock : public TInstanceLock {
public:
    TFakeInstanceLock(std::shared_ptr<std::set<std::string>> held, std::string name)
        : FHeld(std::move(held)), FName(std::move(name)) {}
    ~TFakeInstanceLock() override { FHeld->erase(FName); }

private:
    std::shared_ptr<std::set<std::string>> FHeld;
    std::string FName;
};

} // namespace

TFakePlatform::TFakePlatform(const std::string& root) {
    if (root.empty())
        return;
    const std::string base = AddBackslash(root);
    ConfigFolderValue = base + "config/";
    AutostartFolderValue = ConfigFolderValue + "autostart/";
    TempFolderValue = base + "tmp/";
    ProgramPathValue = base + "bin/qel";
}

bool TFakePlatform::FileExists(const std::string& path) {
    return PosixFileExists(path);
}

TFileStamp TFakePlatform::FileStamp(const std::string& path) {
    return PosixFileStamp(path);
}

bool TFakePlatform::ReadFile(const std::string& path, std::string* contents) {
    return PosixReadFile(path, contents);
}

bool TFakePlatform::WriteFileAtomic(const std::string& path, const std::string& contents, std::string* error) {
    if (FailWrites || FailWritesRemaining > 0) {
        if (FailWritesRemaining > 0)
            --FailWritesRemaining;
        if (error)
            *error = path + ": " + WriteFailureText;
        return false;
    }
    if (!PosixWriteFileAtomic(path, contents, error))
        return false;
    WrittenFiles.push_back(path);
    return true;
}

std::unique_ptr<TInstanceLock> TFakePlatform::AcquireInstanceLock(const std::string& name) {
    LockRequests.push_back(name);
    if (!HeldLocks->insert(name).second)
        return nullptr;
    return std::make_unique<TFakeInstanceLock>(HeldLocks, name);
}

bool TFakePlatform::CreateAutostartEntry(const std::string& description, const std::string& target,
                                         std::string* error) {
    return WriteAutostartEntry(*this, AutostartFolderValue, description, target, error);
}

bool TFakePlatform::OpenHelp(const std::string& topic, std::string* error) {
    HelpTopics.push_back(topic);
    if (!HelpAvailable && error)
        *error = "Unable to open the help file.";
    return HelpAvailable;
}

TScratchFolder::TScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && tmp[0] == '/' ? tmp : "/tmp") + "/qel-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        throw std::runtime_error("Cannot create a scratch folder under " + pattern);
    FPath = AddBackslash(buffer.data());
}

TScratchFolder::~TScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
}

} // namespace qel
