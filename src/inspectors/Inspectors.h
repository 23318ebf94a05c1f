#pragma once

// The panels of the inspector window, by key. Keys without a panel class
// yet keep the controller's empty placeholder.

class Manager;

namespace Inspectors {

// Registers the factory of every panel with the controller; each panel is
// built the first time its key is shown.
void registerAll(Manager& manager);

} // namespace Inspectors
