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

    int Count() const {
        Settle();
        return static_cast<int>(count_);
    }
    bool Empty() const { return Count() == 0; }
    // The line without its CR LF; EListError "List index out of bounds (%d)" for a bad
    // index. Valid until the list changes.
    std::string_view operator[](int index) const;
    // Appends a line. A line that itself holds CR or LF stays one line here, but its text
    // form splits there when read back.
    void Add(std::string_view line);
    void Clear();
    std::vector<std::string> ToVector() const;

    // Every line followed by CR LF; the empty list gives the empty text.
    const std::string& Text() const {
        Settle();
        return text_;
    }
    std::size_t TextSize() const { return Text().size(); }
    void AppendText(std::string& out) const { out += Text(); }
    // Replaces the lines by those of a text: a line ends at CR LF, a lone CR or a lone LF;
    // a zero byte ends the text; a last line without a break still counts; a final break
    // adds no empty line. Reads only text[0 .. size-1].
    void SetText(const void* text, std::size_t size);
    void SetText(std::string_view text) { SetText(text.data(), text.size()); }

    // The same, taking over the buffer. The text is split when the list is first used, not
    // now: the whole library is read at start-up, and most articles are never opened.
    void SetText(std::string&& text);

    // The lines a compressed stream (docs/framing.md) restores to, restored when the list
    // is first used: at start-up every item record is checked by restoring it, but most
    // articles are never opened, and keeping their texts would cost a copy of each. The
    // caller has checked that the stream restores without fault, and its bytes must stay
    // where they are as long as this list or a copy of it is used.
    void SetPacked(std::string_view compressed);

    bool operator==(const TLineList& other) const;

private:
    // Splits a text taken over by SetText(std::string&&), or restored from SetPacked, into
    // its text form and line count.
    void Settle() const {
        if (unsettled_) SettleNow();
    }
    void SettleNow() const;
    // Sets the lines from a text into an empty list.
    void Build(const char* text, std::size_t size) const;
    void AppendLine(std::string_view line) const;
    // Line starts are found only when a line is asked for: articles are shown as one text
    // and never need them.
    void Index() const;

    // Mutable because settling and indexing are deferred work, not changes of the value.
    mutable std::string_view packed_; // set by SetPacked until settled
    mutable std::string text_;
    mutable std::size_t count_ = 0;
    mutable std::vector<std::size_t> starts_;
    mutable bool indexed_ = true;
    mutable bool unsettled_ = false;
    // Some line holds a CR or LF of its own, so the text alone does not give the lines.
    mutable bool irregular_ = false;
};

} // namespace orlenth
