#include "util/HtmlNesting.h"

#include <QHash>
#include <QStringView>

#include <optional>
#include <vector>

namespace HtmlNesting {

namespace {

// A word as the toolkit's reader takes it: in double quotes, in single
// quotes (closed only by a quote before a space or ">"), or up to a space,
// "<", ">", "=" or "/>".
struct Word {
    QStringView text;
    QChar quote; // null when unquoted
};

class Reader {
public:
    explicit Reader(const QString& html)
            : s_(html)
    {
    }

    bool atEnd() const { return at_ >= s_.size(); }
    QChar peek(qsizetype ahead = 0) const { return at_ + ahead < s_.size() ? s_[at_ + ahead] : QChar(); }
    qsizetype at() const { return at_; }
    void skip(qsizetype n = 1) { at_ += n; }

    void skipSpace()
    {
        while (!atEnd() && s_[at_].isSpace())
            ++at_;
    }

    // Past the next ">", whether a "/" came before it.
    bool skipToTagEnd()
    {
        bool closed = false;
        while (!atEnd() && s_[at_] != QLatin1Char('>')) {
            if (s_[at_] == QLatin1Char('/'))
                closed = true;
            ++at_;
        }
        ++at_;
        return closed;
    }

    // Past the next occurrence of `end`, or to the end; what lay before it.
    QStringView upTo(QStringView end)
    {
        const qsizetype found = QStringView(s_).indexOf(end, at_);
        const qsizetype stop = found < 0 ? s_.size() : found;
        const QStringView inside = QStringView(s_).mid(at_, stop - at_);
        at_ = found < 0 ? s_.size() : found + end.size();
        return inside;
    }

    Word word()
    {
        const QChar first = peek();
        if (first == QLatin1Char('"')) {
            const qsizetype start = ++at_;
            while (!atEnd() && s_[at_] != QLatin1Char('"'))
                ++at_;
            const QStringView text = QStringView(s_).mid(start, at_ - start);
            if (!atEnd())
                ++at_;
            return {text, first};
        }
        if (first == QLatin1Char('\'')) {
            const qsizetype start = ++at_;
            while (!atEnd()) {
                const QChar c = s_[at_++];
                if (c == QLatin1Char('\'') && s_.size() > at_ + 1
                    && (s_[at_] == QLatin1Char(' ') || s_[at_] == QLatin1Char('>')))
                    return {QStringView(s_).mid(start, at_ - 1 - start), first};
            }
            return {QStringView(s_).mid(start), first};
        }
        const qsizetype start = at_;
        while (!atEnd()) {
            const QChar c = s_[at_];
            if (c == QLatin1Char('>') || (c == QLatin1Char('/') && peek(1) == QLatin1Char('>'))
                || c == QLatin1Char('<') || c == QLatin1Char('=') || c.isSpace())
                break;
            ++at_;
        }
        return {QStringView(s_).mid(start, at_ - start), QChar()};
    }

private:
    const QString& s_;
    qsizetype at_ = 0;
};

// A name or key that reads back as itself when written plainly.
bool plainName(QStringView name)
{
    if (name.isEmpty())
        return false;
    for (QChar c : name)
        if (c.isSpace() || QStringView(u"<>=/\"'&").contains(c))
            return false;
    return true;
}

bool holdsNothing(const QString& name)
{
    return name == QLatin1String("img") || name == QLatin1String("hr") || name == QLatin1String("br")
        || name == QLatin1String("meta");
}

// An attribute value for double quotes. The reader resolves entities in
// double quotes and bare values, not in single quotes.
void appendValue(QString& out, const Word& value)
{
    for (QChar c : value.text) {
        if (c == QLatin1Char('"'))
            out += QLatin1String("&quot;");
        else if (c == QLatin1Char('&') && value.quote == QLatin1Char('\''))
            out += QLatin1String("&amp;");
        else
            out += c;
    }
}

struct Open {
    QString name;
    bool kept;
};

class Limiter {
public:
    Limiter(const QString& html, int depth)
            : r_(html)
            , depth_(depth)
    {
        out_.reserve(html.size());
    }

    QString run(const QString& html)
    {
        while (!r_.atEnd()) {
            const qsizetype lt = html.indexOf(QLatin1Char('<'), r_.at());
            if (lt < 0) {
                out_ += QStringView(html).mid(r_.at());
                break;
            }
            out_ += QStringView(html).mid(r_.at(), lt - r_.at());
            r_.skip(lt + 1 - r_.at());
            r_.skipSpace();
            if (r_.peek() == QLatin1Char('!'))
                declaration();
            else if (r_.peek() == QLatin1Char('/'))
                endTag();
            else
                startTag();
        }
        while (!open_.empty())
            pop();
        return std::move(out_);
    }

private:
    void declaration()
    {
        r_.skip();
        if (r_.peek() == QLatin1Char('-') && r_.peek(1) == QLatin1Char('-')) {
            r_.skip(2);
            out_ += QLatin1String("<!--");
            out_ += r_.upTo(u"-->");
            out_ += QLatin1String("-->");
        } else {
            out_ += QLatin1String("<!");
            out_ += r_.upTo(u">");
            out_ += QLatin1Char('>');
        }
    }

    void startTag()
    {
        const Word name = r_.word();
        QString tag = QLatin1Char('<') + name.text.toString();
        const bool spaced = r_.peek().isSpace();
        while (spaced && !r_.atEnd()) {
            r_.skipSpace();
            if (r_.atEnd() || r_.peek() == QLatin1Char('>') || r_.peek() == QLatin1Char('/'))
                break;
            const Word key = r_.word();
            if (key.text.isEmpty())
                break;
            r_.skipSpace();
            std::optional<Word> value;
            if (r_.peek() == QLatin1Char('=')) {
                r_.skip();
                r_.skipSpace();
                value = r_.word();
            }
            if (!plainName(key.text))
                continue;
            tag += QLatin1Char(' ');
            tag += key.text;
            if (value) {
                tag += QLatin1String("=\"");
                appendValue(tag, *value);
                tag += QLatin1Char('"');
            }
        }
        const bool closed = r_.skipToTagEnd();
        if (!plainName(name.text) || name.quote != QChar())
            return;
        QString lower = name.text.toString().toLower();
        if (closed || holdsNothing(lower)) {
            out_ += tag + (closed ? QLatin1String(" />") : QLatin1String(">"));
            return;
        }
        const bool kept = kept_ < depth_;
        if (kept) {
            out_ += tag + QLatin1Char('>');
            ++kept_;
        }
        ++named_[lower];
        open_.push_back({std::move(lower), kept});
    }

    void endTag()
    {
        r_.skip();
        const QString name = r_.word().text.toString().toLower().trimmed();
        r_.skipToTagEnd();
        auto count = named_.find(name);
        if (count == named_.end() || *count == 0)
            return;
        while (!open_.empty()) {
            const bool match = open_.back().name == name;
            pop();
            if (match)
                break;
        }
    }

    void pop()
    {
        Open& e = open_.back();
        if (e.kept) {
            out_ += QLatin1String("</") + e.name + QLatin1Char('>');
            --kept_;
        }
        --named_[e.name];
        open_.pop_back();
    }

    Reader r_;
    const int depth_;
    QString out_;
    std::vector<Open> open_;
    QHash<QString, int> named_;
    int kept_ = 0;
};

} // namespace

QString limited(const QString& html, int depth)
{
    return Limiter(html, depth).run(html);
}

} // namespace HtmlNesting
