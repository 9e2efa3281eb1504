#pragma once

#include "platform/Desktop.h"

#include <vector>

namespace qel {

// Records every notice; Answers says whether a service is there.
class TFakeNotifier : public IDesktopNotifier {
public:
    bool Notify(const TDesktopNotice& notice) override {
        if (Answers)
            Notices.push_back(notice);
        return Answers;
    }
    bool Answers = true;
    std::vector<TDesktopNotice> Notices;
};

// Reports Locked as the screen-lock state (empty: nothing answers).
class TFakeScreenLock : public IScreenLockProbe {
public:
    std::optional<bool> ScreenLocked() override { return Locked; }
    std::optional<bool> Locked = false;
};

} // namespace qel
