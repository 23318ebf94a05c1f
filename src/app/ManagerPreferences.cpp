// The preferences of the controller and their window (date format, window
// switches, palette, default fonts, default buffer style), the font panel's
// relay for the controller's own fonts, and the partial loading of documents.

#include "app/Manager.h"

#include "app/ColorWell.h"
#include "app/DocumentWindowQt.h"
#include "app/FontChange.h"
#include "app/MacroEditor.h"
#include "app/PanelAccessories.h"
#include "app/QueryEditor.h"
#include "io/DocumentArchive.h"
#include "model/BufferStyleDefaults.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/Font.h"
#include "platform/UserDefaults.h"
#include "util/StringCategory.h"
#include "view/VexaView.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The rows of the default fonts in the Preferences window: the tag fontChanges
// takes for each, and its title.
struct DefaultFontRow {
    Preferences::DefaultFont font;
    int tag;
    const char* title;
};

// clang-format off
const DefaultFontRow defaultFontRows[] = {
    {Preferences::AxisTitles,  3, "Axis titles"},
    {Preferences::AxisNumbers, 4, "Axis numbers"},
    {Preferences::Legend,      5, "Legend"},
};
// clang-format on

} // namespace

PanelAccessories& Manager::panelAccessories()
{
    if (!accessories_) {
        accessories_ = std::make_unique<PanelAccessories>();
        if (accessoriesFromDefaults_)
            accessories_->loadFromDefaults(UserDefaults::standard());
    }
    return *accessories_;
}

QDialog& Manager::preferencesWindow()
{
    if (!preferencesWindow_)
        buildPreferences();
    return *preferencesWindow_;
}

void Manager::showPreferences()
{
    QDialog& window = preferencesWindow();
    window.show();
    window.raise();
    window.activateWindow();
}

void Manager::buildPreferences()
{
    preferencesWindow_ = new QDialog;
    preferencesWindow_->setObjectName(QStringLiteral("preferences"));
    preferencesWindow_->setWindowTitle(QStringLiteral("Preferences"));
    auto* column = new QVBoxLayout(preferencesWindow_);

    auto* general = new QGroupBox(QStringLiteral("General"));
    auto* form = new QFormLayout(general);
    p_tdf = new QLineEdit;
    p_tdf->setObjectName(QStringLiteral("p_tdf"));
    p_tdf->setToolTip(QStringLiteral("Date and time format, e.g. %Y-%m-%d %H:%M:%S"));
    p_toolbar = new QCheckBox(QStringLiteral("Hide the tools and values of document windows"));
    p_toolbar->setObjectName(QStringLiteral("p_toolbar"));
    p_initialdoc = new QCheckBox(QStringLiteral("Open a new document at start"));
    p_initialdoc->setObjectName(QStringLiteral("p_initialdoc"));
    form->addRow(QStringLiteral("Time format"), p_tdf);
    form->addRow(QString(), p_toolbar);
    form->addRow(QString(), p_initialdoc);
    // The format in use is the one typed so far; it is stored once typed.
    connect(p_tdf, &QLineEdit::textChanged, this, [this](const QString& text) { prefs_.TDF = text; });
    connect(p_tdf, &QLineEdit::editingFinished, this,
            [this] { prefs_.saveTimeFormat(UserDefaults::standard()); });
    connect(p_toolbar, &QCheckBox::toggled, this, [this](bool on) {
        prefs_.windowToolbar = on;
        prefs_.saveWindowToolbar(UserDefaults::standard());
        for (VexaDocument* doc : documents_)
            if (DocumentWindowQt* w = windowOf(doc))
                w->followController();
    });
    connect(p_initialdoc, &QCheckBox::toggled, this, [this](bool on) {
        prefs_.initialDocument = on;
        prefs_.saveInitialDocument(UserDefaults::standard());
    });
    column->addWidget(general);

    column->addWidget(buildPaletteBox());
    column->addWidget(buildFontBox());

    auto* style = new QGroupBox(QStringLiteral("New Buffers"));
    auto* styleRow = new QHBoxLayout(style);
    auto* styleText = new QLabel(QStringLiteral("New buffers take the colours, lines, symbols and the "
                                                "drawing switches of the current buffer."));
    styleText->setWordWrap(true);
    styleRow->addWidget(styleText, 1);
    auto* useStyle = new QPushButton(QStringLiteral("Use Current Buffer's Style"));
    useStyle->setObjectName(QStringLiteral("p_defaultstyle"));
    connect(useStyle, &QPushButton::clicked, this, [this] { prefSetDefaultStyle(); });
    styleRow->addWidget(useStyle);
    column->addWidget(style);
    column->addStretch(1);

    showPreferenceValues();
}

