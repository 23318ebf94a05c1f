#include "inspectors/CoordinateCells.h"

#include "app/PanelContext.h"
#include "inspectors/TypedNumber.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "util/NumberFormat.h"
#include "view/CalendarFormat.h"

#include <cmath>

CoordinateCells::CoordinateCells(PanelContext& context, const VexaDocument& document, int posmode,
                                 QString title)
        : context_(context)
        , document_(document)
        , posmode_(posmode)
        , title_(std::move(title))
{
}

int CoordinateCells::axisOf(bool x) const
{
    if (posmode_ < 1)
        return -1;
    // Every mode from 2 up is the second pair, as placement has it.
    const int pair = posmode_ == 1 ? 0 : 2;
    return pair + (x ? 0 : 1);
}

bool CoordinateCells::isTime(bool x) const
{
    const int axis = axisOf(x);
    return axis >= 0 && document_.axes[std::size_t(axis)].axismode == AxisTime;
}

QString CoordinateCells::show(bool x, double value) const
{
    if (isTime(x))
        return CalendarFormat(context_.timeFormat()).format(value);
    return formatNumberAuto(value);
}

std::optional<double> CoordinateCells::refused(const QString& message) const
{
    Alert::run(title_, message, {QStringLiteral("Ok")});
    return std::nullopt;
}

std::optional<double> CoordinateCells::read(bool x, const QString& text) const
{
    if (isTime(x)) {
        const QString format = context_.timeFormat();
        if (const std::optional<double> seconds = CalendarFormat(format).read(text))
            return seconds;
        return refused(QStringLiteral("%1 is no date in the format %2").arg(text.trimmed(), format));
    }
    return typedNumber(title_, text);
}

std::optional<double> CoordinateCells::readExtent(bool x, const QString& text) const
{
    const QString t = text.trimmed();
    // On a time axis: a week, a month or a year by its letter, or seconds,
    // minutes:seconds, ...
    const bool unit = t.size() == 1 && QStringLiteral("wmyWMY").contains(t);
    if (!isTime(x) || (!unit && !startsWithNumber(t)))
        return typedNumber(title_, text);
    const double seconds = timeToVal(t);
    if (!std::isfinite(seconds))
        return refused(QStringLiteral("%1 is no number").arg(t));
    return seconds;
}
