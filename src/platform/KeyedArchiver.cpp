#include "platform/KeyedArchiver.h"

#include "platform/Font.h"
#include "platform/PropertyList.h"

#include <QBuffer>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <limits>

using PropertyList::Dict;
using PropertyList::Value;

namespace KeyedArchiveFormat {

bool isReservedClassName(const QString& name)
{
    for (const char* reserved : {arrayClass, dictionaryClass, stringClass, colorClass, fontClass, imageClass})
        if (name == QLatin1String(reserved))
            return true;
    return false;
}

} // namespace KeyedArchiveFormat

namespace {

// Keys that begin with "$" would collide with the archive's own "$class";
// such keys get one more "$" in front, and the reader does the same.
QString storedKey(const QString& key)
{
    return key.startsWith(QLatin1Char('$')) ? QLatin1Char('$') + key : key;
}

QByteArray bitsOf(double v)
{
    QByteArray b(sizeof v, Qt::Uninitialized);
    std::memcpy(b.data(), &v, sizeof v);
    return b;
}

} // namespace

KeyedArchiver::KeyedArchiver()
        : top_(std::make_unique<Dict>())
{
    objects_.push_back(Value::fromString(QStringLiteral("$null")));
    context_.push_back(top_.get());
}

KeyedArchiver::~KeyedArchiver() = default;

void KeyedArchiver::fail(const QString& message)
{
    if (error_.isEmpty())
        error_ = message;
}

void KeyedArchiver::put(const QString& key, Value value)
{
    context_.back()->insert(storedKey(key), std::move(value));
}

std::uint32_t KeyedArchiver::add(Value value)
{
    objects_.push_back(std::move(value));
    return std::uint32_t(objects_.size() - 1);
}

PropertyList::Dict& KeyedArchiver::newObject(const QString& className, std::uint32_t& uid)
{
    uid = add(Value::fromDict(Dict()));
    // The dictionary lives on the heap, so the reference stays valid while
    // the object table grows.
    Dict& d = *objects_[uid].asDict();
    d.insert(QStringLiteral("$class"), Value::fromUid(classRef(className)));
    return d;
}

std::uint32_t KeyedArchiver::stringRef(const QString& text)
{
    auto it = strings_.constFind(text);
    if (it != strings_.constEnd())
        return it.value();
    std::uint32_t uid;
    if (PropertyList::isXmlText(text)) {
        uid = add(Value::fromString(text));
    } else {
        // Control characters and broken surrogate pairs cannot stand in XML;
        // the exact code units go into a data block instead.
        QByteArray utf16(text.size() * 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t u = text.at(i).unicode();
            utf16[2 * i] = char(u & 0xff);
            utf16[2 * i + 1] = char(u >> 8);
        }
        const std::uint32_t bytes = dataRef(utf16);
        Dict& d = newObject(QLatin1String(KeyedArchiveFormat::stringClass), uid);
        d.insert(QStringLiteral("utf16le"), Value::fromUid(bytes));
    }
    strings_.insert(text, uid);
    return uid;
}

std::uint32_t KeyedArchiver::dataRef(const QByteArray& bytes)
{
    auto it = data_.constFind(bytes);
    if (it != data_.constEnd())
        return it.value();
    const std::uint32_t uid = add(Value::fromData(bytes));
    data_.insert(bytes, uid);
    return uid;
}

// Numbers inside arrays are entries of the object table of their own, stored
// once per distinct value.
std::uint32_t KeyedArchiver::numberRef(const QVariant& number)
{
    QByteArray key;
    Value value;
    switch (number.typeId()) {
    case QMetaType::Bool:
        key = number.toBool() ? "b1" : "b0";
        value = Value::fromBool(number.toBool());
        break;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = number.toDouble();
        key = 'r' + bitsOf(d);
        value = Value::fromReal(d);
        break;
    }
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        if (number.toULongLong() > quint64(std::numeric_limits<qint64>::max())) {
            fail(QStringLiteral("an integer too large to archive"));
            return 0;
        }
        [[fallthrough]];
    default: {
        const qint64 i = number.toLongLong();
        key = 'i' + QByteArray::number(i);
        value = Value::fromInteger(i);
        break;
    }
    }
    auto it = numbers_.constFind(key);
    if (it != numbers_.constEnd())
        return it.value();
    const std::uint32_t uid = add(std::move(value));
    numbers_.insert(key, uid);
    return uid;
}

