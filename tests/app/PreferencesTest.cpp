// The preferences and the panels' settings: what a first launch shows, what
// survives a restart, the default buffer style and fonts, the font panel's
// relay, the settings inside the import and export panels reaching the
// imports and exports, and the partial loading of documents.

#include "AppFixtures.h"
#include "app/ColorWell.h"
#include "app/FontChange.h"
#include "app/MacroEditor.h"
#include "app/Manager.h"
#include "app/PanelAccessories.h"
#include "app/PreferencesWindow.h"
#include "app/QueryEditor.h"
#include "io/DocumentArchive.h"
#include "macro/Macro.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/Font.h"
#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSpinBox>
#include <QTableView>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

// The store as a later run finds it: a copy of the file as it is on disk
// now, opened afresh (the settings cache of this process cannot answer).
void restart()
{
    static int runs = 0;
    const QString next = TestSupport::scratchDir() + QStringLiteral("/restart-%1.ini").arg(++runs);
    ASSERT_TRUE(QFile::copy(UserDefaults::standard().storeFile(), next));
    UserDefaults::setStoreFile(next);
}

VexaDocument& currentDocument(Manager& m)
{
    VexaDocument& d = m.openDocument(std::make_unique<VexaDocument>(), false)->document();
    m.setCurrentDoc(&d, &d);
    return d;
}

QFont someFont(double size)
{
    return *Font::withName(QStringLiteral("DejaVu Serif"), size);
}

// The twelve settings of the ASCII import panel and the four of the binary
// one, as the controls show them.
struct PanelSettings {
    ASCIIImport::ImportOptions ascii;
    PanelAccessories::BinarySettings binary;
};

PanelSettings shown(const PanelAccessories& a)
{
    return {a.asciiOptions(QString()), a.binarySettings()};
}

void expectSame(const PanelSettings& got, const PanelSettings& want)
{
    const auto& g = got.ascii;
    const auto& w = want.ascii;
    EXPECT_EQ(g.mode, w.mode);
    EXPECT_EQ(g.separator, w.separator);
    EXPECT_EQ(g.xColumn, w.xColumn);
    EXPECT_EQ(g.noXColumn, w.noXColumn);
    EXPECT_EQ(g.ignoreText, w.ignoreText);
    EXPECT_EQ(g.commentText, w.commentText);
    EXPECT_EQ(g.numericLinesOnly, w.numericLinesOnly);
    EXPECT_EQ(g.timeFormat, w.timeFormat);
    EXPECT_EQ(g.useTimeFormat, w.useTimeFormat);
    EXPECT_EQ(g.noTime, w.noTime);
    EXPECT_EQ(g.commaSeparates, w.commaSeparates);
    EXPECT_EQ(g.periodSeparates, w.periodSeparates);
    EXPECT_EQ(got.binary, want.binary);
}

// Every control away from how it is built.
void changeEveryControl(PanelAccessories& a)
{
    a.importMode->button(ASCIIImport::ErrorMode)->setChecked(true);
    a.importSep->setText(QStringLiteral(";"));
    a.importXcol->setValue(3);
    a.noXcol->setChecked(true);
    a.importIgnoreCont->setText(QStringLiteral("skip"));
    a.importComment->setText(QStringLiteral("#"));
    a.importNumLines->setChecked(false);
    a.importTimeFormat->setText(QStringLiteral("dd.MM.yyyy"));
    a.importTimeFormatCustom->setChecked(true);
    a.importNoTime->setChecked(true);
    a.importCommaSep->setChecked(false);
    a.importPeriodSep->setChecked(true);
    a.binType->button(3)->setChecked(true);
    a.binMode->button(1)->setChecked(true);
    a.binSwap->setChecked(true);
    a.binColumns->setValue(5);
}

// The Preferences window among the windows of the application; null while
// none was made.
QDialog* madePreferencesWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("preferences"))
            return qobject_cast<QDialog*>(w);
    return nullptr;
}

