#include <gtest/gtest.h>

#include "support/sim/virtual_clock.h"
#include "settings/cipher.h"
#include "settings/error_log.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"

namespace zul {
namespace {

using test::TempDir;

TEST(ErrorLog, TwoErrorsGiveTwoThreeLineEntriesInOrder) {
    TempDir dir;
    sim::VirtualClock clock(DateTime{2024, 6, 3, 12, 0, 5, 0});
    ErrorLog log(dir.path(), clock);
    EXPECT_EQ(log.file(), dir / "error.log");
    EXPECT_FALSE(log.logError("cmdON_MouseDown", "frmFire", 5, "Invalid procedure call or argument"));
    clock.advanceMs(61000);
    EXPECT_FALSE(log.logError("Sub Main", "modX, X**", std::make_error_code(std::errc::no_such_file_or_directory)));

    const std::string first =
        cipherText(false, "Error 5 (Invalid procedure call or argument), cmdON_MouseDown on frmFire");
    const std::string second = cipherText(false, "Error 2 (No such file or directory), Sub Main on modX, X**");
    EXPECT_EQ(test::readFile(log.file()), "\r\nLogged:  2024-06-03 12:00:05\r\n\t" + first + "\r\n" +
                                              "\r\nLogged:  2024-06-03 12:01:06\r\n\t" + second + "\r\n");

    const auto read = readErrorLog(log.file());
    EXPECT_EQ(read.problem, "");
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[0].logged, "2024-06-03 12:00:05");
    EXPECT_EQ(read.entries[1].message, "Error 2 (No such file or directory), Sub Main on modX, X**");

    // Tabs and line breaks stay inside the one enciphered line.
    std::filesystem::remove(log.file());
    ASSERT_FALSE(log.writeErrorLog("line one\r\nline\ttwo\n"));
    const std::string bytes = test::readFile(log.file());
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 3);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\t'), 1);
    EXPECT_EQ(readErrorLog(log.file()).entries.at(0).message, "line one\r\nline\ttwo\n");
}

TEST(ErrorLog, ANoteRepeatedByEveryStartIsKeptOnce) {
    TempDir dir;
    sim::VirtualClock clock;
    ErrorLog log(dir.path(), clock);
    auto note = [&] { EXPECT_FALSE(log.logErrorOnce("SendBits", "modX10", 1, "refused")); };
    note();
    note();
    log.logError("Sub Main", "modX, X**", 2, "other");
    note(); // said again after something else
    const auto entries = readErrorLog(log.file()).entries;
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].message, entries[2].message);
    EXPECT_EQ(entries[2].message, "Error 1 (refused), SendBits on modX10");
}

// The file never outgrows what its reader (zulmarin errorlog) takes: an
// entry that would take it past 16 MB first drops the oldest entries, also
// of a file that grew past that before.
TEST(ErrorLog, TheOldestEntriesGoBeforeTheFileOutgrowsItsReader) {
    TempDir dir;
    sim::VirtualClock clock(DateTime{2024, 6, 3, 12, 0, 5, 0});
    ErrorLog log(dir.path(), clock);
    const std::string old = "\r\nLogged:  2024-01-01 00:00:00\r\n\t" + cipherText(false, "old") + "\r\n";
    for (const std::uintmax_t size : {ErrorLog::Limit.maxBytes - 10, ErrorLog::Limit.maxBytes + 4 * 1024 * 1024}) {
        std::string bytes;
        while (bytes.size() + old.size() <= size) bytes += old;
        test::writeFile(log.file(), bytes);
        ASSERT_FALSE(log.writeErrorLog("new"));
        EXPECT_LE(std::filesystem::file_size(log.file()), ErrorLog::Limit.maxBytes);
        const auto read = readErrorLog(log.file());
        ASSERT_EQ(read.problem, "") << size;
        EXPECT_EQ(read.entries.front().message, "old");
        EXPECT_EQ(read.entries.back().message, "new");
        EXPECT_EQ(read.entries.back().logged, "2024-06-03 12:00:05");
    }
}

TEST(ErrorLog, FailuresAreReportedAndTheReaderSkipsWhatIsNoEntry) {
    TempDir dir;
    sim::VirtualClock clock;
    ErrorLog log(dir / "missing-folder", clock);
    EXPECT_TRUE(log.writeErrorLog("lost"));
    EXPECT_EQ(readErrorLog(log.file()).problem, "No such file or directory");
    EXPECT_EQ(readErrorLog(dir.path()).problem, "it is a folder");
    std::filesystem::create_directory(dir / "error.log");
    EXPECT_EQ(ErrorLog(dir.path(), clock).writeErrorLog("x"), FileError::NotRegularFile);
    std::filesystem::remove(dir / "error.log");

    test::writeFile(dir / "error.log", "junk\nLogged:  2024-01-01 00:00:00\nnot tabbed\n\nLogged:  x\n\t" +
                                           cipherText(false, "ok") + "\nLogged:  at the end\n");
    const auto read = readErrorLog(dir / "error.log");
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(read.entries[0].logged, "x");
    EXPECT_EQ(read.entries[0].message, "ok");
    // Text without a single entry is no error log; an empty file is an empty one.
    test::writeFile(dir / "error.log", std::string("\x7f"
                                                   "ELF\0\0\n\n",
                                                   8));
    EXPECT_EQ(readErrorLog(dir / "error.log").problem, "it holds no error log entries");
    test::writeFile(dir / "error.log", "\r\n");
    EXPECT_EQ(readErrorLog(dir / "error.log").problem, "");
}

} // namespace
} // namespace zul
