#include "app/panic_routine.h"

#include <algorithm>
#include <cmath>

#include "app/group_runner.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "settings/record_store.h"
#include "settings/settings_store.h"
#include "timers/timer_file.h"
#include "x10/transmitter.h"

namespace zul {

namespace {

// A number as the panic tab stores it ("," or "." as the decimal mark); 0 when it is none.
double numberOf(std::string text) {
    for (char& c : text)
        if (c == ',') c = '.';
    return std::max(0.0, settingAsNumber(text, 0));
}

} // namespace

PanicSettings loadPanicSettings(RecordStore& records, const SettingsBackend& settings) {
    PanicSettings p;
    const std::string caption = records.readRecord(RecordNumber::PanicCaption, true);
    if (!caption.empty()) p.caption = caption;
    p.colour = static_cast<int>(numberOf(records.readRecord(RecordNumber::PanicColour, true)));
    const double group = numberOf(records.readRecord(RecordNumber::PanicGroup, true));
    p.group = group >= 1 && group <= macros::kGroupCount && group == std::floor(group) ? static_cast<int>(group) : 0;
    const std::string delay = records.readRecord(RecordNumber::PanicDelay, true);
    const std::size_t comma = delay.find(',');
    p.minutes = numberOf(delay.substr(0, comma));
    p.seconds = comma == std::string::npos ? 0 : numberOf(delay.substr(comma + 1));
    p.shown = readSetting(settings, Setting::PanicButton) != "0";
    return p;
}

unsigned panicColour(int choice) {
    return choice >= 1 && choice <= static_cast<int>(kPanicColours.size())
               ? kPanicColours[static_cast<std::size_t>(choice - 1)]
               : kPanicColours[0];
}

PanicRoutine::PanicRoutine(GroupRunner& groups, x10::Transmitter& tx, EventLoop& loop, SettingsBackend& settings,
                           Dialogs& dialogs, Translate caption)
    : groups_(groups), tx_(tx), store_(settings), dialogs_(dialogs), caption_(std::move(caption)) {
    menuTick_ = loop.createTick("tmrPanic", kMenuDelayMs, [this] {
        menuTick_->setEnabled(false);
        run();
    });
}

PanicRoutine::~PanicRoutine() = default;

void PanicRoutine::run() {
    if (settings.group < 1) {
        dialogs_.message(tr("This button must be setup first, click OK to continue."));
        setup();
        return;
    }
    if (focusMainWindow) focusMainWindow();
    runGroups();
}

bool PanicRoutine::runGroups() {
    if (settings.group < 1) return false;
    const double delay = settings.delay();
    const int index = settings.group - 1;
    groups_.runGroup(index, true);
    if (delay > 0) {
        tx_.pause(delay);
        groups_.runGroup(index, false);
        if (click) click();
    }
    return true;
}

void PanicRoutine::runFromMenu() { menuTick_->setEnabled(true); }

void PanicRoutine::setup() {
    if (openSetup) openSetup(settings.group < 1 ? "6" : std::to_string(settings.group));
}

std::string withoutAccessKeys(const std::string& c) {
    std::string plain;
    for (std::size_t i = 0; i < c.size(); ++i) {
        if (c[i] == '&' && i + 1 < c.size()) ++i; // "&n" is an access key, "&&" a literal "&"
        plain += c[i];
    }
    return plain;
}

std::string PanicRoutine::menuCaption() const { return withoutAccessKeys(settings.caption) + " " + tr("(Run)"); }

void PanicRoutine::toggleShown() {
    settings.shown = !settings.shown;
    writeSetting(store_, Setting::PanicButton, settings.shown ? "1" : "0");
}

} // namespace zul
