#pragma once

// Alerts, input requests and the beep of a run with windows: a message box
// over the active window, a one-line input dialog, the display's bell. A run
// without windows keeps the platform's default handler (stderr).

#include "platform/Alert.h"

class QMessageBox;
class QString;

namespace AlertDialogs {

Alert::Handler handler();

// The message as the box shows it: plain text in which long paths may break
// after their separators.
QString breakablePaths(const QString& message);

// Gives a message box room for its text: wide enough for its window title
// and for the longest line of its message up to a reading width, never
// wider than the screen allows. Messages are shown as plain text, so a "<"
// in a file name stays a "<".
void fitToText(QMessageBox& box, const QString& title, const QString& message);

} // namespace AlertDialogs
