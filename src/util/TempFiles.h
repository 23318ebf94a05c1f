#pragma once

// Temporary files of the program: <temp dir>/vexa2_<12 random letters and
// digits><suffix>, created exclusively with mode 0600 and removed with the
// object.

#include "platform/TempFile.h"

#include <QString>

#include <memory>

std::unique_ptr<TempFile> makeTempFile(const QString& suffix = QStringLiteral(".tmp"),
                                       QString* error = nullptr);
