#include "app/SearchWorker.h"

namespace orlenth {

void TSearchWorker::Run(Job job) {
    Stop();
    cancel_ = std::make_unique<std::atomic<bool>>(false);
    thread_ = std::thread([job = std::move(job), cancel = cancel_.get()] { job(*cancel); });
}

void TSearchWorker::Stop() {
    if (cancel_) cancel_->store(true);
    if (thread_.joinable()) thread_.join();
    cancel_.reset();
}

} // namespace orlenth
