#include "app/QuitOnSignal.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace qel {

namespace {
int SignalSockets[2] = {-1, -1};
constexpr int QuitSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void OnQuitSignal(int) {
    const char byte = 1;
    // Nothing else is safe here; a full socket already holds a request.
    [[maybe_unused]] const ssize_t written = ::write(SignalSockets[0], &byte, 1);
}
} // namespace

TQuitOnSignal::TQuitOnSignal(QObject* parent) : QObject(parent) {
    if (SignalSockets[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, SignalSockets) != 0)
        return;
    FNotifier = new QSocketNotifier(SignalSockets[1], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TQuitOnSignal::SignalArrived);

    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : QuitSignals)
        sigaction(signal, &action, nullptr);
}

TQuitOnSignal::~TQuitOnSignal() {
    if (!FNotifier)
        return;
    for (int signal : QuitSignals)
        std::signal(signal, SIG_DFL);
    ::close(SignalSockets[0]);
    ::close(SignalSockets[1]);
    SignalSockets[0] = SignalSockets[1] = -1;
}

void TQuitOnSignal::SignalArrived() {
    char byte = 0;
    [[maybe_unused]] const ssize_t read = ::read(SignalSockets[1], &byte, 1);
    // exit(), not quit(): quit() first asks the windows to close, and the
    // main window's close box only hides it to the notification area.
    QCoreApplication::exit(0);
}

} // namespace qel
