#include "IoFakes.h"

#include "io/BinaryImport.h"
#include "io/BinaryRecordLayout.h"
#include "model/DataBuffer.h"
#include "model/DocumentView.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "support/ScriptedQuestions.h"

#include <QSysInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace IoTest;

enum class Order { Little, Big };

constexpr Order hostOrder = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? Order::Little : Order::Big;

// The swap flag that reads a file written in that order on this host.
bool swapFor(Order o)
{
    return o != hostOrder;
}

template <typename T> void put(QByteArray& out, T v, Order o)
{
    char raw[sizeof(T)];
    std::memcpy(raw, &v, sizeof v);
    if (o != hostOrder)
        std::reverse(raw, raw + sizeof v);
    out.append(raw, qsizetype(sizeof v));
}

QByteArray encode(int type, const std::vector<double>& values, Order o = hostOrder)
{
    QByteArray out;
    for (double v : values) {
        switch (type) {
        case BinaryRecordLayout::Double:
            put(out, v, o);
            break;
        case BinaryRecordLayout::Float:
            put(out, float(v), o);
            break;
        case BinaryRecordLayout::Int32:
            put(out, std::int32_t(v), o);
            break;
        case BinaryRecordLayout::Int16:
            put(out, std::int16_t(v), o);
            break;
        default:
            put(out, v, o);
            break;
        }
    }
    return out;
}

using Points = std::vector<std::pair<double, double>>;

Points pointsOf(const DataBuffer& b)
{
    Points p;
    for (int i = 0; i < b.nop(); ++i)
        p.emplace_back(b.x(i), b.y(i));
    return p;
}

class CountingView : public DocumentView {
public:
    int displays = 0;
    void displayNow() override { ++displays; }
    QSizeF boundsSize() const override { return QSizeF(400, 300); }
};

class BinaryImportTest : public ::testing::Test {
protected:
    FakeManager manager;
    CountingView view;
    VexaDocument doc;

    BinaryImportTest()
    {
        doc.M = &manager;
        doc.PV = &view;
    }

    ScriptedQuestions questions;

    Outcome import(const QByteArray& bytes, int type, int mode, bool swap, int columns,
                   const QString& source = QString(), const QString& comment = QString())
    {
        const QString path = writeScratch(QStringLiteral("binary.dat"), bytes);
        return BinaryImport::binaryImport(doc, path, type, mode, swap, columns, source, comment, questions);
    }
};

// Every number type in both byte orders, records one after another.
TEST_F(BinaryImportTest, ReadsEveryNumberTypeInBothByteOrders)
{
    struct Case {
        int type;
        std::vector<double> values; // three records of (x, y)
    };
    const Case cases[] = {
        {BinaryRecordLayout::Double, {-3.25, 1e300, 0.1, -2.5e-310, 12, 7}},
        {BinaryRecordLayout::Float, {-3.25, 1.5e30f, 0.5, -1024.125, 12, 7}},
        {BinaryRecordLayout::Int32, {-3, 2147483647, 7, -2147483648.0, 12, 100000}},
        {BinaryRecordLayout::Int16, {-3, 32767, 7, -32768, 12, -1}},
    };
    for (const Case& c : cases)
        for (Order o : {Order::Little, Order::Big}) {
            SCOPED_TRACE(testing::Message() << "type " << c.type << (o == Order::Big ? " big" : " little"));
            VexaDocument d;
            d.M = &manager;
            const QString path = writeScratch(QStringLiteral("types.dat"), encode(c.type, c.values, o));
            ASSERT_TRUE(
                BinaryImport::binaryImport(d, path, c.type, 0, swapFor(o), 2, {}, {}, questions).ok());
            ASSERT_EQ(d.bufferCount(), 1);
            const double f = double(float(c.values[1]));
            const double y0 = c.type == BinaryRecordLayout::Float ? f : c.values[1];
            EXPECT_EQ(pointsOf(*d.DB[0]),
                      (Points{{c.values[0], y0}, {c.values[2], c.values[3]}, {c.values[4], c.values[5]}}));
        }
}

