// SPDX-License-Identifier: MIT
#include "ui/Jpeg.h"

#include "engine/Errors.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

// libjpeg reports an error by calling back and expects no return: the
// callback records the message and jumps back to the step that was running,
// which then throws. Nothing that needs destroying lives between the two.
struct TJpegErrors {
    jpeg_error_mgr manager {};
    std::jmp_buf step {};
    char message[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] void ExitWithError(j_common_ptr info)
{
    auto* errors = reinterpret_cast<TJpegErrors*>(info->err);
    info->err->format_message(info, errors->message);
    std::longjmp(errors->step, 1);
}

// A warning means missing or corrupt data, which libjpeg would fill with grey.
void WarningIsError(j_common_ptr info, int level)
{
    if (level < 0)
        ExitWithError(info);
}

class TJpegDecoder {
public:
    TJpegDecoder()
    {
        // The manager is the struct's first member, so the callbacks can
        // find the rest of it.
        info_.err = jpeg_std_error(&errors_.manager);
        errors_.manager.error_exit = ExitWithError;
        errors_.manager.emit_message = WarningIsError;
        Step([this] { jpeg_create_decompress(&info_); });
    }
    TJpegDecoder(const TJpegDecoder&) = delete;
    TJpegDecoder& operator=(const TJpegDecoder&) = delete;
    ~TJpegDecoder() { jpeg_destroy_decompress(&info_); }

    jpeg_decompress_struct* Info() { return &info_; }

    // Runs calls into libjpeg; the first error they report is thrown here.
    template <class Calls>
    void Step(Calls&& calls)
    {
        if (setjmp(errors_.step) == 0) {
            calls();
            return;
        }
        throw EError(errors_.message);
    }

private:
    jpeg_decompress_struct info_ {};
    TJpegErrors errors_;
};

} // namespace

QImage DecodeJpeg(QByteArrayView bytes)
{
    TJpegDecoder jpeg;
    jpeg_decompress_struct* info = jpeg.Info();
    jpeg.Step([&] {
        jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(info, TRUE);
        info->out_color_space = JCS_RGB;
        jpeg_start_decompress(info);
    });
    QImage image(int(info->output_width), int(info->output_height), QImage::Format_RGB888);
    if (image.isNull())
        throw EError("Out of memory");
    jpeg.Step([&] {
        while (info->output_scanline < info->output_height) {
            JSAMPROW row = image.scanLine(int(info->output_scanline));
            jpeg_read_scanlines(info, &row, 1);
        }
        jpeg_finish_decompress(info);
    });
    return image;
}
