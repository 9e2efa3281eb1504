#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace qel {

// Modification stamp of a file: its full-resolution modification time and its
// size. A missing file has the stamp Missing() (both -1). Two stamps differ
// whenever any write reached the file between them.
struct TFileStamp {
    int64_t ModifiedNs = -1;
    int64_t Size = -1;
    static TFileStamp Missing() { return {}; }
    bool IsMissing() const { return ModifiedNs < 0; }
    bool operator==(const TFileStamp&) const = default;
};

// What LinkNoReplace did.
enum class TLinkResult { Linked, Exists, Failed };

// Held for the life of one program instance; releasing it (destruction, or
// the process ending, even by a crash) lets another instance start.
class TInstanceLock {
public:
    virtual ~TInstanceLock() = default;
};

// The one door to the operating system. Every service the program takes from
// the platform is here, so that tests replace it with a fake and another
// platform adds an implementation. TPlatformWrapper forwards every call, so a
// test or a front end overrides just the calls it needs.
class TPlatform {
public:
    virtual ~TPlatform() = default;

    // This computer's name in upper case, without a domain part.
    virtual std::string ComputerName() = 0;
    // The logged-on user's login name in upper case.
    virtual std::string UserName() = 0;
    // The folder for the machine's profile file (stands for the Windows
    // directory); ends with "/".
    virtual std::string ConfigFolder() = 0;
    // Folder for the per-user autostart entries; ends with "/".
    virtual std::string AutostartFolder() = 0;
    // Full path of the running program.
    virtual std::string ProgramPath() = 0;
    // The machine's temporary folder; ends with "/".
    virtual std::string TempFolder() = 0;
    // "HOST-PID": this computer's host name (letters, digits and dots only)
    // and this process's id, as the names of files being built carry them.
    virtual std::string BuildFileTag() = 0;

    virtual bool FileExists(const std::string& path) = 0;
    virtual TFileStamp FileStamp(const std::string& path) = 0;
    // Whole file into *contents; false when it cannot be read.
    virtual bool ReadFile(const std::string& path, std::string* contents) = 0;
    // Replaces the file with `contents` atomically (temporary file, flush,
    // rename). On failure the old file is as it was, *error says why.
    virtual bool WriteFileAtomic(const std::string& path, const std::string& contents, std::string* error) = 0;
    // Gives the file `from` the name `to` as well, only if nothing is called
    // `to` yet: an existing `to` is never replaced (Exists). `from` may keep
    // its name too; remove it afterwards. On Failed, *error says why.
    virtual TLinkResult LinkNoReplace(const std::string& from, const std::string& to, std::string* error) = 0;
    // Removes a file; false when it was not there or could not be removed.
    virtual bool RemoveFile(const std::string& path) = 0;

    // Single instance per computer and user: null when another live instance
    // holds the lock named `name`.
    virtual std::unique_ptr<TInstanceLock> AcquireInstanceLock(const std::string& name) = 0;

    // Writes the autostart entry named after `description` that starts
    // `target` at logon. False with *error when the target does not exist or
    // the entry cannot be written.
    virtual bool CreateAutostartEntry(const std::string& description, const std::string& target,
                                      std::string* error) = 0;

    // Plays a sound file without blocking for long; failures are silent.
    virtual void PlaySoundFile(const std::string& path) = 0;
    // The default beep; failures are silent.
    virtual void Beep() = 0;
    // Opens the program's help at `topic`. False when it could not be shown,
    // with *error naming what is missing (the file or a program to show it).
    virtual bool OpenHelp(const std::string& topic, std::string* error) = 0;
};

// Forwards every call to another platform object (not owned).
class TPlatformWrapper : public TPlatform {
public:
    explicit TPlatformWrapper(TPlatform& target) : FTarget(target) {}
    std::string ComputerName() override { return FTarget.ComputerName(); }
    std::string UserName() override { return FTarget.UserName(); }
    std::string ConfigFolder() override { return FTarget.ConfigFolder(); }
    std::string AutostartFolder() override { return FTarget.AutostartFolder(); }
    std::string ProgramPath() override { return FTarget.ProgramPath(); }
    std::string TempFolder() override { return FTarget.TempFolder(); }
    std::string BuildFileTag() override { return FTarget.BuildFileTag(); }
    bool FileExists(const std::string& path) override { return FTarget.FileExists(path); }
    TFileStamp FileStamp(const std::string& path) override { return FTarget.FileStamp(path); }
    bool ReadFile(const std::string& path, std::string* contents) override { return FTarget.ReadFile(path, contents); }
    bool WriteFileAtomic(const std::string& path, const std::string& contents, std::string* error) override {
        return FTarget.WriteFileAtomic(path, contents, error);
    }
    TLinkResult LinkNoReplace(const std::string& from, const std::string& to, std::string* error) override {
        return FTarget.LinkNoReplace(from, to, error);
    }
    bool RemoveFile(const std::string& path) override { return FTarget.RemoveFile(path); }
    std::unique_ptr<TInstanceLock> AcquireInstanceLock(const std::string& name) override {
        return FTarget.AcquireInstanceLock(name);
    }
    bool CreateAutostartEntry(const std::string& description, const std::string& target, std::string* error) override {
        return FTarget.CreateAutostartEntry(description, target, error);
    }
    void PlaySoundFile(const std::string& path) override { FTarget.PlaySoundFile(path); }
    void Beep() override { FTarget.Beep(); }
    bool OpenHelp(const std::string& topic, std::string* error) override { return FTarget.OpenHelp(topic, error); }

protected:
    TPlatform& FTarget;
};

// The platform of the machine the program runs on (chosen at build time).
TPlatform& DefaultPlatform();

// Computer and login names as the register uses them.
inline std::string GetWindowsComputerName(TPlatform& platform) {
    return platform.ComputerName();
}
inline std::string GetWindowsUserName(TPlatform& platform) {
    return platform.UserName();
}

} // namespace qel
