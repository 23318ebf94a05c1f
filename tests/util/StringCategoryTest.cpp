#include "util/StringCategory.h"

#include "platform/Color.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

namespace {

using namespace StringCategory;

std::string show(const QColor& c)
{
    return c.name(QColor::HexArgb).toStdString();
}

struct ColorCase {
    const char16_t* text;
    double r, g, b, a;
};

constexpr double k(int n)
{
    return n / 255.0;
}

TEST(StringCategoryColor, ReadsCodesAndWords)
{
    const ColorCase cases[] = {
        // six and eight digits, with or without "#", any case
        {u"#ff8000", 1, k(128), 0, 1},
        {u"ff8000", 1, k(128), 0, 1},
        {u"#FF8000", 1, k(128), 0, 1},
        {u"#80ff8000", 1, k(128), 0, k(128)},
        // one digit counts twice
        {u"#F80", 1, k(136), 0, 1},
        {u"#8F00", 1, 0, 0, k(136)},
        // lengths that are no code
        {u"#0123456789", 0, 0, 0, 1},
        {u"", 0, 0, 0, 1},
        {u"#", 0, 0, 0, 1},
        {u"12345", 0, 0, 0, 1},
        {u"16", 0, 0, 0, 1},
        {u"00", 0, 0, 0, 1},
        // words are case-sensitive; a non-word of three letters is a code, and a
        // digit that is no hexadecimal digit reads as 0
        {u"red", 1, 0, 0, 1},
        {u"Red", 0, k(238), k(221), 1},
        {u"fed", 1, k(238), k(221), 1},
        {u"#GG8000", 0, k(128), 0, 1},
        {u"#1G8000", k(1), k(128), 0, 1},
        // words win over codes, even when they look like one
        {u"ice", k(114), k(254), 1, 1},
        {u"sky", k(118), k(215), k(252), 1},
        {u"tin", k(146), k(146), k(146), 1},
        // every "#" goes first, wherever it stands
        {u"#red", 1, 0, 0, 1},
        {u"re#d", 1, 0, 0, 1},
        {u"##f#80#", 1, k(136), 0, 1},
        // numbers and crayons
        {u"10", 0.4, 0.4, 1, 1},
        {u"aqua", 0, k(152), k(248), 1},
        {u"maraschino", 1, k(32), k(26), 1},
        {u"licorice", 0, 0, 0, 1},
        {u"turquoise", 0, k(254), k(254), 1},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        const QColor got = color(text);
        const QColor want = Color::rgb(c.r, c.g, c.b, c.a);
        EXPECT_EQ(got, want) << text.toStdString() << ": got " << show(got) << ", want " << show(want);
        EXPECT_EQ(got.spec(), QColor::Rgb) << text.toStdString();
    }
}

TEST(StringCategoryColor, NumberedPalette)
{
    const double want[16][3] = {
        {0, 0, 0},
        {0.501961, 0, 0},
        {0, 0.250156, 0.504051},
        {0, 0.501961, 0.501961},
        {0.501961, 0, 0.501961},
        {0.501961, 0.501961, 0},
        {0.501961, 0.25098, 0},
        {0.25098, 0, 0.501961},
        {0.4, 0.4, 0.4},
        {1, 0.4, 0.4},
        {0.4, 0.4, 1},
        {0.4, 1, 0.8},
        {0.8, 0.4, 1},
        {0.8, 1, 0.4},
        {1, 0.8, 0.4},
        {0.501961, 0, 1},
    };
    for (int i = 0; i < 16; ++i) {
        const QString word = QString::number(i);
        EXPECT_EQ(color(word), Color::rgb(want[i][0], want[i][1], want[i][2])) << i;
        EXPECT_EQ(color(u'#' + word), color(word)) << i;
    }
    // Only the plain numeral is a number word.
    EXPECT_FALSE(namedColor("+1"));
    EXPECT_FALSE(namedColor("01"));
}

TEST(StringCategoryColor, NamedColorTable)
{
    std::set<std::string> words;
    for (const NamedColor& n : NamedColors) {
        EXPECT_TRUE(words.insert(n.word).second) << "duplicate " << n.word;
        const auto found = namedColor(QString::fromLatin1(n.word));
        ASSERT_TRUE(found) << n.word;
        EXPECT_EQ(*found, Color::rgb(n.red, n.green, n.blue)) << n.word;
        EXPECT_EQ(found->alphaF(), 1.f) << n.word;
    }
    EXPECT_EQ(words.size(), 72u);

    // The table keeps the exact double values, not rounded ones.
    auto entry = [](const char* w) {
        for (const NamedColor& n : NamedColors)
            if (std::string(n.word) == w)
                return n;
        return NamedColor{w, -1, -1, -1};
    };
    EXPECT_EQ(entry("blueberry").blue, 245.0 / 255.0);
    EXPECT_EQ(entry("2").green, 0.250156);
    EXPECT_EQ(entry("orange").green, 0.5);

    // namedColor is the bare table lookup: no "#" removal, no case folding.
    EXPECT_FALSE(namedColor("Red"));
    EXPECT_FALSE(namedColor("#red"));
    EXPECT_FALSE(namedColor(""));
}

TEST(StringCategoryColor, ComponentTakesOnlyWhatIsThere)
{
    struct Case {
        const char* text;
        unsigned start, length;
        double want;
    } const cases[] = {
        {"FF", 0, 2, 1},
        {"ff", 0, 2, 1},
        {"8", 0, 1, k(0x88)},
        {"A1", 1, 1, k(0x11)},
        {"1G", 0, 2, k(1)},
        {"G1", 0, 2, 0},
        {"", 0, 2, 0},
        {"ABC", 2, 2, k(0xC)}, // one of two digits exists
        {"ABC", 2, 5, k(0xCC)}, // any length but 2 doubles what it took
        {"ABC", 3, 1, 0},
        {"ABC", 7, 2, 0},
        {"ABC", UINT_MAX, UINT_MAX, 0},
        {"ABC", 0, 0, 0},
        {"FFFFFFFFFFFFFFFFFFFF", 0, 20, 1}, // long runs neither overflow nor exceed 1
        {"123", 0, 3, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(colorComponentFrom(QString::fromLatin1(c.text), c.start, c.length), c.want)
            << c.text << " " << c.start << " " << c.length;
}

TEST(StringCategorySplit, CutsAtBlanksAndTabsOnly)
{
    struct Case {
        const char16_t* text;
        QStringList want;
    } const cases[] = {
        {u"  a  b\tc ", {"a", "b", "c"}},
        {u"a\nb c", {"a\nb", "c"}},
        {u"a\r\nb", {"a\r\nb"}},
        {u"a\u00A0b\u2003c\u3000", {"a", "b", "c"}}, // Unicode space separators cut
        {u"a\u2028b", {"a\u2028b"}}, // a line separator does not
        {u"", {}},
        {u" \t ", {}},
        {u"word", {"word"}},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(split(text), c.want) << text.toStdString();
    }
}

TEST(StringCategorySplit, SeparatorPiecesAreTrimmed)
{
    struct Case {
        const char16_t* text;
        const char16_t* separator;
        QStringList want;
    } const cases[] = {
        {u" 12 ; ;3 ", u";", {"12", "3"}},
        {u"a\n;\r\n b\t;\u2028", u";", {"a", "b"}},
        {u"1::2::::3", u"::", {"1", "2", "3"}},
        {u"x;y", u",", {"x;y"}},
        {u"a b", u" ", {"a", "b"}},
        {u"", u";", {}},
        // no separator: the whole trimmed line, if anything is left
        {u"  a;b  ", u"", {"a;b"}},
        {u" \n ", u"", {}},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(splitWithSeparatore(text, QString::fromUtf16(c.separator)), c.want) << text.toStdString();
    }
}

} // namespace
