// The preferences of the controller and what their window leaves to it (the
// window switch, the default buffer style, the font panel), the font panel's
// relay for the controller's own fonts, and the partial loading of documents.

#include "app/Manager.h"

#include "app/DocumentWindowQt.h"
#include "app/FontChange.h"
#include "app/MacroEditor.h"
#include "app/PanelAccessories.h"
#include "app/PreferencesWindow.h"
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
#include <QMainWindow>
#include <QMenu>

PreferencesWindow& Manager::preferencesWindow()
{
    if (!preferencesWindow_) {
        PreferencesWindow::Actions actions;
        actions.windowToolbarChanged = [this] {
            for (VexaDocument* doc : documents_)
                if (DocumentWindowQt* w = windowOf(doc))
                    w->followController();
        };
        actions.useCurrentBufferStyle = [this] { prefSetDefaultStyle(); };
        actions.chooseFont = [this](int tag) { fontChanges(tag); };
        preferencesWindow_
            = std::make_unique<PreferencesWindow>(prefs_, UserDefaults::standard(), std::move(actions));
    }
    return *preferencesWindow_;
}

PanelAccessories& Manager::panelAccessories()
{
    if (!accessories_) {
        accessories_ = std::make_unique<PanelAccessories>();
        if (accessoriesFromDefaults_)
            accessories_->loadFromDefaults(UserDefaults::standard());
    }
    return *accessories_;
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
    if (preferencesWindow_)
        preferencesWindow_->showValues();
    queryEditor->loadFromDefaults();
    macroEditor->loadFromDefaults();
    if (options_.hidden)
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
        if (const auto font = PreferencesWindow::defaultFontOfTag(tag))
            fontChange->setReceiver(0, tag, prefs_.fonts[std::size_t(*font)], this);
    }
    if (!options_.hidden)
        fontChange->orderFrontFontPanel();
}

void Manager::receiveFont(const FontChange& relay)
{
    const QFont font = relay.font();
    if (relay.fid() == 2) {
        if (PD)
            PD->setLegend(&LegendSettings::legendfont, font, VexaDocument::Redraw::Later);
    } else {
        if (const auto changed = PreferencesWindow::defaultFontOfTag(relay.fid())) {
            prefs_.fonts[std::size_t(*changed)] = font;
            prefs_.saveFont(UserDefaults::standard(), *changed);
        }
        if (preferencesWindow_)
            preferencesWindow_->showDefaultFonts();
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
