// The MQTT bridge's settings window from the menu: typing, "Test
// connection", a refused Apply and an OK that restarts the bridge.
#include "ui_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/main_menu.h"
#include "mqtt/bridge.h"
#include "settings/cipher.h"
#include "ui/mqtt_settings_page.h"

namespace zul::test {
namespace {

class MqttSetupTest : public UiFixture {};

TEST_F(MqttSetupTest, TheWindowTestsStoresAndRestartsTheBridge) {
    startRunning();
    app::runMenuEntry(program->app(), app::MenuId::SetupMqtt);
    ui::MqttSetupWindow& w = program->mqttWindow();
    ASSERT_TRUE(w.isVisible());
    ui::MqttSettingsPage& page = w.page();
    EXPECT_EQ(page.baseTopicBox()->text(), "zulmarin");
    EXPECT_EQ(page.prefixBox()->text(), "homeassistant");

    page.enabledBox()->setFocus();
    QTest::keyClick(page.enabledBox(), Qt::Key_Space);
    EXPECT_TRUE(page.enabledBox()->isChecked());
    QTest::keyClicks(page.brokerBox(), "mqtt://hub:1884");
    QTest::keyClicks(page.userBox(), "zul");
    QTest::keyClicks(page.passwordBox(), "pa55");
    QTest::mouseClick(page.testButton(), Qt::LeftButton);
    EXPECT_FALSE(page.testButton()->isEnabled());
    EXPECT_EQ(mqttBroker.options.clientId.rfind("zulmarin_test_", 0), 0u);
    EXPECT_EQ(mqttBroker.options.password, "pa55");
    mqttBroker.refuse("Connection Refused: not authorised.");
    loop.runFor(100);
    EXPECT_TRUE(page.testButton()->isEnabled());
    EXPECT_EQ(page.testResult()->text(),
              "The broker at mqtt://hub:1884 refused the connection: Connection Refused: not authorised.");

    page.baseTopicBox()->setText("zul/#");
    QTest::mouseClick(w.applyButton(), Qt::LeftButton);
    EXPECT_TRUE(page.problems()->isVisible());
    EXPECT_EQ(page.problems()->text(), "Base topic must not contain the wildcards + or #.");
    EXPECT_EQ(ReadSetting(program->app().settings, "Mqtt", "Broker", ""), "");  // nothing stored
    page.baseTopicBox()->setText("zul");
    screenshot(w, "mqtt_setup");

    QTest::mouseClick(w.okButton(), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    const SettingsBackend& s = program->app().settings;
    EXPECT_EQ(ReadSetting(s, "Mqtt", "Broker", ""), "mqtt://hub:1884");
    EXPECT_EQ(CipherText(true, ReadSetting(s, "Mqtt", "Password", "")), "pa55");
    EXPECT_EQ(mqttBroker.options.clientId.rfind("zulmarin_", 0), 0u);  // the bridge's own connection
    EXPECT_EQ(mqttBroker.options.willTopic, "zul/status");
    mqttBroker.accept();
    loop.runFor(100);
    EXPECT_TRUE(program->bridge().connected());
    EXPECT_EQ(mqttBroker.retained().at("zul/status"), "online");
}

} // namespace
} // namespace zul::test