// A launch with "-h yes" on the command line.
struct HiddenLaunch {
    HiddenLaunch()
    {
        UserDefaults::standard().setArgumentDomain({QStringLiteral("-h"), QStringLiteral("yes")});
    }
    ~HiddenLaunch() { UserDefaults::standard().clearArgumentDomain(); }
};

} // namespace

TEST(Preferences, AHiddenRunReadsThemWithoutTheWindowWhichShowsThemWhenMade)
{
    Preferences stored;
    stored.TDF = QStringLiteral("%H:%M");
    stored.windowToolbar = true;
    stored.colors[3] = QColor::fromRgbF(0.2f, 0.4f, 0.6f);
    stored.fonts[Preferences::Legend] = someFont(11);
    {
        UserDefaults& store = UserDefaults::standard();
        store.removeAll();
        stored.saveTimeFormat(store);
        stored.saveWindowToolbar(store);
        stored.saveColor(store, 3);
        stored.saveFont(store, Preferences::Legend);
    }
    restart();
    {
        const HiddenLaunch hidden;
        Manager m;
        m.applicationDidFinishLaunching();
        EXPECT_EQ(m.preferences(), stored);
        EXPECT_EQ(m.TDF(), QStringLiteral("%H:%M"));
        EXPECT_TRUE(m.toolbarSwitch());
        EXPECT_EQ(m.paletteColor(3), stored.colors[3]);
        EXPECT_EQ(madePreferencesWindow(), nullptr);
        EXPECT_EQ(m.preferencesWindow().timeFormatField(), nullptr);

        // Made later, it shows them; a change goes into them and the store.
        QDialog& window = m.preferencesWindow().dialog();
        EXPECT_EQ(madePreferencesWindow(), &window);
        EXPECT_EQ(m.preferencesWindow().timeFormatField()->text(), QStringLiteral("%H:%M"));
        EXPECT_TRUE(m.preferencesWindow().toolbarSwitch()->isChecked());
        EXPECT_FALSE(m.preferencesWindow().initialDocumentSwitch()->isChecked());
        for (int n = 0; n < Preferences::paletteSize; ++n)
            EXPECT_EQ(m.preferencesWindow().paletteWell(n)->color(), stored.colors[std::size_t(n)]) << n;
        EXPECT_EQ(m.preferencesWindow().fontField(Preferences::Legend)->text(),
                  FontChange::fontText(someFont(11)));
        m.preferencesWindow().initialDocumentSwitch()->setChecked(true);
        EXPECT_TRUE(m.preferences().initialDocument);
        EXPECT_TRUE(UserDefaults::standard().boolForKey(QStringLiteral("InitialDocument")));
    }
    EXPECT_EQ(madePreferencesWindow(), nullptr) << "gone with its controller";
    restart();
    stored.initialDocument = true;
    EXPECT_EQ(Preferences::load(UserDefaults::standard()), stored);
}

