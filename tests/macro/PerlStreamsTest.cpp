// The binary streams to and from perl: the input stream's layout, and the
// result reader on good, short, oversized and hostile data.

#include "macro/PerlStreams.h"
#include "model/DataBuffer.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

// Little-endian bytes built field by field.
class Bytes {
public:
    Bytes& i(qint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        data.append(b, 4);
        return *this;
    }
    Bytes& n(double v)
    {
        char b[8];
        qToLittleEndian(v, b);
        data.append(b, 8);
        return *this;
    }
    Bytes& t(const QByteArray& text)
    {
        i(qint32(text.size()));
        data.append(text);
        return *this;
    }
    Bytes& noTexts() { return i(0).i(0); } // a point's empty comment and source
    QByteArray data;
};

// Reads the input stream back as the perl side does.
class Cursor {
public:
    explicit Cursor(const QByteArray& d)
            : data(d)
    {
    }
    qint32 i()
    {
        const qint32 v = qFromLittleEndian<qint32>(data.constData() + at);
        at += 4;
        return v;
    }
    double n()
    {
        const double v = qFromLittleEndian<double>(data.constData() + at);
        at += 8;
        return v;
    }
    QByteArray t()
    {
        const qint32 length = i();
        const QByteArray v = data.mid(at, length);
        at += length;
        return v;
    }
    const QByteArray& data;
    qsizetype at = 0;
};

TEST(PerlInputStream, CarriesBuffersWithTheirColumnsThenTheVariables)
{
    DataBuffer plain;
    plain.addDoubleValue(1, 2);
    plain.addDoubleValue(3, 4);
    plain.source = QStringLiteral("file.dat");
    plain.comment = QString::fromUtf8("gr\xc3\xb6\xc3\x9f"
                                      "e");
    DataBuffer errors;
    errors.addDoubleValueError(5, 6, 0.5, 0.25);
    const DataBuffer empty;

    const QByteArray data
        = PerlInputStream::forFilter({&plain, &errors, &empty}, {{QStringLiteral("a"), 1.5}},
                                     {{QStringLiteral("s"), QStringLiteral("text")}});
    Cursor c(data);
    EXPECT_EQ(c.i(), 3);
    // Two columns without errors.
    EXPECT_EQ(c.i(), 2);
    EXPECT_EQ(c.i(), 2);
    for (double v : {1.0, 2.0, 3.0, 4.0})
        EXPECT_EQ(c.n(), v);
    EXPECT_EQ(c.t(), QByteArray("file.dat"));
    EXPECT_EQ(c.t(),
              QByteArray("gr\xc3\xb6\xc3\x9f"
                         "e"));
    // Four with them.
    EXPECT_EQ(c.i(), 1);
    EXPECT_EQ(c.i(), 4);
    for (double v : {5.0, 6.0, 0.5, 0.25})
        EXPECT_EQ(c.n(), v);
    EXPECT_EQ(c.t(), QByteArray());
    EXPECT_EQ(c.t(), QByteArray());
    // An empty buffer: no points, still its texts.
    EXPECT_EQ(c.i(), 0);
    EXPECT_EQ(c.i(), 2);
    EXPECT_EQ(c.t(), QByteArray());
    EXPECT_EQ(c.t(), QByteArray());
    // The variables.
    EXPECT_EQ(c.i(), 1);
    EXPECT_EQ(c.t(), QByteArray("a"));
    EXPECT_EQ(c.n(), 1.5);
    EXPECT_EQ(c.i(), 1);
    EXPECT_EQ(c.t(), QByteArray("s"));
    EXPECT_EQ(c.t(), QByteArray("text"));
    EXPECT_EQ(c.at, data.size());
}

TEST(PerlInputStream, WithoutBuffersAFilterSendsACountOfZeroAndAnImportNone)
{
    const QByteArray filter = PerlInputStream::forFilter({}, {}, {});
    EXPECT_EQ(filter, Bytes().i(0).i(0).i(0).data);
    const QByteArray import = PerlInputStream::forImport({{QStringLiteral("x"), -2}}, {});
    EXPECT_EQ(import, Bytes().i(1).t("x").n(-2).i(0).data);
}

// --- the result ---------------------------------------------------------------------------------------

