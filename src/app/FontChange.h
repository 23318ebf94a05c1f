#pragma once

// The relay between the font panel and whoever asked for a font: the
// controller (the default fonts, a document's legend font) or a panel (an
// axis's title and number fonts, the legend font). The asker arms the relay
// with the font on show and which of its fonts it is; every font the user
// then picks in the panel becomes the relay's font and goes to the asker,
// until another asker takes over.
//
// The panel is a font dialog without buttons that stays open beside the
// windows (not modal): each pick takes effect at once.
//
// Main thread only.

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QString>

class FontChange;
class QFontDialog;

class FontReceiver {
public:
    // The user picked a font: relay.font(), for relay.fid() (and the axis
    // relay.fcaxis() where the receiver needs one).
    virtual void receiveFont(const FontChange& relay) = 0;

protected:
    FontReceiver() = default;
    FontReceiver(const FontReceiver&) = delete;
    FontReceiver& operator=(const FontReceiver&) = delete;
    // A receiver that goes away is forgotten by the relay it armed.
    virtual ~FontReceiver();

private:
    friend class FontChange;
    FontChange* relay_ = nullptr;
};

class FontChange : public QObject {
public:
    explicit FontChange(QObject* parent = nullptr);
    ~FontChange() override;

    // Arms the relay: the font being edited, which font of the receiver it
    // is, and the receiver (null: picks go nowhere). The panel shows the
    // font without relaying it.
    void setReceiver(int fcaxis, int fid, const QFont& font, FontReceiver* receiver);
    // A pick of the panel: becomes font() and goes to the receiver.
    void changeFont(const QFont& font);
    // Brings the panel up (made on first use), showing font().
    void orderFrontFontPanel();

    int fcaxis() const { return fcaxis_; }
    int fid() const { return fid_; }
    QFont font() const { return font_; }
    FontReceiver* receiver() const { return receiver_; }
    // The panel; null until first shown.
    QFontDialog* panel() const;

    // How a font is named beside the button that brings up the panel: its
    // stored name and its size in whole points ("Times-Bold - 20 pt").
    static QString fontText(const QFont& font);

private:
    void forget(FontReceiver* receiver);
    friend class FontReceiver;

    QFont font_;
    int fcaxis_ = 0;
    int fid_ = 0;
    FontReceiver* receiver_ = nullptr;
    QPointer<QFontDialog> panel_;
};
