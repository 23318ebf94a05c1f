#pragma once

// The perl scripts of the program (resources/perl/<name>.pl), found next to
// the executable (a resources folder in its directory or one of the few
// above it), in the installed data folder /usr/share/vexa/resources, and,
// for runs from the build tree, in the source tree's resources folder.

#include <QString>

namespace MacroResources {

// Path of resources/perl/<name>.pl, or an empty text when none exists.
QString perlScript(const QString& name);

} // namespace MacroResources
