#pragma once
// The line list: an ordered, unsorted list of GBK text lines, duplicates allowed, kept as
// its text form (every line followed by CR LF) with the start of each line. Asking for the
// whole text is therefore free, and a canonical text is taken over in one copy. See
// docs/framing.md for the splitting rules.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace orlenth {

class TLineList {
public:
    TLineList() = default;
    TLineList(std::initializer_list<std::string_view> lines);

    int Count() const { return static_cast<int>(count_); }
    bool Empty() const { return count_ == 0; }
    // The line without its CR LF; EListError "List index out of bounds (%d)" for a bad
    // index. Valid until the list changes.
    std::string_view operator[](int index) const;
    // Appends a line. A line that itself holds CR or LF stays one line here, but its text
    // form splits there when read back.
    void Add(std::string_view line);
    void Clear();
    std::vector<std::string> ToVector() const;

    // Every line followed by CR LF; the empty list gives the empty text.
    const std::string& Text() const { return text_; }
    std::size_t TextSize() const { return text_.size(); }
    void AppendText(std::string& out) const { out += text_; }
    // Replaces the lines by those of a text: a line ends at CR LF, a lone CR or a lone LF;
    // a zero byte ends the text; a last line without a break still counts; a final break
    // adds no empty line. Reads only text[0 .. size-1].
    void SetText(const void* text, std::size_t size);
    void SetText(std::string_view text) { SetText(text.data(), text.size()); }

    // The same, taking over the buffer when it already is a text form.
    void SetText(std::string&& text);

    bool operator==(const TLineList& other) const;

private:
    // Line starts are found only when a line is asked for: articles are shown as one text
    // and never need them.
    void Index() const;

    std::string text_;
    std::size_t count_ = 0;
    mutable std::vector<std::size_t> starts_;
    mutable bool indexed_ = true;
    // Some line holds a CR or LF of its own, so the text alone does not give the lines.
    bool irregular_ = false;
};

} // namespace orlenth
