#pragma once

#include <QObject>

class QSocketNotifier;

namespace qel {

// Turns SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, `kill`) into an
// orderly end of the event loop, so the main window is destroyed as at a
// normal exit and the user's record goes "Offline". The handler itself only
// writes one byte to a socket; the quit runs in the event loop.
class TQuitOnSignal : public QObject {
    Q_OBJECT
public:
    explicit TQuitOnSignal(QObject* parent = nullptr);
    ~TQuitOnSignal() override;

    // True when the handlers are installed.
    bool Installed() const { return FNotifier != nullptr; }

private:
    void SignalArrived();

    QSocketNotifier* FNotifier = nullptr;
};

} // namespace qel
