#pragma once

// Caches that Qt and fontconfig fill on first use. Filled once before the
// first input, so the leak checker does not take them for leaks of it.

#include "platform/Alert.h"
#include "platform/CNumber.h"
#include "platform/Font.h"
#include "platform/UserDefaults.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <cstdlib>

namespace FuzzSetup {

inline void warmCaches()
{
    (void)Font::exists(QStringLiteral("DejaVu Sans"));
    (void)Font::withName(QStringLiteral("Helvetica-Bold"), 12);
    QImage probe(2, 2, QImage::Format_ARGB32);
    probe.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    probe.save(&buffer, "PNG");
    (void)QImage::fromData(png, "PNG");
}

// A folder of the run's own, with the settings store in it, away from the
// user's. Removed when the run ends (libFuzzer ends a timed run with exit()),
// the store closed first: closing it later would make the folder anew.
inline QString ownFolder()
{
    static QTemporaryDir* folder = nullptr;
    if (!folder) {
        folder = new QTemporaryDir();
        UserDefaults::setStoreFile(folder->filePath(QStringLiteral("defaults.ini")));
        std::atexit([] {
            UserDefaults::setStoreFile(folder->filePath(QStringLiteral("defaults.ini")));
            delete folder;
        });
    }
    return folder->path();
}

// What a target that makes documents needs for the whole run: an application
// on the offscreen platform (documents take their fonts from the font
// database), Qt's messages and the alerts silenced (refusals come by the
// thousand), numbers without the locale, and a folder of its own.
inline void startApplication(const char* name)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static QByteArray program(name);
    static char* argv[] = {program.data(), nullptr};
    new QGuiApplication(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    CNumber::resetNumericLocale();
    ownFolder();
    Alert::setHandler({[](const Alert::Request&) { return 0; }, [] {}, {}});
}

} // namespace FuzzSetup
