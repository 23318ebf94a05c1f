#pragma once

// Where the program's own resources (perl/ scripts, doc/ help pages,
// examples/) come from. Only two places qualify:
//  - the install location: an executable installed as <prefix>/bin/vexa
//    reads <prefix>/share/vexa;
//  - the resources folder of the source tree the build was configured from
//    (fixed when the program is compiled).
// Never other folders above the executable and never the working directory:
// a script found there could have been planted by anyone who can write to,
// say, the shared temporary folder, and the macro runner executes it.
// A folder also counts only when it belongs to this user or to root and is
// not writable by everyone; a file in it only when it belongs to this user or
// to root and nobody else may write to it.

#include <QString>
#include <QStringList>

namespace ResourceLocator {

// The resource folders in the order they are searched; folders that do not
// exist or fail the ownership check are left out.
QStringList resourceRoots();

// Absolute path of <root>/<relative> in the first root that holds it (a
// file or a folder) and passes the checks, or an empty text when none does.
QString resourcePath(const QString& relative);

// The same decision for a given executable folder and compiled-in source
// resources folder (empty: none); the functions above use the running
// program's values.
QStringList resourceRootsFor(const QString& executableDir, const QString& sourceResources);

// Whether a folder belongs to this user or to root and is not writable by
// everyone: the test every folder passes before the program reads or loads
// code from it.
bool trustedFolder(const QString& path);

// Whether a file is a regular file of this user or of root that neither its
// group nor others may write to: the test every script, page and module
// passes before the program reads or runs it.
bool trustedFile(const QString& path);

// The compiled-in source resources folder; empty when the build has none.
QString sourceResources();

} // namespace ResourceLocator
