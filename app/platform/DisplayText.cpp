#include "app/platform/DisplayText.h"

#include "framework/Errors.h"

#include <unicode/ucnv.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace orlenth::platform {

namespace {

// Big enough that the converters' per-call cost vanishes, small beside any text worth
// measuring.
constexpr std::size_t kPiece = std::size_t{1} << 20;
static_assert(kPiece > 0);
// What a GBK file read in a chosen or known encoding has at once: many screens, and far
// less to wait for than a whole piece (a script switch on a big file waited half a
// millisecond more for a mebibyte than for a small file's few kilobytes).
constexpr std::size_t kChosenStart = 64 * 1024;

std::string_view MarkOf(FileEncoding e) {
    switch (e) {
    case FileEncoding::Utf8:
        return "\xEF\xBB\xBF";
    case FileEncoding::Utf16LE:
        return "\xFF\xFE";
    case FileEncoding::Utf16BE:
        return "\xFE\xFF";
    default:
        return {};
    }
}

// Where the last whole character of `s` ends: a character that the end cuts off is left
// for the next piece.
std::size_t CompleteLength(std::string_view s, FileEncoding e) {
    if (e == FileEncoding::Utf8) {
        std::size_t lead = s.size();
        for (std::size_t back = 0; back < 4 && lead > 0; ++back) {
            const auto b = static_cast<unsigned char>(s[--lead]);
            if (b < 0x80 || b >= 0xC0) {
                const std::size_t want = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 1;
                return lead + want > s.size() ? lead : s.size();
            }
        }
        return s.size();
    }
    std::size_t n = s.size() & ~std::size_t{1};
    if (n >= 2) {
        const std::size_t hi = e == FileEncoding::Utf16LE ? n - 1 : n - 2;
        const auto top = static_cast<unsigned char>(s[hi]);
        if (top >= 0xD8 && top <= 0xDB) n -= 2; // a high surrogate waits for its partner
    }
    return n;
}

// Reads up to n bytes at `offset`; fewer only at the end of the file.
std::size_t ReadAt(int fd, char* into, std::size_t n, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = ::pread(fd, into + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) throw EReadError();
        if (r == 0) break;
        done += static_cast<std::size_t>(r);
    }
    return done;
}

[[noreturn]] void TooLarge() {
    throw EOutOfResources(formatMessage(Msg::MemoCapacity));
}

} // namespace

DisplayConverter::DisplayConverter(FileEncoding encoding, bool fileStart)
    : encoding_(encoding),
      // The file's mark is dropped here, by position; a U+FEFF inside the text is text.
      decoder_(QStringConverter::Utf8,
               QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom),
      encoder_("GB18030", QStringConverter::Flag::Stateless), atStart_(fileStart) {
    if (const char* name = IcuNameOf(encoding)) {
        UErrorCode status = U_ZERO_ERROR;
        icu_ = ucnv_open(name, &status);
        // ICU's own data holds every converter named there; should one be missing, the
        // text goes through as GBK rather than vanish.
        if (U_FAILURE(status)) {
            if (icu_ != nullptr) ucnv_close(icu_);
            icu_ = nullptr;
            encoding_ = FileEncoding::Gbk;
        }
    }
}

DisplayConverter::~DisplayConverter() {
    if (icu_ != nullptr) ucnv_close(icu_);
}

void DisplayConverter::Legacy(std::string_view piece, bool flush, QByteArray& out) {
    // About one character per byte (two for a character beyond the first plane), plus
    // what the converter kept from the last piece; should a table give more, the rest
    // comes in another round.
    QString text(static_cast<qsizetype>(piece.size() + 8), Qt::Uninitialized);
    const char* source = piece.data();
    const char* const end = piece.data() + piece.size();
    for (;;) {
        auto* const begin = reinterpret_cast<UChar*>(text.data());
        UChar* target = begin;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(icu_, &target, begin + text.size(), &source, end, nullptr, flush, &status);
        out += encoder_.encode(QStringView(text.constData(), target - begin));
        if (status != U_BUFFER_OVERFLOW_ERROR) return;
    }
}

