#include "windows/main_window.h"

#include "app/app.h"
#include "app/guarded.h"
#include "app/main_clock.h"
#include "settings/settings_store.h"

namespace zul::windows {

namespace {
constexpr const char* BrightByte = "10001000";
constexpr const char* DimByte = "10011000";
constexpr double HoldRepeatSeconds = 0.2;

// The house byte with the units 9-16 bit cleared, for the commands without a unit.
std::string noUnitHouseByte(const std::string& houseByte) { return houseByte.substr(0, 5) + "000"; }

int parsePosition(const std::string& text) {
    try {
        std::size_t used = 0;
        const int v = std::stoi(text, &used);
        return v >= 0 && v <= 15 ? v : 0;
    } catch (...) {
        return 0; // empty or damaged: house A
    }
}
} // namespace

MainWindowForm::MainWindowForm(app::App& app) : app_(app) {
    updateHouseByte();
    // A description written here, by the command line or by another window.
    descriptionsWatch_ =
        app.descriptions->changed.connect([this](const app::UnitAddress&, const std::string&) { refreshDescriptions(); });
}

MainWindowForm::~MainWindowForm() { app_.descriptions->changed.disconnect(descriptionsWatch_); }

bool MainWindowForm::highPage() const { return app_.codes.unitsHighPage(); }

void MainWindowForm::updateHouseByte() { houseByte_ = app_.codes.houseBits(house_ + 1); }

void MainWindowForm::selectHouse(int position) {
    if (position < 0 || position > 15) return;
    house_ = position;
    updateHouseByte();
    app_.records.writeRecord(RecordNumber::HouseCode, std::to_string(position), true);
    refreshDescriptions();
    notify();
}

void MainWindowForm::togglePage() {
    app_.codes.setUnitsHighPage(!highPage());
    updateHouseByte();
    app_.sounds.play(SoundEvent::Resize);
    app_.records.writeRecord(RecordNumber::UnitPage, highPage() ? "True" : "False", true);
    refreshDescriptions();
    notify();
}

void MainWindowForm::restoreHouseAndPage() {
    house_ = parsePosition(app_.records.readRecord(RecordNumber::HouseCode, true));
    app_.codes.setUnitsHighPage(app_.records.readRecord(RecordNumber::UnitPage, true) == "True");
    updateHouseByte();
    notify();
}

void MainWindowForm::refreshDescriptions() {
    for (int i = 0; i < Units; ++i) descriptions_[static_cast<std::size_t>(i)] = app_.descriptions->read(shownUnit(i));
    notify();
}

app::DescriptionResult MainWindowForm::saveDescription(int i, const std::string& text) {
    if (i < 0 || i >= Units) return {false, "No such unit."};
    return app_.descriptions->write(shownUnit(i), text);
}

bool MainWindowForm::appliance(int i) const {
    return i >= 0 && i < Units && app_.descriptions->appliance(shownUnit(i));
}

std::string MainWindowForm::setAppliance(int i, bool appliance) {
    if (i < 0 || i >= Units) return "No such unit.";
    return app_.descriptions->setAppliance(shownUnit(i), appliance);
}

void MainWindowForm::setRecording(bool on) {
    recording_ = on;
    if (on) sendWhileRecording_ = readSetting(app_.settings, Setting::SendOnRecord) != "0";
    notify(); // the flashing "Recording"
}

void MainWindowForm::send(const std::string& houseByte, const std::string& unitByte, bool isOn) {
    if (!recording_ || sendWhileRecording_) app_.transmitter.sendBits(x10::makeFrame(houseByte, unitByte));
    handOver(houseByte + unitByte, isOn);
}

void MainWindowForm::handOver(const std::string& code, bool isOn) {
    handOverCode_.assign(1, '0');
    if (onHandOverCode) onHandOverCode(handOverCode_);
    handOverCode_ = code;
    if (onHandOverCode) onHandOverCode(handOverCode_);
    if (!isOn) return;
    handOverSavedCode_ = code;
    if (onHandOverSavedCode) onHandOverSavedCode(handOverSavedCode_);
}

void MainWindowForm::appendForTimer(const std::string& text) {
    if (app_.timerWindowOpen && appendTimerCommand) appendTimerCommand(text);
}

void MainWindowForm::unitDown(int i, bool on, MouseButton button) {
    app::GuardedHandler guard(app_, on ? "cmdON_MouseDown" : "cmdOFF_MouseDown", Window);
    if (button == MouseButton::Right) {
        guard.step([&] {
            appendForTimer(std::string(1, houseLetter()) + " " + std::to_string(unitNumber(i)) + " " +
                           (on ? "On" : "Off"));
        });
        return;
    }
    unitPressed_ = true;
    guard.step([&] {
        unitByte_ = app_.codes.unitCode(i + 1, on ? 1 : 2);
        send(houseByte_, unitByte_, on);
    });
    // A quick click is released while the frame settles: the lamp then stays dark.
    if (unitPressed_) guard.step([&] { app_.mainClock->startFlash(); });
    notify();
}

void MainWindowForm::unitUp(int, bool on) {
    app::GuardedHandler guard(app_, on ? "cmdON_MouseUp" : "cmdOFF_MouseUP", Window);
    unitPressed_ = false;
    guard.step([&] { app_.mainClock->stopFlash(); });
}

void MainWindowForm::unitClick(bool on) {
    app::GuardedHandler guard(app_, on ? "cmdON_Click" : "cmdOFF_Click", Window);
    guard.step([&] { app_.sounds.play(SoundEvent::Click); });
}

void MainWindowForm::holdDown(bool bright, MouseButton button) {
    held_ = true;
    const std::string unitByte = bright ? BrightByte : DimByte;
    while (held_ && !app_.StopAll) {
        if (button == MouseButton::Left) {
            lastAction_ = bright ? "Bright" : "Dim";
            send(noUnitHouseByte(houseByte_), unitByte, false);
            app_.mainClock->startFlash();
        }
        app_.transmitter.pause(HoldRepeatSeconds);
    }
    held_ = false;
    app_.mainClock->stopFlash();
    if (button == MouseButton::Right)
        appendForTimer(std::string(1, houseLetter()) + " PRE " + (bright ? "BRI" : "DIM"));
    notify();
}

void MainWindowForm::wholeHouse(x10::Action action, MouseButton button) {
    const std::string name = x10::actionName(action);
    if (button == MouseButton::Right) {
        appendForTimer(std::string(1, houseLetter()) + " ALL " + name);
        return;
    }
    const std::string unitByte = x10::groupCommandByte(action);
    if (unitByte.empty()) return;
    lastAction_ = action == x10::Action::Aln   ? "AllLightsOn"
                  : action == x10::Action::Alf ? "AllLightsOff"
                                               : "AllUnitsOff";
    send(noUnitHouseByte(houseByte_), unitByte, false);
    app_.sounds.play(SoundEvent::Click);
    notify();
}

std::string MainWindowForm::unitTip(int i, bool on) const {
    return app_.tip("Turn Unit") + " " + std::to_string(unitNumber(i)) + " " + app_.tip(on ? "ON" : "OFF");
}

std::string MainWindowForm::pageTip() const {
    return app_.tip(highPage() ? "Click for Units 1 thru 8" : "Click for Units 9 thru 16");
}

} // namespace zul::windows
