#include "platform/PropertyList.h"

#include "platform/CNumber.h"

#include <QXmlStreamReader>

#include <charconv>
#include <cmath>
#include <cstring>

namespace PropertyList {

// --- Dict --------------------------------------------------------------------

namespace {
constexpr qsizetype kIndexFrom = 8;
const QString kUidKey = QStringLiteral("CF$UID");
} // namespace

Dict::Dict() = default;
Dict::~Dict() = default;
Dict::Dict(Dict&&) noexcept = default;
Dict& Dict::operator=(Dict&&) noexcept = default;

qsizetype Dict::indexOf(const QString& key) const
{
    if (!index_.isEmpty()) {
        auto it = index_.constFind(key);
        return it == index_.constEnd() ? -1 : it.value();
    }
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == key)
            return qsizetype(i);
    return -1;
}

void Dict::insert(const QString& key, Value value)
{
    const qsizetype at = indexOf(key);
    if (at >= 0) {
        values_[std::size_t(at)] = std::move(value);
        return;
    }
    keys_.push_back(key);
    values_.push_back(std::move(value));
    const qsizetype n = qsizetype(keys_.size());
    if (n == kIndexFrom) {
        for (qsizetype i = 0; i < n; ++i)
            index_.insert(keys_[std::size_t(i)], i);
    } else if (n > kIndexFrom) {
        index_.insert(key, n - 1);
    }
}

const Value* Dict::find(const QString& key) const
{
    const qsizetype at = indexOf(key);
    return at < 0 ? nullptr : &values_[std::size_t(at)];
}

Value* Dict::find(const QString& key)
{
    const qsizetype at = indexOf(key);
    return at < 0 ? nullptr : &values_[std::size_t(at)];
}

const Value& Dict::valueAt(qsizetype i) const
{
    return values_[std::size_t(i)];
}

// --- Value -------------------------------------------------------------------

std::optional<qint64> Value::asInteger() const
{
    if (auto p = std::get_if<qint64>(&v_))
        return *p;
    return std::nullopt;
}

std::optional<double> Value::asReal() const
{
    if (auto p = std::get_if<double>(&v_))
        return *p;
    return std::nullopt;
}

std::optional<bool> Value::asBool() const
{
    if (auto p = std::get_if<bool>(&v_))
        return *p;
    return std::nullopt;
}

std::optional<std::uint32_t> Value::asUid() const
{
    if (auto p = std::get_if<Uid>(&v_))
        return p->index;
    return std::nullopt;
}

const Dict* Value::asDict() const
{
    auto p = std::get_if<std::unique_ptr<Dict>>(&v_);
    return p ? p->get() : nullptr;
}

Dict* Value::asDict()
{
    auto p = std::get_if<std::unique_ptr<Dict>>(&v_);
    return p ? p->get() : nullptr;
}

// --- reading -----------------------------------------------------------------

namespace {

class Reader {
public:
    Reader(const QByteArray& data, const ReadLimits& limits)
            : xml_(data)
            , limits_(limits)
    {
    }

    std::optional<Value> document()
    {
        if (!openPlist())
            return std::nullopt;
        if (nextStructural() != QXmlStreamReader::StartElement) {
            fail(QStringLiteral("the property list holds no value"));
            return std::nullopt;
        }
        std::optional<Value> root = value(1);
        if (!root)
            return std::nullopt;
        if (nextStructural() != QXmlStreamReader::EndElement) {
            fail(QStringLiteral("the property list holds more than one value"));
            return std::nullopt;
        }
        if (!closeDocument())
            return std::nullopt;
        return root;
    }

    const QString& error() const { return error_; }
    bool overLimit() const { return overLimit_; }

private:
    bool fail(const QString& message)
    {
        if (error_.isEmpty()) {
            error_ = message;
            if (xml_.lineNumber() > 0)
                error_ += QStringLiteral(" (line %1)").arg(xml_.lineNumber());
        }
        return false;
    }

    bool failXml()
    {
        QString message = xml_.hasError() ? xml_.errorString() : QStringLiteral("unexpected XML content");
        while (message.endsWith(QLatin1Char('.')))
            message.chop(1);
        return fail(message);
    }

