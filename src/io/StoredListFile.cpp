#include "io/StoredListFile.h"

#include "platform/RegularFile.h"

#include <QFile>
#include <QSaveFile>

namespace StoredListFile {

QString rootKey()
{
    return QStringLiteral("root");
}

QString noListMessage()
{
    return QStringLiteral("The file holds no list of stored items.");
}

std::optional<QByteArray> archive(const std::vector<const ArchivableObject*>& items, QString* error)
{
    KeyedArchiver coder;
    coder.encodeArrayOfObjects(rootKey(), items);
    if (!coder.ok()) {
        if (error)
            *error = coder.errorString();
        return std::nullopt;
    }
    return coder.encodedData();
}

QString saveErrorTitle()
{
    return QStringLiteral("File Save Error");
}

Outcome write(const QString& path, const QByteArray& bytes)
{
    auto fail = [&](const QFileDevice& f) {
        return Outcome::failed(QStringLiteral("%1 could not be written: %2").arg(path, f.errorString()),
                               saveErrorTitle());
    };
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return fail(f);
    // Before the first byte: the list may hold passwords. The temporary file
    // would otherwise take over the permissions of the file it replaces.
    if (!f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        f.cancelWriting();
        return fail(f);
    }
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return fail(f);
    }
    if (!f.commit())
        return fail(f);
    return Outcome::done();
}

std::optional<QByteArray> read(const QString& path, QString* error)
{
    // Nothing larger decodes; a larger file, a FIFO or a device is refused
    // before it is read.
    RegularFile::Contents file = RegularFile::read(path, KeyedUnarchiver::standardLimits().maxInputBytes);
    if (file.outcome != RegularFile::Outcome::Read) {
        if (error)
            *error = RegularFile::message(file, path);
        return std::nullopt;
    }
    return std::move(file.bytes);
}

} // namespace StoredListFile
