#include "library/LineList.h"

#include "framework/Errors.h"
#include "framework/Stream.h"
#include "library/CompressedStream.h"

#include <bit>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace orlenth {

TLineList::TLineList(std::initializer_list<std::string_view> lines) {
    for (auto l : lines) Add(l);
}

std::string_view TLineList::operator[](int index) const {
    if (index < 0 || index >= Count()) throw EListError::indexOutOfBounds(index);
    Index();
    const auto i = static_cast<std::size_t>(index);
    const std::size_t end = (i + 1 < starts_.size() ? starts_[i + 1] : text_.size()) - 2;
    return std::string_view(text_).substr(starts_[i], end - starts_[i]);
}

void TLineList::Add(std::string_view line) {
    Settle();
    AppendLine(line);
}

void TLineList::AppendLine(std::string_view line) const {
    Index();
    starts_.push_back(text_.size());
    text_.append(line);
    text_.append("\r\n");
    ++count_;
    if (line.find_first_of("\r\n") != std::string_view::npos) irregular_ = true;
}

void TLineList::Clear() {
    unsettled_ = false;
    packed_ = {};
    text_.clear();
    starts_.clear();
    count_ = 0;
    indexed_ = true;
    irregular_ = false;
}

void TLineList::Index() const {
    if (indexed_) return;
    Settle();
    if (indexed_) return;
    starts_.clear();
    starts_.reserve(count_);
    const char* p = text_.data();
    for (std::size_t at = 0; at < text_.size();) {
        starts_.push_back(at);
        at = static_cast<std::size_t>(
                 static_cast<const char*>(std::memchr(p + at, '\n', text_.size() - at)) - p) +
             1;
    }
    indexed_ = true;
}

bool TLineList::operator==(const TLineList& other) const {
    if (Count() != other.Count() || text_ != other.text_) return false;
    if (!irregular_ && !other.irregular_) return true;
    Index();
    other.Index();
    return starts_ == other.starts_;
}

std::vector<std::string> TLineList::ToVector() const {
    std::vector<std::string> out;
    out.reserve(starts_.size());
    for (int i = 0; i < Count(); ++i) out.emplace_back((*this)[i]);
    return out;
}

namespace {

// Without a hardware instruction in the baseline instruction set, std::popcount becomes a
// library call; sixteen bits are counted quicker by hand.
inline std::size_t popcount16(std::uint32_t x) {
    x = x - ((x >> 1) & 0x5555u);
    x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
    x = (x + (x >> 4)) & 0x0F0Fu;
    return (x + (x >> 8)) & 0x1Fu;
}

// When the text already is a text form (every CR followed by LF, every LF preceded by CR,
// a break at the end) returns the number of lines, else 0. Stored articles always are, so
// this is the usual path; it looks at 16 bytes at a time where it can.
std::size_t countCanonical(const char* p, std::size_t size) {
    if (size < 2 || p[size - 2] != '\r' || p[size - 1] != '\n') return 0;
    std::size_t lines = 0;
    std::size_t i = 0;
    bool prevCR = false;
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (; i + 16 <= size; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const auto mcr = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)));
        const auto mlf = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)));
        // Each LF stands right after a CR, possibly the last byte of the previous chunk.
        if (mlf != (((mcr << 1) | (prevCR ? 1u : 0u)) & 0xFFFFu)) return 0;
        prevCR = (mcr >> 15) != 0;
        lines += popcount16(mlf);
    }
#endif
    for (; i < size; ++i) {
        const char c = p[i];
        if (prevCR) {
            if (c != '\n') return 0;
            ++lines;
            prevCR = false;
        } else if (c == '\n') {
            return 0;
        } else {
            prevCR = c == '\r';
        }
    }
    return lines;
}

} // namespace

void TLineList::Build(const char* p, std::size_t size) const {
    // Anything after a zero byte is not part of the text.
    if (const void* nul = std::memchr(p, 0, size))
        size = static_cast<std::size_t>(static_cast<const char*>(nul) - p);
    if (const std::size_t lines = countCanonical(p, size)) {
        text_.assign(p, size);
        count_ = lines;
        indexed_ = false;
        return;
    }
    if (size == 0) return;
    // The text form is sized first and made in one piece, and the line starts are left
    // to Index: for a text of short lines they would take several times the text's room.
    std::size_t grows = 0; // a lone CR or LF becomes CR LF
    for (std::size_t i = 0; i < size; ++i) {
        if (p[i] == '\r' && i + 1 < size && p[i + 1] == '\n')
            ++i;
        else if (p[i] == '\r' || p[i] == '\n')
            ++grows;
    }
    const bool unbroken = p[size - 1] != '\r' && p[size - 1] != '\n';
    text_.reserve(size + grows + (unbroken ? 2 : 0));
    std::size_t start = 0;
    const auto line = [&](std::size_t end) {
        text_.append(p + start, end - start);
        text_.append("\r\n");
        ++count_;
    };
    for (std::size_t i = 0; i < size; ++i) {
        const char ch = p[i];
        if (ch != '\r' && ch != '\n') continue;
        line(i);
        if (ch == '\r' && i + 1 < size && p[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < size) line(size);
    indexed_ = false;
}

void TLineList::SetText(const void* text, std::size_t size) {
    Clear();
    if (size) Build(static_cast<const char*>(text), size);
}

void TLineList::SetText(std::string&& text) {
    Clear();
    text_ = std::move(text);
    unsettled_ = !text_.empty();
}

void TLineList::SetPacked(std::string_view compressed) {
    Clear();
    packed_ = compressed;
    unsettled_ = true;
}

void TLineList::SettleNow() const {
    unsettled_ = false;
    std::string raw = std::move(text_);
    text_.clear();
    if (!packed_.empty()) {
        TViewStream source(packed_.data(), static_cast<std::int64_t>(packed_.size()));
        packed_ = {};
        LoadCompressedStream(source, raw);
    }
    const std::size_t nul = raw.find('\0');
    const std::size_t size = nul == std::string::npos ? raw.size() : nul;
    if (const std::size_t lines = countCanonical(raw.data(), size)) {
        raw.resize(size);
        text_ = std::move(raw); // a text form already: kept without a copy
        count_ = lines;
        indexed_ = false;
        return;
    }
    Build(raw.data(), size);
}

} // namespace orlenth
