#include "model/Spectral.h"
#include "model/VexaDocument.h"

#include "Fakes.h"
#include "platform/Alert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <vector>

namespace {

constexpr double twoPi = 6.283185307179586;

// The transform by its definition, kernel exp(+2*pi*i*j*k/N).
std::vector<std::complex<double>> naiveDft(const std::vector<std::complex<double>>& v)
{
    const std::size_t n = v.size();
    std::vector<std::complex<double>> out(n);
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t j = 0; j < n; ++j)
            out[k] += v[j] * std::polar(1.0, twoPi * double(j * k % n) / double(n));
    return out;
}

std::vector<float> sampleData(int m)
{
    std::vector<float> v(static_cast<std::size_t>(m));
    for (int j = 0; j < m; ++j)
        v[std::size_t(j)] = float(std::sin(0.7 * j) + 0.3 * std::cos(2.1 * j) + 0.05 * j);
    return v;
}

TEST(FftRoutines, ComplexTransformOfAToneIsOneSpike)
{
    // exp(-2*pi*i*3j/N) under the +1 kernel sums to N at k = 3 and cancels elsewhere.
    const int n = 16;
    std::vector<float> d(2 * n);
    for (int j = 0; j < n; ++j) {
        d[std::size_t(2 * j)] = float(std::cos(twoPi * 3 * j / n));
        d[std::size_t(2 * j + 1)] = float(-std::sin(twoPi * 3 * j / n));
    }
    ASSERT_TRUE(Spectral::fftComplex(d, n, 1));
    for (int k = 0; k < n; ++k) {
        EXPECT_NEAR(d[std::size_t(2 * k)], k == 3 ? n : 0, 1e-4) << k;
        EXPECT_NEAR(d[std::size_t(2 * k + 1)], 0, 1e-4) << k;
    }
    EXPECT_FALSE(Spectral::fftComplex(d, 12, 1)); // no power of two
    EXPECT_FALSE(Spectral::fftComplex(d, 32, 1)); // array too short
}

TEST(FftRoutines, RealTransformPacksTheDefinitionAndInvertsToHalfLengthTimesData)
{
    for (int m : {2, 4, 8, 16, 64, 256}) {
        SCOPED_TRACE(m);
        const std::vector<float> input = sampleData(m);
        std::vector<std::complex<double>> c(input.begin(), input.end());
        const auto want = naiveDft(c);

        std::vector<float> d = input;
        ASSERT_TRUE(Spectral::fftReal(d, m / 2, 1));
        const double tol = 2e-5 * m;
        EXPECT_NEAR(d[0], want[0].real(), tol);
        EXPECT_NEAR(d[1], want[std::size_t(m / 2)].real(), tol);
        for (int k = 1; k < m / 2; ++k) {
            EXPECT_NEAR(d[std::size_t(2 * k)], want[std::size_t(k)].real(), tol) << k;
            EXPECT_NEAR(d[std::size_t(2 * k + 1)], want[std::size_t(k)].imag(), tol) << k;
        }

        ASSERT_TRUE(Spectral::fftReal(d, m / 2, -1));
        for (int j = 0; j < m; ++j)
            EXPECT_NEAR(d[std::size_t(j)], input[std::size_t(j)] * (m / 2), tol) << j;
    }
}

TEST(FftRoutines, PaddedLengths)
{
    struct Case {
        int n;
        float pts;
        int spectrum;
        int smooth;
    };
    // Spectrum: smallest power of two >= n + 2; smoothing: >= n + trunc(2*pts + 0.5).
    const Case cases[] = {
        {0, 0, 2, 2},    {6, 0, 8, 8},        {14, 0, 16, 16},
        {15, 4, 32, 32}, {100, 16, 128, 256}, {1 << 29, 0, 1 << 30, 1 << 29},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Spectral::spectrumLength(c.n), c.spectrum) << c.n;
        EXPECT_EQ(Spectral::smoothLength(c.n, c.pts), c.smooth) << c.n;
    }
    // Lengths that would not fit are refused, not wrapped.
    EXPECT_EQ(Spectral::spectrumLength((1 << 30) - 1), 0);
    EXPECT_EQ(Spectral::smoothLength(10, 1e30f), 0);
    EXPECT_EQ(Spectral::smoothLength(10, std::nanf("")), 0);
    std::vector<float> tooShort(7);
    EXPECT_EQ(Spectral::fftSpectrumPrepare(tooShort, 6), 0);
    EXPECT_FALSE(Spectral::fftSmoothFilter(tooShort, 6, 0));
}

