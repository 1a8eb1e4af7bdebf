#pragma once
// The line list: an ordered, unsorted list of GBK text lines, duplicates allowed, and its
// text form (every line followed by CR LF). See docs/framing.md for the splitting rules.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orlenth {

class TLineList {
public:
    TLineList() = default;
    TLineList(std::initializer_list<std::string> lines) : lines_(lines) {}

    int Count() const { return static_cast<int>(lines_.size()); }
    bool Empty() const { return lines_.empty(); }
    // EListError "List index out of bounds (%d)" for a bad index.
    const std::string& operator[](int index) const;
    void Add(std::string line) { lines_.push_back(std::move(line)); }
    void Clear() { lines_.clear(); }
    const std::vector<std::string>& Lines() const { return lines_; }

    // Every line followed by CR LF; the empty list gives the empty text.
    std::string Text() const;
    std::size_t TextSize() const;
    // Appends the text form to out.
    void AppendText(std::string& out) const;
    // Replaces the lines by those of a text: a line ends at CR LF, a lone CR or a lone LF;
    // a zero byte ends the text; a last line without a break still counts; a final break
    // adds no empty line. Reads only text[0 .. size-1].
    void SetText(const void* text, std::size_t size);
    void SetText(std::string_view text) { SetText(text.data(), text.size()); }

    bool operator==(const TLineList&) const = default;

private:
    std::vector<std::string> lines_;
};

} // namespace orlenth
