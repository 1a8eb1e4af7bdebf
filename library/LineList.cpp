#include "library/LineList.h"

#include "framework/Errors.h"

#include <cstring>

namespace orlenth {

const std::string& TLineList::operator[](int index) const {
    if (index < 0 || index >= Count()) throw EListError::indexOutOfBounds(index);
    return lines_[static_cast<std::size_t>(index)];
}

std::size_t TLineList::TextSize() const {
    std::size_t n = 0;
    for (const auto& l : lines_) n += l.size() + 2;
    return n;
}

void TLineList::AppendText(std::string& out) const {
    out.reserve(out.size() + TextSize());
    for (const auto& l : lines_) {
        out += l;
        out += "\r\n";
    }
}

std::string TLineList::Text() const {
    std::string out;
    AppendText(out);
    return out;
}

void TLineList::SetText(const void* text, std::size_t size) {
    if (size == 0) {
        lines_.clear();
        return;
    }
    const auto* p = static_cast<const char*>(text);
    // Anything after a zero byte is not part of the text.
    if (const void* nul = std::memchr(p, 0, size))
        size = static_cast<std::size_t>(static_cast<const char*>(nul) - p);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const char ch = p[i];
        if (ch != '\r' && ch != '\n') continue;
        lines.emplace_back(p + start, i - start);
        if (ch == '\r' && i + 1 < size && p[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < size) lines.emplace_back(p + start, size - start);
    lines_ = std::move(lines);
}

} // namespace orlenth
