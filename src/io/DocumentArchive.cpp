#include "io/DocumentArchive.h"

#include "io/ItemArchive.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/AtomicFile.h"
#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/RegularFile.h"
#include "platform/Version.h"
#include "view/Subviews.h"
#include "view/VexaView.h"

#include <QFile>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <new>
#include <unordered_set>
#include <utility>

namespace DocumentArchive {

QString fileOpenError()
{
    return QStringLiteral("File Open Error");
}

QString fileSaveError()
{
    return QStringLiteral("File Save Error");
}

namespace {

const char* const sectionNames[] = {"Layout", "Data", "Range", "Colors", "Fonts", "Fit", "TG"};

QString notAVexaFile()
{
    return QStringLiteral("This is not a valid Vexa file");
}

QString tooLargeToOpen()
{
    return QStringLiteral("The file is damaged or too large to open.");
}

// A file refused for its size or its number of elements rather than for
// damage: the message says which limit it passed.
QString pastTheLimits(const KeyedUnarchiver& coder)
{
    return QStringLiteral("The file is too large or holds too much to open. %1").arg(coder.errorString());
}

// The elements of an XML property list as its reader counts them: one per
// start tag (the plist element adds one, which errs on the safe side).
qint64 startTags(const QByteArray& xml)
{
    qint64 n = 0;
    const char* p = xml.constData();
    const char* const end = p + xml.size();
    while ((p = static_cast<const char*>(std::memchr(p, '<', std::size_t(end - p)))) && ++p < end)
        n += *p != '/' && *p != '?' && *p != '!';
    return n;
}

Outcome refuse(const QString& message)
{
    return Outcome::failed(message, fileOpenError());
}

QString key(const char* word)
{
    return QLatin1String(word);
}

// Per-axis and per-sub-view keys: the word followed by the number.
QString key(const char* word, int n)
{
    return QLatin1String(word) + QString::number(n);
}

QString subviewClassName()
{
    return QStringLiteral("VexaDocument");
}

// Some doubles are stored as ints, truncated toward zero; a value past the
// int range, or no number at all, must not turn into undefined behaviour.
int truncated(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(v);
}

// A sub-view whose frame is not a proper rectangle could neither be drawn nor
// read back.
bool usableFrame(double x, double y, double w, double h)
{
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(w) && std::isfinite(h) && w > 0 && h > 0;
}

// The unarchiver takes fonts of a usable size with a name; a font it would
// refuse is not written, so the file stays readable and the reader keeps the
// font it has.
bool fontReadsBack(const QFont& font)
{
    double size = font.pointSizeF();
    if (size <= 0 && font.pixelSize() > 0)
        size = font.pixelSize() * 72.0 / 96.0;
    return !Font::storedName(font).trimmed().isEmpty() && std::isfinite(size) && size > 0 && size <= 10000;
}

// --- the settings a load may change ---------------------------------------------

template <class... Member> void copyMembers(VexaDocument& to, const VexaDocument& from, Member... member)
{
    ((to.*member = from.*member), ...);
}

// Every field the reader writes, lists aside: a load works on a copy and hands
// these back only when the whole archive decoded.
void copySettings(VexaDocument& to, const VexaDocument& from)
{
    using D = VexaDocument;
    copyMembers(to, from, &D::verno, &D::winx, &D::winy, &D::winw, &D::winh, &D::resizewin);
    copyMembers(to, from, &D::xmin1, &D::xmax1, &D::ymin1, &D::ymax1, &D::xmin2, &D::xmax2, &D::ymin2,
                &D::ymax2);
    copyMembers(to, from, &D::page, &D::legend, &D::axes, &D::alabelindex);
}

// --- sub-view records ---------------------------------------------------------------

// A sub-view document as an object of its main document's file.
class SubviewRecord : public ArchivableObject {
public:
    const VexaDocument* source = nullptr; // writing
    const WindowFrame* window = nullptr;
    std::unique_ptr<VexaDocument> decoded; // reading
    bool taken = false;

    QString className() const override { return subviewClassName(); }
    void encodeWithCoder(KeyedArchiver& coder) const override
    {
        if (source)
            saveToCoder(*source, coder, window);
    }
};

// --- checked reading ---------------------------------------------------------------

// Typed reads that tell a missing key from one holding the wrong kind of
// value: the unarchiver reads both as missing, but a file whose "xmin1" is a
// text is damaged, and loading it would quietly put defaults in place of the
// user's settings. Such a key fails the whole read. A text, colour or font
// key holding nil ($null), which is how a keyed archive stores an object that
// was never set, is no damage: it reads as missing.
class Reader {
public:
    explicit Reader(KeyedUnarchiver& coder)
            : c(coder)
    {
    }

    KeyedUnarchiver& c;
    // Why each damaged text box or graphic was left out.
    QStringList skippedItems;

    bool has(const QString& k) const { return c.containsValueForKey(k); }

