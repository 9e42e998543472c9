// Files written by Windows programs keep their text in the single-byte
// Windows-1252 code page. Every reader of text takes such a file as that code
// page, and what the program writes back is UTF-8.
#include <gtest/gtest.h>

#include "macros/group_file.h"
#include "settings/language.h"
#include "settings/record_store.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "timers/timer_file.h"
#include "timers/timer_table.h"

namespace zul {
namespace {

using test::readFile;
using test::writeFile;

TEST(WindowsFiles, SingleByteTextIsReadAsWindows1252AndWrittenBackAsUtf8) {
    test::TempDir dir;
    // A group label ("Café lights", é as the byte 0xE9), also when the label is rewritten.
    writeFile(dir / "file1.grp", "\"Group 2, Caf\xE9 lights\"\r\n\"0110000000000000\"\r\n");
    EXPECT_EQ(macros::readGroupFile(dir / "file1.grp")->label, "Caf\xC3\xA9 lights");
    macros::goGrLabel("p", dir / "file1.grp",
                      "Caf\xC3\xA9 \xE2\x80\x9C"
                      "B\xC3\xBChne\xE2\x80\x9D");
    EXPECT_EQ(readFile(dir / "file1.grp"), "\"Group 2, Caf\xC3\xA9 \xE2\x80\x9C"
                                           "B\xC3\xBChne\xE2\x80\x9D\"\r\n\"0110000000000000\"\r\n");

    // Settings, written back whole in UTF-8.
    writeFile(dir / "settings.ini", "[Settings]\r\nCityName=Z\xFCrich\r\n");
    IniSettingsStore settings(dir / "settings.ini");
    EXPECT_EQ(settings.read(Setting::CityName), "Z\xC3\xBCrich");
    settings.write(Setting::Language, "English");
    EXPECT_EQ(readFile(dir / "settings.ini"), "[Settings]\nCityName=Z\xC3\xBCrich\nLanguage=English\n");

    // A language file.
    writeFile(dir / "language.ini", "[Labels & Captions]\r\nSetup=Einstellungen \x84"
                                    "f\xFCr alle\x93\r\n");
    IniFile language;
    ASSERT_TRUE(language.load(dir / "language.ini"));
    EXPECT_EQ(language.value("Labels & Captions", "Setup"), "Einstellungen \xE2\x80\x9E"
                                                            "f\xC3\xBCr alle\xE2\x80\x9C");

    // The timer table.
    writeFile(dir / "tmrdat.zul", "\"Caf\xE9.cro*7:00:00*Everyday\"\r\n");
    TimerTable table(dir.path());
    MemorySettings memory;
    ASSERT_FALSE(loadTimerTable(table, memory));
    EXPECT_EQ(table.timer(0).entry, "Caf\xC3\xA9.cro");

    // A unit description in the record store keeps the store's byte layout.
    RecordStore store;
    ASSERT_TRUE(store.open(dir / "db.zld"));
    ASSERT_TRUE(store.writeRecord(3, "A3## Caf\xE9", true).ok);
    EXPECT_EQ(store.readRecord(3, true), "A3## Caf\xC3\xA9");
    ASSERT_TRUE(store.writeRecord(4, "A4## Caf\xC3\xA9", true).ok);
    EXPECT_EQ(store.readRecord(4, true), "A4## Caf\xC3\xA9");
}

} // namespace
} // namespace zul
