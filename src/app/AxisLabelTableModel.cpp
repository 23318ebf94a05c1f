#include "app/AxisLabelTableModel.h"

#include "app/Manager.h"
#include "model/VexaDocument.h"

AxisLabelTableModel::AxisLabelTableModel(Manager& manager, std::function<int()> axis, QObject* parent)
        : SideTableModel({QStringLiteral("Number"), QStringLiteral("Replacement")}, parent)
        , manager_(manager)
        , axis_(std::move(axis))
{
}

int AxisLabelTableModel::axisShown() const
{
    const int a = axis_ ? axis_() : -1;
    return manager_.PD && a >= 0 && a < 4 ? a : -1;
}

int AxisLabelTableModel::rowTotal() const
{
    const int a = axisShown();
    return a < 0 ? 0 : int(manager_.PD->alabelindex[std::size_t(a)].size());
}

QString AxisLabelTableModel::text(int row, int column) const
{
    const int a = axisShown();
    if (a < 0)
        return QString();
    const QStringList& keys = manager_.PD->alabelindex[std::size_t(a)];
    if (row >= keys.size())
        return QString();
    if (column == 0)
        return keys[row];
    if (column == replacementColumn)
        return manager_.PD->axes[std::size_t(a)].alabel.value(keys[row]);
    return QString();
}

bool AxisLabelTableModel::editable(int column) const
{
    return column == replacementColumn;
}

bool AxisLabelTableModel::edit(int row, int column, const QString& text)
{
    VexaDocument* d = manager_.PD;
    if (manager_.noedit || !d)
        return false;
    const int a = axisShown();
    bool taken = false;
    if (column == replacementColumn && a >= 0 && row < d->alabelindex[std::size_t(a)].size()) {
        const QString key = d->alabelindex[std::size_t(a)][row];
        QHash<QString, QString> labels = d->axes[std::size_t(a)].alabel;
        if (text.isEmpty())
            labels.remove(key);
        else
            labels.insert(key, text);
        d->setAxis(a, &AxisSettings::alabel, labels, VexaDocument::Redraw::Later);
        taken = true;
    }
    d->replot();
    return taken;
}
