#include "resource/picture/Picture.h"

#include "framework/Errors.h"
#include "resource/picture/BmpDecoder.h"
#include "resource/picture/JpegDecoder.h"
#include "resource/picture/PictureData.h"

namespace orlenth {

QImage DecodePicture(std::span<const std::uint8_t> pictureData) {
    const PictureData parsed = ParsePictureData(pictureData);
    if (parsed.className == "TJPEGImage") return DecodeJpeg(parsed.file);
    if (parsed.className == "TBitmap") return DecodeBmp(parsed.file);
    throw EReadError();
}

} // namespace orlenth
