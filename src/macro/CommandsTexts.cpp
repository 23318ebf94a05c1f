// Texts and graphics: text boxes (each text word runs a measuring form and a
// creating form), rectangles, ovals, arrows and lines, their removal, and the
// default text font and colour.
//
// The measuring form sizes the text exactly as the box will have it and
// leaves the size in "textwidth" and "textheight", so the creating form's
// arguments can place the very text they make. Bodies write the new items
// and leave the drawing to the end of the run.

#include "macro/Macro.h"
#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"
#include "macro/MacroHost.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/Font.h"
#include "util/StringCategory.h"
#include "view/Graphic.h"
#include "view/VexaTextView.h"

#include <QFont>

#include <cmath>
#include <memory>

namespace {

using Section = MacroCommandTable::Section;

// The tag of every box "qtext" makes.
constexpr int kQuickTextTag = 999;
// The user font that stands in for a font name nothing answers to.
constexpr double kFallbackFontSize = 14;

ManagerServices* services(const Macro& m)
{
    return m.M ? &m.M->services() : nullptr;
}

QFont fontNamed(const QString& name, double size)
{
    if (auto font = Font::withName(name, size))
        return *font;
    return Font::userFont(kFallbackFontSize);
}

// A component given as an argument, or the fallback.
double component(const Macro& m, int slot, double fallback)
{
    return m.O[std::size_t(slot)] ? m.D[std::size_t(slot)] : fallback;
}

QColor colorFrom(const Macro& m, int slot, double r, double g, double b)
{
    return m.getColor(component(m, slot, r), component(m, slot + 1, g), component(m, slot + 2, b));
}

QColor defaultColor(const Macro& m)
{
    return m.getColor(m.defr, m.defg, m.defb);
}

// The u argument that chooses the coordinates: "screen" 0, "first" 1,
// "second" 2 (exactly these words), else its number (0 when it is none).
int positionMode(const Macro& m, int slot)
{
    const QString word = m.S.value(slot);
    if (word == QLatin1String("screen"))
        return 0;
    if (word == QLatin1String("first"))
        return 1;
    if (word == QLatin1String("second"))
        return 2;
    return m.I[std::size_t(slot)];
}

// --- text boxes ---------------------------------------------------------------------------

// Where a text word keeps each argument (slot numbers; -1 for none).
struct TextForm {
    int tag; // -1: the quick text's tag
    int position; // -1: view points, the frame at (x, y)
    int x, y;
    int font, size; // -1: the macro's default font
    int text;
    int color; // three components
    int colorWord; // a colour word instead
    int angle;
    int alignment;
    int place; // automatic place 1..22
    int offset;
    int anchor; // 1..9
    int background; // three components
};

// clang-format off
constexpr TextForm kText  {0, -1, 1, 2,  3,  4, 5,  6, -1,  9, 10, 11, 12, -1, 13};
constexpr TextForm kFText {0,  1, 2, 3,  4,  5, 6,  7, -1, 10, 11, -1, -1, 12, 13};
constexpr TextForm kQText {-1, 0, 1, 2, -1, -1, 3, -1,  7,  4,  5, -1, -1,  6, -1};
// clang-format on

QFont textFont(const Macro& m, const TextForm& f)
{
    if (f.font < 0)
        return fontNamed(m.deffont, m.deffontsize);
    return fontNamed(m.S.value(f.font), m.D[std::size_t(f.size)]);
}

// Pass 1: the size of the text as its box will have it.
void measureText(Macro& m, const TextForm& f)
{
    VexaTextView scratch(QRectF(0, 0, 0, 0), services(m), m.PD);
    scratch.setString(m.S.value(f.text), textFont(m, f), Qt::black);
    const QSizeF size = scratch.contentSize();
    m.tw = size.width();
    m.th = size.height();
}

// The turn an automatic place lays a text out for: the text's own angle when
// it is a right angle (as -90 is 270), else upright. Laid out upright and
// then turned, a text at a place beside an axis would end up elsewhere, or
// off the page.
int rightAngle(double angle)
{
    if (!std::isfinite(angle))
        return 0;
    const double a = std::fmod(std::fmod(angle, 360) + 360, 360);
    for (int r : {90, 180, 270})
        if (a == r)
            return r;
    return 0;
}

// Pass 2: the box itself.
void createText(Macro& m, const TextForm& f)
{
    VexaDocument& d = *m.PD;
    const double x = m.D[std::size_t(f.x)];
    const double y = m.D[std::size_t(f.y)];
    const QRectF frame = f.position < 0 ? QRectF(x, y, m.tw, m.th) : QRectF(0, 0, m.tw, m.th);
    auto box = std::make_unique<VexaTextView>(frame, services(m), m.PD);
    box->tag = f.tag < 0 ? kQuickTextTag : m.I[std::size_t(f.tag)];

    QColor color;
    if (f.colorWord >= 0)
        color
            = m.O[std::size_t(f.colorWord)] ? StringCategory::color(m.S.value(f.colorWord)) : defaultColor(m);
    else
        color = colorFrom(m, f.color, m.defr, m.defg, m.defb);
    // Written as a run of characters, never as markup or a format.
    box->setString(m.S.value(f.text), textFont(m, f), color);

    if (m.O[std::size_t(f.angle)])
        box->angle = m.D[std::size_t(f.angle)];

    Qt::Alignment alignment = Qt::AlignLeft;
    if (m.O[std::size_t(f.alignment)]) {
        if (m.I[std::size_t(f.alignment)] == 1)
            alignment = Qt::AlignHCenter;
        else if (m.I[std::size_t(f.alignment)] == 2)
            alignment = Qt::AlignRight;
    }
    box->setAlignment(alignment);

    if (f.position < 0) {
        box->autopos = 0;
        if (f.place >= 0 && m.O[std::size_t(f.place)]) {
            const int place = m.I[std::size_t(f.place)];
            if (place >= 1 && place <= 22) {
                box->autopos = 1;
                box->autoposloc = place;
                box->autoposangle = rightAngle(box->angle);
            }
        }
        box->posmode = 0;
        box->autoposoffset = m.O[std::size_t(f.offset)] ? m.D[std::size_t(f.offset)] : 0;
    } else {
        box->autopos = 0;
        box->autoposloc = 0;
        box->autoposoffset = 0;
        box->posmode = positionMode(m, f.position);
        if (m.O[std::size_t(f.anchor)])
            box->tbalign = m.I[std::size_t(f.anchor)] - 1;
    }

    const int bg = f.background;
    if (bg >= 0 && m.O[std::size_t(bg)] && m.O[std::size_t(bg + 1)] && m.O[std::size_t(bg + 2)]) {
        box->drawsBackground = true;
        box->backgroundColor = colorFrom(m, bg, 0, 0, 0);
    } else {
        box->drawsBackground = false;
        box->backgroundColor = QColor::fromRgbF(1, 1, 1, 1);
    }

    if (f.position < 0)
        box->setFrame(frame);
    VexaTextView& placed = *box;
    d.T.push_back(std::move(box));
    placed.setPosition(x, y);
    placed.align();
    placed.setNeedsDisplay();
}

template <const TextForm& Form> void doMeasure(Macro& m, const MacroCommandCall&)
{
    measureText(m, Form);
}

template <const TextForm& Form> void doCreate(Macro& m, const MacroCommandCall&)
{
    createText(m, Form);
}

// --- graphics ----------------------------------------------------------------------------------

enum class Colors { Numbers, Names };

struct GraphicForm {
    int type;
    bool filled;
    bool arrow; // two points and arrowheads
    bool line; // two points
    Colors colors;
};

void createGraphic(Macro& m, const GraphicForm& f)
{
    const int mode = positionMode(m, 1);
    auto g = std::make_unique<Graphic>();
    // The graphic belongs to the run's document, which need not be the
    // current one (the example graph is styled before it has a window).
    g->setup(services(m), m.PD);
    g->tag = m.I[0];
    g->type = f.type;
    const double a = m.D[2], b = m.D[3], c = m.D[4], e = m.D[5];
    // Stored while posmode is still 0: exactly as given.
    if (f.line || f.arrow)
        g->setPoints(a, b, c, e);
    else
        g->setPoints(a, b, a + c, b + e);

    int width = 6;
    if (f.arrow) {
        g->arrow1 = m.I[6] == 1 ? 1 : 0;
        g->arrow2 = m.I[7] == 1 ? 1 : 0;
        g->arrowtype = m.I[8] >= ArrowOpen && m.I[8] <= ArrowDouble ? m.I[8] : ArrowOpen;
        g->arrowsize = m.I[9];
        width = 10;
    } else if (f.line) {
        g->arrow1 = g->arrow2 = 0;
    }
    g->posmode = mode >= 0 && mode <= 2 ? mode : 0;
    g->linewidth = component(m, width, 1);
    const int dash = width + 1;
    g->dashp = m.O[std::size_t(dash)] && m.I[std::size_t(dash)] >= 0 && m.I[std::size_t(dash)] <= 15
        ? m.I[std::size_t(dash)]
        : 0;

    const int colour = width + 2;
    if (f.colors == Colors::Numbers)
        g->color = colorFrom(m, colour, m.defr, m.defg, m.defb);
    else
        g->color = StringCategory::color(m.S.value(colour));

    if (f.filled) {
        g->fill = 1;
        if (f.colors == Colors::Numbers)
            g->fillcolor = colorFrom(m, colour + 3, 0, 0, 0);
        else if (m.O[std::size_t(colour + 1)])
            g->fillcolor = StringCategory::color(m.S.value(colour + 1));
        else
            g->fillcolor = m.getColor(0, 0, 0);
    }
    m.PD->G.push_back(std::move(g));
}

template <int Type, bool Filled, bool Arrow, bool Line, Colors C>
void doGraphic(Macro& m, const MacroCommandCall&)
{
    createGraphic(m, GraphicForm{Type, Filled, Arrow, Line, C});
}

// --- removal and defaults ------------------------------------------------------------------------

void doRmtext(Macro& m, const MacroCommandCall&)
{
    if (!m.O[0]) {
        m.PD->removeTextBoxes([](const TextBoxItem&) { return true; });
        return;
    }
    const int tag = m.I[0];
    m.PD->removeTextBoxes([tag](const TextBoxItem& t) {
        const auto* box = dynamic_cast<const VexaTextView*>(&t);
        return box && box->tag == tag;
    });
}

void doRmgraphic(Macro& m, const MacroCommandCall&)
{
    if (!m.O[0]) {
        m.PD->removeGraphics([](const GraphicItem&) { return true; });
        return;
    }
    const int tag = m.I[0];
    m.PD->removeGraphics([tag](const GraphicItem& item) {
        const auto* g = dynamic_cast<const Graphic*>(&item);
        return g && g->tag == tag;
    });
}

void doDefaultfont(Macro& m, const MacroCommandCall&)
{
    m.deffont = m.S.value(0);
    m.deffontsize = m.D[1];
}

void doDefaultcolorNumbers(Macro& m, const MacroCommandCall&)
{
    m.defr = m.D[0];
    m.defg = m.D[1];
    m.defb = m.D[2];
}

void doDefaultcolorName(Macro& m, const MacroCommandCall&)
{
    const QColor c = StringCategory::color(m.S.value(0));
    m.defr = c.redF();
    m.defg = c.greenF();
    m.defb = c.blueF();
}

} // namespace

