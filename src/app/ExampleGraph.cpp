#include "app/ExampleGraph.h"

#include "macro/Macro.h"
#include "macro/MacroHost.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/ResourceLocator.h"
#include "util/TextHelpers.h"

#include <QFile>
#include <QFileInfo>

namespace ExampleGraph {

QString examplesDirectory()
{
    const QString dir = ResourceLocator::resourcePath(QStringLiteral("examples"));
    if (dir.isEmpty() || !QFileInfo(dir).isDir()
        || !QFileInfo::exists(dir + QStringLiteral("/oscillation.dat")))
        return QString();
    return dir;
}

bool readRows(const QString& path, int minColumns, std::vector<std::vector<double>>& rows, QString* error)
{
    rows.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    constexpr int capacity = 16;
    double values[capacity];
    SplitParts scratch;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine(1 << 16).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const int n = parseNumbersInLine(line.constData(), values, capacity, scratch);
        if (n >= minColumns)
            rows.emplace_back(values, values + n);
    }
    return true;
}

std::unique_ptr<DataBuffer> bufferFromRows(const std::vector<std::vector<double>>& rows, bool withErrors)
{
    auto b = std::make_unique<DataBuffer>();
    for (const auto& r : rows) {
        if (withErrors && r.size() >= 3)
            b->addDoubleValueError(r[0], r[1], 0, r[2]);
        else if (r.size() >= 2)
            b->addDoubleValue(r[0], r[1]);
    }
    b->rescale();
    return b;
}

std::unique_ptr<VexaDocument> build(const QString& directory, QString* error)
{
    if (directory.isEmpty()) {
        if (error)
            *error = QStringLiteral("the example data files (resources/examples) were not found");
        return nullptr;
    }
    struct Source {
        const char* file;
        int columns;
    };
    const Source sources[] = {{"oscillation.dat", 3}, {"model.dat", 2}, {"decay.dat", 3}};
    std::vector<std::vector<double>> rows[3];
    for (int i = 0; i < 3; ++i) {
        const QString path = directory + QLatin1Char('/') + QLatin1String(sources[i].file);
        if (!readRows(path, sources[i].columns, rows[i], error))
            return nullptr;
        if (rows[i].empty()) {
            if (error)
                *error = QStringLiteral("%1 holds no data").arg(path);
            return nullptr;
        }
    }

    auto doc = std::make_unique<VexaDocument>();
    VexaDocument& d = *doc;

    // Measured points with their y errors and the model on the bottom and
    // left axes; counts of a decay on the top and right axes.
    auto measured = bufferFromRows(rows[0], true);
    measured->setSource(QStringLiteral("oscillation.dat"));
    measured->setComment(QStringLiteral("measured amplitude"));
    auto model = bufferFromRows(rows[1], false);
    model->setSource(QStringLiteral("model.dat"));
    model->setComment(QStringLiteral("damped cosine"));
    auto decay = bufferFromRows(rows[2], true);
    decay->setSource(QStringLiteral("decay.dat"));
    decay->setComment(QStringLiteral("counts (top, right)"));
    decay->belongx = 2;
    decay->belongy = 2;
    d.DB.push_back(std::move(measured));
    d.DB.push_back(std::move(model));
    d.DB.push_back(std::move(decay));

    d.xmin1 = -0.25;
    d.xmax1 = 10.25;
    d.ymin1 = -1.2;
    d.ymax1 = 1.2;
    d.xmin2 = -1;
    d.xmax2 = 51;
    d.ymin2 = 1;
    d.ymax2 = 3000;

    // Everything about its look is the macro's.
    const QString stylePath = directory + QStringLiteral("/example-graph.mac");
    Macro style(QStringLiteral("example-graph"), QString(), 0, MacroTypeLanguage);
    if (!style.loadFromFile(stylePath).ok()) {
        if (error)
            *error = QStringLiteral("cannot read %1").arg(stylePath);
        return nullptr;
    }
    if (!MacroHost::shared()) {
        if (error)
            *error = QStringLiteral("no macro host to run %1").arg(stylePath);
        return nullptr;
    }
    style.parseMacroFor(&d);
    // A source the tokeniser could not read runs no command at all.
    if (style.ERR > 0 || style.CMD.isEmpty()) {
        if (error)
            *error = QStringLiteral("%1 stopped with an error").arg(stylePath);
        return nullptr;
    }

    // The window opens with the graph at the size it was laid out for.
    d.winw = 800;
    d.winh = 600;
    d.resizewin = 1;
    return doc;
}

} // namespace ExampleGraph
