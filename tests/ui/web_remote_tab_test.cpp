// The "Web remote" tab of the preferences: no switch without a password, and
// an OK that stores only the hash and starts the remote where it says.
#include "ui_fixture.h"

#include <QLabel>
#include <QTcpServer>

#include "ui/preferences_window.h"
#include "ui/web_remote_page.h"
#include "web/web_remote.h"

namespace zul::test {
namespace {

class WebRemoteTabTest : public UiFixture {};

TEST_F(WebRemoteTabTest, TheSwitchNeedsAPasswordAndOkStartsTheRemote) {
    startRunning();
    ui::PreferencesWindow& prefs = program->preferences();
    prefs.open(windows::PreferencesTab::General);
    ui::WebRemotePage& page = *prefs.webRemotePage();
    prefs.tabs()->setCurrentWidget(&page);
    EXPECT_FALSE(page.enabledBox()->isChecked()); // off by default, on loopback
    EXPECT_EQ(page.addressBox()->text(), "127.0.0.1:8080");
    EXPECT_FALSE(page.changed());
    QTcpServer probe; // a free port, so the test never takes one in use
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const std::string address = "127.0.0.1:" + std::to_string(probe.serverPort());
    probe.close();

    page.enabledBox()->setFocus();
    QTest::keyClick(page.enabledBox(), Qt::Key_Space);
    page.addressBox()->setText(QString::fromStdString(address));
    EXPECT_EQ(page.linkLine()->text().toStdString(),
              "<a href=\"http://" + address + "/\">http://" + address + "/</a>");
    QTest::mouseClick(prefs.okButton(), Qt::LeftButton);
    EXPECT_TRUE(prefs.isVisible());
    EXPECT_EQ(page.problems()->text(), "Set a password before you switch the web remote on.");
    EXPECT_EQ(program->app().settings.read(Setting::WebRemoteEnabled), std::nullopt);
    QTest::keyClicks(page.passwordBox(), "porch lights");
    QTest::keyClicks(page.repeatBox(), "porch lights");
    screenshot(prefs, "preferences_web_remote");

    QTest::mouseClick(prefs.okButton(), Qt::LeftButton);
    EXPECT_FALSE(prefs.isVisible());
    const std::string hash = readSetting(program->app().settings, Setting::WebRemotePassword);
    EXPECT_EQ(hash.rfind("pbkdf2-sha256:100000:", 0), 0u) << hash;
    EXPECT_EQ(readSetting(program->app().settings, Setting::WebRemoteEnabled), "1");
    EXPECT_TRUE(program->webRemote().running());
    EXPECT_EQ(page.statusLine()->text().toStdString(), "The web remote is at http://" + address + "/.");
}

} // namespace
} // namespace zul::test
