#include "platform/KeyedUnarchiver.h"

#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/PropertyList.h"

#include <QBuffer>
#include <QHash>
#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <map>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include <sys/resource.h>
#include <unistd.h>

using PropertyList::Dict;
using PropertyList::Value;

namespace {

QString storedKey(const QString& key)
{
    return key.startsWith(QLatin1Char('$')) ? QLatin1Char('$') + key : key;
}

bool isClass(const QString& name, const char* expected)
{
    return name == QLatin1String(expected);
}

std::optional<double> numberOf(const Value* v)
{
    if (!v)
        return std::nullopt;
    if (auto r = v->asReal())
        return *r;
    if (auto i = v->asInteger())
        return double(*i);
    return std::nullopt;
}

} // namespace

struct KeyedUnarchiver::Impl {
    KeyedUnarchiver* q = nullptr;
    Limits limits;
    std::optional<Value> root;
    const PropertyList::Array* objects = nullptr;
    std::vector<const Dict*> context;
    QHash<QString, Factory> factories;
    std::unordered_map<std::uint32_t, std::shared_ptr<ArchivableObject>> decoded;
    std::unordered_set<std::uint32_t> inProgress;
    QString error;
    int depth = 0;
    qint64 items = 0;
    qint64 budget = 0;
    qint64 bytesSpent = 0;
    qint64 bytesBudget = 0;
    bool overLimit = false;
    std::map<std::pair<const void*, int>, std::shared_ptr<void>> madeOfValues;

    bool fail(const QString& message)
    {
        if (error.isEmpty())
            error = message;
        return false;
    }

    // A failure for passing a limit rather than for damage.
    bool exceed(const QString& message)
    {
        if (error.isEmpty())
            overLimit = true;
        return fail(message);
    }

    bool damaged(const QString& what)
    {
        return fail(QStringLiteral("The archive is damaged: %1.").arg(what));
    }

    void open(const QByteArray& data)
    {
        if (data.size() > limits.maxInputBytes) {
            exceed(QStringLiteral("The archive is too large (%1 bytes; at most %2 can be read).")
                       .arg(data.size())
                       .arg(limits.maxInputBytes));
            return;
        }
        PropertyList::ReadLimits rl;
        rl.maxBytes = limits.maxInputBytes;
        rl.maxElements = limits.maxElements;
        rl.maxDepth = limits.maxNesting;
        QString why;
        bool tooMuch = false;
        try {
            root = PropertyList::read(data, &why, rl, &tooMuch);
        } catch (const std::bad_alloc&) {
            // Within the limits this takes a machine short of memory; the
            // archive is refused rather than the program ended.
            root.reset();
            why = QStringLiteral("not enough memory");
            tooMuch = true;
        }
        if (!root) {
            const QString message = QStringLiteral("The archive cannot be read: %1.").arg(why);
            tooMuch ? exceed(message) : fail(message);
            return;
        }
        const Dict* envelope = root->asDict();
        const Value* archiver = envelope ? envelope->find(QStringLiteral("$archiver")) : nullptr;
        const Value* version = envelope ? envelope->find(QStringLiteral("$version")) : nullptr;
        const Value* top = envelope ? envelope->find(QStringLiteral("$top")) : nullptr;
        const Value* table = envelope ? envelope->find(QStringLiteral("$objects")) : nullptr;
        if (!archiver || !archiver->asString() || !version || !version->asInteger() || !top || !top->asDict()
            || !table || !table->asArray()) {
            fail(QStringLiteral("The data is not a keyed archive."));
            return;
        }
        if (*version->asInteger() != KeyedArchiveFormat::version) {
            fail(QStringLiteral("The archive has the unknown version %1.").arg(*version->asInteger()));
            return;
        }
        objects = table->asArray();
        context.push_back(top->asDict());
        // Every element of an array costs the file tens of bytes, so an honest
        // archive never hands out more elements than a fraction of its size;
        // shared arrays nested in one another could otherwise describe
        // billions of them.
        budget = std::min<qint64>(limits.maxDecodedItems, std::max<qint64>(65536, data.size() / 8));
        bytesBudget
            = std::max<qint64>(limits.minDecodedBytes, qint64(data.size()) * limits.decodedBytesPerInputByte);
    }

    const Value* lookup(const QString& key) const
    {
        if (!error.isEmpty() || context.empty())
            return nullptr;
        return context.back()->find(storedKey(key));
    }

