#pragma once

// Everything the user sets for one axis: whether it is shown, how its ticks
// are placed and its numbers written, its title, ticks, grids and zero line,
// their colours and the two fonts. A document holds four, indexed by
// AxisIndex. The fields carry the document file's key names (with the axis
// number appended there); only textoffwindow is stored as
// "textoffsetfromframe".

#include "platform/Color.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QString>

#include <cstdint>

// Index of an axis: X1 bottom, Y1 left, X2 top, Y2 right.
enum AxisIndex : int { AxisX1 = 0, AxisY1 = 1, AxisX2 = 2, AxisY2 = 3 };
// Values of axismode. Time values are seconds since 2001-01-01 00:00:00 UTC.
enum AxisMode : int { AxisLinear = 0, AxisLog = 1, AxisTime = 2 };

struct AxisSettings {
    using Flag = std::uint8_t;

    // --- shown, mode, scale --------------------------------------------------
    Flag axis = 1; // the axis is drawn
    int axismode = AxisLinear; // AxisMode
    Flag reverse = 0; // runs from high to low values
    Flag smalllog = 0; // logarithmic: lowest major tick labelled 0
    // Handed unparsed to the tick computation; empty = automatic.
    QString scalstart, scalend, scalspace, scalminticks, trigger;
    QString axistimeformat; // date format of a time axis
    QString scaleexpr; // expression in "v" for the number shown at a tick

    // --- numbers ---------------------------------------------------------------
    Flag numbers = 1;
    std::int8_t numoff = 5; // gap between the plot area and the numbers
    Flag dpauto = 1;
    int dp = 2; // decimals when dpauto is off
    int expoff = 5; // exponent limit of the number format
    int align = 2; // anchor of the numbers, 0-8 (per axis: 2, 4, 6, 8)
    double angle = 0; // rotation of the numbers, degrees
    QFont numfont;
    QHash<QString, QString> alabel; // number text at a tick -> the label drawn instead

    // --- title ---------------------------------------------------------------------
    Flag text = 1; // draw the title
    QString axistext;
    int textoff = 5; // gap of the title
    Flag textoffwindow = 0; // the gap is measured from the view's edge
    Flag fliptext = 0; // the title turned by 180 degrees
    QFont textfont;
    QColor axistextcolor = Color::black(); // numbers and title

    // --- ticks, grids, zero line ---------------------------------------------------------
    Flag ticks = 1, mticks = 1;
    Flag ticksboth = 0, mticksboth = 0; // repeated on the opposite edge
    int tickstyle = 0; // 0 inside, 1 outside, 2 across the edge
    double ticklength = 10, mticklength = 5;
    double tickwidth = 2, mtickwidth = 1;
    QColor tickcolor = Color::black(), mtickcolor = Color::black();
    Flag grid = 0, mgrid = 0;
    Flag gridfront = 1, mgridfront = 1; // in front of the data
    double gridwidth = 0.5, mgridwidth = 0.5;
    int gridpattern = 0, mgridpattern = 0; // DashPattern
    QColor gridcolor = Color::darkGray(), mgridcolor = Color::darkGray();
    Flag zeroline = 0;
    QColor zerocolor = Color::darkGray();

    // The anchor of the numbers of a new document's axis: below the bottom
    // axis, left of the left one, above the top one, right of the right one.
    static int defaultAlign(int index) { return 2 + 2 * (index & 3); }

    // The document's layout reset: every number, flag and font back to what
    // a new document's axis `index` has (only X1 and Y1 are shown); the
    // colours, texts, label table and mode are kept.
    void resetLayout(int index, const QFont& numfont, const QFont& textfont);

    friend bool operator==(const AxisSettings&, const AxisSettings&) = default;
};
