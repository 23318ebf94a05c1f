#include "app/ColorWell.h"

#include <QColorDialog>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionToolButton>

namespace {

// One dialog for every well, as the platform has one colour panel: it edits
// the well clicked last, live.
QColorDialog* sharedDialog()
{
    static QPointer<QColorDialog> dialog;
    if (!dialog) {
        dialog = new QColorDialog;
        dialog->setOption(QColorDialog::ShowAlphaChannel, true);
        dialog->setOption(QColorDialog::NoButtons, true);
        dialog->setWindowTitle(QStringLiteral("Colors"));
    }
    return dialog;
}

} // namespace

ColorWell::ColorWell(QWidget* parent, Dialog dialog)
        : QToolButton(parent)
{
    setMinimumSize(36, 20);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    if (dialog == Dialog::Modal) {
        connect(this, &QToolButton::clicked, this, &ColorWell::askModally);
    } else {
        setFocusPolicy(Qt::NoFocus);
        connect(this, &QToolButton::clicked, this, &ColorWell::openDialog);
    }
}

void ColorWell::setColor(const QColor& color)
{
    if (color == color_)
        return;
    color_ = color;
    QWidget::update();
}

void ColorWell::chooseColor(const QColor& color)
{
    if (!color.isValid())
        return;
    setColor(color);
    emit colorChosen(color_);
}

void ColorWell::openDialog()
{
    QColorDialog* dialog = sharedDialog();
    // The dialog speaks to one well at a time: the one clicked last.
    static QMetaObject::Connection edited;
    QObject::disconnect(edited);
    dialog->setCurrentColor(color_);
    edited = connect(dialog, &QColorDialog::currentColorChanged, this, [this](const QColor& c) {
        if (c != color_)
            chooseColor(c);
    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void ColorWell::askModally()
{
    chooseColor(QColorDialog::getColor(color_, window(), toolTip()));
}

void ColorWell::paintEvent(QPaintEvent* event)
{
    QToolButton::paintEvent(event);
    QPainter p(this);
    const QRect swatch = rect().adjusted(5, 4, -5, -4);
    // A checkerboard shows through a transparent colour.
    const int s = 5;
    for (int y = swatch.top(); y <= swatch.bottom(); y += s)
        for (int x = swatch.left(); x <= swatch.right(); x += s)
            p.fillRect(QRect(x, y, s, s).intersected(swatch),
                       ((x - swatch.left()) / s + (y - swatch.top()) / s) % 2 ? Qt::lightGray : Qt::white);
    p.fillRect(swatch, color_);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(swatch.adjusted(0, 0, -1, -1));
}
