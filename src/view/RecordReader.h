#pragma once

// Typed reads of one archived record (a text box, a graphic) that tell a
// missing key from a key holding the wrong kind of value. A missing key, or
// one holding nil, leaves the field as it is; the first key of the wrong
// kind is the record's damage, and the caller drops the record.

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QString>

#include <cstdint>
#include <optional>

class KeyedUnarchiver;

class RecordReader {
public:
    explicit RecordReader(KeyedUnarchiver& coder)
            : c_(coder)
    {
    }

    bool has(const char* key) const;

    void integer(const char* key, int& field);
    void number(const char* key, double& field);
    void flag(const char* key, std::uint8_t& field);
    void flag(const char* key, bool& field);
    // Missing or nil: nothing.
    std::optional<QString> string(const char* key);
    std::optional<QColor> color(const char* key);
    std::optional<QFont> font(const char* key);
    std::optional<QByteArray> bytes(const char* key);

    // Marks the record damaged (the first reason stays).
    void damage(const QString& why);
    bool damaged() const { return !damage_.isEmpty(); }
    const QString& damageText() const { return damage_; }

private:
    void wrong(const char* key, const char* what);
    // The key holds $null: an object never set, which reads as missing.
    bool holdsNil(const char* key);

    KeyedUnarchiver& c_;
    QString damage_;
};
