#pragma once

// The shared connection's background worker. Work handed in runs on one worker thread, one job
// at a time, in the order it came, so that the windows stay responsive while the database works.
// A job is stopped by its owner: dropped when it has not started, interrupted on the connection
// and waited for when it runs. Closing the connection stops every job and ends the thread.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class DatabaseSession {
public:
    static DatabaseSession &instance();
    ~DatabaseSession();

    struct Job {
        const void *owner;
        // Runs on the worker thread.
        std::function<void()> work;
        // Called (on the caller's thread) when the job is stopped; tells the owner's work to
        // end at its next step. Called before the connection is interrupted.
        std::function<void()> stop;
        // Called (on the caller's thread) instead of work when the job is dropped unstarted.
        std::function<void()> dropped;
    };
    void submit(Job job);

    // The owner's job is waiting behind another one.
    bool queued(const void *owner) const;
    // The worker runs a job (of any owner).
    bool busy() const;
    // Stops the owner's job: dropped if queued; stopped, interrupted and waited for if it runs.
    void stop(const void *owner);
    // Interrupts the connection while the owner's job runs, and only then.
    void interrupt(const void *owner);
    // Stops every job and ends the worker thread (before the connection closes).
    void stopAll();
    // The worker thread exists.
    bool hasWorker() const;

private:
    DatabaseSession() = default;
    void workerLoop();
    void endWorker(std::unique_lock<std::mutex> &lock);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    const void *running_ = nullptr;
    std::function<void()> runningStop_;
    bool quit_ = false;
    std::thread worker_;
};
