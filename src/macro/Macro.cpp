#include "macro/Macro.h"

#include "macro/MacroHost.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <thread>
#include <vector>

namespace {

// Every macro object alive, so that a closing document can reach the macros
// that act on it.
std::vector<Macro*>& liveMacros()
{
    static std::vector<Macro*> macros;
    return macros;
}

} // namespace

// Defined with the run (MacroRun.cpp).
int& macroActiveRuns();

Macro::Macro()
        : alive_(std::make_shared<bool>(true))
{
    liveMacros().push_back(this);
}

Macro::Macro(const QString& name_, const QString& source, int shortcut_, int type_)
        : Macro()
{
    name = name_;
    src = source;
    shortcut = shortcut_;
    type = type_;
}

Macro::~Macro()
{
    *alive_ = false;
    if (T1) {
        T1->stop();
        T1->disconnect();
        T1->deleteLater();
        T1 = nullptr;
    }
    auto& macros = liveMacros();
    macros.erase(std::remove(macros.begin(), macros.end(), this), macros.end());
}

Outcome Macro::loadFromFile(const QString& path)
{
    const RegularFile::Contents file = RegularFile::read(path, maxSourceBytes);
    if (file.outcome != RegularFile::Outcome::Read)
        return Outcome::failed(RegularFile::message(file, path));
    src = QString::fromLatin1(file.bytes);
    return Outcome::done();
}

void Macro::encodeWithCoder(KeyedArchiver& coder) const
{
    coder.encodeString(QStringLiteral("name"), name);
    coder.encodeString(QStringLiteral("src"), src);
    coder.encodeInt(QStringLiteral("shortcut"), shortcut);
    coder.encodeInt(QStringLiteral("type"), type);
}

std::unique_ptr<Macro> Macro::initWithCoder(KeyedUnarchiver& coder)
{
    return std::make_unique<Macro>(
        coder.decodeString(QStringLiteral("name")), coder.decodeString(QStringLiteral("src")),
        coder.decodeInt(QStringLiteral("shortcut"), 0), coder.decodeInt(QStringLiteral("type"), 0));
}

void Macro::registerArchiveClass(KeyedUnarchiver& coder)
{
    coder.registerClass(QStringLiteral("Macro"), [](KeyedUnarchiver& c) -> std::unique_ptr<ArchivableObject> {
        return initWithCoder(c);
    });
}

// --- console -------------------------------------------------------------------------

QColor Macro::errorColor()
{
    return QColor::fromRgbF(0.501961f, 0.0f, 0.0f, 1.0f);
}

void Macro::macroError(const QString& text)
{
    if (MacroHost* host = M ? M : MacroHost::shared())
        host->consoleWrite(text, true);
}

void Macro::macroMsg(const QString& text)
{
    if (MacroHost* host = M ? M : MacroHost::shared())
        host->consoleWrite(text, false);
}

// --- timer -----------------------------------------------------------------------------

void Macro::startTimer(double seconds)
{
    if (T1)
        return;
    // A timer of no interval would spin the event loop; one beyond what
    // QTimer holds would wrap.
    double ms = std::isfinite(seconds) ? seconds * 1000.0 : (seconds > 0 ? double(INT_MAX) : 1.0);
    ms = std::clamp(ms, 1.0, double(INT_MAX));
    T1 = new QTimer;
    T1->setTimerType(Qt::PreciseTimer);
    T1->setInterval(int(ms));
    QObject::connect(T1, &QTimer::timeout, [this] { doTimer(); });
    T1->start();
}

bool Macro::timerRunning() const
{
    return T1 != nullptr;
}

void Macro::doTimer()
{
    // A tick never interrupts a run: one that comes while a run sleeps,
    // waits or asks is dropped, as the run loop of a blocked application
    // would never have delivered it.
    if (runInProgress())
        return;
    const std::shared_ptr<bool> alive = alive_;
    executeMacro();
    if (!*alive)
        return;
    if (timermaxcount > 0 && timercount >= timermaxcount)
        stopTimer();
}

void Macro::stopTimer()
{
    if (!T1)
        return;
    // The timer may be the sender of the tick that got here: it goes later.
    T1->stop();
    T1->disconnect();
    T1->deleteLater();
    T1 = nullptr;
    if (MacroHost* host = M ? M : MacroHost::shared())
        host->setExecuteButtonTitle(QStringLiteral("Execute"));
}

// --- the application's side ----------------------------------------------------------------

void Macro::forgetDocument()
{
    stopTimer();
    PD = nullptr;
    PV = nullptr;
    DB = nullptr;
}

bool Macro::liesIn(VexaDocument* candidate, VexaDocument* document)
{
    // The document itself, or a sub-view inside it (main documents point
    // at themselves).
    VexaDocument* d = candidate;
    for (int depth = 0; d && depth < 64; ++depth) {
        if (d == document)
            return true;
        d = d->MPD == d ? nullptr : d->MPD;
    }
    return false;
}

void Macro::documentWillClose(VexaDocument* document)
{
    if (!document)
        return;
    perlDocumentWillClose(document);
    // Copy: stopping a timer reaches the host, which may touch the list.
    const std::vector<Macro*> macros = liveMacros();
    for (Macro* m : macros) {
        if (std::find(liveMacros().begin(), liveMacros().end(), m) == liveMacros().end())
            continue;
        if (liesIn(m->PD, document))
            m->forgetDocument();
    }
}

bool Macro::runInProgress()
{
    return macroActiveRuns() > 0;
}

void Macro::waitProcessingEvents(double seconds)
{
    if (!(seconds > 0))
        seconds = 0;
    seconds = std::min(seconds, 86400.0);
    const auto micro = static_cast<long long>(seconds * 1e6);
    const auto ms = static_cast<int>(micro / 1000);
    if (ms > 0 && QCoreApplication::instance()) {
        QEventLoop loop;
        QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    } else if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    if (micro % 1000)
        std::this_thread::sleep_for(std::chrono::microseconds(micro % 1000));
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}
