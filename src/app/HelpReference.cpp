#include "app/HelpReference.h"

#include "app/HelpTexts.h"
#include "expression/ExpressionCompiler.h"
#include "macro/MacroCommandTable.h"

#include <QMap>
#include <QStringList>

namespace {

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString head(const QString& title)
{
    return QStringLiteral("<html>\n<head><title>%1</title>"
                          "<link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\"></head>\n<body>\n"
                          "<p class=\"nav\"><a href=\"index.html\">Vexa Help</a> › %1</p>\n<h1>%1</h1>\n")
        .arg(escaped(title));
}

const char* const tail = "</body>\n</html>\n";

// What an argument letter of a command's signature asks for.
QString kindOf(QChar letter)
{
    switch (letter.unicode()) {
    case 'd':
        return QStringLiteral("number");
    case 'i':
        return QStringLiteral("integer");
    case 's':
        return QStringLiteral("text");
    case 'u':
        return QStringLiteral("text-or-number");
    case 'a':
        return QStringLiteral("axes");
    case 'b':
        return QStringLiteral("buffers");
    case 'r':
        return QStringLiteral("range");
    default:
        return QStringLiteral("value");
    }
}

const char* sectionTitle(MacroCommandTable::Section s)
{
    using S = MacroCommandTable::Section;
    switch (s) {
    case S::Scaling:
        return "Scaling";
    case S::Buffers:
        return "Buffers";
    case S::DataPoints:
        return "Data points";
    case S::ControlFlow:
        return "Conditions, loops and timers";
    case S::Interaction:
        return "Questions, messages and the console";
    case S::DataOperations:
        return "Data operations";
    case S::Page:
        return "The page";
    case S::BufferStyle:
        return "Buffer style";
    case S::Axes:
        return "Axes";
    case S::Legend:
        return "The legend";
    case S::TextsAndGraphics:
        return "Texts and graphics";
    case S::Files:
        return "Files, imports and exports";
    case S::Subviews:
        return "Sub-views";
    case S::Miscellany:
        return "Variables and the program";
    }
    return "";
}

// The command as it is written: its word and its arguments, the ones that
// may be left out in brackets. The names come from the description when it
// has one per argument (a last name ending in "…" stands for all the rest),
// otherwise the kinds stand in, a long run of one kind shown once.
QString usageOf(const MacroCommandForm& form, const HelpCommandText* text)
{
    const QString& sig = form.signature;
    const QString ellipsis = QStringLiteral("…");
    QStringList names;
    int restFrom = -1; // the argument from which one name stands for the rest
    if (text) {
        const QStringList given
            = QString::fromUtf8(text->arguments).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (given.size() == sig.size()) {
            names = given;
        } else if (!given.isEmpty() && given.back().endsWith(ellipsis) && given.size() <= sig.size()) {
            names = given;
            restFrom = int(given.size()) - 1;
        }
    }
    if (names.isEmpty() && sig.size() > 4 && sig.count(sig.front()) == sig.size()) {
        names = {kindOf(sig.front()) + QStringLiteral(" …")};
        restFrom = 0;
    }
    QString out = QStringLiteral("<b>%1</b>").arg(escaped(form.name));
    for (int i = 0; i < sig.size(); ++i) {
        const QString name = names.isEmpty() ? kindOf(sig[i]) : names[i];
        const QString arg = QStringLiteral("<i>%1</i>").arg(escaped(name));
        out += i < form.minimum ? QStringLiteral(" ") + arg : QStringLiteral(" [") + arg + QLatin1Char(']');
        if (i == restFrom)
            break;
    }
    return out;
}

} // namespace

