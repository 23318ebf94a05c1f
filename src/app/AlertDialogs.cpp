#include "app/AlertDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace AlertDialogs {

Alert::Handler handler()
{
    Alert::Handler h;
    h.run = [](const Alert::Request& r) {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(r.title);
        box.setText(r.title);
        box.setInformativeText(r.message);
        box.setIcon(QMessageBox::Warning);
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
