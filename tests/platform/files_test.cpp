// The writer every data file goes through (the readers meet hostile files in
// the app tests), and the text helpers that cut files into lines and show
// their bytes on a terminal.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/text.h"
#include "support/temp_dir.h"

namespace zul {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr FileLimit kSmall{16, "a test file is short"};

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(WriteFileAtomically, KeepsModeWritesThroughLinksAndLeavesNoTemporaryFile) {
    TempDir dir;
    const fs::path file = dir / "data.txt";
    const mode_t mask = ::umask(022);
    ASSERT_FALSE(writeFileAtomically(file, "one"));
    EXPECT_EQ(modeOf(file), 0644u);
    fs::permissions(file, fs::perms(0600));
    ASSERT_FALSE(writeFileAtomically(file, "two"));
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(test::readFile(file), "two");

    // A link stays a link and its file gets the bytes, also when it dangles.
    fs::create_directory(dir / "real");
    fs::create_symlink("real/target.txt", dir / "link.txt");
    ASSERT_FALSE(writeFileAtomically(dir / "link.txt", "through"));
    ASSERT_FALSE(writeFileAtomically(dir / "link.txt", "again"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(test::readFile(dir / "real" / "target.txt"), "again");

    // What is no regular file is never replaced.
    fs::create_directory(dir / "folder");
    EXPECT_EQ(writeFileAtomically(dir / "folder", "x"), FileError::NotRegularFile);
    EXPECT_TRUE(fs::is_directory(dir / "folder"));

    // Appending keeps the bytes already there and refuses what is too large to read.
    ASSERT_FALSE(appendFileAtomically(file, "+more", kSmall));
    EXPECT_EQ(test::readFile(file), "two+more");
    test::writeFile(file, std::string(20, 'x'));
    EXPECT_EQ(appendFileAtomically(file, "y", kSmall), FileError::TooLarge);
    ::umask(mask);

    int entries = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir.path()))
        entries += !e.is_symlink() && e.is_regular_file();
    EXPECT_EQ(entries, 2);  // data.txt and real/target.txt
}

TEST(Text, LinesAndPrintableForms) {
    const std::pair<std::string, std::vector<std::string>> lines[] = {
        {"a\r\nb", {"a", "b"}},
        {"a\n\n", {"a", ""}},
        {"\r", {}},
        {"\xEF\xBB\xBF\xEF\xBB\xBFx\r", {"x"}},
    };
    for (const auto& [bytes, expected] : lines) EXPECT_EQ(splitLines(bytes), expected) << printable(bytes);

    const std::pair<std::string, std::string> shown[] = {
        {"two\nlines\tand\r", "two\\nlines\\tand\\r"},
        {"\x1b[31mred", "\\x1b[31mred"},
        {"K\xC3\xBC" "che \xE2\x82\xAC", "K\xC3\xBC" "che \xE2\x82\xAC"},  // UTF-8 stays
        {"\xC2\x9B" "2J", "\\xc2\\x9b2J"},                          // a C1 control
        {"a\xE2\x80\xAE" "b\xE2\x81\xA9", "a\\xe2\\x80\\xaeb\\xe2\\x81\\xa9"},     // text-direction controls
        {"\xE2\x80\x8F\xE2\x80\xAF", "\xE2\x80\x8F\xE2\x80\xAF"},          // a mark and a space stay
        {"\xFF\xC3", "\\xff\\xc3"},                                  // not UTF-8
        {"\xE0\x80\xAF", "\\xe0\\x80\\xaf"},                         // an overlong form
        {std::string("nul\0", 4), "nul\\x00"},
    };
    for (const auto& [text, expected] : shown) EXPECT_EQ(printable(text), expected);
}

} // namespace
} // namespace zul
