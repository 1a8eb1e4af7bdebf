#pragma once
// The one bitmap form we store: BITMAPFILEHEADER and BITMAPINFOHEADER, 24 bits a pixel,
// no compression, no palette. Parsed by us rather than by an image plugin so that every
// field is checked against what the file really holds.

#include <QImage>

#include <cstdint>
#include <span>

namespace orlenth {

// Decodes such a file, bottom-up or top-down, to a Format_RGB32 image. Throws EReadError
// for anything else, and for any offset or size that points outside the file.
QImage DecodeBmp(std::span<const std::uint8_t> file);

} // namespace orlenth