    bool openPlist()
    {
        for (;;) {
            switch (xml_.readNext()) {
            case QXmlStreamReader::StartDocument: {
                // Property lists are UTF-8. Other declared encodings go
                // through decoders that disagree with the writer (or with
                // each other) about what the bytes say.
                const QStringView encoding = xml_.documentEncoding();
                if (!encoding.isEmpty() && encoding.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0)
                    return fail(QStringLiteral("only UTF-8 property lists can be read"));
                continue;
            }
            case QXmlStreamReader::Comment:
            case QXmlStreamReader::ProcessingInstruction:
                continue;
            case QXmlStreamReader::DTD:
                // Internal entities are the classic way to make a small file
                // expand into a huge one; a property list never needs them.
                if (!xml_.entityDeclarations().isEmpty())
                    return fail(QStringLiteral("entity declarations are not allowed"));
                continue;
            case QXmlStreamReader::Characters:
                if (xml_.isWhitespace())
                    continue;
                return fail(QStringLiteral("text before the property list"));
            case QXmlStreamReader::StartElement:
                if (xml_.qualifiedName() != QLatin1String("plist"))
                    return fail(QStringLiteral("not a property list"));
                return true;
            case QXmlStreamReader::Invalid:
                return failXml();
            default:
                return fail(QStringLiteral("not a property list"));
            }
        }
    }

    bool closeDocument()
    {
        for (;;) {
            switch (xml_.readNext()) {
            case QXmlStreamReader::EndDocument:
                return true;
            case QXmlStreamReader::Comment:
            case QXmlStreamReader::ProcessingInstruction:
                continue;
            case QXmlStreamReader::Characters:
                if (xml_.isWhitespace())
                    continue;
                return fail(QStringLiteral("text after the property list"));
            case QXmlStreamReader::Invalid:
                return failXml();
            default:
                return fail(QStringLiteral("content after the property list"));
            }
        }
    }

    // The next element boundary inside a container; white space, comments and
    // processing instructions are skipped, anything else is an error
    // (reported as NoToken).
    QXmlStreamReader::TokenType nextStructural()
    {
        for (;;) {
            const auto t = xml_.readNext();
            switch (t) {
            case QXmlStreamReader::StartElement:
            case QXmlStreamReader::EndElement:
                return t;
            case QXmlStreamReader::Comment:
            case QXmlStreamReader::ProcessingInstruction:
                continue;
            case QXmlStreamReader::Characters:
                if (xml_.isWhitespace())
                    continue;
                fail(QStringLiteral("unexpected text"));
                return QXmlStreamReader::NoToken;
            case QXmlStreamReader::Invalid:
                failXml();
                return QXmlStreamReader::NoToken;
            default:
                fail(QStringLiteral("unexpected XML content"));
                return QXmlStreamReader::NoToken;
            }
        }
    }

    // The text of a leaf element, up to its end tag, handed to append piece
    // by piece.
    template <class Append> bool readText(Append append)
    {
        for (;;) {
            switch (xml_.readNext()) {
            case QXmlStreamReader::Characters:
                append(xml_.text());
                continue;
            case QXmlStreamReader::Comment:
            case QXmlStreamReader::ProcessingInstruction:
                continue;
            case QXmlStreamReader::EndElement:
                return true;
            case QXmlStreamReader::StartElement:
                return fail(QStringLiteral("an element inside a text or number"));
            case QXmlStreamReader::EntityReference:
                return fail(QStringLiteral("an unresolved entity"));
            case QXmlStreamReader::Invalid:
                return failXml();
            default:
                return fail(QStringLiteral("unexpected XML content"));
            }
        }
    }

    bool text(QString& out)
    {
        out.clear();
        return readText([&](QStringView piece) { out += piece; });
    }

    bool count()
    {
        if (++elements_ > limits_.maxElements) {
            overLimit_ = true;
            return fail(
                QStringLiteral("the property list has more than %1 elements").arg(limits_.maxElements));
        }
        return true;
    }