namespace HelpReference {

QString commandsPage()
{
    const MacroCommandTable& table = MacroCommandTable::instance();
    const std::vector<const MacroCommandForm*> forms = table.forms();

    QString html = head(QStringLiteral("Command reference"));
    html += QStringLiteral(
        "<p>Every command of the <a href=\"macros.html\">macro language</a>, in the order Vexa tries "
        "them. Arguments in [brackets] may be left out. The kinds of argument:</p>\n<table>\n"
        "<tr><td><i>number</i>, <i>integer</i></td><td>an <a href=\"expressions.html\">expression</a>; "
        "integers are cut toward zero; <code>yes</code> and <code>no</code> are 1 and 0</td></tr>\n"
        "<tr><td><i>text</i></td><td>a word or 'quoted text'; <code>$name</code> is replaced by a string "
        "variable</td></tr>\n"
        "<tr><td><i>text-or-number</i></td><td>a number when it is an expression, else text</td></tr>\n"
        "<tr><td><i>axes</i></td><td>all, x, y, x1, y1, x2, y2, bottom, left, top, right, or 1 to "
        "4</td></tr>\n"
        "<tr><td><i>buffers</i></td><td>all, none, visible, hidden, selected, unselected, m..n or a "
        "list a,b,c</td></tr>\n"
        "<tr><td><i>range</i></td><td>N, m..n, start:end:step or a list a,b,c</td></tr>\n"
        "<tr><td><i>red green blue alpha</i></td><td>colour numbers from 0 to 1 (hue, saturation and "
        "brightness after colormode 1); <i>colour</i>: a colour name, a palette number 0 to 15 or "
        "#rrggbb</td></tr>\n</table>\n");

    // An index of every command word.
    QMap<QString, QString> words;
    for (const MacroCommandForm* f : forms)
        words.insert(f->name, f->name);
    QStringList links;
    for (const QString& w : words)
        links << QStringLiteral("<a href=\"#%1\">%1</a>").arg(escaped(w));
    html += QStringLiteral("<p>") + links.join(QStringLiteral(" · ")) + QStringLiteral("</p>\n");

    std::size_t at = 0;
    QStringList anchored;
    for (int s = 0; s < MacroCommandTable::SectionCount; ++s) {
        const auto section = MacroCommandTable::Section(s);
        const int count = table.sectionSize(section);
        if (count == 0)
            continue;
        html += QStringLiteral("<h2>%1</h2>\n<table>\n").arg(QLatin1String(sectionTitle(section)));
        for (int k = 0; k < count && at < forms.size(); ++k, ++at) {
            const MacroCommandForm& form = *forms[at];
            const HelpCommandText* text = HelpTexts::command(form.name, form.signature);
            QString anchor;
            if (!anchored.contains(form.name)) {
                anchored << form.name;
                anchor = QStringLiteral("<a name=\"%1\"></a>").arg(escaped(form.name));
            }
            QString what = text ? escaped(QString::fromUtf8(text->text)) : QString();
            if (!form.built)
                what += QStringLiteral(" <i>(not available in this version yet)</i>");
            html += QStringLiteral("<tr><td>%1<code>%2</code></td><td>%3</td></tr>\n")
                        .arg(anchor, usageOf(form, text), what);
        }
        html += QStringLiteral("</table>\n");
    }
    return html + QLatin1String(tail);
}

QString functionsPage()
{
    QString html = head(QStringLiteral("Function reference"));
    html += QStringLiteral(
        "<p>Every function, operator and constant of the <a href=\"expressions.html\">expression "
        "language</a>. <i>b</i> stands for a buffer number, <i>i</i> for a point number and <i>n</i> for "
        "an axis pair; the functions that read the graph give 0 where there is nothing to read.</p>\n");
    const struct {
        ExpressionKeywordForm form;
        const char* title;
        const char* note;
    } groups[] = {
        {ExpressionKeywordForm::Prefix, "Functions before their operand",
         "Written before the operand, as in <code>sin x</code> or <code>sin(x)</code>; they bind looser "
         "than <code>mod</code> and <code>^</code>, so <code>sin x^2</code> is the sine of x²."},
        {ExpressionKeywordForm::Operator, "Operators", "Besides + - * / % ^ and the minus sign."},
        {ExpressionKeywordForm::PrefixTight, "Functions binding tightly",
         "Also written before the operand, but binding tighter than <code>mod</code>: "
         "<code>sqrt x mod 2</code> is (sqrt x) mod 2."},
        {ExpressionKeywordForm::Call, "Functions with several arguments",
         "The arguments stand in parentheses, separated by semicolons."},
        {ExpressionKeywordForm::Constant, "Constants and values of the graph", "Written without arguments."},
    };
    const std::vector<ExpressionKeyword> keywords = expressionKeywords();
    for (const auto& g : groups) {
        html += QStringLiteral("<h2>%1</h2>\n<p>%2</p>\n<table>\n")
                    .arg(QLatin1String(g.title), QString::fromUtf8(g.note));
        for (const ExpressionKeyword& k : keywords) {
            if (k.form != g.form)
                continue;
            const QString name = QLatin1String(k.name);
            const HelpFunctionText* text = HelpTexts::function(name);
            const QString usage = text ? QString::fromUtf8(text->usage) : name;
            html += QStringLiteral("<tr><td><a name=\"%1\"></a><code>%2</code></td><td>%3</td></tr>\n")
                        .arg(escaped(name), escaped(usage),
                             text ? escaped(QString::fromUtf8(text->text)) : QString());
        }
        html += QStringLiteral("</table>\n");
    }
    return html + QLatin1String(tail);
}

QString page(const QString& fileName)
{
    if (fileName == QLatin1String("commands.html"))
        return commandsPage();
    if (fileName == QLatin1String("functions.html"))
        return functionsPage();
    return QString();
}

} // namespace HelpReference
