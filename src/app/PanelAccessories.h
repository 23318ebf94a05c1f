#pragma once

// The settings shown inside the import and picture-export panels: the
// binary import's layout, the ASCII import's options and the resolution of
// JPEG and PNG pictures. The controls keep what the user left in them for
// the next panel; the import settings also go to the user-defaults store
// after every use of their panel, a cancelled one included, and come back
// from it at launch. What the store does not hold stays as built here.
//
// Main thread only.

#include "io/AsciiImport.h"

#include <QString>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QWidget;
class UserDefaults;

class PanelAccessories {
public:
    PanelAccessories();
    ~PanelAccessories();
    PanelAccessories(const PanelAccessories&) = delete;
    PanelAccessories& operator=(const PanelAccessories&) = delete;

    // The binary import's layout (meanings in BinaryRecordLayout).
    struct BinarySettings {
        int type = 0;
        int mode = 0;
        bool swap = false;
        int columns = 2;
        friend bool operator==(const BinarySettings&, const BinarySettings&) = default;
    };
    BinarySettings binarySettings() const;
    // The ASCII import's options for one file.
    ASCIIImport::ImportOptions asciiOptions(const QString& path) const;
    // Dots per inch of JPEG and PNG pictures; 72 is the view's own size.
    int resolutionDpi() const;

    // Sets every control whose key the store holds.
    void loadFromDefaults(const UserDefaults& store);
    // "BinType", "BinMode", "BinColumns", "BinSwap".
    void storeBinary(UserDefaults& store) const;
    // The twelve "Import…" keys, "NoXCol" and "ImportNumLines" first.
    void storeAscii(UserDefaults& store) const;

    // Binary import: the number type and the layout (the checked id is the
    // value), byte swapping and the number of columns.
    QWidget* binAccView = nullptr;
    QButtonGroup* binType = nullptr;
    QButtonGroup* binMode = nullptr;
    QCheckBox* binSwap = nullptr;
    QSpinBox* binColumns = nullptr;

    // ASCII import.
    QWidget* importAccView = nullptr;
    QButtonGroup* importMode = nullptr; // checked id: ASCIIImport::ImportMode
    QLineEdit* importSep = nullptr;
    QSpinBox* importXcol = nullptr;
    QCheckBox* noXcol = nullptr;
    QLineEdit* importIgnoreCont = nullptr;
    QLineEdit* importComment = nullptr;
    QCheckBox* importNumLines = nullptr;
    QLineEdit* importTimeFormat = nullptr;
    QCheckBox* importTimeFormatCustom = nullptr;
    QCheckBox* importNoTime = nullptr;
    QCheckBox* importCommaSep = nullptr;
    QCheckBox* importPeriodSep = nullptr;

    // JPEG and PNG export: the item data is the resolution in dots per inch.
    QWidget* resolutionAccView = nullptr;
    QComboBox* resolution = nullptr;

private:
    void buildBinary();
    void buildAscii();
    void buildResolution();
};