TEST(Preferences, AFirstLaunchWithAnEmptyStoreShowsTheDefaults)
{
    UserDefaults::standard().removeAll();
    Manager m;
    m.applicationDidFinishLaunching();
    EXPECT_EQ(m.preferences(), Preferences());
    m.preferencesWindow().dialog();

    EXPECT_EQ(m.TDF(), QStringLiteral("%Y-%m-%d %H:%M:%S"));
    EXPECT_EQ(m.preferencesWindow().timeFormatField()->text(), m.TDF());
    EXPECT_FALSE(m.preferencesWindow().toolbarSwitch()->isChecked());
    EXPECT_FALSE(m.preferencesWindow().initialDocumentSwitch()->isChecked());
    EXPECT_TRUE(m.documents().empty());

    const struct {
        int n;
        double r, g, b;
    } palette[] = {{0, 0, 0, 0}, {2, 0, 0.250156, 0.504051}, {7, 0.25098, 0, 0.501961}, {15, 0.501961, 0, 1}};
    for (const auto& c : palette) {
        SCOPED_TRACE(c.n);
        const QColor well = m.preferencesWindow().paletteWell(c.n)->color();
        EXPECT_NEAR(well.redF(), c.r, 1e-4);
        EXPECT_NEAR(well.greenF(), c.g, 1e-4);
        EXPECT_NEAR(well.blueF(), c.b, 1e-4);
        EXPECT_EQ(m.paletteColor(c.n + 16), well);
    }

    const auto& fonts = m.preferences().fonts;
    EXPECT_EQ(fonts[Preferences::AxisTitles].pointSizeF(), 18);
    EXPECT_EQ(fonts[Preferences::AxisNumbers].pointSizeF(), 14);
    EXPECT_EQ(fonts[Preferences::Legend].pointSizeF(), 14);
    const QLineEdit& titles = *m.preferencesWindow().fontField(Preferences::AxisTitles);
    EXPECT_TRUE(titles.text().endsWith(QStringLiteral(" - 18 pt"))) << titles.text().toStdString();
    EXPECT_TRUE(
        m.preferencesWindow().fontField(Preferences::Legend)->text().endsWith(QStringLiteral(" - 14 pt")));

    // One query and one macro, both stored at once; the macro's row selected.
    ASSERT_EQ(m.queryEditor->MYQ.size(), 1u);
    EXPECT_EQ(m.queryEditor->MYQ[0].name, QStringLiteral("New Query"));
    ASSERT_EQ(m.macroEditor->MA.size(), 1u);
    EXPECT_EQ(m.macroEditor->MA[0]->name, QStringLiteral("New Macro"));
    EXPECT_EQ(m.macroEditor->selectedRow(), 0);
    EXPECT_FALSE(UserDefaults::standard().dataForKey(QStringLiteral("MySQLQueries")).isEmpty());
    EXPECT_FALSE(UserDefaults::standard().dataForKey(QStringLiteral("Macros")).isEmpty());

    // The panels as built: the import's own defaults, two binary columns.
    PanelSettings built;
    built.binary = {0, 0, false, 2};
    expectSame(shown(m.panelAccessories()), built);
    EXPECT_EQ(m.panelAccessories().resolutionDpi(), 72);
}

