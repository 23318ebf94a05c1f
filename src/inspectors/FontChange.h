#pragma once

// The relay between the font dialog and whoever asked for a font. There is
// one per controller (FontChange::of) and one non-modal font dialog behind
// it: a panel arms the relay with the font it edits and what that font is
// (an axis, a font id), opens the dialog, and every font the user then picks
// comes back to that receiver through receiveFont, until another receiver
// takes over.

#include <QFont>
#include <QObject>
#include <QPointer>

class QFontDialog;

class FontReceiver {
public:
    virtual ~FontReceiver() = default;
    // The relay's font is the one the user picked; fcaxis and fid say which
    // font of the receiver it is meant for.
    virtual void receiveFont() = 0;
};

class FontChange : public QObject {
public:
    // The relay of the controller, made with it the first time it is asked
    // for, and gone with it.
    static FontChange& of(QObject& controller);

    int fcaxis = 0; // an axis the receiver needs (AxisIndex)
    int fid = 0; // which font of the receiver
    QFont font; // the font being edited

    // Arms the relay: the next fonts picked go to the receiver.
    void setReceiver(int axis, int id, const QFont& edited, FontReceiver* receiver);
    // A receiver that goes away lets go of the relay first.
    void forget(const FontReceiver* receiver);
    FontReceiver* receiver() const { return receiver_; }

    // Shows the font dialog with the font selected (when given), in front.
    void showPanel(const QFont* selected);
    // The user picked a font: it becomes the relay's font and goes to the
    // receiver. With no receiver the pick is dropped.
    void changeFont(const QFont& picked);

private:
    explicit FontChange(QObject* parent);
    ~FontChange() override;

    FontReceiver* receiver_ = nullptr;
    QPointer<QFontDialog> panel_;
};
