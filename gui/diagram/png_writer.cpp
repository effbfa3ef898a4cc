// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/diagram/png_writer.h"

#include <QImage>

#include <png.h>

#include <csetjmp>

namespace quorvel {
namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t size)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

void noFlush(png_structp) {}

// Runs between setjmp and a possible longjmp: nothing here may need a destructor.
bool writeRows(png_structp png, png_infop info, const QImage& rgb)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, static_cast<png_uint_32>(rgb.width()),
                 static_cast<png_uint_32>(rgb.height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_level(png, 1);
    png_write_info(png, info);
    // Format_RGB32 holds 0xffRRGGBB words: B, G, R, X in memory on this byte order.
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_set_bgr(png);
    for (int y = 0; y < rgb.height(); ++y)
        png_write_row(png, rgb.constScanLine(y));
    png_write_end(png, info);
    return true;
}

} // namespace

QByteArray EncodePng(const QImage& image)
{
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the filler and BGR settings assume it");
    if (image.isNull())
        return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QByteArray bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool written = false;
    if (info != nullptr) {
        png_set_write_fn(png, &bytes, appendBytes, noFlush);
        written = writeRows(png, info, rgb);
    }
    png_destroy_write_struct(&png, &info);
    return written ? bytes : QByteArray();
}

} // namespace quorvel
