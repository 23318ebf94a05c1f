#pragma once

// One colour of the preferences' palette: a button filled with the colour.
// A click asks for a new colour; a colour the user chooses is shown and
// reported (colorChosen), one set by the program is only shown.

#include <QColor>
#include <QToolButton>

class PaletteWell : public QToolButton {
    Q_OBJECT
public:
    PaletteWell(int tag, QWidget* parent = nullptr);

    // The palette entry: 0 to 15.
    int tag() const { return tag_; }
    QColor color() const { return color_; }
    void setColor(const QColor& color);
    // As if the user had chosen the colour.
    void chooseColor(const QColor& color);

signals:
    void colorChosen(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int tag_;
    QColor color_ = Qt::black;
};
