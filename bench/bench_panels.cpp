// The data operations as the panels run them on a buffer of a million points
// (the panel's parameters stored, the selection checked, the operation, the
// refresh and the replot of a document in a window), each beside the same
// operation called on the document directly, as a macro command calls it.

#include "app/DataBufferTableView.h"
#include "app/DocumentWindowQt.h"
#include "app/InspectorHost.h"
#include "app/Manager.h"
#include "inspectors/CalcManager.h"
#include "inspectors/FitManager.h"
#include "inspectors/Inspectors.h"
#include "inspectors/NormalizeManager.h"
#include "macro/AlertQuestions.h"
#include "model/DataBuffer.h"
#include "model/DataBufferOperations.h"
#include "model/Spectral.h"
#include "model/VexaDocument.h"
#include "model/VexaDocumentOperations.h"

#include "ui_normalize.h"

#include <QButtonGroup>
#include <QItemSelectionModel>
#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

constexpr int kPoints = 1000000;

std::unique_ptr<DataBuffer> wave(double shift)
{
    auto b = std::make_unique<DataBuffer>();
    std::vector<double>& x = b->X.mutableVector();
    std::vector<double>& y = b->Y.mutableVector();
    x.resize(kPoints);
    y.resize(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        x[std::size_t(i)] = i * 0.001 + shift;
        y[std::size_t(i)] = 2 + std::sin(i * 0.001) + 0.1 * std::sin(i * 0.37);
    }
    b->rescale();
    return b;
}

// One controller, one document in a window that is never shown, the three
// panels loaded; two buffers of a million points, the first selected.
struct Bench {
    std::unique_ptr<Manager> m;
    VexaDocument* d = nullptr;
    NormalizeManager* norm = nullptr;
    CalcManager* calc = nullptr;
    FitManager* fit = nullptr;
    std::unique_ptr<DataBuffer> first = wave(0), second = wave(0.0005);

