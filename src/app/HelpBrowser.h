#pragma once

// The help window: the pages under doc/ of the program's resources, with
// the two reference pages made from the program's own tables, Back,
// Forward and Contents above them. Links to other sites open in the web
// browser.

#include <QTextBrowser>

class HelpBrowser : public QTextBrowser {
public:
    explicit HelpBrowser(QWidget* parent = nullptr);

    // A browser in a window of its own, with its navigation bar; the window
    // goes when the browser's parent goes.
    static HelpBrowser* inWindow();

    // Shows the contents page; when the help pages cannot be found, a page
    // that says where they were looked for.
    void showContents();

    // Shows one page of the help by its file name ("commands.html"),
    // optionally at an anchor; the contents page when there is no such page.
    void showPage(const QString& fileName, const QString& anchor = QString());

    // The reference pages are made, not read; everything else comes from
    // the files.
    QVariant loadResource(int type, const QUrl& name) override;
};
