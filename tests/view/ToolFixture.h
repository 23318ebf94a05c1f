#pragma once

// A graph for the mouse and key tools: a 490 x 390 view whose plot area is
// 400 x 300 points (x 50..450, y 50..350), X1 and Y1 running 0..100, X2 and
// Y2 0..1000; a controller that records what the tools ask of it; a window
// that keeps the views of new sub-views.

#include "model/DataBuffer.h"
#include "model/DocumentWindow.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "view/VexaView.h"

#include <QPointF>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class ToolManager : public ManagerServices {
public:
    QString tool = QStringLiteral("range");
    int pairs = 1;
    std::vector<int> bufferRows;
    std::vector<int> pointRows;
    QStringList inspectors;
    std::vector<int> axesShown;
    std::vector<int> shortcuts;
    std::vector<int> macroKeys;
    std::vector<double> references;
    std::optional<std::pair<double, double>> background;
    int measures = 0;
    QStringList droppedTexts, droppedFiles;
    bool importResult = true;

    QString mouseModeTitle() const override { return tool; }
    int axis12() const override { return pairs; }
    std::vector<int> selectedBufferRows() const override { return bufferRows; }
    std::vector<int> selectedPointRows() const override { return pointRows; }
    void selectPointRow(int row) override { pointRows = {row}; }
    void deselectAllPoints() override { pointRows.clear(); }
    void switchInspector(const QString& key) override { inspectors << key; }
    void showAxisInInspector(int axis) override { axesShown.push_back(axis); }
    void getShortcut(int c) override { shortcuts.push_back(c); }
    void ma_executeByShortcut(int c) override { macroKeys.push_back(c); }
    void showValuesMeasure(QPointF) override { ++measures; }
    void showValuesMeasure(QPointF, QPointF) override { ++measures; }
    void setMouseLocation(double v) override
    {
        references.push_back(v);
        mpcount = mpcount == 0 ? 1 : 0;
    }
    void setLinBg(double a, double b) override { background = {a, b}; }
    bool importDroppedText(VexaDocument&, const QString& text) override
    {
        droppedTexts << text;
        return importResult;
    }
    bool importDroppedFile(VexaDocument&, const QString& path) override
    {
        droppedFiles << path;
        return importResult;
    }
};

class ToolWindow : public DocumentWindow {
public:
    std::vector<std::unique_ptr<DocumentView>> views;
    void adoptSubviewView(std::unique_ptr<DocumentView> view) override { views.push_back(std::move(view)); }
};

struct ToolGraph {
    ToolManager manager;
    ToolWindow window;
    VexaDocument doc;
    VexaView view{QSizeF(490, 390), &manager};
    int displays = 0;

    explicit ToolGraph(QSizeF size = QSizeF(490, 390))
    {
        view.setFrameSize(size);
        doc.M = &manager;
        doc.W = &window;
        doc.MPD = &doc;
        doc.page.marginleft = 50;
        doc.page.marginbottom = 50;
        doc.page.marginright = size.width() - 450;
        doc.page.margintop = size.height() - 350;
        doc.xmin1 = doc.ymin1 = doc.xmin2 = doc.ymin2 = 0;
        doc.xmax1 = doc.ymax1 = 100;
        doc.xmax2 = doc.ymax2 = 1000;
        view.setVexaDocument(&doc);
        view.setDisplayHandler([this] { ++displays; });
        doc.PV = &view;
        view.resize();
        manager.PD = manager.MPD = &doc;
    }

    // The view point of data values of pair 1.
    QPointF at(double x, double y) const { return {50 + x * 4, 50 + y * 3}; }

    // Each event ends as the event loop ends it: the undo group it opened
    // closes.
    void settle() { doc.undoManager().closeImplicitGroup(); }
    void press(QPointF p)
    {
        view.mouseDown({p, p + view.frameOrigin});
        settle();
    }
    void drag(QPointF p)
    {
        view.mouseDragged({p, p + view.frameOrigin});
        settle();
    }
    void release(QPointF p)
    {
        view.mouseUp({p, p + view.frameOrigin});
        settle();
    }
    bool key(int c, unsigned modifiers = 0)
    {
        const bool taken = view.keyDown(c, modifiers);
        settle();
        return taken;
    }
    // A press, drags in `steps` even steps, the release at the end.
    void gesture(QPointF from, QPointF to, int steps = 3)
    {
        press(from);
        for (int i = 1; i <= steps; ++i)
            drag(from + (to - from) * (double(i) / steps));
        release(to);
    }

    DataBuffer& addBuffer(std::vector<QPointF> points)
    {
        doc.newBuffer();
        DataBuffer& b = *doc.DB.back();
        for (QPointF p : points)
            b.addDoubleValue(p.x(), p.y());
        b.rescale();
        return b;
    }

    std::array<double, 8> ranges() const
    {
        return {doc.xmin1, doc.xmax1, doc.ymin1, doc.ymax1, doc.xmin2, doc.xmax2, doc.ymin2, doc.ymax2};
    }
};
