#include "library/LZRW.h"

#include "framework/Errors.h"
#include "reference_codec.h"
#include "test_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace orlenth;
using testdata::Bytes;
using testdata::hex;

namespace {

Bytes compress(const Bytes& in) {
    auto src = std::make_unique<TLZRWBuffer>();
    auto dst = std::make_unique<TLZRWBuffer>();
    if (!in.empty()) std::memcpy(src->data(), in.data(), in.size());
    const std::uint16_t n = WJKLZRWCompress(*src, *dst, static_cast<std::uint16_t>(in.size()));
    return Bytes(dst->begin(), dst->begin() + n);
}

Bytes decompress(const Bytes& block) {
    auto src = std::make_unique<TLZRWBuffer>();
    auto dst = std::make_unique<TLZRWBuffer>();
    if (!block.empty()) std::memcpy(src->data(), block.data(), block.size());
    const std::uint16_t n = WJKLZRWDecompress(*src, *dst, static_cast<std::uint16_t>(block.size()));
    return Bytes(dst->begin(), dst->begin() + n);
}

struct Example {
    const char* name;
    Bytes input;
    Bytes block;
};

// The kinds of a compressed block's items in order: L literal, C copy, R run.
std::string itemKinds(const Bytes& b) {
    std::string kinds;
    std::size_t x = 3;
    std::uint32_t c = static_cast<std::uint32_t>(b[1] << 8 | b[2]);
    int left = 16;
    while (x < b.size()) {
        if (left == 0) {
            c = static_cast<std::uint32_t>(b[x] << 8 | b[x + 1]);
            x += 2;
            left = 16;
        }
        if (!(c & 0x8000)) {
            kinds += 'L';
            x += 1;
        } else if ((b[x] << 4 | b[x + 1] >> 4) == 0) {
            kinds += 'R';
            x += 4;
        } else {
            kinds += 'C';
            x += 2;
        }
        c <<= 1;
        --left;
    }
    return kinds;
}

Bytes ascii(const char* s) {
    return Bytes(s, s + std::strlen(s));
}

std::vector<Example> examples() {
    return {
        {"abc_four_times", ascii("abcabcabcabc"), hex("40 10 00 61 62 63 00 36")},
        {"empty", {}, hex("80")},
        {"one_byte", ascii("q"), hex("80 71")},
        {"two_bytes", ascii("qq"), hex("80 71 71")},
        {"three_equal_bytes_are_stored", ascii("aaa"), hex("80 61 61 61")},
        {"six_equal_bytes_compress_to_equal_length", testdata::fill(6, 0x61),
         hex("40 40 00 61 00 12")},
        {"fifteen_bytes_are_a_copy", testdata::fill(15, 0x78), hex("40 40 00 78 00 1B")},
        {"sixteen_bytes_are_a_run", testdata::fill(16, 0x78), hex("40 80 00 00 00 00 78")},
        {"run_of_4095", testdata::fill(4095, 0x7A), hex("40 80 00 00 0F EF 7A")},
        {"runs_of_4095_and_905", testdata::fill(5000, 0x71),
         hex("40 C0 00 00 0F EF 71 00 03 79 71")},
        {"overlapping_copy", ascii("abababab"), hex("40 20 00 61 62 00 23")},
    };
}

} // namespace

class CodecExample : public ::testing::TestWithParam<Example> {};

TEST_P(CodecExample, CompressesByteForByte) {
    EXPECT_EQ(compress(GetParam().input), GetParam().block);
}

TEST_P(CodecExample, DecompressesBack) {
    EXPECT_EQ(decompress(GetParam().block), GetParam().input);
}

INSTANTIATE_TEST_SUITE_P(Blocks, CodecExample, ::testing::ValuesIn(examples()),
                         [](const auto& row) { return std::string(row.param.name); });

// ---------------------------------------------------------------- round trips

struct RoundTrip {
    const char* name;
    Bytes input;
};

