#pragma once
// The one way in for a picture of a window description.

#include <QImage>

#include <cstdint>
#include <span>

namespace orlenth {

// Decodes a "Picture.Data" value, "TJPEGImage" or "TBitmap", to an image. Throws
// EReadError for any other class and for anything malformed.
QImage DecodePicture(std::span<const std::uint8_t> pictureData);

} // namespace orlenth
