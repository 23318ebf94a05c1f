// What io reports when it fails: a failed outcome with the alert's title and
// message the user has always seen, and nothing shown by io itself. The
// controller shows it (Alert::show), a macro writes it to its console.

#include "IoFakes.h"

#include "io/AsciiImport.h"
#include "io/BinaryImport.h"
#include "io/DocumentArchive.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "support/ScriptedQuestions.h"
#include "view/VexaView.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace IoTest;

Outcome importAscii(VexaDocument& d, const QString& path)
{
    ASCIIImport::ImportOptions o;
    o.path = path;
    return ASCIIImport::importFile(d, o);
}

TEST(IoOutcomes, FailuresCarryTheirAlertAndShowNothing)
{
    const QString missing = scratchPath(QStringLiteral("no-such-file.txt"));
    const QString binary = writeScratch(QStringLiteral("outcome.bin"), QByteArray("\x01\x02\x00\xff", 4));
    const QString notADocument = writeScratch(QStringLiteral("outcome.vexa"), QByteArray("not a document"));
    struct Case {
        const char* what;
        std::function<Outcome(VexaDocument&)> run;
        Outcome::Kind kind;
        QString title;
        QString message;
    };
    const Case cases[] = {
        {"ASCII: no such file", [&](VexaDocument& d) { return importAscii(d, missing); },
         Outcome::Kind::Empty, QStringLiteral("ASCII Import Error"),
         QStringLiteral("There is no file \"%1\"").arg(missing)},
        {"ASCII: not text", [&](VexaDocument& d) { return importAscii(d, binary); }, Outcome::Kind::Failed,
         QStringLiteral("ASCII Import Error"),
         QStringLiteral("The file \"%1\" is not a text file").arg(binary)},
        {"ASCII: text that is no plain text",
         [](VexaDocument& d) {
             return ASCIIImport::importText(d, QStringLiteral("1 2\n") + QChar(0),
                                            ASCIIImport::ImportOptions());
         },
         Outcome::Kind::Empty, QString(), QStringLiteral("The text is not plain text")},
        {"binary: too small",
         [&](VexaDocument& d) {
             ScriptedQuestions questions;
             return BinaryImport::binaryImport(d, binary, 0, 0, false, 1, {}, {}, questions);
         },
         Outcome::Kind::Failed, QStringLiteral("Binary Import Error"), QStringLiteral("file is to small")},
        {"document: not a document",
         [&](VexaDocument& d) {
             DocumentArchive::SubviewViews views;
             return DocumentArchive::readFromFile(d, notADocument, views);
         },
         Outcome::Kind::Failed, QStringLiteral("File Open Error"),
         QStringLiteral("This is not a valid Vexa file")},
        {"document: no folder to save into",
         [](VexaDocument& d) {
             return DocumentArchive::writeToFile(d, scratchPath(QStringLiteral("missing/dir/doc.vexa")));
         },
         Outcome::Kind::Failed, QStringLiteral("File Save Error"), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedAlerts alerts;
        VexaDocument d;
        const Outcome outcome = c.run(d);
        EXPECT_TRUE(alerts.requests().empty());
        EXPECT_EQ(alerts.beeps(), 0);
        EXPECT_EQ(outcome.kind(), c.kind);
        EXPECT_EQ(outcome.title(), c.title);
        if (!c.message.isEmpty())
            EXPECT_EQ(outcome.message(), c.message);
        else
            EXPECT_FALSE(outcome.message().isEmpty());
        EXPECT_EQ(d.bufferCount(), 0);
    }
}

} // namespace
