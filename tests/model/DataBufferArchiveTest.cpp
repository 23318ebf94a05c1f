#include "model/DataBuffer.h"

#include "platform/KeyedUnarchiver.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

namespace {

// A hand-made buffer record, as older writers produced them.
struct Record : ArchivableObject {
    std::function<void(KeyedArchiver&)> write;
    QString className() const override { return DataBuffer::archiveClassName(); }
    void encodeWithCoder(KeyedArchiver& c) const override { write(c); }
};

std::unique_ptr<DataBuffer> decodeOne(const QByteArray& data)
{
    KeyedUnarchiver c(data);
    DataBuffer::registerArchiveClass(c);
    auto b = c.decodeObject<DataBuffer>("root");
    EXPECT_TRUE(c.ok()) << c.errorString().toStdString();
    return b ? std::make_unique<DataBuffer>(std::move(*b)) : nullptr;
}

std::unique_ptr<DataBuffer> decodeRecord(std::function<void(KeyedArchiver&)> write)
{
    Record r;
    r.write = std::move(write);
    KeyedArchiver a;
    a.encodeObject("root", r);
    return decodeOne(a.encodedData());
}

QByteArray block(std::initializer_list<double> values, bool bigEndian)
{
    QByteArray out;
    for (double v : values) {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        char b[8];
        if (bigEndian)
            qToBigEndian(bits, b);
        else
            qToLittleEndian(bits, b);
        out.append(b, 8);
    }
    return out;
}

class DataBufferArchiveTest : public ::testing::Test { };

TEST_F(DataBufferArchiveTest, RoundTripKeepsEveryStoredField)
{
    DataBuffer b;
    const double tiny = std::numeric_limits<double>::denorm_min();
    b.addDoubleValueError(0.1, -2.5e300, tiny, 3);
    b.addDoubleValueError(std::numeric_limits<double>::quiet_NaN(), 7, 0.5, -0.25);
    b.source = "run 7.dat";
    b.comment = "Import, smooth(3)";
    b.dynsize = "y*0.1";
    b.show = 0;
    b.belongx = 2;
    b.belongy = 1;
    b.style.color = QColor(10, 20, 30);
    b.style.fillcolor = QColor(40, 50, 60, 128);
    b.style.barcolor = QColor(1, 2, 3);
    b.style.stickcolor = QColor(4, 5, 6);
    b.style.errorcolor = QColor(7, 8, 9);
    b.style.linewidth = 1.25;
    b.style.dash = 4;
    b.style.symbol = 11;
    b.style.dashwidth = 3;
    b.style.symbolsize = 6.5;
    b.style.sticksize = 33;
    b.style.stickabs = b.style.symfill = 1;
    b.style.plotlines = 0;
    b.style.plotsymbols = b.style.plotybars = b.style.plotxbars = b.style.plotysticks = b.style.plotxsticks
        = 1;
    b.style.plotdots = b.style.plotarea = b.style.plothist = b.style.plotfhist = 1;
    b.plotlegend = 0;
    b.errorbars.errorbarx = 2;
    b.errorbars.errorvalx = 5.5;
    b.errorbars.errorbary = 3;
    b.errorbars.errorvaly = 0.125;
    b.errorbars.errorwidth = 2;
    b.style.freex = b.style.freey = 1;
    b.style.barytop = b.style.barybottom = b.style.barxleft = b.style.barxright = 1;
    b.style.fxmin = -1;
    b.style.fxmax = 250.5;
    b.style.fymin = -3;
    b.style.fymax = 9;

    auto list = DataBuffer::buffersFromArchive(DataBuffer::archivedBuffers({&b}));
    ASSERT_TRUE(list.has_value());
    ASSERT_EQ(list->size(), 1u);
    const DataBuffer& r = *list->front();
    ASSERT_EQ(r.X.size(), 2u);
    EXPECT_EQ(std::memcmp(r.X.data(), b.X.data(), 16), 0); // bit for bit, NaN included
    EXPECT_EQ(r.Y, b.Y);
    EXPECT_EQ(r.EX, b.EX);
    EXPECT_EQ(r.EY, b.EY);
    EXPECT_EQ(r.source, b.source);
    EXPECT_EQ(r.comment, b.comment);
    EXPECT_EQ(r.dynsize, b.dynsize);
    EXPECT_EQ(r.show, 0);
    EXPECT_EQ(r.belongx, 2);
    EXPECT_EQ(r.style.color, b.style.color);
    EXPECT_EQ(r.style.fillcolor, b.style.fillcolor);
    EXPECT_EQ(r.style.barcolor, b.style.barcolor);
    EXPECT_EQ(r.style.stickcolor, b.style.stickcolor);
    EXPECT_EQ(r.style.errorcolor, b.style.errorcolor);
    for (auto [got, want] : {std::pair{r.style.linewidth, b.style.linewidth},
                             {r.style.dashwidth, b.style.dashwidth},
                             {r.style.symbolsize, b.style.symbolsize},
                             {r.style.sticksize, b.style.sticksize},
                             {r.errorbars.errorvalx, b.errorbars.errorvalx},
                             {r.errorbars.errorvaly, b.errorbars.errorvaly},
                             {r.errorbars.errorwidth, b.errorbars.errorwidth},
                             {r.style.fxmin, b.style.fxmin},
                             {r.style.fxmax, b.style.fxmax},
                             {r.style.fymin, b.style.fymin},
                             {r.style.fymax, b.style.fymax}})
        EXPECT_EQ(got, want);
    EXPECT_EQ(r.style.dash, 4);
    EXPECT_EQ(r.style.symbol, 11);
    EXPECT_EQ(r.errorbars.errorbarx, 2);
    EXPECT_EQ(r.errorbars.errorbary, 3);
    for (auto f : {r.style.stickabs, r.style.symfill, r.style.plotsymbols, r.style.plotybars,
                   r.style.plotxbars, r.style.plotysticks, r.style.plotxsticks, r.style.plotdots,
                   r.style.plotarea, r.style.plothist, r.style.plotfhist, r.style.freex, r.style.freey,
                   r.style.barytop, r.style.barybottom, r.style.barxleft, r.style.barxright})
        EXPECT_EQ(f, 1);
    EXPECT_EQ(r.style.plotlines, 0);
    EXPECT_EQ(r.plotlegend, 0);
    EXPECT_EQ(r.xmin, 0.1); // extents recomputed from the points
    EXPECT_EQ(r.ymax, 7);
}

TEST_F(DataBufferArchiveTest, ErrorColumnsAreWrittenOnlyWhenComplete)
{
    DataBuffer plain;
    plain.addDoubleValue(1, 2);
    auto r = DataBuffer::buffersFromArchive(DataBuffer::archivedBuffers({&plain}));
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->front()->haserror());

