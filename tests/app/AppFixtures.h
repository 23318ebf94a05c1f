// Fixtures shared by the tests of the application controller.

#pragma once

#include "app/DocumentWindowQt.h"
#include "app/Manager.h"
#include "model/VexaDocument.h"
#include "support/TestSupport.h"
#include "view/VexaView.h"

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

} // namespace AppFixtures
