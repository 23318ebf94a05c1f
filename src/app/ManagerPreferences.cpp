// The preferences window of the controller (date format, window switches,
// palette, default fonts, default buffer style), the font panel's relay for
// the controller's own fonts, and the partial loading of documents.

#include "app/Manager.h"

#include "app/DocumentWindowQt.h"
#include "app/FontChange.h"
#include "app/MacroEditor.h"
#include "app/PaletteWell.h"
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

namespace {

const QString defaultTimeFormat = QStringLiteral("%Y-%m-%d %H:%M:%S");

QString colorKey(int n)
{
    return QStringLiteral("IPcolor%1").arg(n);
}

// The program's own palette colour n.
QColor builtInColor(int n)
{
    return StringCategory::color(QString::number(n));
}

// One default font: its tag (as fontChanges takes it), its keys and its
// size when nothing usable is stored.
struct DefaultFont {
    int tag;
    const char* title;
    const char* nameKey;
    const char* sizeKey;
    double fallbackSize;
    QFont Manager::*font;
    QLineEdit* Manager::*field;
};

// clang-format off
const DefaultFont defaultFonts[] = {
    {3, "Axis titles",  "TextFontName",   "TextFontSize",   18, &Manager::p_textfont,   &Manager::p_textFont},
    {4, "Axis numbers", "NumFontName",    "NumFontSize",    14, &Manager::p_numfont,    &Manager::p_numFont},
    {5, "Legend",       "LegendFontName", "LegendFontSize", 14, &Manager::p_legendfont, &Manager::p_legendFont},
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

void Manager::buildPreferences()
{
    fontChange = new FontChange(this);

    preferences = new QDialog;
    preferences->setObjectName(QStringLiteral("preferences"));
    preferences->setWindowTitle(QStringLiteral("Preferences"));
    auto* column = new QVBoxLayout(preferences);

    auto* general = new QGroupBox(QStringLiteral("General"));
    auto* form = new QFormLayout(general);
    p_tdf = new QLineEdit(defaultTimeFormat);
    p_tdf->setObjectName(QStringLiteral("p_tdf"));
    p_tdf->setToolTip(QStringLiteral("Date and time format, e.g. %Y-%m-%d %H:%M:%S"));
    p_toolbar = new QCheckBox(QStringLiteral("Hide the tools and values of document windows"));
    p_toolbar->setObjectName(QStringLiteral("p_toolbar"));
    p_initialdoc = new QCheckBox(QStringLiteral("Open a new document at start"));
    p_initialdoc->setObjectName(QStringLiteral("p_initialdoc"));
    form->addRow(QStringLiteral("Time format"), p_tdf);
    form->addRow(QString(), p_toolbar);
    form->addRow(QString(), p_initialdoc);
    connect(p_tdf, &QLineEdit::editingFinished, this, [this] { prefChanged(p_tdf); });
    connect(p_toolbar, &QCheckBox::toggled, this, [this] { prefChanged(p_toolbar); });
    connect(p_initialdoc, &QCheckBox::toggled, this, [this] { prefChanged(p_initialdoc); });
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
}

QWidget* Manager::buildPaletteBox()
{
    auto* box = new QGroupBox(QStringLiteral("Palette"));
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(4);
    for (int n = 0; n < int(p_col.size()); ++n) {
        auto* well = new PaletteWell(n);
        well->setColor(builtInColor(n));
        connect(well, &PaletteWell::colorChosen, this, [this, well] { prefColorChanged(well); });
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
    for (const DefaultFont& f : defaultFonts) {
        this->*f.font = Font::userFont(f.fallbackSize);
        auto* field = new QLineEdit;
        field->setReadOnly(true);
        field->setObjectName(QLatin1String(f.nameKey));
        this->*f.field = field;
        auto* choose = new QPushButton(QStringLiteral("Choose…"));
        choose->setObjectName(QStringLiteral("p_font%1").arg(f.tag));
        connect(choose, &QPushButton::clicked, this, [this, tag = f.tag] { fontChanges(tag); });
        grid->addWidget(new QLabel(QString::fromUtf8(f.title)), row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(choose, row, 2);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    showDefaultFonts();
    return box;
}

void Manager::showDefaultFonts()
{
    for (const DefaultFont& f : defaultFonts)
        (this->*f.field)->setText(FontChange::fontText(this->*f.font));
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
        connect(a, &QAction::triggered, this, [this, s = int(section)] { loadPartialFile(s); });
    }
    return menu;
}

void Manager::initPreferences()
{
    UserDefaults& d = UserDefaults::standard();
    for (int n = 0; n < int(p_col.size()); ++n)
        if (auto c = d.colorForKey(colorKey(n)))
            p_col[std::size_t(n)]->setColor(*c);

    // Loading the controls must not write them straight back.
    {
        const QSignalBlocker b1(p_tdf), b2(p_toolbar), b3(p_initialdoc);
        p_tdf->setText(d.stringForKey(QStringLiteral("TDF")));
        if (p_tdf->text().isEmpty())
            p_tdf->setText(defaultTimeFormat);
        if (d.contains(QStringLiteral("WindowToolbar")))
            p_toolbar->setChecked(d.boolForKey(QStringLiteral("WindowToolbar")));
        if (d.contains(QStringLiteral("InitialDocument")))
            p_initialdoc->setChecked(d.boolForKey(QStringLiteral("InitialDocument")));
    }
    queryEditor->loadFromDefaults();
    macroEditor->loadFromDefaults();
    if (opt_h)
        inspector->hide();
    else
        showInspector();

    for (const DefaultFont& f : defaultFonts)
        this->*f.font = VexaDocument::defaultFont(f.nameKey, f.sizeKey, f.fallbackSize);
    showDefaultFonts();
    if (accessories_)
        accessories_->loadFromDefaults(d);
    accessoriesFromDefaults_ = true;
}

void Manager::prefChanged(QObject* sender)
{
    UserDefaults& d = UserDefaults::standard();
    if (sender == p_tdf) {
        d.setValue(QStringLiteral("TDF"), p_tdf->text());
    } else if (sender == p_toolbar) {
        d.setValue(QStringLiteral("WindowToolbar"), p_toolbar->isChecked());
        d.synchronize();
        for (VexaDocument* doc : documents_)
            doc->update();
    } else if (sender == p_initialdoc) {
        d.setValue(QStringLiteral("InitialDocument"), p_initialdoc->isChecked());
    }
    d.synchronize();
}

QColor Manager::paletteColor(int n) const
{
    const int i = ((n % 16) + 16) % 16;
    return p_col[std::size_t(i)] ? p_col[std::size_t(i)]->color() : builtInColor(i);
}

void Manager::prefColorChanged(PaletteWell* well)
{
    UserDefaults& d = UserDefaults::standard();
    d.setColor(colorKey(well->tag()), well->color());
    d.synchronize();
}

void Manager::revertColors()
{
    UserDefaults& d = UserDefaults::standard();
    for (int n = 0; n < int(p_col.size()); ++n) {
        p_col[std::size_t(n)]->setColor(builtInColor(n));
        d.removeObjectForKey(colorKey(n));
    }
    d.synchronize();
}

void Manager::prefSetDefaultStyle()
{
    const DataBuffer* b = PD && PD->bufferCount() > 0 ? PD->getCurrentDataBuffer() : nullptr;
    if (!b) {
        Alert::beep();
        return;
    }
    BufferStyleDefaults::store(UserDefaults::standard(), b->style, b->dynsize);
}

void Manager::fontChanges(int tag)
{
    if (tag == 2) {
        // Without a document the relay keeps whoever it served last.
        if (PD)
            fontChange->setReceiver(0, 2, PD->legend.legendfont, this);
    } else {
        for (const DefaultFont& f : defaultFonts)
            if (f.tag == tag)
                fontChange->setReceiver(0, tag, this->*f.font, this);
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
        UserDefaults& d = UserDefaults::standard();
        for (const DefaultFont& f : defaultFonts) {
            if (f.tag != relay.fid())
                continue;
            this->*f.font = font;
            d.setValue(QLatin1String(f.nameKey), Font::storedName(font));
            d.synchronize();
            d.setValue(QLatin1String(f.sizeKey), double(float(font.pointSizeF())));
            d.synchronize();
        }
        showDefaultFonts();
    }
    update();
    if (PD)
        PD->replot();
}

void Manager::loadPartialFile(int section)
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
    const bool loaded = DocumentArchive::loadPartialFile(*PD, section, paths.front(), views);
    for (auto& v : views)
        window->subviewViews.push_back(std::move(v));
    if (loaded) {
        update();
        PD->replot();
    }
}
