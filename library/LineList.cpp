#include "library/LineList.h"

#include "framework/Errors.h"

#include <cstring>

namespace orlenth {

TLineList::TLineList(std::initializer_list<std::string_view> lines) {
    for (auto l : lines) Add(l);
}

std::string_view TLineList::operator[](int index) const {
    if (index < 0 || index >= Count()) throw EListError::indexOutOfBounds(index);
    const auto i = static_cast<std::size_t>(index);
    const std::size_t end = (i + 1 < starts_.size() ? starts_[i + 1] : text_.size()) - 2;
    return std::string_view(text_).substr(starts_[i], end - starts_[i]);
}

void TLineList::Add(std::string_view line) {
    starts_.push_back(text_.size());
    text_.append(line);
    text_.append("\r\n");
}

void TLineList::Clear() {
    text_.clear();
    starts_.clear();
}

std::vector<std::string> TLineList::ToVector() const {
    std::vector<std::string> out;
    out.reserve(starts_.size());
    for (int i = 0; i < Count(); ++i) out.emplace_back((*this)[i]);
    return out;
}

namespace {

// True when the text already is a text form: every CR followed by LF, every LF preceded
// by CR, and a break at the end. Stored articles always are, so this is the usual path,
// and memchr keeps it near memory speed.
bool isCanonical(const char* p, std::size_t size) {
    if (size < 2 || p[size - 2] != '\r' || p[size - 1] != '\n') return false;
    std::size_t crs = 0, lfs = 0;
    for (const char* q = p; (q = static_cast<const char*>(
                                 std::memchr(q, '\r', size - static_cast<std::size_t>(q - p))));) {
        if (q + 1 == p + size || q[1] != '\n') return false;
        ++crs;
        q += 2;
        if (q == p + size) break;
    }
    for (const char* q = p; (q = static_cast<const char*>(
                                 std::memchr(q, '\n', size - static_cast<std::size_t>(q - p))));) {
        ++lfs;
        if (++q == p + size) break;
    }
    return crs == lfs;
}

} // namespace

void TLineList::SetText(const void* text, std::size_t size) {
    Clear();
    if (size == 0) return;
    const auto* p = static_cast<const char*>(text);
    // Anything after a zero byte is not part of the text.
    if (const void* nul = std::memchr(p, 0, size))
        size = static_cast<std::size_t>(static_cast<const char*>(nul) - p);
    if (isCanonical(p, size)) {
        text_.assign(p, size);
        for (std::size_t at = 0; at < size;) {
            starts_.push_back(at);
            at = static_cast<std::size_t>(
                     static_cast<const char*>(std::memchr(p + at, '\n', size - at)) - p) +
                 1;
        }
        return;
    }
    text_.reserve(size + 2);
    std::size_t start = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const char ch = p[i];
        if (ch != '\r' && ch != '\n') continue;
        Add(std::string_view(p + start, i - start));
        if (ch == '\r' && i + 1 < size && p[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < size) Add(std::string_view(p + start, size - start));
}

} // namespace orlenth
