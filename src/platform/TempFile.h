#pragma once

// Temporary files named vexa2_<name><suffix>, created exclusively with mode
// 0600 so that nobody else can plant or read them, and removed - together
// with every companion file made through them - when the object goes away.
// The name comes from the caller, who knows how to make a fresh random one.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class TempFile {
public:
    // Creates <dir>/vexa2_<name><suffix> (dir defaults to QDir::tempPath()),
    // open for writing. A name already taken is replaced by a fresh one from
    // nameSource, a bounded number of times. Names must be non-empty letters
    // and digits. Returns null on failure, with the reason in *error.
    static std::unique_ptr<TempFile> create(const std::function<QByteArray()>& nameSource,
                                            const QString& suffix = QStringLiteral(".tmp"),
                                            const QString& dir = QString(), QString* error = nullptr);

    // How many names create() tries before giving up.
    static constexpr int maxAttempts = 100;

    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const QString& path() const { return path_; }
    bool isOpen() const { return fd_ >= 0; }

    // Writes all of data, or reports false.
    bool write(const QByteArray& data);
    // Closes the descriptor; the file stays until this object is destroyed.
    // False when the close reports an error (data may not have reached the disk).
    bool close();

    // Creates <path><extraSuffix> (say ".log") exclusively with mode 0600 and
    // removes it with this file. Returns its path, or an empty text with the
    // reason in *error. The companion is closed again; its writer opens it.
    QString createCompanion(const QString& extraSuffix, QString* error = nullptr);
    const QStringList& companions() const { return companions_; }

private:
    TempFile(QString path, int fd);

    QString path_;
    int fd_ = -1;
    QStringList companions_;
};
