#include "framework/text/WrapEngine.h"

#include "framework/Errors.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orlenth::text {

namespace {

// How much a break at a place offends, from none to the most. When a line overflows it
// breaks at the latest place of the least offence: a Latin run is split before a line is
// left ending in an opening mark, and that before a line opens with a closing mark.
enum Offence : unsigned { None, SplitsWord, EndsWithOpener, StartsWithCloser, kOffences };

constexpr Offence offenceOf(BreakClass before, BreakClass after) {
    if (after == BreakClass::NoStart) return StartsWithCloser;
    if (before == BreakClass::NoEnd) return EndsWithOpener;
    if (before == BreakClass::Word && after == BreakClass::Word) return SplitsWord;
    return None;
}

constexpr auto kOffenceTable = [] {
    std::array<std::array<unsigned, 4>, 4> t{};
    for (unsigned before = 0; before < 4; ++before)
        for (unsigned after = 0; after < 4; ++after)
            t[before][after] =
                offenceOf(static_cast<BreakClass>(before), static_cast<BreakClass>(after));
    return t;
}();

void refuseOversize(std::size_t bytes) {
    if (bytes > kMemoCapacity) throw EOutOfResources(formatMessage(Msg::MemoCapacity));
}

} // namespace

std::vector<DisplayLine> wrapText(std::string_view gbkText, double width,
                                  const GbkMetrics& metrics) {
    refuseOversize(gbkText.size());
    const char* const data = gbkText.data();
    const std::size_t n = gbkText.size();
    const GbkDecoder& decoder = GbkDecoder::instance();
    // Widths are kept in whole subpixels from the start of the text, so that a line's
    // width is a difference and moving a break needs no re-measuring.
    const auto widthUnits =
        static_cast<std::int64_t>(std::floor(std::max(width, 0.0) * GbkMetrics::kSubpixels));

    std::vector<DisplayLine> lines;
    lines.reserve(n / 16 + 1);
    const auto addLine = [&](std::size_t from, std::size_t to) {
        lines.push_back({static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to - from)});
    };

    // The latest place of each offence and the running width there; a place counts only
    // when it lies after the line start, so nothing needs clearing when a line starts.
    // The common place, between two ordinary characters, lives apart in registers: an
    // indexed store for every character would chain the loop through memory.
    std::size_t freeBreakAt = 0;
    std::int64_t freeWidthAt = 0;
    std::size_t breakAt[kOffences] = {};
    std::int64_t widthAt[kOffences] = {};
    std::size_t lineStart = 0;
    std::int64_t total = 0;          // running width up to pos
    std::int64_t limit = widthUnits; // the running width at which the line is full
    unsigned previous = 0;           // break class of the character before pos

    std::size_t pos = 0;
    while (pos < n) {
        const auto b = static_cast<std::uint8_t>(data[pos]);
        GbkMetrics::Entry e;
        std::size_t length = 1;
        if (b < 0x80) {
            if (b == '\r' || b == '\n') [[unlikely]] {
                addLine(lineStart, pos);
                pos += (b == '\r' && pos + 1 < n && data[pos + 1] == '\n') ? 2 : 1;
                lineStart = pos;
                limit = total + widthUnits;
                continue;
            }
            e = metrics.single(b);
        } else if (pos + 1 < n &&
                   !((e = metrics.pair(b, static_cast<std::uint8_t>(data[pos + 1]))) &
                     GbkMetrics::kNotAPair)) [[likely]] {
            length = 2;
        } else {
            const GbkChar c = decoder.next(data + pos, data + n);
            e = c.length == 1 ? metrics.single(b)
                : c.length == 2
                    ? metrics.resolve(b, static_cast<std::uint8_t>(data[pos + 1]), c.codePoint)
                    : metrics.of(c.codePoint);
            length = c.length;
        }

        const unsigned cls = e & 3u;
        const unsigned offence = kOffenceTable[previous][cls];
        if (offence == None) {
            freeBreakAt = pos;
            freeWidthAt = total;
        } else {
            breakAt[offence] = pos;
            widthAt[offence] = total;
        }
        total += GbkMetrics::advance(e);
        if (total > limit) [[unlikely]] {
            breakAt[None] = freeBreakAt;
            widthAt[None] = freeWidthAt;
            // Break at the latest place of the least offence, until the line fits or holds
            // one character only.
            for (;;) {
                unsigned k = 0;
                while (k < kOffences && breakAt[k] <= lineStart) ++k;
                if (k == kOffences) break;
                addLine(lineStart, breakAt[k]);
                lineStart = breakAt[k];
                limit = widthAt[k] + widthUnits;
                if (total <= limit) break;
            }
        }
        previous = cls;
        pos += length;
    }
    addLine(lineStart, n);
    if (lines.back().length == 0) lines.pop_back();
    return lines;
}

WrapEngine::WrapEngine(const QFont& font, int width) : width_(width) {
    setFont(font);
}

WrapEngine::~WrapEngine() = default;

void WrapEngine::setText(QByteArray gbkText) {
    refuseOversize(static_cast<std::size_t>(gbkText.size()));
    text_ = std::move(gbkText);
    dirty_ = true;
}

void WrapEngine::setWidth(int widthPx) {
    if (widthPx == width_) return;
    width_ = widthPx;
    dirty_ = true;
}

void WrapEngine::setFont(const QFont& font) {
    if (cache_ && cache_->font() == font) return;
    // The table refers to the cache, so it goes first.
    metrics_.reset();
    cache_ = std::make_unique<AdvanceCache>(font);
    metrics_ = std::make_unique<GbkMetrics>(*cache_);
    dirty_ = true;
}

void WrapEngine::ensureWrapped() {
    if (!dirty_) return;
    // The old lines go first: for a big novel they are tens of megabytes, and the new ones
    // are as many.
    std::vector<DisplayLine>().swap(lines_);
    lines_ = wrapText(std::string_view(text_.constData(), static_cast<std::size_t>(text_.size())),
                      width_, *metrics_);
    dirty_ = false;
}

std::size_t WrapEngine::lineCount() {
    ensureWrapped();
    return lines_.size();
}

const std::vector<DisplayLine>& WrapEngine::lines() {
    ensureWrapped();
    return lines_;
}

QByteArray WrapEngine::line(std::size_t i) {
    ensureWrapped();
    if (i >= lines_.size()) throw EListError::indexOutOfBounds(static_cast<std::int64_t>(i));
    const DisplayLine l = lines_[i];
    std::size_t length = l.length;
    if (length > kMaxLineTextBytes) {
        // Walk whole characters so that the cut never halves one.
        const char* const begin = text_.constData() + l.start;
        const char* const end = begin + l.length;
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
    return QByteArray(text_.constData() + l.start, static_cast<qsizetype>(length));
}

} // namespace orlenth::text
