#include "app/AlertDialogs.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QStyle>

#include <algorithm>

namespace AlertDialogs {

QString breakablePaths(const QString& message)
{
    // A zero-width space after each separator of a long word lets the line
    // break there instead of anywhere in the middle of a name.
    QString out;
    out.reserve(message.size() + message.size() / 8);
    int wordLength = 0;
    for (const QChar c : message) {
        out += c;
        wordLength = c.isSpace() ? 0 : wordLength + 1;
        if (wordLength > 16 && (c == QLatin1Char('/') || c == QLatin1Char('\\')))
            out += QChar(0x200B);
    }
    return out;
}

void fitToText(QMessageBox& box, const QString& title, const QString& message)
{
    box.setTextFormat(Qt::PlainText);
    if (auto* informative = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);

    const QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->availableGeometry().width() : 1024;
    const int widest = std::max(360, std::min(620, screenWidth * 4 / 5));

    // The message's longest line, and the title twice over: once in bold
    // above the message, once in the title bar next to the window buttons.
    const QFontMetrics text(box.font());
    int lineWidth = 0;
    for (const QString& line : message.split(QLatin1Char('\n')))
        lineWidth = std::max(lineWidth, text.horizontalAdvance(line));
    QFont bold = box.font();
    bold.setBold(true);
    const int titleWidth = QFontMetrics(bold).horizontalAdvance(title);
    const int iconColumn = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box) + 40;
    const int wanted = std::max({lineWidth + iconColumn, titleWidth + 160, 360});
    const int width = std::min(wanted, widest);

    // The box works its size out from its layout's minimum width; a strut
    // across the bottom row raises that minimum.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const QMargins m = grid->contentsMargins();
        grid->addItem(
            new QSpacerItem(width - m.left() - m.right(), 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
            grid->rowCount(), 0, 1, grid->columnCount());
    }
}

Alert::Handler handler()
{
    Alert::Handler h;
    h.run = [](const Alert::Request& r) {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(r.title);
        box.setText(r.title);
        box.setInformativeText(breakablePaths(r.message));
        box.setIcon(QMessageBox::Warning);
        fitToText(box, r.title, r.message);
        std::vector<QPushButton*> buttons;
        for (const QString& title : r.buttons)
            buttons.push_back(box.addButton(title, QMessageBox::ActionRole));
        // The first button answers Return, a "Cancel" button Escape (the
        // only button when there is just one).
        box.setDefaultButton(buttons.front());
        QPushButton* escape = buttons.size() == 1 ? buttons.front() : nullptr;
        for (QPushButton* b : buttons)
            if (b->text() == QStringLiteral("Cancel"))
                escape = b;
        if (escape)
            box.setEscapeButton(escape);
        box.exec();
        for (std::size_t i = 0; i < buttons.size(); ++i)
            if (box.clickedButton() == buttons[i])
                return int(i);
        return 0;
    };
    h.input = [](const Alert::InputRequest& r) -> std::optional<QString> {
        bool ok = false;
        const QString text = QInputDialog::getText(QApplication::activeWindow(), r.title, r.message,
                                                   QLineEdit::Normal, r.defaultText, &ok);
        if (!ok)
            return std::nullopt;
        return text;
    };
    h.beep = [] { QApplication::beep(); };
    return h;
}

} // namespace AlertDialogs
