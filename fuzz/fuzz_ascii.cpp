// libFuzzer target: arbitrary bytes imported as an ASCII file, under settings
// taken from the first two bytes. Any crash, hang, sanitizer report or runaway
// memory is a finding; so is a buffer whose columns differ in length, an
// import that reports points it did not add, and a refused file that changed
// the document.

#include "FuzzSetup.h"
#include "io/AsciiImport.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"

#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QString g_input; // the file imported

[[noreturn]] void finding(const char* what, std::size_t buffer = 0)
{
    std::fprintf(stderr, "%s (buffer %zu)\n", what, buffer);
    std::abort();
}

ASCIIImport::ImportOptions optionsFrom(std::uint8_t a, std::uint8_t b)
{
    static const char* const separators[] = {"", ";", ",", "\t", " ", "ab", "", ""};
    ASCIIImport::ImportOptions o;
    o.mode = a & 1 ? ASCIIImport::ErrorMode : ASCIIImport::ColumnMode;
    o.separator = QString::fromLatin1(separators[(a >> 1) & 7]);
    o.xColumn = (a >> 4) & 3; // 0: none
    o.noXColumn = a & 0x40;
    o.numericLinesOnly = a & 0x80;
    o.noTime = b & 1;
    o.useTimeFormat = b & 2;
    o.timeFormat = b & 4 ? QStringLiteral("dd.MM.yyyy HH:mm") : QStringLiteral("yyyyMMddHHmmss");
    o.ignoreText = b & 8 ? QStringLiteral("x") : QString();
    o.commentText = b & 16 ? QStringLiteral("#") : QString();
    o.commaSeparates = b & 32;
    o.periodSeparates = b & 64;
    return o;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSetup::startApplication("fuzz_ascii");
    g_input = FuzzSetup::ownFolder() + QStringLiteral("/input.txt");
    FuzzSetup::warmCaches();
    VexaDocument warm;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    ASCIIImport::ImportOptions options = optionsFrom(data[0], data[1]);
    options.path = g_input;
    {
        QFile f(options.path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || f.write(reinterpret_cast<const char*>(data + 2), qint64(size - 2)) != qint64(size - 2))
            finding("the input could not be written");
    }

    VexaDocument d;
    d.newBuffer();
    const bool read = ASCIIImport::importFile(d, options).ok();
    if (!read && d.DB.size() != 1)
        finding("a refused file added buffers");
    if (read && d.DB.size() < 2)
        finding("a file reported read added no buffer");
    bool points = false;
    for (std::size_t k = 1; k < d.DB.size(); ++k) {
        const DataBuffer& b = *d.DB[k];
        const std::size_t n = b.X.size();
        points = points || n > 0;
        if (b.Y.size() != n)
            finding("x and y of different lengths", k);
        if (b.haserror() && (b.EX.size() != n || b.EY.size() != n))
            finding("errors of another length than the points", k);
    }
    if (read && !points)
        finding("a file reported read gave no point");
    return 0;
}
