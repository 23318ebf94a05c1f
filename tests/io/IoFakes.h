#pragma once

// A controller stand-in that counts refreshes and answers the buffer-table
// selection and the axis-pair choice, and helpers for scratch files.

#include "model/ManagerServices.h"
#include "support/TestSupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <vector>

// Kept in a namespace of their own: other test files of this binary bring
// fakes of their own.
namespace IoTest {

class FakeManager : public ManagerServices {
public:
    int updates = 0;
    int pair = 1;
    std::vector<int> selectedRows;

    void update() override { ++updates; }
    std::vector<int> selectedBufferRows() const override { return selectedRows; }
    int axis12() const override { return pair; }
};

inline QString scratchPath(const QString& name)
{
    return TestSupport::scratchDir() + QLatin1Char('/') + name;
}

inline QString writeScratch(const QString& name, const QByteArray& bytes)
{
    const QString path = scratchPath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace IoTest
