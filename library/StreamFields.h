#pragma once
// The small field encodings the framing and the item record are built from: byte, 16-bit
// word, signed 32-bit integer and short string, all little-endian (docs/framing.md).
//
// These use the unchecked read and write of the stream: a short write is not reported,
// and when the stream ends inside a field the missing bytes read as zero. Nothing beyond
// the stream's end is ever read.

#include "framework/Stream.h"

#include <cstdint>
#include <string>

namespace orlenth {

void stWriteByte(TStream& stream, std::uint8_t value);
std::uint8_t stReadByte(TStream& stream);
void stWriteWord(TStream& stream, std::uint16_t value);
std::uint16_t stReadWord(TStream& stream);
void stWriteInteger(TStream& stream, std::int32_t value);
std::int32_t stReadInteger(TStream& stream);
// Writes the low 8 bits of the length as the length byte and that many bytes from the
// start of value: a string of more than 255 bytes loses bytes (300 bytes write 44).
void stWriteString(TStream& stream, const std::string& value);
// Sets value to the length byte's count of bytes; bytes the stream lacks are zero.
void stReadString(TStream& stream, std::string& value);

} // namespace orlenth
