#include "app/settings/SettingsText.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace orlenth::settings {

namespace {

// UTF-8 without overlong forms or surrogates, and no control byte but tab, LF and CR.
bool IsText(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned c = p[i];
        if (c < 0x80) {
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
            ++i;
            continue;
        }
        qsizetype len = 0;
        char32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (n - i < len) return false;
        for (qsizetype k = 1; k < len; ++k) {
            const unsigned next = p[i + k];
            if ((next & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return false;
        if (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) return false;
        i += len;
    }
    return true;
}

qsizetype LineBreaks(QByteArrayView bytes) {
    return bytes.count('\n') + bytes.count('\r');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Watches the characters QSettings could make of the file's values for an element that
// starts with "@Variant(" or "@DateTime(". Escapes are read as QSettings reads them in a
// value (\x and octal runs kept to 16 bits, the letters of C, a backslash before a line
// break joining the lines, any other escaped character dropped); quotes, spaces and tabs
// are dropped wherever they are, since QSettings drops them around elements and inside a
// pair of quotes that closes and opens again. An element starts after '=' or ','. The
// whole file is scanned as one value: a backslash takes the next character in keys and
// section names too, so the pairing at every '=' is the one QSettings meets.
class SerializedValueWatch {
public:
    bool Seen() const { return seen_; }

    // A ring of the last characters: every byte of the file passes here, and only a '('
    // needs them in order.
    void Put(char16_t c) {
        last_[next_] = c;
        next_ = (next_ + 1) % last_.size();
        if (c != u'(') return;
        std::array<char16_t, kKept> ordered{};
        for (std::size_t i = 0; i < kKept; ++i) ordered[i] = last_[(next_ + i) % kKept];
        const std::u16string_view tail(ordered.data(), ordered.size());
        seen_ = seen_ || tail.ends_with(u"=@Variant(") || tail.ends_with(u",@Variant(") ||
                tail.ends_with(u"=@DateTime(") || tail.ends_with(u",@DateTime(");
    }

private:
    static constexpr std::size_t kKept = 11;
    std::array<char16_t, kKept> last_{};
    std::size_t next_ = 0;
    bool seen_ = false;
};

bool HoldsSerializedValue(QByteArrayView bytes) {
    static constexpr std::string_view kEscapes = "abfnrtv\"?'\\";
    static constexpr std::string_view kMeanings = "\a\b\f\n\r\t\v\"?'\\";
    SerializedValueWatch watch;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n && !watch.Seen();) {
        const char c = bytes[i++];
        if (c == '"' || c == ' ' || c == '\t') continue;
        if (c != '\\') {
            watch.Put(static_cast<unsigned char>(c));
            continue;
        }
        if (i >= n) break;
        const char e = bytes[i++];
        if (const auto at = kEscapes.find(e); at != std::string_view::npos) {
            watch.Put(static_cast<unsigned char>(kMeanings[at]));
        } else if (e == 'x') {
            if (i >= n || HexValue(bytes[i]) < 0) continue;
            char16_t value = 0;
            for (; i < n && HexValue(bytes[i]) >= 0; ++i)
                value = static_cast<char16_t>((value << 4) + HexValue(bytes[i]));
            watch.Put(value);
        } else if (e >= '0' && e <= '7') {
            auto value = static_cast<char16_t>(e - '0');
            for (; i < n && bytes[i] >= '0' && bytes[i] <= '7'; ++i)
                value = static_cast<char16_t>((value << 3) + (bytes[i] - '0'));
            watch.Put(value);
        } else if ((e == '\n' || e == '\r') && i < n && (bytes[i] == '\n' || bytes[i] == '\r') &&
                   bytes[i] != e) {
            ++i;
        }
    }
    return watch.Seen();
}

std::string ErrnoText(int e) {
    return std::strerror(e);
}

TFileBytes Refused(std::string reason) {
    TFileBytes r;
    r.kind = TFileBytes::Kind::Refused;
    r.reason = std::move(reason);
    return r;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

bool PassesByteBound(QByteArrayView bytes) {
    return bytes.size() > kMaxFileBytes;
}

bool PassesLineBound(QByteArrayView bytes) {
    return LineBreaks(bytes) > kMaxFileLines;
}

std::int64_t WrittenBytesAtMost(QStringView text) {
    // Quotes, "@String(" and ")", or "@@", and the ", " after it.
    constexpr std::int64_t kAround = 12;
    const bool escapes = std::any_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x20 || c.unicode() == 0x7F;
    });
    std::int64_t n = kAround;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F)
            n += 4; // \xHH
        else if (u < 0x80)
            n += escapes ? 4 : (u == u'"' || u == u'\\' ? 2 : 1); // a hex digit after \xH
        else if (u < 0x800)
            n += 2;
        else
            n += 3; // a surrogate alone becomes U+FFFD; a pair is four bytes for two units
    }
    return n;
}

std::int64_t WrittenBytesAtMost(QStringView key, const QStringList& items) {
    // The key with each character escaped (%UXXXX at worst), "=" and the line break.
    std::int64_t n = 6 * static_cast<std::int64_t>(key.size()) + 2;
    for (const QString& item : items) n += WrittenBytesAtMost(item);
    return n;
}

std::optional<std::string> RefusalOf(QByteArrayView bytes) {
    if (PassesByteBound(bytes)) return "is larger than " + std::to_string(kMaxFileBytes) + " bytes";
    if (!IsText(bytes)) return "is not UTF-8 text";
    if (PassesLineBound(bytes)) return "has more than " + std::to_string(kMaxFileLines) + " lines";
    if (HoldsSerializedValue(bytes))
        return "holds a value written as @Variant(...) or @DateTime(...), which the reader "
               "does not read";
    return std::nullopt;
}

TFileBytes ReadSettingsBytes(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    // Without O_NONBLOCK opening a FIFO waits for a writer that may never come.
    const Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        if (errno == ENOENT) return {};
        return Refused("cannot be read: " + ErrnoText(errno));
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return Refused("cannot be read: " + ErrnoText(errno));
    // The descriptor, not the name, is asked: the name may have been swapped meanwhile.
    if (S_ISDIR(st.st_mode)) return Refused("is a folder, not a file");
    if (S_ISFIFO(st.st_mode)) return Refused("is a FIFO, not a file");
    if (S_ISSOCK(st.st_mode)) return Refused("is a socket, not a file");
    if (!S_ISREG(st.st_mode)) return Refused("is a device, not a file");
    if (st.st_size > kMaxFileBytes)
        return Refused("is larger than " + std::to_string(kMaxFileBytes) + " bytes");

    // One byte more than allowed tells a file that grew past the bound since fstat.
    TFileBytes r;
    r.bytes.resize(static_cast<qsizetype>(st.st_size) + 1);
    qsizetype got = 0;
    for (;;) {
        if (got == r.bytes.size()) {
            if (r.bytes.size() > kMaxFileBytes) break;
            r.bytes.resize(std::min<qsizetype>(r.bytes.size() * 2 + 4096, kMaxFileBytes + 1));
        }
        const ssize_t n =
            ::read(fd.get(), r.bytes.data() + got, static_cast<std::size_t>(r.bytes.size() - got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Refused("cannot be read: " + ErrnoText(errno));
        if (n == 0) break;
        got += n;
    }
    r.bytes.truncate(got);
    if (const auto why = RefusalOf(r.bytes)) return Refused(*why);
    r.kind = TFileBytes::Kind::Read;
    r.mode = static_cast<unsigned>(st.st_mode & 07777);
    return r;
}

} // namespace orlenth::settings
