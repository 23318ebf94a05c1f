#include "inspectors/FontChange.h"

#include <QFontDialog>

namespace {
const char relayName[] = "vexaFontChange";
}

FontChange::FontChange(QObject* parent)
        : QObject(parent)
{
    setObjectName(QLatin1String(relayName));
}

FontChange::~FontChange()
{
    delete panel_.data();
}

FontChange& FontChange::of(QObject& controller)
{
    auto* relay = controller.findChild<FontChange*>(QLatin1String(relayName), Qt::FindDirectChildrenOnly);
    return relay ? *relay : *new FontChange(&controller);
}

void FontChange::setReceiver(int axis, int id, const QFont& edited, FontReceiver* receiver)
{
    fcaxis = axis;
    fid = id;
    font = edited;
    receiver_ = receiver;
}

void FontChange::forget(const FontReceiver* receiver)
{
    if (receiver_ == receiver)
        receiver_ = nullptr;
}

void FontChange::showPanel(const QFont* selected)
{
    if (!panel_) {
        panel_ = new QFontDialog;
        panel_->setWindowTitle(QStringLiteral("Fonts"));
        panel_->setOption(QFontDialog::NoButtons, true);
        connect(panel_.data(), &QFontDialog::currentFontChanged, this, [this](const QFont& f) {
            // Selecting the armed font in the dialog is no pick.
            if (f != font)
                changeFont(f);
        });
    }
    if (selected) {
        const QSignalBlocker quiet(panel_.data());
        panel_->setCurrentFont(*selected);
    }
    panel_->show();
    panel_->raise();
    panel_->activateWindow();
}

void FontChange::changeFont(const QFont& picked)
{
    font = picked;
    if (receiver_)
        receiver_->receiveFont();
}
