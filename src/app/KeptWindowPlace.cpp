#include "app/KeptWindowPlace.h"

#include "platform/UserDefaults.h"

#include <QEvent>
#include <QWidget>

#include <utility>

KeptWindowPlace::KeptWindowPlace(QWidget* window, QString key, UserDefaults& defaults)
        : QObject(window)
        , window_(window)
        , key_(std::move(key))
        , defaults_(defaults)
{
    settled_.setSingleShot(true);
    settled_.setInterval(500);
    connect(&settled_, &QTimer::timeout, this, [this] { store(); });
    window->installEventFilter(this);
}

bool KeptWindowPlace::restore()
{
    // Qt brings a geometry from another screen layout back onto a screen.
    const QByteArray stored = defaults_.dataForKey(key_);
    return !stored.isEmpty() && window_->restoreGeometry(stored);
}

void KeptWindowPlace::store()
{
    settled_.stop();
    defaults_.setValue(key_, window_->saveGeometry());
}

bool KeptWindowPlace::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != window_)
        return false;
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
        if (window_->isVisible())
            settled_.start();
        break;
    case QEvent::Hide:
        if (!window_->isMinimized())
            store();
        break;
    default:
        break;
    }
    return false;
}
