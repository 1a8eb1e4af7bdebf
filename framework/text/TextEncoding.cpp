#include "framework/text/TextEncoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

namespace orlenth {

namespace {

// Opening a converter looks its name up in the conversion library, which costs more than
// converting a title, so one converter per thread is kept. It is stateless: a converter
// that kept an unfinished character for the next call would let one cut-off text garble
// every caption converted after it. After an error it is dropped all the same, since the
// error flag stays set.
template <class Converter> class Cached {
public:
    explicit Cached(const char* name) : name_(name) {}
    Converter& Get() {
        if (!converter_) converter_.emplace(name_, QStringConverter::Flag::Stateless);
        return *converter_;
    }
    void Done() {
        if (converter_->hasError()) converter_.reset();
    }

private:
    const char* name_;
    std::optional<Converter> converter_;
};

thread_local Cached<QStringDecoder> tDecoder("GBK");
thread_local Cached<QStringEncoder> tEncoder("GBK");
thread_local Cached<QStringDecoder> tDisplayDecoder("GB18030");
thread_local Cached<QStringEncoder> tDisplayEncoder("GB18030");

// Whether the bytes end inside a character: a lead byte with nothing after it, or the
// start of a four-byte sequence cut short. Only a walk from the front can tell a lead
// byte from a trail byte. A stateless converter drops such a tail without a trace.
bool EndsInsideCharacter(std::string_view s) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const auto isLead = [](unsigned char b) { return b >= 0x81 && b <= 0xFE; };
    const auto isDigit = [](unsigned char b) { return b >= 0x30 && b <= 0x39; };
    std::size_t i = 0;
    while (i < s.size()) {
        if (!isLead(at(i))) {
            ++i;
            continue;
        }
        const std::size_t left = s.size() - i;
        if (left == 1) return true;
        if (!isDigit(at(i + 1))) {
            i += 2;
            continue;
        }
        // lead, digit, lead, digit: a complete four-byte sequence only when all are there.
        if (left == 2) return true;
        if (!isLead(at(i + 2))) {
            i += 2;
            continue;
        }
        if (left == 3) return true;
        i += 4;
    }
    return false;
}

QString Decode(Cached<QStringDecoder>& cached, std::string_view bytes, bool* clean) {
    QStringDecoder& dec = cached.Get();
    QString s = dec.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    bool good = !dec.hasError();
    cached.Done();
    if (EndsInsideCharacter(bytes)) {
        s += QChar::ReplacementCharacter;
        good = false;
    }
    if (clean) *clean = good;
    return s;
}

} // namespace

QString GbkToUnicode(std::string_view gbk, bool* ok) {
    bool good = false;
    const QString s = Decode(tDecoder, gbk, &good);
    if (ok) {
        if (good) {
            bool back = false;
            good = UnicodeToGbk(s, &back) == gbk && back;
        }
        *ok = good;
    }
    return s;
}

std::string UnicodeToGbk(const QString& text, bool* ok) {
    QStringEncoder& enc = tEncoder.Get();
    const QByteArray b = enc.encode(text);
    if (ok) *ok = !enc.hasError();
    tEncoder.Done();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

bool IsUtf8(std::string_view bytes) {
    // By the table of well-formed sequences: no overlong forms, no surrogates, nothing past
    // U+10FFFF, no sequence cut off.
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p++;
        if (c < 0x80) continue;
        int more = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (end - p < more || *p < lo || *p > hi) return false;
        ++p;
        for (int k = 1; k < more; ++k, ++p)
            if (*p < 0x80 || *p > 0xBF) return false;
    }
    return true;
}

QString DisplayTextToUnicode(std::string_view bytes) {
    return Decode(tDisplayDecoder, bytes, nullptr);
}

QString DisplayTextToUnicode(const QByteArray& bytes) {
    return DisplayTextToUnicode(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QByteArray UnicodeToDisplayBytes(const QString& text) {
    QStringEncoder& enc = tDisplayEncoder.Get();
    QByteArray b = enc.encode(text);
    tDisplayEncoder.Done();
    return b;
}

std::string UnicodeToDisplayText(const QString& text) {
    const QByteArray b = UnicodeToDisplayBytes(text);
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

} // namespace orlenth
