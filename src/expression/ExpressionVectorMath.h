#pragma once

#include <cstddef>

// Whole-block forms of the libm functions the expression language calls
// most: sin, cos, ln and the power operator. On a CPU with AVX2 they go
// through glibc's vector library (four values per call), whose results are
// within 4 ULP of the scalar functions (not always the same bits); elsewhere
// they call the scalar functions, bit for bit. Either way every value is
// computed on its own: the result for a value never depends on its
// neighbours, on where a block starts or on how many threads share a column.
namespace ExpressionVectorMath {

// Whether the vector library is in use on this CPU.
bool vectorised();

// In place over n values.
void sin(double* v, std::size_t n);
void cos(double* v, std::size_t n);
void ln(double* v, std::size_t n);

// a[i] = pow(a[i], b[i]), and a[i] = pow(a[i], k).
void pow(double* a, const double* b, std::size_t n);
void powK(double* a, double k, std::size_t n);

} // namespace ExpressionVectorMath
