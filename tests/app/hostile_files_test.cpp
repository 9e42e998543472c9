// Every reader of the program's files, given what is not one of its files: a
// named pipe (opening it to read would wait for a writer for ever), a device
// that never ends, a folder, and a file far larger than any real one. Each
// must come back at once, say it read nothing, and leave the thing alone.
// (The settings and record stores meet the same in their own tests.)
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

#include "macros/group_file.h"
#include "macros/macro_file.h"
#include "platform/atomic_file.h"
#include "settings/error_log.h"
#include "settings/language.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "timers/timer_file.h"
#include "timers/timer_log.h"
#include "timers/timer_table.h"

namespace zul {
namespace {

namespace fs = std::filesystem;

// Puts a hostile thing at path; returns a short name for messages.
using Plant = std::function<void(const fs::path&)>;

const std::pair<const char*, Plant> kHostile[] = {
    {"pipe", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
    {"endless device", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }},
    {"folder", [](const fs::path& p) { fs::create_directory(p); }},
    {"40 MB",
     [](const fs::path& p) {
         test::writeFile(p, "");
         fs::resize_file(p, 40 * 1024 * 1024); // sparse: beyond every reader's limit
     }},
};

// A reader: the file it reads in folder, and whether it took anything from it.
struct Reader {
    const char* name;
    const char* file;
    std::function<bool(const fs::path& folder, const fs::path& file)> read;
};

const Reader kReaders[] = {
    {"macro for playing", "m.cro", [](auto&, auto& f) { return macros::readMacroForPlay(f).opened; }},
    {"group file", "file0.grp", [](auto&, auto& f) { return macros::readGroupFile(f).has_value(); }},
    {"group label written", "file0.grp", [](auto&, auto& f) { return !macros::goGrLabel("p", f, "Hall").empty(); }},
    {"timer file", "tmrdat.zul",
     [](auto& folder, auto&) {
         TimerTable table(folder);
         MemorySettings settings;
         return !loadTimerTable(table, settings);
     }},
    {"timer log trimmed", "TimerLog.log",
     [](auto&, auto& f) {
         fixFileSize(f, 0);
         return false; // what matters: it came back and left the file alone
     }},
    {"error log", "error.log", [](auto&, auto& f) { return readErrorLog(f).problem.empty(); }},
    {"language file", "language.ini", [](auto&, auto& f) { return IniFile().load(f); }},
};

TEST(HostileFiles, EveryReaderRefusesWhatIsNotItsFileAndLeavesItAlone) {
    for (const auto& [kind, plant] : kHostile) {
        for (const Reader& reader : kReaders) {
            test::TempDir dir;
            const fs::path file = dir / reader.file;
            plant(file);
            const auto before = fs::symlink_status(file).type();
            EXPECT_FALSE(reader.read(dir.path(), file)) << reader.name << " read a " << kind;
            EXPECT_EQ(fs::symlink_status(file).type(), before) << reader.name << " replaced a " << kind;
        }
    }
}

} // namespace
} // namespace zul
