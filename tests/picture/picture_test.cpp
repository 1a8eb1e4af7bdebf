// The pictures of the window descriptions: the three we ship decode to what an independent
// reader sees, and malformed values are refused with EReadError rather than misread.

#include "resource/picture/BmpDecoder.h"
#include "resource/picture/JpegDecoder.h"
#include "resource/picture/Picture.h"
#include "resource/picture/PictureData.h"

#include "framework/Errors.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

using namespace orlenth;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadPicture(const std::string& name) {
    std::ifstream in(std::string(ORLENTH_PICTURES_DIR) + "/" + name, std::ios::binary);
    return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Checked, so that a field outside the value stops the test rather than writing past it.
void PutU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
}

void PutU16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

Bytes Wrap(const std::string& className, const Bytes& file) {
    Bytes out;
    out.push_back(static_cast<std::uint8_t>(className.size()));
    for (const char c : className) out.push_back(static_cast<std::uint8_t>(c));
    const auto length = static_cast<std::uint32_t>(file.size());
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    out.insert(out.end(), file.begin(), file.end());
    return out;
}

QRgb TestColour(int x, int y) {
    return qRgb((x * 37 + y * 11) & 0xFF, (x * 5 + y * 91) & 0xFF, (x * 113 + y * 7) & 0xFF);
}

// A bitmap written the way we store them, so that the expected pixels are known exactly.
Bytes MakeBmp(int width, int height, bool topDown) {
    const int stride = (width * 3 + 3) & ~3;
    const int pixelBytes = stride * height;
    Bytes b(static_cast<std::size_t>(54 + pixelBytes), 0);
    b[0] = 'B';
    b[1] = 'M';
    PutU32(b, 2, static_cast<std::uint32_t>(b.size()));
    PutU32(b, 10, 54);
    PutU32(b, 14, 40);
    PutU32(b, 18, static_cast<std::uint32_t>(width));
    PutU32(b, 22, static_cast<std::uint32_t>(topDown ? -height : height));
    PutU16(b, 26, 1);
    PutU16(b, 28, 24);
    PutU32(b, 34, static_cast<std::uint32_t>(pixelBytes));
    for (int y = 0; y < height; ++y) {
        const int fileRow = topDown ? y : height - 1 - y;
        for (int x = 0; x < width; ++x) {
            const QRgb c = TestColour(x, y);
            const auto at = static_cast<std::size_t>(54 + fileRow * stride + x * 3);
            b[at] = static_cast<std::uint8_t>(qBlue(c));
            b[at + 1] = static_cast<std::uint8_t>(qGreen(c));
            b[at + 2] = static_cast<std::uint8_t>(qRed(c));
        }
        // Padding bytes are never pixels: fill them so a decoder that reads them shows it.
        for (int p = width * 3; p < stride; ++p)
            b[static_cast<std::size_t>(54 + fileRow * stride + p)] = 0xEE;
    }
    return b;
}

// Offset of the baseline frame header's length field in a JPEG file.
std::size_t FindSof0(const Bytes& jpeg) {
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) return i + 2;
    ADD_FAILURE() << "no SOF0 marker";
    return 0;
}

int MaxChannelDifference(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

// Either decodes or throws EReadError: any other outcome is a failure of the test, and a
// read out of bounds is caught by the sanitizers.
void DecodesOrRefuses(const Bytes& value) {
    try {
        const QImage image = DecodePicture(value);
        EXPECT_FALSE(image.isNull());
    } catch (const EReadError&) {
    }
}

struct ShippedPicture {
    const char* name;
    const char* file;
    const char* className;
    int width;
    int height;
};

const ShippedPicture kShipped[] = {
    {"banner", "banner.jpg", "TJPEGImage", 80, 28},
    {"splash", "splash.jpg", "TJPEGImage", 360, 480},
    {"logo", "logo.bmp", "TBitmap", 62, 96},
};

} // namespace

