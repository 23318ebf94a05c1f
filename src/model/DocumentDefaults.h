#pragma once

// What a new document starts from: the fonts of its axes and legend, and
// the style every buffer made in it takes. The controller builds it from
// the user's preferences when it makes a document; a document made without
// one (a batch export, a test) takes the program's own.

#include "model/BufferStyle.h"
#include "platform/Font.h"

#include <QFont>
#include <QString>

#include <optional>

// The style of a new buffer and its per-point size expression; a buffer
// given back its default style keeps its own expression when no default
// one is set.
struct BufferDefaults {
    BufferStyle style;
    std::optional<QString> dynsize;

    friend bool operator==(const BufferDefaults&, const BufferDefaults&) = default;
};

struct DocumentDefaults {
    QFont titleFont = Font::userFont(18); // axis titles
    QFont numberFont = Font::userFont(14); // axis numbers
    QFont legendFont = Font::userFont(14);
    BufferDefaults buffer;

    friend bool operator==(const DocumentDefaults&, const DocumentDefaults&) = default;
};