TEST(FftRoutines, WindowWeights)
{
    struct Case {
        int window;
        int i;
        int n;
        double weight;
    };
    const Case cases[] = {
        {FFTHanning, 0, 9, 0.0},      {FFTHanning, 8, 9, 0.0}, // 1 - cos(2*pi) up to the cut constant
        {FFTHanning, 4, 9, 1.0}, // (1 - cos(pi)) / 2
        {FFTHanning, 2, 9, 0.5}, // (1 - cos(pi/2)) / 2
        {FFTWelch, 4, 9, 1.0}, // centre
        {FFTWelch, 0, 9, 1.0 - 0.64}, // 1 - (4/5)^2
        {FFTParzen, 0, 9, 0.2}, // 1 - 4/5
        {FFTParzen, 6, 9, 0.6}, // 1 - 2/5
        {FFTNone, 3, 9, 1.0},         {7, 3, 9, 1.0}, // unknown windows weigh 1
    };
    for (const Case& c : cases)
        EXPECT_NEAR(Spectral::windowWeight(c.window, c.i, c.n), c.weight, 1e-9) << c.window << " " << c.i;
}

TEST(FftRoutines, Hypotenuse)
{
    struct Case {
        double a, b, r;
    };
    const Case cases[] = {
        {3, 4, 5},
        {-4, 3, 5},
        {0, -2, 2},
        {-5, 0, 5},
        {0, 0, 0},
        {1e200, 1e200, std::sqrt(2.0) * 1e200}, // the squares would overflow
        {1e-200, 1e-200, std::sqrt(2.0) * 1e-200}, // ... or vanish
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(Spectral::hypotenuse(c.a, c.b), c.r) << c.a << " " << c.b;
}

class SpectralDocumentTest : public ::testing::Test {
protected:
    FakeManager manager;
    VexaDocument doc{&manager};
    ScriptedQuestions questions; // sorts when asked

    DataBuffer& addBuffer(int n, const std::function<double(int)>& f,
                          const QString& comment = QStringLiteral("data"))
    {
        auto b = std::make_unique<DataBuffer>();
        for (int i = 0; i < n; ++i)
            b->addDoubleValue(i, f(i));
        b->comment = comment;
        doc.DB.push_back(std::move(b));
        return *doc.DB.back();
    }
    static int argmax(const DataBuffer& b)
    {
        return int(std::max_element(b.Y.begin(), b.Y.end()) - b.Y.begin());
    }
};

TEST_F(SpectralDocumentTest, SpectrumPeaksAtTheSineFrequencyUnderEveryWindow)
{
    // sin(pi*i/4) over i = 0..120 ends on zeros, so removing the end line
    // changes nothing; padded to 128 its period of 8 falls into bin 16,
    // reported as point 16 at x = 0.5 * 17.
    addBuffer(121, [](int i) { return std::sin(twoPi * i / 8); });
    struct Case {
        int window;
        const char* suffix;
    };
    const Case cases[] = {{FFTNone, " FFT"},
                          {FFTHanning, " FFT(Hanning)"},
                          {FFTWelch, " FFT(Welch)"},
                          {FFTParzen, " FFT(Parzen)"},
                          {9, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        ScriptedAlerts alerts;
        EXPECT_TRUE(doc.doFFT(0, c.window, questions).ok());
        const DataBuffer& s = *doc.DB.back();
        ASSERT_EQ(s.nop(), 64);
        EXPECT_EQ(argmax(s), 16);
        EXPECT_EQ(s.X[16], 8.5);
        EXPECT_EQ(s.comment, QStringLiteral("data") + QLatin1String(c.suffix));
        EXPECT_EQ(s.source, QStringLiteral("FFT"));
        EXPECT_TRUE(alerts.requests().empty());
    }
    // Unwindowed, H_16 = sum of sin(pi*j/4) * exp(i*pi*j/4) = i * sum of sin^2 = 60i.
    EXPECT_NEAR(doc.DB[1]->Y[16], 60, 1e-3);
    EXPECT_FALSE(manager.GV.contains(QStringLiteral("lastbuffer")));
}

TEST_F(SpectralDocumentTest, SpectrumOfConstantDataIsZeroAtHalfPointNumbers)
{
    addBuffer(6, [](int) { return 4.25; });
    doc.doFFT(0, FFTNone, questions);
    const DataBuffer& s = *doc.DB.back();
    EXPECT_EQ(s.X, (std::vector<double>{0.5, 1.0, 1.5, 2.0}));
    EXPECT_EQ(s.Y, (std::vector<double>(4, 0.0)));
    EXPECT_FALSE(s.haserror());
}

TEST_F(SpectralDocumentTest, SmoothingRemovesAHighFrequencyAndKeepsTheTrend)
{
    // Period 4 sits at bin m/4 = 64 of m = 256 (101 + trunc(2*16 + 0.5) = 133);
    // with pts = 16 every bin from m/pts = 16 up is cut. The line through the
    // end values is the trend itself, so it comes back untouched.
    auto trend = [](int i) { return 2 + 0.1 * i; };
    DataBuffer& src = addBuffer(101, [&](int i) { return trend(i) + 0.5 * std::sin(twoPi * i / 4); });
    src.style.color = Qt::red;
    doc.fftsmooth(0, 8.9, questions);
    ASSERT_EQ(doc.bufferCount(), 2);
    const DataBuffer& s = *doc.DB[1];
    ASSERT_EQ(s.nop(), 101);
    double worst = 0;
    for (int i = 0; i < 101; ++i) {
        EXPECT_EQ(s.X[std::size_t(i)], i);
        worst = std::max(worst, std::fabs(s.Y[std::size_t(i)] - trend(i)));
    }
    EXPECT_LT(worst, 0.05);
    EXPECT_EQ(s.source, QStringLiteral("FFTsmoth"));
    EXPECT_EQ(s.comment, QStringLiteral("data, fftsmooth(0,8.9)"));
    EXPECT_EQ(s.style.color, QColor(Qt::red));
    EXPECT_EQ(manager.GV.value(QStringLiteral("lastbuffer"), -1), 1.0);
}

TEST_F(SpectralDocumentTest, SmoothingNarrowerThanOneStepReturnsTheData)
{
    addBuffer(20, [](int i) { return std::sin(1.3 * i) + 0.01 * i * i; });
    doc.fftsmooth(0, -3, questions);
    const DataBuffer& s = *doc.DB.back();
    for (int i = 0; i < 20; ++i)
        EXPECT_NEAR(s.Y[std::size_t(i)], doc.DB[0]->Y[std::size_t(i)], 1e-5) << i;
    EXPECT_EQ(s.comment, QStringLiteral("data, fftsmooth(0,0)"));
}

TEST_F(SpectralDocumentTest, TooFewPointsOrTooLargeMakeNoBufferAndSayWhy)
{
    addBuffer(0, [](int) { return 0.0; });
    addBuffer(1, [](int) { return 1.0; });
    addBuffer(5, [](int i) { return i; });
    struct Case {
        std::function<Outcome()> op;
        const char* title;
        const char* message;
    };
    const Case cases[] = {
        {[&] { return doc.doFFT(1, FFTHanning, questions); }, "Error in FFT calculation for buffer 1",
         "FFT needs at least 2 points"},
        {[&] { return doc.fftsmooth(1, 2, questions); }, "Error in FFT smoothing for buffer 1",
         "FFT smoothing needs at least 2 points"},
        {[&] { return doc.fftsmooth(2, 1e300, questions); }, "Error in FFT smoothing for buffer 2",
         "Too many points or too large a width for FFT smoothing"},
        {[&] { return doc.spline(1, 10, 2, questions); }, "Error in spline calculation for buffer 1",
         "Can not calculate spline interpolation"},
    };
    for (const Case& c : cases) {
        ScriptedAlerts alerts;
        const Outcome refused = c.op();
        EXPECT_TRUE(alerts.requests().empty()) << c.title;
        EXPECT_EQ(refused.kind(), Outcome::Kind::Failed) << c.title;
        EXPECT_EQ(refused.title(), QLatin1String(c.title));
        EXPECT_EQ(refused.message(), QLatin1String(c.message));
    }
    EXPECT_EQ(doc.bufferCount(), 3);
    EXPECT_FALSE(manager.GV.contains(QStringLiteral("lastbuffer")));
}

TEST_F(SpectralDocumentTest, EmptyBufferGivesOneZeroSpectrumPointAndAnEmptySmoothing)
{
    addBuffer(0, [](int) { return 0.0; });
    ScriptedAlerts alerts;
    doc.doFFT(0, FFTNone, questions);
    ASSERT_EQ(doc.bufferCount(), 2);
    EXPECT_EQ(doc.DB[1]->X, std::vector<double>{0.5});
    EXPECT_EQ(doc.DB[1]->Y, std::vector<double>{0.0});
    EXPECT_EQ(doc.DB[1]->comment, QStringLiteral("data FFT"));
    doc.fftsmooth(0, 2, questions);
    ASSERT_EQ(doc.bufferCount(), 3);
    EXPECT_EQ(doc.DB[2]->nop(), 0);
    EXPECT_EQ(doc.DB[2]->comment, QStringLiteral("data, fftsmooth(0,2)"));
    EXPECT_EQ(manager.GV.value(QStringLiteral("lastbuffer"), -1), 2.0);
    EXPECT_TRUE(alerts.requests().empty());
}

TEST_F(SpectralDocumentTest, UnevenSpacingAsksFirstAndOutOfRangeIndexesDoNothing)
{
    DataBuffer& b = addBuffer(8, [](int i) { return i; });
    b.X.set(5, 5.5);
    {
        ScriptedAlerts alerts;
        ScriptedQuestions answers(false); // Cancel
        EXPECT_EQ(doc.doFFT(0, FFTNone, answers).kind(), Outcome::Kind::Cancelled);
        answers.answer = true; // Continue
        EXPECT_TRUE(doc.fftsmooth(0, 2, answers).ok());
        EXPECT_EQ(answers.spacingAsked, 2);
        EXPECT_TRUE(alerts.requests().empty()); // asked through the questions only
        EXPECT_EQ(doc.bufferCount(), 2); // the second question was answered Continue
    }
    {
        manager.warnings = 0;
        ScriptedAlerts alerts;
        doc.doFFT(0, FFTNone, questions);
        doc.doFFT(-1, FFTNone, questions);
        doc.fftsmooth(7, 2, questions);
        doc.spline(3, 2, 2, questions);
        EXPECT_TRUE(alerts.requests().empty());
        EXPECT_EQ(questions.spacingAsked, 0);
        EXPECT_EQ(doc.bufferCount(), 3);
    }
}

TEST_F(SpectralDocumentTest, WithoutAControllerNothingIsPublished)
{
    addBuffer(8, [](int i) { return i * i; });
    doc.M = nullptr;
    doc.fftsmooth(0, 1, questions);
    EXPECT_EQ(doc.bufferCount(), 2);
    EXPECT_FALSE(manager.GV.contains(QStringLiteral("lastbuffer")));
}

} // namespace
