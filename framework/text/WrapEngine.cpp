#include "framework/text/WrapEngine.h"

#include "framework/Errors.h"
#include "framework/text/BackgroundThread.h"
#include "framework/text/WrapJob.h"
#include "framework/text/WrapSpan.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace orlenth::text {

namespace {

void refuseOversize(std::size_t bytes) {
    if (bytes > kMemoCapacity) throw EOutOfResources(formatMessage(Msg::MemoCapacity));
}

unsigned workerCount() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
}

// The wrap at once measures the characters its table leaves out itself, on the owner's
// thread. Each script met for the first time may load a fallback face, tens of
// milliseconds each, so a text of many scripts (one read in the wrong encoding, say) could
// hold the window's thread for as long as it has scripts: past kAtOnceMeasureBudget of
// measuring, the wrap at once stops at its line's start and the job goes on from there,
// its questions answered one turn of the event loop at a time (MeasureDesk). The lines are
// the same either way.
constexpr std::chrono::milliseconds kAtOnceMeasureBudget{20};

class MeasureWithinBudget final : public SlowMeasure {
public:
    MeasureWithinBudget(const GbkMetrics& metrics, std::atomic<bool>& over)
        : metrics_(metrics), over_(over), start_(std::chrono::steady_clock::now()) {}
    GbkMetrics::Entry entryOf(char32_t codePoint) override {
        const GbkMetrics::Entry e = metrics_.of(codePoint);
        if (std::chrono::steady_clock::now() - start_ > kAtOnceMeasureBudget) over_ = true;
        return e;
    }

private:
    const GbkMetrics& metrics_;
    std::atomic<bool>& over_;
    std::chrono::steady_clock::time_point start_;
};

} // namespace

std::vector<DisplayLine> wrapText(std::string_view gbkText, double width,
                                  const GbkMetrics& metrics) {
    refuseOversize(gbkText.size());
    std::vector<std::uint32_t> starts;
    starts.reserve(gbkText.size() / 16 + 1);
    wrapSpan(gbkText, {0, gbkText.size(), true}, widthUnitsOf(width), metrics, nullptr, starts);
    std::vector<DisplayLine> lines(starts.size());
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t next = i + 1 < starts.size() ? starts[i + 1] : gbkText.size();
        lines[i] = {starts[i],
                    static_cast<std::uint32_t>(lineEndOf(gbkText, starts[i], next) - starts[i])};
    }
    return lines;
}

WrapEngine::WrapEngine(const QFont& font, int width)
    : text_(std::make_shared<TextLoad>(TextFeed{})), width_(width) {
    setFont(font);
}

WrapEngine::~WrapEngine() {
    // The workers read the metrics and the index: they stop first.
    job_.reset();
}

void WrapEngine::restart() {
    job_.reset();
    dirty_ = true;
}

void WrapEngine::setText(QByteArray gbkText) {
    refuseOversize(static_cast<std::size_t>(gbkText.size()));
    const auto size = static_cast<std::size_t>(gbkText.size());
    setText(TextFeed{std::move(gbkText), size, {}});
}

void WrapEngine::setText(TextFeed feed) {
    refuseOversize(feed.ready);
    restart();
    // The old text and its lines go before the new one is read: for a big novel they are
    // hundreds of megabytes, and freeing them takes longer than a frame, so another
    // thread does it (the workers that read them have stopped).
    releaseInBackground(std::shared_ptr<const LineIndex>(std::move(lines_)));
    releaseInBackground(std::move(text_));
    text_ = std::make_shared<TextLoad>(std::move(feed));
    errorTaken_ = false;
}

QByteArray WrapEngine::text() {
    return text_->finalText();
}

void WrapEngine::setWidth(int widthPx) {
    if (widthPx == width_) return;
    width_ = widthPx;
    restart();
}

void WrapEngine::setFont(const QFont& font) {
    if (cache_ && cache_->font() == font) return;
    restart();
    // The table refers to the cache, and the desk to the table, so they go first.
    desk_.reset();
    metrics_.reset();
    cache_ = std::make_unique<AdvanceCache>(font);
    remeasure();
}

