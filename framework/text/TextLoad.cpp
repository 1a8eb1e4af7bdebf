#include "framework/text/TextLoad.h"

#include "framework/text/BackgroundThread.h"

#include <algorithm>
#include <chrono>

namespace orlenth::text {

TextLoad::TextLoad(TextFeed feed)
    : buffer_(std::move(feed.buffer)), bytes_(buffer_.constData()),
      capacity_(static_cast<std::size_t>(buffer_.size())),
      available_(std::min(feed.ready, capacity_)) {
    if (!feed.produce) {
        // A whole text is only read: asking for writable bytes would copy a shared one.
        loaded_ = true;
        return;
    }
    writable_ = buffer_.data();
    bytes_ = writable_;
    producer_ = std::thread([this, produce = std::move(feed.produce)] {
        yieldToForeground();
        std::exception_ptr error;
        try {
            produce(*this);
        } catch (...) {
            error = std::current_exception();
        }
        {
            const std::lock_guard lock(mutex_);
            error_ = error;
            loaded_.store(true, std::memory_order_release);
        }
        changed_.notify_all();
    });
}

TextLoad::~TextLoad() {
    cancelled_ = true;
    if (producer_.joinable()) producer_.join();
}

void TextLoad::publish(std::size_t total) {
    {
        const std::lock_guard lock(mutex_);
        if (total > capacity_ || total < available_.load(std::memory_order_relaxed)) return;
        available_.store(total, std::memory_order_release);
    }
    changed_.notify_all();
}

void TextLoad::waitBeyond(std::size_t have, const std::atomic<bool>& stop) const {
    std::unique_lock lock(mutex_);
    while (available_.load(std::memory_order_relaxed) <= have && !loaded_.load() && !stop.load())
        changed_.wait_for(lock, std::chrono::milliseconds(5));
}

void TextLoad::wakeWaiters() const {
    // Through the lock: a waiter between looking at its flag and waiting hears this too.
    { const std::lock_guard lock(mutex_); }
    changed_.notify_all();
}

void TextLoad::waitLoaded() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return loaded_.load(); });
}

QByteArray& TextLoad::finalText() {
    waitLoaded();
    if (producer_.joinable()) producer_.join();
    if (!trimmed_ && available() != static_cast<std::size_t>(buffer_.size())) {
        // Shrinking in place: the buffer is not shared yet, so nothing moves and readers
        // of the bytes on other threads are not disturbed.
        buffer_.resize(static_cast<qsizetype>(available()));
        trimmed_ = true;
    }
    return buffer_;
}

std::exception_ptr TextLoad::error() const {
    const std::lock_guard lock(mutex_);
    return error_;
}

} // namespace orlenth::text
