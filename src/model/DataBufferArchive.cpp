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
    style.linewidth = style.dashwidth = style.symbolsize = style.sticksize = 0;
    style.plotlines = 0;
    style.fxmin = style.fxmax = style.fymin = style.fymax = 0;
    style.color = style.fillcolor = style.errorcolor = style.barcolor = style.stickcolor = Color::black();
    show = 1;
    belongx = belongy = 1;
    rm = 0;
    plotlegend = 1;
    errorbars.errorbarx = errorbars.errorbary = 0;
    errorbars.errorvalx = errorbars.errorvaly = 0;
    errorbars.errorwidth = 1.0;
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
    c.encodeColor("color", style.color);
    c.encodeColor("fillcolor", style.fillcolor);
    c.encodeColor("barcolor", style.barcolor);
    c.encodeColor("stickcolor", style.stickcolor);
    c.encodeColor("errorcolor", style.errorcolor);
    c.encodeDouble("linewidth", style.linewidth);
    c.encodeInt("dash", style.dash);
    c.encodeInt("symbol", style.symbol);
    c.encodeDouble("dashwidth", style.dashwidth);
    c.encodeDouble("symbolsize", style.symbolsize);
    c.encodeDouble("sticksize", style.sticksize);
    c.encodeBool("stickabs", style.stickabs);
    c.encodeBool("symfill", style.symfill);
    c.encodeBool("plotlines", style.plotlines);
    c.encodeBool("plotsymbols", style.plotsymbols);
    c.encodeBool("plotybars", style.plotybars);
    c.encodeBool("plotxbars", style.plotxbars);
    c.encodeBool("plotysticks", style.plotysticks);
    c.encodeBool("plotxsticks", style.plotxsticks);
    c.encodeBool("plotdots", style.plotdots);
    c.encodeBool("plotarea", style.plotarea);
    c.encodeBool("plothist", style.plothist);
    c.encodeBool("plotfhist", style.plotfhist);
    c.encodeBool("plotlegend", plotlegend);
    c.encodeInt("errorbarx", errorbars.errorbarx);
    c.encodeDouble("errorvalx", errorbars.errorvalx);
    c.encodeInt("errorbary", errorbars.errorbary);
    c.encodeDouble("errorvaly", errorbars.errorvaly);
    c.encodeDouble("errorwidth", errorbars.errorwidth);
    c.encodeBool("freex", style.freex);
    c.encodeBool("freey", style.freey);
    c.encodeBool("barytop", style.barytop);
    c.encodeBool("barybottom", style.barybottom);
    c.encodeBool("barxleft", style.barxleft);
    c.encodeBool("barxright", style.barxright);
    c.encodeDouble("fxmin", style.fxmin);
    c.encodeDouble("fxmax", style.fxmax);
    c.encodeDouble("fymin", style.fymin);
    c.encodeDouble("fymax", style.fymax);
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
        // Several records may name one block (the buffers of one import
        // share their x values, and the archiver stores a block once): its
        // numbers are read once and the columns share them.
        auto column = [&c, big](const char* key, SharedColumn& field) {
            const QByteArray block = c.decodeBytes(key);
            std::shared_ptr<void>& made = c.madeFrom(block.constData(), big ? 1 : 0);
            if (!made) {
                if (!c.spendBytes(block.size() / 8 * 8))
                    return;
                made = std::make_shared<SharedColumn>(readBlock(block, big));
            }
            field = *std::static_pointer_cast<SharedColumn>(made);
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
    auto colour
        = [&c](const char* key, QColor& field) { field = c.decodeColor(key).value_or(Color::black()); };

    flag("show", b->show);
    integer("belongx", b->belongx);
    integer("belongy", b->belongy);

    colour("color", b->style.color);
    colour("fillcolor", b->style.fillcolor);
    if (version >= 21) {
        colour("barcolor", b->style.barcolor);
        colour("stickcolor", b->style.stickcolor);
        colour("errorcolor", b->style.errorcolor);
    } else {
        b->style.barcolor = b->style.stickcolor = b->style.errorcolor = b->style.color;
    }

    number("linewidth", b->style.linewidth);
    integer("dash", b->style.dash);
    integer("symbol", b->style.symbol);
    number("dashwidth", b->style.dashwidth);
    number("symbolsize", b->style.symbolsize);
    number("sticksize", b->style.sticksize);
    flag("stickabs", b->style.stickabs);
    flag("symfill", b->style.symfill);
    flag("plotlines", b->style.plotlines);
    flag("plotsymbols", b->style.plotsymbols);
    flag("plotbars", b->style.plotybars); // the earlier name, overridden by the current one
    flag("plotybars", b->style.plotybars);
    flag("plotxbars", b->style.plotxbars);
    flag("plotysticks", b->style.plotysticks);
    flag("plotxsticks", b->style.plotxsticks);
    flag("plotdots", b->style.plotdots);
    flag("plotarea", b->style.plotarea);
    flag("plothist", b->style.plothist);
    flag("plotfhist", b->style.plotfhist);
    flag("plotlegend", b->plotlegend);
    integer("errorbarx", b->errorbars.errorbarx);
    number("errorvalx", b->errorbars.errorvalx);
    integer("errorbary", b->errorbars.errorbary);
    number("errorvaly", b->errorbars.errorvaly);
    number("errorwidth", b->errorbars.errorwidth);
    flag("freex", b->style.freex);
    flag("freey", b->style.freey);
    flag("barytop", b->style.barytop);
    flag("barybottom", b->style.barybottom);
    flag("barxleft", b->style.barxleft);
    flag("barxright", b->style.barxright);
    number("fxmin", b->style.fxmin);
    number("fxmax", b->style.fxmax);
    number("fymin", b->style.fymin);
    number("fymax", b->style.fymax);

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
