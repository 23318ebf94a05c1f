#pragma once

// Lists of stored macros: the "Macros" entry of the user defaults and
// exported macro-list files (".mavexa"), both a list archive of Macro
// records (name, source, shortcut, type; see StoredListFile).

#include "macro/Macro.h"

#include "platform/Outcome.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace MacroListFile {

QString fileType(); // "VexaMacro": the document type of a macro-list file
QString suffix(); // "mavexa"
QString defaultsKey(); // "Macros"

std::optional<QByteArray> archive(const std::vector<const Macro*>& macros, QString* error = nullptr);
// Every macro of the archive as a new, independent object (a macro the
// archive lists twice becomes two). Refused as StoredListFile::unarchive
// refuses: damaged bytes, another class, an empty list.
std::optional<std::vector<std::shared_ptr<Macro>>> unarchive(const QByteArray& data,
                                                             QString* error = nullptr);

// Owner-only, atomic (StoredListFile::write).
Outcome write(const QString& path, const std::vector<const Macro*>& macros);
std::optional<std::vector<std::shared_ptr<Macro>>> read(const QString& path, QString* error = nullptr);

} // namespace MacroListFile
