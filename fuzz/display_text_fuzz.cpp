// A folder file as the reader loads it: read and converted in pieces (of 1 to 64 bytes,
// the first input byte says), in the background, from the file itself; detected, or in an
// encoding the caller forces (when the first byte's top bit is set, the second byte picks
// it) or passes on as an earlier verdict (its next bit set too). Whatever the bytes and
// wherever the pieces end, the text is what converting the whole file at once gives, and
// the encoding reported is the one used, forced only when it was.

#include "FuzzFolder.h"
#include "FuzzTarget.h"

#include "app/platform/DisplayText.h"
#include "app/platform/TextDetection.h"
#include "framework/text/TextLoad.h"

#include <QByteArray>

#include <fstream>
#include <memory>
#include <optional>
#include <string_view>

namespace {

const FuzzFolder& folder() {
    static const FuzzFolder f("display-text");
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using orlenth::platform::FileEncoding;
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 64;
    std::size_t skip = 1;
    std::optional<FileEncoding> chosen;
    if (data[0] & 0x80) {
        if (size < 2) return 0;
        const auto known = orlenth::platform::KnownEncodings();
        chosen = known[data[1] % known.size()].encoding;
        skip = 2;
    }
    const bool verdict = (data[0] & 0x40) != 0;
    const std::optional<FileEncoding> forced = verdict ? std::nullopt : chosen;
    const std::string_view file(reinterpret_cast<const char*>(data + skip), size - skip);
    const auto path = folder() / "file.txt";
    std::ofstream(path, std::ios::binary)
        .write(file.data(), static_cast<std::streamsize>(file.size()));
    auto opened = orlenth::platform::TextFile::Open(path.string());
    if (!opened) FuzzFailure("a regular file does not open");
    constexpr std::size_t kRoom = std::size_t{1} << 26;
    auto report = std::make_shared<orlenth::platform::EncodingReport>();
    orlenth::text::TextLoad load(std::move(*opened).FeedForDisplay(
        kRoom, piece, forced, report, verdict ? chosen : std::nullopt));
    const QByteArray& text = load.finalText();
    if (load.error()) FuzzFailure("loading a small file failed");
    const QByteArray whole = orlenth::platform::DisplayBytesOf(
        QByteArray(file.data(), static_cast<qsizetype>(file.size())), chosen);
    if (text != whole) FuzzFailure("the text read in pieces differs from the whole converted");
    const FileEncoding used = chosen ? *chosen : orlenth::platform::DetectEncoding(file);
    if (report->Encoding() != used) FuzzFailure("the encoding reported is not the one used");
    if (report->Forced() != forced.has_value()) FuzzFailure("a forced encoding not reported so");
    return 0;
}