void DisplayConverter::Feed(std::string_view piece, QByteArray& out) {
    if (encoding_ == FileEncoding::Gbk) {
        out.append(piece.data(), static_cast<qsizetype>(piece.size()));
        return;
    }
    if (icu_ != nullptr) {
        Legacy(piece, false, out);
        return;
    }
    std::string joined;
    if (!carry_.empty()) {
        joined = carry_ + std::string(piece);
        piece = joined;
    }
    if (atStart_) {
        const std::string_view mark = MarkOf(encoding_);
        if (piece.size() < mark.size() && mark.starts_with(piece)) {
            carry_ = std::string(piece);
            return;
        }
        if (piece.starts_with(mark)) piece.remove_prefix(mark.size());
        atStart_ = false;
    }
    const std::size_t n = CompleteLength(piece, encoding_);
    Convert(piece.substr(0, n), out);
    carry_ = std::string(piece.substr(n));
}

void DisplayConverter::Finish(QByteArray& out) {
    if (icu_ != nullptr) {
        // A character cut off by the end becomes ICU's substitute, U+FFFD.
        Legacy({}, true, out);
        return;
    }
    if (carry_.empty()) return;
    // A mark cut short is no mark: its bytes are text.
    if (atStart_) {
        atStart_ = false;
        std::string rest = std::move(carry_);
        carry_.clear();
        const std::size_t n = CompleteLength(rest, encoding_);
        Convert(std::string_view(rest).substr(0, n), out);
        if (n < rest.size()) out += encoder_.encode(QString(QChar::ReplacementCharacter));
        return;
    }
    out += encoder_.encode(QString(QChar::ReplacementCharacter));
    carry_.clear();
}

void DisplayConverter::Convert(std::string_view whole, QByteArray& out) {
    if (whole.empty()) return;
    QString text;
    if (encoding_ == FileEncoding::Utf8) {
        text = decoder_.decode(QByteArrayView(whole.data(), static_cast<qsizetype>(whole.size())));
    } else {
        // UTF-16 units are taken as they are and unpaired surrogates replaced here: a
        // decoder drops a lone high surrogate at the end of what it is given, so the result
        // would depend on where the pieces happen to end.
        const bool little = encoding_ == FileEncoding::Utf16LE;
        text.resize(static_cast<qsizetype>(whole.size() / 2));
        for (qsizetype i = 0; i < text.size(); ++i) {
            const auto a = static_cast<unsigned char>(whole[static_cast<std::size_t>(2 * i)]);
            const auto b = static_cast<unsigned char>(whole[static_cast<std::size_t>(2 * i + 1)]);
            text[i] = QChar(static_cast<char16_t>(little ? (b << 8 | a) : (a << 8 | b)));
        }
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            else if (text[i].isSurrogate())
                text[i] = QChar::ReplacementCharacter;
        }
    }
    out += encoder_.encode(text);
}

QByteArray DisplayBytesOf(QByteArray fileBytes, std::optional<FileEncoding> forced) {
    const std::string_view all(fileBytes.constData(), static_cast<std::size_t>(fileBytes.size()));
    const FileEncoding encoding = forced ? *forced : DetectEncoding(all);
    if (encoding == FileEncoding::Gbk) return fileBytes;
    DisplayConverter converter(encoding);
    QByteArray out;
    for (std::size_t at = 0; at < all.size(); at += kPiece)
        converter.Feed(all.substr(at, kPiece), out);
    converter.Finish(out);
    return out;
}

std::optional<TextFile> TextFile::Open(const std::string& path) {
    // Without O_NONBLOCK opening a FIFO waits for a writer that may never come.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) throw EFOpenError::forFile(path);
    TextFile file(fd, 0);
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw EFOpenError::forFile(path);
    // The descriptor, not the name, is asked: the name may have been swapped meanwhile.
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    file.size_ = static_cast<std::uint64_t>(std::max<off_t>(st.st_size, 0));
    file.modified_ = std::int64_t{st.st_mtim.tv_sec} * 1000 + st.st_mtim.tv_nsec / 1000000;
    return file;
}

TextFile::~TextFile() {
    if (fd_ >= 0) ::close(fd_);
}

