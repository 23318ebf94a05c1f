#include "app/Preferences.h"

#include "platform/Font.h"
#include "platform/UserDefaults.h"
#include "util/StringCategory.h"

namespace {

// clang-format off
const Preferences::FontKeys fontTable[Preferences::fontCount] = {
    {"TextFontName",   "TextFontSize",   18}, // AxisTitles
    {"NumFontName",    "NumFontSize",    14}, // AxisNumbers
    {"LegendFontName", "LegendFontSize", 14}, // Legend
};
// clang-format on

// The font stored under the keys; nothing when none is stored, it is no
// longer installed or its size is no size.
std::optional<QFont> storedFont(const UserDefaults& d, const Preferences::FontKeys& keys)
{
    const QString nk = QLatin1String(keys.nameKey);
    const QString sk = QLatin1String(keys.sizeKey);
    if (!d.contains(nk) || !d.contains(sk))
        return std::nullopt;
    return Font::withName(d.stringForKey(nk), double(d.floatForKey(sk)));
}

} // namespace

QString Preferences::defaultTimeFormat()
{
    return QStringLiteral("%Y-%m-%d %H:%M:%S");
}

QColor Preferences::builtInColor(int n)
{
    return StringCategory::color(QString::number(n));
}

std::array<QColor, Preferences::paletteSize> Preferences::builtInPalette()
{
    std::array<QColor, paletteSize> palette;
    for (int n = 0; n < paletteSize; ++n)
        palette[std::size_t(n)] = builtInColor(n);
    return palette;
}

std::array<QFont, Preferences::fontCount> Preferences::builtInFonts()
{
    std::array<QFont, fontCount> fonts;
    for (int i = 0; i < fontCount; ++i)
        fonts[std::size_t(i)] = Font::userFont(fontTable[i].fallbackSize);
    return fonts;
}

Preferences::FontKeys Preferences::fontKeys(DefaultFont font)
{
    return fontTable[font];
}

DocumentDefaults Preferences::documentDefaults() const
{
    DocumentDefaults d;
    d.titleFont = fonts[AxisTitles];
    d.numberFont = fonts[AxisNumbers];
    d.legendFont = fonts[Legend];
    return d;
}

QString Preferences::colorKey(int n)
{
    return QStringLiteral("IPcolor%1").arg(n);
}

Preferences Preferences::load(const UserDefaults& d)
{
    Preferences p;
    p.TDF = d.stringForKey(QStringLiteral("TDF"));
    if (p.TDF.isEmpty())
        p.TDF = defaultTimeFormat();
    if (d.contains(QStringLiteral("WindowToolbar")))
        p.windowToolbar = d.boolForKey(QStringLiteral("WindowToolbar"));
    if (d.contains(QStringLiteral("InitialDocument")))
        p.initialDocument = d.boolForKey(QStringLiteral("InitialDocument"));
    for (int n = 0; n < paletteSize; ++n)
        if (auto c = d.colorForKey(colorKey(n)))
            p.colors[std::size_t(n)] = *c;
    // A font not stored, or no longer usable, stays the built-in one.
    for (int i = 0; i < fontCount; ++i)
        if (auto f = storedFont(d, fontTable[i]))
            p.fonts[std::size_t(i)] = *f;
    return p;
}

void Preferences::saveTimeFormat(UserDefaults& d) const
{
    d.setValue(QStringLiteral("TDF"), TDF);
    d.synchronize();
}

void Preferences::saveWindowToolbar(UserDefaults& d) const
{
    d.setValue(QStringLiteral("WindowToolbar"), windowToolbar);
    d.synchronize();
}

void Preferences::saveInitialDocument(UserDefaults& d) const
{
    d.setValue(QStringLiteral("InitialDocument"), initialDocument);
    d.synchronize();
}

void Preferences::saveColor(UserDefaults& d, int n) const
{
    d.setColor(colorKey(n), colors[std::size_t(n)]);
    d.synchronize();
}

void Preferences::saveFont(UserDefaults& d, DefaultFont font) const
{
    const FontKeys& k = fontTable[font];
    const QFont& f = fonts[std::size_t(font)];
    d.setValue(QLatin1String(k.nameKey), Font::storedName(f));
    d.synchronize();
    // The store keeps sizes in single precision.
    d.setValue(QLatin1String(k.sizeKey), double(float(f.pointSizeF())));
    d.synchronize();
}

void Preferences::forgetColors(UserDefaults& d)
{
    for (int n = 0; n < paletteSize; ++n)
        d.removeObjectForKey(colorKey(n));
    d.synchronize();
}