    void wrong(const QString& k, const char* what)
    {
        c.failWithError(QStringLiteral("The archive is damaged: \"%1\" holds no %2.")
                            .arg(k.left(64), QLatin1String(what)));
    }

    // Each scalar read changes the field only when the key holds a value of
    // its kind; a missing key keeps what the field has.
    bool integer(const QString& k, int& field)
    {
        if (!has(k))
            return false;
        const int a = c.decodeInt(k, 0);
        if (a != c.decodeInt(k, 1)) {
            wrong(k, "integer");
            return false;
        }
        field = a;
        return true;
    }

    template <class Small> void smallInteger(const QString& k, Small& field)
    {
        int v = 0;
        if (integer(k, v))
            field = static_cast<Small>(v); // the field is one byte, as it always was
    }

    void flag(const QString& k, std::uint8_t& field)
    {
        if (!has(k))
            return;
        const bool a = c.decodeBool(k, false);
        if (a != c.decodeBool(k, true))
            return wrong(k, "boolean");
        field = a ? 1 : 0;
    }

    void number(const QString& k, double& field)
    {
        if (!has(k))
            return;
        const double a = c.decodeDouble(k, 0.0);
        const double b = c.decodeDouble(k, 1.0);
        if (!(a == b || (std::isnan(a) && std::isnan(b))))
            return wrong(k, "number");
        field = a;
    }

    // Missing: an empty text.
    QString string(const QString& k)
    {
        if (!has(k))
            return QString();
        const QString a = c.decodeString(k, QStringLiteral("\x01"));
        if (a != c.decodeString(k, QStringLiteral("\x02"))) {
            if (holdsOther(k))
                wrong(k, "text");
            return QString();
        }
        return a;
    }

    QColor color(const QString& k, const QColor& missing)
    {
        if (!has(k))
            return missing;
        if (auto color = c.decodeColor(k))
            return *color;
        if (holdsOther(k))
            wrong(k, "colour");
        return missing;
    }

    // Missing: the field keeps its font.
    void font(const QString& k, QFont& field)
    {
        if (!has(k))
            return;
        if (auto font = c.decodeFont(k))
            field = *font;
        else if (holdsOther(k))
            wrong(k, "font");
    }

    // Missing: an empty table.
    QHash<QString, QString> labels(const QString& k)
    {
        QHash<QString, QString> out;
        if (!has(k))
            return out;
        const QVariantMap map = c.decodeDictionary(k);
        if (map.isEmpty() && holdsOther(k)) {
            wrong(k, "label table");
            return out;
        }
        for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
            if (it.value().typeId() != QMetaType::QString) {
                wrong(k, "label table");
                return {};
            }
            out.insert(it.key(), it.value().toString());
        }
        return out;
    }

    std::vector<std::unique_ptr<DataBuffer>> buffers(const QString& k)
    {
        auto decoded = c.decodeArrayOfObjects<DataBuffer>(k);
        if (decoded.empty() && holdsOther(k)) {
            wrong(k, "list of buffers");
            return {};
        }
        return adopt(std::move(decoded));
    }

    // True when the key holds anything but an empty list, an empty table or
    // $null: what a read that came back empty must not have overlooked.
    bool holdsOther(const QString& k)
    {
        if (!has(k))
            return false;
        const double d0 = c.decodeDouble(k, 0.0), d1 = c.decodeDouble(k, 1.0);
        if (d0 == d1 || (std::isnan(d0) && std::isnan(d1)))
            return true;
        if (c.decodeBool(k, false) == c.decodeBool(k, true))
            return true;
        if (c.decodeInt64(k, 0) == c.decodeInt64(k, 1))
            return true;
        if (c.decodeString(k, QStringLiteral("\x01")) == c.decodeString(k, QStringLiteral("\x02")))
            return true;
        if (c.decodeBytes(k, QByteArray("\x01")) == c.decodeBytes(k, QByteArray("\x02")))
            return true;
        if (c.decodeColor(k) || c.decodeFont(k) || !c.decodeImage(k).isNull())
            return true;
        if (c.decodeObject<ArchivableObject>(k))
            return true;
        if (!c.decodeArray(k).isEmpty() || !c.decodeDictionary(k).isEmpty())
            return true;
        if (!c.decodeArrayOfObjects<ArchivableObject>(k).empty())
            return true;
        return !c.ok();
    }

private:
    // Buffers decode once per record; a file that lists one record in
    // several places (even in a sub-view and its main document) is damaged.
    std::vector<std::unique_ptr<DataBuffer>> adopt(std::vector<std::shared_ptr<DataBuffer>>&& decoded)
    {
        auto buffers = DataBuffer::adopt(std::move(decoded), adopted_);
        if (!buffers) {
            c.failWithError(DataBuffer::listedTwiceMessage());
            return {};
        }
        return std::move(*buffers);
    }

