#pragma once
// Where wrap workers get the characters measured that their metrics table leaves out.

#include "framework/text/GbkMetrics.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace orlenth::text {

// The font belongs to the thread that made it, so only that thread measures. A worker asks
// and waits; the owner answers in serve(), from its event loop or while it waits for lines
// itself. Answers are kept for the life of the font, so each character is asked for once.
class MeasureDesk {
public:
    // Thrown to a worker whose wait was called off.
    struct Cancelled {};

    explicit MeasureDesk(const GbkMetrics& metrics) : metrics_(metrics) {}

    // Any thread. `wake` tells the owner that a question waits; `stop` calls the wait off
    // (then Cancelled), and wakeAll() makes waiters look at it.
    GbkMetrics::Entry ask(char32_t codePoint, const std::function<void()>& wake,
                          const std::atomic<bool>& stop);
    void wakeAll();
    // The owner's thread: answers every question waiting.
    void serve();

private:
    const GbkMetrics& metrics_;
    std::mutex mutex_;
    std::condition_variable answered_;
    std::vector<char32_t> asked_;
    std::unordered_map<char32_t, GbkMetrics::Entry> answers_;
};

} // namespace orlenth::text
