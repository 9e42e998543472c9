#include <gtest/gtest.h>

#include "settings/language.h"
#include "settings/settings_store.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace zul {
namespace {

using test::TempDir;
using test::writeFile;

TEST(ReadIni, PrivateProfileRulesAndTheLengthCap) {
    TempDir dir;
    const auto file = dir / "x.ini";
    writeFile(file, "\xEF\xBB\xBF[Labels & Captions]\r\n"
                    "a=b=c;d\r\n"
                    "  Spaced Key  =  spaced value  \r\n"
                    "Quoted=\" kept blanks \"\r\n"
                    "a=second is ignored\r\n"
                    "no equals sign\r\n"
                    "[t-Tips]\nClose Program=Programm beenden\n");
    EXPECT_EQ(readIni("Labels & Captions", "a", "", file), "b=c;d");
    EXPECT_EQ(readIni("Labels & Captions", "Spaced Key", "", file), "spaced value");
    EXPECT_EQ(readIni("Labels & Captions", "Quoted", "", file), " kept blanks ");
    EXPECT_EQ(readIni("Labels & Captions", "no equals sign", "def", file), "def");
    EXPECT_EQ(readIni("Labels & Captions", "Close Program", "def", file), "def");
    EXPECT_EQ(readIni("labels & captions", "A", "def", dir / "missing.ini"), "def");

    // Values are capped at 2048 bytes, on a character boundary.
    writeFile(dir / "x.ini", "[S]\nlong=" + std::string(3000, 'x') + "\nwide=" + std::string(2047, 'x') + "\xC3\xA4\n");
    EXPECT_EQ(readIni("S", "long", "", dir / "x.ini"), std::string(2048, 'x'));
    EXPECT_EQ(readIni("S", "wide", "", dir / "x.ini"), std::string(2047, 'x'));
}

TEST(Language, CaptionsAndTipsWithFallbackAndReload) {
    TempDir dir;
    const Language lang(Language::activeFileIn(dir.path()));
    EXPECT_EQ(lang.langCaption("E&xit"), "E&xit"); // no file: English
    EXPECT_EQ(lang.langTip("Close Program"), " Close Program ");

    writeFile(lang.file(), "[Labels & Captions]\nE&xit=&Beenden\nEmpty=\n[t-Tips]\nClose Program=Programm beenden\n");
    EXPECT_EQ(lang.langCaption("e&XIT"), "&Beenden");
    EXPECT_EQ(lang.langCaption("&Timers"), "&Timers");
    EXPECT_EQ(lang.langCaption("Empty"), "Empty");
    EXPECT_EQ(lang.langTip("Close Program"), " Programm beenden ");

    writeFile(lang.file(), "[Labels & Captions]\nE&xit=&Quitter, longer\n");
    EXPECT_EQ(lang.langCaption("E&xit"), "&Quitter, longer");
    std::filesystem::remove(lang.file());
    EXPECT_EQ(lang.langCaption("E&xit"), "E&xit");
}

TEST(Language, ShippedGermanFileHasBothSections) {
    const Language lang(std::filesystem::path(ZUL_SOURCE_DIR) / "data" / "German.lan");
    EXPECT_EQ(lang.langCaption("&Timers"), "&Timer");
    EXPECT_EQ(lang.langTip("Close Program"), " Programm beenden ");
}

std::vector<std::string> captions(const std::vector<LanguageMenuEntry>& menu) {
    std::vector<std::string> out;
    for (const auto& e : menu) out.push_back(e.caption + (e.checked ? "*" : ""));
    return out;
}

TEST(LanguageMenu, EnglishFirstThenNamesUpToTheFirstDot) {
    TempDir dir;
    writeFile(dir / "language.ini", "");
    writeFile(dir / "notes.txt", "");
    EXPECT_TRUE(languageMenu({dir.path()}, "English").empty()); // no .lan: menu hidden

    writeFile(dir / "Pt.br.lan", "");
    writeFile(dir / "German.lan", "");
    writeFile(dir / "English.lan", "");
    writeFile(dir / "dutch.lan", "");
    EXPECT_EQ(captions(languageMenu({dir.path()}, "Pt")),
              (std::vector<std::string>{"English", "dutch", "German", "Pt*"}));
    EXPECT_EQ(captions(languageMenu({dir.path()}, "english")),
              (std::vector<std::string>{"English*", "dutch", "German", "Pt"}));

    // The files the program ships come after the program folder's own.
    TempDir shipped;
    writeFile(shipped / "German.lan", "");
    writeFile(shipped / "Italiano.lan", "");
    const auto menu = languageMenu({dir.path(), shipped.path()}, "");
    EXPECT_EQ(captions(menu), (std::vector<std::string>{"English", "dutch", "German", "Italiano", "Pt"}));
    EXPECT_EQ(menu[2].file, dir / "German.lan");
    EXPECT_EQ(menu[3].file, shipped / "Italiano.lan");
}

class LanguageChoiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(dir / "Pt.br.lan", "[Labels & Captions]\nE&xit=Sair\n");
        writeFile(dir / "German.lan", "[Labels & Captions]\nE&xit=&Beenden\n");
    }
    LanguageChoice choose(const std::string& caption, bool timerRunning) {
        for (const auto& e : languageMenu({dir.path()}, ""))
            if (e.caption == caption)
                return chooseLanguage(e, dir.path(), settings, dialogs, lang, [=] { return timerRunning; });
        ADD_FAILURE() << caption;
        return {};
    }
    TempDir dir;
    MemorySettings settings;
    test::ScriptedDialogs dialogs;
    Language lang{Language::activeFileIn(dir.path())};
};

TEST_F(LanguageChoiceTest, NoRestartStillSwitchesTheFileAndSetting) {
    EXPECT_EQ(choose("German", true).next, AfterLanguageChoice::Nothing);
    EXPECT_EQ(test::readFile(dir / "language.ini"), "[Labels & Captions]\nE&xit=&Beenden\n");
    EXPECT_EQ(settings.read(Setting::Language), "German");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.last().text,
              "You must restart Zulmarin for these changes to fully take place.\nWould you like to restart ZUL now?");
    EXPECT_EQ(dialogs.last().title, "Restart Now ?");

    // English has no file of its own: the translation goes.
    choose("English", false);
    EXPECT_FALSE(std::filesystem::exists(dir / "language.ini"));
    EXPECT_EQ(lang.langCaption("E&xit"), "E&xit");
    EXPECT_EQ(settings.read(Setting::Language), "English");
}

TEST_F(LanguageChoiceTest, RestartAsksAboutARunningTimer) {
    dialogs.answers = {Answer::Yes};
    EXPECT_EQ(choose("Pt", false).next, AfterLanguageChoice::Restart);
    EXPECT_EQ(lang.langCaption("E&xit"), "Sair"); // Pt.br.lan serves the entry "Pt"
    EXPECT_EQ(dialogs.shown.size(), 1u);

    dialogs.answers = {Answer::Yes, Answer::Yes};
    EXPECT_EQ(choose("German", true).next, AfterLanguageChoice::WaitForTimersThenRestart);
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.last().text,
              "It appears that a timer is running!\nWould you like to wait for the timer to finish before restarting?");
    EXPECT_EQ(dialogs.last().title, "Zulmarin");

    dialogs.answers = {Answer::Yes, Answer::No};
    EXPECT_EQ(choose("German", true).next, AfterLanguageChoice::Restart);
}

} // namespace
} // namespace zul
