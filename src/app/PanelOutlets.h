#pragma once

// A few controls of the inspector panels are reached from outside the panel
// (the reference tools write the normalize panel's fields, the graph selects
// an axis in the axis panels). A panel's controls carry their outlet names as
// object names, and cells of a segmented control or radio matrix carry their
// stored value as the integer property "tag"; these helpers find them. A panel
// that is not loaded (null) or lacks the outlet is skipped.

#include <QString>

class InspectorPanel;
class QAbstractButton;
class QObject;
class QWidget;

namespace PanelOutlets {

// The tag of a cell: its "tag" property, or -1 when it has none.
int tagOf(const QObject* cell);

// Shows the text in the panel's text field of that name. False when there is
// no such field.
bool setText(InspectorPanel* panel, const QString& outlet, const QString& text);

// Checks the cell with that tag inside the control of that name (a button
// group, or a widget holding checkable buttons). False when there is none.
bool selectTag(InspectorPanel* panel, const QString& outlet, int tag);

// The tag of the checked cell of the control of that name; -1 when the panel,
// the control or a checked cell is missing.
int selectedTag(InspectorPanel* panel, const QString& outlet);

// The cell of that tag among the checkable buttons inside a container.
QAbstractButton* cellWithTag(QWidget* container, int tag);

} // namespace PanelOutlets
