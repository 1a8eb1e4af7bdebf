#pragma once
// Which encoding a folder file is in. Files from editors come as GBK, UTF-8 (with or
// without a byte-order mark) or UTF-16 with a mark; GBK is what the reader shows as it is.

#include <cstdint>
#include <string_view>

namespace orlenth::platform {

enum class FileEncoding { Gbk, Utf8, Utf16LE, Utf16BE };

// Takes the bytes of one file in pieces of any size, in order, and says what they are:
// - a mark EF BB BF: UTF-8; FF FE: UTF-16 little-endian; FE FF: UTF-16 big-endian (GBK
//   text never starts so: FF is no GBK byte, and FE is not followed by FF);
// - otherwise UTF-8 when at least one multi-byte sequence is valid and the invalid ones
//   are few: at most one in a thousand valid ones, and two more once twenty are valid,
//   so that a stray Latin-1 byte does not turn a whole UTF-8 file into GBK. A sequence cut
//   off by the end of the file is not counted. GBK text breaks the rules of UTF-8 in most
//   of its characters, so it never comes near that ratio;
// - anything else, plain ASCII included, is GBK.
class EncodingSniffer {
public:
    // `totalBytes` (all that will be fed) lets the verdict come early.
    explicit EncodingSniffer(std::uint64_t totalBytes) : total_(totalBytes) {}

    void Feed(std::string_view piece);
    // Whether the bytes still to come cannot change the verdict.
    bool Decided() const { return decided_; }
    // The verdict on what was fed; final once Decided() or everything was fed.
    FileEncoding Verdict() const;
    // Whether what was fed is plainly UTF-8 already: at least `valid` valid multi-byte
    // sequences and no more invalid ones than a whole UTF-8 file may have. Lets a reader
    // start on a big file before the rest could overturn the verdict.
    bool PlainlyUtf8(std::uint64_t valid) const { return valid_ >= valid && Utf8Wins(valid_); }

private:
    void FeedMark(std::string_view& piece);
    void Scan(std::string_view bytes);
    bool Utf8Wins(std::uint64_t valid) const;

    std::uint64_t total_;
    std::uint64_t fed_ = 0;
    char mark_[3] = {};
    std::uint8_t markBytes_ = 0;
    bool markDone_ = false;
    bool decided_ = false;
    FileEncoding marked_ = FileEncoding::Gbk;
    // The UTF-8 state: continuation bytes still wanted, and the range of the next one.
    unsigned need_ = 0;
    unsigned lo_ = 0x80, hi_ = 0xBF;
    std::uint64_t valid_ = 0, invalid_ = 0;
};

// The verdict on a whole text at once.
FileEncoding DetectEncoding(std::string_view bytes);

} // namespace orlenth::platform
