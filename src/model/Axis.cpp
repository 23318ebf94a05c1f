#include "model/Axis.h"

#include "util/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// No walk below can legitimately take this many passes (the step limits keep
// them to a few tens of thousands at most); reaching it means the arithmetic
// has stopped making progress, and the axis gets no ticks instead of hanging.
constexpr int walkCap = 1'000'000;

bool positiveFinite(double v)
{
    return v > 0 && std::isfinite(v);
}

// The walk counts in steps from zero. Beyond 2^40 steps from zero (a
// sub-second step on absolute times would still be far inside) the repeated
// additions would drift by a visible part of a step, and further out stop
// moving at all; such an axis gets no ticks.
bool walkableFromZero(double stepsFromZero)
{
    return std::fabs(stepsFromZero) < 1099511627776.0;
}

// What the user typed in a range or step field, or the computed value when the field is empty.
double typedOr(const QString& text, double computed)
{
    return text.isEmpty() ? computed : doubleValueOf(text);
}

} // namespace

void Axis::reset()
{
    A.clear();
    MA.clear();
    format.clear();
    lmo = 0;
}

int Axis::leadingInteger(const QString& text)
{
    constexpr long long limit = 1'000'000'000;
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    long long v = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i)
        v = std::min(limit, v * 10 + (text[i].unicode() - '0'));
    return int(negative ? -v : v);
}

int Axis::minorCountFrom(const QString& text)
{
    return std::clamp(leadingInteger(text), 0, int(maxMinorCount));
}

void Axis::takeRange(double a, double b)
{
    // Swapped only when ordered the other way: a NaN end stays where it is,
    // so the finiteness checks after this see it.
    min = a;
    max = b;
    if (min > max)
        std::swap(min, max);
    fmin = std::fabs(a);
    fmax = std::fabs(b);
    if (fmin > fmax)
        std::swap(fmin, fmax);
}

void Axis::initWithRange(double a, double b, const QString& lo, const QString& hi, const QString& stepText,
                         const QString& minorText, const QString& origin)
{
    reset();
    if (a == b)
        return;
    takeRange(a, b);
    mintick = 5;
    dxy = 4;
    expo = std::floor(std::log10(std::fabs((min + max) * 0.5)));
    if (!std::isfinite(min) || !std::isfinite(max))
        return;

    if (dx != 0) {
        step = dx;
    } else {
        // The largest 1, 2 or 5 times a power of ten that fits dxy times
        // into the range, searched downwards from ten times the magnitude of
        // the larger end.
        const int n = int(std::floor(std::log10(fmax))) + 1;
        const double p = std::pow(10.0, n);
        const double c = (max - min) / dxy;
        if (10 * p > std::fabs(c)) {
            static const double factors[3] = {10, 5, 2};
            bool found = false;
            for (int k = 0; k < 100 && !found; ++k) {
                const double scale = std::pow(10.0, k);
                for (int j = 0; j < 3; ++j) {
                    const double candidate = (factors[j] * p) / scale;
                    if (candidate <= c) {
                        step = candidate;
                        mintick = j == 2 ? 4 : 5;
                        found = true;
                        break;
                    }
                }
            }
            if (!found)
                step = (2 * p) / std::pow(10.0, 99);
        } else {
            start = min;
            end = max;
            step = (max - min) * 0.25;
        }
    }

    const double la = typedOr(lo, a);
    const double lb = typedOr(hi, b);
    step = typedOr(stepText, step);
    if (!minorText.isEmpty())
        mintick = minorCountFrom(minorText);
    // A zero, negative or infinite step would walk for ever or nowhere.
    if (!positiveFinite(step))
        return;

    // Start one whole step below the range, on the grid of the step.
    start = min - step;
    end = max + step;
    const double q = start / step;
    if (!walkableFromZero(q))
        return;
    start = (std::trunc(q) - 1) * step;

    if (start == end)
        return;
    if (!(std::fabs(start - end) / step < maxSteps))
        return;

    if (!origin.isEmpty()) {
        const double o = doubleValueOf(origin);
        const double window = 100 * std::fabs(max - min);
        if (min - window <= o && o <= max + window) {
            if (o >= min) {
                start = o - step;
                int guard = 0;
                while (start >= min) {
                    if (++guard > walkCap)
                        return;
                    start -= step;
                }
            } else {
                start = o;
            }
        }
    }

    if (start > end)
        return;
    const double low = std::min(la, lb);
    const double high = std::max(la, lb);
    auto inRange = [&](double v) { return min <= v && v <= max && low <= v && v <= high; };

    const double minorStep = step / mintick;
    double v = start;
    for (int pass = 0;; ++pass) {
        if (pass >= walkCap) {
            A.clear();
            MA.clear();
            return;
        }
        // Repeated addition leaves residues such as 5.5e-17 where the grid
        // crosses zero; the label must read 0.
        if (std::fabs(v) < step / 1000)
            v = 0;
        if (inRange(v))
            A.push_back(v);
        for (int s = 1; s < mintick; ++s) {
            const double w = minorStep * s + v;
            if (inRange(w))
                MA.push_back(w);
        }
        const double next = v + step;
        if (!(next > v)) {
            A.clear();
            MA.clear();
            return;
        }
        v = next;
        if (!(v <= end))
            break;
    }
}