    DataBuffer empty;
    auto e = DataBuffer::buffersFromArchive(DataBuffer::archivedBuffers({&empty}));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->front()->nop(), 0);
    EXPECT_FALSE(e->front()->haserror());
}

TEST_F(DataBufferArchiveTest, MissingKeysTakeTheRecordDefaultsNotThePreferences)
{
    auto b = decodeRecord([](KeyedArchiver& c) { c.encodeInt("verno", 31); });
    ASSERT_TRUE(b);
    EXPECT_EQ(b->style.linewidth, 0);
    EXPECT_EQ(b->style.symbolsize, 0);
    EXPECT_EQ(b->style.sticksize, 0);
    EXPECT_EQ(b->errorbars.errorwidth, 1.0);
    EXPECT_EQ(b->style.plotlines, 0);
    EXPECT_EQ(b->plotlegend, 1);
    EXPECT_EQ(b->show, 1);
    EXPECT_EQ(b->style.fxmax, 0);
    EXPECT_EQ(b->style.color, QColor(Qt::black));
    EXPECT_EQ(b->source, "");
}

TEST_F(DataBufferArchiveTest, OlderRecordsAreUpgraded)
{
    // Version 4: plain arrays of numbers, no errors.
    auto v4 = decodeRecord([](KeyedArchiver& c) {
        c.encodeInt("verno", 4);
        c.encodeDoubleArray("X", {1, 2, 3});
        c.encodeDoubleArray("Y", {4, 5, 6});
    });
    ASSERT_TRUE(v4);
    EXPECT_EQ(v4->Y, (std::vector<double>{4, 5, 6}));

    // Versions 5 to 11 are big-endian whatever byteorder says; from 12 on
    // byteorder 1 (or none) means big-endian.
    struct Case {
        int version;
        std::optional<int> order;
        bool big;
    };
    for (const Case& k : {Case{8, 0, true}, Case{12, 1, true}, Case{12, std::nullopt, true},
                          Case{12, 0, false}, Case{31, 0, false}}) {
        auto b = decodeRecord([&](KeyedArchiver& c) {
            c.encodeInt("verno", k.version);
            if (k.order)
                c.encodeInt("byteorder", *k.order);
            c.encodeBytes("X", block({1.5, -2}, k.big) + "xyz"); // trailing bytes ignored
            c.encodeBytes("Y", block({3, 4}, k.big));
            c.encodeBytes("EX", block({0.5, 0.5}, k.big));
        });
        ASSERT_TRUE(b);
        EXPECT_EQ(b->X, (std::vector<double>{1.5, -2})) << k.version;
        EXPECT_EQ(b->Y, (std::vector<double>{3, 4})) << k.version;
        EXPECT_TRUE(b->EX.empty()); // EX without EY is not read
    }

    // Up to version 20 bar, stick and error colours follow the line colour.
    auto v20 = decodeRecord([](KeyedArchiver& c) {
        c.encodeInt("verno", 20);
        c.encodeColor("color", QColor(200, 0, 0));
        c.encodeColor("barcolor", QColor(0, 0, 200));
    });
    ASSERT_TRUE(v20);
    EXPECT_EQ(v20->style.barcolor, QColor(200, 0, 0));
    EXPECT_EQ(v20->style.errorcolor, QColor(200, 0, 0));

    auto bars = decodeRecord([](KeyedArchiver& c) {
        c.encodeInt("verno", 31);
        c.encodeBool("plotbars", true);
    });
    ASSERT_TRUE(bars);
    EXPECT_EQ(bars->style.plotybars, 1);
    auto both = decodeRecord([](KeyedArchiver& c) {
        c.encodeBool("plotbars", true);
        c.encodeBool("plotybars", false);
    });
    ASSERT_TRUE(both);
    EXPECT_EQ(both->style.plotybars, 0);
}

