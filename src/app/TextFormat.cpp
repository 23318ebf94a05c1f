#include "app/TextFormat.h"

#include "app/DocumentWindowQt.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/Font.h"
#include "view/GraphWidget.h"
#include "view/TextRuns.h"
#include "view/VexaTextView.h"

#include <QColorDialog>
#include <QKeySequence>
#include <QMenu>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

TextFormat::TextFormat(ManagerServices& manager, FontChange& relay, QObject* parent)
        : QObject(parent)
        , M(manager)
        , relay_(relay)
{
}

TextFormat::~TextFormat()
{
    delete colorPanel_;
}

QMenu* TextFormat::menu(QWidget* owner)
{
    if (menu_)
        return menu_;
    menu_ = new QMenu(QStringLiteral("Format"), owner);
    // clang-format off
    const struct {
        const char* title;
        QKeySequence key;
        void (TextFormat::*action)();
    } items[] = {
        {"Font…", QKeySequence(Qt::CTRL | Qt::Key_T), &TextFormat::chooseFont},
        {nullptr, {}, nullptr},
        {"Bold", QKeySequence::Bold, &TextFormat::toggleBold},
        {"Italic", QKeySequence::Italic, &TextFormat::toggleItalic},
        {"Underline", QKeySequence::Underline, &TextFormat::toggleUnderline},
        {nullptr, {}, nullptr},
        {"Bigger", QKeySequence(), &TextFormat::bigger},
        {"Smaller", QKeySequence(), &TextFormat::smaller},
        {nullptr, {}, nullptr},
        {"Text Colour…", QKeySequence(), &TextFormat::chooseColor},
    };
    // clang-format on
    for (const auto& item : items) {
        if (!item.title) {
            menu_->addSeparator();
            continue;
        }
        QAction* a = menu_->addAction(QString::fromUtf8(item.title));
        a->setShortcut(item.key);
        connect(a, &QAction::triggered, this, [this, run = item.action] { (this->*run)(); });
    }
    return menu_;
}

VexaTextView* TextFormat::box() const
{
    if (auto* current = dynamic_cast<VexaTextView*>(M.T))
        return current;
    // A box still being edited stays the target when its window, coming back
    // to the front after the font or colour panel, made nothing current.
    auto* window = M.MPD ? dynamic_cast<DocumentWindowQt*>(M.MPD->W) : nullptr;
    return window ? window->graphWidget().editedBox() : nullptr;
}

QTextEdit* TextFormat::editorOf(const VexaTextView& box)
{
    const VexaDocument* d = box.PD;
    const VexaDocument* main = d && d->MPD ? d->MPD : d;
    auto* window = main ? dynamic_cast<DocumentWindowQt*>(main->W) : nullptr;
    if (!window || window->graphWidget().editedBox() != &box)
        return nullptr;
    return window->graphWidget().textEditor();
}

QTextCursor TextFormat::range(VexaTextView& box) const
{
    if (QTextEdit* editor = editorOf(box))
        return editor->textCursor();
    QTextCursor all(&box.document());
    all.select(QTextCursor::Document);
    return all;
}

QFont TextFormat::font() const
{
    VexaTextView* b = box();
    return b ? TextRuns::fontAt(range(*b)) : Font::userFont(12);
}

QColor TextFormat::color() const
{
    VexaTextView* b = box();
    const QBrush ink = b ? TextRuns::formatAt(range(*b)).foreground() : QBrush();
    return ink.style() == Qt::NoBrush ? QColor(Qt::black) : ink.color();
}

void TextFormat::restyle(const std::function<void(QTextCharFormat&)>& change)
{
    VexaTextView* b = box();
    if (!b || !b->PD) {
        Alert::beep();
        return;
    }
    QTextCursor chars = range(*b);
    if (QTextEdit* editor = editorOf(*b)) {
        TextRuns::restyle(chars, change);
        // Without a selection the change is in the cursor, for what is typed
        // next.
        editor->setTextCursor(chars);
    } else {
        const QString before = b->document().toHtml();
        TextRuns::restyle(chars, change);
        TextRuns::registerUndo(*b, before);
    }
    b->textHasChanged();
    VexaDocument* d = b->PD;
    (d->MPD ? d->MPD : d)->replot();
}

void TextFormat::takeFontPanel()
{
    relay_.setReceiver(0, fontId, font(), this);
}

void TextFormat::chooseFont()
{
    if (box())
        takeFontPanel();
    relay_.orderFrontFontPanel();
}

void TextFormat::receiveFont(const FontChange& relay)
{
    if (relay.fid() != fontId)
        return;
    const QFont picked = relay.font();
    restyle([&picked](QTextCharFormat& f) { TextRuns::setFont(f, picked); });
}

void TextFormat::toggleBold()
{
    const bool on = font().weight() < QFont::Bold;
    restyle([on](QTextCharFormat& f) { TextRuns::setBold(f, on); });
}

void TextFormat::toggleItalic()
{
    const bool on = !font().italic();
    restyle([on](QTextCharFormat& f) { TextRuns::setItalic(f, on); });
}

void TextFormat::toggleUnderline()
{
    const bool on = !font().underline();
    restyle([on](QTextCharFormat& f) { f.setFontUnderline(on); });
}

void TextFormat::bigger()
{
    const VexaTextView* b = box();
    const QFont own = b ? b->document().defaultFont() : QFont();
    restyle([&own](QTextCharFormat& f) { TextRuns::stepSize(f, own, 1); });
}

void TextFormat::smaller()
{
    const VexaTextView* b = box();
    const QFont own = b ? b->document().defaultFont() : QFont();
    restyle([&own](QTextCharFormat& f) { TextRuns::stepSize(f, own, -1); });
}

void TextFormat::chooseColor()
{
    if (!box()) {
        Alert::beep();
        return;
    }
    if (!colorPanel_) {
        colorPanel_ = new QColorDialog;
        colorPanel_->setObjectName(QStringLiteral("textColorPanel"));
        colorPanel_->setWindowTitle(QStringLiteral("Text Colour"));
        colorPanel_->setOption(QColorDialog::DontUseNativeDialog, true);
        colorPanel_->setModal(false);
        connect(colorPanel_, &QColorDialog::colorSelected, this, [this](const QColor& c) { setColor(c); });
    }
    colorPanel_->setCurrentColor(color());
    colorPanel_->show();
    colorPanel_->raise();
    colorPanel_->activateWindow();
}

QColorDialog* TextFormat::colorPanel() const
{
    return colorPanel_;
}

void TextFormat::setColor(const QColor& color)
{
    if (!color.isValid())
        return;
    restyle([&color](QTextCharFormat& f) { f.setForeground(color); });
}
