// The vector kernels of ExpressionVectorMath, written once for every vector
// width. ExpressionVectorMath.cpp includes this file once per instruction
// set, inside a namespace and a region compiled for that instruction set,
// after defining there:
//   Vec                       a register of kLanes doubles
//   kLanes                    its width
//   broadcast, load, store    (double), (const double*), (double*, Vec)
//   +, -, *, /                lane by lane, each rounded once
//   fma(a, b, c), fms(a, b, c), fnma(a, b, c)
//                             a*b + c, a*b - c and c - a*b, rounded once
//   lowBitToSign(t)           bit 0 of t's bits moved to the sign bit
//   flipSigns(x, s)           x with its sign flipped where s has the sign bit
//   scaleBy(p, t)             p * 2^j for the integer j in the low bits of
//                             t's bits (p * 2^j must be a normal number)
//   within(x, low, high)      a bit per lane where low < |x| <= high (never
//                             for NaN)
//   atMost(x, high)           a bit per lane where |x| <= high (never for NaN)
//   kLooksUpEighths           whether lookUpEighths is fast here
//   lookUpEighths(table, t)   table[i] for the i in the low three bits of
//                             t's bits, from a table of eight
//   scaleByEighths(p, t)      p * 2^floor(j / 8) for the integer j in the
//                             low bits of t's bits (as for scaleBy)
// There is no include guard on purpose.

// The shifter: x + 1.5 * 2^52 rounds x to an integer held in the low bits.
constexpr double kShifter = 6755399441055744.0;

// sin(r) = r + r^3 * S(r^2) for |r| <= pi/2 (a little more, for a quotient
// rounded the other way), within 1e-18 relative (a fit by Chebyshev nodes).
// The terms of z^2 and up go in pairs (Estrin's scheme), which shortens the
// chain of dependent operations, the bound on the time here; the last two
// stay in Horner's order, where the rounding of S counts most.
inline Vec sinReduced(Vec r)
{
    const Vec z = r * r, z2 = z * z, z4 = z2 * z2;
    const Vec s23 = fma(z, broadcast(2.755731921915843e-06), broadcast(-0.00019841269841254955));
    const Vec s45 = fma(z, broadcast(1.6058977272815506e-10), broadcast(-2.5052107616384595e-08));
    const Vec s67 = fma(z, broadcast(2.731428986122616e-15), broadcast(-7.643969031052769e-13));
    Vec s = fma(s67, z4, fma(s45, z2, s23));
    s = fma(s, z, broadcast(0.008333333333333316));
    s = fma(s, z, broadcast(-0.16666666666666666));
    return fma(s, r * z, r);
}

// Where sinLanes and cosLanes hold: |x| <= 2^22. Beyond, the lanes go to
// the scalar functions (whose reduction keeps more digits of pi).
constexpr double kTrigLimit = 4194304.0;

// sin(x) = (-1)^q sin(x - q pi) for the integer q nearest x / pi. The first
// step of x - q pi is exact (both terms are multiples of ulp(x) or of
// ulp(pi) and the difference is below 2), the two others take the next
// digits of pi.
inline Vec sinLanes(Vec x)
{
    const Vec t = fma(x, broadcast(0.3183098861837907), broadcast(kShifter));
    const Vec q = t - broadcast(kShifter);
    Vec r = fnma(q, broadcast(3.141592653589793), x);
    r = fnma(q, broadcast(1.2246467991473532e-16), r);
    r = fnma(q, broadcast(-2.9947698097183397e-33), r);
    return flipSigns(sinReduced(r), lowBitToSign(t));
}