std::vector<RoundTrip> roundTrips() {
    std::vector<RoundTrip> r;
    for (std::size_t n : {0u, 1u, 2u, 3u, 15u, 16u, 17u, 4095u, 4096u, 4111u, 4112u, 5000u})
        r.push_back({"", testdata::fill(n, 0x5A)});
    for (std::uint32_t n : {31u, 1000u, 32767u, 32768u, 32769u, 32780u, 32781u}) {
        r.push_back({"", testdata::randomBytes(n, n)});
        r.push_back({"", testdata::randomBytes(n + 7, n, 4)});
        r.push_back({"", testdata::gbkProse(n, n)});
    }
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        const std::size_t n = 1 + (seed * 7919u) % kLZRWMaxInput;
        r.push_back({"", testdata::randomBytes(seed, n, 1 + static_cast<int>(seed % 9))});
        r.push_back({"", testdata::gbkProse(seed, n)});
    }
    // Runs next to copies next to literals, across group boundaries.
    Bytes mixed;
    for (int i = 0; i < 300; ++i) {
        const Bytes a =
            testdata::fill(static_cast<std::size_t>(i % 40), static_cast<std::uint8_t>(i));
        const Bytes b =
            testdata::gbkProse(static_cast<std::uint32_t>(i), static_cast<std::size_t>(i % 23));
        mixed.insert(mixed.end(), a.begin(), a.end());
        mixed.insert(mixed.end(), b.begin(), b.end());
    }
    mixed.resize(std::min<std::size_t>(mixed.size(), kLZRWMaxInput));
    r.push_back({"", mixed});
    return r;
}

TEST(Codec, RoundTripsAndAgreesWithThePlainTranscription) {
    for (const auto& rt : roundTrips()) {
        SCOPED_TRACE("size " + std::to_string(rt.input.size()));
        const Bytes block = compress(rt.input);
        ASSERT_EQ(block, reference::compress(rt.input));
        EXPECT_LE(block.size(), rt.input.size() + 1);
        EXPECT_EQ(decompress(block), rt.input);
        EXPECT_EQ(reference::decompress(block), rt.input);
    }
}

TEST(Codec, IncompressibleFullBlockIsStored) {
    const Bytes in = testdata::randomBytes(99, kLZRWMaxInput);
    const Bytes block = compress(in);
    ASSERT_EQ(block.size(), 32782u);
    EXPECT_EQ(block[0], 0x80);
    EXPECT_EQ(decompress(block), in);
}

// Positions of 32768 and more read back negative from the table and never match: the
// second "XYZ" below must stay three literals, although the first is five bytes back.
TEST(Codec, PositionsFrom32768AreNoMatchSources) {
    Bytes in;
    while (in.size() < 32768) in.push_back(static_cast<std::uint8_t>('0' + in.size() % 7));
    const Bytes tail = ascii("XYZqwXYZrtuvw");
    in.insert(in.end(), tail.begin(), tail.end());
    ASSERT_EQ(in.size(), 32781u);
    const Bytes block = compress(in);
    ASSERT_EQ(block[0], 0x40);
    const std::string kinds = itemKinds(block);
    // The last 13 items are literals.
    EXPECT_EQ(kinds.substr(kinds.size() - 13), std::string(13, 'L'));
    EXPECT_EQ(decompress(block), in);

    // The same tail earlier in the block does match: literals X Y Z q w, then a copy.
    Bytes early(in.begin(), in.begin() + 100);
    early.insert(early.end(), tail.begin(), tail.end());
    const Bytes small = compress(early);
    const std::string smallKinds = itemKinds(small);
    EXPECT_EQ(smallKinds.substr(smallKinds.size() - 11), "LLLLLCLLLLL");
    EXPECT_EQ(small, reference::compress(early));
}

