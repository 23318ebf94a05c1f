#include "inspectors/BufferPanel.h"

#include "inspectors/TypedNumber.h"
#include "model/VexaDocument.h"

#include <QCheckBox>
#include <QLineEdit>

BufferPanel::BufferPanel(PanelContext& context, const QString& title)
        : InspectorManager(context)
        , title_(title)
{
}

void BufferPanel::setScope(QCheckBox* all, QCheckBox* selected)
{
    scope_.emplace(all, selected);
    bind(all);
    bind(selected);
}

DataBuffer* BufferPanel::showCurrentBuffer()
{
    DataBuffer* b = PD() ? PD()->getCurrentDataBuffer() : nullptr;
    showControls(b != nullptr, QStringLiteral("No Buffer"));
    return b;
}

bool BufferPanel::beginEdit(QObject* sender)
{
    if (scope_->isScopeSwitch(sender))
        return false;
    return PD() != nullptr;
}

std::optional<double> BufferPanel::numberIn(QLineEdit* field)
{
    const std::optional<double> v = typedNumber(title_, field->text());
    if (!v)
        update();
    return v;
}

std::vector<int> BufferPanel::writeTargets(const std::function<void(int)>& write)
{
    const std::vector<int> targets = scope_->targets(*PD());
    if (write)
        for (int i : targets)
            write(i);
    return targets;
}
