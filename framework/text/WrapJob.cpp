#include "framework/text/WrapJob.h"

#include "framework/text/BackgroundThread.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <cstring>

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
    // Set before the lock is taken: a worker that holds it while it publishes looks at the
    // flag and lets go soon.
    cancelled_.store(true);
    { const std::lock_guard lock(mutex_); }
    changed_.notify_all();
    setup_.desk->wakeAll();
    // A worker waiting for more of a slowly arriving text (one being converted by phrase)
    // would otherwise hear of the request only at its next look, milliseconds later.
    if (setup_.text) setup_.text->wakeWaiters();
    for (std::thread& t : workers_)
        if (t.joinable()) t.join();
}

namespace {

struct SegmentEnd {
    std::size_t end = 0;      // just past the break that ends the segment; 0: none yet
    std::size_t scanFrom = 0; // where the search goes on when none was found
    bool cancelled = false;
};

// The first line break at or after `from` ends the segment, with the LF of a CR LF; a CR at
// the edge of what has come waits to see what follows it. Once loaded, the bytes available
// are all there will be.
SegmentEnd findSegmentEnd(const char* bytes, std::size_t from, std::size_t available, bool loaded,
                          const std::atomic<bool>& cancelled) {
    SegmentEnd r;
    r.scanFrom = from;
    for (std::size_t p = from; p < available;) {
        if (cancelled.load(std::memory_order_relaxed)) {
            r.cancelled = true;
            return r;
        }
        const std::size_t stop = std::min(available, p + kCancelCheckBytes);
        const auto* lf = static_cast<const char*>(std::memchr(bytes + p, '\n', stop - p));
        const auto* cr = static_cast<const char*>(std::memchr(bytes + p, '\r', stop - p));
        if (!lf && !cr) {
            p = stop;
            continue;
        }
        const std::size_t q = static_cast<std::size_t>((!cr || (lf && lf < cr) ? lf : cr) - bytes);
        if (bytes[q] == '\n') {
            r.end = q + 1;
        } else if (q + 1 < available) {
            r.end = q + 1 + (bytes[q + 1] == '\n' ? 1 : 0);
        } else if (loaded) {
            r.end = q + 1;
        } else {
            r.scanFrom = q;
            return r;
        }
        return r;
    }
    if (loaded) {
        r.end = available;
    } else if (r.scanFrom < available && bytes[available - 1] != '\r') {
        r.scanFrom = available;
    }
    return r;
}

// Gaps are written as (gap << 1 | run) in 7-bit groups, a run followed by its length.
void putNumber(std::string& out, std::uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<char>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<char>(v));
}

std::uint64_t getNumber(const std::string& in, std::size_t& at) {
    std::uint64_t v = 0;
    for (unsigned shift = 0;; shift += 7) {
        const auto b = static_cast<std::uint8_t>(in[at++]);
        v |= std::uint64_t{b & 0x7Fu} << shift;
        if (b < 0x80) return v;
    }
}

void putGaps(std::string& out, std::uint32_t& last, const std::vector<std::uint32_t>& starts) {
    for (std::size_t i = 0; i < starts.size();) {
        const std::uint32_t gap = starts[i] - last;
        std::size_t run = 1;
        while (i + run < starts.size() && starts[i + run] - starts[i + run - 1] == gap) ++run;
        if (run == 1) {
            putNumber(out, std::uint64_t{gap} << 1);
        } else {
            putNumber(out, std::uint64_t{gap} << 1 | 1);
            putNumber(out, run);
        }
        i += run;
        last = starts[i - 1];
    }
}

} // namespace

bool WrapJob::takeSegment(std::unique_lock<std::mutex>& lock, std::size_t& index, std::size_t& from,
                          std::size_t& to, bool& last) {
    TextLoad& text = *setup_.text;
    for (;;) {
        if (cancelled_ || allTaken_) return false;
        if (nextIndex_ - published_ >= kAhead || scanning_) {
            changed_.wait(lock);
            continue;
        }
        const bool loaded = text.loaded();
        const std::size_t available = text.available();
        // The search runs unlocked (a text without breaks is searched to its end): the
        // others wait for it, and nothing it reads changes meanwhile.
        scanning_ = true;
        lock.unlock();
        const SegmentEnd found =
            findSegmentEnd(text.bytes(), std::max(scanFrom_, nextFrom_ + kSegmentBytes), available,
                           loaded, cancelled_);
        lock.lock();
        scanning_ = false;
        changed_.notify_all();
        if (found.cancelled) return false;
        if (found.end == 0) {
            scanFrom_ = found.scanFrom;
            lock.unlock();
            text.waitBeyond(available, cancelled_);
            lock.lock();
            continue;
        }
        index = nextIndex_++;
        from = nextFrom_;
        to = found.end;
        last = loaded && to == available;
        nextFrom_ = scanFrom_ = to;
        if (last) allTaken_ = true;
        return true;
    }
}

bool WrapJob::wrapSegment(std::size_t from, std::size_t to, Asker& asker,
                          std::vector<std::uint32_t>& scratch, Pending& out) {
    // In pieces, so that the starts are packed as they come and never wait four bytes each.
    // Every segment ends just after a line break or at the text's end, so nothing in it is
    // cut off.
    const std::string_view text(setup_.text->bytes(), to);
    out.from = static_cast<std::uint32_t>(from);
    out.to = to;
    std::uint32_t last = out.from;
    for (std::size_t at = from; at < to;) {
        scratch.clear();
        at = wrapSpan(text, {at, to, true, at + kCancelCheckBytes, &cancelled_}, setup_.widthUnits,
                      *setup_.metrics, &asker, scratch);
        if (cancelled_.load(std::memory_order_relaxed)) return false;
        putGaps(out.gaps, last, scratch);
    }
    return true;
}

bool WrapJob::publish(const Pending& pending) {
    constexpr std::size_t kBatch = 4096;
    std::uint32_t batch[kBatch];
    std::size_t n = 0;
    std::uint32_t start = pending.from;
    for (std::size_t at = 0; at < pending.gaps.size();) {
        const std::uint64_t word = getNumber(pending.gaps, at);
        const auto gap = static_cast<std::uint32_t>(word >> 1);
        std::uint64_t run = word & 1 ? getNumber(pending.gaps, at) : 1;
        while (run-- > 0) {
            start += gap;
            batch[n++] = start;
            if (n == kBatch) {
                if (cancelled_.load(std::memory_order_relaxed)) return false;
                setup_.lines->append(batch, n);
                n = 0;
            }
        }
    }
    setup_.lines->append(batch, n);
    covered_.store(pending.to, std::memory_order_release);
    return true;
}

void WrapJob::work() {
    yieldToForeground();
    Asker asker(*this);
    std::vector<std::uint32_t> scratch;
    std::unique_lock lock(mutex_);
    try {
        std::size_t index = 0, from = 0, to = 0;
        bool last = false;
        while (takeSegment(lock, index, from, to, last)) {
            lock.unlock();
            Pending pending;
            const bool whole = wrapSegment(from, to, asker, scratch, pending);
            lock.lock();
            if (!whole) break;
            waiting_[index] = std::move(pending);
            for (auto it = waiting_.begin(); it != waiting_.end() && it->first == published_;
                 it = waiting_.erase(it)) {
                if (cancelled_ || !publish(it->second)) break;
                ++published_;
            }
            if (cancelled_) break;
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
