// The document's Fourier and spline operations: each reads one buffer and
// appends a new one; the caller replots.

#include "model/VexaDocument.h"

#include "model/ManagerServices.h"
#include "model/Questions.h"
#include "model/Spectral.h"
#include "model/Spline.h"
#include "platform/CNumber.h"
#include "platform/HugePages.h"
#include "platform/ParallelRanges.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

namespace {

QString titled(const char* format, int index)
{
    return QString::fromStdString(CNumber::format(format, index));
}

Outcome noBuffer(int index)
{
    return Outcome::empty(QStringLiteral("There is no buffer %1").arg(index));
}

} // namespace

Outcome VexaDocument::doFFT(int index, int window, Questions& questions)
{
    if (index < 0 || index >= bufferCount())
        return noBuffer(index);
    DataBuffer& source = *DB[std::size_t(index)];
    const QString title = titled("Error in FFT calculation for buffer %d", index);
    const QString tooMany = QStringLiteral("Too many points for FFT");
    const int n = source.nop();
    // One point has no spectrum: removing the line through the end points
    // would divide by zero. An empty buffer transforms the zero padding and
    // gives the single point (0.5, 0).
    if (n == 1)
        return Outcome::failed(QStringLiteral("FFT needs at least 2 points"), title);

    const int m = Spectral::spectrumLength(n);
    if (m == 0)
        return Outcome::failed(tooMany, title);

    if (!source.checkDX(!M || M->warnings, questions))
        return Outcome::cancelled();

    const std::size_t half = std::size_t(m / 2);
    // Fresh memory, advised for huge pages before anything touches it.
    HugePages::Array<float> workMemory;
    auto result = makeBuffer();
    try {
        workMemory = HugePages::makeArray<float>(Spectral::realRoom(m));
        result->X = HugePages::makeVector<double>(half);
        result->Y = HugePages::makeVector<double>(half);
    } catch (const std::bad_alloc&) {
        return Outcome::failed(tooMany, title);
    }
    const std::span<float> work(workMemory.get(), Spectral::realRoom(m));
    result->comment = source.comment;
    switch (window) {
    case FFTNone:
        result->comment += QStringLiteral(" FFT");
        break;
    case FFTHanning:
        result->comment += QStringLiteral(" FFT(Hanning)");
        break;
    case FFTWelch:
        result->comment += QStringLiteral(" FFT(Welch)");
        break;
    case FFTParzen:
        result->comment += QStringLiteral(" FFT(Parzen)");
        break;
    default:
        break;
    }
    result->source = QStringLiteral("FFT");

    // Unscaled magnitudes; the first point folds the zero-frequency and the
    // half-rate terms together.
    if (Spectral::fftSpectrumMagnitudes(std::span<const double>(source.Y.data(), std::size_t(n)), window,
                                        work, result->Y.mutableData())
        == 0)
        return Outcome::failed(tooMany, title);

    // x is half the point number, not a frequency.
    double* x = result->X.mutableData();
    ParallelRanges::run(half, 65536, [&](std::size_t from, std::size_t to) {
        for (std::size_t k = from; k < to; ++k)
            x[k] = 0.5 * double(k + 1);
    });
    result->rescale();
    DB.push_back(std::move(result));
    return Outcome::done();
}

