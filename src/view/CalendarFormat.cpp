#include "view/CalendarFormat.h"

#include "platform/Calendar.h"
#include "platform/DateFormat.h"

#include <cmath>

namespace {

// Digits and fixed spellings that no locale changes.
const QString posixLocale = QStringLiteral("en_US_POSIX");

} // namespace

CalendarFormat::CalendarFormat(const QString& format)
{
    parse(format);
    cache_.clear();
}

CalendarFormat::~CalendarFormat() = default;

void CalendarFormat::addLiteral(const QString& text)
{
    if (text.isEmpty())
        return;
    readPattern_ += QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''"))
        + QLatin1Char('\'');
    if (!pieces_.empty() && !pieces_.back().fmt && !pieces_.back().weekdayNumber)
        pieces_.back().literal += text;
    else
        pieces_.push_back(Piece{text, nullptr, false});
}

void CalendarFormat::addField(const char* pattern, bool names)
{
    readPattern_ += QLatin1String(pattern);
    readNames_ = readNames_ || names;
    // A format repeats few distinct fields, however long it is.
    const QString key = QLatin1String(pattern) + (names ? QLatin1Char('n') : QLatin1Char('p'));
    for (const auto& [k, fmt] : cache_) {
        if (k == key) {
            pieces_.push_back(Piece{QString(), fmt, false});
            return;
        }
    }
    auto fmt
        = std::make_shared<DateFormat>(QLatin1String(pattern), QString(), names ? QString() : posixLocale);
    cache_.emplace_back(key, fmt);
    pieces_.push_back(Piece{QString(), fmt, false});
}

void CalendarFormat::parse(const QString& format)
{
    QString pending;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            pending += c;
            continue;
        }
        const QChar d = format[++i];
        const char* pattern = nullptr;
        bool names = false;
        const char* expansion = nullptr;
        switch (d.unicode()) {
        case '%':
            pending += QLatin1Char('%');
            continue;
        case 'a':
            pattern = "EEE";
            names = true;
            break;
        case 'A':
            pattern = "EEEE";
            names = true;
            break;
        case 'b':
            pattern = "MMM";
            names = true;
            break;
        case 'B':
            pattern = "MMMM";
            names = true;
            break;
        case 'p':
            pattern = "a";
            names = true;
            break;
        case 'Z':
            pattern = "zzz";
            names = true;
            break;
        case 'd':
            pattern = "dd";
            break;
        case 'e':
            pattern = "d";
            break;
        case 'F':
            pattern = "SSS";
            break;
        case 'H':
            pattern = "HH";
            break;
        case 'I':
            pattern = "hh";
            break;
        case 'j':
            pattern = "DDD";
            break;
        case 'm':
            pattern = "MM";
            break;
        case 'M':
            pattern = "mm";
            break;
        case 'S':
            pattern = "ss";
            break;
        case 'y':
            pattern = "yy";
            break;
        case 'Y':
            pattern = "y";
            break;
        case 'z':
            pattern = "ZZZ";
            break;
        case 'c':
            expansion = "%Y-%m-%d %H:%M:%S %z";
            break;
        case 'x':
            expansion = "%Y-%m-%d";
            break;
        case 'X':
            expansion = "%H:%M:%S";
            break;
        case 'w':
            break;
        default:
            pending += QLatin1Char('%');
            pending += d;
            continue;
        }
        addLiteral(pending);
        pending.clear();
        if (expansion) {
            // Expansions use plain directives only: one level deep.
            parse(QLatin1String(expansion));
        } else if (pattern) {
            addField(pattern, names);
        } else {
            pieces_.push_back(Piece{QString(), nullptr, true});
            readable_ = false;
        }
    }
    addLiteral(pending);
}

QString CalendarFormat::format(double seconds) const
{
    if (!std::isfinite(seconds) || std::fabs(seconds) > Calendar::maxSeconds)
        return QString();
    QString out;
    std::unique_ptr<Calendar> calendar; // only for %w
    for (const Piece& p : pieces_) {
        if (p.fmt) {
            out += p.fmt->format(seconds);
        } else if (p.weekdayNumber) {
            if (!calendar) {
                calendar = std::make_unique<Calendar>();
                if (!calendar->setTime(seconds))
                    return QString();
            }
            out += QString::number(calendar->fields().weekday - 1);
        } else {
            out += p.literal;
        }
    }
    return out;
}

std::optional<double> CalendarFormat::read(const QString& text) const
{
    if (!readable_ || readPattern_.isEmpty())
        return std::nullopt;
    if (!reader_) {
        reader_ = std::make_unique<DateFormat>(readPattern_, QString(), readNames_ ? QString() : posixLocale);
        reader_->setLenient(false);
    }
    const QString t = text.trimmed();
    double seconds = 0;
    int consumed = 0;
    if (t.isEmpty() || !reader_->parse(t, seconds, &consumed) || consumed != t.size())
        return std::nullopt;
    return seconds;
}
