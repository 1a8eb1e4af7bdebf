#include "resource/picture/PictureData.h"

#include "framework/Errors.h"

namespace orlenth {

PictureData ParsePictureData(std::span<const std::uint8_t> data) {
    std::size_t pos = 0;
    if (data.size() < 1) throw EReadError();
    const std::size_t nameLength = data[pos++];
    if (nameLength == 0 || nameLength > data.size() - pos) throw EReadError();
    PictureData result;
    result.className.assign(reinterpret_cast<const char*>(data.data() + pos), nameLength);
    pos += nameLength;

    if (data.size() - pos < 4) throw EReadError();
    const std::uint32_t fileLength = static_cast<std::uint32_t>(data[pos]) |
                                     static_cast<std::uint32_t>(data[pos + 1]) << 8 |
                                     static_cast<std::uint32_t>(data[pos + 2]) << 16 |
                                     static_cast<std::uint32_t>(data[pos + 3]) << 24;
    pos += 4;
    // Exactly N bytes must follow: anything left over means the value was not written by
    // the layout we read, so its length fields cannot be trusted either.
    if (fileLength != data.size() - pos) throw EReadError();
    result.file = data.subspan(pos, fileLength);
    return result;
}

} // namespace orlenth
