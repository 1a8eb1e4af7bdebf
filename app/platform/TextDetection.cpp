#include "app/platform/TextDetection.h"

#include <uchardet/uchardet.h>
#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace orlenth::platform {

namespace {

constexpr EncodingName kEncodings[] = {
    {FileEncoding::Gbk, "GB18030"},        {FileEncoding::Utf8, "UTF-8"},
    {FileEncoding::Utf16LE, "UTF-16 LE"},  {FileEncoding::Utf16BE, "UTF-16 BE"},
    {FileEncoding::Big5, "Big5"},          {FileEncoding::Big5Hkscs, "Big5-HKSCS"},
    {FileEncoding::ShiftJis, "Shift_JIS"}, {FileEncoding::EucJp, "EUC-JP"},
    {FileEncoding::EucKr, "EUC-KR"},
};

constexpr std::uint64_t InvalidAllowed(std::uint64_t valid) {
    return valid / 1000 + (valid >= 20 ? 2 : 0);
}

// Bytes that every encoding the detection chooses, UTF-16 aside, reads as themselves: ASCII
// and NUL, without the three control bytes that ICU's Shift_JIS table swaps.
bool IsPlain(unsigned char b) {
    return b < 0x80 && b != 0x1A && b != 0x1C && b != 0x7F;
}

// A UTF-16 unit that text is made of: line breaks, Latin, punctuation, kana, CJK, hangul,
// surrogates (characters beyond the first plane), full-width forms.
bool TextUnit(unsigned u) {
    return u == 0x09 || u == 0x0A || u == 0x0D || (u >= 0x20 && u <= 0x7E) ||
           (u >= 0xA0 && u <= 0x24F) || (u >= 0x2000 && u <= 0x27BF) ||
           (u >= 0x3000 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x4DBF) ||
           (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xAC00 && u <= 0xD7A3) ||
           (u >= 0xD800 && u <= 0xDFFF) || (u >= 0xF900 && u <= 0xFAFF) ||
           (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFFEF);
}

struct UnitCounts {
    std::uint64_t units = 0, nulHighLE = 0, nulHighBE = 0, textLE = 0, textBE = 0;
};

UnitCounts CountUnits(std::string_view s) {
    UnitCounts c;
    c.units = s.size() / 2;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
        const unsigned a = static_cast<unsigned char>(s[i]);
        const unsigned b = static_cast<unsigned char>(s[i + 1]);
        c.nulHighLE += b == 0;
        c.nulHighBE += a == 0;
        c.textLE += TextUnit(a | b << 8);
        c.textBE += TextUnit(a << 8 | b);
    }
    return c;
}

// UTF-16 by its NUL pattern, certain enough to overrule anything but a mark: at least one
// unit in 256 has a NUL high byte read one way round (ASCII and line breaks), nine in ten
// units are text read so, and the other way round has far fewer such NULs or reads as text
// in fewer than three units in four (U+4E00 and the ideographic space U+3000 have a NUL
// low byte, so Chinese text has NULs both ways).
std::optional<FileEncoding> NulPattern(std::string_view sample) {
    const UnitCounts c = CountUnits(sample);
    const auto way = [&](std::uint64_t nul, std::uint64_t text, std::uint64_t otherNul,
                         std::uint64_t otherText) {
        return nul > 0 && nul * 256 >= c.units && text * 10 >= c.units * 9 &&
               (otherNul * 16 <= nul || otherText * 4 < c.units * 3);
    };
    if (way(c.nulHighLE, c.textLE, c.nulHighBE, c.textBE)) return FileEncoding::Utf16LE;
    if (way(c.nulHighBE, c.textBE, c.nulHighLE, c.textLE)) return FileEncoding::Utf16BE;
    return std::nullopt;
}

// UTF-16 without NULs (CJK text without ASCII): only for bytes that are no GBK.
std::optional<FileEncoding> CjkPattern(std::string_view sample) {
    const UnitCounts c = CountUnits(sample);
    // A few bytes say nothing this way.
    if (c.units < 32) return std::nullopt;
    if (c.textLE * 10 >= c.units * 9 && c.textBE * 4 < c.units * 3) return FileEncoding::Utf16LE;
    if (c.textBE * 10 >= c.units * 9 && c.textLE * 4 < c.units * 3) return FileEncoding::Utf16BE;
    return std::nullopt;
}

// What the sample reads as in a multi-byte encoding. A character cut off by the sample's
// end is left out.
struct ReadCounts {
    std::uint64_t other = 0; // characters beyond ASCII
    std::uint64_t bad = 0;   // invalid, unassigned or user-defined among them
    std::uint64_t kana = 0, hangul = 0, spaces = 0;
};

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

