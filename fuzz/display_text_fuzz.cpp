// A folder file as the reader loads it: read and converted in pieces (of 1 to 64 bytes,
// the first input byte says), in the background, from the file itself. Whatever the bytes
// and wherever the pieces end, the text is what converting the whole file at once gives.

#include "FuzzFolder.h"
#include "FuzzTarget.h"

#include "app/platform/DisplayText.h"
#include "framework/text/TextLoad.h"

#include <QByteArray>

#include <fstream>
#include <string_view>

namespace {

const FuzzFolder& folder() {
    static const FuzzFolder f("display-text");
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 64;
    const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto path = folder() / "file.txt";
    std::ofstream(path, std::ios::binary)
        .write(file.data(), static_cast<std::streamsize>(file.size()));
    auto opened = orlenth::platform::TextFile::Open(path.string());
    if (!opened) FuzzFailure("a regular file does not open");
    constexpr std::size_t kRoom = std::size_t{1} << 26;
    orlenth::text::TextLoad load(std::move(*opened).FeedForDisplay(kRoom, piece));
    const QByteArray& text = load.finalText();
    if (load.error()) FuzzFailure("loading a small file failed");
    const QByteArray whole = orlenth::platform::DisplayBytesOf(
        QByteArray(file.data(), static_cast<qsizetype>(file.size())));
    if (text != whole) FuzzFailure("the text read in pieces differs from the whole converted");
    return 0;
}
