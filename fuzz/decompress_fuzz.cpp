// The block decoder on arbitrary bytes: it must never touch memory outside the block or
// the destination, whatever it decides about the block.

#include "FuzzTarget.h"

#include "library/LZRW.h"

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
    if (n >= 0 && size >= 1 && data[0] == 0x80 && n != static_cast<std::ptrdiff_t>(size - 1))
        FuzzFailure("stored block of the wrong length");
    return 0;
}
