#include "resource/TextEncoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

namespace orlenth {

namespace {

// Opening a converter looks its name up in the conversion library, which costs more than
// converting a title; one converter per thread is kept while it converts cleanly. After
// an error it is dropped, since its state cannot be trusted to be reset.
template <class Converter> class Cached {
public:
    explicit Cached(const char* name) : name_(name) {}
    Converter& Get() {
        if (!converter_) converter_.emplace(name_);
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

} // namespace

QString GbkToUnicode(std::string_view gbk, bool* ok) {
    QStringDecoder& dec = tDecoder.Get();
    const QString s = dec.decode(QByteArrayView(gbk.data(), static_cast<qsizetype>(gbk.size())));
    const bool decodedCleanly = !dec.hasError();
    tDecoder.Done();
    if (ok) {
        bool good = decodedCleanly;
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

QString DisplayTextToUnicode(std::string_view bytes) {
    QStringDecoder& dec = tDisplayDecoder.Get();
    const QString s =
        dec.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    tDisplayDecoder.Done();
    return s;
}

std::string UnicodeToDisplayText(const QString& text) {
    QStringEncoder& enc = tDisplayEncoder.Get();
    const QByteArray b = enc.encode(text);
    tDisplayEncoder.Done();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

} // namespace orlenth
