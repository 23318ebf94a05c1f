#include "macro/MacroFormat.h"

#include "platform/CNumber.h"

#include <string>

namespace {

std::optional<QString> refuse(QString* reason, const QString& why)
{
    if (reason)
        *reason = why;
    return std::nullopt;
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

std::optional<QString> MacroFormat::fill(const QString& format, const double* values, int count,
                                         QString* reason)
{
    QString out;
    int conversions = 0;
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n;) {
        if (format[i] != QLatin1Char('%')) {
            out += format[i++];
            continue;
        }
        ++i;
        if (i < n && format[i] == QLatin1Char('%')) {
            out += QLatin1Char('%');
            ++i;
            continue;
        }
        std::string directive = "%";
        while (i < n && QStringLiteral("-+ #0").contains(format[i]))
            directive += char(format[i++].unicode());
        int width = 0;
        while (i < n && isDigit(format[i])) {
            width = width * 10 + (format[i].unicode() - '0');
            if (width > maxFieldSize)
                return refuse(reason, QStringLiteral("field width too large"));
            directive += char(format[i++].unicode());
        }
        if (i < n && format[i] == QLatin1Char('.')) {
            directive += '.';
            ++i;
            int precision = 0;
            while (i < n && isDigit(format[i])) {
                precision = precision * 10 + (format[i].unicode() - '0');
                if (precision > maxFieldSize)
                    return refuse(reason, QStringLiteral("precision too large"));
                directive += char(format[i++].unicode());
            }
        }
        // "l" changes nothing for a floating conversion ("%lf" is "%f").
        if (i < n && format[i] == QLatin1Char('l'))
            ++i;
        if (i >= n || !QStringLiteral("aAeEfFgG").contains(format[i]))
            return refuse(reason, QStringLiteral("only floating-point conversions are allowed"));
        directive += char(format[i++].unicode());
        if (++conversions > maxConversions)
            return refuse(reason, QStringLiteral("more than %1 conversions").arg(maxConversions));
        const double v = conversions - 1 < count ? values[conversions - 1] : 0.0;
        out += QString::fromStdString(CNumber::format(directive.c_str(), v));
    }
    return out;
}
