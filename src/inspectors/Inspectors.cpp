#include "inspectors/Inspectors.h"

#include "app/Manager.h"
#include "inspectors/AxisFormatManager.h"
#include "inspectors/AxisLabelManager.h"
#include "inspectors/AxisManager.h"
#include "inspectors/CalcManager.h"
#include "inspectors/ErrorBarManager.h"
#include "inspectors/ExtraManager.h"
#include "inspectors/FitManager.h"
#include "inspectors/GeneralManager.h"
#include "inspectors/GraphicManager.h"
#include "inspectors/LegendManager.h"
#include "inspectors/NormalizeManager.h"
#include "inspectors/StyleManager.h"
#include "inspectors/TextManager.h"

#include <memory>

namespace Inspectors {

namespace {

template <class Panel> std::unique_ptr<InspectorPanel> make(Manager& manager)
{
    return std::make_unique<Panel>(manager);
}

} // namespace

void registerAll(Manager& manager)
{
    // clang-format off
    const struct {
        const char* key;
        Manager::InspectorFactory factory;
    } panels[] = {
        {"general", make<GeneralManager>},
        {"style",   make<StyleManager>},
        {"extra",   make<ExtraManager>},
        {"errorbar", make<ErrorBarManager>},
        {"normalize", make<NormalizeManager>},
        {"calc",    make<CalcManager>},
        {"fit",     make<FitManager>},
        {"axis", make<AxisManager>},
        {"axisformat", make<AxisFormatManager>},
        {"axislabel", make<AxisLabelManager>},
        {"legend",  make<LegendManager>},
        {"text",    make<TextManager>},
        {"graphic", make<GraphicManager>},
    };
    // clang-format on
    for (const auto& p : panels)
        manager.registerInspector(QLatin1String(p.key), p.factory);
}

} // namespace Inspectors
