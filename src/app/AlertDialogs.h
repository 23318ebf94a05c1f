#pragma once

// Alerts, input requests and the beep of a run with windows: a message box
// over the active window, a one-line input dialog, the display's bell. A run
// without windows keeps the platform's default handler (stderr).

#include "platform/Alert.h"

namespace AlertDialogs {

Alert::Handler handler();

} // namespace AlertDialogs
