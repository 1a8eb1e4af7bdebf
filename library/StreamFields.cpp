#include "library/StreamFields.h"

namespace orlenth {

namespace {

std::uint32_t readLittle(TStream& stream, int width) {
    std::uint8_t b[4] = {0, 0, 0, 0};
    stream.Read(b, width);
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

void writeLittle(TStream& stream, std::uint32_t v, int width) {
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                               static_cast<std::uint8_t>(v >> 16),
                               static_cast<std::uint8_t>(v >> 24)};
    stream.Write(b, width);
}

} // namespace

void stWriteByte(TStream& stream, std::uint8_t value) {
    writeLittle(stream, value, 1);
}
std::uint8_t stReadByte(TStream& stream) {
    return static_cast<std::uint8_t>(readLittle(stream, 1));
}
void stWriteWord(TStream& stream, std::uint16_t value) {
    writeLittle(stream, value, 2);
}
std::uint16_t stReadWord(TStream& stream) {
    return static_cast<std::uint16_t>(readLittle(stream, 2));
}
void stWriteInteger(TStream& stream, std::int32_t value) {
    writeLittle(stream, static_cast<std::uint32_t>(value), 4);
}
std::int32_t stReadInteger(TStream& stream) {
    return static_cast<std::int32_t>(readLittle(stream, 4));
}

void stWriteString(TStream& stream, const std::string& value) {
    const auto len = static_cast<std::uint8_t>(value.size() & 0xFF);
    stWriteByte(stream, len);
    stream.Write(value.data(), len);
}

void stReadString(TStream& stream, std::string& value) {
    const std::uint8_t len = stReadByte(stream);
    value.assign(len, '\0');
    stream.Read(value.data(), len);
}

} // namespace orlenth