std::uint32_t KeyedArchiver::classRef(const QString& name)
{
    auto it = classes_.constFind(name);
    if (it != classes_.constEnd())
        return it.value();
    Dict d;
    d.insert(QStringLiteral("$classes"), Value::fromArray([&] {
                 PropertyList::Array a;
                 a.push_back(Value::fromString(name));
                 return a;
             }()));
    d.insert(QStringLiteral("$classname"), Value::fromString(name));
    const std::uint32_t uid = add(Value::fromDict(std::move(d)));
    classes_.insert(name, uid);
    return uid;
}

std::uint32_t KeyedArchiver::objectRef(const ArchivableObject* object)
{
    if (!object)
        return 0;
    if (inProgress_.count(object)) {
        fail(QStringLiteral("an object of class %1 refers back to itself").arg(object->className()));
        return 0;
    }
    if (auto it = encoded_.find(object); it != encoded_.end())
        return it->second;
    const QString name = object->className();
    if (name.isEmpty() || name.startsWith(QLatin1Char('$'))
        || KeyedArchiveFormat::isReservedClassName(name)) {
        fail(QStringLiteral("\"%1\" cannot be used as a class name").arg(name));
        return 0;
    }
    std::uint32_t uid;
    Dict& d = newObject(name, uid);
    encoded_.emplace(object, uid);
    inProgress_.insert(object);
    context_.push_back(&d);
    object->encodeWithCoder(*this);
    context_.pop_back();
    inProgress_.erase(object);
    return uid;
}

std::uint32_t KeyedArchiver::arrayRef(const std::vector<std::uint32_t>& items)
{
    std::uint32_t uid;
    Dict& d = newObject(QLatin1String(KeyedArchiveFormat::arrayClass), uid);
    PropertyList::Array refs;
    refs.reserve(items.size());
    for (std::uint32_t item : items)
        refs.push_back(Value::fromUid(item));
    d.insert(QStringLiteral("objects"), Value::fromArray(std::move(refs)));
    return uid;
}

std::uint32_t KeyedArchiver::variantRef(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        return 0;
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Double:
    case QMetaType::Float:
        return numberRef(value);
    case QMetaType::QString:
        return stringRef(value.toString());
    case QMetaType::QByteArray:
        return dataRef(value.toByteArray());
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        // Elements first: the array's table entry is made after them so the
        // list of references can be handed over whole.
        const QVariantList list = value.toList();
        std::vector<std::uint32_t> items;
        items.reserve(std::size_t(list.size()));
        for (const QVariant& item : list)
            items.push_back(variantRef(item));
        return arrayRef(items);
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        const QVariantMap map = value.toMap(); // sorted keys: the same dictionary always archives alike
        PropertyList::Array keys, objects;
        for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
            keys.push_back(Value::fromUid(stringRef(it.key())));
            objects.push_back(Value::fromUid(variantRef(it.value())));
        }
        std::uint32_t uid;
        Dict& d = newObject(QLatin1String(KeyedArchiveFormat::dictionaryClass), uid);
        d.insert(QStringLiteral("keys"), Value::fromArray(std::move(keys)));
        d.insert(QStringLiteral("objects"), Value::fromArray(std::move(objects)));
        return uid;
    }
    default:
        fail(QStringLiteral("a value of type %1 cannot be archived").arg(QLatin1String(value.typeName())));
        return 0;
    }
}

std::uint32_t KeyedArchiver::colorRef(const QColor& color)
{
    if (!color.isValid())
        return 0;
    const QColor c = color.toRgb();
    const double comps[4] = {c.redF(), c.greenF(), c.blueF(), c.alphaF()};
    QByteArray key;
    for (double v : comps)
        key += bitsOf(v);
    auto it = colors_.constFind(key);
    if (it != colors_.constEnd())
        return it.value();
    std::uint32_t uid;
    Dict& d = newObject(QLatin1String(KeyedArchiveFormat::colorClass), uid);
    const char* names[4] = {"r", "g", "b", "a"};
    for (int i = 0; i < 4; ++i)
        d.insert(QLatin1String(names[i]), Value::fromReal(comps[i]));
    colors_.insert(key, uid);
    return uid;
}

// --- public encoders -----------------------------------------------------------

