#pragma once

#include <functional>
#include <optional>
#include <string>

// Desktop services beyond the operating system proper: desktop notifications
// and the screen-lock state. The Linux implementations talk D-Bus
// (platform/DesktopDBus.h); tests use the fakes in platform/FakeDesktop.h.
namespace qel {

// One desktop notification. Summary and body are plain text: an
// implementation whose service reads markup escapes them.
struct TDesktopNotice {
    std::string Summary;
    std::string Body;
    // Label of the notice's one named action (besides clicking the notice).
    std::string ActionLabel;
    // Runs on the GUI thread when the user clicks the notice or its action;
    // may be empty.
    std::function<void()> OnAction;
};

class IDesktopNotifier {
public:
    virtual ~IDesktopNotifier() = default;
    // Shows `notice`. False when no notification service answered; nothing
    // was shown then. Called on the GUI thread; waits at most a few seconds.
    virtual bool Notify(const TDesktopNotice& notice) = 0;
};

class IScreenLockProbe {
public:
    virtual ~IScreenLockProbe() = default;
    // True while this session's screen is locked, false while it is not,
    // empty when no service could tell. Called on the GUI thread; waits at
    // most a few seconds.
    virtual std::optional<bool> ScreenLocked() = 0;
};

} // namespace qel
