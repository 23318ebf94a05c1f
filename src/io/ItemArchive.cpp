#include "io/ItemArchive.h"

#include "model/VexaDocument.h"

namespace ItemArchive {

namespace {
// More notes than this would only make the alert taller.
constexpr int kNotesShown = 10;
} // namespace

QString skippedNote(const QString& kind, const QString& why)
{
    return QStringLiteral("%1 was damaged and left out: %2").arg(kind, why);
}

QString skippedTitle()
{
    return QStringLiteral("File Open Warning");
}

QString skippedMessage(const QStringList& notes)
{
    QStringList lines = notes.mid(0, kNotesShown);
    if (notes.size() > kNotesShown)
        lines << QStringLiteral("... and %1 more.").arg(notes.size() - kNotesShown);
    return lines.join(QLatin1Char('\n'));
}

void attach(VexaDocument& document, ManagerServices* manager)
{
    for (const auto& item : document.T)
        if (auto* box = dynamic_cast<VexaTextView*>(item.get()))
            box->setup(manager, &document);
    for (const auto& item : document.G)
        if (auto* graphic = dynamic_cast<Graphic*>(item.get()))
            graphic->setup(manager, &document);
}

} // namespace ItemArchive