    // The table entry a reference points at; nullptr for $null, for a value
    // that is no reference, and (with an error) for a reference out of range.
    const Value* entry(std::uint32_t uid)
    {
        if (uid == 0 || !error.isEmpty())
            return nullptr;
        if (uid >= objects->size()) {
            damaged(QStringLiteral("reference %1 is out of range").arg(uid));
            return nullptr;
        }
        return &(*objects)[uid];
    }

    const Value* entryForKey(const QString& key)
    {
        const Value* v = lookup(key);
        if (!v)
            return nullptr;
        auto uid = v->asUid();
        return uid ? entry(*uid) : nullptr;
    }

    // The class name of an object entry; empty for anything that is not an
    // object (strings, data, numbers, plain dictionaries). A broken class
    // entry is damage.
    QString classOf(const Value& e)
    {
        const Dict* d = e.asDict();
        const Value* ref = d ? d->find(QStringLiteral("$class")) : nullptr;
        if (!ref)
            return QString();
        auto uid = ref->asUid();
        if (!uid || *uid == 0) {
            damaged(QStringLiteral("an object has a broken class reference"));
            return QString();
        }
        const Value* cls = entry(*uid);
        const Dict* cd = cls ? cls->asDict() : nullptr;
        const Value* name = cd ? cd->find(QStringLiteral("$classname")) : nullptr;
        if (!name || !name->asString() || name->asString()->isEmpty()) {
            damaged(QStringLiteral("an object has a broken class entry"));
            return QString();
        }
        return *name->asString();
    }

    const Dict* objectOfClass(const Value* e, const char* className)
    {
        if (!e)
            return nullptr;
        return isClass(classOf(*e), className) ? e->asDict() : nullptr;
    }

    // Nesting of objects, arrays and dictionaries; also what stops a cycle of
    // arrays.
    bool enter()
    {
        if (depth >= limits.maxObjectDepth)
            return exceed(
                QStringLiteral("The archive is nested more than %1 deep.").arg(limits.maxObjectDepth));
        ++depth;
        return true;
    }
    void leave() { --depth; }

    // Shared arrays can describe far more elements than the file holds; every
    // element handed out counts against one budget.
    bool spend(std::size_t n)
    {
        items += qint64(n);
        if (items > budget)
            return exceed(
                QStringLiteral("The archive holds more than the %1 elements its size allows.").arg(budget));
        return true;
    }

    bool spendBytes(qint64 n)
    {
        if (n < 0 || n > bytesBudget - bytesSpent) {
            bytesSpent = bytesBudget;
            return exceed(QStringLiteral("The archive holds more than the %1 bytes of data its size allows.")
                              .arg(bytesBudget));
        }
        bytesSpent += n;
        return true;
    }

    // The references of a VexaArray, or nullptr when the entry is none.
    const PropertyList::Array* arrayItems(const Value* e)
    {
        const Dict* d = objectOfClass(e, KeyedArchiveFormat::arrayClass);
        const Value* list = d ? d->find(QStringLiteral("objects")) : nullptr;
        return list ? list->asArray() : nullptr;
    }

    std::optional<QString> stringOf(const Value* e)
    {
        if (!e)
            return std::nullopt;
        if (auto s = e->asString())
            return *s; // shared with the property list, no copy
        const Dict* d = objectOfClass(e, KeyedArchiveFormat::stringClass);
        const Value* ref = d ? d->find(QStringLiteral("utf16le")) : nullptr;
        auto uid = ref ? ref->asUid() : std::nullopt;
        const Value* bytes = uid ? entry(*uid) : nullptr;
        const QByteArray* b = bytes ? bytes->asData() : nullptr;
        if (!b || b->size() % 2 != 0 || !spendBytes(b->size()))
            return std::nullopt;
        QString s(b->size() / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < s.size(); ++i)
            s[i] = QChar(char16_t(quint8(b->at(2 * i)) | (quint8(b->at(2 * i + 1)) << 8)));
        return s;
    }

    std::optional<QVariant> variantAt(std::uint32_t uid)
    {
        if (uid == 0)
            return QVariant();
        const Value* e = entry(uid);
        if (!e)
            return std::nullopt;
        switch (e->type()) {
        case PropertyList::Type::String:
            return QVariant(*e->asString());
        case PropertyList::Type::Data:
            return QVariant(*e->asData());
        case PropertyList::Type::Integer: {
            const qint64 i = *e->asInteger();
            if (i >= std::numeric_limits<int>::min() && i <= std::numeric_limits<int>::max())
                return QVariant(int(i));
            return QVariant(qlonglong(i));
        }
        case PropertyList::Type::Real:
            return QVariant(*e->asReal());
        case PropertyList::Type::Bool:
            return QVariant(*e->asBool());
        case PropertyList::Type::Dict: {
            const QString name = classOf(*e);
            if (isClass(name, KeyedArchiveFormat::stringClass)) {
                auto s = stringOf(e);
                return s ? std::optional<QVariant>(QVariant(*s)) : std::nullopt;
            }
            if (isClass(name, KeyedArchiveFormat::arrayClass)) {
                auto list = listOf(e);
                return list ? std::optional<QVariant>(QVariant(*list)) : std::nullopt;
            }
            if (isClass(name, KeyedArchiveFormat::dictionaryClass)) {
                auto map = mapOf(e);
                return map ? std::optional<QVariant>(QVariant(*map)) : std::nullopt;
            }
            return std::nullopt;
        }
        default:
            return std::nullopt;
        }
    }