Outcome VexaDocument::fftsmooth(int index, double width, Questions& questions)
{
    if (index < 0 || index >= bufferCount())
        return noBuffer(index);
    DataBuffer& source = *DB[std::size_t(index)];
    const QString title = titled("Error in FFT smoothing for buffer %d", index);
    const QString tooMany = QStringLiteral("Too many points or too large a width for FFT smoothing");
    const int n = source.nop();
    // As for the spectrum: one point would divide by zero, no point at all
    // just gives an empty smoothed buffer.
    if (n == 1)
        return Outcome::failed(QStringLiteral("FFT smoothing needs at least 2 points"), title);

    if (!(width > 0)) // negative or not a number
        width = 0;
    // Two whole steps per unit of width, in single precision like the data;
    // a width whose padding would not fit is refused below.
    const float pts = float(2.0 * std::trunc(width));
    const int m = Spectral::smoothLength(n, pts);
    if (m == 0)
        return Outcome::failed(tooMany, title);

    if (!source.checkDX(!M || M->warnings, questions))
        return Outcome::cancelled();

    std::vector<float> work;
    auto result = makeBuffer();
    try {
        work = HugePages::makeVector<float>(Spectral::realRoom(m));
        result->X.assign(source.X.begin(), source.X.begin() + n);
        result->Y = HugePages::makeVector<double>(std::size_t(n));
    } catch (const std::bad_alloc&) {
        return Outcome::failed(tooMany, title);
    }
    for (int i = 0; i < n; ++i)
        work[std::size_t(i)] = float(source.Y[std::size_t(i)]);
    Spectral::fftSmoothFilter(work, n, pts);
    std::copy(work.begin(), work.begin() + n, result->Y.mutableData());

    result->copyStyle(source);
    result->source = QStringLiteral("FFTsmoth");
    result->comment
        = source.comment + QString::fromStdString(CNumber::format(", fftsmooth(%d,%g)", index, width));
    result->rescale();
    DB.push_back(std::move(result));
    if (M)
        M->setVar(QStringLiteral("lastbuffer"), double(bufferCount() - 1));
    return Outcome::done();
}

Outcome VexaDocument::spline(int index, int points, double strength, Questions& questions)
{
    if (index < 0 || index >= bufferCount())
        return noBuffer(index);
    DataBuffer& source = *DB[std::size_t(index)];
    if (!source.checkSort(questions))
        return Outcome::cancelled();
    const QString title = titled("Error in spline calculation for buffer %d", index);
    const QString failed = QStringLiteral("Can not calculate spline interpolation");

    const int n = source.nop();
    const int a = n - 1;
    // Sizes of the output, in 64 bits: points times intervals must stay an
    // int, and so must the number of points written.
    const std::int64_t total = std::int64_t(points) * std::max(a, 0);
    const std::int64_t capacity = (std::int64_t(std::max(points, 0)) + 1) * std::max(a, 0) + 1;
    constexpr std::int64_t intMax = std::numeric_limits<int>::max();

    std::vector<double> b, c, d, outX, outY;
    try {
        b.resize(std::size_t(std::max(a, 1)));
        c.resize(std::size_t(std::max(n, 1)));
        d.resize(std::size_t(std::max(a, 1)));
    } catch (const std::bad_alloc&) {
        return Outcome::failed(failed, title);
    }
    const std::span<const double> x(source.X.data(), std::size_t(n));
    const std::span<const double> y(source.Y.data(), std::size_t(n));
    int status = 0;
    try {
        status = Spline::splineCoefficients(a, x, y, b, c, d, strength);
    } catch (const std::bad_alloc&) {
        status = 1;
    }
    if (status != 0)
        return Outcome::failed(
            status < 0 ? QStringLiteral("Can not calculate spline interpolation for data with equal X-values")
                       : failed,
            title);

    bool fits = total <= intMax && capacity <= intMax;
    if (fits) {
        try {
            outX.resize(std::size_t(capacity));
            outY.resize(std::size_t(capacity));
        } catch (const std::bad_alloc&) {
            fits = false;
        }
    }
    if (!fits)
        return Outcome::failed(QStringLiteral("Too many points for spline interpolation"), title);

    // The data's own first and last x: the same as the cached extent for a
    // sorted buffer of finite values, and never stale.
    int count = 0;
    status = Spline::splineResample(a, int(total), x, y, b, c, d, x.front(), x.back(), count, outX, outY);
    if (status != 0)
        return Outcome::failed(failed, title);

    auto result = makeBuffer();
    result->copyStyle(source);
    outX.resize(std::size_t(count));
    outY.resize(std::size_t(count));
    result->X = std::move(outX);
    result->Y = std::move(outY);
    result->source = QStringLiteral("Spline");
    result->comment = source.comment
        + QString::fromStdString(CNumber::format(", spline(%d,%d,%g)", index, points, strength));
    result->rescale();
    DB.push_back(std::move(result));
    if (M)
        M->setVar(QStringLiteral("lastbuffer"), double(bufferCount() - 1));
    return Outcome::done();
}
