#pragma once

// The example graph the program opens with: three buffers read from the
// small data files in resources/examples, drawn against both axis pairs,
// with a logarithmic axis, error bars, a legend, a title and a note with an
// arrow on the data, styled by the macro example-graph.mac beside them.

#include <QString>

#include <memory>
#include <vector>

class DataBuffer;
class Manager;
class VexaDocument;

namespace ExampleGraph {

// The examples folder of the program's resources; empty when it is missing.
QString examplesDirectory();

// The numbers of a text file, one row per line that holds at least
// `minColumns` numbers; lines starting with "#" are comments. A row keeps at
// most 16 numbers. Nothing (and the reason) when the file cannot be read.
bool readRows(const QString& path, int minColumns, std::vector<std::vector<double>>& rows, QString* error);

// A buffer in the document's style of new buffers holding the rows: x from
// column 0, y from column 1, and the y error from column 2 when
// `withErrors` is set.
std::unique_ptr<DataBuffer> bufferFromRows(const VexaDocument& document,
                                           const std::vector<std::vector<double>>& rows, bool withErrors);

// The graph, laid out for a content size of 800 x 600 points; nothing when
// a file is missing or holds no data, or when the style macro cannot be read
// or stops with an error (which the macro console shows). The document works
// for the controller, which runs the macro.
std::unique_ptr<VexaDocument> build(Manager& manager, const QString& directory, QString* error);

} // namespace ExampleGraph
