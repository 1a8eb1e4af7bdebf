// The framing reader on arbitrary bytes: it either restores or reports a read error, and
// never reads past the stream it was given.

#include "FuzzTarget.h"

#include "framework/Errors.h"
#include "library/CompressedStream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orlenth::TMemoryStream source(data, static_cast<std::int64_t>(size));
    orlenth::TMemoryStream dest;
    try {
        orlenth::LoadCompressedStream(source, dest);
    } catch (const orlenth::EReadError&) {
        return 0;
    }
    if (source.Position() > source.Size()) FuzzFailure("read past the source");
    return 0;
}
