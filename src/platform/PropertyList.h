#pragma once

// Property lists in their XML form: the value tree, a reader that takes
// untrusted bytes, and a writer whose output the reader takes back as the same
// tree. Keyed archives (documents, pasteboard data, stored lists) are built on
// this.
//
// The reader never trusts its input: every element is counted, the nesting is
// bounded, numbers must parse completely, data must be clean base64, only
// UTF-8 is read and entity declarations are refused, so a hostile file costs
// at most a bounded amount of memory and time and ends in an error text, never
// in a crash.

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace PropertyList {

// The order matches the alternatives of Value's variant.
enum class Type : std::uint8_t { String, Data, Integer, Real, Bool, Uid, Array, Dict };

// A reference to an entry of a keyed archive's object table. In the XML form it
// is the one-entry dictionary {"CF$UID": n}.
struct Uid {
    std::uint32_t index = 0;
};

class Value;
using Array = std::vector<Value>;

// Keys keep the order in which they were inserted; inserting an existing key
// replaces its value where it stands.
class Dict {
public:
    Dict();
    ~Dict();
    Dict(Dict&&) noexcept;
    Dict& operator=(Dict&&) noexcept;

    void insert(const QString& key, Value value);
    const Value* find(const QString& key) const;
    Value* find(const QString& key);
    qsizetype size() const { return qsizetype(keys_.size()); }
    const QString& keyAt(qsizetype i) const { return keys_[std::size_t(i)]; }
    const Value& valueAt(qsizetype i) const;

private:
    qsizetype indexOf(const QString& key) const;
    std::vector<QString> keys_;
    std::vector<Value> values_;
    // Built once a dictionary grows past a handful of keys, so that lookups in
    // a large (possibly hostile) dictionary stay cheap.
    QHash<QString, qsizetype> index_;
};

class Value {
public:
    Value() = default;
    static Value fromString(const QString& s) { return Value(Init{}, s); }
    static Value fromData(const QByteArray& d) { return Value(Init{}, d); }
    static Value fromInteger(qint64 i) { return Value(Init{}, i); }
    static Value fromReal(double d) { return Value(Init{}, d); }
    static Value fromBool(bool b) { return Value(Init{}, b); }
    static Value fromUid(std::uint32_t index) { return Value(Init{}, Uid{index}); }
    static Value fromArray(Array a) { return Value(Init{}, std::move(a)); }
    static Value fromDict(Dict d) { return Value(Init{}, std::make_unique<Dict>(std::move(d))); }

    Type type() const { return Type(v_.index()); }

    // Typed access: nothing (or nullptr) when the value is of another type.
    const QString* asString() const { return std::get_if<QString>(&v_); }
    const QByteArray* asData() const { return std::get_if<QByteArray>(&v_); }
    std::optional<qint64> asInteger() const;
    std::optional<double> asReal() const;
    std::optional<bool> asBool() const;
    std::optional<std::uint32_t> asUid() const;
    const Array* asArray() const { return std::get_if<Array>(&v_); }
    Array* asArray() { return std::get_if<Array>(&v_); }
    const Dict* asDict() const;
    Dict* asDict();

private:
    struct Init { };
    template <class T>
    Value(Init, T&& v)
            : v_(std::forward<T>(v))
    {
    }
    std::variant<QString, QByteArray, qint64, double, bool, Uid, Array, std::unique_ptr<Dict>> v_;
};

struct ReadLimits {
    qsizetype maxBytes = qsizetype(512) << 20;
    qint64 maxElements = 4'000'000; // values and keys together
    int maxDepth = 128; // nesting of arrays and dictionaries
};

// Parses an XML property list. On failure gives nothing and, when error is
// given, a one-line reason; overLimit, when given, tells whether the list
// failed for passing one of the limits (rather than for damage).
std::optional<Value> read(const QByteArray& xml, QString* error = nullptr, const ReadLimits& limits = {},
                          bool* overLimit = nullptr);

// The complete XML document for a value.
QByteArray write(const Value& root);

// The value's XML at the given indent (tabs), one element per line. Used by
// writers that assemble a document from pieces.
void appendXml(QByteArray& out, const Value& value, int indent);
void appendXml(QByteArray& out, const Dict& dict, int indent);
QByteArray xmlHeader(); // "<?xml ...?>" and the opening <plist> tag
QByteArray xmlFooter(); // the closing </plist> tag

// True when every character of the text can stand in an XML document. Text
// that cannot (most control characters, unpaired surrogates) must be stored
// some other way; the writer would replace those characters.
bool isXmlText(const QString& text);

// Deep equality; reals compare by value, with NaN equal to NaN and 0 unequal
// to -0, which is exactly what a write and read back preserves.
bool equal(const Value& a, const Value& b);

} // namespace PropertyList
