#include "windows/preferences_window.h"

#include "app/groups_panel.h"
#include "windows/main_window_menu.h"
#include "app/timers_switch.h"
#include "app/uninstaller.h"
#include "app/app_fixture.h"
#include "timers/send_queue.h"
#include "timers/timer_service.h"

namespace zul::test {
namespace {

using windows::AdvancedField;
using app::Option;
using windows::PanicField;
using windows::PreferencesWindowForm;

class PreferencesTest : public AppFixture {
protected:
    windows::PreferencesWindowForm& open(const std::string& panicGroup = "") {
        prefs = std::make_unique<windows::PreferencesWindowForm>(*app);
        prefs->focus = [this](windows::PreferencesFocus f) { focused.push_back(f); };
        prefs->open(panicGroup);
        prefs->finishOpening();
        return *prefs;
    }
    std::string setting(const SettingKey& key) { return app->settings.read(key).value_or("<none>"); }
    std::string record(int n) { return app->records.readRecord(n, true); }

    std::unique_ptr<windows::PreferencesWindowForm> prefs;
    std::vector<windows::PreferencesFocus> focused;
};

TEST_F(PreferencesTest, ApplyStoresWhatWaitsCancelForgetsItAndOptionsAreStoredOnClick) {
    startRunning();
    auto edit = [](windows::PreferencesWindowForm& p) {
        p.setPanicField(windows::PanicField::Caption, "&Lights");
        p.setPanicField(windows::PanicField::Group, "3");
        p.setPanicField(windows::PanicField::Minutes, "1");
        p.setPanicField(windows::PanicField::Seconds, "30");
        p.setPanicColour(4);
        p.setAdvancedField(windows::AdvancedField::MaxLog, "900");
        p.setSlider(125);
        p.location().pickCity(53);
        p.sounds().select(2);
        p.sounds().noSound();
    };
    edit(open());
    EXPECT_TRUE(prefs->anyChanged());
    prefs->cancel();
    prefs->closing(std::pair{900, 600});
    EXPECT_EQ(record(274) + record(281) + record(280), "");
    EXPECT_EQ(setting(Setting::MaxLogSize) + setting(Setting::MasterPause) + setting(Setting::CityName),
              "<none><none><none>");
    EXPECT_EQ(app->settings.read(Setting::ResizeSound), std::nullopt);
    EXPECT_TRUE(dialogs.shown.empty()) << "after Cancel nothing is asked";
    EXPECT_EQ(prefs->storedPosition(), (std::pair{900, 600}));

    edit(open());
    windows::PreferencesWindowForm& p = *prefs;
    EXPECT_EQ(p.apply(), windows::PreferencesFocus::Ok);
    EXPECT_FALSE(p.anyChanged());
    EXPECT_EQ(record(274) + "|" + record(279) + "|" + record(280) + "|" + record(281), "&Lights|4|1,30|3");
    EXPECT_EQ(setting(Setting::MaxLogSize) + " " + setting(Setting::MasterPause) + " " + setting(Setting::CityName),
              "900 1.25 London, England");
    EXPECT_EQ(readSetting(app->settings, Setting::ResizeSound), "none");
    EXPECT_EQ(app->sounds.path(SoundEvent::Resize), "none");
    EXPECT_EQ(app->groups->panic().menuCaption(), "Lights (Run)") << "the panic button follows at once";
    EXPECT_EQ(app->groups->panic().settings.delay(), 90);

    // The general tab's boxes are stored and carried out on click, with a click sound.
    sound.played.clear();
    writeFile(app->folder / "click.wav", "RIFF");
    app->sounds.load();
    app->sounds.setOn(false);
    p.setOption(Option::MinToTray, true);
    p.setOption(Option::PanicButton, false);
    EXPECT_EQ(setting(Setting::MinToTray) + setting(Setting::PanicButton), "10");
    EXPECT_TRUE(app->minimizeToTray);
    EXPECT_FALSE(app->groups->panic().settings.shown);
    EXPECT_EQ(sound.played.size(), 1u) << "checking a box clicks, whatever the sounds switch says";
}

TEST_F(PreferencesTest, TheGroupNumberIsOneToEightAndApplyFillsWhatIsEmpty) {
    startRunning();
    windows::PreferencesWindowForm& p = open();
    EXPECT_EQ(p.panicField(windows::PanicField::Group), "8") << "an empty group shows 8";
    for (const char* bad : {"9", "10", "0"}) {
        EXPECT_FALSE(p.setPanicField(windows::PanicField::Group, bad));
        EXPECT_EQ(p.panicField(windows::PanicField::Group), "");
    }
    EXPECT_EQ(dialogs.texts(ScriptedDialogs::Kind::Message),
              std::vector<std::string>(3, "Group Number must be a number from 1 to 8"));
    EXPECT_TRUE(p.setPanicField(windows::PanicField::Group, ""));
    EXPECT_EQ(p.apply(), windows::PreferencesFocus::PanicGroup);
    EXPECT_EQ(focused.back(), windows::PreferencesFocus::PanicGroup);
    EXPECT_EQ(record(274) + "|" + record(280) + "|" + record(281), "Pa&nic|00,|");

    EXPECT_EQ(open("6").panicField(windows::PanicField::Group), "6") << "the panic button's setup offers group 6";
}

TEST_F(PreferencesTest, AdvancedFieldsFallBackToTheirDefaultsAndDriveTheQueueAndTheLog) {
    startRunning();
    windows::PreferencesWindowForm& p = open();
    EXPECT_EQ(p.slider(), 60);
    const std::pair<windows::AdvancedField, const char*> typed[] = {
        {windows::AdvancedField::MaxLog, "abc"}, {windows::AdvancedField::UpdateHour, "30"}, {windows::AdvancedField::MasterDelay, "x"}};
    for (const auto& [field, text] : typed) {
        p.setAdvancedField(field, text);
        p.leaveAdvancedField(field);
    }
    EXPECT_EQ(p.advancedField(windows::AdvancedField::MaxLog) + " " + p.advancedField(windows::AdvancedField::UpdateHour) + " " +
                  p.advancedField(windows::AdvancedField::MasterDelay),
              "500 19 .6");
    p.setAdvancedField(windows::AdvancedField::KeepLog, "7");
    p.setTrimLog(false);
    p.apply();
    EXPECT_EQ(setting(Setting::KeepLogSize) + " " + setting(Setting::TrimTimerLog) + " " +
                  setting(Setting::MasterPause),
              "7 0 .6");
    EXPECT_DOUBLE_EQ(readGapSeconds(app->settings), 0.6);

    p.restoreAdvancedDefaults();
    p.apply();
    EXPECT_EQ(setting(Setting::MaxLogSize) + " " + setting(Setting::KeepLogSize) + " " +
                  setting(Setting::MaxLogFileLines) + " " + setting(Setting::MasterPause),
              "500 400 59000 0.6");
}

TEST_F(PreferencesTest, ClosingAsksAboutTheLocationAndTheSoundsOnly) {
    startRunning();
    writeSetting(app->settings, Setting::CityZone, "5");
    windows::PreferencesWindowForm& p = open();
    p.location().edit(windows::LocationTabForm::Field::Latitude, "41");
    p.sounds().select(0);
    p.sounds().noSound();
    p.setAdvancedField(windows::AdvancedField::MaxLog, "800");
    dialogs.answers = {Answer::No, Answer::Yes};
    p.closing(std::nullopt);
    ASSERT_EQ(dialogs.count(ScriptedDialogs::Kind::Question), 2u);
    EXPECT_EQ(dialogs.shown[0].title, "City Location has Changed !");
    EXPECT_EQ(dialogs.shown[1].title, "Sounds have Changed");
    EXPECT_EQ(setting(Setting::CityLatitude) + setting(Setting::MaxLogSize) + setting(Setting::PreferencesLeft),
              "<none><none><none>");
    EXPECT_EQ(readSetting(app->settings, Setting::ClickSound), "none");
}

TEST_F(PreferencesTest, ALocationAppliedMovesTheSunsetTimerAtOnce) {
    writeFile(app->folder / "tmrdat.zul", "\"porch.cro*SS*Everyday\"\r\n");
    startRunning();
    ASSERT_TRUE(app::switchTimers(*app, true));
    loop.runFor(1500);
    const std::string before = app->timers->table().startTimes()[0];
    windows::PreferencesWindowForm& p = open();
    p.location().pickCity(29); // New York: sunset 19:21:14 standard time on 3 June 2024
    EXPECT_EQ(app->timers->table().startTimes()[0], before) << "nothing changes before Apply";
    p.apply();
    loop.runFor(1500);
    EXPECT_EQ(app->timers->table().startTimes()[0], "19:21:14");
}

TEST_F(PreferencesTest, LaunchersAndTheAssociationFollowTheMenuAndTheStartCheck) {
    startRunning();
    EXPECT_TRUE(desktop.hasLauncher(Launcher::DesktopFolder)) << "the first start puts a launcher on the desktop";
    EXPECT_EQ(desktop.associations, 1) << "macro files were not associated yet";
    {
        // Every window showing an option is told of each change, wherever it was made.
        int told = 0;
        const Connection<> listener(app->optionsChanged, [&told] { ++told; });
        windows::runMenuEntry(*app, windows::MenuId::ShortcutStartup);
        EXPECT_TRUE(desktop.hasLauncher(Launcher::Autostart));
        EXPECT_EQ(setting(Setting::AutoStart), "1");
        app->sounds.setTimerTsound(false);
        EXPECT_EQ(told, 2);
    }
    windows::runMenuEntry(*app, windows::MenuId::RemoveShortcutDesktop);
    EXPECT_FALSE(desktop.hasLauncher(Launcher::DesktopFolder));

    desktop.failWith = "no room";
    windows::runMenuEntry(*app, windows::MenuId::RemoveShortcutStartup);
    ASSERT_EQ(dialogs.count(ScriptedDialogs::Kind::Message), 1u);
    EXPECT_EQ(dialogs.last().title + ": " + dialogs.last().text, "Error: Failed\nno room");
    EXPECT_EQ(setting(Setting::AutoStart), "1") << "a failed change keeps the option as it was";
    desktop.failWith.clear();

    // Unticking the preference removes the association as the menu entry does.
    ASSERT_TRUE(app::setOption(*app, Option::AssociateMacros, false));
    EXPECT_FALSE(desktop.associated);
    EXPECT_EQ(setting(Setting::MacroAssociationSet) + setting(Setting::AssociateMacros), "False");
    ASSERT_TRUE(app::setOption(*app, Option::AssociateMacros, true));
    EXPECT_TRUE(desktop.associated);
    EXPECT_EQ(readSetting(app->settings, Setting::MacroAssociationSet), "Done");

    windows::runMenuEntry(*app, windows::MenuId::RemoveAssociations);
    EXPECT_FALSE(desktop.associated);
    EXPECT_EQ(app->settings.read(Setting::AssociateMacros), "False");
    app->startup->exitProgram();
    app = makeApp();
    startRunning("");
    EXPECT_EQ(desktop.associations, 2) << "removed associations stay removed at the next start";
    EXPECT_FALSE(desktop.hasLauncher(Launcher::DesktopFolder)) << "only the very first start makes the launcher";
    EXPECT_EQ(app::trayTip(*app, "Zulmarin", true, false), "Zulmarin (Timers OFF)  ");
}

TEST_F(PreferencesTest, UninstallTakesTheProgramOutOfTheDesktopAndTheSettingsWhenAsked) {
    writeFile(app->folder / "Porch.cro", "\"01100000000000000.50\"\r\n");
    startRunning();
    app::setOption(*app, Option::AutoStart, true);
    dialogs.answers = {Answer::Yes};
    app::Uninstaller(*app).run();
    EXPECT_TRUE(desktop.launchers.empty());
    EXPECT_FALSE(desktop.associated);
    EXPECT_EQ(app->startup->phase(), app::Phase::Ended);
    EXPECT_FALSE(std::filesystem::exists(home.config() / "settings.ini"));
    EXPECT_TRUE(std::filesystem::exists(app->folder / "Porch.cro"));
    EXPECT_TRUE(std::filesystem::exists(app->folder / "db.zld"));
}

} // namespace
} // namespace zul::test
