#include "macros/backup.h"

#include <gtest/gtest.h>

#include "support/sim/virtual_clock.h"
#include "support/numbered.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace zul::macros {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::ScriptedDialogs;
using test::TempDir;
using test::writeFile;

struct BackupTest : ::testing::Test {
    TempDir dir;
    ScriptedDialogs dialogs;
    sim::VirtualClock clock;
    MacroBackup backup{dir.path(), dialogs, clock};
    std::vector<std::string> log; // progress window calls

    BackupTest() {
        backup.progress.open = [this](int max, const std::string& m) {
            log.push_back("open " + std::to_string(max) + " " + m);
        };
        backup.progress.advance = [this](int v, const std::string& f, int delay) {
            log.push_back("advance " + std::to_string(v) + " " + f + " " + std::to_string(delay));
        };
        backup.progress.finish = [this](const std::string& m) { log.push_back("finish " + m); };
    }
    fs::path folder() const { return dir / "backup"; }
    std::vector<std::string> makeMacros(int n) {
        std::vector<std::string> names;
        for (int i = 0; i < n; ++i) {
            names.push_back(test::numbered("m", i, ".cro"));
            writeFile(dir / names.back(), "\"0110000000000000 1.0\"\r\n" + std::to_string(i));
        }
        return names;
    }
};

