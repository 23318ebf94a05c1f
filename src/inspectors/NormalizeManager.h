#pragma once

// The normalize panel (key "normalize"): maps, moves and cuts the x or y
// values of the selected buffers by two reference values, fits regressions
// and integrates between them, and adds a linear background. The reference
// and background tools of the graph fill its fields.

#include "inspectors/OperationPanel.h"
#include "model/VexaDocumentOperations.h"

#include <memory>

namespace Ui {
class NormalizePanel;
}

class NormalizeManager : public OperationPanel {
public:
    explicit NormalizeManager(PanelContext& context);
    ~NormalizeManager() override;

    void setup() override;

    // The actions of the panel's buttons.
    void linBg();
    void normalize();
    void move();
    // Mode 0 keeps the points inside the reference range, 1 those outside:
    // the tag of the sending button.
    void cutdata(QObject* sender);
    void reglin() { regression(RegLinear); }
    void reglog() { regression(RegLogarithmic); }
    void regexp() { regression(RegExponential); }
    void intrange();

    // The value of ref1, ref2, new1 or new2 (which 0 to 3); 0 for any other.
    double getRefValue(int which) const;

    // The outlets.
    QButtonGroup* axis = nullptr; // tag 0 x values, 1 y values
    QLineEdit* ref1 = nullptr;
    QLineEdit* ref2 = nullptr;
    QLineEdit* new1 = nullptr;
    QLineEdit* new2 = nullptr;
    QLineEdit* linbga = nullptr;
    QLineEdit* linbgb = nullptr;

    const Ui::NormalizePanel& ui() const { return *ui_; }

private:
    // Whether ref1 and ref2 hold numbers or dates; refused otherwise.
    bool referencesTyped() const;
    void storeReferences();
    void regression(RegressionType type);
    std::unique_ptr<Ui::NormalizePanel> ui_;
};
