#pragma once
// The largest picture a decoder will allocate for. Far above anything the descriptions
// carry; it only keeps a forged header from asking for gigabytes.

#include <cstdint>

namespace orlenth {

inline constexpr std::int64_t kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPicturePixels = 16 * 1024 * 1024; // 64 MB at 4 bytes each

inline bool PictureSizeAllowed(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

} // namespace orlenth
