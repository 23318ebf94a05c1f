#pragma once

// PNG files of the graph's pictures, written for speed: graphs are mostly
// flat colour with lines, which each row predicted from the one above and
// light deflating pack nearly as small as the slowest settings do, in a
// quarter of the time. Lossless; the resolution of the image (its dots per
// metre) goes into the file. An image with an alpha channel is written with
// it (straight, not premultiplied).

#include <QByteArray>

class QImage;

namespace PngEncoding {

// The file's bytes; empty for a null image or when libpng gives up.
QByteArray encode(const QImage& image);

} // namespace PngEncoding
