#pragma once
// The bytes of a folder file as the wrap engine gets them. The wrap engine reads GBK;
// GB18030 is used for the conversion so that every character of the other encodings
// (UTF-8, UTF-16, Big5, Shift_JIS, ...) survives, and GBK text reads the same under it.

#include "app/platform/TextDetection.h"
#include "framework/text/TextLoad.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QStringEncoder>

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct UConverter;

namespace orlenth::platform {

// Converts a file's bytes in the given encoding to GB18030 piece by piece, so that a big
// file never has its whole input and its whole output in memory at once. Pieces may end
// anywhere, inside a character too. A byte-order mark at the very start is dropped;
// invalid sequences become U+FFFD, and so does (once) a character cut off by the end.
// GBK goes through unchanged. The legacy encodings (Big5, Shift_JIS, ...) go through ICU,
// whose converters keep a character cut by a piece's end for the next piece.
class DisplayConverter {
public:
    // `fileStart`: whether the first piece is the file's start, where a mark is dropped.
    explicit DisplayConverter(FileEncoding encoding, bool fileStart = true);
    ~DisplayConverter();
    DisplayConverter(const DisplayConverter&) = delete;
    DisplayConverter& operator=(const DisplayConverter&) = delete;

    // Appends the conversion of `piece` to `out`.
    void Feed(std::string_view piece, QByteArray& out);
    // Appends what the last pieces left unfinished.
    void Finish(QByteArray& out);

private:
    void Convert(std::string_view whole, QByteArray& out);

    void Legacy(std::string_view piece, bool flush, QByteArray& out);

    FileEncoding encoding_;
    QStringDecoder decoder_; // UTF-8 only
    QStringEncoder encoder_;
    UConverter* icu_ = nullptr; // the legacy encodings only
    std::string carry_;         // the start of a character that the next piece finishes
    bool atStart_ = true;
};

// A whole file's bytes for the wrap engine: GBK (and plain ASCII) unchanged, anything else
// converted; in `forced` when given, else in what DetectEncoding says. Never throws.
QByteArray DisplayBytesOf(QByteArray fileBytes, std::optional<FileEncoding> forced = std::nullopt);

// What a feed took its file for, so that an encoding menu can check it. Shared with the
// load's thread, which settles it for a file that starts with plain ASCII; safe from any
// thread.
class EncodingReport {
public:
    // The encoding the text is read in. Known once FeedForDisplay returns, except for a
    // file whose first 64 KiB are plain ASCII (they read the same in every encoding): then
    // nothing until the load's thread has decided from the bytes after them (see
    // EncodingSniffer), at the latest when the load ends (all plain: GBK).
    std::optional<FileEncoding> Encoding() const {
        const int v = value_.load(std::memory_order_acquire);
        return v < 0 ? std::nullopt : std::optional<FileEncoding>(static_cast<FileEncoding>(v));
    }
    // Whether the caller chose the encoding (a `forced` one); an earlier verdict passed on
    // as `known` is still the detection's.
    bool Forced() const { return forced_.load(std::memory_order_acquire); }
    // How many of the file's bytes the text arrived so far was made from: with the text's
    // length so far, how long the whole text will be. The file's size once it is all read.
    std::uint64_t SourceRead() const { return read_.load(std::memory_order_acquire); }

private:
    friend class TextFile;
    void Set(FileEncoding e) { value_.store(static_cast<int>(e), std::memory_order_release); }
    void SetRead(std::uint64_t bytes) { read_.store(bytes, std::memory_order_release); }

    std::atomic<int> value_{-1};
    std::atomic<bool> forced_{false};
    std::atomic<std::uint64_t> read_{0};
};

// A folder file opened for reading. Opening never blocks (a FIFO, say), and only regular
// files are read, never past the size they had when opened, so a link to a device or a
// FIFO gives nothing instead of a hang or an endless read.
class TextFile {
public:
    // How much FeedForDisplay reads and converts at a time, unless told otherwise.
    static constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

    // The file at `path`, or nothing when it is no regular file. One that cannot be
    // opened (no permission, gone, a dangling link): EFOpenError "Cannot open file %s"
    // with `path` as given. Nothing is read yet.
    static std::optional<TextFile> Open(const std::string& path);

