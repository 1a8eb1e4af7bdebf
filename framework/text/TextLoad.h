#pragma once
// A text that arrives over time: a producer on a thread of its own writes it, in order,
// into a buffer given up front, while others wrap and show what has come.

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <string_view>
#include <thread>

namespace orlenth::text {

// What a producer sees of the load it fills.
class TextSink {
public:
    virtual ~TextSink() = default;
    // The buffer and its size: the text can never be longer.
    virtual char* data() = 0;
    virtual std::size_t capacity() const = 0;
    // The first `total` bytes are final and may be read; `total` never goes back.
    virtual void publish(std::size_t total) = 0;
    // Whether the load was given up: the producer should return soon.
    virtual bool cancelled() const = 0;
};

// How a text is filled: the buffer (its size the most the text may take), how many of
// its bytes are already the text's, and the producer that writes the rest. A producer that
// throws ends the text where it had published; the error is kept for the owner to report.
struct TextFeed {
    QByteArray buffer;
    std::size_t ready = 0;
    std::function<void(TextSink&)> produce; // empty: the first `ready` bytes are all
};

class TextLoad final : private TextSink {
public:
    // Starts the producer at once (when there is one).
    explicit TextLoad(TextFeed feed);
    // Gives up a load still running and waits for its producer.
    ~TextLoad() override;
    TextLoad(const TextLoad&) = delete;
    TextLoad& operator=(const TextLoad&) = delete;

    // The bytes so far; bytes below available() never change. Safe from any thread.
    const char* bytes() const { return bytes_; }
    std::size_t available() const { return available_.load(std::memory_order_acquire); }
    bool loaded() const { return loaded_.load(std::memory_order_acquire); }
    // The buffer's size: the text can never be longer.
    std::size_t capacity() const override { return capacity_; }
    // Waits until more than `have` bytes are there, the load ended, or `stop` is set (it
    // is looked at every few milliseconds, and at once after wakeWaiters).
    void waitBeyond(std::size_t have, const std::atomic<bool>& stop) const;
    // Makes every waitBeyond look at its `stop` now: whoever sets one calls this, so that a
    // reader waiting for a slow producer stops without waiting for its next look.
    void wakeWaiters() const;
    void waitLoaded();
    // The whole text, once loaded (waits for that). Owner's thread only.
    QByteArray& finalText();
    // The producer's error, once loaded; null when none.
    std::exception_ptr error() const;

private:
    char* data() override { return writable_; }
    void publish(std::size_t total) override;
    bool cancelled() const override { return cancelled_.load(std::memory_order_relaxed); }

    QByteArray buffer_;
    const char* bytes_;
    char* writable_ = nullptr; // only while a producer writes
    std::size_t capacity_;
    std::atomic<std::size_t> available_;
    std::atomic<bool> loaded_{false};
    std::atomic<bool> cancelled_{false};
    bool trimmed_ = false;
    std::exception_ptr error_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_; // waited on by readers of a const load too
    std::thread producer_;
};

} // namespace orlenth::text
