#pragma once
// The binary value of a "Picture.Data" property: the name of the graphic class that wrote
// it, then the file that class reads back.

#include <cstdint>
#include <span>
#include <string>

namespace orlenth {

struct PictureData {
    std::string className;
    // Points into the bytes given to ParsePictureData; valid as long as they are.
    std::span<const std::uint8_t> file;
};

// Splits a "Picture.Data" value: one length byte L, L bytes of class name, a 4-byte
// little-endian length N, then exactly N bytes of file. Throws EReadError when a length
// runs past the end, the class name is empty, or bytes are left over.
PictureData ParsePictureData(std::span<const std::uint8_t> data);

} // namespace orlenth
