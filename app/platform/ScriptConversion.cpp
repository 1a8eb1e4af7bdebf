#include "app/platform/ScriptConversion.h"

#include "framework/Errors.h"
#include "framework/text/WrapEngine.h"

#include <opencc/Exception.hpp>
#include <opencc/SimpleConverter.hpp>

#include <QStringDecoder>
#include <QStringEncoder>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <exception>
#include <map>
#include <mutex>

namespace orlenth::platform {

namespace {

constexpr std::array kScripts{
    ScriptName{Script::Original, "原文", "original", nullptr},
    ScriptName{Script::Simplified, "简体", "simplified", "t2s.json"},
    ScriptName{Script::Traditional, "繁體", "traditional", "s2tw.json"},
    ScriptName{Script::Taiwan, "繁體（台灣）", "taiwan", "s2twp.json"},
};

bool In(unsigned char b, unsigned char low, unsigned char high) {
    return b >= low && b <= high;
}

struct Character {
    std::size_t length; // 0: cut off by the end of what is there
    bool valid;
};

// The character at `at`, as GB18030 forms them; a byte that starts none is a character of
// its own, invalid.
Character CharacterAt(std::string_view text, std::size_t at) {
    const auto b = static_cast<unsigned char>(text[at]);
    if (b < 0x80) return {1, true};
    if (!In(b, 0x81, 0xFE)) return {1, false};
    const std::size_t left = text.size() - at;
    if (left < 2) return {0, false};
    const auto b1 = static_cast<unsigned char>(text[at + 1]);
    if (In(b1, 0x40, 0x7E) || In(b1, 0x80, 0xFE)) return {2, true};
    if (!In(b1, 0x30, 0x39)) return {1, false};
    if (left < 3) return {0, false};
    if (!In(static_cast<unsigned char>(text[at + 2]), 0x81, 0xFE)) return {1, false};
    if (left < 4) return {0, false};
    if (!In(static_cast<unsigned char>(text[at + 3]), 0x30, 0x39)) return {1, false};
    return {4, true};
}

// Whether a phrase can end at the end of the character at `at`: a space or punctuation
// mark, ASCII or full-width (GBK's rows A1 and A3, less A3's letters and digits).
bool EndsPhrases(std::string_view text, std::size_t at, std::size_t length) {
    const auto b = static_cast<unsigned char>(text[at]);
    if (length == 1) return b < 0x80 && !std::isalnum(b);
    if (length != 2) return false;
    const auto t = static_cast<unsigned char>(text[at + 1]);
    if (b == 0xA1) return t >= 0xA1;
    if (b == 0xA3)
        return t >= 0xA1 && !In(t, 0xB0, 0xB9) && !In(t, 0xC1, 0xDA) && !In(t, 0xE1, 0xFA);
    return false;
}

[[noreturn]] void TooLarge() {
    throw EOutOfResources(formatMessage(Msg::MemoCapacity));
}

bool AllAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::span<const ScriptName> KnownScripts() {
    return kScripts;
}

const ScriptName& NameOf(Script script) {
    for (const ScriptName& s : kScripts)
        if (s.script == script) return s;
    return kScripts.front();
}

std::optional<Script> ScriptForKey(std::string_view key) {
    for (const ScriptName& s : kScripts)
        if (key == s.key) return s.script;
    return std::nullopt;
}

struct ScriptConverter::Library {
    explicit Library(const std::string& config) : converter(config) {}
    opencc::SimpleConverter converter;
};

ScriptConverter::ScriptConverter(const std::string& config, std::string name)
    : name_(std::move(name)) {
    // OpenCC's exceptions are no std::exception; each becomes the system's own.
    try {
        library_ = std::make_unique<Library>(config);
    } catch (const opencc::Exception& e) {
        throw EScriptError::cannotConvert(name_, e.what());
    } catch (const std::exception& e) {
        throw EScriptError::cannotConvert(name_, e.what());
    }
}

ScriptConverter::~ScriptConverter() = default;

std::shared_ptr<const ScriptConverter> ScriptConverter::For(Script script) {
    static std::mutex mutex;
    static std::map<Script, std::shared_ptr<const ScriptConverter>> loaded;
    const ScriptName& name = NameOf(script);
    if (name.config == nullptr)
        throw EScriptError::cannotConvert(name.menuName, "the original needs no conversion");
    const std::lock_guard lock(mutex);
    std::shared_ptr<const ScriptConverter>& kept = loaded[script];
    if (!kept) kept = std::make_shared<const ScriptConverter>(name.config, name.menuName);
    return kept;
}

void ScriptConverter::Convert(std::string_view text, QByteArray& out) const {
    const auto convertRun = [&](std::string_view run) {
        if (AllAscii(run)) {
            out.append(run.data(), static_cast<qsizetype>(run.size()));
            return;
        }
        QStringDecoder decoder("GB18030", QStringConverter::Flag::Stateless);
        const QByteArray utf8 =
            QString(decoder.decode(QByteArrayView(run.data(), static_cast<qsizetype>(run.size()))))
                .toUtf8();
        std::string converted;
        try {
            converted = library_->converter.Convert(utf8.constData(),
                                                    static_cast<std::size_t>(utf8.size()));
        } catch (const opencc::Exception& e) {
            throw EScriptError::cannotConvert(name_, e.what());
        } catch (const std::exception& e) {
            throw EScriptError::cannotConvert(name_, e.what());
        }
        QStringEncoder encoder("GB18030", QStringConverter::Flag::Stateless);
        out += encoder.encode(
            QString::fromUtf8(converted.data(), static_cast<qsizetype>(converted.size())));
    };
    std::size_t at = 0;
    while (at < text.size()) {
        // OpenCC reads NUL as the end of its text: NULs, like bytes of no character, go
        // round it.
        std::size_t end = at;
        for (;;) {
            if (end >= text.size() || text[end] == '\0') break;
            const Character c = CharacterAt(text, end);
            if (!c.valid) break;
            end += c.length;
        }
        if (end > at) convertRun(text.substr(at, end - at));
        while (end < text.size() && (text[end] == '\0' || !CharacterAt(text, end).valid)) {
            out.append(text[end]);
            ++end;
        }
        at = end;
    }
}

std::size_t PieceEnd(std::string_view text, std::size_t bound, bool complete) {
    bound = std::max<std::size_t>(bound, 1);
    if (text.empty()) return 0;
    if (complete && text.size() <= bound) return text.size();
    const std::size_t window = std::min(text.size(), bound);
    // GB18030 never uses CR or LF inside a character.
    const std::size_t lineEnd = text.substr(0, window).find_last_of("\r\n");
    if (lineEnd != std::string_view::npos) return lineEnd + 1;
    if (!complete && text.size() <= bound) return 0;
    std::size_t boundary = 0, mark = 0;
    for (std::size_t at = 0; at < window;) {
        Character c = CharacterAt(text, at);
        if (c.length == 0) {
            if (!complete) break;
            c.length = 1; // cut off by the text's end: its bytes are characters of their own
        }
        if (at + c.length > window) {
            if (at == 0) return c.length;
            break;
        }
        if (EndsPhrases(text, at, c.length)) mark = at + c.length;
        at += c.length;
        boundary = at;
    }
    return mark > 0 ? mark : boundary;
}

namespace {

// A conversion under way: the source's bytes, how far they are converted, and the text
// they became so far.
struct Conversion {
    QByteArray source;
    char* sourceBytes = nullptr;
    std::size_t available = 0;
    std::function<void(text::TextSink&)> produce;
    std::shared_ptr<const ScriptConverter> converter;
    std::size_t piece = 0;
    std::size_t consumed = 0;
    std::size_t written = 0;
    QByteArray scratch;
    // For a source that arrives (a folder file), the pages of it already converted are
    // given back to the system as the conversion goes: nothing reads them again, so a big
    // text is not held twice until its conversion ends.
    bool dropConverted = false;
    std::size_t dropped = 0;

