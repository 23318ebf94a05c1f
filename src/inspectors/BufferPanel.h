#pragma once

// Base of the panels that edit buffers (style, extra, error bars). They show
// the current buffer; an edit goes to the buffers of their scope (the
// current buffer, every shown buffer or the selected ones, BufferScope) and
// ends in one replot, also when the scope holds no buffer.

#include "inspectors/BufferScope.h"
#include "inspectors/InspectorManager.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class DataBuffer;
class QCheckBox;
class QLineEdit;

class BufferPanel : public InspectorManager {
protected:
    // The title names the panel in its alerts.
    BufferPanel(PanelContext& context, const QString& title);

    // Once the interface is built: the two scope boxes, bound.
    void setScope(QCheckBox* all, QCheckBox* selected);

    // The first steps of update: the controls show when the document has a
    // buffer, and the current buffer is returned. Null: the "no document" view shows instead.
    DataBuffer* showCurrentBuffer();

    // The first steps of didChange: false when there is nothing more to do
    // (the sender was a scope box, or there is no document).
    bool beginEdit(QObject* sender);

    // The number typed into the field. Text that holds none is refused with
    // the panel's alert and the panel shows the stored values again.
    std::optional<double> numberIn(QLineEdit* field);

    // Writes each target (when there is a write) and returns the targets;
    // the current buffer moves onto the first when it is not one. The
    // caller replots.
    std::vector<int> writeTargets(const std::function<void(int)>& write);

private:
    QString title_;
    std::optional<BufferScope> scope_;
};
