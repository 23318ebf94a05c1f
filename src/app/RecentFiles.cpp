#include "app/RecentFiles.h"

#include "platform/UserDefaults.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString key = QStringLiteral("RecentDocuments");

QString normalised(const QString& path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

RecentFiles::RecentFiles(UserDefaults& store)
        : store_(store)
{
}

QStringList RecentFiles::paths() const
{
    // The store is a file the user may edit: whatever it holds is cleaned
    // up on the way out.
    QStringList out;
    for (const QString& p : store_.value(key).toStringList()) {
        const QString path = normalised(p);
        if (!path.isEmpty() && !out.contains(path))
            out << path;
        if (out.size() == capacity)
            break;
    }
    return out;
}

void RecentFiles::add(const QString& path)
{
    const QString p = normalised(path);
    if (p.isEmpty())
        return;
    QStringList list = paths();
    list.removeAll(p);
    list.prepend(p);
    while (list.size() > capacity)
        list.removeLast();
    store(list);
}

void RecentFiles::remove(const QString& path)
{
    QStringList list = paths();
    if (list.removeAll(normalised(path)) > 0)
        store(list);
}

void RecentFiles::clear()
{
    store_.removeObjectForKey(key);
}

void RecentFiles::store(const QStringList& list)
{
    store_.setValue(key, list);
}
