#pragma once
// FormSetup, "Setup": the general options, the panic button setup, the
// location, the sounds and the advanced settings on five tabs, with Apply,
// OK, Cancel and Help along the bottom. The window shows the preferences
// logic and hands every action to it.
#include <QDialog>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "windows/preferences_window.h"
#include "platform/signal.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class QTabWidget;

namespace zul::app {
class App;
}

namespace zul::ui {

class MqttSettingsPage;
class WebRemotePage;

class PreferencesWindow : public QDialog {
public:
    explicit PreferencesWindow(app::App& app, QWidget* parent = nullptr);
    ~PreferencesWindow() override;

    // Loads every tab afresh and shows the window on tab.
    void open(windows::PreferencesTab tab, const std::string& panicGroup = "");
    windows::PreferencesWindowForm& logic() { return *logic_; }
    // The MQTT tab (the window takes the page); Apply and OK store it too.
    void addMqttPage(MqttSettingsPage* page);
    MqttSettingsPage* mqttPage() { return mqtt_; }
    void addWebRemotePage(WebRemotePage* page);
    WebRemotePage* webRemotePage() { return web_; }

    // --- for tests
    QTabWidget* tabs() { return tabs_; }
    QPushButton* applyButton() { return apply_; }
    QPushButton* okButton() { return ok_; }
    QPushButton* cancelButton() { return cancel_; }
    QCheckBox* optionBox(app::Option id);
    QLineEdit* panicField(windows::PanicField f) { return panic_[static_cast<std::size_t>(f)]; }
    QComboBox* cityList() { return cities_; }
    QLineEdit* locationField(windows::LocationTabForm::Field f) { return location_[static_cast<std::size_t>(f)]; }
    QLineEdit* advancedField(windows::AdvancedField f) { return advanced_[static_cast<std::size_t>(f)]; }
    QListWidget* soundList() { return soundList_; }
    QCheckBox* timerSoundBox() { return timerSound_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override; // Esc: Cancel

private:
    struct OptionRow {
        app::Option id;
        QCheckBox* box;
        QLabel* onOff;
    };

    QWidget* buildGeneral();
    QWidget* buildPanic();
    QWidget* buildPanicColours(QWidget* parent);
    QWidget* buildLocation();
    QWidget* buildLocationFields(QWidget* parent);
    QWidget* buildSounds();
    QWidget* buildSoundSwitches(QWidget* parent);
    QWidget* buildAdvanced();
    QWidget* buildLogBox(QWidget* parent);
    QWidget* buildUpdateBox(QWidget* parent);
    QWidget* buildButtons();
    void addOption(QWidget* parent, QGridLayout* grid, int row, app::Option id, const std::string& caption);
    QCheckBox* addSwitch(QWidget* parent, QGridLayout* grid, int row, const std::string& caption, QLabel** onOff);

    void load();
    void loadOptions();
    void loadPanic();
    void loadLocation();
    void loadSounds();
    void loadAdvanced();
    void applyTips();
    // An option or sound choice shown here changed elsewhere (the main
    // window's menu, the timer window): shown again; waiting edits stay.
    void showChangedOptions();
    void refreshApply();
    void focusOn(windows::PreferencesFocus f);
    windows::PreferencesTab currentTab() const;

    app::App& app_;
    std::unique_ptr<windows::PreferencesWindowForm> logic_;

    QTabWidget* tabs_ = nullptr;
    QPushButton *apply_ = nullptr, *ok_ = nullptr, *cancel_ = nullptr, *help_ = nullptr;
    std::vector<OptionRow> options_;
    std::array<QLineEdit*, 4> panic_{};
    QButtonGroup* colours_ = nullptr;
    QPushButton* panicPreview_ = nullptr;
    QComboBox* cities_ = nullptr;
    std::array<QLineEdit*, 3> location_{};
    QLabel *cityCaption_ = nullptr, *sunrise_ = nullptr, *sunset_ = nullptr, *daylight_ = nullptr;
    QPushButton *test_ = nullptr, *clear_ = nullptr;
    QCheckBox *soundsOn_ = nullptr, *timerSound_ = nullptr, *macroSound_ = nullptr;
    std::array<QLabel*, 3> soundOnOff_{};
    QListWidget* soundList_ = nullptr;
    QLabel* soundFile_ = nullptr;
    QPushButton *play_ = nullptr, *browse_ = nullptr, *noSound_ = nullptr, *soundDefaults_ = nullptr;
    std::array<QLineEdit*, 5> advanced_{};
    QSlider* slider_ = nullptr;
    QCheckBox* trimLog_ = nullptr;
    QPushButton* logDefaults_ = nullptr;
    QWidget* updateHourRow_ = nullptr;
    MqttSettingsPage* mqtt_ = nullptr;
    WebRemotePage* web_ = nullptr;
    Connection<> optionsListener_;
};

} // namespace zul::ui
