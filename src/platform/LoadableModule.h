#pragma once

#include <QLibrary>
#include <QString>
#include <QStringList>

#include <mutex>

// A part of the program built as a shared object of its own, because the
// libraries it links cost time at every start while few runs need them (the
// PDF library, the MySQL client, the Channel Access client). It is loaded on
// the first call that needs it. An installed program finds it in
// <prefix>/lib/vexa; a build that runs from its tree, where the build made it.
class LoadableModule {
public:
    // fileName: the module's file name ("libvexa_eps.so"); buildPath: where
    // this build made it, empty for a build that only runs installed;
    // entryPoint: a function every version of the module has.
    LoadableModule(QString fileName, QString buildPath, const char* entryPoint);
    LoadableModule(const LoadableModule&) = delete;
    LoadableModule& operator=(const LoadableModule&) = delete;

    // The module files a program in the given folder looks for, in order.
    QStringList candidates(const QString& executableDir) const;

    // The first of them that exists in a folder of this user's or root's
    // that nobody else can write to; empty when there is none. Nothing is
    // loaded.
    QString fileFor(const QString& executableDir) const;

    // A function of the module, which is loaded on the first call; null
    // when there is no usable module, it cannot be loaded (a library it
    // needs is missing, say) or it lacks the function.
    void* function(const char* name);

    // The table of calls the module's entry point returns, when the table
    // is the size this program expects (its first member, size, says); null
    // otherwise, with the reason in why.
    template <class Table> const Table* table(QString& why)
    {
        using Entry = const Table* (*)();
        const auto entry = reinterpret_cast<Entry>(function(entryPoint_));
        const Table* calls = entry ? entry() : nullptr;
        if (calls && calls->size == sizeof(Table))
            return calls;
        why = entry ? QStringLiteral("%1 was built for another version of the program").arg(fileName_)
                    : errorString();
        return nullptr;
    }

    // Why the module cannot be loaded (trying it, if no call has yet): the
    // files looked for, or the loader's own words. Empty when it is loaded.
    QString errorString();

private:
    bool load();

    const QString fileName_;
    const QString buildPath_;
    const char* const entryPoint_;
    std::once_flag once_;
    QLibrary library_;
    bool loaded_ = false;
    QString error_;
};
