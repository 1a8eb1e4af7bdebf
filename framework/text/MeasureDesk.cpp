#include "framework/text/MeasureDesk.h"

#include <algorithm>

namespace orlenth::text {

GbkMetrics::Entry MeasureDesk::ask(char32_t c, const std::function<void()>& wake,
                                   const std::atomic<bool>& stop) {
    std::unique_lock lock(mutex_);
    if (const auto it = answers_.find(c); it != answers_.end()) return it->second;
    if (std::find(asked_.begin(), asked_.end(), c) == asked_.end()) asked_.push_back(c);
    lock.unlock();
    wake();
    lock.lock();
    answered_.wait(lock, [&] { return answers_.contains(c) || stop.load(); });
    const auto it = answers_.find(c);
    if (it == answers_.end()) throw Cancelled{};
    return it->second;
}

void MeasureDesk::wakeAll() {
    { const std::lock_guard lock(mutex_); }
    answered_.notify_all();
}

void MeasureDesk::serve() {
    std::vector<char32_t> asked;
    {
        const std::lock_guard lock(mutex_);
        asked.swap(asked_);
    }
    if (asked.empty()) return;
    std::vector<std::pair<char32_t, GbkMetrics::Entry>> found;
    found.reserve(asked.size());
    for (const char32_t c : asked) found.emplace_back(c, metrics_.of(c));
    {
        const std::lock_guard lock(mutex_);
        answers_.insert(found.begin(), found.end());
    }
    answered_.notify_all();
}

} // namespace orlenth::text
