#include <gtest/gtest.h>

#include <sys/stat.h>

#include <type_traits>

#include "settings/paths.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"

namespace zul {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempDir;

TEST(IniDocument, CaseInsensitivePersistentAndValuesKeptWhole) {
    TempDir dir;
    const auto file = dir / "cfg" / "settings.ini";
    {
        IniDocument s(file);
        EXPECT_EQ(s.read("Settings", "Language"), std::nullopt);
        EXPECT_TRUE(s.write("Settings", "Language", "German"));
        EXPECT_EQ(s.read("SETTINGS", "language"), "German");
        EXPECT_TRUE(s.write("settings", "LANGUAGE", "French"));
        EXPECT_TRUE(s.write("Macro", "LoopR", "a=b;c, d "));
        EXPECT_TRUE(s.write("Macro", "Empty", ""));
    }
    EXPECT_EQ(test::readFile(file), "[Settings]\nLanguage=French\n[Macro]\nLoopR=a=b;c, d \nEmpty=\n");
    IniDocument again(file);
    EXPECT_EQ(again.read("settings", "Language"), "French");
    EXPECT_EQ(again.read("Macro", "LoopR"), "a=b;c, d ");
    EXPECT_EQ(again.read("Macro", "Empty"), "");
    EXPECT_EQ(again.read("Macro", "Missing"), std::nullopt);
}

TEST(IniDocument, RewriteKeepsOtherSectionsCommentsAndOrder) {
    TempDir dir;
    const auto file = dir / "settings.ini";
    // "[]" heads a section no key is read from; it stays one when written back.
    test::writeFile(file, "\xEF\xBB\xBF; my notes\r\n[Sounds]\r\ndefsound=/a/click.wav\r\n\r\n"
                          "[Settings]\r\nMainLeft = 500\r\n[Database16]\r\nGrDelay=6\r\r\n[ ]\r\nstray=1\r\n");
    IniDocument s(file);
    EXPECT_EQ(s.read("settings", "mainleft"), " 500");
    ASSERT_TRUE(s.write("Sounds", "RecSound", "/a/rec.wav"));
    ASSERT_TRUE(s.write("Settings", "MainLeft", "700"));
    ASSERT_TRUE(s.write("ActiveWindow", "Handle", "12"));
    const std::string written = "; my notes\n[Sounds]\ndefsound=/a/click.wav\nRecSound=/a/rec.wav\n\n"
                                "[Settings]\nMainLeft=700\n[Database16]\nGrDelay=6\n[]\nstray=1\n"
                                "[ActiveWindow]\nHandle=12\n";
    EXPECT_EQ(test::readFile(file), written);
    IniDocument again(file);
    EXPECT_EQ(again.read("Database16", "GrDelay"), "6");
    EXPECT_EQ(again.read("Database16", "stray"), std::nullopt);
    EXPECT_EQ(again.text(), written);
    // Nothing but the final file is left in the folder.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST(IniDocument, RefusesWhatTheFileCannotHold) {
    TempDir dir;
    IniDocument s(dir / "settings.ini");
    EXPECT_FALSE(s.write("Settings", "Key", "two\nlines"));
    EXPECT_FALSE(s.write("Settings", "a=b", "x"));
    EXPECT_FALSE(s.write("Set]tings", "Key", "x"));
    EXPECT_FALSE(s.write("", "Key", "x"));
    EXPECT_FALSE(s.write("Settings", "", "x"));
    EXPECT_EQ(s.read("Settings", "Key"), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(dir / "settings.ini"));
}

TEST(IniSettingsStore, AFileThatCannotBeReadIsNeverWritten) {
    TempDir dir;
    fs::create_directory(dir / "folder.ini");
    ASSERT_EQ(::mkfifo((dir / "pipe.ini").c_str(), 0600), 0);
    test::writeFile(dir / "big.ini", "[Settings]\n" + std::string(IniSettingsStore::Limit.maxBytes, ';'));
    const std::pair<const char*, const char*> cases[] = {
        {"folder.ini", "it is a folder"},
        {"pipe.ini", "it is a named pipe"}, // opened as a stream, this blocked start-up for good
        {"big.ini", "it is larger than 1 MB; a settings file holds a few hundred short lines"},
        {"big.ini/settings.ini", "Not a directory"},
    };
    for (const auto& [name, reason] : cases) {
        IniSettingsStore s(dir / name);
        EXPECT_EQ(s.readProblem(), (dir / name).string() + ": " + reason);
        EXPECT_FALSE(s.write(Setting::SoundsOn, "False"));
        EXPECT_EQ(s.read(Setting::SoundsOn), "False"); // for this run, in memory
        EXPECT_EQ(settingsProblemText(s, true), "The settings could not be read: " + s.readProblem() +
                                                    "; Zulmarin runs on its default settings and leaves "
                                                    "the file as it is.");
    }
    EXPECT_TRUE(fs::is_directory(dir / "folder.ini"));
    EXPECT_TRUE(fs::is_fifo(dir / "pipe.ini"));
    EXPECT_EQ(fs::file_size(dir / "big.ini"), IniSettingsStore::Limit.maxBytes + 11);

    EXPECT_EQ(settingsProblemText(IniSettingsStore(dir / "fine.ini"), false), "");

    // A file its own reader takes is never rewritten into one it refuses.
    const std::string full = "[Settings]\n" + std::string(IniSettingsStore::Limit.maxBytes - 20, ';') + "\n";
    test::writeFile(dir / "full.ini", full);
    IniSettingsStore s(dir / "full.ini");
    ASSERT_EQ(s.readProblem(), "");
    EXPECT_FALSE(s.write(Setting::TimerLogAutoSave, "1"));
    EXPECT_EQ(s.read(Setting::TimerLogAutoSave), "1");
    EXPECT_EQ(s.writeProblem(), (dir / "full.ini").string() +
                                    ": it would be larger than 1 MB; a settings file holds a few hundred short lines");
    EXPECT_EQ(test::readFile(dir / "full.ini"), full);
}

// Only the settings table makes keys: a key spelt out at a call site does not compile.
static_assert(!std::is_constructible_v<SettingKey, std::string_view, std::string_view, std::string_view>);

TEST(WindowPosition, WholeNumbersElseTheKeysDefaultElseNoPlace) {
    MemorySettings m;
    const WindowPositionKeys main{Setting::MainLeft, Setting::MainTop};
    const WindowPositionKeys favourites{Setting::FavouritesLeft, Setting::FavouritesTop};
    EXPECT_EQ(storedWindowPosition(m, main), std::pair(500, 500));
    EXPECT_EQ(storedWindowPosition(m, favourites), std::nullopt);
    m.write(Setting::MainLeft, " 1234 ");
    m.write(Setting::MainTop, "12.5");
    m.write(Setting::FavouritesLeft, "-15");
    EXPECT_EQ(storedWindowPosition(m, main), std::pair(1234, 500));
    EXPECT_EQ(storedWindowPosition(m, favourites), std::nullopt) << "one edge is no place";
    storeWindowPosition(m, favourites, {-15, 99999});
    EXPECT_EQ(m.read(Setting::FavouritesLeft).value_or("") + "," + m.read(Setting::FavouritesTop).value_or(""),
              "-15,99999");
    EXPECT_EQ(storedWindowPosition(m, favourites), std::pair(-15, 99999));
}

TEST(Paths, OverridesFromTheEnvironmentThenTheStoredProgramFolderThenTheExecutables) {
    test::ScopedHome home;
    EXPECT_EQ(configFolder(), home.config());
    MemorySettings m;
    EXPECT_EQ(programFolder(m), home.home());
    EXPECT_TRUE(std::filesystem::is_directory(home.home()));
    EXPECT_FALSE(executableFolder().empty());

    // Without the override: the stored program folder, else the executable's.
    const ScopedEnv noOverride{{"ZULMARIN_HOME", std::nullopt}};
    TempDir dir;
    m.write(Setting::CurrentExePath, dir.path().string());
    EXPECT_EQ(programFolder(m), dir.path());
    m.write(Setting::CurrentExePath, (dir / "missing").string());
    EXPECT_EQ(programFolder(m), executableFolder()); // the build folder is writable
}

TEST(Paths, ShippedFilesComeFromTheProgramFolderTheExecutableOrAnInstalledPrefix) {
    TempDir dir;
    const auto bin = dir / "usr" / "bin", share = dir / "usr" / "share" / "zulmarin";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(share);
    std::filesystem::create_directories(dir / "home");
    EXPECT_EQ(installedDataFolder(bin), share);
    EXPECT_EQ(installedDataFolder(dir / "build"), ""); // a build folder has its files beside the executable
    using Folders = std::vector<std::filesystem::path>;
    EXPECT_EQ(shippedFolders(dir / "home", bin), (Folders{dir / "home", bin, share}));
    EXPECT_EQ(shippedFolders(bin, bin), (Folders{bin, share}));
}

} // namespace
} // namespace zul
