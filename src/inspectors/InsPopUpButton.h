#pragma once

// The pop-up of the inspector panels. Choosing from it never takes the
// keyboard from the graph or a table: it does not accept focus.

#include <QComboBox>

class InsPopUpButton : public QComboBox {
public:
    explicit InsPopUpButton(QWidget* parent = nullptr)
            : QComboBox(parent)
    {
        setFocusPolicy(Qt::NoFocus);
    }
};
