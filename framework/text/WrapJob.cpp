#include "framework/text/WrapJob.h"

#include "framework/text/BackgroundThread.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <chrono>

namespace orlenth::text {

namespace {

// Big enough that a segment's bookkeeping is lost in its wrapping, small enough that the
// first of them comes soon and both cores share the tail.
constexpr std::size_t kSegmentBytes = std::size_t{1} << 20;
// Segments wrapped ahead of the one the index waits for: bounds what is held unpublished.
constexpr std::size_t kAhead = 8;
// The page hears of new lines at most this often.
constexpr std::int64_t kProgressEveryMs = 40;

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

// One worker's way to the desk: what it was told once it keeps to itself, so that a
// character met again costs no lock.
class WrapJob::Asker final : public SlowMeasure {
public:
    explicit Asker(WrapJob& job) : job_(job) {}

    GbkMetrics::Entry entryOf(char32_t c) override {
        if (const auto it = known_.find(c); it != known_.end()) return it->second;
        const GbkMetrics::Entry e = job_.setup_.desk->ask(
            c,
            [this] {
                job_.changed_.notify_all();
                job_.post();
            },
            job_.cancelled_);
        known_.emplace(c, e);
        return e;
    }

private:
    WrapJob& job_;
    std::unordered_map<char32_t, GbkMetrics::Entry> known_;
};

WrapJob::WrapJob(Setup setup)
    : setup_(std::move(setup)), covered_(setup_.resume), nextFrom_(setup_.resume),
      scanFrom_(setup_.resume) {}

std::shared_ptr<WrapJob> WrapJob::start(Setup setup, unsigned workers) {
    std::shared_ptr<WrapJob> job(new WrapJob(std::move(setup)));
    for (unsigned i = 0; i < std::max(workers, 1u); ++i)
        job->workers_.emplace_back([raw = job.get()] { raw->work(); });
    return job;
}

WrapJob::~WrapJob() {
    cancel();
}

void WrapJob::cancel() {
    {
        const std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    changed_.notify_all();
    setup_.desk->wakeAll();
    for (std::thread& t : workers_)
        if (t.joinable()) t.join();
}

bool WrapJob::takeSegment(std::unique_lock<std::mutex>& lock, std::size_t& index, std::size_t& from,
                          std::size_t& to, bool& last) {
    TextLoad& text = *setup_.text;
    for (;;) {
        if (cancelled_ || allTaken_) return false;
        if (nextIndex_ - published_ >= kAhead) {
            changed_.wait(lock);
            continue;
        }
        // Once loaded, the bytes available are all there will be.
        const bool loaded = text.loaded();
        const std::size_t available = text.available();
        const char* const bytes = text.bytes();
        std::size_t end = 0;
        // The first line break at or after the target ends the segment, with the LF of a
        // CR LF; a CR at the edge of what has come waits to see what follows it.
        for (std::size_t p = std::max(scanFrom_, nextFrom_ + kSegmentBytes); p < available; ++p) {
            const char c = bytes[p];
            if (c != '\r' && c != '\n') continue;
            if (c == '\n') {
                end = p + 1;
            } else if (p + 1 < available) {
                end = p + 1 + (bytes[p + 1] == '\n' ? 1 : 0);
            } else if (loaded) {
                end = p + 1;
            } else {
                scanFrom_ = p;
                break;
            }
            break;
        }
        if (end == 0 && loaded) end = available;
        if (end == 0) {
            if (scanFrom_ < available && bytes[available - 1] != '\r') scanFrom_ = available;
            lock.unlock();
            text.waitBeyond(available, cancelled_);
            lock.lock();
            continue;
        }
        index = nextIndex_++;
        from = nextFrom_;
        to = end;
        last = loaded && end == available;
        nextFrom_ = scanFrom_ = end;
        if (last) allTaken_ = true;
        return true;
    }
}

void WrapJob::work() {
    yieldToForeground();
    Asker asker(*this);
    std::unique_lock lock(mutex_);
    try {
        std::size_t index = 0, from = 0, to = 0;
        bool last = false;
        while (takeSegment(lock, index, from, to, last)) {
            lock.unlock();
            std::vector<std::uint32_t> starts;
            starts.reserve((to - from) / 32 + 1);
            // Every segment ends just after a line break or at the text's end, so nothing
            // in it is cut off.
            wrapSpan(std::string_view(setup_.text->bytes(), to), {from, to, true},
                     setup_.widthUnits, *setup_.metrics, &asker, starts);
            lock.lock();
            waiting_[index] = {std::move(starts), to};
            for (auto it = waiting_.begin(); it != waiting_.end() && it->first == published_;
                 it = waiting_.erase(it)) {
                setup_.lines->append(it->second.first.data(), it->second.first.size());
                covered_.store(it->second.second, std::memory_order_release);
                ++published_;
            }
            if (allTaken_ && published_ == nextIndex_) finished_.store(true);
            changed_.notify_all();
            const bool done = finished_.load();
            lock.unlock();
            if (done || nowMs() - lastPost_.load() >= kProgressEveryMs) post();
            lock.lock();
        }
    } catch (const MeasureDesk::Cancelled&) {
        if (!lock.owns_lock()) lock.lock();
    } catch (...) {
        // Out of memory, say: the lines so far stay, and the job counts as done.
        if (!lock.owns_lock()) lock.lock();
        cancelled_ = true;
        finished_.store(true);
        changed_.notify_all();
    }
}

void WrapJob::post() {
    if (posted_.exchange(true)) return;
    lastPost_ = nowMs();
    QCoreApplication* const app = QCoreApplication::instance();
    if (!app) return;
    QMetaObject::invokeMethod(
        app,
        [weak = weak_from_this()] {
            if (const std::shared_ptr<WrapJob> job = weak.lock()) {
                job->posted_ = false;
                job->serve();
                if (job->setup_.onProgress) job->setup_.onProgress();
            }
        },
        Qt::QueuedConnection);
}

std::pair<std::size_t, std::size_t> WrapJob::published() {
    const std::lock_guard lock(mutex_);
    return {setup_.lines->size(), covered_.load()};
}

void WrapJob::serve() {
    setup_.desk->serve();
}

void WrapJob::waitUntil(const std::function<bool()>& ready) {
    std::unique_lock lock(mutex_);
    while (!ready() && !finished_.load() && !cancelled_.load()) {
        lock.unlock();
        serve();
        lock.lock();
        changed_.wait_for(lock, std::chrono::milliseconds(2));
    }
}

} // namespace orlenth::text
