#include <gtest/gtest.h>

#include "run_rig.h"

using namespace zul;
using namespace zul::test;

namespace {

void makeExecutable(const std::filesystem::path& p) {
    writeFile(p, "#!/bin/sh\n");
    std::filesystem::permissions(p, std::filesystem::perms::owner_all);
}
} // namespace

TEST(RunTimerCommand, GroupEntriesStartTheGroupThroughTheMainWindow) {
    RunRig rig;
    rig.table.setEntry(1, "GROUP 2 ON");
    rig.log.setStatus(1, "Timer 2", 0);
    rig.start(1); // not a macro: startTimer hands it on
    EXPECT_EQ(rig.groups, (std::vector<std::pair<int, std::string>>{{1, "ON"}}));
    EXPECT_EQ(rig.log.text(),
              CrLf + CrLf + "2024-06-03 12:00:00" + CrLf + "\tTimer 2:  (GROUP 2 ON) :  Success" + CrLf);
    EXPECT_EQ(rig.log.statusLines()[1].text, "Timer 2\tSuccess");
    EXPECT_EQ(rig.log.statusLines()[1].colour, 0x0000FFu);
    EXPECT_EQ(rig.indicator, (std::vector<bool>{true, false}));
    EXPECT_FALSE(rig.shared.StartPending);
    EXPECT_TRUE(rig.port.decoder().texts().empty());

    // The translated word for "Group", in any case.
    rig.table.setEntry(0, "gruppe 8 off");
    TimerEngine german{
        TimerEngineParts{rig.loop, rig.clock, rig.tx, rig.shared, rig.table, rig.log, rig.settings, rig.sounds,
                         rig.errors, rig.desktop, rig.dialogs, rig.stopAll,
                         LangLookup{[](const std::string& s) { return s == "Group" ? "Gruppe" : s; }}},
        TimerEngineHooks{[&](int g, const std::string& a) { rig.groups.emplace_back(g, a); }, {}, {}, {}}};
    german.runTimerCommand(0);
    EXPECT_EQ(rig.groups.back(), (std::pair<int, std::string>{7, "OFF"}));
}

TEST(RunTimerCommand, SingleCommandIsSentAtOnceNotQueued) {
    RunRig rig;
    rig.table.setEntry(0, "a 11 off");
    const std::int64_t t0 = rig.ms();
    rig.engine.runTimerCommand(0);
    EXPECT_EQ(rig.port.decoder().texts(), (std::vector<std::string>{"A11 OFF"}));
    EXPECT_LT(rig.ms() - t0, 200); // settle time and bits only
    EXPECT_TRUE(rig.shared.frameQueue.empty());
    EXPECT_NE(rig.log.text().find("(a 11 off) :  Success"), std::string::npos);
}

TEST(RunTimerCommand, UnknownEntriesAreErrorsAndSendNothing) {
    RunRig rig;
    for (const char* entry : {"GROUP 9 ON", "GROUP 2 DIM", "Q 1 ON", "A 1 DIM", "switch on the lights please"}) {
        rig.table.setEntry(0, entry);
        rig.log.setStatus(0, "", 0);
        rig.engine.runTimerCommand(0);
        EXPECT_EQ(rig.log.statusLines()[0].text, "\tError") << entry;
        EXPECT_EQ(rig.log.statusLines()[0].colour, 0xC0E0FFu);
    }
    EXPECT_TRUE(rig.groups.empty());
    EXPECT_TRUE(rig.port.decoder().texts().empty());
    EXPECT_NE(rig.log.text().find(CrLf + CrLf + "2024-06-03 12:00:00" + CrLf +
                                  "Timer 1: Error - switch on the lights please" + CrLf),
              std::string::npos);
    EXPECT_FALSE(rig.engine.indicatorShown());
}

TEST(RunTimerCommand, ProgramsStartWithTheirArguments) {
    RunRig rig;
    makeExecutable(rig.dir / "tool.exe");
    makeExecutable(rig.dir / "backup");
    writeFile(rig.dir / "notes.txt", "hello");
    rig.table.setEntry(0, (rig.dir / "tool.exe").string() + " -x now");
    rig.table.setEntry(1, (rig.dir / "backup").string() + " --fast");
    rig.table.setEntry(2, "notes.txt"); // relative: in the program folder; not a program, so opened
    rig.start(0);                       // ".exe" goes straight to runTimerCommand
    rig.start(1);
    rig.start(2);
    using Started = std::vector<std::pair<std::string, std::vector<std::string>>>;
    EXPECT_EQ(rig.desktop.started,
              (Started{{(rig.dir / "tool.exe").string(), {"-x", "now"}}, {(rig.dir / "backup").string(), {"--fast"}}}));
    EXPECT_EQ(rig.desktop.opened, (std::vector<std::string>{(rig.dir / "notes.txt").string()}));
    EXPECT_EQ(rig.countInLog("Success"), 3);
}

TEST(CroSend, RelativeNonMacroOrMissingPathsSendOnlyTheLeadIn) {
    RunRig rig;
    rig.macro("m.cro", {{A1On, "0001"}});
    rig.engine.currentPath = (rig.dir / "notes.txt").string();
    rig.engine.croSend(); // not a macro: nothing more, no message
    EXPECT_EQ(rig.dialogs.shown.size(), 0u);
    rig.engine.currentPath = "m.cro";
    rig.engine.croSend();
    ASSERT_EQ(rig.dialogs.count(ScriptedDialogs::Kind::Message), 1u);
    EXPECT_EQ(rig.dialogs.last().text, "Path not found!");
    // A missing macro file goes to the error log.
    rig.engine.currentPath = (rig.dir / "gone.cro").string();
    rig.engine.croSend();
    EXPECT_EQ(rig.port.decoder().texts(), (std::vector<std::string>{"lead-in", "lead-in", "lead-in"}));
    EXPECT_EQ(rig.endOfRuns, 0);
    const auto entries = readErrorLog(rig.errors.file()).entries;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries.front().message.find("CroSend (Send Macro) on frmTimers"), std::string::npos);
}

TEST(CroSend, PlaysTheMacroWithItsRowWaitsThenTheTrailer) {
    RunRig rig;
    rig.engine.currentPath = rig.macro("m.cro", {{A1On, "0001"}, {A1Off, "00.3"}, {B2On, "0002"}});
    rig.engine.croSend();
    EXPECT_EQ(rig.port.decoder().texts(),
              (std::vector<std::string>{"lead-in", "A1 ON", "A1 OFF", "B2 ON", "trailer", "trailer"}));
    const auto f = rig.frames();
    // Between frames: 0.05 s, the pause less 0.12 s (at least 0.16 s), 0.05 s,
    // then the next frame's 70 ms settle and 40 ms of bits.
    EXPECT_EQ(f[1].second - f[0].second, 50 + 880 + 50 + 110);
    EXPECT_EQ(f[2].second - f[1].second, 50 + 180 + 50 + 110);
    EXPECT_EQ(rig.endOfRuns, 1);
}
