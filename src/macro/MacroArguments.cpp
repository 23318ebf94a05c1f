#include "macro/Macro.h"

#include "expression/Expression.h"
#include "macro/MacroHost.h"
#include "macro/MacroText.h"
#include "model/DocumentView.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/CNumber.h"
#include "util/NumberFormat.h"
#include "util/StringCategory.h"
#include "view/CalendarFormat.h"

#include <QDateTime>
#include <QDir>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <ctime>
#include <memory>
#include <set>

namespace {

QString gText(double v)
{
    return QString::fromStdString(CNumber::format("%g", v));
}

// The whole number at the start of a text, as a plain integer reader takes
// it: leading blanks, an optional sign, digits; nothing gives 0; values
// beyond an int saturate.
long long plainInteger(const QString& text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    long long v = 0;
    for (; i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        v = v * 10 + (text[i].unicode() - '0');
        if (v > INT_MAX)
            v = INT_MAX + 1LL;
    }
    v = negative ? -v : v;
    return std::clamp<long long>(v, INT_MIN, INT_MAX);
}

// The current date in the user's date format. Every command refreshes
// "date", so the format is parsed once per pattern and the text made once
// per millisecond (the finest a format shows).
const QString& dateText(const QString& pattern)
{
    static QString cachedPattern;
    static std::unique_ptr<CalendarFormat> format;
    static qint64 cachedMs = 0;
    static QString text;
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    if (!format || pattern != cachedPattern) {
        format = std::make_unique<CalendarFormat>(pattern);
        cachedPattern = pattern;
    } else if (ms == cachedMs) {
        return text;
    }
    // Seconds since 2001-01-01 00:00:00 UTC.
    text = format->format(double(ms) / 1000.0 - 978307200.0);
    cachedMs = ms;
    return text;
}

// Looked up once: the password file is read on every lookup, and every
// command of a run asks.
const QString& loginName()
{
    static const QString name = [] {
        if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name)
            return QString::fromLocal8Bit(pw->pw_name);
        return qEnvironmentVariable("USER");
    }();
    return name;
}

// The wall-clock time as "%H:%M:%S", worked out again only when the second
// has changed: the local time zone is looked up on the file system each time.
const QString& clockText()
{
    static std::time_t second = -1;
    static QString text;
    const std::time_t now = std::time(nullptr);
    if (now != second) {
        std::tm local{};
        char clock[16] = "";
        if (localtime_r(&now, &local))
            std::strftime(clock, sizeof clock, "%H:%M:%S", &local);
        text = QString::fromLatin1(clock);
        second = now;
    }
    return text;
}

} // namespace

int Macro::truncated(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(INT_MAX))
        return INT_MAX;
    if (value <= double(INT_MIN))
        return INT_MIN;
    return int(value);
}

// --- chk -------------------------------------------------------------------------------

void Macro::refreshStringVariables()
{
    if (!M)
        return;
    M->stringVariables().insert(QStringLiteral("date"), dateText(M->TDF()));
    M->stringVariables().insert(QStringLiteral("time"), clockText());
    M->stringVariables().insert(QStringLiteral("home"), QDir::homePath());
    M->stringVariables().insert(QStringLiteral("user"), loginName());
}

