#include "app/FontChange.h"

#include "platform/Font.h"

#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QSignalBlocker>

namespace {

// The font as the panel lists it: in the style of the face it resolves to.
// Told only a weight and a slant, the panel looks for a style named after
// them ("Normal"), and in a family whose regular face has another name
// ("Book") it shows the family's first style instead, an oblique or a
// condensed one, which the next pick of a size would take along.
QFont listed(const QFont& font)
{
    if (!font.styleName().isEmpty())
        return font;
    const QString style = QFontInfo(font).styleName();
    if (style.isEmpty() || !QFontDatabase::styles(font.family()).contains(style))
        return font;
    QFont f = font;
    f.setStyleName(style);
    return f;
}

} // namespace

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
        panel_->setCurrentFont(listed(font_));
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
        panel_->setCurrentFont(listed(font_));
    }
    panel_->show();
    panel_->raise();
    panel_->activateWindow();
}

QFontDialog* FontChange::panel() const
{
    return panel_;
}

QString FontChange::fontText(const QFont& font)
{
    return QStringLiteral("%1 - %2 pt").arg(Font::storedName(font)).arg(font.pointSizeF(), 0, 'f', 0);
}

void FontChange::forget(FontReceiver* receiver)
{
    if (receiver_ == receiver)
        receiver_ = nullptr;
}
