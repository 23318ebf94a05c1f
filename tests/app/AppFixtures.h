// Fixtures shared by the tests of the application controller.

#pragma once

#include "app/DocumentWindowQt.h"
#include "app/Manager.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "support/TestSupport.h"
#include "view/GraphWidget.h"
#include "view/VexaView.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QMainWindow>
#include <QString>

namespace AppFixtures {

// A file of these bytes in the scratch folder; its path, or empty when it
// could not be written.
inline QString writeScratch(const QString& name, const QByteArray& bytes)
{
    const QString path = TestSupport::scratchDir() + QLatin1Char('/') + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

// A sub-view of the main document (which has a window) at the frame, with
// its view kept by the main document's window, as a document file makes one.
inline VexaDocument* addSubview(Manager& m, VexaDocument& main, const QRectF& frame)
{
    return m.addSubview(main, frame);
}

// The inspector window shown with the point table on show: a hidden table
// takes in no rows.
inline void showPointTable(Manager& m)
{
    m.switchDataView(QStringLiteral("data"));
    m.inspector->show();
}

// A controller with one document window on show, 600 x 450 points of
// graph, its document current; alerts are answered by the test.
struct ShownWindow {
    Manager m;
    ScriptedAlerts alerts;
    DocumentWindowQt* w = m.openDocument(std::make_unique<VexaDocument>(), true);
    VexaDocument& d = w->document();
    GraphWidget& graph = w->graphWidget();

    ShownWindow()
    {
        w->setContentSize(QSize(600, 450));
        QApplication::processEvents();
        m.setCurrentDoc(&d, &d);
    }
};

} // namespace AppFixtures
