#include "settings/sounds.h"

#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "platform/sound_player.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"

namespace zul {
namespace {

struct RecordingPlayer : SoundPlayer {
    std::vector<std::string> played;
    void play(const std::string& path) override { played.push_back(path); }
};

// Remembers the order of writes on top of an in-memory store.
struct RecordingSettings : MemorySettings {
    std::vector<std::string> written;
    bool write(const std::string& section, const std::string& key, const std::string& value) override {
        written.push_back(section + "/" + key);
        return MemorySettings::write(section, key, value);
    }
};

struct ScriptedDialogs : Dialogs {
    Answer answer = Answer::No;
    std::optional<std::string> chosenFile;
    std::vector<std::string> log;
    void info(const InfoBox&) override {}
    void message(const std::string&, const std::string&) override {}
    Answer question(const std::string& text, const std::string& title, bool withCancel) override {
        log.push_back("question " + title + "|" + text + (withCancel ? "|cancel" : ""));
        return answer;
    }
    std::optional<std::string> input(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> openFile(const std::string& title, const std::string& folder,
                                        const std::vector<FileFilter>& filters) override {
        std::string text = "open " + title + "|" + folder;
        for (const auto& f : filters) text += "|" + f.description + "=" + f.patterns.at(0);
        log.push_back(text);
        return chosenFile;
    }
    std::optional<std::string> saveFile(const std::string&, const std::string&, const std::vector<FileFilter>&) override {
        return {};
    }
};

class SoundsTest : public ::testing::Test {
protected:
    SoundsTest() : sounds(settings, player, dir.path()) {
        for (const char* name : {"click.wav", "rec.wav", "expand.wav", "tmrstart.wav", "tick.wav", "other.wav"})
            test::writeFile(dir / name, "RIFF");
    }
    std::string file(const std::string& name) const { return (dir / name).string(); }
    std::string stored(const std::string& key) { return ReadSetting(settings, "Sounds", key, "<absent>"); }