QByteArray TextFile::ReadForDisplay(std::size_t maxBytes, std::optional<FileEncoding> forced) && {
    text::TextLoad load(std::move(*this).FeedForDisplay(maxBytes, kPieceBytes, forced));
    QByteArray& text = load.finalText();
    if (const std::exception_ptr e = load.error()) std::rethrow_exception(e);
    return text;
}

text::TextFeed TextFile::FeedForDisplay(std::size_t maxBytes, std::size_t pieceBytes,
                                        std::optional<FileEncoding> forced,
                                        std::shared_ptr<EncodingReport> report,
                                        std::optional<FileEncoding> known) && {
    if (size_ > maxBytes) TooLarge();
    if (!report) report = std::make_shared<EncodingReport>();
    report->forced_.store(forced.has_value(), std::memory_order_release);
    // A known verdict is read as a forced encoding is: only the report tells them apart.
    const std::optional<FileEncoding> chosen = forced ? forced : known;
    const std::size_t piece = std::max<std::size_t>(pieceBytes, 1);
    // The first pieces are read at once, into the text itself, until the encoding is
    // clear: for GBK, the common case, they are then the start of the text, shown while
    // the rest is read on the load's thread. A chosen GBK reads its start so, at most a
    // piece.
    const std::uint64_t size = size_;
    QByteArray raw(static_cast<qsizetype>(size), Qt::Uninitialized);
    EncodingSniffer sniffer(size);
    std::uint64_t got = 0;
    bool ended = false;
    const auto readMore = [&](std::size_t most) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(most, size - got));
        char* const at = raw.data() + got;
        const std::size_t n = ReadAt(fd_, at, want, got);
        if (!chosen) sniffer.Feed(std::string_view(at, n));
        got += n;
        if (n < want) ended = true;
    };
    if (chosen) {
        if (*chosen == FileEncoding::Gbk && size > 0) readMore(std::min(piece, kChosenStart));
    } else {
        while (got < size && !ended && !sniffer.Decided() && !sniffer.AsciiStart()) readMore(piece);
    }
    auto file = std::make_shared<TextFile>(std::move(*this));
    if (!chosen && !sniffer.Decided() && got < size && !ended)
        return AsciiStartFeed(std::move(file), std::move(sniffer), std::move(raw), got, piece,
                              maxBytes, std::move(report));
    const FileEncoding encoding = chosen ? *chosen : sniffer.Verdict();
    report->Set(encoding);
    if (encoding == FileEncoding::Gbk) {
        report->SetRead(got);
        if (ended || got == size) {
            raw.resize(static_cast<qsizetype>(got));
            return {std::move(raw), static_cast<std::size_t>(got), {}};
        }
        return {std::move(raw), static_cast<std::size_t>(got),
                [file, got, size, piece, report](text::TextSink& sink) {
                    for (std::uint64_t offset = got; offset < size && !sink.cancelled();) {
                        const auto want =
                            static_cast<std::size_t>(std::min<std::uint64_t>(piece, size - offset));
                        const std::size_t n = ReadAt(file->fd_, sink.data() + offset, want, offset);
                        offset += n;
                        report->SetRead(offset);
                        sink.publish(static_cast<std::size_t>(offset));
                        if (n < want) break;
                    }
                }};
    }

    // Anything else is read again from the start and converted piece by piece, so the
    // file's bytes and their conversion are never held together; the first piece now, so
    // that the page has its start at once. The buffer only reserves room: every byte
    // becomes at most four, and pages never written cost nothing.
    raw = QByteArray();
    const auto room = static_cast<std::size_t>(std::min<std::uint64_t>(4 * size + 16, maxBytes));
    QByteArray text(static_cast<qsizetype>(room), Qt::Uninitialized);
    auto conversion =
        std::make_shared<Conversion>(std::move(file), std::move(report), encoding, size, piece);
    conversion->Next(text.data(), room);
    const std::size_t ready = conversion->written;
    return {std::move(text), ready, [conversion](text::TextSink& sink) {
                while (!sink.cancelled() && conversion->Next(sink.data(), sink.capacity()))
                    sink.publish(conversion->written);
                sink.publish(conversion->written);
            }};
}

