#pragma once

// Tables of setting commands (page, legend, buffer style, axes): a macro, the
// setting it writes read back as text, and the text expected. The settings
// are read back from the document the macro ran on.

#include "MacroFakes.h"

#include <gtest/gtest.h>

#include "platform/CNumber.h"
#include "platform/Font.h"

#include <QColor>
#include <QFont>
#include <QHash>

#include <algorithm>
#include <cstdint>
#include <functional>

namespace SettingCommands {

inline QString text(double v)
{
    return QString::fromStdString(CNumber::format("%g", v));
}
inline QString text(int v)
{
    return QString::number(v);
}
inline QString text(std::uint8_t v)
{
    return QString::number(v);
}
inline QString text(std::int8_t v)
{
    return QString::number(v);
}
inline QString text(const QString& s)
{
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}
inline QString text(const QColor& c)
{
    return c.name(QColor::HexArgb);
}
inline QString text(const QFont& f)
{
    return Font::storedName(f) + QLatin1Char('/') + text(f.pointSizeF());
}
inline QString text(const QHash<QString, QString>& labels)
{
    QStringList pairs;
    for (auto it = labels.constBegin(); it != labels.constEnd(); ++it)
        pairs << it.key() + QLatin1Char('=') + it.value();
    std::sort(pairs.begin(), pairs.end());
    return QLatin1Char('{') + pairs.join(QLatin1Char(',')) + QLatin1Char('}');
}

using Probe = std::function<QString(const VexaDocument&)>;

// The field in every buffer, every axis, or the page or legend, as text;
// values of several buffers or axes are separated by blanks.
template <class T> Probe buffers(T BufferStyle::*field)
{
    return [field](const VexaDocument& d) {
        QStringList out;
        for (const auto& b : d.DB)
            out << text(b->style.*field);
        return out.join(QLatin1Char(' '));
    };
}
template <class T> Probe errorBars(T ErrorBarSettings::*field)
{
    return [field](const VexaDocument& d) {
        QStringList out;
        for (const auto& b : d.DB)
            out << text(b->errorbars.*field);
        return out.join(QLatin1Char(' '));
    };
}
template <class T> Probe axes(T AxisSettings::*field)
{
    return [field](const VexaDocument& d) {
        QStringList out;
        for (const AxisSettings& a : d.axes)
            out << text(a.*field);
        return out.join(QLatin1Char(' '));
    };
}
template <class T> Probe page(T PageSettings::*field)
{
    return [field](const VexaDocument& d) { return text(d.page.*field); };
}
template <class T> Probe legend(T LegendSettings::*field)
{
    return [field](const VexaDocument& d) { return text(d.legend.*field); };
}

struct Case {
    const char* source;
    Probe probe;
    const char* expected;
};

// A current document with three buffers of three points, buffer 1 hidden
// and buffers 0 and 2 selected in the buffer list.
struct MacroRunOn {
    FakeMacroHost host;
    VexaDocument* doc = nullptr;

    MacroRunOn()
    {
        doc = host.currentDocument({3, 3, 3});
        doc->DB[1]->show = 0;
        host.manager.selectedRows = {0, 2};
    }
    QString operator()(const char* source) { return runMacro(host, QString::fromUtf8(source)); }
};

// Runs every case on a document of its own: the console stays empty and the
// setting reads as expected.
inline void expectAll(std::initializer_list<Case> cases)
{
    for (const Case& c : cases) {
        MacroRunOn run;
        const QString console = run(c.source);
        EXPECT_EQ(console.toStdString(), "") << c.source;
        EXPECT_EQ(c.probe(*run.doc).toStdString(), c.expected) << c.source;
    }
}

struct ErrorCase {
    const char* source;
    const char* console;
};

// Runs every case on a document of its own: the console holds the error, and
// `unchanged` checks what the run must have left as it was.
inline void expectErrors(std::initializer_list<ErrorCase> cases,
                         const std::function<void(const VexaDocument&, const char* source)>& unchanged)
{
    for (const ErrorCase& c : cases) {
        MacroRunOn run;
        EXPECT_EQ(run(c.source).toStdString(), c.console) << c.source;
        unchanged(*run.doc, c.source);
    }
}

} // namespace SettingCommands
