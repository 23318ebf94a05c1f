#pragma once

// The user-defaults store: preferences, panel settings and stored lists,
// kept in an INI file. A change reaches the file when control returns to the
// event loop, at synchronize() and when the store closes (at exit, or when it
// is pointed at another file); unchanged values are not written. Values given
// on the command line ("-key value") sit in a volatile argument domain that
// is read before the stored values and never written.

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

class QSettings;

class UserDefaults {
public:
    // The process-wide store.
    static UserDefaults& standard();

    // Points the process-wide store at another file (tests, or a portable
    // set-up). Qt keeps one cache per file and process, so pointing back at a
    // file used before sees the values as this process left them.
    static void setStoreFile(const QString& path);

    bool contains(const QString& key) const;
    QVariant value(const QString& key) const;

    // Typed readings. An absent key or a value of another kind gives 0,
    // false, an empty text or nothing.
    QString stringForKey(const QString& key) const;
    float floatForKey(const QString& key) const; // single precision, like the store keeps numbers
    double doubleForKey(const QString& key) const;
    int integerForKey(const QString& key) const; // narrowed to 32 bits, saturating
    bool boolForKey(const QString& key) const; // any non-zero number is true
    QByteArray dataForKey(const QString& key) const;
    std::optional<QColor> colorForKey(const QString& key) const;

    void setValue(const QString& key, const QVariant& value);
    void setColor(const QString& key, const QColor& color);
    void removeObjectForKey(const QString& key);
    void removeAll();
    // Writes pending changes to the file now.
    void synchronize();

    // "-key value" pairs of a command line; other arguments are ignored.
    void setArgumentDomain(const QStringList& arguments);
    void clearArgumentDomain();

    QString storeFile() const;

    ~UserDefaults();

private:
    explicit UserDefaults(const QString& path);
    std::unique_ptr<QSettings> settings_;
    QHash<QString, QString> arguments_;
};
