// The block decoder on arbitrary bytes, beside a plain byte-at-a-time decoder written from
// the block form's rules (tests/reference_codec): both refuse the same blocks and restore
// the same bytes, and the decoder never touches memory outside the block or the
// destination.

#include "FuzzTarget.h"

#include "library/LZRW.h"
#include "tests/reference_codec.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that any read past the block is caught.
    auto block = std::make_unique<std::uint8_t[]>(size ? size : 1);
    if (size) std::memcpy(block.get(), data, size);
    auto out = std::make_unique<std::uint8_t[]>(orlenth::kLZRWBufferSize);
    const std::ptrdiff_t n =
        orlenth::LZRWDecompressBlock(block.get(), size, out.get(), orlenth::kLZRWBufferSize);
    if (n > static_cast<std::ptrdiff_t>(orlenth::kLZRWBufferSize))
        FuzzFailure("output larger than the destination");
    const auto expected = reference::decompressChecked(block.get(), size);
    if ((n >= 0) != expected.has_value())
        FuzzFailure("the decoder and the reference disagree on the verdict");
    if (n < 0) return 0;
    if (static_cast<std::size_t>(n) != expected->size() ||
        (n > 0 && std::memcmp(out.get(), expected->data(), expected->size()) != 0))
        FuzzFailure("the decoder and the reference restore different bytes");
    return 0;
}
