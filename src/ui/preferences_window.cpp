#include "ui/preferences_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/app.h"
#include "app/panic_routine.h"
#include "platform/text.h"
#include "ui/mqtt_settings_page.h"
#include "ui/web_remote_page.h"
#include "ui/widgets.h"

namespace zul::ui {

using windows::AdvancedField;
using app::Option;
using windows::PanicField;
using windows::PreferencesTab;
using Field = windows::LocationTabForm::Field;

namespace {

constexpr const char* kColourNames[] = {"Default", "Orange", "Yellow", "Green", "Blue", "Grey"};

QColor rgbOf(unsigned bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

QIcon swatch(unsigned bgr) {
    QPixmap pixmap(14, 14);
    pixmap.fill(rgbOf(bgr));
    QPainter(&pixmap).drawRect(0, 0, 13, 13);
    return QIcon(pixmap);
}

QLineEdit* digitsField(QWidget* parent, int width) {
    auto* field = new QLineEdit(parent);
    field->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), field));
    field->setFixedWidth(width);
    return field;
}

// Calls back on Return or Enter in the widget.
class EnterFilter : public QObject {
public:
    EnterFilter(QObject* parent, std::function<void()> enter) : QObject(parent), enter_(std::move(enter)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                enter_();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> enter_;
};

// Typing in the closed city list finds the first city that begins with what
// was typed in the last second (blanks included), as if it had been clicked.
class TypeToFind : public QObject {
public:
    TypeToFind(QComboBox* list, std::function<void(int)> pick) : QObject(list), list_(list), pick_(std::move(pick)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::Show) typed_.clear();
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (text.size() != 1 || !text[0].isPrint()) return QObject::eventFilter(watched, event);
        if (!typing_.isValid() || typing_.elapsed() > 1000) typed_.clear();
        typing_.start();
        typed_ += text;
        for (int i = 0; i < list_->count(); ++i) {
            if (!list_->itemText(i).startsWith(typed_, Qt::CaseInsensitive)) continue;
            if (i != list_->currentIndex()) {
                list_->setCurrentIndex(i);
                pick_(i);
            }
            break;
        }
        return true;
    }

private:
    QComboBox* list_;
    std::function<void(int)> pick_;
    QString typed_;
    QElapsedTimer typing_;
};

// Drops the keys a location field does not take.
class LocationKeys : public QObject {
public:
    LocationKeys(QLineEdit* field, Field which) : QObject(field), field_(field), which_(which) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (text.size() == 1 && text[0].isPrint() &&
                !windows::LocationTabForm::acceptsKey(which_, field_->text().toStdString(), text[0].toLatin1()))
                return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QLineEdit* field_;
    Field which_;
};

} // namespace

PreferencesWindow::PreferencesWindow(app::App& app, QWidget* parent)
    : QDialog(parent), app_(app), logic_(std::make_unique<windows::PreferencesWindowForm>(app)),
      optionsListener_(app.optionsChanged, [this] { showChangedOptions(); }) {
    setWindowTitle(q(app.tr("Setup")));
    setModal(false);
    tabs_ = new QTabWidget(this);
    tabs_->addTab(buildGeneral(), q(app.tr("&General")));
    tabs_->addTab(buildPanic(), q(app.tr("&Quick (Panic) Button")));
    tabs_->addTab(buildLocation(), q(app.tr("&Location")));
    tabs_->addTab(buildSounds(), q(app.tr("&Sounds")));
    tabs_->addTab(buildAdvanced(), q(app.tr("Ad&vanced")));
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        if (currentTab() == windows::PreferencesTab::Sounds) logic_->sounds().reloadTimerBoxes();
        loadSounds();
        applyTips();
    });
    auto* v = new QVBoxLayout(this);
    v->addWidget(tabs_);
    v->addWidget(buildButtons());
    logic_->focus = [this](windows::PreferencesFocus f) { focusOn(f); };
}

PreferencesWindow::~PreferencesWindow() = default;

