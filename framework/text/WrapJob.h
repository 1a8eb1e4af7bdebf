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
    // Stops the workers (between segments or at a measuring request) and waits for them.
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
    explicit WrapJob(Setup setup);
    void work();
    bool takeSegment(std::unique_lock<std::mutex>& lock, std::size_t& index, std::size_t& from,
                     std::size_t& to, bool& last);
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
    std::map<std::size_t, std::pair<std::vector<std::uint32_t>, std::size_t>> waiting_;
    std::vector<std::thread> workers_;
};

} // namespace orlenth::text