    std::optional<Value> value(int depth)
    {
        if (depth > limits_.maxDepth) {
            overLimit_ = true;
            fail(QStringLiteral("the property list is nested more than %1 deep").arg(limits_.maxDepth));
            return std::nullopt;
        }
        if (!count())
            return std::nullopt;
        const QStringView name = xml_.qualifiedName();
        if (name == QLatin1String("dict"))
            return dict(depth);
        if (name == QLatin1String("array"))
            return array(depth);

        enum Leaf { String, Data, Integer, Real, True, False } leaf;
        if (name == QLatin1String("string"))
            leaf = String;
        else if (name == QLatin1String("data"))
            leaf = Data;
        else if (name == QLatin1String("integer"))
            leaf = Integer;
        else if (name == QLatin1String("real"))
            leaf = Real;
        else if (name == QLatin1String("true"))
            leaf = True;
        else if (name == QLatin1String("false"))
            leaf = False;
        else {
            fail(QStringLiteral("unknown element <%1>").arg(name));
            return std::nullopt;
        }
        if (leaf == Data) {
            // Data blocks can be most of a document; they go straight to
            // bytes. Characters outside Latin-1 become '?', which base64
            // refuses.
            QByteArray base64;
            if (!readText([&](QStringView piece) { base64 += piece.toLatin1(); }))
                return std::nullopt;
            return data(std::move(base64));
        }
        QString t;
        if (!text(t))
            return std::nullopt;
        switch (leaf) {
        case String:
            return Value::fromString(t);
        case Data: // read above
            return std::nullopt;
        case Integer:
            return integer(t);
        case Real:
            return real(t);
        case True:
        case False:
            if (!t.trimmed().isEmpty()) {
                fail(QStringLiteral("text inside a boolean"));
                return std::nullopt;
            }
            return Value::fromBool(leaf == True);
        }
        return std::nullopt;
    }

    std::optional<Value> dict(int depth)
    {
        Dict d;
        const bool read = children([&] {
            if (xml_.qualifiedName() != QLatin1String("key")) {
                fail(QStringLiteral("a dictionary entry without a key"));
                return false;
            }
            QString key;
            if (!count() || !text(key))
                return false;
            if (nextStructural() != QXmlStreamReader::StartElement) {
                fail(QStringLiteral("the key \"%1\" has no value").arg(key.left(64)));
                return false;
            }
            std::optional<Value> v = value(depth + 1);
            if (!v)
                return false;
            d.insert(key, std::move(*v));
            return true;
        });
        if (!read)
            return std::nullopt;
        // {"CF$UID": n} is how the XML form spells an object reference.
        if (d.size() == 1 && d.keyAt(0) == kUidKey) {
            if (auto n = d.valueAt(0).asInteger()) {
                if (*n < 0 || *n > qint64(UINT32_MAX)) {
                    fail(QStringLiteral("an object reference out of range"));
                    return std::nullopt;
                }
                return Value::fromUid(std::uint32_t(*n));
            }
        }
        return Value::fromDict(std::move(d));
    }

    std::optional<Value> array(int depth)
    {
        Array a;
        const bool read = children([&] {
            std::optional<Value> v = value(depth + 1);
            if (!v)
                return false;
            a.push_back(std::move(*v));
            return true;
        });
        if (!read)
            return std::nullopt;
        return Value::fromArray(std::move(a));
    }

    // Reads the children of a dictionary or array up to its end tag; `child` reads one, called
    // on its start tag. False when a child fails or the tree is damaged.
    template <class Child> bool children(Child child)
    {
        for (;;) {
            const auto t = nextStructural();
            if (t == QXmlStreamReader::EndElement)
                return true;
            if (t != QXmlStreamReader::StartElement || !child())
                return false;
        }
    }

    std::optional<Value> data(QByteArray base64)
    {
        char* out = base64.data();
        for (const char c : std::as_const(base64)) {
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
                *out++ = c;
        }
        base64.truncate(out - base64.constData());
        auto decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
        if (decoded.decodingStatus != QByteArray::Base64DecodingStatus::Ok) {
            fail(QStringLiteral("damaged base64 data"));
            return std::nullopt;
        }
        return Value::fromData(decoded.decoded);
    }