void WrapEngine::setFlow(Flow flow) {
    if (flow == flow_) return;
    flow_ = flow;
    restart();
    // The advances are the cache's either way: only the table is built again.
    desk_.reset();
    metrics_.reset();
    remeasure();
}

void WrapEngine::remeasure() {
    metrics_ = std::make_unique<GbkMetrics>(*cache_, flow_);
    desk_ = std::make_unique<MeasureDesk>(*metrics_);
}

void WrapEngine::ensureStarted() {
    if (!dirty_) return;
    dirty_ = false;
    lines_.reset();
    lines_ = std::make_unique<LineIndex>(static_cast<std::size_t>(text_->capacity()) + 1);
    // Once loaded, the bytes available are all there will be.
    const bool loaded = text_->loaded();
    const std::size_t available = text_->available();
    const std::int64_t units = widthUnitsOf(width_);
    std::vector<std::uint32_t> starts;
    starts.reserve(std::min(available, kWrapAtOnceBytes) / 16 + 1);
    std::atomic<bool> overBudget = false;
    MeasureWithinBudget measure(*metrics_, overBudget);
    const std::size_t resume = wrapSpan(std::string_view(text_->bytes(), available),
                                        {0, available, loaded, kWrapAtOnceBytes, &overBudget},
                                        units, *metrics_, &measure, starts);
    lines_->append(starts.data(), starts.size());
    wrappedTo_ = resume;
    if (loaded && resume >= available) return;
    job_ = WrapJob::start({text_, resume, units, metrics_.get(), desk_.get(), lines_.get(),
                           [this] {
                               if (onProgress_) onProgress_();
                           }},
                          workerCount());
}

bool WrapEngine::wrapped() {
    ensureStarted();
    return !job_ || job_->finished();
}

std::size_t WrapEngine::linesSoFar() {
    ensureStarted();
    return lines_->size();
}

std::size_t WrapEngine::lineCount() {
    ensureStarted();
    if (job_) job_->waitUntil([] { return false; });
    return lines_->size();
}

void WrapEngine::waitForLine(std::size_t i) {
    ensureStarted();
    if (job_ && i >= lines_->size()) job_->waitUntil([&] { return i < lines_->size(); });
    if (i >= lines_->size()) throw EListError::indexOutOfBounds(static_cast<std::int64_t>(i));
}

std::pair<std::size_t, std::size_t> WrapEngine::published() {
    if (!job_) return {lines_->size(), wrappedTo_};
    return job_->published();
}

std::uint32_t WrapEngine::lineStart(std::size_t i) {
    waitForLine(i);
    return (*lines_)[i];
}

QByteArray WrapEngine::line(std::size_t i) {
    waitForLine(i);
    const std::size_t start = (*lines_)[i];
    // The last line so far ends where the lines end; any other where the next begins.
    std::size_t next = 0;
    if (i + 1 < lines_->size()) {
        next = (*lines_)[i + 1];
    } else {
        const auto [count, end] = published();
        next = i + 1 < count ? (*lines_)[i + 1] : end;
    }
    const std::string_view text(text_->bytes(), next);
    std::size_t length = lineEndOf(text, start, next) - start;
    if (length > kMaxLineTextBytes) {
        // Walk whole characters so that the cut never halves one.
        const char* const begin = text.data() + start;
        const char* const end = begin + length;
        const GbkDecoder& decoder = GbkDecoder::instance();
        std::size_t kept = 0;
        for (const char* p = begin; p < end;) {
            const std::uint8_t step = decoder.next(p, end).length;
            if (kept + step > kMaxLineTextBytes) break;
            kept += step;
            p += step;
        }
        length = kept;
    }
    return QByteArray(text.data() + start, static_cast<qsizetype>(length));
}

std::size_t WrapEngine::lineAt(std::uint32_t offset) {
    ensureStarted();
    if (job_) job_->waitUntil([&] { return job_->covered() > offset; });
    return lines_->lineAt(offset, lines_->size());
}

std::exception_ptr WrapEngine::takeLoadError() {
    if (errorTaken_ || !text_->loaded()) return nullptr;
    std::exception_ptr e = text_->error();
    if (e) errorTaken_ = true;
    return e;
}

} // namespace orlenth::text