// cos(x) = (-1)^m sin(n pi/2 - x) for the odd n = 2m + 1 nearest 2x / pi.
// With |x| >= 1 the first step of the reduction is exact as in sinLanes;
// below, n = +-1 and the step rounds, its error going into the result
// times sin(x): under one ULP.
inline Vec cosLanes(Vec x)
{
    const Vec t = fma(x, broadcast(0.6366197723675814), broadcast(-1.0)) + broadcast(2 * kShifter);
    const Vec n = t - broadcast(2 * kShifter) + broadcast(1.0);
    Vec r = fms(n, broadcast(1.5707963267948966), x);
    r = fma(n, broadcast(6.123233995736766e-17), r);
    r = fma(n, broadcast(-1.4973849048591698e-33), r);
    return flipSigns(sinReduced(r), lowBitToSign(t));
}

// Where ePowerLanes holds: |y| <= 708, whose powers of e are normal numbers.
constexpr double kEPowerLimit = 708.0;

// ln(e) - 1 for the double e, 2.718281828459045090795..., which lies below
// Euler's number.
constexpr double kLnEMinusOne = -5.318237706605891e-17;

// pow(e, y) for the double e: exp(y (1 + kLnEMinusOne)). That is 2^j exp(s) for the integer j
// nearest y / ln 2 and s = y - j ln 2 + y kLnEMinusOne, |s| <= ln(2) / 2. The first
// step of s is exact (j has at most 11 bits, the leading part of ln 2 is a
// multiple of 2^-53, and the difference is below 1/2).
// The reduction of y for a step of `step` = ln(2) / m: t holds the integer j
// nearest y / step in its low bits, and s = y - j step + y kLnEMinusOne, with
// the step as a double and the rest.
struct EReduced {
    Vec t, s;
};
inline EReduced eReduce(Vec y, double perStep, double stepHigh, double stepLow)
{
    const Vec t = fma(y, broadcast(perStep), broadcast(kShifter));
    const Vec j = t - broadcast(kShifter);
    Vec s = fnma(j, broadcast(stepHigh), y);
    s = fnma(j, broadcast(stepLow), s);
    return {t, fma(y, broadcast(kLnEMinusOne), s)};
}

inline Vec ePowerByPolynomial(Vec y)
{
    const auto [t, s] = eReduce(y, 1.4426950408889634, 0.6931471805599453, 2.3190468138462996e-17);
    // exp(s) = 1 + s + s^2 Q(s) within 3.2e-18 relative (a fit by
    // Chebyshev nodes), Q in pairs of terms (Estrin's scheme): a chain of
    // dependent operations half as long as Horner's, which is what bounds
    // the time here.
    const Vec s2 = s * s, s4 = s2 * s2, s8 = s4 * s4;
    const Vec q01 = fma(s, broadcast(0.1666666666666668), broadcast(0.5000000000000019));
    const Vec q23 = fma(s, broadcast(0.008333333333319589), broadcast(0.04166666666648795));
    const Vec q45 = fma(s, broadcast(0.00019841269890076403), broadcast(0.0013888888952352863));
    const Vec q67 = fma(s, broadcast(2.755724088722987e-06), broadcast(2.4801485441561313e-05));
    const Vec q89 = fma(s, broadcast(2.5110049204818658e-08), broadcast(2.763265472252779e-07));
    const Vec q = fma(q89, s8, fma(fma(q67, s2, q45), s4, fma(q23, s2, q01)));
    return scaleBy(fma(s2, q, s) + broadcast(1.0), t);
}

// 2^(i/8) for i from 0 to 7, as a double and the rest: the pair is within
// 1e-33 of it.
constexpr double kEighthsHigh[8] = {1.0,
                                    1.0905077326652577,
                                    1.189207115002721,
                                    1.2968395546510096,
                                    1.4142135623730951,
                                    1.5422108254079407,
                                    1.681792830507429,
                                    1.8340080864093424};
constexpr double kEighthsLow[8] = {0.0,
                                   -3.046782079812471e-17,
                                   3.982015231465646e-17,
                                   2.5382502794888315e-17,
                                   -9.667293313452913e-17,
                                   7.949834809697621e-17,
                                   8.199010020581497e-17,
                                   3.283107224245627e-17};