void KeyedArchiver::encodeInt(const QString& key, int value)
{
    put(key, Value::fromInteger(value));
}

void KeyedArchiver::encodeInt64(const QString& key, qint64 value)
{
    put(key, Value::fromInteger(value));
}

void KeyedArchiver::encodeBool(const QString& key, bool value)
{
    put(key, Value::fromBool(value));
}

void KeyedArchiver::encodeDouble(const QString& key, double value)
{
    put(key, Value::fromReal(value));
}

void KeyedArchiver::encodeBytes(const QString& key, const QByteArray& bytes)
{
    put(key, Value::fromUid(dataRef(bytes)));
}

void KeyedArchiver::encodeString(const QString& key, const QString& text)
{
    put(key, Value::fromUid(stringRef(text)));
}

void KeyedArchiver::encodeObject(const QString& key, const ArchivableObject* object)
{
    put(key, Value::fromUid(objectRef(object)));
}

void KeyedArchiver::encodeArrayOfObjects(const QString& key,
                                         const std::vector<const ArchivableObject*>& objects)
{
    std::vector<std::uint32_t> items;
    items.reserve(objects.size());
    for (const ArchivableObject* o : objects)
        items.push_back(objectRef(o));
    put(key, Value::fromUid(arrayRef(items)));
}

void KeyedArchiver::encodeArray(const QString& key, const QVariantList& values)
{
    put(key, Value::fromUid(variantRef(QVariant(values))));
}

void KeyedArchiver::encodeDictionary(const QString& key, const QVariantMap& values)
{
    put(key, Value::fromUid(variantRef(QVariant(values))));
}

void KeyedArchiver::encodeDoubleArray(const QString& key, const std::vector<double>& values)
{
    std::vector<std::uint32_t> items;
    items.reserve(values.size());
    for (double v : values)
        items.push_back(numberRef(QVariant(v)));
    put(key, Value::fromUid(arrayRef(items)));
}

void KeyedArchiver::encodeColor(const QString& key, const QColor& color)
{
    put(key, Value::fromUid(colorRef(color)));
}

void KeyedArchiver::encodeFont(const QString& key, const QFont& font)
{
    const QString name = Font::storedName(font);
    double size = font.pointSizeF();
    if (size <= 0 && font.pixelSize() > 0)
        size = font.pixelSize() * 72.0 / 96.0; // a pixel-sized font at the usual screen resolution
    const QByteArray id = name.toUtf8() + '\0' + bitsOf(size);
    std::uint32_t uid;
    if (auto it = fonts_.constFind(id); it != fonts_.constEnd()) {
        uid = it.value();
    } else {
        const std::uint32_t nameRef = stringRef(name);
        Dict& d = newObject(QLatin1String(KeyedArchiveFormat::fontClass), uid);
        d.insert(QStringLiteral("name"), Value::fromUid(nameRef));
        d.insert(QStringLiteral("size"), Value::fromReal(size));
        fonts_.insert(id, uid);
    }
    put(key, Value::fromUid(uid));
}

void KeyedArchiver::encodeImage(const QString& key, const QImage& image)
{
    if (image.isNull()) {
        put(key, Value::fromUid(0));
        return;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        fail(QStringLiteral("an image could not be stored as PNG"));
        put(key, Value::fromUid(0));
        return;
    }
    buffer.close();
    const std::uint32_t bytes = dataRef(png);
    std::uint32_t uid;
    Dict& d = newObject(QLatin1String(KeyedArchiveFormat::imageClass), uid);
    d.insert(QStringLiteral("png"), Value::fromUid(bytes));
    put(key, Value::fromUid(uid));
}

QByteArray KeyedArchiver::encodedData() const
{
    QByteArray out = PropertyList::xmlHeader();
    out += "<dict>\n\t<key>$archiver</key>\n\t<string>";
    out += KeyedArchiveFormat::archiverName;
    out += "</string>\n\t<key>$objects</key>\n\t<array>\n";
    for (const Value& v : objects_)
        PropertyList::appendXml(out, v, 2);
    out += "\t</array>\n\t<key>$top</key>\n";
    PropertyList::appendXml(out, *top_, 1);
    out += "\t<key>$version</key>\n\t<integer>";
    out += QByteArray::number(KeyedArchiveFormat::version);
    out += "</integer>\n</dict>\n";
    out += PropertyList::xmlFooter();
    return out;
}
