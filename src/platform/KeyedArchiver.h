#pragma once

// Keyed archives: documents, pasteboard data and stored lists are written as a
// table of objects in an XML property list:
//
//   $archiver  "VexaKeyedArchiver"
//   $version   100000
//   $top       the top-level keys (a document's own keys, or "root" for a
//              single archived object)
//   $objects   index 0 is "$null"; then strings, data blocks, numbers held in
//              arrays, and one dictionary per object whose "$class" refers to
//              a class entry {"$classname", "$classes"}. Objects refer to each
//              other by index ({"CF$UID": n}); numbers and booleans stored
//              under a key stand inline.
//
// Strings, data blocks, colours and fonts are stored once however often they
// occur; an object reached twice is stored once and read back as one object.

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace PropertyList {
class Dict;
class Value;
} // namespace PropertyList

class KeyedArchiver;

// An object that can be stored in a keyed archive. Decoding goes through a
// factory registered with the unarchiver under className().
class ArchivableObject {
public:
    virtual ~ArchivableObject() = default;
    virtual QString className() const = 0;
    virtual void encodeWithCoder(KeyedArchiver& coder) const = 0;
};

// The names the archive itself uses. The class names are reserved: an
// ArchivableObject may not use them.
namespace KeyedArchiveFormat {
inline constexpr char archiverName[] = "VexaKeyedArchiver";
inline constexpr qint64 version = 100000;
inline constexpr char arrayClass[] = "VexaArray"; // "objects": [refs]
inline constexpr char dictionaryClass[] = "VexaDictionary"; // "keys": [string refs], "objects": [refs]
inline constexpr char stringClass[] = "VexaString"; // "utf16le": data (text XML cannot hold)
inline constexpr char colorClass[] = "VexaColor"; // "r" "g" "b" "a": reals in [0, 1]
inline constexpr char fontClass[] = "VexaFont"; // "name": string, "size": real (points)
inline constexpr char imageClass[] = "VexaImage"; // "png": data
bool isReservedClassName(const QString& name);
} // namespace KeyedArchiveFormat

class KeyedArchiver {
public:
    KeyedArchiver();
    ~KeyedArchiver();
    KeyedArchiver(const KeyedArchiver&) = delete;
    KeyedArchiver& operator=(const KeyedArchiver&) = delete;

    // Each call stores a value under the key in the object being encoded (at
    // the top level: in $top). Storing a key again replaces its value.
    void encodeInt(const QString& key, int value);
    void encodeInt64(const QString& key, qint64 value);
    void encodeBool(const QString& key, bool value);
    void encodeDouble(const QString& key, double value);
    void encodeBytes(const QString& key, const QByteArray& bytes);
    void encodeString(const QString& key, const QString& text);

    // A null object is stored as a reference to $null (read back as nothing).
    void encodeObject(const QString& key, const ArchivableObject* object);
    void encodeObject(const QString& key, const ArchivableObject& object) { encodeObject(key, &object); }

    // An array of objects: any container of ArchivableObject-derived values,
    // raw pointers, unique_ptrs or shared_ptrs. Null elements are stored as
    // $null and skipped when read back.
    void encodeArrayOfObjects(const QString& key, const std::vector<const ArchivableObject*>& objects);
    template <class Container> void encodeArrayOfObjects(const QString& key, const Container& objects)
    {
        std::vector<const ArchivableObject*> list;
        for (const auto& item : objects) {
            using Item = std::remove_cvref_t<decltype(item)>;
            if constexpr (std::is_base_of_v<ArchivableObject, Item>)
                list.push_back(&item);
            else
                list.push_back(item ? static_cast<const ArchivableObject*>(std::to_address(item)) : nullptr);
        }
        encodeArrayOfObjects(key, list);
    }

    // Plain values in arrays and string-keyed dictionaries: bool, integers,
    // double, QString, QByteArray, QStringList, QVariantList, QVariantMap,
    // QVariantHash, nested as deep as wanted; a null QVariant stands for
    // $null. Any other type is an error (see ok()).
    void encodeArray(const QString& key, const QVariantList& values);
    void encodeDictionary(const QString& key, const QVariantMap& values);
    void encodeDoubleArray(const QString& key, const std::vector<double>& values);

    // Colours as r g b a in [0, 1]; an invalid colour is stored as $null.
    void encodeColor(const QString& key, const QColor& color);
    // Fonts by the name Font::storedName gives and the size in points.
    void encodeFont(const QString& key, const QFont& font);
    // Images as PNG; a null image is stored as $null.
    void encodeImage(const QString& key, const QImage& image);

    // False when something could not be archived faithfully: a value of an
    // unsupported type, an object that refers back to itself (such a
    // reference is stored as $null), a reserved class name, an image that did
    // not encode. The archive is still produced; callers that must not lose
    // anything check this.
    bool ok() const { return error_.isEmpty(); }
    QString errorString() const { return error_; }

    // The XML property list of everything stored so far.
    QByteArray encodedData() const;

private:
    void put(const QString& key, PropertyList::Value value);
    std::uint32_t add(PropertyList::Value value);
    std::uint32_t stringRef(const QString& text);
    std::uint32_t dataRef(const QByteArray& bytes);
    std::uint32_t numberRef(const QVariant& number);
    std::uint32_t classRef(const QString& name);
    std::uint32_t objectRef(const ArchivableObject* object);
    std::uint32_t variantRef(const QVariant& value);
    std::uint32_t arrayRef(const std::vector<std::uint32_t>& items);
    std::uint32_t colorRef(const QColor& color);
    PropertyList::Dict& newObject(const QString& className, std::uint32_t& uid);
    void fail(const QString& message);

    std::vector<PropertyList::Value> objects_;
    std::unique_ptr<PropertyList::Dict> top_;
    std::vector<PropertyList::Dict*> context_;
    QHash<QString, std::uint32_t> strings_;
    QHash<QByteArray, std::uint32_t> data_;
    QHash<QByteArray, std::uint32_t> numbers_;
    QHash<QString, std::uint32_t> classes_;
    QHash<QByteArray, std::uint32_t> colors_;
    QHash<QByteArray, std::uint32_t> fonts_;
    std::unordered_map<const ArchivableObject*, std::uint32_t> encoded_;
    std::unordered_set<const ArchivableObject*> inProgress_;
    QString error_;
};
