#pragma once
// JPEG files decoded by libjpeg-turbo, with every failure of the library turned into
// EReadError instead of ending the process.

#include <QImage>

#include <cstdint>
#include <span>

namespace orlenth {

// Decodes a whole JPEG file (colour or grayscale) to a Format_RGB32 image. Throws
// EReadError for a corrupt or truncated file, one the library only warns about, colour
// spaces other than gray and YCbCr/RGB, and sizes beyond PictureSizeAllowed.
QImage DecodeJpeg(std::span<const std::uint8_t> file);

} // namespace orlenth
