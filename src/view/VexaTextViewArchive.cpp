// The archived record of a text box: its rich text as HTML and its own
// background first, then the placement keys in their fixed order.

#include "view/VexaTextView.h"

#include "platform/Font.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/TextDrawing.h"
#include "view/RecordReader.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cmath>

namespace {

// More text than this is no box on a graph: such a record is damaged.
constexpr qsizetype kMaxHtml = qsizetype(4) << 20;
// Fonts a document file may ask for: no glyph larger than a box.
constexpr double kMaxFontSize = VexaTextView::maxSide;

// Text from a file may ask for absurd sizes; they are brought within what
// the box can show before anything is laid out.
void clampFontSizes(QTextDocument& text)
{
    QTextCursor cursor(&text);
    for (QTextBlock block = text.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QTextCharFormat format = fragment.charFormat();
            const double size = format.fontPointSize();
            const int pixels = format.intProperty(QTextFormat::FontPixelSize);
            if ((std::isfinite(size) && size <= kMaxFontSize) && pixels <= kMaxFontSize)
                continue;
            QTextCharFormat fix;
            fix.setFontPointSize(kMaxFontSize);
            if (pixels > kMaxFontSize)
                fix.setProperty(QTextFormat::FontPixelSize, int(kMaxFontSize));
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(fix);
        }
    }
}

double finiteOrZero(double v)
{
    return std::isfinite(v) ? v : 0.0;
}

} // namespace

void VexaTextView::encodeWithCoder(KeyedArchiver& c) const
{
    // The text's own font, which every run that names no other takes.
    const QFont font = text_->defaultFont();
    const double size = TextDrawing::pointSize(font);
    if (!Font::storedName(font).trimmed().isEmpty() && size > 0 && size <= kMaxFontSize)
        c.encodeFont(QStringLiteral("font"), font);
    c.encodeString(QStringLiteral("html"), text_->toHtml());
    c.encodeBool(QStringLiteral("drawsbackground"), drawsBackground);
    if (backgroundColor.isValid())
        c.encodeColor(QStringLiteral("backgroundcolor"), backgroundColor);

    c.encodeInt(QStringLiteral("tag"), tag);
    c.encodeDouble(QStringLiteral("x"), x);
    c.encodeDouble(QStringLiteral("y"), y);
    c.encodeInt(QStringLiteral("posmode"), posmode);
    c.encodeInt(QStringLiteral("tbalign"), tbalign);
    c.encodeDouble(QStringLiteral("tloc.x"), tloc.x());
    c.encodeDouble(QStringLiteral("tloc.y"), tloc.y());
    c.encodeDouble(QStringLiteral("dloc.x"), dloc.x());
    c.encodeDouble(QStringLiteral("dloc.y"), dloc.y());
    c.encodeDouble(QStringLiteral("angle"), angle);
    c.encodeDouble(QStringLiteral("autoposoffset"), autoposoffset);
    c.encodeInt(QStringLiteral("autoposloc"), autoposloc);
    c.encodeInt(QStringLiteral("autoposangle"), autoposangle);
    c.encodeBool(QStringLiteral("autopos"), autopos);
}

std::unique_ptr<VexaTextView> VexaTextView::initWithCoder(KeyedUnarchiver& c, QString* damage)
{
    auto box = std::make_unique<VexaTextView>(QRectF(), nullptr, nullptr);
    RecordReader r(c);

    if (auto font = r.font("font")) {
        QFont f = *font;
        f.setHintingPreference(QFont::PreferNoHinting);
        box->text_->setDefaultFont(f);
    }
    if (auto html = r.string("html")) {
        if (html->size() > kMaxHtml) {
            r.damage(QStringLiteral("Its text is too long."));
        } else {
            box->setRichText(*html);
            clampFontSizes(*box->text_);
        }
    }
    r.flag("drawsbackground", box->drawsBackground);
    if (auto color = r.color("backgroundcolor"))
        box->backgroundColor = *color;

    double tx = 0, ty = 0, dx = 0, dy = 0;
    r.integer("tag", box->tag);
    r.number("x", box->x);
    r.number("y", box->y);
    r.number("tloc.x", tx);
    r.number("tloc.y", ty);
    r.integer("posmode", box->posmode);
    r.integer("tbalign", box->tbalign);
    r.number("dloc.x", dx);
    r.number("dloc.y", dy);
    r.number("angle", box->angle);
    r.number("autoposoffset", box->autoposoffset);
    r.integer("autoposloc", box->autoposloc);
    r.integer("autoposangle", box->autoposangle);
    r.flag("autopos", box->autopos);

    if (r.damaged()) {
        if (damage)
            *damage = r.damageText();
        return nullptr;
    }
    // An anchor or a turn that is no number has no place on any graph.
    box->tloc = QPointF(finiteOrZero(tx), finiteOrZero(ty));
    box->dloc = QPointF(finiteOrZero(dx), finiteOrZero(dy));
    box->angle = finiteOrZero(box->angle);
    box->autoposoffset = finiteOrZero(box->autoposoffset);
    const QSizeF u = box->contentSize();
    box->setFrame(QRectF(box->tloc.x(), box->tloc.y() - u.height(), u.width(), u.height()));
    return box;
}
