#include "windows/delay_dialog.h"
#include "macros/group_file.h"
#include "app/groups_panel.h"
#include "app/help.h"
#include "handoff/instance_message.h"
#include "app/main_macro.h"
#include "windows/main_window_menu.h"
#include "app/placement.h"
#include "windows/preferences_window.h"
#include "windows/main_window.h"
#include "app/timers_switch.h"
#include "windows/timer_window.h"
#include "app_fixture.h"

#include <map>

namespace zul::test {
namespace {

using windows::DelayDialogForm;

TEST(DelayDialogForm, BoxesTakeOnlyWhatTheyMayAndTheResultIsWholeSeconds) {
    EXPECT_TRUE(windows::DelayDialogForm::minutesAllowed("120"));
    EXPECT_FALSE(windows::DelayDialogForm::minutesAllowed("1200"));
    EXPECT_TRUE(windows::DelayDialogForm::secondsAllowed("2,5"));
    EXPECT_FALSE(windows::DelayDialogForm::secondsAllowed("1.,"));
    EXPECT_EQ(windows::DelayDialogForm::result("2", "5"), 125);
    EXPECT_EQ(windows::DelayDialogForm::result("0", "0.4"), 0);
    EXPECT_EQ(windows::DelayDialogForm::result("1", "7,6"), 68);
    EXPECT_EQ(windows::DelayDialogForm::result("a", "1"), std::nullopt);
}

TEST(Help, EveryTopicAWindowOpensIsASectionOfItsPage) {
    std::vector<app::HelpTopic> topics(std::begin(app::help::All), std::end(app::help::All));
    for (int tab = 0; tab < windows::kPreferencesTabs; ++tab)
        topics.push_back(windows::PreferencesWindowForm::help(static_cast<windows::PreferencesTab>(tab)));
    for (const auto& topic : topics) {
        const std::string page = readFile(std::filesystem::path(ZUL_SOURCE_DIR) / "data" / topic.page);
        EXPECT_NE(page.find("name=\"" + std::string(topic.anchor) + "\""), std::string::npos)
            << topic.page << "#" << topic.anchor;
    }
}

TEST(InstanceMessage, HandOffTextsAreFramedAndCheckedOnArrival) {
    EXPECT_EQ(app::handOffText({"/home/me/My", "Lights.cro"}), "/home/me/My Lights.cro");
    const std::string bytes = app::encodeHandOff("/home/me/Lichter \xc3\xa4.cro");
    EXPECT_EQ(bytes, "ZULMARIN1 /home/me/Lichter \xc3\xa4.cro\n");
    EXPECT_EQ(app::decodeHandOff(bytes), "/home/me/Lichter \xc3\xa4.cro");
    EXPECT_EQ(app::decodeHandOff("previous\n"), std::nullopt);                    // no tag
    EXPECT_EQ(app::decodeHandOff("ZULMARIN1 previous"), std::nullopt);            // no line end
    EXPECT_EQ(app::decodeHandOff("ZULMARIN1 a\tb.cro\n"), std::nullopt);          // control character
    EXPECT_EQ(app::decodeHandOff("ZULMARIN1 \xe2\x82\n"), std::nullopt);          // cut UTF-8
    EXPECT_EQ(app::decodeHandOff("ZULMARIN1 a\xe0\x80\x8a.cro\n"), std::nullopt); // an overlong line feed
    EXPECT_EQ(app::decodeHandOff("ZULMARIN1 \xed\xa0\x80.cro\n"), std::nullopt);  // a lone surrogate
    EXPECT_EQ(app::decodeHandOff("ZULMARIN1 \xf4\x90\x80\x80\n"), std::nullopt);  // past U+10FFFF
    EXPECT_EQ(app::decodeHandOff(app::encodeHandOff(std::string(5000, 'a'))), std::nullopt);
}

TEST(InstanceMessage, RequestsAndAnswersSurviveTheChannel) {
    using Kind = app::HandOffRequest::Kind;
    EXPECT_EQ(app::withAbsoluteMacroPath("\"../my lights.CRO\"", "/home/me/x"), "/home/me/my lights.CRO");
    EXPECT_EQ(app::withAbsoluteMacroPath("/abs/a.cro", "/home/me"), "/abs/a.cro");
    EXPECT_EQ(app::withAbsoluteMacroPath("previous", "/home/me"), "previous");
    const auto send =
        app::classifyHandOff(*app::decodeHandOff(app::encodeHandOff(app::sendRequestText("A", "2", "OFF"))));
    EXPECT_EQ(send.kind, Kind::Send);
    EXPECT_EQ(send.argument, "A 2 OFF");
    const auto run = app::classifyHandOff(app::runRequestText("/m/run me.cro"));
    EXPECT_EQ(run.kind, Kind::Run);
    EXPECT_EQ(run.argument, "/m/run me.cro");
    EXPECT_EQ(app::classifyHandOff("/m/send.cro").kind, Kind::CommandBox);

    EXPECT_EQ(app::encodeAnswer({}), "ZULMARIN1 ok\n");
    EXPECT_TRUE(app::decodeAnswer("ZULMARIN1 ok\n")->ok);
    // A reason with line breaks still travels as one line.
    const auto error = app::decodeAnswer(app::encodeAnswer(app::answerError("cannot open\n/tmp/zul-missing-port")));
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->ok);
    EXPECT_EQ(error->message, "cannot open /tmp/zul-missing-port");
    std::string longReason;
    while (longReason.size() < 5000) longReason += "\xc3\xa4";
    const auto cut = app::decodeAnswer(app::encodeAnswer(app::answerError(longReason)));
    ASSERT_TRUE(cut);
    EXPECT_LE(cut->message.size(), app::MaxHandOffBytes);
    for (const char* bad : {"ZULMARIN1 maybe\n", "ZULMARIN1 error: \n", "ok\n"})
        EXPECT_FALSE(app::decodeAnswer(bad)) << bad;
}

TEST(Placement, TheWindowOpensWithinReachOfTheScreen) {
    EXPECT_EQ(app::mainWindowOpening(10, 500, 15360, 11520).left, 85);
    EXPECT_EQ(app::mainWindowOpening(15000, 500, 15360, 11520).left, 12860);
    EXPECT_EQ(app::mainWindowOpening(500, -300, 15360, 11520).top, 0);
    EXPECT_EQ(app::twipsToPixels(1500, 96), 100);
    EXPECT_EQ(app::pixelsToTwips(100, 192), 750);

    // Two screens side by side; a window goes to the one holding most of it,
    // and to the nearest when it is on neither (a monitor unplugged).
    using R = app::ScreenRect;
    const std::vector<R> screens{{0, 0, 1280, 1024}, {1280, 0, 1024, 768}};
    EXPECT_EQ(app::screenHolding({1200, 100, 400, 300}, screens), 1u);
    EXPECT_EQ(app::screenHolding({-3000, 100, 400, 300}, screens), 0u);
    EXPECT_EQ(app::screenHolding({4000, 2000, 400, 300}, screens), 1u);
    EXPECT_EQ(app::keptOnScreen({1200, -20, 400, 300}, screens[1]), (R{1280, 0, 400, 300})) << "title bar on screen";
    EXPECT_EQ(app::keptOnScreen({2200, 700, 400, 300}, screens[1]), (R{1904, 468, 400, 300}));
    EXPECT_EQ(app::keptOnScreen({10, 10, 1900, 500}, screens[1]), (R{1280, 10, 1024, 500}))
        << "no wider than the screen";
    // Beside the owner: right of it, else left of it, else as far right as it fits.
    EXPECT_EQ(app::besideOwner({100, 50, 600, 400}, 280, 340, screens[0], 8), (R{708, 50, 280, 340}));
    EXPECT_EQ(app::besideOwner({900, 50, 370, 400}, 280, 340, screens[0], 8), (R{612, 50, 280, 340}));
    EXPECT_EQ(app::besideOwner({100, 900, 1100, 400}, 280, 340, screens[0], 8), (R{1000, 684, 280, 340}));
}

class AppPartsTest : public AppFixture {};

void countIds(const std::vector<windows::MenuEntry>& entries, std::map<windows::MenuId, int>& seen) {
    for (const auto& e : entries) {
        if (e.id != windows::MenuId::Separator && e.id != windows::MenuId::Submenu) ++seen[e.id];
        countIds(e.children, seen);
    }
}

TEST_F(AppPartsTest, TheMenuOffersEveryEntryOnceAndItsTogglesAreStored) {
    startRunning();
    const auto menu = windows::buildMainMenu(*app);
    std::map<windows::MenuId, int> seen;
    countIds(menu, seen);
    seen[windows::MenuId::LanguageEntry] = 1; // one per language file, and there is none
    for (int id = int(windows::MenuId::PanicRun); id <= int(windows::MenuId::Cancel); ++id)
        EXPECT_EQ(seen[windows::MenuId(id)], 1) << id;
    EXPECT_FALSE(menu[7].visible) << "no .lan file: the Language submenu is hidden";

    windows::runMenuEntry(*app, windows::MenuId::ShowPanic);
    EXPECT_EQ(app->settings.read(Setting::PanicButton), "0");
    EXPECT_FALSE(windows::buildMainMenu(*app)[0].enabled);
    windows::runMenuEntry(*app, windows::MenuId::ShowAutoOff);
    EXPECT_FALSE(app->groups->autoOffButtons());
    windows::runMenuEntry(*app, windows::MenuId::MinOnStart);
    EXPECT_EQ(app->settings.read(Setting::MinOnStart), "True");
    windows::runMenuEntry(*app, windows::MenuId::Exit);
    EXPECT_EQ(app->startup->phase(), app::Phase::Ended);
}

TEST_F(AppPartsTest, GroupButtonsAndThePanicButtonRunTheirGroups) {
    macros::writeGroupFile(app->folder / "file1.grp", 2, "Porch", {"0110000000000000", "0110000000001000"});
    presetRecord(281, "2");
    startRunning();
    EXPECT_EQ(app->groups->runner().onTip(1), "Turn Group Porch ON");
    app->groups->runner().runGroup(1, false);
    EXPECT_EQ(sent(), (std::vector<std::string>{"A1 OFF", "A3 OFF"}));
    windows.delay = 5;
    app->groups->runner().autoOff(1);
    app->groups->panic().run();
    EXPECT_EQ(sent(),
              (std::vector<std::string>{"A1 OFF", "A3 OFF", "A1 ON", "A3 ON", "A1 OFF", "A3 OFF", "A1 ON", "A3 ON"}));
}

TEST_F(AppPartsTest, TheTimersSwitchAndTheTimerWindowsLoadAndUnloadTheTimerMachinery) {
    startRunning();
    EXPECT_TRUE(app::switchTimers(*app, true));
    EXPECT_TRUE(app->timerWindowOpen);
    ASSERT_NE(app->timerWindow, nullptr);
    loop.runFor(3000);
    EXPECT_FALSE(app::switchTimers(*app, false));
    EXPECT_EQ(app->timers, nullptr);
    EXPECT_NE(readFile(home.home() / "TimerLog.log").find("Master Timer Disabled"), std::string::npos);

    // "Setup Timer" loads the timers without switching them on; the right
    // click texts of the main window reach the timer window's list.
    windows::runMenuEntry(*app, windows::MenuId::SetupTimer);
    EXPECT_EQ(windows.timerWindowsOpened, 1);
    ASSERT_NE(app->timers, nullptr);
    EXPECT_FALSE(app::timersOn(*app));
    app->mainWindow->unitDown(2, true, windows::MouseButton::Right);
    EXPECT_EQ(app->timerWindow->commands(), std::vector<std::string>{"A 3 On"});
    EXPECT_TRUE(sent().empty());

    // Switched off while the timer window is shown, the machinery stays; at exit it goes.
    windows.timerWindowOpen = true;
    EXPECT_TRUE(app::switchTimers(*app, true));
    EXPECT_FALSE(app::switchTimers(*app, false));
    EXPECT_NE(app->timers, nullptr);
    // Leaving with unsaved changes asks first.
    app->timerWindow->typeEntry(0, "porch.cro");
    dialogs.answers = {Answer::Yes};
    app->startup->exitProgram();
    EXPECT_EQ(app->timers, nullptr);
    EXPECT_EQ(dialogs.last().title, "Timers have Changed!");
    EXPECT_EQ(readFile(home.home() / "tmrdat.zul").substr(0, 12), "\"porch.cro**");
    EXPECT_EQ(app->records.readRecord(275, true), ""); // the store is closed
}

TEST_F(AppPartsTest, PanicAndGroupsOptionsComeFromTheRecords) {
    presetRecord(273, "1");
    presetRecord(274, "Outside");
    presetRecord(279, "4");
    presetRecord(280, "1,30");
    presetRecord(281, "3");
    startRunning();
    const auto& panic = app->groups->panic();
    EXPECT_TRUE(app->groups->shown());
    EXPECT_EQ(panic.settings.caption, "Outside");
    EXPECT_EQ(panic.settings.group, 3);
    EXPECT_DOUBLE_EQ(panic.settings.delay(), 90.0);
    EXPECT_EQ(app->groups->panicRgb(), 0x00C000u); // choice 4, green
    EXPECT_EQ(windows::buildMainMenu(*app)[0].caption, "Outside (Run)");
    app->groups->setShown(false);
    EXPECT_EQ(app->records.readRecord(273, true), "0");
}

} // namespace
} // namespace zul::test
