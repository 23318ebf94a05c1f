#include "macro/MacroText.h"

#include <QStringList>

#include <algorithm>

namespace MacroText {

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// The unit of "\uXXXX" at i, or -1 when the four digits are not there.
int escapedUnit(const QString& token, qsizetype i)
{
    if (i + 6 > token.size() || token[i + 1] != QLatin1Char('u'))
        return -1;
    int unit = 0;
    for (qsizetype k = i + 2; k < i + 6; ++k) {
        const int d = hexDigit(token[k]);
        if (d < 0)
            return -1;
        unit = unit * 16 + d;
    }
    return unit;
}

} // namespace

std::optional<QString> convert(const QString& token, const QHash<QString, QString>* variables)
{
    // Longest names first: with "a" and "ab" defined, "$ab" is the value of
    // ab, not that of a followed by "b". Values are not scanned again.
    QStringList names;
    if (variables && token.contains(QLatin1Char('$'))) {
        for (auto it = variables->constBegin(); it != variables->constEnd(); ++it)
            if (!it.key().isEmpty())
                names << it.key();
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            return a.size() != b.size() ? a.size() > b.size() : a < b;
        });
    }
    QString out;
    out.reserve(std::min(token.size(), maxLength));
    for (qsizetype i = 0; i < token.size();) {
        if (out.size() >= maxLength)
            return std::nullopt;
        const QChar c = token[i];
        if (c == QLatin1Char('\\') && i + 1 < token.size()) {
            const QChar next = token[i + 1];
            if (next == QLatin1Char('n') || next == QLatin1Char('\\') || next == QLatin1Char('$')) {
                out += next == QLatin1Char('n') ? QChar(QLatin1Char('\n')) : next;
                i += 2;
                continue;
            }
            if (const int unit = escapedUnit(token, i); unit >= 0) {
                out += QChar(char16_t(unit));
                i += 6;
                continue;
            }
        } else if (c == QLatin1Char('$') && !names.isEmpty()) {
            const QStringView rest = QStringView(token).mid(i + 1);
            const auto found = std::find_if(names.cbegin(), names.cend(),
                                            [&rest](const QString& name) { return rest.startsWith(name); });
            if (found != names.cend()) {
                QString value = variables->value(*found);
                if (value.size() > maxLength - out.size())
                    return std::nullopt;
                out += value.replace(QLatin1String("\\n"), QLatin1String("\n"));
                i += 1 + found->size();
                continue;
            }
        }
        out += c;
        ++i;
    }
    return out;
}

QString quoted(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('\'');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        const bool blankFollows
            = i + 1 < text.size() && (text[i + 1] == QLatin1Char(' ') || text[i + 1] == QLatin1Char('\t'));
        if (u == '\n')
            out += QLatin1String("\\n");
        else if (u == '\\' || u == '$')
            out += QLatin1Char('\\') + QChar(u);
        else if (u < 0x20 || u >= 0x7f || (u == '\'' && blankFollows))
            // A quote before a blank would end the token; anything outside
            // printable ASCII could end the line or not survive the file.
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        else
            out += QChar(u);
    }
    out += QLatin1Char('\'');
    return out;
}

} // namespace MacroText
