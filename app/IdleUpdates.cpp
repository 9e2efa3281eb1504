#include "app/IdleUpdates.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

#include <algorithm>

namespace qel {

TIdleUpdates& TIdleUpdates::Instance() {
    static TIdleUpdates* instance = new TIdleUpdates();
    return *instance;
}

TIdleUpdates::TIdleUpdates() {
    // The GUI thread's dispatcher announces each wait for events; that is the
    // moment the application is idle.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(
            QCoreApplication::instance() ? QCoreApplication::instance()->thread() : QThread::currentThread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TIdleUpdates::RunNow);
}

void TIdleUpdates::Register(QObject* owner, std::function<void()> handler) {
    FHandlers.push_back({QPointer<QObject>(owner), std::move(handler)});
}

void TIdleUpdates::RunNow() {
    // A handler that opens a modal dialog would come back here from the
    // dialog's own event loop; one pass at a time is enough.
    if (FRunning)
        return;
    FRunning = true;
    std::erase_if(FHandlers, [](const THandler& h) { return h.Owner.isNull(); });
    // Copy: a handler may register another one.
    const std::vector<THandler> handlers = FHandlers;
    for (const THandler& h : handlers)
        if (!h.Owner.isNull())
            h.Handler();
    FRunning = false;
}

} // namespace qel
