#include "resource/picture/JpegDecoder.h"

#include "framework/Errors.h"
#include "resource/picture/ImageLimits.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE declared first

#include <jpeglib.h>

namespace orlenth {

namespace {

// The library reports a fatal error by calling error_exit and must not return to it.
// Throwing through its C frames is not safe, so we jump back to the setjmp of the phase
// that called it. Those phases hold no C++ objects, so nothing is skipped by the jump.
struct ErrorManager {
    jpeg_error_mgr base; // first, so the library's pointer is also ours
    std::jmp_buf jump;
};

// Progressive files may repeat tiny scans without end, each costing a full pass over the
// coefficients; a real encoder writes around ten.
constexpr int kMaxScans = 500;
// The library's own buffers (whole-image coefficients for progressive files) on top of
// the output image.
constexpr long kMaxLibraryMemory = 256L * 1024 * 1024;

[[noreturn]] void JumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void ErrorExit(j_common_ptr info) {
    JumpBack(info);
}

// Warnings (level -1) mean corrupt or truncated data that the library would paper over
// with grey; a picture we stored is never like that, so it is refused.
void EmitMessage(j_common_ptr info, int level) {
    if (level < 0) JumpBack(info);
}

void OutputMessage(j_common_ptr) {}

void Progress(j_common_ptr info) {
    if (info->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans)
        JumpBack(info);
}

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr J_COLOR_SPACE kRgb32Space = JCS_EXT_BGRX;
#else
constexpr J_COLOR_SPACE kRgb32Space = JCS_EXT_XRGB;
#endif

bool ReadHeader(jpeg_decompress_struct* info, ErrorManager* errors, jpeg_progress_mgr* progress,
                const std::uint8_t* data, unsigned long size) {
    if (setjmp(errors->jump)) return false;
    jpeg_create_decompress(info);
    info->mem->max_memory_to_use = kMaxLibraryMemory;
    info->progress = progress;
    jpeg_mem_src(info, data, size);
    if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return false;
    if (info->jpeg_color_space != JCS_GRAYSCALE && info->jpeg_color_space != JCS_YCbCr &&
        info->jpeg_color_space != JCS_RGB)
        return false;
    info->out_color_space = kRgb32Space;
    jpeg_calc_output_dimensions(info);
    return true;
}

bool ReadPixels(jpeg_decompress_struct* info, ErrorManager* errors, std::uint8_t* bits,
                std::size_t stride, JDIMENSION width, JDIMENSION height) {
    if (setjmp(errors->jump)) return false;
    jpeg_start_decompress(info);
    if (info->output_width != width || info->output_height != height ||
        info->output_components != 4)
        return false;
    while (info->output_scanline < height) {
        JSAMPROW row = bits + static_cast<std::size_t>(info->output_scanline) * stride;
        if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
    }
    jpeg_finish_decompress(info);
    return true;
}

// Owns the decompressor so that every way out of DecodeJpeg releases it.
struct Decompressor {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    jpeg_progress_mgr progress{};

    Decompressor() {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = ErrorExit;
        errors.base.emit_message = EmitMessage;
        errors.base.output_message = OutputMessage;
        progress.progress_monitor = Progress;
    }
    // Safe even when creation failed: the library frees only what it allocated.
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

} // namespace

QImage DecodeJpeg(std::span<const std::uint8_t> file) {
    if (file.empty() || file.size() > 0xFFFFFFFFu) throw EReadError();
    Decompressor d;
    if (!ReadHeader(&d.info, &d.errors, &d.progress, file.data(),
                    static_cast<unsigned long>(file.size())))
        throw EReadError();
    if (!PictureSizeAllowed(d.info.image_width, d.info.image_height) ||
        !PictureSizeAllowed(d.info.output_width, d.info.output_height))
        throw EReadError();

    QImage image(static_cast<int>(d.info.output_width), static_cast<int>(d.info.output_height),
                 QImage::Format_RGB32);
    if (image.isNull()) throw EReadError();
    if (!ReadPixels(&d.info, &d.errors, image.bits(),
                    static_cast<std::size_t>(image.bytesPerLine()), d.info.output_width,
                    d.info.output_height))
        throw EReadError();
    return image;
}

} // namespace orlenth
