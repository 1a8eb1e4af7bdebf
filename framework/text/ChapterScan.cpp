#include "framework/text/ChapterScan.h"

#include "framework/text/BackgroundThread.h"
#include "framework/text/HeadingTools.h"
#include "framework/text/UserPattern.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string_view>
#include <vector>

namespace orlenth::text {

namespace {

struct RuleNames {
    HeadingRule rule;
    const char* key;
    const char* label; // UTF-8
};

constexpr std::array<RuleNames, kHeadingRuleCount> kRuleNames{{
    {HeadingRule::Zhang, "zhang", "第N章"},
    {HeadingRule::Hui, "hui", "第N回"},
    {HeadingRule::Jie, "jie", "第N节"},
    {HeadingRule::Juan, "juan", "第N卷"},
    {HeadingRule::Ji, "ji", "第N集"},
    {HeadingRule::Bu, "bu", "第N部"},
    {HeadingRule::Pian, "pian", "第N篇"},
    {HeadingRule::Named, "named", "序章、楔子、尾声、番外等"},
    {HeadingRule::English, "english", "Chapter N"},
}};

const QString kRulePrefix = QStringLiteral("rule:");
const QString kPatternPrefix = QStringLiteral("re:");

// Bytes handed to the scanner at a time: between two of them a stop is noticed.
constexpr std::size_t kFeedBytes = 1u << 20;
// Bytes a pattern is tried on at a time, and for how long at most, so that what it found
// (and how many lines gave up) is seen as it goes, however costly its lines are.
constexpr std::size_t kPatternChunkBytes = 4u << 20;
constexpr auto kPatternChunkTime = std::chrono::milliseconds(100);

} // namespace

QString HeadingRuleKey(HeadingRule rule) {
    const auto i = static_cast<std::size_t>(rule);
    return i < kRuleNames.size() ? QString::fromLatin1(kRuleNames[i].key) : QString();
}

QString HeadingRuleLabel(HeadingRule rule) {
    const auto i = static_cast<std::size_t>(rule);
    return i < kRuleNames.size() ? QString::fromUtf8(kRuleNames[i].label) : QString();
}

QString ChapterChoice::Stored() const {
    switch (kind) {
    case Kind::Automatic:
        return {};
    case Kind::Rule:
        return kRulePrefix + HeadingRuleKey(rule);
    case Kind::Pattern:
        return kPatternPrefix + pattern;
    }
    return {};
}

ChapterChoice ChapterChoice::Parse(const QString& stored) {
    ChapterChoice choice;
    if (stored.startsWith(kRulePrefix)) {
        const QString key = stored.mid(kRulePrefix.size());
        for (const RuleNames& r : kRuleNames)
            if (key == QLatin1String(r.key)) {
                choice.kind = Kind::Rule;
                choice.rule = r.rule;
            }
    } else if (stored.startsWith(kPatternPrefix) && stored.size() > kPatternPrefix.size()) {
        choice.kind = Kind::Pattern;
        choice.pattern = stored.mid(kPatternPrefix.size());
    }
    return choice;
}

// Everything the scan's thread touches. The thread holds it as long as it runs; the
// ChapterScan that started it holds it as long as it is asked for the list.
struct ChapterScan::Work {
    Work(std::shared_ptr<const TextLoad> text, ChapterChoice chosen, std::size_t bound)
        : load(std::move(text)), choice(std::move(chosen)), maxMatches(bound) {}

    void run();
    void runHeadings();
    void runPattern();
    bool stopped() const { return stop.load(std::memory_order_relaxed); }

