#pragma once
// One background job at a time on a thread of its own, given up on request: the find
// bar's count and hit numbering, and 查找全部. A new job, Stop or destruction cancels the
// running one and waits for it, which takes as long as its next look at the flag (the
// searches look every megabyte or so).

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace orlenth {

class TSearchWorker {
public:
    using Job = std::function<void(const std::atomic<bool>& cancel)>;

    TSearchWorker() = default;
    ~TSearchWorker() { Stop(); }
    TSearchWorker(const TSearchWorker&) = delete;
    TSearchWorker& operator=(const TSearchWorker&) = delete;

    // Stops the job before and starts `job`.
    void Run(Job job);
    // Cancels the running job and waits for it to return.
    void Stop();

private:
    std::unique_ptr<std::atomic<bool>> cancel_;
    std::thread thread_;
};

} // namespace orlenth
