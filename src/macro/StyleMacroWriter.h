#pragma once

// The look of a document as macro commands: the page, the drawing style of
// every buffer, the shown axes with their ranges and settings, and the
// legend. Run on another document, the text gives it these settings; it
// holds nothing of the data, the text boxes, the graphics or the sub-views.
//
// One command per line, each ended by a line feed; sections start with a
// "##### ... #####" header line. Numbers have six significant digits, so
// values that need more come back rounded. Every text is quoted so that it
// reads back as it was (see MacroText), and a line whose number is no
// finite value is left out, since the command would refuse it anyway.

#include <QSizeF>
#include <QString>

class VexaDocument;

namespace StyleMacroWriter {

// `windowSize` is the content size of the document's window, in points.
QString styleMacroText(const VexaDocument& document, QSizeF windowSize);

} // namespace StyleMacroWriter
