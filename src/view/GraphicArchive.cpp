// The archived record of a graphic: its keys in their fixed order, the
// picture last, as the bytes it came from.

#include "view/Graphic.h"

#include "expression/ExpressionMath.h"
#include "platform/Color.h"
#include "platform/KeyedUnarchiver.h"
#include "view/RecordReader.h"

#include <memory>

namespace {

// How a picture is read out of a value of the archive (KeyedUnarchiver::madeFrom).
constexpr int kPictureVariant = 'p';

} // namespace

void Graphic::encodeWithCoder(KeyedArchiver& c) const
{
    c.encodeInt(QStringLiteral("tag"), tag);
    c.encodeInt(QStringLiteral("type"), type);
    c.encodeDouble(QStringLiteral("x1"), x1);
    c.encodeDouble(QStringLiteral("y1"), y1);
    c.encodeDouble(QStringLiteral("x2"), x2);
    c.encodeDouble(QStringLiteral("y2"), y2);
    c.encodeDouble(QStringLiteral("linewidth"), linewidth);
    c.encodeBool(QStringLiteral("arrow1"), arrow1);
    c.encodeBool(QStringLiteral("arrow2"), arrow2);
    c.encodeBool(QStringLiteral("aspect"), aspect);
    c.encodeInt(QStringLiteral("dash"), dashp);
    if (color.isValid())
        c.encodeColor(QStringLiteral("color"), color);
    if (fillcolor.isValid())
        c.encodeColor(QStringLiteral("fillcolor"), fillcolor);
    c.encodeBool(QStringLiteral("fill"), fill);
    c.encodeDouble(QStringLiteral("arrowsize"), arrowsize);
    c.encodeInt(QStringLiteral("arrowtype"), arrowtype);
    c.encodeInt(QStringLiteral("display"), display);
    c.encodeInt(QStringLiteral("posmode"), posmode);
    if (image)
        c.encodeBytes(QStringLiteral("image"), image->data());
}

std::unique_ptr<Graphic> Graphic::initWithCoder(KeyedUnarchiver& c, QString* damage)
{
    auto g = std::make_unique<Graphic>();
    RecordReader r(c);
    double arrowsize = g->arrowsize;

    r.integer("tag", g->tag);
    r.integer("type", g->type);
    r.number("x1", g->x1);
    r.number("y1", g->y1);
    r.number("x2", g->x2);
    r.number("y2", g->y2);
    r.number("linewidth", g->linewidth);
    r.flag("arrow1", g->arrow1);
    r.flag("arrow2", g->arrow2);
    r.flag("aspect", g->aspect);
    r.integer("dash", g->dashp);
    g->color = r.color("color").value_or(Color::black());
    g->fillcolor = r.color("fillcolor").value_or(Color::white());
    r.flag("fill", g->fill);
    r.number("arrowsize", arrowsize);
    // Toward zero, saturated; NaN is 0.
    g->arrowsize = ExpressionMath::toInt32(arrowsize);
    r.integer("arrowtype", g->arrowtype);
    r.integer("display", g->display);
    r.integer("posmode", g->posmode);

    if (r.has("image")) {
        // Our own files hold the picture's bytes; an archived image object
        // is taken as it is.
        const QImage archived = c.decodeImage(QStringLiteral("image"));
        if (!archived.isNull()) {
            g->image = Picture::fromImage(archived);
        } else if (auto bytes = r.bytes("image")) {
            // The archiver stores equal bytes once, and a picture pasted many
            // times is one value named by many graphics: it is decoded once,
            // its pixels counted once against the reader's budget, and every
            // graphic shares it.
            struct Decoded {
                std::optional<Picture> picture;
                Outcome why;
            };
            std::shared_ptr<void>& made = c.madeFrom(bytes->constData(), kPictureVariant);
            if (!made) {
                auto decoded = std::make_shared<Decoded>();
                decoded->picture = Picture::fromData(
                    *bytes, &decoded->why, [&c](qint64 pixelBytes) { return c.spendBytes(pixelBytes); });
                made = decoded;
            }
            const auto& decoded = *std::static_pointer_cast<Decoded>(made);
            g->image = decoded.picture;
            if (!g->image)
                r.damage(decoded.why.message());
        }
    }

    if (r.damaged()) {
        if (damage)
            *damage = r.damageText();
        return nullptr;
    }
    return g;
}
