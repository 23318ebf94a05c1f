#pragma once

// The panel class of each inspector key.

class InspectorHost;

namespace Inspectors {

// Gives the host the factory of every panel; each panel is built the first
// time its key is shown.
void registerAll(InspectorHost& host);

} // namespace Inspectors
