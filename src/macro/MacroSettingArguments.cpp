#include "macro/MacroSettingArguments.h"

#include "macro/Macro.h"
#include "platform/CNumber.h"
#include "platform/Font.h"

#include <cmath>

namespace SettingArgument {

namespace {

bool inSlots(int slot)
{
    return slot >= 0 && slot < Macro::SlotCount;
}

// The number of a d or i argument; nothing for a slot out of range or a
// value that is not finite.
std::optional<double> finite(const Macro& m, int slot)
{
    if (!inSlots(slot) || !std::isfinite(m.D[std::size_t(slot)]))
        return std::nullopt;
    return m.D[std::size_t(slot)];
}

std::optional<int> integer(const Macro& m, int slot)
{
    if (!finite(m, slot))
        return std::nullopt;
    return m.I[std::size_t(slot)];
}

bool given(const Macro& m, int slot)
{
    return inSlots(slot) && m.O[std::size_t(slot)];
}

} // namespace

std::optional<Flag> OnOff::operator()(const Macro& m) const
{
    const auto v = integer(m, slot);
    return v ? std::optional<Flag>(*v != 0 ? 1 : 0) : std::nullopt;
}

std::optional<Flag> OnForOne::operator()(const Macro& m) const
{
    const auto v = integer(m, slot);
    return v ? std::optional<Flag>(*v == 1 ? 1 : 0) : std::nullopt;
}

std::optional<int> UpTo::operator()(const Macro& m) const
{
    const auto v = integer(m, slot);
    return v && *v >= 0 && *v <= max ? v : std::nullopt;
}

std::optional<int> NotNegative::operator()(const Macro& m) const
{
    const auto v = integer(m, slot);
    return v && *v >= 0 ? v : std::nullopt;
}

std::optional<int> IntegerPart::operator()(const Macro& m) const
{
    return integer(m, slot);
}

std::optional<double> Number::operator()(const Macro& m) const
{
    return finite(m, slot);
}

std::optional<double> NumberIn::operator()(const Macro& m) const
{
    const auto v = finite(m, slot);
    return v && *v >= lo && *v <= hi ? v : std::nullopt;
}

std::optional<QString> Text::operator()(const Macro& m) const
{
    return m.S.value(slot);
}

std::optional<QString> NumberText::operator()(const Macro& m) const
{
    if (!given(m, slot))
        return QString();
    const auto v = finite(m, slot);
    return v ? std::optional<QString>(QString::fromStdString(CNumber::format("%g", *v))) : std::nullopt;
}

std::optional<QString> IntegerText::operator()(const Macro& m) const
{
    if (!given(m, slot))
        return QString();
    const auto v = integer(m, slot);
    return v ? std::optional<QString>(QString::number(*v)) : std::nullopt;
}

std::optional<QColor> ColorNumbers::operator()(const Macro& m) const
{
    return m.colorFromNumbers(slot, alphaSlot);
}

std::optional<QColor> ColorWord::operator()(const Macro& m) const
{
    return m.colorFromWord(slot);
}

std::optional<QFont> FontOf::operator()(const Macro& m) const
{
    const double size = inSlots(sizeSlot) ? m.D[std::size_t(sizeSlot)] : 0;
    if (auto f = Font::withName(m.S.value(nameSlot), size))
        return *f;
    return Font::userFont(14);
}

} // namespace SettingArgument
