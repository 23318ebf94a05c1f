#pragma once

// The files opened or saved lately, most recent first, kept in the
// user-defaults store under "RecentDocuments" so that the File menu's Open
// Recent survives a restart. Paths are stored absolute and cleaned; the
// same file is listed once.

#include <QString>
#include <QStringList>

class UserDefaults;

class RecentFiles {
public:
    static constexpr int capacity = 10;

    explicit RecentFiles(UserDefaults& store);

    // As stored: at most `capacity`, no empty entries, no duplicates.
    QStringList paths() const;
    // Puts the file at the top, removing an older entry of it and the
    // oldest entries beyond the capacity.
    void add(const QString& path);
    void remove(const QString& path);
    void clear();

private:
    void store(const QStringList& paths);

    UserDefaults& store_;
};
