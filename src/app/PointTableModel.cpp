#include "app/PointTableModel.h"

#include "app/Manager.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "util/NumberFormat.h"
#include "view/CalendarFormat.h"

PointTableModel::PointTableModel(Manager& manager, QObject* parent)
        : SideTableModel({QStringLiteral("No"), QStringLiteral("X Value"), QStringLiteral("Y Value"),
                          QStringLiteral("X Error"), QStringLiteral("Y Error")},
                         parent)
        , manager_(manager)
{
}

PointTableModel::~PointTableModel() = default;

DataBuffer* PointTableModel::buffer() const
{
    VexaDocument* d = manager_.PD;
    return d && d->bufferCount() > 0 ? d->getCurrentDataBuffer() : nullptr;
}

int PointTableModel::rowTotal() const
{
    const DataBuffer* b = buffer();
    return b ? b->nop() + 1 : 0;
}

const CalendarFormat& PointTableModel::dates() const
{
    const QString format = manager_.TDF();
    if (!dates_ || format != datesFormat_) {
        dates_ = std::make_unique<CalendarFormat>(format);
        datesFormat_ = format;
    }
    return *dates_;
}

QString PointTableModel::valueText(double value, bool date) const
{
    return date ? dates().format(value) : formatNumberAuto(value);
}

QString PointTableModel::text(int row, int column) const
{
    const DataBuffer* b = buffer();
    if (!b)
        return QString();
    const int n = b->nop();
    if (row >= n)
        return row == n && column == No ? QStringLiteral("add") : QString();
    switch (column) {
    case No:
        return QString::number(row);
    case XValue:
        return valueText(b->xDoubleValueAt(row), manager_.dataViewXFormat == 1);
    case YValue:
        return valueText(b->yDoubleValueAt(row), manager_.dataViewYFormat == 1);
    case XError:
        return b->haserror() ? formatNumberAuto(b->xDoubleErrorAt(row)) : QString();
    case YError:
        return b->haserror() ? formatNumberAuto(b->yDoubleErrorAt(row)) : QString();
    default:
        return QString();
    }
}

bool PointTableModel::editable(int column) const
{
    return column >= XValue && column <= YError;
}

std::optional<double> PointTableModel::readValue(const QString& text, bool date) const
{
    if (date) {
        if (const std::optional<double> seconds = dates().read(text))
            return seconds;
        Alert::run(QStringLiteral("Point Table"),
                   QStringLiteral("%1 is no date in the format %2").arg(text.trimmed(), manager_.TDF()),
                   {QStringLiteral("Ok")});
        return std::nullopt;
    }
    // A typing slip must not turn a value into 0: the text has to start
    // with a number.
    if (!startsWithNumber(text)) {
        Alert::run(QStringLiteral("Point Table"), QStringLiteral("%1 is no number").arg(text.trimmed()),
                   {QStringLiteral("Ok")});
        return std::nullopt;
    }
    return doubleValueOf(text);
}

bool PointTableModel::edit(int row, int column, const QString& text)
{
    VexaDocument* d = manager_.PD;
    DataBuffer* b = buffer();
    if (manager_.noedit || !d || !b)
        return false;
    const int n = b->nop();
    const bool dateX = manager_.dataViewXFormat == 1;
    const bool dateY = manager_.dataViewYFormat == 1;
    bool taken = false;
    // Moving through the cells confirms each editor as it stands: a text
    // left as shown (rounded for display) or left empty writes nothing.
    if (text.trimmed().isEmpty() || text == this->text(row, column)) {
        d->replot();
        return false;
    }
    if (row >= 0 && row < n) {
        const bool date = (column == XValue && dateX) || (column == YValue && dateY);
        if (column >= XValue && column <= YError) {
            if (const std::optional<double> v = readValue(text, date)) {
                switch (column) {
                case XValue:
                    b->setXDoubleValueAt(row, *v);
                    break;
                case YValue:
                    b->setYDoubleValueAt(row, *v);
                    break;
                case XError:
                    b->setXDoubleErrorAt(row, *v);
                    break;
                case YError:
                    b->setYDoubleErrorAt(row, *v);
                    break;
                }
                taken = true;
            }
        }
    } else if (column == XValue || column == YValue) {
        // The "add" row: a value typed into it makes a new point.
        if (const std::optional<double> v = readValue(text, column == XValue ? dateX : dateY)) {
            if (column == XValue)
                b->addDoubleValue(*v, 0);
            else
                b->addDoubleValue(0, *v);
            taken = true;
        }
    }
    d->replot();
    return taken;
}