TEST_F(BackupTest, BackupAllCopiesEveryMacroWritesTheMarkerAndHidesTheFolder) {
    EXPECT_FALSE(backup.restoreButtonsEnabled());
    const auto names = makeMacros(5);
    EXPECT_EQ(backup.backupAll(names), 5);
    for (const auto& n : names) EXPECT_EQ(readFile(folder() / n), readFile(dir / n));
    EXPECT_EQ(readFile(folder() / "readme.txt"),
              "\"File last updated:  2024-06-03 12:00:00\"\r\n\r\n"
              "\"This folder is not automatically removed when you uninstall ZUL.  To remove, close this file and "
              "then delete the whole folder.\"\r\n");
    ASSERT_EQ(log.size(), 7u);
    EXPECT_EQ(log[0], "open 50 Backing up macro files...\r\n\r\nnow copying ..");
    EXPECT_EQ(log[5], "advance 50 m4.cro 2000");
    EXPECT_EQ(log[6], "finish Backup Complete\r\n\r\n5 file(s) copied");
    EXPECT_TRUE(isFolderHidden(folder()));
    EXPECT_EQ(readFile(dir / ".hidden"), "backup\n");
    EXPECT_TRUE(backup.restoreButtonsEnabled());
    EXPECT_EQ(backup.backupList(), names);

    // The next backup finds the folder as it left it and goes ahead.
    EXPECT_EQ(backup.backupAll(names), 5);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(BackupTest, FilesThatCannotBeCopiedArePassedOverAndTheBackupSaysItIsIncomplete) {
    auto names = makeMacros(2);
    names.insert(names.begin() + 1, "gone.cro");
    names.push_back("../outside.cro");
    EXPECT_EQ(backup.backupAll(names), 2);
    EXPECT_EQ(log.back(), "finish Backup incomplete\r\n\r\n2 of 4 file(s) copied");
    EXPECT_FALSE(fs::exists(dir.path().parent_path() / "outside.cro"));
}

TEST_F(BackupTest, AnUnhiddenBackupFolderBlocksWithAccessErrorThenWorks) {
    const auto names = makeMacros(1);
    fs::create_directory(folder());
    writeFile(folder() / "readme.txt", "x");
    int listRefreshes = 0;
    backup.onBackupListChanged = [&] { ++listRefreshes; };
    EXPECT_FALSE(backup.backupAll(names));
    ASSERT_EQ(dialogs.count(ScriptedDialogs::Kind::Message), 1u);
    EXPECT_EQ(dialogs.last().text, "Access Error:  Please try again.");
    EXPECT_FALSE(fs::exists(folder() / "m0.cro"));
    EXPECT_EQ(readFile(folder() / "readme.txt"), "x");
    EXPECT_TRUE(isFolderHidden(folder()));
    EXPECT_EQ(listRefreshes, 1);
    EXPECT_TRUE(log.empty());

    EXPECT_FALSE(backup.backupOne(std::nullopt));
    EXPECT_EQ(dialogs.last().text, "Please select a macro to backup");
    EXPECT_TRUE(backup.backupOne(std::string("m0.cro")));
    EXPECT_EQ(backup.status(), "BACKED UP m0.cro");
    EXPECT_TRUE(fs::exists(folder() / "m0.cro"));
}

TEST_F(BackupTest, ALinkedBackupFolderIsNeverTrusted) {
    TempDir elsewhere;
    writeFile(elsewhere / "readme.txt", "x");
    fs::create_directory_symlink(elsewhere.path(), folder());
    ASSERT_TRUE(setFolderHidden(folder(), true));
    makeMacros(1);
    EXPECT_FALSE(backup.backupOne(std::string("m0.cro")));
    EXPECT_EQ(dialogs.last().text, "Access Error:  Please try again.");
    EXPECT_FALSE(fs::exists(elsewhere / "m0.cro"));
}

TEST_F(BackupTest, AFolderThatCannotBeCreatedEndsAsAFailedBackup) {
    writeFile(folder(), "a file where the folder should be");
    EXPECT_EQ(backup.backupAll(makeMacros(2)), 0);
    ASSERT_EQ(dialogs.count(ScriptedDialogs::Kind::Message), 1u);
    EXPECT_EQ(dialogs.last().title, "Failed");
    EXPECT_EQ(dialogs.last().text, "Couldn't create backup folder");
    EXPECT_EQ(log.back(), "finish Backup failed\r\n\r\nCouldn't create backup folder");
    EXPECT_FALSE(backup.restoreButtonsEnabled());
    EXPECT_FALSE(backup.backupOne(std::string("m0.cro")));
    EXPECT_EQ(backup.status(), "");
    EXPECT_EQ(readFile(folder()), "a file where the folder should be");
}

TEST_F(BackupTest, RestoreOneReplacesWithoutAQuestionAndEndsRestoreMode) {
    const auto names = makeMacros(1);
    backup.backupAll(names);
    writeFile(dir / "m0.cro", "changed");
    bool macroListRefreshed = false;
    backup.onMacroListChanged = [&] { macroListRefreshed = true; };
    backup.toggleRestore();
    EXPECT_EQ(backup.restoreCaption(), "Cancel Restore");
    backup.selectBackup("m0.cro");
    EXPECT_EQ(backup.status(), "BACKUP  m0.cro");
    ASSERT_TRUE(backup.restoreOne("m0.cro"));
    EXPECT_EQ(readFile(dir / "m0.cro"), readFile(folder() / "m0.cro"));
    EXPECT_EQ(backup.status(), "RESTORED FROM BACKUP  m0.cro");
    EXPECT_FALSE(backup.restoreMode());
    EXPECT_TRUE(macroListRefreshed);
    EXPECT_TRUE(dialogs.shown.empty());

    EXPECT_FALSE(backup.restoreOne("missing.cro"));
    EXPECT_EQ(dialogs.last().title, "Restore a Macro");
    EXPECT_EQ(dialogs.last().text, "Error restoring file, please try again.");
}

TEST_F(BackupTest, RestoreAllAsksOnceAndRoundTripsEveryBackup) {
    const auto names = makeMacros(3);
    backup.backupAll(names);
    for (const auto& n : names) writeFile(dir / n, "lost edit");
    log.clear();

    dialogs.answers = {Answer::No};
    EXPECT_FALSE(backup.restoreAll());
    EXPECT_EQ(readFile(dir / "m1.cro"), "lost edit");

    dialogs.answers = {Answer::Yes};
    EXPECT_EQ(backup.restoreAll(), 3);
    EXPECT_EQ(dialogs.count(ScriptedDialogs::Kind::Question), 2u);
    EXPECT_EQ(dialogs.last().title, "Restore Backed Up Macros?");
    EXPECT_EQ(dialogs.last().text,
              "This action will overwrite any current macros with the same name.\r\nDo you want to continue?");
    EXPECT_EQ(readFile(dir / "m2.cro"), "\"0110000000000000 1.0\"\r\n2");
    EXPECT_EQ(log.front(), "open 30 Restore Backup\r\n\r\nRestoring ...\r\n");
    EXPECT_EQ(log.back(), "finish \r\n\r\nRestore complete\r\n3 files restored");
    EXPECT_EQ(backup.status(), "Restore complete: 3 files restored");

    fs::remove(dir / "m1.cro");
    fs::create_directory(dir / "m1.cro"); // a folder of that name cannot be replaced by the file
    dialogs.answers = {Answer::Yes};
    EXPECT_EQ(backup.restoreAll(), 2);
    EXPECT_EQ(log.back(), "finish \r\n\r\nRestore incomplete\r\n2 of 3 files restored");
}

TEST_F(BackupTest, DeleteFullBackupRemovesTheFolderAndDisablesRestore) {
    backup.backupAll(makeMacros(2));
    writeFile(dir / ".hidden", "Music\nbackup\n");
    dialogs.answers = {Answer::No};
    EXPECT_FALSE(backup.deleteFullBackup(dir.path()));
    EXPECT_TRUE(fs::exists(folder()));

    bool left = false;
    backup.onLeaveBackupFolder = [&] { left = true; };
    dialogs.answers = {Answer::Yes};
    EXPECT_TRUE(backup.deleteFullBackup(folder()));
    EXPECT_TRUE(left);
    EXPECT_EQ(dialogs.last().title, "Delete All Backups?");
    EXPECT_EQ(dialogs.last().text, "This will delete ALL macros in the backup folder!\r\nDo you want to continue?");
    EXPECT_FALSE(fs::exists(folder()));
    EXPECT_FALSE(backup.restoreButtonsEnabled());
    EXPECT_EQ(readFile(dir / ".hidden"), "Music\n");
    EXPECT_TRUE(fs::exists(dir / "m0.cro"));
}

} // namespace
} // namespace zul::macros
