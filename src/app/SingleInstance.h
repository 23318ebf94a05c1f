#pragma once

// One running Vexa per user and display: a later start with files hands
// them to the running instance, which opens them, and ends. The instance
// listens on a local socket in the user's private runtime directory, so no
// other user can reach it.
//
// The exchange: the files as UTF-8 paths, each ended by a NUL byte, after
// their total length in four bytes (big-endian); the instance answers "ok"
// at once, and the later start, having heard it in time, confirms with
// "go". Only confirmed files are opened: a start that heard no answer (the
// instance hangs) runs on its own, sure that the instance will not open
// them too. Anything else, or more than a megabyte, is dropped unread.
//
// The instance answers from a thread of its own, so that it answers while
// its main thread is busy (opening a large document, say); the files reach
// the handler on the main thread once that is free.
//
// Plain Unix-domain sockets: every start asks for the running instance, and
// the toolkit's network library would cost more to load than the whole
// exchange takes.

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class SingleInstance : public QObject {
public:
    SingleInstance();
    ~SingleInstance() override;

    // The socket for this user and display, in $XDG_RUNTIME_DIR when that
    // is a private directory of this user; empty otherwise (then every
    // start runs on its own).
    static QString defaultSocketPath();

    // Gives the files to the instance listening at the path. True when it
    // took them; false when none listens or it did not answer in time.
    static bool handOver(const QString& socketPath, const QStringList& files, int timeoutMs = 3000);

    // Listens at the path; files handed over later reach the handler on the
    // main thread. A socket file left behind by an instance that has gone
    // is replaced. False when another instance listens there already or the
    // socket cannot be made.
    bool listen(const QString& socketPath, std::function<void(const QStringList&)> handler);
    bool isListening() const;

    static constexpr int maxMessageBytes = 1 << 20;

private:
    struct Listener;

    void deliver(const QStringList& files);

    QString socketPath_;
    std::unique_ptr<Listener> listener_;
    std::function<void(const QStringList&)> handler_;
};
