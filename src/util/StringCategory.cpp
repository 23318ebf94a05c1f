#include "util/StringCategory.h"

#include "platform/Color.h"

#include <QString>

#include <algorithm>
#include <utility>

namespace StringCategory {

namespace {
constexpr double c(int n)
{
    return n / 255.0;
}
} // namespace

const std::array<NamedColor, 72> NamedColors = {{
    {"black", 0, 0, 0},
    {"white", 1, 1, 1},
    {"red", 1, 0, 0},
    {"green", 0, 1, 0},
    {"blue", 0, 0, 1},
    {"orange", 1, 0.5, 0},
    {"yellow", 1, 1, 0},
    {"magenta", 1, 0, 1},
    {"cyan", 0, 1, 1},

    // The numbered palette keeps its long-standing decimals, which are not
    // all n/255 fractions, so that existing macros keep their shades.
    {"0", 0, 0, 0},
    {"1", 0.501961, 0, 0},
    {"2", 0, 0.250156, 0.504051},
    {"3", 0, 0.501961, 0.501961},
    {"4", 0.501961, 0, 0.501961},
    {"5", 0.501961, 0.501961, 0},
    {"6", 0.501961, 0.25098, 0},
    {"7", 0.25098, 0, 0.501961},
    {"8", 0.4, 0.4, 0.4},
    {"9", 1, 0.4, 0.4},
    {"10", 0.4, 0.4, 1},
    {"11", 0.4, 1, 0.8},
    {"12", 0.8, 0.4, 1},
    {"13", 0.8, 1, 0.4},
    {"14", 1, 0.8, 0.4},
    {"15", 0.501961, 0, 1},

    {"aluminum", c(170), c(170), c(170)},
    {"aqua", 0, c(152), c(248)},
    {"asparagus", c(146), c(144), c(44)},
    {"banana", 1, c(252), c(140)},
    {"blueberry", c(22), c(56), c(245)},
    {"bubblegum", 1, c(133), c(248)},
    {"cantaloupe", 1, c(212), c(134)},
    {"carnation", 1, c(138), c(212)},
    {"cayenne", c(148), c(13), c(10)},
    {"clover", 0, c(143), c(41)},
    {"eggplant", c(84), c(29), c(141)},
    {"fern", c(77), c(143), c(42)},
    {"flora", c(112), c(250), c(138)},
    {"grape", c(150), c(59), c(246)},
    {"honeydew", c(212), c(251), c(139)},
    {"ice", c(114), c(254), 1},
    {"iron", c(94), c(94), c(94)},
    {"lavender", c(217), c(132), c(248)},
    {"lead", c(33), c(33), c(33)},
    {"lemon", 1, c(251), c(84)},
    {"licorice", 0, 0, 0},
    {"lime", c(139), c(250), c(80)},
    {"magnesium", c(193), c(193), c(193)},
    {"maraschino", 1, c(32), c(26)},
    {"maroon", c(149), c(21), c(79)},
    {"mercury", c(235), c(235), c(235)},
    {"midnight", c(8), c(27), c(140)},
    {"mocha", c(148), c(81), c(24)},
    {"moss", 0, c(144), c(88)},
    {"nickel", c(146), c(146), c(146)},
    {"ocean", 0, c(84), c(142)},
    {"orchid", c(123), c(130), c(247)},
    {"plum", c(149), c(33), c(141)},
    {"salmon", 1, c(125), c(124)},
    {"seafoam", 0, c(251), c(158)},
    {"silver", c(214), c(214), c(214)},
    {"sky", c(118), c(215), c(252)},
    {"snow", 1, 1, 1},
    {"spindrift", c(113), c(253), c(217)},
    {"spring", 0, c(249), c(78)},
    {"steel", c(121), c(121), c(121)},
    {"strawberry", 1, c(45), c(143)},
    {"tangerine", 1, c(146), c(51)},
    {"teal", 0, c(145), c(146)},
    {"tin", c(146), c(146), c(146)},
    {"tungsten", c(66), c(66), c(66)},
    {"turquoise", 0, c(254), c(254)},
}};

std::optional<QColor> namedColor(const QString& word)
{
    for (const NamedColor& n : NamedColors) {
        if (word == QLatin1StringView(n.word))
            return Color::rgb(n.red, n.green, n.blue, 1.0);
    }
    return std::nullopt;
}

QStringList split(const QString& s)
{
    // Line breaks deliberately do not cut: an import line may carry one
    // inside a field, and that field must stay one word.
    auto isBlank = [](QChar ch) { return ch == u'\t' || ch.category() == QChar::Separator_Space; };
    QStringList words;
    qsizetype begin = 0;
    for (qsizetype i = 0; i <= s.size(); ++i) {
        if (i == s.size() || isBlank(s.at(i))) {
            if (i > begin)
                words.append(s.mid(begin, i - begin));
            begin = i + 1;
        }
    }
    return words;
}

QStringList splitWithSeparatore(const QString& s, const QString& separator)
{
    // QString::trimmed() removes exactly the white space and line breaks we
    // want gone: space separators, line and paragraph separators, tab to
    // carriage return, and NEL.
    QStringList pieces;
    if (separator.isEmpty()) {
        // An empty separator would cut between every character; the user
        // gave no separator, so the line is one piece.
        const QString t = s.trimmed();
        if (!t.isEmpty())
            pieces.append(t);
        return pieces;
    }
    for (const QString& piece : s.split(separator, Qt::KeepEmptyParts, Qt::CaseSensitive)) {
        const QString t = piece.trimmed();
        if (!t.isEmpty())
            pieces.append(t);
    }
    return pieces;
}

QColor color(const QString& s)
{
    QString text = s;
    text.remove(u'#');
    if (const auto named = namedColor(text))
        return *named;

    const QString code = text.toUpper();
    double a = 1, r = 0, g = 0, b = 0;
    switch (code.size()) {
    case 3:
        r = colorComponentFrom(code, 0, 1);
        g = colorComponentFrom(code, 1, 1);
        b = colorComponentFrom(code, 2, 1);
        break;
    case 4:
        a = colorComponentFrom(code, 0, 1);
        r = colorComponentFrom(code, 1, 1);
        g = colorComponentFrom(code, 2, 1);
        b = colorComponentFrom(code, 3, 1);
        break;
    case 6:
        r = colorComponentFrom(code, 0, 2);
        g = colorComponentFrom(code, 2, 2);
        b = colorComponentFrom(code, 4, 2);
        break;
    case 8:
        a = colorComponentFrom(code, 0, 2);
        r = colorComponentFrom(code, 2, 2);
        g = colorComponentFrom(code, 4, 2);
        b = colorComponentFrom(code, 6, 2);
        break;
    default:
        break;
    }
    return Color::rgb(r, g, b, a);
}

double colorComponentFrom(const QString& text, unsigned start, unsigned length)
{
    const qsizetype from = std::min<qsizetype>(start, text.size());
    const qsizetype count = std::min<qsizetype>(length, text.size() - from);
    QString digits = text.mid(from, count);
    if (length != 2)
        digits += digits;

    // Past 255 the component is full anyway; stopping there also keeps a long
    // run of digits from overflowing.
    unsigned value = 0;
    for (QChar ch : std::as_const(digits)) {
        const int d = ch >= u'0' && ch <= u'9' ? ch.unicode() - u'0'
            : ch >= u'A' && ch <= u'F'         ? ch.unicode() - u'A' + 10
            : ch >= u'a' && ch <= u'f'         ? ch.unicode() - u'a' + 10
                                               : -1;
        if (d < 0 || value > 255)
            break;
        value = value * 16 + unsigned(d);
    }
    return std::min(value / 255.0, 1.0);
}

} // namespace StringCategory
