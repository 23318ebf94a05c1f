// Shared steps of the tests of the data-operation panels: a current document
// of small buffers in a hidden window, rows selected in the buffer list, a
// panel on show, and whether the document was replotted since the last look.

#pragma once

#include "InspectorSupport.h"

#include "app/DataBufferTableView.h"
#include "model/DataBuffer.h"
#include "platform/UserDefaults.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QLineEdit>

#include <functional>
#include <initializer_list>

namespace OperationPanelSupport {

// n points (x0 + i, f(i)).
inline std::unique_ptr<DataBuffer> buffer(int n, const std::function<double(int)>& f, double x0 = 0)
{
    auto b = std::make_unique<DataBuffer>();
    for (int i = 0; i < n; ++i)
        b->addDoubleValue(x0 + i, f(i));
    b->setComment(QStringLiteral("b"));
    return b;
}

template <class Panel> struct PanelFixture {
    std::unique_ptr<Manager> m = InspectorSupport::controller();
    ScriptedAlerts alerts;
    VexaDocument& d = InspectorSupport::openCurrent(*m);
    Panel* panel = nullptr;

    explicit PanelFixture(const char* key)
    {
        m->switchInspector(QLatin1String(key));
        panel = dynamic_cast<Panel*>(m->inspectors().panel(QLatin1String(key)));
    }
    void add(std::unique_ptr<DataBuffer> b)
    {
        d.DB.push_back(std::move(b));
        m->update();
    }
    // Selects exactly these rows of the buffer list.
    void select(std::initializer_list<int> rows)
    {
        m->update();
        QItemSelectionModel* s = m->bufferSelection();
        s->clearSelection();
        for (int row : rows)
            s->select(s->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    DocumentWindowQt& window() { return *Manager::windowOf(&d); }
    // Whether the document replotted since the last call: the window shows
    // an edit, and the buffer list has a row per buffer.
    bool replotted()
    {
        const bool edited = window().isWindowModified();
        window().setDocumentEdited(false);
        return edited && m->bufferSelection()->model()->rowCount() == d.bufferCount();
    }
    DataBuffer& b(int i) { return *d.DB[std::size_t(i)]; }
};

inline UserDefaults& store()
{
    return UserDefaults::standard();
}

} // namespace OperationPanelSupport
