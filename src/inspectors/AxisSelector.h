#pragma once

// The four-segment axis choice at the top of the axis panels: X1 (bottom),
// Y1 (left), X2 (top), Y2 (right). Each segment carries its AxisIndex as its
// tag, so the graph can select one by tag (PanelOutlets::selectTag) when an
// axis is clicked.

#include <QWidget>

class QButtonGroup;

class AxisSelector : public QWidget {
    Q_OBJECT
public:
    explicit AxisSelector(QWidget* parent = nullptr);

    // The AxisIndex of the selected segment (X1 until another is chosen).
    int axis() const;
    // Selects the segment; reports nothing. An index out of range is ignored.
    void setAxis(int axis);

signals:
    // The user chose a segment.
    void axisChosen(int axis);

private:
    QButtonGroup* segments_;
};
