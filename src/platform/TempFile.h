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
#include <vector>

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

    // Empty once the file has been renamed to a target.
    const QString& path() const { return path_; }
    bool isOpen() const { return fd_ >= 0; }

    // Writes all of data, or reports false.
    bool write(const QByteArray& data);
    // Closes the descriptor; the file stays until this object is destroyed.
    // False when the close reports an error (data may not have reached the disk).
    bool close();

    // Descriptor of the open file (-1 once closed), for syncing and for
    // setting its mode before it takes a target's place.
    int descriptor() const { return fd_; }
    // Renames the file to target (replacing what is there) and gives it up:
    // it is no longer removed with this object. False, with errno set, when
    // the rename fails; the file then stays this object's.
    bool renameTo(const QString& target);

    // Removes every temporary file that exists right now. Safe to call from
    // a signal handler: it only walks a fixed table and calls unlink.
    static void removeAllNow();
    // SIGINT, SIGTERM and SIGHUP remove the temporary files and then end the
    // program as the signal would have. Call once, early in main().
    static void removeAllOnTerminationSignals();

    // Creates <path><extraSuffix> (say ".log") exclusively with mode 0600 and
    // removes it with this file. Returns its path, or an empty text with the
    // reason in *error. The companion is closed again; its writer opens it.
    QString createCompanion(const QString& extraSuffix, QString* error = nullptr);
    const QStringList& companions() const { return companions_; }

private:
    TempFile(QString path, int fd, int slot);

    QString path_;
    int fd_ = -1;
    QStringList companions_;
    std::vector<int> slots_; // of path_ and the companions in the signal table
};
