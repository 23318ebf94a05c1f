#include "inspectors/TypedNumber.h"

#include "platform/Alert.h"
#include "util/NumberFormat.h"

#include <cmath>

namespace {

std::nullopt_t refuse(const QString& panelTitle, const QString& message)
{
    Alert::run(panelTitle, message, {QStringLiteral("Ok")});
    return std::nullopt;
}

} // namespace

std::optional<double> typedNumber(const QString& panelTitle, const QString& text)
{
    if (startsWithNumber(text)) {
        const double value = doubleValueOf(text);
        if (std::isfinite(value))
            return value;
    }
    return refuse(panelTitle, QStringLiteral("%1 is no number").arg(text.trimmed()));
}

std::optional<double> typedNumber(const QString& panelTitle, const QString& text, NumberRange range)
{
    const std::optional<double> value = typedNumber(panelTitle, text);
    if (value && !(*value >= range.min && *value <= range.max))
        return refuse(panelTitle,
                      QStringLiteral("%1 is not between %2 and %3")
                          .arg(text.trimmed(), formatNumberAuto(range.min), formatNumberAuto(range.max)));
    return value;
}
