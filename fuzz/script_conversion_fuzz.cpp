// 简繁's conversion against itself, over any bytes: the first byte picks the script and
// the piece size. Bytes of no character and NULs come out as they went in, in order; the
// text converted as an arriving feed in pieces equals the whole converted at once whenever
// no line is longer than a piece (pieces end only at line ends then); and OpenCC's errors,
// should any come, are the system's.

#include "FuzzTarget.h"

#include "app/platform/ScriptConversion.h"
#include "framework/Errors.h"
#include "framework/text/TextLoad.h"

#include <QByteArray>

#include <algorithm>
#include <string_view>

namespace {

using orlenth::platform::ConvertedFeed;
using orlenth::platform::Script;
using orlenth::platform::ScriptConverter;

constexpr Script kScripts[] = {Script::Simplified, Script::Traditional, Script::Taiwan};

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
    const QByteArray& pieces = load.finalText();
    if (load.error()) FuzzFailure("the feed failed where the whole did not");
    if (LongestLine(text) <= piece && pieces != whole)
        FuzzFailure("pieces cut at line ends changed the text");
    return 0;
}
