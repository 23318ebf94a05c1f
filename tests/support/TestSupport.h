#pragma once

#include <QString>

namespace TestSupport {

// A directory private to this test process, removed at exit.
QString scratchDir();

} // namespace TestSupport