TEST(Preferences, EverySettingSurvivesARestart)
{
    UserDefaults::standard().removeAll();
    const QFont text = someFont(21), numbers = someFont(9), legend = someFont(12);
    const QColor seventh = QColor::fromRgbF(0.2f, 0.6f, 0.4f);
    PanelSettings left;
    {
        Manager m;
        m.applicationDidFinishLaunching();
        VexaDocument& d = currentDocument(m);
        const QFont openLegend = d.legend.legendfont;
        m.preferencesWindow().dialog();
        m.preferencesWindow().timeFormatField()->setText(QStringLiteral("%d.%m.%Y %H:%M"));
        emit m.preferencesWindow().timeFormatField()->editingFinished();
        m.preferencesWindow().toolbarSwitch()->setChecked(true);
        m.preferencesWindow().initialDocumentSwitch()->setChecked(true);
        m.preferencesWindow().paletteWell(7)->chooseColor(seventh);
        EXPECT_TRUE(UserDefaults::standard().contains(QStringLiteral("IPcolor7")));
        for (const auto& [tag, font] : {std::pair{3, text}, {4, numbers}, {5, legend}}) {
            m.fontChanges(tag);
            m.fontChange->changeFont(font);
        }
        EXPECT_EQ(d.legend.legendfont, openLegend) << "the defaults leave open documents alone";

        // Both import panels cancelled: their settings are kept all the same.
        changeEveryControl(m.panelAccessories());
        left = shown(m.panelAccessories());
        int panels = 0;
        m.filePanel = [&](const Manager::FilePanelRequest&) {
            ++panels;
            return QStringList();
        };
        m.importFile();
        m.binaryImport();
        EXPECT_EQ(panels, 2);
        EXPECT_EQ(d.bufferCount(), 0);
    }
    restart();
    {
        Manager m;
        m.applicationDidFinishLaunching();
        m.preferencesWindow().dialog();
        EXPECT_EQ(m.TDF(), QStringLiteral("%d.%m.%Y %H:%M"));
        EXPECT_EQ(m.preferencesWindow().timeFormatField()->text(), m.TDF());
        EXPECT_TRUE(m.preferencesWindow().toolbarSwitch()->isChecked());
        EXPECT_TRUE(m.preferencesWindow().initialDocumentSwitch()->isChecked());
        EXPECT_EQ(m.documents().size(), 1u) << "a start document";
        EXPECT_EQ(m.preferencesWindow().paletteWell(7)->color(), seventh);
        EXPECT_EQ(m.preferences().fonts, (std::array{text, numbers, legend}));
        EXPECT_EQ(m.preferencesWindow().fontField(Preferences::AxisNumbers)->text(),
                  Font::storedName(numbers) + QStringLiteral(" - 9 pt"));
        expectSame(shown(m.panelAccessories()), left);

        // New documents take the fonts.
        const auto fresh = m.makeDocument();
        EXPECT_EQ(fresh->axes[0].textfont, text);
        EXPECT_EQ(fresh->axes[3].numfont, numbers);
        EXPECT_EQ(fresh->legend.legendfont, legend);

        // Reverting the palette forgets every stored colour.
        m.preferencesWindow().revertColors();
        EXPECT_NE(m.preferencesWindow().paletteWell(7)->color(), seventh);
        for (int n = 0; n < 16; ++n)
            EXPECT_FALSE(UserDefaults::standard().contains(QStringLiteral("IPcolor%1").arg(n)));
    }
    restart();
    Manager m;
    m.applicationDidFinishLaunching();
    m.preferencesWindow().dialog();
    EXPECT_EQ(m.preferencesWindow().paletteWell(7)->color(), m.paletteColor(7));
    EXPECT_NEAR(m.preferencesWindow().paletteWell(7)->color().redF(), 0.25098, 1e-4);
}

TEST(Preferences, StoredFontsOfNewDocumentsNeedBothKeysAndAnInstalledFace)
{
    UserDefaults& s = UserDefaults::standard();
    s.removeAll();
    const auto made = [&] { return VexaDocument(nullptr, Preferences::load(s).documentDefaults()); };
    s.setValue(QStringLiteral("NumFontName"), QStringLiteral("Times-Roman"));
    {
        const VexaDocument d = made(); // size missing
        EXPECT_EQ(d.axes[0].numfont.pointSizeF(), 14);
        EXPECT_EQ(d.axes[0].numfont, Font::userFont(14));
    }
    s.setValue(QStringLiteral("NumFontSize"), 22);
    {
        const VexaDocument d = made();
        EXPECT_EQ(d.axes[0].numfont.pointSizeF(), 22);
        EXPECT_EQ(d.axes[0].numfont, *Font::withName(QStringLiteral("Times-Roman"), 22));
    }
    s.setValue(QStringLiteral("NumFontName"), QStringLiteral("No Such Font Anywhere"));
    s.setValue(QStringLiteral("TextFontName"), QStringLiteral("No Such Font Anywhere"));
    s.setValue(QStringLiteral("TextFontSize"), 30);
    {
        const VexaDocument d = made(); // the standard size, not the stored one
        EXPECT_EQ(d.axes[0].numfont.pointSizeF(), 14);
        EXPECT_EQ(d.axes[0].textfont.pointSizeF(), 18);
    }
    s.removeAll();
}

