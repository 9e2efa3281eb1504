#pragma once

#include "platform/Platform.h"
#include "platform/PosixFiles.h"

#include <functional>

namespace qel {

// TPlatform on Linux. Every answer is worked out afresh from the process and
// its environment at each call, nothing is cached.
//
// - ConfigFolder: $XDG_CONFIG_HOME when absolute, else ~/.config/.
// - AutostartFolder: ConfigFolder + "autostart/" (XDG autostart).
// - TempFolder: $TMPDIR when absolute, else /tmp/.
// - AcquireInstanceLock: an flock on $XDG_RUNTIME_DIR/<InstanceLockFileName>;
//   the file name carries the user id, so the lock is per computer and user.
//   Without that folder, or if the file cannot be used (it belongs to
//   someone else, or the folder is not writable), the lock file goes into
//   ConfigFolder instead. When no lock
//   file can be used at all the program is let run (a lock object that
//   guards nothing is returned): a broken temporary folder must not keep
//   anyone from working, it only loses the guard against a second copy.
// - PlaySoundFile: paplay, else aplay, found on $PATH, started detached.
// - Beep: the default message sound (qel-message.wav beside the program,
//   else in the installed data folder) through the same player; "\a" to the
//   controlling terminal only when there is no player or no sound file.
// - OpenHelp: qel-help.html beside the program, else in the installed
//   documentation folder, opened at "#topic" by the URL opener the program
//   set (the desktop program uses Qt's), else with xdg-open.
class TLinuxPlatform : public TPlatform {
public:
    std::string ComputerName() override;
    std::string UserName() override;
    std::string ConfigFolder() override;
    std::string AutostartFolder() override;
    std::string ProgramPath() override;
    std::string TempFolder() override;

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
    bool CreateAutostartEntry(const std::string& description, const std::string& target, std::string* error) override;

    void PlaySoundFile(const std::string& path) override;
    void Beep() override;
    bool OpenHelp(const std::string& topic, std::string* error) override;

    // The help file OpenHelp would open; empty when there is none.
    std::string HelpFile();
    // The sound Beep plays; empty when there is none.
    std::string DefaultSoundFile();
    // paplay, else aplay, on $PATH; empty when neither is there.
    std::string SoundPlayer();

    // Shows a file:// URL; false when nothing could show it.
    using TUrlOpener = std::function<bool(const std::string& url)>;
    void SetUrlOpener(TUrlOpener opener) { FUrlOpener = std::move(opener); }

private:
    TUrlOpener FUrlOpener;
};

// Writes AutostartEntryText for `target` to `folder` + `description` +
// ".desktop" through platform.WriteFileAtomic. Shared by the Linux platform
// and the fake so both write the same entry.
bool WriteAutostartEntry(TPlatform& platform, const std::string& folder, const std::string& description,
                         const std::string& target, std::string* error);

} // namespace qel
