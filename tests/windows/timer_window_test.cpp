#include "windows/timer_window.h"

#include <gtest/gtest.h>

#include <memory>

#include "timers/timer_rig.h"

namespace zul::test {
namespace {

using Kind = ScriptedDialogs::Kind;

struct TimerWindowTest : ::testing::Test {
    TimerRig rig{DateTime{2024, 6, 3, 12, 0, 0}}; // a Monday
    EngineRig engine{rig};
    std::unique_ptr<windows::TimerWindowForm> window;

    void open(const std::vector<std::string>& lines = {}) {
        rig.load(lines, false);
        window = std::make_unique<windows::TimerWindowForm>(
            windows::TimerWindowParts{rig.service, rig.settings, rig.dialogs, engine.sounds, rig.clock});
    }
    std::string file() const { return readFile(rig.home / "tmrdat.zul"); }
    const std::string& log() { return rig.service.log().text(); }
};

TEST(StartTimePicker, FieldsWrapMinutesCarryAndTheTextMatchesTheClock) {
    using P = windows::StartTimePicker;
    windows::StartTimePicker p;
    p.sync(DateTime{2024, 6, 3, 23, 59, 0});
    p.step(P::Minutes, 1); // 59 -> 00 moves the hour on
    EXPECT_EQ(p.text(), "0:00:00");
    p.step(P::Minutes, -1); // and 00 -> 59 back
    EXPECT_EQ(p.text(), "23:59:00");
    p.step(P::Hours, 1);
    p.step(P::Seconds, -1); // hours and seconds wrap on their own
    EXPECT_EQ(p.text(), "0:59:59");
    EXPECT_EQ(p.fieldText(P::Minutes), "59");
    p.setTwelveHour(true);
    EXPECT_EQ(p.field(P::Hours), 12);
    p.step(P::Hours, 1); // 12 wraps to 1, AM stays
    EXPECT_EQ(p.text(), "1:59:59 AM");
    p.step(P::Minutes, 1);
    EXPECT_EQ(p.text(), "2:00:59 AM");
    p.step(P::Hours, -2);
    p.setPm(true);
    EXPECT_EQ(p.text(), "12:00:59 PM");
    p.step(P::Minutes, -1); // back across noon
    EXPECT_EQ(p.text(), "11:59:59 AM");
    EXPECT_FALSE(p.setField(P::Hours, 0));
}

TEST_F(TimerWindowTest, RowButtonsFillTheRowWithTheDefaultDaysAndWriteTheSummary) {
    open();
    window->setRunDef(1);
    EXPECT_EQ(rig.settings.read(Setting::RunDefault), "1");
    window->picker().sync(DateTime{2024, 6, 3, 19, 5, 9});
    window->putMacroAndTime(2, "porch.cro");
    EXPECT_EQ(window->entry(2), "porch.cro");
    EXPECT_EQ(window->start(2), "19:05:09");
    EXPECT_EQ(window->days(2), DaysRule::Weekdays);
    EXPECT_EQ(rig.service.table().runEntries()[2], (rig.home / "porch.cro").string());
    EXPECT_NE(log().find("\r\nTimer 3: porch.cro  Set For Weekdays, at 19:05:09\t(" +
                         (rig.home / "porch.cro").string() + ")\r\nTimer 4: Empty  Set For Never , at Not Set!\t( )"),
              std::string::npos)
        << log();
    EXPECT_NE(log().find("\r\nLoop Timer -  OFF  (not set, not set)"), std::string::npos);

    window->putMacro(2, "hall.cro"); // the time and the days stay
    window->picker().step(windows::StartTimePicker::Hours, 1);
    window->putTime(2);
    EXPECT_EQ(window->start(2), "20:05:09");
    EXPECT_EQ(window->days(2), DaysRule::Weekdays);
    // Without a macro the row cannot keep a days rule.
    window->putMacro(2, "");
    EXPECT_EQ(window->days(2), DaysRule::NotSet);
    EXPECT_FALSE(window->canChooseDays(2));
    EXPECT_EQ(rig.dialogs.last().text, "Macro and Time must be set to activate!");
    EXPECT_TRUE(window->unsaved());
}

TEST_F(TimerWindowTest, TypingIsCleanedAndFixedTimesAreWrittenTheClocksWay) {
    open({"porch.cro*SS+30*Everyday"});
    EXPECT_EQ(window->typeEntry(1, "a*b.cro"), "ab.cro");
    EXPECT_EQ(rig.dialogs.last().text, "* is not allowed");
    EXPECT_EQ(window->typeStart(1, "07:0x"), "07:0");
    EXPECT_EQ(window->finishStart(1), "7:00:00");
    EXPECT_FALSE(window->startIsError(1));
    window->typeStart(1, "25:00:00");
    EXPECT_TRUE(window->startIsError(1));
    EXPECT_EQ(window->startTip(1), " Error!  Incorrect format or too much offset time. ");

    // Sunset times need a location: told once, when the "S" is typed.
    const auto messages = rig.dialogs.count(Kind::Message);
    window->typeStart(2, "S");
    window->typeStart(2, "SS");
    ASSERT_EQ(rig.dialogs.count(Kind::Message), messages + 1);
    EXPECT_EQ(rig.dialogs.last().title, "Setup Location");
    rig.setLocation("40.43", "74.01", "5");
    rig.loop.runFor(1000);
    EXPECT_EQ(window->startTip(0), " " + rig.service.table().startTimes()[0] + " ");
}

TEST_F(TimerWindowTest, OnATwelveHourClockTimesArePickedAndWrittenWithAmPm) {
    rig.clock.setUses24Hour(false);
    open();
    window->picker().sync(DateTime{2024, 6, 3, 19, 30, 0});
    EXPECT_EQ(window->picker().field(windows::StartTimePicker::Hours), 7);
    window->putMacroAndTime(0, "porch.cro");
    EXPECT_EQ(window->start(0), "7:30:00 PM");
    window->typeStart(1, "19:00");
    window->typeEntry(1, "hall.cro");
    EXPECT_EQ(window->finishStart(1), "7:00:00 PM");
    EXPECT_FALSE(window->startIsError(1));
}

TEST_F(TimerWindowTest, ClearAndRemoveAskWhenTheirConfirmationsAreTicked) {
    open({"porch.cro*7:00:00*Everyday"});
    EXPECT_FALSE(window->clearTimer(3)); // an empty row: nothing asked, nothing changed
    EXPECT_EQ(rig.dialogs.count(Kind::Question), 0u);
    EXPECT_FALSE(window->clearTimer(0)); // the scripted answer is No
    EXPECT_EQ(rig.dialogs.last().text, "Are you sure you want to clear Timer #1.");
    window->setOption(TimerOption::ConfirmClear, false);
    EXPECT_EQ(rig.settings.read(Setting::ConfirmClearTimers), "False");
    EXPECT_TRUE(window->clearTimer(0));
    EXPECT_EQ(window->daysCaption(0), "not set");

    EXPECT_FALSE(window->canRemoveRows());
    EXPECT_TRUE(window->addTimer());
    EXPECT_TRUE(window->addTimer());
    EXPECT_EQ(window->addTip(), "Add a new timer! (Timer 9)");
    EXPECT_EQ(rig.service.log().statusLines().size(), 8u);
    rig.dialogs.answers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(window->removeTimer());
    EXPECT_EQ(rig.dialogs.last().title, "Remove Timer #8");
    EXPECT_TRUE(window->removeTimer());
    EXPECT_EQ(window->count(), 7);
    window->setOption(TimerOption::AllowNewTimers, false);
    EXPECT_FALSE(window->addTimer());
    EXPECT_FALSE(window->removeTimer());
}

TEST_F(TimerWindowTest, ApplyCloseAndCancelKeepWhatTheUserChose) {
    open({"porch.cro*7:00:00*Everyday"});
    window->typeEntry(1, "hall.cro");
    window->typeStart(1, "7:00:01");
    window->chooseDays(1, DaysRule::Weekends);
    EXPECT_TRUE(window->apply());
    EXPECT_EQ(rig.dialogs.last().title, "Timer Conflict");
    EXPECT_TRUE(file().starts_with("\"porch.cro*7:00:00*Everyday\"\r\n\"hall.cro*7:00:01*Weekends\"\r\n"));

    // Cancel after adding two rows: back to the stored rows and texts.
    window->addTimer();
    window->addTimer();
    window->typeEntry(0, "other.cro");
    EXPECT_TRUE(window->cancel());
    EXPECT_EQ(window->count(), 6);
    EXPECT_EQ(window->entry(0), "porch.cro");

    // Closing by the frame and answering No drops the edit; Close saves with a summary.
    window->typeEntry(0, "other.cro");
    window->closeByFrame();
    EXPECT_EQ(rig.dialogs.last().text, "Save Changes to Timers before closing?");
    EXPECT_EQ(window->entry(0), "porch.cro");
    window->typeEntry(0, "other.cro");
    EXPECT_TRUE(window->closeAndSave());
    EXPECT_TRUE(file().starts_with("\"other.cro*7:00:00*Everyday\"\r\n"));
    EXPECT_NE(
        log().find("\r\n========* Saving Timers *========\r\nTimer 1: other.cro  Set For Everyday, at 7:00:00\t("),
        std::string::npos);
    EXPECT_NE(log().find("\r\n===== Timers Saved ====="), std::string::npos);

    // A save that fails says so in the log as well, and the window stays.
    window->typeEntry(0, "third.cro");
    std::filesystem::remove(rig.home / "tmrdat.zul");
    std::filesystem::create_directory(rig.home / "tmrdat.zul");
    EXPECT_FALSE(window->closeAndSave());
    EXPECT_TRUE(log().ends_with("\r\n===== Timers NOT Saved =====")) << log();
    EXPECT_TRUE(window->unsaved());
}

TEST_F(TimerWindowTest, CancelWhileATimerRunsAsksAndStopsTheRun) {
    writeFile(rig.home / "long.cro", quotedLines({"01100000000000000001", "01100000000000000030"}));
    open({"long.cro*12:00:02*Everyday"});
    window->setMasterSwitch(true);
    rig.runUntilWall(DateTime{2024, 6, 3, 12, 0, 5});
    ASSERT_TRUE(engine.engine->anyRunnerActive());
    EXPECT_FALSE(window->cancel());
    EXPECT_EQ(rig.dialogs.last().title, "A Timer is Running!");
    EXPECT_TRUE(engine.engine->anyRunnerActive());
    rig.dialogs.answers = {Answer::Yes};
    EXPECT_TRUE(window->cancel());
    EXPECT_FALSE(engine.engine->anyRunnerActive());
    EXPECT_NE(log().find("Timer 1: Ended - 2024-06-03 12:00:05"), std::string::npos);
    EXPECT_TRUE(window->masterSwitch()); // kept through the reload
}

TEST_F(TimerWindowTest, ManualRunPlaysTheFileOrLogsThatItIsGone) {
    writeFile(rig.home / "porch.cro", quotedLines({"01100000000000000001", "01100000001000000001"}));
    open();
    window->manualRun("porch.cro");
    EXPECT_EQ(engine.port.decoder().texts(),
              (std::vector<std::string>{"lead-in", "A1 ON", "A1 OFF", "trailer", "trailer"}));
    const std::string path = (rig.home / "porch.cro").string();
    EXPECT_NE(log().find(path + "\r\nManually started.\r\n"), std::string::npos);
    EXPECT_NE(log().find(path + "\r\nCompleted.\r\n"), std::string::npos);

    std::filesystem::remove(rig.home / "porch.cro");
    window->manualRun("porch.cro");
    EXPECT_TRUE(log().ends_with(path + "\r\nFILE NOT FOUND\r\n"));
    EXPECT_EQ(engine.port.decoder().texts().size(), 5u); // nothing more was sent

    // A command handed over by the main window is sent once; a text that is no
    // command is logged as an error and sends nothing.
    window->manualSend("B 3 Off");
    EXPECT_EQ(engine.port.decoder().texts().back(), "B3 OFF");
    EXPECT_TRUE(log().ends_with("B 3 Off\r\nCompleted.\r\n"));
    window->manualSend("B 3 Sideways");
    EXPECT_TRUE(log().ends_with("B 3 Sideways\r\nError\r\n"));
    EXPECT_EQ(engine.port.decoder().texts().size(), 6u);
}

TEST_F(TimerWindowTest, LoopControlsNeedAMacroAndAreStoredOnApply) {
    writeFile(rig.home / "loop.cro", quotedLines({"01100000000000000002"}));
    open();
    EXPECT_FALSE(window->canChooseLoopDays());
    EXPECT_EQ(rig.dialogs.last().text, "Loop timer must contain a macro to activate!");
    window->chooseLoopMacro("loop.cro");
    ASSERT_TRUE(window->canChooseLoopDays());
    window->chooseLoopDays(DaysRule::Everyday);
    window->setLoopWindow(true, "8:00:00", "17:00:00");
    window->setLoopEnabled(true);
    EXPECT_TRUE(window->loopEnabled());
    EXPECT_EQ(rig.settings.read(Setting::LoopRunning), "1");
    rig.loop.runFor(3000);
    EXPECT_EQ(engine.port.commands().front(), "A1 ON");
    window->apply();
    EXPECT_EQ(rig.settings.read(Setting::LoopEntry), "loop.cro");
    EXPECT_EQ(rig.settings.read(Setting::LoopEndTime), "17:00:00");
    EXPECT_EQ(rig.settings.read(Setting::LoopUseStartEnd), "1");
}

} // namespace
} // namespace zul::test