    std::optional<QVariantList> listOf(const Value* e)
    {
        const PropertyList::Array* refs = arrayItems(e);
        if (!refs || !spend(refs->size()) || !enter())
            return std::nullopt;
        QVariantList list;
        list.reserve(qsizetype(refs->size()));
        bool good = true;
        for (const Value& ref : *refs) {
            auto uid = ref.asUid();
            std::optional<QVariant> v = uid ? variantAt(*uid) : std::nullopt;
            if (!v) {
                good = false;
                break;
            }
            list.push_back(std::move(*v));
        }
        leave();
        return good ? std::optional<QVariantList>(std::move(list)) : std::nullopt;
    }

    std::optional<QVariantMap> mapOf(const Value* e)
    {
        const Dict* d = objectOfClass(e, KeyedArchiveFormat::dictionaryClass);
        const Value* k = d ? d->find(QStringLiteral("keys")) : nullptr;
        const Value* o = d ? d->find(QStringLiteral("objects")) : nullptr;
        const PropertyList::Array* keys = k ? k->asArray() : nullptr;
        const PropertyList::Array* values = o ? o->asArray() : nullptr;
        if (!keys || !values || keys->size() != values->size() || !spend(keys->size()) || !enter())
            return std::nullopt;
        QVariantMap map;
        bool good = true;
        for (std::size_t i = 0; i < keys->size() && good; ++i) {
            auto keyUid = (*keys)[i].asUid();
            auto valueUid = (*values)[i].asUid();
            std::optional<QString> key = keyUid ? stringOf(entry(*keyUid)) : std::nullopt;
            std::optional<QVariant> v = (key && valueUid) ? variantAt(*valueUid) : std::nullopt;
            if (!v)
                good = false;
            else
                map.insert(*key, std::move(*v));
        }
        leave();
        return good ? std::optional<QVariantMap>(std::move(map)) : std::nullopt;
    }

    // wrongType is set when the entry exists but is no registered object.
    std::shared_ptr<ArchivableObject> objectAt(std::uint32_t uid, bool& wrongType)
    {
        const Value* e = entry(uid);
        if (!e)
            return nullptr;
        const QString name = classOf(*e);
        if (!error.isEmpty())
            return nullptr;
        if (name.isEmpty() || KeyedArchiveFormat::isReservedClassName(name)) {
            wrongType = true;
            return nullptr;
        }
        if (auto it = decoded.find(uid); it != decoded.end())
            return it->second;
        if (inProgress.count(uid)) {
            damaged(QStringLiteral("an object of class %1 contains itself").arg(name.left(64)));
            return nullptr;
        }
        auto factory = factories.constFind(name);
        if (factory == factories.constEnd()) {
            fail(QStringLiteral("The archive holds an object of the unknown class \"%1\".")
                     .arg(name.left(64)));
            return nullptr;
        }
        if (!enter())
            return nullptr;
        inProgress.insert(uid);
        context.push_back(e->asDict());
        std::unique_ptr<ArchivableObject> made;
        try {
            made = (*factory)(*q);
        } catch (const std::exception& ex) {
            fail(QStringLiteral("The archive could not be read: %1.").arg(QString::fromLocal8Bit(ex.what())));
        }
        context.pop_back();
        inProgress.erase(uid);
        leave();
        if (!error.isEmpty())
            return nullptr;
        std::shared_ptr<ArchivableObject> object(std::move(made));
        decoded.emplace(uid, object);
        return object;
    }
};

namespace {

// Reading a document takes, at its peak, about five bytes of memory per
// byte of the file: the file itself, the text of each data block as the XML
// reader hands it over, the block decoded, and the buffers' columns made
// from it. Measured as the peak resident size of the program opening
// documents of one large buffer, less that of opening a small one: 217 MB
// for a file of 42.7 MB (two million points), 545 MB for 106.7 MB (five
// million), 5.1 bytes per byte both times. One more for what else the
// program holds meanwhile.
constexpr qint64 peakBytesPerInputByte = 6;

KeyedUnarchiver::Limits& standard()
{
    static KeyedUnarchiver::Limits limits;
    return limits;
}

} // namespace

