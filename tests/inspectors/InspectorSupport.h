// Shared steps of the inspector tests: a controller with every panel
// registered, a hidden document window, and typing into a panel's fields as
// a user does.

#pragma once

#include "app/DocumentWindowQt.h"
#include "app/Manager.h"
#include "inspectors/GeneralManager.h"
#include "inspectors/Inspectors.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"

#include <QLineEdit>

#include <memory>

namespace InspectorSupport {

// A controller whose panels are those of the program.
inline std::unique_ptr<Manager> controller()
{
    auto m = std::make_unique<Manager>();
    Inspectors::registerAll(*m);
    return m;
}

// A document in a window that is never shown; it is made current.
inline VexaDocument& openCurrent(Manager& m)
{
    VexaDocument& d = m.openDocument(std::make_unique<VexaDocument>(), false)->document();
    m.setCurrentDoc(&d, &d);
    return d;
}

// Types the text into the field and ends editing, as Return or leaving the
// field does.
inline void type(QLineEdit* field, const QString& text)
{
    field->setText(text);
    field->setModified(true);
    emit field->editingFinished();
}

// A controller, a current document and the general panel on show.
struct GeneralFixture {
    std::unique_ptr<Manager> m = controller();
    ScriptedAlerts alerts;
    VexaDocument& d = openCurrent(*m);
    GeneralManager* panel = nullptr;

    GeneralFixture()
    {
        m->switchInspector(QStringLiteral("general"));
        panel = dynamic_cast<GeneralManager*>(m->IM.value(QStringLiteral("general")));
    }
    const Ui::GeneralPanel& ui() const { return panel->ui(); }
};

} // namespace InspectorSupport
