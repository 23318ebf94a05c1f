#include "app/BufferListModel.h"

#include "app/Manager.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

enum Column { Current, XPair, YPair, Legend, Errors, Number, Points, Source, Comment };

} // namespace

BufferListModel::BufferListModel(Manager& manager, QObject* parent)
        : SideTableModel({QString(), QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("L"),
                          QStringLiteral("E"), QStringLiteral("No"), QStringLiteral("Points"),
                          QStringLiteral("Source"), QStringLiteral("Comment")},
                         parent)
        , manager_(manager)
{
    static_assert(Comment == commentColumn);
}

int BufferListModel::rowTotal() const
{
    return manager_.PD ? manager_.PD->bufferCount() : 0;
}

QString BufferListModel::text(int row, int column) const
{
    const VexaDocument* d = manager_.PD;
    const DataBuffer* b = d && row < d->bufferCount() ? d->DB[std::size_t(row)].get() : nullptr;
    if (!b)
        return QString();
    static const QString check = QStringLiteral("✔");
    static const QString free = QStringLiteral("∞");
    switch (column) {
    case Current:
        return row == d->current ? QStringLiteral("➽") : QString();
    case XPair:
        return b->style.freex ? free : QString::number(b->belongx);
    case YPair:
        return b->style.freey ? free : QString::number(b->belongy);
    case Legend:
        return b->plotlegend ? check : QString();
    case Errors:
        return b->haserror() ? check : QString();
    case Number:
        return QString::number(row);
    case Points:
        return QString::number(b->nop());
    case Source:
        return b->source.section(QLatin1Char('/'), -1);
    case Comment:
        return b->comment;
    default:
        return QString();
    }
}

QString BufferListModel::editText(int row, int column) const
{
    const VexaDocument* d = manager_.PD;
    if (column == Source && d && row < d->bufferCount())
        return d->DB[std::size_t(row)]->source;
    return text(row, column);
}

std::optional<QColor> BufferListModel::textColor(int row) const
{
    const VexaDocument* d = manager_.PD;
    if (!d || row >= d->bufferCount() || d->DB[std::size_t(row)]->show)
        return std::nullopt;
    QColor faint = QGuiApplication::palette().color(QPalette::Text);
    faint.setAlphaF(0.4f);
    return faint;
}

bool BufferListModel::editable(int column) const
{
    return column == Source || column == Comment;
}

bool BufferListModel::edit(int row, int column, const QString& text)
{
    VexaDocument* d = manager_.PD;
    if (manager_.noedit || !d || row >= d->bufferCount())
        return false;
    DataBuffer& b = *d->DB[std::size_t(row)];
    if (column == Comment) {
        b.setComment(text);
        d->replot();
        return true;
    }
    if (column == Source) {
        b.setSource(text);
        return true;
    }
    return false;
}
