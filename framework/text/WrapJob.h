#pragma once
// Wrapping the rest of a long text on worker threads while the page already shows its start.

#include "framework/text/GbkMetrics.h"
#include "framework/text/LineIndex.h"
#include "framework/text/MeasureDesk.h"
#include "framework/text/TextLoad.h"
#include "framework/text/WrapSpan.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace orlenth::text {

// Every line break is a place where wrapping can start afresh, so the text after `resume`
// is cut at line breaks into segments of about a megabyte that the workers wrap side by
// side; their lines are appended to the index strictly in text order. Characters that the
// metrics table leaves out are measured on the owner's thread (the font belongs to it):
// a worker asks and waits, and the owner answers in serve(), which it runs from the event
// loop (a queued call) and while it waits for lines itself.
class WrapJob : public std::enable_shared_from_this<WrapJob> {
public:
    struct Setup {
        std::shared_ptr<TextLoad> text;
        std::size_t resume = 0; // where the lines already in the index end
        std::int64_t widthUnits = 0;
        const GbkMetrics* metrics = nullptr; // the owner's; outlives the job
        MeasureDesk* desk = nullptr;         // likewise, for the same metrics
        LineIndex* lines = nullptr;          // likewise
        std::function<void()> onProgress;    // on the owner's thread, from its event loop
    };
    static std::shared_ptr<WrapJob> start(Setup setup, unsigned workers);
    // Stops the workers and waits for them: each looks at the request every
    // kCancelCheckBytes of text it wraps or searches and every few thousand lines it
    // publishes, and one waiting for more of an arriving text is woken, so this takes a
    // fraction of a millisecond. The lines published so far stay (the last segment's
    // perhaps only in part), and a cancelled job publishes no more: its index is to be
    // dropped.
    ~WrapJob();
    void cancel();

    // Owner's thread.
    bool finished() const { return finished_.load(std::memory_order_acquire); }
    // The bytes of the text that the published lines cover: the next line starts there.
    std::size_t covered() const { return covered_.load(std::memory_order_acquire); }
    // Waits until `ready` holds or the job finished, answering measuring requests.
    void waitUntil(const std::function<bool()>& ready);
    // The lines published and the bytes they cover, taken together.
    std::pair<std::size_t, std::size_t> published();
    void serve();

private:
    class Asker;
    // A segment's lines until their turn to be published: the gaps between starts as
    // variable-length numbers, a run of equal gaps as one, so that a megabyte of empty lines
    // waits in a few bytes and one of short lines in about a byte a line.
    struct Pending {
        std::string gaps;
        std::uint32_t from = 0;
        std::size_t to = 0;
    };
    explicit WrapJob(Setup setup);
    void work();
    bool takeSegment(std::unique_lock<std::mutex>& lock, std::size_t& index, std::size_t& from,
                     std::size_t& to, bool& last);
    // Wraps the segment into `out`; false when cancelled meanwhile.
    bool wrapSegment(std::size_t from, std::size_t to, Asker& asker,
                     std::vector<std::uint32_t>& scratch, Pending& out);
    // Under mutex_: appends the segment's lines; false when cancelled meanwhile.
    bool publish(const Pending& pending);
    void post();

    Setup setup_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};
    std::atomic<std::size_t> covered_;
    std::atomic<bool> posted_{false};
    std::atomic<std::int64_t> lastPost_{0};
    // Under mutex_:
    std::size_t nextFrom_;
    std::size_t scanFrom_ = 0; // where the search for the next segment's end goes on
    std::size_t nextIndex_ = 0;
    std::size_t published_ = 0;
    bool allTaken_ = false;
    bool scanning_ = false; // a worker looks for the next segment's end, unlocked
    std::map<std::size_t, Pending> waiting_;
    std::vector<std::thread> workers_;
};

} // namespace orlenth::text
