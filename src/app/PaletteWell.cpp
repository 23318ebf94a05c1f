#include "app/PaletteWell.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>

PaletteWell::PaletteWell(int tag, QWidget* parent)
        : QToolButton(parent)
        , tag_(tag)
{
    setObjectName(QStringLiteral("p_col%1").arg(tag));
    setToolTip(QStringLiteral("Colour %1").arg(tag));
    setFixedSize(30, 22);
    connect(this, &QToolButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(color_, window(), QStringLiteral("Colour %1").arg(tag_));
        if (c.isValid())
            chooseColor(c);
    });
}

void PaletteWell::setColor(const QColor& color)
{
    if (color_ == color)
        return;
    color_ = color;
    update();
}

void PaletteWell::chooseColor(const QColor& color)
{
    setColor(color);
    emit colorChosen(color_);
}

void PaletteWell::paintEvent(QPaintEvent* /*event*/)
{
    QStylePainter p(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    p.drawComplexControl(QStyle::CC_ToolButton, option);
    const QRect swatch = rect().adjusted(4, 4, -4, -4);
    p.fillRect(swatch, color_);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(swatch.adjusted(0, 0, -1, -1));
}
