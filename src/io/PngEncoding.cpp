#include "io/PngEncoding.h"

#include <QImage>

#include <csetjmp>
#include <png.h>

namespace {

void appendBytes(png_structp png, png_bytep data, size_t size)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(data), qsizetype(size));
}

void noFlush(png_structp)
{
}

void noWarning(png_structp, png_const_charp)
{
}

[[noreturn]] void giveUp(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// libpng reports errors by a long jump back here: nothing in this function
// may own anything that a destructor would have to free.
bool writeRows(QByteArray* out, const QImage* image, bool alpha)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, giveUp, noWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, appendBytes, noFlush);
    png_set_IHDR(png, info, png_uint_32(image->width()), png_uint_32(image->height()), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (image->dotsPerMeterX() > 0 && image->dotsPerMeterY() > 0)
        png_set_pHYs(png, info, png_uint_32(image->dotsPerMeterX()), png_uint_32(image->dotsPerMeterY()),
                     PNG_RESOLUTION_METER);
    // Rows predicted from the row above, lightly deflated: see the header.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_level(png, 2);
    png_write_info(png, info);
    for (int y = 0; y < image->height(); ++y)
        png_write_row(png, image->constScanLine(y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

QByteArray PngEncoding::encode(const QImage& image)
{
    if (image.isNull())
        return {};
    const bool alpha = image.hasAlphaChannel();
    const QImage rows = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    if (rows.isNull())
        return {};
    QByteArray bytes;
    // Room for a well-packed graph at once; more is added as it comes.
    bytes.reserve(qsizetype(rows.width()) * rows.height() / 8 + 1024);
    if (!writeRows(&bytes, &rows, alpha))
        return {};
    return bytes;
}