// The file's first 64 KiB are plain ASCII: they are the text's start in any encoding the
// detection may still choose, so the page shows them now. The producer goes on reading,
// passing plain bytes straight through, until the sniffer decides (at most a megabyte past
// the first byte that is not plain), then reads the rest from that byte in the verdict's
// encoding.
text::TextFeed TextFile::AsciiStartFeed(std::shared_ptr<TextFile> file, EncodingSniffer sniffed,
                                        QByteArray raw, std::uint64_t got, std::size_t piece,
                                        std::size_t maxBytes,
                                        std::shared_ptr<EncodingReport> report) {
    const std::uint64_t size = file->size_;
    const auto plain = static_cast<std::size_t>(std::min(sniffed.PlainPrefix(), got));
    const auto room = static_cast<std::size_t>(std::min<std::uint64_t>(4 * size + 16, maxBytes));
    QByteArray text(static_cast<qsizetype>(room), Qt::Uninitialized);
    std::copy(raw.constData(), raw.constData() + plain, text.data());
    raw = QByteArray();
    auto state = std::make_shared<EncodingSniffer>(std::move(sniffed));
    report->SetRead(plain);
    return {std::move(text), plain, [file, state, got, size, piece, report](text::TextSink& sink) {
                EncodingSniffer& sniffer = *state;
                std::string buffer(piece, '\0');
                std::uint64_t offset = got;
                std::uint64_t shown = std::min(sniffer.PlainPrefix(), got);
                bool ended = false;
                while (!sniffer.Decided() && offset < size && !ended) {
                    if (sink.cancelled()) return;
                    const auto want =
                        static_cast<std::size_t>(std::min<std::uint64_t>(piece, size - offset));
                    const std::size_t n = ReadAt(file->fd_, buffer.data(), want, offset);
                    sniffer.Feed(std::string_view(buffer.data(), n));
                    const std::uint64_t plainEnd = std::min(sniffer.PlainPrefix(), offset + n);
                    if (plainEnd > shown) {
                        std::copy(buffer.data() + (shown - offset),
                                  buffer.data() + (plainEnd - offset), sink.data() + shown);
                        shown = plainEnd;
                        report->SetRead(shown);
                        sink.publish(static_cast<std::size_t>(shown));
                    }
                    offset += n;
                    ended = n < want;
                }
                const FileEncoding encoding = sniffer.Verdict();
                report->Set(encoding);
                // The size the file has now, should it have shrunk.
                const std::uint64_t end = ended ? offset : size;
                if (encoding == FileEncoding::Gbk) {
                    for (std::uint64_t at = shown; at < end && !sink.cancelled();) {
                        const auto want =
                            static_cast<std::size_t>(std::min<std::uint64_t>(piece, end - at));
                        const std::size_t n = ReadAt(file->fd_, sink.data() + at, want, at);
                        at += n;
                        report->SetRead(at);
                        sink.publish(static_cast<std::size_t>(at));
                        if (n < want) break;
                    }
                    return;
                }
                Conversion conversion(file, report, encoding, end, piece, shown,
                                      static_cast<std::size_t>(shown));
                while (!sink.cancelled() && conversion.Next(sink.data(), sink.capacity()))
                    sink.publish(conversion.written);
                sink.publish(conversion.written);
            }};
}

bool TextFile::Conversion::Next(char* text, std::size_t room) {
    if (finished) return false;
    const auto want =
        static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), size - offset));
    const std::size_t n = want == 0 ? 0 : ReadAt(file->fd_, piece.data(), want, offset);
    out.clear();
    converter.Feed(std::string_view(piece.data(), n), out);
    offset += n;
    if (n < want || offset >= size) {
        converter.Finish(out);
        finished = true;
    }
    const auto bytes = static_cast<std::size_t>(out.size());
    if (bytes > room - written) TooLarge();
    std::copy(out.constData(), out.constData() + bytes, text + written);
    written += bytes;
    report->SetRead(offset);
    return !finished;
}

std::optional<QByteArray> LoadForDisplay(const std::string& path, std::size_t maxBytes,
                                         std::optional<FileEncoding> forced) {
    std::optional<TextFile> file = TextFile::Open(path);
    if (!file) return std::nullopt;
    return std::move(*file).ReadForDisplay(maxBytes, forced);
}

} // namespace orlenth::platform
