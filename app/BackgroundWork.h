#pragma once

#include "app/MainController.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace qel {

// One worker thread for the controller's reads. Post is called on the GUI
// thread (the thread that made the object); jobs run on the worker one at a
// time, in order, and their continuations are queued back to the GUI thread's
// event loop. The destructor (GUI thread) waits for the job that runs, then
// drops every job and continuation not yet run.
class TThreadWork : public IBackgroundWork {
public:
    TThreadWork();
    ~TThreadWork() override;
    TThreadWork(const TThreadWork&) = delete;
    TThreadWork& operator=(const TThreadWork&) = delete;

    void Post(std::function<std::function<void()>()> work) override;

private:
    void Run();

    // Continuations are delivered to it; posted events die with it.
    QObject FReceiver;
    std::mutex FMutex;
    std::condition_variable FWake;
    std::deque<std::function<std::function<void()>()>> FJobs;
    bool FStop = false;
    std::thread FThread;
};

} // namespace qel