// pow(e, y) as ePowerByPolynomial, reduced eight times finer: 2^(j/8)
// exp(s) for the integer j nearest 8y / ln 2, |s| <= ln(2) / 16, with
// 2^(j/8) = 2^floor(j/8) 2^((j mod 8)/8) from the table. The first step of
// s is exact as there (the leading part of ln(2) / 8 is that of ln 2 over
// eight). exp(s) - 1 = s + s^2 Q(s) by Taylor's terms to the eighth, within
// 1.5e-18 relative; the table's pair joins it as high + (high u + low).
// Four operations fewer per value than the polynomial over the wider range.
inline Vec ePowerByTable(Vec y)
{
    const auto [t, s] = eReduce(y, 11.541560327111707, 0.08664339756999316, 2.8988085173078744e-18);
    const Vec s2 = s * s, s4 = s2 * s2;
    const Vec q01 = fma(s, broadcast(0.16666666666666666), broadcast(0.5));
    const Vec q23 = fma(s, broadcast(0.008333333333333333), broadcast(0.041666666666666664));
    const Vec q45 = fma(s, broadcast(0.0001984126984126984), broadcast(0.001388888888888889));
    const Vec q = fma(fma(broadcast(2.48015873015873e-05), s2, q45), s4, fma(q23, s2, q01));
    const Vec u = fma(s2, q, s);
    const Vec high = lookUpEighths(kEighthsHigh, t);
    return scaleByEighths(fma(high, u, lookUpEighths(kEighthsLow, t)) + high, t);
}

inline Vec ePowerLanes(Vec y)
{
    if constexpr (kLooksUpEighths)
        return ePowerByTable(y);
    else
        return ePowerByPolynomial(y);
}

constexpr unsigned kAllLanes = (1u << kLanes) - 1;

// A kernel is an object with `Vec lanes(Vec x)`, `unsigned others(Vec x,
// Vec lanes)`, the lanes where that result does not hold, and `double
// scalar(double)`, which gives those.
//
// The lanes the kernel does not hold for are rare, and their calls are kept
// out of line: a call in the loop that applies a kernel would make the
// compiler keep the kernel's constants in memory rather than in registers,
// at every value's cost.
template <class Kernel>
[[gnu::noinline, gnu::cold]] Vec otherLanes(const Kernel& kernel, Vec x, Vec r, unsigned others)
{
    double rs[kLanes], xs[kLanes];
    store(rs, r);
    store(xs, x);
    for (std::size_t lane = 0; lane < kLanes; ++lane)
        if (others & (1u << lane))
            rs[lane] = kernel.scalar(xs[lane]);
    return load(rs);
}

template <class Kernel> inline Vec applyKernel(const Kernel& kernel, Vec x)
{
    const Vec r = kernel.lanes(x);
    const unsigned others = kernel.others(x, r);
    if (__builtin_expect(others == 0, 1))
        return r;
    return otherLanes(kernel, x, r, others);
}

// r joined to left as Join::Op J says.
template <::ExpressionVectorMath::Join::Op J> inline Vec joined(Vec left, Vec r)
{
    using Op = ::ExpressionVectorMath::Join::Op;
    if constexpr (J == Op::Add)
        return left + r;
    else if constexpr (J == Op::Subtract)
        return left - r;
    else if constexpr (J == Op::Multiply)
        return left * r;
    else
        return r;
}

// out[i] = kernel(in[i]), joined to left[i]. The last partial group goes
// through the same lanes, padded with zeros, so no value takes another path
// because of where it lies.
template <::ExpressionVectorMath::Join::Op J, class Kernel>
void mapJoined(const Kernel& kernel, const double* left, const double* in, double* out, std::size_t n)
{
    constexpr bool joins = J != ::ExpressionVectorMath::Join::Op::None;
    std::size_t i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        const Vec r = applyKernel(kernel, load(in + i));
        store(out + i, joins ? joined<J>(load(left + i), r) : r);
    }
    if (i < n) {
        double t[kLanes] = {}, l[kLanes] = {};
        std::memcpy(t, in + i, (n - i) * sizeof(double));
        if (joins)
            std::memcpy(l, left + i, (n - i) * sizeof(double));
        store(t, joined<J>(load(l), applyKernel(kernel, load(t))));
        std::memcpy(out + i, t, (n - i) * sizeof(double));
    }
}

