#pragma once
// The "Mqtt" settings as a page of fields (enabled, broker, CA file, user
// name, password, base topic, discovery prefix, dim steps) with "Test
// connection", and this install's identity on the broker: the MQTT tab of
// the preferences window.
#include <QWidget>
#include <functional>
#include <string>

#include "mqtt/mqtt_settings_page.h"

class QCheckBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace zul::app {
class App;
}

namespace zul::ui {

class MqttSettingsPage : public QWidget {
public:
    MqttSettingsPage(app::App& app, mqtt::MqttSettingsForm& form, QWidget* parent = nullptr);

    // The stored settings into the fields.
    void load();
    // Stores the fields when they can be used; else shows what is wrong. True when stored.
    bool apply();
    // The fields differ from the stored settings.
    bool changed();
    // Called on every edit.
    std::function<void()> edited;
    // How the running bridge stands, shown under the fields.
    std::function<std::string()> bridgeStatus;
    // Shows bridgeStatus again (the bridge tells when it changed).
    void showStatus();

    QCheckBox* enabledBox() { return enabled_; }
    QLineEdit* brokerBox() { return broker_; }
    QLineEdit* caFileBox() { return caFile_; }
    QLineEdit* userBox() { return user_; }
    QLineEdit* passwordBox() { return password_; }
    QLineEdit* baseTopicBox() { return baseTopic_; }
    QLineEdit* prefixBox() { return prefix_; }
    QSpinBox* dimStepsBox() { return dimSteps_; }
    QLabel* identityLine() { return identity_; }
    QPushButton* testButton() { return test_; }
    QLabel* testResult() { return result_; }
    QLabel* problems() { return problems_; }
    QLabel* bridgeLine() { return status_; }

private:
    QFormLayout* buildFields();
    QLineEdit* makeBox(const char* tip, const char* placeholder = "");
    QLineEdit* addField(QFormLayout* form, const char* caption, const char* tip, const char* placeholder = "");
    void takeFields();
    void browseCaFile();
    void showResult(bool ok, const std::string& text);

    app::App& app_;
    mqtt::MqttSettingsForm& form_;
    QCheckBox* enabled_ = nullptr;
    QLineEdit *broker_ = nullptr, *caFile_ = nullptr, *user_ = nullptr, *password_ = nullptr;
    QLineEdit *baseTopic_ = nullptr, *prefix_ = nullptr;
    QSpinBox* dimSteps_ = nullptr;
    QLabel* identity_ = nullptr;
    QPushButton *browse_ = nullptr, *test_ = nullptr;
    QLabel *result_ = nullptr, *problems_ = nullptr, *status_ = nullptr;
};

} // namespace zul::ui
