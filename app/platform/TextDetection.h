#pragma once
// Which encoding a folder file is in. Most files a reader meets are GBK (or its superset
// GB18030), UTF-8 with or without a byte-order mark, or UTF-16; some come from Taiwan or
// Hong Kong (Big5, Big5-HKSCS), Japan (Shift_JIS, EUC-JP) or Korea (EUC-KR).
//
// The rule, in order:
// 1. A mark decides: EF BB BF is UTF-8, FF FE UTF-16 little-endian, FE FF big-endian (GBK
//    text never starts so: FF is no GBK byte, and FE is not followed by FF).
// 2. UTF-16 without a mark, by its NUL pattern: in the sample (below), read one way round,
//    at least one two-byte unit in 256 has a NUL high byte (ASCII, line breaks) and nine
//    in ten units are characters that text is made of; read the other way, far fewer units
//    have one or fewer than three in four are text (U+4E00 and the ideographic space have
//    a NUL low byte). GBK text holds no NUL.
// 3. UTF-8 when at least one multi-byte sequence is valid and the invalid ones are few: at
//    most one in a thousand valid ones, and two more once twenty are valid, so that a
//    stray Latin-1 byte does not turn a whole UTF-8 file into GBK. A sequence cut off by
//    the end is not counted.
// 4. UTF-16 without a mark when the sample holds a NUL (which GBK text never does), at
//    least 32 units, nine in ten of them text read one way round and fewer than three in
//    four the other: CJK text whose only NULs are the low bytes of U+4E00 and U+3000.
// 5. GBK whenever the sample reads as GBK/GB18030 (four-byte characters included): at most
//    one character in a hundred, and one more, is invalid or falls in GBK's user-defined
//    or unassigned areas (Big5 text does so in a good part of its characters). A GBK
//    file is thus never taken for anything else, whatever a statistical guess says; the
//    only exception is Japanese and Korean text, which is byte for byte valid GBK too: it
//    is taken for EUC-JP, Shift_JIS or EUC-KR only when the guess (libuchardet) says so, the
//    sample is valid there, and its script shows it beyond doubt (a fifth of its
//    characters kana; half of them hangul, with a space for every ten).
// 6. Bytes that are not GBK: UTF-16 as in 4, NUL or not; else the guess's encoding when
//    the sample is valid there (a character in a hundred may be wrong); else, or when the
//    guess is Big5, Big5-HKSCS when it reads more than Big5 and is valid, Big5 when valid;
//    else GBK, shown as it is.
//
// Steps 2, 4, 5 and 6 look at a sample: the first 64 KiB of the file. When those are all
// plain ASCII (or NUL bytes, without the UTF-16 pattern) they read the same in every
// encoding the rule can choose, and the sample is instead the 64 KiB from the first byte
// that is not plain. The verdict never looks further than 1 MiB past the sample's start:
// what the bytes up to there say is final, so the first page of any file costs a read of
// at most that much.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orlenth::platform {

// Gbk stands for GBK and GB18030 alike: the wrap engine reads them as they are.
enum class FileEncoding { Gbk, Utf8, Utf16LE, Utf16BE, Big5, Big5Hkscs, ShiftJis, EucJp, EucKr };

struct EncodingName {
    FileEncoding encoding;
    const char* menuName; // UTF-8
};

// The menu entry that leaves the choice to the detection.
inline constexpr const char* kAutomaticMenuName = "自动";

// Every encoding a file can be read in, in the order a menu lists them.
std::span<const EncodingName> KnownEncodings();
// Its menu name ("GB18030", "UTF-16 LE", "Big5", ...).
const char* MenuNameOf(FileEncoding encoding);
// ICU's converter name for the encodings ICU converts; nullptr for GBK (no conversion),
// UTF-8 and UTF-16 (converted by Qt and by hand).
const char* IcuNameOf(FileEncoding encoding);

// Takes the bytes of one file in pieces of any size, in order, and says what they are.
// The verdict depends on the bytes only, never on where the pieces end.
class EncodingSniffer {
public:
    // Bytes the sample takes, and how far past its start the verdict looks at most.
    static constexpr std::uint64_t kSampleBytes = 64 * 1024;
    static constexpr std::uint64_t kLookBytes = 1024 * 1024;

    // `totalBytes` (all that will be fed) lets the verdict come early.
    explicit EncodingSniffer(std::uint64_t totalBytes) : total_(totalBytes) {}

    // Bytes past the point where the verdict was settled are not looked at.
    void Feed(std::string_view piece);
    // Whether the bytes still to come cannot change the verdict.
    bool Decided() const { return decided_; }
    // The verdict on what was fed; final once Decided() or everything was fed.
    FileEncoding Verdict() const;
    // Whether the file's first kSampleBytes are plain ASCII or NUL without the UTF-16
    // pattern: they read the same whatever the verdict, which then rests on what follows.
    bool AsciiStart() const { return asciiStart_; }
    // How many bytes at the start are plain (as for AsciiStart).
    std::uint64_t PlainPrefix() const { return plain_; }

private:
    void FeedMark(std::string_view& piece);
    void Consume(std::string_view bytes);
    void Checkpoint();
    void ScanUtf8(std::string_view bytes);
    bool Utf8Wins(std::uint64_t valid) const;
    FileEncoding SampleVerdict() const;

    std::uint64_t total_;
    std::uint64_t fed_ = 0;
    char mark_[3] = {};
    std::uint8_t markBytes_ = 0;
    bool markDone_ = false;
    bool decided_ = false;
    FileEncoding marked_ = FileEncoding::Gbk;
    // The plain start, and the sample: from the start, or from the first byte after a
    // plain start of kSampleBytes.
    std::uint64_t consumed_ = 0;
    std::uint64_t plain_ = 0;
    bool plainRun_ = true;
    bool asciiStart_ = false;
    std::uint64_t sampleStart_ = 0;
    std::string sample_;
    // The UTF-8 state: continuation bytes still wanted, and the range of the next one.
    unsigned need_ = 0;
    unsigned lo_ = 0x80, hi_ = 0xBF;
    std::uint64_t valid_ = 0, invalid_ = 0;
};

// The verdict on a whole text at once.
FileEncoding DetectEncoding(std::string_view bytes);

} // namespace orlenth::platform
