// Compress then decompress: every input of up to one block must come back unchanged, and
// the block form is never longer than the input plus its header byte.

#include "FuzzTarget.h"

#include "library/LZRW.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > orlenth::kLZRWMaxInput) size = orlenth::kLZRWMaxInput;
    auto in = std::make_unique<std::uint8_t[]>(size ? size : 1);
    if (size) std::memcpy(in.get(), data, size);
    auto block = std::make_unique<std::uint8_t[]>(size + 1);
    const std::size_t n = orlenth::LZRWCompressBlock(in.get(), size, block.get());
    if (n > size + 1) FuzzFailure("block longer than input + 1");
    auto out = std::make_unique<std::uint8_t[]>(orlenth::kLZRWBufferSize);
    const std::ptrdiff_t m =
        orlenth::LZRWDecompressBlock(block.get(), n, out.get(), orlenth::kLZRWBufferSize);
    if (m != static_cast<std::ptrdiff_t>(size)) FuzzFailure("restored length differs");
    if (size && std::memcmp(out.get(), data, size) != 0) FuzzFailure("restored bytes differ");
    return 0;
}
