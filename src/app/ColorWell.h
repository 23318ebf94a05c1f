#pragma once

// A colour field of an inspector panel: a button showing its colour (alpha
// included, over a checkerboard). A click opens the shared colour dialog,
// whose choices go to this well while it is the one being edited.

#include <QColor>
#include <QToolButton>

class ColorWell : public QToolButton {
    Q_OBJECT
public:
    explicit ColorWell(QWidget* parent = nullptr);

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
    QColor color_ = Qt::black;
};
