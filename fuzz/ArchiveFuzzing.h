#pragma once

// What the archive fuzzer does with one input, shared with the regression test
// that replays every input the fuzzer ever flagged (tests/fixtures/archive).
//
// Two small classes stand in for the model: FuzzNode carries every kind of
// value the coder offers plus nested objects and arrays of objects; FuzzLeaf
// is a second class, so arrays can mix classes. The input is decoded as if it
// were a document (FuzzNode's keys at the top level, plus a "root" object).
// When it decodes, it must also survive a trip through the writer: encoding
// what was read and reading that back gives the same values.

#include "platform/Font.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QImage>
#include <QVariant>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace ArchiveFuzzing {

class FuzzLeaf : public ArchivableObject {
public:
    int tag = 0;
    QString text;

    QString className() const override { return QStringLiteral("FuzzLeaf"); }
    void encodeWithCoder(KeyedArchiver& c) const override
    {
        c.encodeInt(QStringLiteral("tag"), tag);
        c.encodeString(QStringLiteral("text"), text);
    }
    static std::unique_ptr<ArchivableObject> initWithCoder(KeyedUnarchiver& c)
    {
        auto leaf = std::make_unique<FuzzLeaf>();
        leaf->tag = c.decodeInt(QStringLiteral("tag"), -1);
        leaf->text = c.decodeString(QStringLiteral("text"));
        return leaf;
    }
};

class FuzzNode : public ArchivableObject {
public:
    int i = 0;
    qint64 l = 0;
    bool b = false;
    double d = 0;
    QString s;
    QByteArray data;
    QVariantList list;
    QVariantMap map;
    std::vector<double> nums;
    std::optional<QColor> color;
    std::optional<QFont> font;
    QImage image;
    std::shared_ptr<ArchivableObject> child;
    std::vector<std::shared_ptr<ArchivableObject>> kids;

    QString className() const override { return QStringLiteral("FuzzNode"); }

    void encodeWithCoder(KeyedArchiver& c) const override
    {
        c.encodeInt(QStringLiteral("i"), i);
        c.encodeInt64(QStringLiteral("l"), l);
        c.encodeBool(QStringLiteral("b"), b);
        c.encodeDouble(QStringLiteral("d"), d);
        c.encodeString(QStringLiteral("s"), s);
        c.encodeBytes(QStringLiteral("data"), data);
        c.encodeArray(QStringLiteral("list"), list);
        c.encodeDictionary(QStringLiteral("map"), map);
        c.encodeDoubleArray(QStringLiteral("nums"), nums);
        if (color)
            c.encodeColor(QStringLiteral("color"), *color);
        if (font)
            c.encodeFont(QStringLiteral("font"), *font);
        c.encodeImage(QStringLiteral("image"), image);
        c.encodeObject(QStringLiteral("child"), child.get());
        c.encodeArrayOfObjects(QStringLiteral("kids"), kids);
    }

    void decodeFields(KeyedUnarchiver& c)
    {
        i = c.decodeInt(QStringLiteral("i"), 7);
        l = c.decodeInt64(QStringLiteral("l"), 7);
        b = c.decodeBool(QStringLiteral("b"), true);
        d = c.decodeDouble(QStringLiteral("d"), 0.5);
        s = c.decodeString(QStringLiteral("s"), QStringLiteral("none"));
        data = c.decodeBytes(QStringLiteral("data"));
        list = c.decodeArray(QStringLiteral("list"));
        map = c.decodeDictionary(QStringLiteral("map"));
        nums = c.decodeDoubleArray(QStringLiteral("nums"));
        color = c.decodeColor(QStringLiteral("color"));
        font = c.decodeFont(QStringLiteral("font"));
        image = c.decodeImage(QStringLiteral("image"));
        child = c.decodeObject<ArchivableObject>(QStringLiteral("child"));
        kids = c.decodeArrayOfObjects<ArchivableObject>(QStringLiteral("kids"));
        // Asking for a more specific class than the one stored must read as
        // missing, not as a wrongly typed object.
        if (auto leaf = c.decodeObject<FuzzLeaf>(QStringLiteral("child")); leaf && leaf != child)
            c.failWithError(QStringLiteral("the same reference decoded to two objects"));
        (void)c.decodeArrayOfObjects<FuzzLeaf>(QStringLiteral("kids"));
        (void)c.allKeys();
    }

    static std::unique_ptr<ArchivableObject> initWithCoder(KeyedUnarchiver& c)
    {
        auto node = std::make_unique<FuzzNode>();
        node->decodeFields(c);
        return node;
    }
};

inline void registerClasses(KeyedUnarchiver& u)
{
    u.registerClass(QStringLiteral("FuzzNode"), &FuzzNode::initWithCoder);
    u.registerClass(QStringLiteral("FuzzLeaf"), &FuzzLeaf::initWithCoder);
}

// A document-like decode: FuzzNode's keys at the top level and a root object.
struct Decoded {
    bool ok = false;
    QString error;
    FuzzNode top;
    std::shared_ptr<ArchivableObject> root;
};

