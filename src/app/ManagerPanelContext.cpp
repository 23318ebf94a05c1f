// The controller as the inspector panels see it: a narrow view of its state
// and services (PanelContext), nothing else.

#include "app/Manager.h"

#include "app/InspectorHost.h"
#include "app/PanelContext.h"
#include "platform/UserDefaults.h"

namespace {

class ControllerPanelContext final : public PanelContext {
public:
    explicit ControllerPanelContext(Manager& manager)
            : m_(manager)
    {
    }

    VexaDocument* currentDocument() const override { return m_.PD; }
    VexaDocument* mainDocument() const override { return m_.MPD; }
    TextBoxItem* currentText() const override { return m_.T; }
    GraphicItem* currentGraphic() const override { return m_.G; }
    DocumentWindowQt* windowOf(VexaDocument* document) const override { return Manager::windowOf(document); }
    QHash<QString, double>& numericVariables() override { return m_.GV; }
    const ManagerServices& variableScope() const override { return m_; }
    void showInspectorFrame(bool show, const QString& missing) override
    {
        m_.inspectors().showFrame(show, missing);
    }
    void refresh() override { m_.update(); }
    FontChange& fontRelay() override { return *m_.fontChange; }
    TextFormat& textFormat() override { return *m_.textFormat; }
    UserDefaults& userDefaults() override { return UserDefaults::standard(); }
    QString timeFormat() const override { return m_.TDF(); }
    QString timeText(double seconds) const override { return m_.timeText(seconds); }
    int axisPair() const override { return m_.axis12(); }
    std::vector<int> selectedBufferRows() const override { return m_.selectedBufferRows(); }
    bool confirmBufferSelection() override { return m_.noSelectWarn(); }
    AxisLabelTableView* makeAxisLabelTable(QWidget* parent) override { return m_.makeAxisLabelTable(parent); }

protected:
    std::uint8_t& editsHeld() override { return m_.noedit; }

private:
    Manager& m_;
};

} // namespace

std::unique_ptr<PanelContext> Manager::makePanelContext()
{
    return std::make_unique<ControllerPanelContext>(*this);
}
