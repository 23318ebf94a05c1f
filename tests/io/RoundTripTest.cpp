#include "IoFakes.h"

#include "io/AsciiImport.h"
#include "io/DocumentArchive.h"
#include "model/DocumentView.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "view/VexaView.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct SizedView : DocumentView {
    void displayNow() override { }
    QSizeF boundsSize() const override { return QSizeF(600, 400); }
};

// A file imported, saved and opened again gives the same buffers, bit for bit.
TEST(RoundTrip, ImportSaveOpenKeepsTheBuffers)
{
    IoTest::FakeManager manager;
    ManagerServices::setShared(&manager);
    ScriptedAlerts alerts;

    const QString data = IoTest::writeScratch(
        "round.dat", "# t  signal  reference\n0 1.5 -2\n0.1 1.75 3e-5\n0.2 NaN 7\n1e3 -0.000123 4.5\n");
    VexaDocument doc;
    SizedView view;
    doc.PV = &view;
    ASCIIImport::ImportOptions options;
    options.path = data;
    ASSERT_TRUE(ASCIIImport::importFile(doc, options).ok());
    ASSERT_EQ(doc.DB.size(), 2u);
    doc.DB[1]->belongy = 2;
    doc.DB[1]->style.symbol = 5;

    const QString file = IoTest::scratchPath("round.vexa");
    const Outcome written = DocumentArchive::writeToFile(doc, file);
    ASSERT_TRUE(written.ok()) << written.message().toStdString();

    VexaDocument again;
    DocumentArchive::SubviewViews views;
    ASSERT_TRUE(DocumentArchive::readFromFile(again, file, views).ok());
    ASSERT_EQ(again.DB.size(), doc.DB.size());
    for (std::size_t i = 0; i < doc.DB.size(); ++i) {
        const DataBuffer& a = *doc.DB[i];
        const DataBuffer& b = *again.DB[i];
        ASSERT_EQ(a.X.size(), b.X.size());
        EXPECT_EQ(std::memcmp(a.X.data(), b.X.data(), a.X.size() * 8), 0);
        EXPECT_EQ(std::memcmp(a.Y.data(), b.Y.data(), a.Y.size() * 8), 0);
        EXPECT_EQ(a.source, b.source);
        EXPECT_EQ(a.comment, b.comment);
        EXPECT_EQ(a.belongy, b.belongy);
        EXPECT_EQ(a.style.symbol, b.style.symbol);
    }
    EXPECT_EQ(again.xmin1, doc.xmin1);
    EXPECT_EQ(again.ymax2, doc.ymax2);
    EXPECT_TRUE(alerts.requests().empty());
    ManagerServices::setShared(nullptr);
}

} // namespace