    test::TempDir dir;
    RecordingSettings settings;
    RecordingPlayer player;
    Sounds sounds;
    ScriptedDialogs dialogs;
};

TEST_F(SoundsTest, PlaySoundIsSilentForNoneEmptyMissingAndFolders) {
    PlaySound(player, "none");
    PlaySound(player, "");
    PlaySound(player, file("gone.wav"));
    PlaySound(player, dir.path().string());
    EXPECT_TRUE(player.played.empty());
    PlaySound(player, file("tick.wav"));
    EXPECT_EQ(player.played, std::vector<std::string>{file("tick.wav")});
}

TEST_F(SoundsTest, EventsDefaultToTheirFilesInTheProgramFolder) {
    sounds.load();
    EXPECT_TRUE(sounds.on());
    EXPECT_EQ(sounds.path(SoundEvent::Click), file("click.wav"));
    EXPECT_EQ(sounds.path(SoundEvent::Recorded), file("rec.wav"));
    EXPECT_EQ(sounds.path(SoundEvent::Resize), file("expand.wav"));
    EXPECT_EQ(sounds.path(SoundEvent::TimerStart), file("tmrstart.wav"));
    EXPECT_EQ(sounds.path(SoundEvent::MacroCommand), file("tick.wav"));

    WriteSetting(settings, "Sounds", "defsound", file("other.wav"));
    WriteSetting(settings, "Sounds", "RECSOUND", "none");
    WriteSetting(settings, "Settings", "Sounds", "False");
    sounds.load();
    EXPECT_FALSE(sounds.on());
    EXPECT_EQ(sounds.path(SoundEvent::Click), file("other.wav"));
    EXPECT_EQ(sounds.path(SoundEvent::Recorded), "none");
    EXPECT_EQ(sounds.path(SoundEvent::Resize), file("expand.wav"));
}

TEST_F(SoundsTest, TheMasterSwitchSilencesEventsButNotPlayAlways) {
    sounds.load();
    sounds.setOn(false);
    sounds.play(SoundEvent::Click);
    EXPECT_TRUE(player.played.empty());
    sounds.playAlways(SoundEvent::Click);
    sounds.setOn(true);
    std::filesystem::remove(dir / "rec.wav");
    sounds.play(SoundEvent::Recorded);  // deleted from disk: silent, path kept
    EXPECT_EQ(sounds.path(SoundEvent::Recorded), file("rec.wav"));
    sounds.play(SoundEvent::Resize);
    EXPECT_EQ(player.played, (std::vector<std::string>{file("click.wav"), file("expand.wav")}));
}

TEST_F(SoundsTest, TimerSoundsNeedTheirFlagAndAFile) {
    sounds.load();
    sounds.playMacroCommand();  // no key: off
    sounds.playTimerStart();
    EXPECT_TRUE(player.played.empty());
    sounds.playTimerStart(true);  // a caller that counts a missing key as on
    EXPECT_EQ(player.played.size(), 1u);

    WriteSetting(settings, "Sounds", "TimerMsound", "1");
    WriteSetting(settings, "Sounds", "defMsound", "none");
    sounds.load();
    sounds.playMacroCommand();
    EXPECT_EQ(player.played.size(), 1u);

    WriteSetting(settings, "Sounds", "defMsound", file("tick.wav"));
    sounds.load();
    sounds.playMacroCommand();
    sounds.setOn(false);
    sounds.playMacroCommand();
    EXPECT_EQ(player.played, (std::vector<std::string>{file("tmrstart.wav"), file("tick.wav")}));
}

TEST_F(SoundsTest, TabListsEventsAndEditsItsOwnCopy) {
    sounds.load();
    SoundsTab tab(sounds, dialogs);
    tab.open();
    EXPECT_EQ(tab.eventList(), (std::vector<std::string>{" Button Click", " Item gets Recorded", " Resize Window",
                                                          " Timer Starts", " Macro sends command"}));
    EXPECT_FALSE(tab.buttonsEnabled());
    tab.select(4);
    EXPECT_TRUE(tab.buttonsEnabled());
    EXPECT_EQ(tab.shownFile(), file("tick.wav"));
    tab.noSound();
    EXPECT_EQ(tab.shownFile(), "none");
    EXPECT_TRUE(tab.changed());
    EXPECT_EQ(sounds.path(SoundEvent::MacroCommand), file("tick.wav"));  // not yet saved

    settings.written.clear();
    tab.save();
    EXPECT_FALSE(tab.changed());
    EXPECT_EQ(settings.written, (std::vector<std::string>{"Sounds/defSound", "Sounds/RecSound", "Sounds/defTsound",
                                                          "Sounds/defMsound", "Sounds/defZSound"}));
    EXPECT_EQ(stored("defmsound"), "none");
    EXPECT_EQ(sounds.path(SoundEvent::MacroCommand), "none");

    sounds.setOn(false);
    tab.select(2);
    tab.play();  // "Play" ignores the master switch
    EXPECT_EQ(player.played, std::vector<std::string>{file("expand.wav")});
}

TEST_F(SoundsTest, BrowseClicksThenAsksForAFile) {
    sounds.load();
    SoundsTab tab(sounds, dialogs, [](const std::string& s) { return s == " Button Click" ? " Klick" : s; });
    tab.open();
    tab.select(0);
    tab.browse();  // cancelled
    EXPECT_FALSE(tab.changed());
    ASSERT_EQ(dialogs.log.size(), 1u);
    EXPECT_EQ(dialogs.log[0], "open Sound Event -  Klick|" + dir.path().string() +
                                  "|All Files (*.*)=*.*|Sound Files (*.wav)=*.wav");
    EXPECT_EQ(player.played, std::vector<std::string>{file("click.wav")});

    dialogs.chosenFile = file("other.wav");
    tab.browse();
    EXPECT_EQ(tab.shownFile(), file("other.wav"));
    EXPECT_TRUE(tab.changed());
}

TEST_F(SoundsTest, RestoreDefaultsAsksFirst) {
    WriteSetting(settings, "Sounds", "defZSound", "none");
    sounds.load();
    SoundsTab tab(sounds, dialogs);
    tab.open();
    tab.select(1);
    tab.noSound();
    tab.askSaveOnClose();  // answered No
    tab.restoreDefaults();  // answered No
    EXPECT_EQ(dialogs.log, (std::vector<std::string>{
                               "question Sounds have Changed|Save changes before closing?",
                               "question Restore Default?|Are you sure you want to restore all sounds to the default "
                               "settings?"}));
    EXPECT_EQ(tab.shownFile(), "none");
    EXPECT_TRUE(tab.changed());
    EXPECT_TRUE(player.played.empty());

    dialogs.answer = Answer::Yes;
    tab.restoreDefaults();
    EXPECT_EQ(tab.shownFile(), file("rec.wav"));
    EXPECT_FALSE(tab.changed());
    EXPECT_EQ(stored("defZSound"), file("expand.wav"));
    EXPECT_EQ(sounds.path(SoundEvent::Resize), file("expand.wav"));
    EXPECT_EQ(player.played, std::vector<std::string>{file("click.wav")});

    tab.noSound();
    tab.askSaveOnClose();  // Yes saves
    EXPECT_EQ(stored("RecSound"), "none");
}

TEST_F(SoundsTest, SwitchesAreStoredAtOnce) {
    sounds.load();
    SoundsTab tab(sounds, dialogs);
    std::vector<std::string> told;
    tab.onTimerBoxes([&](bool t, bool m) { told.push_back(std::to_string(t) + std::to_string(m)); });
    tab.open();
    tab.setSoundsOn(true);  // still opening: no click
    EXPECT_TRUE(player.played.empty());
    tab.finishOpening();
    tab.setSoundsOn(false);
    EXPECT_EQ(ReadSetting(settings, "Settings", "Sounds", ""), "False");
    EXPECT_FALSE(tab.timerBoxesEnabled());
    tab.setSoundsOn(true);
    EXPECT_EQ(ReadSetting(settings, "Settings", "Sounds", ""), "True");
    EXPECT_EQ(player.played, std::vector<std::string>{file("click.wav")});

    tab.setTimerStartBox(true);
    tab.setMacroCommandBox(true);
    tab.setTimerStartBox(false);
    EXPECT_EQ(told, (std::vector<std::string>{"10", "11", "01"}));
    EXPECT_EQ(stored("TimerTsound"), "0");
    EXPECT_EQ(stored("TimerMsound"), "1");
    WriteSetting(settings, "Sounds", "TimerTsound", "1");
    tab.reloadTimerBoxes();
    EXPECT_TRUE(tab.timerStartBox());
    EXPECT_EQ(tab.onOffText(true), "ON");
}

} // namespace
} // namespace zul
