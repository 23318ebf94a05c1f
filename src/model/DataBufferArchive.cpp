// The keyed-archive record of one buffer, and the upgrade of older records.

#include "model/DataBuffer.h"

#include "platform/Color.h"
#include "platform/KeyedUnarchiver.h"

#include <QtEndian>

#include <cstring>
#include <new>
#include <unordered_set>

namespace {

QByteArray littleEndianBlock(const std::vector<double>& column)
{
    QByteArray bytes;
    bytes.resize(qsizetype(column.size() * 8));
    char* out = bytes.data();
    for (double v : column) {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        qToLittleEndian(bits, out);
        out += 8;
    }
    return bytes;
}

// One double per 8 bytes, point 0 first; trailing bytes are ignored.
std::vector<double> readBlock(const QByteArray& bytes, bool bigEndian)
{
    const qsizetype n = bytes.size() / 8;
    std::vector<double> column(static_cast<std::size_t>(n));
    const char* in = bytes.constData();
    for (qsizetype i = 0; i < n; ++i, in += 8) {
        const quint64 bits = bigEndian ? qFromBigEndian<quint64>(in) : qFromLittleEndian<quint64>(in);
        std::memcpy(&column[std::size_t(i)], &bits, 8);
    }
    return column;
}

} // namespace

DataBuffer::DataBuffer(Zeroed)
{
    linewidth = dashwidth = symbolsize = sticksize = 0;
    plotlines = 0;
    fxmin = fxmax = fymin = fymax = 0;
    color = fillcolor = errorcolor = barcolor = stickcolor = Color::black();
    show = 1;
    belongx = belongy = 1;
    rm = 0;
    plotlegend = 1;
    errorbarx = errorbary = 0;
    errorvalx = errorvaly = 0;
    errorwidth = 1.0;
}

void DataBuffer::encodeWithCoder(KeyedArchiver& c) const
{
    c.encodeInt("verno", archiveVersion);
    c.encodeInt("byteorder", 0);
    c.encodeBytes("X", littleEndianBlock(X));
    c.encodeBytes("Y", littleEndianBlock(Y));
    if (EX.size() == X.size() && EY.size() == X.size()) {
        c.encodeBytes("EX", littleEndianBlock(EX));
        c.encodeBytes("EY", littleEndianBlock(EY));
    }
    c.encodeString("source", source);
    c.encodeString("comment", comment);
    c.encodeString("dynsize", dynsize);
    c.encodeBool("havexminmax", havexminmax);
    c.encodeBool("haveyminmax", haveyminmax);
    c.encodeBool("show", show);
    c.encodeInt("belongx", belongx);
    c.encodeInt("belongy", belongy);
    c.encodeColor("color", color);
    c.encodeColor("fillcolor", fillcolor);
    c.encodeColor("barcolor", barcolor);
    c.encodeColor("stickcolor", stickcolor);
    c.encodeColor("errorcolor", errorcolor);
    c.encodeDouble("linewidth", linewidth);
    c.encodeInt("dash", dash);
    c.encodeInt("symbol", symbol);
    c.encodeDouble("dashwidth", dashwidth);
    c.encodeDouble("symbolsize", symbolsize);
    c.encodeDouble("sticksize", sticksize);
    c.encodeBool("stickabs", stickabs);
    c.encodeBool("symfill", symfill);
    c.encodeBool("plotlines", plotlines);
    c.encodeBool("plotsymbols", plotsymbols);
    c.encodeBool("plotybars", plotybars);
    c.encodeBool("plotxbars", plotxbars);
    c.encodeBool("plotysticks", plotysticks);
    c.encodeBool("plotxsticks", plotxsticks);
    c.encodeBool("plotdots", plotdots);
    c.encodeBool("plotarea", plotarea);
    c.encodeBool("plothist", plothist);
    c.encodeBool("plotfhist", plotfhist);
    c.encodeBool("plotlegend", plotlegend);
    c.encodeInt("errorbarx", errorbarx);
    c.encodeDouble("errorvalx", errorvalx);
    c.encodeInt("errorbary", errorbary);
    c.encodeDouble("errorvaly", errorvaly);
    c.encodeDouble("errorwidth", errorwidth);
    c.encodeBool("freex", freex);
    c.encodeBool("freey", freey);
    c.encodeBool("barytop", barytop);
    c.encodeBool("barybottom", barybottom);
    c.encodeBool("barxleft", barxleft);
    c.encodeBool("barxright", barxright);
    c.encodeDouble("fxmin", fxmin);
    c.encodeDouble("fxmax", fxmax);
    c.encodeDouble("fymin", fymin);
    c.encodeDouble("fymax", fymax);
}

