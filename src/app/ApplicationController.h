#pragma once

// What a document window asks of the application controller, beyond what
// the model and the view ask (ManagerServices): becoming the current
// document, the shared tool palette, the rescale command and the axis
// values of the cursor. The application's controller derives from this
// class; a document window talks to whichever controller the application
// made, and never to a concrete one.

#include "model/ManagerServices.h"

#include <QString>
#include <QStringList>

class VexaDocument;

class ApplicationController : public ManagerServices {
public:
    // The document whose window was put together last; the launch applies
    // the command-line options to it.
    VexaDocument* startPD = nullptr;

    // The eighteen tools, in palette order. Titles compare without regard
    // to case.
    static const QStringList& mouseModeNames();
    // A tool's tooltip and its one-letter key (lower case); empty for a title
    // that names no tool.
    static QString mouseModeToolTip(const QString& title);
    static QChar mouseModeKey(const QString& title);
    // The tool whose key the character is; empty for any other character.
    static QString mouseModeForKey(int character);

    // Makes the document current with its main document (ManagerServices);
    // every application controller does it its own way.
    void setCurrentDoc(VexaDocument* document, VexaDocument* main) override = 0;

    // Selects the tool of that title in the application's palette; nothing
    // for a title the palette does not have.
    virtual void selectMouseMode(const QString& title) = 0;
    // After the tool changed: the current document replots and every open
    // document brings its own palette in line.
    virtual void mouseModeDidChange(VexaDocument* sender) = 0;

    // Fits the chosen axis pair of the current document to its data (a beep
    // without one).
    virtual void rescale(VexaDocument* sender) = 0;

    // The value of axis 0..3 of the current document at a view coordinate,
    // as shown to the user (a date on a time axis); empty without a current
    // document.
    virtual QString getValue(int axis, int mode, double coordinate) const = 0;

    // Document windows report their documents as they open and close, so the
    // controller never keeps pointing at a closed one.
    virtual void documentOpened(VexaDocument* document) = 0;
    virtual void documentClosed(VexaDocument* document) = 0;
};
