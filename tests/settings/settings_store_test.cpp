#include <gtest/gtest.h>

#include "settings/paths.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"

namespace zul {
namespace {

using test::TempDir;

TEST(IniSettingsStore, CaseInsensitivePersistentAndValuesKeptWhole) {
    TempDir dir;
    const auto file = dir / "cfg" / "settings.ini";
    {
        IniSettingsStore s(file);
        EXPECT_EQ(ReadSetting(s, "Settings", "Language", "English"), "English");
        EXPECT_TRUE(s.write("Settings", "Language", "German"));
        EXPECT_EQ(ReadSetting(s, "SETTINGS", "language", ""), "German");
        EXPECT_TRUE(s.write("settings", "LANGUAGE", "French"));
        EXPECT_TRUE(s.write("Macro", "LoopR", "a=b;c, d "));
        EXPECT_TRUE(s.write("Macro", "Empty", ""));
    }
    EXPECT_EQ(test::readFile(file), "[Settings]\nLanguage=French\n[Macro]\nLoopR=a=b;c, d \nEmpty=\n");
    IniSettingsStore again(file);
    EXPECT_EQ(ReadSetting(again, "settings", "Language", ""), "French");
    EXPECT_EQ(again.read("Macro", "LoopR"), "a=b;c, d ");
    EXPECT_EQ(again.read("Macro", "Empty"), "");
    EXPECT_EQ(again.read("Macro", "Missing"), std::nullopt);
}

TEST(IniSettingsStore, RewriteKeepsOtherSectionsCommentsAndOrder) {
    TempDir dir;
    const auto file = dir / "settings.ini";
    test::writeFile(file, "\xEF\xBB\xBF; my notes\r\n[Sounds]\r\ndefsound=/a/click.wav\r\n\r\n"
                          "[Settings]\r\nMainLeft = 500\r\n[Database16]\r\nGrDelay=6\r\n");
    IniSettingsStore s(file);
    EXPECT_EQ(s.read("settings", "mainleft"), " 500");
    ASSERT_TRUE(s.write("Sounds", "RecSound", "/a/rec.wav"));
    ASSERT_TRUE(s.write("Settings", "MainLeft", "700"));
    ASSERT_TRUE(s.write("ActiveWindow", "Handle", "12"));
    EXPECT_EQ(test::readFile(file), "; my notes\n[Sounds]\ndefsound=/a/click.wav\nRecSound=/a/rec.wav\n\n"
                                    "[Settings]\nMainLeft=700\n[Database16]\nGrDelay=6\n"
                                    "[ActiveWindow]\nHandle=12\n");
    // Nothing but the final file is left in the folder.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST(IniSettingsStore, RefusesWhatTheFileCannotHold) {
    TempDir dir;
    IniSettingsStore s(dir / "settings.ini");
    EXPECT_FALSE(s.write("Settings", "Key", "two\nlines"));
    EXPECT_FALSE(s.write("Settings", "a=b", "x"));
    EXPECT_FALSE(s.write("Set]tings", "Key", "x"));
    EXPECT_FALSE(s.write("", "Key", "x"));
    EXPECT_FALSE(s.write("Settings", "", "x"));
    EXPECT_EQ(s.read("Settings", "Key"), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(dir / "settings.ini"));
}

TEST(IniSettingsStore, UnwritableFileReportsFailureButKeepsTheValue) {
    TempDir dir;
    test::writeFile(dir / "blocker", "");
    IniSettingsStore s(dir / "blocker" / "settings.ini");
    EXPECT_FALSE(s.write("Settings", "Sounds", "False"));
    EXPECT_EQ(s.read("Settings", "Sounds"), "False");
    EXPECT_FALSE(s.write("Settings", "Sounds", "False"));  // still not on disk
}

TEST(Paths, OverridesFromTheEnvironment) {
    test::ScopedHome home;
    EXPECT_EQ(configFolder(), home.config());
    MemorySettings m;
    EXPECT_EQ(programFolder(m), home.home());
    EXPECT_TRUE(std::filesystem::is_directory(home.home()));
    EXPECT_FALSE(executableFolder().empty());
}

TEST(Paths, StoredProgramFolderThenExecutableFolder) {
    test::ScopedHome home;
    ::unsetenv("ZULMARIN_HOME");
    TempDir dir;
    MemorySettings m;
    m.write("Database16", "CurrentExePath", dir.path().string());
    EXPECT_EQ(programFolder(m), dir.path());
    m.write("Database16", "CurrentExePath", (dir / "missing").string());
    EXPECT_EQ(programFolder(m), executableFolder());  // the build folder is writable
}

TEST(Paths, ShippedFilesComeFromTheProgramFolderTheExecutableOrAnInstalledPrefix) {
    TempDir dir;
    const auto bin = dir / "usr" / "bin", share = dir / "usr" / "share" / "zulmarin";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(share);
    std::filesystem::create_directories(dir / "home");
    EXPECT_EQ(installedDataFolder(bin), share);
    EXPECT_EQ(installedDataFolder(dir / "build"), "");  // a build folder has its files beside the executable
    using Folders = std::vector<std::filesystem::path>;
    EXPECT_EQ(shippedFolders(dir / "home", bin), (Folders{dir / "home", bin, share}));
    EXPECT_EQ(shippedFolders(bin, bin), (Folders{bin, share}));
}

} // namespace
} // namespace zul
