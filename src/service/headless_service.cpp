#include "service/headless_service.h"

#include <sys/stat.h>

#include "app/app.h"
#include "app/groups_panel.h"
#include "handoff/hand_off_desk.h"
#include "app/line_dialogs.h"
#include "app/main_macro.h"
#include "app/port_keeper.h"
#include "app/timers_switch.h"
#include "settings/reloadable_settings.h"
#include "settings/settings_store.h"
#include "timers/timer_file.h"
#include "timers/timer_service.h"

namespace zul::app {

namespace {
// The settings that shape the timer table and the loop timer; the location
// is read by the sun tick on every pass and needs no reload of its own.
constexpr const SettingKey* TableKeys[] = {
    &Setting::TimerCount,  &Setting::LoopEntry,       &Setting::LoopDays,    &Setting::LoopStartTime,
    &Setting::LoopEndTime, &Setting::LoopUseStartEnd, &Setting::LoopRunning, &Setting::LoopFlash,
};
} // namespace

HeadlessService::HeadlessService(App& app, ReloadableSettings* settings, Output output)
    : app_(app), settings_(settings), out_(std::move(output)), timerFile_(timerFilePath(app.folder)),
      settingsFile_(settings ? settings->file() : std::filesystem::path()),
      simulatorLines_(app.simulatorCommand, [this] {
          if (out_.line) out_.line("simulator: " + app_.simulatorCommands().back());
      }) {
    HandOffDesk::Hooks hooks;
    hooks.ready = [this] { return started_ && !stopped_; };
    hooks.commandBox = [](const std::string&) -> std::optional<std::string> { return ServiceOwnsTransmitterMessage; };
    // Played from the loop, not from inside the desk's tick, so the desk
    // goes on sending single commands between the macro's frames; a caller
    // that has gone ends the run after the frame under way.
    hooks.playMacro = [this](const std::string& path, std::function<void()> done) {
        app_.loop.post([this, path, done = std::move(done)]() mutable {
            NowPlaying how;
            how.stopRequested = [this] { return desk_->playingCallerGone(); };
            how.finished = std::move(done);
            playMacroNow(app_, path, std::move(how));
        });
    };
    desk_ = std::make_unique<HandOffDesk>(app, std::move(hooks));
    settle_ = app.loop.createTick("reload", SettleMs, [this] { takeChanges(); });
    align_ = app.loop.createTick("align", RealignMs, [this] { alignTick(); });
}

HeadlessService::~HeadlessService() {
    stop();
    desk_.reset();
}

void HeadlessService::fault(const std::string& text) {
    if (out_.fault) out_.fault(text);
    app_.logError("HeadlessService", "service", text);
}

void HeadlessService::start(const std::optional<std::string>& port) {
    for (const auto& file : app_.removeLeftoverSaves())
        if (out_.line) out_.line("removed " + file.string() + ", left by a save that was cut short");
    app_.codes.loadHouseCodes();
    app_.codes.loadUnitCodes();
    const std::filesystem::path records = recordStorePath(app_.settings, app_.folder);
    if (!app_.records.open(records))
        fault("the record store " + records.string() + " cannot be opened; the stored port and groups are unknown");
    // The group labels and the panic button's settings, as the main window has them.
    app_.groupLabels.load(app_.folder);
    app_.groups->restore();
    loadTimers();
    port_ = std::make_unique<PortKeeper>(app_, port, out_.line, [this](const std::string& line) { fault(line); });
    port_->start();
    started_ = true;
    alignTick();
    if (out_.line)
        out_.line("zulmarin service " ZUL_VERSION ": " + std::to_string(app_.timers->table().count()) +
                  " timers from " + timerFile_.string() + ", timers on");
}

void HeadlessService::loadTimers() {
    auto timers = makeTimerService(app_);
    timers->log().entryAdded.connect([this](const std::string& entry) {
        if (out_.line) out_.line(LineDialogs::oneLine(entry));
    });
    timers->scheduler().logError = [this](const std::string& text) { fault(text); };
    timers->log().saveFailed = [this](const std::string& text) { fault(text); };
    const std::error_code error = timers->load();
    app_.timers = std::move(timers);
    readTimerFile(error);
    app_.timers->setMasterSwitch(true);
    app_.timersSwitched(true);
    timerStamp_ = stampOf(timerFile_);
    settingsStamp_ = stampOf(settingsFile_);
    tableSettings_ = loopAndTableSettings();
}

void HeadlessService::alignTick() {
    aligning_ = !aligning_;
    if (aligning_) { // wait for the next whole second
        align_->setInterval(1000 - app_.clock.now().millisecond + AlignAfterMs);
        align_->setEnabled(true);
        return;
    }
    // Enabled anew, their periods count from now.
    for (Tick* tick : {&app_.timers->clockTick().tick(), &app_.timers->scheduler().tick()}) {
        if (!tick->enabled()) continue;
        tick->setEnabled(false);
        tick->setEnabled(true);
    }
    app_.timers->clockTick().pass();
    align_->setInterval(RealignMs);
}

std::vector<std::string> HeadlessService::loopAndTableSettings() const {
    std::vector<std::string> values;
    for (const SettingKey* key : TableKeys) values.push_back(app_.settings.read(*key).value_or(""));
    return values;
}

void HeadlessService::filesMayHaveChanged() {
    if (!stopped_ && !settle_->enabled()) settle_->setEnabled(true);
}

std::vector<std::filesystem::path> HeadlessService::watchedPaths() const {
    std::vector<std::filesystem::path> paths{app_.folder, timerFile_};
    if (!settingsFile_.empty()) paths.insert(paths.end(), {settingsFile_.parent_path(), settingsFile_});
    return paths;
}

void HeadlessService::takeChanges() {
    // A timer being started reads the table: wait for it.
    if (!app_.timers || app_.timers->shared().StartPending) return;
    // While a file cannot be read it is looked at again on every tick: a
    // change of its mode or of its folder's need not come with a notice.
    settle_->setEnabled(timerUnreadable_ || settingsUnreadable_);
    const FileStamp timerStamp = stampOf(timerFile_), settingsStamp = stampOf(settingsFile_);
    if (settings_ && (settingsUnreadable_ || !(settingsStamp == settingsStamp_))) {
        const std::string problem = settings_->reload();
        if (!problem.empty() && !settingsUnreadable_)
            fault("the settings cannot be read again: " + problem + "; the settings read before stay in use");
        settingsUnreadable_ = !problem.empty();
    }
    settingsStamp_ = settingsStamp;
    const std::vector<std::string> tableSettings = loopAndTableSettings();
    const bool loopChanged = tableSettings != tableSettings_;
    TimerService& timers = *app_.timers;
    if (timerStamp == timerStamp_ && !loopChanged && !timerUnreadable_) {
        timers.sunTick().pass(); // the location may have changed
        return;
    }
    timerStamp_ = timerStamp;
    tableSettings_ = tableSettings;
    if (readTimerFile(loadTimerTable(timers.table(), app_.settings)) && out_.line)
        out_.line("timers reloaded from " + timerFile_.string() + ": " + std::to_string(timers.table().count()) +
                  " timers");
    timers.log().resizeStatus(timers.table().count());
    timers.clockTick().pass();
    timers.sunTick().pass();
    if (loopChanged) timers.loopTimer().restore();
}

bool HeadlessService::readTimerFile(std::error_code error) {
    if (error && !timerUnreadable_)
        fault("the timer file " + timerFile_.string() + " cannot be read: " + error.message() +
              "; no timer runs until it can be read");
    timerUnreadable_ = static_cast<bool>(error);
    if (timerUnreadable_) settle_->setEnabled(true);
    return !error;
}

void HeadlessService::stop() {
    if (stopped_ || !started_) return;
    stopped_ = true;
    app_.StopAll = true;
    settle_->setEnabled(false);
    align_->setEnabled(false);
    if (app_.timers) {
        const bool active = app_.timers->anyRunnerActive();
        app_.timers->log().unload();
        app_.timers.reset();
        app_.timersSwitched(false);
        if (active && app_.port.isOpen()) app_.transmitter.endOfRun();
    }
    port_->stop();
    app_.records.close();
    if (out_.line) out_.line("stopped");
}

} // namespace zul::app