TEST(Codec, FullGroupIsFollowedDirectlyByTheNextControlWord) {
    // Sixteen distinct literals then a run: control word 0000, sixteen bytes, then the
    // next control word 8000 and the run item.
    Bytes in = ascii("ABCDEFGHIJKLMNOP");
    const Bytes run = testdata::fill(40, 0x2E);
    in.insert(in.end(), run.begin(), run.end());
    const Bytes block = compress(in);
    Bytes expected = hex("40 00 00");
    expected.insert(expected.end(), in.begin(), in.begin() + 16);
    const Bytes rest = hex("80 00 00 00 18 2E");
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(block, expected);
    // A seventeenth item opens a new group.
    EXPECT_EQ(compress(ascii("ABCDEFGHIJKLMNOPABCDEFGHIJKLMNOP")),
              hex("40 00 00 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 80 00 01 0D"));
    // Exactly sixteen items: no control word after the last one.
    EXPECT_EQ(compress(ascii("ABCDEFGHIJKLMNOABCDEFGHIJKLMNO")),
              hex("40 00 01 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 00 FC"));
}

TEST(Codec, OtherHeaderBytesAreTheCompressedForm) {
    EXPECT_EQ(decompress(hex("00 10 00 61 62 63 00 36")), ascii("abcabcabcabc"));
    EXPECT_EQ(decompress(hex("80 61 62")).size(), 2u);
}

TEST(Codec, CompressRefusesOversizedInput) {
    auto src = std::make_unique<TLZRWBuffer>();
    auto dst = std::make_unique<TLZRWBuffer>();
    dst->fill(0xEE);
    EXPECT_THROW(WJKLZRWCompress(*src, *dst, 32782), EInvalidPointer);
    EXPECT_EQ((*dst)[0], 0xEE);
}

// ---------------------------------------------------------------- corrupt blocks

struct Corrupt {
    const char* name;
    Bytes block;
};

class CodecCorrupt : public ::testing::TestWithParam<Corrupt> {};

TEST_P(CodecCorrupt, IsAReadError) {
    try {
        decompress(GetParam().block);
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, CodecCorrupt,
    ::testing::Values(
        Corrupt{"empty_block", {}}, Corrupt{"compressed_head_cut", hex("40 00")},
        Corrupt{"copy_before_start", hex("40 80 00 00 36")},
        Corrupt{"copy_offset_past_output", hex("40 20 00 61 62 00 33")},
        Corrupt{"copy_cut_off", hex("40 80 00 00")},
        Corrupt{"run_cut_off", hex("40 80 00 00 00 00")},
        Corrupt{"control_word_cut_off",
                hex("40 00 00 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 80")},
        // Nine runs of 4111 bytes overflow the 32782-byte destination.
        Corrupt{"runs_overflow_destination",
                hex("40 FF 80 00 0F FF 41 00 0F FF 41 00 0F FF 41 00 0F FF 41 00 0F FF 41 00 0F FF "
                    "41 00 0F FF 41 00 0F FF 41 00 0F FF 41")},
        Corrupt{"copies_overflow_destination",
                [] {
                    // A literal, then copies of 18 bytes at offset 1, group
                    // after group, until well past the buffer.
                    Bytes b = hex("40 7F FF 61");
                    for (int i = 0; i < 15; ++i) {
                        b.push_back(0x00);
                        b.push_back(0x1F);
                    }
                    for (int g = 0; g < 140; ++g) {
                        b.push_back(0xFF);
                        b.push_back(0xFF);
                        for (int i = 0; i < 16; ++i) {
                            b.push_back(0x00);
                            b.push_back(0x1F);
                        }
                    }
                    return b;
                }()}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Codec, BlockSizeAboveTheBufferIsRefused) {
    std::vector<std::uint8_t> src(40000, 0x80), dst(40000);
    EXPECT_EQ(LZRWDecompressBlock(src.data(), 32783, dst.data(), 32782), -1);
    EXPECT_EQ(LZRWDecompressBlock(src.data(), 32782, dst.data(), 32782), 32781);
}
