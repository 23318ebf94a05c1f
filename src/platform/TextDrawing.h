#pragma once

// Styled text in view points: runs of text with their own font, colour and
// baseline offset, measured and drawn so that a font of s points is s view
// units tall on every target (screen, image, PDF), whatever the device's
// resolution. Drawing expects the painter in y-up view points: the text is
// turned upright locally and never comes out mirrored.
//
// A line break in a run's text starts a new line; lines are left-aligned,
// the first on top.

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <vector>

class QPaintDevice;
class QPainter;

struct TextRun {
    QString text;
    QFont font;
    QColor color;
    double baselineOffset = 0; // raise in points; negative lowers
    int superscript = 0; // levels, each raising by 0.4 of the run's size
};

class StyledText {
public:
    StyledText() = default;
    StyledText(const QString& text, const QFont& font, const QColor& color);

    StyledText& append(TextRun run);
    StyledText& append(const QString& text, const QFont& font, const QColor& color);

    bool isEmpty() const { return runs_.empty(); }
    const std::vector<TextRun>& runs() const { return runs_; }

    // Width of the widest line and height of all lines, in points.
    QSizeF size() const;
    // Draws the text with the lower-left corner of its box at the origin.
    void draw(QPainter& painter, QPointF origin) const;

private:
    std::vector<TextRun> runs_;
};

namespace TextDrawing {

// The point of a text's box that lands on the anchor point, as an offset from
// the box's lower-left corner: 0 centre, 1 top-left, 2 top-centre,
// 3 top-right, 4 right-middle, 5 bottom-right, 6 bottom-centre,
// 7 bottom-left, 8 left-middle; other values count as 7.
QPointF anchorOffset(int anchor, QSizeF size);

// Draws the text so that its anchor point lies on `at`, turned by `angle`
// degrees counter-clockwise about `at`. Returns the unrotated size.
QSizeF textOut(QPainter& painter, const StyledText& text, QPointF at, int anchor, double angle);

// The size of a plain text in the font, in points.
QSizeF textSize(const QString& text, const QFont& font);

// A number in the form mantissa x 10 with a raised exponent: the mantissa in
// the font, "x" at 0.8 of the size raised by a ninth of the size, "10" at the
// full size, the exponent one superscript level up at 0.8 of the size. An
// empty exponent gives the mantissa alone. A size that cannot be scaled falls
// back to the user font (11 points for the small parts, 14 for "10").
StyledText exponentNumber(const QString& mantissa, const QString& exponent, const QFont& font,
                          const QColor& color);

// The size of a font in points, whether it was set in points or in pixels.
double pointSize(const QFont& font);

// A device of 72 dots per inch, where a point is a unit: text laid out for
// it measures in points whatever it is drawn on later.
QPaintDevice* pointDevice();

} // namespace TextDrawing
