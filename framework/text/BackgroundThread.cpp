#include "framework/text/BackgroundThread.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#if defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace orlenth::text {

void yieldToForeground() {
#if defined(__linux__)
    // On Linux a thread is a task with a nice value of its own. A gentle step: the
    // workers must still get on when the user waits for them (a jump far down the text).
    constexpr int kNice = 5;
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    const int current = ::getpriority(PRIO_PROCESS, tid);
    if (current < kNice) ::setpriority(PRIO_PROCESS, tid, kNice);
#endif
}

namespace {

// One thread for the whole program, made on first use and joined when static objects are
// destroyed at exit, after it has let go of everything handed to it.
class Releaser {
public:
    Releaser()
        : thread_([this] {
              yieldToForeground();
              std::unique_lock lock(mutex_);
              for (;;) {
                  changed_.wait(lock, [this] { return stop_ || !things_.empty(); });
                  if (things_.empty()) return;
                  std::shared_ptr<const void> thing = std::move(things_.front());
                  things_.pop_front();
                  lock.unlock();
                  thing.reset();
                  lock.lock();
              }
          }) {}

    ~Releaser() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    void add(std::shared_ptr<const void> thing) {
        {
            const std::lock_guard lock(mutex_);
            things_.push_back(std::move(thing));
        }
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<const void>> things_;
    bool stop_ = false;
    std::thread thread_; // last: it uses the members above
};

// Joins its thread when let go of, then lets go of what it keeps.
class Joiner {
public:
    Joiner(std::thread thread, std::shared_ptr<const void> keep)
        : thread_(std::move(thread)), keep_(std::move(keep)) {}
    ~Joiner() {
        if (thread_.joinable()) thread_.join();
    }
    Joiner(const Joiner&) = delete;
    Joiner& operator=(const Joiner&) = delete;

private:
    std::thread thread_;
    std::shared_ptr<const void> keep_; // let go of after the join: the thread may use it
};

} // namespace

void joinInBackground(std::thread thread, std::shared_ptr<const void> keep) {
    if (!thread.joinable() && !keep) return;
    releaseInBackground(std::make_shared<Joiner>(std::move(thread), std::move(keep)));
}

void releaseInBackground(std::shared_ptr<const void> thing) {
    if (!thing) return;
    static Releaser releaser;
    releaser.add(std::move(thing));
}

} // namespace orlenth::text