qsizetype KeyedUnarchiver::largestInput()
{
    static const qsizetype largest = [] {
        const long pages = ::sysconf(_SC_PHYS_PAGES);
        const long pageSize = ::sysconf(_SC_PAGESIZE);
        qint64 memory = pages > 0 && pageSize > 0 ? qint64(pages) * pageSize : qint64(4) << 30;
        rlimit space = {};
        if (::getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY)
            memory = std::min(memory, qint64(space.rlim_cur));
        return qsizetype(std::max(memory / peakBytesPerInputByte, qint64(256) << 20));
    }();
    return largest;
}

const KeyedUnarchiver::Limits& KeyedUnarchiver::standardLimits()
{
    return standard();
}

void KeyedUnarchiver::setStandardLimits(const Limits& limits)
{
    standard() = limits;
}

KeyedUnarchiver::KeyedUnarchiver(const QByteArray& data)
        : KeyedUnarchiver(data, standardLimits())
{
}

KeyedUnarchiver::KeyedUnarchiver(const QByteArray& data, const Limits& limits)
        : d(std::make_unique<Impl>())
{
    d->q = this;
    d->limits = limits;
    d->open(data);
}

KeyedUnarchiver::~KeyedUnarchiver() = default;

void KeyedUnarchiver::registerClass(const QString& className, Factory factory)
{
    if (className.isEmpty() || !factory || KeyedArchiveFormat::isReservedClassName(className))
        return;
    d->factories.insert(className, std::move(factory));
}

bool KeyedUnarchiver::ok() const
{
    return d->error.isEmpty();
}

QString KeyedUnarchiver::errorString() const
{
    return d->error;
}

bool KeyedUnarchiver::exceededLimits() const
{
    return d->overLimit;
}

void KeyedUnarchiver::failWithError(const QString& message)
{
    d->fail(message);
}

bool KeyedUnarchiver::spendBytes(qint64 bytes)
{
    return d->error.isEmpty() && d->spendBytes(bytes);
}

std::shared_ptr<void>& KeyedUnarchiver::madeFrom(const void* value, int variant)
{
    return d->madeOfValues[{value, variant}];
}

bool KeyedUnarchiver::containsValueForKey(const QString& key) const
{
    return d->lookup(key) != nullptr;
}

QStringList KeyedUnarchiver::allKeys() const
{
    QStringList keys;
    if (!d->error.isEmpty() || d->context.empty())
        return keys;
    const Dict* c = d->context.back();
    for (qsizetype i = 0; i < c->size(); ++i) {
        const QString& k = c->keyAt(i);
        if (k.startsWith(QLatin1String("$$")))
            keys.push_back(k.mid(1));
        else if (!k.startsWith(QLatin1Char('$')))
            keys.push_back(k);
    }
    return keys;
}

int KeyedUnarchiver::decodeInt(const QString& key, int defaultValue)
{
    const Value* v = d->lookup(key);
    auto i = v ? v->asInteger() : std::nullopt;
    if (!i || *i < std::numeric_limits<int>::min() || *i > std::numeric_limits<int>::max())
        return defaultValue;
    return int(*i);
}

qint64 KeyedUnarchiver::decodeInt64(const QString& key, qint64 defaultValue)
{
    const Value* v = d->lookup(key);
    auto i = v ? v->asInteger() : std::nullopt;
    return i ? *i : defaultValue;
}

bool KeyedUnarchiver::decodeBool(const QString& key, bool defaultValue)
{
    const Value* v = d->lookup(key);
    auto b = v ? v->asBool() : std::nullopt;
    return b ? *b : defaultValue;
}

double KeyedUnarchiver::decodeDouble(const QString& key, double defaultValue)
{
    auto n = numberOf(d->lookup(key));
    return n ? *n : defaultValue;
}

QString KeyedUnarchiver::decodeString(const QString& key, const QString& defaultValue)
{
    auto s = d->stringOf(d->entryForKey(key));
    return s ? *s : defaultValue;
}

QByteArray KeyedUnarchiver::decodeBytes(const QString& key, const QByteArray& defaultValue)
{
    const Value* e = d->entryForKey(key);
    const QByteArray* b = e ? e->asData() : nullptr;
    return b ? *b : defaultValue;
}

