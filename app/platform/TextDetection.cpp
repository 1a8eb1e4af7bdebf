#include "app/platform/TextDetection.h"

#include <algorithm>

namespace orlenth::platform {

namespace {

constexpr std::uint64_t InvalidAllowed(std::uint64_t valid) {
    return valid / 1000 + (valid >= 20 ? 2 : 0);
}

} // namespace

bool EncodingSniffer::Utf8Wins(std::uint64_t valid) const {
    return valid > 0 && invalid_ <= InvalidAllowed(valid);
}

void EncodingSniffer::FeedMark(std::string_view& piece) {
    while (!markDone_ && !piece.empty() && markBytes_ < 3) {
        mark_[markBytes_++] = piece.front();
        piece.remove_prefix(1);
        const auto b = [&](int i) { return static_cast<unsigned char>(mark_[i]); };
        if (markBytes_ == 2 && b(0) == 0xFF && b(1) == 0xFE) marked_ = FileEncoding::Utf16LE;
        if (markBytes_ == 2 && b(0) == 0xFE && b(1) == 0xFF) marked_ = FileEncoding::Utf16BE;
        if (markBytes_ == 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF)
            marked_ = FileEncoding::Utf8;
        if (marked_ != FileEncoding::Gbk) {
            markDone_ = decided_ = true;
            return;
        }
    }
    if (markBytes_ == 3 || fed_ >= total_) markDone_ = true;
}

void EncodingSniffer::Feed(std::string_view piece) {
    if (decided_) return;
    fed_ += piece.size();
    if (!markDone_) {
        FeedMark(piece);
        if (decided_) return;
        if (!markDone_) return; // all of it is held for the mark
        // The bytes held for the mark are text like any other.
        Scan(std::string_view(mark_, markBytes_));
    }
    Scan(piece);
    // Every valid sequence still to come takes at least two bytes, but the one under way
    // may end with the next byte.
    const std::uint64_t left = total_ > fed_ ? total_ - fed_ : 0;
    const std::uint64_t most = valid_ + (need_ > 0 ? 1 : 0) + left / 2;
    if (invalid_ > 0 && !Utf8Wins(most)) decided_ = true;
}

void EncodingSniffer::Scan(std::string_view bytes) {
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (need_ > 0) {
            if (b >= lo_ && b <= hi_) {
                lo_ = 0x80;
                hi_ = 0xBF;
                if (--need_ == 0) ++valid_;
                continue;
            }
            // The sequence broke off; this byte starts afresh.
            ++invalid_;
            need_ = 0;
            lo_ = 0x80;
            hi_ = 0xBF;
        }
        if (b < 0x80) continue;
        if (b >= 0xC2 && b <= 0xDF) {
            need_ = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need_ = 2;
            if (b == 0xE0) lo_ = 0xA0;
            if (b == 0xED) hi_ = 0x9F; // no surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            need_ = 3;
            if (b == 0xF0) lo_ = 0x90;
            if (b == 0xF4) hi_ = 0x8F; // nothing above U+10FFFF
        } else {
            ++invalid_;
        }
    }
}

FileEncoding EncodingSniffer::Verdict() const {
    if (marked_ != FileEncoding::Gbk) return marked_;
    if (!markDone_) {
        // Fewer bytes came than announced: what is held for the mark is all there is.
        EncodingSniffer rest = *this;
        rest.markDone_ = true;
        rest.Scan(std::string_view(mark_, markBytes_));
        return rest.Verdict();
    }
    return Utf8Wins(valid_) ? FileEncoding::Utf8 : FileEncoding::Gbk;
}

FileEncoding DetectEncoding(std::string_view bytes) {
    EncodingSniffer s(bytes.size());
    s.Feed(bytes);
    return s.Verdict();
}

} // namespace orlenth::platform