    void DropConverted() {
        // Every 32 pieces (2 MiB at the usual size): a call per piece would cost more than
        // it gives back.
        if (!dropConverted || consumed - dropped < 32 * piece) return;
        const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        const auto base = reinterpret_cast<std::uintptr_t>(sourceBytes);
        const std::uintptr_t from = (base + dropped + page - 1) / page * page;
        const std::uintptr_t to = (base + consumed) / page * page;
        if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
        dropped = consumed;
    }

    // Converts the source's bytes up to what it has, in pieces of `bound`, into `text`;
    // with `onlyOne`, one piece at most. `sink` (when given) hears of each piece.
    void Advance(char* text, std::size_t room, std::size_t bound, bool complete, bool onlyOne,
                 text::TextSink* sink) {
        while (consumed < available) {
            if (sink && sink->cancelled()) return;
            const std::string_view rest(sourceBytes + consumed, available - consumed);
            const std::size_t end = PieceEnd(rest, bound, complete);
            if (end == 0) return;
            scratch.clear();
            converter->Convert(rest.substr(0, end), scratch);
            const auto bytes = static_cast<std::size_t>(scratch.size());
            if (bytes > room - written) TooLarge();
            std::copy(scratch.constData(), scratch.constData() + bytes, text + written);
            written += bytes;
            consumed += end;
            DropConverted();
            if (sink) sink->publish(written);
            if (onlyOne) return;
        }
    }
};

// What the source's producer writes into: its bytes are converted as they are published.
class SourceSink final : public text::TextSink {
public:
    SourceSink(Conversion& conversion, text::TextSink& out) : c_(conversion), out_(out) {}
    char* data() override { return c_.sourceBytes; }
    std::size_t capacity() const override { return static_cast<std::size_t>(c_.source.size()); }
    void publish(std::size_t total) override {
        if (total <= c_.available || total > capacity()) return;
        c_.available = total;
        c_.Advance(out_.data(), out_.capacity(), c_.piece, false, false, &out_);
    }
    bool cancelled() const override { return out_.cancelled(); }

private:
    Conversion& c_;
    text::TextSink& out_;
};

} // namespace

text::TextFeed ConvertedFeed(text::TextFeed source,
                             std::shared_ptr<const ScriptConverter> converter,
                             std::size_t firstBytes, std::size_t pieceBytes) {
    auto c = std::make_shared<Conversion>();
    c->source = std::move(source.buffer);
    c->available = std::min(source.ready, static_cast<std::size_t>(c->source.size()));
    c->produce = std::move(source.produce);
    // The producer writes into the buffer, so it is made writable (unshared) now, once.
    c->sourceBytes = c->produce ? c->source.data() : const_cast<char*>(c->source.constData());
    c->converter = std::move(converter);
    c->dropConverted = static_cast<bool>(c->produce);
    c->piece = std::max<std::size_t>(pieceBytes, 1);
    const bool complete = !c->produce;
    // Converted text is about as long as its source; phrases that grow, and characters
    // that need four bytes, are given room. Pages never written cost nothing.
    const auto sourceSize = static_cast<std::size_t>(c->source.size());
    const std::size_t room = std::min(2 * sourceSize + 64 * 1024, text::kMemoCapacity);
    QByteArray text(static_cast<qsizetype>(room), Qt::Uninitialized);
    c->Advance(text.data(), room, std::max<std::size_t>(firstBytes, 1), complete, true, nullptr);
    if (complete && c->consumed == c->available) {
        text.resize(static_cast<qsizetype>(c->written));
        const std::size_t ready = c->written;
        return {std::move(text), ready, {}};
    }
    const std::size_t ready = c->written;
    return {std::move(text), ready, [c](text::TextSink& sink) {
                std::exception_ptr failed;
                if (c->produce) {
                    SourceSink inner(*c, sink);
                    const auto produce = std::move(c->produce);
                    try {
                        produce(inner);
                    } catch (...) {
                        failed = std::current_exception();
                    }
                }
                // The rest, the last line too, as far as the source came.
                if (!sink.cancelled())
                    c->Advance(sink.data(), sink.capacity(), c->piece, true, false, &sink);
                sink.publish(c->written);
                if (failed) std::rethrow_exception(failed);
            }};
}

} // namespace orlenth::platform
