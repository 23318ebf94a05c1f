#pragma once

// The Fourier routines behind the magnitude spectrum and the low-pass
// smoothing of a buffer. They work in place on one single-precision array,
// through FFTW's single-precision transforms (plans kept per length), and
// spread long arrays over threads. Results equal the straightforward
// transform's within single-precision rounding: their distance from the
// exact transform of the same floats is a few times 2^-24 * log2(m) of
// the spectrum's size (its root mean square), not bit for bit.
//
// An array of m values with two floats to spare after them (realRoom)
// is transformed without extra memory; those two floats are then
// overwritten. A shorter one goes through a copy.
// Transform convention: direction +1 uses the kernel exp(+2*pi*i*j*k/N), and
// nothing is normalised. A packed real spectrum of m values holds H_0 in
// element 0, H_{m/2} in element 1 (both real), and Re/Im of H_k in elements
// 2k and 2k+1 for k = 1 .. m/2-1.

#include <cstddef>
#include <cstdint>
#include <span>

// Window of the magnitude spectrum (the window argument of doFFT). Callers
// may pass any number; other values weigh every point 1.
enum FFTWindow : int { FFTNone = 0, FFTHanning = 1, FFTWelch = 2, FFTParzen = 3 };

namespace Spectral {

// Weight of point i of n under the window. Hanning uses 2*pi cut to nine
// decimals, as spectra made by earlier versions did.
double windowWeight(int window, int i, int n);

// Largest working array the routines accept (floats), so that every length
// and index stays an int.
inline constexpr std::int64_t maxLength = std::int64_t(1) << 30;

// Complex transform in place of n complex numbers stored as 2n interleaved
// floats. False, and nothing touched, when n is no power of two or the
// array is shorter than 2n, or when no plan can be made.
bool fftComplex(std::span<float> data, int n, int direction);

// Transform of 2*half real values in place: forward (+1) leaves the packed
// spectrum, inverse (-1) turns a packed spectrum back into half times the
// original data. False, and nothing touched, for a bad size or when the
// memory for a copy or a plan cannot be had.
bool fftReal(std::span<float> data, int half, int direction);

// Smallest power of two that is at least `needed` (and at least 2); 0 when
// that would exceed maxLength or `needed` is not a finite count.
int paddedLength(double needed);
// Working length for the spectrum of n values (room for the padding).
inline int spectrumLength(int n)
{
    return paddedLength(double(n) + 2);
}
// Working length for smoothing n values with strength pts.
int smoothLength(int n, float pts);
// Floats an array of m values needs to be transformed without a copy.
inline std::size_t realRoom(int m)
{
    return std::size_t(m) + 2;
}

// Subtracts the straight line through the first and the last of n values,
// pads with zeros up to the working length and transforms forward. Returns
// that length, or 0 (nothing touched) when the array is too short for it.
int fftSpectrumPrepare(std::span<float> data, int n);
// The magnitude spectrum of the values y weighed by the window (each
// product rounded to float): the same preparation into data, which needs
// spectrumLength(y.size()) floats (realRoom of that to go without a copy),
// then out[k] = hypotenuse(H_k) for k < m/2, H_0 with H_{m/2} at k = 0.
// Returns m, or 0 with nothing written when data is too short or a copy or
// plan cannot be had. data is left holding the spectrum with its imaginary
// parts' signs undefined.
int fftSpectrumMagnitudes(std::span<const double> y, int window, std::span<float> data, double* out);

// out[k] = hypotenuse(packed[2k], packed[2k+1]) for k < count: the magnitudes
// of a packed spectrum, bit for bit.
void magnitudes(const float* packed, std::size_t count, double* out);

// Low-pass filters n values in place through the Fourier domain: a parabolic
// window whose width shrinks as pts grows (pts 0 keeps everything). The array
// must have room for smoothLength(n, pts) values; false, nothing touched,
// when it does not.
bool fftSmoothFilter(std::span<float> data, int n, float pts);

// sqrt(a*a + b*b) without overflow or underflow of the squares.
double hypotenuse(double a, double b);

} // namespace Spectral