// Test names from the cases' names.
template <class Case> std::string caseName(const testing::TestParamInfo<Case>& param)
{
    std::string name = param.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
}

struct ResultCase {
    const char* name;
    QByteArray data;
    std::vector<std::vector<double>> columns; // X, Y, EX, EY of the one buffer
    QString comment, source;
};

void PrintTo(const ResultCase& c, std::ostream* os)
{
    *os << c.name;
}

class ResultBuffers : public testing::TestWithParam<ResultCase> { };

TEST_P(ResultBuffers, AreReadByTheirMode)
{
    const ResultCase& c = GetParam();
    const PerlResultStream::Reading r = PerlResultStream::read(c.data);
    ASSERT_TRUE(r.ok()) << r.message().toStdString();
    ASSERT_EQ(r.result.buffers.size(), 1u);
    const PerlResultBuffer& b = r.result.buffers[0];
    const std::vector<std::vector<double>> got{b.X, b.Y, b.EX, b.EY};
    EXPECT_EQ(got, c.columns);
    EXPECT_EQ(b.comment, c.comment);
    EXPECT_EQ(b.source, c.source);
}

INSTANTIATE_TEST_SUITE_P(
    Perl, ResultBuffers,
    testing::Values(
        // mode 1: y alone, x the index
        ResultCase{"y only",
                   Bytes().i(1).i(3).i(1).n(5).noTexts().n(7).noTexts().n(9).noTexts().i(0).i(0).data,
                   {{0, 1, 2}, {5, 7, 9}, {}, {}},
                   QString(),
                   QString()},
        ResultCase{
            "x y", Bytes().i(1).i(1).i(2).n(1).n(2).noTexts().i(0).i(0).data, {{1}, {2}, {}, {}}, {}, {}},
        // mode 3: the x error is 0
        ResultCase{"x y ey",
                   Bytes().i(1).i(1).i(3).n(1).n(2).n(0.5).noTexts().i(0).i(0).data,
                   {{1}, {2}, {0}, {0.5}},
                   {},
                   {}},
        ResultCase{"x y ex ey",
                   Bytes().i(1).i(1).i(4).n(1).n(2).n(0.25).n(0.5).noTexts().i(0).i(0).data,
                   {{1}, {2}, {0.25}, {0.5}},
                   {},
                   {}},
        // no points: nothing follows the mode
        ResultCase{"no points", Bytes().i(1).i(-4).i(2).i(0).i(0).data, {{}, {}, {}, {}}, {}, {}},
        // the last non-empty text wins; UTF-8 is kept
        ResultCase{"texts",
                   Bytes()
                       .i(1)
                       .i(3)
                       .i(1)
                       .n(1)
                       .t("first")
                       .t("src")
                       .n(2)
                       .t("gr\xc3\xbc\xc3\x9f")
                       .i(-1)
                       .n(3)
                       .i(0)
                       .i(0)
                       .i(0)
                       .i(0)
                       .data,
                   {{0, 1, 2}, {1, 2, 3}, {}, {}},
                   QString::fromUtf8("gr\xc3\xbc\xc3\x9f"),
                   QStringLiteral("src")}),
    caseName<ResultCase>);

TEST(PerlResultStream, ReadsVariablesAndSkipsEmptyNamesAndValues)
{
    const QByteArray data = Bytes()
                                .i(0)
                                .i(3)
                                .t("a")
                                .n(1.5)
                                .i(0) // no name: the length alone
                                .t("b")
                                .n(-2)
                                .i(3)
                                .t("s")
                                .t("text")
                                .t("empty")
                                .i(0) // no value: sets nothing
                                .i(-1) // no name
                                .data;
    const PerlResultStream::Reading r = PerlResultStream::read(data);
    ASSERT_TRUE(r.ok()) << r.message().toStdString();
    EXPECT_TRUE(r.result.buffers.empty());
    const std::vector<std::pair<QString, double>> numbers{{QStringLiteral("a"), 1.5},
                                                          {QStringLiteral("b"), -2}};
    EXPECT_EQ(r.result.numbers, numbers);
    const std::vector<std::pair<QString, QString>> texts{{QStringLiteral("s"), QStringLiteral("text")}};
    EXPECT_EQ(r.result.texts, texts);
}

