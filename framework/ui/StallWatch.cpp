#include "framework/ui/StallWatch.h"

#include <QCoreApplication>
#include <QEvent>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace orlenth {

namespace {

const QEvent::Type kPing = static_cast<QEvent::Type>(QEvent::registerEventType());

// How long thread `tid` of this process has waited on a run queue in all, the second
// figure of its schedstat; -1 when the kernel does not keep it.
std::chrono::nanoseconds RunDelay(int tid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/task/%d/schedstat", tid);
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::chrono::nanoseconds{-1};
    char text[128];
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0) return std::chrono::nanoseconds{-1};
    text[n] = '\0';
    unsigned long long running = 0, waiting = 0;
    if (std::sscanf(text, "%llu %llu", &running, &waiting) != 2)
        return std::chrono::nanoseconds{-1};
    return std::chrono::nanoseconds{static_cast<std::int64_t>(waiting)};
}

} // namespace

// Lives on the watched thread: the ping is answered there, when its loop gets to it.
class TStallWatch::Answerer final : public QObject {
public:
    explicit Answerer(TStallWatch& watch) : watch_(watch) {}
    bool event(QEvent* e) override {
        if (e->type() != kPing) return QObject::event(e);
        watch_.Answered();
        return true;
    }

private:
    TStallWatch& watch_;
};

TStallWatch::TStallWatch(std::FILE* log)
    : thread_(static_cast<int>(::gettid())), log_(log),
      answerer_(std::make_unique<Answerer>(*this)) {
    watcher_ = std::thread([this] { Watch(); });
}

TStallWatch::~TStallWatch() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    watcher_.join();
    // A ping still queued goes with its receiver.
    answerer_.reset();
    if (log_) {
        // Stalls that ended: the loop has, and a ping it left unanswered tells nothing.
        Millis longest{0};
        for (const Millis stall : stalls_) longest = std::max(longest, stall);
        std::fprintf(log_,
                     "orlenth: longest stall of the window's thread: %lld ms (%zu over %lld ms)\n",
                     static_cast<long long>(longest.count()), stalls_.size(),
                     static_cast<long long>(kThreshold.count()));
    }
}

void TStallWatch::Watch() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, kSample, [this] { return stop_; })) {
        const auto now = Clock::now();
        if (pending_) {
            // Not answered yet: a stall going on is counted as far as it has come.
            const Millis waited = HeldSince(now);
            ongoing_ = waited > kThreshold ? waited : Millis{0};
            continue;
        }
        pending_ = true;
        sent_ = now;
        delaySent_ = RunDelay(thread_);
        // Posted without the lock, which the answer takes.
        lock.unlock();
        QCoreApplication::postEvent(answerer_.get(), new QEvent(kPing));
        lock.lock();
    }
}

void TStallWatch::Answered() {
    std::lock_guard lock(mutex_);
    const Millis waited = HeldSince(Clock::now());
    pending_ = false;
    ongoing_ = Millis{0};
    if (waited <= kThreshold) return;
    stalls_.push_back(waited);
    if (log_)
        std::fprintf(log_, "orlenth: the window's thread stalled for %lld ms\n",
                     static_cast<long long>(waited.count()));
}

TStallWatch::Millis TStallWatch::HeldSince(Clock::time_point now) const {
    auto held = std::chrono::duration_cast<std::chrono::nanoseconds>(now - sent_);
    const std::chrono::nanoseconds delay = RunDelay(thread_);
    if (delaySent_.count() >= 0 && delay >= delaySent_) held -= delay - delaySent_;
    return std::chrono::duration_cast<Millis>(std::max(held, std::chrono::nanoseconds{0}));
}

TStallWatch::Millis TStallWatch::Longest() const {
    std::lock_guard lock(mutex_);
    Millis longest = ongoing_;
    for (const Millis s : stalls_) longest = std::max(longest, s);
    return longest;
}

std::vector<TStallWatch::Millis> TStallWatch::Stalls() const {
    std::lock_guard lock(mutex_);
    return stalls_;
}

void TStallWatch::Reset() {
    std::lock_guard lock(mutex_);
    stalls_.clear();
    ongoing_ = Millis{0};
    sent_ = Clock::now();
    delaySent_ = RunDelay(thread_);
}

std::unique_ptr<TStallWatch> StallWatchFromEnvironment() {
    const char* on = std::getenv("ORLENTH_STALL_REPORT");
    if (!on || std::strcmp(on, "1") != 0) return nullptr;
    return std::make_unique<TStallWatch>(stderr);
}

} // namespace orlenth
