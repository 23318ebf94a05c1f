#include "inspectors/BufferScope.h"

#include "model/VexaDocument.h"

#include <QCheckBox>

#include <algorithm>

BufferScope::BufferScope(QCheckBox* all, QCheckBox* selected)
        : all_(all)
        , selected_(selected)
{
}

bool BufferScope::isScopeSwitch(const QObject* sender) const
{
    if (sender != all_ && sender != selected_)
        return false;
    const auto* box = static_cast<const QCheckBox*>(sender);
    QCheckBox* other = sender == all_ ? selected_ : all_;
    if (box->isChecked())
        other->setChecked(false);
    return true;
}

int BufferScope::selection() const
{
    if (all_->isChecked())
        return SelectShown;
    if (selected_->isChecked())
        return SelectShownSelected;
    return SelectCurrent;
}

std::vector<int> BufferScope::targets(VexaDocument& document) const
{
    return targets(document, selection());
}

std::vector<int> BufferScope::targets(VexaDocument& document, int selection)
{
    const std::vector<DataBuffer*> buffers = document.getDataBuffer(selection);
    std::vector<int> indexes;
    indexes.reserve(buffers.size());
    // Both lists are in the document's order: one walk finds every index.
    std::size_t next = 0;
    for (std::size_t i = 0; i < document.DB.size() && next < buffers.size(); ++i)
        if (document.DB[i].get() == buffers[next]) {
            indexes.push_back(int(i));
            ++next;
        }
    if (!indexes.empty() && std::find(indexes.begin(), indexes.end(), document.current) == indexes.end())
        document.current = indexes.front();
    return indexes;
}