TEST(Picture, ShippedPicturesDecodeLikeQtsOwnReader) {
    for (const auto& row : kShipped) {
        SCOPED_TRACE(row.name);
        const Bytes file = ReadPicture(row.file);
        ASSERT_FALSE(file.empty());
        const QImage image = DecodePicture(Wrap(row.className, file));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.width(), row.width);
        EXPECT_EQ(image.height(), row.height);

        const QImage reference = QImage::fromData(QByteArray(
            reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size())));
        ASSERT_FALSE(reference.isNull()) << "Qt cannot read it to compare";
        ASSERT_EQ(reference.size(), image.size());
        // Bitmaps are stored exactly; JPEG decoders may round the inverse transform apart.
        const int tolerance = std::string(row.className) == "TBitmap" ? 0 : 3;
        EXPECT_LE(MaxChannelDifference(image, reference), tolerance);

        std::set<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 16u) << "a real picture is not a flat fill";
    }
}

TEST(Picture, JpegFormsBeyondOursDecodeLikeQtsOwnReader) {
    struct Case {
        const char* name;
        QImage::Format format;
        bool progressive;
    };
    const Case cases[] = {
        {"colour baseline", QImage::Format_RGB32, false},
        {"grayscale expanded to colour", QImage::Format_Grayscale8, false},
        {"colour progressive", QImage::Format_RGB32, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage source(37, 23, QImage::Format_RGB32);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x) source.setPixel(x, y, TestColour(x, y));
        source = source.convertToFormat(c.format);
        QByteArray encoded;
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "JPG");
        writer.setQuality(95);
        writer.setProgressiveScanWrite(c.progressive);
        ASSERT_TRUE(writer.write(source)) << writer.errorString().toStdString();

        const Bytes file(encoded.begin(), encoded.end());
        const QImage image = DecodePicture(Wrap("TJPEGImage", file));
        ASSERT_EQ(image.size(), source.size());
        const QImage reference = QImage::fromData(encoded, "JPG");
        ASSERT_EQ(reference.size(), image.size());
        EXPECT_LE(MaxChannelDifference(image, reference), 3);
        if (c.format == QImage::Format_Grayscale8) {
            ASSERT_EQ(file[FindSof0(file) + 7], 1) << "the writer stored colour after all";
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb p = image.pixel(x, y);
                    ASSERT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << x << "," << y;
                }
        }
    }
}

TEST(Picture, ParsedValueSplitsClassAndFile) {
    const Bytes file = {1, 2, 3, 4, 5};
    const Bytes value = Wrap("TBitmap", file);
    const PictureData parsed = ParsePictureData(value);
    EXPECT_EQ(parsed.className, "TBitmap");
    EXPECT_EQ(Bytes(parsed.file.begin(), parsed.file.end()), file);
}