QWidget* Manager::buildPaletteBox()
{
    auto* box = new QGroupBox(QStringLiteral("Palette"));
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(4);
    for (int n = 0; n < int(p_col.size()); ++n) {
        auto* well = new ColorWell(nullptr, ColorWell::Dialog::Modal);
        well->setObjectName(QStringLiteral("p_col%1").arg(n));
        well->setToolTip(QStringLiteral("Colour %1").arg(n));
        well->setFixedSize(30, 22);
        connect(well, &ColorWell::colorChosen, this, [this, well] { prefColorChanged(well); });
        p_col[std::size_t(n)] = well;
        grid->addWidget(well, n / 8, n % 8);
    }
    auto* revert = new QPushButton(QStringLiteral("Revert"));
    revert->setObjectName(QStringLiteral("p_revertcolors"));
    revert->setToolTip(QStringLiteral("Back to the program's own colours"));
    connect(revert, &QPushButton::clicked, this, [this] { revertColors(); });
    grid->addWidget(revert, 0, 8, 2, 1, Qt::AlignVCenter);
    grid->setColumnStretch(9, 1);
    return box;
}

QWidget* Manager::buildFontBox()
{
    auto* box = new QGroupBox(QStringLiteral("Fonts of New Documents"));
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (const DefaultFontRow& f : defaultFontRows) {
        auto* field = new QLineEdit;
        field->setReadOnly(true);
        field->setObjectName(QLatin1String(Preferences::fontKeys(f.font).nameKey));
        p_fontFields[std::size_t(f.font)] = field;
        auto* choose = new QPushButton(QStringLiteral("Choose…"));
        choose->setObjectName(QStringLiteral("p_font%1").arg(f.tag));
        connect(choose, &QPushButton::clicked, this, [this, tag = f.tag] { fontChanges(tag); });
        grid->addWidget(new QLabel(QString::fromUtf8(f.title)), row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(choose, row, 2);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    return box;
}

void Manager::showPreferenceValues()
{
    if (!preferencesWindow_)
        return;
    // Showing the preferences must not write them straight back.
    {
        const QSignalBlocker b1(p_tdf), b2(p_toolbar), b3(p_initialdoc);
        p_tdf->setText(prefs_.TDF);
        p_toolbar->setChecked(prefs_.windowToolbar);
        p_initialdoc->setChecked(prefs_.initialDocument);
    }
    showPaletteColors();
    showDefaultFonts();
}

void Manager::showPaletteColors()
{
    if (!preferencesWindow_)
        return;
    for (std::size_t n = 0; n < p_col.size(); ++n)
        p_col[n]->setColor(prefs_.colors[n]);
}

void Manager::showDefaultFonts()
{
    if (!preferencesWindow_)
        return;
    for (std::size_t i = 0; i < p_fontFields.size(); ++i)
        p_fontFields[i]->setText(FontChange::fontText(prefs_.fonts[i]));
}

QMenu* Manager::buildPartialLoadMenu()
{
    auto* menu = new QMenu(QStringLiteral("Load from Document"), inspector);
    // clang-format off
    const std::pair<DocumentArchive::PartialLoadSection, const char*> sections[] = {
        {DocumentArchive::SectionLayout, "Layout…"},
        {DocumentArchive::SectionData,   "Data…"},
        {DocumentArchive::SectionRange,  "Ranges…"},
        {DocumentArchive::SectionColors, "Colours…"},
        {DocumentArchive::SectionFonts,  "Fonts…"},
        {DocumentArchive::SectionFit,    "Fit…"},
        {DocumentArchive::SectionTG,     "Texts and Graphics…"},
    };
    // clang-format on
    for (const auto& [section, title] : sections) {
        QAction* a = menu->addAction(QString::fromUtf8(title));
        a->setData(int(section));
        connect(a, &QAction::triggered, this, [this, s = section] { loadPartialFile(s); });
    }
    return menu;
}

void Manager::initPreferences()
{
    UserDefaults& d = UserDefaults::standard();
    prefs_ = Preferences::load(d);
    showPreferenceValues();
    queryEditor->loadFromDefaults();
    macroEditor->loadFromDefaults();
    if (opt_h)
        inspector->hide();
    else
        showInspector();

    if (accessories_)
        accessories_->loadFromDefaults(d);
    accessoriesFromDefaults_ = true;
}

QColor Manager::paletteColor(int n) const
{
    return prefs_.colors[std::size_t(((n % 16) + 16) % 16)];
}

void Manager::prefColorChanged(ColorWell* well)
{
    const auto entry = std::find(p_col.begin(), p_col.end(), well);
    if (entry == p_col.end())
        return;
    const std::size_t n = std::size_t(entry - p_col.begin());
    prefs_.colors[n] = well->color();
    prefs_.saveColor(UserDefaults::standard(), int(n));
}

void Manager::revertColors()
{
    prefs_.colors = Preferences::builtInPalette();
    Preferences::forgetColors(UserDefaults::standard());
    showPaletteColors();
}

void Manager::prefSetDefaultStyle()
{
    const DataBuffer* b = PD && PD->bufferCount() > 0 ? PD->getCurrentDataBuffer() : nullptr;
    if (!b) {
        Alert::beep();
        return;
    }
    BufferStyleDefaults::store(UserDefaults::standard(), b->style, b->dynsize);
    // Buffers made from now on take it, in the open documents too.
    const BufferDefaults buffer = documentDefaults().buffer;
    const std::function<void(VexaDocument&)> take = [&](VexaDocument& d) {
        d.defaults.buffer = buffer;
        for (const auto& sub : d.SPD)
            take(*sub);
    };
    for (VexaDocument* doc : documents_)
        take(*doc);
}

DocumentDefaults Manager::documentDefaults() const
{
    DocumentDefaults d = prefs_.documentDefaults();
    BufferStyleDefaults::read(UserDefaults::standard(), d.buffer);
    return d;
}

std::unique_ptr<VexaDocument> Manager::makeDocument()
{
    return std::make_unique<VexaDocument>(this, documentDefaults());
}

void Manager::fontChanges(int tag)
{
    if (tag == 2) {
        // Without a document the relay keeps whoever it served last.
        if (PD)
            fontChange->setReceiver(0, 2, PD->legend.legendfont, this);
    } else {
        for (const DefaultFontRow& f : defaultFontRows)
            if (f.tag == tag)
                fontChange->setReceiver(0, tag, prefs_.fonts[std::size_t(f.font)], this);
    }
    if (!opt_h)
        fontChange->orderFrontFontPanel();
}

void Manager::receiveFont(const FontChange& relay)
{
    const QFont font = relay.font();
    if (relay.fid() == 2) {
        if (PD)
            PD->setLegend(&LegendSettings::legendfont, font, VexaDocument::Redraw::Later);
    } else {
        for (const DefaultFontRow& f : defaultFontRows) {
            if (f.tag != relay.fid())
                continue;
            prefs_.fonts[std::size_t(f.font)] = font;
            prefs_.saveFont(UserDefaults::standard(), f.font);
        }
        showDefaultFonts();
    }
    update();
    if (PD)
        PD->replot();
}

void Manager::loadPartialFile(DocumentArchive::PartialLoadSection section)
{
    DocumentWindowQt* window = windowOf(PD);
    if (!PD || !window) {
        Alert::beep();
        return;
    }
    FilePanelRequest r;
    r.kind = FilePanelRequest::Open;
    r.title = QStringLiteral("Load from Document");
    r.directory = panelDirectory();
    r.suffix = QStringLiteral("vexa");
    const QStringList paths = filePanel(r);
    // The panel runs the event loop: the document may have gone meanwhile.
    window = windowOf(PD);
    if (paths.isEmpty() || !PD || !window)
        return;
    // The file's sub-views join the document; their views stay with its window.
    DocumentArchive::SubviewViews views;
    const Outcome loaded = DocumentArchive::loadPartialFile(*PD, section, paths.front(), views);
    Alert::show(loaded);
    for (auto& v : views)
        window->subviewViews.push_back(std::move(v));
    if (loaded.ok()) {
        update();
        PD->replot();
    }
}