TEST_F(BinaryImportTest, UnknownTypeTakesEightBytesAndReadsZero)
{
    ASSERT_TRUE(import(encode(0, {5, 6}), 9, 0, false, 1).ok());
    ASSERT_EQ(doc.bufferCount(), 1);
    EXPECT_EQ(pointsOf(*doc.DB[0]), (Points{{0, 0}, {1, 0}}));
}

TEST_F(BinaryImportTest, OneRecordOfThreeColumnsMakesTwoBuffers)
{
    ASSERT_TRUE(import(encode(0, {10, 20, 30}), 0, 0, false, 3).ok());
    ASSERT_EQ(doc.bufferCount(), 2);
    EXPECT_EQ(pointsOf(*doc.DB[0]), (Points{{10, 20}}));
    EXPECT_EQ(pointsOf(*doc.DB[1]), (Points{{10, 30}}));
}

TEST_F(BinaryImportTest, OneColumnIsIndexedByPosition)
{
    std::vector<double> v{5, -4, 3, -2, 1, 0, 9, 8, 7, 6};
    ASSERT_TRUE(import(encode(BinaryRecordLayout::Int16, v), BinaryRecordLayout::Int16, 1, false, 1).ok());
    ASSERT_EQ(doc.bufferCount(), 1);
    Points want;
    for (int k = 0; k < 10; ++k)
        want.emplace_back(k, v[std::size_t(k)]);
    EXPECT_EQ(pointsOf(*doc.DB[0]), want);
}

TEST_F(BinaryImportTest, WholeColumnsFollowOneAnother)
{
    ASSERT_TRUE(import(encode(0, {1, 2, 3, 4, 10, 20, 30, 40}), 0, 1, false, 2).ok());
    ASSERT_EQ(doc.bufferCount(), 1);
    EXPECT_EQ(pointsOf(*doc.DB[0]), (Points{{1, 10}, {2, 20}, {3, 30}, {4, 40}}));

    VexaDocument d;
    d.M = &manager;
    const QString path
        = writeScratch(QStringLiteral("cols.dat"),
                       encode(BinaryRecordLayout::Int32, {1, 2, 3, 10, 20, 30, 100, 200, 300}, Order::Big));
    ASSERT_TRUE(BinaryImport::binaryImport(d, path, BinaryRecordLayout::Int32, 1, swapFor(Order::Big), 3, {},
                                           {}, questions)
                    .ok());
    ASSERT_EQ(d.bufferCount(), 2);
    EXPECT_EQ(pointsOf(*d.DB[0]), (Points{{1, 10}, {2, 20}, {3, 30}}));
    EXPECT_EQ(pointsOf(*d.DB[1]), (Points{{1, 100}, {2, 200}, {3, 300}}));
}

TEST_F(BinaryImportTest, MisfitSizeAsksAndContinuingIgnoresTheRest)
{
    std::vector<double> v;
    for (int i = 0; i < 12; ++i)
        v.push_back(i);
    QByteArray bytes = encode(0, v);
    bytes.append("tail", 4); // 100 bytes: six records of two doubles and 4 more
    ASSERT_EQ(bytes.size(), 100);

    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        VexaDocument d;
        d.M = &manager;
        const QString path = writeScratch(QStringLiteral("misfit.dat"), bytes);
        ScriptedAlerts alerts;
        ScriptedQuestions keepGoing(true); // "Continue"
        ASSERT_TRUE(BinaryImport::binaryImport(d, path, 0, mode, false, 2, {}, {}, keepGoing).ok());
        EXPECT_EQ(keepGoing.recordsAsked, 1);
        EXPECT_TRUE(alerts.requests().empty()); // asked through the questions, never shown here
        ASSERT_EQ(d.bufferCount(), 1);
        const Points want = mode == 0 ? Points{{0, 1}, {2, 3}, {4, 5}, {6, 7}, {8, 9}, {10, 11}}
                                      : Points{{0, 6}, {1, 7}, {2, 8}, {3, 9}, {4, 10}, {5, 11}};
        EXPECT_EQ(pointsOf(*d.DB[0]), want);
    }

    questions.answer = false; // "Cancel"
    const int updates = manager.updates;
    EXPECT_EQ(import(bytes, 0, 0, false, 2).kind(), Outcome::Kind::Cancelled);
    EXPECT_EQ(questions.recordsAsked, 1);
    EXPECT_EQ(doc.bufferCount(), 0);
    EXPECT_EQ(manager.updates, updates);
    EXPECT_EQ(view.displays, 0);
}

