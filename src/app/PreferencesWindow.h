#pragma once

// The Preferences window: the date format, the window switches, the palette,
// the default fonts and the default buffer style. It is made the first time
// it is shown or asked for; its controls show the preferences, and each
// change goes into them and into its key of the store at once. A run that
// never shows it never makes it, and its controls are null until then.

#include "app/Preferences.h"

#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class ColorWell;
class QCheckBox;
class QDialog;
class QLineEdit;
class QWidget;
class UserDefaults;

class PreferencesWindow : public QObject {
public:
    // What the window leaves to its owner.
    struct Actions {
        // The window switch changed: the document windows follow it.
        std::function<void()> windowToolbarChanged;
        // "Use Current Buffer's Style" was pressed.
        std::function<void()> useCurrentBufferStyle;
        // "Choose…" of a default font: the font panel for its tag.
        std::function<void(int tag)> chooseFont;
    };

    // The preferences and the store live as long as the window.
    PreferencesWindow(Preferences& preferences, UserDefaults& store, Actions actions);
    ~PreferencesWindow() override;

    // The dialog, made now unless it is made already.
    QDialog& dialog();
    void show();

    // The controls as the preferences are; nothing before the window is made.
    void showValues();
    void showDefaultFonts();
    // The palette back to the program's own colours; the stored ones removed.
    void revertColors();

    // The controls, null until the window is made.
    QLineEdit* timeFormatField() const { return timeFormat_; } // TDF
    QCheckBox* toolbarSwitch() const { return toolbar_; } // windowToolbar
    QCheckBox* initialDocumentSwitch() const { return initialDocument_; } // initialDocument
    ColorWell* paletteWell(int n) const { return wells_[std::size_t(n)]; } // colour n
    // The default font as "<name> - <size> pt".
    QLineEdit* fontField(Preferences::DefaultFont font) const { return fontFields_[std::size_t(font)]; }

    // The default font that a font-panel tag (3, 4, 5) stands for.
    static std::optional<Preferences::DefaultFont> defaultFontOfTag(int tag);

private:
    void build();
    QWidget* buildPaletteBox();
    QWidget* buildFontBox();
    void showPaletteColors();
    void colorChosen(int n);

    Preferences& prefs_;
    UserDefaults& store_;
    Actions actions_;
    std::unique_ptr<QDialog> dialog_;
    QLineEdit* timeFormat_ = nullptr;
    QCheckBox* toolbar_ = nullptr;
    QCheckBox* initialDocument_ = nullptr;
    std::array<ColorWell*, Preferences::paletteSize> wells_{};
    std::array<QLineEdit*, Preferences::fontCount> fontFields_{};
};
