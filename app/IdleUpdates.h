#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

namespace qel {

// Runs the "update" handlers of every window whenever the application is
// about to wait for events, so that commands are enabled or disabled from the
// current state of the controls. A handler belongs to an owner object and is
// dropped when the owner is destroyed.
class TIdleUpdates : public QObject {
    Q_OBJECT
public:
    // The one instance of the program; made on first use, after the
    // QApplication exists.
    static TIdleUpdates& Instance();

    void Register(QObject* owner, std::function<void()> handler);

    // Runs every handler of a live owner now. Called by the event loop's idle
    // signal; tests call it directly.
    void RunNow();

private:
    TIdleUpdates();

    struct THandler {
        QPointer<QObject> Owner;
        std::function<void()> Handler;
    };
    std::vector<THandler> FHandlers;
    bool FRunning = false;
};

} // namespace qel
