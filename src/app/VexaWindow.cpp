#include "app/VexaWindow.h"

#include <QUrl>

void VexaWindow::setRepresentedURL(const QUrl&)
{
    setWindowFilePath(QString());
}
