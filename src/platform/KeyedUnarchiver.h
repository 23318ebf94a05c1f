#pragma once

// Reads keyed archives (see KeyedArchiver.h) from bytes that may be damaged or
// hostile: a file from anywhere, the pasteboard, the user-defaults store.
//
// Typed access by key, each with a default for a missing key; a value of
// another type reads as missing. Damage to the archive's structure (bytes that
// are no property list, references out of range or in a cycle, a broken class
// entry, an unknown class, nesting or size past the limits) is an error:
// ok() turns false, errorString() says why, and from then on every decode
// gives its default. Objects are only ever made by factories registered for
// their class name, always as new objects; a caller decodes everything first
// and adopts the results only when ok() still holds, so a failed read changes
// nothing it already had.

#include "platform/KeyedArchiver.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

class KeyedUnarchiver {
public:
    struct Limits {
        // What this machine's memory can read (largestInput()).
        qsizetype maxInputBytes = largestInput();
        qint64 maxElements = 4'000'000; // property-list values and keys
        int maxNesting = 128; // nesting of the property list itself
        int maxObjectDepth = 64; // objects, arrays and dictionaries inside one another
        // Array and dictionary elements handed out in total; also never more
        // than one per 8 bytes of input (at least 65536).
        qint64 maxDecodedItems = 16'000'000;
        // Bytes of decoded content (texts, numbers, pixels, buffer columns)
        // handed out in total: this many per byte of input, but at least
        // minDecodedBytes. An honest archive decodes to less than its own
        // size, images aside; one record referenced from many places must
        // not turn a small file into gigabytes.
        qint64 decodedBytesPerInputByte = 8;
        qint64 minDecodedBytes = qint64(128) << 20;
    };

    // Makes the object from the coder positioned on its record. Returning
    // nullptr reads as a missing object.
    using Factory = std::function<std::unique_ptr<ArchivableObject>(KeyedUnarchiver& coder)>;

    // The largest archive this machine can read: its memory (or the
    // process's address-space limit, when lower) divided by the peak memory
    // reading takes per byte of archive, measured on documents of large
    // buffers (see largestInput() in the source); never below 256 MiB.
    static qsizetype largestInput();
    // The limits of an unarchiver made without limits of its own, and of
    // the readers that check a file's size before reading it: the defaults
    // of Limits, unless narrowed (tests do, to show a refusal without
    // gigabytes).
    static const Limits& standardLimits();
    static void setStandardLimits(const Limits& limits);

    explicit KeyedUnarchiver(const QByteArray& data);
    KeyedUnarchiver(const QByteArray& data, const Limits& limits);
    ~KeyedUnarchiver();
    KeyedUnarchiver(const KeyedUnarchiver&) = delete;
    KeyedUnarchiver& operator=(const KeyedUnarchiver&) = delete;

    // Only registered classes are ever instantiated; an archived object of any
    // other class makes the archive fail. The archive's own class names
    // (KeyedArchiveFormat) cannot be registered.
    void registerClass(const QString& className, Factory factory);

    bool ok() const;
    QString errorString() const;
    // The archive failed because it passes one of the limits (too large,
    // too many elements, nested too deeply, decoding past the budget):
    // errorString() then says which.
    bool exceededLimits() const;
    // Lets a factory reject a record whose content makes no sense; the first
    // error is kept.
    void failWithError(const QString& message);

    // A factory about to make `bytes` of content out of the archive (say,
    // numbers out of a data block) reports them first. False, and the
    // archive fails, when they would pass the decoded-bytes budget.
    bool spendBytes(qint64 bytes);

    // What a factory made of a value of the archive (the numbers of a data
    // block, say), kept for every other record that names the same value:
    // it is made, and charged to the budget, only once. `value` is where the
    // value lies (QByteArray::constData() of decodeBytes), `variant` tells
    // apart ways of reading one value. Empty until the factory fills it.
    std::shared_ptr<void>& madeFrom(const void* value, int variant);

    // Keys of the object being decoded (at the top level: of $top).
    bool containsValueForKey(const QString& key) const;
    QStringList allKeys() const;

    int decodeInt(const QString& key, int defaultValue = 0); // a value outside 32 bits reads as missing
    qint64 decodeInt64(const QString& key, qint64 defaultValue = 0);
    bool decodeBool(const QString& key, bool defaultValue = false);
    double decodeDouble(const QString& key, double defaultValue = 0.0); // integers read as doubles too
    QString decodeString(const QString& key, const QString& defaultValue = QString());
    QByteArray decodeBytes(const QString& key, const QByteArray& defaultValue = QByteArray());

    // One object, shared: an object referenced from several places decodes
    // once and every reference gets the same instance. Missing, $null or of
    // another class: nullptr.
    template <class T> std::shared_ptr<T> decodeObject(const QString& key)
    {
        static_assert(std::is_base_of_v<ArchivableObject, T>);
        return std::dynamic_pointer_cast<T>(decodeObjectBase(key));
    }

    // The objects of an archived array, $null elements left out. Empty when
    // missing, or when any element is not a T.
    template <class T> std::vector<std::shared_ptr<T>> decodeArrayOfObjects(const QString& key)
    {
        static_assert(std::is_base_of_v<ArchivableObject, T>);
        std::vector<std::shared_ptr<T>> out;
        for (auto& object : decodeObjectArrayBase(key)) {
            auto typed = std::dynamic_pointer_cast<T>(std::move(object));
            if (!typed)
                return {};
            out.push_back(std::move(typed));
        }
        return out;
    }

    // Plain values as the archiver's encodeArray/encodeDictionary took them:
    // integers come back as int (or qlonglong when they need 64 bits),
    // reals as double, $null as a null QVariant. Missing or not an array
    // (dictionary) of plain values: empty.
    QVariantList decodeArray(const QString& key);
    QVariantMap decodeDictionary(const QString& key);
    // An array of numbers; empty when missing or when any element is no number.
    std::vector<double> decodeDoubleArray(const QString& key);

    std::optional<QColor> decodeColor(const QString& key);
    // A font whose face is not installed keeps its stored name (so saving
    // again does not lose it) and draws with the platform's substitute.
    std::optional<QFont> decodeFont(const QString& key);
    QImage decodeImage(const QString& key); // null when missing or not an image

private:
    std::shared_ptr<ArchivableObject> decodeObjectBase(const QString& key);
    std::vector<std::shared_ptr<ArchivableObject>> decodeObjectArrayBase(const QString& key);

    struct Impl;
    std::unique_ptr<Impl> d;
};
