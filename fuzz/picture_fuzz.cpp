// A "Picture.Data" value of arbitrary bytes through the one entry point: it decodes to an
// image within the size bound, or is refused with EReadError.

#include "FuzzTarget.h"

#include "framework/Errors.h"
#include "resource/picture/ImageLimits.h"
#include "resource/picture/Picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const QImage image = orlenth::DecodePicture({data, size});
        if (image.isNull()) FuzzFailure("a decoded picture is null");
        if (!orlenth::PictureSizeAllowed(image.width(), image.height()))
            FuzzFailure("a decoded picture is larger than the bound");
    } catch (const orlenth::EReadError&) {
    }
    return 0;
}