TEST(Preferences, TheCurrentBuffersStyleBecomesThatOfNewBuffers)
{
    Manager m;
    ScriptedAlerts alerts;
    m.prefSetDefaultStyle();
    EXPECT_EQ(alerts.beeps(), 1) << "no document";
    VexaDocument& d = currentDocument(m);
    m.prefSetDefaultStyle();
    EXPECT_EQ(alerts.beeps(), 2) << "no buffer";

    d.DB.push_back(std::make_unique<DataBuffer>());
    DataBuffer& b = *d.DB.back();
    b.style.color = Qt::red;
    b.style.stickcolor = Qt::green;
    b.style.linewidth = 2.5;
    b.style.dash = 3;
    b.style.symbol = 4;
    b.style.symbolsize = 7.25;
    b.style.plotlines = 0;
    b.style.plotsymbols = 1;
    b.style.plotfhist = 1;
    b.style.barcolor = Qt::blue; // one of those that stay as they were
    b.style.freex = 1;
    b.dynsize = QStringLiteral("y*2");
    m.prefSetDefaultStyle();
    EXPECT_EQ(alerts.beeps(), 2);

    BufferStyle want = b.style;
    want.barcolor = BufferStyle().barcolor;
    want.freex = 0;
    EXPECT_EQ(d.makeBuffer()->style, want) << "the open document's new buffers too";
    restart();
    const auto fresh = m.makeDocument()->makeBuffer();
    EXPECT_EQ(fresh->style, want);
    EXPECT_EQ(fresh->dynsize, QStringLiteral("y*2"));
}

TEST(FontRelay, PicksInThePanelReachWhoeverArmedItLast)
{
    Manager m;
    // Tag 2 without a document opens the panel but arms nothing.
    m.fontChanges(2);
    ASSERT_TRUE(m.fontChange->panel());
    EXPECT_FALSE(m.fontChange->panel()->isModal());
    EXPECT_EQ(m.fontChange->receiver(), nullptr);

    // A pick in the panel itself goes to the default text font.
    m.fontChanges(3);
    EXPECT_EQ(m.fontChange->fid(), 3);
    EXPECT_EQ(m.fontChange->panel()->currentFont().pointSizeF(), 18) << "the panel shows the font";
    m.fontChange->panel()->setCurrentFont(someFont(30));
    const QFont picked = m.fontChange->panel()->currentFont();
    EXPECT_EQ(m.preferences().fonts[Preferences::AxisTitles], picked);
    EXPECT_EQ(UserDefaults::standard().stringForKey(QStringLiteral("TextFontName")),
              Font::storedName(picked));
    EXPECT_EQ(UserDefaults::standard().floatForKey(QStringLiteral("TextFontSize")), 30.f);

    // Tag 2 with a document: its legend font; without one the relay stays.
    VexaDocument& d = currentDocument(m);
    m.fontChanges(2);
    EXPECT_EQ(m.fontChange->font(), d.legend.legendfont);
    m.fontChange->changeFont(someFont(8));
    EXPECT_EQ(d.legend.legendfont, someFont(8));
    m.setCurrentDoc(nullptr, nullptr);
    m.fontChanges(3);
    m.fontChanges(2);
    m.fontChange->changeFont(someFont(33));
    EXPECT_EQ(m.preferences().fonts[Preferences::AxisTitles], someFont(33));
    EXPECT_EQ(d.legend.legendfont, someFont(8));

    // A panel that armed the relay and went away is forgotten.
    struct Panel : FontReceiver {
        int fonts = 0;
        void receiveFont(const FontChange&) override { ++fonts; }
    };
    {
        Panel p;
        m.fontChange->setReceiver(1, 0, someFont(10), &p);
        m.fontChange->changeFont(someFont(11));
        EXPECT_EQ(p.fonts, 1);
        EXPECT_EQ(m.fontChange->fcaxis(), 1);
    }
    EXPECT_EQ(m.fontChange->receiver(), nullptr);
    m.fontChange->changeFont(someFont(12));
}

