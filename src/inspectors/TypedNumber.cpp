#include "inspectors/TypedNumber.h"

#include "platform/Alert.h"
#include "util/NumberFormat.h"

#include <cmath>

std::optional<double> typedNumber(const QString& panelTitle, const QString& text)
{
    if (startsWithNumber(text)) {
        const double value = doubleValueOf(text);
        if (std::isfinite(value))
            return value;
    }
    Alert::run(panelTitle, QStringLiteral("%1 is no number").arg(text.trimmed()), {QStringLiteral("Ok")});
    return std::nullopt;
}
