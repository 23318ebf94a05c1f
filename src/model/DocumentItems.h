#pragma once

// Text boxes and graphics placed on a graph. The document owns them; their
// classes live with the view, which draws and edits them.

class TextBoxItem {
public:
    virtual ~TextBoxItem() = default;
    // Re-places the box by its automatic position rule.
    virtual void doAutoPos() = 0;
    virtual void setNeedsDisplay() = 0;
    // True when the box holds no characters: a box left empty by its
    // editor goes away.
    virtual bool isEmpty() const { return false; }
};

class GraphicItem {
public:
    virtual ~GraphicItem() = default;
};
