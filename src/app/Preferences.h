#pragma once

// The user's preferences: the date-and-time format, the two window switches,
// the palette of sixteen colours and the default fonts of new documents. The
// controller holds them; the Preferences window (made when first shown)
// shows and changes them. Each setting keeps its key of the user-defaults
// store, and is written there the moment it changes, by the save function
// of that setting.

#include "model/DocumentDefaults.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <array>

class UserDefaults;

struct Preferences {
    // The default fonts, by what they are for.
    enum DefaultFont { AxisTitles, AxisNumbers, Legend };
    static constexpr int fontCount = 3;
    static constexpr int paletteSize = 16;

    QString TDF = defaultTimeFormat(); // "TDF": calendar format of times shown and typed
    bool windowToolbar = false; // "WindowToolbar": document windows without tools and values
    bool initialDocument = false; // "InitialDocument": a new document at start
    std::array<QColor, paletteSize> colors = builtInPalette(); // "IPcolor<n>"
    std::array<QFont, fontCount> fonts = builtInFonts(); // see fontKeys

    friend bool operator==(const Preferences&, const Preferences&) = default;

    static QString defaultTimeFormat();
    // The program's own palette colour n (0 to 15), and all of them.
    static QColor builtInColor(int n);
    static std::array<QColor, paletteSize> builtInPalette();
    // The user font at each default font's own size.
    static std::array<QFont, fontCount> builtInFonts();

    // The keys of a default font, and its size when nothing usable is stored.
    struct FontKeys {
        const char* nameKey;
        const char* sizeKey;
        double fallbackSize;
    };
    static FontKeys fontKeys(DefaultFont font);
    // What a new document starts from: these default fonts, and the
    // built-in buffer style.
    DocumentDefaults documentDefaults() const;
    static QString colorKey(int n);

    // What the store holds; the defaults for what it does not hold (an empty
    // or missing time format, a missing switch or colour, a font that is not
    // stored or no longer installed).
    static Preferences load(const UserDefaults& defaults);

    // Each writes the key(s) of one setting and synchronizes the store.
    void saveTimeFormat(UserDefaults& defaults) const;
    void saveWindowToolbar(UserDefaults& defaults) const;
    void saveInitialDocument(UserDefaults& defaults) const;
    void saveColor(UserDefaults& defaults, int n) const;
    void saveFont(UserDefaults& defaults, DefaultFont font) const;
    // Removes every stored colour: the palette is the program's own again.
    static void forgetColors(UserDefaults& defaults);
};