TEST(PerlResultStream, EveryCutOfAGoodStreamIsRefusedWhole)
{
    const QByteArray good = Bytes()
                                .i(2)
                                .i(2)
                                .i(4)
                                .n(1)
                                .n(2)
                                .n(3)
                                .n(4)
                                .t("c")
                                .t("s")
                                .n(5)
                                .n(6)
                                .n(7)
                                .n(8)
                                .noTexts()
                                .i(1)
                                .i(1)
                                .n(9)
                                .noTexts()
                                .i(1)
                                .t("v")
                                .n(1)
                                .i(1)
                                .t("w")
                                .t("x")
                                .data;
    ASSERT_TRUE(PerlResultStream::read(good).ok());
    for (qsizetype n = 0; n < good.size(); ++n) {
        const PerlResultStream::Reading r = PerlResultStream::read(good.left(n));
        EXPECT_EQ(r.outcome, PerlResultStream::Outcome::EndsEarly) << "cut at " << n;
        EXPECT_TRUE(r.result.buffers.empty() && r.result.numbers.empty() && r.result.texts.empty());
        EXPECT_FALSE(r.message().isEmpty());
    }
    const PerlResultStream::Reading longer = PerlResultStream::read(good + QByteArray("x"));
    EXPECT_EQ(longer.outcome, PerlResultStream::Outcome::TrailingBytes);
    EXPECT_TRUE(longer.result.buffers.empty());
}

struct HostileCase {
    const char* name;
    QByteArray data;
    PerlResultStream::Outcome outcome;
};

void PrintTo(const HostileCase& c, std::ostream* os)
{
    *os << c.name;
}

class HostileResults : public testing::TestWithParam<HostileCase> { };

// Counts and lengths far beyond the data are refused before any room is made
// for them (run under the sanitizers, a reservation would show).
TEST_P(HostileResults, AreRefusedWithoutTakingMemory)
{
    const PerlResultStream::Reading r = PerlResultStream::read(GetParam().data);
    EXPECT_EQ(r.outcome, GetParam().outcome);
    EXPECT_TRUE(r.result.buffers.empty());
    EXPECT_FALSE(r.message().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Perl, HostileResults,
    testing::Values(
        HostileCase{"buffers", Bytes().i(INT_MAX).data, PerlResultStream::Outcome::EndsEarly},
        HostileCase{"too many buffers",
                    [] {
                        Bytes b;
                        b.i(PerlResultStream::maxBuffers + 1);
                        for (int k = 0; k <= PerlResultStream::maxBuffers; ++k)
                            b.i(0).i(1);
                        return b.i(0).i(0).data;
                    }(),
                    PerlResultStream::Outcome::TooManyBuffers},
        HostileCase{"points", Bytes().i(1).i(INT_MAX).i(4).n(1).data, PerlResultStream::Outcome::EndsEarly},
        // Without its mode a point's numbers cannot be read: the result is
        // refused rather than a buffer added empty.
        HostileCase{"points of an unknown mode", Bytes().i(1).i(INT_MAX).i(0).i(0).i(0).data,
                    PerlResultStream::Outcome::UnknownMode},
        HostileCase{"unknown mode", Bytes().i(1).i(2).i(7).t("a").t("").i(0).t("b").i(0).i(0).data,
                    PerlResultStream::Outcome::UnknownMode},
        HostileCase{"comment", Bytes().i(1).i(1).i(1).n(1).i(INT_MAX).data,
                    PerlResultStream::Outcome::EndsEarly},
        HostileCase{"variables", Bytes().i(0).i(INT_MAX).data, PerlResultStream::Outcome::EndsEarly},
        HostileCase{"name", Bytes().i(0).i(1).i(INT_MAX).data, PerlResultStream::Outcome::EndsEarly},
        HostileCase{"texts", Bytes().i(0).i(0).i(INT_MAX).i(1).data, PerlResultStream::Outcome::EndsEarly},
        HostileCase{"value", Bytes().i(0).i(0).i(1).t("a").i(INT_MAX).data,
                    PerlResultStream::Outcome::EndsEarly},
        HostileCase{"empty", QByteArray(), PerlResultStream::Outcome::EndsEarly}),
    caseName<HostileCase>);

} // namespace
