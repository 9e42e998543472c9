// The unit descriptions as the main window, the command line and the bridge
// share them, and the watch that lets a running copy see another process's writes.
#include <gtest/gtest.h>

#include "app/unit_descriptions.h"
#include "support/sim/virtual_event_loop.h"
#include "settings/record_store.h"
#include "support/temp_dir.h"

namespace zul::test {
namespace {

using app::UnitAddress;

TEST(UnitDescriptions, WritesAreKeptPerUnitAndOtherProcessesWritesAreSeen) {
    EXPECT_EQ(app::parseUnitAddress("p16"), (UnitAddress{16, 16}));
    for (const char* bad : {"Q3", "A17", "A0", "A03", "A", "3A", "A1x"})
        EXPECT_FALSE(app::parseUnitAddress(bad)) << bad;
    TempDir dir;
    RecordStore records;
    ASSERT_TRUE(records.open(dir / "db.zld"));
    app::UnitDescriptions units(records);
    std::vector<std::string> changes;
    units.changed.connect(
        [&](const UnitAddress& u, const std::string& t) { changes.push_back(app::unitName(u) + "=" + t); });

    ASSERT_TRUE(units.write({2, 3}, "Porch \"light\"").saved);
    EXPECT_EQ(records.readRecord(19, true), "B3## Porch light");
    EXPECT_EQ(units.read({2, 3}), "Porch light");
    const auto refused = units.write({2, 3}, std::string(300, 'x'));
    EXPECT_FALSE(refused.saved);
    EXPECT_EQ(refused.fits, 136); // "B3## " and 136 characters fill the 253 bytes once enciphered
    EXPECT_EQ(refused.message, "This description is too long.\nCharacters that fit: 136");
    EXPECT_EQ(units.read({2, 3}), "Porch light"); // nothing lost
    // What acts on a terminal or turns the text around, as C0 controls, C1
    // controls (U+009B) and the text-direction overrides (U+202E), or is no UTF-8.
    for (const char* hostile : {"a\tb",
                                "\xc2\x9b"
                                "2J",
                                "\xe2\x80\xaethgil", "\xe2\x81\xa6x", "\xff"}) {
        const auto result = units.write({2, 3}, hostile);
        EXPECT_FALSE(result.saved) << hostile;
        EXPECT_EQ(result.message,
                  "A description is one line of plain text, without control characters or text-direction marks.");
    }
    EXPECT_EQ(units.read({2, 3}), "Porch light");
    ASSERT_TRUE(units.write({16, 1}, "Cellar").saved);
    ASSERT_EQ(units.described().size(), 2u);
    EXPECT_EQ(units.described()[1].unit, (UnitAddress{16, 1}));

    sim::VirtualClock clock;
    sim::VirtualEventLoop loop(clock);
    units.watch(loop);
    loop.runFor(app::UnitDescriptions::FirstLookMs); // the first look takes stock silently
    {
        RecordStore other;
        ASSERT_TRUE(other.open(dir / "db.zld"));
        app::UnitDescriptions(other).write({2, 3}, "");
    }
    loop.runFor(app::UnitDescriptions::WatchMs + 10);
    EXPECT_EQ(changes, (std::vector<std::string>{"B3=Porch light", "P1=Cellar", "B3="}));
    EXPECT_EQ(units.read({2, 3}), "");
}

} // namespace
} // namespace zul::test
