#include "resource/picture/BmpDecoder.h"

#include "framework/Errors.h"
#include "resource/picture/ImageLimits.h"

namespace orlenth {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 |
           static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::int32_t I32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int32_t>(U32(b, at));
}

} // namespace

QImage DecodeBmp(std::span<const std::uint8_t> file) {
    if (file.size() < kHeadersSize) throw EReadError();
    if (file[0] != 'B' || file[1] != 'M') throw EReadError();
    const std::uint32_t fileSize = U32(file, 2);
    const std::uint32_t pixelOffset = U32(file, 10);

    const std::uint32_t infoSize = U32(file, 14);
    const std::int32_t width = I32(file, 18);
    const std::int32_t signedHeight = I32(file, 22);
    const std::uint16_t planes = U16(file, 26);
    const std::uint16_t bitCount = U16(file, 28);
    const std::uint32_t compression = U32(file, 30);
    const std::uint32_t imageSize = U32(file, 34);
    const std::uint32_t coloursUsed = U32(file, 46);

    // Larger info headers (V4, V5) carry colour masks and profiles we would have to honour;
    // we never write them, so they are refused rather than half understood.
    if (infoSize != kInfoHeaderSize || planes != 1 || bitCount != 24 || compression != 0 ||
        coloursUsed != 0)
        throw EReadError();

    const bool topDown = signedHeight < 0;
    const std::int64_t height = topDown ? -static_cast<std::int64_t>(signedHeight) : signedHeight;
    if (!PictureSizeAllowed(width, height)) throw EReadError();

    const std::int64_t rowBytes = static_cast<std::int64_t>(width) * 3;
    const std::int64_t stride = (rowBytes + 3) & ~std::int64_t{3};
    const std::int64_t pixelBytes = stride * height;
    const auto available = static_cast<std::int64_t>(file.size());

    if (pixelOffset < kHeadersSize || pixelOffset > file.size()) throw EReadError();
    if (pixelBytes > available - static_cast<std::int64_t>(pixelOffset)) throw EReadError();
    // Zero is allowed for both sizes: writers may leave them out for uncompressed pixels.
    if (fileSize != 0 && (fileSize > file.size() || fileSize < pixelOffset + pixelBytes))
        throw EReadError();
    if (imageSize != 0 && (imageSize < pixelBytes || imageSize > available - pixelOffset))
        throw EReadError();

    QImage image(width, static_cast<int>(height), QImage::Format_RGB32);
    if (image.isNull()) throw EReadError();
    const auto pixels = file.subspan(pixelOffset, static_cast<std::size_t>(pixelBytes));
    for (std::int64_t y = 0; y < height; ++y) {
        const std::int64_t sourceRow = topDown ? y : height - 1 - y;
        const auto row = pixels.subspan(static_cast<std::size_t>(sourceRow * stride),
                                        static_cast<std::size_t>(rowBytes));
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
        for (std::int32_t x = 0; x < width; ++x) {
            const auto at = static_cast<std::size_t>(x) * 3;
            out[x] = qRgb(row[at + 2], row[at + 1], row[at]);
        }
    }
    return image;
}

} // namespace orlenth