TEST_F(BinaryImportTest, RefusedFilesGiveTheirMessageAndNoBuffer)
{
    struct Case {
        const char* name;
        QByteArray bytes; // empty: no file at all
        int type;
        int columns;
        const char* message;
    };
    const Case cases[] = {
        {"four bytes of a double", QByteArray(4, '\1'), 0, 1, "file is to small"},
        {"shorter than one record", encode(0, {1, 2}), 0, 3, "file is to small"},
        {"empty file", QByteArray(), 0, 1, "file is to small"},
        {"no columns", encode(0, {1, 2}), 0, 0, "number ob columns should be at least 1"},
        {"negative columns", encode(0, {1, 2}), 0, -4, "number ob columns should be at least 1"},
        {"record too large for any file", encode(3, {1, 2}), 0, 0x7fffffff, "file is to small"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedAlerts alerts;
        const Outcome refused = import(c.bytes, c.type, 0, false, c.columns);
        EXPECT_EQ(refused.kind(), Outcome::Kind::Failed);
        EXPECT_EQ(refused.title(), QStringLiteral("Binary Import Error"));
        EXPECT_EQ(refused.message(), QLatin1String(c.message));
        EXPECT_TRUE(alerts.requests().empty());
        EXPECT_EQ(doc.bufferCount(), 0);
    }

    const Outcome missing = BinaryImport::binaryImport(doc, scratchPath(QStringLiteral("no-such-file")), 0, 0,
                                                       false, 1, {}, {}, questions);
    EXPECT_EQ(missing.kind(), Outcome::Kind::Failed);
    EXPECT_EQ(missing.message(), QStringLiteral("file is to small"));

    // A directory has a size but can never be read.
    const Outcome directory
        = BinaryImport::binaryImport(doc, TestSupport::scratchDir(), 3, 0, false, 1, {}, {}, questions);
    EXPECT_EQ(directory.kind(), Outcome::Kind::Failed);
    EXPECT_EQ(directory.message(), QStringLiteral("file can not be read"));
    EXPECT_EQ(doc.bufferCount(), 0);
    EXPECT_EQ(view.displays, 0);
}

TEST_F(BinaryImportTest, BuffersAreLabelledAppendedAndTheGraphRescaled)
{
    doc.newBuffer();
    const int updates = manager.updates;
    const int displays = view.displays;
    ASSERT_TRUE(import(encode(0, {1, 10, 100, 3, 30, 300}), 0, 0, false, 3).ok());
    ASSERT_EQ(doc.bufferCount(), 3);
    const QString path = scratchPath(QStringLiteral("binary.dat"));
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(doc.DB[std::size_t(i)]->source, path);
        EXPECT_EQ(doc.DB[std::size_t(i)]->comment, QStringLiteral("Binary Import"));
    }
    EXPECT_EQ(doc.current, 0);
    // The shown data, 1..3 by 10..300, now lies inside the first pair's ranges.
    EXPECT_LE(doc.xmin1, 1);
    EXPECT_GE(doc.xmax1, 3);
    EXPECT_LE(doc.ymin1, 10);
    EXPECT_GE(doc.ymax1, 300);
    EXPECT_GT(manager.updates, updates);
    EXPECT_GT(view.displays, displays);

    ASSERT_TRUE(
        import(encode(0, {1, 2}), 0, 0, false, 2, QStringLiteral("probe"), QStringLiteral("run 7")).ok());
    EXPECT_EQ(doc.DB.back()->source, QStringLiteral("probe"));
    EXPECT_EQ(doc.DB.back()->comment, QStringLiteral("run 7"));
}

TEST_F(BinaryImportTest, RescalesTheControllersAxisPair)
{
    manager.pair = 2;
    ASSERT_TRUE(import(encode(0, {5, 50, 6, 60}), 0, 0, false, 2).ok());
    EXPECT_EQ(std::make_tuple(doc.xmin1, doc.xmax1, doc.ymin1, doc.ymax1),
              std::make_tuple(0.0, 1.0, 0.0, 1.0));
}

} // namespace