    const std::shared_ptr<const TextLoad> load;
    const ChapterChoice choice;
    const std::size_t maxMatches;
    HeadingScanner scanner;
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    std::atomic<std::uint64_t> progress{0};
    std::atomic<std::uint64_t> fed{0};
    mutable std::mutex mutex; // guards the pattern's results
    std::vector<Heading> matches;
    std::uint64_t patternScanned = 0;
    std::uint64_t gaveUp = 0;
    bool stoppedEarly = false;
};

ChapterScan::ChapterScan(std::shared_ptr<const TextLoad> load, ChapterChoice choice,
                         std::size_t maxMatches)
    : choice_(choice), work_(std::make_shared<Work>(std::move(load), std::move(choice),
                                                    std::max<std::size_t>(maxMatches, 1))) {
    thread_ = std::thread([work = work_] { work->run(); });
}

ChapterScan::~ChapterScan() {
    work_->stop.store(true, std::memory_order_relaxed);
    // A scan waiting for more of a slowly arriving text (one converted by phrase) stops now,
    // not at its next look.
    if (work_->load) work_->load->wakeWaiters();
    // Another text on show does not wait for this one's scan, nor for its bytes to go.
    joinInBackground(std::move(thread_), std::move(work_));
}

const std::shared_ptr<const TextLoad>& ChapterScan::Load() const {
    return work_->load;
}

bool ChapterScan::Finished() const {
    return work_->finished.load(std::memory_order_acquire);
}

std::uint64_t ChapterScan::Progress() const {
    return work_->progress.load(std::memory_order_acquire);
}

void ChapterScan::Work::run() {
    yieldToForeground();
    if (!load) {
        scanner.Finish();
    } else if (choice.kind == ChapterChoice::Kind::Pattern) {
        runPattern();
    } else {
        runHeadings();
    }
    finished.store(!stopped(), std::memory_order_release);
    progress.fetch_add(1, std::memory_order_acq_rel);
}

void ChapterScan::Work::runHeadings() {
    std::size_t done = 0;
    while (!stopped()) {
        // Read before the bytes: a load that has ended has published all it will.
        const bool ended = load->loaded();
        const std::size_t available = load->available();
        while (done < available && !stopped()) {
            const std::size_t n = std::min(kFeedBytes, available - done);
            scanner.Feed(std::string_view(load->bytes() + done, n));
            done += n;
            fed.store(done, std::memory_order_release);
            progress.fetch_add(1, std::memory_order_acq_rel);
        }
        if (ended && done == available) {
            scanner.Finish();
            return;
        }
        load->waitBeyond(done, stop);
    }
}

void ChapterScan::Work::runPattern() {
    // Compiled here, not on the thread that asked: a thread has a pattern of its own.
    UserPattern pattern(choice.pattern);
    const TextLoad& text = *load;
    std::size_t done = 0;   // a line start: the lines before it were all tried
    std::size_t looked = 0; // no LF in [done, looked): a long line is looked through once
    while (!stopped()) {
        const bool ended = text.loaded();
        const std::size_t available = text.available();
        // Only whole lines while more may come: the last one may go on in the next piece.
        std::size_t end = available;
        if (!ended) {
            looked = std::max(looked, done);
            const char* const from = text.bytes() + looked;
            const char* const to = text.bytes() + available;
            const char* lf = nullptr;
            for (const char* p = to; p > from;) {
                --p;
                if (*p == '\n') {
                    lf = p;
                    break;
                }
            }
            end = lf ? static_cast<std::size_t>(lf - text.bytes()) + 1 : done;
            looked = available;
        }
        while (done < end && !stopped()) {
            std::size_t found;
            {
                const std::lock_guard lock(mutex);
                found = matches.size();
            }
            PatternLimits limits;
            limits.maxMatches = maxMatches + 1 - found; // one more tells "at least"
            limits.maxBytes = kPatternChunkBytes;
            limits.maxTime = kPatternChunkTime;
            const std::string_view lines(text.bytes() + done, end - done);
            const PatternScan part = ScanWithPattern(lines, pattern, limits, &stop);
            const std::lock_guard lock(mutex);
            gaveUp += part.gaveUp;
            for (Heading h : part.headings) {
                const std::uint64_t at = std::uint64_t{h.offset} + done;
                if (at > UINT32_MAX) break;
                h.offset = static_cast<std::uint32_t>(at);
                matches.push_back(h);
            }
            if (matches.size() > maxMatches) {
                matches.resize(maxMatches);
                stoppedEarly = true;
                patternScanned = done + part.scannedBytes;
                progress.fetch_add(1, std::memory_order_acq_rel);
                return;
            }
            if (part.stop == PatternScan::Stop::Asked) return;
            // A chunk ends at a line start past its bounds, or at the end of its text.
            done = part.stop == PatternScan::Stop::Done ? end : done + part.scannedBytes;
            patternScanned = done;
            progress.fetch_add(1, std::memory_order_acq_rel);
            if (done >= (std::size_t{1} << 32)) return; // offsets end there
        }
        if (ended && done >= available) return;
        text.waitBeyond(available, stop);
    }
}

ChapterList ChapterScan::Snapshot() const {
    const Work& work = *work_;
    ChapterList list;
    // First: a list copied after the end is all of it, one copied before may not be.
    list.finished = Finished();
    switch (choice_.kind) {
    case ChapterChoice::Kind::Automatic: {
        HeadingSnapshot snapshot = work.scanner.Snapshot();
        list.headings = std::move(snapshot.headings);
        list.scannedBytes = snapshot.scannedBytes;
        break;
    }
    case ChapterChoice::Kind::Rule: {
        list.headings = work.scanner.Candidates();
        std::erase_if(list.headings, [this](const Heading& h) { return h.rule != choice_.rule; });
        list.scannedBytes = work.fed.load(std::memory_order_acquire);
        break;
    }
    case ChapterChoice::Kind::Pattern: {
        const std::lock_guard lock(work.mutex);
        list.headings = work.matches;
        list.scannedBytes = work.patternScanned;
        list.stoppedEarly = work.stoppedEarly;
        list.gaveUpLines = work.gaveUp;
        break;
    }
    }
    return list;
}

} // namespace orlenth::text
