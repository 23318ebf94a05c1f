#pragma once

// The default style of new buffers in the user-defaults store: one table of
// keys ("BColor", "BLineWidth", ...) that both the reader (the controller,
// for the defaults of its documents) and the writer (the preference that
// takes the current buffer's style) go through, so the two cannot drift
// apart.

#include "model/DocumentDefaults.h"

#include <QString>

class UserDefaults;

namespace BufferStyleDefaults {

// Overwrites the fields whose keys the store holds; the others keep the
// values they have. The per-point size expression is "BDynSize".
void read(const UserDefaults& store, BufferDefaults& defaults);

// Stores the colours, widths, sizes, patterns, symbol, size expression and
// drawing switches, synchronising after each key and once more at the end.
// The bar frame colour, symbol fill, free ranges and bar edges are not
// stored: they stay as the store has them.
void store(UserDefaults& store, const BufferStyle& style, const QString& dynsize);

} // namespace BufferStyleDefaults