ReadCounts ReadAs(FileEncoding e, std::string_view sample) {
    ReadCounts r;
    UErrorCode status = U_ZERO_ERROR;
    const char* name = e == FileEncoding::Gbk ? "GB18030" : IcuNameOf(e);
    std::unique_ptr<UConverter, ConverterCloser> c(ucnv_open(name, &status));
    if (U_FAILURE(status)) {
        r.bad = r.other = 1;
        return r;
    }
    std::vector<UChar> out(sample.size() + 16);
    UChar* target = out.data();
    const char* source = sample.data();
    ucnv_toUnicode(c.get(), &target, out.data() + out.size(), &source,
                   sample.data() + sample.size(), nullptr, false, &status);
    for (const UChar* u = out.data(); u < target; ++u) {
        const unsigned ch = *u;
        if (ch < 0x80) {
            r.spaces += ch == 0x20;
            continue;
        }
        ++r.other;
        r.bad += ch == 0xFFFD || (ch >= 0xE000 && ch <= 0xF8FF);
        r.kana += ch >= 0x3040 && ch <= 0x30FF;
        r.hangul += ch >= 0xAC00 && ch <= 0xD7A3;
    }
    return r;
}

// Valid in an encoding the detection switches to: a character in a hundred may be wrong.
bool Clean(const ReadCounts& r) {
    return r.bad * 100 <= r.other;
}

// Valid GBK, which is kept: one character more may be wrong, so that a few odd bytes in a
// short text do not turn it into something else.
bool CleanGbk(const ReadCounts& r) {
    return r.bad <= 1 + r.other / 100;
}

// libuchardet's guess among the encodings we read, from the sample's first 16 KiB: its
// statistics have settled long before.
std::optional<FileEncoding> Guess(std::string_view sample) {
    const uchardet_t u = uchardet_new();
    if (u == nullptr) return std::nullopt;
    sample = sample.substr(0, 16 * 1024);
    uchardet_handle_data(u, sample.data(), sample.size());
    uchardet_data_end(u);
    const std::string_view name = uchardet_get_charset(u);
    std::optional<FileEncoding> e;
    if (name == "BIG5") e = FileEncoding::Big5;
    if (name == "SHIFT_JIS") e = FileEncoding::ShiftJis;
    if (name == "EUC-JP") e = FileEncoding::EucJp;
    if (name == "EUC-KR" || name == "UHC") e = FileEncoding::EucKr;
    if (name == "GB18030") e = FileEncoding::Gbk;
    uchardet_delete(u);
    return e;
}

// Japanese or Korean beyond doubt, for a sample that is valid GBK too.
bool PlainlyJapaneseOrKorean(FileEncoding e, std::string_view sample) {
    if (e != FileEncoding::ShiftJis && e != FileEncoding::EucJp && e != FileEncoding::EucKr)
        return false;
    const ReadCounts r = ReadAs(e, sample);
    if (r.bad > 0 || r.other < 10) return false;
    if (e == FileEncoding::EucKr) return r.hangul * 2 >= r.other && r.spaces * 10 >= r.hangul;
    return r.kana * 5 >= r.other;
}

FileEncoding LegacyVerdict(std::string_view sample, bool utf16Allowed) {
    // GBK text holds no NUL: a sample with one may be UTF-16 even where GBK could read it.
    if (utf16Allowed && sample.find('\0') != std::string_view::npos)
        if (const std::optional<FileEncoding> u = CjkPattern(sample)) return *u;
    const std::optional<FileEncoding> guess = Guess(sample);
    if (CleanGbk(ReadAs(FileEncoding::Gbk, sample)))
        return guess && PlainlyJapaneseOrKorean(*guess, sample) ? *guess : FileEncoding::Gbk;
    if (utf16Allowed)
        if (const std::optional<FileEncoding> u = CjkPattern(sample)) return *u;
    // Big5-HKSCS adds Hong Kong's characters to Big5: it is the verdict when it reads
    // more of the sample.
    const auto big5 = [&] {
        const ReadCounts plain = ReadAs(FileEncoding::Big5, sample);
        const ReadCounts hk = ReadAs(FileEncoding::Big5Hkscs, sample);
        if (hk.bad < plain.bad && Clean(hk)) return std::optional(FileEncoding::Big5Hkscs);
        if (Clean(plain)) return std::optional(FileEncoding::Big5);
        return std::optional<FileEncoding>();
    };
    if (guess == FileEncoding::Big5 || !guess || *guess == FileEncoding::Gbk)
        return big5().value_or(FileEncoding::Gbk);
    if (Clean(ReadAs(*guess, sample))) return *guess;
    return big5().value_or(FileEncoding::Gbk);
}

} // namespace

