// The program run as an ordinary user (the tests run as root, who may read
// and write anything, so the program runs here as "nobody" through setpriv),
// and against files another user planted.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "process.h"
#include "settings/error_log.h"
#include "support/temp_dir.h"

namespace zul::test {
namespace {

namespace fs = std::filesystem;

// A folder of nobody's, or a file of nobody's with the given mode.
void giveToNobody(const fs::path& p, fs::perms mode) {
    ASSERT_EQ(::lchown(p.c_str(), kNobody, kNobody), 0) << p;
    fs::permissions(p, mode);
}

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

// The program's folders, and a home and runtime folder, all nobody's.
struct NobodysFolders {
    TempDir dir;
    RunOptions asNobody;
    NobodysFolders() {
        for (const char* name : {"config", "home", "user-home", "runtime"}) {
            fs::create_directory(dir / name);
            giveToNobody(dir / name, fs::perms(0700));
        }
        asNobody.user = kNobody;
        asNobody.env = {"HOME=" + (dir / "user-home").string(), "XDG_RUNTIME_DIR=" + (dir / "runtime").string()};
    }
};

TEST(OtherUser, StoresTheUserCannotReadAreNamedAndNeverReplaced) {
    NobodysFolders f;
    const fs::path settings = f.dir / "config" / "settings.ini", records = f.dir / "home" / "db.zld";
    const std::string settingsText = "[Settings]\nBitStateMicros=500\n";
    writeFile(settings, settingsText);
    giveToNobody(settings, fs::perms::none);
    writeFile(records, std::string(255, '\0'));
    giveToNobody(records, fs::perms::none);

    // Without --port the stored port is needed: the record store's own trouble is told, not "no port".
    const ProcessResult stored = runZulmarin(f.dir, {"send", "A", "1", "ON"}, f.asNobody);
    EXPECT_EQ(stored.rc, 1);
    EXPECT_EQ(stored.err, "zulmarin: The settings could not be read: " + settings.string() +
                              ": Permission denied; Zulmarin runs on its default settings and leaves the file as "
                              "it is.\nzulmarin: The record store cannot be opened: " +
                              records.string() + ": Permission denied\n");
    const ProcessResult sent = runZulmarin(f.dir, {"send", "A", "1", "ON", "--port", "sim"}, f.asNobody);
    EXPECT_EQ(sent.rc, 0) << sent.err;
    EXPECT_EQ(sent.out, "A1 ON\n");
    // One note of the unreadable settings for each run (the second run may
    // also note that its frames went out at normal priority).
    const auto notes = readErrorLog(f.dir / "home" / "error.log").entries;
    EXPECT_EQ(std::count_if(notes.begin(), notes.end(),
                            [](const auto& e) { return e.message.starts_with("The settings could not be read"); }),
              2);

    // The desktop program on a read-only settings file: its start-up writes are refused, not forced.
    fs::permissions(settings, fs::perms(0444));
    fs::remove(records);
    RunOptions desktop = f.asNobody;
    desktop.env.push_back("QT_QPA_PLATFORM=offscreen");
    // After its start-up writes it tells the user, once, that changes will not be kept.
    const std::string told = "The settings cannot be saved: " + settings.string() + ": Permission denied";
    const auto toldTimes = [&] {
        const auto logged = readErrorLog(f.dir / "home" / "error.log").entries;
        return std::count_if(logged.begin(), logged.end(),
                             [&](const auto& e) { return e.message.find(told) != std::string::npos; });
    };
    desktop.stopWhen = [&] { return toldTimes() > 0; };
    runZulmarin(f.dir, {}, desktop);
    EXPECT_TRUE(fs::exists(records));
    EXPECT_EQ(toldTimes(), 1);
    EXPECT_EQ(readFile(settings), settingsText);
    EXPECT_EQ(modeOf(settings), 0444u);
}

// The service as a user who may not write tmrdat.zul: a "One Time" timer
// runs once and the failed save of its "Never" is told on standard error,
// in the error log and the timer log. A timer file made unreadable and
// readable again (chmod changes no size, time or inode) is taken again, the
// "Never" is saved then, and the other timers run.
TEST(OtherUser, TheServiceTellsWhatItCannotSaveAndTakesTheFileBackAfterAChmod) {
    NobodysFolders f;
    const fs::path timers = f.dir / "home" / "tmrdat.zul";
    const std::time_t now = std::time(nullptr);
    const auto at = [now](int seconds) {
        const std::time_t t = now + seconds;
        std::tm tm{};
        localtime_r(&t, &tm);
        char text[16];
        std::snprintf(text, sizeof text, "%d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
        return std::string(text);
    };
    writeFile(timers, "\"A 1 ON*" + at(5) + "*One Time\"\r\n\"B 2 ON*" + at(14) + "*Everyday\"\r\n");
    giveToNobody(timers, fs::perms(0444));
    Spawned service(f.dir, {"service", "--port", "sim"}, f.asNobody, "service");
    const std::string told =
        "Timer 1 ran once, but its \"Never\" cannot be saved to " + timers.string() +
        ": Permission denied; it does not run again while Zulmarin runs, and the save is tried again";
    ASSERT_TRUE(waitUntil([&] { return service.err().find(told) != std::string::npos; })) << service.err();
    EXPECT_NE(service.out().find("Timer 1:  (A 1 ON) :  Success"), std::string::npos) << service.out();
    EXPECT_NE(service.out().find(told), std::string::npos); // the timer log's entry
    // The error log's cipher keeps no double quotes.
    const std::string logged = "Timer 1 ran once, but its Never cannot be saved to " + timers.string();
    EXPECT_TRUE(waitUntil([&] {
        const auto entries = readErrorLog(f.dir / "home" / "error.log").entries;
        return std::any_of(entries.begin(), entries.end(),
                           [&](const auto& e) { return e.message.find(logged) != std::string::npos; });
    }));

    fs::permissions(timers, fs::perms::none);
    EXPECT_TRUE(waitUntil([&] { return service.err().find("tmrdat.zul cannot be read") != std::string::npos; }));
    fs::permissions(timers, fs::perms(0644));
    EXPECT_TRUE(waitUntil([&] { return readFile(timers).find("A 1 ON*" + at(5) + "*Never") != std::string::npos; }))
        << readFile(timers);
    EXPECT_TRUE(service.waitForOutput("simulator: B2 ON", 15000)) << service.out();
    service.signal(SIGTERM);
    EXPECT_EQ(service.wait(), 0);
    const std::string err = service.err();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err; // each said once
    EXPECT_EQ(service.out().find("simulator: A1 ON"), service.out().rfind("simulator: A1 ON"));
}

TEST(OtherUser, AReadOnlyMacroIsNotReplacedAndAPlantedLinkIsNotFollowed) {
    NobodysFolders f;
    const fs::path mine = f.dir / "home" / "mine.cro";
    writeFile(mine, "\"01100000000000000001\"\r\n");
    giveToNobody(mine, fs::perms(0444));
    const ProcessResult refused = runZulmarin(f.dir, {"macro", "write", mine.string(), "B,2,OFF"}, f.asNobody);
    EXPECT_EQ(refused.rc, 1);
    EXPECT_NE(refused.err.find("Permission denied"), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(mine), "\"01100000000000000001\"\r\n");

    // A folder others may write to, where nobody plants a link under the
    // temporary name a write by that process would once have used.
    const fs::path shared = f.dir / "shared", victim = f.dir / "victim.txt";
    fs::create_directory(shared);
    giveToNobody(shared, fs::perms(0777));
    writeFile(victim, "precious");
    RunOptions planted;
    planted.beforeStart = [&](pid_t pid) {
        const fs::path link = shared / ("x.cro.tmp" + std::to_string(pid));
        ASSERT_EQ(runAsNobody("ln -s " + victim.string() + " " + link.string()), 0);
    };
    const ProcessResult written =
        runZulmarin(f.dir, {"macro", "write", (shared / "x.cro").string(), "A,1,ON"}, planted);
    EXPECT_EQ(written.rc, 0) << written.err;
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_FALSE(fs::is_symlink(shared / "x.cro"));
    EXPECT_EQ(readFile(shared / "x.cro"), "\"01100000000000000001\"\r\n");
}

} // namespace
} // namespace zul::test
