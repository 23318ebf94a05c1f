#include "inspectors/ExtraManager.h"

#include "model/VexaDocument.h"
#include "util/NumberFormat.h"

#include "ui_extra.h"

#include <QCheckBox>
#include <QLineEdit>

#include <functional>

namespace {

using Flag = BufferStyle::Flag;
using Redraw = VexaDocument::Redraw;
using Ui::ExtraPanel;

// clang-format off
// The check boxes, the switch each one stands for and, for the bar edges,
// the switch of the opposite edge, which turns off when this one turns on.
const struct SwitchRow {
    QCheckBox* ExtraPanel::*box;
    Flag BufferStyle::*field;
    QCheckBox* ExtraPanel::*partnerBox;
    Flag BufferStyle::*partner;
} switchRows[] = {
    {&ExtraPanel::freex,   &BufferStyle::freex,      nullptr,              nullptr},
    {&ExtraPanel::freey,   &BufferStyle::freey,      nullptr,              nullptr},
    {&ExtraPanel::ytop,    &BufferStyle::barytop,    &ExtraPanel::ybottom, &BufferStyle::barybottom},
    {&ExtraPanel::ybottom, &BufferStyle::barybottom, &ExtraPanel::ytop,    &BufferStyle::barytop},
    {&ExtraPanel::xleft,   &BufferStyle::barxleft,   &ExtraPanel::xright,  &BufferStyle::barxright},
    {&ExtraPanel::xright,  &BufferStyle::barxright,  &ExtraPanel::xleft,   &BufferStyle::barxleft},
};
// clang-format on

// The range ends in cell order.
double BufferStyle::*const rangeFields[4] = {
    &BufferStyle::fxmin,
    &BufferStyle::fxmax,
    &BufferStyle::fymin,
    &BufferStyle::fymax,
};

} // namespace

ExtraManager::ExtraManager(PanelContext& context)
        : BufferPanel(context, QStringLiteral("Extra Style Inspector"))
        , ui_(new ExtraPanel)
{
    inspectorView = new QWidget;
    ui_->setupUi(inspectorView);
    ExtraPanel& u = *ui_;
    setScope(u.allbuffer, u.selbuffer);

    frange = u.frange;
    frangeCells = {u.fxmin, u.fxmax, u.fymin, u.fymax};
    for (QLineEdit* cell : frangeCells)
        bind(cell, frange);
    for (const SwitchRow& row : switchRows)
        bind(u.*row.box);
}

ExtraManager::~ExtraManager() = default;

void ExtraManager::update()
{
    DataBuffer* b = showCurrentBuffer();
    if (!b)
        return;
    Refresh refresh(*this);
    ExtraPanel& u = *ui_;
    for (const SwitchRow& row : switchRows)
        (u.*row.box)->setChecked(b->style.*row.field != 0);
    for (std::size_t i = 0; i < frangeCells.size(); ++i)
        frangeCells[i]->setText(formatNumberAuto(b->style.*rangeFields[i]));
}

void ExtraManager::didChange(QObject* sender)
{
    if (!beginEdit(sender))
        return;
    VexaDocument& d = *PD();
    ExtraPanel& u = *ui_;

    // What the sender writes into one buffer.
    std::function<void(int)> write;
    for (const SwitchRow& row : switchRows) {
        if (sender != u.*row.box)
            continue;
        const Flag on = (u.*row.box)->isChecked() ? 1 : 0;
        // The edges of one direction exclude each other.
        if (on && row.partnerBox)
            (u.*row.partnerBox)->setChecked(false);
        write = [&d, row, on](int i) {
            d.setBufferStyle(i, row.field, on, Redraw::Later);
            if (on && row.partner)
                d.setBufferStyle(i, row.partner, Flag(0), Redraw::Later);
        };
    }
    if (sender == frange) {
        // Every cell is read, whichever was edited; one that holds no
        // number refuses them all.
        std::array<double, 4> ends{};
        for (std::size_t k = 0; k < ends.size(); ++k) {
            const std::optional<double> v = numberIn(frangeCells[k]);
            if (!v)
                return;
            ends[k] = *v;
        }
        write = [&d, ends](int i) {
            for (std::size_t k = 0; k < ends.size(); ++k)
                d.setBufferStyle(i, rangeFields[k], ends[k], Redraw::Later);
        };
    }
    writeTargets(write);
    d.replot();
}
