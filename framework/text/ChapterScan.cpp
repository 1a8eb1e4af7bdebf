#include "framework/text/ChapterScan.h"

#include "framework/text/BackgroundThread.h"
#include "framework/text/HeadingTools.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <string_view>

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
// Bytes a pattern is tried on at a time, for the same reason.
constexpr std::size_t kPatternChunkBytes = 4u << 20;

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

ChapterScan::ChapterScan(std::shared_ptr<const TextLoad> load, ChapterChoice choice,
                         std::size_t maxMatches)
    : load_(std::move(load)), choice_(std::move(choice)),
      maxMatches_(std::max<std::size_t>(maxMatches, 1)) {
    if (choice_.kind == ChapterChoice::Kind::Pattern) {
        pattern_.setPattern(choice_.pattern);
        pattern_.optimize();
    }
    thread_ = std::thread([this] { run(); });
}

ChapterScan::~ChapterScan() {
    stop_.store(true, std::memory_order_relaxed);
    // A scan waiting for more of a slowly arriving text (one converted by phrase) stops now,
    // not at its next look: another text on show waits for this.
    if (load_) load_->wakeWaiters();
    thread_.join();
    releaseInBackground(std::move(load_));
}

void ChapterScan::run() {
    yieldToForeground();
    if (!load_) {
        scanner_.Finish();
    } else if (choice_.kind == ChapterChoice::Kind::Pattern) {
        runPattern();
    } else {
        runHeadings();
    }
    finished_.store(!stop_.load(std::memory_order_relaxed), std::memory_order_release);
    progress_.fetch_add(1, std::memory_order_acq_rel);
}

void ChapterScan::runHeadings() {
    const TextLoad& load = *load_;
    std::size_t fed = 0;
    while (!stop_.load(std::memory_order_relaxed)) {
        // Read before the bytes: a load that has ended has published all it will.
        const bool ended = load.loaded();
        const std::size_t available = load.available();
        while (fed < available && !stop_.load(std::memory_order_relaxed)) {
            const std::size_t n = std::min(kFeedBytes, available - fed);
            scanner_.Feed(std::string_view(load.bytes() + fed, n));
            fed += n;
            fed_.store(fed, std::memory_order_release);
            progress_.fetch_add(1, std::memory_order_acq_rel);
        }
        if (ended && fed == available) {
            scanner_.Finish();
            return;
        }
        load.waitBeyond(fed, stop_);
    }
}

void ChapterScan::runPattern() {
    const TextLoad& load = *load_;
    std::size_t done = 0; // a line start: the lines before it were all tried
    while (!stop_.load(std::memory_order_relaxed)) {
        const bool ended = load.loaded();
        const std::size_t available = load.available();
        // Only whole lines while more may come: the last one may go on in the next piece.
        std::size_t end = available;
        if (!ended) {
            const char* from = load.bytes() + done;
            const char* lf = nullptr;
            for (const char* p = load.bytes() + available; p > from;) {
                --p;
                if (*p == '\n') {
                    lf = p;
                    break;
                }
            }
            end = lf ? static_cast<std::size_t>(lf - load.bytes()) + 1 : done;
        }
        while (done < end && !stop_.load(std::memory_order_relaxed)) {
            std::size_t found;
            {
                const std::lock_guard lock(mutex_);
                found = matches_.size();
            }
            PatternLimits limits;
            limits.maxMatches = maxMatches_ + 1 - found; // one more tells "at least"
            limits.maxBytes = kPatternChunkBytes;
            limits.maxTime = std::chrono::hours(24 * 365);
            const std::string_view text(load.bytes() + done, end - done);
            const PatternScan part = ScanWithPattern(text, pattern_, limits);
            const std::lock_guard lock(mutex_);
            for (Heading h : part.headings) {
                const std::uint64_t at = std::uint64_t{h.offset} + done;
                if (at > UINT32_MAX) break;
                h.offset = static_cast<std::uint32_t>(at);
                matches_.push_back(h);
            }
            if (matches_.size() > maxMatches_) {
                matches_.resize(maxMatches_);
                stoppedEarly_ = true;
                patternScanned_ = done + part.scannedBytes;
                progress_.fetch_add(1, std::memory_order_acq_rel);
                return;
            }
            // A chunk ends at a line start past its bound, or at the end of its text.
            done = part.stop == PatternScan::Stop::Done ? end : done + part.scannedBytes;
            patternScanned_ = done;
            progress_.fetch_add(1, std::memory_order_acq_rel);
            if (done >= (std::size_t{1} << 32)) return; // offsets end there
        }
        if (ended && done >= available) return;
        load.waitBeyond(available, stop_);
    }
}

ChapterList ChapterScan::Snapshot() const {
    ChapterList list;
    // First: a list copied after the end is all of it, one copied before may not be.
    list.finished = Finished();
    switch (choice_.kind) {
    case ChapterChoice::Kind::Automatic: {
        HeadingSnapshot snapshot = scanner_.Snapshot();
        list.headings = std::move(snapshot.headings);
        list.scannedBytes = snapshot.scannedBytes;
        break;
    }
    case ChapterChoice::Kind::Rule: {
        list.headings = scanner_.Candidates();
        std::erase_if(list.headings, [this](const Heading& h) { return h.rule != choice_.rule; });
        list.scannedBytes = fed_.load(std::memory_order_acquire);
        break;
    }
    case ChapterChoice::Kind::Pattern: {
        const std::lock_guard lock(mutex_);
        list.headings = matches_;
        list.scannedBytes = patternScanned_;
        list.stoppedEarly = stoppedEarly_;
        break;
    }
    }
    return list;
}

} // namespace orlenth::text
