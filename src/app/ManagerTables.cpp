// The controller's side of the side tables: the toggles behind the buffer
// list, the current buffer, the point table's formats and point deletion,
// and the axis-label panel's table.

#include "app/Manager.h"

#include "app/AxisLabelTableModel.h"
#include "app/AxisLabelTableView.h"
#include "app/BufferListModel.h"
#include "app/DataBufferTableView.h"
#include "app/DataTableView.h"
#include "app/InspectorHost.h"
#include "app/PanelContext.h"
#include "app/PanelOutlets.h"
#include "app/PointTableModel.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSignalBlocker>

#include <algorithm>
#include <set>

namespace {

DataBuffer* bufferAt(VexaDocument* d, int row)
{
    return d && row >= 0 && row < d->bufferCount() ? d->DB[std::size_t(row)].get() : nullptr;
}

// A free axis ends first; otherwise the buffer goes over to the other pair.
void togglePair(VexaDocument& d, int row, BufferStyle::Flag BufferStyle::*free, int& pair)
{
    if (d.DB[std::size_t(row)]->style.*free)
        d.setBufferStyle(row, free, BufferStyle::Flag(0), VexaDocument::Redraw::Later);
    else
        pair = pair == 1 ? 2 : 1;
}

} // namespace

void Manager::afterBufferToggle()
{
    bufferRows_->reload();
    PD->replot();
}

void Manager::toggleBuffer(int row)
{
    if (DataBuffer* b = bufferAt(PD, row)) {
        b->show = b->show ? 0 : 1;
        afterBufferToggle();
    }
}

void Manager::toggleXBelong(int row)
{
    if (DataBuffer* b = bufferAt(PD, row)) {
        togglePair(*PD, row, &BufferStyle::freex, b->belongx);
        afterBufferToggle();
    }
}

void Manager::toggleYBelong(int row)
{
    if (DataBuffer* b = bufferAt(PD, row)) {
        togglePair(*PD, row, &BufferStyle::freey, b->belongy);
        afterBufferToggle();
    }
}

void Manager::toggleLegend(int row)
{
    if (DataBuffer* b = bufferAt(PD, row)) {
        PD->setBufferLegend(row, !b->plotlegend, VexaDocument::Redraw::Later);
        afterBufferToggle();
    }
}

void Manager::setCurrentBuffer(int row)
{
    if (!PD)
        return;
    const auto held = panelContext().holdEdits();
    PD->current = row >= 0 && row < PD->bufferCount() ? row : 0;
    pointSelection_->clearSelection();
    bufferRows_->reload();
    PD->replot();
}

void Manager::toggleDataViewX()
{
    dataViewXFormat = dataViewXFormat == 1 ? 0 : 1;
    pointRows_->reload();
    fitPointColumn(PointTableModel::XValue);
}

void Manager::toggleDataViewY()
{
    dataViewYFormat = dataViewYFormat == 1 ? 0 : 1;
    pointRows_->reload();
    fitPointColumn(PointTableModel::YValue);
}

void Manager::fitPointColumn(int column)
{
    // A date is wider than a number: the column takes the width of what it
    // now shows, and never less than a column is made with.
    if (QTableView* table = panes_.dataTable) {
        table->resizeColumnToContents(column);
        table->setColumnWidth(
            column, std::max(table->horizontalHeader()->defaultSectionSize(), table->columnWidth(column)));
    }
}

void Manager::deletePoints()
{
    if (!PD)
        return;
    if (DataBuffer* b = PD->bufferCount() > 0 ? PD->getCurrentDataBuffer() : nullptr) {
        const std::vector<int> rows = selectedPointRows();
        const std::set<int> points(rows.begin(), rows.end());
        if (!points.empty())
            b->deletePoints(points);
    }
    {
        // The rows are gone; their marks must not follow the next rows.
        const QSignalBlocker quiet(pointSelection_);
        pointSelection_->clearSelection();
    }
    update();
    PD->replot();
}

int Manager::axisLabelAxis() const
{
    return PanelOutlets::selectedTag(inspectors_->panel(InspectorKey::AxisLabel),
                                     QStringLiteral("insAxisLabelsSel"));
}

AxisLabelTableView* Manager::makeAxisLabelTable(QWidget* parent)
{
    auto* table = new AxisLabelTableView(parent);
    auto* model = new AxisLabelTableModel(
        *this, [this] { return axisLabelAxis(); }, table);
    table->setModel(model);
    axisLabelTable = table;
    return table;
}