    static bool ascii(const QString& text, std::string& out)
    {
        const QString t = text.trimmed();
        out.clear();
        out.reserve(std::size_t(t.size()));
        for (QChar c : t) {
            if (c.unicode() > 0x7f)
                return false;
            out.push_back(char(c.unicode()));
        }
        return !out.empty();
    }

    std::optional<Value> integer(const QString& text)
    {
        std::string s;
        if (ascii(text, s)) {
            const char* b = s.data();
            const char* e = b + s.size();
            if (*b == '+' && e - b > 1 && b[1] != '-')
                ++b;
            qint64 v = 0;
            auto [p, ec] = std::from_chars(b, e, v);
            if (ec == std::errc() && p == e)
                return Value::fromInteger(v);
        }
        fail(QStringLiteral("not an integer: \"%1\"").arg(text.left(64)));
        return std::nullopt;
    }

    std::optional<Value> real(const QString& text)
    {
        std::string s;
        double v = 0;
        if (ascii(text, s) && CNumber::parseExact(s, v))
            return Value::fromReal(v);
        fail(QStringLiteral("not a number: \"%1\"").arg(text.left(64)));
        return std::nullopt;
    }

    QXmlStreamReader xml_;
    const ReadLimits& limits_;
    qint64 elements_ = 0;
    bool overLimit_ = false;
    QString error_;
};

} // namespace

std::optional<Value> read(const QByteArray& xml, QString* error, const ReadLimits& limits, bool* overLimit)
{
    if (overLimit)
        *overLimit = false;
    auto report = [&](const QString& message) {
        if (error)
            *error = message;
        return std::nullopt;
    };
    if (xml.isEmpty())
        return report(QStringLiteral("no data"));
    if (xml.size() > limits.maxBytes) {
        if (overLimit)
            *overLimit = true;
        return report(QStringLiteral("the property list is too large"));
    }
    // Without a declaration the XML reader guesses UTF-16 or UTF-32 from the
    // first bytes; those are refused for the same reason as a declared
    // foreign encoding.
    const auto b = [&](int i) { return i < xml.size() ? quint8(xml[i]) : 0x20; };
    if ((b(0) == 0xFE && b(1) == 0xFF) || (b(0) == 0xFF && b(1) == 0xFE) || b(0) == 0 || b(1) == 0)
        return report(QStringLiteral("only UTF-8 property lists can be read"));
    Reader reader(xml, limits);
    std::optional<Value> v = reader.document();
    if (!v && overLimit)
        *overLimit = reader.overLimit();
    if (!v)
        return report(reader.error().isEmpty() ? QStringLiteral("not a property list") : reader.error());
    if (error)
        error->clear();
    return v;
}

// --- writing -----------------------------------------------------------------

namespace {

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

void indent(QByteArray& out, int n)
{
    out.append(n, '\t');
}

// Text content: markup characters escaped, a carriage return kept as a
// character reference (a literal one would be read back as a line feed), and
// characters that XML cannot hold replaced.
void appendText(QByteArray& out, const QString& text)
{
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* e = p + text.size();
    QString clean;
    clean.reserve(text.size());
    while (p < e) {
        char32_t c = *p++;
        if (QChar::isHighSurrogate(c) && p < e && QChar::isLowSurrogate(*p))
            c = QChar::surrogateToUcs4(char16_t(c), *p++);
        else if (QChar::isSurrogate(c))
            c = 0xFFFD;
        if (!isXmlChar(c))
            c = 0xFFFD;
        switch (c) {
        case '&':
            clean += QLatin1String("&amp;");
            break;
        case '<':
            clean += QLatin1String("&lt;");
            break;
        case '>':
            clean += QLatin1String("&gt;");
            break;
        case '\r':
            clean += QLatin1String("&#13;");
            break;
        default:
            clean += QChar::fromUcs4(c);
        }
    }
    out += clean.toUtf8();
}

void appendLeaf(QByteArray& out, int n, const char* tag, const QByteArray& content)
{
    indent(out, n);
    out += '<';
    out += tag;
    out += '>';
    out += content;
    out += "</";
    out += tag;
    out += ">\n";
}

QByteArray realText(double v)
{
    return QByteArray::fromStdString(CNumber::shortest(v));
}

} // namespace