bool Macro::chk(const QString& command, const QString& signature, int minimum, const QStringList& tokens)
{
    // Whether the command may act without a document is the interpreter's
    // question (MacroCommandForm::needsDocument).
    if (tokens.isEmpty())
        return false;
    if (tokens.first().compare(command, Qt::CaseInsensitive) != 0)
        return false;

    S.clear();
    SS.clear();
    A.clear();
    B.clear();
    R.clear();
    I.fill(0);
    D.fill(0);
    O.fill(0);
    OK = 1;
    refreshStringVariables();

    const int n = int(tokens.size()) - 1;
    if (n < minimum || n > signature.size()) {
        macroError(QStringLiteral("Wrong number of arguments: %1\n").arg(echoedCommand(tokens)));
        ++ERR;
        return false;
    }
    const int count = std::min({n, int(signature.size()), SlotCount});
    for (int k = 1; k <= count; ++k) {
        const QChar letter = signature[k - 1];
        const int slot = k - 1;
        const QString& token = tokens[k];
        O[slot] = 1;
        SS << token;
        switch (letter.unicode()) {
        case 's':
        case 'u': {
            // A text that is no expression is no error here; an error that an
            // earlier argument or form counted stays counted.
            const int errors = ERR;
            const bool number = letter == QLatin1Char('u') && expr(token, slot, false);
            ERR = errors;
            if (number) {
                S << gText(D[slot]);
                break;
            }
            const std::optional<QString> text = convertText(token);
            if (!text) {
                macroError(QStringLiteral("Text longer than %1 characters: %2\n")
                               .arg(MacroText::maxLength)
                               .arg(echoedCommand(tokens)));
                ++ERR;
                return false;
            }
            S << *text;
            break;
        }
        case 'd':
        case 'i':
            S << QString();
            if (!expr(token, slot, true))
                return false;
            break;
        case 'a':
            S << QString();
            buildAxisSet(token);
            break;
        case 'b':
            S << QString();
            buildBufferSet(token);
            break;
        case 'r':
            S << QString();
            if (!buildLoopRange(token, tokens))
                return false;
            break;
        default:
            S << QString();
            break;
        }
        if (ERR > 0)
            return false;
    }
    return true;
}

QString Macro::echoedCommand(const QStringList& tokens)
{
    // mysqlimport host db user password port sql: the password is never
    // shown, whatever the message.
    QStringList shown = tokens;
    if (shown.size() > 4 && shown[0].compare(QLatin1String("mysqlimport"), Qt::CaseInsensitive) == 0)
        shown[4] = QStringLiteral("********");
    return shown.join(QLatin1Char(' '));
}

std::optional<QString> Macro::convertText(const QString& token) const
{
    return MacroText::convert(token, M ? &M->stringVariables() : nullptr);
}

// --- expressions ---------------------------------------------------------------------------

std::optional<double> Macro::evaluate(const QString& text, bool report, QString* error)
{
    Expression e;
    setupexpr(e);
    if (!report)
        e.setNoError();
    e.setNoAlert();
    QString t = text;
    if (t.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0)
        t = QStringLiteral("1");
    else if (t.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0)
        t = QStringLiteral("0");
    if (!e.parse(t)) {
        if (error)
            *error = e.err().isEmpty() ? Expression::errortext() : e.err();
        return std::nullopt;
    }
    const double v = e.resultValue();
    if (e.failed()) {
        if (error)
            *error = Expression::errortext();
        return std::nullopt;
    }
    return v;
}

bool Macro::expr(const QString& text, int slot, bool report)
{
    QString error;
    const std::optional<double> v = evaluate(text, report, &error);
    const bool inSlots = slot >= 0 && slot < SlotCount;
    if (v) {
        if (inSlots) {
            D[slot] = *v;
            I[slot] = truncated(*v);
        }
        return true;
    }
    if (inSlots) {
        D[slot] = 0;
        I[slot] = 0;
    }
    ++ERR;
    if (report)
        macroError(error + QLatin1Char('\n'));
    return false;
}

double Macro::exprval(const QString& text, bool report)
{
    QString error;
    const std::optional<double> v = evaluate(text, report, &error);
    if (v)
        return *v;
    if (report)
        macroError(error + QLatin1Char('\n'));
    return 0;
}