std::unique_ptr<DataBuffer> DataBuffer::initWithCoder(KeyedUnarchiver& c)
{
    std::unique_ptr<DataBuffer> b(new DataBuffer(Zeroed{}));

    const int version = c.decodeInt("verno", 0);
    const int order = c.decodeInt("byteorder", 1);

    if (version <= 4) {
        if (c.containsValueForKey("X"))
            b->X = c.decodeDoubleArray("X");
        if (c.containsValueForKey("Y"))
            b->Y = c.decodeDoubleArray("Y");
    } else {
        // Versions 5 to 11 wrote big-endian whatever they claimed.
        const bool big = version <= 11 || order == 1;
        // The blocks are shared with the archive; the numbers made of them
        // are new memory, and several records may name one block.
        auto column = [&c, big](const char* key, std::vector<double>& field) {
            const QByteArray block = c.decodeBytes(key);
            if (c.spendBytes(block.size() / 8 * 8))
                field = readBlock(block, big);
        };
        if (c.containsValueForKey("X"))
            column("X", b->X);
        if (c.containsValueForKey("Y"))
            column("Y", b->Y);
        if (c.containsValueForKey("EX") && c.containsValueForKey("EY")) {
            column("EX", b->EX);
            column("EY", b->EY);
        }
    }

    b->source = c.decodeString("source");
    b->comment = c.decodeString("comment");
    b->dynsize = c.decodeString("dynsize");

    auto flag = [&c](const char* key, std::uint8_t& field) { field = c.decodeBool(key, field) ? 1 : 0; };
    auto integer = [&c](const char* key, int& field) { field = c.decodeInt(key, field); };
    auto number = [&c](const char* key, double& field) { field = c.decodeDouble(key, field); };
    auto colour = [&c](const char* key, QColor& field) { field = c.decodeColor(key).value_or(Color::black()); };

    flag("show", b->show);
    integer("belongx", b->belongx);
    integer("belongy", b->belongy);

    colour("color", b->color);
    colour("fillcolor", b->fillcolor);
    if (version >= 21) {
        colour("barcolor", b->barcolor);
        colour("stickcolor", b->stickcolor);
        colour("errorcolor", b->errorcolor);
    } else {
        b->barcolor = b->stickcolor = b->errorcolor = b->color;
    }

    number("linewidth", b->linewidth);
    integer("dash", b->dash);
    integer("symbol", b->symbol);
    number("dashwidth", b->dashwidth);
    number("symbolsize", b->symbolsize);
    number("sticksize", b->sticksize);
    flag("stickabs", b->stickabs);
    flag("symfill", b->symfill);
    flag("plotlines", b->plotlines);
    flag("plotsymbols", b->plotsymbols);
    flag("plotbars", b->plotybars);   // the earlier name, overridden by the current one
    flag("plotybars", b->plotybars);
    flag("plotxbars", b->plotxbars);
    flag("plotysticks", b->plotysticks);
    flag("plotxsticks", b->plotxsticks);
    flag("plotdots", b->plotdots);
    flag("plotarea", b->plotarea);
    flag("plothist", b->plothist);
    flag("plotfhist", b->plotfhist);
    flag("plotlegend", b->plotlegend);
    integer("errorbarx", b->errorbarx);
    number("errorvalx", b->errorvalx);
    integer("errorbary", b->errorbary);
    number("errorvaly", b->errorvaly);
    number("errorwidth", b->errorwidth);
    flag("freex", b->freex);
    flag("freey", b->freey);
    flag("barytop", b->barytop);
    flag("barybottom", b->barybottom);
    flag("barxleft", b->barxleft);
    flag("barxright", b->barxright);
    number("fxmin", b->fxmin);
    number("fxmax", b->fxmax);
    number("fymin", b->fymin);
    number("fymax", b->fymax);

    b->rescale();
    return b;
}

void DataBuffer::registerArchiveClass(KeyedUnarchiver& coder)
{
    coder.registerClass(archiveClassName(), [](KeyedUnarchiver& c) -> std::unique_ptr<ArchivableObject> {
        return initWithCoder(c);
    });
}

std::optional<std::vector<std::unique_ptr<DataBuffer>>>
DataBuffer::adopt(std::vector<std::shared_ptr<DataBuffer>>&& decoded,
                  std::unordered_set<const DataBuffer*>& seen)
{
    std::vector<std::unique_ptr<DataBuffer>> out;
    out.reserve(decoded.size());
    for (auto& shared : decoded) {
        if (!shared)
            continue;
        if (!seen.insert(shared.get()).second)
            return std::nullopt;
        out.push_back(std::make_unique<DataBuffer>(std::move(*shared)));
    }
    return out;
}

QString DataBuffer::listedTwiceMessage()
{
    return QStringLiteral("The archive is damaged: a buffer is stored twice.");
}

QByteArray DataBuffer::archivedBuffers(const std::vector<const DataBuffer*>& buffers)
{
    KeyedArchiver coder;
    coder.encodeArrayOfObjects(QStringLiteral("root"), buffers);
    return coder.encodedData();
}

std::optional<std::vector<std::unique_ptr<DataBuffer>>> DataBuffer::buffersFromArchive(const QByteArray& data,
                                                                                       QString* error)
{
    auto refuse = [error](const QString& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    try {
        KeyedUnarchiver coder(data);
        registerArchiveClass(coder);
        auto decoded = coder.decodeArrayOfObjects<DataBuffer>(QStringLiteral("root"));
        if (!coder.ok() || !coder.containsValueForKey(QStringLiteral("root")))
            return refuse(coder.ok() ? QStringLiteral("no buffers in the data") : coder.errorString());
        std::unordered_set<const DataBuffer*> seen;
        auto buffers = adopt(std::move(decoded), seen);
        if (!buffers)
            return refuse(listedTwiceMessage());
        return buffers;
    } catch (const std::bad_alloc&) {
        return refuse(QStringLiteral("not enough memory for the buffers in the data"));
    }
}