std::shared_ptr<ArchivableObject> KeyedUnarchiver::decodeObjectBase(const QString& key)
{
    const Value* v = d->lookup(key);
    auto uid = v ? v->asUid() : std::nullopt;
    if (!uid)
        return nullptr;
    bool wrongType = false;
    return d->objectAt(*uid, wrongType);
}

std::vector<std::shared_ptr<ArchivableObject>> KeyedUnarchiver::decodeObjectArrayBase(const QString& key)
{
    const PropertyList::Array* refs = d->arrayItems(d->entryForKey(key));
    if (!refs || !d->spend(refs->size()))
        return {};
    std::vector<std::shared_ptr<ArchivableObject>> out;
    for (const Value& ref : *refs) {
        auto uid = ref.asUid();
        if (!uid)
            return {};
        if (*uid == 0)
            continue;
        bool wrongType = false;
        auto object = d->objectAt(*uid, wrongType);
        if (!d->error.isEmpty() || wrongType)
            return {};
        if (object)
            out.push_back(std::move(object));
    }
    return out;
}

QVariantList KeyedUnarchiver::decodeArray(const QString& key)
{
    auto list = d->listOf(d->entryForKey(key));
    return list && d->error.isEmpty() ? *list : QVariantList();
}

QVariantMap KeyedUnarchiver::decodeDictionary(const QString& key)
{
    auto map = d->mapOf(d->entryForKey(key));
    return map && d->error.isEmpty() ? *map : QVariantMap();
}

std::vector<double> KeyedUnarchiver::decodeDoubleArray(const QString& key)
{
    const PropertyList::Array* refs = d->arrayItems(d->entryForKey(key));
    if (!refs || !d->spend(refs->size()) || !d->spendBytes(qint64(refs->size()) * qint64(sizeof(double))))
        return {};
    std::vector<double> out;
    out.reserve(refs->size());
    for (const Value& ref : *refs) {
        auto uid = ref.asUid();
        auto n = uid ? numberOf(d->entry(*uid)) : std::nullopt;
        if (!n)
            return {};
        out.push_back(*n);
    }
    return out;
}

std::optional<QColor> KeyedUnarchiver::decodeColor(const QString& key)
{
    const Dict* c = d->objectOfClass(d->entryForKey(key), KeyedArchiveFormat::colorClass);
    if (!c)
        return std::nullopt;
    double comps[4];
    const char* names[4] = {"r", "g", "b", "a"};
    for (int i = 0; i < 4; ++i) {
        auto n = numberOf(c->find(QLatin1String(names[i])));
        if (!n)
            return std::nullopt;
        comps[i] = *n;
    }
    return Color::rgb(comps[0], comps[1], comps[2], comps[3]);
}

std::optional<QFont> KeyedUnarchiver::decodeFont(const QString& key)
{
    const Dict* f = d->objectOfClass(d->entryForKey(key), KeyedArchiveFormat::fontClass);
    if (!f)
        return std::nullopt;
    const Value* nameRef = f->find(QStringLiteral("name"));
    auto uid = nameRef ? nameRef->asUid() : std::nullopt;
    std::optional<QString> name = uid ? d->stringOf(d->entry(*uid)) : std::nullopt;
    auto size = numberOf(f->find(QStringLiteral("size")));
    if (!name || name->trimmed().isEmpty() || !size || !std::isfinite(*size) || *size <= 0 || *size > 10000)
        return std::nullopt;
    if (auto font = Font::withName(*name, *size))
        return font;
    QFont font;
    font.setFamilies(QStringList{*name});
    font.setPointSizeF(*size);
    return font;
}

QImage KeyedUnarchiver::decodeImage(const QString& key)
{
    const Dict* i = d->objectOfClass(d->entryForKey(key), KeyedArchiveFormat::imageClass);
    const Value* ref = i ? i->find(QStringLiteral("png")) : nullptr;
    auto uid = ref ? ref->asUid() : std::nullopt;
    const Value* e = uid ? d->entry(*uid) : nullptr;
    const QByteArray* png = e ? e->asData() : nullptr;
    if (!png)
        return QImage();
    // A few bytes of PNG can describe a huge image, and one image record may
    // be referenced from many places: its pixels count against the budget
    // before they are made. (The image reader also refuses any single image
    // past its own allocation limit.)
    QBuffer device;
    device.setData(*png);
    QImageReader reader(&device, "PNG");
    const QSize size = reader.size();
    if (!size.isValid() || !d->spendBytes(qint64(size.width()) * qint64(size.height()) * 4))
        return QImage();
    return reader.read();
}
