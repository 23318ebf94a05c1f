#pragma once

// The items of the dash-pattern and symbol pop-ups: item k is pattern or
// symbol k, shown as the graph draws it.

class QComboBox;

namespace StyleIcons {

// Sixteen items each; any items there were are replaced.
void fillDashes(QComboBox& popUp);
void fillSymbols(QComboBox& popUp);

} // namespace StyleIcons
