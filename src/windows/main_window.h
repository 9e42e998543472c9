#pragma once
// The main window without its widgets: the house and the unit page,
// the ON/OFF buttons, BRI and DIM repeating while held, the whole-house
// buttons, the unit descriptions and the hand-over to the recorders.
#include <array>
#include <functional>
#include <string>

#include "app/unit_descriptions.h"
#include "platform/signal.h"
#include "x10/x10_codes.h"

namespace zul::app {
class App;
} // namespace zul::app

namespace zul::windows {

enum class MouseButton { Left, Right };

class MainWindowForm {
public:
    static constexpr const char* Window = "frmFire";
    static constexpr int Units = 8;

    explicit MainWindowForm(app::App& app);
    ~MainWindowForm();

    // --- house and page
    int house() const { return house_; } // list position 0-15
    char houseLetter() const { return x10::houseLetter(house_ + 1); }
    bool highPage() const;
    // The unit number (1-16) button i (0-7) shows.
    int unitNumber(int i) const { return i + (highPage() ? 9 : 1); }
    void selectHouse(int position);
    void togglePage();
    // Start-up: the house from record 271 and the page from record 272.
    void restoreHouseAndPage();

    const std::string& houseByte() const { return houseByte_; }
    const std::string& unitByte() const { return unitByte_; }
    const std::string& lastActionWord() const { return lastAction_; }

    // --- unit buttons (on: the ON row, else the OFF row)
    void unitDown(int i, bool on, MouseButton button);
    void unitUp(int i, bool on);
    void unitClick(bool on);

    // --- BRI and DIM: the press runs the repeating loop until release.
    void holdDown(bool bright, MouseButton button);
    void holdUp() { held_ = false; }
    bool held() const { return held_; }

    // --- whole-house buttons: Aln, Alf or Auf
    void wholeHouse(x10::Action action, MouseButton button);

    // --- descriptions of the shown units
    const std::string& description(int i) const { return descriptions_.at(static_cast<std::size_t>(i)); }
    void refreshDescriptions();
    app::DescriptionResult saveDescription(int i, const std::string& text);
    // Unit i is an appliance (switched, never dimmed) rather than a lamp.
    bool appliance(int i) const;
    // "" or why the mark could not be stored.
    std::string setAppliance(int i, bool appliance);
    // The record number of button i's description.
    int descriptionRecord(int i) const { return app::UnitDescriptions::record(shownUnit(i)); }
    app::UnitAddress shownUnit(int i) const { return {house_ + 1, unitNumber(i)}; }

    // --- recorders
    // Recording starts or stops in an editor; the send-while-recording
    // choice ("Settings"/"SendOnRecord") is read when it starts.
    void setRecording(bool on);
    bool recording() const { return recording_; }
    const std::string& handOverCode() const { return handOverCode_; }
    const std::string& handOverSavedCode() const { return handOverSavedCode_; }
    // The group recorder's Start Over empties both hand-over fields.
    void clearHandOver() {
        handOverCode_.clear();
        handOverSavedCode_.clear();
    }
    // Called on every change of handOverCode / handOverSavedCode with the new value.
    std::function<void(const std::string&)> onHandOverCode, onHandOverSavedCode;
    // Appends a command text to the timer window's command list (right click
    // while the timer window is open).
    std::function<void(const std::string&)> appendTimerCommand;

    // --- tool tips (translated)
    std::string unitTip(int i, bool on) const;
    std::string pageTip() const;

    // The shown state changed.
    Signal<> changed;

private:
    void updateHouseByte();
    void send(const std::string& houseByte, const std::string& unitByte, bool isOn);
    void handOver(const std::string& code, bool isOn);
    void appendForTimer(const std::string& text);
    void notify() { changed(); }

    app::App& app_;
    int house_ = 0;
    std::string houseByte_;
    std::string unitByte_;
    std::string lastAction_;
    bool held_ = false;
    bool unitPressed_ = false; // an ON or OFF button is down
    bool recording_ = false;
    bool sendWhileRecording_ = true;
    std::string handOverCode_, handOverSavedCode_;
    std::array<std::string, Units> descriptions_;
    int descriptionsWatch_ = 0;
};

} // namespace zul::windows