// out[i] = Kernel{args...}(in[i]), joined as `join` says.
template <class Kernel, class... Args>
void mapKernel(::ExpressionVectorMath::Join join, const double* in, double* out, std::size_t n, Args... args)
{
    using Op = ::ExpressionVectorMath::Join::Op;
    const Kernel kernel{args...};
    switch (join.op) {
    case Op::None:
        mapJoined<Op::None>(kernel, nullptr, in, out, n);
        break;
    case Op::Add:
        mapJoined<Op::Add>(kernel, join.left, in, out, n);
        break;
    case Op::Subtract:
        mapJoined<Op::Subtract>(kernel, join.left, in, out, n);
        break;
    case Op::Multiply:
        mapJoined<Op::Multiply>(kernel, join.left, in, out, n);
        break;
    }
}

struct SinKernel {
    Vec lanes(Vec x) const { return sinLanes(x); }
    // sin(-0) is -0, where the lanes give +0.
    unsigned others(Vec x, Vec) const { return ~within(x, 0.0, kTrigLimit) & kAllLanes; }
    double scalar(double x) const { return std::sin(x); }
};

struct CosKernel {
    Vec lanes(Vec x) const { return cosLanes(x); }
    unsigned others(Vec x, Vec) const { return ~atMost(x, kTrigLimit) & kAllLanes; }
    double scalar(double x) const { return std::cos(x); }
};

struct EPowerKernel {
    Vec lanes(Vec y) const { return ePowerLanes(y); }
    unsigned others(Vec y, Vec) const { return ~atMost(y, kEPowerLimit) & kAllLanes; }
    double scalar(double y) const { return std::pow(::ExpressionMath::e, y); }
};

// x^J for J from -3 to 4 but 0 and 1, as the scalar powerByProducts of
// ExpressionVectorMath.cpp computes it: the same products in the same
// order, and pow where the power or the product is no normal number.
template <int J> struct PowerKernel {
    static constexpr int m = J < 0 ? -J : J;
    static Vec product(Vec x)
    {
        const Vec x2 = x * x;
        return m == 1 ? x : m == 2 ? x2 : m == 3 ? x2 * x : x2 * x2;
    }
    static unsigned normal(Vec r) { return within(r, 0x0.fffffffffffffp-1022, DBL_MAX); }
    Vec lanes(Vec x) const { return J < 0 ? broadcast(1.0) / product(x) : product(x); }
    unsigned others(Vec x, Vec r) const
    {
        return ~(J < 0 ? normal(r) & normal(product(x)) : normal(r)) & kAllLanes;
    }
    double scalar(double x) const { return std::pow(x, double(J)); }
};

// a / k, bit for bit, for a divisor k that quotientByProducts accepts: q =
// a * y with y = 1/k rounded lies within one ULP of a / k, the remainder
// a - k q is then exact, and q + (a - k q) y rounded is a / k rounded
// (Markstein's theorem). Where a, q or the remainder could leave the normal
// range the lanes divide.
struct QuotientKernel {
    double k;
    Vec divisor = broadcast(k), reciprocal = broadcast(1.0 / k);
    Vec lanes(Vec a) const
    {
        const Vec q = a * reciprocal;
        return fma(fnma(q, divisor, a), reciprocal, q);
    }
    unsigned others(Vec a, Vec) const { return ~within(a, 0x1p-800, 0x1p800) & kAllLanes; }
    double scalar(double a) const { return a / k; }
};

struct DivisionKernel {
    double k;
    Vec divisor = broadcast(k);
    Vec lanes(Vec a) const { return a / divisor; }
    unsigned others(Vec, Vec) const { return 0; }
    double scalar(double a) const { return a / k; }
};
