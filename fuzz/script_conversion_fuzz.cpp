// 简繁's conversion over any bytes: the first byte picks the script and the piece size. NULs
// come out as they went in; the text converted as an arriving feed in pieces equals the
// whole converted at once whenever no line is longer than a piece (pieces end only at line
// ends then); and OpenCC's errors, should any come, are the system's. The same bytes written
// as a text of ASCII, NULs, bytes of no character and five characters whose forms are known
// (国學書馬門 and their simplified forms) convert to exactly the text expected, at once and
// in pieces of any size: ASCII and stray bytes unchanged, each character to its form.

#include "FuzzTarget.h"

#include "app/platform/ScriptConversion.h"
#include "framework/Errors.h"
#include "framework/text/TextLoad.h"

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>

namespace {

using orlenth::platform::ConvertedFeed;
using orlenth::platform::Script;
using orlenth::platform::ScriptConverter;

constexpr Script kScripts[] = {Script::Simplified, Script::Traditional, Script::Taiwan};

QByteArray Converted(const std::shared_ptr<const ScriptConverter>& converter,
                     const QByteArray& source, std::size_t piece) {
    orlenth::text::TextFeed feed{
        source, 0, [source, piece](orlenth::text::TextSink& sink) {
            for (std::size_t at = 0; at < static_cast<std::size_t>(source.size());) {
                const std::size_t n = std::min(piece, static_cast<std::size_t>(source.size()) - at);
                std::copy(source.constData() + at, source.constData() + at + n, sink.data() + at);
                at += n;
                sink.publish(at);
            }
        }};
    orlenth::text::TextLoad load(ConvertedFeed(std::move(feed), converter, piece, piece));
    const QByteArray pieces = load.finalText();
    if (load.error()) FuzzFailure("the feed failed where the whole did not");
    return pieces;
}

// A character in its simplified and traditional forms (GB18030).
struct Pair {
    const char* simplified;
    const char* traditional;
};
constexpr Pair kPairs[] = {{"\xB9\xFA", "\x87\xF8"},  // 国 國
                           {"\xD1\xA7", "\x8C\x57"},  // 学 學
                           {"\xCA\xE9", "\x95\xF8"},  // 书 書
                           {"\xC2\xED", "\xF1\x52"},  // 马 馬
                           {"\xC3\xC5", "\xE9\x54"}}; // 门 門

// The text of the small alphabet the bytes write, and what it converts to.
std::pair<QByteArray, QByteArray> WrittenText(std::string_view bytes, bool toTraditional) {
    static constexpr char kAscii[] = "aZ09 .,\r\n\t";
    QByteArray text, expected;
    for (const char b : bytes) {
        const auto u = static_cast<std::uint8_t>(b);
        if (u < 0x80) {
            text += kAscii[u % (sizeof kAscii - 1)];
            expected += text.back();
        } else if (u < 0x90) {
            // A NUL and bytes that start no character.
            static constexpr char kStray[] = {'\0', '\x80', '\xFF'};
            text += kStray[u % 3];
            expected += text.back();
        } else {
            const Pair& p = kPairs[u % std::size(kPairs)];
            text += u & 0x40 ? p.traditional : p.simplified;
            expected += toTraditional ? p.traditional : p.simplified;
        }
    }
    return {text, expected};
}

std::size_t LongestLine(std::string_view text) {
    std::size_t longest = 0, start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
            longest = std::max(longest, i + 1 - start);
            start = i + 1;
        }
    return longest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const auto converter = ScriptConverter::For(kScripts[data[0] % 3]);
    const std::size_t piece = std::size_t{1} + data[0] / 3;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    QByteArray whole;
    converter->Convert(text, whole);
    // A NUL goes through as it came, so the NULs of the text are those of its conversion
    // (OpenCC itself never writes one).
    if (std::count(text.begin(), text.end(), '\0') != std::count(whole.begin(), whole.end(), '\0'))
        FuzzFailure("NULs lost or made");
    const QByteArray source(text.data(), static_cast<qsizetype>(text.size()));
    if (LongestLine(text) <= piece && Converted(converter, source, piece) != whole)
        FuzzFailure("pieces cut at line ends changed the text");

    const auto [written, expected] = WrittenText(text, data[0] % 3 != 0);
    QByteArray once;
    converter->Convert(
        std::string_view(written.constData(), static_cast<std::size_t>(written.size())), once);
    if (once != expected) FuzzFailure("a text of known characters converted otherwise");
    if (Converted(converter, written, piece) != expected)
        FuzzFailure("a text of known characters converted otherwise in pieces");
    return 0;
}
