#include "windows/macro_setup_window.h"

#include "windows/main_window.h"
#include "app/app_fixture.h"

namespace zul::test {
namespace {

class MacroSetupTest : public AppFixture {
protected:
    // The decoded signals' times in ms, each from the end of the one before.
    std::vector<std::int64_t> gapsMs() const {
        const auto& s = transmitter->decoder().decoded();
        std::vector<std::int64_t> gaps;
        for (std::size_t i = 1; i < s.size(); ++i) gaps.push_back((s[i].micros - s[i - 1].micros) / 1000);
        return gaps;
    }
};

TEST_F(MacroSetupTest, TestMacroWaitsTheTestSpeedAndHalfASecondAfterTheLastRow) {
    startRunning();
    writeFile(home.home() / "three.cro",
              "\"01100000000000009999\"\r\n\"01100000001000000005\"\r\n\"01110000000100000.30\"\r\n");
    windows::MacroSetupWindowForm setup(*app);
    EXPECT_FALSE(setup.play(true)) << "nothing selected";
    EXPECT_TRUE(sent().empty());
    setup.editor.selectedMacro = "three.cro";
    setup.testSpeedSeconds = 2;
    ASSERT_TRUE(setup.play(true));
    EXPECT_EQ(transmitter->decoder().texts(),
              (std::vector<std::string>{"lead-in", "A1 ON", "A1 OFF", "B2 ON", "trailer", "trailer"}));
    // 50 ms, the wait, 50 ms, then the next signal's 70 ms settle and its bits.
    EXPECT_EQ(gapsMs()[1], 50 + 2000 + 50 + 70 + 40);
    EXPECT_EQ(gapsMs()[2], 50 + 2000 + 50 + 70 + 40);
    EXPECT_EQ(gapsMs()[3], 50 + 500 + 70 + 32);

    // Run Macro takes each row's own pause; Stop ends the run within the
    // row's long pause, and the end-of-run routine still follows.
    transmitter->decoder().clear();
    const auto started = clock.monotonicMicros();
    loop.afterMs(1000, [&setup] { setup.stop(); });
    ASSERT_TRUE(setup.play(false));
    EXPECT_EQ(transmitter->decoder().texts(), (std::vector<std::string>{"lead-in", "A1 ON", "trailer", "trailer"}));
    EXPECT_LT(clock.monotonicMicros() - started, 2000000);
    EXPECT_FALSE(setup.playing());
}

TEST_F(MacroSetupTest, TheRecordersTakeTheMainWindowsCommandsAndExcludeEachOther) {
    startRunning();
    writeSetting(app->settings, Setting::SendOnRecord, "0");
    windows::MacroSetupWindowForm setup(*app);
    auto& main = *app->mainWindow;
    setup.editor.startRecording();
    EXPECT_TRUE(main.recording());
    EXPECT_FALSE(setup.groupRecordEnabled());
    main.unitDown(2, true, windows::MouseButton::Left);
    main.wholeHouse(x10::Action::Alf, windows::MouseButton::Left);
    EXPECT_TRUE(sent().empty()) << "SendOnRecord 0: recorded, not sent";
    EXPECT_EQ(setup.editor.grid().rows(),
              (std::vector<macros::MacroRow>{{"A", "3", "ON", "0005"}, {"A", "ALL", "ALF", "0005"}}));

    // Group recording stops macro recording; the main window keeps recording.
    setup.groups.startRecording();
    EXPECT_FALSE(setup.editor.recording());
    EXPECT_TRUE(main.recording());
    main.unitDown(0, true, windows::MouseButton::Left);
    main.unitDown(1, false, windows::MouseButton::Left); // OFF commands are not group items
    EXPECT_EQ(setup.groups.recordedTexts(), (std::vector<std::string>{"A1"}));
    EXPECT_EQ(setup.editor.grid().size(), 2);
    setup.groups.stopRecording();
    EXPECT_FALSE(main.recording());

    // OK saves the group delay; with unsaved rows it asks first.
    setup.groupDelayTenths = 12;
    dialogs.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(setup.closeWithOk());
    EXPECT_EQ(app->settings.read(Setting::GroupDelay), "12");
}

TEST_F(MacroSetupTest, ARestoredMacroIsNoLongerShownAsDeleted) {
    writeFile(home.home() / "Recorded.cro", "\"01100000000000000005\"\r\n");
    windows::MacroSetupWindowForm setup(*app);
    ASSERT_EQ(setup.backup.backupAll({"Recorded.cro"}), 1);
    setup.editor.selectedMacro = "Recorded.cro";
    dialogs.answers.push_back(Answer::Yes);
    ASSERT_TRUE(setup.editor.deleteSelected());
    EXPECT_EQ(setup.editor.status(), "(Recorded.cro) Deleted!");
    ASSERT_TRUE(setup.backup.restoreOne("Recorded.cro"));
    EXPECT_EQ(setup.editor.status(), "RESTORED FROM BACKUP  Recorded.cro");
}

} // namespace
} // namespace zul::test
