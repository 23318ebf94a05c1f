#include "view/RecordReader.h"

#include "platform/KeyedUnarchiver.h"

#include <cmath>

bool RecordReader::has(const char* key) const
{
    return c_.containsValueForKey(QLatin1String(key));
}

void RecordReader::damage(const QString& why)
{
    if (damage_.isEmpty())
        damage_ = why;
}

void RecordReader::wrong(const char* key, const char* what)
{
    damage(QStringLiteral("\"%1\" holds no %2.").arg(QLatin1String(key), QLatin1String(what)));
}

bool RecordReader::holdsNil(const char* key)
{
    // Every typed read falls back to its default, and the key holds no
    // object, no array and no data either.
    const QString k = QLatin1String(key);
    return c_.decodeString(k, QStringLiteral("\x01")) != c_.decodeString(k, QStringLiteral("\x02"))
        && c_.decodeInt64(k, 0) != c_.decodeInt64(k, 1) && c_.decodeBool(k, false) != c_.decodeBool(k, true)
        && c_.decodeBytes(k, QByteArray("\x01")) != c_.decodeBytes(k, QByteArray("\x02"))
        && !c_.decodeColor(k) && c_.decodeImage(k).isNull() && c_.decodeArray(k).isEmpty()
        && c_.decodeDictionary(k).isEmpty() && !c_.decodeObject<ArchivableObject>(k)
        && c_.decodeDouble(k, 0.0) != c_.decodeDouble(k, 1.0);
}

void RecordReader::integer(const char* key, int& field)
{
    if (!has(key))
        return;
    const QString k = QLatin1String(key);
    const int a = c_.decodeInt(k, 0);
    if (a != c_.decodeInt(k, 1))
        return wrong(key, "integer");
    field = a;
}

void RecordReader::number(const char* key, double& field)
{
    if (!has(key))
        return;
    const QString k = QLatin1String(key);
    const double a = c_.decodeDouble(k, 0.0);
    const double b = c_.decodeDouble(k, 1.0);
    if (!(a == b || (std::isnan(a) && std::isnan(b))))
        return wrong(key, "number");
    field = a;
}

void RecordReader::flag(const char* key, bool& field)
{
    if (!has(key))
        return;
    const QString k = QLatin1String(key);
    const bool a = c_.decodeBool(k, false);
    if (a != c_.decodeBool(k, true))
        return wrong(key, "boolean");
    field = a;
}

void RecordReader::flag(const char* key, std::uint8_t& field)
{
    bool v = field != 0;
    flag(key, v);
    field = v ? 1 : 0;
}

std::optional<QString> RecordReader::string(const char* key)
{
    if (!has(key))
        return std::nullopt;
    const QString k = QLatin1String(key);
    const QString a = c_.decodeString(k, QStringLiteral("\x01"));
    if (a == c_.decodeString(k, QStringLiteral("\x02")))
        return a;
    if (!holdsNil(key))
        wrong(key, "text");
    return std::nullopt;
}

std::optional<QColor> RecordReader::color(const char* key)
{
    if (!has(key))
        return std::nullopt;
    if (auto color = c_.decodeColor(QLatin1String(key)))
        return color;
    if (!holdsNil(key))
        wrong(key, "colour");
    return std::nullopt;
}

std::optional<QByteArray> RecordReader::bytes(const char* key)
{
    if (!has(key))
        return std::nullopt;
    const QString k = QLatin1String(key);
    const QByteArray a = c_.decodeBytes(k, QByteArray("\x01"));
    if (a == c_.decodeBytes(k, QByteArray("\x02")))
        return a;
    if (!holdsNil(key))
        wrong(key, "data");
    return std::nullopt;
}

std::optional<QFont> RecordReader::font(const char* key)
{
    if (!has(key))
        return std::nullopt;
    if (auto font = c_.decodeFont(QLatin1String(key)))
        return font;
    if (!holdsNil(key))
        wrong(key, "font");
    return std::nullopt;
}