TEST(Picture, BuiltBitmapsDecodePixelExact) {
    struct Case {
        const char* name;
        int width;
        int height;
        bool topDown;
    };
    const Case cases[] = {
        {"one pixel", 1, 1, false},        {"rows padded by 3", 5, 3, false},
        {"rows padded by 2", 2, 4, false}, {"rows unpadded", 4, 2, false},
        {"top-down", 7, 5, true},          {"logo size", 62, 96, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage image = DecodePicture(Wrap("TBitmap", MakeBmp(c.width, c.height, c.topDown)));
        ASSERT_EQ(image.width(), c.width);
        ASSERT_EQ(image.height(), c.height);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                ASSERT_EQ(image.pixel(x, y), TestColour(x, y)) << x << "," << y;
    }
}

TEST(Picture, MalformedValuesAreRefused) {
    const Bytes bmp = MakeBmp(5, 3, false);
    const Bytes jpeg = ReadPicture("banner.jpg");
    struct Case {
        const char* name;
        Bytes value;
    };
    auto withLength = [](Bytes v, std::size_t at, std::uint32_t n) {
        PutU32(v, at, n);
        return v;
    };
    Bytes wrapped = Wrap("TBitmap", bmp);
    const std::size_t lengthAt = 1 + 7;
    Bytes trailing = wrapped;
    trailing.push_back(0);
    Bytes nameRunsOff = {200, 'T', 'B'};
    const Case cases[] = {
        {"empty value", {}},
        {"empty class name", Wrap("", bmp)},
        {"class name past the end", nameRunsOff},
        {"no file length", {7, 'T', 'B', 'i', 't', 'm', 'a', 'p', 0, 0}},
        {"file length past the end",
         withLength(wrapped, lengthAt, static_cast<std::uint32_t>(bmp.size() + 1))},
        {"file length far past the end", withLength(wrapped, lengthAt, 0xFFFFFFFFu)},
        {"file length short of the end",
         withLength(wrapped, lengthAt, static_cast<std::uint32_t>(bmp.size() - 1))},
        {"bytes after the file", trailing},
        {"unknown class", Wrap("TPicture", bmp)},
        {"class name in other case", Wrap("tbitmap", bmp)},
        {"bitmap named as JPEG", Wrap("TJPEGImage", bmp)},
        {"JPEG named as bitmap", Wrap("TBitmap", jpeg)},
        {"empty bitmap", Wrap("TBitmap", {})},
        {"empty JPEG", Wrap("TJPEGImage", {})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(DecodePicture(c.value), EReadError);
    }
}

TEST(Picture, MalformedBitmapsAreRefused) {
    const Bytes good = MakeBmp(5, 3, false); // stride 16, 48 pixel bytes, 102 in all
    struct Case {
        const char* name;
        std::function<void(Bytes&)> damage;
    };
    const Case cases[] = {
        {"wrong magic", [](Bytes& b) { b[1] = 'A'; }},
        {"pixel offset inside the headers", [](Bytes& b) { PutU32(b, 10, 53); }},
        {"pixel offset past the end", [](Bytes& b) { PutU32(b, 10, 103); }},
        {"pixel offset leaves too few bytes", [](Bytes& b) { PutU32(b, 10, 55); }},
        {"pixel offset wraps", [](Bytes& b) { PutU32(b, 10, 0xFFFFFFF0u); }},
        {"file size past the end", [](Bytes& b) { PutU32(b, 2, 103); }},
        {"file size short of the pixels", [](Bytes& b) { PutU32(b, 2, 101); }},
        {"info header of another version", [](Bytes& b) { PutU32(b, 14, 108); }},
        {"info header of the old form", [](Bytes& b) { PutU32(b, 14, 12); }},
        {"two planes", [](Bytes& b) { PutU16(b, 26, 2); }},
        {"8 bits a pixel", [](Bytes& b) { PutU16(b, 28, 8); }},
        {"32 bits a pixel", [](Bytes& b) { PutU16(b, 28, 32); }},
        {"0 bits a pixel", [](Bytes& b) { PutU16(b, 28, 0); }},
        {"run-length compressed", [](Bytes& b) { PutU32(b, 30, 1); }},
        {"bit fields", [](Bytes& b) { PutU32(b, 30, 3); }},
        {"a palette", [](Bytes& b) { PutU32(b, 46, 2); }},
        {"image size short of the pixels", [](Bytes& b) { PutU32(b, 34, 47); }},
        {"image size past the end", [](Bytes& b) { PutU32(b, 34, 49); }},
        {"zero width", [](Bytes& b) { PutU32(b, 18, 0); }},
        {"negative width", [](Bytes& b) { PutU32(b, 18, static_cast<std::uint32_t>(-5)); }},
        {"zero height", [](Bytes& b) { PutU32(b, 22, 0); }},
        {"most negative height", [](Bytes& b) { PutU32(b, 22, 0x80000000u); }},
        {"width past the pixels", [](Bytes& b) { PutU32(b, 18, 6); }},
        {"height past the pixels", [](Bytes& b) { PutU32(b, 22, 4); }},
        {"huge width", [](Bytes& b) { PutU32(b, 18, 0x7FFFFFFFu); }},
        {"huge height", [](Bytes& b) { PutU32(b, 22, 0x7FFFFFFFu); }},
        {"huge area",
         [](Bytes& b) {
             PutU32(b, 18, 16384);
             PutU32(b, 22, 16384);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes damaged = good;
        c.damage(damaged);
        EXPECT_THROW(DecodeBmp(damaged), EReadError);
        EXPECT_THROW(DecodePicture(Wrap("TBitmap", damaged)), EReadError);
    }
    EXPECT_NO_THROW(DecodeBmp(good)) << "the undamaged bitmap must decode";
}

TEST(Picture, MalformedJpegsAreRefused) {
    const Bytes good = ReadPicture("banner.jpg");
    ASSERT_FALSE(good.empty());
    const std::size_t sof = FindSof0(good); // length(2) precision(1) height(2) width(2) count(1)
    ASSERT_NE(sof, 0u);
    struct Case {
        const char* name;
        std::function<void(Bytes&)> damage;
    };
    const Case cases[] = {
        {"no start-of-image marker", [](Bytes& b) { b[1] = 0x00; }},
        {"not JPEG at all",
         [](Bytes& b) {
             for (auto& byte : b) byte = 0x41;
         }},
        {"zero height",
         [sof](Bytes& b) {
             b[sof + 3] = 0;
             b[sof + 4] = 0;
         }},
        {"zero width",
         [sof](Bytes& b) {
             b[sof + 5] = 0;
             b[sof + 6] = 0;
         }},
        {"huge dimensions",
         [sof](Bytes& b) {
             for (std::size_t i = sof + 3; i < sof + 7; ++i) b[i] = 0xFF;
         }},
        {"area past the bound",
         [sof](Bytes& b) {
             b[sof + 3] = 0x40;
             b[sof + 4] = 0;
             b[sof + 5] = 0x40;
             b[sof + 6] = 0;
         }},
        {"12-bit precision", [sof](Bytes& b) { b[sof + 2] = 12; }},
        {"no components", [sof](Bytes& b) { b[sof + 7] = 0; }},
        {"frame header length past the end",
         [sof](Bytes& b) {
             b[sof] = 0xFF;
             b[sof + 1] = 0xFF;
         }},
        {"end-of-image cut off", [](Bytes& b) { b.erase(b.end() - 2, b.end()); }},
        {"scan data garbled",
         [](Bytes& b) {
             for (std::size_t i = b.size() - 200; i < b.size() - 2; ++i) b[i] = 0xFF;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes damaged = good;
        c.damage(damaged);
        EXPECT_THROW(DecodeJpeg(damaged), EReadError);
        EXPECT_THROW(DecodePicture(Wrap("TJPEGImage", damaged)), EReadError);
    }
    EXPECT_NO_THROW(DecodeJpeg(good)) << "the undamaged JPEG must decode";
}

TEST(Picture, TruncatedPicturesAreRefused) {
    for (const auto& row : kShipped) {
        SCOPED_TRACE(row.name);
        const Bytes file = ReadPicture(row.file);
        const Bytes value = Wrap(row.className, file);
        // Every cut in the first bytes, where the headers are, then a spread through the rest.
        std::vector<std::size_t> cuts;
        for (std::size_t n = 0; n < std::min<std::size_t>(value.size(), 700); ++n)
            cuts.push_back(n);
        for (std::size_t n = 700; n < value.size(); n += value.size() / 97 + 1) cuts.push_back(n);
        cuts.push_back(value.size() - 1);
        for (const std::size_t n : cuts) {
            const Bytes cutValue(value.begin(), value.begin() + static_cast<long>(n));
            EXPECT_THROW(DecodePicture(cutValue), EReadError) << "value cut at " << n;
            if (n < file.size()) {
                // The same cut inside a value whose length agrees: the decoder must catch it.
                const Bytes cutFile(file.begin(), file.begin() + static_cast<long>(n));
                EXPECT_THROW(DecodePicture(Wrap(row.className, cutFile)), EReadError)
                    << "file cut at " << n;
            }
        }
    }
}

TEST(Picture, FlippedHeaderBytesNeverCrash) {
    for (const auto& row : kShipped) {
        SCOPED_TRACE(row.name);
        const Bytes value = Wrap(row.className, ReadPicture(row.file));
        // Each of the first bytes set to values that tend to upset length fields.
        for (std::size_t at = 0; at < std::min<std::size_t>(value.size(), 400); ++at)
            for (const int v : {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF}) {
                Bytes damaged = value;
                damaged[at] = static_cast<std::uint8_t>(v);
                DecodesOrRefuses(damaged);
            }
    }
}