void PreferencesWindow::addOption(QWidget* parent, QGridLayout* grid, int row, Option id, const std::string& caption) {
    QLabel* onOff = nullptr;
    QCheckBox* box = addSwitch(parent, grid, row, caption, &onOff);
    options_.push_back({id, box, onOff});
    connect(box, &QCheckBox::clicked, this, [this, id](bool on) {
        logic_->setOption(id, on);
        loadOptions();
        applyTips();
    });
}

QCheckBox* PreferencesWindow::addSwitch(QWidget* parent, QGridLayout* grid, int row, const std::string& caption,
                                        QLabel** onOff) {
    auto* box = new QCheckBox(q(app_.tr(caption)), parent);
    *onOff = new QLabel(parent);
    (*onOff)->setMinimumWidth(32);
    (*onOff)->setStyleSheet("color:#555; font-weight:600;");
    grid->addWidget(box, row, 0);
    grid->addWidget(*onOff, row, 1);
    return box;
}

QWidget* PreferencesWindow::buildGeneral() {
    auto* page = new QWidget(this);
    auto* v = new QVBoxLayout(page);
    auto* grid = new QGridLayout;
    grid->setColumnStretch(0, 1);
    int row = 0;
    for (const auto& o : app::options())
        if (o.id != Option::UpdateCheck) addOption(page, grid, row++, o.id, o.caption);
    v->addLayout(grid);
    v->addStretch(1);
    auto* note = new QLabel(q(app_.tr("These settings take effect as soon as you click them.")), page);
    note->setStyleSheet("color:#555;");
    v->addWidget(note);
    return page;
}

QWidget* PreferencesWindow::buildPanic() {
    auto* page = new QWidget(this);
    auto* v = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    panic_[0] = new QLineEdit(page);
    panic_[0]->setMaxLength(40);
    panic_[1] = digitsField(page, 40);
    panic_[2] = digitsField(page, 50);
    panic_[3] = digitsField(page, 50);
    auto* group = new QHBoxLayout;
    group->addWidget(panic_[1]);
    group->addWidget(new QLabel(q(app_.tr("(1 to 8)")), page));
    group->addStretch(1);
    auto* delay = new QHBoxLayout;
    delay->addWidget(panic_[2]);
    delay->addWidget(new QLabel(q(app_.tr("min")), page));
    delay->addWidget(panic_[3]);
    delay->addWidget(new QLabel(q(app_.tr("sec")), page));
    delay->addStretch(1);
    form->addRow(q(app_.tr("Button caption:")), panic_[0]);
    form->addRow(q(app_.tr("Quick group:")), group);
    form->addRow(q(app_.tr("Turn the group off after:")), delay);
    v->addLayout(form);
    for (int i = 0; i < 4; ++i) {
        const auto f = static_cast<windows::PanicField>(i);
        connect(panic_[static_cast<std::size_t>(i)], &QLineEdit::textEdited, this, [this, f](const QString& text) {
            logic_->setPanicField(f, text.toStdString());
            loadPanic();
            refreshApply();
        });
    }
    v->addWidget(buildPanicColours(page));
    auto* show = new QGridLayout;
    addOption(page, show, 0, Option::PanicButton, "Show button on main window.");
    panicPreview_ = new QPushButton(page);
    panicPreview_->setFocusPolicy(Qt::NoFocus);
    panicPreview_->setMinimumSize(120, 40);
    show->addWidget(panicPreview_, 0, 2);
    show->setColumnStretch(0, 1);
    v->addLayout(show);
    v->addStretch(1);
    return page;
}

QWidget* PreferencesWindow::buildPanicColours(QWidget* parent) {
    auto* box = new QGroupBox(q(app_.tr("Button colour")), parent);
    auto* grid = new QGridLayout(box);
    colours_ = new QButtonGroup(this);
    for (int i = 0; i < windows::PreferencesWindowForm::PanicColours; ++i) {
        auto* choice = new QRadioButton(q(app_.tr(kColourNames[i])), box);
        choice->setIcon(swatch(kPanicColours[static_cast<std::size_t>(i)]));
        colours_->addButton(choice, i + 1);
        grid->addWidget(choice, i / 3, i % 3);
    }
    connect(colours_, &QButtonGroup::idClicked, this, [this](int id) {
        logic_->setPanicColour(id);
        loadPanic();
        refreshApply();
    });
    return box;
}

