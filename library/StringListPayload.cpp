#include "library/StringListPayload.h"

#include "framework/Errors.h"
#include "library/CompressedStream.h"
#include "library/StreamFields.h"

#include <limits>

namespace orlenth {

void stWriteStringList(TStream& stream, const TLineList& strings, bool compressed) {
    // Read in place: a copy would double what writing a long article holds.
    const std::string& text = strings.Text();
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EWriteError();
    const auto n = static_cast<std::int32_t>(text.size());
    if (compressed) {
        TViewStream memory(text.data(), n);
        SaveCompressedStream(memory, stream, n);
        return;
    }
    const std::int64_t p0 = stream.Position();
    stream.SetPosition(p0 + 4);
    stream.WriteExact(text.data(), n);
    const std::int64_t p1 = stream.Position();
    stream.SetPosition(p0);
    stWriteInteger(stream, static_cast<std::int32_t>(p1 - p0 - 4));
    stream.SetPosition(p1);
}

void stReadStringList(TStream& stream, TLineList& strings, bool compressed) {
    std::string text;
    if (compressed && stream.Lasting()) {
        if (const std::uint8_t* at = stream.ReadInPlace(0)) {
            // Checked whole now, restored when first used (see TLineList::SetPacked).
            const std::int64_t start = stream.Position();
            CheckCompressedStream(stream);
            strings.SetPacked(
                std::string_view(reinterpret_cast<const char*>(at),
                                 static_cast<std::size_t>(stream.Position() - start)));
            return;
        }
    }
    if (compressed) {
        LoadCompressedStream(stream, text);
    } else {
        if (stream.Remaining() < 4) throw EReadError();
        const std::int32_t n = stReadInteger(stream);
        // Checked before the buffer is sized, so that a damaged length cannot ask for
        // gigabytes.
        if (n < 0 || n > stream.Remaining()) throw EReadError();
        text.resize(static_cast<std::size_t>(n));
        stream.ReadExact(text.data(), n);
    }
    strings.SetText(std::move(text));
}

} // namespace orlenth
