#include <algorithm>

#include "app/main_clock.h"
#include "windows/main_window.h"
#include "app/app_fixture.h"
#include "settings/error_log.h"
#include "support/caught_failures.h"

namespace zul::test {
namespace {

using windows::MouseButton;

class MainWindowLogicTest : public AppFixture {
protected:
    windows::MainWindowForm& main() { return *app->mainWindow; }
    long count(const std::string& command) const {
        const auto s = sent();
        return std::count(s.begin(), s.end(), command);
    }
};

TEST_F(MainWindowLogicTest, TheLampFlashesWhileAButtonIsHeldAndNotAfterAQuickClick) {
    startRunning();
    app::MainClock& lamp = *app->mainClock;
    main().unitDown(0, true, windows::MouseButton::Left);
    EXPECT_TRUE(lamp.flashing());
    main().unitUp(0, true);
    EXPECT_FALSE(lamp.flashing());
    // Released while the frame is still settling on the line.
    loop.afterMs(10, [&] { main().unitUp(1, false); });
    main().unitDown(1, false, windows::MouseButton::Left);
    EXPECT_EQ(sent().back(), "A2 OFF");
    loop.runFor(500);
    EXPECT_FALSE(lamp.flashing());
    EXPECT_FALSE(lamp.lampLit());
}

TEST_F(MainWindowLogicTest, HighPageSendsUnit11AndBriDimClearTheHighUnitsBit) {
    startRunning();
    main().togglePage();
    EXPECT_EQ(main().unitNumber(2), 11);
    main().unitDown(2, false, windows::MouseButton::Left);
    EXPECT_EQ(main().houseByte(), "01100100");
    EXPECT_EQ(main().unitByte(), "00101000");
    EXPECT_EQ(sent().back(), "A11 OFF");
    loop.afterMs(100, [&] { main().holdUp(); });
    main().holdDown(false, windows::MouseButton::Left);
    EXPECT_EQ(main().handOverCode(), "0110000010011000");
    EXPECT_EQ(sent().back(), "A DIM");
    EXPECT_EQ(main().lastActionWord(), "Dim");
}

TEST_F(MainWindowLogicTest, HoldingBrightForOneSecondSendsThreeOrFourFramesAndExitEndsTheLoop) {
    startRunning();
    loop.afterMs(1000, [&] { main().holdUp(); });
    const auto started = clock.monotonicMicros();
    main().holdDown(true, windows::MouseButton::Left);
    const long frames = count("A BRI");
    EXPECT_GE(frames, 3);
    EXPECT_LE(frames, 4);
    // The release ends the loop after the pause under way.
    EXPECT_LT(clock.monotonicMicros() - started, 1300000);
    EXPECT_FALSE(main().held());

    // Exit ends a held button's loop.
    const long before = count("A BRI");
    loop.afterMs(500, [&] { app->startup->exitProgram(); });
    main().holdDown(true, windows::MouseButton::Left);
    EXPECT_EQ(app->startup->phase(), app::Phase::Ended);
    EXPECT_LT(count("A BRI") - before, 3);
}

TEST_F(MainWindowLogicTest, WholeHouseButtonsUseTheLowPageHouseByte) {
    startRunning();
    main().selectHouse(2); // C
    main().togglePage();
    main().wholeHouse(x10::Action::Aln, windows::MouseButton::Left);
    main().wholeHouse(x10::Action::Auf, windows::MouseButton::Left);
    EXPECT_EQ(sent(), (std::vector<std::string>{"C ALN", "C AUF"}));
    EXPECT_EQ(main().lastActionWord(), "AllUnitsOff");
    EXPECT_EQ(main().handOverCode().substr(8), "10000000");
}

// The descriptions shown are those of the house chosen (how they are stored: the unit descriptions' test).
TEST_F(MainWindowLogicTest, HouseAndPagePersistAcrossStartsAndADamagedRecordSelectsHouseA) {
    presetRecord(271, "x7");
    presetRecord(19, "B3## Porch light");
    startRunning();
    EXPECT_EQ(main().houseLetter(), 'A');
    EXPECT_EQ(main().description(2), "");
    main().selectHouse(1);
    EXPECT_EQ(main().description(2), "Porch light");
    main().selectHouse(15);
    main().togglePage();
    app.reset();
    app = makeApp();
    app->startup->enter("");
    loop.runFor(2000);
    EXPECT_EQ(main().houseLetter(), 'P');
    EXPECT_TRUE(main().highPage());
    EXPECT_EQ(main().unitNumber(0), 9);
}

TEST_F(MainWindowLogicTest, RightClicksFeedTheTimerWindowOnlyWhileItIsOpen) {
    startRunning();
    std::vector<std::string> appended;
    main().appendTimerCommand = [&](const std::string& t) { appended.push_back(t); };
    main().unitDown(4, true, windows::MouseButton::Right);
    EXPECT_TRUE(appended.empty());
    app->timerWindowOpen = true;
    main().togglePage();
    main().unitDown(4, false, windows::MouseButton::Right);
    main().wholeHouse(x10::Action::Alf, windows::MouseButton::Right);
    loop.afterMs(300, [&] { main().holdUp(); });
    main().holdDown(true, windows::MouseButton::Right);
    EXPECT_EQ(appended, (std::vector<std::string>{"A 13 Off", "A ALL ALF", "A PRE BRI"}));
    EXPECT_TRUE(sent().empty());
}

TEST_F(MainWindowLogicTest, AFailingStepIsLoggedUnderTheHandlersName) {
    startRunning();
    ExpectCaughtFailures caught;
    main().unitDown(40, true, windows::MouseButton::Left); // no such row in the unit table
    EXPECT_EQ(caught.seen().size(), 1u);
    const auto entries = readErrorLog(app->folder / "error.log").entries;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries.front().message.find("cmdON_MouseDown on frmFire"), std::string::npos);
}

} // namespace
} // namespace zul::test
