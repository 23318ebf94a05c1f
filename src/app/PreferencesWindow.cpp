#include "app/PreferencesWindow.h"

#include "app/ColorWell.h"
#include "app/FontChange.h"
#include "platform/UserDefaults.h"

#include <QCheckBox>
#include <QDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

// The rows of the default fonts: the tag the font panel is asked with for
// each, and its title.
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

PreferencesWindow::PreferencesWindow(Preferences& preferences, UserDefaults& store, Actions actions)
        : prefs_(preferences)
        , store_(store)
        , actions_(std::move(actions))
{
}

PreferencesWindow::~PreferencesWindow() = default;

std::optional<Preferences::DefaultFont> PreferencesWindow::defaultFontOfTag(int tag)
{
    for (const DefaultFontRow& f : defaultFontRows)
        if (f.tag == tag)
            return f.font;
    return std::nullopt;
}

QDialog& PreferencesWindow::dialog()
{
    if (!dialog_)
        build();
    return *dialog_;
}

void PreferencesWindow::show()
{
    QDialog& window = dialog();
    window.show();
    window.raise();
    window.activateWindow();
}

void PreferencesWindow::build()
{
    dialog_ = std::make_unique<QDialog>();
    dialog_->setObjectName(QStringLiteral("preferences"));
    dialog_->setWindowTitle(QStringLiteral("Preferences"));
    auto* column = new QVBoxLayout(dialog_.get());

    auto* general = new QGroupBox(QStringLiteral("General"));
    auto* form = new QFormLayout(general);
    timeFormat_ = new QLineEdit;
    timeFormat_->setObjectName(QStringLiteral("p_tdf"));
    timeFormat_->setToolTip(QStringLiteral("Date and time format, e.g. %Y-%m-%d %H:%M:%S"));
    toolbar_ = new QCheckBox(QStringLiteral("Hide the tools and values of document windows"));
    toolbar_->setObjectName(QStringLiteral("p_toolbar"));
    initialDocument_ = new QCheckBox(QStringLiteral("Open a new document at start"));
    initialDocument_->setObjectName(QStringLiteral("p_initialdoc"));
    form->addRow(QStringLiteral("Time format"), timeFormat_);
    form->addRow(QString(), toolbar_);
    form->addRow(QString(), initialDocument_);
    // The format in use is the one typed so far; it is stored once typed.
    connect(timeFormat_, &QLineEdit::textChanged, this, [this](const QString& text) { prefs_.TDF = text; });
    connect(timeFormat_, &QLineEdit::editingFinished, this, [this] { prefs_.saveTimeFormat(store_); });
    connect(toolbar_, &QCheckBox::toggled, this, [this](bool on) {
        prefs_.windowToolbar = on;
        prefs_.saveWindowToolbar(store_);
        if (actions_.windowToolbarChanged)
            actions_.windowToolbarChanged();
    });
    connect(initialDocument_, &QCheckBox::toggled, this, [this](bool on) {
        prefs_.initialDocument = on;
        prefs_.saveInitialDocument(store_);
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
    connect(useStyle, &QPushButton::clicked, this, [this] {
        if (actions_.useCurrentBufferStyle)
            actions_.useCurrentBufferStyle();
    });
    styleRow->addWidget(useStyle);
    column->addWidget(style);
    column->addStretch(1);

    showValues();
}

QWidget* PreferencesWindow::buildPaletteBox()
{
    auto* box = new QGroupBox(QStringLiteral("Palette"));
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(4);
    for (int n = 0; n < int(wells_.size()); ++n) {
        auto* well = new ColorWell(nullptr, ColorWell::Dialog::Modal);
        well->setObjectName(QStringLiteral("p_col%1").arg(n));
        well->setToolTip(QStringLiteral("Colour %1").arg(n));
        well->setFixedSize(30, 22);
        connect(well, &ColorWell::colorChosen, this, [this, n] { colorChosen(n); });
        wells_[std::size_t(n)] = well;
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

QWidget* PreferencesWindow::buildFontBox()
{
    auto* box = new QGroupBox(QStringLiteral("Fonts of New Documents"));
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (const DefaultFontRow& f : defaultFontRows) {
        auto* field = new QLineEdit;
        field->setReadOnly(true);
        field->setObjectName(QLatin1String(Preferences::fontKeys(f.font).nameKey));
        fontFields_[std::size_t(f.font)] = field;
        auto* choose = new QPushButton(QStringLiteral("Choose…"));
        choose->setObjectName(QStringLiteral("p_font%1").arg(f.tag));
        connect(choose, &QPushButton::clicked, this, [this, tag = f.tag] {
            if (actions_.chooseFont)
                actions_.chooseFont(tag);
        });
        grid->addWidget(new QLabel(QString::fromUtf8(f.title)), row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(choose, row, 2);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    return box;
}

void PreferencesWindow::showValues()
{
    if (!dialog_)
        return;
    // Showing the preferences must not write them straight back.
    {
        const QSignalBlocker b1(timeFormat_), b2(toolbar_), b3(initialDocument_);
        timeFormat_->setText(prefs_.TDF);
        toolbar_->setChecked(prefs_.windowToolbar);
        initialDocument_->setChecked(prefs_.initialDocument);
    }
    showPaletteColors();
    showDefaultFonts();
}

void PreferencesWindow::showPaletteColors()
{
    if (!dialog_)
        return;
    for (std::size_t n = 0; n < wells_.size(); ++n)
        wells_[n]->setColor(prefs_.colors[n]);
}

void PreferencesWindow::showDefaultFonts()
{
    if (!dialog_)
        return;
    for (std::size_t i = 0; i < fontFields_.size(); ++i)
        fontFields_[i]->setText(FontChange::fontText(prefs_.fonts[i]));
}

void PreferencesWindow::colorChosen(int n)
{
    prefs_.colors[std::size_t(n)] = wells_[std::size_t(n)]->color();
    prefs_.saveColor(store_, n);
}

void PreferencesWindow::revertColors()
{
    prefs_.colors = Preferences::builtInPalette();
    Preferences::forgetColors(store_);
    showPaletteColors();
}
