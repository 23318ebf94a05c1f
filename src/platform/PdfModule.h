#pragma once

#include <QString>
#include <QStringList>

// The PDF library and the two dozen libraries it pulls in live in a module
// of their own, loaded on the first PDF picture or EPS export instead of at
// every start of the program. An installed program finds the module in
// <prefix>/lib/vexa; a build that runs from its tree, where the build made it.
namespace PdfModule {

// The module files a program in the given folder looks for, in order.
QStringList candidates(const QString& executableDir);

// The first of them that exists in a folder of this user's or root's that
// nobody else can write to; empty when there is none. Nothing is loaded.
QString fileFor(const QString& executableDir);

// A function of the module, which is loaded on the first call; null when
// there is no usable module or it lacks the function.
void* function(const char* name);

} // namespace PdfModule
