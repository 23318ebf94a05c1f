#pragma once

// A file written the safe way: the bytes go to a temporary file beside the
// target (made exclusively, mode 0600, removed on failure or on a
// termination signal), which is synced and then renamed over the target. So
// the target is either the old file, untouched, or the complete new one;
// when no temporary file can be made beside it, nothing is written at all,
// never the target in place. A replaced file keeps its mode, and its owner
// and group where we may set them. A target with further hard links is
// replaced under this name only: the other names keep the old content. Failures carry the system's reason
// ("No space left on device").
//
// A target that is a symbolic link has the file it points to replaced; one
// that is a device or a pipe holds no content to lose and is written
// straight.

#include <QByteArray>
#include <QString>

#include <memory>

class TempFile;

class AtomicFile {
public:
    explicit AtomicFile(const QString& target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Makes the temporary file. False, with the reason, when it cannot.
    bool open();
    // False once any write has failed; later writes do nothing.
    bool write(const char* data, qint64 size);
    bool write(const QByteArray& data) { return write(data.constData(), data.size()); }
    // Syncs the written bytes and puts them in the target's place. False,
    // with the reason, when any step failed; the target then is untouched.
    bool commit();

    // "<target> could not be written: <reason>" after a failure.
    const QString& errorString() const { return error_; }

    // The whole file at once.
    static bool writeFile(const QString& target, const QByteArray& data, QString* error = nullptr);

private:
    bool fail(int err);
    bool fail(const QString& reason);

    QString target_;
    std::unique_ptr<TempFile> temp_;
    int direct_ = -1; // descriptor of a device or pipe written straight
    bool failed_ = false;
    QString error_;
};
