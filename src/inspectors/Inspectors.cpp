#include "inspectors/Inspectors.h"

#include "app/InspectorHost.h"
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

template <class Panel> std::unique_ptr<InspectorPanel> make(PanelContext& context)
{
    return std::make_unique<Panel>(context);
}

} // namespace

void registerAll(InspectorHost& host)
{
    // clang-format off
    const struct {
        InspectorKey key;
        InspectorHost::Factory factory;
    } panels[] = {
        {InspectorKey::General,    make<GeneralManager>},
        {InspectorKey::Style,      make<StyleManager>},
        {InspectorKey::Extra,      make<ExtraManager>},
        {InspectorKey::ErrorBar,   make<ErrorBarManager>},
        {InspectorKey::Normalize,  make<NormalizeManager>},
        {InspectorKey::Calc,       make<CalcManager>},
        {InspectorKey::Fit,        make<FitManager>},
        {InspectorKey::Axis,       make<AxisManager>},
        {InspectorKey::AxisFormat, make<AxisFormatManager>},
        {InspectorKey::AxisLabel,  make<AxisLabelManager>},
        {InspectorKey::Legend,     make<LegendManager>},
        {InspectorKey::Text,       make<TextManager>},
        {InspectorKey::Graphic,    make<GraphicManager>},
    };
    // clang-format on
    for (const auto& p : panels)
        host.setFactory(p.key, p.factory);
}

} // namespace Inspectors
