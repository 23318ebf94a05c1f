#pragma once

// The arithmetic behind the operations a buffer performs on its own points,
// kept apart from the buffer so that each piece can be checked on plain
// columns. The DataBuffer members (DataBufferOperations.cpp) add the alerts,
// the comment entries and the column bookkeeping.

#include <cstddef>
#include <string>
#include <vector>

// Which columns a line of the ASCII export holds for a buffer with errors;
// without errors every mode writes x and y only.
enum ASCIIExportColumns : int { ExportXYErrors = 0, ExportXYYError = 1, ExportXYXError = 2 };

// The column DataBuffer::calc rewrites.
enum CalcTarget : int { CalcX = 0, CalcY = 1, CalcXError = 2, CalcYError = 3 };

namespace DataBufferOperations {

// Means of consecutive blocks of n values from the first one; a last block
// shorter than n is dropped. n must be at least 1.
std::vector<double> blockMeans(const std::vector<double>& values, std::size_t n);

// For every index i, the mean of the values at i - n ... i + n - 1 clipped to
// the column (the window reaches one further to the left). Linear in the
// column length whatever n is, and every window is summed afresh, so a huge
// value leaves no trace in windows that do not hold it. n must be at least 1.
std::vector<double> windowMeans(const std::vector<double>& values, std::size_t n);
// The same in place, with a work column that several calls may share.
void smoothInPlace(std::vector<double>& values, std::size_t n, std::vector<double>& scratch);

// No neighbour is greater than the one after it (equal neighbours and NaN
// comparisons count as sorted).
bool isAscending(const std::vector<double>& x);

// Every neighbouring pair ascends with a spacing within 5 % of the first
// spacing (bounds excluded). Fewer than two values pass.
bool isEvenlySpaced(const std::vector<double>& x);

// The order in which the points end up after the Shell sort by x with the
// fixed gap table: result[k] is the old index of the point that moves to k.
// Equal x values keep the order the gap passes leave them in, exactly as
// exchanging points in place would.
std::vector<std::size_t> shellSortOrder(const std::vector<double>& x);

// values[order[k]] for every k.
std::vector<double> permuted(const std::vector<double>& values, const std::vector<std::size_t>& order);

// Whether a point with value v stays after a cut of [lo, hi]: mode 0 keeps
// lo < v < hi, mode 1 keeps v < lo or v > hi; other modes keep nothing.
bool keptByCut(double v, double lo, double hi, int mode);

// One line of the ASCII export: the values "%.16g" in the C conventions,
// separated by tabs, ended by "\n".
std::string asciiLine(const double* values, int count);

} // namespace DataBufferOperations