TEST_F(DataBufferArchiveTest, DamagedDataGivesNoBuffers)
{
    DataBuffer b;
    b.addDoubleValue(1, 2);
    const QByteArray good = DataBuffer::archivedBuffers({&b});
    for (const QByteArray& bad : {QByteArray(), QByteArray("garbage"), good.left(good.size() / 2),
                                  QByteArray(good).replace("DataBuffer", "EvilBuffer")}) {
        QString why;
        EXPECT_FALSE(DataBuffer::buffersFromArchive(bad, &why).has_value());
        EXPECT_FALSE(why.isEmpty());
    }
}

// Only a forged archive lists one record twice; a copy per listing would let
// a few bytes on the pasteboard fill the memory.
TEST_F(DataBufferArchiveTest, ABufferListedTwiceIsRefused)
{
    DataBuffer b;
    b.addDoubleValue(1, 2);
    QString why;
    EXPECT_FALSE(DataBuffer::buffersFromArchive(DataBuffer::archivedBuffers({&b, &b}), &why).has_value());
    EXPECT_EQ(why, DataBuffer::listedTwiceMessage());

    DataBuffer other;
    other.addDoubleValue(1, 2);
    auto list = DataBuffer::buffersFromArchive(DataBuffer::archivedBuffers({&b, &other}));
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ((*list)[1]->X, (std::vector<double>{1}));
    EXPECT_EQ((*list)[1]->xmax, 1);
}

// Records that all name one data block read its numbers once: the buffers
// share one column instead of holding a copy each (200 copies of a megabyte
// from a file of little more than one).
TEST_F(DataBufferArchiveTest, RecordsNamingOneBlockShareItsNumbers)
{
    // Buffer records that all name one block of a megabyte.
    struct SharedBlock : ArchivableObject {
        const QByteArray* block = nullptr;
        QString className() const override { return DataBuffer::archiveClassName(); }
        void encodeWithCoder(KeyedArchiver& c) const override
        {
            c.encodeInt("verno", DataBuffer::archiveVersion);
            c.encodeInt("byteorder", 0);
            c.encodeBytes("X", *block);
            c.encodeBytes("Y", *block);
        }
    };
    const QByteArray block(1 << 20, '\0');
    std::vector<SharedBlock> records(200);
    std::vector<const ArchivableObject*> list;
    for (SharedBlock& r : records) {
        r.block = &block;
        list.push_back(&r);
    }
    KeyedArchiver coder;
    coder.encodeArrayOfObjects(QStringLiteral("root"), list);
    const QByteArray many = coder.encodedData();
    EXPECT_LT(many.size(), 3 << 20); // the archiver stores the block once
    QString why;
    auto buffers = DataBuffer::buffersFromArchive(many, &why);
    ASSERT_TRUE(buffers) << why.toStdString();
    ASSERT_EQ(buffers->size(), records.size());
    for (const auto& b : *buffers) {
        EXPECT_EQ(b->Y.size(), std::size_t(1 << 17));
        EXPECT_TRUE(b->X.sharesWith((*buffers)[0]->X));
        EXPECT_TRUE(b->Y.sharesWith((*buffers)[0]->X));
    }
    // Changing one changes only that one.
    (*buffers)[3]->setYDoubleValueAt(0, 7);
    EXPECT_EQ((*buffers)[3]->Y[0], 7);
    EXPECT_EQ((*buffers)[4]->Y[0], 0);
    EXPECT_EQ((*buffers)[3]->X[0], 0);
}

} // namespace
