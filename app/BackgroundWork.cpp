#include "app/BackgroundWork.h"

#include <QMetaObject>

namespace qel {

TThreadWork::TThreadWork() : FThread([this] { Run(); }) {}

TThreadWork::~TThreadWork() {
    {
        const std::lock_guard lock(FMutex);
        FStop = true;
        FJobs.clear();
    }
    FWake.notify_all();
    FThread.join();
}

void TThreadWork::Post(std::function<std::function<void()>()> work) {
    {
        const std::lock_guard lock(FMutex);
        FJobs.push_back(std::move(work));
    }
    FWake.notify_one();
}

void TThreadWork::Run() {
    for (;;) {
        std::function<std::function<void()>()> job;
        {
            std::unique_lock lock(FMutex);
            FWake.wait(lock, [this] { return FStop || !FJobs.empty(); });
            if (FStop)
                return;
            job = std::move(FJobs.front());
            FJobs.pop_front();
        }
        std::function<void()> done = job();
        const std::lock_guard lock(FMutex);
        // The receiver lives until the destructor has joined this thread.
        if (!FStop && done)
            QMetaObject::invokeMethod(&FReceiver, std::move(done), Qt::QueuedConnection);
    }
}

} // namespace qel