TEST(FontRelay, ThePanelShowsTheFaceOfTheFontItWasArmedWith)
{
    // Whatever a family calls its faces, the panel shows the face the font
    // is drawn in, so that a pick of another size keeps weight and slant.
    Manager m;
    m.fontChange->orderFrontFontPanel();
    QFontDialog& panel = *m.fontChange->panel();
    const struct {
        const char* family;
        QFont::Weight weight;
        bool italic;
    } fonts[] = {
        {"DejaVu Serif", QFont::Normal, false}, {"DejaVu Sans", QFont::Normal, false},
        {"DejaVu Sans", QFont::Bold, true},     {"Nimbus Roman", QFont::Normal, false},
        {"Nimbus Sans", QFont::Bold, false},
    };
    for (const auto& f : fonts) {
        QFont font(QLatin1String(f.family), 14, f.weight, f.italic);
        if (QFontInfo(font).family() != font.family())
            continue; // not installed here
        m.fontChange->setReceiver(0, 0, font, nullptr);
        const QFontInfo shown(panel.currentFont());
        EXPECT_EQ(shown.family(), QFontInfo(font).family()) << f.family;
        EXPECT_EQ(shown.styleName(), QFontInfo(font).styleName()) << f.family;
        EXPECT_EQ(shown.weight(), f.weight) << f.family;
        EXPECT_EQ(shown.italic(), f.italic) << f.family;
        EXPECT_EQ(panel.currentFont().pointSizeF(), 14) << f.family;
    }
}

