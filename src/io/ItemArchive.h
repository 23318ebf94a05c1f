#pragma once

// The lists of text boxes and graphics inside a document file: each element
// is the record of one box (VexaTextView) or one graphic (Graphic). A
// damaged record is left out with a note saying why, and the rest of the
// document still opens.

#include "platform/KeyedUnarchiver.h"
#include "view/Graphic.h"
#include "view/VexaTextView.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class ManagerServices;
class VexaDocument;

namespace ItemArchive {

// The note for one record left out.
QString skippedNote(const QString& kind, const QString& why);
// The alert that lists the notes once the document has opened.
QString skippedTitle();
QString skippedMessage(const QStringList& notes);

// The items of a list that are of class T (others are not stored).
template <class T, class Item>
std::vector<const ArchivableObject*> records(const std::vector<std::unique_ptr<Item>>& items)
{
    std::vector<const ArchivableObject*> out;
    for (const auto& item : items)
        if (const auto* t = dynamic_cast<const T*>(item.get()))
            out.push_back(t);
    return out;
}

// The items stored under the key, in order. Each record that is damaged, is
// of another class or is listed a second time is left out and noted in
// `skipped`. `listed` tells whether the key held a list of records at all
// (it may have held nothing but damaged ones).
template <class T, class Item>
std::vector<std::unique_ptr<Item>> decode(KeyedUnarchiver& coder, const QString& key, QStringList& skipped,
                                          bool& listed)
{
    const qsizetype notesBefore = skipped.size();
    const QString kind = T::archiveClassName() == VexaTextView::archiveClassName()
        ? QStringLiteral("A text box")
        : QStringLiteral("A graphic");
    T::Record::registerClass(coder,
                             [&skipped, kind](const QString& why) { skipped << skippedNote(kind, why); });
    std::vector<std::unique_ptr<Item>> out;
    const auto objects = coder.decodeArrayOfObjects<ArchivableObject>(key);
    for (const auto& object : objects) {
        auto* record = dynamic_cast<typename T::Record*>(object.get());
        auto item = record ? record->take() : nullptr;
        if (!item) {
            skipped << skippedNote(kind,
                                   record ? QStringLiteral("It is listed twice.")
                                          : QStringLiteral("It is no record of its kind."));
            continue;
        }
        out.push_back(std::move(item));
    }
    listed = !objects.empty() || skipped.size() > notesBefore;
    return out;
}

// Attaches every text box and graphic of the document to the controller and
// to the document.
void attach(VexaDocument& document, ManagerServices* manager);

} // namespace ItemArchive