inline Decoded decode(const QByteArray& bytes)
{
    Decoded out;
    KeyedUnarchiver u(bytes);
    registerClasses(u);
    out.top.decodeFields(u);
    out.root = u.decodeObject<ArchivableObject>(QStringLiteral("root"));
    out.ok = u.ok();
    out.error = u.errorString();
    return out;
}

inline QByteArray encode(const Decoded& d, bool* ok = nullptr)
{
    KeyedArchiver a;
    d.top.encodeWithCoder(a);
    a.encodeObject(QStringLiteral("root"), d.root.get());
    if (ok)
        *ok = a.ok();
    return a.encodedData();
}

// --- comparing what two decodes produced --------------------------------------

inline bool sameDouble(double x, double y)
{
    if (std::isnan(x) || std::isnan(y))
        return std::isnan(x) && std::isnan(y);
    return x == y && std::signbit(x) == std::signbit(y);
}

inline bool sameVariant(const QVariant& x, const QVariant& y)
{
    if (x.typeId() != y.typeId())
        return false;
    switch (x.typeId()) {
    case QMetaType::Double:
        return sameDouble(x.toDouble(), y.toDouble());
    case QMetaType::QVariantList: {
        const QVariantList a = x.toList(), b = y.toList();
        if (a.size() != b.size())
            return false;
        for (qsizetype k = 0; k < a.size(); ++k)
            if (!sameVariant(a[k], b[k]))
                return false;
        return true;
    }
    case QMetaType::QVariantMap: {
        const QVariantMap a = x.toMap(), b = y.toMap();
        if (a.keys() != b.keys())
            return false;
        for (auto it = a.constBegin(); it != a.constEnd(); ++it)
            if (!sameVariant(it.value(), b.value(it.key())))
                return false;
        return true;
    }
    default:
        return x == y;
    }
}

class Comparer {
public:
    bool same(const ArchivableObject* x, const ArchivableObject* y)
    {
        if (!x || !y)
            return !x && !y;
        // Shared objects must stay shared: the pairing of objects is one to one.
        auto fx = pairs_.find(x);
        if (fx != pairs_.end())
            return fx->second == y;
        if (reverse_.count(y))
            return false;
        pairs_.emplace(x, y);
        reverse_.emplace(y, x);
        auto lx = dynamic_cast<const FuzzLeaf*>(x);
        auto ly = dynamic_cast<const FuzzLeaf*>(y);
        if (lx || ly)
            return lx && ly && lx->tag == ly->tag && lx->text == ly->text;
        auto nx = dynamic_cast<const FuzzNode*>(x);
        auto ny = dynamic_cast<const FuzzNode*>(y);
        return nx && ny && sameNode(*nx, *ny);
    }

    bool sameNode(const FuzzNode& x, const FuzzNode& y)
    {
        if (x.i != y.i || x.l != y.l || x.b != y.b || !sameDouble(x.d, y.d) || x.s != y.s || x.data != y.data)
            return false;
        if (!sameVariant(QVariant(x.list), QVariant(y.list))
            || !sameVariant(QVariant(x.map), QVariant(y.map)))
            return false;
        if (x.nums.size() != y.nums.size())
            return false;
        for (std::size_t k = 0; k < x.nums.size(); ++k)
            if (!sameDouble(x.nums[k], y.nums[k]))
                return false;
        if (x.color.has_value() != y.color.has_value() || (x.color && x.color->rgba64() != y.color->rgba64()))
            return false;
        if (x.font.has_value() != y.font.has_value())
            return false;
        if (x.font
            && (Font::storedName(*x.font) != Font::storedName(*y.font)
                || !sameDouble(x.font->pointSizeF(), y.font->pointSizeF())))
            return false;
        if (x.image.isNull() != y.image.isNull())
            return false;
        if (!x.image.isNull()
            && x.image.convertToFormat(QImage::Format_RGBA64)
                != y.image.convertToFormat(QImage::Format_RGBA64))
            return false;
        if (!same(x.child.get(), y.child.get()) || x.kids.size() != y.kids.size())
            return false;
        for (std::size_t k = 0; k < x.kids.size(); ++k)
            if (!same(x.kids[k].get(), y.kids[k].get()))
                return false;
        return true;
    }

private:
    std::map<const ArchivableObject*, const ArchivableObject*> pairs_;
    std::map<const ArchivableObject*, const ArchivableObject*> reverse_;
};

struct Outcome {
    bool decoded = false; // the input was accepted
    bool roundTripped = true; // when accepted: written and read back unchanged
    QString error;
};

inline Outcome run(const QByteArray& bytes)
{
    Outcome out;
    Decoded first = decode(bytes);
    out.decoded = first.ok;
    out.error = first.error;
    if (!first.ok)
        return out;
    bool wrote = false;
    const QByteArray again = encode(first, &wrote);
    Decoded second = decode(again);
    Comparer cmp;
    out.roundTripped = wrote && second.ok && cmp.sameNode(first.top, second.top)
        && cmp.same(first.root.get(), second.root.get());
    if (!out.roundTripped)
        out.error = second.ok ? QStringLiteral("values changed in a write and read back") : second.error;
    return out;
}

} // namespace ArchiveFuzzing