std::span<const EncodingName> KnownEncodings() {
    return kEncodings;
}

const char* MenuNameOf(FileEncoding encoding) {
    for (const EncodingName& n : kEncodings)
        if (n.encoding == encoding) return n.menuName;
    return "";
}

const char* IcuNameOf(FileEncoding encoding) {
    switch (encoding) {
    case FileEncoding::Big5:
        return "Big5";
    case FileEncoding::Big5Hkscs:
        return "Big5-HKSCS";
    case FileEncoding::ShiftJis:
        return "Shift_JIS";
    case FileEncoding::EucJp:
        return "EUC-JP";
    case FileEncoding::EucKr:
        return "EUC-KR";
    default:
        return nullptr;
    }
}

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
        Consume(std::string_view(mark_, markBytes_));
    }
    Consume(piece);
}

// Every kSampleBytes from the sample's start: the bytes so far may settle the verdict.
// Looking at fixed places keeps the verdict the same wherever the pieces end.
void EncodingSniffer::Checkpoint() {
    if (!asciiStart_ && consumed_ == sampleStart_ + kSampleBytes && NulPattern(sample_)) {
        decided_ = true;
        return;
    }
    // Every valid sequence still to come takes at least two bytes, but the one under way
    // may end with the next byte.
    const std::uint64_t left = total_ > consumed_ ? total_ - consumed_ : 0;
    const std::uint64_t most = valid_ + (need_ > 0 ? 1 : 0) + left / 2;
    if (invalid_ > 0 && !Utf8Wins(most)) decided_ = true;
}

void EncodingSniffer::Consume(std::string_view bytes) {
    while (!bytes.empty() && !decided_) {
        if (plainRun_) {
            std::size_t n = 0;
            while (n < bytes.size() && IsPlain(static_cast<unsigned char>(bytes[n]))) ++n;
            if (!asciiStart_) {
                // The plain start is the sample's start as well, until it fills the sample.
                const auto take =
                    static_cast<std::size_t>(std::min<std::uint64_t>(n, kSampleBytes - plain_));
                sample_.append(bytes.data(), take);
                plain_ += take;
                consumed_ += take;
                bytes.remove_prefix(take);
                if (plain_ == kSampleBytes) {
                    if (NulPattern(sample_)) {
                        plainRun_ = false;
                        decided_ = true;
                        return;
                    }
                    asciiStart_ = true;
                    sample_.clear();
                }
                if (take < n) continue;
            } else {
                plain_ += n;
                consumed_ += n;
                bytes.remove_prefix(n);
            }
            if (bytes.empty()) return;
            plainRun_ = false;
            sampleStart_ = asciiStart_ ? consumed_ : 0;
        }
        const std::uint64_t limit = sampleStart_ + kLookBytes;
        const std::uint64_t next =
            sampleStart_ + ((consumed_ - sampleStart_) / kSampleBytes + 1) * kSampleBytes;
        const auto n = static_cast<std::size_t>(
            std::min<std::uint64_t>(bytes.size(), std::min(limit, next) - consumed_));
        const std::string_view chunk = bytes.substr(0, n);
        if (sample_.size() < kSampleBytes)
            sample_.append(
                chunk.substr(0, static_cast<std::size_t>(kSampleBytes - sample_.size())));
        ScanUtf8(chunk);
        consumed_ += n;
        bytes.remove_prefix(n);
        if (consumed_ >= limit)
            decided_ = true;
        else if (consumed_ == next)
            Checkpoint();
    }
}

void EncodingSniffer::ScanUtf8(std::string_view bytes) {
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

FileEncoding EncodingSniffer::SampleVerdict() const {
    if (!asciiStart_)
        if (const std::optional<FileEncoding> u = NulPattern(sample_)) return *u;
    if (Utf8Wins(valid_)) return FileEncoding::Utf8;
    return LegacyVerdict(sample_, !asciiStart_);
}

FileEncoding EncodingSniffer::Verdict() const {
    if (marked_ != FileEncoding::Gbk) return marked_;
    if (!markDone_) {
        // Fewer bytes came than announced: what is held for the mark is all there is.
        EncodingSniffer rest = *this;
        rest.markDone_ = true;
        rest.Consume(std::string_view(mark_, markBytes_));
        return rest.SampleVerdict();
    }
    return SampleVerdict();
}

FileEncoding DetectEncoding(std::string_view bytes) {
    EncodingSniffer s(bytes.size());
    s.Feed(bytes);
    return s.Verdict();
}

} // namespace orlenth::platform