bool isXmlText(const QString& text)
{
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* e = p + text.size();
    while (p < e) {
        char32_t c = *p++;
        if (QChar::isHighSurrogate(c)) {
            if (p == e || !QChar::isLowSurrogate(*p))
                return false;
            c = QChar::surrogateToUcs4(char16_t(c), *p++);
        } else if (QChar::isSurrogate(c)) {
            return false;
        }
        if (!isXmlChar(c))
            return false;
    }
    return true;
}

void appendXml(QByteArray& out, const Dict& dict, int n)
{
    if (dict.size() == 0) {
        indent(out, n);
        out += "<dict/>\n";
        return;
    }
    indent(out, n);
    out += "<dict>\n";
    for (qsizetype i = 0; i < dict.size(); ++i) {
        indent(out, n + 1);
        out += "<key>";
        appendText(out, dict.keyAt(i));
        out += "</key>\n";
        appendXml(out, dict.valueAt(i), n + 1);
    }
    indent(out, n);
    out += "</dict>\n";
}

void appendXml(QByteArray& out, const Value& v, int n)
{
    switch (v.type()) {
    case Type::String: {
        indent(out, n);
        out += "<string>";
        appendText(out, *v.asString());
        out += "</string>\n";
        break;
    }
    case Type::Data:
        appendLeaf(out, n, "data", v.asData()->toBase64());
        break;
    case Type::Integer:
        appendLeaf(out, n, "integer", QByteArray::number(*v.asInteger()));
        break;
    case Type::Real:
        appendLeaf(out, n, "real", realText(*v.asReal()));
        break;
    case Type::Bool:
        indent(out, n);
        out += *v.asBool() ? "<true/>\n" : "<false/>\n";
        break;
    case Type::Uid:
        indent(out, n);
        out += "<dict>\n";
        indent(out, n + 1);
        out += "<key>CF$UID</key>\n";
        appendLeaf(out, n + 1, "integer", QByteArray::number(*v.asUid()));
        indent(out, n);
        out += "</dict>\n";
        break;
    case Type::Array: {
        const Array& a = *v.asArray();
        indent(out, n);
        if (a.empty()) {
            out += "<array/>\n";
            break;
        }
        out += "<array>\n";
        for (const Value& item : a)
            appendXml(out, item, n + 1);
        indent(out, n);
        out += "</array>\n";
        break;
    }
    case Type::Dict:
        appendXml(out, *v.asDict(), n);
        break;
    }
}

QByteArray xmlHeader()
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n");
}

QByteArray xmlFooter()
{
    return QByteArrayLiteral("</plist>\n");
}

QByteArray write(const Value& root)
{
    QByteArray out = xmlHeader();
    appendXml(out, root, 0);
    out += xmlFooter();
    return out;
}

// --- comparing ---------------------------------------------------------------

bool equal(const Value& a, const Value& b)
{
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case Type::String:
        return *a.asString() == *b.asString();
    case Type::Data:
        return *a.asData() == *b.asData();
    case Type::Integer:
        return *a.asInteger() == *b.asInteger();
    case Type::Real: {
        const double x = *a.asReal(), y = *b.asReal();
        if (std::isnan(x) || std::isnan(y))
            return std::isnan(x) && std::isnan(y);
        return x == y && std::signbit(x) == std::signbit(y);
    }
    case Type::Bool:
        return *a.asBool() == *b.asBool();
    case Type::Uid:
        return *a.asUid() == *b.asUid();
    case Type::Array: {
        const Array& x = *a.asArray();
        const Array& y = *b.asArray();
        if (x.size() != y.size())
            return false;
        for (std::size_t i = 0; i < x.size(); ++i)
            if (!equal(x[i], y[i]))
                return false;
        return true;
    }
    case Type::Dict: {
        const Dict& x = *a.asDict();
        const Dict& y = *b.asDict();
        if (x.size() != y.size())
            return false;
        for (qsizetype i = 0; i < x.size(); ++i) {
            if (x.keyAt(i) != y.keyAt(i) || !equal(x.valueAt(i), y.valueAt(i)))
                return false;
        }
        return true;
    }
    }
    return false;
}

} // namespace PropertyList