    std::unordered_set<const DataBuffer*> adopted_;
};

// --- the settings groups ----------------------------------------------------------------

// Which groups of settings a load reads: the layout (every number, switch and
// text, and the legend's colours), the fonts, the colours.
struct Sections {
    bool layout = false;
    bool fonts = false;
    bool colors = false;
};

// An invalid colour would be stored as $null, which is no colour to read
// back; left out, the key's default applies, as for any missing colour.
void encodeColor(KeyedArchiver& c, const QString& k, const QColor& value)
{
    if (value.isValid())
        c.encodeColor(k, value);
}

void encodeFont(KeyedArchiver& c, const QString& k, const QFont& value)
{
    if (fontReadsBack(value))
        c.encodeFont(k, value);
}

void encode(KeyedArchiver& c, const PageSettings& p)
{
    c.encodeDouble(key("marginleft"), p.marginleft);
    c.encodeDouble(key("marginright"), p.marginright);
    c.encodeDouble(key("margintop"), p.margintop);
    c.encodeDouble(key("marginbottom"), p.marginbottom);
    c.encodeDouble(key("framewidth"), p.framewidth);
    encodeColor(c, key("framecolor"), p.framecolor);
    c.encodeInt(key("framestyle"), p.framestyle);
    c.encodeBool(key("framearrows"), p.framearrows);
    c.encodeInt(key("crossarrows"), p.crossarrows);
    c.encodeBool(key("forceframe"), p.forceframe);
    c.encodeBool(key("drawbackground"), p.drawbackground);
    c.encodeBool(key("drawmargin"), p.drawmargin);
    c.encodeBool(key("drawframe"), p.drawframe);
    c.encodeBool(key("alldraw"), p.alldraw);
    c.encodeBool(key("forcerenderhigh"), p.forcerenderhigh);
    c.encodeInt(key("arrowtype"), p.arrowtype);
    c.encodeDouble(key("arrowsize"), p.arrowsize);
    encodeColor(c, key("backgroundcolor"), p.backgroundcolor);
    encodeColor(c, key("margincolor"), p.margincolor);
}

void decode(Reader& r, PageSettings& p, const Sections& s)
{
    if (s.layout) {
        r.number(key("marginleft"), p.marginleft);
        r.number(key("marginright"), p.marginright);
        r.number(key("margintop"), p.margintop);
        r.number(key("marginbottom"), p.marginbottom);
        r.number(key("framewidth"), p.framewidth);
        r.integer(key("framestyle"), p.framestyle);
        r.flag(key("framearrows"), p.framearrows);
        r.integer(key("crossarrows"), p.crossarrows);
        r.flag(key("forceframe"), p.forceframe);
        r.flag(key("drawbackground"), p.drawbackground);
        r.flag(key("drawmargin"), p.drawmargin);
        r.flag(key("drawframe"), p.drawframe);
        r.flag(key("alldraw"), p.alldraw);
        r.flag(key("forcerenderhigh"), p.forcerenderhigh);
        r.number(key("arrowsize"), p.arrowsize);
        r.integer(key("arrowtype"), p.arrowtype);
    }
    if (s.colors) {
        p.framecolor = r.color(key("framecolor"), Color::black());
        p.backgroundcolor = r.color(key("backgroundcolor"), Color::white());
        p.margincolor = r.color(key("margincolor"), Color::white());
    }
}

void encode(KeyedArchiver& c, const LegendSettings& l)
{
    c.encodeBool(key("plotlegend"), l.plotlegend);
    c.encodeBool(key("legendbg"), l.legendbg);
    c.encodeBool(key("legendhorizontal"), l.legendhorizontal);
    c.encodeInt(key("legendalign"), l.legendalign);
    // Stored as ints; files rely on it.
    c.encodeInt(key("legendx"), truncated(l.legendx));
    c.encodeInt(key("legendy"), truncated(l.legendy));
    c.encodeInt(key("legendwidth"), truncated(l.legendwidth));
    c.encodeInt(key("legendspace"), truncated(l.legendspace));
    encodeFont(c, key("legendfont"), l.legendfont);
    encodeColor(c, key("legendcolor"), l.legendcolor);
    encodeColor(c, key("legendbgcolor"), l.legendbgcolor);
}

void decode(Reader& r, LegendSettings& l, const Sections& s)
{
    if (s.layout) {
        r.flag(key("plotlegend"), l.plotlegend);
        r.flag(key("legendbg"), l.legendbg);
        r.flag(key("legendhorizontal"), l.legendhorizontal);
        r.smallInteger(key("legendalign"), l.legendalign);
        // Stored as ints; files rely on it.
        for (auto [word, field] :
             {std::pair{"legendx", &l.legendx}, std::pair{"legendy", &l.legendy},
              std::pair{"legendwidth", &l.legendwidth}, std::pair{"legendspace", &l.legendspace}}) {
            int v = 0;
            if (r.integer(key(word), v))
                *field = v;
        }
        l.legendcolor = r.color(key("legendcolor"), Color::black());
        l.legendbgcolor = r.color(key("legendbgcolor"), Color::white());
    }
    if (s.fonts)
        r.font(key("legendfont"), l.legendfont);
}

void encode(KeyedArchiver& c, const AxisSettings& a, int i)
{
    c.encodeBool(key("axis", i), a.axis);
    c.encodeInt(key("axismode", i), a.axismode);
    c.encodeString(key("axistext", i), a.axistext);
    encodeColor(c, key("axistextcolor", i), a.axistextcolor);
    c.encodeString(key("axistimeformat", i), a.axistimeformat);
    c.encodeString(key("scaleexpr", i), a.scaleexpr);
    c.encodeString(key("trigger", i), a.trigger);
    encodeFont(c, key("textfont", i), a.textfont);
    encodeFont(c, key("numfont", i), a.numfont);
    encodeColor(c, key("tickcolor", i), a.tickcolor);
    encodeColor(c, key("gridcolor", i), a.gridcolor);
    encodeColor(c, key("mtickcolor", i), a.mtickcolor);
    encodeColor(c, key("mgridcolor", i), a.mgridcolor);
    encodeColor(c, key("zerocolor", i), a.zerocolor);
    c.encodeBool(key("ticks", i), a.ticks);
    c.encodeBool(key("mticks", i), a.mticks);
    c.encodeBool(key("ticksboth", i), a.ticksboth);
    c.encodeBool(key("mticksboth", i), a.mticksboth);
    c.encodeBool(key("grid", i), a.grid);
    c.encodeBool(key("mgrid", i), a.mgrid);
    c.encodeBool(key("zeroline", i), a.zeroline);
    c.encodeBool(key("smalllog", i), a.smalllog);
    c.encodeBool(key("reverse", i), a.reverse);
    c.encodeBool(key("fliptext", i), a.fliptext);
    c.encodeDouble(key("ticklength", i), a.ticklength);
    c.encodeDouble(key("tickwidth", i), a.tickwidth);
    c.encodeDouble(key("gridwidth", i), a.gridwidth);
    c.encodeDouble(key("mticklength", i), a.mticklength);
    c.encodeDouble(key("mtickwidth", i), a.mtickwidth);
    c.encodeDouble(key("mgridwidth", i), a.mgridwidth);
    c.encodeString(key("scalstart", i), a.scalstart);
    c.encodeString(key("scalend", i), a.scalend);
    c.encodeString(key("scalspace", i), a.scalspace);
    c.encodeString(key("scalminticks", i), a.scalminticks);
    c.encodeInt(key("numoff", i), a.numoff);
    c.encodeInt(key("textoff", i), a.textoff);
    c.encodeBool(key("textoffsetfromframe", i), a.textoffwindow);
    c.encodeInt(key("tickstyle", i), a.tickstyle);
    c.encodeInt(key("expoff", i), a.expoff);
    c.encodeBool(key("text", i), a.text);
    c.encodeBool(key("numbers", i), a.numbers);
    c.encodeInt(key("dp", i), a.dp);
    c.encodeBool(key("dpauto", i), a.dpauto);
    QVariantMap labels;
    for (auto it = a.alabel.constBegin(); it != a.alabel.constEnd(); ++it)
        labels.insert(it.key(), it.value());
    c.encodeDictionary(key("alabel", i), labels);
    c.encodeBool(key("gridfront", i), a.gridfront);
    c.encodeBool(key("mgridfront", i), a.mgridfront);
    c.encodeInt(key("gridpattern", i), a.gridpattern);
    c.encodeInt(key("mgridpattern", i), a.mgridpattern);
    c.encodeInt(key("align", i), a.align);
    c.encodeDouble(key("angle", i), a.angle);
}

// Axis i of a file of version verno: what older versions did not store takes
// what those versions drew.
void decode(Reader& r, AxisSettings& a, int i, int verno, const Sections& s)
{
    if (s.layout) {
        r.flag(key("axis", i), a.axis);
        r.integer(key("axismode", i), a.axismode);
        a.axistext = r.string(key("axistext", i));
        a.axistextcolor = r.color(key("axistextcolor", i), Color::black());
        a.axistimeformat = r.string(key("axistimeformat", i));
        a.scaleexpr = r.string(key("scaleexpr", i));
        a.trigger = r.string(key("trigger", i));
        r.flag(key("ticks", i), a.ticks);
        r.flag(key("mticks", i), a.mticks);
        r.flag(key("ticksboth", i), a.ticksboth);
        r.flag(key("mticksboth", i), a.mticksboth);
        r.flag(key("grid", i), a.grid);
        r.flag(key("mgrid", i), a.mgrid);
        r.flag(key("zeroline", i), a.zeroline);
        r.flag(key("smalllog", i), a.smalllog);
        r.flag(key("reverse", i), a.reverse);
        r.flag(key("fliptext", i), a.fliptext);
        r.number(key("ticklength", i), a.ticklength);
        r.number(key("tickwidth", i), a.tickwidth);
        r.number(key("gridwidth", i), a.gridwidth);
        if (verno > 14) {
            r.number(key("mticklength", i), a.mticklength);
            r.number(key("mtickwidth", i), a.mtickwidth);
            r.number(key("mgridwidth", i), a.mgridwidth);
        } else {
            // Minor ticks had no sizes of their own.
            a.mticklength = a.ticklength * 0.5;
            a.mtickwidth = a.tickwidth;
            a.mgridwidth = a.gridwidth;
        }
        a.scalstart = r.string(key("scalstart", i));
        a.scalend = r.string(key("scalend", i));
        a.scalspace = r.string(key("scalspace", i));
        a.scalminticks = r.string(key("scalminticks", i));
        r.smallInteger(key("numoff", i), a.numoff);
        r.integer(key("textoff", i), a.textoff);
        r.flag(key("textoffsetfromframe", i), a.textoffwindow);
        r.integer(key("tickstyle", i), a.tickstyle);
        r.integer(key("expoff", i), a.expoff);
        r.flag(key("text", i), a.text);
        r.flag(key("numbers", i), a.numbers);
        r.integer(key("dp", i), a.dp);
        r.flag(key("dpauto", i), a.dpauto);
        a.alabel = r.labels(key("alabel", i));
        if (verno > 24) {
            r.flag(key("gridfront", i), a.gridfront);
            r.flag(key("mgridfront", i), a.mgridfront);
            r.integer(key("gridpattern", i), a.gridpattern);
            r.integer(key("mgridpattern", i), a.mgridpattern);
        } else {
            // Grids were solid and drawn over the data.
            a.gridfront = a.mgridfront = 1;
            a.gridpattern = a.mgridpattern = 0;
        }
        if (verno > 25) {
            r.integer(key("align", i), a.align);
            r.number(key("angle", i), a.angle);
        } else {
            // Axis titles were never turned and sat in the middle of
            // their side.
            a.angle = 0;
            a.align = AxisSettings::defaultAlign(i);
        }
    }
    if (s.fonts) {
        r.font(key("textfont", i), a.textfont);
        r.font(key("numfont", i), a.numfont);
    }
    if (s.colors) {
        a.tickcolor = r.color(key("tickcolor", i), Color::black());
        a.gridcolor = r.color(key("gridcolor", i), Color::darkGray());
        if (verno > 14) {
            a.mtickcolor = r.color(key("mtickcolor", i), Color::black());
            a.mgridcolor = r.color(key("mgridcolor", i), Color::darkGray());
        } else {
            a.mtickcolor = a.tickcolor;
            a.mgridcolor = a.gridcolor;
        }
        a.zerocolor = r.color(key("zerocolor", i), Color::darkGray());
    }
}

// --- text boxes and graphics ---------------------------------------------------------

void encodeTextBoxes(KeyedArchiver& c, const VexaDocument& d)
{
    c.encodeArrayOfObjects(key("text"), ItemArchive::records<VexaTextView>(d.T));
}

void encodeGraphics(KeyedArchiver& c, const VexaDocument& d)
{
    c.encodeArrayOfObjects(key("graphic"), ItemArchive::records<Graphic>(d.G));
}

// A damaged record is left out and noted; the rest of the document opens.
std::vector<std::unique_ptr<TextBoxItem>> decodeTextBoxes(Reader& r)
{
    bool listed = false;
    auto out = ItemArchive::decode<VexaTextView, TextBoxItem>(r.c, key("text"), r.skippedItems, listed);
    if (!listed && r.holdsOther(key("text")))
        r.wrong(key("text"), "list of text boxes");
    return out;
}

std::vector<std::unique_ptr<GraphicItem>> decodeGraphics(Reader& r)
{
    bool listed = false;
    auto out = ItemArchive::decode<Graphic, GraphicItem>(r.c, key("graphic"), r.skippedItems, listed);
    if (!listed && r.holdsOther(key("graphic")))
        r.wrong(key("graphic"), "list of graphics");
    return out;
}

// --- loading -------------------------------------------------------------------------

// Which lists the archive replaced.
struct Loaded {
    bool buffers = false;
    bool texts = false;
    bool graphics = false;
};

// Reads into d what the sections let in. Writes as it reads: callers hand it
// a document they may throw away.
Loaded load(VexaDocument& d, Reader& r, const LoadSections& in)
{
    Loaded loaded;
    const bool all = in.whole;

    r.integer(key("verno"), d.verno);

    if (all) {
        r.integer(key("winx"), d.winx);
        r.integer(key("winy"), d.winy);
        r.integer(key("winw"), d.winw);
        r.integer(key("winh"), d.winh);
        d.resizewin = 1;
    }

    if ((all || in.data) && r.has(key("buffer"))) {
        d.DB = r.buffers(key("buffer"));
        loaded.buffers = true;
    }

    if (all || in.range) {
        r.number(key("xmin1"), d.xmin1);
        r.number(key("xmax1"), d.xmax1);
        r.number(key("ymin1"), d.ymin1);
        r.number(key("ymax1"), d.ymax1);
        r.number(key("xmin2"), d.xmin2);
        r.number(key("xmax2"), d.xmax2);
        r.number(key("ymin2"), d.ymin2);
        r.number(key("ymax2"), d.ymax2);
    }

    if (all || in.textsAndGraphics) {
        if (r.has(key("text"))) {
            d.T = decodeTextBoxes(r);
            loaded.texts = true;
        }
        if (r.has(key("graphic"))) {
            d.G = decodeGraphics(r);
            loaded.graphics = true;
        }
    }

    const Sections sections{all || in.layout, all || in.layout || in.fonts, all || in.layout || in.colors};
    decode(r, d.page, sections);
    decode(r, d.legend, sections);
    for (int i = 0; i < 4; ++i) {
        decode(r, d.axes[std::size_t(i)], i, d.verno, sections);
        if (sections.layout)
            d.alabelindex[std::size_t(i)] = QStringList();
    }
    return loaded;
}

// A load prepared on a copy of the document's settings.
struct Staged {
    std::unique_ptr<VexaDocument> copy;
    LoadSections sections;
    Loaded loaded;
};

// Copies the target's settings, so that a refused file leaves the target's
// own; reading waits for read().
Staged prepare(const VexaDocument& target, const LoadSections& sections)
{
    Staged s;
    s.copy = std::make_unique<VexaDocument>(target.M, target.defaults);
    copySettings(*s.copy, target);
    s.sections = sections;
    return s;
}

void read(Staged& s, Reader& r)
{
    s.loaded = load(*s.copy, r, s.sections);
}

void commit(VexaDocument& target, Staged& s)
{
    VexaDocument& from = *s.copy;
    copySettings(target, from);
    if (s.loaded.buffers) {
        target.DB = std::move(from.DB);
        if (target.current < 0 || target.current >= int(target.DB.size()))
            target.current = 0;
    }
    if (s.loaded.texts) {
        target.T = std::move(from.T);
        if (s.sections.textsAndGraphics && !s.sections.whole)
            for (const auto& box : target.T)
                if (box)
                    box->setNeedsDisplay();
    }
    if (s.loaded.graphics)
        target.G = std::move(from.G);
    if (s.loaded.texts || s.loaded.graphics)
        ItemArchive::attach(target, target.M);
}

std::unique_ptr<VexaDocument> makeSubview(Reader& r, const VexaDocument& main)
{
    auto doc = std::make_unique<VexaDocument>(main.M, main.defaults);
    doc->setDefaults();
    load(*doc, r, LoadSections::wholeDocument());
    return doc;
}

struct PendingSubview {
    std::unique_ptr<VexaDocument> doc;
    QRectF frame;
};

// The numbers j of the "subview"j keys present, below count, ascending. Only
// keys that exist are visited, so a huge count costs nothing.
std::vector<int> subviewNumbers(KeyedUnarchiver& c, int count)
{
    std::vector<int> out;
    const QString prefix = QStringLiteral("subview");
    for (const QString& k : c.allKeys()) {
        if (!k.startsWith(prefix) || k.size() == prefix.size() || k.size() > prefix.size() + 9)
            continue;
        bool digits = true;
        for (qsizetype i = prefix.size(); i < k.size() && digits; ++i)
            digits = k[i] >= QLatin1Char('0') && k[i] <= QLatin1Char('9');
        if (!digits)
            continue;
        const int j = k.mid(prefix.size()).toInt();
        if (j < count && key("subview", j) == k)
            out.push_back(j);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<PendingSubview> decodeSubviews(Reader& r)
{
    std::vector<PendingSubview> out;
    int count = 0;
    if (!r.integer(key("subviews"), count))
        return out;
    for (int j : subviewNumbers(r.c, count)) {
        const QString k = key("subview", j);
        auto record = r.c.decodeObject<SubviewRecord>(k);
        if (!record) {
            if (r.holdsOther(k))
                r.wrong(k, "sub-view document");
            continue;
        }
        if (record->taken) {
            r.c.failWithError(QStringLiteral("The archive is damaged: a sub-view is stored twice."));
            break;
        }
        record->taken = true;
        double x = 0, y = 0, w = 0, h = 0;
        r.number(key("subviewx", j), x);
        r.number(key("subviewy", j), y);
        r.number(key("subvieww", j), w);
        r.number(key("subviewh", j), h);
        if (record->decoded && usableFrame(x, y, w, h))
            out.push_back({std::move(record->decoded), QRectF(x, y, w, h)});
        if (!r.c.ok())
            break;
    }
    return out;
}

void attachSubview(VexaDocument& main, PendingSubview&& pending, SubviewViews& views)
{
    VexaDocument* sub = pending.doc.get();
    views.push_back(Subviews::attach(main, std::move(pending.doc), pending.frame));
    ItemArchive::attach(*sub, main.M);
}

Outcome readWholeFile(const QString& path, QByteArray& bytes)
{
    // Nothing larger can be a readable archive; a larger file, a FIFO or a
    // device is refused before it is read.
    RegularFile::Contents file = RegularFile::read(path, KeyedUnarchiver::standardLimits().maxInputBytes);
    if (file.outcome != RegularFile::Outcome::Read)
        return refuse(RegularFile::message(file, path));
    bytes = std::move(file.bytes);
    return Outcome::done();
}

} // namespace

QString documentType()
{
    return QStringLiteral("VexaDocument");
}

QString sectionTypeName(PartialLoadSection section)
{
    if (section < 0 || section >= int(std::size(sectionNames)))
        return QString();
    return QLatin1String(sectionNames[section]);
}

LoadSections LoadSections::wholeDocument()
{
    LoadSections s;
    s.whole = true;
    return s;
}

LoadSections LoadSections::only(PartialLoadSection section)
{
    LoadSections s;
    switch (section) {
    case SectionLayout:
        s.layout = true;
        break;
    case SectionData:
        s.data = true;
        break;
    case SectionRange:
        s.range = true;
        break;
    case SectionColors:
        s.colors = true;
        break;
    case SectionFonts:
        s.fonts = true;
        break;
    case SectionFit:
        s.fit = true;
        break;
    case SectionTG:
        s.textsAndGraphics = true;
        break;
    }
    return s;
}

LoadSections LoadSections::ofType(const QString& type)
{
    if (type == documentType())
        return wholeDocument();
    for (int i = 0; i < int(std::size(sectionNames)); ++i)
        if (type == QLatin1String(sectionNames[i]))
            return only(PartialLoadSection(i));
    return {};
}

// --- writing ----------------------------------------------------------------------------

void saveToCoder(const VexaDocument& d, KeyedArchiver& c, const WindowFrame* window)
{
    c.encodeString(key("vexaversion"), QStringLiteral(VEXA_VERSION));
    c.encodeInt(key("verno"), version);

    c.encodeDouble(key("xmin1"), d.xmin1);
    c.encodeDouble(key("xmax1"), d.xmax1);
    c.encodeDouble(key("ymin1"), d.ymin1);
    c.encodeDouble(key("ymax1"), d.ymax1);
    c.encodeDouble(key("xmin2"), d.xmin2);
    c.encodeDouble(key("xmax2"), d.xmax2);
    c.encodeDouble(key("ymin2"), d.ymin2);
    c.encodeDouble(key("ymax2"), d.ymax2);

    const WindowFrame none;
    const WindowFrame& w = window ? *window : none;
    c.encodeInt(key("winx"), truncated(w.x));
    c.encodeInt(key("winy"), truncated(w.y));
    c.encodeInt(key("winw"), truncated(w.contentWidth));
    c.encodeInt(key("winh"), truncated(w.contentHeight));

    c.encodeArrayOfObjects(key("buffer"), d.DB);
    encodeTextBoxes(c, d);
    encodeGraphics(c, d);

    encode(c, d.page);
    encode(c, d.legend);
    for (int i = 0; i < 4; ++i)
        encode(c, d.axes[std::size_t(i)], i);
}

void encodeWithCoder(const VexaDocument& document, KeyedArchiver& coder, const WindowFrame* window)
{
    saveToCoder(document, coder, window);
}

std::optional<QByteArray> dataRepresentationOfType(const VexaDocument& d, const QString& type,
                                                   const WindowFrame* window, QString* error)
{
    if (type != documentType()) {
        if (error)
            *error = QStringLiteral("Documents cannot be stored as \"%1\".").arg(type);
        return std::nullopt;
    }
    KeyedArchiver c;
    saveToCoder(d, c, window);

    // Kept alive until the archive is complete: the archiver knows objects
    // by their address.
    std::vector<std::unique_ptr<SubviewRecord>> records;
    if (!d.subview) {
        c.encodeInt(key("subviews"), int(d.SPD.size()));
        for (std::size_t j = 0; j < d.SPD.size(); ++j) {
            const VexaDocument* sub = d.SPD[j].get();
            const auto* view = sub ? dynamic_cast<const VexaView*>(sub->PV) : nullptr;
            if (!view)
                continue;
            const QRectF f = view->frame();
            if (!usableFrame(f.x(), f.y(), f.width(), f.height()))
                continue;
            const int n = int(j);
            c.encodeDouble(key("subviewx", n), f.x());
            c.encodeDouble(key("subviewy", n), f.y());
            c.encodeDouble(key("subvieww", n), f.width());
            c.encodeDouble(key("subviewh", n), f.height());
            auto record = std::make_unique<SubviewRecord>();
            record->source = sub;
            record->window = window;
            c.encodeObject(key("subview", n), record.get());
            records.push_back(std::move(record));
        }
    }
    if (!c.ok()) {
        if (error)
            *error = QStringLiteral("The document could not be stored: %1.").arg(c.errorString());
        return std::nullopt;
    }
    QByteArray bytes = c.encodedData();
    // Nothing is written that could not be opened again.
    const qsizetype largest = KeyedUnarchiver::standardLimits().maxInputBytes;
    if (bytes.size() > largest) {
        if (error)
            *error
                = QStringLiteral("The document is too large to be opened again (%1; at most %2 can be read).")
                      .arg(RegularFile::sizeText(bytes.size()), RegularFile::sizeText(largest));
        return std::nullopt;
    }
    const qint64 elements = startTags(bytes);
    if (elements > KeyedUnarchiver::standardLimits().maxElements) {
        if (error)
            *error = QStringLiteral(
                         "The document holds too many elements to be opened again (%1; at most %2 can "
                         "be read).")
                         .arg(elements)
                         .arg(KeyedUnarchiver::standardLimits().maxElements);
        return std::nullopt;
    }
    return bytes;
}

Outcome writeToFile(const VexaDocument& document, const QString& path, const WindowFrame* window)
{
    QString why;
    const std::optional<QByteArray> data = dataRepresentationOfType(document, documentType(), window, &why);
    if (!data || !AtomicFile::writeFile(path, *data, &why))
        return Outcome::failed(why, fileSaveError());
    return Outcome::done();
}

// --- reading -----------------------------------------------------------------------------

bool loadFromCoder(VexaDocument& document, KeyedUnarchiver& coder, const LoadSections& sections)
{
    DataBuffer::registerArchiveClass(coder);
    Reader r(coder);
    Staged s = prepare(document, sections);
    read(s, r);
    if (!coder.ok())
        return false;
    commit(document, s);
    return true;
}

std::unique_ptr<VexaDocument> initWithCoder(KeyedUnarchiver& coder, const VexaDocument& main)
{
    DataBuffer::registerArchiveClass(coder);
    Reader r(coder);
    auto doc = makeSubview(r, main);
    if (!coder.ok())
        return nullptr;
    return doc;
}

namespace {

Outcome decodeAndCommit(VexaDocument& document, const QByteArray& data, const LoadSections& sections,
                        SubviewViews& views)
{
    KeyedUnarchiver coder(data);
    if (!coder.ok() && coder.exceededLimits())
        return refuse(pastTheLimits(coder));
    if (!coder.ok() || !coder.containsValueForKey(key("verno")))
        return refuse(notAVexaFile());
    Reader r(coder);
    DataBuffer::registerArchiveClass(coder);
    coder.registerClass(subviewClassName(), [&](KeyedUnarchiver&) -> std::unique_ptr<ArchivableObject> {
        auto record = std::make_unique<SubviewRecord>();
        record->decoded = makeSubview(r, document);
        return record;
    });

    std::vector<PendingSubview> subviews;
    if (!document.subview)
        subviews = decodeSubviews(r);

    Staged s = prepare(document, sections);
    if (coder.ok())
        read(s, r);

    if (!coder.ok())
        return refuse(coder.exceededLimits() ? pastTheLimits(coder) : coder.errorString());
    commit(document, s);
    for (PendingSubview& sub : subviews)
        attachSubview(document, std::move(sub), views);
    if (!r.skippedItems.isEmpty())
        return Outcome::notice(ItemArchive::skippedTitle(), ItemArchive::skippedMessage(r.skippedItems));
    return Outcome::done();
}

} // namespace

Outcome loadDataRepresentation(VexaDocument& document, const QByteArray& data, const QString& type,
                               SubviewViews& views)
{
    try {
        return decodeAndCommit(document, data, LoadSections::ofType(type), views);
    } catch (const std::bad_alloc&) {
        // Decoding stays within a budget proportional to the file, so this
        // takes a machine short of memory; the document keeps what it had.
        return refuse(tooLargeToOpen());
    }
}

Outcome readFromFile(VexaDocument& document, const QString& path, SubviewViews& views)
{
    QByteArray bytes;
    if (Outcome read = readWholeFile(path, bytes); !read.ok())
        return read;
    return loadDataRepresentation(document, bytes, documentType(), views);
}

Outcome loadPartialFile(VexaDocument& document, PartialLoadSection section, const QString& path,
                        SubviewViews& views)
{
    const QString type = sectionTypeName(section);
    if (type.isEmpty())
        return Outcome::empty(QStringLiteral("There is no section %1 to load").arg(int(section)));
    QByteArray bytes;
    if (Outcome read = readWholeFile(path, bytes); !read.ok())
        return read;
    return loadDataRepresentation(document, bytes, type, views);
}

} // namespace DocumentArchive
