#pragma once

// A colour field: a button showing its colour (alpha included, over a
// checkerboard). A click asks for a new colour; a colour the user chooses is
// shown and reported (colorChosen), one set by the program is only shown.
// The inspector panels' wells share one colour dialog; the wells of the
// preferences' palette each ask with a modal dialog of their own.

#include <QColor>
#include <QToolButton>

class ColorWell : public QToolButton {
    Q_OBJECT
public:
    // How a click asks for the colour.
    enum class Dialog {
        // The one colour dialog of all such wells, alpha included, whose
        // choices go to this well, live, while it is the one clicked last.
        // The well takes no keyboard focus.
        Shared,
        // A modal dialog titled with the well's tool tip, for an opaque
        // colour, taken when the user confirms it.
        Modal,
    };

    explicit ColorWell(QWidget* parent = nullptr, Dialog dialog = Dialog::Shared);

    QColor color() const { return color_; }
    // Shows the colour; reports nothing (update uses it).
    void setColor(const QColor& color);
    // The user chose a colour: shown and reported.
    void chooseColor(const QColor& color);

signals:
    void colorChosen(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void openDialog();
    void askModally();
    QColor color_ = Qt::black;
};