QWidget* PreferencesWindow::buildLocation() {
    auto* page = new QWidget(this);
    auto* v = new QVBoxLayout(page);
    auto* hint = new ClickLabel(q(app_.tr("Select a city from the list, or enter information below.")), page);
    hint->clicked = [this] { cities_->setFocus(); };
    v->addWidget(hint);
    cities_ = new QComboBox(page);
    cities_->setMaxVisibleItems(20);
    for (const auto& name : logic_->location().cityList()) cities_->addItem(q(name));
    auto pick = [this](int i) {
        logic_->location().pickCity(i);
        loadLocation();
    };
    cities_->installEventFilter(new EnterFilter(cities_, [this] { ok_->click(); }));
    cities_->installEventFilter(new TypeToFind(cities_, pick));
    connect(cities_, &QComboBox::activated, this, pick);
    v->addWidget(cities_);
    cityCaption_ = new QLabel(page);
    cityCaption_->setStyleSheet("font-weight:600;");
    v->addWidget(cityCaption_);
    v->addWidget(buildLocationFields(page));
    daylight_ = new QLabel(page);
    daylight_->setWordWrap(true);
    daylight_->setStyleSheet("color:#555;");
    v->addWidget(daylight_);
    auto* link =
        new QLabel(QString("<a href=\"tables\">%1</a>").arg(q(app_.tr("Sunrise and sunset tables on the web"))), page);
    connect(link, &QLabel::linkActivated, this, [this] { logic_->location().openSunTables(app_.desktop); });
    v->addWidget(link);
    v->addStretch(1);
    logic_->location().onFocusCityList([this] { cities_->setFocus(); });
    return page;
}

QWidget* PreferencesWindow::buildLocationFields(QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    const char* captions[] = {"Latitude:", "Longitude:", "Time zone (hours from GMT):"};
    for (int i = 0; i < 3; ++i) {
        const auto f = static_cast<Field>(i);
        auto* field = new QLineEdit(box);
        field->setFixedWidth(90);
        field->installEventFilter(new LocationKeys(field, f));
        connect(field, &QLineEdit::textEdited, this, [this, f](const QString& text) {
            logic_->location().edit(f, text.toStdString());
            loadLocation();
        });
        location_[static_cast<std::size_t>(i)] = field;
        grid->addWidget(new QLabel(q(app_.tr(captions[i])), box), i, 0);
        grid->addWidget(field, i, 1);
    }
    test_ = new QPushButton(q(app_.tr("&Test")), box);
    clear_ = new QPushButton(q(app_.tr("Cl&ear")), box);
    connect(test_, &QPushButton::clicked, this, [this] {
        logic_->location().test();
        loadLocation();
    });
    connect(clear_, &QPushButton::clicked, this, [this] {
        logic_->location().clear();
        loadLocation();
    });
    sunrise_ = new QLabel(box);
    sunset_ = new QLabel(box);
    grid->addWidget(test_, 0, 2);
    grid->addWidget(clear_, 1, 2);
    grid->addWidget(sunrise_, 3, 0, 1, 3);
    grid->addWidget(sunset_, 4, 0, 1, 3);
    grid->setColumnStretch(3, 1);
    return box;
}

