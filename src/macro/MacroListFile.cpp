#include "macro/MacroListFile.h"

#include "io/StoredListFile.h"

#include <algorithm>

namespace MacroListFile {

QString fileType()
{
    return QStringLiteral("VexaMacro");
}

QString suffix()
{
    return QStringLiteral("mavexa");
}

QString defaultsKey()
{
    return QStringLiteral("Macros");
}

std::optional<QByteArray> archive(const std::vector<const Macro*>& macros, QString* error)
{
    std::vector<const ArchivableObject*> items(macros.begin(), macros.end());
    return StoredListFile::archive(items, error);
}

std::optional<std::vector<std::shared_ptr<Macro>>> unarchive(const QByteArray& data, QString* error)
{
    auto decoded = StoredListFile::unarchive<Macro>(data, &Macro::registerArchiveClass, error);
    if (!decoded)
        return std::nullopt;
    // One object per entry: the list edits, runs and deletes its macros one
    // by one, and a rename must not reach a second row.
    std::vector<std::shared_ptr<Macro>> macros;
    macros.reserve(decoded->size());
    for (const std::shared_ptr<Macro>& m : *decoded) {
        const bool seen
            = std::any_of(macros.begin(), macros.end(), [&](const auto& taken) { return taken == m; });
        macros.push_back(seen ? std::make_shared<Macro>(m->name, m->src, m->shortcut, m->type) : m);
    }
    return macros;
}

Outcome write(const QString& path, const std::vector<const Macro*>& macros)
{
    QString error;
    const std::optional<QByteArray> bytes = archive(macros, &error);
    if (!bytes)
        return Outcome::failed(error, StoredListFile::saveErrorTitle());
    return StoredListFile::write(path, *bytes);
}

std::optional<std::vector<std::shared_ptr<Macro>>> read(const QString& path, QString* error)
{
    const std::optional<QByteArray> bytes = StoredListFile::read(path, error);
    if (!bytes)
        return std::nullopt;
    return unarchive(*bytes, error);
}

} // namespace MacroListFile
