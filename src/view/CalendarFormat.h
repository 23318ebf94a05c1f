#pragma once

// Dates as text in the "%" notation users know from calendar formats:
// "%Y-%m-%d %H:%M:%S", "%a %e %b", ... Time values are seconds since
// 2001-01-01 00:00:00 UTC, shown in the process's default time zone
// (Calendar::setDefaultTimeZone).
//
// Directives: %% a A b B c d e F H I j m M p S w x X y Y Z z. Numbers are
// ASCII digits whatever the locale; names of weekdays, months, the day
// period and the zone come from the user's locale. %c is "%Y-%m-%d %H:%M:%S %z",
// %x "%Y-%m-%d", %X "%H:%M:%S". An unknown directive and a lone "%" at the
// end stand for themselves.

#include <QString>

#include <memory>
#include <optional>
#include <vector>

class DateFormat;

class CalendarFormat {
public:
    explicit CalendarFormat(const QString& format);
    ~CalendarFormat();
    CalendarFormat(const CalendarFormat&) = delete;
    CalendarFormat& operator=(const CalendarFormat&) = delete;

    // The text of the moment; empty for a moment the calendar cannot
    // represent (not finite, or too far out).
    QString format(double seconds) const;

    // Reads a whole text written in the format (blanks around it allowed),
    // field values checked against their ranges; nothing when the text does
    // not match. A format with %w cannot be read.
    std::optional<double> read(const QString& text) const;

private:
    struct Piece {
        QString literal; // when fmt is null and not a weekday number
        std::shared_ptr<DateFormat> fmt; // one field
        bool weekdayNumber = false; // %w: 0 Sunday to 6 Saturday
    };

    void parse(const QString& format);
    void addLiteral(const QString& text);
    void addField(const char* pattern, bool names);

    std::vector<Piece> pieces_;
    // The whole format as one Unicode pattern, for reading.
    QString readPattern_;
    bool readable_ = true;
    bool readNames_ = false;
    mutable std::unique_ptr<DateFormat> reader_;
    std::vector<std::pair<QString, std::shared_ptr<DateFormat>>> cache_;
};
