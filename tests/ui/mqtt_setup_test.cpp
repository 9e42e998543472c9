// The MQTT tab of the preferences: typing, "Test connection", an OK refused
// with what is wrong, and an OK that stores the settings and restarts the bridge.
#include "ui_fixture.h"

#include "windows/main_window_menu.h"
#include "mqtt/bridge.h"
#include "settings/cipher.h"
#include "ui/mqtt_settings_page.h"
#include "ui/preferences_window.h"

namespace zul::test {
namespace {

class MqttSetupTest : public UiFixture {};

TEST_F(MqttSetupTest, TheMqttTabTestsStoresAndRestartsTheBridge) {
    startRunning();
    windows::runMenuEntry(program->app(), windows::MenuId::SetupMqtt);
    ui::PreferencesWindow& prefs = program->preferences();
    ASSERT_TRUE(prefs.isVisible());
    ui::MqttSettingsPage& page = *prefs.mqttPage();
    EXPECT_EQ(prefs.tabs()->currentWidget(), &page);
    EXPECT_EQ(page.baseTopicBox()->text(), "zulmarin");
    EXPECT_FALSE(page.changed());
    // A new install has an id of its own, shown here and used on the broker.
    const std::string id = page.identityLine()->text().toStdString();
    EXPECT_EQ(id.rfind("zulmarin_", 0), 0u);
    EXPECT_EQ(id.size(), 17u);

    page.enabledBox()->setFocus();
    QTest::keyClick(page.enabledBox(), Qt::Key_Space);
    EXPECT_TRUE(page.changed());
    EXPECT_TRUE(prefs.applyButton()->isEnabled());
    QTest::keyClicks(page.brokerBox(), "mqtt://hub:1884");
    QTest::keyClicks(page.userBox(), "zul");
    QTest::keyClicks(page.passwordBox(), "pa55");
    QTest::mouseClick(page.testButton(), Qt::LeftButton);
    EXPECT_FALSE(page.testButton()->isEnabled());
    EXPECT_EQ(mqttBroker.options.clientId.rfind("zulmarin_test_", 0), 0u);
    EXPECT_EQ(mqttBroker.options.password, "pa55");
    mqttBroker.refuse("Not authorized");
    loop.runFor(100);
    EXPECT_TRUE(page.testButton()->isEnabled());
    EXPECT_EQ(page.testResult()->text(), "The broker at mqtt://hub:1884 refused the connection: Not authorized.");

    page.baseTopicBox()->setText("zul/#");
    QTest::mouseClick(prefs.okButton(), Qt::LeftButton);
    EXPECT_TRUE(prefs.isVisible());
    EXPECT_EQ(page.problems()->text(), "Base topic must not contain the wildcards + or #.");
    EXPECT_EQ(program->app().settings.read(Setting::MqttBroker), std::nullopt); // nothing stored
    screenshot(prefs, "preferences_mqtt");

    page.baseTopicBox()->setText("zul");
    QTest::mouseClick(prefs.okButton(), Qt::LeftButton);
    EXPECT_FALSE(prefs.isVisible());
    const SettingsBackend& s = program->app().settings;
    EXPECT_EQ(readSetting(s, Setting::MqttBroker), "mqtt://hub:1884");
    EXPECT_EQ(cipherText(true, readSetting(s, Setting::MqttPassword)), "pa55");
    EXPECT_EQ(mqttBroker.options.willTopic, "zul/status"); // the bridge's own connection
    EXPECT_EQ(mqttBroker.options.clientId, id);
    mqttBroker.accept();
    loop.runFor(100);
    EXPECT_TRUE(program->bridge().connected());
    EXPECT_EQ(mqttBroker.retained().at("zul/status"), "online");
    EXPECT_EQ(page.bridgeLine()->text(), "Bridge: Connected to mqtt://hub:1884"); // follows without a reopen
}

} // namespace
} // namespace zul::test
