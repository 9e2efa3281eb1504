#pragma once

#include "platform/Platform.h"
#include "platform/PosixFiles.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace qel {

// A platform for tests and simulations: the names and folders are plain
// members a test sets; sound, beep, help and the instance lock are recorded
// instead of reaching the desktop. Files go to the real file system (so point
// the folders at a scratch folder), and a test can make writes fail.
class TFakePlatform : public TPlatform {
public:
    // With a `root`, the folders lie beneath it: root/config/ (and
    // root/config/autostart/), root/tmp/, and the program at root/bin/qel.
    // Nothing is created until something is written there.
    explicit TFakePlatform(const std::string& root = "");

    std::string ComputerNameValue = "WORKSTATION1";
    std::string UserNameValue = "TESTER";
    std::string ConfigFolderValue;
    std::string AutostartFolderValue;
    std::string ProgramPathValue;
    std::string TempFolderValue;

    // Injected write failures: while FailWrites is true (or while
    // FailWritesRemaining counts down from above zero) WriteFileAtomic
    // writes nothing and reports WriteFailureText.
    bool FailWrites = false;
    int FailWritesRemaining = 0;
    std::string WriteFailureText = "No space left on device";

    // Instance locks held by name. Fakes that share one set act as copies of
    // the program on one computer; a lock is released when its object dies.
    std::shared_ptr<std::set<std::string>> HeldLocks = std::make_shared<std::set<std::string>>();
    // Whether OpenHelp reports that the help could be shown.
    bool HelpAvailable = true;

    // What was asked of the platform, in order.
    std::vector<std::string> WrittenFiles;
    std::vector<std::string> LockRequests;
    std::vector<std::string> PlayedSounds;
    std::vector<std::string> HelpTopics;
    int BeepCount = 0;

    std::string ComputerName() override { return ComputerNameValue; }
    std::string UserName() override { return UserNameValue; }
    std::string ConfigFolder() override { return ConfigFolderValue; }
    std::string AutostartFolder() override { return AutostartFolderValue; }
    std::string ProgramPath() override { return ProgramPathValue; }
    std::string TempFolder() override { return TempFolderValue; }

    bool FileExists(const std::string& path) override;
    TFileStamp FileStamp(const std::string& path) override;
    bool ReadFile(const std::string& path, std::string* contents) override;
    bool WriteFileAtomic(const std::string& path, const std::string& contents, std::string* error) override;
    TLinkResult LinkNoReplace(const std::string& from, const std::string& to, std::string* error) override {
        return PosixLinkNoReplace(from, to, error);
    }
    bool RemoveFile(const std::string& path) override { return PosixRemoveFile(path); }
    std::string BuildFileTag() override { return PosixBuildFileTag(); }

    std::unique_ptr<TInstanceLock> AcquireInstanceLock(const std::string& name) override;
    // Writes the same entry as the Linux platform into AutostartFolderValue.
    bool CreateAutostartEntry(const std::string& description, const std::string& target, std::string* error) override;

    void PlaySoundFile(const std::string& path) override { PlayedSounds.push_back(path); }
    void Beep() override { ++BeepCount; }
    bool OpenHelp(const std::string& topic, std::string* error) override;
};

// A fresh, empty folder under $TMPDIR (or /tmp), removed with everything in
// it when the object dies. Path() ends with "/".
class TScratchFolder {
public:
    TScratchFolder();
    ~TScratchFolder();
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

} // namespace qel
