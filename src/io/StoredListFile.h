#pragma once

// Files and store entries that hold a list of stored items (queries,
// macros): a keyed archive whose root object is the array of the items. The
// same bytes go into the user defaults and into exported list files.
//
// List files may hold passwords: they are written readable by the owner
// alone, and a file is replaced only once the new one is complete.

#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include "platform/Outcome.h"

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

// The title of a list that could not be written.
QString saveErrorTitle(); // "File Save Error"

// Writes the bytes to path, mode 0600: a temporary file beside the target,
// synced, then renamed over it. Failed, titled saveErrorTitle(), with the
// reason, when that failed; the target is then as it was. Shows nothing.
Outcome write(const QString& path, const QByteArray& bytes);

// The bytes of the file; nothing, with the reason, when it cannot be read, is
// no regular file or is too large to be a list.
std::optional<QByteArray> read(const QString& path, QString* error = nullptr);

// Merges loaded items into a list: every item whose name equals (exactly) the
// name of a loaded item goes, then the loaded items are appended in their
// order. Loaded items win.
template <class List, class Loaded> void mergeByName(List& list, Loaded&& loaded);

// Takes into our list what another instance of the program changed in the
// store meanwhile. `base` is what the store held when we last read or wrote
// it, `theirs` what it holds now. Items are told apart by name (the k-th item
// of a name matches the k-th of that name elsewhere) and compared by
// contentOf. An item we changed since base keeps our change (it is the
// newer one: we are about to write it); one we left alone takes theirs, or
// goes when they deleted it; one they added is appended in their order; one
// we deleted stays deleted. True when our list changed.
template <class List, class Content>
bool mergeWithStore(List& ours, const List& base, List&& theirs, const Content& contentOf);

// Where an item is across such a merge: its name and the number of items of
// that name before it.
using ItemKey = std::pair<QString, int>;
// The key of the item at row; an empty key for a row out of the list.
template <class List> ItemKey keyAt(const List& list, int row);
// The row of the item with the key; `fallback` when no item has it.
template <class List> int rowOf(const List& list, const ItemKey& key, int fallback);

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

template <class Item> const QString& nameOfItem(const Item& item)
{
    if constexpr (requires { item->name; })
        return item->name;
    else
        return item.name;
}

// Each item's key.
template <class List> std::vector<ItemKey> occurrenceKeys(const List& list)
{
    std::vector<ItemKey> keys;
    keys.reserve(list.size());
    for (const auto& item : list) {
        const QString& name = nameOfItem(item);
        const int earlier
            = int(std::count_if(keys.begin(), keys.end(), [&](const auto& k) { return k.first == name; }));
        keys.emplace_back(name, earlier);
    }
    return keys;
}

template <class List> ItemKey keyAt(const List& list, int row)
{
    return row >= 0 && row < int(list.size()) ? occurrenceKeys(list)[std::size_t(row)] : ItemKey();
}

template <class List> int rowOf(const List& list, const ItemKey& key, int fallback)
{
    const auto keys = occurrenceKeys(list);
    const auto at = std::find(keys.begin(), keys.end(), key);
    return at != keys.end() ? int(at - keys.begin()) : fallback;
}

template <class List, class Loaded> void mergeByName(List& list, Loaded&& loaded)
{
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const auto& item) {
                                  return std::any_of(loaded.begin(), loaded.end(), [&](const auto& l) {
                                      return nameOfItem(l) == nameOfItem(item);
                                  });
                              }),
               list.end());
    for (auto& item : loaded)
        list.push_back(std::move(item));
}

template <class List, class Content>
bool mergeWithStore(List& ours, const List& base, List&& theirs, const Content& contentOf)
{
    const auto ourKeys = occurrenceKeys(ours), baseKeys = occurrenceKeys(base),
               theirKeys = occurrenceKeys(theirs);
    auto find = [](const auto& keys, const ItemKey& key) -> std::ptrdiff_t {
        const auto at = std::find(keys.begin(), keys.end(), key);
        return at == keys.end() ? -1 : at - keys.begin();
    };
    List merged;
    bool changed = false;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        const std::ptrdiff_t b = find(baseKeys, ourKeys[i]);
        const std::ptrdiff_t t = find(theirKeys, ourKeys[i]);
        const bool weKept = b >= 0 && contentOf(ours[i]) == contentOf(base[std::size_t(b)]);
        if (weKept && t < 0) {
            changed = true; // they deleted it
            continue;
        }
        if (weKept && contentOf(theirs[std::size_t(t)]) != contentOf(base[std::size_t(b)])) {
            changed = true; // they changed it
            merged.push_back(std::move(theirs[std::size_t(t)]));
            continue;
        }
        merged.push_back(std::move(ours[i]));
    }
    for (std::size_t t = 0; t < theirs.size(); ++t) {
        if (find(ourKeys, theirKeys[t]) >= 0 || find(baseKeys, theirKeys[t]) >= 0)
            continue; // ours, or deleted by us
        changed = true;
        merged.push_back(std::move(theirs[t]));
    }
    ours = std::move(merged);
    return changed;
}

} // namespace StoredListFile