QWidget* PreferencesWindow::buildSounds() {
    auto* page = new QWidget(this);
    auto* v = new QVBoxLayout(page);
    v->addWidget(buildSoundSwitches(page));
    auto* events = new QGroupBox(q(app_.tr("Sound events")), page);
    auto* grid = new QGridLayout(events);
    soundList_ = new QListWidget(events);
    for (const auto& e : logic_->sounds().eventList()) soundList_->addItem(q(trimBlanks(e)));
    soundList_->setFixedHeight(soundList_->sizeHintForRow(0) * 5 + 6);
    connect(soundList_, &QListWidget::currentRowChanged, this, [this](int row) {
        logic_->sounds().select(row);
        loadSounds();
    });
    soundFile_ = new QLabel(events);
    soundFile_->setWordWrap(true);
    soundFile_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    play_ = new QPushButton(q(app_.tr("&Play")), events);
    browse_ = new QPushButton(q(app_.tr("&Browse")), events);
    noSound_ = new QPushButton(q(app_.tr("&No Sound")), events);
    soundDefaults_ = new QPushButton(q(app_.tr("&Restore defaults")), events);
    const std::pair<QPushButton*, void (windows::SoundsTabForm::*)()> actions[] = {{play_, &windows::SoundsTabForm::play},
                                                                      {browse_, &windows::SoundsTabForm::browse},
                                                                      {noSound_, &windows::SoundsTabForm::noSound},
                                                                      {soundDefaults_, &windows::SoundsTabForm::restoreDefaults}};
    for (const auto& [button, action] : actions) {
        connect(button, &QPushButton::clicked, this, [this, action = action] {
            (logic_->sounds().*action)();
            loadSounds();
            refreshApply();
        });
    }
    grid->addWidget(soundList_, 0, 0, 4, 1);
    grid->addWidget(play_, 0, 1);
    grid->addWidget(browse_, 1, 1);
    grid->addWidget(noSound_, 2, 1);
    grid->addWidget(soundDefaults_, 3, 1);
    grid->addWidget(soundFile_, 4, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    v->addWidget(events);
    v->addStretch(1);
    return page;
}

QWidget* PreferencesWindow::buildSoundSwitches(QWidget* parent) {
    auto* box = new QGroupBox(q("  " + app_.tr("Enable Sounds") + "  "), parent);
    auto* grid = new QGridLayout(box);
    soundsOn_ = addSwitch(box, grid, 0, "Play sounds", &soundOnOff_[0]);
    timerSound_ = addSwitch(box, grid, 1, "Play sound when timer starts", &soundOnOff_[1]);
    macroSound_ = addSwitch(box, grid, 2, "Play sound on each macro command", &soundOnOff_[2]);
    grid->setColumnStretch(0, 1);
    connect(soundsOn_, &QCheckBox::clicked, this, [this](bool on) {
        logic_->sounds().setSoundsOn(on);
        loadSounds();
    });
    connect(timerSound_, &QCheckBox::clicked, this, [this](bool on) {
        logic_->sounds().setTimerStartBox(on);
        loadSounds();
    });
    connect(macroSound_, &QCheckBox::clicked, this, [this](bool on) {
        logic_->sounds().setMacroCommandBox(on);
        loadSounds();
    });
    return box;
}

QWidget* PreferencesWindow::buildAdvanced() {
    auto* page = new QWidget(this);
    auto* v = new QVBoxLayout(page);
    auto* delayBox = new QGroupBox(q(app_.tr("Master Delay for timer buffer (prevents command collisions)")), page);
    auto* delay = new QHBoxLayout(delayBox);
    slider_ = new QSlider(Qt::Horizontal, delayBox);
    slider_->setRange(0, windows::PreferencesWindowForm::SliderMaximum);
    slider_->setPageStep(10);
    advanced_[0] = new QLineEdit(delayBox);
    advanced_[0]->setFixedWidth(60);
    delay->addWidget(slider_, 1);
    delay->addWidget(advanced_[0]);
    delay->addWidget(new QLabel(q(app_.tr("seconds")), delayBox));
    connect(slider_, &QSlider::valueChanged, this, [this](int value) {
        logic_->setSlider(value);
        advanced_[0]->setText(q(logic_->advancedField(windows::AdvancedField::MasterDelay)));
        refreshApply();
    });
    v->addWidget(delayBox);
    v->addWidget(buildLogBox(page));
    v->addWidget(buildUpdateBox(page));
    v->addStretch(1);
    for (int i = 0; i < 5; ++i) {
        const auto f = static_cast<windows::AdvancedField>(i);
        QLineEdit* field = advanced_[static_cast<std::size_t>(i)];
        connect(field, &QLineEdit::textEdited, this, [this, f](const QString& text) {
            logic_->setAdvancedField(f, text.toStdString());
            refreshApply();
        });
        connect(field, &QLineEdit::editingFinished, this, [this, f] {
            logic_->leaveAdvancedField(f);
            loadAdvanced();
        });
    }
    return page;
}

QWidget* PreferencesWindow::buildLogBox(QWidget* parent) {
    auto* box = new QGroupBox(q(app_.tr("Timer Log Window and Log File")), parent);
    auto* grid = new QGridLayout(box);
    const char* captions[] = {"Maximum number of lines in Timer Log window -",
                              "Number of lines to leave in Timer Log window -",
                              "Max number of lines in autosaved timerlog file -"};
    for (int i = 0; i < 3; ++i) {
        advanced_[static_cast<std::size_t>(i + 1)] = digitsField(box, 70);
        grid->addWidget(new QLabel(q(app_.tr(captions[i])), box), i, 0);
        grid->addWidget(advanced_[static_cast<std::size_t>(i + 1)], i, 1);
    }
    trimLog_ = new QCheckBox(q(app_.tr("Set size limit on timerlog file")), box);
    connect(trimLog_, &QCheckBox::clicked, this, [this](bool on) {
        logic_->setTrimLog(on);
        loadAdvanced();
        refreshApply();
    });
    logDefaults_ = new QPushButton(q(app_.tr("&Restore defaults")), box);
    connect(logDefaults_, &QPushButton::clicked, this, [this] {
        logic_->restoreAdvancedDefaults();
        loadAdvanced();
        refreshApply();
    });
    grid->addWidget(trimLog_, 3, 0);
    grid->addWidget(logDefaults_, 3, 1);
    grid->setColumnStretch(0, 1);
    return box;
}

QWidget* PreferencesWindow::buildUpdateBox(QWidget* parent) {
    auto* box = new QGroupBox(q(app_.tr("Updates")), parent);
    auto* grid = new QGridLayout(box);
    addOption(box, grid, 0, Option::UpdateCheck, app::optionInfo(Option::UpdateCheck).caption);
    updateHourRow_ = new QWidget(box);
    auto* row = new QHBoxLayout(updateHourRow_);
    row->setContentsMargins(0, 0, 0, 0);
    advanced_[4] = digitsField(updateHourRow_, 40);
    advanced_[4]->setMaxLength(2);
    auto* now = new QLabel(QString("<a href=\"now\">%1</a>").arg(q(app_.tr("Check now and setup day and time"))),
                           updateHourRow_);
    connect(now, &QLabel::linkActivated, this, [this] { logic_->checkForUpdatesNow(); });
    row->addWidget(new QLabel(q(app_.tr("Hour of the day:")), updateHourRow_));
    row->addWidget(advanced_[4]);
    row->addSpacing(12);
    row->addWidget(now);
    row->addStretch(1);
    grid->addWidget(updateHourRow_, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    return box;
}

QWidget* PreferencesWindow::buildButtons() {
    auto* bar = new QWidget(this);
    auto* h = new QHBoxLayout(bar);
    h->setContentsMargins(0, 0, 0, 0);
    apply_ = new QPushButton(q(app_.tr("&Apply")), bar);
    ok_ = new QPushButton(q(app_.tr("&OK")), bar);
    cancel_ = new QPushButton(q(app_.tr("&Cancel")), bar);
    help_ = new QPushButton(q(app_.tr("&Help")), bar);
    ok_->setDefault(true);
    h->addWidget(help_);
    h->addStretch(1);
    h->addWidget(apply_);
    h->addWidget(ok_);
    h->addWidget(cancel_);
    connect(apply_, &QPushButton::clicked, this, [this] {
        logic_->apply();
        if (mqtt_) mqtt_->apply();
        if (web_) web_->apply();
        load();
    });
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (mqtt_ && !mqtt_->apply()) { // what is wrong shows on its tab; nothing closes
            tabs_->setCurrentWidget(mqtt_);
            return;
        }
        if (web_ && !web_->apply()) {
            tabs_->setCurrentWidget(web_);
            return;
        }
        logic_->ok();
        close();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    connect(help_, &QPushButton::clicked, this, [this] { logic_->showHelp(currentTab()); });
    onHelpKey(*this, [this] { logic_->showHelp(currentTab()); });
    return bar;
}

void PreferencesWindow::addMqttPage(MqttSettingsPage* page) {
    mqtt_ = page;
    tabs_->addTab(page, q(app_.tr("&MQTT")));
    tabs_->setUsesScrollButtons(false); // six tabs: the window widens to show them all
    page->edited = [this] { refreshApply(); };
}

void PreferencesWindow::addWebRemotePage(WebRemotePage* page) {
    web_ = page;
    tabs_->addTab(page, q(app_.tr("Web remote"))); // every letter of it is taken on some tab
    page->edited = [this] { refreshApply(); };
}

QCheckBox* PreferencesWindow::optionBox(Option id) {
    for (const auto& o : options_)
        if (o.id == id) return o.box;
    return nullptr;
}

void PreferencesWindow::open(windows::PreferencesTab tab, const std::string& panicGroup) {
    if (isVisible()) {
        tabs_->setCurrentIndex(static_cast<int>(tab));
        raise();
        activateWindow();
        return;
    }
    logic_ = std::make_unique<windows::PreferencesWindowForm>(app_);
    logic_->focus = [this](windows::PreferencesFocus f) { focusOn(f); };
    logic_->location().onFocusCityList([this] { cities_->setFocus(); });
    logic_->open(panicGroup);
    tabs_->setCurrentIndex(static_cast<int>(tab));
    soundList_->setCurrentRow(-1);
    if (mqtt_) mqtt_->load();
    if (web_) web_->load();
    load();
    adjustSize();
    placeWindowTwips(*this, logic_->storedPosition());
    show();
    raise();
    activateWindow();
    logic_->finishOpening();
}

void PreferencesWindow::load() {
    loadOptions();
    loadPanic();
    loadLocation();
    loadSounds();
    loadAdvanced();
    applyTips();
}

void PreferencesWindow::loadOptions() {
    for (const auto& o : options_) {
        const bool on = logic_->option(o.id);
        const QSignalBlocker block(o.box);
        o.box->setChecked(on);
        o.onOff->setText(q(logic_->onOffText(on)));
    }
    updateHourRow_->setVisible(logic_->option(Option::UpdateCheck));
    refreshApply();
}

void PreferencesWindow::loadPanic() {
    for (std::size_t i = 0; i < panic_.size(); ++i)
        if (panic_[i]->text().toStdString() != logic_->panicField(static_cast<windows::PanicField>(i)))
            panic_[i]->setText(q(logic_->panicField(static_cast<windows::PanicField>(i))));
    if (auto* choice = colours_->button(logic_->panicColour())) choice->setChecked(true);
    const std::string caption = logic_->panicField(windows::PanicField::Caption);
    panicPreview_->setText(q(caption.empty() ? app_.tr(DefaultPanicCaption) : caption));
    panicPreview_->setStyleSheet(
        QString("QPushButton { background:%1; color:white; font-weight:700; border-radius:4px; "
                "padding:6px; }")
            .arg(rgbOf(panicColour(logic_->panicColour())).name()));
}

void PreferencesWindow::loadLocation() {
    windows::LocationTabForm& l = logic_->location();
    // The list shows the city the fields hold ("----- Select City -----" for none).
    if (cities_->currentIndex() != l.cityRow()) cities_->setCurrentIndex(l.cityRow());
    for (std::size_t i = 0; i < location_.size(); ++i)
        if (location_[i]->text().toStdString() != l.field(static_cast<Field>(i)))
            location_[i]->setText(q(l.field(static_cast<Field>(i))));
    cityCaption_->setText(q(l.caption()));
    sunrise_->setText(q(l.sunriseLine()));
    sunset_->setText(q(l.sunsetLine()));
    daylight_->setText(q(logic_->daylightNote()));
    refreshApply();
}

void PreferencesWindow::loadSounds() {
    windows::SoundsTabForm& s = logic_->sounds();
    const std::pair<QCheckBox*, bool> boxes[] = {
        {soundsOn_, s.soundsOn()}, {timerSound_, s.timerStartBox()}, {macroSound_, s.macroCommandBox()}};
    for (std::size_t i = 0; i < 3; ++i) {
        const QSignalBlocker block(boxes[i].first);
        boxes[i].first->setChecked(boxes[i].second);
        soundOnOff_[i]->setText(q(s.onOffText(boxes[i].second)));
        if (i > 0) boxes[i].first->setEnabled(s.timerBoxesEnabled());
    }
    for (QPushButton* b : {play_, browse_, noSound_}) b->setEnabled(s.buttonsEnabled());
    soundFile_->setText(s.buttonsEnabled() ? q(app_.tr("File:") + " " + s.shownFile())
                                           : q(app_.tr("Select a sound event to change its sound.")));
    refreshApply();
}

void PreferencesWindow::loadAdvanced() {
    for (std::size_t i = 0; i < advanced_.size(); ++i)
        if (advanced_[i]->text().toStdString() != logic_->advancedField(static_cast<windows::AdvancedField>(i)))
            advanced_[i]->setText(q(logic_->advancedField(static_cast<windows::AdvancedField>(i))));
    {
        const QSignalBlocker block(slider_);
        slider_->setValue(logic_->slider());
    }
    const QSignalBlocker block(trimLog_);
    trimLog_->setChecked(logic_->trimLog());
    advanced_[static_cast<std::size_t>(windows::AdvancedField::MaxLogFile)]->setEnabled(logic_->trimLog());
}

void PreferencesWindow::applyTips() {
    auto tip = [this](QWidget* w, const char* text) {
        w->setToolTip(app_.showToolTips ? q(app_.tip(text)) : QString());
    };
    tip(apply_, "Apply changes without closing window");
    tip(ok_, "Save changes and close window");
    tip(cancel_, "Close window without saving changes");
    tip(help_, windows::PreferencesWindowForm::helpTip(currentTab()));
    tip(panic_[0],
        "Enter the name you want to appear on the button. Put the '&' symbol before a character to create a hot key.");
    tip(panic_[3], "Enter zero (0) for NO Off");
    tip(location_[0], "Enter Latitude for your location");
    tip(location_[1], "Enter Longitude for your location");
    tip(location_[2], "Enter offset to GMT (whole hours only)");
    tip(test_, "Calculate the sunrise/ sunset times");
    tip(clear_, "Clear saved settings");
    tip(play_, "Play selected sound");
    tip(browse_, "Select a new sound");
    tip(noSound_, "Remove sound from selected event");
    tip(soundDefaults_, "Restore all sounds to default");
    tip(advanced_[4], "Enter hour of day to check for updates. ( 0 to 23 )");
}

void PreferencesWindow::showChangedOptions() {
    if (!isVisible()) return;
    loadOptions();
    logic_->sounds().reloadTimerBoxes();
    loadSounds();
    applyTips();
}

void PreferencesWindow::refreshApply() {
    if (apply_) apply_->setEnabled(logic_->anyChanged() || (mqtt_ && mqtt_->changed()) || (web_ && web_->changed()));
}

void PreferencesWindow::focusOn(windows::PreferencesFocus f) {
    if (f == windows::PreferencesFocus::PanicGroup) {
        tabs_->setCurrentIndex(static_cast<int>(windows::PreferencesTab::Panic));
        panic_[static_cast<std::size_t>(windows::PanicField::Group)]->setFocus();
    } else if (f == windows::PreferencesFocus::Ok) {
        ok_->setFocus();
    }
}

windows::PreferencesTab PreferencesWindow::currentTab() const { return static_cast<windows::PreferencesTab>(tabs_->currentIndex()); }

void PreferencesWindow::reject() {
    logic_->cancel();
    close();
}

void PreferencesWindow::closeEvent(QCloseEvent* e) {
    logic_->closing(isMinimized() ? std::nullopt : std::optional(windowTwips(*this)));
    e->accept();
}

} // namespace zul::ui
