#include "DatabaseSession.h"

#include "db/core/Session.h"
#include "modDatabase.h"

DatabaseSession &DatabaseSession::instance() {
    static DatabaseSession session;
    return session;
}

DatabaseSession::~DatabaseSession() {
    stopAll();
}

void DatabaseSession::submit(Job job) {
    std::unique_lock lock(mutex_);
    if (!worker_.joinable()) {
        quit_ = false;
        worker_ = std::thread([this] { workerLoop(); });
    }
    queue_.push_back(std::move(job));
    changed_.notify_all();
}

bool DatabaseSession::queued(const void *owner) const {
    const std::lock_guard lock(mutex_);
    for (const Job &job : queue_)
        if (job.owner == owner)
            return true;
    return false;
}

bool DatabaseSession::busy() const {
    const std::lock_guard lock(mutex_);
    return running_ != nullptr;
}

bool DatabaseSession::hasWorker() const {
    const std::lock_guard lock(mutex_);
    return worker_.joinable();
}

void DatabaseSession::workerLoop() {
    // Here a statement waits for another program's lock until it gets it or is cancelled.
    bm::db::setWaitForLocksWithoutLimit(true);
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return quit_ || !queue_.empty(); });
        if (queue_.empty())
            return; // quit with nothing left
        Job job = std::move(queue_.front());
        queue_.pop_front();
        running_ = job.owner;
        runningStop_ = job.stop;
        lock.unlock();
        if (cnDatabase)
            cnDatabase->clearInterrupt();
        job.work();
        lock.lock();
        running_ = nullptr;
        runningStop_ = nullptr;
        // A cancel that came as the job ended must not refuse what the windows run next.
        if (cnDatabase)
            cnDatabase->clearInterrupt();
        changed_.notify_all();
    }
}

void DatabaseSession::stop(const void *owner) {
    std::unique_lock lock(mutex_);
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        if (it->owner == owner) {
            Job job = std::move(*it);
            queue_.erase(it);
            lock.unlock();
            if (job.dropped)
                job.dropped();
            return;
        }
    }
    if (running_ != owner)
        return;
    if (runningStop_)
        runningStop_();
    if (cnDatabase)
        cnDatabase->interrupt();
    changed_.wait(lock, [&] { return running_ != owner; });
}

void DatabaseSession::interrupt(const void *owner) {
    const std::lock_guard lock(mutex_);
    if (running_ == owner && cnDatabase)
        cnDatabase->interrupt();
}

void DatabaseSession::stopAll() {
    std::unique_lock lock(mutex_);
    std::deque<Job> dropped;
    dropped.swap(queue_);
    if (running_) {
        if (runningStop_)
            runningStop_();
        if (cnDatabase)
            cnDatabase->interrupt();
    }
    endWorker(lock);
    lock.unlock();
    for (Job &job : dropped)
        if (job.dropped)
            job.dropped();
}

void DatabaseSession::endWorker(std::unique_lock<std::mutex> &lock) {
    if (!worker_.joinable())
        return;
    quit_ = true;
    changed_.notify_all();
    std::thread worker = std::move(worker_);
    lock.unlock();
    worker.join();
    lock.lock();
}
