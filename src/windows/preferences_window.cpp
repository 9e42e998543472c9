#include "windows/preferences_window.h"

#include <algorithm>
#include <cmath>

#include "app/app.h"
#include "app/groups_panel.h"
#include "app/main_clock.h"
#include "app/panic_routine.h"
#include "settings/settings_store.h"
#include "timers/clock_tick.h"

namespace zul::windows {

namespace {

struct AdvancedInfo {
    const SettingKey& key; // its default is shown when the key is missing
    const char* fallback;  // what a field that is no number becomes when left
};
// In AdvancedField order.
constexpr AdvancedInfo kAdvanced[] = {
    {Setting::MasterPause, ".6"},        {Setting::MaxLogSize, "500"},     {Setting::KeepLogSize, "400"},
    {Setting::MaxLogFileLines, "59000"}, {Setting::UpdateCheckHour, "19"},
};
constexpr int kDefaultSlider = 60;
constexpr WindowPositionKeys kPositionKeys{Setting::PreferencesLeft, Setting::PreferencesTop};

const AdvancedInfo& infoOf(AdvancedField f) { return kAdvanced[static_cast<int>(f)]; }

// A decimal number of zero or more.
std::optional<double> decimal(const std::string& text) {
    const auto v = decimalNumberIn(text);
    return v && *v >= 0 ? v : std::nullopt;
}

bool fieldIsSound(AdvancedField f, const std::string& text) {
    if (f == AdvancedField::MasterDelay) return decimal(text).has_value();
    const auto v = wholeNumberIn(text);
    return v && *v >= 0 && (f != AdvancedField::UpdateHour || *v <= 23);
}

// Hundredths of a second as the master delay field shows them: 60 -> "0.6".
std::string hundredthsText(int v) {
    std::string text = std::to_string(v / 100);
    const int rest = v % 100;
    if (!rest) return text;
    text += rest < 10 ? ".0" : ".";
    text += std::to_string(rest % 10 ? rest : rest / 10);
    return text;
}

int sliderOf(double seconds) {
    const double hundredths = std::clamp(seconds * 100, 0.0, double(PreferencesWindowForm::SliderMaximum));
    return static_cast<int>(std::lround(hundredths));
}

bool isGroupNumber(const std::string& text) {
    const auto v = wholeNumberIn(text);
    return text.empty() ||
           (v && *v >= 1 && *v <= macros::kGroupCount && text.find_first_not_of("0123456789") == std::string::npos);
}

} // namespace

void openPreferences(app::App& app, PreferencesTab tab, const std::string& panicGroup) {
    app.windows().showPreferences(static_cast<int>(tab), panicGroup);
}

PreferencesWindowForm::PreferencesWindowForm(app::App& app) : app_(app) {
    auto tr = [&app](const std::string& t) { return app.tr(t); };
    location_ = std::make_unique<LocationTabForm>(app.settings, app.clock, tr);
    sounds_ = std::make_unique<SoundsTabForm>(app.sounds, app.rawDialogs, tr);
}

PreferencesWindowForm::~PreferencesWindowForm() = default;

void PreferencesWindowForm::open(const std::string& panicGroup) {
    opened_ = false;
    panicChanged_ = advancedChanged_ = false;
    loadPanic(panicGroup);
    loadAdvanced();
    // "Test" reads the daylight state the timers keep; bring it up to date.
    const std::string daySavings = daylightState(app_.clock.timeZone()).daySavings ? "True" : "False";
    writeSettingIfChanged(app_.settings, Setting::DaySavings, daySavings);
    location_->open();
    sounds_->open();
}

void PreferencesWindowForm::finishOpening() {
    opened_ = true;
    sounds_->finishOpening();
}

void PreferencesWindowForm::clicked() {
    if (opened_) app_.sounds.playAlways(SoundEvent::Click);
}

bool PreferencesWindowForm::option(app::Option id) const { return app::optionOn(app_, id); }

void PreferencesWindowForm::setOption(app::Option id, bool on) {
    if (app::setOption(app_, id, on) && on) clicked();
}

std::string PreferencesWindowForm::onOffText(bool on) const { return app_.tr(on ? "ON" : "OFF"); }

void PreferencesWindowForm::loadPanic(const std::string& panicGroup) {
    RecordStore& r = app_.records;
    panic_[static_cast<int>(PanicField::Caption)] = r.readRecord(RecordNumber::PanicCaption, true);
    std::string group = panicGroup.empty() ? r.readRecord(RecordNumber::PanicGroup, true) : panicGroup;
    panic_[static_cast<int>(PanicField::Group)] = group.empty() ? "8" : group;
    const std::string delay = r.readRecord(RecordNumber::PanicDelay, true);
    const std::size_t comma = delay.find(',');
    panic_[static_cast<int>(PanicField::Minutes)] = delay.substr(0, comma);
    panic_[static_cast<int>(PanicField::Seconds)] = comma == std::string::npos ? "" : delay.substr(comma + 1);
    const auto colour = wholeNumberIn(r.readRecord(RecordNumber::PanicColour, true));
    colour_ = colour && *colour >= 1 && *colour <= PanicColours ? static_cast<int>(*colour) : 1;
}

bool PreferencesWindowForm::setPanicField(PanicField f, const std::string& text) {
    panicChanged_ = true;
    if (f == PanicField::Group && !isGroupNumber(text)) {
        if (opened_) app_.dialogs.message("Group Number must be a number from 1 to 8");
        panic_[static_cast<int>(f)].clear();
        if (focus) focus(PreferencesFocus::PanicGroup);
        return false;
    }
    panic_[static_cast<int>(f)] = text;
    return true;
}

void PreferencesWindowForm::setPanicColour(int choice) {
    colour_ = std::clamp(choice, 1, PanicColours);
    panicChanged_ = true;
    clicked();
}

bool PreferencesWindowForm::applyPanic() {
    std::string& caption = panic_[static_cast<int>(PanicField::Caption)];
    std::string& minutes = panic_[static_cast<int>(PanicField::Minutes)];
    if (caption.empty()) caption = app_.tr(DefaultPanicCaption);
    if (minutes.empty()) minutes = "00";
    RecordStore& r = app_.records;
    std::string error;
    for (const auto& [record, text] :
         {std::pair{RecordNumber::PanicCaption, caption}, std::pair{RecordNumber::PanicColour, std::to_string(colour_)},
          std::pair{RecordNumber::PanicDelay, minutes + "," + panicField(PanicField::Seconds)},
          std::pair{RecordNumber::PanicGroup, panicField(PanicField::Group)}}) {
        if (const auto written = r.writeRecord(record, text, true); !written && error.empty()) error = written.error;
    }
    app_.groups->panic().settings = loadPanicSettings(r, app_.settings);
    if (!error.empty()) app_.dialogs.message("The panic button setup could not be stored.\n" + error);
    return panicField(PanicField::Group).empty();
}

std::string PreferencesWindowForm::daylightNote() const {
    return app_.tr(daylightState(app_.clock.timeZone()).daySavings
                       ? "Daylight saving time is in effect: sun times are one hour later."
                       : "Daylight saving time is not in effect now.");
}

void PreferencesWindowForm::loadAdvanced() {
    for (int i = 0; i < 5; ++i) {
        const AdvancedInfo& info = kAdvanced[i];
        advanced_[static_cast<std::size_t>(i)] = readSetting(app_.settings, info.key);
    }
    slider_ = sliderOf(decimal(advancedField(AdvancedField::MasterDelay)).value_or(0.6));
    trimLog_ = readSetting(app_.settings, Setting::TrimTimerLog) == "1";
}

void PreferencesWindowForm::setAdvancedField(AdvancedField f, const std::string& text) {
    advanced_[static_cast<std::size_t>(f)] = text;
    advancedChanged_ = true;
}

void PreferencesWindowForm::leaveAdvancedField(AdvancedField f) {
    std::string& text = advanced_[static_cast<std::size_t>(f)];
    if (!fieldIsSound(f, text)) text = infoOf(f).fallback;
    if (f == AdvancedField::MasterDelay) slider_ = sliderOf(decimal(text).value_or(0.6));
}

void PreferencesWindowForm::setSlider(int hundredths) {
    slider_ = std::clamp(hundredths, 0, SliderMaximum);
    setAdvancedField(AdvancedField::MasterDelay, hundredthsText(slider_));
}

void PreferencesWindowForm::setTrimLog(bool on) {
    trimLog_ = on;
    advancedChanged_ = true;
}

void PreferencesWindowForm::restoreAdvancedDefaults() {
    for (const AdvancedField f : {AdvancedField::MaxLog, AdvancedField::KeepLog, AdvancedField::MaxLogFile})
        setAdvancedField(f, std::string(infoOf(f).key.defaultValue()));
    setSlider(kDefaultSlider);
}

void PreferencesWindowForm::checkForUpdatesNow() { app_.mainClock->checkOnlineForUpgrade(); }

void PreferencesWindowForm::applyAdvanced() {
    for (int i = 0; i < 5; ++i) {
        leaveAdvancedField(static_cast<AdvancedField>(i));
        writeSetting(app_.settings, kAdvanced[i].key, advanced_[static_cast<std::size_t>(i)]);
    }
    writeSetting(app_.settings, Setting::TrimTimerLog, trimLog_ ? "1" : "0");
}

bool PreferencesWindowForm::anyChanged() const {
    return panicChanged_ || advancedChanged_ || location_->changed() || sounds_->changed();
}

PreferencesFocus PreferencesWindowForm::apply() {
    const bool groupMissing = applyPanic();
    if (sounds_->changed()) sounds_->save();
    if (advancedChanged_) applyAdvanced();
    location_->save();
    panicChanged_ = advancedChanged_ = false;
    app_.optionsChanged();
    const PreferencesFocus next = groupMissing ? PreferencesFocus::PanicGroup : PreferencesFocus::Ok;
    if (focus) focus(next);
    return next;
}

void PreferencesWindowForm::ok() {
    apply();
    app_.sounds.play(SoundEvent::Click);
}

void PreferencesWindowForm::cancel() {
    location_->setChanged(false);
    sounds_->setChanged(false);
    panicChanged_ = false;
}

void PreferencesWindowForm::closing(std::optional<std::pair<int, int>> position) {
    if (position) {
        storeWindowPosition(app_.settings, kPositionKeys, *position);
    }
    if (location_->askSaveOnClose(app_.rawDialogs)) apply();
    sounds_->askSaveOnClose();
}

std::optional<std::pair<int, int>> PreferencesWindowForm::storedPosition() const {
    return storedWindowPosition(app_.settings, kPositionKeys);
}

app::HelpTopic PreferencesWindowForm::help(PreferencesTab tab) {
    constexpr const char* anchors[] = {"Preferences", "SetupPanicButton", "Location",
                                       "Sounds",      "Advanced",         "MqttBridge", "WebRemote"};
    return {"zulHelp.html", anchors[static_cast<int>(tab)]};
}

const char* PreferencesWindowForm::helpTip(PreferencesTab tab) {
    constexpr const char* tips[] = {"Help for Preferences setup", "Help for Panic Button setup",
                                    "Help for Location setup",    "Help for Sounds setup",
                                    "Help for Advanced setup",    "Help for MQTT bridge setup",
                                    "Help for Web remote setup"};
    return tips[static_cast<int>(tab)];
}

void PreferencesWindowForm::showHelp(PreferencesTab tab) { app::showHelp(app_, help(tab)); }

} // namespace zul::windows