    Bench()
            : m(std::make_unique<Manager>())
    {
        Inspectors::registerAll(m->inspectors());
        d = &m->openDocument(std::make_unique<VexaDocument>(), false)->document();
        m->setCurrentDoc(d, d);
        for (const char* key : {"normalize", "calc", "fit"})
            m->switchInspector(QLatin1String(key));
        norm = dynamic_cast<NormalizeManager*>(m->inspectors().panel(QStringLiteral("normalize")));
        calc = dynamic_cast<CalcManager*>(m->inspectors().panel(QStringLiteral("calc")));
        fit = dynamic_cast<FitManager*>(m->inspectors().panel(QStringLiteral("fit")));
    }
    // The two buffers as they were, the first one's row selected.
    void reset()
    {
        d->DB.clear();
        d->DB.push_back(first->copyWithZone());
        d->DB.push_back(second->copyWithZone());
        for (auto& b : d->DB)
            b->rescale();
        m->update();
        QItemSelectionModel* s = m->bufferSelection();
        s->clearSelection();
        s->select(s->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // Made on first use, once the application exists, and never taken
    // down: the windows must not outlive it.
    static Bench& shared()
    {
        static Bench* b = new Bench;
        return *b;
    }
};

void set(QLineEdit* field, const char* text)
{
    field->setText(QLatin1String(text));
}

struct Operation {
    const char* name;
    std::function<void(VexaDocument&)> direct;
    std::function<void(Bench&)> panel;
};

// clang-format off
const Operation operations[] = {
    {"fft",
     [](VexaDocument& d) { d.doFFT(0, FFTHanning, AlertQuestions::instance()); },
     [](Bench& b) { b.fit->window->button(FFTHanning)->setChecked(true); b.fit->doFFT(); }},
    {"fftsmooth",
     [](VexaDocument& d) { d.fftsmooth(0, 5, AlertQuestions::instance()); },
     [](Bench& b) { set(b.fit->factor, "5"); b.fit->fftsmooth(); }},
    {"spline",
     [](VexaDocument& d) { d.spline(0, 2, 2, AlertQuestions::instance()); },
     [](Bench& b) { set(b.fit->points, "2"); set(b.fit->strength, "2"); b.fit->spline(); }},
    {"smooth",
     [](VexaDocument& d) { d.smooth(0, 5); },
     [](Bench& b) { set(b.fit->factor, "5"); b.fit->smooth(); }},
    {"reduction",
     [](VexaDocument& d) { d.reduction(0, 5); },
     [](Bench& b) { set(b.fit->factor, "5"); b.fit->reduction(); }},
    {"integrate",
     [](VexaDocument& d) { d.integrate(0, AlertQuestions::instance()); },
     [](Bench& b) { b.fit->integrate(); }},
    {"diff",
     [](VexaDocument& d) { d.diff(0, 0.0025, AlertQuestions::instance()); },
     [](Bench& b) { set(b.fit->interval, "0.0025"); b.fit->diff(); }},
    {"reglin",
     [](VexaDocument& d) { d.reg(0, 0, 1e9, RegLinear); },
     [](Bench& b) { set(b.norm->ref1, "0"); set(b.norm->ref2, "1e9"); b.norm->reglin(); }},
    {"intrange",
     [](VexaDocument& d) { d.integrate(0, 10, 900, AlertQuestions::instance()); },
     [](Bench& b) { set(b.norm->ref1, "10"); set(b.norm->ref2, "900"); b.norm->intrange(); }},
    {"normalize",
     [](VexaDocument& d) { d.normalize(1, 0, 1, 10, 20); },
     [](Bench& b) {
         b.norm->axis->button(1)->setChecked(true);
         set(b.norm->ref1, "0"); set(b.norm->ref2, "1"); set(b.norm->new1, "10"); set(b.norm->new2, "20");
         b.norm->normalize();
     }},
    {"cut",
     [](VexaDocument& d) { d.cut(0, 100, 900, 0); },
     [](Bench& b) {
         b.norm->axis->button(0)->setChecked(true);
         set(b.norm->ref1, "100"); set(b.norm->ref2, "900");
         b.norm->cutdata(b.norm->ui().cutOutside);
     }},
    {"linbg",
     [](VexaDocument& d) { d.DB[0]->linBg(0.5, 1); },
     [](Bench& b) { set(b.norm->linbga, "0.5"); set(b.norm->linbgb, "1"); b.norm->linBg(); }},
    {"functiongenerator",
     [](VexaDocument& d) { d.functionGenerator(0, 0, 100, kPoints, QStringLiteral("sin(x)*x")); },
     [](Bench& b) {
         b.calc->faxis->button(0)->setChecked(true);
         set(b.calc->fexpr, "sin(x)*x"); set(b.calc->fmin, "0"); set(b.calc->fmax, "100"); set(b.calc->fsteps, "1000000");
         b.calc->functionGenerator();
     }},
    {"buffercalc",
     [](VexaDocument& d) { d.bufferCalc(CalcY, QStringLiteral("sin(x)*e^(-x/10)+y^2")); },
     [](Bench& b) {
         b.calc->axis->button(CalcY)->setChecked(true);
         set(b.calc->expr, "sin(x)*e^(-x/10)+y^2");
         b.calc->bufferCalc();
     }},
    {"twobuffers",
     [](VexaDocument& d) { d.calcBuf(0, 1, ArithSubtract, AlertQuestions::instance()); },
     [](Bench& b) {
         set(b.calc->buf1, "0"); set(b.calc->buf2, "1");
         b.calc->op->button(ArithSubtract)->setChecked(true);
         b.calc->twoBufCalc();
     }},
    {"swapxy",
     [](VexaDocument& d) { d.swapXY(0); },
     [](Bench& b) { b.calc->swapXY(); }},
};
// clang-format on

void run(benchmark::State& state, const Operation& op, bool fromPanel)
{
    Bench& b = Bench::shared();
    for (auto _ : state) {
        state.PauseTiming();
        b.reset();
        state.ResumeTiming();
        if (fromPanel)
            op.panel(b);
        else
            op.direct(*b.d);
        benchmark::DoNotOptimize(b.d->DB.back()->Y.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}

const bool registered = [] {
    for (const Operation& op : operations) {
        for (bool fromPanel : {false, true}) {
            const std::string name = std::string(fromPanel ? "Panel/" : "Direct/") + op.name;
            benchmark::RegisterBenchmark(name.c_str(), [&op, fromPanel](benchmark::State& s) {
                run(s, op, fromPanel);
            })->Unit(benchmark::kMillisecond);
        }
    }
    return true;
}();

} // namespace
