#include <gtest/gtest.h>

#include <sys/stat.h>

#include <tuple>

#include "settings/cipher.h"
#include "settings/record_store.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"

namespace zul {
namespace {

using test::TempDir;

class RecordStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(store.open(dir / "db.zld")); }
    TempDir dir;
    RecordStore store;
};

TEST_F(RecordStoreTest, UnwrittenRecordsReadEmptyAndBadNumbersAreRefused) {
    ASSERT_TRUE(store.writeRecord(3, "x", true));
    for (int n : {271, 2, 4, 0, -5}) EXPECT_EQ(store.readRecord(n, true), "") << n;
    EXPECT_FALSE(store.writeRecord(0, "x", true));
    EXPECT_FALSE(store.writeRecord(RecordStore::MaxRecordNumber + 1, "x", true));
    RecordStore closed;
    EXPECT_FALSE(closed.writeRecord(1, "x", true));
    EXPECT_EQ(closed.readRecord(1, true), "");
}

TEST_F(RecordStoreTest, LayoutIsLengthLittleEndianThenBytesAtA255Stride) {
    ASSERT_TRUE(store.writeRecord(3, "True", false));
    store.close();
    const std::string bytes = test::readFile(dir / "db.zld");
    ASSERT_EQ(bytes.size(), 3u * 255u);
    EXPECT_EQ(bytes.substr(0, 510), std::string(510, '\0')); // records 1 and 2: empty
    EXPECT_EQ(bytes.substr(510, 6), std::string("\x04\x00True", 6));
    EXPECT_EQ(bytes.substr(516), std::string(255 - 6, '\0'));

    ASSERT_TRUE(store.open(dir / "db.zld"));
    ASSERT_TRUE(store.writeRecord(1, std::string(253, 'a'), false));
    store.close();
    const std::string again = test::readFile(dir / "db.zld");
    EXPECT_EQ(again.substr(0, 2), std::string("\xFD\x00", 2));
    EXPECT_EQ(again.size(), 3u * 255u);
}

TEST_F(RecordStoreTest, AnotherProcesssWriteIsTakenUpAndNeverWrittenOver) {
    ASSERT_TRUE(store.writeRecord(1, "mine", false));
    RecordStore other; // zulmarin units describe, while the program runs
    ASSERT_TRUE(other.open(dir / "db.zld"));
    ASSERT_TRUE(other.writeRecord(2, "theirs", false));
    EXPECT_EQ(store.readRecord(2, false), ""); // read whole when opened
    ASSERT_TRUE(store.writeRecord(3, "mine too", false));
    EXPECT_EQ(store.readRecord(2, false), "theirs"); // the write took it up first
    ASSERT_TRUE(other.writeRecord(2, "again", false));
    const auto before = store.generation();
    EXPECT_TRUE(store.refresh());
    EXPECT_FALSE(store.refresh());
    EXPECT_GT(store.generation(), before);
    EXPECT_EQ(store.readRecord(2, false) + "|" + store.readRecord(3, false), "again|mine too");
}

TEST_F(RecordStoreTest, OverlongValueIsRefusedAndTheOldRecordStays) {
    ASSERT_TRUE(store.writeRecord(2, "old", true));
    EXPECT_EQ(store.readRecord(2, false), cipherText(false, "old")); // stored enciphered
    // 141 plain bytes encipher to 251, 142 to 254.
    EXPECT_TRUE(store.writeRecord(5, std::string(141, 'b'), true));
    const auto r = store.writeRecord(2, std::string(142, 'b'), true);
    EXPECT_FALSE(r.ok || r.error.empty());
    EXPECT_EQ(r.fitsChars, 141);
    EXPECT_EQ(store.readRecord(2, true), "old");

    // Double quotes are dropped by the cipher, so they cost nothing.
    const auto q = store.writeRecord(2, "\"\"" + std::string(150, 'b'), true);
    EXPECT_EQ(q.fitsChars, 143);
    // A UTF-8 character is never split: 140 'b' then two-byte characters.
    const auto u = store.writeRecord(2, std::string(140, 'b') + "\xC3\xA4\xC3\xA4", true);
    EXPECT_EQ(u.fitsChars, 140);
    const auto plain = store.writeRecord(2, std::string(254, 'c'), false);
    EXPECT_FALSE(plain.ok);
    EXPECT_EQ(plain.fitsChars, 253);
    EXPECT_EQ(store.readRecord(2, true), "old");
}

TEST_F(RecordStoreTest, DamagedFileReadsSafely) {
    store.close();
    // A length claiming more than the record holds, and a torn last record.
    test::writeFile(dir / "db.zld", std::string("\xFF\xFFhello", 7));
    ASSERT_TRUE(store.open(dir / "db.zld"));
    EXPECT_EQ(store.readRecord(1, false), "hello");
    ASSERT_TRUE(store.writeRecord(2, "next", false));
    EXPECT_EQ(store.readRecord(2, false), "next");
    EXPECT_EQ(test::readFile(dir / "db.zld").size(), 510u);
}

TEST(RecordStore, AStoreThatCannotBeOpenedSaysWhyAndTakesNoWrites) {
    TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directory(dir / "folder.zld");
    ASSERT_EQ(::mkfifo((dir / "pipe.zld").c_str(), 0600), 0);
    test::writeFile(dir / "big.zld", "");
    fs::resize_file(dir / "big.zld", RecordStore::Limit.maxBytes + 1);
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"folder.zld", true, "it is a folder"},
        {"pipe.zld", true, "it is a named pipe"},
        {"big.zld", true, "it is larger than 16 MB; the record store holds at most 65535 records of 255 bytes"},
        {"missing.zld", false, "No such file or directory"}, // only reading creates nothing
    };
    for (const auto& [name, forWriting, reason] : cases) {
        RecordStore store;
        EXPECT_FALSE(store.open(dir / name, forWriting)) << name;
        EXPECT_EQ(recordStoreProblemText(store),
                  "The record store cannot be opened: " + (dir / name).string() + ": " + reason);
        EXPECT_FALSE(store.writeRecord(1, "x", true));
    }
    EXPECT_FALSE(fs::exists(dir / "missing.zld"));
    RecordStore reader;
    ASSERT_TRUE(reader.open(dir / "missing.zld")); // for writing: created empty
    EXPECT_EQ(fs::file_size(dir / "missing.zld"), 0u);
}

TEST(RecordStorePath, ProgramFolderFileElseTheStoredPathWrittenBack) {
    TempDir dir;
    MemorySettings settings;
    const auto standard = dir.path() / "db.zld";
    EXPECT_EQ(recordStorePath(settings, dir.path()), standard);
    EXPECT_EQ(readSetting(settings, Setting::DataFile), standard.string());

    const auto elsewhere = (dir.path() / "other.zld").string();
    writeSetting(settings, Setting::DataFile, elsewhere);
    EXPECT_EQ(recordStorePath(settings, dir.path()), elsewhere);

    test::writeFile(standard, "");
    EXPECT_EQ(recordStorePath(settings, dir.path()), standard);
    EXPECT_EQ(readSetting(settings, Setting::DataFile), standard.string());
}

} // namespace
} // namespace zul