void registerTextCommands(MacroCommandTable& t)
{
    auto add = [&t](const char* name, const char* signature, int minimum, MacroCommandBody body,
                    ArgumentGuard guard = ArgumentGuard::always()) {
        t.add(Section::TextsAndGraphics, QLatin1String(name), QLatin1String(signature), minimum,
              std::move(body), guard);
    };
    constexpr Colors N = Colors::Numbers;
    constexpr Colors W = Colors::Names;

    add("text", "iddsdsddddiidddd", 6, doMeasure<kText>);
    add("text", "iddsdsddddiidddd", 6, doCreate<kText>);
    add("ftext", "iuddsdsddddiiddd", 7, doMeasure<kFText>);
    add("ftext", "iuddsdsddddiiddd", 7, doCreate<kFText>);
    add("qtext", "uddsdiis", 4, doMeasure<kQText>);
    add("qtext", "uddsdiiu", 4, doCreate<kQText>);
    // clang-format off
    add("rect",    "iudddddiu",       6, doGraphic<GraphicRectangle, false, false, false, W>, ArgumentGuard::exactly(9));
    add("rect",    "iudddddiddd",     6, doGraphic<GraphicRectangle, false, false, false, N>, ArgumentGuard::noneOf({9}));
    add("frect",   "iudddddidddddd",  6, doGraphic<GraphicRectangle, true,  false, false, N>, ArgumentGuard::noneOf({9, 10}));
    add("frect",   "iudddddiss",      6, doGraphic<GraphicRectangle, true,  false, false, W>, ArgumentGuard::oneOf({9, 10}));
    add("circle",  "iudddddiddd",     6, doGraphic<GraphicOval,      false, false, false, N>, ArgumentGuard::noneOf({9}));
    add("circle",  "iudddddis",       6, doGraphic<GraphicOval,      false, false, false, W>, ArgumentGuard::exactly(9));
    add("fcircle", "iudddddidddddd",  6, doGraphic<GraphicOval,      true,  false, false, N>, ArgumentGuard::noneOf({9, 10}));
    add("fcircle", "iudddddiss",      6, doGraphic<GraphicOval,      true,  false, false, W>, ArgumentGuard::oneOf({9, 10}));
    add("arrow",   "iuddddiiiddis",   10, doGraphic<GraphicLine,     false, true,  false, W>, ArgumentGuard::exactly(13));
    add("arrow",   "iuddddiiiddiddd", 10, doGraphic<GraphicLine,     false, true,  false, N>, ArgumentGuard::noneOf({13}));
    add("line",    "iudddddiddd",     6, doGraphic<GraphicLine,      false, false, true,  N>, ArgumentGuard::noneOf({9}));
    add("line",    "iudddddis",       6, doGraphic<GraphicLine,      false, false, true,  W>, ArgumentGuard::exactly(9));
    // clang-format on
    add("rmtext", "i", 0, doRmtext);
    add("rmgraphic", "i", 0, doRmgraphic);
    add("defaultfont", "sd", 2, doDefaultfont);
    add("defaultcolor", "ddd", 3, doDefaultcolorNumbers, ArgumentGuard::exactly(3));
    add("defaultcolor", "s", 1, doDefaultcolorName, ArgumentGuard::exactly(1));
}
