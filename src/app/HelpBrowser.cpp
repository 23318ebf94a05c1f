#include "app/HelpBrowser.h"

#include "app/HelpReference.h"
#include "platform/ResourceLocator.h"

#include <QAction>
#include <QFileInfo>
#include <QKeySequence>
#include <QStyle>
#include <QTextDocument>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

HelpBrowser::HelpBrowser(QWidget* parent)
        : QTextBrowser(parent)
{
    setOpenExternalLinks(true);
    setObjectName(QStringLiteral("helpView"));
}

HelpBrowser* HelpBrowser::inWindow()
{
    auto* window = new QWidget;
    window->setObjectName(QStringLiteral("helpWindow"));
    window->setWindowTitle(QStringLiteral("Vexa Help"));
    auto* column = new QVBoxLayout(window);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* bar = new QToolBar(window);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* browser = new HelpBrowser(window);
    QStyle* style = window->style();
    QAction* back = bar->addAction(style->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Back"));
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    QAction* forward
        = bar->addAction(style->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Forward"));
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    QAction* contents
        = bar->addAction(style->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Contents"));
    QObject::connect(back, &QAction::triggered, browser, &QTextBrowser::backward);
    QObject::connect(forward, &QAction::triggered, browser, &QTextBrowser::forward);
    QObject::connect(contents, &QAction::triggered, browser, [browser] { browser->showContents(); });
    QObject::connect(browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    QObject::connect(browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    // The window's title follows the page.
    QObject::connect(browser, &QTextBrowser::sourceChanged, window, [browser, window] {
        const QString title = browser->documentTitle();
        window->setWindowTitle(title.isEmpty() || title == QStringLiteral("Vexa Help")
                                   ? QStringLiteral("Vexa Help")
                                   : title + QStringLiteral(" – Vexa Help"));
    });
    column->addWidget(bar);
    column->addWidget(browser, 1);
    window->resize(780, 680);
    return browser;
}

void HelpBrowser::showContents()
{
    const QString index = ResourceLocator::resourcePath(QStringLiteral("doc/index.html"));
    if (!index.isEmpty()) {
        setSource(QUrl::fromLocalFile(index));
        return;
    }
    QStringList places = ResourceLocator::resourceRoots();
    QString where = places.isEmpty() ? QStringLiteral("no resource folder was found")
                                     : QStringLiteral("looked in ") + places.join(QStringLiteral(", "));
    setHtml(QStringLiteral("<h1>Vexa Help</h1><p>The help pages are not installed with this copy of "
                           "Vexa (%1).</p>")
                .arg(where.toHtmlEscaped()));
}

void HelpBrowser::showPage(const QString& fileName, const QString& anchor)
{
    const QString index = ResourceLocator::resourcePath(QStringLiteral("doc/index.html"));
    const QString folder = QFileInfo(index).path();
    const bool made = !HelpReference::page(fileName).isEmpty();
    if (index.isEmpty() || fileName.contains(QLatin1Char('/'))
        || (!made && !QFileInfo(folder + QLatin1Char('/') + fileName).isFile())) {
        showContents();
        return;
    }
    QUrl url = QUrl::fromLocalFile(folder + QLatin1Char('/') + fileName);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    setSource(url);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    if (type == QTextDocument::HtmlResource) {
        const QString made = HelpReference::page(QFileInfo(name.path()).fileName());
        if (!made.isEmpty())
            return made;
    }
    return QTextBrowser::loadResource(type, name);
}
