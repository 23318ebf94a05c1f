#pragma once

// Files and store entries that hold a list of stored items (queries,
// macros): a keyed archive whose root object is the array of the items. The
// same bytes go into the user defaults and into exported list files.
//
// List files may hold passwords: they are written readable by the owner
// alone, and a file is replaced only once the new one is complete.

#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace StoredListFile {

// The key of the archive's root object.
QString rootKey(); // "root"

// The archive of the items, in order. Nothing when an item could not be
// stored faithfully (error says what).
std::optional<QByteArray> archive(const std::vector<const ArchivableObject*>& items,
                                  QString* error = nullptr);

// The items of a list archive, each a new object of type T. Refused, with the
// reason in error, when the bytes are no list archive, are damaged, hold an
// object of another class, or hold no item at all (nothing of ours writes an
// empty list, and taking one in place of a list would lose that list).
template <class T>
std::optional<std::vector<std::shared_ptr<T>>>
unarchive(const QByteArray& data, const std::function<void(KeyedUnarchiver&)>& registerClasses,
          QString* error = nullptr);

// Writes the bytes to path, mode 0600: a temporary file beside the target,
// synced, then renamed over it. False, with the reason, when that failed; the
// target is then as it was.
bool write(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The bytes of the file; nothing, with the reason, when it cannot be read or
// is too large to be a list.
std::optional<QByteArray> read(const QString& path, QString* error = nullptr);

// Merges loaded items into a list: every item whose name equals (exactly) the
// name of a loaded item goes, then the loaded items are appended in their
// order. Loaded items win.
template <class List, class Loaded> void mergeByName(List& list, Loaded&& loaded)
{
    auto nameOf = [](const auto& item) -> const QString& {
        if constexpr (requires { item->name; })
            return item->name;
        else
            return item.name;
    };
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const auto& item) {
                                  return std::any_of(loaded.begin(), loaded.end(), [&](const auto& l) {
                                      return nameOf(l) == nameOf(item);
                                  });
                              }),
               list.end());
    for (auto& item : loaded)
        list.push_back(std::move(item));
}

// --- implementation ---------------------------------------------------------------------

QString noListMessage();
template <class T>
std::optional<std::vector<std::shared_ptr<T>>>
unarchive(const QByteArray& data, const std::function<void(KeyedUnarchiver&)>& registerClasses,
          QString* error)
{
    KeyedUnarchiver coder(data);
    registerClasses(coder);
    std::vector<std::shared_ptr<T>> items;
    try {
        if (coder.ok())
            items = coder.decodeArrayOfObjects<T>(rootKey());
    } catch (const std::bad_alloc&) {
        // Decoding keeps to a budget proportional to the bytes, so this takes
        // a machine short of memory: the list is refused, the program goes on.
        coder.failWithError(QStringLiteral("There is not enough memory to read the list."));
    }
    if (!coder.ok()) {
        if (error)
            *error = coder.errorString();
        return std::nullopt;
    }
    if (items.empty()) {
        if (error)
            *error = noListMessage();
        return std::nullopt;
    }
    return items;
}

} // namespace StoredListFile
