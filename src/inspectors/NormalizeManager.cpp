#include "inspectors/NormalizeManager.h"

#include "app/PanelContext.h"
#include "app/PanelOutlets.h"
#include "macro/AlertQuestions.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"

#include "ui_normalize.h"

#include <QButtonGroup>
#include <QPushButton>

NormalizeManager::NormalizeManager(PanelContext& context)
        : OperationPanel(context, QStringLiteral("Normalize Inspector"))
        , ui_(new Ui::NormalizePanel)
{
    inspectorView = new QWidget;
    Ui::NormalizePanel& u = *ui_;
    u.setupUi(inspectorView);

    axis = taggedCells(u.axis);
    ref1 = u.ref1;
    ref2 = u.ref2;
    new1 = u.new1;
    new2 = u.new2;
    linbga = u.linbga;
    linbgb = u.linbgb;

    addSetting("NormAxis", axis);
    addSetting("NormRef1", ref1, Stored::Text);
    addSetting("NormRef2", ref2, Stored::Text);
    addSetting("NormNew1", new1, Stored::Text);
    addSetting("NormNew2", new2, Stored::Text);
    addSetting("LinBgA", linbga, Stored::Float);
    addSetting("LinBgB", linbgb, Stored::Float);

    // clang-format off
    const struct {
        QPushButton* button;
        void (NormalizeManager::*action)();
    } actions[] = {
        {u.linbgButton,     &NormalizeManager::linBg},
        {u.normalizeButton, &NormalizeManager::normalize},
        {u.moveButton,      &NormalizeManager::move},
        {u.reglinButton,    &NormalizeManager::reglin},
        {u.reglogButton,    &NormalizeManager::reglog},
        {u.regexpButton,    &NormalizeManager::regexp},
        {u.intrangeButton,  &NormalizeManager::intrange},
    };
    // clang-format on
    for (const auto& a : actions)
        connect(a.button, &QPushButton::clicked, this, [this, f = a.action] { (this->*f)(); });
    for (QPushButton* cut : {u.cutOutside, u.cutInside})
        connect(cut, &QPushButton::clicked, this, [this, cut] { cutdata(cut); });
}

NormalizeManager::~NormalizeManager() = default;

void NormalizeManager::setup()
{
    for (const char* key : {"LinBgA", "LinBgB", "NormAxis", "NormRef1", "NormRef2"})
        restore(key);
    if (!restore("NormNew1"))
        new1->setText(QStringLiteral("0"));
    if (!restore("NormNew2"))
        new2->setText(QStringLiteral("1"));
}

double NormalizeManager::getRefValue(int which) const
{
    const QLineEdit* fields[] = {ref1, ref2, new1, new2};
    return which >= 0 && which < 4 ? valueOf(fields[which]) : 0;
}

bool NormalizeManager::referencesTyped() const
{
    return numbersIn({ref1, ref2}, Reading::NumberOrDate);
}

void NormalizeManager::storeReferences()
{
    store({"NormAxis", "NormRef1", "NormRef2", "NormNew1", "NormNew2"});
}

void NormalizeManager::linBg()
{
    if (!numbersIn({linbga, linbgb}))
        return;
    store({"LinBgA", "LinBgB"});
    if (!mayRun())
        return;
    const double a = doubleOf(linbga), b = doubleOf(linbgb);
    forEachSelectedRow([&](int row) {
        if (row < PD()->bufferCount())
            PD()->DB[std::size_t(row)]->linBg(a, b);
    });
    updateAndReplot();
}

void NormalizeManager::normalize()
{
    if (!numbersIn({ref1, ref2, new1, new2}, Reading::NumberOrDate))
        return;
    storeReferences();
    if (!mayRun())
        return;
    Alert::show(PD()->normalize(tagOf(axis), getRefValue(0), getRefValue(1), getRefValue(2), getRefValue(3)));
    replot();
}

void NormalizeManager::move()
{
    if (!numbersIn({ref1, new1}, Reading::NumberOrDate))
        return;
    storeReferences();
    if (!mayRun())
        return;
    Alert::show(PD()->move(tagOf(axis), getRefValue(0), getRefValue(2)));
    replot();
}

void NormalizeManager::cutdata(QObject* sender)
{
    if (!referencesTyped())
        return;
    storeReferences();
    if (!mayRun())
        return;
    for (const Outcome& refused :
         PD()->cut(tagOf(axis), getRefValue(0), getRefValue(1), PanelOutlets::tagOf(sender)))
        Alert::show(refused);
    replot();
}

void NormalizeManager::regression(RegressionType type)
{
    if (!referencesTyped())
        return;
    storeReferences();
    if (!mayRun())
        return;
    forEachSelectedRow([&](int row) { Alert::show(PD()->reg(row, getRefValue(0), getRefValue(1), type)); });
    updateAndReplot();
}

void NormalizeManager::intrange()
{
    if (!referencesTyped())
        return;
    storeReferences();
    if (!mayRun())
        return;
    forEachSelectedRow([&](int row) {
        Alert::show(PD()->integrate(row, getRefValue(0), getRefValue(1), AlertQuestions::instance()));
    });
    updateAndReplot();
}