void Macro::setupexpr(Expression& e)
{
    if (!M)
        return;
    ManagerServices& services = M->services();
    if (PD) {
        auto set = [&services](const char* key, double value) { services.setVar(QLatin1String(key), value); };
        set("nb", PD->bufferCount());
        set("cb", PD->current);
        set("l", LOOPVAL);
        set("timercount", timercount);
        if (LOOPMODE == 3 && LOOPBUFFER >= 0 && LOOPBUFFER < PD->bufferCount()) {
            const DataBuffer& b = *PD->DB[std::size_t(LOOPBUFFER)];
            const int p = truncated(LOOPVAL);
            if (p >= 0 && p < b.nop()) {
                set("lx", b.xDoubleValueAt(p));
                set("ly", b.yDoubleValueAt(p));
                set("lxe", b.xDoubleErrorAt(p));
                set("lye", b.yDoubleErrorAt(p));
            }
        }
        const QSizeF view = PV ? PV->boundsSize() : QSizeF(0, 0);
        const VexaDocument* main = services.MPD;
        const QSizeF window = main && main->PV ? main->PV->boundsSize() : QSizeF(0, 0);
        set("textwidth", tw);
        set("textheight", th);
        set("framewidth", PD->page.framewidth);
        set("marginleft", PD->page.marginleft);
        set("marginright", PD->page.marginright);
        set("margintop", PD->page.margintop);
        set("marginbottom", PD->page.marginbottom);
        set("frameleft", PD->page.marginleft);
        set("frameright", view.width() - PD->page.marginright);
        set("frametop", view.height() - PD->page.margintop);
        set("framebottom", PD->page.marginbottom);
        set("viewwidth", view.width());
        set("viewheight", view.height());
        set("windowwidth", window.width());
        set("windowheight", window.height());
        set("input", doubleValueOf(M->inputPanelValue()));
        set("xmin1", PD->xmin1);
        set("xmax1", PD->xmax1);
        set("ymin1", PD->ymin1);
        set("ymax1", PD->ymax1);
        set("xmin2", PD->xmin2);
        set("xmax2", PD->xmax2);
        set("ymin2", PD->ymin2);
        set("ymax2", PD->ymax2);
        set("ut", double(std::time(nullptr)));
    }
    e.setVars(services.GV);
}

// --- colours ---------------------------------------------------------------------------------

QColor Macro::getColor(double c1, double c2, double c3) const
{
    return getColor(c1, c2, c3, 1.0);
}

QColor Macro::getColor(double c1, double c2, double c3, double alpha) const
{
    // Qt refuses components outside 0..1 (an invalid colour); the nearest
    // valid one is what the user meant.
    auto unit = [](double v) { return std::isnan(v) ? 0.0f : float(std::clamp(v, 0.0, 1.0)); };
    if (colormode == 0)
        return QColor::fromRgbF(unit(c1), unit(c2), unit(c3), unit(alpha));
    return QColor::fromHsvF(unit(c1), unit(c2), unit(c3), unit(alpha));
}

QColor Macro::colorFromWord(int slot) const
{
    return StringCategory::color(S.value(slot));
}

std::optional<QColor> Macro::colorFromNumbers(int slot, int alphaSlot) const
{
    if (slot < 0 || slot + 2 >= SlotCount)
        return std::nullopt;
    const auto at = [this](int k) { return D[std::size_t(k)]; };
    const bool withAlpha = alphaSlot >= 0 && alphaSlot < SlotCount && O[std::size_t(alphaSlot)];
    const double alpha = withAlpha ? at(alphaSlot) : 1.0;
    if (!std::isfinite(at(slot)) || !std::isfinite(at(slot + 1)) || !std::isfinite(at(slot + 2))
        || !std::isfinite(alpha))
        return std::nullopt;
    return withAlpha ? getColor(at(slot), at(slot + 1), at(slot + 2), alpha)
                     : getColor(at(slot), at(slot + 1), at(slot + 2));
}

// --- sets ---------------------------------------------------------------------------------------

std::vector<int> Macro::axisIndices() const
{
    std::vector<int> out;
    for (const QString& entry : A) {
        bool ok = false;
        const int i = entry.toInt(&ok);
        if (ok && i >= 0 && i < 4)
            out.push_back(i);
    }
    return out;
}

std::vector<int> Macro::bufferIndices() const
{
    std::vector<int> out;
    const int count = PD ? PD->bufferCount() : 0;
    for (const QString& entry : B) {
        bool ok = false;
        const int i = entry.toInt(&ok);
        if (ok && i >= 0 && i < count)
            out.push_back(i);
    }
    return out;
}