    TextFile(TextFile&& other) noexcept
        : fd_(other.fd_), size_(other.size_), modified_(other.modified_) {
        other.fd_ = -1;
    }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
    TextFile& operator=(TextFile&&) = delete;
    ~TextFile();

    // The size seen at opening.
    std::uint64_t Size() const { return size_; }
    // The modification time seen at opening, in milliseconds since the epoch.
    std::int64_t Modified() const { return modified_; }

    // The bytes for the wrap engine (as DisplayBytesOf gives them), arriving: the first
    // pieces are read now, until the encoding is clear (GBK in a forced or known encoding:
    // its first 64 KiB at most; another encoding: the first piece converted), and the
    // feed's producer reads the rest on the load's thread. A file whose first 64 KiB are plain
    // ASCII shows them at once, as they are; the producer reads on, decides when the first other
    // byte comes (see EncodingSniffer) and converts from there. `forced`: read the file in that
    // encoding, without detection (a mark of that encoding at the start is still
    // dropped). `known`, when nothing is forced: what an earlier detection took this same
    // file for, read as a forced encoding is (no detection, whatever the bytes now look
    // like) but reported as detected. `report`, when given, learns the encoding and
    // whether it was forced. More than `maxBytes` bytes in the file:
    // EOutOfResources "Text exceeds memo capacity" now, before anything is read; after conversion:
    // the same error from the producer, the text ending where it was cut. A read that fails:
    // EReadError (now or from the producer). A file that shrinks meanwhile gives what was
    // there; one that grows gives the size it had when opened. GBK is read once, into the
    // text itself; other encodings are read again and converted in pieces, so the file's
    // bytes and their conversion are never held together. The file moves into the feed.
    // Reads and conversions go `pieceBytes` at a time (at least 1); the text is the same
    // whatever the size, and so is the verdict.
    text::TextFeed FeedForDisplay(std::size_t maxBytes, std::size_t pieceBytes = kPieceBytes,
                                  std::optional<FileEncoding> forced = std::nullopt,
                                  std::shared_ptr<EncodingReport> report = nullptr,
                                  std::optional<FileEncoding> known = std::nullopt) &&;
    // All of FeedForDisplay's text at once, its errors thrown here.
    QByteArray ReadForDisplay(std::size_t maxBytes,
                              std::optional<FileEncoding> forced = std::nullopt) &&;

private:
    // A file read again from its start and converted, a piece at a time.
    struct Conversion {
        // From `start`, where `written` bytes of text are already there.
        Conversion(std::shared_ptr<TextFile> f, std::shared_ptr<EncodingReport> r,
                   FileEncoding encoding, std::uint64_t bytes, std::size_t pieceBytes,
                   std::uint64_t start = 0, std::size_t already = 0)
            : file(std::move(f)), report(std::move(r)), converter(encoding, start == 0),
              size(bytes), offset(start), written(already), piece(pieceBytes, '\0') {}
        // Converts the next piece and appends it to `text`, which has room for `room` bytes
        // (more: EOutOfResources); false once the file is done.
        bool Next(char* text, std::size_t room);

        std::shared_ptr<TextFile> file;
        std::shared_ptr<EncodingReport> report;
        DisplayConverter converter;
        std::uint64_t size;
        std::uint64_t offset;
        std::size_t written;
        bool finished = false;
        std::string piece;
        QByteArray out;
    };
    TextFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    static text::TextFeed AsciiStartFeed(std::shared_ptr<TextFile> file, EncodingSniffer sniffer,
                                         QByteArray raw, std::uint64_t got, std::size_t piece,
                                         std::size_t maxBytes,
                                         std::shared_ptr<EncodingReport> report);

    int fd_;
    std::uint64_t size_;
    std::int64_t modified_ = 0;
};

// Open and ReadForDisplay at once; nothing when the path names no regular file.
std::optional<QByteArray> LoadForDisplay(const std::string& path, std::size_t maxBytes,
                                         std::optional<FileEncoding> forced = std::nullopt);

} // namespace orlenth::platform
