#include "app/FontChange.h"

#include <QFontDialog>
#include <QSignalBlocker>

FontReceiver::~FontReceiver()
{
    if (relay_)
        relay_->forget(this);
}

FontChange::FontChange(QObject* parent)
        : QObject(parent)
{
}

FontChange::~FontChange()
{
    if (receiver_)
        receiver_->relay_ = nullptr;
    delete panel_;
}

void FontChange::setReceiver(int fcaxis, int fid, const QFont& font, FontReceiver* receiver)
{
    if (receiver_ && receiver_ != receiver)
        receiver_->relay_ = nullptr;
    fcaxis_ = fcaxis;
    fid_ = fid;
    font_ = font;
    receiver_ = receiver;
    if (receiver_)
        receiver_->relay_ = this;
    if (panel_) {
        // Showing the font being edited is no pick.
        const QSignalBlocker quiet(panel_);
        panel_->setCurrentFont(font_);
    }
}

void FontChange::changeFont(const QFont& font)
{
    font_ = font;
    if (receiver_)
        receiver_->receiveFont(*this);
}

void FontChange::orderFrontFontPanel()
{
    if (!panel_) {
        panel_ = new QFontDialog;
        panel_->setObjectName(QStringLiteral("fontPanel"));
        panel_->setWindowTitle(QStringLiteral("Fonts"));
        panel_->setOption(QFontDialog::NoButtons, true);
        panel_->setOption(QFontDialog::DontUseNativeDialog, true);
        panel_->setModal(false);
        connect(panel_, &QFontDialog::currentFontChanged, this, [this](const QFont& f) { changeFont(f); });
    }
    {
        const QSignalBlocker quiet(panel_.data());
        panel_->setCurrentFont(font_);
    }
    panel_->show();
    panel_->raise();
    panel_->activateWindow();
}

QFontDialog* FontChange::panel() const
{
    return panel_;
}

void FontChange::forget(FontReceiver* receiver)
{
    if (receiver_ == receiver)
        receiver_ = nullptr;
}
