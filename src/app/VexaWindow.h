#pragma once

// The window class of document windows. A document window names its file in
// the title only: it represents no file to the window system, so there is no
// proxy icon and no path menu in its title bar, whatever it is given.

#include <QMainWindow>

class QUrl;

class VexaWindow : public QMainWindow {
public:
    using QMainWindow::QMainWindow;

    // Represents no file, whatever the URL.
    void setRepresentedURL(const QUrl& url);
};