void Macro::buildAxisSet(const QString& token)
{
    A.clear();
    auto is
        = [&token](const char* word) { return token.compare(QLatin1String(word), Qt::CaseInsensitive) == 0; };
    QList<int> axes;
    if (is("all"))
        axes = {0, 1, 2, 3};
    else if (is("x"))
        axes = {0, 2};
    else if (is("y"))
        axes = {1, 3};
    else if (is("x1") || is("xb") || is("bottom"))
        axes = {0};
    else if (is("x2") || is("xt") || is("top"))
        axes = {2};
    else if (is("y1") || is("yl") || is("left"))
        axes = {1};
    else if (is("y2") || is("yr") || is("right"))
        axes = {3};
    else {
        const int n = truncated(exprval(token, true));
        if (n >= 1 && n <= 4)
            axes = {n - 1};
    }
    for (int a : axes)
        A << QString::number(a);
}

void Macro::buildBufferSet(const QString& token)
{
    B.clear();
    const int count = PD ? PD->bufferCount() : 0;
    auto is
        = [&token](const char* word) { return token.compare(QLatin1String(word), Qt::CaseInsensitive) == 0; };
    auto add = [this](int i) { B << QString::number(i); };

    if (is("all")) {
        for (int i = 0; i < count; ++i)
            add(i);
        return;
    }
    if (is("none"))
        return;
    if (is("hidden") || is("visible")) {
        const bool shown = is("visible");
        for (int i = 0; i < count; ++i)
            if ((PD->DB[std::size_t(i)]->show != 0) == shown)
                add(i);
        return;
    }
    if (is("selected") || is("unselected")) {
        std::set<int> selected;
        if (M)
            for (int row : M->services().selectedBufferRows())
                if (row >= 0 && row < count)
                    selected.insert(row);
        const bool wanted = is("selected");
        for (int i = 0; i < count; ++i)
            if ((selected.count(i) != 0) == wanted)
                add(i);
        return;
    }
    const QStringList range = token.split(QStringLiteral(".."));
    if (range.size() == 2) {
        // Only the indices that exist are walked, however far the ends lie.
        const long long m = plainInteger(range[0]);
        const long long n = plainInteger(range[1]);
        if (count == 0)
            return;
        if (n >= m) {
            for (long long i = std::max(m, 0LL); i <= std::min(n, count - 1LL); ++i)
                add(int(i));
        } else {
            for (long long i = std::min(m, count - 1LL); i >= std::max(n, 0LL); --i)
                add(int(i));
        }
        return;
    }
    for (const QString& part : token.split(QLatin1Char(','))) {
        QString error;
        const std::optional<double> v = evaluate(part, true, &error);
        if (!v) {
            macroError(error + QLatin1Char('\n'));
            continue;
        }
        const int i = truncated(*v);
        if (i >= 0 && i < count)
            add(i);
    }
}

bool Macro::buildLoopRange(const QString& token, const QStringList& tokens)
{
    R.clear();
    const QStringList range = token.split(QStringLiteral(".."));
    if (range.size() == 2) {
        R.setWholeNumbers(plainInteger(range[0]), plainInteger(range[1]));
        return true;
    }

    const QStringList colon = token.split(QLatin1Char(':'));
    if (colon.size() == 3) {
        const double start = exprval(colon[0], true);
        const double end = exprval(colon[1], true);
        const double step = exprval(colon[2], true);
        // A start beyond the end gives no value whatever the step, so a
        // counting-down range such as 5:1:-1 is simply empty.
        if (!(start <= end))
            return true;
        auto refuse = [this, &tokens](const char* why) {
            macroError(QLatin1String(why) + tokens.join(QLatin1Char(' ')) + QLatin1Char('\n'));
            ++ERR;
            return false;
        };
        if (!(step > 0))
            return refuse("Loop step must be greater than 0: ");
        // Repeated addition, as the values have always been made; a step
        // lost in rounding at the start would give the start for ever.
        if (start + step == start && start < end)
            return refuse("Loop step is too small to change the value: ");
        R.setSteps(start, end, step);
        return true;
    }

    const QStringList list = token.split(QLatin1Char(','));
    if (list.size() >= 2) {
        std::vector<double> values;
        values.reserve(std::size_t(list.size()));
        for (const QString& part : list)
            values.push_back(exprval(part, true));
        R.setList(std::move(values));
        return true;
    }

    const long long n = plainInteger(token);
    if (n > 0)
        R.setWholeNumbers(0, n - 1);
    return true;
}
