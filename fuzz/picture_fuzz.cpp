// A "Picture.Data" value of arbitrary bytes through the one entry point: it decodes to an
// image within the size bound, as wide and tall as a bitmap's header says, or is refused
// with EReadError. And a bitmap written here from the same bytes (a small size, rows bottom
// up or top down, their padding, the pixels) decodes to exactly the pixels written.

#include "FuzzTarget.h"

#include "framework/Errors.h"
#include "resource/picture/ImageLimits.h"
#include "resource/picture/Picture.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// The value of a picture: the class's name, then the file with its length.
Bytes PictureValue(std::string_view className, const Bytes& file) {
    Bytes out{static_cast<std::uint8_t>(className.size())};
    out.insert(out.end(), className.begin(), className.end());
    Put(out, static_cast<std::uint32_t>(file.size()), 4);
    out.insert(out.end(), file.begin(), file.end());
    return out;
}

// A 24-bit bitmap of `width` x `height` whose pixel (x, y), counted from the top, is
// Pixel(x, y).
struct Bitmap {
    int width, height;
    bool topDown;
    const std::uint8_t* data;
    std::size_t size;
    QRgb Pixel(int x, int y) const {
        const std::size_t i = static_cast<std::size_t>(y * width + x) * 3;
        const auto at = [&](std::size_t k) { return size ? data[(i + k) % size] : 0; };
        return qRgb(at(0), at(1), at(2));
    }
    Bytes File() const {
        const int stride = (width * 3 + 3) / 4 * 4;
        Bytes f{'B', 'M'};
        Put(f, static_cast<std::uint32_t>(54 + stride * height), 4);
        Put(f, 0, 4);
        Put(f, 54, 4);
        Put(f, 40, 4);
        Put(f, static_cast<std::uint32_t>(width), 4);
        Put(f, static_cast<std::uint32_t>(topDown ? -height : height), 4);
        Put(f, 1, 2);
        Put(f, 24, 2);
        Put(f, 0, 4);
        Put(f, static_cast<std::uint32_t>(stride * height), 4);
        for (int i = 0; i < 4; ++i) Put(f, i < 2 ? 2835 : 0, 4);
        for (int row = 0; row < height; ++row) {
            const int y = topDown ? row : height - 1 - row;
            for (int x = 0; x < width; ++x) {
                const QRgb p = Pixel(x, y);
                f.push_back(static_cast<std::uint8_t>(qBlue(p)));
                f.push_back(static_cast<std::uint8_t>(qGreen(p)));
                f.push_back(static_cast<std::uint8_t>(qRed(p)));
            }
            for (int pad = width * 3; pad < stride; ++pad) f.push_back(0xAA);
        }
        return f;
    }
};

std::int64_t Le32(const std::uint8_t* p) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | p[i];
    return static_cast<std::int32_t>(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const QImage image = orlenth::DecodePicture({data, size});
        if (image.isNull()) FuzzFailure("a decoded picture is null");
        if (!orlenth::PictureSizeAllowed(image.width(), image.height()))
            FuzzFailure("a decoded picture is larger than the bound");
        // A bitmap is as large as its header says: the header sits after the name and the
        // length (1 + 7 + 4 bytes).
        static constexpr std::string_view kBitmap = "\x07TBitmap";
        if (size >= 12 + 26 &&
            std::string_view(reinterpret_cast<const char*>(data), 8) == kBitmap &&
            (image.width() != Le32(data + 12 + 18) ||
             image.height() != std::llabs(Le32(data + 12 + 22))))
            FuzzFailure("a bitmap decoded to another size than its header's");
    } catch (const orlenth::EReadError&) {
    }

    if (size < 2) return 0;
    const Bitmap bitmap{1 + data[0] % 13, 1 + data[1] % 11, (data[0] & 0x80) != 0, data + 2,
                        size - 2};
    QImage image;
    try {
        image = orlenth::DecodePicture(PictureValue("TBitmap", bitmap.File()));
    } catch (const orlenth::EReadError&) {
        FuzzFailure("a well-formed bitmap was refused");
    }
    if (image.width() != bitmap.width || image.height() != bitmap.height)
        FuzzFailure("a bitmap decoded to another size");
    for (int y = 0; y < bitmap.height; ++y)
        for (int x = 0; x < bitmap.width; ++x)
            if (image.pixel(x, y) != bitmap.Pixel(x, y))
                FuzzFailure("a bitmap decoded to other pixels");
    return 0;
}