void Axis::initForLogWithRange(double a, double b, const QString& lo, const QString& hi,
                               const QString& stepText, const QString& minorText)
{
    reset();
    if (!(a > 0 && b > 0 && a != b))
        return;
    if (!std::isfinite(a) || !std::isfinite(b))
        return;
    takeRange(a, b);
    start = std::floor(std::log10(min));
    end = std::floor(std::log10(max));
    step = 1;

    // Wide ranges label every second, fifth, ... decade.
    const double span = std::fabs(start - end);
    static const struct {
        double span;
        double step;
    } decadeSteps[] = {{20, 2}, {50, 5}, {100, 10}, {200, 20}, {500, 50}, {1000, 100}};
    for (const auto& d : decadeSteps) {
        if (span > d.span)
            step = d.step;
    }
    start = (double(int(start / step)) - 1) * step; // |start| < 400: always fits

    const double la = typedOr(lo, a);
    const double lb = typedOr(hi, b);
    step = typedOr(stepText, step);
    // A typed step is held to the linear step limit: a zero or negative one
    // would never end, a tiny positive one would take forever.
    if (!positiveFinite(step) || !(std::fabs(end - start) / step < maxSteps))
        return;
    if (start > end)
        return;
    const double low = std::min(la, lb);
    const double high = std::max(la, lb);

    // Minor multipliers of each decade's power.
    double m0;
    double increment;
    double upper;
    const double n = minorText.isEmpty() ? 0 : doubleValueOf(minorText);
    if (n >= 1 && n <= 100) {
        m0 = 10 / n;
        increment = 10 / n;
        upper = (10 - 10 / n) * 1.1;
    } else if (end - start > 9) {
        m0 = 2;
        increment = 2;
        upper = 8.8;
    } else {
        static const double increments[2] = {0.5, 1};
        static const double uppers[2] = {10.45, 9.9};
        const int wide = end - start > 3 ? 1 : 0;
        m0 = increments[wide];
        increment = increments[wide];
        upper = uppers[wide];
    }
    const bool withMinors = end - start < 16;

    double e = start;
    for (int pass = 0; e <= end; ++pass) {
        if (pass >= walkCap) {
            A.clear();
            MA.clear();
            return;
        }
        const double p = std::pow(10.0, e);
        if (min <= p && p <= max && low <= p && p <= high)
            A.push_back(p);
        if (withMinors) {
            for (double m = m0; m <= upper; m += increment) {
                const double w = p * m;
                if (min < w && w < max && w > p && low < w && w < high)
                    MA.push_back(w);
            }
        }
        const double next = e + step;
        if (!(next > e)) {
            A.clear();
            MA.clear();
            return;
        }
        e = next;
    }
    if (A.size() >= 2)
        lmo = *std::min_element(A.begin(), A.end());
}
