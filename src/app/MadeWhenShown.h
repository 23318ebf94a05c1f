#pragma once

// A widget whose contents are made the first time it is shown, or earlier
// when its owner asks (so that a window is sized with them): a run that never
// shows it never pays for them. Its polish is no sign of showing: a window is
// polished at the first turn of the event loop, shown or not.

#include <QWidget>

#include <functional>
#include <utility>

class MadeWhenShown : public QWidget {
public:
    explicit MadeWhenShown(std::function<void(QWidget&)> make)
            : make_(std::move(make))
    {
    }

    // Makes the contents now, unless they are made already.
    void make()
    {
        if (make_)
            std::exchange(make_, {})(*this);
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        if (make_) {
            make();
            // Shown with this widget, as if they had been there before; not
            // at the next turn of the event loop.
            for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (!child->isWindow() && !child->testAttribute(Qt::WA_WState_ExplicitShowHide))
                    child->show();
        }
        QWidget::showEvent(event);
    }

private:
    std::function<void(QWidget&)> make_;
};
