#include "platform/Font.h"

#include <QFontDatabase>
#include <QStringList>

#include <cmath>

namespace Font {

namespace {

struct Face {
    QString family;
    bool bold = false;
    bool italic = false;
};

// The standard PostScript families and their metric stand-ins.
QString mapPostScriptFamily(const QString& family)
{
    static const std::pair<const char*, const char*> table[] = {
        {"Helvetica", "Nimbus Sans"},
        {"Helvetica Neue", "Nimbus Sans"},
        {"Arial", "Nimbus Sans"},
        {"Times", "Nimbus Roman"},
        {"Times New Roman", "Nimbus Roman"},
        {"Courier", "Nimbus Mono PS"},
        {"Courier New", "Nimbus Mono PS"},
        {"Symbol", "Standard Symbols PS"},
        {"Lucida Grande", "DejaVu Sans"},
    };
    for (const auto& [ps, real] : table)
        if (family.compare(QLatin1String(ps), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(real);
    return family;
}

// The database lists a family once per foundry when several carry it:
// "Nimbus Sans [urw]", "Nimbus Sans [UKWN]".
QString withoutFoundry(const QString& family)
{
    const int bracket = family.indexOf(QLatin1String(" ["));
    return bracket > 0 && family.endsWith(QLatin1Char(']')) ? family.left(bracket) : family;
}

bool hasFamily(const QString& family)
{
    const QStringList families = QFontDatabase::families();
    for (const QString& f : families)
        if (f.compare(family, Qt::CaseInsensitive) == 0
            || withoutFoundry(f).compare(family, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

std::optional<Face> resolve(const QString& rawName)
{
    const QString name = rawName.trimmed();
    if (name.isEmpty())
        return std::nullopt;
    if (hasFamily(name))
        return Face{name};
    const QString mapped = mapPostScriptFamily(name);
    if (mapped != name && hasFamily(mapped))
        return Face{mapped};
    // "Family-Style" PostScript names.
    const int dash = name.lastIndexOf(QLatin1Char('-'));
    if (dash > 0) {
        const QString family = mapPostScriptFamily(name.left(dash));
        const QString style = name.mid(dash + 1).toLower();
        static const QStringList known = {"roman",  "regular", "plain",      "medium",     "bold",
                                          "italic", "oblique", "bolditalic", "boldoblique"};
        if (known.contains(style) && hasFamily(family)) {
            Face f{family};
            f.bold = style.startsWith(QLatin1String("bold"));
            f.italic = style.contains(QLatin1String("italic")) || style.contains(QLatin1String("oblique"));
            return f;
        }
    }
    return std::nullopt;
}

QFont make(const Face& face, double size)
{
    QFont f(face.family);
    f.setPointSizeF(size);
    f.setBold(face.bold);
    f.setItalic(face.italic);
    return f;
}

bool usableSize(double size)
{
    return std::isfinite(size) && size > 0.0 && size <= 10000.0;
}

} // namespace

bool exists(const QString& name)
{
    return resolve(name).has_value();
}

std::optional<QFont> withName(const QString& name, double size)
{
    if (!usableSize(size))
        return std::nullopt;
    auto face = resolve(name);
    if (!face)
        return std::nullopt;
    return make(*face, size);
}

QFont userFont(double size)
{
    if (!usableSize(size))
        size = 12.0;
    if (auto f = withName(QStringLiteral("Helvetica"), size))
        return *f;
    QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    f.setPointSizeF(size);
    return f;
}

QString storedName(const QFont& font)
{
    QString name = font.family();
    if (font.bold() || font.italic()) {
        name += QLatin1Char('-');
        if (font.bold())
            name += QLatin1String("Bold");
        if (font.italic())
            name += QLatin1String("Italic");
    }
    return name;
}

} // namespace Font
