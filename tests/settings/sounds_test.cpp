#include "settings/sounds.h"
#include "windows/sounds_tab.h"

#include <gtest/gtest.h>

#include <optional>

#include "settings/settings_store.h"
#include "support/recording_platform.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace zul {
namespace {

class SoundsTest : public ::testing::Test {
protected:
    SoundsTest() : sounds(settings, player, dir.path()) {
        for (const char* name : {"click.wav", "rec.wav", "expand.wav", "tmrstart.wav", "tick.wav", "other.wav"})
            test::writeFile(dir / name, "RIFF");
    }
    windows::SoundsTabForm& openTab(windows::SoundsTabForm::Lookup lang = {}) {
        sounds.load();
        tab.emplace(sounds, dialogs, std::move(lang));
        tab->open();
        return *tab;
    }
    std::string file(const std::string& name) const { return (dir / name).string(); }
    std::string stored(const SettingKey& key) { return settings.read(key).value_or("<absent>"); }
    std::vector<std::string> files(std::initializer_list<const char*> names) const {
        std::vector<std::string> out;
        for (const char* n : names) out.push_back(file(n));
        return out;
    }

    test::TempDir dir;
    MemorySettings settings;
    test::RecordingSound player;
    Sounds sounds;
    test::ScriptedDialogs dialogs;
    std::optional<windows::SoundsTabForm> tab;
};

TEST_F(SoundsTest, SilentForNoneEmptyMissingFoldersAndTheMasterSwitch) {
    for (const auto& path : {std::string("none"), std::string(), file("gone.wav"), dir.path().string()})
        playSound(player, path);
    EXPECT_TRUE(player.played.empty());

    sounds.load();
    EXPECT_TRUE(sounds.on());
    sounds.setOn(false);
    sounds.play(SoundEvent::Click);
    sounds.playAlways(SoundEvent::Click); // ignores the switch
    sounds.setOn(true);
    std::filesystem::remove(dir / "rec.wav");
    sounds.play(SoundEvent::Recorded); // deleted from disk: silent, path kept
    EXPECT_EQ(sounds.path(SoundEvent::Recorded), file("rec.wav"));
    sounds.play(SoundEvent::Resize);
    EXPECT_EQ(player.played, files({"click.wav", "expand.wav"}));

    // A program folder without its own copy plays the file the program ships.
    test::ScopedHome home;
    test::writeFile(home.home() / "tick.wav", "RIFF");
    test::TempDir empty;
    const Sounds elsewhere(settings, player, empty.path());
    EXPECT_EQ(elsewhere.defaultPath(SoundEvent::MacroCommand), (home.home() / "tick.wav").string());
    EXPECT_EQ(elsewhere.defaultPath(SoundEvent::Click), (empty / "click.wav").string()); // none anywhere
}

TEST_F(SoundsTest, TimerSoundsNeedTheirFlagAndAFile) {
    sounds.load();
    writeSetting(settings, Setting::MacroCommandSoundOn, "0");
    sounds.playMacroCommand(); // box cleared
    sounds.playTimerStart();   // no key: ticked, as the timer window shows it
    writeSetting(settings, Setting::MacroCommandSoundOn, "1");
    writeSetting(settings, Setting::MacroCommandSound, "none");
    sounds.load();
    sounds.playMacroCommand();
    EXPECT_EQ(player.played, files({"tmrstart.wav"}));

    writeSetting(settings, Setting::MacroCommandSound, file("tick.wav"));
    sounds.load();
    sounds.playMacroCommand();
    writeSetting(settings, Setting::SoundsOn, "False");
    sounds.load();
    EXPECT_FALSE(sounds.on());
    sounds.playMacroCommand();
    EXPECT_EQ(player.played, files({"tmrstart.wav", "tick.wav"}));
}

TEST_F(SoundsTest, TabEditsItsOwnCopyUntilSaved) {
    auto& t = openTab();
    EXPECT_EQ(t.eventList(), (std::vector<std::string>{" Button Click", " Item gets Recorded", " Resize Window",
                                                       " Timer Starts", " Macro sends command"}));
    EXPECT_FALSE(t.buttonsEnabled());
    t.select(4);
    EXPECT_TRUE(t.buttonsEnabled());
    EXPECT_EQ(t.shownFile(), file("tick.wav"));
    t.noSound();
    EXPECT_TRUE(t.changed());
    EXPECT_EQ(sounds.path(SoundEvent::MacroCommand), file("tick.wav")); // not yet saved

    sounds.setOn(false);
    t.select(2);
    t.play(); // "Play" ignores the master switch
    EXPECT_EQ(player.played, files({"expand.wav"}));
}

TEST_F(SoundsTest, BrowseClicksThenAsksForAFile) {
    auto& t = openTab([](const std::string& s) { return s == " Button Click" ? " Klick" : s; });
    t.select(0);
    t.browse(); // cancelled
    EXPECT_FALSE(t.changed());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.last().title, "Sound Event -  Klick");
    EXPECT_EQ(dialogs.last().text, dir.path().string());
    EXPECT_EQ(player.played, files({"click.wav"}));

    dialogs.files = {file("other.wav")};
    t.browse();
    EXPECT_EQ(t.shownFile(), file("other.wav"));
    EXPECT_TRUE(t.changed());
}

TEST_F(SoundsTest, RestoreDefaultsAsksFirst) {
    writeSetting(settings, Setting::ResizeSound, "none");
    auto& t = openTab();
    t.select(1);
    t.noSound();
    t.askSaveOnClose();  // answered No
    t.restoreDefaults(); // answered No
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].title + "|" + dialogs.shown[0].text, "Sounds have Changed|Save changes before closing?");
    EXPECT_EQ(dialogs.last().title + "|" + dialogs.last().text,
              "Restore Default?|Are you sure you want to restore all sounds to the default settings?");
    EXPECT_EQ(t.shownFile(), "none");
    EXPECT_TRUE(player.played.empty());

    dialogs.answers = {Answer::Yes, Answer::Yes};
    t.restoreDefaults();
    EXPECT_EQ(t.shownFile(), file("rec.wav"));
    EXPECT_FALSE(t.changed());
    EXPECT_EQ(stored(Setting::ResizeSound), file("expand.wav"));
    EXPECT_EQ(player.played, files({"click.wav"}));
}

TEST_F(SoundsTest, SwitchesAreStoredAtOnce) {
    std::vector<std::string> told;
    auto& t = openTab();
    t.onTimerBoxes([&](bool ts, bool ms) { told.push_back(std::to_string(ts) + std::to_string(ms)); });
    t.setSoundsOn(true); // still opening: no click
    EXPECT_TRUE(player.played.empty());
    t.finishOpening();
    t.setSoundsOn(false);
    EXPECT_EQ(settings.read(Setting::SoundsOn), "False");
    EXPECT_FALSE(t.timerBoxesEnabled());
    t.setSoundsOn(true);
    EXPECT_EQ(settings.read(Setting::SoundsOn), "True");
    EXPECT_EQ(player.played, files({"click.wav"}));

    // Never stored, both boxes start ticked.
    t.setTimerStartBox(false);
    t.setMacroCommandBox(false);
    t.setTimerStartBox(true);
    EXPECT_EQ(told, (std::vector<std::string>{"01", "00", "10"}));
    EXPECT_EQ(stored(Setting::TimerStartSoundOn) + stored(Setting::MacroCommandSoundOn), "10");
    writeSetting(settings, Setting::TimerStartSoundOn, "0");
    t.reloadTimerBoxes();
    EXPECT_FALSE(t.timerStartBox());
}

} // namespace
} // namespace zul
