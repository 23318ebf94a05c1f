#include "platform/TextDrawing.h"

#include "platform/Font.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

// Hinting would fit glyphs to the device's pixels and make a text's width
// depend on the resolution it is drawn at; measured and drawn sizes must agree.
QFont prepared(const QFont& font)
{
    QFont f = font;
    if (f.pointSizeF() <= 0 && f.pixelSize() > 0)
        f.setPointSizeF(f.pixelSize());
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

struct Piece {
    QFont font;
    QColor color;
    QString text;
    double x = 0;
    double raise = 0;
};

struct Line {
    std::vector<Piece> pieces;
    double width = 0;
    double ascent = 0;
    double descent = 0;
    double leading = 0;
};

struct Layout {
    std::vector<Line> lines;
    double width = 0;
    double height = 0;
};

Layout layOut(const std::vector<TextRun>& runs)
{
    Layout layout;
    if (runs.empty())
        return layout;
    layout.lines.emplace_back();
    for (const TextRun& run : runs) {
        const QFont font = prepared(run.font);
        const QFontMetricsF fm(font, TextDrawing::pointDevice());
        double raise = run.baselineOffset + run.superscript * TextDrawing::pointSize(run.font) * 0.4;
        if (!std::isfinite(raise))
            raise = 0;
        const QStringList parts = run.text.split(QLatin1Char('\n'));
        for (qsizetype p = 0; p < parts.size(); ++p) {
            if (p > 0)
                layout.lines.emplace_back();
            Line& line = layout.lines.back();
            Piece piece{font, run.color, parts[p], line.width, raise};
            line.width += fm.horizontalAdvance(piece.text);
            line.ascent = std::max(line.ascent, fm.ascent() + raise);
            line.descent = std::max(line.descent, fm.descent() - raise);
            line.leading = std::max(line.leading, fm.leading());
            line.pieces.push_back(std::move(piece));
        }
    }
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
        const Line& line = layout.lines[i];
        layout.width = std::max(layout.width, line.width);
        layout.height += line.ascent + line.descent;
        if (i > 0)
            layout.height += layout.lines[i - 1].leading;
    }
    return layout;
}

} // namespace

StyledText::StyledText(const QString& text, const QFont& font, const QColor& color)
{
    append(text, font, color);
}

StyledText& StyledText::append(TextRun run)
{
    runs_.push_back(std::move(run));
    return *this;
}

StyledText& StyledText::append(const QString& text, const QFont& font, const QColor& color)
{
    return append(TextRun{text, font, color, 0, 0});
}

QSizeF StyledText::size() const
{
    const Layout layout = layOut(runs_);
    return QSizeF(layout.width, layout.height);
}

void StyledText::draw(QPainter& painter, QPointF origin) const
{
    const Layout layout = layOut(runs_);
    if (layout.lines.empty())
        return;
    const int dpi = painter.device() ? painter.device()->logicalDpiY() : 72;
    // A font of s points is s * dpi / 72 user units tall on the device;
    // scaling by 72 / dpi makes it s view points.
    const double k = dpi > 0 ? 72.0 / dpi : 1.0;

    painter.save();
    painter.translate(origin.x(), origin.y() + layout.height);
    painter.scale(k, -k); // upright text, y down from the top of the box
    double top = 0;
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
        const Line& line = layout.lines[i];
        if (i > 0)
            top += layout.lines[i - 1].leading;
        const double baseline = top + line.ascent;
        for (const Piece& piece : line.pieces) {
            if (piece.text.isEmpty())
                continue;
            painter.setFont(piece.font);
            painter.setPen(piece.color);
            painter.drawText(QPointF(piece.x / k, (baseline - piece.raise) / k), piece.text);
        }
        top += line.ascent + line.descent;
    }
    painter.restore();
}

namespace TextDrawing {

QPointF anchorOffset(int anchor, QSizeF size)
{
    const double w = size.width();
    const double h = size.height();
    switch (anchor) {
    case 0:
        return {w / 2, h / 2};
    case 1:
        return {0, h};
    case 2:
        return {w / 2, h};
    case 3:
        return {w, h};
    case 4:
        return {w, h / 2};
    case 5:
        return {w, 0};
    case 6:
        return {w / 2, 0};
    case 8:
        return {0, h / 2};
    default:
        return {0, 0};
    }
}

QSizeF textOut(QPainter& painter, const StyledText& text, QPointF at, int anchor, double angle)
{
    const QSizeF size = text.size();
    if (!std::isfinite(at.x()) || !std::isfinite(at.y()))
        return size;
    const QPointF offset = anchorOffset(anchor, size);
    if (angle == 0 || !std::isfinite(angle)) {
        text.draw(painter, at - offset);
        return size;
    }
    painter.save();
    painter.translate(at);
    painter.rotate(angle); // counter-clockwise in y-up points
    text.draw(painter, -offset);
    painter.restore();
    return size;
}

QSizeF textSize(const QString& text, const QFont& font)
{
    return StyledText(text, font, QColor()).size();
}

QPaintDevice* pointDevice()
{
    static QImage device = [] {
        QImage img(1, 1, QImage::Format_ARGB32_Premultiplied);
        img.setDotsPerMeterX(2835); // 72 dpi
        img.setDotsPerMeterY(2835);
        return img;
    }();
    return &device;
}

double pointSize(const QFont& font)
{
    if (font.pointSizeF() > 0)
        return font.pointSizeF();
    if (font.pixelSize() > 0)
        return font.pixelSize();
    return 0;
}

StyledText exponentNumber(const QString& mantissa, const QString& exponent, const QFont& font,
                          const QColor& color)
{
    StyledText text(mantissa, font, color);
    if (exponent.isEmpty())
        return text;
    const double size = pointSize(font);
    auto scaled = [&](double factor, double fallback) {
        const double s = size * factor;
        if (!(s > 0) || !std::isfinite(s))
            return Font::userFont(fallback);
        QFont f = font;
        f.setPointSizeF(s);
        return f;
    };
    const QFont small = scaled(0.8, 11);
    text.append(TextRun{QStringLiteral("x"), small, color, size / 9.0, 0});
    text.append(TextRun{QStringLiteral("10"), scaled(1.0, 14), color, 0, 0});
    text.append(TextRun{exponent, small, color, 0, 1});
    return text;
}

} // namespace TextDrawing
