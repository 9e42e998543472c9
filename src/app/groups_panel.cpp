#include "app/groups_panel.h"

#include "app/app.h"
#include "app/main_clock.h"
#include "windows/preferences_window.h"

namespace zul::app {

namespace {} // namespace

GroupsPanel::GroupsPanel(App& app) : app_(app) {
    runner_ = std::make_unique<GroupRunner>(app.transmitter, app.loop, app.settings, app.folder);
    runner_->click = [&app] { app.sounds.play(SoundEvent::Click); };
    runner_->startFlash = [&app] { app.mainClock->startFlash(); };
    runner_->stopFlash = [&app] { app.mainClock->stopFlash(); };
    runner_->askDelay = [&app]() -> std::optional<double> {
        const auto seconds = app.windows().askDelay();
        return seconds ? std::optional<double>(*seconds) : std::nullopt;
    };
    runner_->onAutoOffButtons = [this](bool) { notify(); };
    runner_->ran = [this](int index, bool on, bool sent) { groupRan(index, on, sent); };
    runner_->problem = [this](const std::string& text) {
        app_.logError("runGroup", "frmFire", text);
        groupProblem(text);
    };
    runner_->tip = [&app](const std::string& text) { return app.tip(text); };
    panic_ = std::make_unique<PanicRoutine>(*runner_, app.transmitter, app.loop, app.settings, app.dialogs,
                                            [&app](const std::string& text) { return app.tr(text); });
    panic_->click = [&app] { app.sounds.play(SoundEvent::Click); };
    panic_->openSetup = [&app](const std::string& group) { windows::openPreferences(app, windows::PreferencesTab::Panic, group); };
    panic_->focusMainWindow = [&app] {
        if (app.mainWindowVisible) app.windows().bringToFront();
    };
    app.groupLabels.changed = [this](int index) {
        runner_->labels.at(static_cast<std::size_t>(index)) = app_.groupLabels.get(index);
        notify();
        labelChanged(index);
    };
}

GroupsPanel::~GroupsPanel() { app_.groupLabels.changed = nullptr; }

void GroupsPanel::restore() {
    shown_ = app_.records.readRecord(RecordNumber::GroupsPanel, true) == "1";
    runner_->labels = app_.groupLabels.labels;
    panic_->settings = loadPanicSettings(app_.records, app_.settings);
    notify();
}

void GroupsPanel::setShown(bool on) {
    shown_ = on;
    app_.records.writeRecord(RecordNumber::GroupsPanel, on ? "1" : "0", true);
    notify();
}

const std::string& GroupsPanel::label(int index) const { return app_.groupLabels.get(index); }

void GroupsPanel::rightClick(int index, bool on, const std::function<void(const std::string&)>& append) {
    if (!app_.timerWindowOpen || !append) return;
    append(runner_->timerCommand(index, on, [this](const std::string& t) { return app_.tr(t); }));
}

unsigned GroupsPanel::panicRgb() const {
    const unsigned bgr = panic_->buttonColour(); // &HBBGGRR
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

} // namespace zul::app
