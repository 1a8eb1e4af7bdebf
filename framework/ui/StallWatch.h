#pragma once
// How long the window's thread goes without returning to its event loop. A watcher thread
// sends the loop a ping every kSample and times how long it waits for an answer: a loop
// that returns answers within a sample or so, one that is held by a handler (or anything
// else run on its thread) answers only when that is done. Every wait longer than
// kThreshold is recorded as a stall, with its length; one still going counts in Longest()
// with the length it has so far, so a freeze shows even before it ends.
//
// Lengths are the ping's wait: a stall is measured up to kSample short (it may have begun
// before the ping was sent), never long. The time the thread was ready to run but waited
// for a processor (the kernel's run delay, /proc/self/task/TID/schedstat) is left out, so
// a busy machine is not taken for a held loop, while a thread that waits (a join, a lock)
// still counts; without that file, lengths are wall time. Nested loops (a modal dialog's,
// or a test's processEvents) answer too: they are a return to the loop.

#include <QObject>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace orlenth {

class TStallWatch {
public:
    using Millis = std::chrono::milliseconds;
    static constexpr Millis kSample{10};
    static constexpr Millis kThreshold{50};

    // Watches the thread that makes it, whose event loop must be a Qt one. `log`, when
    // given, gets a line for each stall as it ends and, at the watch's end, the longest that
    // ended.
    explicit TStallWatch(std::FILE* log = nullptr);
    // Stops the watcher thread (it is joined; it never waits for the watched thread).
    ~TStallWatch();
    TStallWatch(const TStallWatch&) = delete;
    TStallWatch& operator=(const TStallWatch&) = delete;

    // The longest stall since the start or the last Reset, counting one still going; zero
    // when none passed kThreshold.
    Millis Longest() const;
    // The stalls that ended since the start or the last Reset, in the order they ended.
    std::vector<Millis> Stalls() const;
    // Forgets the stalls so far (a ping in flight is timed afresh from now).
    void Reset();

private:
    using Clock = std::chrono::steady_clock;
    class Answerer;
    void Watch();
    void Answered();
    // The wait since sent_, less the watched thread's run delay since then.
    Millis HeldSince(Clock::time_point now) const;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    bool pending_ = false;
    Clock::time_point sent_;
    std::chrono::nanoseconds delaySent_{-1}; // the watched thread's run delay at sent_
    int thread_;                             // the watched thread's id
    std::vector<Millis> stalls_;
    Millis ongoing_{0};
    std::FILE* log_;
    std::unique_ptr<Answerer> answerer_;
    std::thread watcher_;
};

// The watch the environment asks for: with ORLENTH_STALL_REPORT=1 a watch on the window's
// thread that logs to standard error; otherwise nothing.
std::unique_ptr<TStallWatch> StallWatchFromEnvironment();

} // namespace orlenth
