#pragma once

// The perl scripts of the program, perl/<name>.pl in its resource folder
// (see ResourceLocator for where that is and is not).

#include <QString>

namespace MacroResources {

// Path of perl/<name>.pl, or an empty text when none exists.
QString perlScript(const QString& name);

} // namespace MacroResources