TEST(ImportPanels, TheirSettingsReachTheImportsAndExports)
{
    Manager m;
    VexaDocument& d = currentDocument(m);
    QWidget* accessory = nullptr;
    QStringList answer;
    m.filePanel = [&](const Manager::FilePanelRequest& r) {
        accessory = r.accessory;
        return answer;
    };
    PanelAccessories& a = m.panelAccessories();

    // ASCII: separator, x column, skipped and cut lines as the panel says.
    a.importSep->setText(QStringLiteral(";"));
    a.importXcol->setValue(2);
    a.importIgnoreCont->setText(QStringLiteral("skip"));
    a.importComment->setText(QStringLiteral("#"));
    answer = {AppFixtures::writeScratch(QStringLiteral("panel.txt"),
                                        "1;10;100 # note\n2;20;200\n9;skip;9\n3;30;300\n")};
    m.importFile();
    EXPECT_EQ(accessory, a.importAccView);
    ASSERT_EQ(d.bufferCount(), 2);
    EXPECT_EQ(d.DB[0]->X, (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(d.DB[0]->Y, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(d.DB[1]->Y, (std::vector<double>{100, 200, 300}));
    EXPECT_EQ(UserDefaults::standard().stringForKey(QStringLiteral("ImportSep")), QStringLiteral(";"));

    // Binary: 16-bit numbers, three columns stored one after another.
    const std::int16_t numbers[] = {1, 2, 3, 10, 20, 30, -1, -2, -3};
    QByteArray bytes(sizeof numbers, '\0');
    std::memcpy(bytes.data(), numbers, sizeof numbers);
    a.binType->button(3)->setChecked(true);
    a.binMode->button(1)->setChecked(true);
    a.binColumns->setValue(3);
    answer = {AppFixtures::writeScratch(QStringLiteral("panel.bin"), bytes)};
    m.binaryImport();
    EXPECT_EQ(accessory, a.binAccView);
    ASSERT_EQ(d.bufferCount(), 4);
    EXPECT_EQ(d.DB[2]->X, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(d.DB[3]->Y, (std::vector<double>{-1, -2, -3}));
    EXPECT_EQ(UserDefaults::standard().integerForKey(QStringLiteral("BinColumns")), 3);

    // Pictures: the chosen resolution scales the bitmap; PDF has no setting.
    Manager::windowOf(&d)->resize(300, 200);
    auto widthAt = [&](int dpi) {
        a.resolution->setCurrentIndex(a.resolution->findData(dpi));
        const QString png = TestSupport::scratchDir() + QStringLiteral("/panel-%1.png").arg(dpi);
        answer = {png};
        m.savePNG();
        EXPECT_EQ(accessory, a.resolutionAccView);
        return QImage(png).width();
    };
    const int w72 = widthAt(72);
    EXPECT_GT(w72, 0);
    EXPECT_EQ(widthAt(144), 2 * w72);
    answer = {TestSupport::scratchDir() + QStringLiteral("/panel.pdf")};
    m.savePDF();
    EXPECT_EQ(accessory, nullptr);
}

TEST(ImportPanels, ThePanelIsTheToolkitsOwnWithTheSettingsInside)
{
    PanelAccessories a;
    QPointer<QWidget> accessory = a.importAccView;
    for (bool accept : {false, true}) {
        Manager::FilePanelRequest r;
        r.title = QStringLiteral("Import ASCII");
        r.directory = TestSupport::scratchDir();
        r.multiple = true;
        r.accessory = a.importAccView;
        const std::unique_ptr<QFileDialog> panel = Manager::makeFilePanel(r, nullptr);
        EXPECT_TRUE(panel->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(panel->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(panel->windowTitle(), QStringLiteral("Import ASCII"));
        EXPECT_TRUE(panel->isAncestorOf(a.importAccView));
        panel->show();
        EXPECT_TRUE(a.importAccView->isVisible());
        // Through QDialog, where finishing is public.
        static_cast<QDialog*>(panel.get())->done(accept ? QDialog::Accepted : QDialog::Rejected);
        // Given back for the next panel.
        EXPECT_EQ(a.importAccView->parent(), nullptr);
    }
    EXPECT_FALSE(accessory.isNull());

    Manager::FilePanelRequest save;
    save.kind = Manager::FilePanelRequest::Save;
    save.suffix = QStringLiteral("png");
    const std::unique_ptr<QFileDialog> panel = Manager::makeFilePanel(save, nullptr);
    EXPECT_EQ(panel->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(panel->nameFilters().front(), QStringLiteral("PNG (*.png)"));
}

TEST(PartialLoad, EachMenuItemMergesItsSectionOfTheChosenFile)
{
    Manager m;
    ScriptedAlerts alerts;
    // The other file: its own ranges and one buffer.
    VexaDocument other;
    other.xmin1 = -5;
    other.xmax1 = 50;
    other.DB.push_back(std::make_unique<DataBuffer>());
    other.DB.back()->addDoubleValue(1, 2);
    const QString file = TestSupport::scratchDir() + QStringLiteral("/other.vexa");
    ASSERT_TRUE(DocumentArchive::writeToFile(other, file).ok());

    QMenu* menu = nullptr;
    for (QAction* a : m.fileMenu->actions())
        if (a->menu() && a->text() == QStringLiteral("Load from Document"))
            menu = a->menu();
    ASSERT_NE(menu, nullptr);
    auto item = [menu](int section) -> QAction* {
        for (QAction* a : menu->actions())
            if (a->data().toInt() == section)
                return a;
        return nullptr;
    };
    ASSERT_EQ(menu->actions().size(), 7);

    item(DocumentArchive::SectionRange)->trigger();
    EXPECT_EQ(alerts.beeps(), 1) << "no document";

    VexaDocument& d = currentDocument(m);
    std::vector<Manager::FilePanelRequest> asked;
    QStringList answer;
    m.filePanel = [&](const Manager::FilePanelRequest& r) {
        asked.push_back(r);
        return answer;
    };
    item(DocumentArchive::SectionRange)->trigger(); // cancelled
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].suffix, QStringLiteral("vexa"));
    EXPECT_FALSE(asked[0].multiple);
    EXPECT_EQ(d.xmax1, 1);

    answer = {file};
    item(DocumentArchive::SectionRange)->trigger();
    EXPECT_EQ(d.xmin1, -5);
    EXPECT_EQ(d.xmax1, 50);
    EXPECT_EQ(d.bufferCount(), 0) << "only the ranges";
    item(DocumentArchive::SectionData)->trigger();
    EXPECT_EQ(d.bufferCount(), 1);

    // A file that is no document changes nothing and says so.
    answer = {AppFixtures::writeScratch(QStringLiteral("not.vexa"), "no archive")};
    item(DocumentArchive::SectionRange)->trigger();
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("File Open Error"));
    EXPECT_EQ(d.xmax1, 50);
}
